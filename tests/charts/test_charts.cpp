// The result charts of the main window, read back from the chart controls'
// property stores.

#include "ChartFixture.h"

#include <QValueAxis>

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMouseEvent>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <algorithm>
#include <cmath>
#include <iomanip>
#include <set>

#include "data/Numbers.h"
#include "data/TypedNumbers.h"

using namespace chart_tests;
using namespace pesgo;

namespace {

PeWrite W(int prop, const PeValue& v) { return PeWrite{prop, 0, 0, 0, v}; }
PeWrite W(int prop, int i, const PeValue& v) { return PeWrite{prop, 1, i, 0, v}; }
PeWrite W(int prop, int i, int j, const PeValue& v) { return PeWrite{prop, 2, i, j, v}; }
constexpr qint16 s16(int v) { return qint16(v); }

QString describe(const PeWrite& w) {
    return QStringLiteral("%1[%2:%3,%4]=%5 (type %6)")
        .arg(w.prop)
        .arg(w.indexCount)
        .arg(w.i)
        .arg(w.j)
        .arg(w.value.toString())
        .arg(int(w.value.type()));
}

// Compares two write sequences and names the first difference.
void expectWrites(const QList<PeWrite>& actual, const QList<PeWrite>& expected) {
    const qsizetype n = std::min(actual.size(), expected.size());
    for (qsizetype k = 0; k < n; ++k)
        ASSERT_EQ(actual[k], expected[k]) << "write " << k << ": " << describe(actual[k]).toStdString()
                                          << " expected " << describe(expected[k]).toStdString();
    EXPECT_EQ(actual.size(), expected.size());
}

// The 2-D writes of the rheology set-up for the unit captions in force.
QList<PeWrite> rheology2dWrites() {
    QList<PeWrite> w = {W(226, s16(0)), W(93, s16(0)), W(226, -99999), W(93, -99999),
                        W(206, true),   W(3, true),    W(11, s16(3)),  W(12, s16(9999))};
    for (int s = 0; s <= 3; ++s)
        for (int p = 0; p <= 3; ++p) w << W(129, s, p, 0.0f);
    w << W(256, false) << W(131, 0, "Viscosity ") << W(131, 1, "Pressure") << W(131, 2, "Sample Temp");
    w << W(190, 0, s16(1)) << W(190, 1, s16(1)) << W(190, 2, s16(1)) << W(257, 0, s16(3));
    w << W(134, 0, 11) << W(134, 1, 11) << W(134, 2, 11) << W(83, s16(0)) << W(19, s16(2));
    w << W(133, 0, 0) << W(133, 1, 1) << W(133, 2, 6);
    w << W(132, 0, peRgb(0, 128, 0)) << W(132, 1, peRgb(0, 0, 128)) << W(132, 2, peRgb(255, 0, 0));
    w << W(177, s16(15)) << W(64, true);
    w << W(195, s16(0)) << W(213, peRgb(0, 128, 0)) << W(33, QStringLiteral("Viscosity ") + gViscLabel);
    w << W(195, s16(1)) << W(213, peRgb(0, 0, 128)) << W(33, "Pressure (Psi)");
    w << W(195, s16(2)) << W(213, peRgb(255, 0, 0)) << W(33, QStringLiteral("Temperature ") + gTempLabel);
    w << W(195, s16(0)) << W(32, "Time (min)") << W(9, "Viscosity, Pressure & Temperature Vs. Time");
    w << W(48, s16(0)) << W(13, s16(2)) << W(10, "") << W(29, true) << W(143, true) << W(153, true);
    w << W(98, s16(3)) << W(223, true) << W(137, s16(2)) << W(140, s16(0)) << W(141, true) << W(142, true);
    w << W(43, s16(0)) << W(19, s16(2)) << W(228, s16(0)) << W(203, s16(0)) << W(204, 1.3) << W(178, s16(90));
    w << W(40, s16(1)) << W(66, true) << W(140, s16(3)) << W(288, true) << W(108, s16(0));
    return w;
}

QList<PeWrite> rheology3dWrites(const char* yLabel) {
    return {W(11, s16(1)),
            W(12, s16(0)),
            W(5, peRgb(255, 255, 255)),
            W(4, peRgb(0, 128, 0)),
            W(161, peRgb(255, 255, 255)),
            W(162, peRgb(255, 255, 255)),
            W(6, peRgb(255, 255, 255)),
            W(7, peRgb(0, 0, 0)),
            W(9, "Viscosity Vs. Shear Rate & Sample Temp"),
            W(10, ""),
            W(155, s16(16)),
            W(148, s16(149)),
            W(19, s16(2)),
            W(32, "Time (min)"),
            W(147, "Shear Rate (1/s)"),
            W(33, yLabel)};
}

QList<PeWrite> base2dWrites() {
    QList<PeWrite> w = {W(226, s16(0)), W(93, s16(0)), W(206, true), W(3, true), W(11, s16(1)), W(12, s16(9999))};
    w << W(129, 0, -1, 0.0f) << W(129, 1, -1, 0.0f) << W(129, 2, -1, 0.0f) << W(256, false);
    w << W(134, 0, 11) << W(134, 1, 11) << W(134, 2, 11) << W(134, 3, 11);
    w << W(83, s16(0)) << W(64, true) << W(195, s16(0)) << W(48, s16(0)) << W(13, s16(2)) << W(10, "");
    w << W(29, true) << W(143, true) << W(153, true) << W(98, s16(3)) << W(223, true) << W(137, s16(2));
    w << W(140, s16(0)) << W(141, true) << W(142, true) << W(43, s16(0)) << W(19, s16(2)) << W(228, s16(0));
    w << W(203, s16(0)) << W(223, false) << W(204, 1.3) << W(178, s16(75)) << W(40, s16(1)) << W(66, true);
    w << W(140, s16(3)) << W(288, true) << W(108, s16(0));
    return w;
}

// The rows of the test "Mud A" (TEST_ID 7): step rows (type 0) and ramp rows
// (type 1) mixed, with the shear rates the viscosity guards care about.
const std::vector<Row> kMudA = {
    {0, 75.26, 1000, 0, 50, 0},         // rate 0
    {60, 100, 2000, 170.3, 300, 1},     //
    {120, 212, 3000, 0.00001, 40, 1},   // rate exactly 1e-05
    {180, 250, 4000, 511, 511, 0},      // stress 511
    {240, -10, 5000, -5, 20, 0},        // negative rate, temperature below 0 °F
    {300, 150, 6000, 0.00002, 1, 1},    // rate exactly 0.00002
};

// Points 0 .. n-1 of a subset as they stand.
std::vector<std::pair<float, float>> pointsOf(const PeChart& c, int s, int n) {
    std::vector<std::pair<float, float>> out;
    for (int p = 0; p < n; ++p) out.emplace_back(c.xData(s, p), c.yData(s, p));
    return out;
}

std::vector<float> ys(const PeChart& c, int s, int n) {
    std::vector<float> out;
    for (int p = 0; p < n; ++p) out.push_back(c.yData(s, p));
    return out;
}

std::vector<float> floats(std::initializer_list<double> v) {
    std::vector<float> out;
    for (double d : v) out.push_back(float(d));
    return out;
}

class Charts : public ChartFixture {
protected:
    void SetUp() override {
        ChartFixture::SetUp();
        addRows(7, kMudA);
        addRows(8, {{30, 1, 1, 1, 1, 0}});  // another test: never drawn
    }
};

}  // namespace

