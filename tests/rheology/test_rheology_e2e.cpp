// End to end: the multi-unit window adds unit 1, whose rheology window polls
// a simulated unit on a pseudo-terminal through the port mapping; readings
// and status appear, Zero reaches the unit, and a run of over-temperature
// replies stops the unit once with its message. A stored sequence is picked,
// started and run to its end on simulated time: its set points reach the unit
// on their ticks, its points are stored and read back over a new connection,
// and every way out of a run sends the stop frame.

#include "support/UnitWindowFixture.h"
#include "RunWindowFixture.h"
#include "SimulatedRun.h"

#include "data/BobGeometry.h"
#include "data/clsTEST_RESULT.h"

#include "platform/FlexGrid.h"
#include "platform/PeChart.h"
#include "multiunit/frmMDIRealTime.h"
#include "rheology/frmRealTime.h"
#include "support/DatabaseFaults.h"
#include "support/ScriptedDialogs.h"
#include "support/TransferReads.h"
#include "support/UnitSimulator.h"
#include "unitlink/StoredTransferRead.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <utility>

using namespace unit_tests;
using testing_support::ManualTickSource;
using testing_support::UnitSimulator;

using EndToEnd = UnitWindowFixture;

TEST_F(EndToEnd, UnitOneFromTheMultiUnitWindowToTheTrip) {
    UnitSimulator unit;
    UnitSimulator::Readings r;
    r.status = 1;
    r.temperature = 200;
    r.tempSetPoint = 250;
    r.speed = 300;
    r.pressure = 1500;
    r.pressSetPoint = 2000;
    unit.setReadings(r);
    UnitSimulator::Physics physics;
    physics.viscosityCp = 50;  // stress = 50 x 300 x 1.70229 / 100
    unit.setPhysics(physics);
    unit.setSplit(3, 2);  // every frame in three reads
    unit.setPeriod(40);
    unit.attachToPort(1);
    unit.start();

    writePorts({1});
    frmMDIRealTime mdi(&conn);
    mdi.MDIForm_Load();
    mdi.show();
    ASSERT_TRUE(mdi.MenuAdd[1]->isEnabled());
    mdi.MenuAdd[1]->trigger();
    frmRealTime* w = mdi.RealTimeWindows[1];
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(w->MSComm1.PortOpen());
    auto& timer = static_cast<ManualTickSource&>(w->Timer1.source());
    auto tick = [&] { ASSERT_TRUE(timer.fire()); };

    // Readings and status.
    ASSERT_TRUE(until(tick, [&] { return w->txtSampleTemp->text() == "200.0"; }));
    EXPECT_EQ(w->lblActiveFlag->text(), "Running Test");
    EXPECT_EQ(w->txtTempSetPoint->text(), "250.0");
    EXPECT_EQ(w->txtspeed->text(), "300.");
    EXPECT_EQ(w->txtShearStress->text(), "255.3");
    EXPECT_EQ(w->txtFann->text(), "50.0");
    EXPECT_EQ(w->txtVisc->text(), "85.1");  // the window's factor is 1.0 until a bob is entered
    EXPECT_EQ(w->txtPressure->text(), " 1500");
    EXPECT_EQ(w->txtPressSetPoint->text(), "2000");
    EXPECT_TRUE(dialogs.messages.empty());

    // Zero.
    w->cmdZero->click();
    ASSERT_TRUE(unit.waitForCommands(1));
    EXPECT_EQ(unit.commands()[0].bytes, QByteArray("\x08\r"));

    // Ten replies above 610 °F: one stop frame, one message.
    unit.runOverTemperature(10, 650);
    ASSERT_TRUE(until(tick, [&] { return !dialogs.messages.empty(); }));
    ASSERT_TRUE(unit.waitForCommands(2));
    // Keep polling a while at the normal temperature again.
    ASSERT_TRUE(until(tick, [&] { return w->txtSampleTemp->text() == "200.0"; }));
    for (int i = 0; i < 10; ++i) tick();
    EXPECT_EQ(dialogs.texts(), QStringList({"Temperature too high, test shutting down."}));
    const auto commands = unit.commands();
    EXPECT_EQ(std::count_if(commands.begin(), commands.end(), [](const auto& c) { return c.bytes == "\x04\r"; }), 1);
    EXPECT_EQ(commands[1].bytes, QByteArray("\x04\r"));
    EXPECT_EQ(w->mReply.watch.counts.overTemperature, 0);
    EXPECT_EQ(w->RunState, 0);
    ASSERT_TRUE(until(tick, [&] { return w->lblActiveFlag->text() == "InActive"; }));  // the unit stopped

    // The window closes and gives its port back.
    w->cmdExit->click();
    EXPECT_TRUE(mdi.MenuAdd[1]->isEnabled());
}

namespace {

// The simulated unit of the run tests: a sample at 100 °F that follows its
// set points at once, pressure likewise, a Newtonian fluid of 50 cP; it sends
// only the frames the harness asks for.
void setUpUnit(UnitSimulator& unit, int port) {
    UnitSimulator::Readings r;
    r.status = 1;
    r.temperature = 100;
    r.tempSetPoint = 100;
    r.pressure = 0;
    r.pressSetPoint = 0;
    unit.setReadings(r);
    UnitSimulator::Physics physics;
    physics.tempRate = 1000;
    physics.pressRate = 100000;
    physics.viscosityCp = 50;
    unit.setPhysics(physics);
    unit.setSilent(true);
    unit.attachToPort(port);
}

SeqStep seqStep(double minutes, double temp, double tolerance, double speed, double interval, double press,
                double runRamp, double tempRate, double cycles, double pressRate) {
    return {minutes, temp, tolerance, speed, interval, press, runRamp, tempRate, cycles, pressRate};
}

struct StoredRow {
    double step, entry, time, cycle, type;
    bool operator==(const StoredRow&) const = default;
};
std::ostream& operator<<(std::ostream& os, const StoredRow& r) {
    return os << "(" << r.step << "," << r.entry << "," << r.time << "," << r.cycle << "," << r.type << ")";
}

class RunEndToEnd : public UnitWindowFixture {
protected:
    // Picks the sequence in the window's picker and starts it as the test `name`.
    void pickAndStart(frmRealTime& w, const QString& sequence, const QString& name) {
        ASSERT_NO_FATAL_FAILURE(testing_support::PickSequence(w, sequence));
        ASSERT_EQ(w.mSequenceName, sequence);
        TestEntry entry;
        entry.name = name;
        entry.bob = "B1";
        AnswerTestInfo answer(entry);
        w.cmdStart_Stop->click();
        ASSERT_EQ(answer.shown, 1);
        ASSERT_EQ(w.RunState, 1) << dialogs.texts().join(";").toStdString();
    }

