// The PVT window's live grid (header, cells, one row per step and cycle) and
// live chart (base set-up, axis layouts of the ticked curves, the curves from
// the stored rows).

#include "data/Globals.h"
#include "data/Settings.h"
#include "platform/FlexGrid.h"
#include "platform/PeChart.h"
#include "pvt/PvtChart.h"
#include "pvt/PvtResultGrid.h"
#include "support/ChartReading.h"
#include "support/QtPrint.h"

#include <gtest/gtest.h>
#include <cmath>

using namespace pesgo;

namespace {

struct UnitSystemGuard {
    int unitSystem = gUnitSystem;
    QString temp = gTempLabel, press = gPressLabel;
    ~UnitSystemGuard() {
        gUnitSystem = unitSystem;
        SetUnitLabels();
    }
};

ResultPoint row(double seconds, double temp, double press, double height, double step = 1, double cycle = 1) {
    ResultPoint p;
    p[resultcol::RampNo] = step;
    p[resultcol::ResultTime] = seconds;
    p[resultcol::SampleTemp] = temp;
    p[resultcol::Press] = press;
    p[resultcol::ShearStress] = height;
    p[resultcol::CycleNo] = cycle;
    return p;
}

const pvtchart::DensityConstants kConstants{2.4772389, 100, 1};

}  // namespace

TEST(PvtGrid, HeaderCellsAndOneRowPerStepAndCycle) {
    UnitSystemGuard guard;
    for (int system : {1, 2}) {
        gUnitSystem = system;
        SetUnitLabels();
        FlexGridModel grid;
        pvtgrid::SetupPvtResultGrid(grid);
        ASSERT_EQ(grid.Cols(), 8);
        EXPECT_EQ(grid.TextMatrix(0, 3), "Temp " + QString(QChar(13)) + (system == 1 ? "(°F)" : "(°C)"));
        EXPECT_EQ(grid.TextMatrix(0, 6), "Density " + QString(QChar(13)) + "(g/cm3) ");
        EXPECT_EQ(grid.RowHeight(0), 450);
        EXPECT_TRUE(grid.WordWrap());
        const int widths[] = {800, 800, 1100, 800, 800, 1200, 1200, 1100};
        for (int c = 0; c < 8; ++c) EXPECT_EQ(grid.ColWidth(c), widths[c]);
    }
    gUnitSystem = 1;
    SetUnitLabels();

    FlexGridModel grid;
    pvtgrid::SetupPvtResultGrid(grid);
    grid.Rows(1);  // as a sequence choice and Start leave it
    pvtgrid::Sample s{1, 1, 61, 212, 1234.6, 100.456, 2.0841333, 0.0123};
    pvtgrid::AddPvtGridRow(grid, s);  // the first point: a row for step 1, cycle 1
    ASSERT_EQ(grid.Rows(), 2);
    const QStringList cells = {" 1", " 1", "1.02", "212.", "1235", "100.46", "2.0841", "-0.0123"};
    for (int c = 0; c < 8; ++c) EXPECT_EQ(grid.TextMatrix(1, c), cells[c]) << c;

    s.elapsedSec = 71;
    s.height = -0.5;
    pvtgrid::AddPvtGridRow(grid, s);  // same step and cycle: the row is overwritten
    EXPECT_EQ(grid.Rows(), 2);
    EXPECT_EQ(grid.TextMatrix(1, 2), "1.18");
    EXPECT_EQ(grid.TextMatrix(1, 7), "0.5");
    s.cycle = 2;
    pvtgrid::AddPvtGridRow(grid, s);  // the second cycle: a new row, same step
    s.step = 2;
    s.cycle = 1;
    pvtgrid::AddPvtGridRow(grid, s);  // the next step
    EXPECT_EQ(grid.Rows(), 4);
    EXPECT_EQ(grid.TextMatrix(2, 0), " 1");
    EXPECT_EQ(grid.TextMatrix(2, 1), " 2");
    EXPECT_EQ(grid.TextMatrix(3, 0), " 2");
}

TEST(PvtChart, TheAxisLayoutOfTheTickedCurves) {
    struct Case {
        const char* name;
        pvtchart::Ticks ticks;
        int axes;
        std::vector<int> perAxis;  // subsets per axis
        std::vector<QString> left;
        std::vector<QString> right;  // empty: no right-hand scale
    } cases[] = {
        {"temperature and pressure", {false, false, true, true}, 1, {2}, {"Temperature (°F)"}, {"Pressure (Psi)"}},
        {"density and pressure", {true, false, false, true}, 2, {1, 1}, {"Density (g/cm3)", "Pressure (Psi)"}, {"", ""}},
        {"all four",
         {true, true, true, true},
         2,
         {2, 2},
         {"Density (g/cm3)", "Temperature (°F)"},
         {"Position (in.)", "Pressure (Psi)"}},
        {"position alone", {false, true, false, false}, 1, {1}, {"Position (in.)"}, {""}},
    };
    UnitSystemGuard guard;
    gUnitSystem = 1;
    SetUnitLabels();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PeChart chart;
        pvtchart::InitialChartAll(chart, QStringLiteral("T1"));
        EXPECT_EQ(chart.mainTitle(), "PVT test");
        EXPECT_EQ(chart.subTitle(), "T1");
        EXPECT_EQ(pvtchart::LayOutAxes(chart, c.ticks), c.axes);
        EXPECT_EQ(chart.subsets(), c.ticks.count());
        EXPECT_EQ(chart.prop(OverlapMultiAxes, 0).toInt(), c.axes);
        for (int a = 0; a < c.axes; ++a) {
            EXPECT_EQ(chart.subsetsOnAxis(a), c.perAxis[size_t(a)]);
            EXPECT_EQ(chart.yAxisLabel(a), c.left[size_t(a)]);
            if (!c.right[size_t(a)].isEmpty()) {
                EXPECT_EQ(chart.rightAxisLabel(a), c.right[size_t(a)]);
            }
        }
    }
    // Position alone: its axis in red.
    PeChart chart;
    pvtchart::LayOutAxes(chart, {false, true, false, false});
    EXPECT_EQ(chart.yAxisColor(0), pepalette::Red);
    EXPECT_EQ(pvtchart::LayOutAxes(chart, {}), 0);
}

