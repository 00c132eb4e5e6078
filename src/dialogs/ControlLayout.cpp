#include "dialogs/ControlLayout.h"

#include "data/Globals.h"
#include "data/Settings.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QtDebug>
#include <algorithm>
#include <cmath>

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

const char* const kHoldsValueProperty = "holdsValue";

int frameWidth(const QWidget* w) { return w->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w); }

}  // namespace

const QString ControlLayout::kReadingSample = QStringLiteral("00000.00");

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
    designed_ = QSize();
    if (!client_) return;
    const QList<QWidget*> controls = Controls(client_);
    controls_.assign(controls.begin(), controls.end());
    entries_.assign(controls_.size(), ControlLayoutEntry{});
    if (client_->width() <= 0 || client_->height() <= 0) {
        // Fractions of an empty area would be infinite: record nothing.
        qWarning("ControlLayout: client area of %s is empty; layout not recorded", qPrintable(client_->objectName()));
        return;
    }
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        QWidget* w = controls_[i];
        if (IsSkipped(w)) continue;
        const QRect g = w->geometry();
        ControlLayoutEntry& e = entries_[i];
        e.Width = float(g.width() / double(client_->width()));
        e.Height = float(g.height() / double(client_->height()));
        e.Left = float(g.x() / double(client_->width()));
        e.Top = float(g.y() / double(client_->height()));
    }
    designed_ = client_->size();
    recorded_ = true;
    // A scaled window grows or shrinks with its controls, so that none of
    // them lies outside it; it never shrinks below the size at which their
    // texts fit. A factor no layout can use (set by hand, or by an older
    // program) leaves the window unscaled rather than at negative or endless
    // sizes.
    const double factor = scaled_ ? UsableScaleFactor(gSF) : 1.0;
    if (factor != 1.0) {
        const QSize scaled(qRound(designed_.width() * factor), qRound(designed_.height() * factor));
        designed_ = scaled.expandedTo(ReadableSize());
        client_->resize(designed_);
    }
}

void ControlLayout::HoldsValue(QWidget* control) { control->setProperty(kHoldsValueProperty, true); }

QSize ControlLayout::TextRoom(const QWidget* control) {
    const QFontMetrics fm = control->fontMetrics();
    const bool value = control->property(kHoldsValueProperty).toBool();
    auto room = [value](int width, int height) { return QSize(value ? 0 : width, height); };
    if (const auto* l = qobject_cast<const QLabel*>(control)) {
        if (l->text().isEmpty() || l->wordWrap() || l->textFormat() == Qt::RichText) return {};
        const int frame = 2 * (l->frameWidth() + l->margin());
        // A framed label keeps half an "x" free beside its text.
        int indent = l->indent();
        if (indent < 0) indent = l->frameWidth() > 0 ? fm.horizontalAdvance(QLatin1Char('x')) / 2 : 0;
        const QSize text = fm.size(0, l->text());
        return room(text.width() + frame + indent, text.height() + frame);
    }
    if (const auto* b = qobject_cast<const QPushButton*>(control)) {
        if (b->text().isEmpty()) return {};
        const int margin = b->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b);
        const QSize text = fm.size(Qt::TextShowMnemonic, b->text());
        return room(text.width() + 2 * (margin + frameWidth(b)), text.height() + 2 * frameWidth(b));
    }
    if (const auto* b = qobject_cast<const QAbstractButton*>(control)) {  // check boxes and options
        if (b->text().isEmpty()) return {};
        return room(b->sizeHint().width(), fm.height());
    }
    if (const auto* g = qobject_cast<const QGroupBox*>(control)) {
        if (g->title().isEmpty()) return {};
        return room(g->minimumSizeHint().width(), 0);  // its controls carry its height
    }
    if (const auto* e = qobject_cast<const QLineEdit*>(control)) {
        const int shown = value ? 0 : fm.horizontalAdvance(e->text());
        const QMargins t = e->textMargins();
        // The box's frame, the two pixels it keeps beside its text and the cursor.
        const int frame = e->hasFrame() ? frameWidth(e) : 0;
        return QSize(std::max(shown, fm.horizontalAdvance(kReadingSample)) + 2 * (frame + 2) + t.left() + t.right() + 1,
                     fm.height() + 2 * frame + t.top() + t.bottom());
    }
    if (qobject_cast<const QStatusBar*>(control)) return QSize(0, fm.height() + 6);  // its panels' line
    return {};
}

QSize ControlLayout::ReadableSize() const {
    if (!recorded_ || !client_) return {};
    // The smallest client extent at which Form_Resize gives the control
    // `room` pixels along the side of fraction `fraction`.
    auto extent = [](int room, float fraction) {
        if (room <= 0 || !(fraction > 0)) return 0;
        int size = std::max(0, int(std::ceil((room - 0.5) / double(fraction))) - 1);
        while (pixels(float(size * double(fraction))) < room) ++size;
        return size;
    };
    int width = 0, height = 0;
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        const QWidget* w = controls_[i];
        if (!w || IsSkipped(w) || !w->isVisibleTo(client_) || w->inherits("QComboBox")) continue;
        const QSize room = TextRoom(w);
        const ControlLayoutEntry& e = entries_[i];
        width = std::max(width, extent(room.width(), e.Width));
        height = std::max(height, extent(room.height(), e.Height));
    }
    return QSize(width, height);
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
