// The 2-D chart control's scale arithmetic: where the ticks of an automatic
// or a manual scale go, the least span of a Y scale, the courses of curves
// and the scales that keep them apart.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
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

// A narrow plot area takes fewer steps, down to one, still on round values.
TEST(PeChartScale, FewerThanThreeStepsWhereOnlyTheyFit) {
    for (int most : {2, 1}) {
        SCOPED_TRACE(most);
        const pechart::LinearTicks t = pechart::NiceScale(0, 70, most);
        const double intervals = (t.hi - t.lo) / t.step;
        EXPECT_LE(intervals, most + 1e-9);
        EXPECT_GE(intervals, 1 - 1e-9);
        EXPECT_LE(t.lo, 0);
        EXPECT_GE(t.hi, 70);
        EXPECT_EQ(std::fmod(t.lo, t.step), 0.0);
    }
}

// The ends move out by the room asked for where the values come closer to
// them; ends the values keep it from stay where they are.
TEST(PeChartScale, EndsMoveOutOnlyAsFarAsAMarkerNeeds) {
    struct Case {
        const char* name;
        double scaleLo, scaleHi, lo, hi;
        bool log;
        bool movesLo, movesHi;
    };
    const Case cases[] = {
        {"values on both ends", 0, 120, 0, 120, false, true, true},
        {"first value on the end", 0, 120, 0, 102, false, true, false},
        {"values well inside", 0, 120, 10, 102, false, false, false},
        {"last value a pixel from the end", 0, 100, 20, 99.8, false, false, true},
        {"decades on both ends", 1, 1000, 1, 1000, true, true, true},
        {"decades well beyond", 1, 1000, 3, 700, true, false, false},
    };
    const double pixels = 500, room = 6.5;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const auto [a, b] = pechart::RoomAtEnds(k.scaleLo, k.scaleHi, k.lo, k.hi, pixels, room, k.log);
        EXPECT_EQ(a < k.scaleLo, k.movesLo);
        EXPECT_EQ(b > k.scaleHi, k.movesHi);
        EXPECT_LE(a, k.scaleLo);
        EXPECT_GE(b, k.scaleHi);
        // the values lie at least `room` pixels inside the new ends
        const auto f = [&](double v) { return k.log ? std::log10(v) : v; };
        const double unit = (f(b) - f(a)) / pixels;
        EXPECT_GE(f(k.lo) - f(a), room * unit * (1 - 1e-9));
        EXPECT_GE(f(b) - f(k.hi), room * unit * (1 - 1e-9));
        // a moved end by just the room
        if (k.movesLo) EXPECT_NEAR(f(k.scaleLo) - f(a), room * unit, 1e-9 * (f(b) - f(a)));
        if (k.movesHi) EXPECT_NEAR(f(b) - f(k.scaleHi), room * unit, 1e-9 * (f(b) - f(a)));
    }
    // A plot area too small to leave the room keeps the ends.
    EXPECT_EQ(pechart::RoomAtEnds(0, 120, 0, 120, 10, 6.5), std::make_pair(0.0, 120.0));
    // Values that change a little within the room leave the ends as they were.
    EXPECT_EQ(pechart::RoomAtEnds(0, 120, 0, 119.5, 500, 6.5), pechart::RoomAtEnds(0, 120, 0.2, 119.9, 500, 6.5));
}

// Nearly constant curves on scales of their own are each given a height of
// their own, on scales ending on round steps with the values inside.
TEST(PeChartScale, ConstantCurvesAreGivenHeightsApart) {
    struct Case {
        const char* name;
        QList<std::pair<double, double>> ranges;
        int maxIntervals;
    };
    const Case cases[] = {
        // a swell test's first chart: swell, pressure, temperature, speed
        {"four constants", {{5000, 5000}, {1000, 1000}, {150, 150}, {100, 100}}, 8},
        // the first minute of a live rheology chart in a small window
        {"seven in a small chart",
         {{35.3, 35.3}, {81, 83}, {170, 170}, {11.74, 11.74}, {99.87, 99.87}, {1000, 1000}, {60, 60}},
         5},
        {"the same value twice", {{60, 60}, {60, 60}}, 5},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const QList<pechart::LinearTicks> scales = pechart::FlatScales(k.ranges, k.maxIntervals);
        ASSERT_EQ(scales.size(), k.ranges.size());
        QList<double> heights;
        for (qsizetype i = 0; i < scales.size(); ++i) {
            const pechart::LinearTicks& t = scales[i];
            const auto [lo, hi] = k.ranges[i];
            EXPECT_LT(t.lo, lo);
            EXPECT_GT(t.hi, hi);
            EXPECT_GE(t.hi - t.lo, pechart::WithMinimumSpan(lo, hi).second - pechart::WithMinimumSpan(lo, hi).first - 1e-9);
            const double steps = (t.hi - t.lo) / t.step;
            EXPECT_NEAR(steps, std::round(steps), 1e-6);
            EXPECT_LE(std::lround(steps), k.maxIntervals);
            EXPECT_NEAR(std::remainder(t.lo, t.step), 0.0, 1e-9 * t.step);
            heights.append(((lo + hi) / 2 - t.lo) / (t.hi - t.lo));
        }
        // at least a twentieth of the height apart
        for (qsizetype i = 0; i < heights.size(); ++i)
            for (qsizetype j = i + 1; j < heights.size(); ++j)
                EXPECT_GE(std::abs(heights[i] - heights[j]), 0.05) << i << " and " << j;
        EXPECT_GT(heights.first(), heights.last());  // the first drawn higher
    }
}

