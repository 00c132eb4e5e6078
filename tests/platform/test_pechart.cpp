// The 2-D chart control: property writes read back, and what the Qt chart is
// built from them.

#include <gtest/gtest.h>

#include <QAbstractAxis>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QLegend>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QValueAxis>
#include <cmath>
#include <limits>
#include <map>
#include <random>

#include "platform/PeChart.h"
#include "platform/PeChartScale.h"

using namespace pesgo;

namespace {

QList<QLineSeries*> lineSeries(const PeChart& c) {
    QList<QLineSeries*> out;
    for (QAbstractSeries* s : c.chart()->series()) out.append(qobject_cast<QLineSeries*>(s));
    return out;
}

QList<QPointF> pointsOf(const PeChart& c, int seriesIndex) { return lineSeries(c).at(seriesIndex)->points(); }

std::pair<double, double> rangeOf(QAbstractAxis* axis) {
    if (auto* v = qobject_cast<QValueAxis*>(axis)) return {v->min(), v->max()};
    if (auto* l = qobject_cast<QLogValueAxis*>(axis)) return {l->min(), l->max()};
    return {0, 0};
}

QAbstractAxis* yAxisOf(QAbstractSeries* s) {
    for (QAbstractAxis* a : s->attachedAxes())
        if (a->orientation() == Qt::Vertical) return a;
    return nullptr;
}

// The three-axis layout the result charts start from: three subsets, one per
// axis, each axis with its own colour and label.
void threeAxisLayout(PeChart& c) {
    c.setProp(Subsets, qint16(3));
    c.setProp(Points, qint16(9999));
    const char* labels[] = {"Viscosity ", "Pressure", "Sample Temp"};
    const qint32 colours[] = {pepalette::Green, pepalette::Blue, pepalette::LightRed};
    const char* axisLabels[] = {"Viscosity ( cP )", "Pressure (Psi)", "Temperature (°F)"};
    for (int s = 0; s < 3; ++s) c.setProp(SubsetLabel, s, labels[s]);
    for (int s = 0; s < 3; ++s) c.setProp(MultiAxesSubsets, s, qint16(1));
    c.setProp(OverlapMultiAxes, 0, qint16(3));
    for (int s = 0; s < 3; ++s) c.setProp(SubsetColor, s, colours[s]);
    for (int a = 0; a < 3; ++a) {
        c.setProp(WorkingAxis, qint16(a));
        c.setProp(YAxisColor, colours[a]);
        c.setProp(YAxisLabel, axisLabels[a]);
    }
    c.setProp(WorkingAxis, qint16(0));
    c.setProp(XAxisLabel, "Time (min)");
    c.setProp(MainTitle, "Viscosity, Pressure & Temperature Vs. Time");
    c.setProp(SubTitle, "");
}

void writePoints(PeChart& c, int subset, const QList<QPointF>& pts) {
    for (int j = 0; j < pts.size(); ++j) {
        c.setProp(XData, subset, j, float(pts[j].x()));
        c.setProp(YData, subset, j, float(pts[j].y()));
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Values and the store

TEST(PeValue, KeepsTheTypeWrittenAndConverts) {
    struct Case {
        PeValue v;
        PeValue::Type type;
        int asInt;
        double asDouble;
        QString asText;
    };
    const Case cases[] = {
        {PeValue(qint16(2)), PeValue::Type::Int16, 2, 2.0, "2"},
        {PeValue(-99999), PeValue::Type::Int32, -99999, -99999.0, "-99999"},
        {PeValue(true), PeValue::Type::Boolean, -1, -1.0, "True"},
        {PeValue(false), PeValue::Type::Boolean, 0, 0.0, "False"},
        {PeValue(1.3), PeValue::Type::Double, 1, 1.3, "1.3"},
        {PeValue(2.5), PeValue::Type::Double, 2, 2.5, "2.5"},  // halves to even
        {PeValue(3.5f), PeValue::Type::Single, 4, 3.5, "3.5"},
        {PeValue("Time (min)"), PeValue::Type::String, 0, 0.0, "Time (min)"},
        {PeValue(" 12.5"), PeValue::Type::String, 12, 12.5, " 12.5"},
        {PeValue(), PeValue::Type::Empty, 0, 0.0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asText.toStdString());
        EXPECT_EQ(c.v.type(), c.type);
        EXPECT_EQ(c.v.toInt(), c.asInt);
        EXPECT_DOUBLE_EQ(c.v.toDouble(), c.asDouble);
        EXPECT_EQ(c.v.toString(), c.asText);
    }
    EXPECT_TRUE(PeValue(true).toBool());
    EXPECT_EQ(PeValue(qint16(2)), PeValue(qint16(2)));
    EXPECT_NE(PeValue(qint16(2)), PeValue(2));  // a 16-bit and a 32-bit write differ
}

TEST(PeValue, ColoursHoldRedInTheLowByte) {
    EXPECT_EQ(peRgb(255, 0, 0), 0x0000FF);
    EXPECT_EQ(peRgb(0, 0, 128), 0x800000);
    EXPECT_EQ(pepalette::entry(2), peRgb(0, 128, 0));
    EXPECT_EQ(pepalette::entry(12), pepalette::LightRed);
    EXPECT_EQ(pepalette::entry(11), peRgb(0, 255, 255));
    EXPECT_EQ(peColor(peRgb(1, 2, 3)), QColor(1, 2, 3));
}

TEST(PeChartStore, WritesReadBackWithNoneOneOrTwoIndices) {
    PeChart c;
    c.setProp(MainTitle, "Shear Stress Vs. Shear Rate");
    c.setProp(204, 1.3);
    c.setProp(3, true);
    c.setProp(134, 2, 11);
    c.setProp(SubsetLabel, 1, "Pressure");
    c.setProp(SubsetColor, 1, pepalette::Blue);

    EXPECT_EQ(c.mainTitle(), "Shear Stress Vs. Shear Rate");
    EXPECT_EQ(c.prop(204).type(), PeValue::Type::Double);
    EXPECT_DOUBLE_EQ(c.prop(204).toDouble(), 1.3);
    EXPECT_EQ(c.prop(3).toInt(), -1);
    EXPECT_EQ(c.prop(134, 2), PeValue(11));
    EXPECT_FALSE(c.hasProp(134, 1));
    EXPECT_TRUE(c.prop(134, 1).isEmpty());
    EXPECT_EQ(c.subsetLabel(1), "Pressure");
    EXPECT_EQ(c.subsetColor(1), pepalette::Blue);
    EXPECT_FALSE(c.hasProp(999));

    // A later write replaces the earlier one.
    c.setProp(MainTitle, "Viscosity vs. Time");
    EXPECT_EQ(c.mainTitle(), "Viscosity vs. Time");
}

TEST(PeChartStore, PointValuesAreKeptAsSinglePrecision) {
    PeChart c;
    c.setProp(XData, 0, 0, 0.1);  // a double
    c.setProp(YData, 0, 0, 16777217);  // an integer that a float cannot hold
    c.setProp(YData, 2, 5, QString("2.5"));

    EXPECT_EQ(c.prop(XData, 0, 0).type(), PeValue::Type::Single);
    EXPECT_EQ(c.xData(0, 0), 0.1f);
    EXPECT_NE(double(c.xData(0, 0)), 0.1);
    EXPECT_EQ(c.yData(0, 0), 16777216.0f);
    EXPECT_EQ(c.yData(2, 5), 2.5f);

    // Never written: reads as 0 and is known as unwritten.
    EXPECT_EQ(c.xData(2, 5), 0.0f);
    EXPECT_FALSE(c.hasXData(2, 5));
    EXPECT_TRUE(c.prop(XData, 2, 5).isEmpty());
    EXPECT_FALSE(c.hasYData(2, 4));

    // Indices the chart never draws are still kept.
    c.setProp(YData, 1, -1, 0.0f);
    EXPECT_TRUE(c.hasYData(1, -1));
    c.setProp(YData, 0, 50'000'000, 7.0f);
    EXPECT_EQ(c.yData(0, 50'000'000), 7.0f);
}

TEST(PeChartStore, SubsetAndPointCounts) {
    PeChart c;
    EXPECT_EQ(c.subsets(), 1);
    EXPECT_EQ(c.points(), 0);
    c.setProp(Subsets, qint16(3));
    c.setProp(Points, qint16(9999));
    EXPECT_EQ(c.subsets(), 3);
    EXPECT_EQ(c.points(), 9999);
    c.setProp(Points, 120000);  // 32-bit counts
    EXPECT_EQ(c.points(), 120000);
    EXPECT_EQ(c.prop(Points).type(), PeValue::Type::Int32);
}

TEST(PeChartStore, AxisPropertiesFollowTheWorkingAxis) {
    PeChart c;
    c.setProp(WorkingAxis, qint16(1));
    c.setProp(YAxisColor, pepalette::Blue);
    c.setProp(YAxisLabel, "Pressure (Psi)");
    c.setProp(RYAxisLabel, "Speed (rpm)");
    c.setProp(WorkingAxis, qint16(0));
    c.setProp(YAxisLabel, "Viscosity ( cP )");

    EXPECT_EQ(c.yAxisLabel(1), "Pressure (Psi)");
    EXPECT_EQ(c.yAxisColor(1), pepalette::Blue);
    EXPECT_EQ(c.rightAxisLabel(1), "Speed (rpm)");
    EXPECT_EQ(c.yAxisLabel(0), "Viscosity ( cP )");
    EXPECT_EQ(c.prop(YAxisLabel).toString(), "Viscosity ( cP )");  // read at the working axis
    EXPECT_EQ(c.prop(YAxisLabel, 1).toString(), "Pressure (Psi)");
    EXPECT_FALSE(c.hasProp(YAxisColor));  // none written for axis 0
}

TEST(PeChartStore, LogKeepsEveryWriteInOrder) {
    PeChart c;
    c.store().setLogging(true);
    c.setProp(226, qint16(0));
    c.setProp(226, -99999);
    c.setProp(134, 0, 11);
    c.setProp(YData, 0, 3, 0.0);
    const QList<PeWrite> expected = {
        {226, 0, 0, 0, PeValue(qint16(0))},
        {226, 0, 0, 0, PeValue(-99999)},
        {134, 1, 0, 0, PeValue(11)},
        {YData, 2, 0, 3, PeValue(0.0f)},
    };
    EXPECT_EQ(c.store().log(), expected);
}

// ---------------------------------------------------------------------------
// Sorting in the chart

TEST(PeChartSort, SortsByXReadBackAndIsNotStable) {
    PeChart c;
    // X 2 (row A), 2 (row B), 1: ends 1, B, A.
    writePoints(c, 0, {{2, 10}, {2, 20}, {1, 30}});
    SortChartSubset(c, 0, 3);
    EXPECT_EQ(c.yData(0, 0), 30.0f);
    EXPECT_EQ(c.yData(0, 1), 20.0f);
    EXPECT_EQ(c.yData(0, 2), 10.0f);

    // X 3, 1, 2 gives 1, 2, 3, each point keeping its Y.
    writePoints(c, 1, {{3, 300}, {1, 100}, {2, 200}});
    SortChartSubset(c, 1, 3);
    for (int p = 0; p < 3; ++p) {
        EXPECT_EQ(c.xData(1, p), float(p + 1));
        EXPECT_EQ(c.yData(1, p), float(100 * (p + 1)));
    }
}

// Points kept outside the drawn subsets (subset -1) are sorted one exchange at
// a time; the result is the same.
TEST(PeChartSort, PointsOfAnUndrawnSubsetSortTheSame) {
    PeChart c;
    for (int s : {-1, 0}) writePoints(c, s, {{4, 40}, {1, 10}, {3, 30}, {1, 11}, {2, 20}});
    c.setProp(YData, -1, 5, 99.0f);  // a Y without its X
    c.setProp(YData, 0, 5, 99.0f);
    for (int s : {-1, 0}) SortChartSubset(c, s, 6);
    for (int p = 0; p < 6; ++p) {
        EXPECT_EQ(c.xData(-1, p), c.xData(0, p)) << p;
        EXPECT_EQ(c.yData(-1, p), c.yData(0, p)) << p;
        EXPECT_EQ(c.hasXData(-1, p), c.hasXData(0, p)) << p;
    }
    EXPECT_EQ(c.yData(0, 0), 99.0f);  // X never written reads as 0: first
    EXPECT_FALSE(c.hasXData(0, 0));
    EXPECT_EQ(c.xData(0, 5), 4.0f);
}

TEST(PeChartSort, UnwrittenPositionsMoveButStayUnwritten) {
    PeChart c;
    c.setProp(Points, 4);
    c.setProp(XData, 0, 0, 5.0f);
    c.setProp(YData, 0, 0, 50.0f);
    c.setProp(XData, 0, 2, 3.0f);
    c.setProp(YData, 0, 2, 30.0f);
    SortChartSubset(c, 0, 4);
    // Positions 1 and 3 were never written: they read as X = 0 and sort first.
    EXPECT_FALSE(c.hasXData(0, 0));
    EXPECT_FALSE(c.hasYData(0, 1));
    EXPECT_EQ(c.xData(0, 2), 3.0f);
    EXPECT_EQ(c.xData(0, 3), 5.0f);
    c.redraw();
    EXPECT_EQ(pointsOf(c, 0), (QList<QPointF>{{3, 30}, {5, 50}}));
}

// The sort gives exactly what comparing every pair gives, exchange for
// exchange: the same order of equal X values, NaNs and unwritten positions.
TEST(PeChartSort, GivesThePairwiseExchangeSortsResult) {
    const auto pairwise = [](PeChart& c, int s, int n) {
        for (int i = 1; i <= n; ++i)
            for (int j = i; j <= n; ++j)
                if (c.xData(s, j - 1) < c.xData(s, i - 1)) c.swapPoints(s, j - 1, i - 1);
    };
    std::mt19937 random(20261209);
    for (int round = 0; round < 60; ++round) {
        const int n = 1 + int(random() % 300);
        const int distinct = 1 + int(random() % 12);  // few values: many ties, like repeated shear rates
        PeChart fast, slow;
        for (PeChart* c : {&fast, &slow}) c->setProp(Points, n);
        std::mt19937 values(round);
        for (int p = 0; p < n; ++p) {
            if (values() % 10 == 0) continue;  // never written
            const unsigned kind = values() % 25;
            // NaN, infinity and a negative zero (equal to 0) among the values
            const float x = kind == 0   ? std::numeric_limits<float>::quiet_NaN()
                            : kind == 1 ? std::numeric_limits<float>::infinity()
                            : kind == 2 ? -0.0f
                                        : float(int(values() % distinct)) * 1.5f;
            for (PeChart* c : {&fast, &slow}) {
                c->setProp(XData, 0, p, x);
                c->setProp(YData, 0, p, float(p));
            }
        }
        SortChartSubset(fast, 0, n);
        pairwise(slow, 0, n);
        for (int p = 0; p < n; ++p) {
            ASSERT_EQ(fast.hasXData(0, p), slow.hasXData(0, p)) << "round " << round << " point " << p;
            ASSERT_EQ(fast.yData(0, p), slow.yData(0, p)) << "round " << round << " point " << p;
            const float a = fast.xData(0, p), b = slow.xData(0, p);
            ASSERT_TRUE(a == b || (std::isnan(a) && std::isnan(b))) << "round " << round << " point " << p;
        }
    }
}

// ---------------------------------------------------------------------------
// Drawing

TEST(PeChartDraw, ThreeAxisLayoutGivesEverySubsetItsOwnColouredAxis) {
    PeChart c;
    threeAxisLayout(c);
    c.setProp(SubTitle, "TEST-1 <a&b>");
    c.setProp(Points, 2);
    writePoints(c, 0, {{0, 100}, {1, 120}});
    writePoints(c, 1, {{0, 1000}, {1, 5000}});
    writePoints(c, 2, {{0, 70}, {1, 250}});
    c.setProp(Action, qint16(ActionRedraw));

    const QList<PeChart::Scale> scales = c.yScales();
    ASSERT_EQ(scales.size(), 3);
    ASSERT_EQ(lineSeries(c).size(), 3);
    ASSERT_EQ(c.yAxes().size(), 3);
    EXPECT_EQ(c.chart()->axes(Qt::Vertical).size(), 3);
    EXPECT_EQ(c.chart()->axes(Qt::Horizontal).size(), 1);
    EXPECT_EQ(c.xAxis()->titleText(), "Time (min)");
    EXPECT_TRUE(c.chart()->title().contains("Viscosity, Pressure &amp; Temperature Vs. Time"));
    EXPECT_TRUE(c.chart()->title().contains("TEST-1 &lt;a&amp;b&gt;"));

    const char* axisLabels[] = {"Viscosity ( cP )", "Pressure (Psi)", "Temperature (°F)"};
    const QColor colours[] = {QColor(0, 128, 0), QColor(0, 0, 128), QColor(255, 0, 0)};
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(scales[k].axis, k);
        EXPECT_FALSE(scales[k].rightHand);
        EXPECT_EQ(scales[k].subsets, QList<int>{k});
        QLineSeries* s = lineSeries(c)[k];
        EXPECT_EQ(yAxisOf(s), c.yAxes()[k]);
        EXPECT_EQ(c.yAxes()[k]->alignment(), Qt::AlignLeft);
        EXPECT_EQ(c.yAxes()[k]->titleText(), axisLabels[k]);
        EXPECT_EQ(c.yAxes()[k]->linePenColor(), colours[k]);
        EXPECT_EQ(s->color(), colours[k]);
        EXPECT_EQ(s->points().size(), 2);
    }
    EXPECT_EQ(lineSeries(c)[1]->name(), "Pressure");
    auto [lo, hi] = rangeOf(c.yAxes()[1]);
    EXPECT_LE(lo, 1000.0);
    EXPECT_GE(hi, 5000.0);
    EXPECT_TRUE(c.chart()->legend()->isVisible());
}

TEST(PeChartDraw, OnlyWrittenPointsWithinTheCountsAreDrawn) {
    PeChart c;
    c.setProp(Subsets, qint16(1));
    c.setProp(Points, 5);
    writePoints(c, 0, {{1, 10}});            // point 0
    c.setProp(XData, 0, 2, 2.0f);             // point 2
    c.setProp(YData, 0, 2, 20.0f);
    c.setProp(YData, 0, 3, 0.0f);             // Y only: not a point
    c.setProp(XData, 0, 6, 9.0f);             // beyond the point count
    c.setProp(YData, 0, 6, 90.0f);
    c.setProp(YData, 0, -1, 0.0f);            // point -1
    writePoints(c, 1, {{1, 1}, {2, 2}});      // a subset beyond the count
    c.setProp(Action, qint16(ActionRedraw));

    ASSERT_EQ(lineSeries(c).size(), 1);
    EXPECT_EQ(pointsOf(c, 0), (QList<QPointF>{{1, 10}, {2, 20}}));
    EXPECT_FALSE(c.chart()->legend()->isVisible());  // one curve: no legend

    // A larger count brings the kept writes into the picture.
    c.setProp(Subsets, qint16(2));
    c.setProp(Points, 7);
    c.setProp(Action, qint16(ActionRedraw));
    ASSERT_EQ(lineSeries(c).size(), 2);
    EXPECT_EQ(pointsOf(c, 0).size(), 3);
    EXPECT_EQ(pointsOf(c, 1).size(), 2);
}

TEST(PeChartDraw, LogScalesSkipValuesAtOrBelowZero) {
    PeChart c;
    c.setProp(Points, 4);
    writePoints(c, 0, {{-1, 5}, {0, 10}, {1, 0}, {10, 100}});
    struct Case {
        int xScale, yScale;
        bool xIsLog, yIsLog;
        QList<QPointF> drawn;
    };
    const Case cases[] = {
        {ScaleLinear, ScaleLinear, false, false, {{-1, 5}, {0, 10}, {1, 0}, {10, 100}}},
        {ScaleLinear, ScaleLog, false, true, {{-1, 5}, {0, 10}, {10, 100}}},
        {ScaleLog, ScaleLinear, true, false, {{1, 0}, {10, 100}}},
        {ScaleLog, ScaleLog, true, true, {{10, 100}}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.xScale << "," << k.yScale);
        c.setProp(XAxisScale, qint16(k.xScale));
        c.setProp(YAxisScale, qint16(k.yScale));
        c.setProp(Action, qint16(ActionRedraw));
        EXPECT_EQ(qobject_cast<QLogValueAxis*>(c.xAxis()) != nullptr, k.xIsLog);
        EXPECT_EQ(qobject_cast<QLogValueAxis*>(c.yAxes()[0]) != nullptr, k.yIsLog);
        EXPECT_EQ(pointsOf(c, 0), k.drawn);
        EXPECT_TRUE(c.xLog() == k.xIsLog && c.yLog() == k.yIsLog);
    }
}

TEST(PeChartDraw, ManualYRangeAppliesToAxisZeroUntilTheNextChart) {
    PeChart c;
    threeAxisLayout(c);
    c.setProp(Points, 2);
    writePoints(c, 0, {{0, 100}, {1, 120}});
    writePoints(c, 1, {{0, 1000}, {1, 5000}});
    c.setProp(Action, qint16(ActionRedraw));

    // As the Y-range frame writes it: control 3, then maximum, then minimum;
    // it takes effect without a redraw command.
    c.setProp(ManualScaleControlY, qint16(ManualRange));
    c.setProp(ManualMaxY, 200.0 + 0.1 * 150.0);
    c.setProp(ManualMinY, 50.0 - 0.1 * 150.0);
    QApplication::processEvents();
    EXPECT_TRUE(c.manualYRange());
    EXPECT_EQ(rangeOf(c.yAxes()[0]), std::make_pair(35.0, 215.0));
    auto [lo1, hi1] = rangeOf(c.yAxes()[1]);
    EXPECT_LE(lo1, 1000.0);
    EXPECT_GE(hi1, 5000.0);

    // A range given upside down is still shown the right way up.
    c.setProp(ManualMaxY, 10.0);
    c.setProp(ManualMinY, 20.0);
    c.setProp(Action, qint16(ActionRedraw));
    EXPECT_EQ(rangeOf(c.yAxes()[0]), std::make_pair(10.0, 20.0));

    // The redraw after a new-chart command scales automatically again.
    c.setProp(Action, qint16(ActionNewChart));
    writePoints(c, 0, {{0, 100}, {1, 120}});
    c.setProp(Action, qint16(ActionRedraw));
    EXPECT_FALSE(c.manualYRange());
    auto [lo0, hi0] = rangeOf(c.yAxes()[0]);
    EXPECT_LE(lo0, 100.0);
    EXPECT_GE(hi0, 120.0);
    EXPECT_LT(hi0, 215.0);
}

TEST(PeChartDraw, NewChartForgetsDataAndLayoutButKeepsLabelsAndYScale) {
    PeChart c;
    threeAxisLayout(c);
    c.setProp(YAxisScale, qint16(ScaleLog));
    c.setProp(Points, 1);
    writePoints(c, 0, {{1, 1}});
    c.setProp(Action, qint16(ActionNewChart));
    c.setProp(Action, qint16(ActionRedraw));

    EXPECT_FALSE(c.hasXData(0, 0));
    EXPECT_EQ(c.mainTitle(), "Viscosity, Pressure & Temperature Vs. Time");
    EXPECT_EQ(c.subsetLabel(2), "Sample Temp");
    EXPECT_EQ(c.yAxisLabel(2), "Temperature (°F)");
    EXPECT_TRUE(c.yLog());
    EXPECT_EQ(c.subsets(), 3);
    // The per-axis layout must be given again after a new chart.
    EXPECT_EQ(c.yScales().size(), 1);
    EXPECT_EQ(lineSeries(c).size(), 3);
    for (QLineSeries* s : lineSeries(c)) EXPECT_TRUE(s->points().isEmpty());
}

TEST(PeChartDraw, AnOverlaySubsetJoinsTheSingleAxisOfASingleCurveChart) {
    PeChart c;
    threeAxisLayout(c);  // leaves one subset per axis for three axes
    c.setProp(Action, qint16(ActionRedraw));
    // A single-curve chart on the same control: one subset, axis 0 relabelled.
    c.setProp(Subsets, qint16(1));
    c.setProp(YAxisLabel, "Shear Stress (dyn/cm2)");
    c.setProp(Points, 2);
    writePoints(c, 0, {{1, 10}, {2, 20}});
    c.setProp(Action, qint16(ActionRedraw));
    ASSERT_EQ(c.yAxes().size(), 1);
    EXPECT_EQ(c.yAxes()[0]->titleText(), "Shear Stress (dyn/cm2)");

    // Two overlays add subsets 1 and 2; all three curves stay on axis 0.
    for (int s = 1; s <= 2; ++s) {
        c.setProp(Subsets, s + 1);
        writePoints(c, s, {{1, 10.0 * s}, {2, 20.0 * s}});
        c.setProp(SubsetLabel, s, QString("Second %1").arg(s));
        c.setProp(Action, qint16(ActionRedraw));
    }
    ASSERT_EQ(c.yAxes().size(), 1);
    ASSERT_EQ(lineSeries(c).size(), 3);
    for (QLineSeries* s : lineSeries(c)) EXPECT_EQ(yAxisOf(s), c.yAxes()[0]);
    EXPECT_TRUE(c.chart()->legend()->isVisible());
}

TEST(PeChartDraw, RightHandScalesCarryTheLastSubsetsOfAnAxis) {
    PeChart c;
    // Two axis groups: (viscosity | speed on the right), (temperature alone).
    c.setProp(Subsets, qint16(3));
    c.setProp(WorkingAxis, qint16(0));
    c.setProp(YAxisColor, peRgb(0, 128, 0));
    c.setProp(YAxisLabel, "Viscosity ( cP )");
    c.setProp(RYAxisColor, peRgb(128, 0, 0));
    c.setProp(RYAxisLabel, "Speed (rpm)");
    c.setProp(RYAxisSubsets, qint16(1));
    c.setProp(MultiAxesSubsets, 0, qint16(2));
    c.setProp(WorkingAxis, qint16(1));
    c.setProp(YAxisColor, peRgb(255, 0, 0));
    c.setProp(YAxisLabel, "Temperature (°F)");
    c.setProp(MultiAxesSubsets, 1, qint16(1));
    c.setProp(OverlapMultiAxes, 0, qint16(2));
    c.setProp(Points, 1);
    for (int s = 0; s < 3; ++s) writePoints(c, s, {{1, 1.0 + s}});
    c.setProp(Action, qint16(ActionRedraw));

    const QList<PeChart::Scale> scales = c.yScales();
    ASSERT_EQ(scales.size(), 3);
    EXPECT_EQ(scales[0].subsets, QList<int>{0});
    EXPECT_EQ(scales[1].subsets, QList<int>{2});
    EXPECT_TRUE(scales[2].rightHand);
    EXPECT_EQ(scales[2].axis, 0);
    EXPECT_EQ(scales[2].subsets, QList<int>{1});
    EXPECT_EQ(c.yAxes()[2]->alignment(), Qt::AlignRight);
    EXPECT_EQ(c.yAxes()[2]->titleText(), "Speed (rpm)");
    EXPECT_EQ(c.yAxes()[2]->linePenColor(), QColor(128, 0, 0));
    EXPECT_EQ(yAxisOf(lineSeries(c)[2]), c.yAxes()[2]);  // series follow the scale order

    // The right-hand settings belong to that layout only: a new chart drops them.
    c.setProp(Action, qint16(ActionNewChart));
    c.setProp(Subsets, qint16(1));
    c.setProp(WorkingAxis, qint16(0));
    c.setProp(MultiAxesSubsets, 0, qint16(1));
    c.setProp(OverlapMultiAxes, 0, qint16(1));
    c.setProp(Action, qint16(ActionRedraw));
    ASSERT_EQ(c.yScales().size(), 1);
    EXPECT_FALSE(c.yScales()[0].rightHand);
}

TEST(PeChartDraw, WritesWithoutRedrawShowAtTheNextEventLoopTurn) {
    PeChart c;
    c.setProp(Points, 1);
    writePoints(c, 0, {{1, 2}});
    EXPECT_TRUE(lineSeries(c).isEmpty() || pointsOf(c, 0).isEmpty());
    QApplication::processEvents();
    EXPECT_EQ(pointsOf(c, 0), (QList<QPointF>{{1, 2}}));
}

// ---------------------------------------------------------------------------
// Printing

TEST(PeChartPrint, PrintsToAPdfFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    PeChart c;
    threeAxisLayout(c);
    c.setProp(Points, 2);
    writePoints(c, 0, {{0, 100}, {1, 120}});
    c.setProp(Action, qint16(ActionRedraw));
    const QString file = dir.filePath("chart.pdf");
    ASSERT_TRUE(c.printToPdf(file));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_GT(f.size(), 1000);
    EXPECT_TRUE(f.read(4) == "%PDF");
    // The chart on screen keeps its own layout.
    EXPECT_EQ(lineSeries(c).size(), 3);
}

TEST(PeChartPrint, PrintCommandGoesToThePrintHandler) {
    QTemporaryDir dir;
    int calls = 0;
    QString printedTitle;
    const QString file = dir.filePath("printed.pdf");
    auto old = PeChart::setPrintHandler([&](PeChart& chart) {
        ++calls;
        printedTitle = chart.chart()->title();
        chart.printToPdf(file);
    });
    PeChart c;
    c.setProp(MainTitle, "Density Vs. Temperature");  // not yet redrawn
    c.setProp(Action, qint16(ActionPrint));
    PeChart::setPrintHandler(old);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(printedTitle.contains("Density Vs. Temperature"));
    EXPECT_GT(QFile(file).size(), 0);
    EXPECT_EQ(c.prop(Action).toInt(), ActionPrint);
}

// ---------------------------------------------------------------------------
// Axis event

TEST(PeChartAxisEvent, DoubleClickOnAnAxisRaisesItsFlags) {
    PeChart c;
    threeAxisLayout(c);
    c.setProp(Points, 2);
    writePoints(c, 0, {{0, 100}, {1, 120}});
    c.setProp(Action, qint16(ActionRedraw));
    c.resize(900, 600);
    c.show();
    for (int i = 0; i < 5; ++i) QApplication::processEvents();

    QList<std::pair<short, short>> raised;
    QObject::connect(&c, &PeChart::axisEvent, [&](short a, short b) { raised.append({a, b}); });
    auto doubleClick = [&](QPointF chartPos) {
        const QPoint viewPos = c.view()->mapFromScene(c.chart()->mapToScene(chartPos));
        const QPointF global = c.view()->viewport()->mapToGlobal(QPointF(viewPos));
        QMouseEvent e(QEvent::MouseButtonDblClick, QPointF(viewPos), global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
        QApplication::sendEvent(c.view()->viewport(), &e);
    };

    const QRectF plot = c.chart()->plotArea();
    ASSERT_FALSE(plot.isEmpty());
    const double room = plot.left() - c.chart()->rect().left();
    const double midY = plot.center().y();
    doubleClick({plot.left() - room / 6, midY});      // next to the plot: axis 0
    doubleClick({plot.left() - room * 5 / 6, midY});  // outermost: the third axis
    doubleClick({plot.center().x(), plot.bottom() + 10});  // the X axis
    doubleClick(plot.center());                        // inside the plot: nothing
    const QList<std::pair<short, short>> expected = {{0, 0}, {0, 2}, {1, 0}};
    EXPECT_EQ(raised, expected);
}

// ---------------------------------------------------------------------------
// Scales and ticks

// A 102-minute test with a nearly constant pressure: time runs to 120 with
// round ticks, the pressure is drawn flat in the middle of a wider scale, and
// a manual viscosity range gets round ticks inside its typed ends.
TEST(PeChartDraw, AxesFollowTheDataWithRoundTicks) {
    PeChart c;
    threeAxisLayout(c);
    const int n = 103;
    c.setProp(Points, n);
    for (int i = 0; i < n; ++i) {
        c.setProp(XData, 0, i, float(i));
        c.setProp(YData, 0, i, float(60 - 0.4 * i));
        c.setProp(XData, 1, i, float(i));
        c.setProp(YData, 1, i, float(3000 + ((i * 7) % 13) - 6));
        c.setProp(XData, 2, i, float(i));
        c.setProp(YData, 2, i, float(80 + 1.7 * i));
    }
    c.resize(1000, 600);
    c.show();
    c.setProp(Action, qint16(ActionRedraw));
    QApplication::processEvents();

    auto* x = qobject_cast<QValueAxis*>(c.xAxis());
    ASSERT_NE(x, nullptr);
    // The first point lies on a round value: the axis starts a marker's room
    // before it.
    EXPECT_LT(rangeOf(x).first, 0.0);
    EXPECT_GT(rangeOf(x).first, -2.0);
    EXPECT_EQ(rangeOf(x).second, 120.0);
    EXPECT_EQ(x->tickType(), QValueAxis::TicksDynamic);
    EXPECT_EQ(x->tickAnchor(), 0.0);
    EXPECT_EQ(x->tickInterval(), 20.0);
    EXPECT_EQ(x->labelFormat(), "%.0f");

    auto [plo, phi] = rangeOf(c.yAxes()[1]);
    EXPECT_LE(plo, 2850.0);
    EXPECT_GE(phi, 3150.0);
    EXPECT_LT(phi - plo, 600.0);

    c.setProp(ManualScaleControlY, qint16(ManualRange));
    c.setProp(ManualMaxY, 850.0);
    c.setProp(ManualMinY, 70.0);
    c.setProp(Action, qint16(ActionRedraw));
    auto* v = qobject_cast<QValueAxis*>(c.yAxes()[0]);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(rangeOf(v), std::make_pair(70.0, 850.0));
    EXPECT_EQ(std::fmod(v->tickAnchor(), v->tickInterval()), 0.0);
    EXPECT_TRUE(v->tickInterval() == 100.0 || v->tickInterval() == 200.0) << v->tickInterval();
    double lo = 0, hi = 0;
    ASSERT_TRUE(c.shownYRange(lo, hi));
    EXPECT_EQ(std::make_pair(lo, hi), std::make_pair(70.0, 850.0));
}

TEST(PeChartDraw, LogAxesHaveMinorTicksAndLabelsBetweenDecades) {
    PeChart c;
    c.setProp(Points, 3);
    writePoints(c, 0, {{1, 3}, {10, 40}, {100, 700}});
    c.setProp(YAxisScale, qint16(ScaleLog));
    c.setProp(Action, qint16(ActionRedraw));
    auto* y = qobject_cast<QLogValueAxis*>(c.yAxes()[0]);
    ASSERT_NE(y, nullptr);
    EXPECT_EQ(rangeOf(y), std::make_pair(1.0, 1000.0));
    QStringList labels;
    int minor = 0;
    for (const pechart::ScaleTick& t : pechart::ScaleTicks(y)) {
        if (!t.text.isEmpty()) labels << t.text;
        if (!t.major) ++minor;
    }
    EXPECT_EQ(labels, (QStringList{"1", "2", "5", "10", "20", "50", "100", "200", "500", "1000"}));
    EXPECT_EQ(minor, 3 * 8);

    // Over more decades only the decades are labelled.
    writePoints(c, 0, {{1, 0.02}, {10, 40}, {100, 700}});
    c.setProp(Action, qint16(ActionRedraw));
    labels.clear();
    for (const pechart::ScaleTick& t : pechart::ScaleTicks(c.yAxes()[0]))
        if (!t.text.isEmpty()) labels << t.text;
    EXPECT_EQ(labels, (QStringList{"0.01", "0.1", "1", "10", "100", "1000"}));
}

// Points of several cycles over one X are markers without a joining line; a
// curve over time stays a line.
TEST(PeChartDraw, SubsetsWhoseXTurnsBackOrRepeatsAreDrawnAsMarkers) {
    EXPECT_TRUE(pechart::XOnlyRises({{0, 1}, {1, 5}, {2, 3}}));
    EXPECT_TRUE(pechart::XOnlyRises({}));
    EXPECT_FALSE(pechart::XOnlyRises({{0, 1}, {1, 5}, {1, 3}}));  // sorted rates of two cycles
    EXPECT_FALSE(pechart::XOnlyRises({{0, 1}, {2, 5}, {1, 3}}));  // a cycle going back

    PeChart c;
    c.setProp(Subsets, qint16(2));
    c.setProp(Points, 4);
    writePoints(c, 0, {{85, 10}, {170, 14}, {170, 12}, {511, 30}});
    writePoints(c, 1, {{0, 10}, {1, 14}, {2, 12}, {3, 30}});
    c.setProp(Action, qint16(ActionRedraw));
    ASSERT_EQ(lineSeries(c).size(), 2);
    QLineSeries* rates = lineSeries(c)[0];
    EXPECT_EQ(rates->pen().style(), Qt::NoPen);
    EXPECT_TRUE(rates->pointsVisible());
    EXPECT_EQ(rates->color(), QColor(0, 128, 0));
    EXPECT_EQ(rates->points().size(), 4);
    EXPECT_NE(lineSeries(c)[1]->pen().style(), Qt::NoPen);
}

// ---------------------------------------------------------------------------
// Long curves thinned for drawing

namespace {

// Every pixel column's first, lowest, highest and last point of `all`, as a
// sorted list of indices (by the first of equal lows and highs).
std::vector<qsizetype> columnExtremes(const QList<QPointF>& all, const pechart::AxisMap& x) {
    std::vector<qsizetype> out;
    for (qsizetype a = 0; a < all.size();) {
        const double col = std::floor(x(all[a].x()));
        qsizetype b = a, lo = a, hi = a;
        while (b < all.size() && std::floor(x(all[b].x())) == col) {
            if (all[b].y() < all[lo].y()) lo = b;
            if (all[b].y() > all[hi].y()) hi = b;
            ++b;
        }
        for (qsizetype k : {a, lo, hi, b - 1})
            if (std::find(out.begin(), out.end(), k) == out.end()) out.push_back(k);
        a = b;
    }
    std::sort(out.begin(), out.end());
    return out;
}

// The image of a chart with its series holding what they hold now.
QImage imageOf(PeChart& c) { return c.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// Pixels whose colour differs by more than the shades antialiasing gives a
// line's edge (a channel by more than 96 of 255).
int clearlyDifferingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return -1;
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))}) > 96)
                ++n;
        }
    return n;
}

}  // namespace

