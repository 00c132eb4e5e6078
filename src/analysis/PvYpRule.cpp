#include "analysis/PvYpRule.h"

#include "data/Numbers.h"

PvYpRule::Result PvYpRule::Next(const QString& speedText, const QString& dialText) {
    return Next(Val(speedText), Val(dialText));
}

PvYpRule::Result PvYpRule::Next(double speed, double dial) {
    Result r;
    // Both compared exactly, as the speeds stand in the grid.
    r.isPvYpLine = speed == 300 && prevSpeed_ == 600;
    prevSpeed_ = speed;
    if (r.isPvYpLine) {
        r.pv = prevDial_ - dial;
        r.yp = dial - r.pv;
    }
    prevDial_ = dial;
    return r;
}
