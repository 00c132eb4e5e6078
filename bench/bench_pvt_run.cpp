// One recording tick of the PVT window with 10,000 rows of its test already
// stored: the unit's frame decoded (height and density), the row written,
// the live grid brought up to date and the checked curves of the live chart
// refilled (the most recent 5000 rows, four curves). The event loop's
// deferred deletions run after every tick, as they do in the application;
// the growth of the resident size is reported.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "ProcMemory.h"
#include "data/Globals.h"
#include "data/clsConnection.h"
#include "data/clsTEST_INFO.h"
#include "data/clsTEST_RESULT.h"
#include "dialogs/NewTestRecord.h"
#include "platform/Database.h"
#include "platform/FlexGrid.h"
#include "platform/PeChart.h"
#include "platform/RunClock.h"
#include "pvt/frmPVTtest.h"

#include <QCheckBox>
#include <QLabel>

namespace {

struct PvtRunBench {
    QTemporaryDir dir;
    QString oldDir = QDir::currentPath();
    // The run's clock, moved on by one second at every tick.
    quint32 ms = 1000000;
    tick::ClockSource oldClock = tick::SetClockSource({[this] { return ms; }, {}});
    clsConnection connection;
    std::unique_ptr<frmPVTtest> w;
    QString frame;

    explicit PvtRunBench(int stored) {
        QFile::copy(QStringLiteral(Z3080_EMPTY_DB), dir.filePath(QStringLiteral("Z3080daq.accdb")));
        QFile::setPermissions(dir.filePath(QStringLiteral("Z3080daq.accdb")), QFile::ReadOwner | QFile::WriteOwner);
        QDir::setCurrent(dir.path());
        connection.OpenDB();
        gUnitSystem = 2;  // SI: temperatures converted
        w = std::make_unique<frmPVTtest>();
        w->InitialInst(&connection);
        w->chkTemp->setChecked(true);
        w->chkPress->setChecked(true);
        w->chkPosition->setChecked(true);

        newtest::NewTestFields f;
        f.testName = QStringLiteral("Bench PVT");
        f.bobNo = QStringLiteral("PVT");
        w->TestId = newtest::AddTestInfo(*w->mTestInfo, f, QDateTime::currentDateTime());
        w->reply.iniVol = 100;
        w->reply.iniDensity = 1.2;
        unit::PvtCalibration& c = w->reply.calibration;
        c.count = 5;
        c.heights = {0, 0.25, 0.5, 0.75, 1};
        c.readings = {1000, 800, 600, 400, 200};
        c.slopes = {0, -0.24, -0.24, -0.24, -0.24};
        c.intercepts = {0, 1.05, 1.05, 1.05, 1.05};

        // A long step that records every second, well into its run.
        runloop::RunTables t;
        t.mStepMinutes << 1e6;
        t.mStepTemp << 200;
        t.mStepTempError << 5;
        t.mStepSpeed << 0;
        t.mStepInterval << 1;
        t.mStepPress << 8000;
        t.mStepRunRamp << 0;
        t.mStepTempRate << 0;
        t.mStepCycles << 1;
        t.mStepPressRate << 0;
        t.mStepCount = 1;
        w->TakeSteps(t);
        w->RunState = 1;
        w->CurStep = 1;
        w->CurCycle = 1;
        w->StepTick = 100;  // past the step frame
        w->lblTestname->setText(f.testName);
        w->RefreshPvtChart();

        frame = QStringLiteral("#01,200.0,200.0,0,0,8000,0,8000,740.5,") + QChar(26);
        // The rows of the run so far, as the run stored them.
        db::Connection* db = connection.ADOConnection();
        db->beginTransaction();
        clsTEST_RESULT& r = *w->mTestResult;
        for (int i = 1; i <= stored; ++i) {
            r.Test_Id(w->TestId);
            r.RAMP_NO(1);
            r.RAMP_STEP_NO(0);
            r.RESULT_TIME(i);
            r.RESULT_SAMPLE_TEMP(72 + 0.01 * i);
            r.RESULT_PRESS(8000.0 * i / stored);
            r.RESULT_SPEED(0);
            r.RESULT_SHEAR_STRESS(0.2 * i / stored);
            r.RESULT_BATH_TEMP(900 - 0.016 * i);
            r.CYCLE_NO(1);
            r.RESULT_TYPE_ID(0);
            r.AddNew();
        }
        db->commit();
        // The run and its step started `stored` seconds ago: the next row
        // follows the stored ones in time.
        ms -= quint32(stored) * 1000;
        w->RunClock.Start();
        w->StepClock.Start();
        ms += quint32(stored) * 1000;
        w->mSamples.Forget();
        tick();  // the first recording tick reads the stored rows once
    }
    ~PvtRunBench() {
        w.reset();
        tick::SetClockSource(std::move(oldClock));
        QDir::setCurrent(oldDir);
    }
    // One tick that records a row, in the run loop's order.
    void tick() {
        ms += 1000;
        w->FramesParsed(w->reply.Parse(frame, w->RunState == PvtRun::kRunning).framesParsed);
        w->RunTick();
    }
};

void BM_PvtRecordingTick(benchmark::State& state) {
    PvtRunBench bench(int(state.range(0)));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const double before = benchmem::procStatusMiB("VmRSS");
    for (auto _ : state) {
        bench.tick();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    state.counters["rss_growth_MiB"] = benchmem::procStatusMiB("VmRSS") - before;
    state.counters["stored"] = bench.w->mRowCount;
    state.counters["plotted"] = bench.w->Pesgo1->points();
}
BENCHMARK(BM_PvtRecordingTick)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(100);

}  // namespace
