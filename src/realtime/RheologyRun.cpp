#include "realtime/RheologyRun.h"

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
    if (mRunState != kIdle) return;

    mElapsedSec = 0;
    mStepNo = 1;
    mCycleNo = 1;
    mRunStartMs = tick::timeGetTime();
    mRunClock.Start();
    RestartStep();
    // A new run starts from nothing commanded: the commands and control times
    // of an earlier run in this window would let the periodic checks act on
    // them (or the band stop the new run) before its first set points.
    mTempCommand = 0;
    mPressCommand = 0;
    mLastTempControlMs.reset();
    mLastPressControlMs.reset();
    mRowsNotSaved = 0;

    RunButtons(true);
    mRunState = kStepRunning;
    SetTimerInterval(kTickMs, true);

    const QDateTime now = tick::CurrentDateTime();
    mEndTimeText = GeneralDate(now.addSecs(PlannedSeconds(*this)));
    mElapsedText = QStringLiteral("00:00");
    ShowPanel(QStringLiteral("StartTime"), QStringLiteral("Start Time: ") + GeneralDate(now));
    ShowPanel(QStringLiteral("EndTime"), QStringLiteral("End Time: ") + mEndTimeText);
    ShowPanel(QStringLiteral("StepTime"), QString());
    ShowPanel(QStringLiteral("ElapsedTime"), QString());
}

void RheologyRun::RestartStep() {
    mPhase = kStepPhase;
    mRampEntryNo = 0;
    mStepElapsedSec = 0;
    mRampElapsedSec = 0;
    mStepTick = 0;
    mRampTick = 0;
    mStepStartMs = tick::timeGetTime();
}

void RheologyRun::ShutDown() {
    // The run is over even when the stop frame cannot be sent (the failure
    // reaches the caller after).
    mRunState = kIdle;
    mReply.ResetCounts();
    RunButtons(false);
    SendFrame(unit::StopFrame());
}

// ---- the tick -----------------------------------------------------------------------

void RheologyRun::RunTick() {
    if (mRunState == kIdle) return;
    // A table that no longer holds the current step (never with a loaded
    // sequence) ends the run rather than reading past it.
    if (mStepNo < 1 || mStepNo > mStepCount) {
        mRunState = kIdle;
        ShutDown();
        return;
    }
    const quint32 now = tick::timeGetTime();
    mElapsedSec = WholeSeconds(mRunClock.Milliseconds());
    if (mPhase == kStepPhase)
        StepPhaseTick(now);
    else
        RampPhaseTick(now);
}

