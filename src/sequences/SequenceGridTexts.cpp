#include "sequences/SequenceGridTexts.h"

#include "platform/FlexGrid.h"

namespace {
QVector<QStringList> texts(const FlexGridModel& grid) {
    QVector<QStringList> out;
    out.reserve(grid.Rows());
    for (int r = 0; r < grid.Rows(); ++r) {
        QStringList row;
        row.reserve(grid.Cols());
        for (int c = 0; c < grid.Cols(); ++c) row << grid.TextMatrix(r, c);
        out << row;
    }
    return out;
}
}  // namespace

SequenceGridTexts SequenceGridTexts::fromGrids(const FlexGridModel& stepGrid, const FlexGridModel& rampGrid) {
    return SequenceGridTexts{texts(stepGrid), texts(rampGrid)};
}
