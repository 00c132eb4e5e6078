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

// The status of field 1 (its characters after the lead), to the nearest
// whole number; nullopt when it cannot be a status code.
std::optional<int> statusOf(const QString& field1) {
    const double v = std::nearbyint(Val(field1.mid(1)));
    if (!std::isfinite(v) || v < -1e9 || v > 1e9) return std::nullopt;
    return int(v);
}

double finite(double v) { return std::isfinite(v) ? v : 0.0; }

}  // namespace

SwellReplyResult SwellReplyParser::Parse(const QString& received) {
    SwellReplyResult result;
    RxBuffer += received;
    unit::UnitStatusFrame frame;
    for (;;) {
        const unit::FrameTake take = unit::TakeUnitStatusFrame(RxBuffer, frame, 9, 9);
        if (take == unit::FrameTake::Incomplete) break;
        if (take == unit::FrameTake::Dropped) {
            // Only the frame that does not fit goes; the next one is read.
            ++result.framesDropped;
            continue;
        }
        ++result.framesParsed;
        readFrame(frame.fields, result);
    }
    if (RxBuffer.size() > kMaxReplyBuffer) {
        const qsizetype lastEnd = RxBuffer.lastIndexOf(QChar(uchar(unit::kEndOfReply)));
        if (lastEnd >= 0) RxBuffer.remove(0, lastEnd + 1);
        if (RxBuffer.size() > kMaxReplyBuffer) RxBuffer.clear();
        result.bufferCut = true;
    }
    return result;
}

void SwellReplyParser::readFrame(const QStringList& f, SwellReplyResult& result) {
    SwellTexts& t = result.texts;
    auto listTrip = [&](std::optional<unit::SafetyTrip> trip) {
        if (!trip) return;
        result.trips.push_back(*trip);
        state.DropZeroing();
    };

    if (const auto status = statusOf(f.value(0)); status && *status <= 99) {
        if (const auto caption = unit::StatusCaption(*status)) {
            t.lblActiveFlag = *caption;
            if (*status == unit::kStatusCooling) result.enableExit = true;
        }
    }

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
