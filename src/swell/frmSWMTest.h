#pragma once
// The linear swell test window ("LSM") of one instrument unit. The
// multi-unit window creates one per unit with the unit number and the
// connection (the load needs both: it reads the unit's sensor calibration),
// starts its timer at 1000 ms and opens its port on the unit's line.
//
// Every tick reads the unit's reply frames (SwellReplyParser): status,
// temperature, speed, pressure and the sensor voltage, turned into the
// sensor length, the length change and the swell of the sample. ZERO takes
// the dry wafer length and checks it against the calibration; START asks for
// the sample's information, stores the test and runs the chosen sequence
// (SwellRun): set points per step, repetitions, one stored row per
// recording interval shown in the grid and the chart; STOP, the end of the
// sequence, the pressure check and the safety trips end the run.
//
// Each window keeps the calibration of its own unit.
//
// The window's shell (controls, load, layout, the tick, the run's port and
// display hooks, closing) is in frmSWMTest.cpp; the sequence, Start, Stop,
// Refresh, the set points and the recorded rows in frmSWMTestRun.cpp; the
// other buttons in frmSWMTestControls.cpp.

#include "data/RecordBase.h"
#include "unitbase/LivePlot.h"
#include "unitrun/LiveSamples.h"
#include "unitbase/RecordingWindow.h"
#include "unitrun/RunRecords.h"
#include "swell/SwellChart.h"
#include "swell/SwellRun.h"

#include "data/TypedNumbers.h"

#include <QPointer>
#include <QStringList>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class frmSWMTest : public RecordingWindow<swell::SwellRun> {
    Q_OBJECT
public:
    // The design size the layout fractions are taken against.
    static constexpr int kLayoutWidth = 990, kLayoutHeight = 707;

    // Creates the controls and loads the window for that unit over that
    // connection (record objects, captions, grid, chart, calibration).
    frmSWMTest(int unitNumber, clsConnection* connection, QWidget* parent = nullptr);
    // Deletes the sequence picker it opened.
    ~frmSWMTest() override;

    // ---- set-up ------------------------------------------------------------------
    void InitialInst(clsConnection* connection) override;
    void SetUnitLabels();
    void Initial_Grid_Swell();
    // Reads this unit's line of the sensor calibration file.
    void Load_Swell_Calibration();
    // Takes a calibration as this window's own and shows it.
    void SetCalibration(const swell::SwellCalibration& calibration);

    // ---- handlers ----------------------------------------------------------------
    // Select, the sequence picker and its OK: UnitWindow.
    void cmdRefresh_Click();
    void cmdPreHeat_Click();
    void cmdTempSet_Click();
    void cmdZero_Click();
    // Hands the unit over to the calibration window's LSM tab (not while a
    // test runs): the port is closed first, then this window.
    void cmdCalibrate_Click();
    void cmdStart_Click();
    void cmdExit_Click();
    void txtInterval_Change();
    void Timer1_Timer();
    // The chart rebuilt for the checked boxes (also each box's click).
    void Initial_Chart_Swell();
    void Initial_Chart_All();
    // The chart after a recorded row: the new points (the rebuild when only
    // it draws the chart right).
    void PlotSwellPoints();
    // The same after rows that waited were stored (RecordingWindow).
    void RedrawLiveChart() override { PlotSwellPoints(); }

    // ---- state -----------------------------------------------------------------
    // The record objects and the connection: runloop::RunRecords.
    // The layout of the controls (mLayout): UnitWindow.
    QString SeqName;
    qint32 SequenceNo = 0;
    double SetTemp = 0, SetPress = 0, SetSpeed = 0;  // as typed (temperature in display units)
    QString CommandText;
    // The dry length of the test the chart draws (kept after the run ends).
    double ChartSampleLength = 0;
    // The stored rows of the window's test, as the chart reads them, and
    // what the last refill of the chart gave it.
    LiveSamples mSamples;
    liveplot::Held mPlotHeld;

    // ---- controls -----------------------------------------------------------------
    // lblActiveFlag: UnitWindow.
    QGroupBox* Frame1;  // "Readings"
    QLabel *lbltemp1, *lblSpeed, *lblPress, *lblvolt, *lblen, *lbldist, *lblswell;
    QLabel *Label20, *Label18, *Label40, *Label29;  // unit captions (temperature, length)
    QGroupBox* Frame2;  // "Set Points"
    QLineEdit *txtTemps, *txtPress, *txtspeed, *txtInterval;
    QPushButton *cmdTempSet, *cmdPreHeat;
    QGroupBox* Frame3;  // "Calibration"
    std::array<QLabel*, 4> lblCaliVolt{};   // [1 .. 3]
    std::array<QLabel*, 3> lblIntercept{};  // [1 .. 2]
    std::array<QLabel*, 3> lblSlope{};      // [1 .. 2]
    QGroupBox* Frame4;  // "Sample"
    QLabel *lblSelectSeq, *lblTestname, *lblFluid, *lblWt, *lblLen, *lblHard, *lblCPress, *lblCTime, *lblDesc;
    QPushButton *cmdSelect, *cmdRefresh, *cmdZero, *cmdCalibrate, *cmdStart, *cmdExit;
    QCheckBox *chkSwell, *chkSpeed, *chkTemp, *chkPress;
    FlexGrid* MSFlexGrid1;
    PeChart* Pesgo1;
    QStatusBar* StatusBar1;
    QLabel *StartTime, *ElapsedTime, *Status, *EndTime, *StepTime;  // panels by key

    // ---- the run's hooks --------------------------------------------------------
    QString ReadInput() override;
    void SendFrame(const QString& frame) override;
    void SetTimerInterval(int ms) override;
    double PressSetPoint() override;
    void ShowStep(int step) override;
    void SendSetPoints() override { sendBoxSetPoints(); }
    // A recorded point (SwellRun::RecordSwellPoint): the stored row first,
    // then its grid row, then the chart. The row is handed to the database
    // (StoreRow): a row that waited gets its grid row when it is stored.
    void SaveSwellResultRow() override;
    void AddSwellGridRow() override;
    void ShowReply(const swell::SwellReplyResult& result) override;
    void ShowStatus(const QString& caption) override;
    // A point not recorded, the unit silent: "No Response".
    void ShowPointNotRecorded(int pointsNotRecorded) override;
    void ShowPanel(const QString& key, const QString& text) override;
    void RunButtons(bool running) override;
    void Message(const QString& text) override;

