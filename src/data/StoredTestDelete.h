#pragma once
// Deleting one stored test: its TEST_INFO row, its results and its additives,
// taken by the test's key (test names are not unique).

#include <QtGlobal>

class clsConnection;

// Deletes the TEST_INFO row whose key is `testId`, the TEST_RESULT rows and
// the TEST_ADDITIVE rows of that key, in one transaction: when a statement
// fails, what the others deleted is taken back and the failure propagates
// (db::DbError); nothing of another test is touched. A key that no stored test
// holds deletes nothing. Run inside a transaction the caller began, the
// statements join it and the caller commits or rolls back.
void DeleteStoredTest(clsConnection* connection, qint32 testId);
