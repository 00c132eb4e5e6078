#include "rheology/frmRealTime.h"

#include "data/Globals.h"
#include "data/Settings.h"
#include "data/clsSEQUENCE_INFO.h"
#include "data/clsSEQUENCE_RAMP.h"
#include "data/clsSEQUENCE_RAMP_DEFINE.h"
#include "data/clsTEST_ADDITIVE.h"
#include "data/clsTEST_INFO.h"
#include "data/clsTEST_RESULT.h"
#include "dialogs/NamedControls.h"
#include "dialogs/frmTestRelatedInfo.h"
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"
#include "platform/PeChart.h"
#include "platform/TrapErrors.h"
#include "unitbase/ReplyControls.h"
#include "unitbase/TripMessage.h"
#include "unitlink/StoredTransferRead.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

const QString frmRealTime::kDesignedCaption = QStringLiteral("Z3080 Duzur ARAD Ezadavovo Real Time Test");

frmRealTime::frmRealTime(QWidget* parent)
    : RecordingWindow(UnitWindowKind::RealTime, QStringLiteral("frmRealTime"), kDesignedCaption,
                 {kLayoutWidth, kLayoutHeight}, [this] { Timer1_Timer(); }, parent) {
    createControls();
    Form_Load();
}

frmRealTime::~frmRealTime() = default;