// ---------------------------------------------------------------------------
// Set-ups and start-up

class StartUp : public ChartFixture, public ::testing::WithParamInterface<int> {};

TEST_P(StartUp, TheChartsStartInTheViscosityPressureTemperatureLayout) {
    useUnits(GetParam());
    g.store().setLogging(true);
    d.store().setLogging(true);
    // The load handler: 2-D mode with no test open, then the rheology set-up.
    charts->opt2D_Click();
    EXPECT_EQ(listEntries(), MainCharts::kChartList2D);
    EXPECT_EQ(host.c.cmbChartType->currentIndex(), 0);
    EXPECT_TRUE(g.store().log().isEmpty());  // no test: nothing drawn
    charts->Initial_Chart_Rheology();

    expectWrites(g.store().log(), rheology2dWrites());
    expectWrites(d.store().log(), rheology3dWrites(GetParam() == 1 ? "Viscosity (cP)" : "Viscosity (mPa.s)"));

    EXPECT_EQ(g.yAxisLabel(0), GetParam() == 1 ? "Viscosity ( cP )" : "Viscosity (mPa.s)");
    EXPECT_EQ(g.yAxisLabel(1), "Pressure (Psi)");
    EXPECT_EQ(g.yAxisLabel(2), GetParam() == 1 ? "Temperature (°F)" : "Temperature (°C)");
    // Three axes, one subset each, and no test data drawn.
    const auto scales = g.yScales();
    ASSERT_EQ(scales.size(), 3);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(scales[k].subsets, QList<int>{k});
    for (QAbstractSeries* s : g.chart()->series()) EXPECT_EQ(qobject_cast<QLineSeries*>(s)->count(), 0);
    EXPECT_FALSE(host.Pesgo1->isHidden());
    EXPECT_TRUE(host.Pe3do1->isHidden());
}

INSTANTIATE_TEST_SUITE_P(UnitSystems, StartUp, ::testing::Values(1, 2));

TEST_F(ChartFixture, TheOneSubsetBaseStateIsTheSameOnceOrTwice) {
    charts->Initial_Chart_Rheology();
    g.store().setLogging(true);
    charts->Initial_Chart_2d();
    expectWrites(g.store().log(), base2dWrites());
    g.store().clearLog();
    charts->Initial_Chart_2d();
    expectWrites(g.store().log(), base2dWrites());
    EXPECT_EQ(g.subsets(), 1);
    EXPECT_EQ(g.points(), 9999);
    EXPECT_EQ(g.subTitle(), "");
    EXPECT_FALSE(g.xLog());
    EXPECT_EQ(g.yScales().size(), 1);
}

// ---------------------------------------------------------------------------
// Lists, mode and dispatch

TEST_F(ChartFixture, EachListFillsItsEntriesAndTheKindListsHideTheModeAndFilterFrames) {
    struct Case {
        void (MainCharts::*fill)();
        QStringList entries;
        bool hidesFrames;
    };
    const Case cases[] = {
        {&MainCharts::Fill_ChartList_2D,
         {"Visc, Temp Vs Time", "Shr. Stress Vs. Shr. Rate", "Visc Vs. Sample Temp", "Visc. Vs. Shear Rate",
          "Shr. Stress Vs. Time", "Visc Vs. Time", "Fann35, Temp, Press Vs. Time"},
         false},
        {&MainCharts::Fill_ChartList_3D, {"Visc Vs. Rate, Time", "Visc Vs. Rate, Temp", "Visc Vs. Temp, Pressure"}, false},
        {&MainCharts::Fill_ChartList_PVT, {"Density,Press,Temp Vs. Time", "Density Vs. Temp", "Density Vs. Press"}, true},
        {&MainCharts::Fill_ChartList_LSM,
         {"Swell,Temp,Press Vs Time", "Swell Vs Time", "Swell Vs Temp.", "Swell Vs Press.", "Swell Vs Speed"},
         true},
    };
    for (const Case& c : cases) {
        host.c.Frame2->show();
        host.c.framData->show();
        host.c.cmbChartType->addItem("left over");
        (charts.get()->*c.fill)();
        EXPECT_EQ(listEntries(), c.entries);
        EXPECT_EQ(host.c.cmbChartType->currentIndex(), 0);
        EXPECT_EQ(host.c.Frame2->isHidden(), c.hidesFrames) << c.entries[0].toStdString();
        EXPECT_EQ(host.c.framData->isHidden(), c.hidesFrames) << c.entries[0].toStdString();
    }
}

