#include "data/clsTEST_RESULT.h"
#include "RecordFixture.h"

#include <cmath>
#include <limits>

using testing_support::RecordFixture;

namespace {

class TestResult : public RecordFixture {
protected:
    void SetUp() override {
        RecordFixture::SetUp();
        writer.ConnectX(&conn);
    }
    // Records one point of a test the way the test windows do.
    void record(qint32 testId, double time, double rampNo = 1, double cycle = 1) {
        writer.Test_Id(testId);
        writer.RAMP_NO(rampNo);
        writer.RESULT_TIME(time);
        writer.CYCLE_NO(cycle);
        writer.AddNew();
    }
    clsTEST_RESULT writer;
};

}  // namespace

TEST(TestResultRecord, NewInstanceHoldsTheDefaults) {
    clsTEST_RESULT r;
    const RowArray a = r.All();
    ASSERT_EQ(a.size(), 12);
    for (int c = 0; c < 11; ++c) EXPECT_EQ(a[c], QVariant(0.0)) << c;
    EXPECT_EQ(a[clsTEST_RESULT::colCYCLE_NO], QVariant(1.0));
    EXPECT_EQ(r.Test_Id(), 0);
    EXPECT_EQ(r.TotalPoints(), 0);
    EXPECT_EQ(r.rTestResult(), nullptr);
    EXPECT_THROW(r.GetTestDetail(), db::DbError);
    EXPECT_THROW(r.AddNew(), db::DbError);
    EXPECT_THROW(r.Delete(), db::DbError);
}

TEST(TestResultRecord, TestIdReadsAsTheNearestIntegerHalvesToEven) {
    struct Case {
        double stored;
        qint32 read;
    } cases[] = {{42, 42}, {42.5, 42}, {43.5, 44}, {-2.5, -2}, {41.4999, 41}, {2147483647.0, 2147483647}};
    clsTEST_RESULT r;
    for (const Case& c : cases) {
        RowArray a = r.All();
        a[clsTEST_RESULT::colTEST_ID] = c.stored;
        r.All(a);
        EXPECT_EQ(r.Test_Id(), c.read) << c.stored;
    }
    RowArray a = r.All();
    a[clsTEST_RESULT::colTEST_ID] = 2147483648.0;
    r.All(a);
    EXPECT_THROW(r.Test_Id(), db::DbError);
    a[clsTEST_RESULT::colTEST_ID] = std::numeric_limits<double>::quiet_NaN();
    r.All(a);
    EXPECT_THROW(r.Test_Id(), db::DbError);

    r.Test_Id(42);
    EXPECT_EQ(r.Test_Id(), 42);
    EXPECT_EQ(r.All()[clsTEST_RESULT::colTEST_ID], QVariant(42.0));
}

TEST_F(TestResult, EveryColumnRoundTrips) {
    writer.Test_Id(42);
    writer.RAMP_NO(3);
    writer.RAMP_STEP_NO(7);
    writer.RESULT_TIME(1234.5);
    writer.RESULT_SAMPLE_TEMP(350.25);
    writer.RESULT_PRESS(19999.9);
    writer.RESULT_SPEED(511.0 * 1.70229);
    writer.RESULT_SHEAR_STRESS(-0.000123);
    writer.RESULT_TYPE_ID(1);
    writer.RESULT_BATH_TEMP(1e300);
    writer.CYCLE_NO(0);
    writer.AddNew();
    ASSERT_EQ(count("TEST_RESULT"), 1);
    const int key = lastKey();
    EXPECT_EQ(scalar("SELECT typeof(TEST_ID) FROM TEST_RESULT").toString(), "integer");

    clsTEST_RESULT r;
    r.Test_Id(42);
    r.ConnectX(&conn);
    ASSERT_EQ(r.TotalPoints(), 1);
    EXPECT_FALSE(r.Eof());
    r.MoveFirst();
    EXPECT_EQ(r.Test_Id(), 42);
    EXPECT_EQ(r.RAMP_NO(), 3);
    EXPECT_EQ(r.RAMP_STEP_NO(), 7);
    EXPECT_EQ(r.RESULT_TIME(), 1234.5);
    EXPECT_EQ(r.RESULT_SAMPLE_TEMP(), 350.25);
    EXPECT_EQ(r.RESULT_PRESS(), 19999.9);
    EXPECT_EQ(r.RESULT_SPEED(), 511.0 * 1.70229);
    EXPECT_EQ(r.RESULT_SHEAR_STRESS(), -0.000123);
    EXPECT_EQ(r.RESULT_TYPE_ID(), 1);
    EXPECT_EQ(r.RESULT_BATH_TEMP(), 1e300);
    EXPECT_EQ(r.CYCLE_NO(), 0);

    const RowArray a = r.All();
    ASSERT_EQ(a.size(), 12);
    EXPECT_EQ(a[clsTEST_RESULT::colTEST_RESULT_ID], QVariant(double(key)));
    EXPECT_EQ(a[clsTEST_RESULT::colTEST_ID], QVariant(42.0));
    EXPECT_EQ(a[clsTEST_RESULT::colRESULT_TIME], QVariant(1234.5));
    for (const QVariant& v : a) EXPECT_EQ(v.metaType().id(), QMetaType::Double);
}

