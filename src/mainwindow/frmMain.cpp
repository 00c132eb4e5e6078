#include "mainwindow/frmMain.h"

#include "calibration/frmCalibrateTorque.h"
#include "charts/MainCharts.h"
#include "data/Numbers.h"
#include "data/clsTEST_ADDITIVE.h"
#include "data/clsTEST_INFO.h"
#include "data/clsTEST_RESULT.h"
#include "mainwindow/OpenTest.h"
#include "mainwindow/OpenTestList.h"
#include "multiunit/frmMDIRealTime.h"
#include "reports/CsvReport.h"
#include "reports/PrintedReport.h"
#include "sequences/frmSetup.h"
#include "mainwindow/ResultGrids.h"
#include "platform/TrapErrors.h"
#include "mainwindow/frmAbout.h"
#include "mainwindow/frmOpenTest.h"
#include "dialogs/OverlapChooser.h"
#include "dialogs/StoredTestList.h"
#include "dialogs/frmOverlapTest.h"
#include "dialogs/frmViewRelatedInfo.h"
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"
#include "platform/ModalShow.h"
#include "platform/Pe3dChart.h"
#include "platform/PeChart.h"
#include "reports/ExcelReports.h"
#include "unitbase/UnitWindow.h"
#include "unitrun/RowSpool.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSerialPort>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>

const QString frmMain::kCaption =
    QStringLiteral("Z3080DAQ/v2.0.0.24 - Software for Z3080 Ultra HPHT Automatic Rheometer");

namespace {

// The designed client size of the window; the layout keeps every control at
// its fraction of it.
constexpr int kDesignWidth = 1016;
constexpr int kDesignHeight = 690;
// The two columns of the chart options and buttons, right of the chart.
constexpr int kLeftColumn = 764;
constexpr int kRightColumn = 888;

// The title of the exit question and of the question about points waiting at Exit.
const QString kExitCheckTitle = QStringLiteral("Exit Check");

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QString& tip, int x, int y) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(tip);
    b->setGeometry(x, y, 120, 30);
    return b;
}

QRadioButton* option(QWidget* parent, const char* name, const QString& caption, const QString& tip, int x, int y,
                     int w = 100) {
    auto* o = new QRadioButton(caption, parent);
    o->setObjectName(QLatin1String(name));
    o->setToolTip(tip);
    o->setGeometry(x, y, w, 20);
    return o;
}

QGroupBox* frame(QWidget* parent, const char* name, const QString& caption, int x, int y, int w, int h) {
    auto* f = new QGroupBox(caption, parent);
    f->setObjectName(QLatin1String(name));
    f->setGeometry(x, y, w, h);
    f->setAutoFillBackground(true);  // the Y Axis Range frame is shown over the chart
    return f;
}

QAction* entry(QMenu* menu, const char* name, const QString& caption) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    return a;
}

QAction* separator(QMenu* menu, const char* name) {
    QAction* a = menu->addSeparator();
    a->setObjectName(QLatin1String(name));
    return a;
}

}  // namespace

frmMain::frmMain(QWidget* parent)
    : QMainWindow(parent),
      EndProcess([] { QCoreApplication::exit(0); }),
      testInfo_(std::make_unique<clsTEST_INFO>()),
      testResult_(std::make_unique<clsTEST_RESULT>()),
      testAdditive_(std::make_unique<clsTEST_ADDITIVE>()) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(kCaption);
    buildControls();
    buildMenus();

    ChartControls controls;
    controls.Frame2 = Frame2;
    controls.opt2D = opt2D;
    controls.opt3D = opt3D;
    controls.framData = framData;
    controls.optAllData = optAllData;
    controls.optNoRamp = optNoRamp;
    controls.optonlyRamp = optonlyRamp;
    controls.framX = framX;
    controls.optXlog = optXlog;
    controls.optXNormal = optXNormal;
    controls.framY = framY;
    controls.optYLog = optYLog;
    controls.optYNormal = optYNormal;
    controls.cmbChartType = cmbChartType;
    controls.cmdOverlap = cmdOverlap;
    controls.Frame1 = Frame1;
    controls.Text1 = Text1;
    controls.Text2 = Text2;
    charts_ = std::make_unique<MainCharts>(*Pesgo1, *Pe3do1, controls, opened_, *testResult_, &connection_);

    StoredTestSource source;
    source.opened = &opened_;
    source.testInfos = testInfo_.get();
    source.testResults = testResult_.get();
    source.connection = &connection_;
    source.resultGrid = MSFlexGrid1->gridModel();
    source.additiveGrid = MSFlexGrid2->gridModel();
    source.rowFilter = [this](double resultTypeId) { return charts_->PassesRowFilter(resultTypeId); };
    csvReport_ = std::make_unique<CsvReport>(source);
    printedReport_ = std::make_unique<PrintedReport>(source);
    excelReport_ = std::make_unique<ExcelReport>(source);
}

