#pragma once
// The simple test of one unit, free of any window: the unit is driven at
// fixed set points of temperature, pressure and speed, its readings are shown,
// and nothing is stored.
//
// Start checks the set points and starts the run; the second tick after it
// sends the set-point frame once, with the set points Start checked (then
// waits 3 s); every tick counts the
// elapsed seconds. Stop (ShutDown) sends the stop frame. Every tick, run or
// not, reads and parses what the unit sent (UnitReplyParser with this
// window's masks and the simple test's safety watch), reacts to the trips
// (ShutDown, then the trip's message) and shows "No Response" once the unit
// is silent (runloop::ReadingsAge).
//
// The window (frmSimpleTest, which is this run with its controls) hands in
// its boxes and port through the hooks and shows what the run reports; tests
// drive the run without any window through the same hooks.

#include "data/BobGeometry.h"
#include "data/TypedNumbers.h"
#include "unitrun/ReadingsAge.h"
#include "unitrun/RunStates.h"
#include "unitlink/UnitProtocol.h"

#include <QString>
#include <functional>

class SimpleTestRun {
public:
    SimpleTestRun();

    // ---- hooks ---------------------------------------------------------------
    // Sends a frame to the unit; may throw comm::CommError.
    std::function<void(const QString& frame)> send;
    // What the port has received since the last call ("" when it is closed);
    // may throw comm::CommError.
    std::function<QString()> input;
    std::function<void(int ms)> setInterval;
    // A status bar panel: "StartTime" or "ElapsedTime".
    std::function<void(const QString& key, const QString& text)> showPanel;
    // The status caption (lblActiveFlag).
    std::function<void(const QString& caption)> showStatus;
    // Start and Exit enabled (not running) or disabled (running).
    std::function<void(bool running)> runButtons;
    // A parse's results to show (readings, caption, Exit enabled on "Cooling").
    std::function<void(const unit::ReplyResult& result)> showReply;
    // The unit's maximum pressure (psi) the pressure set point may reach;
    // unset: the start-up value gMaxPress.
    std::function<double()> maxPressure;

    // ---- state ----------------------------------------------------------------
    // The receive buffer, the safety watch, the readings.
    unit::UnitReplyParser reply{unit::WatchedTest::Simple};
    // Whether the unit is heard.
    runloop::ReadingsAge replies;
    // The run's states (RunState).
    static constexpr int kIdle = runloop::kIdle;            // no test runs
    static constexpr int kRunning = runloop::kStepRunning;  // from Start to ShutDown
    int RunState = kIdle;
    long TickCount = 0;
    long ElapsedSeconds = 0;
    QString ElapsedText;
    double SentTempSetPoint = 0;  // °F
    double SentPressSetPoint = 0;  // psi
    double SentSpeedSetPoint = 0;  // rpm
    int BobNo = bob::kB1.unitNumber;
    double BobRadius = bob::kB1.radiusCm;  // cm

    // ---- operations -----------------------------------------------------------
    // The bob choice: "B1", "B2" or "B5" sets the bob and its radius (any
    // other text keeps them); the factors follow the radius in every case.
    void ChooseBob(const QString& comboText);
    double ShearRateFactor() const { return reply.mShearRateFactor; }
    double StressFactor() const { return reply.mStressDivisor; }

    // The set-point boxes as the window's captions name them.
    static const QString kTempBoxName;   // "Temperature Set Point"
    static const QString kPressBoxName;  // "Pressure Set Point"
    static const QString kSpeedBoxName;  // "Speed Set Point"

    enum class StartCheck { Ok, MissingSetPoint, NotANumber, Temperature, Pressure, Speed };
    // The message of a refused Start ("Set point first", ...); for
    // NotANumber that of the box (NumberRefused).
    QString StartMessage(StartCheck check) const;
    // The box of the last Start refused as NotANumber (its message names it).
    std::optional<typed::NumberRefusal> NumberRefused;
    // Checks the set points (display units) in order: each box holds a
    // number (data/TypedNumbers), then each is within its range. When they
    // pass, takes the set points to send and the bob factors, and starts the
    // run unless one runs already. Nothing is sent here.
    StartCheck Start(const QString& temperature, const QString& pressure, const QString& speed);

    // One tick of Timer1. A comm::CommError reaches the caller; the steps
    // after the failure are skipped for this tick.
    void Tick();
    // Stop frame, Start and Exit enabled, idle, trip counts cleared. The timer
    // and the status panels are left as they are.
    void ShutDown();
    // The zero command: input length 0 is the caller's; empties the receive
    // buffer and sends the zero frame.
    void SendZero();

    // "H:MM:SS" of a count of seconds ("0:00:05").
    static QString ElapsedTextOf(long seconds);
};
