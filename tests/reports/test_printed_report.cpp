// The printed brief report of the opened test ("Brief Print"): the lines of
// each layout, the copies, the page breaks, the logo, and the print as it
// comes out of the PDF file when no printer is installed.

#include "ReportFixture.h"

#include "analysis/ResultGridLines.h"
#include "data/DateText.h"
#include "data/Settings.h"
#include "platform/FlexGrid.h"
#include "platform/TextPrinter.h"
#include "reports/CsvReport.h"
#include "reports/PrintedReport.h"

#include <QBuffer>
#include <QPageSize>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPdfWriter>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <functional>
#include <memory>

using namespace report_tests;

namespace {

const double R = ShearRatePerRpmFor(1.7245);

// A rheology test of `rows` steps, one step point each; step 2 turns at 600
// rpm and step 3 at 300 rpm, dial readings 40 and 25.
std::vector<Point> steps(int rows) {
    std::vector<Point> points;
    for (int i = 1; i <= rows; ++i) {
        double rpm = 100 + i;
        double dial = 10 + i * 0.5;
        if (i == 2) rpm = 600, dial = 40;
        if (i == 3) rpm = 300, dial = 25;
        points.push_back({double(i), 1, 0, 60.0 * i, 100.0 + i, 1000.0 + 10 * i, rpm * R, dial * 5.11, 0, 5.11});
    }
    return points;
}

StoredInfo mud(const QString& name) {
    StoredInfo s;
    s.name = name;
    s.description = QStringLiteral("First line\r\nsecond line");
    return s;
}

}  // namespace


// The pages of a PDF's text (pdftotext ends every page with a form feed).
QStringList pages(const QString& text) {
    QStringList p = text.split(QLatin1Char('\f'));
    if (!p.isEmpty() && p.last().trimmed().isEmpty()) p.removeLast();
    return p;
}

// The step numbers of the rheology result lines on a page, in order.
QList<int> resultRowsOn(const QString& page) {
    QList<int> rows;
    static const QRegularExpression line(QStringLiteral(R"(^\s*(\d+)\s+01\s+00\s+\d\d\d\.\d)"),
                                         QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(page); it.hasNext();) rows << it.next().captured(1).toInt();
    return rows;
}

// The images of a PDF, one "page" entry each.
QList<int> imagePages(const QString& file) {
    QProcess p;
    p.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), file});
    p.waitForFinished(30000);
    QList<int> out;
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'));
    for (int i = 2; i < lines.size(); ++i) {
        const QStringList f = lines[i].simplified().split(QLatin1Char(' '));
        if (f.size() > 3 && f[2] == QLatin1String("image")) out << f[0].toInt();
    }
    return out;
}

class PrintTest : public ReportTest {
protected:
    // A report object on the main window's opened test, grids and records.
    PrintedReport report() {
        StoredTestSource s;
        s.opened = &w->Opened();
        s.testInfos = &w->TestInfos();
        s.testResults = &w->TestResults();
        s.connection = w->Connection();
        s.resultGrid = w->MSFlexGrid1->gridModel();
        s.additiveGrid = w->MSFlexGrid2->gridModel();
        return PrintedReport(s);
    }
    // Prints through a print dialog that asks for `copies` copies and sends
    // them to a PDF file, as a printer writing a file would.
    QString printCopies(int copies, const QString& name) {
        const QString file = out.filePath(name);
        printing::printerSeam().printerAvailable = [] { return true; };
        printing::printerSeam().printDialog = [=](QPrinter& printer) {
            printer.setCopyCount(copies);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(file);
            return true;
        };
        w->cmdPRINT->click();
        return file;
    }
};

