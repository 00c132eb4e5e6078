#pragma once
// What the fuzz targets share: message boxes that answer at once, and the
// check that stops the run on a broken promise.

#include "platform/Dialogs.h"

#include <QString>
#include <cstdlib>
#include <optional>

namespace fuzzing {

class SilentDialogs : public ui::Handler {
public:
    int message(const ui::MessageRequest&) override { return ui::vbOK; }
    std::optional<QString> input(const ui::InputRequest&) override { return std::nullopt; }
    std::optional<QString> file(const ui::FileRequest&) override { return std::nullopt; }
};

// Installs the silent dialogs once per process.
inline void silenceDialogs() {
    static SilentDialogs dialogs;
    static const bool installed = (ui::setHandler(&dialogs), true);
    (void)installed;
}

inline void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace fuzzing