void frmRealTime::createControls() {
    MakeHeadingLabels(QStringLiteral("Z3080 1"), {10, 6, 150, 26}, QStringLiteral("INACTIVE"), {170, 6, 200, 26});

    // Heater Information
    Frame1 = controls::Frame(this, "Frame1", QStringLiteral("Heater Information"), {10, 38, 290, 92});
    Label2 = controls::Label(Frame1, "Label2", QStringLiteral("Sample Temperature:"), {10, 24, 140, 22});
    txtSampleTemp = controls::Reading(Frame1, "txtSampleTemp", {152, 22, 80, 24});
    Label13 = controls::Label(Frame1, "Label13", QStringLiteral("(°F)"), {238, 24, 48, 22});
    Label3 = controls::Label(Frame1, "Label3", QStringLiteral("Temperature Set Point:"), {10, 56, 140, 22});
    txtTempSetPoint = controls::Reading(Frame1, "txtTempSetPoint", {152, 54, 80, 24});
    Label11 = controls::Label(Frame1, "Label11", QStringLiteral("(°F)"), {238, 56, 48, 22});

    // Pressure Information
    Frame3 = controls::Frame(this, "Frame3", QStringLiteral("Pressure Information"), {10, 136, 290, 92});
    Label4 = controls::Label(Frame3, "Label4", QStringLiteral("Sample Pressure:"), {10, 24, 140, 22});
    txtPressure = controls::Reading(Frame3, "txtPressure", {152, 22, 80, 24});
    Label5 = controls::Label(Frame3, "Label5", QStringLiteral("(psi)"), {238, 24, 48, 22});
    Label6 = controls::Label(Frame3, "Label6", QStringLiteral("Pressure Set Point:"), {10, 56, 140, 22});
    txtPressSetPoint = controls::Reading(Frame3, "txtPressSetPoint", {152, 54, 80, 24});
    Label7 = controls::Label(Frame3, "Label7", QStringLiteral("(psi)"), {238, 56, 48, 22});

    // Test Data
    Frame2 = controls::Frame(this, "Frame2", QStringLiteral("Test Data"), {310, 38, 330, 190});
    const controls::ReadingRow rows[] = {
        {&Label8, "Label8", "Speed:", &txtspeed, "txtspeed", &Label9, "Label9", "(rpm)"},
        {&Label12, "Label12", "Shear Rate:", &txtShearrate, "txtShearrate", &Label14, "Label14", "(1/S)"},
        {&Label15, "Label15", "Apparent Viscosity:", &txtVisc, "txtVisc", &Label10, "Label10", "( cP )"},
        {&Label17, "Label17", "Shear Stress:", &txtShearStress, "txtShearStress", &Label16, "Label16", "(dyn/cm2)"},
        {&Label18, "Label18", "Fann Angle:", &txtFann, "txtFann", &Label19, "Label19", "(deg)"},
        {&Label20, "Label20", "Gel (Fann Angle):", &txtGelAngle, "txtGelAngle", &Label21, "Label21", "(deg)"},
    };
    int y = 22;
    for (const controls::ReadingRow& r : rows) {
        controls::PlaceReadingRow(Frame2, r, {10, 130, 142, 86, 234, 90}, y);
        y += 27;
    }

    // Max Pressure
    Frame4 = controls::Frame(this, "Frame4", QStringLiteral("Max Pressure"), {650, 38, 110, 80});
    Option1 = controls::Named<QRadioButton>(Frame4, "Option1", {12, 24, 90, 22});
    Option1->setText(QStringLiteral("20000"));
    Option2 = controls::Named<QRadioButton>(Frame4, "Option2", {12, 50, 90, 22});
    Option2->setText(QStringLiteral("30000"));

    // Sequence and test names
    Label22 = controls::Label(this, "Label22", QStringLiteral("Sequence Name:"), {650, 126, 120, 20});
    lblSelectSeq = controls::Label(this, "lblSelectSeq", QStringLiteral("Empty"), {650, 146, 224, 22});
    Label23 = controls::Label(this, "Label23", QStringLiteral("Test Name:"), {650, 176, 120, 20});
    lblTestname = controls::Label(this, "lblTestname", QStringLiteral("Empty"), {650, 196, 224, 22});
    ControlLayout::HoldsValue(lblSelectSeq);
    ControlLayout::HoldsValue(lblTestname);

    // Buttons, each as wide as its caption needs, in one row from the left
    // edge of the frames to the right edge of the chart.
    const int bh = 30, by = 236, gap = 8;
    int bx = 10;
    auto place = [&](int width) {
        const QRect r(bx, by, width, bh);
        bx += width + gap;
        return r;
    };
    cmdSelect = controls::Button(this, "cmdSelect", QStringLiteral("S&elect Sequence"),
                       QStringLiteral("Click here to select sequence"), place(130));
    cmdStart_Stop = controls::Button(this, "cmdStart_Stop", QStringLiteral("&Start"),
                           QStringLiteral("Click here to start test after sequence is selected"), place(92));
    cmdStop = controls::Button(this, "cmdStop", QStringLiteral("S&top"),
                     QStringLiteral("Click here to stop test before all test steps have completed "), place(92));
    cmdRefresh = controls::Button(this, "cmdRefresh", QStringLiteral("Re&fresh Test Sequence"),
                        QStringLiteral("Click here to refresh modified test sequence"), place(166));
    cmdRetrieve = controls::Button(this, "cmdRetrieve", QStringLiteral("&Retrieve Last Result"),
                         QStringLiteral("Click here to get last test result from Z3080 through comport"), place(150));
    cmdZero = controls::Button(this, "cmdZero", QStringLiteral("&Zero"), QStringLiteral("Click here to zero the Z3080"),
                     place(92));
    cmdExit = controls::Button(this, "cmdExit", QStringLiteral("&Exit"), QStringLiteral("Click here to exit the Real Time Test"),
                     place(92));

    // Chart quantities
    struct Check {
        QCheckBox** box;
        const char* name;
        const char* caption;
    } checks[] = {{&chkTemp, "chkTemp", "Temp"},   {&chkPress, "chkPress", "Press"}, {&chkSpeed, "chkSpeed", "Speed"},
                  {&chkSR, "chkSR", "Shear Rate"}, {&chkSS, "chkSS", "Shear Stress"}, {&chkVisc, "chkVisc", "Viscosity"},
                  {&chkFann, "chkFann", "Fann35"}};
    int cx = 10;
    for (const Check& c : checks) {
        *c.box = controls::Named<QCheckBox>(this, c.name, {cx, 272, 110, 22});
        (*c.box)->setText(QString::fromLatin1(c.caption));
        (*c.box)->setChecked(true);
        cx += 124;
    }

    MSFlexGrid1 = controls::Named<FlexGrid>(this, "MSFlexGrid1", {10, 300, 430, 258});
    Pesgo1 = controls::Named<PeChart>(this, "Pesgo1", {448, 300, 426, 258});

    Label1 = controls::Label(this, "Label1", QStringLiteral("Test Progress Information:"), {10, 562, 220, 20});
    StatusBar1 = controls::Named<QStatusBar>(this, "StatusBar1", {0, 586, kLayoutWidth, 30});
    StatusBar1->setSizeGripEnabled(false);
    StartTime = controls::StatusPanel(StatusBar1, "StartTime");
    ElapsedTime = controls::StatusPanel(StatusBar1, "ElapsedTime");
    StepTime = controls::StatusPanel(StatusBar1, "StepTime");
    EndTime = controls::StatusPanel(StatusBar1, "EndTime");
    UseProgressPanel(StepTime);

    connect(cmdSelect, &QPushButton::clicked, this, [this] { TrapErrors([this] { cmdSelect_Click(); }); });
    connect(cmdStart_Stop, &QPushButton::clicked, this, &frmRealTime::cmdStart_Stop_Click);
    connect(cmdStop, &QPushButton::clicked, this, &frmRealTime::cmdStop_Click);
    connect(cmdRefresh, &QPushButton::clicked, this, &frmRealTime::cmdRefresh_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmRealTime::cmdExit_Click);
    connect(cmdZero, &QPushButton::clicked, this, &frmRealTime::cmdZero_Click);
    connect(cmdRetrieve, &QPushButton::clicked, this, &frmRealTime::cmdRetrieve_Click);
    // A click toggles the box before its handler runs.
    connect(chkTemp, &QCheckBox::clicked, this, &frmRealTime::chkTemp_Click);
    connect(chkPress, &QCheckBox::clicked, this, &frmRealTime::chkPress_Click);
    connect(chkSpeed, &QCheckBox::clicked, this, &frmRealTime::chkSpeed_Click);
    connect(chkSR, &QCheckBox::clicked, this, &frmRealTime::chkSR_Click);
    connect(chkSS, &QCheckBox::clicked, this, &frmRealTime::chkSS_Click);
    connect(chkVisc, &QCheckBox::clicked, this, &frmRealTime::chkVisc_Click);
    connect(chkFann, &QCheckBox::clicked, this, &frmRealTime::chkFann_Click);
}