TEST_F(PrintTest, RheologyLines) {
    writeLogo();
    StoredInfo info = mud("Mud A");
    store(info, {
        {1, 1, 1, 60, 100, 1000, 600 * R, 40 * 5.11, 1, 10.22},
        {1, 1, 2, 120, 101, 1005, 300 * R, 25 * 5.11, 1, 5.11},
        {2, 1, 0, 180, 150, 2000, 0, 0, 0, 0},
    }, {{"Bentonite", "5", "%", "L1"}, {"Salt", "not a number", "g/l", "L2"}});
    openTest("Mud A");
    printing::TextPrinter printer;
    report().ComposeRheology(printer, 1);
    EXPECT_EQ(printer.FontSize(), 12);
    EXPECT_EQ(printer.FontName(), "Courier");
    ASSERT_EQ(printer.Items().first().kind, printing::TextPrinter::Item::Picture);
    EXPECT_EQ(printer.Items().first().placeTwips, QRectF(100, 100, 1600, 1000));
    const QStringList expected = {
        "", "", "",
        "                        Test Report for Z3080 Rheometer.",
        "", "",
        "Experiment ",
        "              Test Name:                          Mud A",
        "              Fluid ID:                           F-1",
        "              Test Time:                          " + when(),
        "              Researcher Name:                    Ann",
        "              Rotor Number:                       R1",
        "              Bob Number:                         B1",
        "              Bob Radius (cm):                    1.7245",
        "              Bob Effective Length :              3.8",
        "",
        "Description:",
        "First line",
        "second line",
        "",
        "Additives   Concentration  Units  Lot Number",
        "Bentonite        05.00        %     L1",
        "Salt        00.00        g/l     L2",
        "", "", "",
        "Results",
        "",
        // Each column as wide as its heading or its widest value, three blanks apart.
        "Step   Cycle   Ramp   Time    Temp    Pressure   Shear     Speed   Shear     Viscosity   Gel         "
        "Fann35   PV    YP",
        "No     No      Step   (min)   (°F)    (psi)      Rate      (rpm)   Stress    ( cP )      (FannDeg)   F1Deg",
        "01     01      01     001.0   100.0   1000       1021.00   600.0    204.40    020.01      002.0       "
        "040.0    0     0",
        // 300 rpm directly after 600 rpm: PV 40 - 25, YP 25 - 15.
        "01     01      02     002.0   101.0   1005       0511.00   300.0    127.75    025.02      001.0       "
        "025.0    15    10",
        "02     01      00     003.0   150.0   2000       0000.00   000.0    000.00    000.00      000.0       "
        "000.0    0     0",
    };
    ASSERT_EQ(printer.Documents().size(), 1);
    EXPECT_EQ(printer.Documents()[0], expected);
}

// Through the PDF file: every row once, in order; each page filled before
// the next begins (no page breaks every 40 rows), each page of the results
// beginning with their heading.
TEST_F(PrintTest, HundredRowsToPdfFillEachPageUnderTheHeadingWithTheLogoOnPageOne) {
    writeLogo();  // "Zadizezaru.bmp": found ignoring case
    store(mud("Mud P"), steps(100), {{"Bentonite", "5", "%", "L1"}});
    openTest("Mud P");
    const QString file = out.filePath("mud.pdf");
    dialogs_.files.push_back(file);
    w->cmdPRINT->click();
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join("\n").toStdString();
    ASSERT_EQ(dialogs_.fileRequests.size(), 1u);
    EXPECT_TRUE(dialogs_.fileRequests[0].save);
    EXPECT_EQ(dialogs_.fileRequests[0].fileName, "Mud P.pdf");

    const QStringList p = pages(pdfText(file));
    ASSERT_GE(p.size(), 3);
    QList<QList<int>> rows;
    for (const QString& page : p) rows << resultRowsOn(page);
    // Every row printed once, in order, none cut off.
    QList<int> all;
    for (const auto& r : rows) all += r;
    QList<int> want;
    for (int i = 1; i <= 100; ++i) want << i;
    EXPECT_EQ(all, want);
    // Every page the heading, above its first row; the pages between the
    // first and the last as full as each other.
    static const QRegularExpression heading(R"(^\s*Step\s+Cycle\s+Ramp\s+Time.*\n\s*No\s+No\s+Step\s+\(min\))",
                                            QRegularExpression::MultilineOption);
    for (int i = 0; i < p.size(); ++i) {
        const QRegularExpressionMatch m = heading.match(p[i]);
        ASSERT_TRUE(m.hasMatch()) << "page " << i + 1 << "\n" << p[i].toStdString();
        EXPECT_LT(m.capturedStart(), p[i].indexOf(QRegularExpression(R"(\n\s*\d+\s+01\s+00\s)")));
    }
    for (int i = 2; i + 1 < p.size(); ++i) EXPECT_EQ(rows[i].size(), rows[1].size()) << "page " << i + 1;
    // The widest line fits: the PV and YP of the 300 rpm row are on the page.
    EXPECT_TRUE(QRegularExpression(R"(\n\s*03\s+01\s+00\s.*\s15\s+10\s*\n)").match(p.value(0)).hasMatch());
    EXPECT_TRUE(p.value(0).contains("Test Report for Z3080 Rheometer."));
    EXPECT_EQ(imagePages(file), QList<int>{1});
}

