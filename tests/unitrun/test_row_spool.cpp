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
#include <QLocale>
#include <QSqlQuery>
#include <QVariant>
#include <cmath>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <vector>
#include <sys/resource.h>
#include <unistd.h>

using namespace runloop;
using testing_support::InFolder;
using testing_support::LockedDatabase;
using testing_support::SavedGlobals;
using testing_support::ScriptedDialogs;
using testing_support::TempDb;

namespace {

constexpr qint32 kMud = 7;
constexpr qint32 kCement = 8;
// When the fixture's tests began.
const QDateTime kStarted(QDate(2026, 12, 1), QTime(9, 30, 15));

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
        addTest(kMud, "Mud A");
        addTest(kCement, "Cement");
    }

    // A TEST_INFO row of that key and name, begun at `started`.
    void addTest(qint32 id, const QString& name, const QDateTime& started = kStarted) {
        db::Command cmd(conn.ADOConnection(),
                        QStringLiteral("INSERT INTO TEST_INFO (TEST_ID, TEST_NAME, TEST_TIME) VALUES (?, ?, ?)"));
        cmd.appendParameter("id", db::adInteger);
        cmd.appendParameter("name", db::adVarChar, 250);
        cmd.appendParameter("time", db::adDBTimeStamp);
        cmd.setValue(0, id);
        cmd.setValue(1, name);
        cmd.setValue(2, started);
        cmd.execute();
    }
    void sql(const QString& statement) { db::Command(conn.ADOConnection(), statement).execute(); }
    // The bytes of a file of the data folder.
    QByteArray fileBytes(const QString& name) const {
        QFile f(QDir(tmp.dir()).filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QStringList filesNamed(const QString& pattern) const { return QDir(tmp.dir()).entryList({pattern}); }

    QString spoolPath() const { return QDir(tmp.dir()).filePath(runloop::kSpoolFileName); }
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
        QFile::copy(spoolPath(), QDir(other.dir()).filePath(runloop::kSpoolFileName));
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

// The folder cannot be flushed after the spool's first row was written (a
// real fault: the process may open no more files, so the folder cannot be
// opened for its fsync): the row is said to be held in memory only, and the
// file it made goes again, so that the next row begins it with one format
// line and the next start reads it.
TEST_F(Spool, AFolderThatCannotBeFlushedLeavesNoFileHalfMade) {
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &before), 0);
    const int lowestFree = ::dup(0);
    ASSERT_GE(lowestFree, 0);
    ::close(lowestFree);
    rlimit tight = before;
    tight.rlim_cur = rlim_t(lowestFree + 1);  // the spool file opens, its folder does not
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
    const qint64 first = RowSpool::Program().Keep(point(kMud, 10), "Mud A", kStarted);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &before), 0);
    EXPECT_EQ(first, 0);
    EXPECT_FALSE(spoolExists());
    const QStringList said = dialogs.texts().filter("cannot be kept in Z3080daq.spool (Too many open files)");
    EXPECT_EQ(said.size(), 1) << dialogs.texts().join('\n').toStdString();

    ASSERT_NE(RowSpool::Program().Keep(point(kMud, 20), "Mud A", kStarted), 0);
    EXPECT_EQ(spoolBytes().count("format"), 1);
    const std::vector<SpooledRow> onDisk = rowsOnDisk();
    ASSERT_EQ(onDisk.size(), 1u);
    EXPECT_TRUE(sameBits(onDisk[0].row, point(kMud, 20)));
    dialogs.clear();
    EXPECT_EQ(RowSpool::Program().StoreAtStart(&conn).stored, 1);
    EXPECT_EQ(storedTimes(kMud), (std::vector<double>{20}));
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
    // What Z3080daq.spool.unreadable-... holds, from the spool as it was left (nothing: no such file).
    std::function<QByteArray(const QByteArray& left)> keptAside;
};

}  // namespace

