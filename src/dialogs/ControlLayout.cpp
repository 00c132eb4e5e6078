#include "dialogs/ControlLayout.h"

#include "data/Globals.h"
#include "data/Settings.h"

#include <QLayout>
#include <QtDebug>

namespace {

// A widget whose place is kept by a Qt layout of its parent.
bool inLayout(const QLayout* layout, const QWidget* w) {
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() == w) return true;
        if (item->layout() && inLayout(item->layout(), w)) return true;
    }
    return false;
}

bool managedByLayout(const QWidget* w) {
    const QWidget* parent = w->parentWidget();
    return parent && parent->layout() && inLayout(parent->layout(), w);
}

// Widgets that build and place their own inner widgets: their children are
// not controls of the window.
bool ownsItsChildren(const QWidget* w) {
    static const char* const kinds[] = {
        "QAbstractScrollArea", "QComboBox", "QAbstractSpinBox", "QTabBar",    "QCalendarWidget",
        "QLineEdit",           "QAbstractButton", "QAbstractSlider", "QMenuBar", "QStatusBar",
        "QToolBar",            "QDialogButtonBox",
    };
    for (const char* kind : kinds)
        if (w->inherits(kind)) return true;
    return false;
}

bool isControlName(const QString& name) { return !name.isEmpty() && !name.startsWith(QLatin1String("qt_")); }

void collect(QWidget* parent, QList<QWidget*>& out) {
    for (QObject* child : parent->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow()) continue;
        if (isControlName(w->objectName()) && !managedByLayout(w)) out << w;
        if (!ownsItsChildren(w)) collect(w, out);
    }
}

int pixels(float v) { return qRound(v); }

}  // namespace

ControlLayout::ControlLayout(QWidget* client, bool scaled) : client_(client), scaled_(scaled) {}

QList<QWidget*> ControlLayout::Controls(QWidget* client) {
    QList<QWidget*> out;
    if (client) collect(client, out);
    return out;
}

bool ControlLayout::IsSkipped(const QWidget* control) {
    return control->inherits("QMenuBar") || control->inherits("QMenu");
}

void ControlLayout::Save_Control_Layout() {
    controls_.clear();
    entries_.clear();
    recorded_ = false;
    if (!client_) return;
    const QList<QWidget*> controls = Controls(client_);
    controls_.assign(controls.begin(), controls.end());
    entries_.assign(controls_.size(), ControlLayoutEntry{});
    if (client_->width() <= 0 || client_->height() <= 0) {
        // Fractions of an empty area would be infinite: record nothing.
        qWarning("ControlLayout: client area of %s is empty; layout not recorded", qPrintable(client_->objectName()));
        return;
    }
    // A factor no layout can use (set by hand, or by an older program) lays
    // the window out unscaled rather than at negative or endless sizes.
    const double factor = scaled_ ? UsableScaleFactor(gSF) : 1.0;
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        QWidget* w = controls_[i];
        if (IsSkipped(w)) continue;
        const QRect g = w->geometry();
        ControlLayoutEntry& e = entries_[i];
        e.Width = float(g.width() / double(client_->width()) * factor);
        e.Height = float(g.height() / double(client_->height()) * factor);
        e.Left = float(g.x() / double(client_->width()) * factor);
        e.Top = float(g.y() / double(client_->height()) * factor);
    }
    recorded_ = true;
}

void ControlLayout::Form_Resize() {
    if (!recorded_ || !client_) return;
    if (client_->window()->isMinimized()) return;
    if (client_->height() <= 1) return;
    if (client_->width() <= 1) return;
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        QWidget* w = controls_[i];
        if (!w || IsSkipped(w)) continue;
        const ControlLayoutEntry& e = entries_[i];
        const double width = client_->width();
        const double height = client_->height();
        const int left = pixels(float(width * e.Left));
        const int top = pixels(float(height * e.Top));
        if (w->inherits("QComboBox")) {
            w->move(left, top);  // a combo box keeps its size
        } else {
            w->setGeometry(left, top, pixels(float(width * e.Width)), pixels(float(height * e.Height)));
        }
    }
    client_->update();
}

ControlLayoutEntry ControlLayout::entryOf(const QWidget* control) const {
    for (std::size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i] == control) return entries_[i];
    return ControlLayoutEntry{};
}

LaidOutDialog::LaidOutDialog(bool scaled, QWidget* parent) : QDialog(parent), layout_(this, scaled) {}

void LaidOutDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    layout_.Form_Resize();
}

void LaidOutDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    layout_.Form_Resize();
}
