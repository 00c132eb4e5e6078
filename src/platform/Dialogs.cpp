#include "platform/Dialogs.h"

#include "platform/FileFilters.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
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
        auto* box = new QMessageBox(iconOf(r.style), r.title, r.prompt, QMessageBox::Ok, QApplication::activeWindow());
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        QObject::connect(box, &QObject::destroyed, [closed = std::move(closed)] { closed(); });
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
        QString chosen = filter.split(QStringLiteral(";;")).value(r.filterIndex - 1);
        QString f = r.save ? QFileDialog::getSaveFileName(QApplication::activeWindow(), r.title, start, filter, &chosen)
                           : QFileDialog::getOpenFileName(QApplication::activeWindow(), r.title, start, filter, &chosen);
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
}  // namespace

void Notify(const QString& prompt, int style, const QString& title) {
    MessageRequest r{prompt, style, title.isEmpty() ? appTitle() : title};
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

std::optional<QString> GetOpenFileName(const FileRequest& r) {
    FileRequest q = r;
    q.save = false;
    return current()->file(q);
}

std::optional<QString> GetSaveFileName(const FileRequest& r) {
    FileRequest q = r;
    q.save = true;
    std::optional<QString> chosen = current()->file(q);
    // A name typed without an extension takes the filter's (FileFilters.h).
    if (chosen) *chosen = WithFilterExtension(*chosen, q.filter, q.filterIndex);
    return chosen;
}

QString errorText(int number, const QString& description) {
    return QStringLiteral("ERROR: ") + QString::number(number) + QStringLiteral(", ") + description;
}

}  // namespace ui