TEST_F(PrintTest, CopiesAreIdenticalDocuments) {
    writeLogo();
    // The last row turns at 600 rpm and the first at 300 rpm: a rule carried
    // from one copy to the next would give the second copy a PV/YP line.
    store(mud("Mud C"), {
        {1, 1, 0, 60, 100, 1000, 300 * R, 25 * 5.11, 0, 0},
        {2, 1, 0, 120, 100, 1000, 100 * R, 20 * 5.11, 0, 0},
        {3, 1, 0, 180, 100, 1000, 600 * R, 40 * 5.11, 0, 0},
    });
    openTest("Mud C");
    printing::TextPrinter printer;
    report().ComposeRheology(printer, 2);
    const QVector<QStringList> docs = printer.Documents();
    ASSERT_EQ(docs.size(), 2);
    EXPECT_EQ(docs[0], docs[1]);
    const QStringList rowsOfCopy2 = docs[1].filter(QRegularExpression("^0\\d     01 "));
    ASSERT_EQ(rowsOfCopy2.size(), 3);
    const QStringList cells = rowsOfCopy2[0].split(QLatin1Char(' '), Qt::SkipEmptyParts);
    EXPECT_EQ(cells.mid(cells.size() - 2), (QStringList{"0", "0"})) << rowsOfCopy2[0].toStdString();

    // Through the print dialog: two copies, the logo once.
    const QString file = printCopies(2, "copies.pdf");
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join("\n").toStdString();
    const QStringList p = pages(pdfText(file));
    ASSERT_EQ(p.size(), 2);
    EXPECT_EQ(p[0], p[1]);
    EXPECT_EQ(imagePages(file), QList<int>{1});
}

TEST_F(PrintTest, PvtLinesAndCopies) {
    writeLogo();
    StoredInfo info;
    info.name = "PVT 1";
    info.bob = "PVT";
    info.rotor = "1.5";
    info.radius = 100;
    info.length = 0.9;
    std::vector<Point> points;
    for (int i = 1; i <= 45; ++i) points.push_back({double(i), 1, 0, 60.0 * i, 100, 1000, 10, 0.5, 0, 1.234});
    store(info, points, {{"Barite", "5", "g", "B7"}});
    openTest("PVT 1");
    printing::TextPrinter printer;
    report().ComposePvt(printer, 3);
    const QVector<QStringList> docs = printer.Documents();
    ASSERT_EQ(docs.size(), 3);
    const QStringList copy = {
        "                        PVT Test Report for Z3080 Rheometer.",
        "", "", "", "",
        "Experiment ",
        "Test Name:                        PVT 1",
        "Fluid ID:                         F-1",
        "Test Time:                        " + when(),
        "Researcher Name:                  Ann",
        "Test Type:                        PVT",
        // The initial volume is in cm3, at the label's width.
        "Initial Volume(cm3)   :           100",
        "Initial Density(g/cm3):           0.9",
        "",
        "Description:",
        "",
        "",
        "Additives     Concentration   Units   Lot Number",
        "Barite         05.00         g        B7",
        "", "", "",
        "Results",
        "", "",
        // Seven of the nine columns, each as wide as its heading or its widest value.
        "Step No   Cycle No   Elapsed Time (min)   Temp (°F)   Pressure (psi)   Speed (rpm)   Density (g/cm3)",
    };
    // The two leading empty lines only before the first copy.
    EXPECT_EQ(docs[0].mid(0, 2), (QStringList{"", ""}));
    EXPECT_EQ(docs[0].mid(2, copy.size()), copy);
    EXPECT_EQ(docs[1].mid(0, copy.size()), copy);
    EXPECT_EQ(docs[2], docs[1]);
    const QStringList rows = docs[1].mid(copy.size());
    EXPECT_EQ(rows.value(0), " 1         1         1.                   100.0       1000             10.0          0.9891");
    // 45 rows; no page asked for, as a page breaks where it is full.
    ASSERT_EQ(rows.size(), 45);
    EXPECT_TRUE(rows[38].startsWith(" 39"));
    EXPECT_TRUE(rows[39].startsWith(" 40"));
    EXPECT_FALSE(docs[1].contains("\f"));
    int logos = 0;
    for (const auto& item : printer.Items()) logos += item.kind == printing::TextPrinter::Item::Picture;
    EXPECT_EQ(logos, 1);
}

