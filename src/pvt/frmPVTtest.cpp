#include "pvt/frmPVTtest.h"

#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/Settings.h"
#include "data/clsSEQUENCE_INFO.h"
#include "data/clsSEQUENCE_RAMP.h"
#include "data/clsSEQUENCE_RAMP_DEFINE.h"
#include "data/clsTEST_ADDITIVE.h"
#include "data/clsTEST_INFO.h"
#include "data/clsTEST_RESULT.h"
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"
#include "platform/PeChart.h"
#include "platform/TrapErrors.h"
#include "dialogs/NamedControls.h"
#include "pvt/PvtResultGrid.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

namespace {

using controls::Button;
using controls::Frame;
using controls::Label;
using controls::Named;
using controls::Reading;

QRadioButton* option(QWidget* parent, const char* name, const QString& caption, const QRect& geometry) {
    auto* o = Named<QRadioButton>(parent, name, geometry);
    o->setText(caption);
    return o;
}

}  // namespace

frmPVTtest::frmPVTtest(QWidget* parent)
    : RecordingWindow(UnitWindowKind::Pvt, QStringLiteral("frmPVTtest"), QStringLiteral("PVT Test"),
                 {kLayoutWidth, kLayoutHeight}, [this] { OnTimer(); }, parent) {
    createControls();
    Form_Load();
}

