#pragma once
// The arithmetic of a run's set points, without a window: the whole
// seconds of the run's clocks, the recording points, and the temperature and
// pressure commands of heating, cooling and pressure ramps.
//
// Units are those of storage: °F, °F/min, psi, psi/min, seconds.

#include <QtGlobal>

namespace runloop {

// ---- time ----------------------------------------------------------------------------

// To the nearest whole number, halves to the even neighbour.
double RoundEven(double value);
// Whole seconds of a span of milliseconds, halves to even (1500 ms: 2; 2500 ms: 2).
qint64 WholeSeconds(qint64 milliseconds);

// True when a point is recorded at this elapsed time: the interval is not 0,
// and the elapsed seconds are a multiple of the interval rounded to a whole
// number. An interval that rounds to 0 records nothing. The elapsed time 0
// counts as a multiple only when zeroCounts (ramp entries).
bool IsRecordingPoint(double interval, qint64 elapsedSec, bool zeroCounts);

// ---- set points ------------------------------------------------------------------------

inline constexpr double kTempPeriodSec = 120;   // temperature corrections
inline constexpr double kPressPeriodSec = 60;   // pressure ramp steps
inline constexpr double kCoolingMarginF = 8;    // a cooling step commands this far below the sample

// The temperature increment per 120 s of a positive rate r (°F/min): 2r up
// to 1, rising to 2r x 1.3 at 6 and above.
double TempIncrement(double rate);
// The step's rate with the sign of the direction the sample has to go:
// -|rate| when the sample is above the target, +|rate| below, 0 at it.
double DirectedTempRate(double sampleTemp, double targetTemp, double rate);
// The first temperature command of a step.
double FirstTempCommand(double rate, double sampleTemp, double targetTemp);
// A temperature correction (rate not 0): cooling, 8 °F below the sample;
// heating, the command plus the increment; never past the target.
double CorrectedTempCommand(double rate, double command, double sampleTemp, double targetTemp);
// One pressure ramp step from the command (rate 0: the target at once);
// never past the target.
double NextPressCommand(double rate, double command, double targetPress);

}  // namespace runloop
