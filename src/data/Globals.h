#pragma once
// Application-wide settings, captions and limits: one instance each, read
// directly by every window; and the names of the data folder's own files.

#include <QString>

inline QString gAppPath;           // data folder, set when the database is opened
inline int gUnitSystem = 1;        // 1 CGS, 2 SI (any value but 1 counts as SI)
inline short gKUnit = 1;           // 1: lbf-s^n/100 ft2, 2: lbf-s^n/ft2
inline double gSF = 1.0;           // screen scale factor of dialogs and test windows
inline bool gBySR = false;         // steps entered by shear rate (true) or by speed

inline QString gTempLabel;
inline QString gStressLabel;
inline QString gViscLabel;
inline QString gPressLabel;
inline QString gKLabel;
inline QString gLengthLabel;

inline double gMaxTemp = 600;      // highest temperature set point, display units
inline double gMinTemp = 0;        // lowest temperature set point, display units
// The highest pressure a unit takes, psi: the limit of the sequence editor's
// steps, and the maximum a new unit window starts with (each unit's own
// choice is its window's, UnitWindow::MaxPress).
inline double gMaxPress = 30000;

// The file names of the data folder.
inline const QString kDatabaseFileName = QStringLiteral("Z3080daq.accdb");
inline const QString kSettingsFileName = QStringLiteral("initial.txt");
// The lock of the program that has the data folder (DataFolderHold).
inline const QString kLockFileName = QStringLiteral("Z3080daq.lock");

// gAppPath joined with a file name of the data folder.
inline QString dataFile(const QString& name) {
    return gAppPath.endsWith(QLatin1Char('/')) ? gAppPath + name : gAppPath + QLatin1Char('/') + name;
}