void frmPVTtest::createControls() {
    MakeHeadingLabels(QStringLiteral("Unit 1"), {10, 6, 150, 26}, QStringLiteral("INACTIVE"), {170, 6, 240, 26});

    // Heater Information
    Frame1 = Frame(this, "Frame1", QStringLiteral("Heater Information"), {10, 38, 290, 92});
    Label2 = Label(Frame1, "Label2", QStringLiteral("Sample Temperature:"), {10, 24, 150, 22});
    txtSampleTemp = Reading(Frame1, "txtSampleTemp", {160, 22, 76, 24});
    Label11 = Label(Frame1, "Label11", QStringLiteral("(°F)"), {242, 24, 44, 22});
    Label3 = Label(Frame1, "Label3", QStringLiteral("Temperature Set Point:"), {10, 56, 150, 22});
    txtTempSetPoint = Reading(Frame1, "txtTempSetPoint", {160, 54, 76, 24});
    Label13 = Label(Frame1, "Label13", QStringLiteral("(°F)"), {242, 56, 44, 22});

    // Pressure Information
    Frame3 = Frame(this, "Frame3", QStringLiteral("Pressure Information"), {10, 136, 290, 92});
    Label4 = Label(Frame3, "Label4", QStringLiteral("Sample Pressure:"), {10, 24, 150, 22});
    txtPressure = Reading(Frame3, "txtPressure", {160, 22, 76, 24});
    Label5 = Label(Frame3, "Label5", QStringLiteral("(psi)"), {242, 24, 44, 22});
    Label6 = Label(Frame3, "Label6", QStringLiteral("Pressure Set Point:"), {10, 56, 150, 22});
    txtPressSetPoint = Reading(Frame3, "txtPressSetPoint", {160, 54, 76, 24});
    Label7 = Label(Frame3, "Label7", QStringLiteral("(psi)"), {242, 56, 44, 22});

    // Test Data: speed, speed set point and sensor position on the left; the
    // density and the sample's initial values on the right.
    Frame2 = Frame(this, "Frame2", QStringLiteral("Test Data"), {308, 38, 470, 190});
    const controls::ReadingRow left[] = {
        {&Label8, "Label8", "Speed:", &txtSpeed, "txtSpeed", &Label9, "Label9", "(rpm)"},
        {&Label10, "Label10", "Speed Set Point:", &txtspeedset, "txtspeedset", &Label12, "Label12", "(rpm)"},
        {&Label14, "Label14", "Position:", &txtHigh, "txtHigh", &Label15, "Label15", "(in.)"},
    };
    const controls::ReadingRow right[] = {
        {&Label17, "Label17", "Density:", &txtDensity, "txtDensity", &Label16, "Label16", "(g/cm3)"},
        {&Label18, "Label18", "Initial Volume:", &txtiniV, "txtiniV", &Label19, "Label19", "(ml)"},
        {&Label20, "Label20", "Initial Density:", &txtiniD, "txtiniD", &Label21, "Label21", "(g/ml)"},
    };
    int y = 26;
    for (int i = 0; i < 3; ++i, y += 52) {
        // The unit captions get the room their longest, "(g/cm3)", needs.
        controls::PlaceReadingRow(Frame2, left[i], {10, 112, 122, 66, 192, 44}, y);
        controls::PlaceReadingRow(Frame2, right[i], {240, 104, 346, 66, 416, 52}, y);
    }

    // Piston and maximum pressure
    Frame4 = Frame(this, "Frame4", QStringLiteral("Piston"), {786, 38, 170, 92});
    optLag = option(Frame4, "optLag", QStringLiteral("Large piston"), {12, 26, 150, 22});
    optSml = option(Frame4, "optSml", QStringLiteral("Small piston"), {12, 56, 150, 22});
    Frame5 = Frame(this, "Frame5", QStringLiteral("Max Pressure"), {786, 136, 170, 92});
    Option1 = option(Frame5, "Option1", QStringLiteral("20000"), {12, 26, 150, 22});
    Option2 = option(Frame5, "Option2", QStringLiteral("30000"), {12, 56, 150, 22});

    // Sequence and test names
    Label22 = Label(this, "Label22", QStringLiteral("Sequence Name:"), {10, 236, 112, 22});
    lblSelectSeq = Label(this, "lblSelectSeq", QStringLiteral("Empty"), {122, 236, 330, 22});
    Label23 = Label(this, "Label23", QStringLiteral("Test Name:"), {460, 236, 90, 22});
    lblTestname = Label(this, "lblTestname", QString(), {550, 236, 406, 22});
    ControlLayout::HoldsValue(lblSelectSeq);
    ControlLayout::HoldsValue(lblTestname);

    // Buttons
    const int by = 264, bh = 30;
    cmdSelect = Button(this, "cmdSelect", QStringLiteral("S&elect Sequence"),
                       QStringLiteral("Click here to select sequence"), {10, by, 130, bh});
    cmdStart_Stop = Button(this, "cmdStart_Stop", QStringLiteral("&Start"),
                           QStringLiteral("Click here to start test after sequence is selected"), {146, by, 90, bh});
    cmdStop = Button(this, "cmdStop", QStringLiteral("S&top"),
                     QStringLiteral("Click here to stop test before all test steps have completed "),
                     {242, by, 90, bh});
    cmdRefresh = Button(this, "cmdRefresh", QStringLiteral("Re&fresh Test Sequence"),
                        QStringLiteral("Click here to refresh a modified test sequence"), {338, by, 170, bh});
    cmdZero = Button(this, "cmdZero", QStringLiteral("&Zero"),
                     QStringLiteral("Click here to set the starting position of the PVT sensor"), {514, by, 80, bh});
    cmdSave = Button(this, "cmdSave", QStringLiteral("SAVE"), QString(), {600, by, 80, bh});
    cmdCalibrate = Button(this, "cmdCalibrate", QStringLiteral("Calibrate this unit"),
                          QStringLiteral("Click here to start calibration"), {686, by, 150, bh});
    cmdExit = Button(this, "cmdExit", QStringLiteral("&Exit"), QStringLiteral("Click here to exit PVT Test"),
                     {842, by, 114, bh});

    // Chart curves and the brief report
    chkDens = Named<QCheckBox>(this, "chkDens", {10, 302, 100, 22});
    chkDens->setText(QStringLiteral("Density"));
    chkPosition = Named<QCheckBox>(this, "chkPosition", {116, 302, 100, 22});
    chkPosition->setText(QStringLiteral("Position"));
    chkTemp = Named<QCheckBox>(this, "chkTemp", {222, 302, 120, 22});
    chkTemp->setText(QStringLiteral("Temperature"));
    chkPress = Named<QCheckBox>(this, "chkPress", {348, 302, 100, 22});
    chkPress->setText(QStringLiteral("Pressure"));
    cmdExportExcel = Button(this, "cmdExportExcel", QStringLiteral("Brief Excel"),
                            QStringLiteral("Click here to generate a brief MS Excel file"), {842, 298, 114, 28});

    MSFlexGrid1 = Named<FlexGrid>(this, "MSFlexGrid1", {10, 332, 420, 250});
    Pesgo1 = Named<PeChart>(this, "Pesgo1", {436, 332, 520, 250});

    Label1 = Label(this, "Label1", QStringLiteral("Test Progress Information:"), {10, 586, 240, 20});
    StatusBar1 = Named<QStatusBar>(this, "StatusBar1", {0, 610, kLayoutWidth, 38});
    StatusBar1->setSizeGripEnabled(false);
    StartTime = controls::StatusPanel(StatusBar1, "StartTime");
    ElapsedTime = controls::StatusPanel(StatusBar1, "ElapsedTime");
    Status = controls::StatusPanel(StatusBar1, "Status");
    EndTime = controls::StatusPanel(StatusBar1, "EndTime");
    StepTime = controls::StatusPanel(StatusBar1, "StepTime");
    UseProgressPanel(StepTime);

    // A frame that cannot be sent from a button (Stop's) is a port failure.
    auto on = [this](QAbstractButton* b, void (frmPVTtest::*handler)()) {
        connect(b, &QAbstractButton::clicked, this, [this, handler] {
            TrapErrors([this, handler] {
                const bool running = !CanStart();
                try {
                    (this->*handler)();
                } catch (const comm::CommError& e) {
                    PortLost(e, running);
                }
            });
        });
    };
    on(cmdSelect, &frmPVTtest::cmdSelect_Click);
    on(cmdStart_Stop, &frmPVTtest::cmdStart_Stop_Click);
    on(cmdStop, &frmPVTtest::cmdStop_Click);
    on(cmdRefresh, &frmPVTtest::cmdRefresh_Click);
    on(cmdZero, &frmPVTtest::cmdZero_Click);
    on(cmdSave, &frmPVTtest::cmdSave_Click);
    on(cmdCalibrate, &frmPVTtest::cmdCalibrate_Click);
    on(cmdExit, &frmPVTtest::cmdExit_Click);
    on(cmdExportExcel, &frmPVTtest::cmdExportExcel_Click);
    on(optLag, &frmPVTtest::optLag_Click);
    on(optSml, &frmPVTtest::optSml_Click);
    // A click toggles the box before its handler runs.
    on(chkDens, &frmPVTtest::chkDens_Click);
    on(chkPosition, &frmPVTtest::chkPosition_Click);
    on(chkTemp, &frmPVTtest::chkTemp_Click);
    on(chkPress, &frmPVTtest::chkPress_Click);
}