TEST_F(PrintTest, SwellLines) {
    writeLogo();
    StoredInfo info;
    info.name = "Swell 1";
    info.bob = "LSM";
    info.rotor = "30";
    info.radius = 12.5;
    info.length = 0.5;
    store(info, {{1, 1, 0, 60, 100, 0, 0, 0.012, 0, 1.5}});
    openTest("Swell 1");
    printing::TextPrinter printer;
    report().ComposeLsm(printer, 1);
    const QStringList expected = {
        "", "", "",
        "                        LSM Test Report for Z3080 Rheometer.",
        "", "", "", "",
        "Experiment                             ",
        "  Test Name:              Swell 1",
        "  Fluid ID:               F-1",
        "  Test Time:              " + when(),
        "  Researcher Name:        Ann",
        "  Test Type:              LSM",
        "  Sample Weight:          12.5",
        "  Sample Length (in.):    0.5",
        "",
        "  Description:",
        "",
        "",
        "Additives    Concentration   Units   Lot Number",
        "", "", "",
        "Results",
        // Eight of the nine columns, each as wide as its heading or its widest value.
        "Step No   Cycle No   Elapsed Time (min)   Temp (°F)   Press (Psi)   Speed (rpm)   Length Change (in.)   "
        "Swell (%)",
        "1         1          1.                   100.        0             0             0.012                 2.4%",
    };
    ASSERT_EQ(printer.Documents().size(), 1);
    EXPECT_EQ(printer.Documents()[0], expected);

    // The sample length is stored in inches: opened in SI it is printed in
    // millimetres as its label says, and the swell stays the same.
    gUnitSystem = 2;
    SetUnitLabels();
    openTest("Swell 1");
    printing::TextPrinter si;
    report().ComposeLsm(si, 1);
    ASSERT_EQ(si.Documents().size(), 1);
    EXPECT_EQ(si.Documents()[0].value(15), "  Sample Length (mm):     12.7");
    EXPECT_TRUE(si.Documents()[0].last().endsWith("   2.4%")) << si.Documents()[0].last().toStdString();
}

TEST_F(PrintTest, MissingLogoCancelAndUnwritableFilePrintNothing) {
    store(mud("Mud A"), steps(3));
    openTest("Mud A");

    // No logo in the data folder: its description, and no file asked for.
    const QString file = out.filePath("report.pdf");
    w->cmdPRINT->click();
    EXPECT_EQ(dialogs_.texts(), QStringList{"File not found: " + this->file("zadizezaru.bmp")});
    EXPECT_TRUE(dialogs_.fileRequests.empty());
    EXPECT_FALSE(QFile::exists(file));

    // Cancel in the dialog.
    writeLogo("ZADIZEZARU.BMP");
    dialogs_.clear();
    dialogs_.files.push_back(std::nullopt);
    w->cmdPRINT->click();
    EXPECT_EQ(dialogs_.texts(), QStringList{"Cancel was selected."});

    // A folder that does not exist.
    dialogs_.clear();
    dialogs_.files.push_back(out.filePath("no such folder/report.pdf"));
    w->cmdPRINT->click();
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_TRUE(dialogs_.texts()[0].startsWith("Path/File access error: ")) << dialogs_.texts()[0].toStdString();
    EXPECT_EQ(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());

    // A printer that writes a file it cannot create.
    dialogs_.clear();
    const QString bad = printCopies(1, "no such folder/printer.pdf");
    EXPECT_EQ(dialogs_.texts(), QStringList{"Printer error"});
    EXPECT_FALSE(QFile::exists(bad));
}