class TheStart : public Spool, public ::testing::WithParamInterface<StartCase> {
public:
    void keepThree() {
        for (const auto& [test, name, time] :
             {std::tuple{kMud, "Mud A", 10.0}, std::tuple{kCement, "Cement", 11.0}, std::tuple{kMud, "Mud A", 20.0}})
            ASSERT_NE(RowSpool::Program().Keep(point(test, time), QString::fromLatin1(name), kStarted), 0);
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
QByteArray lineOf(const QByteArray& spool, int n) { return spool.split('\n')[n] + '\n'; }
QByteArray checksummed(const QByteArray& body) {
    // The lines' CRC-32, as zlib's crc32 gives it.
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : body) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return body + ' ' + QByteArray::number(~crc, 16).rightJustified(8, '0') + '\n';
}
// A spool written by the program before: format 1, lines without TEST_TIME and count.
QByteArray formerSpool(const std::vector<std::tuple<qint32, const char*, double>>& rows) {
    QByteArray bytes = "Z3080DAQ recorded points waiting for the database, format 1\n";
    qint64 id = 1;
    for (const auto& [test, name, time] : rows) {
        const ResultPoint p = point(test, time);
        QByteArray body = QByteArray::number(id++);
        for (int c = resultcol::TestId; c <= resultcol::CycleNo; ++c)
            body += ' ' + QByteArray::number(p[c], 'g', QLocale::FloatingPointShortest);
        bytes += checksummed(body + ' ' + QByteArray(name).toPercentEncoding());
    }
    return bytes;
}

const StartCase kStartCases[] = {
    {"RowsNotInTheDatabase", [](Spool&) {}, 3, 0, {10, 20}, {11},
     {"Recorded points kept from the last run are stored now: 3 points (test \"Mud A\": 2 points; test \"Cement\": 1 point)."},
     nullptr},
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
     nullptr},
    {"KilledAfterTheFirstInsert",
     [](Spool& s) { static_cast<TheStart&>(s).insertDirectly(point(kMud, 10)); }, 2, 1, {10, 20}, {11},
     {"stored now: 2 points", "1 point had been stored already."}, nullptr},
    // Killed while a fourth row was being written: the rows before are stored, the torn line counted and kept.
    {"TornLastLine",
     [](Spool& s) {
         auto& t = static_cast<TheStart&>(s);
         QByteArray bytes = t.spoolBytes();
         const QByteArray last = bytes.mid(bytes.lastIndexOf('\n', bytes.size() - 2) + 1);
         t.writeSpool(bytes + last.left(last.size() / 2).replace("20", "30"));
     },
     3, 0, {10, 20}, {11},
     {"stored now: 3 points",
      "1 line of Z3080daq.spool could not be read (line 5: cut off at its end) and was not stored; it is kept in "
      "Z3080daq.spool.unreadable-"},
     [](const QByteArray& left) { return left.mid(left.lastIndexOf('\n') + 1) + '\n'; }},
    // A line in the middle that lost bytes: the rows before and after it are stored.
    {"ADamagedLineInTheMiddle",
     [](Spool& s) { changeLine(static_cast<TheStart&>(s), 2, [](QByteArray& l) { l.replace(" 11 ", " 12 "); }); },
     2, 0, {10, 20}, {},
     {"stored now: 2 points (test \"Mud A\": 2 points).",
      "1 line of Z3080daq.spool could not be read (line 3: its checksum does not match) and was not stored; it is "
      "kept in Z3080daq.spool.unreadable-"},
     [](const QByteArray& left) { return lineOf(left, 2); }},
    // A last line that kept its newline but not its bytes.
    {"ADamagedLastLine",
     [](Spool& s) { changeLine(static_cast<TheStart&>(s), 3, [](QByteArray& l) { l.remove(4, 3); }); },
     2, 0, {10}, {11},
     {"stored now: 2 points (test \"Mud A\": 1 point; test \"Cement\": 1 point).",
      "1 line of Z3080daq.spool could not be read (line 4: its checksum does not match)"},
     [](const QByteArray& left) { return lineOf(left, 3); }},
    {"AnUnknownFormat",
     [](Spool& s) { changeLine(static_cast<TheStart&>(s), 0, [](QByteArray& l) { l = "Z3080DAQ format 2"; }); },
     0, 0, {}, {}, {"cannot be read (line 1: not a file of recorded points of this program)", "It is kept as"},
     [](const QByteArray& left) { return left; }},
    // The program before wrote it: its lines are stored into the test of their key and name.
    {"TheFormatBefore",
     [](Spool& s) {
         static_cast<TheStart&>(s).writeSpool(
             formerSpool({{kMud, "Mud A", 10.0}, {kCement, "Cement", 11.0}, {kMud, "Mud A", 20.0}}));
     },
     3, 0, {10, 20}, {11}, {"stored now: 3 points (test \"Mud A\": 2 points; test \"Cement\": 1 point)."}, nullptr},
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
    if (c.mudTimes.size() > 1) {
        EXPECT_TRUE(sameBits(stored(kMud)[1], point(kMud, 20)));
    }
    ASSERT_EQ(dialogs.messages.size(), 1u) << dialogs.texts().join('\n').toStdString();
    for (const char* words : c.says)
        EXPECT_TRUE(dialogs.texts()[0].contains(QString::fromUtf8(words))) << dialogs.texts()[0].toStdString();
    EXPECT_FALSE(spoolExists());

