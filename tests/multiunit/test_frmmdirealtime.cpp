// The multi-unit test window: its menus from the unit ports of the settings
// file, adding a unit's rheology window on its port, the port-in-use error,
// the arrangements of the children, and closing.

#include "ContainerChecks.h"
#include "support/ControlsInside.h"
#include "support/ManualClock.h"
#include "support/UnitWindowFixture.h"

#include "data/UnitPorts.h"
#include "multiunit/frmMDIRealTime.h"
#include "rheology/frmRealTime.h"
#include "support/UnitSimulator.h"
#include "pvt/frmPVTtest.h"
#include "swell/frmSWMTest.h"
#include "simpletest/frmSimpleTest.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>

using namespace unit_tests;
using testing_support::ManualTickSource;
using testing_support::UnitSimulator;

namespace {

constexpr UnitWindowKind kKinds[] = {UnitWindowKind::RealTime, UnitWindowKind::Simple, UnitWindowKind::Pvt,
                                     UnitWindowKind::Swell};

class MultiUnitWindow : public UnitWindowFixture {
protected:
    std::unique_ptr<frmMDIRealTime> openContainer(clsConnection* connection = nullptr) {
        auto m = std::make_unique<frmMDIRealTime>(connection ? connection : &conn);
        m->MDIForm_Load();
        m->show();
        return m;
    }
};

}  // namespace

