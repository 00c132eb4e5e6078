// The one stored-test list and the grids made from it: the tests of
// clsTEST_INFO's list in its order, each grid's type column and filter, the
// keys of the rows listed; and the three dialogs that show it list the same
// tests from one database.

#include "data/DateText.h"
#include "data/StoredTestsFixture.h"
#include "data/clsTEST_INFO.h"
#include "dialogs/OverlapChooser.h"
#include "dialogs/StoredTestList.h"
#include "platform/FlexGrid.h"

using testing_support::StoredTestsFixture;

namespace {

class StoredTestListTest : public StoredTestsFixture {
protected:
    static QList<QStringList> rows(const FlexGridModel& g) {
        QList<QStringList> out;
        for (int r = 1; r < g.Rows(); ++r) {
            QStringList cells;
            for (int c = 0; c < 4; ++c) cells << g.TextMatrix(r, c);
            out << cells;
        }
        return out;
    }
};

TEST_F(StoredTestListTest, TheListInItsOrderWithKeys) {
    const int rheo = addTest("Rheo", "B1", "2024-01-01 10:00:00");
    const int pvt = addTest("Pvt", "PVT", "2024-01-03 10:00:00");
    const int swell = addTest("Swell", "LSM", "2024-01-02 10:00:00");
    sql("INSERT INTO TEST_INFO (TEST_NAME, TEST_TIME, BOB_NO) VALUES (NULL, '2023-01-01 10:00:00', NULL)");
    const int unnamed = scalar("SELECT last_insert_rowid()").toInt();
    clsTEST_INFO info;
    info.ConnectX(&conn);
    const QVector<storedtests::StoredTest> tests = storedtests::FromListRows(info.StoredTests());
    ASSERT_EQ(tests.size(), 4);
    QStringList names;
    QVector<qint32> keys;
    for (const auto& t : tests) {
        names << t.name;
        keys << t.key;
    }
    EXPECT_EQ(names, (QStringList{"Pvt", "Swell", "Rheo", ""}));
    EXPECT_EQ(keys, (QVector<qint32>{pvt, swell, rheo, unnamed}));
    EXPECT_EQ(tests[0].researcher, "Res");
    EXPECT_TRUE(tests[3].bobNo.isNull());

    // The type column of each grid, and the overlay's filter of a kind.
    struct GridCase {
        const char* grid;
        storedtests::TypeColumn type;
        storedtests::TestFilter filter;
        QList<QStringList> expected;
    };
    const QString t1 = GeneralDateText(QString("2024-01-03 10:00:00"));
    const QString t2 = GeneralDateText(QString("2024-01-02 10:00:00"));
    const QString t3 = GeneralDateText(QString("2024-01-01 10:00:00"));
    const QString t4 = GeneralDateText(QString("2023-01-01 10:00:00"));
    const GridCase cases[] = {
        {"Open Saved Test", storedtests::TypeColumn::KindText, {},
         {{"Pvt", t1, "Res", "PVT"}, {"Swell", t2, "Res", "LSM"}, {"Rheo", t3, "Res", ""}, {"", t4, "", ""}}},
        {"test information", storedtests::TypeColumn::BobNo, {},
         {{"Pvt", t1, "Res", "PVT"}, {"Swell", t2, "Res", "LSM"}, {"Rheo", t3, "Res", "B1"}, {"", t4, "", ""}}},
        {"overlay of a rheology test", storedtests::TypeColumn::KindText,
         [](const storedtests::StoredTest& t) { return overlap::PassesKind(t.bobNo, 0); },
         {{"Rheo", t3, "Res", ""}}},
    };
    for (const GridCase& c : cases) {
        SCOPED_TRACE(c.grid);
        FlexGridModel grid;
        grid.Cols(4);
        grid.Rows(3);
        const QVector<qint32> listed = storedtests::FillStoredTestGrid(grid, tests, c.type, c.filter);
        EXPECT_EQ(rows(grid), c.expected);
        EXPECT_EQ(listed.size(), c.expected.size());
        EXPECT_EQ(grid.Row(), 1);
    }
    FlexGridModel none;
    none.Cols(4);
    EXPECT_TRUE(storedtests::FillStoredTestGrid(none, {}, storedtests::TypeColumn::BobNo).isEmpty());
    EXPECT_EQ(none.Rows(), 1);
}

}  // namespace
