#include "unitwindows/frmSWMTest.h"

#include "calibration/frmCalibrateTorque.h"
#include "data/DateText.h"
#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/Units.h"
#include "data/clsSEQUENCE_INFO.h"
#include "data/clsSEQUENCE_RAMP.h"
#include "data/clsTEST_ADDITIVE.h"
#include "data/clsTEST_INFO.h"
#include "data/clsTEST_RESULT.h"
#include "dialogs/NamedControls.h"
#include "dialogs/TestInfoRules.h"
#include "dialogs/frmNameSeq.h"
#include "dialogs/frmTestRelatedInfo.h"
#include "platform/Database.h"
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"
#include "platform/ModalShow.h"
#include "platform/PeChart.h"
#include "platform/RunClock.h"
#include "platform/TrapErrors.h"
#include "unitlink/RunRules.h"
#include "unitlink/UnitProtocol.h"

#include <QCheckBox>
#include <algorithm>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <cmath>

using namespace swell;

const QString frmSWMTest::kDesignedCaption = QStringLiteral("LSM Test");

namespace {

using controls::Button;
using controls::Frame;
using controls::Label;
using controls::Named;

// A reading of the unit: a label framed like a box.
QLabel* reading(QWidget* parent, const QString& name, const QRect& geometry) {
    auto* l = controls::SunkenLabel(parent, name, QString(), geometry);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

QLabel* panel(QStatusBar* bar, const char* key, int stretch) {
    auto* p = new QLabel(bar);
    p->setObjectName(QString::fromLatin1(key));
    bar->addWidget(p, stretch);
    return p;
}

// An element of a control array: one name, its index as a property.
template <typename W>
W* indexed(W* w, int index) {
    w->setProperty("Index", index);
    return w;
}

QString calText(double v) { return Format(v, QStringLiteral("#0.0#####")); }

}  // namespace

frmSWMTest::frmSWMTest(int unitNumber, clsConnection* connection, QWidget* parent)
    : UnitWindow(UnitWindowKind::Swell, parent), mConnection(connection), mLayout(this, ControlLayout::Scaled) {
    setObjectName(QStringLiteral("frmSWMTest"));
    setWindowTitle(kDesignedCaption);
    Units(unitNumber);
    createControls();
    lblInstName->setText(QStringLiteral("Unit") + Str(unitNumber));
    Timer1.Timer = [this] { Timer1_Timer(); };
    reply.shutDown = [this] { ShutDown(); };
    Form_Load();
}

frmSWMTest::~frmSWMTest() {
    Timer1.Enabled(false);
    Timer1.Timer = nullptr;
    if (cfNameSeq) delete cfNameSeq.data();
}

void frmSWMTest::createControls() {
    resize(kLayoutWidth, kLayoutHeight);
    QFont big = font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);

    lblInstName = Label(this, QStringLiteral("lblInstName"), QStringLiteral("Unit"), {10, 6, 150, 28});
    lblInstName->setFont(big);
    lblActiveFlag = Label(this, QStringLiteral("lblActiveFlag"), QStringLiteral("InActive"), {170, 6, 260, 28});
    lblActiveFlag->setFont(big);

    // Readings
    Frame1 = Frame(this, QStringLiteral("Frame1"), QStringLiteral("Readings"), {10, 40, 330, 244});
    struct Row {
        const char* caption;
        QLabel** value;
        const char* valueName;
        QLabel** unitLabel;
        const char* unitName;
        const char* unitText;
    } rows[] = {
        {"Temperature:", &lbltemp1, "lbltemp1", &Label20, "Label20", "(°F)"},
        {"Speed:", &lblSpeed, "lblSpeed", nullptr, "Label21", "(rpm)"},
        {"Pressure:", &lblPress, "lblPress", nullptr, "Label22", "(psi)"},
        {"Voltage:", &lblvolt, "lblvolt", nullptr, "Label23", "(V)"},
        {"Sensor Length:", &lblen, "lblen", &Label18, "Label18", "(in.)"},
        {"Length Change:", &lbldist, "lbldist", &Label40, "Label40", "(in.)"},
        {"Swell:", &lblswell, "lblswell", nullptr, "Label24", "(%)"},
    };
    int y = 24;
    int n = 1;
    for (const Row& r : rows) {
        Label(Frame1, QStringLiteral("Label1%1").arg(n++), QString::fromUtf8(r.caption), {10, y, 120, 24});
        *r.value = reading(Frame1, QString::fromLatin1(r.valueName), {134, y, 110, 24});
        QLabel* u = Label(Frame1, QString::fromLatin1(r.unitName), QString::fromUtf8(r.unitText), {250, y, 74, 24});
        if (r.unitLabel) *r.unitLabel = u;
        y += 30;
    }

