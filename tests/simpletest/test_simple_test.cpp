// The simple test: Start's checks and the frame it sends, the reply parsing
// with this window's boxes and trips, the tick's clock, "No Response", and the
// window end to end over a simulated unit through the multi-unit window.

#include "support/ManualClock.h"
#include "support/UnitWindowFixture.h"

#include "multiunit/frmMDIRealTime.h"
#include "support/UnitSimulator.h"
#include "simpletest/SimpleTestRun.h"
#include "simpletest/frmDynamic.h"
#include "simpletest/frmSimpleTest.h"
#include "data/TypedNumbers.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>

using namespace unit_tests;
using testing_support::UnitSimulator;

namespace {

constexpr char kEnd = 26;

// A status frame as a unit sends it (9 commas, empty tail unless given).
QString frame(int status, double temp, double speed, double stress, double press, double gel = 0,
              const QString& tail = QStringLiteral(",")) {
    return QStringLiteral("#%1,%2,350.0,%3,%4,%5,%6,0,0").arg(status, 2, 10, QLatin1Char('0')).arg(temp).arg(speed)
               .arg(stress).arg(press).arg(gel) +
           tail + QChar(kEnd);
}

// A run whose hooks record what it sends and shows.
struct RecordedRun {
    SimpleTestRun run;
    QStringList sent;
    QString received;
    int interval = 1000;
    QString status;
    std::vector<unit::ReplyResult> shown;
    bool failSends = false;
    RecordedRun() {
        run.send = [this](const QString& f) {
            if (failSends) throw comm::CommError(comm::ErrPortNotOpen, QStringLiteral("closed"));
            sent << f;
        };
        run.input = [this] { return std::exchange(received, QString()); };
        run.setInterval = [this](int ms) { interval = ms; };
        run.showStatus = [this](const QString& s) { status = s; };
        run.showReply = [this](const unit::ReplyResult& r) { shown.push_back(r); };
    }
};

class SimpleTest : public UnitWindowFixture {
protected:
    void SetUp() override {
        UnitWindowFixture::SetUp();
        gMaxTemp = 600;
        gMinTemp = 0;
        gMaxPress = 30000;
    }
};

}  // namespace

TEST_F(SimpleTest, StartChecksTheSetPointsInOrder) {
    using C = SimpleTestRun::StartCheck;
    struct Case {
        const char* temp;
        const char* press;
        const char* speed;
        C expected;
    } cases[] = {
        {"350", "", "300", C::MissingSetPoint},  {"601", "5000", "300", C::Temperature},
        {"-1", "5000", "300", C::Temperature},   {"350", "30001", "300", C::Pressure},
        {"350", "30000", "300", C::Ok},          {"350", "-500", "300", C::Ok},  // no lower bound
        {"350", "5000", "600", C::Ok},           {"350", "5000", "-0.0001", C::Ok},
        {"350", "5000", "-0.001", C::Speed},     {"350", "5000", "600.5", C::Speed},
    };
    for (const Case& c : cases) {
        SimpleTestRun run;
        EXPECT_EQ(run.Start(c.temp, c.press, c.speed), c.expected) << c.temp << " " << c.press << " " << c.speed;
        EXPECT_EQ(run.RunState, c.expected == C::Ok ? 1 : 0);
    }
    EXPECT_EQ(SimpleTestRun().StartMessage(C::MissingSetPoint), "Set point first");
    EXPECT_EQ(SimpleTestRun().StartMessage(C::Speed), "Invalid input for motor speed set point ");
}

