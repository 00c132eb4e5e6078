#pragma once
// The run of a PVT test on one unit, as the PVT window's timer drives it,
// free of the window: the reply side (PvtReplyParser) and the answer to its
// trips (ShutDown, then the message), the steps of the loaded sequence, the
// run state and counters, the set-point frame of each step and cycle, the
// pressure watch, one recorded row per recording interval, the end of steps,
// cycles and the sequence, and the status texts.
//
// The window adds its unit line, timer, record objects and controls through
// the hooks; tests and benchmarks drive the run through the same hooks.
//
// Time is read from the run's clocks (SequenceRun) in whole seconds; the tick
// that sends a step's frame is followed by a 3000 ms wait once.
//
// Within one step (or one cycle of it): tick 1 only polls; tick 2 sends the
// step frame; from then on every tick watches the pressure, records on the
// step's rate, ends the step when its time is up and the sample is within the
// step's temperature tolerance, and refreshes the elapsed and step times.
// A row is recorded only with the unit's present readings (ReadingsAge); while
// the unit is silent the run goes on by its last readings, counts the rows not
// recorded and says so in the "StepTime" panel (SequenceRun).
//
// The steps are those of runloop::RunTables; the PVT run uses the duration
// (mStepMinutes), temperature (mStepTemp), tolerance (mStepTempError), speed
// (mStepSpeed), recording rate (mStepInterval), pressure (mStepPress) and
// cycle count (mStepCycles) of each step.

#include "unitlink/PvtReply.h"
#include "unitrun/SequenceRun.h"

#include <QString>
#include <optional>

class PvtRun : public runloop::SequenceRun {
public:
    virtual ~PvtRun() = default;

    // ---- the unit's replies, readings and density constants ----------------------
    unit::PvtReplyParser reply;

    // ---- run state ------------------------------------------------------------------
    // The run's states (RunState). Only kRunning makes the ticks drive a test;
    // in the others they read the replies only. The magnet position trips
    // count only while kRunning.
    static constexpr int kIdle = runloop::kIdle;            // no test runs
    static constexpr int kRunning = runloop::kStepRunning;  // from StartTest to ShutDown
    static constexpr int kCooling = 6;                      // set by SendCoolingSetPoint alone
    // 7 and 8: states nothing sets; a start is taken from them as from kIdle.
    static constexpr int kNeverSet7 = 7;
    static constexpr int kNeverSet8 = 8;
    // Where the run is, its clocks and texts, the test's key and the points
    // not stored: SequenceRun.
    qint64 StepStartSeconds = 0;   // ElapsedSeconds when the step or cycle began
    long long TickCount = 0;
    int FrameMode = 1;             // the last number of every set-point frame

    // True in kIdle (and in 7 and 8, which nothing sets).
    bool CanStart() const {
        return RunState == kIdle || RunState == kNeverSet7 || RunState == kNeverSet8;
    }

    // Starts the loaded steps from step 1. Sends no frame: the first step
    // frame goes out on the second tick.
    void StartTest();
    // Sends the stop frame, ends the run, clears the trip counts and gives the
    // buttons back. The timer keeps polling.
    void ShutDown() override;
    // A set point of 32 °F at the last pressure and speed; kCooling. Nothing
    // calls it at present.
    void SendCoolingSetPoint();

    // One tick of Timer1: the rows waiting for the database, the replies
    // received ("No Response" once the unit is silent), the run.
    void Timer1_Timer();
    // The run's part of a tick (nothing unless running).
    void RunTick();

    // The step frame of the current step.
    QString StepFrame() const;

protected:
    // ---- what the run needs of its window -----------------------------------------
    // What the unit has sent since the last call (CommError when the port
    // went away).
    virtual QString ReceiveInput() = 0;
    virtual void SendFrame(const QString& frame) = 0;
    virtual void SetTimerInterval(int ms, bool enable = false) = 0;
    // Makes the TEST_RESULT row of the present point and hands it to the
    // database (StoreRow); once stored, the chart is redrawn from the stored
    // rows. A row that cannot be made is raised (db::DbError).
    virtual void SavePvtResultRow() = 0;
    // The live grid's row of the present step and cycle.
    virtual void AddPvtGridRow() {}
    // A status-bar panel by its key ("StartTime", "ElapsedTime", "Status",
    // "EndTime", "StepTime").
    virtual void ShowPanel(const QString& key, const QString& text) = 0;
    // Start and Exit off while running; Start, Zero and Exit on after it.
    virtual void RunButtons(bool running) = 0;
    virtual void ShowReply(const unit::PvtReplyResult& result) {}
    virtual void ShowActiveFlag(const QString& caption) {}
    // The speed set point of the step begun (rpm).
    virtual void ShowSpeedSetPoint(double rpm) {}
    // The chart's base set-up, for the new test.
    virtual void InitialChart() {}
    // The numbered error, as other error boxes say it.
    QString RowNotSavedText(int number, const QString& description) const override;

private:
    void showTimes();
};