    // Unit 1's rheology window, opened through the multi-unit window.
    static frmRealTime* openUnitOne(frmMDIRealTime& mdi) {
        mdi.MDIForm_Load();
        mdi.show();
        mdi.MenuAdd[1]->trigger();
        return mdi.RealTimeWindows[1];
    }

    testing_support::ManualClock clock;
};

}  // namespace

TEST_F(RunEndToEnd, ASequenceRunsThroughStepsCyclesAndRampsAndItsPointsAreStored) {
    UnitSimulator unit;
    setUpUnit(unit, 1);
    writePorts({1});
    // Step 1: heating to 300 °F at 3 °F/min, 2000 psi at 500 psi/min, a point
    // every 30 s for 5 min. Step 2: two cycles of 5 min at 5000 psi, a point
    // every 60 s, each followed by the ramp of two 20 s entries (a point every 5 s).
    StoreSequence(conn, "Two steps",
                  {seqStep(5, 300, 250, 300, 30, 2000, 0, 3, 1, 500), seqStep(5, 300, 250, 100, 60, 5000, 1, 3, 2, 500)},
                  {{100, 20, 5}, {200, 20, 5}});

    auto mdi = std::make_unique<frmMDIRealTime>(&conn);
    mdi->MDIForm_Load();
    mdi->show();
    mdi->MenuAdd[1]->trigger();
    QPointer<frmRealTime> w = mdi->RealTimeWindows[1];
    ASSERT_TRUE(w);
    ASSERT_TRUE(w->MSComm1.PortOpen());
    SimulatedRun run(*w, unit, clock);
    ASSERT_TRUE(run.tick());  // polling before the run
    ASSERT_EQ(w->txtSampleTemp->text(), "100.0");

    pickAndStart(*w, "Two steps", "End to end");
    EXPECT_FALSE(w->cmdZero->isEnabled());
    const qint32 testId = w->TestId;
    ASSERT_GT(testId, 0);

    // Closing while the run goes on is refused, naming the unit.
    ASSERT_TRUE(run.tickUntil([&] { return w->StepSeconds >= 100; }));
    dialogs.clear();
    mdi->MenuExit_Click();
    const QString refusal = "Cannot exit while test is running.\nTest running on: Unit 1";
    EXPECT_EQ(dialogs.texts(), QStringList{refusal});
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->isVisible());

    ASSERT_TRUE(run.tickUntil([&] { return w->RunState == 0; }));
    EXPECT_EQ(dialogs.texts(), QStringList{refusal});  // nothing else to say
    EXPECT_EQ(run.unexpectedCommands(), 0u);

    using Frames = std::vector<std::pair<qint64, QByteArray>>;
    EXPECT_EQ(run.setPoints(), (Frames{
                                   // Step 1: 100 °F + 6.72 on its second tick, then 6.72 more every 120 s;
                                   // the pressure from 0 in 500 psi steps a minute apart.
                                   {2, "106.7,00500,300.000 1"},
                                   {62, "106.7,01000,300.000 1"},
                                   {122, "113.4,01000,300.000 1"},
                                   {125, "113.4,01500,300.000 1"},
                                   {185, "113.4,02000,300.000 1"},
                                   {242, "120.2,02000,300.000 1"},
                                   // Step 2, cycle 1: from the sample (120.2) and from step 1's 2000 psi.
                                   {302, "126.9,02500,100.000 1"},
                                   {362, "126.9,03000,100.000 1"},
                                   {422, "133.6,03000,100.000 1"},
                                   {425, "133.6,03500,100.000 1"},
                                   {485, "133.6,04000,100.000 1"},
                                   {542, "140.4,04000,100.000 1"},
                                   {545, "140.4,04500,100.000 1"},
                                   // The ramp: the step's own targets at each entry's speed.
                                   {601, "300.0,05000,100.000 1"},
                                   {621, "300.0,05000,200.000 1"},
                                   // Cycle 2: the sample at its target (no more temperature steps),
                                   // the pressure again from 2000 psi.
                                   {642, "300.0,02500,100.000 1"},
                                   {702, "300.0,03000,100.000 1"},
                                   {762, "300.0,03500,100.000 1"},
                                   {822, "300.0,04000,100.000 1"},
                                   {882, "300.0,04500,100.000 1"},
                                   {941, "300.0,05000,100.000 1"},
                                   {961, "300.0,05000,200.000 1"},
                               }));
    ASSERT_EQ(run.stops(), 1);
    EXPECT_EQ(run.sent.back().bytes, QByteArray("\x04\r"));
    EXPECT_EQ(run.sent.back().runSecond, 980);
    EXPECT_TRUE(w->cmdStart_Stop->isEnabled());
    EXPECT_TRUE(w->cmdExit->isEnabled());
    EXPECT_TRUE(w->cmdZero->isEnabled());

    // The live grid has a row per step, cycle and ramp entry, in the order
    // they ran (and the empty row after the final ramp); the chart has the
    // recorded points.
    QStringList groups;
    for (int r = 1; r < w->MSFlexGrid1->Rows(); ++r)
        groups << w->MSFlexGrid1->TextMatrix(r, 0) + "/" + w->MSFlexGrid1->TextMatrix(r, 1) + "/" +
                      w->MSFlexGrid1->TextMatrix(r, 2);
    EXPECT_EQ(groups, (QStringList{"1/1/0", "2/1/0", "2/1/1", "2/1/2", "2/2/0", "2/2/1", "2/2/2", "//"}));
    EXPECT_EQ(w->Pesgo1->points(), int(10 + 2 * (5 + 8)));
    EXPECT_FLOAT_EQ(w->Pesgo1->xData(0, 0), 0.5f);  // the first point, at 30 s

    // The window goes on polling; it closes now.
    ASSERT_TRUE(run.tick());
    mdi->MenuExit_Click();
    EXPECT_TRUE(mdi->MenuAdd[1]->isEnabled());  // the window has closed
    EXPECT_FALSE(w && w->MSComm1.PortOpen());
    mdi.reset();

    // Read back over a new connection, as after a restart of the application.
    clsConnection fresh;
    fresh.OpenDB();
    clsTEST_RESULT results;
    results.Test_Id(testId);
    results.ConnectX(&fresh);
    std::vector<StoredRow> rows;
    std::vector<RowArray> all;
    for (results.MoveFirst(); !results.Eof(); results.MoveNext()) {
        const RowArray a = results.All();
        all.push_back(a);
        rows.push_back({a[clsTEST_RESULT::colRAMP_NO].toDouble(), a[clsTEST_RESULT::colRAMP_STEP_NO].toDouble(),
                        a[clsTEST_RESULT::colRESULT_TIME].toDouble(), a[clsTEST_RESULT::colCYCLE_NO].toDouble(),
                        a[clsTEST_RESULT::colRESULT_TYPE_ID].toDouble()});
    }
    std::vector<StoredRow> expected;
    for (int t = 30; t <= 300; t += 30) expected.push_back({1, 0, double(t), 1, 0});
    for (int cycle = 1; cycle <= 2; ++cycle) {
        const int start = cycle == 1 ? 300 : 640;
        for (int s = 60; s <= 300; s += 60) expected.push_back({2, 0, double(start + s), double(cycle), 0});
        for (int entry = 1; entry <= 2; ++entry)
            for (int s = 5; s <= 20; s += 5)
                expected.push_back({2, double(entry), double(start + 300 + (entry - 1) * 20 + s), double(cycle), 1});
    }
    EXPECT_EQ(rows, expected);

    // The readings of the points: step 1 at 300 rpm with the B1 bob, a ramp point at 200 rpm.
    ASSERT_EQ(all.size(), expected.size());
    const RowArray& first = all.front();
    EXPECT_EQ(first[clsTEST_RESULT::colTEST_ID].toInt(), testId);
    EXPECT_DOUBLE_EQ(first[clsTEST_RESULT::colRESULT_SAMPLE_TEMP].toDouble(), 106.7);
    EXPECT_DOUBLE_EQ(first[clsTEST_RESULT::colRESULT_PRESS].toDouble(), 500);
    EXPECT_NEAR(first[clsTEST_RESULT::colRESULT_SPEED].toDouble(), 300 * bob::ShearRatePerRpm(1.7245), 1e-9);
    EXPECT_NEAR(first[clsTEST_RESULT::colRESULT_SHEAR_STRESS].toDouble(), 255.3 / unit::StressDivisor(bob::ShearRatePerRpm(1.7245)), 1e-9);
    EXPECT_EQ(first[clsTEST_RESULT::colRESULT_BATH_TEMP].toDouble(), 0);
    const RowArray& ramp = all[10 + 5 + 4];  // entry 2 of cycle 1
    EXPECT_NEAR(ramp[clsTEST_RESULT::colRESULT_SPEED].toDouble(), 200 * bob::ShearRatePerRpm(1.7245), 1e-9);
    EXPECT_DOUBLE_EQ(ramp[clsTEST_RESULT::colRESULT_SAMPLE_TEMP].toDouble(), 300);
    EXPECT_DOUBLE_EQ(ramp[clsTEST_RESULT::colRESULT_PRESS].toDouble(), 5000);
}

