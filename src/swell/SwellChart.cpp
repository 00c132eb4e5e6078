#include "swell/SwellChart.h"

#include "analysis/SwellPercent.h"
#include "data/Globals.h"
#include "data/TestKindColumns.h"
#include "data/Units.h"
#include "data/clsTEST_RESULT.h"
#include "platform/Database.h"
#include "platform/Dialogs.h"
#include "platform/PeChart.h"
#include "unitbase/UnitChartStyle.h"

#include <algorithm>
#include <stdexcept>

using namespace pesgo;

namespace swell {

namespace {

// Palette entries 1 blue, 2 green, 4 red, 12 light red.
const qint32 kBlue = peRgb(0, 0, 128);
const qint32 kGreen = peRgb(0, 128, 0);
const qint32 kRed = peRgb(128, 0, 0);
const qint32 kLightRed = peRgb(255, 0, 0);

struct Curve {
    QString label;
    qint32 colour;
};
const Curve kCurves[kChartQuantities] = {{kSwellCurveName, kGreen},
                                         {QStringLiteral("Speed"), kRed},
                                         {QStringLiteral("Temperature"), kLightRed},
                                         {QStringLiteral("Pressure"), kBlue}};

void axis(PeChart& c, int& axes, qint32 colour, const QString& title, int subsets) {
    ++axes;
    c.setProp(WorkingAxis, qint16(axes - 1));
    c.setProp(YAxisColor, colour);
    c.setProp(YAxisLabel, title);
    c.setProp(MultiAxesSubsets, axes - 1, qint16(subsets));
}

// Labels, colours and points of the ticked curves.
void draw(PeChart& c, const ChartTicks& ticks, qint32 testId, double sampleLength, clsTEST_RESULT& results,
          clsConnection* connection) {
    int subset[kChartQuantities] = {-1, -1, -1, -1};
    int count = 0;
    for (int q = 0; q < kChartQuantities; ++q) {
        if (!ticks[q]) continue;
        subset[q] = count++;
        c.setProp(pesgo::SubsetLabel, subset[q], kCurves[q].label);
        c.setProp(SubsetColor, subset[q], kCurves[q].colour);
    }
    if (testId == 0) return;
    results.Test_Id(testId);
    results.ConnectX(connection);
    const int n = results.TotalPoints();
    if (n < 1) return;
    results.MoveFirst();
    const int points = std::min(n, liveplot::kMaxLivePoints);
    if (n > liveplot::kMaxLivePoints) results.MoveRel(n - liveplot::kMaxLivePoints);
    c.setProp(Points, qint32(points));
    // Without the dry length of the test there is no swell to draw.
    const bool swellDrawn = sampleLength > 0;
    for (int j = 0; j < points; ++j) {
        if (results.Eof()) break;
        const RowArray row = results.All();
        const float x = float(row.value(clsTEST_RESULT::colRESULT_TIME).toDouble() / 60.0);
        auto put = [&](ChartQuantity q, double y) {
            if (subset[q] < 0) return;
            c.setProp(XData, subset[q], j, x);
            c.setProp(YData, subset[q], j, float(y));
        };
        if (swellDrawn) put(ChartSwell, swell::SwellPercent(row.value(swell::result::LengthChange).toDouble(), sampleLength));
        put(ChartSpeed, row.value(swell::result::Speed).toDouble());
        put(ChartTemp, TempToDisplay(row.value(clsTEST_RESULT::colRESULT_SAMPLE_TEMP).toDouble()));
        put(ChartPress, row.value(clsTEST_RESULT::colRESULT_PRESS).toDouble());
        results.MoveNext();
    }
    c.setProp(Action, qint16(ActionRedraw));
}

}  // namespace

void InitialChartAll(PeChart& c, const QString& subtitle) {
    using namespace unitchart;
    using pesgo::P133, pesgo::P134;
    ClearChart(c, {kGreen, kBlue, kLightRed, kRed});
    for (int i = 0; i < 4; ++i) c.setProp(P134, i, qint32(11));
    c.setProp(P133, 0, qint32(2));
    c.setProp(P133, 1, qint32(6));
    c.setProp(P133, 2, qint32(6));
    StyleChart(c, QStringLiteral("LSM test"), subtitle, 1.2);
}

int RebuildSwellChart(PeChart& c, const ChartTicks& ticks, const QString& subtitle, qint32 testId,
                      double sampleLength, clsTEST_RESULT& results, clsConnection* connection) {
    c.setProp(Action, qint16(ActionNewChart));
    InitialChartAll(c, subtitle);
    int axes = 0;
    int count = 0;
    c.setProp(XAxisLabel, QStringLiteral("Time (min)"));
    if (ticks[ChartSwell]) {
        ++count;
        axis(c, axes, kGreen, kSwellCurveName, 1);
    }
    if (ticks[ChartSpeed]) {
        ++count;
        axis(c, axes, kRed, QStringLiteral("Speed (rpm) "), 1);
    }
    if (ticks[ChartTemp]) {
        ++count;
        const bool both = ticks[ChartPress];
        axis(c, axes, kLightRed, QStringLiteral("Temperature ") + gTempLabel, both ? 2 : 1);
        if (both) {
            ++count;
            c.setProp(RYAxisColor, kBlue);
            c.setProp(RYAxisLabel, QStringLiteral("Pressure ") + gPressLabel);
            c.setProp(RYAxisSubsets, qint16(1));
        }
    } else if (ticks[ChartPress]) {
        ++count;
        axis(c, axes, kBlue, QStringLiteral("Pressure ") + gPressLabel, 1);
    }
    if (count == 0) return 0;
    c.setProp(Subsets, qint32(count));
    c.setProp(XAxisLabel, QStringLiteral("Time (min)"));
    c.setProp(OverlapMultiAxes, 0, qint16(axes));
    try {
        draw(c, ticks, testId, sampleLength, results, connection);
    } catch (const db::DbError& e) {
        ui::Notify(QStringLiteral("chart error  ") + e.description());
    } catch (const std::exception& e) {
        ui::Notify(QStringLiteral("chart error  ") + QString::fromLocal8Bit(e.what()));
    }
    return count;
}

bool PlotSwellRows(PeChart& c, const ChartTicks& ticks, const std::vector<ResultPoint>& rows,
                   double sampleLength, liveplot::Held* held, quint64 version) {
    if (ticks[ChartSwell] && !(sampleLength > 0)) return false;
    const std::vector<int> shown = liveplot::Ticked(ticks);
    const int count = int(shown.size());
    for (int s = 0; s < count; ++s) {
        const Curve& curve = kCurves[shown[size_t(s)]];
        liveplot::NameCurve(c, s, curve.label, curve.colour);
    }
    std::vector<double> depends(shown.begin(), shown.end());
    depends.push_back(sampleLength);
    liveplot::PlotRecent(c, held, version, std::move(depends), rows, liveplot::kMaxLivePoints, count,
                         [&](int s, const ResultPoint& row) {
                             switch (shown[size_t(s)]) {
                                 case ChartSwell: return swell::SwellPercent(row[swell::result::LengthChange], sampleLength);
                                 case ChartSpeed: return row[swell::result::Speed];
                                 case ChartTemp: return TempToDisplay(row[resultcol::SampleTemp]);
                                 case ChartPress: return row[resultcol::Press];
                                 default: return 0.0;
                             }
                         });
    return true;
}

}  // namespace swell
