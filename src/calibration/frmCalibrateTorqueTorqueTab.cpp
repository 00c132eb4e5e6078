#include "calibration/frmCalibrateTorque.h"

#include "calibration/CalibrationMath.h"
#include "calibration/CalibrationPlot.h"
#include "calibration/CalibrationReports.h"
#include "calibration/CalibrationWindowParts.h"
#include "calibration/CoefficientTableText.h"
#include "calibration/TorqueReport.h"
#include "calibration/TorqueRunStatus.h"
#include "data/CalibrationFiles.h"
#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/TypedNumbers.h"
#include "data/UnitPorts.h"
#include "platform/Dialogs.h"
#include "platform/PeChart.h"

#include <QComboBox>
#include <QDateTime>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

// The calibration window's torque tab: its controls, the run (start, the
// unit's points, the fit), the set-value table, the coefficient table, the
// report.

using namespace calibration;
using namespace calibration::windowparts;

// ---- torque tab -------------------------------------------------------------------

void frmCalibrateTorque::buildTorqueTab(QWidget* f) {
    Label(f, QStringLiteral("Label1"), QStringLiteral("Please select which unit to calibrate:"), QRect(16, 16, 270, 26));
    cmbInstName[1] = Named<QComboBox>(f, QStringLiteral("cmbInstName"), QRect(290, 16, 130, 26), 1);
    Label(f, QStringLiteral("Label4"), QStringLiteral("Please select bob size:"), QRect(16, 50, 270, 26));
    cmbBobSize = Named<QComboBox>(f, QStringLiteral("cmbBobSize"), QRect(290, 50, 130, 26));
    connect(cmbBobSize, &QComboBox::activated, this, [this] { cmbBobSize_Click(); });

    Frame2 = controls::Frame(f, QStringLiteral("Frame2"), QStringLiteral("Calibration Fluid Specs"), QRect(16, 86, 404, 536));
    for (int i = 0; i <= 20; ++i) {
        const int y = 28 + i * 24;
        Label2[size_t(i)] = Label(Frame2, QStringLiteral("Label2"), QStringLiteral("%1 (Deg C)").arg(20 + i),
                                  QRect(16, y, 120, 22), i);
        txtCali[size_t(i)] = Named<QLineEdit>(Frame2, QStringLiteral("txtCali"), QRect(140, y, 110, 22), i);
        txtCali[size_t(i)]->setText(QStringLiteral("100"));
        txtCali[size_t(i)]->setAlignment(Qt::AlignRight);
        Label3[size_t(i)] = Label(Frame2, QStringLiteral("Label3"), QStringLiteral("cP"), QRect(258, y, 120, 22), i);
    }

    CWGraph1 = Named<PeChart>(f, QStringLiteral("CWGraph1"), QRect(436, 16, 532, 436));
    InitCalibrationPlot(*CWGraph1, QStringLiteral("Angle (Deg)"), QStringLiteral("Shear Stress (dyn/cm2)"));
    Label(f, QStringLiteral("Label13"), QStringLiteral("Slope ="), QRect(436, 462, 60, 24));
    lblSlope = valueBox(f, QStringLiteral("lblSlope"), QRect(498, 462, 130, 24));
    Label(f, QStringLiteral("Label14"), QStringLiteral("Mean square error ="), QRect(650, 462, 150, 24));
    lblMse = valueBox(f, QStringLiteral("lblMse"), QRect(802, 462, 166, 24));

    cmdSave1 = Button(f, QStringLiteral("cmdSave1"), QStringLiteral("Save to File"), QRect(436, 500, 128, 34));
    cmdLoad = Button(f, QStringLiteral("cmdLoad"), QStringLiteral("Load From File"), QRect(570, 500, 128, 34));
    cmdSendCali = Button(f, QStringLiteral("cmdSendCali"), QStringLiteral("Send Cali. profile."),
                         QRect(704, 500, 128, 34));
    Command1 = Button(f, QStringLiteral("Command1"), QStringLiteral("Get Cali. profile."), QRect(838, 500, 130, 34));
    cmdStart = Button(f, QStringLiteral("cmdStart"), QStringLiteral("&Start"), QRect(436, 560, 128, 40));
    cmdExport = Button(f, QStringLiteral("cmdExport"), QStringLiteral("&Export"), QRect(570, 560, 128, 40));
    cmdReturn[1] = Button(f, QStringLiteral("cmdReturn"), QStringLiteral("&Return"), QRect(838, 560, 130, 40), 1);

    connect(cmdSave1, &QPushButton::clicked, this, &frmCalibrateTorque::cmdSave1_Click);
    connect(cmdLoad, &QPushButton::clicked, this, &frmCalibrateTorque::cmdLoad_Click);
    connect(cmdSendCali, &QPushButton::clicked, this, &frmCalibrateTorque::cmdSendCali_Click);
    connect(cmdStart, &QPushButton::clicked, this, &frmCalibrateTorque::cmdStart_Click);
    connect(cmdExport, &QPushButton::clicked, this, &frmCalibrateTorque::cmdExport_Click);
}

