// The 2-D chart control as a widget: its chart view, its making, its commands
// (redraw, print, new chart), the Qt chart it shows, its print and the axis
// under a double-click. Its other parts, each in a file of its own: the
// properties (PeChartProperties), the
// curves (PeChartCurves), the axes' ranges and ticks (PeChartAxes), the
// layout fitted to the chart's size (PeChartLayout), the Y scales this
// control draws (PeChartYScales), the legend (PeChartLegend) and the sort of
// a subset's points (PeChartSort).

#include "platform/PeChart.h"

#include <QChart>
#include <QChartView>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QLegend>
#include <QMouseEvent>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QVBoxLayout>
#include <algorithm>

using namespace pesgo;

namespace {

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

QChart* PeChart::chart() const { return chart_; }
QChartView* PeChart::view() const { return view_; }
QAbstractAxis* PeChart::xAxis() const { return xAxis_; }
QList<QAbstractAxis*> PeChart::yAxes() const { return yAxes_; }

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

