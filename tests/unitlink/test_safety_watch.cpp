// The safety watch of every test kind: the limits and counts of the
// temperature and pressure trips, the PVT magnet-position counts with their
// modulo rule, the rheology hardware-inactive stop, what a trip does to the
// rest of a parse, each kind's messages, and the run's answer to the trips.

#include "unitlink/SafetyWatch.h"
#include "support/QtPrint.h"
#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace unit;

namespace {

constexpr WatchedTest kAllKinds[] = {WatchedTest::Rheology, WatchedTest::Pvt, WatchedTest::Swell,
                                     WatchedTest::Simple};

const char* nameOf(WatchedTest test) {
    switch (test) {
    case WatchedTest::Rheology: return "rheology";
    case WatchedTest::Pvt: return "PVT";
    case WatchedTest::Swell: return "swell";
    case WatchedTest::Simple: return "simple";
    }
    return "?";
}

// The calibration the position cases read against: 1000 at the top, 200 at the bottom.
constexpr double kTop = 1000, kBottom = 200;

// One frame as a parser hands it to the watch, in the parser's order.
struct Frame {
    double temp = 300;
    double press = 0;
    int status = 1;
    double position = 500;  // a magnet reading (PVT), taken as its own corrected reading
};

// The trips of one parse, with the 1-based number of the frame that made each.
using Trips = std::vector<std::pair<int, SafetyTrip>>;

Trips parse(SafetyWatch& watch, const std::vector<Frame>& frames, bool running) {
    watch.BeginParse(running);
    Trips trips;
    int n = 0;
    for (const Frame& f : frames) {
        ++n;
        watch.Status(f.status);
        if (const auto t = watch.Temperature(f.temp)) trips.emplace_back(n, *t);
        if (const auto t = watch.Pressure(f.press)) trips.emplace_back(n, *t);
        if (const auto t = watch.Position(f.position, f.position, kTop, kBottom)) trips.emplace_back(n, *t);
    }
    return trips;
}

std::vector<Frame> repeat(int count, Frame f) { return std::vector<Frame>(size_t(count), f); }
std::vector<Frame> operator+(std::vector<Frame> a, const std::vector<Frame>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Frame hot(double temp) {
    Frame f;
    f.temp = temp;
    return f;
}
Frame pressed(double press) {
    Frame f;
    f.press = press;
    return f;
}
Frame at(double position) {
    Frame f;
    f.position = position;
    return f;
}
Frame withStatus(int status) {
    Frame f;
    f.status = status;
    return f;
}

}  // namespace

TEST(SafetyWatch, TemperatureAndPressureTripOnTheTenthFrameInARowPastTheLimit) {
    const Frame good;
    struct Case {
        const char* what;
        double maxPress;
        std::vector<Frame> frames;
        Trips trips;
    } cases[] = {
        {"610 °F itself does not count", 30000, repeat(12, hot(610.0)), {}},
        {"nine just past 610 °F", 30000, repeat(9, hot(610.1)), {}},
        {"the tenth just past 610 °F", 30000, repeat(10, hot(610.1)), {{10, SafetyTrip::OverTemperature}}},
        {"a good frame starts the count again", 30000, repeat(9, hot(700)) + repeat(1, good) + repeat(9, hot(700)),
         {}},
        // One stop per trip: the same readings go on after it and trip nothing more.
        {"after a trip the same readings trip nothing more", 30000, repeat(30, hot(700)),
         {{10, SafetyTrip::OverTemperature}}},
        {"after a trip a good frame starts the count again", 30000,
         repeat(10, hot(700)) + repeat(1, good) + repeat(10, hot(700)),
         {{10, SafetyTrip::OverTemperature}, {21, SafetyTrip::OverTemperature}}},
        {"after a pressure trip the same pressure trips nothing more", 20000, repeat(30, pressed(25000)),
         {{10, SafetyTrip::OverPressure}}},
        {"the maximum + 500 itself does not count", 20000, repeat(12, pressed(20500)), {}},
        {"nine just past the maximum + 500", 20000, repeat(9, pressed(20500.1)), {}},
        {"the tenth just past the maximum + 500", 20000, repeat(10, pressed(20500.1)),
         {{10, SafetyTrip::OverPressure}}},
        {"the limit follows the maximum set", 30000, repeat(10, pressed(30000)) + repeat(10, pressed(30501)),
         {{20, SafetyTrip::OverPressure}}},
        {"a good pressure starts the count again", 20000,
         repeat(9, pressed(25000)) + repeat(1, good) + repeat(9, pressed(25000)), {}},
    };
    for (const WatchedTest kind : kAllKinds) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(nameOf(kind)) + ": " + c.what);
            SafetyWatch watch(kind);
            watch.SetMaxPressure(c.maxPress);
            EXPECT_EQ(watch.PressureLimit(), c.maxPress + 500);
            // Not running: these trips do not wait for a test.
            EXPECT_EQ(parse(watch, c.frames, false), c.trips);
        }
    }
}

