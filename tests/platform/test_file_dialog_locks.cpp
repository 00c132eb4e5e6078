// The file dialogs list the data folder without opening the database's files,
// so the program keeps its locks on the database for as long as it has the
// database open; and a pick of one of those files is refused.

#include "platform/Database.h"
#include "platform/Dialogs.h"
#include "platform/PrinterChoice.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDb.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QSqlQuery>
#include <QThread>
#include <QTimer>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// SQLite's lock bytes: the SHARED range of the database file (after the
// PENDING and RESERVED bytes at 0x40000000), and the byte of the -shm file
// every connection holds a read lock on while it has the database open.
constexpr off_t kSharedFirst = 0x40000002;
constexpr off_t kSharedSize = 510;
constexpr off_t kShmInUse = 128;

// Whether another process is refused a write lock on those bytes of the file
// (someone holds a lock on them). The child only opens, locks and ends.
bool WriteLockRefusedElsewhere(const QString& path, off_t start, off_t length) {
    const QByteArray name = QFile::encodeName(path);
    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = ::open(name.constData(), O_RDWR);
        if (fd < 0) _exit(2);
        struct flock lock = {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = start;
        lock.l_len = length;
        _exit(fcntl(fd, F_SETLK, &lock) == 0 ? 0 : 1);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

// What another program reads of the probe table (the sqlite3 shell: it opens
// the database, reads and closes it, the last to close if no lock says
// otherwise).
QString ReadByAnotherProgram(const QString& path) {
    QProcess shell;
    shell.start(QStringLiteral("sqlite3"), {path, QStringLiteral("SELECT group_concat(n) FROM lockprobe;")});
    if (!shell.waitForFinished(30000)) return QStringLiteral("(no answer)");
    return QString::fromUtf8(shell.readAllStandardOutput()).trimmed();
}

// Waits for the file dialog the call below opens, lets it list `folder` with
// every file's icon and type fetched, then cancels it.
void CancelOnceListed(const QString& folder, const QStringList& names, bool* listed) {
    QTimer::singleShot(0, [=] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            CancelOnceListed(folder, names, listed);
            return;
        }
        QFileSystemModel* model = dialog->findChild<QFileSystemModel*>();
        QElapsedTimer waited;
        waited.start();
        const auto allListed = [&] {
            if (!model) return false;
            for (const QString& name : names) {
                const QModelIndex index = model->index(QDir(folder).filePath(name));
                if (!index.isValid()) return false;
                model->data(index, Qt::DecorationRole);
                if (model->type(index).isEmpty()) return false;
            }
            return true;
        };
        while (!allListed() && waited.elapsed() < 20000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            QThread::msleep(5);
        }
        *listed = allListed();
        QCoreApplication::processEvents();
        dialog->reject();
    });
}

}  // namespace

