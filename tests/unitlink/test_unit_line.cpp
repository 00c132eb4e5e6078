// The serial line end to end: the application's port, pointed through the
// port mapping at a simulated unit on a pseudo-terminal, sends real frames,
// and the unit's replies are polled and parsed as a window's tick does.

#include "data/Globals.h"
#include "platform/CommPort.h"
#include "unitlink/UnitProtocol.h"
#include "unitlink/StoredTransferRead.h"
#include "unitrun/ReadingsAge.h"
#include "support/ManualClock.h"
#include "support/QtPrint.h"
#include "support/ScriptedDialogs.h"
#include "support/TransferReads.h"
#include "support/UnitSimulator.h"
#include "support/SavedGlobals.h"

#include <QThread>
#include <gtest/gtest.h>

#include <chrono>

using namespace unit;
using testing_support::ScriptedDialogs;
using testing_support::UnitSimulator;

namespace {

constexpr int kPort = 3;

// A unit window's line: the port opened as the multi-unit window opens it.
class UnitLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        gUnitSystem = 1;
        gMaxPress = 30000;
        unit.attachToPort(kPort);
        port.PortNumber(kPort);
        port.Settings(QStringLiteral("115200,n,8,1"));
        port.PortOpen(true);
        port.InputLen(0);
        port.RThreshold(1);
        port.SThreshold(0);
    }

    // Timer ticks of the window: parse what arrived, until a frame was parsed
    // or two seconds pass.
    ReplyResult tickUntilFrame() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        for (;;) {
            ReplyResult r = parser.ParseUnitReply(port, false);
            if (r.framesParsed > 0 || std::chrono::steady_clock::now() >= deadline) return r;
            QThread::msleep(5);
        }
    }

    // Waits until at least `count` characters wait at the port, or two seconds pass.
    bool waitForInput(int count) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (port.InBufferCount() < count) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            QThread::msleep(2);
        }
        return true;
    }

    testing_support::SavedGlobals saved;

    ScriptedDialogs dialogs;
    UnitSimulator unit;
    comm::CommPort port;
    UnitReplyParser parser;
};

// The download's reads on the line, fired by hand (TransferReads.h): what
// the transfer brought, or the failure of the port.
QString readTransfer(comm::CommPort& port, std::vector<int>* times = nullptr) {
    testing_support::ManualTicks ticks;
    StoredTransferRead read(port);
    QString received;
    read.Begin([&](const QString& text) { received = text; }, [](const comm::CommError& e) { throw e; });
    EXPECT_TRUE(testing_support::FinishTransfer(read, times));
    EXPECT_EQ(read.state(), StoredTransferRead::State::Done);
    return received;
}

}  // namespace

TEST_F(UnitLineTest, ASetPointFrameReachesTheUnitAndItsReplyIsParsed) {
    UnitSimulator::Readings r;
    r.temperature = 349.5;
    r.stress = 123.4;
    r.pressure = 4990;
    r.gel = 51.1;
    unit.setReadings(r);

    port.Output(SetPointFrame(350, 5000, 300, 1));
    ASSERT_TRUE(unit.waitForCommands(1));
    EXPECT_EQ(unit.commands()[0].bytes, QByteArray("\x01" "350.0,05000,300.000 1\r"));

    const ReplyResult got = tickUntilFrame();
    EXPECT_EQ(got.framesParsed, 1);
    EXPECT_EQ(got.caption, std::optional<QString>("Running Test"));
    EXPECT_DOUBLE_EQ(parser.readings.mSampleTemp, 349.5);
    EXPECT_DOUBLE_EQ(parser.readings.mTempSetPointRead, 350);
    EXPECT_DOUBLE_EQ(parser.readings.mSpeed, 300);
    EXPECT_DOUBLE_EQ(parser.readings.mShearStress, 123.4);
    EXPECT_DOUBLE_EQ(parser.readings.mPressure, 4990);
    EXPECT_EQ(parser.texts.txtPressSetPoint, "5000");
    EXPECT_EQ(parser.texts.txtGelAngle, "10.0");
}

