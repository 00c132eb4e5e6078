#pragma once
// Reading a 2-D chart as a user does: the name and colour of each legend
// entry beside the colours of its curve and of the scale it is drawn on, the
// titles drawn beside the scales, and how many pixels of a colour its plot
// area shows.

#include "platform/PeChart.h"

#include <QAbstractAxis>
#include <QChart>
#include <QChartView>
#include <QGraphicsSimpleTextItem>
#include <QImage>
#include <QLegend>
#include <QLegendMarker>
#include <QXYSeries>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace testing_support {

struct LegendEntry {
    QString name;
    bool shown = false;
    QColor legend;  // the entry's square
    QColor curve;   // the curve's line, or its markers
    QColor scale;   // the scale the curve is drawn on
};

inline std::vector<LegendEntry> LegendEntries(const PeChart& c) {
    std::vector<LegendEntry> out;
    for (QLegendMarker* m : c.chart()->legend()->markers()) {
        auto* series = qobject_cast<QXYSeries*>(m->series());
        if (!series) continue;
        LegendEntry e;
        e.name = m->label();
        e.shown = c.chart()->legend()->isVisible() && m->isVisible();
        e.legend = m->brush().color();
        e.curve = series->color();
        for (QAbstractAxis* a : series->attachedAxes())
            if (a->orientation() == Qt::Vertical) e.scale = a->linePenColor();
        out.push_back(e);
    }
    return out;
}

// The titles drawn beside the Y scales (turned a quarter round).
inline QStringList ScaleTitles(const PeChart& c) {
    QStringList out;
    for (QGraphicsItem* item : c.chart()->childItems())
        if (auto* t = dynamic_cast<QGraphicsSimpleTextItem*>(item); t && t->isVisible() && t->rotation() != 0)
            out << t->text();
    return out;
}

// The plot area in the chart widget's pixels.
inline QRect PlotInWidget(const PeChart& c) {
    const QRectF scene = c.chart()->mapRectToScene(c.chart()->plotArea());
    const QRect view = c.view()->mapFromScene(scene).boundingRect();
    return view.translated(c.view()->mapTo(&c, QPoint(0, 0)));
}

// Pixels of a region close to a colour.
inline int PixelsNear(const QImage& img, const QRect& area, QColor colour, int tolerance = 60) {
    int n = 0;
    const QRect r = area.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor p = img.pixelColor(x, y);
            if (std::abs(p.red() - colour.red()) + std::abs(p.green() - colour.green()) +
                    std::abs(p.blue() - colour.blue()) <=
                tolerance)
                ++n;
        }
    return n;
}

// Pixels of each curve's colour inside the plot area (off its edges), in
// the order of LegendEntries(). A pixel counts for the curve colour it is
// most like, taken as that colour laid over the white plot area with some
// cover (the smoothing of a line's edges), when that cover is most of it.
inline std::vector<int> CurvePixels(PeChart& c) {
    const QImage image = c.grab().toImage();
    const QRect inside = PlotInWidget(c).adjusted(2, 2, -2, -2).intersected(image.rect());
    const std::vector<LegendEntry> entries = LegendEntries(c);
    std::vector<int> out(entries.size(), 0);
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor p = image.pixelColor(x, y);
            const double px = p.red() - 255.0, py = p.green() - 255.0, pz = p.blue() - 255.0;
            int best = -1;
            double bestMiss = 1e9, bestCover = 0;
            for (size_t k = 0; k < entries.size(); ++k) {
                const QColor col = entries[k].curve;
                const double dx = col.red() - 255.0, dy = col.green() - 255.0, dz = col.blue() - 255.0;
                const double dd = dx * dx + dy * dy + dz * dz;
                if (dd <= 0) continue;
                const double cover = (px * dx + py * dy + pz * dz) / dd;
                const double rx = px - cover * dx, ry = py - cover * dy, rz = pz - cover * dz;
                const double miss = std::sqrt(rx * rx + ry * ry + rz * rz) + 120 * std::abs(1 - cover);
                if (miss < bestMiss) bestMiss = miss, best = int(k), bestCover = cover;
            }
            if (best >= 0 && bestCover >= 0.6 && bestMiss < 60) ++out[size_t(best)];
        }
    return out;
}

}  // namespace testing_support
