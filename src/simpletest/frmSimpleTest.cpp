#include "simpletest/frmSimpleTest.h"

#include "data/BobGeometry.h"
#include "data/Globals.h"
#include "data/Settings.h"
#include "dialogs/NamedControls.h"
#include "platform/CommPort.h"
#include "platform/Dialogs.h"
#include "platform/TrapErrors.h"
#include "simpletest/frmDynamic.h"
#include "unitbase/ReplyControls.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

frmSimpleTest::frmSimpleTest(QWidget* parent)
    : UnitWindow(UnitWindowKind::Simple, QStringLiteral("frmSimpleTest"),
                 QStringLiteral("Z3080 Duzur ARAD Ezadavovo Real Time Simple Test"), {kLayoutWidth, kLayoutHeight},
                 [this] { Timer1_Timer(); }, parent) {
    createControls();

    send = [this](const QString& f) { sendFrame(f); };
    input = [this] { return MSComm1.PortOpen() ? MSComm1.Input() : QString(); };
    setInterval = [this](int ms) { SetTickInterval(ms); };
    showPanel = [this](const QString& key, const QString& text) {
        (key == QLatin1String("StartTime") ? StartTime : ElapsedTime)->setText(text);
    };
    showStatus = [this](const QString& caption) { lblActiveFlag->setText(caption); };
    runButtons = [this](bool running) {
        cmdStart->setEnabled(!running);
        cmdExit->setEnabled(!running);
    };
    showReply = [this](const unit::ReplyResult& r) { showReadings(r); };
    maxPressure = [this] { return MaxPress(); };

    Form_Load();
}

