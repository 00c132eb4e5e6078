// The calibration window: its load, unit lists and port, tabs, the exit
// questions, the hand-over from a test window, and its three tabs run end to
// end against the simulated unit.

#include "CalibrationFixture.h"

#include "data/CalibrationFiles.h"
#include "data/TypedNumbers.h"
#include "data/Numbers.h"
#include "data/Units.h"
#include "dialogs/DialogSupport.h"
#include "platform/PeChart.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <cmath>

using namespace calibration_tests;
using testing_support::UnitSimulator;

namespace {

const QString kComm =
    QStringLiteral("Communication error - Please make sure the unit is not occupied with another function.");

QStringList entries(QComboBox* c) {
    QStringList l;
    for (int i = 0; i < c->count(); ++i) l << c->itemText(i);
    return l;
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class CalibrationWindow : public CalibrationFixture {};

TEST_F(CalibrationWindow, LoadListsTheUnitsWithAPortOnEveryTab) {
    writePorts({0, 3, 0, 0, 5});
    gUnitSystem = 2;
    frmCalibrateTorque& c = open();
    EXPECT_EQ(c.windowTitle(), "Calibration");
    for (int t = 1; t <= 3; ++t) EXPECT_EQ(entries(c.cmbInstName[size_t(t)]), (QStringList{"Unit 2", "Unit 5"}));
    EXPECT_EQ(c.PortNo[2], 3);
    EXPECT_EQ(c.PortNo[5], 5);
    EXPECT_EQ(entries(c.cmbBobSize), (QStringList{"B1", "B2", "B5"}));
    EXPECT_EQ(c.BobNo, 1);
    EXPECT_EQ(entries(c.Combo1), (QStringList{"Large piston", "Small piston"}));
    EXPECT_EQ(c.Combo1->currentIndex(), -1);
    EXPECT_EQ(c.CurrentTab, 1);
    EXPECT_FALSE(c.Frame1[1]->isHidden());
    EXPECT_TRUE(c.Frame1[2]->isHidden());
    EXPECT_EQ(c.Label3[20]->text(), "mPa.s");
    EXPECT_EQ(c.Label2[0]->text(), "20 (Deg C)");
    EXPECT_EQ(c.Label2[20]->text(), "40 (Deg C)");
    EXPECT_EQ(c.txtCali[7]->text(), "100");
    EXPECT_EQ(c.CaliStatus->text(), "Inactive");
    EXPECT_EQ(c.lbldata[2]->text(), "0.65");
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join('\n').toStdString();

    c.cmbBobSize->setCurrentIndex(2);
    c.cmbBobSize_Click();
    EXPECT_EQ(c.BobNo, 5);
}

// The window opens in the middle of its screen's available area, inside it
// (at its left or top edge where the screen is narrower or lower than the
// window).
TEST_F(CalibrationWindow, OpensInsideTheAvailableScreenArea) {
    writePorts({0, 3});
    frmCalibrateTorque* c = frmCalibrateTorque::ShowInstance();
    ASSERT_NE(c, nullptr);
    w.reset(c);  // the fixture closes it
    const QRect area = dialogsupport::AvailableArea(c);
    ASSERT_TRUE(area.isValid());
    const QRect frame = c->frameGeometry();
    EXPECT_EQ(frame, dialogsupport::PlaceInside(frame, area));
    if (frame.width() <= area.width() && frame.height() <= area.height()) {
        EXPECT_TRUE(area.contains(frame));
    }
    // Centred on each side where it fits (the frame found at the show may
    // shift it by its border).
    if (frame.width() <= area.width()) {
        EXPECT_NEAR(frame.center().x(), area.center().x(), 4);
    }
    if (frame.height() <= area.height()) {
        EXPECT_NEAR(frame.center().y(), area.center().y(), 4);
    }
}

TEST_F(CalibrationWindow, ASettingsFileThatCannotBeReadEndsTheLoad) {
    frmCalibrateTorque& c = open();  // no initial.txt
    ASSERT_EQ(dialogs.texts().size(), 1);
    EXPECT_TRUE(dialogs.texts()[0].startsWith("ERROR: 53, ")) << dialogs.texts()[0].toStdString();
    EXPECT_EQ(c.cmbInstName[1]->count(), 0);
    EXPECT_EQ(c.cmbBobSize->count(), 0);
}

TEST_F(CalibrationWindow, TabsSwitchFramesAndStartTheChosenTabsTimer) {
    writePorts({0, 3});
    frmCalibrateTorque& c = open();
    c.TabStrip1->setCurrentIndex(1);  // PVT, no unit chosen there: no timer
    EXPECT_EQ(c.CurrentTab, 2);
    EXPECT_FALSE(c.Frame1[2]->isHidden());
    EXPECT_TRUE(c.Frame1[1]->isHidden());
    EXPECT_FALSE(c.TimerPVT.Running());

    c.cmbInstName[3]->setCurrentIndex(0);  // chosen (the port is not opened here)
    c.TabStrip1->setCurrentIndex(2);
    EXPECT_TRUE(c.TimerSWM.Running());
    EXPECT_EQ(c.TimerSWM.Interval(), 3000);
    c.TabStrip1_Click();  // the tab shown already: nothing
    EXPECT_EQ(c.CurrentTab, 3);
}

TEST_F(CalibrationWindow, ReturnAsksWhileACalibrationIsUnfinished) {
    writePorts({1});
    struct Case {
        int state;
        const char* question;
    } cases[] = {{2, "Calibration data not saved, are you sure you want to exit?"},
                 {1, "Calibration data not complete, are you sure you want to exit?"},
                 {3, nullptr},
                 {0, nullptr}};
    for (const Case& k : cases) {
        frmCalibrateTorque& c = open();
        c.show();
        c.CaliState = k.state;
        dialogs.clear();
        if (k.question) {
            dialogs.answers = {ui::vbNo};
            c.cmdReturn_Click(2);
            EXPECT_TRUE(c.isVisible()) << k.state;
            dialogs.answers = {ui::vbYes};
            c.cmdReturn_Click(2);
            EXPECT_EQ(dialogs.texts(), (QStringList{k.question, k.question})) << k.state;
        } else {
            c.cmdReturn_Click(1);
            EXPECT_TRUE(dialogs.messages.empty()) << k.state;
        }
        EXPECT_FALSE(c.isVisible()) << k.state;
    }
}

TEST_F(CalibrationWindow, HandOverOpensTheTabOnTheUnitsPort) {
    writePorts({0, 3, 0, 0, 5});
    UnitSimulator& u = unit(5);
    frmCalibrateTorque* c = frmCalibrateTorque::ShowOnTab(2, 5);
    ASSERT_NE(c, nullptr);
    w.reset(c);  // the fixture closes it
    w->Delay_Seconds = noWait;
    EXPECT_EQ(frmCalibrateTorque::Instance(), c);
    EXPECT_EQ(c->CurrentTab, 2);
    EXPECT_FALSE(c->Frame1[2]->isHidden());
    EXPECT_EQ(c->TabStrip1->currentIndex(), 1);
    EXPECT_EQ(c->cmbInstName[2]->currentIndex(), 1);
    EXPECT_EQ(c->TabUnit[2], 5);
    EXPECT_TRUE(c->MSComm1.PortOpen());
    EXPECT_TRUE(c->TimerPVT.Running());
    EXPECT_EQ(c->TimerPVT.Interval(), 3000);

    // Shown again while it lives: as it was left.
    EXPECT_EQ(frmCalibrateTorque::ShowInstance(), c);
    EXPECT_EQ(c->CurrentTab, 2);

    // Another tab while the port is open: the communication message; that
    // tab is reset and its timer not started.
    c->lblvolt[1]->setText("1.5");
    c->cmbInstName[3]->setCurrentIndex(0);
    c->cmbInstName_Click(3);
    EXPECT_EQ(dialogs.texts(), QStringList{kComm});
    EXPECT_FALSE(c->TimerSWM.Running());
    EXPECT_EQ(c->lblvolt[1]->text(), "");
    EXPECT_EQ(c->TabUnit[3], 0);
    (void)u;
}

// ---- torque ---------------------------------------------------------------------

class TorqueTab : public CalibrationFixture {
protected:
    // The unit has taken the start and run frames and answered them.
    static void settled(UnitSimulator& u) {
        ASSERT_TRUE(u.waitForCommands(2));
        QThread::msleep(30);
        u.clearCommands();
    }
};

TEST_F(TorqueTab, CalibratesAgainstTheUnitEndToEnd) {
    writePorts({0, 3});
    UnitSimulator& u = unit(3);
    u.setTorqueRun({{20, 10}, {41, 20}, {59, 30}}, true, 50);
    frmCalibrateTorque& c = open();
    c.cmbBobSize->setCurrentIndex(1);
    c.cmbBobSize_Click();
    chooseUnit(1, 0);
    ASSERT_TRUE(c.MSComm1.PortOpen()) << dialogs.texts().join('\n').toStdString();
    EXPECT_FALSE(c.Timer1.Running());  // the torque timer starts with the run

    c.cmdStart_Click();
    EXPECT_EQ(c.CaliStatus->text(), "Calibration in Progress.");
    EXPECT_FALSE(c.cmdStart->isEnabled());
    EXPECT_FALSE(c.cmbInstName[1]->isEnabled());
    EXPECT_TRUE(c.Timer1.Running());
    // The bob file is written once the run has ended well.
    EXPECT_EQ(fileBytes(dir.filePath("BOBINFO.TXT")), "<missing>");

    // The unit refuses a change of unit or bob while it calibrates.
    c.cmbInstName_Click(1);
    c.cmbBobSize->setCurrentIndex(0);
    c.cmbBobSize_Click();
    EXPECT_EQ(dialogs.texts(), QStringList(2, "Please wait, calibrating current unit. "));
    EXPECT_EQ(c.BobNo, 2);

    ASSERT_TRUE(runToEnd());
    ASSERT_TRUE(u.waitForCommands(2));
    const auto commands = u.commands();
    EXPECT_EQ(commands[0].bytes, QByteArray(1, 7) + QByteArray("100.0\x1a").repeated(21) + " 2\r");
    EXPECT_EQ(commands[1].bytes, QByteArray("\x03\r"));
    ASSERT_EQ(c.TorquePoints.size(), 3u);
    EXPECT_NEAR(c.FitSlope, 1.95, 1e-12);
    EXPECT_NEAR(c.FitIntercept, 1.0, 1e-12);
    EXPECT_NEAR(c.FitMse, 0.5, 1e-12);
    EXPECT_EQ(c.CaliStatus->text(), "Calibration Completed Successfully.");
    EXPECT_EQ(fileBytes(dir.filePath("BOBINFO.TXT")), "B2\r\n");
    EXPECT_TRUE(c.cmbInstName[1]->isEnabled());
    EXPECT_FALSE(c.MSComm1.PortOpen());
    EXPECT_FALSE(c.Timer1.Enabled());
    EXPECT_EQ(c.CWGraph1->points(), 3);
    EXPECT_EQ(c.CWGraph1->xData(0, 2), 30.0f);
    EXPECT_EQ(c.CWGraph1->yData(0, 2), 59.0f);
}

TEST_F(TorqueTab, ARunThatCannotBeFittedEndsWithTheProblemAndKeepsTheOldFit) {
    writePorts({0, 3});
    struct Case {
        const char* what;
        std::vector<std::pair<double, double>> points;
    } cases[] = {
        {"end frame before any point", {}},
        {"one point", {{20, 10}}},
        {"every angle equal", {{20, 10}, {30, 10}}},
        {"mean square error above 750", {{0, 0}, {100, 1}, {0, 2}, {100, 3}}},
    };
    UnitSimulator& u = unit(3);
    frmCalibrateTorque& c = open();
    for (const Case& k : cases) {
        c.FitSlope = 7;
        c.FitIntercept = 8;
        c.FitMse = 9;
        chooseUnit(1, 0);
        c.cmdStart_Click();
        settled(u);
        QByteArray frames;
        for (const auto& [stress, angle] : k.points) frames += UnitSimulator::torquePointFrame(stress, angle);
        u.sendRaw(frames + UnitSimulator::torqueEndFrame());
        EXPECT_TRUE(runToEnd()) << k.what;
        EXPECT_EQ(c.CaliStatus->text(), "Calibration Completed, Problem detected. ") << k.what;
        EXPECT_TRUE(c.cmbInstName[1]->isEnabled()) << k.what;
        EXPECT_FALSE(c.MSComm1.PortOpen()) << k.what;
        if (k.points.size() < 4) {
            EXPECT_EQ(c.FitSlope, 7) << k.what;
            EXPECT_EQ(c.FitMse, 9) << k.what;
        } else {
            EXPECT_GT(c.FitMse, 750) << k.what;
        }
    }
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join('\n').toStdString();
}

TEST_F(TorqueTab, GarbageAndStatusFramesAreNoPoints) {
    writePorts({0, 3});
    UnitSimulator& u = unit(3);
    frmCalibrateTorque& c = open();
    chooseUnit(1, 0);
    c.cmdStart_Click();
    settled(u);
    u.sendRaw("\x1a" + UnitSimulator::torquePointFrame(20, 10));
    u.sendStatusFrame();
    u.sendNoise(50);
    u.sendRaw(UnitSimulator::torquePointFrame(41, 20) + "\x08" "59,");
    ASSERT_TRUE(until([&] { c.Timer1.Tick(); }, [&] { return c.TorquePoints.size() >= 2; }));
    u.sendRaw("30\x1a" + UnitSimulator::torqueEndFrame() + "\x08" "1,1\x1a");
    ASSERT_TRUE(runToEnd());
    ASSERT_EQ(c.TorquePoints.size(), 3u);
    EXPECT_NEAR(c.FitSlope, 1.95, 1e-12);
    EXPECT_EQ(c.CaliStatus->text(), "Calibration Completed Successfully.");
}

TEST_F(TorqueTab, AUnitThatStopsAnsweringFreesTheTab) {
    writePorts({0, 3});
    UnitSimulator& u = unit(3);
    u.setSilent(true);
    frmCalibrateTorque& c = open();
    chooseUnit(1, 0);
    c.cmdStart_Click();
    c.FitSlope = 3;
    for (int i = 1; i < frmCalibrateTorque::kTorqueSilentTicks; ++i) c.Timer1.Tick();
    EXPECT_FALSE(c.cmdStart->isEnabled());
    c.Timer1.Tick();
    EXPECT_TRUE(c.cmdStart->isEnabled());
    EXPECT_TRUE(c.cmbInstName[1]->isEnabled());
    EXPECT_FALSE(c.MSComm1.PortOpen());
    EXPECT_FALSE(c.Timer1.Enabled());
    EXPECT_EQ(c.FitSlope, 3);
    EXPECT_EQ(c.CaliStatus->text(), "Calibration Completed, Problem detected. ");
    EXPECT_EQ(dialogs.texts(), QStringList{"No response from Z3080, please check connection."});
    EXPECT_TRUE(dialogs.modal.empty());  // said from a tick: a box that holds nothing back
}

// The PVT tab holds the torque unit's port when Start is pressed (the torque
// tab chose the unit before, its port closed after that run): from the start
// frame on the run owns the port, and the PVT tab's timer reads nothing of
// it, also when it fires during the start's waits or after a tab switch.
TEST_F(TorqueTab, AnotherTabTakesNoneOfTheRunsPoints) {
    writePorts({3});
    UnitSimulator& u = unit(3);
    std::vector<std::pair<double, double>> points;
    for (int i = 1; i <= 12; ++i) points.emplace_back(2.0 * i + 1, double(i));
    u.setTorqueRun(points, true, 30);
    frmCalibrateTorque& c = open();
    chooseUnit(1, 0);
    c.MSComm1.PortOpen(false);  // as after an earlier run
    chooseUnit(2, 0);
    ASSERT_TRUE(c.MSComm1.PortOpen());
    ASSERT_TRUE(c.TimerPVT.Running());
    auto& pvt = static_cast<testing_support::ManualTickSource&>(c.TimerPVT.source());
    c.Delay_Seconds = [&](int n, std::function<void()> then) {
        if (n == 1) QThread::msleep(20);  // the unit's answer to the start frame is there
        pvt.fire();
        then();
    };
    c.cmdStart_Click();
    ASSERT_FALSE(c.cmdStart->isEnabled()) << dialogs.texts().join('\n').toStdString();
    EXPECT_TRUE(c.TorqueRunOwnsPort());
    EXPECT_FALSE(c.TimerPVT.Running());

    // The PVT tab shown again starts no reading; a unit chosen there is refused.
    c.TabStrip1->setCurrentIndex(1);
    EXPECT_FALSE(c.TimerPVT.Running());
    c.Combo1->setCurrentIndex(0);
    c.Combo1_Click();
    chooseUnit(2, 0);
    EXPECT_EQ(dialogs.texts(), QStringList{"Please wait, calibrating current unit. "});
    EXPECT_FALSE(c.Text1[1]->text().isEmpty());  // the tab was not reset
    c.TabStrip1->setCurrentIndex(0);

    ASSERT_TRUE(until(
        [&] {
            pvt.fire();
            c.TimerPVT.Tick();  // a tick already on its way
            c.TimerSWM.Tick();
            QThread::msleep(10);
            c.Timer1.Tick();
        },
        [&] { return c.cmdStart->isEnabled(); }));
    EXPECT_EQ(c.TorquePoints.size(), 12u);
    EXPECT_EQ(c.CaliStatus->text(), "Calibration Completed Successfully.");
    EXPECT_FALSE(c.TorqueRunOwnsPort());
    EXPECT_EQ(c.lblReadData2->text(), "");
    EXPECT_EQ(dialogs.texts().size(), 1);
}

// The PVT and swell tabs on the torque run's unit, every step but the last
// taken and the last one's reading shown when Start is pressed. While the run
// owns the port their steps are refused with the reason: the reading from
// before the run is no calibration point, nothing can be saved, and the last
// step does not close the run's port, so the run ends as it would have. After
// the run the step finds no reading left from before it.
TEST_F(TorqueTab, ThePvtAndSwellStepsAreRefusedWhileARunOwnsThePort) {
    const QString refused = QStringLiteral(
        "Please wait, calibrating torque. The torque calibration is using the unit's port, so no calibration step "
        "can be taken until it is over.");
    struct Case {
        const char* what;
        int tab;
        std::vector<QByteArray> readings;  // one for each step
    } cases[] = {
        {"PVT tab, large piston", 2, {"1600", "800", "400", "200", "100"}},
        {"swell tab", 3, {"1", "2", "4"}},
    };
    writePorts({3});
    UnitSimulator& u = unit(3);
    std::vector<std::pair<double, double>> points;
    for (int i = 1; i <= 12; ++i) points.emplace_back(2.0 * i + 1, double(i));
    u.setTorqueRun(points, true, 5);
    frmCalibrateTorque& c = open();
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        const bool pvt = k.tab == 2;
        tick::TickTimer& timer = pvt ? c.TimerPVT : c.TimerSWM;
        const double& live = pvt ? c.PvtReading : c.LsmVolt;
        auto step = [&](int i) { pvt ? c.cmdPVT_Click(i) : c.cmdSWM_Click(i); };
        auto taken = [&](int i) { return !(pvt ? c.lalData[size_t(i)] : c.lblvolt[size_t(i)])->text().isEmpty(); };
        auto saveEnabled = [&] { return (pvt ? c.cmdSave2 : c.cmdSave3)->isEnabled(); };

        chooseUnit(1, 0);
        c.MSComm1.PortOpen(false);  // as after an earlier run
        chooseUnit(k.tab, 0);
        ASSERT_TRUE(c.MSComm1.PortOpen()) << dialogs.texts().join('\n').toStdString();
        if (pvt) {
            c.Combo1->setCurrentIndex(0);
            c.Combo1_Click();
        }
        const int last = int(k.readings.size());
        for (int i = 1; i <= last; ++i) {
            UnitSimulator::Readings rd = u.readings();
            rd.field9 = k.readings[size_t(i - 1)];
            u.setReadings(rd);
            ASSERT_TRUE(until(
                [&] {
                    u.sendStatusFrame();
                    QThread::msleep(20);
                    timer.Tick();
                },
                [&] { return live == rd.field9.toDouble(); }));
            if (i < last) step(i);
        }
        ASSERT_TRUE(dialogs.messages.empty()) << dialogs.texts().join('\n').toStdString();

        c.cmdStart_Click();
        ASSERT_TRUE(c.TorqueRunOwnsPort()) << dialogs.texts().join('\n').toStdString();
        const int state = c.CaliState;
        step(last);
        EXPECT_EQ(dialogs.texts(), QStringList{refused});
        EXPECT_FALSE(taken(last));
        EXPECT_FALSE(saveEnabled());
        EXPECT_EQ(c.CaliState, state);
        EXPECT_TRUE(c.MSComm1.PortOpen());
        EXPECT_TRUE(c.TorqueRunOwnsPort());

        ASSERT_TRUE(runToEnd());
        EXPECT_EQ(c.TorquePoints.size(), points.size());
        EXPECT_EQ(c.CaliStatus->text(), "Calibration Completed Successfully.");
        EXPECT_EQ(dialogs.texts().size(), 1);

        // After the run the reading from before it is gone.
        step(last);
        EXPECT_EQ(dialogs.texts().last(), "Invalid calibration data");
        EXPECT_FALSE(taken(last));
        EXPECT_FALSE(saveEnabled());
        dialogs.clear();
    }
}

// Text lost from the unit (here the rest of a point frame whose head never
// came) may have held a point: the run is fitted on what came but is not
// reported as a success.
TEST_F(TorqueTab, ARunThatLostTextIsNoSuccess) {
    writePorts({0, 3});
    UnitSimulator& u = unit(3);
    frmCalibrateTorque& c = open();
    struct Case {
        const char* what;
        QByteArray lost;
        const char* status;
    } cases[] = {
        {"nothing lost, a status frame between", QByteArray(), "Calibration Completed Successfully."},
        {"the rest of a point frame", "5,2.5\x1a", "Calibration Completed, Problem detected. "},
        {"a point run into a status frame", "\x08" "35,", "Calibration Completed, Problem detected. "},
    };
    for (const Case& k : cases) {
        chooseUnit(1, 0);
        c.cmdStart_Click();
        settled(u);
        u.sendRaw(UnitSimulator::torquePointFrame(20, 10) + UnitSimulator::torquePointFrame(41, 20) + k.lost);
        u.sendStatusFrame();
        u.sendRaw(UnitSimulator::torquePointFrame(59, 30) + UnitSimulator::torqueEndFrame());
        ASSERT_TRUE(runToEnd()) << k.what;
        EXPECT_EQ(c.TorquePoints.size(), 3u) << k.what;
        EXPECT_TRUE(c.TorqueFitted) << k.what;
        EXPECT_NEAR(c.FitSlope, 1.95, 1e-12) << k.what;
        EXPECT_EQ(c.CaliStatus->text(), k.status) << k.what;
    }
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join('\n').toStdString();
}

// Only a calibration point is an answer: a unit that sends nothing but its
// status frames ends the run as a silent one does.
TEST_F(TorqueTab, AUnitSendingOnlyStatusFramesFreesTheTab) {
    writePorts({0, 3});
    UnitSimulator& u = unit(3);
    frmCalibrateTorque& c = open();
    chooseUnit(1, 0);
    c.cmdStart_Click();
    settled(u);
    auto frameTick = [&] {
        u.sendStatusFrame();
        testing_support::Until([&] { QThread::msleep(1); }, [&] { return c.MSComm1.InBufferCount() > 0; },
                               std::chrono::seconds(2));
        c.Timer1.Tick();
    };
    for (int i = 1; i < frmCalibrateTorque::kTorqueSilentTicks; ++i) frameTick();
    EXPECT_FALSE(c.cmdStart->isEnabled());
    // A point starts the count again.
    u.sendRaw(UnitSimulator::torquePointFrame(20, 10));
    ASSERT_TRUE(until([&] { c.Timer1.Tick(); }, [&] { return c.TorquePoints.size() == 1; }));
    for (int i = 1; i < frmCalibrateTorque::kTorqueSilentTicks; ++i) frameTick();
    EXPECT_FALSE(c.cmdStart->isEnabled());
    frameTick();
    EXPECT_TRUE(c.cmdStart->isEnabled());
    EXPECT_FALSE(c.MSComm1.PortOpen());
    EXPECT_FALSE(c.Timer1.Enabled());
    EXPECT_EQ(c.CaliStatus->text(), "Calibration Completed, Problem detected. ");
    EXPECT_EQ(dialogs.texts(), QStringList{"No response from Z3080, please check connection."});
}

// The port failing under a run (closed, or the unit's device gone) ends the
// run at once with one message naming the error; nothing more is taken.
TEST_F(TorqueTab, APortThatFailsUnderTheRunEndsItWithOneMessage) {
    writePorts({0, 3});
    struct Case {
        const char* what;
        bool vanish;
        const char* error;
    } cases[] = {
        {"port closed", false, "Operation valid only when the port is open"},
        {"unit gone", true, "Error reading comm device"},
    };
    for (const Case& k : cases) {
        dialogs.clear();
        UnitSimulator& u = unit(3);
        frmCalibrateTorque& c = open();
        chooseUnit(1, 0);
        c.cmdStart_Click();
        settled(u);
        u.sendRaw(UnitSimulator::torquePointFrame(20, 10));
        ASSERT_TRUE(until([&] { c.Timer1.Tick(); }, [&] { return c.TorquePoints.size() == 1; })) << k.what;
        if (k.vanish) {
            u.vanish();
            QThread::msleep(50);
        } else {
            c.MSComm1.PortOpen(false);
        }
        c.Timer1.Tick();
        EXPECT_TRUE(c.cmdStart->isEnabled()) << k.what;
        EXPECT_TRUE(c.cmbInstName[1]->isEnabled()) << k.what;
        EXPECT_FALSE(c.Timer1.Enabled()) << k.what;
        EXPECT_FALSE(c.TorqueRunOwnsPort()) << k.what;
        EXPECT_FALSE(c.TorqueFitted) << k.what;
        EXPECT_EQ(c.TorquePoints.size(), 1u) << k.what;
        EXPECT_EQ(c.CaliStatus->text(), "Calibration Completed, Problem detected. ") << k.what;
        ASSERT_EQ(dialogs.texts().size(), 1) << k.what << ": " << dialogs.texts().join('\n').toStdString();
        EXPECT_TRUE(dialogs.texts()[0].startsWith(k.error)) << dialogs.texts()[0].toStdString();
    }
}

// A start whose start frame cannot go out starts no run: the PVT tab's
// timer, stopped for the run, reads on.
TEST_F(TorqueTab, AStartThatSendsNothingLeavesTheOtherTabsReading) {
    writePorts({0, 3});
    unit(3);
    frmCalibrateTorque& c = open();
    chooseUnit(2, 0);
    ASSERT_TRUE(c.TimerPVT.Running());
    c.MSComm1.PortOpen(false);
    c.cmdStart_Click();
    ASSERT_EQ(dialogs.texts().size(), 2);
    EXPECT_TRUE(dialogs.texts()[1].startsWith("Operation valid only when the port is open"));
    EXPECT_FALSE(c.TorqueRunOwnsPort());
    EXPECT_TRUE(c.cmdStart->isEnabled());
    EXPECT_TRUE(c.TimerPVT.Running());
}

// The port closed between the start frame and the run frame: the run frame
// cannot be sent; the run is over, said so, and the port is free.
TEST_F(TorqueTab, AStartWhosePortFailsIsStoppedAndSaidSo) {
    writePorts({0, 3});
    UnitSimulator& u = unit(3);
    frmCalibrateTorque& c = open();
    chooseUnit(1, 0);
    c.Delay_Seconds = [&](int n, std::function<void()> then) {
        if (n == 1) c.MSComm1.PortOpen(false);
        then();
    };
    c.cmdStart_Click();
    ASSERT_EQ(dialogs.texts().size(), 2);
    EXPECT_EQ(dialogs.texts()[0], kComm);
    EXPECT_TRUE(dialogs.texts()[1].startsWith("Operation valid only when the port is open"));
    EXPECT_TRUE(c.cmdStart->isEnabled());
    EXPECT_FALSE(c.Timer1.Enabled());
    EXPECT_FALSE(c.TorqueRunOwnsPort());
    EXPECT_EQ(c.CaliStatus->text(), "Calibration Completed, Problem detected. ");
    ASSERT_TRUE(u.waitForCommands(1));
    QThread::msleep(50);
    EXPECT_EQ(u.commands().size(), 1u);  // the start frame only
}

TEST_F(TorqueTab, StartWithoutAPortShowsBothMessagesAndStaysFree) {
    writePorts({0, 3});
    frmCalibrateTorque& c = open();
    c.cmdStart_Click();  // no unit chosen: the port is closed
    ASSERT_EQ(dialogs.texts().size(), 2);
    EXPECT_EQ(dialogs.texts()[0], kComm);
    EXPECT_TRUE(c.cmdStart->isEnabled());
    EXPECT_FALSE(c.Timer1.Enabled());
}

// The port another tab holds for its unit is not the torque unit's: Start
// drives no unit through it.
TEST_F(TorqueTab, StartOnAPortAnotherTabOpenedForAnotherUnitSendsNothing) {
    writePorts({0, 3, 0, 0, 4});
    UnitSimulator& u = unit(3);
    frmCalibrateTorque& c = open();
    chooseUnit(2, 0);  // the PVT tab holds unit 2's port
    chooseUnit(1, 1);  // unit 5 on the torque tab: its port cannot be opened
    c.cmdStart_Click();
    ASSERT_EQ(dialogs.texts().size(), 3);
    EXPECT_EQ(dialogs.texts()[1], kComm);
    EXPECT_TRUE(c.cmdStart->isEnabled());
    EXPECT_FALSE(c.Timer1.Enabled());
    QThread::msleep(50);
    EXPECT_TRUE(u.commands().empty());
}

TEST_F(TorqueTab, SetValueTableSavedAndLoaded) {
    writePorts({0, 3});
    frmCalibrateTorque& c = open();
    for (int i = 0; i <= 20; ++i) c.txtCali[size_t(i)]->setText(QString::number(100 - i));
    c.txtCali[4]->setText("96.50");
    const QString path = dir.filePath("fluid.txt");
    dialogs.files = {path};
    c.cmdSave1_Click();
    EXPECT_EQ(dialogs.fileRequests[0].filter, "All Files (*.*)|*.*|Text Files(*.txt)|*.txt");
    EXPECT_EQ(dialogs.fileRequests[0].filterIndex, 2);
    // The numbers of the boxes, one a line.
    EXPECT_TRUE(fileBytes(path).startsWith("100\r\n99\r\n98\r\n97\r\n96.5\r\n95\r\n"));

    for (QLineEdit* t : c.txtCali) t->clear();
    dialogs.files = {path};
    c.cmdLoad_Click();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join('\n').toStdString();
    EXPECT_EQ(c.txtCali[4]->text(), "96.5");
    EXPECT_EQ(c.txtCali[20]->text(), "80");

    dialogs.files = {std::nullopt};
    c.cmdLoad_Click();
    EXPECT_EQ(dialogs.texts().last(), "Cancel was selected.");
}

// A file that does not fit the 21 rows is refused, naming the line, and no
// box changes; a box that holds no number saves nothing, naming its
// temperature, before a file is asked for.
TEST_F(TorqueTab, SetValueTableThatDoesNotFitItsRowsChangesNothing) {
    writePorts({0, 3});
    frmCalibrateTorque& c = open();
    QByteArray rows;
    for (int i = 0; i <= 20; ++i) rows += QByteArray::number(100 - i) + "\r\n";
    struct Case {
        const char* what;
        QByteArray content;
        const char* line;  // what the message says of the line
    } cases[] = {
        {"a comma in a value", "100\r\n91,5\r\n" + rows.mid(rows.indexOf("98")), "line 2 holds \"91,5\", not one number"},
        {"one line of commas", "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21\r\n", "line 1 holds \"1,2,3"},
        {"a line too many", rows + "5\r\n", "line 22 holds \"5\", past the 21 rows"},
        {"a short table", rows.left(rows.indexOf("82")), "the file ends after line 18"},
        {"an empty line", rows.left(rows.indexOf("95")) + "\r\n" + rows.mid(rows.indexOf("95")), "line 6 is empty"},
        {"a word", rows.left(rows.indexOf("90")) + "abc\r\n" + rows.mid(rows.indexOf("89")), "line 11 holds \"abc\", no number"},
    };
    for (const Case& k : cases) {
        for (QLineEdit* t : c.txtCali) t->setText("7");
        QFile f(dir.filePath("bad.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(k.content);
        f.close();
        dialogs.clear();
        dialogs.files = {dir.filePath("bad.txt")};
        c.cmdLoad_Click();
        ASSERT_EQ(dialogs.texts().size(), 1) << k.what;
        EXPECT_TRUE(dialogs.texts()[0].contains(k.line)) << k.what << ": " << dialogs.texts()[0].toStdString();
        EXPECT_TRUE(dialogs.texts()[0].startsWith(dir.filePath("bad.txt"))) << k.what;
        for (QLineEdit* t : c.txtCali) EXPECT_EQ(t->text(), "7") << k.what;
    }

    for (QLineEdit* t : c.txtCali) t->setText("7");
    c.txtCali[5]->clear();
    QFile::remove(dir.filePath("fluid.txt"));
    dialogs.clear();
    dialogs.files = {dir.filePath("fluid.txt")};
    c.cmdSave1_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{typed::NotANumberMessage("Viscosity at 25 (Deg C)", "")});
    EXPECT_TRUE(dialogs.fileRequests.empty());
    EXPECT_FALSE(QFile::exists(dir.filePath("fluid.txt")));
}

TEST_F(TorqueTab, CoefficientTableSentAndThePortClosedAgain) {
    writePorts({0, 3});
    UnitSimulator& u = unit(3);
    frmCalibrateTorque& c = open();
    const QString message = kComm + "  ";
    c.cmdSendCali_Click();  // no unit chosen yet
    EXPECT_EQ(dialogs.texts(), QStringList{message});

    chooseUnit(1, 0);
    c.MSComm1.PortOpen(false);  // as after a finished calibration
    QFile f(dir.filePath("coef.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("12.5\r\n2\r\n0.1,2,0.12\r\n1,0,-3.45\r\n");
    f.close();
    dialogs.clear();
    dialogs.files = {dir.filePath("coef.txt")};
    c.cmdSendCali_Click();
    // A table sent is confirmed.
    EXPECT_EQ(dialogs.texts(), QStringList{"The calibration profile " + dir.filePath("coef.txt") +
                                           " was sent to Unit 2."});
    ASSERT_TRUE(u.waitForCommands(1));
    EXPECT_EQ(u.commands()[0].bytes, QByteArray("\x06" "12.5,2,0.1,2.,0.12,1.,0.,-3.45,\r"));
    EXPECT_FALSE(c.MSComm1.PortOpen());

    // A table with coefficients the frame cannot carry as written (two
    // decimals, a one) is refused, each of them named: nothing is sent.
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("1234.56\r\n2\r\n1.23456,0.004,-0.5\r\n2.5,0.0001,1e-3\r\n");
    f.close();
    u.clearCommands();
    dialogs.clear();
    dialogs.files = {dir.filePath("coef.txt")};
    c.cmdSendCali_Click();
    EXPECT_EQ(dialogs.texts(),
              QStringList{"The unit takes each coefficient to two decimals (a to one), so the calibration profile " +
                          dir.filePath("coef.txt") +
                          " cannot be sent as the file holds it: a = 1234.56 would reach the unit as \"1234.6\", A(0) = "
                          "1.23456 as \"1.23\", A(1) = 0.004 as \"0.\", B(1) = 0.0001 as \"0.\", B(2) = 0.001 as "
                          "\"0.\". Nothing was sent. Write each coefficient with at most two decimals (a with one), then send the "
                          "profile again."})
        << dialogs.texts().join('\n').toStdString();
    EXPECT_FALSE(u.waitForCommands(1, 200));
    EXPECT_FALSE(c.MSComm1.PortOpen());
    dialogs.clear();

    // Cancelled, or the port already open: the message, nothing sent, the
    // port as it was.
    u.clearCommands();
    dialogs.files = {std::nullopt};
    c.cmdSendCali_Click();
    EXPECT_FALSE(c.MSComm1.PortOpen());
    c.MSComm1.PortOpen(true);
    c.cmdSendCali_Click();
    EXPECT_TRUE(c.MSComm1.PortOpen());
    EXPECT_EQ(dialogs.texts(), QStringList(2, message));
    EXPECT_FALSE(u.waitForCommands(1, 200));
}

TEST_F(TorqueTab, ReportOfTheLastCalibration) {
    writePorts({0, 3});
    frmCalibrateTorque& c = open();
    c.cmbInstName[1]->setCurrentIndex(0);
    for (int i = 0; i <= 20; ++i) c.txtCali[size_t(i)]->setText(QString::number(100 - 2 * i));
    c.TorquePoints = {{10, 1.5}, {25.3, 3}, {95 * 1.7023 * 20 / 100, 4}};
    c.FitMse = 0.5;
    const QString path = dir.filePath("report.csv");
    dialogs.files = {path};
    c.cmdExport_Click();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join('\n').toStdString();
    EXPECT_EQ(dialogs.fileRequests[0].filter, "All Files (*.*)|*.*|Text Files(*.csv)|*.csv");
    const QList<QByteArray> lines = fileBytes(path).split('\n');
    EXPECT_EQ(lines[3], "Instrument Unit:,Unit 2\r");
    EXPECT_EQ(lines[31], "Temperature is ,22.5 \xb0" "C\r");
    EXPECT_EQ(lines[35], " 0 , 10 , 1.5 \r");
    EXPECT_NEAR(c.FluidTemp, 22.5, 1e-9);

    // Too few points: nothing is written, the report before stays whole and
    // the reason is shown.
    const QByteArray whole = fileBytes(path);
    c.TorquePoints.resize(2);
    dialogs.files = {path};
    c.cmdExport_Click();
    EXPECT_EQ(fileBytes(path), whole);
    EXPECT_TRUE(dialogs.texts().last().startsWith("No report was written")) << dialogs.texts().last().toStdString();
}

// A report that cannot be made (the window's own fluid table of 100 at every
// temperature, a measured viscosity outside the fluid table, too few points,
// no speed at the third point) writes nothing: no file is made, a report of
// that name stays whole, and the message says what to do.
TEST_F(TorqueTab, AReportThatCannotBeMadeWritesNothingAndSaysWhy) {
    writePorts({0, 3});
    // Speeds 0, 10, 20 rpm: the third point measures v cP.
    auto measuring = [](double v) {
        return std::vector<unit::TorquePoint>{{10, 5}, {20, 10}, {v * 1.7023 * 20 / 100, 15}};
    };
    const std::vector<unit::TorquePoint> hundred = measuring(100);
    // The fluid's own table: 110 cP at 20 (Deg C) falling to 70 at 40.
    QStringList falling;
    for (int i = 0; i <= 20; ++i) falling << QString::number(110 - 2 * i);
    struct Case {
        const char* what;
        std::vector<unit::TorquePoint> points;
        QStringList table;  // empty: the window's own, 100 at every temperature
        QStringList said;   // what the message names
    } cases[] = {
        {"the window's own fluid table", hundred, {},
         {"No report was written", "20 (Deg C)", "21 (Deg C)", "100.0 cP",
          "The viscosities of the calibration fluid must differ between temperatures", "Load From File"}},
        {"the window's own fluid table, 95 cP measured", measuring(95), {},
         {"No report was written", "95.0 cP", "below", "100 cP at every temperature", "Calibration Fluid Specs",
          "Load From File"}},
        {"below the table's lowest", measuring(60), falling,
         {"No report was written", "60.0 cP", "below", "from 70 to 110 cP", "warmer than 40", "Start"}},
        {"above the table's highest", measuring(120), falling,
         {"No report was written", "120.0 cP", "above", "from 70 to 110 cP", "colder than 20", "Start"}},
        {"two points", {{10, 5}, {20, 10}}, {},
         {"No report was written", "three calibration points", "has 2", "Start"}},
        {"no speed at the third point", {{10, 5}, {10, 6}, {10.05, 7}}, {},
         {"No report was written", "third", "Start"}},
    };
    frmCalibrateTorque& c = open();
    c.cmbInstName[1]->setCurrentIndex(0);
    const QByteArray earlier = "an earlier report\r\n";
    for (const Case& k : cases) {
        for (int i = 0; i <= 20; ++i) c.txtCali[size_t(i)]->setText(k.table.isEmpty() ? "100" : k.table[i]);
        for (const bool before : {false, true}) {
            const QString path = dir.filePath(before ? "earlier.csv" : "new.csv");
            QFile::remove(path);
            if (before) {
                QFile f(path);
                ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                f.write(earlier);
            }
            c.TorquePoints = k.points;
            c.FitMse = 0.5;
            c.TorqueFitted = true;
            dialogs.clear();
            dialogs.files = {path};
            c.cmdExport_Click();
            if (before)
                EXPECT_EQ(fileBytes(path), earlier) << k.what;
            else
                EXPECT_FALSE(QFile::exists(path)) << k.what;
            ASSERT_EQ(dialogs.messages.size(), 1u) << k.what << " " << dialogs.texts().join('\n').toStdString();
            for (const QString& part : k.said)
                EXPECT_TRUE(dialogs.texts()[0].contains(part))
                    << k.what << ": no \"" << part.toStdString() << "\" in " << dialogs.texts()[0].toStdString();
        }
    }
    // With the fluid's own falling table, a viscosity it brackets is reported.
    for (int i = 0; i <= 20; ++i) c.txtCali[size_t(i)]->setText(falling[i]);
    c.TorquePoints = hundred;
    dialogs.clear();
    dialogs.files = {dir.filePath("earlier.csv")};
    c.cmdExport_Click();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join('\n').toStdString();
    EXPECT_TRUE(fileBytes(dir.filePath("earlier.csv")).contains("Temperature is ,25.0 \xb0" "C\r\n"));
}

// After a run the window shows the fit: the fitted line on the plot beside
// the points, its slope and mean square error in the boxes under the plot;
// a run that cannot be fitted shows none of them (the older fit is not its).
TEST_F(TorqueTab, ARunShowsItsFittedLineSlopeAndError) {
    writePorts({0, 3});
    UnitSimulator& u = unit(3);
    frmCalibrateTorque& c = open();
    auto* slope = c.findChild<QLabel*>("lblSlope");
    auto* mse = c.findChild<QLabel*>("lblMse");
    ASSERT_NE(slope, nullptr);
    ASSERT_NE(mse, nullptr);
    auto run = [&](const std::vector<std::pair<double, double>>& points) {
        chooseUnit(1, 0);
        c.cmdStart_Click();
        settled(u);
        QByteArray frames;
        for (const auto& [stress, angle] : points) frames += UnitSimulator::torquePointFrame(stress, angle);
        u.sendRaw(frames + UnitSimulator::torqueEndFrame());
        ASSERT_TRUE(runToEnd());
    };
    run({{10, 5}, {20, 10}, {34.046, 15}});
    ASSERT_TRUE(c.TorqueFitted);
    EXPECT_NEAR(c.FitSlope, 2.4046, 1e-12);
    EXPECT_EQ(slope->text(), "2.4046");
    EXPECT_EQ(mse->text(), Format(c.FitMse, "#0.0##"));
    EXPECT_EQ(mse->text(), "0.909");
    EXPECT_TRUE(slope->isVisibleTo(&c));
    EXPECT_EQ(c.findChild<QLabel*>("Label13")->text(), "Slope =");
    EXPECT_EQ(c.findChild<QLabel*>("Label14")->text(), "Mean square error =");
    // The points, and the line across their angles.
    ASSERT_EQ(c.CWGraph1->subsets(), 2);
    EXPECT_EQ(c.CWGraph1->yData(0, 2), 34.046f);
    EXPECT_EQ(c.CWGraph1->subsetLabel(1), "Fitted line");
    EXPECT_EQ(c.CWGraph1->xData(1, 0), 5.0f);
    EXPECT_EQ(c.CWGraph1->xData(1, 1), 15.0f);
    EXPECT_EQ(c.CWGraph1->yData(1, 0), float(c.FitIntercept + c.FitSlope * 5));
    EXPECT_EQ(c.CWGraph1->yData(1, 1), float(c.FitIntercept + c.FitSlope * 15));
    EXPECT_FALSE(c.CWGraph1->hasXData(1, 2));

    run({{10, 5}, {20, 5}, {30, 5}});  // one angle: no line
    EXPECT_FALSE(c.TorqueFitted);
    EXPECT_TRUE(slope->text().isEmpty()) << slope->text().toStdString();
    EXPECT_TRUE(mse->text().isEmpty()) << mse->text().toStdString();
    EXPECT_EQ(c.CWGraph1->subsets(), 1);
    EXPECT_EQ(c.CWGraph1->points(), 3);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join('\n').toStdString();
}

// The report gives the mean square error of its own points: after a run that
// could not be fitted, none (the older fit is not theirs).
TEST_F(TorqueTab, ReportAfterARunThatCouldNotBeFittedGivesNoOlderFit) {
    writePorts({0, 3});
    UnitSimulator& u = unit(3);
    frmCalibrateTorque& c = open();
    for (int i = 0; i <= 20; ++i) c.txtCali[size_t(i)]->setText(QString::number(100 - 2 * i));
    auto run = [&](const std::vector<std::pair<double, double>>& points) {
        chooseUnit(1, 0);
        c.cmdStart_Click();
        settled(u);
        QByteArray frames;
        for (const auto& [stress, angle] : points) frames += UnitSimulator::torquePointFrame(stress, angle);
        u.sendRaw(frames + UnitSimulator::torqueEndFrame());
        ASSERT_TRUE(runToEnd());
    };
    auto mseLine = [&] {
        const QString path = dir.filePath("report.csv");
        dialogs.files = {path};
        c.cmdExport_Click();
        for (const QByteArray& l : fileBytes(path).split('\n'))
            if (l.startsWith("Mean square error is: ")) return QString::fromLatin1(l.trimmed());
        return QString("<none>");
    };
    run({{10, 1}, {20, 2}, {31, 3}});
    ASSERT_TRUE(c.TorqueFitted);
    const double mse = c.FitMse;
    ASSERT_GT(mse, 0);
    EXPECT_EQ(mseLine(), "Mean square error is: " + CStr(mse));

    run({{10, 5}, {20, 5}, {30, 5}});  // one angle: no line
    EXPECT_FALSE(c.TorqueFitted);
    EXPECT_EQ(c.FitMse, mse);  // kept, but not this run's
    const QString line = mseLine();
    EXPECT_FALSE(line.contains(CStr(mse))) << line.toStdString();
    EXPECT_EQ(line, "Mean square error is: none, no straight line could be fitted to these points");
}

// ---- PVT pistons ------------------------------------------------------------------

class PistonTab : public CalibrationFixture {
protected:
    // The unit's magnet position now reads r; ticks until the tab shows it.
    void reading(double r) {
        UnitSimulator::Readings rd = sim->readings();
        rd.field9 = QByteArray::number(r);
        sim->setReadings(rd);
        ASSERT_TRUE(until(
            [&] {
                sim->sendStatusFrame();
                QThread::msleep(20);
                w->TimerPVT.Tick();
            },
            [&] { return w->PvtReading == r; }));
    }
};

// As on the swell tab: a unit whose port cannot be opened takes no reading
// of the unit whose port is still open.
TEST_F(PistonTab, AUnitThatCannotBeOpenedTakesNoReadingsOfTheUnitBefore) {
    writePorts({0, 3, 0, 0, 4});
    unit(3);
    frmCalibrateTorque& c = open();
    chooseUnit(2, 0);
    reading(500);
    chooseUnit(2, 1);
    EXPECT_FALSE(c.TimerPVT.Running());
    c.Combo1->setCurrentIndex(0);
    c.Combo1_Click();
    c.cmdPVT_Click(1);
    EXPECT_EQ(dialogs.texts(), (QStringList{kComm, "Invalid calibration data"}));
    EXPECT_TRUE(c.lalData[1]->text().isEmpty());
}

TEST_F(PistonTab, LargePistonCalibratedSavedAndReadBack) {
    writePorts({0, 3});
    unit(3);
    frmCalibrateTorque& c = open();
    chooseUnit(2, 0);
    c.Combo1->setCurrentIndex(0);
    c.Combo1_Click();
    EXPECT_EQ(c.Text1[2]->text(), "0.25");
    EXPECT_EQ(c.cmdPVT[3]->text(), "Install #3 rod into piston and click here");

    const double readings[] = {1600, 800, 400, 200, 100};
    for (int i = 1; i <= 5; ++i) {
        EXPECT_FALSE(c.cmdPVT[size_t(i)]->isHidden()) << i;
        reading(readings[i - 1]);
        c.cmdPVT_Click(i);
        EXPECT_EQ(c.lalData[size_t(i)]->text(), CStr(readings[i - 1]));
        if (i == 1) {
            EXPECT_EQ(c.Label6->text(), "STEP 2");
            EXPECT_TRUE(c.cmdPVT[1]->isHidden());
            EXPECT_EQ(c.CaliState, 1);
        }
    }
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join('\n').toStdString();
    const double slope2 = (std::log10(2.35) - std::log10(2.1)) / (std::log10(800) - std::log10(1600));
    EXPECT_EQ(c.lalSlope[2]->text(), Format(slope2, "#0.0####"));
    EXPECT_EQ(c.CaliState, 2);
    EXPECT_FALSE(c.MSComm1.PortOpen());
    EXPECT_FALSE(c.TimerPVT.Enabled());
    EXPECT_TRUE(c.cmdSave2->isEnabled());
    EXPECT_TRUE(c.cmdPVTExport->isEnabled());
    EXPECT_EQ(c.CWGraph2->points(), 5);

    c.cmdSave2_Click();
    EXPECT_EQ(c.CaliState, 3);
    EXPECT_FALSE(c.cmdSave2->isEnabled());
    const QByteArray file = fileBytes(dir.filePath("Calilarg.dat"));
    const QList<QByteArray> lines = file.split('\n');
    ASSERT_EQ(lines.size(), 9);  // 8 lines and the end
    EXPECT_EQ(lines[0], "\r");
    EXPECT_TRUE(lines[1].startsWith(" 5 , 0 , .25 , .5 , .75 , 1 , 1600 , 800 , 400 , 200 , 100 ,"));
    EXPECT_EQ(lines[1].count(','), 19);

    // The file holds the values of the labels, as the test window reads them.
    const calibration::PistonReadResult back = calibration::ReadPistonCalibration(calibration::Piston::Large, 2);
    ASSERT_TRUE(back.ok()) << back.message.toStdString();
    EXPECT_EQ(back.data.slopes[1], Val(c.lalSlope[2]->text()));
    EXPECT_EQ(back.data.intercepts[4], Val(c.lalIntercept[5]->text()));

    // The report holds the logarithm of each reading.
    dialogs.files = {dir.filePath("pvt.txt")};
    c.cmdPVTExport_Click();
    const QList<QByteArray> report = fileBytes(dir.filePath("pvt.txt")).split('\n');
    EXPECT_EQ(report[3], "Instrument Unit: 2\r");
    EXPECT_EQ(report[4], "Piston Type: Large piston\r");
    EXPECT_EQ(report[7], "Position 1    " + CStr(Log10(1600.0)).toLatin1() + "\r");
    EXPECT_EQ(report[11], "Position 5    2\r");
}

// A unit chosen after the piston resets the steps but keeps the heights the
// steps use on show, as typed.
TEST_F(PistonTab, AUnitChosenAfterThePistonKeepsTheHeightsShown) {
    writePorts({0, 3});
    unit(3);
    frmCalibrateTorque& c = open();
    for (int piston : {0, 1}) {
        c.Combo1->setCurrentIndex(piston);
        c.Combo1_Click();
        c.Text1[2]->setText("1.25");
        chooseUnit(2, 0);
        ASSERT_TRUE(c.MSComm1.PortOpen()) << dialogs.texts().join('\n').toStdString();
        for (int i = 1; i <= 5; ++i) {
            const bool used = i <= c.PvtCount;
            EXPECT_EQ(!c.Text1[size_t(i)]->isHidden(), used) << "piston " << piston << " box " << i;
            EXPECT_EQ(!c.Label20[size_t(i)]->isHidden(), used) << "piston " << piston << " box " << i;
            EXPECT_EQ(!c.Label24[size_t(i)]->isHidden(), used) << "piston " << piston << " box " << i;
        }
        EXPECT_EQ(c.Text1[2]->text(), "1.25");
        EXPECT_FALSE(c.cmdPVT[1]->isHidden());
        c.MSComm1.PortOpen(false);
    }
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join('\n').toStdString();
}

// The readings fall from the top (position 1) to the last position, as the
// PVT test reads them: a reading above the one before is refused with the
// reason and the step stays to be taken again.
TEST_F(PistonTab, AReadingAboveTheOneBeforeIsRefused) {
    writePorts({0, 3});
    unit(3);
    frmCalibrateTorque& c = open();
    chooseUnit(2, 0);
    c.Combo1->setCurrentIndex(1);  // small piston: 4 positions
    c.Combo1_Click();
    reading(1000);
    c.cmdPVT_Click(1);
    reading(1500);
    c.cmdPVT_Click(2);
    EXPECT_EQ(dialogs.texts(),
              QStringList{"The reading at position 2 (1500) is above the one at position 1 (1000): the readings must "
                          "fall from position 1 (the top) to the last position, as the PVT test reads them. Check the "
                          "rod or spacer in the piston, then click the step again."});
    EXPECT_TRUE(c.lalData[2]->text().isEmpty());
    EXPECT_FALSE(c.cmdPVT[2]->isHidden());
    dialogs.clear();
    for (int i = 2; i <= 4; ++i) {
        reading(1000 - 200.0 * (i - 1));
        c.cmdPVT_Click(i);
    }
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join('\n').toStdString();
    EXPECT_EQ(c.CaliState, 2);
}

TEST_F(PistonTab, StepsRefusedWithTheirMessages) {
    writePorts({0, 3});
    unit(3);
    frmCalibrateTorque& c = open();
    c.cmdPVT_Click(1);
    c.cmbInstName[2]->setCurrentIndex(0);
    c.cmdPVT_Click(1);
    chooseUnit(2, 0);
    c.Combo1->setCurrentIndex(1);
    c.Combo1_Click();
    EXPECT_EQ(c.cmdPVT[1]->text(), "Set magnet at top with flat spacer and click here");
    c.Text1[1]->setText("  ");
    c.cmdPVT_Click(1);
    c.Text1[1]->setText("0");
    c.cmdPVT_Click(1);  // no reading yet
    EXPECT_EQ(c.CaliState, 1);
    reading(100);
    c.cmdPVT_Click(1);
    reading(100);  // the same reading again: no segment
    c.cmdPVT_Click(2);
    EXPECT_FALSE(c.cmdPVT[2]->isHidden());  // the step can be repeated
    c.cmdSave2_Click();
    const QStringList expected = {"select unit first",        "select piston type first",
                                  "Select piston size first.", "Invalid calibration data"};
    ASSERT_EQ(dialogs.texts().size(), 6);
    EXPECT_EQ(dialogs.texts().mid(0, 4), expected);
    EXPECT_TRUE(dialogs.texts()[4].startsWith("ERROR: ")) << dialogs.texts()[4].toStdString();
    EXPECT_EQ(dialogs.texts()[5], "Please complete all calibration steps before saving your settings.");
}

// ---- swell sensor -------------------------------------------------------------------

class SwellTab : public CalibrationFixture {
protected:
    void volts(const QByteArray& v) {
        UnitSimulator::Readings rd = sim->readings();
        rd.field9 = v;
        sim->setReadings(rd);
        ASSERT_TRUE(until(
            [&] {
                sim->sendStatusFrame();
                QThread::msleep(20);
                w->TimerSWM.Tick();
            },
            [&] { return w->LsmVolt == v.toDouble(); }));
    }
};

TEST_F(SwellTab, OneTwoFourVoltsCalibratedAndSaved) {
    writePorts({0, 0, 0, 0, 3});
    unit(3);
    frmCalibrateTorque& c = open();
    chooseUnit(3, 0);
    ASSERT_TRUE(c.TimerSWM.Running());
    volts("1");
    c.cmdSWM_Click(1);
    EXPECT_EQ(c.Label31->text(), "Step 2");
    EXPECT_FALSE(c.cmdSWM[2]->isHidden());
    volts("2");
    EXPECT_EQ(c.lblReaddata3->text(), "0.30103");
    c.cmdSWM_Click(2);
    volts("4");
    c.cmdSWM_Click(3);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join('\n').toStdString();
    EXPECT_EQ(c.lblvolt[4]->text(), "0");
    EXPECT_EQ(c.lblvolt[5]->text(), "0.301029995663981");
    EXPECT_EQ(c.lblvolt[6]->text(), "0.602059991327962");
    EXPECT_EQ(c.lblconst1->text(), "0.4");
    EXPECT_EQ(c.lblconst2->text(), "0.83048");
    EXPECT_EQ(c.lblconst3->text(), "0.4");
    EXPECT_EQ(c.lblconst4->text(), "0.83048");
    EXPECT_EQ(c.CaliState, 2);
    EXPECT_FALSE(c.MSComm1.PortOpen());
    EXPECT_FALSE(c.TimerSWM.Enabled());
    EXPECT_TRUE(c.cmdSave3->isEnabled());
    EXPECT_EQ(c.CWGraph3->points(), 3);

    c.cmdSave3_Click();
    EXPECT_EQ(c.CaliState, 3);
    EXPECT_FALSE(c.cmdSave3->isEnabled());
    EXPECT_EQ(fileBytes(dir.filePath("Calib.dat")),
              "\r\n\r\n\r\n\r\n1,2,4, .4 , .830482023721841 , .4 , .830482023721841 \r\n\r\n\r\n\r\n");

    dialogs.files = {dir.filePath("lsm.csv")};
    c.cmdSWMExport_Click();
    const QList<QByteArray> report = fileBytes(dir.filePath("lsm.csv")).split('\n');
    EXPECT_EQ(report[4], "Unit No.: ,5\r");
    EXPECT_EQ(report[8], "0.65,0.301029995663981\r");
    EXPECT_EQ(report[12], "0.4           0.83048\r");
}

// A unit chosen again while the tab's port is still open for another one
// cannot be opened: the tab, reset and showing the new unit, must not go on
// taking the first unit's readings, which its save would write into the new
// unit's line.
TEST_F(SwellTab, AUnitThatCannotBeOpenedTakesNoReadingsOfTheUnitBefore) {
    writePorts({0, 3, 0, 0, 4});
    unit(3);
    frmCalibrateTorque& c = open();
    chooseUnit(3, 0);  // Unit 2, on port 3
    volts("1");
    chooseUnit(3, 1);  // Unit 5: its port cannot be opened while unit 2's is
    EXPECT_EQ(dialogs.texts(), QStringList{kComm});
    EXPECT_EQ(c.cmbInstName[3]->currentText(), "Unit 5");
    EXPECT_FALSE(c.TimerSWM.Running());
    // Away and back starts the tab's timer again, but it reads nothing while
    // the tab shows unit 5.
    c.TabStrip1->setCurrentIndex(1);
    c.TabStrip1->setCurrentIndex(2);
    sim->sendStatusFrame();
    QThread::msleep(50);
    c.TimerSWM.Tick();
    EXPECT_EQ(c.LsmVolt, 0);
    c.cmdSWM_Click(1);
    EXPECT_EQ(dialogs.texts().last(), "Invalid calibration data");
    EXPECT_TRUE(c.lblvolt[1]->text().isEmpty());
}

// Choosing a unit resets the tab and empties the voltages a save writes:
// a save then would put a line no reader can read into that unit's place.
TEST_F(SwellTab, AUnitChosenAfterTheStepsLeavesNothingToSave) {
    writePorts({0, 3, 0, 0, 3});
    unit(3);
    frmCalibrateTorque& c = open();
    chooseUnit(3, 0);
    volts("1");
    c.cmdSWM_Click(1);
    volts("2");
    c.cmdSWM_Click(2);
    volts("4");
    c.cmdSWM_Click(3);
    ASSERT_TRUE(c.cmdSave3->isEnabled());
    chooseUnit(3, 1);  // Unit 5
    EXPECT_TRUE(c.TimerSWM.Running());
    EXPECT_TRUE(c.lblvolt[1]->text().isEmpty());
    EXPECT_FALSE(c.cmdSave3->isEnabled());
}

TEST_F(SwellTab, StepsNeedAUnitAndAGoodReadingAndASaveFailureIsShown) {
    writePorts({0, 0, 3});
    unit(3);
    frmCalibrateTorque& c = open();
    c.cmdSWM_Click(1);
    chooseUnit(3, 0);
    c.cmdSWM_Click(1);  // no frame yet
    EXPECT_EQ(c.CaliState, 1);
    EXPECT_EQ(dialogs.texts(), (QStringList{"Select unit # first", "Invalid calibration data"}));

    // A bad frame ends the tick's reading.
    sim->sendFrameWithCommas(7);
    sim->sendStatusFrame();
    QThread::msleep(50);
    c.TimerSWM.Tick();
    EXPECT_EQ(c.LsmVolt, 0);

    // A report before step 3 holds the head lines only.
    dialogs.files = {dir.filePath("head.csv")};
    c.cmdSWMExport_Click();
    EXPECT_EQ(fileBytes(dir.filePath("head.csv")).count('\n'), 8);

    // Calib.dat that cannot be saved over: the message with its title.
    QFile f(dir.filePath("Calib.dat"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("x\r\n").repeated(19));
    f.close();
    c.cmdSave3_Click();
    EXPECT_EQ(dialogs.messages.back().title, "Form_Load Error");
    EXPECT_TRUE(dialogs.texts().last().endsWith(" -  9"));
    EXPECT_EQ(fileBytes(dir.filePath("Calib.dat")), QByteArray("x\r\n").repeated(19));
}

}  // namespace
