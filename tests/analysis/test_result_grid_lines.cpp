// The result grids' lines without a grid: rheology lines with the power-law
// analysis of each cycle, PVT lines with the density, swell lines, the
// grouping of PVT and swell points, the headers and the bob's figures.

#include "data/BobGeometry.h"
#include "data/Globals.h"
#include "data/Units.h"
#include "analysis/ResultGridLines.h"
#include "analysis/ResultPoints.h"
#include "support/QtPrint.h"
#include "support/SavedGlobals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace resultcol;

namespace {

constexpr double kB1 = 1.7245;  // bob B1, cm
constexpr double kB3 = 0.8622;  // bob B3, cm

// Every test sets the settings it needs; the fixture puts the old ones back.
class GridLines : public ::testing::Test {
protected:
    void SetUp() override {
        gUnitSystem = 1;
        gKUnit = 1;
    }

private:
    testing_support::SavedGlobals saved_;
};

struct Pt {
    double step, cycle, rampStep, time, speed, stress, type;
    double temp = 200, press = 1000, bath = 0;
};

ResultPoint point(const Pt& s) {
    ResultPoint p;
    p[TestResultId] = 0;
    p[TestId] = 7;
    p[RampNo] = s.step;
    p[RampStepNo] = s.rampStep;
    p[ResultTime] = s.time;
    p[SampleTemp] = s.temp;
    p[Press] = s.press;
    p[Speed] = s.speed;
    p[ShearStress] = s.stress;
    p[TypeId] = s.type;
    p[BathTemp] = s.bath;
    p[CycleNo] = s.cycle;
    return p;
}

std::vector<ResultPoint> points(std::initializer_list<Pt> list) {
    std::vector<ResultPoint> v;
    for (const Pt& s : list) v.push_back(point(s));
    return v;
}

// One ramp of a cycle: ramp steps 1, 2, 3 ... at the given shear rates and stresses.
void addRamp(std::vector<ResultPoint>& v, double step, double cycle, const std::vector<double>& rates,
             const std::vector<double>& stresses, double& time, double dt = 30) {
    for (size_t k = 0; k < rates.size(); ++k) {
        time += dt;
        v.push_back(point({step, cycle, double(k + 1), time, rates[k], stresses[k], 1}));
    }
}

QStringList analysis(const QStringList& line) { return line.mid(12); }
const QStringList kNoAnalysis(8, QString());

// No cell anywhere shows an overflow or an undefined number.
void expectNoBadNumbers(const QVector<QStringList>& lines) {
    for (const QStringList& line : lines)
        for (const QString& c : line) {
            EXPECT_FALSE(c.contains(QLatin1String("inf"), Qt::CaseInsensitive)) << c.toStdString();
            EXPECT_FALSE(c.contains(QLatin1String("nan"), Qt::CaseInsensitive)) << c.toStdString();
        }
}

const std::vector<double> kRates{10, 100, 1000};
const std::vector<double> kHalfPower{31.6228, 100, 316.228};  // n' = 0.5

// ---------------------------------------------------------------- power law

TEST_F(GridLines, KnownCycleOnBobB1) {
    std::vector<ResultPoint> v;
    double t = 0;
    addRamp(v, 1, 1, kRates, kHalfPower, t);
    const auto lines = RheologyGridLines(v, kB1);
    ASSERT_EQ(lines.size(), 3);
    for (const auto& l : lines) ASSERT_EQ(l.size(), 20);
    EXPECT_EQ(analysis(lines[0]), kNoAnalysis);
    EXPECT_EQ(analysis(lines[1]), kNoAnalysis);
    // Values worked out apart from the program: s = 1.8415 / 1.7245.
    EXPECT_EQ(analysis(lines[2]), (QStringList{"0.500000", "2.088556", "1.0000", "2.023296", "2.336300", "176.87",
                                               "111.86", "85.79"}));
    // The sample columns of the first line: 30 s, 200 °F, 1000 psi, 10 1/s.
    EXPECT_EQ(lines[0].mid(0, 12), (QStringList{"1", "1", "1", "0.5", "200.0", "1000", "10", "5.87", "31.6228",
                                                "316.23", "0.", "6.1884"}));
}

TEST_F(GridLines, KnownCycleOnBobB3AndAFiveStepRamp) {
    std::vector<ResultPoint> v;
    double t = 0;
    addRamp(v, 1, 1, kRates, kHalfPower, t);
    EXPECT_EQ(analysis(RheologyGridLines(v, kB3)[2]),
              (QStringList{"0.500000", "2.088556", "1.0000", "1.630690", "1.882959", "142.55", "90.16", "69.15"}));

    v.clear();
    addRamp(v, 1, 1, {10, 50, 100, 300, 600}, {5.2, 20.1, 35.9, 88.0, 150.3}, t);
    EXPECT_EQ(analysis(RheologyGridLines(v, kB1)[4]),
              (QStringList{"0.823495", "0.165783", "0.9998", "0.163919", "0.173504", "43.32", "36.85", "33.56"}));
}

TEST_F(GridLines, KUnit2DividesTheConsistencyColumnsBy100) {
    std::vector<ResultPoint> v;
    double t = 0;
    addRamp(v, 1, 1, kRates, kHalfPower, t);
    addRamp(v, 1, 2, kRates, {50, 50, 50}, t);  // n' = 0: the "N/A" line
    gKUnit = 2;
    const auto lines = RheologyGridLines(v, kB1);
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(analysis(lines[2]), (QStringList{"0.500000", "0.020886", "1.0000", "0.020233", "0.023363", "176.87",
                                               "111.86", "85.79"}));
    EXPECT_EQ(lines[6][13], "0.104428");  // K = 100 × 50 cP·s^-1, / 478.8 / 100
    gKUnit = 1;
    EXPECT_EQ(RheologyGridLines(v, kB1)[6][13], "10.442774");
}

TEST_F(GridLines, TwoQualifyingLinesAreNotFitted) {
    std::vector<ResultPoint> v;
    double t = 0;
    addRamp(v, 1, 1, {10, 100}, {31.6228, 100}, t);
    // A ramp line at rate 0 and a step line do not count either.
    v.push_back(point({1, 1, 3, 100, 0, 40, 1}));
    v.push_back(point({1, 1, 4, 130, 300, 200, 0}));
    const auto lines = RheologyGridLines(v, kB1);
    ASSERT_EQ(lines.size(), 4);
    for (const auto& l : lines) EXPECT_EQ(analysis(l), kNoAnalysis);
    EXPECT_EQ(lines[2][9], "0");  // rate 0: viscosity "0"
}

TEST_F(GridLines, RejectedFitsGetAnExtraNALine) {
    struct Case {
        const char* what;
        std::vector<double> stresses;
        QStringList shown;  // columns 12 to 14
    };
    const Case cases[] = {
        {"n' = 5", {1, 1e5, 1e10}, {"5.000000", "0.000002", "1.0000"}},
        {"n' = 0", {50, 50, 50}, {"0.000000", "10.442774", "1.0000"}},
        {"intercept 32", {1e31, 1e32, 1e33}, {"1.000000", "208855472013367000000000000000.000000", "1.0000"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<ResultPoint> v;
        double t = 0;
        addRamp(v, 1, 1, kRates, c.stresses, t, 10);  // rejected, ends at 30 s
        addRamp(v, 1, 2, kRates, kHalfPower, t);      // accepted
        const auto lines = RheologyGridLines(v, kB1);
        ASSERT_EQ(lines.size(), 7);
        EXPECT_EQ(analysis(lines[2]), kNoAnalysis);
        const QStringList& na = lines[3];
        EXPECT_EQ(na.mid(12, 3), c.shown);
        EXPECT_EQ(na.mid(15), QStringList(5, "N/A"));
        // The same sample as the line above with two other masks.
        EXPECT_EQ(na[3], ".5");  // 30 s under "#.#"
        EXPECT_EQ(lines[2][3], "0.5");
        EXPECT_EQ(na[6], "1000.");  // "###0.####"
        EXPECT_EQ(lines[2][6], "1000");
        for (int col : {0, 1, 2, 4, 5, 7, 8, 9, 10, 11}) EXPECT_EQ(na[col], lines[2][col]) << col;
        EXPECT_EQ(lines[6][12], "0.500000");  // the accepted neighbour keeps its own line
    }
}

TEST_F(GridLines, ExtraLineShowsViscosityZeroBelowTheWiderThreshold) {
    std::vector<ResultPoint> v;
    double t = 0;
    addRamp(v, 1, 1, {0.001, 0.01, 0.1}, {1, 1, 1}, t);  // n' = 0: rejected; last rate 0.1
    addRamp(v, 1, 2, {0.1, 0.01, 0.001}, {1, 1, 1}, t);  // last rate 0.001 < 0.002
    const auto lines = RheologyGridLines(v, kB1);
    ASSERT_EQ(lines.size(), 8);
    EXPECT_EQ(lines[3][9], "1000.");  // 100 × 1 / 0.1
    EXPECT_EQ(lines[6][9], "100000.");
    EXPECT_EQ(lines[7][9], "0");
}

TEST_F(GridLines, NewtonianSample) {
    std::vector<ResultPoint> v;
    double t = 0;
    addRamp(v, 1, 1, kRates, {1, 10, 100}, t);  // 10 cP at every rate
    const auto lines = RheologyGridLines(v, kB1);
    ASSERT_EQ(lines.size(), 3);
    // Kb = Ks = K = 10 cP / 478.8; every calculated viscosity is 10 cP. The
    // points lie on the power law: R² 1.
    EXPECT_EQ(analysis(lines[2]),
              (QStringList{"1.000000", "0.020886", "1.0000", "0.020886", "0.020886", "10.0", "10.0", "10.0"}));
}

// R² is that of the power law itself, log stress on log rate: 1 for points
// on a power law of any index, Newtonian ones too, whose viscosity line is
// flat and whose correlation there is only the rounding of the values.
TEST_F(GridLines, RSquaredOfThePowerLawFit) {
    struct Case {
        const char* what;
        std::vector<double> rates, stresses;
        QStringList nKvR2;  // columns 12 to 14
        QString v40;        // column 17, worked out apart from the program
    };
    const std::vector<double> r3{40, 100, 170};
    const auto law = [&](double K, double n) {
        std::vector<double> out;
        for (double r : r3) out.push_back(K * std::pow(r, n));
        return out;
    };
    const Case cases[] = {
        {"n' 0.5", r3, law(10, 0.5), {"0.500000", "2.088555", "1.0000"}, "176.87"},
        {"n' 1.0: stress = 0.5 x rate", r3, law(0.5, 1.0), {"1.000000", "0.104428", "1.0000"}, "50.0"},
        {"n' 1.5", r3, law(0.01, 1.5), {"1.500000", "0.002089", "1.0000"}, "5.47"},
        // 0.5 x rate as stored, the last stress a little off: n' 1.000022
        {"rounded near n' 1", r3, {20.0, 50.0, 85.003}, {"1.000022", "0.104419", "1.0000"}, "50.0"},
        {"noisy, near a power law", {10, 50, 100, 300, 600}, {5.2, 20.1, 35.9, 88.0, 150.3},
         {"0.823495", "0.165783", "0.9998"}, "43.32"},
        {"noisy, far from one", {10, 50, 100, 300, 600}, {10, 40, 20, 90, 60}, {"0.469848", "0.815729", "0.7320"},
         "62.07"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<ResultPoint> v;
        double t = 0;
        addRamp(v, 1, 1, c.rates, c.stresses, t);
        const auto lines = RheologyGridLines(v, kB1);
        ASSERT_EQ(lines.size(), qsizetype(c.rates.size()));
        EXPECT_EQ(lines.last().mid(12, 3), c.nKvR2);
        EXPECT_EQ(lines.last()[17], c.v40);
    }
}

TEST_F(GridLines, SameShearRateEverywhereGivesAllNA) {
    std::vector<ResultPoint> v;
    double t = 0;
    addRamp(v, 1, 1, {100, 100, 100}, {10, 20, 30}, t);
    const auto lines = RheologyGridLines(v, kB1);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(analysis(lines[3]), QStringList(8, "N/A"));
}

TEST_F(GridLines, ShearRateFactor) {
    EXPECT_NEAR(ShearRatePerRpmFor(kB1), 1.70229, 1e-5);
    for (double rb : {0.0, -1.0, bob::kCupRadiusCm, 2.0}) EXPECT_EQ(ShearRatePerRpmFor(rb), 0) << rb;
    EXPECT_EQ(BobRadiusOf(RowArray{}), 0);
    RowArray info(12);
    EXPECT_EQ(BobRadiusOf(info), 0);  // Null
    info[7] = kB1;
    EXPECT_EQ(BobRadiusOf(info), kB1);
}

// ---------------------------------------------------------------- the walk

TEST_F(GridLines, OneLinePerStepCycleAndRampStepFromItsLastPoint) {
    std::vector<ResultPoint> v = points({
        {1, 1, 1, 10, 10, 31.6228, 1}, {1, 1, 1, 20, 10, 31.6, 1},
        {1, 1, 2, 30, 100, 99, 1},     {1, 1, 2, 40, 100, 100, 1},
        {1, 1, 3, 50, 1000, 316.228, 1},
        {1, 1, 3, 60, 1000, 310, 0},   // step phase of the same ramp step
        {1, 2, 1, 70, 10, 31.6228, 1}, {1, 2, 2, 80, 100, 100, 1}, {1, 2, 3, 90, 1000, 316.228, 1},
        {2, 1, 0, 100, 300, 150, 0},   {2, 1, 0, 110, 300, 151, 0},
    });
    const auto lines = RheologyGridLines(v, kB1);
    QStringList keys, times;
    for (const auto& l : lines) {
        keys << l[0] + "/" + l[1] + "/" + l[2];
        times << l[3];
    }
    EXPECT_EQ(keys, (QStringList{"1/1/1", "1/1/2", "1/1/3", "1/2/1", "1/2/2", "1/2/3", "2/1/0"}));
    EXPECT_EQ(times, (QStringList{"0.3", "0.7", "1.", "1.2", "1.3", "1.5", "1.8"}));
    // Cycle 1's last line is a step point, so only its first two ramp lines
    // qualify: no analysis. Cycle 2 is analysed on its last line.
    EXPECT_EQ(analysis(lines[2]), kNoAnalysis);
    EXPECT_EQ(lines[5][12], "0.500000");
    EXPECT_EQ(analysis(lines[6]), kNoAnalysis);
}

TEST_F(GridLines, WalkPassesOverNumbersWithoutPoints) {
    // Cycles that begin at 2, a ramp step missing, steps that skip numbers:
    // no line repeats a point.
    std::vector<ResultPoint> v = points({
        {1, 2, 1, 10, 10, 31.6228, 1}, {1, 2, 2, 20, 100, 100, 1}, {1, 2, 4, 30, 1000, 316.228, 1},
        {5, 1, 1, 40, 10, 30, 1},
    });
    const auto lines = RheologyGridLines(v, kB1);
    QStringList keys;
    for (const auto& l : lines) keys << l[0] + "/" + l[1] + "/" + l[2];
    EXPECT_EQ(keys, (QStringList{"1/2/1", "1/2/2", "1/2/4", "5/1/1"}));
    EXPECT_EQ(lines[2][12], "0.500000");
}

TEST_F(GridLines, WalkEndsOnHugeAndInfiniteNumbers) {
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<ResultPoint> v = points({
        {1, 1, 1e12, 10, 10, 30, 1},
        {1, 1e15, 1, 20, 10, 30, 1},
        {1, 1e15, inf, 30, 10, 30, 1},
        {2, inf, 1, 40, 10, 30, 1},
        {1e18, 1, 1, 50, 10, 30, 1},
    });
    const auto lines = RheologyGridLines(v, kB1);
    EXPECT_EQ(lines.size(), 5);
    expectNoBadNumbers(lines);
    // A last step number that is NaN counts as 0: no step is walked.
    v.back()[RampNo] = std::nan("");
    EXPECT_TRUE(RheologyGridLines(v, kB1).isEmpty());
}

TEST_F(GridLines, PointsAfterTheLastRowsStepAreNotShown) {
    // The walk runs up to the step number of the last point.
    std::vector<ResultPoint> v = points({{1, 1, 1, 10, 10, 30, 1}, {2, 1, 1, 20, 10, 30, 1}, {1, 1, 1, 30, 10, 30, 1}});
    EXPECT_EQ(RheologyGridLines(v, kB1).size(), 1);
    EXPECT_TRUE(RheologyGridLines({}, kB1).isEmpty());
}

// ---------------------------------------------------------------- bad input

TEST_F(GridLines, UnusableBobShowsNoSpeedAndNoGeometryColumns) {
    for (double rb : {0.0, bob::kCupRadiusCm, 2.0, -1.0}) {
        SCOPED_TRACE(rb);
        std::vector<ResultPoint> v;
        double t = 0;
        addRamp(v, 1, 1, kRates, kHalfPower, t);
        const auto lines = RheologyGridLines(v, rb);
        ASSERT_EQ(lines.size(), 3);
        for (const auto& l : lines) EXPECT_EQ(l[7], "");
        EXPECT_EQ(analysis(lines[2]),
                  (QStringList{"0.500000", "2.088556", "1.0000", "N/A", "N/A", "N/A", "N/A", "N/A"}));
        expectNoBadNumbers(lines);
    }
}

TEST_F(GridLines, NullAndZeroValuesGiveNoBadNumbers) {
    // A row of Null entries: the record defaults (0, CYCLE_NO 1).
    const ResultPoint p = ResultPointFromRow(RowArray(12));
    std::vector<ResultPoint> v{p, p, p};
    EXPECT_TRUE(RheologyGridLines(v, kB1).isEmpty());  // the last step is 0: no step is walked
    v.push_back(point({0, 1, 0, 0, -5, -3, 1}));
    v.push_back(point({1, 1, 0, 0, 0, 0, 1}));
    const auto lines = RheologyGridLines(v, kB1);
    ASSERT_EQ(lines.size(), 1);  // steps 0 and 1, cycle 1, ramp step 0: one line
    EXPECT_EQ(lines[0][9], "0");
    EXPECT_EQ(analysis(lines[0]), kNoAnalysis);
    expectNoBadNumbers(lines);
}

// ---------------------------------------------------------------- PVT

OpenedTest pvtTest(double radius, double volume, double density) {
    OpenedTest t;
    t.TestType = 1;
    t.PvtPistonRadius = radius;
    t.CuriniV = volume;
    t.CuriniD = density;
    return t;
}

TEST_F(GridLines, PvtLinesOnePerStepAndCycle) {
    std::vector<ResultPoint> v = points({
        {1, 1, 0, 30, 100, 0.00, 0, 200, 5000, 11},
        {1, 1, 0, 90, 100, 0.01, 0, 210, 5100, 12},
        {2, 1, 0, 100, 100, 0.02, 0, 220, 5200, 13},
        {1, 1, 0, 110, 100, 0.03, 0, 230, 5300, 14},  // lower step, same cycle: joins
        {2, 1, 0, 120, 150.5, 0.04, 0, 240, 5400, 15},
        {1, 2, 0, 130, 100, 0.05, 0, 250, 5500, 16},  // back to step 1 in cycle 2: a new line
    });
    const auto lines = PvtGridLines(v, pvtTest(0.5, 20, 1.0));
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], (QStringList{" 1", " 1", "1.5", "210.0", "5100", "100.0", "1.0010", "0.01", "12."}));
    EXPECT_EQ(lines[1], (QStringList{" 2", " 1", "2.", "240.0", "5400", "150.5", "1.0042", "0.04", "15."}));
    EXPECT_EQ(lines[2][0], " 1");
    EXPECT_EQ(lines[2][1], " 2");

    // SI: only the temperature changes.
    gUnitSystem = 2;
    const auto si = PvtGridLines(v, pvtTest(0.5, 20, 1.0));
    EXPECT_EQ(si[0], (QStringList{" 1", " 1", "1.5", "98.9", "5100", "100.0", "1.0010", "0.01", "12."}));

    // Without a piston radius the density cell is empty.
    EXPECT_EQ(PvtGridLines(v, pvtTest(0, 20, 1.0))[0][6], "");
    EXPECT_EQ(PvtGridLines({point({1, 1, 0, 30, 0, 0, 0})}, pvtTest(0.5, 20, 1.0)).size(), 1);
    EXPECT_TRUE(PvtGridLines({}, pvtTest(0.5, 20, 1.0)).isEmpty());
}

TEST_F(GridLines, GroupsEndOnAnyCycleNumber) {
    // A cycle number that rounds down below itself still forms its group.
    std::vector<ResultPoint> v = points({{1, 1.4, 0, 10, 0, 0, 0}, {1, 1.4, 0, 20, 0, 0, 0}, {1, 2, 0, 30, 0, 0, 0}});
    EXPECT_EQ(StepCycleGroupEnds(v), (std::vector<size_t>{0, 1, 2}));
    v[0][CycleNo] = std::nan("");
    v[0][RampNo] = std::numeric_limits<double>::infinity();
    EXPECT_EQ(StepCycleGroupEnds(v).size(), 3);
}

// ---------------------------------------------------------------- swell

TEST_F(GridLines, SwellLines) {
    std::vector<ResultPoint> v = points({
        {1, 1, 0, 30, 50, 0.005, 0, 200, 1000, 1.25},
        {1, 1, 0, 60, 50, 0.01, 0, 210, 1000, 1.5},
        {2, 1, 0, 90, 60, 0.0123, 0, 220, 1500, 1.75},
        {1, 2, 0, 120, 60, 0.0123, 0, 230, 1500, 2},
    });
    const auto lines = LsmGridLines(v, 0.5);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], (QStringList{"1", "1", "1.", "210.", "1000", "50", "0.01", "2.%", "1.5"}));
    EXPECT_EQ(lines[1][7], "2.46%");  // two decimals ...
    EXPECT_EQ(lines[2][7], "2.5%");   // ... one on the last line
    EXPECT_EQ(lines[2][0], "1");
    EXPECT_EQ(lines[2][1], "2");

