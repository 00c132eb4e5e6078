#pragma once
// What the files of the main window's charts share: the 3-D chart's property
// numbers, the 16-bit property values, the viscosity of the single-curve and
// 3-D charts, the walk over the loaded result rows and the time charts of
// three curves.

#include "charts/MainCharts.h"
#include "platform/PeChart.h"
#include "data/clsTEST_RESULT.h"

#include <QtGlobal>

#include <array>
#include <vector>

namespace maincharts::parts {

// Properties of the 3-D chart that only the set-ups and builders write (their
// meaning is the control's own).
enum : int {
    Q4 = 4, Q5 = 5, Q6 = 6, Q7 = 7, Q19 = 19, Q34 = 34, Q148 = 148, Q155 = 155, Q160 = 160, Q161 = 161, Q162 = 162
};

constexpr qint16 i16(int v) { return qint16(v); }

// Viscosity (cP) of the single-curve charts.
inline double curveViscosity(double rate, double stress) {
    return rate < 0.00002 ? 0.0 : (stress / (rate + 0.0000001)) * 100.0;
}

}  // namespace maincharts::parts

template <class Visit>
void MainCharts::forEachRow(qint32 n, Visit visit) {
    if (n <= 0) return;
    testResults_.MoveFirst();
    for (qint32 i = 0; i < n; ++i) {
        const ResultRow row{testResults_.RESULT_TIME(),  testResults_.RESULT_SAMPLE_TEMP(),
                            testResults_.RESULT_PRESS(), testResults_.RESULT_SPEED(),
                            testResults_.RESULT_SHEAR_STRESS(), testResults_.RESULT_TYPE_ID()};
        visit(i, row);
        testResults_.MoveNext();
    }
    // The walk ends on the last row, which stays current.
    CurResultRow = testResults_.All();
}

template <class Keep, class Point>
void MainCharts::plotThreeSubsets(qint32 n, Keep keep, Point point) {
    using namespace pesgo;
    std::vector<std::array<float, 4>> points;
    points.reserve(size_t(qMax(n, 0)));
    forEachRow(n, [&](qint32, const ResultRow& row) {
        if (keep(row)) points.push_back(point(row));
    });
    const int k = int(points.size());
    pesgo1_.setProp(Points, k);
    for (int j = 0; j < k; ++j) {
        const std::array<float, 4>& p = points[size_t(j)];
        pesgo1_.setProp(XData, 0, j, p[0]);
        pesgo1_.setProp(YData, 0, j, p[1]);
        pesgo1_.setProp(XData, 1, j, p[0]);
        pesgo1_.setProp(YData, 1, j, p[2]);
        pesgo1_.setProp(XData, 2, j, p[0]);
        pesgo1_.setProp(YData, 2, j, p[3]);
    }
}
