#pragma once
// The rheology test window of one instrument unit. The multi-unit window
// creates one per unit, names it, hands it the connection (InitialInst),
// starts its timer at 1000 ms and opens its port on the unit's line.
//
// Every tick of Timer1 reads what the unit has sent, parses the reply frames
// and shows the live readings and the unit's status, or "No Response" once
// the unit is silent (runloop::ReadingsAge). Zero sends the zero frame. The
// trips of the rheology safety watch (over-temperature and over-pressure in
// the parse, hardware inactive after it) stop the unit (ShutDown) and say why.
//
// Select opens the sequence picker, whose OK loads the chosen sequence into
// the run step and ramp-define tables. Start asks for the test information,
// stores the test and its additives and starts the run, which every tick then
// drives (RheologyRun: steps, cycles, ramps, set points, recording); Stop ends
// it and Refresh reloads the running sequence and restarts the current step.
//
// The window's shell is in frmRealTime.cpp (controls, load, activation, the
// proportional layout, the maximum-pressure options, the tick, closing,
// refused while a test runs); the sequence, Start, Stop, Refresh and the
// recorded rows in frmRealTimeRun.cpp. The live result grid with its power-law
// analysis (RheologyResultGrid.cpp), the live chart (RheologyChart.cpp), the recorded
// row (frmRealTimeResultRow.cpp) and the download of a test stored in the unit
// (frmRealTimeDownload.cpp) are members of the window defined in files of their
// own.

#include "data/RecordBase.h"
#include "unitbase/LivePlot.h"
#include "unitrun/LiveSamples.h"
#include "rheology/RheologyRun.h"
#include "unitlink/UnitProtocol.h"
#include "unitbase/RecordingWindow.h"
#include "unitrun/RunRecords.h"

#include <QPointer>
#include <functional>
#include <memory>

namespace rheologygrid {
struct LiveSample;
}
namespace unit {
class StoredTransferRead;
}

class frmRealTime : public RecordingWindow<RheologyRun> {
    Q_OBJECT
public:
    // The designed caption, replaced by the container with "Unit n Real Time Test".
    static const QString kDesignedCaption;
    // The client size the layout fractions are taken against.
    static constexpr int kLayoutWidth = 884, kLayoutHeight = 616;

    explicit frmRealTime(QWidget* parent = nullptr);  // creates the controls and runs Form_Load
    ~frmRealTime() override;  // out of line, where the test information dialog is complete

    // ---- public operations --------------------------------------------------
    // Takes the shared connection and creates the record objects in order:
    // sequence list (connected), sequence steps (connected), ramp-define
    // entries (connected when a sequence is loaded), test results, test
    // information and test additives (connected). Database failures reach
    // the caller (db::DbError).
    void InitialInst(clsConnection* connection) override;
    // Write-only: the SEQUENCE_ID of the loaded sequence.
    void CurSeqId(qint32 id) { mCurSeqId = id; }
    // StartTest and ShutDown: RheologyRun.

    // ---- handlers ---------------------------------------------------------
    void Form_Activate();
    void cmdExit_Click();
    void cmdZero_Click();
    // Option1 and Option2 choose the unit's maximum pressure (UnitWindow::MaxPress).
    // Select, the sequence picker and its OK: UnitWindow.
    // Start: the test information dialog, the test's records, the run.
    void cmdStart_Stop_Click();
    // Stop: ShutDown, in any state (a download under way ended first).
    void cmdStop_Click();
    // Refresh (step phase only): reloads the sequence and restarts the step.
    void cmdRefresh_Click();
    // One tick: the unit's replies (or the discarded input of a step's third
    // tick), then the hardware-inactive stop, "No Response" once the unit is
    // silent, then the run. A port that went away is closed, any run is
    // stopped and the loss is reported once.
    void Timer1_Timer();
    // Reads and parses what the unit has sent, tells the run what came
    // (FramesParsed), answers the parse's trips (ShutDown, then the message)
    // and shows the readings.
    void ParseUnitReply();
    // Zeroes the readings and empties the ten reading boxes.
    void ClearReadings();
    // This window's copy of the unit captions: those of the settings (the
    // maximum pressure is left as the other windows have it).
    void SetUnitLabels();

