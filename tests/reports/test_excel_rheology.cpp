// The rheology workbooks, read back from the written files: the frame (logo,
// title block, header, additives, page set-up), the result block with PV and
// YP, the detail records, and what happens without a test, beyond the
// sheet's rows and without a writable folder.

#include "ExcelFixture.h"

#include "data/DateText.h"
#include "reports/CsvReport.h"
#include "platform/Workbook.h"

#include <QFile>
#include <QRegularExpression>
#include <QSqlQuery>
#include <limits>

using testing_support::ExcelFixture;
using testing_support::XlsxSheet;

namespace {

QStringList gridCaptions() {
    QStringList c;
    for (int i = 0; i < 20; ++i) c << QStringLiteral("G%1").arg(i);
    return c;
}

// A result-grid line: step, speed (column 7) and dial reading (column 11);
// the analysis columns hold a number and texts.
QStringList gridLine(const QString& step, const QString& speed, const QString& dial) {
    return {step, "1", "0", "1.5", "150.04", "1000", "510.69", speed, "120.5", "23.6", "2", dial,
            "0.5", "N/A", "0.99", "N/A", "N/A", "12.5", "N/A", "N/A"};
}

class ExcelRheology : public ExcelFixture {
protected:
    void SetUp() override {
        ExcelFixture::SetUp();
        id = addTest("A&B", "B1", "2024-01-01 10:00:00", "Fluid 7", "  a long description of the test fluid and of its mixing  ", "R1", 1.7245);
        openTest("A&B", id, 0);
        opened.ShearRatePerRpm = 1.7;
        addAdditiveRows({{"Salt", " 2", "%", "L1"}, {"Clay", " 0.5", "g", "L2"}});
        // 600 then 300: PV 15, YP 10; 600 then 300 with equal readings: PV 0,
        // YP 30; 300 after 300: none.
        fillGrid(resultGrid, gridCaptions(),
                 {gridLine("1", "600", "40"), gridLine("2", "300", "25"), gridLine("3", "600", "30"),
                  gridLine("4", "300", "30"), gridLine("5", "300", "20")});
    }
    int id = 0;
};

}  // namespace

