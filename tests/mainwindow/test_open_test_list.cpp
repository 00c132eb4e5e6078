// The stored-test list of the open-test dialog, without a window.

#include "data/DateText.h"
#include "mainwindow/OpenTestList.h"
#include "platform/FlexGrid.h"

#include <gtest/gtest.h>

namespace {

RowCache listOf(const QStringList& names, const QStringList& bobs = {}) {
    RowCache list(4);
    for (int i = 0; i < names.size(); ++i) {
        list[0] << names[i];
        list[1] << QStringLiteral("2024-03-0%1 00:00:00").arg(i + 1);
        list[2] << QStringLiteral("R%1").arg(i);
        list[3] << (i < bobs.size() ? bobs[i] : QStringLiteral("B1"));
    }
    return list;
}

}  // namespace

TEST(OpenTestList, HeaderIsFourTwoLineColumns) {
    FlexGridModel g;
    InitTestListGrid(g);
    EXPECT_EQ(g.Cols(), 4);
    EXPECT_EQ(g.Rows(), 1);
    const QChar cr(13);
    EXPECT_EQ(g.FormatString(), QStringLiteral("<Test") + cr + "Name|<Test" + cr + "Time|<Researcher" + cr +
                                    "Name|<Test" + cr + "Type");
    EXPECT_EQ(g.TextMatrix(0, 2), QStringLiteral("Researcher") + cr + "Name");
    EXPECT_EQ(g.RowHeight(0), 600);
    for (int c = 0; c < 4; ++c) EXPECT_EQ(g.ColWidth(c), 1800);
}

TEST(OpenTestList, FillShowsTestTypeOnlyForPvtAndSwell) {
    FlexGridModel g;
    InitTestListGrid(g);
    FillTestList(g, listOf({"a", "b", "c", "d"}, {"PVT", "LSM", "B5", "pvt"}));
    ASSERT_EQ(g.Rows(), 5);
    EXPECT_EQ(g.Row(), 1);
    EXPECT_EQ(g.TextMatrix(1, 0), "a");
    EXPECT_EQ(g.TextMatrix(1, 2), "R0");
    EXPECT_EQ(g.TextMatrix(1, 3), "PVT");
    EXPECT_EQ(g.TextMatrix(2, 3), "LSM");
    EXPECT_EQ(g.TextMatrix(3, 3), "");
    EXPECT_EQ(g.TextMatrix(4, 3), "");
    // A refill starts again from the header.
    FillTestList(g, listOf({"x"}));
    EXPECT_EQ(g.Rows(), 2);
    FillTestList(g, RowCache());
    EXPECT_EQ(g.Rows(), 1);
}

TEST(OpenTestList, GeneralDateShowsTimeOnlyWhenNotMidnight) {
    const QString midnight = GeneralDateText(QStringLiteral("2024-03-05 00:00:00"));
    const QString afternoon = GeneralDateText(QStringLiteral("2024-03-05 14:07:09"));
    EXPECT_FALSE(midnight.isEmpty());
    EXPECT_FALSE(midnight.contains(':'));
    EXPECT_TRUE(afternoon.startsWith(midnight + ' '));
    EXPECT_TRUE(afternoon.contains(QStringLiteral("07:09")));
    EXPECT_EQ(GeneralDateText(QVariant()), "");
    EXPECT_EQ(GeneralDateText(QStringLiteral("not a date")), "not a date");
}

TEST(OpenTestList, TypeAheadFindsFirstPrefixWithLetterCase) {
    FlexGridModel g;
    InitTestListGrid(g);
    FillTestList(g, listOf({"Abc", "abd", "T10", "T1", "zz"}));
    struct Case {
        const char* typed;
        int row;
    } cases[] = {
        {"ab", 2},   // Abc does not begin with "ab": letter case counts
        {"A", 1},
        {"T1", 3},   // T10 comes first
        {"T1 ", 5},  // no name begins with it: the last row stays current
        {"q", 5},
    };
    for (const auto& c : cases) {
        g.Row(1);
        EXPECT_EQ(TypeAheadRow(g, QString::fromLatin1(c.typed)), c.row) << c.typed;
        EXPECT_EQ(g.Row(), c.row) << c.typed;
        EXPECT_EQ(g.Col(), 0);
    }
    g.Row(3);
    EXPECT_EQ(TypeAheadRow(g, QString()), -1);
    EXPECT_EQ(g.Row(), 3);
}

TEST(OpenTestList, FindListedNameIgnoresLetterCaseButNotBlanks) {
    FlexGridModel g;
    InitTestListGrid(g);
    FillTestList(g, listOf({"T10", "Mud One", "T1"}));
    QString listed;
    EXPECT_EQ(FindListedName(g, "mud one", &listed), 2);
    EXPECT_EQ(listed, "Mud One");
    EXPECT_EQ(g.Row(), 2);
    EXPECT_EQ(FindListedName(g, "t1", &listed), 3);  // the whole name, not a prefix
    EXPECT_EQ(listed, "T1");
    EXPECT_EQ(FindListedName(g, "Mud One ", &listed), 0);
    EXPECT_EQ(FindListedName(g, "T", &listed), 0);

    FlexGridModel empty;
    InitTestListGrid(empty);
    EXPECT_EQ(FindListedName(empty, "T1"), 0);
}
