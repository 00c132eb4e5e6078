#include "realtime/LiveSamples.h"

#include "data/clsTEST_RESULT.h"

#include <algorithm>

const std::vector<ResultPoint>& LiveSamples::Of(qint32 testId, clsTEST_RESULT& rows, clsConnection* connection) {
    if (Holds(testId)) return points_;
    Forget();
    rows.Test_Id(testId);
    rows.ConnectX(connection);
    std::vector<ResultPoint> points;
    points.reserve(std::size_t(std::max(0, rows.TotalPoints())));
    if (rows.TotalPoints() > 0) {
        for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext()) {
            ResultPoint p;
            p[resultcol::TestId] = testId;
            p[resultcol::RampNo] = rows.RAMP_NO();
            p[resultcol::RampStepNo] = rows.RAMP_STEP_NO();
            p[resultcol::ResultTime] = rows.RESULT_TIME();
            p[resultcol::SampleTemp] = rows.RESULT_SAMPLE_TEMP();
            p[resultcol::Press] = rows.RESULT_PRESS();
            p[resultcol::Speed] = rows.RESULT_SPEED();
            p[resultcol::ShearStress] = rows.RESULT_SHEAR_STRESS();
            p[resultcol::TypeId] = rows.RESULT_TYPE_ID();
            p[resultcol::BathTemp] = rows.RESULT_BATH_TEMP();
            p[resultcol::CycleNo] = rows.CYCLE_NO();
            points.push_back(p);
        }
    }
    points_ = std::move(points);
    testId_ = testId;
    held_ = true;
    return points_;
}

void LiveSamples::Written(qint32 testId, const ResultPoint& row) {
    if (!Holds(testId)) return;
    const double t = row[resultcol::ResultTime];
    // A run writes in time order: the new row almost always goes last.
    if (points_.empty() || !(t < points_.back()[resultcol::ResultTime])) {
        points_.push_back(row);
        return;
    }
    const auto at = std::upper_bound(points_.begin(), points_.end(), t, [](double time, const ResultPoint& p) {
        return time < p[resultcol::ResultTime];
    });
    points_.insert(at, row);
}

void LiveSamples::Forget() {
    held_ = false;
    testId_ = 0;
    points_.clear();
}
