#include "platform/PeChart.h"

#include "platform/PeChartScale.h"

#include <QChart>
#include <QChartView>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QLegend>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QTimer>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <tuple>
#include <vector>

using namespace pesgo;
using pechart::XOnlyRises;

namespace {

// Subsets past this number are kept but not drawn.
constexpr int kMaxDrawnSubsets = 1000;
// Markers are drawn on curves of at most this many points.
constexpr int kMarkerLimit = 500;

// Colours of subsets that were given none.
qint32 defaultSubsetColor(int subset) {
    static constexpr qint32 cycle[] = {pepalette::Green, pepalette::Blue, pepalette::LightRed, pepalette::Red,
                                       pepalette::Magenta, pepalette::Cyan, pepalette::Grey, pepalette::Brown};
    const int n = int(sizeof(cycle) / sizeof(cycle[0]));
    return cycle[((subset % n) + n) % n];
}

PeChart::PrintHandler& printHandler() {
    static PeChart::PrintHandler h;
    return h;
}

void printOnDefaultPrinter(PeChart& chart) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    if (!printer.isValid() || printer.printerName().isEmpty()) return;
    chart.print(printer);
}

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

// A Y scale this control draws itself: the chart draws nothing of it.
void hideAxisDrawing(QAbstractAxis* axis) {
    axis->setLabelsVisible(false);
    axis->setTitleVisible(false);
    axis->setLineVisible(false);
    axis->setGridLineVisible(false);
    axis->setMinorGridLineVisible(false);
    axis->setShadesVisible(false);
}

void styleAxis(QAbstractAxis* axis, const QColor& colour) {
    axis->setLinePenColor(colour);
    axis->setLabelsColor(colour);
    axis->setTitleBrush(QBrush(colour));
}

// The ends of a log scale: whole decades around the data (or the manual range).
std::pair<double, double> logEnds(bool valid, double dataLo, double dataHi, bool manual, double manualLo,
                                  double manualHi) {
    double lo = valid ? dataLo : 1.0;
    double hi = valid ? dataHi : 10.0;
    if (manual) {
        if (manualLo > 0) lo = manualLo;
        if (manualHi > 0) hi = manualHi;
        if (lo > hi) std::swap(lo, hi);
    } else {
        lo = std::pow(10.0, std::floor(std::log10(lo)));
        hi = std::pow(10.0, std::ceil(std::log10(hi)));
    }
    if (lo == hi) {
        lo /= 10.0;
        hi *= 10.0;
    }
    return {lo, hi};
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


// Puts the ticks of a linear axis where `t` says, the axis running from lo
// to hi (t's ends, or a little beyond them).
void applyTicks(QValueAxis* axis, const pechart::LinearTicks& t, double lo, double hi) {
    axis->setRange(lo, hi);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(t.first);
    axis->setTickInterval(t.step);
    axis->setLabelFormat(QStringLiteral("%.") + QString::number(t.decimals) + QStringLiteral("f"));
}

}  // namespace

// The chart view: passes double-clicks on the axes to the chart control.
class PeChartView : public QChartView {
public:
    PeChartView(QChart* chart, PeChart* owner) : QChartView(chart, owner), owner_(owner) {}

protected:
    void resizeEvent(QResizeEvent* e) override {
        // The room the scales took at the old size would keep the chart (and,
        // through its minimum size, this view) from shrinking with the window.
        owner_->chart_->setMargins(owner_->baseMargins_);
        QChartView::resizeEvent(e);
        // The chart view keeps the largest minimum size its chart ever had:
        // the room the scales took in a wide window would keep the view from
        // shrinking with a window tiled narrower, the chart cut off at its
        // right. The chart lays itself out for any size the view is given.
        setMinimumSize(0, 0);
        if (qEnvironmentVariableIsSet("DBGW")) fprintf(stderr, "resize view %d x %d chart %g owner %d min %d\n", width(), height(), owner_->chart_->size().width(), owner_->width(), minimumWidth());
        owner_->fitAxes();
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        owner_->handleDoubleClick(e->position().toPoint());
        QChartView::mouseDoubleClickEvent(e);
    }

private:
    PeChart* owner_;
};

PeChart::PeChart(QWidget* parent) : PeControl(Action, parent) {
    store_.addPointProperty(XData);
    store_.addPointProperty(YData);
    store_.setWorkingAxisProperty(WorkingAxis);
    for (int p : {YAxisLabel, YAxisColor, RYAxisSubsets, RYAxisLabel, RYAxisColor}) store_.addAxisProperty(p);

    chart_ = new QChart;
    chart_->setAnimationOptions(QChart::NoAnimation);
    baseMargins_ = chart_->margins();
    chart_->legend()->setAlignment(Qt::AlignBottom);
    // One row of entries, with little room round it: in a low chart (a unit
    // window tiled under another) the X axis needs the height.
    chart_->legend()->setContentsMargins(0, 0, 0, 0);
    if (QGraphicsLayout* l = chart_->legend()->layout()) l->setContentsMargins(0, 0, 0, 0);
    QFont titleFont = chart_->titleFont();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    titleFont.setBold(true);
    chart_->setTitleFont(titleFont);
    view_ = new PeChartView(chart_, this);
    view_->setObjectName(QStringLiteral("chartView"));
    view_->setRenderHint(QPainter::Antialiasing);
    // Every change repaints the whole view: the chart tells the view only the
    // bounds of a curve's points, and the markers reach beyond them, so a
    // curve drawn anew elsewhere would leave the edges of its old markers
    // behind (marks beside the outermost points).
    view_->setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
    // A plot area laid out anew by the chart itself gets its curves thinned
    // for it at the next turn of the event loop.
    connect(chart_, &QChart::plotAreaChanged, this, [this](const QRectF& plot) {
        if (fitting_ || handOverPosted_ || plot == shownPlot_ || curves_.isEmpty()) return;
        handOverPosted_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                handOverPosted_ = false;
                if (!fitting_ && chart_->plotArea() != shownPlot_) handOverPoints();
            },
            Qt::QueuedConnection);
    });
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(view_);
    redraw();
}

PeChart::~PeChart() = default;

// ---------------------------------------------------------------------------
// Writes and reads

void PeChart::beforeWrite(int p) {
    if (p == Subsets) subsetsBefore_ = subsets();
}

void PeChart::afterWrite(int p) {
    if (p == Subsets && subsets() != subsetsBefore_) layoutInForce_ = false;
    if (p == MultiAxesSubsets || p == OverlapMultiAxes) layoutInForce_ = true;
    if (p != XData && p != YData && p != Points && p != Action) onlyPointsWritten_ = false;
    PeControl::afterWrite(p);
}