TEST(UnitPortLines, ReadAsNumbersOrFailWithTheirErrorNumbers) {
    SavedGlobals saved;
    testing_support::TempDb folder;
    gAppPath = folder.dir();
    auto write = [&](const QByteArray& text) {
        QFile f(dataFile(kSettingsFileName));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    auto failure = [](int unitNumber) {
        try {
            unit::ReadUnitPort(unitNumber);
        } catch (const unit::PortFileError& e) {
            return e.number();
        }
        return 0;
    };
    EXPECT_EQ(failure(1), 53);
    write(" 3 \r\n0\n 2.5\r 12abc\r\nCGS\r\n");
    EXPECT_EQ(unit::ReadUnitPort(1), 3);
    EXPECT_EQ(unit::ReadUnitPort(2), 0);
    EXPECT_EQ(unit::ReadUnitPort(3), 2);  // halves to even
    EXPECT_EQ(unit::ReadUnitPort(4), 12);
    EXPECT_EQ(failure(5), 13);  // "CGS" holds no number
    write("1\r\n2\r\n");
    EXPECT_EQ(failure(3), 62);
    // Read by the start-up's rule: an empty line is no port, a port outside
    // 0 to 20 is refused.
    write("\r\n  \r\n 20 \r\n 21 \r\n-1\r\n");
    EXPECT_EQ(unit::ReadUnitPort(1), 0);
    EXPECT_EQ(unit::ReadUnitPort(2), 0);
    EXPECT_EQ(unit::ReadUnitPort(3), 20);
    EXPECT_EQ(failure(4), 380);
    write(" 1 \r\n-1\r\n");
    EXPECT_EQ(failure(2), 380);
}

TEST_F(MultiUnitWindow, TheUnitsWithAPortHaveTheirEntriesEnabled) {
    writePorts({1, 0, 3});
    auto m = openContainer();
    EXPECT_EQ(m->windowTitle(), "Z3080DAQ Real Time Test & Monitoring");
    for (int n = 1; n <= 8; ++n) {
        EXPECT_EQ(m->MenuAdd[n]->isEnabled(), n == 1 || n == 3) << n;
        EXPECT_EQ(m->MenuSimpleAdd[n]->isEnabled(), n == 1 || n == 3) << n;
        EXPECT_EQ(m->MenuPVTAdd[n]->isEnabled(), n == 1 || n == 3) << n;
        EXPECT_EQ(m->MenuSwellAdd[n]->isEnabled(), n == 1 || n == 3) << n;
    }
    EXPECT_EQ(m->MenuAdd[1]->text(), "Add Z3080 Unit 1");
    EXPECT_EQ(m->MenuSimpleAdd[8]->text(), "Add Z3080 Unit 8");
    EXPECT_EQ(m->MenuPVTAdd[2]->text(), "Add Z3080  Unit 2");
    EXPECT_EQ(m->MenuSwellAdd[3]->text(), "Add Z3080  Unit 3");
    QStringList titles;
    for (QAction* a : m->menuBar()->actions()) titles << a->text();
    EXPECT_EQ(titles, QStringList({"Regular Test", "Simple Test", "PVT Test", "LSM test", "Window", "E&xit"}));
    EXPECT_EQ(m->MenuWindowHorizontal->text(), "Tile &Horizontally");
    EXPECT_EQ(m->findChildren<QAction*>("MenuAdd").size(), 8);
    EXPECT_TRUE(dialogs.messages.empty());

    // No settings file: the error, and no unit can be added.
    QFile::remove(dataFile(kSettingsFileName));
    auto none = openContainer();
    EXPECT_EQ(dialogs.texts(), QStringList({"ERROR: 53, File not found"}));
    for (UnitWindowKind kind : kKinds)
        for (int n = 1; n <= 8; ++n) EXPECT_FALSE(none->Entry(kind, n)->isEnabled());
}

TEST_F(MultiUnitWindow, AddingAUnitOpensItsWindowOnItsPort) {
    UnitSimulator unit;
    unit.attachToPort(7);
    writePorts({0, 0, 7});
    auto m = openContainer();
    m->MenuAdd[3]->trigger();

    frmRealTime* w = m->RealTimeWindows[3];
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(m->RealTimeWindows[1], nullptr);
    EXPECT_EQ(w->windowTitle(), "Unit 3 Real Time Test");
    EXPECT_EQ(w->lblInstName->text(), "Unit 3");
    EXPECT_FALSE(m->MenuAdd[3]->isEnabled());
    QMdiSubWindow* sub = m->SubWindowOf(w);
    ASSERT_NE(sub, nullptr);
    EXPECT_TRUE(sub->isMaximized());
    EXPECT_TRUE(w->isVisible());
    EXPECT_NE(w->mSeqInfo, nullptr);  // InitialInst ran

    EXPECT_TRUE(w->Timer1.Running());
    EXPECT_EQ(w->Timer1.Interval(), 1000);
    EXPECT_TRUE(static_cast<ManualTickSource&>(w->Timer1.source()).running);
    EXPECT_TRUE(w->MSComm1.PortOpen());
    EXPECT_EQ(w->MSComm1.PortNumber(), 7);
    EXPECT_EQ(w->MSComm1.Settings(), "115200,n,8,1");
    EXPECT_EQ(w->MSComm1.DevicePath(), unit.slavePath());
    EXPECT_EQ(w->MSComm1.InputLen(), 0);
    EXPECT_EQ(w->MSComm1.RThreshold(), 1);
    EXPECT_EQ(w->MSComm1.SThreshold(), 0);
    EXPECT_TRUE(dialogs.messages.empty());

    // Exit closes the child and gives the entry back.
    w->cmdExit->click();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(m->MenuAdd[3]->isEnabled());
    EXPECT_EQ(m->RealTimeWindows[3], nullptr);
    EXPECT_TRUE(m->mdiArea->subWindowList().isEmpty());
}

// Every kind of window opens the same way: maximised, filling the
// container, whose caption names it.
TEST_F(MultiUnitWindow, EveryKindOpensMaximisedAndTheCaptionNamesIt) {
    noDevice(9);
    writePorts({9});
    struct Case {
        UnitWindowKind kind;
        const char* title;
    } cases[] = {
        {UnitWindowKind::RealTime, "Unit 1 Real Time Test"},
        {UnitWindowKind::Simple, "Unit 1 Simple Test"},
        {UnitWindowKind::Pvt, "Unit 1 PVT Test"},
        {UnitWindowKind::Swell, "Unit 1 LSM Test"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.title);
        auto m = openContainer();
        m->resize(1024, 740);
        m->Entry(k.kind, 1)->trigger();
        ASSERT_EQ(m->mdiArea->subWindowList().size(), 1);
        QMdiSubWindow* sub = m->mdiArea->subWindowList().first();
        EXPECT_EQ(sub->widget()->windowTitle(), k.title);
        EXPECT_TRUE(sub->isMaximized());
        QApplication::processEvents();
        EXPECT_EQ(sub->geometry(), m->mdiArea->viewport()->rect());
        EXPECT_EQ(m->windowTitle(), QStringLiteral("Z3080DAQ Real Time Test & Monitoring - [%1]").arg(k.title));
        dialogs.clear();
    }
}

TEST_F(MultiUnitWindow, AChildClosedThroughItsFrameGivesBackItsEntryUnlessItsTestRuns) {
    noDevice(9);
    writePorts({0, 9});  // a port without a device: the child lives without one
    auto m = openContainer();
    m->MenuAdd_Click(2);
    dialogs.clear();
    frmRealTime* w = m->RealTimeWindows[2];
    ASSERT_NE(w, nullptr);
    QMdiSubWindow* sub = m->SubWindowOf(w);
    w->RunState = 1;
    EXPECT_FALSE(sub->close());
    EXPECT_EQ(dialogs.texts(), QStringList({"Cannot exit while test is running."}));
    EXPECT_FALSE(m->MenuAdd[2]->isEnabled());
    w->RunState = 0;
    w->lblInstName->setText(QStringLiteral("Unit 9"));  // not a unit label: no entry comes back
    EXPECT_TRUE(sub->close());
    EXPECT_FALSE(m->MenuAdd[2]->isEnabled());
}

// A unit whose window of any kind is open is offered in no kind's menu (its
// port is that window's: the PVT Test menu used to offer a unit open as a
// rheology window, then refuse it with "Port already open"); every kind
// offers it again once that window closes. Each kind opened first.
TEST_F(MultiUnitWindow, AUnitWithAWindowOpenIsOfferedInNoMenuUntilItCloses) {
    UnitSimulator unit;
    unit.attachToPort(5);
    noDevice(6);
    writePorts({5, 6});
    auto m = openContainer();
    for (UnitWindowKind opened : kKinds) {
        SCOPED_TRACE(int(opened));
        m->Entry(opened, 1)->trigger();
        ASSERT_EQ(m->mdiArea->subWindowList().size(), 1);
        QMdiSubWindow* sub = m->mdiArea->subWindowList().first();
        UnitWindow* w = frmMDIRealTime::UnitOf(sub);
        ASSERT_EQ(w->kind(), opened);
        ASSERT_TRUE(w->MSComm1.PortOpen());
        dialogs.clear();  // the swell window's calibration not there
        for (UnitWindowKind kind : kKinds) {
            EXPECT_FALSE(m->Entry(kind, 1)->isEnabled()) << int(kind);
            EXPECT_TRUE(m->Entry(kind, 2)->isEnabled()) << int(kind);  // another unit stays offered
            m->Entry(kind, 1)->trigger();  // not offered: nothing opens, nothing is said
        }
        EXPECT_EQ(m->mdiArea->subWindowList().size(), 1);
        EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join(" | ").toStdString();
        EXPECT_TRUE(w->MSComm1.PortOpen());

        ASSERT_TRUE(sub->close());
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_TRUE(m->mdiArea->subWindowList().isEmpty());
        for (UnitWindowKind kind : kKinds) EXPECT_TRUE(m->Entry(kind, 1)->isEnabled()) << int(kind);
    }
}

TEST_F(MultiUnitWindow, APortHeldByAnotherWindowGivesTheFormLoadErrorAndTheChildStays) {
    testing_support::ManualClock clock;
    UnitSimulator unit;
    unit.attachToPort(4);
    writePorts({4, 4});
    auto m = openContainer();
    m->MenuAdd_Click(1);
    m->MenuAdd_Click(2);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    const ui::MessageRequest& box = dialogs.messages[0];
    EXPECT_EQ(box.title, "Form_Load Error");
    EXPECT_EQ(box.style, ui::vbExclamation);
    EXPECT_TRUE(box.prompt.startsWith("Port already open (port 4 (")) << box.prompt.toStdString();
    EXPECT_TRUE(box.prompt.endsWith(") -  8005")) << box.prompt.toStdString();

    frmRealTime* second = m->RealTimeWindows[2];
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(second->isVisible());
    EXPECT_FALSE(second->MSComm1.PortOpen());
    EXPECT_TRUE(second->Timer1.Running());
    EXPECT_TRUE(m->RealTimeWindows[1]->MSComm1.PortOpen());
    for (int i = 0; i < 3; ++i) {
        clock.advance(1000);
        second->Timer1.Tick();
    }
    EXPECT_EQ(second->lblActiveFlag->text(), "No Response");
    EXPECT_EQ(dialogs.messages.size(), 1u);

    // A unit whose line became 0 since the menus were set: no port either.
    writePorts({4, 4, 0});
    m->MenuAdd[3]->setEnabled(true);
    m->MenuAdd_Click(3);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].prompt, "Invalid port number (port 0 (no device)) -  8002");
    EXPECT_FALSE(m->RealTimeWindows[3]->MSComm1.PortOpen());
}

