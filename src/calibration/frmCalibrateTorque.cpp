#include "calibration/frmCalibrateTorque.h"

#include "calibration/CalibrationMath.h"
#include "calibration/ClockSeconds.h"
#include "calibration/CalibrationWindowParts.h"
#include "data/BobGeometry.h"
#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/Units.h"
#include "dialogs/DialogSupport.h"
#include "dialogs/NamedControls.h"
#include "platform/Dialogs.h"
#include "platform/PeChart.h"
#include "data/UnitPorts.h"
#include "unitbase/UnitWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTime>
#include <QTimer>

// The window itself: the one instance, the controls the tabs share, load,
// unload, the tabs, the unit lists and the port. The tabs' own work is in
// frmCalibrateTorqueTorqueTab.cpp, frmCalibrateTorquePvtTab.cpp and
// frmCalibrateTorqueSwellTab.cpp.

using namespace calibration;
using namespace calibration::windowparts;

const QString frmCalibrateTorque::kCaption = QStringLiteral("Calibration");

QString calibration::windowparts::heldByWindowNote(const comm::CommPort& port) {
    const QString holder = UnitWindow::WindowHoldingDevice(port.DevicePath());
    if (holder.isEmpty()) return QString();
    return QStringLiteral("The unit's ") + port.PortName() + QStringLiteral(" is held by the window \"") + holder +
           QStringLiteral("\": close that window, then try again.");
}

namespace {

QPointer<frmCalibrateTorque>& instance() {
    static QPointer<frmCalibrateTorque> p;
    return p;
}

}  // namespace

frmCalibrateTorque::frmCalibrateTorque(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmCalibrateTorque"));
    setWindowTitle(kCaption);
    buildControls();
    // The waits of the torque start are timed by the event loop: the handler
    // that starts them returns at once.
    Delay_Seconds = [this](int seconds, std::function<void()> then) {
        QTimer::singleShot(MsUntilSecondsChanged(QTime::currentTime(), seconds), this, std::move(then));
    };
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
    cmbBobSize->addItems(bob::UnitBobNames());
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
        openUnitPort(u);
    } catch (const std::exception&) {
        // The port stays with the unit it was open for: a tab now showing
        // another unit takes none of its readings.
        if (u != TabUnit[size_t(Index)]) {
            if (Index == 2) TimerPVT.Enabled(false);
            if (Index == 3) TimerSWM.Enabled(false);
        }
        // A unit window holding the port is named, and that is the whole of it.
        const QString note = MSComm1.PortOpen() ? QString() : heldByWindowNote(MSComm1);
        ui::MsgBox(note.isEmpty() ? kCommMessage : note);
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

void frmCalibrateTorque::openUnitPort(int unit) {
    MSComm1.MapFolder(gAppPath);
    MSComm1.PortNumber(PortNo[size_t(unit)]);
    MSComm1.Settings(QStringLiteral("115200,n,8,1"));
    MSComm1.InputLen(0);
    MSComm1.RThreshold(1);
    MSComm1.SThreshold(0);
    MSComm1.PortOpen(true);
}

void frmCalibrateTorque::cmbBobSize_Click() {
    if (!cmdStart->isEnabled()) {
        ui::MsgBox(kBusyMessage);
        return;
    }
    if (const bob::KnownBob* b = bob::FindBob(cmbBobSize->currentText()); b && b->unitNumber != 0)
        BobNo = b->unitNumber;
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
        // From a tick: a message that holds nothing back.
        timer.Enabled(false);
        ui::Notify(describe(e));
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
