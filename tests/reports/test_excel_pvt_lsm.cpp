// The PVT and swell workbooks, read back: their header blocks, the grid
// copied from its caption row, the detail records with density, length
// change and swell, and a report too long for one worksheet.

#include "ExcelFixture.h"

#include "data/DateText.h"
#include "platform/Workbook.h"

#include <limits>

using testing_support::ExcelFixture;
using testing_support::XlsxSheet;

namespace {

const QStringList kPvtCaptions{"Step No",        "Cycle No",      "Elapsed Time (min)",
                               "Temp (°F)",      "Pressure (psi)", "Speed (rpm)",
                               "Density (g/cm3) ", "Position (in.) ", "data "};
const QStringList kLsmCaptions{"Step No", "Cycle No", "Time", "Temp", "Press", "Speed", "Length", "Swell", "Volt"};

class ExcelPvt : public ExcelFixture {
protected:
    void SetUp() override {
        ExcelFixture::SetUp();
        // piston radius 0.5 cm (ROTOR_NO), initial volume 100 cm3, density 1.2 g/cm3
        id = addTest("P1", "PVT", "2024-02-03 04:05:06", "Brine", "pvt comments", "0.5", 100, 1.2, 7, 8);
        openTest("P1", id, 1);
        opened.PvtPistonRadius = 0.5;
        opened.CuriniV = 100;
        opened.CuriniD = 1.2;
        fillGrid(resultGrid, kPvtCaptions,
                 {{"1", "1", "0.5", "150.0", "1000", "10.0", "1.2244", "1", "5"},
                  {"2", "1", "1.5", "200.0", "2000", "20.0", "1.3", "2", "6"}});
    }
    int id = 0;
};

class ExcelLsm : public ExcelFixture {
protected:
    void SetUp() override {
        ExcelFixture::SetUp();
        // compaction time 30 (ROTOR_NO), weight 50 g, length 1 in., hardness 80, compaction pressure 500 psi
        id = addTest("S1", "LSM", "2024-02-03 04:05:06", "Shale", "swell comments", "30", 50, 1.0, 80, 500);
        openTest("S1", id, 2);
        opened.LsmSampleLength = 1.0;
        addAdditiveRows({{"A", "1", "%", "L1"}, {"B", "2", "%", "L2"}, {"C", "3", "%", "L3"}});
        fillGrid(resultGrid, kLsmCaptions,
                 {{"1", "1", "1.5", "150.0", "1000", "10", "0.0123", "1.23", "4.5"},
                  {"2", "1", "3", "160.0", "1000", "10", "0.02", "2", "4.6"}});
    }
    int id = 0;
};

}  // namespace

TEST_F(ExcelPvt, BriefWorkbook) {
    const auto x = run(&ExcelReport::cmdExportExcel_Click);
    ASSERT_TRUE(x);
    EXPECT_EQ(x->pictures, 1);
    EXPECT_EQ(x->merges, QStringList{"E1:L3"});
    EXPECT_EQ(x->text(1, 5), "Z3080daq PVT Test Report");
    const QStringList labels{"Test Name:", "Fluid ID:",   "Test Time:",           "Researcher Name:",
                             "Test Type:", "Radius(cm):", "initial Volume (cm3)", "Initial density (g/cm3):",
                             "Comments:"};
    for (int i = 0; i < labels.size(); ++i) EXPECT_EQ(x->text(8 + i, 1), labels[i]);
    EXPECT_EQ(x->text(12, 2), "PVT");
    EXPECT_EQ(x->text(13, 2), "0.5");
    EXPECT_EQ(x->text(14, 2), "100");
    EXPECT_EQ(x->text(15, 2), "1.2");
    EXPECT_EQ(x->text(16, 2), "pvt comments");
    // No additives: headings on 19, "Results:" on 21, an empty row, the grid
    // from its caption row on 23; seven of its nine columns.
    EXPECT_EQ(x->row(19, 4), (QStringList{"Additives", "Concentration", "Units", "Lot Number"}));
    EXPECT_FALSE(x->has(20, 1));
    EXPECT_EQ(x->text(21, 1), "Results:");
    EXPECT_FALSE(x->has(22, 1));
    EXPECT_EQ(x->row(23, 8), kPvtCaptions.mid(0, 7) << "");
    EXPECT_EQ(x->row(24, 8), (QStringList{"1", "1", "0.5", "150", "1000", "10", "1.2244", ""}));
    EXPECT_EQ(x->lastRow(), 25);
    EXPECT_EQ(x->printTitles, "Sheet1!$23:$23");
    EXPECT_EQ(x->pageSetup.value("orientation"), "landscape");
    EXPECT_EQ(x->pageSetup.value("fitToHeight"), "10");
    EXPECT_EQ(x->oddHeader, "&C ~ Test: P1 ~ print Date: " + ShortDateText(QDateTime::currentDateTime()));
}

