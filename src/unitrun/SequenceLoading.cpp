#include "unitrun/SequenceLoading.h"

#include "data/DateText.h"
#include "data/Numbers.h"
#include "data/clsSEQUENCE_INFO.h"
#include "data/clsSEQUENCE_RAMP.h"
#include "data/clsSEQUENCE_RAMP_DEFINE.h"

#include "data/SequenceLimits.h"
#include "platform/Dialogs.h"

#include <algorithm>
#include <cmath>

namespace runloop {

// ---- the tables -----------------------------------------------------------------

void RunTables::TakeSteps(const RunTables& o) {
    mStepMinutes = o.mStepMinutes;
    mStepTemp = o.mStepTemp;
    mStepTempError = o.mStepTempError;
    mStepSpeed = o.mStepSpeed;
    mStepInterval = o.mStepInterval;
    mStepPress = o.mStepPress;
    mStepRunRamp = o.mStepRunRamp;
    mStepTempRate = o.mStepTempRate;
    mStepCycles = o.mStepCycles;
    mStepPressRate = o.mStepPressRate;
    mStepCount = o.mStepCount;
}

void RunTables::TakeRampEntries(const RunTables& o) {
    mRampSpeed = o.mRampSpeed;
    mRampSeconds = o.mRampSeconds;
    mRampInterval = o.mRampInterval;
    mRampEntryCount = o.mRampEntryCount;
}

// ---- sequence loading --------------------------------------------------------------

namespace {

// Step s of the tables, numbered by its place.
seqlimits::Step stepOf(const RunTables& t, int s, double number) {
    seqlimits::Step step;
    step.number = number;
    step.minutes = t.mStepMinutes.value(s);
    step.temperature = t.mStepTemp.value(s);
    step.speed = t.mStepSpeed.value(s);
    step.pressure = t.mStepPress.value(s);
    step.interval = t.mStepInterval.value(s);
    step.cycles = t.mStepCycles.value(s);
    step.rampFlag = t.mStepRunRamp.value(s);
    return step;
}

// A SEQUENCE_RAMP row (clsSEQUENCE_RAMP::All) as a step.
seqlimits::Step stepOfRow(const RowArray& row) {
    auto at = [&](int i) { return row.value(i).toDouble(); };
    seqlimits::Step step;
    step.number = at(2);
    step.minutes = at(3);
    step.temperature = at(4);
    step.speed = at(6);
    step.interval = at(7);
    step.pressure = at(8);
    step.rampFlag = at(9);
    step.cycles = at(11);
    return step;
}

seqlimits::RampEntry rampEntryOf(const RunTables& t, int j) {
    return {t.mRampSeconds.value(j), t.mRampSpeed.value(j), t.mRampInterval.value(j)};
}

}  // namespace

LoadedSequence LoadSequence(const QString& name, double maxPress, clsConnection* connection,
                            clsSEQUENCE_INFO& seqInfo, clsSEQUENCE_RAMP& seqRamp,
                            clsSEQUENCE_RAMP_DEFINE* seqRampDefine) {
    LoadedSequence out;
    const seqlimits::Limits limits = seqlimits::StoredLimits(maxPress);
    auto note = [&out](const std::optional<seqlimits::Problem>& p) {
        if (p && out.problem.isEmpty()) out.problem = p->message;
    };
    seqInfo.SEQUENCE_NAME(name);
    seqInfo.GetSeqDetail();
    out.seqInfoRow = seqInfo.All();
    const double id = out.seqInfoRow.value(0).toDouble();
    out.sequenceId = qint32(RoundEven(id));

    seqRamp.SequenceId(id);
    seqRamp.ConnectX(connection);
    RunTables& t = out.tables;
    if (!seqRamp.Eof()) {
        seqRamp.MoveFirst();
        int s = 0;
        double numberBefore = 0;
        while (!seqRamp.Eof()) {
            ++s;
            const RowArray row = seqRamp.All();
            auto at = [&](int i) { return row.value(i).toDouble(); };
            const double press = at(8);
            const seqlimits::Step step = stepOfRow(row);
            if (press > maxPress) {
                out.result = LoadResult::PressureTooHigh;
                note(seqlimits::CheckStep(s, step, numberBefore, limits));
                return out;
            }
            const double temp = at(4);
            t.mStepMinutes.append(at(3));
            t.mStepTemp.append(temp);
            t.mStepTempError.append(at(5));
            t.mStepSpeed.append(at(6));
            t.mStepInterval.append(at(7));
            t.mStepPress.append(press);
            t.mStepRunRamp.append(at(9));
            t.mStepTempRate.append(temp < t.mStepTemp[s - 1] ? -std::fabs(at(10)) : std::fabs(at(10)));
            t.mStepCycles.append(at(11));
            t.mStepPressRate.append(press < t.mStepPress[s - 1] ? -std::fabs(at(12)) : std::fabs(at(12)));
            note(seqlimits::CheckStep(s, step, numberBefore, limits));
            numberBefore = step.number;
            seqRamp.MoveNext();
        }
        t.mStepCount = s;
        out.result = LoadResult::Loaded;
    }

    if (!seqRampDefine) return out;
    seqRampDefine->SequenceId(id);
    seqRampDefine->ConnectX(connection);
    if (!seqRampDefine->Eof()) {
        out.hasRampEntries = true;
        seqRampDefine->MoveFirst();
        while (!seqRampDefine->Eof()) {
            const RowArray row = seqRampDefine->All();
            t.mRampSpeed.append(row.value(3).toDouble());
            t.mRampSeconds.append(row.value(4).toDouble());
            t.mRampInterval.append(row.value(5).toDouble());
            seqRampDefine->MoveNext();
        }
        t.mRampEntryCount = int(t.mRampSpeed.size()) - 1;
        for (int j = 1; j <= t.mRampEntryCount; ++j) note(seqlimits::CheckRampEntry(j, rampEntryOf(t, j), limits));
    }
    return out;
}

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

// ---- texts ------------------------------------------------------------------------------

QString HmsText(qint64 seconds) {
    const qint64 hours = seconds / 3600;
    const qint64 rest = seconds - hours * 3600;
    return Format(double(hours), QStringLiteral("##0")) + QLatin1Char(':') +
           Format(double(rest / 60), QStringLiteral("00")) + QLatin1Char(':') +
           Format(double(rest % 60), QStringLiteral("00"));
}

QString StepTimeText(int step, int cycle, qint64 stepSeconds) {
    return QStringLiteral("Current Step (%1) Cycle (%2) Time: ").arg(step).arg(cycle) + HmsText(stepSeconds);
}

QString RampTimeText(int entry, qint64 rampSeconds) {
    // The time as a fraction of a day: whole days, then the time of day as
    // hours and minutes, then the seconds.
    const double days = double(rampSeconds) / 3600.0 / 24.0;
    const qint64 ofDay = ((rampSeconds % 86400) + 86400) % 86400;
    const QString hhmm = QStringLiteral("%1:%2")
                             .arg(ofDay / 3600, 2, 10, QLatin1Char('0'))
                             .arg((ofDay / 60) % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("Current Ramp (%1) Time: ").arg(entry) + Format(days, QStringLiteral("##0")) +
           QLatin1Char(':') + hhmm + QLatin1Char(':') + Format(double(rampSeconds % 60), QStringLiteral("00"));
}

QString ElapsedTimeText(const QString& elapsed) { return QStringLiteral("Elapsed Time:  ") + elapsed; }

QString PointsNotRecordedText(int count) {
    return QStringLiteral("No readings from the unit: %1 %2 not recorded")
        .arg(count)
        .arg(count == 1 ? QStringLiteral("point") : QStringLiteral("points"));
}

QString PointsMissedText(int count) {
    return QStringLiteral("%1 %2 missed").arg(count).arg(count == 1 ? QStringLiteral("point") : QStringLiteral("points"));
}

QString GeneralDate(const QDateTime& t) { return GeneralDateText(QVariant(t)); }

QString NoDataMessage() { return QStringLiteral("This sequence has no data, test cannot be run."); }

QString PressureTooHighMessage(double maxPress) {
    return QStringLiteral("Sequence pressure setting too high. ") + CStr(maxPress) + QStringLiteral("(psi),") +
           QChar(13) + QStringLiteral("Please choose another sequence.");
}


QString PressureInactiveMessage() { return QStringLiteral("pressure inactive, test will be stopped."); }

QString SequenceLockedMessage() {
    return QStringLiteral("A test is running: the sequence cannot be changed until the test has stopped.");
}

QString RetrieveLockedMessage() {
    return QStringLiteral("A test is running: the unit's stored test can be retrieved once the test has stopped.");
}

QString CheckRunTables(const RunTables& t, double maxPress) {
    const seqlimits::Limits limits = seqlimits::StoredLimits(maxPress);
    for (int s = 1; s <= t.mStepCount; ++s)
        if (const auto p = seqlimits::CheckStep(s, stepOf(t, s, s), s - 1, limits)) return p->message;
    for (int j = 1; j <= t.mRampEntryCount; ++j)
        if (const auto p = seqlimits::CheckRampEntry(j, rampEntryOf(t, j), limits)) return p->message;
    return QString();
}

QString BobRadiusMessage() {
    return QStringLiteral("The bob radius must be greater than 0 and smaller than the cup radius (1.8415 cm). "
                          "The test cannot be started.");
}

// ---- a recorded point that could not be stored ------------------------------------------

void ReportRowNotSaved(int& rowsNotSaved, const QString& message) {
    if (rowsNotSaved++ == 0) ui::Notify(message);
}

QString RowNotSavedMessage(const QString& description) { return QStringLiteral("ERROR :") + description; }

QString PvtRowNotSavedMessage(int number, const QString& description) { return ui::errorText(number, description); }

QString SwellRowNotSavedMessage(int number, const QString& description) {
    return QStringLiteral("A recorded point could not be stored: ") + ui::errorText(number, description);
}

// ---- recorded points waiting for the database ----------------------------------------------

namespace {
QString pointsText(int count) {
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? QStringLiteral("point") : QStringLiteral("points"));
}
QString unitAndTest(const QString& unit, const QString& test) {
    return unit.trimmed() + QStringLiteral(", test \"") + test + QLatin1Char('"');
}
}  // namespace

QString RowsWaitingText(const QString& unit, const QString& test, int count, const QString& reason) {
    return unitAndTest(unit, test) + QStringLiteral(": ") + pointsText(count) +
           QStringLiteral(" waiting to be stored (") + reason + QLatin1Char(')');
}

QString RowsWaitingQuestion(const QString& unit, const QString& test, int count, const QString& reason,
                            bool closing) {
    const QString points = pointsText(count);
    QString text = unitAndTest(unit, test) + QStringLiteral(": ") + points +
                   QStringLiteral(" recorded but not yet stored; the database refuses them (") + reason +
                   QStringLiteral(").") + QChar(13) + QChar(13);
    if (closing)
        return text + QStringLiteral("Yes: try to store them now; the window closes once they are stored.") + QChar(13) +
               QStringLiteral("No: close the window and drop them: ") + points + QStringLiteral(" not stored.") +
               QChar(13) + QStringLiteral("Cancel: keep the window open; it keeps trying to store them.");
    return text + QStringLiteral("Yes: try to store them now.") + QChar(13) + QStringLiteral("No: drop them: ") +
           points + QStringLiteral(" not stored.") + QChar(13) +
           QStringLiteral("Cancel: keep them; the window keeps trying to store them.");
}

// ---- the bob ---------------------------------------------------------------------------------

bool BobRadiusFits(double radiusCm) { return radiusCm > 0 && radiusCm < kCupRadiusCm; }

int BobNumberOf(const QString& bobName) {
    const QString b = bobName.toUpper();
    if (b == QLatin1String("B1")) return 1;
    if (b == QLatin1String("B2")) return 2;
    if (b == QLatin1String("B5")) return 5;
    return 0;
}

}  // namespace runloop