TEST_F(UnitLineTest, StopAndZeroFramesAndTheirAnswers) {
    port.Output(StopFrame());
    ASSERT_TRUE(unit.waitForCommands(1));
    EXPECT_EQ(tickUntilFrame().caption, std::optional<QString>("InActive"));

    // Zero: what is waiting is dropped from the buffer, then the zero frame goes out.
    parser.mRxBuffer = QStringLiteral("#01,1,2");
    ZeroUnit(port, parser);
    EXPECT_EQ(parser.mRxBuffer, "");
    EXPECT_EQ(port.InputLen(), 0);
    ASSERT_TRUE(unit.waitForCommands(2));
    EXPECT_EQ(unit.commands()[0].bytes, QByteArray("\x04\r"));
    EXPECT_EQ(unit.commands()[1].bytes, QByteArray("\x08\r"));

    port.Output(ManualTemperatureFrame(250));
    ASSERT_TRUE(unit.waitForCommands(3));
    EXPECT_EQ(unit.commands()[2].bytes, QByteArray("\x09" "250.0\x1a"));
    EXPECT_EQ(unit.readings().tempSetPoint, 250);
}

TEST_F(UnitLineTest, FramesSplitAcrossTicksAndNoiseOnTheLine) {
    const QByteArray frame = unit.statusFrame();
    unit.sendRaw("noise" + frame + frame.left(7));
    // The noise costs the first frame; the partial one waits.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    ReplyResult r;
    do {
        r = parser.ParseUnitReply(port, false);
    } while (!r.frameDropped && std::chrono::steady_clock::now() < deadline);
    EXPECT_TRUE(r.frameDropped);
    EXPECT_EQ(r.framesParsed, 0);
    unit.sendRaw(frame.mid(7));
    EXPECT_EQ(tickUntilFrame().framesParsed, 1);
    EXPECT_EQ(parser.mRxBuffer, "");
}

TEST_F(UnitLineTest, AUnitThatSendsOnItsOwnAndThenFallsSilent) {
    UnitSimulator::Readings r;
    r.status = 7;
    r.field10 = "1";  // frames with 9 commas
    unit.setReadings(r);
    unit.setPeriod(20);
    unit.start();
    EXPECT_EQ(tickUntilFrame().caption, std::optional<QString>("Preheating"));

    // The window's ticks, a second apart on a clock of the test's, tell
    // whether the unit is heard.
    testing_support::ManualClock clock;
    runloop::ReadingsAge heard;
    heard.Parsed(1);
    unit.setSilent(true);
    QThread::msleep(50);
    port.Input();  // what was on its way
    for (int tick = 1; tick <= 2; ++tick) {
        clock.advance(1000);
        heard.Parsed(parser.ParseUnitReply(port, false).framesParsed);
        EXPECT_EQ(heard.Silent(), tick == 2) << tick;
    }
    EXPECT_EQ(parser.texts.txtSampleTemp, "75.0");  // the last readings stay

    unit.setSilent(false);
    clock.advance(1000);
    heard.Parsed(tickUntilFrame().framesParsed);
    EXPECT_FALSE(heard.Silent());
}

// A unit that hangs on an open line: nothing at all arrives while it is
// silent, not even the answer to a frame sent to it, and its own frames come
// again, one after another, once it speaks again.
TEST_F(UnitLineTest, ASilentUnitSendsNothingOnItsOpenLineUntilItSpeaksAgain) {
    unit.setPeriod(20);
    unit.start();
    ASSERT_GT(tickUntilFrame().framesParsed, 0);

    unit.setSilent(true);
    QThread::msleep(50);
    port.Input();  // what was on its way
    for (int tick = 1; tick <= 5; ++tick) {
        SCOPED_TRACE(tick);
        if (tick == 2) port.Output(SetPointFrame(350, 5000, 300, 1));
        QThread::msleep(60);  // three of its periods
        EXPECT_EQ(port.InBufferCount(), 0);
        EXPECT_EQ(parser.ParseUnitReply(port, false).framesParsed, 0);
    }
    EXPECT_EQ(unit.commands().size(), 1u);  // it still takes what it is sent
    EXPECT_TRUE(port.PortOpen());
    EXPECT_FALSE(unit.vanished());

    unit.setSilent(false);
    int frames = 0;
    for (int i = 0; i < 3; ++i) frames += tickUntilFrame().framesParsed;
    EXPECT_GE(frames, 3);
    EXPECT_DOUBLE_EQ(parser.readings.mTempSetPointRead, 350);  // the frame sent while silent was taken
}

