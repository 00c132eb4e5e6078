#pragma once
// The settings file "initial.txt" of the data folder and the shared settings
// read from it (gUnitSystem, gKUnit, gSF, gBySR, the unit captions and limits
// of Globals.h).
//
// Normal form of the file, 12 lines, each ended by CR LF:
//   lines 1-8  the serial port of units 1 to 8 in print form (" 0 " none,
//              " 3 " the port numbered 3);
//   line 9     "CGS" or "SI";
//   line 10    "Kunit ," and 1 or 2;
//   line 11    "SF ," and the screen scale factor ("SF ,1");
//   line 12    "By the SR" or "BY the Speed".
//
// Every routine opens the file, uses it and closes it before it returns.
// Lines are read as Latin-1 bytes (so any byte survives a rewrite unchanged);
// CR LF, CR and LF all end a line. Files are replaced through a temporary
// copy, so a write that fails leaves the old file as it was.

#include <QString>
#include <QStringList>
#include <array>

// The main window's copy of the file's lines: slots 1 to 20 hold lines 1 to 20
// of the file as last read; slot 0 is not used.
using InitialLineSlots = std::array<QString, 21>;

// The most lines InitialLines holds. The start-up reads every line of the
// file; the screen-scale reset and Save_setSR refuse a longer file (after
// the start-up's rewrite it has 12).
inline constexpr int kMaxInitialLines = 20;

// A failed file operation: a run-time error number and its description
// (53 "File not found", 75 "Path/File access error", 70 "Permission denied",
// 9 "Subscript out of range", 13 "Type mismatch", ...).
struct SettingsFailure {
    int number = 0;
    QString description;
};

// The copy of the user's file kept beside it, in the data folder, before the
// start-up rewrite changes the file.
inline const QString kSettingsCopyName = QStringLiteral("initial.txt.bak");

// ---- the port lines ------------------------------------------------------------
// Lines 1 to 8 hold the serial port of units 1 to 8. Every reader of them
// (the start-up, the settings tab, and through UnitPorts.h the test
// container and the calibration window) reads them by this one rule.

// The highest port number: the ports are "Comm 1" .. "Comm 20".
inline constexpr int kMaxPortNumber = 20;

struct PortLine {
    // The port (0: none); 0 also when the line cannot be read.
    int port = 0;
    // Number 0 when the line was read; else 13 "Type mismatch" (the line does
    // not begin with a number) or 380 "Invalid property value" (a number
    // outside 0 to 20).
    SettingsFailure failure;
    bool ok() const { return failure.number == 0; }
};

// A line empty or of blanks is no port (0). Otherwise the line must begin
// (after blanks) with a number, taken to the nearest whole number (halves to
// the even one), from 0 to kMaxPortNumber; what follows it is not read
// (" 7x" is port 7).
PortLine ReadPortLine(const QString& line);

// ---- main window ---------------------------------------------------------

// The screen scale factors a window can be laid out with. A factor outside
// (0 or less, huge, or not a number) is taken as none was given: 1.0, when
// read, when saved and when a layout applies it.
inline constexpr double kMinScaleFactor = 0.25;
inline constexpr double kMaxScaleFactor = 4.0;
bool ScaleFactorInRange(double factor);
// The factor itself when in range, else 1.0.
double UsableScaleFactor(double factor);

