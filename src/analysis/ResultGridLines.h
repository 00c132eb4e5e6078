#pragma once
// The computations behind the main window's result grids, free of any window:
// the lines of the rheology grid with the power-law analysis of every cycle,
// the lines of the PVT grid with the sample density, and the lines of the
// swell grid. Each line is the list of its cell texts, column 0 first, exactly
// as the grid shows them (the report writers read the same texts back).
//
// Every value comes as stored (°F, psi, seconds, and per kind what
// TestKindColumns.h says: the rheology shear rate 1/s and stress dyn/cm², the
// PVT and swell rpm and heights or lengths in inch);
// the texts follow gUnitSystem and gKUnit (Units.h) and the masks of Format
// (Numbers.h). Nothing here throws on odd data: a value that cannot be
// computed (a missing geometry, a non-positive sample length, an overflow)
// shows as an empty cell on a sample line and as "N/A" in the analysis columns.

#include "data/RecordBase.h"
#include "data/OpenedTest.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <array>
#include <optional>
#include <vector>

class clsTEST_RESULT;

// ---- lines -------------------------------------------------------------------

// Where a grid's lines go as they are made: each line is added whole, and
// the analysis of a rheology cycle may then fill cells of the line added last.
class GridLineSink {
public:
    virtual ~GridLineSink() = default;
    virtual void AddLine(const QStringList& cells) = 0;
    virtual void SetLastLineCell(int col, const QString& text) = 0;
};

// A sink that keeps the lines.
class GridLineList : public GridLineSink {
public:
    void AddLine(const QStringList& cells) override { lines.append(cells); }
    void SetLastLineCell(int col, const QString& text) override { lines.last()[col] = text; }
    QVector<QStringList> lines;
};

// ---- result points ---------------------------------------------------------

// Entries of a result row array (clsTEST_RESULT::All), each the column of
// that number. Speed, ShearStress, TypeId and BathTemp hold another quantity
// in each kind of test: read them by the names of TestKindColumns.h.
namespace resultcol {
enum : int {
    TestResultId = 0,
    TestId = 1,
    RampNo = 2,        // step
    RampStepNo = 3,    // ramp step
    ResultTime = 4,    // s
    SampleTemp = 5,    // °F
    Press = 6,         // psi
    Speed = 7,         // RESULT_SPEED
    ShearStress = 8,   // RESULT_SHEAR_STRESS
    TypeId = 9,        // RESULT_TYPE_ID
    BathTemp = 10,     // RESULT_BATH_TEMP
    CycleNo = 11,
};
}

// One stored result point as twelve numbers.
struct ResultPoint {
    std::array<double, 12> v{};
    double operator[](int i) const { return v[size_t(i)]; }
    double& operator[](int i) { return v[size_t(i)]; }
};

// A row array as numbers: an entry that is Null, not a number or NaN takes
// the record's default (CYCLE_NO 1, every other column 0).
ResultPoint ResultPointFromRow(const RowArray& row);
// The current row of the result records as ResultPointFromRow(results.All())
// gives it, without making the row array.
ResultPoint ResultPointOf(const clsTEST_RESULT& results);

// ---- rheology ----------------------------------------------------------------

// Shear rate at the bob per rotor rpm (bob::ShearRatePerRpm, BobGeometry.h);
// 0 when the bob does not fit the cup (bob::FitsCup), so that the speed
// column stays empty for such a test.
double ShearRatePerRpmFor(double bobRadius);
// The bob radius of a TEST_INFO row array (BOB_RADIUS), 0 when it is missing.
double BobRadiusOf(const RowArray& testInfo);

// One point of a cycle's fit list: log10 of the shear rate (1/s) and of the
// shear stress (dyn/cm²).
struct FitPoint {
    double logRate = 0;
    double logStress = 0;
};

// The power-law analysis of one cycle.
struct PowerLawResult {
    bool fitted = false;    // a line was found (the shear rates were not all the same)
    bool accepted = false;  // 0.002 < n' < 5 and intercept < 32
    bool geometry = false;  // the bob radius allowed Kb, Ks and the viscosities
    double nPrime = 0;      // n'
    double intercept = 0;   // B, log10 of K in cP
    double R2 = 0;          // of log10 stress on log10 rate: 1 for points on a power law
    double K = 0, Kb = 0, Ks = 0;   // lbf·s^n/100 ft² (cP values / 478.8)
    double V40 = 0, V100 = 0, V170 = 0;  // cP
};

