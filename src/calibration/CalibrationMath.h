#pragma once
// The computations and report texts of the calibration window, free of
// widgets: the torque fit and its report, the two-point segments of the
// swell sensor and the PVT piston, the report lines of the three tabs.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace calibration {

// ---- Torque -----------------------------------------------------------------

// The least-squares line y = intercept + slope * x over the points and its
// mean square error, the mean of (intercept + slope * xi - yi)². ok is false
// (and nothing else set) for fewer than 2 points or when every x is equal:
// no line can be fitted then.
struct LineFit {
    bool ok = false;
    double slope = 0;
    double intercept = 0;
    double mse = 0;
};
LineFit FitLine(const std::vector<double>& x, const std::vector<double>& y);

// The status texts of a finished torque run.
inline constexpr double kMaxTorqueMse = 750;
QString TorqueSuccessText();  // "Calibration Completed Successfully."
QString TorqueProblemText();  // "Calibration Completed, Problem detected. "
QString TorqueRunningText();  // "Calibration in Progress."
QString TorqueNotStartedText();  // "Calibration not started." (a start that sent nothing)

// The rotor speed of each point, told from the stress steps: 0 first; a
// stress within 0.1 of the one before keeps the speed; a rise adds 10 rpm
// below 600 rpm, anything else takes 10 off.
std::vector<double> ReportSpeeds(const std::vector<double>& stress);

// The torque report. `error` is set when no report can be made (fewer than
// three points, no speed at the third point, equal viscosities in the
// matching pair of the table, or no neighbouring pair of the table that
// brackets the measured viscosity): it says so, why, and what the operator
// can do, and no such report is to be written (the lines up to there are
// kept, and `fluidTemp` is left as it was). Otherwise `fluidTemp` is set to
// the fluid temperature the report gives.
struct TorqueReportInput {
    QDateTime now;
    QString unitText;                 // the unit list's text
    QStringList tempCaptions;         // "20 (Deg C)" .. "40 (Deg C)"
    QStringList setTexts;             // the 21 boxes as typed
    std::vector<double> stress;       // dyn/cm²
    std::vector<double> angle;        // degrees
    std::optional<double> mse;        // none: the points could not be fitted
    QString viscLabel;                // gViscLabel
    QString stressLabel;              // gStressLabel
};
struct ReportLines {
    QStringList lines;
    QString error;  // empty when the report is whole
};
ReportLines TorqueReport(const TorqueReportInput& in, double& fluidTemp);

// The busy wait of the torque start: true once the seconds field of the
// clock (0 .. 59) has moved from s0 to s by n changes or more, counted across
// the minute (at s0 = 59 a wait of 2 ends at s = 1).
bool SecondsWaitOver(int s0, int s, int n);

// ---- Two-point segments (swell sensor, PVT piston) -----------------------------

// The line through two points: slope and intercept; nullopt when the two x
// are equal (the same reading twice).
struct Segment {
    double slope = 0;
    double intercept = 0;
};
std::optional<Segment> SegmentThrough(double x1, double y1, double x2, double y2);

// Spacer lengths of the swell sensor calibration, inches.
inline constexpr double kSwellSpacers[3] = {0.4, 0.65, 0.9};

// Heights of the PVT piston calibration points, inches.
std::vector<double> PistonHeights(bool large);
// Captions of the PVT step buttons 1 .. N.
QStringList PistonStepCaptions(bool large);

// ---- Report lines of the swell and PVT tabs ---------------------------------------

QString LongTimeText(const QDateTime& t);
QString LongDateText(const QDateTime& t);
// Pads a text with blanks to the next 14-column print zone.
QString ToNextPrintZone(const QString& text);

struct SwellReportInput {
    QDateTime now;
    QString unitDigit;             // the last character of the unit list's text
    bool withData = false;         // calibration state 2 or 3
    QStringList lengths;           // lbldata 1 .. 3
    QStringList logVolts;          // lblvolt 4 .. 6
    QStringList constants;         // lblconst1 .. 4
};
QStringList SwellReport(const SwellReportInput& in);

struct PistonReportInput {
    QDateTime now;
    QString timeLabel = QStringLiteral("Calibration Time: ");
    QString unitLabel = QStringLiteral("Instrument Unit: ");
    QString pistonLabel = QStringLiteral("Piston Type: ");
    QString unitText;               // the unit digit (or caption)
    QString pistonText;             // the piston list's text
    QStringList positionCaptions;   // Label20 1 .. N
    QStringList logReadings;        // lalData 11 .. 10 + N
};
QStringList PistonReport(const PistonReportInput& in);

// Writes lines ended by CR LF to a file, whole or not at all: they go to a
// new file beside it that takes its name once every line is written. False
// with the reason when that cannot be done; a file of that name stays as it
// was then, and nothing else is left.
bool WriteReportLines(const QString& path, const QStringList& lines, QString& error);

}  // namespace calibration