std::optional<std::vector<double>> frmCalibrateTorque::fluidViscosities() {
    std::vector<double> values;
    for (int i = 0; i <= 20; ++i) {
        const QString name = QStringLiteral("Viscosity at ") + Label2[size_t(i)]->text();
        const QString text = txtCali[size_t(i)]->text();
        const std::optional<double> v = typed::TypedNumber(text);
        if (!v) {
            ui::MsgBox(typed::NotANumberMessage(name, text));
            txtCali[size_t(i)]->setFocus();
            return std::nullopt;
        }
        values.push_back(*v);
    }
    return values;
}

void frmCalibrateTorque::cmdStart_Click() {
    // A start under way (waiting for its run frame) or a run is not started twice.
    if (torqueRun_) {
        ui::MsgBox(kBusyMessage);
        return;
    }
    // A fluid table with a box that holds no number starts nothing, and
    // changes nothing of the last run.
    const std::optional<std::vector<double>> viscosities = fluidViscosities();
    if (!viscosities) return;
    TorquePoints.clear();
    TorqueFitted = false;
    TorqueLostText = false;
    ClearCalibrationPlot(*CWGraph1);
    lblSlope->clear();
    lblMse->clear();
    const bool pvtReading = TimerPVT.Enabled();
    const bool swellReading = TimerSWM.Enabled();
    try {
        // A port another tab opened for another unit is not this unit's.
        if (MSComm1.PortOpen() && !showsUnit(*cmbInstName[1], TabUnit[1], MSComm1, PortNo))
            throw HandlerError(QStringLiteral("The open ") + MSComm1.PortName() +
                               QStringLiteral(" is not the port of ") + cmbInstName[1]->currentText() +
                               QStringLiteral(": choose the unit on this tab once its port is free."));
        // The port a run closed at its end (or that was let go) is opened
        // again for the unit the list shows: a second run needs no new pick.
        const int unit = unitOfEntry(cmbInstName[1]->currentText());
        if (!MSComm1.PortOpen() && cmbInstName[1]->currentIndex() >= 0 && unit >= 1 && unit < int(PortNo.size()) &&
            PortNo[size_t(unit)] != 0) {
            try {
                openUnitPort(unit);
            } catch (const comm::CommError& e) {
                if (const QString note = heldByWindowNote(MSComm1); !note.isEmpty()) throw HeldPortError(note);
                throw;
            }
            TabUnit[1] = unit;
        }
        MSComm1.InputLen(0);
        torqueParser_.Clear();
        std::vector<double> values;
        for (double v : *viscosities) values.push_back(std::fabs(v));
        // From the start frame on the run owns the port: the PVT and swell
        // tabs' timers, which would take the unit's points, stop, and their
        // last readings, from before the run, are no live readings any more
        // (a step after the run must not take them).
        torqueRun_ = true;
        TimerPVT.Enabled(false);
        TimerSWM.Enabled(false);
        PvtReading = 0;
        LsmVolt = 0;
        lblReadData2->clear();
        lblReaddata3->clear();
        MSComm1.Output(unit::CalibrationStartFrame(values, BobNo));
    } catch (const std::exception& e) {
        // The run did not start: the other tabs read on as before, and the
        // status says so (the last run's result is cleared).
        torqueRun_ = false;
        TimerPVT.Enabled(pvtReading);
        TimerSWM.Enabled(swellReading);
        CaliStatus->setText(TorqueNotStartedText());
        showStartFailure(e);
        return;
    }
    // The bob file is written once the run has ended well (FinishTorqueRun).
    runBob_ = cmbBobSize->currentText();
    CaliStatus->setText(TorqueRunningText());
    cmdStart->setEnabled(false);
    cmbInstName[1]->setEnabled(false);
    Delay_Seconds(1, [this] { sendTorqueRunFrame(); });
}

void frmCalibrateTorque::sendTorqueRunFrame() {
    if (unloading_ || !torqueRun_) return;
    try {
        MSComm1.Output(unit::CalibrationRunFrame());
    } catch (const std::exception& e) {
        failStartedRun(e);
        return;
    }
    Delay_Seconds(2, [this] { beginTorqueReadings(); });
}

void frmCalibrateTorque::beginTorqueReadings() {
    if (unloading_ || !torqueRun_) return;
    try {
        // What came before the run's points is thrown away; a port that has
        // gone since is a failure of the run.
        MSComm1.Input();
    } catch (const std::exception& e) {
        failStartedRun(e);
        return;
    }
    TorqueSilentTicks = 0;
    Timer1.Interval(1000);
    Timer1.Enabled(true);
}

