// The recorded rows a run keeps while the database refuses them, against a
// real database file that the test makes refuse rows: another connection
// holding it locked (BEGIN EXCLUSIVE), a database that is full (its page
// count held where it is). The rows wait in order, a tick does not wait out
// the connection's time-out, and once the database takes rows again every
// row is stored once, in order. Several units refused at once show one
// notice for the program.

#include "unitrun/WaitingRows.h"

#include "platform/Dialogs.h"
#include "unitrun/RunMessages.h"
#include "unitrun/SequenceRun.h"

#include "data/clsConnection.h"
#include "data/clsTEST_RESULT.h"
#include "platform/Database.h"
#include "support/DatabaseFaults.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDb.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QVariant>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

using namespace runloop;
using testing_support::FullDatabase;
using testing_support::InFolder;
using testing_support::LockedDatabase;
using testing_support::ScriptedDialogs;
using testing_support::TempDb;

namespace {

constexpr qint32 kTest = 7;

class StoringRows : public ::testing::Test {
public:
    // ---- the faults --------------------------------------------------------------
    void LockFromAnotherConnection() { lock = std::make_unique<LockedDatabase>(tmp.path()); }
    void Unlock() { lock->Release(); }
    void FillDatabase() { full = std::make_unique<FullDatabase>(conn); }
    void MakeRoom() { full->MakeRoom(); }

protected:
    void SetUp() override {
        conn.OpenDB();  // statements wait within the program's bound for a lock
        ASSERT_TRUE(conn.ADOConnection() && conn.ADOConnection()->isOpen());
        records.Test_Id(kTest);
        records.ConnectX(&conn);
    }

    // The row of a point at `time` s; `stored` notes when it was stored.
    RecordedRow row(double time) {
        ResultPoint p;
        p.v[resultcol::TestId] = kTest;
        p.v[resultcol::ResultTime] = time;
        return {p, QStringLiteral("Mud A"), [this, time](bool late) { stored.emplace_back(time, late); }};
    }
    bool record(double time) { return rows.Record(row(time), insert); }
    // One tick's storing of the rows waiting.
    bool tick() {
        rows.BeginTick();
        return rows.StoreWaiting(insert);
    }
    // The test's rows in the order they were inserted.
    std::vector<double> storedTimes() {
        db::Command cmd(conn.ADOConnection(),
                        QStringLiteral("SELECT RESULT_TIME FROM TEST_RESULT WHERE TEST_ID = %1 ORDER BY TEST_RESULT_ID")
                            .arg(kTest));
        std::vector<double> times;
        for (const QVariant& t : cmd.execute()->columns.value(0)) times.push_back(t.toDouble());
        return times;
    }
    bool exec(const QString& text) {
        QSqlQuery q(conn.ADOConnection()->handle());
        return q.exec(text);
    }

    TempDb tmp;
    InFolder in{tmp.dir()};
    ScriptedDialogs dialogs;
    clsConnection conn;
    clsTEST_RESULT records;
    WaitingRows rows;
    WaitingRows::Insert insert = [this](const ResultPoint& p, int waitMs) { InsertResultRow(&records, p, waitMs); };
    std::vector<std::pair<double, bool>> stored;  // (time, late) of every row stored

    std::unique_ptr<LockedDatabase> lock;
    std::unique_ptr<FullDatabase> full;
};

// How the database is made to refuse rows, and to take them again.
struct Fault {
    const char* name;
    const char* reason;  // the database's words
    void (StoringRows::*refuse)();
    void (StoringRows::*takeAgain)();
};

const Fault kFaults[] = {
    {"LockedByAnotherConnection", "database is locked", &StoringRows::LockFromAnotherConnection, &StoringRows::Unlock},
    {"Full", "database or disk is full", &StoringRows::FillDatabase, &StoringRows::MakeRoom},
};

class RowsWhileTheDatabaseRefuses : public StoringRows, public ::testing::WithParamInterface<Fault> {};

INSTANTIATE_TEST_SUITE_P(Faults, RowsWhileTheDatabaseRefuses, ::testing::ValuesIn(kFaults),
                         [](const ::testing::TestParamInfo<Fault>& info) { return std::string(info.param.name); });

}  // namespace

TEST_P(RowsWhileTheDatabaseRefuses, RowsWaitInOrderAndAreStoredOnceWhenTheDatabaseTakesThemAgain) {
    const Fault& fault = GetParam();
    EXPECT_TRUE(record(0));
    (this->*fault.refuse)();
    if (HasFatalFailure()) return;

    // Three ticks, each trying the rows waiting, then recording its point.
    QElapsedTimer timer;
    timer.start();
    for (double time : {10.0, 20.0, 30.0}) {
        tick();
        EXPECT_FALSE(record(time));
    }
    // No tick waited beyond the program's bound (a generous margin).
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_EQ(rows.Count(), 3);
    EXPECT_EQ(rows.CountOf(kTest), 3);
    EXPECT_EQ(rows.CountOf(kTest + 1), 0);
    EXPECT_EQ(rows.Test(), "Mud A");
    EXPECT_TRUE(rows.Reason().contains(QLatin1String(fault.reason))) << rows.Reason().toStdString();
    EXPECT_NE(rows.ReasonNumber(), 0);
    EXPECT_FALSE(tick());
    EXPECT_EQ(storedTimes(), (std::vector<double>{0}));

    (this->*fault.takeAgain)();
    if (HasFatalFailure()) return;
    // A tick stores as many as its 50 ms of database work allow (all three,
    // but for a loaded machine's slow syncs): within a few ticks every one.
    bool allStored = false;
    for (int t = 0; t < 10 && !allStored; ++t) allStored = tick();
    EXPECT_TRUE(allStored);
    EXPECT_TRUE(record(40));
    EXPECT_EQ(rows.Count(), 0);
    EXPECT_EQ(storedTimes(), (std::vector<double>{0, 10, 20, 30, 40}));
    EXPECT_EQ(stored, (std::vector<std::pair<double, bool>>{{0, false}, {10, true}, {20, true}, {30, true}, {40, false}}));
}

