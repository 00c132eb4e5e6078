// What a step of a stored sequence may hold: each value at its limits and
// beyond them (negatives and values that are no finite number included), in
// the units as stored and as the editor shows them, the step numbers, and the
// messages that name the step and the value.

#include "data/Globals.h"
#include "data/SequenceLimits.h"
#include "data/Settings.h"

#include <gtest/gtest.h>
#include <limits>

using namespace seqlimits;

namespace {

const double kNan = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

class SequenceLimits : public ::testing::Test {
protected:
    void SetUp() override { units(1); }
    void TearDown() override { units(1); }
    void units(int system) {
        gUnitSystem = system;
        SetUnitLabels();
    }
};

// A step that fits, with one value changed.
Step fine() {
    Step s;
    s.number = 2;
    s.minutes = 10;
    s.temperature = 150;
    s.speed = 300;
    s.pressure = 1000;
    s.interval = 5;
    s.cycles = 1;
    s.rampFlag = 0;
    return s;
}

}  // namespace

TEST_F(SequenceLimits, EachValueOfAStepAsStored) {
    struct Case {
        const char* name;
        double Step::*value;
        double v;
        QString message;  // empty: fits
    };
    const Case cases[] = {
        {"temperature at 0", &Step::temperature, 0, ""},
        {"temperature at 600", &Step::temperature, 600, ""},
        {"temperature above", &Step::temperature, 99999, "Step 2: the temperature (°F) 99999 is out of range (0 to 600)."},
        {"temperature below", &Step::temperature, -500, "Step 2: the temperature (°F) -500 is out of range (0 to 600)."},
        {"speed at 600", &Step::speed, 600, ""},
        {"speed a hair below 0", &Step::speed, -0.0001, ""},
        {"speed above", &Step::speed, 1e6, "Step 2: the speed (rpm) 1000000 is out of range (0 to 600)."},
        {"speed below", &Step::speed, -300, "Step 2: the speed (rpm) -300 is out of range (0 to 600)."},
        {"pressure at 0", &Step::pressure, 0, ""},
        {"pressure at the maximum", &Step::pressure, 20000, ""},
        {"pressure above", &Step::pressure, 25000, "Step 2: the pressure (psi) 25000 is out of range (0 to 20000)."},
        {"pressure below", &Step::pressure, -1000, "Step 2: the pressure (psi) -1000 is out of range (0 to 20000)."},
        {"one cycle", &Step::cycles, 1, ""},
        {"most cycles", &Step::cycles, 10000, ""},
        {"no cycle", &Step::cycles, 0, "Step 2: the cycle count 0 is out of range (1 to 10000)."},
        {"negative cycles", &Step::cycles, -3, "Step 2: the cycle count -3 is out of range (1 to 10000)."},
        {"endless cycles", &Step::cycles, 1e300,
         "Step 2: the cycle count 1E+300 is beyond what a run can hold (at most 10000)."},
        {"no step time", &Step::minutes, 0, ""},
        {"longest step", &Step::minutes, 71582, ""},
        {"negative step time", &Step::minutes, -5, "Step 2: the step time (min) -5 is out of range (0 to 71582)."},
        {"step time beyond the clock", &Step::minutes, 71583,
         "Step 2: the step time (min) 71583 is beyond what a run can hold (at most 71582)."},
        {"no recording", &Step::interval, 0, ""},
        {"negative interval", &Step::interval, -10,
         "Step 2: the record interval (sec) -10 is out of range (0 to 4294967)."},
        {"interval beyond the clock", &Step::interval, 4294968,
         "Step 2: the record interval (sec) 4294968 is beyond what a run can hold (at most 4294967)."},
        {"ramp flag 1", &Step::rampFlag, 1, ""},
        {"ramp flag 7", &Step::rampFlag, 7, "Step 2: the ramp flag 7 is neither 0 nor 1."},
        {"ramp flag -1", &Step::rampFlag, -1, "Step 2: the ramp flag -1 is neither 0 nor 1."},
        {"a number above the one before", &Step::number, 5, ""},
        {"a repeated step number", &Step::number, 1,
         "Step 2: the step number 1 is not above the number of the step before it (1)."},
        {"a step number out of order", &Step::number, 0, "Step 2: the step number 0 is not a whole number from 1."},
        {"a step number that is no whole number", &Step::number, 2.5,
         "Step 2: the step number 2.5 is not a whole number from 1."},
    };
    const Limits limits = StoredLimits(20000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Step s = fine();
        s.*c.value = c.v;
        const auto p = CheckStep(2, s, 1, limits);
        if (c.message.isEmpty()) {
            EXPECT_FALSE(p) << p->message.toStdString();
            continue;
        }
        ASSERT_TRUE(p);
        EXPECT_EQ(p->message, c.message);
        EXPECT_EQ(p->value, c.v);
    }
}

