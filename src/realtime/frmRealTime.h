#pragma once
// The rheology test window of one instrument unit. The multi-unit window
// creates one per unit, names it, hands it the connection (InitialInst),
// starts its timer at 1000 ms and opens its port on the unit's line.
//
// Every tick of Timer1 reads what the unit has sent, parses the reply frames
// and shows the live readings and the unit's status; every fifth tick checks
// that replies still come and shows "No Response" when none came since the
// check before. Zero sends the zero frame. The over-temperature and
// over-pressure trips of the parser stop the unit (ShutDown) and say why.
//
// The window's shell is here: its controls, load, activation, the
// proportional layout, the maximum-pressure options and closing (refused
// while a test runs). Picking a sequence, Start/Stop/Refresh and the run loop
// proper belong to the test runner. The live result grid with its power-law
// analysis (LiveResultGrid.cpp), the live chart (LiveChart.cpp) and the
// download of a test stored in the unit (StoredDownload.cpp) are members of
// the window defined in files of their own.

#include "mainwindow/ControlLayout.h"
#include "realtime/LiveSamples.h"
#include "realtime/UnitProtocol.h"
#include "realtime/UnitWindow.h"

#include <functional>
#include <memory>

class FlexGrid;
class PeChart;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;
class clsConnection;
class clsSEQUENCE_INFO;
class clsSEQUENCE_RAMP;
class clsSEQUENCE_RAMP_DEFINE;
class clsTEST_ADDITIVE;
class clsTEST_INFO;
class clsTEST_RESULT;
class frmTestRelatedInfo;

class frmRealTime : public UnitWindow {
    Q_OBJECT
public:
    // The designed caption, replaced by the container with "Unit n Real Time Test".
    static const QString kDesignedCaption;
    // The client size the layout fractions are taken against.
    static constexpr int kLayoutWidth = 884;
    static constexpr int kLayoutHeight = 616;

    explicit frmRealTime(QWidget* parent = nullptr);  // creates the controls and runs Form_Load
    ~frmRealTime() override;

    // ---- public operations --------------------------------------------------
    // Takes the shared connection and creates the record objects in order:
    // sequence list (connected), sequence steps (connected), ramp-define
    // entries (connected when a sequence is loaded), test results, test
    // information and additives (connected). Database failures reach the
    // caller (db::DbError).
    void InitialInst(clsConnection* connection) override;
    // Sends the stop frame, ends the run (idle), clears the trip and
    // inactive counts and enables Exit and Zero. The timer keeps polling.
    void ShutDown();

    // ---- handlers ---------------------------------------------------------
    void Form_Activate();
    void cmdExit_Click();
    void cmdZero_Click();
    void Option1_Click();
    void Option2_Click();
    // One tick: the reply watchdog, then the unit's replies (or the
    // discarded input of a step's third tick), then the hardware-inactive
    // stop. A port that went away is closed, any run is stopped and the
    // loss is reported once.
    void Timer1_Timer();
    // Reads and parses what the unit has sent and shows it.
    void ParseUnitReply();
    // Zeroes the readings and empties the ten reading boxes.
    void ClearReadings();
    // This window's copy of the unit captions: those of the settings, and
    // the maximum pressure back to 30000 psi.
    void SetUnitLabels();

    // ---- live result grid (LiveResultGrid.cpp) ------------------------------
    // Columns, captions and widths of MSFlexGrid1 (once, at load).
    void SetupResultGrid();
    // After a recorded sample and at the end of a step: the run's current
    // (step, cycle, ramp entry) group gets its row, the sample is written
    // into it, and a ramp cycle that has just ended is analysed.
    void UpdateResultGrid();
    // Columns 0 to 11 of the last grid row from the run state and readings.
    void FormatResultGridRow();
    // Takes the test's stored samples (mSamples) and writes the power-law
    // analysis of the cycle of the second-to-last grid row into its columns
    // 12 to 19; a cycle without an analysis leaves the row as it is.
    void CalcRampPowerLaw();

    // ---- live chart (LiveChart.cpp) -----------------------------------------
    // Rebuilds the chart: base settings, then the axis groups of the ticked
    // quantities, then the points (PlotAllSeries).
    void RefreshRealTimeChart();
    // The chart's base settings.
    void Initial_Chart_All();
    // Takes the test's stored samples (mSamples) and plots the ticked
    // quantities against time (the most recent 5000 samples at most).
    void PlotAllSeries();
    void chkTemp_Click();
    void chkPress_Click();
    void chkSpeed_Click();
    void chkFann_Click();
    void chkSR_Click();
    void chkSS_Click();
    void chkVisc_Click();

    // ---- download of a test stored in the unit (StoredDownload.cpp) ---------
    // Asks for the test information, writes the new test and fetches the
    // unit's stored points into it. Does nothing while a test runs.
    void cmdRetrieve_Click();
    // Waits without handling any event (no timer of any window ticks).
    void WaitSeconds(float seconds);
    // Tests shorten the wait: when set, WaitSeconds calls this instead.
    std::function<void(double seconds)> WaitHook;
    // One TEST_RESULT row of the current test from the run state and readings
    // (a db::DbError when the window has no record objects).
    void SaveResultRow();
    // The failure text of a window whose record objects were not created.
    static const QString kNoRecords;

