// Fuzz target: arbitrary bytes as the spool of recorded points the last run
// left (Z3080daq.spool), read by the start without a database.
//
// Besides crashes and hangs it checks what must hold: a file that is not a
// spool is kept whole under the name the start gives and none of its rows is
// taken; in one that is, every line is either a row kept for the next start
// (there is no database to take them) or a line set aside, as it was, in the
// file the start names; the spool then holds complete lines only, so a row
// kept after it follows a whole line.

#include "FuzzSupport.h"
#include "data/Globals.h"
#include "unitrun/RowSpool.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

using fuzzing::check;

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::silenceDialogs();
    static QTemporaryDir dir;
    gAppPath = dir.path();
    const QDir folder(dir.path());
    for (const QString& name : folder.entryList(QDir::Files)) QFile::remove(folder.filePath(name));
    const QString spool = folder.filePath(runloop::kSpoolFileName);
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile f(spool);
        check(f.open(QIODevice::WriteOnly));
        check(f.write(bytes) == bytes.size());
    }

    runloop::RowSpool& s = runloop::RowSpool::Program();
    const runloop::SpoolAtStart r = s.StoreAtStart(nullptr);
    check(r.stored == 0 && r.alreadyStored == 0 && r.otherTests == 0);
    if (!r.unreadableName.isEmpty() && r.unreadableLines == 0) {
        // Not a spool at all: kept whole.
        check(r.waiting == 0);
        check(readFile(folder.filePath(r.unreadableName)) == bytes);
        check(!QFile::exists(spool));
        check(s.Rows().empty());
        return 0;
    }
    check(r.waiting == int(s.Rows().size()));
    const QByteArray left = readFile(spool);
    check(left.isEmpty() || left.endsWith('\n'));
    const QByteArray aside = r.unreadableName.isEmpty() ? QByteArray() : readFile(folder.filePath(r.unreadableName));
    check(aside.count('\n') == r.unreadableLines);

    // Every line after the first is a row that waits or a line set aside,
    // as it was: nothing lost, nothing made up.
    const qsizetype complete = bytes.lastIndexOf('\n') + 1;
    const bool tornFormatLine = complete == 0;
    const int lines = tornFormatLine ? 0 : int(bytes.left(complete).count('\n')) - 1 + (complete < bytes.size() ? 1 : 0);
    if (!tornFormatLine) check(r.waiting + r.unreadableLines == lines);
    QList<QByteArray> kept = left.split('\n').mid(1) + aside.split('\n');
    for (const QByteArray& line : kept)
        check(line.isEmpty() || bytes.contains('\n' + line + '\n') || bytes.endsWith('\n' + line));

    // A row kept now reads back after those, and the start reads them all.
    ResultPoint p;
    p[resultcol::TestId] = 1;
    p[resultcol::ResultTime] = double(size);
    check(s.Keep(p, QStringLiteral("fuzz")) != 0);
    check(s.StoreAtStart(nullptr).waiting == r.waiting + 1);
    return 0;
}
