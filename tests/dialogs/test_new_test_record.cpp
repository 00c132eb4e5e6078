// The new test's TEST_INFO row as the test windows write it: its key is the
// one its insert returned, also when a stored test has the same name.

#include "data/RecordFixture.h"
#include "data/clsTEST_INFO.h"
#include "dialogs/NewTestRecord.h"

using testing_support::RecordFixture;

namespace {
class NewTestRecord : public RecordFixture {};
}  // namespace

TEST_F(NewTestRecord, AddTestInfoTakesTheKeyOfItsOwnRowWithANamesakeStored) {
    clsTEST_INFO older;
    older.ConnectX(&conn);
    older.TEST_NAME("Run A");
    older.Fluid_ID("Older");
    older.AddNew();
    const int olderKey = lastKey();

    clsTEST_INFO info;
    info.ConnectX(&conn);
    newtest::NewTestFields f;
    f.testName = "Run A";
    f.fluidId = "Brine";
    f.bobNo = "B2";
    const QDateTime when(QDate(2026, 1, 2), QTime(3, 4, 5));
    const qint32 key = newtest::AddTestInfo(info, f, when);

    EXPECT_NE(key, olderKey);
    EXPECT_EQ(key, scalar("SELECT TEST_ID FROM TEST_INFO WHERE FLUID_ID = 'Brine'").toInt());
    // The record object holds the new test's row.
    EXPECT_FALSE(info.Eof());
    EXPECT_EQ(info.Test_Id(), key);
    EXPECT_EQ(info.TEST_NAME(), "Run A");
    EXPECT_EQ(info.Fluid_ID(), "Brine");
    EXPECT_EQ(info.BOB_NO(), "B2");
    EXPECT_EQ(info.TEST_TIME(), when);

    // A refused insert raises and stores nothing.
    sql("CREATE TRIGGER refuse BEFORE INSERT ON TEST_INFO BEGIN SELECT RAISE(ABORT, 'database is full'); END");
    EXPECT_THROW(newtest::AddTestInfo(info, f, when), db::DbError);
    EXPECT_EQ(count("TEST_INFO"), 2);
}