frmMain::~frmMain() {
    charts_.reset();
    delete fOverlap_.data();
}

void frmMain::buildControls() {
    client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    client->resize(kDesignWidth, kDesignHeight);
    client->installEventFilter(this);
    layout_ = std::make_unique<ControlLayout>(client, ControlLayout::Unscaled);

    buildCharts();
    buildChartOptions();
    buildYRangeFrame();
    buildChartTypeList();
    buildButtons();
    buildGrids();
    buildUnplacedControls();
    connectControls();
}

void frmMain::buildCharts() {
    // Charts, top left; the 3-D chart lies under the 2-D one.
    Pesgo1 = new PeChart(client);
    Pesgo1->setObjectName(QStringLiteral("Pesgo1"));
    Pesgo1->setGeometry(8, 8, 748, 330);
    Pe3do1 = new Pe3dChart(client);
    Pe3do1->setObjectName(QStringLiteral("Pe3do1"));
    Pe3do1->setGeometry(8, 8, 748, 330);
    Pe3do1->hide();
}

void frmMain::buildChartOptions() {
    // Chart options, top right.
    Frame2 = frame(client, "Frame2", QStringLiteral("DIM Scale:"), kLeftColumn, 4, 116, 64);
    opt2D = option(Frame2, "opt2D", QStringLiteral("2D"), QStringLiteral("Click here for 2D graphics"), 10, 20);
    opt3D = option(Frame2, "opt3D", QStringLiteral("3D"), QStringLiteral("Click here for 3D graphics"), 10, 40);

    framData = frame(client, "framData", QStringLiteral("Data"), kRightColumn, 4, 120, 84);
    const QString lowRateTip = QStringLiteral("Display chart viscosity data only when shear rate is lower than 99 1/S");
    optAllData = option(framData, "optAllData", QStringLiteral("All"), QStringLiteral("Click here to chart all data"), 10, 20);
    optNoRamp = option(framData, "optNoRamp", QStringLiteral("No Ramp"), lowRateTip, 10, 40);
    optonlyRamp = option(framData, "optonlyRamp", QStringLiteral("Only Ramp"), lowRateTip, 10, 60);
    optAllData->setChecked(true);

    const QString logTip = QStringLiteral("Click here to select log chart scale");
    const QString normalTip = QStringLiteral("Click here to select normal chart scale");
    framX = frame(client, "framX", QStringLiteral("X Scale:"), kLeftColumn, 72, 116, 64);
    optXlog = option(framX, "optXlog", QStringLiteral("Log"), logTip, 10, 20);
    optXNormal = option(framX, "optXNormal", QStringLiteral("Normal"), normalTip, 10, 40);
    optXNormal->setChecked(true);
    framY = frame(client, "framY", QStringLiteral("Y Scale:"), kLeftColumn, 140, 116, 64);
    optYLog = option(framY, "optYLog", QStringLiteral("Log"), logTip, 10, 20);
    optYNormal = option(framY, "optYNormal", QStringLiteral("Normal"), normalTip, 10, 40);
    optYNormal->setChecked(true);
}

