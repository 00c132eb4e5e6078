// The run loop and its set-point control, without a window: steps, cycles and
// ramps on a manual clock, the frames and the ticks they go out on, recording,
// the pressure band, status texts, and the faults mended (periodic checks on a
// step's first ticks, a second run starting from the first run's commands, a
// row that cannot be stored).

#include "FakeRun.h"

#include "data/BobGeometry.h"
#include "platform/Database.h"
#include "unitrun/RunMessages.h"
#include "unitrun/RunStates.h"
#include "unitrun/SequenceLoading.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

using namespace unit_tests;
using namespace runloop;
using testing_support::ManualClock;
using testing_support::ScriptedDialogs;

namespace {

class RunLoop : public ::testing::Test {
protected:
    // Starts a run of the tables with bob "B1".
    void start(const RunTables& t) {
        run.load(t);
        run.mBobNumber = 1;
        run.mBobRadius = 1.7245;
        run.StartTest();
    }
    // (run seconds, frame text) of every frame sent.
    std::vector<std::pair<qint64, QString>> sent() const {
        std::vector<std::pair<qint64, QString>> out;
        for (const auto& f : run.frames) out.emplace_back(f.atMs / 1000, f.code == 4 ? QStringLiteral("STOP") : f.text);
        return out;
    }
    // Ticks while the unit's pressure follows the command, until `seconds` into the run.
    void runUntil(qint64 seconds, bool pressureFollows = true) {
        while (run.RunState != kIdle && qint64(clock.ms - run.mRunStartMs) / 1000 < seconds) {
            run.tick();
            if (pressureFollows) run.setPressure(run.mPressCommand);
        }
    }

    ScriptedDialogs dialogs;
    ManualClock clock{5000};
    FakeRun run{clock};
};

using Sent = std::vector<std::pair<qint64, QString>>;

}  // namespace

TEST_F(RunLoop, HeatingAndPressureRampGoOutOnTheirTicks) {
    // 300 °F at 3 °F/min from a sample at 100 °F; 2000 psi at 500 psi/min.
    run.setSample(100);
    start(TableBuilder{}.step(10, 300, 250, 300, 0, 2000, 0, 3, 1, 500).t);
    EXPECT_TRUE(run.frames.empty());  // StartTest sends nothing
    EXPECT_EQ(run.interval, kTickMs);
    EXPECT_TRUE(run.timerOn);
    runUntil(400);
    EXPECT_EQ(sent(), (Sent{{2, "106.7,00500,300.000 1"},     // second tick: 100 + 6 x 1.12
                            {62, "106.7,01000,300.000 1"},    // a minute later, one pressure step
                            {122, "113.4,01000,300.000 1"},   // 120 s: the command + 6.72
                            {125, "113.4,01500,300.000 1"},   // the pressure, one tick late
                            {185, "113.4,02000,300.000 1"},
                            {242, "120.2,02000,300.000 1"},
                            {362, "126.9,02000,300.000 1"}}));
    // Every frame made the next tick come 3 s later; the step's third tick came 3 s after the second.
    EXPECT_EQ(run.RunState, kStepRunning);
    EXPECT_DOUBLE_EQ(run.mTempCommand, 100 + 4 * 6.72);
    EXPECT_EQ(run.mPressCommand, 2000);
}

TEST_F(RunLoop, ANewStepsSetPointsAreNotDisplacedByAPeriodicCheck) {
    // Step 1 ends after 60 s, so step 2's second tick comes exactly 60 s after
    // step 1's pressure action: step 2's own set points go out on that tick.
    run.setSample(100);
    start(TableBuilder{}
              .step(1, 300, 250, 300, 0, 2000, 0, 3, 1, 500)
              .step(5, 300, 250, 100, 0, 5000, 0, 3, 1, 500)
              .t);
    runUntil(70);
    EXPECT_EQ(run.CurStep, 2);
    EXPECT_EQ(sent(), (Sent{{2, "106.7,00500,300.000 1"}, {62, "106.7,02500,100.000 1"}}));
}

