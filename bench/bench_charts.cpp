// Drawing the charts of a stored test of 100,000 result rows: the rows read
// from the database, filtered, converted and written to the chart, sorted
// where the chart sorts, and the chart redrawn. Every chart type of every test
// kind, and the overlay of a second test of 100,000 rows; the worst chart also
// painted, and the resident size over 100 redraws.
//
// The database does not change between two redraws: the result records then
// take the rows they read for the first again (as when the operator chooses
// another chart of the opened test). BM_DrawViscPressTempChartRowsRead
// changes the database before each draw, so that every draw reads its rows;
// BM_DrawOverlay reads the second test's rows every time.

#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QImage>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QWidget>
#include <algorithm>
#include <limits>

#include "charts/MainCharts.h"
#include "data/clsTEST_INFO.h"
#include "data/Globals.h"
#include "data/Settings.h"
#include "data/clsConnection.h"
#include "data/clsTEST_RESULT.h"
#include "platform/Database.h"
#include "platform/Pe3dChart.h"
#include "platform/PeChart.h"
#include "ProcMemory.h"

namespace {

struct ChartBench {
    QTemporaryDir dir;
    QString oldDir = QDir::currentPath();
    clsConnection connection;
    clsTEST_RESULT results;
    OpenedTest opened;
    QWidget window;
    PeChart* pesgo1 = new PeChart(&window);
    Pe3dChart* pe3do1 = new Pe3dChart(&window);
    ChartControls c;
    std::unique_ptr<MainCharts> charts;

    // The rows of test 1 and, with `secondTest`, of test 2 (the same rows a
    // little later and warmer). The stress column holds what the test kind
    // keeps there: shear stress, piston travel or length change.
    explicit ChartBench(int rows, qint32 testType = 0, bool secondTest = false) {
        QFile::copy(QStringLiteral(Z3080_EMPTY_DB), dir.filePath(QStringLiteral("Z3080daq.accdb")));
        QFile::setPermissions(dir.filePath(QStringLiteral("Z3080daq.accdb")), QFile::ReadOwner | QFile::WriteOwner);
        QDir::setCurrent(dir.path());
        connection.OpenDB();
        gUnitSystem = 2;  // SI: every temperature converted
        SetUnitLabels();

        db::Connection* db = connection.ADOConnection();
        db->beginTransaction();
        db::Command insert(db,
                           "INSERT INTO TEST_RESULT (TEST_ID, RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, "
                           "RESULT_PRESS, RESULT_SPEED, RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP, "
                           "CYCLE_NO) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, 0, 1)");
        for (const char* name : {"id", "step", "rampstep", "time", "temp", "press", "rate", "stress", "type"})
            insert.appendParameter(QString::fromLatin1(name), db::adDouble);
        for (int test = 1; test <= (secondTest ? 2 : 1); ++test) {
            for (int i = 0; i < rows; ++i) {
                const bool ramp = testType == 0 && (i / 50) % 2 == 1;
                const double stress = testType == 0   ? 200.0 + (i % 97)
                                      : testType == 1 ? 0.0001 * (i % 500)
                                                      : 0.001 * (i % 300);
                const double values[] = {double(test), double(i / 100 + 1), ramp ? double(i % 50) : 0.0,
                                         i * 2.0 + test,
                                         75.0 + (i % 3000) * 0.1 + test,
                                         1000.0 + (i % 500),
                                         ramp ? 5.0 + (i % 50) * 10 : 170.0,
                                         stress,
                                         ramp ? 1.0 : 0.0};
                for (int k = 0; k < 9; ++k) insert.setValue(k, values[k]);
                insert.execute();
            }
        }
        db->commit();

        auto radio = [&](const char* name) {
            auto* b = new QRadioButton(&window);
            b->setObjectName(QString::fromLatin1(name));
            return b;
        };
        c.Frame2 = new QWidget(&window);
        c.framData = new QWidget(&window);
        c.framX = new QWidget(&window);
        c.framY = new QWidget(&window);
        c.Frame1 = new QWidget(&window);
        c.opt2D = radio("opt2D");
        c.opt3D = radio("opt3D");
        c.optAllData = radio("optAllData");
        c.optNoRamp = radio("optNoRamp");
        c.optonlyRamp = radio("optonlyRamp");
        c.optXlog = radio("optXlog");
        c.optXNormal = radio("optXNormal");
        c.optYLog = radio("optYLog");
        c.optYNormal = radio("optYNormal");
        for (QAbstractButton* b : {c.opt2D, c.opt3D, c.optAllData, c.optNoRamp, c.optonlyRamp, c.optXlog,
                                   c.optXNormal, c.optYLog, c.optYNormal})
            b->setAutoExclusive(false);
        c.opt2D->setChecked(true);
        c.optAllData->setChecked(true);
        c.cmbChartType = new QComboBox(&window);
        c.cmdOverlap = new QPushButton(&window);
        c.Text1 = new QLineEdit(&window);
        c.Text2 = new QLineEdit(&window);

        opened.OpenedTestName = QStringLiteral("Bench test");
        opened.OpenedTestId = 1;
        opened.TestType = testType;
        opened.PvtPistonRadius = 0.5;
        opened.CuriniV = 40;
        opened.CuriniD = 1.1;
        opened.LsmSampleLength = 1.5;
        charts = std::make_unique<MainCharts>(*pesgo1, *pe3do1, c, opened, results, &connection);
        c.cmbChartType->addItems(testType == 1   ? MainCharts::kChartListPVT
                                 : testType == 2 ? MainCharts::kChartListLSM
                                                 : MainCharts::kChartList2D);
        c.cmbChartType->setCurrentIndex(0);
    }

