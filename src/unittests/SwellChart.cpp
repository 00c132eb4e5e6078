#include "unittests/SwellChart.h"

#include "data/Globals.h"
#include "data/Units.h"
#include "data/clsTEST_RESULT.h"
#include "platform/Database.h"
#include "platform/Dialogs.h"
#include "platform/PeChart.h"

#include <algorithm>
#include <stdexcept>

using namespace pesgo;

namespace swell {

namespace {

enum BaseProp : int {
    P13 = 13, P29 = 29, P43 = 43, P48 = 48, P64 = 64, P66 = 66, P93 = 93, P98 = 98, P133 = 133, P134 = 134,
    P137 = 137, P140 = 140, P141 = 141, P142 = 142, P143 = 143, P153 = 153, P177 = 177, P203 = 203, P204 = 204,
    P223 = 223, P226 = 226, P228 = 228,
};

// Palette entries 1 blue, 2 green, 4 red, 12 light red.
const qint32 kBlue = peRgb(0, 0, 128);
const qint32 kGreen = peRgb(0, 128, 0);
const qint32 kRed = peRgb(128, 0, 0);
const qint32 kLightRed = peRgb(255, 0, 0);

struct Curve {
    const char* label;
    qint32 colour;
};
const Curve kCurves[kChartQuantities] = {
    {"Swell% ", kGreen}, {"Speed", kRed}, {"Temperature", kLightRed}, {"Pressure", kBlue}};

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
        c.setProp(pesgo::SubsetLabel, subset[q], QString::fromLatin1(kCurves[q].label));
        c.setProp(SubsetColor, subset[q], kCurves[q].colour);
    }
    if (testId == 0) return;
    results.Test_Id(testId);
    results.ConnectX(connection);
    const int n = results.TotalPoints();
    if (n < 1) return;
    results.MoveFirst();
    const int points = std::min(n, kMaxChartPoints);
    if (n > kMaxChartPoints) results.MoveRel(n - kMaxChartPoints);
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
        if (swellDrawn) put(ChartSwell, row.value(clsTEST_RESULT::colRESULT_SHEAR_STRESS).toDouble() / sampleLength * 100);
        put(ChartSpeed, row.value(clsTEST_RESULT::colRESULT_SPEED).toDouble());
        put(ChartTemp, TempToDisplay(row.value(clsTEST_RESULT::colRESULT_SAMPLE_TEMP).toDouble()));
        put(ChartPress, row.value(clsTEST_RESULT::colRESULT_PRESS).toDouble());
        results.MoveNext();
    }
    c.setProp(Action, qint16(ActionRedraw));
}

}  // namespace

void InitialChartAll(PeChart& c, const QString& subtitle) {
    c.setProp(P226, qint16(0));
    c.setProp(P93, qint16(0));
    c.setProp(P226, qint32(-99999));
    c.setProp(P93, qint32(-99999));
    for (int p = 0; p < 4; ++p) c.setProp(YData, 0, p, 0.0f);
    c.setProp(SubsetColor, 0, kGreen);
    c.setProp(SubsetColor, 1, kBlue);
    c.setProp(SubsetColor, 2, kLightRed);
    c.setProp(SubsetColor, 3, kRed);
    for (int i = 0; i < 4; ++i) c.setProp(P134, i, qint32(11));
    c.setProp(P133, 0, qint32(2));
    c.setProp(P133, 1, qint32(6));
    c.setProp(P133, 2, qint32(6));
    c.setProp(MainTitle, QStringLiteral("LSM test"));
    c.setProp(SubTitle, subtitle);
    c.setProp(P177, qint16(20));
    c.setProp(P48, qint16(0));
    c.setProp(P13, qint16(2));
    c.setProp(P29, true);
    c.setProp(P143, true);
    c.setProp(P153, true);
    c.setProp(P137, qint16(2));
    c.setProp(P141, true);
    c.setProp(P142, true);
    c.setProp(P43, qint16(0));
    c.setProp(P228, qint16(0));
    c.setProp(P203, true);
    c.setProp(P64, true);
    c.setProp(P98, qint16(3));
    c.setProp(P223, true);
    c.setProp(P204, 1.2);
    c.setProp(XAxisScale, qint16(ScaleLinear));
    c.setProp(P66, true);
    c.setProp(P140, qint16(3));
    c.setProp(Action, qint16(ActionRedraw));
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
        axis(c, axes, kGreen, QStringLiteral("Swell% "), 1);
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
        ui::MsgBox(QStringLiteral("chart error  ") + e.description());
    } catch (const std::exception& e) {
        ui::MsgBox(QStringLiteral("chart error  ") + QString::fromLocal8Bit(e.what()));
    }
    return count;
}

}  // namespace swell
