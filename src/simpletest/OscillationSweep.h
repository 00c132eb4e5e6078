#pragma once
// The oscillatory test panel's commands, free of any window: the oscillation
// frame (code 10, strain / 4 "00.00", ",", frequency "00.00", ",",
// temperature "000", code 26; no carriage return) and the off frame (code 11
// alone), the single-frequency button and the frequency sweep with its clock.
//
// The sweep holds its start point for five ticks and every later point for
// four; at the end of a point the unit gets the off frame and then the next
// point's frame in the same tick. The point count is the interval count taken
// when the sweep starts (whole intervals; 0 or less: the start point only),
// and each point's frequency steps by (end - start) / that count. Switching
// the sweep off sends the off frame and stops its clock.

#include <QString>
#include <functional>

namespace osc {

inline constexpr char kOscillationCode = 10;
inline constexpr char kOffCode = 11;
inline constexpr char kEndCode = 26;

QString OscillationFrame(double strainPercent, double frequencyHz, double temperature);
QString OffFrame();

// The panel's message when a frame cannot be sent.
QString PortErrorMessage();  // "Comm port error.  Please make sure the comm port is valid and available."

// The boxes a frame is built from, read at the moment of sending (Val: an
// empty or non-numeric box counts 0).
struct PanelTexts {
    QString strain;       // txtStrain
    QString frequency;    // txtFreq
    QString temperature;  // txtTempSetPoint, sent as typed
    QString freqStart;    // txtFreqStart
    QString freqEnd;      // txtFreqEnd
    QString intervals;    // txtInterval
};

class OscillationPanel {
public:
    // Sends a frame; throws (comm::CommError) when it cannot.
    std::function<void(const QString& frame)> send;
    // The boxes as they stand now.
    std::function<PanelTexts()> texts;
    // Starts (1000 ms) or stops the sweep clock.
    std::function<void(bool running)> sweepClock;

    long PointTicks = 0;
    long IntervalCount = 0;
    long PointIndex = 0;
    bool Sweeping = false;

    // The single-frequency button's new value: on sends the oscillation
    // frame at txtFreq, off the off frame. A failed send reaches the caller,
    // which shows the port error and switches the button back off.
    void SingleChanged(bool on);
    // The sweep button's new value: on sends the start point's frame, then
    // starts the clock (a failed first frame starts nothing); off sends the
    // off frame and stops the clock.
    void SweepChanged(bool on);
    // One tick of the sweep clock. A failed send stops the sweep and reaches
    // the caller.
    void Tick();

private:
    double frequencyOf(long pointIndex, const PanelTexts& t) const;
    void sendPoint(double frequency, const PanelTexts& t);
    void stopSweep();
};

}  // namespace osc