TEST_F(TestResult, NullColumnsLoadAsZeroAndCycleOne) {
    sql("INSERT INTO TEST_RESULT (TEST_ID) VALUES (5)");
    clsTEST_RESULT r;
    r.Test_Id(5);
    r.ConnectX(&conn);
    r.CYCLE_NO(9);
    r.RESULT_PRESS(9);
    r.MoveFirst();
    const RowArray a = r.All();
    EXPECT_EQ(a[clsTEST_RESULT::colTEST_RESULT_ID], QVariant(double(lastKey())));
    EXPECT_EQ(r.Test_Id(), 5);
    for (int c = clsTEST_RESULT::colRAMP_NO; c < clsTEST_RESULT::colCYCLE_NO; ++c)
        EXPECT_EQ(a[c], QVariant(0.0)) << c;
    EXPECT_EQ(r.CYCLE_NO(), 1);
}

TEST_F(TestResult, PointsComeInTimeOrderAndTheCursorWalksThemOnce) {
    record(7, 120, 3);
    record(7, 0, 1);
    record(8, 30, 9);
    record(7, 60, 2);
    clsTEST_RESULT r;
    r.Test_Id(7);
    r.ConnectX(&conn);
    ASSERT_EQ(r.TotalPoints(), 3);
    EXPECT_EQ(r.RAMP_NO(), 0);  // ConnectX loads no row
    r.MoveFirst();
    EXPECT_EQ(r.RESULT_TIME(), 0);
    EXPECT_EQ(r.RAMP_NO(), 1);
    r.MoveNext();
    r.MoveNext();
    EXPECT_EQ(r.RESULT_TIME(), 120);
    EXPECT_FALSE(r.Eof());
    r.MoveNext();
    EXPECT_TRUE(r.Eof());
    EXPECT_EQ(r.RESULT_TIME(), 120);  // nothing loaded

    // This class's MoveFirst clears the end flag; MoveLast leaves it alone.
    r.MoveLast();
    EXPECT_TRUE(r.Eof());
    EXPECT_EQ(r.CursorIndex(), 2);
    r.MoveFirst();
    EXPECT_FALSE(r.Eof());

    QVector<double> times;
    for (r.MoveFirst(); !r.Eof(); r.MoveNext()) times << r.RESULT_TIME();
    EXPECT_EQ(times, (QVector<double>{0, 60, 120}));

    r.MoveFirst();
    r.MoveRel(100);
    EXPECT_EQ(r.CursorIndex(), 2);
    EXPECT_EQ(r.RESULT_TIME(), 120);
    r.MoveRel(-100);
    EXPECT_EQ(r.CursorIndex(), 0);
    EXPECT_EQ(r.RESULT_TIME(), 0);
    r.MoveRel(1);
    EXPECT_EQ(r.RESULT_TIME(), 60);
    r.MovePrevious();
    r.MovePrevious();
    EXPECT_EQ(r.CursorIndex(), 0);
    EXPECT_EQ(r.RESULT_TIME(), 0);
}

