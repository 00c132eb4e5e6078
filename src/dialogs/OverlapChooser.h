#pragma once
// The window-free part of choosing a second stored test to draw over the
// opened test's charts: the chooser's list (the stored tests of the opened
// test's kind, with their keys), the checks the main window makes on the
// chosen name and the reading of the chosen test by its key.

#include "data/RecordBase.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

class FlexGridModel;
class clsTEST_INFO;

namespace overlap {

// Four left-aligned columns whose captions break onto two lines.
extern const QString kOverlapListFormat;

// 4 columns, the header row only, the format string, a header row of 600
// twips and columns of 1800 twips.
void InitOverlapListGrid(FlexGridModel& grid);

// True when a stored test of that BOB_NO is listed for the opened test's kind
// (`testType` its TestTypeCode): for rheology neither kPvtKindText nor
// kSwellKindText, for PVT and swell their kind text. A Null BOB_NO is never
// listed, nor is any test for a code of no kind.
bool PassesKind(const QVariant& bobNo, qint32 testType);

// Cuts the grid to its header and appends the tests of the list
// (clsTEST_INFO::StoredTests, newest first) that pass the kind filter
// (storedtests::FillStoredTestGrid); column 3 shows BOB_NO for the PVT and
// swell kinds and stays empty for rheology. Row 1 becomes
// current when a test was listed. Returns the keys of the listed tests, the
// key of grid row r at r - 1 (0 for a list without keys).
QVector<qint32> FillOverlapList(FlexGridModel& grid, const RowCache& list, qint32 testType);

enum class NameCheck {
    Empty,     // nothing typed: nothing happens
    NotFound,  // "Test sequence name not found."
    Itself,    // "Test cannot overlap itself"
    Accepted,
};
struct NameCheckResult {
    NameCheck result = NameCheck::Empty;
    int row = 0;         // the list row of the match (0 when none)
    QString listedName;  // the name as listed
    qint32 key = 0;      // the TEST_ID of that row
};
// The name box against the listed names (rows 1 onward; compared without
// letter case). Names are not unique: the current row (the one clicked) is
// taken when it holds the name, otherwise the first row that does. The test
// of that row is the opened test itself when its key is the opened test's.
// `listedKeys` holds the key of row r at r - 1.
NameCheckResult CheckName(const QString& nameBox, const QStringList& listedNames, const QVector<qint32>& listedKeys,
                          int currentRow, qint32 openedTestId);

// Reads the chosen test by its key (testInfo.Test_Id) into testInfo's fields
// and row cache. A test deleted since it was listed shows "Test sequence name
// not found."; a test that is no longer of the opened test's kind (its
// BOB_NO changed since) shows kOtherKind. Both return false: nothing is drawn
// and the chooser stays, so that another test can be chosen. Database
// failures propagate.
bool ReadChosenTest(clsTEST_INFO& testInfo, qint32 openedTestType);

inline const QString kNameNotFound = QStringLiteral("Test sequence name not found.");
inline const QString kOverlapItself = QStringLiteral("Test cannot overlap itself");
inline const QString kSelectionErrorTitle = QStringLiteral("Selection Error.");
inline const QString kOtherKind =
    QStringLiteral("This test is not of the opened test's kind and cannot be overlapped on it.");

}  // namespace overlap