void frmMain::buildYRangeFrame() {
    Frame1 = frame(client, "Frame1", QStringLiteral("Y Axis Range"), kRightColumn, 92, 120, 116);
    Label1 = new QLabel(QStringLiteral("Max"), Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 22, 30, 20);
    Text1 = new QLineEdit(Frame1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(40, 20, 72, 22);
    Label3 = new QLabel(QStringLiteral("Min"), Frame1);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(8, 50, 30, 20);
    Text2 = new QLineEdit(Frame1);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setGeometry(40, 48, 72, 22);
    Command1 = new QPushButton(QStringLiteral("OK"), Frame1);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(8, 80, 50, 28);
    Command2 = new QPushButton(QStringLiteral("Cancel"), Frame1);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(62, 80, 50, 28);
}

void frmMain::buildChartTypeList() {
    Label2 = new QLabel(QStringLiteral("Select Chart Type:"), client);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(kLeftColumn, 212, 244, 18);
    cmbChartType = new QComboBox(client);
    cmbChartType->setObjectName(QStringLiteral("cmbChartType"));
    cmbChartType->setToolTip(QStringLiteral("Use this pull-down menu to select different chart types"));
    cmbChartType->setGeometry(kLeftColumn, 232, 244, 24);
}

void frmMain::buildButtons() {
    // Buttons, two columns.
    int y = 264;
    const int dy = 34;
    cmdOpen = button(client, "cmdOpen", QStringLiteral("&Open Saved Test"),
                     QStringLiteral("Click here to open a saved test"), kLeftColumn, y);
    cmdRelated = button(client, "cmdRelated", QStringLiteral("Edit Test Info"),
                        QStringLiteral("Click here to view & edit test-related information"), kRightColumn, y);
    y += dy;
    cmdOverlap = button(client, "cmdOverlap", QStringLiteral("Overlap Charts"),
                        QStringLiteral("Click here to overlap another test on graph.  Charts cannot be overlapped "
                                       "when chart type is \"Visc Temp Vs. Time\"."),
                        kLeftColumn, y);
    cmdPrintChart = button(client, "cmdPrintChart", QStringLiteral("Print Chart"),
                           QStringLiteral("Click here to print the chart shown at top"), kRightColumn, y);
    y += dy;
    cmdREPORT = button(client, "cmdREPORT", QStringLiteral("Save Report"),
                       QStringLiteral("Click here to generate a detailed .CSV file"), kLeftColumn, y);
    cmdExcelDetail = button(client, "cmdExcelDetail", QStringLiteral("Detailed Excel"),
                            QStringLiteral("Click here to generate a detailed MS Excel file"), kRightColumn, y);
    y += dy;
    cmdExportExcel = button(client, "cmdExportExcel", QStringLiteral("Brief Excel"),
                            QStringLiteral("Click here to generate a brief MS Excel file"), kLeftColumn, y);
    cmdPRINT = button(client, "cmdPRINT", QStringLiteral("Brief Print"),
                      QStringLiteral("Click here to print a brief report"), kRightColumn, y);
    y += dy;
    cmdSetup = button(client, "cmdSetup", QStringLiteral("&Setup"),
                      QStringLiteral("Click here to set up hardware and manage test procedures"), kLeftColumn, y);
    cmdRealTime = button(client, "cmdRealTime", QStringLiteral("Real &Time Test"),
                         QStringLiteral("Click here to run a real time test"), kRightColumn, y);
    y += dy;
    cmdCalibrate = button(client, "cmdCalibrate", QStringLiteral("&Calibrate"),
                          QStringLiteral("Click here to start calibration"), kLeftColumn, y);
    cmdExit = button(client, "cmdExit", QStringLiteral("&Exit"), QStringLiteral("Click here to exit Z3080DAQ"),
                     kRightColumn, y);
}

void frmMain::buildGrids() {
    // Grids: results below the chart, additives below the buttons.
    MSFlexGrid1 = new FlexGrid(client);
    MSFlexGrid1->setObjectName(QStringLiteral("MSFlexGrid1"));
    MSFlexGrid1->setToolTip(QStringLiteral("This table lists the test results."));
    MSFlexGrid1->setGeometry(8, 346, 748, 336);
    MSFlexGrid1->WordWrap(true);

    MSFlexGrid2 = new FlexGrid(client);
    MSFlexGrid2->setObjectName(QStringLiteral("MSFlexGrid2"));
    MSFlexGrid2->setGeometry(kLeftColumn, 472, 244, 210);
    // Its header is part of the design; the program writes rows 1 onward only.
    MSFlexGrid2->FormatString(QStringLiteral("<Additive Name|<Concentration|<Units|<Lot Number"));
    MSFlexGrid2->Rows(1);
}

void frmMain::buildUnplacedControls() {
    // Controls without a place on the window.
    CommonDialog1 = new QObject(this);
    CommonDialog1->setObjectName(QStringLiteral("CommonDialog1"));
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(StatusBar1);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    MSComm1 = new QSerialPort(this);
    MSComm1->setObjectName(QStringLiteral("MSComm1"));
}

void frmMain::connectControls() {
    connect(cmdOpen, &QPushButton::clicked, this, &frmMain::cmdOpen_Click);
    connect(cmdRelated, &QPushButton::clicked, this, &frmMain::cmdRelated_Click);
    connect(cmdOverlap, &QPushButton::clicked, this, &frmMain::cmdOverlap_Click);
    connect(cmdPrintChart, &QPushButton::clicked, this, &frmMain::cmdPrintChart_Click);
    connect(cmdREPORT, &QPushButton::clicked, this, &frmMain::cmdREPORT_Click);
    connect(cmdExcelDetail, &QPushButton::clicked, this, &frmMain::cmdExcelDetail_Click);
    connect(cmdExportExcel, &QPushButton::clicked, this, &frmMain::cmdExportExcel_Click);
    connect(cmdPRINT, &QPushButton::clicked, this, &frmMain::cmdPRINT_Click);
    connect(cmdSetup, &QPushButton::clicked, this, &frmMain::cmdSetup_Click);
    connect(cmdRealTime, &QPushButton::clicked, this, &frmMain::cmdRealTime_Click);
    connect(cmdCalibrate, &QPushButton::clicked, this, &frmMain::cmdCalibrate_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmMain::cmdExit_Click);
    connect(Command1, &QPushButton::clicked, this, &frmMain::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmMain::Command2_Click);
    // In the Y-range frame Enter is OK and Esc is Cancel.
    connect(Text1, &QLineEdit::returnPressed, this, &frmMain::Command1_Click);
    connect(Text2, &QLineEdit::returnPressed, this, &frmMain::Command1_Click);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), Frame1);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &frmMain::Command2_Click);
    connect(opt2D, &QRadioButton::clicked, this, &frmMain::opt2D_Click);
    connect(opt3D, &QRadioButton::clicked, this, &frmMain::opt3D_Click);
    connect(optAllData, &QRadioButton::clicked, this, &frmMain::optAllData_Click);
    connect(optNoRamp, &QRadioButton::clicked, this, &frmMain::optNoRamp_Click);
    connect(optonlyRamp, &QRadioButton::clicked, this, &frmMain::optonlyRamp_Click);
    connect(optXlog, &QRadioButton::clicked, this, &frmMain::optXlog_Click);
    connect(optXNormal, &QRadioButton::clicked, this, &frmMain::optXNormal_Click);
    connect(optYLog, &QRadioButton::clicked, this, &frmMain::optYLog_Click);
    connect(optYNormal, &QRadioButton::clicked, this, &frmMain::optYNormal_Click);
    // A choice of the operator; the program's own selections draw by themselves.
    connect(cmbChartType, &QComboBox::activated, this, &frmMain::cmbChartType_Click);
    connect(Pesgo1, &PeChart::axisEvent, this, &frmMain::Pesgo1_AxisEvent);
}

