// The report-time PV/YP rule.

#include "analysis/PvYpRule.h"

#include <gtest/gtest.h>

TEST(PvYpRule, ThreeHundredDirectlyAfterSixHundredCarriesPvAndYp) {
    PvYpRule rule;
    EXPECT_FALSE(rule.Next("600.0", "40").isPvYpLine);
    const auto r = rule.Next(" 300.0", "25");
    EXPECT_TRUE(r.isPvYpLine);
    EXPECT_EQ(r.pv, 15);
    EXPECT_EQ(r.yp, 10);
    // The next pair starts again from the 300 rpm line.
    EXPECT_FALSE(rule.Next("300", "20").isPvYpLine);
}

TEST(PvYpRule, OnlyExactSpeedsAndNeverTheFirstLine) {
    struct Case {
        double before;
        bool expected;
    };
    for (const Case c : {Case{600, true}, Case{600.5, false}, Case{200, false}}) {
        PvYpRule rule;
        rule.Next(c.before, 40);
        const auto r = rule.Next(300, 25);
        EXPECT_EQ(r.isPvYpLine, c.expected) << c.before;
        if (!c.expected) {
            EXPECT_EQ(r.pv, 0);
            EXPECT_EQ(r.yp, 0);
        }
    }
    PvYpRule fresh;
    EXPECT_FALSE(fresh.Next(300, 25).isPvYpLine);  // both carried values start at 0
    EXPECT_FALSE(PvYpRule().Next("text", "").isPvYpLine);
}
