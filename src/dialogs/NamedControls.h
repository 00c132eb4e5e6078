#pragma once
// Controls made the way every window makes them: a child of the window (or
// of a frame), named after its design name (objectName, which tests and the
// proportional layout go by) and placed at its design geometry. An element of
// a control array shares its array's name and carries its number in the
// "Index" property; a control that is no array element leaves index at -1.

#include "platform/StatusBarPanel.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRect>
#include <QStatusBar>
#include <QString>
#include <QVariant>

namespace controls {

template <typename W>
W* Named(QWidget* parent, const QString& name, const QRect& geometry, int index = -1) {
    auto* w = new W(parent);
    w->setObjectName(name);
    if (index >= 0) w->setProperty("Index", index);
    w->setGeometry(geometry);
    return w;
}

inline QLabel* Label(QWidget* parent, const QString& name, const QString& caption, const QRect& geometry,
                     int index = -1) {
    auto* l = Named<QLabel>(parent, name, geometry, index);
    l->setText(caption);
    return l;
}

// A command button. Enter never presses it for having the focus, not even in
// a dialog: a unit is started or a value sent only by a deliberate click.
inline QPushButton* Button(QWidget* parent, const QString& name, const QString& caption, const QString& tip,
                           const QRect& geometry, int index = -1) {
    auto* b = Named<QPushButton>(parent, name, geometry, index);
    b->setText(caption);
    b->setToolTip(tip);
    b->setAutoDefault(false);
    return b;
}

// A command button without a tip.
inline QPushButton* Button(QWidget* parent, const QString& name, const QString& caption, const QRect& geometry,
                           int index = -1) {
    return Button(parent, name, caption, QString(), geometry, index);
}

inline QGroupBox* Frame(QWidget* parent, const QString& name, const QString& caption, const QRect& geometry) {
    auto* f = Named<QGroupBox>(parent, name, geometry);
    f->setTitle(caption);
    return f;
}

// A box that shows a reading of the unit: shown, not typed.
inline QLineEdit* Reading(QWidget* parent, const QString& name, const QRect& geometry) {
    auto* t = Named<QLineEdit>(parent, name, geometry);
    t->setReadOnly(true);
    return t;
}

// A row of a readings frame: its caption, its read-only box and its unit label.
struct ReadingRow {
    QLabel** caption;
    const char* captionName;
    const char* captionText;
    QLineEdit** box;
    const char* boxName;
    QLabel** unit;
    const char* unitName;
    const char* unitText;
};
// Where the three controls of a reading row stand: left edge and width of each.
struct RowColumns {
    int captionX, captionW, boxX, boxW, unitX, unitW;
};
// Makes the row's controls at height y (the labels 2 lower than the 24-high box).
inline void PlaceReadingRow(QWidget* parent, const ReadingRow& r, const RowColumns& c, int y) {
    *r.caption = Label(parent, QString::fromLatin1(r.captionName), QString::fromUtf8(r.captionText),
                       {c.captionX, y + 2, c.captionW, 22});
    *r.box = Reading(parent, QString::fromLatin1(r.boxName), {c.boxX, y, c.boxW, 24});
    *r.unit = Label(parent, QString::fromLatin1(r.unitName), QString::fromUtf8(r.unitText), {c.unitX, y + 2, c.unitW, 22});
}

// A caption that shows a value: a label in a sunken panel.
inline QLabel* SunkenLabel(QWidget* parent, const QString& name, const QString& caption, const QRect& geometry,
                           int index = -1) {
    auto* l = Label(parent, name, caption, geometry, index);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    return l;
}

// A panel of a status bar: a panel whose text fits it (StatusBarPanel),
// named after its key (the panel's design key), taking `stretch` shares of
// the bar's width.
inline StatusBarPanel* StatusPanel(QStatusBar* bar, const char* key, int stretch = 1) {
    auto* p = new StatusBarPanel(bar);
    p->setObjectName(QString::fromLatin1(key));
    bar->addWidget(p, stretch);
    return p;
}

}  // namespace controls
