// The PVT window's brief report: a workbook of its live grid, saved in the
// reports folder under the test's name and shown.

#include "pvt/frmPVTtest.h"

#include "data/DataFiles.h"
#include "platform/FlexGrid.h"
#include "platform/RunClock.h"
#include "platform/Workbook.h"

#include <QGuiApplication>
#include <QLabel>

void frmPVTtest::cmdExportExcel_Click() { ExportPvtExcelReport(); }

QString frmPVTtest::ExportPvtExcelReport() {
    Workbook book;
    {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        int r = 1;
        book.setText(r, 1, QStringLiteral("Z3080daq PVT Test Report"));
        ++r;
        book.setText(2, 1, QStringLiteral("Results:"));
        r += 2;
        const FlexGridModel& grid = *MSFlexGrid1->gridModel();
        for (int i = 1; i <= grid.Rows(); ++i) {
            ++r;
            for (int j = 1; j <= grid.Cols(); ++j) {
                const QString text = grid.TextMatrix(i - 1, j - 1);
                // A caption's line break is written as the one a spreadsheet shows.
                if (!text.isEmpty()) book.setTextLines(r, j, text);
            }
        }
        // The grid's caption row on top of every printed page.
        book.setPrintTitleRows(5, 5);
        book.setLandscape(true);
        book.setFitToPages(1, 10);
        QGuiApplication::restoreOverrideCursor();
    }
    const QString name = lblTestname->text().isEmpty() ? windowTitle() : lblTestname->text();
    // A long test name is cut, never the report kind and time.
    const QString path = book.saveInFolder(
        ReportsFolder(), name,
        QStringLiteral(" PVT Brief Excel ") + tick::CurrentDateTime().toString(QStringLiteral("yyyy-MM-dd HH.mm")));
    return Workbook::showSaved(path, book.error());
}
