// Command::execute reads the rows after the first straight from the SQLite
// statement: every value must come out exactly as QSqlQuery gives it.

#include "platform/Database.h"
#include "support/TempDb.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <gtest/gtest.h>
#include <cstring>
#include <functional>
#include <limits>

using testing_support::TempDb;

namespace {

// Every row of a query read through plain QSqlQuery, column by row.
QVector<QVector<QVariant>> readPlain(db::Connection& c, const QString& sql, const QVariantList& values = {}) {
    QSqlQuery q(c.handle());
    q.setForwardOnly(true);
    EXPECT_TRUE(q.prepare(sql)) << q.lastError().text().toStdString();
    for (int i = 0; i < values.size(); ++i) q.bindValue(i, values[i]);
    EXPECT_TRUE(q.exec()) << q.lastError().text().toStdString();
    QVector<QVector<QVariant>> cols(q.record().count());
    while (q.next())
        for (int i = 0; i < cols.size(); ++i) cols[i].append(q.value(i));
    return cols;
}

void expectSameValues(const QVector<QVector<QVariant>>& got, const QVector<QVector<QVariant>>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (int c = 0; c < want.size(); ++c) {
        ASSERT_EQ(got[c].size(), want[c].size()) << "column " << c;
        for (int r = 0; r < want[c].size(); ++r) {
            SCOPED_TRACE(testing::Message() << "column " << c << " row " << r);
            EXPECT_EQ(got[c][r].metaType(), want[c][r].metaType());
            EXPECT_EQ(got[c][r].isNull(), want[c][r].isNull());
            EXPECT_EQ(got[c][r], want[c][r]);
        }
    }
}

class DatabaseRows : public ::testing::Test {
protected:
    void SetUp() override {
        conn.open(tmp.path());
        QSqlQuery q(conn.handle());
        ASSERT_TRUE(q.exec("CREATE TABLE MIXED (ID INTEGER PRIMARY KEY AUTOINCREMENT, I INTEGER, R REAL, T TEXT, "
                           "B BLOB, D DATE, N NUMERIC, V)"))
            << q.lastError().text().toStdString();
        // Each row holds every storage class somewhere, and Nulls in every column.
        const QVariantList rows[] = {
            {7, 2.5, "plain", QByteArray("\x01\x00\x02", 3), "2024-01-02 03:04:05", 12, "x"},
            {QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant()},
            {qlonglong(1) << 40, -1e-300, QString::fromUtf8("Viskosit" "\xc3\xa4" "t " "\xc2\xb0" "F " "\xf0\x9f\x98\x80"),
             QByteArray(), "not a date", 1.5, 3.25},
            {-3, 1e300, QString(""), QByteArray("b"), QVariant(), "12abc", 99},
            {0, 0.0, QString(1000, QLatin1Char('w')), QByteArray(300, 'z'), "2000-01-01", QVariant(), "42"},
        };
        QSqlQuery ins(conn.handle());
        ASSERT_TRUE(ins.prepare("INSERT INTO MIXED (I, R, T, B, D, N, V) VALUES (?, ?, ?, ?, ?, ?, ?)"));
        for (const auto& row : rows) {
            for (int i = 0; i < row.size(); ++i) ins.bindValue(i, row[i]);
            ASSERT_TRUE(ins.exec()) << ins.lastError().text().toStdString();
        }
    }
    TempDb tmp;
    db::Connection conn;
};

}  // namespace

TEST_F(DatabaseRows, EveryRowAndValueIsReadAsTheDriverReadsIt) {
    const QString sql = "SELECT ID, I, R, T, B, D, N, V FROM MIXED ORDER BY ID";
    db::Command cmd(&conn, sql);
    auto rs = cmd.execute();
    EXPECT_EQ(rs->rowCount, 5);
    expectSameValues(rs->columns, readPlain(conn, sql));

    // The prepared command gives the same again, also for fewer rows.
    rs = cmd.execute();
    expectSameValues(rs->columns, readPlain(conn, sql));
    db::Command some(&conn, "SELECT T, I FROM MIXED WHERE ID >= ? ORDER BY ID DESC");
    some.appendParameter("pID", db::adInteger);
    for (int from : {1, 4, 5, 6}) {
        some.setValue(0, from);
        rs = some.execute();
        EXPECT_EQ(rs->rowCount, 6 - from);
        expectSameValues(rs->columns, readPlain(conn, some.text(), {from}));
    }
}

