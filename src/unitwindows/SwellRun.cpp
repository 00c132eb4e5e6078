#include "unitwindows/SwellRun.h"

#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/Units.h"
#include "data/clsSEQUENCE_INFO.h"
#include "data/clsSEQUENCE_RAMP.h"
#include "platform/RunClock.h"
#include "unitlink/UnitProtocol.h"
#include "unitwindows/PvtRun.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace swell {

// ---- sequence ------------------------------------------------------------------

LoadedSwellSequence LoadSwellSequence(const QString& name, clsConnection* connection, clsSEQUENCE_INFO& seqInfo,
                                      clsSEQUENCE_RAMP& seqRamp) {
    LoadedSwellSequence out;
    seqInfo.SEQUENCE_NAME(name);
    seqInfo.GetSeqDetail();
    const RowArray row = seqInfo.All();
    out.sequenceNo = qint32(std::nearbyint(row.value(0).toDouble()));
    out.name = row.value(1).toString();
    seqRamp.SequenceId(row.value(0).toDouble());
    seqRamp.ConnectX(connection);
    if (seqRamp.Eof()) return out;
    seqRamp.MoveFirst();
    SwellSteps& s = out.steps;
    while (!seqRamp.Eof()) {
        const RowArray r = seqRamp.All();
        s.StepMinutes << r.value(3).toDouble();
        s.StepTemp << r.value(4).toDouble();
        s.StepTempTol << r.value(5).toDouble();
        s.StepSpeed << r.value(6).toDouble();
        s.StepRecordRate << r.value(7).toDouble();
        s.StepPress << r.value(8).toDouble();
        s.StepCycles << r.value(11).toDouble();
        seqRamp.MoveNext();
    }
    s.StepCount = int(s.StepTemp.size()) - 1;
    out.hasSteps = s.StepCount > 0;
    return out;
}

std::optional<QString> SequenceProblem(const SwellSteps& steps) {
    runloop::RunTables t;
    for (int i = 1; i <= steps.StepCount; ++i) {
        t.mStepMinutes << steps.StepMinutes.value(i);
        t.mStepTemp << steps.StepTemp.value(i);
        t.mStepTempError << steps.StepTempTol.value(i);
        t.mStepSpeed << steps.StepSpeed.value(i);
        t.mStepInterval << steps.StepRecordRate.value(i);
        t.mStepPress << steps.StepPress.value(i);
        t.mStepCycles << steps.StepCycles.value(i);
    }
    t.mStepCount = steps.StepCount;
    return PvtSequenceProblem(t);
}

qint64 PlannedSeconds(const SwellSteps& steps, int fromStep) {
    double total = 0;
    for (int i = std::max(fromStep, 1); i < steps.StepMinutes.size(); ++i)
        total = std::nearbyint(steps.StepMinutes[i] * 60 + total);
    // Steps SequenceProblem refuses have no count (no number is no time).
    if (!(std::fabs(total) <= double(std::numeric_limits<qint32>::max()))) return 0;
    return qint64(total);
}

int RecordIntervalOf(double seconds) {
    const double r = std::nearbyint(seconds);
    if (std::isnan(r)) return 0;
    return int(std::clamp(r, double(std::numeric_limits<int>::min()), double(std::numeric_limits<int>::max())));
}

