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
}

void ReadingsAge::Parsed(int frames) {
    const quint32 now = tick::timeGetTime();
    if (frames > 0) {
        lastFrameMs_ = now;
        readingsMs_ = now;
    }
    tickAt(now);
}

void ReadingsAge::Discarded(bool heldFrame) {
    const quint32 now = tick::timeGetTime();
    if (heldFrame) lastFrameMs_ = now;
    tickAt(now);
}

void ReadingsAge::Outdated() { readingsMs_.reset(); }

bool ReadingsAge::Silent() const {
    const std::optional<quint32> since = lastFrameMs_ ? lastFrameMs_ : firstTickMs_;
    return since && !within(since, tick::timeGetTime());
}

bool ReadingsAge::Fresh() const { return within(readingsMs_, tick::timeGetTime()); }

}  // namespace runloop
