#pragma once
// The base set-up the unit windows' live charts (rheology, PVT, swell) share:
// the chart emptied, the per-subset settings, and the look all keep (grid,
// fonts, lines, a linear time axis), drawn anew at the end. The kinds differ
// in a few figures and, for the rheology chart, in a few writes of its own.

#include "platform/PeStore.h"

#include <QString>
#include <QtGlobal>

#include <array>

class PeChart;

namespace unitchart {

// No points (with `firstX`, the X value of subset 0's point 0 as well).
void ClearPoints(PeChart& c, bool firstX);

// No points, and subsets 0 .. 3 in the colours given.
void ClearChart(PeChart& c, const std::array<qint32, 4>& colours);

// Properties 134 (all `property134`) and 133 of subsets 0, 2, 4, 1, 3, 5.
void SubsetSettings(PeChart& c, qint32 property134);

// What the kinds' looks differ in.
struct Look {
    qint16 property177 = 20;
    PeValue property203 = true;
    double property204 = 0.8;
    // The rheology chart's: 223 also right after 153, the light grey of 6
    // where the others set 64, and 64 after 66.
    bool rheology = false;
};

// The look, then a redraw.
void SetLook(PeChart& c, const Look& look);

// The titles and the look of the PVT and swell charts, then a redraw;
// `property204` is the one figure these two set apart (property 204).
void StyleChart(PeChart& c, const QString& title, const QString& subtitle, double property204);

}  // namespace unitchart
