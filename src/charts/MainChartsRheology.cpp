// The main window's rheology charts in 2-D: viscosity, pressure and
// temperature against time, the Fann 35 reading against time, and the
// single-curve charts of stress, viscosity, rate, temperature and time.

#include "charts/MainCharts.h"

#include "charts/MainChartsParts.h"
#include "data/Globals.h"
#include "data/Units.h"
#include "platform/PeChart.h"

#include <vector>

using namespace maincharts::parts;

namespace {

// Viscosity (cP) of the three-subset time chart.
double timeChartViscosity(double rate, double stress) {
    return rate < 0.00001 ? 0.0 : 100.0 * stress / (rate + 0.00001);
}

}  // namespace

void MainCharts::DrawViscPressTempChart() {
    using namespace pesgo;
    pesgo1_.setProp(SubTitle, opened_.OpenedTestName);
    const qint32 n = loadOpenedTestRows();
    if (n > 0) {
        plotThreeSubsets(
            n, [this](const ResultRow& row) { return PassesRowFilter(row.type); },
            [](const ResultRow& row) {
                return std::array<float, 4>{float(row.time / 60.0), float(timeChartViscosity(row.rate, row.stress)),
                                            float(row.press), float(ChartTemperature(row.temp))};
            });
    }
    pesgo1_.setProp(Action, i16(ActionRedraw));
}

void MainCharts::DrawFann35Chart() {
    using namespace pesgo;
    Initial_Chart_2d();
    PeChart& g = pesgo1_;
    g.setProp(XAxisLabel, "Time (min)");
    g.setProp(WorkingAxis, i16(0));
    g.setProp(YAxisColor, pepalette::Grey);
    g.setProp(YAxisLabel, "Fann35");
    g.setProp(WorkingAxis, i16(1));
    g.setProp(YAxisColor, pepalette::LightRed);
    g.setProp(YAxisLabel, QStringLiteral("Temperature ") + gTempLabel);
    g.setProp(WorkingAxis, i16(2));
    g.setProp(YAxisColor, pepalette::Blue);
    g.setProp(YAxisLabel, "Pressure (psi)");
    g.setProp(MainTitle, QStringLiteral("Fann\u00AE 35 F1 , Pressure & Temperature"));
    g.setProp(SubTitle, opened_.OpenedTestName);
    g.setProp(Subsets, i16(3));
    g.setProp(Points, i16(9999));
    g.setProp(SubsetColor, 0, pepalette::Grey);
    g.setProp(SubsetColor, 1, pepalette::LightRed);
    g.setProp(SubsetColor, 2, pepalette::Blue);
    g.setProp(SubsetLabel, 0, "Fann35");
    g.setProp(SubsetLabel, 1, "Sample Temp");
    g.setProp(SubsetLabel, 2, "Pressure");
    for (int s = 0; s < 3; ++s) g.setProp(MultiAxesSubsets, s, i16(1));
    g.setProp(OverlapMultiAxes, 0, i16(3));

    const qint32 n = loadOpenedTestRows();
    if (n > 0) {
        plotThreeSubsets(
            n, [this](const ResultRow& row) { return PassesRowFilter(row.type); },
            [](const ResultRow& row) {
                return std::array<float, 4>{float(row.time / 60.0), float(DialReading(row.stress)),
                                            float(ChartTemperature(row.temp)), float(row.press)};
            });
    }
    g.setProp(Action, i16(ActionRedraw));
}

void MainCharts::singleCurveChart(const QString& xLabel, const QString& yLabel, const QString& title, Quantity x,
                                  Quantity y) {
    using namespace pesgo;
    Initial_Chart_2d();
    PeChart& g = pesgo1_;
    g.setProp(XAxisLabel, xLabel);
    g.setProp(YAxisLabel, yLabel);
    g.setProp(MainTitle, title);
    g.setProp(SubTitle, opened_.OpenedTestName);

    const qint32 n = loadOpenedTestRows();
    g.setProp(Points, int(n));
    ChartPointCount = n;
    SubsetCount = 1;

    // The row at position i goes to point i; a row the filter drops leaves
    // its position unwritten.
    const int s = SubsetCount - 1;
    const Sample sample = openedSample();
    forEachRow(n, [&](qint32 i, const ResultRow& row) {
        if (!PassesRowFilter(row.type)) return;
        g.setProp(XData, s, i, float(quantity(x, row, sample)));
        g.setProp(YData, s, i, float(quantity(y, row, sample)));
    });
    SortChartSubset(s, n);
    g.setProp(Action, i16(ActionRedraw));
}

void MainCharts::Chart_StressRate() {
    singleCurveChart(QStringLiteral("Shear Rate (1/s)"), QStringLiteral("Shear Stress ") + gStressLabel,
                     QStringLiteral("Shear Stress Vs. Shear Rate"), Quantity::ShearRate, Quantity::ShearStress);
}

void MainCharts::Chart_ViscRate() {
    singleCurveChart(QStringLiteral("Shear Rate (1/s)"), QStringLiteral("Viscosity ") + gViscLabel,
                     QStringLiteral("Viscosity Vs. Shear Rate"), Quantity::ShearRate, Quantity::Viscosity);
}

void MainCharts::Chart_ViscTemp() {
    singleCurveChart(QStringLiteral("Sample Temperature ") + gTempLabel, QStringLiteral("Viscosity ") + gViscLabel,
                     QStringLiteral("Viscosity Vs. Temperature"), Quantity::Temperature, Quantity::Viscosity);
}

void MainCharts::Chart_StressTime() {
    singleCurveChart(QStringLiteral("Time (min)"), QStringLiteral("Shear Stress ") + gStressLabel,
                     QStringLiteral("Shear Stress vs. Time"), Quantity::Time, Quantity::ShearStress);
}

void MainCharts::Chart_ViscTime() {
    singleCurveChart(QStringLiteral("Time (min)"), QStringLiteral("Viscosity ") + gViscLabel,
                     QStringLiteral("Viscosity vs. Time"), Quantity::Time, Quantity::Viscosity);
}