    // The TEST_INFO row of test 2 as the overlay reads it.
    RowArray secondTestInfo() const {
        RowArray row(12);
        row[clsTEST_INFO::colTEST_ID] = 2;
        row[clsTEST_INFO::colROTOR_NO] = opened.TestType == 1 ? QStringLiteral("0.5") : QStringLiteral("R1");
        row[clsTEST_INFO::colBOB_NO] = opened.TestType == 1   ? QStringLiteral("PVT")
                                       : opened.TestType == 2 ? QStringLiteral("LSM")
                                                              : QStringLiteral("B1");
        row[clsTEST_INFO::colBOB_RADIUS] = opened.TestType == 1 ? 40.0 : 1.7245;
        row[clsTEST_INFO::colBOB_EFF_LENGTH] = opened.TestType == 2 ? 1.5 : 1.1;
        return row;
    }

    void choose(int entry) {
        c.cmbChartType->setCurrentIndex(entry);
        charts->cmbChartType_Click();
    }
    ~ChartBench() { QDir::setCurrent(oldDir); }
};

void BM_DrawViscPressTempChart(benchmark::State& state) {
    ChartBench bench(int(state.range(0)));
    for (auto _ : state) {
        bench.charts->cmbChartType_Click();  // "Visc, Temp Vs Time"
        benchmark::DoNotOptimize(bench.pesgo1->points());
    }
    state.counters["points"] = bench.pesgo1->points();
}
BENCHMARK(BM_DrawViscPressTempChart)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same chart, its rows read from the database for every draw (a row of
// another table written and deleted before each, untimed).
void BM_DrawViscPressTempChartRowsRead(benchmark::State& state) {
    ChartBench bench(int(state.range(0)));
    db::Command touch(bench.connection.ADOConnection(),
                      "INSERT INTO TEST_ADDITIVE (TEST_ID, ADDITIVE_NM) VALUES (99, 'x')");
    db::Command untouch(bench.connection.ADOConnection(), "DELETE FROM TEST_ADDITIVE WHERE TEST_ID = 99");
    for (auto _ : state) {
        state.PauseTiming();
        touch.execute();
        untouch.execute();
        state.ResumeTiming();
        bench.charts->cmbChartType_Click();
        benchmark::DoNotOptimize(bench.pesgo1->points());
    }
    state.counters["points"] = bench.pesgo1->points();
}
BENCHMARK(BM_DrawViscPressTempChartRowsRead)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5);

// The chart the operator waits longest for (three scales, three curves and
// the legend) drawn and painted into an image of 1280 x 800, as the window
// shows it.
void BM_DrawAndPaintViscPressTempChart(benchmark::State& state) {
    ChartBench bench(int(state.range(0)));
    bench.pesgo1->resize(1280, 800);
    QImage image(1280, 800, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        bench.charts->cmbChartType_Click();
        bench.pesgo1->render(&image);
        benchmark::DoNotOptimize(image.bits());
    }
    state.counters["points"] = bench.pesgo1->points();
}
BENCHMARK(BM_DrawAndPaintViscPressTempChart)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5);

// 100 redraws of that chart, painted, with the event loop let run between
// them (what is deleted later is deleted): the resident size may not grow.
// Each redraw holds the test's rows while it runs and the sample after it
// varies by some MiB, so the growth is the lowest sample of the last ten
// redraws less the lowest of the first ten (rss_growth_MiB).
void BM_ChartRedrawMemory(benchmark::State& state) {
    ChartBench bench(int(state.range(0)));
    bench.pesgo1->resize(1280, 800);
    QImage image(1280, 800, QImage::Format_ARGB32_Premultiplied);
    const auto redraw = [&] {
        bench.charts->cmbChartType_Click();
        bench.pesgo1->render(&image);
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return benchmem::procStatusMiB("VmRSS");
    };
    for (int k = 0; k < 5; ++k) redraw();  // caches and pools filled
    double first = 0, last = 0;
    for (auto _ : state) {
        first = last = std::numeric_limits<double>::infinity();
        for (int k = 0; k < 100; ++k) {
            const double rss = redraw();
            if (k < 10) first = std::min(first, rss);
            if (k >= 90) last = std::min(last, rss);
        }
    }
    state.counters["rss_first_MiB"] = first;
    state.counters["rss_growth_MiB"] = last - first;
}
BENCHMARK(BM_ChartRedrawMemory)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

