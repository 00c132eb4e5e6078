#include "rheology/RheologyRun.h"

#include "platform/TrapErrors.h"
#include "platform/Dialogs.h"
#include "platform/RunClock.h"

#include <cmath>

using namespace runloop;

double RheologyRun::SecondsSince(quint32 reading) const {
    return double(tick::MsBetween(reading, tick::timeGetTime())) / 1000.0;
}

// ---- start and end ---------------------------------------------------------------

void RheologyRun::StartTest() {
    mReply.SetBobRadius(mBobRadius);
    if (RunState != kIdle) return;

    BeginSequence();
    mRunStartMs = tick::timeGetTime();
    RestartStep();
    // A new run starts from nothing commanded: the commands and control times
    // of an earlier run in this window would let the periodic checks act on
    // them (or the band stop the new run) before its first set points.
    mTempCommand = 0;
    mPressCommand = 0;
    mLastTempControlMs.reset();
    mLastPressControlMs.reset();

    RunButtons(true);
    RunState = kStepRunning;
    SetTimerInterval(kTickMs, true);

    const QDateTime now = tick::CurrentDateTime();
    EndTimeText = PlannedEndFrom(1, now);
    ElapsedText = QStringLiteral("00:00");
    ShowPanel(QStringLiteral("StartTime"), QStringLiteral("Start Time: ") + GeneralDate(now));
    ShowPanel(QStringLiteral("EndTime"), QStringLiteral("End Time: ") + EndTimeText);
    ShowPanel(QStringLiteral("StepTime"), QString());
    ShowPanel(QStringLiteral("ElapsedTime"), QString());
}

void RheologyRun::RestartStep() {
    mPhase = kStepPhase;
    mRampEntryNo = 0;
    mRampElapsedSec = 0;
    mRampTick = 0;
    RestartStepClock();
}

void RheologyRun::ShutDown() {
    // The run is over even when the stop frame cannot be sent (the failure
    // reaches the caller after).
    RunState = kIdle;
    mReply.ResetCounts();
    RunButtons(false);
    ShowRunOver([this](const QString& key, const QString& text) { ShowPanel(key, text); });
    SendFrame(unit::StopFrame());
}

// ---- the tick -----------------------------------------------------------------------

void RheologyRun::RunTick() {
    // Rows the database refused before are tried first, also after the run.
    StoreWaitingRows();
    if (RunState == kIdle) return;
    // A table that no longer holds the current step (never with a loaded
    // sequence) ends the run rather than reading past it.
    if (CurStep < 1 || CurStep > mStepCount) {
        RunState = kIdle;
        ShutDown();
        return;
    }
    const quint32 now = tick::timeGetTime();
    ReadRunClock();
    if (mPhase == kStepPhase)
        StepPhaseTick(now);
    else
        RampPhaseTick(now);
}

void RheologyRun::StepPhaseTick(quint32 now) {
    RunState = kStepRunning;
    ++StepTick;
    ReadStepClock();

    // The periodic corrections act on the commands of this step only: its
    // first two ticks belong to the step-start frame.
    if (StepTick >= 3) {
        if (PeriodicTempCheck()) return;
        if (PeriodicPressCheck()) return;
    }

    if (StepTick == 1) {
        mPhase = kStepPhase;
        return;
    }
    if (StepTick == 2) {
        StepStartSetPoints();
        return;
    }

    SetTimerInterval(kTickMs);
    if (PointDue(StepValue(mStepInterval), StepSeconds, false)) {
        if (RecordPoint([this] { SaveResultRow(); })) {
            PlotAllSeries();
            UpdateResultGrid();
        }
    }
    if (StepOver(mReply.readings.mSampleTemp)) {
        // The grid follows the recorded points: a silent unit's last readings
        // are no new sample of the step.
        if (!UnitSilent()) UpdateResultGrid();
        // A step flagged for a ramp of a sequence without ramp entries goes on
        // as a step without ramp.
        if (StepValue(mStepRunRamp) == 1 && mRampEntryCount > 0) {
            mPhase = kRampPhase;
            mRampEntryNo = 1;
            mRampTick = 0;
            mRampElapsedSec = 0;
            mRampStartMs = tick::timeGetTime();
        } else if (Advance(false)) {
            return;
        }
    }
    ShowStatusTexts();
}

void RheologyRun::RampPhaseTick(quint32 now) {
    RunState = kRampRunning;
    SetTimerInterval(kTickMs);
    ++mRampTick;
    mRampElapsedSec = WholeSeconds(tick::MsBetween(mRampStartMs, now));

    if (mRampTick == 1) {
        SendFrame(unit::SetPointFrame(StepValue(mStepTemp), StepValue(mStepPress), rampValue(mRampSpeed), mBobNumber));
        mPhase = kRampPhase;
        mLastTempControlMs = tick::timeGetTime();
        mTempCommand = StepValue(mStepTemp);
        SetTimerInterval(kAfterRampEntryMs);
    }
    if (PointDue(rampValue(mRampInterval), mRampElapsedSec, true)) {
        if (RecordPoint([this] { SaveResultRow(); })) {
            UpdateResultGrid();
            PlotAllSeries();
        }
    }
    if (double(mRampElapsedSec) >= rampValue(mRampSeconds)) {
        ++mRampEntryNo;
        mRampTick = 0;
        mRampElapsedSec = 0;
        mRampStartMs = tick::timeGetTime();
        if (mRampEntryNo > mRampEntryCount && Advance(true)) return;
    }
    ShowStatusTexts();
}

