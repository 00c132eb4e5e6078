#pragma once
// A safety trip's message as the rheology, PVT and simple test windows show
// it, for the `show` of unit::ReactToTrips (unitlink/SafetyWatch.h).

#include <QString>

namespace unit {

// A message box with OK that does not hold the run's ticks back (ui::Notify),
// in the trip's own words; shown from a unit window's tick it names the unit
// in its title (ui::NotifySource), so two units' trips are two boxes, and
// one unit's trip while its box of the same words is open adds none.
// Returns true (go on).
bool TripMessageBox(const QString& message);

}  // namespace unit
