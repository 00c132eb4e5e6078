#pragma once
// The points of a unit window's live chart, brought up to date after a
// recorded sample without writing again what the chart already holds: the
// course every test kind's live chart (rheology, PVT, swell) plots its
// stored samples by, each kind giving only its curves and their values.
//
// A live chart plots the most recent samples of the window's test, one chart
// point per sample on every curve. When the samples have only grown at their
// end since the last plot (the same LiveSamples::Version), the values depend
// on nothing else that changed and the chart still holds what that plot
// wrote, the points of the samples still plotted move down by the number of
// samples that left the window, and only the new samples' points are left to
// write. Otherwise every point is to be written. Either way the chart reads
// back what writing every point gives.

#include "analysis/ResultPoints.h"

#include <QString>
#include <QtGlobal>
#include <functional>
#include <span>
#include <vector>

class PeChart;

namespace liveplot {

// The most recent samples a live chart plots (the rheology, PVT and swell
// windows'): a longer test shows its last kMaxLivePoints samples.
inline constexpr int kMaxLivePoints = 5000;

// What the last plot gave the chart.
struct Held {
    bool valid = false;
    quint64 version = 0;          // of the samples
    std::vector<double> depends;  // what else the values were worked out from
    int first = 0;                // the sample at point 0
    int count = 0;                // points
    int subsets = 0;
};

// Readies subsets 0 .. subsets - 1 of the chart for the points of samples
// first .. first + count - 1 and takes them as held. Returns the first point
// still to be written: 0 when every point is, `count` when none is.
int Keep(PeChart& chart, Held& held, int subsets, quint64 version, const std::vector<double>& depends, int first,
         int count);

// A curve's label and colour, and the chart's point count, written only when
// the chart does not already hold them: any other write than points makes the
// next redraw a whole one.
void NameCurve(PeChart& chart, int subset, const QString& label, qint32 colour);
void SetPointCount(PeChart& chart, int count);

// The ticked quantities by number, in order: the curve of the n-th is subset n.
std::vector<int> Ticked(std::span<const bool> ticks);

// A value a curve takes from a sample: subset, sample.
using SampleValue = std::function<double(int subset, const ResultPoint& sample)>;

// Plots the most recent `maxPoints` samples (in time order) on subsets
// 0 .. subsets - 1, one point per sample: X the sample's time in minutes
// (or what `x` gives, when given), Y what `y` gives, each written as a
// single; then the point count and the redraw. `depends` are the kind's own
// figures the values are worked out from (with the ticks that chose the
// curves); the unit system in force is taken with them. With `held` (what
// the last plot into this chart gave it) and the samples' version only what
// is new since is written; without, every point is. No samples: nothing is
// written.
void PlotRecent(PeChart& chart, Held* held, quint64 version, std::vector<double> depends,
                const std::vector<ResultPoint>& samples, int maxPoints, int subsets, const SampleValue& y,
                const SampleValue& x = {});

}  // namespace liveplot
