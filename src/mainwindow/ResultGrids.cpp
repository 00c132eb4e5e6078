#include "mainwindow/ResultGrids.h"

#include "data/clsTEST_RESULT.h"
#include "platform/FlexGrid.h"

namespace {

// Switches the grid's drawing off for a bulk change and back to what it was,
// also when the change fails.
class RedrawOff {
public:
    explicit RedrawOff(FlexGrid& grid) : grid_(grid), was_(grid.Redraw()) { grid_.Redraw(false); }
    ~RedrawOff() { grid_.Redraw(was_); }
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;

private:
    FlexGrid& grid_;
    bool was_;
};

constexpr int kSelectByRow = 1;      // SelectionMode
constexpr int kResizeRowsAndCols = 3;  // AllowUserResizing

}  // namespace

std::vector<ResultPoint> ReadResultPoints(clsTEST_RESULT& results) {
    std::vector<ResultPoint> points;
    points.reserve(size_t(std::max(results.TotalPoints(), 0)));
    results.MoveFirst();
    while (!results.Eof()) {
        points.push_back(ResultPointFromRow(results.All()));
        results.MoveNext();
    }
    return points;
}

void AppendGridLines(FlexGrid& grid, const QVector<QStringList>& lines) {
    if (lines.isEmpty()) return;
    RedrawOff off(grid);
    const int first = grid.Rows();
    grid.Rows(first + int(lines.size()));
    for (int k = 0; k < lines.size(); ++k) {
        const QStringList& line = lines[k];
        for (int c = 0; c < line.size(); ++c)
            if (!line[c].isEmpty()) grid.TextMatrix(first + k, c, line[c]);
    }
    grid.Row(grid.Rows() - 1);
}

// ---- rheology ----------------------------------------------------------------

void Initial_Grid_Rheology(FlexGrid& grid) {
    grid.Clear();
    grid.Rows(1);
    grid.RowHeight(0, 600);
    grid.WordWrap(true);
    grid.FormatString(RheologyFormatString());
    for (int c = 0; c < 20; ++c) {
        grid.ColAlignment(c, FlexGridModel::flexAlignLeftTop);
        grid.ColWidth(c, 1090);
    }
}

void FillRheologyGrid(FlexGrid& grid, clsTEST_RESULT& results, clsConnection* connection, OpenedTest& opened) {
    if (opened.OpenedTestName.isEmpty()) return;
    grid.Rows(1);
    const double bobRadius = BobRadiusOf(opened.OpenedTestInfo);
    opened.ShearRatePerRpm = ShearRatePerRpmFor(bobRadius);

    results.Test_Id(opened.OpenedTestId);
    results.ConnectX(connection);
    if (results.TotalPoints() < 1) return;
    AppendGridLines(grid, RheologyGridLines(ReadResultPoints(results), bobRadius));
}

// ---- PVT ---------------------------------------------------------------------

void Initial_Grid_PVT(FlexGrid& grid) {
    grid.Clear();
    grid.SelectionMode(kSelectByRow);
    grid.RowHeight(0, 450);
    grid.WordWrap(true);
    grid.FormatString(PvtFormatString());
    grid.Cols(9);
    for (int c = 0; c < 9; ++c) grid.ColWidth(c, 1200);
    grid.ColWidth(7, 0);
    grid.ColWidth(8, 0);
    grid.AllowUserResizing(kResizeRowsAndCols);
}

void FillPvtGrid(FlexGrid& grid, clsTEST_RESULT& results, const OpenedTest& opened) {
    if (results.TotalPoints() == 0) return;
    const std::vector<ResultPoint> points = ReadResultPoints(results);
    grid.Rows(1);
    AppendGridLines(grid, PvtGridLines(points, opened));
}

// ---- swell ---------------------------------------------------------------------

void Initial_Grid_LSM(FlexGrid& grid) {
    grid.Clear();
    grid.Cols(8);
    grid.Rows(1);
    grid.SelectionMode(kSelectByRow);
    grid.RowHeight(0, 600);
    grid.WordWrap(true);
    grid.FormatString(LsmFormatString());  // 9 columns, each as wide as its caption
    grid.ColWidth(8, 0);
}

void FillLsmGrid(FlexGrid& grid, clsTEST_RESULT& results, clsConnection* connection, const OpenedTest& opened) {
    grid.Rows(1);
    results.Test_Id(opened.OpenedTestId);
    results.ConnectX(connection);
    if (results.TotalPoints() == 0) return;
    AppendGridLines(grid, LsmGridLines(ReadResultPoints(results), opened.LsmSampleLength));
}