TEST_F(RunEndToEnd, EveryWayOutOfARunSendsTheStopFrame) {
    UnitSimulator unit;
    setUpUnit(unit, 1);
    writePorts({1});
    // Three steps of 10 minutes at the sample's temperature; step 3 twice, each
    // with the ramp of two 60 s entries.
    StoreSequence(conn, "Three steps",
                  {seqStep(10, 100, 5, 300, 0, 0, 0, 0, 1, 0), seqStep(10, 100, 5, 300, 0, 0, 0, 0, 1, 0),
                   seqStep(10, 100, 5, 300, 0, 0, 1, 0, 2, 0)},
                  {{100, 60, 0}, {200, 60, 0}});
    frmMDIRealTime mdi(&conn);
    mdi.MDIForm_Load();
    mdi.show();
    mdi.MenuAdd[1]->trigger();
    QPointer<frmRealTime> w = mdi.RealTimeWindows[1];
    ASSERT_TRUE(w && w->MSComm1.PortOpen());
    SimulatedRun run(*w, unit, clock);

    enum Way { Stop, OverTemperature, OverPressure, HardwareInactive, PressureBand };
    const struct {
        Way way;
        const char* message;
    } ways[] = {{Stop, nullptr},
                {OverTemperature, "Temperature too high, test shutting down."},
                {OverPressure, "Pressure too high, test shutting down."},
                {HardwareInactive, "Hardware inactive, test will be stopped."},
                {PressureBand, "pressure inactive, test will be stopped."}};
    int n = 0;
    for (const auto& c : ways) {
        SCOPED_TRACE(int(c.way));
        pickAndStart(*w, "Three steps", QStringLiteral("Way out %1").arg(++n));
        ASSERT_TRUE(run.tickUntil([&] { return w->CurStep == 2 && w->StepTick >= 3; }));
        const int stopsBefore = run.stops();
        dialogs.clear();

        if (c.way == Stop) {
            // Refresh while step 2 runs: the rest of step 2, and step 3 twice with its ramp.
            w->cmdRefresh->click();
            EXPECT_EQ(w->EndTime->text(), "End Time: " + runloop::GeneralDate(clock.dateTime().addSecs(600 + 2 * (600 + 120))));
            EXPECT_EQ(w->CurStep, 2);
            EXPECT_EQ(w->StepTick, 0);
            ASSERT_TRUE(run.tick());
            const size_t before = unit.commands().size();
            w->cmdStop->click();
            ASSERT_TRUE(unit.waitForCommands(before + 1));
            EXPECT_EQ(unit.commands().back().bytes, QByteArray("\x04\r"));
            ++run.uncounted;
        } else {
            if (c.way == OverTemperature) unit.runOverTemperature(10, 650);
            if (c.way == OverPressure) unit.runOverPressure(10, 31000);
            if (c.way == HardwareInactive) unit.runStatus(10, 0);
            if (c.way == PressureBand) unit.runOverPressure(1000, 4500);  // the command is 0 psi
            ASSERT_TRUE(run.tickUntil([&] { return w->RunState == 0; }, 200));
            unit.runOverPressure(0, 0);
            unit.runStatus(0, 0);
            EXPECT_EQ(run.stops(), stopsBefore + 1);
        }
        EXPECT_EQ(dialogs.texts(), c.message ? QStringList{QString::fromLatin1(c.message)} : QStringList{});
        EXPECT_EQ(w->RunState, 0);
        EXPECT_TRUE(w->cmdStart_Stop->isEnabled());
        EXPECT_TRUE(w->cmdExit->isEnabled());
        EXPECT_TRUE(w->cmdZero->isEnabled());
        for (int i = 0; i < 12; ++i) ASSERT_TRUE(run.tick());  // polling goes on, nothing more is sent
        EXPECT_EQ(run.unexpectedCommands(), 0u);
    }
    // The band acts 55 s after the step's set points, not before.
    const auto& band = run.sent.back();
    EXPECT_EQ(band.bytes, QByteArray("\x04\r"));
    EXPECT_EQ(run.setPoints().back().second, QByteArray("100.0,00000,300.000 1"));
    EXPECT_EQ(band.runSecond - run.setPoints().back().first, 55);
}

