#pragma once
// The live chart of a rheology test window: up to seven quantities of the
// stored samples (viscosity, speed, temperature, pressure, shear rate, shear
// stress and the Fann35 reading) against the time since the start of the
// test, each chosen by its check box. The quantities are drawn on up to four
// Y axes (axis groups): viscosity/speed, temperature/pressure, shear
// rate/shear stress and Fann35; when both quantities of a pair are ticked the
// second goes on the group's right-hand scale.
//
// The work is done here on the chart control (PeChart, through its numbered
// properties), without any window; the window's RefreshRealTimeChart,
// Initial_Chart_All and PlotAllSeries hand it the check boxes' states, the
// test name, the test's stored samples and the bob factor.
//
// Only the most recent liveplot::kMaxLivePoints samples are plotted, which
// bounds the work of one tick of the run loop however long the test runs.

#include "analysis/ResultPoints.h"
#include "unitbase/LivePlot.h"

#include <QString>
#include <array>
#include <vector>

class PeChart;

namespace rheologychart {

// The quantities in the order they receive chart subsets (also the order of
// the axis groups, so the subsets of one group are consecutive).
enum Quantity : int { Viscosity = 0, Speed, Temperature, Pressure, ShearRate, ShearStress, Fann35, kQuantityCount };
// Which quantities are ticked, by Quantity.
using Ticks = std::array<bool, kQuantityCount>;

// Subset label, curve colour, axis colour and Y-axis title of a quantity
// (the titles carry the unit captions in force). Each curve has its axis's
// colour.
QString SubsetLabel(Quantity q);
qint32 CurveColor(Quantity q);
qint32 AxisColor(Quantity q);
QString AxisTitle(Quantity q);

// The Y value of a stored sample (stored units in: shear rate 1/s, stress
// dyn/cm², °F, psi; display units out), with the shear rate per rpm of the
// test's bob for the speed.
double SampleValue(Quantity q, double shearRate, double shearStress, double sampleTemp, double pressure,
                   double shearRateFactor);

// The base settings of the chart, ending with a redraw.
void InitialChartAll(PeChart& chart);

// The axis groups of the ticked quantities, with the subtitle, subset count,
// X-axis title and the curves' labels and colours. Nothing is set when no
// quantity is ticked. Returns the number of axis groups laid out.
int LayOutAxisGroups(PeChart& chart, const Ticks& ticks, const QString& subtitle);

// Plots the most recent liveplot::kMaxLivePoints of a test's stored samples
// (in time order) for the ticked quantities, one subset each with its label and
// colour, then redraws. No samples: the chart is left alone. Returns the
// number of subsets handed out (0 when nothing was plotted).
//
// With `held` (what the last plot into this chart gave it, see LivePlot.h)
// and the samples' version, only what is new since is written.
int PlotStoredSeries(PeChart& chart, const Ticks& ticks, const std::vector<ResultPoint>& samples,
                     double shearRateFactor, liveplot::Held* held = nullptr, quint64 version = 0);

}  // namespace rheologychart
