// The PVT window's controls beside the run: the piston choice and its
// calibration, Zero, the readings log (SAVE) and the calibration hand-over.

#include "pvt/frmPVTtest.h"

#include "calibration/frmCalibrateTorque.h"
#include "data/CalibrationFiles.h"
#include "data/DataFiles.h"
#include "data/DateText.h"
#include "data/Globals.h"
#include "data/Numbers.h"
#include "platform/Dialogs.h"
#include "platform/RunClock.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>

namespace {

frmPVTtest::CalibrationReader& calibrationReader() {
    static frmPVTtest::CalibrationReader reader;
    return reader;
}

// The readings log's print zones are 14 characters wide.
constexpr int kPrintZone = 14;

}  // namespace

frmPVTtest::PistonRead frmPVTtest::ReadPistonFile(bool largePiston, int unitNumber) {
    const calibration::PistonReadResult file = calibration::ReadPistonCalibration(
        largePiston ? calibration::Piston::Large : calibration::Piston::Small, unitNumber);
    PistonRead read;
    read.ok = file.ok();
    read.message = file.message;
    read.data.count = file.data.count;
    read.data.heights = file.data.heights;
    read.data.readings = file.data.readings;
    read.data.slopes = file.data.slopes;
    read.data.intercepts = file.data.intercepts;
    return read;
}

frmPVTtest::CalibrationReader frmPVTtest::SetCalibrationReader(CalibrationReader reader) {
    CalibrationReader previous = std::move(calibrationReader());
    calibrationReader() = std::move(reader);
    return previous;
}

// ---- piston ------------------------------------------------------------------------------

void frmPVTtest::optLag_Click() {
    if (optLag->isChecked()) choosePiston(true);
}

void frmPVTtest::optSml_Click() {
    if (optSml->isChecked()) choosePiston(false);
}

void frmPVTtest::choosePiston(bool large) {
    CalFileName = large ? QStringLiteral("Calilarg.dat") : QStringLiteral("CALIsmal.dat");
    CalCount = large ? 5 : 4;
    (large ? optSml : optLag)->setChecked(false);
    LoadCalibrationData(Units());
    if (reply.SampleTemp > 0) reply.RefTemp = reply.SampleTemp;
}

void frmPVTtest::LoadCalibrationData(int unitNumber) {
    // A piston whose calibration cannot be read leaves none: the height, the
    // density and the position trips wait for a piston that has one, and
    // Start refuses until then.
    reply.calibration = unit::PvtCalibration{};
    const CalibrationReader& reader = calibrationReader();
    PistonRead read = reader ? reader(CalCount == 5, unitNumber) : ReadPistonFile(CalCount == 5, unitNumber);
    if (!read.ok) {
        ui::MsgBox(read.message);
        return;
    }
    if (read.data.count != CalCount || !read.data.loaded()) {
        ui::MsgBox(QStringLiteral("No matching calibration data found.  Please calibrate."));
        return;
    }
    reply.calibration = std::move(read.data);
}

// ---- maximum pressure ----------------------------------------------------------------------


// ---- Zero, readings log ----------------------------------------------------------------------

void frmPVTtest::cmdZero_Click() {
    if (!optLag->isChecked() && !optSml->isChecked()) {
        ui::MsgBox(QStringLiteral("Select piston size first."));
        return;
    }
    reply.ZeroOffset += reply.SampleHeight;
}

void frmPVTtest::cmdSave_Click() {
    QString line = PrintNumber(Units()) + QLatin1Char(',') + GeneralDateText(QVariant(tick::CurrentDateTime())) +
                   QLatin1Char(',') + PrintNumber(reply.RawPosition) + QLatin1Char(',') +
                   PrintNumber(reply.SampleHeight);
    line += QString(kPrintZone - int(line.size() % kPrintZone), QLatin1Char(' '));
    line += QStringLiteral("\r\n");

    QFile f(FindDataFile(QStringLiteral("ReadData.csv")));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append) || f.write(line.toLocal8Bit()) < 0 || !f.flush()) {
        ui::MsgBox(QStringLiteral("Err.Number:  ") + QString::number(75) + QStringLiteral("     ") +
                   QStringLiteral("Path/File access error"));
    }
    f.close();
}

// ---- calibration hand-over, report -----------------------------------------------------------

void frmPVTtest::cmdCalibrate_Click() {
    if (RunState == kRunning) {
        ui::MsgBox(CalibrateWhileRunningMessage());
        return;
    }
    // The calibration window opens the unit's port itself.
    if (MSComm1.PortOpen()) MSComm1.PortOpen(false);
    frmCalibrateTorque* calibrate = frmCalibrateTorque::ShowOnTab(2, Units());
    if (calibrate && (CalCount == 4 || CalCount == 5)) {
        calibrate->Combo1->setCurrentIndex(CalCount == 4 ? 1 : 0);
        calibrate->Combo1_Click();
    }
    cmdExit_Click();
}
