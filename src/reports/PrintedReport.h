#pragma once
// The printed brief report of the opened stored test ("Brief Print"): its
// header (reports/ReportHeader.h), its additives and its result grid as the
// main window shows it, in a fixed-pitch font, in one layout per test kind,
// as many copies as the print dialog asks for. The results stand in columns,
// each value under its heading (reports/PrintedTable.h); their pages are
// filled before the next begins, and each begins with the heading. The report logo of the data folder is
// painted once, on the first page; without it nothing is asked (no print
// dialog, no file) and its absence is said.
//
// The pages are printed landscape with the font shrunk until the widest line
// of the layout fits (platform/TextPrinter.h); the free texts (the test
// information, the description, the additives) are broken into lines where
// they are too long, so they never shrink the print. Each copy is printed
// alike: the PV/YP rule starts afresh for every copy.
//
// Every failure (the logo missing, before the print dialog; the dialog
// cancelled, a printer or file error) is shown as its description in a
// message box; nothing is printed then, and a print that fails midway leaves
// no job and no PDF file behind.

#include "reports/StoredTestSource.h"

#include <QImage>
#include <QString>

namespace printing {
class TextPrinter;
}

class PrintedReport {
public:
    explicit PrintedReport(const StoredTestSource& source);

    // Checks that a test is open, reads its TEST_INFO row again by key into
    // OpenedTestInfo (ReadOpenedTestInfo) and prints the report of its kind.
    void cmdPRINT_Click();
    // The PVT and swell prints; cmdPRINT_Click calls them after its checks.
    void PrintPvtReport();
    void PrintLsmReport();

    // The copies of each layout from the source as it stands (OpenedTestInfo
    // as last read), logo first. The logo is read from the data folder: a
    // missing logo fails with PrintError 53.
    void ComposeRheology(printing::TextPrinter& printer, int copies) const;
    void ComposePvt(printing::TextPrinter& printer, int copies) const;
    void ComposeLsm(printing::TextPrinter& printer, int copies) const;

private:
    using Compose = void (PrintedReport::*)(printing::TextPrinter&, int) const;
    void print(Compose compose);
    // Font size 12, font "Courier" and the logo at 100, 100, 1600 x 1000 twips.
    void setUp(printing::TextPrinter& printer) const;
    // The report logo of the data folder; a missing one fails with PrintError 53.
    static QImage logo();

    StoredTestSource s_;
};
