// The sequence preview: profiles built from the editor's grid texts, read back
// from the chart the preview draws on.

#include "data/Globals.h"
#include "platform/PeChart.h"
#include "sequences/SequencePreview.h"
#include "support/ChartReading.h"
#include "support/SavedGlobals.h"

#include <QApplication>
#include <QChart>
#include <QLineSeries>

#include <gtest/gtest.h>

using namespace seqpreview;

namespace {

struct UnitSystemGuard {
    int old = gUnitSystem;
    explicit UnitSystemGuard(int system) { gUnitSystem = system; }
    ~UnitSystemGuard() { gUnitSystem = old; }
};

// A step-grid row from its cells, by column: step time, temperature,
// temperature rate, rate, pressure, pressure rate, cycles, ramp flag.
QStringList step(const QString& dur, const QString& t, const QString& tRate, const QString& sr, const QString& p,
                 const QString& pRate, const QString& cycles = "1", const QString& ramp = "0") {
    return {" 1", dur, t, "3", tRate, sr, p, pRate, "10", cycles, ramp};
}

// Header rows first, then the rows given; the ramp grid gets its 40 rows.
SequenceGridTexts grids(const QVector<QStringList>& steps, const QVector<QStringList>& ramps = {}) {
    SequenceGridTexts g;
    g.steps << QStringList{"Step No", "Elapse\rTime (min)", "Temp.\r(\u00B0F)", "Temp.\rError(\u00B0F)",
                           "Temp. Ramp\rRate (\u00B0F/min)", "Speed (RPM)", "Press.\r(psi)",
                           "Press.\rRate (psi/min)", "Record\rInterval\r(sec)", "Cycle", "Ramp"};
    g.steps += steps;
    g.ramps << QStringList{"Time(sec)", "Speed \r(RPM)", "interval(sec) "};
    for (int r = 0; r < 40; ++r) g.ramps << (r < ramps.size() ? ramps[r] : QStringList{"", "", ""});
    return g;
}

struct Pt {
    double minutes, rate, temperature, pressure;
};

// The points the chart holds, as the three subsets give them back.
std::vector<Pt> chartPoints(const PeChart& c) {
    std::vector<Pt> out;
    for (int j = 0; j < c.points(); ++j) {
        EXPECT_EQ(c.xData(0, j), c.xData(1, j));
        EXPECT_EQ(c.xData(0, j), c.xData(2, j));
        out.push_back({c.xData(0, j), c.yData(0, j), c.yData(1, j), c.yData(2, j)});
    }
    return out;
}

std::string describe(const std::vector<Pt>& pts) {
    std::string s;
    for (const Pt& p : pts)
        s += "(" + std::to_string(p.minutes * 60) + " s; " + std::to_string(p.rate) + "; " +
             std::to_string(p.temperature) + "; " + std::to_string(p.pressure) + ") ";
    return s;
}

void expectPoints(const PeChart& c, const std::vector<Pt>& expected, const std::string& name) {
    const std::vector<Pt> got = chartPoints(c);
    ASSERT_EQ(got.size(), expected.size()) << name << ": " << describe(got);
    for (size_t j = 0; j < got.size(); ++j) {
        EXPECT_FLOAT_EQ(float(got[j].minutes), float(expected[j].minutes)) << name << " point " << j << ": " << describe(got);
        EXPECT_FLOAT_EQ(float(got[j].rate), float(expected[j].rate)) << name << " point " << j;
        EXPECT_FLOAT_EQ(float(got[j].temperature), float(expected[j].temperature)) << name << " point " << j;
        EXPECT_FLOAT_EQ(float(got[j].pressure), float(expected[j].pressure)) << name << " point " << j;
    }
}

struct Case {
    const char* name;
    int unitSystem;
    QVector<QStringList> steps;
    QVector<QStringList> ramps;
    std::vector<Pt> expected;  // minutes, rate, temperature, pressure
};

}  // namespace

