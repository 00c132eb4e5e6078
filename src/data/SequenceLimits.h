#pragma once
// What a step of a stored sequence may hold, in one place. The sequence
// editor checks its steps here before Save, and so do its step builder, its
// insert and copy-and-paste dialogs (each with its own words), the CSV
// import before it stores, and every unit window that loads a sequence for a
// run (at the pick, at Start and at Refresh; a sequence written by another
// program), with the maximum pressure of its own unit.
//
// A step holds:
//  - a step number: a whole number from 1, above the number of the step
//    before it (unique, in order);
//  - a step time of 0 to 71582 minutes, a recording interval of 0 to 4294967
//    seconds and 1 to 10000 cycles. A run measures the time of every step,
//    cycle and ramp entry on a 32-bit millisecond clock, so no one of them may
//    exceed the clock's span of 4294967 seconds (49 days 17 hours); the run's
//    own time since its start is kept in 64 bits (tick::RunElapsed), so a
//    whole run may be longer than that. The cycles of one step are limited so
//    that a run's plan stays a count a laboratory could run. The insert
//    dialog has a limit of its own for the step it inserts: 0 to 60000
//    minutes (kMaxInsertMinutes);
//  - a temperature within the set-point limits of the unit system in force
//    (gMinTemp to gMaxTemp: 0 to 600 °F, or -18 to 316 °C);
//  - a speed of 0 to 600 rpm (a shear rate: the same times the bob's shear
//    rate per rpm); -0.0001 rpm still counts as 0;
//  - a pressure of 0 psi up to the maximum pressure of the unit (the editor
//    and the import: the most a unit takes, gMaxPress, 30000 psi; a unit
//    window: its own unit's Max Pressure);
//  - a ramp flag of 0 or 1, and 1 only in a sequence that has ramp entries;
//  - a temperature error (the tolerance the end of the step waits for), a
//    temperature ramp rate and a pressure ramp rate: any number. A rate is
//    its size: a run gives it the sign of the change from the step before
//    (SignedRate), whatever sign it is stored with; the editor's grid gives
//    it that sign as a step is edited. A rate typed into the insert dialog
//    or the step builder is that size, so it is 0 or more (TypedRateFits).
// A ramp entry holds a ramp time and a recording interval of 0 to 4294967
// seconds and a speed as a step's. A value that is not a finite number never
// fits.
//
// Every message names the step (or ramp entry), the value and the limits,
// e.g. "Step 3: the cycle count 1E+09 is beyond what a run can hold (at most
// 10000)." or "Step 2: the pressure (psi) 25000 is out of range (0 to 20000)."

#include <QString>
#include <optional>