TEST_F(UnitLineTest, DownloadOfAStoredTest) {
    const QByteArrayList records = {"1,0,12.6,300.5,301,5000,170.2,123.4,0", "1,1,20,301,301,5001,340.4,150,1",
                                    "2,0,30,302,301,5002,0,0,0"};
    unit.setStoredTest(records, true, 16, 30);  // in pieces, as a slow line delivers it
    unit.setPeriod(20);
    unit.start();
    QThread::msleep(60);  // status frames waiting before the request are discarded

    std::vector<int> times;
    const QString received = readTransfer(port, &times);
    ASSERT_TRUE(unit.waitForCommands(1));
    EXPECT_EQ(unit.commands().back().bytes, QByteArray("\x01\r"));
    const StoredTransfer t = ParseStoredTransfer(received);
    ASSERT_EQ(t.status, TransferStatus::Ok) << received.toStdString();
    ASSERT_EQ(t.records.size(), 3u);
    EXPECT_EQ(t.records[0].timeSec, 13);
    EXPECT_EQ(t.records[1].phase, 1);
    EXPECT_EQ(t.records[2].step, 2);
    // The first read 2 s after the request, then one every 0.5 s; the last
    // found nothing more.
    ASSERT_GE(times.size(), 2u);
    EXPECT_EQ(times[0], 2000);
    for (size_t i = 1; i < times.size(); ++i) EXPECT_EQ(times[i], 500) << i;
}

TEST_F(UnitLineTest, DownloadCutShortOrUnanswered) {
    unit.setStoredTest({"1,0,1,300,300,5000,1,1,0", "1,0,2,300,300,5000,1,1,0"}, false);
    unit.start();
    StoredTransfer t = ParseStoredTransfer(readTransfer(port));
    EXPECT_EQ(t.status, TransferStatus::CommunicationError);
    EXPECT_TRUE(t.records.empty());

    unit.setSilent(true);
    t = ParseStoredTransfer(readTransfer(port));
    EXPECT_EQ(t.status, TransferStatus::NoResponse);
    EXPECT_EQ(unit.commands().size(), 2u);  // the request went out both times
}

// A line that goes away during the transfer ends the download once with its
// failure (the port closed); one abandoned reads and says nothing more.
TEST_F(UnitLineTest, ADownloadWhoseLineGoesAwayFailsOnceAndOneAbandonedEndsSilently) {
    testing_support::ManualTicks ticks;
    unit.setStoredTest({"1,0,1,300,300,5000,1,1,0", "1,0,2,300,300,5000,1,1,0"}, true, 8, 200);
    unit.start();
    for (const bool vanish : {false, true}) {
        SCOPED_TRACE(vanish ? "line gone" : "abandoned");
        StoredTransferRead read(port);
        int done = 0;
        std::vector<int> failures;
        read.Begin([&](const QString&) { ++done; }, [&](const comm::CommError& e) { failures.push_back(e.number()); });
        EXPECT_EQ(read.state(), StoredTransferRead::State::Waiting);
        testing_support::ManualTickSource& source = testing_support::TransferSource(read);
        QThread::msleep(100);
        ASSERT_TRUE(source.fire());
        EXPECT_EQ(read.state(), StoredTransferRead::State::Reading);
        if (vanish) {
            unit.vanish();
            QThread::msleep(50);
            ASSERT_TRUE(source.fire());
            EXPECT_EQ(read.state(), StoredTransferRead::State::Failed);
            EXPECT_EQ(failures, std::vector<int>{comm::ErrReadDevice});
            EXPECT_FALSE(port.PortOpen());
        } else {
            read.Abandon();
            EXPECT_EQ(read.state(), StoredTransferRead::State::Abandoned);
            EXPECT_TRUE(failures.empty());
            QThread::msleep(1500);  // the unit ends its transfer
            port.Input();
        }
        EXPECT_FALSE(read.Running());
        EXPECT_FALSE(source.running);
        EXPECT_FALSE(source.fire());
        EXPECT_EQ(done, 0);
    }
}

TEST_F(UnitLineTest, TheSimulatedUnitFollowsItsSetPointsAndStops) {
    // The default frame: 9 commas, nothing after the last.
    const QByteArray frame = unit.statusFrame();
    EXPECT_EQ(frame.count(','), 9);
    EXPECT_TRUE(frame.endsWith(",\x1a")) << frame.toStdString();
    EXPECT_EQ(unit.period(), 1000);

    UnitSimulator::Physics physics;
    physics.tempRate = 10;     // °F/s
    physics.pressRate = 1000;  // psi/s
    physics.viscosityCp = 100;
    unit.setPhysics(physics);
    port.Output(SetPointFrame(250, 3000, 100, 1));
    ASSERT_TRUE(unit.waitForCommands(1));
    unit.advance(2);
    EXPECT_DOUBLE_EQ(unit.readings().temperature, 95);
    EXPECT_DOUBLE_EQ(unit.readings().pressure, 2000);
    unit.advance(100);
    EXPECT_DOUBLE_EQ(unit.readings().temperature, 250);
    EXPECT_DOUBLE_EQ(unit.readings().pressure, 3000);
    EXPECT_NEAR(unit.readings().stress, 100 * 100 * 1.70229 / 100, 1e-9);

    port.Output(StopFrame());
    ASSERT_TRUE(unit.waitForCommands(2));
    unit.advance(100);
    const UnitSimulator::Readings stopped = unit.readings();
    EXPECT_EQ(stopped.status, 0);
    EXPECT_EQ(stopped.speed, 0);
    EXPECT_EQ(stopped.stress, 0);
    EXPECT_DOUBLE_EQ(stopped.temperature, UnitSimulator::kAmbientF);
    EXPECT_EQ(stopped.pressure, 0);
}