TEST(SequencePreview, ProfilesReadBackFromTheChart) {
    const double s = 1.0 / 60;  // one second in minutes
    const std::vector<Case> cases = {
        {"no ramp: the temperature jumps", 1, {step("10", "150", "0", "300", "500", "0")}, {},
         {{0, 300, 70, 0}, {10, 300, 150, 500}}},
        {"first step colder than 70 F starts there", 1, {step("10", "60", "0", "300", "500", "0")}, {},
         {{0, 300, 60, 0}, {10, 300, 60, 500}}},
        {"SI: 25 C starts at 70 F shown in C", 2, {step("10", "25", "0", "300", "0", "0")}, {},
         {{0, 300, (70 - 32) * 5.0 / 9, 0}, {10, 300, 25, 0}}},
        {"SI: 15 C starts at 15 C", 2, {step("10", "15", "0", "300", "0", "0")}, {},
         {{0, 300, 15, 0}, {10, 300, 15, 0}}},
        {"temperature ramp outlasting the step lengthens it", 1, {step("5", "150", "10", "300", "500", "0")}, {},
         {{0, 300, 70, 0}, {0, 300, 70, 500}, {8, 300, 150, 500}}},
        {"temperature ramp inside the step", 1, {step("10", "150", "10", "300", "500", "0")}, {},
         {{0, 300, 70, 0}, {0, 300, 70, 500}, {8, 300, 150, 500}, {10, 300, 150, 500}}},
        {"pressure ramp outlasting the step ends with it", 1, {step("5", "70", "0", "300", "1000", "100")}, {},
         {{0, 300, 70, 0}, {5, 300, 70, 1000}}},
        {"pressure ramp inside the step", 1, {step("20", "70", "0", "300", "1000", "100")}, {},
         {{0, 300, 70, 0}, {10, 300, 70, 1000}, {20, 300, 70, 1000}}},
        {"D1: temperature first, both inside", 1, {step("5", "90", "10", "300", "400", "100")}, {},
         {{0, 300, 70, 0}, {2, 300, 90, 200}, {4, 300, 90, 400}, {5, 300, 90, 400}}},
        {"D2: equal ramp times share one time", 1, {step("5", "90", "10", "300", "200", "100")}, {},
         {{0, 300, 70, 0}, {2, 300, 90, 200}, {2, 300, 90, 200}, {5, 300, 90, 200}}},
        {"D3: pressure outlasts the step", 1, {step("5", "90", "10", "300", "1000", "100")}, {},
         {{0, 300, 70, 0}, {2, 300, 90, 200}, {5, 300, 90, 1000}}},
        {"D4: temperature outlasts the step", 1, {step("5", "150", "10", "300", "200", "100")}, {},
         {{0, 300, 70, 0}, {2, 300, 90, 200}, {8, 300, 150, 200}}},
        {"D5: both outlast, temperature longer", 1, {step("5", "150", "10", "300", "600", "100")}, {},
         {{0, 300, 70, 0}, {6, 300, 130, 600}, {8, 300, 150, 600}}},
        {"D6: both outlast, pressure longer", 1, {step("5", "130", "10", "300", "800", "100")}, {},
         {{0, 300, 70, 0}, {6, 300, 130, 800}}},
        {"rate against the change: intermediate point beyond the old value", 1,
         {step("0", "70", "0", "300", "0", "0"), step("5", "50", "10", "300", "100", "100")}, {},
         {{0, 300, 70, 0}, {0, 300, 70, 0}, {1, 300, 80, 100}, {2, 300, 50, 100}, {5, 300, 50, 100}}},
        {"0.75 s of step time advances one second", 1, {step("0.0125", "70", "0", "300", "0", "0")}, {},
         {{0, 300, 70, 0}, {s, 300, 70, 0}}},
        {"shear ramp: halves of a second round to even", 1, {step("0", "70", "0", "300", "0", "0", "1", "1")},
         {{"0.5", "10", "99"}, {"1", "20", "99"}, {"0.5", "30", "99"}},
         {{0, 300, 70, 0}, {0, 300, 70, 0}, {0, 10, 70, 0}, {0, 10, 70, 0}, {0, 20, 70, 0}, {s, 20, 70, 0},
          {s, 30, 70, 0}, {2 * s, 30, 70, 0}}},
        {"cycle 0 adds nothing; the next row ramps from before it", 1,
         {step("10", "150", "0", "300", "500", "0", "0"), step("5", "100", "10", "200", "0", "0")}, {},
         {{0, 300, 70, 0}, {0, 200, 70, 0}, {3, 200, 100, 0}, {5, 200, 100, 0}}},
        {"empty cycle cell adds nothing", 1,
         {step("10", "150", "0", "300", "500", "0", ""), step("5", "70", "0", "200", "0", "0")}, {},
         {{0, 300, 70, 0}, {5, 200, 70, 0}}},
        {"cycle 2.5 runs twice (halves to even)", 1, {step("1", "70", "0", "300", "0", "0", "2.5")}, {},
         {{0, 300, 70, 0}, {1, 300, 70, 0}, {2, 300, 70, 0}}},
        {"three cycles with the shear ramp: ramps once, then holds and shear ramps", 1,
         {step("2", "90", "10", "300", "0", "0", "3", "1")}, {{"30", "100", "5"}, {"30", "200", "5"}},
         {{0, 300, 70, 0}, {0, 300, 70, 0}, {2, 300, 90, 0},                       // ramp, ramp ends with the step
          {2, 100, 90, 0}, {2.5, 100, 90, 0}, {2.5, 200, 90, 0}, {3, 200, 90, 0},  // shear ramp
          {5, 300, 90, 0}, {5, 100, 90, 0}, {5.5, 100, 90, 0}, {5.5, 200, 90, 0}, {6, 200, 90, 0},
          {8, 300, 90, 0}, {8, 100, 90, 0}, {8.5, 100, 90, 0}, {8.5, 200, 90, 0}, {9, 200, 90, 0}}},
        {"ramp flag 1.0 counts as 1", 1, {step("1", "70", "0", "300", "0", "0", "1", "1.0")}, {{"60", "50", "5"}},
         {{0, 300, 70, 0}, {1, 300, 70, 0}, {1, 50, 70, 0}, {2, 50, 70, 0}}},
        {"ramp flag 2 runs no shear ramp", 1, {step("1", "70", "0", "300", "0", "0", "1", "2")}, {{"60", "50", "5"}},
         {{0, 300, 70, 0}, {1, 300, 70, 0}}},
        {"ramp flag that is a word runs no shear ramp", 1, {step("1", "70", "0", "300", "0", "0", "1", "yes")},
         {{"60", "50", "5"}}, {{0, 300, 70, 0}, {1, 300, 70, 0}}},
        {"shear ramp whose first time cell is empty adds nothing", 1,
         {step("1", "70", "0", "300", "0", "0", "1", "1")}, {{"", "50", "5"}, {"60", "70", "5"}},
         {{0, 300, 70, 0}, {1, 300, 70, 0}}},
    };
    for (const Case& c : cases) {
        UnitSystemGuard units(c.unitSystem);
        PeChart chart;
        ASSERT_TRUE(BuildPreviewProfile(chart, grids(c.steps, c.ramps))) << c.name;
        expectPoints(chart, c.expected, c.name);
    }
}

