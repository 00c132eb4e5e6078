// The CSV report ("Save Report") of an opened rheology test of 100,000 result
// rows: the test's TEST_INFO row read again, its rows reloaded through the
// result records, the Result section from the result grid (10 steps x 5
// cycles x 10 ramp steps, 500 lines) and the Detail section of every row, the
// file written. The save dialog is answered at once; opening the test (the
// grid fill) is not timed.

#include "data/clsConnection.h"
#include "data/clsTEST_INFO.h"
#include "data/clsTEST_RESULT.h"
#include "mainwindow/ResultGrids.h"
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"
#include "reports/CsvReport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kRows = 100000;

// Answers the save dialog with one file name; any other dialog is a failure.
class SaveTo : public ui::Handler {
public:
    explicit SaveTo(QString file) : file_(std::move(file)), previous_(ui::setHandler(this)) {}
    ~SaveTo() override { ui::setHandler(previous_); }
    int message(const ui::MessageRequest& r) override { fail(r.prompt); }
    std::optional<QString> input(const ui::InputRequest& r) override { fail(r.prompt); }
    std::optional<QString> file(const ui::FileRequest&) override { return file_; }

private:
    [[noreturn]] static void fail(const QString& text) {
        std::fprintf(stderr, "unexpected dialog: %s\n", qPrintable(text));
        std::abort();
    }
    QString file_;
    ui::Handler* previous_;
};

void BM_CsvReport100000(benchmark::State& state) {
    QTemporaryDir dir;
    const QString dbFile = dir.filePath(QStringLiteral("Z3080daq.accdb"));
    if (!dir.isValid() || !QFile::copy(QStringLiteral(Z3080_EMPTY_DB), dbFile)) {
        state.SkipWithError("cannot copy the empty database");
        return;
    }
    QFile::setPermissions(dbFile, QFile::ReadOwner | QFile::WriteOwner);
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());
    clsConnection conn;
    conn.OpenDB();
    QDir::setCurrent(old);

    // One rheology test of 100,000 points written in one transaction.
    {
        QSqlQuery q(conn.ADOConnection()->handle());
        conn.ADOConnection()->beginTransaction();
        q.exec(QStringLiteral("INSERT INTO TEST_INFO (TEST_NAME, FLUID_ID, TEST_TIME, RESEARCHER_NAME, ROTOR_NO, "
                              "BOB_NO, BOB_RADIUS, BOB_EFF_LENGTH, PRETEST_PH, POSTTEST_PH, SAFETY) VALUES ('Long', "
                              "'F1', '2024-01-01 10:00:00', 'Ann', 'R1', 'B1', 1.7245, 3.8, 7, 7, 'A long test')"));
        q.prepare(QStringLiteral(
            "INSERT INTO TEST_RESULT (TEST_ID, RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, RESULT_PRESS, "
            "RESULT_SPEED, RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP, CYCLE_NO) "
            "VALUES (1, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        for (int i = 0; i < kRows; ++i) {
            const int step = 1 + i / 10000, cycle = 1 + (i / 2000) % 5, rampStep = 1 + (i / 200) % 10;
            const QVariantList v = {step, rampStep, i * 3.0, 75.0 + i * 0.002, 1000.0 + (i % 997) * 3.7,
                                    170.229 * rampStep, 40.0 + rampStep * 9.1 + (i % 13) * 0.01, 1.0,
                                    12.5 + (i % 41) * 0.01, cycle};
            for (int c = 0; c < v.size(); ++c) q.bindValue(c, v[c]);
            if (!q.exec()) {
                state.SkipWithError("cannot store the test");
                return;
            }
        }
        conn.ADOConnection()->commit();
    }

    // The test opened as the main window opens it.
    clsTEST_INFO info;
    info.ConnectX(&conn);
    clsTEST_RESULT results;
    OpenedTest opened;
    info.TEST_NAME(QStringLiteral("Long"));
    info.GetTestDetail();
    opened.OpenedTestName = QStringLiteral("Long");
    opened.OpenedTestInfo = info.All();
    opened.OpenedTestId = 1;
    FlexGridModel grid, additives;
    additives.Rows(1);
    additives.Cols(4);
    {
        FlexGrid widget;
        Initial_Grid_Rheology(widget);
        FillRheologyGrid(widget, results, &conn, opened);
        grid.Cols(widget.Cols());
        grid.Rows(widget.Rows());
        for (int r = 0; r < widget.Rows(); ++r)
            for (int c = 0; c < widget.Cols(); ++c)
                grid.TextMatrix(r, c, widget.gridModel()->TextMatrix(r, c));
    }

    StoredTestSource source;
    source.opened = &opened;
    source.testInfos = &info;
    source.testResults = &results;
    source.connection = &conn;
    source.resultGrid = &grid;
    source.additiveGrid = &additives;
    source.rowFilter = [](double type) { return type < 2; };
    CsvReport report(source);
    const QString file = dir.filePath(QStringLiteral("report.csv"));
    SaveTo answer(file);
    for (auto _ : state) {
        report.Export_CSV_Report();
    }
    const qint64 size = QFileInfo(file).size();
    if (size < qint64(kRows) * 40) state.SkipWithError("the report is incomplete");
    state.counters["file_MiB"] = double(size) / (1024.0 * 1024.0);
    state.counters["grid_lines"] = grid.Rows() - 1;
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_CsvReport100000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
