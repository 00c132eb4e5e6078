// The rheology test window's shell: load, captions, maximum pressure,
// proportional layout, the tick with its watchdog, replies shown from a
// simulated unit, Zero, the trips, a port that goes away, and closing.

#include "support/ManualClock.h"
#include "support/UnitWindowFixture.h"
#include "support/StoredSequences.h"

#include "data/clsSEQUENCE_INFO.h"
#include "platform/FlexGrid.h"
#include "platform/PeChart.h"
#include "dialogs/frmNameSeq.h"
#include "rheology/frmRealTime.h"
#include "support/UnitSimulator.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <memory>

using namespace unit_tests;
using testing_support::UnitSimulator;

namespace {

class RealTimeWindow : public UnitWindowFixture {
protected:
    std::unique_ptr<frmRealTime> open() { return std::make_unique<frmRealTime>(); }

    // The port set up as the container sets it up, on the simulated unit.
    void connect(frmRealTime& w, UnitSimulator& unit, int port = 5) {
        unit.attachToPort(port);
        w.MSComm1.PortNumber(port);
        w.MSComm1.Settings(QStringLiteral("115200,n,8,1"));
        w.MSComm1.PortOpen(true);
        w.MSComm1.InputLen(0);
    }
    // Waits until what the unit sent has arrived, then ticks once.
    bool tickUntilParsed(frmRealTime& w) {
        const bool arrived = until([] {}, [&] { return w.MSComm1.InBufferCount() > 0; });
        w.Timer1.Tick();
        return arrived;
    }
};

}  // namespace

