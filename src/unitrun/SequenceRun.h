#pragma once
// What every run of a stored sequence on a unit shares, whatever the test
// kind: the step table, where the run is (step, cycle, ticks of the step),
// the advance from one cycle or step to the next, the planned time, the
// run's clocks, the end of a step, the pressure band, the recorded points,
// the points that could not be stored and those not recorded while the unit
// sent nothing. The rheology, PVT and swell runs each derive from it and add
// only what is their own: their frames, the row they store, their run states
// and the parameters of their pressure band.
//
// Time comes from the millisecond clock of tick::timeGetTime; the date and
// time shown from tick::CurrentDateTime.

#include "platform/RunClock.h"
#include "unitrun/ReadingsAge.h"
#include "unitrun/RunMessages.h"
#include "unitrun/RunStates.h"
#include "unitrun/SequenceLoading.h"
#include "unitrun/SetPoints.h"
#include "unitrun/WaitingRows.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace runloop {

// How many times a run runs a step of this cycle count: its whole cycles,
// and once for a count below 2 (0, negative or not a number included). A
// cycle ends the step when the next cycle number is above the count.
double RunsOfStep(double cycles);

// Whole seconds the run of the steps from `fromStep` to the last is planned
// to take: every step as many times as the run runs it (RunsOfStep), with
// the ramp list after each of them when `withRamps` and the step's ramp flag
// is 1. The running total is kept in whole seconds, rounded (halves to even)
// after each addition, and held at 9e15 s. Worked out without a pass per
// cycle, so any cycle count takes no time.
qint64 PlannedSeconds(const RunTables& t, int fromStep, bool withRamps);

// Why the steps of a loaded sequence cannot be run by the PVT and swell
// runs (a value that is not a number; a negative step time, recording
// interval or cycle count; a recording interval, a cycle count or a total
// step time beyond what the run counts); nothing when they can. The message
// names the step and says "recording rate" for its recording interval, as
// the insert dialog's messages do.
std::optional<QString> SequenceProblem(const RunTables& t);

inline constexpr double kBandCheckSec = 55;     // the band is checked from here on
inline constexpr double kPressBandPsi = 4000;   // half width of the pressure band

// The pressure band of a step: more than kPressBandPsi (4000 psi; 4000 is
// inside) above or below the reference pressure. A pressure below the band
// counts once the step has `settled`; one above it too, or at once when
// `highAtOnce`.
bool OutsideBand(double pressure, double reference, bool settled, bool highAtOnce);

class SequenceRun : public RunTables {
public:
    virtual ~SequenceRun() = default;

    // ---- where the run is ------------------------------------------------------
    // The run's state, a number with names of its own in each kind's header;
    // kIdle (0) and kStepRunning (1) mean the same in every kind.
    int RunState = kIdle;
    int CurStep = 0;             // 1 .. mStepCount
    int CurCycle = 0;            // from 1
    int StepTick = 0;            // ticks of the current step or cycle; 0 at its start
    // The time of the run and of the step or cycle, in 64 bits: a step may
    // run longer than the 32-bit clock's span.
    tick::RunElapsed RunClock;
    tick::RunElapsed StepClock;
    qint64 ElapsedSeconds = 0;   // whole seconds since the start of the run,
    qint64 StepSeconds = 0;      // and of the step or cycle (ReadClocks)
    QString ElapsedText;         // the run time as the status bar shows it
    QString EndTimeText;         // the planned end, general date

    // ---- the test ----------------------------------------------------------------
    qint32 TestId = 0;  // TEST_ID of every recorded row
    QDateTime TestStarted;  // its TEST_TIME as stored (the spool keeps it with a row that waits)
    // Points of this run the database did not take when they were recorded
    // (kept to be stored later, WaitingRows: the window's status panel shows
    // them, the program's one notice says so, ReportRowsWaiting), and those
    // whose row could not be made (the first shown, ReportRowNotSaved).
    int RowsNotSaved = 0;

