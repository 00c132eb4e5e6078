// The PVT run loop without a window: the step frame on the second tick of a
// step or cycle, the 3-second pause after it, recording at the step's interval,
// the end of steps, cycles and the sequence, the pressure watch, the planned
// time and the refusal of sequences the run cannot count.

#include "pvt/PvtRun.h"
#include "data/Globals.h"
#include "support/ManualClock.h"
#include "support/QtPrint.h"
#include "support/SavedGlobals.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>
#include <limits>
#include <map>

using testing_support::ScriptedDialogs;

namespace {

struct Step {
    double minutes = 1;
    double temp = 72;
    double tolerance = 5;
    double speed = 100;
    double interval = 10;  // recording interval, s
    double press = 0;
    double cycles = 1;
};

runloop::RunTables tables(const std::vector<Step>& steps) {
    runloop::RunTables t;
    for (const Step& s : steps) {
        t.mStepMinutes << s.minutes;
        t.mStepTemp << s.temp;
        t.mStepTempError << s.tolerance;
        t.mStepSpeed << s.speed;
        t.mStepInterval << s.interval;
        t.mStepPress << s.press;
        t.mStepRunRamp << 0;
        t.mStepTempRate << 0;
        t.mStepCycles << s.cycles;
        t.mStepPressRate << 0;
    }
    t.mStepCount = int(steps.size());
    return t;
}

// A run whose hooks write down what the window would do.
class FakeRun : public PvtRun {
public:
    struct Row {
        int step, cycle;
        qint64 elapsed;
    };
    // The unit's next reply: temperature and pressure.
    double temp = 72;
    double press = 0;
    bool silent = false;

    std::vector<std::pair<long long, QString>> frames;  // (tick, frame)
    std::vector<Row> rows;
    std::map<QString, QString> panels;
    int interval = 0;
    bool timerOn = false;
    bool running = false;
    double speedSetPoint = -1;
    int gridRows = 0;
    bool failRows = false;

    // The timer's next tick: the clock moves on by the interval the run set.
    void tick() {
        if (clock) clock->advance(interval > 0 ? interval : 1000);
        Timer1_Timer();
    }
    testing_support::ManualClock* clock = nullptr;
    void tickUntilIdle(int limit = 100000) {
        for (int i = 0; i < limit && RunState == 1; ++i) tick();
    }
    int stops() const {
        int n = 0;
        for (const auto& f : frames) n += f.second == unit::StopFrame();
        return n;
    }
    std::vector<long long> setPointTicks() const {
        std::vector<long long> t;
        for (const auto& f : frames)
            if (f.second.startsWith(QChar(1))) t.push_back(f.first);
        return t;
    }

protected:
    QString ReceiveInput() override {
        if (silent) return QString();
        return QStringLiteral("#01,%1,300.0,100,0,%2,0,0,500,").arg(temp).arg(press) + QChar(26);
    }
    void SendFrame(const QString& f) override { frames.emplace_back(TickCount, f); }
    void SetTimerInterval(int ms, bool enable) override {
        interval = ms;
        if (enable) timerOn = true;
    }
    // The row is made now and written down once it is stored.
    void SavePvtResultRow() override {
        const Row row{CurStep, CurCycle, ElapsedSeconds};
        ResultPoint point;
        point.v[resultcol::TestId] = TestId;
        StoreRow({point, QStringLiteral("Fake test"), [this, row](bool) { rows.push_back(row); }});
    }
    void InsertRow(const ResultPoint&, int) override {
        if (failRows) throw std::runtime_error("disk full");
    }
    void AddPvtGridRow() override { ++gridRows; }
    void ShowPanel(const QString& key, const QString& text) override { panels[key] = text; }
    void RunButtons(bool on) override { running = on; }
    void ShowSpeedSetPoint(double rpm) override { speedSetPoint = rpm; }
    void ShowPointNotRecorded(int count) override { notRecorded.push_back(count); }

public:
    std::vector<int> notRecorded;  // the count told at every row not recorded
};

class PvtRunTest : public ::testing::Test {
protected:
    PvtRunTest() { run.clock = &clock; }
    void load(const std::vector<Step>& steps) { run.TakeSteps(tables(steps)); }
    testing_support::ManualClock clock;
    ScriptedDialogs dialogs;
    FakeRun run;
};

}  // namespace