    // Set points
    Frame2 = Frame(this, QStringLiteral("Frame2"), QStringLiteral("Set Points"), {350, 40, 300, 160});
    struct Box {
        const char* caption;
        QLineEdit** box;
        const char* boxName;
        const char* unitName;
        const char* unitText;
    } boxes[] = {
        {"Temperature:", &txtTemps, "txtTemps", "Label29", "(°F)"},
        {"Pressure:", &txtPress, "txtPress", "Label30", "(psi)"},
        {"Speed:", &txtspeed, "txtspeed", "Label31", "(rpm)"},
        {"Data Interval:", &txtInterval, "txtInterval", "Label32", "(sec)"},
    };
    y = 22;
    n = 1;
    for (const Box& b : boxes) {
        Label(Frame2, QStringLiteral("Label2%1").arg(n++ + 4), QString::fromUtf8(b.caption), {10, y, 100, 24});
        *b.box = Named<QLineEdit>(Frame2, QString::fromLatin1(b.boxName), {112, y, 80, 24});
        QLabel* u = Label(Frame2, QString::fromLatin1(b.unitName), QString::fromUtf8(b.unitText), {198, y, 50, 24});
        if (*b.box == txtTemps) Label29 = u;
        y += 30;
    }
    cmdTempSet = Button(Frame2, QStringLiteral("cmdTempSet"), QStringLiteral("SET"),
                        QStringLiteral("Click here to send the set points to the unit"), {230, 22, 62, 26});
    cmdPreHeat = Button(Frame2, QStringLiteral("cmdPreHeat"), QStringLiteral("Preheat"),
                        QStringLiteral("Click here to preheat the unit to the set points"), {230, 56, 62, 26});

    // Calibration of the unit's sensor
    Frame3 = Frame(this, QStringLiteral("Frame3"), QStringLiteral("Calibration"), {350, 204, 300, 80});
    Label(Frame3, QStringLiteral("Label33"), QStringLiteral("Volts:"), {10, 20, 44, 18});
    for (int i = 1; i <= 3; ++i)
        lblCaliVolt[i] = indexed(reading(Frame3, QStringLiteral("lblCaliVolt"), {56 + (i - 1) * 80, 20, 76, 18}), i);
    Label(Frame3, QStringLiteral("Label34"), QStringLiteral("A:"), {10, 40, 44, 18});
    Label(Frame3, QStringLiteral("Label35"), QStringLiteral("B:"), {10, 58, 44, 18});
    for (int i = 1; i <= 2; ++i) {
        lblIntercept[i] = indexed(reading(Frame3, QStringLiteral("lblIntercept"), {56 + (i - 1) * 120, 40, 116, 18}), i);
        lblSlope[i] = indexed(reading(Frame3, QStringLiteral("lblSlope"), {56 + (i - 1) * 120, 58, 116, 18}), i);
    }

    // Sequence and sample
    Frame4 = Frame(this, QStringLiteral("Frame4"), QStringLiteral("Sample"), {660, 40, 320, 244});
    struct Info {
        const char* caption;
        QLabel** value;
        const char* name;
    } infos[] = {
        {"Sequence Name", &lblSelectSeq, "lblSelectSeq"}, {"Test Name", &lblTestname, "lblTestname"},
        {"Fluid Description", &lblFluid, "lblFluid"},     {"Sample Wt.", &lblWt, "lblWt"},
        {"Sample Len.", &lblLen, "lblLen"},               {"Hardness", &lblHard, "lblHard"},
        {"Comp. Press", &lblCPress, "lblCPress"},         {"Comp. Time", &lblCTime, "lblCTime"},
        {"Sample Description", &lblDesc, "lblDesc"},
    };
    y = 20;
    n = 1;
    for (const Info& i : infos) {
        Label(Frame4, QStringLiteral("Label4%1").arg(n++ + 1), QString::fromLatin1(i.caption), {10, y, 130, 22});
        *i.value = Label(Frame4, QString::fromLatin1(i.name), QString(), {142, y, 170, 22});
        y += 24;
    }

    // Buttons
    const int bw = 132, bh = 32, by = 292, gap = 8;
    auto bx = [&](int i) { return 10 + i * (bw + gap); };
    cmdSelect = Button(this, QStringLiteral("cmdSelect"), QStringLiteral("S&elect Sequence"),
                       QStringLiteral("Click here to select sequence"), {bx(0), by, bw, bh});
    cmdRefresh = Button(this, QStringLiteral("cmdRefresh"), QStringLiteral("Re&fresh Test Sequence"),
                        QStringLiteral("Click here to refresh modified test sequence"), {bx(1), by, bw + 26, bh});
    cmdZero = Button(this, QStringLiteral("cmdZero"), QStringLiteral("ZERO"),
                     QStringLiteral("Insert wafer into wafer holder and screw wafer holder into cap head, then click "
                                    "here before mounting sample cup."),
                     {bx(2) + 26, by, bw - 26, bh});
    cmdCalibrate = Button(this, QStringLiteral("cmdCalibrate"), QStringLiteral("CALIBRATE"),
                          QStringLiteral("Click here to calibrate the swell sensor of this unit"), {bx(3), by, bw, bh});
    cmdStart = Button(this, QStringLiteral("cmdStart"), QStringLiteral("START"),
                      QStringLiteral("Click here to start test after sequence is selected"), {bx(4), by, bw, bh});
    cmdExit = Button(this, QStringLiteral("cmdExit"), QStringLiteral("EXIT"),
                     QStringLiteral("Click here to exit the LSM test"), {bx(5), by, bw, bh});