    // ---- rows waiting for the database ----------------------------------------------
    // The recorded rows the database has not taken yet (of this run or one
    // before), stored on the ticks that follow, oldest first (WaitingRows).
    // Their tests must not be deleted while they wait.
    int RowsWaiting() const { return waiting_.Count(); }
    int RowsWaitingOf(qint32 testId) const { return waiting_.CountOf(testId); }
    // The test of the oldest row waiting, and why the database refused it.
    QString RowsWaitingTest() const { return waiting_.Test(); }
    QString RowsWaitingReason() const { return waiting_.Reason(); }
    // The tests whose rows wait, each with how many (WaitingRows::Tests).
    std::vector<WaitingRows::TestRows> RowsWaitingTests() const { return waiting_.Tests(); }
    // Those the spool could not keep (held in memory only), and their tests.
    int RowsInMemoryOnly() const { return waiting_.InMemoryOnly(); }
    std::vector<WaitingRows::TestRows> RowsInMemoryOnlyTests() const { return waiting_.InMemoryOnlyTests(); }
    // The rows waiting tried again: each tick's first database work, or the
    // operator's retry. A refusal is kept as the reason; the window is told
    // (RowsWaitingChanged).
    void StoreWaitingRows();
    // Drops the rows waiting (the operator's choice); returns how many.
    int DropWaitingRows();

    // ---- what the unit sends -------------------------------------------------------
    // A recorded point holds the unit's present readings (ReadingsAge: those
    // of its tick's parse or the tick before's, never those of before the
    // set points it is recorded under). A point due on a tick that has only
    // older readings while the unit is heard (the first tick of a step,
    // which throws its input away) waits, and is taken with the first fresh
    // readings on a following tick, stored with the run time it fell due
    // at: no point is lost and none is stored stale. A unit that falls silent on a line that
    // stays open (a cable pulled from a USB adapter, a unit that hangs)
    // leaves its last readings in place; the run goes on by them (steps,
    // cycles, set points, the band), but records no point until frames come
    // again, and shows the unit silent.
    //
    // Each tick tells the run what came, run or not: the good frames its
    // parse took (0 when none came), or, on a tick that throws its input
    // away, whether that input held a frame. Each kind tells it when the
    // set points of a step go out (SetPointsSent).
    void FramesParsed(int frames);
    void InputDiscarded(bool heldFrame);
    // The set points went out: the readings until now are of before them.
    void SetPointsSent();
    // Points fell due while the readings were not fresh and wait for them.
    bool PointWaiting() const { return !waitingDue_.empty(); }
    // No frame came for longer than ReadingsAge's limit: the window shows "No
    // Response" (every kind checks it on every tick, after the input).
    bool NoResponse() const { return readings_.Silent(); }
    // Points of this run not recorded because the readings were no longer
    // the unit's present ones (0 when the run starts).
    int PointsNotRecorded = 0;
    // A point was not recorded and no frame was parsed since.
    bool UnitSilent() const { return unitSilent_; }
    // Points of this run that fell due on ticks the program could not run in
    // time (held longer than a tick's interval): never stored late, counted.
    int PointsMissed = 0;
    // The text of the progress panel ("StepTime"): `normal` (the step's or
    // ramp's time), or while the unit is silent the points not recorded;
    // after `normal`, the points missed, when there are any.
    QString ProgressText(const QString& normal) const;

    // True for a kind whose steps may be followed by the ramp list.
    virtual bool HasRamps() const { return false; }
    // How the clocks give whole seconds: to the nearest (halves to even), or
    // the seconds completed, for a kind whose ticks fall half a second off
    // its start (rounding would then count 2, 2, 4, 4, ...).
    enum class Seconds { Nearest, Completed };
    virtual Seconds SecondsRule() const { return Seconds::Nearest; }
    qint64 WholeSecondsOf(qint64 milliseconds) const;
    // Whole seconds planned from step `fromStep` on.
    qint64 PlannedFrom(int fromStep) const { return PlannedSeconds(*this, fromStep, HasRamps()); }
    // The planned end of the steps from `fromStep` on, counted from now (or
    // from `from`: Start counts from the start time it shows), in the
    // general date form.
    QString PlannedEndFrom(int fromStep) const;
    QString PlannedEndFrom(int fromStep, const QDateTime& from) const;

    // The maximum pressure of the run's unit (psi): the over-pressure trip
    // counts readings above it + 500 psi. The window gives its unit's; a run
    // without a window has the start-up value gMaxPress.
    virtual double MaxPressure() const;

    // Sends the stop frame and ends the run; each kind's own.
    virtual void ShutDown() = 0;

protected:
    // The status bar once the run is over, shown by every ShutDown through
    // the kind's panels: the progress panel ("StepTime") and the planned end
    // ("EndTime") are emptied, since no step runs and no end is planned any
    // more; the start and the elapsed time stay, those of the run that
    // ended. Points still waiting for the database keep the progress panel.
    static void ShowRunOver(const std::function<void(const QString& key, const QString& text)>& showPanel);

