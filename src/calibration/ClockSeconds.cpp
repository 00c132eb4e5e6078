#include "calibration/ClockSeconds.h"

#include <algorithm>

namespace calibration {

int MsUntilSecondsChanged(const QTime& now, int n) { return (std::max(n, 1) - 1) * 1000 + (1000 - now.msec()); }

}  // namespace calibration
