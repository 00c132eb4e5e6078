#pragma once
// A rheology window's run against the simulated unit on its pseudo-terminal,
// on simulated time: before each tick the manual clock and the unit's physics
// move on by the timer's interval, the unit sends one status frame and the
// frame is waited for on the window's port; the tick then runs. Every
// command the tick sends is waited for and written down with the tick and
// the run time it went out on, so a test can tell which tick sent what.
// While `unitSilent` the unit sends nothing before the ticks, on a line that
// stays open (a cable pulled from a USB adapter, a unit that hangs); the
// commands still reach it.

#include "rheology/frmRealTime.h"
#include "support/ManualClock.h"
#include "support/ManualTicks.h"
#include "support/UnitSimulator.h"

#include <QThread>
#include <chrono>
#include <gtest/gtest.h>
#include <vector>

namespace unit_tests {

class SimulatedRun {
public:
    struct Sent {
        int tick;          // ticks since the harness began
        qint64 runSecond;  // seconds since the run's start (mRunStartMs)
        QByteArray bytes;
    };

    SimulatedRun(frmRealTime& window, testing_support::UnitSimulator& unit, testing_support::ManualClock& clock)
        : w(window), unit_(unit), clock_(clock), timer_(static_cast<testing_support::ManualTickSource&>(window.Timer1.source())) {}

    // How the unit's frame of a tick reaches the window: whole before the
    // tick; after it (a frame a little late, so the next tick reads two); or
    // split, its first half before the tick and the rest after.
    enum class FrameTiming { BeforeTick, AfterTick, Split };
    std::function<FrameTiming(int tick)> frameTiming;  // by the tick's number from 1; empty: BeforeTick
    // How many milliseconds after its due time each tick runs (the program
    // held by other work); empty: on time.
    std::function<int(int tick)> lateMs;

    // One tick (false when the frame never arrived or a command was missing).
    bool tick() {
        const int late = lateMs ? lateMs(ticks + 1) : 0;
        const int ms = (w.Timer1.Interval() > 0 ? timer_.next : 1000) + late;
        clock_.advance(ms);
        unit_.advance(ms / 1000.0);
        const FrameTiming timing = frameTiming ? frameTiming(ticks + 1) : FrameTiming::BeforeTick;
        const QByteArray frame = unit_.statusFrame();
        if (!unitSilent && timing == FrameTiming::BeforeTick && !sendFrame()) return false;
        if (!unitSilent && timing == FrameTiming::Split && !sendBytes(frame.left(frame.size() / 2))) return false;

        const int starts = timer_.starts;
        const size_t before = unit_.commands().size();
        const bool wasRunning = w.RunState != 0;
        if (!timer_.fire()) return false;
        ++ticks;
        // A tick that set no interval: the periodic timer's next tick keeps to its time.
        if (timer_.starts == starts) timer_.next = std::max(0, timer_.next - late);
        if (!unitSilent && timing == FrameTiming::AfterTick && !sendBytes(frame)) return false;
        if (!unitSilent && timing == FrameTiming::Split && !sendBytes(frame.mid(frame.size() / 2))) return false;
        const int interval = w.Timer1.Interval();
        // A set-point frame is always followed by the longer interval; a stop
        // ends the run.
        const bool setPoint = timer_.starts != starts && (interval == 3000 || interval == 4000);
        const bool stopped = wasRunning && w.RunState == 0;
        const size_t expected = before + (setPoint ? 1 : 0) + (stopped ? 1 : 0);
        if (expected > before && !unit_.waitForCommands(expected)) return false;
        const auto commands = unit_.commands();
        for (size_t i = before; i < commands.size(); ++i)
            sent.push_back({ticks, qint64(clock_.ms - w.mRunStartMs) / 1000, commands[i].bytes});
        return true;
    }
    // Ticks until the condition holds (at most `limit` ticks).
    bool tickUntil(const std::function<bool()>& done, int limit = 5000) {
        for (int i = 0; i < limit; ++i) {
            if (done()) return true;
            if (!tick()) return false;
        }
        return done();
    }
    // Commands the unit received beyond those written down (after a short wait).
    size_t unexpectedCommands() {
        unit_.pump(50);
        return unit_.commands().size() - sentCount();
    }
    size_t sentCount() const { return sent.size() + uncounted; }

    // (run second, frame text without lead and end) of every set-point frame.
    std::vector<std::pair<qint64, QByteArray>> setPoints() const {
        std::vector<std::pair<qint64, QByteArray>> out;
        for (const Sent& s : sent)
            if (s.bytes.startsWith('\x01')) out.emplace_back(s.runSecond, s.bytes.mid(1, s.bytes.size() - 2));
        return out;
    }
    int stops() const {
        int n = 0;
        for (const Sent& s : sent) n += s.bytes == QByteArray("\x04\r");
        return n;
    }

    frmRealTime& w;
    std::vector<Sent> sent;
    size_t uncounted = 0;  // commands a test sent outside ticks (Zero, Stop) and counted itself
    bool unitSilent = false;
    int ticks = 0;

private:
    bool sendBytes(const QByteArray& bytes) {
        const int before = w.MSComm1.InBufferCount();
        unit_.sendRaw(bytes);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (w.MSComm1.InBufferCount() < before + bytes.size()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            QThread::usleep(20);
        }
        return true;
    }
    bool sendFrame() {
        const int before = w.MSComm1.InBufferCount();
        const QByteArray frame = unit_.statusFrame();
        unit_.sendStatusFrame();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (w.MSComm1.InBufferCount() < before + frame.size()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            QThread::usleep(20);
        }
        return true;
    }

    testing_support::UnitSimulator& unit_;
    testing_support::ManualClock& clock_;
    testing_support::ManualTickSource& timer_;
};

}  // namespace unit_tests
