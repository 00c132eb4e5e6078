#include "unitrun/RowSpool.h"

#include "data/Globals.h"
#include "data/clsConnection.h"
#include "data/clsTEST_RESULT.h"
#include "platform/Database.h"
#include "platform/Dialogs.h"
#include "platform/TrapErrors.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <limits>

namespace runloop {

namespace {

// The first line of a spool file: what it is, and the form of its lines. A
// file begun by the format before is read as well, and so are its lines.
const QByteArray kFormatLine = QByteArrayLiteral("Z3080DAQ recorded points waiting for the database, format 2\n");
const QByteArray kFormerFormatLine =
    QByteArrayLiteral("Z3080DAQ recorded points waiting for the database, format 1\n");
// A line: the entry number, the columns TEST_ID .. CYCLE_NO, the test's name,
// its TEST_TIME, how many equal rows came before it, the checksum. A line of
// the format before has neither the TEST_TIME nor the count.
constexpr int kFirstColumn = resultcol::TestId;
constexpr int kLastColumn = resultcol::CycleNo;
constexpr int kColumnCount = kLastColumn - kFirstColumn + 1;
constexpr int kFormerFieldCount = 1 + kColumnCount + 1 + 1;
constexpr int kFieldCount = kFormerFieldCount + 2;
// What a line holds where a value is not known.
const QByteArray kNotKnown = QByteArrayLiteral("-");
// The lines that cannot be read which the start's message names (it counts them all).
constexpr int kLinesNamed = 3;

// How many rows TEST_RESULT holds equal to one (IS: a column both hold no number in counts as the same).
const QString kCountAlikeSql = QStringLiteral(
    "SELECT COUNT(*) FROM TEST_RESULT WHERE TEST_ID IS ? AND RAMP_NO IS ? AND RAMP_STEP_NO IS ? AND RESULT_TIME IS ? "
    "AND RESULT_SAMPLE_TEMP IS ? AND RESULT_PRESS IS ? AND RESULT_SPEED IS ? AND RESULT_SHEAR_STRESS IS ? "
    "AND RESULT_TYPE_ID IS ? AND RESULT_BATH_TEMP IS ? AND CYCLE_NO IS ?");
// The test a row says it belongs to, as TEST_INFO holds it.
const QString kTestSql = QStringLiteral("SELECT TEST_NAME, TEST_TIME FROM TEST_INFO WHERE TEST_ID = ?");

quint32 crc32(const QByteArray& bytes) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray checksumText(const QByteArray& body) {
    return QByteArray::number(crc32(body), 16).rightJustified(8, '0');
}

// The shortest text that reads back to the same double (its sign kept on a zero too).
QByteArray numberText(double v) {
    if (v == 0 && std::signbit(v)) return QByteArrayLiteral("-0");
    return QByteArray::number(v, 'g', QLocale::FloatingPointShortest);
}

// The columns of a row and its test, as a line holds them: rows equal in all of it are one key.
QByteArray rowText(const SpooledRow& r) {
    QByteArray text;
    for (int c = kFirstColumn; c <= kLastColumn; ++c) text += ' ' + numberText(r.row[c]);
    text += ' ' + r.test.toUtf8().toPercentEncoding();
    text += ' ' + (r.started.isEmpty() ? kNotKnown : r.started.toUtf8().toPercentEncoding());
    return text;
}

QByteArray encode(const SpooledRow& r) {
    QByteArray body = QByteArray::number(r.id) + rowText(r) + ' ' +
                      (r.before < 0 ? kNotKnown : QByteArray::number(r.before));
    return body + ' ' + checksumText(body) + '\n';
}

// A line without its newline; nothing (and *why) when it is not one of ours.
std::optional<SpooledRow> decode(const QByteArray& line, QString* why) {
    const int last = line.lastIndexOf(' ');
    if (last < 0 || line.mid(last + 1) != checksumText(line.left(last))) {
        *why = QStringLiteral("its checksum does not match");
        return std::nullopt;
    }
    const QList<QByteArray> f = line.split(' ');
    SpooledRow r;
    bool ok = f.size() == kFieldCount || f.size() == kFormerFieldCount;
    if (ok) r.id = f[0].toLongLong(&ok);
    ok = ok && r.id > 0;
    for (int c = kFirstColumn; ok && c <= kLastColumn; ++c) r.row[c] = f[1 + c - kFirstColumn].toDouble(&ok);
    constexpr int name = 1 + kColumnCount;
    if (ok && f.size() == kFieldCount) {
        if (f[name + 1] != kNotKnown) r.started = QString::fromUtf8(QByteArray::fromPercentEncoding(f[name + 1]));
        if (f[name + 2] != kNotKnown) r.before = f[name + 2].toInt(&ok);
        ok = ok && r.before >= -1;
    }
    if (!ok) {
        *why = QStringLiteral("it is not a recorded point");
        return std::nullopt;
    }
    r.test = QString::fromUtf8(QByteArray::fromPercentEncoding(f[name]));
    return r;
}

QString fileName(const QString& path) { return QFileInfo(path).fileName(); }

// A name beside the spool for what is set aside from it: "<spool>.<what>-<yyyyMMdd-HHmmss>", one not taken.
QString asideName(const QString& path, const QString& what) {
    const QString base = path + QLatin1Char('.') + what + QLatin1Char('-') +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = base;
    for (int n = 2; QFileInfo::exists(name); ++n) name = base + QStringLiteral("-%1").arg(n);
    return name;
}

template <class Rows, class RowOf>
QString testsTextOf(const Rows& rows, RowOf rowOf) {
    // "test "Mud A": 29 points; test "Cement": 2 points", the tests in the order of their first row.
    std::vector<std::pair<std::pair<qint32, QString>, int>> tests;
    for (const auto& item : rows) {
        const SpooledRow& r = rowOf(item);
        const std::pair<qint32, QString> test{qint32(r.row[resultcol::TestId]), r.test};
        auto it = std::find_if(tests.begin(), tests.end(), [&test](const auto& t) { return t.first == test; });
        if (it == tests.end()) tests.push_back({test, 1});
        else ++it->second;
    }
    QStringList parts;
    for (const auto& t : tests)
        parts << QStringLiteral("test \"%1\": %2").arg(t.first.second, SpoolPointsText(t.second));
    return parts.join(QStringLiteral("; "));
}

QString linesText(int count) {
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? QStringLiteral("line") : QStringLiteral("lines"));
}

void bindRow(db::Command& cmd, const ResultPoint& row) {
    for (int c = kFirstColumn; c <= kLastColumn; ++c) cmd.setValue(c - kFirstColumn, row[c]);
}

// The parameters of a statement on a row's columns TEST_ID .. CYCLE_NO, in order.
void addRowParameters(db::Command& cmd) {
    for (int c = kFirstColumn; c <= kLastColumn; ++c)
        cmd.appendParameter(QStringLiteral("p%1").arg(c), db::adDouble);
}

}  // namespace

