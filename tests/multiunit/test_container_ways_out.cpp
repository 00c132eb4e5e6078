// Closing the multi-unit window decides before any of its windows closes.
// Three units on simulated units (a rheology window running a real test, an
// idle PVT and an idle swell window, each on its own port): a close while the
// test runs is refused naming the unit, and every window stays open with its
// port; with points the database refused (another program holds it locked)
// the close asks once about them, naming the test, and each answer does what
// it says.

#include "support/UnitWindowFixture.h"
#include "rheology/RunWindowFixture.h"
#include "rheology/SimulatedRun.h"

#include "multiunit/frmMDIRealTime.h"
#include "rheology/frmRealTime.h"
#include "support/DatabaseFaults.h"
#include "support/StoredSequences.h"
#include "support/UnitSimulator.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <memory>

using namespace unit_tests;
using testing_support::UnitSimulator;

namespace {

class ContainerWaysOut : public UnitWindowFixture {
protected:
    void SetUp() override {
        UnitWindowFixture::SetUp();
        // Unit 1 follows its set points at once and sends only the frames the
        // run asks for; units 2 and 3 are there for their ports.
        UnitSimulator::Readings r;
        r.status = 1;
        r.temperature = 100;
        r.tempSetPoint = 100;
        rheologyUnit.setReadings(r);
        UnitSimulator::Physics physics;
        physics.tempRate = 1000;
        physics.viscosityCp = 50;
        rheologyUnit.setPhysics(physics);
        rheologyUnit.setSilent(true);
        rheologyUnit.attachToPort(1);
        pvtUnit.attachToPort(2);
        swellUnit.attachToPort(3);
        writePorts({1, 2, 3});

        mdi = std::make_unique<frmMDIRealTime>(&conn);
        mdi->MDIForm_Load();
        mdi->show();
        mdi->MenuAdd[1]->trigger();
        mdi->MenuPVTAdd[2]->trigger();
        mdi->MenuSwellAdd[3]->trigger();
        rheology = mdi->RealTimeWindows[1].data();
        pvt = mdi->PvtTestWindows[2];
        swell = mdi->SwellTestWindows[3];
        ASSERT_TRUE(rheology && pvt && swell);
        for (UnitWindow* w : windows()) ASSERT_TRUE(w->MSComm1.PortOpen()) << w->windowTitle().toStdString();
        run = std::make_unique<SimulatedRun>(*rheology, rheologyUnit, clock);

        // Unit 1 records a point every 5 s of a 10-minute step.
        SeqStep step;
        step.minutes = 10;
        step.temp = 100;
        step.interval = 5;
        StoreSequence(conn, "Seq", {step});
        ASSERT_NO_FATAL_FAILURE(testing_support::PickSequence(*rheology, "Seq"));
        TestEntry entry;
        entry.name = "Run A";
        AnswerTestInfo answer(entry);
        rheology->cmdStart_Stop->click();
        ASSERT_EQ(rheology->RunState, runloop::kStepRunning) << dialogs.texts().join(" | ").toStdString();
        ASSERT_TRUE(run->tickUntil([&] { return stored() >= 2; }, 100));
        dialogs.clear();  // the swell window's calibration not there
    }

    std::vector<UnitWindow*> windows() const { return {rheology.data(), pvt.data(), swell.data()}; }

    int stored() {
        db::Command cmd(conn.ADOConnection(),
                        QStringLiteral("SELECT COUNT(*) FROM TEST_RESULT WHERE TEST_ID = %1").arg(rheology->TestId));
        return cmd.execute()->columns[0][0].toInt();
    }

    // Every window still open in its frame, on its port, its unit offered in no menu.
    void expectEveryWindowOpen() {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(mdi->isVisible());
        ASSERT_TRUE(rheology && pvt && swell);
        for (UnitWindow* w : windows()) {
            SCOPED_TRACE(w->windowTitle().toStdString());
            QMdiSubWindow* sub = mdi->SubWindowOf(w);
            ASSERT_NE(sub, nullptr);
            EXPECT_TRUE(sub->isVisible());
            EXPECT_TRUE(w->MSComm1.PortOpen());
        }
        for (int n = 1; n <= 3; ++n) EXPECT_FALSE(mdi->MenuPVTAdd[n]->isEnabled()) << n;
    }

    UnitSimulator rheologyUnit, pvtUnit, swellUnit;
    testing_support::ManualClock clock;
    std::unique_ptr<frmMDIRealTime> mdi;
    QPointer<frmRealTime> rheology;
    QPointer<UnitWindow> pvt, swell;
    std::unique_ptr<SimulatedRun> run;
};

}  // namespace

