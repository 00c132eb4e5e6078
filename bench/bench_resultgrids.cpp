// Opening a stored rheology test of 100,000 result rows in the main window.
//
// BM_OpenRheologyTestTypical times what the operator waits for after pressing
// OK in the open-test dialog: the main window (made, loaded, never shown)
// opens the test as it does for the operator (its information, the additive
// grid, the rows fetched, the first chart of the list drawn, the result grid
// filled with the lines and the power-law analysis of every cycle). The
// BM_FillRheologyGrid* ones time the result grid alone: the rows fetched
// through the result records, the lines and the power-law analysis of every
// cycle computed, the grid filled.
//
// Two layouts of the same number of rows:
//  - Typical: 10 steps x 5 cycles x 10 ramp steps with 200 samples in each
//    ramp step (500 grid lines);
//  - LineEachRow: every row a ramp step of its own (100,000 grid lines, the
//    most the grid can get from that many rows).
//
// Counters (MiB): peak_MiB is the process's peak resident memory (VmHWM),
// everything the process ever held included (the database made in the
// set-up, the Qt libraries); open_peak_MiB is the peak resident memory
// during the opens alone (VmHWM reset just before them through
// /proc/self/clear_refs; 0 when the system does not allow it), which still
// counts what the process held before them (rss_before_MiB). Run one
// benchmark per process (--benchmark_filter) for figures of its own.

#include "data/clsConnection.h"
#include "data/clsTEST_RESULT.h"
#include "mainwindow/ResultGrids.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmOpenTest.h"
#include "platform/Database.h"
#include "platform/FlexGrid.h"
#include "platform/ModalShow.h"
#include "platform/PeChart.h"
#include "ProcMemory.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <algorithm>
#include <cmath>
#include <memory>

