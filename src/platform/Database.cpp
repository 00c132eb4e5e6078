#include "platform/Database.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlResult>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QUuid>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <deque>
#include <mutex>
#include <sqlite3.h>
#include <sys/stat.h>
#include <thread>

namespace db {

DbError toDbError(const QSqlError& e, const QString& context) {
    bool ok = false;
    int n = e.nativeErrorCode().toInt(&ok);
    if (!ok || n == 0) n = 3000 + int(e.type());
    QString text = e.databaseText().isEmpty() ? e.driverText() : e.databaseText();
    if (!context.isEmpty()) text = context + ": " + text;
    return DbError(n, text);
}

QString dateToDb(const QDateTime& t) { return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

QDateTime dateFromDb(const QVariant& v) {
    if (v.isNull()) return {};
    if (v.metaType().id() == QMetaType::QDateTime) return v.toDateTime();
    if (v.metaType().id() == QMetaType::QDate) return v.toDate().startOfDay();
    const QString s = v.toString().trimmed();
    QDateTime t = QDateTime::fromString(s, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!t.isValid()) t = QDateTime::fromString(s, Qt::ISODate);
    if (!t.isValid()) {
        QDate d = QDate::fromString(s, QStringLiteral("yyyy-MM-dd"));
        if (d.isValid()) t = d.startOfDay();
    }
    return t;
}

// ---------------------------------------------------------------- waits

namespace {

// The program's waits for a locked database over the last second.
class WaitLedger {
public:
    WaitLedger() { clock_.start(); }
    qint64 now() const { return clock_.elapsed(); }
    int spent(qint64 now) {
        while (!waits_.empty() && waits_.front().end <= now - 1000) {
            total_ -= waits_.front().ms;
            waits_.pop_front();
        }
        return total_;
    }
    void add(qint64 end, int ms) {
        waits_.push_back({end, ms});
        total_ += ms;
    }
    std::mutex mutex;

private:
    struct Wait {
        qint64 end;
        int ms;
    };
    QElapsedTimer clock_;
    std::deque<Wait> waits_;
    int total_ = 0;
};

WaitLedger& ledger() {
    static WaitLedger l;
    return l;
}

// The longest sleep of one step of a busy wait, in ms.
constexpr int kBusyStepMs = 5;

}  // namespace

int WaitedInLastSecondMs() {
    WaitLedger& l = ledger();
    std::lock_guard<std::mutex> guard(l.mutex);
    return l.spent(l.now());
}

QString StateText(const DbError& e) {
    switch (e.number() & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED: return QStringLiteral("in use by another program");
        case SQLITE_FULL: return QStringLiteral("disk full");
        case SQLITE_READONLY: return QStringLiteral("read-only");
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB: return QStringLiteral("damaged");
        case SQLITE_IOERR: return QStringLiteral("not readable or writable (input/output error)");
        case SQLITE_CANTOPEN: return QStringLiteral("not to be opened");
        default: break;
    }
    if (e.number() == ErrNotOpen) return QStringLiteral("not open");
    return e.description();
}

QString StateSentence(const DbError& e) {
    switch (e.number() & 0xff) {
        case SQLITE_FULL: return QStringLiteral("the database has no room left (disk full)");
        case SQLITE_IOERR: return QStringLiteral("the database cannot be read or written (input/output error)");
        case SQLITE_CANTOPEN: return QStringLiteral("the database cannot be opened");
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
        case SQLITE_READONLY:
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB: return QStringLiteral("the database is ") + StateText(e);
        default: break;
    }
    if (e.number() == ErrNotOpen) return QStringLiteral("the database is ") + StateText(e);
    return QStringLiteral("the database refused it (") + e.description() + QLatin1Char(')');
}

QString RefusalMessage(const QString& notDone, const DbError& e, const QString& unchanged) {
    return notDone + QStringLiteral(": ") + StateSentence(e) + QStringLiteral(". ") + unchanged +
           QStringLiteral("; try again.");
}

int Connection::busyHandler(void* connection, int count) {
    auto* c = static_cast<Connection*>(connection);
    WaitLedger& l = ledger();
    int step = 0;
    {
        std::lock_guard<std::mutex> guard(l.mutex);
        const qint64 now = l.now();
        if (count == 0) c->busySince_ = now;
        const qint64 statementLeft = c->busyWaitMs_ - (now - c->busySince_);
        const qint64 programLeft = kWaitPerSecondMs - l.spent(now);
        step = int(std::min<qint64>({statementLeft, programLeft, kBusyStepMs}));
    }
    if (step <= 0) return 0;
    const qint64 start = l.now();
    std::this_thread::sleep_for(std::chrono::milliseconds(step));
    std::lock_guard<std::mutex> guard(l.mutex);
    const qint64 end = l.now();
    l.add(end, int(std::max<qint64>(step, end - start)));
    return 1;
}

// ---------------------------------------------------------------- Connection

// The SQLite handle of an open connection; nullptr for another driver.
static sqlite3* sqliteHandle(QSqlDatabase& db) {
    if (!db.isValid() || !db.isOpen() || !db.driver()) return nullptr;
    const QVariant h = db.driver()->handle();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0) return nullptr;
    return *static_cast<sqlite3* const*>(h.constData());
}

static const char* const kTables[] = {"TEST_INFO",     "TEST_RESULT",   "TEST_ADDITIVE",
                                       "SEQUENCE_INFO", "SEQUENCE_RAMP", "SEQUENCE_RAMP_DEFINE"};

namespace {

// Every connection of the process, open or not (IsFileInUse).
std::mutex& connectionsMutex() {
    static std::mutex m;
    return m;
}
std::vector<const Connection*>& connections() {
    static std::vector<const Connection*> all;
    return all;
}

// The files SQLite keeps beside a database file, by the suffix of their names.
const char* const kCompanionSuffixes[] = {"", "-wal", "-shm", "-journal"};

// A file's name made absolute through the folder's canonical path: two
// names of one file give one key, also for a file not there (yet).
QString sameFileKey(const QString& path) {
    const QFileInfo fi(path);
    const QString canonical = fi.canonicalFilePath();
    if (!canonical.isEmpty()) return canonical;
    const QString folder = fi.absoluteDir().canonicalPath();
    return (folder.isEmpty() ? fi.absolutePath() : folder) + QLatin1Char('/') + fi.fileName();
}

bool sameInode(const QString& a, const QString& b) {
    struct stat sa, sb;
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 && ::stat(QFile::encodeName(b).constData(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace

namespace {
// Into and out of one of the lists above, under their mutex.
template <class T>
void enlist(std::vector<const T*>& all, const T* one) {
    std::lock_guard<std::mutex> lock(connectionsMutex());
    all.push_back(one);
}
template <class T>
void unlist(std::vector<const T*>& all, const T* one) {
    std::lock_guard<std::mutex> lock(connectionsMutex());
    all.erase(std::remove(all.begin(), all.end(), one), all.end());
}

std::vector<const ReservedFile*>& reservedFiles() {
    static std::vector<const ReservedFile*> all;
    return all;
}
bool namesOneOf(const QString& path, const QStringList& files) {
    const QString key = sameFileKey(path);
    for (const QString& file : files)
        if (sameFileKey(file) == key || sameInode(file, path)) return true;
    return false;
}
QStringList reservedPaths() {
    std::lock_guard<std::mutex> lock(connectionsMutex());
    QStringList paths;
    for (const ReservedFile* f : reservedFiles()) paths << f->path();
    return paths;
}
}  // namespace

ReservedFile::ReservedFile(const QString& path) : path_(path) { enlist(reservedFiles(), this); }

ReservedFile::~ReservedFile() { unlist(reservedFiles(), this); }

bool IsReservedFile(const QString& path) { return !path.isEmpty() && namesOneOf(path, reservedPaths()); }

bool IsFileInUse(const QString& path) {
    if (path.isEmpty()) return false;
    QStringList inUse = reservedPaths();
    {
        std::lock_guard<std::mutex> lock(connectionsMutex());
        for (const Connection* c : connections())
            if (c->isOpen() && !c->path().isEmpty())
                for (const char* suffix : kCompanionSuffixes) inUse << c->path() + QLatin1String(suffix);
    }
    return namesOneOf(path, inUse);
}

Connection::Connection()
    : name_(QStringLiteral("z3080-") + QUuid::createUuid().toString(QUuid::WithoutBraces)) {
    enlist(connections(), this);
}

Connection::~Connection() {
    unlist(connections(), this);
    if (db_.isValid()) {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
    }
}

void Connection::open(const QString& path) {
    // SQLite would make a new, empty file on open: only existing files are opened.
    QFileInfo fi(path);
    if (!fi.exists() || !fi.isFile())
        throw DbError(ErrNoFile, QStringLiteral("Could not find file '%1'.").arg(path));

    if (db_.isValid()) {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
    }
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    // mode=rw: read and write an existing file, never create one; a file the
    // system write-protects is opened for reading only.
    QString uri = QUrl::fromLocalFile(fi.absoluteFilePath()).toString(QUrl::FullyEncoded) +
                  QStringLiteral("?mode=rw");
    db_.setDatabaseName(uri);
    busyWaitMs_ = kStatementWaitMs;
    transactionBegun_ = false;
    db_.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(kStatementWaitMs));
    path_ = fi.absoluteFilePath();
    static std::atomic<quint64> openings{0};
    opening_ = ++openings;
    if (!db_.open()) throw toDbError(db_.lastError());
    // From here on the program's bound holds the waits, not SQLite's time-out.
    if (sqlite3* handle = sqliteHandle(db_)) sqlite3_busy_handler(handle, &Connection::busyHandler, this);

    QSqlQuery q(db_);
    // Reading the catalogue is the first access to the file: a file that is not
    // a database fails here instead of at the first recorded point.
    QStringList present;
    if (!q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"))) {
        DbError e = toDbError(q.lastError());
        db_.close();
        throw DbError(ErrNotDatabase,
                      QStringLiteral("The file '%1' is not a Z3080DAQ database (%2).").arg(path, e.description()));
    }
    while (q.next()) present << q.value(0).toString().toUpper();
    for (const char* t : kTables) {
        if (!present.contains(QLatin1String(t))) {
            db_.close();
            throw DbError(ErrNotDatabase, QStringLiteral("The file '%1' is not a Z3080DAQ database (table %2 is missing).")
                                              .arg(path, QLatin1String(t)));
        }
    }

    // Durability: every statement commits by itself, and a recorded point must
    // survive a crash or power cut of the computer as soon as its insert returns.
    // Write-ahead logging with synchronous=FULL syncs the log on every commit, so
    // a committed row is on disk when the insert returns, at one sync per insert
    // (the rollback journal would need several). A file that is write-protected
    // keeps its journal mode; the pragmas then simply do not apply.
    q.exec(QStringLiteral("PRAGMA journal_mode = WAL"));
    q.exec(QStringLiteral("PRAGMA synchronous = FULL"));
    readOnly_ = false;
    if (q.exec(QStringLiteral("PRAGMA query_only")) && q.next()) readOnly_ = q.value(0).toInt() != 0;
    if (!fi.isWritable()) readOnly_ = true;
}

bool Connection::isOpen() const { return db_.isValid() && db_.isOpen(); }

void Connection::setBusyWaitMs(int ms) { busyWaitMs_ = std::clamp(ms, 0, kStatementWaitMs); }

BusyWait::BusyWait(Connection* connection, int ms) : connection_(connection) {
    if (!connection_) return;
    before_ = connection_->busyWaitMs();
    connection_->setBusyWaitMs(ms);
}

BusyWait::~BusyWait() {
    if (connection_) connection_->setBusyWaitMs(before_);
}

std::optional<ChangeStamp> Connection::changeStamp() {
    sqlite3* handle = sqliteHandle(db_);
    if (!handle) return std::nullopt;
    const auto pragma = [handle](const char* text, qint64& value) {
        sqlite3_stmt* stmt = nullptr;
        bool ok = sqlite3_prepare_v2(handle, text, -1, &stmt, nullptr) == SQLITE_OK && stmt &&
                  sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_type(stmt, 0) == SQLITE_INTEGER;
        if (ok) value = sqlite3_column_int64(stmt, 0);
        sqlite3_finalize(stmt);
        return ok;
    };
    ChangeStamp stamp;
    stamp.opening = opening_;
    stamp.rollbacks = rollbacks_;
    if (!pragma("PRAGMA data_version", stamp.dataVersion) || !pragma("PRAGMA schema_version", stamp.schemaVersion))
        return std::nullopt;
    stamp.totalChanges = sqlite3_total_changes64(handle);
    return stamp;
}

void Connection::requireOpen() const {
    if (!isOpen())
        throw DbError(ErrNotOpen, QStringLiteral("Operation is not allowed when the object is closed."));
}

void Connection::beginTransaction() {
    requireOpen();
    if (inTransaction()) rollback();
    if (!db_.transaction()) throw toDbError(db_.lastError());
    transactionBegun_ = true;
}
void Connection::commit() {
    requireOpen();
    const bool committed = db_.commit();
    if (committed || !inTransaction()) transactionBegun_ = false;
    if (!committed) throw toDbError(db_.lastError());
}
void Connection::rollback() {
    requireOpen();
    ++rollbacks_;  // whatever the outcome, rows read before may be gone
    transactionBegun_ = false;
    // Refused once SQLite has undone the transaction itself: then nothing is left to undo.
    if (!db_.rollback() && inTransaction()) throw toDbError(db_.lastError());
}
bool Connection::inTransaction() {
    sqlite3* handle = sqliteHandle(db_);
    return handle && sqlite3_get_autocommit(handle) == 0;
}
void Connection::requireStatementAllowed() {
    requireOpen();
    if (transactionBegun_ && !inTransaction())
        throw DbError(ErrTransactionUndone,
                      QStringLiteral("The database undid the transaction after an earlier failure."));
}

// ---------------------------------------------------------------- Command

Command::Command(Connection* connection, const QString& text) : connection_(connection), text_(text) {}
Command::~Command() = default;

void Command::appendParameter(const QString& name, ParamType type, int size, const QVariant& value) {
    params_.append(Parameter{name, type, size, value});
}

Parameter& Command::parameter(const QString& name) {
    for (auto& p : params_)
        if (p.name.compare(name, Qt::CaseInsensitive) == 0) return p;
    throw DbError(ErrBadValue, QStringLiteral("Item cannot be found in the collection: %1").arg(name));
}

QVariant Command::bindValue(const Parameter& p) const {
    const QVariant& v = p.value;
    if (v.isNull() || !v.isValid()) return QVariant();
    auto bad = [&]() {
        return DbError(ErrBadValue, QStringLiteral("Type mismatch in parameter %1.").arg(p.name));
    };
    switch (p.type) {
        case adVarChar: {
            QString s = v.metaType().id() == QMetaType::QDateTime ? dateToDb(v.toDateTime()) : v.toString();
            if (p.size > 0 && s.size() > p.size)
                throw DbError(ErrValueTooLong,
                              QStringLiteral("The value of %1 is longer than %2 characters.").arg(p.name).arg(p.size));
            // An empty text is stored as an empty text: the driver would bind a null QString as Null.
            if (s.isNull()) s = QString::fromLatin1("");
            return s;
        }
        case adInteger: {
            bool ok = false;
            double d = v.toDouble(&ok);
            if (!ok || !std::isfinite(d) || std::fabs(d) > 2147483647.0) throw bad();
            return qlonglong(std::nearbyint(d));  // to nearest, halves to even
        }
        case adDouble: {
            bool ok = false;
            double d = v.toDouble(&ok);
            if (!ok) throw bad();
            return d;
        }
        case adDBTimeStamp: {
            QDateTime t = dateFromDb(v);
            if (!t.isValid()) throw bad();
            return dateToDb(t);
        }
    }
    return v;
}

// Reading a long result through QSqlQuery costs several calls and copies per
// value (the driver's row cache, then QSqlQuery::value); a test of 100,000
// points spent more time there than in the database. Once the driver has
// delivered the first row, the remaining rows are read straight from its
// statement, converted exactly as the SQLite driver converts them. The driver
// keeps owning the statement; QSqlQuery::finish resets it as before.

// The driver's statement, standing on the row QSqlQuery::next just delivered;
// nullptr when the driver is not SQLite or converts numbers differently.
static sqlite3_stmt* positionedStatement(const QSqlQuery& q, int columns) {
    if (q.numericalPrecisionPolicy() != QSql::LowPrecisionDouble &&
        q.numericalPrecisionPolicy() != QSql::HighPrecision)
        return nullptr;
    const QVariant h = q.result()->handle();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3_stmt*") != 0) return nullptr;
    sqlite3_stmt* stmt = *static_cast<sqlite3_stmt* const*>(h.constData());
    if (!stmt || !sqlite3_stmt_busy(stmt) || sqlite3_column_count(stmt) != columns) return nullptr;
    return stmt;
}

// Steps to the end, appending every row; returns the rows read and leaves the
// last step's result code in rc (SQLITE_DONE at the end).
static int fetchRest(sqlite3_stmt* stmt, QVector<QVector<QVariant>>& columns, int& rc) {
    const int cols = columns.size();
    int rows = 0;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        for (int c = 0; c < cols; ++c) {
            QVector<QVariant>& col = columns[c];
            switch (sqlite3_column_type(stmt, c)) {
                case SQLITE_INTEGER: col.append(QVariant(qlonglong(sqlite3_column_int64(stmt, c)))); break;
                case SQLITE_FLOAT: col.append(QVariant(sqlite3_column_double(stmt, c))); break;
                case SQLITE_NULL: col.append(QVariant(QMetaType::fromType<QString>())); break;
                case SQLITE_BLOB:
                    col.append(QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, c)),
                                                   sqlite3_column_bytes(stmt, c))));
                    break;
                default:
                    col.append(QVariant(QString(reinterpret_cast<const QChar*>(sqlite3_column_text16(stmt, c)),
                                                sqlite3_column_bytes16(stmt, c) / int(sizeof(QChar)))));
                    break;
            }
        }
        ++rows;
    }
    return rows;
}