// The close box and Exit mid-run: refused naming the unit, no window closed
// (the idle PVT and swell windows used to be closed and their ports let go),
// and the run goes on.
TEST_F(ContainerWaysOut, AClosedRefusedMidRunNamesTheUnitAndClosesNoWindow) {
    struct Door {
        const char* name;
        std::function<void()> use;
    } doors[] = {
        {"close box", [&] { EXPECT_FALSE(mdi->close()); }},
        {"Exit", [&] { mdi->MenuExit->trigger(); }},
    };
    for (const Door& door : doors) {
        SCOPED_TRACE(door.name);
        dialogs.clear();
        door.use();
        EXPECT_EQ(dialogs.texts(), QStringList{"Cannot exit while test is running.\nTest running on: Unit 1"});
        expectEveryWindowOpen();
        const int before = stored();
        ASSERT_TRUE(run->tickUntil([&] { return stored() > before; }, 10));
        EXPECT_EQ(rheology->RunState, runloop::kStepRunning);
    }
}

namespace {

// The close with points waiting and no test running: the answers in turn,
// the database free again before the close, and what follows.
struct CloseCase {
    const char* name;
    bool byExit;  // Exit rather than the close box
    std::vector<int> answers;
    bool releasedFirst;
    bool closes;
    bool stored;  // every point waiting stored
};

const CloseCase kCloseCases[] = {
    {"CancelKeepsEveryWindow", false, {ui::vbCancel}, true, false, false},
    {"NoClosesEveryWindowAndLeavesThemKept", true, {ui::vbNo}, false, true, false},
    {"YesStoresThemAndCloses", true, {ui::vbYes}, true, true, true},
    {"YesWhileRefusedAsksAgainAndCancelKeepsEveryWindow", false, {ui::vbYes, ui::vbCancel}, false, false, false},
    {"YesWhileRefusedAsksAgainAndNoCloses", true, {ui::vbYes, ui::vbNo}, false, true, false},
};

class ContainerCloseWithPointsWaiting : public ContainerWaysOut, public ::testing::WithParamInterface<CloseCase> {};

INSTANTIATE_TEST_SUITE_P(Answers, ContainerCloseWithPointsWaiting, ::testing::ValuesIn(kCloseCases),
                         [](const ::testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.name); });

}  // namespace

// Asked once for all the windows, naming the test and how many points (no
// window asks again after); Cancel, the default, keeps every window open.
TEST_P(ContainerCloseWithPointsWaiting, AsksOnceNamingTheTest) {
    const CloseCase& c = GetParam();
    const int before = stored();
    testing_support::LockedDatabase lock(db.path());
    ASSERT_TRUE(run->tickUntil([&] { return rheology->RowsWaiting() >= 2; }, 20));
    const int waiting = rheology->RowsWaiting();
    dialogs.answers = {ui::vbCancel};  // Stop's own question: the points kept
    rheology->cmdStop->click();
    ASSERT_EQ(rheology->RunState, runloop::kIdle);
    ASSERT_EQ(rheology->RowsWaiting(), waiting);

    if (c.releasedFirst) lock.Release();
    dialogs.clear();
    dialogs.answers.assign(c.answers.begin(), c.answers.end());
    if (c.byExit)
        mdi->MenuExit->trigger();
    else
        EXPECT_EQ(mdi->close(), c.closes);

    const QString question = QStringLiteral(
                                 "Recorded points not yet stored; the database refuses them:\r"
                                 "Unit 1, test \"Run A\": %1 points waiting to be stored (database is locked)\r\r"
                                 "Yes: try to store them now; the windows close once they are stored.\r"
                                 "No: close the windows; the points are kept and stored at the next start.\r"
                                 "Cancel: keep the windows open; they keep trying to store them.")
                                 .arg(waiting);
    QStringList asked{question};
    if (c.answers.size() > 1)
        asked << QStringLiteral("Not all could be stored: %1 points still waiting.\r\r").arg(waiting) + question;
    EXPECT_EQ(dialogs.texts(), asked);
    EXPECT_EQ(dialogs.messages.back().style, ui::vbYesNoCancel + ui::vbExclamation + ui::vbDefaultButton3);

    if (!c.closes) {
        expectEveryWindowOpen();
        EXPECT_EQ(rheology->RowsWaiting(), waiting);
        EXPECT_EQ(stored(), before);
        return;
    }
    EXPECT_FALSE(mdi->isVisible());
    for (UnitWindow* w : windows()) EXPECT_FALSE(w->isVisible()) << w->windowTitle().toStdString();
    // No drops nothing: the points still wait, kept for the next start.
    EXPECT_EQ(rheology->RowsWaiting(), c.stored ? 0 : waiting);
    EXPECT_EQ(stored(), before + (c.stored ? waiting : 0));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(rheology || pvt || swell);
}