TEST_F(SimpleTest, TheSecondTickSendsTheSetPointsOnceThenTheClockCountsSeconds) {
    struct Case {
        int unitSystem;
        const char* temp;
        const char* bob;
        QString frame;
    } cases[] = {
        {1, "350", "B1", QStringLiteral("\x01" "350.0,05000,300.000 1\r")},
        {2, "100", "B5", QStringLiteral("\x01" "212.0,05000,300.000 5\r")},  // °C to °F
    };
    for (const Case& c : cases) {
        gUnitSystem = c.unitSystem;
        RecordedRun r;
        r.run.ChooseBob(c.bob);
        ASSERT_EQ(r.run.Start(c.temp, "5000", "300"), SimpleTestRun::StartCheck::Ok);
        EXPECT_EQ(r.run.ElapsedText, "00:00");
        r.run.Tick();
        EXPECT_TRUE(r.sent.isEmpty());
        r.run.Tick();
        EXPECT_EQ(r.sent, QStringList{c.frame});
        EXPECT_EQ(r.interval, 3000);
        EXPECT_EQ(r.run.ElapsedSeconds, 4);
        r.received = frame(1, 70, 300, 10, 100);
        r.run.Tick();  // 3 s later
        ASSERT_EQ(r.shown.size(), 3u);
        EXPECT_TRUE(r.shown.back().readingsChanged());
        EXPECT_EQ(r.run.ElapsedText, "0:00:05");
        EXPECT_EQ(r.interval, 1000);
        EXPECT_EQ(r.sent.size(), 1);
    }
    EXPECT_EQ(SimpleTestRun::ElapsedTextOf(3 * 3600 + 7 * 60 + 9), "3:07:09");
}

TEST_F(SimpleTest, AFailedSendLeavesTheClockAtTwoAndTheRunGoesOnWithoutTheFrame) {
    RecordedRun r;
    r.run.Start("350", "5000", "300");
    r.run.Tick();
    r.failSends = true;
    EXPECT_THROW(r.run.Tick(), comm::CommError);
    EXPECT_EQ(r.run.ElapsedSeconds, 2);
    r.failSends = false;
    r.received = frame(1, 70, 300, 10, 100);
    r.run.Tick();  // discards the input, counts on
    EXPECT_EQ(r.run.ElapsedSeconds, 3);
    EXPECT_TRUE(r.run.reply.mRxBuffer.isEmpty());
    EXPECT_TRUE(r.sent.isEmpty());
}

TEST_F(SimpleTest, RepliesShowThisWindowsBoxes) {
    struct Case {
        int unitSystem;
        const char* bob;
        double speed, stress;
        const char *shearRate, *shearStress, *fann, *visc, *speedText;
    } cases[] = {
        {1, "B5", 300, 200.2, "255.09", "100.0", "19.6", "39.2", "300"},
        {2, "B5", 300, 200.2, "255.09", "10.0", "19.6", "39.2", "300"},
        {1, "B1", 0, 50, "0.0", "50.0", "9.8", "0.0", "0.0"},  // a stopped rotor reads 0.0 throughout
    };
    for (const Case& c : cases) {
        gUnitSystem = c.unitSystem;
        RecordedRun r;
        r.run.ChooseBob(c.bob);
        r.received = frame(1, 212, c.speed, c.stress, 1500, 51.1);
        r.run.Tick();
        const unit::UnitReadingTexts& t = r.run.reply.texts;
        EXPECT_EQ(t.txtShearrate, c.shearRate);
        EXPECT_EQ(t.txtShearStress, c.shearStress);
        EXPECT_EQ(t.txtFann, c.fann);
        EXPECT_EQ(t.txtVisc, c.visc);
        EXPECT_EQ(t.txtspeed, c.speedText);
        EXPECT_EQ(t.txtPressure, " 1500");
        EXPECT_EQ(t.txtGelAngle, "10.0");
        EXPECT_EQ(t.txtSampleTemp, c.unitSystem == 1 ? "212.0" : "100.0");
    }
    EXPECT_NEAR(SimpleTestRun().ShearRateFactor(), 1.702294, 1e-6);
}

