#pragma once
// The run of a stored sequence on one unit, as the rheology test window's
// timer drives it: steps with their set points, durations and cycles, the
// shear-rate ramp after a step whose ramp flag is 1, the set points moved
// along the temperature and pressure ramp rates, the pressure band, one
// recorded point per recording interval, the status texts, and the end of the
// run (ShutDown). The window adds the unit's line, the timer, the record
// objects and the controls through the hooks below; tests drive the run
// without any window through the same hooks.
//
// Time comes from the millisecond clock of tick::timeGetTime; the date and
// time shown from tick::CurrentDateTime.
//
// One tick of the run (RunTick, called by the window after it has taken the
// unit's input; the rows the database refused before are tried first, also
// while the run is idle, SequenceRun::StoreWaitingRows):
//  - step phase: tick 1 of a step or cycle does nothing more; tick 2 sends the
//    step-start set points (interval 3000 ms); from tick 3 on, the periodic
//    temperature check (every 120 s) and pressure check (every 60 s, with the
//    pressure band from 55 s on) come first, and a tick in which one of them
//    sends a frame or stops the run ends there; otherwise the interval goes
//    back to 1000 ms, the point is recorded when the step's time is on its
//    recording interval, and the step ends when its time is up and the sample
//    is within the tolerance of the step temperature;
//  - a point is recorded only with the unit's present readings (ReadingsAge;
//    on the discarding tick while the unit goes on sending, those of the tick
//    before: SequenceRun::RecordPoint; the window's tick tells the run what
//    came);
//    while the unit is silent the run goes on by the last readings, counts
//    the points not recorded, its "StepTime" panel says so, and the grid
//    is not refreshed at the end of a step;
//  - ramp phase: the first tick of an entry sends the step's temperature and
//    pressure with the entry's speed (interval 4000 ms); points are recorded on
//    the entry's interval; the entry ends when its time is up;
//  - after a step without ramp, or after a complete ramp, the next cycle or
//    the next step follows, and after the last one the run ends (ShutDown).

#include "platform/RunClock.h"
#include "unitrun/SequenceRun.h"
#include "unitlink/UnitProtocol.h"

#include <QString>
#include <optional>

namespace runloop {

// The rheology run's states (RunState): kIdle and kStepRunning (RunStates.h),
// and the shear-rate ramp after a step.
inline constexpr int kRampRunning = 6;
// The part of a step or cycle the run is in (mPhase).
inline constexpr int kStepPhase = 0;
inline constexpr int kRampPhase = 1;

}  // namespace runloop

class RheologyRun : public runloop::SequenceRun {
public:
    // ---- the unit's replies ---------------------------------------------------
    // Receive buffer, live readings and their texts, trip and inactive counts,
    // bob factors (mShearRateFactor, mStressDivisor).
    unit::UnitReplyParser mReply;

    // ---- run state ------------------------------------------------------------
    // RunState: kIdle, kStepRunning or kRampRunning. Where the run is (CurStep,
    // CurCycle, StepTick), its clocks and texts: SequenceRun.
    int mPhase = runloop::kStepPhase;  // kStepPhase or kRampPhase
    int mRampEntryNo = 0;              // 1 .. mRampEntryCount in a ramp, 0 in a step
    int mRampTick = 0;                 // ticks of the current ramp entry
    long long mTickCount = 0;          // ticks since the window opened
    quint32 mRunStartMs = 0;           // clock readings: start of the run,
    quint32 mRampStartMs = 0;          // of the ramp entry
    qint64 mRampElapsedSec = 0;        // whole seconds since the entry's start

    // ---- the test (set by Start; TestId: SequenceRun) ---------------------------
    double mBobRadius = 0;  // cm
    int mBobNumber = 0;     // 1, 2 or 5: the last field of every set-point frame

    // ---- set points -----------------------------------------------------------
    double mTempCommand = 0;   // temperature last commanded, °F
    double mPressCommand = 0;  // pressure last commanded, psi
    // Clock readings of the last temperature and pressure actions; empty until
    // the run's first step-start frame (no periodic check before it).
    std::optional<quint32> mLastTempControlMs;
    std::optional<quint32> mLastPressControlMs;

    // The rheology run has the shear-rate ramp after a step.
    bool HasRamps() const override { return true; }

    // ---- operations -------------------------------------------------------------
    // Starts a run of the loaded tables from step 1 (bob factors from
    // mBobRadius first; only the factors change while a run is active).
    // Sends no frame: the first set points go out on the second tick.
    void StartTest();
    // The current step (or cycle) from its start: step phase, no ramp entry,
    // its ticks and times from 0. Step, cycle and run time stay.
    void RestartStep();
    // Sends the stop frame, ends the run, clears the trip and inactive counts
    // and gives the buttons back. Steps, times and texts stay as they were.
    void ShutDown() override;
    // The run's part of a tick (steps, cycles, ramps, set points, recording,
    // status texts). Does nothing while idle.
    void RunTick();

    // The set-point control (during the step phase of a run).
    void StepStartSetPoints();
    // The periodic checks; true when the tick ends (a frame was sent, or the
    // band stopped the run).
    bool PeriodicTempCheck();
    bool PeriodicPressCheck();
    void TempControlStep();
    void PressureRampStep();
    void SendSetPointsNow();

protected:
    // ---- what the run needs of its window ----------------------------------
    // Writes one frame to the unit.
    virtual void SendFrame(const QString& frame) = 0;
    // The run loop's timer interval; `enable` also switches the timer on.
    virtual void SetTimerInterval(int ms, bool enable = false) = 0;
    // Makes the result row of the present point (TEST_RESULT) and hands it
    // to the database (StoreRow); a row that cannot be made is raised
    // (db::DbError) and reported by the run.
    virtual void SaveResultRow() = 0;
    // The live result grid and chart.
    virtual void UpdateResultGrid() {}
    virtual void CalcRampPowerLaw() {}
    virtual void PlotAllSeries() {}
    virtual void AddResultGridRow() {}
    // A status-bar panel by its key ("StartTime", "ElapsedTime", "StepTime", "EndTime").
    virtual void ShowPanel(const QString& key, const QString& text) = 0;
    // Start and Exit off while a run is active; Start, Exit and Zero on after it.
    virtual void RunButtons(bool running) = 0;
    // "ERROR :" and the description.
    QString RowNotSavedText(int number, const QString& description) const override;

private:
    void StepPhaseTick(quint32 now);
    void RampPhaseTick(quint32 now);
    // The next cycle or step; true when the sequence is complete (the run has ended).
    bool Advance(bool afterRamp);
    void ShowStatusTexts();
    double SecondsSince(quint32 reading) const;

    double rampValue(const QVector<double>& v) const { return v.value(mRampEntryNo); }
};
