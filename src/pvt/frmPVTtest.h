#pragma once
// The PVT test window of one instrument unit: the density of a sample under
// pressure and temperature, from the travel of a piston that a magnet-position
// sensor reads. The multi-unit window creates one per unit, sets its Units,
// names it, hands it the connection (InitialInst), starts its timer at
// 1000 ms and opens its port on the unit's line.
//
// Every tick reads the unit's replies (PvtReplyParser: readings, status,
// trips, the height and density from the piston calibration) and, while a
// test runs, drives it (PvtRun).
//
// The piston choice loads the unit's piston calibration; Select opens the
// sequence picker; Start asks for the test information, stores the test and
// its additives and starts the run; Stop ends it; Refresh re-reads an edited
// sequence while it runs. Zero takes the present height as the new zero, SAVE
// appends the readings to ReadData.csv, Brief Excel writes the live grid into
// a workbook, Calibrate hands the unit to the calibration window and closes
// this one.
//
// The window's shell (controls, load, layout, the tick, the run's port and
// display hooks, closing) is in frmPVTtest.cpp; the sequence, Start, Stop,
// Refresh, the recorded rows, the live grid and chart in frmPVTtestRun.cpp;
// the brief workbook in frmPVTtestBriefWorkbook.cpp; the other buttons in
// frmPVTtestControls.cpp.

#include "data/RecordBase.h"
#include "unitbase/LivePlot.h"
#include "unitrun/LiveSamples.h"
#include "unitbase/RecordingWindow.h"
#include "unitrun/RunRecords.h"
#include "pvt/PvtChart.h"
#include "pvt/PvtRun.h"

#include <QPointer>
#include <functional>
#include <memory>

namespace pvtgrid {
struct Sample;
}

class frmPVTtest : public RecordingWindow<PvtRun> {
    Q_OBJECT
public:
    // The client size the layout fractions are taken against.
    static constexpr int kLayoutWidth = 965, kLayoutHeight = 648;

    explicit frmPVTtest(QWidget* parent = nullptr);  // creates the controls and runs Form_Load

    // ---- public members -----------------------------------------------------------
    // Takes the shared connection and creates and connects, in order, the
    // sequence list, the sequence steps, the test results, the test
    // information and the test additives. Database failures reach the caller.
    void InitialInst(clsConnection* connection) override;
    // The chart's base set-up, its subtitle the test name.
    void Initial_Chart_All();
    double iniVol() const { return reply.iniVol; }
    void iniVol(double v) { reply.iniVol = v; }
    double iniDensity() const { return reply.iniDensity; }
    void iniDensity(double v) { reply.iniDensity = v; }

    // How the piston calibration of a unit is read: by default from the
    // calibration files; tests may answer it themselves.
    struct PistonRead {
        bool ok = false;
        unit::PvtCalibration data;  // when ok
        QString message;            // the reason when not ok
    };
    using CalibrationReader = std::function<PistonRead(bool largePiston, int unitNumber)>;
    static CalibrationReader SetCalibrationReader(CalibrationReader reader);
    // The default: the unit's line of the piston's calibration file.
    static PistonRead ReadPistonFile(bool largePiston, int unitNumber);

    // ---- handlers ---------------------------------------------------------------------
    // Select, the sequence picker and its OK: UnitWindow.
    void cmdStart_Stop_Click();
    void cmdStop_Click();
    void cmdRefresh_Click();
    void cmdZero_Click();
    void cmdSave_Click();
    void cmdCalibrate_Click();
    void cmdExit_Click();
    void cmdExportExcel_Click();
    // The brief report: the live grid as it stands, under a title, in a new
    // workbook of the reports folder, shown with the desktop's spreadsheet
    // application. Returns the file written; a workbook that cannot be
    // written is said, with the reason.
    QString ExportPvtExcelReport();
    // Option1 and Option2 choose the unit's maximum pressure (UnitWindow::MaxPress).
    void optLag_Click();
    void optSml_Click();
    void chkDens_Click();
    void chkPosition_Click();
    void chkTemp_Click();
    void chkPress_Click();
    // One tick: PvtRun's, with the port that went away closed and reported.
    void OnTimer();
    // This window's copy of the unit captions (the maximum pressure is left
    // as the other windows have it).
    void SetUnitLabels();
    void SetupPvtResultGrid();
    // Reads the unit's line of CalFileName into the calibration; a failed
    // read leaves no calibration.
    void LoadCalibrationData(int unitNumber);
    // The chart rebuilt from the stored rows, the axes laid out anew.
    void RefreshPvtChart();
    // The checked curves refilled from the stored rows (after a recorded row).
    void PlotPvtResults();
    // The same after rows that waited were stored (RecordingWindow).
    void RedrawLiveChart() override { PlotPvtResults(); }

    // ---- state ------------------------------------------------------------------------
    // The record objects and the connection: runloop::RunRecords.
    // The layout of the controls (mLayout): UnitWindow.

    QString SeqName;  // empty: no sequence chosen
    qint32 SeqId = 0;
    RowArray SeqInfoRow;

    double CellLength = 0;
    QString CalFileName;  // "Calilarg.dat" or "CALIsmal.dat" once a piston is chosen
    int CalCount = 0;     // 5 large piston, 4 small piston, 0 none chosen

    // The stored rows of the window's test, as the chart reads them.
    LiveSamples mSamples;
    // What the last refill of the chart gave it.
    liveplot::Held mPlotHeld;
    int mSubsetCount = 0;
    qint32 mRowCount = 0;

