#include "unitrun/LiveSamples.h"

#include "data/clsTEST_RESULT.h"

#include <algorithm>

ResultPoint LiveSamples::PointOf(qint32 testId, const clsTEST_RESULT& r) {
    ResultPoint p;
    p[resultcol::TestId] = testId;
    p[resultcol::RampNo] = r.RAMP_NO();
    p[resultcol::RampStepNo] = r.RAMP_STEP_NO();
    p[resultcol::ResultTime] = r.RESULT_TIME();
    p[resultcol::SampleTemp] = r.RESULT_SAMPLE_TEMP();
    p[resultcol::Press] = r.RESULT_PRESS();
    p[resultcol::Speed] = r.RESULT_SPEED();
    p[resultcol::ShearStress] = r.RESULT_SHEAR_STRESS();
    p[resultcol::TypeId] = r.RESULT_TYPE_ID();
    p[resultcol::BathTemp] = r.RESULT_BATH_TEMP();
    p[resultcol::CycleNo] = r.CYCLE_NO();
    return p;
}

const std::vector<ResultPoint>& LiveSamples::Of(qint32 testId, clsTEST_RESULT& rows, clsConnection* connection) {
    if (Holds(testId)) return points_;
    Forget();
    rows.Test_Id(testId);
    rows.ConnectX(connection);
    std::vector<ResultPoint> points;
    points.reserve(std::size_t(std::max(0, rows.TotalPoints())));
    if (rows.TotalPoints() > 0) {
        for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext()) points.push_back(PointOf(testId, rows));
    }
    points_ = std::move(points);
    ++version_;
    testId_ = testId;
    held_ = true;
    return points_;
}

void LiveSamples::Begin(qint32 testId) {
    Forget();
    testId_ = testId;
    held_ = true;
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
    ++version_;
}

void LiveSamples::Forget() {
    held_ = false;
    testId_ = 0;
    points_.clear();
    ++version_;
}
