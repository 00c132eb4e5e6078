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
#include "reports/ReportHeader.h"
#include "reports/ReportText.h"

#include <QRegularExpression>

using printing::TextPrinter;
using reporttext::infoValue;

namespace {

QString blanks(int n) { return QString(n, QLatin1Char(' ')); }

// A page break follows the result line of grid row r when r + 1 is a
// multiple of 40 (grid rows 39, 79, 119 ...).
void breakAfterRow(TextPrinter& printer, int gridRow) {
    if ((gridRow + 1) % 40 == 0) printer.NewPage();
}

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

// The result table of the PVT and swell prints: grid columns 0 to lastCol;
// the header cells through `headerMask`, each followed by `headerRun` blanks;
// the data cells as the grid shows them, each but the last followed by
// `dataRun` blanks.
void copiedResultLines(TextPrinter& printer, const FlexGridModel& grid, int lastCol, const QString& headerMask,
                       int headerRun, int dataRun) {
    QString header;
    for (int c = 0; c <= lastCol; ++c) header += Format(QVariant(grid.TextMatrix(0, c)), headerMask) + blanks(headerRun);
    printer.Print(header);
    for (int r = 1; r < grid.Rows(); ++r) {
        QString line;
        for (int c = 0; c <= lastCol; ++c) {
            line += grid.TextMatrix(r, c);
            if (c < lastCol) line += blanks(dataRun);
        }
        printer.Print(line);
        breakAfterRow(printer, r);
    }
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
    const FlexGridModel& grid = *s_.resultGrid;
    struct Column {
        const char* mask;
        int run;
    };
    static const Column columns[12] = {{"00", 6},      {"00", 6},       {"00", 8},       {"000.0", 8},
                                       {"000.0", 5},   {"0000", 5},     {"0000.00", 5},  {"000.0", 4},
                                       {" 000.00", 2}, {" 000.00", 4},  {" 000.0", 6},   {" 000.0", 4}};
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
        printer.Print(QStringLiteral("Step   Cycle   Ramp     Time      Temp   Pressure   Shear    Speed    Shear    "
                                     "Viscosity     Gel      Fann35      PV   YP"));
        printer.Print(QStringLiteral(" No      No     Step     (min)     ") + gTempLabel +
                      QStringLiteral("      (psi)         Rate      (rpm)     Stress      ") + gViscLabel +
                      QStringLiteral("    (FannDeg) F1Deg "));
        // Every copy alike: the rule starts afresh.
        PvYpRule rule;
        for (int r = 1; r < grid.Rows(); ++r) {
            QString line;
            line.reserve(150);
            for (int c = 0; c < 12; ++c)
                line += Format(Val(grid.TextMatrix(r, c)), QLatin1String(columns[c].mask)) + blanks(columns[c].run);
            const PvYpRule::Result pvyp = rule.Next(grid.TextMatrix(r, 7), grid.TextMatrix(r, 11));
            line += blanks(4) + Str(pvyp.pv) + blanks(4) + Str(pvyp.yp);
            printer.Print(line);
            breakAfterRow(printer, r);
        }
        printer.EndDoc();
    }
}

// ---- PVT ------------------------------------------------------------------------------------

void PrintedReport::ComposePvt(TextPrinter& printer, int copies) const {
    setUp(printer);
    const reportheader::Header header = reportheader::Pvt(s_.opened->OpenedTestInfo);
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
        copiedResultLines(printer, *s_.resultGrid, s_.resultGrid->Cols() - 3, QStringLiteral("#############"), 2, 17);
        printer.EndDoc();
    }
}

// ---- swell ----------------------------------------------------------------------------------

void PrintedReport::ComposeLsm(TextPrinter& printer, int copies) const {
    setUp(printer);
    const reportheader::Header header = reportheader::Swell(s_.opened->OpenedTestInfo);
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
        copiedResultLines(printer, *s_.resultGrid, s_.resultGrid->Cols() - 2, QStringLiteral("###########"), 5, 15);
        printer.EndDoc();
    }
}
