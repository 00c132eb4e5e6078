#pragma once
// A safety trip's message as the rheology, PVT and simple test windows show
// it, for the `show` of unit::ReactToTrips (unitlink/SafetyWatch.h).

#include <QString>

namespace unit {

// A message box with OK that does not hold the run's ticks back (ui::Notify).
// Returns true (go on).
bool TripMessageBox(const QString& message);

}  // namespace unit