// A unit that goes on reporting what stopped it: one stop frame and one box
// per trip, however long the readings stay (here 25 s).
TEST_F(RunEndToEnd, ATripSendsOneStopFrameAndOneBoxWhileItsReadingsStay) {
    UnitSimulator unit;
    setUpUnit(unit, 1);
    writePorts({1});
    StoreSequence(conn, "Long", {seqStep(60, 100, 5, 300, 5, 0, 0, 0, 1, 0)});
    frmMDIRealTime mdi(&conn);
    QPointer<frmRealTime> w = openUnitOne(mdi);
    ASSERT_TRUE(w && w->MSComm1.PortOpen());
    const struct Case {
        const char* name;
        std::function<void(int frames)> fault;
        QString message;
    } cases[] = {
        {"over-temperature", [&](int frames) { unit.runOverTemperature(frames, 650); },
         "Temperature too high, test shutting down."},
        {"over-pressure", [&](int frames) { unit.runOverPressure(frames, 40000); },
         "Pressure too high, test shutting down."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.clear();
        unit.pump(50);
        unit.clearCommands();
        SimulatedRun run(*w, unit, clock);
        ASSERT_TRUE(run.tick());
        pickAndStart(*w, "Long", c.name);
        for (int i = 0; i < 5; ++i) ASSERT_TRUE(run.tick());
        c.fault(1000);
        for (int i = 0; i < 25; ++i) ASSERT_TRUE(run.tick());
        EXPECT_EQ(w->RunState, 0);
        EXPECT_EQ(run.stops(), 1);
        EXPECT_EQ(run.unexpectedCommands(), 0u);
        EXPECT_EQ(dialogs.texts(), QStringList{c.message});
        c.fault(0);
        ASSERT_TRUE(run.tick());  // the readings within the limits again
    }
}

// A unit that falls silent on a line that stays open (a cable pulled from a
// USB adapter, a unit that hangs) for 22 s, through the end of step 1 and the
// set points of step 2: the run goes on as before, no row is stored in that
// time, and the window says so; rows follow again once frames come back, and
// the stored rows show the gap by their times.
TEST_F(RunEndToEnd, ASilentUnitStoresNoRowsAndTheWindowSaysSo) {
    UnitSimulator unit;
    setUpUnit(unit, 1);
    writePorts({1});
    StoreSequence(conn, "Two minutes", {seqStep(1, 100, 5, 300, 5, 0, 0, 0, 1, 0), seqStep(1, 100, 5, 300, 5, 0, 0, 0, 1, 0)});

    frmMDIRealTime mdi(&conn);
    mdi.MDIForm_Load();
    mdi.show();
    mdi.MenuAdd[1]->trigger();
    QPointer<frmRealTime> w = mdi.RealTimeWindows[1];
    ASSERT_TRUE(w && w->MSComm1.PortOpen());
    SimulatedRun run(*w, unit, clock);
    ASSERT_TRUE(run.tick());
    pickAndStart(*w, "Two minutes", "Silent unit");
    const qint32 testId = w->TestId;
    const auto runSecond = [&] { return qint64(clock.ms - w->mRunStartMs) / 1000; };
    const auto storedTimes = [&] {
        db::Command cmd(conn.ADOConnection(),
                        QStringLiteral("SELECT RESULT_TIME FROM TEST_RESULT WHERE TEST_ID = %1 ORDER BY rowid")
                            .arg(testId));
        const auto rows = cmd.execute();
        std::vector<double> times;
        for (const QVariant& t : rows->columns[0]) times.push_back(t.toDouble());
        return times;
    };
    std::vector<double> expected;
    for (int t = 5; t <= 40; t += 5) expected.push_back(t);

    ASSERT_TRUE(run.tickUntil([&] { return runSecond() >= 40; }));  // the point at 40 s stored
    EXPECT_EQ(w->lblActiveFlag->text(), "Running Test");
    // The last frame came with the tick at 40 s: the silence shows within 3 s of it.
    run.unitSilent = true;
    ASSERT_TRUE(run.tickUntil([&] { return w->lblActiveFlag->text() == "No Response"; }));
    EXPECT_LE(runSecond(), 43);
    ASSERT_TRUE(run.tickUntil([&] { return runSecond() >= 52; }));
    EXPECT_EQ(w->lblActiveFlag->text(), "No Response");
    // The point at 45 s would hold the readings of 40 s: it is not recorded,
    // nor the one at 50 s.
    EXPECT_EQ(w->StepTime->text(), "No readings from the unit: 2 points not recorded");
    ASSERT_TRUE(run.tickUntil([&] { return runSecond() >= 62; }));
    EXPECT_EQ(w->CurStep, 2);  // step 1 ended on its time with the last readings
    EXPECT_EQ(w->StepTime->text(), "No readings from the unit: 4 points not recorded");
    EXPECT_EQ(storedTimes(), expected);  // 5 .. 40 s

    // Frames again. The first comes on the tick that throws its input away:
    // step 2's point at 5 s waits, and is stored at its time with the next
    // tick's readings; rows follow.
    run.unitSilent = false;
    ASSERT_TRUE(run.tick());
    EXPECT_EQ(w->StepTime->text(), "No readings from the unit: 4 points not recorded");
    ASSERT_TRUE(run.tick());
    EXPECT_EQ(w->lblActiveFlag->text(), "Running Test");
    EXPECT_EQ(w->StepTime->text(), "Current Step (2) Cycle (1) Time: 0:00:06");
    ASSERT_TRUE(run.tickUntil([&] { return w->RunState == 0; }));
    EXPECT_EQ(run.stops(), 1);
    EXPECT_EQ(run.unexpectedCommands(), 0u);
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join(";").toStdString();
    EXPECT_EQ(w->PointsNotRecorded, 4);
    // The same set points on the same seconds as with a unit that sends all
    // along: step 2's went out while the unit was silent.
    using Frames = std::vector<std::pair<qint64, QByteArray>>;
    EXPECT_EQ(run.setPoints(), (Frames{{2, "100.0,00000,300.000 1"}, {62, "100.0,00000,300.000 1"}}));

    for (int t = 65; t <= 120; t += 5) expected.push_back(t);
    EXPECT_EQ(storedTimes(), expected);
    // The grid and the chart follow the stored rows.
    EXPECT_EQ(w->Pesgo1->points(), int(expected.size()));
    QStringList groups;
    for (int r = 1; r < w->MSFlexGrid1->Rows(); ++r)
        groups << w->MSFlexGrid1->TextMatrix(r, 0) + "/" + w->MSFlexGrid1->TextMatrix(r, 3);
    EXPECT_EQ(groups, (QStringList{"1/0.67", "2/2."}));  // each step's last stored row (and the end of step 2)
}

// The set points go out on the run's second tick; the tick after them, 3 s
// later, throws its input away. A point due on it (a 5 s interval) waits and
// is taken with the first fresh readings on the next tick, at its own time:
// it holds the unit's readings under the set points (80 °F, 100 psi, 100 rpm),
// never those of before them (75 °F, 0 psi, 0 rpm).
TEST_F(RunEndToEnd, TheFirstPointHoldsReadingsFromAfterTheSetPoints) {
    UnitSimulator unit;
    setUpUnit(unit, 1);
    UnitSimulator::Readings r = unit.readings();
    r.temperature = 75;
    r.tempSetPoint = 75;
    r.speed = 0;
    unit.setReadings(r);
    writePorts({1});
    StoreSequence(conn, "Five seconds", {seqStep(0.5, 80, 5, 100, 5, 100, 0, 0, 1, 0)});
    frmMDIRealTime mdi(&conn);
    QPointer<frmRealTime> w = openUnitOne(mdi);
    ASSERT_TRUE(w && w->MSComm1.PortOpen());
    SimulatedRun run(*w, unit, clock);
    ASSERT_TRUE(run.tick());
    ASSERT_EQ(w->txtSampleTemp->text(), "75.0");
    pickAndStart(*w, "Five seconds", "First point");
    ASSERT_TRUE(run.tickUntil([&] { return w->RunState == 0; }));
    using Frames = std::vector<std::pair<qint64, QByteArray>>;
    EXPECT_EQ(run.setPoints(), (Frames{{2, "080.0,00100,100.000 1"}}));
    db::Command cmd(conn.ADOConnection(),
                    QStringLiteral("SELECT RESULT_TIME, RESULT_SAMPLE_TEMP, RESULT_PRESS, RESULT_SPEED FROM TEST_RESULT "
                                   "WHERE TEST_ID = %1 ORDER BY rowid")
                        .arg(w->TestId));
    const auto rows = cmd.execute();
    std::vector<double> times;
    for (const QVariant& t : rows->columns[0]) times.push_back(t.toDouble());
    EXPECT_EQ(times, (std::vector<double>{5, 10, 15, 20, 25, 30}));
    for (int i = 0; i < int(times.size()); ++i) {
        SCOPED_TRACE(times[size_t(i)]);
        EXPECT_EQ(rows->columns[1][i].toDouble(), 80);
        EXPECT_EQ(rows->columns[2][i].toDouble(), 100);
        EXPECT_NEAR(rows->columns[3][i].toDouble(), 100 * bob::ShearRatePerRpm(bob::kB1.radiusCm), 0.01);  // 1/s
    }
    EXPECT_EQ(w->PointsNotRecorded, 0);
}

// Minutes at a 1 s recording interval as a lab meets them: the unit's frames
// come a little late (the next tick reads two) or split across a tick, and
// the program is held up to 0.45 s now and then (another window's work, a
// busy machine). Every due point is stored exactly once, the rows are those
// of a run on exact ticks with frames on time, and the unit is never shown
// silent. A tick held longer than an interval loses the points of the ticks
// it stood in for: they are counted and shown, never stored late or twice.
TEST_F(RunEndToEnd, AOneSecondRecordKeepsEveryDuePointThroughLateFramesAndHeldTicks) {
    UnitSimulator unit;
    setUpUnit(unit, 1);
    writePorts({1});
    StoreSequence(conn, "Three minutes", {seqStep(3, 100, 5, 300, 1, 0, 0, 0, 1, 0)});
    frmMDIRealTime mdi(&conn);
    QPointer<frmRealTime> w = openUnitOne(mdi);
    ASSERT_TRUE(w && w->MSComm1.PortOpen());

    using Timing = SimulatedRun::FrameTiming;
    struct Case {
        const char* name;
        std::function<Timing(int)> frames;
        std::function<int(int)> late;
        int missed;  // points the held ticks could not take
    };
    const Case cases[] = {
        {"On time", nullptr, nullptr, 0},
        {"Late and split frames, held ticks",
         [](int t) { return t % 5 == 0 ? Timing::AfterTick : t % 3 == 0 ? Timing::Split : Timing::BeforeTick; },
         [](int t) { return t % 7 == 0 ? 400 : t % 11 == 0 ? 450 : t % 4 == 0 ? 120 : 0; }, 0},
        {"A tick held 2.4 s", nullptr, [](int t) { return t == 60 ? 2400 : 0; }, 2},
    };
    std::vector<double> exact;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedRun run(*w, unit, clock);
        ASSERT_TRUE(run.tick());
        pickAndStart(*w, "Three minutes", c.name);
        run.frameTiming = c.frames;
        run.lateMs = c.late;
        int silentTicks = 0;
        QString progress;  // the progress panel while the run runs (it is emptied at its end)
        ASSERT_TRUE(run.tickUntil([&] {
            silentTicks += w->lblActiveFlag->text() == "No Response" ||
                           w->StepTime->text().startsWith("No readings");
            if (w->RunState != 0) progress = w->StepTime->text();
            return w->RunState == 0;
        }));
        EXPECT_EQ(silentTicks, 0);
        EXPECT_EQ(w->PointsNotRecorded, 0);
        EXPECT_EQ(w->PointsMissed, c.missed);
        db::Command cmd(conn.ADOConnection(),
                        QStringLiteral("SELECT RESULT_TIME FROM TEST_RESULT WHERE TEST_ID = %1 ORDER BY rowid")
                            .arg(w->TestId));
        const auto rows = cmd.execute();
        std::vector<double> times;
        for (const QVariant& t : rows->columns[0]) times.push_back(t.toDouble());
        if (exact.empty()) {
            exact = times;
            EXPECT_GT(exact.size(), 170u);
            for (size_t i = 1; i < exact.size(); ++i) EXPECT_EQ(exact[i], exact[i - 1] + 1) << i;  // every second
            continue;
        }
        if (c.missed == 0) {
            EXPECT_EQ(times, exact);
            continue;
        }
        // The held tick stood for the second it ran in; the two before it are gone.
        std::vector<double> gaps;
        for (size_t i = 1; i < times.size(); ++i)
            if (times[i] != times[i - 1] + 1) gaps.push_back(times[i] - times[i - 1]);
        EXPECT_EQ(gaps, std::vector<double>{3});
        EXPECT_EQ(times.size(), exact.size() - 2);
        EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
        EXPECT_EQ(std::adjacent_find(times.begin(), times.end()), times.end());  // none twice
        EXPECT_TRUE(progress.endsWith("2 points missed")) << progress.toStdString();
    }
}

