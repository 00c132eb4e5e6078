#include "pvt/PvtRun.h"

#include "data/Globals.h"
#include "data/Numbers.h"
#include "platform/Dialogs.h"
#include "platform/RunClock.h"
#include "platform/TrapErrors.h"
#include "unitbase/TripMessage.h"

#include <cmath>
#include <limits>

using namespace runloop;

// ---- start and end ---------------------------------------------------------------------

void PvtRun::StartTest() {
    if (!CanStart()) return;
    BeginSequence();
    StepStartSeconds = 0;

    RunButtons(true);
    InitialChart();
    RunState = kRunning;
    ShowSpeedSetPoint(mStepSpeed.value(1));
    SetTimerInterval(kTickMs, true);

    const QDateTime now = tick::CurrentDateTime();
    EndTimeText = PlannedEndFrom(1, now);
    ElapsedText = QStringLiteral("00:00");
    ShowPanel(QStringLiteral("StartTime"), QStringLiteral("Start Time: ") + GeneralDate(now));
    ShowPanel(QStringLiteral("ElapsedTime"), QString());
    ShowPanel(QStringLiteral("Status"), QStringLiteral("Test Running"));
    ShowPanel(QStringLiteral("EndTime"), QStringLiteral("End Time: ") + EndTimeText);
    ShowPanel(QStringLiteral("StepTime"), QString());
}

void PvtRun::ShutDown() {
    // The run is over even when the stop frame cannot be sent (the failure
    // reaches the caller after).
    reply.TempSetPoint = 0;
    StepStartSeconds = 0;
    RunState = kIdle;
    ShowPanel(QStringLiteral("Status"), QStringLiteral("Test Stop"));
    ShowRunOver([this](const QString& key, const QString& text) { ShowPanel(key, text); });
    RunButtons(false);
    reply.ResetCounts();
    SendFrame(unit::StopFrame());
}

void PvtRun::SendCoolingSetPoint() {
    SendFrame(unit::SetPointFrame(32, reply.SamplePress, reply.SampleSpeed, FrameMode));
    RunState = kCooling;
    ShowPanel(QStringLiteral("Status"), QStringLiteral("Test Cooling"));
}

QString PvtRun::StepFrame() const {
    return unit::SetPointFrame(StepValue(mStepTemp), StepValue(mStepPress), StepValue(mStepSpeed), FrameMode);
}

// ---- the tick -----------------------------------------------------------------------------

void PvtRun::Timer1_Timer() {
    // Rows the database refused before are tried first, also after the run.
    StoreWaitingRows();
    ++TickCount;
    reply.watch.SetMaxPressure(MaxPressure());
    const unit::PvtReplyResult result = reply.Parse(ReceiveInput(), RunState == kRunning);
    FramesParsed(result.framesParsed);
    unit::ReactToTrips(reply.watch, result.trips, [this] { ShutDown(); }, unit::TripMessageBox);
    ShowReply(result);
    if (NoResponse()) ShowActiveFlag(unit::NoResponseCaption());
    RunTick();
}

void PvtRun::RunTick() {
    if (RunState != kRunning) return;
    // A table that no longer holds the current step ends the run rather than
    // reading past it.
    if (CurStep < 1 || CurStep > mStepCount) {
        ShutDown();
        return;
    }

    ++StepTick;
    ReadClocks();
    if (StepTick == 1) return;
    if (StepTick == 2) {
        SendFrame(StepFrame());
        // The readings until now are of before the step's set points.
        SetPointsSent();
        SetTimerInterval(kAfterSetPointMs);
        return;
    }

    SetTimerInterval(kTickMs);
    // The band is watched against the step's pressure: above it at once,
    // below it once the step is older than 55 s.
    if (StopOutsideBand(reply.SamplePress, StepValue(mStepPress), double(StepSeconds) > kBandCheckSec, true))
        return;

    if (PointDue(StepValue(mStepInterval), StepSeconds, false) &&
        RecordPoint([this] { SavePvtResultRow(); }))
        AddPvtGridRow();

    if (StepOver(reply.SampleTemp)) {
        const bool complete = NextCycleOrStep();
        StepStartSeconds = ElapsedSeconds;
        if (complete) {
            RunState = kIdle;
            ShutDown();
            return;
        }
        ShowSpeedSetPoint(StepValue(mStepSpeed));
    }
    showTimes();
}

QString PvtRun::RowNotSavedText(int number, const QString& description) const {
    return PvtRowNotSavedMessage(number, description);
}

void PvtRun::showTimes() {
    ElapsedText = HmsText(ElapsedSeconds);
    ShowPanel(QStringLiteral("ElapsedTime"), QStringLiteral("Elapsed Time: ") + ElapsedText);
    ShowPanel(QStringLiteral("StepTime"), ProgressText(StepTimeText(CurStep, CurCycle, StepSeconds)));
}
