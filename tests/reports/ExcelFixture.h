#pragma once
// A stored test, the main window's grids as plain grid models, and the Excel
// reports' inputs over them; the workbook a report writes is read back.

#include "data/DataFiles.h"
#include "data/Globals.h"
#include "data/Settings.h"
#include "data/StoredTestsFixture.h"
#include "data/clsTEST_INFO.h"
#include "data/clsTEST_RESULT.h"
#include "platform/FlexGrid.h"
#include "reports/ExcelReports.h"
#include "support/XlsxSheet.h"

#include <QDir>
#include <QImage>
#include <QSqlDatabase>
#include <memory>

namespace testing_support {

class ExcelFixture : public StoredTestsFixture {
protected:
    void SetUp() override {
        StoredTestsFixture::SetUp();
        gUnitSystem = 1;
        SetUnitLabels();
        infos.ConnectX(&conn);
        // The logo, named in other letter case than the reports ask for.
        QImage logo(60, 30, QImage::Format_RGB32);
        logo.fill(Qt::darkBlue);
        ASSERT_TRUE(logo.save(QDir(tmp.dir()).filePath("Zadizezaru.bmp"), "BMP"));
        in.connection = &conn;
        in.testInfos = &infos;
        in.testResults = &results;
        in.opened = &opened;
        in.resultGrid = &resultGrid;
        in.additiveGrid = &additiveGrid;
        additiveGrid.Cols(4);
        additiveGrid.Rows(1);
    }
    void TearDown() override {
        gUnitSystem = savedUnits;
        SetUnitLabels();
    }

    // Opens a stored test as the main window would: its name, key and kind.
    void openTest(const QString& name, int id, int type) {
        opened.OpenedTestName = name;
        opened.OpenedTestId = id;
        opened.TestType = type;
    }
    // The grid of the main window: a caption row, then the rows given.
    static void fillGrid(FlexGridModel& grid, const QStringList& captions, const QList<QStringList>& rows) {
        grid.Cols(int(captions.size()));
        grid.Rows(int(rows.size()) + 1);
        for (int c = 0; c < captions.size(); ++c) grid.TextMatrix(0, c, captions[c]);
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < rows[r].size(); ++c) grid.TextMatrix(r + 1, c, rows[r][c]);
    }
    void addAdditiveRows(const QList<QStringList>& rows) {
        additiveGrid.Rows(int(rows.size()) + 1);
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < 4; ++c) additiveGrid.TextMatrix(r + 1, c, rows[r][c]);
    }
    // A stored point: step, cycle, ramp step, time s, temp °F, press psi,
    // speed (rate or rpm), stress or travel or length change, bath/gel.
    void addPoint(int testId, double step, double cycle, double rampStep, double time, double temp, double press,
                  double speed, double stress, double bath = 0) {
        sql("INSERT INTO TEST_RESULT (TEST_ID, RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, RESULT_PRESS, "
            "RESULT_SPEED, RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP, CYCLE_NO) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, 0, ?, ?)",
            {testId, step, rampStep, time, temp, press, speed, stress, bath, cycle});
    }
    // Runs a report and reads its workbook back.
    using Report = QString (ExcelReport::*)();
    QString report(Report which) {
        ExcelReport r(in);
        return (r.*which)();
    }
    std::unique_ptr<XlsxSheet> run(Report which) {
        lastPath = report(which);
        if (lastPath.isEmpty()) return nullptr;
        auto sheet = std::make_unique<XlsxSheet>(lastPath);
        EXPECT_TRUE(sheet->ok()) << sheet->error().toStdString();
        return sheet;
    }
    QStringList reportFiles() const {
        return QDir(ReportsFolder()).entryList({"*.xlsx"}, QDir::Files);
    }

    int savedUnits = gUnitSystem;
    clsTEST_INFO infos;
    clsTEST_RESULT results;
    OpenedTest opened;
    FlexGridModel resultGrid;
    FlexGridModel additiveGrid;
    StoredTestSource in;
    QString lastPath;
};

}  // namespace testing_support