// ---------------------------------------------------------------- numbers

QVariant NumberColumn::cell(int r) const {
    const QVariant* other = nullptr;
    return number(r, &other) ? QVariant(values[size_t(r)]) : *other;
}

bool NumberColumn::numberAmongOthers(int r, const QVariant** other) const {
    const auto it = std::lower_bound(otherRows.begin(), otherRows.end(), r);
    if (it == otherRows.end() || *it != r) return true;
    *other = &others[size_t(it - otherRows.begin())];
    return false;
}

// Appends a value as the variant fetch gives it: a number as a number, any
// other value as it stands.
static void appendVariant(NumberColumn& col, const QVariant& v) {
    if (!v.isNull()) {
        switch (v.metaType().id()) {
            case QMetaType::LongLong: col.values.push_back(double(v.toLongLong())); return;
            case QMetaType::Double: col.values.push_back(v.toDouble()); return;
            default: break;
        }
    }
    col.otherRows.push_back(int(col.values.size()));
    col.others.push_back(v);
    col.values.push_back(0);
}

// fetchRest into number columns: the numbers as doubles, every other cell as
// the QVariant fetchRest makes of it.
static int fetchRestNumbers(sqlite3_stmt* stmt, std::vector<NumberColumn>& columns, int& rc) {
    const int cols = int(columns.size());
    int rows = 0;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        for (int c = 0; c < cols; ++c) {
            NumberColumn& col = columns[size_t(c)];
            switch (sqlite3_column_type(stmt, c)) {
                case SQLITE_FLOAT: col.values.push_back(sqlite3_column_double(stmt, c)); break;
                case SQLITE_INTEGER: col.values.push_back(double(qlonglong(sqlite3_column_int64(stmt, c)))); break;
                case SQLITE_NULL: appendVariant(col, QVariant(QMetaType::fromType<QString>())); break;
                case SQLITE_BLOB:
                    appendVariant(col, QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, c)),
                                                           sqlite3_column_bytes(stmt, c))));
                    break;
                default:
                    appendVariant(col, QVariant(QString(reinterpret_cast<const QChar*>(sqlite3_column_text16(stmt, c)),
                                                        sqlite3_column_bytes16(stmt, c) / int(sizeof(QChar)))));
                    break;
            }
        }
        ++rows;
    }
    return rows;
}