TEST_F(Charts, WithNoTestOpenAChoiceDrawsNothingAndReturnsToTheFirstEntry) {
    charts->Fill_ChartList_2D();
    g.store().setLogging(true);
    d.store().setLogging(true);
    choose(3);
    EXPECT_EQ(host.c.cmbChartType->currentIndex(), 0);
    EXPECT_TRUE(g.store().log().isEmpty());
    EXPECT_TRUE(d.store().log().isEmpty());
}

TEST_F(Charts, AChoiceStartsANewChartOnBothControlsBeforeAnythingElse) {
    openTest("Mud A", 7);
    charts->Fill_ChartList_2D();
    g.store().setLogging(true);
    d.store().setLogging(true);
    choose(1);
    ASSERT_FALSE(g.store().log().isEmpty());
    ASSERT_FALSE(d.store().log().isEmpty());
    EXPECT_EQ(g.store().log().first(), W(108, s16(20)));
    EXPECT_EQ(d.store().log().first(), W(65, s16(20)));
    // The rheology set-up runs before the builder, on both controls.
    EXPECT_EQ(d.mainTitle(), "Viscosity Vs. Shear Rate & Sample Temp");
}

TEST_F(Charts, ModesShowOneChartAndTheirOwnOptions) {
    openTest("Mud A", 7);
    charts->opt3D_Click();
    EXPECT_EQ(charts->ChartMode, 2);
    EXPECT_TRUE(host.c.opt3D->isChecked());
    EXPECT_FALSE(host.c.opt2D->isChecked());
    EXPECT_TRUE(host.Pesgo1->isHidden());
    EXPECT_FALSE(host.Pe3do1->isHidden());
    EXPECT_TRUE(host.c.framX->isHidden());
    EXPECT_TRUE(host.c.framY->isHidden());
    EXPECT_EQ(listEntries(), MainCharts::kChartList3D);
    EXPECT_FALSE(host.c.cmdOverlap->isEnabled());

    charts->opt2D_Click();
    EXPECT_EQ(charts->ChartMode, 1);
    EXPECT_TRUE(host.c.opt2D->isChecked());
    EXPECT_FALSE(host.c.opt3D->isChecked());
    EXPECT_FALSE(host.Pesgo1->isHidden());
    EXPECT_TRUE(host.Pe3do1->isHidden());
    EXPECT_FALSE(host.c.framX->isHidden());
    EXPECT_FALSE(host.c.framY->isHidden());
    EXPECT_EQ(listEntries(), MainCharts::kChartList2D);
    // The first chart is drawn at once.
    EXPECT_EQ(g.subTitle(), "Mud A");
    EXPECT_EQ(g.points(), 6);
}

TEST_F(Charts, TwoDModeFillsTheListOfTheTestKind) {
    struct Case {
        qint32 type;
        QStringList entries;
    };
    for (const Case& c : {Case{0, MainCharts::kChartList2D}, Case{1, MainCharts::kChartListPVT},
                          Case{2, MainCharts::kChartListLSM}}) {
        openTest("Kind test", 7, c.type);
        charts->opt2D_Click();
        EXPECT_EQ(listEntries(), c.entries) << c.type;
        EXPECT_FALSE(host.c.cmdOverlap->isEnabled()) << c.type;  // entry 0 of every list
    }
    // An unknown kind fills nothing; a selection past the first entry enables
    // the overlay.
    openTest("Kind test", 7, 5);
    host.c.cmbChartType->setCurrentIndex(2);
    charts->opt2D_Click();
    EXPECT_EQ(listEntries(), MainCharts::kChartListLSM);
    EXPECT_TRUE(host.c.cmdOverlap->isEnabled());
}

TEST_F(Charts, OverlapIsOfferedForTheSingleCurveChartsOnly) {
    openTest("Mud A", 7);
    charts->Fill_ChartList_2D();
    const bool expected[] = {false, true, true, true, true, true, false};
    for (int i = 0; i < 7; ++i) {
        host.c.cmdOverlap->setEnabled(!expected[i]);
        choose(i);
        EXPECT_EQ(host.c.cmdOverlap->isEnabled(), expected[i]) << i;
    }
    // 3-D choices leave the button as it was.
    charts->opt3D_Click();
    for (bool before : {true, false}) {
        host.c.cmdOverlap->setEnabled(before);
        choose(1);
        EXPECT_EQ(host.c.cmdOverlap->isEnabled(), before);
    }
    // PVT and swell: every entry but the first.
    for (qint32 type : {1, 2}) {
        openTest("Kind test", 7, type);
        charts->opt2D_Click();
        for (int i = 0; i < host.c.cmbChartType->count(); ++i) {
            choose(i);
            EXPECT_EQ(host.c.cmdOverlap->isEnabled(), i != 0) << type << " " << i;
        }
    }
}

// ---------------------------------------------------------------------------
// The two time charts

