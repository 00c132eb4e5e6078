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
#include <QLocale>
#include <algorithm>
#include <cmath>

namespace runloop {

namespace {

// The first line of a spool file: what it is, and the form of its lines.
const QByteArray kFormatLine = QByteArrayLiteral("Z3080DAQ recorded points waiting for the database, format 1\n");
// A line: the entry number, the columns TEST_ID .. CYCLE_NO, the test's name, the checksum.
constexpr int kFirstColumn = resultcol::TestId;
constexpr int kLastColumn = resultcol::CycleNo;
constexpr int kFieldCount = 1 + (kLastColumn - kFirstColumn + 1) + 1 + 1;

// Is TEST_RESULT holding this row already: the same value in every column
// (IS: a column both hold no number in counts as the same).
const QString kFindSql = QStringLiteral(
    "SELECT 1 FROM TEST_RESULT WHERE TEST_ID IS ? AND RAMP_NO IS ? AND RAMP_STEP_NO IS ? AND RESULT_TIME IS ? "
    "AND RESULT_SAMPLE_TEMP IS ? AND RESULT_PRESS IS ? AND RESULT_SPEED IS ? AND RESULT_SHEAR_STRESS IS ? "
    "AND RESULT_TYPE_ID IS ? AND RESULT_BATH_TEMP IS ? AND CYCLE_NO IS ? LIMIT 1");

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

QByteArray encode(const SpooledRow& r) {
    QByteArray body = QByteArray::number(r.id);
    for (int c = kFirstColumn; c <= kLastColumn; ++c) body += ' ' + numberText(r.row[c]);
    body += ' ' + r.test.toUtf8().toPercentEncoding();
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
    bool ok = f.size() == kFieldCount;
    if (ok) r.id = f[0].toLongLong(&ok);
    ok = ok && r.id > 0;
    for (int c = kFirstColumn; ok && c <= kLastColumn; ++c) r.row[c] = f[1 + c - kFirstColumn].toDouble(&ok);
    if (!ok) {
        *why = QStringLiteral("it is not a recorded point");
        return std::nullopt;
    }
    r.test = QString::fromUtf8(QByteArray::fromPercentEncoding(f[kFieldCount - 2]));
    return r;
}

QString fileName(const QString& path) { return QFileInfo(path).fileName(); }

QString pointsText(int count) {
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? QStringLiteral("point") : QStringLiteral("points"));
}

// "test "Mud A": 29 points; test "Cement": 2 points", the tests in the order of their first row.
QString testsText(const std::vector<SpooledRow>& rows) {
    std::vector<std::pair<qint32, std::pair<QString, int>>> tests;
    for (const SpooledRow& r : rows) {
        const qint32 id = qint32(r.row[resultcol::TestId]);
        auto it = std::find_if(tests.begin(), tests.end(), [id](const auto& t) { return t.first == id; });
        if (it == tests.end()) tests.push_back({id, {r.test, 1}});
        else ++it->second.second;
    }
    QStringList parts;
    for (const auto& t : tests)
        parts << QStringLiteral("test \"%1\": %2").arg(t.second.first, pointsText(t.second.second));
    return parts.join(QStringLiteral("; "));
}

}  // namespace

QString SpoolWriteFailedMessage(const QString& file, const QString& reason) {
    return QStringLiteral("Recorded points waiting for the database cannot be kept in %1 (%2): they are kept in "
                          "memory only, and are lost if the program ends before the database takes them.")
        .arg(file, reason);
}

QString SpoolUnreadableMessage(const QString& file, const QString& why, const QString& keptAs) {
    const QString text =
        QStringLiteral("The file of recorded points waiting for the database, %1, cannot be read (%2); no point "
                       "was stored from it.")
            .arg(file, why);
    if (keptAs.isEmpty())
        return text + QStringLiteral(" It could not be renamed and is left as it is; points waiting are kept in "
                                     "memory only.");
    return text + QStringLiteral(" It is kept as %1.").arg(keptAs);
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
        onDisk_ = false;
        failing_ = false;
    }
    if (loaded_ || path_.isEmpty()) return;
    if (const std::optional<Unreadable> u = load())
        ui::Notify(SpoolUnreadableMessage(fileName(path_), u->why, u->keptAs));
}

std::optional<RowSpool::Unreadable> RowSpool::load() {
    file_.Close();
    loaded_ = true;
    entries_.clear();
    onDisk_ = false;
    blocked_.clear();
    nextId_ = 1;
    const QFileInfo info(path_);
    // A file of no bytes (or no file) holds no row.
    if (!info.exists() || info.size() == 0) return std::nullopt;

    auto setAside = [this](const QString& why) {
        entries_.clear();
        const QString base = path_ + QStringLiteral(".unreadable-") +
                             QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        QString keptAs = base;
        for (int n = 2; QFileInfo::exists(keptAs); ++n) keptAs = base + QStringLiteral("-%1").arg(n);
        QString error;
        if (durable::RenameFile(path_, keptAs, &error)) return Unreadable{fileName(keptAs), why};
        blocked_ = error;
        return Unreadable{QString(), why};
    };

    QFile f(path_);
    if (!f.open(QIODevice::ReadOnly)) return setAside(f.errorString());
    const QByteArray data = f.read(info.size());
    f.close();
    // Complete lines only: a last line without its newline was being written at a kill.
    const qsizetype complete = data.lastIndexOf('\n') + 1;
    QList<QByteArray> lines = data.left(complete).split('\n');
    lines.removeLast();  // what follows the last newline
    if (!lines.isEmpty() && lines[0] + '\n' != kFormatLine)
        return setAside(QStringLiteral("line 1: not a file of recorded points of this program"));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QString why;
        const std::optional<SpooledRow> r = decode(lines[i], &why);
        if (!r) return setAside(QStringLiteral("line %1: %2").arg(i + 1).arg(why));
        entries_.push_back({*r, lines[i] + '\n'});
        nextId_ = std::max(nextId_, r->id + 1);
    }
    if (complete < data.size()) {
        // The torn line goes, so that the next row does not follow it.
        QString error;
        if (!(complete == 0 ? durable::RemoveFile(path_, &error) : durable::TruncateFile(path_, complete, &error)))
            blocked_ = error;
    }
    onDisk_ = complete > 0;
    return std::nullopt;
}

