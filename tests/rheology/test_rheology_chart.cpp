// The live chart: its base settings, the axis groups and subsets that follow
// the check boxes, and the stored samples it plots (the most recent 5000),
// all read back from the chart control.

#include "RheologyFixture.h"

#include "data/Settings.h"
#include "rheology/RheologyChart.h"
#include "support/ChartReading.h"

#include <QChart>
#include <QCheckBox>
#include <QLabel>
#include <QValueAxis>
#include <QXYSeries>

using namespace unit_tests;
using namespace pesgo;

namespace {

class LiveChartTest : public LiveWindowFixture {
protected:
    PeChart& chart() { return *w->Pesgo1; }
    // Ticks exactly the named boxes (without their click handlers).
    void tick(std::initializer_list<QCheckBox*> boxes) {
        for (QCheckBox* b : {w->chkVisc, w->chkSpeed, w->chkTemp, w->chkPress, w->chkSR, w->chkSS, w->chkFann})
            b->setChecked(std::find(boxes.begin(), boxes.end(), b) != boxes.end());
    }
    // The Y scales the chart lays out: axis, right-hand or not, subsets.
    QStringList scales() {
        QStringList out;
        for (const PeChart::Scale& s : chart().yScales()) {
            QStringList subsets;
            for (int k : s.subsets) subsets << QString::number(k);
            out << QStringLiteral("%1%2:%3").arg(s.axis).arg(s.rightHand ? "R" : "").arg(subsets.join(','));
        }
        return out;
    }
};

}  // namespace

TEST_F(LiveChartTest, BaseSettingsAreWrittenInOrder) {
    chart().store().setLogging(true);
    chart().store().clearLog();
    w->Initial_Chart_All();
    const QList<PeWrite> expected = {
        {226, 0, 0, 0, qint16(0)},      {93, 0, 0, 0, qint16(0)},       {226, 0, 0, 0, qint32(-99999)},
        {93, 0, 0, 0, qint32(-99999)},  {128, 2, 0, 0, 0.0f},           {129, 2, 0, 0, 0.0f},
        {129, 2, 0, 1, 0.0f},           {129, 2, 0, 2, 0.0f},           {129, 2, 0, 3, 0.0f},
        {134, 1, 0, 0, qint32(6)},      {134, 1, 2, 0, qint32(6)},      {134, 1, 4, 0, qint32(6)},
        {134, 1, 1, 0, qint32(6)},      {134, 1, 3, 0, qint32(6)},      {134, 1, 5, 0, qint32(6)},
        {133, 1, 0, 0, qint32(2)},      {133, 1, 2, 0, qint32(6)},      {133, 1, 4, 0, qint32(6)},
        {133, 1, 1, 0, qint32(9)},      {133, 1, 3, 0, qint32(9)},      {133, 1, 5, 0, qint32(1)},
        {177, 0, 0, 0, qint16(10)},     {48, 0, 0, 0, qint16(0)},       {13, 0, 0, 0, qint16(2)},
        {29, 0, 0, 0, true},            {143, 0, 0, 0, true},           {153, 0, 0, 0, true},
        {223, 0, 0, 0, true},           {137, 0, 0, 0, qint16(2)},      {141, 0, 0, 0, true},
        {142, 0, 0, 0, true},           {43, 0, 0, 0, qint16(0)},       {228, 0, 0, 0, qint16(0)},
        {203, 0, 0, 0, qint16(0)},      {6, 0, 0, 0, peRgb(224, 224, 224)}, {98, 0, 0, 0, qint16(3)},
        {223, 0, 0, 0, true},           {204, 0, 0, 0, 0.8},            {40, 0, 0, 0, qint16(1)},
        {66, 0, 0, 0, true},            {64, 0, 0, 0, true},            {140, 0, 0, 0, qint16(3)},
        {108, 0, 0, 0, qint16(0)},
    };
    EXPECT_EQ(chart().store().log(), expected);
}