TEST_F(ExcelRheology, BriefWorkbookPlacesTheBlocksOfTheLayout) {
    const auto x = run(&ExcelReport::cmdExportExcel_Click);
    ASSERT_TRUE(x);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join('\n').toStdString();
    EXPECT_TRUE(lastPath.startsWith(QDir(tmp.dir()).filePath("reports/A&B Brief Excel ")));

    // Logo at A1, the title over E1:L3.
    EXPECT_EQ(x->pictures, 1);
    EXPECT_TRUE(x->sheetXml.contains("<drawing "));
    EXPECT_EQ(x->merges, QStringList{"E1:L3"});
    EXPECT_EQ(x->text(1, 5), "Z3080daq Test Report");
    for (int r = 2; r <= 7; ++r) EXPECT_EQ(x->row(r, 4), QStringList(4, "")) << r;

    // Header rows 8 to 15, as stored; the test time is a date.
    const QStringList labels{"Test Name:", "Fluid ID:",   "Test Time:",      "Researcher Name:",
                             "Rotor Number:", "Bob Number:", "Bob Radius (cm)", "Description:"};
    for (int i = 0; i < labels.size(); ++i) EXPECT_EQ(x->text(8 + i, 1), labels[i]);
    EXPECT_EQ(x->text(8, 2), "A&B");
    EXPECT_EQ(x->text(9, 2), "Fluid 7");
    EXPECT_EQ(x->cell(10, 2).type, "n");
    EXPECT_NEAR(x->text(10, 2).toDouble(), 45292.416667, 1e-5);  // 2024-01-01 10:00
    EXPECT_EQ(x->text(11, 2), "Res");
    EXPECT_EQ(x->text(13, 2), "B1");
    EXPECT_DOUBLE_EQ(x->text(14, 2).toDouble(), 1.7245);
    EXPECT_EQ(x->text(15, 2), "  a long description of the test fluid and of its mixing  ");
    // Column B fits the name, fluid and time, not the description below.
    EXPECT_GT(x->widths.value(2), 15);
    EXPECT_LT(x->widths.value(2), 25);

    // Additives: titles on 17, rows 18 and 19; "Results:" on 22, titles 23, data 24 to 28.
    EXPECT_FALSE(x->has(16, 1));
    EXPECT_EQ(x->row(17, 4), (QStringList{"Additives", "Concentration", "Units", "Lot Number"}));
    EXPECT_EQ(x->row(18, 4), (QStringList{"Salt", " 2", "%", "L1"}));
    EXPECT_EQ(x->row(19, 4), (QStringList{"Clay", " 0.5", "g", "L2"}));
    EXPECT_EQ(x->text(22, 1), "Results:");
    EXPECT_EQ(x->row(23, 22),
              (QStringList{"Step No", "Cycle No", "Ramp_Step No", "Time (min)", "Temp (°F)", "Pressure (Psi)",
                           "Shear Rate (1/s)", "Speed (Rpm)", "Shear Stress (dyn/cm2)", "Viscosity ( cP )",
                           "Gel (Fann Deg)", "Fann35 F1 Deg", " PV ", " YP ", "n'", "kv(lbf - s^n / 100 ft2)",
                           "Coef.Detn(R^2)", "k'(lbf - s^n / 100 ft2)", "k slot(lbf - s^n / 100 ft2)",
                           "Calc.Visc@ 40(1/s)", "Calc.Visc@ 100(1/s)", "Calc.Visc@ 170(1/s)"}));
    EXPECT_EQ(x->lastRow(), 28);
    for (int i = 0; i < 5; ++i) {
        const int r = 24 + i;
        EXPECT_EQ(x->text(r, 1), QString::number(i + 1));
        EXPECT_EQ(x->cell(r, 1).type, "n");
        EXPECT_EQ(x->text(r, 4), "1.5");
        EXPECT_EQ(x->text(r, 5), "150");  // through "##0.0"
        EXPECT_EQ(x->text(r, 7), "510.69");
        EXPECT_EQ(x->text(r, 15), "0.5");
        EXPECT_EQ(x->text(r, 16), "N/A");
        EXPECT_EQ(x->text(r, 20), "12.5");
    }
    // PV and YP: 15 and 10 on the first pair; PV 0 left out on the second; none after 300.
    EXPECT_EQ(x->text(25, 13), "15");
    EXPECT_EQ(x->text(25, 14), "10");
    EXPECT_FALSE(x->has(27, 13));
    EXPECT_EQ(x->text(27, 14), "30");
    for (int r : {24, 26, 28}) {
        EXPECT_FALSE(x->has(r, 13)) << r;
        EXPECT_FALSE(x->has(r, 14)) << r;
    }

    // Page: the caption row repeated, landscape, 1 x 10 pages, no header.
    EXPECT_EQ(x->printTitles, "Sheet1!$23:$23");
    EXPECT_EQ(x->pageSetup.value("orientation"), "landscape");
    EXPECT_EQ(x->pageSetup.value("fitToHeight"), "10");
    EXPECT_TRUE(x->fitToPage);
    EXPECT_TRUE(x->oddHeader.isEmpty());
}

