#pragma once
// The sequence exchange file: Export writes the sequence shown in the editor's
// grids to a CSV file, Import reads such a file into new stored sequences.
//
// The file is single-byte text (Latin-1, so the degree sign is one byte),
// every line ended by CR LF:
//   "Sequence of Z3080 Rheometer." / "" / "Save Date: ,<date>" / "" /
//   "SEQUENCE_NAME,<name>" / "" / ""
//   the step grid, one line per row (header row first), each cell followed by
//   ",", then "" -- or the single line "No Step" when the grid has no step;
//   "" / ""
//   "RAMP_STEP_NO,RAMP_Time(sec),RAMP_SPEED(Rpm),INTERVAL(sec)"
//   one line per filled ramp-define row: " n , time ,speed, interval ,"
//   ""
// Temperatures are written in °F and speeds in rpm, whatever the editor shows;
// the reader stores the values as they stand.
//
// Import reads and checks the whole file before anything is stored, asks for
// every sequence's name, and then stores; a store statement that fails undoes
// everything this import stored, so a failed import leaves no half sequence.
//
// Used by the sequence editor's Export and Import (frmSetup::cmdExport_Click,
// cmdImport_Click): Export writes the sequence its grids hold, which may be
// another than the list's selected entry; after an import that stored a
// sequence the editor reloads its list. Both show their own messages and trap
// every failure.

#include "data/RecordBase.h"
#include "data/SequenceLimits.h"
#include "sequences/SequenceGridTexts.h"
#include "platform/Dialogs.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <array>

class clsConnection;
class clsSEQUENCE_INFO;

namespace seqcsv {

// Messages and prompts.
inline const QString kNoSequence = QStringLiteral("Currently no valid sequence selected.");
inline const QString kNoSequenceFound = QStringLiteral("Currently no valid sequence selected. ");
inline const QString kConfirmExport = QStringLiteral("Are you sure you want to export the current sequence: ");
inline const QString kCancelled = ui::kCancelDescription;
inline const QString kNamePrompt = QStringLiteral(
    "Enter a unique sequence name in the text field below, or click OK to import the sequence named");
inline const QString kNameTitle = QStringLiteral("Serquence Name");
inline const QString kNameExists = QStringLiteral("Cannot import - a sequence already exists with that name.");
inline const QString kNotSequenceFile = QStringLiteral("Cannot import - the file is not a sequence file.");
inline const QString kTruncated = QStringLiteral("Cannot import - the file ends before its sequence is complete.");
inline const QString kNameTooLong =
    QStringLiteral("Cannot import - a sequence name can not be longer than 40 characters.");
inline const QString kCannotRead = QStringLiteral("Cannot import - the file cannot be read: ");
// What a refusal of the database says was not done (WriteOrRefuse).
inline const QString kNotImported = QStringLiteral("The file's sequences were not imported");
// The file dialog's filter; the CSV entry is the second.
inline const QString kFileFilter = QStringLiteral("All Files (*.*)|*.*|Text Files(*.csv)|*.csv");

// Longest sequence name the editor accepts.
constexpr int kMaxNameLength = 40;
// Fields of a step line and of a ramp line.
constexpr int kStepFields = 11;
constexpr int kRampFields = 4;

// ---------------------------------------------------------------------------
// Export

// Today in the system's short date form (line 3 of the file).
QString SaveDateText();

// The whole file for a sequence named `name` whose grids hold `grids`, with
// the entry mode gBySR, the unit system gUnitSystem and the bob's shear rate
// per rpm `bobSRFactor`.
QByteArray ExportText(const QString& name, const SequenceGridTexts& grids, double bobSRFactor,
                      const QString& saveDate);

struct ExportResult {
    // The sequence was looked up by name: seqInfoRow (its SEQUENCE_INFO row as
    // read, the defaults when none) and seqId (0 when none).
    bool lookedUp = false;
    RowArray seqInfoRow;
    qint32 seqId = 0;
    // The file written; empty when none was.
    QString fileName;
};

// The Export button: `listCount` entries in the sequence list, `selectedName`
// the selected one (empty when none is selected). Confirms, looks the sequence
// up through seqInfo (the editor's connected record object), asks for the file
// and writes the grids to it. Every failure is shown in a message box.
ExportResult ExportSequenceCsv(clsSEQUENCE_INFO& seqInfo, int listCount, const QString& selectedName,
                               const SequenceGridTexts& grids, double bobSRFactor);

// ---------------------------------------------------------------------------
// Import

// One sequence of a file: the name given in the file and its rows, in the
// order of the file's fields.
struct ImportedSequence {
    QString name;
    // RAMP_NO, RAMP_ELAPSE_TIME, RAMP_TEMP, RAMP_START_ERROR, TEMPRAMP_RATE,
    // SPEED, RAMP_PRESS, PRESS_RATE, RECORD_RATE, CYCLE_LABEL, RUN_RAMP
    QVector<std::array<double, kStepFields>> steps;
    // RAMP_STEP_NO, DELAY_TIME, RAMP_SPEED, INTERVALs
    QVector<std::array<double, kRampFields>> ramps;
};

struct ParseResult {
    QVector<ImportedSequence> sequences;
    QString error;  // the message to show; empty when the file is sound
    bool ok() const { return error.isEmpty(); }
};

// Reads a whole file's bytes. Refused (error set, no sequence kept):
//  - no "SEQUENCE_NAME" line, or a step or ramp block before the first one
//    (kNotSequenceFile);
//  - a block that the file ends inside, or a sequence without its ramp block
//    (kTruncated);
//  - a step line without exactly 11 fields or a ramp line without exactly 4;
//  - a field that is neither empty (read as 0) nor a finite number;
//  - a value a step or ramp entry may not hold (SequenceLimits, as stored:
//    °F in the limits of the unit system in force, rpm, up to gMaxPress psi;
//    a step number not above the one before it in the same sequence), with
//    the file's line, the step and the value named:
//    "Cannot import - line 9 of the file: Step 1: the temperature (°F) 99999
//    is out of range (0 to 600)."
// Lines may end in CR LF, CR or LF.
ParseResult ParseSequenceText(const QByteArray& bytes);

// A step line's fields, and a ramp line's, as SequenceLimits checks them.
seqlimits::Step StepOf(const std::array<double, kStepFields>& fields);
seqlimits::RampEntry RampEntryOf(const std::array<double, kRampFields>& fields);

struct ImportResult {
    int stored = 0;             // sequences stored
    qint32 lastSequenceId = 0;  // SEQUENCE_ID of the last one (0 when none)
};

// Stores the sequences under the names given (one per sequence, already
// checked), through seqInfo and step records of its own on `connection`, in
// one transaction (RunInTransaction): a failing statement leaves nothing
// stored here and is raised again (db::DbError). At the end the last
// sequence's row is written back (Update).
ImportResult StoreImportedSequences(clsConnection* connection, clsSEQUENCE_INFO& seqInfo,
                                    const QVector<ImportedSequence>& sequences, const QStringList& names);

// The Import button: asks for the file, reads and checks it, asks for each
// sequence's name (the file's name offered), refuses an empty answer, a name
// over 40 characters and a name already stored (or given twice), then stores.
// seqInfo is the editor's connected record object. Every failure is shown in
// a message box and leaves the stored data as it was; a refusal of the
// database as the other writes show it (WriteOrRefuse, kNotImported):
// "The file's sequences were not imported: the database is in use by
// another program. Nothing was stored; try again."
ImportResult ImportSequenceCsv(clsConnection* connection, clsSEQUENCE_INFO& seqInfo);

}  // namespace seqcsv
