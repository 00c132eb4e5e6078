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
#include <optional>
#include <stdexcept>
#include <vector>

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
    ErrNoInsertKey = 3710,    // an insert whose new row's key cannot be told
    ErrTransactionUndone = 3711,  // a statement of a transaction the database has undone
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

// Where a database stands: taken twice from one open connection, equal
// stamps mean that no row and no table of the database changed in between,
// whether written through this connection or through any other (of this
// process or another).
struct ChangeStamp {
    quint64 opening = 0;        // the connection's opening, unique in the process
    qint64 dataVersion = 0;     // commits of other connections
    qint64 schemaVersion = 0;   // changes of the tables themselves
    qint64 totalChanges = 0;    // rows written through this connection
    quint64 rollbacks = 0;      // its transactions undone (their rows are counted above, but gone)
    bool operator==(const ChangeStamp&) const = default;
};

// How long the program waits for a database another program holds locked.
// A statement waits at most kStatementWaitMs (less where its caller asks,
// BusyWait), and all the waits of the whole program, every connection and
// every window together, add up to at most kWaitPerSecondMs within any one
// second. A statement that finds the database locked once these are spent is
// refused at once ("database is locked") and its caller tries again later,
// so no click, no tick and no number of windows hold the one user-interface
// thread back for long.
inline constexpr int kStatementWaitMs = 50;
inline constexpr int kWaitPerSecondMs = 100;

// The waits for a locked database of the last second, in ms, all connections
// of the program together.
int WaitedInLastSecondMs();

// The database's state as the operator is told it when a statement is
// refused: "in use by another program", "disk full", "read-only", ... (the
// database's own words for any other failure).
QString StateText(const DbError& e);
// The same as a sentence: "the database is in use by another program", "the
// database has no room left (disk full)", ...
QString StateSentence(const DbError& e);
// The refusal of an operator's action whose writes the database did not
// take: what was not done, the database's state, what is as it was, and that
// it may be tried again; for example "The test was not started: the database
// is in use by another program. Nothing was stored; try again."
QString RefusalMessage(const QString& notDone, const DbError& e, const QString& unchanged);

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens an existing database file; never creates one. Throws DbError.
    // A statement waits for a database another connection holds locked
    // within the program's bound (kStatementWaitMs, kWaitPerSecondMs).
    void open(const QString& path);
    bool isOpen() const;
    bool isReadOnly() const { return readOnly_; }
    const QString& path() const { return path_; }
    QSqlDatabase& handle() { return db_; }

    // A transaction: begun, then committed or rolled back. SQLite undoes a
    // transaction by itself on some failures (a full disk): a statement run
    // after that, before the commit or the rollback, is refused
    // (ErrTransactionUndone) rather than stored alone, and the rollback finds
    // nothing left to undo, which is no failure. A commit that fails leaves
    // the transaction to its rollback. A begin finds no transaction left open
    // (one a failed rollback left is undone first).
    void beginTransaction();
    void commit();
    void rollback();
    // Whether a transaction is open on the connection, as SQLite tells it;
    // false when the connection is not open.
    bool inTransaction();

    // Throws DbError when the connection is not open.
    void requireOpen() const;
    // Throws DbError when the connection is not open, or when the
    // transaction begun on it was undone by the database (ErrTransactionUndone).
    void requireStatementAllowed();

    // The stamp of the database now; none when the connection is not open,
    // is not SQLite or cannot tell.
    std::optional<ChangeStamp> changeStamp();

    // How long one statement waits at most for a database another connection
    // holds locked: kStatementWaitMs, or less (BusyWait); never more, and
    // never beyond what is left of the program's kWaitPerSecondMs.
    int busyWaitMs() const { return busyWaitMs_; }
    void setBusyWaitMs(int ms);

private:
    // SQLite's busy handler of the connection: sleeps in short steps while
    // the statement's and the program's waits allow.
    static int busyHandler(void* connection, int count);

    QString name_;
    int busyWaitMs_ = kStatementWaitMs;
    qint64 busySince_ = 0;
    quint64 opening_ = 0;
    quint64 rollbacks_ = 0;
    bool transactionBegun_ = false;  // begun here, not yet committed or rolled back
    QString path_;
    QSqlDatabase db_;
    bool readOnly_ = false;
};

