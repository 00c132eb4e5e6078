#pragma once
// Plastic viscosity and yield point of a report, from a 600 rpm result line
// directly followed by a 300 rpm line: PV = θ600 − θ300, YP = θ300 − PV, where
// θ is the Fann 35 dial reading. The CSV, printed and Excel reports read the
// speed and dial cells of the result grid line by line, as the grid shows
// them, and carry the previous speed and dial reading from line to line.
//
// One object per report run (per printed copy): both carried values start
// at 0, so the first line never carries PV/YP.

#include <QString>

class PvYpRule {
public:
    struct Result {
        bool isPvYpLine = false;  // this line is the 300 rpm line after a 600 rpm line
        double pv = 0;            // 0 on any other line
        double yp = 0;
    };

    // Feeds the next line's speed cell (column 7) and dial cell (column 11),
    // each read with `Val` (data/Numbers.h): the number the text begins
    // with, 0 when it begins with none.
    Result Next(const QString& speedText, const QString& dialText);
    // The same with the numbers already read.
    Result Next(double speed, double dial);

private:
    double prevSpeed_ = 0;
    double prevDial_ = 0;
};