    // Grid and chart
    MSFlexGrid1 = Named<FlexGrid>(this, QStringLiteral("MSFlexGrid1"), {10, 334, 445, 336});
    struct Check {
        QCheckBox** box;
        const char* name;
        const char* caption;
    } checks[] = {{&chkSwell, "chkSwell", "Swell"}, {&chkSpeed, "chkSpeed", "Speed"},
                  {&chkTemp, "chkTemp", "Temp."},   {&chkPress, "chkPress", "Press"}};
    int cx = 465;
    for (const Check& c : checks) {
        *c.box = Named<QCheckBox>(this, QString::fromLatin1(c.name), {cx, 334, 110, 22});
        (*c.box)->setText(QString::fromLatin1(c.caption));
        cx += 120;
    }
    Pesgo1 = Named<PeChart>(this, QStringLiteral("Pesgo1"), {465, 358, 515, 312});

    StatusBar1 = Named<QStatusBar>(this, QStringLiteral("StatusBar1"), {0, 677, kLayoutWidth, 30});
    StatusBar1->setSizeGripEnabled(false);
    StartTime = panel(StatusBar1, "StartTime", 3);
    ElapsedTime = panel(StatusBar1, "ElapsedTime", 2);
    Status = panel(StatusBar1, "Status", 2);
    EndTime = panel(StatusBar1, "EndTime", 3);
    StepTime = panel(StatusBar1, "StepTime", 3);

    auto trap = [this](void (frmSWMTest::*handler)()) {
        return [this, handler] { TrapErrors([this, handler] { (this->*handler)(); }); };
    };
    connect(cmdSelect, &QPushButton::clicked, this, trap(&frmSWMTest::cmdSelect_Click));
    connect(cmdRefresh, &QPushButton::clicked, this, trap(&frmSWMTest::cmdRefresh_Click));
    connect(cmdPreHeat, &QPushButton::clicked, this, trap(&frmSWMTest::cmdPreHeat_Click));
    connect(cmdTempSet, &QPushButton::clicked, this, trap(&frmSWMTest::cmdTempSet_Click));
    connect(cmdZero, &QPushButton::clicked, this, trap(&frmSWMTest::cmdZero_Click));
    connect(cmdCalibrate, &QPushButton::clicked, this, trap(&frmSWMTest::cmdCalibrate_Click));
    connect(cmdStart, &QPushButton::clicked, this, &frmSWMTest::cmdStart_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmSWMTest::cmdExit_Click);
    // The recording interval is whole seconds: a box that takes nothing else
    // cannot leave a run recording nothing by a typing slip.
    txtInterval->setValidator(new QIntValidator(0, 86400, txtInterval));
    connect(txtInterval, &QLineEdit::textChanged, this, &frmSWMTest::txtInterval_Change);
    for (QCheckBox* box : {chkSwell, chkSpeed, chkTemp, chkPress})
        connect(box, &QCheckBox::toggled, this, trap(&frmSWMTest::Initial_Chart_Swell));
}

void frmSWMTest::Form_Load() {
    mLayout.Save_Control_Layout();
    TrapErrors([this] { InitialInst(mConnection); });
    SetUnitLabels();
    Label29->setText(gTempLabel);
    Label20->setText(gTempLabel);
    Label40->setText(gLengthLabel);
    Label18->setText(gLengthLabel);
    Initial_Grid_Swell();
    Initial_Chart_All();
    chkSwell->setChecked(true);  // its click draws the swell axis
    Pesgo1->setProp(pesgo::XAxisLabel, QStringLiteral("Time (min)"));
    Pesgo1->setProp(pesgo::YAxisLabel, QStringLiteral("Swell %"));
    reply.state.SampleLength = 0;
    reply.state.ZeroVoltage = 0;
    reply.state.RefTemp = kDefaultRefTempF;
    FrameMode = 1;
    RunState = kIdle;
    Load_Swell_Calibration();
}