// A real dialog (offscreen) lists the folder of the open database, every
// file's icon and type fetched, and is cancelled: the program still holds its
// locks on the database, and another program reading it afterwards leaves
// its log in place, so what the program writes next is what everyone reads.
TEST(FileDialogs, ListingTheDatabaseFolderKeepsTheDatabaseLocked) {
    struct Case {
        const char* what;
        bool save;
        int filterIndex;
    } cases[] = {
        {"open, all files", false, 2},
        {"open, text files", false, 1},
        {"save, all files", true, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing_support::TempDb folder;
        db::Connection connection;
        connection.open(folder.path());
        QSqlQuery q(connection.handle());
        ASSERT_TRUE(q.exec(QStringLiteral("CREATE TABLE lockprobe (n INTEGER)")));
        ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO lockprobe VALUES (1)")));
        const QString wal = folder.path() + QStringLiteral("-wal");
        const QString shm = folder.path() + QStringLiteral("-shm");
        ASSERT_TRUE(QFileInfo::exists(wal));
        ASSERT_TRUE(WriteLockRefusedElsewhere(folder.path(), kSharedFirst, kSharedSize));
        ASSERT_TRUE(WriteLockRefusedElsewhere(shm, kShmInUse, 1));

        bool listed = false;
        CancelOnceListed(folder.dir(),
                         {QFileInfo(folder.path()).fileName(), QFileInfo(wal).fileName(), QFileInfo(shm).fileName()},
                         &listed);
        ui::FileRequest request;
        request.title = QStringLiteral("Open File");
        request.filter = QStringLiteral("Text (*.txt)|*.txt|All files (*.*)|*.*");
        request.filterIndex = c.filterIndex;
        request.initialDir = folder.dir();
        ui::Handler* scripted = ui::setHandler(nullptr);  // the real dialogs
        const std::optional<QString> chosen = c.save ? ui::GetSaveFileName(request) : ui::GetOpenFileName(request);
        ui::setHandler(scripted);
        EXPECT_FALSE(chosen);
        EXPECT_TRUE(listed);

        EXPECT_TRUE(WriteLockRefusedElsewhere(folder.path(), kSharedFirst, kSharedSize));
        EXPECT_TRUE(WriteLockRefusedElsewhere(shm, kShmInUse, 1));
        EXPECT_EQ(ReadByAnotherProgram(folder.path()), "1");
        EXPECT_TRUE(QFileInfo::exists(wal));
        ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO lockprobe VALUES (2)")));
        EXPECT_EQ(ReadByAnotherProgram(folder.path()), "1,2");
    }
}

// A pick of the open database, or of a file beside it that the database
// uses, is refused by name and the dialog comes back; any other file, the
// database's folder included, is taken.
TEST(FileDialogs, APickOfAFileTheOpenDatabaseUsesIsRefused) {
    testing_support::TempDb folder;
    auto connection = std::make_unique<db::Connection>();
    connection->open(folder.path());
    QSqlQuery(connection->handle()).exec(QStringLiteral("CREATE TABLE lockprobe (n INTEGER)"));  // the log made
    const QString name = QFileInfo(folder.path()).fileName();
    const QString other = QDir(folder.dir()).filePath(QStringLiteral("sub"));
    ASSERT_TRUE(QDir().mkpath(other));
    ASSERT_TRUE(QFile::link(folder.path(), QDir(other).filePath(QStringLiteral("link.accdb"))));
    ASSERT_EQ(::link(QFile::encodeName(folder.path()).constData(),
                     QFile::encodeName(QDir(other).filePath(QStringLiteral("hard.accdb"))).constData()),
              0);

    struct Case {
        const char* what;
        QString pick;
        bool refused;
    } cases[] = {
        {"the database", folder.path(), true},
        {"its log", folder.path() + QStringLiteral("-wal"), true},
        {"its index", folder.path() + QStringLiteral("-shm"), true},
        {"its journal, not there", folder.path() + QStringLiteral("-journal"), true},
        {"another name of the folder", other + QStringLiteral("/../") + name, true},
        {"a link to it", QDir(other).filePath(QStringLiteral("link.accdb")), true},
        {"a second name of the same file", QDir(other).filePath(QStringLiteral("hard.accdb")), true},
        {"a report beside it", QDir(folder.dir()).filePath(QStringLiteral("report.csv")), false},
        {"a name that starts the same", folder.path() + QStringLiteral(".csv"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const bool save : {false, true}) {
            testing_support::ScriptedDialogs dialogs;
            dialogs.files = {c.pick};  // then Cancel
            ui::FileRequest request;
            request.initialDir = folder.dir();
            const std::optional<QString> chosen = save ? ui::GetSaveFileName(request) : ui::GetOpenFileName(request);
            if (c.refused) {
                EXPECT_FALSE(chosen);
                EXPECT_EQ(dialogs.texts(), QStringList{ui::FileInUseText(c.pick)});
                ASSERT_EQ(dialogs.fileRequests.size(), 2u);  // shown again
                EXPECT_EQ(QDir(dialogs.fileRequests[1].initialDir), QFileInfo(c.pick).absoluteDir());
            } else {
                EXPECT_EQ(chosen, c.pick);
                EXPECT_TRUE(dialogs.messages.empty());
            }
        }
    }
    // Once the connection is gone its files are files like any other.
    EXPECT_TRUE(db::IsFileInUse(folder.path()));
    connection.reset();
    EXPECT_FALSE(db::IsFileInUse(folder.path()));
}

// Qt's print dialog offers no "Print to File": the browser of that choice is
// Qt's own file dialog, which opens the files it lists to tell their types.
TEST(FileDialogs, ThePrintDialogOffersNoFileOfItsOwn) {
    printing::resetPrinterSeam();
    QStringList printers;
    bool toFile = true;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
            toFile = dialog->testOption(QAbstractPrintDialog::PrintToFile);
            if (auto* list = dialog->findChild<QComboBox*>(QStringLiteral("printers")))
                for (int i = 0; i < list->count(); ++i) printers << list->itemText(i);
            dialog->reject();
        }
    });
    QPrinter printer;
    EXPECT_FALSE(printing::printerSeam().printDialog(printer));
    EXPECT_FALSE(toFile);
    EXPECT_FALSE(printers.join(QLatin1Char('|')).contains(QStringLiteral("File"))) << printers.join(QLatin1Char('|')).toStdString();
}
