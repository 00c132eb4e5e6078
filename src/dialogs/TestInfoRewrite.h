#pragma once
// Saving the edit of a stored test's information: the TEST_INFO row is
// rewritten with the edited fields, and the test's additives are replaced by
// the rows of the edit dialog's grid.

#include "dialogs/TestInfoRules.h"

#include <QString>
#include <QVector>

class clsConnection;
class clsTEST_ADDITIVE;
class clsTEST_INFO;

namespace testinfo {

// The edited fields as the dialog's boxes hold them.
struct TestInfoEdit {
    QString fluidId;
    QString researcherName;
    QString preTestPh;   // stored as its leading number
    QString postTestPh;  // stored as its leading number
    QString rotorNo;
    QString bobNo;
    QString bobLength;   // stored as its leading number
    // A swell test's sample length: bobLength is in the display length unit
    // and is stored in inches.
    bool sampleLengthInDisplayUnit = false;
    QString bobRadius;   // stored as its leading number
    QString description;
    QVector<AdditiveRow> additives;
};

// Rewrites the test's row and additives. `info` holds the test's row as
// GetTestDetail loaded it; the name and time are written back as they are.
// With keepPh the stored pre- and post-test values stay (the PVT edit shows
// no boxes for them). The stored additives beyond the dialog's 20 rows,
// which it never showed, are kept (after the edited ones).
// Every text is checked against its column first (a db::DbError with
// ErrValueTooLong, nothing written); the rewrite runs in one transaction, so
// a failing statement leaves the test as it was. Database failures propagate.
void RewriteTestInfo(clsConnection* connection, clsTEST_INFO& info, clsTEST_ADDITIVE& additives, qint32 testId,
                     const TestInfoEdit& edit, bool keepPh);

}  // namespace testinfo
