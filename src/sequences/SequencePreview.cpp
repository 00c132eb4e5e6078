#include "sequences/SequencePreview.h"

#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/Units.h"
#include "platform/PeChart.h"
#include "sequences/SequenceGrids.h"

#include <algorithm>
#include <cmath>

namespace seqpreview {

namespace {

// Whole number nearest to v, halves to the even neighbour.
double roundEven(double v) { return std::nearbyint(v); }

class Builder {
public:
    QVector<ProfilePoint> points;

    bool full() const { return points.size() >= kMaxPoints; }

    // Advances the clock by `minutes` (0: the clock stays) and appends a point.
    void add(double minutes, double rate, double temperature, double pressure) {
        if (minutes != 0) advanceSeconds(60 * minutes);
        append(rate, temperature, pressure);
    }
    void advanceSeconds(double seconds) { clock_ = roundEven(clock_ + seconds); }
    void append(double rate, double temperature, double pressure) {
        if (full()) return;
        points.append(ProfilePoint{clock_ / 60, rate, temperature, pressure});
    }

private:
    double clock_ = 0;  // whole seconds
};

}  // namespace

std::optional<QVector<ProfilePoint>> BuildProfile(const SequenceGridTexts& grids) {
    const int rows = int(grids.steps.size());
    if (rows < 2) return std::nullopt;
    auto num = [&grids](int r, int c) { return Val(grids.step(r, c)); };

    Builder b;
    const double t1 = num(1, 2);
    const double start = TempFromDisplay(t1) < 70 ? t1 : TempToDisplay(70);
    double tPrev = start;
    double pPrev = 0;
    b.append(num(1, 5), start, 0);

    for (int r = 1; r < rows && !b.full(); ++r) {
        const double dur = num(r, 1);
        const double t = num(r, 2);
        const double tRate = num(r, 4);
        const double sr = num(r, 5);
        const double p = num(r, 6);
        const double pRate = num(r, 7);
        const double cycles = std::min(roundEven(num(r, 9)), double(kMaxPoints));  // every cycle adds a point
        const bool shearRamp = num(r, 10) == 1;
        for (int cycle = 1; cycle <= cycles && !b.full(); ++cycle) {
            const double tT = tRate != 0 ? std::abs((t - tPrev) / tRate) : 0;
            const double tP = pRate != 0 ? std::abs((p - pPrev) / pRate) : 0;
            if (tT == 0 && tP == 0) {
                b.add(dur, sr, t, p);
            } else if (tP == 0) {
                // Temperature ramp only: a point at its start, then its end.
                b.add(0, sr, tPrev, p);
                if (tT < dur) {
                    b.add(tT, sr, t, p);
                    b.add(dur - tT, sr, t, p);
                } else {
                    b.add(tT, sr, t, p);
                }
            } else if (tT == 0) {
                // Pressure ramp only; one that outlasts the step ends with it.
                if (tP < dur) {
                    b.add(tP, sr, t, p);
                    b.add(dur - tP, sr, t, p);
                } else {
                    b.add(dur, sr, t, p);
                }
            } else if (tT < tP && tT <= dur && tP <= dur) {
                b.add(tT, sr, t, pPrev + pRate * tT);
                b.add(tP - tT, sr, t, p);
                b.add(dur - tP, sr, t, p);
            } else if (tT >= tP && tT <= dur && tP <= dur) {
                b.add(tP, sr, tPrev + tRate * tP, p);
                b.add(tT - tP, sr, t, p);
                b.add(dur - tT, sr, t, p);
            } else if (tT <= dur && tP >= dur) {
                b.add(tT, sr, t, pPrev + pRate * tT);
                b.add(dur - tT, sr, t, p);
            } else if (tP <= dur && tT >= dur) {
                b.add(tP, sr, tPrev + tRate * tP, p);
                b.add(tT - tP, sr, t, p);
            } else if (tT >= tP) {
                b.add(tP, sr, tPrev + tRate * tP, p);
                b.add(tT - tP, sr, t, p);
            } else {
                b.add(tT, sr, t, p);
            }
            if (shearRamp) {
                for (int e = 1; e < grids.ramps.size() && !b.full(); ++e) {
                    const QString time = grids.ramp(e, 0);
                    if (time.isEmpty()) break;
                    const double s = Val(grids.ramp(e, 1));
                    b.append(s, t, p);
                    b.advanceSeconds(Val(time));
                    b.append(s, t, p);
                }
            }
            tPrev = t;
            pPrev = p;
        }
    }
    return b.points;
}

void Initial_Chart_All(PeChart& g) {
    using namespace pesgo;
    const qint32 colours[3] = {peRgb(0, 128, 0), peRgb(255, 0, 0), peRgb(0, 0, 128)};
    const char* labels[3] = {"Shear Rate", "Temperature", "Pressure"};

    g.setProp(226, qint16(0));
    g.setProp(93, qint16(0));
    g.setProp(226, -99999);
    g.setProp(93, -99999);
    g.setProp(3, true);
    g.setProp(Subsets, qint16(3));
    g.setProp(Points, qint16(0));
    g.setProp(YData, 0, 0, 0.0f);
    g.setProp(YData, 0, 1, 0.0f);
    g.setProp(256, false);
    for (int s = 0; s < 3; ++s) g.setProp(SubsetLabel, s, labels[s]);
    for (int s = 0; s < 3; ++s) g.setProp(MultiAxesSubsets, s, qint16(1));
    g.setProp(OverlapMultiAxes, 0, qint16(3));
    for (int s = 0; s < 3; ++s) g.setProp(134, s, qint16(5));
    for (int s = 0; s < 3; ++s) g.setProp(SubsetColor, s, colours[s]);
    // A plan: each quantity steps from one value to the next at one time,
    // drawn as the line through its points.
    for (int s = 0; s < 3; ++s) g.setProp(SubsetJoined, s, true);
    g.setProp(64, true);
    // Each scale titled with its quantity and unit, as the step grid heads them.
    const QString titles[3] = {seqgrid::StepSpeedHeader(gBySR), QStringLiteral("Temperature ") + gTempLabel,
                               QStringLiteral("Pressure ") + gPressLabel};
    for (int k = 0; k < 3; ++k) {
        g.setProp(WorkingAxis, qint16(k));
        g.setProp(XAxisLabel, "Time (min)");
        g.setProp(YAxisColor, colours[k]);
        g.setProp(YAxisLabel, titles[k]);
    }
    g.setProp(MainTitle, "");
    g.setProp(SubTitle, "");
    g.setProp(223, true);
    g.setProp(137, qint16(0));
    g.setProp(141, true);
    g.setProp(142, true);
    g.setProp(43, qint16(3));
    g.setProp(228, qint16(0));
    g.setProp(203, qint16(0));
    g.setProp(98, qint16(3));
    g.setProp(223, true);
    g.setProp(204, qint16(1));
    g.setProp(178, qint16(70));
    g.setProp(XAxisScale, qint16(ScaleLinear));
    g.setProp(140, qint16(3));
    g.setProp(Action, qint16(ActionRedraw));
}

void PlotProfile(PeChart& g, const QVector<ProfilePoint>& points) {
    using namespace pesgo;
    g.setProp(Points, int(points.size()));
    for (int j = 0; j < points.size(); ++j) {
        const ProfilePoint& pt = points[j];
        const double values[3] = {pt.rate, pt.temperature, pt.pressure};
        for (int s = 0; s < 3; ++s) {
            g.setProp(XData, s, j, float(pt.minutes));
            g.setProp(YData, s, j, float(values[s]));
        }
    }
    g.setProp(Action, qint16(ActionRedraw));
}

bool BuildPreviewProfile(PeChart& chart, const SequenceGridTexts& grids) {
    const std::optional<QVector<ProfilePoint>> points = BuildProfile(grids);
    if (!points) return false;
    chart.setProp(pesgo::Action, qint16(pesgo::ActionNewChart));
    Initial_Chart_All(chart);
    PlotProfile(chart, *points);
    return true;
}

}  // namespace seqpreview
