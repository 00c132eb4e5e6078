#include "data/Globals.h"
#include "data/Units.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <stdexcept>
#include <vector>

namespace {

// Every test sets the unit settings it needs; the fixture puts the old ones back.
class Units : public ::testing::Test {
protected:
    void SetUp() override {
        savedUnitSystem_ = gUnitSystem;
        savedKUnit_ = gKUnit;
    }
    void TearDown() override {
        gUnitSystem = savedUnitSystem_;
        gKUnit = savedKUnit_;
    }
    static void cgs() { gUnitSystem = 1; }
    static void si() { gUnitSystem = 2; }

private:
    int savedUnitSystem_ = 1;
    short savedKUnit_ = 1;
};

const QVariant kEmpty{QString()};

// ---------------------------------------------------------------- display conversions

TEST_F(Units, TempToDisplayInSi) {
    si();
    EXPECT_DOUBLE_EQ(TempToDisplay(212), 100);
    EXPECT_DOUBLE_EQ(TempToDisplay(32), 0);
    EXPECT_EQ(TempToDisplay(0), -160.0 / 9);  // not rounded
    EXPECT_EQ(TempToDisplay(-1), -1);         // the below-zero marker
    EXPECT_EQ(TempToDisplay(-500), -1);
    EXPECT_DOUBLE_EQ(TempToDisplay(70), 190.0 / 9);
}

TEST_F(Units, EveryUnitSystemButOneIsSi) {
    for (int system : {0, 2, 3, -1}) {
        gUnitSystem = system;
        EXPECT_DOUBLE_EQ(TempToDisplay(212), 100) << system;
        EXPECT_DOUBLE_EQ(StressToDisplay(50), 5) << system;
        EXPECT_EQ(LengthToDisplayText(1), "25.4") << system;
    }
}

TEST_F(Units, CgsPassesValuesThrough) {
    cgs();
    EXPECT_EQ(TempToDisplay(212), 212);
    EXPECT_EQ(TempToDisplay(-40), -40);
    EXPECT_EQ(TempFromDisplay(100), 100);
    EXPECT_EQ(StressToDisplay(-50), -50);
    EXPECT_EQ(LengthFromDisplay(25.4), 25.4);
}

TEST_F(Units, TempFromDisplayInSi) {
    si();
    EXPECT_DOUBLE_EQ(TempFromDisplay(100), 212);
    EXPECT_DOUBLE_EQ(TempFromDisplay(-40), -40);
    EXPECT_DOUBLE_EQ(TempFromDisplay(0), 32);
    EXPECT_NEAR(TempFromDisplay(TempToDisplay(451)), 451, 1e-12);
}

TEST_F(Units, StressToDisplayInSiForEitherSign) {
    si();
    EXPECT_DOUBLE_EQ(StressToDisplay(-50), -5);
    EXPECT_DOUBLE_EQ(StressToDisplay(50), 5);
    EXPECT_EQ(StressToDisplay(0), 0);
}

TEST_F(Units, KToDisplayFollowsTheKUnitInEitherSystem) {
    for (int system : {1, 2}) {
        gUnitSystem = system;
        gKUnit = 2;
        EXPECT_DOUBLE_EQ(KToDisplay(250), 2.5) << system;
        gKUnit = 1;
        EXPECT_EQ(KToDisplay(250), 250) << system;
        gKUnit = 3;
        EXPECT_EQ(KToDisplay(250), 250) << system;
    }
}

TEST_F(Units, LengthToDisplayText) {
    si();
    EXPECT_EQ(LengthToDisplayText(1), "25.4");
    EXPECT_EQ(LengthToDisplayText(0.5), "12.7");
    EXPECT_EQ(LengthToDisplayText(0.123456), "3.14");
    EXPECT_EQ(LengthToDisplayText(2), "50.8");
    EXPECT_EQ(LengthToDisplayText(0), "0.0");
    cgs();
    EXPECT_EQ(LengthToDisplayText(0.123456), "0.1235");
    EXPECT_EQ(LengthToDisplayText(2), "2.0");
    EXPECT_EQ(LengthToDisplayText(-0.05), "-0.05");
    EXPECT_EQ(LengthToDisplayText(0.00004), "0.0");
}

TEST_F(Units, LengthFromDisplayInSi) {
    si();
    EXPECT_DOUBLE_EQ(LengthFromDisplay(25.4), 1);
    EXPECT_DOUBLE_EQ(LengthFromDisplay(12.7), 0.5);
}

// ---------------------------------------------------------------- temperature pair

TEST_F(Units, ConvertTempTextConvertsTheGivenOne) {
    EXPECT_EQ(ConvertTempText(212, kEmpty), "100.0");
    EXPECT_EQ(ConvertTempText(kEmpty, 100), "212.0");
    EXPECT_EQ(ConvertTempText(0, kEmpty), "-17.8");
    EXPECT_EQ(ConvertTempText(kEmpty, 0), "32.0");  // the number 0 is given
    EXPECT_EQ(ConvertTempText(QStringLiteral("212"), kEmpty), "100.0");
    EXPECT_EQ(ConvertTempText(QStringLiteral(" 98.6 "), QStringLiteral("")), "37.0");
    EXPECT_EQ(ConvertTempText(QVariant(), QStringLiteral("-40")), "-40.0");
    EXPECT_EQ(ConvertTempText(600, kEmpty), "315.6");
}

TEST_F(Units, ConvertTempTextWithBothOrNeither) {
    EXPECT_EQ(ConvertTempText(212, 100), "-1.0");
    EXPECT_EQ(ConvertTempText(0, 0), "-1.0");
    EXPECT_EQ(ConvertTempText(kEmpty, kEmpty), "-1.0");
    EXPECT_EQ(ConvertTempText(QVariant(), QVariant()), "-1.0");
}

TEST_F(Units, ConvertTempInt) {
    EXPECT_EQ(ConvertTempInt(600, kEmpty), 316);  // 315.56, the nearest degree
    EXPECT_EQ(ConvertTempInt(0, kEmpty), -18);    // -17.78
    EXPECT_EQ(ConvertTempInt(212, kEmpty), 100);
    EXPECT_EQ(ConvertTempInt(36.5, kEmpty), 3);   // 2.5: halves upward
    EXPECT_EQ(ConvertTempInt(27.5, kEmpty), -2);  // -2.5: halves upward
    EXPECT_EQ(ConvertTempInt(kEmpty, -17.8), -1);  // -0.04, rounded down
    EXPECT_EQ(ConvertTempInt(kEmpty, 100), 212);
    EXPECT_EQ(ConvertTempInt(kEmpty, 0), 32);
    EXPECT_EQ(ConvertTempInt(kEmpty, 37.5), 99);  // 99.5, rounded down
    EXPECT_EQ(ConvertTempInt(QStringLiteral("600"), QStringLiteral("")), 316);
    EXPECT_EQ(ConvertTempInt(600, 316), -1);
    EXPECT_EQ(ConvertTempInt(kEmpty, kEmpty), -1);
    EXPECT_EQ(ConvertTempInt(QVariant(), QVariant()), -1);
}

TEST_F(Units, TemperaturePairRefusesTextThatIsNotANumber) {
    EXPECT_THROW(ConvertTempText(QStringLiteral("abc"), kEmpty), std::invalid_argument);
    EXPECT_THROW(ConvertTempText(kEmpty, QStringLiteral("12x")), std::invalid_argument);
    EXPECT_THROW(ConvertTempInt(QStringLiteral("abc"), kEmpty), std::invalid_argument);
    EXPECT_THROW(ConvertTempInt(1e300, kEmpty), std::out_of_range);
}

// ---------------------------------------------------------------- Log10

TEST(Log10, OfPositiveNumbers) {
    EXPECT_DOUBLE_EQ(Log10(100), 2);
    EXPECT_DOUBLE_EQ(Log10(1000), 3);
    EXPECT_DOUBLE_EQ(Log10(0.01), -2);
    EXPECT_EQ(Log10(1), 0);
    EXPECT_NEAR(Log10(2), 0.30102999566398, 1e-14);
}

TEST(Log10, OfZeroOrANegativeNumberFails) {
    EXPECT_THROW(Log10(0), std::domain_error);
    EXPECT_THROW(Log10(-1), std::domain_error);
    EXPECT_THROW(Log10(std::numeric_limits<double>::quiet_NaN()), std::domain_error);
}

// ---------------------------------------------------------------- LinearRegression

struct Fit {
    double slope = 7, intercept = 8, r = 9;  // what the caller had in them
};

// Points as 1-based arrays; element 0 holds a value that must not be used.
Fit fit(std::vector<double> xs, std::vector<double> ys, Fit f = {}) {
    xs.insert(xs.begin(), 1e6);
    ys.insert(ys.begin(), -1e6);
    LinearRegression(int(xs.size()) - 1, xs, ys, f.slope, f.intercept, f.r);
    return f;
}

TEST(LinearRegression, FitsAStraightLine) {
    Fit f = fit({1, 2, 3}, {2, 4, 6});
    EXPECT_DOUBLE_EQ(f.slope, 2);
    EXPECT_NEAR(f.intercept, 0, 1e-12);
    EXPECT_DOUBLE_EQ(f.r, 1);
}

TEST(LinearRegression, RIsTheMagnitudeOfTheCorrelation) {
    Fit down = fit({1, 2, 3}, {6, 4, 2});
    EXPECT_DOUBLE_EQ(down.slope, -2);
    EXPECT_DOUBLE_EQ(down.intercept, 8);
    EXPECT_DOUBLE_EQ(down.r, 1);

    Fit scattered = fit({1, 2, 3}, {1, 3, 2});
    EXPECT_DOUBLE_EQ(scattered.slope, 0.5);
    EXPECT_DOUBLE_EQ(scattered.intercept, 1);
    EXPECT_DOUBLE_EQ(scattered.r, 0.5);
}

TEST(LinearRegression, AllYEqualGivesTheFlatLineThroughThem) {
    Fit f = fit({1, 2, 3}, {5, 5, 5});
    EXPECT_EQ(f.slope, 0);
    EXPECT_DOUBLE_EQ(f.intercept, 5);
    EXPECT_EQ(f.r, 0);

    Fit zeros = fit({1, 2}, {0, 0});
    EXPECT_EQ(zeros.slope, 0);
    EXPECT_EQ(zeros.intercept, 0);
    EXPECT_EQ(zeros.r, 0);
}

TEST(LinearRegression, YSummingToZeroIsFittedLikeAnyOther) {
    Fit f = fit({1, 2}, {-1, 1});
    EXPECT_DOUBLE_EQ(f.slope, 2);
    EXPECT_DOUBLE_EQ(f.intercept, -3);
    EXPECT_DOUBLE_EQ(f.r, 1);

    Fit log = fit({0, 1, 2}, {-1, 0, 1});  // log10 of 0.1, 1, 10
    EXPECT_DOUBLE_EQ(log.slope, 1);
    EXPECT_NEAR(log.intercept, -1, 1e-12);
    EXPECT_DOUBLE_EQ(log.r, 1);
}

TEST(LinearRegression, AllXEqualLeavesSlopeAndIntercept) {
    Fit f = fit({2, 2}, {1, 3});
    EXPECT_EQ(f.slope, 7);
    EXPECT_EQ(f.intercept, 8);
    EXPECT_EQ(f.r, 0);

    Fit one = fit({4}, {5});  // a single point
    EXPECT_EQ(one.slope, 7);
    EXPECT_EQ(one.intercept, 8);
    EXPECT_EQ(one.r, 0);
}

TEST(LinearRegression, NoPointsOrShortArraysFail) {
    double slope = 7, intercept = 8, r = 9;
    const std::vector<double> x{0, 1, 2}, y{0, 2, 4};
    EXPECT_THROW(LinearRegression(0, x, y, slope, intercept, r), std::domain_error);
    EXPECT_THROW(LinearRegression(-1, x, y, slope, intercept, r), std::domain_error);
    EXPECT_THROW(LinearRegression(3, x, y, slope, intercept, r), std::out_of_range);
    EXPECT_THROW(LinearRegression(2, x, std::vector<double>{0, 2}, slope, intercept, r), std::out_of_range);
    EXPECT_EQ(slope, 7);
    EXPECT_EQ(intercept, 8);
    EXPECT_EQ(r, 9);
}

}  // namespace
