#include "unitlink/SwellReply.h"

#include "analysis/SwellPercent.h"
#include "data/Numbers.h"
#include "data/Units.h"
#include "unitlink/UnitProtocol.h"

#include <cmath>
#include <stdexcept>

namespace swell {

double CorrectedVoltage(double rawVoltage, double sampleTempF, double refTempF) {
    const double d = sampleTempF - refTempF;
    return (kTempCorrection * d * d + 1.0) * rawVoltage;
}

int SegmentOf(const SwellCalibration& cal, double voltage) { return voltage <= cal.v2 ? 1 : 2; }

double SensorLength(const SwellCalibration& cal, double voltage) {
    const int k = SegmentOf(cal, voltage);
    return cal.A[k] + cal.B[k] * Log10(voltage);
}

double SwellPercentOf(double lengthChange, double sampleLength) {
    // One decimal kept, halves away from zero (the "##0.#" mask read back).
    return std::round(SwellPercent(lengthChange, sampleLength) * 10.0) / 10.0;
}

namespace {

double finite(double v) { return std::isfinite(v) ? v : 0.0; }

}  // namespace

SwellReplyResult SwellReplyParser::Parse(const QString& received) {
    SwellReplyResult result;
    RxBuffer += received;
    // Only a frame that does not fit goes; the next one is read.
    const unit::FramePass pass = unit::ReadReplyFrames(RxBuffer, 9, 9, unit::DroppedFrame::Skipped,
                                                       [&](const unit::UnitStatusFrame& frame) {
                                                           readFrame(frame.fields, result);
                                                       });
    result.framesParsed = pass.framesParsed;
    result.framesDropped = pass.framesDropped;
    result.bufferCut = pass.bufferCut;
    result.enableExit = pass.enableExit;
    if (pass.caption) result.texts.lblActiveFlag = pass.caption;
    return result;
}

void SwellReplyParser::readFrame(const QStringList& f, SwellReplyResult& result) {
    SwellTexts& t = result.texts;
    auto listTrip = [&](std::optional<unit::SafetyTrip> trip) {
        if (!trip) return;
        result.trips.push_back(*trip);
        state.DropZeroing();
    };

    state.SampleTemp = finite(Val(f.value(1)));
    t.lbltemp1 = Format(TempToDisplay(state.SampleTemp), QStringLiteral("##0.#"));
    listTrip(watch.Temperature(state.SampleTemp));

    state.SampleSpeed = finite(Val(f.value(3)));
    t.lblSpeed = Format(state.SampleSpeed, QStringLiteral("##0"));

    state.SamplePress = std::round(finite(Val(f.value(5))));
    t.lblPress = CStr(state.SamplePress);
    listTrip(watch.Pressure(state.SamplePress));

    swellPart(f, t);
}

void SwellReplyParser::swellPart(const QStringList& f, SwellTexts& t) {
    // No voltage in this frame: nothing to compute, the readings stand.
    const double volts = Val(f.value(8));
    if (volts == 0 || !std::isfinite(volts)) return;
    state.RawVoltage = volts;

    const double vc = CorrectedVoltage(volts, state.SampleTemp, state.RefTemp);
    state.CorrectedVolts = vc;
    t.lblvolt = CStr(vc);
    // The sensor law needs a positive voltage.
    if (!(vc > 0) || !std::isfinite(vc)) return;

    state.SensorLength = SensorLength(calibration, vc);
    t.lblen = LengthToDisplayText(state.SensorLength);

    state.LengthChange = (state.ZeroVoltage == 0 ? 0.0 : state.SensorLength - state.ZeroLength) +
                         kPressCorrection * state.SamplePress;
    t.lbldist = LengthToDisplayText(state.LengthChange);

    // Before zeroing there is no sample length to take the swell against.
    if (!(state.SampleLength > 0)) return;
    const double pct = SwellPercentOf(state.LengthChange, state.SampleLength);
    if (!std::isfinite(pct)) return;
    state.SwellPercent = pct;
    t.lblswell = Format(state.SwellPercent, QStringLiteral("##0.0##"));
}

}  // namespace swell
