#pragma once
// One program per data folder: the program holds its data folder for its
// whole life (a FolderLock on the folder's kLockFileName), taken at start
// before the database or the spool is opened. Two programs on one folder
// would each store the other's waiting rows and rewrite the other's spool.
// While held, the folder's own files that are no database file (the lock
// file, the spool) are refused by the file dialogs (db::ReservedFile).

#include "platform/Database.h"
#include "platform/FolderLock.h"

#include <QString>
#include <memory>

class DataFolderHold {
public:
    // Holds `folder`. When another program holds it, says which folder and,
    // where known, which process (FolderInUseMessage) on stderr and in a
    // message box, and returns nullptr: the caller then opens nothing and ends.
    // A folder whose lock file cannot be made (a folder not writable) is
    // used without the lock, which is said on stderr: no program can write there.
    static std::unique_ptr<DataFolderHold> Take(const QString& folder);

    const FolderLock& lock() const { return lock_; }

private:
    explicit DataFolderHold(const QString& folder);

    FolderLock lock_;
    db::ReservedFile lockFile_;
    db::ReservedFile spoolFile_;
};

// "The data folder /data/lab is in use by another Z3080DAQ program (process
// 4711). Only one program may use a data folder at a time: this one opens
// nothing and ends." (without the process when it is not known, holder 0).
QString FolderInUseMessage(const QString& folder, qint64 holder);
