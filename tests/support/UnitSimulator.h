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
//  - stop (code 4): status 0, speed 0, answers a status frame;
//  - zero (code 8): stress and gel 0, answers a status frame;
//  - manual temperature (code 9): takes the set point, answers a status frame;
//  - any other frame: recorded, answers a status frame.
// Started as a thread (start()) it also sends a status frame every period()
// milliseconds, as a unit does on its own; without a thread the test pumps it
// (pump(), waitForCommands()). Silent, it sends nothing at all.
//
// Status frame: lead character, two-digit status, then temperature,
// temperature set point, speed, stress, pressure, gel, pressure set point and
// field 9 (and field 10 when set), comma-separated, ended by code 26.

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
        std::optional<QByteArray> field10;  // set: the frame has 9 commas
    };

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
    void setPeriod(int milliseconds);  // 0: no frames of its own
    int period() const { return period_.load(); }

    // The stored test: records of nine comma-separated fields; each is sent
    // with code 3 after it, and code 2 after the last when withEnd. Sent in
    // pieces of chunkBytes with chunkDelayMs between them (0: all at once).
    void setStoredTest(const QByteArrayList& records, bool withEnd = true, int chunkBytes = 0,
                       int chunkDelayMs = 0);

    QByteArray statusFrame() const;           // the frame the unit would send now
    void sendStatusFrame();                   // sends it now (also when silent)
    void sendRaw(const QByteArray& bytes);    // sends any bytes now

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
    QByteArray frameLocked() const;

    int master_ = -1;
    int slaveKeep_ = -1;  // keeps the terminal alive while the application's side is closed
    QString slavePath_;
    std::vector<std::pair<QByteArray, std::optional<QByteArray>>> savedEnv_;

    mutable std::recursive_mutex mutex_;
    Readings readings_;
    bool silent_ = false;
    bool transferMode_ = false;  // after a download request: no frames of its own until the next command
    std::atomic<int> period_{200};
    QByteArrayList storedRecords_;
    bool storedWithEnd_ = true;
    int chunkBytes_ = 0;
    int chunkDelayMs_ = 0;
    QByteArray inBuffer_;
    std::vector<Command> commands_;
    std::deque<std::pair<Clock::time_point, QByteArray>> outQueue_;
    Clock::time_point nextPeriodic_{};

    std::thread thread_;
    std::atomic<bool> running_{false};
};

}  // namespace testing_support