TEST(SequencePreview, ChartBaseStateShowsThreeLabelledColouredSubsetsOverTime) {
    testing_support::SavedGlobals saved;
    gBySR = true;
    gTempLabel = QStringLiteral("(\u00B0F)");
    gPressLabel = QStringLiteral("(Psi)");
    PeChart chart;
    chart.store().setLogging(true);
    ASSERT_TRUE(BuildPreviewProfile(chart, grids({step("10", "150", "0", "300", "500", "0")})));

    EXPECT_EQ(chart.subsets(), 3);
    EXPECT_EQ(chart.points(), 2);
    const QStringList labels = {"Shear Rate", "Temperature", "Pressure"};
    const qint32 colours[] = {peRgb(0, 128, 0), peRgb(255, 0, 0), peRgb(0, 0, 128)};
    // Each scale titled with its quantity and unit; each plan a line.
    const QStringList titles = {"Shear Rate (1/s)", "Temperature (\u00B0F)", "Pressure (Psi)"};
    for (int s = 0; s < 3; ++s) {
        EXPECT_EQ(chart.subsetLabel(s), labels[s]);
        EXPECT_EQ(chart.subsetColor(s), colours[s]);
        EXPECT_EQ(chart.subsetsOnAxis(s), 1);
        EXPECT_EQ(chart.yAxisColor(s), colours[s]);
        EXPECT_EQ(chart.yAxisLabel(s), titles[s]);
        EXPECT_TRUE(chart.subsetJoined(s));
    }
    EXPECT_EQ(chart.prop(pesgo::OverlapMultiAxes, 0).toInt(), 3);
    EXPECT_EQ(chart.xAxisLabel(), "Time (min)");
    EXPECT_FALSE(chart.xLog());
    EXPECT_EQ(chart.mainTitle(), "");
    EXPECT_EQ(chart.prop(178).toInt(), 70);

    // A new chart first, a redraw last; the Qt chart has the three series.
    const QList<PeWrite>& log = chart.store().log();
    ASSERT_FALSE(log.isEmpty());
    EXPECT_EQ(log.first().prop, pesgo::Action);
    EXPECT_EQ(log.first().value.toInt(), pesgo::ActionNewChart);
    EXPECT_EQ(log.last().prop, pesgo::Action);
    EXPECT_EQ(log.last().value.toInt(), pesgo::ActionRedraw);
    EXPECT_EQ(chart.yScales().size(), 3);

    // By speed, the rate's scale says so.
    gBySR = false;
    ASSERT_TRUE(BuildPreviewProfile(chart, grids({step("10", "150", "0", "300", "500", "0")})));
    EXPECT_EQ(chart.yAxisLabel(0), "Speed (RPM)");
}