TEST_F(ExcelRheology, DetailWorkbookListsEveryStoredPoint) {
    // step, cycle, ramp step, time, temp, press, rate, stress, gel
    addPoint(id, 1, 1, 0, 90, 212, 1000, 0.00001, 51.1, 10.22);
    addPoint(id, 1, 2, 3, 120, 100, 2000.4, 0.00002, 1, 0);
    addPoint(id, 2, 1, 0, 150, 50, 3000, 170, 340, 0);
    const auto x = run(&ExcelReport::Export_Excel_Detail);
    ASSERT_TRUE(x);
    EXPECT_TRUE(lastPath.contains("A&B Detailed Excel "));
    EXPECT_EQ(x->merges, QStringList{"E1:L3"});
    EXPECT_EQ(x->text(15, 2), "a long description of the test fluid and of its mixing");  // trimmed

    // "Results:" on 21, the grid's own captions on 22 with PV and YP in 13 and 14.
    EXPECT_EQ(x->text(21, 1), "Results:");
    EXPECT_EQ(x->text(22, 1), "G0");
    EXPECT_EQ(x->text(22, 12), "G11");
    EXPECT_EQ(x->text(22, 13), "PV");
    EXPECT_EQ(x->text(22, 14), "YP");
    EXPECT_EQ(x->text(22, 15), "G12");
    EXPECT_EQ(x->text(22, 22), "G19");
    EXPECT_EQ(x->text(23, 5), "150.04");  // the grid's text, unmasked
    EXPECT_EQ(x->text(23, 16), "N/A");
    EXPECT_EQ(x->text(24, 13), "15");
    EXPECT_EQ(x->text(24, 14), "10");
    EXPECT_EQ(x->text(26, 13), "0");  // zeros written on a PV/YP line
    EXPECT_EQ(x->text(26, 14), "30");
    EXPECT_FALSE(x->has(27, 13));

    // "Detail:" on 29, titles 30, units 31, one row per point from 32.
    EXPECT_EQ(x->text(29, 1), "Detail:");
    EXPECT_EQ(x->row(30, 12),
              (QStringList{"Step No", "Cycle No ", "Ramp No ", "Elapsed Time", "Sample Temp ", "Pressure ", "Rotor ",
                           "Shear Rate ", "Shear Stress ", "Viscosity ", "Gel (Fann Deg)", "Fann35 F1 Deg"}));
    EXPECT_EQ(x->row(31, 12), (QStringList{"", "", "", "(min)", "(°F)", "(Psi)", "RPM", "(1/s)", "(dyn/cm2)",
                                           "( cP )", "", ""}));
    EXPECT_EQ(x->row(32, 12),
              (QStringList{"1", "1", "0", "1.5", "212", "1000", "0", "0", "51.1", "0", "2", "10"}));
    // Shear rate 0.00002 gives stress / rate x 100.
    EXPECT_EQ(x->row(33, 12),
              (QStringList{"1", "2", "3", "2", "100", "2000", "0", "0", "1", "5000000", "0", "0.1957"}));
    EXPECT_EQ(x->row(34, 11), (QStringList{"2", "1", "0", "2.5", "50", "3000", "100", "170", "340", "200", "0"}));
    EXPECT_DOUBLE_EQ(x->text(34, 12).toDouble(), 66.5362);
    EXPECT_EQ(x->lastRow(), 34);

    EXPECT_EQ(x->printTitles, "Sheet1!$30:$31");
    EXPECT_EQ(x->pageSetup.value("orientation"), "landscape");
    EXPECT_EQ(x->pageSetup.value("fitToHeight"), "30");
    // The "&" of the name is kept as one "&" (doubled in the stored header).
    EXPECT_EQ(x->oddHeader,
              "&C ~ Test: A&&B ~ Print Date: " + ShortDateText(QDateTime::currentDateTime()));
}

TEST_F(ExcelRheology, DetailInSiAndWithoutRatePerRpm) {
    gUnitSystem = 2;
    SetUnitLabels();
    opened.ShearRatePerRpm = 0;
    addPoint(id, 1, 1, 0, 60, 212, 1000, 170, 340, 0);
    const auto x = run(&ExcelReport::Export_Excel_Detail);
    ASSERT_TRUE(x);
    EXPECT_EQ(x->row(31, 10), (QStringList{"", "", "", "(min)", "(°C)", "(Psi)", "RPM", "(1/s)", "( Pa )",
                                           "(mPa.s)"}));
    // °C and Pa; no rotor speed without the bob's rate per rpm; viscosity from stored units.
    EXPECT_EQ(x->row(32, 10), (QStringList{"1", "1", "0", "1", "100", "1000", "", "170", "34", "200"}));
}

TEST_F(ExcelRheology, DetailWithoutStoredPointsEndsAtTheUnitLine) {
    const auto x = run(&ExcelReport::Export_Excel_Detail);
    ASSERT_TRUE(x);
    EXPECT_EQ(x->text(31, 4), "(min)");
    EXPECT_EQ(x->lastRow(), 31);
    EXPECT_TRUE(x->printTitles.isEmpty());
    EXPECT_FALSE(x->pageSetup.contains("orientation"));
    EXPECT_TRUE(x->oddHeader.isEmpty());
}

TEST_F(ExcelRheology, FortyThousandPointsEachKeepTheirOwnRow) {
    // Far beyond 32,767 rows: no row may be written over another.
    resultGrid.Rows(2);
    sql("INSERT INTO TEST_RESULT (TEST_ID, RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, RESULT_PRESS, "
        "RESULT_SPEED, RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP, CYCLE_NO) "
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40000) "
        "SELECT ?, i, 0, i, 100, 1000, 10, 20, 0, 0, 1 FROM n",
        {id});
    const auto x = run(&ExcelReport::Export_Excel_Detail);
    ASSERT_TRUE(x);
    const int first = 22 + 2 + 1 + 3;  // one grid line: "Detail:" on 25, titles 26, units 27
    EXPECT_EQ(x->text(first - 3, 1), "Detail:");
    const QList<int> rows = x->filledRows();
    ASSERT_EQ(rows.back(), first + 39999);
    int wrong = 0;
    for (int i = 1; i <= 40000; ++i)
        if (x->text(first + i - 1, 1) != QString::number(i)) ++wrong;
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(x->printTitles, QStringLiteral("Sheet1!$%1:$%2").arg(first - 2).arg(first - 1));
}

