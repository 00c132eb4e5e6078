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

}  // namespace testing_support
