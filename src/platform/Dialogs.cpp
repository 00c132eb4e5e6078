#include "platform/Dialogs.h"

#include "platform/Database.h"
#include "platform/FileFilters.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QMimeDatabase>
#include <QPushButton>
#include <QSet>

namespace ui {

namespace {
Handler* g_handler = nullptr;

// "Text (*.txt)|*.txt|All files|*.*" -> "Text (*.txt);;All files (*.*)"
QString toQtFilter(const QString& f) {
    if (!f.contains(QLatin1Char('|'))) return f;
    const QStringList parts = f.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString label = parts[i];
        const QString pattern = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        if (!label.contains(QLatin1Char('('))) label += QStringLiteral(" (") + pattern + QLatin1Char(')');
        out << label;
    }
    return out.join(QStringLiteral(";;"));
}

QMessageBox::Icon iconOf(int style) {
    switch (style & 0x70) {
        case vbCritical: return QMessageBox::Critical;
        case vbQuestion: return QMessageBox::Question;
        case vbExclamation: return QMessageBox::Warning;
        case vbInformation: return QMessageBox::Information;
        default: return QMessageBox::NoIcon;
    }
}

// The icons and types of the files a file dialog lists, told by their names
// alone. Qt's own provider guesses the type of a file whose extension it does
// not know by opening and reading it; opening and closing a file of the open
// database (Z3080daq.accdb, its -wal or -shm) would drop every lock the
// process holds on it (POSIX locks belong to the process), and another
// program could then checkpoint and delete the log in the middle of a run.
class NameOnlyIcons : public QFileIconProvider {
public:
    NameOnlyIcons()
        : drive_(QFileIconProvider::icon(Drive)),
          folder_(QFileIconProvider::icon(Folder)),
          file_(QFileIconProvider::icon(File)) {}
    QIcon icon(IconType type) const override { return QFileIconProvider::icon(type); }
    QIcon icon(const QFileInfo& info) const override {
        if (info.isRoot()) return drive_;
        return info.isDir() ? folder_ : file_;
    }
    QString type(const QFileInfo& info) const override {
        if (info.isRoot()) return QStringLiteral("Drive");
        if (info.isDir()) return QStringLiteral("Folder");
        const QMimeType mime = QMimeDatabase().mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
        if (!mime.isDefault() && !mime.comment().isEmpty()) return mime.comment();
        return info.suffix().isEmpty() ? QStringLiteral("File") : info.suffix() + QStringLiteral(" File");
    }

private:
    QIcon drive_, folder_, file_;
};

// Holds a box back while a modal window is open (a question, a dialog): it
// is shown once none is, so that it never covers a question or takes the
// keys meant for it.
class ShowWhenNoModal : public QObject {
public:
    ShowWhenNoModal(QWidget* box, QWidget* modal) : QObject(box), box_(box) { watch(modal); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == modal_ && event->type() == QEvent::Hide) {
            modal_->removeEventFilter(this);
            gone();
        }
        return false;
    }

private:
    void watch(QWidget* modal) {
        modal_ = modal;
        modal_->installEventFilter(this);
        watching_ = connect(modal, &QObject::destroyed, this, [this] { gone(); });
    }
    // The modal window went: once it has, another modal one may be open.
    void gone() {
        disconnect(watching_);
        modal_ = nullptr;
        QMetaObject::invokeMethod(this, [this] { showOrWait(); }, Qt::QueuedConnection);
    }
    void showOrWait() {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            watch(modal);
            return;
        }
        box_->show();
        deleteLater();
    }
    QWidget* box_;
    QWidget* modal_ = nullptr;
    QMetaObject::Connection watching_;
};

