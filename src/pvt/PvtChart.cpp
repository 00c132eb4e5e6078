#include "pvt/PvtChart.h"

#include "analysis/PvtDensity.h"
#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/TestKindColumns.h"
#include "data/Units.h"
#include "platform/PeChart.h"
#include "unitbase/UnitChartStyle.h"

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
    return PvtLiveDensity(row[pvt::result::SampleHeight], row[resultcol::Press], k.pistonRadius, k.iniVol,
                          k.iniDensity);
}

void InitialChartAll(PeChart& c, const QString& subtitle) {
    using namespace unitchart;
    ClearChart(c, {kDensityColor, kPressureColor, kTemperatureColor, kPositionColor});
    SubsetSettings(c, 11);
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

    const std::vector<double> depends{k.pistonRadius,    k.iniVol,          k.iniDensity,
                                      double(t.density), double(t.position), double(t.temperature),
                                      double(t.pressure)};
    const liveplot::SampleValue y = [&](int s, const ResultPoint& p) {
        switch (shown[size_t(s)].curve) {
        case Curve::Density: {
            const std::optional<double> d = RowDensity(p, k);
            return d ? *d : std::numeric_limits<double>::quiet_NaN();  // no sample volume left: no point
        }
        case Curve::Position: return p[pvt::result::SampleHeight] * -1;
        case Curve::Temperature: return TempToDisplay(p[resultcol::SampleTemp]);
        case Curve::Pressure: return Val(Format(p[resultcol::Press], QStringLiteral("##0")));
        }
        return 0.0;
    };
    // The rebuild gives the density's time to two decimals.
    liveplot::SampleValue x;
    if (!afterRow)
        x = [&](int s, const ResultPoint& p) {
            const double minutes = p[resultcol::ResultTime] / 60;
            return shown[size_t(s)].curve == Curve::Density ? Val(Format(minutes, QStringLiteral("##.##"))) : minutes;
        };
    // The refill takes the most recent rows, the rebuild every row.
    liveplot::PlotRecent(c, afterRow ? held : nullptr, version, depends, rows,
                         afterRow ? liveplot::kMaxLivePoints : int(rows.size()), subsets, y, x);
    if (held && !afterRow) *held = {};
    return subsets;
}

}  // namespace pvtchart
