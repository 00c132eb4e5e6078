#include "dialogs/NewTestRecord.h"

#include "data/Numbers.h"
#include "data/RecordBase.h"
#include "data/TypedNumbers.h"
#include "data/clsConnection.h"
#include "data/clsTEST_ADDITIVE.h"
#include "data/clsTEST_INFO.h"
#include "dialogs/TestInfoRules.h"
#include "dialogs/frmTestRelatedInfo.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <stdexcept>

namespace newtest {

double& NewTestFields::Number(int column) {
    switch (column) {
        case clsTEST_INFO::colPRETEST_PH: return preTestPh;
        case clsTEST_INFO::colPOSTTEST_PH: return postTestPh;
        case clsTEST_INFO::colBOB_EFF_LENGTH: return bobLength;
        case clsTEST_INFO::colBOB_RADIUS: return bobRadius;
        default: throw std::out_of_range("no number field of a new test's record for this column");
    }
}

QString& NewTestFields::Text(int column) {
    switch (column) {
        case clsTEST_INFO::colROTOR_NO: return rotorNo;
        case clsTEST_INFO::colBOB_NO: return bobNo;
        default: throw std::out_of_range("no text field of a new test's record for this column");
    }
}

double InfoNumber(const QString& text) { return typed::TypedNumber(text, 0.0).value_or(0); }

NewTestFields FieldsOf(const frmTestRelatedInfo& d) {
    NewTestFields f;
    f.testName = d.txtTestName->text();
    f.fluidId = d.txtFluidId->text();
    f.researcherName = d.txtResearchName->text();
    f.preTestPh = InfoNumber(d.txtPreTestPH->text());
    f.postTestPh = InfoNumber(d.txtPostTestPH->text());
    f.rotorNo = d.txtRotoNo->text();
    f.bobNo = d.txtBobNo->text();
    f.bobLength = InfoNumber(d.txtBobLength->text());
    f.bobRadius = InfoNumber(d.txtBobRadius->text());
    f.safety = d.txtSAFETY->toPlainText();
    return f;
}

qint32 InsertTestInfo(clsTEST_INFO& info) {
    const qint32 key = roundHalfEven(info.AddNew());
    // The record object holds the new test's row, as stored.
    info.Test_Id(key);
    info.GetTestDetailByKey();
    return key;
}

qint32 AddTestInfo(clsTEST_INFO& info, const NewTestFields& f, const std::optional<QDateTime>& testTime) {
    info.TEST_NAME(f.testName);
    info.Fluid_ID(f.fluidId);
    info.RESEARCHER_NAME(f.researcherName);
    info.PreTest_PH(f.preTestPh);
    info.PostTest_PH(f.postTestPh);
    info.ROTOR_NO(f.rotorNo);
    info.BOB_NO(f.bobNo);
    info.BOB_EFF_LENGTH(f.bobLength);
    info.BOB_RADIUS(f.bobRadius);
    info.SAFETY(f.safety);
    if (testTime) info.TEST_TIME(*testTime);
    return InsertTestInfo(info);
}

void AddTestAdditives(clsTEST_ADDITIVE& additives, qint32 testId, const frmTestRelatedInfo& dialog) {
    testinfo::AddAdditives(additives, testId, dialog.AdditiveRows());
}

std::optional<qint32> StoreNewTest(clsConnection* connection, const std::function<qint32()>& info,
                                   clsTEST_ADDITIVE& additives, const frmTestRelatedInfo& dialog,
                                   const QString& notDone) {
    qint32 testId = 0;
    if (!WriteOrRefuse(
            connection,
            [&] {
                testId = info();
                AddTestAdditives(additives, testId, dialog);
            },
            notDone, kNothingStored))
        return std::nullopt;
    return testId;
}

}  // namespace newtest