bool SameResultRow(const ResultPoint& a, const ResultPoint& b) {
    for (int c = kFirstColumn; c <= kLastColumn; ++c)
        if (!(a[c] == b[c] || (std::isnan(a[c]) && std::isnan(b[c])))) return false;
    return true;
}

int CountStoredAlike(db::Connection* connection, const ResultPoint& row) {
    if (!connection || !connection->isOpen())
        throw db::DbError(db::ErrNotOpen, QStringLiteral("the database is not open"));
    db::Command count(connection, kCountAlikeSql);
    addRowParameters(count);
    bindRow(count, row);
    return count.execute()->columns[0][0].toInt();
}

QString SpoolPointsText(int count) {
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? QStringLiteral("point") : QStringLiteral("points"));
}

QString SpoolWriteFailedMessage(const QString& file, const QString& reason) {
    return QStringLiteral("Recorded points waiting for the database cannot be kept in %1 (%2): they are held in "
                          "memory only, and are lost if the program ends before the database takes them.")
        .arg(file, reason);
}

QString SpoolUnreadableMessage(const QString& file, const QString& why, const QString& keptAs) {
    const QString text =
        QStringLiteral("The file of recorded points waiting for the database, %1, cannot be read (%2); no point "
                       "was stored from it.")
            .arg(file, why);
    if (keptAs.isEmpty())
        return text + QStringLiteral(" It could not be set aside and is left as it is; points waiting are held in "
                                     "memory only.");
    return text + QStringLiteral(" It is kept as %1.").arg(keptAs);
}

