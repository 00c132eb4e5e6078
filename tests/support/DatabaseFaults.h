#pragma once
// Real faults of the database file, made by the test: another program
// holding it locked, a database that has no room left.

#include "platform/Database.h"

#include <QSqlQuery>
#include <QString>
#include <functional>
#include <memory>

class clsConnection;

namespace testing_support {

// Another connection to the file holds it locked (BEGIN EXCLUSIVE) from its
// making until Release (or its end): every write of another connection is
// refused ("database is locked") once its busy wait is over.
class LockedDatabase {
public:
    explicit LockedDatabase(const QString& path);
    ~LockedDatabase();
    void Release();

private:
    db::Connection other_;
    std::unique_ptr<QSqlQuery> query_;
};

// The connection's database may not grow (PRAGMA max_page_count) and the
// room its pages had left is taken by rows of another test (TEST_ID 99):
// every insert of a row is refused ("database or disk is full") until
// MakeRoom.
class FullDatabase {
public:
    explicit FullDatabase(clsConnection& connection);
    void MakeRoom();
    bool full() const { return full_; }

private:
    clsConnection& connection_;
    bool full_ = false;
};

// A write of several statements on the connection, in one transaction
// (RunInTransaction): a TEST_INFO row named `name` (a text parameter of 50
// characters at most), then `rest`, given that insert, which the database
// must refuse. Returns whether the first statement had run.
bool WriteRefusedAfterItsFirstStatement(clsConnection& connection, const QString& name,
                                        const std::function<void(db::Command& insert)>& rest);

// The connection's next write of several statements, refused after its
// first (a text longer than its parameter allows), leaves nothing of itself,
// read back from the database; and no transaction is left open. What a
// connection shows after a fault when it still knows its transaction.
void ExpectAWriteRefusedHalfWayLeavesNothing(clsConnection& connection);

// A write of several statements refused by SQLite's own full error in its
// middle (FullDatabase), taken back whole; then room is made again.
void RefuseAWriteOnAFullDisk(clsConnection& connection);

}  // namespace testing_support
