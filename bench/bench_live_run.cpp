// One recorded point of a rheology run in one unit window, with 10,000
// points of the test already stored: the reply parsed, the result row
// written, the live grid brought up to date and the live chart replotted
// (the most recent 5000 points of seven quantities). Broken down into its
// parts as well, and with the power-law analysis that ends a ramp cycle.
// The event loop's deferred deletions run after every tick, as they do in
// the application; the growth of the resident size is reported.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QFile>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "ProcMemory.h"
#include "platform/ModalShow.h"
#include "support/UnitSimulator.h"
#include "unitlink/StoredTransferRead.h"
#include "data/Globals.h"
#include "data/Settings.h"
#include "data/clsConnection.h"
#include "data/clsTEST_INFO.h"
#include "platform/Database.h"
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"
#include "platform/PeChart.h"
#include "dialogs/NewTestRecord.h"
#include "dialogs/frmTestRelatedInfo.h"
#include "rheology/frmRealTime.h"
#include "unitrun/RowSpool.h"
#include "unitrun/RunStates.h"

namespace {

// Message boxes answered OK and counted; nothing else may ask anything.
struct CountedAnswers : ui::Handler {
    int said = 0;
    int message(const ui::MessageRequest&) override { return ++said, ui::vbOK; }
    std::optional<QString> input(const ui::InputRequest&) override { std::abort(); }
    std::optional<QString> file(const ui::FileRequest&) override { std::abort(); }
};

struct LiveRunBench {
    QTemporaryDir dir;
    QString oldDir = QDir::currentPath();
    clsConnection connection;
    std::unique_ptr<frmRealTime> w;
    QString frame;
    int points = 0;

    explicit LiveRunBench(int stored) {
        QFile::copy(QStringLiteral(Z3080_EMPTY_DB), dir.filePath(QStringLiteral("Z3080daq.accdb")));
        QFile::setPermissions(dir.filePath(QStringLiteral("Z3080daq.accdb")), QFile::ReadOwner | QFile::WriteOwner);
        QDir::setCurrent(dir.path());
        connection.OpenDB();
        gUnitSystem = 2;  // SI: temperatures and stresses converted
        w = std::make_unique<frmRealTime>();
        w->InitialInst(&connection);

        newtest::NewTestFields f;
        f.testName = QStringLiteral("Bench run");
        f.bobNo = QStringLiteral("B1");
        f.bobRadius = 1.7245;
        w->TestId = newtest::AddTestInfo(*w->mTestInfo, f, QDateTime::currentDateTime());
        w->mBobRadius = f.bobRadius;
        w->mReply.SetBobRadius(f.bobRadius);
        w->MSFlexGrid1->Rows(1);

        // A run of steps of 60 step samples and a four-speed ramp of 10
        // samples per speed, two cycles each: the grid and its analyses as
        // the run made them.
        db::Connection* db = connection.ADOConnection();
        db->beginTransaction();
        while (points < stored) recordNext();
        db->commit();
        frame = QStringLiteral("#01,300.0,300.0,99.9,60.1,2000,6.0,02000,0,") + QChar(26);
    }
    ~LiveRunBench() {
        w.reset();
        QDir::setCurrent(oldDir);
    }

