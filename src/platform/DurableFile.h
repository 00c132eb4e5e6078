#pragma once
// Files whose writes are on the disk when the call returns: a kill, a crash
// or a power cut after it loses nothing written. Every write is followed by
// fdatasync of the file; a file made, renamed or removed by fsync of its
// folder too. A failure comes back as false with the system's reason in
// *error (for example "No space left on device"); nothing is raised.

#include <QByteArray>
#include <QString>

namespace durable {

// A file that grows by appended records, kept open between them.
class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Appends `bytes` at the end of the file at `path` (made when missing)
    // and flushes them to the disk. On a failure the file is as it was: a
    // write the system takes only in part (a full disk) or cannot flush is
    // cut off again, and a file made by this call whose folder cannot be
    // flushed is removed again. The file stays open for the next append
    // until Close.
    bool Append(const QString& path, const QByteArray& bytes, QString* error);
    // Lets the file go (before it is replaced or removed).
    void Close();
    // The size of the file held open now (-1 when none is).
    qint64 Size() const;

private:
    int fd_ = -1;
    QString path_;
};

// Replaces the file at `path` by one holding `bytes`: written to a
// temporary file beside it, flushed, renamed over it, the folder flushed.
// On a failure the file is as it was.
bool ReplaceFile(const QString& path, const QByteArray& bytes, QString* error);
// Cuts the file at `path` to its first `size` bytes, flushed.
bool TruncateFile(const QString& path, qint64 size, QString* error);
// Removes the file at `path` (true when there was none), the folder flushed.
bool RemoveFile(const QString& path, QString* error);
// Renames the file at `from` to `to` (which must not exist), the folder
// flushed. *renamed (when given) says whether the name changed: a flush of
// the folder can fail after it.
bool RenameFile(const QString& from, const QString& to, QString* error, bool* renamed = nullptr);
// Makes the file at `path` (which must not exist) holding `bytes`, flushed,
// the folder too; on a failure no file is left.
bool WriteNewFile(const QString& path, const QByteArray& bytes, QString* error);

}  // namespace durable