    // Step 1, cycle 1, the run's and the step's clocks started, no point lost.
    void BeginSequence();
    // The current step or cycle from its start: no tick, its clock from now.
    void RestartStepClock();
    // ElapsedSeconds and StepSeconds from the clocks, in whole seconds
    // (WholeSecondsOf), read every tick.
    void ReadClocks() {
        ReadRunClock();
        ReadStepClock();
    }
    void ReadRunClock();
    void ReadStepClock();

    // The value of the current step in a step column.
    double StepValue(const QVector<double>& column) const { return column.value(CurStep); }
    // The current step or cycle is over: its time is up and the sample is
    // within the step's tolerance of its temperature (both needed).
    bool StepOver(double sampleTemp) const;
    // The next cycle of the step, or the next step at cycle 1, its clock
    // restarted. True when that was the last: the sequence is complete.
    bool NextCycleOrStep();
    // True when the run stopped because the pressure left the band: ShutDown
    // first, then "pressure inactive, test will be stopped.".
    bool StopOutsideBand(double pressure, double reference, bool settled, bool highAtOnce);

    // Whether a point falls due on this tick at `elapsedSec` of its clock
    // (IsRecordingPoint), or a point waits for fresh readings (PointWaiting).
    // The points that fell due on the ticks the timer could not give before
    // this one are counted in PointsMissed.
    bool PointDue(double interval, qint64 elapsedSec, bool zeroCounts);
    // The answer of PointDue for a kind that keeps its own recording clock
    // (the swell run): true when a point is due now or one waits.
    bool DueOrWaiting(bool dueNow);
    // Stores the present point through `save` (the kind makes its row and
    // hands it to StoreRow) when the readings are the unit's present ones
    // (FramesParsed), after the points that waited for them: each is made
    // with ElapsedSeconds at the run time it fell due at, and `stored`
    // follows each row stored at once. A row the database refuses waits
    // (StoreRow), a row that cannot be made is counted, the first of the run
    // shown in the kind's words. With older readings from a unit that is
    // heard, the points wait (PointWaiting) for a following tick. From a
    // silent unit nothing is stored: the points are counted in
    // PointsNotRecorded and the window is told (ShowPointNotRecorded). A
    // call after PointDue answered only for points that wait makes no point
    // of its own. True when all were stored.
    bool RecordPoint(const std::function<void()>& save, const std::function<void()>& stored = {});
    // A point was not recorded (PointsNotRecorded counts it): the window
    // shows the unit silent, "No Response" in its status caption. The
    // progress panel says so from the run's status refresh (ProgressText).
    virtual void ShowPointNotRecorded(int pointsNotRecorded) = 0;
    // The words of a point the database refused, each kind's own.
    virtual QString RowNotSavedText(int number, const QString& description) const = 0;

    // The kinds' save: the row of the present point handed to the database.
    // Stored at once when no row waits and the database takes it (its
    // `stored(false)` follows); else kept after the rows waiting, counted in
    // RowsNotSaved and stored on a later tick: the window's status panel
    // shows them, and the program's one notice says so when none waited
    // before (ReportRowsWaiting). True when it was stored.
    bool StoreRow(RecordedRow row);
    // Inserts one row (TEST_RESULT), waiting at most waitMs for a database
    // another connection holds; a refusal is raised (db::DbError).
    virtual void InsertRow(const ResultPoint& row, int waitMs) = 0;
    // How many rows TEST_RESULT holds equal to `row` (WaitingRows::Alike);
    // -1 when the kind cannot tell.
    virtual int RowsAlike(const ResultPoint& row) {
        (void)row;
        return -1;
    }
    // The rows waiting changed (their count or the reason): the window shows them.
    virtual void RowsWaitingChanged() {}

    // A message of the run (the pressure band); by default a message box.
    virtual void Message(const QString& text);

private:
    WaitingRows::Insert inserter();
    WaitingRows waiting_;
    // The age of the unit's readings (the unit's, not the run's: it carries
    // over from the ticks before a start).
    ReadingsAge readings_;
    bool unitSilent_ = false;  // a point was not recorded, no frame was parsed since
    std::vector<qint64> waitingDue_;  // run seconds of the points due that wait for fresh readings
    bool onlyWaiting_ = false;        // PointDue answered for the waiting points only
};

}  // namespace runloop
