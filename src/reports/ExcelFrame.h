#pragma once
// What the six Excel reports share: the sheet with its row guard, the logo
// and title block, the header and additives blocks, the page set-up, and the
// saving and showing of the workbook.

#include "platform/Workbook.h"
#include "reports/ExcelReports.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>

namespace excel {

// Raised when a report needs a row below the last row of a worksheet.
struct SheetFull {};

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
    // A text kept as text.
    void text(int row, int col, const QString& value) {
        need(row);
        book.setText(row, col, value);
    }
    // A text as a spreadsheet takes one typed into a cell: a number when the
    // whole text is one ("12.5", " .5 ", "1E-05"), a percentage when it is a
    // number followed by "%", otherwise the text itself; nothing for "".
    void typed(int row, int col, const QString& value);
    // A stored value as it is: number, date or text; nothing for Null.
    void value(int row, int col, const QVariant& value) {
        need(row);
        book.setValue(row, col, value);
    }
};

struct HeaderLine {
    QString label;
    QVariant value;
};

// Logo at A1 (when the data folder holds it) and the title, merged over
// E1:L3: centred, framed, grey, bold 26 point.
void StartSheet(ReportSheet& sheet, const QString& title);
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
// folder as "<test name> <report name> <date and time>.xlsx" and shows it.
// A layout that needs more rows than a sheet holds, or a workbook that cannot
// be written, ends in a message and no file. Returns the file written.
QString WriteReport(const OpenedTest& opened, const QString& reportName,
                    const std::function<void(ReportSheet&)>& layout);

// The number a text begins with (0 when none), as the grid texts are read.
double ValOf(const QString& text);

}  // namespace excel