int PeChart::workingAxis() const { return store_.get(WorkingAxis).toInt(); }
QString PeChart::yAxisLabel(int axis) const { return store_.get(YAxisLabel, axis).toString(); }
qint32 PeChart::yAxisColor(int axis) const {
    return store_.has(YAxisColor, axis) ? store_.get(YAxisColor, axis).toInt() : pepalette::Black;
}
QString PeChart::rightAxisLabel(int axis) const { return store_.get(RYAxisLabel, axis).toString(); }
qint32 PeChart::rightAxisColor(int axis) const {
    return store_.has(RYAxisColor, axis) ? store_.get(RYAxisColor, axis).toInt() : pepalette::Black;
}
int PeChart::rightAxisSubsets(int axis) const { return store_.get(RYAxisSubsets, axis).toInt(); }
int PeChart::subsetsOnAxis(int axis) const { return store_.get(MultiAxesSubsets, axis).toInt(); }
bool PeChart::xLog() const { return store_.get(XAxisScale).toInt() == ScaleLog; }
bool PeChart::yLog() const { return store_.get(YAxisScale).toInt() == ScaleLog; }
bool PeChart::manualYRange() const { return store_.get(ManualScaleControlY).toInt() == ManualRange; }
double PeChart::manualYMax() const { return store_.get(ManualMaxY).toDouble(); }
double PeChart::manualYMin() const { return store_.get(ManualMinY).toDouble(); }
QString PeChart::subsetLabel(int subset) const { return store_.get(SubsetLabel, subset).toString(); }
qint32 PeChart::subsetColor(int subset) const {
    return store_.has(SubsetColor, subset) ? store_.get(SubsetColor, subset).toInt() : defaultSubsetColor(subset);
}
bool PeChart::subsetJoined(int subset) const { return store_.get(SubsetJoined, subset).toBool(); }
float PeChart::xData(int s, int p) const { return store_.pointValue(XData, s, p); }
float PeChart::yData(int s, int p) const { return store_.pointValue(YData, s, p); }
bool PeChart::hasXData(int s, int p) const { return store_.pointWritten(XData, s, p); }
bool PeChart::hasYData(int s, int p) const { return store_.pointWritten(YData, s, p); }

void PeChart::swapPoints(int subset, int a, int b) {
    store_.swapPoints(subset, a, b);
    scheduleRefresh();
}

void PeChart::permutePoints(int subset, const std::vector<int>& order) {
    store_.permutePoints(subset, order);
    scheduleRefresh();
}

// ---------------------------------------------------------------------------
// Commands

void PeChart::command(int value) {
    switch (value) {
        case ActionRedraw:
            redrawAfterWrites();
            break;
        case ActionPrint: {
            if (dirty_) redraw();
            PrintHandler h = printHandler();
            if (h) h(*this);
            else printOnDefaultPrinter(*this);
            break;
        }
        case ActionNewChart:
            onlyPointsWritten_ = false;
            newChart();
            break;
        default:
            break;  // other commands are kept only
    }
}

void PeChart::newChart() {
    store_.clearPoints();
    for (int p : {RYAxisSubsets, RYAxisLabel, RYAxisColor, ManualScaleControlY}) store_.clearProperty(p);
    layoutInForce_ = false;
    scheduleRefresh();
}

PeChart::PrintHandler PeChart::setPrintHandler(PrintHandler h) {
    PrintHandler old = printHandler();
    printHandler() = std::move(h);
    return old;
}


// ---------------------------------------------------------------------------
// Layout and drawing

QList<PeChart::Scale> PeChart::yScales() const {
    const int n = std::clamp(subsets(), 0, kMaxDrawnSubsets);
    // subsets of each axis, in subset order
    QList<QList<int>> axes;
    axes.append(QList<int>());
    int s = 0;
    if (layoutInForce_ && store_.has(MultiAxesSubsets, 0)) {
        axes.clear();
        for (int a = 0; s < n && store_.has(MultiAxesSubsets, a); ++a) {
            const int c = store_.get(MultiAxesSubsets, a).toInt();
            if (c <= 0) break;
            QList<int> mine;
            for (int k = 0; k < c && s < n; ++k) mine.append(s++);
            axes.append(mine);
        }
        if (axes.isEmpty()) axes.append(QList<int>());
    }
    for (; s < n; ++s) axes[0].append(s);  // subsets no axis took stay on axis 0

    QList<Scale> mainScales, rightScales;
    for (int a = 0; a < axes.size(); ++a) {
        const QList<int>& mine = axes[a];
        if (mine.isEmpty()) continue;
        const int r = std::clamp(rightAxisSubsets(a), 0, int(mine.size()) - 1);
        mainScales.append(Scale{a, false, mine.mid(0, mine.size() - r)});
        if (r > 0) rightScales.append(Scale{a, true, mine.mid(mine.size() - r)});
    }
    return mainScales + rightScales;
}

QChart* PeChart::chart() const { return chart_; }
QChartView* PeChart::view() const { return view_; }
QAbstractAxis* PeChart::xAxis() const { return xAxis_; }
QList<QAbstractAxis*> PeChart::yAxes() const { return yAxes_; }