void RheologyRun::StepPhaseTick(quint32 now) {
    mRunState = kStepRunning;
    ++mStepTick;
    mStepElapsedSec = WholeSeconds(tick::MsBetween(mStepStartMs, now));

    // The periodic corrections act on the commands of this step only: its
    // first two ticks belong to the step-start frame.
    if (mStepTick >= 3) {
        if (PeriodicTempCheck()) return;
        if (PeriodicPressCheck()) return;
    }

    if (mStepTick == 1) {
        mPhase = kStepPhase;
        return;
    }
    if (mStepTick == 2) {
        StepStartSetPoints();
        return;
    }

    SetTimerInterval(kTickMs);
    if (IsRecordingPoint(stepValue(mStepInterval), mStepElapsedSec, false)) {
        if (RecordPoint()) {
            PlotAllSeries();
            UpdateResultGrid();
        }
    }
    const double sample = mReply.readings.mSampleTemp;
    const bool inTolerance = std::fabs(stepValue(mStepTemp) - sample) <= stepValue(mStepTempError);
    if (inTolerance && double(mStepElapsedSec) >= stepValue(mStepMinutes) * 60.0) {
        UpdateResultGrid();
        // A step flagged for a ramp of a sequence without ramp entries goes on
        // as a step without ramp.
        if (stepValue(mStepRunRamp) == 1 && mRampEntryCount > 0) {
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
    mRunState = kRampRunning;
    SetTimerInterval(kTickMs);
    ++mRampTick;
    mRampElapsedSec = WholeSeconds(tick::MsBetween(mRampStartMs, now));

    if (mRampTick == 1) {
        SendFrame(unit::SetPointFrame(stepValue(mStepTemp), stepValue(mStepPress), rampValue(mRampSpeed), mBobNumber));
        mPhase = kRampPhase;
        mLastTempControlMs = tick::timeGetTime();
        mTempCommand = stepValue(mStepTemp);
        SetTimerInterval(kAfterRampEntryMs);
    }
    if (IsRecordingPoint(rampValue(mRampInterval), mRampElapsedSec, true)) {
        if (RecordPoint()) {
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
    ++mCycleNo;
    if (double(mCycleNo) > stepValue(mStepCycles)) {
        mCycleNo = 1;
        ++mStepNo;
    }
    mRampEntryNo = 0;
    mStepTick = 0;
    mStepElapsedSec = 0;
    mStepStartMs = tick::timeGetTime();
    mRampTick = 0;
    mPhase = kStepPhase;
    if (afterRamp) mRampElapsedSec = 0;
    if (mStepNo <= mStepCount) return false;

    if (afterRamp) {
        AddResultGridRow();
        CalcRampPowerLaw();
    }
    mRunState = kIdle;
    ShutDown();
    return true;
}

bool RheologyRun::RecordPoint() {
    try {
        SaveResultRow();
        return true;
    } catch (...) {
        const TrappedError e = CurrentError();
        ReportRowNotSaved(mRowsNotSaved, RowNotSavedMessage(e.description));
        return false;
    }
}

void RheologyRun::ShowStatusTexts() {
    mElapsedText = HmsText(mElapsedSec);
    if (mPhase == kStepPhase)
        ShowPanel(QStringLiteral("StepTime"), StepTimeText(mStepNo, mCycleNo, mStepElapsedSec));
    else
        ShowPanel(QStringLiteral("StepTime"), RampTimeText(mRampEntryNo, mRampElapsedSec));
    ShowPanel(QStringLiteral("ElapsedTime"), ElapsedTimeText(mElapsedText));
}

// ---- set-point control ------------------------------------------------------------

void RheologyRun::StepStartSetPoints() {
    const double sample = mReply.readings.mSampleTemp;
    const double target = stepValue(mStepTemp);
    const double rate = DirectedTempRate(sample, target, stepValue(mStepTempRate));
    if (mStepNo >= 0 && mStepNo < mStepTempRate.size()) mStepTempRate[mStepNo] = rate;
    mTempCommand = FirstTempCommand(rate, sample, target);

    mPressCommand = mStepNo == 1 ? 0.0 : mStepPress.value(mStepNo - 1);
    mPressCommand = NextPressCommand(stepValue(mStepPressRate), mPressCommand, stepValue(mStepPress));

    SendFrame(unit::SetPointFrame(mTempCommand, mPressCommand, stepValue(mStepSpeed), mBobNumber));
    mLastTempControlMs = tick::timeGetTime();
    mLastPressControlMs = tick::timeGetTime();
    mPhase = kStepPhase;
    SetTimerInterval(kAfterSetPointMs);
}

bool RheologyRun::PeriodicTempCheck() {
    if (!mLastTempControlMs || SecondsSince(*mLastTempControlMs) < kTempPeriodSec) return false;
    const double rate = stepValue(mStepTempRate);
    const double target = stepValue(mStepTemp);
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
    if (d >= kBandCheckSec && OutsidePressureBand(mReply.readings.mPressure, mPressCommand)) {
        ShutDown();
        ui::MsgBox(PressureInactiveMessage());
        return true;
    }
    if (d >= kPressPeriodSec) {
        mLastPressControlMs = tick::timeGetTime();
        if (stepValue(mStepPress) != mPressCommand && stepValue(mStepPressRate) != 0) {
            PressureRampStep();
            return true;
        }
    }
    return false;
}

void RheologyRun::TempControlStep() {
    mLastTempControlMs = tick::timeGetTime();
    const double rate = stepValue(mStepTempRate);
    if (rate == 0) return;
    mTempCommand = CorrectedTempCommand(rate, mTempCommand, mReply.readings.mSampleTemp, stepValue(mStepTemp));
    SendFrame(unit::SetPointFrame(mTempCommand, mPressCommand, stepValue(mStepSpeed), mBobNumber));
    SetTimerInterval(kAfterSetPointMs);
}

void RheologyRun::PressureRampStep() {
    mLastPressControlMs = tick::timeGetTime();
    const double rate = stepValue(mStepPressRate);
    if (rate == 0) return;
    mPressCommand = NextPressCommand(rate, mPressCommand, stepValue(mStepPress));
    SendSetPointsNow();
}

void RheologyRun::SendSetPointsNow() {
    SendFrame(unit::SetPointFrame(mTempCommand, mPressCommand, stepValue(mStepSpeed), mBobNumber));
    SetTimerInterval(kAfterSetPointMs);
}
