#pragma once
// The simple test window of one instrument unit: the unit runs at fixed set
// points of temperature, pressure and speed, its readings are shown, and
// nothing is stored. The multi-unit window creates it, names it "Unit n
// Simple Test", writes "Unit n" into lblInstName, starts Timer1 at 1000 ms
// and opens MSComm1 on the unit's port.
//
// The window is its run (SimpleTestRun: Start checks, the set-point frame on
// the second tick, the elapsed time, Stop, the reply parsing and trips) with
// the controls: it hands the run its boxes and port through the run's hooks
// and shows what the run reports. The
// oscillatory test panel (frmDynamic) opens from here and sends its frames on
// this window's port.

#include "simpletest/SimpleTestRun.h"
#include "unitbase/UnitWindow.h"

#include <QPointer>

class frmDynamic;

namespace comm {
class CommError;
}

class frmSimpleTest : public UnitWindow, public SimpleTestRun {
    Q_OBJECT
public:
    // The design size the layout fractions are taken against.
    static constexpr int kLayoutWidth = 554, kLayoutHeight = 540;

    explicit frmSimpleTest(QWidget* parent = nullptr);  // creates the controls and runs Form_Load

    // ---- handlers ---------------------------------------------------------
    void cmdStart_Click();
    void cmdStop_Click();
    void cmdExit_Click();
    void cmbBobSize_Click();
    // Option1 and Option2 choose the unit's maximum pressure (UnitWindow::MaxPress).
    void Timer1_Timer();
    // Opens (or brings up) the oscillatory test panel on this unit's port.
    // The panel and a running simple test never both drive the unit: the
    // panel does not open while the test runs, and Start is refused while
    // the panel is open.
    void cmdDynamic_Click();
    QString TestRunningMessage() const;  // "The simple test of Unit 2 is running: stop it ..."
    QString PanelOpenMessage() const;    // "The oscillatory panel of Unit 2 is open: close it ..."

    // The layout of the controls (mLayout): UnitWindow.
    QPointer<frmDynamic> Dynamic;

    // ---- controls -----------------------------------------------------------
    // lblActiveFlag: UnitWindow.
    QGroupBox* Frame1;  // "Set Information"
    QLabel* Label8;     // "Temperature Set Point:"
    QLineEdit* txtTempSetPoint;
    QLabel* Label13;
    QLabel* Label22;    // "Pressure Set Point:"
    QLineEdit* txtPressSetPoint;
    QLabel* Label4;     // "(psi)"
    QLabel* Label2;     // "Speed Set Point:"
    QLineEdit* txtspeedset;
    QLabel* Label3;     // "(rpm)"

    QGroupBox* Frame2;  // "Test Data"
    QLabel* Label6;     // "Sample Temperature:"
    QLineEdit* txtSampleTemp;
    QLabel* Label11;
    QLabel* Label27;    // "Sample Pressure:"
    QLineEdit* txtPressure;
    QLabel* Label5;     // "(psi)"
    QLabel* Label17;    // "Speed:"
    QLineEdit* txtspeed;
    QLabel* Label20;    // "(rpm)"
    QLabel* Label18;    // "Shear Rate:"
    QLineEdit* txtShearrate;
    QLabel* Label21;    // "(1/S)"
    QLabel* Label9;     // "Apparent Viscosity:"
    QLineEdit* txtVisc;
    QLabel* Label10;
    QLabel* Label19;    // "Shear Stress:"
    QLineEdit* txtShearStress;
    QLabel* Label16;
    QLabel* Label26;    // "Fann Angle:"
    QLineEdit* txtFann;
    QLabel* Label25;    // "(deg)"
    QLabel* Label28;    // "Gel (Fann Angle):"
    QLineEdit* txtGelAngle;
    QLabel* Label29;    // "(deg)"

    QGroupBox* Frame4;  // "Max Pressure"
    QRadioButton* Option1;
    QRadioButton* Option2;
    QLabel* Label1;     // "Please select bob size:"
    QComboBox* cmbBobSize;

    QPushButton* cmdStart;
    QPushButton* cmdStop;
    QPushButton* cmdDynamic;
    QPushButton* cmdExit;

    QStatusBar* StatusBar1;  // panels "StartTime" and "ElapsedTime"
    QLabel* StartTime;
    QLabel* ElapsedTime;

protected:
    void closeEvent(QCloseEvent* event) override;  // Form_Unload

private:
    void createControls();
    void Form_Load();
    // A parse's results (ShowReply, ReplyControls.h): the caption, Exit
    // enabled on "Cooling", the readings; the set-point boxes keep what was typed.
    void showReadings(const unit::ReplyResult& result);
    void sendFrame(const QString& frame);
    // The port went away: stop any run and say so once.
    // The port failure path (UnitWindow::PortLost): the run and its words.
    bool RunActive() const override { return RunState != kIdle; }
    void StopRun() override { ShutDown(); }
    QString PortFailureMessage(const comm::CommError& error, bool wasRunning) const override;
};
