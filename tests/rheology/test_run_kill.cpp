// A run whose application process is killed: every point the application had
// stored before the kill is in the database afterwards, and the database is
// whole. The application is the run driver (a rheology window running a
// stored sequence on a fast clock against the simulated unit), killed with
// SIGKILL after it has reported a few dozen stored points. Killed while its
// points wait for a database another connection holds locked, the next start
// on the same folder stores each of them once.

#include "support/UnitWindowFixture.h"
#include "support/StoredSequences.h"

#include "data/Globals.h"
#include "platform/Database.h"
#include "support/DatabaseFaults.h"
#include "support/UnitSimulator.h"
#include "unitrun/RowSpool.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QDir>
#include <QFile>
#include <chrono>
#include <map>
#include <set>

using namespace unit_tests;
using testing_support::UnitSimulator;

using KilledRun = UnitWindowFixture;

TEST_F(KilledRun, EveryPointStoredBeforeTheKillIsInTheDatabase) {
    UnitSimulator unit;
    unit.setPeriod(5);
    unit.attachToPort(1);
    unit.start();
    writePorts({1});
    SeqStep step;
    step.minutes = 30;
    step.temp = 75;  // the unit's sample temperature
    step.tolerance = 5;
    step.interval = 1;
    StoreSequence(conn, "Half an hour", {step});

    QProcess app;
    app.setWorkingDirectory(db.dir());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    app.setProcessEnvironment(env);
    app.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    app.start(QStringLiteral(Z3080_RUN_DRIVER), {"Half an hour", "Killed run"});
    ASSERT_TRUE(app.waitForStarted(10000));

    QByteArray out;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (out.count("ROW ") < 40 && std::chrono::steady_clock::now() < deadline && app.state() == QProcess::Running)
        if (app.waitForReadyRead(100)) out += app.readAllStandardOutput();
    ASSERT_GE(out.count("ROW "), 40) << out.toStdString();
    app.kill();  // SIGKILL: no handler, no flush, no clean-up
    ASSERT_TRUE(app.waitForFinished(10000));
    out += app.readAllStandardOutput();
    EXPECT_EQ(app.exitStatus(), QProcess::CrashExit);
    EXPECT_FALSE(out.contains("DONE")) << "the run ended before the kill";
    EXPECT_FALSE(out.contains("MSG")) << out.toStdString();

    qint32 testId = 0;
    std::set<double> reported;
    for (const QByteArray& line : out.split('\n')) {
        const QList<QByteArray> f = line.trimmed().split(' ');
        if (f.size() == 2 && f[0] == "STARTED") testId = f[1].toInt();
        if (f.size() == 3 && f[0] == "ROW") reported.insert(f[2].toDouble());
    }
    ASSERT_GT(testId, 0) << out.toStdString();

    // The database is whole, and holds every reported point (and at most the
    // one the kill came between storing and reporting).
    db::Command check(conn.ADOConnection(), "PRAGMA integrity_check");
    EXPECT_EQ(check.execute()->columns[0][0].toString(), "ok");
    db::Command rows(conn.ADOConnection(), "SELECT RESULT_TIME FROM TEST_RESULT WHERE TEST_ID = ? ORDER BY RESULT_TIME");
    rows.appendParameter("pTEST_ID", db::adDouble, 0, testId);
    std::set<double> stored;
    const auto found = rows.execute();
    for (const QVariant& t : found->columns[0]) stored.insert(t.toDouble());
    for (double t : reported) EXPECT_TRUE(stored.count(t)) << "point at " << t << " s is missing";
    EXPECT_GE(stored.size(), reported.size());
    EXPECT_LE(stored.size(), reported.size() + 1);
}

namespace {

// The driver's lines "<word> <count> <time>": the times.
std::set<double> reportedTimes(const QByteArray& out, const char* word) {
    std::set<double> times;
    for (const QByteArray& line : out.split('\n')) {
        const QList<QByteArray> f = line.trimmed().split(' ');
        if (f.size() == 3 && f[0] == word) times.insert(f[2].toDouble());
    }
    return times;
}

// Reads the driver's output until `enough` says so (or 30 s, or its end).
void readUntil(QProcess& app, QByteArray& out, const std::function<bool()>& enough) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!enough() && std::chrono::steady_clock::now() < deadline && app.state() == QProcess::Running)
        if (app.waitForReadyRead(100)) out += app.readAllStandardOutput();
}

}  // namespace

