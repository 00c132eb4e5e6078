// A stored result row read as numbers: the defaults its missing entries take.

#include "analysis/ResultPoints.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace resultcol;

namespace {

TEST(ResultPoints, NullEntriesTakeTheRecordDefaults) {
    // Null entries take the record defaults (0, CYCLE_NO 1).
    RowArray nulls(12);
    const ResultPoint p = ResultPointFromRow(nulls);
    for (int c = 0; c < 12; ++c) EXPECT_EQ(p[c], c == CycleNo ? 1 : 0) << c;
    EXPECT_EQ(ResultPointFromRow(RowArray{1, 2, QString("x")})[RampNo], 0);
}

TEST(ResultPoints, EachEntryIsItsNumberOrItsColumnsDefault) {
    struct Case {
        const char* what;
        QVariant entry;
        double rampNo, cycleNo;  // the point's RAMP_NO and CYCLE_NO with the entry in both
    };
    const Case cases[] = {
        {"a number", 3, 3, 3},
        {"a number as text", QString("2.5"), 2.5, 2.5},
        {"NaN", std::nan(""), 0, 1},
        {"text that is no number", QString("x"), 0, 1},
        {"a database Null", QVariant(QMetaType::fromType<double>()), 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RowArray row(12);
        row[RampNo] = c.entry;
        row[CycleNo] = c.entry;
        const ResultPoint p = ResultPointFromRow(row);
        EXPECT_EQ(p[RampNo], c.rampNo);
        EXPECT_EQ(p[CycleNo], c.cycleNo);
    }
    // A row shorter than twelve entries: the ones it lacks take the defaults.
    const ResultPoint shortRow = ResultPointFromRow(RowArray{4, 7, 2});
    EXPECT_EQ(shortRow[TestId], 7);
    EXPECT_EQ(shortRow[RampNo], 2);
    EXPECT_EQ(shortRow[ResultTime], 0);
    EXPECT_EQ(shortRow[CycleNo], 1);
}

}  // namespace