    // ---- live result grid (RheologyResultGrid.cpp) ------------------------------
    // Columns, captions and widths of MSFlexGrid1 (once, at load).
    void SetupResultGrid();
    // After a recorded sample and at the end of a step: the run's current
    // (step, cycle, ramp entry) group gets its row, the sample is written
    // into it, and a ramp cycle that has just ended is analysed.
    void UpdateResultGrid() override;
    // Columns 0 to 11 of the last grid row from the run state and readings.
    void FormatResultGridRow();
    // Takes the test's stored samples (mSamples) and writes the power-law
    // analysis of the cycle of the second-to-last grid row into its columns
    // 12 to 19; a cycle without an analysis leaves the row as it is.
    void CalcRampPowerLaw() override;

    // ---- live chart (RheologyChart.cpp) -----------------------------------------
    // Rebuilds the chart: base settings, then the axis groups of the ticked
    // quantities, then the points (PlotAllSeries).
    void RefreshRealTimeChart();
    // The chart's base settings.
    void Initial_Chart_All();
    // Takes the test's stored samples (mSamples) and plots the ticked
    // quantities against time (the most recent liveplot::kMaxLivePoints samples at most).
    void PlotAllSeries() override;
    // The same after rows that waited were stored (RecordingWindow).
    void RedrawLiveChart() override { PlotAllSeries(); }
    void chkTemp_Click();
    void chkPress_Click();
    void chkSpeed_Click();
    void chkFann_Click();
    void chkSR_Click();
    void chkSS_Click();
    void chkVisc_Click();

    // ---- download of a test stored in the unit (frmRealTimeDownload.cpp) ----
    // Asks for the test information; at its Start sends the request and
    // closes the dialog (BeginDownload); the transfer comes in on the event
    // loop, and once it has ended and is sound the new test (dated then) is
    // written with its points (DownloadReceived). Does nothing while a test
    // runs; refused while the port is not open or a download is under way.
    void cmdRetrieve_Click();
    // Between the request and the transfer's end.
    bool DownloadUnderWay() const;
    // The download's reads (none before the first download).
    std::unique_ptr<unit::StoredTransferRead> mDownload;
    // PortReady, PortOpenHook: UnitWindow.
    // The failure text of a window whose record objects were not created.
    static const QString kNoRecords;
    // What a download the database refused did not do (db::RefusalMessage).
    static const QString kNotDownloaded;

    // ---- state ------------------------------------------------------------
    // The reply side (mReply), the run state, the tables and the set points:
    // RheologyRun.
    // The record objects and the connection: runloop::RunRecords.
    // The layout of the controls (mLayout): UnitWindow.

    std::unique_ptr<frmTestRelatedInfo> mInfoDialog;
    // The live grid's bookkeeping: step, cycle and ramp entry of its last row.
    double mLastGridStep = 0;
    double mLastGridCycle = 0;
    int mLastGridRamp = 0;
    // Stored samples of the test when the grid or chart last took them.
    qint32 mPointCount = 0;
    // The stored samples of the current test, as the grid and chart read them.
    LiveSamples mSamples;
    // The unit's caption when the download began, shown again at its end.
    QString mCaptionBeforeDownload;
    // Chart subsets handed out so far.
    int mSubsetCount = 0;
    // What the last plot of the samples gave the chart.
    liveplot::Held mPlotHeld;

    // The loaded sequence: its name (empty while none is loaded), key and row.
    QString mSequenceName;
    qint32 mCurSeqId = 0;
    RowArray mSeqInfoRow;
    // Cup radius / bob radius, for the power-law analysis.
    double mRadiusRatio = 0;