TEST_F(TestResult, ATestWithoutPointsLeavesEofUpAndLoadsNothing) {
    record(1, 10);
    clsTEST_RESULT r;
    r.Test_Id(1);
    r.ConnectX(&conn);
    ASSERT_EQ(r.TotalPoints(), 1);
    r.Test_Id(2);
    r.ConnectX(&conn);
    EXPECT_EQ(r.TotalPoints(), 0);
    EXPECT_TRUE(r.Eof());
    EXPECT_TRUE(r.IsEmpty());
    r.RESULT_TIME(-1);
    r.MoveFirst();
    EXPECT_TRUE(r.Eof());
    EXPECT_EQ(r.RESULT_TIME(), -1);
    r.MoveNext();
    r.MovePrevious();
    r.MoveRel(5);
    r.MoveLast();
    EXPECT_TRUE(r.Eof());
    EXPECT_EQ(r.RESULT_TIME(), -1);
}

TEST_F(TestResult, AddNewShowsOnlyAfterTheNextConnectX) {
    record(3, 0);
    clsTEST_RESULT r;
    r.Test_Id(3);
    r.ConnectX(&conn);
    ASSERT_EQ(r.TotalPoints(), 1);
    r.RESULT_TIME(60);
    r.AddNew();
    EXPECT_EQ(r.TotalPoints(), 1);
    EXPECT_EQ(r.rTestResult()->rowCount, 1);
    r.ConnectX(&conn);
    EXPECT_EQ(r.TotalPoints(), 2);
    EXPECT_EQ(r.rTestResult()->rowCount, 2);
    EXPECT_EQ(r.rTestResult()->columnCount(), 12);
}

TEST_F(TestResult, GetTestDetailReloadsAndLoadsTheFirstRow) {
    record(4, 10, 5);
    record(4, 20, 6);
    clsTEST_RESULT r;
    r.Test_Id(4);
    r.ConnectX(&conn);
    r.MoveLast();
    record(4, 5, 4);
    r.GetTestDetail();
    EXPECT_EQ(r.TotalPoints(), 3);
    EXPECT_FALSE(r.Eof());
    EXPECT_EQ(r.CursorIndex(), 1);  // unchanged
    EXPECT_EQ(r.RESULT_TIME(), 5);
    EXPECT_EQ(r.RAMP_NO(), 4);

    r.Test_Id(99);
    r.GetTestDetail();
    EXPECT_TRUE(r.Eof());
    EXPECT_EQ(r.TotalPoints(), 0);
    EXPECT_EQ(r.Test_Id(), 0);  // defaults
    EXPECT_EQ(r.CYCLE_NO(), 1);
}

TEST_F(TestResult, DeleteRemovesThePointsOfTheCurrentTestOnly) {
    record(1, 0);
    record(1, 1);
    record(2, 0);
    writer.Test_Id(1);
    writer.Delete();
    EXPECT_EQ(count("TEST_RESULT"), 1);
    EXPECT_EQ(scalar("SELECT TEST_ID FROM TEST_RESULT").toInt(), 2);
}

TEST_F(TestResult, UpdateChangesNothingAndKeysAreNeverReused) {
    record(1, 0);
    const int first = lastKey();
    writer.RESULT_TIME(99);
    writer.Update();
    EXPECT_EQ(scalar("SELECT RESULT_TIME FROM TEST_RESULT").toDouble(), 0);

    writer.Delete();
    record(1, 0);
    clsTEST_RESULT r;
    r.Test_Id(1);
    r.ConnectX(&conn);
    r.MoveFirst();
    EXPECT_GT(r.All()[clsTEST_RESULT::colTEST_RESULT_ID].toDouble(), first);
}

TEST_F(TestResult, AllSetsTheTwelveFields) {
    RowArray a;
    for (int c = 0; c < 12; ++c) a << double(c) + 0.5;
    writer.All(a);
    EXPECT_EQ(writer.All(), a);
    EXPECT_EQ(writer.RESULT_BATH_TEMP(), 10.5);
    EXPECT_EQ(writer.Test_Id(), 2);  // 1.5 rounds to 2
    a.removeLast();
    EXPECT_THROW(writer.All(a), db::DbError);
}
