#pragma once
// The reply side of a PVT test window: the unit's status frames (the common
// layout and frame loop of UnitProtocol.h) read into the window's live
// readings, the texts of its reading boxes and its status caption, and the
// readings handed to the PVT safety watch (temperature, pressure, magnet
// position: SafetyWatch.h), whose trips the parse lists for the run to react
// to. The parser shows nothing and stops nothing.
//
// The magnet-position reading of field 9 is turned into a sample height and a
// live sample density through the piston calibration of the unit; without a
// loaded calibration it is kept (RawPosition) and nothing else is done with
// it. A frame of 8 commas, or of 9 with an empty field 9, carries no magnet
// reading: it updates the status and the readings only.
//
// Units: temperatures °F, pressures psi, heights inches, lengths of the piston
// cm, volumes cm³, densities g/cm³.

#include "unitlink/UnitProtocol.h"

#include <QString>
#include <optional>
#include <vector>

namespace unit {

// The piston calibration of one unit: N points of height (inch) and magnet
// reading, highest reading first, and the N - 1 straight segments between
// neighbouring readings that give log10(height + 2.1) from log10(reading).
struct PvtCalibration {
    int count = 0;                    // N; 0 while none is loaded
    std::vector<double> heights;      // 0 .. N-1
    std::vector<double> readings;     // 0 .. N-1
    std::vector<double> slopes;       // 1 .. N-1 (entry 0 unused)
    std::vector<double> intercepts;   // 1 .. N-1 (entry 0 unused)

    // N of at least 2 with every array of its size.
    bool loaded() const;
    // The segment of a temperature-corrected reading: 1 at or above the first
    // reading, else the first i with rc >= reading i, else N - 1.
    int segmentOf(double rc) const;
};

// The texts of the PVT window's reading boxes, named after the boxes.
struct PvtReadingTexts {
    QString txtSampleTemp;
    QString txtTempSetPoint;
    QString txtSpeed;
    QString txtPressure;
    QString txtPressSetPoint;
    QString txtHigh;
    QString txtDensity;
};

struct PvtReplyResult : StatusReplyResult {
    bool heightChanged = false;       // txtHigh has a new text
    bool densityChanged = false;      // txtDensity has a new text
};

class PvtReplyParser {
public:
    // ---- the window's members the parser keeps ---------------------------------
    QString RxBuffer;

    double SampleTemp = 0;     // field 2
    double TempSetPoint = 0;   // field 3
    double SampleSpeed = 0;    // field 4, rpm
    double SamplePress = 0;    // field 6
    double RawPosition = 0;    // field 9, as received
    double SampleHeight = 0;   // inch, temperature-corrected and zeroed
    double Density = 0;        // g/cm³
    // The trip counts and the pressure limit (the caller sets the maximum
    // pressure in force before it parses).
    SafetyWatch watch{WatchedTest::Pvt};

    // ---- constants of the density ---------------------------------------------------
    double RefTemp = 72.0;            // °F, reference of the temperature corrections
    double PistonRadius = 2.4772389;  // cm
    double ZeroOffset = 0;            // inch, subtracted from every height
    double iniVol = 0;                // cm³
    double iniDensity = 0;            // g/cm³
    PvtCalibration calibration;

    PvtReadingTexts texts;

    // Reads everything the port has received (nothing when the port is
    // closed) and parses it.
    PvtReplyResult ParsePvtReply(comm::CommPort& port, bool testRunning);
    // Appends the text to the receive buffer and decodes every complete
    // frame. testRunning: a test runs (the position trips count only then);
    // a trip ends it for the frames after it. A position trip empties the
    // receive buffer: what came with it is never decoded. A frame that does
    // not fit is cut with its code 26 and ends the call (the frames behind it
    // wait for the next call); a frame still arriving stays in the buffer,
    // which never keeps more than kMaxReplyBuffer characters.
    PvtReplyResult Parse(const QString& received, bool testRunning);

    // The counts ShutDown clears.
    void ResetCounts() { watch.ResetCounts(); }

    // The height (inch, before the zero) that a temperature-corrected
    // reading gives at the present sample temperature; none for a reading of
    // 0 or less (it has no logarithm) or without a calibration.
    std::optional<double> HeightOf(double correctedReading) const;
    // The live density at a height and pressure; none while the remaining
    // volume is 0 or less (no initial volume yet, or a travel beyond it).
    std::optional<double> DensityAt(double height, double pressure) const;

private:
    void decodePosition(const UnitStatusFrame& frame, PvtReplyResult& result);
};

}  // namespace unit