TEST(SafetyWatch, CountsRunOnFromOneParseToTheNextAndATripClearsThemAll) {
    SafetyWatch watch(WatchedTest::Rheology);
    for (int i = 0; i < 9; ++i) parse(watch, {hot(700)}, false);
    EXPECT_EQ(watch.counts.overTemperature, 9);
    Frame both = hot(700);
    both.press = 40000;
    both.status = 0;
    EXPECT_EQ(parse(watch, repeat(5, both), true), (Trips{{1, SafetyTrip::OverTemperature}}));
    // The temperature and pressure of the trip's frame are held: the four
    // frames after it count nothing.
    EXPECT_EQ(watch.counts.overTemperature, 0);
    EXPECT_EQ(watch.counts.overPressure, 0);
    EXPECT_EQ(watch.counts.inactive, 0);  // after the trip no step runs
    EXPECT_EQ(parse(watch, repeat(30, both), false), Trips{});
    // A pressure beyond the limit only after the stop counts towards a trip of its own.
    SafetyWatch later(WatchedTest::Rheology);
    EXPECT_EQ(parse(later, repeat(10, hot(700)) + repeat(10, both), false),
              (Trips{{10, SafetyTrip::OverTemperature}, {20, SafetyTrip::OverPressure}}));
    watch.ResetCounts();
    EXPECT_EQ(watch.counts.overTemperature + watch.counts.overPressure + watch.counts.inactive, 0);
}

// A stop of any kind (the run's ShutDown) holds the limits the last reading
// was beyond; a reading within the limit, or a test that starts, ends the hold.
TEST(SafetyWatch, AStopHoldsTheLimitsItsReadingsWereBeyondUntilAGoodReadingOrAStart) {
    for (const WatchedTest kind : kAllKinds) {
        SCOPED_TRACE(nameOf(kind));
        Frame both = hot(700);
        both.press = 40000;
        SafetyWatch watch(kind);
        // The run stopped by its pressure band on the first such frame.
        EXPECT_EQ(parse(watch, {both}, true), Trips{});
        watch.ResetCounts();
        EXPECT_EQ(parse(watch, repeat(30, both), false), Trips{});
        // A new test starts with the unit still there: the readings count again.
        EXPECT_EQ(parse(watch, repeat(9, both), true), Trips{});
        EXPECT_EQ(parse(watch, {both}, true), (Trips{{1, SafetyTrip::OverTemperature}}));
        watch.ResetCounts();
        EXPECT_EQ(parse(watch, repeat(30, both), true), Trips{});  // the same test goes on: still held
        // Good readings between: the next run of readings trips again.
        Frame good;
        EXPECT_EQ(parse(watch, repeat(1, good) + repeat(10, both), false),
                  (Trips{{11, SafetyTrip::OverTemperature}}));
    }
}