bool RheologyRun::Advance(bool afterRamp) {
    const bool complete = NextCycleOrStep();
    mRampEntryNo = 0;
    mRampTick = 0;
    mPhase = kStepPhase;
    if (afterRamp) mRampElapsedSec = 0;
    if (!complete) return false;

    if (afterRamp) {
        AddResultGridRow();
        CalcRampPowerLaw();
    }
    RunState = kIdle;
    ShutDown();
    return true;
}

QString RheologyRun::RowNotSavedText(int, const QString& description) const {
    return RowNotSavedMessage(description);
}

void RheologyRun::ShowStatusTexts() {
    ElapsedText = HmsText(ElapsedSeconds);
    ShowPanel(QStringLiteral("StepTime"), ProgressText(mPhase == kStepPhase
                                                           ? StepTimeText(CurStep, CurCycle, StepSeconds)
                                                           : RampTimeText(mRampEntryNo, mRampElapsedSec)));
    ShowPanel(QStringLiteral("ElapsedTime"), ElapsedTimeText(ElapsedText));
}

// ---- set-point control ------------------------------------------------------------

void RheologyRun::StepStartSetPoints() {
    const double sample = mReply.readings.mSampleTemp;
    const double target = StepValue(mStepTemp);
    const double rate = DirectedTempRate(sample, target, StepValue(mStepTempRate));
    if (CurStep >= 0 && CurStep < mStepTempRate.size()) mStepTempRate[CurStep] = rate;
    mTempCommand = FirstTempCommand(rate, sample, target);

    mPressCommand = CurStep == 1 ? 0.0 : mStepPress.value(CurStep - 1);
    mPressCommand = NextPressCommand(StepValue(mStepPressRate), mPressCommand, StepValue(mStepPress));

    SendFrame(unit::SetPointFrame(mTempCommand, mPressCommand, StepValue(mStepSpeed), mBobNumber));
    // The readings until now are of before the step's set points.
    SetPointsSent();
    mLastTempControlMs = tick::timeGetTime();
    mLastPressControlMs = tick::timeGetTime();
    mPhase = kStepPhase;
    SetTimerInterval(kAfterSetPointMs);
}

bool RheologyRun::PeriodicTempCheck() {
    if (!mLastTempControlMs || SecondsSince(*mLastTempControlMs) < kTempPeriodSec) return false;
    const double rate = StepValue(mStepTempRate);
    const double target = StepValue(mStepTemp);
    if (rate > 0 && mTempCommand < target) {
        TempControlStep();
        return true;
    }
    mLastTempControlMs = tick::timeGetTime();
    if (rate < 0) {
        const double sample = mReply.readings.mSampleTemp;
        if (std::fabs(sample - mTempCommand) < kCoolingMarginF || (target <= sample && sample < mTempCommand)) {
            TempControlStep();
            return true;
        }
    }
    return false;
}

bool RheologyRun::PeriodicPressCheck() {
    if (!mLastPressControlMs) return false;
    const double d = SecondsSince(*mLastPressControlMs);
    // The band is watched against the pressure commanded (it follows the
    // step's pressure ramp), once the command has had time to take.
    if (StopOutsideBand(mReply.readings.mPressure, mPressCommand, d >= kBandCheckSec, false)) return true;
    if (d >= kPressPeriodSec) {
        mLastPressControlMs = tick::timeGetTime();
        if (StepValue(mStepPress) != mPressCommand && StepValue(mStepPressRate) != 0) {
            PressureRampStep();
            return true;
        }
    }
    return false;
}

void RheologyRun::TempControlStep() {
    mLastTempControlMs = tick::timeGetTime();
    const double rate = StepValue(mStepTempRate);
    if (rate == 0) return;
    mTempCommand = CorrectedTempCommand(rate, mTempCommand, mReply.readings.mSampleTemp, StepValue(mStepTemp));
    SendFrame(unit::SetPointFrame(mTempCommand, mPressCommand, StepValue(mStepSpeed), mBobNumber));
    SetTimerInterval(kAfterSetPointMs);
}

void RheologyRun::PressureRampStep() {
    mLastPressControlMs = tick::timeGetTime();
    const double rate = StepValue(mStepPressRate);
    if (rate == 0) return;
    mPressCommand = NextPressCommand(rate, mPressCommand, StepValue(mStepPress));
    SendSetPointsNow();
}

void RheologyRun::SendSetPointsNow() {
    SendFrame(unit::SetPointFrame(mTempCommand, mPressCommand, StepValue(mStepSpeed), mBobNumber));
    SetTimerInterval(kAfterSetPointMs);
}
