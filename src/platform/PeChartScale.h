#pragma once
// The arithmetic of the 2-D chart control's scales and ticks, without the
// widget: where the ticks of a linear scale go (automatic or manual range),
// the least span of a Y scale, whether a curve's X only rises, where values
// land on an axis, the thinning of long curves for drawing, and the ticks of a
// drawn Y axis.

#include <QList>
#include <QPointF>
#include <QString>
#include <utility>

class QAbstractAxis;

namespace pechart {

// Where the ticks of a linear scale go: the scale runs from lo to hi, ticks
// at first, first + step, ... up to hi, labelled with `decimals` digits
// after the point.
struct LinearTicks {
    double lo = 0, hi = 1;
    double first = 0, step = 1;
    int decimals = 0;
};

// An automatic scale: ends rounded to whole steps just outside the data, a
// step of 1, 2, 2.5 or 5 times a power of ten giving 3 to maxIntervals steps,
// the one that wastes the least room.
LinearTicks NiceScale(double lo, double hi, int maxIntervals = 10);
// A scale whose ends are fixed (the manual range): ticks at round values
// inside it, 2 to maxIntervals steps.
LinearTicks RoundTicksWithin(double lo, double hi, int maxIntervals = 10);
// A value range widened about its middle to at least a tenth of its largest
// magnitude (a nearly constant curve is drawn flat, not as its noise
// stretched over the whole height); an empty range at 0 becomes -1 .. 1.
std::pair<double, double> WithMinimumSpan(double lo, double hi);
// True when X rises from each point to the next. A subset whose X does not
// (a curve over shear rate or temperature holds the points of several
// cycles, one X shared by many) is drawn as markers without a joining line.
bool XOnlyRises(const QList<QPointF>& points);
// Where the values of an axis land across or down the plot area, in chart
// pixels: offset + scale * v, with v taken as its base-10 logarithm on a log
// axis.
struct AxisMap {
    double offset = 0, scale = 1;
    bool log = false;
    double operator()(double v) const;
};
// A line through many points, thinned for drawing: of every run of
// consecutive points that fall in one pixel column (floor of x's pixel), the
// first, the lowest, the highest and the last, in their order, each once. The
// line through them covers the pixels the line through every point covers.
QList<QPointF> ThinLine(const QList<QPointF>& points, const AxisMap& x);
// Markers thinned for drawing: the first point that falls in each cell of half
// a pixel by half a pixel, in their order. Every point left out lies less
// than half a pixel across and down from one kept.
QList<QPointF> ThinMarkers(const QList<QPointF>& points, const AxisMap& x, const AxisMap& y);
// A tick of a Y scale as drawn: its value, its label (empty for an
// unlabelled minor tick) and whether it is a major one.
struct ScaleTick {
    double value;
    QString text;
    bool major;
};
// The ticks of a Y axis: a linear axis's from its anchor and step; a log
// axis's decades, each with its eight minor ticks (grid lines), 2 and 5 of
// each decade labelled too when the axis spans no more than three decades.
QList<ScaleTick> ScaleTicks(QAbstractAxis* axis);
// Digits after the point that show every multiple of step exactly (at most 6).
int StepDecimals(double step);

}  // namespace pechart
