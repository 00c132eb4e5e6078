// The unit windows that are open, as the main window and the open-test dialog
// ask after them: the units whose window runs a test, and the unit recording
// a stored test, for every kind of unit window.

#include "swell/SwellFixture.h"

#include "rheology/frmRealTime.h"
#include "pvt/frmPVTtest.h"
#include "swell/frmSWMTest.h"
#include "simpletest/frmSimpleTest.h"

#include <QLabel>

namespace {

class UnitRegistry : public swell_tests::SwellFixture {};

// A kind's window, its run state set as a running test or an idle one.
struct KindCase {
    const char* kind;
    std::function<std::unique_ptr<UnitWindow>(clsConnection&)> make;
    std::function<void(UnitWindow&, bool running, qint32 testId)> set;
    bool records;  // a running test of the kind stores its rows under its TestId
};

const KindCase kKinds[] = {
    {"rheology", [](clsConnection&) { return std::make_unique<frmRealTime>(); },
     [](UnitWindow& w, bool running, qint32 id) {
         auto& r = static_cast<frmRealTime&>(w);
         r.RunState = running ? runloop::kStepRunning : runloop::kIdle;
         r.TestId = id;
     },
     true},
    {"PVT", [](clsConnection&) { return std::make_unique<frmPVTtest>(); },
     [](UnitWindow& w, bool running, qint32 id) {
         auto& p = static_cast<frmPVTtest&>(w);
         p.RunState = running ? frmPVTtest::kRunning : frmPVTtest::kIdle;
         p.TestId = id;
     },
     true},
    {"swell", [](clsConnection& conn) { return std::make_unique<frmSWMTest>(2, &conn); },
     [](UnitWindow& w, bool running, qint32 id) {
         auto& s = static_cast<frmSWMTest&>(w);
         // Preheating sends set points but runs no test.
         s.RunState = running ? swell::kRunning : swell::kPreheating;
         s.TestId = id;
     },
     true},
    {"simple", [](clsConnection&) { return std::make_unique<frmSimpleTest>(); },
     [](UnitWindow& w, bool running, qint32) {
         static_cast<frmSimpleTest&>(w).RunState = running ? SimpleTestRun::kRunning : SimpleTestRun::kIdle;
     },
     false},
};

}  // namespace

TEST_F(UnitRegistry, EachKindTellsWhetherItRunsATestAndWhichTestItRecords) {
    for (const KindCase& k : kKinds) {
        SCOPED_TRACE(k.kind);
        ASSERT_TRUE(UnitWindow::UnitsRunningTests().isEmpty());
        {
            std::unique_ptr<UnitWindow> w = k.make(conn);
            w->lblInstName->setText("Unit 4");
            k.set(*w, false, 17);
            EXPECT_TRUE(UnitWindow::UnitsRunningTests().isEmpty());
            EXPECT_EQ(w->RecordingTestId(), 0);
            EXPECT_EQ(UnitWindow::UnitRecordingTest(17), "");

            k.set(*w, true, 17);
            EXPECT_EQ(UnitWindow::UnitsRunningTests(), QStringList{"Unit 4"});
            EXPECT_EQ(w->RecordingTestId(), k.records ? 17 : 0);
            EXPECT_EQ(UnitWindow::UnitRecordingTest(17), k.records ? "Unit 4" : "");
            EXPECT_EQ(UnitWindow::UnitRecordingTest(18), "");
            EXPECT_EQ(UnitWindow::UnitRecordingTest(0), "");
        }
        // A window gone is asked no more.
        EXPECT_TRUE(UnitWindow::UnitsRunningTests().isEmpty());
        EXPECT_EQ(UnitWindow::UnitRecordingTest(17), "");
    }
}

TEST_F(UnitRegistry, TheRunningUnitsAreNamedInUnitOrderEachOnce) {
    std::vector<std::unique_ptr<UnitWindow>> windows;
    // Made in this order: unit 5 (PVT, running), 2 (rheology, running),
    // 3 (simple, idle), 5 again (rheology, running).
    const std::pair<int, int> made[] = {{1, 5}, {0, 2}, {3, 3}, {0, 5}};
    for (const auto& [kind, unit] : made) {
        windows.push_back(kKinds[kind].make(conn));
        windows.back()->lblInstName->setText(QStringLiteral("Unit %1").arg(unit));
        kKinds[kind].set(*windows.back(), kind != 3, 100 + int(windows.size()));
    }
    EXPECT_EQ(UnitWindow::UnitsRunningTests(), (QStringList{"Unit 2", "Unit 5"}));
    EXPECT_EQ(UnitWindow::UnitRecordingTest(101), "Unit 5");
    EXPECT_EQ(UnitWindow::UnitRecordingTest(102), "Unit 2");
    EXPECT_EQ(UnitWindow::UnitRecordingTest(103), "");
    EXPECT_EQ(UnitWindow::UnitRecordingTest(104), "Unit 5");
}
