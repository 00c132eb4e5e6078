#include "analysis/PvtDensity.h"

#include <cmath>

double PvtRemainingVolume(double travel, double pressure, double pistonRadius, double initialVolume) {
    const double R = pistonRadius + kPvtRadiusPerPsi * pressure;  // under pressure, cm
    const double swept = travel * 2.54 * R * R * 3.14159;          // cm³
    return initialVolume - swept;
}

std::optional<double> CalcPvtDensity(double travel, double initialVolume, double initialDensity, double pressure,
                                     double temperature, const OpenedTest& opened) {
    (void)temperature;
    const double radius = opened.PvtPistonRadius;
    if (!(radius > 0) || !(initialVolume > 0) || !(initialDensity > 0)) return std::nullopt;
    const double remaining = PvtRemainingVolume(travel, pressure, radius, initialVolume);
    if (remaining == 0) return std::nullopt;
    const double density = (initialDensity * initialVolume) / remaining;
    if (!std::isfinite(density)) return std::nullopt;
    return density;
}

std::optional<double> PvtLiveDensity(double travel, double pressure, double pistonRadius, double initialVolume,
                                     double initialDensity) {
    const double v = PvtRemainingVolume(travel, pressure, pistonRadius, initialVolume);
    if (!(v > 0)) return std::nullopt;
    const double d = initialVolume * initialDensity / v;
    if (!std::isfinite(d)) return std::nullopt;
    return d;
}
