#include "simpletest/OscillationSweep.h"

#include "data/Numbers.h"

#include <QVector>

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

const QString kStrainBox = QStringLiteral("Strain (%)");
const QString kFrequencyBox = QStringLiteral("Frequency (Hz)");
const QString kTempBox = QStringLiteral("Temp Set point (°F)");
const QString kFreqStartBox = QStringLiteral("Start Frequency (Hz)");
const QString kFreqEndBox = QStringLiteral("End Frequency (Hz)");
const QString kIntervalsBox = QStringLiteral("Intervals");

QString PortErrorMessage() {
    return QStringLiteral("Comm port error.  Please make sure the comm port is valid and available.");
}

std::optional<OscillationPanel::Values> OscillationPanel::read(bool sweep) {
    const PanelTexts t = texts ? texts() : PanelTexts{};
    using Box = typed::NumberBox;
    QVector<Box> boxes;
    boxes.append(Box{kStrainBox, t.strain, {}, QStringLiteral("txtStrain")});
    if (!sweep) boxes.append(Box{kFrequencyBox, t.frequency, {}, QStringLiteral("txtFreq")});
    boxes.append(Box{kTempBox, t.temperature, {}, QStringLiteral("txtTempSetPoint")});
    if (sweep) {
        boxes.append(Box{kFreqStartBox, t.freqStart, {}, QStringLiteral("txtFreqStart")});
        boxes.append(Box{kFreqEndBox, t.freqEnd, {}, QStringLiteral("txtFreqEnd")});
        boxes.append(Box{kIntervalsBox, t.intervals, 0.0, QStringLiteral("txtInterval")});  // empty: none
    }
    RefusedBox = typed::FirstRefusedNumber(boxes);
    if (RefusedBox) return std::nullopt;
    const auto number = [](const QString& text, std::optional<double> whenEmpty = std::nullopt) {
        return typed::TypedNumber(text, whenEmpty).value_or(0);
    };
    Values v;
    v.strain = number(t.strain);
    v.temperature = number(t.temperature);
    if (sweep) {
        v.freqStart = number(t.freqStart);
        v.freqEnd = number(t.freqEnd);
        v.intervals = number(t.intervals, 0.0);
    } else {
        v.frequency = number(t.frequency);
    }
    return v;
}

void OscillationPanel::sendPoint(double frequency, const Values& v) {
    if (send) send(OscillationFrame(v.strain, frequency, v.temperature));
}

double OscillationPanel::frequencyOf(long pointIndex, const Values& v) const {
    if (IntervalCount <= 0) return v.freqStart;
    return v.freqStart + (v.freqEnd - v.freqStart) / double(IntervalCount) * double(pointIndex);
}

void OscillationPanel::stopSweep() {
    Sweeping = false;
    if (sweepClock) sweepClock(false);
}

bool OscillationPanel::SingleChanged(bool on) {
    RefusedBox.reset();
    if (!on) {
        if (send) send(OffFrame());
        return true;
    }
    const std::optional<Values> v = read(false);
    if (!v) return false;
    sendPoint(v->frequency, *v);
    return true;
}

bool OscillationPanel::SweepChanged(bool on) {
    RefusedBox.reset();
    if (!on) {
        stopSweep();
        if (send) send(OffFrame());
        return true;
    }
    const std::optional<Values> v = read(true);
    stopSweep();
    if (!v) return false;
    sendPoint(v->freqStart, *v);
    // Whole intervals, as typed when the sweep starts.
    const double intervals = std::floor(v->intervals);
    IntervalCount = intervals > 0 && intervals < 1e9 ? long(intervals) : 0;
    PointTicks = 1;
    PointIndex = 0;
    Sweeping = true;
    if (sweepClock) sweepClock(true);
    return true;
}

void OscillationPanel::Tick() {
    RefusedBox.reset();
    if (!Sweeping) return;
    try {
        if (PointTicks == 5) {
            if (send) send(OffFrame());
            ++PointIndex;
            if (PointIndex > IntervalCount) {
                stopSweep();
                return;
            }
            const std::optional<Values> v = read(true);
            if (!v) {
                stopSweep();  // the off frame has gone: the unit is left off
                return;
            }
            sendPoint(frequencyOf(PointIndex, *v), *v);
            PointTicks = 1;
        }
        ++PointTicks;
    } catch (...) {
        stopSweep();
        throw;
    }
}

}  // namespace osc
