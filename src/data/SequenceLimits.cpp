#include "data/SequenceLimits.h"

#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/Units.h"

#include <cmath>

namespace seqlimits {

namespace {

// Within [low, high]; never a value that is not a finite number.
bool within(double v, double low, double high) { return std::isfinite(v) && v >= low && v <= high; }

// A limit as a message gives it: at most three decimals (a shear rate of the bob).
QString limitText(double v) { return CStr(std::round(v * 1000) / 1000); }

QString outOfRange(const QString& what, double value, double low, double high) {
    return QStringLiteral("the %1 %2 is out of range (%3 to %4)").arg(what, CStr(value), limitText(low), limitText(high));
}

// A run's clock or plan: a value above the limit (or no number) is beyond
// what a run can hold; one below the lowest is out of range.
QString runLimit(const QString& what, double value, double low, double high) {
    if (std::isfinite(value) && value < low) return outOfRange(what, value, low, high);
    return QStringLiteral("the %1 %2 is beyond what a run can hold (at most %3)").arg(what, CStr(value), CStr(high));
}

// A value that may be any finite number.
QString notFinite(const QString& what, double value) {
    return QStringLiteral("the %1 %2 is not a finite number").arg(what, CStr(value));
}

// A rate: one below 0 is refused only where it is typed as its size.
QString rateClause(const QString& what, double value) {
    if (std::isfinite(value) && value < 0)
        return QStringLiteral("the %1 %2 is below 0 (a rate is typed as its size; its sign follows the change from "
                              "the step before)")
            .arg(what, CStr(value));
    return notFinite(what, value);
}

QString speedName(const Limits& l) {
    return l.byShearRate ? QStringLiteral("shear rate (1/s)") : QStringLiteral("speed (rpm)");
}

// The value as a clause: "the ramp flag 7 is neither 0 nor 1".
QString clause(Field field, double value, const Limits& l, double numberBefore) {
    switch (field) {
    case Field::Temperature:
        return outOfRange(QStringLiteral("temperature (%1)").arg(l.tempUnit), value, l.minTemp, l.maxTemp);
    case Field::Speed:
    case Field::RampSpeed:
        return outOfRange(speedName(l), value, 0, kMaxSpeedRpm * l.perRpm);
    case Field::Pressure: return outOfRange(QStringLiteral("pressure (psi)"), value, 0, l.maxPress);
    case Field::Cycles: return runLimit(QStringLiteral("cycle count"), value, kMinCycles, kMaxCycles);
    case Field::Minutes: return runLimit(QStringLiteral("step time (min)"), value, 0, kMaxStepMinutes);
    case Field::Interval: return runLimit(QStringLiteral("record interval (sec)"), value, 0, kMaxClockSeconds);
    case Field::RampSeconds: return runLimit(QStringLiteral("ramp time (sec)"), value, 0, kMaxClockSeconds);
    case Field::RampInterval: return runLimit(QStringLiteral("interval (sec)"), value, 0, kMaxClockSeconds);
    case Field::RampFlag: return QStringLiteral("the ramp flag %1 is neither 0 nor 1").arg(CStr(value));
    case Field::Tolerance: return notFinite(QStringLiteral("temperature error (%1)").arg(l.tempUnit), value);
    case Field::TempRate: return rateClause(QStringLiteral("temperature ramp rate (%1/min)").arg(l.tempUnit), value);
    case Field::PressRate: return rateClause(QStringLiteral("pressure ramp rate (psi/min)"), value);
    case Field::Number:
        if (std::isfinite(value) && value == std::floor(value) && value >= 1)
            return QStringLiteral("the step number %1 is not above the number of the step before it (%2)")
                .arg(CStr(value), CStr(numberBefore));
        return QStringLiteral("the step number %1 is not a whole number from 1").arg(CStr(value));
    }
    return QString();
}

std::optional<Problem> problem(const QString& where, Field field, double value, const Limits& l,
                               double numberBefore = 0) {
    return Problem{field, value, where + QStringLiteral(": ") + clause(field, value, l, numberBefore) + QLatin1Char('.')};
}

// A display temperature as the editor stores it: whole °F, halves away from 0.
double storedTemperature(double shown) { return std::round(TempFromDisplay(shown)) + 0.0; }

}  // namespace

Limits StoredLimits(double maxPress) {
    Limits l;
    l.maxPress = maxPress;
    l.minTemp = storedTemperature(gMinTemp);
    l.maxTemp = storedTemperature(gMaxTemp);
    l.tempUnit = QStringLiteral("°F");
    return l;
}

Limits ShownLimits(double maxPress, bool bySR, double srFactor) {
    Limits l;
    l.maxPress = maxPress;
    l.minTemp = gMinTemp;
    l.maxTemp = gMaxTemp;
    l.tempUnit = gUnitSystem == 1 ? QStringLiteral("°F") : QStringLiteral("°C");
    l.byShearRate = bySR;
    l.perRpm = bySR ? srFactor : 1;
    return l;
}

bool StepMinutesFit(double minutes) { return within(minutes, 0, kMaxStepMinutes); }
bool InsertMinutesFit(double minutes) { return within(minutes, 0, kMaxInsertMinutes); }
bool SecondsFit(double seconds) { return within(seconds, 0, kMaxClockSeconds); }
bool CyclesFit(double cycles) { return within(cycles, kMinCycles, kMaxCycles); }
bool TemperatureFits(double t, const Limits& l) { return within(t, l.minTemp, l.maxTemp); }
bool SpeedFits(double v, const Limits& l) { return within(v, kMinSpeedRpm * l.perRpm, kMaxSpeedRpm * l.perRpm); }
bool PressureFits(double psi, const Limits& l) { return within(psi, 0, l.maxPress); }
bool RampFlagFits(double flag) { return flag == 0 || flag == 1; }
bool ToleranceFits(double tolerance) { return std::isfinite(tolerance); }
bool RateFits(double rate) { return std::isfinite(rate); }
bool TypedRateFits(double rate) { return std::isfinite(rate) && rate >= 0; }
bool StepNumberFits(double number, double numberBefore) {
    return std::isfinite(number) && number == std::floor(number) && number >= 1 && number > numberBefore;
}

double SignedRate(double rate, double value, double valueBefore) {
    return value < valueBefore ? -std::fabs(rate) : std::fabs(rate);
}

std::optional<Problem> CheckStep(int stepNo, const Step& s, double numberBefore, const Limits& l) {
    const QString where = QStringLiteral("Step ") + QString::number(stepNo);
    if (!TemperatureFits(s.temperature, l)) return problem(where, Field::Temperature, s.temperature, l);
    if (!SpeedFits(s.speed, l)) return problem(where, Field::Speed, s.speed, l);
    if (!PressureFits(s.pressure, l)) return problem(where, Field::Pressure, s.pressure, l);
    if (!CyclesFit(s.cycles)) return problem(where, Field::Cycles, s.cycles, l);
    if (!StepMinutesFit(s.minutes)) return problem(where, Field::Minutes, s.minutes, l);
    if (!SecondsFit(s.interval)) return problem(where, Field::Interval, s.interval, l);
    if (!RampFlagFits(s.rampFlag)) return problem(where, Field::RampFlag, s.rampFlag, l);
    if (!StepNumberFits(s.number, numberBefore)) return problem(where, Field::Number, s.number, l, numberBefore);
    if (!ToleranceFits(s.tolerance)) return problem(where, Field::Tolerance, s.tolerance, l);
    if (!RateFits(s.tempRate)) return problem(where, Field::TempRate, s.tempRate, l);
    if (!RateFits(s.pressRate)) return problem(where, Field::PressRate, s.pressRate, l);
    return std::nullopt;
}

std::optional<Problem> CheckRampEntry(int entryNo, const RampEntry& e, const Limits& l) {
    const QString where = QStringLiteral("Ramp step ") + QString::number(entryNo);
    if (!SecondsFit(e.seconds)) return problem(where, Field::RampSeconds, e.seconds, l);
    if (!SpeedFits(e.speed, l)) return problem(where, Field::RampSpeed, e.speed, l);
    if (!SecondsFit(e.interval)) return problem(where, Field::RampInterval, e.interval, l);
    return std::nullopt;
}

std::optional<Problem> CheckRampWanted(int stepNo, const Step& step, int rampEntries) {
    if (step.rampFlag != 1 || rampEntries > 0) return std::nullopt;
    return Problem{Field::RampFlag, step.rampFlag,
                   QStringLiteral("Step ") + QString::number(stepNo) +
                       QStringLiteral(": the ramp flag is 1, but the sequence has no ramp entries.")};
}

QString ValueMessage(Field field, double value, const Limits& limits, double numberBefore) {
    QString s = clause(field, value, limits, numberBefore);
    if (!s.isEmpty()) s[0] = s[0].toUpper();
    return s + QLatin1Char('.');
}

}  // namespace seqlimits
