#include "data/DateText.h"
#include "dialogs/OverlapChooser.h"

#include "dialogs/TestInfoRules.h"
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
    switch (testType) {
        case 0: return kind != QLatin1String("PVT") && kind != QLatin1String("LSM");
        case 1: return kind == QLatin1String("PVT");
        case 2: return kind == QLatin1String("LSM");
        default: return false;
    }
}

void FillOverlapList(FlexGridModel& grid, const RowCache& list, qint32 testType) {
    grid.Rows(1);
    if (list.size() < 4) return;
    const int n = list[0].size();
    for (int i = 0; i < n; ++i) {
        const QVariant& bob = list[3][i];
        if (!PassesKind(bob, testType)) continue;
        const int r = grid.Rows();
        grid.Rows(r + 1);
        grid.TextMatrix(r, 0, list[0][i].toString());
        grid.TextMatrix(r, 1, GeneralDateText(list[1][i]));
        grid.TextMatrix(r, 2, list[2][i].toString());
        if (testType != 0) grid.TextMatrix(r, 3, bob.toString());
    }
    if (grid.Rows() > 1) grid.Row(1);
}

NameCheckResult CheckName(const QString& nameBox, const QStringList& listedNames, const QString& openedTestName) {
    NameCheckResult r;
    if (nameBox.isEmpty()) return r;
    const QString wanted = nameBox.toUpper();
    for (int i = 0; i < listedNames.size(); ++i) {
        if (listedNames[i].toUpper() == wanted) {
            r.row = i + 1;
            r.listedName = listedNames[i];
            break;
        }
    }
    if (r.row == 0)
        r.result = NameCheck::NotFound;
    else if (nameBox == openedTestName)
        r.result = NameCheck::Itself;
    else
        r.result = NameCheck::Accepted;
    return r;
}

}  // namespace overlap
