#pragma once
// The calibration window ("Calibration"): one window of the application,
// modeless, with three tabs, each on its own unit:
//  1 "CalibrateTorque": the torque calibration with a calibration fluid
//    (start frame with the 21 set viscosities and the bob, the unit's stress
//    and angle points plotted, the straight-line fit drawn beside them and
//    its slope and mean square error shown under the plot), the set-value
//    table saved and loaded, a coefficient table sent, the report (none when
//    it cannot be made, with what to do);
//  2 "Calibrate PVT": the piston's magnet position at 5 (large) or 4 (small)
//    known heights, the log-log segments, saved to Calilarg.dat / CALIsmal.dat,
//    the report;
//  3 "Calibrate LSM": the swell sensor voltage at three spacers, two log
//    segments, saved to Calib.dat, the report.
//
// The tabs share one serial port: choosing a unit on a tab opens it (the port
// must be closed then); the torque run, the last PVT and swell steps and the
// window's closing close it. The torque Start opens it again for the unit its
// list shows, so a run follows a run without a new pick. A port that a unit
// window holds is refused naming that window (UnitWindow's registry).
//
// From its start frame until it is over a torque run owns the port: the PVT
// and swell timers stop and read nothing, their last readings are dropped,
// their step buttons are refused, and no tab chooses a unit.
//
// The window, its shared controls, tabs, unit lists and port are in
// frmCalibrateTorque.cpp; each tab's own work in frmCalibrateTorqueTorqueTab.cpp,
// frmCalibrateTorquePvtTab.cpp and frmCalibrateTorqueSwellTab.cpp.
//
// The test windows hand their unit over with ShowOnTab: close your own port
// first, call frmCalibrateTorque::ShowOnTab(2 or 3, unit), then close your
// window.

#include "platform/CommPort.h"
#include "platform/TickTimer.h"
#include "unitlink/CalibrationFrames.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <exception>
#include <functional>
#include <optional>
#include <vector>

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QTabBar;
class PeChart;

class frmCalibrateTorque : public QWidget {
    Q_OBJECT
public:
    static const QString kCaption;  // "Calibration"

    explicit frmCalibrateTorque(QWidget* parent = nullptr);
    ~frmCalibrateTorque() override;

    // ---- the one window --------------------------------------------------
    // The window of the application: created and loaded at the first call
    // (and again after it was closed), shown modeless and brought to front;
    // shown again as it was left while it lives. The main window's Calibrate.
    static frmCalibrateTorque* ShowInstance();
    // The window when it lives, else nullptr.
    static frmCalibrateTorque* Instance();
    // The hand-over of a PVT (tab 2) or swell (tab 3) test window: shows the
    // window, shows the tab's frame and selects `unit` in the tab's unit list,
    // which resets the tab, opens the unit's port and starts the tab's timer
    // (a port that cannot be opened shows the communication message). The
    // caller closes its own port before. A unit without a port in the
    // settings selects nothing.
    static frmCalibrateTorque* ShowOnTab(int tab, int unit);

    // ---- state -------------------------------------------------------------
    int CurrentTab = 1;                 // the tab whose frame is shown (1 .. 3)
    std::array<int, 11> PortNo{};       // port of unit i (1 .. 8); 0: no port
    std::array<int, 4> TabUnit{};       // unit chosen on tab i (1 .. 3); 0: none yet
    int BobNo = 1;                      // 1, 2 or 5
    int CaliState = 0;                  // 0 reset, 1 started, 2 done not saved, 3 saved

    // ---- handlers ----------------------------------------------------------
    void Form_Load();
    void cmbInstName_Click(int Index);
    void cmbBobSize_Click();
    void TabStrip1_Click();
    void cmdReturn_Click(int Index);
    // Torque tab.
    void cmdStart_Click();
    void cmdSave1_Click();
    void cmdLoad_Click();
    void cmdSendCali_Click();
    void cmdExport_Click();
    void Timer1_Timer();
    // PVT tab.
    void Combo1_Click();
    void cmdPVT_Click(int Index);
    void cmdSave2_Click();
    void cmdPVTExport_Click();
    void TimerPVT_Timer();
    // Swell tab.
    void cmdSWM_Click(int Index);
    void cmdSave3_Click();
    void cmdSWMExport_Click();
    void TimerSWM_Timer();