void frmSimpleTest::createControls() {
    MakeHeadingLabels(QStringLiteral("Z3080 1"), {10, 8, 150, 26}, QStringLiteral("INACTIVE"), {170, 8, 220, 26});

    // Set Information
    Frame1 = controls::Frame(this, "Frame1", QStringLiteral("Set Information"), {10, 40, 344, 118});
    Label8 = controls::Label(Frame1, "Label8", kTempBoxName + QLatin1Char(':'), {10, 26, 160, 22});
    txtTempSetPoint = controls::Named<QLineEdit>(Frame1, "txtTempSetPoint", {172, 24, 96, 24});
    txtTempSetPoint->setToolTip(QStringLiteral("Enter the desired temperation set point"));
    Label13 = controls::Label(Frame1, "Label13", QStringLiteral("(°F)"), {276, 26, 60, 22});
    Label22 = controls::Label(Frame1, "Label22", kPressBoxName + QLatin1Char(':'), {10, 56, 160, 22});
    txtPressSetPoint = controls::Named<QLineEdit>(Frame1, "txtPressSetPoint", {172, 54, 96, 24});
    txtPressSetPoint->setToolTip(QStringLiteral("Enter the desired pressure set point"));
    Label4 = controls::Label(Frame1, "Label4", QStringLiteral("(psi)"), {276, 56, 60, 22});
    Label2 = controls::Label(Frame1, "Label2", kSpeedBoxName + QLatin1Char(':'), {10, 86, 160, 22});
    txtspeedset = controls::Named<QLineEdit>(Frame1, "txtspeedset", {172, 84, 96, 24});
    txtspeedset->setToolTip(QStringLiteral("Enter the desired speed set point"));
    Label3 = controls::Label(Frame1, "Label3", QStringLiteral("(rpm)"), {276, 86, 60, 22});

    // Max Pressure and the bob
    Frame4 = controls::Frame(this, "Frame4", QStringLiteral("Max Pressure"), {364, 40, 180, 80});
    Option1 = controls::Named<QRadioButton>(Frame4, "Option1", {12, 24, 150, 22});
    Option1->setText(QStringLiteral("20000"));
    Option1->setToolTip(QStringLiteral("Set a maximum pressure reading of 20,000 psi"));
    Option2 = controls::Named<QRadioButton>(Frame4, "Option2", {12, 50, 150, 22});
    Option2->setText(QStringLiteral("30000"));
    Option2->setToolTip(
        QStringLiteral("Set a maximum pressure reading of30,000 psi - NOTE:  Not all Z3080/Z4090 hardware can attain "
                       "30,000 psi.  See the documentation that accompanied your hardware."));
    Label1 = controls::Label(this, "Label1", QStringLiteral("Please select bob size:"), {364, 126, 180, 22});
    cmbBobSize = controls::Named<QComboBox>(this, "cmbBobSize", {364, 150, 100, 26});
    cmbBobSize->setToolTip(QStringLiteral("Select current installed bob"));

    // Test Data
    Frame2 = controls::Frame(this, "Frame2", QStringLiteral("Test Data"), {10, 170, 344, 268});
    const controls::ReadingRow rows[] = {
        {&Label6, "Label6", "Sample Temperature:", &txtSampleTemp, "txtSampleTemp", &Label11, "Label11", "(°F)"},
        {&Label27, "Label27", "Sample Pressure:", &txtPressure, "txtPressure", &Label5, "Label5", "(psi)"},
        {&Label17, "Label17", "Speed:", &txtspeed, "txtspeed", &Label20, "Label20", "(rpm)"},
        {&Label18, "Label18", "Shear Rate:", &txtShearrate, "txtShearrate", &Label21, "Label21", "(1/S)"},
        {&Label9, "Label9", "Apparent Viscosity:", &txtVisc, "txtVisc", &Label10, "Label10", "(cP)"},
        {&Label19, "Label19", "Shear Stress:", &txtShearStress, "txtShearStress", &Label16, "Label16", "(dyn/cm2)"},
        {&Label26, "Label26", "Fann Angle:", &txtFann, "txtFann", &Label25, "Label25", "(deg)"},
        {&Label28, "Label28", "Gel (Fann Angle):", &txtGelAngle, "txtGelAngle", &Label29, "Label29", "(deg)"},
    };
    int y = 24;
    for (const controls::ReadingRow& r : rows) {
        controls::PlaceReadingRow(Frame2, r, {10, 160, 172, 96, 276, 66}, y);
        y += 30;
    }

    // Buttons
    cmdStart = controls::Button(this, "cmdStart", QStringLiteral("Start"), QStringLiteral("Click here to start a simple test"),
                      {364, 200, 180, 32});
    cmdStop = controls::Button(this, "cmdStop", QStringLiteral("S&top"), QStringLiteral("Click here to stop the test"),
                     {364, 240, 180, 32});
    cmdDynamic = controls::Button(this, "cmdDynamic", QStringLiteral("&Oscillatory Test"),
                        QStringLiteral("Click here to open the oscillatory test panel of this unit"),
                        {364, 280, 180, 32});
    cmdExit = controls::Button(this, "cmdExit", QStringLiteral("&Exit"), QStringLiteral("Click here to exit Simple Test"),
                     {364, 406, 180, 32});

    StatusBar1 = controls::Named<QStatusBar>(this, "StatusBar1", {0, 510, kLayoutWidth, 30});
    StatusBar1->setSizeGripEnabled(false);
    StartTime = controls::StatusPanel(StatusBar1, "StartTime");
    ElapsedTime = controls::StatusPanel(StatusBar1, "ElapsedTime");

    connect(cmdStart, &QPushButton::clicked, this, [this] { TrapErrors([this] { cmdStart_Click(); }); });
    connect(cmdStop, &QPushButton::clicked, this, [this] { TrapErrors([this] { cmdStop_Click(); }); });
    connect(cmdExit, &QPushButton::clicked, this, &frmSimpleTest::cmdExit_Click);
    connect(cmdDynamic, &QPushButton::clicked, this, [this] { TrapErrors([this] { cmdDynamic_Click(); }); });
    connect(cmbBobSize, &QComboBox::activated, this, &frmSimpleTest::cmbBobSize_Click);
}

void frmSimpleTest::Form_Load() {
    resize(kLayoutWidth, kLayoutHeight);
    mLayout.Save_Control_Layout();
    ::SetUnitLabels();

    const bool si = gUnitSystem != 1;
    Label10->setText(si ? QStringLiteral("(mPa.s)") : QStringLiteral("(cP)"));
    Label16->setText(si ? QStringLiteral("(N/m2)") : QStringLiteral("(dyn/cm2)"));
    Label11->setText(si ? QStringLiteral("(°C)") : QStringLiteral("(°F)"));
    Label13->setText(Label11->text());

    cmbBobSize->clear();
    cmbBobSize->addItems(bob::UnitBobNames());
    cmbBobSize->setCurrentIndex(0);
    cmbBobSize_Click();

    // The unit's own maximum pressure, shown and chosen here: the pressure
    // set point is checked against it (the trip limit stays fixed).
    UseMaxPressureOptions(Option1, Option2);

    TickCount = 0;
    reply.ClearBuffer();
}

