#pragma once
// The recorded rows the database has not taken yet, kept on disk so that a
// kill, a crash or a power cut loses none: the spool file Z3080daq.spool
// (kSpoolFileName) in the data folder (gAppPath), one for the whole program,
// written by one object (RowSpool::Program) for every unit window.
//
// A row the database refuses is appended before its tick ends and flushed to
// the disk (WaitingRows), one line per row: its entry number, the eleven
// columns of its TEST_RESULT row as they are inserted (TEST_ID to CYCLE_NO,
// each number written so that it reads back to the same double), its test's
// name, its test's TEST_TIME as the database writes it, how many rows equal
// to it came before it (those TEST_RESULT held when it was kept and those
// waiting before it), and a CRC-32 of the line. The file begins with a line
// naming its format. The lines of the format before (no TEST_TIME, no count
// of equal rows) are read too. A row leaves the spool once the database has
// it, or when the operator drops it: the spool is written anew without it (a
// temporary file renamed over it) or, once empty, removed. Rows of a window
// that was closed stay until the next start. A rewrite that fails is said
// once; the rows the file still holds count as waiting (CountOf) until a
// rewrite succeeds.
//
// At the next start (StoreAtStart, from the main window's load once the
// database is open) the spool's rows are stored once each, in order, in one
// transaction, each only into its own test: TEST_INFO must hold its TEST_ID
// with the same TEST_NAME and the same TEST_TIME (a line of the format
// before: the same TEST_NAME). Rows of a test the database does not hold so
// (deleted, renamed, a database restored or replaced) are never stored and
// never deleted: they are kept, as they were, in
// Z3080daq.spool.not-stored-<yyyyMMdd-HHmmss>. A row TEST_RESULT holds
// already (the program was killed between its insert and the spool's
// update) is not stored again: a row is taken for stored when TEST_RESULT
// holds more rows equal to it than came before it, so two equal rows (whole
// seconds of a download) are both stored. One message says how many were
// stored and for which tests, and names what was set aside. When the
// database refuses them the spool stays for the next start, and the message
// says so.
//
// A line that cannot be read (a checksum that does not match, a last line
// cut off at a kill) loses only itself: the rows before and after it are
// stored, and the lines that cannot be read are kept in
// Z3080daq.spool.unreadable-<yyyyMMdd-HHmmss>, counted in the message. A
// file that is not a spool at all (an unknown first line) is never deleted:
// it is renamed so, whole. A spool that cannot be set aside is left as it is,
// and nothing is stored from it.
//
// A row that cannot be written to the spool (a full disk) waits in memory
// only; a message says so once, until the spool takes rows again.

#include "analysis/ResultPoints.h"

#include "platform/DurableFile.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class clsConnection;
namespace db {
class Connection;
}

namespace runloop {

// The spool's file in the data folder.
inline const QString kSpoolFileName = QStringLiteral("Z3080daq.spool");

// A row of the spool: its entry number (from 1, unique in the file), its
// TEST_RESULT row (TEST_RESULT_ID not kept), its test's name and TEST_TIME
// (as db::dateToDb writes it; empty for a line of the format before), and
// how many rows equal to it came before it (-1: not known).
struct SpooledRow {
    qint64 id = 0;
    ResultPoint row;
    QString test;
    QString started;
    int before = -1;
};

// What the start did with the spool of the last run.
struct SpoolAtStart {
    int stored = 0;           // rows inserted now
    int alreadyStored = 0;    // rows TEST_RESULT held already
    int waiting = 0;          // rows the database refused: still in the spool
    int otherTests = 0;       // rows of tests the database does not hold: set aside
    int unreadableLines = 0;  // lines that could not be read: set aside
    QString refusal;          // the database's words, when it refused them
    QString unreadableName;   // where the lines (or the file) that could not be read are kept
    QString otherTestsName;   // where the rows of tests the database does not hold are kept
    QString message;          // what the operator was told (empty when nothing)
};

class RowSpool {
public:
    // The program's spool, in the data folder (gAppPath). Without a data
    // folder rows are kept in memory only, silently.
    static RowSpool& Program();

    // The spool file of the data folder (empty without one).
    QString Path() const;

