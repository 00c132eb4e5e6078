#include "dialogs/OverlapChooser.h"

#include "data/TestKind.h"
#include "data/clsTEST_INFO.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/StoredTestList.h"
#include "dialogs/TestInfoRules.h"
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"


namespace overlap {

const QString kOverlapListFormat = QStringLiteral("<Sequence") + QChar(13) + QStringLiteral("Name|<Test") +
                                   QChar(13) + QStringLiteral("Time|<") + QStringLiteral("Researcher") + QChar(13) +
                                   QStringLiteral("Name|<") + QStringLiteral("Test") + QChar(13) +
                                   QStringLiteral("Type");

void InitOverlapListGrid(FlexGridModel& grid) {
    grid.Cols(4);
    grid.Rows(1);
    grid.FormatString(kOverlapListFormat);
    grid.WordWrap(true);
    grid.RowHeight(0, 600);
    for (int c = 0; c < 4; ++c) grid.ColWidth(c, 1800);
}

bool PassesKind(const QVariant& bobNo, qint32 testType) {
    if (!bobNo.isValid() || bobNo.isNull()) return false;
    const QString kind = bobNo.toString();
    switch (TestKindOfCode(testType)) {
        case TestKind::Rheology: return kind != kPvtKindText && kind != kSwellKindText;
        case TestKind::Pvt: return kind == kPvtKindText;
        case TestKind::Lsm: return kind == kSwellKindText;
        default: return false;
    }
}

QVector<qint32> FillOverlapList(FlexGridModel& grid, const RowCache& list, qint32 testType) {
    return storedtests::FillStoredTestGrid(grid, storedtests::FromListRows(list), storedtests::TypeColumn::KindText,
                                           [testType](const storedtests::StoredTest& t) {
                                               return PassesKind(t.bobNo, testType);
                                           });
}

NameCheckResult CheckName(const QString& nameBox, const QStringList& listedNames, const QVector<qint32>& listedKeys,
                          int currentRow, qint32 openedTestId) {
    NameCheckResult r;
    if (nameBox.isEmpty()) return r;
    r.row = dialogsupport::ChosenRow(nameBox, listedNames, currentRow);
    if (r.row == 0) {
        r.result = NameCheck::NotFound;
        return r;
    }
    r.listedName = listedNames[r.row - 1];
    r.key = listedKeys.value(r.row - 1);
    r.result = r.key == openedTestId ? NameCheck::Itself : NameCheck::Accepted;
    return r;
}

bool ReadChosenTest(clsTEST_INFO& testInfo, qint32 openedTestType) {
    testInfo.GetTestDetailByKey();
    if (testInfo.Eof()) {
        // Deleted since the chooser listed it.
        ui::MsgBox(kNameNotFound);
        return false;
    }
    // The kind as stored (a Null BOB_NO is no kind).
    if (!PassesKind(testInfo.TestRows().value(clsTEST_INFO::colBOB_NO).value(0), openedTestType)) {
        ui::MsgBox(kOtherKind);
        return false;
    }
    return true;
}

}  // namespace overlap
