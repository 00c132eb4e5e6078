// The live result grid: its header, the row written from the run state, the
// row bookkeeping, and the power-law analysis of finished ramp cycles over
// the samples stored in the database.

#include "RheologyFixture.h"

#include "data/Numbers.h"
#include "data/Settings.h"
#include "rheology/RheologyResultGrid.h"

#include <cmath>

using namespace unit_tests;

namespace {

const QChar CR(13);

class LiveGrid : public LiveWindowFixture {
protected:
    // Cycle 1 of step 1: a step sample, then three ramp entries (shear rate
    // and stress of each), then the first sample of cycle 2, which ends it.
    void recordCycle(const std::vector<std::pair<double, double>>& entries, int step = 1, qint32 t0 = 0) {
        qint32 t = t0;
        record({step, 1, 0, t += 10, 170, 50});
        int k = 0;
        for (const auto& [rate, stress] : entries) record({step, 1, ++k, t += 10, rate, stress});
        record({step, 2, 0, t += 10, 170, 50});
    }
};

// The analysis columns of a power-law fluid of index n and consistency K
// (cP·s^(n-1)) on a bob of radius rb, worked out here from the formulas.
QStringList expectedAnalysis(double n, double K, double rb, double r2);

// The same for the least-squares line through the points (shear rate,
// stress) in log10 of rate and of stress (K in cP: 100 x dyn/cm²).
QStringList expectedFit(const std::vector<std::pair<double, double>>& points, double rb) {
    double sx = 0, sy = 0, sxx = 0, sxy = 0, syy = 0;
    const double m = double(points.size());
    for (const auto& [rate, stress] : points) {
        const double x = std::log10(rate), y = std::log10(stress);
        sx += x, sy += y, sxx += x * x, sxy += x * y, syy += y * y;
    }
    const double slope = (m * sxy - sx * sy) / (m * sxx - sx * sx);
    const double intercept = (sy - slope * sx) / m;
    const double r2 = std::pow(m * sxy - sx * sy, 2) / ((m * sxx - sx * sx) * (m * syy - sy * sy));
    return expectedAnalysis(slope, 100 * std::pow(10.0, intercept), rb, r2);
}

QStringList expectedAnalysis(double n, double K, double rb, double r2) {
    const double s = 1.8415 / rb;
    const double B = std::pow(s, 2 / n) * (s * s - 1) / (n * s * s * (std::pow(s, 2 / n) - 1));
    const double Kb = K * std::pow(B, -n);
    const double Ks = Kb * std::pow((2 * n + 1) / (3 * n), n);
    const double kd = gKUnit == 2 ? 100.0 : 1.0;
    return {Format(n, "0.000000"),
            Format(K / 478.8 / kd, "0.000000"),
            Format(r2, "0.0000"),
            Format(Kb / 478.8 / kd, "0.000000"),
            Format(Ks / 478.8 / kd, "0.000000"),
            Format(Ks * std::pow(40.0, n - 1), "0.0#"),
            Format(Ks * std::pow(100.0, n - 1), "0.0#"),
            Format(Ks * std::pow(170.0, n - 1), "0.0#")};
}

}  // namespace

TEST_F(LiveGrid, HeaderHasTheTwentyCaptionsAndWidths) {
    SetUnitLabels();
    const QString format = rheologygrid::LiveResultFormatString();
    EXPECT_TRUE(format.startsWith(QStringLiteral("<Step No|<Cycle") + CR + "No|<Ramp" + CR + "No|<Elapsed Time" + CR +
                                  "(min)|<Temp" + CR + gTempLabel + "|<Pressure" + CR + "(psi)|Shear Rate" + CR +
                                  " (1/S)|<Speed " + CR + "(rpm)|<Shear Stress" + CR))
        << qPrintable(format);
    EXPECT_TRUE(format.endsWith(QStringLiteral("|<Calc.Visc@170 1/s") + CR + gViscLabel)) << qPrintable(format);

    // The window set its grid up at load.
    FlexGrid& g = *w->MSFlexGrid1;
    ASSERT_EQ(g.Cols(), 20);
    EXPECT_EQ(g.FormatString(), format);
    EXPECT_TRUE(g.WordWrap());
    EXPECT_EQ(g.gridModel()->RowHeight(0), 650);
    for (int c = 0; c < 20; ++c) EXPECT_EQ(g.ColWidth(c), 1090) << c;
    EXPECT_EQ(g.TextMatrix(0, 2), QStringLiteral("Ramp") + CR + "No");
    EXPECT_EQ(g.TextMatrix(0, 11), QStringLiteral("Fann® 35 F1"));
    EXPECT_EQ(g.TextMatrix(0, 12), QStringLiteral("n'"));
    EXPECT_EQ(g.TextMatrix(0, 13), QStringLiteral("Kv ") + CR + gKLabel);
    EXPECT_EQ(g.TextMatrix(0, 17), QStringLiteral("Calc.Visc@40 1/s ") + CR + gViscLabel);
    EXPECT_EQ(g.ColAlignment(6), FlexGridModel::flexAlignGeneral);  // "Shear Rate" has no mark
    EXPECT_EQ(g.ColAlignment(5), FlexGridModel::flexAlignLeftCenter);
}