void PeChart::redraw() {
    dirty_ = false;
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

    // Title and subtitle.
    QString title = mainTitle().toHtmlEscaped();
    if (!subTitle().isEmpty()) {
        if (!title.isEmpty()) title += QStringLiteral("<br>");
        title += QStringLiteral("<span style=\"font-weight:normal; font-size:small\">") + subTitle().toHtmlEscaped() +
                 QStringLiteral("</span>");
    }
    titleText_ = title;
    chart_->setTitle(title);

    const bool logX = xLog();
    const bool logY = yLog();
    const int pointCount = std::max(0, points());
    drawnScales_ = yScales();

    // Series, with the value range of each scale. The points reach the series
    // last (handOverPoints), once the chart is laid out.
    Range xRange;
    QList<QList<int>> scaleCurves;
    QList<Range> yRanges;
    int seriesCount = 0;
    for (const Scale& sc : drawnScales_) {
        QList<int> list;
        Range yr;
        for (int s : sc.subsets) {
            auto* series = new QLineSeries;
            series->setName(subsetLabel(s));
            QPen pen(peColor(subsetColor(s)));
            pen.setWidthF(1.5);
            series->setPen(pen);
            QList<QPointF> pts = drawablePoints(*this, s, pointCount, logX, logY, xRange, yr);
            const bool line = subsetJoined(s) || XOnlyRises(pts);
            if (line) {
                series->setPointsVisible(pts.size() <= kMarkerLimit);
            } else {
                // Points of several cycles over one X (shear rate,
                // temperature): a joining line would run back and forth
                // between the cycles, so each point is a marker alone.
                QPen none = series->pen();
                none.setStyle(Qt::NoPen);
                series->setPen(none);
                series->setColor(peColor(subsetColor(s)));
                series->setMarkerSize(5.0);
                series->setPointsVisible(true);
            }
            list.append(int(curves_.size()));
            curves_.append(Curve{series, nullptr, std::move(pts), line, series->pen(), series->markerSize()});
            ++seriesCount;
        }
        scaleCurves.append(list);
        yRanges.append(yr);
    }

    // X axis.
    scaling_.clear();
    xAxis_ = logX ? makeLogAxis(xRange, false, 0, 0) : new QValueAxis;
    scaling_.append(AxisScaling{logX, false, false, xRange.lo, xRange.hi, xRange.valid()});
    xAxis_->setTitleText(xAxisLabel());
    chart_->addAxis(xAxis_, Qt::AlignBottom);

    // Y scales and their series. Only axis 0's main scale draws grid lines:
    // the lines of every other scale would fall between them.
    for (int k = 0; k < drawnScales_.size(); ++k) {
        const Scale& sc = drawnScales_[k];
        const bool manual = !sc.rightHand && sc.axis == 0 && manualYRange();
        const Range& yr = yRanges[k];
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
        for (int c : scaleCurves[k]) {
            QLineSeries* series = curves_[c].series;
            curves_[c].yAxis = axis;
            chart_->addSeries(series);
            series->attachAxis(xAxis_);
            series->attachAxis(axis);
        }
    }
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

namespace {

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

QRectF PeChart::plotForScales(bool* laidOut) const {
    // A chart too small to lay its scales out (see fitAxisFonts) takes them
    // as for the most of its size.
    const QSizeF whole = chart_->size();
    QRectF plot = chart_->plotArea();
    const bool shown = whole.width() >= 50 && whole.height() >= 50 && plot.width() >= 20 && plot.height() >= 20;
    if (!shown) plot = QRectF(QPointF(0, 0), whole * 0.7);
    if (laidOut) *laidOut = shown;
    return plot;
}

double PeChart::edgeRoom() const {
    // The reach of the largest marker drawn (Qt Charts paints a dot of the
    // marker size's diameter with a pen as wide: it reaches the marker size
    // from the point), and a pixel and a half for the smoothing of its edge. Lines alone (curves too long for markers) may
    // run along the plot area's edge, as a curve from the start of a test
    // runs up the Y axis.
    double reach = -1;
    for (const Curve& c : curves_)
        if (c.series->pointsVisible()) reach = std::max(reach, c.markerSize);
    return reach < 0 ? 0.0 : reach + 1.5;
}

namespace {

QStringList tickLabels(const pechart::LinearTicks& t) {
    QStringList out;
    if (!(t.step > 0)) return out;
    for (int k = 0; k < 200; ++k) {
        double v = t.first + k * t.step;
        if (v > t.hi + t.step * 1e-9) break;
        if (std::abs(v) < t.step * 1e-9) v = 0.0;
        out << QString::asprintf("%.*f", t.decimals, v);
    }
    return out;
}

constexpr double kXLabelPadding = 4;  // what the chart keeps beside each X label

}  // namespace

namespace {

// The width between the Y scales an X axis with these labels needs: the
// chart gives each label the plot's width shared by the ticks, less a
// padding on each side, and the title the plot's width; and it may keep up
// to half a label beyond each end of the plot area for the first and last.
double xAxisRoom(const QStringList& labels, const QFontMetricsF& fm, double titleWidth) {
    double widest = 0;
    for (const QString& l : labels) widest = std::max(widest, fm.horizontalAdvance(l));
    return std::ceil(std::max(labels.size() * (widest + 2 * kXLabelPadding), titleWidth) + widest + 2);
}

}  // namespace

double PeChart::xLabelsRoom(const pechart::LinearTicks& t) const {
    return xAxisRoom(tickLabels(t), QFontMetricsF(xAxis_ ? xAxis_->labelsFont() : font()), 0);
}

double PeChart::leastXRoom(int fewestSteps) const {
    if (!xAxis_) return 0;
    const double title = QFontMetricsF(xAxis_->titleFont()).horizontalAdvance(xAxis_->titleText());
    const QFontMetricsF fm(xAxis_->labelsFont());
    double least = std::numeric_limits<double>::infinity();
    if (qobject_cast<QValueAxis*>(xAxis_)) {
        const AxisScaling sc = scaling_.isEmpty() ? AxisScaling{} : scaling_[0];
        const double lo = sc.valid ? sc.lo : 0.0, hi = sc.valid ? sc.hi : 1.0;
        for (int k = fewestSteps; k <= 10; ++k)
            least = std::min(least, xAxisRoom(tickLabels(pechart::NiceScale(lo, hi, k)), fm, title));
    } else {  // a log axis labels its decades
        QStringList decades;
        for (const pechart::ScaleTick& t : pechart::ScaleTicks(xAxis_))
            if (t.major) decades << t.text;
        least = xAxisRoom(decades, fm, title);
    }
    return least;
}

pechart::LinearTicks PeChart::xTicksFitting(double lo, double hi, int most, double width) const {
    // The most round ticks up to `most` steps whose labels have their room,
    // down to two steps.
    for (int k = most; k > 2; --k) {
        const pechart::LinearTicks t = pechart::NiceScale(lo, hi, k);
        if (xLabelsRoom(t) <= width) return t;
    }
    return pechart::NiceScale(lo, hi, 2);
}

int PeChart::applyScales() {
    QList<QAbstractAxis*> axes{xAxis_};
    axes += yAxes_;
    bool laidOut = false;
    const QRectF plot = plotForScales(&laidOut);
    // No room at the ends of a chart whose points are not drawn.
    const double room = laidOut ? edgeRoom() : 0.0;
    // The nearly constant curves of several scales each get a height of their
    // own, the first drawn highest.
    QList<int> flat;
    QList<std::pair<double, double>> flatRanges;
    for (int k = 1; k < axes.size() && k < scaling_.size(); ++k) {
        const AxisScaling& sc = scaling_[k];
        if (!sc.manual && sc.valid && qobject_cast<QValueAxis*>(axes[k]) && pechart::IsFlat(sc.lo, sc.hi)) {
            flat.append(k);
            flatRanges.append({sc.lo, sc.hi});
        }
    }
    const QList<pechart::LinearTicks> flatTicks =
        flat.size() > 1 ? pechart::FlatScales(flatRanges, std::clamp(int(plot.height() / 34.0), 4, 10))
                        : QList<pechart::LinearTicks>();
    // The ticks of each linear axis, worked out before any is applied: the
    // automatic Y scales then keep their curves apart.
    const qsizetype count = std::min(axes.size(), scaling_.size());
    std::vector<pechart::LinearTicks> ticks(size_t(std::max<qsizetype>(count, 0)));
    std::vector<bool> movable(ticks.size(), false);
    int changed = 0;
    for (int k = 0; k < count; ++k) {
        AxisScaling& sc = scaling_[k];
        // The X axis's ends and ticks follow the width planned for the plot
        // area, not the one the chart gives it after the labels in force.
        const double pixels = sc.isY ? plot.height() : xFitWidth_ > 0 ? xFitWidth_ : plot.width();
        if (auto* l = qobject_cast<QLogValueAxis*>(axes[k])) {
            if (sc.manual) {  // as built: the manual range
                sc.roundLo = l->min();
                sc.roundHi = l->max();
                continue;
            }
            const auto [lo, hi] = logEnds(sc.valid, sc.lo, sc.hi, false, 0, 0);
            sc.roundLo = lo;
            sc.roundHi = hi;
            const auto [from, to] = sc.valid ? pechart::RoomAtEnds(lo, hi, sc.lo, sc.hi, pixels, room, true)
                                             : std::make_pair(lo, hi);
            if (l->min() != from || l->max() != to) {
                l->setRange(from, to);
                changed |= sc.isY ? kYChanged : kXChanged;
            }
            continue;
        }
        auto* axis = qobject_cast<QValueAxis*>(axes[k]);
        if (!axis) continue;
        // About one tick label per 70 pixels across and per 34 pixels up.
        const int intervals = std::clamp(int(sc.isY ? pixels / 34.0 : pixels / 70.0), 4, 10);
        pechart::LinearTicks& t = ticks[size_t(k)];
        if (sc.manual) {
            double lo = sc.lo, hi = sc.hi;
            if (lo > hi) std::swap(lo, hi);
            if (lo == hi) {
                lo -= 1.0;
                hi += 1.0;
            }
            t = pechart::RoundTicksWithin(lo, hi, intervals);
        } else {
            double lo = sc.valid ? sc.lo : 0.0;
            double hi = sc.valid ? sc.hi : 1.0;
            if (!sc.valid) {
                // no values yet: 0 to 1 in halves, short labels in a narrow chart
                t = pechart::NiceScale(lo, hi, 2);
            } else if (!sc.isY) {
                t = xTicksFitting(lo, hi, intervals, pixels);
            } else if (const qsizetype slot = flat.indexOf(k); slot >= 0 && slot < flatTicks.size()) {
                t = flatTicks[slot];
            } else {
                movable[size_t(k)] = !pechart::IsFlat(lo, hi);
                std::tie(lo, hi) = pechart::WithMinimumSpan(lo, hi);
                t = pechart::NiceScale(lo, hi, intervals);
            }
        }
    }
    keepCurvesApart(axes, ticks, movable, plot.height());
    for (int k = 0; k < count; ++k) {
        auto* axis = qobject_cast<QValueAxis*>(axes[k]);
        if (!axis) continue;
        AxisScaling& sc = scaling_[k];
        const double pixels = sc.isY ? plot.height() : xFitWidth_ > 0 ? xFitWidth_ : plot.width();
        const pechart::LinearTicks& t = ticks[size_t(k)];
        double from = t.lo, to = t.hi;
        if (!sc.manual && sc.valid) std::tie(from, to) = pechart::RoomAtEnds(t.lo, t.hi, sc.lo, sc.hi, pixels, room);
        // (the chart lays the plot area out after where the axes' labels lie,
        // hidden or not: a new range counts too)
        if (sc.roundLo != t.lo || sc.roundHi != t.hi || axis->tickInterval() != t.step ||
            axis->tickAnchor() != t.first || axis->min() != from || axis->max() != to)
            changed |= sc.isY ? kYChanged : kXChanged;
        sc.roundLo = t.lo;
        sc.roundHi = t.hi;
        applyTicks(axis, t, from, to);
    }
    return changed;
}

void PeChart::keepCurvesApart(const QList<QAbstractAxis*>& axes, std::vector<pechart::LinearTicks>& ticks,
                              const std::vector<bool>& movable, double pixels) {
    // Only curves on scales of their own can be kept apart by their scales.
    if (axes.size() < 3 || curves_.size() < 2 || ticks.empty() || scaling_.isEmpty() || !scaling_[0].valid ||
        std::none_of(movable.begin(), movable.end(), [](bool m) { return m; }))
        return;
    // The courses run across the X axis as drawn: its ends move only when
    // the values cross a tick, so a live curve's course moves on with it.
    constexpr int kColumns = 200;
    double xlo = ticks[0].lo, xhi = ticks[0].hi;
    pechart::AxisMap map;
    if (auto* l = qobject_cast<QLogValueAxis*>(axes[0])) {
        map.log = true;
        xlo = std::log10(std::max(l->min(), 1e-300));
        xhi = std::log10(std::max(l->max(), 1e-300));
    }
    map.scale = xhi > xlo ? (kColumns - 1e-9) / (xhi - xlo) : 0.0;
    map.offset = xhi > xlo ? -xlo * map.scale : kColumns / 2.0;
    if (!coursesTraced_ || !(map == courseMap_)) traceCourses(map, kColumns);
    if (courses_.size() != size_t(curves_.size())) return;
    // The layout asks again and again for the same, and a live chart's new
    // point often changes none of it: worked out once.
    std::vector<double> from{pixels};
    for (size_t k = 0; k < ticks.size(); ++k) {
        const pechart::LinearTicks& t = ticks[k];
        from.insert(from.end(), {t.lo, t.hi, t.first, t.step, double(t.decimals), double(movable[k])});
        if (k > 0 && int(k) < scaling_.size()) from.insert(from.end(), {scaling_[int(k)].lo, scaling_[int(k)].hi});
        if (auto* l = qobject_cast<QLogValueAxis*>(axes[int(k)])) from.insert(from.end(), {l->min(), l->max()});
    }
    if (from == apartFrom_ && apartTicks_.size() == ticks.size()) {
        ticks = apartTicks_;
        return;
    }
    QList<pechart::ScaleCourses> scales;
    QList<int> index;
    for (int k = 1; k < int(ticks.size()); ++k) {
        pechart::ScaleCourses sc;
        for (qsizetype c = 0; c < curves_.size(); ++c)
            if (curves_[c].yAxis == axes[k] && !courses_[size_t(c)].empty()) sc.curves.append(&courses_[size_t(c)]);
        if (sc.curves.isEmpty()) continue;
        sc.movable = movable[size_t(k)];
        sc.ticks = ticks[size_t(k)];
        if (auto* l = qobject_cast<QLogValueAxis*>(axes[k])) {
            sc.log = true;
            sc.lo = l->min();
            sc.hi = l->max();
        } else {
            sc.lo = scaling_[k].lo;
            sc.hi = scaling_[k].hi;
        }
        scales.append(sc);
        index.append(k);
    }
    const int intervals = std::clamp(int(pixels / 34.0), 4, 10);
    const QList<pechart::LinearTicks> apart = pechart::ScalesApart(scales, pixels, intervals);
    for (qsizetype j = 0; j < index.size() && j < apart.size(); ++j)
        if (scales[j].movable) ticks[size_t(index[j])] = apart[j];
    apartFrom_ = std::move(from);
    apartTicks_ = ticks;
}

void PeChart::traceCourses(const pechart::AxisMap& map, int columns) {
    coursesTraced_ = true;
    // Courses traced with the same map from points the curves still begin
    // with move on with them; the others are traced anew.
    const bool movesOn =
        courses_.size() == size_t(curves_.size()) && coursePoints_.size() == courses_.size() && map == courseMap_;
    courseMap_ = map;
    courses_.resize(size_t(curves_.size()));
    coursePoints_.resize(size_t(curves_.size()));
    bool changed = !movesOn;
    for (qsizetype c = 0; c < curves_.size(); ++c) {
        pechart::CurveCourse& course = courses_[size_t(c)];
        QList<QPointF>& traced = coursePoints_[size_t(c)];
        const Curve& curve = curves_[c];
        if (movesOn && traced.constData() == curve.points.constData() && traced.size() == curve.points.size())
            continue;  // the very points traced
        const std::vector<double> lo = course.lo, hi = course.hi;
        if (!movesOn || !pechart::CourseMovedOn(course, traced, curve.points, curve.line, map, columns))
            course = pechart::CourseOf(curve.points, curve.line, map, columns);
        traced = curve.points;
        changed = changed || lo.size() != course.lo.size() ||
                  std::memcmp(lo.data(), course.lo.data(), lo.size() * sizeof(double)) != 0 ||
                  std::memcmp(hi.data(), course.hi.data(), hi.size() * sizeof(double)) != 0;
    }
    if (changed) apartFrom_.clear();
}

bool PeChart::shownYRange(double& lo, double& hi) const {
    if (yAxes_.isEmpty() || drawnScales_.isEmpty() || drawnScales_[0].axis != 0 || drawnScales_[0].rightHand ||
        scaling_.size() < 2)
        return false;
    lo = scaling_[1].roundLo;
    hi = scaling_[1].roundHi;
    return true;
}


void PeChart::fitAxes() {
    if (fitting_) return;
    withholdPoints();
    applyScales();
    fitAxisFonts();
    handOverPoints();
}

bool PeChart::xAxisTextsCut() const {
    if (!chart_->scene()) return false;
    const QRectF plot = chart_->mapRectToScene(chart_->plotArea());
    for (QGraphicsItem* item : chart_->scene()->items()) {
        auto* text = dynamic_cast<QGraphicsTextItem*>(item);
        if (!text || !text->isVisible() || chart_->legend()->isAncestorOf(text)) continue;
        const QPointF c = text->sceneBoundingRect().center();
        if (c.y() <= plot.bottom() || c.x() < plot.left() || c.x() > plot.right()) continue;
        const QString t = text->toPlainText();
        if (t.endsWith(QLatin1String("...")) || t.contains(QChar(0x2026))) return true;
    }
    return false;
}

QStringList PeChart::cutAxisTexts() const {
    QStringList cut;
    if (!chart_->scene()) return cut;
    const QRectF plot = chart_->mapRectToScene(chart_->plotArea());
    for (QGraphicsItem* item : chart_->scene()->items()) {
        auto* text = dynamic_cast<QGraphicsTextItem*>(item);
        if (!text || !text->isVisible() || chart_->legend()->isAncestorOf(text)) continue;
        const QPointF c = text->sceneBoundingRect().center();
        // beside the plot area: the Y scales' labels and titles; below it,
        // the X axis's
        const bool beside = (c.x() < plot.left() || c.x() > plot.right()) && c.y() >= plot.top() && c.y() <= plot.bottom();
        const bool below = c.y() > plot.bottom() && c.x() >= plot.left() && c.x() <= plot.right();
        if (!beside && !below) continue;
        const QString t = text->toPlainText();
        if (t.endsWith(QLatin1String("...")) || t.contains(QChar(0x2026))) cut.append(t);
    }
    return cut + cutScaleTexts_;
}

// ---------------------------------------------------------------------------
// The Y scales
//
// The Qt chart gives all its vertical axes together at most a fixed share of
// its width and cuts their labels and titles beyond it: seven scales in a
// window-sized chart show "1..." and "...". So the Y scales are drawn here:
// the Qt axes stay attached to their curves (they map the values) but are not
// shown, the plot area is set to leave each scale the room its labels and
// title need, and each scale is drawn in its band beside the plot area, the
// first one next to it. Only axis 0's main scale draws grid lines.

namespace {

constexpr double kTick = 4;     // tick length
constexpr double kGap = 3;      // between tick, labels and title
constexpr double kSmallestPt = 7.5;
constexpr qreal kGridZ = 2;     // above the plot area, below the curves
constexpr qreal kScaleZ = 3;


using pechart::ScaleTick;
QList<ScaleTick> ticksOf(QAbstractAxis* axis) { return pechart::ScaleTicks(axis); }

// Where a value lies between the bottom (0) and the top (1) of an axis.
double fractionOf(QAbstractAxis* axis, double v) {
    if (auto* l = qobject_cast<QLogValueAxis*>(axis)) {
        const double lo = std::log10(l->min()), hi = std::log10(l->max());
        return hi > lo ? (std::log10(v) - lo) / (hi - lo) : 0.0;
    }
    if (auto* a = qobject_cast<QValueAxis*>(axis)) return a->max() > a->min() ? (v - a->min()) / (a->max() - a->min()) : 0.0;
    return 0.0;
}

QFont scaleFont(const QFont& base, double pt, bool bold) {
    QFont f(base);
    f.setPointSizeF(pt);
    f.setBold(bold);
    return f;
}

}  // namespace

int PeChart::scaleWidthNeeded(QAbstractAxis* axis, double pt, bool titled) const {
    const QFontMetricsF labels(scaleFont(font(), pt, false));
    const QFontMetricsF title(scaleFont(font(), pt, true));
    double widest = 0;
    for (const ScaleTick& t : ticksOf(axis)) widest = std::max(widest, labels.horizontalAdvance(t.text));
    // tick, labels, title; a scale without its title (a chart too narrow)
    // has its labels a gap from the next scale's line
    if (!titled) return int(std::ceil(kTick + kGap + widest + kGap));
    const double titleRoom = axis->titleText().isEmpty() ? 0.0 : title.height() + kGap;
    return int(std::ceil(kTick + kGap + widest + kGap + titleRoom + kGap));
}

void PeChart::clearScaleItems() {
    for (QGraphicsItem* item : scaleItems_) delete item;
    scaleItems_.clear();
    scaleBands_.clear();
    cutScaleTexts_.clear();
}

void PeChart::fitLegendFont() {
    // The legend is one row under the plot: its entries shrink their text
    // (down to 7 pt) before the legend cuts them to "...".
    QLegend* legend = chart_->legend();
    if (legendBaseFont_.pointSizeF() <= 0) legendBaseFont_ = legend->font();
    if (!legend->isVisible()) return;
    QStringList names;
    for (QAbstractSeries* series : chart_->series())
        if (series->isVisible() && !series->name().isEmpty()) names << series->name();
    const double room = chart_->size().width() - 24;
    QFont font = legendBaseFont_;
    for (double size = legendBaseFont_.pointSizeF(); size >= 7.0; size -= 0.5) {
        font.setPointSizeF(size);
        const QFontMetricsF fm(font);
        double needed = 0;
        for (const QString& name : names) needed += fm.horizontalAdvance(name) + 2.6 * fm.height();
        if (needed <= room) break;
    }
    if (legend->font() != font) legend->setFont(font);
}

void PeChart::fitAxisFonts() {
    if (fitting_) return;
    fitting_ = true;
    clearScaleItems();
    // The legend takes the whole width under the X axis, so its entries are
    // not cut to the width the scales leave to the plot area: this control
    // places it, the chart keeping its room as a margin below.
    QLegend* legend = chart_->legend();
    if (legend->isAttachedToChart()) legend->detachFromChart();
    legend->setVisible(legendWanted_);
    fitLegendFont();
    if (chart_->title() != titleText_) chart_->setTitle(titleText_);
    chart_->setMargins(baseMargins_);  // the chart lays out title and X axis
    if (QGraphicsLayout* l = chart_->layout()) l->activate();
    const QRectF whole = chart_->rect();
    if (yAxes_.isEmpty() || whole.width() < 50 || whole.height() < 50) {
        xFitWidth_ = 0;
        applyScales();  // the ends fitted to the plot area as laid out
        fitting_ = false;
        return;
    }
    for (QAbstractAxis* axis : yAxes_) hideAxisDrawing(axis);  // drawn below, not by the chart

    // The text size: the widget's, smaller (down to a smallest readable one)
    // while the scales would take more than half the width.
    const double full = font().pointSizeF() > 0 ? font().pointSizeF() : 9.0;
    // A narrow or a low chart (a unit window tiled beside or under another)
    // keeps only a little margin on those sides: the room goes to the scales
    // and to the X axis.
    QMargins m = baseMargins_;
    if (whole.width() < 640) {
        m.setLeft(std::min(m.left(), 6));
        m.setRight(std::min(m.right(), 6));
    }
    if (whole.height() < 320) {
        m.setTop(0);
        m.setBottom(0);
    }
    double legendRoom = legendHeightFor(whole.width() - 8);
    const auto withLegend = [&](QMargins margins) {
        margins.setBottom(margins.bottom() + int(std::ceil(legendRoom)));
        return margins;
    };
    // A chart too low for its title and its X axis whole (a unit window tiled
    // under another) is laid out once more without the title (the window
    // names its test).
    for (int attempt = 0; attempt < 2; ++attempt) {
    for (int pass = 0;; ++pass) {
        double pt = full;
        QList<int> widths;
        int total = 0;
        for (;; pt -= 0.5) {
            widths.clear();
            total = 0;
            for (QAbstractAxis* axis : yAxes_) total += widths.emplace_back(scaleWidthNeeded(axis, pt, true));
            if (total <= 0.5 * whole.width() || pt - 0.5 < kSmallestPt) break;
        }
        if (xAxis_) {
            xAxis_->setLabelsFont(scaleFont(xAxis_->labelsFont(), pt, false));
            xAxis_->setTitleFont(scaleFont(xAxis_->titleFont(), pt, true));
        }
        // the plot area the chart lays out itself, for the X labels in force
        chart_->setMargins(withLegend(m));
        settleLayout();
        const QRectF automatic = chart_->plotArea();
        double least = std::max(40.0, 0.15 * whole.width());
        // The X axis keeps its title and its labels whole: the plot area is at
        // least as wide as the title and as the labels of the fewest ticks
        // (three steps). A chart too narrow for its Y scales beside that, even at
        // the smallest text (seven scales in a window tiled beside another),
        // draws them without their titles (the legend and the scales' colours
        // name the curves), and where they have no room even so, the X axis
        // takes two steps.
        // Titles longer than the plot area is high are left out too.
        const QFontMetricsF titleMetrics(scaleFont(font(), pt, true));
        bool titlesFit = true;
        for (QAbstractAxis* axis : yAxes_)
            titlesFit = titlesFit && titleMetrics.horizontalAdvance(axis->titleText()) <= automatic.height() - 2;
        bool titled = true;
        bool twoSteps = false;
        if (xAxis_) {
            const double avail = whole.width() - m.left() - m.right();
            double xRoom = leastXRoom(3);
            if (total + xRoom > avail - 6 || !titlesFit) {  // (with a little to spare)
                titled = false;
                widths.clear();
                total = 0;
                for (QAbstractAxis* axis : yAxes_) total += widths.emplace_back(scaleWidthNeeded(axis, pt, false));
                twoSteps = true;  // decided below, once the room beside the plot area is known
                // the legend names the curves the scales do not
                const bool named = std::any_of(curves_.begin(), curves_.end(),
                                               [](const Curve& c) { return !c.series->name().isEmpty(); });
                if (named && !legend->isVisible()) {
                    legend->setVisible(true);
                    fitLegendFont();
                    legendRoom = legendHeightFor(whole.width() - 8);
                }
            }
            least = std::max(least, xRoom);
        }

        // The room beside the plot area: the chart's margin grows by what the
        // scales need beyond the little the chart keeps for its hidden axes, so
        // that the chart itself lays out the plot area, X axis and curves there.
        double needLeft = 0, needRight = 0;
        for (int k = 0; k < yAxes_.size(); ++k)
            (yAxes_[k]->alignment() == Qt::AlignRight ? needRight : needLeft) += widths[k];
        const double keptLeft = automatic.left() - (whole.left() + m.left());
        const double keptRight = (whole.right() - m.right()) - automatic.right();
        double extraLeft = std::max(0.0, needLeft - keptLeft), extraRight = std::max(0.0, needRight - keptRight);
        // A chart too small for its scales keeps some plot area: the scales
        // move out, into the chart's margins. Where they would leave the
        // chart, the X axis takes two steps if that leaves more room.
        const auto cutFor = [&](double plotLeast, double& cutLeft, double& cutRight) {
            const double over = plotLeast - (automatic.width() - extraLeft - extraRight);
            const double cut = std::clamp(over, 0.0, extraLeft + extraRight);
            const double share = extraLeft + extraRight > 0 ? extraLeft / (extraLeft + extraRight) : 0.5;
            cutLeft = cut * share;
            cutRight = cut * (1 - share);
            return cutLeft <= m.left() && cutRight <= m.right();
        };
        double cutLeft = 0, cutRight = 0;
        if (!cutFor(least, cutLeft, cutRight) && twoSteps) {
            least = std::max(std::max(40.0, 0.15 * whole.width()), std::min(least, leastXRoom(2)));
            cutFor(least, cutLeft, cutRight);
        }
        extraLeft -= cutLeft;
        extraRight -= cutRight;
        chart_->setMargins(withLegend(QMargins(m.left() + int(std::ceil(extraLeft)), m.top(),
                                               m.right() + int(std::ceil(extraRight)), m.bottom())));
        // The width the X axis's ticks are chosen for: between the scales as
        // planned, whatever room the chart now keeps for the labels in force.
        const double avail = whole.width() - m.left() - m.right();
        xFitWidth_ = std::max(avail - needLeft - needRight, std::min(least, avail));
        settleLayout();
        if (qEnvironmentVariableIsSet("DBGW")) fprintf(stderr, "pass %d whole %g chart %g min %g margins %d %d plot %g..%g least %g needs %g %g extras %g %g titled %d legend %g min %g xaxis min %g\n", pass, whole.width(), chart_->size().width(), chart_->minimumSize().width(), chart_->margins().left(), chart_->margins().right(), chart_->plotArea().left(), chart_->plotArea().right(), least, needLeft, needRight, extraLeft, extraRight, titled, chart_->legend()->size().width(), chart_->legend()->minimumSize().width(), xAxis_ ? 0.0 : 0.0);
        scaleWidths_ = widths;
        scalesTitled_ = titled;
        scalePt_ = pt;
        // The scales' ends and the X ticks fitted to the plot area as now laid
        // out; new Y ticks need other room beside it, new X labels other room
        // at its ends: laid out once more.
        if (applyScales() == 0 || pass >= 2) break;
    }
    if (attempt > 0 || !isVisible() || chart_->title().isEmpty() || !xAxisTextsCut()) break;
    chart_->setTitle(QString());
    }
    drawScaleItems();
    const QRectF plot = chart_->plotArea();
    if (legend->isVisible()) {
        legend->setGeometry(
            QRectF(whole.left() + 4, whole.bottom() - m.bottom() - legendRoom, whole.width() - 8, legendRoom));
        if (QGraphicsLayout* l = legend->layout()) l->activate();
        legend->update();
    }
    // A plot area the chart laid out anew meanwhile: the scales follow it.
    if (chart_->plotArea() != plot) {
        applyScales();
        drawScaleItems();
    }
    fitting_ = false;
}

double PeChart::legendHeightFor(double width) {
    // The height of the rows the legend's entries take at that width: laid
    // out, then made as high as its entries reach.
    QLegend* legend = chart_->legend();
    if (!legend->isVisible() || width <= 0) return 0;
    const auto content = [legend] {
        QRectF r;
        QList<QGraphicsItem*> items = legend->childItems();
        while (!items.isEmpty()) {
            QGraphicsItem* item = items.takeLast();
            items += item->childItems();
            if (auto* t = dynamic_cast<QGraphicsTextItem*>(item); t && t->isVisible())
                r |= legend->mapRectFromItem(t, t->boundingRect());
        }
        return r;
    };
    double height = std::max(40.0, chart_->size().height());
    for (int pass = 0; pass < 4; ++pass) {
        legend->setGeometry(QRectF(0, 0, width, height));
        if (QGraphicsLayout* l = legend->layout()) l->activate();
        const QRectF r = content();
        if (!r.isValid()) return 0;
        const double spill = std::max(0.0, -r.top()) + std::max(0.0, r.bottom() - legend->size().height());
        if (pass > 0 && spill <= 0) break;
        qreal left = 0, top = 0, right = 0, bottom = 0;
        if (QGraphicsLayout* l = legend->layout()) l->getContentsMargins(&left, &top, &right, &bottom);
        height = std::ceil(std::max({pass == 0 ? r.height() + top + bottom + 2 : height + 2 * spill,
                                     legend->effectiveSizeHint(Qt::MinimumSize).height()}));
    }
    return height;
}

void PeChart::settleLayout() {
    // The chart places the X axis's labels after the plot area it laid out
    // last, and the plot area after the labels: laid out again until the two
    // agree.
    QGraphicsLayout* l = chart_->layout();
    if (!l) return;
    l->activate();
    for (int k = 0; k < 3; ++k) {
        const QRectF before = chart_->plotArea();
        l->invalidate();
        l->activate();
        if (chart_->plotArea() == before) break;
    }
}

void PeChart::drawScaleItems() {
    clearScaleItems();
    const QRectF whole = chart_->rect();
    const QRectF plot = chart_->plotArea();
    if (scaleWidths_.size() != yAxes_.size()) return;
    const QList<int>& widths = scaleWidths_;
    const bool titled = scalesTitled_;
    const double pt = scalePt_;
    const QFont labelFont = scaleFont(font(), pt, false);
    const QFont titleFont = scaleFont(font(), pt, true);
    const QFontMetricsF lm(labelFont), tm(titleFont);
    double nextLeft = plot.left(), nextRight = plot.right();
    for (int k = 0; k < yAxes_.size(); ++k) {
        QAbstractAxis* axis = yAxes_[k];
        const bool onRight = axis->alignment() == Qt::AlignRight;
        const double w = widths[k];
        const double x0 = onRight ? nextRight : nextLeft - w;
        const double x1 = x0 + w;
        (onRight ? nextRight : nextLeft) += onRight ? w : -w;
        scaleBands_.append({x0, x1});
        const double line = onRight ? x0 : x1;
        const double dir = onRight ? 1.0 : -1.0;
        const QColor colour = axis->linePenColor();
        QPen pen(colour);
        pen.setWidthF(1.0);

        auto* axisLine = new QGraphicsLineItem(line, plot.top(), line, plot.bottom(), chart_);
        axisLine->setPen(pen);
        axisLine->setZValue(kScaleZ);
        scaleItems_.append(axisLine);
        double lastLabelY = std::numeric_limits<double>::infinity();
        for (const ScaleTick& t : ticksOf(axis)) {
            const double y = plot.bottom() - fractionOf(axis, t.value) * plot.height();
            if (y < plot.top() - 0.5 || y > plot.bottom() + 0.5) continue;
            if (k == 0) {  // axis 0 draws the grid
                QPen grid(QColor(0xd8, 0xd8, 0xd8));
                grid.setWidthF(1.0);
                if (!t.major) grid.setStyle(Qt::DashLine);
                auto* g = new QGraphicsLineItem(plot.left(), y, plot.right(), y, chart_);
                g->setPen(grid);
                g->setZValue(kGridZ);
                scaleItems_.append(g);
            }
            auto* tick = new QGraphicsLineItem(line, y, line + dir * (t.major ? kTick : kTick / 2), y, chart_);
            tick->setPen(pen);
            tick->setZValue(kScaleZ);
            scaleItems_.append(tick);
            if (t.text.isEmpty()) continue;
            // A label that would run into the one below it is left out.
            if (std::abs(lastLabelY - y) < lm.height() * 0.9) continue;
            lastLabelY = y;
            auto* label = new QGraphicsSimpleTextItem(t.text, chart_);
            label->setFont(labelFont);
            label->setBrush(axis->labelsColor());
            const double tw = lm.horizontalAdvance(t.text);
            const double lx = onRight ? line + kTick + kGap : line - kTick - kGap - tw;
            label->setPos(lx, y - lm.height() / 2);
            label->setZValue(kScaleZ);
            scaleItems_.append(label);
        }
        const QString title = axis->titleText();
        if (titled && !title.isEmpty()) {
            const QString shown = tm.elidedText(title, Qt::ElideRight, plot.height());
            if (shown != title) cutScaleTexts_.append(shown);
            auto* text = new QGraphicsSimpleTextItem(shown, chart_);
            text->setFont(titleFont);
            text->setBrush(axis->titleBrush());
            const double tw = tm.horizontalAdvance(shown);
            if (onRight) {
                text->setRotation(90);
                text->setPos(x1 - kGap, plot.center().y() - tw / 2);
            } else {
                text->setRotation(-90);
                text->setPos(x0 + kGap, plot.center().y() + tw / 2);
            }
            text->setZValue(kScaleZ);
            scaleItems_.append(text);
        }
    }
    // Scales pushed off the chart by a plot area too small for them.
    for (QGraphicsItem* item : scaleItems_)
        if (auto* t = dynamic_cast<QGraphicsSimpleTextItem*>(item))
            if (!whole.adjusted(-0.5, -0.5, 0.5, 0.5).contains(t->mapRectToParent(t->boundingRect())))
                cutScaleTexts_.append(t->text());
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

// ---------------------------------------------------------------------------
// Printing

void PeChart::layoutChartFor(const QSizeF& size) {
    chart_->setGeometry(QRectF(QPointF(0, 0), size));
    if (QGraphicsLayout* l = chart_->layout()) l->activate();
    fitAxes();
}

bool PeChart::print(QPrinter& printer) {
    if (dirty_) redraw();
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const QRectF target(0, 0, page.width(), page.height());
    // Lay the chart out at screen scale in the page's proportions, then scale
    // it onto the page.
    const double logicalWidth = 1000.0;
    const QSizeF logical(logicalWidth, logicalWidth * target.height() / std::max(1.0, target.width()));
    const QRectF oldGeometry = chart_->geometry();
    thin_ = false;  // the page shows finer than the screen: every point
    layoutChartFor(logical);
    chart_->scene()->render(&painter, target, QRectF(QPointF(0, 0), logical), Qt::KeepAspectRatio);
    painter.end();
    thin_ = true;
    layoutChartFor(oldGeometry.size());
    return true;
}

bool PeChart::printToPdf(const QString& fileName) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    printer.setPageOrientation(QPageLayout::Landscape);
    return print(printer);
}

// ---------------------------------------------------------------------------
// Axis event

bool PeChart::axisAt(const QPoint& viewPos, short& a, short& b) const {
    const QPointF pos = chart_->mapFromScene(view_->mapToScene(viewPos));
    const QRectF plot = chart_->plotArea();
    const QRectF whole = chart_->rect();
    if (plot.isEmpty()) return false;
    const bool besideY = pos.y() >= plot.top() && pos.y() <= plot.bottom();
    if (pos.x() >= plot.left() && pos.x() <= plot.right() && pos.y() > plot.bottom() && pos.y() <= whole.bottom()) {
        a = 1;
        b = 0;
        return true;
    }
    if (!besideY) return false;
    QList<int> left, right;  // positions in drawnScales_
    for (int k = 0; k < drawnScales_.size(); ++k) (drawnScales_[k].rightHand ? right : left).append(k);
    // Scales on one side share the room between the plot area and the edge;
    // the first one lies next to the plot area.
    auto pick = [&](const QList<int>& side, double distance, double room) -> int {
        if (side.isEmpty() || room <= 0 || distance < 0 || distance > room) return -1;
        const int k = std::min(int(side.size()) - 1, int(distance / (room / side.size())));
        return side[k];
    };
    int k = -1;
    // The band each scale is drawn in; the outermost band on a side reaches
    // to the chart's edge.
    if (scaleBands_.size() == drawnScales_.size() && !scaleBands_.isEmpty()) {
        for (int j = 0; j < scaleBands_.size() && k < 0; ++j) {
            const QList<int>& side = drawnScales_[j].rightHand ? right : left;
            const bool outermost = !side.isEmpty() && side.last() == j;
            double x0 = scaleBands_[j].x0, x1 = scaleBands_[j].x1;
            if (outermost) (drawnScales_[j].rightHand ? x1 : x0) = drawnScales_[j].rightHand ? whole.right() : whole.left();
            if (pos.x() >= x0 && pos.x() <= x1) k = j;
        }
        if (k < 0) return false;
        a = 0;
        b = short(k);
        return true;
    }
    if (pos.x() < plot.left()) k = pick(left, plot.left() - pos.x(), plot.left() - whole.left());
    else if (pos.x() > plot.right()) k = pick(right, pos.x() - plot.right(), whole.right() - plot.right());
    if (k < 0) return false;
    a = 0;
    b = short(k);
    return true;
}

void PeChart::handleDoubleClick(const QPoint& viewPos) {
    short a = 0, b = 0;
    if (axisAt(viewPos, a, b)) emit axisEvent(a, b);
}

// ---------------------------------------------------------------------------

// The exchange sort compares position i with every later position j in turn
// and exchanges the two points when X(j) < X(i). What it does to points of
// equal X can be told without making its exchanges (n * n / 2 comparisons,
// and on a long test millions of exchanges):
// - a NaN is less than nothing and nothing is less than a NaN: NaN points stay
//   where they are and the others are sorted around them;
// - the points of one X value m, in their first order, end in this order: they
//   join a queue one after the other in position order, and every point of
//   smaller X met after the first of them (in position order) moves the
//   queue's first point to its end; the queue is the final order.
// (Before the passes reach m, each pass places one smaller point; a point of
// value m moves only when no smaller point lies before it, and then it jumps
// to the place of the first smaller point after it, past the m points
// between.) Counting the smaller points between with a Fenwick tree and
// placing the queue's insertions offline gives the exchange sort's result in
// n log n steps; a randomized test compares the two on many subsets.
namespace {

std::vector<int> ExchangeSortOrder(const std::vector<float>& x) {
    const int n = int(x.size());
    std::vector<int> order(static_cast<size_t>(n));
    for (int p = 0; p < n; ++p) order[size_t(p)] = p;
    std::vector<int> q;  // positions that take part (not NaN)
    q.reserve(size_t(n));
    for (int p = 0; p < n; ++p)
        if (!std::isnan(x[size_t(p)])) q.push_back(p);
    const int m = int(q.size());
    if (m <= 1) return order;
    const auto key = [&](int k) { const float v = x[size_t(q[size_t(k)])]; return v == 0.0f ? 0.0f : v; };
    std::vector<int> byValue(static_cast<size_t>(m));
    {
        // (value, k) pairs sorted together: by value, then by position
        std::vector<std::pair<float, int>> keyed(static_cast<size_t>(m));
        for (int k = 0; k < m; ++k) keyed[size_t(k)] = {key(k), k};
        std::sort(keyed.begin(), keyed.end());
        for (int k = 0; k < m; ++k) byValue[size_t(k)] = keyed[size_t(k)].second;
    }
    // Fenwick tree over k: the points of smaller value met so far.
    std::vector<int> smaller(static_cast<size_t>(m + 1), 0);
    const auto addSmaller = [&](int k) { for (++k; k <= m; k += k & -k) ++smaller[size_t(k)]; };
    const auto countBelow = [&](int k) { int c = 0; for (; k > 0; k -= k & -k) c += smaller[size_t(k)]; return c; };  // in [0, k)
    std::vector<int> insertAt, slotTree, placed, finalOrder;
    int out = 0;
    for (int g = 0; g < m;) {
        int h = g;
        while (h < m && key(byValue[size_t(h)]) == key(byValue[size_t(g)])) ++h;
        const int c = h - g;
        // The group's points join a queue in position order; every smaller
        // point after the first of them moves the queue's front to its back.
        insertAt.assign(size_t(c), 0);
        long long front = 0;
        for (int t = 0; t < c; ++t) {
            const int k = byValue[size_t(g + t)];
            const int next = t + 1 < c ? byValue[size_t(g + t + 1)] : m;
            insertAt[size_t(t)] = int(front);
            const int size = t + 1;
            front = (front + 1) % size;
            const int rotations = countBelow(next) - countBelow(k + 1);
            front = (front + rotations) % size;
        }
        // Where each insertion ends in the final array: the latest insertion
        // takes its index among the free slots, then the earlier ones.
        slotTree.assign(size_t(c + 1), 0);
        for (int s = 1; s <= c; ++s) { slotTree[size_t(s)] += 1; const int up = s + (s & -s); if (up <= c) slotTree[size_t(up)] += slotTree[size_t(s)]; }
        int logc = 1; while ((1 << logc) <= c) ++logc;
        placed.assign(size_t(c), 0);
        for (int t = c - 1; t >= 0; --t) {
            // the (insertAt[t] + 1)-th free slot
            int pos = 0, rem = insertAt[size_t(t)] + 1;
            for (int step = 1 << logc; step > 0; step >>= 1) {
                const int nx = pos + step;
                if (nx <= c && slotTree[size_t(nx)] < rem) { pos = nx; rem -= slotTree[size_t(nx)]; }
            }
            // pos + 1 is the slot (1-based)
            placed[size_t(pos)] = byValue[size_t(g + t)];
            for (int s = pos + 1; s <= c; s += s & -s) --slotTree[size_t(s)];
        }
        for (int j = 0; j < c; ++j) order[size_t(q[size_t(out++)])] = q[size_t(placed[size_t((front + j) % c)])];
        for (int t = g; t < h; ++t) addSmaller(byValue[size_t(t)]);
        g = h;
    }
    return order;
}

}  // namespace

void SortChartSubset(PeChart& chart, int s, int n) {
    if (n <= 1) return;
    std::vector<float> x(static_cast<size_t>(n));
    for (int p = 0; p < n; ++p) x[size_t(p)] = chart.xData(s, p);
    chart.permutePoints(s, ExchangeSortOrder(x));
}
