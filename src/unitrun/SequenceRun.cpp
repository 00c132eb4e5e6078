#include "unitrun/SequenceRun.h"

#include "data/Globals.h"
#include "platform/Dialogs.h"
#include "platform/TrapErrors.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace runloop {

// ---- the planned time ---------------------------------------------------------------

double RunsOfStep(double cycles) {
    if (!(cycles >= 2)) return 1;
    return std::floor(std::min(cycles, 9.0e15));
}

namespace {

// Whole seconds as the running total keeps them; a sum beyond any run (or
// not a number) is held at a bound the total can carry.
qint64 wholeTotal(double seconds) {
    constexpr double kMost = 9.0e15;
    if (std::isnan(seconds)) return 0;
    return qint64(std::clamp(RoundEven(seconds), -kMost, kMost));
}

// The running total after one run of step s.
qint64 addCycle(qint64 total, const RunTables& t, int s, bool withRamps) {
    total = wholeTotal(double(total) + t.mStepMinutes.value(s) * 60.0);
    if (withRamps && t.mStepRunRamp.value(s) == 1)
        for (int j = 1; j <= t.mRampEntryCount; ++j) total = wholeTotal(double(total) + t.mRampSeconds.value(j));
    return total;
}

// The running total after n runs of step s, without a pass per run.
// Rounding halves to even makes what a run adds depend on whether the total
// is odd or even, and on nothing else: a run from total T adds what it adds
// from T + 2. So two runs, one from an even and one from an odd total, tell
// all: the total's parity either settles or alternates.
qint64 addCycles(qint64 total, const RunTables& t, int s, double n, bool withRamps) {
    const qint64 parity = total & 1;
    const qint64 add[2] = {addCycle(parity, t, s, withRamps) - parity,
                           addCycle(1 - parity, t, s, withRamps) - (1 - parity)};
    double sum;
    if ((add[0] & 1) == 0) {
        sum = n * double(add[0]);  // the parity stays: every run adds the same
    } else if ((add[1] & 1) == 0) {
        sum = double(add[0]) + (n - 1) * double(add[1]);  // it flips once, then stays
    } else {
        const double pairs = std::floor(n / 2);  // it alternates
        sum = pairs * double(add[0] + add[1]) + (n - 2 * pairs) * double(add[0]);
    }
    return wholeTotal(double(total) + sum);
}

}  // namespace

qint64 PlannedSeconds(const RunTables& t, int fromStep, bool withRamps) {
    qint64 total = 0;
    for (int s = std::max(fromStep, 1); s <= t.mStepCount; ++s)
        total = addCycles(total, t, s, RunsOfStep(t.mStepCycles.value(s)), withRamps);
    return total;
}

namespace {
constexpr double kLongMax = double(std::numeric_limits<qint32>::max());
}  // namespace

std::optional<QString> SequenceProblem(const RunTables& t) {
    double total = 0;
    for (int i = 1; i <= t.mStepCount; ++i) {
        const double values[] = {t.mStepMinutes.value(i), t.mStepTemp.value(i),  t.mStepTempError.value(i),
                                 t.mStepSpeed.value(i),   t.mStepInterval.value(i), t.mStepPress.value(i),
                                 t.mStepCycles.value(i)};
        bool fits = true;
        for (double v : values) fits = fits && std::isfinite(v);
        fits = fits && t.mStepMinutes.value(i) >= 0 && t.mStepInterval.value(i) >= 0 &&
               t.mStepInterval.value(i) <= kLongMax && t.mStepCycles.value(i) >= 0 &&
               t.mStepCycles.value(i) < kLongMax;
        if (fits) {
            total = RoundEven(t.mStepMinutes.value(i) * 60 + total);
            fits = total <= kLongMax;
        }
        if (!fits)
            return QStringLiteral("This sequence cannot be run: step %1 has a duration, recording rate or cycle "
                                  "count out of range.")
                .arg(i);
    }
    return std::nullopt;
}

// ---- the pressure band ---------------------------------------------------------------

bool OutsideBand(double pressure, double reference, bool settled, bool highAtOnce) {
    const bool high = pressure > reference + kPressBandPsi;
    const bool low = pressure < reference - kPressBandPsi;
    return (high && (settled || highAtOnce)) || (low && settled);
}

// ---- the run ------------------------------------------------------------------------

void SequenceRun::ShowRunOver(const std::function<void(const QString& key, const QString& text)>& showPanel) {
    showPanel(QStringLiteral("StepTime"), QString());
    showPanel(QStringLiteral("EndTime"), QString());
}

QString SequenceRun::PlannedEndFrom(int fromStep) const { return PlannedEndFrom(fromStep, tick::CurrentDateTime()); }

QString SequenceRun::PlannedEndFrom(int fromStep, const QDateTime& from) const {
    return GeneralDate(from.addSecs(PlannedFrom(fromStep)));
}

void SequenceRun::BeginSequence() {
    CurStep = 1;
    CurCycle = 1;
    ElapsedSeconds = 0;
    RowsNotSaved = 0;
    // The first point holds readings that came after the start and its set points.
    PointsNotRecorded = 0;
    PointsMissed = 0;
    unitSilent_ = false;
    waitingDue_.clear();
    onlyWaiting_ = false;
    RunClock.Start();
    RestartStepClock();
}

void SequenceRun::RestartStepClock() {
    StepTick = 0;
    StepSeconds = 0;
    StepClock.Start();
}

qint64 SequenceRun::WholeSecondsOf(qint64 milliseconds) const {
    if (SecondsRule() == Seconds::Completed) return qint64(std::floor(double(milliseconds) / 1000.0));
    return WholeSeconds(milliseconds);
}

