#include "unitwindows/PvtRun.h"

#include "data/Globals.h"
#include "data/Numbers.h"
#include "platform/Dialogs.h"
#include "platform/RunClock.h"
#include "platform/TrapErrors.h"

#include <cmath>
#include <limits>

using namespace runloop;

namespace {
constexpr double kLongMax = double(std::numeric_limits<qint32>::max());
}  // namespace

qint64 PvtPlannedSeconds(const RunTables& t, int fromStep) {
    double total = 0;
    for (int i = std::max(fromStep, 1); i <= t.mStepCount; ++i)
        total = RoundEven(t.mStepMinutes.value(i) * 60 + total);
    return qint64(total);
}

std::optional<QString> PvtSequenceProblem(const RunTables& t) {
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

// ---- start and end ---------------------------------------------------------------------

void PvtRun::StartTest() {
    if (!CanStart()) return;
    CurStep = 1;
    StepSeconds = 0;
    ElapsedSeconds = 0;
    StepStartSeconds = 0;
    CurCycle = 1;
    RowsNotSaved = 0;

    RunButtons(true);
    InitialChart();
    RunState = kRunning;
    ShowSpeedSetPoint(CStr(mStepSpeed.value(1)));
    SetTimerInterval(kTickMs, true);

    const QDateTime now = tick::CurrentDateTime();
    EndTimeText = GeneralDate(now.addSecs(PvtPlannedSeconds(*this)));
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
    return unit::SetPointFrame(stepValue(mStepTemp), stepValue(mStepPress), stepValue(mStepSpeed), FrameMode);
}

// ---- the tick -----------------------------------------------------------------------------

void PvtRun::Timer1_Timer() {
    ++TickCount;
    if (TickCount % 5 == 0 && reply.ReplyWatchdog()) ShowActiveFlag(unit::NoResponseCaption());
    reply.watch.SetMaxPressure(gMaxPress);
    const unit::PvtReplyResult result = reply.Parse(ReceiveInput(), RunState == kRunning);
    unit::ReactToTrips(reply.watch, result.trips, [this] { ShutDown(); }, unit::TripMessageBox);
    ShowReply(result);
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

    ElapsedSeconds += 1;
    const qint64 s0 = StepSeconds;
    StepSeconds = s0 + 1;
    if (s0 == 0) return;
    if (s0 == 1) {
        SendFrame(StepFrame());
        SetTimerInterval(kAfterSetPointMs);
        StepSeconds += 2;
        ElapsedSeconds += 2;
        return;
    }

    SetTimerInterval(kTickMs);
    const double p = stepValue(mStepPress);
    const double press = reply.SamplePress;
    if (press > p + kPressBandPsi || (press < p - kPressBandPsi && double(StepSeconds) > kBandCheckSec)) {
        ShutDown();
        ui::MsgBox(PressureInactiveMessage());
        return;
    }

    if (IsRecordingPoint(stepValue(mStepInterval), StepSeconds, false)) recordPoint();

    if (std::fabs(stepValue(mStepTemp) - reply.SampleTemp) <= stepValue(mStepTempError) &&
        stepValue(mStepMinutes) * 60 <= double(StepSeconds)) {
        ++CurCycle;
        if (double(CurCycle) > stepValue(mStepCycles)) {
            CurCycle = 1;
            ++CurStep;
        }
        StepSeconds = 0;
        StepStartSeconds = ElapsedSeconds;
        if (CurStep > mStepCount) {
            RunState = kIdle;
            ShutDown();
            return;
        }
        ShowSpeedSetPoint(CStr(stepValue(mStepSpeed)));
    }
    showTimes();
}

void PvtRun::recordPoint() {
    try {
        SavePvtResultRow();
    } catch (...) {
        const TrappedError e = CurrentError();
        ReportRowNotSaved(RowsNotSaved, PvtRowNotSavedMessage(e.number, e.description));
        return;
    }
    AddPvtGridRow();
}

void PvtRun::showTimes() {
    ElapsedText = HmsText(ElapsedSeconds);
    ShowPanel(QStringLiteral("ElapsedTime"), QStringLiteral("Elapsed Time: ") + ElapsedText);
    ShowPanel(QStringLiteral("StepTime"), StepTimeText(CurStep, CurCycle, StepSeconds));
}
