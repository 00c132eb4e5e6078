#pragma once
// The X-Y plots of the calibration windows on the 2-D chart control: one
// curve of points joined in order, and for the torque fit the fitted line
// beside it.

#include <QString>
#include <vector>

class PeChart;

// Titles the axes and leaves the chart empty.
void InitCalibrationPlot(PeChart& chart, const QString& xLabel, const QString& yLabel);
// Removes every point.
void ClearCalibrationPlot(PeChart& chart);
// Replaces what the chart shows by the curve through (x[i], y[i]).
void PlotCalibrationCurve(PeChart& chart, const std::vector<double>& x, const std::vector<double>& y);
// Replaces what the chart shows by the curve through (x[i], y[i]), "Measured
// points", and the fitted line y = intercept + slope x from the least to the
// greatest x, "Fitted line".
void PlotCalibrationFit(PeChart& chart, const std::vector<double>& x, const std::vector<double>& y, double slope,
                        double intercept);