class QtHandler : public Handler {
public:
    int message(const MessageRequest& r) override {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(r.title);
        box.setText(r.prompt);
        box.setIcon(iconOf(r.style));
        struct B { QMessageBox::StandardButton sb; int result; };
        QVector<B> buttons;
        switch (r.style & 0x7) {
            case vbOKCancel: buttons = {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}}; break;
            case vbAbortRetryIgnore:
                buttons = {{QMessageBox::Abort, vbAbort}, {QMessageBox::Retry, vbRetry}, {QMessageBox::Ignore, vbIgnore}};
                break;
            case vbYesNoCancel:
                buttons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}};
                break;
            case vbYesNo: buttons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}}; break;
            case vbRetryCancel: buttons = {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}}; break;
            default: buttons = {{QMessageBox::Ok, vbOK}}; break;
        }
        for (const auto& b : buttons) box.addButton(b.sb);
        int def = (r.style >> 8) & 0x3;
        if (def < buttons.size()) box.setDefaultButton(buttons[def].sb);
        // Above the boxes of Notify left open, which stay above the program's windows.
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        box.exec();
        auto clicked = box.standardButton(box.clickedButton());
        for (const auto& b : buttons)
            if (b.sb == clicked) return b.result;
        // Closed with Escape or the window's close box.
        for (const auto& b : buttons)
            if (b.result == vbCancel || b.result == vbNo) return b.result;
        return buttons.front().result;
    }
    void notify(const MessageRequest& r, std::function<void()> closed) override {
        // The box belongs to no window: a box parented to the window active
        // when it came would go with that window (a dialog, a question). It
        // never takes the keyboard, and while a modal window is open (which
        // blocks every other) it waits until none is (ShowWhenNoModal).
        auto* box = new QMessageBox(iconOf(r.style), r.title, r.prompt, QMessageBox::Ok);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setAttribute(Qt::WA_ShowWithoutActivating);
        box->setWindowModality(Qt::NonModal);
        // Above the program's windows (set after the modality, which resets the flags).
        box->setWindowFlag(Qt::WindowStaysOnTopHint);
        QObject::connect(box, &QObject::destroyed, [closed = std::move(closed)] { closed(); });
        if (QWidget* modal = QApplication::activeModalWidget())
            new ShowWhenNoModal(box, modal);
        else
            box->show();
    }
    std::optional<QString> input(const InputRequest& r) override {
        bool ok = false;
        QString s = QInputDialog::getText(QApplication::activeWindow(), r.title, r.prompt, QLineEdit::Normal,
                                          r.defaultText, &ok);
        if (!ok) return std::nullopt;
        return s;
    }
    std::optional<QString> file(const FileRequest& r) override {
        QString start = r.initialDir;
        if (!r.fileName.isEmpty()) start = start.isEmpty() ? r.fileName : start + QLatin1Char('/') + r.fileName;
        const QString filter = toQtFilter(r.filter);
        const QString chosen = filter.split(QStringLiteral(";;")).value(r.filterIndex - 1);
        // Qt's own dialog, listing through our icons: a native one would list
        // the folder with its own means. The dialog starts listing as it is
        // made, so it is made native-free; the icons are in place before the
        // event loop hands it the first files.
        NameOnlyIcons icons;
        const bool nativeOff = QCoreApplication::testAttribute(Qt::AA_DontUseNativeDialogs);
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, true);
        QFileDialog dialog(QApplication::activeWindow(), r.title, start, filter);
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, nativeOff);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setIconProvider(&icons);
        dialog.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(r.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        if (!chosen.isEmpty()) dialog.selectNameFilter(chosen);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        const QString f = dialog.selectedFiles().value(0);
        if (f.isEmpty()) return std::nullopt;
        return f;
    }
};

Handler* current() {
    static QtHandler qtHandler;
    return g_handler ? g_handler : &qtHandler;
}
}  // namespace

QString appTitle() { return QStringLiteral("Z3080DAQ"); }

Handler* setHandler(Handler* h) {
    Handler* old = g_handler;
    g_handler = h;
    return old;
}
Handler* handler() { return g_handler; }

int MsgBox(const QString& prompt, int style, const QString& title) {
    return current()->message(MessageRequest{prompt, style, title.isEmpty() ? appTitle() : title});
}

namespace {
QSet<QString>& openNotifications() {
    static QSet<QString> open;
    return open;
}
QStringList& notifySources() {
    static QStringList sources;
    return sources;
}
}  // namespace

NotifySource::NotifySource(const QString& name) { notifySources().push_back(name.trimmed()); }
NotifySource::~NotifySource() { notifySources().pop_back(); }

void Notify(const QString& prompt, int style, const QString& title) {
    MessageRequest r{prompt, style, title.isEmpty() ? appTitle() : title};
    if (!notifySources().isEmpty() && !notifySources().back().isEmpty())
        r.title += QStringLiteral(" - ") + notifySources().back();
    const QString key = r.title + QChar(0x1f) + r.prompt;
    if (openNotifications().contains(key)) return;
    openNotifications().insert(key);
    current()->notify(r, [key] { openNotifications().remove(key); });
}

int OpenNotifications() { return int(openNotifications().size()); }

QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) {
    auto r = current()->input(InputRequest{prompt, title.isEmpty() ? appTitle() : title, defaultText});
    return r.value_or(QString());
}

QString FileInUseText(const QString& path) {
    if (db::IsReservedFile(path))
        return QStringLiteral("%1 is a file the program keeps for itself while it runs: it is never read or "
                              "written from here. Choose another file.")
            .arg(QDir::toNativeSeparators(path));
    return QStringLiteral("%1 is a file of the database the program has open: it is never read or written "
                          "from here. Choose another file.")
        .arg(QDir::toNativeSeparators(path));
}

namespace {
// The dialog, shown again after a pick of a file the open database uses
// (refused with FileInUseText), in the folder of that pick.
std::optional<QString> chooseFile(FileRequest q) {
    for (;;) {
        std::optional<QString> f = current()->file(q);
        // A name typed without an extension takes the filter's (FileFilters.h).
        if (f && q.save) *f = WithFilterExtension(*f, q.filter, q.filterIndex);
        if (!f || !db::IsFileInUse(*f)) return f;
        MsgBox(FileInUseText(*f), vbExclamation);
        q.initialDir = QFileInfo(*f).absolutePath();
        q.fileName.clear();
    }
}
}  // namespace

std::optional<QString> GetOpenFileName(const FileRequest& r) {
    FileRequest q = r;
    q.save = false;
    return chooseFile(q);
}

std::optional<QString> GetSaveFileName(const FileRequest& r) {
    FileRequest q = r;
    q.save = true;
    return chooseFile(q);
}

QString errorText(int number, const QString& description) {
    return QStringLiteral("ERROR: ") + QString::number(number) + QStringLiteral(", ") + description;
}

}  // namespace ui
