#pragma once
// The start-up window of the application. It owns the one database
// connection and the record objects of the opened test for the life of the
// process, lends the connection to every other window (Connection), shows the
// opened test's result and additive grids and charts, and leads through its
// buttons and menus to every other window.

#include "data/OpenedTest.h"
#include "data/Settings.h"
#include "data/clsConnection.h"
#include "dialogs/ControlLayout.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>

class FlexGrid;
class MainCharts;
class PeChart;
class Pe3dChart;
class QAction;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QSerialPort;
class QStatusBar;
class QTimer;
class clsTEST_ADDITIVE;
class clsTEST_INFO;
class clsTEST_RESULT;
class CsvReport;
class ExcelReport;
class PrintedReport;
class frmOpenTest;
class frmOverlapTest;
class frmSetup;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    static const QString kCaption;

    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // Start-up, in this order: open the connection, create the open-test
    // dialog, bind the test-information and test-result records, record the
    // layout, maximise, TestType rheology, read and normalise the settings file,
    // 2-D chart mode (opt2D_Click), empty rheology grid header, empty
    // rheology charts (Initial_Chart_Rheology), overlap button disabled,
    // Y-range frame hidden. A database that cannot be opened is reported by
    // the connection; start-up goes on and the record objects stay unbound.
    void Form_Load();

    // ---- public members ----------------------------------------------------
    // Resets the 2-D chart to its base property set (the charts' own).
    void Initial_Chart_2d();
    // The one connection of the process; the same object for every caller,
    // also when opening the database failed.
    clsConnection* Connection() { return &connection_; }
    // The opened test's kind as its code (TestTypeCode, TestKind.h).
    qint32 TestType() const { return opened_.TestType; }
    void TestType(qint32 value) { opened_.TestType = value; }
    double CuriniV() const { return opened_.CuriniV; }
    void CuriniV(double value) { opened_.CuriniV = value; }
    double CuriniD() const { return opened_.CuriniD; }
    void CuriniD(double value) { opened_.CuriniD = value; }
    double OveriniV() const { return opened_.OveriniV; }
    void OveriniV(double value) { opened_.OveriniV = value; }
    double OveriniD() const { return opened_.OveriniD; }
    void OveriniD(double value) { opened_.OveriniD = value; }

    // The opened test (OpenedTestName, OpenedTestInfo, OpenedTestId, TestType,
    // ShearRatePerRpm, PvtPistonRadius, CuriniV, CuriniD, LsmSampleLength).
    const OpenedTest& Opened() const { return opened_; }
    OpenedTest& Opened() { return opened_; }

    // The record objects the window owns and lends to the charts, reports and
    // the test-information editor.
    clsTEST_INFO& TestInfos() { return *testInfo_; }
    clsTEST_RESULT& TestResults() { return *testResult_; }
    clsTEST_ADDITIVE& TestAdditives() { return *testAdditive_; }

    // The lines of the settings file as last read.
    InitialLineSlots& InitialLines() { return initialLines_; }

    // The open-test dialog held (nullptr after its modal show has returned).
    frmOpenTest* fOpen() const { return fOpen_.get(); }

    // The overlap chooser held: the one the last accepted click on
    // cmdOverlap created, until fOverlap_overSelected accepts a name (then
    // nullptr; the chooser is deleted later).
    frmOverlapTest* fOverlap() const;

    // The result charts of the window (lists, modes, options, builders,
    // printing, the Y-range frame).
    MainCharts& Charts() { return *charts_; }
    // 1 two-dimensional, 2 three-dimensional: the charts' mode.
    qint32 ChartMode() const;

    // Refills the additive grid from the additives of OpenedTestId.
    void Fill_Additive_Grid();

    // Opens "3080_Manual.pdf" of the working folder with the desktop's viewer
    // and ignores the outcome. Nothing calls it.
    void Open_Manual();

    // Ends the process at once after the exit question was answered Yes.
    // Tests replace it.
    std::function<void()> EndProcess;

    // Exit and the window's close (by its frame too) are refused, without the
    // exit question, while any unit window runs a test: the refusal names
    // the units (UnitWindow::UnitsRunningTests, runloop::ExitRefusalMessage)
    // and nothing is stopped or closed. While recorded points wait for the
    // database in any unit window, their question takes the exit question's
    // place (UnitWindow::LeaveOrStoreRowsWaiting): Yes ends the process once
    // they are stored, No at once (they are kept for the next start), Cancel
    // keeps it. Otherwise the exit question, and Yes ends the process.

    // ---- controls ----------------------------------------------------------
    QWidget* client;  // the client area the layout is proportional to

    QPushButton* cmdOpen;
    QPushButton* cmdRelated;
    QPushButton* cmdOverlap;
    QPushButton* cmdPrintChart;
    QPushButton* cmdREPORT;
    QPushButton* cmdExcelDetail;
    QPushButton* cmdExportExcel;
    QPushButton* cmdPRINT;
    QPushButton* cmdSetup;
    QPushButton* cmdRealTime;
    QPushButton* cmdCalibrate;
    QPushButton* cmdExit;

    QGroupBox* Frame2;
    QRadioButton* opt2D;
    QRadioButton* opt3D;
    QGroupBox* framData;
    QRadioButton* optAllData;
    QRadioButton* optNoRamp;
    QRadioButton* optonlyRamp;
    QGroupBox* framX;
    QRadioButton* optXlog;
    QRadioButton* optXNormal;
    QGroupBox* framY;
    QRadioButton* optYLog;
    QRadioButton* optYNormal;
    QLabel* Label2;
    QComboBox* cmbChartType;

    PeChart* Pesgo1;    // the 2-D chart
    Pe3dChart* Pe3do1;  // the 3-D chart

    FlexGrid* MSFlexGrid1;  // result grid
    FlexGrid* MSFlexGrid2;  // additive grid

    QGroupBox* Frame1;  // "Y Axis Range"
    QLabel* Label1;
    QLineEdit* Text1;
    QLabel* Label3;
    QLineEdit* Text2;
    QPushButton* Command1;
    QPushButton* Command2;

    QObject* CommonDialog1;  // file dialogs go through the ui seam
    QStatusBar* StatusBar1;
    QTimer* Timer1;
    QSerialPort* MSComm1;

    QMenu* MenuFile;
    QAction* MenuFileOpen;
    QAction* seperation1;
    QAction* MenuSetup;
    QAction* MenuFileReport;
    QAction* MenuFileRealTimeTest;
    QAction* Seperation5;
    QAction* MenuPrintChart;
    QAction* Seperation3;
    QAction* MenuFileExit;
    QMenu* mreset;
    QAction* mReSetScreen;
    QMenu* MenuHelp;
    QAction* MenuHelpAbout;