namespace {

constexpr int kRows = 100000;

using benchmem::procStatusMiB;

using benchmem::resetPeak;

// A scratch database holding one rheology test of kRows rows (TEST_ID 1).
class StoredTest {
public:
    explicit StoredTest(bool lineEachRow) {
        QFile::copy(QStringLiteral(Z3080_EMPTY_DB), dir_.filePath(QStringLiteral("Z3080daq.accdb")));
        QFile::setPermissions(dir_.filePath(QStringLiteral("Z3080daq.accdb")), QFile::ReadOwner | QFile::WriteOwner);
        const QString old = QDir::currentPath();
        QDir::setCurrent(dir_.path());
        conn_.OpenDB();
        QDir::setCurrent(old);

        db::Connection* c = conn_.ADOConnection();
        c->beginTransaction();
        QSqlQuery q(c->handle());
        q.prepare(QStringLiteral(
            "INSERT INTO TEST_RESULT (TEST_ID, RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, RESULT_PRESS, "
            "RESULT_SPEED, RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP, CYCLE_NO) "
            "VALUES (1, ?, ?, ?, ?, ?, ?, ?, 1, ?, ?)"));
        const int perRampStep = lineEachRow ? 1 : 200;
        const int rampSteps = lineEachRow ? 1000 : 10;
        for (int i = 0; i < kRows; ++i) {
            const int rampIndex = i / perRampStep;        // running ramp step over the test
            const int rampStep = rampIndex % rampSteps + 1;
            const int cycleIndex = rampIndex / rampSteps;
            const int cycle = cycleIndex % (lineEachRow ? 10 : 5) + 1;
            const int step = cycleIndex / (lineEachRow ? 10 : 5) + 1;
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
        QSqlQuery info(c->handle());
        info.exec(QStringLiteral(
            "INSERT INTO TEST_INFO (TEST_ID, TEST_NAME, FLUID_ID, TEST_TIME, RESEARCHER_NAME, ROTOR_NO, BOB_NO, "
            "BOB_RADIUS, BOB_EFF_LENGTH, PRETEST_PH, POSTTEST_PH, SAFETY) "
            "VALUES (1, 'Bench', 'F1', '2024-01-01 10:00:00', 'Ann', 'R1', 'B1', 1.7245, 3.8, 7, 7, '')"));
        info.exec(QStringLiteral("INSERT INTO TEST_ADDITIVE (TEST_ID, ADDITIVE_NM, ADD_CONCEN, ADD_UNIT, ADD_LOTNO) "
                                 "VALUES (1, 'Bentonite', 2.5, 'lb/bbl', 'L1'), (1, 'Barite', 40, 'lb/bbl', 'L2')"));
        c->commit();
    }
    clsConnection* connection() { return &conn_; }
    QString folder() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    clsConnection conn_;
};

void openTest(benchmark::State& state, bool lineEachRow) {
    StoredTest stored(lineEachRow);
    OpenedTest opened;
    opened.OpenedTestName = QStringLiteral("Bench");
    opened.OpenedTestId = 1;
    opened.OpenedTestInfo = RowArray(12);
    opened.OpenedTestInfo[7] = 1.7245;
    FlexGrid grid;
    Initial_Grid_Rheology(grid);

    const double setupPeak = procStatusMiB("VmHWM");
    const bool reset = resetPeak();
    const double before = procStatusMiB("VmRSS");
    for (auto _ : state) {
        clsTEST_RESULT results;
        FillRheologyGrid(grid, results, stored.connection(), opened);
        benchmark::DoNotOptimize(grid.Rows());
    }
    state.counters["lines"] = grid.Rows() - 1;
    state.counters["rss_before_MiB"] = before;
    const double peak = procStatusMiB("VmHWM");
    state.counters["open_peak_MiB"] = reset ? peak : 0;
    state.counters["peak_MiB"] = std::max(peak, setupPeak);
}

void BM_FillRheologyGridTypical(benchmark::State& state) { openTest(state, false); }
void BM_OpenRheologyTestLineEachRow(benchmark::State& state) { openTest(state, true); }

// The typical test opened in the main window as the operator opens it: the
// open-test dialog shown (through the modal seam), the test's name typed and
// OK pressed. Timed: OK alone, until the dialog is hidden again. The database
// is written (through another connection, untimed) before each open, so that
// every open reads the test's rows as the first open of a test does.
void BM_OpenRheologyTestTypical(benchmark::State& state) {
    StoredTest stored(false);
    const QString old = QDir::currentPath();
    QDir::setCurrent(stored.folder());
    {
        frmMain w;
        w.Form_Load();
        db::Command touch(stored.connection()->ADOConnection(),
                          "INSERT INTO TEST_ADDITIVE (TEST_ID, ADDITIVE_NM) VALUES (99, 'x')");
        db::Command untouch(stored.connection()->ADOConnection(), "DELETE FROM TEST_ADDITIVE WHERE TEST_ID = 99");
        bool opened = true;
        const ui::ModalShower previous = ui::setModalShower([&](QDialog& d) {
            auto* dialog = qobject_cast<frmOpenTest*>(&d);
            if (!dialog) return 0;
            dialog->txtSeqName->setText(QStringLiteral("Bench"));
            state.ResumeTiming();
            dialog->cmdOk_Click();
            state.PauseTiming();
            opened = opened && dialog->isHidden();
            return 0;
        });
        for (auto _ : state) {
            state.PauseTiming();
            touch.execute();
            untouch.execute();
            w.cmdOpen_Click();
            state.ResumeTiming();
        }
        ui::setModalShower(previous);
        const int lines = w.MSFlexGrid1->Rows() - 1;
        state.counters["lines"] = lines;
        state.counters["points"] = w.Pesgo1->points();
        if (!opened || lines < 1) state.SkipWithError("the test did not open");
    }
    QDir::setCurrent(old);
}

}  // namespace

BENCHMARK(BM_OpenRheologyTestTypical)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_FillRheologyGridTypical)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OpenRheologyTestLineEachRow)->Unit(benchmark::kMillisecond)->Iterations(5);
