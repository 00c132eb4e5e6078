#pragma once
// Controls made the way every window makes them: a child of the window (or
// of a frame), named after its design name (objectName, which tests and the
// proportional layout go by) and placed at its design geometry.

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>
#include <QString>

namespace controls {

template <typename W>
W* Named(QWidget* parent, const char* name, const QRect& geometry) {
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(geometry);
    return w;
}

inline QLabel* Label(QWidget* parent, const char* name, const QString& caption, const QRect& geometry) {
    auto* l = Named<QLabel>(parent, name, geometry);
    l->setText(caption);
    return l;
}

inline QPushButton* Button(QWidget* parent, const char* name, const QString& caption, const QString& tip,
                           const QRect& geometry) {
    auto* b = Named<QPushButton>(parent, name, geometry);
    b->setText(caption);
    b->setToolTip(tip);
    return b;
}

inline QGroupBox* Frame(QWidget* parent, const char* name, const QString& caption, const QRect& geometry) {
    auto* f = Named<QGroupBox>(parent, name, geometry);
    f->setTitle(caption);
    return f;
}

// A box that shows a reading of the unit: shown, not typed.
inline QLineEdit* Reading(QWidget* parent, const char* name, const QRect& geometry) {
    auto* t = Named<QLineEdit>(parent, name, geometry);
    t->setReadOnly(true);
    return t;
}

}  // namespace controls
