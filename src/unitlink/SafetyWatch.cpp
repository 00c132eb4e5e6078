#include "unitlink/SafetyWatch.h"

#include "unitlink/UnitProtocol.h"

namespace unit {

bool Watches(WatchedTest test, SafetyTrip trip) {
    switch (trip) {
    case SafetyTrip::OverTemperature:
    case SafetyTrip::OverPressure: return true;
    case SafetyTrip::PositionTop:
    case SafetyTrip::PositionBottom: return test == WatchedTest::Pvt;
    case SafetyTrip::HardwareInactive: return test == WatchedTest::Rheology;
    }
    return false;
}

QString TripMessage(WatchedTest test, SafetyTrip trip) {
    if (!Watches(test, trip)) return QString();
    switch (trip) {
    case SafetyTrip::OverTemperature:
        return test == WatchedTest::Rheology ? QStringLiteral("Temperature too high, test shutting down.")
                                             : QStringLiteral("Temperature too high, test will be stopped ");
    case SafetyTrip::OverPressure:
        switch (test) {
        case WatchedTest::Rheology: return QStringLiteral("Pressure too high, test shutting down.");
        case WatchedTest::Simple: return QStringLiteral("Pressure too high, test will be stopped ");
        case WatchedTest::Pvt:
        case WatchedTest::Swell: return QStringLiteral("pressure too high, will be shut down");
        }
        break;
    case SafetyTrip::PositionTop:
        return QStringLiteral("The magnet position is too close to the top.test will be stopped");
    case SafetyTrip::PositionBottom:
        return QStringLiteral("The magnet position is too close to the bottom.test will be stopped");
    case SafetyTrip::HardwareInactive: return QStringLiteral("Hardware inactive, test will be stopped.");
    }
    return QString();
}

void SafetyWatch::ResetCounts() {
    counts = SafetyCounts{};
    tempHeld_ = tempHeld_ || tempBeyond_;
    pressHeld_ = pressHeld_ || pressBeyond_;
}

void SafetyWatch::BeginParse(bool running) {
    if (running && !parseRunning_) tempHeld_ = pressHeld_ = false;
    parseRunning_ = running;
    running_ = running;
}

SafetyTrip SafetyWatch::tripped(SafetyTrip trip) {
    // The run stops here: the counts start afresh and the frames after this
    // one are read with no test running.
    ResetCounts();
    running_ = false;
    frameStopped_ = true;
    return trip;
}

void SafetyWatch::Status(int status) {
    if (!Watches(test_, SafetyTrip::HardwareInactive)) return;
    if (running_ && status == kStatusInactive)
        ++counts.inactive;
    else
        counts.inactive = 0;
}

std::optional<SafetyTrip> SafetyWatch::Temperature(double sampleTempF) {
    frameStopped_ = false;  // a frame's readings begin with its temperature
    tempBeyond_ = sampleTempF > kMaxSampleTempF;
    if (!tempBeyond_) {
        counts.overTemperature = 0;
        tempHeld_ = false;
        return std::nullopt;
    }
    if (tempHeld_) return std::nullopt;
    if (++counts.overTemperature >= kTripCount) return tripped(SafetyTrip::OverTemperature);
    return std::nullopt;
}

std::optional<SafetyTrip> SafetyWatch::Pressure(double pressurePsi) {
    pressBeyond_ = pressurePsi > pressureLimit_;
    if (!pressBeyond_) {
        counts.overPressure = 0;
        pressHeld_ = false;
        return std::nullopt;
    }
    // Beyond in the frame whose temperature stopped the run: held as well.
    if (pressHeld_ || frameStopped_) {
        pressHeld_ = true;
        return std::nullopt;
    }
    if (++counts.overPressure >= kTripCount) return tripped(SafetyTrip::OverPressure);
    return std::nullopt;
}

std::optional<SafetyTrip> SafetyWatch::Position(double reading, double correctedReading, double topReading,
                                                double bottomReading) {
    if (!running_ || !Watches(test_, SafetyTrip::PositionTop)) return std::nullopt;
    if (reading < 0 || correctedReading >= topReading) {
        if (++counts.position % kPositionTopTripCount == 0) return tripped(SafetyTrip::PositionTop);
    } else if (correctedReading <= bottomReading) {
        if (++counts.position % kPositionBottomTripCount == 0) return tripped(SafetyTrip::PositionBottom);
    } else {
        counts.position = 0;
    }
    return std::nullopt;
}

std::optional<SafetyTrip> SafetyWatch::InactiveStop(bool runGoing) {
    if (!Watches(test_, SafetyTrip::HardwareInactive) || !runGoing || counts.inactive < kInactiveStopCount)
        return std::nullopt;
    return tripped(SafetyTrip::HardwareInactive);
}

void ReactToTrips(SafetyWatch& watch, const std::vector<SafetyTrip>& trips, const std::function<void()>& shutDown,
                  const std::function<bool(const QString&)>& show) {
    for (const SafetyTrip trip : trips) {
        const QString message = watch.Message(trip);
        {
            // Put back what the frames after the trip counted, whether
            // ShutDown returns or fails.
            struct KeepCounts {
                SafetyWatch& watch;
                SafetyWatch kept;
                ~KeepCounts() { watch = kept; }
            } keep{watch, watch};
            if (shutDown) shutDown();
        }
        if (show && !show(message)) return;
    }
}

}  // namespace unit