namespace {

// Keeps the boxes that hold nothing back open, as an operator who is busy
// elsewhere does. A box that held its caller (a modal box) would run the
// window's timer in its own event loop: `whileOpen` stands for what comes
// while such a box is open, and runs inside it.
class BoxesLeftOpen : public testing_support::ScriptedDialogs {
public:
    BoxesLeftOpen() { keepNotificationsOpen = true; }
    std::function<void()> whileOpen;
    int message(const ui::MessageRequest& r) override {
        const int answer = ScriptedDialogs::message(r);
        if (auto f = std::exchange(whileOpen, nullptr)) f();
        return answer;
    }
};

}  // namespace

// While the box of a point the database refused is left open, the unit
// reports 35000 psi: the window's ticks go on under the box, the tenth frame
// over the limit trips on its own tick, the stop frame goes out then and the
// trip's box opens beside the first.
TEST_F(RunEndToEnd, ABoxLeftOpenHoldsNoTickBackAndATripStopsTheUnitOnItsTick) {
    UnitSimulator unit;
    setUpUnit(unit, 1);
    writePorts({1});
    StoreSequence(conn, "Three minutes", {seqStep(3, 100, 5, 300, 1, 0, 0, 0, 1, 0)});
    frmMDIRealTime mdi(&conn);
    QPointer<frmRealTime> w = openUnitOne(mdi);
    ASSERT_TRUE(w && w->MSComm1.PortOpen());
    SimulatedRun run(*w, unit, clock);
    ASSERT_TRUE(run.tick());
    pickAndStart(*w, "Three minutes", "Box left open");
    ASSERT_TRUE(run.tickUntil([&] { return w->StepSeconds >= 10; }));

    BoxesLeftOpen boxes;
    int tripTick = 0;
    const auto overPressure = [&] {
        unit.runOverPressure(15, 35000);
        for (int i = 1; i <= 15; ++i) {
            ASSERT_TRUE(run.tick());
            if (tripTick == 0 && run.stops() > 0) tripTick = i;
        }
    };
    boxes.whileOpen = overPressure;
    {
        testing_support::LockedDatabase lock(db.path());
        ASSERT_TRUE(run.tickUntil([&] { return !boxes.messages.empty(); }, 5));
    }
    if (boxes.whileOpen) overPressure();  // the box returned at once: the ticks come after it
    EXPECT_EQ(tripTick, 10);
    EXPECT_EQ(run.stops(), 1);
    EXPECT_EQ(w->RunState, 0);
    EXPECT_EQ(boxes.texts(), (QStringList{runloop::RowsWaitingNotice("database is locked"),
                                          "Pressure too high, test shutting down."}));
    EXPECT_EQ(ui::OpenNotifications(), 2);
    boxes.closeNotifications();
}

