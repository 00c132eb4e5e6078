#pragma once
// The live result grid of a rheology test window: one row per (step, cycle,
// ramp entry) group of the run, rewritten with the latest sample while the
// group lasts, and on the last row of every finished shear-rate ramp cycle
// the power-law analysis of that cycle (n', Kv, R², K', K' slot and the
// viscosities of the fitted law at 40, 100 and 170 1/s).
//
// The work is done here on the grid's model, without any window; the
// window's SetupResultGrid, UpdateResultGrid, FormatResultGridRow and
// CalcRampPowerLaw hand it the run state, the readings and the stored
// samples. The analysis of a cycle is the one of the main window's result
// grid (RheologyGridLines, ResultGridLines.h; the fit in PowerLawFit.h): the
// same walk over the stored samples, the same point rule, fit, acceptance
// bounds and geometry correction.

#include "analysis/ResultPoints.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class FlexGridModel;

namespace rheologygrid {

inline constexpr int kColumns = 20;
inline constexpr int kHeaderHeight = 650;  // twips
inline constexpr int kColumnWidth = 1090;  // twips
inline constexpr int kFirstAnalysisColumn = 12;

// The format string: the 20 captions, unit captions from the globals.
QString LiveResultFormatString();
// Header row height, word wrap, the captions and the column widths.
void SetupLiveResultGrid(FlexGridModel& grid);

// What a row shows of the run: the group and the latest readings (stored
// units: °F, psi, 1/s, dyn/cm², gel reading) with the shear rate per rpm of
// the bob in use.
struct LiveSample {
    int step = 0;
    int cycle = 0;
    int rampEntry = 0;
    qint32 elapsedSec = 0;
    double sampleTemp = 0;
    double pressure = 0;
    double shearRate = 0;
    double shearStress = 0;
    double gel = 0;
    double shearRateFactor = 1;
};

// The sample of a stored rheology row (TestKindColumns.h), on a bob of that
// shear rate per rpm.
LiveSample SampleOfRow(const ResultPoint& row, double shearRateFactor);

// Columns 0 to 11 of a row.
QStringList LiveResultCells(const LiveSample& sample);
// Writes them into the last row of the grid.
void FormatLastRow(FlexGridModel& grid, const LiveSample& sample);

// The group of the grid's last row, as read back from its cells.
struct GridGroup {
    double step = 0;
    double cycle = 0;
    int rampEntry = 0;
};

// Brings the grid up to date with a sample: a header-only grid gets its
// first row; a sample of another group than the last row's gets a new row;
// the sample is written into the last row. `last` receives the group the
// last row held before (the sample's own group for the first row). Returns
// true when a ramp cycle has just ended and is to be analysed: the ramp
// entry changed together with the cycle or the step.
bool UpdateLiveResultGrid(FlexGridModel& grid, const LiveSample& sample, GridGroup& last);
// True when the sample's group comes before the group of the grid's last
// row (a row stored late, after the grid moved on to a later step, cycle or
// ramp entry): the grid keeps its rows in the run's order.
bool BeforeLastRow(const FlexGridModel& grid, const LiveSample& sample);

// The analysis of one cycle: its step and cycle numbers, and the texts of
// columns 12 to 19.
struct CycleAnalysis {
    double step = 0;
    double cycle = 0;
    QStringList cells;
};
// Every cycle of the samples (in time order) that has at least three usable
// ramp entries, analysed on a bob of the given radius, in the order of the walk.
std::vector<CycleAnalysis> CycleAnalyses(const std::vector<ResultPoint>& points, double bobRadius);

// Writes the analysis of the cycle of the second-to-last grid row (the row
// of the finished cycle's last ramp entry, the last row being the group just
// begun) into its columns 12 to 19. A cycle that was not analysed (fewer
// than three usable entries) leaves the row as it is; so does a grid with
// no such row. Returns whether a row was written.
bool WriteFinishedCycleAnalysis(FlexGridModel& grid, const std::vector<CycleAnalysis>& analyses);

}  // namespace rheologygrid
