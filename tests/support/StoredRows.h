#pragma once
// The rows a table of the test database holds under one test's key.

#include "data/clsConnection.h"
#include "platform/Database.h"

#include <QString>
#include <gtest/gtest.h>

namespace testing_support {

inline int RowsUnder(clsConnection& conn, const QString& table, qint32 testId) {
    return db::Command(conn.ADOConnection(),
                       QStringLiteral("SELECT COUNT(*) FROM %1 WHERE TEST_ID = %2").arg(table).arg(testId))
        .execute()
        ->columns[0][0]
        .toInt();
}

// A new test of a name already stored: its rows and additives are all under
// the new test's key, none under the older namesake's.
inline void ExpectRowsUnderTheNewerOnly(clsConnection& conn, qint32 newer, qint32 older, int results, int additives) {
    EXPECT_EQ(RowsUnder(conn, QStringLiteral("TEST_RESULT"), newer), results);
    EXPECT_EQ(RowsUnder(conn, QStringLiteral("TEST_RESULT"), older), 0);
    EXPECT_EQ(RowsUnder(conn, QStringLiteral("TEST_ADDITIVE"), newer), additives);
    EXPECT_EQ(RowsUnder(conn, QStringLiteral("TEST_ADDITIVE"), older), 0);
}

}  // namespace testing_support
