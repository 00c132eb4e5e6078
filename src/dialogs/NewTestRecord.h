#pragma once
// The new test's records as a test window writes them from the test
// information dialog: the TEST_INFO row (its TEST_ID the key its insert
// returned: names may repeat, so the key is never looked up by name) and one
// TEST_ADDITIVE row per filled additive line. Used when a test is started and
// when a test stored in the unit is downloaded.
//
// Nothing is trapped but in StoreNewTest: database failures reach the caller
// (db::DbError).

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

class clsConnection;
class clsTEST_ADDITIVE;
class clsTEST_INFO;
class frmTestRelatedInfo;

namespace newtest {

// The TEST_INFO fields of a new test as the dialog's boxes give them;
// numbers are the leading numbers of their boxes (0 when none leads).
struct NewTestFields {
    QString testName;
    QString fluidId;
    QString researcherName;
    double preTestPh = 0;
    double postTestPh = 0;
    QString rotorNo;
    QString bobNo;           // as typed ("B1", "B2", "B5", ...)
    double bobLength = 0;    // cm
    double bobRadius = 0;    // cm
    QString safety;

    // The field stored in a column (clsTEST_INFO::col...), for a writer that
    // names the column by its kind's meaning (TestKindColumns.h): Number for
    // PRETEST_PH, POSTTEST_PH, BOB_EFF_LENGTH and BOB_RADIUS, Text for
    // ROTOR_NO and BOB_NO. Any other column throws std::out_of_range.
    double& Number(int column);
    QString& Text(int column);
};
NewTestFields FieldsOf(const frmTestRelatedInfo& dialog);

// The number of a dialog box that takes one, as the dialog's Start checked
// it (testinfo::NumberCheck, data/TypedNumbers): an empty box is 0.
double InfoNumber(const QString& text);

// Inserts the record object's current-row fields as a new TEST_INFO row,
// loads that row by the key its insert returned and returns the key.
qint32 InsertTestInfo(clsTEST_INFO& info);

// Adds the TEST_INFO row of the fields (InsertTestInfo) and returns its
// TEST_ID. TEST_TIME is written from `testTime` when given, otherwise the
// record object's value stands.
qint32 AddTestInfo(clsTEST_INFO& info, const NewTestFields& fields, const std::optional<QDateTime>& testTime);

// The additive lines of the dialog (from line 1 down to the first empty
// name) as TEST_ADDITIVE rows of the test.
void AddTestAdditives(clsTEST_ADDITIVE& additives, qint32 testId, const frmTestRelatedInfo& dialog);

// Start's words when the database does not take the new test's records.
inline const QString kNotStarted = QStringLiteral("The test was not started");
// The new test's records in one transaction (WriteOrRefuse): the TEST_INFO
// row that `info` adds (returning its TEST_ID), then the dialog's additives
// (AddTestAdditives). The TEST_ID of the test stored; nothing when the
// database refused them: then nothing of them is stored and the operator has
// been told what was not done (`notDone`) and the database's state.
std::optional<qint32> StoreNewTest(clsConnection* connection, const std::function<qint32()>& info,
                                   clsTEST_ADDITIVE& additives, const frmTestRelatedInfo& dialog,
                                   const QString& notDone = kNotStarted);

}  // namespace newtest
