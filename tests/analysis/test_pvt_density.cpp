// The density of a PVT sample under its piston.

#include "analysis/PvtDensity.h"

#include <gtest/gtest.h>

namespace {

// An opened PVT test: the density reads only its piston radius.
OpenedTest piston(double radius) {
    OpenedTest t;
    t.TestType = 1;
    t.PvtPistonRadius = radius;
    return t;
}

TEST(PvtDensity, FromTheVolumeLeftUnderThePiston) {
    const OpenedTest t = piston(0.5);
    // R = 0.5 + 2.48777E-06 × 10000; V = 0.1 × 2.54 × R² × 3.14159.
    EXPECT_NEAR(*CalcPvtDensity(0.1, 20, 1.0, 10000, 300, t), 1.0111139793375803, 1e-12);
    EXPECT_EQ(*CalcPvtDensity(0, 20, 1.2, 5000, 300, t), 1.2);  // no travel: the initial density
    EXPECT_LT(*CalcPvtDensity(100, 20, 1.0, 0, 300, t), 0);     // beyond the initial volume: negative

    const OpenedTest unit = piston(1);
    EXPECT_FALSE(CalcPvtDensity(1, 2.54 * 3.14159, 1.0, 0, 0, unit));  // remaining volume exactly 0
    struct Case {
        double radius, volume, density;
    };
    for (const Case c : {Case{0.5, 0, 1}, Case{0.5, -3, 1}, Case{0, 20, 1}, Case{-1, 20, 1}, Case{0.5, 20, 0}}) {
        EXPECT_FALSE(CalcPvtDensity(0, c.volume, c.density, 0, 0, piston(c.radius)))
            << c.radius << " " << c.volume << " " << c.density;
    }
}

// A running test's density: the stored test's formula, but no value once no
// sample volume is left, never a negative one.
TEST(PvtDensity, ARunningTestsDensityWhileSampleVolumeIsLeft) {
    EXPECT_NEAR(*PvtLiveDensity(0.1, 10000, 0.5, 20, 1.0), 1.0111139793375803, 1e-12);
    EXPECT_EQ(*PvtLiveDensity(0, 5000, 0.5, 20, 1.2), 1.2);
    struct Case {
        const char* name;
        double travel, volume;
    };
    for (const Case c : {Case{"beyond the initial volume", 100, 20}, Case{"no volume left", 1, 2.54 * 3.14159},
                         Case{"no initial volume yet", 0, 0}, Case{"an overflow", 0, 1e300}}) {
        EXPECT_FALSE(PvtLiveDensity(c.travel, 0, 1, c.volume, 1e300)) << c.name;
    }
}

}  // namespace