// The rows of an executed query read into the row set, from the row the
// driver delivered first.
template <class Columns, class Append, class Rest>
static int fetchRows(QSqlQuery& q, Columns& columns, Append append, Rest rest) {
    const int cols = int(columns.size());
    int rows = 0;
    if (!q.next()) return 0;
    for (int c = 0; c < cols; ++c) append(columns[c], q.value(c));
    ++rows;
    if (sqlite3_stmt* stmt = positionedStatement(q, cols)) {
        int rc = SQLITE_DONE;
        rows += rest(stmt, columns, rc);
        if (rc != SQLITE_DONE) {
            // As the driver reports a failed fetch: the result code and the database's text.
            DbError e(rc, QString(reinterpret_cast<const QChar*>(sqlite3_errmsg16(sqlite3_db_handle(stmt)))));
            q.finish();
            throw e;
        }
    } else {
        while (q.next()) {
            for (int c = 0; c < cols; ++c) append(columns[c], q.value(c));
            ++rows;
        }
    }
    return rows;
}

QSqlQuery& Command::run() {
    if (!connection_) throw DbError(ErrNotOpen, QStringLiteral("The command has no connection."));
    connection_->requireStatementAllowed();
    if (!query_) {
        query_ = std::make_unique<QSqlQuery>(connection_->handle());
        query_->setForwardOnly(true);
        if (!query_->prepare(text_)) {
            DbError e = toDbError(query_->lastError());
            query_.reset();
            throw e;
        }
    }
    QSqlQuery& q = *query_;
    for (int i = 0; i < params_.size(); ++i) q.bindValue(i, bindValue(params_[i]));
    if (!q.exec()) {
        DbError e = toDbError(q.lastError());
        q.finish();
        throw e;
    }
    return q;
}

