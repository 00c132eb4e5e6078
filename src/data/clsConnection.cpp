#include "data/clsConnection.h"

#include "data/Globals.h"
#include "platform/Dialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

bool FileExists(const QString& path) {
    if (path.isEmpty()) return false;
    QFileInfo fi(path);
    return fi.exists() && fi.isFile() && fi.isReadable();
}

clsConnection::clsConnection() = default;
clsConnection::~clsConnection() = default;

void clsConnection::OpenDB(const QString&, const QString&, const QString&, const QString&) {
    try {
        connection_ = std::make_unique<db::Connection>();
        gAppPath = QDir::currentPath();
        const QString file = dataFile(kDatabaseFileName);
        if (FileExists(file))
            connectionText_ = QStringLiteral("Provider=SQLite;Data Source=") + file +
                              QStringLiteral(" ;Persist Security Info=False;");
        if (connectionText_.isEmpty())
            throw db::DbError(db::ErrNoFile, QStringLiteral("Could not find file '%1'.").arg(file));
        connection_->open(file);
        if (connection_->isReadOnly())
            ui::MsgBox(QStringLiteral("The database file '%1' is read-only: stored tests can be opened, "
                                      "but nothing can be recorded or saved.")
                           .arg(file));
    } catch (const db::DbError& e) {
        ui::MsgBox(QStringLiteral("clsConnection.OpenConnection: Error #: ") + QString::number(e.number()) +
                   QStringLiteral("\r\n") + e.description());
    }
}

int clsConnection::BeginTrans() {
    if (token_ != 0) return 0;
    int token = int(QRandomGenerator::global()->bounded(1000000)) + 1;
    if (!connection_) throw db::DbError(db::ErrNotOpen, QStringLiteral("Operation is not allowed when the object is closed."));
    connection_->beginTransaction();
    token_ = token;
    return token;
}

bool clsConnection::CommitTrans(int token) {
    if (token == 0 || token != token_) return false;
    try {
        connection_->commit();
    } catch (const db::DbError&) {
        // Undone by the database, it is ended here; otherwise RollBack ends it.
        if (!connection_->inTransaction()) RollBack(token);
        throw;
    }
    token_ = 0;
    return true;
}

bool clsConnection::RollBack(int token) {
    if (token == 0 || token != token_) return false;
    token_ = 0;
    connection_->rollback();
    return true;
}

void RunInTransaction(clsConnection* connection, const std::function<void()>& body) {
    const int transaction = connection ? connection->BeginTrans() : 0;
    try {
        body();
        if (transaction) connection->CommitTrans(transaction);
    } catch (...) {
        if (transaction) {
            try {
                connection->RollBack(transaction);
            } catch (const db::DbError&) {
                // The failure passed on says what went wrong; the next
                // transaction undoes what this rollback could not.
            }
        }
        throw;
    }
}

bool WriteOrRefuse(clsConnection* connection, const std::function<void()>& writes, const QString& notDone,
                   const QString& unchanged) {
    try {
        RunInTransaction(connection, writes);
        return true;
    } catch (const db::DbError& e) {
        ui::MsgBox(db::RefusalMessage(notDone, e, unchanged));
        return false;
    }
}