// Without the logo nothing is asked: neither the file of a PDF nor the
// print dialog comes up before the missing logo is said.
TEST_F(PrintTest, TheLogoIsCheckedBeforeAnyFileOrPrinterIsAsked) {
    store(mud("Mud A"), steps(3));
    openTest("Mud A");
    const QString missing = "File not found: " + file("zadizezaru.bmp");
    w->cmdPRINT->click();
    EXPECT_EQ(dialogs_.texts(), QStringList{missing});
    EXPECT_TRUE(dialogs_.fileRequests.empty());

    dialogs_.clear();
    bool asked = false;
    printing::printerSeam().printerAvailable = [] { return true; };
    printing::printerSeam().printDialog = [&](QPrinter&) { return asked = true; };
    w->cmdPRINT->click();
    EXPECT_EQ(dialogs_.texts(), QStringList{missing});
    EXPECT_FALSE(asked);
    EXPECT_EQ(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

TEST_F(PrintTest, ADiskThatFillsUpLeavesNoPdf) {
    writeLogo();
    store(mud("Mud A"), steps(100));
    openTest("Mud A");
    const QString file = out.filePath("full.pdf");
    dialogs_.files.push_back(file);
    {
        FileSizeLimit disk(4 * 1024);
        w->cmdPRINT->click();
    }
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_TRUE(dialogs_.texts()[0].startsWith("Path/File access error: " + file)) << dialogs_.texts()[0].toStdString();
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), QStringList());
}

// A device that refuses every new page, as a printer that goes away midway.
class FailingPages : public QPdfWriter {
public:
    using QPdfWriter::QPdfWriter;
    bool newPage() override { return false; }
};

TEST(TextPrinter, AFailureMidwayAbortsTheJobAndThrows) {
    printing::TextPrinter printer;
    printer.Print("page one");
    printer.NewPage();
    printer.Print("page two");
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    FailingPages device(&buffer);
    bool aborted = false;
    try {
        printer.Render(device, [&] { aborted = true; });
        ADD_FAILURE() << "no error";
    } catch (const printing::PrintError& e) {
        EXPECT_EQ(e.number(), 482);
    }
    EXPECT_TRUE(aborted);
}

TEST(TextPrinter, LinesBreaksAndFit) {
    printing::TextPrinter printer;
    printer.PrintAt(3, "x");
    printer.Print("a\r\nb\nc");
    printer.NewPage();
    printer.NewPage();
    printer.EndDoc();
    printer.Print("d");
    EXPECT_EQ(printer.Documents(), (QVector<QStringList>{{"  x", "a", "b", "c", "\f", "\f"}, {"d"}}));

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter device(&buffer);
    device.setPageOrientation(QPageLayout::Landscape);
    EXPECT_EQ(printer.FitScale(device), 1.0);  // short lines keep the font size
    printer.Print(QString(300, QLatin1Char('w')));
    const double scale = printer.FitScale(device);
    EXPECT_LT(scale, 0.5);
    const QFontMetricsF metrics(printer.PrintFont(device), &device);
    EXPECT_TRUE(QFontInfo(printer.PrintFont(device)).fixedPitch());
    EXPECT_LE(metrics.horizontalAdvance(QString(300, QLatin1Char('w'))) * scale,
              device.pageLayout().paintRectPixels(device.logicalDpiX()).width() + 0.5);
}

namespace {

// A landscape PDF page of the size, with the half-inch border the printed
// reports' PDF files have.
std::unique_ptr<QPdfWriter> landscapePage(QBuffer& buffer, QPageSize::PageSizeId size) {
    auto device = std::make_unique<QPdfWriter>(&buffer);
    device->setResolution(1200);
    device->setPageLayout(QPageLayout(QPageSize(size), QPageLayout::Landscape, QMarginsF(0.5, 0.5, 0.5, 0.5),
                                      QPageLayout::Inch));
    return device;
}

// `n` characters of words.
QString words(const QString& first, int n) {
    QString text = first;
    for (int i = 0; text.size() < n; ++i) text += QStringLiteral(" word%1").arg(i);
    return text.left(n);
}

}  // namespace

namespace {

// The printed lines of a table read back by its headings: the first
// character of each column (where its heading begins on the heading's first
// line) and each row's text in each column.
struct ReadColumns {
    QList<int> starts;

