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

    RunInTransaction(connection, [&] {
        additives.TESTId(double(testId));
        additives.Delete();
        results.Test_Id(testId);
        results.Delete();
        info.Test_Id(double(testId));
        info.DeleteByKey();
    });
}
