#pragma once
// The timer control of a window (Timer1): while it is enabled and its
// interval is above 0 it ticks every Interval milliseconds and runs its
// handler. Setting the interval, or enabling the timer, starts the count
// anew; an interval of 0 stops the ticks without disabling the timer.
//
// The ticks keep to their own clock, not to the end of the tick before: an
// interval set within a tick counts from the time that tick was due, so a
// tick the program ran late (another window's work, a busy machine) makes
// no later tick late. Within its handler the millisecond clock reads the
// time the tick was due (tick::timeGetTime, RunClock.h). A tick given more
// than a whole interval late stands for the last one due; the ones before
// it that the timer could not give are counted in its tick::TickMoment.
//
// Ticks never nest. A handler that shows a message box runs a nested event
// loop, in which the timer goes on firing; such a tick is skipped (and
// counted) instead of running inside the first one. A timer destroyed from
// within its own handler (its window closed in a nested loop) is left alone
// when the handler returns.
//
// Where the ticks come from can be chosen: by default a QTimer; tests install
// a factory whose sources they fire by hand, so a tick needs no waiting.

#include <QTimer>
#include <functional>
#include <memory>

namespace tick {

// What makes a timer tick. The timer sets onTick and drives start and stop.
class TickSource {
public:
    virtual ~TickSource() = default;
    // Ticks every ms milliseconds from now on (restarting the count).
    virtual void start(int ms) = 0;
    // Ticks first in firstMs milliseconds, then every periodMs. By default
    // as start(periodMs), for a source whose ticks are fired by hand.
    virtual void schedule(int periodMs, int firstMs) { start(periodMs); }
    virtual void stop() = 0;
    std::function<void()> onTick;
};

// The default source.
class QTimerTickSource : public TickSource {
public:
    QTimerTickSource();
    void start(int ms) override;
    void schedule(int periodMs, int firstMs) override;
    void stop() override;

private:
    QTimer timer_;
    int period_ = 0;
    bool firstPending_ = false;  // the first tick of a schedule is still to come
};

using TickSourceFactory = std::function<std::unique_ptr<TickSource>()>;
// Sets where new timers take their source from (an empty factory: a QTimer);
// returns the factory that was set before.
TickSourceFactory SetTickSourceFactory(TickSourceFactory factory);
std::unique_ptr<TickSource> MakeTickSource();

class TickTimer {
public:
    TickTimer();  // a source from the factory in force
    explicit TickTimer(std::unique_ptr<TickSource> source);
    ~TickTimer();
    TickTimer(const TickTimer&) = delete;
    TickTimer& operator=(const TickTimer&) = delete;

    int Interval() const { return interval_; }
    void Interval(int ms);  // negative counts as 0
    bool Enabled() const { return enabled_; }
    void Enabled(bool on);
    // Enabled with an interval above 0.
    bool Running() const { return enabled_ && interval_ > 0; }

    // The tick handler (the window's Timer1_Timer).
    std::function<void()> Timer;

    // Runs one tick now, as the source does: false (and counted as skipped)
    // when a tick is running already.
    bool Tick();
    bool InTick() const { return inTick_; }
    int SkippedTicks() const { return skipped_; }

    TickSource& source() { return *source_; }

private:
    void apply();

    std::unique_ptr<TickSource> source_;
    quint32 nextDue_ = 0;  // the clock reading the next tick is due at
    quint32 tickDue_ = 0;  // the one of the tick running
    int interval_ = 0;
    bool enabled_ = true;
    bool inTick_ = false;
    int skipped_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace tick
