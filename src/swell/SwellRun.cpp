#include "swell/SwellRun.h"

#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/SequenceLimits.h"
#include "data/Units.h"
#include "data/clsSEQUENCE_INFO.h"
#include "data/clsSEQUENCE_RAMP.h"
#include "platform/RunClock.h"
#include "unitlink/UnitProtocol.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace swell {

// ---- sequence ------------------------------------------------------------------

LoadedSwellSequence LoadSwellSequence(const QString& name, double maxPress, clsConnection* connection,
                                      clsSEQUENCE_INFO& seqInfo, clsSEQUENCE_RAMP& seqRamp) {
    // The swell run knows no ramp list.
    const runloop::LoadedSequence loaded = runloop::LoadSequence(name, maxPress, connection, seqInfo, seqRamp, nullptr);
    LoadedSwellSequence out;
    out.sequenceNo = loaded.sequenceId;
    out.name = loaded.seqInfoRow.value(1).toString();
    // A step above the maximum pressure: steps there are, refused by the problem.
    out.hasSteps = loaded.result != runloop::LoadResult::NoSteps;
    out.problem = loaded.problem;
    if (loaded.result == runloop::LoadResult::Loaded) out.steps = loaded.tables;
    return out;
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
    const seqlimits::Limits limits = seqlimits::StoredLimits(maxPress);
    const double upper = TempToDisplay(limits.maxTemp), lower = TempToDisplay(limits.minTemp);
    // In SI the box holds °C to one decimal: a step at a limit (601 °F shows
    // as 316.1) is within it.
    const double slack = gUnitSystem == 1 ? 0.0 : 0.05;
    // A limit as the box shows it, a plain number: "600", "-17.8".
    const auto shown = [](double v) { return CStr(std::round(v * 10) / 10); };
    if (!t || *t > upper + slack || *t < lower - slack)
        return QStringLiteral("The temperature setting must in ") + shown(upper) + QStringLiteral(" and ") +
               shown(lower);
    if (!p || !seqlimits::PressureFits(*p, limits))
        return QStringLiteral("The pressure setting must in ") + CStr(maxPress) + QStringLiteral(" and 0. ");
    if (!s || !seqlimits::SpeedFits(*s, limits))
        return QStringLiteral("The speed setting must in ") + CStr(seqlimits::kMaxSpeedRpm) + QStringLiteral(" and ") +
               CStr(seqlimits::kMinSpeedRpm);
    return QString();
}

QString TempBoxText(double temperatureF, const QString& cgsMask) {
    if (gUnitSystem != 1) return CStr(std::round(TempToDisplay(temperatureF) * 10) / 10);
    // Plain, but to two decimals at most: a stored temperature of many
    // decimals (typed or imported so) would not fit the box.
    return cgsMask.isEmpty() ? CStr(std::round(temperatureF * 100) / 100) : Format(temperatureF, cgsMask);
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
    BeginSequence();
    RecordStartMs = tick::timeGetTime();
    // The sample's temperature now is the reference of the voltage correction.
    if (reply.state.SampleTemp > 0) reply.state.RefTemp = reply.state.SampleTemp;
}

void SwellRun::recordDuePoint() {
    const bool due = RecordInterval != 0 && RecordSeconds >= 1 && RecordSeconds >= RecordInterval;
    if (!DueOrWaiting(due)) return;
    if (due) {
        // Intervals that passed on ticks the timer could not give are points missed.
        if (const std::optional<tick::TickMoment> tick = tick::CurrentTick(); tick && tick->missed > 0)
            PointsMissed += int(std::min<qint64>(tick->missed, RecordSeconds / RecordInterval - 1));
    }
    RecordSwellPoint();
    // The recording clock starts again from each point due.
    if (!due) return;
    RecordSeconds = 0;
    RecordStartMs = tick::timeGetTime();
}

void SwellRun::RecordSwellPoint() {
    RecordPoint([this] { SaveSwellResultRow(); }, [this] { AddSwellGridRow(); });
}

QString SwellRun::RowNotSavedText(int number, const QString& description) const {
    return runloop::SwellRowNotSavedMessage(number, description);
}

void SwellRun::ShutDown() {
    // The run is over even when the stop frame cannot be sent.
    StopEndedRun = RunState == kRunning || RunState == kCooling;
    RunState = kIdle;
    ShowPanel(QStringLiteral("Status"), QStringLiteral("Test Stop"));
    ShowRunOver([this](const QString& key, const QString& text) { ShowPanel(key, text); });
    RunButtons(false);
    TestName.clear();
    reply.state.DropZeroing();
    reply.ResetCounts();
    SendFrame(unit::StopFrame());
}

void SwellRun::Tick() {
    SetTimerInterval(kTickMs);
    // Rows the database refused before are tried first, also after the run.
    StoreWaitingRows();

    ++TickCount;

    if (StepTick == 0 && RunState == kRunning) {
        // The first tick of a step, after its set points: what came
        // meanwhile belongs to the step before. A frame in it still says
        // that the unit is sending.
        InputDiscarded(unit::HoldsFrameEnd(ReadInput()));
        reply.RxBuffer.clear();
    } else {
        reply.watch.SetMaxPressure(MaxPressure());
        reply.watch.BeginParse(RunState != kIdle);
        const SwellReplyResult result = reply.Parse(ReadInput());
        unit::ReactToTrips(reply.watch, result.trips, [this] { ShutDown(); }, [this](const QString& message) {
            Message(message);
            return true;
        });
        // Only a good frame counts as an answer of the unit.
        FramesParsed(result.framesParsed);
        ShowReply(result);
    }
    if (NoResponse()) ShowStatus(unit::NoResponseCaption());

    if (RunState != kRunning) return;
    ++StepTick;

    const quint32 now = tick::timeGetTime();
    ReadClocks();
    RecordSeconds = WholeSecondsOf(tick::MsBetween(RecordStartMs, now));

    const SwellState& s = reply.state;
    // The band is watched against the pressure box, once the step is older than 60 s.
    if (StopOutsideBand(s.SamplePress, PressSetPoint(), double(StepSeconds) > kPressCheckAfterSec, false)) return;

    // The point due on this tick belongs to the step it fell due in: it is
    // recorded before the step changes.
    recordDuePoint();

    if (StepOver(s.SampleTemp)) {
        if (NextCycleOrStep()) {
            ShutDown();
            return;
        }
        ShowStep(CurStep);
        RecordInterval = RecordIntervalOf(StepValue(mStepInterval));
        SendSetPoints();
        // A frame that could not be sent has stopped the run: nothing more
        // is recorded as if the unit had it.
        if (RunState != kRunning) return;
        SetPointsSent();
        RestartStepClock();
        RecordStartMs = tick::timeGetTime();
        RecordSeconds = 0;
    }

    ElapsedText = HoursText(ElapsedSeconds);
    ShowPanel(QStringLiteral("ElapsedTime"), QStringLiteral("Elapsed Time: ") + ElapsedText);
    ShowPanel(QStringLiteral("StepTime"), ProgressText(QStringLiteral("Current Step (") + CStr(CurStep) +
                                                           QStringLiteral(") Cycle (") + CStr(CurCycle) +
                                                           QStringLiteral(") Time: ") + HoursText(StepSeconds)));
}

}  // namespace swell
