#pragma once
// The torque start's waits for the clock: a wait of n seconds ends at the
// n-th change of the clock's seconds field after it began (between n - 1 and
// n seconds later, across the minute too), timed by the event loop.

#include <QTime>

namespace calibration {

// The milliseconds from `now` to the n-th change of the seconds field (n of
// 1 or more): to the n-th whole second after `now`.
int MsUntilSecondsChanged(const QTime& now, int n);

}  // namespace calibration
