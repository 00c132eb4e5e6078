#pragma once
// A simulated instrument unit on a pseudo-terminal, for tests of the serial
// line end to end: the application's port is pointed at the terminal's slave
// side (Z3080_PORT_<n>) and talks to it exactly as to a unit.
//
// The unit reads command frames (a control character first; frames led by
// code 9 or 10 end with code 26, code 11 stands alone, every other frame ends
// with a carriage return), records them, and answers as a unit does:
//  - set points (code 1 with text): takes the temperature and pressure set
//    points and the speed, status 1 "Running Test", answers a status frame;
//  - download request (code 1 alone): sends the stored test, if one is set,
//    and sends no status frames of its own until the next command;
//  - stop (code 4): status 0, speed 0, set points back to ambient (75 °F,
//    0 psi), answers a status frame;
//  - zero (code 8): stress and gel 0, answers a status frame;
//  - manual temperature (code 9): takes the set point, answers a status frame;
//  - any other frame: recorded, answers a status frame.
// Started as a thread (start()) it also sends a status frame every period()
// milliseconds (about once a second by default), as a unit does on its own;
// without a thread the test pumps it (pump(), waitForCommands()) and sends
// frames itself (sendStatusFrame()). Silent, it sends nothing at all.
//
// Physics (off until set): the temperature and the pressure move toward
// their set points at a rate per second, and with a viscosity chosen the
// stress is that of a Newtonian fluid at the speed run (standard bob). The
// thread moves them with the clock; advance() moves them by hand.
//
// Faults on demand: noise, frames with a wrong comma count, frames split
// across reads, runs of over-temperature, over-pressure or any status (00),
// silence, and the port vanishing (the terminal closed, as a USB adapter
// that is pulled).
//
// Status frame: lead character, two-digit status, then temperature,
// temperature set point, speed, stress, pressure, gel, pressure set point,
// field 9 and field 10 (empty by default: 9 commas with nothing after the
// last, the form every window's reader accepts), ended by code 26.

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace testing_support {

class UnitSimulator {
public:
    struct Readings {
        char lead = '#';
        int status = 1;
        double temperature = 75.0;     // °F
        double tempSetPoint = 75.0;    // °F
        double speed = 0.0;            // rpm
        double stress = 0.0;           // dyn/cm², standard bob
        double pressure = 0.0;         // psi
        double gel = 0.0;
        double pressSetPoint = 0.0;    // psi
        QByteArray field9 = "0";       // magnet position / sensor voltage
        std::optional<QByteArray> field10 = QByteArray();  // nullopt: the frame has 8 commas
    };

    struct Physics {
        double tempRate = 0;   // °F per second toward the temperature set point; 0: stays
        double pressRate = 0;  // psi per second toward the pressure set point; 0: stays
        std::optional<double> viscosityCp;  // set: stress = cP x shear rate / 100
    };
    // Shear rate per rpm of the standard bob.
    static constexpr double kShearRatePerRpm = 1.70229;
    static constexpr double kAmbientF = 75.0;

    struct Command {
        char code = 0;      // the leading control character
        QByteArray bytes;   // the whole frame as received, lead and end included
        QByteArray body;    // between the lead and the end character
    };

    UnitSimulator();   // opens the terminal pair; throws std::runtime_error on failure
    ~UnitSimulator();  // stops the thread, puts the port variables back, closes the terminal
    UnitSimulator(const UnitSimulator&) = delete;
    UnitSimulator& operator=(const UnitSimulator&) = delete;

    QString slavePath() const { return slavePath_; }
    // Points the application's port number n at this unit (restored when the
    // simulator ends).
    void attachToPort(int portNumber);

    Readings readings() const;
    void setReadings(const Readings& r);
    void setStatus(int status);
    void setSilent(bool silent);
    void setPeriod(int milliseconds);  // 0: no frames of its own; 1000 at start
    int period() const { return period_.load(); }

    void setPhysics(const Physics& physics);

    // ---- swell sensor ----------------------------------------------------------
    // The displacement sensor of the swell test reports its voltage in field 9
    // (four decimals; frames keep their 9 commas). The zero frame (code 8)
    // does not touch it: the swell window zeroes against the voltage it reads.
    void setSensorVoltage(double volts);

    // Moves the readings by that many seconds of the physics.
    void advance(double seconds);

    // ---- faults --------------------------------------------------------------
    // Sends bytes that are no frame: printable, no comma, no code 26.
    void sendNoise(int length, unsigned seed = 1);
    // A status frame with that many commas (fields cut or padded).
    QByteArray frameWithCommas(int commas) const;
    void sendFrameWithCommas(int commas);
    // From now on every frame the unit sends goes out in that many pieces,
    // gapMs apart (1: whole). The pieces after the first go out from the
    // thread or from pump().
    void setSplit(int pieces, int gapMs);
    // The next `frames` status frames report this temperature / pressure /
    // status instead of the reading (a run of bad readings).
    void runOverTemperature(int frames, double temperatureF = 650.0);
    void runOverPressure(int frames, double pressurePsi);
    void runStatus(int frames, int status);
    // Closes the terminal for good: the application's port reads an error,
    // and the device is gone. Nothing is sent or received afterwards.
    void vanish();
    bool vanished() const;
    // A unit that no longer takes what the application writes (the line's
    // receive side dead): the terminal's output toward the unit is suspended,
    // so that every write of the application is refused. It still sends its
    // frames. false: it takes writes again (what piled up is dropped).
    void refuseWrites(bool refuse);

    // ---- PVT frames ------------------------------------------------------------
    // Field 9 carries the magnet position of the PVT sensor: from now on it
    // follows the pressure, reading = atZeroPsi + perPsi x pressure (perPsi 0
    // holds it still), written with one decimal.
    void setMagnetPosition(double atZeroPsi, double perPsi = 0);
    // The next `frames` status frames report this magnet reading instead (a
    // run of readings at an end of the sensor).
    void runMagnetReading(int frames, double reading);

    // The stored test: records of nine comma-separated fields; each is sent
    // with code 3 after it, and code 2 after the last when withEnd (no
    // records: code 2 alone). Until one is set the unit does not answer a
    // download request. Sent in
    // pieces of chunkBytes with chunkDelayMs between them (0: all at once).
    void setStoredTest(const QByteArrayList& records, bool withEnd = true, int chunkBytes = 0,
                       int chunkDelayMs = 0);

    // The stored test's pieces paced by the unit's own time instead of the
    // clock: from the request on they go out as advance() moves its time on,
    // chunkDelayMs of it apart, the first at once (a transfer of several
    // seconds on simulated time). false: on the clock, as before.
    void setTransferOnAdvance(bool onAdvance);
    // The characters of the transfer paced by advance() sent so far.
    int transferSent() const;

    // A unit that sends one of its status frames in the middle of a transfer
    // (its own timer firing while it sends): the frame goes out after that
    // many records of the stored test (0: before the first). nullopt: none.
    // The frame has the lead character given (any byte; default: the
    // readings' lead) and that many commas (default: as the readings have).
    void setStatusFrameInTransfer(std::optional<int> afterRecords, std::optional<char> lead = std::nullopt,
                                  std::optional<int> commas = std::nullopt);

    // ---- torque calibration ------------------------------------------------------
    // The run the unit makes after the torque run command (code 3, sent after
    // the start frame, code 7): one point frame (code 8, stress, ",", angle,
    // code 26) per point, gapMs apart from the command on, then the end frame
    // (code 9, code 26) when withEnd. Without a run set the unit answers
    // code 3 with a status frame only.
    void setTorqueRun(const std::vector<std::pair<double, double>>& stressAngle, bool withEnd = true, int gapMs = 0);
    static QByteArray torquePointFrame(double stress, double angle);
    static QByteArray torqueEndFrame();

    QByteArray statusFrame() const;           // the frame the unit would send now
    void sendStatusFrame();                   // sends it now (also when silent); counts towards the runs
    void sendRaw(const QByteArray& bytes);    // sends any bytes now
    // Several status frames in one write, as a unit's frames pile up within
    // one slow tick of the application; each counts towards the runs.
    // Returns the bytes sent.
    QByteArray sendStatusFrames(int count);

    void start();  // runs the unit in a thread of its own
    void stop();
    // Without a thread: reads and answers for up to timeoutMs (returns sooner
    // once at least one command was handled and nothing more is waiting).
    int pump(int timeoutMs);
    // Waits until at least count commands have been received (pumping when no
    // thread runs); false on time-out.
    bool waitForCommands(size_t count, int timeoutMs = 3000);

    std::vector<Command> commands() const;
    void clearCommands();

private:
    using Clock = std::chrono::steady_clock;
    void loop();
    int serviceOnce(int pollMs);               // one poll, read, answer, send due output
    void handle(const Command& c);             // under lock
    void queue(const QByteArray& bytes, Clock::time_point at);  // under lock
    void writeAll(const QByteArray& bytes);    // under lock
    void sendDue();                            // under lock
    QByteArray frameLocked() const;            // with the runs in force, not counted
    QByteArray takeFrameLocked();              // the same, counted towards the runs
    void emitLocked(const QByteArray& frame);  // now, or in pieces when split
    void advanceLocked(double seconds);
    void updateStressLocked();
    void closeLocked();

    int master_ = -1;
    int slaveKeep_ = -1;  // keeps the terminal alive while the application's side is closed
    QString slavePath_;
    std::vector<std::pair<QByteArray, std::optional<QByteArray>>> savedEnv_;

    mutable std::recursive_mutex mutex_;
    Readings readings_;
    bool silent_ = false;
    bool transferMode_ = false;  // after a download request: no frames of its own until the next command
    std::atomic<int> period_{1000};
    Physics physics_;
    Clock::time_point lastAdvance_{};
    int splitPieces_ = 1;
    int splitGapMs_ = 0;
    int overTempFrames_ = 0;
    double overTemp_ = 650.0;
    int overPressFrames_ = 0;
    double overPress_ = 0;
    int statusFrames_ = 0;
    int runStatus_ = 0;
    bool vanishRequested_ = false;
    std::optional<std::pair<double, double>> magnetLaw_;  // reading at 0 psi, per psi
    int magnetFrames_ = 0;
    double magnetRun_ = 0;
    std::vector<std::pair<double, double>> torqueRun_;
    bool torqueWithEnd_ = true;
    int torqueGapMs_ = 0;
    QByteArrayList storedRecords_;
    bool storedTestSet_ = false;
    bool storedWithEnd_ = true;
    int chunkBytes_ = 0;
    int chunkDelayMs_ = 0;
    std::optional<int> statusInTransferAfter_;
    std::optional<char> statusInTransferLead_;
    std::optional<int> statusInTransferCommas_;
    bool refusingWrites_ = false;
    bool transferOnAdvance_ = false;
    double unitTimeMs_ = 0;  // the time advance() has moved on
    std::deque<std::pair<double, QByteArray>> advanceQueue_;  // (unit time due, bytes)
    int transferSent_ = 0;
    void sendDueOnAdvance();  // under lock
    QByteArray inBuffer_;
    std::vector<Command> commands_;
    std::deque<std::pair<Clock::time_point, QByteArray>> outQueue_;
    Clock::time_point nextPeriodic_{};

    std::thread thread_;
    std::atomic<bool> running_{false};
};

}  // namespace testing_support