QString SpoolRewriteFailedMessage(const QString& file, const QString& reason, const QString& stillHeld) {
    return QStringLiteral("The file of recorded points waiting for the database, %1, cannot be written anew (%2): "
                          "it still holds points that were stored or dropped since (%3). Their tests cannot be "
                          "deleted until it is written anew; of those points, the next start stores the ones the "
                          "database does not hold.")
        .arg(file, reason, stillHeld);
}

RowSpool& RowSpool::Program() {
    static RowSpool spool;
    return spool;
}

QString RowSpool::Path() const { return gAppPath.isEmpty() ? QString() : dataFile(kSpoolFileName); }

void RowSpool::follow() {
    const QString path = Path();
    if (path != path_) {
        file_.Close();
        path_ = path;
        loaded_ = false;
        entries_.clear();
        stale_.clear();
        onDisk_ = false;
        failing_ = false;
        rewriteFailing_ = false;
    }
    if (loaded_ || path_.isEmpty()) return;
    Reading reading;
    if (const std::optional<Unreadable> u = load(&reading)) {
        ui::Notify(SpoolUnreadableMessage(fileName(path_), u->why, u->keptAs));
        return;
    }
    // Lines that cannot be read found here are set aside as the start sets them aside.
    if (reading.unreadable.empty()) return;
    const QString aside = asideName(path_, QStringLiteral("unreadable"));
    QString error;
    if (!durable::WriteNewFile(aside, reading.unreadable.join(QByteArray()), &error)) {
        entries_.clear();
        blocked_ = error;
        ui::Notify(SpoolUnreadableMessage(fileName(path_), reading.why.join(QStringLiteral("; ")), QString()));
        return;
    }
    if (!rewrite({}) && reading.torn) cutTornLine(reading);
}

void RowSpool::cutTornLine(const Reading& reading) {
    // The next row must not follow a line cut off at its end.
    QString error;
    if (!durable::TruncateFile(path_, reading.completeSize, &error)) blocked_ = error;
}

std::optional<RowSpool::Unreadable> RowSpool::load(Reading* reading) {
    file_.Close();
    loaded_ = true;
    entries_.clear();
    stale_.clear();
    onDisk_ = false;
    blocked_.clear();
    rewriteFailing_ = false;
    nextId_ = 1;
    const QFileInfo info(path_);
    // A file of no bytes (or no file) holds no row.
    if (!info.exists() || info.size() == 0) return std::nullopt;

    auto setAside = [this](const QString& why) {
        entries_.clear();
        const QString keptAs = asideName(path_, QStringLiteral("unreadable"));
        QString error;
        bool renamed = false;
        durable::RenameFile(path_, keptAs, &error, &renamed);
        if (renamed) return Unreadable{fileName(keptAs), why};
        blocked_ = error;
        return Unreadable{QString(), why};
    };

    QFile f(path_);
    if (!f.open(QIODevice::ReadOnly)) return setAside(f.errorString());
    const QByteArray data = f.read(info.size());
    f.close();
    // Complete lines, and what follows the last newline: a line being written at a kill.
    const qsizetype complete = data.lastIndexOf('\n') + 1;
    QList<QByteArray> lines = data.left(complete).split('\n');
    lines.removeLast();
    const QByteArray torn = data.mid(complete);
    if (!lines.isEmpty() && lines[0] + '\n' != kFormatLine && lines[0] + '\n' != kFormerFormatLine)
        return setAside(QStringLiteral("line 1: not a file of recorded points of this program"));
    auto unreadable = [reading](const QByteArray& line, qsizetype number, const QString& why) {
        reading->unreadable.push_back(line + '\n');
        if (reading->why.size() < kLinesNamed) reading->why << QStringLiteral("line %1: %2").arg(number).arg(why);
    };
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QString why;
        const std::optional<SpooledRow> r = decode(lines[i], &why);
        if (!r) {
            unreadable(lines[i], i + 1, why);
            continue;
        }
        entries_.push_back({*r, lines[i] + '\n'});
        nextId_ = std::max(nextId_, r->id + 1);
    }
    // A format line cut off is a file that was being begun: it holds no row, and goes.
    if (lines.isEmpty() && kFormatLine.startsWith(torn)) {
        QString error;
        if (!durable::RemoveFile(path_, &error)) blocked_ = error;
        return std::nullopt;
    }
    if (!torn.isEmpty()) {
        reading->torn = true;
        unreadable(torn, lines.size() + 1, QStringLiteral("cut off at its end"));
    }
    reading->completeSize = complete;
    onDisk_ = complete > 0;
    return std::nullopt;
}

