// Drawing the "Visc, Temp Vs Time" chart of a stored rheology test of
// 100,000 result rows: the rows read from the database, filtered, converted
// and written to the chart, and the chart redrawn.

#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QWidget>

#include "charts/MainCharts.h"
#include "data/Globals.h"
#include "data/Settings.h"
#include "data/clsConnection.h"
#include "data/clsTEST_RESULT.h"
#include "platform/Database.h"
#include "platform/Pe3dChart.h"
#include "platform/PeChart.h"

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

    explicit ChartBench(int rows) {
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
                           "CYCLE_NO) VALUES (1, ?, ?, ?, ?, ?, ?, ?, ?, 0, 1)");
        for (const char* name : {"step", "rampstep", "time", "temp", "press", "rate", "stress", "type"})
            insert.appendParameter(QString::fromLatin1(name), db::adDouble);
        for (int i = 0; i < rows; ++i) {
            const bool ramp = (i / 50) % 2 == 1;
            const double values[] = {double(i / 100 + 1), ramp ? double(i % 50) : 0.0, i * 2.0,
                                     75.0 + (i % 3000) * 0.1, 1000.0 + (i % 500), ramp ? 5.0 + (i % 50) * 10 : 170.0,
                                     200.0 + (i % 97), ramp ? 1.0 : 0.0};
            for (int k = 0; k < 8; ++k) insert.setValue(k, values[k]);
            insert.execute();
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
        opened.TestType = 0;
        charts = std::make_unique<MainCharts>(*pesgo1, *pe3do1, c, opened, results, &connection);
        c.cmbChartType->addItems(MainCharts::kChartList2D);
        c.cmbChartType->setCurrentIndex(0);
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
