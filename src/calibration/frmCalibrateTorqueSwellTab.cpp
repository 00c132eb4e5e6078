#include "calibration/frmCalibrateTorque.h"

#include "calibration/CalibrationMath.h"
#include "calibration/CalibrationReports.h"
#include "calibration/CalibrationPlot.h"
#include "calibration/CalibrationWindowParts.h"
#include "data/CalibrationFiles.h"
#include "data/Numbers.h"
#include "data/Units.h"
#include "platform/Dialogs.h"
#include "platform/PeChart.h"

#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QPushButton>

// The calibration window's swell (LSM) tab: its controls, the spacer steps
// and the two segments, the save, the report.

using namespace calibration;
using namespace calibration::windowparts;

// ---- swell tab ------------------------------------------------------------------------

void frmCalibrateTorque::buildSwellTab(QWidget* f) {
    Label(f, QStringLiteral("Label12"), QStringLiteral("Please select which unit to calibrate:"), QRect(16, 16, 270, 26));
    cmbInstName[3] = Named<QComboBox>(f, QStringLiteral("cmbInstName"), QRect(290, 16, 130, 26), 3);

    Label31 = Label(f, QStringLiteral("Label31"), QStringLiteral("STEP 1:"), QRect(16, 60, 80, 24));
    QFont bold = Label31->font();
    bold.setBold(true);
    Label31->setFont(bold);
    Label(f, QStringLiteral("Label32"), QStringLiteral("PLACE"), QRect(100, 60, 80, 24));
    for (int i = 1; i <= 3; ++i) {
        cmdSWM[size_t(i)] = Button(f, QStringLiteral("cmdSWM"),
                                   QStringLiteral("Insert spacer #%1 && click here").arg(i), QRect(16, 90, 420, 36), i);
        connect(cmdSWM[size_t(i)], &QPushButton::clicked, this, [this, i] { cmdSWM_Click(i); });
    }
    Label(f, QStringLiteral("Label21"), QStringLiteral("Length"), QRect(130, 146, 100, 24), 0);
    Label(f, QStringLiteral("Label21"), QStringLiteral("Volt"), QRect(240, 146, 100, 24), 1);
    for (int k = 1; k <= 3; ++k) {
        const int y = 174 + (k - 1) * 32;
        Label33[size_t(k)] = Label(f, QStringLiteral("Label33"), QStringLiteral("#%1 Spacer").arg(k), QRect(16, y, 100, 26), k);
        lbldata[size_t(k)] = valueBox(f, QStringLiteral("lbldata"), QRect(130, y, 100, 26), k);
        lblvolt[size_t(k)] = valueBox(f, QStringLiteral("lblvolt"), QRect(240, y, 150, 26), k);
        lblvolt[size_t(k + 3)] = valueBox(f, QStringLiteral("lblvolt"), QRect(400, y, 150, 26), k + 3);
    }
    Label(f, QStringLiteral("Label4"), QStringLiteral("Factor"), QRect(16, 290, 100, 26));
    lblconst1 = valueBox(f, QStringLiteral("lblconst1"), QRect(130, 290, 130, 26));
    lblconst2 = valueBox(f, QStringLiteral("lblconst2"), QRect(270, 290, 130, 26));
    lblconst3 = valueBox(f, QStringLiteral("lblconst3"), QRect(130, 322, 130, 26));
    lblconst4 = valueBox(f, QStringLiteral("lblconst4"), QRect(270, 322, 130, 26));
    Label(f, QStringLiteral("Label9"), QStringLiteral("ReadData"), QRect(16, 370, 100, 26));
    lblReaddata3 = valueBox(f, QStringLiteral("lblReaddata3"), QRect(130, 370, 130, 26));

    CWGraph3 = Named<PeChart>(f, QStringLiteral("CWGraph3"), QRect(590, 16, 378, 470));
    InitCalibrationPlot(*CWGraph3, QStringLiteral("Log (Volt)"), QStringLiteral("Length (in.)"));

    cmdSave3 = Button(f, QStringLiteral("cmdSave3"), QStringLiteral("SAVE"), QRect(16, 560, 120, 40));
    cmdSWMExport = Button(f, QStringLiteral("cmdSWMExport"), QStringLiteral("Report"), QRect(146, 560, 120, 40));
    cmdZero = Button(f, QStringLiteral("cmdZero"), QStringLiteral("Factory Calibration"), QRect(590, 560, 160, 40));
    cmdReturn[3] = Button(f, QStringLiteral("cmdReturn"), QStringLiteral("Return"), QRect(848, 560, 120, 40), 3);
    cmdSave3->setEnabled(false);
    connect(cmdSave3, &QPushButton::clicked, this, &frmCalibrateTorque::cmdSave3_Click);
    connect(cmdSWMExport, &QPushButton::clicked, this, &frmCalibrateTorque::cmdSWMExport_Click);
}