    // Finds the headings, in order, on the heading's first line; false when
    // one is missing.
    bool find(const QString& headingLine, const QStringList& headings) {
        starts.clear();
        qsizetype from = 0;
        for (const QString& h : headings) {
            const qsizetype at = headingLine.indexOf(h, from);
            if (at < 0) return false;
            starts << int(at);
            from = at + h.size();
        }
        return true;
    }
    // The text of column c on a line, trimmed.
    QString cell(const QString& line, int c) const {
        const int end = c + 1 < starts.size() ? starts[c + 1] : int(line.size());
        return line.mid(starts[c], end - starts[c]).trimmed();
    }
    // Why the line's texts do not stand each within one column: a text that
    // runs over a column's first character, or a column holding two texts.
    QString misplaced(const QString& line) const {
        for (int c = 1; c < starts.size(); ++c)
            if (starts[c] < line.size() && line[starts[c] - 1] != QLatin1Char(' '))
                return QStringLiteral("a text runs into column %1").arg(c);
        for (int c = 0; c < starts.size(); ++c)
            if (cell(line, c).contains(QLatin1Char(' ')))
                return QStringLiteral("column %1 holds \"%2\"").arg(c).arg(cell(line, c));
        return QString();
    }
};

}  // namespace

// A long test of each kind (1000 steps, times past 999 min) printed on Letter
// and A4: every page holds as many lines as it can but the last, the table's
// pages each begin with the heading, and each value stands in the character
// columns of its heading, row after row, page after page.
TEST_F(PrintTest, EveryValueStandsUnderItsHeadingOnEveryFullPage) {
    writeLogo();
    struct Kind {
        const char* bob;
        void (PrintedReport::*compose)(printing::TextPrinter&, int) const;
        // The headings' lines (the first finds the columns), and the
        // columns whose texts are known: step, time and one more.
        QList<QStringList> headings;
        int stepColumn, timeColumn;
        std::function<QString(int)> step, time;
    };
    const QStringList pvtHeadings = {"Step No", "Cycle No", "Elapsed Time (min)", "Temp (°F)", "Pressure (psi)",
                                     "Speed (rpm)", "Density (g/cm3)"};
    const QStringList swellHeadings = {"Step No",   "Cycle No",    "Elapsed Time (min)", "Temp (°F)",
                                       "Press (Psi)", "Speed (rpm)", "Length Change (in.)", "Swell (%)"};
    const Kind kinds[] = {
        {"B1",
         &PrintedReport::ComposeRheology,
         {{"Step", "Cycle", "Ramp", "Time", "Temp", "Pressure", "Shear", "Speed", "Shear", "Viscosity", "Gel", "Fann35",
           "PV", "YP"},
          {"No", "No", "Step", "(min)", "(°F)", "(psi)", "Rate", "(rpm)", "Stress", "( cP )", "(FannDeg)", "F1Deg", "",
           ""}},
         0,
         3,
         [](int i) { return QString::number(i).rightJustified(2, QLatin1Char('0')); },
         [](int i) { return QString::number(i).rightJustified(3, QLatin1Char('0')) + ".0"; }},
        {"PVT",
         &PrintedReport::ComposePvt,
         {pvtHeadings},
         0,
         2,
         [](int i) { return QString::number(i); },
         [](int i) { return QString::number(i) + "."; }},
        {"LSM",
         &PrintedReport::ComposeLsm,
         {swellHeadings},
         0,
         2,
         [](int i) { return QString::number(i); },
         [](int i) { return QString::number(i) + "."; }},
    };
    const int rows = 1000;
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.bob);
        StoredInfo info = mud(QStringLiteral("Long %1").arg(kind.bob));
        info.bob = kind.bob;
        if (info.bob == "PVT") info.rotor = "1.5", info.radius = 100, info.length = 0.9;
        if (info.bob == "LSM") info.rotor = "30", info.radius = 12.5, info.length = 0.5;
        std::vector<Point> points;
        for (int i = 1; i <= rows; ++i)
            points.push_back({double(i), 1, 0, 60.0 * i, 100.0 + i % 7, 1000.0 + i, (100 + i % 500) * R,
                              (10 + i % 40) * 5.11, 0, 1.5});
        store(info, points, {{"Salt", "5", "%", "L1"}});
        openTest(info.name);
        printing::TextPrinter printer;
        (report().*kind.compose)(printer, 1);
        for (const QPageSize::PageSizeId size : {QPageSize::Letter, QPageSize::A4}) {
            SCOPED_TRACE(int(size));
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            const auto device = landscapePage(buffer, size);
            const QVector<QStringList> pages = printer.Pages(*device);
            const int perPage = printer.LinesPerPage(*device);
            ASSERT_GT(pages.size(), 5);
            ASSERT_GT(perPage, 20);
            ReadColumns columns;
            int next = 1;  // the step the next row holds
            for (int p = 0; p < pages.size(); ++p) {
                SCOPED_TRACE(p + 1);
                const QStringList& page = pages[p];
                if (p + 1 < pages.size()) EXPECT_EQ(page.size(), perPage);
                // The heading: at the top of every page after the first.
                qsizetype at = 0;
                if (p == 0)
                    while (at < page.size() && !page[at].startsWith(kind.headings[0][0] + " ")) ++at;
                ASSERT_LT(at, page.size());
                ASSERT_TRUE(columns.find(page.value(at), kind.headings[0])) << page.value(at).toStdString();
                for (const QStringList& line : kind.headings) {
                    for (int c = 0; c < line.size(); ++c)
                        EXPECT_EQ(columns.cell(page.value(at), c), line[c]) << page.value(at).toStdString();
                    ++at;
                }
                for (qsizetype l = at; l < page.size(); ++l, ++next) {
                    const QString& row = page[l];
                    EXPECT_EQ(columns.misplaced(row), QString()) << row.toStdString();
                    EXPECT_EQ(columns.cell(row, kind.stepColumn), kind.step(next)) << row.toStdString();
                    EXPECT_EQ(columns.cell(row, kind.timeColumn), kind.time(next)) << row.toStdString();
                    for (int c = 0; c < columns.starts.size(); ++c)
                        EXPECT_FALSE(columns.cell(row, c).isEmpty()) << c << " " << row.toStdString();
                }
            }
            EXPECT_EQ(next, rows + 1);
        }
    }
}

