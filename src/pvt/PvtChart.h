#pragma once
// The live chart of the PVT window (Pesgo1): the rows stored for the window's
// test drawn against time in minutes, one curve per ticked quantity (density,
// sensor position, temperature, pressure), on one or two value axes that share
// one plot area: density (left, green) with the position (right, red), then
// temperature (left, light red) with the pressure (right, blue); a quantity
// whose partner is not ticked has the axis to itself on the left.
//
// The density of a stored row is recomputed from its height and pressure with
// the window's piston radius, initial volume and initial density; a row that
// leaves no sample volume (0 or less) has no density point.

#include "analysis/ResultPoints.h"
#include "unitbase/LivePlot.h"

#include <QString>
#include <optional>
#include <vector>

class PeChart;

namespace pvtchart {

// The ticked quantities.
struct Ticks {
    bool density = false;
    bool position = false;
    bool temperature = false;
    bool pressure = false;
    int count() const { return int(density) + int(position) + int(temperature) + int(pressure); }
};

// What the density of a stored row needs.
struct DensityConstants {
    double pistonRadius = 0;  // cm
    double iniVol = 0;        // cm³
    double iniDensity = 0;    // g/cm³
};

// The density of a stored row; none when no sample volume is left.
std::optional<double> RowDensity(const ResultPoint& row, const DensityConstants& k);

// The base set-up (no subsets, axes or data), the subtitle being the test's name.
void InitialChartAll(PeChart& chart, const QString& subtitle);

// The axis layout of the ticked quantities (the number of subsets, the X
// title, each axis's colours, titles and subset counts, the overlap, the
// curves' labels and colours as during a run). Returns the number of value
// axes; 0 when nothing is ticked (then nothing is written).
int LayOutAxes(PeChart& chart, const Ticks& ticks);

// Fills the ticked curves from the stored rows (in time order): labels,
// colours, the points and the redraw. The refill after a recorded row
// (`afterRow`) takes the most recent liveplot::kMaxLivePoints rows; the rebuild of a tick
// box takes them all, the density's time to two decimals. Returns the number
// of subsets filled; nothing is written when there is no row. With `held`
// (what the last refill gave the chart, see LivePlot.h) and the rows'
// version, a refill writes only what is new since.
int PlotSeries(PeChart& chart, const Ticks& ticks, const std::vector<ResultPoint>& rows, const DensityConstants& k,
               bool afterRow, liveplot::Held* held = nullptr, quint64 version = 0);

}  // namespace pvtchart