namespace seqlimits {

inline constexpr double kMaxClockSeconds = 4294967;  // the run clock's span, whole seconds
inline constexpr double kMaxStepMinutes = 71582;     // the span in whole minutes
inline constexpr double kMaxInsertMinutes = 60000;   // the insert dialog's own limit of the step it inserts
inline constexpr double kMinCycles = 1;
inline constexpr double kMaxCycles = 10000;
inline constexpr double kMinSpeedRpm = -0.0001;      // a speed of 0 that reads as a tiny negative number
inline constexpr double kMaxSpeedRpm = 600;

// The units the values are given in, and the unit's maximum pressure.
struct Limits {
    double maxPress = 0;   // psi
    double minTemp = 0;    // in the unit of the temperatures
    double maxTemp = 0;
    QString tempUnit;      // "°F" or "°C"
    bool byShearRate = false;
    double perRpm = 1;     // speeds given as shear rates: the bob's shear rate (1/s) per rpm; else 1
};
// Values as stored: °F and rpm. The temperature limits are those of the unit
// system in force as the editor stores them, in whole °F (in SI, -18 and
// 316 °C are stored as 0 and 601 °F), so a step the editor saves is one a run
// takes.
Limits StoredLimits(double maxPress);
// Values as the editor shows them: temperatures in the display unit
// (gMinTemp to gMaxTemp), speeds in rpm or, by shear rate, in 1/s of the bob
// whose shear rate per rpm is srFactor.
Limits ShownLimits(double maxPress, bool bySR = false, double srFactor = 1);

// Each value alone.
bool StepMinutesFit(double minutes);   // 0 to 71582
bool InsertMinutesFit(double minutes); // 0 to 60000: the insert dialog's step
bool SecondsFit(double seconds);       // 0 to 4294967: recording intervals and ramp times
bool CyclesFit(double cycles);         // 1 to 10000
bool TemperatureFits(double temperature, const Limits& limits);
bool SpeedFits(double speed, const Limits& limits);
bool PressureFits(double psi, const Limits& limits);  // 0 to limits.maxPress
bool RampFlagFits(double flag);        // 0 or 1
bool ToleranceFits(double tolerance);  // a temperature error: a finite number
bool RateFits(double rate);            // a ramp rate as stored or shown: a finite number, of either sign
bool TypedRateFits(double rate);       // a ramp rate typed as its size: a finite number from 0
// A whole number from 1 above the number of the step before (0 before the first step).
bool StepNumberFits(double number, double numberBefore);

// The sign rule of a ramp rate: the rate of a step whose temperature (or
// pressure) is `value`, after a step at `valueBefore`, as a run takes it:
// -|rate| when value is below valueBefore, else +|rate|. A run's loading
// takes every step's rates by it (the first step's after 0 °F and 0 psi),
// the editor's grid the rates of an edited step from step 2 on.
double SignedRate(double rate, double value, double valueBefore);

// One step, and one ramp entry, in the units of the limits they are checked with.
struct Step {
    double number = 0;
    double minutes = 0;
    double temperature = 0;
    double speed = 0;
    double pressure = 0;
    double interval = 0;
    double cycles = 0;
    double rampFlag = 0;
    double tolerance = 0;  // the temperature error
    double tempRate = 0;
    double pressRate = 0;
};
struct RampEntry {
    double seconds = 0;
    double speed = 0;
    double interval = 0;
};

// The value that does not fit.
enum class Field {
    Temperature, Speed, Pressure, Cycles, Minutes, Interval, RampFlag, Number,  // a step's
    Tolerance, TempRate, PressRate,                                            // a step's too
    RampSeconds, RampSpeed, RampInterval,                                      // a ramp entry's
};
struct Problem {
    Field field;
    double value;
    QString message;  // "Step 3: the ..." / "Ramp step 2: the ..."
};

// The first value of step `stepNo` (its place in the sequence) that does not
// fit, in the order temperature, speed, pressure, cycles, step time,
// recording interval, ramp flag, step number, temperature error, temperature
// ramp rate, pressure ramp rate; nothing when every one fits.
std::optional<Problem> CheckStep(int stepNo, const Step& step, double numberBefore, const Limits& limits);
// The same for ramp entry `entryNo`: ramp time, speed, recording interval.
std::optional<Problem> CheckRampEntry(int entryNo, const RampEntry& entry, const Limits& limits);

// A step whose ramp flag is 1 runs the sequence's ramp entries after its
// time: without any (`rampEntries` 0) it has no ramp to run. The problem of
// step `stepNo` so flagged, "Step 2: the ramp flag is 1, but the sequence has
// no ramp entries."; nothing for a step without the flag or with entries.
std::optional<Problem> CheckRampWanted(int stepNo, const Step& step, int rampEntries);

// A value that does not fit as a sentence of its own, for a dialog that has
// no words for it ("The ramp flag 7 is neither 0 nor 1."); a rate below 0
// as a typed one ("The temperature ramp rate (°F/min) -5 is below 0 ...").
QString ValueMessage(Field field, double value, const Limits& limits, double numberBefore = 0);

}  // namespace seqlimits