void frmCalibrateTorque::failStartedRun(const std::exception& e) {
    // A run that failed under its start leaves the tab free again, with the
    // port closed: the unit may have heard only part of the start.
    torqueRun_ = false;
    cmdStart->setEnabled(true);
    cmbInstName[1]->setEnabled(true);
    CaliStatus->setText(TorqueProblemText());
    try {
        closePort();
    } catch (...) {
    }
    // From the event loop: a message that holds nothing back.
    ui::Notify(kCommMessage);
    ui::Notify(describe(e));
}

void frmCalibrateTorque::showStartFailure(const std::exception& e) {
    if (auto* held = dynamic_cast<const HeldPortError*>(&e)) {
        ui::MsgBox(held->text);
        return;
    }
    ui::MsgBox(kCommMessage);
    ui::MsgBox(describe(e));
}

void frmCalibrateTorque::Timer1_Timer() {
    // A tick's messages hold nothing back: the units' ticks go on.
    try {
        Read_Torque_Cal_Reply();
    } catch (const std::exception& e) {
        ui::Notify(describe(e));
    }
}

void frmCalibrateTorque::Read_Torque_Cal_Reply() {
    if (!torqueRun_) return;  // a tick left over after the run ended
    QString received;
    try {
        // The run's port closed or gone is a failure of the run (Input
        // raises it), not a silent unit.
        received = MSComm1.Input();
    } catch (...) {
        // The port went away: the run is over, with nothing more to come.
        FinishTorqueRun(false);
        throw;
    }
    const unit::TorqueReplyResult r = torqueParser_.Parse(received);
    if (r.broken > 0 || r.bufferCut) TorqueLostText = true;
    if (!r.points.empty()) {
        TorqueSilentTicks = 0;
        TorquePoints.insert(TorquePoints.end(), r.points.begin(), r.points.end());
        std::vector<double> x, y;
        for (const unit::TorquePoint& p : TorquePoints) {
            x.push_back(p.angle);
            y.push_back(p.stress);
        }
        PlotCalibrationCurve(*CWGraph1, x, y);
    }
    if (r.ended) {
        FinishTorqueRun(true);
        return;
    }
    // Only a calibration point is an answer: a unit sending status frames
    // and nothing else ends the run as a silent one does.
    if (r.points.empty() && ++TorqueSilentTicks >= kTorqueSilentTicks) {
        FinishTorqueRun(false);
        ui::Notify(QStringLiteral("No response from Z3080, please check connection."));
    }
}

void frmCalibrateTorque::FinishTorqueRun(bool ended) {
    bool fitted = false;
    std::vector<double> x, y;
    for (const unit::TorquePoint& p : TorquePoints) {
        x.push_back(p.angle);
        y.push_back(p.stress);
    }
    if (ended) {
        const LineFit fit = FitLine(x, y);
        if (fit.ok) {
            FitSlope = fit.slope;
            FitIntercept = fit.intercept;
            FitMse = fit.mse;
            fitted = true;
        }
    }
    TorqueFitted = fitted;
    if (fitted) showTorqueFit(x, y);
    torqueRun_ = false;
    cmdStart->setEnabled(true);
    cmbInstName[1]->setEnabled(true);
    Timer1.Enabled(false);
    torqueParser_.Clear();
    TorqueSilentTicks = 0;
    // A run that lost text from the unit may lack points: never a success.
    const bool good = fitted && FitMse <= kMaxTorqueMse && !TorqueLostText;
    CaliStatus->setText(good ? TorqueSuccessText() : TorqueProblemText());
    closePort();
    // The bob file names the bob of the last calibration that ended well: a
    // failed or abandoned one leaves it as it was.
    if (good)
        if (const SaveResult bob = WriteBobInfo(runBob_); !bob.ok) ui::Notify(bob.message);
}

void frmCalibrateTorque::showTorqueFit(const std::vector<double>& angle, const std::vector<double>& stress) {
    PlotCalibrationFit(*CWGraph1, angle, stress, FitSlope, FitIntercept);
    lblSlope->setText(Format(FitSlope, QStringLiteral("#0.0####")));
    lblMse->setText(Format(FitMse, QStringLiteral("#0.0##")));
}

void frmCalibrateTorque::cmdSave1_Click() {
    // The table saved is the boxes' numbers: a box that holds none is said
    // before a file is chosen.
    const std::optional<std::vector<double>> viscosities = fluidViscosities();
    if (!viscosities) return;
    const std::optional<QString> path = saveFile(kTableFilter);
    if (!path) return;
    const SaveResult r = SaveTorqueValues(*path, *viscosities);
    if (!r.ok) ui::MsgBox(r.message);
}