TEST(SequencePreview, NoStepLeavesTheChartAsItWas) {
    PeChart chart;
    chart.setProp(pesgo::MainTitle, "before");
    chart.store().setLogging(true);
    EXPECT_FALSE(BuildPreviewProfile(chart, grids({})));
    EXPECT_TRUE(chart.store().log().isEmpty());
    EXPECT_EQ(chart.mainTitle(), "before");
    EXPECT_FALSE(BuildProfile(SequenceGridTexts{}).has_value());
}

TEST(SequencePreview, HugeCycleCountStopsAtThePointLimit) {
    PeChart chart;
    ASSERT_TRUE(BuildPreviewProfile(chart, grids({step("1", "70", "0", "300", "0", "0", "1e9", "1"),
                                                  step("1", "70", "0", "300", "0", "0")},
                                                 {{"1", "100", "1"}})));
    EXPECT_EQ(chart.points(), kMaxPoints);
    // Each cycle is a hold and two shear-ramp points, one second and one minute apart.
    EXPECT_FLOAT_EQ(chart.xData(0, kMaxPoints - 1), float((60.0 * 10922 + 10922) / 60));
}

// The preview of a sequence that ramps the shear rate while the pressure
// holds at its highest: each scale titled, each plan drawn as a line through
// its points, and every point of every plan can be seen (the ramp's once
// lay under the pressure's markers).
TEST(SequencePreview, EveryPlanShowsAsATitledLine) {
    testing_support::SavedGlobals saved;
    gBySR = false;
    gTempLabel = QStringLiteral("(\u00B0F)");
    gPressLabel = QStringLiteral("(Psi)");
    PeChart chart;
    chart.resize(560, 268);  // as in the sequence editor
    chart.show();
    ASSERT_TRUE(BuildPreviewProfile(
        chart, grids({step("10", "150", "5", "100", "2000", "500", "2", "1"), step("10", "250", "5", "300", "3000", "500", "1", "1")},
                     {{"60", "300", "10"}, {"60", "200", "10"}, {"60", "100", "10"}, {"60", "50", "10"}})));
    QApplication::processEvents();

    EXPECT_EQ(testing_support::ScaleTitles(chart), (QStringList{"Speed (RPM)", "Temperature (\u00B0F)", "Pressure (Psi)"}));
    const std::vector<testing_support::LegendEntry> entries = testing_support::LegendEntries(chart);
    const std::vector<testing_support::PointsShown> shown = testing_support::CurvePointsShown(chart);
    ASSERT_EQ(entries.size(), 3u);
    const QList<QAbstractSeries*> series = chart.chart()->series();
    ASSERT_EQ(series.size(), 3);
    for (size_t k = 0; k < entries.size(); ++k) {
        EXPECT_NE(static_cast<QLineSeries*>(series[qsizetype(k)])->pen().style(), Qt::NoPen) << entries[k].name.toStdString();
        EXPECT_EQ(shown[k].points, chart.points()) << entries[k].name.toStdString();
        EXPECT_EQ(shown[k].seen, 1.0) << entries[k].name.toStdString();
    }
}
