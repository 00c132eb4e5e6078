#pragma once
// The live result grid of the PVT window (MSFlexGrid1): a header row of eight
// captions (most of two lines), then one row per step and cycle holding the
// values of the latest point recorded in it.

#include <QString>
#include <QStringList>

class FlexGridModel;

namespace pvtgrid {

// The values of a recorded point, in stored units.
struct Sample {
    int step = 0;
    int cycle = 0;
    double elapsedSec = 0;
    double sampleTemp = 0;  // °F
    double pressure = 0;    // psi
    double speed = 0;       // rpm
    double density = 0;     // g/cm³
    double height = 0;      // inch
};

// The header format string (a carriage return inside a caption starts its
// second line).
QString PvtGridFormatString();
// Header row height, wrap, format string and column widths.
void SetupPvtResultGrid(FlexGridModel& grid);
// The eight cells of a point, column 0 first.
QStringList PvtGridCells(const Sample& s);
// The point goes into the last row when that row holds the same step and
// cycle, else into a new row at the end.
void AddPvtGridRow(FlexGridModel& grid, const Sample& s);

}  // namespace pvtgrid
