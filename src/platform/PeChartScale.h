#pragma once
// The arithmetic of the 2-D chart control's scales and ticks, without the
// widget: where the ticks of a linear scale go (automatic or manual range),
// the least span of a Y scale and the scales of nearly constant curves, the
// room at a scale's ends, whether a curve's X only rises, where values land
// on an axis, the thinning of long curves for drawing, the ticks of a drawn
// Y axis, the courses of curves (a live curve's moving on with its points),
// the scales that keep curves apart and the curves that would hide one
// another.

#include <QList>
#include <QPointF>
#include <QString>
#include <utility>
#include <vector>

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
// step of 1, 2, 2.5 or 5 times a power of ten giving 3 to maxIntervals steps
// (maxIntervals to 3 when it is below 3, at least 1), the one that wastes the
// least room.
LinearTicks NiceScale(double lo, double hi, int maxIntervals = 10);
// The automatic scales of several nearly constant curves (ranges that
// WithMinimumSpan widens), in drawing order: each a NiceScale scale of its
// widened range (3 to maxIntervals steps) moved by whole steps, the values
// strictly inside, chosen so that the curves lie at heights apart from one
// another (the first highest), as far as the heights such scales give allow.
// One over another they would hide one another.
QList<LinearTicks> FlatScales(const QList<std::pair<double, double>>& ranges, int maxIntervals = 10);
// True when WithMinimumSpan widens the range.
bool IsFlat(double lo, double hi);
// The ends of a scale drawn `pixels` long moved out by `room` pixels where
// the values lo .. hi come closer than that to them: a marker at the values'
// extremes is drawn whole inside the plot area. Ends the values keep the
// room from stay; on a log scale (`log`) the same in decades. The ticks stay
// where they were, and the ends while the values change but a little.
std::pair<double, double> RoomAtEnds(double scaleLo, double scaleHi, double lo, double hi, double pixels,
                                     double room, bool log = false);
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
    bool operator==(const AxisMap&) const = default;
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
// each decade labelled too when the axis holds no more than three whole
// decades.
QList<ScaleTick> ScaleTicks(QAbstractAxis* axis);
// Digits after the point that show every multiple of step exactly (at most 6).
int StepDecimals(double step);

// The course of a curve across the plot, coarse: in each of `bins` equal
// columns of the X axis (X mapped by `x` onto 0 .. bins), the lowest and the
// highest value the curve takes there; a line through the points takes the
// values between two points in the columns it crosses. A column the curve
// does not reach holds NaN in both. A curve of many points is read at every
// k-th point and its last, some 16 points a column: a coarse course.
struct CurveCourse {
    std::vector<double> lo, hi;
    qsizetype points = 0;           // of the curve traced
    bool everyPointRising = false;  // read at every point, X rising all along
    bool empty() const;
};
CurveCourse CourseOf(const QList<QPointF>& points, bool line, const AxisMap& x, int bins);
// A live curve moving on: the course of `after` from that of `before` (as
// CourseOf traced it, with the same line, map and columns), where `after` is
// `before` less some of its first points and with points added at its end,
// X rising all along, each read at every point. Only the columns of the
// points gone and of those added are traced again; the course is the one
// CourseOf gives `after`. False, the course untouched, for any other change.
bool CourseMovedOn(CurveCourse& course, const QList<QPointF>& before, const QList<QPointF>& after, bool line,
                   const AxisMap& x, int bins);

// Automatic scales that keep curves apart. Curves on scales of their own
// (on other Y axes, or on the right-hand scale of one) lie one over another
// where their scales put their values at one height: values that hold at
// round numbers sit on the top of every scale that ends there, and values
// that rise together (a speed, its shear rate and stress) on the same
// heights all along. Each scale is given with the courses of its curves, the
// ticks it takes by itself (or the range a scale that may not move runs over,
// a log scale's decades) and whether it may take other ticks: an automatic
// linear scale of values that are not nearly constant. Curves lie over others
// where they run within `near` pixels of them (the plot `pixels` high) for a
// twentieth of the X axis or more, such stretches making a tenth of their
// course (curves that cross meet for a few columns; a column a curve crosses
// steeply or fills with its noise does not count), and wherever they run
// along an end of the plot together (curves do not cross there). The scales
// that may not move are placed first; then, in drawing order, each scale that
// may takes its own ticks when its curves lie over none of those placed, and
// otherwise the round scale that leaves them the least over them, the
// tighter first: 3 to maxIntervals steps of NiceScale's sizes, ending at
// whole steps round its values, at most two and a half times its own span,
// not below 0 for values that are not negative nor above 0 for values that
// are not positive, and with labels no wider than its own. Returns the ticks
// of every scale.
struct ScaleCourses {
    QList<const CurveCourse*> curves;
    LinearTicks ticks;        // its own ticks (or the range of a manual scale)
    bool movable = false;     // an automatic linear scale
    bool log = false;         // a log scale running from lo to hi
    double lo = 0, hi = 1;    // the values' range (a log scale: its ends)
};
QList<LinearTicks> ScalesApart(const QList<ScaleCourses>& scales, double pixels, int maxIntervals,
                               double near = 4);

// Curves that would hide one another. Each curve is given as drawn, in
// drawing order (the later drawn over the earlier): its points in pixels of
// the plot area and whether a line joins them. A curve is hidden when nearly
// all it paints (nine tenths of it, to within about three pixels) lies under
// curves drawn after it. A hidden curve and the curves that cover it make a
// group; each curve of a group gets its place in drawing order (`rank`, from
// 0) and the group's size (`of`). Curves of no group have `of` 1.
struct CurvePixels {
    QList<QPointF> points;
    bool line = true;
};
struct Coinciding {
    int rank = 0;
    int of = 1;
    bool operator==(const Coinciding&) const = default;
};
QList<Coinciding> CoincidingCurves(const QList<CurvePixels>& curves, double width, double height);

}  // namespace pechart
