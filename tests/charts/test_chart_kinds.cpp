// The 3-D rheology charts, the PVT and swell charts and the overlay of a
// second test, read back from the chart controls' property stores.

#include "ChartFixture.h"

#include <QApplication>
#include <QLineSeries>
#include <functional>
#include <QRandomGenerator>
#include <QChart>
#include <cmath>
#include <iomanip>

#include "data/Numbers.h"
#include "data/Settings.h"
#include "data/Units.h"
#include "data/clsTEST_INFO.h"
#include "support/ChartReading.h"

using namespace chart_tests;

namespace {

PeWrite W(int prop, const PeValue& v) { return PeWrite{prop, 0, 0, 0, v}; }
PeWrite W(int prop, int i, int j, const PeValue& v) { return PeWrite{prop, 2, i, j, v}; }
constexpr qint16 s16(int v) { return qint16(v); }

using Points = std::vector<std::pair<float, float>>;

Points pointsOf(const PeChart& c, int s, int n) {
    Points out;
    for (int p = 0; p < n; ++p) out.emplace_back(c.xData(s, p), c.yData(s, p));
    return out;
}

Points pts(std::initializer_list<std::pair<double, double>> v) {
    Points out;
    for (const auto& [x, y] : v) out.emplace_back(float(x), float(y));
    return out;
}

QList<QVector3D> drawn3d(std::initializer_list<std::array<double, 3>> v) {
    QList<QVector3D> out;
    for (const auto& p : v) out.append(QVector3D(float(p[0]), float(p[1]), float(p[2])));
    return out;
}

// The density the PVT charts draw: the piston (radius under pressure) sweeps
// its travel out of the initial volume.
double density(double travel, double v0, double d0, double press, double radius) {
    const double r = radius + 2.48777E-06 * press;
    return v0 * d0 / (v0 - 3.14159 * r * r * travel * 2.54);
}

double visc(double rate, double stress) { return rate < 0.00002 ? 0.0 : stress / (rate + 0.0000001) * 100; }

// A TEST_INFO row as the record class gives it.
RowArray infoRow(qint32 id, const QVariant& rotor, const QString& bob, const QVariant& radius,
                 const QVariant& length) {
    RowArray row(12);
    row[clsTEST_INFO::colTEST_ID] = id;
    row[clsTEST_INFO::colROTOR_NO] = rotor;
    row[clsTEST_INFO::colBOB_NO] = bob;
    row[clsTEST_INFO::colBOB_RADIUS] = radius;
    row[clsTEST_INFO::colBOB_EFF_LENGTH] = length;
    return row;
}

// Rheology rows: a rate of 0, a ramp row, a temperature below 0 °F.
const std::vector<Row> kRheology = {
    {0, 75.26, 1000, 0, 50, 0},
    {60, 100, 2000, 170.3, 300, 1},
    {120, -10, 3000, 511, 511, 0},
};

// PVT rows: travel in the stress column; pressures and temperatures that
// round differently with and without decimals.
const std::vector<Row> kPvt = {
    {0, 80, 1000.46, 10, 0.0, 0},
    {60, 212.25, 5000.5, 10, 0.1, 0},
    {120, 150, 3000, 10, 0.2, 0},
};

// Swell rows: length change in the stress column, speed in the rate column.
const std::vector<Row> kSwell = {
    {0, 80, 1000, 30, 0.1, 0},
    {60, 250, 500, 60, 0.5, 0},
    {120, 150, 2000, 10, 0.3, 0},
};

class ChartKinds : public ChartFixture {
protected:
    void SetUp() override {
        ChartFixture::SetUp();
        addRows(7, kRheology);
        addRows(11, kPvt);
        addRows(21, kSwell);
    }
    void openPvt() {
        openTest("Pvt A", 11, 1);
        opened.PvtPistonRadius = 0.5;
        opened.CuriniV = 40;
        opened.CuriniD = 1.1;
    }
    void openSwell(double length = 2.0) {
        openTest("Lsm A", 21, 2);
        opened.LsmSampleLength = length;
    }
};

}  // namespace