QString HoursText(qint64 seconds) {
    if (seconds < 0) seconds = 0;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

// ---- set points ----------------------------------------------------------------

QString SetPointFrame(double temperatureF, double pressurePsi, double speedRpm, int frameMode) {
    return unit::SetPointFrame(temperatureF, pressurePsi, speedRpm, frameMode);
}

QString NeedResetMessage() { return QStringLiteral("Need reset data."); }

QString CheckSetPoints(const QString& temp, const QString& press, const QString& speed, double maxPress) {
    const auto t = StrictNumber(temp.trimmed());
    const auto p = StrictNumber(press.trimmed());
    const auto s = StrictNumber(speed.trimmed());
    const double upper = TempToDisplay(600), lower = TempToDisplay(0);
    // In SI the box holds °C to one decimal: a step at a limit (600 °F shows
    // as 315.6) is within it.
    const double slack = gUnitSystem == 1 ? 0.0 : 0.05;
    if (!t || *t > upper + slack || *t < lower - slack)
        return QStringLiteral("The temperature setting must in ") + Format(upper, QStringLiteral("##.#")) +
               QStringLiteral(" and ") + Format(lower, QStringLiteral("##.#"));
    if (!p || *p < 0 || *p > maxPress)
        return QStringLiteral("The pressure setting must in ") + CStr(maxPress) + QStringLiteral(" and 0. ");
    if (!s || *s < kMinSpeedRpm || *s > kMaxSpeedRpm)
        return QStringLiteral("The speed setting must in ") + CStr(kMaxSpeedRpm) + QStringLiteral(" and ") +
               CStr(kMinSpeedRpm);
    return QString();
}

QString TempBoxText(double temperatureF, const QString& cgsMask) {
    if (gUnitSystem != 1) return CStr(std::round(TempToDisplay(temperatureF) * 10) / 10);
    return cgsMask.isEmpty() ? CStr(temperatureF) : Format(temperatureF, cgsMask);
}

// ---- zeroing ---------------------------------------------------------------------

ZeroOutcome ZeroSensor(const QString& answer, const SwellCalibration& cal, SwellState& state) {
    if (answer.isEmpty()) return ZeroOutcome::Nothing;
    const auto whole = StrictNumber(answer.trimmed());
    if (!whole || Val(answer) != *whole) return ZeroOutcome::NotNumeric;
    const double v = state.RawVoltage;
    if (v < cal.v1 || !(v > 0)) return ZeroOutcome::TooThin;
    if (v >= cal.v3) return ZeroOutcome::TooThick;
    const double entered = LengthFromDisplay(*whole);
    state.ZeroLength = SensorLength(cal, v);
    if (std::fabs(entered - state.ZeroLength) < kMatchInch) {
        state.SampleLength = entered;
        state.ZeroVoltage = float(v);
        return ZeroOutcome::Accepted;
    }
    return ZeroOutcome::Mismatch;
}

QString ZeroMessage(ZeroOutcome outcome) {
    switch (outcome) {
    case ZeroOutcome::NotNumeric: return QStringLiteral("You must enter a numeric value ");
    case ZeroOutcome::TooThin:
        return QStringLiteral("The wafer length you entered indicates that the wafer is too thin.");
    case ZeroOutcome::TooThick:
        return QStringLiteral("The wafer length you entered indicates that the wafer is too thick.");
    case ZeroOutcome::Mismatch:
        return QStringLiteral("The wafer Length you entered does not match the saved calibration settings. "
                              "Please enter correct wafer Length or recalibrate.");
    default: return QString();
    }
}

QString ZeroTitle(ZeroOutcome outcome) {
    return outcome == ZeroOutcome::Mismatch ? QStringLiteral("WARNING") : QString();
}

// ---- the run ---------------------------------------------------------------------

void SwellRun::BeginRun() {
    RunState = kRunning;
    TestStartMs = tick::timeGetTime();
    TestClock.Start();
    StepStartMs = tick::timeGetTime();
    RecordStartMs = tick::timeGetTime();
    CurStep = 1;
    CurCycle = 1;
    RowsNotSaved = 0;
    // The sample's temperature now is the reference of the voltage correction.
    if (reply.state.SampleTemp > 0) reply.state.RefTemp = reply.state.SampleTemp;
}

void SwellRun::ShutDown() {
    // The run is over even when the stop frame cannot be sent.
    StopEndedRun = RunState == kRunning || RunState == kCooling;
    RunState = kIdle;
    ShowPanel(QStringLiteral("Status"), QStringLiteral("Test Stop"));
    RunButtons(false);
    TestName.clear();
    reply.state.DropZeroing();
    reply.ResetCounts();
    SendFrame(unit::StopFrame());
}

void SwellRun::Tick() {
    SetTimerInterval(kTickMs);

    ++TickCount;
    if (TickCount % 5 == 0) {
        if (NoReplyFlag)
            ShowStatus(unit::NoResponseCaption());
        else
            NoReplyFlag = true;
    }

    if (StepSeconds <= 2 && RunState == kRunning) {
        // The first ticks of a step: what came meanwhile belongs to the step before.
        ReadInput();
        reply.RxBuffer.clear();
    } else {
        reply.watch.SetMaxPressure(gMaxPress);
        const SwellReplyResult result = reply.Parse(ReadInput());
        unit::ReactToTrips(reply.watch, result.trips, [this] { ShutDown(); }, [this](const QString& message) {
            Message(message);
            return true;
        });
        // Only a good frame counts as an answer of the unit.
        if (result.framesParsed > 0) NoReplyFlag = false;
        ShowReply(result);
    }

    if (RunState != kRunning) return;

    ElapsedSeconds = std::floor(double(TestClock.Milliseconds()) / 1000.0);
    StepSeconds = std::floor(tick::MsBetween(StepStartMs, tick::timeGetTime()) / 1000.0);
    RecordSeconds = std::floor(tick::MsBetween(RecordStartMs, tick::timeGetTime()) / 1000.0);

    const SwellState& s = reply.state;
    const double setPress = PressSetPoint();
    if (StepSeconds > kPressCheckAfterSec &&
        (s.SamplePress > setPress + kPressBandPsi || s.SamplePress < setPress - kPressBandPsi)) {
        ShutDown();
        Message(QStringLiteral("pressure inactive, test will be stopped."));
        return;
    }

    if (std::fabs(StepTemp.value(CurStep) - s.SampleTemp) <= StepTempTol.value(CurStep) &&
        StepSeconds >= StepMinutes.value(CurStep) * 60) {
        ++CurCycle;
        if (CurCycle > StepCycles.value(CurStep)) {
            CurCycle = 1;
            ++CurStep;
        }
        if (CurStep > StepCount) {
            ShutDown();
            return;
        }
        ShowStep(CurStep);
        RecordInterval = RecordIntervalOf(StepRecordRate.value(CurStep));
        SendSetPoints();
        // A frame that could not be sent has stopped the run: nothing more
        // is recorded as if the unit had it.
        if (RunState != kRunning) return;
        StepStartMs = tick::timeGetTime();
        RecordStartMs = tick::timeGetTime();
        StepSeconds = 0;
        RecordSeconds = 0;
    }

    if (RecordInterval != 0 && RecordSeconds >= 1 && RecordSeconds >= RecordInterval) {
        RecordPoint();
        RecordSeconds = 0;
        RecordStartMs = tick::timeGetTime();
    }

    ElapsedText = HoursText(qint64(ElapsedSeconds));
    ShowPanel(QStringLiteral("ElapsedTime"), QStringLiteral("Elapsed Time: ") + ElapsedText);
    ShowPanel(QStringLiteral("StepTime"), QStringLiteral("Current Step (") + CStr(CurStep) +
                                              QStringLiteral(") Cycle (") + CStr(CurCycle) +
                                              QStringLiteral(") Time: ") + HoursText(qint64(StepSeconds)));
}

}  // namespace swell
