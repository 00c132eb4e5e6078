#include "calibration/frmCalibrateTorque.h"

#include "calibration/CalibrationMath.h"
#include "calibration/CalibrationReports.h"
#include "calibration/CalibrationPlot.h"
#include "calibration/CalibrationWindowParts.h"
#include "data/CalibrationFiles.h"
#include "data/Numbers.h"
#include "data/TypedNumbers.h"
#include "data/Units.h"
#include "platform/Dialogs.h"
#include "platform/PeChart.h"

#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

// The calibration window's PVT tab: its controls, the piston steps and
// their segments, the save, the report.

using namespace calibration;
using namespace calibration::windowparts;

// ---- PVT tab --------------------------------------------------------------------------

void frmCalibrateTorque::buildPvtTab(QWidget* f) {
    Label(f, QStringLiteral("Label8"), QStringLiteral("Please select which unit to calibrate:"), QRect(16, 16, 270, 26));
    cmbInstName[2] = Named<QComboBox>(f, QStringLiteral("cmbInstName"), QRect(290, 16, 130, 26), 2);
    Label(f, QStringLiteral("Label10"), QStringLiteral("Please select piston type:"), QRect(16, 50, 270, 26));
    Combo1 = Named<QComboBox>(f, QStringLiteral("Combo1"), QRect(290, 50, 130, 26));
    connect(Combo1, &QComboBox::activated, this, [this] { Combo1_Click(); });

    Label6 = Label(f, QStringLiteral("Label6"), QStringLiteral("STEP 1"), QRect(16, 90, 120, 24));
    QFont bold = Label6->font();
    bold.setBold(true);
    Label6->setFont(bold);
    for (int i = 1; i <= 5; ++i) {
        cmdPVT[size_t(i)] = Button(f, QStringLiteral("cmdPVT"),
                                   QStringLiteral("Set #%1 rod with piston and click here").arg(i),
                                   QRect(16, 116, 500, 36), i);
        connect(cmdPVT[size_t(i)], &QPushButton::clicked, this, [this, i] { cmdPVT_Click(i); });
    }
    for (int i = 1; i <= 5; ++i) {
        const int y = 168 + (i - 1) * 70;
        const QString position = QStringLiteral("Position %1").arg(i) + (i >= 4 ? QStringLiteral("  ") : QStringLiteral(" "));
        Label20[size_t(i)] = Label(f, QStringLiteral("Label20"), position, QRect(16, y, 92, 24), i);
        Text1[size_t(i)] = Named<QLineEdit>(f, QStringLiteral("Text1"), QRect(110, y, 70, 24), i);
        Label24[size_t(i)] = Label(f, QStringLiteral("Label24"), QStringLiteral("in."), QRect(184, y, 30, 24), i);
        Label22[size_t(i)] = Label(f, QStringLiteral("Label22"),
                                   i == 1 ? QStringLiteral("Read data 1 =") : QStringLiteral("Read Data %1 =").arg(i),
                                   QRect(220, y, 104, 24), i);
        lalData[size_t(i)] = valueBox(f, QStringLiteral("lalData"), QRect(326, y, 90, 24), i);
        lalData[size_t(i + 10)] = valueBox(f, QStringLiteral("lalData"), QRect(420, y, 150, 24), i + 10);
        Label5[size_t(i)] = Label(f, QStringLiteral("Label5"), QStringLiteral("Slope ="), QRect(16, y + 30, 60, 24), i);
        lalSlope[size_t(i)] = valueBox(f, QStringLiteral("lalSlope"), QRect(80, y + 30, 120, 24), i);
        Label7[size_t(i)] = Label(f, QStringLiteral("Label7"), QStringLiteral("Intercept ="), QRect(220, y + 30, 100, 24), i);
        lalIntercept[size_t(i)] = valueBox(f, QStringLiteral("lalIntercept"), QRect(326, y + 30, 150, 24), i);
    }
    Label(f, QStringLiteral("Label11"), QStringLiteral("Read Data:"), QRect(16, 526, 90, 24));
    lblReadData2 = valueBox(f, QStringLiteral("lblReadData2"), QRect(110, 526, 120, 24));

    CWGraph2 = Named<PeChart>(f, QStringLiteral("CWGraph2"), QRect(590, 16, 378, 470));
    InitCalibrationPlot(*CWGraph2, QStringLiteral("Log (Read Data)"), QStringLiteral("Log (Height + 2.1)"));

    cmdSave2 = Button(f, QStringLiteral("cmdSave2"), QStringLiteral("Save "), QRect(590, 560, 120, 40));
    cmdPVTExport = Button(f, QStringLiteral("cmdPVTExport"), QStringLiteral("&Report"), QRect(718, 560, 120, 40));
    cmdReturn[2] = Button(f, QStringLiteral("cmdReturn"), QStringLiteral("Return"), QRect(848, 560, 120, 40), 2);
    connect(cmdSave2, &QPushButton::clicked, this, &frmCalibrateTorque::cmdSave2_Click);
    connect(cmdPVTExport, &QPushButton::clicked, this, &frmCalibrateTorque::cmdPVTExport_Click);
}

