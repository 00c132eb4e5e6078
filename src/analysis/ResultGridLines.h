#pragma once
// The lines of the main window's result grids, free of any window: the
// header of each grid; the lines of the rheology grid with the power-law
// analysis of every cycle (PowerLawFit.h), and the bob's radius and shear
// rate per rpm it is read with; the lines of the PVT grid with the sample
// density (PvtDensity.h); the lines of the swell grid. Each line is the list
// of its cell texts, column 0 first, exactly as the grid shows them (the
// report writers read the same texts back; the rheology window's live grid
// takes its analysis from the same lines).
//
// Every value comes as stored (°F, psi, seconds, and per kind what
// TestKindColumns.h says: the rheology shear rate 1/s and stress dyn/cm², the
// PVT and swell rpm and heights or lengths in inch);
// the texts follow gUnitSystem and gKUnit (Units.h) and the masks of Format
// (Numbers.h). Nothing here throws on odd data: a value that cannot be
// computed (a missing geometry, a non-positive sample length, an overflow)
// shows as an empty cell on a sample line and as "N/A" in the analysis columns.

#include "analysis/ResultPoints.h"
#include "data/OpenedTest.h"
#include "data/RecordBase.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <vector>

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

// ---- rheology ----------------------------------------------------------------

// Shear rate at the bob per rotor rpm (bob::ShearRatePerRpm, BobGeometry.h);
// 0 when the bob does not fit the cup (bob::FitsCup), so that the speed
// column stays empty for such a test.
double ShearRatePerRpmFor(double bobRadius);
// The bob radius of a TEST_INFO row array (BOB_RADIUS), 0 when it is missing.
double BobRadiusOf(const RowArray& testInfo);

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