    // ---- state ------------------------------------------------------------
    // The reply side: receive buffer, live readings and their texts, the
    // no-response flag, trip and inactive counts, bob factors.
    unit::UnitReplyParser mReply;
    int mRunState = 0;    // 0 idle, 1 step phase, 6 ramp phase
    int mStepTick = 0;    // ticks of the current step
    long long mTickCount = 0;  // ticks since the window opened
    clsConnection* mConnection = nullptr;
    std::unique_ptr<clsSEQUENCE_INFO> mSeqInfo;
    std::unique_ptr<clsSEQUENCE_RAMP> mSeqRamp;
    std::unique_ptr<clsSEQUENCE_RAMP_DEFINE> mSeqRampDefine;
    ControlLayout mLayout;

    // The run state (owned by the run loop; the grid, chart and download
    // read it, the download writes its working fields).
    int mPhase = 0;        // 0 step phase, 1 ramp phase
    int mStepNo = 0;       // current step, from 1
    int mCycleNo = 0;      // current cycle of the step, from 1
    int mRampEntryNo = 0;  // current ramp entry, 0 in the step phase
    qint32 mElapsedSec = 0;  // whole seconds since the run started
    // The current test (written by Start and by the download).
    qint32 mTestId = 0;    // 0 until a test is started or downloaded
    double mBobRadius = 0; // cm
    int mBobNumber = 0;    // 1, 2 or 5
    std::unique_ptr<clsTEST_RESULT> mTestResult;
    std::unique_ptr<clsTEST_INFO> mTestInfo;
    std::unique_ptr<clsTEST_ADDITIVE> mTestAdditive;
    std::unique_ptr<frmTestRelatedInfo> mInfoDialog;
    // The live grid's bookkeeping: step, cycle and ramp entry of its last row.
    double mLastGridStep = 0;
    double mLastGridCycle = 0;
    int mLastGridRamp = 0;
    // Stored samples of the test when the grid or chart last took them.
    qint32 mPointCount = 0;
    // The stored samples of the current test, as the grid and chart read them.
    LiveSamples mSamples;
    // Chart subsets handed out so far.
    int mSubsetCount = 0;

    // ---- controls -----------------------------------------------------------
    QLabel* lblActiveFlag;
    QLabel* Label1;  // "Test Progress Information:"
    QStatusBar* StatusBar1;  // panels "StartTime", "ElapsedTime", "StepTime", "EndTime"
    QLabel* StartTime;
    QLabel* ElapsedTime;
    QLabel* StepTime;
    QLabel* EndTime;

    QGroupBox* Frame1;  // "Heater Information"
    QLabel* Label2;     // "Sample Temperature:"
    QLineEdit* txtSampleTemp;
    QLabel* Label13;
    QLabel* Label3;     // "Temperature Set Point:"
    QLineEdit* txtTempSetPoint;
    QLabel* Label11;

    QGroupBox* Frame3;  // "Pressure Information"
    QLabel* Label4;     // "Sample Pressure:"
    QLineEdit* txtPressure;
    QLabel* Label5;     // "(psi)"
    QLabel* Label6;     // "Pressure Set Point:"
    QLineEdit* txtPressSetPoint;
    QLabel* Label7;     // "(psi)"

    QGroupBox* Frame2;  // "Test Data"
    QLabel* Label8;     // "Speed:"
    QLineEdit* txtspeed;
    QLabel* Label9;     // "(rpm)"
    QLabel* Label12;    // "Shear Rate:"
    QLineEdit* txtShearrate;
    QLabel* Label14;    // "(1/S)"
    QLabel* Label15;    // "Apparent Viscosity:"
    QLineEdit* txtVisc;
    QLabel* Label10;
    QLabel* Label17;    // "Shear Stress:"
    QLineEdit* txtShearStress;
    QLabel* Label16;
    QLabel* Label18;    // "Fann Angle:"
    QLineEdit* txtFann;
    QLabel* Label19;    // "(deg)"
    QLabel* Label20;    // "Gel (Fann Angle):"
    QLineEdit* txtGelAngle;
    QLabel* Label21;    // "(deg)"

    QGroupBox* Frame4;  // "Max Pressure"
    QRadioButton* Option1;  // "20000"
    QRadioButton* Option2;  // "30000"

    QLabel* Label22;    // "Sequence Name:"
    QLabel* lblSelectSeq;
    QLabel* Label23;    // "Test Name:"
    QLabel* lblTestname;

    QPushButton* cmdSelect;
    QPushButton* cmdStart_Stop;
    QPushButton* cmdStop;
    QPushButton* cmdRefresh;
    QPushButton* cmdRetrieve;
    QPushButton* cmdZero;
    QPushButton* cmdExit;

    QCheckBox* chkTemp;
    QCheckBox* chkPress;
    QCheckBox* chkSpeed;
    QCheckBox* chkSR;
    QCheckBox* chkSS;
    QCheckBox* chkVisc;
    QCheckBox* chkFann;

    FlexGrid* MSFlexGrid1;
    PeChart* Pesgo1;

protected:
    void closeEvent(QCloseEvent* event) override;  // Form_Unload
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void Form_Load();
    void showReply(const unit::ReplyResult& result);
    // Writes a frame to the unit; a closed port sends nothing.
    void SendFrame(const QString& frame);
    // The port went away: close it, stop any run, say so once.
    void PortLost(const comm::CommError& error);
};
