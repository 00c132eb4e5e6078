#pragma once
// The clocks of the run loops: the millisecond clock that times steps, ramps
// and set-point corrections, and the date and time of day that the windows
// show and store. By default the millisecond clock is the system's steady
// clock and the date and time the system's; tests install a clock of their
// own, so that a run of half an hour takes as long as its ticks take.
//
// The millisecond clock is a 32-bit count that wraps after about 49.7 days;
// the time between two readings is taken with unsigned arithmetic
// (MsBetween), which is right across the wrap for any span below that.

#include <QDateTime>
#include <QtGlobal>
#include <functional>

namespace tick {

// The millisecond clock.
quint32 timeGetTime();
// The date and time of day.
QDateTime CurrentDateTime();

// Milliseconds from an earlier reading to a later one.
inline quint32 MsBetween(quint32 earlier, quint32 later) { return later - earlier; }

struct ClockSource {
    std::function<quint32()> milliseconds;  // empty: the steady clock
    std::function<QDateTime()> dateTime;    // empty: the system's date and time
};
// Installs a clock (empty members: the defaults); returns the one installed before.
ClockSource SetClockSource(ClockSource source);

}  // namespace tick
