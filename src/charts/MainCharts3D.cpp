// The main window's rheology charts in 3-D: viscosity against shear rate and
// time, shear rate and temperature, or pressure and temperature.

#include "charts/MainCharts.h"

#include "charts/MainChartsParts.h"
#include "data/Globals.h"
#include "platform/Pe3dChart.h"

using namespace maincharts::parts;

void MainCharts::chart3D(Axes3D axes) {
    using namespace pe3do;
    Pe3dChart& d = pe3do1_;
    d.setProp(Action, i16(ActionNewChart));
    d.setProp(Q34, i16(0));
    const QString tempLabel = QStringLiteral("Sample Temp ") + gTempLabel;
    d.setProp(XAxisLabel, axes == Axes3D::RateTime ? QStringLiteral("Time (min)") : tempLabel);
    d.setProp(YAxisLabel, QStringLiteral("Viscosity ") + gViscLabel);
    d.setProp(ZAxisLabel, axes == Axes3D::PressTemp ? QStringLiteral("Pressure (Psi)")
                                                    : QStringLiteral("Shear Rate (1/s)"));
    d.setProp(Subsets, i16(1));

    const qint32 n = loadOpenedTestRows();
    ChartPointCount = n;
    SubsetCount = 1;
    d.setProp(Points, i16(0));
    d.setProp(Points, int(n));
    int k = 0;
    forEachRow(n, [&](qint32, const ResultRow& row) {
        if (!PassesRowFilter(row.type)) return;
        const float depth = float(axes == Axes3D::PressTemp ? row.press : row.rate);
        const float x = float(axes == Axes3D::RateTime ? row.time / 60.0 : ChartTemperature(row.temp));
        d.setProp(ZData, 0, k, depth);
        d.setProp(XData, 0, k, x);
        d.setProp(YData, 0, k, float(curveViscosity(row.rate, row.stress)));
        ++k;
    });
    d.setProp(Points, k);
    d.setProp(Q160, i16(4));
    d.setProp(Q34, i16(2));
    switch (axes) {
        case Axes3D::RateTime: d.setProp(MainTitle, "Viscosity vs. Shear Rate & Time"); break;
        case Axes3D::RateTemp: d.setProp(MainTitle, "Viscosity vs. Shear Rate & Sample Temperature"); break;
        case Axes3D::PressTemp: d.setProp(MainTitle, "Viscosity vs. Pressure & Sample Temperature"); break;
    }
    d.setProp(SubTitle, opened_.OpenedTestName);
    d.setProp(Q155, i16(16));
    d.setProp(Q148, i16(149));
    d.setProp(Q19, i16(2));
    d.setProp(Action, i16(ActionRedraw));
}

void MainCharts::Chart3D_ViscRateTime() { chart3D(Axes3D::RateTime); }
void MainCharts::Chart3D_ViscRateTemp() { chart3D(Axes3D::RateTemp); }
void MainCharts::Chart3D_ViscPressTemp() { chart3D(Axes3D::PressTemp); }
