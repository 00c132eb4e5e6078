#pragma once
// The rows a table of the test database holds under one test's key.

#include "data/clsConnection.h"
#include "platform/Database.h"

#include <QString>

namespace testing_support {

inline int RowsUnder(clsConnection& conn, const QString& table, qint32 testId) {
    return db::Command(conn.ADOConnection(),
                       QStringLiteral("SELECT COUNT(*) FROM %1 WHERE TEST_ID = %2").arg(table).arg(testId))
        .execute()
        ->columns[0][0]
        .toInt();
}

}  // namespace testing_support
