// The main window's PVT charts: density, pressure and temperature against
// time, and density against temperature or pressure.

#include "charts/MainCharts.h"

#include "charts/MainChartsParts.h"
#include "data/Globals.h"
#include "platform/PeChart.h"

#include <vector>

using namespace maincharts::parts;

void MainCharts::DrawPvtChart() {
    using namespace pesgo;
    PeChart& g = pesgo1_;
    g.setProp(Subsets, i16(3));
    for (int s = 0; s < 3; ++s) g.setProp(MultiAxesSubsets, s, i16(1));
    g.setProp(OverlapMultiAxes, 0, i16(3));
    const QString tempLabel = QStringLiteral("Temperature ") + gTempLabel;
    g.setProp(SubsetLabel, 0, "Density (g/cm3)");
    g.setProp(SubsetLabel, 1, "Pressure (psi)");
    g.setProp(SubsetLabel, 2, tempLabel);
    g.setProp(WorkingAxis, i16(0));
    g.setProp(YAxisColor, pepalette::Green);
    g.setProp(YAxisLabel, "Density (g/cm3)");
    g.setProp(WorkingAxis, i16(1));
    g.setProp(YAxisColor, pepalette::Blue);
    g.setProp(YAxisLabel, "Pressure (psi)");
    g.setProp(WorkingAxis, i16(2));
    g.setProp(YAxisColor, pepalette::LightRed);
    g.setProp(YAxisLabel, tempLabel);
    g.setProp(XAxisLabel, "Time (min)");
    g.setProp(MainTitle, "Density,Temperature,Pressure Vs.Time");
    g.setProp(SubTitle, opened_.OpenedTestName);

    const qint32 n = loadOpenedTestRows();
    if (n < 1) return;
    const Sample sample = openedSample();
    plotThreeSubsets(
        n, [](const ResultRow&) { return true; },
        [this, &sample](const ResultRow& row) {
            return std::array<float, 4>{float(quantity(Quantity::Time, row, sample)),
                                        float(quantity(Quantity::Density, row, sample)),
                                        float(quantity(Quantity::PressureWhole, row, sample)),
                                        float(quantity(Quantity::Temperature, row, sample))};
        });
    g.setProp(Action, i16(ActionRedraw));
}

void MainCharts::densityChart(const QString& xLabel, const QString& title, Quantity x) {
    using namespace pesgo;
    Initial_Chart_2d();
    PeChart& g = pesgo1_;
    g.setProp(XAxisLabel, xLabel);
    g.setProp(YAxisLabel, "Density (g/cm3)");
    g.setProp(MainTitle, title);
    g.setProp(SubTitle, opened_.OpenedTestName);
    const qint32 n = loadOpenedTestRows();
    g.setProp(Points, int(n));
    SubsetCount = 1;
    ChartPointCount = n;
    const int s = SubsetCount - 1;
    const Sample sample = openedSample();
    forEachRow(n, [&](qint32 i, const ResultRow& row) {
        g.setProp(XData, s, i, float(quantity(x, row, sample)));
        g.setProp(YData, s, i, float(quantity(Quantity::Density, row, sample)));
    });
    SortChartSubset(s, n);
    g.setProp(Action, i16(ActionRedraw));
}

void MainCharts::Chart_DensityTemp() {
    densityChart(QStringLiteral("Sample Temperature ") + gTempLabel, QStringLiteral("Density Vs. Temperature"),
                 Quantity::Temperature);
}

void MainCharts::Chart_DensityPress() {
    densityChart(QStringLiteral("Sample Pressure (psi)"), QStringLiteral("Density Vs. Pressure"),
                 Quantity::PressureWhole);
}
