#pragma once
// The clocks of the run loops: the millisecond clock that times steps, ramps
// and set-point corrections, and the date and time of day that the windows
// show and store. By default the millisecond clock is the system's steady
// clock and the date and time the system's; tests install a clock of their
// own, so that a run of half an hour takes as long as its ticks take.
//
// Within a timer's tick (tick::TickTimer) the millisecond clock reads the
// time the tick was due, not the moment it runs: a tick that the program ran
// a little late sees the time it stands for, so its step seconds, recording
// points and set-point times are those of a tick on time. ClockNow reads the
// clock itself.
//
// The millisecond clock is a 32-bit count that wraps after about 49.7 days;
// the time between two readings is taken with unsigned arithmetic
// (MsBetween), which is right across the wrap for any span below that. A
// time that may run longer (a whole run) is kept in 64 bits by RunElapsed.

#include <QDateTime>
#include <QtGlobal>
#include <functional>
#include <optional>

namespace tick {

// The millisecond clock: the due time of the tick running, else ClockNow().
quint32 timeGetTime();
// The millisecond clock itself, whatever runs.
quint32 ClockNow();

// The tick running: the clock reading it was due at, the interval it was due
// by, and how many ticks due before it the timer could not give (the program
// was held longer than an interval). Empty outside a tick.
struct TickMoment {
    quint32 due = 0;
    int intervalMs = 0;
    int missed = 0;
};
std::optional<TickMoment> CurrentTick();
// Sets the tick running for its lifetime (the timer's tick); restores the
// one before.
class TickScope {
public:
    explicit TickScope(const TickMoment& moment);
    ~TickScope();
    TickScope(const TickScope&) = delete;
    TickScope& operator=(const TickScope&) = delete;

private:
    std::optional<TickMoment> previous_;
};
// The date and time of day.
QDateTime CurrentDateTime();

// Milliseconds from an earlier reading to a later one.
inline quint32 MsBetween(quint32 earlier, quint32 later) { return later - earlier; }

// The time since Start in 64 bits: each reading adds the time since the
// reading before, so the count goes on past the clock's wrap for any length,
// as long as it is read at least once within the clock's span (the run
// loops read it every tick).
class RunElapsed {
public:
    void Start() { StartAt(timeGetTime()); }
    // Started at an earlier clock reading.
    void StartAt(quint32 reading) {
        last_ = reading;
        total_ = 0;
    }
    qint64 Milliseconds() {
        const quint32 now = timeGetTime();
        total_ += qint64(MsBetween(last_, now));
        last_ = now;
        return total_;
    }

private:
    quint32 last_ = 0;
    qint64 total_ = 0;
};

struct ClockSource {
    std::function<quint32()> milliseconds;  // empty: the steady clock
    std::function<QDateTime()> dateTime;    // empty: the system's date and time
};
// Installs a clock (empty members: the defaults); returns the one installed before.
ClockSource SetClockSource(ClockSource source);

}  // namespace tick