TEST_F(Charts, ViscosityPressureTemperatureChartDrawsTheKeptRowsOnThreeAxes) {
    openTest("Mud A", 7);
    charts->Fill_ChartList_2D();  // draws entry 0
    EXPECT_EQ(g.mainTitle(), "Viscosity, Pressure & Temperature Vs. Time");
    EXPECT_EQ(g.subTitle(), "Mud A");
    EXPECT_EQ(g.xAxisLabel(), "Time (min)");
    EXPECT_EQ(g.subsets(), 3);
    EXPECT_EQ(g.prop(Points), PeValue(6));
    const QString labels[] = {"Viscosity ( cP )", "Pressure (Psi)", "Temperature (°F)"};
    const QString subsetLabels[] = {"Viscosity ", "Pressure", "Sample Temp"};
    const qint32 colours[] = {pepalette::Green, pepalette::Blue, pepalette::LightRed};
    const auto scales = g.yScales();
    ASSERT_EQ(scales.size(), 3);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(scales[k].subsets, QList<int>{k});
        EXPECT_EQ(g.yAxisLabel(k), labels[k]);
        EXPECT_EQ(g.yAxisColor(k), colours[k]);
        EXPECT_EQ(g.subsetLabel(k), subsetLabels[k]);
        EXPECT_EQ(g.subsetColor(k), colours[k]);
        for (int p = 0; p < 6; ++p) EXPECT_EQ(g.xData(k, p), float(p)) << k << " " << p;  // minutes
    }
    // Viscosity: 0 below 1e-05 (zero and negative rates), 100 * stress / (rate + 1e-05) from there.
    EXPECT_EQ(ys(g, 0, 6), floats({0, 100 * 300 / 170.30001, 2e8, 100 * 511 / 511.00001, 0, 100 / 0.00003}));
    EXPECT_EQ(ys(g, 1, 6), floats({1000, 2000, 3000, 4000, 5000, 6000}));
    EXPECT_EQ(ys(g, 2, 6), floats({75.3, 100, 212, 250, -10, 150}));  // one decimal
    EXPECT_FALSE(g.hasXData(0, 6));
    EXPECT_FALSE(host.c.cmdOverlap->isEnabled());
}

TEST_F(Charts, TimeChartsShowSiTemperaturesToOneDecimal) {
    useUnits(2);
    openTest("Mud A", 7);
    charts->Fill_ChartList_2D();
    EXPECT_EQ(g.yAxisLabel(0), "Viscosity (mPa.s)");
    EXPECT_EQ(g.yAxisLabel(2), "Temperature (°C)");
    EXPECT_EQ(ys(g, 2, 6), floats({24.0, 37.8, 100.0, 121.1, -1, 65.6}));
    // Viscosity and pressure are not converted.
    EXPECT_EQ(g.yData(0, 2), 2e8f);
    EXPECT_EQ(g.yData(1, 5), 6000.0f);
}

TEST_F(Charts, FannChartHasItsOwnThreeAxisLayout) {
    for (int units : {1, 2}) {
        useUnits(units);
        openTest("Mud A", 7);
        charts->Fill_ChartList_2D();
        host.c.cmdOverlap->setEnabled(true);
        choose(6);
        EXPECT_EQ(g.mainTitle(), QStringLiteral("Fann\u00AE 35 F1 , Pressure & Temperature"));
        EXPECT_EQ(g.subTitle(), "Mud A");
        EXPECT_EQ(g.xAxisLabel(), "Time (min)");
        EXPECT_EQ(g.subsets(), 3);
        EXPECT_EQ(g.prop(Points), PeValue(6));
        const QString labels[] = {"Fann35", QStringLiteral("Temperature ") + gTempLabel, "Pressure (psi)"};
        const QString subsetLabels[] = {"Fann35", "Sample Temp", "Pressure"};
        const qint32 colours[] = {pepalette::Grey, pepalette::LightRed, pepalette::Blue};
        const auto scales = g.yScales();
        ASSERT_EQ(scales.size(), 3);
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(scales[k].subsets, QList<int>{k});
            EXPECT_EQ(g.yAxisLabel(k), labels[k]);
            EXPECT_EQ(g.yAxisColor(k), colours[k]);
            EXPECT_EQ(g.subsetLabel(k), subsetLabels[k]);
            EXPECT_EQ(g.subsetColor(k), colours[k]);
            EXPECT_EQ(g.xData(k, 5), 5.0f);
        }
        // The dial reading comes from the stored stress in both unit systems.
        EXPECT_EQ(g.yData(0, 3), 100.0f);
        EXPECT_EQ(g.yData(0, 0), float(50 / 5.11));
        EXPECT_EQ(g.yData(1, 4), units == 1 ? -10.0f : -1.0f);
        EXPECT_EQ(g.yData(1, 0), units == 1 ? 75.3f : 24.0f);
        EXPECT_EQ(ys(g, 2, 6), floats({1000, 2000, 3000, 4000, 5000, 6000}));
        EXPECT_FALSE(host.c.cmdOverlap->isEnabled());
    }
}

TEST_F(Charts, TimeChartsOfATestWithoutRowsKeepTheSetUpPointCount) {
    openTest("Empty test", 99);
    charts->Fill_ChartList_2D();
    EXPECT_EQ(g.subTitle(), "Empty test");
    EXPECT_EQ(g.mainTitle(), "Viscosity, Pressure & Temperature Vs. Time");
    EXPECT_EQ(g.prop(Points), PeValue(qint16(9999)));
    EXPECT_FALSE(g.hasXData(0, 0));
    choose(6);
    EXPECT_EQ(g.prop(Points), PeValue(qint16(9999)));
    EXPECT_FALSE(g.hasXData(0, 0));
    EXPECT_EQ(g.prop(Action), PeValue(qint16(ActionRedraw)));
}

// ---------------------------------------------------------------------------
// The five single-curve charts

