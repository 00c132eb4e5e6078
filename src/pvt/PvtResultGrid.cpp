#include "pvt/PvtResultGrid.h"

#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/Units.h"
#include "platform/FlexGrid.h"

#include <cmath>

namespace pvtgrid {

namespace {
constexpr int kHeaderHeight = 450;  // twips: two lines
constexpr int kColumnWidth = 800;
constexpr int kWideColumnWidth = 1200;  // speed and density
// The elapsed time and the position need a little more than the others: the
// caption "Elaps Time" on one line, a position of five decimals and a sign.
constexpr int kTimeColumnWidth = 1100;
constexpr int kPositionColumnWidth = 1100;

int columnWidth(int c) {
    switch (c) {
    case 2: return kTimeColumnWidth;
    case 5:
    case 6: return kWideColumnWidth;
    case 7: return kPositionColumnWidth;
    default: return kColumnWidth;
    }
}
}  // namespace

QString PvtGridFormatString() {
    const QChar cr(13);
    return QStringLiteral("<Step No|<Cycle No |<Elaps Time") + cr + QStringLiteral("(min)|<") + QStringLiteral("Temp ") +
           cr + gTempLabel + QStringLiteral("|<") + QStringLiteral("Press ") + cr + QStringLiteral("(psi) |<") +
           QStringLiteral("Speed ") + cr + QStringLiteral("(Rpm)|<") + QStringLiteral("Density ") + cr +
           QStringLiteral("(g/cm3) |<") + QStringLiteral("Position ") + cr + QStringLiteral("(in.)");
}

void SetupPvtResultGrid(FlexGridModel& grid) {
    grid.RowHeight(0, kHeaderHeight);
    grid.WordWrap(true);
    grid.FormatString(PvtGridFormatString());
    for (int c = 0; c < grid.Cols(); ++c) grid.ColWidth(c, columnWidth(c));
}

QStringList PvtGridCells(const Sample& s) {
    return {Str(s.step),
            Str(s.cycle),
            Format(s.elapsedSec / 60, QStringLiteral("##0.##")),
            Format(TempToDisplay(s.sampleTemp), QStringLiteral("###0.##")),
            Format(s.pressure, QStringLiteral("###0")),
            Format(s.speed, QStringLiteral("###0.##")),
            Format(s.density, QStringLiteral("##0.0###")),
            Format(-s.height, QStringLiteral("#0.0####"))};
}

void AddPvtGridRow(FlexGridModel& grid, const Sample& s) {
    int row = grid.Rows() - 1;
    const double lastStep = Val(grid.TextMatrix(row, 0));
    const double lastCycle = std::nearbyint(Val(grid.TextMatrix(row, 1)));
    if (lastStep != s.step || lastCycle != s.cycle) {
        grid.Rows(grid.Rows() + 1);
        row = grid.Rows() - 1;
    }
    const QStringList cells = PvtGridCells(s);
    for (int c = 0; c < cells.size() && c < grid.Cols(); ++c) grid.TextMatrix(row, c, cells[c]);
}

}  // namespace pvtgrid
