#include "calibration/frmPVTCalibrate.h"

#include "calibration/CalibrationMath.h"
#include "calibration/CalibrationReports.h"
#include "calibration/CalibrationPlot.h"
#include "data/Numbers.h"
#include "data/TypedNumbers.h"
#include "data/Units.h"
#include "dialogs/NamedControls.h"
#include "platform/Dialogs.h"
#include "platform/PeChart.h"
#include "unitlink/CalibrationFrames.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <stdexcept>

using namespace calibration;

const QString frmPVTCalibrate::kCaption = QStringLiteral("Z3080 PVT Calibrate");

namespace {

using controls::Label;
using controls::Named;

QLabel* valueBox(QWidget* parent, const QString& name, const QRect& geometry, int index) {
    return controls::SunkenLabel(parent, name, QStringLiteral("0"), geometry, index);
}

}  // namespace

frmPVTCalibrate::frmPVTCalibrate(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmPVTCalibrate"));
    setWindowTitle(kCaption);
    setFixedSize(900, 560);

    Label(this, QStringLiteral("Label4"), QStringLiteral("Please select piston type:"), QRect(16, 16, 220, 26));
    Combo1 = Named<QComboBox>(this, QStringLiteral("Combo1"), QRect(240, 16, 140, 26));
    connect(Combo1, &QComboBox::activated, this, [this] { Combo1_Click(); });
    Label(this, QStringLiteral("Label8"), QStringLiteral("Unit:"), QRect(400, 16, 40, 26));
    Label3 = Label(this, QStringLiteral("Label3"), QString(), QRect(444, 16, 60, 26));

    Label6 = Label(this, QStringLiteral("Label6"), QStringLiteral("STEP 1"), QRect(16, 52, 120, 24));
    QFont bold = Label6->font();
    bold.setBold(true);
    Label6->setFont(bold);
    for (int i = 1; i <= 5; ++i) {
        Command1[size_t(i)] = controls::Button(this, QStringLiteral("Command1"),
                                               QStringLiteral("Set #%1 rod with piston and click here").arg(i),
                                               QRect(16, 78, 440, 34), i);
        connect(Command1[size_t(i)], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
        const int y = 126 + (i - 1) * 66;
        Label1[size_t(i)] = Label(this, QStringLiteral("Label1"),
                                  QStringLiteral("Position %1").arg(i) + (i >= 4 ? QStringLiteral("  ") : QStringLiteral(" ")),
                                  QRect(16, y, 92, 24), i);
        Text1[size_t(i)] = Named<QLineEdit>(this, QStringLiteral("Text1"), QRect(110, y, 70, 24), i);
        Label(this, QStringLiteral("Label24"), QStringLiteral("in."), QRect(184, y, 30, 24), i);
        Label2[size_t(i)] = Label(this, QStringLiteral("Label2"),
                                  i == 1 ? QStringLiteral("Read data 1 =") : QStringLiteral("Read Data %1 =").arg(i),
                                  QRect(220, y, 104, 24), i);
        lalData[size_t(i)] = valueBox(this, QStringLiteral("lalData"), QRect(326, y, 60, 24), i);
        lalData[size_t(i)]->hide();  // the raw reading is not shown here
        lalData[size_t(i + 10)] = valueBox(this, QStringLiteral("lalData"), QRect(326, y, 160, 24), i + 10);
        Label5[size_t(i)] = Label(this, QStringLiteral("Label5"), QStringLiteral("Slope ="), QRect(16, y + 28, 60, 24), i);
        lalSlope[size_t(i)] = valueBox(this, QStringLiteral("lalSlope"), QRect(80, y + 28, 150, 24), i);
        Label7[size_t(i)] = Label(this, QStringLiteral("Label7"), QStringLiteral("Intercept ="), QRect(240, y + 28, 84, 24), i);
        lalIntercept[size_t(i)] = valueBox(this, QStringLiteral("lalIntercept"), QRect(326, y + 28, 160, 24), i);
    }
    CWGraph1 = Named<PeChart>(this, QStringLiteral("CWGraph1"), QRect(500, 16, 384, 440));
    InitCalibrationPlot(*CWGraph1, QStringLiteral("Log (Read Data)"), QStringLiteral("Log (Height + 2.1)"));
    Command2 = controls::Button(this, QStringLiteral("Command2"), QStringLiteral("Save &&  Return"), QRect(500, 480, 120, 40));
    Command3 = controls::Button(this, QStringLiteral("Command3"), QStringLiteral("Cancel"), QRect(632, 480, 120, 40));
    cmdExport = controls::Button(this, QStringLiteral("cmdExport"), QStringLiteral("&Report"), QRect(764, 480, 120, 40));
    connect(Command2, &QPushButton::clicked, this, &frmPVTCalibrate::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmPVTCalibrate::Command3_Click);
    connect(cmdExport, &QPushButton::clicked, this, &frmPVTCalibrate::cmdExport_Click);
    Form_Load();
}

frmPVTCalibrate::~frmPVTCalibrate() {
    if (MSComm1.PortOpen()) MSComm1.PortOpen(false);
}

void frmPVTCalibrate::Form_Load() {
    Combo1->addItems({QStringLiteral("Large piston"), QStringLiteral("Small piston")});
    Combo1->setCurrentIndex(-1);
    ShowCalibrationStep();
    cancels_ = true;
}

void frmPVTCalibrate::ShowCalibrationStep() {
    for (int i = 1; i <= 5; ++i) {
        for (QWidget* w : {static_cast<QWidget*>(lalSlope[size_t(i)]), static_cast<QWidget*>(lalIntercept[size_t(i)]),
                           static_cast<QWidget*>(Label5[size_t(i)]), static_cast<QWidget*>(Label7[size_t(i)])})
            w->hide();
        for (QWidget* w : {static_cast<QWidget*>(Command1[size_t(i)]), static_cast<QWidget*>(Label1[size_t(i)]),
                           static_cast<QWidget*>(Label2[size_t(i)]), static_cast<QWidget*>(Text1[size_t(i)]),
                           static_cast<QWidget*>(lalData[size_t(i + 10)])})
            w->hide();
        lalData[size_t(i + 10)]->clear();
    }
    Command2->setEnabled(false);
    cmdExport->setEnabled(false);
    Command1[1]->show();
    Label6->show();
}

void frmPVTCalibrate::Combo1_Click() {
    ShowCalibrationStep();
    const bool large = Combo1->currentIndex() == 0;
    PointCount = large ? 5 : 4;
    const std::vector<double> heights = PistonHeights(large);
    const QStringList captions = PistonStepCaptions(large);
    for (int i = 1; i <= PointCount; ++i) {
        Text1[size_t(i)]->setText(CStr(heights[size_t(i - 1)]));
        Text1[size_t(i)]->show();
        Label1[size_t(i)]->show();
        Command1[size_t(i)]->setText(captions[i - 1]);
    }
}

void frmPVTCalibrate::Command1_Click(int Index) {
    if (Index < 1 || Index > 5 || Text1[size_t(Index)]->text().trimmed().isEmpty()) {
        ui::MsgBox(QStringLiteral("select piston size first!"));
        return;
    }
    // The height is a number, or no point is taken.
    if (const auto refused = typed::RefusedNumber(
            {typed::BoxName(Label1[size_t(Index)]->text()), Text1[size_t(Index)]->text(), {}, {}})) {
        ui::MsgBox(refused->message);
        Text1[size_t(Index)]->setFocus();
        return;
    }
    CaliState = 1;
    try {
        if (MSComm1.PortOpen()) MSComm1.Input();  // what waited is thrown away
    } catch (const std::exception&) {
    }
    RunCalibrationStep(Index);
}

void frmPVTCalibrate::ReadCalibrationSample() {
    if (!MSComm1.PortOpen()) return;  // a closed port reads as a silent unit
    const double r = unit::CalibrationReading(MSComm1.Input());
    if (r > 0) LiveReading = r;
}

void frmPVTCalibrate::RunCalibrationStep(int Index) {
    if (Index < 1 || Index > PointCount) return;
    try {
        LiveReading = 0;
        for (int i = 0; i < 5 && !(LiveReading > 0); ++i) ReadCalibrationSample();
        if (!(LiveReading > 0)) {
            ui::MsgBox(QStringLiteral(
                "Invalid calibration data, please verify magnet position or click OK to try again. "));
            return;
        }
        x_[size_t(Index - 1)] = Log10(LiveReading);
        lalData[size_t(Index + 10)]->setText(CStr(x_[size_t(Index - 1)]));
        y_[size_t(Index - 1)] = Log10(Val(Text1[size_t(Index)]->text()) + 2.1);
        if (Index > 1) {
            const std::optional<Segment> s =
                SegmentThrough(x_[size_t(Index - 2)], y_[size_t(Index - 2)], x_[size_t(Index - 1)], y_[size_t(Index - 1)]);
            if (!s)
                throw std::runtime_error(QStringLiteral("Points %1 and %2 have the same reading: no segment between them")
                                             .arg(Index - 1)
                                             .arg(Index)
                                             .toStdString());
            lalIntercept[size_t(Index)]->setText(CStr(s->intercept));
            lalSlope[size_t(Index)]->setText(CStr(s->slope));
            for (QWidget* w : {static_cast<QWidget*>(lalIntercept[size_t(Index)]),
                               static_cast<QWidget*>(lalSlope[size_t(Index)]), static_cast<QWidget*>(Label5[size_t(Index)]),
                               static_cast<QWidget*>(Label7[size_t(Index)])})
                w->show();
        }
        Label2[size_t(Index)]->show();
        lalData[size_t(Index + 10)]->show();
        if (Index < PointCount) {
            Command1[size_t(Index)]->hide();
            Command1[size_t(Index + 1)]->show();
            Label6->setText(QStringLiteral("STEP ") + QString::number(Index + 1));
            return;
        }
        Label6->hide();
        Label6->setText(QStringLiteral("Step 1"));
        Command1[size_t(PointCount)]->hide();
        PlotCalibrationCurve(*CWGraph1, std::vector<double>(x_.begin(), x_.begin() + PointCount),
                             std::vector<double>(y_.begin(), y_.begin() + PointCount));
        CaliState = 2;
        Command2->setEnabled(true);
        cmdExport->setEnabled(true);
    } catch (const std::exception& e) {
        ui::MsgBox(QStringLiteral("ERROR: ") + QString::fromStdString(e.what()));
    }
}

void frmPVTCalibrate::Command2_Click() {
    for (int i = 1; i <= PointCount; ++i) {
        if (Text1[size_t(i)]->text().trimmed().isEmpty() || lalData[size_t(i)]->text().trimmed().isEmpty()) {
            ui::MsgBox(QStringLiteral("Please complete all calibration steps before saving your settings."));
            return;
        }
    }
    // The heights saved are numbers.
    for (int i = 1; i <= PointCount; ++i) {
        if (const auto refused =
                typed::RefusedNumber({typed::BoxName(Label1[size_t(i)]->text()), Text1[size_t(i)]->text(), {}, {}})) {
            ui::MsgBox(refused->message);
            Text1[size_t(i)]->setFocus();
            return;
        }
    }
    cancels_ = false;
    hide();
}

bool frmPVTCalibrate::confirmLeave() {
    if (CaliState == 2)
        return ui::MsgBox(QStringLiteral("Calibration data not saved, are you sure you want to exit?"), ui::vbYesNo) !=
               ui::vbNo;
    if (CaliState == 1)
        return ui::MsgBox(QStringLiteral("Calibration data not complete, are you sure you want to exit?"), ui::vbYesNo) !=
               ui::vbNo;
    return true;
}

void frmPVTCalibrate::Command3_Click() {
    if (!confirmLeave()) return;
    cancels_ = true;
    hide();
}

void frmPVTCalibrate::reject() { Command3_Click(); }

void frmPVTCalibrate::closeEvent(QCloseEvent* event) {
    // Only the operator closes the window (the buttons hide it).
    if (!confirmLeave()) {
        event->ignore();
        return;
    }
    cancels_ = true;
    // The window is gone for the operator: its port is free again for the
    // unit's other windows.
    if (MSComm1.PortOpen()) MSComm1.PortOpen(false);
    event->accept();
}

void frmPVTCalibrate::cmdExport_Click() {
    ui::FileRequest req;
    req.save = true;
    req.filter = QStringLiteral("All Files (*.*)|*.*|Text Files(*.txt)|*.txt");
    req.filterIndex = 2;
    const std::optional<QString> path = ui::GetSaveFileName(req);
    if (!path) {
        ui::MsgBox(QStringLiteral("Cancel was selected."));
        return;
    }
    PistonReportInput in;
    in.now = QDateTime::currentDateTime();
    in.timeLabel = QStringLiteral("Calibration Time:") + QString(14, QLatin1Char(' '));
    in.unitLabel = QStringLiteral("Instrument Unit:") + QString(15, QLatin1Char(' '));
    in.pistonLabel = QStringLiteral("Piston Type:") + QString(15, QLatin1Char(' '));
    in.unitText = Label3->text();
    in.pistonText = Combo1->currentText();
    for (int i = 1; i <= PointCount; ++i) {
        in.positionCaptions << Label1[size_t(i)]->text();
        in.logReadings << lalData[size_t(i + 10)]->text();
    }
    QString error;
    if (!WriteReportLines(*path, PistonReport(in), error)) ui::MsgBox(error);
}