// Another program holds the database while the operator presses Start for
// unit 2: the Start is refused at once with the database's state, nothing
// stored. While its message is open, unit 1 reports 35000 psi: its ticks go
// on, the tenth frame over the limit trips on its own tick and the stop
// frame goes out then.
TEST_F(RunEndToEnd, AStartTheDatabaseRefusesHoldsNoTickBackAndAnotherUnitTripsOnItsTick) {
    UnitSimulator unit;
    setUpUnit(unit, 1);
    writePorts({1});
    StoreSequence(conn, "Three minutes", {seqStep(3, 100, 5, 300, 1, 0, 0, 0, 1, 0)});
    frmMDIRealTime mdi(&conn);
    QPointer<frmRealTime> w = openUnitOne(mdi);
    ASSERT_TRUE(w && w->MSComm1.PortOpen());
    SimulatedRun run(*w, unit, clock);
    ASSERT_TRUE(run.tick());
    pickAndStart(*w, "Three minutes", "Unit one");
    ASSERT_TRUE(run.tickUntil([&] { return w->StepSeconds >= 10; }));

    // Unit 2 on a line of its own.
    frmRealTime second;
    second.InitialInst(&conn);
    second.PortOpenHook = [] { return true; };
    second.SendHook = [](const QString&) {};
    testing_support::PickSequence(second, "Three minutes");

    BoxesLeftOpen boxes;
    int tripTick = 0;
    QElapsedTimer pressed;
    qint64 refusedAfterMs = -1;
    boxes.whileOpen = [&] {
        refusedAfterMs = pressed.elapsed();
        unit.runOverPressure(15, 35000);
        for (int i = 1; i <= 15; ++i) {
            ASSERT_TRUE(run.tick());
            if (tripTick == 0 && run.stops() > 0) tripTick = i;
        }
    };
    {
        testing_support::LockedDatabase lock(db.path());
        TestEntry entry;
        entry.name = "Unit two";
        AnswerTestInfo answer(entry);
        pressed.start();
        second.cmdStart_Stop->click();
        ASSERT_EQ(answer.shown, 1);
    }
    // The refusal came at once (a generous margin: the old time-out was 20 s).
    EXPECT_GE(refusedAfterMs, 0);
    EXPECT_LT(refusedAfterMs, 1000);
    ASSERT_FALSE(boxes.texts().isEmpty());
    EXPECT_EQ(boxes.texts().first(),
              "The test was not started: the database is in use by another program. Nothing was stored; try again.");
    EXPECT_EQ(second.RunState, 0);
    EXPECT_NE(second.lblTestname->text(), "Unit two");
    db::Command named(conn.ADOConnection(), "SELECT COUNT(*) FROM TEST_INFO WHERE TEST_NAME = 'Unit two'");
    EXPECT_EQ(named.execute()->columns[0][0].toInt(), 0);

    EXPECT_EQ(tripTick, 10);
    EXPECT_EQ(run.stops(), 1);
    EXPECT_EQ(w->RunState, 0);
    EXPECT_TRUE(boxes.texts().contains("Pressure too high, test shutting down.")) << boxes.texts().join(';').toStdString();
    boxes.closeNotifications();
}