TEST_F(Charts, EachSingleCurveChartDrawsOneSortedSubsetOfTheTestRows) {
    struct Case {
        int entry;
        QString title, xLabel, yLabel;
        // (X, Y) of the six rows after the sort by X.
        std::vector<std::pair<double, double>> cgs;
        std::vector<std::pair<double, double>> si;
    };
    const double v1 = 300 / 170.3000001 * 100, v3 = 511 / 511.0000001 * 100, v5 = 1 / 0.0000201 * 100;
    const std::vector<Case> cases = {
        {1, "Shear Stress Vs. Shear Rate", "Shear Rate (1/s)", "Shear Stress ",
         {{-5, 20}, {0, 50}, {0.00001, 40}, {0.00002, 1}, {170.3, 300}, {511, 511}},
         {{-5, 2}, {0, 5}, {0.00001, 4}, {0.00002, 0.1}, {170.3, 30}, {511, 51.1}}},
        {2, "Viscosity Vs. Temperature", "Sample Temperature ", "Viscosity ",
         {{-10, 0}, {75.3, 0}, {100, v1}, {150, v5}, {212, 0}, {250, v3}},
         {{-1, 0}, {24.0, 0}, {37.8, v1}, {65.6, v5}, {100, 0}, {121.1, v3}}},
        {3, "Viscosity Vs. Shear Rate", "Shear Rate (1/s)", "Viscosity ",
         {{-5, 0}, {0, 0}, {0.00001, 0}, {0.00002, v5}, {170.3, v1}, {511, v3}},
         {{-5, 0}, {0, 0}, {0.00001, 0}, {0.00002, v5}, {170.3, v1}, {511, v3}}},
        {4, "Shear Stress vs. Time", "Time (min)", "Shear Stress ",
         {{0, 50}, {1, 300}, {2, 40}, {3, 511}, {4, 20}, {5, 1}},
         {{0, 5}, {1, 30}, {2, 4}, {3, 51.1}, {4, 2}, {5, 0.1}}},
        {5, "Viscosity vs. Time", "Time (min)", "Viscosity ",
         {{0, 0}, {1, v1}, {2, 0}, {3, v3}, {4, 0}, {5, v5}},
         {{0, 0}, {1, v1}, {2, 0}, {3, v3}, {4, 0}, {5, v5}}},
    };
    for (int units : {1, 2}) {
        useUnits(units);
        openTest("Mud A", 7);
        charts->Fill_ChartList_2D();
        for (const Case& c : cases) {
            SCOPED_TRACE(c.title.toStdString() + (units == 1 ? " CGS" : " SI"));
            choose(c.entry);
            EXPECT_EQ(g.mainTitle(), c.title);
            EXPECT_EQ(g.subTitle(), "Mud A");
            const QString unit = c.yLabel.startsWith("Visc") ? gViscLabel : gStressLabel;
            EXPECT_EQ(g.xAxisLabel(), c.xLabel.startsWith("Sample") ? c.xLabel + gTempLabel : c.xLabel);
            EXPECT_EQ(g.yAxisLabel(0), c.yLabel + unit);
            EXPECT_EQ(g.subsets(), 1);
            EXPECT_EQ(g.prop(Points), PeValue(6));
            EXPECT_EQ(charts->SubsetCount, 1);
            EXPECT_EQ(charts->ChartPointCount, 6);
            const auto scales = g.yScales();
            ASSERT_EQ(scales.size(), 1);
            EXPECT_EQ(scales[0].subsets, QList<int>{0});
            std::vector<std::pair<float, float>> expected;
            for (const auto& [x, y] : units == 1 ? c.cgs : c.si) expected.emplace_back(float(x), float(y));
            EXPECT_EQ(pointsOf(g, 0, 6), expected);
            EXPECT_FALSE(g.hasXData(0, 6));
            // The last row charted stays in the row member.
            EXPECT_EQ(charts->CurResultRow.at(4).toDouble(), 300.0);
        }
    }
}

TEST_F(Charts, SingleCurveChartsKeepTheRowCountAndLeaveFilteredPositionsUnwritten) {
    openTest("Mud A", 7);
    charts->Fill_ChartList_2D();
    charts->optNoRamp_Click();
    choose(5);  // Visc Vs. Time
    EXPECT_EQ(g.prop(Points), PeValue(6));
    EXPECT_EQ(charts->ChartPointCount, 6);
    std::set<std::pair<float, float>> written;
    int unwritten = 0;
    for (int p = 0; p < 6; ++p) {
        if (g.hasXData(0, p)) written.insert({g.xData(0, p), g.yData(0, p)});
        else ++unwritten;
        if (p > 0) {
            EXPECT_LE(g.xData(0, p - 1), g.xData(0, p));  // sorted, unwritten positions read as 0
        }
    }
    const float v3 = float(511 / 511.0000001 * 100);
    EXPECT_EQ(written, (std::set<std::pair<float, float>>{{0.0f, 0.0f}, {3.0f, v3}, {4.0f, 0.0f}}));
    EXPECT_EQ(unwritten, 3);
}

TEST_F(Charts, SingleCurveChartOfATestWithoutRowsHasTitlesAndNoPoints) {
    openTest("Empty test", 99);
    charts->Fill_ChartList_2D();
    choose(1);
    EXPECT_EQ(g.prop(Points), PeValue(0));
    EXPECT_EQ(charts->ChartPointCount, 0);
    EXPECT_EQ(g.mainTitle(), "Shear Stress Vs. Shear Rate");
    EXPECT_EQ(g.subTitle(), "Empty test");
    EXPECT_FALSE(g.hasXData(0, 0));
    EXPECT_EQ(g.prop(Action), PeValue(qint16(ActionRedraw)));
}

// ---------------------------------------------------------------------------
// Row filter

TEST_F(Charts, FilterOptionsRedrawWithStepRowsRampRowsOrAll) {
    openTest("Mud A", 7);
    charts->Fill_ChartList_2D();
    auto times = [&] {
        std::set<float> out;
        const int k = g.points();
        for (int p = 0; p < k; ++p) out.insert(g.xData(1, p));
        return out;
    };
    charts->optNoRamp_Click();
    EXPECT_TRUE(host.c.optNoRamp->isChecked());
    const std::set<float> steps = times();
    EXPECT_EQ(steps, (std::set<float>{0, 3, 4}));
    EXPECT_EQ(g.yData(1, 1), 4000.0f);  // kept rows are numbered consecutively
    charts->optonlyRamp_Click();
    EXPECT_TRUE(host.c.optonlyRamp->isChecked());
    const std::set<float> ramps = times();
    EXPECT_EQ(ramps, (std::set<float>{1, 2, 5}));
    charts->optAllData_Click();
    EXPECT_TRUE(host.c.optAllData->isChecked());
    std::set<float> both = steps;
    both.insert(ramps.begin(), ramps.end());
    EXPECT_EQ(times(), both);
    EXPECT_EQ(g.points(), 6);

    // The filter reads the type column: a row of type 2 passes none of them.
    EXPECT_FALSE(charts->PassesRowFilter(2));
    EXPECT_TRUE(charts->PassesRowFilter(1));
    EXPECT_TRUE(charts->PassesRowFilter(0));
}

