#include "platform/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

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

class QtHandler : public Handler {
public:
    int message(const MessageRequest& r) override {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(r.title);
        box.setText(r.prompt);
        switch (r.style & 0x70) {
            case vbCritical: box.setIcon(QMessageBox::Critical); break;
            case vbQuestion: box.setIcon(QMessageBox::Question); break;
            case vbExclamation: box.setIcon(QMessageBox::Warning); break;
            case vbInformation: box.setIcon(QMessageBox::Information); break;
            default: box.setIcon(QMessageBox::NoIcon); break;
        }
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
    return current()->file(q);
}

QString errorText(int number, const QString& description) {
    return QStringLiteral("ERROR: ") + QString::number(number) + QStringLiteral(", ") + description;
}

}  // namespace ui
