// Printing the chart shown: one landscape page, to the printer chosen in the
// print dialog or, without a printer, to a PDF file the operator chooses.

#include "ChartFixture.h"

#include "charts/ChartPrinting.h"

#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace chart_tests;

namespace {

struct PdfInfo {
    int pages = 0;
    double width = 0, height = 0;  // first page, points
};

PdfInfo pdfInfo(const QString& file) {
    QProcess p;
    p.start("pdfinfo", {file});
    p.waitForFinished(30000);
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    PdfInfo info;
    const auto pages = QRegularExpression(R"(Pages:\s+(\d+))").match(out);
    if (pages.hasMatch()) info.pages = pages.captured(1).toInt();
    const auto size = QRegularExpression(R"(Page size:\s+([\d.]+) x ([\d.]+) pts)").match(out);
    if (size.hasMatch()) {
        info.width = size.captured(1).toDouble();
        info.height = size.captured(2).toDouble();
    }
    return info;
}

QString pdfText(const QString& file) {
    QProcess p;
    p.start("pdftotext", {"-layout", file, "-"});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

class ChartPrint : public ChartFixture {
protected:
    QTemporaryDir out;
    void SetUp() override {
        ChartFixture::SetUp();
        ASSERT_TRUE(out.isValid());
        chartprint::printerSeam().printerAvailable = [] { return false; };
        chartprint::printerSeam().printDialog = [this](QPrinter&) {
            ++dialogsShown;
            return false;
        };
        addRows(7, {{0, 70, 1000, 100, 200, 0}, {60, 80, 1200, 100, 210, 0}, {120, 90, 1400, 100, 220, 0}});
        openTest("Mud A", 7);
        charts->Fill_ChartList_2D();
    }
    void TearDown() override {
        chartprint::resetPrinterSeam();
        ChartFixture::TearDown();
    }
    int dialogsShown = 0;
};

}  // namespace

TEST_F(ChartPrint, WithoutAPrinterTheChartGoesToOneLandscapePdfPage) {
    const QString file = out.filePath("chart.pdf");
    dialogs.files.push_back(file);
    g.store().setLogging(true);
    charts->cmdPrintChart_Click();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("\n").toStdString();
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_TRUE(dialogs.fileRequests[0].save);
    EXPECT_EQ(g.store().log().last(), PeWrite({pesgo::Action, 0, 0, 0, qint16(pesgo::ActionPrint)}));

    const PdfInfo info = pdfInfo(file);
    EXPECT_EQ(info.pages, 1);
    EXPECT_GT(info.width, info.height);  // landscape
    // Vector graphics: the titles and labels are text on the page.
    const QString text = pdfText(file);
    EXPECT_TRUE(text.contains("Viscosity, Pressure & Temperature Vs. Time")) << text.toStdString();
    EXPECT_TRUE(text.contains("Mud A"));
    EXPECT_EQ(dialogsShown, 0);
}

// The PDF offered is named after the test and the chart shown.
TEST_F(ChartPrint, ThePdfOfferedIsNamedAfterTheTestAndTheChart) {
    dialogs.files.push_back(std::nullopt);
    charts->cmdPrintChart_Click();
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].fileName, "Mud A - Viscosity, Pressure & Temperature Vs. Time.pdf");

    struct Case {
        QString test, title, name;
    };
    for (const Case& c : {Case{"XL-GUAR30-250F-0412", "Shear Stress Vs. Shear Rate",
                               "XL-GUAR30-250F-0412 - Shear Stress Vs. Shear Rate.pdf"},
                          Case{"a/b:c", "Visc*?", "a-b-c - Visc--.pdf"},
                          Case{"../up", "", "-up.pdf"},
                          Case{"", "", "Chart.pdf"}}) {
        EXPECT_EQ(chartprint::PdfFileName(c.test, c.title), c.name) << c.test.toStdString();
    }
}

