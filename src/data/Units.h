#pragma once
// Unit conversions between the stored units (°F, psi, dyn/cm², inch, rpm) and
// the display units, plus a base-10 logarithm and a least-squares line.
//
// The display follows gUnitSystem (1 CGS, any other value SI) and gKUnit
// (Globals.h). The functions keep no state; only the two text functions
// format, the others never round.
//
// Failures reach the caller as exceptions (the functions trap nothing):
//  - std::domain_error: Log10 of a value that is not positive, LinearRegression
//    with n < 1;
//  - std::out_of_range: LinearRegression with arrays shorter than n + 1;
//    ConvertTempInt whose result does not fit an int;
//  - std::invalid_argument: ConvertTempText / ConvertTempInt given a text that
//    is neither empty nor a number.

#include <QString>
#include <QVariant>
#include <vector>

// Shear stress (dyn/cm²) per unit of the dial (Fann) reading: a stored shear
// stress or gel reading divided by it is the dial reading in degrees.
inline constexpr double kStressPerDialUnit = 5.11;
// The dial reading of a shear stress or gel reading: stress / 5.11.
inline double DialReading(double stress) { return stress / kStressPerDialUnit; }

// Base-10 logarithm. Throws std::domain_error when x <= 0 (or x is NaN).
double Log10(double x);

// Least-squares line y = slope * x + intercept over the points 1 .. n of the
// 1-based arrays x and y (x[1..n], y[1..n]; element 0 is not used, so each
// array needs at least n + 1 elements).
//  - r is set to 0 first, then to the magnitude of the correlation
//    coefficient (never negative; square it for R²).
//  - All x equal (including n = 1): r stays 0 and slope and intercept keep the
//    values the caller had in them.
//  - All y equal: slope 0, intercept the mean of y, r 0.
// Throws std::domain_error when n < 1 and std::out_of_range when an array is
// shorter than n + 1; the outputs are then untouched.
void LinearRegression(int n, const std::vector<double>& x, const std::vector<double>& y, double& slope,
                      double& intercept, double& r);

// The temperature pair: give exactly one of F (°F) and C (°C), the other as
// the empty text (or an empty QVariant); a number or a numeric text counts as
// given, the number 0 too.
//  - ConvertTempText: the other temperature formatted "##0.0"; "-1.0" when
//    both or neither are given.
//  - ConvertTempInt: C given: floor(C * 1.8 + 32); F given: the nearest whole
//    degree, halves upward (floor((F - 32) / 1.8 + 0.5)); -1 when both or
//    neither are given.
QString ConvertTempText(const QVariant& F, const QVariant& C);
int ConvertTempInt(const QVariant& F, const QVariant& C);

// Stored °F to display units. SI: (t - 32) * 5 / 9 for t >= 0, and the
// marker -1 (not a conversion) for every t below 0 °F.
double TempToDisplay(double t);
// Display units to °F. SI: t / 5 * 9 + 32.
double TempFromDisplay(double t);
// Shear stress, dyn/cm² to display units. SI: Pa (s / 10).
double StressToDisplay(double s);
// K in lbf·s^n/100 ft² to the chosen K unit: k / 100 when gKUnit is 2,
// whatever the unit system.
double KToDisplay(double k);
// Length in inch as display text: CGS inch formatted "#0.0###", SI millimetres
// formatted "#0.0#".
QString LengthToDisplayText(double length);
// Length in display units to inch. SI: length / 25.4.
double LengthFromDisplay(double length);
// Length in inch to display units as a number. SI: millimetres, to a
// millionth of a millimetre, so that a length entered in millimetres and
// stored in inches reads back as entered (10.16 mm, not 10.159999999999998).
double LengthToDisplay(double length);