// ---------------------------------------------------------------------------
// 3-D rheology charts

TEST_F(ChartKinds, ThreeDChartsDrawOnePointPerKeptRow) {
    struct Case {
        int entry;
        QString title, xLabel, zLabel;
        QList<QVector3D> cgs, si;  // (X, viscosity, depth) of the kept rows
    };
    const double v1 = visc(170.3, 300), v2 = visc(511, 511);
    const std::vector<Case> cases = {
        {0, "Viscosity vs. Shear Rate & Time", "Time (min)", "Shear Rate (1/s)",
         drawn3d({{0, 0, 0}, {1, v1, 170.3}, {2, v2, 511}}), drawn3d({{0, 0, 0}, {1, v1, 170.3}, {2, v2, 511}})},
        {1, "Viscosity vs. Shear Rate & Sample Temperature", "Sample Temp ", "Shear Rate (1/s)",
         drawn3d({{75.3, 0, 0}, {100, v1, 170.3}, {-10, v2, 511}}),
         drawn3d({{24.0, 0, 0}, {37.8, v1, 170.3}, {-1, v2, 511}})},
        {2, "Viscosity vs. Pressure & Sample Temperature", "Sample Temp ", "Pressure (Psi)",
         drawn3d({{75.3, 0, 1000}, {100, v1, 2000}, {-10, v2, 3000}}),
         drawn3d({{24.0, 0, 1000}, {37.8, v1, 2000}, {-1, v2, 3000}})},
    };
    for (int units : {1, 2}) {
        useUnits(units);
        openTest("Mud 3D", 7);
        charts->opt3D_Click();
        for (const Case& c : cases) {
            SCOPED_TRACE(c.title.toStdString() + (units == 1 ? " CGS" : " SI"));
            charts->optAllData_Click();
            choose(c.entry);
            EXPECT_EQ(d.mainTitle(), c.title);
            EXPECT_EQ(d.subTitle(), "Mud 3D");
            EXPECT_EQ(d.xAxisLabel(), c.xLabel.startsWith("Sample") ? c.xLabel + gTempLabel : c.xLabel);
            EXPECT_EQ(d.yAxisLabel(), "Viscosity " + gViscLabel);
            EXPECT_EQ(d.zAxisLabel(), c.zLabel);
            EXPECT_EQ(d.prop(pe3do::Points), PeValue(3));
            ASSERT_EQ(d.drawnPoints().size(), 1);
            EXPECT_EQ(d.drawnPoints()[0], units == 1 ? c.cgs : c.si);
            EXPECT_EQ(charts->ChartPointCount, 3);
            EXPECT_EQ(charts->SubsetCount, 1);

            // "No Ramp" packs the kept rows: the ramp row leaves no gap.
            charts->optNoRamp_Click();
            const QList<QVector3D> all = units == 1 ? c.cgs : c.si;
            EXPECT_EQ(d.prop(pe3do::Points), PeValue(2));
            EXPECT_EQ(d.drawnPoints()[0], (QList<QVector3D>{all[0], all[2]}));
            EXPECT_EQ(charts->ChartPointCount, 3);
        }
        charts->optAllData_Click();
    }
}

TEST_F(ChartKinds, ThreeDChartWritesInItsOrderAndAFilterThatKeepsNothingLeavesNoPoint) {
    openTest("Mud 3D", 7);
    charts->opt3D_Click();
    charts->optonlyRamp_Click();
    d.store().setLogging(true);
    charts->Chart3D_ViscRateTime();
    const float y = float(visc(170.3, 300));
    const QList<PeWrite> expected = {
        W(65, s16(20)), W(34, s16(0)), W(32, "Time (min)"), W(33, "Viscosity " + gViscLabel),
        W(147, "Shear Rate (1/s)"), W(11, s16(1)), W(12, s16(0)), W(12, 3),
        W(92, 0, 0, 170.3f), W(85, 0, 0, 1.0f), W(86, 0, 0, y), W(12, 1), W(160, s16(4)), W(34, s16(2)),
        W(9, "Viscosity vs. Shear Rate & Time"), W(10, "Mud 3D"), W(155, s16(16)), W(148, s16(149)),
        W(19, s16(2)), W(65, s16(0))};
    EXPECT_EQ(d.store().log(), expected);

    // A test without ramp rows under "Only Ramp": no point, the row count kept.
    openTest("Pvt rows", 11);
    charts->Chart3D_ViscRateTemp();
    EXPECT_EQ(d.prop(pe3do::Points), PeValue(0));
    EXPECT_TRUE(d.drawnPoints()[0].isEmpty());
    EXPECT_EQ(charts->ChartPointCount, 3);
}