TEST_F(RealTimeWindow, LoadSetsCaptionsMaximumPressureAndControls) {
    struct Case {
        int unitSystem;
        const char* temp;
        const char* stress;
        const char* visc;
        double maxTemp, minTemp;
    } cases[] = {{1, "(°F)", "(dyn/cm2)", "( cP )", 600, 0}, {2, "(°C)", "( Pa )", "(mPa.s)", 316, -18}};
    for (const Case& c : cases) {
        gUnitSystem = c.unitSystem;
        gMaxPress = 20000;
        auto w = open();
        EXPECT_EQ(w->windowTitle(), frmRealTime::kDesignedCaption);
        EXPECT_EQ(w->Label11->text(), QString::fromUtf8(c.temp));
        EXPECT_EQ(w->Label13->text(), QString::fromUtf8(c.temp));
        EXPECT_EQ(w->Label16->text(), QString::fromUtf8(c.stress));
        EXPECT_EQ(w->Label10->text(), QString::fromUtf8(c.visc));
        EXPECT_EQ(gMaxTemp, c.maxTemp);
        EXPECT_EQ(gMinTemp, c.minTemp);
        EXPECT_EQ(gMaxPress, 20000);  // the value in force stays, and is shown
        EXPECT_TRUE(w->Option1->isChecked());
        EXPECT_EQ(w->lblActiveFlag->text(), "INACTIVE");
        EXPECT_EQ(w->lblInstName->text(), "Z3080 1");
        EXPECT_EQ(w->RunState, 0);
        EXPECT_EQ(w->mReply.mShearRateFactor, 1.0);
        EXPECT_FALSE(w->Timer1.Running());  // the container starts it
    }
    gUnitSystem = 1;

    // Every documented control by its name.
    auto w = open();
    for (const char* name : {"lblInstName", "lblActiveFlag", "StatusBar1", "Frame1", "txtSampleTemp", "txtTempSetPoint",
                             "Label13", "Label11", "Frame3", "txtPressure", "txtPressSetPoint", "Frame2", "txtspeed",
                             "txtShearrate", "txtVisc", "Label10", "txtShearStress", "Label16", "txtFann", "txtGelAngle",
                             "Frame4", "Option1", "Option2", "lblSelectSeq", "lblTestname", "cmdSelect", "cmdStart_Stop",
                             "cmdStop", "cmdRefresh", "cmdRetrieve", "cmdZero", "cmdExit", "chkTemp", "chkPress",
                             "chkSpeed", "chkSR", "chkSS", "chkVisc", "chkFann", "MSFlexGrid1", "Pesgo1", "StartTime",
                             "ElapsedTime", "StepTime", "EndTime"})
        EXPECT_NE(w->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    for (QPushButton* b :
         {w->cmdSelect, w->cmdStart_Stop, w->cmdStop, w->cmdRefresh, w->cmdRetrieve, w->cmdZero, w->cmdExit})
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_EQ(w->cmdZero->toolTip(), "Click here to zero the Z3080");
    EXPECT_EQ(w->Frame4->title(), "Max Pressure");

    // Activation shows the captions in force.
    gTempLabel = QStringLiteral("(X)");
    w->Form_Activate();
    EXPECT_EQ(w->Label11->text(), "(X)");
    EXPECT_EQ(w->Label13->text(), "(X)");
}

TEST_F(RealTimeWindow, EachUnitKeepsItsOwnMaximumPressure) {
    auto first = open();
    EXPECT_EQ(first->MaxPress(), 30000);  // the start-up value
    EXPECT_TRUE(first->Option2->isChecked());
    first->Option1->click();
    EXPECT_EQ(first->MaxPress(), 20000);
    first->Option2->click();
    EXPECT_EQ(first->MaxPress(), 30000);
    first->Option1->click();
    // Another unit's window starts at the start-up value and its choice
    // changes nothing of the first unit's.
    auto second = open();
    EXPECT_EQ(second->MaxPress(), 30000);
    EXPECT_TRUE(second->Option2->isChecked());
    second->Option2->click();
    EXPECT_EQ(second->MaxPress(), 30000);
    EXPECT_EQ(first->MaxPress(), 20000);
    EXPECT_TRUE(first->Option1->isChecked());
    EXPECT_EQ(gMaxPress, 30000);  // the start-up value stays
    first->Option1->click();  // clicking the option already on sets it again
    EXPECT_EQ(first->MaxPress(), 20000);
}

TEST_F(RealTimeWindow, AnotherUnitsChoiceDoesNotRaiseThisUnitsTripOrSequenceLimit) {
    UnitSimulator unit;
    auto first = open();
    first->InitialInst(&conn);
    connect(*first, unit);
    first->Option1->click();  // unit 1 at 20000 psi
    auto second = open();
    second->InitialInst(&conn);
    second->Option2->click();  // unit 2 at 30000 psi

    // Unit 1 reports 25000 psi: its own limit trips it on the tenth frame.
    pretendStepRuns(*first);
    unit.runOverPressure(12, 25000);
    for (int i = 0; i < 12 && first->RunState != 0; ++i) {
        unit.sendStatusFrame();
        ASSERT_TRUE(tickUntilParsed(*first));
    }
    EXPECT_EQ(first->RunState, 0);
    EXPECT_EQ(dialogs.texts(), QStringList({"Pressure too high, test shutting down."}));
    dialogs.clear();

    // A sequence of 25000 psi is refused in unit 1's window, taken in unit 2's.
    StoreSequence(conn, "High", {[] {
                      SeqStep s;
                      s.press = 25000;
                      return s;
                  }()});
    testing_support::PickSequence(*first, "High");
    EXPECT_TRUE(first->lblSelectSeq->text() != "High");
    ASSERT_FALSE(dialogs.texts().isEmpty());
    EXPECT_TRUE(dialogs.texts()[0].startsWith("Sequence pressure setting too high. 20000(psi),"))
        << dialogs.texts()[0].toStdString();
    dialogs.clear();
    testing_support::PickSequence(*second, "High");
    EXPECT_EQ(second->lblSelectSeq->text(), "High");
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join(";").toStdString();
}

TEST_F(RealTimeWindow, ControlsKeepTheirFractionsOfTheWindow) {
    auto w = open();
    const QRect designed = w->cmdZero->geometry();
    const QRect inFrame = w->txtspeed->geometry();
    w->resize(frmRealTime::kLayoutWidth * 2, frmRealTime::kLayoutHeight * 2);
    w->mLayout.Form_Resize();
    EXPECT_NEAR(w->cmdZero->x(), designed.x() * 2, 1);
    EXPECT_NEAR(w->cmdZero->width(), designed.width() * 2, 1);
    EXPECT_NEAR(w->txtspeed->y(), inFrame.y() * 2, 1);
    const QRect big = w->cmdZero->geometry();
    w->resize(frmRealTime::kLayoutWidth, 1);
    w->mLayout.Form_Resize();
    EXPECT_EQ(w->cmdZero->geometry(), big);
}

// A tick a second; the unit never heard: silent once more than 1.5 s passed
// without a frame since the first tick.
TEST_F(RealTimeWindow, ASilentUnitShowsNoResponseOnTheThirdTick) {
    testing_support::ManualClock clock;
    auto w = open();  // no port: nothing is ever received
    for (int tick = 1; tick <= 2; ++tick) {
        clock.advance(1000);
        w->Timer1.Tick();
        EXPECT_EQ(w->lblActiveFlag->text(), "INACTIVE") << tick;
    }
    clock.advance(1000);
    w->Timer1.Tick();
    EXPECT_EQ(w->lblActiveFlag->text(), "No Response");
    EXPECT_EQ(w->mTickCount, 3);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(RealTimeWindow, ClosingIsRefusedWhileATestRunsAndClosesThePortWhenIdle) {
    UnitSimulator unit;
    auto w = open();
    connect(*w, unit);
    for (int state : {1, 6}) {
        w->RunState = state;
        EXPECT_FALSE(w->close());
        EXPECT_TRUE(w->MSComm1.PortOpen());
    }
    EXPECT_EQ(dialogs.texts(), QStringList({"Cannot exit while test is running.", "Cannot exit while test is running."}));
    w->RunState = 0;
    w->cmdExit->click();
    EXPECT_FALSE(w->MSComm1.PortOpen());
    unit.pump(50);
    EXPECT_TRUE(unit.commands().empty());  // no frame on closing
}

TEST_F(RealTimeWindow, InitialInstCreatesTheRecordObjectsOverTheConnection) {
    auto w = open();
    w->InitialInst(&conn);
    ASSERT_NE(w->mSeqInfo, nullptr);
    ASSERT_NE(w->mSeqRamp, nullptr);
    ASSERT_NE(w->mSeqRampDefine, nullptr);
    EXPECT_EQ(w->mConnection, &conn);
    const RowCache names = w->mSeqInfo->JustName();  // no sequence stored: an empty list
    EXPECT_TRUE(names.isEmpty() || names[0].isEmpty());
}

TEST_F(RealTimeWindow, RepliesShowTheirReadingsAndStatus) {
    UnitSimulator unit;
    UnitSimulator::Readings r;
    r.status = 6;
    r.temperature = 350.04;
    r.tempSetPoint = 360;
    r.speed = 300;
    r.stress = 123.45;
    r.pressure = 5000;
    r.gel = 25.55;
    r.pressSetPoint = 5000;
    unit.setReadings(r);
    auto w = open();
    connect(*w, unit);
    unit.sendStatusFrame();
    ASSERT_TRUE(tickUntilParsed(*w));
    EXPECT_EQ(w->lblActiveFlag->text(), "Ramping");
    EXPECT_EQ(w->txtSampleTemp->text(), "350.0");
    EXPECT_EQ(w->txtTempSetPoint->text(), "360.0");
    EXPECT_EQ(w->txtspeed->text(), "300.");
    EXPECT_EQ(w->txtShearrate->text(), "300");
    EXPECT_EQ(w->txtShearStress->text(), "123.5");
    EXPECT_EQ(w->txtFann->text(), "24.2");
    EXPECT_EQ(w->txtPressure->text(), " 5000");
    EXPECT_EQ(w->txtGelAngle->text(), "5.0");
    EXPECT_EQ(w->txtPressSetPoint->text(), "5000");
    EXPECT_EQ(w->txtVisc->text(), "41.2");

    // Status captions: "04" enables Exit, an unknown code changes nothing.
    struct Case {
        int status;
        const char* caption;
        bool exitEnabled;
    } cases[] = {{4, "Cooling", true}, {42, "Cooling", false}, {5, "Calibrating", false}, {0, "InActive", false}};
    for (const Case& c : cases) {
        w->cmdExit->setEnabled(false);
        unit.setStatus(c.status);
        unit.sendStatusFrame();
        ASSERT_TRUE(tickUntilParsed(*w)) << c.status;
        EXPECT_EQ(w->lblActiveFlag->text(), c.caption) << c.status;
        EXPECT_EQ(w->cmdExit->isEnabled(), c.exitEnabled) << c.status;
    }

    // Cleared readings.
    w->ClearReadings();
    EXPECT_EQ(w->txtSampleTemp->text(), "");
    EXPECT_EQ(w->mReply.readings.mSpeed, 0);
}

TEST_F(RealTimeWindow, ZeroEmptiesTheBufferAndSendsTheZeroFrame) {
    UnitSimulator unit;
    auto w = open();
    connect(*w, unit);
    w->mReply.mRxBuffer = QStringLiteral("#01,350");
    w->cmdZero->click();
    EXPECT_EQ(w->mReply.mRxBuffer, "");
    ASSERT_TRUE(unit.waitForCommands(1));
    EXPECT_EQ(unit.commands()[0].bytes, QByteArray("\x08\r"));

    // Without a port nothing is sent, and the refusal says why.
    w->MSComm1.PortOpen(false);
    w->cmdZero->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].prompt, w->PortNotOpenMessage("The unit cannot be zeroed"));
}

