#pragma once
// Answers the application's message boxes, input boxes and file dialogs in
// tests, and records every one of them.

#include "platform/Dialogs.h"

#include <QStringList>
#include <deque>
#include <vector>

namespace testing_support {

class ScriptedDialogs : public ui::Handler {
public:
    ScriptedDialogs();   // installs itself
    ~ScriptedDialogs() override;  // puts the previous handler back

    // Queued answers; when a queue is empty a message box answers with its
    // first button, an input box and a file dialog with Cancel.
    std::deque<int> answers;
    std::deque<std::optional<QString>> inputs;
    std::deque<std::optional<QString>> files;

    std::vector<ui::MessageRequest> messages;
    std::vector<ui::InputRequest> inputRequests;
    std::vector<ui::FileRequest> fileRequests;

    QStringList texts() const;  // the prompts of every message box, in order
    // The message boxes that held their caller until answered (ui::MsgBox),
    // not those that hold nothing back (ui::Notify); in order.
    std::vector<ui::MessageRequest> modal;
    QStringList modalTexts() const;
    void clear();

    // Boxes that hold nothing back (ui::Notify) are recorded in `messages`
    // too; they are answered at once, unless kept open: then each stays
    // open (a second one of the same text is not shown) until
    // closeNotifications(), as a box the operator leaves on the screen.
    bool keepNotificationsOpen = false;
    void closeNotifications();

    int message(const ui::MessageRequest& r) override;
    void notify(const ui::MessageRequest& r, std::function<void()> closed) override;
    std::optional<QString> input(const ui::InputRequest& r) override;
    std::optional<QString> file(const ui::FileRequest& r) override;

private:
    ui::Handler* previous_;
    bool inNotify_ = false;
    std::vector<std::function<void()>> openBoxes_;
};

}  // namespace testing_support