TEST_F(Charts, OnlyRampOnATestWithoutRampRowsDrawsNoPoint) {
    addRows(9, {{0, 70, 100, 10, 5, 0}, {60, 71, 100, 10, 5, 0}});
    openTest("Steps only", 9);
    charts->Fill_ChartList_2D();
    charts->optonlyRamp_Click();
    EXPECT_EQ(g.prop(Points), PeValue(0));
    EXPECT_FALSE(g.hasXData(0, 0));
    choose(6);
    EXPECT_EQ(g.prop(Points), PeValue(0));
    EXPECT_FALSE(g.hasXData(0, 0));
    choose(3);
    EXPECT_EQ(g.prop(Points), PeValue(2));
    EXPECT_FALSE(g.hasXData(0, 0));
    EXPECT_FALSE(g.hasXData(0, 1));
}

// ---------------------------------------------------------------------------
// Axis scales

TEST_F(Charts, AxisScaleOptionsRedrawWithoutReadingRowsAgain) {
    openTest("Mud A", 7);
    charts->Fill_ChartList_2D();
    choose(1);
    addRows(7, {{400, 70, 100, 10, 5, 0}});  // not read until the next chart choice
    g.store().setLogging(true);
    charts->optXlog_Click();
    EXPECT_TRUE(host.c.optXlog->isChecked());
    EXPECT_FALSE(host.c.optXNormal->isChecked());
    charts->optYLog_Click();
    EXPECT_TRUE(host.c.optYLog->isChecked());
    EXPECT_FALSE(host.c.optYNormal->isChecked());
    expectWrites(g.store().log(), {W(40, s16(2)), W(108, s16(0)), W(41, s16(2)), W(108, s16(0))});
    EXPECT_TRUE(qobject_cast<QLogValueAxis*>(g.xAxis()));
    ASSERT_EQ(g.yAxes().size(), 1);
    EXPECT_TRUE(qobject_cast<QLogValueAxis*>(g.yAxes()[0]));
    EXPECT_EQ(g.points(), 6);

    // A chart choice sets X linear again (the option still shows Log); Y stays.
    choose(2);
    EXPECT_FALSE(g.xLog());
    EXPECT_TRUE(host.c.optXlog->isChecked());
    EXPECT_TRUE(g.yLog());
    EXPECT_EQ(g.points(), 7);

    g.store().clearLog();
    charts->optXNormal_Click();
    charts->optYNormal_Click();
    EXPECT_TRUE(host.c.optXNormal->isChecked());
    EXPECT_TRUE(host.c.optYNormal->isChecked());
    expectWrites(g.store().log(), {W(40, s16(1)), W(108, s16(0)), W(41, s16(1)), W(108, s16(0))});
}

// ---------------------------------------------------------------------------
// Manual Y range and the axis event

// The manual range is the one typed, not widened: the axis drawn ends where
// the user said (a range of 40 to 60 once drew 38 to 62).
TEST_F(ChartFixture, YRangeOkSetsTheManualRangeToTheEndsTyped) {
    struct Case {
        QString max, min;
        double upper, lower;
    };
    for (const Case& c : {Case{"100", "20", 100, 20}, Case{"60", "40", 60, 40}, Case{"0", "100", 0, 100},
                          Case{" 1e3 ", "-5", 1000, -5}}) {
        host.c.Frame1->show();
        host.c.Text1->setText(c.max);
        host.c.Text2->setText(c.min);
        g.store().setLogging(true);
        g.store().clearLog();
        charts->Command1_Click();
        expectWrites(g.store().log(), {W(55, s16(3)), W(56, c.upper), W(57, c.lower)});
        EXPECT_TRUE(host.c.Frame1->isHidden());
    }
    EXPECT_TRUE(g.manualYRange());
    host.c.Frame1->show();
    g.store().clearLog();
    charts->Command2_Click();
    EXPECT_TRUE(host.c.Frame1->isHidden());
    EXPECT_TRUE(g.store().log().isEmpty());
}

// Max and Min take numbers: a text that is none (an empty box too) is
// refused by the box's name, the frame left open and the scale untouched.
TEST_F(ChartFixture, YRangeBoxesRefuseATextThatIsNoNumber) {
    struct Typed {
        QString text;
        std::optional<double> value;  // none: refused
    };
    const Typed texts[] = {{"abc", {}}, {"1,2", {}}, {"", {}}, {" 12 ", 12}, {"1e3", 1000}, {"-", {}}};
    for (const bool max : {true, false}) {
        for (const Typed& t : texts) {
            const QString what = (max ? "Max " : "Min ") + t.text;
            dialogs.clear();
            host.c.Frame1->show();
            (max ? host.c.Text1 : host.c.Text2)->setText(t.text);
            (max ? host.c.Text2 : host.c.Text1)->setText("-20");
            g.store().setLogging(true);
            g.store().clearLog();
            charts->Command1_Click();
            if (t.value) {
                EXPECT_TRUE(dialogs.messages.empty()) << what.toStdString();
                EXPECT_TRUE(host.c.Frame1->isHidden()) << what.toStdString();
                expectWrites(g.store().log(), {W(55, s16(3)), W(56, max ? *t.value : -20.0), W(57, max ? -20.0 : *t.value)});
            } else {
                EXPECT_EQ(dialogs.texts(), QStringList{typed::NotANumberMessage(max ? "Max" : "Min", t.text)})
                    << what.toStdString();
                EXPECT_FALSE(host.c.Frame1->isHidden()) << what.toStdString();
                EXPECT_TRUE(g.store().log().isEmpty()) << what.toStdString();
            }
        }
    }
    EXPECT_EQ(typed::NotANumberMessage("Max", "abc"),
              "Max: \"abc\" is not a number. Please type a number, with a point for decimals (2.5).");
}