TEST_F(MultiUnitWindow, ARecordSetUpFailureIsReportedAndTheAddGoesOn) {
    UnitSimulator unit;
    unit.attachToPort(2);
    writePorts({2});
    clsConnection closed;  // never opened
    auto m = openContainer(&closed);
    m->MenuAdd_Click(1);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, "Form_Load Error");
    EXPECT_EQ(dialogs.messages[0].prompt, "Operation is not allowed when the object is closed. -  3704");
    EXPECT_TRUE(m->RealTimeWindows[1]->MSComm1.PortOpen());
}

TEST_F(MultiUnitWindow, TilesAndCascade) {
    // Tiling rectangles cover the area exactly.
    const QRect area(0, 0, 100, 61);
    const auto stacked = TileRects(area, 3, vbTileHorizontal);
    ASSERT_EQ(stacked.size(), 3u);
    EXPECT_EQ(stacked[0], QRect(0, 0, 100, 20));
    EXPECT_EQ(stacked[1], QRect(0, 20, 100, 20));
    EXPECT_EQ(stacked[2], QRect(0, 40, 100, 21));
    const auto sideBySide = TileRects(QRect(10, 5, 90, 50), 2, vbTileVertical);
    EXPECT_EQ(sideBySide[0], QRect(10, 5, 45, 50));
    EXPECT_EQ(sideBySide[1], QRect(55, 5, 45, 50));
    EXPECT_TRUE(TileRects(area, 0, vbTileVertical).empty());

    noDevice(11);
    noDevice(12);
    writePorts({11, 12});
    auto m = openContainer();
    m->MenuWindowCascade->trigger();  // none open: nothing happens
    m->MenuWindowHorizontal->trigger();
    m->MenuAdd_Click(1);
    m->MenuAdd_Click(2);
    m->MenuWindowHorizontal->trigger();
    const QRect view = m->mdiArea->viewport()->rect();
    QMdiSubWindow* a = m->SubWindowOf(m->RealTimeWindows[1]);
    QMdiSubWindow* b = m->SubWindowOf(m->RealTimeWindows[2]);
    EXPECT_FALSE(a->isMaximized());
    EXPECT_EQ(a->width(), view.width());
    EXPECT_EQ(b->width(), view.width());
    EXPECT_NE(a->y(), b->y());
    m->MenuWindowVertically->trigger();
    EXPECT_EQ(a->height(), view.height());
    EXPECT_NE(a->x(), b->x());
    m->MenuWindowCascade->trigger();
    EXPECT_NE(a->pos(), b->pos());
}