TEST_F(LiveGrid, RowShowsTheRunStateAndReadings) {
    struct Case {
        int unitSystem;
        Sample s;
        QStringList cells;
    } cases[] = {
        {1, {2, 3, 4, 90, 170.4, 51.1, 212, 5000.4, 5.11},
         {"2", "3", "4", "1.5", "212.0", "5000", "170", "100.1", "51.1", "29.99", "1.", "10."}},
        {1, {1, 1, 0, 120, 100, 50, 75, 0, 0},
         {"1", "1", "0", "2.", "75.0", "0", "100", "58.74", "50.", "50.", "0.", "9.7847"}},
        // Below 2e-5 1/s the viscosity shows "0"; negative rates too.
        {1, {1, 1, 0, 0, 1e-5, 50, 75, 0, 0},
         {"1", "1", "0", "0.", "75.0", "0", "0", "0.", "50.", "0", "0.", "9.7847"}},
        {1, {1, 1, 0, 0, -3, 50, 75, 0, 0},
         {"1", "1", "0", "0.", "75.0", "0", "-3", "-1.76", "50.", "0", "0.", "9.7847"}},
        // SI: temperature in °C, stress in Pa; the viscosity number is the same.
        {2, {1, 2, 0, 30, 100, 123.4, 212, 300, 0}, {"1", "2", "0", "0.5", "100.0", "300", "100", "58.74", "12.34", "123.4", "0.", "24.1487"}},
    };
    startTest();
    for (const Case& c : cases) {
        gUnitSystem = c.unitSystem;
        w->MSFlexGrid1->Rows(2);
        setState(c.s);
        w->FormatResultGridRow();
        QStringList row;
        for (int col = 0; col < 12; ++col) row << cell(1, col);
        EXPECT_EQ(row, c.cells);
        EXPECT_TRUE(cell(1, 12).isEmpty());
    }
}

TEST_F(LiveGrid, OneRowPerGroupAndAFitAtTheEndOfEachRampCycle) {
    FlexGridModel grid;
    grid.Rows(1);
    grid.Cols(20);
    struct Step {
        int step, cycle, ramp;
        int rows;  // rows after the update, header included
        bool fit;
    } steps[] = {
        {1, 1, 0, 2, false},  // first sample: the first data row
        {1, 1, 0, 2, false},  // same group: overwritten
        {1, 1, 1, 3, false},  // next ramp entry: a row, no fit
        {1, 1, 2, 4, false},
        {1, 1, 2, 4, false},
        {1, 2, 0, 5, true},   // first sample of cycle 2: a row, then the fit
        {1, 2, 1, 6, false},
        {2, 1, 0, 7, true},   // the next step after a ramp: a row and a fit
        {3, 1, 0, 8, false},  // a new step keeping the ramp entry: a row, no fit
    };
    int time = 0;
    for (const Step& s : steps) {
        rheologygrid::LiveSample sample;
        sample.step = s.step;
        sample.cycle = s.cycle;
        sample.rampEntry = s.ramp;
        sample.elapsedSec = time += 10;
        rheologygrid::GridGroup last;
        EXPECT_EQ(rheologygrid::UpdateLiveResultGrid(grid, sample, last), s.fit) << s.step << "/" << s.cycle << "/" << s.ramp;
        EXPECT_EQ(grid.Rows(), s.rows);
        EXPECT_EQ(grid.TextMatrix(grid.Rows() - 1, 2), QString::number(s.ramp));
        EXPECT_EQ(grid.TextMatrix(grid.Rows() - 1, 3), Format(time / 60.0, "0.##"));
    }

    // The window keeps the last row's group as read back before the sample.
    startTest();
    record({1, 1, 0, 10});
    EXPECT_EQ(w->mLastGridStep, 1);
    EXPECT_EQ(w->mLastGridRamp, 0);
    record({1, 1, 1, 20});
    EXPECT_EQ(w->mLastGridRamp, 0);
    EXPECT_EQ(w->MSFlexGrid1->Rows(), 3);
}