TEST_F(SequenceLimits, AValueThatIsNoFiniteNumberNeverFits) {
    const Limits limits = StoredLimits(30000);
    for (double v : {kNan, kInf, -kInf}) {
        SCOPED_TRACE(v);
        for (double Step::*value : {&Step::number, &Step::minutes, &Step::temperature, &Step::speed, &Step::pressure,
                                    &Step::interval, &Step::cycles, &Step::rampFlag, &Step::tolerance,
                                    &Step::tempRate, &Step::pressRate}) {
            Step s = fine();
            s.*value = v;
            EXPECT_TRUE(CheckStep(2, s, 1, limits));
        }
        for (double RampEntry::*value : {&RampEntry::seconds, &RampEntry::speed, &RampEntry::interval}) {
            RampEntry e{30, 100, 5};
            e.*value = v;
            EXPECT_TRUE(CheckRampEntry(1, e, limits));
        }
        EXPECT_FALSE(StepMinutesFit(v));
        EXPECT_FALSE(SecondsFit(v));
        EXPECT_FALSE(CyclesFit(v));
        EXPECT_FALSE(InsertMinutesFit(v));
        EXPECT_FALSE(RateFits(v));
        EXPECT_FALSE(TypedRateFits(v));
        EXPECT_FALSE(ToleranceFits(v));
    }
}

TEST_F(SequenceLimits, ARampRateIsItsSizeWithTheSignOfTheChange) {
    // Stored or shown, a rate of either sign and any size fits: the sign is
    // the change's, not the rate's own.
    const Limits stored = StoredLimits(30000);
    for (double rate : {0.0, 5.0, -5.0, 1e300, -1e300}) {
        Step s = fine();
        s.tempRate = rate;
        s.pressRate = rate;
        s.tolerance = rate;
        EXPECT_FALSE(CheckStep(2, s, 1, stored)) << rate;
    }
    EXPECT_EQ(CheckStep(2, [] { Step s = fine(); s.tempRate = kInf; return s; }(), 1, stored)->message,
              "Step 2: the temperature ramp rate (°F/min) INF is not a finite number.");
    EXPECT_EQ(CheckStep(2, [] { Step s = fine(); s.pressRate = -kInf; return s; }(), 1, stored)->message,
              "Step 2: the pressure ramp rate (psi/min) -INF is not a finite number.");
    EXPECT_EQ(CheckStep(2, [] { Step s = fine(); s.tolerance = kInf; return s; }(), 1, stored)->message,
              "Step 2: the temperature error (°F) INF is not a finite number.");

    // Typed as its size (the insert dialog, the step builder): 0 or more.
    EXPECT_TRUE(TypedRateFits(0));
    EXPECT_TRUE(TypedRateFits(2.5));
    EXPECT_FALSE(TypedRateFits(-0.01));
    EXPECT_EQ(ValueMessage(Field::TempRate, -5, stored),
              "The temperature ramp rate (°F/min) -5 is below 0 (a rate is typed as its size; its sign follows the "
              "change from the step before).");
    units(2);
    EXPECT_EQ(ValueMessage(Field::PressRate, -50, ShownLimits(30000)),
              "The pressure ramp rate (psi/min) -50 is below 0 (a rate is typed as its size; its sign follows the "
              "change from the step before).");
    EXPECT_EQ(ValueMessage(Field::TempRate, -2, ShownLimits(30000)),
              "The temperature ramp rate (°C/min) -2 is below 0 (a rate is typed as its size; its sign follows the "
              "change from the step before).");

    // The sign rule: below the step before, negative; level or above, positive.
    EXPECT_EQ(SignedRate(5, 100, 150), -5);
    EXPECT_EQ(SignedRate(-5, 100, 150), -5);
    EXPECT_EQ(SignedRate(-5, 150, 100), 5);
    EXPECT_EQ(SignedRate(-5, 150, 150), 5);
    EXPECT_EQ(SignedRate(5, 0, 0), 5);

    // The insert dialog's own limit of its step's time, below the run's.
    EXPECT_TRUE(InsertMinutesFit(0));
    EXPECT_TRUE(InsertMinutesFit(kMaxInsertMinutes));
    EXPECT_FALSE(InsertMinutesFit(60000.5));
    EXPECT_FALSE(InsertMinutesFit(-1));
    EXPECT_LT(kMaxInsertMinutes, kMaxStepMinutes);
}