TEST_F(RealTimeWindow, TemperatureTripsOnTheTenthFrameAboveTheLimitNotTheNinth) {
    UnitSimulator unit;
    auto w = open();
    connect(*w, unit);
    pretendStepRuns(*w);
    w->cmdExit->setEnabled(false);
    w->cmdZero->setEnabled(false);

    unit.runOverTemperature(9, 610.1);
    for (int i = 0; i < 10; ++i) {  // nine above, then one at 75 °F
        unit.sendStatusFrame();
        ASSERT_TRUE(tickUntilParsed(*w)) << i;
    }
    EXPECT_EQ(w->mReply.watch.counts.overTemperature, 0);
    EXPECT_EQ(w->RunState, 1);
    EXPECT_TRUE(dialogs.messages.empty());

    unit.runOverTemperature(10, 650);
    for (int i = 0; i < 10; ++i) {
        unit.sendStatusFrame();
        ASSERT_TRUE(tickUntilParsed(*w)) << i;
    }
    ASSERT_TRUE(unit.waitForCommands(1));
    unit.pump(50);
    ASSERT_EQ(unit.commands().size(), 1u);
    EXPECT_EQ(unit.commands()[0].bytes, QByteArray("\x04\r"));
    EXPECT_EQ(dialogs.texts(), QStringList({"Temperature too high, test shutting down."}));
    EXPECT_EQ(w->RunState, 0);
    EXPECT_TRUE(w->cmdExit->isEnabled());
    EXPECT_TRUE(w->cmdZero->isEnabled());
    EXPECT_EQ(w->txtSampleTemp->text(), "650.0");
}