TEST_F(DatabaseRows, ExpressionsAndEmptyResultsKeepTheirShape) {
    const QString sql = "SELECT ID * 2, R / 2, T || '!', NULL, typeof(V) FROM MIXED ORDER BY ID";
    auto rs = db::Command(&conn, sql).execute();
    EXPECT_EQ(rs->rowCount, 5);
    expectSameValues(rs->columns, readPlain(conn, sql));

    rs = db::Command(&conn, "SELECT ID, T FROM MIXED WHERE ID < 0").execute();
    EXPECT_EQ(rs->rowCount, 0);
    EXPECT_EQ(rs->columnCount(), 2);
}

TEST_F(DatabaseRows, ALongResultComesWholeAndInOrder) {
    QSqlQuery q(conn.handle());
    ASSERT_TRUE(q.exec("CREATE TABLE SEQ (K INTEGER, X REAL)"));
    ASSERT_TRUE(q.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000) "
                       "INSERT INTO SEQ SELECT i, i * 0.5 FROM n"));
    auto rs = db::Command(&conn, "SELECT K, X FROM SEQ ORDER BY K").execute();
    ASSERT_EQ(rs->rowCount, 5000);
    for (int r = 0; r < 5000; ++r) {
        ASSERT_EQ(rs->columns[0][r], QVariant(qlonglong(r + 1)));
        ASSERT_EQ(rs->columns[1][r], QVariant((r + 1) * 0.5));
    }
}

TEST_F(DatabaseRows, AFailureWhileReadingIsReportedAndTheCommandStaysUsable) {
    // abs() of the smallest integer overflows: a failure met at the third row.
    QSqlQuery q(conn.handle());
    ASSERT_TRUE(q.exec("CREATE TABLE BAD (K INTEGER)"));
    ASSERT_TRUE(q.exec("INSERT INTO BAD VALUES (1), (2), (-9223372036854775808), (4)"));
    db::Command cmd(&conn, "SELECT abs(K) FROM BAD WHERE K <> ? ORDER BY rowid");
    cmd.appendParameter("pK", db::adInteger, 0, 999);
    QString first;
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            cmd.execute();
            ADD_FAILURE() << "the overflow was not reported";
        } catch (const db::DbError& e) {
            EXPECT_NE(e.number(), 0);
            EXPECT_TRUE(e.description().contains("overflow", Qt::CaseInsensitive)) << e.description().toStdString();
            // The statement was reset: running it again fails the same way, not as a misuse.
            if (attempt == 0) first = e.description();
            else EXPECT_EQ(e.description(), first);
        }
    }
    ASSERT_TRUE(q.exec("INSERT INTO BAD VALUES (5)")) << q.lastError().text().toStdString();
    db::Command ok(&conn, "SELECT abs(K) FROM BAD WHERE K > ? ORDER BY rowid");
    ok.appendParameter("pK", db::adInteger, 0, 0);
    auto rs = ok.execute();
    EXPECT_EQ(rs->columns[0], (QVector<QVariant>{qlonglong(1), qlonglong(2), qlonglong(4), qlonglong(5)}));
}