void frmMain::buildMenus() {
    QMenuBar* bar = menuBar();
    MenuFile = bar->addMenu(QStringLiteral("&File"));
    MenuFile->setObjectName(QStringLiteral("MenuFile"));
    MenuFileOpen = entry(MenuFile, "MenuFileOpen", QStringLiteral("&Open Saved Test"));
    seperation1 = separator(MenuFile, "seperation1");
    MenuSetup = entry(MenuFile, "MenuSetup", QStringLiteral("&Setup"));
    MenuFileReport = entry(MenuFile, "MenuFileReport", QStringLiteral("Re&port"));
    MenuFileRealTimeTest = entry(MenuFile, "MenuFileRealTimeTest", QStringLiteral("Real &Time Test"));
    Seperation5 = separator(MenuFile, "Seperation5");
    MenuPrintChart = entry(MenuFile, "MenuPrintChart", QStringLiteral("Print Chart"));
    Seperation3 = separator(MenuFile, "Seperation3");
    MenuFileExit = entry(MenuFile, "MenuFileExit", QStringLiteral("E&xit"));

    mreset = bar->addMenu(QStringLiteral("ReSet"));
    mreset->setObjectName(QStringLiteral("mreset"));
    mReSetScreen = entry(mreset, "mReSetScreen", QStringLiteral("ReSetScreen"));

    MenuHelp = bar->addMenu(QStringLiteral("&About"));
    MenuHelp->setObjectName(QStringLiteral("MenuHelp"));
    MenuHelpAbout = entry(MenuHelp, "MenuHelpAbout", QStringLiteral("&About Z3080DAQ"));

    connect(MenuFileOpen, &QAction::triggered, this, &frmMain::MenuFileOpen_Click);
    connect(MenuSetup, &QAction::triggered, this, &frmMain::MenuSetup_Click);
    connect(MenuFileReport, &QAction::triggered, this, &frmMain::MenuFileReport_Click);
    connect(MenuFileRealTimeTest, &QAction::triggered, this, &frmMain::MenuFileRealTimeTest_Click);
    connect(MenuPrintChart, &QAction::triggered, this, &frmMain::MenuPrintChart_Click);
    connect(MenuFileExit, &QAction::triggered, this, &frmMain::MenuFileExit_Click);
    connect(mReSetScreen, &QAction::triggered, this, &frmMain::mReSetScreen_Click);
    connect(MenuHelpAbout, &QAction::triggered, this, &frmMain::MenuHelpAbout_Click);

    // The window's designed size around its client area.
    resize(kDesignWidth, kDesignHeight + menuBar()->sizeHint().height() + StatusBar1->sizeHint().height());
}

