#pragma once
// What one run of a stored sequence can hold. A run measures the time of
// every step, cycle and ramp entry on a 32-bit millisecond clock, so no one
// of them may exceed the clock's span of 4294967 seconds (49 days 17 hours);
// the run's own time since its start is kept in 64 bits (tick::RunElapsed),
// so a whole run may be longer than that. The cycles of one step are limited
// so that a run's plan stays a count a laboratory could run.
//
// The sequence editor checks these before Save, the CSV import before it
// stores, and the test window when it loads a sequence for a run (a sequence
// written by another program). Every message names the step (or ramp entry),
// the value and the limit.

#include <QString>

namespace seqlimits {

inline constexpr double kMaxClockSeconds = 4294967;  // the run clock's span, whole seconds
inline constexpr double kMaxStepMinutes = 71582;     // the span in whole minutes
inline constexpr double kMaxCycles = 10000;

// Each value alone.
bool StepMinutesFit(double minutes);
bool SecondsFit(double seconds);  // recording intervals and ramp times
bool CyclesFit(double cycles);

// The empty text when the step's duration (minutes), recording interval
// (seconds) and cycle count fit a run; otherwise the message, e.g.
// "Step 3: the cycle count 1E+09 is beyond what a run can hold (at most 10000)."
// Values that are not finite numbers never fit.
QString CheckStep(int stepNo, double minutes, double recordInterval, double cycles);
// The same for a ramp entry's duration and recording interval (seconds).
QString CheckRampEntry(int entryNo, double seconds, double recordInterval);

}  // namespace seqlimits
