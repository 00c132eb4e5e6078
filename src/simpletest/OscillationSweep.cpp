#include "simpletest/OscillationSweep.h"

#include "data/Numbers.h"

#include <cmath>

namespace osc {

namespace {
QString code(char c) { return QString(QChar(uchar(c))); }
}  // namespace

QString OscillationFrame(double strainPercent, double frequencyHz, double temperature) {
    return code(kOscillationCode) + Format(strainPercent / 4.0, QStringLiteral("00.00")) + QLatin1Char(',') +
           Format(frequencyHz, QStringLiteral("00.00")) + QLatin1Char(',') +
           Format(temperature, QStringLiteral("000")) + code(kEndCode);
}

QString OffFrame() { return code(kOffCode); }

QString PortErrorMessage() {
    return QStringLiteral("Comm port error.  Please make sure the comm port is valid and available.");
}

void OscillationPanel::sendPoint(double frequency, const PanelTexts& t) {
    if (send) send(OscillationFrame(Val(t.strain), frequency, Val(t.temperature)));
}

double OscillationPanel::frequencyOf(long pointIndex, const PanelTexts& t) const {
    const double start = Val(t.freqStart);
    if (IntervalCount <= 0) return start;
    return start + (Val(t.freqEnd) - start) / double(IntervalCount) * double(pointIndex);
}

void OscillationPanel::stopSweep() {
    Sweeping = false;
    if (sweepClock) sweepClock(false);
}

void OscillationPanel::SingleChanged(bool on) {
    const PanelTexts t = texts ? texts() : PanelTexts{};
    if (on)
        sendPoint(Val(t.frequency), t);
    else if (send)
        send(OffFrame());
}

void OscillationPanel::SweepChanged(bool on) {
    if (!on) {
        stopSweep();
        if (send) send(OffFrame());
        return;
    }
    const PanelTexts t = texts ? texts() : PanelTexts{};
    stopSweep();
    sendPoint(Val(t.freqStart), t);
    // Whole intervals, as typed when the sweep starts.
    const double intervals = std::floor(Val(t.intervals));
    IntervalCount = intervals > 0 && intervals < 1e9 ? long(intervals) : 0;
    PointTicks = 1;
    PointIndex = 0;
    Sweeping = true;
    if (sweepClock) sweepClock(true);
}

void OscillationPanel::Tick() {
    if (!Sweeping) return;
    try {
        if (PointTicks == 5) {
            if (send) send(OffFrame());
            ++PointIndex;
            if (PointIndex > IntervalCount) {
                stopSweep();
                return;
            }
            const PanelTexts t = texts ? texts() : PanelTexts{};
            sendPoint(frequencyOf(PointIndex, t), t);
            PointTicks = 1;
        }
        ++PointTicks;
    } catch (...) {
        stopSweep();
        throw;
    }
}

}  // namespace osc
