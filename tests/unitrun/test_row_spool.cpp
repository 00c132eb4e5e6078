// The recorded rows the database refuses, kept on disk in the data folder's
// spool (Z3080daq.spool) against a real database file that another
// connection holds locked: a row that waits is in the file before Record
// returns, leaves it once stored or dropped, and the start stores what the
// last run left there, once each, whatever state the file was left in (a
// kill between an insert and the spool's update, a torn last line, a file
// that cannot be read). A spool on a full device keeps rows in memory.

#include "unitrun/RowSpool.h"
#include "unitrun/WaitingRows.h"

#include "data/Globals.h"
#include "data/clsConnection.h"
#include "data/clsTEST_RESULT.h"
#include "platform/Database.h"
#include "support/DatabaseFaults.h"
#include "support/SavedGlobals.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDb.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QVariant>
#include <cmath>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <vector>

using namespace runloop;
using testing_support::InFolder;
using testing_support::LockedDatabase;
using testing_support::SavedGlobals;
using testing_support::ScriptedDialogs;
using testing_support::TempDb;

namespace {

constexpr qint32 kMud = 7;
constexpr qint32 kCement = 8;

// A TEST_RESULT row of test `testId` at `time` s, every other column a value of its own.
ResultPoint point(qint32 testId, double time) {
    ResultPoint p;
    p[resultcol::TestId] = testId;
    p[resultcol::RampNo] = 2;
    p[resultcol::RampStepNo] = 1;
    p[resultcol::ResultTime] = time;
    p[resultcol::SampleTemp] = 150.25 + time / 3;
    p[resultcol::Press] = 1000.1 + time;
    p[resultcol::Speed] = 511;
    p[resultcol::ShearStress] = 0.1 + 0.2;
    p[resultcol::TypeId] = 6;
    p[resultcol::BathTemp] = 2.5;
    p[resultcol::CycleNo] = 1;
    return p;
}

bool sameBits(const ResultPoint& a, const ResultPoint& b) {
    for (int c = resultcol::TestId; c <= resultcol::CycleNo; ++c)
        if (std::memcmp(&a.v[size_t(c)], &b.v[size_t(c)], sizeof(double)) != 0) return false;
    return true;
}

class Spool : public ::testing::Test {
protected:
    void SetUp() override {
        conn.OpenDB();
        ASSERT_TRUE(conn.ADOConnection() && conn.ADOConnection()->isOpen());
        ASSERT_EQ(QDir(gAppPath), QDir(tmp.dir()));
        records.ConnectX(&conn);
    }

