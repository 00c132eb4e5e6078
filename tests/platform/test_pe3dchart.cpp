// The 3-D chart control: writes read back, the points it draws, printing.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "platform/Pe3dChart.h"

using namespace pe3do;

namespace {

void writePoint(Pe3dChart& c, int k, float x, float y, float z) {
    c.setProp(ZData, 0, k, z);
    c.setProp(XData, 0, k, x);
    c.setProp(YData, 0, k, y);
}

}  // namespace

TEST(Pe3dChart, WritesReadBackAndOnlyCompletePointsAreDrawn) {
    Pe3dChart c;
    c.setProp(Subsets, qint16(1));
    c.setProp(Points, qint16(0));
    c.setProp(XAxisLabel, "Time (min)");
    c.setProp(YAxisLabel, "Viscosity ( cP )");
    c.setProp(ZAxisLabel, "Shear Rate (1/s)");
    c.setProp(148, qint16(149));
    c.setProp(Points, 4);
    writePoint(c, 0, 0.5f, 100.0f, 10.0f);
    writePoint(c, 1, 1.0f, 0.0f, 0.0f);             // Y of 0 is a value like any other
    c.setProp(XData, 0, 2, 2.0f);                     // no Y, no depth: not drawn
    writePoint(c, 5, 9.0f, 9.0f, 9.0f);             // beyond the point count
    c.setProp(MainTitle, "Viscosity vs. Shear Rate & Time");
    c.setProp(SubTitle, "RUN <7>");
    c.setProp(Action, qint16(ActionRedraw));

    EXPECT_EQ(c.xAxisLabel(), "Time (min)");
    EXPECT_EQ(c.zAxisLabel(), "Shear Rate (1/s)");
    EXPECT_EQ(c.prop(148), PeValue(qint16(149)));
    EXPECT_EQ(c.points(), 4);
    EXPECT_EQ(c.prop(XData, 0, 1).type(), PeValue::Type::Single);
    EXPECT_EQ(c.zData(0, 0), 10.0f);
    ASSERT_EQ(c.drawnPoints().size(), 1);
    EXPECT_EQ(c.drawnPoints()[0], (QList<QVector3D>{{0.5f, 100.0f, 10.0f}, {1.0f, 0.0f, 0.0f}}));
    EXPECT_TRUE(c.shownTitle().contains("Viscosity vs. Shear Rate &amp; Time"));
    EXPECT_TRUE(c.shownTitle().contains("RUN &lt;7&gt;"));

    // A new chart forgets the points but keeps the labels.
    c.setProp(Action, qint16(ActionNewChart));
    c.setProp(Action, qint16(ActionRedraw));
    EXPECT_TRUE(c.drawnPoints()[0].isEmpty());
    EXPECT_EQ(c.yAxisLabel(), "Viscosity ( cP )");
}

TEST(Pe3dChart, PrintsToPdfAndThroughThePrintCommand) {
    QTemporaryDir dir;
    Pe3dChart c;
    c.setProp(MainTitle, "Viscosity vs. Pressure & Sample Temperature");
    c.setProp(Points, 1);
    writePoint(c, 0, 1, 2, 3);
    const QString direct = dir.filePath("direct.pdf");
    ASSERT_TRUE(c.printToPdf(direct));
    EXPECT_GT(QFile(direct).size(), 500);

    int calls = 0;
    auto old = Pe3dChart::setPrintHandler([&](Pe3dChart& chart) {
        ++calls;
        EXPECT_EQ(chart.drawnPoints().value(0).size(), 1);  // brought up to date first
    });
    c.setProp(Action, qint16(ActionPrint));
    Pe3dChart::setPrintHandler(old);
    EXPECT_EQ(calls, 1);
}
