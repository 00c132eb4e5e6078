#pragma once
// The status line of the torque tab: what it says of a torque run, and the
// mean square error above which a fitted run is no success.

#include <QString>

namespace calibration {

// The status texts of a finished torque run.
inline constexpr double kMaxTorqueMse = 750;
QString TorqueSuccessText();  // "Calibration Completed Successfully."
QString TorqueProblemText();  // "Calibration Completed, Problem detected. "
QString TorqueRunningText();  // "Calibration in Progress."
QString TorqueNotStartedText();  // "Calibration not started." (a start that sent nothing)

}  // namespace calibration
