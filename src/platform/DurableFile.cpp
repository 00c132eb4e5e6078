#include "platform/DurableFile.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace durable {

namespace {

QString reason(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

bool fail(QString* error, int err) {
    if (error) *error = reason(err);
    return false;
}

QByteArray nativePath(const QString& path) { return QFileInfo(path).absoluteFilePath().toLocal8Bit(); }

// Writes all of `bytes` at the file's position; false with errno set otherwise.
bool writeAll(int fd, const QByteArray& bytes) {
    const char* p = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// The folder holding `path` flushed: a name made, renamed or removed there
// is on the disk.
bool syncFolderOf(const QString& path, QString* error) {
    const QByteArray folder = QFileInfo(path).absolutePath().toLocal8Bit();
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return fail(error, errno);
    const bool ok = ::fsync(fd) == 0;
    const int err = errno;
    ::close(fd);
    return ok || fail(error, err);
}

}  // namespace

AppendFile::~AppendFile() { Close(); }

void AppendFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    path_.clear();
}

bool AppendFile::Append(const QString& path, const QByteArray& bytes, QString* error) {
    if (fd_ >= 0 && path != path_) Close();
    bool made = false;
    if (fd_ < 0) {
        const QByteArray name = nativePath(path);
        int fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
        if (fd < 0 && errno == ENOENT) {
            fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            made = fd >= 0;
        }
        if (fd < 0) return fail(error, errno);
        fd_ = fd;
        path_ = path;
    }
    struct stat before {};
    const bool sized = ::fstat(fd_, &before) == 0 && S_ISREG(before.st_mode);
    // A failure leaves the file as it was before the call: what was written
    // of the bytes is cut off (the next record must not follow a torn one),
    // and a file this call made that its folder could not keep goes again,
    // so that a caller's next append begins it anew.
    auto undo = [&](int err) {
        if (made) {
            Close();
            ::unlink(nativePath(path).constData());
        } else if (sized && ::ftruncate(fd_, before.st_size) == 0) {
            ::fdatasync(fd_);
        }
        return fail(error, err);
    };
    if (!writeAll(fd_, bytes) || ::fdatasync(fd_) != 0) return undo(errno);
    QString folderError;
    if (made && !syncFolderOf(path, &folderError)) {
        undo(0);
        if (error) *error = folderError;
        return false;
    }
    return true;
}

qint64 AppendFile::Size() const {
    struct stat now {};
    if (fd_ < 0 || ::fstat(fd_, &now) != 0) return -1;
    return qint64(now.st_size);
}

namespace {

// Makes the file `name` (opened with `flags` besides those of a new file)
// holding `bytes`, flushed; on a failure no file is left.
bool writeFlushed(const QByteArray& name, const QByteArray& bytes, int flags, QString* error) {
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0644);
    if (fd < 0) return fail(error, errno);
    const bool written = writeAll(fd, bytes) && ::fdatasync(fd) == 0;
    const int err = errno;
    ::close(fd);
    if (written) return true;
    ::unlink(name.constData());
    return fail(error, err);
}

}  // namespace

bool ReplaceFile(const QString& path, const QByteArray& bytes, QString* error) {
    const QByteArray name = nativePath(path + QStringLiteral(".new"));
    if (!writeFlushed(name, bytes, O_TRUNC, error)) return false;
    if (::rename(name.constData(), nativePath(path).constData()) != 0) {
        const int renameErr = errno;
        ::unlink(name.constData());
        return fail(error, renameErr);
    }
    return syncFolderOf(path, error);
}

bool TruncateFile(const QString& path, qint64 size, QString* error) {
    const int fd = ::open(nativePath(path).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return fail(error, errno);
    const bool ok = ::ftruncate(fd, off_t(size)) == 0 && ::fdatasync(fd) == 0;
    const int err = errno;
    ::close(fd);
    return ok || fail(error, err);
}

bool RemoveFile(const QString& path, QString* error) {
    if (::unlink(nativePath(path).constData()) != 0) {
        if (errno == ENOENT) return true;
        return fail(error, errno);
    }
    return syncFolderOf(path, error);
}

bool RenameFile(const QString& from, const QString& to, QString* error, bool* renamed) {
    if (renamed) *renamed = false;
    if (QFileInfo::exists(to)) return fail(error, EEXIST);
    if (::rename(nativePath(from).constData(), nativePath(to).constData()) != 0) return fail(error, errno);
    if (renamed) *renamed = true;
    return syncFolderOf(to, error);
}

bool WriteNewFile(const QString& path, const QByteArray& bytes, QString* error) {
    const QByteArray name = nativePath(path);
    if (!writeFlushed(name, bytes, O_EXCL, error)) return false;
    if (syncFolderOf(path, error)) return true;
    ::unlink(name.constData());
    return false;
}

}  // namespace durable
