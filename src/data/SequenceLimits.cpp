#include "data/SequenceLimits.h"

#include "data/Numbers.h"

#include <cmath>

namespace seqlimits {

namespace {

bool fits(double v, double limit) { return std::isfinite(v) && std::fabs(v) <= limit; }

QString beyond(const QString& where, const QString& what, double value, double limit) {
    return QStringLiteral("%1: the %2 %3 is beyond what a run can hold (at most %4).")
        .arg(where, what, CStr(value), CStr(limit));
}

}  // namespace

bool StepMinutesFit(double minutes) { return fits(minutes, kMaxStepMinutes); }
bool SecondsFit(double seconds) { return fits(seconds, kMaxClockSeconds); }
bool CyclesFit(double cycles) { return fits(cycles, kMaxCycles); }

QString CheckStep(int stepNo, double minutes, double recordInterval, double cycles) {
    const QString where = QStringLiteral("Step ") + QString::number(stepNo);
    if (!fits(minutes, kMaxStepMinutes)) return beyond(where, QStringLiteral("step time (min)"), minutes, kMaxStepMinutes);
    if (!fits(recordInterval, kMaxClockSeconds))
        return beyond(where, QStringLiteral("record interval (sec)"), recordInterval, kMaxClockSeconds);
    if (!fits(cycles, kMaxCycles)) return beyond(where, QStringLiteral("cycle count"), cycles, kMaxCycles);
    return QString();
}

QString CheckRampEntry(int entryNo, double seconds, double recordInterval) {
    const QString where = QStringLiteral("Ramp step ") + QString::number(entryNo);
    if (!fits(seconds, kMaxClockSeconds))
        return beyond(where, QStringLiteral("ramp time (sec)"), seconds, kMaxClockSeconds);
    if (!fits(recordInterval, kMaxClockSeconds))
        return beyond(where, QStringLiteral("interval (sec)"), recordInterval, kMaxClockSeconds);
    return QString();
}

}  // namespace seqlimits