TEST_F(LiveChartTest, AxisGroupsFollowTheCheckBoxes) {
    SetUnitLabels();
    startTest();
    record({1, 1, 0, 60, 100, 50});
    const qint32 darkGreen = peRgb(0, 128, 0), darkRed = peRgb(128, 0, 0), red = peRgb(255, 0, 0),
                 darkBlue = peRgb(0, 0, 128), purple = peRgb(192, 0, 192), darkGrey = peRgb(64, 64, 64),
                 grey = peRgb(128, 128, 128);
    struct Axis {
        int subsets;
        QString title;
        qint32 colour;
        QString right;  // empty: no right-hand scale
        qint32 rightColour = 0;
    };
    struct Case {
        const char* name;
        std::vector<QCheckBox*> boxes;
        std::vector<Axis> axes;
        QStringList labels;  // subset labels in subset order
    } cases[] = {
        {"all",
         {w->chkVisc, w->chkSpeed, w->chkTemp, w->chkPress, w->chkSR, w->chkSS, w->chkFann},
         {{2, "Viscosity ( cP )", darkGreen, "Speed (rpm)", darkRed},
          {2, "Temperature (°F)", red, "Pressure (Psi)", darkBlue},
          {2, "Shear Rate (1/s)", purple, "Shear Stress (dyn/cm2)", darkGrey},
          {1, "Fann35", grey, ""}},
         {"Viscosity", "Speed", "Temperature", "Pressure", "Shear Rate", "shear stress", "Fann35"}},
        {"speed only", {w->chkSpeed}, {{1, "Speed (rpm)", darkRed, ""}}, {"Speed"}},
        {"temperature and pressure",
         {w->chkTemp, w->chkPress},
         {{2, "Temperature (°F)", red, "Pressure (Psi)", darkBlue}},
         {"Temperature", "Pressure"}},
        {"second quantities and Fann35",
         {w->chkPress, w->chkSS, w->chkFann},
         {{1, "Pressure (Psi)", darkBlue, ""}, {1, "Shear Stress (dyn/cm2)", darkGrey, ""}, {1, "Fann35", grey, ""}},
         {"Pressure", "shear stress", "Fann35"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (QCheckBox* b : {w->chkVisc, w->chkSpeed, w->chkTemp, w->chkPress, w->chkSR, w->chkSS, w->chkFann})
            b->setChecked(std::find(c.boxes.begin(), c.boxes.end(), b) != c.boxes.end());
        w->RefreshRealTimeChart();
        EXPECT_EQ(chart().subsets(), int(c.labels.size()));
        EXPECT_EQ(w->mSubsetCount, int(c.labels.size()));
        EXPECT_EQ(chart().prop(OverlapMultiAxes, 0).toInt(), int(c.axes.size()));
        EXPECT_EQ(chart().xAxisLabel(), "Time (min)");
        EXPECT_EQ(chart().subTitle(), w->lblTestname->text());
        for (int a = 0; a < int(c.axes.size()); ++a) {
            const Axis& axis = c.axes[size_t(a)];
            SCOPED_TRACE(a);
            EXPECT_EQ(chart().subsetsOnAxis(a), axis.subsets);
            EXPECT_EQ(chart().yAxisLabel(a), axis.title);
            EXPECT_EQ(chart().yAxisColor(a), axis.colour);
            EXPECT_EQ(chart().rightAxisLabel(a), axis.right);
            if (!axis.right.isEmpty()) {
                EXPECT_EQ(chart().rightAxisColor(a), axis.rightColour);
                EXPECT_EQ(chart().rightAxisSubsets(a), 1);
            }
        }
        for (int s = 0; s < int(c.labels.size()); ++s) EXPECT_EQ(chart().subsetLabel(s), c.labels[s]) << s;
    }

    // All ticked, as drawn: groups 0 to 3 with 2, 2, 2 and 1 subsets, the
    // second of each pair on its group's right-hand scale.
    tick({w->chkVisc, w->chkSpeed, w->chkTemp, w->chkPress, w->chkSR, w->chkSS, w->chkFann});
    w->RefreshRealTimeChart();
    EXPECT_EQ(scales(), QStringList({"0:0", "1:2", "2:4", "3:6", "0R:1", "1R:3", "2R:5"}));
    EXPECT_EQ(chart().yAxes().size(), 7);
    EXPECT_EQ(chart().subsetColor(4), peRgb(192, 0, 192));  // purple, as its axis

    // A greyed box does not count.
    w->chkFann->setCheckState(Qt::PartiallyChecked);
    w->RefreshRealTimeChart();
    EXPECT_EQ(chart().subsets(), 6);
    EXPECT_EQ(chart().prop(OverlapMultiAxes, 0).toInt(), 3);
}

TEST_F(LiveChartTest, NothingTickedOnlyResetsTheChart) {
    tick({});
    chart().store().setLogging(true);
    chart().store().clearLog();
    w->RefreshRealTimeChart();
    const QList<PeWrite>& log = chart().store().log();
    ASSERT_FALSE(log.isEmpty());
    EXPECT_EQ(log.first(), (PeWrite{108, 0, 0, 0, qint16(20)}));
    EXPECT_EQ(log.last(), (PeWrite{108, 0, 0, 0, qint16(0)}));  // the end of the base settings
    for (const PeWrite& write : log)
        EXPECT_TRUE(write.prop != SubTitle && write.prop != Subsets && write.prop != OverlapMultiAxes &&
                    write.prop != Points)
            << write.prop;
}

TEST_F(LiveChartTest, LoadAndClicksLayOutTheAxesWithoutATest) {
    // Loaded with every box ticked and no test: four groups, seven subsets, no points.
    EXPECT_EQ(w->TestId, 0);
    EXPECT_EQ(chart().subsets(), 7);
    EXPECT_EQ(chart().prop(OverlapMultiAxes, 0).toInt(), 4);
    EXPECT_FALSE(chart().hasProp(Points));
    // A click toggles the box, then re-lays the axes; still nothing plotted.
    w->chkVisc->click();
    EXPECT_FALSE(w->chkVisc->isChecked());
    EXPECT_EQ(chart().subsets(), 6);
    EXPECT_EQ(chart().subsetsOnAxis(0), 1);
    EXPECT_EQ(chart().yAxisLabel(0), "Speed (rpm)");
    EXPECT_FALSE(chart().hasProp(Points));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(LiveChartTest, SamplesPlotAsTheirQuantitiesAgainstMinutes) {
    struct Case {
        int unitSystem;
        std::vector<double> temp;    // plotted temperatures
        std::vector<double> stress;  // plotted stresses
    } cases[] = {{1, {-10, 212, 75}, {50, 50, 100}}, {2, {-1, 100, (75 - 32) * 5 / 9.0}, {5, 5, 10}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unitSystem);
        gUnitSystem = c.unitSystem;
        SetUnitLabels();
        startTest(QStringLiteral("Plot %1").arg(c.unitSystem), kBobB2);
        const double factor = w->mReply.mShearRateFactor;
        const Sample rows[] = {{1, 1, 0, 60, 0.00001, 50, -10, 1000},
                               {1, 1, 1, 120, 0.00002, 50, 212, 2000},
                               {1, 1, 2, 180, 170, 100, 75, 3000}};
        for (const Sample& s : rows) record(s);
        w->chkFann->setChecked(true);
        w->chkVisc->click();
        w->chkVisc->click();  // back on: every quantity, through the click handler
        ASSERT_EQ(chart().points(), 3);
        ASSERT_EQ(w->mPointCount, 3);
        ASSERT_EQ(w->mSubsetCount, 7);
        const double visc[] = {0, 100 * 50 / 0.00003, 100 * 100 / (170 + 0.00001)};
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(i);
            const Sample& s = rows[i];
            for (int k = 0; k < 7; ++k) EXPECT_FLOAT_EQ(chart().xData(k, i), float(s.time / 60.0));
            EXPECT_FLOAT_EQ(chart().yData(0, i), float(visc[i]));
            EXPECT_FLOAT_EQ(chart().yData(1, i), float(s.rate / factor));
            EXPECT_FLOAT_EQ(chart().yData(2, i), float(c.temp[size_t(i)]));
            EXPECT_FLOAT_EQ(chart().yData(3, i), float(s.press));  // psi in both systems
            EXPECT_FLOAT_EQ(chart().yData(4, i), float(s.rate));
            EXPECT_FLOAT_EQ(chart().yData(5, i), float(c.stress[size_t(i)]));
            EXPECT_FLOAT_EQ(chart().yData(6, i), float(s.stress / 5.11));
        }
        EXPECT_EQ(chart().prop(XData, 0, 0).type(), PeValue::Type::Single);
    }

    // The run loop's call after each saved row adds the new point.
    record({1, 1, 3, 240, 170, 100});
    w->PlotAllSeries();
    EXPECT_EQ(chart().points(), 4);
    EXPECT_FLOAT_EQ(chart().xData(3, 3), 4.0f);
}

TEST_F(LiveChartTest, OnlyTheMostRecent5000SamplesArePlotted) {
    for (int stored : {5000, 5001}) {
        SCOPED_TRACE(stored);
        startTest(QStringLiteral("Long %1").arg(stored));
        storeMany(stored, [](int i) { return Sample{1, 1, 0, qint32(i) * 6, 100, 50}; });
        tick({w->chkTemp});
        w->RefreshRealTimeChart();
        EXPECT_EQ(w->mPointCount, stored);
        EXPECT_EQ(chart().points(), 5000);
        const int firstRow = stored - 5000;  // a 5001st row pushes the first one out
        EXPECT_FLOAT_EQ(chart().xData(0, 0), float(firstRow * 6 / 60.0));
        EXPECT_FLOAT_EQ(chart().xData(0, 4999), float((stored - 1) * 6 / 60.0));
    }
}

TEST_F(LiveChartTest, HeldSamplesAreWhatAFreshReadGives) {
    const qint32 id = startTest();
    record({1, 1, 0, 10, 100, 50});
    record({1, 1, 0, 30, 110, 55});
    w->PlotAllSeries();  // read once; held from now on
    ASSERT_TRUE(w->mSamples.Holds(id));
    record({1, 1, 1, 40, 120, 60, 210, 1100, 3});
    record({1, 1, 1, 20, 130, 65});  // out of time order, as a download may write
    record({1, 1, 2, 5, 140, 70});
    const qint32 other = startTest(QStringLiteral("Other"));
    record({1, 1, 0, 50, 1, 1});  // another test's row

    frmRealTime fresh;
    fresh.InitialInst(&conn);
    const std::vector<ResultPoint>& read = fresh.mSamples.Of(id, *fresh.mTestResult, &conn);
    w->TestId = id;
    w->MSFlexGrid1->Rows(1);
    ASSERT_EQ(read.size(), 5u);
    // Held again by a fresh read, then written to: still the same as a read.
    w->PlotAllSeries();
    record({1, 1, 2, 45, 150, 75});
    const std::vector<ResultPoint> held = w->mSamples.Of(id, *w->mTestResult, &conn);
    frmRealTime again;
    again.InitialInst(&conn);
    const std::vector<ResultPoint>& reread = again.mSamples.Of(id, *again.mTestResult, &conn);
    ASSERT_EQ(held.size(), reread.size());
    for (size_t i = 0; i < held.size(); ++i)
        for (int c = resultcol::TestId; c <= resultcol::CycleNo; ++c) EXPECT_EQ(held[i][c], reread[i][c]) << i << "/" << c;
    EXPECT_EQ(held[0][resultcol::ResultTime], 5);
    EXPECT_EQ(held[2][resultcol::ResultTime], 20);
    EXPECT_EQ(held.back()[resultcol::ResultTime], 45);
    EXPECT_EQ(fresh.mSamples.Of(other, *fresh.mTestResult, &conn).size(), 1u);
}

// Recorded one by one with the run loop's plot after each, also as the
// oldest samples leave the 5000 plotted and when a row comes out of time
// order: the chart holds and draws what a chart plotted anew from the same
// samples does.
TEST_F(LiveChartTest, PointByPointPlotsGiveWhatAFreshPlotGives) {
    startTest(QStringLiteral("Point by point"));
    auto sample = [](int i) {
        return Sample{1 + i / 300, 1, (i / 50) % 3, qint32(i) * 5, 170.0 + i % 3 * 100, 50.0 + i % 11, 80 + i * 0.03,
                      1000.0 + i % 5};
    };
    storeMany(4985, sample);
    tick({w->chkVisc, w->chkSpeed, w->chkTemp, w->chkPress, w->chkSR, w->chkSS, w->chkFann});
    w->RefreshRealTimeChart();

    frmRealTime fresh;
    fresh.InitialInst(&conn);
    fresh.TestId = w->TestId;
    fresh.mReply.SetBobRadius(w->mBobRadius);
    fresh.lblTestname->setText(w->lblTestname->text());
    auto expectSame = [&] {
        fresh.mSamples.Forget();
        fresh.RefreshRealTimeChart();
        PeChart& a = chart();
        PeChart& b = *fresh.Pesgo1;
        ASSERT_EQ(a.points(), b.points());
        for (int s = 0; s < 7; ++s)
            for (int p = 0; p < a.points(); ++p) {
                ASSERT_EQ(a.hasXData(s, p), b.hasXData(s, p)) << s << "/" << p;
                ASSERT_EQ(a.xData(s, p), b.xData(s, p)) << s << "/" << p;
                ASSERT_EQ(a.yData(s, p), b.yData(s, p)) << s << "/" << p;
            }
        const QList<QAbstractSeries*> sa = a.chart()->series(), sb = b.chart()->series();
        ASSERT_EQ(sa.size(), sb.size());
        for (int k = 0; k < sa.size(); ++k)
            EXPECT_EQ(static_cast<QXYSeries*>(sa[k])->points(), static_cast<QXYSeries*>(sb[k])->points()) << k;
        ASSERT_EQ(a.yAxes().size(), b.yAxes().size());
        QList<QAbstractAxis*> axesA{a.xAxis()}, axesB{b.xAxis()};
        axesA += a.yAxes();
        axesB += b.yAxes();
        for (int k = 0; k < axesA.size(); ++k) {
            auto* va = qobject_cast<QValueAxis*>(axesA[k]);
            auto* vb = qobject_cast<QValueAxis*>(axesB[k]);
            ASSERT_TRUE(va && vb);
            EXPECT_EQ(va->min(), vb->min()) << k;
            EXPECT_EQ(va->max(), vb->max()) << k;
            EXPECT_EQ(va->tickInterval(), vb->tickInterval()) << k;
        }
    };
    for (int i = 4985; i < 5020; ++i) {
        SCOPED_TRACE(i);
        record(sample(i));
        if (i == 5010) record({9, 1, 0, 100, 300, 80, 90, 1500});  // out of time order
        w->PlotAllSeries();
        if (i % 7 == 0 || i >= 5008) expectSame();
        if (HasFatalFailure()) return;
    }
}

// From the first tick, before any stored point: the legend names every
// ticked quantity, in its curve's colour, which is its scale's colour (the
// shear rate's too), and the scales carry their titles (or, in a window too
// narrow for them, the legend alone names the curves).
TEST_F(LiveChartTest, CurvesAreNamedInTheirScalesColoursBeforeTheFirstPoint) {
    SetUnitLabels();
    startTest(QStringLiteral("Borate gel"));
    struct Case {
        const char* name;
        std::vector<QCheckBox*> boxes;
        QStringList names;
    } cases[] = {
        {"all",
         {w->chkVisc, w->chkSpeed, w->chkTemp, w->chkPress, w->chkSR, w->chkSS, w->chkFann},
         {"Viscosity", "Speed", "Temperature", "Pressure", "Shear Rate", "shear stress", "Fann35"}},
        {"shear rate and stress", {w->chkSR, w->chkSS}, {"Shear Rate", "shear stress"}},
        {"speed and Fann35", {w->chkSpeed, w->chkFann}, {"Speed", "Fann35"}},
    };
    for (const QSize size : {QSize(1920, 1020), QSize(1260, 700), QSize(632, 700)}) {
        w->resize(size);
        w->show();
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << " at " << size.width());
            for (QCheckBox* b : {w->chkVisc, w->chkSpeed, w->chkTemp, w->chkPress, w->chkSR, w->chkSS, w->chkFann})
                b->setChecked(std::find(c.boxes.begin(), c.boxes.end(), b) != c.boxes.end());
            w->RefreshRealTimeChart();
            QApplication::processEvents();
            ASSERT_FALSE(chart().hasProp(Points));  // nothing stored yet
            QStringList named;
            for (const testing_support::LegendEntry& e : testing_support::LegendEntries(chart())) {
                named << e.name;
                EXPECT_TRUE(e.shown) << e.name.toStdString();
                EXPECT_EQ(e.legend, e.curve) << e.name.toStdString();
                EXPECT_EQ(e.curve, e.scale) << e.name.toStdString();
            }
            std::sort(named.begin(), named.end());
            QStringList want = c.names;
            std::sort(want.begin(), want.end());
            EXPECT_EQ(named, want);
            const QStringList titles = testing_support::ScaleTitles(chart());
            if (size.width() >= 1260) EXPECT_EQ(titles.size(), int(c.names.size())) << titles.join('|').toStdString();
        }
    }
    w->hide();
}