void frmCalibrateTorque::Initial_LSM_Tab() {
    cmdSWM[1]->show();
    for (QWidget* w : {static_cast<QWidget*>(cmdSWM[2]), static_cast<QWidget*>(cmdSWM[3]),
                       static_cast<QWidget*>(lbldata[2]), static_cast<QWidget*>(lbldata[3]),
                       static_cast<QWidget*>(lblvolt[5]), static_cast<QWidget*>(lblvolt[6]),
                       static_cast<QWidget*>(lblconst1), static_cast<QWidget*>(lblconst2),
                       static_cast<QWidget*>(lblconst3), static_cast<QWidget*>(lblconst4),
                       static_cast<QWidget*>(Label33[2]), static_cast<QWidget*>(Label33[3])})
        w->hide();
    Label31->setText(QStringLiteral("STEP 1"));
    for (QLabel* l : {lblconst1, lblconst2, lblconst3, lblconst4}) l->clear();
    for (int i = 1; i <= 6; ++i) lblvolt[size_t(i)]->clear();
    cmdSave3->setEnabled(false);  // the voltages a save would write are gone
    for (int k = 1; k <= 3; ++k) lbldata[size_t(k)]->setText(CStr(kSwellSpacers[k - 1]));
    ClearCalibrationPlot(*CWGraph3);
    CaliState = 0;
    lblReaddata3->clear();
    LsmVolt = 0;  // the reading shown is gone with the reset
}

void frmCalibrateTorque::TimerSWM_Timer() { readCalibration(3, TimerSWM, LsmVolt, lblReaddata3); }

void frmCalibrateTorque::cmdSWM_Click(int Index) {
    // No voltage is taken while the torque run owns the port.
    if (torqueRun_) {
        ui::MsgBox(kTorqueRunStepMessage);
        return;
    }
    if (cmbInstName[3]->currentIndex() < 0) {
        ui::MsgBox(QStringLiteral("Select unit # first"));
        return;
    }
    CaliState = 1;
    if (LsmVolt > 0)
        Run_LSM_Cal_Step(Index);
    else
        ui::MsgBox(QStringLiteral("Invalid calibration data"));
}

void frmCalibrateTorque::Run_LSM_Cal_Step(int Index) {
    if (Index < 1 || Index > 3) return;
    try {
        lblvolt[size_t(Index)]->setText(CStr(LsmVolt));
        lblvolt[size_t(Index + 3)]->setText(CStr(Log10(LsmVolt)));
        if (Index < 3) {
            Label33[size_t(Index + 1)]->show();
            lbldata[size_t(Index + 1)]->show();
            lblvolt[size_t(Index + 4)]->show();
            cmdSWM[size_t(Index)]->hide();
            cmdSWM[size_t(Index + 1)]->show();
            Label31->setText(QStringLiteral("Step ") + QString::number(Index + 1));
            return;
        }
        std::vector<double> x, y;
        for (int k = 1; k <= 3; ++k) {
            x.push_back(Log10(Val(lblvolt[size_t(k)]->text())));
            y.push_back(Val(lbldata[size_t(k)]->text()));
        }
        ClearCalibrationPlot(*CWGraph3);
        PlotCalibrationCurve(*CWGraph3, x, y);
        const std::optional<Segment> s1 = SegmentThrough(x[0], y[0], x[1], y[1]);
        const std::optional<Segment> s2 = SegmentThrough(x[1], y[1], x[2], y[2]);
        if (!s1 || !s2) throw HandlerError(QStringLiteral("Division by zero: two spacers read the same voltage  11"));
        for (QLabel* l : {lblconst1, lblconst2, lblconst3, lblconst4}) l->show();
        SwellA1 = s1->intercept;
        SwellB1 = s1->slope;
        SwellA2 = s2->intercept;
        SwellB2 = s2->slope;
        lblconst1->setText(Format(SwellA1, QStringLiteral("#0.0####")));
        lblconst2->setText(Format(SwellB1, QStringLiteral("#0.0####")));
        lblconst3->setText(Format(SwellA2, QStringLiteral("#0.0####")));
        lblconst4->setText(Format(SwellB2, QStringLiteral("#0.0####")));
        cmdSave3->setEnabled(true);
        CaliState = 2;
        closePort();
        TimerSWM.Interval(0);
        TimerSWM.Enabled(false);
        cmdSWM[3]->hide();
    } catch (const HandlerError& e) {
        ui::MsgBox(e.text);
    } catch (const std::exception& e) {
        ui::MsgBox(describe(e) + QStringLiteral("  5"));
    }
}

void frmCalibrateTorque::cmdSave3_Click() {
    const int u = unitOfEntry(cmbInstName[3]->currentText());
    const SaveResult r = SaveSwellCalibration(
        u, SwellLine(lblvolt[1]->text(), lblvolt[2]->text(), lblvolt[3]->text(), SwellA1, SwellB1, SwellA2, SwellB2));
    if (!r.ok) {
        ui::MsgBox(r.message, ui::vbOKOnly + ui::vbExclamation, r.title);
        return;
    }
    CaliState = 3;
    cmdSave3->setEnabled(false);
}

void frmCalibrateTorque::cmdSWMExport_Click() {
    const std::optional<QString> path = saveFile(kReportFilter);
    if (!path) return;
    SwellReportInput in;
    in.now = QDateTime::currentDateTime();
    const QString unitText = cmbInstName[3]->currentText();
    in.unitDigit = unitText.isEmpty() ? QString() : unitText.right(1);
    in.withData = CaliState == 2 || CaliState == 3;
    for (int k = 1; k <= 3; ++k) {
        in.lengths << lbldata[size_t(k)]->text();
        in.logVolts << lblvolt[size_t(k + 3)]->text();
    }
    in.constants = {lblconst1->text(), lblconst2->text(), lblconst3->text(), lblconst4->text()};
    QString error;
    if (!WriteReportLines(*path, SwellReport(in), error)) ui::MsgBox(error);
}