void frmRealTime::Form_Load() {
    // Fractions against the fixed 884 x 616 reference (the controls were
    // placed at that size).
    resize(kLayoutWidth, kLayoutHeight);
    mLayout.Save_Control_Layout();

    SetUnitLabels();
    Label11->setText(gTempLabel);
    Label13->setText(gTempLabel);
    Label16->setText(gStressLabel);
    Label10->setText(gViscLabel);

    RefreshRealTimeChart();
    SetupResultGrid();

    mTickCount = 0;
    mReply.mRxBuffer.clear();
    mReply.mShearRateFactor = 1.0;
    mReply.mStressDivisor = 1.0;

    // The unit's own maximum pressure, shown and chosen here.
    UseMaxPressureOptions(Option1, Option2);
}

void frmRealTime::SetUnitLabels() { ::SetUnitLabels(); }

void frmRealTime::InitialInst(clsConnection* connection) { MakeRecords(connection); }

void frmRealTime::Form_Activate() {
    Label11->setText(gTempLabel);
    Label13->setText(gTempLabel);
    Label16->setText(gStressLabel);
    Label10->setText(gViscLabel);
}

void frmRealTime::closeEvent(QCloseEvent* event) {
    const bool running = RunState == runloop::kStepRunning || RunState == runloop::kRampRunning;
    if (CloseRefused(event, running, QStringLiteral("Cannot exit while test is running."))) return;
    EndDownload();
    ReleaseUnit(UnitOfCaption(lblInstName->text()));
    event->accept();
}