    // ---- controls -------------------------------------------------------------------
    // lblActiveFlag: UnitWindow.
    QGroupBox* Frame1;  // "Heater Information"
    QLabel* Label2;
    QLineEdit* txtSampleTemp;
    QLabel* Label11;
    QLabel* Label3;
    QLineEdit* txtTempSetPoint;
    QLabel* Label13;
    QGroupBox* Frame3;  // "Pressure Information"
    QLabel* Label4;
    QLineEdit* txtPressure;
    QLabel* Label5;
    QLabel* Label6;
    QLineEdit* txtPressSetPoint;
    QLabel* Label7;
    QGroupBox* Frame2;  // "Test Data"
    QLabel* Label8;
    QLineEdit* txtSpeed;
    QLabel* Label9;
    QLabel* Label10;
    QLineEdit* txtspeedset;
    QLabel* Label12;
    QLabel* Label14;
    QLineEdit* txtHigh;
    QLabel* Label15;
    QLabel* Label17;
    QLineEdit* txtDensity;
    QLabel* Label16;
    QLabel* Label18;
    QLineEdit* txtiniV;
    QLabel* Label19;
    QLabel* Label20;
    QLineEdit* txtiniD;
    QLabel* Label21;
    QGroupBox* Frame4;  // "Piston"
    QRadioButton* optLag;
    QRadioButton* optSml;
    QGroupBox* Frame5;  // "Max Pressure"
    QRadioButton* Option1;
    QRadioButton* Option2;
    QLabel* Label22;
    QLabel* lblSelectSeq;
    QLabel* Label23;
    QLabel* lblTestname;
    QPushButton* cmdSelect;
    QPushButton* cmdStart_Stop;
    QPushButton* cmdStop;
    QPushButton* cmdRefresh;
    QPushButton* cmdZero;
    QPushButton* cmdSave;
    QPushButton* cmdCalibrate;
    QPushButton* cmdExportExcel;
    QPushButton* cmdExit;
    QCheckBox* chkDens;
    QCheckBox* chkPosition;
    QCheckBox* chkTemp;
    QCheckBox* chkPress;
    FlexGrid* MSFlexGrid1;
    PeChart* Pesgo1;
    QLabel* Label1;  // "Test Progress Information:"
    QStatusBar* StatusBar1;
    QLabel* StartTime;
    QLabel* ElapsedTime;
    QLabel* Status;
    QLabel* EndTime;
    QLabel* StepTime;

    // The ticked curves.
    pvtchart::Ticks ChartTicks() const;
    pvtchart::DensityConstants ChartConstants() const;

protected:
    void closeEvent(QCloseEvent* event) override;  // Form_Unload

    // ---- the run's hooks ----------------------------------------------------------------
    QString ReceiveInput() override;
    void SendFrame(const QString& frame) override;
    // The port failure path (UnitWindow::PortLost): the run and its test.
    bool RunActive() const override { return !CanStart(); }
    // The unit's maximum pressure, for the run's over-pressure trip.
    double MaxPressure() const override { return MaxPress(); }
    void StopRun() override { ShutDown(); }
    QString RunningTestName() const override;
    // The sequence picker (UnitWindow): the chosen sequence loaded.
    void SequencePicked(const QString& name) override;
    // Start's parts (UnitWindow::StartClicked): a sequence and a calibrated
    // piston; the dialog; the records and the run. Stop asks while running.
    QString MissingSequenceMessage() const override;
    bool StartChecks() override;
    std::unique_ptr<frmTestRelatedInfo> TestInfoDialog() override;
    bool StoreNewTest(frmTestRelatedInfo& dialog) override;
    void BeginTest(frmTestRelatedInfo& dialog) override;
    bool ConfirmStop() override;
    // Refresh (UnitWindow::RefreshClicked) while running: the steps reloaded,
    // the current step restarted.
    bool RefreshAllowed() const override { return RunState == kRunning; }
    void RefreshRun() override;
    void SetTimerInterval(int ms, bool enable = false) override;
    // The row of the present point handed to the database (StoreRow): once
    // stored, the chart's samples take it and the chart is redrawn; a row
    // that waited gets its grid row when it is stored.
    void SavePvtResultRow() override;
    void AddPvtGridRow() override;
    void ShowPanel(const QString& key, const QString& text) override;
    void RunButtons(bool running) override;
    void ShowReply(const unit::PvtReplyResult& result) override;
    void ShowActiveFlag(const QString& caption) override;
    // A row not recorded, the unit silent: "No Response".
    void ShowPointNotRecorded(int pointsNotRecorded) override;
    void ShowSpeedSetPoint(double rpm) override;
    void InitialChart() override;

private:
    void createControls();
    void Form_Load();
    // The grid's values of the present point, and a point's grid row.
    pvtgrid::Sample gridSample() const;
    void addGridSample(const pvtgrid::Sample& sample);
    // Chooses a piston: its file and count, the other option cleared, the
    // calibration read, the reference temperature taken.
    void choosePiston(bool large);
    // A chart failure is shown, never thrown out of a handler or tick.
    void guardChart(const std::function<void()>& action);
    // The loaded steps replaced by those of SeqName: false (tables kept)
    // when the sequence has no steps or cannot be run (said when `say`).
    bool loadSteps(bool say);
};
