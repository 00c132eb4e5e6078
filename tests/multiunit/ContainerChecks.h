#pragma once
// What the container's tests check of its unit windows in any arrangement:
// every frame inside the container's area; every window at least the size at
// which its texts fit, its frame scrolling where it shows less of it; no two
// of its labels over each other, and every caption's text whole in its
// control (QFontMetrics). And that no frame moves while the operator goes
// from window to window, opening each one's dialog.

#include "multiunit/frmMDIRealTime.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <gtest/gtest.h>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace unit_tests {

inline std::string RectText(const QRect& r) {
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).toStdString();
}

// A button's caption as shown ("&" marks the access key).
inline QString ShownCaption(QString text) {
    text.replace(QLatin1String("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    return text.replace(QChar(1), QLatin1Char('&'));
}

// The captions of one unit window: whole in their controls, no two labels
// over each other (a pixel where two adjacent labels meet is the rounding of
// the proportional layout, not an overlap).
inline void ExpectCaptionsWhole(const UnitWindow& w) {
    std::vector<std::pair<QRect, const QLabel*>> labels;
    for (const QWidget* c : w.findChildren<QWidget*>()) {
        if (!c->isVisibleTo(&w) || c->parentWidget()->inherits("QStatusBar")) continue;
        const QFontMetrics fm = c->fontMetrics();
        const std::string name = c->objectName().toStdString();
        if (const auto* l = qobject_cast<const QLabel*>(c)) {
            labels.emplace_back(QRect(l->mapTo(&w, QPoint(0, 0)), l->size()), l);
            if (l->text().isEmpty()) continue;
            EXPECT_LE(fm.horizontalAdvance(l->text()), l->contentsRect().width())
                << name << " \"" << l->text().toStdString() << "\" " << RectText(l->geometry());
            EXPECT_LE(fm.height(), l->contentsRect().height()) << name << " " << RectText(l->geometry());
        } else if (const auto* b = qobject_cast<const QAbstractButton*>(c)) {
            if (b->text().isEmpty()) continue;
            const int text = fm.horizontalAdvance(ShownCaption(b->text()));
            // A check box or option needs its mark beside its text.
            const int room = qobject_cast<const QCheckBox*>(b) || qobject_cast<const QRadioButton*>(b)
                                 ? b->sizeHint().width()
                                 : text + 8;
            EXPECT_LE(room, b->width()) << name << " \"" << b->text().toStdString() << "\" " << RectText(b->geometry());
            EXPECT_LE(fm.height(), b->height()) << name;
        } else if (const auto* e = qobject_cast<const QLineEdit*>(c)) {
            EXPECT_LT(fm.horizontalAdvance(e->text()), e->contentsRect().width()) << name;
            EXPECT_LE(fm.height(), e->height()) << name;
        }
    }
    for (std::size_t i = 0; i < labels.size(); ++i)
        for (std::size_t j = i + 1; j < labels.size(); ++j) {
            const QRect both = labels[i].first.intersected(labels[j].first);
            EXPECT_FALSE(both.width() > 1 && both.height() > 1)
                << labels[i].second->objectName().toStdString() << " " << RectText(labels[i].first) << " and "
                << labels[j].second->objectName().toStdString() << " " << RectText(labels[j].first);
        }
}

// Every unit window of the container as the operator sees it now.
inline void ExpectUnitWindowsReadable(const frmMDIRealTime& m) {
    const QRect area = m.mdiArea->viewport()->rect();
    for (QMdiSubWindow* sub : m.mdiArea->subWindowList()) {
        if (!sub->isVisible() || sub->isMinimized()) continue;
        const UnitWindow* w = frmMDIRealTime::UnitOf(sub);
        ASSERT_NE(w, nullptr);
        SCOPED_TRACE(w->windowTitle().toStdString());
        EXPECT_TRUE(area.contains(sub->geometry())) << RectText(sub->geometry()) << " in " << RectText(area);
        const QSize readable = w->minimumSizeHint();
        ASSERT_TRUE(readable.isValid());
        EXPECT_GE(w->width(), readable.width());
        EXPECT_GE(w->height(), readable.height());
        const auto* frame = qobject_cast<const QScrollArea*>(sub->widget());
        ASSERT_NE(frame, nullptr);
        // Where the frame shows less of the window than there is, it scrolls.
        if (frame->viewport()->width() < w->width()) {
            EXPECT_TRUE(frame->horizontalScrollBar()->isVisible());
            EXPECT_EQ(frame->horizontalScrollBar()->maximum(), w->width() - frame->viewport()->width());
        }
        if (frame->viewport()->height() < w->height()) {
            EXPECT_TRUE(frame->verticalScrollBar()->isVisible());
            EXPECT_EQ(frame->verticalScrollBar()->maximum(), w->height() - frame->viewport()->height());
        }
        ExpectCaptionsWhole(*w);
    }
}

// The button of a unit window that opens its dialog: Select Sequence (the
// sequence picker), or the simple test window's Oscillatory Test.
inline QPushButton* DialogButton(const UnitWindow& w) {
    return w.findChild<QPushButton*>(w.kind() == UnitWindowKind::Simple ? QStringLiteral("cmdDynamic")
                                                                        : QStringLiteral("cmdSelect"));
}

// How far a frame may be off the place it had: a few pixels.
inline constexpr int kPlaceSlack = 3;

// Where the container's frames are as the operator placed them (or the last
// arrangement did): each at its rectangle, or, while one is maximised, that
// one filling the area and the others at theirs. A maximised frame's own
// rectangle is learnt once it shows it.
class FramePlaces {
public:
    explicit FramePlaces(const frmMDIRealTime& m) : m_(m) {
        for (QMdiSubWindow* sub : m.mdiArea->subWindowList()) {
            if (sub->isMaximized())
                maximised_ = true;
            else
                rects_[sub] = sub->geometry();
        }
    }
    bool maximised() const { return maximised_; }

    // Every frame where it was: while the arrangement is maximised the
    // active one fills the area (and only it is maximised); every other
    // frame within kPlaceSlack pixels of its rectangle.
    void Expect(const char* when) {
        SCOPED_TRACE(when);
        const QRect area = m_.mdiArea->viewport()->rect();
        for (QMdiSubWindow* sub : m_.mdiArea->subWindowList()) {
            SCOPED_TRACE(sub->windowTitle().toStdString());
            EXPECT_TRUE(sub->isVisible());
            if (sub->isMaximized()) {
                EXPECT_TRUE(maximised_) << "maximised by itself";
                EXPECT_EQ(sub, m_.mdiArea->activeSubWindow());
                EXPECT_EQ(sub->geometry(), area) << RectText(sub->geometry());
                continue;
            }
            if (maximised_ && sub == m_.mdiArea->activeSubWindow()) ADD_FAILURE() << "no longer maximised";
            const auto known = rects_.find(sub);
            if (known == rects_.end()) {
                rects_[sub] = sub->geometry();
                continue;
            }
            const QRect was = known->second, now = sub->geometry();
            const int off = std::max({std::abs(now.left() - was.left()), std::abs(now.top() - was.top()),
                                      std::abs(now.right() - was.right()), std::abs(now.bottom() - was.bottom())});
            EXPECT_LE(off, kPlaceSlack) << RectText(now) << ", was " << RectText(was);
        }
    }

private:
    const frmMDIRealTime& m_;
    bool maximised_ = false;
    std::map<const QMdiSubWindow*, QRect> rects_;
};

// The operator goes through the container's windows in turn: activates
// each, opens its dialog (DialogButton) and closes it, and, unless the
// arrangement is maximised, maximises and restores it. After each step
// (`settle` lets the window system follow) every frame is where it was
// (FramePlaces) and the window restored is back at its place.
inline void ExpectFramesStayThroughEachWindowsDialog(frmMDIRealTime& m, const std::function<void()>& settle) {
    FramePlaces places(m);
    for (QMdiSubWindow* sub : m.mdiArea->subWindowList()) {
        UnitWindow* w = frmMDIRealTime::UnitOf(sub);
        ASSERT_NE(w, nullptr);
        SCOPED_TRACE("through " + w->windowTitle().toStdString());
        m.mdiArea->setActiveSubWindow(sub);
        settle();
        places.Expect("activated");

        QPushButton* open = DialogButton(*w);
        ASSERT_NE(open, nullptr);
        open->click();
        settle();
        QWidgetList opened;  // the dialog, a window of its own
        for (QWidget* t : QApplication::topLevelWidgets())
            if (t != &m && t->isVisible() && t->windowType() != Qt::Popup && t->windowType() != Qt::ToolTip) opened << t;
        EXPECT_FALSE(opened.isEmpty()) << "no dialog opened";
        places.Expect("its dialog open");
        for (QWidget* t : opened) t->close();
        m.activateWindow();
        settle();
        places.Expect("its dialog closed");

        if (places.maximised()) continue;
        sub->showMaximized();
        settle();
        EXPECT_EQ(sub->geometry(), m.mdiArea->viewport()->rect());
        sub->showNormal();
        settle();
        places.Expect("maximised and restored");
    }
}

}  // namespace unit_tests
