#pragma once
// The recorded rows of a run that the database has not taken yet: a row the
// database refuses when its point is recorded (locked by another program,
// busy, full, any failure of its insert) is kept, in order, and stored when
// the database takes it again, tried on the ticks that follow, oldest first.
// A row is stored once, never out of order: while rows wait, a new row goes
// after them.
//
// A tick never waits long on the database: all of one tick's storing waits
// at most kTickDatabaseWaitMs for a database another connection holds (its
// inserts are given what is left of that time as their busy wait), and rows
// left when it is spent wait for the next tick.
//
// After a row is stored its `stored` follows (the window's samples, grid and
// chart take it): with late = false for the row of the point just recorded,
// true for a row that waited.
//
// A row that waits is kept on disk as well, in the program's spool
// (RowSpool), before Record returns, and leaves it once stored or dropped; a
// row the database takes at once never touches the spool. The rows still
// waiting when the window goes stay in the spool for the next start. A row
// the spool could not take (a full disk) waits in memory only
// (InMemoryOnly): it is lost if the program ends before it is stored.

#include "analysis/ResultPoints.h"
#include "platform/Database.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QString>
#include <deque>
#include <functional>
#include <vector>

class clsTEST_RESULT;

namespace runloop {

// What all the storing of one tick may wait for the database, in ms: one
// statement's wait (db::kStatementWaitMs), so that the tick's first insert
// may wait as long as a click's statement and no longer.
inline constexpr int kTickDatabaseWaitMs = db::kStatementWaitMs;

// A recorded point's TEST_RESULT row, as the run keeps it until it is stored.
struct RecordedRow {
    ResultPoint row;                        // the twelve columns (TEST_ID in resultcol::TestId)
    QString test;                           // the test's name, as the window names it
    std::function<void(bool late)> stored;  // after the database took the row
    qint64 spooled = 0;                     // its entry in the spool (0: held in memory only)
    QDateTime started;                      // its test's TEST_TIME, as stored (the spool keeps it)
    qint32 TestId() const { return qint32(row[resultcol::TestId]); }
};

class WaitingRows {
public:
    // Inserts one row, waiting at most waitMs for a database another
    // connection holds; a refusal is raised (db::DbError or another failure).
    using Insert = std::function<void(const ResultPoint& row, int waitMs)>;
    // How many rows TEST_RESULT holds equal to `row` in every column (-1
    // when it cannot tell): the spool keeps it with a row that waits, so
    // that its start tells a row stored already from a second equal row.
    using Alike = std::function<int(const ResultPoint& row)>;

    WaitingRows() = default;
    ~WaitingRows();
    WaitingRows(const WaitingRows&) = delete;
    WaitingRows& operator=(const WaitingRows&) = delete;

    // A tick begins: its storing may wait kTickDatabaseWaitMs in all.
    void BeginTick();
    // The row of a point just recorded: tried at once when no row waits
    // (then its stored(false) follows), else kept after those waiting,
    // untried. True when it was stored.
    bool Record(RecordedRow row, const Insert& insert, const Alike& alike = {});
    // Stores the rows waiting, oldest first, each followed by its
    // stored(true), until the database refuses one or the tick's wait is
    // spent. True when none waits after.
    bool StoreWaiting(const Insert& insert);
    // Drops every row waiting (from the spool too); returns how many there were.
    int Drop();

    int Count() const { return int(rows_.size()); }
    // The rows waiting of test `testId`.
    int CountOf(qint32 testId) const;
    // The test of the oldest row waiting (empty when none waits).
    QString Test() const;
    // The tests whose rows wait, in the order of their oldest row waiting:
    // each test's name and how many of its rows wait.
    struct TestRows {
        QString test;
        int count = 0;
    };
    std::vector<TestRows> Tests() const;
    // The rows waiting that the spool could not take (held in memory only),
    // and their tests as Tests gives them.
    int InMemoryOnly() const;
    std::vector<TestRows> InMemoryOnlyTests() const;
    // The rows waiting in every window of the program.
    static int WaitingInProgram();
    // The database's last refusal: its number and words ("database is locked").
    int ReasonNumber() const { return reasonNumber_; }
    const QString& Reason() const { return reason_; }

private:
    // The wait left to this tick's storing, in ms.
    int waitLeft() const;
    // The tests of the rows `of` takes, in the order of their oldest row.
    std::vector<TestRows> testsOf(const std::function<bool(const RecordedRow&)>& of) const;
    // The rows waiting left the list (stored or dropped).
    void gone(int count);
    // One insert; a refusal is kept as the reason.
    bool tryInsert(const RecordedRow& row, const Insert& insert);

    std::deque<RecordedRow> rows_;
    int reasonNumber_ = 0;
    QString reason_;
    QElapsedTimer tick_;
};

// The insert of a window's row through its TEST_RESULT record object (bound
// to the connection), waiting at most waitMs for a database another
// connection holds; the connection's own time-out comes back after. Without
// a record object it fails as a closed connection does.
void InsertResultRow(clsTEST_RESULT* records, const ResultPoint& row, int waitMs);
// The Alike of a window's rows through its TEST_RESULT record object: -1
// when the database cannot tell (or without a record object).
int CountResultRowsAlike(clsTEST_RESULT* records, const ResultPoint& row);

}  // namespace runloop
