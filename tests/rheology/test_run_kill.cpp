// A run whose application process is killed: every point the application had
// stored before the kill is in the database afterwards, and the database is
// whole. The application is the run driver (a rheology window running a
// stored sequence on a fast clock against the simulated unit), killed with
// SIGKILL after it has reported a few dozen stored points.

#include "support/UnitWindowFixture.h"
#include "support/StoredSequences.h"

#include "platform/Database.h"
#include "support/UnitSimulator.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <chrono>
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
