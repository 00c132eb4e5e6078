// The main window's swell charts: swell, temperature, pressure and speed
// against time, and swell against time, temperature, pressure or speed.

#include "charts/MainCharts.h"

#include "charts/MainChartsParts.h"
#include "data/Globals.h"
#include "platform/PeChart.h"

using namespace maincharts::parts;

void MainCharts::DrawSwellAllChart() {
    using namespace pesgo;
    PeChart& g = pesgo1_;
    g.setProp(Subsets, i16(4));
    g.setProp(MainTitle, "Swell, Temp., Press., Speed Vs. Time");
    g.setProp(SubTitle, opened_.OpenedTestName);
    const qint32 n = loadOpenedTestRows();
    if (n != 0) {
        g.setProp(Points, int(n));
        const Sample sample = openedSample();
        forEachRow(n, [&](qint32 i, const ResultRow& row) {
            const float time = float(quantity(Quantity::Time, row, sample));
            const float y[4] = {float(quantity(Quantity::Swell, row, sample)), float(row.press),
                                float(quantity(Quantity::TemperatureExact, row, sample)), float(row.rate)};
            for (int s = 0; s < 4; ++s) {
                g.setProp(XData, s, i, time);
                g.setProp(YData, s, i, y[s]);
            }
        });
    }
    g.setProp(XAxisLabel, "Time (min)");
    const QString labels[4] = {QStringLiteral(" Swell(%) "), QStringLiteral("Pressure ") + gPressLabel,
                               QStringLiteral("Temperature ") + gTempLabel, QStringLiteral("Speed (rpm)")};
    const qint32 colours[4] = {pepalette::Green, pepalette::Blue, pepalette::LightRed, pepalette::LightCyan};
    for (int s = 0; s < 4; ++s) g.setProp(SubsetLabel, s, labels[s]);
    for (int s = 0; s < 4; ++s) g.setProp(SubsetColor, s, colours[s]);
    for (int s = 0; s < 4; ++s) g.setProp(MultiAxesSubsets, s, i16(1));
    g.setProp(OverlapMultiAxes, 0, i16(4));
    for (int k = 0; k < 4; ++k) {
        g.setProp(WorkingAxis, i16(k));
        g.setProp(YAxisColor, colours[k]);
        g.setProp(YAxisLabel, labels[k]);
    }
    g.setProp(Action, i16(ActionRedraw));
}

void MainCharts::DrawSwellTimeChart() {
    using namespace pesgo;
    PeChart& g = pesgo1_;
    g.setProp(XAxisLabel, "Time (min)");
    g.setProp(YAxisLabel, "Swell (%)");
    g.setProp(MainTitle, "Swell Vs. Time");
    g.setProp(SubTitle, opened_.OpenedTestName);
    const qint32 n = loadOpenedTestRows();
    g.setProp(Points, int(n));
    ChartPointCount = n;
    SubsetCount = 1;
    const int s = SubsetCount - 1;
    const Sample sample = openedSample();
    forEachRow(n, [&](qint32 i, const ResultRow& row) {
        g.setProp(XData, s, i, float(quantity(Quantity::Time, row, sample)));
        g.setProp(YData, s, i, float(quantity(Quantity::Swell, row, sample)));
    });
    SortChartSubset(s, n);
    g.setProp(Action, i16(ActionRedraw));
}

// Swell against temperature, pressure or speed: the points stay in time order.
void MainCharts::swellCurveChart(const QString& title, const QString& xLabel, const QString& yLabel, Quantity x) {
    using namespace pesgo;
    PeChart& g = pesgo1_;
    // The pressure chart writes its labels after its points.
    const bool labelsFirst = x != Quantity::Pressure;
    g.setProp(MainTitle, title);
    g.setProp(SubTitle, opened_.OpenedTestName);
    if (labelsFirst) {
        g.setProp(XAxisLabel, xLabel);
        g.setProp(YAxisLabel, yLabel);
    }
    SubsetCount = 1;
    const qint32 n = loadOpenedTestRows();
    if (n != 0) {
        g.setProp(Points, int(n));
        ChartPointCount = n;
        const Sample sample = openedSample();
        forEachRow(n, [&](qint32 i, const ResultRow& row) {
            g.setProp(XData, 0, i, float(quantity(x, row, sample)));
            g.setProp(YData, 0, i, float(quantity(Quantity::Swell, row, sample)));
        });
    }
    if (!labelsFirst) {
        g.setProp(XAxisLabel, xLabel);
        g.setProp(YAxisLabel, yLabel);
    }
    g.setProp(Action, i16(ActionRedraw));
}

void MainCharts::DrawSwellTempChart() {
    swellCurveChart(QStringLiteral("Swell Vs. Temperature "), QStringLiteral("Temperature ") + gTempLabel,
                    QStringLiteral("Swell%"), Quantity::TemperatureExact);
}

void MainCharts::DrawSwellPressChart() {
    swellCurveChart(QStringLiteral("Swell Vs.Pressure "), QStringLiteral("Pressure (psi)"), QStringLiteral("Swell%"),
                    Quantity::Pressure);
}

void MainCharts::DrawSwellSpeedChart() {
    swellCurveChart(QStringLiteral("Swell Vs.Speed "), QStringLiteral("Speed (rpm)"), QStringLiteral("Swell%"),
                    Quantity::ShearRate);
}