    QString spoolPath() const { return QDir(tmp.dir()).filePath(kSpoolFileName); }
    bool spoolExists() const { return QFile::exists(spoolPath()); }
    QByteArray spoolBytes() const {
        QFile f(spoolPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeSpool(const QByteArray& bytes) {
        QFile f(spoolPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    // The rows the spool file holds: one line each after its format line.
    int spoolLines() const { return std::max<int>(0, int(spoolBytes().count('\n')) - 1); }
    // What another folder's start would see of the file: a reading of the
    // file alone, none of what the program holds in memory.
    std::vector<SpooledRow> rowsOnDisk() {
        TempDb other;
        QFile::copy(spoolPath(), QDir(other.dir()).filePath(kSpoolFileName));
        SavedGlobals saved;
        gAppPath = other.dir();
        std::vector<SpooledRow> rows = RowSpool::Program().Rows();
        gAppPath = tmp.dir();
        return rows;
    }

    // A window's rows of one test: recorded, tried on its ticks.
    struct Window {
        Spool* fixture;
        qint32 test;
        QString name;
        WaitingRows rows;
        bool record(double time) {
            return rows.Record({point(test, time), name, nullptr}, fixture->insert);
        }
        bool tick() {
            rows.BeginTick();
            return rows.StoreWaiting(fixture->insert);
        }
    };
    std::unique_ptr<Window> window(qint32 test, const QString& name) {
        return std::unique_ptr<Window>(new Window{this, test, name, {}});
    }

    // The rows of a test in TEST_RESULT, in the order they were inserted.
    std::vector<ResultPoint> stored(qint32 testId) {
        db::Command cmd(conn.ADOConnection(),
                        QStringLiteral("SELECT * FROM TEST_RESULT WHERE TEST_ID = %1 ORDER BY TEST_RESULT_ID").arg(testId));
        const auto rs = cmd.execute();
        std::vector<ResultPoint> rows(size_t(rs->rowCount));
        for (int r = 0; r < rs->rowCount; ++r)
            for (int c = resultcol::TestId; c <= resultcol::CycleNo; ++c) rows[size_t(r)][c] = rs->columns[c][r].toDouble();
        return rows;
    }
    std::vector<double> storedTimes(qint32 testId) {
        std::vector<double> times;
        for (const ResultPoint& p : stored(testId)) times.push_back(p[resultcol::ResultTime]);
        return times;
    }
    void insertDirectly(const ResultPoint& p) { InsertResultRow(&records, p, 1000); }

    void lock() { locked = std::make_unique<LockedDatabase>(tmp.path()); }
    void unlock() { locked.reset(); }

    SavedGlobals saved;
    TempDb tmp;
    InFolder in{tmp.dir()};
    ScriptedDialogs dialogs;
    clsConnection conn;
    clsTEST_RESULT records;
    WaitingRows::Insert insert = [this](const ResultPoint& p, int waitMs) { InsertResultRow(&records, p, waitMs); };
    std::unique_ptr<LockedDatabase> locked;
};

}  // namespace

// A row that waits is on disk when Record returns, and leaves the spool once
// stored; a row the database takes at once never reaches it.
TEST_F(Spool, ARowThatWaitsIsOnDiskUntilTheDatabaseTakesIt) {
    auto mud = window(kMud, "Mud A");
    EXPECT_TRUE(mud->record(0));
    EXPECT_FALSE(spoolExists());

    lock();
    EXPECT_FALSE(mud->record(10));
    EXPECT_FALSE(mud->tick());
    EXPECT_FALSE(mud->record(20));
    const std::vector<SpooledRow> onDisk = rowsOnDisk();
    ASSERT_EQ(onDisk.size(), 2u);
    EXPECT_TRUE(sameBits(onDisk[0].row, point(kMud, 10)));
    EXPECT_TRUE(sameBits(onDisk[1].row, point(kMud, 20)));
    EXPECT_EQ(onDisk[1].test, "Mud A");

    unlock();
    EXPECT_TRUE(mud->tick());
    EXPECT_FALSE(spoolExists());
    EXPECT_EQ(storedTimes(kMud), (std::vector<double>{0, 10, 20}));
    EXPECT_TRUE(mud->record(30));
    EXPECT_FALSE(spoolExists());
}

// The spool is the program's: a window's dropped rows leave it, another
// window's stay, and so do the rows of a window that went.
TEST_F(Spool, DroppedRowsLeaveItAndOtherWindowsRowsStay) {
    auto mud = window(kMud, "Mud A");
    auto cement = window(kCement, "Cement \"B\" 1");
    auto gone = window(9, "Closed");
    lock();
    EXPECT_FALSE(mud->record(10));
    EXPECT_FALSE(cement->record(11));
    EXPECT_FALSE(gone->record(12));
    EXPECT_FALSE(mud->record(20));
    gone.reset();  // its window closed while its row waits
    EXPECT_EQ(spoolLines(), 4);

    EXPECT_EQ(mud->rows.Drop(), 2);
    std::vector<SpooledRow> onDisk = rowsOnDisk();
    ASSERT_EQ(onDisk.size(), 2u);
    EXPECT_EQ(onDisk[0].test, "Cement \"B\" 1");
    EXPECT_EQ(onDisk[1].test, "Closed");

    unlock();
    EXPECT_TRUE(cement->tick());
    onDisk = rowsOnDisk();
    ASSERT_EQ(onDisk.size(), 1u);
    EXPECT_TRUE(sameBits(onDisk[0].row, point(9, 12)));
    EXPECT_TRUE(storedTimes(kMud).empty());
}

// The spool on a device that is full (/dev/full: every write fails with
// ENOSPC): the rows wait in memory as before, one message says so, and they
// are stored once the database takes them.
TEST_F(Spool, ASpoolThatCannotBeWrittenKeepsTheRowsInMemoryAndSaysSoOnce) {
    if (!QFile::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    ASSERT_TRUE(QFile::link("/dev/full", spoolPath()));
    auto mud = window(kMud, "Mud A");
    lock();
    for (double t : {10.0, 20.0, 30.0}) {
        mud->tick();
        EXPECT_FALSE(mud->record(t));
    }
    EXPECT_EQ(mud->rows.Count(), 3);
    const QStringList said = dialogs.texts().filter("cannot be kept");
    ASSERT_EQ(said.size(), 1) << dialogs.texts().join('\n').toStdString();
    EXPECT_TRUE(said[0].contains("Z3080daq.spool (No space left on device)")) << said[0].toStdString();

    unlock();
    EXPECT_TRUE(mud->tick());
    EXPECT_EQ(storedTimes(kMud), (std::vector<double>{10, 20, 30}));
}

// Every double reads back from the spool as the same bits.
TEST_F(Spool, NumbersReadBackExactly) {
    const double awkward[] = {0.1 + 0.2,
                              1.0 / 3,
                              5e-324,
                              -0.0,
                              std::numeric_limits<double>::max(),
                              -std::numeric_limits<double>::infinity(),
                              123456789.12345679,
                              -2.2250738585072014e-308};
    ResultPoint p = point(kMud, 1);
    for (size_t i = 0; i < std::size(awkward); ++i) p[resultcol::RampNo + int(i)] = awkward[i];
    ASSERT_NE(RowSpool::Program().Keep(p, QStringLiteral("Ünïcode, 100%\ttab")), 0);
    const std::vector<SpooledRow> onDisk = rowsOnDisk();
    ASSERT_EQ(onDisk.size(), 1u);
    EXPECT_TRUE(sameBits(onDisk[0].row, p));
    EXPECT_EQ(onDisk[0].test, QStringLiteral("Ünïcode, 100%\ttab"));
}

// ---- the start ---------------------------------------------------------------

namespace {

// A spool left by the last run: three rows (two of "Mud A", one of
// "Cement"), then made what the case says.
struct StartCase {
    const char* name;
    std::function<void(Spool&)> leave;  // what the last run left (beyond the three rows in the spool)
    int stored;                         // rows inserted by the start
    int alreadyStored;
    std::vector<double> mudTimes;       // TEST_RESULT afterwards, in order
    std::vector<double> cementTimes;
    std::vector<const char*> says;      // in the one message
    bool spoolLeft;                     // Z3080daq.spool still there
    bool keptAside;                     // the file renamed ".unreadable-..."
};

}  // namespace

class TheStart : public Spool, public ::testing::WithParamInterface<StartCase> {
public:
    void keepThree() {
        for (const auto& [test, name, time] :
             {std::tuple{kMud, "Mud A", 10.0}, std::tuple{kCement, "Cement", 11.0}, std::tuple{kMud, "Mud A", 20.0}})
            ASSERT_NE(RowSpool::Program().Keep(point(test, time), QString::fromLatin1(name)), 0);
    }
    using Spool::insertDirectly;
    using Spool::spoolBytes;
    using Spool::writeSpool;
};

namespace {

// The n-th line of the spool (0: its format line) changed by `change`.
void changeLine(TheStart& t, int n, const std::function<void(QByteArray&)>& change) {
    QList<QByteArray> lines = t.spoolBytes().split('\n');
    change(lines[n]);
    t.writeSpool(lines.join('\n'));
}

const StartCase kStartCases[] = {
    {"RowsNotInTheDatabase", [](Spool&) {}, 3, 0, {10, 20}, {11},
     {"Recorded points kept from the last run are stored now: 3 points (test \"Mud A\": 2 points; test \"Cement\": 1 point)."},
     false, false},
    // Killed after the inserts, before the spool was written anew.
    {"KilledBetweenTheInsertsAndTheSpoolsUpdate",
     [](Spool& s) {
         auto& t = static_cast<TheStart&>(s);
         t.insertDirectly(point(kMud, 10));
         t.insertDirectly(point(kCement, 11));
         t.insertDirectly(point(kMud, 20));
     },
     0, 3, {10, 20}, {11},
     {"The recorded points kept from the last run had been stored already: 3 points (test \"Mud A\": 2 points; test "
      "\"Cement\": 1 point)."},
     false, false},
    {"KilledAfterTheFirstInsert",
     [](Spool& s) { static_cast<TheStart&>(s).insertDirectly(point(kMud, 10)); }, 2, 1, {10, 20}, {11},
     {"stored now: 2 points", "1 point had been stored already."}, false, false},
    // Killed while a fourth row was being written.
    {"TornLastLine",
     [](Spool& s) {
         auto& t = static_cast<TheStart&>(s);
         QByteArray bytes = t.spoolBytes();
         const QByteArray last = bytes.mid(bytes.lastIndexOf('\n', bytes.size() - 2) + 1);
         t.writeSpool(bytes + last.left(last.size() / 2).replace("20", "30"));
     },
     3, 0, {10, 20}, {11}, {"stored now: 3 points"}, false, false},
    {"ALineWhoseChecksumDoesNotMatch",
     [](Spool& s) { changeLine(static_cast<TheStart&>(s), 2, [](QByteArray& l) { l.replace(" 11 ", " 12 "); }); },
     0, 0, {}, {},
     {"The file of recorded points waiting for the database, Z3080daq.spool, cannot be read (line 3: its checksum "
      "does not match); no point was stored from it. It is kept as Z3080daq.spool.unreadable-"},
     false, true},
    {"AnUnknownFormat",
     [](Spool& s) { changeLine(static_cast<TheStart&>(s), 0, [](QByteArray& l) { l = "Z3080DAQ format 2"; }); },
     0, 0, {}, {}, {"cannot be read (line 1: not a file of recorded points of this program)", "It is kept as"},
     false, true},
};

INSTANTIATE_TEST_SUITE_P(Spools, TheStart, ::testing::ValuesIn(kStartCases),
                         [](const ::testing::TestParamInfo<StartCase>& info) { return std::string(info.param.name); });

}  // namespace

TEST_P(TheStart, StoresTheLastRunsRowsOnceEach) {
    const StartCase& c = GetParam();
    keepThree();
    c.leave(*this);
    if (HasFatalFailure()) return;
    const QByteArray left = spoolBytes();
    dialogs.clear();

    const SpoolAtStart result = RowSpool::Program().StoreAtStart(&conn);
    EXPECT_EQ(result.stored, c.stored);
    EXPECT_EQ(result.alreadyStored, c.alreadyStored);
    EXPECT_EQ(result.waiting, 0);
    EXPECT_EQ(storedTimes(kMud), c.mudTimes);
    EXPECT_EQ(storedTimes(kCement), c.cementTimes);
    if (!c.mudTimes.empty()) {
        EXPECT_TRUE(sameBits(stored(kMud)[1], point(kMud, 20)));
    }
    ASSERT_EQ(dialogs.messages.size(), 1u) << dialogs.texts().join('\n').toStdString();
    for (const char* words : c.says)
        EXPECT_TRUE(dialogs.texts()[0].contains(QString::fromUtf8(words))) << dialogs.texts()[0].toStdString();
    EXPECT_EQ(spoolExists(), c.spoolLeft);

    // A file that cannot be read is kept whole under the name the message gives.
    const QStringList aside = QDir(tmp.dir()).entryList({"Z3080daq.spool.unreadable-*"});
    if (c.keptAside) {
        ASSERT_EQ(aside.size(), 1);
        EXPECT_EQ(result.unreadableName, aside[0]);
        EXPECT_TRUE(dialogs.texts()[0].contains(aside[0]));
        QFile kept(QDir(tmp.dir()).filePath(aside[0]));
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), left);
    } else {
        EXPECT_TRUE(aside.isEmpty());
    }

    // The next start finds nothing to store, and the next rows spool afresh.
    dialogs.clear();
    EXPECT_EQ(RowSpool::Program().StoreAtStart(&conn).stored, 0);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join('\n').toStdString();
    EXPECT_NE(RowSpool::Program().Keep(point(kMud, 40), "Mud A"), 0);
    ASSERT_EQ(rowsOnDisk().size(), 1u);
}

// A start while the database refuses rows: nothing stored, the spool stays as
// it was, the message says so; the next start stores them.
TEST_F(Spool, AStartTheDatabaseRefusesLeavesTheSpoolForTheNextStart) {
    for (double t : {10.0, 20.0}) ASSERT_NE(RowSpool::Program().Keep(point(kMud, t), "Mud A"), 0);
    const QByteArray left = spoolBytes();
    lock();
    conn.ADOConnection()->setBusyWaitMs(0);
    const SpoolAtStart refused = RowSpool::Program().StoreAtStart(&conn);
    EXPECT_EQ(refused.stored, 0);
    EXPECT_EQ(refused.waiting, 2);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.texts()[0],
              "Recorded points kept from the last run could not be stored: 2 points (test \"Mud A\": 2 points). The "
              "database refuses them (database is locked); they stay in Z3080daq.spool and are stored at the next "
              "start.");
    EXPECT_EQ(spoolBytes(), left);

    // Rows of this run go after them, and the next start stores all of them.
    EXPECT_NE(RowSpool::Program().Keep(point(kMud, 30), "Mud A"), 0);
    unlock();
    EXPECT_EQ(RowSpool::Program().StoreAtStart(&conn).stored, 3);
    EXPECT_EQ(storedTimes(kMud), (std::vector<double>{10, 20, 30}));
    EXPECT_FALSE(spoolExists());
}
