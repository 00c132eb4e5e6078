#pragma once
// What Send Cali. profile. says of a coefficient table it does not send: the
// coefficients the unit's frame would change, each named with what the unit
// would get.

#include "unitlink/CalibrationFrames.h"

#include <QString>
#include <vector>

namespace calibration {

// "The unit takes each coefficient to two decimals (a to one), so the
// calibration profile <path> cannot be sent as the file holds it: A(1) =
// 0.004 would reach the unit as "0.", B(1) = 0.0001 as "0.". Nothing was
// sent. ..."
QString CoefficientsRefusedText(const QString& path, const std::vector<unit::CoefficientInFrame>& changed);

}  // namespace calibration
