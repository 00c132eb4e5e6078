#pragma once
// A lock of the program's own on a folder, held for the life of the object:
// a second program asking for the same folder is refused and told which
// process holds it. The lock is the system's (flock) on a lock file in the
// folder, taken on one descriptor kept open until the end: the system drops
// it when the process ends, however it ends, so a killed program leaves no
// lock behind; and no descriptor of the file is opened or closed besides
// (the file dialogs refuse it, db::ReservedFile). The file is never removed:
// a program that opened it before the removal would lock a file no other
// program sees.

#include <QString>

class FolderLock {
public:
    // Tries to take the lock on `folder` through its file `fileName`.
    FolderLock(const QString& folder, const QString& fileName);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    const QString& path() const { return path_; }
    // Whether this program holds the folder.
    bool held() const { return fd_ >= 0; }
    // Held by another program: the process holding it, 0 when not known.
    bool heldElsewhere() const { return heldElsewhere_; }
    qint64 holder() const { return holder_; }
    // Neither: the lock file could not be opened (a folder that is not
    // writable, ...), in the system's words.
    const QString& error() const { return error_; }

private:
    QString path_;
    int fd_ = -1;
    bool heldElsewhere_ = false;
    qint64 holder_ = 0;
    QString error_;
};
