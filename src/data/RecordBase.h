#pragma once
// What every record class shares: prepared commands made when the class is
// bound to the connection, every row of a query fetched at once into the row
// cache (column by row), and a cursor over that cache.
//
// The record classes trap no errors: a database failure reaches the caller as
// a db::DbError carrying its number and description.

#include "data/clsConnection.h"
#include "platform/Database.h"

#include <QDateTime>
#include <QVariant>
#include <QVector>
#include <initializer_list>
#include <memory>

// The row cache: cache[column][row].
using RowCache = QVector<QVector<QVariant>>;
// The current row as an array (the All property).
using RowArray = QVector<QVariant>;

class RecordBase {
public:
    virtual ~RecordBase() = default;

    // The end flag (EOF): raised by MoveNext on the last row and by a query that
    // found nothing; never by the database.
    bool Eof() const { return eof_; }
    // The last row set's beginning and emptiness; fail before any row set exists.
    bool BOF() const;
    bool IsEmpty() const;

    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    void MoveRel(int n);

    int RowCount() const { return rowCount_; }
    int CursorIndex() const { return cursor_; }
    // The database connection the record is bound to (nullptr before it is).
    db::Connection* BoundConnection() const { return adoConnection_; }

protected:
    explicit RecordBase(bool moveFirstClearsEof) : moveFirstClearsEof_(moveFirstClearsEof) {}

    // Every current-row field to its default.
    virtual void SetDefaults() = 0;
    // SetDefaults, then every column of row i that is not Null into its field.
    virtual void LoadRow(int i) = 0;

    // The key query: runs cmd with its one parameter set to key. Nothing found:
    // the fields go back to their defaults, row count 0 and the end flag up (the
    // row cache keeps what it held). Rows found: they fill the row cache, the
    // end flag drops and row 0 is loaded; the cursor index is not changed.
    void keyQuery(db::Command& cmd, const QVariant& key);

    struct ParamSpec {
        const char* name;
        db::ParamType type;
        int size = 0;
    };
    // Binds to the connection object (keeps it and takes its database connection).
    void bind(clsConnection* connection);
    // A command on the bound connection with its parameters in "?" order; text
    // parameters start as "", the others without a value.
    std::unique_ptr<db::Command> makeCommand(const QString& text, std::initializer_list<ParamSpec> params) const;
    // Executes and keeps the row set as the last row set.
    std::shared_ptr<db::RowSet> runKeyQuery(db::Command& cmd);
    // Takes every row of a row set into the row cache and sets the row count.
    virtual void takeRows(const std::shared_ptr<db::RowSet>& rs);
    // Throws when a command was never made (the class was not bound).
    static db::Command& need(const std::unique_ptr<db::Command>& cmd);

    const QVariant& cell(int column, int row) const { return cache_[column][row]; }

    // Value conversions for the current-row fields (fail with a type mismatch).
    static double toDouble(const QVariant& v);
    static QString toText(const QVariant& v);
    static QDateTime toDate(const QVariant& v);
    static bool isNull(const QVariant& v) { return !v.isValid() || v.isNull(); }
    // Throws "Subscript out of range" when an array given to All has fewer than n entries.
    static void needEntries(const RowArray& values, int n);

    clsConnection* connection_ = nullptr;
    db::Connection* adoConnection_ = nullptr;
    std::shared_ptr<db::RowSet> lastRowSet_;
    RowCache cache_;
    int rowCount_ = 0;
    int cursor_ = 0;
    bool eof_ = false;
    RowArray rowArray_;

private:
    bool moveFirstClearsEof_;
};

// Rounds to the nearest integer, halves to the even neighbour.
qint32 roundHalfEven(double v);
