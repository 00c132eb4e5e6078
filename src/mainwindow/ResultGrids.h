#pragma once
// The main window's result grid (MSFlexGrid1) for an opened stored test: the
// header set-up and the fill of each test kind. The main window calls them
// with its grid, its result records, its connection and its opened-test
// fields; the lines come from ResultGridLines.h (the fit of a cycle from
// PowerLawFit.h, the density from PvtDensity.h).
//
// Nothing is trapped: a database failure of the result records reaches the
// caller as a db::DbError, before any line is written.

#include "data/OpenedTest.h"
#include "analysis/ResultPoints.h"

class FlexGrid;
class clsConnection;
class clsTEST_RESULT;

// Rheology: the 20-column header (captions from the unit captions), every
// column left-top aligned and 1090 twips wide, header row 600 twips with
// word wrap; the grid keeps the header row only.
void Initial_Grid_Rheology(FlexGrid& grid);

// Rheology: nothing when no test is opened (OpenedTestName empty). Otherwise
// cuts the grid to its header row, sets opened.ShearRatePerRpm from the bob
// radius of OpenedTestInfo (0 when the radius is missing or not inside the
// cup), loads the points of OpenedTestId through `results` and `connection`
// and writes one line per step, cycle and ramp step with the analysis of each
// cycle. The current row is then the last line; the records' cursor is at
// their end.
void FillRheologyGrid(FlexGrid& grid, clsTEST_RESULT& results, clsConnection* connection, OpenedTest& opened);

// PVT: the 9-column header, 1200 twips per column with the position and raw
// data columns hidden; header row 450 twips with word wrap; selection by row
// and resizing of rows and columns. Cell texts are cleared, the row count stays.
void Initial_Grid_PVT(FlexGrid& grid);

// PVT: from the points the result records already hold (bound to the opened
// test). No points: the grid is left as it is. Otherwise one line per step and
// cycle with the density from CalcPvtDensity.
void FillPvtGrid(FlexGrid& grid, clsTEST_RESULT& results, const OpenedTest& opened);

// Swell: the 9-column header, each column as wide as its caption and the
// voltage column hidden; header row 600 twips with word wrap; header row only.
void Initial_Grid_LSM(FlexGrid& grid);

// Swell: cuts the grid to its header row, loads the points of OpenedTestId
// through `results` and `connection` and writes one line per step and cycle,
// the swell taken against opened.LsmSampleLength (inches).
void FillLsmGrid(FlexGrid& grid, clsTEST_RESULT& results, clsConnection* connection, const OpenedTest& opened);

// Every point the records hold, from the first on (MoveFirst, All, MoveNext
// up to Eof); the cursor is left at the end.
std::vector<ResultPoint> ReadResultPoints(clsTEST_RESULT& results);
