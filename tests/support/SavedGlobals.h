#pragma once
// Keeps the application-wide settings (data folder, unit system, labels,
// limits) a test changes from leaking into the next one: what they were when
// it was made is put back when it goes.

#include "data/Globals.h"

#include <QString>

namespace testing_support {

struct SavedGlobals {
    QString appPath = gAppPath;
    int unitSystem = gUnitSystem;
    short kUnit = gKUnit;
    double sf = gSF;
    bool bySR = gBySR;
    QString temp = gTempLabel, stress = gStressLabel, visc = gViscLabel, press = gPressLabel, k = gKLabel,
            length = gLengthLabel;
    double maxTemp = gMaxTemp, minTemp = gMinTemp, maxPress = gMaxPress;
    ~SavedGlobals() {
        gAppPath = appPath;
        gUnitSystem = unitSystem;
        gKUnit = kUnit;
        gSF = sf;
        gBySR = bySR;
        gTempLabel = temp;
        gStressLabel = stress;
        gViscLabel = visc;
        gPressLabel = press;
        gKLabel = k;
        gLengthLabel = length;
        gMaxTemp = maxTemp;
        gMinTemp = minTemp;
        gMaxPress = maxPress;
    }
};

}  // namespace testing_support
