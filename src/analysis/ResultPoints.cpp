#include "analysis/ResultPoints.h"

#include "data/clsTEST_RESULT.h"

#include <cmath>

using namespace resultcol;

static_assert(RampNo == clsTEST_RESULT::colRAMP_NO && RampStepNo == clsTEST_RESULT::colRAMP_STEP_NO &&
              ResultTime == clsTEST_RESULT::colRESULT_TIME && SampleTemp == clsTEST_RESULT::colRESULT_SAMPLE_TEMP &&
              Press == clsTEST_RESULT::colRESULT_PRESS && Speed == clsTEST_RESULT::colRESULT_SPEED &&
              ShearStress == clsTEST_RESULT::colRESULT_SHEAR_STRESS && TypeId == clsTEST_RESULT::colRESULT_TYPE_ID &&
              BathTemp == clsTEST_RESULT::colRESULT_BATH_TEMP && CycleNo == clsTEST_RESULT::colCYCLE_NO,
              "the entries of a result point are the columns of a TEST_RESULT row");

double ResultColumnDefault(int column) { return column == CycleNo ? 1.0 : 0.0; }

ResultPoint ResultPointFromRow(const RowArray& row) {
    ResultPoint p;
    for (int c = 0; c < 12; ++c) {
        double v = ResultColumnDefault(c);
        if (c < row.size() && row[c].isValid() && !row[c].isNull()) {
            bool ok = false;
            const double d = row[c].toDouble(&ok);
            if (ok && !std::isnan(d)) v = d;
        }
        p[c] = v;
    }
    return p;
}

ResultPoint ResultPointOf(const clsTEST_RESULT& results) {
    // All() holds every field as a number: only NaN takes the default.
    ResultPoint p;
    for (int c = 0; c < 12; ++c) {
        const double v = results.Field(c);
        p[c] = std::isnan(v) ? ResultColumnDefault(c) : v;
    }
    return p;
}
