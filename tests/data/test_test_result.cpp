#include "data/clsTEST_RESULT.h"
#include "RecordFixture.h"

#include <QSqlQuery>
#include <array>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <optional>
#include <vector>

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

namespace {

// A stored cell as a current-row field: Null the column's default, a number
// as it stands, a text holding a number in the C locale (blanks around it
// allowed) that number; anything else fails with a type mismatch (nullopt).
std::optional<double> fieldOf(const QVariant& v, int column) {
    if (!v.isValid() || v.isNull()) return column == clsTEST_RESULT::colCYCLE_NO ? 1.0 : 0.0;
    bool ok = false;
    double d = v.toDouble(&ok);
    if (!ok) d = v.toString().trimmed().toDouble(&ok);
    if (!ok) return std::nullopt;
    return d;
}

bool sameNumber(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

// Every cell of every stored row loads into its field as the stored value
// converts, read straight from the database for comparison: Nulls, integers,
// reals at the edges of the double range, texts that read as numbers or
// nearly so, blobs; a cell that holds no number fails at the move that loads
// its row, and the walk goes on past it.
TEST_F(TestResult, EveryStoredCellLoadsAsItsValueConverts) {
    const char* const values[] = {
        "NULL", "0", "-0.0", "1.5", "9007199254740993", "9223372036854775807", "-9223372036854775808",
        "1.7976931348623157e308", "4.9406564584124654e-324", "-1e300", "0.1", "' 12 '", "'nan'", "'NaN'",
        "'inf'", "'-Infinity'", "'1e999'", "''", "'abc'", "'12abc'", "x'0102'", "x''", "'0x10'", "' 7.25e1'",
    };
    const int n = int(std::size(values));
    // Row k holds value k in one column, the other columns a plain number.
    const char* const columns[] = {"RAMP_NO", "RAMP_STEP_NO", "RESULT_SAMPLE_TEMP", "RESULT_PRESS",
                                   "RESULT_SPEED", "RESULT_SHEAR_STRESS", "RESULT_TYPE_ID", "RESULT_BATH_TEMP",
                                   "CYCLE_NO"};
    int time = 0;
    for (const char* column : columns) {
        for (int k = 0; k < n; ++k) {
            ++time;
            sql(QStringLiteral("INSERT INTO TEST_RESULT (TEST_ID, RESULT_TIME, %1) VALUES (9, %2, %3)")
                    .arg(QString::fromLatin1(column))
                    .arg(time)
                    .arg(QString::fromLatin1(values[k])));
        }
    }
    // The same rows as stored, read through plain QSqlQuery.
    QSqlQuery q = sql(clsTEST_RESULT::kKeySql, {9.0});
    std::vector<std::array<QVariant, 12>> stored;
    while (q.next()) {
        std::array<QVariant, 12> row;
        for (int c = 0; c < 12; ++c) row[size_t(c)] = q.value(c);
        stored.push_back(row);
    }
    ASSERT_EQ(int(stored.size()), n * int(std::size(columns)));

    clsTEST_RESULT r;
    r.Test_Id(9);
    r.ConnectX(&conn);
    ASSERT_EQ(r.TotalPoints(), int(stored.size()));
    int mismatches = 0;
    for (size_t i = 0; i < stored.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i);
        bool fails = false;
        double want[12];
        for (int c = 0; c < 12; ++c) {
            const std::optional<double> f = fieldOf(stored[i][size_t(c)], c);
            if (!f) fails = true;
            else want[c] = *f;
        }
        if (fails) {
            ++mismatches;
            if (i == 0) EXPECT_THROW(r.MoveFirst(), db::DbError);
            else EXPECT_THROW(r.MoveNext(), db::DbError);
            continue;
        }
        if (i == 0) r.MoveFirst();
        else r.MoveNext();
        EXPECT_EQ(r.CursorIndex(), int(i));
        const RowArray a = r.All();
        for (int c = 0; c < 12; ++c) {
            EXPECT_TRUE(sameNumber(r.Field(c), want[c])) << "column " << c << ": " << r.Field(c) << " " << want[c];
            EXPECT_TRUE(sameNumber(a[c].toDouble(), want[c])) << "column " << c;
        }
    }
    // Texts that are no number fail in every column they stand in.
    EXPECT_GE(mismatches, 3 * 9);
    r.MoveNext();
    EXPECT_TRUE(r.Eof());
}

// ConnectX reads the rows again whenever they may differ from those it read
// last: after any write, here or through another connection, for another
// test, on another connection; otherwise it gives the same rows again.
TEST_F(TestResult, ConnectXGivesTheRowsAsStoredAfterEveryChange) {
    record(6, 10);
    record(6, 20);
    record(8, 5);
    clsTEST_RESULT r;
    const auto times = [&](qint32 testId) {
        r.Test_Id(testId);
        r.ConnectX(&conn);
        std::vector<double> out;
        for (r.MoveFirst(); !r.Eof(); r.MoveNext()) out.push_back(r.RESULT_TIME());
        return out;
    };
    using V = std::vector<double>;
    EXPECT_EQ(times(6), (V{10, 20}));
    EXPECT_EQ(times(6), (V{10, 20}));
    EXPECT_EQ(times(8), (V{5}));
    EXPECT_EQ(times(6), (V{10, 20}));

    // Written through this connection, by another record object and by SQL.
    record(6, 30);
    EXPECT_EQ(times(6), (V{10, 20, 30}));
    sql("UPDATE TEST_RESULT SET RESULT_TIME = 15 WHERE TEST_ID = 6 AND RESULT_TIME = 20");
    EXPECT_EQ(times(6), (V{10, 15, 30}));
    sql("DELETE FROM TEST_RESULT WHERE TEST_ID = 6 AND RESULT_TIME = 10");
    EXPECT_EQ(times(6), (V{15, 30}));

    // Written through another connection to the same file.
    clsConnection other;
    other.OpenDB();
    clsTEST_RESULT theirs;
    theirs.Test_Id(6);
    theirs.ConnectX(&other);
    theirs.RESULT_TIME(40);
    theirs.AddNew();
    EXPECT_EQ(times(6), (V{15, 30, 40}));
    theirs.Delete();
    EXPECT_EQ(times(6), V{});
    EXPECT_TRUE(r.Eof());
    EXPECT_EQ(r.TotalPoints(), 0);

    // Read through the other connection: its own rows.
    record(6, 50);
    r.Test_Id(6);
    r.ConnectX(&other);
    ASSERT_EQ(r.TotalPoints(), 1);
    r.MoveFirst();
    EXPECT_EQ(r.RESULT_TIME(), 50);
    EXPECT_EQ(times(6), (V{50}));

    // A value written through the record's own AddNew.
    r.RESULT_TIME(60);
    r.AddNew();
    EXPECT_EQ(times(6), (V{50, 60}));

    // Rows read inside a transaction that is then undone are not given again.
    const int transaction = conn.BeginTrans();
    record(6, 70);
    EXPECT_EQ(times(6), (V{50, 60, 70}));
    conn.RollBack(transaction);
    EXPECT_EQ(times(6), (V{50, 60}));
}
