#include "data/clsConnection.h"
#include "data/Globals.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDb.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testing_support::ScriptedDialogs;
using testing_support::InFolder;
using testing_support::TempDb;

TEST(Connection, OpensTheDatabaseOfTheWorkingFolder) {
    TempDb tmp;
    InFolder in(tmp.dir());
    ScriptedDialogs dialogs;
    clsConnection c;
    c.OpenDB("Z3080", "", "", "");
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("\n").toStdString();
    ASSERT_NE(c.ADOConnection(), nullptr);
    EXPECT_TRUE(c.ADOConnection()->isOpen());
    EXPECT_EQ(gAppPath, QDir(tmp.dir()).canonicalPath());
}

TEST(Connection, MissingDatabaseShowsTheMessageAndCreatesNoFile) {
    QTemporaryDir dir;
    InFolder in(dir.path());
    ScriptedDialogs dialogs;
    clsConnection c;
    c.OpenDB();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].prompt.startsWith("clsConnection.OpenConnection: Error #: "));
    EXPECT_TRUE(dialogs.messages[0].prompt.contains("\r\n"));
    EXPECT_EQ(dialogs.messages[0].style, ui::vbOKOnly);
    EXPECT_EQ(gAppPath, QDir(dir.path()).canonicalPath());
    EXPECT_FALSE(QFile::exists(dir.filePath("Z3080daq.accdb")));
    EXPECT_FALSE(c.ADOConnection()->isOpen());
}

TEST(Connection, FileThatIsNotADatabaseIsRefusedAndLeftAlone) {
    QTemporaryDir dir;
    InFolder in(dir.path());
    QFile f(dir.filePath("Z3080daq.accdb"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is not a database, it is a note the operator left here\n");
    f.close();
    ScriptedDialogs dialogs;
    clsConnection c;
    c.OpenDB();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].prompt.contains("not a Z3080DAQ database"));
    EXPECT_FALSE(c.ADOConnection()->isOpen());
    QFile g(dir.filePath("Z3080daq.accdb"));
    ASSERT_TRUE(g.open(QIODevice::ReadOnly));
    EXPECT_EQ(g.readAll(), QByteArray("this is not a database, it is a note the operator left here\n"));
}

TEST(Connection, TransactionsHandOutOneToken) {
    TempDb tmp;
    InFolder in(tmp.dir());
    ScriptedDialogs dialogs;
    clsConnection c;
    c.OpenDB();
    int t = c.BeginTrans();
    EXPECT_GE(t, 1);
    EXPECT_LE(t, 1000000);
    EXPECT_EQ(c.BeginTrans(), 0);
    EXPECT_FALSE(c.CommitTrans(t + 1));
    EXPECT_TRUE(c.InTransaction());
    EXPECT_TRUE(c.CommitTrans(t));
    EXPECT_FALSE(c.InTransaction());
}

#include "data/clsTEST_RESULT.h"

#include <QElapsedTimer>
#include <QSqlQuery>

// Another program holding the database locked: a write waits no longer than
// the program's bound, then fails with a database error that names the
// database's state; nothing stored is lost and the next point goes in once
// the lock is gone.
TEST(Connection, LockedDatabaseFailsTheWriteWithinTheBoundAndLosesNothing) {
    TempDb tmp;
    InFolder in(tmp.dir());
    ScriptedDialogs dialogs;
    clsConnection c;
    c.OpenDB();
    ASSERT_TRUE(c.ADOConnection()->isOpen());

    clsTEST_RESULT r;
    r.Test_Id(7);
    r.ConnectX(&c);
    r.RESULT_TIME(0);
    r.AddNew();

    db::Connection other;
    other.open(tmp.path());
    QSqlQuery lock(other.handle());
    ASSERT_TRUE(lock.exec("BEGIN EXCLUSIVE"));
    ASSERT_TRUE(lock.exec("INSERT INTO TEST_RESULT (TEST_ID, RESULT_TIME) VALUES (7, 30)"));

    r.RESULT_TIME(60);
    try {
        r.AddNew();
        FAIL() << "a write to a locked database succeeded";
    } catch (const db::DbError& e) {
        EXPECT_TRUE(e.description().contains("locked")) << e.description().toStdString();
        EXPECT_EQ(db::StateText(e), "in use by another program");
    }
    EXPECT_LE(db::WaitedInLastSecondMs(), db::kWaitPerSecondMs);
    ASSERT_TRUE(lock.exec("COMMIT"));

    r.RESULT_TIME(120);
    r.AddNew();
    r.ConnectX(&c);
    ASSERT_EQ(r.TotalPoints(), 3);
    std::vector<double> times;
    for (r.MoveFirst(); !r.Eof(); r.MoveNext()) times.push_back(r.RESULT_TIME());
    EXPECT_EQ(times, (std::vector<double>{0, 30, 120}));
}

