// The 2-D chart control's curves: the Qt chart built anew from the properties
// (redraw), the curves' points handed to their series thinned for the plot
// area, the curves that would hide one another set apart, and the redraw
// after writes of points alone.

#include "platform/PeChart.h"
#include "platform/PeChartParts.h"
#include "platform/PeChartScale.h"

#include <QChart>
#include <QLegend>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

using namespace pesgo;
using namespace pechart::parts;
using pechart::XOnlyRises;

namespace {

// Markers are drawn on curves of at most this many points.
constexpr int kMarkerLimit = 500;

struct Range {
    double lo = std::numeric_limits<double>::infinity();
    double hi = -std::numeric_limits<double>::infinity();
    bool valid() const { return lo <= hi; }
    void add(double v) {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
};

// The points of subset s that can be drawn, in their order: both values
// written and finite, and above 0 on a log scale; their values widen x and y.
QList<QPointF> drawablePoints(const PeChart& c, int s, int pointCount, bool logX, bool logY, Range& xr, Range& yr) {
    QList<QPointF> pts;
    pts.reserve(pointCount);
    for (int p = 0; p < pointCount; ++p) {
        if (!c.hasXData(s, p) || !c.hasYData(s, p)) continue;
        const double x = c.xData(s, p), y = c.yData(s, p);
        if (!std::isfinite(x) || !std::isfinite(y)) continue;
        if (logX && x <= 0) continue;
        if (logY && y <= 0) continue;
        pts.append(QPointF(x, y));
        xr.add(x);
        yr.add(y);
    }
    return pts;
}

void styleAxis(QAbstractAxis* axis, const QColor& colour) {
    axis->setLinePenColor(colour);
    axis->setLabelsColor(colour);
    axis->setTitleBrush(QBrush(colour));
}

// A log scale from whole decades around the data (or the manual range),
// with the eight minor grid lines of each decade.
QAbstractAxis* makeLogAxis(Range r, bool manual, double manualLo, double manualHi) {
    auto* axis = new QLogValueAxis;
    axis->setBase(10.0);
    axis->setLabelFormat(QStringLiteral("%g"));
    const auto [lo, hi] = logEnds(r.valid(), r.lo, r.hi, manual, manualLo, manualHi);
    axis->setRange(lo, hi);
    axis->setMinorTickCount(8);
    axis->setMinorGridLineVisible(true);
    return axis;
}

// A curve's series, as set up before the chart holds it: a line (its markers
// shown on a short curve), or markers alone.
QLineSeries* newSeries(const QString& name, const QColor& colour, bool line, bool shortCurve) {
    auto* series = new QLineSeries;
    series->setName(name);
    QPen pen(colour);
    pen.setWidthF(1.5);
    series->setPen(pen);
    if (line) {
        series->setPointsVisible(shortCurve);
    } else {
        // Points of several cycles over one X (shear rate,
        // temperature): a joining line would run back and forth
        // between the cycles, so each point is a marker alone.
        QPen none = series->pen();
        none.setStyle(Qt::NoPen);
        series->setPen(none);
        series->setColor(colour);
        series->setMarkerSize(5.0);
        series->setPointsVisible(true);
    }
    return series;
}

// Where an axis puts its values between `from` (its minimum) and `to`.
pechart::AxisMap mapOf(QAbstractAxis* axis, double from, double to) {
    pechart::AxisMap m;
    double lo = 0, hi = 1;
    if (auto* l = qobject_cast<QLogValueAxis*>(axis)) {
        m.log = true;
        lo = l->min() > 0 ? std::log10(l->min()) : 0.0;
        hi = l->max() > 0 ? std::log10(l->max()) : 1.0;
    } else if (auto* v = qobject_cast<QValueAxis*>(axis)) {
        lo = v->min();
        hi = v->max();
    }
    if (!(hi > lo)) hi = lo + 1;
    m.scale = (to - from) / (hi - lo);
    m.offset = from - lo * m.scale;
    return m;
}

}  // namespace

// The curves as built by redraw(): the values' ranges, and which curves each
// Y scale draws.
struct PeChart::Ranges {
    Range x;                   // of every curve
    QList<Range> y;            // per entry of drawnScales_
    QList<QList<int>> curves;  // per entry of drawnScales_: positions in curves_
};

void PeChart::redraw() {
    dirty_ = false;
    clearDrawing();
    setTitleText();
    const bool logX = xLog();
    const bool logY = yLog();
    drawnScales_ = yScales();
    // Series, with the value range of each scale. The points reach the series
    // last (handOverPoints), once the chart is laid out.
    Ranges ranges;
    const int seriesCount = buildCurves(logX, logY, ranges);
    addXAxis(logX, ranges);
    addYScales(logY, ranges);
    // The look each curve was given, as the chart holds it once the curve is
    // on it (its marker size follows the pen there).
    for (Curve& c : curves_) {
        c.pen = c.series->pen();
        c.markerSize = c.series->markerSize();
    }
    legendWanted_ = seriesCount > 1;
    chart_->legend()->setVisible(legendWanted_);
    // new curves: their courses are traced anew
    courses_.clear();
    coursePoints_.clear();
    apartFrom_.clear();
    coursesTraced_ = false;
    applyScales();
    fitAxisFonts();
    handOverPoints();
}

void PeChart::clearDrawing() {
    clearScaleItems();
    curves_.clear();
    shownPlot_ = QRectF();
    chart_->removeAllSeries();
    for (QAbstractAxis* axis : chart_->axes()) {
        // Hidden first: the chart lets go of an axis's drawing only at the
        // next turn of the event loop.
        axis->setVisible(false);
        chart_->removeAxis(axis);
        delete axis;
    }
    xAxis_ = nullptr;
    yAxes_.clear();
}

void PeChart::setTitleText() {
    // Title and subtitle.
    QString title = mainTitle().toHtmlEscaped();
    if (!subTitle().isEmpty()) {
        if (!title.isEmpty()) title += QStringLiteral("<br>");
        title += QStringLiteral("<span style=\"font-weight:normal; font-size:small\">") + subTitle().toHtmlEscaped() +
                 QStringLiteral("</span>");
    }
    titleText_ = title;
    chart_->setTitle(title);
}

int PeChart::buildCurves(bool logX, bool logY, Ranges& ranges) {
    const int pointCount = std::max(0, points());
    int seriesCount = 0;
    for (const Scale& sc : drawnScales_) {
        QList<int> list;
        Range yr;
        for (int s : sc.subsets) {
            QList<QPointF> pts = drawablePoints(*this, s, pointCount, logX, logY, ranges.x, yr);
            const bool line = subsetJoined(s) || XOnlyRises(pts);
            QLineSeries* series = newSeries(subsetLabel(s), peColor(subsetColor(s)), line, pts.size() <= kMarkerLimit);
            list.append(int(curves_.size()));
            curves_.append(Curve{series, nullptr, std::move(pts), line, series->pen(), series->markerSize()});
            ++seriesCount;
        }
        ranges.curves.append(list);
        ranges.y.append(yr);
    }
    return seriesCount;
}

void PeChart::addXAxis(bool logX, const Ranges& ranges) {
    const Range& xRange = ranges.x;
    scaling_.clear();
    xAxis_ = logX ? makeLogAxis(xRange, false, 0, 0) : new QValueAxis;
    scaling_.append(AxisScaling{logX, false, false, xRange.lo, xRange.hi, xRange.valid()});
    xAxis_->setTitleText(xAxisLabel());
    chart_->addAxis(xAxis_, Qt::AlignBottom);
}

void PeChart::addYScales(bool logY, const Ranges& ranges) {
    // Y scales and their series. Only axis 0's main scale draws grid lines:
    // the lines of every other scale would fall between them.
    for (int k = 0; k < drawnScales_.size(); ++k) {
        const Scale& sc = drawnScales_[k];
        const bool manual = !sc.rightHand && sc.axis == 0 && manualYRange();
        const Range& yr = ranges.y[k];
        QAbstractAxis* axis = logY ? makeLogAxis(yr, manual, manualYMin(), manualYMax()) : new QValueAxis;
        if (manual)
            scaling_.append(AxisScaling{logY, true, true, manualYMin(), manualYMax(), true});
        else
            scaling_.append(AxisScaling{logY, false, true, yr.lo, yr.hi, yr.valid()});
        if (k > 0) {
            axis->setGridLineVisible(false);
            axis->setMinorGridLineVisible(false);
        }
        axis->setTitleText(sc.rightHand ? rightAxisLabel(sc.axis) : yAxisLabel(sc.axis));
        styleAxis(axis, peColor(sc.rightHand ? rightAxisColor(sc.axis) : yAxisColor(sc.axis)));
        // Drawn by this control (see fitAxisFonts), never by the chart: shown
        // for a moment, seven scales would make the chart wider than a narrow
        // window, and it would stay so.
        hideAxisDrawing(axis);
        chart_->addAxis(axis, sc.rightHand ? Qt::AlignRight : Qt::AlignLeft);
        yAxes_.append(axis);
        for (int c : ranges.curves[k]) {
            QLineSeries* series = curves_[c].series;
            curves_[c].yAxis = axis;
            chart_->addSeries(series);
            series->attachAxis(xAxis_);
            series->attachAxis(axis);
        }
    }
}

void PeChart::withholdPoints() {
    // A layout recomputes the drawing of every point a series holds: the long
    // curves are emptied while the chart is laid out again.
    for (Curve& c : curves_)
        if (c.series->count() > kMarkerLimit) c.series->clear();
    shownPlot_ = QRectF();
}

void PeChart::handOverPoints() {
    QRectF plot = chart_->plotArea();
    shownPlot_ = plot;
    // A chart not laid out yet is thinned as if 1,000 pixels square.
    if (plot.width() < 1 || plot.height() < 1) plot = QRectF(0, 0, 1000, 1000);
    // Each curve's points as handed over, in pixels of the plot area.
    QList<pechart::CurvePixels> drawn;
    drawn.reserve(curves_.size());
    for (Curve& c : curves_) {
        QList<QPointF> thinned;
        const QList<QPointF>* handed = &c.points;
        if (c.points.size() <= kMarkerLimit) {
            if (c.series->points() != c.points) c.series->replace(c.points);
        } else if (!thin_ || !c.yAxis || !xAxis_) {
            c.series->replace(c.points);
        } else {
            const pechart::AxisMap x = mapOf(xAxis_, plot.left(), plot.right());
            const pechart::AxisMap y = mapOf(c.yAxis, plot.bottom(), plot.top());
            thinned = c.line ? pechart::ThinLine(c.points, x) : pechart::ThinMarkers(c.points, x, y);
            c.series->replace(thinned);
            handed = &thinned;
        }
        pechart::CurvePixels pixels;
        pixels.line = c.line;
        if (curves_.size() > 1 && c.yAxis && xAxis_) {
            const pechart::AxisMap x = mapOf(xAxis_, 0, plot.width());
            const pechart::AxisMap y = mapOf(c.yAxis, plot.height(), 0);
            pixels.points.reserve(handed->size());
            for (const QPointF& p : *handed) pixels.points.append(QPointF(x(p.x()), y(p.y())));
        }
        drawn.append(std::move(pixels));
    }
    setCurvesApart(drawn, plot.size());
}

void PeChart::setCurvesApart(const QList<pechart::CurvePixels>& drawn, const QSizeF& plot) {
    const QList<pechart::Coinciding> apart = pechart::CoincidingCurves(drawn, plot.width(), plot.height());
    for (qsizetype k = 0; k < curves_.size() && k < apart.size(); ++k) {
        Curve& c = curves_[k];
        const pechart::Coinciding a = apart[k];
        if (c.rank == a.rank && c.of == a.of) continue;
        c.rank = a.rank;
        c.of = a.of;
        QPen pen = c.pen;
        double marker = c.markerSize;
        if (a.of > 1 && c.line) {
            // The lines beneath wider, each by a pen and a half more than the
            // one over it: every one shows, the ones beneath as a border
            // round the ones over them.
            pen.setWidthF(c.pen.widthF() * (1 + 1.5 * (a.of - 1 - a.rank)));
        } else if (a.of > 1 && !c.line) {
            // Markers over other markers smaller: the ones beneath show round them.
            marker = std::max(2.0, c.markerSize - 1.5 * a.rank);
        }
        c.series->setPen(pen);
        c.series->setMarkerSize(marker);
    }
}

// ---------------------------------------------------------------------------
// Redrawing after new points
//
// A live chart gets a point more on every recorded sample. Rebuilding the
// whole Qt chart for it (new series, new axes, the scales' fonts fitted
// again) costs many times what handing the curves their points does, and the
// axes only change when a range crosses a tick. So after writes of points
// alone the series keep their axes and take the new points, and the scales
// are laid out again only when what applyScales() gives them differs from
// what they show.

void PeChart::redrawAfterWrites() {
    if (!onlyPointsWritten_ || !redrawPoints()) redraw();
    onlyPointsWritten_ = true;
}

bool PeChart::redrawPoints() {
    // A log scale keeps the decades it was built with: a full redraw.
    if (!xAxis_ || xLog() || yLog() || scaling_.size() != yAxes_.size() + 1 || drawnScales_.size() != yAxes_.size())
        return false;
    const int pointCount = std::max(0, points());
    Range xRange;
    QList<Range> yRanges;
    QList<QList<QPointF>> curves;
    curves.reserve(curves_.size());
    for (const Scale& sc : drawnScales_) {
        Range yr;
        for (int s : sc.subsets) {
            const qsizetype k = curves.size();
            if (k >= curves_.size()) return false;
            QList<QPointF> pts = drawablePoints(*this, s, pointCount, false, false, xRange, yr);
            // a curve that turns from a line into markers or back is drawn anew
            if ((subsetJoined(s) || XOnlyRises(pts)) != curves_[k].line) return false;
            curves.append(std::move(pts));
        }
        yRanges.append(yr);
    }
    if (curves.size() != curves_.size()) return false;

    dirty_ = false;
    scaling_[0].lo = xRange.lo;
    scaling_[0].hi = xRange.hi;
    scaling_[0].valid = xRange.valid();
    for (int a = 0; a < yRanges.size(); ++a) {
        AxisScaling& sc = scaling_[a + 1];
        if (sc.manual) continue;
        sc.lo = yRanges[a].lo;
        sc.hi = yRanges[a].hi;
        sc.valid = yRanges[a].valid();
    }
    for (qsizetype c = 0; c < curves.size(); ++c) {
        Curve& curve = curves_[c];
        curve.points = std::move(curves[c]);
        if (curve.line) curve.series->setPointsVisible(curve.points.size() <= kMarkerLimit);
    }
    coursesTraced_ = false;
    // An axis whose range grows many times over would first put a label at
    // every one of its old steps: it starts from the fixed ticks instead.
    const QList<QAbstractAxis*> axes = QList<QAbstractAxis*>{xAxis_} + yAxes_;
    for (int a = 0; a < axes.size(); ++a) {
        auto* v = qobject_cast<QValueAxis*>(axes[a]);
        const AxisScaling& sc = scaling_[a];
        if (v && sc.valid && v->tickType() == QValueAxis::TicksDynamic && v->tickInterval() > 0 &&
            (sc.hi - sc.lo) / v->tickInterval() > 100)
            v->setTickType(QValueAxis::TicksFixed);
    }
    // The long curves are emptied before the axes change (a new range makes
    // the chart recompute every point's drawing) and get their points, thinned
    // as a full redraw thins them, once the scales are laid out.
    withholdPoints();
    if (applyScales() != 0) fitAxisFonts();
    handOverPoints();
    return true;
}
