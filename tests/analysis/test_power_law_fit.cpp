// The power-law analysis of a cycle's fit list and the texts of its columns.
// (The analysis as the rheology grid shows it, on the lines of a cycle, is
// tested with the grid's lines.)

#include "analysis/PowerLawFit.h"
#include "data/Globals.h"
#include "support/QtPrint.h"
#include "support/SavedGlobals.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr double kB1 = 1.7245;  // bob B1, cm

class PowerLawFit : public ::testing::Test {
protected:
    void SetUp() override { gKUnit = 1; }

private:
    testing_support::SavedGlobals saved_;
};

// Three points on the line log10 stress = slope x log10 rate + b.
std::vector<FitPoint> onLine(double slope, double b) {
    std::vector<FitPoint> fit;
    for (double x : {1.0, 2.0, 3.0}) fit.push_back({x, slope * x + b});
    return fit;
}

TEST_F(PowerLawFit, AcceptedOnlyInsideItsBounds) {
    // Accepted: 0.002 < n' < 5 and an intercept (log10 of K in cP, b + 2) below 32.
    struct Case {
        const char* what;
        double slope, b;
        bool accepted;
    };
    const Case cases[] = {
        {"n' just below 0.002", 0.0019, 0, false}, {"n' just above 0.002", 0.0021, 0, true},
        {"n' just below 5", 4.99, -10, true},      {"n' just above 5", 5.01, -10, false},
        {"intercept 31.9", 0.5, 29.9, true},       {"intercept 32.1", 0.5, 30.1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PowerLawResult res = AnalysePowerLaw(onLine(c.slope, c.b), kB1);
        EXPECT_TRUE(res.fitted);
        EXPECT_NEAR(res.nPrime, c.slope, 1e-9);
        EXPECT_NEAR(res.intercept, c.b + 2, 1e-9);
        EXPECT_EQ(res.accepted, c.accepted);
        // A refused fit shows n', Kv and R², and "N/A" in the geometry columns.
        const QStringList cells = PowerLawCells(res);
        ASSERT_EQ(cells.size(), 8);
        EXPECT_EQ(cells[3] == "N/A", !c.accepted);
    }
}

TEST_F(PowerLawFit, NeverReportsInfOrNan) {
    // A tiny bob makes s^(2/n') overflow in the textbook form of the correction.
    std::vector<FitPoint> fit{{1, 1.0}, {2, 1.01}, {3, 1.02}};  // n' = 0.01
    const PowerLawResult res = AnalysePowerLaw(fit, 0.001);
    EXPECT_TRUE(res.accepted);
    for (const QString& c : PowerLawCells(res)) {
        EXPECT_FALSE(c.contains("inf", Qt::CaseInsensitive)) << c.toStdString();
        EXPECT_FALSE(c.contains("nan", Qt::CaseInsensitive)) << c.toStdString();
    }
    // A rejected fit whose K overflows shows "N/A" for it.
    const PowerLawResult huge = AnalysePowerLaw({{1, 400}, {2, 401}, {3, 402}}, kB1);
    EXPECT_FALSE(huge.accepted);
    EXPECT_EQ(PowerLawCells(huge)[1], "N/A");
    EXPECT_FALSE(AnalysePowerLaw({{1, 1}, {2, 2}}, kB1).fitted);
}

}  // namespace