void RowSpool::writeFailed(const QString& reason) {
    if (failing_) return;
    failing_ = true;
    ui::Notify(SpoolWriteFailedMessage(fileName(path_), reason));
}

qint64 RowSpool::Keep(const ResultPoint& row, const QString& test, const QDateTime& started, int before) {
    follow();
    if (path_.isEmpty()) return 0;
    if (!blocked_.isEmpty()) {
        writeFailed(blocked_);
        return 0;
    }
    Entry e;
    e.row = {nextId_, row, test, started.isValid() ? db::dateToDb(started) : QString(), before};
    e.line = encode(e.row);
    QString error;
    if (!file_.Append(path_, onDisk_ ? e.line : kFormatLine + e.line, &error)) {
        writeFailed(error);
        return 0;
    }
    onDisk_ = true;
    failing_ = false;
    entries_.push_back(std::move(e));
    return nextId_++;
}

void RowSpool::Release(const std::vector<qint64>& ids) {
    if (std::all_of(ids.begin(), ids.end(), [](qint64 id) { return id == 0; })) return;
    follow();
    const auto gone = std::stable_partition(entries_.begin(), entries_.end(), [&ids](const Entry& e) {
        return std::find(ids.begin(), ids.end(), e.row.id) == ids.end();
    });
    if (gone == entries_.end()) return;
    std::vector<Entry> leaving(std::make_move_iterator(gone), std::make_move_iterator(entries_.end()));
    entries_.erase(gone, entries_.end());
    rewrite(leaving);
}

bool RowSpool::rewrite(const std::vector<Entry>& leaving) {
    file_.Close();
    QString error;
    bool ok;
    if (entries_.empty()) {
        // A file whose name went although its folder could not be flushed is gone all the same.
        ok = durable::RemoveFile(path_, &error) || !QFileInfo::exists(path_);
    } else {
        QByteArray all = kFormatLine;
        for (const Entry& e : entries_) all += e.line;
        ok = durable::ReplaceFile(path_, all, &error);
    }
    if (ok) {
        onDisk_ = !entries_.empty();
        stale_.clear();
        rewriteFailing_ = false;
        return true;
    }
    // The file still holds what was to leave it: it counts as waiting until a rewrite succeeds.
    stale_.insert(stale_.end(), leaving.begin(), leaving.end());
    if (!rewriteFailing_) {
        rewriteFailing_ = true;
        ui::Notify(SpoolRewriteFailedMessage(fileName(path_), error,
                                             testsTextOf(stale_, [](const Entry& e) -> const SpooledRow& {
                                                 return e.row;
                                             })));
    }
    return false;
}

std::vector<SpooledRow> RowSpool::Rows() {
    follow();
    std::vector<SpooledRow> rows;
    rows.reserve(entries_.size());
    for (const Entry& e : entries_) rows.push_back(e.row);
    return rows;
}

int RowSpool::CountOf(qint32 testId) {
    follow();
    if (!stale_.empty()) rewrite({});
    auto of = [testId](const Entry& e) { return qint32(e.row.row[resultcol::TestId]) == testId; };
    return int(std::count_if(entries_.begin(), entries_.end(), of) + std::count_if(stale_.begin(), stale_.end(), of));
}