TEST_F(KilledRun, PointsWaitingAtTheKillAreStoredOnceAtTheNextStart) {
    UnitSimulator unit;
    unit.setPeriod(5);
    unit.attachToPort(1);
    unit.start();
    writePorts({1});
    SeqStep step;
    step.minutes = 30;
    step.temp = 75;
    step.tolerance = 5;
    step.interval = 1;
    StoreSequence(conn, "Half an hour", {step});

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    auto driver = [&](QProcess& p, const QStringList& args) {
        p.setWorkingDirectory(db.dir());
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QStringLiteral(Z3080_RUN_DRIVER), args);
        ASSERT_TRUE(p.waitForStarted(10000));
    };

    QProcess app;
    driver(app, {"Half an hour", "Spooled run"});
    QByteArray out;
    readUntil(app, out, [&] { return out.count("ROW ") >= 5; });
    ASSERT_GE(out.count("ROW "), 5) << out.toStdString();

    // Another program holds the database: the rows wait, kept in the spool.
    testing_support::LockedDatabase lock(db.path());
    readUntil(app, out, [&] { return out.count("WAIT ") >= 20; });
    ASSERT_GE(out.count("WAIT "), 20) << out.toStdString();
    app.kill();  // SIGKILL while the rows wait
    ASSERT_TRUE(app.waitForFinished(10000));
    out += app.readAllStandardOutput();
    EXPECT_EQ(app.exitStatus(), QProcess::CrashExit);
    const std::set<double> storedBefore = reportedTimes(out, "ROW");
    const std::set<double> waiting = reportedTimes(out, "WAIT");
    lock.Release();

    qint32 testId = 0;
    for (const QByteArray& line : out.split('\n'))
        if (line.startsWith("STARTED ")) testId = line.mid(8).trimmed().toInt();
    ASSERT_GT(testId, 0) << out.toStdString();
    auto storedTimes = [&] {
        std::map<double, int> times;
        db::Command rows(conn.ADOConnection(), "SELECT RESULT_TIME FROM TEST_RESULT WHERE TEST_ID = ?");
        rows.appendParameter("pTEST_ID", db::adDouble, 0, testId);
        const auto found = rows.execute();
        for (const QVariant& t : found->columns[0]) ++times[t.toDouble()];
        return times;
    };
    for (double t : waiting) EXPECT_EQ(storedTimes().count(t), 0u) << "point at " << t << " s was stored before the kill";

    // The next start on the same folder.
    QProcess next;
    driver(next, {"--start"});
    ASSERT_TRUE(next.waitForFinished(30000));
    const QByteArray said = next.readAllStandardOutput();
    EXPECT_EQ(next.exitCode(), 0);

    const std::map<double, int> stored = storedTimes();
    for (double t : storedBefore) EXPECT_EQ(stored.count(t), 1u) << "point at " << t << " s is missing";
    for (double t : waiting) EXPECT_EQ(stored.count(t), 1u) << "waiting point at " << t << " s is missing";
    for (const auto& [t, n] : stored) EXPECT_EQ(n, 1) << "point at " << t << " s is stored " << n << " times";
    // At most the row the kill came between keeping and reporting besides.
    EXPECT_GE(stored.size(), storedBefore.size() + waiting.size());
    EXPECT_LE(stored.size(), storedBefore.size() + waiting.size() + 1);
    const int restored = int(stored.size() - storedBefore.size());
    EXPECT_TRUE(said.contains(QStringLiteral("MSG Recorded points kept from the last run are stored now: %1 points "
                                             "(test \"Spooled run\": %1 points).")
                                  .arg(restored)
                                  .toUtf8()))
        << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("STORED %1 ALREADY 0 WAITING 0").arg(restored).toUtf8())) << said.toStdString();
    EXPECT_FALSE(QFile::exists(QDir(db.dir()).filePath(runloop::kSpoolFileName)));

    // A start after it has nothing left to store.
    QProcess again;
    driver(again, {"--start"});
    ASSERT_TRUE(again.waitForFinished(30000));
    const QByteArray saidAgain = again.readAllStandardOutput();
    EXPECT_EQ(saidAgain.trimmed(), "STORED 0 ALREADY 0 WAITING 0");
    EXPECT_EQ(storedTimes(), stored);
}