// Start-up: sets gMaxPress to 30000, reads the file into InitialLines (its
// first 20 lines) and the settings, normalises them, rewrites the file in
// normal form and sets the captions and limits. Never fails: the application
// always starts.
//
// Every line is read, a later item overriding an earlier one. A line that
// cannot be read changes no setting and is named: a port line (1 to 8) that
// ReadPortLine refuses (no port taken), a "Kunit" line without a K unit 1 or
// 2, an "SF" line without a factor a layout can use, and any other line after
// the port lines that is not empty and is no setting's line (the setting it
// was meant to be is judged by its likeness to a setting's line, in another
// letter case or with blanks, else by its place in the normal form, lines 9
// to 12, when no good line set that setting; otherwise it is ignored). One
// message lists them, each with its number, its text (at most 40 characters)
// and the setting taken in its place (the one in effect after the whole file,
// defaults included); the first ten are listed and the rest counted.
//
// The file is rewritten only when its normal form differs from it, and the
// user's file is first kept as kSettingsCopyName beside it (the copy of an
// earlier start is replaced); a copy that cannot be made leaves the file as
// it was, and says so. A good file in normal form gives no message and is
// neither copied nor written, so the copy keeps the file as it was before
// the last rewrite that changed it.
//
// A missing file falls back to the defaults (CGS, K unit 1, SF 1, by shear
// rate) silently and is created in normal form; a file that is there but
// cannot be read shows "ERROR: <number>, <description>", falls back to the
// defaults and is not replaced. A rewrite that fails shows its failure the
// same way; the settings read stay in effect.
void ReadInitialFile(InitialLineSlots& InitialLines);

// Replaces the file with its normal form: ports from slots 1 to 8
// (ReadPortLine, 0 for a line it refuses), then the unit system, K unit, scale
// factor and rate basis in effect. Shows nothing; false (and the failure, when
// asked for) when the file could not be written, which then is unchanged.
bool WriteInitialFile(const InitialLineSlots& InitialLines, SettingsFailure* failure = nullptr);

// Sets the captions and temperature limits from gUnitSystem and gKUnit.
// gMaxPress is not touched.
void SetUnitLabels();

// The menu's screen-scale reset: every line beginning with "SF" becomes
// "SF ,1", the other lines are rewritten as they were read, and gSF becomes
// 1.0. When the file is missing, unreadable, holds more than 20 lines or
// cannot be written, a message box shows the failure's description and
// gSF, InitialLines and the file stay as they were. True when done.
bool ResetScreenScale(InitialLineSlots& InitialLines);

// ---- sequence editor's instrument-settings tab -----------------------------

// The entries of each unit's port list: "None", "Comm 1" ... "Comm 20".
QStringList PortEntries();

// What the settings tab of the sequence editor shows: the window fills its
// controls from this and this from its controls.
struct SetupSettings {
    std::array<QStringList, 9> cmbUnitItems; // entries of cmbUnit(1..8); [0] unused
    std::array<int, 9> cmbUnit{};        // selected entry of cmbUnit(1..8), -1 none; [0] unused
    bool optCGS = false;                 // "CGS"
    bool OptSI = false;                  // "SI"
    bool OptK1 = false;                  // "lbf-s^n/100ft2"
    bool OptK2 = false;                  // "lbf-s^n/ft2"
    QString txtSF;                       // "Adjust Screen size * "
    bool Option1 = false;                // "By Speed"
    bool Option2 = false;                // "By Shear Rate"
    bool UnitChanged = false;            // a unit or K-unit option was clicked
    bool SequenceChanged = false;        // the current sequence has unsaved edits

    // Text of the entry selected in list i (empty when none is selected).
    QString selectedText(int i) const;
};

// Fills the eight port lists (each with "None" selected, as a drop-down list
// does once filled), selects the port of lines 1 to 8 of the file in each and
// shows the settings in effect (not the file's lines 9 to 12). On a failure
// (file missing or unreadable, fewer than eight lines, a port line that
// ReadPortLine refuses) a message box shows the failure's description and the
// rest is skipped; the lists keep what was set before it.
void LoadPortSettings(SetupSettings& s);

// The "&Save" button: asks "Change Unit!" when UnitChanged (Cancel clears
// UnitChanged and stops), refuses two units on the same port, then rewrites
// the file from the tab and sets gSF; clears SequenceChanged and UnitChanged.
// gUnitSystem and gKUnit stay until the next start. A file that cannot be
// written shows its failure's description and nothing changes. True when the
// file was written.
bool SaveInstrumentSettings(SetupSettings& s);

// When the sequence editor closes: the file's last line becomes the rate-basis
// line of gBySR (an empty last line is dropped, an empty file stays empty).
// A file that is missing, unreadable, longer than 20 lines or cannot be
// written shows the failure's description and stays as it was. True when done.
bool Save_setSR();
