// End to end: the multi-unit window adds unit 1, whose rheology window polls
// a simulated unit on a pseudo-terminal through the port mapping; readings
// and status appear, Zero reaches the unit, and a run of over-temperature
// replies stops the unit once with its message.

#include "RealTimeFixture.h"

#include "realtime/frmMDIRealTime.h"
#include "realtime/frmRealTime.h"
#include "support/UnitSimulator.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

using namespace realtime_tests;
using testing_support::ManualTickSource;
using testing_support::UnitSimulator;

using EndToEnd = RealTimeFixture;

TEST_F(EndToEnd, UnitOneFromTheMultiUnitWindowToTheTrip) {
    UnitSimulator unit;
    UnitSimulator::Readings r;
    r.status = 1;
    r.temperature = 200;
    r.tempSetPoint = 250;
    r.speed = 300;
    r.pressure = 1500;
    r.pressSetPoint = 2000;
    unit.setReadings(r);
    UnitSimulator::Physics physics;
    physics.viscosityCp = 50;  // stress = 50 x 300 x 1.70229 / 100
    unit.setPhysics(physics);
    unit.setSplit(3, 2);  // every frame in three reads
    unit.setPeriod(40);
    unit.attachToPort(1);
    unit.start();

    writePorts({1});
    frmMDIRealTime mdi(&conn);
    mdi.MDIForm_Load();
    mdi.show();
    ASSERT_TRUE(mdi.MenuAdd[1]->isEnabled());
    mdi.MenuAdd[1]->trigger();
    frmRealTime* w = mdi.RealTimeWindows[1];
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(w->MSComm1.PortOpen());
    auto& timer = static_cast<ManualTickSource&>(w->Timer1.source());
    auto tick = [&] { ASSERT_TRUE(timer.fire()); };

    // Readings and status.
    ASSERT_TRUE(until(tick, [&] { return w->txtSampleTemp->text() == "200.0"; }));
    EXPECT_EQ(w->lblActiveFlag->text(), "Running Test");
    EXPECT_EQ(w->txtTempSetPoint->text(), "250.0");
    EXPECT_EQ(w->txtspeed->text(), "300.");
    EXPECT_EQ(w->txtShearStress->text(), "255.3");
    EXPECT_EQ(w->txtFann->text(), "50.0");
    EXPECT_EQ(w->txtVisc->text(), "85.1");  // the window's factor is 1.0 until a bob is entered
    EXPECT_EQ(w->txtPressure->text(), " 1500");
    EXPECT_EQ(w->txtPressSetPoint->text(), "2000");
    EXPECT_TRUE(dialogs.messages.empty());

    // Zero.
    w->cmdZero->click();
    ASSERT_TRUE(unit.waitForCommands(1));
    EXPECT_EQ(unit.commands()[0].bytes, QByteArray("\x08\r"));

    // Ten replies above 610 °F: one stop frame, one message.
    unit.runOverTemperature(10, 650);
    ASSERT_TRUE(until(tick, [&] { return !dialogs.messages.empty(); }));
    ASSERT_TRUE(unit.waitForCommands(2));
    // Keep polling a while at the normal temperature again.
    ASSERT_TRUE(until(tick, [&] { return w->txtSampleTemp->text() == "200.0"; }));
    for (int i = 0; i < 10; ++i) tick();
    EXPECT_EQ(dialogs.texts(), QStringList({"Temperature too high, test shutting down."}));
    const auto commands = unit.commands();
    EXPECT_EQ(std::count_if(commands.begin(), commands.end(), [](const auto& c) { return c.bytes == "\x04\r"; }), 1);
    EXPECT_EQ(commands[1].bytes, QByteArray("\x04\r"));
    EXPECT_EQ(w->mReply.mOverTempCount, 0);
    EXPECT_EQ(w->mRunState, 0);
    ASSERT_TRUE(until(tick, [&] { return w->lblActiveFlag->text() == "InActive"; }));  // the unit stopped

    // The window closes and gives its port back.
    w->cmdExit->click();
    EXPECT_TRUE(mdi.MenuAdd[1]->isEnabled());
}