std::vector<RowSpool::Entry> RowSpool::takeOtherTests(db::Connection* connection, std::vector<Entry>& rows) {
    db::Command test(connection, kTestSql);
    test.appendParameter(QStringLiteral("pTEST_ID"), db::adInteger);
    // Each test a row names, looked up once: its key, name and TEST_TIME.
    QHash<QString, bool> held;
    auto holds = [&](const SpooledRow& r) {
        const double key = r.row[resultcol::TestId];
        if (!(key >= 1 && key <= std::numeric_limits<qint32>::max() && std::floor(key) == key)) return false;
        const QString identity = QString::number(qint32(key)) + QChar(0x1f) + r.test + QChar(0x1f) + r.started;
        if (const auto known = held.constFind(identity); known != held.constEnd()) return *known;
        test.setValue(0, qint32(key));
        const auto rs = test.execute();
        const bool same = rs->rowCount > 0 && rs->columns[0][0].toString() == r.test &&
                          (r.started.isEmpty() || db::dateToDb(db::dateFromDb(rs->columns[1][0])) == r.started);
        held.insert(identity, same);
        return same;
    };
    std::vector<Entry> others;
    std::vector<Entry> own;
    for (Entry& e : rows) (holds(e.row) ? own : others).push_back(std::move(e));
    rows = std::move(own);
    return others;
}

void RowSpool::storeOnce(clsConnection* connection, const std::vector<Entry>& rows, SpoolAtStart* result) {
    db::Connection* db = connection->ADOConnection();
    db::Command count(db, kCountAlikeSql);
    db::Command insert(db, clsTEST_RESULT::kInsertSql);
    addRowParameters(count);
    addRowParameters(insert);
    int stored = 0;
    int already = 0;
    RunInTransaction(connection, [&] {
        // Rows equal in every column: TEST_RESULT's count of them, taken before
        // any is inserted, and those of the spool met so far.
        QHash<QByteArray, std::pair<int, int>> alike;
        for (const Entry& e : rows) {
            const QByteArray key = rowText(e.row);
            auto it = alike.find(key);
            if (it == alike.end()) {
                bindRow(count, e.row.row);
                it = alike.insert(key, {count.execute()->columns[0][0].toInt(), 0});
            }
            // A row is stored when TEST_RESULT holds more rows equal to it than
            // came before it (a line of the format before: those of the spool).
            const int before = e.row.before >= 0 ? e.row.before : it->second;
            ++it->second;
            if (it->first > before) {
                ++already;
                continue;
            }
            bindRow(insert, e.row.row);
            insert.execute();
            ++stored;
        }
    });
    result->stored = stored;
    result->alreadyStored = already;
}

QString RowSpool::ownRowsText(const std::vector<Entry>& rows, const SpoolAtStart& result) const {
    const QString tests = testsTextOf(rows, [](const Entry& e) -> const SpooledRow& { return e.row; });
    if (result.waiting > 0)
        return QStringLiteral("Recorded points kept from the last run could not be stored: %1 (%2). The database "
                              "refuses them (%3); they stay in %4 and are stored at the next start.")
            .arg(SpoolPointsText(result.waiting), tests, result.refusal, fileName(path_));
    if (result.stored > 0)
        return QStringLiteral("Recorded points kept from the last run are stored now: %1 (%2).%3")
            .arg(SpoolPointsText(result.stored), tests,
                 result.alreadyStored > 0
                     ? QStringLiteral(" %1 had been stored already.").arg(SpoolPointsText(result.alreadyStored))
                     : QString());
    return QStringLiteral("The recorded points kept from the last run had been stored already: %1 (%2).")
        .arg(SpoolPointsText(result.alreadyStored), tests);
}

QString RowSpool::otherTestsText(const std::vector<Entry>& rows, const SpoolAtStart& result,
                                 const QString& error) const {
    const QString text = QStringLiteral("Recorded points kept from the last run whose test the database does not "
                                        "hold as they were recorded (deleted, renamed, or another database) are "
                                        "not stored: %1 (%2).")
                             .arg(SpoolPointsText(int(rows.size())),
                                  testsTextOf(rows, [](const Entry& e) -> const SpooledRow& { return e.row; }));
    if (result.otherTestsName.isEmpty())
        return text + QStringLiteral(" They could not be set aside (%1) and stay in %2, never stored.")
                          .arg(error, fileName(path_));
    return text + QStringLiteral(" They are kept in %1 and never stored from there.").arg(result.otherTestsName);
}

