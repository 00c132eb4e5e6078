// The Y scales of the 2-D chart control.
//
// The Qt chart gives all its vertical axes together at most a fixed share of
// its width and cuts their labels and titles beyond it: seven scales in a
// window-sized chart show "1..." and "...". So the Y scales are drawn here:
// the Qt axes stay attached to their curves (they map the values) but are not
// shown, the plot area is set to leave each scale the room its labels and
// title need, and each scale is drawn in its band beside the plot area, the
// first one next to it. Only axis 0's main scale draws grid lines.

#include "platform/PeChart.h"
#include "platform/PeChartParts.h"
#include "platform/PeChartScale.h"

#include <QChart>
#include <QFontMetricsF>
#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>
#include <QLogValueAxis>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

using namespace pechart::parts;

namespace {

constexpr double kTick = 4;     // tick length
constexpr double kGap = 3;      // between tick, labels and title
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

int PeChart::scaleWidthsAt(double pt, bool titled, QList<int>& widths) const {
    widths.clear();
    int total = 0;
    for (QAbstractAxis* axis : yAxes_) total += widths.emplace_back(scaleWidthNeeded(axis, pt, titled));
    return total;
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