void frmCalibrateTorque::cmdLoad_Click() {
    const std::optional<QString> path = openFile(kTableFilter);
    if (!path) return;
    // A file that does not fit the 21 rows changes no box.
    const TorqueValuesResult r = ReadTorqueValues(*path);
    if (!r.ok) {
        ui::MsgBox(r.message);
        return;
    }
    for (size_t i = 0; i < r.values.size() && i < txtCali.size(); ++i) txtCali[i]->setText(CStr(r.values[i]));
}

void frmCalibrateTorque::cmdSendCali_Click() {
    const QString message = kCommMessage + QStringLiteral("  ");
    if (TabUnit[1] == 0 && TabUnit[2] == 0 && TabUnit[3] == 0) {  // no unit's port known yet
        ui::MsgBox(message);
        return;
    }
    bool opened = false;
    bool sending = false;
    try {
        try {
            MSComm1.PortOpen(true);
        } catch (const comm::CommError&) {
            if (const QString note = heldByWindowNote(MSComm1); !note.isEmpty()) throw HeldPortError(note);
            throw;
        }
        opened = true;
        MSComm1.InputLen(0);
        torqueParser_.Clear();
        ui::FileRequest req;
        req.filter = QStringLiteral("All Files (*.*)|*.*|Text Files(*.txt)|*.txt");
        req.filterIndex = 2;
        const std::optional<QString> path = ui::GetOpenFileName(req);
        if (!path) throw HandlerError(kCancelled);
        const TorqueCoefficientsResult table = ReadTorqueCoefficients(*path);
        if (!table.ok) throw HandlerError(table.message);
        const TorqueCoefficients& t = table.data;
        // The unit gets the file's table or nothing: a coefficient the frame
        // would change is named, and nothing is sent.
        if (const auto changed = unit::CoefficientsTheFrameChanges(t.a, t.n, t.A, t.B); !changed.empty()) {
            closePort();
            opened = false;
            ui::MsgBox(CoefficientsRefusedText(*path, changed));
            return;
        }
        sending = true;
        MSComm1.Output(unit::CoefficientFrame(t.a, t.n, t.A, t.B));
        sending = false;
        const QString sentTo = unitOfOpenPort();
        closePort();
        ui::MsgBox(QStringLiteral("The calibration profile ") + *path + QStringLiteral(" was sent to ") + sentTo +
                   QLatin1Char('.'));
    } catch (const std::exception& e) {
        // The port this handler opened is closed again, so the units stay free.
        if (opened) {
            try {
                closePort();
            } catch (...) {
            }
        }
        if (auto* held = dynamic_cast<const HeldPortError*>(&e)) {
            ui::MsgBox(held->text);
            return;
        }
        // A frame that could not be sent says why: the unit may not have it.
        ui::MsgBox(sending ? message + QLatin1Char('\n') + describe(e) : message);
    }
}

QString frmCalibrateTorque::unitOfOpenPort() const {
    for (int u = 1; u <= unit::kUnitCount; ++u)
        if (PortNo[size_t(u)] != 0 && PortNo[size_t(u)] == MSComm1.PortNumber()) return QStringLiteral("Unit %1").arg(u);
    return MSComm1.PortName();
}

void frmCalibrateTorque::cmdExport_Click() {
    // The report reads the fluid table's numbers: a box that holds none is
    // said before a file is chosen.
    if (!fluidViscosities()) return;
    TorqueReportInput in;
    in.now = QDateTime::currentDateTime();
    in.unitText = cmbInstName[1]->currentText();
    for (int i = 0; i <= 20; ++i) {
        in.tempCaptions << Label2[size_t(i)]->text();
        in.setTexts << txtCali[size_t(i)]->text();
    }
    for (const unit::TorquePoint& p : TorquePoints) {
        in.stress.push_back(p.stress);
        in.angle.push_back(p.angle);
    }
    // The fit of these points, none when they could not be fitted (an older
    // run's fit is not theirs).
    if (TorqueFitted) in.mse = FitMse;
    in.viscLabel = gViscLabel;
    in.stressLabel = gStressLabel;
    // A report that cannot be made is not written at all: the operator is
    // told why before choosing a file, and a file of that name stays as it was.
    double fluidTemp = FluidTemp;
    const ReportLines report = TorqueReport(in, fluidTemp);
    if (!report.error.isEmpty()) {
        ui::MsgBox(report.error);
        return;
    }
    const std::optional<QString> path = saveFile(kReportFilter);
    if (!path) return;
    QString error;
    if (!WriteReportLines(*path, report.lines, error)) {
        ui::MsgBox(error);
        return;
    }
    FluidTemp = fluidTemp;
}
