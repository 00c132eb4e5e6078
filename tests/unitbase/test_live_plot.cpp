// The live plot course the test kinds' charts share: a plot that keeps what
// the chart held from the last one leaves the chart as a plot of every point
// into a new chart does, whatever changed in between.

#include "unitbase/LivePlot.h"

#include "data/Globals.h"
#include "data/Units.h"
#include "platform/PeChart.h"
#include "support/SavedGlobals.h"

#include <gtest/gtest.h>

namespace {

constexpr int kMost = 5;

struct State {
    int unitSystem = 1;
    double factor = 1;  // a figure of the kind's own the values are worked out from
    int samples = 4;
};

std::vector<ResultPoint> samples(int n) {
    std::vector<ResultPoint> out(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        out[size_t(i)][resultcol::ResultTime] = 30.0 * (i + 1);
        out[size_t(i)][resultcol::SampleTemp] = 100 + 10 * i;
        out[size_t(i)][resultcol::Press] = 1000 + i;
    }
    return out;
}

// Temperature (display units) on subset 0, the pressure times the factor on 1.
void plot(PeChart& chart, liveplot::Held* held, const State& s) {
    gUnitSystem = s.unitSystem;
    liveplot::PlotRecent(chart, held, 7, {s.factor}, samples(s.samples), kMost, 2,
                         [&](int subset, const ResultPoint& p) {
                             return subset == 0 ? TempToDisplay(p[resultcol::SampleTemp])
                                                : p[resultcol::Press] * s.factor;
                         });
}

}  // namespace

TEST(LivePlot, AKeptPlotReadsAsAPlotOfEveryPoint) {
    testing_support::SavedGlobals saved;
    const State before;
    struct Case {
        const char* name;
        State after;
    } cases[] = {
        {"the unit system", {2, 1, 4}},
        {"the kind's figure", {1, 2, 4}},
        {"two samples more, the oldest leaving", {1, 1, 6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PeChart kept, fresh;
        liveplot::Held held;
        plot(kept, &held, before);
        plot(kept, &held, c.after);
        plot(fresh, nullptr, c.after);
        ASSERT_EQ(kept.points(), fresh.points());
        for (int s = 0; s < 2; ++s)
            for (int i = 0; i < fresh.points(); ++i) {
                EXPECT_EQ(kept.xData(s, i), fresh.xData(s, i)) << s << "," << i;
                EXPECT_EQ(kept.yData(s, i), fresh.yData(s, i)) << s << "," << i;
            }
    }
}
