// The detailed Excel workbook of a stored rheology test of 100,000 result
// rows: the result grid copied line by line with PV and YP, then every
// stored point listed, the workbook saved as a real .xlsx file. Two layouts
// of the same rows, as in bench_resultgrids.cpp:
//  - BM_ExcelDetail100000: 10 steps x 5 cycles x 10 ramp steps of 200
//    samples each (500 grid lines);
//  - BM_ExcelDetail100000LineEachRow: every row a ramp step of its own
//    (100,000 grid lines, the largest grid such a test can give).
//
// Counters (MiB): report_peak_MiB is the peak resident memory while the
// reports run (VmHWM reset just before them through /proc/self/clear_refs;
// 0 when the system does not allow it), which counts what the process held
// before them (rss_before_MiB: the database, the filled grid, the Qt
// libraries); report_extra_MiB is the difference, what the report itself
// needs. xlsx_MiB is the size of the file written.

#include "data/Globals.h"
#include "data/Settings.h"
#include "data/clsConnection.h"
#include "data/clsTEST_INFO.h"
#include "data/clsTEST_RESULT.h"
#include "mainwindow/ResultGrids.h"
#include "platform/FlexGrid.h"
#include "platform/Workbook.h"
#include "reports/ExcelReports.h"
#include "ProcMemory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>

namespace {

constexpr int kRows = 100000;

using benchmem::procStatusMiB;

using benchmem::resetPeak;

void excelDetail(benchmark::State& state, bool lineEachRow) {
    QTemporaryDir dir;
    QFile::copy(QStringLiteral(Z3080_EMPTY_DB), dir.filePath(QStringLiteral("Z3080daq.accdb")));
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());
    clsConnection conn;
    conn.OpenDB();
    gUnitSystem = 1;
    SetUnitLabels();
    {
        db::Connection* c = conn.ADOConnection();
        c->beginTransaction();
        QSqlQuery info(c->handle());
        info.exec(QStringLiteral("INSERT INTO TEST_INFO (TEST_ID, TEST_NAME, FLUID_ID, TEST_TIME, RESEARCHER_NAME, "
                                 "ROTOR_NO, BOB_NO, BOB_RADIUS, BOB_EFF_LENGTH, PRETEST_PH, POSTTEST_PH, SAFETY) "
                                 "VALUES (1, 'Bench', 'F', '2024-01-01 10:00:00', 'R', 'R1', 'B1', 1.7245, 3.8, 7, "
                                 "7, 'bench')"));
        QSqlQuery q(c->handle());
        q.prepare(QStringLiteral(
            "INSERT INTO TEST_RESULT (TEST_ID, RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, RESULT_PRESS, "
            "RESULT_SPEED, RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP, CYCLE_NO) "
            "VALUES (1, ?, ?, ?, ?, ?, ?, ?, 1, ?, ?)"));
        const int perRampStep = lineEachRow ? 1 : 200;
        const int rampSteps = lineEachRow ? 1000 : 10;
        const int cycles = lineEachRow ? 10 : 5;
        for (int i = 0; i < kRows; ++i) {
            const int rampIndex = i / perRampStep;
            const int rampStep = rampIndex % rampSteps + 1;
            const int cycle = (rampIndex / rampSteps) % cycles + 1;
            const int step = rampIndex / rampSteps / cycles + 1;
            const double rate = 5.11 * rampStep * (lineEachRow ? 0.6 : 60);
            const double stress = 12.0 * std::pow(rate, 0.6) * (1 + 0.001 * (i % 17));
            q.addBindValue(double(step));
            q.addBindValue(double(rampStep));
            q.addBindValue(double(i));
            q.addBindValue(150.0 + (i % 100) * 0.5);
            q.addBindValue(1000.0 + i % 50);
            q.addBindValue(rate);
            q.addBindValue(stress);
            q.addBindValue(stress / 5.11);
            q.addBindValue(double(cycle));
            q.exec();
        }
        c->commit();
    }

    OpenedTest opened;
    opened.OpenedTestName = QStringLiteral("Bench");
    opened.OpenedTestId = 1;
    opened.TestType = 0;
    opened.OpenedTestInfo = RowArray(12);
    opened.OpenedTestInfo[7] = 1.7245;
    FlexGrid grid;
    Initial_Grid_Rheology(grid);
    {
        clsTEST_RESULT fill;
        FillRheologyGrid(grid, fill, &conn, opened);
    }
    FlexGridModel additives;
    additives.Cols(4);
    additives.Rows(1);
    clsTEST_INFO infos;
    infos.ConnectX(&conn);
    clsTEST_RESULT results;
    StoredTestSource in;
    in.connection = &conn;
    in.testInfos = &infos;
    in.testResults = &results;
    in.opened = &opened;
    in.resultGrid = grid.gridModel();
    in.additiveGrid = &additives;
    const Workbook::Opener previous = Workbook::setOpener([](const QString&) { return true; });

    const bool reset = resetPeak();
    const double before = procStatusMiB("VmRSS");
    QString path;
    for (auto _ : state) {
        path = ExcelReport(in).Export_Excel_Detail();
        if (path.isEmpty()) {
            state.SkipWithError("no workbook written");
            break;
        }
        state.PauseTiming();
        QFileInfo written(path);
        state.counters["xlsx_MiB"] = double(written.size()) / (1024.0 * 1024.0);
        QFile::remove(path);
        state.ResumeTiming();
    }
    const double peak = procStatusMiB("VmHWM");
    state.counters["grid_lines"] = grid.Rows() - 1;
    state.counters["rss_before_MiB"] = before;
    state.counters["report_peak_MiB"] = reset ? peak : 0;
    state.counters["report_extra_MiB"] = reset ? peak - before : 0;
    Workbook::setOpener(previous);
    QDir::setCurrent(old);
}

void BM_ExcelDetail100000(benchmark::State& state) { excelDetail(state, false); }
void BM_ExcelDetail100000LineEachRow(benchmark::State& state) { excelDetail(state, true); }

}  // namespace

BENCHMARK(BM_ExcelDetail100000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ExcelDetail100000LineEachRow)->Unit(benchmark::kMillisecond)->Iterations(3);