void frmPVTtest::Form_Load() {
    resize(kLayoutWidth, kLayoutHeight);
    mLayout.Save_Control_Layout();
    SetUnitLabels();

    Label11->setText(gTempLabel);
    Label13->setText(gTempLabel);
    Label16->setText(QStringLiteral("(g/cm3)"));

    SetupPvtResultGrid();
    Initial_Chart_All();

    reply.PistonRadius = 2.4772389;
    // The unit's own maximum pressure, shown and chosen here.
    UseMaxPressureOptions(Option1, Option2);
    chkDens->setChecked(true);
    chkDens_Click();
    Pesgo1->setProp(pesgo::XAxisLabel, QStringLiteral("Time (min)"));
    Pesgo1->setProp(pesgo::YAxisLabel, QStringLiteral("Density (g/cm3)"));

    reply.RefTemp = reply.SampleTemp > 0 ? reply.SampleTemp : 72.0;

    reply.watch.counts.position = 0;
    FrameMode = 1;
    TickCount = 0;
    reply.RxBuffer.clear();
    reply.ZeroOffset = 0.0;
}

void frmPVTtest::SetUnitLabels() {
    try {
        ::SetUnitLabels();
    } catch (...) {
        const TrappedError e = CurrentError();
        ui::MsgBox(ui::errorText(e.number, e.description));
    }
}

