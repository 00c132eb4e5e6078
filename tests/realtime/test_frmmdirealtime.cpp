// The multi-unit test window: its menus from the unit ports of the settings
// file, adding a unit's rheology window on its port, the port-in-use error,
// the arrangements of the children, and closing.

#include "RealTimeFixture.h"

#include "unitlink/UnitPorts.h"
#include "realtime/frmMDIRealTime.h"
#include "realtime/frmRealTime.h"
#include "support/UnitSimulator.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

using namespace realtime_tests;
using testing_support::ManualTickSource;
using testing_support::UnitSimulator;

namespace {

constexpr UnitWindowKind kKinds[] = {UnitWindowKind::RealTime, UnitWindowKind::Simple, UnitWindowKind::Pvt,
                                     UnitWindowKind::Swell};

class MultiUnitWindow : public RealTimeFixture {
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

TEST_F(MultiUnitWindow, APortHeldByAnotherWindowGivesTheFormLoadErrorAndTheChildStays) {
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
    EXPECT_TRUE(box.prompt.startsWith("Port already open (port 4 = ")) << box.prompt.toStdString();
    EXPECT_TRUE(box.prompt.endsWith(") -  8005")) << box.prompt.toStdString();

    frmRealTime* second = m->RealTimeWindows[2];
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(second->isVisible());
    EXPECT_FALSE(second->MSComm1.PortOpen());
    EXPECT_TRUE(second->Timer1.Running());
    EXPECT_TRUE(m->RealTimeWindows[1]->MSComm1.PortOpen());
    for (int i = 0; i < 10; ++i) second->Timer1.Tick();
    EXPECT_EQ(second->lblActiveFlag->text(), "No Response");
    EXPECT_EQ(dialogs.messages.size(), 1u);

    // A unit whose line became 0 since the menus were set: no port either.
    writePorts({4, 4, 0});
    m->MenuAdd[3]->setEnabled(true);
    m->MenuAdd_Click(3);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].prompt, "Invalid port number (port 0) -  8002");
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
    EXPECT_EQ(dialogs.texts(), QStringList({"Cannot exit while test is running."}));
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