TEST_F(RealTimeWindow, PressureTripsAgainstTheMaximumChosen) {
    UnitSimulator unit;
    auto w = open();
    connect(*w, unit);
    w->Option1->click();  // 20000 psi
    unit.runOverPressure(12, 20500);  // the limit itself does not count
    for (int i = 0; i < 12; ++i) {
        unit.sendStatusFrame();
        ASSERT_TRUE(tickUntilParsed(*w));
    }
    EXPECT_TRUE(dialogs.messages.empty());
    unit.runOverPressure(10, 20501);
    for (int i = 0; i < 10; ++i) {
        unit.sendStatusFrame();
        ASSERT_TRUE(tickUntilParsed(*w));
    }
    EXPECT_EQ(dialogs.texts(), QStringList({"Pressure too high, test shutting down."}));
    ASSERT_TRUE(unit.waitForCommands(1));
    EXPECT_EQ(unit.commands()[0].bytes, QByteArray("\x04\r"));
}

TEST_F(RealTimeWindow, HardwareInactiveStopsAStepAfterTenInactiveReplies) {
    UnitSimulator unit;
    auto w = open();
    connect(*w, unit);
    pretendStepRuns(*w);
    unit.runStatus(10, 0);
    for (int i = 0; i < 10; ++i) {
        unit.sendStatusFrame();
        ASSERT_TRUE(tickUntilParsed(*w));
        EXPECT_EQ(w->RunState, i < 9 ? 1 : 0) << i;
    }
    EXPECT_EQ(dialogs.texts(), QStringList({"Hardware inactive, test will be stopped."}));
    ASSERT_TRUE(unit.waitForCommands(1));
    EXPECT_EQ(unit.commands()[0].bytes, QByteArray("\x04\r"));
}