    // The fit of the last torque calibration (stress = FitIntercept + FitSlope x angle).
    double FitIntercept = 0;
    double FitSlope = 0;
    double FitMse = 0;
    // The fluid temperature (°C) of the last torque report written.
    double FluidTemp = 0;
    // The points of the current (or last) torque calibration.
    std::vector<unit::TorquePoint> TorquePoints;
    // Whether FitSlope, FitIntercept and FitMse are the fit of TorquePoints
    // (false from a start until that run is fitted: the fit then is an
    // older run's, and the report does not give it as this run's).
    bool TorqueFitted = false;
    // The current (or last) torque run lost text from the unit (a frame cut
    // short or run into another, too much text without an end): points may
    // be missing, so it is not reported as a success.
    bool TorqueLostText = false;
    // Ticks of the torque run that brought no calibration point (status
    // frames and other text do not count as an answer); the run is ended
    // after kTorqueSilentTicks of them.
    int TorqueSilentTicks = 0;
    static constexpr int kTorqueSilentTicks = 60;
    // From the start frame until the run is over the torque run owns the
    // port: the PVT and swell tabs take no readings, take no steps and choose
    // no unit.
    bool TorqueRunOwnsPort() const { return torqueRun_; }

    // Piston points of the running PVT calibration (0 until a piston is chosen).
    int PvtCount = 0;
    double PvtReading = 0;  // magnet position of the last tick
    double LsmVolt = 0;     // sensor voltage of the last tick
    // The swell law of the last completed swell calibration.
    double SwellA1 = 0, SwellB1 = 0, SwellA2 = 0, SwellB2 = 0;

    // ---- controls ------------------------------------------------------------
    QTabBar* TabStrip1;
    std::array<QFrame*, 4> Frame1{};           // 1 .. 3
    std::array<QComboBox*, 4> cmbInstName{};   // 1 .. 3
    QStatusBar* StatusBar1;
    QLabel* StatusPanel1;                      // "Current Status:"
    QLabel* CaliStatus;                        // second panel, key "CaliStatus"
    comm::CommPort MSComm1;
    tick::TickTimer Timer1;
    tick::TickTimer TimerPVT;
    tick::TickTimer TimerSWM;

    // Torque tab.
    QComboBox* cmbBobSize;
    QGroupBox* Frame2;
    std::array<QLabel*, 21> Label2{};
    std::array<QLineEdit*, 21> txtCali{};
    std::array<QLabel*, 21> Label3{};
    QPushButton* cmdSave1;
    QPushButton* cmdLoad;
    QPushButton* cmdStart;
    QPushButton* cmdExport;
    QPushButton* cmdSendCali;
    QPushButton* Command1;
    std::array<QPushButton*, 4> cmdReturn{};  // 1 .. 3
    PeChart* CWGraph1;
    // The fit of the last run, under the plot beside "Slope =" (Label13) and
    // "Mean square error =" (Label14); empty from a start until that run is
    // fitted, and after a run that cannot be fitted.
    QLabel* lblSlope;
    QLabel* lblMse;

    // PVT tab.
    QComboBox* Combo1;
    std::array<QPushButton*, 6> cmdPVT{};  // 1 .. 5
    std::array<QLineEdit*, 6> Text1{};     // 1 .. 5
    std::array<QLabel*, 6> Label20{};
    std::array<QLabel*, 6> Label24{};
    std::array<QLabel*, 6> Label22{};
    std::array<QLabel*, 6> Label5{};
    std::array<QLabel*, 6> Label7{};
    std::array<QLabel*, 16> lalData{};     // 1 .. 5 readings, 11 .. 15 their log10
    std::array<QLabel*, 6> lalSlope{};     // 2 .. 5
    std::array<QLabel*, 6> lalIntercept{}; // 2 .. 5
    QLabel* Label6;
    QLabel* lblReadData2;
    QPushButton* cmdSave2;
    QPushButton* cmdPVTExport;
    PeChart* CWGraph2;