TEST(SafetyWatch, MagnetPositionCountsTopAndBottomTogetherModuloTheirTripCounts) {
    struct Case {
        const char* what;
        std::vector<Frame> frames;
        Trips trips;
        int countAfter;
    } cases[] = {
        {"19 at the top", repeat(19, at(1000)), {}, 19},
        {"20 at the top", repeat(20, at(1000)), {{20, SafetyTrip::PositionTop}}, 0},
        {"beyond the top", repeat(20, at(5000)), {{20, SafetyTrip::PositionTop}}, 0},
        {"2 at the bottom", repeat(2, at(200)), {}, 2},
        {"3 at the bottom", repeat(3, at(150)), {{3, SafetyTrip::PositionBottom}}, 0},
        {"a reading between clears the count", repeat(2, at(200)) + repeat(1, at(201)) + repeat(2, at(200)), {}, 2},
        {"just inside the top", repeat(40, at(999.9)), {}, 0},
        // 4 at the top, then the count goes on at the bottom: 5 is no multiple
        // of 3, 6 is.
        {"top and bottom share one count", repeat(4, at(1000)) + repeat(2, at(200)),
         {{6, SafetyTrip::PositionBottom}}, 0},
        // 19 at the top and one at the bottom make 20, no multiple of 3; the
        // next at the bottom makes 21.
        {"the bottom trips on multiples of 3 only", repeat(19, at(1000)) + repeat(2, at(200)),
         {{21, SafetyTrip::PositionBottom}}, 0},
        {"the top trips on multiples of 20 only", repeat(2, at(200)) + repeat(18, at(1000)),
         {{20, SafetyTrip::PositionTop}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SafetyWatch watch(WatchedTest::Pvt);
        EXPECT_EQ(parse(watch, c.frames, true), c.trips);
        EXPECT_EQ(watch.counts.position, c.countAfter);
    }

    // A negative reading counts as the top whatever its corrected value.
    SafetyWatch watch(WatchedTest::Pvt);
    watch.BeginParse(true);
    for (int i = 1; i < 20; ++i) EXPECT_FALSE(watch.Position(-5, 500, kTop, kBottom));
    EXPECT_EQ(watch.Position(-5, 500, kTop, kBottom), std::optional(SafetyTrip::PositionTop));

    // No test running: the readings leave the count as it is.
    parse(watch, repeat(7, at(1000)), true);
    EXPECT_TRUE(parse(watch, repeat(40, at(1000)) + repeat(1, at(500)), false).empty());
    EXPECT_EQ(watch.counts.position, 7);

    // Only the PVT test has the position trips.
    for (const WatchedTest kind : {WatchedTest::Rheology, WatchedTest::Swell, WatchedTest::Simple}) {
        SafetyWatch other(kind);
        EXPECT_TRUE(parse(other, repeat(40, at(1000)), true).empty()) << nameOf(kind);
        EXPECT_EQ(other.counts.position, 0);
    }
}

TEST(SafetyWatch, HardwareInactiveStopsAStepAfterTenInactiveFramesCheckedAfterTheParse) {
    struct Case {
        const char* what;
        std::vector<Frame> frames;
        bool running;
        bool runGoing;
        bool stops;
        int countAfter;
    } cases[] = {
        {"nine inactive frames", repeat(9, withStatus(0)), true, true, false, 9},
        {"ten inactive frames", repeat(10, withStatus(0)), true, true, true, 0},
        {"checked after the parse: twelve stop once", repeat(12, withStatus(0)), true, true, true, 0},
        {"a frame of another status starts the count again",
         repeat(9, withStatus(0)) + repeat(1, withStatus(6)) + repeat(9, withStatus(0)), true, true, false, 9},
        {"the last frame counts, not the tenth", repeat(10, withStatus(0)) + repeat(1, withStatus(1)), true, true,
         false, 0},
        {"no step running (a ramp, or idle)", repeat(10, withStatus(0)), false, true, false, 0},
        {"no run going at the check", repeat(10, withStatus(0)), true, false, false, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SafetyWatch watch(WatchedTest::Rheology);
        EXPECT_TRUE(parse(watch, c.frames, c.running).empty());  // never a trip of the parse
        const auto stop = watch.InactiveStop(c.runGoing);
        EXPECT_EQ(stop, c.stops ? std::optional(SafetyTrip::HardwareInactive) : std::nullopt);
        EXPECT_EQ(watch.counts.inactive, c.countAfter);
    }
    // The counts run on across parses.
    SafetyWatch watch(WatchedTest::Rheology);
    parse(watch, repeat(6, withStatus(0)), true);
    EXPECT_FALSE(watch.InactiveStop(true));
    parse(watch, repeat(4, withStatus(0)), true);
    EXPECT_TRUE(watch.InactiveStop(true));
    // Only the rheology window stops on inactive frames.
    for (const WatchedTest kind : {WatchedTest::Pvt, WatchedTest::Swell, WatchedTest::Simple}) {
        SafetyWatch other(kind);
        parse(other, repeat(20, withStatus(0)), true);
        EXPECT_FALSE(other.InactiveStop(true)) << nameOf(kind);
    }
}

TEST(SafetyWatch, ATripMakesTheRestOfTheParseCountAsNoTestRunning) {
    // A temperature trip on the tenth frame, then frames that would count
    // while a test runs: inactive ones (rheology), ones at the top (PVT).
    Frame inactiveHot = hot(700);
    inactiveHot.status = 0;
    Frame inactive = withStatus(0);
    SafetyWatch rheology(WatchedTest::Rheology);
    EXPECT_EQ(parse(rheology, repeat(10, inactiveHot) + repeat(15, inactive), true),
              (Trips{{10, SafetyTrip::OverTemperature}}));
    EXPECT_FALSE(rheology.Running());
    EXPECT_EQ(rheology.counts.inactive, 0);
    EXPECT_FALSE(rheology.InactiveStop(true));
    // The next parse says again whether a test runs.
    parse(rheology, repeat(10, inactive), true);
    EXPECT_TRUE(rheology.Running());
    EXPECT_TRUE(rheology.InactiveStop(true));

    Frame topHot = at(1000);
    topHot.temp = 700;
    SafetyWatch pvt(WatchedTest::Pvt);
    EXPECT_EQ(parse(pvt, repeat(10, topHot) + repeat(30, at(1000)), true),
              (Trips{{10, SafetyTrip::OverTemperature}}));
    EXPECT_EQ(pvt.counts.position, 0);
    // A position trip ends the run the same way.
    SafetyWatch top(WatchedTest::Pvt);
    EXPECT_EQ(parse(top, repeat(60, at(1000)), true), (Trips{{20, SafetyTrip::PositionTop}}));
    EXPECT_EQ(top.counts.position, 0);
}

TEST(SafetyWatch, EveryKindHasItsOwnWordsForItsTrips) {
    struct Case {
        WatchedTest test;
        SafetyTrip trip;
        const char* message;  // empty: the kind has no such trip
    } cases[] = {
        {WatchedTest::Rheology, SafetyTrip::OverTemperature, "Temperature too high, test shutting down."},
        {WatchedTest::Rheology, SafetyTrip::OverPressure, "Pressure too high, test shutting down."},
        {WatchedTest::Rheology, SafetyTrip::HardwareInactive, "Hardware inactive, test will be stopped."},
        {WatchedTest::Rheology, SafetyTrip::PositionTop, ""},
        {WatchedTest::Rheology, SafetyTrip::PositionBottom, ""},
        {WatchedTest::Pvt, SafetyTrip::OverTemperature, "Temperature too high, test will be stopped "},
        {WatchedTest::Pvt, SafetyTrip::OverPressure, "pressure too high, will be shut down"},
        {WatchedTest::Pvt, SafetyTrip::PositionTop, "The magnet position is too close to the top.test will be stopped"},
        {WatchedTest::Pvt, SafetyTrip::PositionBottom,
         "The magnet position is too close to the bottom.test will be stopped"},
        {WatchedTest::Pvt, SafetyTrip::HardwareInactive, ""},
        {WatchedTest::Swell, SafetyTrip::OverTemperature, "Temperature too high, test will be stopped "},
        {WatchedTest::Swell, SafetyTrip::OverPressure, "pressure too high, will be shut down"},
        {WatchedTest::Swell, SafetyTrip::PositionTop, ""},
        {WatchedTest::Swell, SafetyTrip::PositionBottom, ""},
        {WatchedTest::Swell, SafetyTrip::HardwareInactive, ""},
        {WatchedTest::Simple, SafetyTrip::OverTemperature, "Temperature too high, test will be stopped "},
        {WatchedTest::Simple, SafetyTrip::OverPressure, "Pressure too high, test will be stopped "},
        {WatchedTest::Simple, SafetyTrip::PositionTop, ""},
        {WatchedTest::Simple, SafetyTrip::PositionBottom, ""},
        {WatchedTest::Simple, SafetyTrip::HardwareInactive, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(nameOf(c.test)) + ": " + c.message);
        EXPECT_EQ(TripMessage(c.test, c.trip), QString::fromLatin1(c.message));
        EXPECT_EQ(SafetyWatch(c.test).Message(c.trip), QString::fromLatin1(c.message));
        EXPECT_EQ(Watches(c.test, c.trip), *c.message != 0);
    }
}

TEST(SafetyWatch, TheRunAnswersEachTripInOrderAndKeepsWhatTheFramesAfterItCounted) {
    testing_support::ScriptedDialogs dialogs;
    SafetyWatch watch(WatchedTest::Rheology);
    // Two trips in one parse, then three frames over the limit after them:
    // over the temperature limit, which the second trip did not hold.
    const Trips parsed = parse(watch, repeat(10, hot(700)) + repeat(10, pressed(40000)) + repeat(3, hot(700)), false);
    ASSERT_EQ(parsed.size(), 2u);
    const std::vector<SafetyTrip> trips = {parsed[0].second, parsed[1].second};
    EXPECT_EQ(watch.counts.overTemperature, 3);

    QStringList log;
    const auto shutDown = [&] {
        log << "ShutDown";
        watch.ResetCounts();  // as every run's ShutDown does
    };
    auto show = [&](bool goOn) {
        return [&log, goOn](const QString& message) {
            log << message;
            return goOn;
        };
    };
    ReactToTrips(watch, trips, shutDown, show(true));
    EXPECT_EQ(log, QStringList({"ShutDown", "Temperature too high, test shutting down.", "ShutDown",
                                "Pressure too high, test shutting down."}));
    EXPECT_EQ(watch.counts.overTemperature, 3);  // the three after the trips count towards the next

    // A window gone with a message: nothing more is done.
    log.clear();
    ReactToTrips(watch, trips, shutDown, show(false));
    EXPECT_EQ(log, QStringList({"ShutDown", "Temperature too high, test shutting down."}));

    // A ShutDown that fails (the stop frame not taken): no message, the
    // failure reaches the run's caller, the counts are kept all the same.
    log.clear();
    const auto failing = [&] {
        watch.ResetCounts();
        throw std::runtime_error("port gone");
    };
    EXPECT_THROW(ReactToTrips(watch, trips, failing, show(true)), std::runtime_error);
    EXPECT_TRUE(log.isEmpty());
    EXPECT_EQ(watch.counts.overTemperature, 3);

    // No trip, nothing done.
    ReactToTrips(watch, {}, shutDown, show(true));
    EXPECT_TRUE(log.isEmpty());
}
