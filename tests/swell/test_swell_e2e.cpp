// End to end: the multi-unit window adds unit 1's swell window, which polls a
// simulated unit on a pseudo-terminal through the port mapping. The sensor is
// zeroed, START's checks pass, a sequence runs on simulated time with its
// rows stored in the swell columns, and the over-temperature trip stops the
// unit once with its message, however long the readings stay over the limit.

#include "SwellFixture.h"

#include "multiunit/frmMDIRealTime.h"
#include "support/UnitSimulator.h"

#include <QLabel>
#include <QThread>
#include <chrono>

using namespace swell_tests;
using unit_tests::SeqStep;
using unit_tests::StoreSequence;
using testing_support::ManualTickSource;
using testing_support::UnitSimulator;

namespace {

using SwellEndToEnd = SwellFixture;

int stops(const UnitSimulator& unit) {
    int n = 0;
    for (const auto& c : unit.commands()) n += c.bytes == QByteArray("\x04\r");
    return n;
}

// The unit of these tests on port 1: a sample at 74 °F, the sensor at 1.0 V,
// the pressure following its set point at once; it sends only the frames
// the test asks for.
void SetUpUnit(UnitSimulator& unit) {
    UnitSimulator::Readings r;
    r.temperature = 74;
    r.tempSetPoint = 74;
    unit.setReadings(r);
    unit.setSensorVoltage(1.0);
    UnitSimulator::Physics physics;
    physics.pressRate = 100000;
    unit.setPhysics(physics);
    unit.setSilent(true);
    unit.attachToPort(1);
}

// One tick: the clock and the unit move on by the interval, the unit sends
// one frame, the tick runs once the frame has arrived.
bool TickWithFrame(frmSWMTest& w, UnitSimulator& unit, testing_support::ManualClock& clock) {
    const int ms = w.Timer1.Interval() > 0 ? w.Timer1.Interval() : 1000;
    clock.advance(ms);
    unit.advance(ms / 1000.0);
    const int before = w.MSComm1.InBufferCount();
    const int size = int(unit.statusFrame().size());
    unit.sendStatusFrame();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (w.MSComm1.InBufferCount() < before + size && std::chrono::steady_clock::now() < deadline)
        QThread::usleep(50);
    return static_cast<ManualTickSource&>(w.Timer1.source()).fire();
}

}  // namespace

