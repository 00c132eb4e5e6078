#pragma once
// Timer ticks by hand: while a ManualTicks lives, every new timer
// (tick::TickTimer) takes a source that never fires by itself; the test fires
// it, at once, as often as it likes.

#include "platform/TickTimer.h"

#include <vector>

namespace testing_support {

class ManualTickSource : public tick::TickSource {
public:
    void start(int ms) override { schedule(ms, ms); }
    void schedule(int periodMs, int firstMs) override {
        running = true;
        interval = periodMs;
        next = firstMs;
        ++starts;
    }
    void stop() override { running = false; }
    // One tick, as the running timer would give it (nothing when stopped).
    bool fire() {
        if (!running || !onTick) return false;
        next = interval;
        onTick();
        return true;
    }
    bool running = false;
    int interval = 0;
    int next = 0;  // milliseconds from the last start or tick to the next tick
    int starts = 0;
};

class ManualTicks {
public:
    ManualTicks() {
        previous_ = tick::SetTickSourceFactory([this]() -> std::unique_ptr<tick::TickSource> {
            auto s = std::make_unique<ManualTickSource>();
            sources.push_back(s.get());
            return s;
        });
    }
    ~ManualTicks() { tick::SetTickSourceFactory(std::move(previous_)); }
    ManualTicks(const ManualTicks&) = delete;
    ManualTicks& operator=(const ManualTicks&) = delete;

    // Every source handed out, in order (owned by their timers: do not use
    // one whose timer is gone).
    std::vector<ManualTickSource*> sources;

private:
    tick::TickSourceFactory previous_;
};

}  // namespace testing_support