TEST_F(ExcelPvt, DetailWorkbookRecomputesTheDensity) {
    // step, cycle, ramp, time, temp, press, rpm, piston travel
    addPoint(id, 1, 1, 0, 90, 212, 0, 10, 1);
    addPoint(id, 2, 1, 0, 120, 100, 10000.4, 20, 0);
    const auto x = run(&ExcelReport::Export_Excel_Detail);
    ASSERT_TRUE(x);
    // The grid right below "Results:", "Detail:" two rows below its last row.
    EXPECT_EQ(x->text(21, 1), "Results:");
    EXPECT_EQ(x->text(22, 1), "Step No");
    EXPECT_EQ(x->text(24, 1), "2");
    EXPECT_FALSE(x->has(25, 1));
    EXPECT_EQ(x->text(26, 1), "Detail:");
    EXPECT_EQ(x->row(27, 7), (QStringList{"Step_NO", "Cycle No", "Elapsed Time(min)", "Temperature(°F)",
                                          "Pressure (psi)", "Speed (rpm)", "Desity (g/cm3)"}));
    // 1 in. of travel at 0 psi sweeps 3.14159 x 0.5² x 2.54 cm3: 120 / (100 - 1.99491) g/cm3.
    EXPECT_EQ(x->row(28, 7), (QStringList{"1", "1", "1.5", "212", "0", "10", "1.2244"}));
    EXPECT_EQ(x->row(29, 7), (QStringList{"2", "1", "2", "100", "10000", "20", "1.2"}));
    EXPECT_EQ(x->lastRow(), 29);
    EXPECT_EQ(x->printTitles, "Sheet1!$27:$27");

    // Without the initial volume no density can be computed: the cells stay empty.
    opened.CuriniV = 0;
    const auto y = run(&ExcelReport::Export_Excel_Detail);
    ASSERT_TRUE(y);
    EXPECT_EQ(y->text(28, 6), "10");
    EXPECT_FALSE(y->has(28, 7));
}

TEST_F(ExcelPvt, DetailWithoutStoredPointsEndsAfterTheGrid) {
    const auto x = run(&ExcelReport::Export_Excel_Detail);
    ASSERT_TRUE(x);
    EXPECT_EQ(x->lastRow(), 24);
    EXPECT_TRUE(x->printTitles.isEmpty());
    EXPECT_TRUE(x->oddHeader.isEmpty());
}

TEST_F(ExcelLsm, BriefWorkbook) {
    const auto x = run(&ExcelReport::cmdExportExcel_Click);
    ASSERT_TRUE(x);
    EXPECT_EQ(x->text(1, 5), "Z3080daq LSM Test Report");
    const QStringList labels{"Test Name:",        "Fluid ID:",       "Test Time:",
                             "Researcher Name:",  "Test Type:",      "SAMPLE WEIGHT (g)",
                             "SAMPLE_LENGTH : (in.)", "SAMPLE_HARDNESS", "SAMPLE_COMPACT_TIME (min):",
                             "SAMPLE_COMPACT_PRESS (psi):", "Comments:"};
    for (int i = 0; i < labels.size(); ++i) EXPECT_EQ(x->text(8 + i, 1), labels[i]);
    EXPECT_EQ(x->row(12, 2).last(), "LSM");
    EXPECT_EQ(x->text(13, 2), "50");
    EXPECT_EQ(x->text(14, 2), "1");
    EXPECT_EQ(x->text(15, 2), "80");
    EXPECT_EQ(x->text(16, 2), "30");
    EXPECT_EQ(x->text(17, 2), "500");
    EXPECT_EQ(x->text(18, 2), "swell comments");
    // Three additives on 21 to 23, "Results:" on 25, the grid from 26 without its voltage column.
    EXPECT_EQ(x->text(20, 1), "Additives");
    EXPECT_EQ(x->row(23, 4), (QStringList{"C", "3", "%", "L3"}));
    EXPECT_EQ(x->text(25, 1), "Results:");
    EXPECT_EQ(x->row(26, 9), kLsmCaptions.mid(0, 8) << "");
    EXPECT_EQ(x->row(27, 9), (QStringList{"1", "1", "1.5", "150", "1000", "10", "0.0123", "1.23", ""}));
    EXPECT_EQ(x->lastRow(), 28);
    EXPECT_EQ(x->printTitles, "Sheet1!$26:$26");
    EXPECT_EQ(x->pageSetup.value("fitToHeight"), "10");
    EXPECT_EQ(x->oddHeader, "&C ~ Test: S1 ~ print Date: " + ShortDateText(QDateTime::currentDateTime()));
}

