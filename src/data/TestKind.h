#pragma once
// The kinds of stored test and how a stored test tells its kind: the text in
// its TEST_INFO BOB_NO column. A PVT test stores "PVT", a swell test "LSM", a
// rheology test the name of its bob (any other text); an empty BOB_NO is no
// kind at all. What each kind keeps in the shared columns of TEST_INFO and
// TEST_RESULT is in TestKindColumns.h.

#include <QLatin1String>
#include <QString>
#include <QtGlobal>

// A kind's value is the code the opened test keeps as its TestType
// (OpenedTest::TestType, the main window's TestType accessor): 0 rheology,
// 1 PVT, 2 swell; these numbers are what callers of that accessor see. The
// code chooses the main window's chart-type list and the stored tests the
// overlap chooser lists. None has no code: a row of no kind leaves the
// opened test's TestType as it was.
enum class TestKind : qint32 {
    None = -1,
    Rheology = 0,
    Pvt = 1,
    Lsm = 2,  // swell, named for its stored kind text
};

// The TestType code of a kind.
constexpr qint32 TestTypeCode(TestKind kind) { return qint32(kind); }
// The kind of a TestType code. A code of no kind (the program sets none)
// gives a value that no case of TestKind names.
constexpr TestKind TestKindOfCode(qint32 code) { return TestKind(code); }

// The BOB_NO texts of the PVT and swell kinds.
inline constexpr QLatin1String kPvtKindText("PVT");
inline constexpr QLatin1String kSwellKindText("LSM");

// The kind of a stored test by its BOB_NO text (exact comparison): "PVT",
// "LSM", the empty text (no kind at all) or any other text (the bob of a
// rheology test).
TestKind DecideTestKind(const QString& bobNo);