QString RowSpool::unreadableLinesText(const Reading& reading, const SpoolAtStart& result) const {
    const int count = int(reading.unreadable.size());
    return QStringLiteral("%1 of %2 could not be read (%3%4) and %5 not stored; %6 kept in %7.")
        .arg(linesText(count), fileName(path_), reading.why.join(QStringLiteral("; ")),
             count > reading.why.size() ? QStringLiteral("; ...") : QString(),
             count == 1 ? QStringLiteral("was") : QStringLiteral("were"),
             count == 1 ? QStringLiteral("it is") : QStringLiteral("they are"), result.unreadableName);
}

SpoolAtStart RowSpool::StoreAtStart(clsConnection* connection) {
    SpoolAtStart result;
    // Read afresh, whatever was read before.
    file_.Close();
    path_ = Path();
    entries_.clear();
    stale_.clear();
    onDisk_ = false;
    failing_ = false;
    rewriteFailing_ = false;
    loaded_ = path_.isEmpty();
    if (path_.isEmpty()) return result;
    QStringList said;
    auto tell = [&] {
        if (said.isEmpty()) return;
        result.message = said.join(QStringLiteral("\r\r"));
        ui::MsgBox(result.message);
    };

    // The lines that cannot be read, set aside first: nothing is stored from
    // a spool that could not be set aside.
    Reading reading;
    if (const std::optional<Unreadable> u = load(&reading)) {
        result.unreadableName = u->keptAs;
        said << SpoolUnreadableMessage(fileName(path_), u->why, u->keptAs);
    }
    bool changed = false;
    if (!reading.unreadable.empty()) {
        const QString aside = asideName(path_, QStringLiteral("unreadable"));
        QString error;
        if (!durable::WriteNewFile(aside, reading.unreadable.join(QByteArray()), &error)) {
            entries_.clear();
            blocked_ = error;
            said << SpoolUnreadableMessage(fileName(path_), reading.why.join(QStringLiteral("; ")), QString());
            tell();
            return result;
        }
        result.unreadableName = fileName(aside);
        result.unreadableLines = int(reading.unreadable.size());
        changed = true;
    }

    // The rows of tests the database does not hold as they were recorded go
    // aside; the others are stored into their tests.
    const std::vector<Entry> read = entries_;
    std::vector<Entry> own = read;
    std::vector<Entry> others;
    bool sorted = false;
    bool othersAside = false;
    bool ownStored = own.empty();
    QString asideError;
    if (!own.empty()) {
        try {
            db::Connection* db = connection ? connection->ADOConnection() : nullptr;
            if (!db || !db->isOpen())
                throw db::DbError(db::ErrNotOpen, QStringLiteral("the database is not open"));
            others = takeOtherTests(db, own);
            sorted = true;
            if (!others.empty()) {
                QByteArray lines = kFormatLine;
                for (const Entry& e : others) lines += e.line;
                const QString aside = asideName(path_, QStringLiteral("not-stored"));
                othersAside = durable::WriteNewFile(aside, lines, &asideError);
                if (othersAside) result.otherTestsName = fileName(aside);
                result.otherTests = int(others.size());
            }
            if (!own.empty()) storeOnce(connection, own, &result);
            ownStored = true;
        } catch (...) {
            result.refusal = CurrentError().description;
        }
    }

    // The spool keeps what waits: the rows of their tests the database
    // refused, and those of other tests that could not be set aside.
    const std::vector<Entry>& ownRows = sorted ? own : read;
    entries_.clear();
    std::vector<Entry> leaving;
    for (const Entry& e : read) {
        const bool isOther = std::any_of(others.begin(), others.end(), [&e](const Entry& o) { return o.row.id == e.row.id; });
        const bool stays = isOther ? !othersAside : !ownStored;
        (stays ? entries_ : leaving).push_back(e);
    }
    if (!ownStored) result.waiting = int(ownRows.size());
    if (changed || !leaving.empty()) {
        // A rewrite that failed leaves the file as it was, but for a line cut off at its end.
        if (!rewrite(leaving) && reading.torn) cutTornLine(reading);
    }

    if (!ownRows.empty()) said << ownRowsText(ownRows, result);
    if (!others.empty()) said << otherTestsText(others, result, asideError);
    if (result.unreadableLines > 0) said << unreadableLinesText(reading, result);
    tell();
    return result;
}

}  // namespace runloop
