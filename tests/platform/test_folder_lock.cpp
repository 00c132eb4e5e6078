// A program's lock on a folder: refused to anyone else while held, naming
// the process holding it; free again once the holder ends, also when it is
// killed; other folders apart.

#include "platform/FolderLock.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString kName = QStringLiteral("folder.lock");

// A child process that takes the lock, says so through a pipe and waits to be killed.
pid_t holdInChild(const QString& folder) {
    int ready[2];
    if (::pipe(ready) != 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ready[0]);
        FolderLock lock(folder, kName);
        const char held = lock.held() ? 'y' : 'n';
        if (::write(ready[1], &held, 1) != 1) _exit(2);
        for (;;) ::pause();
    }
    ::close(ready[1]);
    char held = 0;
    const bool told = ::read(ready[0], &held, 1) == 1 && held == 'y';
    ::close(ready[0]);
    return told ? pid : -1;
}

TEST(FolderLock, HeldElsewhereItIsRefusedNamingTheHolder) {
    QTemporaryDir folder;
    QTemporaryDir other;
    {
        FolderLock mine(folder.path(), kName);
        ASSERT_TRUE(mine.held());
        EXPECT_EQ(mine.path(), QDir(folder.path()).filePath(kName));
        // A second lock of the same process is another holder too.
        FolderLock again(folder.path(), kName);
        EXPECT_FALSE(again.held());
        EXPECT_TRUE(again.heldElsewhere());
        EXPECT_EQ(again.holder(), qint64(::getpid()));
        // Another folder is apart.
        EXPECT_TRUE(FolderLock(other.path(), kName).held());
    }
    // Let go, it is free; its file stays.
    EXPECT_TRUE(QFile::exists(QDir(folder.path()).filePath(kName)));
    EXPECT_TRUE(FolderLock(folder.path(), kName).held());
}

TEST(FolderLock, AKilledHolderLeavesNoLock) {
    QTemporaryDir folder;
    const pid_t child = holdInChild(folder.path());
    ASSERT_GT(child, 0);
    {
        FolderLock refused(folder.path(), kName);
        EXPECT_FALSE(refused.held());
        EXPECT_TRUE(refused.heldElsewhere());
        EXPECT_EQ(refused.holder(), qint64(child));
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    FolderLock next(folder.path(), kName);
    EXPECT_TRUE(next.held());
    QFile f(next.path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().trimmed().toLongLong(), qint64(::getpid()));
}

TEST(FolderLock, AFolderWithoutRoomForTheFileIsNeitherHeldNorHeldElsewhere) {
    QTemporaryDir folder;
    FolderLock lock(QDir(folder.path()).filePath(QStringLiteral("missing")), kName);
    EXPECT_FALSE(lock.held());
    EXPECT_FALSE(lock.heldElsewhere());
    EXPECT_FALSE(lock.error().isEmpty());
}

}  // namespace
