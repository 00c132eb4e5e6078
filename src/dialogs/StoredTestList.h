#pragma once
// The one list of stored tests that Open Saved Test, the overlay's chooser
// and the test information dialog's copy list show: its query (the list
// clsTEST_INFO reads at ConnectX, newest first), its model (one StoredTest
// per test) and the filling of a list grid from it, with the messages of a
// test chosen from such a list.
//
//     const QVector<storedtests::StoredTest> tests = storedtests::ReadStoredTests(info, connection);
//     keys = storedtests::FillStoredTestGrid(grid, tests, storedtests::TypeColumn::KindText);
//
// The grids differ only in what their fourth column shows (TypeColumn) and in
// the tests they show (the overlay's chooser those of the opened test's kind).

#include "data/RecordBase.h"

#include <QString>
#include <QVariant>
#include <QVector>
#include <functional>

class FlexGridModel;
class clsConnection;
class clsTEST_INFO;

namespace storedtests {

// One stored test as the lists show it.
struct StoredTest {
    QString name;        // TEST_NAME ("" for Null)
    QVariant time;       // TEST_TIME as stored
    QString researcher;  // RESEARCHER_NAME
    QVariant bobNo;      // BOB_NO as stored: a rheology test's bob, the kind text of the others; Null for none
    qint32 key = 0;      // TEST_ID (0 for a list without keys)
};

// The tests of clsTEST_INFO's list rows (StoredTests: list[column][test],
// 0 TEST_NAME, 1 TEST_TIME, 2 RESEARCHER_NAME, 3 BOB_NO, 4 TEST_ID), in
// their order.
QVector<StoredTest> FromListRows(const RowCache& list);
// Binds the record (its ConnectX reads the list anew) and returns the list.
// Database failures propagate as db::DbError.
QVector<StoredTest> ReadStoredTests(clsTEST_INFO& info, clsConnection* connection);

// What a list's fourth column ("Test Type") shows.
enum class TypeColumn {
    KindText,  // the kind text of a PVT or swell test (kPvtKindText, kSwellKindText), nothing for rheology
    BobNo,     // BOB_NO as stored
};
// Which tests a grid shows; an empty filter shows all.
using TestFilter = std::function<bool(const StoredTest&)>;

// Cuts the grid to its header and appends one row per test the filter passes,
// in the list's order: the name, the time (GeneralDateText), the researcher
// and the type column. Row 1 becomes current when a test was listed. Returns
// the keys of the listed tests, that of grid row r at r - 1.
QVector<qint32> FillStoredTestGrid(FlexGridModel& grid, const QVector<StoredTest>& tests, TypeColumn type,
                                   const TestFilter& shown = {});

// A test as a question names it: "name (time)".
QString NamedTest(const QString& name, const QString& listedTime);

// A door that acts on a listed test with nothing chosen.
inline const QString kPickTestFirst = QStringLiteral("Please click a test in the list first.");
// A name typed that no listed test has.
inline const QString kTestNameNotFound = QStringLiteral("Your test name is not found.  Please try again.");

}  // namespace storedtests
