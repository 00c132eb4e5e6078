// The PVT and swell workbooks.

#include "analysis/PvtDensity.h"
#include "analysis/ResultPoints.h"
#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/TestKindColumns.h"
#include "data/Units.h"
#include "data/clsTEST_RESULT.h"
#include "platform/FlexGrid.h"
#include "reports/ExcelFrame.h"
#include "reports/ExcelReports.h"

#include <cmath>
#include <functional>

namespace excel {

namespace {

// Copies grid rows 0 (the captions) to Rows - 1, one sheet row each from
// `firstRow` on, grid columns 0 to Cols - 1 - `dropLast` into sheet columns
// 1 on, as the grid shows them. Returns the row of the last grid row.
int CopyGrid(ReportSheet& sheet, int firstRow, const FlexGridModel& grid, int dropLast) {
    const int cols = std::max(0, grid.Cols() - dropLast);
    ReportSheet::need(firstRow + grid.Rows() - 1);  // the whole grid fits, or nothing is written
    if (grid.Rows() < 1)
        return firstRow - 1;
    for (int c = 0; c < cols; ++c)
        sheet.text(firstRow, c + 1, grid.TextMatrix(0, c));
    if (cols == 0)
        return firstRow + grid.Rows() - 1;
    return WriteRows(sheet, firstRow + 1, grid.Rows() - 1, cols, [&](int i, PreparedCell* cells) {
        for (int c = 0; c < cols; ++c)
            cells[c] = PreparedCell::Typed(grid.TextMatrix(i + 1, c));
    });
}

// ---- PVT ----------------------------------------------------------------------

// Rows 1 to 21 + k of both PVT workbooks; returns the "Results:" row.
int PvtTop(ReportSheet& sheet, const StoredTestSource& in) {
    StartSheet(sheet, QStringLiteral("Z3080daq PVT Test Report"));
    HeaderBlock(sheet, 8, HeaderLines(reportheader::Pvt(in.opened->OpenedTestInfo)));
    const int last = AdditivesBlock(sheet, 19, in.additiveGrid);
    const int r = last + 2;
    sheet.text(r, 1, QStringLiteral("Results:"));
    return r;
}

QString PvtCenterHeader(const StoredTestSource& in) {
    return CenterHeaderText(in.opened->OpenedTestName, QStringLiteral("print Date: "));
}

// ---- swell --------------------------------------------------------------------

// Rows 1 to A + 2 of both swell workbooks; returns the "Results:" row.
int LsmTop(ReportSheet& sheet, const StoredTestSource& in) {
    StartSheet(sheet, QStringLiteral("Z3080daq LSM Test Report"));
    HeaderBlock(sheet, 8, HeaderLines(reportheader::Swell(in.opened->OpenedTestInfo)));
    const int a = AdditivesBlock(sheet, 20, in.additiveGrid);
    sheet.text(a + 2, 1, QStringLiteral("Results:"));
    return a + 2;
}

// The captions of the detail columns both tests begin with, and their cells:
// step, cycle, elapsed minutes, temperature, pressure and speed (rpm in both
// kinds).
QStringList StepColumnTitles() {
    return {QStringLiteral("Step_NO"),          QStringLiteral("Cycle No"),
            QStringLiteral("Elapsed Time(min)"), QStringLiteral("Temperature") + gTempLabel,
            QStringLiteral("Pressure (psi)"),    QStringLiteral("Speed (rpm)")};
}
void FillStepColumns(const ResultPoint& x, PreparedCell* cells, const QString& speedMask) {
    cells[0] = PreparedCell::Of(x[resultcol::RampNo]);
    cells[1] = PreparedCell::Of(x[resultcol::CycleNo]);
    cells[2] = PreparedCell::Masked(x[resultcol::ResultTime] / 60, QStringLiteral("#0.##"));
    cells[3] = PreparedCell::Masked(TempToDisplay(x[resultcol::SampleTemp]), QStringLiteral("##0.0"));
    cells[4] = PreparedCell::Masked(x[resultcol::Press], QStringLiteral("##0."));
    cells[5] = PreparedCell::Masked(x[resultcol::Speed], speedMask);
}

// The detail block under the grid, whose last row is `gridEnd`: "Detail:"
// `gap` rows below it, the captions, then one row a stored point filled by
// `fill`, and the page set-up over the caption row. Nothing at all, not even
// the page set-up, when the test has no stored points.
void DetailBlock(ReportSheet& sheet, const StoredTestSource& in, int gridEnd, int gap, const QStringList& titles,
                 const std::function<void(const ResultPoint& point, PreparedCell* cells)>& fill) {
    clsTEST_RESULT& rows = *in.testResults;
    rows.Test_Id(in.opened->OpenedTestId);
    rows.ConnectX(in.connection);
    const int n = rows.TotalPoints();
    if (n <= 0)
        return;
    int r = gridEnd + gap;
    sheet.text(r, 1, QStringLiteral("Detail:"));
    ++r;
    const int captionRow = r;
    for (int c = 0; c < titles.size(); ++c)
        sheet.text(r, c + 1, titles[c]);
    const std::vector<ResultPoint> points = LoadPoints(rows, n);
    WriteRows(sheet, r + 1, n, int(titles.size()),
              [&](int i, PreparedCell* cells) { fill(points[std::size_t(i)], cells); });
    PageSetUp(sheet, captionRow, captionRow, 10, PvtCenterHeader(in));
}

}  // namespace

}  // namespace excel