namespace {

// A number-fetched row set against the variant fetch of the same query: a
// cell the variant fetch gives as a number holds the same number (to the bit),
// every other cell is that same variant.
void expectSameCells(const db::RowSet& numbers, const db::RowSet& variants) {
    ASSERT_TRUE(numbers.columns.isEmpty());
    ASSERT_EQ(numbers.rowCount, variants.rowCount);
    ASSERT_EQ(numbers.columnCount(), variants.columnCount());
    for (int c = 0; c < variants.columnCount(); ++c) {
        const db::NumberColumn& col = numbers.numbers[size_t(c)];
        ASSERT_EQ(int(col.values.size()), variants.rowCount);
        for (int r = 0; r < variants.rowCount; ++r) {
            SCOPED_TRACE(testing::Message() << "column " << c << " row " << r);
            const QVariant& want = variants.columns[c][r];
            const QVariant* other = nullptr;
            const bool number = col.number(r, &other);
            const int type = want.metaType().id();
            if (!want.isNull() && (type == QMetaType::LongLong || type == QMetaType::Double)) {
                ASSERT_TRUE(number);
                const double d = type == QMetaType::LongLong ? double(want.toLongLong()) : want.toDouble();
                EXPECT_EQ(std::memcmp(&col.values[size_t(r)], &d, sizeof d), 0) << col.values[size_t(r)] << " " << d;
                EXPECT_EQ(col.cell(r), QVariant(d));
            } else {
                ASSERT_FALSE(number);
                EXPECT_EQ(other->metaType(), want.metaType());
                EXPECT_EQ(other->isNull(), want.isNull());
                EXPECT_EQ(*other, want);
                EXPECT_EQ(col.cell(r), want);
            }
        }
    }
}

std::shared_ptr<db::RowSet> fetch(db::Connection& conn, const QString& sql, bool numbers,
                                  const QVariantList& values = {}) {
    db::Command cmd(&conn, sql);
    for (int i = 0; i < values.size(); ++i) cmd.appendParameter(QStringLiteral("p%1").arg(i), db::adDouble, 0, values[i]);
    cmd.setNumberFetch(numbers);
    return cmd.execute();
}

}  // namespace

TEST_F(DatabaseRows, NumberFetchGivesEveryCellAsTheVariantFetchGivesIt) {
    QSqlQuery q(conn.handle());
    ASSERT_TRUE(q.exec("CREATE TABLE NUMS (K INTEGER PRIMARY KEY, A REAL, B REAL, C)"));
    // Nulls, integers (stored in REAL columns too), reals at the edges of the
    // double range, texts that read as numbers or nearly so, a blob.
    const QVariantList rows[] = {
        {QVariant(), QVariant(), QVariant()},
        {0, -0.0, qlonglong(9007199254740993)},
        {qlonglong(9223372036854775807), std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min()},
        {qlonglong(-9223372036854775807) - 1, -1e300, 0.1},
        {1.5, 1e-310, QString("nan")},
        {QString("NaN"), QString(" 12 "), QString("inf")},
        {QString("1e999"), QString("-Infinity"), QString("abc")},
        {QString(""), QByteArray("\x01\x02", 2), QByteArray()},
        {12345678901234.5, 2.2250738585072014e-308, -7},
        {QVariant(), 3, QVariant()},
    };
    QSqlQuery ins(conn.handle());
    ASSERT_TRUE(ins.prepare("INSERT INTO NUMS (A, B, C) VALUES (?, ?, ?)"));
    for (const auto& row : rows) {
        for (int i = 0; i < row.size(); ++i) ins.bindValue(i, row[i]);
        ASSERT_TRUE(ins.exec()) << ins.lastError().text().toStdString();
    }
    const QString queries[] = {
        "SELECT K, A, B, C FROM NUMS ORDER BY K",
        "SELECT C, B, A, K FROM NUMS ORDER BY K DESC",
        "SELECT ID, I, R, T, B, D, N, V FROM MIXED ORDER BY ID",
        "SELECT ID * 2, R / 2, T || '!', NULL, typeof(V) FROM MIXED ORDER BY ID",
        "SELECT K, A FROM NUMS WHERE K > 100",
    };
    for (const QString& sql : queries) {
        SCOPED_TRACE(sql.toStdString());
        expectSameCells(*fetch(conn, sql, true), *fetch(conn, sql, false));
    }
    // Parameters, and the first row alone.
    for (double from : {1.0, 9.0, 10.0, 11.0}) {
        const QString sql = "SELECT K, A, B, C FROM NUMS WHERE K >= ? ORDER BY K";
        expectSameCells(*fetch(conn, sql, true, {from}), *fetch(conn, sql, false, {from}));
    }
    EXPECT_EQ(fetch(conn, "SELECT K, A FROM NUMS WHERE K > 100", true)->columnCount(), 2);
}

