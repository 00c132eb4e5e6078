// The window-free rules of a run: set-point arithmetic, the pressure band,
// recording points, run times, texts, and the loading of stored sequences
// into the run tables.

#include "support/UnitWindowFixture.h"
#include "support/StoredSequences.h"

#include "data/clsSEQUENCE_INFO.h"
#include "data/clsSEQUENCE_RAMP.h"
#include "data/clsSEQUENCE_RAMP_DEFINE.h"
#include "platform/Database.h"
#include "platform/RunClock.h"
#include "unitrun/RunMessages.h"
#include "unitrun/SequenceLoading.h"
#include "unitrun/SetPoints.h"
#include "unitrun/SequenceRun.h"

#include <limits>

using namespace runloop;
using namespace unit_tests;

TEST(RunRules, TemperatureCommandsOfHeatingAndCoolingSteps) {
    // Increments per 120 s: 2r up to 1 °F/min, rising to 2r x 1.3 from 6 on.
    EXPECT_DOUBLE_EQ(TempIncrement(0.5), 1.0);
    EXPECT_DOUBLE_EQ(TempIncrement(1), 2.0);
    EXPECT_DOUBLE_EQ(TempIncrement(3), 6.72);
    EXPECT_DOUBLE_EQ(TempIncrement(6), 15.6);
    EXPECT_DOUBLE_EQ(TempIncrement(10), 26.0);

    // Heating to 300 at 3 °F/min from a sample at 100.
    EXPECT_DOUBLE_EQ(FirstTempCommand(3, 100, 300), 106.72);
    EXPECT_DOUBLE_EQ(CorrectedTempCommand(3, 106.72, 104, 300), 113.44);  // from the command, not the sample
    EXPECT_DOUBLE_EQ(CorrectedTempCommand(10, 280, 280, 300), 300.0);      // never past the target
    EXPECT_DOUBLE_EQ(FirstTempCommand(10, 290, 300), 300.0);

    // Cooling to 150 from 250: 8 °F below the sample, not below the target.
    EXPECT_DOUBLE_EQ(FirstTempCommand(-5, 250, 150), 242.0);
    EXPECT_DOUBLE_EQ(CorrectedTempCommand(-5, 242, 170, 150), 162.0);
    EXPECT_DOUBLE_EQ(CorrectedTempCommand(-5, 162, 155, 150), 150.0);
    // At the target: the target; a rate of 0 leaves the command.
    EXPECT_DOUBLE_EQ(FirstTempCommand(0, 300, 300), 300.0);
    EXPECT_DOUBLE_EQ(CorrectedTempCommand(0, 123, 200, 300), 123.0);

    // The direction follows the sample, whatever the stored sign.
    EXPECT_EQ(DirectedTempRate(250, 150, 5), -5);
    EXPECT_EQ(DirectedTempRate(100, 300, -3), 3);
    EXPECT_EQ(DirectedTempRate(300, 300, 3), 0);
}

TEST(RunRules, PressureRampAndBand) {
    // Step 2 at 5000 psi after a step at 2000, 500 psi/min.
    double p = NextPressCommand(500, 2000, 5000);
    EXPECT_EQ(p, 2500);
    std::vector<double> seen;
    while (p != 5000) seen.push_back(p = NextPressCommand(500, p, 5000));
    EXPECT_EQ(seen, (std::vector<double>{3000, 3500, 4000, 4500, 5000}));
    EXPECT_EQ(NextPressCommand(700, 4800, 5000), 5000);  // a step past the target sends the target
    EXPECT_EQ(NextPressCommand(0, 2000, 5000), 5000);    // no rate: the target at once
    EXPECT_EQ(NextPressCommand(-100, 1000, 500), 900);
    EXPECT_EQ(NextPressCommand(-100, 550, 500), 500);

    EXPECT_FALSE(OutsideBand(1000, 5000, true, false));  // 4000 away: inside
    EXPECT_FALSE(OutsideBand(9000, 5000, true, false));
    EXPECT_TRUE(OutsideBand(999.9, 5000, true, false));
    EXPECT_TRUE(OutsideBand(9000.1, 5000, true, false));
    // Before the step has settled nothing counts, but a pressure above the
    // band for a kind that watches the top at once.
    EXPECT_FALSE(OutsideBand(999.9, 5000, false, false));
    EXPECT_FALSE(OutsideBand(9000.1, 5000, false, false));
    EXPECT_FALSE(OutsideBand(999.9, 5000, false, true));
    EXPECT_TRUE(OutsideBand(9000.1, 5000, false, true));
}

