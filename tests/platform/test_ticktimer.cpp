// The window timer: interval and enabled flag as a timer control has them,
// ticks that never nest, and an injectable source.

#include "platform/TickTimer.h"
#include "support/ManualClock.h"
#include "support/ManualTicks.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

using testing_support::ManualTicks;
using testing_support::ManualTickSource;

TEST(TickTimer, IntervalAndEnabledDriveTheSource) {
    ManualTicks ticks;
    tick::TickTimer t;
    ASSERT_EQ(ticks.sources.size(), 1u);
    ManualTickSource& src = *ticks.sources[0];
    int count = 0;
    t.Timer = [&] { ++count; };

    EXPECT_TRUE(t.Enabled());  // designed: enabled, interval 0, so no ticks
    EXPECT_FALSE(t.Running());
    EXPECT_FALSE(src.fire());
    t.Interval(1000);
    EXPECT_TRUE(src.running);
    EXPECT_EQ(src.interval, 1000);
    EXPECT_TRUE(src.fire());
    t.Interval(3000);  // a new interval restarts the count
    EXPECT_EQ(src.interval, 3000);
    EXPECT_EQ(src.starts, 2);
    t.Enabled(false);
    EXPECT_FALSE(src.fire());
    t.Enabled(true);
    EXPECT_TRUE(src.fire());
    t.Interval(0);  // stops, stays enabled
    EXPECT_TRUE(t.Enabled());
    EXPECT_FALSE(src.running);
    EXPECT_EQ(count, 2);
    // A tick by hand runs the handler whatever the state.
    EXPECT_TRUE(t.Tick());
    EXPECT_EQ(count, 3);
}

TEST(TickTimer, ATickInsideATickIsSkippedAndADestroyedTimerIsLeftAlone) {
    ManualTicks ticks;
    auto t = std::make_unique<tick::TickTimer>();
    t->Interval(1000);
    ManualTickSource& src = *ticks.sources[0];
    int depth = 0, maxDepth = 0, runs = 0;
    t->Timer = [&] {
        ++runs;
        maxDepth = std::max(maxDepth, ++depth);
        if (runs == 1) {
            src.fire();  // the nested loop of a message box lets the timer fire
            src.fire();
        }
        --depth;
    };
    src.fire();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(maxDepth, 1);
    EXPECT_EQ(t->SkippedTicks(), 2);
    EXPECT_FALSE(t->InTick());
    src.fire();
    EXPECT_EQ(runs, 2);

    // The window closes (and its timer goes) while its tick is running.
    t->Timer = [&] { t.reset(); };
    src.fire();
    EXPECT_EQ(t, nullptr);
}

// The real thing: a QTimer source and a handler that sets the interval (as
// the run loop does after a set-point frame, which restarts the timer) and
// then runs a nested event loop (as a message box does) for longer than
// several intervals.
TEST(TickTimer, ANestedEventLoopDoesNotReenterTheHandler) {
    tick::TickTimer t;
    int depth = 0, maxDepth = 0, runs = 0;
    t.Timer = [&] {
        ++runs;
        maxDepth = std::max(maxDepth, ++depth);
        if (runs == 1) {
            t.Interval(5);
            QEventLoop nested;
            QTimer::singleShot(80, &nested, &QEventLoop::quit);
            nested.exec();
        }
        --depth;
    };
    t.Interval(5);
    QEventLoop outer;
    QElapsedTimer clock;
    clock.start();
    while (runs < 3 && clock.elapsed() < 3000) {
        QTimer::singleShot(5, &outer, &QEventLoop::quit);
        outer.exec();
    }
    t.Enabled(false);
    EXPECT_GE(runs, 3);
    EXPECT_EQ(maxDepth, 1);
    EXPECT_GT(t.SkippedTicks(), 0);
}

// A tick the program runs late makes no later tick late: the interval set
// within it counts from the time it was due, and within it the clock reads
// that time. A tick more than an interval late stands for the last one due
// and counts the ones the timer could not give.
TEST(TickTimer, TicksKeepToTheirClockAndATickReadsTheTimeItWasDue) {
    testing_support::ManualClock clock(0);
    ManualTicks ticks;
    tick::TickTimer t;
    ManualTickSource& src = *ticks.sources[0];
    std::vector<std::tuple<quint32, int, int>> seen;  // the clock, the ticks missed, the interval left
    t.Timer = [&] {
        const auto moment = tick::CurrentTick();
        ASSERT_TRUE(moment);
        t.Interval(1000);  // as a run does on every tick
        seen.emplace_back(tick::timeGetTime(), moment->missed, src.next);
    };
    t.Interval(1000);
    const std::pair<int, std::tuple<quint32, int, int>> cases[] = {
        {1000, {1000, 0, 1000}},  // on time
        {1400, {2000, 0, 600}},   // held 0.4 s: the next one comes 0.6 s later
        {600, {3000, 0, 1000}},   // on its time again
        {3400, {6000, 2, 600}},   // held 3.4 s: stands for the tick due at 6 s, two missed
        {600, {7000, 0, 1000}},
    };
    for (const auto& [advance, expected] : cases) {
        clock.advance(advance);
        ASSERT_TRUE(src.fire());
        EXPECT_EQ(seen.back(), expected) << "after " << advance << " ms";
    }
    // Outside a tick the clock reads itself.
    EXPECT_FALSE(tick::CurrentTick());
    EXPECT_EQ(tick::timeGetTime(), 7000u);
    // Set outside a tick, the interval counts from now.
    clock.advance(250);
    t.Interval(3000);
    EXPECT_EQ(src.next, 3000);
}
