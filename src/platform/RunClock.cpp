#include "platform/RunClock.h"

#include <chrono>

namespace tick {

namespace {
ClockSource& current() {
    static ClockSource source;
    return source;
}
}  // namespace

quint32 timeGetTime() {
    if (current().milliseconds) return current().milliseconds();
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return quint32(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

QDateTime CurrentDateTime() {
    if (current().dateTime) return current().dateTime();
    return QDateTime::currentDateTime();
}

ClockSource SetClockSource(ClockSource source) {
    ClockSource previous = std::move(current());
    current() = std::move(source);
    return previous;
}

}  // namespace tick
