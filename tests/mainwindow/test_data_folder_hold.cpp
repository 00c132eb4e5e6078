// One program per data folder: the program holds its data folder from its
// start, before the database or the spool is opened; a second program on the
// same folder opens nothing and says which folder is in use and by which
// process; a lock left by a killed program does not block the next start;
// programs on different folders run side by side. Shown in the process (the
// hold itself, and the file dialogs refusing the folder's own files) and
// with the real program started as a child process.

#include "data/Globals.h"
#include "mainwindow/DataFolderHold.h"
#include "platform/Database.h"
#include "platform/Dialogs.h"
#include "unitrun/RowSpool.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDb.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>

using testing_support::ScriptedDialogs;
using testing_support::TempDb;

namespace {

TEST(DataFolderHold, ASecondHoldOfTheFolderIsRefusedNamingTheFolderAndTheProcess) {
    TempDb a;
    TempDb b;
    ScriptedDialogs dialogs;
    auto first = DataFolderHold::Take(a.dir());
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->lock().held());
    EXPECT_TRUE(dialogs.messages.empty());

    EXPECT_FALSE(DataFolderHold::Take(a.dir()));
    const QString said = FolderInUseMessage(QDir(a.dir()).absolutePath(), qint64(::getpid()));
    EXPECT_EQ(dialogs.texts(), QStringList{said});
    EXPECT_TRUE(said.contains(QDir::toNativeSeparators(a.dir()))) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("(process %1)").arg(::getpid()))) << said.toStdString();

    // Another folder is held side by side.
    dialogs.clear();
    const auto other = DataFolderHold::Take(b.dir());
    ASSERT_TRUE(other);
    EXPECT_TRUE(dialogs.messages.empty());

    // Let go, the folder is held again.
    first.reset();
    EXPECT_TRUE(DataFolderHold::Take(a.dir()));
    EXPECT_TRUE(dialogs.messages.empty());
}

// The file dialogs refuse the folder's own files while it is held (the lock
// file, the spool), as they refuse the database's: a file written there
// would replace the spool's rows or the lock; once let go they are files
// like any other.
TEST(DataFolderHold, TheFileDialogsRefuseTheLockFileAndTheSpool) {
    TempDb folder;
    const QString lockFile = QDir(folder.dir()).filePath(kLockFileName);
    const QString spool = QDir(folder.dir()).filePath(runloop::kSpoolFileName);
    auto hold = DataFolderHold::Take(folder.dir());
    ASSERT_TRUE(hold);
    for (const QString& pick : {lockFile, spool, QDir(folder.dir()).filePath(QStringLiteral("../")) +
                                                     QFileInfo(folder.dir()).fileName() + QLatin1Char('/') +
                                                     runloop::kSpoolFileName}) {
        SCOPED_TRACE(pick.toStdString());
        for (const bool save : {false, true}) {
            ScriptedDialogs dialogs;
            dialogs.files = {pick};  // then Cancel
            ui::FileRequest request;
            request.initialDir = folder.dir();
            EXPECT_FALSE(save ? ui::GetSaveFileName(request) : ui::GetOpenFileName(request));
            EXPECT_EQ(dialogs.texts(), QStringList{ui::FileInUseText(pick)});
            EXPECT_TRUE(ui::FileInUseText(pick).contains(QStringLiteral("keeps for itself"))) << pick.toStdString();
        }
    }
    hold.reset();
    for (const QString& pick : {lockFile, spool}) {
        ScriptedDialogs dialogs;
        dialogs.files = {pick};
        EXPECT_EQ(ui::GetSaveFileName(ui::FileRequest{}), pick);
        EXPECT_TRUE(dialogs.messages.empty());
    }
}

// ---------------------------------------------------------------- the real program

// The program started in a data folder, offscreen.
class Program {
public:
    explicit Program(const QString& folder) {
        process_.setWorkingDirectory(folder);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process_.setProcessEnvironment(env);
        process_.start(QStringLiteral(Z3080_PROGRAM), {});
        EXPECT_TRUE(process_.waitForStarted(30000));
    }
    ~Program() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(30000);
        }
    }
    qint64 pid() const { return process_.processId(); }
    bool running() const { return process_.state() == QProcess::Running; }
    void kill() {
        process_.kill();  // SIGKILL
        EXPECT_TRUE(process_.waitForFinished(30000));
    }
    // What it wrote on stderr, once it holds `text` (or after a generous wait).
    QString stderrHolding(const QString& text) {
        QElapsedTimer waited;
        waited.start();
        while (!err_.contains(text) && waited.elapsed() < 60000 && process_.state() != QProcess::NotRunning) {
            process_.waitForReadyRead(200);
            err_ += QString::fromLocal8Bit(process_.readAllStandardError());
        }
        err_ += QString::fromLocal8Bit(process_.readAllStandardError());
        return err_;
    }
    // The files it has open now.
    QStringList openFiles() const {
        QStringList files;
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid()));
        for (const QString& fd : fds.entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System))
            files << QFileInfo(fds.filePath(fd)).symLinkTarget();
        return files;
    }

private:
    QProcess process_;
    QString err_;
};

bool until(const std::function<bool()>& done) {
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > 60000) return false;
        QThread::msleep(20);
    }
    return true;
}

// The process the folder's lock file names.
qint64 namedHolder(const QString& folder) {
    QFile f(QDir(folder).filePath(kLockFileName));
    return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toLongLong() : 0;
}

bool opensTheDatabase(const Program& p, const QString& database) {
    return p.openFiles().contains(QFileInfo(database).canonicalFilePath());
}

TEST(OneProgramPerDataFolder, ASecondStartOpensNothingAndAKilledProgramLeavesNoLock) {
    TempDb folder;
    TempDb elsewhere;
    const QString database = folder.path();
    const QString canonical = QFileInfo(folder.dir()).canonicalFilePath();

    auto first = std::make_unique<Program>(folder.dir());
    ASSERT_TRUE(until([&] { return namedHolder(folder.dir()) == first->pid() && opensTheDatabase(*first, database); }));

    {
        Program second(folder.dir());
        const QString said = FolderInUseMessage(canonical, first->pid());
        const QString err = second.stderrHolding(said);
        EXPECT_TRUE(err.contains(said)) << err.toStdString();
        // It waits in its message box, having opened none of the folder's files.
        QThread::msleep(200);
        ASSERT_TRUE(second.running());
        for (const QString& file : second.openFiles())
            EXPECT_FALSE(file.startsWith(canonical)) << file.toStdString();
        EXPECT_EQ(namedHolder(folder.dir()), first->pid());
    }

    // A program on another folder runs side by side.
    Program beside(elsewhere.dir());
    ASSERT_TRUE(until([&] { return namedHolder(elsewhere.dir()) == beside.pid() && opensTheDatabase(beside, elsewhere.path()); }));

    // Killed, the first leaves its lock file but no lock: the next start takes the folder.
    first->kill();
    Program next(folder.dir());
    ASSERT_TRUE(until([&] { return namedHolder(folder.dir()) == next.pid() && opensTheDatabase(next, database); }));
    EXPECT_FALSE(next.stderrHolding(QString()).contains(QStringLiteral("in use")));
}

}  // namespace