    // What cannot be read is kept under the name the message gives.
    const QStringList aside = filesNamed("Z3080daq.spool.unreadable-*");
    if (c.keptAside) {
        ASSERT_EQ(aside.size(), 1);
        EXPECT_EQ(result.unreadableName, aside[0]);
        EXPECT_TRUE(dialogs.texts()[0].contains(aside[0]));
        EXPECT_EQ(fileBytes(aside[0]), c.keptAside(left));
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

// ---- rows whose test is not in the database as they were recorded ------------------

namespace {

// The spool holds rows of "Mud A" (10, 20) and "Cement" (11); before the
// start the database is changed as the case says. Rows of a test it does
// not hold as it was are set aside, never stored.
struct OtherTestCase {
    const char* name;
    std::function<void(Spool&)> change;
    std::vector<double> cementTimes;  // TEST_RESULT's rows of TEST_ID 8 afterwards
    int cementAside;                  // Cement's rows set aside
};

}  // namespace

class OtherTests : public Spool, public ::testing::WithParamInterface<OtherTestCase> {
public:
    using Spool::addTest;
    using Spool::sql;
};

namespace {

const OtherTestCase kOtherTestCases[] = {
    {"TheSameTest", [](Spool&) {}, {11}, 0},
    {"DeletedSince", [](Spool& s) { static_cast<OtherTests&>(s).sql("DELETE FROM TEST_INFO WHERE TEST_ID = 8"); }, {}, 1},
    {"RenamedSince",
     [](Spool& s) { static_cast<OtherTests&>(s).sql("UPDATE TEST_INFO SET TEST_NAME = 'Cement B' WHERE TEST_ID = 8"); },
     {}, 1},
    // A database restored from a backup, or another one: its test 8 is not the one recorded.
    {"AnotherTestOfTheSameKeyAndName",
     [](Spool& s) {
         auto& t = static_cast<OtherTests&>(s);
         t.sql("DELETE FROM TEST_INFO WHERE TEST_ID = 8");
         t.addTest(kCement, "Cement", kStarted.addDays(3));
     },
     {}, 1},
};

INSTANTIATE_TEST_SUITE_P(Spools, OtherTests, ::testing::ValuesIn(kOtherTestCases),
                         [](const ::testing::TestParamInfo<OtherTestCase>& info) { return std::string(info.param.name); });

}  // namespace

TEST_P(OtherTests, AreKeptAsideAndNeverStored) {
    const OtherTestCase& c = GetParam();
    // Rows of a key TEST_INFO never held (99) are always set aside.
    for (const auto& [test, name, time] : {std::tuple{kMud, "Mud A", 10.0}, std::tuple{kCement, "Cement", 11.0},
                                           std::tuple{99, "Gone", 12.0}, std::tuple{kMud, "Mud A", 20.0}})
        ASSERT_NE(RowSpool::Program().Keep(point(test, time), QString::fromLatin1(name), kStarted), 0);
    c.change(*this);
    const QList<QByteArray> lines = spoolBytes().split('\n');
    dialogs.clear();

    const SpoolAtStart result = RowSpool::Program().StoreAtStart(&conn);
    EXPECT_EQ(storedTimes(kMud), (std::vector<double>{10, 20}));
    EXPECT_EQ(storedTimes(kCement), c.cementTimes);
    EXPECT_TRUE(storedTimes(99).empty());
    EXPECT_EQ(result.otherTests, 1 + c.cementAside);
    EXPECT_FALSE(spoolExists());

    // The rows set aside, whole, in the file the message names, with their count and tests.
    const QStringList aside = filesNamed("Z3080daq.spool.not-stored-*");
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(result.otherTestsName, aside[0]);
    QByteArray expected = lines[0] + '\n';
    if (c.cementAside) expected += lines[2] + '\n';
    expected += lines[3] + '\n';
    EXPECT_EQ(fileBytes(aside[0]), expected);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    const QString said = dialogs.texts()[0];
    EXPECT_TRUE(said.contains(QStringLiteral("are not stored: %1 (%2test \"Gone\": 1 point). They are kept in %3 and "
                                             "never stored from there.")
                                  .arg(SpoolPointsText(1 + c.cementAside),
                                       c.cementAside ? QStringLiteral("test \"Cement\": 1 point; ") : QString(),
                                       aside[0])))
        << said.toStdString();

    // A later start stores none of them and leaves their file as it is.
    dialogs.clear();
    EXPECT_EQ(RowSpool::Program().StoreAtStart(&conn).stored, 0);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(storedTimes(99).empty());
    EXPECT_EQ(fileBytes(aside[0]), expected);
}

// ---- equal rows ---------------------------------------------------------------------------

namespace {

// Rows of "Mud A" at 13 s, equal in every column (a download's whole
// seconds): some stored before the lock, some waiting, some stored by a
// start killed before the spool's update. Each is stored once.
struct EqualRowsCase {
    const char* name;
    int storedBefore;  // equal rows stored before the database refused
    int waiting;       // equal rows recorded while it refused (in the spool)
    int killedAfter;   // of those, stored by a start killed before it wrote the spool anew
    bool formerFormat; // the spool written by the program before
};

const EqualRowsCase kEqualRowsCases[] = {
    {"TwoWaiting", 0, 2, 0, false},
    {"OneStoredOneWaiting", 1, 1, 0, false},
    {"TwoWaitingBothStoredByAKilledStart", 0, 2, 2, false},
    {"ThreeWaitingOneStoredByAKilledStart", 1, 3, 1, false},
    {"TwoWaitingInTheFormatBefore", 0, 2, 0, true},
};

}  // namespace

class EqualRows : public Spool, public ::testing::WithParamInterface<EqualRowsCase> {};

INSTANTIATE_TEST_SUITE_P(Spools, EqualRows, ::testing::ValuesIn(kEqualRowsCases),
                         [](const ::testing::TestParamInfo<EqualRowsCase>& info) { return std::string(info.param.name); });

TEST_P(EqualRows, AreAllStoredOnce) {
    const EqualRowsCase& c = GetParam();
    WaitingRows rows;
    const WaitingRows::Alike alike = [this](const ResultPoint& r) { return CountResultRowsAlike(&records, r); };
    for (int i = 0; i < c.storedBefore; ++i) EXPECT_TRUE(rows.Record({point(kMud, 13), "Mud A"}, insert, alike));
    lock();
    for (int i = 0; i < c.waiting; ++i) EXPECT_FALSE(rows.Record({point(kMud, 13), "Mud A"}, insert, alike));
    unlock();
    if (c.formerFormat) {
        std::vector<std::tuple<qint32, const char*, double>> former(size_t(c.waiting), {kMud, "Mud A", 13.0});
        writeSpool(formerSpool(former));
    }
    for (int i = 0; i < c.killedAfter; ++i) insertDirectly(point(kMud, 13));
    dialogs.clear();

    const SpoolAtStart result = RowSpool::Program().StoreAtStart(&conn);
    EXPECT_EQ(result.stored, c.waiting - c.killedAfter);
    EXPECT_EQ(result.alreadyStored, c.killedAfter);
    EXPECT_EQ(storedTimes(kMud), std::vector<double>(size_t(c.storedBefore + c.waiting), 13.0));
}

// ---- the spool's own failures --------------------------------------------------------------

// A rewrite the system refuses (its temporary file cannot be made): said
// once; the rows the file still holds count as waiting, so their test
// cannot be deleted, until a rewrite succeeds; the next start stores none
// of them twice. (A closed window's row stays in the spool, so that it is
// written anew rather than removed.)
TEST_F(Spool, ARewriteThatFailsIsSaidOnceAndTheFileStillCounts) {
    ASSERT_NE(RowSpool::Program().Keep(point(kCement, 11), "Cement", kStarted), 0);
    auto mud = window(kMud, "Mud A");
    lock();
    EXPECT_FALSE(mud->record(10));
    EXPECT_FALSE(mud->record(20));
    unlock();
    ASSERT_TRUE(QDir(tmp.dir()).mkdir("Z3080daq.spool.new"));
    dialogs.clear();
    EXPECT_TRUE(mud->tick());
    EXPECT_EQ(storedTimes(kMud), (std::vector<double>{10, 20}));
    const QStringList said = dialogs.texts().filter("cannot be written anew");
    ASSERT_EQ(said.size(), 1) << dialogs.texts().join('\n').toStdString();
    EXPECT_TRUE(said[0].contains("Z3080daq.spool, cannot be written anew (Is a directory): it still holds points "
                                 "that were stored or dropped since (test \"Mud A\": 2 points)."))
        << said[0].toStdString();
    EXPECT_EQ(spoolLines(), 3);
    EXPECT_EQ(RowSpool::Program().CountOf(kMud), 2);  // the file's, not memory's 0
    EXPECT_EQ(RowSpool::Program().CountOf(kCement), 1);

    // More rows and more failures: not said again.
    lock();
    EXPECT_FALSE(mud->record(30));
    unlock();
    EXPECT_TRUE(mud->tick());
    EXPECT_EQ(dialogs.texts().filter("cannot be written anew").size(), 1);
    EXPECT_EQ(RowSpool::Program().CountOf(kMud), 3);
    EXPECT_EQ(spoolLines(), 4);

    // The next start stores the row that waits, none of the others again.
    ASSERT_TRUE(QDir(tmp.dir()).rmdir("Z3080daq.spool.new"));
    dialogs.clear();
    const SpoolAtStart result = RowSpool::Program().StoreAtStart(&conn);
    EXPECT_EQ(result.stored, 1);
    EXPECT_EQ(result.alreadyStored, 3);
    EXPECT_EQ(storedTimes(kMud), (std::vector<double>{10, 20, 30}));
    EXPECT_EQ(storedTimes(kCement), (std::vector<double>{11}));
    EXPECT_FALSE(spoolExists());
    EXPECT_EQ(RowSpool::Program().CountOf(kMud), 0);
}

// Counting a test's rows tries the failed rewrite again: once it can be made,
// the count is of the rows that wait.
TEST_F(Spool, AFailedRewriteIsTriedAgainWhenTheFileIsCounted) {
    ASSERT_NE(RowSpool::Program().Keep(point(kCement, 11), "Cement", kStarted), 0);
    auto mud = window(kMud, "Mud A");
    lock();
    EXPECT_FALSE(mud->record(10));
    unlock();
    ASSERT_TRUE(QDir(tmp.dir()).mkdir("Z3080daq.spool.new"));
    EXPECT_TRUE(mud->tick());
    EXPECT_EQ(RowSpool::Program().CountOf(kMud), 1);
    ASSERT_TRUE(QDir(tmp.dir()).rmdir("Z3080daq.spool.new"));
    EXPECT_EQ(RowSpool::Program().CountOf(kMud), 0);
    const std::vector<SpooledRow> onDisk = rowsOnDisk();
    ASSERT_EQ(onDisk.size(), 1u);
    EXPECT_EQ(onDisk[0].test, "Cement");
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