#include "support/DatabaseFaults.h"

#include <functional>
#include <optional>

// SQLite's own full error in the middle of a write of several statements
// (SQLite then undoes the transaction itself, and the ROLLBACK finds none),
// room made again, then another write of several statements refused half-way:
// each write is whole or nothing, read back from the database, and the
// connection says no transaction is open.
namespace {
// A fresh database in the working folder, opened by the connection.
struct OpenedDatabase {
    TempDb tmp;
    InFolder in{tmp.dir()};
    ScriptedDialogs dialogs;
    clsConnection connection;
    OpenedDatabase() { connection.OpenDB(); }
};
}  // namespace

TEST(Connection, AfterAFullDiskEveryWriteIsStillWholeOrNothing) {
    OpenedDatabase opened;
    clsConnection& c = opened.connection;
    const ScriptedDialogs& dialogs = opened.dialogs;
    ASSERT_TRUE(c.ADOConnection()->isOpen());

    testing_support::RefuseAWriteOnAFullDisk(c);
    EXPECT_FALSE(c.InTransaction());

    struct Refusal {
        const char* what;
        bool full;  // the database may not grow (FullDatabase) meanwhile
        // After the write's first statement: the rest of it, refused.
        std::function<void(db::Command& insert)> rest;
    };
    const QString name = QStringLiteral("second write");
    const Refusal refusals[] = {
        {"a text longer than its parameter", false,
         [&](db::Command& insert) {
             insert.setValue(0, QString(51, 'x'));
             insert.execute();
         }},
        {"the disk full again", true,
         [&](db::Command& insert) {
             for (int i = 0; i < 10000; ++i) {
                 insert.setValue(0, QStringLiteral("filling up %1").arg(i));
                 insert.execute();
             }
         }},
        // A write that goes on after a refusal it caught: SQLite has undone
        // the transaction, and what follows is not stored alone.
        {"a statement after the database undid the transaction", true,
         [&](db::Command& insert) {
             db::Command result(c.ADOConnection(),
                                QStringLiteral("INSERT INTO TEST_RESULT (TEST_ID, RESULT_TIME) VALUES (97, 1)"));
             try {
                 result.execute();
             } catch (const db::DbError&) {
             }
             insert.setValue(0, QStringLiteral("after the refusal"));
             insert.execute();
         }},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.what);
        std::optional<testing_support::FullDatabase> full;
        if (r.full) {
            full.emplace(c);
            ASSERT_TRUE(full->full());
        }
        EXPECT_TRUE(testing_support::WriteRefusedAfterItsFirstStatement(c, name, r.rest));
        EXPECT_FALSE(c.InTransaction());
        if (full) full->MakeRoom();
        QSqlQuery q(c.ADOConnection()->handle());
        ASSERT_TRUE(q.exec(QStringLiteral("SELECT TEST_NAME FROM TEST_INFO")));
        QStringList stored;
        while (q.next()) stored << q.value(0).toString();
        EXPECT_EQ(stored, QStringList{}) << stored.join(", ").toStdString();
        ASSERT_TRUE(q.exec(QStringLiteral("DELETE FROM TEST_RESULT WHERE TEST_ID = 99")));
    }

    // And a write the database takes is stored whole.
    RunInTransaction(&c, [&] {
        for (const char* n : {"one", "two"}) {
            db::Command insert(c.ADOConnection(), QStringLiteral("INSERT INTO TEST_INFO (TEST_NAME) VALUES (?)"));
            insert.appendParameter(QStringLiteral("TEST_NAME"), db::adVarChar, 50, QString::fromLatin1(n));
            insert.execute();
        }
    });
    QSqlQuery q(c.ADOConnection()->handle());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT COUNT(*) FROM TEST_INFO")) && q.next());
    EXPECT_EQ(q.value(0).toInt(), 2);
    EXPECT_FALSE(c.InTransaction());
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("\n").toStdString();
}