// ---------------------------------------------------------------------------
// PVT charts

TEST_F(ChartKinds, PvtTestOpensOnItsThreeAxisTimeChart) {
    for (int units : {1, 2}) {
        SCOPED_TRACE(units);
        useUnits(units);
        openPvt();
        charts->opt2D_Click();  // as opening a PVT test does
        EXPECT_EQ(listEntries(), MainCharts::kChartListPVT);
        EXPECT_EQ(g.mainTitle(), "Density,Temperature,Pressure Vs.Time");
        EXPECT_EQ(g.subTitle(), "Pvt A");
        EXPECT_EQ(g.xAxisLabel(), "Time (min)");
        EXPECT_EQ(g.subsets(), 3);
        const QString temp = "Temperature " + gTempLabel;
        const QStringList labels = {"Density (g/cm3)", "Pressure (psi)", temp};
        const qint32 colours[] = {pepalette::Green, pepalette::Blue, pepalette::LightRed};
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(g.subsetLabel(k), labels[k]);
            EXPECT_EQ(g.yAxisLabel(k), labels[k]);
            EXPECT_EQ(g.yAxisColor(k), colours[k]);
        }
        const auto scales = g.yScales();
        ASSERT_EQ(scales.size(), 3);
        EXPECT_EQ(g.prop(pesgo::Points), PeValue(3));
        const double d0 = density(0, 40, 1.1, 1000.46, 0.5), d1 = density(0.1, 40, 1.1, 5000.5, 0.5),
                     d2 = density(0.2, 40, 1.1, 3000, 0.5);
        EXPECT_EQ(pointsOf(g, 0, 3), pts({{0, d0}, {1, d1}, {2, d2}}));
        // Pressure as a whole number, temperature to one decimal; time order.
        EXPECT_EQ(pointsOf(g, 1, 3), pts({{0, 1000}, {1, 5001}, {2, 3000}}));
        EXPECT_EQ(pointsOf(g, 2, 3), units == 1 ? pts({{0, 80}, {1, 212.3}, {2, 150}})
                                                : pts({{0, 26.7}, {1, 100.1}, {2, 65.6}}));
        EXPECT_FALSE(host.c.Frame2->isVisibleTo(&host.window));
        EXPECT_FALSE(host.c.cmdOverlap->isEnabled());
    }
}

