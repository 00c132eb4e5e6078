#pragma once
// The recorded rows the database has not taken yet, kept on disk so that a
// kill, a crash or a power cut loses none: the spool file Z3080daq.spool in
// the data folder (gAppPath), one for the whole program, written by one
// object (RowSpool::Program) for every unit window.
//
// A row the database refuses is appended before its tick ends and flushed to
// the disk (WaitingRows), one line per row: its entry number, the eleven
// columns of its TEST_RESULT row as they are inserted (TEST_ID to CYCLE_NO,
// each number written so that it reads back to the same double), its test's
// name and a CRC-32 of the line. The file begins with a line naming its
// format. A row leaves the spool once the database has it, or when the
// operator drops it: the spool is written anew without it (a temporary file
// renamed over it) or, once empty, removed. Rows of a window that was closed
// stay until the next start.
//
// At the next start (StoreAtStart, from the main window's load once the
// database is open) the spool's rows are stored once each, in order, in one
// transaction; a row TEST_RESULT already holds (the same TEST_ID and the same
// value in every column: the program was killed between its insert and the
// spool's update) is not stored again. One message says how many were stored
// and for which tests. When the database refuses them the spool stays for
// the next start, and the message says so.
//
// A last line without its newline is the row being written when the program
// was killed: it is dropped. A spool that cannot be read otherwise (a line
// whose checksum does not match, an unknown format) is never deleted: it is
// renamed Z3080daq.spool.unreadable-<yyyyMMdd-HHmmss> and a message names it.
//
// A row that cannot be written to the spool (a full disk) waits in memory
// only; a message says so once, until the spool takes rows again.

#include "analysis/ResultPoints.h"

#include "platform/DurableFile.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

class clsConnection;

namespace runloop {

// A row of the spool: its entry number (from 1, unique in the file), its
// TEST_RESULT row (TEST_RESULT_ID not kept) and its test's name.
struct SpooledRow {
    qint64 id = 0;
    ResultPoint row;
    QString test;
};

// What the start did with the spool of the last run.
struct SpoolAtStart {
    int stored = 0;           // rows inserted now
    int alreadyStored = 0;    // rows TEST_RESULT held already
    int waiting = 0;          // rows the database refused: still in the spool
    QString refusal;          // the database's words, when it refused them
    QString unreadableName;   // the name a spool that could not be read is kept under
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
    // entry number, or 0 when it could not be written (said once).
    qint64 Keep(const ResultPoint& row, const QString& test);
    // The rows of these entries leave the spool (stored, or dropped by the
    // operator); entry 0 stands for a row that was never written.
    void Release(const std::vector<qint64>& ids);
    // The rows in the spool, in the order they were kept.
    std::vector<SpooledRow> Rows();
    // How many of them are rows of test `testId`.
    int CountOf(qint32 testId);

    // The start: the spool read afresh and its rows stored (see above); one
    // message (ui::MsgBox) says what became of them.
    SpoolAtStart StoreAtStart(clsConnection* connection);

private:
    struct Entry {
        SpooledRow row;
        QByteArray line;  // as written, with its newline
    };
    // Where a spool that could not be read went.
    struct Unreadable {
        QString keptAs;  // its new name (empty when it could not be renamed)
        QString why;     // the line and what is wrong with it
    };

    // The data folder's spool, read when the folder is not the one read last.
    void follow();
    // Reads the spool file into entries_; a torn last line is cut off, an
    // unreadable file set aside (and returned).
    std::optional<Unreadable> load();
    // The file without the entries released: written anew, or removed.
    void rewrite();
    // A write failed: said once until one succeeds.
    void writeFailed(const QString& reason);

    QString path_;              // the spool of the folder read last
    bool loaded_ = false;
    bool onDisk_ = false;       // the file exists and begins with its format line
    bool failing_ = false;      // the last write failed (and was said)
    QString blocked_;           // why no row can be appended (a file that cannot be read, set aside or cut)
    qint64 nextId_ = 1;
    std::vector<Entry> entries_;
    durable::AppendFile file_;
};

// The words of the spool.
// A row that could not be written to the spool ("... cannot be kept in
// <file> (No space left on device): ...").
QString SpoolWriteFailedMessage(const QString& file, const QString& reason);
// A spool that could not be read, kept under another name.
QString SpoolUnreadableMessage(const QString& file, const QString& why, const QString& keptAs);

}  // namespace runloop