TEST(RunRules, RecordingPoints) {
    struct Case {
        double interval;
        qint64 elapsed;
        bool zeroCounts;
        bool recorded;
    } cases[] = {
        {0, 10, false, false},   {10, 10, false, true},  {10, 20, false, true},  {10, 19, false, false},
        {10, 0, false, false},   {5, 0, true, true},     {0, 0, true, false},
        // An interval that rounds to 0 records nothing (it used to fail on every tick).
        {0.4, 1, false, false},  {0.4, 0, true, false},  {0.5, 3, false, false}, {-0.3, 2, true, false},
        {0.6, 7, false, true},   {2.5, 4, false, true},  {2.5, 5, false, false}, {3.5, 8, false, true},
        {-5, 10, false, true},   {std::nan(""), 10, false, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsRecordingPoint(c.interval, c.elapsed, c.zeroCounts), c.recorded)
            << c.interval << " at " << c.elapsed;
}

TEST(RunRules, ClockSecondsAndTheWrap) {
    EXPECT_EQ(WholeSeconds(1500), 2);
    EXPECT_EQ(WholeSeconds(2500), 2);
    EXPECT_EQ(WholeSeconds(3500), 4);
    EXPECT_EQ(WholeSeconds(499), 0);
    EXPECT_EQ(tick::MsBetween(0xFFFFFF00u, 0x100u), 0x200u);

    // The default clock runs; an installed one is used until it is removed.
    tick::ClockSource previous = tick::SetClockSource({[] { return 42u; }, [] { return QDateTime(); }});
    EXPECT_EQ(tick::timeGetTime(), 42u);
    tick::SetClockSource(previous);
    EXPECT_TRUE(tick::CurrentDateTime().isValid());
}

namespace {
RunTables tables(const std::vector<SeqStep>& steps, const std::vector<double>& rampSeconds) {
    RunTables t;
    for (const SeqStep& s : steps) {
        t.mStepMinutes << s.minutes;
        t.mStepTemp << s.temp;
        t.mStepTempError << s.tolerance;
        t.mStepSpeed << s.speed;
        t.mStepInterval << s.interval;
        t.mStepPress << s.press;
        t.mStepRunRamp << s.runRamp;
        t.mStepTempRate << s.tempRate;
        t.mStepCycles << s.cycles;
        t.mStepPressRate << s.pressRate;
    }
    t.mStepCount = int(steps.size());
    for (double s : rampSeconds) {
        t.mRampSpeed << 100;
        t.mRampSeconds << s;
        t.mRampInterval << 5;
    }
    t.mRampEntryCount = int(rampSeconds.size());
    return t;
}
SeqStep minutesCycles(double minutes, double cycles, double ramp = 0) {
    SeqStep s;
    s.minutes = minutes;
    s.cycles = cycles;
    s.runRamp = ramp;
    return s;
}
}  // namespace

TEST(RunRules, PlannedAndRemainingTime) {
    // Three steps of 10 minutes, the last with two cycles and the ramp of two 60 s entries.
    const RunTables t = tables({minutesCycles(10, 1), minutesCycles(10, 1), minutesCycles(10, 2, 1)}, {60, 60});
    EXPECT_EQ(PlannedSeconds(t, 1, true), 600 + 600 + 2 * (600 + 120));
    EXPECT_EQ(PlannedSeconds(t, 2, true), 2040);
    EXPECT_EQ(PlannedSeconds(t, 3, true), 1440);
    EXPECT_EQ(PlannedSeconds(t, 4, true), 0);
    // A kind without the ramp counts the steps only.
    EXPECT_EQ(PlannedSeconds(t, 1, false), 600 + 600 + 2 * 600);

    // A step runs as often as the run runs it: 0 (or fewer) cycles once, as
    // one cycle; 2.5 cycles twice.
    EXPECT_EQ(PlannedSeconds(tables({minutesCycles(10, 0), minutesCycles(1, -1), minutesCycles(1, 2.5)}, {}), 1, true),
              600 + 60 + 120);
    EXPECT_EQ(RunsOfStep(0), 1);
    EXPECT_EQ(RunsOfStep(1), 1);
    EXPECT_EQ(RunsOfStep(2.5), 2);
    EXPECT_EQ(RunsOfStep(std::nan("")), 1);
    // The running total is whole seconds, halves to even after each addition.
    EXPECT_EQ(PlannedSeconds(tables({minutesCycles(1.5 / 60, 3)}, {}), 1, true), 6);  // 2, 4 (3.5), 6 (5.5)
    EXPECT_EQ(PlannedSeconds(tables({minutesCycles(0.5 / 60, 3)}, {}), 1, true), 0);  // 0.5 -> 0 each time
}

TEST(RunRules, PlannedTimeOfManyCyclesIsTheCycleByCycleSum) {
    // The plan is worked out without a pass per cycle; it must add up as the
    // cycle-by-cycle running total does, whatever halves the rounding meets.
    auto byCycles = [](const RunTables& t, int fromStep) {
        qint64 total = 0;
        for (int s = fromStep; s <= t.mStepCount; ++s)
            for (double c = 1; c <= RunsOfStep(t.mStepCycles.value(s)); ++c) {
                total = qint64(RoundEven(double(total) + t.mStepMinutes.value(s) * 60.0));
                if (t.mStepRunRamp.value(s) == 1)
                    for (int j = 1; j <= t.mRampEntryCount; ++j)
                        total = qint64(RoundEven(double(total) + t.mRampSeconds.value(j)));
            }
        return total;
    };
    const double half = 0.5 / 60, oneAndHalf = 1.5 / 60;
    const struct {
        const char* name;
        RunTables t;
    } cases[] = {
        {"halves that stay even", tables({minutesCycles(half, 7)}, {})},
        {"halves that alternate", tables({minutesCycles(oneAndHalf, 7)}, {})},
        {"an odd start", tables({minutesCycles(1.0 / 60, 1), minutesCycles(half, 6), minutesCycles(oneAndHalf, 5)}, {})},
        {"ramp halves", tables({minutesCycles(1.0 / 60, 9, 1), minutesCycles(oneAndHalf, 4, 1)}, {0.5, 1.5, 2.5})},
        {"whole minutes", tables({minutesCycles(10, 12, 1), minutesCycles(0.75, 3)}, {60, 30.5})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PlannedSeconds(c.t, 1, true), byCycles(c.t, 1));
        EXPECT_EQ(PlannedSeconds(c.t, 2, true), byCycles(c.t, 2));
    }
    // Cycle counts a loop could never finish: at once, and without overflow.
    EXPECT_EQ(PlannedSeconds(tables({minutesCycles(1, 1e9)}, {}), 1, true), 60'000'000'000);
    EXPECT_EQ(PlannedSeconds(tables({minutesCycles(1, 1e17)}, {}), 1, true), 9'000'000'000'000'000);
    EXPECT_EQ(PlannedSeconds(tables({minutesCycles(1e300, 1e300)}, {}), 1, true), 9'000'000'000'000'000);
}

TEST(RunRules, StatusTextsAndMessages) {
    EXPECT_EQ(HmsText(3725), "1:02:05");
    EXPECT_EQ(HmsText(0), "0:00:00");
    EXPECT_EQ(HmsText(360000), "100:00:00");
    EXPECT_EQ(StepTimeText(3, 1, 125), "Current Step (3) Cycle (1) Time: 0:02:05");
    EXPECT_EQ(StepTimeText(1, 1, 5), "Current Step (1) Cycle (1) Time: 0:00:05");
    EXPECT_EQ(RampTimeText(2, 65), "Current Ramp (2) Time: 0:00:01:05");
    EXPECT_EQ(RampTimeText(1, 3725), "Current Ramp (1) Time: 0:01:02:05");
    EXPECT_EQ(ElapsedTimeText(HmsText(3600)), "Elapsed Time:  1:00:00");

    EXPECT_EQ(PressureTooHighMessage(30000),
              QStringLiteral("Sequence pressure setting too high. 30000(psi),\rPlease choose another sequence."));
    EXPECT_EQ(PressureTooHighMessage(20000),
              QStringLiteral("Sequence pressure setting too high. 20000(psi),\rPlease choose another sequence."));

    // The refusal says what to enter: the bobs the dialog fills in.
    EXPECT_EQ(BobRadiusMessage({"B1", "B2", "B5"}),
              "The bob radius must be greater than 0 and smaller than the cup radius (1.8415 cm). The test cannot be "
              "started.\rEnter the bob in Bob Number (B1, B2 or B5): its radius and length are then filled in.");
}

// ---- loading stored sequences -----------------------------------------------------

namespace {
class SequenceLoad : public UnitWindowFixture {
protected:
    LoadedSequence load(const QString& name, double maxPress = 30000) {
        seqInfo.ConnectX(&conn);
        return LoadSequence(name, maxPress, &conn, seqInfo, seqRamp, &seqRampDefine);
    }
    SeqStep step(double temp, double tempRate, double press, double pressRate) {
        SeqStep s;
        s.temp = temp;
        s.tempRate = tempRate;
        s.press = press;
        s.pressRate = pressRate;
        return s;
    }
    clsSEQUENCE_INFO seqInfo;
    clsSEQUENCE_RAMP seqRamp;
    clsSEQUENCE_RAMP_DEFINE seqRampDefine;
};
}  // namespace

TEST_F(SequenceLoad, StepsAndEntriesWithTheirRateSigns) {
    SeqStep first = step(200, 5, 1000, 100);
    first.minutes = 30.5;
    first.tolerance = 2.5;
    first.speed = 600;
    first.interval = 10;
    first.runRamp = 1;
    first.cycles = 2;
    const qint32 id = StoreSequence(conn, "Rates", {first, step(300, -5, 1000, 100), step(250, 5, 500, 100)},
                                    {{100, 30, 5}, {200, 40, 10}});
    const LoadedSequence l = load("Rates");
    ASSERT_EQ(l.result, LoadResult::Loaded);
    EXPECT_EQ(l.sequenceId, id);
    EXPECT_EQ(l.seqInfoRow.value(1).toString(), "Rates");
    const RunTables& t = l.tables;
    EXPECT_EQ(t.mStepCount, 3);
    EXPECT_EQ(t.mStepTemp, (QVector<double>{0, 200, 300, 250}));
    EXPECT_EQ(t.mStepTempRate, (QVector<double>{0, 5, 5, -5}));  // equal or higher: positive
    EXPECT_EQ(t.mStepPress, (QVector<double>{0, 1000, 1000, 500}));
    EXPECT_EQ(t.mStepPressRate, (QVector<double>{0, 100, 100, -100}));
    EXPECT_EQ(t.mStepMinutes[1], 30.5);
    EXPECT_EQ(t.mStepTempError[1], 2.5);
    EXPECT_EQ(t.mStepSpeed[1], 600);
    EXPECT_EQ(t.mStepInterval[1], 10);
    EXPECT_EQ(t.mStepRunRamp[1], 1);
    EXPECT_EQ(t.mStepCycles[1], 2);
    ASSERT_TRUE(l.hasRampEntries);
    EXPECT_EQ(t.mRampEntryCount, 2);
    EXPECT_EQ(t.mRampSpeed, (QVector<double>{0, 100, 200}));
    EXPECT_EQ(t.mRampSeconds, (QVector<double>{0, 30, 40}));
    EXPECT_EQ(t.mRampInterval, (QVector<double>{0, 5, 10}));
}

TEST_F(SequenceLoad, RefusalsAndEmptySequences) {
    StoreSequence(conn, "AtLimit", {step(100, 1, 20000, 0)});
    StoreSequence(conn, "AboveLimit", {step(100, 1, 1000, 0), step(100, 1, 20001, 0)});
    StoreSequence(conn, "NoSteps", {});
    StoreSequence(conn, "NoEntries", {step(100, 1, 0, 0)});

    EXPECT_EQ(load("AtLimit", 20000).result, LoadResult::Loaded);
    EXPECT_EQ(load("AboveLimit", 20000).result, LoadResult::PressureTooHigh);
    EXPECT_EQ(load("AboveLimit", 30000).result, LoadResult::Loaded);
    EXPECT_EQ(load("NoSteps").result, LoadResult::NoSteps);
    const LoadedSequence gone = load("Deleted meanwhile");
    EXPECT_EQ(gone.result, LoadResult::NoSteps);
    EXPECT_EQ(gone.sequenceId, 0);
    // Values another program stored that no run can hold: loaded as stored,
    // and refused by the run's check, naming the step and the limit.
    SeqStep endless = step(100, 1, 0, 0);
    endless.cycles = 1e16;
    StoreSequence(conn, "EndlessCycles", {step(100, 1, 0, 0), endless});
    const LoadedSequence cycles = load("EndlessCycles");
    EXPECT_EQ(cycles.result, LoadResult::Loaded);
    EXPECT_EQ(CheckRunTables(cycles.tables, 30000),
              "Step 2: the cycle count 1E+16 is beyond what a run can hold (at most 10000).");
    SeqStep longStep = step(100, 1, 0, 0);
    longStep.minutes = 1e300;
    StoreSequence(conn, "LongStep", {longStep});
    EXPECT_EQ(CheckRunTables(load("LongStep").tables, 30000),
              "Step 1: the step time (min) 1E+300 is beyond what a run can hold (at most 71582).");
    StoreSequence(conn, "LongRamp", {step(100, 1, 0, 0)}, {{100, 30, 5}, {100, 5e6, 5}});
    EXPECT_EQ(CheckRunTables(load("LongRamp").tables, 30000),
              "Ramp step 2: the ramp time (sec) 5000000 is beyond what a run can hold (at most 4294967).");
    EXPECT_EQ(CheckRunTables(load("NoEntries").tables, 30000), "");

    const LoadedSequence noEntries = load("NoEntries");
    EXPECT_EQ(noEntries.result, LoadResult::Loaded);
    EXPECT_FALSE(noEntries.hasRampEntries);
    EXPECT_EQ(noEntries.tables.mRampEntryCount, 0);
}

TEST_F(SequenceLoad, AStoredValueAStepMayNotHoldIsNamedWithItsStep) {
    // Written by another program: each is loaded, and named as the problem
    // that keeps a window from taking the sequence (the rule of the editor).
    struct Case {
        const char* name;
        std::function<void(SeqStep&)> change;  // of step 2
        QString problem;
    };
    const std::vector<Case> cases = {
        {"a temperature above 600 °F", [](SeqStep& s) { s.temp = 5000; },
         "Step 2: the temperature (°F) 5000 is out of range (0 to 600)."},
        {"a negative speed", [](SeqStep& s) { s.speed = -300; },
         "Step 2: the speed (rpm) -300 is out of range (0 to 600)."},
        {"a negative pressure", [](SeqStep& s) { s.press = -1000; },
         "Step 2: the pressure (psi) -1000 is out of range (0 to 30000)."},
        {"a negative step time", [](SeqStep& s) { s.minutes = -5; },
         "Step 2: the step time (min) -5 is out of range (0 to 71582)."},
        {"a negative interval", [](SeqStep& s) { s.interval = -1; },
         "Step 2: the record interval (sec) -1 is out of range (0 to 4294967)."},
        {"no cycle", [](SeqStep& s) { s.cycles = 0; }, "Step 2: the cycle count 0 is out of range (1 to 10000)."},
        {"a ramp flag of 7", [](SeqStep& s) { s.runRamp = 7; }, "Step 2: the ramp flag 7 is neither 0 nor 1."},
        {"a temperature error that is no finite number",
         [](SeqStep& s) { s.tolerance = std::numeric_limits<double>::infinity(); },
         "Step 2: the temperature error (°F) INF is not a finite number."},
        {"a temperature ramp rate that is no finite number",
         [](SeqStep& s) { s.tempRate = std::numeric_limits<double>::infinity(); },
         "Step 2: the temperature ramp rate (°F/min) INF is not a finite number."},
        {"a pressure ramp rate that is no finite number",
         [](SeqStep& s) { s.pressRate = std::numeric_limits<double>::infinity(); },
         "Step 2: the pressure ramp rate (psi/min) INF is not a finite number."},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SeqStep bad = step(100, 1, 1000, 0);
        c.change(bad);
        const QString name = QStringLiteral("Bad %1").arg(++n);
        StoreSequence(conn, name, {step(100, 1, 1000, 0), bad});
        const LoadedSequence l = load(name);
        EXPECT_EQ(l.result, LoadResult::Loaded);
        EXPECT_EQ(l.problem, c.problem);
        // The tables hold no step numbers; what they hold is checked again at Start.
        EXPECT_EQ(CheckRunTables(l.tables, 30000), c.problem);
    }

    // Step numbers repeated (the load reads them in RAMP_NO order).
    const qint32 twice = StoreSequence(conn, "Twice", {step(100, 1, 0, 0), step(100, 1, 0, 0)});
    db::Command(conn.ADOConnection(), QStringLiteral("UPDATE SEQUENCE_RAMP SET RAMP_NO = 1 WHERE SEQUENCE_ID = %1").arg(twice))
        .execute();
    EXPECT_EQ(load("Twice").problem, "Step 2: the step number 1 is not above the number of the step before it (1).");

    // A ramp entry.
    StoreSequence(conn, "BadRamp", {step(100, 1, 0, 0)}, {{100, 30, 5}, {-300, 30, 5}});
    EXPECT_EQ(load("BadRamp").problem, "Ramp step 2: the speed (rpm) -300 is out of range (0 to 600).");

    // Above the unit's Max Pressure: the load stops there, and names it.
    StoreSequence(conn, "High", {step(100, 1, 1000, 0), step(100, 1, 25000, 0)});
    const LoadedSequence high = load("High", 20000);
    EXPECT_EQ(high.result, LoadResult::PressureTooHigh);
    EXPECT_EQ(high.problem, "Step 2: the pressure (psi) 25000 is out of range (0 to 20000).");
    const LoadedSequence taken = load("High", 30000);
    EXPECT_EQ(taken.result, LoadResult::Loaded);
    EXPECT_EQ(taken.problem, "");
    EXPECT_EQ(CheckRunTables(taken.tables, 30000), "");
    EXPECT_EQ(CheckRunTables(taken.tables, 20000), "Step 2: the pressure (psi) 25000 is out of range (0 to 20000).");
}
