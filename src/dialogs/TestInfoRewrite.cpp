#include "dialogs/TestInfoRewrite.h"

#include "data/Numbers.h"
#include "data/Units.h"
#include "data/clsConnection.h"
#include "data/clsTEST_ADDITIVE.h"
#include "data/clsTEST_INFO.h"
#include "platform/Database.h"

namespace testinfo {

namespace {

// A stored additive the edit dialog did not show, as stored.
struct KeptAdditive {
    QString name;
    double concentration = 0;
    QString unit;
    QString lotNo;
};

// The test's stored additives beyond those the dialog shows (its grid holds
// the first kAdditiveRows of them).
QVector<KeptAdditive> additivesNotShown(clsConnection* connection, clsTEST_ADDITIVE& additives, qint32 testId) {
    QVector<KeptAdditive> kept;
    additives.TESTId(testId);
    additives.ConnectX(connection);
    if (additives.Eof()) return kept;
    additives.MoveFirst();
    for (int row = 1; !additives.Eof(); ++row, additives.MoveNext()) {
        if (row <= kAdditiveRows) continue;
        const RowArray a = additives.All();
        kept.append({a[clsTEST_ADDITIVE::colADDITIVE_NM].toString(), a[clsTEST_ADDITIVE::colADD_CONCEN].toDouble(),
                     a[clsTEST_ADDITIVE::colADD_UNIT].toString(), a[clsTEST_ADDITIVE::colADD_LOTNO].toString()});
    }
    return kept;
}

}  // namespace

void RewriteTestInfo(clsConnection* connection, clsTEST_INFO& info, clsTEST_ADDITIVE& additives, qint32 testId,
                     const TestInfoEdit& edit, bool keepPh) {
    // Every value is checked before anything is written.
    if (edit.description.size() > 250)
        throw db::DbError(db::ErrValueTooLong, kDescriptionTooLong);
    if (const auto tooLong = StoredLengthCheck(
            {edit.fluidId, edit.researcherName, edit.rotorNo, edit.bobNo, edit.additives}))
        throw db::DbError(db::ErrValueTooLong, tooLong->message);

    const QVector<KeptAdditive> kept = additivesNotShown(connection, additives, testId);

    RunInTransaction(connection, [&] {
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
        // A swell test's sample length (swell::info::SampleLength) is stored in inches.
        const double length = Val(edit.bobLength);
        info.BOB_EFF_LENGTH(edit.sampleLengthInDisplayUnit ? LengthFromDisplay(length) : length);
        info.BOB_RADIUS(Val(edit.bobRadius));
        info.SAFETY(edit.description);
        info.Update();

        additives.ConnectX(connection);
        additives.TESTId(testId);
        additives.Delete();
        AddAdditives(additives, testId, edit.additives);
        for (const KeptAdditive& k : kept) {
            additives.TESTId(testId);
            additives.TESTADD_ID(0);
            additives.ADDITIVE_NM(k.name);
            additives.ADD_CONCEN(k.concentration);
            additives.ADD_UNIT(k.unit);
            additives.ADD_LOTNO(k.lotNo);
            additives.AddNew();
        }
    });
}

}  // namespace testinfo
