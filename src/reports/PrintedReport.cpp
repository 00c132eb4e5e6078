#include "reports/PrintedReport.h"

#include "analysis/PvYpRule.h"
#include "data/DataFiles.h"
#include "data/Globals.h"
#include "data/Numbers.h"
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"
#include "platform/TextPrinter.h"
#include "platform/TrapErrors.h"
#include "reports/CsvReport.h"
#include "reports/PrintedTable.h"
#include "reports/ReportHeader.h"
#include "reports/ReportText.h"

#include <QRegularExpression>

using printing::TextPrinter;
using reporttext::infoValue;

namespace {

QString blanks(int n) { return QString(n, QLatin1Char(' ')); }

// The header lines the printed report holds: `indent` blanks, the label
// padded to `width`, the value; a value too long for the line goes on under
// the values.
void headerLines(TextPrinter& printer, const QList<reportheader::Field>& fields, int indent, int width) {
    for (const reportheader::Field& field : fields)
        if (!field.printed.isEmpty())
            printer.PrintFolded(blanks(indent) + field.printed.leftJustified(width) + infoValue(field.value),
                                indent + width);
}

// The description's label, then the description broken into lines.
void descriptionLines(TextPrinter& printer, const reportheader::Field& description) {
    printer.Print(description.printed);
    printer.PrintFolded(infoValue(description.value));
}

// An additive line: name, a blank run, the concentration through "00.00", a
// blank run, the units, a blank run, the lot number.
void additiveLines(TextPrinter& printer, const FlexGridModel& additives, int run1, int run2, int run3) {
    for (int r = 1; r < additives.Rows(); ++r) {
        printer.PrintFolded(additives.TextMatrix(r, 0) + blanks(run1) +
                      Format(Val(additives.TextMatrix(r, 1)), QStringLiteral("00.00")) + blanks(run2) +
                      additives.TextMatrix(r, 2) + blanks(run3) + additives.TextMatrix(r, 3));
    }
}

// The rheology results: the grid's twelve columns through their masks, then
// PV and YP.
PrintedTable rheologyTable(const FlexGridModel& grid) {
    PrintedTable table({{"Step", "No"},
                        {"Cycle", "No"},
                        {"Ramp", "Step"},
                        {"Time", "(min)"},
                        {"Temp", gTempLabel},
                        {"Pressure", "(psi)"},
                        {"Shear", "Rate"},
                        {"Speed", "(rpm)"},
                        {"Shear", "Stress"},
                        {"Viscosity", gViscLabel},
                        {"Gel", "(FannDeg)"},
                        {"Fann35", "F1Deg"},
                        {"PV"},
                        {"YP"}});
    static const char* const masks[12] = {"00",      "00",      "00",      "000.0",   "000.0",  "0000",
                                          "0000.00", "000.0",   " 000.00", " 000.00", " 000.0", " 000.0"};
    PvYpRule rule;
    for (int r = 1; r < grid.Rows(); ++r) {
        QStringList cells;
        cells.reserve(14);
        for (int c = 0; c < 12; ++c) cells << Format(Val(grid.TextMatrix(r, c)), QLatin1String(masks[c]));
        const PvYpRule::Result pvyp = rule.Next(grid.TextMatrix(r, 7), grid.TextMatrix(r, 11));
        cells << Str(pvyp.pv) << Str(pvyp.yp);
        table.AddRow(std::move(cells));
    }
    return table;
}

// The results of the PVT and swell prints: grid columns 0 to lastCol, the
// headings through `headingMask` without the blanks that pad them, the cells
// as the grid shows them.
PrintedTable copiedTable(const FlexGridModel& grid, int lastCol, const QString& headingMask) {
    QList<QStringList> headings;
    for (int c = 0; c <= lastCol; ++c)
        headings << QStringList{Format(QVariant(grid.TextMatrix(0, c)), headingMask).trimmed()};
    PrintedTable table(std::move(headings));
    for (int r = 1; r < grid.Rows(); ++r) {
        QStringList cells;
        for (int c = 0; c <= lastCol; ++c) cells << grid.TextMatrix(r, c);
        table.AddRow(std::move(cells));
    }
    return table;
}

}  // namespace

PrintedReport::PrintedReport(const StoredTestSource& source) : s_(source) {}

// ---- the command -----------------------------------------------------------------------

void PrintedReport::cmdPRINT_Click() {
    if (!ReadOpenedTestInfo(s_)) return;
    switch (s_.opened->Kind()) {
        case TestKind::Pvt: PrintPvtReport(); return;
        case TestKind::Lsm: PrintLsmReport(); return;
        default: print(&PrintedReport::ComposeRheology); return;
    }
}

void PrintedReport::PrintPvtReport() { print(&PrintedReport::ComposePvt); }
void PrintedReport::PrintLsmReport() { print(&PrintedReport::ComposeLsm); }