TEST_F(RealTimeWindow, AStopFrameTheLineDoesNotTakeIsAPortFailure) {
    UnitSimulator unit;
    auto w = open();
    connect(*w, unit);
    unit.sendStatusFrame();
    ASSERT_TRUE(tickUntilParsed(*w));
    pretendStepRuns(*w);
    w->lblTestname->setText("Run 13");

    unit.refuseWrites(true);
    w->cmdStop->click();
    // The run has ended all the same, and one message says the stop frame never left.
    EXPECT_EQ(w->RunState, 0);
    EXPECT_FALSE(w->MSComm1.PortOpen());
    EXPECT_EQ(w->lblActiveFlag->text(), "No Response");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    const QString text = dialogs.messages[0].prompt;
    EXPECT_TRUE(text.startsWith("ERROR: 8030, Error writing comm device (port 5 (" + unit.slavePath() + "): "))
        << text.toStdString();
    EXPECT_TRUE(text.contains("\rThe running test \"Run 13\" has stopped; the points recorded before are stored."));
    EXPECT_TRUE(text.endsWith("\rThe unit did not receive the last command: check that it has stopped."));
    EXPECT_TRUE(w->cmdStart_Stop->isEnabled());
    for (int i = 0; i < 10; ++i) w->Timer1.Tick();
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(unit.commands().empty());
}

TEST_F(RealTimeWindow, APortThatGoesAwayIsReportedOnceAndTheWindowStillCloses) {
    auto unit = std::make_unique<UnitSimulator>();
    auto w = open();
    connect(*w, *unit);
    unit->sendStatusFrame();
    ASSERT_TRUE(tickUntilParsed(*w));
    w->RunState = 1;  // a test runs when the adapter is pulled
    w->lblTestname->setText("Run 12");

    unit->vanish();
    w->Timer1.Tick();
    // One message: the failure with its number, and the test it stopped.
    ASSERT_EQ(dialogs.messages.size(), 1u);
    const QString text = dialogs.messages[0].prompt;
    EXPECT_TRUE(text.startsWith("ERROR: 8020, Error reading comm device (port 5 (")) << text.toStdString();
    EXPECT_TRUE(text.contains(": the device is no longer available)\r")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("\rThe running test \"Run 12\" has stopped; the points recorded before are stored."))
        << text.toStdString();
    EXPECT_FALSE(w->MSComm1.PortOpen());
    EXPECT_EQ(w->RunState, 0);
    EXPECT_EQ(w->lblActiveFlag->text(), "No Response");
    EXPECT_EQ(w->txtSampleTemp->text(), "75.0");  // the last readings stay

    for (int i = 0; i < 20; ++i) w->Timer1.Tick();  // later ticks: silence, no more messages
    EXPECT_EQ(dialogs.messages.size(), 1u);
    w->cmdZero->click();  // refused with the reason, nothing sent
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].prompt, w->PortNotOpenMessage("The unit cannot be zeroed"));
    EXPECT_TRUE(w->close());
}

TEST_F(RealTimeWindow, ACloseAskedForInsideATickWaits) {
    auto w = open();
    bool closed = true;
    w->Timer1.Timer = [&] { closed = w->close(); };
    w->Timer1.Tick();
    EXPECT_FALSE(closed);
    EXPECT_TRUE(w->close());
}

