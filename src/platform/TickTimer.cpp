#include "platform/TickTimer.h"

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
        if (onTick) onTick();
    });
}

void QTimerTickSource::start(int ms) { timer_.start(ms); }

void QTimerTickSource::stop() { timer_.stop(); }

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
    if (Running())
        source_->start(interval_);
    else
        source_->stop();
}

bool TickTimer::Tick() {
    if (inTick_) {
        ++skipped_;
        return false;
    }
    const std::shared_ptr<bool> alive = alive_;
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