TEST_F(LiveGrid, KnownCycleGivesItsPowerLaw) {
    // Shear stress 10^(1 + 0.5 log rate): n' = 0.5, K = 1000 cP·s^-0.5.
    const std::vector<std::pair<double, double>> cycle = {{10, 31.6228}, {100, 100}, {1000, 316.228}};
    for (short kUnit : {1, 2}) {
        SCOPED_TRACE(kUnit);
        gKUnit = kUnit;
        startTest(QStringLiteral("Known %1").arg(kUnit));
        recordCycle(cycle);
        ASSERT_EQ(w->MSFlexGrid1->Rows(), 6);
        const QStringList got = analysis(4);  // the row of cycle 1's last ramp entry
        EXPECT_EQ(got[0], "0.500000");
        EXPECT_EQ(got, expectedFit(cycle, kBobB1));
        EXPECT_EQ(got[1], kUnit == 1 ? "2.088556" : "0.020886");
        EXPECT_EQ(got[3], kUnit == 1 ? "2.023296" : "0.020233");
        for (int row : {1, 2, 3, 5}) EXPECT_TRUE(cell(row, 12).isEmpty()) << row;
        EXPECT_EQ(w->mPointCount, 5);
    }
}

TEST_F(LiveGrid, CyclesTooShortRefusedOrOddlyNumbered) {
    // Two ramp entries: no fit.
    startTest(QStringLiteral("Two"));
    recordCycle({{10, 31.6228}, {100, 100}});
    EXPECT_EQ(analysis(3), QStringList(8, QString()));

    // Of three samples at one speed only the last counts.
    startTest(QStringLiteral("Last"), kBobB2);
    record({1, 1, 0, 10, 170, 50});
    qint32 t = 10;
    for (auto [rate, stress] : std::vector<std::pair<double, double>>{{10, 31.6228}, {100, 100}, {1000, 316.228}}) {
        const int k = w->mRampEntryNo + 1;
        record({1, 1, k, t += 10, rate * 3, stress * 7});
        record({1, 1, k, t += 10, 0, 0});
        record({1, 1, k, t += 10, rate, stress});
    }
    record({1, 2, 0, t += 10, 170, 50});
    EXPECT_EQ(analysis(4), expectedFit({{10, 31.6228}, {100, 100}, {1000, 316.228}}, kBobB2));

    // n' of 5 or more is refused: n', Kv and R² are shown, the rest "N/A".
    startTest(QStringLiteral("Refused"));
    recordCycle({{10, 1}, {100, 1e5}, {1000, 1e10}});
    const QStringList refused = analysis(4);
    EXPECT_EQ(refused[0], "5.000000");
    EXPECT_EQ(refused[2], "1.0000");
    EXPECT_EQ(refused.mid(3), QStringList(5, "N/A"));

    // A step whose cycle numbers run backwards ends the walk.
    startTest(QStringLiteral("Odd"));
    qint32 u = 0;
    for (int c : {2, 1})
        for (int k = 1; k <= 3; ++k) record({1, c, k, u += 10, std::pow(10.0, k), std::pow(10.0, 1 + 0.5 * k)});
    w->CalcRampPowerLaw();
    EXPECT_EQ(w->mPointCount, 6);
}

TEST_F(LiveGrid, AFinishedCycleWithoutAnalysisGetsNoOtherCyclesValues) {
    startTest();
    recordCycle({{10, 31.6228}, {100, 100}, {1000, 316.228}}, 1);
    const QStringList step1 = analysis(4);
    ASSERT_EQ(step1[0], "0.500000");
    // Step 2 ramps over two entries only; step 3 begins.
    record({2, 1, 0, 100, 170, 50});
    record({2, 1, 1, 110, 10, 20});
    record({2, 1, 2, 120, 100, 80});
    record({3, 1, 0, 130, 170, 50});
    ASSERT_EQ(w->MSFlexGrid1->Rows(), 10);
    EXPECT_EQ(cell(8, 0), "2");
    EXPECT_EQ(analysis(8), QStringList(8, QString()));
    EXPECT_EQ(analysis(4), step1);

    // The end of a sequence with a complete ramp: one empty row, then the fit.
    startTest(QStringLiteral("End"));
    record({1, 1, 0, 10, 170, 50});
    record({1, 1, 1, 20, 10, 31.6228});
    record({1, 1, 2, 30, 100, 100});
    record({1, 1, 3, 40, 1000, 316.228});
    w->MSFlexGrid1->Rows(w->MSFlexGrid1->Rows() + 1);
    w->CalcRampPowerLaw();
    EXPECT_EQ(analysis(4)[0], "0.500000");
}

TEST_F(LiveGrid, NoStoredSamplesLeaveTheGridAlone) {
    startTest();
    setState({1, 1, 0, 10, 170, 50});
    w->UpdateResultGrid();
    w->MSFlexGrid1->Rows(3);
    w->CalcRampPowerLaw();
    EXPECT_EQ(w->mPointCount, 0);
    EXPECT_EQ(analysis(1), QStringList(8, QString()));
    EXPECT_EQ(cell(1, 0), "1");
}