// Analyses a fit list of at least three points on a bob of the given radius:
// the least-squares line of log10 stress on log10 rate, n' its slope and K
// (in cP, 100 x dyn/cm²) 10 to the power of its intercept plus 2. Fewer than
// three points give a result that is not fitted.
PowerLawResult AnalysePowerLaw(const std::vector<FitPoint>& fit, double bobRadius);

// The texts of columns 12 to 19 for an analysis: n', Kv, R², K', K' slot and
// the three calculated viscosities. An analysis that is not accepted shows
// n', Kv and R² and "N/A" in the five others; one without a line shows "N/A"
// in all eight; an accepted one on an unusable bob shows "N/A" in the five
// geometry columns. A value that overflows shows "N/A".
QStringList PowerLawCells(const PowerLawResult& result);

// The header of the rheology grid: the format string with its 20 captions.
QString RheologyFormatString();

// The rheology grid's lines for the points of a test (in time order) on a
// bob of the given radius: one line per step, cycle and ramp step holding the
// last point recorded in it, the analysis of each cycle on its last line (or
// on an extra line when it is not accepted). 20 cells per line.
void RheologyGridLines(const std::vector<ResultPoint>& points, double bobRadius, GridLineSink& sink);
QVector<QStringList> RheologyGridLines(const std::vector<ResultPoint>& points, double bobRadius);

// ---- PVT ---------------------------------------------------------------------

// The header of the PVT grid.
QString PvtFormatString();

// Growth of the piston radius under pressure, cm per psi (stored with every
// PVT test as its PRETEST_PH).
inline constexpr double kPvtRadiusPerPsi = 2.48777E-06;

// The sample volume (cm³) left after the piston travelled `travel` inches at
// `pressure` psi: initialVolume - travel x 2.54 x R x R x 3.14159, with the
// radius under pressure R = pistonRadius + kPvtRadiusPerPsi x pressure (cm).
double PvtRemainingVolume(double travel, double pressure, double pistonRadius, double initialVolume);

// Density (g/cm³) of a PVT sample after the piston travelled `travel` inches
// at `pressure` psi, from the initial volume (cm³) and density (g/cm³), with
// the piston radius of the opened test; the temperature is not used. No value
// when the remaining volume is 0, when the piston radius, the initial volume
// or the initial density is not positive (not known), or when the result
// overflows. A travel beyond the initial volume gives a negative density.
std::optional<double> CalcPvtDensity(double travel, double initialVolume, double initialDensity, double pressure,
                                     double temperature, const OpenedTest& opened);

// The mask of a PVT density (g/cm³) wherever one is written: the PVT grid,
// the CSV report and the workbooks.
inline const QString kPvtDensityMask = QStringLiteral("###0.0000");

// The PVT grid's lines: one per step and cycle, from its last point. 9 cells.
void PvtGridLines(const std::vector<ResultPoint>& points, const OpenedTest& opened, GridLineSink& sink);
QVector<QStringList> PvtGridLines(const std::vector<ResultPoint>& points, const OpenedTest& opened);

// ---- swell ---------------------------------------------------------------------

// The header of the swell grid.
QString LsmFormatString();

// The swell grid's lines: one per step and cycle, from its last point, the
// swell taken against `sampleLength` inches (an empty swell cell when that is
// not positive). 9 cells.
void LsmGridLines(const std::vector<ResultPoint>& points, double sampleLength, GridLineSink& sink);
QVector<QStringList> LsmGridLines(const std::vector<ResultPoint>& points, double sampleLength);

// ---- shared ---------------------------------------------------------------------

// Cuts points (in time order) into the groups of the PVT and swell grids: a
// group starts at a point with step s0 and cycle c0 (rounded, half to even)
// and takes the following points while their step is not above s0 and their
// cycle not above c0. The point that starts a group always belongs to it.
// Returns the index of each group's last point.
std::vector<size_t> StepCycleGroupEnds(const std::vector<ResultPoint>& points);
