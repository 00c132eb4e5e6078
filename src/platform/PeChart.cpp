#include "platform/PeChart.h"

#include <QChart>
#include <QChartView>
#include <QGraphicsLayout>
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
#include <array>
#include <cmath>
#include <limits>
#include <vector>

using namespace pesgo;

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

void styleAxis(QAbstractAxis* axis, const QColor& colour) {
    axis->setLinePenColor(colour);
    axis->setLabelsColor(colour);
    axis->setTitleBrush(QBrush(colour));
}

QAbstractAxis* makeAxis(bool log, Range r, bool manual, double manualLo, double manualHi) {
    if (log) {
        auto* axis = new QLogValueAxis;
        axis->setBase(10.0);
        axis->setLabelFormat(QStringLiteral("%g"));
        double lo = r.valid() ? r.lo : 1.0;
        double hi = r.valid() ? r.hi : 10.0;
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
        axis->setRange(lo, hi);
        return axis;
    }
    auto* axis = new QValueAxis;
    if (manual) {
        double lo = manualLo, hi = manualHi;
        if (lo > hi) std::swap(lo, hi);
        if (lo == hi) {
            lo -= 1.0;
            hi += 1.0;
        }
        axis->setRange(lo, hi);
        return axis;
    }
    double lo = r.valid() ? r.lo : 0.0;
    double hi = r.valid() ? r.hi : 1.0;
    if (lo == hi) {
        const double pad = lo == 0.0 ? 1.0 : std::abs(lo) * 0.1;
        lo -= pad;
        hi += pad;
    }
    axis->setRange(lo, hi);
    axis->applyNiceNumbers();
    return axis;
}

}  // namespace

// The chart view: passes double-clicks on the axes to the chart control.
class PeChartView : public QChartView {
public:
    PeChartView(QChart* chart, PeChart* owner) : QChartView(chart, owner), owner_(owner) {}

protected:
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
    chart_->legend()->setAlignment(Qt::AlignBottom);
    QFont titleFont = chart_->titleFont();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    titleFont.setBold(true);
    chart_->setTitleFont(titleFont);
    view_ = new PeChartView(chart_, this);
    view_->setObjectName(QStringLiteral("chartView"));
    view_->setRenderHint(QPainter::Antialiasing);
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
            redraw();
            break;
        case ActionPrint: {
            if (dirty_) redraw();
            PrintHandler h = printHandler();
            if (h) h(*this);
            else printOnDefaultPrinter(*this);
            break;
        }
        case ActionNewChart:
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
    chart_->removeAllSeries();
    for (QAbstractAxis* axis : chart_->axes()) {
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
    chart_->setTitle(title);

    const bool logX = xLog();
    const bool logY = yLog();
    const int pointCount = std::max(0, points());
    drawnScales_ = yScales();

    // Series, with the value range of each scale.
    Range xRange;
    QList<QList<QLineSeries*>> scaleSeries;
    QList<Range> yRanges;
    int seriesCount = 0;
    for (const Scale& sc : drawnScales_) {
        QList<QLineSeries*> list;
        Range yr;
        for (int s : sc.subsets) {
            auto* series = new QLineSeries;
            series->setName(subsetLabel(s));
            QPen pen(peColor(subsetColor(s)));
            pen.setWidthF(1.5);
            series->setPen(pen);
            QList<QPointF> pts;
            for (int p = 0; p < pointCount; ++p) {
                if (!hasXData(s, p) || !hasYData(s, p)) continue;
                const double x = xData(s, p), y = yData(s, p);
                if (!std::isfinite(x) || !std::isfinite(y)) continue;
                if (logX && x <= 0) continue;
                if (logY && y <= 0) continue;
                pts.append(QPointF(x, y));
                xRange.add(x);
                yr.add(y);
            }
            series->replace(pts);
            series->setPointsVisible(pts.size() <= kMarkerLimit);
            list.append(series);
            ++seriesCount;
        }
        scaleSeries.append(list);
        yRanges.append(yr);
    }

    // X axis.
    xAxis_ = makeAxis(logX, xRange, false, 0, 0);
    xAxis_->setTitleText(xAxisLabel());
    chart_->addAxis(xAxis_, Qt::AlignBottom);

    // Y scales and their series.
    for (int k = 0; k < drawnScales_.size(); ++k) {
        const Scale& sc = drawnScales_[k];
        const bool manual = !sc.rightHand && sc.axis == 0 && manualYRange();
        QAbstractAxis* axis = makeAxis(logY, yRanges[k], manual, manualYMin(), manualYMax());
        axis->setTitleText(sc.rightHand ? rightAxisLabel(sc.axis) : yAxisLabel(sc.axis));
        styleAxis(axis, peColor(sc.rightHand ? rightAxisColor(sc.axis) : yAxisColor(sc.axis)));
        chart_->addAxis(axis, sc.rightHand ? Qt::AlignRight : Qt::AlignLeft);
        yAxes_.append(axis);
        for (QLineSeries* series : scaleSeries[k]) {
            chart_->addSeries(series);
            series->attachAxis(xAxis_);
            series->attachAxis(axis);
        }
    }
    chart_->legend()->setVisible(seriesCount > 1);
}

// ---------------------------------------------------------------------------
// Printing

void PeChart::layoutChartFor(const QSizeF& size) {
    chart_->setGeometry(QRectF(QPointF(0, 0), size));
    if (QGraphicsLayout* l = chart_->layout()) l->activate();
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
    layoutChartFor(logical);
    chart_->scene()->render(&painter, target, QRectF(QPointF(0, 0), logical), Qt::KeepAspectRatio);
    painter.end();
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
    for (int k = 0; k < m; ++k) byValue[size_t(k)] = k;
    std::sort(byValue.begin(), byValue.end(), [&](int a, int b) {
        const float ka = key(a), kb = key(b);
        return ka < kb || (ka == kb && a < b);
    });
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
