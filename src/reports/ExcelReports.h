#pragma once
// The Excel workbooks of the opened stored test: the brief workbook (test
// information, additives, the result grid) and the detailed one (the same,
// then one row for every stored result point), each laid out for rheology,
// PVT and swell tests.
//
// Each report is written into a new .xlsx file in the `reports` folder of the
// data folder (ReportsFolder, DataFiles.h), under a name made of the test's
// name, the report and the time, and shown with the desktop's spreadsheet
// application. A report that would need more rows than a worksheet holds, or
// a workbook that cannot be written, is reported in a message box; nothing
// stored is touched.
//
// Database failures are not trapped: they reach the caller (the main window's
// handler guard shows them).

#include "data/OpenedTest.h"

#include <QDate>
#include <QString>

class FlexGridModel;
class clsConnection;
class clsTEST_INFO;
class clsTEST_RESULT;

namespace excel {

// What the reports read of the main window.
struct ReportInputs {
    clsConnection* connection = nullptr;
    clsTEST_INFO* testInfos = nullptr;     // looks the opened test up again by name
    clsTEST_RESULT* testResults = nullptr; // the detail binds it to the opened test
    OpenedTest* opened = nullptr;          // OpenedTestInfo is replaced by the fresh row
    const FlexGridModel* results = nullptr;    // MSFlexGrid1, as filled for the opened test
    const FlexGridModel* additives = nullptr;  // MSFlexGrid2
};

// The brief workbook (the main window's Brief Excel): the rheology layout, or
// ExportPvtExcel / ExportLsmExcel by the test kind. Returns the file written;
// the empty text when no test is open, the test is no longer stored, or the
// workbook could not be made (then a message says why).
QString cmdExportExcel_Click(ReportInputs& in);
// The detailed workbook (Detailed Excel): the rheology layout, or
// ExportPvtExcelDetail / ExportLsmExcelDetail by the test kind.
QString Export_Excel_Detail(ReportInputs& in);

// The layouts of the PVT and swell tests (OpenedTestInfo already fresh).
QString ExportPvtExcel(ReportInputs& in);
QString ExportPvtExcelDetail(ReportInputs& in);
QString ExportLsmExcel(ReportInputs& in);
QString ExportLsmExcelDetail(ReportInputs& in);

}  // namespace excel