TEST_F(SwellEndToEnd, ZeroStartRunAndTripAgainstTheSimulatedUnit) {
    UnitSimulator unit;
    SetUpUnit(unit);

    writePorts({1});
    StoreSequence(conn, "Swell run", {SeqStep{2, 74, 5, 0, 30, 1000}});
    frmMDIRealTime mdi(&conn);
    mdi.MDIForm_Load();
    mdi.show();
    ASSERT_TRUE(mdi.MenuSwellAdd[1]->isEnabled());
    mdi.MenuSwellAdd[1]->trigger();
    auto* w = qobject_cast<frmSWMTest*>(mdi.SwellTestWindows[1].data());
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "Unit 1 LSM Test");
    EXPECT_FALSE(mdi.MenuSwellAdd[1]->isEnabled());
    ASSERT_TRUE(w->MSComm1.PortOpen());
    EXPECT_EQ(w->lblCaliVolt[3]->text(), "4.0");
    auto& timer = static_cast<ManualTickSource&>(w->Timer1.source());

    auto tick = [&] { return TickWithFrame(*w, unit, clock); };

    ASSERT_TRUE(tick());
    EXPECT_EQ(w->lblActiveFlag->text(), "Running Test");
    EXPECT_EQ(w->lblvolt->text(), "1");
    EXPECT_EQ(w->lbltemp1->text(), "74.");

    // Garbage, then three frames in one tick: the garbage goes with the frame
    // it runs into, the two behind it are both read.
    auto readingAt = [&](double temperature) {
        UnitSimulator::Readings x = unit.readings();
        x.temperature = temperature;
        unit.setReadings(x);
        unit.sendStatusFrame();
    };
    unit.sendNoise(30);
    readingAt(80);
    readingAt(90);
    readingAt(74);
    ASSERT_TRUE(until([&] { ASSERT_TRUE(timer.fire()); }, [&] { return w->lbltemp1->text() == "74."; }));
    EXPECT_TRUE(w->reply.RxBuffer.isEmpty());

    // Zeroing: the wafer of 0.4 in. at 1.0 V matches the calibration.
    dialogs.inputs.push_back(QStringLiteral("0.4"));
    w->cmdZero->click();
    EXPECT_EQ(w->reply.state.SampleLength, 0.4);
    EXPECT_EQ(dialogs.inputRequests.back().prompt, "Input dry wafer Length (in.)");

    pick(*w, "Swell run");
    {
        AnswerSample answer({});
        w->cmdStart->click();
        ASSERT_EQ(answer.shown, 1);
    }
    ASSERT_EQ(w->RunState, 1);
    ASSERT_TRUE(unit.waitForCommands(1));
    EXPECT_EQ(unit.commands()[0].bytes, QByteArray("\x01" "074.0,01000,000.000 1\r"));

    // The sample swells to 1.5 V at 1000 psi: the derived example.
    unit.setSensorVoltage(1.5);
    for (int i = 0; i < 1000 && w->RunState == 1; ++i) ASSERT_TRUE(tick());
    EXPECT_EQ(w->RunState, 0);
    ASSERT_TRUE(unit.waitForCommands(2));
    EXPECT_EQ(stops(unit), 1);
    EXPECT_EQ(w->lbldist->text(), "0.1466");
    EXPECT_EQ(w->lblswell->text(), "36.7");
    EXPECT_EQ(w->lblPress->text(), "1000");

    clsTEST_RESULT rows;
    rows.Test_Id(w->TestId);
    rows.ConnectX(&conn);
    // 2 minutes at 30 s: at 30, 60, 90 and 120 s, the last before the step (and the run) ends.
    EXPECT_EQ(rows.TotalPoints(), 4);
    EXPECT_EQ(w->MSFlexGrid1->Rows(), 5);
    rows.MoveFirst();
    const RowArray first = rows.All();
    EXPECT_NEAR(first[clsTEST_RESULT::colRESULT_SHEAR_STRESS].toDouble(), 0.146641, 5e-7);
    EXPECT_EQ(first[clsTEST_RESULT::colRESULT_BATH_TEMP].toDouble(), 1.5);
    EXPECT_EQ(first[clsTEST_RESULT::colRESULT_PRESS].toDouble(), 1000);
    EXPECT_EQ(w->MSFlexGrid1->TextMatrix(1, 6), "0.1466");
    EXPECT_EQ(w->MSFlexGrid1->TextMatrix(1, 7), "36.7");
    EXPECT_TRUE(dialogs.messages.empty());

    // 25 s of frames over 610 °F: one stop frame, one message, also while
    // idle; the frames that stay over the limit after the trip send nothing more.
    unit.runOverTemperature(25, 650);
    for (int i = 0; i < 30; ++i) ASSERT_TRUE(tick());
    ASSERT_TRUE(unit.waitForCommands(3));
    unit.pump(100);
    EXPECT_EQ(stops(unit), 2);
    EXPECT_EQ(dialogs.texts(), QStringList({"Temperature too high, test will be stopped "}));

    // The unit's port goes away: said once, the window shows "No Response"
    // and can be closed.
    dialogs.clear();
    unit.vanish();
    for (int i = 0; i < 3; ++i) timer.fire();
    EXPECT_EQ(w->lblActiveFlag->text(), "No Response");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.texts()[0].startsWith("ERROR :"));
    EXPECT_FALSE(w->MSComm1.PortOpen());

    // The window closes and gives its entry back.
    w->cmdExit->click();
    EXPECT_TRUE(mdi.MenuSwellAdd[1]->isEnabled());
}

// The first point of a run falls due on the tick after the set points (a 3 s
// interval), which throws its input away: it is taken on the next tick with
// the unit's readings under the set points (1000 psi), never with those of
// before them (0 psi).
TEST_F(SwellEndToEnd, TheFirstPointHoldsReadingsFromAfterTheSetPoints) {
    UnitSimulator unit;
    SetUpUnit(unit);
    writePorts({1});
    StoreSequence(conn, "Short", {SeqStep{0.5, 74, 5, 0, 3, 1000}});
    frmMDIRealTime mdi(&conn);
    mdi.MDIForm_Load();
    mdi.show();
    mdi.MenuSwellAdd[1]->trigger();
    auto* w = qobject_cast<frmSWMTest*>(mdi.SwellTestWindows[1].data());
    ASSERT_TRUE(w && w->MSComm1.PortOpen());
    auto tick = [&] { return TickWithFrame(*w, unit, clock); };
    ASSERT_TRUE(tick());
    ASSERT_EQ(w->lblPress->text(), "0");
    dialogs.inputs.push_back(QStringLiteral("0.4"));
    w->cmdZero->click();
    pick(*w, "Short");
    {
        AnswerSample answer({});
        w->cmdStart->click();
        ASSERT_EQ(answer.shown, 1);
    }
    ASSERT_EQ(w->RunState, 1);
    ASSERT_TRUE(unit.waitForCommands(1));  // the unit has the set points
    for (int i = 0; i < 100 && w->RunState == 1; ++i) ASSERT_TRUE(tick());
    ASSERT_EQ(w->RunState, 0);

    clsTEST_RESULT rows;
    rows.Test_Id(w->TestId);
    rows.ConnectX(&conn);
    ASSERT_GE(rows.TotalPoints(), 9);
    rows.MoveFirst();
    for (int i = 0; !rows.Eof(); ++i, rows.MoveNext()) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows.All()[clsTEST_RESULT::colRESULT_PRESS].toDouble(), 1000);
    }
    EXPECT_EQ(w->PointsNotRecorded, 0);
    w->StopClicked();
}
