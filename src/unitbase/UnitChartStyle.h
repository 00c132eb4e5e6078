#pragma once
// The set-up the PVT and swell windows' live charts share: the chart emptied
// with its four curve colours, and the look both keep (grid, fonts, lines,
// a linear time axis), drawn anew at the end.

#include <QString>
#include <QtGlobal>

#include <array>

class PeChart;

namespace unitchart {

// The chart's property numbers that only the base set-up uses, by value.
enum BaseProp : int {
    P13 = 13, P29 = 29, P43 = 43, P48 = 48, P64 = 64, P66 = 66, P93 = 93, P98 = 98, P133 = 133, P134 = 134,
    P137 = 137, P140 = 140, P141 = 141, P142 = 142, P143 = 143, P153 = 153, P177 = 177, P203 = 203, P204 = 204,
    P223 = 223, P226 = 226, P228 = 228,
};

// No points, and subsets 0 .. 3 in the colours given.
void ClearChart(PeChart& c, const std::array<qint32, 4>& colours);

// The titles and the shared look, then a redraw; `property204` is the one
// figure the two charts set apart (property 204).
void StyleChart(PeChart& c, const QString& title, const QString& subtitle, double property204);

}  // namespace unitchart