TEST_F(SequenceLimits, RampEntries) {
    const Limits limits = StoredLimits(30000);
    struct Case {
        RampEntry e;
        QString message;
    } cases[] = {
        {{0, 0, 0}, ""},
        {{4294967, 600, 4294967}, ""},
        {{-30, 100, 5}, "Ramp step 3: the ramp time (sec) -30 is out of range (0 to 4294967)."},
        {{1e7, 100, 5}, "Ramp step 3: the ramp time (sec) 10000000 is beyond what a run can hold (at most 4294967)."},
        {{30, -300, 5}, "Ramp step 3: the speed (rpm) -300 is out of range (0 to 600)."},
        {{30, 1e6, 5}, "Ramp step 3: the speed (rpm) 1000000 is out of range (0 to 600)."},
        {{30, 100, -5}, "Ramp step 3: the interval (sec) -5 is out of range (0 to 4294967)."},
    };
    for (const Case& c : cases) {
        const auto p = CheckRampEntry(3, c.e, limits);
        EXPECT_EQ(p ? p->message : QString(), c.message);
    }
}

TEST_F(SequenceLimits, TheFirstStepFollowsNoNumber) {
    const Limits limits = StoredLimits(30000);
    Step s = fine();
    s.number = 1;
    EXPECT_FALSE(CheckStep(1, s, 0, limits));
    s.number = 0;
    EXPECT_TRUE(CheckStep(1, s, 0, limits));
    s.number = -1;
    EXPECT_TRUE(CheckStep(1, s, 0, limits));
    // Numbers may leave gaps, as long as they rise.
    s.number = 7;
    EXPECT_FALSE(CheckStep(3, s, 3, limits));
}

TEST_F(SequenceLimits, AsTheEditorShowsThem) {
    // By shear rate: the speed limits times the bob's shear rate per rpm.
    const double b1 = 1.7022937028532377;
    const Limits bySR = ShownLimits(30000, true, b1);
    EXPECT_TRUE(SpeedFits(600 * b1, bySR));
    EXPECT_FALSE(SpeedFits(1021.4, bySR));
    EXPECT_TRUE(SpeedFits(-0.0001 * b1, bySR));
    Step s = fine();
    s.speed = 2000;
    EXPECT_EQ(CheckStep(2, s, 1, bySR)->message,
              "Step 2: the shear rate (1/s) 2000 is out of range (0 to 1021.376).");
    EXPECT_EQ(ValueMessage(Field::RampFlag, 7, bySR), "The ramp flag 7 is neither 0 nor 1.");
    EXPECT_EQ(ValueMessage(Field::Minutes, -5, bySR), "The step time (min) -5 is out of range (0 to 71582).");

    // SI: -18 to 316 °C shown; stored as the editor stores them, 0 to 601 °F.
    units(2);
    const Limits shown = ShownLimits(30000);
    EXPECT_TRUE(TemperatureFits(-18, shown));
    EXPECT_TRUE(TemperatureFits(316, shown));
    EXPECT_FALSE(TemperatureFits(317, shown));
    s = fine();
    s.temperature = 400;
    EXPECT_EQ(CheckStep(2, s, 1, shown)->message, "Step 2: the temperature (°C) 400 is out of range (-18 to 316).");
    const Limits stored = StoredLimits(30000);
    EXPECT_EQ(stored.minTemp, 0);
    EXPECT_EQ(stored.maxTemp, 601);
    EXPECT_EQ(stored.tempUnit, "°F");
    EXPECT_TRUE(TemperatureFits(601, stored));
    EXPECT_FALSE(TemperatureFits(602, stored));
    EXPECT_FALSE(TemperatureFits(-1, stored));
}
