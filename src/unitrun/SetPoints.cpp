#include "unitrun/SetPoints.h"

#include <algorithm>
#include <cmath>

namespace runloop {

// ---- time ----------------------------------------------------------------------------

double RoundEven(double value) { return std::nearbyint(value); }

qint64 WholeSeconds(qint64 milliseconds) { return qint64(RoundEven(double(milliseconds) / 1000.0)); }

bool IsRecordingPoint(double interval, qint64 elapsedSec, bool zeroCounts) {
    if (interval == 0 || !std::isfinite(interval)) return false;
    const double every = RoundEven(interval);
    if (every == 0) return false;
    if (elapsedSec == 0) return zeroCounts;
    return std::fmod(double(elapsedSec), every) == 0;
}

// ---- set points ------------------------------------------------------------------------

double TempIncrement(double rate) {
    if (rate <= 1) return 2 * rate;
    if (rate < 6) return 2 * rate * (1 + 0.3 * (rate - 1) / 5);
    return 2 * rate * 1.3;
}

double DirectedTempRate(double sampleTemp, double targetTemp, double rate) {
    if (sampleTemp > targetTemp) return -std::fabs(rate);
    if (sampleTemp < targetTemp) return std::fabs(rate);
    return 0;
}

namespace {
double cooled(double sampleTemp, double targetTemp) {
    const double c = sampleTemp - kCoolingMarginF;
    return c <= targetTemp ? targetTemp : c;
}
double heated(double from, double rate, double targetTemp) {
    const double c = from + TempIncrement(rate);
    return c >= targetTemp ? targetTemp : c;
}
}  // namespace

double FirstTempCommand(double rate, double sampleTemp, double targetTemp) {
    if (rate < 0) return cooled(sampleTemp, targetTemp);
    if (rate == 0) return targetTemp;
    return heated(sampleTemp, rate, targetTemp);
}

double CorrectedTempCommand(double rate, double command, double sampleTemp, double targetTemp) {
    if (rate < 0) return cooled(sampleTemp, targetTemp);
    if (rate == 0) return command;
    return heated(command, rate, targetTemp);
}

double NextPressCommand(double rate, double command, double targetPress) {
    if (rate == 0) return targetPress;
    const double c = command + rate;
    if (rate < 0) return c <= targetPress ? targetPress : c;
    return c >= targetPress ? targetPress : c;
}

}  // namespace runloop
