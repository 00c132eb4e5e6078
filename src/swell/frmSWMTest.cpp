// The swell window's shell: the controls, the load and its records, the unit
// captions and the grid's columns, the tick, the hooks through which the run
// (SwellRun) reads the port and shows its replies, the layout and closing.

#include "swell/frmSWMTest.h"

#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/clsSEQUENCE_INFO.h"
#include "data/clsSEQUENCE_RAMP.h"
#include "data/clsTEST_ADDITIVE.h"
#include "data/clsTEST_INFO.h"
#include "data/clsTEST_RESULT.h"
#include "dialogs/NamedControls.h"
#include "dialogs/frmNameSeq.h"
#include "platform/Database.h"
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"
#include "platform/PeChart.h"
#include "platform/TrapErrors.h"
#include "unitrun/RunMessages.h"
#include "unitrun/RunStates.h"
#include "unitlink/UnitProtocol.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

using namespace swell;

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

// An element of a control array: one name, its index as a property.
template <typename W>
W* indexed(W* w, int index) {
    w->setProperty("Index", index);
    return w;
}
}  // namespace

frmSWMTest::frmSWMTest(int unitNumber, clsConnection* connection, QWidget* parent)
    : RecordingWindow(UnitWindowKind::Swell, QStringLiteral("frmSWMTest"), QStringLiteral("LSM Test"),
                 {kLayoutWidth, kLayoutHeight}, [this] { Timer1_Timer(); }, parent) {
    mConnection = connection;
    Units(unitNumber);
    createControls();
    lblInstName->setText(QStringLiteral("Unit") + Str(unitNumber));
    Form_Load();
}

frmSWMTest::~frmSWMTest() {
    if (cfNameSeq) delete cfNameSeq.data();
}

void frmSWMTest::createControls() {
    MakeHeadingLabels(QStringLiteral("Unit"), {10, 6, 150, 28}, QStringLiteral("InActive"), {170, 6, 260, 28});

    createReadings();
    createSetPoints();
    createCalibrationReadings();
    createSampleFrame();
    createButtons();
    createGridAndChart();
    createStatusBar();
    connectControls();
}

void frmSWMTest::createReadings() {
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
}

void frmSWMTest::createSetPoints() {
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
    int y = 22;
    int n = 1;
    for (const Box& b : boxes) {
        QLabel* c = Label(Frame2, QStringLiteral("Label2%1").arg(n++ + 4), QString::fromUtf8(b.caption), {10, y, 100, 24});
        *b.box = Named<QLineEdit>(Frame2, QString::fromLatin1(b.boxName), {112, y, 80, 24});
        QLabel* u = Label(Frame2, QString::fromLatin1(b.unitName), QString::fromUtf8(b.unitText), {198, y, 50, 24});
        boxLabels_[*b.box] = {c, u};
        if (*b.box == txtTemps) Label29 = u;
        y += 30;
    }
    cmdTempSet = Button(Frame2, QStringLiteral("cmdTempSet"), QStringLiteral("SET"),
                        QStringLiteral("Click here to send the set points to the unit"), {230, 22, 62, 26});
    cmdPreHeat = Button(Frame2, QStringLiteral("cmdPreHeat"), QStringLiteral("Preheat"),
                        QStringLiteral("Click here to preheat the unit to the set points"), {230, 56, 62, 26});
}

void frmSWMTest::createCalibrationReadings() {
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
}

void frmSWMTest::createSampleFrame() {
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
    int y = 20;
    int n = 1;
    for (const Info& i : infos) {
        Label(Frame4, QStringLiteral("Label4%1").arg(n++ + 1), QString::fromLatin1(i.caption), {10, y, 130, 22});
        *i.value = Label(Frame4, QString::fromLatin1(i.name), QString(), {142, y, 170, 22});
        ControlLayout::HoldsValue(*i.value);  // the sample's names and values, of any length
        y += 24;
    }
}

void frmSWMTest::createButtons() {
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
}

void frmSWMTest::createGridAndChart() {
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
}

void frmSWMTest::createStatusBar() {
    StatusBar1 = Named<QStatusBar>(this, QStringLiteral("StatusBar1"), {0, 677, kLayoutWidth, 30});
    StatusBar1->setSizeGripEnabled(false);
    StartTime = controls::StatusPanel(StatusBar1, "StartTime", 3);
    ElapsedTime = controls::StatusPanel(StatusBar1, "ElapsedTime", 2);
    Status = controls::StatusPanel(StatusBar1, "Status", 2);
    EndTime = controls::StatusPanel(StatusBar1, "EndTime", 3);
    StepTime = controls::StatusPanel(StatusBar1, "StepTime", 3);
    UseProgressPanel(StepTime);
}

void frmSWMTest::connectControls() {
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
    Pesgo1->setProp(pesgo::YAxisLabel, swell::kSwellAxisTitleAtOpen);
    reply.state.SampleLength = 0;
    reply.state.ZeroVoltage = 0;
    reply.state.RefTemp = kDefaultRefTempF;
    FrameMode = 1;
    RunState = kIdle;
    Load_Swell_Calibration();
}

void frmSWMTest::InitialInst(clsConnection* connection) { MakeRecords(connection); }

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

// ---- the run's hooks --------------------------------------------------------------

QString frmSWMTest::ReadInput() { return MSComm1.PortOpen() ? MSComm1.Input() : QString(); }

void frmSWMTest::SendFrame(const QString& frame) {
    // A stop frame that fails comes after the run has ended (ShutDown).
    const bool running =
        RunState == kRunning || RunState == kCooling || (StopEndedRun && frame == unit::StopFrame());
    try {
        SendToUnit(frame);
    } catch (const comm::CommError& e) {
        PortLost(e, running);
    }
}

void frmSWMTest::SetTimerInterval(int ms) { SetTickInterval(ms); }

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

void frmSWMTest::ShowPointNotRecorded(int) { lblActiveFlag->setText(unit::NoResponseCaption()); }

void frmSWMTest::ShowPanel(const QString& key, const QString& text) {
    ShowStatusPanel(key, text, {StartTime, ElapsedTime, Status, EndTime});
}

void frmSWMTest::RunButtons(bool running) {
    cmdStart->setText(running ? QStringLiteral("STOP") : QStringLiteral("START"));
    cmdStart->setEnabled(true);
    cmdZero->setEnabled(!running);
    cmdExit->setEnabled(!running);
}

void frmSWMTest::Message(const QString& text) { ui::Notify(text); }

QString frmSWMTest::PortFailureMessage(const comm::CommError& error, bool wasRunning) const {
    const QString stopped = wasRunning ? runloop::RunStoppedText(RunningTestName()) : QString();
    return QStringLiteral("ERROR :") + error.fullText() + PortFailureNote(error, stopped);
}

QString frmSWMTest::RunningTestName() const { return lblTestname->text(); }

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

// ---- closing ----------------------------------------------------------------------

void frmSWMTest::cmdExit_Click() { CloseFromExit(); }

void frmSWMTest::closeEvent(QCloseEvent* event) {
    if (CloseRefused(event, RunState == kRunning || RunState == kCooling,
                     QStringLiteral("LSM test cannot be closed while a test is running. Click the Stop button if you "
                                    "want to stop the test.")))
        return;
    ReleaseUnit(Units());
    event->accept();
}
