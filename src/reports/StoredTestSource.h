#pragma once
// What the CSV, printed and Excel reports take from the main window: the
// opened test, the main window's record objects and connection, its result
// and additive grids as they are filled, and its row filter (the Data
// options). The reports only read, but for the opened test's TEST_INFO row,
// which they replace with the row read afresh before they write, and the
// cursor of the result records, which they walk.

#include "data/OpenedTest.h"

#include <functional>

class FlexGridModel;
class clsConnection;
class clsTEST_INFO;
class clsTEST_RESULT;

struct StoredTestSource {
    OpenedTest* opened = nullptr;
    clsTEST_INFO* testInfos = nullptr;
    clsTEST_RESULT* testResults = nullptr;
    clsConnection* connection = nullptr;
    const FlexGridModel* resultGrid = nullptr;    // MSFlexGrid1
    const FlexGridModel* additiveGrid = nullptr;  // MSFlexGrid2
    // Whether a result row of this RESULT_TYPE_ID passes the Data options.
    std::function<bool(double resultTypeId)> rowFilter;
};
