#pragma once
// The window-free rules of the two test information dialogs (the one a test
// window shows before a run, and the one that edits a stored test): the bob
// boxes' texts from the bob table (data/BobGeometry.h), the piston table, the
// additive grid and the writing of a test's additives, the input checks
// (texts, lengths, numbers) and the texts the boxes show.

#include "data/RecordBase.h"
#include "data/TypedNumbers.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

class FlexGridModel;
class clsConnection;
class clsTEST_ADDITIVE;

namespace testinfo {

// ---------------------------------------------------------------- bob texts and piston table

// Radius and effective length of a bob, in cm, as the texts the boxes show
// ("1.7245", "3.800").
struct BobTexts {
    QString radius;
    QString length;
};
// A bob of the bob table (bob::kBobs, "B1" to "B5"). The new-test dialog
// looks the bob up in upper case, the edit dialog exactly as typed. Any other
// text: nullopt (the boxes keep their texts).
std::optional<BobTexts> LookupBob(const QString& bobNo, bool ignoreCase);

// The two piston entries of the PVT dialog's list, in list order.
inline const QString kLargePiston = QStringLiteral("Large piston");
inline const QString kSmallPiston = QStringLiteral("Small piston");
// Cell length (into txtPostTestPH) and piston radius (into txtRotoNo).
struct PistonValues {
    QString cellLength;
    QString radius;
};
std::optional<PistonValues> LookupPiston(const QString& entry);

// ---------------------------------------------------------------- the additive grid

constexpr int kAdditiveRows = 20;         // data rows 1 to 20
constexpr int kAdditiveEditorLimit = 50;  // name, unit and lot number in the cell editor
constexpr int kAdditiveNameLimit = 40;    // additive names at start / save

inline const QString kAdditiveGridFormat = QStringLiteral("<Additive Name|<Concentration|<Units|<Lot Number");

// Header row 400 twips high, the four captions, every column 1600 wide, 21 rows.
void InitAdditiveGrid(FlexGridModel& grid);

// One additive as the grid holds it.
struct AdditiveRow {
    QString name;
    QString concentration;  // as typed; stored as its leading number
    QString unit;
    QString lotNo;
};
// The additives to store: data rows from row 1 down to the first row whose
// name is empty, at most 20.
QVector<AdditiveRow> AdditivesToStore(const FlexGridModel& grid);
// The names in column 0 of every data row.
QStringList AdditiveNames(const FlexGridModel& grid);

// Adds one TEST_ADDITIVE row per additive for the test (ADD_CONCEN the
// leading number of the concentration, 0 when there is none). Database
// failures propagate.
void AddAdditives(clsTEST_ADDITIVE& records, double testId, const QVector<AdditiveRow>& rows);

// Writes the stored additives of a test into rows 1 onward of the grid, at
// most its 20 data rows (rows below the last additive keep their texts): name,
// concentration as `concentrationText` writes it, unit, lot number. Binds the
// records to the test; database failures propagate.
void FillAdditiveRows(FlexGridModel& grid, clsTEST_ADDITIVE& additives, clsConnection* connection, double testId,
                      QString (*concentrationText)(double));

// True when the cell editor refuses its text for the column: more than 50
// characters in the name, unit or lot number; the concentration has no limit.
bool EditorTextTooLong(int column, const QString& text);

// ---------------------------------------------------------------- input checks

// What the start button of the new-test dialog checks.
struct StartEntries {
    QString testName;
    QString bobNo;
    QString bobRadius;
    QString bobLength;
    bool pistonChosen = false;
    QString description;
    QStringList storedNames;    // the names of the stored tests
    QStringList additiveNames;  // column 0 of every additive row
};
inline const QString kDuplicateName = QStringLiteral("Duplicate test name. Please enter a unique test name.");
inline const QString kEmptyName = QStringLiteral("Please enter a unique test name for valid input.");
inline const QString kNameTooLong = QStringLiteral("Test name cannot have more than 50 characters");
inline const QString kNoBob = QStringLiteral("Please enter a Test Type or Bob no.");
inline const QString kNoInitialVolume = QStringLiteral("Please enter an initial volume");
inline const QString kNoInitialDensity = QStringLiteral("Please enter an initial density");
inline const QString kNoPiston = QStringLiteral("Please choose a piston type");
inline const QString kDescriptionTooLong = QStringLiteral("Description cannot have more than 250 characters");
inline const QString kAdditiveTooLong = QStringLiteral("Too long. cannot have more than 40 characters");
// The message of the first check that fails, in order; empty when all pass.
QString StartCheck(const StartEntries& e);

// What the save button of the edit dialog checks.
inline const QString kEditNameTooLong = QStringLiteral("TestName too long. cannot over 100 char.");
inline const QString kEditAdditiveTooLong = QStringLiteral("Additive name too long. cannot over 40 char.");
QString SaveCheck(const QString& testName, const QString& description, const QStringList& additiveNames);

// The stored lengths of the other texts of a test: fluid ID, researcher name,
// rotor and bob numbers, additive unit and lot number.
inline constexpr int kStoredTextLimit = 50;
struct StoredTexts {
    QString fluidId;
    QString researcherName;
    QString rotorNo;
    QString bobNo;
    QVector<AdditiveRow> additives;  // the rows to store
};
// What a text too long for its column is refused with.
struct LengthFailure {
    QString message;    // names the field and its limit
    QString boxName;    // the object name of the box to correct ("" for an additive cell)
    int additiveRow = 0;  // 1-based grid row of an additive cell
};
// The first text longer than its column holds; nothing when all fit. Both
// dialogs check this before they close, so that nothing typed is lost.
std::optional<LengthFailure> StoredLengthCheck(const StoredTexts& texts);

// ---------------------------------------------------------------- numbers

// A value box of the right-hand column as the number check reads it.
struct InfoBox {
    QString objectName;  // "txtBobRadius", "txtBobLength", "txtPreTestPH", "txtRotoNo", "txtPostTestPH"
    QString caption;     // its label as the dialog shows it for the test's kind
    QString text;
    bool shown = true;   // shown and enabled: a box the operator cannot correct is not checked
};
// The first box that holds no number (typed::TypedNumber), named by its
// caption; nothing when all do. Which boxes hold numbers follows the kind of
// the test, told by its BOB_NO text (`bobNo`, TestKind.h): the bob radius
// and length (a PVT test's initial volume and density, a swell test's sample
// weight and length) always; the pre-test pH box for a rheology test (pH) and
// a swell test (hardness); the post-test pH box always (pH, a PVT test's cell
// length, a swell test's compaction pressure); the rotor box for a PVT test
// (piston radius) and a swell test (compaction time), never for a rheology
// test (its rotor's name). Then the concentration of each additive to store,
// named by its line. An empty box stands for 0, as the test windows take it.
std::optional<typed::NumberRefusal> NumberCheck(const QString& bobNo, const QVector<InfoBox>& boxes,
                                                const QVector<AdditiveRow>& additives);

// ---------------------------------------------------------------- texts

// A row-array entry as a box shows it: numbers in their shortest form, dates
// as stored, texts as they are, Null as the empty text.
QString PlainText(const QVariant& v);
// A swell test's stored sample length (inches) as the test information
// dialogs show it, in the display length unit (millimetres in SI); empty for
// an empty cell.
QString SampleLengthText(const QVariant& storedInches);

}  // namespace testinfo
