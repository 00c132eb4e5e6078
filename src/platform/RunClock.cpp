#include "platform/RunClock.h"

#include <chrono>

namespace tick {

namespace {
ClockSource& current() {
    static ClockSource source;
    return source;
}

std::optional<TickMoment>& runningTick() {
    static std::optional<TickMoment> moment;
    return moment;
}
}  // namespace

std::optional<TickMoment> CurrentTick() { return runningTick(); }

TickScope::TickScope(const TickMoment& moment) : previous_(runningTick()) { runningTick() = moment; }

TickScope::~TickScope() { runningTick() = previous_; }

quint32 timeGetTime() {
    if (runningTick()) return runningTick()->due;
    return ClockNow();
}

quint32 ClockNow() {
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