void frmCalibrateTorque::Initial_PVT_Tab() {
    for (int i = 1; i <= 5; ++i) {
        if (i >= 2) {
            lalSlope[size_t(i)]->hide();
            lalIntercept[size_t(i)]->hide();
            Label5[size_t(i)]->hide();
            Label7[size_t(i)]->hide();
        }
        for (QWidget* w : {static_cast<QWidget*>(cmdPVT[size_t(i)]), static_cast<QWidget*>(Label20[size_t(i)]),
                           static_cast<QWidget*>(Label24[size_t(i)]), static_cast<QWidget*>(Label22[size_t(i)]),
                           static_cast<QWidget*>(Text1[size_t(i)]), static_cast<QWidget*>(lalData[size_t(i + 10)])})
            w->hide();
        lalData[size_t(i + 10)]->clear();
        lalData[size_t(i)]->clear();
        lalData[size_t(i)]->hide();
    }
    lalSlope[1]->hide();
    lalIntercept[1]->hide();
    Label5[1]->hide();
    Label7[1]->hide();
    cmdSave2->setEnabled(false);
    cmdPVTExport->setEnabled(false);
    cmdPVT[1]->show();
    Label6->show();
    lblReadData2->clear();
    PvtReading = 0;  // the reading shown is gone with the reset
    CaliState = 0;
}

void frmCalibrateTorque::Combo1_Click() {
    Initial_PVT_Tab();
    const bool large = Combo1->currentIndex() == 0;
    PvtCount = large ? 5 : 4;
    const std::vector<double> heights = PistonHeights(large);
    const QStringList captions = PistonStepCaptions(large);
    for (int i = 1; i <= PvtCount; ++i) {
        Text1[size_t(i)]->setText(CStr(heights[size_t(i - 1)]));
        cmdPVT[size_t(i)]->setText(captions[i - 1]);
    }
    for (int i = PvtCount + 1; i <= 5; ++i) Text1[size_t(i)]->clear();
    showPistonHeights();
}

void frmCalibrateTorque::showPistonHeights() {
    // The heights of the chosen piston are shown, to be checked or typed.
    for (int i = 1; i <= PvtCount && i <= 5; ++i) {
        Label20[size_t(i)]->show();
        Text1[size_t(i)]->show();
        Label24[size_t(i)]->show();
    }
}

void frmCalibrateTorque::TimerPVT_Timer() { readCalibration(2, TimerPVT, PvtReading, lblReadData2); }