    // The run state of the next point, as the run loop walks the sequence.
    void advance() {
        const int inCycle = points % 100;
        const int cycle = (points / 100) % 2 + 1;
        const int step = points / 200 + 1;
        w->CurStep = step;
        w->CurCycle = cycle;
        w->mRampEntryNo = inCycle < 60 ? 0 : (inCycle - 60) / 10 + 1;
        w->mPhase = w->mRampEntryNo > 0 ? 1 : 0;
        w->ElapsedSeconds = points * 5;
        unit::UnitReadings& r = w->mReply.readings;
        static const double rates[] = {170, 511, 340, 170, 85};
        r.mShearRate = rates[w->mRampEntryNo];
        r.mShearStress = 30 * std::pow(r.mShearRate, 0.45) * (1 + 0.01 * (points % 7));
        r.mSampleTemp = 80 + (points % 2000) * 0.11;
        r.mPressure = 1000 + step;
        r.mGel = 6;
        ++points;
    }
    void recordNext() {
        advance();
        w->SaveResultRow();
        w->UpdateResultGrid();
    }
    // One tick that records a point, in the run loop's order.
    void tick(bool fullRefresh) {
        w->mReply.Parse(frame, w->RunState == runloop::kStepRunning);
        advance();
        w->SaveResultRow();
        if (fullRefresh)
            w->RefreshRealTimeChart();
        else
            w->PlotAllSeries();
        w->UpdateResultGrid();
    }
};

void BM_LiveTick(benchmark::State& state) {
    LiveRunBench bench(int(state.range(0)));
    const bool full = state.range(1) != 0;
    bench.tick(full);  // the first plot of the stored points
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const double before = benchmem::procStatusMiB("VmRSS");
    for (auto _ : state) {
        bench.tick(full);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    state.counters["rss_growth_MiB"] = benchmem::procStatusMiB("VmRSS") - before;
    state.counters["stored"] = bench.points;
    state.counters["plotted"] = bench.w->Pesgo1->points();
    state.counters["gridRows"] = bench.w->MSFlexGrid1->Rows();
}
// Args: stored points, then 0 = PlotAllSeries (the run loop's call), 1 = RefreshRealTimeChart.
BENCHMARK(BM_LiveTick)->Args({10000, 0})->Args({10000, 1})->Unit(benchmark::kMillisecond)->Iterations(100);

// Eight unit windows, each with 10,000 points of its own test stored, each
// recording a point on the same tick: the CPU time of one tick divided by
// eight is the cost per unit.
void BM_EightWindowsTick(benchmark::State& state) {
    std::vector<std::unique_ptr<LiveRunBench>> units;
    for (int u = 0; u < 8; ++u) units.push_back(std::make_unique<LiveRunBench>(10000));
    for (auto& unit : units) unit->tick(false);  // the first plot of the stored points
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const double before = benchmem::procStatusMiB("VmRSS");
    for (auto _ : state) {
        for (auto& unit : units) unit->tick(false);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    state.counters["rss_growth_MiB"] = benchmem::procStatusMiB("VmRSS") - before;
    // Reported per unit tick: seconds per item = CPU time of one unit's tick.
    state.SetItemsProcessed(state.iterations() * 8);
    state.counters["s_per_unit_tick"] =
        benchmark::Counter(double(state.iterations() * 8), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_EightWindowsTick)->Unit(benchmark::kMillisecond)->Iterations(50);

// A download of a stored test of several seconds from a unit on a
// pseudo-terminal (the request, the first read 2 s later, then a read every
// half second while the pieces come) while four other windows, each with
// 10,000 points of its test stored, record a point on every tick of their
// timers, on the event loop as in the application. The longest gap between
// two ticks of any recording window is reported against the tick: it stays
// within one tick plus the tick's own work (the download holds nobody).
void BM_DownloadBesideRecordingWindows(benchmark::State& state) {
    constexpr int kTickMs = runloop::kTickMs;
    CountedAnswers answers;
    ui::Handler* previous = ui::setHandler(&answers);
    const ui::ModalShower previousShower = ui::setModalShower([](QDialog& d) {
        auto& info = static_cast<frmTestRelatedInfo&>(d);
        info.txtTestName->setText(QStringLiteral("Downloaded"));
        info.txtBobNo->setText(QStringLiteral("B1"));
        info.cmdOk_Click();
        return int(QDialog::Accepted);
    });

    std::vector<std::unique_ptr<LiveRunBench>> recording;
    for (int u = 0; u < 4; ++u) recording.push_back(std::make_unique<LiveRunBench>(10000));
    LiveRunBench downloading(0);
    testing_support::UnitSimulator unit;
    QByteArrayList records;
    for (int i = 0; i < 200; ++i)
        records << QByteArray("1,0,") + QByteArray::number(5 * i) + ",300.5,301,5000,170.2,123.4,0";
    unit.setStoredTest(records, true, 512, 300);  // about 4 s of pieces
    unit.setPeriod(0);
    unit.attachToPort(9);
    unit.start();
    frmRealTime& w = *downloading.w;
    w.MSComm1.PortNumber(9);
    w.MSComm1.Settings(QStringLiteral("115200,n,8,1"));
    w.MSComm1.PortOpen(true);

    double longestGap = 0;
    int ticks = 0;
    int stored = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        std::vector<qint64> last(recording.size(), -1);
        for (size_t u = 0; u < recording.size(); ++u) {
            LiveRunBench* bench = recording[u].get();
            bench->w->Timer1.Timer = [&, bench, u] {
                const qint64 now = clock.elapsed();
                if (last[u] >= 0) longestGap = std::max(longestGap, double(now - last[u]));
                last[u] = now;
                ++ticks;
                bench->tick(false);
            };
            bench->w->Timer1.Interval(kTickMs);
            bench->w->Timer1.Enabled(true);
        }
        w.cmdRetrieve_Click();
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            if (!w.DownloadUnderWay()) loop.quit();
        });
        poll.start(20);
        loop.exec();
        for (auto& bench : recording) bench->w->Timer1.Enabled(false);
        QSqlQuery rows(downloading.connection.ADOConnection()->handle());
        rows.exec(QStringLiteral("SELECT COUNT(*) FROM TEST_RESULT WHERE TEST_ID = %1").arg(w.TestId));
        stored = rows.next() ? rows.value(0).toInt() : 0;
    }
    unit.stop();
    ui::setModalShower(previousShower);
    ui::setHandler(previous);
    state.counters["longest_gap_ms"] = longestGap;
    state.counters["tick_ms"] = kTickMs;
    state.counters["longest_late_ms"] = longestGap - kTickMs;
    state.counters["ticks"] = ticks;
    state.counters["rows_downloaded"] = stored;
    state.counters["messages"] = answers.said;
}
BENCHMARK(BM_DownloadBesideRecordingWindows)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// A frame written to a line that takes nothing more (its far end reads
// nothing, the terminal's buffer full): the write is refused within its
// bound (comm::kWriteWaitMs), as 8030, instead of holding every window's
// tick. The longest write is reported against the bound.
void BM_WriteToALineWithoutRoom(benchmark::State& state) {
    double longest = 0;
    int refused = 0;
    for (auto _ : state) {
        testing_support::UnitSimulator unit;  // never started nor pumped: it reads nothing
        unit.attachToPort(9);
        comm::CommPort port;
        port.PortNumber(9);
        port.Settings(QStringLiteral("115200,n,8,1"));
        port.PortOpen(true);
        const QString block(4096, QLatin1Char('x'));
        for (int i = 0; i < 10000 && port.PortOpen(); ++i) {
            QElapsedTimer t;
            t.start();
            try {
                port.Output(block);
            } catch (const comm::CommError& e) {
                longest = std::max(longest, double(t.nsecsElapsed()) / 1e6);
                refused += e.number() == comm::ErrWriteDevice;
            }
        }
    }
    state.counters["longest_write_ms"] = longest;
    state.counters["bound_ms"] = comm::kWriteWaitMs;
    state.counters["refused"] = refused;
}
BENCHMARK(BM_WriteToALineWithoutRoom)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// One recording tick while another program holds the database locked
// (BEGIN EXCLUSIVE on a second connection), as the run loop does it: the
// rows waiting tried first, then the point recorded, its row kept behind
// them, kept on disk in the spool (flushed) before the tick ends. The tick's
// wait is bounded (runloop::kTickDatabaseWaitMs) instead of the connection's
// 20 s time-out; the longest tick, the rows waiting at the end and those in
// the spool are reported.
void BM_LiveTickWhileLocked(benchmark::State& state) {
    LiveRunBench bench(int(state.range(0)));
    bench.tick(false);  // the first plot of the stored points
    // The run says the first refusal once; nothing else may ask anything.
    CountedAnswers answers;
    ui::Handler* previous = ui::setHandler(&answers);
    db::Connection other;
    other.open(bench.dir.filePath(QStringLiteral("Z3080daq.accdb")));
    QSqlQuery lock(other.handle());
    if (!lock.exec(QStringLiteral("BEGIN EXCLUSIVE"))) state.SkipWithError("the database could not be locked");
    double longest = 0;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        bench.w->StoreWaitingRows();
        bench.tick(false);
        longest = std::max(longest, double(t.nsecsElapsed()) / 1e6);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    lock.exec(QStringLiteral("COMMIT"));
    ui::setHandler(previous);
    state.counters["longest_tick_ms"] = longest;
    state.counters["bound_ms"] = runloop::kTickDatabaseWaitMs;
    state.counters["rows_waiting"] = bench.w->RowsWaiting();
    state.counters["rows_spooled"] = double(runloop::RowSpool::Program().Rows().size());
    state.counters["messages"] = answers.said;
}
BENCHMARK(BM_LiveTickWhileLocked)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(20);

// Start's writes while another connection holds the database locked (BEGIN
// EXCLUSIVE): the new test's TEST_INFO row and three additives in one
// transaction, as the test information dialog's Start makes them
// (newtest::StoreNewTest), refused with the database's state. Arg 1: each
// click on its own, a second apart (the statement's whole wait,
// db::kStatementWaitMs); arg 0: clicks one after another, once the program's
// waits of the second (db::kWaitPerSecondMs) are spent refused at once. The
// longest click is reported against the statement's bound.
void BM_StartWhileLocked(benchmark::State& state) {
    const bool apart = state.range(0) != 0;
    LiveRunBench bench(0);
    CountedAnswers answers;
    ui::Handler* previous = ui::setHandler(&answers);
    frmTestRelatedInfo dialog(&bench.connection);
    dialog.txtTestName->setText(QStringLiteral("Refused run"));
    dialog.txtBobNo->setText(QStringLiteral("B1"));
    for (int r = 1; r <= 3; ++r) {
        dialog.MSFlexGrid1->TextMatrix(r, 0, QStringLiteral("Additive %1").arg(r));
        dialog.MSFlexGrid1->TextMatrix(r, 1, QString::number(r));
    }
    const newtest::NewTestFields fields = newtest::FieldsOf(dialog);
    db::Connection other;
    other.open(bench.dir.filePath(QStringLiteral("Z3080daq.accdb")));
    QSqlQuery lock(other.handle());
    if (!lock.exec(QStringLiteral("BEGIN EXCLUSIVE"))) state.SkipWithError("the database could not be locked");
    double longest = 0;
    int stored = 0;
    for (auto _ : state) {
        if (apart) {
            state.PauseTiming();
            QThread::msleep(1050);  // the program's waits of the second before are over
            state.ResumeTiming();
        }
        QElapsedTimer t;
        t.start();
        const std::optional<qint32> id = newtest::StoreNewTest(
            &bench.connection,
            [&] { return newtest::AddTestInfo(*bench.w->mTestInfo, fields, QDateTime::currentDateTime()); },
            *bench.w->mTestAdditive, dialog);
        longest = std::max(longest, double(t.nsecsElapsed()) / 1e6);
        stored += id.has_value();
    }
    lock.exec(QStringLiteral("COMMIT"));
    ui::setHandler(previous);
    state.counters["longest_click_ms"] = longest;
    state.counters["bound_ms"] = db::kStatementWaitMs;
    state.counters["refused"] = answers.said;
    state.counters["stored"] = stored;
}
BENCHMARK(BM_StartWhileLocked)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_StartWhileLocked)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(20);