// "Shr. Stress Vs. Shr. Rate": the rows come in time order, so the shear rates
// rise and fall with every ramp and the chart's X sort has most of the work.
void BM_DrawStressRateChart(benchmark::State& state) {
    ChartBench bench(int(state.range(0)));
    bench.c.cmbChartType->setCurrentIndex(1);
    for (auto _ : state) {
        bench.charts->cmbChartType_Click();
        benchmark::DoNotOptimize(bench.pesgo1->points());
    }
    state.counters["points"] = bench.pesgo1->points();
}
BENCHMARK(BM_DrawStressRateChart)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The other 2-D rheology charts (entry 2 "Visc Vs. Sample Temp" to 6 "Fann35,
// Temp, Press Vs. Time").
void BM_DrawRheologyChart(benchmark::State& state) {
    ChartBench bench(int(state.range(0)));
    for (auto _ : state) {
        bench.choose(int(state.range(1)));
        benchmark::DoNotOptimize(bench.pesgo1->points());
    }
    state.counters["points"] = bench.pesgo1->points();
}
BENCHMARK(BM_DrawRheologyChart)
    ->ArgsProduct({{100000}, {2, 3, 4, 5, 6}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// The three 3-D charts (list entries 0 to 2).
void BM_Draw3DChart(benchmark::State& state) {
    ChartBench bench(int(state.range(0)));
    bench.c.opt2D->setChecked(false);
    bench.c.opt3D->setChecked(true);
    bench.charts->ChartMode = 2;
    bench.c.cmbChartType->clear();
    bench.c.cmbChartType->addItems(MainCharts::kChartList3D);
    for (auto _ : state) {
        bench.choose(int(state.range(1)));
        benchmark::DoNotOptimize(bench.pe3do1->points());
    }
    state.counters["points"] = bench.pe3do1->points();
}
BENCHMARK(BM_Draw3DChart)->ArgsProduct({{100000}, {0, 1, 2}})->Unit(benchmark::kMillisecond)->Iterations(3);

// The three PVT charts (list entries 0 to 2).
void BM_DrawPvtChart(benchmark::State& state) {
    ChartBench bench(int(state.range(0)), 1);
    for (auto _ : state) {
        bench.choose(int(state.range(1)));
        benchmark::DoNotOptimize(bench.pesgo1->points());
    }
    state.counters["points"] = bench.pesgo1->points();
}
BENCHMARK(BM_DrawPvtChart)->ArgsProduct({{100000}, {0, 1, 2}})->Unit(benchmark::kMillisecond)->Iterations(3);

// The five swell charts (list entries 0 to 4).
void BM_DrawSwellChart(benchmark::State& state) {
    ChartBench bench(int(state.range(0)), 2);
    for (auto _ : state) {
        bench.choose(int(state.range(1)));
        benchmark::DoNotOptimize(bench.pesgo1->points());
    }
    state.counters["points"] = bench.pesgo1->points();
}
BENCHMARK(BM_DrawSwellChart)->ArgsProduct({{100000}, {0, 1, 2, 3, 4}})->Unit(benchmark::kMillisecond)->Iterations(3);

// A second test of 100,000 rows drawn over the chart of the first (timed: the
// overlay alone, its rows read, converted, sorted and the chart redrawn with
// both curves). Arguments: rows, test kind, list entry.
void BM_DrawOverlay(benchmark::State& state) {
    const qint32 kind = qint32(state.range(1));
    ChartBench bench(int(state.range(0)), kind, true);
    const RowArray second = bench.secondTestInfo();
    for (auto _ : state) {
        state.PauseTiming();
        bench.choose(int(state.range(2)));
        state.ResumeTiming();
        bench.charts->DrawOverlay(QStringLiteral("Second test"), second);
        benchmark::DoNotOptimize(bench.pesgo1->subsets());
    }
    state.counters["subsets"] = bench.pesgo1->subsets();
}
BENCHMARK(BM_DrawOverlay)
    ->Args({100000, 0, 1})
    ->Args({100000, 0, 2})
    ->Args({100000, 0, 3})
    ->Args({100000, 0, 4})
    ->Args({100000, 0, 5})
    ->Args({100000, 1, 1})
    ->Args({100000, 1, 2})
    ->Args({100000, 2, 1})
    ->Args({100000, 2, 2})
    ->Args({100000, 2, 3})
    ->Args({100000, 2, 4})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
