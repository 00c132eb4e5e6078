#pragma once
// The calibration files: what the calibration window measures and the PVT
// and swell test windows read back, and the bob of the last torque
// calibration that the test information dialog reads.
//
//  - Calib.dat      swell sensor, line n = unit n (1 to 8):
//                   "V1,V2,V3, A1 , B1 , A2 , B2 " (volts as shown, the four
//                   coefficients in the print form, see PrintNumber)
//  - Calilarg.dat   large piston (5 points), line n = unit n
//  - CALIsmal.dat   small piston (4 points), line n = unit n:
//                   N, H(0..N-1), R(0..N-1), S(1..N-1), I(1..N-1), each in the
//                   print form and followed by a comma
//  - torque value table        21 lines, one viscosity a line (any file)
//  - torque coefficient table  a, n, A(0..n), B(0..n) (any file, made
//                              outside the program)
//  - BOBINFO.TXT    the bob of the last torque calibration, one line
//
// Every fixed-name file lives in the data folder (gAppPath); a reader finds
// it there ignoring letter case (FindDataFile), a writer rewrites the file it
// finds or creates it under the name above. The working directory is never
// used or changed. Lines end in CR LF; lines are kept byte for byte (Latin-1
// round trip), so a rewrite copies the other units' lines unchanged.
//
// Writers go through a temporary file that replaces the old one only when it
// is written whole: a failed save leaves the old file as it was.
//
// Nothing here shows a message box. Every reader and writer returns what it
// read plus `ok` and, on failure, `message`: the text the calling window shows
// (in its own box, with `title` when one is given). A failed reader hands back
// no partial calibration: the caller keeps the calibration it had.

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace calibration {

inline constexpr int kUnits = 8;  // lines of Calib.dat, Calilarg.dat, CALIsmal.dat

// ---- Swell sensor: Calib.dat ----------------------------------------------

inline const QString kSwellFileName = QStringLiteral("Calib.dat");

// The sensor law of one unit: length (in.) = B * log10(V) + A, segment 1
// (A[1], B[1]) for V up to V2, segment 2 (A[2], B[2]) above it. Element 0 of
// A and B is not used.
struct SwellCalibration {
    double v1 = 0, v2 = 0, v3 = 0;
    std::array<double, 3> A{};
    std::array<double, 3> B{};
};

struct SwellReadResult {
    enum Status {
        Ok,
        FileError,      // missing or unreadable file, text where a number belongs
        NoLine,         // no line (or an empty line) for the unit
        NotCalibrated,  // A1 and B1, or A2 and B2, both 0; `data` holds what was read
    };
    Status status = FileError;
    bool ok() const { return status == Ok; }
    SwellCalibration data;  // read values when Ok or NotCalibrated
    QString message;        // empty when Ok
};

// Reads unit `unit`'s line of Calib.dat. Messages:
//   "ERROR reading calibration data - " + the reason
//   "No calibration data saved, please complete calibration first"
//   "Unit" + " 3" trimmed + "  not calibrated yet!"  (e.g. "Unit 3  not calibrated yet!")
SwellReadResult ReadSwellCalibration(int unit);

// The line the swell tab writes: the voltage texts as shown, then the
// coefficients at full precision in the print form.
QString SwellLine(const QString& v1, const QString& v2, const QString& v3, double a1, double b1, double a2,
                  double b2);

struct SaveResult {
    bool ok = false;
    QString message;  // empty when ok
    QString title;    // the message box title; empty: the application's title
};

// Rewrites unit `unit`'s line of Calib.dat with `line` (SwellLine), the
// other lines kept; the file then has exactly 8 lines. A missing file is
// created. A file of more than 18 lines is not saved over. On failure the
// message is the reason, " - " and the error number with its leading blank
// ("... -  75"), title "Form_Load Error", and the file is left unchanged.
SaveResult SaveSwellCalibration(int unit, const QString& line);

// ---- PVT pistons: Calilarg.dat, CALIsmal.dat ------------------------------

enum class Piston { Large, Small };

inline const QString kLargePistonFileName = QStringLiteral("Calilarg.dat");
inline const QString kSmallPistonFileName = QStringLiteral("CALIsmal.dat");

QString PistonFileName(Piston piston);  // "Calilarg.dat" / "CALIsmal.dat"
int PistonPointCount(Piston piston);    // 5 / 4

// One unit's piston law: for a height h (in.) and a reading r on segment k
// (between points k and k+1, k = 1 .. N-1):
//   log10(h + 2.1) = slopes[k] * log10(r) + intercepts[k].
// heights and readings hold N entries (0 .. N-1); slopes and intercepts N
// entries of which 1 .. N-1 are used.
struct PistonCalibration {
    int count = 0;
    std::vector<double> heights;
    std::vector<double> readings;
    std::vector<double> slopes;
    std::vector<double> intercepts;
};

struct PistonReadResult {
    enum Status {
        Ok,
        FileError,      // missing or unreadable file, or a bad number in the line
        NoLine,         // the file ends before the unit's line
        CountMismatch,  // the line is not a calibration of this piston (empty too)
        NotFalling,     // the readings do not fall from the top to the bottom (PistonReadingsFall)
    };
    Status status = FileError;
    bool ok() const { return status == Ok; }
    PistonCalibration data;  // filled only when Ok
    QString message;         // empty when Ok
};

// The direction of a piston calibration: the readings fall from the first
// point (height 0, the top) to the last. The PVT run takes the first reading
// for the top and the last for the bottom, so readings that do not fall
// from each point to the next (that rise with the height) make every run stop
// at its first reading.
bool PistonReadingsFall(const std::vector<double>& readings);

// Reads unit `unit`'s line of the piston's file. Messages:
//   "ERROR reading calibration data - " + the reason
//   "No calibration data found.  Please calibrate."
//   "No matching calibration data found.  Please calibrate."
//   readings that do not fall (PistonReadingsFall; status NotFalling):
//   "The piston calibration of unit 3 in CALIsmal.dat has readings that do
//    not fall from the top (position 1) to the bottom, as the PVT test reads
//    them.  Please calibrate."
PistonReadResult ReadPistonCalibration(Piston piston, int unit);

// The line of a piston calibration: N, the N heights, the N readings, slopes
// 1 .. N-1, intercepts 1 .. N-1, each in the print form followed by a comma.
// `heights` and `readings` give N = heights.size() values; `slopes` and
// `intercepts` are indexed 1 .. N-1 (element 0 ignored).
QString PistonLine(const std::vector<double>& heights, const std::vector<double>& readings,
                   const std::vector<double>& slopes, const std::vector<double>& intercepts);

// Rewrites unit `unit`'s line of the piston's file, the first 8 lines kept
// (later lines dropped); a missing file is created. On failure the message
// is the reason, two blanks and the error number ("...  75"), and the file is
// left unchanged.
SaveResult SavePistonCalibration(Piston piston, int unit, const QString& line);

// ---- Torque value table (any file) ----------------------------------------

inline constexpr int kTorqueValues = 21;  // viscosities at 20 .. 40 °C

// Writes the 21 viscosities, one a line, each a plain number with a point
// for decimals (CStr), whatever the locale. On failure the message is the
// reason; a file that existed keeps its old content.
SaveResult SaveTorqueValues(const QString& path, const std::vector<double>& values);

struct TorqueValuesResult {
    bool ok = false;
    std::vector<double> values;  // the 21 viscosities when ok, else none
    QString message;             // empty when ok, else the reason, naming the line
};

// Reads a fluid table as SaveTorqueValues writes it: 21 lines (ended by CR
// LF, LF or CR; empty lines at the end aside), each one number, blanks around
// it aside. A file that does not fit the 21 rows (a line empty, holding no
// number or more than one, such as "91,5", a line past the 21st, or fewer
// lines) is refused whole: no value is handed back, and the message names
// the file and the line.
TorqueValuesResult ReadTorqueValues(const QString& path);

// ---- Torque coefficient table (any file, made outside the program) --------

inline constexpr int kMaxCoefficientOrder = 30;

struct TorqueCoefficients {
    double a = 0;
    int n = 0;              // 0 .. 30
    std::vector<double> A;  // n + 1 values
    std::vector<double> B;  // n + 1 values
};

struct TorqueCoefficientsResult {
    bool ok = false;
    TorqueCoefficients data;  // filled only when ok
    QString message;          // empty when ok, else the reason
};

// Reads a, n, A(0..n), B(0..n), separated by commas or line breaks; nothing
// after B(n) is read. n must be a whole number from 0 to 30.
TorqueCoefficientsResult ReadTorqueCoefficients(const QString& path);

// ---- BOBINFO.TXT ----------------------------------------------------------

inline const QString kBobFileName = QStringLiteral("BOBINFO.TXT");

struct BobInfoResult {
    bool ok = false;
    bool missing = false;  // the file does not exist (a fresh installation)
    QString bob;           // the first item of the file, blanks and quotes removed
    QString message;       // empty when ok: "ERROR: <n>, <reason>"
};

// Reads the first item of the bob file's first line. An empty first item
// counts as no bob (ok false, no message).
BobInfoResult ReadBobInfo();

// Rewrites the bob file with the one line `bob`.
SaveResult WriteBobInfo(const QString& bob);

}  // namespace calibration
