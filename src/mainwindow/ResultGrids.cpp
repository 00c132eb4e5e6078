#include "mainwindow/ResultGrids.h"

#include "analysis/ResultGridLines.h"
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
        points.push_back(ResultPointOf(results));
        results.MoveNext();
    }
    return points;
}

namespace {

// Appends each line below the grid's rows as it is made, with the grid's
// drawing off until the last one is in.
class GridAppender : public GridLineSink {
public:
    explicit GridAppender(FlexGrid& grid) : grid_(grid), off_(grid) {}
    void AddLine(const QStringList& cells) override {
        const int r = grid_.Rows();
        grid_.Rows(r + 1);
        for (int c = 0; c < cells.size(); ++c)
            if (!cells[c].isEmpty()) grid_.TextMatrix(r, c, cells[c]);
        ++added_;
    }
    void SetLastLineCell(int col, const QString& text) override { grid_.TextMatrix(grid_.Rows() - 1, col, text); }
    int added() const { return added_; }

private:
    FlexGrid& grid_;
    RedrawOff off_;
    int added_ = 0;
};

}  // namespace

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
    const std::vector<ResultPoint> points = ReadResultPoints(results);
    GridAppender appender(grid);
    RheologyGridLines(points, bobRadius, appender);
    if (appender.added() > 0) grid.Row(grid.Rows() - 1);  // each line was current as it was added
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
    GridAppender appender(grid);
    PvtGridLines(points, opened, appender);
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
    const std::vector<ResultPoint> points = ReadResultPoints(results);
    GridAppender appender(grid);
    LsmGridLines(points, opened.LsmSampleLength, appender);
}