void frmSWMTest::InitialInst(clsConnection* connection) {
    mConnection = connection;
    mSeqInfo = std::make_unique<clsSEQUENCE_INFO>();
    mSeqInfo->ConnectX(mConnection);
    mSeqRamp = std::make_unique<clsSEQUENCE_RAMP>();
    mSeqRamp->ConnectX(mConnection);
    mTestResult = std::make_unique<clsTEST_RESULT>();
    mTestResult->ConnectX(mConnection);
    mTestInfo = std::make_unique<clsTEST_INFO>();
    mTestInfo->ConnectX(mConnection);
    mTestAdditive = std::make_unique<clsTEST_ADDITIVE>();
    mTestAdditive->ConnectX(mConnection);
}

bool frmSWMTest::haveRecords() {
    if (mSeqInfo && mSeqRamp && mTestResult && mTestInfo && mTestAdditive) return true;
    ui::MsgBox(ui::errorText(db::ErrNotOpen, QStringLiteral("The window has no connection to the database.")));
    return false;
}

void frmSWMTest::SetUnitLabels() {
    try {
        const bool cgs = gUnitSystem == 1;
        gTempLabel = cgs ? QStringLiteral("(°F)") : QStringLiteral("(°C)");
        gPressLabel = QStringLiteral("(Psi)");
        gViscLabel = cgs ? QStringLiteral("( cP )") : QStringLiteral("(mPa.s)");
        gStressLabel = cgs ? QStringLiteral("(dyn/cm2)") : QStringLiteral("( Pa )");
        gLengthLabel = cgs ? QStringLiteral("(in.)") : QStringLiteral("(mm)");
        // The maximum pressure is left as chosen: resetting it here would
        // raise the trip limit of another unit running at 20000 psi.
    } catch (const std::exception& e) {
        ui::MsgBox(ui::errorText(5, QString::fromLocal8Bit(e.what())));
    }
}

void frmSWMTest::Initial_Grid_Swell() {
    FlexGrid& g = *MSFlexGrid1;
    g.Cols(8);
    g.Rows(1);
    g.RowHeight(0, 600);
    g.WordWrap(true);
    g.FormatString(QStringLiteral("Step No") + QStringLiteral("|<Cycle No") + QStringLiteral("|<Time (min)") +
                   QStringLiteral("|<Temp ") + gTempLabel + QStringLiteral("|<Press ") + gPressLabel +
                   QStringLiteral("|<Speed (rpm)") + QStringLiteral("|<Length Change ") + gLengthLabel +
                   QStringLiteral("|< Swell (%) "));
    for (int c = 0; c <= 5; ++c) g.ColWidth(c, 1000);
    g.ColWidth(6, 1400);
    g.ColWidth(7, 950);
}

void frmSWMTest::Load_Swell_Calibration() {
    const calibration::SwellReadResult read = calibration::ReadSwellCalibration(Units());
    // A unit whose coefficients are 0 has its values taken but not shown.
    if (read.status == calibration::SwellReadResult::NotCalibrated) reply.calibration = read.data;
    if (read.ok())
        SetCalibration(read.data);
    else
        ui::MsgBox(read.message);
}

void frmSWMTest::SetCalibration(const SwellCalibration& c) {
    // This window's own unit: other swell windows keep theirs.
    reply.calibration = c;
    lblCaliVolt[1]->setText(calText(c.v1));
    lblCaliVolt[2]->setText(calText(c.v2));
    lblCaliVolt[3]->setText(calText(c.v3));
    lblIntercept[1]->setText(calText(c.A[1]));
    lblIntercept[2]->setText(calText(c.A[2]));
    lblSlope[1]->setText(calText(c.B[1]));
    lblSlope[2]->setText(calText(c.B[2]));
}

// ---- sequence ---------------------------------------------------------------------

void frmSWMTest::cmdSelect_Click() {
    // The running test's steps (and the pressure its watch reads) are never
    // replaced.
    if (RunState == kRunning || RunState == kCooling) {
        ui::MsgBox(runloop::SequenceLockedMessage());
        return;
    }
    if (!haveRecords()) return;
    frmNameSeq::Open(this, cfNameSeq, [this] { cfNameSeq_SelectedTestName(); });
    cfNameSeq->setAttribute(Qt::WA_DeleteOnClose);
    FillSequenceList();
    cfNameSeq->show();
}

void frmSWMTest::FillSequenceList() {
    mSeqInfo->ConnectX(mConnection);
    cfNameSeq->ListNames(mSeqInfo->JustName(), mSeqInfo->RowCount());
}