// Each kind's designed size, its frame's normal size.
struct DesignedKind {
    UnitWindowKind kind;
    QSize designed;
};
const DesignedKind kDesigned[] = {
    {UnitWindowKind::RealTime, {frmRealTime::kLayoutWidth, frmRealTime::kLayoutHeight}},
    {UnitWindowKind::Simple, {frmSimpleTest::kLayoutWidth, frmSimpleTest::kLayoutHeight}},
    {UnitWindowKind::Pvt, {frmPVTtest::kLayoutWidth, frmPVTtest::kLayoutHeight}},
    {UnitWindowKind::Swell, {frmSWMTest::kLayoutWidth, frmSWMTest::kLayoutHeight}},
};

// A window opens maximised but keeps its designed size for Restore and
// Cascade (it used to come back as a bare caption), each kind.
TEST_F(MultiUnitWindow, RestoreAndCascadeGiveEachWindowItsDesignedSize) {
    noDevice(9);
    writePorts({9, 9, 9, 9});
    auto m = openContainer();
    m->resize(1920, 1020);
    QApplication::processEvents();
    for (int i = 0; i < 4; ++i) m->Entry(kDesigned[i].kind, i + 1)->trigger();  // units 1 .. 4
    dialogs.clear();
    const auto subs = m->mdiArea->subWindowList();
    ASSERT_EQ(subs.size(), 4);

    // The window is shown whole: no scrolling in its frame.
    auto designedShown = [&](QMdiSubWindow* sub, const DesignedKind& k) {
        const UnitWindow* w = frmMDIRealTime::UnitOf(sub);
        EXPECT_EQ(w->kind(), k.kind);
        EXPECT_EQ(w->sizeHint(), k.designed);
        const QSize shown = static_cast<QScrollArea*>(sub->widget())->viewport()->size();
        EXPECT_GE(shown.width(), k.designed.width()) << RectText(sub->geometry());
        EXPECT_GE(shown.height(), k.designed.height()) << RectText(sub->geometry());
        EXPECT_EQ(w->size(), shown);
    };
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(int(kDesigned[i].kind));
        QMdiSubWindow* sub = subs[i];
        m->mdiArea->setActiveSubWindow(sub);
        sub->showNormal();  // Restore
        QApplication::processEvents();
        EXPECT_FALSE(sub->isMaximized());
        designedShown(sub, kDesigned[i]);
    }
    ExpectUnitWindowsReadable(*m);

    m->MenuWindowCascade->trigger();
    QApplication::processEvents();
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(int(kDesigned[i].kind));
        designedShown(subs[i], kDesigned[i]);
        for (int j = 0; j < i; ++j) EXPECT_NE(subs[i]->pos(), subs[j]->pos());
    }
    ExpectUnitWindowsReadable(*m);

    // In a container too small for them, the frames stay inside it and
    // their windows scroll.
    m->resize(1024, 600);
    QApplication::processEvents();
    m->MenuWindowCascade->trigger();
    QApplication::processEvents();
    ExpectUnitWindowsReadable(*m);
}

