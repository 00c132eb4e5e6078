#pragma once
// Reading a 2-D chart as a user does: the name and colour of each legend
// entry beside the colours of its curve and of the scale it is drawn on, the
// titles drawn beside the scales, how many pixels of a colour its plot area
// shows and which of a curve's points can be seen.

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

// The curve (its position in `entries`) whose colour a pixel shows: the
// colour it is most like, taken as that colour laid over the white plot area
// with some cover (the smoothing of a line's edges), when that cover is most
// of it; -1 for none.
inline int CurveOfPixel(const QColor& p, const std::vector<LegendEntry>& entries) {
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
    return best >= 0 && bestCover >= 0.6 && bestMiss < 60 ? best : -1;
}

// Pixels of each curve's colour inside the plot area (off its edges), in
// the order of LegendEntries() (see CurveOfPixel).
inline std::vector<int> CurvePixels(PeChart& c) {
    const QImage image = c.grab().toImage();
    const QRect inside = PlotInWidget(c).adjusted(2, 2, -2, -2).intersected(image.rect());
    const std::vector<LegendEntry> entries = LegendEntries(c);
    std::vector<int> out(entries.size(), 0);
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (const int k = CurveOfPixel(image.pixelColor(x, y), entries); k >= 0) ++out[size_t(k)];
    return out;
}

// How a curve's points show, in the order of LegendEntries(): of the points
// its series draws whose X lies from `fromX` to `toX`, the share that can be
// seen (a pixel of the curve's colour within two pixels of where it is
// drawn), and the mean height at which its points are drawn (pixels from the
// plot area's top).
struct PointsShown {
    int points = 0;
    double seen = 0;        // share, 0 to 1
    double height = 0;      // mean, pixels
};
inline std::vector<PointsShown> CurvePointsShown(PeChart& c, double fromX = -1e300, double toX = 1e300) {
    const QImage image = c.grab().toImage();
    const QRect plot = PlotInWidget(c);
    const std::vector<LegendEntry> entries = LegendEntries(c);
    std::vector<PointsShown> out(entries.size());
    size_t k = 0;
    for (QLegendMarker* m : c.chart()->legend()->markers()) {
        auto* series = qobject_cast<QXYSeries*>(m->series());
        if (!series) continue;
        PointsShown& shown = out[k];
        int seen = 0;
        for (const QPointF& p : series->points()) {
            if (p.x() < fromX || p.x() > toX) continue;
            const QPointF scene = c.chart()->mapToScene(c.chart()->mapToPosition(p, series));
            const QPoint at = c.view()->mapFromScene(scene) + c.view()->mapTo(&c, QPoint(0, 0));
            ++shown.points;
            shown.height += at.y() - plot.top();
            bool found = false;
            for (int dy = -2; dy <= 2 && !found; ++dy)
                for (int dx = -2; dx <= 2 && !found; ++dx) {
                    const QPoint q = at + QPoint(dx, dy);
                    found = image.rect().contains(q) && CurveOfPixel(image.pixelColor(q), entries) == int(k);
                }
            seen += found ? 1 : 0;
        }
        if (shown.points > 0) {
            shown.seen = double(seen) / shown.points;
            shown.height /= shown.points;
        }
        ++k;
    }
    return out;
}

}  // namespace testing_support