TEST(PeChartThin, ALineKeepsEachPixelColumnsFirstLowestHighestAndLast) {
    using pechart::AxisMap;
    struct Case {
        const char* what;
        QList<QPointF> points;
        AxisMap x;
        QList<QPointF> kept;
    };
    const Case cases[] = {
        {"nothing", {}, {}, {}},
        {"one point", {{0.5, 3}}, {}, {{0.5, 3}}},
        {"four in one column", {{0.1, 5}, {0.2, 1}, {0.3, 9}, {0.4, 3}}, {}, {{0.1, 5}, {0.2, 1}, {0.3, 9}, {0.4, 3}}},
        {"highest before lowest",
         {{0.0, 5}, {0.1, 9}, {0.2, 7}, {0.3, 1}, {0.4, 2}, {0.5, 4}},
         {},
         {{0.0, 5}, {0.1, 9}, {0.3, 1}, {0.5, 4}}},
        {"first of equal extremes, each point once",
         {{0.0, 2}, {0.1, 2}, {0.2, 2}, {0.9, 2}},
         {},
         {{0.0, 2}, {0.9, 2}}},
        {"columns by offset and scale",  // pixel = 10 + 2x: columns 10, 11, 12
         {{0.0, 1}, {0.2, 8}, {0.4, 0}, {0.5, 3}, {0.6, 4}, {0.9, 9}, {1.0, 5}, {1.2, 6}},
         {10, 2, false},
         {{0.0, 1}, {0.2, 8}, {0.4, 0}, {0.5, 3}, {0.9, 9}, {1.0, 5}, {1.2, 6}}},
        {"log axis",  // pixel = 100 log10(x): 1 to 1.02 share column 0
         {{1.0, 4}, {1.01, 6}, {1.015, 5.5}, {1.02, 5}, {1.05, 1}, {2.0, 2}},
         {0, 100, true},
         {{1.0, 4}, {1.01, 6}, {1.02, 5}, {1.05, 1}, {2.0, 2}}},
    };
    for (const Case& c : cases) EXPECT_EQ(pechart::ThinLine(c.points, c.x), c.kept) << c.what;

    // A random walk over many columns: exactly each column's first, lowest,
    // highest and last point, in their order.
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> step(0.0, 0.02), walk(-1, 1);
    QList<QPointF> all;
    double x = 0, y = 0;
    for (int k = 0; k < 20000; ++k) all.append({x += step(rng) + 1e-6, y += walk(rng)});
    const AxisMap map{3.3, 7.1, false};
    QList<QPointF> expected;
    for (qsizetype k : columnExtremes(all, map)) expected.append(all[k]);
    const QList<QPointF> kept = pechart::ThinLine(all, map);
    EXPECT_EQ(kept, expected);
    EXPECT_LT(kept.size(), all.size() / 4);
}