    // Appends a row the database refused, flushed to the disk; returns its
    // entry number, or 0 when it could not be written (said once). `started`
    // is its test's TEST_TIME; `before` how many rows equal to it came
    // before it (-1: not known).
    qint64 Keep(const ResultPoint& row, const QString& test, const QDateTime& started = QDateTime(),
                int before = -1);
    // The rows of these entries leave the spool (stored, or dropped by the
    // operator); entry 0 stands for a row that was never written.
    void Release(const std::vector<qint64>& ids);
    // The rows in the spool, in the order they were kept.
    std::vector<SpooledRow> Rows();
    // How many rows of test `testId` the spool's file holds: those waiting,
    // and those stored or dropped that a failed rewrite left in it (a
    // rewrite is tried again first).
    int CountOf(qint32 testId);

    // The start: the spool read afresh and its rows stored (see above); one
    // message (ui::MsgBox) says what became of them.
    SpoolAtStart StoreAtStart(clsConnection* connection);

private:
    struct Entry {
        SpooledRow row;
        QByteArray line;  // as written, with its newline
    };
    // What the reading of the file found.
    struct Reading {
        QByteArrayList unreadable;           // the lines that could not be read, each with its newline
        QStringList why;                     // "line 5: its checksum does not match", the first few
        bool torn = false;                   // the last line had no newline
        qint64 completeSize = 0;             // the bytes of the complete lines
    };
    // Where a spool that could not be read went.
    struct Unreadable {
        QString keptAs;  // its new name (empty when it could not be renamed)
        QString why;     // the line and what is wrong with it
    };

    // The data folder's spool, read when the folder is not the one read last.
    void follow();
    // Reads the spool file into entries_ (its good lines) and *reading (the
    // others); a file that is not a spool is set aside whole (and returned).
    std::optional<Unreadable> load(Reading* reading);
    // The file holding entries_ and nothing else: written anew, or removed.
    // False (said once) when it could not be: the rows `leaving` stay in it
    // (stale_).
    bool rewrite(const std::vector<Entry>& leaving);
    // A last line cut off at its end taken off the file (when a rewrite
    // failed); no row is appended while it cannot be.
    void cutTornLine(const Reading& reading);
    // A write failed: said once until one succeeds.
    void writeFailed(const QString& reason);
    // The start's steps: the rows whose test TEST_INFO does not hold as
    // they were recorded, taken out of `rows` (a failure of the database is
    // raised); the rows stored once each in one transaction.
    static std::vector<Entry> takeOtherTests(db::Connection* connection, std::vector<Entry>& rows);
    static void storeOnce(clsConnection* connection, const std::vector<Entry>& rows, SpoolAtStart* result);
    // What the start says of the rows of its own tests, of those of other
    // tests and of the lines that could not be read.
    QString ownRowsText(const std::vector<Entry>& rows, const SpoolAtStart& result) const;
    QString otherTestsText(const std::vector<Entry>& rows, const SpoolAtStart& result, const QString& error) const;
    QString unreadableLinesText(const Reading& reading, const SpoolAtStart& result) const;

    QString path_;              // the spool of the folder read last
    bool loaded_ = false;
    bool onDisk_ = false;       // the file exists and begins with its format line
    bool failing_ = false;      // the last write failed (and was said)
    bool rewriteFailing_ = false;  // the last rewrite failed (and was said)
    QString blocked_;           // why no row can be appended (a file that cannot be read, set aside or cut)
    qint64 nextId_ = 1;
    std::vector<Entry> entries_;
    std::vector<Entry> stale_;  // stored or dropped, but still in the file (a failed rewrite)
    durable::AppendFile file_;
};

// How many rows TEST_RESULT holds equal to `row` in every column (TEST_ID to
// CYCLE_NO); a failure of the database is raised.
int CountStoredAlike(db::Connection* connection, const ResultPoint& row);
// Equal in every column TEST_ID .. CYCLE_NO (two columns holding no number are equal).
bool SameResultRow(const ResultPoint& a, const ResultPoint& b);

// The words of the spool.
// A row that could not be written to the spool ("... cannot be kept in
// <file> (No space left on device): ...").
QString SpoolWriteFailedMessage(const QString& file, const QString& reason);
// A spool that could not be read, kept under another name.
QString SpoolUnreadableMessage(const QString& file, const QString& why, const QString& keptAs);
// A rewrite that failed: what the file still holds ("2 points (test "Mud": 2 points)").
QString SpoolRewriteFailedMessage(const QString& file, const QString& reason, const QString& stillHeld);
// "3 points" ("1 point").
QString SpoolPointsText(int count);

}  // namespace runloop
