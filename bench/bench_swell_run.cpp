// One recorded point of the swell window with 10,000 rows of its test
// already stored: the row written, its grid row added and the live chart
// brought up to date (the most recent 5000 rows, four curves). The event
// loop's deferred deletions run after every tick, as they do in the
// application; the growth of the resident size over the run is reported.

#include <benchmark/benchmark.h>

#include <QCheckBox>
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
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"
#include "platform/PeChart.h"
#include "swell/frmSWMTest.h"

namespace {

// Messages (the sensor calibration file the bench does not write) are
// answered without a dialog.
class QuietDialogs : public ui::Handler {
public:
    int message(const ui::MessageRequest&) override { return ui::vbOK; }
    std::optional<QString> input(const ui::InputRequest&) override { return std::nullopt; }
    std::optional<QString> file(const ui::FileRequest&) override { return std::nullopt; }
};

struct SwellRunBench {
    QTemporaryDir dir;
    QString oldDir = QDir::currentPath();
    QuietDialogs quiet;
    ui::Handler* oldHandler = ui::setHandler(&quiet);
    clsConnection connection;
    std::unique_ptr<frmSWMTest> w;
    int points = 0;

    explicit SwellRunBench(int stored) {
        QFile::copy(QStringLiteral(Z3080_EMPTY_DB), dir.filePath(QStringLiteral("Z3080daq.accdb")));
        QFile::setPermissions(dir.filePath(QStringLiteral("Z3080daq.accdb")), QFile::ReadOwner | QFile::WriteOwner);
        QDir::setCurrent(dir.path());
        connection.OpenDB();
        gUnitSystem = 2;  // SI: temperatures converted
        w = std::make_unique<frmSWMTest>(1, &connection);
        for (QCheckBox* box : {w->chkSwell, w->chkSpeed, w->chkTemp, w->chkPress}) box->setChecked(true);

        newtest::NewTestFields f;
        f.testName = QStringLiteral("Bench swell");
        f.bobNo = QStringLiteral("LSM");
        w->TestId = newtest::AddTestInfo(*w->mTestInfo, f, QDateTime::currentDateTime());
        w->ChartSampleLength = 0.5;
        w->reply.state.SampleLength = 0.5;
        w->CurStep = 1;
        w->CurCycle = 1;

        // The rows of the run so far, as the run stored them, and their grid rows.
        db::Connection* db = connection.ADOConnection();
        db->beginTransaction();
        clsTEST_RESULT& r = *w->mTestResult;
        for (; points < stored; ++points) {
            r.Test_Id(w->TestId);
            r.RAMP_NO(1);
            r.RAMP_STEP_NO(0);
            r.CYCLE_NO(1);
            r.RESULT_TIME(points);
            r.RESULT_SAMPLE_TEMP(80 + (points % 2000) * 0.11);
            r.RESULT_PRESS(1000 + points % 7);
            r.RESULT_SPEED(20);
            r.RESULT_SHEAR_STRESS(0.001 * (points % 500));
            r.RESULT_TYPE_ID(0);
            r.RESULT_BATH_TEMP(2 + 0.001 * (points % 500));
            r.AddNew();
        }
        db->commit();
        w->MSFlexGrid1->Rows(stored + 1);
        w->Initial_Chart_Swell();
        tick();  // the first recorded point reads the stored rows once
    }
    ~SwellRunBench() {
        w.reset();
        ui::setHandler(oldHandler);
        QDir::setCurrent(oldDir);
    }
    // One recorded point, as the run loop records it every second.
    void tick() {
        auto& s = w->reply.state;
        s.SampleTemp = 80 + (points % 2000) * 0.11;
        s.SamplePress = 1000 + points % 7;
        s.SampleSpeed = 20;
        s.LengthChange = 0.001 * (points % 500);
        s.SwellPercent = s.LengthChange / 0.5 * 100;
        s.RawVoltage = 2 + 0.001 * (points % 500);
        w->ElapsedSeconds = points;
        ++points;
        w->FramesParsed(1);  // the readings above came in a frame
        w->RecordSwellPoint();
    }
};

void BM_SwellRecordingTick(benchmark::State& state) {
    SwellRunBench bench(int(state.range(0)));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const double before = benchmem::procStatusMiB("VmRSS");
    for (auto _ : state) {
        bench.tick();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    state.counters["stored"] = bench.points;
    state.counters["plotted"] = bench.w->Pesgo1->points();
    state.counters["rss_growth_MiB"] = benchmem::procStatusMiB("VmRSS") - before;
}
BENCHMARK(BM_SwellRecordingTick)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(100);

}  // namespace