TEST_F(SimpleTest, StatusCaptionsAndFramesThatFollowAnEightCommaFrame) {
    RecordedRun r;
    // An 8-comma frame and a 9-comma frame in one read: both are shown, in order.
    const QString eight = QStringLiteral("#05,80,350.0,100,10,200,0,0,7") + QChar(kEnd);
    r.received = eight + frame(42, 90, 200, 20, 300);
    r.run.Tick();
    ASSERT_EQ(r.shown.size(), 1u);
    EXPECT_EQ(r.shown[0].framesParsed, 2);
    EXPECT_EQ(r.shown[0].caption, "Calibrating");  // status 42 leaves the caption
    EXPECT_EQ(r.run.reply.texts.txtSampleTemp, "90.0");

    r.received = frame(4, 90, 200, 20, 300);
    r.run.Tick();
    EXPECT_EQ(r.shown.back().caption, "Cooling");
    EXPECT_TRUE(r.shown.back().enableExit);
}

TEST_F(SimpleTest, TheWindowShowsTheReadingsAndKeepsTheTypedSetPoints) {
    frmSimpleTest w;
    w.txtTempSetPoint->setText("123");
    w.txtPressSetPoint->setText("4567");
    w.cmdExit->setEnabled(false);
    w.showReply(w.reply.Parse(frame(4, 212, 300, 200.2, 1500, 51.1), false));
    const unit::UnitReadingTexts& t = w.reply.texts;
    const std::pair<QLineEdit*, QString> shown[] = {
        {w.txtSampleTemp, t.txtSampleTemp}, {w.txtspeed, t.txtspeed},       {w.txtShearrate, t.txtShearrate},
        {w.txtShearStress, t.txtShearStress}, {w.txtFann, t.txtFann},       {w.txtPressure, t.txtPressure},
        {w.txtGelAngle, t.txtGelAngle},       {w.txtVisc, t.txtVisc},
    };
    for (const auto& [box, text] : shown) {
        EXPECT_FALSE(text.isEmpty()) << box->objectName().toStdString();
        EXPECT_EQ(box->text(), text) << box->objectName().toStdString();
    }
    EXPECT_EQ(w.lblActiveFlag->text(), "Cooling");
    EXPECT_TRUE(w.cmdExit->isEnabled());
    // The unit's set points are not the operator's.
    EXPECT_EQ(w.txtTempSetPoint->text(), "123");
    EXPECT_EQ(w.txtPressSetPoint->text(), "4567");
}

TEST_F(SimpleTest, TenFramesInARowTripWhileRunningOrNot) {
    RecordedRun r;
    auto feed = [&](int count, double temp, double press) {
        for (int i = 0; i < count; ++i) r.received += frame(1, temp, 100, 10, press);
        r.run.Tick();
    };
    feed(9, 650, 100);
    feed(1, 600, 100);
    feed(9, 650, 100);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(r.sent.isEmpty());

    r.run.Start("350", "5000", "300");
    feed(1, 650, 100);  // the tenth in a row
    EXPECT_EQ(r.run.RunState, 0);
    EXPECT_EQ(r.sent, QStringList{unit::StopFrame()});
    EXPECT_EQ(dialogs.texts(), QStringList{"Temperature too high, test will be stopped "});

    // The pressure limit is fixed at 30500 psi, whatever the option says.
    gMaxPress = 20000;
    feed(10, 100, 25000);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    feed(10, 100, 30501);
    EXPECT_EQ(dialogs.texts().last(), "Pressure too high, test will be stopped ");
}

TEST_F(SimpleTest, ThePressureSetPointIsCheckedAgainstTheUnitsOwnMaximum) {
    gMaxPress = 30000;
    RecordedRun r;
    double unitMax = 20000;
    r.run.maxPressure = [&] { return unitMax; };
    EXPECT_EQ(r.run.Start("350", "25000", "300"), SimpleTestRun::StartCheck::Pressure);
    EXPECT_EQ(r.run.RunState, 0);
    EXPECT_EQ(r.run.Start("350", "20000", "300"), SimpleTestRun::StartCheck::Ok);  // the limit itself is taken
    r.run.ShutDown();
    unitMax = 30000;
    EXPECT_EQ(r.run.Start("350", "25000", "300"), SimpleTestRun::StartCheck::Ok);
}