// Long free texts (the longest description the dialogs take, long names and
// additives) are broken into lines: the print keeps the size it has with
// short texts, the body at least 8 pt on Letter and A4 landscape, every line
// within the page and every word printed.
TEST_F(PrintTest, LongTextsAreBrokenIntoLinesAndKeepThePrintsSize) {
    writeLogo();
    struct Kind {
        const char* bob;
        void (PrintedReport::*compose)(printing::TextPrinter&, int) const;
    };
    const Kind kinds[] = {{"B1", &PrintedReport::ComposeRheology},
                          {"PVT", &PrintedReport::ComposePvt},
                          {"LSM", &PrintedReport::ComposeLsm}};
    // As long as the records take them.
    const QString description = words("Description", 250);
    const QString unbroken(240, QLatin1Char('x'));  // one word wider than the page
    int n = 0;
    for (const Kind& kind : kinds) {
        // The same test with short texts, then with long ones.
        QList<printing::TextPrinter> printers;
        for (const bool longTexts : {false, true}) {
            StoredInfo info = mud(QStringLiteral("%1 %2 ").arg(kind.bob).arg(++n));
            info.bob = kind.bob;
            QStringList additive = {"Salt", "5", "%", "L1"};
            if (longTexts) {
                info.name += unbroken;
                info.fluid = words("Fluid", 50);
                info.researcher = words("Researcher", 50);
                info.description = description;
                additive = QStringList{words("Additive", 50), "5", words("Unit", 50), words("Lot", 50)};
            }
            store(info, steps(3), {additive});
            openTest(info.name);
            printing::TextPrinter printer;
            (report().*kind.compose)(printer, 1);
            printers << printer;
        }
        for (const QPageSize::PageSizeId size : {QPageSize::Letter, QPageSize::A4}) {
            QBuffer buffer;
            buffer.open(QIODevice::WriteOnly);
            const auto device = landscapePage(buffer, size);
            const double scale = printers[1].FitScale(*device);
            EXPECT_EQ(scale, printers[0].FitScale(*device)) << kind.bob << " " << int(size);
            EXPECT_GE(12 * scale, 8.0) << kind.bob << " " << int(size);
            const QFontMetricsF metrics(printers[1].PrintFont(*device), device.get());
            const double width = device->pageLayout().paintRectPixels(device->logicalDpiX()).width();
            const QStringList lines = printers[1].PrintedLines(*device);
            for (const QString& line : lines)
                EXPECT_LE(metrics.horizontalAdvance(line) * scale, width + 0.5) << line.toStdString();
            // Every word, in order, and the line breaks typed kept.
            const QString all = lines.join(QLatin1Char(' ')).simplified();
            EXPECT_TRUE(all.contains(description)) << kind.bob;
            EXPECT_TRUE(all.contains(words("Researcher", 50))) << kind.bob;
            EXPECT_TRUE(all.contains(words("Lot", 50))) << kind.bob;
            // A word wider than the page is cut where the line ends.
            EXPECT_TRUE(lines.join(QString()).remove(QLatin1Char(' ')).contains(unbroken)) << kind.bob;
        }
    }
}