namespace {

// The ticks of unit windows and the reads of a download on simulated time:
// every half second the manual clock and the units move on, and each timer
// due then fires. A recording window's unit sends one status frame before
// each of its ticks; the download's reads wait until what its unit has sent
// so far has reached the port.
class HalfSecondSteps {
public:
    struct Recorder {
        frmRealTime* w;
        UnitSimulator* unit;
        int remaining = 0;
        int seenStarts = -1;
        int ticks = 0;
        int stopTick = 0;       // the tick whose stop frame went out (0: none)
        bool stopDuringDownload = false;
    };

    HalfSecondSteps(testing_support::ManualClock& clock, std::vector<UnitSimulator*> units)
        : clock_(clock), units_(std::move(units)) {}

    std::vector<Recorder> recorders;
    frmRealTime* downloading = nullptr;
    UnitSimulator* downloadUnit = nullptr;
    int downloadRemaining = 0;
    int downloadReads = 0;

    // One half second; false when a frame or a command never arrived.
    bool step() {
        clock_.advance(500);
        for (UnitSimulator* u : units_) u->advance(0.5);
        for (Recorder& r : recorders) {
            auto& timer = static_cast<ManualTickSource&>(r.w->Timer1.source());
            if (!timer.running) continue;
            if (timer.starts != r.seenStarts) {  // started anew outside a tick
                r.seenStarts = timer.starts;
                r.remaining = timer.next;
            }
            r.remaining -= 500;
            if (r.remaining > 0) continue;
            if (!sendFrame(*r.w, *r.unit)) return false;
            const size_t before = r.unit->commands().size();
            const bool wasRunning = r.w->RunState != 0;
            if (!timer.fire()) return false;
            ++r.ticks;
            r.remaining = timer.next;
            r.seenStarts = timer.starts;
            if (wasRunning && r.w->RunState == 0) {
                if (!r.unit->waitForCommands(before + 1)) return false;
                r.stopTick = r.ticks;
                r.stopDuringDownload = downloading && downloading->DownloadUnderWay();
            }
            r.unit->pump(5);  // a set-point frame answered
        }
        if (downloading && downloading->DownloadUnderWay()) {
            auto& reads = testing_support::TransferSource(*downloading->mDownload);
            downloadRemaining -= 500;
            if (downloadRemaining <= 0) {
                if (!arrived()) return false;
                if (!reads.fire()) return false;
                ++downloadReads;
                downloadRemaining = reads.next;
            }
        }
        return true;
    }
    // The reads' first wait from the request.
    void downloadBegun() {
        downloadRemaining = testing_support::TransferSource(*downloading->mDownload).next;
    }

private:
    static bool sendFrame(frmRealTime& w, UnitSimulator& unit) {
        const int before = w.MSComm1.InBufferCount();
        const int size = int(unit.statusFrame().size());
        unit.sendStatusFrame();
        return waitFor([&] { return w.MSComm1.InBufferCount() >= before + size; });
    }
    bool arrived() {
        return waitFor([&] {
            return downloading->mDownload->Text().size() + downloading->MSComm1.InBufferCount() >=
                   downloadUnit->transferSent();
        });
    }
    static bool waitFor(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            QThread::usleep(50);
        }
        return true;
    }

    testing_support::ManualClock& clock_;
    std::vector<UnitSimulator*> units_;
};

}  // namespace

