#include "unitlink/PvtReply.h"

#include "analysis/PvtDensity.h"
#include "data/Numbers.h"
#include "data/Units.h"
#include "platform/CommPort.h"

#include <cmath>

namespace unit {

// ---- calibration ---------------------------------------------------------------

bool PvtCalibration::loaded() const {
    const size_t n = size_t(count);
    return count >= 2 && heights.size() == n && readings.size() == n && slopes.size() == n &&
           intercepts.size() == n;
}

int PvtCalibration::segmentOf(double rc) const {
    if (rc >= readings[0]) return 1;
    for (int i = 1; i <= count - 1; ++i)
        if (rc >= readings[size_t(i)]) return i;
    return count - 1;
}

// ---- the parser ----------------------------------------------------------------------

PvtReplyResult PvtReplyParser::ParsePvtReply(comm::CommPort& port, bool testRunning) {
    // A port that could not be opened reads as a silent unit.
    return Parse(port.PortOpen() ? port.Input() : QString(), testRunning);
}

std::optional<double> PvtReplyParser::HeightOf(double rc) const {
    if (!(rc > 0) || !calibration.loaded()) return std::nullopt;
    const size_t i = size_t(calibration.segmentOf(rc));
    const double y = calibration.slopes[i] * Log10(rc) + calibration.intercepts[i];
    double h = std::pow(10.0, y) - 2.1;
    h = h * (1 - (SampleTemp - RefTemp) * 1.23e-5);
    if (!std::isfinite(h)) return std::nullopt;
    return h;
}

std::optional<double> PvtReplyParser::DensityAt(double height, double pressure) const {
    return PvtLiveDensity(height, pressure, PistonRadius, iniVol, iniDensity);
}

void PvtReplyParser::decodePosition(const UnitStatusFrame& frame, PvtReplyResult& result) {
    RawPosition = frame.value(9);
    if (!calibration.loaded()) return;
    // The reading corrected to the reference temperature.
    const double rc = RawPosition * (((SampleTemp - RefTemp) * 5 / 9 / 100) * 0.03 + 1.0);

    if (const auto trip =
            watch.Position(RawPosition, rc, calibration.readings[0], calibration.readings[size_t(calibration.count - 1)])) {
        result.trips.push_back(*trip);
        RxBuffer.clear();
    }

    const std::optional<double> height = HeightOf(rc);
    if (!height) return;
    SampleHeight = *height - ZeroOffset;
    texts.txtHigh = Format(-SampleHeight, QStringLiteral("#0.0###"));
    result.heightChanged = true;

    if (const std::optional<double> density = DensityAt(SampleHeight, SamplePress)) {
        Density = *density;
        texts.txtDensity = Format(Density, QStringLiteral("#0.0###"));
        result.densityChanged = true;
    }
}

PvtReplyResult PvtReplyParser::Parse(const QString& received, bool testRunning) {
    PvtReplyResult result;
    RxBuffer += received;
    watch.BeginParse(testRunning);
    auto listTrip = [&](std::optional<SafetyTrip> trip) {
        if (trip) result.trips.push_back(*trip);
    };

    result.Take(ReadReplyFrames(RxBuffer, 8, 9, DroppedFrame::EndsCall, [&](const UnitStatusFrame& frame) {
        SampleTemp = frame.value(2);
        texts.txtSampleTemp = Format(TempToDisplay(SampleTemp), QStringLiteral("##0.0"));
        listTrip(watch.Temperature(SampleTemp));

        TempSetPoint = frame.value(3);
        texts.txtTempSetPoint = Format(TempToDisplay(TempSetPoint), QStringLiteral("##0.0"));
        SampleSpeed = frame.value(4);
        texts.txtSpeed = Str(Val(Format(SampleSpeed, QStringLiteral("##0"))));
        SamplePress = frame.value(6);
        texts.txtPressure = Str(Val(Format(SamplePress, QStringLiteral("##0"))));
        listTrip(watch.Pressure(SamplePress));
        texts.txtPressSetPoint = Str(frame.value(8));

        if (frame.commas == 9 && !frame.field(9).isEmpty()) decodePosition(frame, result);
    }));
    return result;
}

}  // namespace unit