TEST_F(ChartPrint, AFileNameWithoutSuffixGetsPdfAndCancelPrintsNothing) {
    dialogs.files.push_back(out.filePath("plain"));
    charts->cmdPrintChart_Click();
    EXPECT_TRUE(QFile::exists(out.filePath("plain.pdf")));

    dialogs.files.push_back(std::nullopt);  // cancelled
    charts->cmdPrintChart_Click();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), QStringList{"plain.pdf"});
}

TEST_F(ChartPrint, ThreeDModePrintsTheThreeDChart) {
    charts->opt3D_Click();
    const QString file = out.filePath("chart3d.pdf");
    dialogs.files.push_back(file);
    g.store().setLogging(true);
    d.store().setLogging(true);
    charts->cmdPrintChart_Click();
    EXPECT_TRUE(g.store().log().isEmpty());
    ASSERT_FALSE(d.store().log().isEmpty());
    EXPECT_EQ(d.store().log().last(), PeWrite({pe3do::Action, 0, 0, 0, qint16(pe3do::ActionPrint)}));
    const PdfInfo info = pdfInfo(file);
    EXPECT_EQ(info.pages, 1);
    EXPECT_GT(info.width, info.height);
    EXPECT_TRUE(pdfText(file).contains("Viscosity vs. Shear Rate & Time"));
}

TEST_F(ChartPrint, WithAPrinterThePrintDialogChoosesWhereThePageGoes) {
    const QString file = out.filePath("printer.pdf");
    bool landscapeOffered = false;
    chartprint::printerSeam().printerAvailable = [] { return true; };
    chartprint::printerSeam().printDialog = [&](QPrinter& printer) {
        ++dialogsShown;
        landscapeOffered = printer.pageLayout().orientation() == QPageLayout::Landscape;
        printer.setOutputFormat(QPrinter::PdfFormat);  // stands for the printer the operator picked
        printer.setOutputFileName(file);
        return true;
    };
    charts->cmdPrintChart_Click();
    EXPECT_EQ(dialogsShown, 1);
    EXPECT_TRUE(landscapeOffered);
    EXPECT_TRUE(dialogs.fileRequests.empty());
    EXPECT_EQ(pdfInfo(file).pages, 1);

    // Cancelling the print dialog prints nothing.
    QFile::remove(file);
    chartprint::printerSeam().printDialog = [&](QPrinter&) { return false; };
    charts->cmdPrintChart_Click();
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ChartPrint, AFileThatCannotBeWrittenIsReported) {
    dialogs.files.push_back(out.filePath("no such folder/chart.pdf"));
    charts->cmdPrintChart_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{"ERROR: 75, Path/File access error"});
}

// The copies asked for in the print dialog are printed, one page each, in
// one job; in 2-D and 3-D mode.
TEST_F(ChartPrint, ThePrintDialogsCopiesArePrinted) {
    QString file;
    int copies = 1;
    chartprint::printerSeam().printerAvailable = [] { return true; };
    chartprint::printerSeam().printDialog = [&](QPrinter& printer) {
        printer.setCopyCount(copies);
        printer.setOutputFormat(QPrinter::PdfFormat);  // stands for the printer the operator picked
        printer.setOutputFileName(file);
        return true;
    };
    file = out.filePath("one.pdf");
    charts->cmdPrintChart_Click();
    const QString one = pdfText(file);
    file = out.filePath("copies.pdf");
    copies = 3;
    charts->cmdPrintChart_Click();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("\n").toStdString();
    PdfInfo info = pdfInfo(file);
    EXPECT_EQ(info.pages, 3);
    EXPECT_GT(info.width, info.height);
    // Every copy is the page printed alone.
    EXPECT_EQ(pdfText(file), one + one + one);
    EXPECT_EQ(pdfText(file).count("Viscosity, Pressure & Temperature Vs. Time"), 3);

    QFile::remove(file);
    charts->opt3D_Click();
    charts->cmdPrintChart_Click();
    info = pdfInfo(file);
    EXPECT_EQ(info.pages, 3);
    EXPECT_EQ(pdfText(file).count("Viscosity vs. Shear Rate & Time"), 3);
}
