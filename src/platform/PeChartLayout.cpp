// The 2-D chart control's layout: the plot area, the chart's margins and the
// axes' text size fitted to the chart's size (fitAxes, fitAxisFonts), so that
// every Y scale has the room its labels and title need beside the plot area
// and the X axis its labels and title whole; and the axis texts cut short.

#include "platform/PeChart.h"
#include "platform/PeChartParts.h"

#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QLegend>
#include <QLineSeries>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

using namespace pechart::parts;

namespace {

constexpr double kSmallestPt = 7.5;  // the smallest readable text of the axes

// The margins of a chart of that size: a narrow or a low chart (a unit
// window tiled beside or under another) keeps only a little margin on those
// sides: the room goes to the scales and to the X axis.
QMargins marginsAtSize(QMargins m, const QRectF& whole) {
    if (whole.width() < 640) {
        m.setLeft(std::min(m.left(), 6));
        m.setRight(std::min(m.right(), 6));
    }
    if (whole.height() < 320) {
        m.setTop(0);
        m.setBottom(0);
    }
    return m;
}

}  // namespace

void PeChart::fitAxes() {
    if (fitting_) return;
    withholdPoints();
    applyScales();
    fitAxisFonts();
    handOverPoints();
}

bool PeChart::xAxisTextsCut() const { return !chartTextsCut(false).isEmpty(); }

QStringList PeChart::cutAxisTexts() const { return chartTextsCut(true) + cutScaleTexts_; }

QStringList PeChart::chartTextsCut(bool besideToo) const {
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
        if (!(beside && besideToo) && !below) continue;
        const QString t = text->toPlainText();
        if (t.endsWith(QLatin1String("...")) || t.contains(QChar(0x2026))) cut.append(t);
    }
    return cut;
}

void PeChart::fitAxisFonts() {
    if (fitting_) return;
    fitting_ = true;
    clearScaleItems();
    detachLegend();
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
    const QMargins m = marginsAtSize(baseMargins_, whole);
    double legendRoom = legendHeightFor(whole.width() - 8);
    // A chart too low for its title and its X axis whole (a unit window tiled
    // under another) is laid out once more without the title (the window
    // names its test).
    for (int attempt = 0; attempt < 2; ++attempt) {
        for (int pass = 0;; ++pass) {
            layOutScales(whole, m, legendRoom);
            // The scales' ends and the X ticks fitted to the plot area as now
            // laid out; new Y ticks need other room beside it, new X labels
            // other room at its ends: laid out once more.
            if (applyScales() == 0 || pass >= 2) break;
        }
        if (attempt > 0 || !isVisible() || chart_->title().isEmpty() || !xAxisTextsCut()) break;
        chart_->setTitle(QString());
    }
    drawScaleItems();
    const QRectF plot = chart_->plotArea();
    placeLegend(whole, m, legendRoom);
    // A plot area the chart laid out anew meanwhile: the scales follow it.
    if (chart_->plotArea() != plot) {
        applyScales();
        drawScaleItems();
    }
    fitting_ = false;
}

void PeChart::layOutScales(const QRectF& whole, const QMargins& m, double& legendRoom) {
    const auto withLegend = [&](QMargins margins) {
        margins.setBottom(margins.bottom() + int(std::ceil(legendRoom)));
        return margins;
    };
    QList<int> widths;
    int total = 0;
    const double pt = scaleTextSize(whole.width(), widths, total);
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
    const bool titlesFit = scaleTitlesFit(pt, automatic.height());
    bool titled = true;
    bool twoSteps = false;
    if (xAxis_) {
        const double avail = whole.width() - m.left() - m.right();
        double xRoom = leastXRoom(3);
        if (total + xRoom > avail - 6 || !titlesFit) {  // (with a little to spare)
            titled = false;
            total = scaleWidthsAt(pt, false, widths);
            twoSteps = true;  // decided below, once the room beside the plot area is known
            nameUntitledCurves(whole.width() - 8, legendRoom);
        }
        least = std::max(least, xRoom);
    }
    const PlotRoom room = roomBesidePlot(whole, m, automatic, widths, least, twoSteps);
    chart_->setMargins(withLegend(room.margins));
    xFitWidth_ = room.xWidth;
    settleLayout();
    scaleWidths_ = widths;
    scalesTitled_ = titled;
    scalePt_ = pt;
}

double PeChart::scaleTextSize(double chartWidth, QList<int>& widths, int& total) const {
    // The widget's, smaller (down to a smallest readable one) while the
    // scales would take more than half the width.
    const double full = font().pointSizeF() > 0 ? font().pointSizeF() : 9.0;
    double pt = full;
    for (;; pt -= 0.5) {
        total = scaleWidthsAt(pt, true, widths);
        if (total <= 0.5 * chartWidth || pt - 0.5 < kSmallestPt) break;
    }
    return pt;
}

bool PeChart::scaleTitlesFit(double pt, double plotHeight) const {
    const QFontMetricsF titleMetrics(scaleFont(font(), pt, true));
    bool titlesFit = true;
    for (QAbstractAxis* axis : yAxes_)
        titlesFit = titlesFit && titleMetrics.horizontalAdvance(axis->titleText()) <= plotHeight - 2;
    return titlesFit;
}

PeChart::PlotRoom PeChart::roomBesidePlot(const QRectF& whole, const QMargins& m, const QRectF& automatic,
                                          const QList<int>& widths, double least, bool twoSteps) const {
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
    PlotRoom room;
    room.margins = QMargins(m.left() + int(std::ceil(extraLeft)), m.top(), m.right() + int(std::ceil(extraRight)),
                            m.bottom());
    // The width the X axis's ticks are chosen for: between the scales as
    // planned, whatever room the chart now keeps for the labels in force.
    const double avail = whole.width() - m.left() - m.right();
    room.xWidth = std::max(avail - needLeft - needRight, std::min(least, avail));
    return room;
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
