// The redraw after writes of points alone: a chart given its points a few at
// a time, redrawn after each, shows what a chart drawn anew from the same
// properties shows (curves, scales, fonts, the picture itself).

#include <gtest/gtest.h>

#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QGraphicsScene>
#include <QImage>
#include <QLineSeries>
#include <QPainter>
#include <QValueAxis>
#include <cmath>
#include <functional>
#include <vector>

#include "platform/PeChart.h"

using namespace pesgo;

namespace {

// A chart of three curves on two axes, the last on a right-hand scale, the
// most recent `window` points of a run, shown at a window's size.
struct Curves {
    int window = 100;
    std::function<QPointF(int subset, int sample)> sample;
};

void layOut(PeChart& c) {
    c.setProp(MainTitle, QStringLiteral("Live"));
    c.setProp(SubTitle, QStringLiteral("run 1"));
    c.setProp(Subsets, qint32(3));
    c.setProp(XAxisLabel, QStringLiteral("Time (min)"));
    c.setProp(WorkingAxis, qint16(0));
    c.setProp(YAxisLabel, QStringLiteral("Viscosity (cP)"));
    c.setProp(YAxisColor, peRgb(0, 128, 0));
    c.setProp(MultiAxesSubsets, 0, qint16(1));
    c.setProp(WorkingAxis, qint16(1));
    c.setProp(YAxisLabel, QStringLiteral("Temperature (°F)"));
    c.setProp(YAxisColor, peRgb(255, 0, 0));
    c.setProp(RYAxisLabel, QStringLiteral("Pressure (psi)"));
    c.setProp(RYAxisColor, peRgb(0, 0, 128));
    c.setProp(RYAxisSubsets, qint16(1));
    c.setProp(MultiAxesSubsets, 1, qint16(2));
    c.setProp(OverlapMultiAxes, 0, qint16(2));
    for (int s = 0; s < 3; ++s) c.setProp(SubsetLabel, s, QStringLiteral("Curve %1").arg(s));
}

// Points 0 .. n - 1 hold samples first .. first + n - 1.
void writePoints(PeChart& c, const Curves& curves, int first, int n, int from) {
    c.setProp(Points, qint32(n));
    for (int s = 0; s < 3; ++s)
        for (int i = from; i < n; ++i) {
            const QPointF p = curves.sample(s, first + i);
            c.setProp(XData, s, i, float(p.x()));
            c.setProp(YData, s, i, float(p.y()));
        }
}

QImage picture(PeChart& c) {
    QImage image(c.view()->size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    c.view()->render(&painter);
    return image;
}

struct AxisShown {
    double min, max, anchor, interval;
    QString format;
    bool labelsVisible;
    double labelPt;
    bool operator==(const AxisShown&) const = default;
};

std::vector<AxisShown> axesOf(const PeChart& c) {
    std::vector<AxisShown> out;
    QList<QAbstractAxis*> axes{c.xAxis()};
    axes += c.yAxes();
    for (QAbstractAxis* a : axes) {
        auto* v = qobject_cast<QValueAxis*>(a);
        if (!v) continue;
        out.push_back({v->min(), v->max(), v->tickAnchor(), v->tickInterval(), v->labelFormat(), v->labelsVisible(),
                       v->labelsFont().pointSizeF()});
    }
    return out;
}

// Everything the two charts hold and show, compared.
void expectSame(PeChart& grown, PeChart& drawn, bool pictures) {
    ASSERT_EQ(grown.points(), drawn.points());
    for (int s = 0; s < 3; ++s)
        for (int p = 0; p < grown.points(); ++p) {
            ASSERT_EQ(grown.hasXData(s, p), drawn.hasXData(s, p)) << s << " " << p;
            ASSERT_EQ(grown.hasYData(s, p), drawn.hasYData(s, p)) << s << " " << p;
            ASSERT_EQ(grown.xData(s, p), drawn.xData(s, p)) << s << " " << p;
            ASSERT_EQ(grown.yData(s, p), drawn.yData(s, p)) << s << " " << p;
        }
    const QList<QAbstractSeries*> a = grown.chart()->series(), b = drawn.chart()->series();
    ASSERT_EQ(a.size(), b.size());
    for (int k = 0; k < a.size(); ++k) {
        auto* sa = qobject_cast<QLineSeries*>(a[k]);
        auto* sb = qobject_cast<QLineSeries*>(b[k]);
        ASSERT_TRUE(sa && sb);
        EXPECT_EQ(sa->points(), sb->points()) << k;
        EXPECT_EQ(sa->pen(), sb->pen()) << k;
        EXPECT_EQ(sa->pointsVisible(), sb->pointsVisible()) << k;
        EXPECT_EQ(sa->attachedAxes().size(), 2) << k;
    }
    EXPECT_EQ(axesOf(grown), axesOf(drawn));
    EXPECT_EQ(grown.chart()->plotArea(), drawn.chart()->plotArea());
    EXPECT_EQ(grown.cutAxisTexts(), drawn.cutAxisTexts());
    if (pictures) EXPECT_TRUE(picture(grown) == picture(drawn)) << "the pictures differ";
}

}  // namespace

TEST(PeChartPoints, PointsAddedOneByOneShowWhatAFullRedrawShows) {
    struct Case {
        const char* name;
        Curves curves;
        int samples;
    } cases[] = {
        // Slowly rising values: the scales change now and then.
        {"rising",
         {40, [](int s, int i) { return QPointF(i / 12.0, s == 0 ? 50 + i * 0.7 : s == 1 ? 80 + 0.3 * i : 1000 + (i % 7)); }},
         90},
        // A value that leaps: every scale change at once, and back.
        {"leaps",
         {30, [](int s, int i) { return QPointF(i * 0.5, (i / 20) % 2 ? 5000.0 * (s + 1) : 3.0 + s + 0.01 * i); }},
         70},
        // An X that turns back for a while: the curve becomes markers and then a line again.
        {"turns back",
         {20, [](int s, int i) { return QPointF(i >= 30 && i < 33 ? 10.0 : i, std::sin(i / 9.0) * (s + 1)); }},
         60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PeChart grown, drawn;
        for (PeChart* chart : {&grown, &drawn}) {
            chart->resize(560, 380);
            chart->show();
            layOut(*chart);
            chart->setProp(Action, qint16(ActionRedraw));
        }
        int heldFirst = 0, heldCount = 0;
        for (int n = 1; n <= c.samples; ++n) {
            const int count = std::min(n, c.curves.window);
            const int first = n - count;
            // Grown: the points kept move down and only the new one is written.
            int from = 0;
            if (heldCount > 0) {
                const int shift = first - heldFirst;
                std::vector<int> order(static_cast<size_t>(heldCount));
                for (int p = 0; p < heldCount; ++p) order[size_t(p)] = (p + shift) % heldCount;
                for (int s = 0; s < 3; ++s) grown.permutePoints(s, order);
                from = heldCount - shift;
            }
            writePoints(grown, c.curves, first, count, from);
            grown.setProp(Action, qint16(ActionRedraw));
            heldFirst = first;
            heldCount = count;
            // Drawn: a new chart with every property and point written anew.
            drawn.setProp(Action, qint16(ActionNewChart));
            layOut(drawn);
            writePoints(drawn, c.curves, first, count, 0);
            drawn.setProp(Action, qint16(ActionRedraw));
            SCOPED_TRACE(n);
            expectSame(grown, drawn, n % 23 == 0 || n == c.samples);
            if (HasFatalFailure()) return;
        }
        // The event loop's later redraw changes nothing.
        QCoreApplication::processEvents();
        expectSame(grown, drawn, true);
    }
}

TEST(PeChartPoints, AnyOtherWriteRedrawsTheWholeChart) {
    PeChart c;
    c.resize(560, 380);
    c.show();
    layOut(c);
    Curves curves{100, [](int s, int i) { return QPointF(i, i * (s + 1.0)); }};
    writePoints(c, curves, 0, 20, 0);
    c.setProp(Action, qint16(ActionRedraw));
    const QList<QAbstractSeries*> before = c.chart()->series();
    writePoints(c, curves, 0, 21, 20);
    c.setProp(Action, qint16(ActionRedraw));
    EXPECT_EQ(c.chart()->series(), before);  // the same curves, given a point more
    EXPECT_EQ(qobject_cast<QLineSeries*>(c.chart()->series()[0])->count(), 21);

    c.setProp(SubsetLabel, 1, QStringLiteral("Renamed"));
    c.setProp(Action, qint16(ActionRedraw));
    EXPECT_EQ(c.chart()->series()[1]->name(), QStringLiteral("Renamed"));

    c.setProp(Action, qint16(ActionNewChart));
    layOut(c);
    c.setProp(Subsets, qint32(2));
    c.setProp(OverlapMultiAxes, 0, qint16(1));
    c.setProp(MultiAxesSubsets, 0, qint16(2));
    writePoints(c, curves, 0, 5, 0);
    c.setProp(Action, qint16(ActionRedraw));
    EXPECT_EQ(c.chart()->series().size(), 2);
    EXPECT_EQ(qobject_cast<QLineSeries*>(c.chart()->series()[0])->count(), 5);
}