// The printed report prints what the CSV file cannot: characters beyond
// Latin-1, such as the euro sign, reach the page as themselves.
TEST_F(PrintTest, CharactersBeyondLatin1ArePrinted) {
    writeLogo();
    StoredInfo info = mud(QString::fromUtf8("Prüfung Ω"));
    info.description = QString::fromUtf8("Costs 5 € per litre");
    store(info, steps(2));
    openTest(info.name);
    const QString file = out.filePath("euro.pdf");
    dialogs_.files.push_back(file);
    w->cmdPRINT->click();
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join("\n").toStdString();
    const QString text = pdfText(file);
    EXPECT_TRUE(text.contains(QString::fromUtf8("Costs 5 € per litre"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8("Prüfung Ω")));
}

// How a folded line is broken on a page that holds 40 characters: at the
// last blank that fits, each further line after its indent; a word longer
// than a line is cut; the blanks a line begins with are no place to break;
// lines printed with Print are never broken.
TEST(TextPrinter, FoldedLinesBreakAtBlanksWithTheirIndent) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter device(&buffer);
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Landscape, QMarginsF(0.5, 0.5, 0.5, 0.5),
                                     QPageLayout::Inch));
    printing::TextPrinter probe;
    const QFontMetricsF metrics(probe.PrintFont(device), &device);
    const double pageWidth = device.pageLayout().paintRectPixels(device.logicalDpiX()).width();
    const int columns = int(pageWidth / metrics.horizontalAdvance(QStringLiteral("x")));
    // The font size that makes the page 40 characters wide.
    const double size = 12.0 * columns / 40.5;
    struct Case {
        QString text;
        int indent;
        QStringList lines;
    };
    const QString x40(40, QLatin1Char('x'));
    const Case cases[] = {
        {"short line", 0, {"short line"}},
        {"Name:     alpha beta gamma delta epsilon zeta eta theta", 10,
         {"Name:     alpha beta gamma delta epsilon", "          zeta eta theta"}},
        {"Name:     " + x40 + "yy", 10, {"Name:", "          " + x40.left(30), "          " + x40.left(10) + "yy"}},
        {"          " + x40 + "z", 0, {"          " + x40.left(30), x40.left(10) + "z"}},
        {"a b\r\nc", 4, {"a b", "c"}},
        // An indent that leaves no room is dropped.
        {x40 + "abc", 45, {x40, "abc"}},
    };
    for (const Case& c : cases) {
        printing::TextPrinter printer;
        printer.FontSize(size);
        printer.PrintFolded(c.text, c.indent);
        EXPECT_EQ(printer.PrintedLines(device), c.lines) << c.text.toStdString();
        EXPECT_EQ(printer.FitScale(device), 1.0);
    }
    // A wider line that cannot be broken widens the page for the folded ones,
    // which the print then shrinks as a whole.
    printing::TextPrinter printer;
    printer.FontSize(size);
    printer.Print(x40 + x40);
    printer.PrintFolded("alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu nu xi omicron pi rho");
    EXPECT_EQ(printer.PrintedLines(device),
              (QStringList{x40 + x40, "alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu nu xi omicron",
                           "pi rho"}));
    EXPECT_LT(printer.FitScale(device), 0.55);
}
