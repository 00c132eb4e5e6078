#pragma once
// The live chart of the swell test window: the stored rows of the window's
// test against time (minutes), for the checked quantities swell (%), speed
// (rpm), temperature and pressure. The rebuild (a tick box, the start of a
// test) makes the whole chart (base settings, axes, points) anew from the
// database; after a recorded row the points alone are brought up to date.
// At most the newest liveplot::kMaxLivePoints rows are drawn.
//
// Axes: swell, speed, then temperature with pressure on its right-hand
// scale (or pressure alone), all in one plot area.

#include "analysis/ResultPoints.h"
#include "unitbase/LivePlot.h"

#include <QString>
#include <array>
#include <vector>

class PeChart;
class clsConnection;
class clsTEST_RESULT;

namespace swell {

enum ChartQuantity : int { ChartSwell = 0, ChartSpeed, ChartTemp, ChartPress, kChartQuantities };
using ChartTicks = std::array<bool, kChartQuantities>;
// The swell curve's name, which the chart's set-up also gives its axis, and
// the axis title the window puts when it opens: the two spellings the window
// has always shown ("Swell% " with its trailing blank, "Swell %").
inline const QString kSwellCurveName = QStringLiteral("Swell% ");
inline const QString kSwellAxisTitleAtOpen = QStringLiteral("Swell %");

// The chart's base settings (subtitle: the window's test name).
void InitialChartAll(PeChart& chart, const QString& subtitle);

// The rebuild: new chart, base settings, the axes of the ticked quantities
// and, when at least one is ticked, the drawing. Returns the number of
// subsets drawn (0 when nothing is ticked).
//
// sampleLength is the dry length (inch) of the test drawn; with 0 the swell
// curve gets no points. testId 0 draws labels and colours only. A failure of
// the drawing is shown as "chart error  " and its description.
int RebuildSwellChart(PeChart& chart, const ChartTicks& ticks, const QString& subtitle, qint32 testId,
                      double sampleLength, clsTEST_RESULT& results, clsConnection* connection);

// The refill after a recorded row, without the rebuild: the ticked curves
// take the points of the test's rows (`rows`, in time order, the newest
// liveplot::kMaxLivePoints) that the rebuild would give them, then the redraw. With
// `held` (what the last refill gave the chart, see LivePlot.h) and the rows'
// version only what is new since is written. Returns false, writing nothing,
// when only the rebuild draws the chart as it should be: the swell curve
// ticked without a dry length.
bool PlotSwellRows(PeChart& chart, const ChartTicks& ticks, const std::vector<ResultPoint>& rows,
                   double sampleLength, liveplot::Held* held = nullptr, quint64 version = 0);

}  // namespace swell