TEST_F(DatabaseRows, NumberFetchOfALongResultComesWholeAndInOrder) {
    QSqlQuery q(conn.handle());
    ASSERT_TRUE(q.exec("CREATE TABLE SEQ (K INTEGER, X REAL)"));
    ASSERT_TRUE(q.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000) "
                       "INSERT INTO SEQ SELECT i, CASE WHEN i % 7 = 0 THEN NULL ELSE i * 0.5 END FROM n"));
    const QString sql = "SELECT K, X FROM SEQ ORDER BY K";
    const auto rs = fetch(conn, sql, true);
    ASSERT_EQ(rs->rowCount, 5000);
    EXPECT_EQ(rs->numbers[0].otherRows.size(), 0u);
    EXPECT_EQ(rs->numbers[1].otherRows.size(), 5000u / 7);
    for (int r = 0; r < 5000; ++r) ASSERT_EQ(rs->numbers[0].values[size_t(r)], r + 1);
    expectSameCells(*rs, *fetch(conn, sql, false));
}

TEST_F(DatabaseRows, NumberFetchReportsAFailureWhileReadingAsTheVariantFetchDoes) {
    QSqlQuery q(conn.handle());
    ASSERT_TRUE(q.exec("CREATE TABLE BAD (K INTEGER)"));
    ASSERT_TRUE(q.exec("INSERT INTO BAD VALUES (1), (2), (-9223372036854775808), (4)"));
    const QString sql = "SELECT abs(K) FROM BAD ORDER BY rowid";
    QString want;
    try {
        fetch(conn, sql, false);
        ADD_FAILURE() << "the overflow was not reported";
    } catch (const db::DbError& e) {
        want = e.description();
    }
    db::Command cmd(&conn, sql);
    cmd.setNumberFetch(true);
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            cmd.execute();
            ADD_FAILURE() << "the overflow was not reported";
        } catch (const db::DbError& e) {
            EXPECT_EQ(e.description(), want);
        }
    }
}

TEST_F(DatabaseRows, TheChangeStampMovesWithEveryChangeFromAnyConnection) {
    const auto first = conn.changeStamp();
    ASSERT_TRUE(first.has_value());
    // Reading changes nothing.
    db::Command(&conn, "SELECT * FROM MIXED").execute();
    EXPECT_EQ(conn.changeStamp(), first);

    db::Connection other;
    other.open(tmp.path());
    const auto step = [&](const char* what, const std::function<void()>& change) {
        SCOPED_TRACE(what);
        const auto before = conn.changeStamp();
        change();
        const auto after = conn.changeStamp();
        ASSERT_TRUE(after.has_value());
        EXPECT_NE(after, before);
        EXPECT_EQ(conn.changeStamp(), after);  // and stands still again
    };
    QSqlQuery own(conn.handle());
    QSqlQuery theirs(other.handle());
    step("insert here", [&] { ASSERT_TRUE(own.exec("INSERT INTO MIXED (I) VALUES (1)")); });
    step("update here", [&] { ASSERT_TRUE(own.exec("UPDATE MIXED SET R = 7 WHERE I = 1")); });
    step("delete here", [&] { ASSERT_TRUE(own.exec("DELETE FROM MIXED WHERE I = 1")); });
    step("insert there", [&] { ASSERT_TRUE(theirs.exec("INSERT INTO MIXED (I) VALUES (2)")); });
    step("delete all there", [&] { ASSERT_TRUE(theirs.exec("DELETE FROM MIXED")); });
    step("new table here", [&] { ASSERT_TRUE(own.exec("CREATE TABLE T2 (K)")); });
    step("dropped table here", [&] { ASSERT_TRUE(own.exec("DROP TABLE T2")); });
    step("transaction there", [&] {
        other.beginTransaction();
        ASSERT_TRUE(theirs.exec("INSERT INTO MIXED (I) VALUES (3)"));
        other.commit();
    });

    // Another opening of the same file never stands where this one stands.
    const auto here = conn.changeStamp();
    const auto there = other.changeStamp();
    ASSERT_TRUE(there.has_value());
    EXPECT_NE(here->opening, there->opening);
    conn.open(tmp.path());
    EXPECT_NE(conn.changeStamp()->opening, here->opening);

    db::Connection closed;
    EXPECT_FALSE(closed.changeStamp().has_value());
}
