#pragma once
// The Excel workbooks of the opened stored test: the brief workbook (test
// information as reports/ReportHeader.h describes it, additives, the result
// grid) and the detailed one (the same, then one row for every stored result
// point), each laid out for rheology, PVT and swell tests.
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

#include "reports/StoredTestSource.h"

#include <QString>

// The two Excel buttons of the main window (Brief Excel, Detailed Excel).
class ExcelReport {
public:
    explicit ExcelReport(const StoredTestSource& source) : s_(source) {}

    // The brief workbook: the rheology layout, or ExportPvtExcel /
    // ExportLsmExcel by the test kind. Returns the file written; the empty
    // text when no test is open (nothing is shown), when the test is no
    // longer stored, or when the workbook could not be made (a message says
    // why).
    QString cmdExportExcel_Click();
    // The detailed workbook: the rheology layout, or ExportPvtExcelDetail /
    // ExportLsmExcelDetail by the test kind.
    QString Export_Excel_Detail();

    // The layouts of the PVT and swell tests (OpenedTestInfo already fresh).
    QString ExportPvtExcel();
    QString ExportPvtExcelDetail();
    QString ExportLsmExcel();
    QString ExportLsmExcelDetail();

private:
    StoredTestSource s_;
};