// ---- start-up ----------------------------------------------------------------

void frmMain::Form_Load() {
    connection_.OpenDB(QStringLiteral("msORA"), QStringLiteral("system"), QString(), QString());

    fOpen_ = std::make_unique<frmOpenTest>(&connection_);
    connect(fOpen_.get(), &frmOpenTest::Selected, this, &frmMain::fOpen_Selected);

    // A connection that did not open was reported by OpenDB: the records then
    // stay unbound, and every action that needs them reports the failure.
    try {
        testInfo_->ConnectX(&connection_);
        testResult_->ConnectX(&connection_);
    } catch (...) {
        const TrappedError e = CurrentError();
        const db::Connection* db = connection_.ADOConnection();
        if (db && db->isOpen()) ui::MsgBox(ui::errorText(e.number, e.description));
    }
    // The recorded points the last run could not store (kept in the spool) are stored now.
    runloop::RowSpool::Program().StoreAtStart(&connection_);

    Save_Control_Layout();
    setWindowState(windowState() | Qt::WindowMaximized);
    opened_.TestType = TestTypeCode(TestKind::Rheology);
    ReadInitialFile(initialLines_);
    opt2D_Click();
    TrapErrors([&] { Initial_Grid_Rheology(*MSFlexGrid1); });
    TrapErrors([&] { charts_->Initial_Chart_Rheology(); });
    cmdOverlap->setEnabled(false);
    Frame1->hide();
}

void frmMain::Save_Control_Layout() {
    // Recorded against the designed client area, whatever the window's frame
    // has done to it so far.
    client->resize(kDesignWidth, kDesignHeight);
    layout_->Save_Control_Layout();
}

void frmMain::Form_Resize() { layout_->Form_Resize(); }

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client && (event->type() == QEvent::Resize || event->type() == QEvent::Show)) Form_Resize();
    return QMainWindow::eventFilter(watched, event);
}

// ---- exit --------------------------------------------------------------------

