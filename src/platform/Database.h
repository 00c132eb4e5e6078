#pragma once
// A small database access layer over Qt Sql / SQLite, shaped like the
// connection / command / row-set objects the record classes were written for:
// fixed statement texts with positional "?" parameters, and every row of a
// query fetched at once into a column-by-row array.

#include "platform/NumberedError.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>
#include <stdexcept>

class QSqlQuery;
class QSqlError;

namespace db {

// A database failure: the number and description the operator sees in
// "ERROR: " + number + ", " + description.
class DbError : public NumberedError {
public:
    using NumberedError::NumberedError;
};

// Our own failure numbers, for failures the database engine does not number.
enum ErrorNumber : int {
    ErrNotOpen = 3704,        // operation on a closed connection
    ErrNoFile = 3705,         // database file missing
    ErrNotDatabase = 3706,    // file is not a database of ours
    ErrValueTooLong = 3707,   // text longer than its parameter allows
    ErrNoRowSet = 3708,       // operation needs a row set that was never made
    ErrBadValue = 3709,       // a value that cannot be converted to its parameter's type
};

// Parameter data types (the codes the record classes declare).
enum ParamType : int {
    adInteger = 3,
    adDouble = 5,
    adDBTimeStamp = 135,
    adVarChar = 200,
};

// Dates travel as text in this fixed, sortable form.
QString dateToDb(const QDateTime& t);
QDateTime dateFromDb(const QVariant& v);  // invalid QDateTime when not a date

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens an existing database file; never creates one. Throws DbError.
    void open(const QString& path, int busyTimeoutSeconds = 20);
    bool isOpen() const;
    bool isReadOnly() const { return readOnly_; }
    const QString& path() const { return path_; }
    QSqlDatabase& handle() { return db_; }

    void beginTransaction();
    void commit();
    void rollback();

    // Throws DbError when the connection is not open.
    void requireOpen() const;

private:
    QString name_;
    QString path_;
    QSqlDatabase db_;
    bool readOnly_ = false;
};

// The result of one execution: every row fetched at once.
class RowSet {
public:
    // columns[c][r]: column c of row r, in the SELECT's column order.
    QVector<QVector<QVariant>> columns;
    int rowCount = 0;

    // A row set that found nothing stands at its end and its beginning at once.
    bool atEnd() const { return rowCount == 0; }
    bool atBegin() const { return rowCount == 0; }
    int columnCount() const { return columns.size(); }
};

struct Parameter {
    QString name;
    ParamType type = adDouble;
    int size = 0;
    QVariant value;  // null QVariant is Null
};

// A prepared statement with positional parameters.
class Command {
public:
    Command(Connection* connection, const QString& text);
    ~Command();
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    const QString& text() const { return text_; }
    void appendParameter(const QString& name, ParamType type, int size = 0,
                         const QVariant& value = QVariant());
    int parameterCount() const { return params_.size(); }
    Parameter& parameter(int index) { return params_[index]; }
    Parameter& parameter(const QString& name);
    void setValue(int index, const QVariant& value) { params_[index].value = value; }

    // Executes the statement; for a query every row is fetched into the row set.
    std::shared_ptr<RowSet> execute();

private:
    QVariant bindValue(const Parameter& p) const;

    Connection* connection_;
    QString text_;
    QVector<Parameter> params_;
    std::unique_ptr<QSqlQuery> query_;
};

// Wraps a QSqlError into a DbError.
DbError toDbError(const QSqlError& e, const QString& context = QString());

}  // namespace db
