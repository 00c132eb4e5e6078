// Test result records: recording points one by one, and loading a long test.

#include "data/clsConnection.h"
#include "data/clsTEST_RESULT.h"
#include "platform/Dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// No window may open during a benchmark: a message box means the set-up failed.

// A temporary folder with a fresh copy of the empty database, opened as the
// application opens it (the working folder is the data folder).
struct Database {
    QTemporaryDir dir;
    clsConnection conn;

    Database() {
        const QString file = dir.filePath(QStringLiteral("Z3080daq.accdb"));
        if (!dir.isValid() || !QFile::copy(QStringLiteral(Z3080_EMPTY_DB), file)) {
            std::fprintf(stderr, "cannot copy the empty database %s\n", Z3080_EMPTY_DB);
            std::abort();
        }
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        const QString old = QDir::currentPath();
        QDir::setCurrent(dir.path());
        conn.OpenDB();
        QDir::setCurrent(old);
    }
};

void setPoint(clsTEST_RESULT& r, qint32 testId, int i) {
    r.Test_Id(testId);
    r.RAMP_NO(1 + i / 1000);
    r.RAMP_STEP_NO(i % 12);
    r.RESULT_TIME(i * 2.0);
    r.RESULT_SAMPLE_TEMP(75.0 + i * 0.0125);
    r.RESULT_PRESS(1000.0 + (i % 997) * 3.7);
    r.RESULT_SPEED(511.0 * 1.70229);
    r.RESULT_SHEAR_STRESS(42.0 + (i % 313) * 0.173);
    r.RESULT_TYPE_ID(i % 2);
    r.RESULT_BATH_TEMP(12.5 + (i % 41) * 0.01);
    r.CYCLE_NO(1 + i / 25000);
}

// (1) Recording: 10,000 points inserted one by one through AddNew, each
// committed by itself, into a fresh copy of the empty database.
void BM_AddNew10000(benchmark::State& state) {
    constexpr int kPoints = 10000;
    for (auto _ : state) {
        state.PauseTiming();
        auto db = std::make_unique<Database>();
        clsTEST_RESULT r;
        r.Test_Id(1);
        r.ConnectX(&db->conn);
        state.ResumeTiming();

        for (int i = 0; i < kPoints; ++i) {
            setPoint(r, 1, i);
            r.AddNew();
        }

        state.PauseTiming();
        r.ConnectX(&db->conn);
        if (r.TotalPoints() != kPoints) state.SkipWithError("points missing");
        db.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kPoints);
}
// Wall-clock time: most of it is the disk syncing each commit.
BENCHMARK(BM_AddNew10000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// A database with one test of 100,000 points (and a smaller test beside it),
// written once in one transaction.
constexpr int kLongTest = 100000;
std::unique_ptr<Database> gLongTest;  // released before the application object
Database& longTestDatabase() {
    if (!gLongTest) {
        auto d = std::make_unique<Database>();
        QSqlQuery q(d->conn.ADOConnection()->handle());
        d->conn.ADOConnection()->beginTransaction();
        q.prepare(QStringLiteral(
            "INSERT INTO TEST_RESULT (TEST_ID, RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, RESULT_PRESS, "
            "RESULT_SPEED, RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP, CYCLE_NO) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        auto insert = [&](int testId, int i) {
            clsTEST_RESULT p;
            setPoint(p, testId, i);
            const RowArray a = p.All();
            for (int c = 1; c < a.size(); ++c) q.bindValue(c - 1, a[c]);
            if (!q.exec()) {
                std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text()));
                std::abort();
            }
        };
        for (int i = 0; i < kLongTest; ++i) {
            insert(2, i);
            if (i % 5 == 0) insert(3, i);
        }
        d->conn.ADOConnection()->commit();
        gLongTest = std::move(d);
        qAddPostRoutine([] { gLongTest.reset(); });  // before the application object goes
    }
    return *gLongTest;
}

// (2) Loading: every point of the long test into the row cache, binding anew
// as the windows do (ConnectX; a fresh record object each time, which has
// read nothing yet) ...
void BM_ConnectX100000(benchmark::State& state) {
    Database& db = longTestDatabase();
    for (auto _ : state) {
        clsTEST_RESULT r;
        r.Test_Id(2);
        r.ConnectX(&db.conn);
        if (r.TotalPoints() != kLongTest) state.SkipWithError("wrong number of points");
    }
    state.SetItemsProcessed(state.iterations() * kLongTest);
}
BENCHMARK(BM_ConnectX100000)->Unit(benchmark::kMillisecond)->UseRealTime();

// ... again on the same record object, the database unchanged since (the
// rows read last are taken again) ...
void BM_ConnectXUnchanged100000(benchmark::State& state) {
    Database& db = longTestDatabase();
    clsTEST_RESULT r;
    for (auto _ : state) {
        r.Test_Id(2);
        r.ConnectX(&db.conn);
        if (r.TotalPoints() != kLongTest) state.SkipWithError("wrong number of points");
    }
    state.SetItemsProcessed(state.iterations() * kLongTest);
}
BENCHMARK(BM_ConnectXUnchanged100000)->Unit(benchmark::kMillisecond)->UseRealTime();

// ... and through GetTestDetail on the prepared key command.
void BM_GetTestDetail100000(benchmark::State& state) {
    Database& db = longTestDatabase();
    clsTEST_RESULT r;
    r.Test_Id(2);
    r.ConnectX(&db.conn);
    for (auto _ : state) {
        r.GetTestDetail();
        if (r.TotalPoints() != kLongTest) state.SkipWithError("wrong number of points");
    }
    state.SetItemsProcessed(state.iterations() * kLongTest);
}
BENCHMARK(BM_GetTestDetail100000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