TEST_F(ChartFixture, AxisEventOpensTheRangeFrameForTheFirstYAxisOnly) {
    host.c.Frame1->hide();
    charts->Pesgo1_AxisEvent(0, 0);
    EXPECT_FALSE(host.c.Frame1->isHidden());
    EXPECT_TRUE(dialogs.messages.empty());

    charts->Pesgo1_AxisEvent(0, 2);
    EXPECT_TRUE(host.c.Frame1->isHidden());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].prompt, "Not working for this axis");
    EXPECT_EQ(dialogs.messages[0].style, ui::vbOKOnly);
    EXPECT_EQ(dialogs.messages[0].title, ui::appTitle());

    dialogs.clear();
    charts->Pesgo1_AxisEvent(1, 0);  // the X axis
    EXPECT_TRUE(host.c.Frame1->isHidden());
    EXPECT_TRUE(dialogs.messages.empty());
}

// The frame opens with the range in force: the viscosity scale drawn, or
// the manual range as typed; Enter is OK and Esc is Cancel (the main window
// wires the keys, see the main-window tests).
TEST_F(Charts, RangeFrameOpensWithTheRangeInForce) {
    addRows(7, {{0, 70, 1000, 100, 200, 0}, {60, 80, 1200, 100, 260, 0}, {120, 90, 1400, 100, 330, 0}});
    openTest("Mud A", 7);
    charts->opt2D_Click();
    QApplication::processEvents();
    double lo = 0, hi = 0;
    ASSERT_TRUE(g.shownYRange(lo, hi));
    host.c.Text1->clear();
    host.c.Text2->clear();
    charts->Pesgo1_AxisEvent(0, 0);
    EXPECT_EQ(host.c.Text1->text(), QString::number(hi, 'g', 7));
    EXPECT_EQ(host.c.Text2->text(), QString::number(lo, 'g', 7));

    host.c.Text1->setText("150");
    host.c.Text2->setText("30");
    charts->Command1_Click();
    host.c.Text1->clear();
    host.c.Text2->clear();
    charts->Pesgo1_AxisEvent(0, 0);
    EXPECT_EQ(host.c.Text1->text(), "150");
    EXPECT_EQ(host.c.Text2->text(), "30");
}

// A manual range of 40 to 60 draws the viscosity scale from 40 to 60, not
// a tenth of the span beyond each end.
TEST_F(Charts, AManualRangeDrawsExactlyItsEnds) {
    addRows(7, {{0, 70, 1000, 100, 200, 0}, {60, 80, 1200, 100, 260, 0}, {120, 90, 1400, 100, 330, 0}});
    openTest("Mud A", 7);
    charts->opt2D_Click();
    host.window.resize(1000, 900);
    host.window.show();
    struct Case {
        const char *max, *min;
        double lo, hi;
    } cases[] = {{"60", "40", 40, 60}, {"330", "100", 100, 330}, {"0.5", "0.2", 0.2, 0.5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.max);
        charts->Pesgo1_AxisEvent(0, 0);
        host.c.Text1->setText(c.max);
        host.c.Text2->setText(c.min);
        charts->Command1_Click();
        QApplication::processEvents();
        auto* axis = qobject_cast<QValueAxis*>(g.yAxes().at(0));
        ASSERT_NE(axis, nullptr);
        EXPECT_EQ(axis->min(), c.lo);
        EXPECT_EQ(axis->max(), c.hi);
        charts->Pesgo1_AxisEvent(0, 0);  // the frame shows the range in force
        EXPECT_EQ(host.c.Text1->text(), c.max);
        EXPECT_EQ(host.c.Text2->text(), c.min);
        charts->Command2_Click();
    }
}