// Unit 3 downloads a test of several seconds while units 1 and 2 record, and
// unit 1 trips. Counted on the run's clock, every tick of units 1 and 2 runs
// while the transfer comes in, unit 2 records a point every 2 s, and unit 1's
// stop frame goes out on the tick that parses its tenth frame over the
// limit, the transfer still coming in. The download then stores every
// record it brought.
TEST_F(RunEndToEnd, ADownloadHoldsNoOtherUnitsTickTripOrRecord) {
    UnitSimulator unit1, unit2, unit3;
    setUpUnit(unit1, 1);
    setUpUnit(unit2, 2);
    QByteArrayList records;
    for (int i = 0; i < 40; ++i) records << QByteArray("1,0,%1,300.5,301,5000,170.2,123.4,0").replace("%1", QByteArray::number(10 * i));
    unit3.setStoredTest(records, true, 60, 500);  // 60 characters every half second: 12 s
    unit3.setTransferOnAdvance(true);
    unit3.setPeriod(0);
    unit3.attachToPort(3);
    unit3.start();
    writePorts({1, 2, 3});
    // A long step at the sample's temperature, a point every 2 s.
    StoreSequence(conn, "Long step", {seqStep(30, 100, 5, 300, 2, 0, 0, 0, 1, 0)});

    frmMDIRealTime mdi(&conn);
    mdi.MDIForm_Load();
    mdi.show();
    for (int n = 1; n <= 3; ++n) mdi.MenuAdd[n]->trigger();
    frmRealTime* w1 = mdi.RealTimeWindows[1];
    frmRealTime* w2 = mdi.RealTimeWindows[2];
    frmRealTime* w3 = mdi.RealTimeWindows[3];
    ASSERT_TRUE(w1 && w2 && w3);
    ASSERT_TRUE(w1->MSComm1.PortOpen() && w2->MSComm1.PortOpen() && w3->MSComm1.PortOpen());

    HalfSecondSteps steps(clock, {&unit1, &unit2, &unit3});
    steps.recorders = {{w1, &unit1}, {w2, &unit2}};
    ASSERT_NO_FATAL_FAILURE(pickAndStart(*w1, "Long step", "Unit 1 run"));
    ASSERT_NO_FATAL_FAILURE(pickAndStart(*w2, "Long step", "Unit 2 run"));
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(steps.step());  // 10 s of the runs
    ASSERT_EQ(w1->RunState, 1);
    ASSERT_EQ(w2->RunState, 1);
    dialogs.clear();

    // Unit 3's download; unit 1 reports ten frames over 610 °F from now on.
    {
        TestEntry entry;
        entry.name = "Downloaded";
        AnswerTestInfo answer(entry);
        w3->cmdRetrieve->click();
        ASSERT_EQ(answer.shown, 1);
    }
    ASSERT_TRUE(w3->DownloadUnderWay());
    ASSERT_TRUE(unit3.waitForCommands(1));  // the request, and the transfer's first piece
    steps.downloading = w3;
    steps.downloadUnit = &unit3;
    steps.downloadBegun();
    unit1.runOverTemperature(10, 650);
    const int ticks1 = steps.recorders[0].ticks, ticks2 = steps.recorders[1].ticks;
    const qint32 elapsed2 = w2->ElapsedSeconds;
    const quint32 begun = clock.ms;
    for (int i = 0; i < 200 && w3->DownloadUnderWay(); ++i) ASSERT_TRUE(steps.step());
    ASSERT_FALSE(w3->DownloadUnderWay());
    const int ms = int(clock.ms - begun);
    // Several seconds of transfer: the first read 2 s after the request, then
    // one every half second while the pieces came.
    EXPECT_GE(ms, 10000);
    EXPECT_EQ(steps.downloadReads, 1 + (ms - 2000) / 500);

    // Every tick of the run's clock ran, one a second, none skipped.
    const HalfSecondSteps::Recorder& r1 = steps.recorders[0];
    const HalfSecondSteps::Recorder& r2 = steps.recorders[1];
    EXPECT_EQ(r2.ticks - ticks2, w2->ElapsedSeconds - elapsed2);
    EXPECT_GE(r2.ticks - ticks2, ms / 1000 - 1);
    EXPECT_EQ(w1->Timer1.SkippedTicks(), 0);
    EXPECT_EQ(w2->Timer1.SkippedTicks(), 0);
    // Unit 1's stop frame on the tick of its tenth frame over the limit, the
    // download under way; its message said once.
    EXPECT_EQ(r1.stopTick - ticks1, 10);
    EXPECT_TRUE(r1.stopDuringDownload);
    EXPECT_EQ(w1->RunState, 0);
    EXPECT_EQ(dialogs.texts(), QStringList{"Temperature too high, test shutting down."});
    // Unit 2's points every 2 s meanwhile, none missing.
    clsTEST_RESULT results;
    results.Test_Id(w2->TestId);
    results.ConnectX(&conn);
    std::vector<double> times;
    for (results.MoveFirst(); !results.Eof(); results.MoveNext())
        if (results.RESULT_TIME() > elapsed2) times.push_back(results.RESULT_TIME());
    ASSERT_GE(times.size(), size_t((w2->ElapsedSeconds - elapsed2) / 2));
    EXPECT_LE(times.front() - elapsed2, 2);
    EXPECT_LT(w2->ElapsedSeconds - times.back(), 2);
    for (size_t i = 1; i < times.size(); ++i) EXPECT_EQ(times[i] - times[i - 1], 2) << i;

    // Every record of the download under its new test.
    clsTEST_RESULT downloaded;
    downloaded.Test_Id(w3->TestId);
    downloaded.ConnectX(&conn);
    std::vector<double> downloadedTimes;
    for (downloaded.MoveFirst(); !downloaded.Eof(); downloaded.MoveNext()) downloadedTimes.push_back(downloaded.RESULT_TIME());
    ASSERT_EQ(downloadedTimes.size(), 40u);
    EXPECT_EQ(downloadedTimes.back(), 390);
    EXPECT_EQ(w3->mTestInfo->TEST_NAME(), "Downloaded");

    w2->cmdStop->click();
    unit3.stop();
    mdi.close();
}
