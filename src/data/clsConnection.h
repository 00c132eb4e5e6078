#pragma once
// The application's one database connection, and the writes run on it as
// one transaction (RunInTransaction), an operator's click refused whole when
// the database does not take them (WriteOrRefuse).

#include "platform/Database.h"

#include <QString>
#include <functional>
#include <memory>

// True when a file of that name exists and can be read; never fails.
bool FileExists(const QString& path);

class clsConnection {
public:
    clsConnection();
    ~clsConnection();

    // Opens Z3080daq.accdb in the current working folder, which becomes gAppPath.
    // The four texts are accepted and ignored. A failure is shown to the operator
    // and the connection stays closed; the caller is not told.
    void OpenDB(const QString& dataSource = QString(), const QString& user = QString(),
                const QString& password = QString(), const QString& extra = QString());

    // The open connection; nullptr before OpenDB.
    db::Connection* ADOConnection() const { return connection_.get(); }
    const QString& ConnectionText() const { return connectionText_; }

    // A transaction for the writes that follow: a token (1 to 1000000), or 0
    // when a transaction begun here is not ended yet (the writes then join
    // it). The token ends it: CommitTrans, or RollBack, which also ends it
    // when the database had undone it already (db::Connection). A token that
    // is not the open one's does nothing and returns false.
    int BeginTrans();
    bool CommitTrans(int token);
    bool RollBack(int token);
    // Whether a transaction is open on the database, as SQLite tells it.
    bool InTransaction() const { return connection_ && connection_->inTransaction(); }

private:
    std::unique_ptr<db::Connection> connection_;
    QString connectionText_;
    int token_ = 0;  // the transaction begun here and not ended yet; 0 when none
};

// Runs the writes of `body` as one transaction of the connection (all or
// nothing): committed when body returns, rolled back when it throws, and the
// failure passed on to the caller. Without a connection body runs alone.
void RunInTransaction(clsConnection* connection, const std::function<void()>& body);

// The writes of an operator's click (Start, Delete, a sequence's Save, an
// edit, a download) as one transaction (RunInTransaction). Every statement
// waits for the database within the program's bound (db::kStatementWaitMs),
// so the click returns at once when another program holds the database.
// When the database refuses them (a db::DbError) nothing of them is stored,
// the operator is told what was not done and the database's state
// (db::RefusalMessage(notDone, error, unchanged)) and false is returned;
// the caller keeps what was typed. Any other failure passes on.
bool WriteOrRefuse(clsConnection* connection, const std::function<void()>& writes, const QString& notDone,
                   const QString& unchanged);
inline const QString kNothingStored = QStringLiteral("Nothing was stored");
