#pragma once
// The sequence editor's two grids as text, without any window:
//  - the step grid (row 0 the header, one row per step, 11 columns: step
//    number, elapse time, temperature, temperature error, temperature ramp
//    rate, shear rate or speed, pressure, pressure rate, record interval,
//    cycle, ramp flag) and the ramp-define grid (row 0 the header, rows 1 to
//    40 the shear-ramp entries: time, shear rate or speed, interval);
//  - their headers, the radius of the bob chosen, the texts a stored row is
//    shown with and the values a grid row is stored with;
//  - the step builder, the rate signs of an edited step cell (by the sign
//    rule of SequenceLimits, SignedRate), inserting, pasting and deleting
//    steps, the checks of the step dialogs and of Save (what a step may hold
//    is SequenceLimits'; here are the dialogs' words and the cells).
//
// Grid cells hold display values: temperatures in °F (CGS, gUnitSystem 1) or
// °C (any other value), column 5 a shear rate in 1/s (gBySR) or a speed in
// rpm. Numbers are read from cells with Val (the leading number, 0 when there
// is none). Nothing here touches the database or shows a message.

#include "data/RecordBase.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

class FlexGridModel;

namespace seqgrid {

// Step grid columns.
enum StepCol : int {
    colStepNo = 0,
    colElapse = 1,
    colTemp = 2,
    colTempError = 3,
    colTempRate = 4,
    colSpeed = 5,
    colPress = 6,
    colPressRate = 7,
    colInterval = 8,
    colCycle = 9,
    colRunRamp = 10,
};
inline constexpr int kStepCols = 11;
// Rows of the ramp-define grid: the header and 40 entries.
inline constexpr int kRampDefineRows = 41;
inline constexpr int kRampDefineEntries = 40;
// The most steps an insert leaves in the grid.
inline constexpr int kMaxSteps = 998;

// ---- headers and bob ----------------------------------------------------

// Header row only (Rows 1), header 600 twips high, wrapped, the 11 captions
// (temperature captions from gTempLabel / gUnitSystem), every column 750
// twips wide but column 4, 1050.
void InitStepGridHeader(FlexGridModel& grid);
// 41 rows, header 400 twips high, wrapped, the three captions, every column
// 1000 twips wide.
void InitRampDefineGridHeader(FlexGridModel& grid);

// The headers a loaded sequence puts over the speed columns.
QString StepSpeedHeader(bool bySR);       // "Shear Rate (1/s)" / "Speed (RPM)"
QString RampDefineSpeedHeader(bool bySR); // "Shear" CR "Rate(1/s)" / "Speed " CR "(RPM)"

// The radius (cm) of a bob of the bob list (bob::UnitBobNames: "B1", "B2",
// "B5"); another name keeps `current`.
double BobRadius(const QString& bobName, double current);

// ---- stored rows as text and back -----------------------------------------

// The 11 cell texts of a SEQUENCE_RAMP row array (clsSEQUENCE_RAMP::All).
QStringList StepRowTexts(const RowArray& row, bool bySR, double srFactor);
// The 3 cell texts of a SEQUENCE_RAMP_DEFINE row array.
QStringList RampDefineRowTexts(const RowArray& row, bool bySR, double srFactor);

// A step grid row in storage units, one value per grid column (the field of
// column c at index c): RAMP_NO, RAMP_ELAPSE_TIME, RAMP_TEMP (°F, whole),
// RAMP_START_ERROR (°F, whole), TEMPRAMP_RATE (°F/min, two decimals), SPEED
// (rpm), RAMP_PRESS, PRESS_RATE, RECORD_RATE, CYCLE_LABEL, RUN_RAMP.
// Temperatures and tolerances are rounded to the nearest whole °F in both
// unit systems.
QVector<double> StepRowToStorage(const FlexGridModel& grid, int row, bool bySR, double srFactor);

// A ramp-define row in storage units.
struct RampDefineValues {
    double delayTime = 0;  // s
    double rampSpeed = 0;  // rpm
    double intervals = 0;  // s
};
RampDefineValues RampDefineRowToStorage(const FlexGridModel& grid, int row, bool bySR, double srFactor);

// True when a ramp-define time cell ends the entries (empty or one blank).
bool RampDefineEnds(const QString& timeCell);

// ---- Save's checks ---------------------------------------------------------

struct CellFailure {
    int row = 0;
    int col = 0;
    QString message;
};
// Checks rows 1 to the last against what a step may hold (SequenceLimits,
// in the units shown, up to gMaxPress), making each row's cells of columns
// 2, 5, 6 and 9 current in turn; the first failing cell (left current) with
// its message, or nothing when every row passes. A temperature, speed or
// shear rate, pressure or cycle count below 1 has Save's own words
// ("Temperature input out of range.", ...); every other value is named with
// its step and its limits (a step time, record interval or cycle count
// beyond what a run can hold, a ramp flag other than 0 or 1, a step number
// that is not above the one before it, a temperature error or ramp rate that
// is no finite number).
std::optional<CellFailure> ValidateStepGrid(FlexGridModel& grid, bool bySR, double srFactor);
// The ramp-define rows Save stores (down to the first empty time cell): ramp
// time, speed or shear rate and interval as a ramp entry may hold them.
std::optional<CellFailure> ValidateRampDefineGrid(const FlexGridModel& grid, bool bySR, double srFactor);

// The ramp entries Save stores: the ramp-define rows down to the first empty
// time cell.
int RampDefineEntryCount(const FlexGridModel& grid);
// The first step whose ramp flag 1 asks for ramp entries the ramp-define grid
// does not hold (SequenceLimits, CheckRampWanted), its ramp flag cell left
// current; nothing when no step does.
std::optional<CellFailure> ValidateRampFlags(FlexGridModel& steps, const FlexGridModel& rampDefine);

// ---- step builder -----------------------------------------------------------

// The texts of the Auto Step Builder's boxes.
struct BuilderEntry {
    QString txtTotalSteps, txtStepTime, txtTemp, txtTempError, txtTempRate, txtSpeed, txtPressure, txtPressRate,
        txtInterval, txtCycle, txtRunRamp;
};
// A refused entry: the message and the name of the box that gets the focus.
struct EntryFailure {
    QString message;
    QString box;
    QString title;  // empty: no title of its own
};
// The number of steps the builder fills: the total rounded to a whole number
// (halves to even); 0 when it is no number (typed::TypedNumber: "1,2" is
// none) or not a positive number that fits.
int BuilderStepCount(const BuilderEntry& entry);
// The most steps the builder makes.
inline constexpr int kMaxBuilderSteps = 32767;
// The builder's checks, in order: the total, then the step it builds as
// Save takes it (SequenceLimits): temperature, pressure, cycle count (at
// least 1) and speed in the builder's own words, then step time, record
// interval and ramp flag named with their limits, then the temperature and
// pressure ramp rates, typed as sizes (0 or more, TypedRateFits), named with
// their values.
std::optional<EntryFailure> CheckBuilderEntry(const BuilderEntry& entry, bool bySR, double srFactor);
// Replaces every step by BuilderStepCount identical steps numbered 1, 2, ...
// (the caller has checked the entry).
void FillStepsFromEntry(FlexGridModel& grid, const BuilderEntry& entry);

// ---- in-cell editing ---------------------------------------------------------

// Writes an edited text into the step grid's current cell with the sign rule
// of a rate (SequenceLimits, SignedRate): in steps 2 on, the temperature and
// pressure ramp rates take the sign of the change from the step before (a
// typed rate, and the rates next to an edited temperature or pressure; a
// temperature equal to the next leaves the next rate as it is). Step 1 and
// the other columns take the text as typed. A temperature or pressure cell
// that holds no number (empty, or text) gives no direction: the signs it
// would decide stay as they are.
void CommitStepCell(FlexGridModel& grid, const QString& text);

// The refusal of a text typed into a cell (typed::TypedNumber): every cell
// of the step grid and of the ramp-define grid holds a number or nothing.
// The message names the step (ramp entry) and the column's header; nothing
// when the text may be written.
std::optional<QString> StepCellRefusal(const FlexGridModel& grid, int row, int col, const QString& text);
std::optional<QString> RampDefineCellRefusal(const FlexGridModel& grid, int row, int col, const QString& text);

// ---- insert, paste, delete ----------------------------------------------------

// Writes " 1", " 2", ... into column 0 of every step row.
void RenumberSteps(FlexGridModel& grid);

// The ten values of a new step, for columns 1 to 10.
struct NewStep {
    double time = 0, Temp = 0, TempError = 0, TempRampRate = 0, ShearRate = 0, Press = 0, PressRate = 0, Rate = 0,
           Cycle = 0, RunRamp = 0;
};
// The texts of the insert dialog's boxes.
struct InsertEntry {
    QString txtTime, txtTemp, txtTempError, txtTempRate, txtShearrate, txtPress, txtPressRate, txtRate, txtcycle,
        txtRunRamp;
};
// The insert dialog's checks, in order; shear-rate entry when srMode. The
// values of the new step are those a step may hold (SequenceLimits: a cycle
// count of at least 1, a ramp flag of 0 or 1, rates typed as sizes, 0 or
// more, ...), in the dialog's words; its step time has the dialog's own
// limit, 0 to 60000 min (kMaxInsertMinutes).
std::optional<EntryFailure> CheckInsertEntry(const InsertEntry& entry, bool srMode, double srFactor);
NewStep NewStepOf(const InsertEntry& entry);

// Inserts a step before step s (s > 0 and before) or after it, writes its
// cells with a sign position (" 150", "-5") and renumbers. A position beyond
// the steps is taken as the nearest end of the grid. Returns the new row.
int InsertStep(FlexGridModel& grid, double s, bool before, const NewStep& step);

// Rows of buffered steps, columns 1..10 at indices 1..10 of each.
using StepBuffer = QVector<QStringList>;

// Pastes copies of steps `from`..`to` before (position 1) or after (any other
// value) step `at`, each with the new temperature ("##0") and pressure
// ("####0"), and renumbers. False, with the grid untouched, when the steps
// are not whole numbers of existing steps in order.
bool PasteSteps(FlexGridModel& grid, StepBuffer& buffer, double from, double to, double at, int position,
                double newTemperature, double newPressure);

// Removes the current step and renumbers; false when the header row (or no
// step) is current.
bool DeleteCurrentStep(FlexGridModel& grid);

// Removes steps `from`..`to` and renumbers; false, with the grid untouched,
// when they are not whole numbers of existing steps in order.
bool DeleteSteps(FlexGridModel& grid, StepBuffer& buffer, double from, double to);

// The copy dialog's checks (values are Val of its boxes); the new pressure
// and temperature as a step may hold them (SequenceLimits: 0 to gMaxPress).
std::optional<EntryFailure> CheckCopyPaste(double copyFrom, double copyTo, double newPressure,
                                           double newTemperature);
// The range-delete dialog's check.
std::optional<EntryFailure> CheckDeleteSteps(double deleteFrom, double deleteTo);

// The step-number entries of the dialogs' lists: " 1" to the last step.
QStringList StepNumberEntries(const FlexGridModel& grid);

}  // namespace seqgrid
