// Deleting one stored test by its key: its information, results and
// additives go together, a namesake stays whole, and a statement the
// database refuses takes back the others.

#include "StoredTestsFixture.h"

#include "data/StoredTestDelete.h"

#include <tuple>

using testing_support::StoredTestsFixture;

namespace {

class StoredTestDelete : public StoredTestsFixture {
protected:
    // Two tests of one name in other letter case, and a third, each with
    // results and additives.
    void SetUp() override {
        StoredTestsFixture::SetUp();
        first = addTest("Mud One", "B1", "2024-01-03 10:00:00");
        second = addTest("MUD ONE", "PVT", "2024-01-02 10:00:00");
        other = addTest("Other", "B1", "2024-01-01 10:00:00");
        for (int id : {first, second, other}) {
            for (int k = 0; k <= id % 3; ++k) addResult(id, 10.0 * k);
            addAdditive(id, QStringLiteral("KCl-%1").arg(id), 1.5);
        }
        whole = {stored(first), stored(second), stored(other)};
    }
    void addResult(int testId, double time) {
        sql("INSERT INTO TEST_RESULT (TEST_ID, RESULT_TIME) VALUES (?, ?)", {testId, time});
    }
    // What is stored of a test: its name, its result rows and its additives.
    std::tuple<QString, int, QStringList> stored(int testId) {
        return {scalar("SELECT TEST_NAME FROM TEST_INFO WHERE TEST_ID = ?", {testId}).toString(),
                scalar("SELECT COUNT(*) FROM TEST_RESULT WHERE TEST_ID = ?", {testId}).toInt(), additivesOf(testId)};
    }

    int first = 0, second = 0, other = 0;
    std::vector<std::tuple<QString, int, QStringList>> whole;
};

}  // namespace

TEST_F(StoredTestDelete, RemovesTheTestOfTheKeyAndLeavesItsNamesakeWhole) {
    ASSERT_GT(std::get<1>(whole[1]), 0);
    DeleteStoredTest(&conn, second);
    EXPECT_EQ(stored(second), std::make_tuple(QString(), 0, QStringList()));
    EXPECT_EQ(stored(first), whole[0]);
    EXPECT_EQ(stored(other), whole[2]);
    EXPECT_FALSE(conn.InTransaction());

    // A key no stored test holds deletes nothing.
    DeleteStoredTest(&conn, second);
    EXPECT_EQ(count("TEST_INFO"), 2);
    EXPECT_EQ(stored(first), whole[0]);
    EXPECT_EQ(stored(other), whole[2]);
}

// Whichever of the three statements the database refuses, every test stays
// whole, the failure reaches the caller and no transaction is left open: the
// same delete succeeds once the database takes it.
TEST_F(StoredTestDelete, ARefusedStatementLeavesEveryTestWhole) {
    for (const char* table : {"TEST_INFO", "TEST_RESULT", "TEST_ADDITIVE"}) {
        SCOPED_TRACE(table);
        sql(QStringLiteral("CREATE TRIGGER refuse BEFORE DELETE ON %1 BEGIN SELECT RAISE(ABORT, 'refused'); END")
                .arg(table));
        EXPECT_THROW(DeleteStoredTest(&conn, second), db::DbError);
        EXPECT_FALSE(conn.InTransaction());
        EXPECT_EQ(stored(first), whole[0]);
        EXPECT_EQ(stored(second), whole[1]);
        EXPECT_EQ(stored(other), whole[2]);
        sql("DROP TRIGGER refuse");
    }
    DeleteStoredTest(&conn, second);
    EXPECT_EQ(count("TEST_INFO"), 2);
    EXPECT_EQ(stored(first), whole[0]);
}