void frmCalibrateTorque::cmdPVT_Click(int Index) {
    // No point is taken while the torque run owns the port.
    if (torqueRun_) {
        ui::MsgBox(kTorqueRunStepMessage);
        return;
    }
    if (cmbInstName[2]->currentIndex() < 0) {
        ui::MsgBox(QStringLiteral("select unit first"));
        return;
    }
    if (Combo1->currentIndex() < 0 || PvtCount == 0) {
        ui::MsgBox(QStringLiteral("select piston type first"));
        return;
    }
    if (Index < 1 || Index > PvtCount || Text1[size_t(Index)]->text().trimmed().isEmpty()) {
        ui::MsgBox(QStringLiteral("Select piston size first."));
        return;
    }
    // The height is a number, or no point is taken.
    if (const auto refused = typed::RefusedNumber(
            {typed::BoxName(Label20[size_t(Index)]->text()), Text1[size_t(Index)]->text(), {}, {}})) {
        ui::MsgBox(refused->message);
        Text1[size_t(Index)]->setFocus();
        return;
    }
    CaliState = 1;
    if (!(PvtReading > 0)) {
        ui::MsgBox(QStringLiteral("Invalid calibration data"));
        return;
    }
    Run_PVT_Cal_Step(Index);
}

void frmCalibrateTorque::Run_PVT_Cal_Step(int Index) {
    // The readings fall from the top (position 1) to the bottom, as the PVT
    // run reads them (PistonReadingsFall): a reading above the one before is
    // not taken, and the step can be taken again. (The same reading twice
    // gives no segment, said below.)
    if (Index > 1 && PvtReading > pvtReadings_[size_t(Index - 2)]) {
        ui::MsgBox(QStringLiteral("The reading at position %1 (%2) is above the one at position %3 (%4): the readings "
                                  "must fall from position 1 (the top) to the last position, as the PVT test reads "
                                  "them. Check the rod or spacer in the piston, then click the step again.")
                       .arg(Index)
                       .arg(CStr(PvtReading))
                       .arg(Index - 1)
                       .arg(CStr(pvtReadings_[size_t(Index - 2)])));
        return;
    }
    try {
        const double reading = PvtReading;
        pvtReadings_[size_t(Index - 1)] = reading;
        lalData[size_t(Index)]->setText(CStr(reading));
        pvtX_[size_t(Index - 1)] = Log10(reading);
        lalData[size_t(Index + 10)]->setText(CStr(pvtX_[size_t(Index - 1)]));
        const double h = Val(Text1[size_t(Index)]->text());
        pvtY_[size_t(Index - 1)] = Log10(h + 2.1);
        if (Index > 1) {
            const std::optional<Segment> s = SegmentThrough(pvtX_[size_t(Index - 2)], pvtY_[size_t(Index - 2)],
                                                            pvtX_[size_t(Index - 1)], pvtY_[size_t(Index - 1)]);
            if (!s) throw HandlerError(QStringLiteral("Points %1 and %2 have the same reading: no segment between them")
                                           .arg(Index - 1)
                                           .arg(Index));
            lalIntercept[size_t(Index)]->setText(Format(s->intercept, QStringLiteral("##0.0########")));
            lalSlope[size_t(Index)]->setText(Format(s->slope, QStringLiteral("#0.0####")));
            for (QWidget* w : {static_cast<QWidget*>(lalIntercept[size_t(Index)]),
                               static_cast<QWidget*>(lalSlope[size_t(Index)]), static_cast<QWidget*>(Label5[size_t(Index)]),
                               static_cast<QWidget*>(Label7[size_t(Index)])})
                w->show();
        }
        lalData[size_t(Index)]->show();
        if (Index < PvtCount) {
            cmdPVT[size_t(Index)]->hide();
            cmdPVT[size_t(Index + 1)]->show();
            Label6->setText(QStringLiteral("STEP ") + QString::number(Index + 1));
            Label20[size_t(Index)]->show();
            Label22[size_t(Index)]->show();
            lalData[size_t(Index + 10)]->show();
            return;
        }
        Label6->hide();
        Label6->setText(QStringLiteral("Step 1"));
        cmdPVT[size_t(PvtCount)]->hide();
        Label20[size_t(PvtCount)]->show();
        Label22[size_t(PvtCount)]->show();
        lalData[size_t(PvtCount + 10)]->show();
        PlotCalibrationCurve(*CWGraph2, std::vector<double>(pvtX_.begin(), pvtX_.begin() + PvtCount),
                             std::vector<double>(pvtY_.begin(), pvtY_.begin() + PvtCount));
        CaliState = 2;
        closePort();
        TimerPVT.Interval(0);
        TimerPVT.Enabled(false);
        cmdSave2->setEnabled(true);
        cmdPVTExport->setEnabled(true);
    } catch (const std::exception& e) {
        ui::MsgBox(QStringLiteral("ERROR: ") + describe(e));
    }
}