qint64 Command::executeInsert() {
    // Only an INSERT sets the connection's last key: after any other
    // statement it would still be the key of an earlier row.
    if (!text_.trimmed().startsWith(QLatin1String("INSERT"), Qt::CaseInsensitive))
        throw DbError(ErrNoInsertKey, QStringLiteral("The statement is not an insert: %1").arg(text_));
    QSqlQuery& q = run();
    // The key of the row just inserted: the last insert id of this
    // connection, taken while the statement is still active.
    const QVariant key = q.lastInsertId();
    const int rows = q.numRowsAffected();
    q.finish();
    bool ok = false;
    const qint64 id = key.toLongLong(&ok);
    if (rows != 1 || !key.isValid() || !ok)
        throw DbError(ErrNoInsertKey, QStringLiteral("The key of the inserted row could not be read."));
    return id;
}

std::shared_ptr<RowSet> Command::execute() {
    QSqlQuery& q = run();
    auto rs = std::make_shared<RowSet>();
    if (q.isSelect()) {
        const int cols = q.record().count();
        if (numberFetch_) {
            rs->numbers.resize(size_t(cols));
            rs->rowCount = fetchRows(q, rs->numbers, appendVariant, fetchRestNumbers);
        } else {
            rs->columns.resize(cols);
            rs->rowCount = fetchRows(
                q, rs->columns, [](QVector<QVariant>& col, const QVariant& v) { col.append(v); }, fetchRest);
        }
        if (q.lastError().isValid()) {
            DbError e = toDbError(q.lastError());
            q.finish();
            throw e;
        }
    }
    q.finish();
    return rs;
}

}  // namespace db
