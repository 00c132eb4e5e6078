// Whether a unit is heard and its readings are its present ones, tick by
// tick on a manual clock: the rule every unit window shows "No Response" by
// and every run records its points by.

#include "unitrun/ReadingsAge.h"

#include "support/ManualClock.h"

#include <gtest/gtest.h>
#include <vector>

using namespace runloop;
using testing_support::ManualClock;

namespace {

// What one tick found: frames parsed, none, or input thrown away with or
// without a frame in it; or, within the tick before, a set-point frame sent.
enum class Input { Frame, Nothing, DiscardedFrame, DiscardedNothing, SetPoints };

struct Tick {
    int afterMs;  // since the tick before
    Input input;
    bool silent;  // after it
    bool fresh;
};

}  // namespace

TEST(ReadingsAge, OneTickWithoutAFrameIsTheLinesWayTwoAreSilence) {
    constexpr Input F = Input::Frame, N = Input::Nothing, DF = Input::DiscardedFrame, DN = Input::DiscardedNothing,
                    SP = Input::SetPoints;
    const struct Case {
        const char* name;
        std::vector<Tick> ticks;
    } cases[] = {
        {"frames every second", {{0, F, false, true}, {1000, F, false, true}, {1000, F, false, true}}},
        // A frame late or split across a tick: the next tick reads it.
        {"every other tick without a frame",
         {{0, F, false, true}, {1000, N, false, true}, {1000, F, false, true}, {1000, N, false, true},
          {1000, F, false, true}}},
        {"a silence shows on its second tick and its points stop",
         {{0, F, false, true}, {1000, N, false, true}, {1000, N, true, false}, {1000, N, true, false},
          {1000, F, false, true}}},
        // The tick after a step's set points (3 s on) throws its input away:
        // the unit is heard, but the readings of before are no longer its
        // present ones, on that tick nor on one after it whose frame is late.
        {"set points, then a tick that throws away frames",
         {{0, F, false, true}, {1000, F, false, true}, {3000, DF, false, false}, {1000, N, false, false},
          {1000, F, false, true}}},
        {"set points, then a tick that throws away nothing",
         {{0, F, false, true}, {1000, F, false, true}, {3000, DN, true, false}}},
        {"set points, a tick that throws away frames, then silence",
         {{0, F, false, true}, {3000, DF, false, false}, {1000, N, false, false}, {1000, N, true, false}}},
        // Set-point frames on ticks a second apart: the readings parsed
        // before the frame are not those of after it, however young.
        {"set points a second after a frame",
         {{0, F, false, true}, {0, SP, false, false}, {1000, DF, false, false}, {1000, F, false, true}}},
        {"set points, then frames parsed at once",
         {{0, F, false, true}, {0, SP, false, false}, {1000, F, false, true}}},
        // Frames again on a tick that throws them away: the unit is heard,
        // but the readings are those of before the silence.
        {"frames back on a tick that throws them away",
         {{0, F, false, true}, {1000, N, false, true}, {1000, N, true, false}, {3000, DF, false, false},
          {1000, F, false, true}}},
        {"a unit never heard",
         {{0, N, false, false}, {1000, N, false, false}, {1000, N, true, false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ManualClock clock;
        ReadingsAge age;
        EXPECT_FALSE(age.Silent());  // before any tick
        EXPECT_FALSE(age.Fresh());
        int n = 0;
        for (const Tick& t : c.ticks) {
            clock.advance(t.afterMs);
            switch (t.input) {
            case Input::Frame: age.Parsed(1); break;
            case Input::Nothing: age.Parsed(0); break;
            case Input::DiscardedFrame: age.Discarded(true); break;
            case Input::DiscardedNothing: age.Discarded(false); break;
            case Input::SetPoints: age.Outdated(); break;
            }
            ++n;
            EXPECT_EQ(age.Silent(), t.silent) << "tick " << n;
            EXPECT_EQ(age.Fresh(), t.fresh) << "tick " << n;
        }
    }
}
