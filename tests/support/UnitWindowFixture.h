#pragma once
// A data folder with a fresh database and a settings file, the connection
// opened on it, message boxes answered, timers ticked by hand, and the
// application-wide values put back afterwards.

#include "data/Globals.h"
#include "data/clsConnection.h"
#include "platform/CommPort.h"
#include "unitrun/SequenceRun.h"
#include "unitlink/UnitProtocol.h"
#include "support/ManualTicks.h"
#include "support/QtPrint.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDb.h"
#include "support/UnitTestHelpers.h"
#include "support/SavedGlobals.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QThread>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>
#include <optional>
#include <vector>

namespace unit_tests {

using testing_support::SavedGlobals;


class UnitWindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        gUnitSystem = 1;
        gKUnit = 1;
        gSF = 1.0;
        conn.OpenDB();
        ASSERT_NE(conn.ADOConnection(), nullptr);
        ASSERT_EQ(QDir(gAppPath), QDir(db.dir()));
    }

    // The settings file with the ports of units 1 .. 8 (missing ones 0).
    void writePorts(std::initializer_list<int> ports) { testing_support::WritePortSettings(ports); }

    // Maps a port number to a device that does not exist.
    void noDevice(int port) {
        const QByteArray name = comm::PortEnvironmentVariable(port).toLatin1();
        savedEnv_.emplace_back(name, qEnvironmentVariableIsSet(name.constData()) ? std::optional(qgetenv(name.constData()))
                                                                                 : std::nullopt);
        qputenv(name.constData(), "/nonexistent/ttyZ3080");
    }
    void TearDown() override {
        for (const auto& [name, value] : savedEnv_) {
            if (value)
                qputenv(name.constData(), *value);
            else
                qunsetenv(name.constData());
        }
    }

    // A run in the middle of a long step of one cycle, its set points sent
    // long ago: its ticks parse the unit's replies, record nothing and send
    // nothing.
    static void pretendStepRuns(runloop::SequenceRun& run) {
        runloop::RunTables t;
        t.mStepMinutes << 1e6;
        t.mStepTemp << 75;
        t.mStepTempError << 1;
        t.mStepSpeed << 0;
        t.mStepInterval << 0;
        t.mStepPress << 0;
        t.mStepRunRamp << 0;
        t.mStepTempRate << 0;
        t.mStepCycles << 1;
        t.mStepPressRate << 0;
        t.mStepCount = 1;
        run.TakeSteps(t);
        run.CurStep = 1;
        run.CurCycle = 1;
        run.StepTick = 100;
        run.RunState = runloop::kStepRunning;
    }

    // Runs `step` (a tick) until `done` holds or two seconds pass.
    static bool until(const std::function<void()>& step, const std::function<bool()>& done) {
        return testing_support::Until(step, done);
    }

    SavedGlobals saved;
    testing_support::ScriptedDialogs dialogs;
    testing_support::ManualTicks ticks;
    testing_support::TempDb db;
    testing_support::InFolder folder{db.dir()};
    clsConnection conn;
    std::vector<std::pair<QByteArray, std::optional<QByteArray>>> savedEnv_;
};

}  // namespace unit_tests
