#pragma once
// The points of a unit window's live chart, brought up to date after a
// recorded sample without writing again what the chart already holds.
//
// A live chart plots the most recent samples of the window's test, one chart
// point per sample on every curve. When the samples have only grown at their
// end since the last plot (the same LiveSamples::Version), the values depend
// on nothing else that changed and the chart still holds what that plot
// wrote, the points of the samples still plotted move down by the number of
// samples that left the window, and only the new samples' points are left to
// write. Otherwise every point is to be written. Either way the chart reads
// back what writing every point gives.

#include <QString>
#include <QtGlobal>
#include <vector>

class PeChart;

namespace liveplot {

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

}  // namespace liveplot
