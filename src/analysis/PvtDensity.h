#pragma once
// The density of a PVT sample under its piston, free of any window: the
// growth of the piston radius under pressure, the sample volume left after
// the piston travelled, the density from the initial volume and density, and
// the mask a density is written with. The main window's PVT grid and charts
// and the reports take a stored test's density from here, the PVT window's
// reply reading and live chart a running test's.
//
// Travel in inches, pressure in psi, radius in cm, volume in cm³ and density
// in g/cm³, as stored.

#include "data/OpenedTest.h"

#include <QString>
#include <optional>

// Growth of the piston radius under pressure, cm per psi (stored with every
// PVT test as its PRETEST_PH).
inline constexpr double kPvtRadiusPerPsi = 2.48777E-06;

// The sample volume (cm³) left after the piston travelled `travel` inches at
// `pressure` psi: initialVolume - travel x 2.54 x R x R x 3.14159, with the
// radius under pressure R = pistonRadius + kPvtRadiusPerPsi x pressure (cm).
double PvtRemainingVolume(double travel, double pressure, double pistonRadius, double initialVolume);

// Density (g/cm³) of a PVT sample after the piston travelled `travel` inches
// at `pressure` psi, from the initial volume (cm³) and density (g/cm³), with
// the piston radius of the opened test; the temperature is not used. No value
// when the remaining volume is 0, when the piston radius, the initial volume
// or the initial density is not positive (not known), or when the result
// overflows. A travel beyond the initial volume gives a negative density.
std::optional<double> CalcPvtDensity(double travel, double initialVolume, double initialDensity, double pressure,
                                     double temperature, const OpenedTest& opened);

// Density (g/cm³) of the sample of a running PVT test after the piston
// travelled `travel` inches at `pressure` psi: initialVolume x
// initialDensity / the remaining volume. No value while no sample volume is
// left (0 or less: no initial volume yet, or a travel beyond it), or when the
// result overflows.
std::optional<double> PvtLiveDensity(double travel, double pressure, double pistonRadius, double initialVolume,
                                     double initialDensity);

// The mask of a PVT density (g/cm³) wherever one is written: the PVT grid,
// the CSV report and the workbooks.
inline const QString kPvtDensityMask = QStringLiteral("###0.0000");