void frmPVTtest::SetupPvtResultGrid() {
    MSFlexGrid1->gridModel()->FixedRows(1);
    pvtgrid::SetupPvtResultGrid(*MSFlexGrid1->gridModel());
}

void frmPVTtest::InitialInst(clsConnection* connection) { MakeRecords(connection); }

void frmPVTtest::closeEvent(QCloseEvent* event) {
    if (CloseRefused(event, RunState == kRunning,
                     QStringLiteral("PVT test cannot be closed while a test is running. Click the Stop button if you "
                                    "want to stop the test.")))
        return;
    ReleaseUnit(UnitOfCaption(lblInstName->text()));
    event->accept();
}

void frmPVTtest::cmdExit_Click() { CloseFromExit(); }

// ---- the tick ----------------------------------------------------------------------------

void frmPVTtest::OnTimer() {
    const bool running = !CanStart();
    try {
        Timer1_Timer();
    } catch (const comm::CommError& e) {
        PortLost(e, running);
    } catch (...) {
        // Any other failure ends this tick only; the run carries on with the next.
        const TrappedError e = CurrentError();
        ui::Notify(ui::errorText(e.number, e.description));
    }
}

QString frmPVTtest::RunningTestName() const { return lblTestname->text(); }

QString frmPVTtest::ReceiveInput() { return MSComm1.PortOpen() ? MSComm1.Input() : QString(); }

void frmPVTtest::SendFrame(const QString& frame) { SendToUnit(frame); }

void frmPVTtest::SetTimerInterval(int ms, bool enable) { SetTickInterval(ms, enable); }

void frmPVTtest::ShowPanel(const QString& key, const QString& text) {
    ShowStatusPanel(key, text, {StartTime, ElapsedTime, Status, EndTime});
}

void frmPVTtest::RunButtons(bool running) {
    cmdStart_Stop->setEnabled(!running);
    cmdExit->setEnabled(!running);
    if (!running) cmdZero->setEnabled(true);
}

void frmPVTtest::ShowReply(const unit::PvtReplyResult& r) {
    if (r.caption) lblActiveFlag->setText(*r.caption);
    if (r.enableExit) cmdExit->setEnabled(true);
    if (r.framesParsed == 0) return;
    const unit::PvtReadingTexts& t = reply.texts;
    txtSampleTemp->setText(t.txtSampleTemp);
    txtTempSetPoint->setText(t.txtTempSetPoint);
    txtSpeed->setText(t.txtSpeed);
    txtPressure->setText(t.txtPressure);
    txtPressSetPoint->setText(t.txtPressSetPoint);
    if (r.heightChanged) txtHigh->setText(t.txtHigh);
    if (r.densityChanged) txtDensity->setText(t.txtDensity);
}

void frmPVTtest::ShowActiveFlag(const QString& caption) { lblActiveFlag->setText(caption); }

void frmPVTtest::ShowPointNotRecorded(int) { lblActiveFlag->setText(unit::NoResponseCaption()); }

// In the format the step's speed is entered in (a speed from a shear rate
// has many decimals: 99.8652581015019 shows as 99.87).
void frmPVTtest::ShowSpeedSetPoint(double rpm) { txtspeedset->setText(Format(rpm, QStringLiteral("##0.##"))); }