void frmSWMTest::cfNameSeq_SelectedTestName() {
    if (!cfNameSeq) return;
    // A picker opened before START and confirmed during the run loads
    // nothing: it stays open for after the run.
    if (RunState == kRunning || RunState == kCooling) {
        ui::MsgBox(runloop::SequenceLockedMessage());
        return;
    }
    SeqName = cfNameSeq->SelectedText();
    frmNameSeq* picker = cfNameSeq;
    cfNameSeq = nullptr;
    picker->hide();
    picker->deleteLater();
    if (!haveRecords()) return;

    const LoadedSwellSequence loaded = LoadSwellSequence(SeqName, mConnection, *mSeqInfo, *mSeqRamp);
    SequenceNo = loaded.sequenceNo;
    SeqName = loaded.name;
    if (!loaded.hasSteps) {
        ui::MsgBox(QStringLiteral("this sequence no data,cannot test"));
        SeqName.clear();
        return;
    }
    // Steps no run can count (a duration that is no number never ends its step).
    if (const std::optional<QString> problem = SequenceProblem(loaded.steps)) {
        ui::MsgBox(*problem);
        SeqName.clear();
        return;
    }
    static_cast<SwellSteps&>(*this) = loaded.steps;
    txtTemps->setText(TempBoxText(StepTemp[1]));
    txtPress->setText(Format(StepPress[1], QStringLiteral("###0")));
    txtspeed->setText(Format(StepSpeed[1], QStringLiteral("###0")));
    txtInterval->setText(CStr(StepRecordRate[1]));
    if (!SeqName.isEmpty()) lblSelectSeq->setText(SeqName);
    MSFlexGrid1->Rows(1);
}

void frmSWMTest::cmdRefresh_Click() {
    if (RunState != kRunning || !haveRecords()) return;
    const LoadedSwellSequence loaded = LoadSwellSequence(SeqName, mConnection, *mSeqInfo, *mSeqRamp);
    if (loaded.hasSteps) {
        // Steps no run can count are refused; the running ones stay.
        if (const std::optional<QString> problem = SequenceProblem(loaded.steps)) {
            ui::MsgBox(*problem);
            return;
        }
        static_cast<SwellSteps&>(*this) = loaded.steps;
    }
    SequenceNo = loaded.sequenceNo;
    if (CurStep <= StepCount) ShowStep(CurStep);
    sendSetPoints();
    if (RunState != kRunning) return;  // the line failed: the run has stopped
    StepStartMs = tick::timeGetTime();
    RecordStartMs = tick::timeGetTime();
    StepSeconds = 0;
    if (CurStep > StepCount) {
        RunState = kIdle;
        ShutDown();
        return;
    }
    EndTimeText = GeneralDateText(QVariant(tick::CurrentDateTime().addSecs(PlannedSeconds(*this, CurStep))));
    cmdExit->setEnabled(false);
    ShowPanel(QStringLiteral("EndTime"), QStringLiteral("End Time: ") + EndTimeText);
}

void frmSWMTest::ShowStep(int step) {
    txtTemps->setText(TempBoxText(StepTemp.value(step), QStringLiteral("###0")));
    txtPress->setText(Format(StepPress.value(step), QStringLiteral("###0")));
    txtspeed->setText(Format(StepSpeed.value(step), QStringLiteral("###0")));
    txtInterval->setText(CStr(StepRecordRate.value(step)));
}

// ---- set points ----------------------------------------------------------------------

bool frmSWMTest::Check_SetPoints() {
    SetTemp = Val(txtTemps->text());
    SetPress = Val(txtPress->text());
    SetSpeed = Val(txtspeed->text());
    const QString refusal = CheckSetPoints(txtTemps->text(), txtPress->text(), txtspeed->text(), gMaxPress);
    if (refusal.isEmpty()) return true;
    ui::MsgBox(refusal);
    return false;
}

bool frmSWMTest::sendSetPoints() {
    if (!Check_SetPoints()) {
        ui::MsgBox(NeedResetMessage());
        return false;
    }
    // The box holds display units; the unit takes °F.
    CommandText = SetPointFrame(TempFromDisplay(SetTemp), SetPress, SetSpeed, FrameMode);
    SendFrame(CommandText);
    Timer1.Interval(kAfterSetPointMs);
    return true;
}

void frmSWMTest::cmdTempSet_Click() {
    if (!RequirePort(QStringLiteral("The set points cannot be sent"))) return;
    sendSetPoints();
}

void frmSWMTest::cmdPreHeat_Click() {
    if (RunState == kRunning) return;
    if (!RequirePort(QStringLiteral("The set points cannot be sent"))) return;
    if (sendSetPoints()) RunState = kPreheating;
}

void frmSWMTest::txtInterval_Change() { RecordInterval = RecordIntervalOf(Val(txtInterval->text())); }

// ---- zeroing and calibration ----------------------------------------------------------