TEST_F(RunLoop, ASecondRunStartsFromNothingCommanded) {
    run.setSample(75);
    start(TableBuilder{}.step(10, 75, 250, 300, 0, 5000, 0, 0, 1, 0).t);
    runUntil(10);
    EXPECT_EQ(run.mPressCommand, 5000);
    run.ShutDown();  // Stop; the unit lets its pressure go
    run.setPressure(0);
    clock.advance(300000);

    start(TableBuilder{}.step(10, 75, 250, 300, 0, 0, 0, 0, 1, 0).t);
    EXPECT_EQ(run.mTempCommand, 0);
    EXPECT_EQ(run.mPressCommand, 0);
    EXPECT_FALSE(run.mLastTempControlMs.has_value());
    EXPECT_FALSE(run.mLastPressControlMs.has_value());
    run.frames.clear();
    for (int i = 0; i < 5; ++i) run.tick();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join(";").toStdString();
    EXPECT_EQ(run.RunState, kStepRunning);
    ASSERT_EQ(run.frames.size(), 1u);
    EXPECT_EQ(run.frames[0].text, "075.0,00000,300.000 1");
}

TEST_F(RunLoop, PressureBandStopsTheRunFrom55SecondsOn) {
    for (double pressure : {1000.0, 999.9}) {
        SCOPED_TRACE(pressure);
        dialogs.clear();
        run.frames.clear();
        run.setSample(75);
        run.setPressure(pressure);
        start(TableBuilder{}.step(10, 75, 250, 300, 0, 5000, 0, 0, 1, 0).t);  // 5000 psi at once
        runUntil(54, false);
        EXPECT_EQ(run.stops(), 0);
        runUntil(200, false);
        if (pressure == 1000.0) {  // 4000 psi away is inside
            EXPECT_EQ(run.RunState, kStepRunning);
            EXPECT_TRUE(dialogs.messages.empty());
            EXPECT_EQ(run.setPoints().size(), 1);  // at the target: no further pressure frames
            run.ShutDown();
        } else {
            ASSERT_EQ(run.frames.size(), 2u);
            EXPECT_EQ(run.frames[1].code, 4);
            EXPECT_EQ(run.frames[1].atMs - run.frames[0].atMs, 55000);
            EXPECT_EQ(run.RunState, kIdle);
            EXPECT_FALSE(run.running);
            EXPECT_EQ(dialogs.texts(), QStringList{"pressure inactive, test will be stopped."});
        }
        clock.advance(1000000);
    }
}

TEST_F(RunLoop, AStepEndsWhenItsTimeIsUpAndTheSampleIsWithinTolerance) {
    // One minute at 300 °F ±5 with the sample at 200: the minute passes, the step goes on.
    run.setSample(200);
    start(TableBuilder{}.step(1, 300, 5, 300, 0, 0, 0, 0, 1, 0).t);
    runUntil(70);
    EXPECT_EQ(run.RunState, kStepRunning);
    run.setSample(296);
    run.tick();
    EXPECT_EQ(run.RunState, kIdle);  // the last step without ramp: the run ends
    EXPECT_EQ(run.stops(), 1);
    EXPECT_FALSE(run.calls.contains("powerlaw"));
    EXPECT_TRUE(dialogs.messages.empty());

    // A step of 0 minutes within tolerance ends on its third tick.
    start(TableBuilder{}.step(0, 300, 5, 300, 0, 0, 0, 0, 1, 0).t);
    run.setSample(300);
    run.tick();
    run.tick();
    EXPECT_EQ(run.RunState, kStepRunning);
    run.tick();
    EXPECT_EQ(run.RunState, kIdle);
}