void RowSpool::writeFailed(const QString& reason) {
    if (failing_) return;
    failing_ = true;
    ui::Notify(SpoolWriteFailedMessage(fileName(path_), reason));
}

qint64 RowSpool::Keep(const ResultPoint& row, const QString& test) {
    follow();
    if (path_.isEmpty()) return 0;
    if (!blocked_.isEmpty()) {
        writeFailed(blocked_);
        return 0;
    }
    Entry e;
    e.row = {nextId_, row, test};
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
    const auto gone = std::remove_if(entries_.begin(), entries_.end(), [&ids](const Entry& e) {
        return std::find(ids.begin(), ids.end(), e.row.id) != ids.end();
    });
    if (gone == entries_.end()) return;
    entries_.erase(gone, entries_.end());
    rewrite();
}

void RowSpool::rewrite() {
    // A rewrite that fails leaves rows on disk that the database has already:
    // the next start finds them there and does not store them again.
    file_.Close();
    QString error;
    if (entries_.empty()) {
        if (onDisk_ && durable::RemoveFile(path_, &error)) onDisk_ = false;
        return;
    }
    QByteArray all = kFormatLine;
    for (const Entry& e : entries_) all += e.line;
    if (durable::ReplaceFile(path_, all, &error)) onDisk_ = true;
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
    return int(std::count_if(entries_.begin(), entries_.end(),
                             [testId](const Entry& e) { return qint32(e.row.row[resultcol::TestId]) == testId; }));
}

SpoolAtStart RowSpool::StoreAtStart(clsConnection* connection) {
    SpoolAtStart result;
    // Read afresh, whatever was read before.
    file_.Close();
    path_ = Path();
    entries_.clear();
    onDisk_ = false;
    failing_ = false;
    loaded_ = path_.isEmpty();
    QStringList said;
    if (!path_.isEmpty()) {
        if (const std::optional<Unreadable> u = load()) {
            result.unreadableName = u->keptAs;
            said << SpoolUnreadableMessage(fileName(path_), u->why, u->keptAs);
        }
    }
    const std::vector<SpooledRow> rows = Rows();
    if (!rows.empty()) {
        try {
            db::Connection* db = connection ? connection->ADOConnection() : nullptr;
            if (!db || !db->isOpen())
                throw db::DbError(db::ErrNotOpen, QStringLiteral("the database is not open"));
            db::Command find(db, kFindSql);
            db::Command insert(db, clsTEST_RESULT::kInsertSql);
            for (int c = kFirstColumn; c <= kLastColumn; ++c) {
                find.appendParameter(QStringLiteral("p%1").arg(c), db::adDouble);
                insert.appendParameter(QStringLiteral("p%1").arg(c), db::adDouble);
            }
            int stored = 0;
            int already = 0;
            RunInTransaction(connection, [&] {
                for (const SpooledRow& r : rows) {
                    for (int c = kFirstColumn; c <= kLastColumn; ++c) {
                        find.setValue(c - kFirstColumn, r.row[c]);
                        insert.setValue(c - kFirstColumn, r.row[c]);
                    }
                    if (find.execute()->rowCount > 0) {
                        ++already;
                    } else {
                        insert.execute();
                        ++stored;
                    }
                }
            });
            result.stored = stored;
            result.alreadyStored = already;
            entries_.clear();
            rewrite();
        } catch (...) {
            result.waiting = int(rows.size());
            result.refusal = CurrentError().description;
        }

        const QString tests = testsText(rows);
        if (result.waiting > 0)
            said << QStringLiteral("Recorded points kept from the last run could not be stored: %1 (%2). The "
                                   "database refuses them (%3); they stay in %4 and are stored at the next start.")
                        .arg(pointsText(result.waiting), tests, result.refusal, fileName(path_));
        else if (result.stored > 0)
            said << QStringLiteral("Recorded points kept from the last run are stored now: %1 (%2).%3")
                        .arg(pointsText(result.stored), tests,
                             result.alreadyStored > 0
                                 ? QStringLiteral(" %1 had been stored already.").arg(pointsText(result.alreadyStored))
                                 : QString());
        else
            said << QStringLiteral("The recorded points kept from the last run had been stored already: %1 (%2).")
                        .arg(pointsText(result.alreadyStored), tests);
    }
    if (!said.isEmpty()) {
        result.message = said.join(QStringLiteral("\r\r"));
        ui::MsgBox(result.message);
    }
    return result;
}

}  // namespace runloop
