#pragma once
// The frames of a unit's calibrations, beside the test frames of
// UnitProtocol.h.
//
// Torque calibration:
//   application to unit
//     start        code 7, the 21 set viscosities each "000.0" + code 26, the
//                  bob number with its sign position (" 2"), code 13
//     run          code 3, code 13 (one second after the start frame)
//     coefficients code 6, a "####.#" ",", n "##" ",", A(0..n) "0.##" ",",
//                  B(0..n) "0.##" ",", code 13
//   unit to application
//     point        code 8, shear stress (dyn/cm²), ",", angle (deg), code 26
//     end          code 9, anything, code 26: the calibration is over; what
//                  follows it in the same read is discarded
//
// PVT piston and swell sensor calibrations send nothing: they read field 9
// of the unit's status frames (the magnet position, the sensor voltage).

#include <QString>
#include <vector>

namespace unit {

inline constexpr char kCalibrationRunCode = 3;
inline constexpr char kCoefficientCode = 6;
inline constexpr char kCalibrationStartCode = 7;
inline constexpr char kTorquePointCode = 8;
inline constexpr char kTorqueEndCode = 9;
inline constexpr int kTorqueSetValues = 21;  // viscosities at 20 .. 40 °C

// The start frame: each viscosity made positive and formatted "000.0"
// (-12.34 gives 012.3); missing values count as 0, values past the 21st are
// not sent.
QString CalibrationStartFrame(const std::vector<double>& viscosities, int bobNumber);
QString CalibrationRunFrame();  // code 3, code 13
// The coefficient frame of a torque coefficient table (A and B hold n + 1
// values each; missing ones count as 0).
QString CoefficientFrame(double a, int n, const std::vector<double>& A, const std::vector<double>& B);

// A field of the coefficient frame: its name ("a", "n", "A(0)" .. "B(n)"),
// the table's value and the text the frame carries for it.
struct CoefficientInFrame {
    QString name;
    double value = 0;
    QString sent;
};
// The coefficients that the frame does not carry as the table holds them:
// the fields, in frame order, whose text reads back as another number (a
// = 1234.56 goes as "1234.6", A(1) = 0.004 as "0."); none when the unit
// gets the table as it is.
std::vector<CoefficientInFrame> CoefficientsTheFrameChanges(double a, int n, const std::vector<double>& A,
                                                            const std::vector<double>& B);

struct TorquePoint {
    double stress = 0;  // dyn/cm²
    double angle = 0;   // degrees
};

struct TorqueReplyResult {
    std::vector<TorquePoint> points;  // points completed by this read, in order
    bool ended = false;               // the end frame arrived (the buffer is then empty)
    int dropped = 0;                  // pieces up to a code 26 that were no point frame
    // Of the dropped pieces, those that hold a comma and are no whole status
    // frame (a status frame holds 8 or 9 commas): the rest of a frame whose
    // head never came, or a point frame run into another frame. Text was
    // lost there, perhaps a point. Text without a comma is noise. The first
    // piece after Clear() is not counted: it may be the rest of a frame cut
    // off when the port's input was cleared.
    int broken = 0;
    bool bufferCut = false;           // text without a code 26 grew past the limit and was dropped
};

// The receive side of a torque calibration. Text arrives in any pieces; a
// frame still arriving waits in the buffer for the next read. Text before a
// code 8 or 9 inside a piece is noise and skipped; a piece up to a code 26
// that holds no code 8 with one comma after it, nor a code 9 (a status
// frame, garbage, a point frame run into another frame) is dropped through
// its code 26 and is not a point. Numbers take the leading-number reading (0
// when no number).
class TorqueReplyParser {
public:
    TorqueReplyResult Parse(const QString& received);
    void Clear() {
        buffer_.clear();
        pieces_ = 0;
    }
    const QString& buffer() const { return buffer_; }

    // Text without any code 26 is never longer than this: a point frame is
    // well under a hundred characters.
    static constexpr qsizetype kMaxBuffer = 4096;

private:
    QString buffer_;
    int pieces_ = 0;  // pieces up to a code 26 since Clear()
};

// The reading of a PVT or swell calibration tick: the whole text the port
// gave in one tick, cut into frames at code 26. A frame counts when its first
// comma is its 4th character and it holds exactly 9 fields (every comma ends
// a field; a non-empty rest after the last comma is one more). Field 9 of the
// last counted frame is the reading; the first frame that does not count
// ends the tick, and an unfinished frame at the end is lost with the tick.
// 0 when no frame counted.
double CalibrationReading(const QString& received);

}  // namespace unit
