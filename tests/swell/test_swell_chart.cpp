// The swell window's live chart: the axes of the checked quantities and the
// stored rows of the test drawn against time.

#include "support/UnitWindowFixture.h"

#include "data/clsTEST_RESULT.h"
#include "platform/Database.h"
#include "platform/PeChart.h"
#include "support/ChartReading.h"
#include "support/QtPrint.h"
#include "swell/SwellChart.h"

using namespace swell;

namespace {

class SwellChartTest : public unit_tests::UnitWindowFixture {
protected:
    // Rows of test 7: time i x 90 s, length change 0.01 x i in., speed i,
    // 212 °F, pressure 100 x i.
    void store(int n) {
        db::Command cmd(conn.ADOConnection(),
                        QStringLiteral("INSERT INTO TEST_RESULT (TEST_ID, RAMP_NO, RAMP_STEP_NO, RESULT_TIME, "
                                       "RESULT_SAMPLE_TEMP, RESULT_PRESS, RESULT_SPEED, RESULT_SHEAR_STRESS, "
                                       "RESULT_TYPE_ID, RESULT_BATH_TEMP, CYCLE_NO) "
                                       "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                       "SELECT 7, 1, 0, 90.0 * i, 212, 100.0 * i, i, 0.01 * i, 0, 1.5, 1 FROM n")
                            .arg(n));
        cmd.execute();
    }
    int rebuild(const ChartTicks& t, qint32 testId = 7, double length = 0.5) {
        return RebuildSwellChart(chart, t, "Wafer", testId, length, results, &conn);
    }
    PeChart chart;
    clsTEST_RESULT results;
};

}  // namespace

TEST_F(SwellChartTest, TheCheckedQuantitiesGetTheirAxes) {
    gTempLabel = "(°F)";
    gPressLabel = "(Psi)";
    struct Case {
        ChartTicks ticks;
        int subsets;
        QStringList axisTitles;
        QList<int> perAxis;
        QString rightTitle;  // of the last axis
    } cases[] = {
        {{true, false, false, false}, 1, {"Swell% "}, {1}, ""},
        {{false, false, true, true}, 2, {"Temperature (°F)"}, {2}, "Pressure (Psi)"},
        {{true, false, false, true}, 2, {"Swell% ", "Pressure (Psi)"}, {1, 1}, ""},
        {{true, true, true, true}, 4, {"Swell% ", "Speed (rpm) ", "Temperature (°F)"}, {1, 1, 2}, "Pressure (Psi)"},
    };
    for (const Case& c : cases) {
        PeChart fresh;
        EXPECT_EQ(RebuildSwellChart(fresh, c.ticks, "Wafer", 0, 0.5, results, &conn), c.subsets);
        EXPECT_EQ(fresh.subsets(), c.subsets);
        EXPECT_EQ(fresh.prop(pesgo::OverlapMultiAxes, 0).toInt(), c.axisTitles.size());
        for (int a = 0; a < c.axisTitles.size(); ++a) {
            EXPECT_EQ(fresh.yAxisLabel(a), c.axisTitles[a]) << a;
            EXPECT_EQ(fresh.subsetsOnAxis(a), c.perAxis[a]) << a;
        }
        const int last = int(c.axisTitles.size()) - 1;
        EXPECT_EQ(fresh.rightAxisLabel(last), c.rightTitle);
        EXPECT_EQ(fresh.mainTitle(), "LSM test");
        EXPECT_EQ(fresh.subTitle(), "Wafer");
        EXPECT_EQ(fresh.xAxisLabel(), "Time (min)");
    }
    // Nothing checked: the base settings only.
    PeChart none;
    EXPECT_EQ(RebuildSwellChart(none, {false, false, false, false}, "Wafer", 7, 0.5, results, &conn), 0);
    EXPECT_FALSE(none.hasProp(pesgo::Subsets));
    EXPECT_EQ(none.mainTitle(), "LSM test");
}

TEST_F(SwellChartTest, StoredRowsAreDrawnAgainstMinutesNewestFiveThousand) {
    store(5001);
    EXPECT_EQ(rebuild({true, true, true, true}), 4);
    EXPECT_EQ(chart.points(), 5000);
    // Point 0 is the second row: 180 s, 0.02 in. over 0.5 in.
    EXPECT_FLOAT_EQ(chart.xData(0, 0), 3.0f);
    EXPECT_FLOAT_EQ(chart.yData(0, 0), 4.0f);
    EXPECT_FLOAT_EQ(chart.yData(1, 0), 2.0f);
    EXPECT_FLOAT_EQ(chart.yData(2, 0), 212.0f);
    EXPECT_FLOAT_EQ(chart.yData(3, 4999), 500100.0f);
    EXPECT_EQ(chart.subsetLabel(0), "Swell% ");
    EXPECT_EQ(chart.subsetLabel(3), "Pressure");
    EXPECT_EQ(chart.subsetColor(0), peRgb(0, 128, 0));
    EXPECT_EQ(chart.subsetColor(2), peRgb(255, 0, 0));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SwellChartTest, WithoutTheSampleLengthTheSwellCurveStaysEmpty) {
    store(2);
    EXPECT_EQ(rebuild({true, false, true, false}, 7, 0.0), 2);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(chart.points(), 2);
    EXPECT_FALSE(chart.hasXData(0, 0));
    EXPECT_FLOAT_EQ(chart.xData(1, 0), 1.5f);  // 90 s
    EXPECT_FLOAT_EQ(chart.yData(1, 1), 212.0f);
    // No test yet: labels and colours, no points.
    PeChart empty;
    EXPECT_EQ(RebuildSwellChart(empty, {true, false, false, false}, "", 0, 0.5, results, &conn), 1);
    EXPECT_EQ(empty.subsetLabel(0), "Swell% ");
    EXPECT_EQ(empty.points(), 0);
}

// Before the first stored row (no test yet) the curves are named in the
// legend in their scales' colours.
TEST_F(SwellChartTest, CurvesAreNamedInTheirScalesColoursBeforeTheFirstRow) {
    for (const ChartTicks& ticks : {ChartTicks{true, true, true, true}, ChartTicks{false, true, false, true}}) {
        PeChart fresh;
        RebuildSwellChart(fresh, ticks, "Wafer", 0, 0.5, results, &conn);
        fresh.redraw();
        int named = 0;
        for (const testing_support::LegendEntry& e : testing_support::LegendEntries(fresh)) {
            EXPECT_FALSE(e.name.isEmpty());
            EXPECT_TRUE(e.shown) << e.name.toStdString();
            EXPECT_EQ(e.legend, e.curve) << e.name.toStdString();
            EXPECT_EQ(e.curve, e.scale) << e.name.toStdString();
            ++named;
        }
        EXPECT_EQ(named, fresh.subsets());
    }
}
