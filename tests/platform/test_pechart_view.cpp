// The 2-D chart control as a user reads it: what a new drawing leaves on the
// screen, where the points' markers lie against the plot area, whether
// curves that would lie one over another all show, and the X axis of a
// narrow chart.

#include <gtest/gtest.h>

#include <QAbstractAxis>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QElapsedTimer>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsTextItem>
#include <QImage>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <cmath>

#include "platform/PeChart.h"
#include "support/ChartReading.h"

using namespace pesgo;
using testing_support::PixelsNear;
using testing_support::PlotInWidget;
using testing_support::ScaleTitles;

namespace {

void settle(int ms = 100) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(2);
    }
}

QList<QLineSeries*> lineSeries(const PeChart& c) {
    QList<QLineSeries*> out;
    for (QAbstractSeries* s : c.chart()->series()) out.append(qobject_cast<QLineSeries*>(s));
    return out;
}

void writePoints(PeChart& c, int subset, const QList<QPointF>& pts) {
    for (int j = 0; j < pts.size(); ++j) {
        c.setProp(XData, subset, j, float(pts[j].x()));
        c.setProp(YData, subset, j, float(pts[j].y()));
    }
}

// One scale per subset, each in its subset's colour.
void scalePerSubset(PeChart& c, const QList<qint32>& colours) {
    const int n = int(colours.size());
    c.setProp(Subsets, qint32(n));
    for (int s = 0; s < n; ++s) {
        c.setProp(SubsetLabel, s, QStringLiteral("Curve %1").arg(s));
        c.setProp(SubsetColor, s, colours[s]);
        c.setProp(MultiAxesSubsets, s, qint16(1));
        c.setProp(WorkingAxis, qint16(s));
        c.setProp(YAxisColor, colours[s]);
        c.setProp(YAxisLabel, QStringLiteral("Quantity %1 (unit)").arg(s));
    }
    c.setProp(OverlapMultiAxes, 0, qint16(n));
    c.setProp(XAxisLabel, QStringLiteral("Time (min)"));
}

// The texts drawn under the plot area (the X axis's labels and title), and
// the legend's.
QStringList textsBelowPlot(const PeChart& c) {
    QChart* chart = c.chart();
    const QRectF plot = chart->mapRectToScene(chart->plotArea());
    QStringList out;
    for (QGraphicsItem* item : chart->scene()->items()) {
        auto* text = dynamic_cast<QGraphicsTextItem*>(item);
        if (!text || !text->isVisible() || chart->legend()->isAncestorOf(text)) continue;
        const QPointF centre = text->sceneBoundingRect().center();
        if (centre.y() <= plot.bottom() || centre.x() < plot.left() - 1 || centre.x() > plot.right() + 1) continue;
        out << text->toPlainText();
    }
    return out;
}

// How far a point's marker reaches from the point: the marker size (a dot
// of that diameter painted with a pen as wide; see APointIsPaintedWithinItsReach).
double reachOf(const QXYSeries& s) { return s.pointsVisible() ? s.markerSize() : s.pen().widthF() / 2; }

QStringList legendTexts(const PeChart& c) {
    QStringList out;
    if (!c.chart()->legend()->isVisible()) return out;
    for (QGraphicsItem* item : c.chart()->scene()->items()) {
        auto* text = dynamic_cast<QGraphicsTextItem*>(item);
        if (text && text->isVisible() && c.chart()->legend()->isAncestorOf(text)) out << text->toPlainText();
    }
    return out;
}

}  // namespace

// A chart of markers drawn anew (here: its Y scale made logarithmic) leaves
// nothing of the old drawing on the screen: the window shows what a fresh
// painting of the chart shows. The markers reach beyond the bounds the chart
// tells the view of, and a view that repainted only those bounds kept the
// edges of the old outermost markers (marks beside the top points).
TEST(PeChartView, ANewDrawingLeavesNoMarksOfTheOldOne) {
    PeChart c;
    c.setProp(XAxisLabel, QStringLiteral("Shear Rate (1/s)"));
    c.setProp(YAxisLabel, QStringLiteral("Shear Stress (dyn/cm2)"));
    const double rates[] = {85, 100, 170, 340, 511};
    QList<QPointF> pts;
    for (int cycle = 0; cycle < 3; ++cycle)
        for (double r : rates) pts.append({r, 9 * std::sqrt(r) * (1 + 0.25 * cycle)});
    c.setProp(Points, qint32(pts.size()));
    writePoints(c, 0, pts);
    c.resize(900, 500);
    c.show();
    for (const ScaleValue y : {ScaleLinear, ScaleLog, ScaleLinear}) {
        SCOPED_TRACE(y);
        c.setProp(YAxisScale, qint16(y));
        c.setProp(Action, qint16(ActionRedraw));
        settle();
        const QImage shown = c.screen()->grabWindow(c.winId()).toImage().convertToFormat(QImage::Format_RGB32);
        const QImage fresh = c.grab().toImage().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(shown.size(), fresh.size());
        int differing = 0;
        for (int yy = 0; yy < shown.height(); ++yy)
            for (int xx = 0; xx < shown.width(); ++xx)
                if (shown.pixel(xx, yy) != fresh.pixel(xx, yy)) ++differing;
        EXPECT_EQ(differing, 0);
    }
}