// A curve is hidden when what it paints lies under curves drawn after it;
// it and those over it are told apart.
TEST(PeChartScale, CurvesUnderOthersAreFound) {
    const auto line = [](std::initializer_list<QPointF> pts) { return pechart::CurvePixels{QList<QPointF>(pts), true}; };
    const auto markers = [](std::initializer_list<QPointF> pts) {
        return pechart::CurvePixels{QList<QPointF>(pts), false};
    };
    using C = pechart::Coinciding;
    struct Case {
        const char* name;
        QList<pechart::CurvePixels> curves;
        QList<C> want;
    };
    const Case cases[] = {
        {"two flat lines on one height", {line({{0, 100}, {400, 100}}), line({{0, 100}, {400, 100}})}, {{0, 2}, {1, 2}}},
        {"a pixel apart", {line({{0, 100}, {400, 100}}), line({{0, 101}, {400, 101}})}, {{0, 2}, {1, 2}}},
        {"apart", {line({{0, 100}, {400, 100}}), line({{0, 130}, {400, 130}})}, {{0, 1}, {0, 1}}},
        {"crossing", {line({{0, 0}, {400, 200}}), line({{0, 200}, {400, 0}})}, {{0, 1}, {0, 1}}},
        // the later one partly off the first: the first still shows
        {"the first longer", {line({{0, 100}, {400, 100}}), line({{0, 100}, {200, 100}})}, {{0, 1}, {0, 1}}},
        // the first covered by the later, which goes on beyond it
        {"the first shorter", {line({{0, 100}, {200, 100}}), line({{0, 100}, {400, 100}})}, {{0, 2}, {1, 2}}},
        {"three on one height, one apart",
         {line({{0, 50}, {400, 50}}), line({{0, 100}, {400, 100}}), line({{0, 50}, {400, 50}}),
          line({{0, 50}, {400, 50}})},
         {{0, 3}, {0, 1}, {1, 3}, {2, 3}}},
        {"markers on markers", {markers({{10, 10}, {50, 60}}), markers({{10, 10}, {50, 60}})}, {{0, 2}, {1, 2}}},
        {"markers apart", {markers({{10, 10}, {50, 60}}), markers({{10, 40}, {50, 90}})}, {{0, 1}, {0, 1}}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(pechart::CoincidingCurves(k.curves, 400, 300), k.want);
    }
}

// Curves on scales of their own that would lie on one another (holding on
// the tops of their scales, rising together) are kept apart by the later
// scale's other round ticks, or, where it may not move, by the earlier's;
// curves that only cross, and a curve over a noisy band, keep their own.
TEST(PeChartScale, ScalesKeepTheirCurvesApart) {
    const auto course = [](const std::function<double(double)>& f, int n) {
        QList<QPointF> pts;
        for (int i = 0; i < n; ++i) pts.append(QPointF(i * 100.0 / (n - 1), f(i * 100.0 / (n - 1))));
        pechart::AxisMap x;
        x.scale = 199.999 / 100;
        return pechart::CourseOf(pts, true, x, 200);
    };
    struct Case {
        const char* name;
        std::function<double(double)> first, second;
        int moves;  // the scale that takes other ticks, -1 for none
        bool secondMovable = true;
        int firstPoints = 101;
    };
    const Case cases[] = {
        {"holding on the tops of their scales", [](double t) { return std::min(2000.0, 400 * t); },
         [](double t) { return std::min(150.0, 80 + 7 * t); }, 1},
        {"rising together", [](double t) { return 100 + 2 * t; }, [](double t) { return 200 + 4 * t; }, 1},
        {"crossing", [](double t) { return t; }, [](double t) { return 100 - t; }, -1},
        {"over a noisy band", [](double t) { return 50 + 40 * std::sin(t * 40); }, [](double) { return 20.0; }, -1,
         true, 2001},
        {"the later may not move", [](double t) { return 100 + 2 * t; }, [](double t) { return 200 + 4 * t; }, 0,
         false},
    };
    const double pixels = 300;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const pechart::CurveCourse a = course(k.first, k.firstPoints);
        const pechart::CurveCourse b = course(k.second, 101);
        QList<pechart::ScaleCourses> scales(2);
        const pechart::CurveCourse* courses[] = {&a, &b};
        for (int s = 0; s < 2; ++s) {
            const double lo = *std::min_element(courses[s]->lo.begin(), courses[s]->lo.end());
            const double hi = *std::max_element(courses[s]->hi.begin(), courses[s]->hi.end());
            scales[s].curves = {courses[s]};
            scales[s].lo = lo;
            scales[s].hi = hi;
            scales[s].ticks = pechart::NiceScale(lo, hi, 8);
            scales[s].movable = s == 0 || k.secondMovable;
        }
        const QList<pechart::LinearTicks> got = pechart::ScalesApart(scales, pixels, 8);
        ASSERT_EQ(got.size(), 2);
        for (int s = 0; s < 2; ++s) {
            const pechart::LinearTicks& t = got[s];
            const bool moved = t.lo != scales[s].ticks.lo || t.hi != scales[s].ticks.hi;
            EXPECT_EQ(moved, s == k.moves) << s << ": " << t.lo << " .. " << t.hi;
            if (!moved) continue;
            // On round steps round the values.
            EXPECT_LE(t.lo, scales[s].lo);
            EXPECT_GE(t.hi, scales[s].hi);
            EXPECT_NEAR(std::remainder(t.lo, t.step), 0.0, 1e-9 * t.step);
            EXPECT_NEAR(std::remainder(t.hi, t.step), 0.0, 1e-9 * t.step);
        }
        if (k.moves < 0) continue;
        // The two curves apart where they end.
        const auto heightOf = [&](const pechart::LinearTicks& t, double v) { return (v - t.lo) / (t.hi - t.lo) * pixels; };
        EXPECT_GT(std::abs(heightOf(got[1], b.hi.back()) - heightOf(got[0], a.hi.back())), 8);
    }
}