TEST_F(ExcelRheology, NoTestOpenDoesNothingAndATestNoLongerStoredIsSaid) {
    for (Report which : {&ExcelReport::cmdExportExcel_Click, &ExcelReport::Export_Excel_Detail}) {
        opened.OpenedTestInfo = {QStringLiteral("old row")};
        opened.OpenedTestName = "";
        EXPECT_TRUE(report(which).isEmpty());
        EXPECT_TRUE(dialogs.messages.empty());
        opened.OpenedTestName = "Gone";
        opened.OpenedTestId = id + 1000;  // a key no longer stored
        EXPECT_TRUE(report(which).isEmpty());
        EXPECT_EQ(opened.OpenedTestInfo, RowArray{QStringLiteral("old row")});
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].prompt, TestNoLongerStoredText("Gone"));
        dialogs.messages.clear();
    }
    EXPECT_TRUE(reportFiles().isEmpty());
}

// Names are not unique: the opened test is read again by its key, not the
// first test that bears its name.
TEST_F(ExcelRheology, BothWorkbooksReadTheOpenedTestByItsKey) {
    const int second = addTest("Twin", "B1", "2024-01-02 10:00:00", "Fluid of the opened test");
    sql("UPDATE TEST_INFO SET TEST_NAME = 'Twin' WHERE TEST_ID = ?", {id});  // now first of that name
    openTest("Twin", second, 0);
    for (Report which : {&ExcelReport::cmdExportExcel_Click, &ExcelReport::Export_Excel_Detail}) {
        const auto x = run(which);
        ASSERT_TRUE(x);
        EXPECT_EQ(x->text(9, 2), "Fluid of the opened test");
        EXPECT_EQ(opened.OpenedTestInfo.value(0).toInt(), second);
    }
}

TEST_F(ExcelRheology, AWorkbookThatCannotBeWrittenIsReportedWithItsFileAndReason) {
    // A file stands where the reports folder should be.
    QFile blocker(ReportsFolder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_TRUE(report(&ExcelReport::cmdExportExcel_Click).isEmpty());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    const QString text = dialogs.messages[0].prompt;
    EXPECT_TRUE(text.startsWith("The workbook could not be written.")) << text.toStdString();
    EXPECT_TRUE(text.contains(QDir::toNativeSeparators(ReportsFolder()))) << text.toStdString();
}

TEST_F(ExcelRheology, TwoClicksGiveTwoWorkbooks) {
    const QString first = report(&ExcelReport::cmdExportExcel_Click);
    const QString second = report(&ExcelReport::cmdExportExcel_Click);
    EXPECT_NE(first, second);
    EXPECT_EQ(reportFiles().size(), 2);
    EXPECT_EQ(XlsxSheet(first).text(1, 5), XlsxSheet(second).text(1, 5));
}

TEST_F(ExcelRheology, WithoutAnApplicationToShowItTheWorkbookIsNamed) {
    const Workbook::Opener previous = Workbook::setOpener([](const QString&) { return false; });
    const QString path = report(&ExcelReport::cmdExportExcel_Click);
    Workbook::setOpener(previous);
    ASSERT_FALSE(path.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(path));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].prompt.contains(QDir::toNativeSeparators(path)));
}

TEST_F(ExcelRheology, BriefLeavesTheEmptySampleCellsOfAnAnalysisLineEmpty) {
    // A cycle whose analysis was not accepted gets a line of its own, with
    // only the analysis cells filled.
    QStringList analysisOnly(20, QString());
    analysisOnly[12] = "0.5";
    analysisOnly[13] = "1.2";
    analysisOnly[14] = "0.98";
    for (int c = 15; c < 20; ++c) analysisOnly[c] = "N/A";
    fillGrid(resultGrid, gridCaptions(), {gridLine("1", "600", "40"), analysisOnly});
    const auto x = run(&ExcelReport::cmdExportExcel_Click);
    ASSERT_TRUE(x);
    EXPECT_EQ(x->text(24, 1), "1");
    for (int c = 1; c <= 14; ++c) EXPECT_FALSE(x->has(25, c)) << c;
    EXPECT_EQ(x->row(25, 22).mid(14), (QStringList{"0.5", "1.2", "0.98", "N/A", "N/A", "N/A", "N/A", "N/A"}));
}