// Ticks a second apart: "No Response" once no frame was decoded for more
// than a tick.
TEST_F(SimpleTest, NoResponseOnlyWhileNoFrameIsDecoded) {
    testing_support::ManualClock clock;
    RecordedRun replying;  // a frame every other tick: the others came late
    for (int i = 0; i < 20; ++i) {
        clock.advance(1000);
        replying.received = i % 2 == 0 ? frame(1, 70, 0, 0, 0) : QString();
        replying.run.Tick();
    }
    EXPECT_TRUE(replying.status.isEmpty());

    RecordedRun garbage;  // text arrives, but no frame in it
    for (int i = 1; i <= 3; ++i) {
        clock.advance(1000);
        garbage.received = QStringLiteral("noise") + QChar(kEnd);
        garbage.run.Tick();
        EXPECT_EQ(garbage.status, i == 3 ? "No Response" : "") << i;
    }
}

TEST_F(SimpleTest, TheWindowRunsAUnitEndToEnd) {
    UnitSimulator unit;
    unit.attachToPort(6);
    writePorts({0, 6});
    auto m = std::make_unique<frmMDIRealTime>(&conn);
    m->MDIForm_Load();
    m->show();
    ASSERT_TRUE(m->MenuSimpleAdd[2]->isEnabled());
    gMaxPress = 20000;  // a start-up value of 20000 psi
    m->MenuSimpleAdd[2]->trigger();
    auto* w = qobject_cast<frmSimpleTest*>(m->SimpleTestWindows[2].data());
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "Unit 2 Simple Test");
    EXPECT_EQ(w->lblInstName->text(), "Unit 2");
    EXPECT_FALSE(m->MenuSimpleAdd[2]->isEnabled());
    EXPECT_TRUE(w->MSComm1.PortOpen());
    // The start-up maximum pressure is shown, not reset.
    EXPECT_TRUE(w->Option1->isChecked());
    EXPECT_EQ(gMaxPress, 20000);
    EXPECT_EQ(w->cmbBobSize->currentText(), "B1");

    w->cmbBobSize->setCurrentIndex(2);
    emit w->cmbBobSize->activated(2);
    w->txtTempSetPoint->setText("350");
    w->txtPressSetPoint->setText("5000");
    w->txtspeedset->setText("300");
    w->cmdStart->click();
    EXPECT_FALSE(w->cmdStart->isEnabled());
    EXPECT_FALSE(w->cmdExit->isEnabled());
    EXPECT_TRUE(w->StartTime->text().startsWith("Start Time: "));
    w->Timer1.Tick();
    w->Timer1.Tick();
    ASSERT_TRUE(unit.waitForCommands(1));
    EXPECT_EQ(unit.commands()[0].bytes, QByteArray("\x01" "350.0,05000,300.000 5\r"));

    // The unit's answer is shown on a later tick.
    unit.sendStatusFrame();
    ASSERT_TRUE(until([&] { w->Timer1.Tick(); }, [&] { return !w->txtspeed->text().isEmpty(); }));
    EXPECT_EQ(w->txtShearrate->text(), "255.09");
    EXPECT_EQ(w->lblActiveFlag->text(), "Running Test");

    // Closing is refused while the test runs.
    m->SubWindowOf(w)->close();
    EXPECT_EQ(dialogs.texts().last(), "Cannot exit while test is running.");
    ASSERT_NE(m->SimpleTestWindows[2], nullptr);

    w->cmdStop->click();
    ASSERT_TRUE(unit.waitForCommands(2));
    EXPECT_EQ(unit.commands()[1].bytes, QByteArray("\x04\r"));
    EXPECT_TRUE(w->cmdStart->isEnabled());

    // Idle: Exit closes the window, gives the entry back and closes the port.
    w->cmdExit->click();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(m->MenuSimpleAdd[2]->isEnabled());
    EXPECT_EQ(m->SimpleTestWindows[2], nullptr);
}

