#include "calibration/CalibrationPlot.h"

#include "platform/PeChart.h"

#include <algorithm>

using namespace pesgo;

void InitCalibrationPlot(PeChart& chart, const QString& xLabel, const QString& yLabel) {
    chart.setProp(MainTitle, QString());
    chart.setProp(SubTitle, QString());
    chart.setProp(XAxisLabel, xLabel);
    chart.setProp(YAxisLabel, yLabel);
    chart.setProp(XAxisScale, qint16(ScaleLinear));
    chart.setProp(YAxisScale, qint16(ScaleLinear));
    ClearCalibrationPlot(chart);
}

void ClearCalibrationPlot(PeChart& chart) {
    chart.setProp(Action, qint16(ActionNewChart));
    chart.setProp(Subsets, 1);
    chart.setProp(Points, 0);
    chart.setProp(Action, qint16(ActionRedraw));
}

void PlotCalibrationCurve(PeChart& chart, const std::vector<double>& x, const std::vector<double>& y) {
    const int n = int(std::min(x.size(), y.size()));
    chart.setProp(Action, qint16(ActionNewChart));
    chart.setProp(Subsets, 1);
    chart.setProp(Points, n);
    for (int i = 0; i < n; ++i) {
        chart.setProp(XData, 0, i, float(x[size_t(i)]));
        chart.setProp(YData, 0, i, float(y[size_t(i)]));
    }
    chart.setProp(SubsetLabel, 0, QString());
    chart.setProp(Action, qint16(ActionRedraw));
}