TEST_F(UnitLineTest, FaultsOnDemand) {
    // Wrong comma counts are dropped; the swell window's reader takes only 9.
    for (int commas : {7, 8, 9, 10}) {
        const QByteArray f = unit.frameWithCommas(commas);
        EXPECT_EQ(f.count(','), commas);
        QString buffer = QString::fromLatin1(f);
        UnitStatusFrame taken;
        EXPECT_EQ(TakeUnitStatusFrame(buffer, taken), commas == 8 || commas == 9 ? FrameTake::Frame : FrameTake::Dropped);
    }
    const int both = int(unit.frameWithCommas(10).size() + unit.statusFrame().size());
    unit.sendFrameWithCommas(10);
    unit.sendStatusFrame();
    ASSERT_TRUE(waitForInput(both));
    const ReplyResult dropped = parser.ParseUnitReply(port, false);
    EXPECT_TRUE(dropped.frameDropped);
    EXPECT_EQ(dropped.framesParsed, 0);
    EXPECT_EQ(parser.ParseUnitReply(port, false).framesParsed, 1);  // the good one, on the next tick

    // Noise: printable, no comma, no code 26.
    unit.sendNoise(40);
    ASSERT_TRUE(waitForInput(40));
    const QString noise = port.Input();
    EXPECT_EQ(noise.size(), 40);
    EXPECT_FALSE(noise.contains(',') || noise.contains(QChar(26)));

    // A frame in pieces, the later ones after a gap.
    unit.setSplit(3, 40);
    unit.sendStatusFrame();
    ASSERT_TRUE(waitForInput(1));  // the first piece; the others wait for the unit's pump
    ReplyResult r = parser.ParseUnitReply(port, false);
    EXPECT_EQ(r.framesParsed, 0);
    EXPECT_FALSE(parser.mRxBuffer.isEmpty());
    unit.pump(150);
    EXPECT_EQ(tickUntilFrame().framesParsed, 1);
    unit.setSplit(1, 0);

    // Runs of bad readings, then the reading again.
    unit.runStatus(2, 0);
    unit.runOverTemperature(1, 700);
    unit.runOverPressure(3, 40000);
    std::vector<double> temps, presses;
    std::vector<QString> captions;
    for (int i = 0; i < 4; ++i) {
        unit.sendStatusFrame();
        const ReplyResult got = tickUntilFrame();
        ASSERT_EQ(got.framesParsed, 1);
        captions.push_back(got.caption.value_or(QString()));
        temps.push_back(parser.readings.mSampleTemp);
        presses.push_back(parser.readings.mPressure);
    }
    EXPECT_EQ(temps, (std::vector<double>{700, 75, 75, 75}));
    EXPECT_EQ(presses, (std::vector<double>{40000, 40000, 40000, 0}));
    EXPECT_EQ(captions, (std::vector<QString>{"InActive", "InActive", "Running Test", "Running Test"}));
    EXPECT_EQ(unit.readings().status, 1);  // the run does not change the unit's own status

    // The port vanishing: one read error, then a closed port.
    unit.vanish();
    EXPECT_TRUE(unit.vanished());
    try {
        port.Input();
        ADD_FAILURE() << "no error";
    } catch (const comm::CommError& e) {
        EXPECT_EQ(e.number(), comm::ErrReadDevice);
        EXPECT_EQ(e.description(), "Error reading comm device");
    }
    EXPECT_FALSE(port.PortOpen());
    EXPECT_EQ(parser.ParseUnitReply(port, false).framesParsed, 0);
    unit.sendStatusFrame();  // nothing to send to: nothing happens
    comm::CommPort again;
    again.PortNumber(kPort);
    EXPECT_THROW(again.PortOpen(true), comm::CommError);  // the device is gone
}
