#pragma once
// What the six Excel reports share: the sheet with its row guard, the logo
// and title block, the header and additives blocks, the page set-up, and the
// saving and showing of the workbook.

#include "analysis/ResultPoints.h"
#include "platform/Workbook.h"
#include "reports/ExcelReports.h"
#include "reports/ReportHeader.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

namespace excel {

// Raised when a report needs a row below the last row of a worksheet.
struct SheetFull {};

// A cell's content made ready away from the sheet: what ReportSheet::typed
// makes of a text, or a number.
struct PreparedCell {
    enum Kind : unsigned char { Empty, Number, Percent, Text };
    Kind kind = Empty;
    double number = 0;
    QString text;

    static PreparedCell Of(double value) { return {Number, value, QString()}; }
    // A number through a mask, typed as Typed takes the text; nothing for a
    // value that is not finite (a division by zero, an overflow).
    static PreparedCell Masked(double value, const QString& mask);
    // A text as a spreadsheet takes one typed into a cell: a number when the
    // whole text is one ("12.5", " .5 ", "1E-05"), a percentage when it is a
    // number followed by "%", otherwise the text itself; nothing for "".
    static PreparedCell Typed(const QString& text);
};

// The report's worksheet. Rows are counted in 32 bits; a row beyond the
// sheet raises SheetFull instead of being written over another.
class ReportSheet {
public:
    Workbook book;

    static void need(int row) {
        if (row > Workbook::kMaxRows)
            throw SheetFull{};
    }
    void number(int row, int col, double value) {
        need(row);
        book.setNumber(row, col, value);
    }
    // A text kept as text; its line breaks shown as lines.
    void text(int row, int col, const QString& value) {
        need(row);
        book.setTextLines(row, col, value);
    }
    // A text as PreparedCell::Typed takes it.
    void typed(int row, int col, const QString& value) { put(row, col, PreparedCell::Typed(value)); }
    void put(int row, int col, const PreparedCell& cell);
    // A stored value as it is: number, date or text (its line breaks shown
    // as lines); nothing for Null.
    void value(int row, int col, const QVariant& value) {
        need(row);
        if (value.typeId() == QMetaType::QString)
            book.setTextLines(row, col, value.toString());
        else
            book.setValue(row, col, value);
    }
};

// Writes `count` rows of `width` cells, row i (from 0) on sheet row
// firstRow + i, sheet columns 1 to width. prepare(i, cells) fills the cells
// of row i; it runs on several threads at once (it may only read shared
// data), a block of rows at a time, and each block is written in row order.
// Returns the last row written (firstRow - 1 for none).
int WriteRows(ReportSheet& sheet, int firstRow, int count, int width,
              const std::function<void(int i, PreparedCell* cells)>& prepare);

// The k points of a result cursor already bound, from its first on, in its
// order; the cursor is left on its last point.
std::vector<ResultPoint> LoadPoints(clsTEST_RESULT& results, int k);

struct HeaderLine {
    QString label;
    QVariant value;
};

// Logo at A1 (when the data folder holds it) and the title, merged over
// E1:L3: centred, framed, grey, bold 26 point.
void StartSheet(ReportSheet& sheet, const QString& title);
// The workbooks' lines of a report header: each field they hold, then the
// description.
QList<HeaderLine> HeaderLines(const reportheader::Header& header);
// One label (column 1) and value (column 2) per row from `firstRow` on.
void HeaderBlock(ReportSheet& sheet, int firstRow, const QList<HeaderLine>& lines);
// "Additives", "Concentration", "Units", "Lot Number" on `titleRow`, then one
// row per additive grid row below its header row (grid columns 0 to 3 as
// text). Returns the last row written (`titleRow` without additives).
int AdditivesBlock(ReportSheet& sheet, int titleRow, const FlexGridModel* additives);

// The centre header of the page: " ~ Test: <name> ~ <date word><date>".
QString CenterHeaderText(const QString& testName, const QString& dateWord);
// Print titles (the rows repeated on every page), landscape, one page wide
// and `pagesTall` tall, the centre header (none when empty).
void PageSetUp(ReportSheet& sheet, int titleFirst, int titleLast, int pagesTall, const QString& centerHeader);

// Runs the layout on a new sheet, then saves the workbook in the reports
// folder as "<test name> <report name> <date and time>.xlsx" (a long test
// name cut, the report name and time kept) and shows it.
// A layout that needs more rows than a sheet holds, or a workbook that cannot
// be written, ends in a message and no file. Returns the file written.
QString WriteReport(const OpenedTest& opened, const QString& reportName,
                    const std::function<void(ReportSheet&)>& layout);

// The number a text begins with (0 when none), as the grid texts are read.
double ValOf(const QString& text);

}  // namespace excel