using namespace excel;

QString ExcelReport::ExportPvtExcel() {
    const StoredTestSource& in = s_;
    if (in.opened->OpenedTestName.isEmpty())
        return QString();
    return WriteReport(*in.opened, QStringLiteral("Brief Excel"), [&](ReportSheet& sheet) {
        const int results = PvtTop(sheet, in);
        // One empty row, then the grid from its caption row on; its last two
        // columns (position and raw reading) are left out.
        const int captionRow = results + 2;
        CopyGrid(sheet, captionRow, *in.resultGrid, 2);
        PageSetUp(sheet, captionRow, captionRow, 10, PvtCenterHeader(in));
    });
}

QString ExcelReport::ExportPvtExcelDetail() {
    const StoredTestSource& in = s_;
    if (in.opened->OpenedTestName.isEmpty())
        return QString();
    return WriteReport(*in.opened, QStringLiteral("Detailed Excel"), [&](ReportSheet& sheet) {
        const int results = PvtTop(sheet, in);
        const int gridEnd = CopyGrid(sheet, results + 1, *in.resultGrid, 2);
        const QStringList titles = StepColumnTitles() << QStringLiteral("Desity (g/cm3)");
        const OpenedTest& t = *in.opened;
        DetailBlock(sheet, in, gridEnd, 2, titles, [&](const ResultPoint& x, PreparedCell* cells) {
            FillStepColumns(x, cells, QStringLiteral("##0.####"));
            // No density where it cannot be computed (no remaining volume, no
            // piston radius or initial values): the cell stays empty.
            const std::optional<double> density = CalcPvtDensity(x[pvt::result::SampleHeight], t.CuriniV,
                                                                 t.CuriniD, x[resultcol::Press],
                                                                 x[resultcol::SampleTemp], t);
            if (density)
                cells[6] = PreparedCell::Masked(*density, kPvtDensityMask);
        });
    });
}

QString ExcelReport::ExportLsmExcel() {
    const StoredTestSource& in = s_;
    if (in.opened->OpenedTestName.isEmpty())
        return QString();
    return WriteReport(*in.opened, QStringLiteral("Brief Excel"), [&](ReportSheet& sheet) {
        const int results = LsmTop(sheet, in);
        // The grid from its caption row on, without its last column (the voltage).
        const int captionRow = results + 1;
        CopyGrid(sheet, captionRow, *in.resultGrid, 1);
        PageSetUp(sheet, captionRow, captionRow, 10, PvtCenterHeader(in));
    });
}

QString ExcelReport::ExportLsmExcelDetail() {
    const StoredTestSource& in = s_;
    if (in.opened->OpenedTestName.isEmpty())
        return QString();
    return WriteReport(*in.opened, QStringLiteral("Detailed Excel"), [&](ReportSheet& sheet) {
        const int results = LsmTop(sheet, in);
        const int gridEnd = CopyGrid(sheet, results + 1, *in.resultGrid, 1);
        const QStringList titles = StepColumnTitles() << QStringLiteral("Length Change ") + gLengthLabel
                                                      << QStringLiteral("Swell (%)");
        const double sampleLength = in.opened->LsmSampleLength;
        const QString lengthMask = gUnitSystem == 1 ? QStringLiteral("#0.####") : QStringLiteral("#0.##");
        DetailBlock(sheet, in, gridEnd, 3, titles, [&](const ResultPoint& x, PreparedCell* cells) {
            const double change = x[swell::result::LengthChange];
            FillStepColumns(x, cells, QStringLiteral("##0.#"));
            if (std::isfinite(change))
                cells[6] = PreparedCell::Typed(Format(QVariant(LengthToDisplayText(change)), lengthMask));
            if (sampleLength > 0)
                cells[7] = PreparedCell::Masked(change / sampleLength, QStringLiteral("0.##%"));
        });
    });
}