void frmRealTime::cmdExit_Click() {
    // Inside the container the frame closes, which asks the window first.
    CloseFromExit();
}


void frmRealTime::ClearReadings() {
    unit::UnitReadings& m = mReply.readings;
    m.mSampleTemp = 0;
    m.mPressure = 0;
    m.mShearRate = 0;
    m.mShearStress = 0;
    m.mGel = 0;
    m.mSpeed = 0;
    mReply.texts = unit::UnitReadingTexts{};
    for (QLineEdit* box : {txtSampleTemp, txtTempSetPoint, txtspeed, txtShearrate, txtShearStress, txtFann, txtPressure,
                           txtPressSetPoint, txtVisc, txtGelAngle})
        box->clear();
}

void frmRealTime::SendFrame(const QString& frame) { SendToUnit(frame); }

void frmRealTime::cmdZero_Click() {
    if (RefusedWhileDownloading(QStringLiteral("The unit cannot be zeroed"))) return;
    if (!RequirePort(QStringLiteral("The unit cannot be zeroed"))) return;
    try {
        MSComm1.InputLen(0);
        mReply.ClearBuffer();
        SendFrame(unit::ZeroFrame());
    } catch (const comm::CommError& e) {
        PortLost(e, RunState != runloop::kIdle);
    }
}

void frmRealTime::showReply(const unit::ReplyResult& r) {
    // Every reading box, the set points the unit reports among them.
    ShowReply({.caption = lblActiveFlag, .exit = cmdExit, .txtSampleTemp = txtSampleTemp,
               .txtTempSetPoint = txtTempSetPoint, .txtspeed = txtspeed, .txtShearrate = txtShearrate,
               .txtShearStress = txtShearStress, .txtFann = txtFann, .txtPressure = txtPressure,
               .txtGelAngle = txtGelAngle, .txtPressSetPoint = txtPressSetPoint, .txtVisc = txtVisc},
              r, mReply.texts);
}

void frmRealTime::ParseUnitReply() {
    const QPointer<frmRealTime> self(this);
    mReply.watch.SetMaxPressure(MaxPress());
    const unit::ReplyResult result = mReply.ParseUnitReply(MSComm1, RunState == runloop::kStepRunning);
    FramesParsed(result.framesParsed);
    reactToTrips(result.trips);
    if (self) showReply(result);
}

QString frmRealTime::RunningTestName() const { return lblTestname->text(); }

void frmRealTime::reactToTrips(const std::vector<unit::SafetyTrip>& trips) {
    unit::ReactToTrips(mReply.watch, trips, [this] { ShutDown(); }, unit::TripMessageBox);
}

void frmRealTime::ShowPointNotRecorded(int) { lblActiveFlag->setText(unit::NoResponseCaption()); }

void frmRealTime::Timer1_Timer() {
    const QPointer<frmRealTime> self(this);
    const bool wasRunning = RunState != runloop::kIdle;
    ++mTickCount;
    try {
        if (RunState == runloop::kStepRunning && StepTick == 2) {
            // The tick after a step's set points: what came meanwhile is
            // stale. A frame in it still says that the unit is sending.
            InputDiscarded(MSComm1.PortOpen() && unit::HoldsFrameEnd(MSComm1.Input()));
            mReply.ClearBuffer();
        } else {
            ParseUnitReply();
            if (!self) return;
            if (const auto stop = mReply.watch.InactiveStop(RunState != runloop::kIdle)) reactToTrips({*stop});
        }
        if (!self) return;
        if (NoResponse()) lblActiveFlag->setText(unit::NoResponseCaption());
        RunTick();
    } catch (const comm::CommError& e) {
        if (self) PortLost(e, wasRunning);
    } catch (...) {
        // Any other failure ends this tick only; the run carries on with the next.
        if (self) ui::Notify(QStringLiteral("ERROR :") + CurrentError().description);
    }
}