// A live curve moving on (its first points gone, new ones added) keeps the
// course CourseOf traces anew, through lines that cross several columns,
// gaps and points far off; any other change is refused and leaves the
// course as it was.
TEST(PeChartScale, ACourseMovesOnAsItWouldBeTracedAnew) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr int kBins = 40;
    pechart::AxisMap x;
    x.scale = (kBins - 1e-9) / 400.0;  // X from 0 to 400
    // A curve rising in X, with a few long jumps (lines across columns).
    const auto curve = [&](int from, int to) {
        QList<QPointF> pts;
        for (int i = from; i < to; ++i) {
            const double px = i < 60 ? i * 2.0 : 120 + (i - 60) * 9.0;  // then jumps of about a column
            pts.append(QPointF(px, 50 + 30 * std::sin(i * 0.7) + (i % 5 == 0 ? 25 : 0)));
        }
        return pts;
    };
    const auto same = [](const pechart::CurveCourse& a, const pechart::CurveCourse& b) {
        if (a.lo.size() != b.lo.size() || a.points != b.points) return false;
        for (size_t k = 0; k < a.lo.size(); ++k) {
            const bool loSame = a.lo[k] == b.lo[k] || (std::isnan(a.lo[k]) && std::isnan(b.lo[k]));
            const bool hiSame = a.hi[k] == b.hi[k] || (std::isnan(a.hi[k]) && std::isnan(b.hi[k]));
            if (!loSame || !hiSame) return false;
        }
        return true;
    };
    struct Case {
        const char* name;
        QList<QPointF> before, after;
        bool movesOn;
    };
    QList<QPointF> gapAtTheJoin = curve(0, 50), gapAtTheJoinOn = curve(3, 52);
    gapAtTheJoin[3].setY(nan);
    gapAtTheJoinOn[0].setY(nan);
    QList<QPointF> gapBefore = curve(0, 50);
    gapBefore[2].setY(nan);
    QList<QPointF> farOff = curve(0, 30);
    farOff.append(QPointF(1e9, 10));
    QList<QPointF> changed = curve(1, 31);
    changed[10].setY(0);
    QList<QPointF> falling = curve(1, 30);
    falling.append(QPointF(0.5, 10));
    QList<QPointF> many;
    for (int i = 0; i < 16 * kBins * 2 + 10; ++i) many.append(QPointF(i * 400.0 / (16 * kBins * 2 + 10), i % 17));
    QList<QPointF> manyOn = many.mid(1);
    manyOn.append(QPointF(400, 3));
    const Case cases[] = {
        {"one point gone, one added", curve(0, 50), curve(1, 51), true},
        {"points gone across lines of several columns", curve(40, 80), curve(66, 90), true},
        {"points added only", curve(0, 50), curve(0, 70), true},
        {"points gone only", curve(0, 70), curve(20, 70), true},
        {"no change", curve(0, 50), curve(0, 50), true},
        {"a gap where the curve now begins", gapAtTheJoin, gapAtTheJoinOn, true},
        {"a gap among the points gone", gapBefore, curve(5, 52), true},
        {"a point added far off", curve(0, 30), farOff, true},
        {"a point left changed", curve(0, 31), changed, false},
        {"nothing left of before", curve(0, 20), curve(20, 40), false},
        {"an added point going back", curve(0, 30), falling, false},
        {"read at every k-th point", many, manyOn, false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        pechart::CurveCourse course = pechart::CourseOf(k.before, true, x, kBins);
        const pechart::CurveCourse traced = course;
        EXPECT_EQ(pechart::CourseMovedOn(course, k.before, k.after, true, x, kBins), k.movesOn);
        EXPECT_TRUE(same(course, k.movesOn ? pechart::CourseOf(k.after, true, x, kBins) : traced));
    }
}