// A point's marker is painted within the marker size from the point.
TEST(PeChartView, APointIsPaintedWithinItsReach) {
    for (const bool markersOnly : {true, false}) {
        SCOPED_TRACE(markersOnly);
        PeChart c;
        c.setProp(Points, 3);
        // X turning back draws markers alone; rising X a line with markers
        writePoints(c, 0, markersOnly ? QList<QPointF>{{5, 5}, {1, 1}, {9, 9}} : QList<QPointF>{{1, 1}, {5, 5}, {9, 9}});
        c.resize(600, 400);
        c.show();
        c.setProp(Action, qint16(ActionRedraw));
        settle();
        QLineSeries* s = lineSeries(c).at(0);
        ASSERT_TRUE(s->pointsVisible());
        const double reach = reachOf(*s);
        const QImage image = c.grab().toImage();
        // the middle point, the line (if any) running through it diagonally:
        // the pixels of the curve's colour across its row and down its column
        const QPointF at = c.view()->mapFromScene(c.chart()->mapToScene(c.chart()->mapToPosition({5, 5}, s)));
        const QColor colour = s->color();
        double across = 0, down = 0;
        for (int d = -30; d <= 30; ++d) {
            if (PixelsNear(image, QRect(int(at.x()) + d, int(at.y()), 1, 1), colour, 200)) across = std::max(across, std::abs(d + 0.5));
            if (PixelsNear(image, QRect(int(at.x()), int(at.y()) + d, 1, 1), colour, 200)) down = std::max(down, std::abs(d + 0.5));
        }
        EXPECT_GT(across, 1.0);
        EXPECT_LE(across, reach + 1.0);
        EXPECT_LE(down, reach + 1.0);
    }
}

// Points at the data's extremes (on round values, where an automatic scale
// ends) are drawn whole inside the plot area: the scale's ends leave room
// for their markers, on linear and log scales alike. A manual range keeps
// its ends.
TEST(PeChartView, PointsAtTheDatasExtremesAreDrawnWhole) {
    struct Case {
        const char* name;
        QList<QPointF> points;
        ScaleValue x, y;
    };
    const Case cases[] = {
        {"markers (stress against rate)", {{100, 200}, {200, 300}, {200, 250}, {500, 800}, {300, 400}}, ScaleLinear, ScaleLinear},
        {"a line with markers (against time)", {{0, 0}, {30, 20}, {60, 35}, {90, 50}, {120, 60}}, ScaleLinear, ScaleLinear},
        {"log Y on whole decades", {{100, 10}, {200, 100}, {200, 30}, {500, 1000}}, ScaleLinear, ScaleLog},
        {"log X and Y", {{10, 10}, {100, 100}, {100, 30}, {1000, 1000}}, ScaleLog, ScaleLog},
        {"one point", {{50, 50}}, ScaleLinear, ScaleLinear},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        PeChart c;
        c.setProp(Points, qint32(k.points.size()));
        writePoints(c, 0, k.points);
        c.setProp(XAxisScale, qint16(k.x));
        c.setProp(YAxisScale, qint16(k.y));
        c.resize(800, 500);
        c.show();
        c.setProp(Action, qint16(ActionRedraw));
        settle();
        const QRectF plot = c.chart()->plotArea();
        for (QLineSeries* s : lineSeries(c)) {
            ASSERT_TRUE(s->pointsVisible());
            const double reach = reachOf(*s);
            for (const QPointF& p : s->points()) {
                const QPointF at = c.chart()->mapToPosition(p, s);
                const QRectF marker(at.x() - reach, at.y() - reach, 2 * reach, 2 * reach);
                EXPECT_TRUE(plot.contains(marker)) << p.x() << "," << p.y() << " drawn at " << at.x() << "," << at.y();
            }
        }
    }
}

