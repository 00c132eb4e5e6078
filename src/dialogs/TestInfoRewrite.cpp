#include "dialogs/TestInfoRewrite.h"

#include "data/Numbers.h"
#include "data/clsTEST_ADDITIVE.h"
#include "data/clsTEST_INFO.h"

namespace testinfo {

void RewriteTestInfo(clsConnection* connection, clsTEST_INFO& info, clsTEST_ADDITIVE& additives, qint32 testId,
                     const TestInfoEdit& edit, bool keepPh) {
    // Binding again re-reads the list; the current-row fields stay as loaded.
    info.ConnectX(connection);
    info.Fluid_ID(edit.fluidId);
    info.RESEARCHER_NAME(edit.researcherName);
    if (!keepPh) {
        info.PreTest_PH(Val(edit.preTestPh));
        info.PostTest_PH(Val(edit.postTestPh));
    }
    info.ROTOR_NO(edit.rotorNo);
    info.BOB_NO(edit.bobNo);
    info.BOB_EFF_LENGTH(Val(edit.bobLength));
    info.BOB_RADIUS(Val(edit.bobRadius));
    info.SAFETY(edit.description);
    info.Update();

    additives.ConnectX(connection);
    additives.TESTId(testId);
    additives.Delete();
    AddAdditives(additives, testId, edit.additives);
}

}  // namespace testinfo
