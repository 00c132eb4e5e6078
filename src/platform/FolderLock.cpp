#include "platform/FolderLock.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

FolderLock::FolderLock(const QString& folder, const QString& fileName)
    : path_(QDir(folder).absoluteFilePath(fileName)) {
    const QByteArray name = QFile::encodeName(path_);
    int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    // A lock file this user may not write is still locked; only its holder is not written down.
    const bool writable = fd >= 0;
    if (!writable) fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error_ = QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int why = errno;
        if (why == EWOULDBLOCK) {
            heldElsewhere_ = true;
            char text[32] = {};
            const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
            if (n > 0) holder_ = QByteArray(text, int(n)).trimmed().toLongLong();
        } else {
            error_ = QString::fromLocal8Bit(std::strerror(why));
        }
        ::close(fd);
        return;
    }
    fd_ = fd;
    if (writable) {
        const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
        if (::ftruncate(fd_, 0) != 0 || ::pwrite(fd_, pid.constData(), size_t(pid.size()), 0) != pid.size()) {
            // Unknown to the next program, the holder's number; the lock holds all the same.
        }
    }
}

FolderLock::~FolderLock() {
    if (fd_ >= 0) ::close(fd_);
}
