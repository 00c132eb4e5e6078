#pragma once
// The sequence as the editor holds it: the texts of its two grids, every row
// of each (row 0 the header row), every row with one text per column.
//
//   steps: the step grid, 11 columns: 0 step no, 1 step time (min),
//          2 temperature, 3 temperature error, 4 temperature ramp rate,
//          5 shear rate or speed, 6 pressure, 7 pressure rate,
//          8 record interval, 9 cycles, 10 ramp flag;
//   ramps: the ramp-define grid, 3 columns: 0 time (s), 1 shear rate or
//          speed, 2 interval (s); rows 1 to 40 the ramp entries.
//
// Values are in the editor's display units (temperatures by gUnitSystem,
// column 5 of the steps and column 1 of the ramps by gBySR). A cell missing
// from a short row reads as the empty text.

#include <QString>
#include <QStringList>
#include <QVector>

class FlexGridModel;

struct SequenceGridTexts {
    QVector<QStringList> steps;
    QVector<QStringList> ramps;

    // The text of a cell; empty outside the rows given.
    static QString cell(const QVector<QStringList>& grid, int row, int col) {
        if (row < 0 || row >= grid.size()) return QString();
        const QStringList& r = grid[row];
        return col >= 0 && col < r.size() ? r[col] : QString();
    }
    QString step(int row, int col) const { return cell(steps, row, col); }
    QString ramp(int row, int col) const { return cell(ramps, row, col); }

    // Every cell of the two grids as they stand (MSFlexGrid1, MSFlexGrid2).
    static SequenceGridTexts fromGrids(const FlexGridModel& stepGrid, const FlexGridModel& rampGrid);
};