void frmMain::closeEvent(QCloseEvent* event) {
    // Ending the process would leave a running unit as it is, with no stop
    // frame, and its stored test without an end: refused, nothing stopped or
    // closed, nothing asked.
    const QStringList running = UnitWindow::UnitsRunningTests();
    if (!running.isEmpty()) {
        TrapErrors([&] { ui::MsgBox(runloop::ExitRefusalMessage(running)); });
        event->ignore();
        return;
    }
    // Points waiting for the database are asked about instead of the exit
    // question: Yes and No both exit (Yes once they are stored).
    bool exits = false;
    TrapErrors([&] {
        const std::vector<UnitWindow*> windows = UnitWindow::LiveWindows();
        if (UnitWindow::RowsWaitingIn(windows) > 0) {
            exits = UnitWindow::LeaveOrStoreRowsWaiting(windows, runloop::WayOut::Exit, kExitCheckTitle);
            return;
        }
        exits = ui::MsgBox(QStringLiteral("Are you sure you want to exit?"), ui::vbYesNo + ui::vbExclamation,
                           kExitCheckTitle) == ui::vbYes;
    });
    if (!exits) {
        event->ignore();
        return;
    }
    event->accept();
    if (EndProcess) EndProcess();
}

void frmMain::cmdExit_Click() { close(); }
void frmMain::MenuFileExit_Click() { cmdExit_Click(); }

// ---- opening a stored test -----------------------------------------------------

void frmMain::cmdOpen_Click() {
    TrapErrors([&] {
        fOpen_ = std::make_unique<frmOpenTest>(&connection_);
        frmOpenTest* dialog = fOpen_.get();
        connect(dialog, &frmOpenTest::Selected, this, &frmMain::fOpen_Selected);
        // Loading reads the stored tests: without a database nothing is shown.
        const bool loaded = TrapErrors([&] { dialog->Form_Load(); });
        if (loaded) ui::ShowModal(*dialog);
    });
    fOpen_.reset();
}

void frmMain::MenuFileOpen_Click() { cmdOpen_Click(); }

void frmMain::fOpen_Selected() {
    TrapErrors([&] { openSelectedTest(); });
}

void frmMain::openSelectedTest() {
    frmOpenTest* dialog = fOpen_.get();
    MSFlexGrid1->Rows(1);
    if (!dialog) return;
    const QString typed = dialog->txtSeqName->text();
    if (typed.isEmpty()) return;

    // Names are not unique: the test of the row chosen is read by its key.
    const ListedTest chosen = dialog->ChosenTest();
    if (chosen.row == 0) {
        ui::MsgBox(storedtests::kTestNameNotFound);
        return;
    }
    testInfo_->TEST_NAME(chosen.listedName);
    testInfo_->Test_Id(chosen.key);
    testInfo_->GetTestDetailByKey();
    if (testInfo_->Eof()) return;  // deleted since the dialog listed it

    opened_.OpenedTestName = typed;
    Pesgo1->setProp(pesgo::SubTitle, opened_.OpenedTestName);
    opened_.OpenedTestInfo = testInfo_->All();
    opened_.OpenedTestId = roundHalfEven(opened_.OpenedTestInfo.value(clsTEST_INFO::colTEST_ID).toDouble());
    Fill_Additive_Grid();
    testResult_->Test_Id(opened_.OpenedTestId);
    testResult_->ConnectX(&connection_);

    FlexGrid& grid = *MSFlexGrid1;
    const RowArray stored = StoredRow(testInfo_->TestRows(), 0);
    switch (ApplyTestKind(opened_, opened_.OpenedTestInfo, &stored)) {
    case TestKind::Pvt:
        Initial_Grid_PVT(grid);
        opt2D_Click();
        FillPvtGrid(grid, *testResult_, opened_);
        break;
    case TestKind::Lsm:
        Initial_Grid_LSM(grid);
        opt2D_Click();
        FillLsmGrid(grid, *testResult_, &connection_, opened_);
        break;
    case TestKind::Rheology:
        Frame2->show();
        framX->show();
        framY->show();
        framData->show();
        if (opt2D->isChecked())
            charts_->Fill_ChartList_2D();
        else if (opt3D->isChecked())
            charts_->Fill_ChartList_3D();
        Initial_Grid_Rheology(grid);
        FillRheologyGrid(grid, *testResult_, &connection_, opened_);
        break;
    case TestKind::None:
        break;
    }
    dialog->hide();
}

void frmMain::Fill_Additive_Grid() {
    FillAdditiveGrid(*MSFlexGrid2->gridModel(), *testAdditive_, &connection_, opened_.OpenedTestId);
    MSFlexGrid2->WidenColumnsToContents();  // whole additive names
}

