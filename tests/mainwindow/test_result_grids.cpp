// The result grid of the main window filled from a stored test in a scratch
// database: header set-up and fill of each test kind.

#include "data/Globals.h"
#include "data/Units.h"
#include "data/clsConnection.h"
#include "data/clsTEST_RESULT.h"
#include "mainwindow/ResultGrids.h"
#include "platform/FlexGrid.h"
#include "support/QtPrint.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDb.h"
#include "support/SavedGlobals.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

using testing_support::ScriptedDialogs;
using testing_support::InFolder;
using testing_support::TempDb;

namespace {


QStringList rowTexts(const FlexGrid& g, int r) {
    QStringList out;
    for (int c = 0; c < g.Cols(); ++c) out << g.TextMatrix(r, c);
    return out;
}

class ResultGrids : public ::testing::Test {
protected:
    testing_support::SavedGlobals saved_;
    TempDb tmp;
    InFolder in{tmp.dir()};
    ScriptedDialogs dialogs;
    clsConnection conn;
    clsTEST_RESULT results;
    FlexGrid grid;
    OpenedTest opened;

    void SetUp() override {
        gUnitSystem = 1;
        gKUnit = 1;
        gTempLabel = "(°F)";
        gStressLabel = "(dyne/cm2)";
        gViscLabel = "(cP)";
        gKLabel = "(lbf-s^n/100ft2)";
        gPressLabel = "(psi)";
        gLengthLabel = "(in.)";
        conn.OpenDB();
        ASSERT_TRUE(conn.ADOConnection() && conn.ADOConnection()->isOpen());
    }

