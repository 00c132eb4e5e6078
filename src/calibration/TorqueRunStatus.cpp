#include "calibration/TorqueRunStatus.h"

namespace calibration {

QString TorqueSuccessText() { return QStringLiteral("Calibration Completed Successfully."); }
QString TorqueProblemText() { return QStringLiteral("Calibration Completed, Problem detected. "); }
QString TorqueRunningText() { return QStringLiteral("Calibration in Progress."); }
QString TorqueNotStartedText() { return QStringLiteral("Calibration not started."); }

}  // namespace calibration
