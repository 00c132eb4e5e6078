// The 2-D chart control's scale arithmetic: where the ticks of an automatic
// or a manual scale go, and the least span of a Y scale.

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "platform/PeChartScale.h"

TEST(PeChartScale, AutomaticScalesEndOnRoundStepsCloseToTheData) {
    struct Case {
        double lo, hi;
        int maxIntervals;
        double wantLo, wantHi, wantStep;
        int decimals;
    };
    const Case cases[] = {
        {0, 102, 10, 0, 120, 20, 0},           // a 102-minute test: not to 150
        {0.3, 101.7, 10, 0, 120, 20, 0},
        {20.5, 59.9, 10, 20, 60, 10, 0},       // as close with 5: the fewer ticks
        {2994, 3006, 10, 2994, 3006, 2, 0},    // the scale alone follows the data
        {0.012, 0.047, 10, 0.01, 0.05, 0.01, 2},
        {-35, 12, 10, -35, 15, 5, 0},
        {80, 250, 5, 50, 250, 50, 0},          // fewer steps where room is short
        {7, 7, 10, 6.25, 7.75, 0.25, 2},       // one value: a tenth either side
        {0, 0, 10, -1, 1, 0.5, 1},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.lo << ".." << k.hi << " max " << k.maxIntervals);
        const pechart::LinearTicks t = pechart::NiceScale(k.lo, k.hi, k.maxIntervals);
        EXPECT_NEAR(t.lo, k.wantLo, 1e-9);
        EXPECT_NEAR(t.hi, k.wantHi, 1e-9);
        EXPECT_NEAR(t.step, k.wantStep, 1e-12);
        EXPECT_EQ(t.first, t.lo);
        EXPECT_EQ(t.decimals, k.decimals);
        const double intervals = (t.hi - t.lo) / t.step;
        EXPECT_NEAR(intervals, std::round(intervals), 1e-6);
        EXPECT_GE(std::lround(intervals), 3);
        EXPECT_LE(std::lround(intervals), k.maxIntervals);
    }
}

TEST(PeChartScale, ManualRangeKeepsItsEndsWithTicksOnRoundValues) {
    struct Case {
        double lo, hi;
        double first, step;
    };
    const Case cases[] = {
        {70, 850, 100, 100},   // not 70, 265, 460 ...
        {35, 215, 40, 20},
        {-0.37, 1.24, -0.2, 0.2},
        {2990, 3012, 2990, 2.5},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.lo << ".." << k.hi);
        const pechart::LinearTicks t = pechart::RoundTicksWithin(k.lo, k.hi, 10);
        EXPECT_EQ(t.lo, k.lo);
        EXPECT_EQ(t.hi, k.hi);
        EXPECT_NEAR(t.first, k.first, 1e-9);
        EXPECT_NEAR(t.step, k.step, 1e-12);
    }
    // Upside down it is the same range.
    const pechart::LinearTicks t = pechart::RoundTicksWithin(850, 70, 10);
    EXPECT_EQ(t.lo, 70);
    EXPECT_EQ(t.hi, 850);
}

TEST(PeChartScale, NearlyConstantValuesGetATenthOfTheirSizeAsSpan) {
    const auto near = [](std::pair<double, double> got, double lo, double hi) {
        EXPECT_NEAR(got.first, lo, 1e-9);
        EXPECT_NEAR(got.second, hi, 1e-9);
    };
    near(pechart::WithMinimumSpan(2994, 3006), 2849.7, 3150.3);
    near(pechart::WithMinimumSpan(-3006, -2994), -3150.3, -2849.7);
    EXPECT_EQ(pechart::WithMinimumSpan(20, 60), std::make_pair(20.0, 60.0));  // wide enough already
    EXPECT_EQ(pechart::WithMinimumSpan(0, 0), std::make_pair(-1.0, 1.0));
}