// The rows waiting may be dropped at the operator's word: none is stored after.
TEST_F(StoringRows, DroppedRowsAreNeverStored) {
    ASSERT_TRUE(exec("CREATE TRIGGER refuse BEFORE INSERT ON TEST_RESULT BEGIN SELECT RAISE(ABORT, 'no room'); END"));
    EXPECT_FALSE(record(10));
    EXPECT_FALSE(record(20));
    EXPECT_EQ(rows.Reason(), "no room");
    ASSERT_TRUE(exec("DROP TRIGGER refuse"));
    EXPECT_EQ(rows.Drop(), 2);
    EXPECT_TRUE(tick());
    EXPECT_TRUE(record(30));
    EXPECT_EQ(storedTimes(), (std::vector<double>{30}));
    EXPECT_EQ(rows.Test(), "");
}

// The short wait of a tick's insert is the tick's alone: the connection's own
// wait holds again after it.
TEST(BusyWait, TheConnectionsOwnWaitComesBackAfterIt) {
    TempDb tmp;
    InFolder in(tmp.dir());
    ScriptedDialogs dialogs;
    clsConnection c;
    c.OpenDB();
    db::Connection* connection = c.ADOConnection();
    ASSERT_EQ(connection->busyWaitMs(), db::kStatementWaitMs);
    {
        db::BusyWait wait(connection, 7);
        EXPECT_EQ(connection->busyWaitMs(), 7);
        db::BusyWait longer(connection, 60000);
        EXPECT_EQ(connection->busyWaitMs(), db::kStatementWaitMs) << "no caller waits beyond the bound";
    }
    EXPECT_EQ(connection->busyWaitMs(), db::kStatementWaitMs);

    clsTEST_RESULT r;
    r.Test_Id(kTest);
    r.ConnectX(&c);
    LockedDatabase lock(tmp.path());
    ResultPoint p;
    p.v[resultcol::TestId] = kTest;
    EXPECT_THROW(InsertResultRow(&r, p, 0), db::DbError);
    EXPECT_EQ(connection->busyWaitMs(), db::kStatementWaitMs);
    EXPECT_THROW(r.AddNew(), db::DbError);
}

// ---- several units ----------------------------------------------------------------------

namespace {

// A unit's run whose rows go in through the fixture's record object.
class UnitRun : public SequenceRun {
public:
    explicit UnitRun(clsTEST_RESULT* records) : records_(records) {}
    bool Store(double time) {
        ResultPoint p;
        p.v[resultcol::TestId] = kTest;
        p.v[resultcol::ResultTime] = time;
        return StoreRow({p, QStringLiteral("Mud A"), nullptr});
    }
    void ShutDown() override {}

protected:
    void ShowPointNotRecorded(int) override {}
    QString RowNotSavedText(int, const QString& description) const override { return RowNotSavedMessage(description); }
    void InsertRow(const ResultPoint& row, int waitMs) override { InsertResultRow(records_, row, waitMs); }

private:
    clsTEST_RESULT* records_;
};

}  // namespace

// Lock bursts while three units record: a refusal loses nothing (the row
// waits, kept in the spool), so no unit opens a box of its own; the program
// shows one notice under its own title while rows wait in any window. Once
// every row is stored, the next burst says it again, once.
TEST_F(StoringRows, RefusalsOfSeveralUnitsShowOneNoticeForTheProgram) {
    std::vector<std::unique_ptr<UnitRun>> runs;
    for (int i = 0; i < 3; ++i) runs.push_back(std::make_unique<UnitRun>(&records));
    auto burst = [&](double time) {
        LockFromAnotherConnection();
        for (size_t i = 0; i < runs.size(); ++i) {
            const ui::NotifySource unit(QStringLiteral("Unit %1").arg(i + 1));  // as a unit's tick names its boxes
            EXPECT_FALSE(runs[i]->Store(time));
            EXPECT_FALSE(runs[i]->Store(time + 1));
        }
        Unlock();
        for (const auto& run : runs) run->StoreWaitingRows();
    };
    burst(10);
    ASSERT_EQ(dialogs.messages.size(), 1u) << dialogs.texts().join('\n').toStdString();
    EXPECT_EQ(dialogs.messages[0].title, ui::appTitle());
    EXPECT_EQ(dialogs.texts()[0], RowsWaitingNotice("database is locked"));
    EXPECT_EQ(dialogs.texts()[0],
              "Recorded points wait for the database (database is locked): each unit's status bar shows how many. "
              "They are stored once the database takes them; no point is lost.");
    EXPECT_EQ(WaitingRows::WaitingInProgram(), 0);
    EXPECT_EQ(storedTimes(), (std::vector<double>{10, 11, 10, 11, 10, 11}));

    burst(20);
    EXPECT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(storedTimes().size(), 12u);
}