TEST_F(SimpleTest, StartRefusalsNameTheBoxAndSendNothing) {
    frmSimpleTest w;
    w.PortOpenHook = [] { return true; };  // no line here: the set points are checked
    w.SendHook = [](const QString&) {};  // and the frames go nowhere
    w.txtTempSetPoint->setText("350");
    w.txtspeedset->setText("300");
    w.cmdStart->click();
    EXPECT_EQ(dialogs.texts(), QStringList{"Set point first"});
    w.txtPressSetPoint->setText("5000");
    w.txtspeedset->setText("-0.001");
    w.cmdStart->click();
    EXPECT_EQ(dialogs.texts().last(), "Invalid input for motor speed set point ");
    EXPECT_EQ(w.RunState, 0);
    EXPECT_TRUE(w.cmdStart->isEnabled());
}

// Letters in a set-point box ("15O" with a letter O): Start is refused with
// the box named, the run does not start and the unit gets nothing.
TEST_F(SimpleTest, LettersInASetPointBoxAreRefusedNamingTheBoxAndNothingIsSent) {
    frmSimpleTest w;
    w.PortOpenHook = [] { return true; };
    QStringList sent;
    w.SendHook = [&](const QString& f) { sent << f; };
    const struct {
        QLineEdit* box;
        const char* name;
    } boxes[] = {{w.txtTempSetPoint, "Temperature Set Point"},
                 {w.txtPressSetPoint, "Pressure Set Point"},
                 {w.txtspeedset, "Speed Set Point"}};
    for (const auto& b : boxes) {
        for (const char* letters : {"abc", "15O"}) {
            SCOPED_TRACE(std::string(b.name) + " " + letters);
            w.txtTempSetPoint->setText("350");
            w.txtPressSetPoint->setText("1000");
            w.txtspeedset->setText("100");
            b.box->setText(QString::fromLatin1(letters));
            dialogs.clear();
            w.cmdStart->click();
            EXPECT_EQ(dialogs.texts(),
                      QStringList{typed::NotANumberMessage(QString::fromLatin1(b.name), QString::fromLatin1(letters))});
            EXPECT_EQ(w.RunState, 0);
            EXPECT_TRUE(w.cmdStart->isEnabled());
            for (int i = 0; i < 5; ++i) w.Timer1.Tick();
            EXPECT_TRUE(sent.isEmpty());
            EXPECT_EQ(w.ElapsedSeconds, 0);
        }
    }
    EXPECT_EQ(w.Label8->text(), "Temperature Set Point:");
    // What Start checked is what goes out, whatever the boxes hold after it.
    w.txtTempSetPoint->setText("350");
    w.txtPressSetPoint->setText("1000");
    w.txtspeedset->setText("100");
    w.cmdStart->click();
    ASSERT_EQ(w.RunState, 1);
    w.txtPressSetPoint->setText("abc");
    w.Timer1.Tick();
    w.Timer1.Tick();
    EXPECT_EQ(sent, QStringList{QStringLiteral("\x01" "350.0,01000,100.000 1\r")});
    w.cmdStop->click();
}

