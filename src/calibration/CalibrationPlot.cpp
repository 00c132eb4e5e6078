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

namespace {

// A new chart of `subsets` curves whose first is the points (x[i], y[i]).
void newChartWithPoints(PeChart& chart, int subsets, int points, const std::vector<double>& x,
                        const std::vector<double>& y) {
    const int n = int(std::min(x.size(), y.size()));
    chart.setProp(Action, qint16(ActionNewChart));
    chart.setProp(Subsets, subsets);
    chart.setProp(Points, std::max(n, points));
    for (int i = 0; i < n; ++i) {
        chart.setProp(XData, 0, i, float(x[size_t(i)]));
        chart.setProp(YData, 0, i, float(y[size_t(i)]));
    }
}

}  // namespace

void PlotCalibrationCurve(PeChart& chart, const std::vector<double>& x, const std::vector<double>& y) {
    newChartWithPoints(chart, 1, 0, x, y);
    chart.setProp(SubsetLabel, 0, QString());
    chart.setProp(Action, qint16(ActionRedraw));
}

void PlotCalibrationFit(PeChart& chart, const std::vector<double>& x, const std::vector<double>& y, double slope,
                        double intercept) {
    const size_t n = std::min(x.size(), y.size());
    if (n == 0) {
        PlotCalibrationCurve(chart, x, y);
        return;
    }
    newChartWithPoints(chart, 2, 2, x, y);
    const auto [lo, hi] = std::minmax_element(x.begin(), x.begin() + std::ptrdiff_t(n));
    chart.setProp(XData, 1, 0, float(*lo));
    chart.setProp(YData, 1, 0, float(intercept + slope * *lo));
    chart.setProp(XData, 1, 1, float(*hi));
    chart.setProp(YData, 1, 1, float(intercept + slope * *hi));
    chart.setProp(SubsetLabel, 0, QStringLiteral("Measured points"));
    chart.setProp(SubsetLabel, 1, QStringLiteral("Fitted line"));
    chart.setProp(Action, qint16(ActionRedraw));
}