// In a run's first minutes every quantity holds still: each curve still
// shows, none hidden under another (the shear rate's once never did).
TEST_F(LiveChartTest, CurvesThatHoldStillAllShow) {
    SetUnitLabels();
    startTest(QStringLiteral("Borate gel"));
    tick({w->chkVisc, w->chkSpeed, w->chkTemp, w->chkPress, w->chkSR, w->chkSS, w->chkFann});
    w->RefreshRealTimeChart();
    w->resize(1260, 700);
    w->show();
    for (qint32 t = 20; t <= 180; t += 20) {
        record({1, 1, 0, t, 170, 60, 80 + t / 60.0, 1000, 6.0});
        w->PlotAllSeries();
        QApplication::processEvents();
        SCOPED_TRACE(t);
        const std::vector<testing_support::LegendEntry> entries = testing_support::LegendEntries(chart());
        const std::vector<int> pixels = testing_support::CurvePixels(chart());
        ASSERT_EQ(entries.size(), 7u);
        for (size_t k = 0; k < entries.size(); ++k) EXPECT_GT(pixels[k], t < 60 ? 5 : 40) << entries[k].name.toStdString();
    }
    w->hide();
}

// A run of a Newtonian fluid: step 1 at 300 rpm heating to 150 °F while the
// pressure rises to 2000 psi, step 2 at 100 rpm holding both, then a ramp.
// Speed, shear rate, shear stress and Fann35 rise and fall together, and the
// temperature and the pressure hold on round values. They once lay one over
// another: step 1 one thick band of colours, the temperature wholly under the
// pressure in step 2. Each curve's points can be seen, and in step 1 each
// lies at a height of its own.
TEST_F(LiveChartTest, ARunsCurvesEachShowOnALineOfTheirOwn) {
    SetUnitLabels();
    startTest(QStringLiteral("Newtonian 50 cP"));
    tick({w->chkVisc, w->chkSpeed, w->chkTemp, w->chkPress, w->chkSR, w->chkSS, w->chkFann});
    w->RefreshRealTimeChart();
    w->resize(1260, 700);
    w->show();
    const double factor = w->mReply.mShearRateFactor;
    qint32 t = 0;
    for (int i = 1; i <= 20; ++i) {  // 10 minutes
        t += 30;
        const double rate = 300 * factor;
        record({1, 1, 0, t, rate, 0.5 * rate, std::min(150.0, 80 + 7 * t / 60.0), std::min(2000.0, 500 * t / 60.0)});
    }
    for (int i = 1; i <= 10; ++i) {  // 5 minutes more
        t += 30;
        const double rate = 100 * factor;
        record({2, 1, 0, t, rate, 0.5 * rate, 150, 2000});
    }
    int entry = 0;
    for (double rpm : {300.0, 200.0, 100.0, 50.0}) {
        ++entry;
        for (int i = 0; i < 2; ++i) {
            t += 15;
            record({2, 1, entry, t, rpm * factor, 0.5 * rpm * factor, 150, 2000});
        }
    }
    w->PlotAllSeries();
    QApplication::processEvents();

    const std::vector<testing_support::LegendEntry> entries = testing_support::LegendEntries(chart());
    ASSERT_EQ(entries.size(), 7u);
    const auto name = [&](size_t k) { return entries[k].name.toStdString(); };
    // Step 1 (up to 10 minutes) and step 2's hold (10 to 15 minutes).
    const std::vector<testing_support::PointsShown> step1 = testing_support::CurvePointsShown(chart(), 0, 10);
    const std::vector<testing_support::PointsShown> step2 = testing_support::CurvePointsShown(chart(), 10.1, 15);
    for (size_t k = 0; k < entries.size(); ++k) {
        EXPECT_EQ(step1[k].points, 20) << name(k);
        EXPECT_GE(step1[k].seen, 0.9) << name(k);
        EXPECT_GE(step2[k].seen, 0.9) << name(k);
    }
    // Of the curves that hold still in step 1, each on a height of its own.
    for (size_t a = 0; a < entries.size(); ++a)
        for (size_t b = a + 1; b < entries.size(); ++b) {
            if (entries[a].name == "Temperature" || entries[b].name == "Temperature" ||
                entries[a].name == "Pressure" || entries[b].name == "Pressure")
                continue;
            EXPECT_GE(std::abs(step1[a].height - step1[b].height), 4) << name(a) << " and " << name(b);
        }
    w->hide();
}