TEST_F(PvtRunTest, AOneMinuteStepSendsOnTheSecondTickAndRecordsEveryTenSeconds) {
    load({{1, 300, 5, 100, 10, 5000}});
    run.temp = 300;
    run.press = 5000;
    run.StartTest();
    EXPECT_TRUE(run.running);
    EXPECT_EQ(run.panels["Status"], "Test Running");
    EXPECT_EQ(run.panels["StartTime"].left(12), "Start Time: ");
    EXPECT_EQ(run.speedSetPoint, 100);
    EXPECT_EQ(run.interval, 1000);
    EXPECT_TRUE(run.frames.empty());  // nothing sent at the start

    run.tick();
    EXPECT_TRUE(run.frames.empty());
    run.tick();
    ASSERT_EQ(run.frames.size(), 1u);
    EXPECT_EQ(run.frames[0].second, QChar(1) + QStringLiteral("300.0,05000,100.000 1") + QChar(13));
    EXPECT_EQ(run.StepSeconds, 2);  // read from the clock: the 3 s wait is still to come
    EXPECT_EQ(run.interval, 3000);
    run.tick();
    EXPECT_EQ(run.StepSeconds, 5);
    EXPECT_EQ(run.interval, 1000);

    run.tickUntilIdle();
    std::vector<qint64> times;
    for (const auto& r : run.rows) times.push_back(r.elapsed);
    EXPECT_EQ(times, (std::vector<qint64>{10, 20, 30, 40, 50, 60}));
    EXPECT_EQ(run.gridRows, 6);
    EXPECT_EQ(run.RunState, 0);
    EXPECT_EQ(run.stops(), 1);
    EXPECT_EQ(run.panels["Status"], "Test Stop");
    EXPECT_FALSE(run.running);
    EXPECT_TRUE(dialogs.texts().isEmpty());  // the end of the sequence says nothing
    EXPECT_EQ(run.panels["ElapsedTime"], "Elapsed Time: 0:00:59");
}

