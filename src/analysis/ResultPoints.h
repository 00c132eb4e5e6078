#pragma once
// A stored result row (TEST_RESULT, clsTEST_RESULT::All) as the numbers the
// grids, charts, reports and live runs read: the column of each entry, the
// point of twelve numbers, and the defaults a missing entry takes.

#include "data/RecordBase.h"

#include <array>
#include <cstddef>

class clsTEST_RESULT;

// Entries of a result row array (clsTEST_RESULT::All), each the column of
// that number. Speed, ShearStress, TypeId and BathTemp hold another quantity
// in each kind of test: read them by the names of TestKindColumns.h.
namespace resultcol {
enum : int {
    TestResultId = 0,
    TestId = 1,
    RampNo = 2,        // step
    RampStepNo = 3,    // ramp step
    ResultTime = 4,    // s
    SampleTemp = 5,    // °F
    Press = 6,         // psi
    Speed = 7,         // RESULT_SPEED
    ShearStress = 8,   // RESULT_SHEAR_STRESS
    TypeId = 9,        // RESULT_TYPE_ID
    BathTemp = 10,     // RESULT_BATH_TEMP
    CycleNo = 11,
};
}

// One stored result point as twelve numbers.
struct ResultPoint {
    std::array<double, 12> v{};
    double operator[](int i) const { return v[size_t(i)]; }
    double& operator[](int i) { return v[size_t(i)]; }
};

// The record's default of a result column, which a missing entry takes:
// CYCLE_NO 1, every other column 0.
double ResultColumnDefault(int column);

// A row array as numbers: an entry that is Null, not a number or NaN takes
// the record's default (ResultColumnDefault).
ResultPoint ResultPointFromRow(const RowArray& row);
// The current row of the result records as ResultPointFromRow(results.All())
// gives it, without making the row array.
ResultPoint ResultPointOf(const clsTEST_RESULT& results);
