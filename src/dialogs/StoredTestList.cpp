#include "dialogs/StoredTestList.h"

#include "data/DateText.h"
#include "data/TestKind.h"
#include "data/clsTEST_INFO.h"
#include "dialogs/TestInfoRules.h"
#include "platform/FlexGrid.h"

namespace storedtests {
namespace {

enum { colName = 0, colTime = 1, colResearcher = 2, colType = 3 };

QVariant entry(const RowCache& list, int column, int test) {
    return column < list.size() && test < list[column].size() ? list[column][test] : QVariant();
}

QString typeText(const StoredTest& t, TypeColumn type) {
    const QString bob = testinfo::PlainText(t.bobNo);
    if (type == TypeColumn::BobNo) return bob;
    return bob == kPvtKindText || bob == kSwellKindText ? bob : QString();
}

}  // namespace

QVector<StoredTest> FromListRows(const RowCache& list) {
    QVector<StoredTest> tests;
    const int count = list.isEmpty() ? 0 : int(list[0].size());
    tests.reserve(count);
    for (int k = 0; k < count; ++k) {
        StoredTest t;
        t.name = testinfo::PlainText(entry(list, colName, k));
        t.time = entry(list, colTime, k);
        t.researcher = testinfo::PlainText(entry(list, colResearcher, k));
        t.bobNo = entry(list, colType, k);
        t.key = entry(list, clsTEST_INFO::kListKeyColumn, k).toInt();
        tests.append(t);
    }
    return tests;
}

QVector<StoredTest> ReadStoredTests(clsTEST_INFO& info, clsConnection* connection) {
    info.ConnectX(connection);
    return FromListRows(info.StoredTests());
}

QVector<qint32> FillStoredTestGrid(FlexGridModel& grid, const QVector<StoredTest>& tests, TypeColumn type,
                                   const TestFilter& shown) {
    QVector<qint32> keys;
    grid.Rows(1);
    for (const StoredTest& t : tests) {
        if (shown && !shown(t)) continue;
        const int r = grid.Rows();
        grid.Rows(r + 1);
        grid.TextMatrix(r, colName, t.name);
        grid.TextMatrix(r, colTime, GeneralDateText(t.time));
        grid.TextMatrix(r, colResearcher, t.researcher);
        grid.TextMatrix(r, colType, typeText(t, type));
        keys.append(t.key);
    }
    if (grid.Rows() > 1) grid.Row(1);
    return keys;
}

QString NamedTest(const QString& name, const QString& listedTime) {
    return listedTime.isEmpty() ? name : name + QStringLiteral(" (") + listedTime + QLatin1Char(')');
}

}  // namespace storedtests