void frmSWMTest::cmdZero_Click() {
    // The zero is taken against the sensor voltage the unit sends: without
    // its line that is no reading at all.
    if (!RequirePort(QStringLiteral("The sensor cannot be zeroed"))) return;
    const QString prompt = QStringLiteral("Input dry wafer Length ") + gLengthLabel;
    const QString answer = ui::InputBox(prompt, prompt);
    const ZeroOutcome outcome = ZeroSensor(answer, reply.calibration, reply.state);
    const QString text = ZeroMessage(outcome);
    if (!text.isEmpty()) ui::MsgBox(text, ui::vbOKOnly, ZeroTitle(outcome));
}

void frmSWMTest::cmdCalibrate_Click() {
    if (RunState == kRunning) return;
    // The calibration window takes the unit's port.
    if (MSComm1.PortOpen()) MSComm1.PortOpen(false);
    frmCalibrateTorque::ShowOnTab(3, Units());
    cmdExit_Click();
}

// ---- start and stop -----------------------------------------------------------------

void frmSWMTest::cmdStart_Click() {
    if (cmdStart->text() == QStringLiteral("STOP")) {
        if (RunState == kRunning) {
            if (ui::MsgBox(QStringLiteral("Are you sure you want to stop the test?"), ui::vbYesNo) != ui::vbYes)
                return;
        }
        ShutDown();
        return;
    }
    try {
        if (!RequirePort(QStringLiteral("The test cannot be started"))) return;
        if (SeqName.isEmpty()) {
            ui::MsgBox(QStringLiteral("PLEASE SELECT SEQUENCE FIRST"));
            return;
        }
        if (lblCaliVolt[1]->text().isEmpty() && lblCaliVolt[2]->text().isEmpty() && lblCaliVolt[3]->text().isEmpty()) {
            ui::MsgBox(QStringLiteral("No calibration data, Calibrate first"));
            return;
        }
        if (!(reply.state.SampleLength > 0)) {
            ui::MsgBox(QStringLiteral("Click ZERO to set a zero measurement value before starting the test"));
            return;
        }
        if (!Check_SetPoints()) return;
        if (!haveRecords()) return;

        auto info = std::make_unique<frmTestRelatedInfo>(mConnection, this);
        frmTestRelatedInfo& d = *info;
        d.txtBobNo->setText(QStringLiteral("LSM"));
        d.Label1(15)->setText(QStringLiteral("Test Type"));
        d.Label1(8)->setText(QStringLiteral("Sample_Wt"));
        d.txtBobRadius->setEnabled(true);
        d.txtBobRadius->clear();
        d.Label3->setText(QStringLiteral("(g)"));
        d.Label3->show();
        d.Label1(1)->setText(QStringLiteral("Sample_Len."));
        d.txtBobLength->setText(Format(LengthToDisplayText(reply.state.SampleLength), QStringLiteral("##.##")));
        d.txtBobLength->setEnabled(false);
        d.Label4->setText(gLengthLabel);
        d.Label4->show();
        d.Label1(14)->setText(QStringLiteral("Sample_Comp._Time"));
        d.txtRotoNo->clear();
        d.Label7->setText(QStringLiteral("(min)"));
        d.Label7->show();
        d.Label1(9)->setText(QStringLiteral("Sample_Comp._Press"));
        d.Label1(9)->show();
        d.Label5->setText(QStringLiteral("(psi)"));
        d.Label5->show();
        d.txtPostTestPH->clear();
        d.txtPostTestPH->show();
        d.Label1(10)->setText(QStringLiteral("Sample_Hardness"));
        d.Label1(10)->show();
        d.Label6->hide();
        d.txtPreTestPH->show();
        d.txtPreTestPH->clear();

        ui::ShowModal(d);
        if (d.Cancelled) {
            ui::MsgBox(QStringLiteral("Test is not running "));
            return;
        }

        clsTEST_INFO& t = *mTestInfo;
        TestName = d.txtTestName->text();
        t.TEST_NAME(TestName);
        lblTestname->setText(TestName);
        t.Fluid_ID(d.txtFluidId->text().trimmed());
        lblFluid->setText(d.txtFluidId->text().trimmed());
        t.RESEARCHER_NAME(d.txtResearchName->text());
        const double hardness = Val(d.txtPreTestPH->text());
        t.PreTest_PH(hardness);
        lblHard->setText(CStr(hardness));
        const double compPress = Val(d.txtPostTestPH->text());
        t.PostTest_PH(compPress);
        lblCPress->setText(CStr(compPress));
        t.ROTOR_NO(d.txtRotoNo->text());
        lblCTime->setText(d.txtRotoNo->text());
        t.BOB_NO(d.txtBobNo->text());
        // The sample length is stored in inches whatever the unit system: the
        // dry length the zeroing took (entered in the display unit), which the
        // run's swell is taken against. The dialog showed it in the display unit.
        t.BOB_EFF_LENGTH(reply.state.SampleLength);
        lblLen->setText(CStr(Val(d.txtBobLength->text())));
        const double weight = Val(d.txtBobRadius->text());
        t.BOB_RADIUS(weight);
        lblWt->setText(CStr(weight));
        t.SAFETY(d.txtSAFETY->toPlainText().trimmed());
        lblDesc->setText(d.txtSAFETY->toPlainText().trimmed());
        t.TEST_TIME(tick::CurrentDateTime());
        t.AddNew();
        t.TEST_NAME(TestName);
        t.GetTestDetail();
        TestId = roundHalfEven(t.Test_Id());
        testinfo::AddAdditives(*mTestAdditive, TestId, d.AdditiveRows());

        ChartSampleLength = reply.state.SampleLength;
        Initial_Chart_Swell();
        MSFlexGrid1->Rows(1);
        Timer1.Interval(kStartTickMs);
        Timer1.Enabled(true);
        BeginRun();
        txtInterval->setText(CStr(StepRecordRate.value(1)));
        RecordInterval = RecordIntervalOf(StepRecordRate.value(1));
        cmdStart->setText(QStringLiteral("STOP"));
        cmdExit->setEnabled(false);
        cmdZero->setEnabled(false);
        const QDateTime now = tick::CurrentDateTime();
        ShowPanel(QStringLiteral("StartTime"), QStringLiteral("Start Time: ") + GeneralDateText(QVariant(now)));
        ElapsedText = QStringLiteral("00:00");
        ShowPanel(QStringLiteral("ElapsedTime"), QStringLiteral("ElapsedTime:") + ElapsedText);
        ShowPanel(QStringLiteral("Status"), QStringLiteral("Test Running"));
        EndTimeText = GeneralDateText(QVariant(now.addSecs(PlannedSeconds(*this))));
        ShowPanel(QStringLiteral("EndTime"), QStringLiteral("End Time: ") + EndTimeText);
        info.reset();
        sendSetPoints();
    } catch (const NumberedError& e) {
        ui::MsgBox(e.description());
    } catch (const std::exception& e) {
        ui::MsgBox(QString::fromLocal8Bit(e.what()));
    }
}