TEST(PeChartThin, MarkersKeepTheFirstPointOfEachHalfPixelCell) {
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> rate(0, 49), stress(0, 400);
    QList<QPointF> all;
    for (int k = 0; k < 30000; ++k) all.append({5.0 + 10 * rate(rng), 100 + 0.25 * stress(rng)});
    const pechart::AxisMap x{40, 1.3, false}, y{500, -4.2, false};
    const auto cell = [&](const QPointF& p) { return std::pair{std::floor(2 * x(p.x())), std::floor(2 * y(p.y()))}; };
    // with the points close together, and with one far off the plot
    QList<QPointF> farOff = all;
    farOff.insert(1000, QPointF(5, 1e9));
    for (const QList<QPointF>& points : {all, farOff}) {
        // the first point of every cell, in the order written
        std::map<std::pair<double, double>, qsizetype> firstOfCell;
        for (qsizetype k = 0; k < points.size(); ++k) firstOfCell.emplace(cell(points[k]), k);
        std::vector<qsizetype> firsts;
        for (const auto& [c, k] : firstOfCell) firsts.push_back(k);
        std::sort(firsts.begin(), firsts.end());
        QList<QPointF> expected;
        for (qsizetype k : firsts) expected.append(points[k]);
        const QList<QPointF> kept = pechart::ThinMarkers(points, x, y);
        EXPECT_EQ(kept, expected);
        EXPECT_LT(kept.size(), points.size());
    }
}