TEST_F(ExcelLsm, DetailWorkbookInBothUnitSystems) {
    addPoint(id, 1, 1, 0, 90, 212, 1000.4, 10.25, 0.0123);
    struct Case {
        int units;
        QString tempCaption, lengthCaption, headerLength, temp, lengthChange;
    };
    const Case cases[] = {{1, "Temperature(°F)", "Length Change (in.)", "1", "212", "0.0123"},
                          // The sample length is stored in inches: in SI it is shown in
                          // millimetres beside "(mm)".
                          {2, "Temperature(°C)", "Length Change (mm)", "25.4", "100", "0.31"}};
    for (const Case& c : cases) {
        gUnitSystem = c.units;
        SetUnitLabels();
        const auto x = run(&ExcelReport::Export_Excel_Detail);
        ASSERT_TRUE(x);
        EXPECT_EQ(x->text(14, 2), c.headerLength) << c.units;
        // Grid 26 to 28, "Detail:" three rows below, headings, then the point.
        EXPECT_FALSE(x->has(29, 1));
        EXPECT_EQ(x->text(31, 1), "Detail:");
        EXPECT_EQ(x->row(32, 8), (QStringList{"Step_NO", "Cycle No", "Elapsed Time(min)", c.tempCaption,
                                              "Pressure (psi)", "Speed (rpm)", c.lengthCaption, "Swell (%)"}));
        EXPECT_EQ(x->row(33, 7), (QStringList{"1", "1", "1.5", c.temp, "1000", "10.3", c.lengthChange}));
        // 1.23 %, whatever the unit system: a percentage cell.
        EXPECT_EQ(x->cell(33, 8).type, "n");
        EXPECT_NEAR(x->text(33, 8).toDouble(), 0.0123, 1e-12);
        EXPECT_EQ(x->lastRow(), 33);
        EXPECT_EQ(x->printTitles, "Sheet1!$32:$32");
    }
}

TEST_F(ExcelLsm, AReportLongerThanASheetIsRefusedWithAMessage) {
    resultGrid.Rows(Workbook::kMaxRows);  // with the caption row the grid runs past the last row
    resultGrid.Cols(2);
    EXPECT_TRUE(report(&ExcelReport::cmdExportExcel_Click).isEmpty());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].prompt.contains("needs more rows than a worksheet holds (1048576 rows)"))
        << dialogs.messages[0].prompt.toStdString();
    EXPECT_TRUE(reportFiles().isEmpty());
}

// A value that is not finite is an empty cell, never "INF" or "NAN".
TEST_F(ExcelLsm, DetailWritesNoInf) {
    const double inf = std::numeric_limits<double>::infinity();
    addPoint(id, 1, 1, 0, inf, inf, inf, inf, inf);
    const auto x = run(&ExcelReport::Export_Excel_Detail);
    ASSERT_TRUE(x);
    EXPECT_EQ(x->text(31, 1), "Detail:");
    EXPECT_EQ(x->row(33, 2), (QStringList{"1", "1"}));
    for (int c = 3; c <= 8; ++c) EXPECT_FALSE(x->has(33, c)) << c << " " << x->text(33, c).toStdString();
}

TEST_F(ExcelPvt, DetailWritesNoInf) {
    const double inf = std::numeric_limits<double>::infinity();
    addPoint(id, 1, 1, 0, inf, inf, inf, inf, 0.5);
    const auto x = run(&ExcelReport::Export_Excel_Detail);
    ASSERT_TRUE(x);
    for (const QString& bad : {"INF", "NAN", "inf", "nan"})
        EXPECT_FALSE(x->sheetXml.contains(">" + bad) || x->sheetXml.contains(">-" + bad)) << bad.toStdString();
}
