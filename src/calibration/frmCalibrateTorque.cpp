#include "calibration/frmCalibrateTorque.h"

#include "calibration/CalibrationMath.h"
#include "calibration/CalibrationPlot.h"
#include "data/CalibrationFiles.h"
#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/Units.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/NamedControls.h"
#include "platform/Dialogs.h"
#include "platform/PeChart.h"
#include "platform/TrapErrors.h"
#include "unitlink/UnitPorts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QThread>
#include <QTime>
#include <cmath>
#include <stdexcept>

using namespace calibration;

const QString frmCalibrateTorque::kCaption = QStringLiteral("Calibration");

namespace {

const QString kCommMessage =
    QStringLiteral("Communication error - Please make sure the unit is not occupied with another function.");
const QString kBusyMessage = QStringLiteral("Please wait, calibrating current unit. ");
const QString kTableFilter = QStringLiteral("All Files (*.*)|*.*|Text Files") + QStringLiteral("(*.txt)|*.txt");
const QString kReportFilter = QStringLiteral("All Files (*.*)|*.*|Text Files(*.csv)|*.csv");
const QString kCancelled = QStringLiteral("Cancel was selected.");

QPointer<frmCalibrateTorque>& instance() {
    static QPointer<frmCalibrateTorque> p;
    return p;
}

using controls::Button;
using controls::Label;
using controls::Named;

// A value caption: a sunken box that shows a number (and lets it be copied).
QLabel* valueBox(QWidget* parent, const QString& name, const QRect& geometry, int index = -1) {
    QLabel* l = controls::SunkenLabel(parent, name, QString(), geometry, index);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

// A file chosen in the save or open dialog, the second filter shown first;
// nothing, with the cancel said, when the operator cancels.
std::optional<QString> chooseFile(bool save, const QString& filter) {
    ui::FileRequest req;
    req.save = save;
    req.filter = filter;
    req.filterIndex = 2;
    const std::optional<QString> path = save ? ui::GetSaveFileName(req) : ui::GetOpenFileName(req);
    if (!path) ui::MsgBox(kCancelled);
    return path;
}
std::optional<QString> saveFile(const QString& filter) { return chooseFile(true, filter); }
std::optional<QString> openFile(const QString& filter) { return chooseFile(false, filter); }

// The unit of a list entry: the value of its last character ("Unit 3" is 3).
int unitOfEntry(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || !t.back().isDigit()) return 0;
    return t.back().digitValue();
}

// Whether a tab's list shows the unit whose port the tab opened, and the port,
// when open, is still that unit's (another tab may have opened another since).
bool showsUnit(const QComboBox& list, int opened, const comm::CommPort& port, const std::array<int, 11>& ports) {
    if (opened < 1 || opened >= int(ports.size())) return false;
    if (list.currentIndex() < 0 || unitOfEntry(list.currentText()) != opened) return false;
    return !port.PortOpen() || port.PortNumber() == ports[size_t(opened)];
}

// A failure that the handler reports with its own text.
struct HandlerError : std::runtime_error {
    explicit HandlerError(const QString& text) : std::runtime_error(text.toStdString()), text(text) {}
    QString text;
};

QString describe(const std::exception& e) {
    if (auto* c = dynamic_cast<const comm::CommError*>(&e)) return c->fullText();
    if (auto* h = dynamic_cast<const HandlerError*>(&e)) return h->text;
    return QString::fromStdString(e.what());
}

// Waits until the seconds of the clock have changed n times, handling events.
void busyWaitSeconds(int n) {
    const int s0 = QTime::currentTime().second();
    for (;;) {
        if (SecondsWaitOver(s0, QTime::currentTime().second(), n)) return;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

}  // namespace

frmCalibrateTorque::frmCalibrateTorque(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmCalibrateTorque"));
    setWindowTitle(kCaption);
    buildControls();
    Delay_Seconds = busyWaitSeconds;
    Timer1.Timer = [this] { Timer1_Timer(); };
    TimerPVT.Timer = [this] { TimerPVT_Timer(); };
    TimerSWM.Timer = [this] { TimerSWM_Timer(); };
    for (tick::TickTimer* t : {&Timer1, &TimerPVT, &TimerSWM}) {
        t->Interval(0);
        t->Enabled(false);
    }
}

frmCalibrateTorque::~frmCalibrateTorque() { Form_Unload(); }

// ---- the one window ---------------------------------------------------------

frmCalibrateTorque* frmCalibrateTorque::ShowInstance() {
    QPointer<frmCalibrateTorque>& p = instance();
    bool created = false;
    if (!p) {
        p = new frmCalibrateTorque();
        p->setAttribute(Qt::WA_DeleteOnClose);
        p->Form_Load();
        // It opens in the middle of the screen's available area, whole.
        dialogsupport::CentreOnScreen(p);
        created = true;
    }
    p->show();
    // Its frame is known once shown: still inside the available area.
    if (created) dialogsupport::KeepOnScreen(p);
    p->raise();
    p->activateWindow();
    return p;
}

frmCalibrateTorque* frmCalibrateTorque::Instance() { return instance(); }

frmCalibrateTorque* frmCalibrateTorque::ShowOnTab(int tab, int unit) {
    frmCalibrateTorque* w = ShowInstance();
    if (tab < 1 || tab > 3) return w;
    w->showFrame(tab);
    // The strip shows the tab the frame belongs to.
    w->TabStrip1->blockSignals(true);
    w->TabStrip1->setCurrentIndex(tab - 1);
    w->TabStrip1->blockSignals(false);
    if (unit < 1 || unit > unit::kUnitCount || w->PortNo[size_t(unit)] == 0) return w;
    int index = -1;
    for (int u = 1; u <= unit; ++u)
        if (w->PortNo[size_t(u)] != 0) ++index;
    if (index >= w->cmbInstName[size_t(tab)]->count()) return w;
    w->cmbInstName[size_t(tab)]->setCurrentIndex(index);
    w->cmbInstName_Click(tab);
    return w;
}

// ---- controls -----------------------------------------------------------------

void frmCalibrateTorque::buildControls() {
    setFixedSize(1000, 700);
    TabStrip1 = Named<QTabBar>(this, QStringLiteral("TabStrip1"), QRect(8, 6, 984, 30));
    TabStrip1->addTab(QStringLiteral("CalibrateTorque"));
    TabStrip1->addTab(QStringLiteral("Calibrate PVT"));
    TabStrip1->addTab(QStringLiteral("Calibrate LSM"));
    TabStrip1->setExpanding(false);
    connect(TabStrip1, &QTabBar::currentChanged, this, [this] { TabStrip1_Click(); });

    for (int i = 1; i <= 3; ++i) {
        Frame1[size_t(i)] = Named<QFrame>(this, QStringLiteral("Frame1"), QRect(8, 36, 984, 636), i);
        Frame1[size_t(i)]->setFrameShape(QFrame::StyledPanel);
        Frame1[size_t(i)]->setVisible(i == 1);
    }

    StatusBar1 = Named<QStatusBar>(this, QStringLiteral("StatusBar1"), QRect(0, 674, 1000, 26));
    StatusBar1->setSizeGripEnabled(false);
    StatusPanel1 = new QLabel(QStringLiteral("Current Status:"), StatusBar1);
    StatusPanel1->setObjectName(QStringLiteral("Panel1"));
    StatusPanel1->setMinimumWidth(160);
    CaliStatus = new QLabel(QStringLiteral("Inactive"), StatusBar1);
    CaliStatus->setObjectName(QStringLiteral("CaliStatus"));
    StatusBar1->addWidget(StatusPanel1);
    StatusBar1->addWidget(CaliStatus, 1);

    buildTorqueTab(Frame1[1]);
    buildPvtTab(Frame1[2]);
    buildSwellTab(Frame1[3]);

    for (int i = 1; i <= 3; ++i) {
        QComboBox* c = cmbInstName[size_t(i)];
        connect(c, &QComboBox::activated, this, [this, i] { cmbInstName_Click(i); });
        connect(cmdReturn[size_t(i)], &QPushButton::clicked, this, [this, i] { cmdReturn_Click(i); });
    }
}

void frmCalibrateTorque::buildTorqueTab(QWidget* f) {
    Label(f, QStringLiteral("Label1"), QStringLiteral("Please select which unit to calibrate:"), QRect(16, 16, 270, 26));
    cmbInstName[1] = Named<QComboBox>(f, QStringLiteral("cmbInstName"), QRect(290, 16, 130, 26), 1);
    Label(f, QStringLiteral("Label4"), QStringLiteral("Please select bob size:"), QRect(16, 50, 270, 26));
    cmbBobSize = Named<QComboBox>(f, QStringLiteral("cmbBobSize"), QRect(290, 50, 130, 26));
    connect(cmbBobSize, &QComboBox::activated, this, [this] { cmbBobSize_Click(); });

    Frame2 = controls::Frame(f, QStringLiteral("Frame2"), QStringLiteral("Calibration Fluid Specs"), QRect(16, 86, 404, 536));
    for (int i = 0; i <= 20; ++i) {
        const int y = 28 + i * 24;
        Label2[size_t(i)] = Label(Frame2, QStringLiteral("Label2"), QStringLiteral("%1 (Deg C)").arg(20 + i),
                                  QRect(16, y, 120, 22), i);
        txtCali[size_t(i)] = Named<QLineEdit>(Frame2, QStringLiteral("txtCali"), QRect(140, y, 110, 22), i);
        txtCali[size_t(i)]->setText(QStringLiteral("100"));
        txtCali[size_t(i)]->setAlignment(Qt::AlignRight);
        Label3[size_t(i)] = Label(Frame2, QStringLiteral("Label3"), QStringLiteral("cP"), QRect(258, y, 120, 22), i);
    }

    CWGraph1 = Named<PeChart>(f, QStringLiteral("CWGraph1"), QRect(436, 16, 532, 470));
    InitCalibrationPlot(*CWGraph1, QStringLiteral("Angle (Deg)"), QStringLiteral("Shear Stress (dyn/cm2)"));

    cmdSave1 = Button(f, QStringLiteral("cmdSave1"), QStringLiteral("Save to File"), QRect(436, 500, 128, 34));
    cmdLoad = Button(f, QStringLiteral("cmdLoad"), QStringLiteral("Load From File"), QRect(570, 500, 128, 34));
    cmdSendCali = Button(f, QStringLiteral("cmdSendCali"), QStringLiteral("Send Cali. profile."),
                         QRect(704, 500, 128, 34));
    Command1 = Button(f, QStringLiteral("Command1"), QStringLiteral("Get Cali. profile."), QRect(838, 500, 130, 34));
    cmdStart = Button(f, QStringLiteral("cmdStart"), QStringLiteral("&Start"), QRect(436, 560, 128, 40));
    cmdExport = Button(f, QStringLiteral("cmdExport"), QStringLiteral("&Export"), QRect(570, 560, 128, 40));
    cmdReturn[1] = Button(f, QStringLiteral("cmdReturn"), QStringLiteral("&Return"), QRect(838, 560, 130, 40), 1);

    connect(cmdSave1, &QPushButton::clicked, this, &frmCalibrateTorque::cmdSave1_Click);
    connect(cmdLoad, &QPushButton::clicked, this, &frmCalibrateTorque::cmdLoad_Click);
    connect(cmdSendCali, &QPushButton::clicked, this, &frmCalibrateTorque::cmdSendCali_Click);
    connect(cmdStart, &QPushButton::clicked, this, &frmCalibrateTorque::cmdStart_Click);
    connect(cmdExport, &QPushButton::clicked, this, &frmCalibrateTorque::cmdExport_Click);
}

void frmCalibrateTorque::buildPvtTab(QWidget* f) {
    Label(f, QStringLiteral("Label8"), QStringLiteral("Please select which unit to calibrate:"), QRect(16, 16, 270, 26));
    cmbInstName[2] = Named<QComboBox>(f, QStringLiteral("cmbInstName"), QRect(290, 16, 130, 26), 2);
    Label(f, QStringLiteral("Label10"), QStringLiteral("Please select piston type:"), QRect(16, 50, 270, 26));
    Combo1 = Named<QComboBox>(f, QStringLiteral("Combo1"), QRect(290, 50, 130, 26));
    connect(Combo1, &QComboBox::activated, this, [this] { Combo1_Click(); });

    Label6 = Label(f, QStringLiteral("Label6"), QStringLiteral("STEP 1"), QRect(16, 90, 120, 24));
    QFont bold = Label6->font();
    bold.setBold(true);
    Label6->setFont(bold);
    for (int i = 1; i <= 5; ++i) {
        cmdPVT[size_t(i)] = Button(f, QStringLiteral("cmdPVT"),
                                   QStringLiteral("Set #%1 rod with piston and click here").arg(i),
                                   QRect(16, 116, 500, 36), i);
        connect(cmdPVT[size_t(i)], &QPushButton::clicked, this, [this, i] { cmdPVT_Click(i); });
    }
    for (int i = 1; i <= 5; ++i) {
        const int y = 168 + (i - 1) * 70;
        const QString position = QStringLiteral("Position %1").arg(i) + (i >= 4 ? QStringLiteral("  ") : QStringLiteral(" "));
        Label20[size_t(i)] = Label(f, QStringLiteral("Label20"), position, QRect(16, y, 92, 24), i);
        Text1[size_t(i)] = Named<QLineEdit>(f, QStringLiteral("Text1"), QRect(110, y, 70, 24), i);
        Label24[size_t(i)] = Label(f, QStringLiteral("Label24"), QStringLiteral("in."), QRect(184, y, 30, 24), i);
        Label22[size_t(i)] = Label(f, QStringLiteral("Label22"),
                                   i == 1 ? QStringLiteral("Read data 1 =") : QStringLiteral("Read Data %1 =").arg(i),
                                   QRect(220, y, 104, 24), i);
        lalData[size_t(i)] = valueBox(f, QStringLiteral("lalData"), QRect(326, y, 90, 24), i);
        lalData[size_t(i + 10)] = valueBox(f, QStringLiteral("lalData"), QRect(420, y, 150, 24), i + 10);
        Label5[size_t(i)] = Label(f, QStringLiteral("Label5"), QStringLiteral("Slope ="), QRect(16, y + 30, 60, 24), i);
        lalSlope[size_t(i)] = valueBox(f, QStringLiteral("lalSlope"), QRect(80, y + 30, 120, 24), i);
        Label7[size_t(i)] = Label(f, QStringLiteral("Label7"), QStringLiteral("Intercept ="), QRect(220, y + 30, 100, 24), i);
        lalIntercept[size_t(i)] = valueBox(f, QStringLiteral("lalIntercept"), QRect(326, y + 30, 150, 24), i);
    }
    Label(f, QStringLiteral("Label11"), QStringLiteral("Read Data:"), QRect(16, 526, 90, 24));
    lblReadData2 = valueBox(f, QStringLiteral("lblReadData2"), QRect(110, 526, 120, 24));

    CWGraph2 = Named<PeChart>(f, QStringLiteral("CWGraph2"), QRect(590, 16, 378, 470));
    InitCalibrationPlot(*CWGraph2, QStringLiteral("Log (Read Data)"), QStringLiteral("Log (Height + 2.1)"));

    cmdSave2 = Button(f, QStringLiteral("cmdSave2"), QStringLiteral("Save "), QRect(590, 560, 120, 40));
    cmdPVTExport = Button(f, QStringLiteral("cmdPVTExport"), QStringLiteral("&Report"), QRect(718, 560, 120, 40));
    cmdReturn[2] = Button(f, QStringLiteral("cmdReturn"), QStringLiteral("Return"), QRect(848, 560, 120, 40), 2);
    connect(cmdSave2, &QPushButton::clicked, this, &frmCalibrateTorque::cmdSave2_Click);
    connect(cmdPVTExport, &QPushButton::clicked, this, &frmCalibrateTorque::cmdPVTExport_Click);
}

void frmCalibrateTorque::buildSwellTab(QWidget* f) {
    Label(f, QStringLiteral("Label12"), QStringLiteral("Please select which unit to calibrate:"), QRect(16, 16, 270, 26));
    cmbInstName[3] = Named<QComboBox>(f, QStringLiteral("cmbInstName"), QRect(290, 16, 130, 26), 3);

    Label31 = Label(f, QStringLiteral("Label31"), QStringLiteral("STEP 1:"), QRect(16, 60, 80, 24));
    QFont bold = Label31->font();
    bold.setBold(true);
    Label31->setFont(bold);
    Label(f, QStringLiteral("Label32"), QStringLiteral("PLACE"), QRect(100, 60, 80, 24));
    for (int i = 1; i <= 3; ++i) {
        cmdSWM[size_t(i)] = Button(f, QStringLiteral("cmdSWM"),
                                   QStringLiteral("Insert spacer #%1 && click here").arg(i), QRect(16, 90, 420, 36), i);
        connect(cmdSWM[size_t(i)], &QPushButton::clicked, this, [this, i] { cmdSWM_Click(i); });
    }
    Label(f, QStringLiteral("Label21"), QStringLiteral("Length"), QRect(130, 146, 100, 24), 0);
    Label(f, QStringLiteral("Label21"), QStringLiteral("Volt"), QRect(240, 146, 100, 24), 1);
    for (int k = 1; k <= 3; ++k) {
        const int y = 174 + (k - 1) * 32;
        Label33[size_t(k)] = Label(f, QStringLiteral("Label33"), QStringLiteral("#%1 Spacer").arg(k), QRect(16, y, 100, 26), k);
        lbldata[size_t(k)] = valueBox(f, QStringLiteral("lbldata"), QRect(130, y, 100, 26), k);
        lblvolt[size_t(k)] = valueBox(f, QStringLiteral("lblvolt"), QRect(240, y, 150, 26), k);
        lblvolt[size_t(k + 3)] = valueBox(f, QStringLiteral("lblvolt"), QRect(400, y, 150, 26), k + 3);
    }
    Label(f, QStringLiteral("Label4"), QStringLiteral("Factor"), QRect(16, 290, 100, 26));
    lblconst1 = valueBox(f, QStringLiteral("lblconst1"), QRect(130, 290, 130, 26));
    lblconst2 = valueBox(f, QStringLiteral("lblconst2"), QRect(270, 290, 130, 26));
    lblconst3 = valueBox(f, QStringLiteral("lblconst3"), QRect(130, 322, 130, 26));
    lblconst4 = valueBox(f, QStringLiteral("lblconst4"), QRect(270, 322, 130, 26));
    Label(f, QStringLiteral("Label9"), QStringLiteral("ReadData"), QRect(16, 370, 100, 26));
    lblReaddata3 = valueBox(f, QStringLiteral("lblReaddata3"), QRect(130, 370, 130, 26));

    CWGraph3 = Named<PeChart>(f, QStringLiteral("CWGraph3"), QRect(590, 16, 378, 470));
    InitCalibrationPlot(*CWGraph3, QStringLiteral("Log (Volt)"), QStringLiteral("Length (in.)"));

    cmdSave3 = Button(f, QStringLiteral("cmdSave3"), QStringLiteral("SAVE"), QRect(16, 560, 120, 40));
    cmdSWMExport = Button(f, QStringLiteral("cmdSWMExport"), QStringLiteral("Report"), QRect(146, 560, 120, 40));
    cmdZero = Button(f, QStringLiteral("cmdZero"), QStringLiteral("Factory Calibration"), QRect(590, 560, 160, 40));
    cmdReturn[3] = Button(f, QStringLiteral("cmdReturn"), QStringLiteral("Return"), QRect(848, 560, 120, 40), 3);
    cmdSave3->setEnabled(false);
    connect(cmdSave3, &QPushButton::clicked, this, &frmCalibrateTorque::cmdSave3_Click);
    connect(cmdSWMExport, &QPushButton::clicked, this, &frmCalibrateTorque::cmdSWMExport_Click);
}

// ---- load, unload, tabs -------------------------------------------------------------

void frmCalibrateTorque::Form_Load() {
    loaded_ = true;
    for (int i = 1; i <= 3; ++i) cmbInstName[size_t(i)]->clear();
    Combo1->clear();
    try {
        unit::ReadUnitPorts(unit::kUnitCount, [this](int u, int p) {
            if (p != 0)
                for (int i = 1; i <= 3; ++i) cmbInstName[size_t(i)]->addItem(QStringLiteral("Unit ") + QString::number(u));
            PortNo[size_t(u)] = p;
        });
    } catch (const unit::PortFileError& e) {
        for (int i = 1; i <= 3; ++i) cmbInstName[size_t(i)]->setCurrentIndex(-1);
        ui::MsgBox(ui::errorText(e.number(), e.description()));
        return;
    }
    // No unit is chosen on any tab until the operator chooses one.
    for (int i = 1; i <= 3; ++i) cmbInstName[size_t(i)]->setCurrentIndex(-1);
    cmbBobSize->clear();
    cmbBobSize->addItems({QStringLiteral("B1"), QStringLiteral("B2"), QStringLiteral("B5")});
    cmbBobSize->setCurrentIndex(0);
    cmbBobSize_Click();
    Combo1->addItems({QStringLiteral("Large piston"), QStringLiteral("Small piston")});
    Combo1->setCurrentIndex(-1);
    Initial_PVT_Tab();
    Initial_LSM_Tab();
    TorquePoints.clear();
    torqueParser_.Clear();
    showFrame(1);
    TabStrip1->blockSignals(true);
    TabStrip1->setCurrentIndex(0);
    TabStrip1->blockSignals(false);
    for (int i = 0; i <= 20; ++i)
        Label3[size_t(i)]->setText(gUnitSystem == 1 ? QStringLiteral("cP") : QStringLiteral("mPa.s"));
}

void frmCalibrateTorque::Form_Unload() {
    if (unloading_) return;
    unloading_ = true;
    torqueRun_ = false;
    closePort();
    for (tick::TickTimer* t : {&Timer1, &TimerPVT, &TimerSWM}) {
        t->Interval(0);
        t->Enabled(false);
    }
}

void frmCalibrateTorque::closeEvent(QCloseEvent* event) {
    // The window's own close box asks as the Return buttons do.
    if (!returning_) {
        if (CaliState == 2 &&
            ui::MsgBox(QStringLiteral("Calibration data not saved, are you sure you want to exit?"), ui::vbYesNo) == ui::vbNo) {
            event->ignore();
            return;
        }
        if (CaliState == 1 &&
            ui::MsgBox(QStringLiteral("Calibration data not complete, are you sure you want to exit?"), ui::vbYesNo) ==
                ui::vbNo) {
            event->ignore();
            return;
        }
    }
    Form_Unload();
    event->accept();
}

void frmCalibrateTorque::cmdReturn_Click(int) {
    if (CaliState == 2 &&
        ui::MsgBox(QStringLiteral("Calibration data not saved, are you sure you want to exit?"), ui::vbYesNo) == ui::vbNo)
        return;
    if (CaliState == 1 &&
        ui::MsgBox(QStringLiteral("Calibration data not complete, are you sure you want to exit?"), ui::vbYesNo) == ui::vbNo)
        return;
    Form_Unload();
    returning_ = true;
    close();
    returning_ = false;
}

void frmCalibrateTorque::showFrame(int tab) {
    for (int i = 1; i <= 3; ++i) Frame1[size_t(i)]->setVisible(i == tab);
    CurrentTab = tab;
}

void frmCalibrateTorque::TabStrip1_Click() {
    const int s = TabStrip1->currentIndex() + 1;
    if (s == CurrentTab || s < 1 || s > 3) return;
    showFrame(s);
    if (torqueRun_) return;  // the PVT and swell tabs read nothing while a torque run owns the port
    if (s == 2 && cmbInstName[2]->currentIndex() >= 0) {
        TimerPVT.Interval(3000);
        TimerPVT.Enabled(true);
    }
    if (s == 3 && cmbInstName[3]->currentIndex() >= 0) {
        TimerSWM.Interval(3000);
        TimerSWM.Enabled(true);
    }
}

void frmCalibrateTorque::cmbInstName_Click(int Index) {
    if (Index < 1 || Index > 3) return;
    const int u = unitOfEntry(cmbInstName[size_t(Index)]->currentText());
    if (u < 1 || u > unit::kUnitCount) return;
    const int p = PortNo[size_t(u)];
    if (p == 0) return;
    // The torque run owns the port until it is over: no tab takes it.
    if (torqueRun_ || (Index == 1 && !cmdStart->isEnabled())) {
        ui::MsgBox(kBusyMessage);
        return;
    }
    if (Index == 2) {
        Initial_PVT_Tab();
        // The steps go on using the heights of the piston chosen before.
        showPistonHeights();
    } else if (Index == 3) {
        Initial_LSM_Tab();
    }
    try {
        MSComm1.MapFolder(gAppPath);
        MSComm1.PortNumber(p);
        MSComm1.Settings(QStringLiteral("115200,n,8,1"));
        MSComm1.InputLen(0);
        MSComm1.RThreshold(1);
        MSComm1.SThreshold(0);
        MSComm1.PortOpen(true);
    } catch (const std::exception&) {
        // The port stays with the unit it was open for: a tab now showing
        // another unit takes none of its readings.
        if (u != TabUnit[size_t(Index)]) {
            if (Index == 2) TimerPVT.Enabled(false);
            if (Index == 3) TimerSWM.Enabled(false);
        }
        ui::MsgBox(kCommMessage);
        return;
    }
    TabUnit[size_t(Index)] = u;
    if (Index == 2) {
        TimerPVT.Interval(3000);
        TimerPVT.Enabled(true);
    } else if (Index == 3) {
        TimerSWM.Interval(3000);
        TimerSWM.Enabled(true);
    }
}

void frmCalibrateTorque::cmbBobSize_Click() {
    if (!cmdStart->isEnabled()) {
        ui::MsgBox(kBusyMessage);
        return;
    }
    const QString t = cmbBobSize->currentText();
    if (t == QLatin1String("B1"))
        BobNo = 1;
    else if (t == QLatin1String("B5"))
        BobNo = 5;
    else if (t == QLatin1String("B2"))
        BobNo = 2;
}

void frmCalibrateTorque::readCalibration(int tab, tick::TickTimer& timer, double& reading, QLabel* shown) {
    reading = 0;
    shown->clear();
    // The port is the torque run's: what it receives are the run's points.
    if (torqueRun_) return;
    // A tab showing another unit than the one it opened takes no reading.
    if (!showsUnit(*cmbInstName[size_t(tab)], TabUnit[size_t(tab)], MSComm1, PortNo)) return;
    QString received;
    try {
        received = receiveAll();
    } catch (const std::exception& e) {
        timer.Enabled(false);
        ui::MsgBox(describe(e));
        return;
    }
    reading = unit::CalibrationReading(received);
    if (reading > 0) shown->setText(Format(Log10(reading), QStringLiteral("#0.00000")));
}

QString frmCalibrateTorque::receiveAll() {
    if (!MSComm1.PortOpen()) return QString();
    return MSComm1.Input();
}

void frmCalibrateTorque::closePort() {
    if (MSComm1.PortOpen()) MSComm1.PortOpen(false);
}

// ---- torque tab -------------------------------------------------------------------

void frmCalibrateTorque::cmdStart_Click() {
    TorquePoints.clear();
    TorqueFitted = false;
    TorqueLostText = false;
    ClearCalibrationPlot(*CWGraph1);
    bool running = false;
    const bool pvtReading = TimerPVT.Enabled();
    const bool swellReading = TimerSWM.Enabled();
    const QPointer<frmCalibrateTorque> self(this);
    try {
        // A port another tab opened for another unit is not this unit's.
        if (MSComm1.PortOpen() && !showsUnit(*cmbInstName[1], TabUnit[1], MSComm1, PortNo))
            throw HandlerError(QStringLiteral("The port open is not the port of ") + cmbInstName[1]->currentText() +
                               QStringLiteral(": choose the unit on this tab once its port is free."));
        MSComm1.InputLen(0);
        torqueParser_.Clear();
        std::vector<double> values;
        for (int i = 0; i <= 20; ++i) values.push_back(std::fabs(Val(txtCali[size_t(i)]->text())));
        const SaveResult bob = WriteBobInfo(cmbBobSize->currentText());
        if (!bob.ok) throw HandlerError(bob.message);
        // From the start frame on the run owns the port: the PVT and swell
        // tabs' timers, which would take the unit's points, stop.
        torqueRun_ = true;
        TimerPVT.Enabled(false);
        TimerSWM.Enabled(false);
        MSComm1.Output(unit::CalibrationStartFrame(values, BobNo));
        CaliStatus->setText(TorqueRunningText());
        cmdStart->setEnabled(false);
        cmbInstName[1]->setEnabled(false);
        running = true;
        Delay_Seconds(1);
        if (!self || unloading_) return;
        MSComm1.Output(unit::CalibrationRunFrame());
        Delay_Seconds(2);
        if (!self || unloading_) return;
        // What came before the run's points is thrown away; a port that has
        // gone since is a failure of the run.
        MSComm1.Input();
        TorqueSilentTicks = 0;
        Timer1.Interval(1000);
        Timer1.Enabled(true);
    } catch (const std::exception& e) {
        if (!self) return;
        torqueRun_ = false;
        // A run that could not be started leaves the tab free again, with the
        // port closed: it failed under the run, and the unit may have heard
        // only part of the start.
        if (running) {
            cmdStart->setEnabled(true);
            cmbInstName[1]->setEnabled(true);
            CaliStatus->setText(TorqueProblemText());
            try {
                closePort();
            } catch (...) {
            }
        } else {
            // The run did not start: the other tabs read on as before.
            TimerPVT.Enabled(pvtReading);
            TimerSWM.Enabled(swellReading);
        }
        ui::MsgBox(kCommMessage);
        ui::MsgBox(describe(e));
    }
}

void frmCalibrateTorque::Timer1_Timer() {
    try {
        Read_Torque_Cal_Reply();
    } catch (const std::exception& e) {
        ui::MsgBox(describe(e));
    }
}

void frmCalibrateTorque::Read_Torque_Cal_Reply() {
    if (!torqueRun_) return;  // a tick left over after the run ended
    QString received;
    try {
        // The run's port closed or gone is a failure of the run (Input
        // raises it), not a silent unit.
        received = MSComm1.Input();
    } catch (...) {
        // The port went away: the run is over, with nothing more to come.
        FinishTorqueRun(false);
        throw;
    }
    const unit::TorqueReplyResult r = torqueParser_.Parse(received);
    if (r.broken > 0 || r.bufferCut) TorqueLostText = true;
    if (!r.points.empty()) {
        TorqueSilentTicks = 0;
        TorquePoints.insert(TorquePoints.end(), r.points.begin(), r.points.end());
        std::vector<double> x, y;
        for (const unit::TorquePoint& p : TorquePoints) {
            x.push_back(p.angle);
            y.push_back(p.stress);
        }
        PlotCalibrationCurve(*CWGraph1, x, y);
    }
    if (r.ended) {
        FinishTorqueRun(true);
        return;
    }
    // Only a calibration point is an answer: a unit sending status frames
    // and nothing else ends the run as a silent one does.
    if (r.points.empty() && ++TorqueSilentTicks >= kTorqueSilentTicks) {
        FinishTorqueRun(false);
        ui::MsgBox(QStringLiteral("No response from Z3080, please check connection."));
    }
}

void frmCalibrateTorque::FinishTorqueRun(bool ended) {
    bool fitted = false;
    if (ended) {
        std::vector<double> x, y;
        for (const unit::TorquePoint& p : TorquePoints) {
            x.push_back(p.angle);
            y.push_back(p.stress);
        }
        const LineFit fit = FitLine(x, y);
        if (fit.ok) {
            FitSlope = fit.slope;
            FitIntercept = fit.intercept;
            FitMse = fit.mse;
            fitted = true;
        }
    }
    TorqueFitted = fitted;
    torqueRun_ = false;
    cmdStart->setEnabled(true);
    cmbInstName[1]->setEnabled(true);
    Timer1.Enabled(false);
    torqueParser_.Clear();
    TorqueSilentTicks = 0;
    // A run that lost text from the unit may lack points: never a success.
    CaliStatus->setText(fitted && FitMse <= kMaxTorqueMse && !TorqueLostText ? TorqueSuccessText()
                                                                             : TorqueProblemText());
    closePort();
}

void frmCalibrateTorque::cmdSave1_Click() {
    const std::optional<QString> path = saveFile(kTableFilter);
    if (!path) return;
    QStringList texts;
    for (QLineEdit* t : txtCali) texts << t->text();
    const SaveResult r = SaveTorqueValues(*path, texts);
    if (!r.ok) ui::MsgBox(r.message);
}

void frmCalibrateTorque::cmdLoad_Click() {
    const std::optional<QString> path = openFile(kTableFilter);
    if (!path) return;
    const TorqueValuesResult r = ReadTorqueValues(*path);
    for (size_t i = 0; i < r.values.size() && i < txtCali.size(); ++i)
        txtCali[i]->setText(r.values[i] ? CStr(*r.values[i]) : QString());
    if (!r.ok) ui::MsgBox(r.message);
}

void frmCalibrateTorque::cmdSendCali_Click() {
    const QString message = kCommMessage + QStringLiteral("  ");
    if (TabUnit[1] == 0 && TabUnit[2] == 0 && TabUnit[3] == 0) {  // no unit's port known yet
        ui::MsgBox(message);
        return;
    }
    bool opened = false;
    bool sending = false;
    try {
        MSComm1.PortOpen(true);
        opened = true;
        MSComm1.InputLen(0);
        torqueParser_.Clear();
        ui::FileRequest req;
        req.filter = QStringLiteral("All Files (*.*)|*.*|Text Files(*.txt)|*.txt");
        req.filterIndex = 2;
        const std::optional<QString> path = ui::GetOpenFileName(req);
        if (!path) throw HandlerError(kCancelled);
        const TorqueCoefficientsResult table = ReadTorqueCoefficients(*path);
        if (!table.ok) throw HandlerError(table.message);
        sending = true;
        MSComm1.Output(unit::CoefficientFrame(table.data.a, table.data.n, table.data.A, table.data.B));
        sending = false;
        closePort();
    } catch (const std::exception& e) {
        // The port this handler opened is closed again, so the units stay free.
        if (opened) {
            try {
                closePort();
            } catch (...) {
            }
        }
        // A frame that could not be sent says why: the unit may not have it.
        ui::MsgBox(sending ? message + QLatin1Char('\n') + describe(e) : message);
    }
}

void frmCalibrateTorque::cmdExport_Click() {
    const std::optional<QString> path = saveFile(kReportFilter);
    if (!path) return;
    TorqueReportInput in;
    in.now = QDateTime::currentDateTime();
    in.unitText = cmbInstName[1]->currentText();
    for (int i = 0; i <= 20; ++i) {
        in.tempCaptions << Label2[size_t(i)]->text();
        in.setTexts << txtCali[size_t(i)]->text();
    }
    for (const unit::TorquePoint& p : TorquePoints) {
        in.stress.push_back(p.stress);
        in.angle.push_back(p.angle);
    }
    // The fit of these points, none when they could not be fitted (an older
    // run's fit is not theirs).
    if (TorqueFitted) in.mse = FitMse;
    in.viscLabel = gViscLabel;
    in.stressLabel = gStressLabel;
    const ReportLines report = TorqueReport(in, FluidTemp);
    QString error;
    if (!WriteReportLines(*path, report.lines, error))
        ui::MsgBox(error);
    else if (!report.error.isEmpty())
        ui::MsgBox(report.error);
}

// ---- PVT tab --------------------------------------------------------------------------

void frmCalibrateTorque::Initial_PVT_Tab() {
    for (int i = 1; i <= 5; ++i) {
        if (i >= 2) {
            lalSlope[size_t(i)]->hide();
            lalIntercept[size_t(i)]->hide();
            Label5[size_t(i)]->hide();
            Label7[size_t(i)]->hide();
        }
        for (QWidget* w : {static_cast<QWidget*>(cmdPVT[size_t(i)]), static_cast<QWidget*>(Label20[size_t(i)]),
                           static_cast<QWidget*>(Label24[size_t(i)]), static_cast<QWidget*>(Label22[size_t(i)]),
                           static_cast<QWidget*>(Text1[size_t(i)]), static_cast<QWidget*>(lalData[size_t(i + 10)])})
            w->hide();
        lalData[size_t(i + 10)]->clear();
        lalData[size_t(i)]->clear();
        lalData[size_t(i)]->hide();
    }
    lalSlope[1]->hide();
    lalIntercept[1]->hide();
    Label5[1]->hide();
    Label7[1]->hide();
    cmdSave2->setEnabled(false);
    cmdPVTExport->setEnabled(false);
    cmdPVT[1]->show();
    Label6->show();
    lblReadData2->clear();
    PvtReading = 0;  // the reading shown is gone with the reset
    CaliState = 0;
}

void frmCalibrateTorque::Combo1_Click() {
    Initial_PVT_Tab();
    const bool large = Combo1->currentIndex() == 0;
    PvtCount = large ? 5 : 4;
    const std::vector<double> heights = PistonHeights(large);
    const QStringList captions = PistonStepCaptions(large);
    for (int i = 1; i <= PvtCount; ++i) {
        Text1[size_t(i)]->setText(CStr(heights[size_t(i - 1)]));
        cmdPVT[size_t(i)]->setText(captions[i - 1]);
    }
    for (int i = PvtCount + 1; i <= 5; ++i) Text1[size_t(i)]->clear();
    showPistonHeights();
}

void frmCalibrateTorque::showPistonHeights() {
    // The heights of the chosen piston are shown, to be checked or typed.
    for (int i = 1; i <= PvtCount && i <= 5; ++i) {
        Label20[size_t(i)]->show();
        Text1[size_t(i)]->show();
        Label24[size_t(i)]->show();
    }
}

void frmCalibrateTorque::TimerPVT_Timer() { readCalibration(2, TimerPVT, PvtReading, lblReadData2); }

void frmCalibrateTorque::cmdPVT_Click(int Index) {
    if (cmbInstName[2]->currentIndex() < 0) {
        ui::MsgBox(QStringLiteral("select unit first"));
        return;
    }
    if (Combo1->currentIndex() < 0 || PvtCount == 0) {
        ui::MsgBox(QStringLiteral("select piston type first"));
        return;
    }
    if (Index < 1 || Index > PvtCount || Text1[size_t(Index)]->text().trimmed().isEmpty()) {
        ui::MsgBox(QStringLiteral("Select piston size first."));
        return;
    }
    CaliState = 1;
    if (!(PvtReading > 0)) {
        ui::MsgBox(QStringLiteral("Invalid calibration data"));
        return;
    }
    Run_PVT_Cal_Step(Index);
}

void frmCalibrateTorque::Run_PVT_Cal_Step(int Index) {
    try {
        const double reading = PvtReading;
        lalData[size_t(Index)]->setText(CStr(reading));
        pvtX_[size_t(Index - 1)] = Log10(reading);
        lalData[size_t(Index + 10)]->setText(CStr(pvtX_[size_t(Index - 1)]));
        const double h = Val(Text1[size_t(Index)]->text());
        pvtY_[size_t(Index - 1)] = Log10(h + 2.1);
        if (Index > 1) {
            const std::optional<Segment> s = SegmentThrough(pvtX_[size_t(Index - 2)], pvtY_[size_t(Index - 2)],
                                                            pvtX_[size_t(Index - 1)], pvtY_[size_t(Index - 1)]);
            if (!s) throw HandlerError(QStringLiteral("Points %1 and %2 have the same reading: no segment between them")
                                           .arg(Index - 1)
                                           .arg(Index));
            lalIntercept[size_t(Index)]->setText(Format(s->intercept, QStringLiteral("##0.0########")));
            lalSlope[size_t(Index)]->setText(Format(s->slope, QStringLiteral("#0.0####")));
            for (QWidget* w : {static_cast<QWidget*>(lalIntercept[size_t(Index)]),
                               static_cast<QWidget*>(lalSlope[size_t(Index)]), static_cast<QWidget*>(Label5[size_t(Index)]),
                               static_cast<QWidget*>(Label7[size_t(Index)])})
                w->show();
        }
        lalData[size_t(Index)]->show();
        if (Index < PvtCount) {
            cmdPVT[size_t(Index)]->hide();
            cmdPVT[size_t(Index + 1)]->show();
            Label6->setText(QStringLiteral("STEP ") + QString::number(Index + 1));
            Label20[size_t(Index)]->show();
            Label22[size_t(Index)]->show();
            lalData[size_t(Index + 10)]->show();
            return;
        }
        Label6->hide();
        Label6->setText(QStringLiteral("Step 1"));
        cmdPVT[size_t(PvtCount)]->hide();
        Label20[size_t(PvtCount)]->show();
        Label22[size_t(PvtCount)]->show();
        lalData[size_t(PvtCount + 10)]->show();
        PlotCalibrationCurve(*CWGraph2, std::vector<double>(pvtX_.begin(), pvtX_.begin() + PvtCount),
                             std::vector<double>(pvtY_.begin(), pvtY_.begin() + PvtCount));
        CaliState = 2;
        closePort();
        TimerPVT.Interval(0);
        TimerPVT.Enabled(false);
        cmdSave2->setEnabled(true);
        cmdPVTExport->setEnabled(true);
    } catch (const std::exception& e) {
        ui::MsgBox(QStringLiteral("ERROR: ") + describe(e));
    }
}

void frmCalibrateTorque::cmdSave2_Click() {
    for (int i = 1; i <= PvtCount; ++i) {
        if (Text1[size_t(i)]->text().trimmed().isEmpty() || lalData[size_t(i)]->text().trimmed().isEmpty()) {
            ui::MsgBox(QStringLiteral("Please complete all calibration steps before saving your settings."));
            return;
        }
    }
    if (PvtCount == 0) return;
    Save_PVT_Calibration();
}

void frmCalibrateTorque::Save_PVT_Calibration() {
    const int n = PvtCount;
    std::vector<double> heights, readings, slopes(size_t(n), 0.0), intercepts(size_t(n), 0.0);
    for (int j = 0; j < n; ++j) {
        heights.push_back(Val(Text1[size_t(j + 1)]->text()));
        readings.push_back(Val(lalData[size_t(j + 1)]->text()));
    }
    for (int k = 1; k < n; ++k) {
        slopes[size_t(k)] = Val(lalSlope[size_t(k + 1)]->text());
        intercepts[size_t(k)] = Val(lalIntercept[size_t(k + 1)]->text());
    }
    const Piston piston = Combo1->currentIndex() == 0 ? Piston::Large : Piston::Small;
    const SaveResult r =
        SavePistonCalibration(piston, TabUnit[2], PistonLine(heights, readings, slopes, intercepts));
    if (!r.ok) {
        ui::MsgBox(r.message);
        cmdSave2->setEnabled(true);
        return;
    }
    CaliState = 3;
    cmdSave2->setEnabled(false);
    try {
        closePort();
    } catch (...) {
    }
}

void frmCalibrateTorque::cmdPVTExport_Click() {
    const std::optional<QString> path = saveFile(kTableFilter);
    if (!path) return;
    PistonReportInput in;
    in.now = QDateTime::currentDateTime();
    const QString unitText = cmbInstName[2]->currentText().trimmed();
    in.unitText = unitText.isEmpty() ? QString() : unitText.right(1);
    in.pistonText = Combo1->currentText();
    for (int i = 1; i <= PvtCount; ++i) {
        in.positionCaptions << Label20[size_t(i)]->text();
        in.logReadings << lalData[size_t(i + 10)]->text();
    }
    QString error;
    if (!WriteReportLines(*path, PistonReport(in), error)) ui::MsgBox(error);
}

// ---- swell tab ------------------------------------------------------------------------

void frmCalibrateTorque::Initial_LSM_Tab() {
    cmdSWM[1]->show();
    for (QWidget* w : {static_cast<QWidget*>(cmdSWM[2]), static_cast<QWidget*>(cmdSWM[3]),
                       static_cast<QWidget*>(lbldata[2]), static_cast<QWidget*>(lbldata[3]),
                       static_cast<QWidget*>(lblvolt[5]), static_cast<QWidget*>(lblvolt[6]),
                       static_cast<QWidget*>(lblconst1), static_cast<QWidget*>(lblconst2),
                       static_cast<QWidget*>(lblconst3), static_cast<QWidget*>(lblconst4),
                       static_cast<QWidget*>(Label33[2]), static_cast<QWidget*>(Label33[3])})
        w->hide();
    Label31->setText(QStringLiteral("STEP 1"));
    for (QLabel* l : {lblconst1, lblconst2, lblconst3, lblconst4}) l->clear();
    for (int i = 1; i <= 6; ++i) lblvolt[size_t(i)]->clear();
    cmdSave3->setEnabled(false);  // the voltages a save would write are gone
    for (int k = 1; k <= 3; ++k) lbldata[size_t(k)]->setText(CStr(kSwellSpacers[k - 1]));
    ClearCalibrationPlot(*CWGraph3);
    CaliState = 0;
    lblReaddata3->clear();
    LsmVolt = 0;  // the reading shown is gone with the reset
}

void frmCalibrateTorque::TimerSWM_Timer() { readCalibration(3, TimerSWM, LsmVolt, lblReaddata3); }

void frmCalibrateTorque::cmdSWM_Click(int Index) {
    if (cmbInstName[3]->currentIndex() < 0) {
        ui::MsgBox(QStringLiteral("Select unit # first"));
        return;
    }
    CaliState = 1;
    if (LsmVolt > 0)
        Run_LSM_Cal_Step(Index);
    else
        ui::MsgBox(QStringLiteral("Invalid calibration data"));
}

void frmCalibrateTorque::Run_LSM_Cal_Step(int Index) {
    if (Index < 1 || Index > 3) return;
    try {
        lblvolt[size_t(Index)]->setText(CStr(LsmVolt));
        lblvolt[size_t(Index + 3)]->setText(CStr(Log10(LsmVolt)));
        if (Index < 3) {
            Label33[size_t(Index + 1)]->show();
            lbldata[size_t(Index + 1)]->show();
            lblvolt[size_t(Index + 4)]->show();
            cmdSWM[size_t(Index)]->hide();
            cmdSWM[size_t(Index + 1)]->show();
            Label31->setText(QStringLiteral("Step ") + QString::number(Index + 1));
            return;
        }
        std::vector<double> x, y;
        for (int k = 1; k <= 3; ++k) {
            x.push_back(Log10(Val(lblvolt[size_t(k)]->text())));
            y.push_back(Val(lbldata[size_t(k)]->text()));
        }
        ClearCalibrationPlot(*CWGraph3);
        PlotCalibrationCurve(*CWGraph3, x, y);
        const std::optional<Segment> s1 = SegmentThrough(x[0], y[0], x[1], y[1]);
        const std::optional<Segment> s2 = SegmentThrough(x[1], y[1], x[2], y[2]);
        if (!s1 || !s2) throw HandlerError(QStringLiteral("Division by zero: two spacers read the same voltage  11"));
        for (QLabel* l : {lblconst1, lblconst2, lblconst3, lblconst4}) l->show();
        SwellA1 = s1->intercept;
        SwellB1 = s1->slope;
        SwellA2 = s2->intercept;
        SwellB2 = s2->slope;
        lblconst1->setText(Format(SwellA1, QStringLiteral("#0.0####")));
        lblconst2->setText(Format(SwellB1, QStringLiteral("#0.0####")));
        lblconst3->setText(Format(SwellA2, QStringLiteral("#0.0####")));
        lblconst4->setText(Format(SwellB2, QStringLiteral("#0.0####")));
        cmdSave3->setEnabled(true);
        CaliState = 2;
        closePort();
        TimerSWM.Interval(0);
        TimerSWM.Enabled(false);
        cmdSWM[3]->hide();
    } catch (const HandlerError& e) {
        ui::MsgBox(e.text);
    } catch (const std::exception& e) {
        ui::MsgBox(describe(e) + QStringLiteral("  5"));
    }
}

void frmCalibrateTorque::cmdSave3_Click() {
    const int u = unitOfEntry(cmbInstName[3]->currentText());
    const SaveResult r = SaveSwellCalibration(
        u, SwellLine(lblvolt[1]->text(), lblvolt[2]->text(), lblvolt[3]->text(), SwellA1, SwellB1, SwellA2, SwellB2));
    if (!r.ok) {
        ui::MsgBox(r.message, ui::vbOKOnly + ui::vbExclamation, r.title);
        return;
    }
    CaliState = 3;
    cmdSave3->setEnabled(false);
}

void frmCalibrateTorque::cmdSWMExport_Click() {
    const std::optional<QString> path = saveFile(kReportFilter);
    if (!path) return;
    SwellReportInput in;
    in.now = QDateTime::currentDateTime();
    const QString unitText = cmbInstName[3]->currentText();
    in.unitDigit = unitText.isEmpty() ? QString() : unitText.right(1);
    in.withData = CaliState == 2 || CaliState == 3;
    for (int k = 1; k <= 3; ++k) {
        in.lengths << lbldata[size_t(k)]->text();
        in.logVolts << lblvolt[size_t(k + 3)]->text();
    }
    in.constants = {lblconst1->text(), lblconst2->text(), lblconst3->text(), lblconst4->text()};
    QString error;
    if (!WriteReportLines(*path, SwellReport(in), error)) ui::MsgBox(error);
}
