#pragma once
// The swell test's side of the unit line: its reader of the unit's reply
// frames and the swell computation, without any window.
//
// A swell frame is a status frame with exactly 9 commas (10 fields), taken
// by the frame loop of UnitProtocol.h; field 9 carries the displacement
// sensor's voltage. Every good frame updates the status, the readings and the
// counts of the swell safety watch (SafetyWatch.h), whose trips the parse
// lists for the run to react to. The reader shows nothing and stops nothing.
//
// A frame with a voltage then gives, through the unit's sensor calibration,
// the corrected voltage, the sensor length, the length change since zeroing
// and the swell percentage of the sample.
//
// The sensor law per segment k (1 up to V2, 2 above): L = A(k) + B(k)·log10(V),
// lengths in inches. The voltage is corrected for the sample's temperature
// against the reference temperature: Vc = (6.03e-7 x (T - Tref)² + 1) x V.
// The length change adds 4.0e-7 inch per psi of sample pressure.

#include "data/CalibrationFiles.h"
#include "unitlink/SafetyWatch.h"

#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace swell {

// The sensor calibration of one unit (the calibration file's line): the
// three spacer voltages v1 .. v3 and the A and B of both segments.
using SwellCalibration = calibration::SwellCalibration;

inline constexpr double kTempCorrection = 6.03e-7;   // per °F²
inline constexpr double kPressCorrection = 4.0e-7;   // inch per psi
inline constexpr double kDefaultRefTempF = 74.0;

// The voltage corrected for the sample temperature.
double CorrectedVoltage(double rawVoltage, double sampleTempF, double refTempF);
// Segment 1 up to and including V2, else 2.
int SegmentOf(const SwellCalibration& cal, double voltage);
// A(k) + B(k) x log10(voltage); std::domain_error for a voltage <= 0.
double SensorLength(const SwellCalibration& cal, double voltage);
// The swell percentage kept with one decimal (Format "##0.#" read back).
double SwellPercentOf(double lengthChange, double sampleLength);

// The quantities of the last good frame and the zeroing they are taken against.
struct SwellState {
    // zeroing (set by the window's ZERO; ZeroVoltage 0 = not zeroed)
    double RefTemp = kDefaultRefTempF;
    float ZeroVoltage = 0;
    double ZeroLength = 0;
    double SampleLength = 0;  // inch; 0 = not zeroed
    // readings
    double SampleTemp = 0;
    double SampleSpeed = 0;
    double SamplePress = 0;
    double RawVoltage = 0;
    double CorrectedVolts = 0;
    double SensorLength = 0;
    double LengthChange = 0;
    double SwellPercent = 0;

    // What the end of a run clears: the lengths of the zeroing, which must be
    // done again before the next run (ZeroVoltage stays).
    void DropZeroing() {
        ZeroLength = 0;
        SampleLength = 0;
    }
};

// The label texts that the window shows, named after its labels; a label
// whose text is not set keeps what it shows.
struct SwellTexts {
    std::optional<QString> lblActiveFlag;
    std::optional<QString> lbltemp1, lblSpeed, lblPress;
    std::optional<QString> lblvolt, lblen, lbldist, lblswell;
};

struct SwellReplyResult {
    int framesParsed = 0;
    int framesDropped = 0;
    bool bufferCut = false;
    bool enableExit = false;  // a "Cooling" status was read
    std::vector<unit::SafetyTrip> trips;  // trips made, in order, for the run to react to
    SwellTexts texts;
};

// The reader of one window: its receive buffer, its safety watch and the
// calibration of the window's own unit.
class SwellReplyParser {
public:
    QString RxBuffer;
    // The trip counts and the pressure limit (the caller sets the maximum
    // pressure in force before it parses).
    unit::SafetyWatch watch{unit::WatchedTest::Swell};
    SwellCalibration calibration;
    SwellState state;

    // Appends the text and reads every complete frame in it. A frame that
    // does not fit is dropped alone and reading goes on with the next; a
    // frame without a voltage, or read before the sensor was zeroed, updates
    // the readings and trips and skips what it cannot compute. A trip ends
    // the run, and with it the zeroing (SwellState::DropZeroing): the
    // lengths of the trip's frame and of those after it are taken without it.
    SwellReplyResult Parse(const QString& received);

    // The counts ShutDown clears.
    void ResetCounts() { watch.ResetCounts(); }

private:
    void readFrame(const QStringList& fields, SwellReplyResult& result);
    void swellPart(const QStringList& fields, SwellTexts& texts);
};

}  // namespace swell
