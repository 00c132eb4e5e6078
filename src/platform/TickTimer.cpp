#include "platform/TickTimer.h"

#include "platform/RunClock.h"

#include <algorithm>

namespace tick {

namespace {
TickSourceFactory& factory() {
    static TickSourceFactory f;
    return f;
}
}  // namespace

QTimerTickSource::QTimerTickSource() {
    // A coarse timer may fire up to 5% early or late: two ticks could then
    // fall in the same elapsed second, or one second be skipped, and a point
    // recorded twice or not at all.
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (firstPending_) {
            firstPending_ = false;
            timer_.start(period_);
        }
        if (onTick) onTick();
    });
}

void QTimerTickSource::start(int ms) { schedule(ms, ms); }

void QTimerTickSource::schedule(int periodMs, int firstMs) {
    period_ = periodMs;
    firstPending_ = firstMs != periodMs;
    timer_.start(firstMs);
}

void QTimerTickSource::stop() {
    firstPending_ = false;
    timer_.stop();
}

TickSourceFactory SetTickSourceFactory(TickSourceFactory f) {
    TickSourceFactory previous = std::move(factory());
    factory() = std::move(f);
    return previous;
}

std::unique_ptr<TickSource> MakeTickSource() {
    if (factory()) {
        if (auto s = factory()()) return s;
    }
    return std::make_unique<QTimerTickSource>();
}

TickTimer::TickTimer() : TickTimer(MakeTickSource()) {}

TickTimer::TickTimer(std::unique_ptr<TickSource> source) : source_(std::move(source)) {
    source_->onTick = [this] { Tick(); };
}

TickTimer::~TickTimer() {
    *alive_ = false;
    source_->onTick = nullptr;
    source_->stop();
}

void TickTimer::Interval(int ms) {
    interval_ = ms < 0 ? 0 : ms;
    apply();
}

void TickTimer::Enabled(bool on) {
    enabled_ = on;
    apply();
}

void TickTimer::apply() {
    if (!Running()) {
        source_->stop();
        return;
    }
    const quint32 now = tick::ClockNow();
    if (inTick_) {
        // The next tick counts from the time this one was due.
        nextDue_ = tickDue_ + quint32(interval_);
        source_->schedule(interval_, std::max(0, qint32(nextDue_ - now)));
    } else {
        nextDue_ = now + quint32(interval_);
        source_->start(interval_);
    }
}

bool TickTimer::Tick() {
    if (inTick_) {
        ++skipped_;
        return false;
    }
    const std::shared_ptr<bool> alive = alive_;
    // The time this tick stands for: the one it was due at, or, when the
    // timer could not give the ticks due before it, the last of them. A
    // tick before its time (or by hand) stands for now.
    const quint32 now = tick::ClockNow();
    tick::TickMoment moment{now, interval_, 0};
    const qint32 late = qint32(now - nextDue_);
    if (Running() && late >= 0) {
        moment.missed = late / interval_;
        moment.due = nextDue_ + quint32(moment.missed) * quint32(interval_);
    }
    tickDue_ = moment.due;
    if (interval_ > 0) nextDue_ = moment.due + quint32(interval_);
    const tick::TickScope scope(moment);
    inTick_ = true;
    struct Done {
        TickTimer* timer;
        const std::shared_ptr<bool>& alive;
        ~Done() {
            if (*alive) timer->inTick_ = false;
        }
    } done{this, alive};
    if (Timer) Timer();
    return true;
}

}  // namespace tick