protected:
    void closeEvent(QCloseEvent* event) override;  // Form_Unload

private:
    void createControls();
    // Its steps, in the order the controls are made (their tab order).
    void createReadings();
    void createSetPoints();
    void createCalibrationReadings();
    void createSampleFrame();
    void createButtons();
    void createGridAndChart();
    void createStatusBar();
    void connectControls();
    void Form_Load();
    swell::ChartTicks chartTicks() const;
    // The grid row of the present point, and a grid row added at the end.
    QStringList gridCells() const;
    void addGridRow(const QStringList& cells);
    // Refuses a handler that needs the records when the load could not make them.
    bool haveRecords();
    // A set-point box as the operator reads it: its caption and unit
    // ("Temperature (°F)") and its text.
    typed::NumberBox setPointBox(QLineEdit* box) const;
    // The first of the temperature, pressure and speed boxes that holds no number.
    std::optional<typed::NumberRefusal> SetPointNumberRefused() const;
    enum class SetPointCheck { Ok, NotANumber, OutOfRange };
    // Checks the boxes: a box that holds no number is named (data/TypedNumbers);
    // a number out of range gets the range check's message (CheckSetPoints).
    SetPointCheck Check_SetPoints();
    // The set points checked and sent (the next tick after the unit took
    // them); false when the check refused them ("Need reset data." after a
    // range message).
    bool sendSetPoints();
    // SetTemp, SetPress and SetSpeed from the boxes.
    void takeBoxSetPoints();
    // The caption and unit labels of each set-point box.
    std::map<const QLineEdit*, std::pair<QLabel*, QLabel*>> boxLabels_;
    // The set points the boxes hold sent unchecked (a step's, checked with
    // its sequence), the next tick after the unit took them.
    void sendBoxSetPoints();
    // The port failure path (UnitWindow::PortLost): the run and its words.
    bool RunActive() const override { return RunState != swell::kIdle; }
    // The unit's maximum pressure, for the run's over-pressure trip.
    double MaxPressure() const override { return MaxPress(); }
    void StopRun() override { ShutDown(); }
    QString PortFailureMessage(const comm::CommError& error, bool wasRunning) const override;
    QString RunningTestName() const override;
    // The sequence picker (UnitWindow): the chosen sequence loaded.
    bool PickerRecordsReady() override { return haveRecords(); }
    bool PickerDeletedOnClose() const override { return true; }
    void SequencePicked(const QString& name) override;
    // A test runs while running or cooling (not while preheating).
    bool TestRunning() const override { return RunState == swell::kRunning || RunState == swell::kCooling; }
    // Start's parts (UnitWindow::StartClicked): sequence, calibration, zero,
    // set points and records; the dialog; its cancel; the records and the
    // run. STOP asks while running.
    QString MissingSequenceMessage() const override;
    bool StartChecks() override;
    std::unique_ptr<frmTestRelatedInfo> TestInfoDialog() override;
    void StartCancelled() override;
    bool StoreNewTest(frmTestRelatedInfo& dialog) override;
    void BeginTest(frmTestRelatedInfo& dialog) override;
    bool ConfirmStop() override;
    // Refresh (UnitWindow::RefreshClicked) while running: the steps reloaded,
    // their set points sent again, the current step restarted.
    bool RefreshAllowed() const override { return RunState == swell::kRunning; }
    void RefreshRun() override;
};