// ---- other buttons and menu entries ------------------------------------------------

void frmMain::cmdOverlap_Click() {
    TrapErrors([&] {
        if (opened_.OpenedTestName.isEmpty()) {
            ui::MsgBox(QStringLiteral("No opened test to overlap on.  Please open one test first."), ui::vbOKOnly,
                       QStringLiteral("Operation Error"));
            return;
        }
        // A new chooser replaces the one held; it is kept after its show.
        releaseOverlapChooser();
        fOverlap_ = new frmOverlapTest(&connection_, opened_.TestType);
        connect(fOverlap_.data(), &frmOverlapTest::overSelected, this, &frmMain::fOverlap_overSelected);
        ui::ShowModal(*fOverlap_);
    });
}

void frmMain::fOverlap_overSelected() {
    TrapErrors([&] {
        if (!fOverlap_) return;
        if (!overlap::AcceptChosenName(*fOverlap_, opened_.OpenedTestId, *testInfo_)) return;
        if (!DrawOverlay()) return;
        fOverlap_->hide();
        releaseOverlapChooser();
    });
}

// The chooser may still be inside its own modal show (this handler runs from
// its buttons): it is deleted once control is back in the event loop.
void frmMain::releaseOverlapChooser() {
    if (fOverlap_) fOverlap_->deleteLater();
    fOverlap_ = nullptr;
}

bool frmMain::DrawOverlay() {
    if (!overlap::ReadChosenTest(*testInfo_, opened_.TestType)) return false;
    charts_->DrawOverlay(fOverlap_->txtSeqName->text(), testInfo_->All());
    return true;
}

frmOverlapTest* frmMain::fOverlap() const { return fOverlap_.data(); }

void frmMain::cmdRelated_Click() {
    TrapErrors([&] {
        relatedinfo::cmdRelated_Click(&connection_, *testInfo_, *testAdditive_, opened_,
                                      [this] { Fill_Additive_Grid(); });
    });
}

// The CSV report and the printed report of the opened test.
void frmMain::cmdREPORT_Click() {
    TrapErrors([&] { csvReport_->Export_CSV_Report(); });
}
void frmMain::cmdPRINT_Click() {
    TrapErrors([&] { printedReport_->cmdPRINT_Click(); });
}

// The calibration window.
void frmMain::cmdCalibrate_Click() {
    TrapErrors([] { frmCalibrateTorque::ShowInstance(); });
}

// The Excel workbooks of the opened test.
void frmMain::cmdExportExcel_Click() {
    TrapErrors([&] { excelReport_->cmdExportExcel_Click(); });
}

void frmMain::cmdExcelDetail_Click() {
    TrapErrors([&] { excelReport_->Export_Excel_Detail(); });
}

// The sequence editor: one window, shown modeless while this one hides; it
// shows this window again when it closes.
void frmMain::cmdSetup_Click() {
    TrapErrors([&] {
        if (setup_) {
            setup_->raise();
            setup_->activateWindow();
            return;
        }
        setup_ = new frmSetup(&connection_, this);
        setup_->setAttribute(Qt::WA_DeleteOnClose);
        hide();
        setup_->show();
    });
}

// The real-time test container: one window, modeless; this window stays.
void frmMain::cmdRealTime_Click() {
    TrapErrors([&] { frmMDIRealTime::ShowInstance(Connection()); });
}

void frmMain::MenuSetup_Click() { cmdSetup_Click(); }
void frmMain::MenuFileReport_Click() { cmdREPORT_Click(); }
void frmMain::MenuFileRealTimeTest_Click() { cmdRealTime_Click(); }
void frmMain::MenuPrintChart_Click() { cmdPrintChart_Click(); }

void frmMain::mReSetScreen_Click() {
    TrapErrors([&] { ResetScreenScale(initialLines_); });
}

void frmMain::MenuHelpAbout_Click() {
    TrapErrors([&] {
        frmAbout about(this);
        ui::ShowModal(about);
    });
}

void frmMain::Open_Manual() {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::current().absoluteFilePath(QStringLiteral("3080_Manual.pdf"))));
}