// A rheology test recording from its first point, the event loop let run
// after every point as in the application (the window shown and painted, or
// not shown): the growth of the resident size per 1000 recorded points, over
// the first and the second half of the run.
void BM_LiveRecordingMemory(benchmark::State& state) {
    const int total = int(state.range(0));
    for (auto _ : state) {
        LiveRunBench bench(0);
        if (state.range(1) != 0) {
            bench.w->resize(1280, 760);
            bench.w->show();
        }
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const double start = benchmem::procStatusMiB("VmRSS");
        double half = start;
        for (int i = 0; i < total; ++i) {
            bench.tick(false);
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            if (i + 1 == total / 2) half = benchmem::procStatusMiB("VmRSS");
        }
        const double end = benchmem::procStatusMiB("VmRSS");
        state.counters["MiB_per_1000_first_half"] = (half - start) * 2000.0 / total;
        state.counters["MiB_per_1000_second_half"] = (end - half) * 2000.0 / total;
        state.counters["plotted"] = bench.w->Pesgo1->points();
    }
}
// Args: recorded points, then 1 = the window shown.
BENCHMARK(BM_LiveRecordingMemory)->Args({2000, 0})->Args({2000, 1})->Unit(benchmark::kMillisecond)->Iterations(1);

// The parts of a tick.
void BM_LiveTickParts(benchmark::State& state) {
    LiveRunBench bench(10000);
    const int part = int(state.range(0));
    for (auto _ : state) {
        switch (part) {
            case 0: bench.w->mReply.Parse(bench.frame, bench.w->RunState == runloop::kStepRunning); break;
            case 1:
                bench.advance();
                bench.w->SaveResultRow();
                break;
            case 2: bench.w->UpdateResultGrid(); break;
            case 3:
                bench.w->PlotAllSeries();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                break;
            case 4: bench.w->CalcRampPowerLaw(); break;  // once per finished ramp cycle
        }
    }
}
// 0 parse, 1 record, 2 grid, 3 chart, 4 power-law analysis.
BENCHMARK(BM_LiveTickParts)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->Iterations(100);

}  // namespace
