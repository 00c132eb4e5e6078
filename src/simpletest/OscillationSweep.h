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
//
// Every box a frame is built from is read through data/TypedNumbers: a box
// that holds no number sends nothing (RefusedBox names it). An empty
// Intervals box is no intervals (the start point only); every other box
// must hold a number.

#include "data/TypedNumbers.h"

#include <QString>
#include <functional>
#include <optional>

namespace osc {

inline constexpr char kOscillationCode = 10;
inline constexpr char kOffCode = 11;
inline constexpr char kEndCode = 26;

QString OscillationFrame(double strainPercent, double frequencyHz, double temperature);
QString OffFrame();

// The panel's message when a frame cannot be sent.
QString PortErrorMessage();  // "Comm port error.  Please make sure the comm port is valid and available."

// The boxes as their captions name them.
extern const QString kStrainBox;      // "Strain (%)"
extern const QString kFrequencyBox;   // "Frequency (Hz)"
extern const QString kTempBox;        // "Temp Set point (°F)"
extern const QString kFreqStartBox;   // "Start Frequency (Hz)"
extern const QString kFreqEndBox;     // "End Frequency (Hz)"
extern const QString kIntervalsBox;   // "Intervals"

// The boxes a frame is built from, read at the moment of sending.
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
    // The box of the last refused read (nothing sent), until the next read.
    std::optional<typed::NumberRefusal> RefusedBox;

    // The single-frequency button's new value: on sends the oscillation
    // frame at txtFreq, off the off frame. A failed send reaches the caller,
    // which shows the port error and switches the button back off. False:
    // a box held no number (RefusedBox), nothing was sent.
    bool SingleChanged(bool on);
    // The sweep button's new value: on sends the start point's frame, then
    // starts the clock (a failed first frame starts nothing); off sends the
    // off frame and stops the clock. False: a box held no number
    // (RefusedBox), nothing was sent and no sweep runs.
    bool SweepChanged(bool on);
    // One tick of the sweep clock. A failed send stops the sweep and reaches
    // the caller; a box that no longer holds a number at a point's change
    // stops the sweep after the off frame (RefusedBox).
    void Tick();

private:
    // The boxes' numbers as typed now: those of the single frequency or
    // those of the sweep; nothing when one is refused (RefusedBox).
    struct Values {
        double strain = 0, frequency = 0, temperature = 0, freqStart = 0, freqEnd = 0, intervals = 0;
    };
    std::optional<Values> read(bool sweep);
    double frequencyOf(long pointIndex, const Values& v) const;
    void sendPoint(double frequency, const Values& v);
    void stopSweep();
};

}  // namespace osc
