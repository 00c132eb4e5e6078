#include "simpletest/SimpleTestRun.h"

#include "data/BobGeometry.h"
#include "data/DateText.h"
#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/Units.h"
#include "platform/RunClock.h"
#include "unitbase/TripMessage.h"

namespace {
constexpr double kSimpleMaxSpeed = 600;
constexpr double kSimpleMinSpeed = -0.0001;
constexpr double kSimpleMaxPress = 30000;  // psi, the over-pressure trip's maximum
}  // namespace

SimpleTestRun::SimpleTestRun() {
    reply.style.speedMask.clear();  // the speed as the unit sends it
    reply.style.shearRateMask = QStringLiteral("####.##");
    reply.style.viscosityMask = QStringLiteral("####.#");
    // Fixed: the maximum-pressure option does not move it (readings above 30500 psi count).
    reply.watch.SetMaxPressure(kSimpleMaxPress);
    reply.SetBobRadius(BobRadius);
}

void SimpleTestRun::ChooseBob(const QString& comboText) {
    if (const bob::KnownBob* b = bob::FindBob(comboText); b && b->unitNumber != 0) {
        BobNo = b->unitNumber;
        BobRadius = b->radiusCm;
    }
    reply.SetBobRadius(BobRadius);
}

const QString SimpleTestRun::kTempBoxName = QStringLiteral("Temperature Set Point");
const QString SimpleTestRun::kPressBoxName = QStringLiteral("Pressure Set Point");
const QString SimpleTestRun::kSpeedBoxName = QStringLiteral("Speed Set Point");

QString SimpleTestRun::StartMessage(StartCheck check) const {
    switch (check) {
    case StartCheck::MissingSetPoint: return QStringLiteral("Set point first");
    case StartCheck::NotANumber: return NumberRefused ? NumberRefused->message : QString();
    case StartCheck::Temperature: return QStringLiteral("Invalid input for temperature set point ");
    case StartCheck::Pressure: return QStringLiteral("Invalid input for pressure set point ");
    case StartCheck::Speed: return QStringLiteral("Invalid input for motor speed set point ");
    case StartCheck::Ok: break;
    }
    return {};
}

SimpleTestRun::StartCheck SimpleTestRun::Start(const QString& temperature, const QString& pressure,
                                               const QString& speed) {
    NumberRefused.reset();
    if (temperature.isEmpty() || pressure.isEmpty() || speed.isEmpty()) return StartCheck::MissingSetPoint;
    NumberRefused = typed::FirstRefusedNumber({{kTempBoxName, temperature, {}, QStringLiteral("txtTempSetPoint")},
                                               {kPressBoxName, pressure, {}, QStringLiteral("txtPressSetPoint")},
                                               {kSpeedBoxName, speed, {}, QStringLiteral("txtspeedset")}});
    if (NumberRefused) return StartCheck::NotANumber;
    const double t = *typed::TypedNumber(temperature);
    const double p = *typed::TypedNumber(pressure);
    const double s = *typed::TypedNumber(speed);
    if (t > gMaxTemp || t < gMinTemp) return StartCheck::Temperature;
    if (p > (maxPressure ? maxPressure() : gMaxPress)) return StartCheck::Pressure;
    if (s > kSimpleMaxSpeed || s < kSimpleMinSpeed) return StartCheck::Speed;

    // The unit takes °F: in SI the box's °C goes through the one-decimal text.
    SentTempSetPoint = gUnitSystem == 1 ? t : Val(ConvertTempText(QVariant(), QVariant(t)));
    SentPressSetPoint = p;
    SentSpeedSetPoint = s;
    if (const bob::KnownBob* b = bob::BobOfUnitNumber(BobNo)) BobRadius = b->radiusCm;
    reply.SetBobRadius(BobRadius);
    if (RunState != kIdle) return StartCheck::Ok;

    RunState = kRunning;
    if (setInterval) setInterval(1000);
    ElapsedSeconds = 0;
    ElapsedText = QStringLiteral("00:00");
    if (runButtons) runButtons(true);
    if (showPanel) showPanel(QStringLiteral("StartTime"), QStringLiteral("Start Time: ") + GeneralDateText(QVariant(tick::CurrentDateTime())));
    return StartCheck::Ok;
}

QString SimpleTestRun::ElapsedTextOf(long n) {
    return Format(double(n / 3600), QStringLiteral("##0")) + QLatin1Char(':') +
           Format(double((n % 3600) / 60), QStringLiteral("00")) + QLatin1Char(':') +
           Format(double(n % 60), QStringLiteral("00"));
}

void SimpleTestRun::Tick() {
    ++TickCount;

    if (RunState == kRunning && ElapsedSeconds == 2) {
        // The tick of the set-point frame: what came meanwhile is stale.
        replies.Discarded(unit::HoldsFrameEnd(input ? input() : QString()));
        reply.ClearBuffer();
    } else {
        const unit::ReplyResult result = reply.Parse(input ? input() : QString(), RunState == kRunning);
        replies.Parsed(result.framesParsed);
        unit::ReactToTrips(reply.watch, result.trips, [this] { ShutDown(); }, unit::TripMessageBox);
        if (showReply) showReply(result);
    }
    if (replies.Silent() && showStatus) showStatus(unit::NoResponseCaption());

    if (RunState != kRunning) return;
    ++ElapsedSeconds;
    if (ElapsedSeconds == 2) {
        const QString frame = unit::SetPointFrame(SentTempSetPoint, SentPressSetPoint, SentSpeedSetPoint, BobNo);
        if (send) send(frame);
        if (setInterval) setInterval(3000);
        ElapsedSeconds += 2;  // the 3-s tick keeps the count in seconds
    } else {
        if (setInterval) setInterval(1000);
        ElapsedText = ElapsedTextOf(ElapsedSeconds);
        if (showPanel) showPanel(QStringLiteral("ElapsedTime"), QStringLiteral("Elapsed Time: ") + ElapsedText);
    }
}

void SimpleTestRun::ShutDown() {
    // The run is over even when the stop frame cannot be sent.
    RunState = kIdle;
    reply.ResetCounts();
    if (runButtons) runButtons(false);
    if (send) send(unit::StopFrame());
}

void SimpleTestRun::SendZero() {
    reply.ClearBuffer();
    if (send) send(unit::ZeroFrame());
}
