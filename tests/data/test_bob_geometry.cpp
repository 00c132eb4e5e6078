// The bob geometry: the cup, the bob table, the fit of a bob in the cup and
// the shear rate per rpm.

#include "data/BobGeometry.h"

#include <gtest/gtest.h>

TEST(BobGeometry, TheBobTable) {
    EXPECT_EQ(bob::kCupRadiusCm, 1.8415);
    struct Row {
        const char* name;
        int unitNumber;
        double radius, length;
    } rows[] = {
        {"B1", 1, 1.7245, 3.8}, {"B2", 2, 1.2276, 3.8}, {"B3", 0, 0.8622, 3.8},
        {"B4", 0, 0.8622, 3.81}, {"B5", 5, 1.5987, 3.8},
    };
    ASSERT_EQ(bob::kBobs.size(), std::size(rows));
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].name);
        const bob::KnownBob& b = bob::kBobs[i];
        EXPECT_STREQ(b.name, rows[i].name);
        EXPECT_EQ(b.unitNumber, rows[i].unitNumber);
        EXPECT_EQ(b.radiusCm, rows[i].radius);
        EXPECT_EQ(b.lengthCm, rows[i].length);
    }
    EXPECT_EQ(bob::BobNames(), (QStringList{"B1", "B2", "B3", "B4", "B5"}));
    EXPECT_EQ(bob::UnitBobNames(), (QStringList{"B1", "B2", "B5"}));
}

TEST(BobGeometry, ABobFoundByNameOrNumber) {
    EXPECT_EQ(bob::FindBob("B4"), &bob::kBobs[3]);
    EXPECT_EQ(bob::FindBob("b4"), nullptr);  // exactly as written
    EXPECT_EQ(bob::FindBob("b4", true), &bob::kBobs[3]);
    EXPECT_EQ(bob::FindBob("B6", true), nullptr);
    EXPECT_EQ(bob::FindBob("", true), nullptr);

    EXPECT_EQ(bob::UnitNumberOf("B1"), 1);
    EXPECT_EQ(bob::UnitNumberOf("b2"), 2);
    EXPECT_EQ(bob::UnitNumberOf("B5"), 5);
    EXPECT_EQ(bob::UnitNumberOf("B3"), 0);
    EXPECT_EQ(bob::UnitNumberOf("X"), 0);

    EXPECT_EQ(bob::BobOfUnitNumber(5), &bob::kBobs[4]);
    EXPECT_EQ(bob::BobOfUnitNumber(0), nullptr);  // B3 and B4 have none
    EXPECT_EQ(bob::BobOfUnitNumber(3), nullptr);
}

TEST(BobGeometry, ABobFitsTheCupBetweenZeroAndTheCupRadius) {
    for (double r : {0.0, -1.0, 1.8415, 2.0}) EXPECT_FALSE(bob::FitsCup(r)) << r;
    for (double r : {1.7245, 1.2276, 0.01, 1.8414}) EXPECT_TRUE(bob::FitsCup(r)) << r;
}

// The rates a run records are the unit's rpm times this factor, stored as
// they come: the factor keeps every bit it always had.
TEST(BobGeometry, TheShearRatePerRpmToTheLastBit) {
    EXPECT_EQ(bob::ShearRatePerRpm(1.7245), 1.7022937028532361);
    EXPECT_EQ(bob::ShearRatePerRpm(1.2276), 0.3769580486287441);
    EXPECT_EQ(bob::ShearRatePerRpm(0.8622), 0.2682424071129703);
    EXPECT_EQ(bob::ShearRatePerRpm(1.5987), 0.8502944008320187);
    EXPECT_EQ(bob::ShearRatePerRpm(1.0), 42.61406299750999 / (60.0 * (3.39112225 - 1.0)));
    EXPECT_EQ(bob::ShearRatePerRpm(1.8), 42.61406299750999 / (60.0 * (3.39112225 - 1.8 * 1.8)));
}