// The unit windows at the screen scales an operator sets, in a container on
// a 1280 x 800 screen: a window opened at 1.5 (or 0.6) grows (or shrinks)
// with its controls, and, maximised, restored or cascaded, shows every
// control inside itself with its texts whole (at 1.5 the controls used to
// run past the window's right edge: Max Pressure, Zero, Retrieve, Exit).
TEST_F(MultiUnitWindow, AtEveryScreenScaleEachWindowShowsAllItsControlsWhole) {
    for (const double sf : {0.6, 1.0, 1.5}) {
        SCOPED_TRACE(sf);
        gSF = sf;
        noDevice(9);
        writePorts({9, 9, 9, 9});
        auto m = openContainer();
        m->resize(1280, 740);
        QApplication::processEvents();
        for (int i = 0; i < 4; ++i) m->Entry(kDesigned[i].kind, i + 1)->trigger();
        dialogs.clear();
        const auto subs = m->mdiArea->subWindowList();
        ASSERT_EQ(subs.size(), 4);
        for (int i = 0; i < 4; ++i) {
            const UnitWindow* w = frmMDIRealTime::UnitOf(subs[i]);
            const QSize scaled(qRound(kDesigned[i].designed.width() * sf), qRound(kDesigned[i].designed.height() * sf));
            EXPECT_EQ(w->sizeHint(), scaled.expandedTo(w->minimumSizeHint()));
        }
        auto expectWhole = [&](const char* when) {
            SCOPED_TRACE(when);
            QApplication::processEvents();
            ExpectUnitWindowsReadable(*m);
            for (QMdiSubWindow* sub : subs) {
                UnitWindow* w = frmMDIRealTime::UnitOf(sub);
                if (sub->isVisible() && !sub->isMinimized())
                    EXPECT_EQ(testing_support::ControlsOutside(*w), "") << w->windowTitle().toStdString();
            }
        };
        expectWhole("maximised");
        subs.back()->showNormal();
        expectWhole("restored");
        m->MenuWindowCascade->trigger();
        expectWhole("cascaded");
        m->close();
    }
}

// Three units tiled either way on a 1280 x 800 screen: below the size at
// which its texts fit, a window keeps that size and its frame scrolls; its
// labels never overlap or lose their text (they used to be squeezed to
// "Sample T", "Shear Ra", boxes to "0.0").
TEST_F(MultiUnitWindow, TiledWindowsKeepTheirTextsWholeAndScroll) {
    noDevice(9);
    noDevice(10);
    noDevice(11);
    writePorts({9, 10, 11});
    auto m = openContainer();
    m->resize(1280, 740);
    QApplication::processEvents();
    m->MenuAdd_Click(1);
    m->MenuPVTAdd_Click(2);
    m->MenuSwellAdd_Click(3);
    dialogs.clear();
    ASSERT_EQ(m->mdiArea->subWindowList().size(), 3);

    for (QAction* tile : {m->MenuWindowVertically, m->MenuWindowHorizontal}) {
        SCOPED_TRACE(tile->text().toStdString());
        tile->trigger();
        QApplication::processEvents();
        ExpectUnitWindowsReadable(*m);
        for (QMdiSubWindow* sub : m->mdiArea->subWindowList()) {
            const auto* frame = static_cast<QScrollArea*>(sub->widget());
            // A third of the screen is less than any of these windows needs.
            const QScrollBar* bar =
                tile == m->MenuWindowVertically ? frame->horizontalScrollBar() : frame->verticalScrollBar();
            EXPECT_GT(bar->maximum(), 0) << frmMDIRealTime::UnitOf(sub)->windowTitle().toStdString();
        }
    }
}