// Within its scope the statements of the connection wait at most `ms` (up to
// kStatementWaitMs) for a database another connection holds locked; the
// connection's own wait comes back at its end. Nothing without a connection.
class BusyWait {
public:
    BusyWait(Connection* connection, int ms);
    ~BusyWait();
    BusyWait(const BusyWait&) = delete;
    BusyWait& operator=(const BusyWait&) = delete;

private:
    Connection* connection_;
    int before_ = kStatementWaitMs;
};

// A column of a query fetched as numbers, without a QVariant per cell: the
// number of every cell that holds one (an integer or a floating-point value),
// and every other cell (Null, text, blob) as the QVariant the variant fetch
// gives it, by row.
struct NumberColumn {
    std::vector<double> values;           // 0 in the rows of `others`
    std::vector<int> otherRows;           // rising
    std::vector<QVariant> others;         // the value of row otherRows[k]

    // The cell of row r as the variant fetch gives it.
    QVariant cell(int r) const;
    // Whether row r holds a number (values[r]); otherwise *other is its value.
    bool number(int r, const QVariant** other) const { return otherRows.empty() || numberAmongOthers(r, other); }

private:
    bool numberAmongOthers(int r, const QVariant** other) const;
};

// The result of one execution: every row fetched at once.
class RowSet {
public:
    // columns[c][r]: column c of row r, in the SELECT's column order; empty
    // when the command fetched numbers (Command::setNumberFetch).
    QVector<QVector<QVariant>> columns;
    // numbers[c]: column c, when the command fetched numbers.
    std::vector<NumberColumn> numbers;
    int rowCount = 0;

    // A row set that found nothing stands at its end and its beginning at once.
    bool atEnd() const { return rowCount == 0; }
    bool atBegin() const { return rowCount == 0; }
    int columnCount() const { return numbers.empty() ? int(columns.size()) : int(numbers.size()); }
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

    // A query's rows into RowSet::numbers instead of RowSet::columns: for long
    // results of numbers (the same values, much less work per cell).
    void setNumberFetch(bool on) { numberFetch_ = on; }
    bool numberFetch() const { return numberFetch_; }

    // Executes the statement; for a query every row is fetched into the row set.
    std::shared_ptr<RowSet> execute();
    // Executes an INSERT of one row and returns the key the database gave
    // that row (SQLite's rowid), read on this connection right after the
    // statement ran, before anything else can insert. A statement that fails
    // throws as execute() does; one that is no INSERT, that inserted no row
    // or whose key cannot be told throws too.
    qint64 executeInsert();

private:
    QVariant bindValue(const Parameter& p) const;
    // Prepares (once), binds and executes; throws the statement's failure.
    QSqlQuery& run();

    Connection* connection_;
    QString text_;
    QVector<Parameter> params_;
    std::unique_ptr<QSqlQuery> query_;
    bool numberFetch_ = false;
};

// Whether `path` names a file an open connection of this process uses: its
// database file, or the write-ahead log, shared-memory index or journal
// beside it ("-wal", "-shm", "-journal"), however named (the same file by
// its canonical path or its inode). Nothing but the connection itself may
// open those files: closing any descriptor of them in the process drops the
// locks the connection holds on them.
// Also a file of the program's own reserved beside them (ReservedFile).
bool IsFileInUse(const QString& path);

// A file the program keeps for itself while the object lives, beside the
// database's (the data folder's lock, the spool of recorded rows): named by
// IsFileInUse, so that the file dialogs refuse it as they refuse the
// database's files, and nothing else of the process opens it.
class ReservedFile {
public:
    explicit ReservedFile(const QString& path);
    ~ReservedFile();
    ReservedFile(const ReservedFile&) = delete;
    ReservedFile& operator=(const ReservedFile&) = delete;
    const QString& path() const { return path_; }

private:
    QString path_;
};
// Whether `path` names a file reserved that way (however named).
bool IsReservedFile(const QString& path);

// Wraps a QSqlError into a DbError.
DbError toDbError(const QSqlError& e, const QString& context = QString());

}  // namespace db