public slots:
    void cmdOpen_Click();
    void cmdRelated_Click();
    void cmdOverlap_Click();
    void cmdPrintChart_Click();
    void cmdREPORT_Click();
    void cmdExcelDetail_Click();
    void cmdExportExcel_Click();
    void cmdPRINT_Click();
    void cmdSetup_Click();
    void cmdRealTime_Click();
    void cmdCalibrate_Click();
    void cmdExit_Click();

    void MenuFileOpen_Click();
    void MenuSetup_Click();
    void MenuFileReport_Click();
    void MenuFileRealTimeTest_Click();
    void MenuPrintChart_Click();
    void MenuFileExit_Click();
    void mReSetScreen_Click();
    void MenuHelpAbout_Click();

    // The open-test dialog's Selected event: opens the test its name box
    // chooses (frmOpenTest::ChosenTest, read by its key) and hides the
    // dialog; a refused choice leaves it shown.
    void fOpen_Selected();

    // The overlap chooser's overSelected event: an empty name box does
    // nothing; a name not listed, or the opened test itself, is refused
    // with its message and the chooser stays; the test of the row chosen is
    // read by its key and drawn over the charts (DrawOverlay), then the
    // chooser is hidden and let go. A test deleted, or no longer of the
    // opened test's kind, since the chooser listed it is refused with its
    // message and the chooser stays, so that another can be chosen.
    void fOverlap_overSelected();

    // Y-range frame: OK (manual Y range, a tenth of the span beyond Max and
    // Min) and Cancel.
    void Command1_Click();
    void Command2_Click();

    // Chart controls: each goes to the handler of the same name of Charts().
    void opt2D_Click();
    void opt3D_Click();
    void optAllData_Click();
    void optNoRamp_Click();
    void optonlyRamp_Click();
    void optXlog_Click();
    void optXNormal_Click();
    void optYLog_Click();
    void optYNormal_Click();
    void cmbChartType_Click();
    // The 2-D chart's axis event: a first flag 0 shows the Y-range frame; a
    // second flag other than 0 hides it and says the axis cannot be ranged.
    void Pesgo1_AxisEvent(short first, short second);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    // Its steps, in the order the controls are made (their stacking and tab
    // order).
    void buildCharts();
    void buildChartOptions();
    void buildYRangeFrame();
    void buildChartTypeList();
    void buildButtons();
    void buildGrids();
    void buildUnplacedControls();
    void connectControls();
    void buildMenus();
    void openSelectedTest();
    void Save_Control_Layout();
    void Form_Resize();
    void releaseOverlapChooser();
    // Draws the test accepted in the overlap chooser (Test_Id of the
    // test-information records, set by the name check) over the opened
    // test's 2-D chart: its TEST_INFO row is read by its key and handed to
    // the charts with the name as the chooser's name box holds it. False,
    // with the reason shown, when the test is gone or of another kind.
    bool DrawOverlay();

    clsConnection connection_;
    std::unique_ptr<clsTEST_INFO> testInfo_;
    std::unique_ptr<clsTEST_RESULT> testResult_;
    std::unique_ptr<clsTEST_ADDITIVE> testAdditive_;
    std::unique_ptr<frmOpenTest> fOpen_;
    QPointer<frmSetup> setup_;  // the sequence editor while it is open
    QPointer<frmOverlapTest> fOverlap_;  // owned; released with deleteLater
    OpenedTest opened_;
    InitialLineSlots initialLines_;
    std::unique_ptr<ControlLayout> layout_;
    // Built once the record objects and the controls exist; goes first.
    std::unique_ptr<MainCharts> charts_;
    // The CSV, printed and Excel reports of the opened test.
    std::unique_ptr<CsvReport> csvReport_;
    std::unique_ptr<PrintedReport> printedReport_;
    std::unique_ptr<ExcelReport> excelReport_;
};