// ---- the run's hooks --------------------------------------------------------------

QString frmSWMTest::ReadInput() { return MSComm1.PortOpen() ? MSComm1.Input() : QString(); }

void frmSWMTest::SendFrame(const QString& frame) {
    // A stop frame that fails comes after the run has ended (ShutDown).
    const bool running =
        RunState == kRunning || RunState == kCooling || (StopEndedRun && frame == unit::StopFrame());
    try {
        if (MSComm1.PortOpen()) MSComm1.Output(frame);
    } catch (const comm::CommError& e) {
        PortLost(e, running);
    }
}

void frmSWMTest::SetTimerInterval(int ms) { Timer1.Interval(ms); }

double frmSWMTest::PressSetPoint() { return Val(txtPress->text()); }

void frmSWMTest::RecordPoint() {
    const SwellState& s = reply.state;
    // The stored row first: a point the database refused gets no grid row.
    try {
        clsTEST_RESULT& r = *mTestResult;
        r.Test_Id(TestId);
        r.RAMP_NO(CurStep);
        r.RAMP_STEP_NO(0);
        r.CYCLE_NO(CurCycle);
        r.RESULT_TIME(ElapsedSeconds);
        r.RESULT_SAMPLE_TEMP(Val(CStr(s.SampleTemp)));
        r.RESULT_PRESS(Val(CStr(s.SamplePress)));
        r.RESULT_SPEED(s.SampleSpeed);
        r.RESULT_SHEAR_STRESS(Val(CStr(s.LengthChange)));
        r.RESULT_TYPE_ID(0);
        r.RESULT_BATH_TEMP(Val(CStr(s.RawVoltage)));
        r.AddNew();
        mSamples.Written(TestId, LiveSamples::PointOf(TestId, r));
    } catch (const db::DbError& e) {
        if (RowsNotSaved++ == 0)
            ui::MsgBox(QStringLiteral("A recorded point could not be stored: ") + ui::errorText(e.number(), e.description()));
        return;
    }
    FlexGrid& g = *MSFlexGrid1;
    const int row = g.Rows();
    g.Rows(row + 1);
    g.TextMatrix(row, 0, CStr(CurStep));
    g.TextMatrix(row, 1, CStr(CurCycle));
    g.TextMatrix(row, 2, Format(ElapsedSeconds / 60, QStringLiteral("#0.0")));
    g.TextMatrix(row, 3, Format(TempToDisplay(s.SampleTemp), QStringLiteral("#0.#")));
    g.TextMatrix(row, 4, Format(s.SamplePress, QStringLiteral("#0")));
    g.TextMatrix(row, 5, Format(s.SampleSpeed, QStringLiteral("#0")));
    g.TextMatrix(row, 6, Format(QVariant(LengthToDisplayText(s.LengthChange)), QStringLiteral("#0.####")));
    g.TextMatrix(row, 7, Format(s.SwellPercent, QStringLiteral("#0.##")));
    PlotSwellPoints();
}