// The container never moves a window by itself. Four and eight units (every
// kind among them) at the container's size on a 1280 x 800 and a 1920 x 1080
// screen, maximised, restored, cascaded and tiled both ways: the operator
// activates each window in turn, opens its dialog (Select Sequence, the
// simple test's Oscillatory Test) and closes it, maximises and restores it,
// and every frame keeps its place. A tiled window at the area's right or
// bottom used to jump to its left or top edge, under another window, once
// it lost the activation (another window's dialog, another window clicked),
// and a window restored there did the same.
TEST_F(MultiUnitWindow, EveryFrameKeepsItsPlaceWhileEachWindowIsActivatedAndOpensItsDialog) {
    for (int port = 11; port <= 18; ++port) noDevice(port);
    writePorts({11, 12, 13, 14, 15, 16, 17, 18});
    using K = UnitWindowKind;
    const std::vector<K> four{K::RealTime, K::Simple, K::Pvt, K::Swell};
    const std::vector<K> eight{K::RealTime, K::Simple, K::Pvt, K::Swell, K::RealTime, K::Simple, K::Pvt, K::Swell};
    const QSize sizes[] = {{1280, 740}, {1920, 1020}};  // the container on a 1280 x 800 and a 1920 x 1080 screen
    struct Arrangement {
        const char* name;
        std::function<void(frmMDIRealTime&)> arrange;
    };
    const Arrangement arrangements[] = {
        {"maximised", [](frmMDIRealTime&) {}},  // as the windows open
        {"restored", [](frmMDIRealTime& m) { m.mdiArea->activeSubWindow()->showNormal(); }},
        {"cascaded", [](frmMDIRealTime& m) { m.MenuWindowCascade->trigger(); }},
        {"tiled horizontally", [](frmMDIRealTime& m) { m.MenuWindowHorizontal->trigger(); }},
        {"tiled vertically", [](frmMDIRealTime& m) { m.MenuWindowVertically->trigger(); }},
    };
    for (const QSize& size : sizes)
        for (const std::vector<K>* kinds : {&four, &eight}) {
            SCOPED_TRACE(QStringLiteral("%1 units at %2 x %3").arg(kinds->size()).arg(size.width()).arg(size.height()).toStdString());
            auto m = openContainer();
            m->resize(size);
            QApplication::processEvents();
            for (std::size_t i = 0; i < kinds->size(); ++i) m->Entry((*kinds)[i], int(i) + 1)->trigger();
            dialogs.clear();  // the ports without a device, the swell calibration not there
            ASSERT_EQ(m->mdiArea->subWindowList().size(), qsizetype(kinds->size()));
            for (const Arrangement& a : arrangements) {
                SCOPED_TRACE(a.name);
                a.arrange(*m);
                QApplication::processEvents();
                ExpectUnitWindowsReadable(*m);
                ExpectFramesStayThroughEachWindowsDialog(*m, [] { QApplication::processEvents(); });
            }
            m->close();
        }
}

