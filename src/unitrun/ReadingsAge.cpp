#include "unitrun/ReadingsAge.h"

#include "platform/RunClock.h"

namespace runloop {

namespace {
bool within(const std::optional<quint32>& since, quint32 now) {
    return since && tick::MsBetween(*since, now) <= kReadingsMaxAgeMs;
}
}  // namespace

void ReadingsAge::tickAt(quint32 now) {
    if (!firstTickMs_) firstTickMs_ = now;
    lastTickMs_ = now;
}

void ReadingsAge::Parsed(int frames) {
    const quint32 now = tick::timeGetTime();
    if (frames > 0) {
        lastFrameMs_ = now;
        standingMs_ = now;
    }
    tickAt(now);
}

void ReadingsAge::Discarded(bool heldFrame) {
    const quint32 now = tick::timeGetTime();
    if (heldFrame) {
        // The readings stand on when they were the present ones on the tick before.
        if (lastTickMs_ && within(standingMs_, *lastTickMs_)) standingMs_ = now;
        lastFrameMs_ = now;
    }
    tickAt(now);
}

bool ReadingsAge::Silent() const {
    const std::optional<quint32> since = lastFrameMs_ ? lastFrameMs_ : firstTickMs_;
    return since && !within(since, tick::timeGetTime());
}

bool ReadingsAge::Fresh() const { return within(standingMs_, tick::timeGetTime()); }

}  // namespace runloop
