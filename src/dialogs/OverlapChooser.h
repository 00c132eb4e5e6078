#pragma once
// The window-free part of choosing a second stored test to draw over the
// opened test's charts: the chooser's list (the stored tests of the opened
// test's kind) and the checks the main window makes on the chosen name.

#include "data/RecordBase.h"

#include <QString>
#include <QStringList>
#include <QVariant>

class FlexGridModel;

namespace overlap {

// Four left-aligned columns whose captions break onto two lines.
extern const QString kOverlapListFormat;

// 4 columns, the header row only, the format string, a header row of 600
// twips and columns of 1800 twips.
void InitOverlapListGrid(FlexGridModel& grid);

// True when a stored test of that BOB_NO is listed for the opened test's kind
// (0 rheology: neither "PVT" nor "LSM"; 1: "PVT"; 2: "LSM"). A Null BOB_NO is
// never listed.
bool PassesKind(const QVariant& bobNo, qint32 testType);

// Cuts the grid to its header and appends the tests of the list
// (list[column][test]: 0 TEST_NAME, 1 TEST_TIME, 2 RESEARCHER_NAME, 3 BOB_NO,
// newest first) that pass the kind filter; column 3 shows BOB_NO for the PVT
// and swell kinds and stays empty for rheology. Row 1 becomes current when a
// test was listed.
void FillOverlapList(FlexGridModel& grid, const RowCache& list, qint32 testType);

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
};
// The name box against the listed names (rows 1 onward; compared without
// letter case) and the opened test's name (compared exactly).
NameCheckResult CheckName(const QString& nameBox, const QStringList& listedNames, const QString& openedTestName);

inline const QString kNameNotFound = QStringLiteral("Test sequence name not found.");
inline const QString kOverlapItself = QStringLiteral("Test cannot overlap itself");
inline const QString kSelectionErrorTitle = QStringLiteral("Selection Error.");

}  // namespace overlap