// Only a change of the area itself keeps the frames inside it: when the
// container shrinks, a frame beyond its new edge moves back as little as it
// must and is cut to it (a window maximised meanwhile too, once restored);
// when it grows again, nothing moves.
TEST_F(MultiUnitWindow, AContainerMadeSmallerBringsItsFramesBackInsideIt) {
    for (int port = 11; port <= 14; ++port) noDevice(port);
    writePorts({11, 12, 13, 14});
    auto m = openContainer();
    m->resize(1920, 1020);
    QApplication::processEvents();
    for (int n = 1; n <= 4; ++n) m->MenuAdd_Click(n);
    dialogs.clear();
    m->MenuWindowVertically->trigger();
    QApplication::processEvents();
    const auto subs = m->mdiArea->subWindowList();
    const QRect big = m->mdiArea->viewport()->rect();
    const auto tiles = TileRects(big, 4, vbTileVertical);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(subs[i]->geometry(), tiles[i]);
    m->mdiArea->setActiveSubWindow(subs[3]);
    subs[3]->showMaximized();
    QApplication::processEvents();

    m->resize(1280, 740);
    QApplication::processEvents();
    const QRect small = m->mdiArea->viewport()->rect();
    ASSERT_LT(small.width(), tiles[3].left());
    EXPECT_EQ(subs[3]->geometry(), small);
    subs[3]->showNormal();
    QApplication::processEvents();
    // At the new right edge, as wide as it was, as high as the area.
    const int w = tiles[3].width();
    EXPECT_EQ(subs[3]->geometry(), QRect(small.right() + 1 - w, 0, w, small.height())) << RectText(subs[3]->geometry());
    EXPECT_EQ(subs[2]->geometry(), QRect(small.right() + 1 - w, 0, w, small.height())) << RectText(subs[2]->geometry());
    EXPECT_EQ(subs[0]->geometry(), QRect(0, 0, w, small.height())) << RectText(subs[0]->geometry());
    ExpectUnitWindowsReadable(*m);

    std::vector<QRect> shrunk;
    for (QMdiSubWindow* sub : subs) shrunk.push_back(sub->geometry());
    m->resize(1920, 1020);
    QApplication::processEvents();
    for (int i = 0; i < 4; ++i) EXPECT_EQ(subs[i]->geometry(), shrunk[i]) << i;
}

// The frame between the window and its sub-window changes nothing of what
// the window does: Exit and a refused close act on the sub-window.
TEST_F(MultiUnitWindow, TheWindowsFrameClosesWithItAndOnlyWithIt) {
    noDevice(9);
    writePorts({9});
    auto m = openContainer();
    m->MenuPVTAdd_Click(1);
    dialogs.clear();
    auto* w = static_cast<frmPVTtest*>(m->PvtTestWindows[1].data());
    ASSERT_NE(w, nullptr);
    QMdiSubWindow* sub = m->SubWindowOf(w);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(frmMDIRealTime::UnitOf(sub), w);
    EXPECT_EQ(sub->windowTitle(), "Unit 1 PVT Test");
    w->setWindowTitle(QStringLiteral("Unit 1 PVT Test (renamed)"));  // the frame follows the window's caption
    EXPECT_EQ(sub->windowTitle(), "Unit 1 PVT Test (renamed)");

    w->RunState = 1;
    EXPECT_FALSE(sub->close());
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(m->mdiArea->subWindowList().size(), 1);
    w->RunState = 0;
    w->cmdExit->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(m->mdiArea->subWindowList().isEmpty());
    EXPECT_EQ(m->PvtTestWindows[1], nullptr);
    EXPECT_TRUE(m->MenuPVTAdd[1]->isEnabled());
}

TEST_F(MultiUnitWindow, ExitClosesEveryChildUnlessOneRefuses) {
    UnitSimulator u1, u2;
    u1.attachToPort(5);
    u2.attachToPort(6);
    writePorts({5, 6});
    auto m = openContainer();
    m->MenuAdd_Click(1);
    m->MenuAdd_Click(2);
    m->RealTimeWindows[2]->RunState = 6;
    m->MenuExit->trigger();
    EXPECT_TRUE(m->isVisible());
    EXPECT_EQ(dialogs.texts(), QStringList({"Cannot exit while test is running.\nTest running on: Unit 2"}));
    ASSERT_NE(m->RealTimeWindows[2], nullptr);
    EXPECT_TRUE(m->RealTimeWindows[2]->MSComm1.PortOpen());

    m->RealTimeWindows[2]->RunState = 0;
    m->MenuExit_Click();
    EXPECT_FALSE(m->isVisible());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(m->RealTimeWindows[1], nullptr);
    EXPECT_EQ(m->RealTimeWindows[2], nullptr);
}

TEST_F(MultiUnitWindow, TheApplicationHasOneContainer) {
    writePorts({1});
    frmMDIRealTime* first = frmMDIRealTime::ShowInstance(&conn);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(frmMDIRealTime::ShowInstance(&conn), first);
    EXPECT_EQ(frmMDIRealTime::Instance(), first);
    EXPECT_TRUE(first->MenuAdd[1]->isEnabled());  // loaded
    first->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(frmMDIRealTime::Instance(), nullptr);
}