TEST_F(ChartKinds, DensityChartsAreSortedByTheirX) {
    openPvt();
    charts->opt2D_Click();
    const double d0 = density(0, 40, 1.1, 1000.46, 0.5), d1 = density(0.1, 40, 1.1, 5000.5, 0.5),
                 d2 = density(0.2, 40, 1.1, 3000, 0.5);
    struct Case {
        int entry;
        QString title, xLabel;
        Points points;
    } cases[] = {
        {1, "Density Vs. Temperature", "Sample Temperature " + gTempLabel, pts({{80, d0}, {150, d2}, {212.3, d1}})},
        {2, "Density Vs. Pressure", "Sample Pressure (psi)", pts({{1000, d0}, {3000, d2}, {5001, d1}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        choose(c.entry);
        EXPECT_EQ(g.mainTitle(), c.title);
        EXPECT_EQ(g.xAxisLabel(), c.xLabel);
        EXPECT_EQ(g.yAxisLabel(0), "Density (g/cm3)");
        EXPECT_EQ(g.subsets(), 1);
        EXPECT_EQ(charts->SubsetCount, 1);
        EXPECT_EQ(charts->ChartPointCount, 3);
        EXPECT_EQ(pointsOf(g, 0, 3), c.points);
        EXPECT_TRUE(host.c.cmdOverlap->isEnabled());
    }
    // A test whose piston radius is not known draws density 0.
    opened.PvtPistonRadius = 0;
    choose(1);
    EXPECT_EQ(pointsOf(g, 0, 3), pts({{80, 0}, {150, 0}, {212.3, 0}}));
}

TEST_F(ChartKinds, PvtTestWithoutRowsGetsItsLayoutButNoPoints) {
    openTest("Pvt empty", 99, 1);
    charts->opt2D_Click();
    EXPECT_EQ(g.mainTitle(), "Density,Temperature,Pressure Vs.Time");
    EXPECT_EQ(g.prop(pesgo::Points), PeValue(qint16(9999)));  // the set-up's
    g.store().setLogging(true);
    choose(0);
    EXPECT_EQ(g.store().log().last(), W(pesgo::SubTitle, "Pvt empty"));  // no redraw request
    choose(2);
    EXPECT_EQ(g.prop(pesgo::Points), PeValue(0));
    EXPECT_EQ(g.store().log().last(), W(pesgo::Action, s16(0)));
}

// ---------------------------------------------------------------------------
// Swell charts

TEST_F(ChartKinds, SwellTestOpensOnItsFourAxisTimeChart) {
    useUnits(2);
    openSwell();
    charts->opt2D_Click();
    EXPECT_EQ(listEntries(), MainCharts::kChartListLSM);
    EXPECT_EQ(g.mainTitle(), "Swell, Temp., Press., Speed Vs. Time");
    EXPECT_EQ(g.subTitle(), "Lsm A");
    EXPECT_EQ(g.xAxisLabel(), "Time (min)");
    EXPECT_EQ(g.subsets(), 4);
    const QStringList labels = {" Swell(%) ", "Pressure (Psi)", "Temperature (°C)", "Speed (rpm)"};
    const qint32 colours[] = {pepalette::Green, pepalette::Blue, pepalette::LightRed, pepalette::LightCyan};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(g.subsetLabel(k), labels[k]);
        EXPECT_EQ(g.subsetColor(k), colours[k]);
        EXPECT_EQ(g.yAxisLabel(k), labels[k]);
        EXPECT_EQ(g.yAxisColor(k), colours[k]);
    }
    EXPECT_EQ(g.yScales().size(), 4);
    EXPECT_EQ(pointsOf(g, 0, 3), pts({{0, 5}, {1, 25}, {2, 15}}));
    EXPECT_EQ(pointsOf(g, 1, 3), pts({{0, 1000}, {1, 500}, {2, 2000}}));
    EXPECT_EQ(pointsOf(g, 2, 3), pts({{0, TempToDisplay(80)}, {1, TempToDisplay(250)}, {2, TempToDisplay(150)}}));
    EXPECT_EQ(pointsOf(g, 3, 3), pts({{0, 30}, {1, 60}, {2, 10}}));
}

// The first PVT and swell charts draw each quantity on a scale of its own:
// readings that held still, or rose together, once lay one over another and
// only the last drawn showed. Every curve shows, in its scale's colour.
TEST_F(ChartKinds, TheFirstPvtAndSwellChartsShowEveryCurve) {
    struct Case {
        const char* name;
        qint32 id, type;
        std::function<Row(int)> row;
    } cases[] = {
        {"PVT readings holding still", 31, 1, [](int i) { return Row{60.0 * i, 150, 1000, 0, 0.05, 0}; }},
        {"PVT rising together", 32, 1, [](int i) { return Row{60.0 * i, 80 + 3.0 * i, 500 + 250.0 * i, 0, 0.002 * i, 0}; }},
        {"swell readings holding still", 33, 2, [](int i) { return Row{60.0 * i, 150, 1000, 100, 0.05, 0}; }},
        {"swell rising together", 34, 2, [](int i) { return Row{60.0 * i, 80 + 1.5 * i, 200 + 5.0 * i, 30, 0.001 * i, 0}; }},
    };
    host.window.resize(1100, 1400);
    host.window.show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Row> rows;
        for (int i = 0; i <= 40; ++i) rows.push_back(c.row(i));
        addRows(c.id, rows);
        openTest(c.name, c.id, c.type);
        opened.PvtPistonRadius = 0.5;
        opened.CuriniV = 40;
        opened.CuriniD = 1.1;
        opened.LsmSampleLength = 2.0;
        charts->opt2D_Click();  // as opening the test does: its first chart
        QApplication::processEvents();
        const std::vector<testing_support::LegendEntry> entries = testing_support::LegendEntries(g);
        const std::vector<int> pixels = testing_support::CurvePixels(g);
        ASSERT_EQ(int(entries.size()), c.type == 1 ? 3 : 4);
        for (size_t k = 0; k < entries.size(); ++k) {
            EXPECT_GT(pixels[k], 100) << entries[k].name.toStdString();
            EXPECT_EQ(entries[k].legend, entries[k].curve) << entries[k].name.toStdString();
            EXPECT_EQ(entries[k].curve, entries[k].scale) << entries[k].name.toStdString();
        }
    }
}

// The rheology time chart draws viscosity, pressure and temperature on
// scales of their own: readings that hold at round values (2000 psi and
// 150 °F on the tops of their scales) or that rise together once lay on one
// another, the pressure's hold wholly under the temperature's. Each curve's
// points can be seen.
TEST_F(ChartKinds, TheRheologyTimeChartShowsEveryCurvesPoints) {
    struct Case {
        const char* name;
        qint32 id;
        std::function<Row(int)> row;
    } cases[] = {
        {"pressure and temperature reach 2000 psi and 150 F and hold", 41,
         [](int i) {
             return Row{60.0 * i, std::min(150.0, 80 + 7.0 * i), std::min(2000.0, 400.0 * i), 100,
                        50 + 20 * std::sin(i * 0.3), 0};
         }},
        {"everything holds still", 42, [](int i) { return Row{60.0 * i, 150, 2000, 100, 50, 0}; }},
        {"everything rises together", 43,
         [](int i) { return Row{60.0 * i, 80 + 1.0 * i, 1000 + 10.0 * i, 100, 40 + 0.5 * i, 0}; }},
    };
    host.window.resize(1100, 1400);
    host.window.show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Row> rows;
        for (int i = 0; i <= 100; ++i) rows.push_back(c.row(i));
        addRows(c.id, rows);
        openTest(c.name, c.id, 0);
        charts->opt2D_Click();  // as opening the test does: its first chart
        QApplication::processEvents();
        const std::vector<testing_support::LegendEntry> entries = testing_support::LegendEntries(g);
        const std::vector<testing_support::PointsShown> shown = testing_support::CurvePointsShown(g);
        ASSERT_EQ(entries.size(), 3u);
        for (size_t k = 0; k < entries.size(); ++k) {
            EXPECT_EQ(shown[k].points, 101) << entries[k].name.toStdString();
            EXPECT_GE(shown[k].seen, 0.9) << entries[k].name.toStdString();
        }
    }
}