TEST_F(Charts, DoubleClickOnTheViscosityAxisOpensTheRangeFrame) {
    QObject::connect(&g, &PeChart::axisEvent, charts.get(), &MainCharts::Pesgo1_AxisEvent);
    openTest("Mud A", 7);
    charts->opt2D_Click();
    host.c.Frame1->hide();
    host.window.resize(1000, 900);
    host.window.show();
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    auto doubleClick = [&](QPointF chartPos) {
        const QPoint viewPos = g.view()->mapFromScene(g.chart()->mapToScene(chartPos));
        const QPointF global = g.view()->viewport()->mapToGlobal(QPointF(viewPos));
        QMouseEvent e(QEvent::MouseButtonDblClick, QPointF(viewPos), global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
        QApplication::sendEvent(g.view()->viewport(), &e);
    };
    const QRectF plot = g.chart()->plotArea();
    ASSERT_FALSE(plot.isEmpty());
    const double room = plot.left() - g.chart()->rect().left();
    doubleClick({plot.left() - room / 6, plot.center().y()});  // viscosity axis
    EXPECT_FALSE(host.c.Frame1->isHidden());
    EXPECT_TRUE(dialogs.messages.empty());
    doubleClick({plot.left() - room * 5 / 6, plot.center().y()});  // temperature axis
    EXPECT_TRUE(host.c.Frame1->isHidden());
    EXPECT_EQ(dialogs.texts(), QStringList{"Not working for this axis"});
    host.window.hide();
}

// ---------------------------------------------------------------------------
// The in-chart sort

TEST_F(ChartFixture, SortKeepsTheExchangeOrderOfEqualValues) {
    // X 2 (row A), 2 (row B), 1: ends 1, B, A.
    const float xs[] = {2, 2, 1}, yA = 10, yB = 20, yC = 30;
    const float yv[] = {yA, yB, yC};
    for (int p = 0; p < 3; ++p) {
        g.setProp(XData, 0, p, xs[p]);
        g.setProp(YData, 0, p, yv[p]);
    }
    charts->SortChartSubset(0, 3);
    EXPECT_EQ(pointsOf(g, 0, 3), (std::vector<std::pair<float, float>>{{1, yC}, {2, yB}, {2, yA}}));
}

TEST_F(ChartFixture, SortGivesTheExchangeSortsResultOnEveryKindOfInput) {
    // The result matches the plain exchange sort whether the points arrive
    // sorted, unsorted, with ties, with unwritten positions or with NaN.
    QRandomGenerator rng(42);
    auto fill = [&](PeChart& c, int kind) {
        for (int p = 0; p < 60; ++p) {
            if (kind == 3 && p % 4 == 1) continue;  // unwritten
            float x = kind == 0 ? float(p) : float(rng.bounded(10));
            if (kind == 4 && p == 30) x = std::nanf("");
            if (kind == 5) x = float(p / 3);  // sorted with ties
            c.setProp(XData, 0, p, x);
            c.setProp(YData, 0, p, float(p));
        }
    };
    for (int kind = 0; kind < 6; ++kind) {
        g.setProp(Action, qint16(ActionNewChart));  // forgets the points of the last round
        PeChart reference;
        const quint32 seed = 100 + kind;
        rng.seed(seed);
        fill(g, kind);
        rng.seed(seed);
        fill(reference, kind);
        charts->SortChartSubset(0, 60);
        ::SortChartSubset(reference, 0, 60);
        for (int p = 0; p < 60; ++p) {
            const float gx = g.xData(0, p), rx = reference.xData(0, p);
            EXPECT_TRUE(gx == rx || (std::isnan(gx) && std::isnan(rx))) << kind << " " << p;
            EXPECT_EQ(g.yData(0, p), reference.yData(0, p)) << kind << " " << p;
            EXPECT_EQ(g.hasXData(0, p), reference.hasXData(0, p)) << kind << " " << p;
        }
    }
}

// ---------------------------------------------------------------------------
// Failures

TEST_F(Charts, ADatabaseFailureIsShownAndTheChartStaysUsable) {
    {
        QSqlQuery drop(connection.ADOConnection()->handle());
        ASSERT_TRUE(drop.exec("DROP TABLE TEST_RESULT"));
    }
    openTest("Mud A", 7);
    charts->Fill_ChartList_2D();  // entry 0 fails
    EXPECT_EQ(dialogs.messages.size(), 1u);
    host.c.cmdOverlap->setEnabled(false);
    dialogs.clear();
    choose(1);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].prompt.startsWith("ERROR: ")) << dialogs.messages[0].prompt.toStdString();
    EXPECT_FALSE(host.c.cmdOverlap->isEnabled());  // the builder did not finish
    // The filter handlers run the same guarded dispatcher.
    dialogs.clear();
    charts->optNoRamp_Click();
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(Charts, AClosedConnectionGivesTheDatabaseErrorText) {
    clsConnection closed;  // never opened
    charts.reset();
    charts = std::make_unique<MainCharts>(g, d, host.c, opened, results, &closed);
    openTest("Mud A", 7);
    charts->Fill_ChartList_2D();
    EXPECT_EQ(dialogs.texts(), QStringList{"ERROR: 3704, Operation is not allowed when the object is closed."});
    // The set-up before the builder ran; the chart can still be used.
    EXPECT_EQ(g.mainTitle(), "Viscosity, Pressure & Temperature Vs. Time");
    charts->optXlog_Click();
    EXPECT_TRUE(g.xLog());
}

// ---------------------------------------------------------------------------
// Temperatures to one decimal

TEST(ChartTemperatures, RoundLikeTheOneDecimalMask) {
    // The quick rounding gives what the mask "##0.0" shows, read back.
    std::vector<double> values = {0,      0.05,    -0.05,  0.15,   2.675,  0.04999,  -0.04,   99.95,  -99.95,
                                  24.05,  1e-20,   123456789012.35,    1e14 + 0.5,       1e16,    -1e17,  37.77777,
                                  212.25, 1.45,    1.55,   -1.45,  65.55555555555, 0.95, 9.95, 999.95};
    QRandomGenerator rng(7);
    for (int i = 0; i < 20000; ++i) {
        const double magnitude = std::pow(10.0, rng.bounded(12.0) - 4.0);
        values.push_back((rng.bounded(2) ? -1 : 1) * magnitude * rng.generateDouble());
        values.push_back(std::round(rng.bounded(20000.0) - 10000.0) / 100.0 + (rng.bounded(2) ? 0.05 : 0.0));
    }
    for (double v : values) {
        const double expected = Val(Format(v, QStringLiteral("##0.0")));
        EXPECT_EQ(RoundOneDecimal(v), expected) << std::setprecision(17) << v;
    }
}

TEST_F(Charts, ARowThatIsNotANumberEndsTheChartWithAMessage) {
    {
        QSqlQuery bad(connection.ADOConnection()->handle());
        ASSERT_TRUE(bad.exec("UPDATE TEST_RESULT SET RESULT_SPEED = 'fast' WHERE TEST_ID = 7 AND RESULT_TIME = 180"));
    }
    openTest("Mud A", 7);
    for (int entry : {0, 3, 6}) {
        dialogs.clear();
        host.c.cmdOverlap->setEnabled(false);
        host.c.cmbChartType->clear();
        host.c.cmbChartType->addItems(MainCharts::kChartList2D);
        choose(entry);
        EXPECT_EQ(dialogs.texts(), QStringList{"ERROR: 13, Type mismatch"}) << entry;
        EXPECT_FALSE(host.c.cmdOverlap->isEnabled()) << entry;
    }
}