    // Swell tab.
    std::array<QPushButton*, 4> cmdSWM{};  // 1 .. 3
    QPushButton* cmdSave3;
    QPushButton* cmdSWMExport;
    QPushButton* cmdZero;
    std::array<QLabel*, 7> lblvolt{};      // 1 .. 6
    std::array<QLabel*, 4> lbldata{};      // 1 .. 3
    QLabel* lblconst1;
    QLabel* lblconst2;
    QLabel* lblconst3;
    QLabel* lblconst4;
    QLabel* lblReaddata3;
    std::array<QLabel*, 4> Label33{};      // 1 .. 3
    QLabel* Label31;
    PeChart* CWGraph3;

    // The waits of the torque start: calls `then` from the event loop at the
    // n-th change of the clock's seconds after the call (ClockSeconds.h), and
    // returns at once; nothing waits on the UI thread. Tests replace it.
    std::function<void(int seconds, std::function<void()> then)> Delay_Seconds;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildTorqueTab(QWidget* frame);
    void buildPvtTab(QWidget* frame);
    void buildSwellTab(QWidget* frame);
    void Initial_PVT_Tab();
    void Initial_LSM_Tab();
    void showPistonHeights();  // the height boxes of the chosen piston (none before a choice)
    void Form_Unload();
    void Read_Torque_Cal_Reply();
    // The steps of a torque start after its start frame, each at the end of
    // its wait: the run frame, then the port's input thrown away and the
    // torque timer started. A window closed or a run ended meanwhile takes no
    // step; a step whose port fails ends the run (failStartedRun).
    void sendTorqueRunFrame();
    void beginTorqueReadings();
    void failStartedRun(const std::exception& e);
    // What a start that failed shows: the held-by-window note alone when a
    // unit window holds the port, else the communication message and the
    // failure.
    void showStartFailure(const std::exception& e);
    void FinishTorqueRun(bool fitted);
    void showTorqueFit(const std::vector<double>& angle, const std::vector<double>& stress);
    void Run_PVT_Cal_Step(int Index);
    void Run_LSM_Cal_Step(int Index);
    void Save_PVT_Calibration();
    void showFrame(int tab);
    QString receiveAll();
    // A tick of the PVT (2) or LSM (3) tab's timer: the unit's calibration
    // reading (0 when none came or the tab shows another unit than the one it
    // opened), its logarithm shown; a failed read stops the timer and is said.
    void readCalibration(int tab, tick::TickTimer& timer, double& reading, QLabel* shown);
    void closePort();
    // The unit whose port MSComm1 is set to ("Unit 2"), else the port's name.
    QString unitOfOpenPort() const;
    // Opens the port of `unit` (its port in the settings): the port must be
    // closed; a port that cannot be opened raises comm::CommError.
    void openUnitPort(int unit);
    // The 21 viscosities of the fluid table, each its box's number; nothing,
    // with the box that holds no number said, when one does not.
    std::optional<std::vector<double>> fluidViscosities();

    unit::TorqueReplyParser torqueParser_;
    std::array<double, 6> pvtX_{};
    std::array<double, 6> pvtY_{};
    std::array<double, 6> pvtReadings_{};  // the readings taken at positions 1 .. PvtCount
    bool loaded_ = false;
    bool unloading_ = false;
    bool returning_ = false;  // a Return button closes the window
    bool torqueRun_ = false;  // see TorqueRunOwnsPort
    QString runBob_;          // the bob of the torque run under way, written to the bob file when it ends well
};
