#pragma once
// The torque calibration's report (the torque tab's Export): its lines, or
// why none can be made.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace calibration {

// The torque report. `error` is set when no report can be made (fewer than
// three points, no speed at the third point, equal viscosities in the
// matching pair of the table, or no neighbouring pair of the table that
// brackets the measured viscosity): it says so, why, and what the operator
// can do, and no such report is to be written (the lines up to there are
// kept, and `fluidTemp` is left as it was). Otherwise `fluidTemp` is set to
// the fluid temperature the report gives.
struct TorqueReportInput {
    QDateTime now;
    QString unitText;                 // the unit list's text
    QStringList tempCaptions;         // "20 (Deg C)" .. "40 (Deg C)"
    QStringList setTexts;             // the 21 boxes as typed
    std::vector<double> stress;       // dyn/cm²
    std::vector<double> angle;        // degrees
    std::optional<double> mse;        // none: the points could not be fitted
    QString viscLabel;                // gViscLabel
    QString stressLabel;              // gStressLabel
};
struct ReportLines {
    QStringList lines;
    QString error;  // empty when the report is whole
};
ReportLines TorqueReport(const TorqueReportInput& in, double& fluidTemp);

}  // namespace calibration