void PrintedReport::print(Compose compose) {
    try {
        // The logo is checked before any dialog: a report that cannot be
        // printed asks for no printer and no file.
        logo();
        // The test's name offered as the PDF file's name, without the
        // characters a file name cannot hold.
        QString pdfName = s_.opened->OpenedTestName;
        pdfName.replace(QRegularExpression(QStringLiteral(R"([/\\:*?"<>|\x00-\x1f])")), QStringLiteral("_"));
        pdfName = (pdfName.trimmed().isEmpty() ? QStringLiteral("Report") : pdfName) + QStringLiteral(".pdf");
        const bool printed = printing::PrintText({QStringLiteral("Brief Print"), pdfName},
                                                 [&](TextPrinter& printer, int copies) {
                                                     (this->*compose)(printer, copies);
                                                 });
        if (!printed) ui::MsgBox(ui::kCancelDescription, ui::vbOKOnly);
    } catch (...) {
        ui::MsgBox(CurrentError().description, ui::vbOKOnly);
    }
}

void PrintedReport::setUp(TextPrinter& printer) const {
    printer.FontSize(12);
    printer.FontName(QStringLiteral("Courier"));
    printer.PaintPicture(logo(), 100, 100, 1600, 1000);
}

QImage PrintedReport::logo() { return TextPrinter::LoadPicture(FindDataFile(kReportLogoFileName)); }

// ---- rheology ------------------------------------------------------------------------------

void PrintedReport::ComposeRheology(TextPrinter& printer, int copies) const {
    setUp(printer);
    const reportheader::Header header = reportheader::Rheology(s_.opened->OpenedTestInfo);
    // Every copy alike: one table, its PV/YP rule run once from the start.
    const PrintedTable results = rheologyTable(*s_.resultGrid);
    for (int copy = 1; copy <= copies; ++copy) {
        printer.Print();
        printer.Print();
        printer.Print();
        printer.PrintAt(25, QStringLiteral("Test Report for Z3080 Rheometer."));
        printer.Print();
        printer.Print();
        printer.Print(QStringLiteral("Experiment "));
        headerLines(printer, header.fields, 14, 36);
        printer.Print();
        descriptionLines(printer, header.description);
        printer.Print();
        printer.Print(QStringLiteral("Additives   Concentration  Units  Lot Number"));
        additiveLines(printer, *s_.additiveGrid, 8, 8, 5);
        printer.Print();
        printer.Print();
        printer.Print();
        printer.Print(QStringLiteral("Results"));
        printer.Print();
        results.Print(printer);
        printer.EndDoc();
    }
}

// ---- PVT ------------------------------------------------------------------------------------

void PrintedReport::ComposePvt(TextPrinter& printer, int copies) const {
    setUp(printer);
    const reportheader::Header header = reportheader::Pvt(s_.opened->OpenedTestInfo);
    const PrintedTable results =
        copiedTable(*s_.resultGrid, s_.resultGrid->Cols() - 3, QStringLiteral("#############"));
    printer.Print();
    printer.Print();
    for (int copy = 1; copy <= copies; ++copy) {
        printer.PrintAt(25, QStringLiteral("PVT Test Report for Z3080 Rheometer."));
        for (int i = 0; i < 4; ++i) printer.Print();
        printer.Print(QStringLiteral("Experiment "));
        headerLines(printer, header.fields, 0, 34);
        printer.Print();
        descriptionLines(printer, header.description);
        printer.Print();
        printer.Print(QStringLiteral("Additives     Concentration   Units   Lot Number"));
        additiveLines(printer, *s_.additiveGrid, 9, 9, 8);
        for (int i = 0; i < 3; ++i) printer.Print();
        printer.Print(QStringLiteral("Results"));
        printer.Print();
        printer.Print();
        results.Print(printer);
        printer.EndDoc();
    }
}

// ---- swell ----------------------------------------------------------------------------------

void PrintedReport::ComposeLsm(TextPrinter& printer, int copies) const {
    setUp(printer);
    const reportheader::Header header = reportheader::Swell(s_.opened->OpenedTestInfo);
    const PrintedTable results = copiedTable(*s_.resultGrid, s_.resultGrid->Cols() - 2, QStringLiteral("###########"));
    printer.Print();
    printer.Print();
    printer.Print();
    for (int copy = 1; copy <= copies; ++copy) {
        printer.PrintAt(25, QStringLiteral("LSM Test Report for Z3080 Rheometer."));
        for (int i = 0; i < 4; ++i) printer.Print();
        printer.Print(QStringLiteral("Experiment                             "));
        headerLines(printer, header.fields, 0, 26);
        printer.Print();
        descriptionLines(printer, header.description);
        printer.Print();
        printer.Print(QStringLiteral("Additives    Concentration   Units   Lot Number"));
        additiveLines(printer, *s_.additiveGrid, 7, 6, 6);
        for (int i = 0; i < 3; ++i) printer.Print();
        printer.Print(QStringLiteral("Results"));
        results.Print(printer);
        printer.EndDoc();
    }
}
