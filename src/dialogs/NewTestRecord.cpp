#include "dialogs/NewTestRecord.h"

#include "data/Numbers.h"
#include "data/RecordBase.h"
#include "data/clsTEST_ADDITIVE.h"
#include "data/clsTEST_INFO.h"
#include "dialogs/TestInfoRules.h"
#include "dialogs/frmTestRelatedInfo.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace newtest {

NewTestFields FieldsOf(const frmTestRelatedInfo& d) {
    NewTestFields f;
    f.testName = d.txtTestName->text();
    f.fluidId = d.txtFluidId->text();
    f.researcherName = d.txtResearchName->text();
    f.preTestPh = Val(d.txtPreTestPH->text());
    f.postTestPh = Val(d.txtPostTestPH->text());
    f.rotorNo = d.txtRotoNo->text();
    f.bobNo = d.txtBobNo->text();
    f.bobLength = Val(d.txtBobLength->text());
    f.bobRadius = Val(d.txtBobRadius->text());
    f.safety = d.txtSAFETY->toPlainText();
    return f;
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
    info.AddNew();

    info.TEST_NAME(f.testName);
    info.GetTestDetail();
    return roundHalfEven(info.Test_Id());
}

void AddTestAdditives(clsTEST_ADDITIVE& additives, qint32 testId, const frmTestRelatedInfo& dialog) {
    testinfo::AddAdditives(additives, testId, dialog.AdditiveRows());
}

}  // namespace newtest
