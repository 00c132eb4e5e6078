#pragma once
// The computations of the calibration window, free of widgets: the torque
// fit and the speeds of its points, the two-point segments of the swell
// sensor and the PVT piston. The reports' texts are in TorqueReport.h and
// CalibrationReports.h, the torque run's status texts in TorqueRunStatus.h.

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

// The rotor speed of each point, told from the stress steps: 0 first; a
// stress within 0.1 of the one before keeps the speed; a rise adds 10 rpm
// below 600 rpm, anything else takes 10 off.
std::vector<double> ReportSpeeds(const std::vector<double>& stress);

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

}  // namespace calibration