TEST_F(ChartKinds, SwellSingleCurvesAndOnlyTheTimeCurveIsSorted) {
    openSwell();
    charts->opt2D_Click();
    struct Case {
        int entry;
        QString title, xLabel, yLabel;
        Points points;  // in the order drawn
    } cases[] = {
        {1, "Swell Vs. Time", "Time (min)", "Swell (%)", pts({{0, 5}, {1, 25}, {2, 15}})},
        {2, "Swell Vs. Temperature ", "Temperature " + gTempLabel, "Swell%", pts({{80, 5}, {250, 25}, {150, 15}})},
        {3, "Swell Vs.Pressure ", "Pressure (psi)", "Swell%", pts({{1000, 5}, {500, 25}, {2000, 15}})},
        {4, "Swell Vs.Speed ", "Speed (rpm)", "Swell%", pts({{30, 5}, {60, 25}, {10, 15}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        choose(c.entry);
        EXPECT_EQ(g.mainTitle(), c.title);
        EXPECT_EQ(g.subTitle(), "Lsm A");
        EXPECT_EQ(g.xAxisLabel(), c.xLabel);
        EXPECT_EQ(g.yAxisLabel(0), c.yLabel);
        EXPECT_EQ(g.subsets(), 1);
        EXPECT_EQ(g.prop(pesgo::Points), PeValue(3));
        EXPECT_EQ(charts->SubsetCount, 1);
        EXPECT_EQ(charts->ChartPointCount, 3);
        EXPECT_EQ(pointsOf(g, 0, 3), c.points);
        EXPECT_TRUE(host.c.cmdOverlap->isEnabled());
    }
    // A sample length of 0 was stored as 0.001 when the test was opened.
    openSwell(0.001);
    choose(1);
    EXPECT_EQ(pointsOf(g, 0, 1), pts({{0, 0.1 / 0.001 * 100}}));
}

TEST_F(ChartKinds, SwellTestWithoutRowsKeepsThePointCountItsChartLeaves) {
    openTest("Lsm empty", 99, 2);
    opened.LsmSampleLength = 1;
    charts->opt2D_Click();
    // entry: point count afterwards (the set-up's 9999 where none is written)
    const std::pair<int, PeValue> cases[] = {
        {0, PeValue(qint16(9999))}, {1, PeValue(0)}, {2, PeValue(qint16(9999))}, {3, PeValue(qint16(9999))},
        {4, PeValue(qint16(9999))}};
    g.store().setLogging(true);
    for (const auto& [entry, count] : cases) {
        choose(entry);
        EXPECT_EQ(g.prop(pesgo::Points), count) << entry;
        EXPECT_EQ(g.store().log().last(), W(pesgo::Action, s16(0))) << entry;
    }
}

// ---------------------------------------------------------------------------
// Overlay of a second test

TEST_F(ChartKinds, TwoOverlaysOnViscosityVsTimeGiveThreeLabelledSubsets) {
    // Five rows, two of them ramp rows; and a test of two rows.
    addRows(8, {{0, 80, 100, 100, 50, 0}, {30, 90, 100, 200, 80, 1}, {60, 95, 100, 0, 10, 1},
                {90, 99, 100, 300, 90, 0}, {120, 101, 100, 0.00002, 1, 0}});
    addRows(9, {{600, 80, 100, 50, 20, 0}, {0, 80, 100, 10, 5, 0}});
    openTest("Mud A", 7);
    charts->Fill_ChartList_2D();
    charts->optNoRamp_Click();
    choose(5);  // Visc Vs. Time: the opened test's ramp row is left out
    ASSERT_EQ(charts->SubsetCount, 1);

    charts->DrawOverlay("Mud B", infoRow(8, "R1", "B1", 1.7245, 3.8));
    charts->DrawOverlay("mud c", infoRow(9, "R1", "B2", 1.2276, 3.8));
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join('\n').toStdString();
    EXPECT_EQ(charts->SubsetCount, 3);
    EXPECT_EQ(g.subsets(), 3);
    EXPECT_EQ(g.subsetLabel(0), "Mud A");
    EXPECT_EQ(g.subsetLabel(1), "Mud B");
    EXPECT_EQ(g.subsetLabel(2), "mud c");  // as typed
    // The longer second test raises the point count; the opened test keeps
    // only its own points, the shorter one leaves its tail unwritten.
    EXPECT_EQ(g.prop(pesgo::Points), PeValue(5));
    EXPECT_EQ(charts->ChartPointCount, 5);
    EXPECT_FALSE(g.hasXData(0, 3));
    // Every row of a second test, ramp rows too, sorted by time.
    EXPECT_EQ(pointsOf(g, 1, 5), pts({{0, visc(100, 50)}, {0.5, visc(200, 80)}, {1, 0}, {1.5, visc(300, 90)},
                                      {2, visc(0.00002, 1)}}));
    EXPECT_EQ(pointsOf(g, 2, 2), pts({{0, visc(10, 5)}, {10, visc(50, 20)}}));
    EXPECT_FALSE(g.hasXData(2, 2));
    // One axis for the three curves, each in the legend under its test's name.
    ASSERT_EQ(g.yScales().size(), 1);
    EXPECT_EQ(g.yScales()[0].subsets, (QList<int>{0, 1, 2}));
    g.redraw();
    QStringList names;
    for (QAbstractSeries* s : g.chart()->series()) names << s->name();
    EXPECT_EQ(names, (QStringList{"Mud A", "Mud B", "mud c"}));
    // The opened test's charts bind its own rows again.
    choose(5);
    EXPECT_EQ(charts->SubsetCount, 1);
    EXPECT_EQ(g.subsets(), 1);
    EXPECT_EQ(pointsOf(g, 0, 1), pts({{0, 0}}));
}

TEST_F(ChartKinds, FirstChartOfEveryListIsRefusedWithAnEmptySubsetAdded) {
    addRows(12, kPvt);
    addRows(22, kSwell);
    struct Case {
        const char* what;
        std::function<void()> open;
        int entry;
        RowArray second;
        bool refused;
    } cases[] = {
        {"rheology", [&] { openTest("Mud A", 7); }, 0, infoRow(7, "R1", "B1", 1.7245, 3.8), true},
        {"Fann 35", [&] { openTest("Mud A", 7); }, 6, infoRow(7, "R1", "B1", 1.7245, 3.8), false},
        {"PVT", [&] { openPvt(); }, 0, infoRow(12, "0.5", "PVT", 40, 1.1), true},
        {"swell", [&] { openSwell(); }, 0, infoRow(22, "", "LSM", 0, 2), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialogs.clear();
        c.open();
        charts->opt2D_Click();
        choose(c.entry);
        const int before = g.subsets();
        charts->SubsetCount = before;
        g.store().setLogging(true);
        g.store().clearLog();
        charts->DrawOverlay("Other", c.second);
        EXPECT_EQ(dialogs.texts(), c.refused ? QStringList{MainCharts::kOverlapRefused} : QStringList{});
        EXPECT_EQ(g.subsets(), before + 1);
        EXPECT_FALSE(g.hasXData(before, 0));
        for (const PeWrite& w : g.store().log()) EXPECT_NE(w.prop, int(pesgo::SubsetLabel));
        g.store().setLogging(false);
    }
    EXPECT_EQ(MainCharts::kOverlapRefused,
              "Click here to overlap another test on graphs.  Charts cannot be overlapped when chart type is "
              "'Visc Temp Vs. Time'.");
}

TEST_F(ChartKinds, PvtOverlayUsesTheSecondTestsOwnPistonAndSample) {
    // Second tests: a piston of their own, and none (the opened test's then).
    addRows(12, {{0, 80, 1000.46, 10, 0.1, 0}, {60, 100, 500, 10, 0.2, 0}});
    openPvt();
    charts->opt2D_Click();
    choose(2);  // Density Vs. Press
    struct Case {
        QVariant rotor;
        double radius;
    } cases[] = {{"0.6", 0.6}, {"", 0.5}, {"large", 0.5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rotor.toString().toStdString());
        choose(2);
        charts->DrawOverlay("Pvt B", infoRow(12, c.rotor, "PVT", 50, 1.2));
        EXPECT_EQ(opened.OveriniV, 50);
        EXPECT_EQ(opened.OveriniD, 1.2);
        EXPECT_EQ(opened.PvtPistonRadius, 0.5);  // the opened test's stays
        // Pressure to one decimal here (the chart itself shows whole psi); sorted.
        EXPECT_EQ(pointsOf(g, 1, 2), pts({{500, density(0.2, 50, 1.2, 500, c.radius)},
                                          {1000.5, density(0.1, 50, 1.2, 1000.46, c.radius)}}));
        EXPECT_EQ(g.subsetLabel(1), "Pvt B");
    }
    // Volume and density cells that hold no number count as 0: no density.
    choose(1);
    charts->DrawOverlay("Pvt B", infoRow(12, "0.6", "PVT", "n/a", QVariant()));
    EXPECT_EQ(opened.OveriniV, 0);
    EXPECT_EQ(pointsOf(g, 1, 2), pts({{80, 0}, {100, 0}}));
}

TEST_F(ChartKinds, SwellOverlayTakesItsOwnSampleLengthAndKeepsTimeOrderOffTheTimeCurve) {
    addRows(22, {{0, 150, 1000, 30, 0.2, 0}, {60, 90, 500, 60, 0.4, 0}});
    openSwell();
    charts->opt2D_Click();
    struct Case {
        QVariant length;
        double used;
    } cases[] = {{4.0, 4.0}, {0.0, 0.001}, {-1.0, 0.001}, {"none", 0.001}, {QVariant(), 0.001}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length.toString().toStdString());
        choose(2);  // Swell Vs Temp.
        charts->DrawOverlay("Lsm B", infoRow(22, "", "LSM", 0, c.length));
        EXPECT_EQ(charts->OverSampleLength, c.used);
        EXPECT_EQ(pointsOf(g, 1, 2), pts({{150, 0.2 / c.used * 100}, {90, 0.4 / c.used * 100}}));
    }
    choose(1);  // Swell Vs Time: sorted
    charts->DrawOverlay("Lsm B", infoRow(22, "", "LSM", 0, 4.0));
    EXPECT_EQ(pointsOf(g, 1, 2), pts({{0, 5}, {1, 10}}));
    EXPECT_EQ(g.subsetLabel(0), "Lsm A");

    // The length is stored in inches in either unit system: the same swell in SI.
    const int savedUnits = gUnitSystem;
    gUnitSystem = 2;
    SetUnitLabels();
    choose(1);
    charts->DrawOverlay("Lsm B", infoRow(22, "", "LSM", 0, 4.0));
    gUnitSystem = savedUnits;
    SetUnitLabels();
    EXPECT_EQ(charts->OverSampleLength, 4.0);
    EXPECT_EQ(pointsOf(g, 1, 2), pts({{0, 5}, {1, 10}}));
}

TEST_F(ChartKinds, OverlayCountsRowsPastThe16BitLimit) {
    std::vector<Row> many;
    const int n = 40000;
    for (int i = 0; i < n; ++i) many.push_back({double(i), 200.0 - (i % 1000) * 0.1, 1000, 100, 50, 0});
    addRows(30, many);
    openTest("Mud A", 7);
    charts->Fill_ChartList_2D();
    choose(2);  // Visc Vs. Sample Temp
    charts->DrawOverlay("Long test", infoRow(30, "R1", "B1", 1.7245, 3.8));
    EXPECT_EQ(g.prop(pesgo::Points), PeValue(n));
    EXPECT_EQ(charts->ChartPointCount, n);
    EXPECT_TRUE(g.hasXData(1, n - 1));
    EXPECT_FLOAT_EQ(g.xData(1, 0), 100.1f);
    EXPECT_FLOAT_EQ(g.xData(1, n - 1), 200.0f);
}

// ---------------------------------------------------------------------------
// Whole numbers as the masks "#0" and "###0" show them

TEST(ChartNumbers, RoundToPlacesLikeTheMasks) {
    std::vector<double> values = {0, 0.5, -0.5, 1.5, 2.5, 5000.5, 1000.46, -1000.5, 0.49999999999999994,
                                  2.4999999999999996, 1e15 + 0.5, 123456.789};
    QRandomGenerator rng(11);
    for (int i = 0; i < 5000; ++i) {
        values.push_back((rng.bounded(2) ? -1 : 1) * std::pow(10.0, rng.bounded(10.0) - 2.0) * rng.generateDouble());
        values.push_back(std::round(rng.bounded(200000.0)) / 10.0 + 0.05);
    }
    for (double v : values) {
        EXPECT_EQ(RoundToPlaces(v, 0), Val(Format(v, QStringLiteral("#0")))) << std::setprecision(17) << v;
        EXPECT_EQ(RoundToPlaces(v, 1), Val(Format(v, QStringLiteral("##0.0")))) << std::setprecision(17) << v;
    }
}
