// The swell window's controls beside the run: the unit's sensor
// calibration, the set-point and preheat buttons, Zero and the calibration
// hand-over.

#include "swell/frmSWMTest.h"

#include "calibration/frmCalibrateTorque.h"
#include "data/Globals.h"
#include "data/Numbers.h"
#include "platform/Dialogs.h"

#include <QLabel>

using namespace swell;

namespace {

QString calText(double v) { return Format(v, QStringLiteral("#0.0#####")); }

}  // namespace

// ---- sensor calibration ------------------------------------------------------------------


void frmSWMTest::Load_Swell_Calibration() {
    const calibration::SwellReadResult read = calibration::ReadSwellCalibration(Units());
    // A unit whose coefficients are 0 has its values taken but not shown.
    if (read.status == calibration::SwellReadResult::NotCalibrated) reply.calibration = read.data;
    if (read.ok())
        SetCalibration(read.data);
    else
        ui::MsgBox(read.message);
}

void frmSWMTest::SetCalibration(const SwellCalibration& c) {
    // This window's own unit: other swell windows keep theirs.
    reply.calibration = c;
    lblCaliVolt[1]->setText(calText(c.v1));
    lblCaliVolt[2]->setText(calText(c.v2));
    lblCaliVolt[3]->setText(calText(c.v3));
    lblIntercept[1]->setText(calText(c.A[1]));
    lblIntercept[2]->setText(calText(c.A[2]));
    lblSlope[1]->setText(calText(c.B[1]));
    lblSlope[2]->setText(calText(c.B[2]));
}

// ---- set points ----------------------------------------------------------------------

void frmSWMTest::cmdTempSet_Click() {
    if (!RequirePort(QStringLiteral("The set points cannot be sent"))) return;
    sendSetPoints();
}

void frmSWMTest::cmdPreHeat_Click() {
    if (RunState == kRunning) {
        ui::MsgBox(CalibrateWhileRunningMessage());
        return;
    }
    if (!RequirePort(QStringLiteral("The set points cannot be sent"))) return;
    if (sendSetPoints()) RunState = kPreheating;
}

// ---- zeroing and calibration ----------------------------------------------------------

void frmSWMTest::cmdZero_Click() {
    // The zero is taken against the sensor voltage the unit sends: without
    // its line that is no reading at all.
    if (!RequirePort(QStringLiteral("The sensor cannot be zeroed"))) return;
    const QString prompt = QStringLiteral("Input dry wafer Length ") + gLengthLabel;
    const QString answer = ui::InputBox(prompt, prompt);
    const ZeroOutcome outcome = ZeroSensor(answer, reply.calibration, reply.state);
    const QString text = ZeroMessage(outcome);
    if (!text.isEmpty()) ui::MsgBox(text, ui::vbOKOnly, ZeroTitle(outcome));
}

void frmSWMTest::cmdCalibrate_Click() {
    if (RunState == kRunning) {
        ui::MsgBox(CalibrateWhileRunningMessage());
        return;
    }
    // The calibration window takes the unit's port.
    if (MSComm1.PortOpen()) MSComm1.PortOpen(false);
    frmCalibrateTorque::ShowOnTab(3, Units());
    cmdExit_Click();
}