// The oscillatory panel and a running simple test never both drive the
// unit: the panel does not open while the test runs, naming it, and the
// test does not start while the panel is open.
TEST_F(SimpleTest, TheOscillatoryPanelAndARunningSimpleTestNeverBothDriveTheUnit) {
    frmSimpleTest w;
    w.PortOpenHook = [] { return true; };
    QStringList sent;
    w.SendHook = [&](const QString& f) { sent << f; };
    w.lblInstName->setText("Unit 2");
    w.txtTempSetPoint->setText("40");
    w.txtPressSetPoint->setText("1000");
    w.txtspeedset->setText("100");
    w.cmdStart->click();
    ASSERT_EQ(w.RunState, 1);
    w.cmdDynamic->click();
    EXPECT_EQ(dialogs.texts(), QStringList{w.TestRunningMessage()});
    EXPECT_TRUE(w.TestRunningMessage().contains("simple test of Unit 2 is running"));
    EXPECT_TRUE(!w.Dynamic || !w.Dynamic->isVisible());
    w.cmdStop->click();
    ASSERT_EQ(w.RunState, 0);

    w.cmdDynamic->click();
    ASSERT_TRUE(w.Dynamic && w.Dynamic->isVisible());
    dialogs.clear();
    sent.clear();
    w.cmdStart->click();
    EXPECT_EQ(dialogs.texts(), QStringList{w.PanelOpenMessage()});
    EXPECT_TRUE(w.PanelOpenMessage().contains("oscillatory panel of Unit 2 is open"));
    EXPECT_EQ(w.RunState, 0);
    for (int i = 0; i < 3; ++i) w.Timer1.Tick();
    EXPECT_TRUE(sent.isEmpty());

    w.Dynamic->cmdReturn->click();
    QCoreApplication::processEvents();
    w.cmdStart->click();
    EXPECT_EQ(w.RunState, 1);
    w.cmdStop->click();
}

TEST_F(SimpleTest, AWindowWhosePortIsNotOpenDoesNotStart) {
    frmSimpleTest w;  // its port never opened
    ASSERT_FALSE(w.MSComm1.PortOpen());
    w.txtTempSetPoint->setText("350");
    w.txtPressSetPoint->setText("5000");
    w.txtspeedset->setText("300");
    w.cmdStart->click();
    ASSERT_EQ(dialogs.texts(), QStringList{w.PortNotOpenMessage("The test cannot be started")});
    EXPECT_TRUE(dialogs.texts()[0].startsWith("The test cannot be started: the unit's port "));
    EXPECT_EQ(w.RunState, 0);
    EXPECT_TRUE(w.cmdStart->isEnabled());
    EXPECT_TRUE(w.cmdExit->isEnabled());
    for (int i = 0; i < 5; ++i) w.Timer1.Tick();
    EXPECT_EQ(w.ElapsedSeconds, 0);  // no clock counting with nothing sent
    EXPECT_TRUE(w.StartTime->text().isEmpty());
}

TEST_F(SimpleTest, AFrameTheLineDoesNotTakeStopsTheTestAndIsSaidOnce) {
    UnitSimulator unit;
    unit.attachToPort(5);
    frmSimpleTest w;
    w.MSComm1.PortNumber(5);
    w.MSComm1.Settings(QStringLiteral("115200,n,8,1"));
    w.MSComm1.PortOpen(true);
    w.txtTempSetPoint->setText("350");
    w.txtPressSetPoint->setText("5000");
    w.txtspeedset->setText("300");
    w.cmdStart->click();
    ASSERT_EQ(w.RunState, 1);
    w.Timer1.Tick();
    unit.refuseWrites(true);
    w.Timer1.Tick();  // the set points' tick
    EXPECT_EQ(w.RunState, 0);
    EXPECT_TRUE(w.cmdStart->isEnabled());
    EXPECT_EQ(w.lblActiveFlag->text(), "No Response");
    EXPECT_FALSE(w.MSComm1.PortOpen());
    for (int i = 0; i < 5; ++i) w.Timer1.Tick();
    ASSERT_EQ(dialogs.texts().size(), 1);
    const QString text = dialogs.texts()[0];
    EXPECT_TRUE(text.startsWith("ERROR: 8030, Error writing comm device (port 5 (" + unit.slavePath() + "): "))
        << text.toStdString();
    EXPECT_TRUE(text.contains("\nThe simple test has been stopped."));
    EXPECT_TRUE(text.endsWith("\rThe unit did not receive the last command: check that it has stopped."));
}