void frmSWMTest::ShowReply(const SwellReplyResult& r) {
    const SwellTexts& t = r.texts;
    auto show = [](QLabel* l, const std::optional<QString>& text) {
        if (text) l->setText(*text);
    };
    show(lblActiveFlag, t.lblActiveFlag);
    show(lbltemp1, t.lbltemp1);
    show(lblSpeed, t.lblSpeed);
    show(lblPress, t.lblPress);
    show(lblvolt, t.lblvolt);
    show(lblen, t.lblen);
    show(lbldist, t.lbldist);
    show(lblswell, t.lblswell);
    if (r.enableExit) cmdExit->setEnabled(true);
}

void frmSWMTest::ShowStatus(const QString& caption) { lblActiveFlag->setText(caption); }

void frmSWMTest::ShowPanel(const QString& key, const QString& text) {
    for (QLabel* p : {StartTime, ElapsedTime, Status, EndTime, StepTime})
        if (p->objectName() == key) p->setText(text);
}

void frmSWMTest::RunButtons(bool running) {
    cmdStart->setText(running ? QStringLiteral("STOP") : QStringLiteral("START"));
    cmdStart->setEnabled(true);
    cmdZero->setEnabled(!running);
    cmdExit->setEnabled(!running);
}

void frmSWMTest::Message(const QString& text) { ui::MsgBox(text); }

void frmSWMTest::PortLost(const comm::CommError& error, bool wasRunning) {
    if (MSComm1.PortOpen()) {
        try {
            MSComm1.PortOpen(false);
        } catch (...) {
        }
    }
    // The port is closed: ShutDown's stop frame is not tried again.
    if (RunState != kIdle) ShutDown();
    lblActiveFlag->setText(unit::NoResponseCaption());
    const QString stopped = wasRunning ? QStringLiteral("The running test has stopped; the points recorded before are "
                                                        "stored.")
                                       : QString();
    ui::MsgBox(QStringLiteral("ERROR :") + error.fullText() + PortFailureNote(error, stopped));
}

void frmSWMTest::Timer1_Timer() {
    const QPointer<frmSWMTest> self(this);
    const bool running = RunState == kRunning || RunState == kCooling;
    try {
        Tick();
    } catch (const comm::CommError& e) {
        if (self) PortLost(e, running);
    } catch (...) {
        // Any other failure ends this tick only; the next one starts afresh.
    }
}

// ---- chart ----------------------------------------------------------------------------

ChartTicks frmSWMTest::chartTicks() const {
    return {chkSwell->isChecked(), chkSpeed->isChecked(), chkTemp->isChecked(), chkPress->isChecked()};
}

void frmSWMTest::Initial_Chart_All() {
    mPlotHeld = {};  // the base settings write points of their own
    InitialChartAll(*Pesgo1, lblTestname->text());
}

void frmSWMTest::Initial_Chart_Swell() {
    if (!mTestResult) mTestResult = std::make_unique<clsTEST_RESULT>();
    mPlotHeld = {};
    RebuildSwellChart(*Pesgo1, chartTicks(), lblTestname->text(), TestId, ChartSampleLength, *mTestResult,
                      mConnection);
}

void frmSWMTest::PlotSwellPoints() {
    const ChartTicks ticks = chartTicks();
    if (!mTestResult || TestId == 0 || std::none_of(ticks.begin(), ticks.end(), [](bool t) { return t; })) {
        Initial_Chart_Swell();
        return;
    }
    try {
        const std::vector<ResultPoint>& rows = mSamples.Of(TestId, *mTestResult, mConnection);
        if (PlotSwellRows(*Pesgo1, ticks, rows, ChartSampleLength, &mPlotHeld, mSamples.Version())) return;
    } catch (const db::DbError& e) {
        ui::MsgBox(QStringLiteral("chart error  ") + e.description());
        return;
    }
    Initial_Chart_Swell();
}

// ---- layout and closing -----------------------------------------------------------------

void frmSWMTest::resizeEvent(QResizeEvent* event) {
    UnitWindow::resizeEvent(event);
    mLayout.Form_Resize();
}

void frmSWMTest::showEvent(QShowEvent* event) {
    UnitWindow::showEvent(event);
    mLayout.Form_Resize();
}

void frmSWMTest::cmdExit_Click() { CloseFromExit(); }

void frmSWMTest::closeEvent(QCloseEvent* event) {
    if (CloseRefused(event, RunState == kRunning || RunState == kCooling,
                     QStringLiteral("LSM test cannot be closed while a test is running. Click the Stop button if you "
                                    "want to stop the test.")))
        return;
    ReleaseUnit(Units());
    event->accept();
}