// A long test name is cut in the file name; the report and its time stay, so
// the brief and the detailed workbook keep names of their own.
TEST_F(ExcelRheology, ALongTestNameKeepsTheReportAndTimeInTheFileName) {
    const QString name = QString(150, QLatin1Char('M'));
    sql("UPDATE TEST_INFO SET TEST_NAME = ? WHERE TEST_ID = ?", {name, id});
    openTest(name, id, 0);
    const QString brief = QFileInfo(report(&ExcelReport::cmdExportExcel_Click)).fileName();
    const QString detail = QFileInfo(report(&ExcelReport::Export_Excel_Detail)).fileName();
    const QRegularExpression time(QStringLiteral(" \\d{4}-\\d\\d-\\d\\d \\d\\d\\.\\d\\d\\.xlsx$"));
    EXPECT_TRUE(brief.startsWith(QString(80, QLatin1Char('M')))) << brief.toStdString();
    EXPECT_TRUE(brief.contains(QRegularExpression("M Brief Excel" + time.pattern()))) << brief.toStdString();
    EXPECT_TRUE(detail.contains(QRegularExpression("M Detailed Excel" + time.pattern()))) << detail.toStdString();
    EXPECT_EQ(brief.size(), Workbook::kMaxNameLength + 5);
    EXPECT_EQ(detail.size(), Workbook::kMaxNameLength + 5);
}

// A value that is not finite is an empty cell, never "INF" or "NAN"; a grid
// caption holding a line break is one wrapped cell of two lines.
TEST_F(ExcelRheology, DetailWritesNoInfAndCaptionsBreakWithLf) {
    QStringList captions = gridCaptions();
    captions[6] = "Shear Rate\r\n(1/s)";
    fillGrid(resultGrid, captions, {gridLine("1", "600", "40")});
    sql("UPDATE TEST_INFO SET SAFETY = ? WHERE TEST_ID = ?", {"First line\r\nsecond line", id});
    const double inf = std::numeric_limits<double>::infinity();
    // step, cycle, ramp step, time, temp, press, rate, stress, gel
    addPoint(id, 1, 1, 0, inf, inf, -inf, 170, inf, inf);
    addPoint(id, 1, 1, 0, 60, 100, 1000, 170, 340, 0);
    const auto x = run(&ExcelReport::Export_Excel_Detail);
    ASSERT_TRUE(x);
    EXPECT_EQ(x->text(22, 7), "Shear Rate\n(1/s)");
    EXPECT_EQ(x->text(15, 2), "First line\nsecond line");
    EXPECT_FALSE(x->sheetXml.contains(QStringLiteral("_x000D_")));
    for (const QString& bad : {"INF", "NAN", "inf", "nan"})
        EXPECT_FALSE(x->sheetXml.contains(">" + bad) || x->sheetXml.contains(">-" + bad)) << bad.toStdString();
    // The points from row 28, in time order: the point without finite values
    // keeps only its finite cells (step, cycle, ramp, rotor, rate).
    EXPECT_EQ(x->row(28, 4), (QStringList{"1", "1", "0", "1"}));
    EXPECT_EQ(x->row(29, 12), (QStringList{"1", "1", "0", "", "", "", "100", "170", "", "", "", ""}));
    for (const int c : {4, 5, 6, 9, 10, 11, 12}) EXPECT_FALSE(x->has(29, c)) << c;
    EXPECT_EQ(x->lastRow(), 29);
}

// With the desktop's opener and no application for workbooks on the desktop,
// both workbooks are said as written, where, and not shown; nothing is started.
TEST_F(ExcelRheology, WithoutADesktopApplicationBothWorkbooksSayWhereTheyAre) {
    const Workbook::Opener previous = Workbook::setOpener(nullptr);
    int started = 0;
    Workbook::desktopSeam().defaultApplication = [](const QString&) { return QString(); };
    Workbook::desktopSeam().openFile = [&](const QString&) { return ++started, true; };
    const QString brief = report(&ExcelReport::cmdExportExcel_Click);
    const QString detail = report(&ExcelReport::Export_Excel_Detail);
    Workbook::resetDesktopSeam();
    Workbook::setOpener(previous);
    EXPECT_EQ(started, 0);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        const QString path = i == 0 ? brief : detail;
        ASSERT_TRUE(QFileInfo::exists(path));
        EXPECT_EQ(dialogs.messages[std::size_t(i)].prompt,
                  "The workbook was written to\n" + QDir::toNativeSeparators(path) +
                      "\nbut no application was found to show it.");
    }
}
