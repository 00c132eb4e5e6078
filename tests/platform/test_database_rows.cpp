// Command::execute reads the rows after the first straight from the SQLite
// statement: every value must come out exactly as QSqlQuery gives it.

#include "platform/Database.h"
#include "support/TempDb.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <gtest/gtest.h>

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