// A long curve reaches the Qt series thinned for the plot area, at every
// size the chart takes, and is drawn as the curve through every point is
// (but for the shades of antialiasing); the store keeps every value.
TEST(PeChartThin, ALongCurveLooksAsDrawnThroughEveryPointAndTheStoreKeepsAll) {
    PeChart c;
    threeAxisLayout(c);
    c.setProp(Subsets, qint16(4));
    c.setProp(MultiAxesSubsets, 2, qint16(2));  // the fourth subset: markers on the third axis
    const int n = 100000;
    c.setProp(Points, n);
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0, 3);
    QList<QList<QPointF>> written(4);
    for (int j = 0; j < n; ++j) {
        const double t = j * 0.01;
        written[0].append({t, 200 + 50 * std::sin(t / 40) + noise(rng)});
        written[1].append({t, 1000 + (j % 500)});
        written[2].append({t, 150 + 0.0005 * j + noise(rng) * 0.1});
        written[3].append({5.0 * (j % 200), 160 + 0.05 * (j % 97)});  // X turns back: markers
    }
    for (int s = 0; s < 4; ++s) writePoints(c, s, written[s]);
    c.setProp(Action, qint16(ActionRedraw));
    for (const QSize size : {QSize(900, 600), QSize(520, 380), QSize(1280, 800)}) {
        SCOPED_TRACE(size.width());
        c.resize(size);
        const QImage thinned = imageOf(c);
        const QList<QLineSeries*> series = lineSeries(c);
        ASSERT_EQ(series.size(), 4);
        for (int s = 0; s < 3; ++s) {
            EXPECT_GT(series[s]->count(), 0);
            EXPECT_LE(series[s]->count(), 4 * size.width());
        }
        EXPECT_EQ(series[3]->pen().style(), Qt::NoPen);
        EXPECT_LT(series[3]->count(), n / 4);
        // The same chart with every point handed to the series.
        for (int s = 0; s < 4; ++s) series[s]->replace(written[s]);
        QImage full = imageOf(c);
        // The ends of the X scale leave the markers of the fourth subset their
        // room, so the lines' first and last pixel columns, dense with the
        // sawtooth's passes, lie inside the plot area: there the shade of one
        // pass of the thinned line and of the many of the whole one differ
        // most. They are left out of the comparison.
        QImage thinnedInside = thinned;
        for (const double t : {written[0].first().x(), written[0].last().x()}) {
            const QPointF at = c.chart()->mapToScene(c.chart()->mapToPosition(QPointF(t, 0), series[0]));
            const int column = c.view()->mapFromScene(at).x();
            for (int x = column - 1; x <= column + 1; ++x)
                for (int y = 0; y < full.height(); ++y) {
                    thinnedInside.setPixel(x, y, qRgb(255, 255, 255));
                    full.setPixel(x, y, qRgb(255, 255, 255));
                }
        }
        EXPECT_LE(clearlyDifferingPixels(thinnedInside, full), size.width() * size.height() / 500);
    }
    for (int s = 0; s < 4; ++s)
        for (int j = 0; j < n; ++j)
            if (c.xData(s, j) != float(written[s][j].x()) || c.yData(s, j) != float(written[s][j].y())) {
                ADD_FAILURE() << "point " << j << " of subset " << s << " not kept";
                break;
            }
}
