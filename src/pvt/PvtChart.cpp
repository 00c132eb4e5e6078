#include "pvt/PvtChart.h"

#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/TestKindColumns.h"
#include "data/Units.h"
#include "platform/PeChart.h"
#include "unitbase/UnitChartStyle.h"

#include <algorithm>
#include <cmath>
#include <limits>

using namespace pesgo;

namespace pvtchart {

namespace {

constexpr qint32 kDensityColor = pepalette::Green;
constexpr qint32 kPositionColor = pepalette::Red;
constexpr qint32 kTemperatureColor = pepalette::LightRed;
constexpr qint32 kPressureColor = pepalette::Blue;

enum class Curve { Density, Position, Temperature, Pressure };

// One axis: its main quantity on the left and, when both are ticked, its
// partner on the right.
void layOutAxis(PeChart& c, int& axes, bool first, qint32 firstColor, const QString& firstTitle, bool second,
                qint32 secondColor, const QString& secondTitle) {
    if (!first && !second) return;
    ++axes;
    c.setProp(WorkingAxis, qint16(axes - 1));
    if (first) {
        c.setProp(YAxisColor, firstColor);
        c.setProp(YAxisLabel, firstTitle);
        if (second) {
            c.setProp(RYAxisColor, secondColor);
            c.setProp(RYAxisLabel, secondTitle);
            c.setProp(RYAxisSubsets, qint16(1));
            c.setProp(MultiAxesSubsets, axes - 1, qint16(2));
            return;
        }
    } else {
        c.setProp(YAxisColor, secondColor);
        c.setProp(YAxisLabel, secondTitle);
    }
    c.setProp(MultiAxesSubsets, axes - 1, qint16(1));
}

}  // namespace

std::optional<double> RowDensity(const ResultPoint& row, const DensityConstants& k) {
    const double v =
        PvtRemainingVolume(row[pvt::result::SampleHeight], row[resultcol::Press], k.pistonRadius, k.iniVol);
    if (!(v > 0)) return std::nullopt;
    const double d = k.iniVol * k.iniDensity / v;
    if (!std::isfinite(d)) return std::nullopt;
    return d;
}

void InitialChartAll(PeChart& c, const QString& subtitle) {
    using namespace unitchart;
    ClearChart(c, {kDensityColor, kPressureColor, kTemperatureColor, kPositionColor});
    const int order[] = {0, 2, 4, 1, 3, 5};
    for (int i : order) c.setProp(P134, i, qint32(11));
    const qint32 values133[] = {2, 6, 6, 9, 9, 1};
    for (int k = 0; k < 6; ++k) c.setProp(P133, order[k], values133[k]);
    StyleChart(c, QStringLiteral("PVT test"), subtitle, 0.8);
}

int LayOutAxes(PeChart& c, const Ticks& t) {
    const int n = t.count();
    if (n == 0) return 0;
    c.setProp(Subsets, qint32(n));
    c.setProp(XAxisLabel, QStringLiteral("Time (min)"));
    int axes = 0;
    layOutAxis(c, axes, t.density, kDensityColor, QStringLiteral("Density (g/cm3)"), t.position, kPositionColor,
               QStringLiteral("Position (in.)"));
    layOutAxis(c, axes, t.temperature, kTemperatureColor, QStringLiteral("Temperature ") + gTempLabel, t.pressure,
               kPressureColor, QStringLiteral("Pressure ") + gPressLabel);
    c.setProp(Subsets, qint32(n));
    c.setProp(OverlapMultiAxes, 0, qint16(axes));
    // The curves named (as during a run) in their axes' colours from the
    // start: the legend names them before the first stored row.
    int s = 0;
    if (t.density) liveplot::NameCurve(c, s++, QStringLiteral("Density"), kDensityColor);
    if (t.position) liveplot::NameCurve(c, s++, QStringLiteral("Position"), kPositionColor);
    if (t.temperature) liveplot::NameCurve(c, s++, QStringLiteral("Temperature"), kTemperatureColor);
    if (t.pressure) liveplot::NameCurve(c, s++, QStringLiteral("Pressure"), kPressureColor);
    return axes;
}

int PlotSeries(PeChart& c, const Ticks& t, const std::vector<ResultPoint>& rows, const DensityConstants& k,
               bool afterRow, liveplot::Held* held, quint64 version) {
    if (rows.empty()) return 0;
    struct Shown {
        Curve curve;
        const char* label;
        qint32 color;
    };
    std::vector<Shown> shown;
    if (t.density) shown.push_back({Curve::Density, "Density", kDensityColor});
    if (t.position) shown.push_back({Curve::Position, afterRow ? "Position" : "Height of sensor (in.)", kPositionColor});
    if (t.temperature) shown.push_back({Curve::Temperature, "Temperature", kTemperatureColor});
    if (t.pressure) shown.push_back({Curve::Pressure, "Pressure", kPressureColor});
    const int subsets = int(shown.size());
    for (int s = 0; s < subsets; ++s) {
        if (!afterRow) c.setProp(YData, s, 0, 0.0f);
        liveplot::NameCurve(c, s, QString::fromLatin1(shown[size_t(s)].label), shown[size_t(s)].color);
    }

    const int stored = int(rows.size());
    const int points = afterRow ? std::min(stored, kMaxPoints) : stored;
    const int first = stored - points;
    liveplot::Held scratch;
    const std::vector<double> depends{k.pistonRadius, k.iniVol,        k.iniDensity,      double(gUnitSystem),
                                      double(t.density),  double(t.position), double(t.temperature), double(t.pressure)};
    const int from =
        liveplot::Keep(c, held && afterRow ? *held : scratch, subsets, version, depends, first, points);
    if (held && !afterRow) *held = {};
    liveplot::SetPointCount(c, points);
    constexpr float kNoPoint = std::numeric_limits<float>::quiet_NaN();
    for (int i = from; i < points; ++i) {
        const ResultPoint& p = rows[size_t(first + i)];
        const double minutes = p[resultcol::ResultTime] / 60;
        for (int s = 0; s < subsets; ++s) {
            double x = minutes;
            float y = 0;
            switch (shown[size_t(s)].curve) {
            case Curve::Density: {
                if (!afterRow) x = Val(Format(minutes, QStringLiteral("##.##")));
                const std::optional<double> d = RowDensity(p, k);
                y = d ? float(*d) : kNoPoint;  // no sample volume left: no point
                break;
            }
            case Curve::Position: y = float(p[pvt::result::SampleHeight] * -1); break;
            case Curve::Temperature: y = float(TempToDisplay(p[resultcol::SampleTemp])); break;
            case Curve::Pressure: y = float(Val(Format(p[resultcol::Press], QStringLiteral("##0")))); break;
            }
            c.setProp(XData, s, i, float(x));
            c.setProp(YData, s, i, y);
        }
    }
    c.setProp(Action, qint16(ActionRedraw));
    return subsets;
}

}  // namespace pvtchart
