// The 2-D chart control's legend: placed by the control, the chart's whole
// width under the X axis, its text shrunk before its entries are cut, as high
// as the rows of its entries.

#include "platform/PeChart.h"

#include <QChart>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsTextItem>
#include <QLegend>
#include <QLineSeries>
#include <algorithm>
#include <cmath>

void PeChart::detachLegend() {
    // The legend takes the whole width under the X axis, so its entries are
    // not cut to the width the scales leave to the plot area: this control
    // places it, the chart keeping its room as a margin below.
    QLegend* legend = chart_->legend();
    if (legend->isAttachedToChart()) legend->detachFromChart();
    legend->setVisible(legendWanted_);
    fitLegendFont();
}

void PeChart::nameUntitledCurves(double width, double& legendRoom) {
    // the legend names the curves the scales do not
    QLegend* legend = chart_->legend();
    const bool named =
        std::any_of(curves_.begin(), curves_.end(), [](const Curve& c) { return !c.series->name().isEmpty(); });
    if (named && !legend->isVisible()) {
        legend->setVisible(true);
        fitLegendFont();
        legendRoom = legendHeightFor(width);
    }
}

void PeChart::placeLegend(const QRectF& whole, const QMargins& m, double legendRoom) {
    QLegend* legend = chart_->legend();
    if (!legend->isVisible()) return;
    legend->setGeometry(
        QRectF(whole.left() + 4, whole.bottom() - m.bottom() - legendRoom, whole.width() - 8, legendRoom));
    if (QGraphicsLayout* l = legend->layout()) l->activate();
    legend->update();
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