void frmCalibrateTorque::cmdSave2_Click() {
    for (int i = 1; i <= PvtCount; ++i) {
        if (Text1[size_t(i)]->text().trimmed().isEmpty() || lalData[size_t(i)]->text().trimmed().isEmpty()) {
            ui::MsgBox(QStringLiteral("Please complete all calibration steps before saving your settings."));
            return;
        }
    }
    if (PvtCount == 0) return;
    // The heights saved are numbers.
    for (int i = 1; i <= PvtCount; ++i) {
        if (const auto refused =
                typed::RefusedNumber({typed::BoxName(Label20[size_t(i)]->text()), Text1[size_t(i)]->text(), {}, {}})) {
            ui::MsgBox(refused->message);
            Text1[size_t(i)]->setFocus();
            return;
        }
    }
    Save_PVT_Calibration();
}

void frmCalibrateTorque::Save_PVT_Calibration() {
    const int n = PvtCount;
    std::vector<double> heights, readings, slopes(size_t(n), 0.0), intercepts(size_t(n), 0.0);
    for (int j = 0; j < n; ++j) {
        heights.push_back(Val(Text1[size_t(j + 1)]->text()));
        readings.push_back(Val(lalData[size_t(j + 1)]->text()));
    }
    for (int k = 1; k < n; ++k) {
        slopes[size_t(k)] = Val(lalSlope[size_t(k + 1)]->text());
        intercepts[size_t(k)] = Val(lalIntercept[size_t(k + 1)]->text());
    }
    const Piston piston = Combo1->currentIndex() == 0 ? Piston::Large : Piston::Small;
    // Only a calibration the PVT test can read is saved.
    if (!PistonReadingsFall(readings)) {
        ui::MsgBox(QStringLiteral("The readings do not fall from position 1 (the top) to the last position, as the "
                                  "PVT test reads them: nothing was saved. Take the calibration steps again."));
        return;
    }
    const SaveResult r =
        SavePistonCalibration(piston, TabUnit[2], PistonLine(heights, readings, slopes, intercepts));
    if (!r.ok) {
        ui::MsgBox(r.message);
        cmdSave2->setEnabled(true);
        return;
    }
    CaliState = 3;
    cmdSave2->setEnabled(false);
    try {
        closePort();
    } catch (...) {
    }
}

void frmCalibrateTorque::cmdPVTExport_Click() {
    const std::optional<QString> path = saveFile(kTableFilter);
    if (!path) return;
    PistonReportInput in;
    in.now = QDateTime::currentDateTime();
    const QString unitText = cmbInstName[2]->currentText().trimmed();
    in.unitText = unitText.isEmpty() ? QString() : unitText.right(1);
    in.pistonText = Combo1->currentText();
    for (int i = 1; i <= PvtCount; ++i) {
        in.positionCaptions << Label20[size_t(i)]->text();
        in.logReadings << lalData[size_t(i + 10)]->text();
    }
    QString error;
    if (!WriteReportLines(*path, PistonReport(in), error)) ui::MsgBox(error);
}