// A real unit sends three or four frames into one 3 to 4 s tick: the counts
// run over frames, not ticks, and a discarded tick discards them all.
TEST_F(RealTimeWindow, SeveralFramesInOneTickCountFrameByFrame) {
    UnitSimulator unit;
    unit.setPeriod(0);  // only the frames sent here
    auto w = open();
    connect(*w, unit);
    // A frame of that status and temperature, 9 commas.
    auto frame = [](int status, double temperature) {
        return QByteArray("#0") + QByteArray::number(status) + "," + QByteArray::number(temperature, 'f', 1) +
               ",75.0,0.000,0.0,0,0.0,0,0,\x1a";
    };
    // Sends the frames together and ticks once when all have arrived.
    auto tickWith = [&](const QByteArrayList& frames) {
        const QByteArray bytes = frames.join();
        unit.sendRaw(bytes);
        ASSERT_TRUE(until([] {}, [&] { return w->MSComm1.InBufferCount() >= bytes.size(); }));
        w->Timer1.Tick();
    };

    // The unit's own frames, several to a tick.
    auto tickWithUnitFrames = [&](int count) {
        const QByteArray bytes = unit.sendStatusFrames(count);
        ASSERT_TRUE(until([] {}, [&] { return w->MSComm1.InBufferCount() >= bytes.size(); }));
        w->Timer1.Tick();
    };

    SCOPED_TRACE("over-temperature: four, four, then the tenth frame in the third tick");
    pretendStepRuns(*w);
    unit.runOverTemperature(10, 650);
    tickWithUnitFrames(4);
    tickWithUnitFrames(4);
    EXPECT_EQ(w->mReply.watch.counts.overTemperature, 8);
    EXPECT_EQ(w->RunState, 1);
    tickWithUnitFrames(3);  // the third is back in range
    EXPECT_EQ(dialogs.texts(), QStringList({"Temperature too high, test shutting down."}));
    EXPECT_EQ(w->RunState, 0);
    EXPECT_EQ(w->mReply.watch.counts.overTemperature, 0);  // the frame after the trip is in range
    ASSERT_TRUE(unit.waitForCommands(1));
    EXPECT_EQ(unit.commands()[0].bytes, QByteArray("\x04\r"));

    SCOPED_TRACE("inactive replies: ten over three ticks stop the step once");
    dialogs.clear();
    unit.clearCommands();
    pretendStepRuns(*w);
    tickWith({frame(0, 75), frame(0, 75), frame(0, 75), frame(0, 75)});
    tickWith({frame(0, 75), frame(1, 75), frame(0, 75), frame(0, 75)});  // a running reply starts the count again
    EXPECT_EQ(w->mReply.watch.counts.inactive, 2);
    tickWith({frame(0, 75), frame(0, 75), frame(0, 75), frame(0, 75)});
    tickWith({frame(0, 75), frame(0, 75), frame(0, 75), frame(0, 75)});
    EXPECT_EQ(dialogs.texts(), QStringList({"Hardware inactive, test will be stopped."}));
    EXPECT_EQ(w->RunState, 0);

    SCOPED_TRACE("the tick after a step's set points discards every frame waiting");
    dialogs.clear();
    pretendStepRuns(*w);
    tickWith({frame(1, 100)});
    ASSERT_EQ(w->txtSampleTemp->text(), "100.0");
    w->StepTick = 2;
    tickWith({frame(1, 650), frame(1, 650), frame(1, 650), frame(1, 650)});
    EXPECT_EQ(w->txtSampleTemp->text(), "100.0");
    EXPECT_EQ(w->mReply.watch.counts.overTemperature, 0);
    EXPECT_TRUE(w->mReply.mRxBuffer.isEmpty());
    EXPECT_TRUE(dialogs.messages.empty());
    tickWith({frame(1, 120), frame(1, 130), frame(1, 140)});  // the next tick takes all three
    EXPECT_EQ(w->txtSampleTemp->text(), "140.0");
}