    // ---- controls -----------------------------------------------------------
    // lblActiveFlag: UnitWindow.
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

public:
    // ---- the run's hooks ------------------------------------------------------
    // Writes a frame to the unit (SendToUnit: a closed port is a port failure).
    void SendFrame(const QString& frame) override;
    void SetTimerInterval(int ms, bool enable = false) override;
    // One TEST_RESULT row of the current test from the run state and readings
    // through mTestResult (frmRealTimeResultRow.cpp; a db::DbError when the
    // window has no record objects), handed to the database (StoreRow): a
    // row the database refuses waits and is stored on a later tick. The
    // grid's and chart's samples follow it once it is stored.
    void SaveResultRow() override;
    // The same row stored at once, a refusal raised (db::DbError), and
    // returned: the download's rows, which go in together in one
    // transaction, the samples following them once it is committed.
    ResultPoint WriteResultRow();
    // The same row handed to the database as a recorded row is (StoreRow):
    // a downloaded row of test `testName` that the database refused with the
    // others waits and is stored on a later tick.
    void KeepDownloadedRow(const QString& testName);
    void ShowPanel(const QString& key, const QString& text) override;
    void RunButtons(bool running) override;
    // A point not recorded, the unit silent: "No Response".
    void ShowPointNotRecorded(int pointsNotRecorded) override;
    // The live grid gets one row more (the end of a sequence after a ramp).
    void AddResultGridRow() override;

private:
    void createControls();
    void Form_Load();
    // A parse's results (ShowReply, ReplyControls.h): the caption, Exit
    // enabled on "Cooling", every reading box with the set points.
    void showReply(const unit::ReplyResult& result);
    // A row of the run's test stored after it waited (AfterRowStored): the
    // grid takes it unless it has moved on past the row's group.
    void ShowLateRow(const ResultPoint& row);
    void updateResultGrid(const rheologygrid::LiveSample& sample);
    // The port failure path (UnitWindow::PortLost): the run and its test.
    bool RunActive() const override { return RunState != runloop::kIdle; }
    void StopRun() override { ShutDown(); }
    QString RunningTestName() const override;
    // The sequence picker (UnitWindow): the chosen sequence loaded.
    void SequencePicked(const QString& name) override;
    // Start's parts (UnitWindow::StartClicked): a sequence loaded; its tables
    // within what a run holds; the dialog; the bob and the records at the
    // dialog's Start; the run.
    bool ReadyForStart() override;
    QString MissingSequenceMessage() const override;
    bool StartChecks() override;
    std::unique_ptr<frmTestRelatedInfo> TestInfoDialog() override;
    bool StoreNewTest(frmTestRelatedInfo& dialog) override;
    void BeginTest(frmTestRelatedInfo& dialog) override;
    // Each trip in order: ShutDown, then its message (nothing more once the
    // window has gone away with a message).
    void reactToTrips(const std::vector<unit::SafetyTrip>& trips);
    // Refresh (UnitWindow::RefreshClicked), in the step phase only: the
    // sequence reloaded, the current step restarted.
    bool RefreshAllowed() const override { return RunState == runloop::kStepRunning; }
    void RefreshRun() override;
    // Loads the sequence named mSequenceName: the picker's load (refusals
    // with their messages) or the refresh (no message without steps). True
    // when the tables were taken.
    bool LoadSequenceTables(bool refresh);
    // Refuses a loaded sequence with a value a step may not hold (its
    // problem, naming the step and the value); true when refused.
    bool refuseOutOfLimits(const runloop::LoadedSequence& loaded, bool refresh);
    // A click that would disturb a download under way is refused, saying
    // what was not done (`refused`); true when refused.
    bool RefusedWhileDownloading(const QString& refused);
    // The bob of the dialog fits the cup; else refused with its message.
    bool BobFits(const frmTestRelatedInfo& dialog);
    // The dialog's Start of a download (cmdRetrieve_Click): the bob, then the
    // request. False: the bob refused, nothing asked, the dialog stays open;
    // true: the dialog closes.
    bool BeginDownload(frmTestRelatedInfo& dialog);
    // The window while a download is under way: "Downloading" with the
    // characters received, Start, Retrieve and Zero off (its timer is
    // stopped meanwhile); and as before once it has ended.
    void ShowDownload(bool underWay);
    // Stop and the window's close: a download under way ends where it is,
    // nothing of it stored.
    void EndDownload();
    // The transfer's end: its check, the messages of a failed one, else the
    // test with its rows (StoreDownload); a test the database refused opens
    // the dialog again, whose Start stores the same transfer.
    void DownloadReceived(const QString& received);
    // The test of the dialog with its additives, then its rows. False: the
    // database refused the test, nothing stored.
    bool StoreDownload(frmTestRelatedInfo& dialog, const unit::StoredTransfer& transfer);
    // A downloaded record into the run's working fields and readings.
    void TakeDownloadedRecord(const unit::StoredDataRecord& record);
    // The rows of the downloaded test `testName` (TestId) in one transaction;
    // when the database refuses them they wait as recorded rows do
    // (KeepDownloadedRow).
    void StoreDownloadedRows(const std::vector<unit::StoredDataRecord>& records, const QString& testName);
    // The picker's refusal of a step above the maximum pressure.
    void RefusePressure();
    // The live grid cut back to its header row.
    void EmptyResultGrid();
};