TEST(PvtChart, CurvesFromTheStoredRows) {
    UnitSystemGuard guard;
    gUnitSystem = 2;
    SetUnitLabels();
    const pvtchart::Ticks all{true, true, true, true};
    // 61 s, 212 °F, 1234.6 psi, height 1.062278 in; a second row leaving no volume.
    std::vector<ResultPoint> rows = {row(61, 212, 1234.6, 1.062278), row(120, 212, 0, 100)};

    for (bool afterRow : {false, true}) {
        SCOPED_TRACE(afterRow);
        PeChart chart;
        EXPECT_EQ(pvtchart::PlotSeries(chart, all, rows, kConstants, afterRow), 4);
        EXPECT_EQ(chart.points(), 2);
        EXPECT_EQ(chart.subsetLabel(0), "Density");
        EXPECT_EQ(chart.subsetLabel(1), afterRow ? "Position" : "Height of sensor (in.)");
        EXPECT_EQ(chart.subsetLabel(2), "Temperature");
        EXPECT_EQ(chart.subsetLabel(3), "Pressure");
        EXPECT_EQ(chart.subsetColor(0), pepalette::Green);
        EXPECT_EQ(chart.subsetColor(3), pepalette::Blue);
        // The density's time to two decimals on a rebuild.
        EXPECT_FLOAT_EQ(chart.xData(0, 0), afterRow ? float(61 / 60.0) : 1.02f);
        EXPECT_FLOAT_EQ(chart.xData(1, 0), float(61 / 60.0));
        const double R = 2.4772389 + 1234.6 * 2.48777e-06;
        EXPECT_FLOAT_EQ(chart.yData(0, 0), float(100.0 / (100 - 1.062278 * 2.54 * R * R * 3.14159)));
        EXPECT_TRUE(std::isnan(chart.yData(0, 1)));  // no volume left: no density point
        EXPECT_FLOAT_EQ(chart.yData(1, 0), -1.062278f);
        EXPECT_FLOAT_EQ(chart.yData(2, 0), 100.0f);  // °C
        EXPECT_FLOAT_EQ(chart.yData(3, 0), 1235.0f);
    }
    // Nothing stored: nothing written.
    PeChart empty;
    EXPECT_EQ(pvtchart::PlotSeries(empty, all, {}, kConstants, true), 0);
    EXPECT_FALSE(empty.hasProp(SubsetLabel, 0));
    // No box ticked: still redrawn, no subset filled.
    EXPECT_EQ(pvtchart::PlotSeries(empty, {}, rows, kConstants, true), 0);
    EXPECT_EQ(empty.points(), 2);
}

TEST(PvtChart, AfterARowTheMostRecent5000RowsAreDrawn) {
    for (int n : {5000, 5001}) {
        SCOPED_TRACE(n);
        std::vector<ResultPoint> rows;
        for (int i = 0; i < n; ++i) rows.push_back(row(i + 1, 72, 0, 0.001 * (i + 1)));
        PeChart chart;
        pvtchart::PlotSeries(chart, {false, true, false, false}, rows, kConstants, true);
        EXPECT_EQ(chart.points(), 5000);
        EXPECT_FLOAT_EQ(chart.xData(0, 0), float((n - 5000 + 1) / 60.0));
        EXPECT_FLOAT_EQ(chart.xData(0, 4999), float(n / 60.0));
    }
}

// Laid out before the first stored row, the curves are named in the legend
// in their scales' colours.
TEST(PvtChart, CurvesAreNamedInTheirScalesColoursBeforeTheFirstRow) {
    UnitSystemGuard guard;
    gUnitSystem = 1;
    SetUnitLabels();
    struct Case {
        pvtchart::Ticks ticks;
        QStringList names;
    } cases[] = {
        {{true, true, true, true}, {"Density", "Position", "Temperature", "Pressure"}},
        {{false, true, false, true}, {"Position", "Pressure"}},
        {{true, false, true, false}, {"Density", "Temperature"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.names.join(',').toStdString());
        PeChart chart;
        pvtchart::InitialChartAll(chart, QStringLiteral("T1"));
        pvtchart::LayOutAxes(chart, c.ticks);
        chart.redraw();
        QStringList named;
        for (const testing_support::LegendEntry& e : testing_support::LegendEntries(chart)) {
            named << e.name;
            EXPECT_TRUE(e.shown) << e.name.toStdString();
            EXPECT_EQ(e.legend, e.curve) << e.name.toStdString();
            EXPECT_EQ(e.curve, e.scale) << e.name.toStdString();
        }
        std::sort(named.begin(), named.end());
        QStringList want = c.names;
        std::sort(want.begin(), want.end());
        EXPECT_EQ(named, want);
    }
}
