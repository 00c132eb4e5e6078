#include "support/DatabaseFaults.h"

#include "data/clsConnection.h"

#include <QVariant>
#include <gtest/gtest.h>

namespace testing_support {

LockedDatabase::LockedDatabase(const QString& path) {
    other_.open(path);
    query_ = std::make_unique<QSqlQuery>(other_.handle());
    EXPECT_TRUE(query_->exec(QStringLiteral("BEGIN EXCLUSIVE")));
}

LockedDatabase::~LockedDatabase() { Release(); }

void LockedDatabase::Release() {
    if (!query_) return;
    EXPECT_TRUE(query_->exec(QStringLiteral("COMMIT")));
    query_.reset();
}

FullDatabase::FullDatabase(clsConnection& connection) : connection_(connection) {
    QSqlQuery q(connection_.ADOConnection()->handle());
    if (!q.exec(QStringLiteral("PRAGMA page_count")) || !q.next()) {
        ADD_FAILURE() << "the page count could not be read";
        return;
    }
    const qint64 pages = q.value(0).toLongLong();
    EXPECT_TRUE(q.exec(QStringLiteral("PRAGMA max_page_count = %1").arg(pages)));
    for (int filled = 0; filled < 10000; ++filled) {
        if (!q.exec(QStringLiteral("INSERT INTO TEST_RESULT (TEST_ID, RESULT_TIME) VALUES (99, 0)"))) {
            full_ = true;
            return;
        }
    }
    ADD_FAILURE() << "the database did not fill up";
}

void FullDatabase::MakeRoom() {
    QSqlQuery q(connection_.ADOConnection()->handle());
    EXPECT_TRUE(q.exec(QStringLiteral("PRAGMA max_page_count = 1073741823")));
}

namespace {
int namedTests(clsConnection& connection, const QString& name) {
    QSqlQuery q(connection.ADOConnection()->handle());
    q.prepare(QStringLiteral("SELECT COUNT(*) FROM TEST_INFO WHERE TEST_NAME = ?"));
    q.addBindValue(name);
    return q.exec() && q.next() ? q.value(0).toInt() : -1;
}
}  // namespace

bool WriteRefusedAfterItsFirstStatement(clsConnection& connection, const QString& name,
                                        const std::function<void(db::Command& insert)>& rest) {
    db::Command insert(connection.ADOConnection(), QStringLiteral("INSERT INTO TEST_INFO (TEST_NAME) VALUES (?)"));
    insert.appendParameter(QStringLiteral("TEST_NAME"), db::adVarChar, 50);
    bool firstStored = false;
    EXPECT_THROW(RunInTransaction(&connection,
                                  [&] {
                                      insert.setValue(0, name);
                                      insert.execute();
                                      firstStored = true;
                                      rest(insert);
                                  }),
                 db::DbError);
    return firstStored;
}

void ExpectAWriteRefusedHalfWayLeavesNothing(clsConnection& connection) {
    EXPECT_FALSE(connection.InTransaction());
    const QString name = QStringLiteral("whole or nothing");
    EXPECT_TRUE(WriteRefusedAfterItsFirstStatement(connection, name, [](db::Command& insert) {
        insert.setValue(0, QString(51, QLatin1Char('x')));  // longer than the parameter allows
        insert.execute();
    }));
    EXPECT_EQ(namedTests(connection, name), 0) << "a write refused half-way kept its first statement";
    EXPECT_FALSE(connection.InTransaction());
}

void RefuseAWriteOnAFullDisk(clsConnection& connection) {
    const QString name = QStringLiteral("refused on a full disk");
    {
        FullDatabase full(connection);
        ASSERT_TRUE(full.full());
        db::Command info(connection.ADOConnection(), QStringLiteral("INSERT INTO TEST_INFO (TEST_NAME) VALUES (?)"));
        info.appendParameter(QStringLiteral("TEST_NAME"), db::adVarChar, 50, name);
        db::Command result(connection.ADOConnection(),
                           QStringLiteral("INSERT INTO TEST_RESULT (TEST_ID, RESULT_TIME) VALUES (98, 1)"));
        bool firstStored = false;
        bool undoneBySqlite = false;
        try {
            RunInTransaction(&connection, [&] {
                info.execute();
                firstStored = true;
                try {
                    result.execute();
                } catch (const db::DbError&) {
                    // The fault itself: SQLite has undone the transaction, a ROLLBACK finds none.
                    undoneBySqlite = !connection.ADOConnection()->inTransaction();
                    throw;
                }
            });
            ADD_FAILURE() << "a full database took the write";
        } catch (const db::DbError& e) {
            EXPECT_EQ(e.number() & 0xff, 13) << e.description().toStdString();  // SQLITE_FULL
        }
        EXPECT_TRUE(firstStored);
        EXPECT_TRUE(undoneBySqlite);
        full.MakeRoom();
    }
    EXPECT_EQ(namedTests(connection, name), 0);
    QSqlQuery q(connection.ADOConnection()->handle());
    EXPECT_TRUE(q.exec(QStringLiteral("DELETE FROM TEST_RESULT WHERE TEST_ID = 99")));
}

}  // namespace testing_support
