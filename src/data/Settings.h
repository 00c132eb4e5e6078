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

// The most lines the file may hold.
inline constexpr int kMaxInitialLines = 20;

// A failed file operation: a run-time error number and its description
// (53 "File not found", 75 "Path/File access error", 70 "Permission denied",
// 9 "Subscript out of range", 13 "Type mismatch", ...).
struct SettingsFailure {
    int number = 0;
    QString description;
};

// ---- main window ---------------------------------------------------------

// The screen scale factors a window can be laid out with. A factor outside
// (0 or less, huge, or not a number) is taken as none was given: 1.0, when
// read, when saved and when a layout applies it.
inline constexpr double kMinScaleFactor = 0.25;
inline constexpr double kMaxScaleFactor = 4.0;
bool ScaleFactorInRange(double factor);
// The factor itself when in range, else 1.0.
double UsableScaleFactor(double factor);

// Start-up: sets gMaxPress to 30000, reads the file into InitialLines and the
// settings, normalises them, rewrites the file in normal form and sets the
// captions and limits. Never fails: a missing file or a K-unit / SF value that
// is not a number falls back to the defaults (CGS, K unit 1, SF 1, by shear
// rate) silently; any other failure shows "ERROR: <number>, <description>"
// first. The application always starts.
void ReadInitialFile(InitialLineSlots& InitialLines);

// Replaces the file with its normal form: ports from slots 1 to 8 (leading
// number of each, 0 when there is none), then the unit system, K unit, scale
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
// (file missing or unreadable, fewer than eight lines, a port line without a
// number or outside 0 to 20) a message box shows the failure's description
// and the rest is skipped; the lists keep what was set before it.
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
