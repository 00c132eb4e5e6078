#include "support/ScriptedDialogs.h"

namespace testing_support {

ScriptedDialogs::ScriptedDialogs() : previous_(ui::setHandler(this)) {}
ScriptedDialogs::~ScriptedDialogs() {
    closeNotifications();
    ui::setHandler(previous_);
}

void ScriptedDialogs::notify(const ui::MessageRequest& r, std::function<void()> closed) {
    if (!keepNotificationsOpen) {
        inNotify_ = true;
        ui::Handler::notify(r, std::move(closed));
        inNotify_ = false;
        return;
    }
    messages.push_back(r);
    openBoxes_.push_back(std::move(closed));
}

void ScriptedDialogs::closeNotifications() {
    std::vector<std::function<void()>> boxes;
    boxes.swap(openBoxes_);
    for (auto& closed : boxes) closed();
}

QStringList ScriptedDialogs::texts() const {
    QStringList out;
    for (const auto& m : messages) out << m.prompt;
    return out;
}

QStringList ScriptedDialogs::modalTexts() const {
    QStringList out;
    for (const auto& m : modal) out << m.prompt;
    return out;
}

void ScriptedDialogs::clear() {
    messages.clear();
    modal.clear();
    inputRequests.clear();
    fileRequests.clear();
}

static int firstButton(int style) {
    switch (style & 0x7) {
        case ui::vbAbortRetryIgnore: return ui::vbAbort;
        case ui::vbYesNoCancel:
        case ui::vbYesNo: return ui::vbYes;
        case ui::vbRetryCancel: return ui::vbRetry;
        default: return ui::vbOK;
    }
}

int ScriptedDialogs::message(const ui::MessageRequest& r) {
    messages.push_back(r);
    if (!inNotify_) modal.push_back(r);
    if (answers.empty()) return firstButton(r.style);
    int a = answers.front();
    answers.pop_front();
    return a;
}

std::optional<QString> ScriptedDialogs::input(const ui::InputRequest& r) {
    inputRequests.push_back(r);
    if (inputs.empty()) return std::nullopt;
    auto a = inputs.front();
    inputs.pop_front();
    return a;
}

std::optional<QString> ScriptedDialogs::file(const ui::FileRequest& r) {
    fileRequests.push_back(r);
    if (files.empty()) return std::nullopt;
    auto a = files.front();
    files.pop_front();
    return a;
}

}  // namespace testing_support