TEST_F(SimpleTest, TheOscillatoryPanelOpensFromTheWindowAndSendsOnItsPort) {
    UnitSimulator unit;
    frmSimpleTest w;
    unit.attachToPort(5);
    w.MSComm1.PortNumber(5);
    w.MSComm1.Settings(QStringLiteral("115200,n,8,1"));
    w.MSComm1.PortOpen(true);
    w.lblInstName->setText("Unit 5");
    w.cmdDynamic->click();
    ASSERT_NE(w.Dynamic, nullptr);
    frmDynamic& d = *w.Dynamic;
    EXPECT_EQ(d.windowTitle(), "Dynamic ");
    EXPECT_EQ(d.lblInstName->text(), "Unit 5");
    d.txtStrain->setText("3");
    d.txtFreq->setText("0.1");
    d.txtTempSetPoint->setText("75");
    d.cmdStart_Stop->click();
    EXPECT_EQ(d.cmdStart_Stop->text(), "Stop");
    d.cmdStart_Stop->click();
    ASSERT_TRUE(unit.waitForCommands(2));
    EXPECT_EQ(unit.commands()[0].bytes, QByteArray("\x0a" "00.75,00.10,075\x1a"));
    EXPECT_EQ(unit.commands()[1].bytes, QByteArray("\x0b"));
    EXPECT_EQ(d.cmdStart_Stop->text(), "Start");

    // A closed port: the message, and the button back off.
    d.txtFreqStart->setText("1");
    d.txtFreqEnd->setText("2");
    d.txtInterval->setText("1");
    w.MSComm1.PortOpen(false);
    d.cmdStart_Stop2->click();
    EXPECT_EQ(dialogs.texts().last(), "Comm port error.  Please make sure the comm port is valid and available.");
    EXPECT_FALSE(d.cmdStart_Stop2->isChecked());
    EXPECT_EQ(d.cmdStart_Stop2->text(), "Start");
    EXPECT_FALSE(d.Timer1.Enabled());

    // A port that fails under a sweep's ticks: the same message, in a box
    // that holds no tick back.
    w.MSComm1.PortOpen(true);
    d.cmdStart_Stop2->click();
    ASSERT_TRUE(d.Timer1.Enabled());
    w.MSComm1.PortOpen(false);
    dialogs.clear();
    for (int i = 0; i < 10 && dialogs.messages.empty(); ++i) d.Timer1.Tick();
    EXPECT_EQ(dialogs.texts(), QStringList{"Comm port error.  Please make sure the comm port is valid and available."});
    EXPECT_TRUE(dialogs.modal.empty());
    EXPECT_EQ(d.cmdStart_Stop2->text(), "Start");
}

TEST_F(SimpleTest, FramesAfterATripStillOverTheLimitTripNothingMore) {
    RecordedRun r;
    ASSERT_EQ(r.run.Start("350", "5000", "300"), SimpleTestRun::StartCheck::Ok);
    auto feed = [&](int count) {
        for (int i = 0; i < count; ++i) r.received += frame(1, 650, 100, 10, 100);
        r.run.Tick();
    };
    feed(12);  // the tenth trips; two more come with it
    EXPECT_EQ(r.run.RunState, SimpleTestRun::kIdle);
    EXPECT_EQ(r.sent, QStringList{unit::StopFrame()});
    EXPECT_EQ(dialogs.texts(), QStringList{"Temperature too high, test will be stopped "});
    ASSERT_EQ(r.shown.size(), 1u);  // shown after the stop and the message
    EXPECT_EQ(r.shown[0].trips, std::vector<unit::SafetyTrip>{unit::SafetyTrip::OverTemperature});
    EXPECT_EQ(r.shown[0].framesParsed, 12);
    feed(7);
    feed(1);  // the tenth after the trip: one stop per trip
    feed(20);
    EXPECT_EQ(dialogs.texts().size(), 1);
    EXPECT_EQ(r.sent, QStringList{unit::StopFrame()});
    // Once a frame within the limit came, ten more over it trip again.
    r.received += frame(1, 300, 100, 10, 100);
    r.run.Tick();
    feed(10);
    EXPECT_EQ(dialogs.texts().size(), 2);
    EXPECT_EQ(r.sent, QStringList({unit::StopFrame(), unit::StopFrame()}));
}
