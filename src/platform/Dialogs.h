#pragma once
// The one seam through which the application shows message boxes, input boxes
// and file dialogs. The default shows Qt's modal dialogs; tests install a
// handler of their own that records every message and answers it, so no test
// ever waits on a modal window.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace ui {

// Buttons and icons of a message box, and its answers (combined by addition).
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton1 = 0,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};
enum MsgBoxResult : int { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

// The title of a message box for which no title of its own is given.
QString appTitle();

// What a cancelled file or print dialog says when the caller reports the cancel.
inline const QString kCancelDescription = QStringLiteral("Cancel was selected.");

struct MessageRequest {
    QString prompt;
    int style = vbOKOnly;
    QString title;  // the title shown (the application's title when none was given)
};

struct InputRequest {
    QString prompt;
    QString title;
    QString defaultText;
};

struct FileRequest {
    bool save = false;
    QString title;
    QString filter;     // "Text (*.txt)|*.txt|All (*.*)|*.*" style or Qt style
    QString initialDir;
    QString fileName;   // initial file name
    int filterIndex = 1;  // the entry of `filter` chosen at first, from 1
};

class Handler {
public:
    virtual ~Handler() = default;
    virtual int message(const MessageRequest& r) = 0;
    // nullopt: the operator cancelled.
    virtual std::optional<QString> input(const InputRequest& r) = 0;
    virtual std::optional<QString> file(const FileRequest& r) = 0;
    // A box that holds nothing back (Notify): shown, and left to the operator
    // while the caller goes on; `closed` is called once when it goes. By
    // default it is answered at once, as message() answers it.
    virtual void notify(const MessageRequest& r, std::function<void()> closed) {
        message(r);
        closed();
    }
};

// Installs a handler (nullptr restores the real dialogs); returns the previous one.
Handler* setHandler(Handler* h);
Handler* handler();

// A message box; returns one of MsgBoxResult. An empty title shows appTitle().
int MsgBox(const QString& prompt, int style = vbOKOnly, const QString& title = QString());
// A message box that holds nothing back: it is shown and the call returns at
// once, the box left open until the operator closes it. For what a unit's
// tick says (a trip, a point the database refused, a failed line): the tick,
// and every other unit's, goes on while the box is open. A box of the same
// prompt and title still open is not shown again over it. The box stays
// above the program's windows and goes only when the operator closes it,
// whatever window closes meanwhile: it belongs to no window. It never takes
// the keyboard, and never opens over a modal window (a question, a dialog):
// it waits, unseen, until none is open. A question of MsgBox is shown above
// the boxes left open.
void Notify(const QString& prompt, int style = vbOKOnly, const QString& title = QString());
// The boxes of Notify still open.
int OpenNotifications();

// Within its scope the boxes of Notify say where they come from: " - " and
// `name` (a unit: "Unit 3") follow their title, so the same words from two
// sources are two boxes, and the same words from one source one box. Scopes
// nest; the innermost names the boxes. An empty name adds nothing.
class NotifySource {
public:
    explicit NotifySource(const QString& name);
    ~NotifySource();
    NotifySource(const NotifySource&) = delete;
    NotifySource& operator=(const NotifySource&) = delete;
};

// An input box; the empty text when cancelled.
QString InputBox(const QString& prompt, const QString& title = QString(), const QString& defaultText = QString());
// File dialogs; nullopt when cancelled. The real dialog never opens a file
// it lists (its icons and types go by the names alone). A name typed into a
// save dialog without an extension takes the one of the filter entry chosen
// at first (WithFilterExtension, FileFilters.h). A pick of a file the
// program's open database uses, or one it reserved (db::IsFileInUse), is refused with
// FileInUseText and the dialog is shown again, in that folder.
std::optional<QString> GetOpenFileName(const FileRequest& r);
std::optional<QString> GetSaveFileName(const FileRequest& r);
// "<path> is a file of the database the program has open: ...", or of a
// file the program reserved for itself (db::ReservedFile) "<path> is a file
// the program keeps for itself while it runs: ...".
QString FileInUseText(const QString& path);

// The text shown for a trapped run-time error: "ERROR: " + number + ", " + description.
QString errorText(int number, const QString& description);

}  // namespace ui