    // SI: the sample length is stored in millimetres and read back in inches.
    gUnitSystem = 2;
    const auto si = LsmGridLines(v, LengthFromDisplay(12.7));
    EXPECT_EQ(si[0][6], "0.25");
    EXPECT_EQ(si[0][7], "2.%");
    EXPECT_EQ(si[0][3], "98.9");

    EXPECT_EQ(LsmGridLines(points({{1, 1, 0, 0, 0, 0.001, 0}}), 0.001)[0][7], "100.%");
    EXPECT_EQ(LsmGridLines(v, 0)[0][7], "");
    EXPECT_TRUE(LsmGridLines({}, 0.5).isEmpty());
}

// ---------------------------------------------------------------- headers

TEST_F(GridLines, HeaderCaptions) {
    gTempLabel = "(°F)";
    gStressLabel = "(dyne/cm2)";
    gViscLabel = "(cP)";
    gKLabel = "(lbf-s^n/100ft2)";
    gPressLabel = "(psi)";
    gLengthLabel = "(in.)";
    const QStringList rheo = RheologyFormatString().split('|');
    ASSERT_EQ(rheo.size(), 20);
    EXPECT_EQ(rheo[1], QString("<Cycle\rNo"));
    EXPECT_EQ(rheo[6], QString("Shear Rate\r (1/S)"));
    EXPECT_EQ(rheo[10], QString("<Gel\rFann® F1"));
    EXPECT_EQ(rheo[11], QString("<Fann® 35 F1"));
    EXPECT_EQ(rheo[17], QString("<Calc. Visc@40 1/s \r(cP)"));
    EXPECT_EQ(rheo[19], QString("<Calc. Visc@170 1/s\r(cP)"));
    EXPECT_EQ(PvtFormatString(), "<Step No|<Cycle No|<Elapsed Time (min)|<Temp (°F)|<Pressure (psi)|<Speed (rpm)"
                                 "|<Density (g/cm3) |<Position (in.) |<data ");
    EXPECT_EQ(LsmFormatString(), "<Step No|<Cycle No|<Elapsed Time (min)|<Temp (°F)|<Press (psi)|<Speed (rpm)"
                                 "|<Length Change (in.)|< Swell (%) |<read voltage");
}

}  // namespace