void frmSimpleTest::closeEvent(QCloseEvent* event) {
    if (CloseRefused(event, RunState != kIdle, QStringLiteral("Cannot exit while test is running.")))
        return;
    if (Dynamic) Dynamic->close();
    ReleaseUnit(UnitOfCaption(lblInstName->text()));
    event->accept();
}

void frmSimpleTest::cmdExit_Click() { CloseFromExit(); }

void frmSimpleTest::cmbBobSize_Click() { ChooseBob(cmbBobSize->currentText()); }


void frmSimpleTest::sendFrame(const QString& frame) { SendToUnit(frame); }

QString frmSimpleTest::PanelOpenMessage() const {
    return QStringLiteral("The oscillatory panel of %1 is open: close it (Return) before starting the simple test.")
        .arg(lblInstName->text());
}

QString frmSimpleTest::TestRunningMessage() const {
    return QStringLiteral("The simple test of %1 is running: stop it before opening the oscillatory panel.")
        .arg(lblInstName->text());
}

void frmSimpleTest::cmdStart_Click() {
    // The panel drives the unit while it is open: one driver at a time.
    if (Dynamic && Dynamic->isVisible()) {
        ui::MsgBox(PanelOpenMessage());
        return;
    }
    // Without the unit's line the elapsed time would count with nothing sent.
    if (!RequirePort(QStringLiteral("The test cannot be started"))) return;
    const StartCheck check = Start(txtTempSetPoint->text(), txtPressSetPoint->text(), txtspeedset->text());
    if (check == StartCheck::Ok) {
        Timer1.Enabled(true);
        return;
    }
    ui::MsgBox(StartMessage(check));
    switch (check) {
    case StartCheck::NotANumber:
        if (auto* box = findChild<QLineEdit*>(NumberRefused->objectName)) box->setFocus();
        break;
    case StartCheck::Temperature: txtTempSetPoint->setFocus(); break;
    case StartCheck::Pressure: txtPressSetPoint->setFocus(); break;
    case StartCheck::Speed: txtspeedset->setFocus(); break;
    default: break;
    }
}

void frmSimpleTest::cmdStop_Click() { StopClicked(); }

void frmSimpleTest::cmdDynamic_Click() {
    // The test's set points hold the unit: the panel would send others under it.
    if (RunState != kIdle) {
        ui::MsgBox(TestRunningMessage());
        return;
    }
    if (!Dynamic) {
        Dynamic = new frmDynamic(this);
        Dynamic->setAttribute(Qt::WA_DeleteOnClose);
        Dynamic->lblInstName->setText(lblInstName->text());
        Dynamic->send = [this](const QString& f) { SendToUnit(f); };
    }
    Dynamic->show();
    Dynamic->raise();
    Dynamic->activateWindow();
}

void frmSimpleTest::showReadings(const unit::ReplyResult& r) {
    // The set-point boxes keep what the operator typed: the unit's set points
    // are not shown.
    ShowReply({.caption = lblActiveFlag, .exit = cmdExit, .txtSampleTemp = txtSampleTemp, .txtspeed = txtspeed,
               .txtShearrate = txtShearrate, .txtShearStress = txtShearStress, .txtFann = txtFann,
               .txtPressure = txtPressure, .txtGelAngle = txtGelAngle, .txtVisc = txtVisc},
              r, reply.texts);
}

QString frmSimpleTest::PortFailureMessage(const comm::CommError& error, bool wasRunning) const {
    return ui::errorText(error.number(), error.fullText()) +
           (wasRunning ? QStringLiteral("\nThe simple test has been stopped.") : QString()) +
           PortFailureNote(error, QString());
}

void frmSimpleTest::Timer1_Timer() {
    const QPointer<frmSimpleTest> self(this);
    const bool running = RunState != kIdle;
    try {
        Tick();
    } catch (const comm::CommError& e) {
        // A port that went away or refused a frame is closed by the port
        // control: report it once.
        if (self) PortLost(e, running);
    } catch (...) {
        // Any other failure ends this tick only.
    }
}