void SequenceRun::ReadRunClock() { ElapsedSeconds = WholeSecondsOf(RunClock.Milliseconds()); }

void SequenceRun::ReadStepClock() { StepSeconds = WholeSecondsOf(StepClock.Milliseconds()); }

bool SequenceRun::StepOver(double sampleTemp) const {
    return std::fabs(StepValue(mStepTemp) - sampleTemp) <= StepValue(mStepTempError) &&
           double(StepSeconds) >= StepValue(mStepMinutes) * 60.0;
}

bool SequenceRun::NextCycleOrStep() {
    ++CurCycle;
    if (double(CurCycle) > StepValue(mStepCycles)) {
        CurCycle = 1;
        ++CurStep;
    }
    RestartStepClock();
    return CurStep > mStepCount;
}

bool SequenceRun::StopOutsideBand(double pressure, double reference, bool settled, bool highAtOnce) {
    if (!OutsideBand(pressure, reference, settled, highAtOnce)) return false;
    ShutDown();
    Message(PressureInactiveMessage());
    return true;
}

void SequenceRun::FramesParsed(int frames) {
    readings_.Parsed(frames);
    if (frames > 0) unitSilent_ = false;
}

void SequenceRun::InputDiscarded(bool heldFrame) { readings_.Discarded(heldFrame); }

void SequenceRun::SetPointsSent() { readings_.Outdated(); }

QString SequenceRun::ProgressText(const QString& normal) const {
    if (unitSilent_) return PointsNotRecordedText(PointsNotRecorded);
    if (PointsMissed > 0) return normal + QStringLiteral("   ") + PointsMissedText(PointsMissed);
    return normal;
}

bool SequenceRun::PointDue(double interval, qint64 elapsedSec, bool zeroCounts) {
    if (const std::optional<tick::TickMoment> tick = tick::CurrentTick(); tick && tick->missed > 0) {
        for (int j = 1; j <= tick->missed; ++j) {
            const qint64 ms = elapsedSec * 1000 - qint64(j) * tick->intervalMs;
            if (ms < 0) break;
            if (IsRecordingPoint(interval, WholeSecondsOf(ms), zeroCounts)) ++PointsMissed;
        }
    }
    return DueOrWaiting(IsRecordingPoint(interval, elapsedSec, zeroCounts));
}

bool SequenceRun::DueOrWaiting(bool dueNow) {
    onlyWaiting_ = !dueNow && PointWaiting();
    return dueNow || PointWaiting();
}

bool SequenceRun::RecordPoint(const std::function<void()>& save, const std::function<void()>& stored) {
    // The points of this call: those that wait, then this tick's (unless the
    // call is for the waiting ones only), each with the run time it fell due at.
    std::vector<qint64> due = std::exchange(waitingDue_, {});
    if (!std::exchange(onlyWaiting_, false)) due.push_back(ElapsedSeconds);
    if (!readings_.Fresh() && !readings_.Silent()) {
        // The unit is heard, but the readings are of before the step's set
        // points (its first tick throws its input away): the points wait
        // for the next fresh ones.
        waitingDue_ = std::move(due);
        return false;
    }
    if (!readings_.Fresh()) {
        // The readings are those of before the unit fell silent: stored
        // again they would pass for a measurement.
        for (size_t i = 0; i < due.size(); ++i) {
            ++PointsNotRecorded;
            unitSilent_ = true;
            ShowPointNotRecorded(PointsNotRecorded);
        }
        return false;
    }
    // Each point at its own time, with the present readings.
    const qint64 now = ElapsedSeconds;
    struct Restore {
        qint64& clock;
        qint64 value;
        ~Restore() { clock = value; }
    } restore{ElapsedSeconds, now};
    bool made = true;
    for (const qint64 at : due) {
        ElapsedSeconds = at;
        try {
            // The kind makes the point's row and hands it over (StoreRow).
            save();
        } catch (...) {
            // No row could be made.
            const TrappedError e = CurrentError();
            ReportRowNotSaved(RowsNotSaved, RowNotSavedText(e.number, e.description));
            made = false;
            continue;
        }
        if (stored && RowsWaiting() == 0) stored();
    }
    // Rows are stored in order: none waits only when these were stored too.
    return made && RowsWaiting() == 0;
}

WaitingRows::Insert SequenceRun::inserter() {
    return [this](const ResultPoint& row, int waitMs) { InsertRow(row, waitMs); };
}

bool SequenceRun::StoreRow(RecordedRow row) {
    if (row.TestId() == TestId) row.started = TestStarted;
    if (waiting_.Record(std::move(row), inserter(), [this](const ResultPoint& r) { return RowsAlike(r); }))
        return true;
    // Nothing is lost: the window shows the rows waiting, and one notice the program.
    ++RowsNotSaved;
    ReportRowsWaiting(waiting_.Reason());
    RowsWaitingChanged();
    return false;
}

void SequenceRun::StoreWaitingRows() {
    waiting_.BeginTick();
    if (waiting_.Count() == 0) return;
    // The window shows what is left, even when its display of a stored row failed.
    struct Told {
        SequenceRun* run;
        ~Told() { run->RowsWaitingChanged(); }
    } told{this};
    waiting_.StoreWaiting(inserter());
}

int SequenceRun::DropWaitingRows() {
    const int dropped = waiting_.Drop();
    if (dropped > 0) RowsWaitingChanged();
    return dropped;
}

void SequenceRun::Message(const QString& text) { ui::Notify(text); }

double SequenceRun::MaxPressure() const { return gMaxPress; }

}  // namespace runloop