TEST_F(RunLoop, PointsAreRecordedOnTheStepsInterval) {
    run.setSample(75);
    start(TableBuilder{}.step(1, 75, 5, 300, 10, 0, 0, 0, 1, 0).t);
    while (run.RunState != kIdle) run.tick(run.StepSeconds == 19 ? 2000 : -1);  // 19, then 21
    std::vector<double> times;
    for (const auto& r : run.rows) {
        times.push_back(r.time);
        EXPECT_EQ(r.step, 1);
        EXPECT_EQ(r.rampEntry, 0);
        EXPECT_EQ(r.type, 0);
        EXPECT_EQ(r.cycle, 1);
    }
    EXPECT_EQ(times, (std::vector<double>{10, 30, 40, 50, 60}));  // the skipped 20 is not made up
    EXPECT_EQ(run.calls.mid(0, 2), (QStringList{"plot", "grid"}));

    // Intervals of 0, or that round to 0, record nothing and report nothing.
    for (double interval : {0.0, 0.4, 0.5}) {
        run.rows.clear();
        start(TableBuilder{}.step(1, 75, 5, 300, interval, 0, 0, 0, 1, 0).t);
        ASSERT_TRUE(run.runToEnd());
        EXPECT_TRUE(run.rows.empty()) << interval;
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(RunLoop, CyclesAndRampsRunInOrderAndTheirRowsSayWhere) {
    run.setSample(75);
    start(TableBuilder{}
              .step(1, 75, 250, 300, 30, 0, 1, 0, 2, 0)  // two cycles, each with the ramp
              .step(1, 75, 250, 200, 0, 0, 0, 0, 1, 0)
              .entry(100, 10, 5)
              .entry(200, 10, 5)
              .t);
    const QDateTime started = clock.dateTime();
    EXPECT_EQ(run.panels["StartTime"], "Start Time: " + GeneralDate(started));
    EXPECT_EQ(run.panels["EndTime"], "End Time: " + GeneralDate(started.addSecs(2 * (60 + 20) + 60)));
    EXPECT_EQ(run.ElapsedText, "00:00");

    ASSERT_TRUE(run.runToEnd());
    EXPECT_EQ(sent(), (Sent{{2, "075.0,00000,300.000 1"},
                            {61, "075.0,00000,100.000 1"},  // ramp entries: the step's targets, the entry's speed
                            {71, "075.0,00000,200.000 1"},
                            {82, "075.0,00000,300.000 1"},  // cycle 2: the step's set points again
                            {141, "075.0,00000,100.000 1"},
                            {151, "075.0,00000,200.000 1"},
                            {162, "075.0,00000,200.000 1"},  // step 2
                            {220, "STOP"}}));
    struct Where {
        double step, cycle, entry, type, time;
        bool operator==(const Where&) const = default;
    };
    std::vector<Where> rows;
    for (const auto& r : run.rows) rows.push_back({r.step, r.cycle, r.rampEntry, r.type, r.time});
    EXPECT_EQ(rows, (std::vector<Where>{{1, 1, 0, 0, 30},
                                        {1, 1, 0, 0, 60},
                                        {1, 1, 1, 1, 65},
                                        {1, 1, 1, 1, 70},
                                        {1, 1, 2, 1, 75},
                                        {1, 1, 2, 1, 80},
                                        {1, 2, 0, 0, 110},
                                        {1, 2, 0, 0, 140},
                                        {1, 2, 1, 1, 145},
                                        {1, 2, 1, 1, 150},
                                        {1, 2, 2, 1, 155},
                                        {1, 2, 2, 1, 160}}));
    EXPECT_FALSE(run.calls.contains("powerlaw"));  // the last step has no ramp
    EXPECT_FALSE(run.running);

    // A last step with its ramp: one grid row more and the last fit before the stop.
    run.calls.clear();
    start(TableBuilder{}.step(0, 75, 250, 300, 0, 0, 1, 0, 1, 0).entry(100, 10, 0).t);
    ASSERT_TRUE(run.runToEnd());
    EXPECT_EQ(run.calls.mid(run.calls.size() - 2), (QStringList{"gridrow", "powerlaw"}));
    EXPECT_EQ(run.stops(), 2);

    // A step flagged for the ramp of a sequence without ramp entries runs as a plain step.
    start(TableBuilder{}.step(0, 75, 250, 300, 0, 0, 1, 0, 1, 0).t);
    run.TakeRampEntries(RunTables{});
    ASSERT_TRUE(run.runToEnd(10));
    EXPECT_EQ(run.stops(), 3);
}

TEST_F(RunLoop, StatusTextsFollowTheStepAndTheRamp) {
    run.setSample(75);
    start(TableBuilder{}.step(1, 75, 250, 300, 0, 0, 1, 0, 1, 0).entry(100, 70, 0).t);
    for (int i = 0; i < 3; ++i) run.tick();  // 1, 2, 5 s
    EXPECT_EQ(run.panels["StepTime"], "Current Step (1) Cycle (1) Time: 0:00:05");
    EXPECT_EQ(run.panels["ElapsedTime"], "Elapsed Time:  0:00:05");
    while (run.mPhase == kStepPhase) run.tick();
    EXPECT_EQ(run.panels["StepTime"], "Current Ramp (1) Time: 0:00:00:00");
    while (run.mRampElapsedSec < 65) run.tick();
    EXPECT_EQ(run.panels["StepTime"], "Current Ramp (1) Time: 0:00:01:05");
    EXPECT_EQ(run.panels["ElapsedTime"], "Elapsed Time:  0:02:05");
    EXPECT_EQ(run.ElapsedText, "0:02:05");
}

TEST_F(RunLoop, CoolingKeepsItsDirectionForLaterCycles) {
    run.setSample(250);
    start(TableBuilder{}.step(0, 150, 5, 300, 0, 0, 0, 5, 2, 0).t);  // stored as heating
    run.tick();
    run.tick();
    EXPECT_EQ(run.setPoints().back(), "242.0,00000,300.000 1");
    EXPECT_EQ(run.mStepTempRate[1], -5);
    run.setSample(152);
    run.tick();  // within tolerance: cycle 2
    EXPECT_EQ(run.CurCycle, 2);
    run.tick();
    run.tick();
    EXPECT_EQ(run.setPoints().back(), "150.0,00000,300.000 1");
    EXPECT_EQ(run.mStepTempRate[1], -5);
}

// A row the database refuses waits and is stored on a later tick, in order;
// the run goes on, and the program's one notice says that points wait.
TEST_F(RunLoop, ARowTheDatabaseRefusesIsReportedOnceAndStoredLaterInOrder) {
    run.setSample(75);
    start(TableBuilder{}.step(1, 75, 5, 300, 10, 0, 0, 0, 1, 0).t);
    run.failSave = [this] {
        if (run.StepSeconds >= 20 && run.StepSeconds <= 40) throw db::DbError(5, "disk I/O error");
    };
    ASSERT_TRUE(run.runToEnd());
    EXPECT_EQ(dialogs.texts(), QStringList{runloop::RowsWaitingNotice("disk I/O error")});
    EXPECT_EQ(run.RowsNotSaved, 3);
    EXPECT_EQ(run.RowsWaiting(), 0);
    std::vector<double> times;
    for (const auto& r : run.rows) times.push_back(r.time);
    EXPECT_EQ(times, (std::vector<double>{10, 20, 30, 40, 50, 60}));

    // The next run's refusal says it again (none waited before it); its rows wait.
    run.failSave = [] { throw db::DbError(5, "disk I/O error"); };
    start(TableBuilder{}.step(1, 75, 5, 300, 10, 0, 0, 0, 1, 0).t);
    ASSERT_TRUE(run.runToEnd());
    EXPECT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(run.RowsNotSaved, 6);
    EXPECT_EQ(run.RowsWaiting(), 6);
    EXPECT_EQ(run.RowsWaitingReason(), "disk I/O error");
}

TEST_F(RunLoop, StartWhileRunningOnlyChangesTheBobFactors) {
    run.setSample(75);
    start(TableBuilder{}.step(10, 75, 5, 300, 0, 0, 0, 0, 1, 0).t);
    for (int i = 0; i < 5; ++i) run.tick();
    const int tick = run.StepTick;
    const quint32 started = run.mRunStartMs;
    EXPECT_NEAR(run.mReply.mShearRateFactor, 1.70229, 1e-5);
    run.mBobRadius = 1.2276;
    run.StartTest();
    EXPECT_EQ(run.StepTick, tick);
    EXPECT_EQ(run.mRunStartMs, started);
    EXPECT_NEAR(run.mReply.mShearRateFactor, bob::ShearRatePerRpm(1.2276), 1e-12);
}

TEST_F(RunLoop, TheRunsTimeGoesOnPastTheClocksWrap) {
    // 10-hour steps, 200 cycles, a point an hour: a plan of 83 days, longer
    // than the 32-bit millisecond clock's span. The clock starts just before
    // its wrap; the ticks come an hour apart.
    run.setSample(75);
    clock.ms = 0xFFFFFFFFu - 5000;
    start(TableBuilder{}.step(600, 75, 5, 300, 3600, 0, 0, 0, 200, 0).t);
    for (int hour = 1; hour <= 60 * 24 && run.RunState != kIdle; ++hour) run.tick(3600 * 1000);
    ASSERT_EQ(run.RunState, kStepRunning);
    EXPECT_EQ(run.ElapsedSeconds, 60LL * 24 * 3600);
    ASSERT_GT(run.rows.size(), 1000u);
    for (size_t i = 1; i < run.rows.size(); ++i) ASSERT_GT(run.rows[i].time, run.rows[i - 1].time) << i;
    EXPECT_GT(run.rows.back().time, 4294967.0 + 10 * 24 * 3600);
    EXPECT_EQ(run.panels.value("ElapsedTime"), ElapsedTimeText("1440:00:00"));
}

// A unit silent on an open line leaves its last readings in place. The run
// goes on by them exactly as with a unit that sends (set points, the step's
// end by time and tolerance, the ramp), but a point with no frame since the
// point before is not recorded: it is counted, the window is told and the
// progress panel says so; recording goes on when frames come again.
TEST_F(RunLoop, ASilentUnitsPointsAreNotRecordedAndTheRunGoesOn) {
    const RunTables tables = TableBuilder{}
                                 .step(1, 75, 5, 300, 10, 0, 1, 0, 1, 0)  // then a ramp of one 20 s entry
                                 .step(1, 75, 5, 200, 10, 0, 0, 0, 1, 0)
                                 .entry(100, 20, 5)
                                 .t;
    const auto times = [](const FakeRun& r) {
        std::vector<double> t;
        for (const auto& row : r.rows) t.push_back(row.time);
        return t;
    };
    run.setSample(75);
    start(tables);
    runUntil(30);
    run.silent = true;  // after the point at 30 s, through the step's end and into the ramp
    runUntil(61);
    EXPECT_EQ(run.mPhase, kRampPhase);  // the step ended on time with the last readings
    EXPECT_EQ(run.panels["StepTime"], "No readings from the unit: 3 points not recorded");
    runUntil(72);
    EXPECT_EQ(run.notRecorded, (std::vector<int>{1, 2, 3, 4, 5}));  // 40, 50, 60, 65, 70
    EXPECT_EQ(run.panels["StepTime"], "No readings from the unit: 5 points not recorded");
    EXPECT_TRUE(run.UnitSilent());

    run.silent = false;
    run.tick();
    EXPECT_FALSE(run.UnitSilent());
    EXPECT_TRUE(run.panels["StepTime"].startsWith("Current Ramp (1) Time: ")) << run.panels["StepTime"].toStdString();
    ASSERT_TRUE(run.runToEnd());
    EXPECT_EQ(times(run), (std::vector<double>{10, 20, 30, 75, 80, 90, 100, 110, 120, 130, 140}));
    EXPECT_EQ(run.PointsNotRecorded, 5);
    // The grid and the chart follow the stored points: nothing for a point not
    // recorded, nor for the end of the step while the unit was silent.
    EXPECT_EQ(run.calls.count("plot"), int(run.rows.size()));
    EXPECT_EQ(run.calls.count("grid"), int(run.rows.size()) + 1);  // and the end of step 2
    EXPECT_TRUE(dialogs.messages.empty());

    // The run went on as with a unit that sends all along: the same set
    // points on the same seconds, the stop at the same time.
    const Sent silent = sent();
    FakeRun live{clock};
    live.setSample(75);
    live.load(tables);
    live.mBobNumber = 1;
    live.StartTest();
    ASSERT_TRUE(live.runToEnd());
    run.frames = live.frames;
    EXPECT_EQ(sent(), silent);
    EXPECT_EQ(times(live), (std::vector<double>{10, 20, 30, 40, 50, 60, 65, 70, 75, 80, 90, 100, 110, 120, 130, 140}));
    EXPECT_TRUE(live.notRecorded.empty());

    // A new run starts with no point missed, and its first point holds frames
    // that came after its start: a unit silent from the start records none.
    run.silent = true;
    start(tables);
    EXPECT_EQ(run.PointsNotRecorded, 0);
    EXPECT_FALSE(run.UnitSilent());
    run.rows.clear();
    runUntil(12);
    EXPECT_TRUE(run.rows.empty());
    EXPECT_EQ(run.PointsNotRecorded, 1);
    // The readings of the tick before are still the unit's: the point at
    // 30 s holds those of 29 s. The point at 40 s, 11 s into the silence,
    // holds none.
    run.silent = false;
    runUntil(29);
    run.silent = true;
    runUntil(41);
    EXPECT_EQ(times(run), (std::vector<double>{20, 30}));
    EXPECT_EQ(run.PointsNotRecorded, 2);
    run.ShutDown();
}