TEST_F(PvtRunTest, CyclesRecordingIntervalsAndTheTemperatureTolerance) {
    struct Case {
        const char* name;
        double cycles;
        double interval;
        size_t setPoints;
        size_t rows;
    } cases[] = {
        {"0 cycles run once", 0, 10, 1, 6},
        {"1 cycle runs once", 1, 10, 1, 6},
        {"2 cycles run twice", 2, 10, 2, 12},
        {"interval 0 records nothing", 1, 0, 1, 0},
        {"an interval that rounds to 0 records nothing", 1, 0.4, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeRun r;
        r.clock = &clock;
        r.TakeSteps(tables({{1, 72, 5, 100, c.interval, 0, c.cycles}}));
        bool sawCycle2 = false;
        r.StartTest();
        for (int i = 0; i < 1000 && r.RunState == 1; ++i) {
            r.tick();
            sawCycle2 = sawCycle2 || r.panels["StepTime"].startsWith("Current Step (1) Cycle (2)");
        }
        EXPECT_EQ(r.setPointTicks().size(), c.setPoints);
        EXPECT_EQ(r.rows.size(), c.rows);
        EXPECT_EQ(sawCycle2, c.cycles == 2);
    }

    // A step whose time is up goes on while the sample is out of tolerance.
    load({{1, 300, 5, 100, 0, 0}, {1, 72, 5, 50, 0, 0}});
    run.temp = 250;
    run.StartTest();
    for (int i = 0; i < 200; ++i) run.tick();
    EXPECT_EQ(run.CurStep, 1);
    EXPECT_GT(run.StepSeconds, 60);
    run.temp = 296;
    run.tick();
    EXPECT_EQ(run.CurStep, 2);
    EXPECT_EQ(run.StepSeconds, 0);
    EXPECT_EQ(run.StepStartSeconds, run.ElapsedSeconds);
    EXPECT_EQ(run.speedSetPoint, 50);
}

TEST_F(PvtRunTest, ThePressureWatch) {
    struct Case {
        const char* name;
        double press;
        qint64 stopsAtStepSecond;  // 0: never (within the first 100 s)
    } cases[] = {
        {"4001 above stops at once", 9001, 5},
        {"4000 above is within the band", 9000, 0},
        {"4001 below stops after 55 s", 999, 56},
        {"4000 below is within the band", 1000, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedDialogs answers;
        FakeRun r;
        r.clock = &clock;
        r.TakeSteps(tables({{10, 72, 5, 100, 0, 5000}}));
        r.press = c.press;
        r.StartTest();
        qint64 stoppedAt = 0;
        for (int i = 0; i < 100 && r.RunState == 1; ++i) {
            r.tick();
            if (r.RunState == 0) stoppedAt = r.StepSeconds;
        }
        EXPECT_EQ(stoppedAt, c.stopsAtStepSecond);
        EXPECT_EQ(answers.texts(), c.stopsAtStepSecond ? QStringList{"pressure inactive, test will be stopped."}
                                                        : QStringList{});
    }
}

TEST_F(PvtRunTest, APlannedEndOfEveryCycleAndAStopThatLeavesTheLongInterval) {
    // 10 minutes three times, 20 and 30.4 minutes once: 1800, 3000, 4824 s,
    // as the run runs them (a step of 0 or 1 cycle runs once).
    load({{10, 72, 5, 100, 0, 0, 3}, {20, 72, 5, 100, 0, 0, 0}, {30.4}});
    EXPECT_EQ(run.PlannedFrom(1), 4824);
    run.StartTest();
    EXPECT_EQ(run.EndTimeText, runloop::GeneralDate(clock.dateTime().addSecs(4824)));
    EXPECT_EQ(run.panels["EndTime"], "End Time: " + run.EndTimeText);

    run.tick();
    run.tick();  // the step frame: the timer waits 3 s
    run.ShutDown();
    EXPECT_EQ(run.interval, 3000);  // the idle window polls every 3 s until the next start
    EXPECT_EQ(run.reply.TempSetPoint, 0);
    run.StartTest();
    EXPECT_EQ(run.interval, 1000);
    EXPECT_EQ(run.CurStep, 1);
    EXPECT_EQ(run.StepSeconds, 0);
}

TEST_F(PvtRunTest, ARowThatCannotBeStoredIsSaidOnceAndTheRunGoesOn) {
    load({{1, 72, 5, 100, 10, 0}});
    run.failRows = true;
    run.StartTest();
    run.tickUntilIdle();
    EXPECT_EQ(run.RowsNotSaved, 6);
    EXPECT_EQ(run.gridRows, 0);
    // The rows wait (nothing lost): the program's one notice says so.
    ASSERT_EQ(dialogs.texts().size(), 1);
    EXPECT_TRUE(dialogs.texts()[0].startsWith("Recorded points wait for the database (")) << dialogs.texts()[0].toStdString();
    EXPECT_EQ(run.stops(), 1);  // the sequence still ends
}

// A unit silent on an open line leaves its last readings in place: the run
// goes on by them (the step's end, the next step's frame, the band), but a
// row with no frame since the row before is not recorded; it is counted, the
// window is told and the step time panel says so until frames come again.
TEST_F(PvtRunTest, ASilentUnitsRowsAreNotRecordedAndTheRunGoesOn) {
    const std::vector<Step> steps = {{1, 72, 5, 100, 10, 0}, {0.5, 72, 5, 50, 10, 0}};
    const auto times = [](const FakeRun& r) {
        std::vector<qint64> t;
        for (const auto& row : r.rows) t.push_back(row.elapsed);
        return t;
    };
    FakeRun live;
    live.clock = &clock;
    live.TakeSteps(tables(steps));
    live.StartTest();
    live.tickUntilIdle();
    EXPECT_EQ(times(live), (std::vector<qint64>{10, 20, 30, 40, 50, 60, 70, 80, 90}));

    load(steps);
    run.StartTest();
    while (run.ElapsedSeconds < 20) run.tick();
    run.silent = true;  // through the end of step 1 and the frame of step 2
    while (run.ElapsedSeconds < 75) run.tick();
    EXPECT_EQ(run.CurStep, 2);
    EXPECT_EQ(run.notRecorded, (std::vector<int>{1, 2, 3, 4, 5}));  // 30 .. 70
    EXPECT_EQ(run.panels["StepTime"], "No readings from the unit: 5 points not recorded");
    run.silent = false;
    run.tick();
    EXPECT_EQ(run.panels["StepTime"], "Current Step (2) Cycle (1) Time: 0:00:16");
    run.tickUntilIdle();

    EXPECT_EQ(times(run), (std::vector<qint64>{10, 20, 80, 90}));
    EXPECT_EQ(run.gridRows, 4);
    EXPECT_EQ(run.PointsNotRecorded, 5);
    EXPECT_EQ(run.frames, live.frames);  // the same frames on the same ticks
    EXPECT_TRUE(dialogs.texts().isEmpty());
}

// Ticks a second apart: "No Response" once no frame came for more than a
// tick, never while every other tick brings one.
TEST_F(PvtRunTest, NoResponseShowsOnTheSecondTickWithoutAFrame) {
    struct Watch : FakeRun {
        int shown = 0;
        void ShowActiveFlag(const QString& c) override { shown += c == "No Response"; }
    } w;
    w.clock = &clock;
    const auto ticksShowing = [&w](const std::vector<bool>& silent) {
        std::vector<int> showing;
        for (size_t i = 0; i < silent.size(); ++i) {
            w.silent = silent[i];
            const int before = w.shown;
            w.tick();
            if (w.shown > before) showing.push_back(int(i) + 1);
        }
        return showing;
    };
    EXPECT_EQ(ticksShowing({true, true, true, true}), (std::vector<int>{3, 4}));  // never heard since the first tick
    EXPECT_EQ(ticksShowing({false, true, false, true, false, true, false}), std::vector<int>{});
    EXPECT_EQ(ticksShowing({true, true, true}), (std::vector<int>{2, 3}));
}

TEST(PvtSequence, SequencesTheRunCannotCountAreRefused) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        Step step;
        bool refused;
    } cases[] = {
        {"an ordinary step", {}, false},
        {"a zero step", {0, 72, 0, 0, 0, 0, 0}, false},
        {"a negative duration", {-1}, true},
        {"an endless duration", {inf}, true},
        {"a duration beyond the run's count", {6e7}, true},
        {"a negative recording interval", {1, 72, 5, 100, -10}, true},
        {"a recording interval that is no number", {1, 72, 5, 100, std::nan("")}, true},
        {"absurd cycles", {1, 72, 5, 100, 10, 0, 1e12}, true},
        {"negative cycles", {1, 72, 5, 100, 10, 0, -2}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto problem = runloop::SequenceProblem(tables({{}, c.step}));
        EXPECT_EQ(problem.has_value(), c.refused);
        if (problem) {
            EXPECT_TRUE(problem->contains("step 2")) << problem->toStdString();
        }
    }
}

TEST_F(PvtRunTest, ATripOfTheRepliesStopsTheRunAndIsSaid) {
    testing_support::SavedGlobals saved;
    load({{10, 72, 5, 100, 10, 0}});
    run.StartTest();
    run.temp = 650;
    for (int i = 0; i < 9; ++i) run.tick();
    EXPECT_EQ(run.RunState, PvtRun::kRunning);
    EXPECT_TRUE(dialogs.texts().isEmpty());
    run.tick();  // the tenth over 610 °F
    EXPECT_EQ(run.RunState, PvtRun::kIdle);
    EXPECT_EQ(run.stops(), 1);
    EXPECT_EQ(run.panels["Status"], "Test Stop");
    EXPECT_FALSE(run.running);
    EXPECT_EQ(dialogs.texts(), QStringList{"Temperature too high, test will be stopped "});

    // The pressure against the maximum in force at the tick, also with no test running.
    dialogs.clear();
    run.temp = 72;
    run.press = 20501;
    gMaxPress = 30000;
    for (int i = 0; i < 12; ++i) run.tick();
    EXPECT_TRUE(dialogs.texts().isEmpty());
    gMaxPress = 20000;
    for (int i = 0; i < 10; ++i) run.tick();
    EXPECT_EQ(dialogs.texts(), QStringList{"pressure too high, will be shut down"});
    EXPECT_EQ(run.stops(), 2);
}

// A step's clock runs on past the 32-bit millisecond clock's 49.7 days: the
// longest step a sequence holds, whose sample reaches its temperature only
// on day 60, ends then (its clock no longer wraps back to 0).
TEST_F(PvtRunTest, AStepLongerThanTheMillisecondClocksSpanEnds) {
    load({{71582, 300, 5, 100, 0, 0}});
    run.temp = 100;
    run.StartTest();
    for (int hour = 0; hour < 60 * 24; ++hour) {
        clock.advance(3600 * 1000);
        run.Timer1_Timer();
    }
    ASSERT_EQ(run.RunState, 1);
    EXPECT_EQ(run.StepSeconds, 60LL * 86400);
    run.temp = 300;
    run.tick();
    EXPECT_EQ(run.RunState, 0);
    EXPECT_EQ(run.stops(), 1);
}
