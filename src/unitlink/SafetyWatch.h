#pragma once
// The safety watch of a test on a unit: the trips that stop a run on the
// unit's own readings, their counts, and the message each test kind shows
// for each trip.
//
// A reply parser hands the watch the readings of every frame, in the order
// it reads the frame's fields, and lists the trips the watch reports in its
// parse result; the run then reacts to them (ReactToTrips). The rules:
//  - over-temperature: 10 frames in a row with the sample above 610 °F;
//  - over-pressure: 10 frames in a row above the limit, the maximum pressure
//    in force + 500 psi (the caller sets the maximum: SetMaxPressure);
//  - magnet position (PVT), while a test runs: a reading at or beyond the top
//    of the piston calibration (a negative reading too) or at or below its
//    bottom. Top and bottom readings add to one count, which trips when it
//    comes to a multiple of 20 at the top or of 3 at the bottom; a reading
//    between clears it, and no test running leaves it as it is;
//  - hardware inactive (rheology): 10 "InActive" status frames in a row while
//    a step runs (any other frame, or a frame with no step running, clears
//    the count); it is checked once after each parse (InactiveStop), not
//    frame by frame.
// The temperature and pressure counts count every frame, a test running or
// not.
//
// A trip clears every count and, for the frames after it in the same parse,
// ends the run: they count as frames read with no test running, as when the
// run's ShutDown took effect in the middle of the parse.
//
// One stop frame and one message per trip: a stop (a trip, or the run's
// ShutDown for any reason: Stop, the end of the run, the pressure band)
// holds the temperature and pressure limits that the last reading was
// beyond (a trip on a frame's temperature: the frame's pressure too).
// Readings that stay beyond a held limit count nothing, so a unit
// that goes on reporting the same over-pressure after it was stopped is not
// stopped and told again every ten frames. A reading within the limit ends
// the hold, and so does a test that starts (the first parse with a test
// running): from then on the readings count again from 0.

#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace unit {

// The test kinds, each with its trips and its words.
enum class WatchedTest {
    Rheology,  // the rheology window: temperature, pressure, hardware inactive
    Pvt,       // the PVT window: temperature, pressure, magnet position
    Swell,     // the swell window: temperature, pressure
    Simple,    // the simple test: temperature, pressure
};

enum class SafetyTrip { OverTemperature, OverPressure, PositionTop, PositionBottom, HardwareInactive };

inline constexpr double kMaxSampleTempF = 610.0;       // readings above count
inline constexpr double kPressMarginPsi = 500.0;       // readings above the maximum pressure + this count
inline constexpr double kDefaultMaxPressPsi = 30000.0; // the maximum until the caller sets one
inline constexpr int kTripCount = 10;                  // consecutive readings that trip
inline constexpr int kPositionTopTripCount = 20;       // position readings at the top: every 20th trips
inline constexpr int kPositionBottomTripCount = 3;     // position readings at the bottom: every 3rd trips
inline constexpr int kInactiveStopCount = 10;          // consecutive "InActive" frames that stop a step

// Whether a test kind has that trip.
bool Watches(WatchedTest test, SafetyTrip trip);
// The message a test kind shows for a trip (empty for a trip it does not have):
// rheology "Temperature too high, test shutting down.", "Pressure too high,
// test shutting down.", "Hardware inactive, test will be stopped."; PVT and
// swell "Temperature too high, test will be stopped ", "pressure too high,
// will be shut down" and the PVT's two magnet-position messages; the simple
// test "Temperature too high, test will be stopped ", "Pressure too high,
// test will be stopped ".
QString TripMessage(WatchedTest test, SafetyTrip trip);

struct SafetyCounts {
    int overTemperature = 0;
    int overPressure = 0;
    int position = 0;  // top and bottom readings together
    int inactive = 0;
};

class SafetyWatch {
public:
    explicit SafetyWatch(WatchedTest test = WatchedTest::Rheology) : test_(test) {}

    WatchedTest test() const { return test_; }
    QString Message(SafetyTrip trip) const { return TripMessage(test_, trip); }

    // The maximum pressure in force (psi): readings above it + 500 psi count
    // towards the over-pressure trip.
    void SetMaxPressure(double maxPressPsi) { pressureLimit_ = maxPressPsi + kPressMarginPsi; }
    double PressureLimit() const { return pressureLimit_; }

    SafetyCounts counts;
    // What the run's ShutDown clears; the limits the last reading was beyond
    // are held.
    void ResetCounts();

    // The start of a parse: whether a test runs while its frames are read
    // (the rheology and simple tests: a step runs; the PVT test: a test runs;
    // the swell test: any run state but idle). A test that starts ends the
    // holds.
    void BeginParse(bool running);
    // Whether a test runs for the frame being read: false after a trip.
    bool Running() const { return running_; }

    // One frame's readings, in the order the parser reads them. Each returns
    // the trip it makes, if any.
    // The frame's status, for the inactive count (rheology).
    void Status(int status);
    std::optional<SafetyTrip> Temperature(double sampleTempF);
    std::optional<SafetyTrip> Pressure(double pressurePsi);
    // The magnet reading (PVT) as received, corrected to the reference
    // temperature, against the first (top) and last (bottom) reading of the
    // piston calibration.
    std::optional<SafetyTrip> Position(double reading, double correctedReading, double topReading,
                                       double bottomReading);

    // After a parse: the hardware-inactive stop, when a run is going (runGoing:
    // any run state but idle) and the count has come to 10.
    std::optional<SafetyTrip> InactiveStop(bool runGoing);

private:
    SafetyTrip tripped(SafetyTrip trip);

    WatchedTest test_;
    double pressureLimit_ = kDefaultMaxPressPsi + kPressMarginPsi;
    bool running_ = false;        // for the frame being read
    bool parseRunning_ = false;   // as the last parse began
    // The last reading was beyond the limit; the limit is held.
    bool tempBeyond_ = false, pressBeyond_ = false;
    bool tempHeld_ = false, pressHeld_ = false;
    bool frameStopped_ = false;   // a trip stopped the run on the frame being read
};

// What a run does on the trips of one parse, in order, before it shows the
// parse's readings: for each trip its ShutDown (the stop frame, the run
// ended), then the trip's message through `show`, which returns false when
// the window went away with the message (nothing more is done then).
//
// The counts were cleared (and the limits held) at the trip itself, in the
// parse, and the frames after it counted afresh; ShutDown clears the counts
// too, but here it comes after those frames, so what they counted is kept
// (also when ShutDown fails).
void ReactToTrips(SafetyWatch& watch, const std::vector<SafetyTrip>& trips, const std::function<void()>& shutDown,
                  const std::function<bool(const QString& message)>& show);
}  // namespace unit
