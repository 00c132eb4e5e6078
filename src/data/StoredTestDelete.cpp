#include "data/StoredTestDelete.h"

#include "data/clsConnection.h"
#include "data/clsTEST_ADDITIVE.h"
#include "data/clsTEST_INFO.h"
#include "data/clsTEST_RESULT.h"

void DeleteStoredTest(clsConnection* connection, qint32 testId) {
    // Bound to no test, so that binding reads no results or additives.
    clsTEST_INFO info;
    clsTEST_RESULT results;
    clsTEST_ADDITIVE additives;
    info.ConnectX(connection);
    results.ConnectX(connection);
    additives.ConnectX(connection);

    const int transaction = connection ? connection->BeginTrans() : 0;
    try {
        additives.TESTId(double(testId));
        additives.Delete();
        results.Test_Id(testId);
        results.Delete();
        info.Test_Id(double(testId));
        info.DeleteByKey();
        if (transaction) connection->CommitTrans(transaction);
    } catch (...) {
        if (transaction) {
            try {
                connection->RollBack(transaction);
            } catch (const db::DbError&) {
                // The failure below says what went wrong; SQLite undoes a
                // transaction it cannot roll back by itself.
            }
        }
        throw;
    }
}
