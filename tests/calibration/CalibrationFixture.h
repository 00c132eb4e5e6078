#pragma once
// A data folder with a settings file, message boxes and file dialogs
// answered, timers ticked by hand, the waits of the torque start made
// instant, and a simulated unit on a pseudo-terminal where a test wants one.

#include "calibration/frmCalibrateTorque.h"
#include "data/Globals.h"
#include "platform/CommPort.h"
#include "support/ManualTicks.h"
#include "support/ScriptedDialogs.h"
#include "support/UnitSimulator.h"
#include "support/UnitTestHelpers.h"
#include "support/SavedGlobals.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>

namespace calibration_tests {

class CalibrationFixture : public ::testing::Test {
protected:
    void SetUp() override {
        gAppPath = dir.path();
        gUnitSystem = 1;
        gViscLabel = QStringLiteral("( cP )");
        gStressLabel = QStringLiteral("(dyn/cm2)");
    }
    void TearDown() override { w.reset(); }

    // The settings file with the ports of units 1 .. 8 (missing ones 0).
    void writePorts(std::initializer_list<int> ports) { testing_support::WritePortSettings(ports); }

    // The torque start's waits, over at once.
    static void noWait(int, std::function<void()> then) { then(); }

    // A loaded window whose torque start does not wait.
    frmCalibrateTorque& open() {
        w = std::make_unique<frmCalibrateTorque>();
        w->Delay_Seconds = noWait;
        w->Form_Load();
        return *w;
    }

    // A simulated unit on port `port`, running on its own.
    testing_support::UnitSimulator& unit(int port) {
        sim = std::make_unique<testing_support::UnitSimulator>();
        sim->attachToPort(port);
        sim->setPeriod(0);
        sim->start();
        return *sim;
    }

    // Chooses entry `index` of the tab's unit list as the operator does.
    void chooseUnit(int tab, int index) {
        w->cmbInstName[size_t(tab)]->setCurrentIndex(index);
        w->cmbInstName_Click(tab);
    }

    // Runs `step` until `done` holds or three seconds pass.
    static bool until(const std::function<void()>& step, const std::function<bool()>& done) {
        return testing_support::Until(step, done, std::chrono::seconds(3));
    }

    // Ticks the torque tab until its run is over (Start enabled again). The
    // ticks are paced 50 ms apart, so that the tab's count of ticks without a
    // calibration point (kTorqueSilentTicks) stands for seconds the simulated
    // unit had to answer, also on a loaded machine; within twenty seconds.
    bool runToEnd() {
        return testing_support::Until(
            [&] {
                QThread::msleep(50);
                w->Timer1.Tick();
            },
            [&] { return w->cmdStart->isEnabled(); }, std::chrono::seconds(20));
    }

    QTemporaryDir dir;
    testing_support::ScriptedDialogs dialogs;
    testing_support::ManualTicks ticks;
    std::unique_ptr<testing_support::UnitSimulator> sim;
    std::unique_ptr<frmCalibrateTorque> w;

private:
    testing_support::SavedGlobals saved_;
};

}  // namespace calibration_tests