// Curves that would lie one over another all show: nearly constant curves
// on scales of their own at heights of their own, a line under another
// drawn wider, markers over markers smaller.
TEST(PeChartView, CurvesThatWouldCoincideAllShow) {
    const QList<qint32> colours{pepalette::Green, pepalette::Blue, pepalette::LightRed, pepalette::Cyan};
    struct Case {
        const char* name;
        int subsets;
        std::function<QPointF(int subset, int point)> point;
        bool oneScale = false;  // every subset on one scale
    };
    const Case cases[] = {
        // a swell test's first chart over a test whose readings did not move
        {"four constants", 4,
         [](int s, int i) { return QPointF(i, s == 0 ? 5000 : s == 1 ? 1000 : s == 2 ? 150 : 100); }},
        // a speed and a shear rate of one step, proportional
        {"proportional curves", 2, [](int s, int i) { return QPointF(i, (s + 1) * (100 + 5 * i)); }},
        // a test overlaid with itself: markers on markers
        {"markers on markers", 2, [](int, int i) { return QPointF(100 + 50 * (i % 5), 200 + 7 * i); }, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        PeChart c;
        if (k.oneScale) {
            c.setProp(Subsets, qint32(k.subsets));
            for (int s = 0; s < k.subsets; ++s) c.setProp(SubsetColor, s, colours[s]);
        } else {
            scalePerSubset(c, colours.mid(0, k.subsets));
        }
        const int n = 40;
        c.setProp(Points, n);
        for (int s = 0; s < k.subsets; ++s) {
            QList<QPointF> pts;
            for (int i = 0; i < n; ++i) pts.append(k.point(s, i));
            writePoints(c, s, pts);
        }
        c.resize(1000, 550);
        c.show();
        c.setProp(Action, qint16(ActionRedraw));
        settle();
        const std::vector<int> pixels = testing_support::CurvePixels(c);
        ASSERT_EQ(int(pixels.size()), k.subsets);
        for (int s = 0; s < k.subsets; ++s) EXPECT_GT(pixels[size_t(s)], 60) << "curve " << s;
    }
}

// A narrow chart (a unit window tiled beside others) keeps its X axis's
// title and at least three labels whole, and names its curves: on its
// scales or, when they have no room for titles, in the legend.
TEST(PeChartView, ANarrowChartKeepsItsXAxisWhole) {
    const QList<qint32> seven{peRgb(0, 128, 0),   peRgb(128, 0, 0),   peRgb(255, 0, 0),    peRgb(0, 0, 128),
                              peRgb(192, 0, 192), peRgb(64, 64, 64), peRgb(128, 128, 128)};
    struct Span {
        const char* name;
        double minutes;
    };
    const Span spans[] = {{"before the first point", -1}, {"the first minute", 0.9}, {"an hour", 70}, {"a day", 1500}};
    // the narrowest each takes: seven scales in a live rheology window tiled
    // beside another, four in a PVT or swell window, one in a main chart
    struct Layout {
        int scales;
        std::vector<int> widths;
    };
    for (const Layout& layout : {Layout{7, {640, 420, 380}}, Layout{4, {640, 420, 300}}, Layout{1, {420, 300, 220}}}) {
        const int scales = layout.scales;
        for (const int width : layout.widths) {
            for (const Span& span : spans) {
                SCOPED_TRACE(testing::Message() << scales << " scales, " << width << " wide, " << span.name);
                PeChart c;
                scalePerSubset(c, seven.mid(0, scales));
                if (span.minutes > 0) {
                    const int n = 60;
                    c.setProp(Points, n);
                    for (int s = 0; s < scales; ++s) {
                        QList<QPointF> pts;
                        for (int i = 0; i < n; ++i) pts.append({span.minutes * i / (n - 1), (s + 1) * 10.0 + i * (s + 2)});
                        writePoints(c, s, pts);
                    }
                }
                c.resize(width, 330);
                c.show();
                c.setProp(Action, qint16(ActionRedraw));
                settle(50);
                EXPECT_LE(c.chart()->size().width(), width);
                EXPECT_EQ(c.cutAxisTexts().join(QLatin1Char('|')).toStdString(), "");
                const QStringList below = textsBelowPlot(c);
                EXPECT_TRUE(below.contains(QStringLiteral("Time (min)"))) << below.join('|').toStdString();
                EXPECT_GE(below.size(), 4) << below.join('|').toStdString();  // the title and three labels
                const QStringList titles = ScaleTitles(c);
                if (titles.size() < scales) {
                    // untitled scales: the legend names every curve, whole
                    const QStringList names = legendTexts(c);
                    for (int s = 0; s < scales; ++s)
                        EXPECT_TRUE(names.contains(QStringLiteral("Curve %1").arg(s))) << names.join('|').toStdString();
                } else {
                    for (int s = 0; s < scales; ++s)
                        EXPECT_TRUE(titles.contains(QStringLiteral("Quantity %1 (unit)").arg(s))) << titles.join('|').toStdString();
                }
            }
        }
    }
}