    // A result row; a null QVariant stores Null.
    void addRow(qint32 testId, const QVariantList& v) {  // step, ramp step, time, temp, press, speed, stress, type, bath, cycle
        QSqlQuery q(conn.ADOConnection()->handle());
        q.prepare("INSERT INTO TEST_RESULT (TEST_ID, RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, "
                  "RESULT_PRESS, RESULT_SPEED, RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP, CYCLE_NO) "
                  "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        q.addBindValue(testId);
        for (const QVariant& x : v) q.addBindValue(x);
        ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
    }

    void openRheology(qint32 id, double bobRadius) {
        opened.OpenedTestName = "Test A";
        opened.OpenedTestId = id;
        opened.OpenedTestInfo = RowArray(12);
        opened.OpenedTestInfo[6] = "B1";
        opened.OpenedTestInfo[7] = bobRadius;
    }
};

// ---------------------------------------------------------------- rheology

TEST_F(ResultGrids, RheologyHeader) {
    grid.Rows(5);
    grid.Cols(3);
    grid.TextMatrix(2, 1, "old");
    Initial_Grid_Rheology(grid);
    EXPECT_EQ(grid.Rows(), 1);
    ASSERT_EQ(grid.Cols(), 20);
    EXPECT_EQ(grid.TextMatrix(0, 0), "Step No");
    EXPECT_EQ(grid.TextMatrix(0, 4), "Temp\r(°F)");
    EXPECT_EQ(grid.TextMatrix(0, 6), "Shear Rate\r (1/S)");
    EXPECT_EQ(grid.TextMatrix(0, 13), "Kv \r(lbf-s^n/100ft2)");
    for (int c = 0; c < 20; ++c) {
        EXPECT_EQ(grid.ColWidth(c), 1090);
        EXPECT_EQ(grid.ColAlignment(c), FlexGridModel::flexAlignLeftTop);
    }
    EXPECT_EQ(grid.gridModel()->RowHeight(0), 600);
    EXPECT_TRUE(grid.WordWrap());
}

TEST_F(ResultGrids, RheologyFillFromStoredRows) {
    // One cycle of three ramp steps (n' = 0.5) and a step point; the first row
    // has a Null cycle number, which reads as cycle 1.
    addRow(4, {1, 1, 30, 200, 1000, 10, 31.6228, 1, 5.11, QVariant()});
    addRow(4, {1, 2, 60, 200, 1000, 100, 100, 1, 5.11, 1});
    addRow(4, {1, 3, 90, 200, 1000, 1000, 316.228, 1, 5.11, 1});
    addRow(4, {2, 0, 120, 210, 1100, 300, 200, 0, 0, 1});
    addRow(9, {1, 1, 10, 200, 1000, 10, 10, 1, 0, 1});  // another test
    Initial_Grid_Rheology(grid);
    openRheology(4, 1.7245);
    FillRheologyGrid(grid, results, &conn, opened);

    EXPECT_NEAR(opened.ShearRatePerRpm, 1.70229, 1e-5);
    ASSERT_EQ(grid.Rows(), 5);
    EXPECT_EQ(rowTexts(grid, 1).mid(0, 3), (QStringList{"1", "1", "1"}));
    EXPECT_EQ(grid.TextMatrix(1, 7), "5.87");
    EXPECT_EQ(rowTexts(grid, 3).mid(12), (QStringList{"0.500000", "2.088556", "1.0000", "2.023296", "2.336300",
                                                     "176.87", "111.86", "85.79"}));
    EXPECT_EQ(rowTexts(grid, 4).mid(0, 3), (QStringList{"2", "1", "0"}));
    EXPECT_EQ(grid.Row(), 4);
    EXPECT_TRUE(results.Eof());
    EXPECT_TRUE(grid.Redraw());

    // Filled again: the old lines go first.
    FillRheologyGrid(grid, results, &conn, opened);
    EXPECT_EQ(grid.Rows(), 5);
}

TEST_F(ResultGrids, RheologyFillWithoutTestOrRows) {
    Initial_Grid_Rheology(grid);
    grid.Rows(3);
    grid.TextMatrix(2, 0, "kept");
    FillRheologyGrid(grid, results, &conn, opened);  // no test opened: nothing happens
    EXPECT_EQ(grid.Rows(), 3);
    EXPECT_EQ(grid.TextMatrix(2, 0), "kept");

    openRheology(4, 1.7245);
    FillRheologyGrid(grid, results, &conn, opened);  // no rows: the header alone
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(grid.TextMatrix(0, 0), "Step No");
}

TEST_F(ResultGrids, RheologyBobOutsideTheCup) {
    addRow(4, {1, 1, 30, 200, 1000, 10, 31.6228, 1, 0, 1});
    addRow(4, {1, 2, 60, 200, 1000, 100, 100, 1, 0, 1});
    addRow(4, {1, 3, 90, 200, 1000, 1000, 316.228, 1, 0, 1});
    Initial_Grid_Rheology(grid);
    for (const QVariant& rb : {QVariant(0.0), QVariant(1.8415), QVariant(2.5), QVariant()}) {
        SCOPED_TRACE(rb.toString().toStdString());
        openRheology(4, 0);
        opened.OpenedTestInfo[7] = rb;
        opened.ShearRatePerRpm = 99;
        FillRheologyGrid(grid, results, &conn, opened);
        EXPECT_EQ(opened.ShearRatePerRpm, 0);
        ASSERT_EQ(grid.Rows(), 4);
        EXPECT_EQ(grid.TextMatrix(1, 7), "");
        EXPECT_EQ(rowTexts(grid, 3).mid(12),
                  (QStringList{"0.500000", "2.088556", "1.0000", "N/A", "N/A", "N/A", "N/A", "N/A"}));
    }
}

// ---------------------------------------------------------------- PVT

TEST_F(ResultGrids, PvtHeaderAndFill) {
    gTempLabel = "(°C)";
    grid.Rows(4);
    grid.TextMatrix(3, 0, "old");
    Initial_Grid_PVT(grid);
    EXPECT_EQ(grid.Rows(), 4);  // the rows stay, their texts go
    EXPECT_EQ(grid.TextMatrix(3, 0), "");
    ASSERT_EQ(grid.Cols(), 9);
    EXPECT_EQ(rowTexts(grid, 0), (QStringList{"Step No", "Cycle No", "Elapsed Time (min)", "Temp (°C)",
                                              "Pressure (psi)", "Speed (rpm)", "Density (g/cm3) ",
                                              "Position (in.) ", "data "}));
    for (int c = 0; c < 9; ++c) {
        EXPECT_EQ(grid.ColWidth(c), c < 7 ? 1200 : 0);
        EXPECT_EQ(grid.ColAlignment(c), FlexGridModel::flexAlignLeftCenter) << c;
    }
    EXPECT_EQ(grid.gridModel()->RowHeight(0), 450);
    EXPECT_EQ(grid.SelectionMode(), 1);
    EXPECT_EQ(grid.AllowUserResizing(), 3);

    // No points: the grid is left as it is.
    opened.OpenedTestId = 5;
    results.Test_Id(5);
    results.ConnectX(&conn);
    FillPvtGrid(grid, results, opened);
    EXPECT_EQ(grid.Rows(), 4);

    addRow(5, {1, 0, 30, 200, 5000, 100, 0.00, 0, 11, 1});
    addRow(5, {1, 0, 90, 210, 5100, 100, 0.01, 0, 12, 1});
    addRow(5, {2, 0, 120, 240, 5400, 150.5, 0.04, 0, 15, 1});
    opened.PvtPistonRadius = 0.5;
    opened.CuriniV = 20;
    opened.CuriniD = 1.0;
    results.ConnectX(&conn);
    FillPvtGrid(grid, results, opened);
    ASSERT_EQ(grid.Rows(), 3);
    EXPECT_EQ(rowTexts(grid, 1), (QStringList{" 1", " 1", "1.5", "210.0", "5100", "100.0", "1.0010", "0.01", "12."}));
    EXPECT_EQ(rowTexts(grid, 2)[0], " 2");
}

// ---------------------------------------------------------------- swell

TEST_F(ResultGrids, LsmHeaderAndFill) {
    gUnitSystem = 2;
    gLengthLabel = "(mm)";
    grid.Rows(6);
    Initial_Grid_LSM(grid);
    EXPECT_EQ(grid.Rows(), 1);
    ASSERT_EQ(grid.Cols(), 9);
    EXPECT_EQ(rowTexts(grid, 0), (QStringList{"Step No", "Cycle No", "Elapsed Time (min)", "Temp (°F)",
                                              "Press (psi)", "Speed (rpm)", "Length Change (mm)", " Swell (%) ",
                                              "read voltage"}));
    EXPECT_GT(grid.ColWidth(0), 0);
    EXPECT_EQ(grid.ColWidth(8), 0);
    EXPECT_EQ(grid.gridModel()->RowHeight(0), 600);

    opened.OpenedTestId = 6;
    opened.LsmSampleLength = 0.5;  // inches, shown as 12.7 mm
    FillLsmGrid(grid, results, &conn, opened);
    EXPECT_EQ(grid.Rows(), 1);  // no points

    addRow(6, {1, 0, 30, 200, 1000, 50, 0.005, 0, 1.25, 1});
    addRow(6, {1, 0, 60, 210, 1000, 50, 0.01, 0, 1.5, 1});
    addRow(6, {2, 0, 90, 220, 1500, 60, 0.0123, 0, 1.75, 1});
    FillLsmGrid(grid, results, &conn, opened);
    ASSERT_EQ(grid.Rows(), 3);
    EXPECT_EQ(rowTexts(grid, 1), (QStringList{"1", "1", "1.", "98.9", "1000", "50", "0.25", "2.%", "1.5"}));
    EXPECT_EQ(grid.TextMatrix(2, 7), "2.5%");
}

}  // namespace
