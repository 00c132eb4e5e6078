// The PVT window end to end: the multi-unit window adds it on a simulated
// unit behind a pseudo-terminal; a sequence runs on ticks of a manual clock,
// the unit answering every tick with a frame that carries its magnet
// position. Set-point frames on their ticks, the rows stored with the PVT
// column mapping, the live density, the trips, and what a real unit does
// that the window must survive (noise, frames that do not fit, frames in
// pieces, silence, a port that vanishes). The XDisplay suite takes the
// window's picture during a run.

#include "PvtFixture.h"

#include "calibration/frmCalibrateTorque.h"
#include "data/CalibrationFiles.h"
#include "data/Settings.h"
#include "platform/PeChart.h"
#include "multiunit/frmMDIRealTime.h"
#include "support/UnitSimulator.h"
#include "support/Screenshots.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QScreen>
#include <QSet>
#include <QStatusBar>
#include <QThread>
#include <cmath>

using namespace pvt_tests;
using testing_support::UnitSimulator;

using testing_support::Settle;
using testing_support::DistinctColours;

namespace {

class PvtLine : public unit_tests::UnitWindowFixture {
protected:
    void SetUp() override {
        UnitWindowFixture::SetUp();
        SetUnitLabels();
        writePorts({3});
        sim.attachToPort(3);
        sim.setPeriod(0);
        UnitSimulator::Readings r = sim.readings();
        r.temperature = 72;
        r.tempSetPoint = 72;
        sim.setReadings(r);
        sim.setMagnetPosition(500);
        mdi = std::make_unique<frmMDIRealTime>(&conn);
        mdi->MDIForm_Load();
    }
    void TearDown() override {
        mdi.reset();
        UnitWindowFixture::TearDown();
    }

    frmPVTtest* add() {
        mdi->MenuPVTAdd_Click(1);
        return qobject_cast<frmPVTtest*>(mdi->PvtTestWindows[1].data());
    }
    void pick(frmPVTtest& w, const QString& name) { testing_support::PickSequence(w, name); }
    void start(frmPVTtest& w, const PvtEntry& entry = {}) {
        AnswerPvtInfo answer(entry);
        w.cmdStart_Stop->click();
    }
    // Waits until the window's port holds `count` more characters.
    bool arrived(frmPVTtest& w, int before, int count) {
        return until([] {}, [&] { return w.MSComm1.InBufferCount() >= before + count; });
    }
    // One tick: the clock and the unit move on by the timer's interval, the
    // unit sends one frame, the tick runs; a frame the tick sent is waited for.
    bool tick(frmPVTtest& w) {
        const int ms = w.Timer1.Interval() > 0 ? w.Timer1.Interval() : 1000;
        clock.advance(ms);
        sim.advance(ms / 1000.0);
        const int before = w.MSComm1.PortOpen() ? w.MSComm1.InBufferCount() : 0;
        const QByteArray frame = sim.statusFrame();
        sim.sendStatusFrame();
        if (!sim.vanished() && !arrived(w, before, int(frame.size()))) return false;
        const size_t commands = sim.commands().size();
        const bool running = w.RunState == 1;
        w.Timer1.Tick();
        ++ticks;
        const bool setPoint = w.Timer1.Interval() == 3000 && w.RunState == 1 && w.StepTick == 2;
        const bool stopped = running && w.RunState == 0;
        const size_t expected = commands + (setPoint ? 1 : 0) + (stopped ? 1 : 0);
        if (expected > commands && !sim.waitForCommands(expected)) return false;
        if (setPoint) setPointTicks.push_back(ticks);
        // Drop the unit's answers to the commands: one frame per tick.
        sim.pump(1);
        return true;
    }

    std::shared_ptr<db::RowSet> sql(const QString& text) { return Sql(conn, text); }
    int count(const QString& table) { return Count(conn, table); }

    testing_support::ManualClock clock;
    AnswerCalibration calibration;
    UnitSimulator sim;
    std::unique_ptr<frmMDIRealTime> mdi;
    int ticks = 0;
    std::vector<int> setPointTicks;
};

}  // namespace

TEST_F(PvtLine, ASequenceRunsAndStoresItsRows) {
    StoreSequence(conn, "P1", {SeqStep{1, 72, 5, 100, 10, 0}, SeqStep{0.5, 72, 5, 50, 15, 0}});
    EXPECT_TRUE(mdi->MenuPVTAdd[1]->isEnabled());
    frmPVTtest* w = add();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "Unit 1 PVT Test");
    EXPECT_EQ(w->lblInstName->text(), "Unit 1");
    EXPECT_EQ(w->Units(), 1);
    EXPECT_FALSE(mdi->MenuPVTAdd[1]->isEnabled());
    EXPECT_TRUE(w->MSComm1.PortOpen());
    EXPECT_EQ(w->Timer1.Interval(), 1000);

    pick(*w, "P1");
    w->optLag->click();
    start(*w);
    ASSERT_EQ(w->RunState, 1);
    for (int i = 0; i < 200 && w->RunState == 1; ++i) ASSERT_TRUE(tick(*w)) << "tick " << i;
    ASSERT_EQ(w->RunState, 0);

    // The step frames on the second tick of each step; the stop frame at the end.
    EXPECT_EQ(setPointTicks, (std::vector<int>{2, 60}));
    std::vector<QByteArray> sent;
    for (const auto& c : sim.commands()) sent.push_back(c.bytes);
    EXPECT_EQ(sent, (std::vector<QByteArray>{"\x01" "072.0,00000,100.000 1\r", "\x01" "072.0,00000,050.000 1\r",
                                             "\x04\r"}));
    EXPECT_EQ(w->Status->text(), "Test Stop");
    EXPECT_TRUE(dialogs.texts().isEmpty());

    // The live density of the worked example.
    EXPECT_EQ(w->txtDensity->text(), "2.0841");
    EXPECT_EQ(w->txtHigh->text(), "-1.0623");

    const auto rows = sql("SELECT RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, RESULT_PRESS, RESULT_SPEED, "
                          "RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP, CYCLE_NO, TEST_ID FROM TEST_RESULT "
                          "ORDER BY RESULT_TIME");
    const std::vector<double> times = {10, 20, 30, 40, 50, 60, 75, 90};
    ASSERT_EQ(rows->columns[0].size(), int(times.size()));
    for (size_t i = 0; i < times.size(); ++i) {
        SCOPED_TRACE(i);
        const int r = int(i);
        EXPECT_EQ(rows->columns[0][r].toDouble(), i < 6 ? 1 : 2);
        EXPECT_EQ(rows->columns[1][r].toDouble(), 0);
        EXPECT_EQ(rows->columns[2][r].toDouble(), times[i]);
        EXPECT_EQ(rows->columns[3][r].toDouble(), 72);
        EXPECT_EQ(rows->columns[4][r].toDouble(), 0);
        EXPECT_EQ(rows->columns[5][r].toDouble(), i < 6 ? 100 : 50);  // rpm
        EXPECT_NEAR(rows->columns[6][r].toDouble(), 1.062278, 1e-6);   // the height, inch
        EXPECT_EQ(rows->columns[7][r].toDouble(), 0);
        EXPECT_EQ(rows->columns[8][r].toDouble(), 500);  // the magnet reading as received
        EXPECT_EQ(rows->columns[9][r].toDouble(), 1);
        EXPECT_EQ(rows->columns[10][r].toInt(), w->TestId);
    }
    // One grid row per step; the chart holds every row.
    EXPECT_EQ(w->MSFlexGrid1->Rows(), 3);
    EXPECT_EQ(w->MSFlexGrid1->TextMatrix(2, 2), "1.5");
    EXPECT_EQ(w->MSFlexGrid1->TextMatrix(2, 6), "2.0841");
    EXPECT_EQ(w->Pesgo1->points(), 8);

    // Closing gives the menu entry back and closes the port.
    mdi->SubWindowOf(w)->close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(mdi->MenuPVTAdd[1]->isEnabled());
}

// A piston calibration of each direction, taken on the calibration window's
// PVT tab against the unit, then a PVT run with the file it wrote. Readings
// that fall from the top to the bottom run; readings that rise with the
// height (which made every run stop at its first point, "too close to the
// top") are refused at the step that rises, and a file that holds such a
// calibration is refused by the PVT window, naming it.
TEST_F(PvtLine, APistonCalibrationOfEachDirectionThroughARun) {
    StoreSequence(conn, "P1", {SeqStep{1, 72, 5, 100, 10, 0}});
    const auto previous = frmPVTtest::SetCalibrationReader(nullptr);  // the files themselves
    {
        frmCalibrateTorque c;
        c.Delay_Seconds = [](int, std::function<void()> then) { then(); };
        c.Form_Load();
        c.cmbInstName[2]->setCurrentIndex(0);
        c.cmbInstName_Click(2);
        ASSERT_TRUE(c.MSComm1.PortOpen()) << dialogs.texts().join('\n').toStdString();
        c.Combo1->setCurrentIndex(1);  // small piston: 0, 0.5, 1 and 2 in.
        c.Combo1_Click();
        auto step = [&](int position, double magnet) {
            sim.setMagnetPosition(magnet);
            EXPECT_TRUE(until(
                [&] {
                    sim.sendStatusFrame();
                    QThread::msleep(20);
                    c.TimerPVT.Tick();
                },
                [&] { return c.PvtReading == magnet; }))
                << position;
            c.cmdPVT_Click(position);
        };
        // Rising: refused at the second step, nothing to save.
        step(1, 600);
        step(2, 800);
        ASSERT_EQ(dialogs.texts().size(), 1);
        EXPECT_TRUE(dialogs.texts()[0].startsWith("The reading at position 2 (800) is above the one at position 1"));
        EXPECT_FALSE(c.cmdPVT[2]->isHidden());
        dialogs.clear();
        // Falling: 1000 at the top down to 400 at 2 in.
        c.Combo1_Click();
        const double magnets[] = {1000, 800, 600, 400};
        for (int i = 1; i <= 4; ++i) step(i, magnets[i - 1]);
        ASSERT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('\n').toStdString();
        c.cmdSave2_Click();
        ASSERT_EQ(c.CaliState, 3) << dialogs.texts().join('\n').toStdString();
    }

    // The run with that file: a magnet between the readings of 0.5 and 1 in.
    sim.setMagnetPosition(700);
    frmPVTtest* w = add();
    ASSERT_NE(w, nullptr);
    pick(*w, "P1");
    w->optSml->click();
    ASSERT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('\n').toStdString();
    start(*w);
    ASSERT_EQ(w->RunState, 1);
    for (int i = 0; i < 100 && w->RunState == 1; ++i) ASSERT_TRUE(tick(*w)) << "tick " << i;
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('\n').toStdString();  // no trip
    const auto rows = sql("SELECT RESULT_SHEAR_STRESS FROM TEST_RESULT ORDER BY RESULT_TIME");
    ASSERT_EQ(rows->columns[0].size(), 6);
    for (int r = 0; r < 6; ++r) {
        EXPECT_GT(rows->columns[0][r].toDouble(), 0.5) << r;  // the height, inch
        EXPECT_LT(rows->columns[0][r].toDouble(), 1.0) << r;
    }

    // A file holding a calibration taken the other way round (as one saved
    // before) is refused: no run starts on it.
    ASSERT_TRUE(calibration::SavePistonCalibration(
                    calibration::Piston::Small, 1,
                    calibration::PistonLine({0, 0.5, 1, 2}, {400, 600, 800, 1000}, {0, 1, 1, 1}, {0, 0, 0, 0}))
                    .ok);
    dialogs.clear();
    w->optSml->setChecked(false);
    w->optSml->click();
    EXPECT_EQ(dialogs.texts(), QStringList{"The piston calibration of unit 1 in CALIsmal.dat has readings that do not "
                                           "fall from the top (position 1) to the bottom, as the PVT test reads them.  "
                                           "Please calibrate."});
    EXPECT_FALSE(w->reply.calibration.loaded());
    frmPVTtest::SetCalibrationReader(previous);
}

// The first point of a run falls on the tick after the step's set points (a
// 5 s interval): it holds the unit's readings under them (100 rpm), never
// those of before them (0 rpm).
TEST_F(PvtLine, TheFirstPointHoldsReadingsFromAfterTheSetPoints) {
    StoreSequence(conn, "Five", {SeqStep{0.5, 72, 5, 100, 5, 0}});
    frmPVTtest* w = add();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(tick(*w));
    ASSERT_EQ(w->txtSpeed->text().trimmed().toDouble(), 0);
    pick(*w, "Five");
    w->optLag->click();
    start(*w);
    ASSERT_EQ(w->RunState, 1);
    for (int i = 0; i < 100 && w->RunState == 1; ++i) ASSERT_TRUE(tick(*w)) << "tick " << i;
    ASSERT_EQ(w->RunState, 0);
    EXPECT_EQ(setPointTicks, (std::vector<int>{3}));
    const auto rows = sql("SELECT RESULT_TIME, RESULT_SPEED FROM TEST_RESULT ORDER BY RESULT_TIME");
    ASSERT_EQ(rows->columns[0].size(), 6);
    EXPECT_EQ(rows->columns[0][0].toDouble(), 5);
    for (int r = 0; r < rows->columns[0].size(); ++r) EXPECT_EQ(rows->columns[1][r].toDouble(), 100) << r;
    EXPECT_EQ(w->PointsNotRecorded, 0);
}

TEST_F(PvtLine, TripsStopTheRun) {
    StoreSequence(conn, "Long", {SeqStep{60, 72, 5, 100, 10, 0}});
    struct Case {
        const char* name;
        std::function<void()> fault;
        QString message;
    } cases[] = {
        {"magnet at the bottom", [this] { sim.runMagnetReading(3, 100); },
         "The magnet position is too close to the bottom.test will be stopped"},
        {"magnet at the top", [this] { sim.runMagnetReading(20, 1200); },
         "The magnet position is too close to the top.test will be stopped"},
        {"over-temperature", [this] { sim.runOverTemperature(10, 650); }, "Temperature too high, test will be stopped "},
        {"pressure off its set point", [this] { sim.runOverPressure(1, 4001); },
         "pressure inactive, test will be stopped."},
    };
    frmPVTtest* w = add();
    ASSERT_NE(w, nullptr);
    pick(*w, "Long");
    w->optLag->click();
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.clear();
        start(*w, Entry(QStringLiteral("T%1").arg(++n)));
        ASSERT_EQ(w->RunState, 1);
        for (int i = 0; i < 5; ++i) ASSERT_TRUE(tick(*w));
        c.fault();
        for (int i = 0; i < 30 && w->RunState == 1; ++i) ASSERT_TRUE(tick(*w));
        EXPECT_EQ(w->RunState, 0);
        EXPECT_EQ(dialogs.texts(), QStringList{c.message});
        EXPECT_EQ(sim.commands().back().bytes, QByteArray("\x04\r"));
        for (int i = 0; i < 20; ++i) ASSERT_TRUE(tick(*w));  // the runs of bad readings pass
    }
}

// A unit that goes on reporting what stopped it: one stop frame and one box
// per trip, however long the readings stay (here 25 s). 35000 psi from the
// first frame stops the run by its pressure band at once; the over-pressure
// count that the same readings run up after it sends nothing more.
TEST_F(PvtLine, ATripSendsOneStopFrameAndOneBoxWhileItsReadingsStay) {
    struct Case {
        const char* name;
        double stepPress;
        std::function<void(UnitSimulator::Readings&)> fault;
        QString message;
    } cases[] = {
        {"35000 psi from the first frame", 1000, [](UnitSimulator::Readings& r) { r.pressure = 35000; },
         "pressure inactive, test will be stopped."},
        {"over-pressure within the band", 30000, [](UnitSimulator::Readings& r) { r.pressure = 31000; },
         "pressure too high, will be shut down"},
        {"over-temperature", 0, [](UnitSimulator::Readings& r) { r.temperature = 650; },
         "Temperature too high, test will be stopped "},
    };
    frmPVTtest* w = add();
    ASSERT_NE(w, nullptr);
    w->optLag->click();
    const UnitSimulator::Readings normal = sim.readings();
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = QStringLiteral("Trip %1").arg(++n);
        StoreSequence(conn, name, {SeqStep{60, 72, 5, 100, 10, c.stepPress}});
        pick(*w, name);
        sim.setReadings(normal);
        for (int i = 0; i < 2; ++i) ASSERT_TRUE(tick(*w));  // the normal readings end any hold before
        sim.clearCommands();
        dialogs.clear();
        start(*w, Entry(name));
        ASSERT_EQ(w->RunState, 1);
        UnitSimulator::Readings bad = normal;
        c.fault(bad);
        sim.setReadings(bad);
        for (int i = 0; i < 25; ++i) ASSERT_TRUE(tick(*w));
        EXPECT_EQ(w->RunState, 0);
        sim.pump(100);  // a stop frame the ticks did not wait for
        int stops = 0;
        for (const auto& cmd : sim.commands()) stops += cmd.bytes == QByteArray("\x04\r");
        EXPECT_EQ(stops, 1);
        EXPECT_EQ(dialogs.texts(), QStringList{c.message});
    }
}

TEST_F(PvtLine, WhatARealUnitDoesThatTheWindowMustSurvive) {
    StoreSequence(conn, "Long", {SeqStep{60, 72, 5, 100, 10, 0}});
    frmPVTtest* w = add();
    ASSERT_NE(w, nullptr);
    pick(*w, "Long");
    w->optLag->click();
    start(*w);
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(tick(*w));

    // Noise, frames of 7 and 10 commas, a frame in three pieces: the readings
    // stay those of the good frames, and the run goes on.
    sim.sendNoise(50);
    sim.sendFrameWithCommas(7);
    sim.sendFrameWithCommas(10);
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(tick(*w));
    const QByteArray frame = sim.statusFrame();
    for (int piece = 0; piece < 3; ++piece) {
        const int before = w->MSComm1.InBufferCount();
        const QByteArray part = frame.mid(piece * 20, piece == 2 ? -1 : 20);
        sim.sendRaw(part);
        ASSERT_TRUE(arrived(*w, before, int(part.size())));
        w->Timer1.Tick();
    }
    EXPECT_EQ(w->RunState, 1);
    EXPECT_EQ(w->txtDensity->text(), "2.0841");
    EXPECT_TRUE(dialogs.texts().isEmpty());

    // Silence: "No Response" from the second tick without a frame; a frame
    // brings the status back. Of the recording points in the 12 s, the one at
    // 10 s holds the readings of the tick before and is stored; the one at
    // 20 s has none and is not, and the step time panel says so until frames
    // come again.
    ASSERT_LT(w->StepSeconds, 10);
    sim.setSilent(true);
    for (int i = 0; i < 12; ++i) {
        clock.advance(1000);
        w->Timer1.Tick();
    }
    EXPECT_EQ(w->lblActiveFlag->text(), "No Response");
    EXPECT_EQ(count("TEST_RESULT"), 1);
    EXPECT_EQ(w->PointsNotRecorded, 1);
    EXPECT_EQ(w->StepTime->text(), "No readings from the unit: 1 point not recorded");
    sim.setSilent(false);
    ASSERT_TRUE(tick(*w));
    EXPECT_EQ(w->lblActiveFlag->text(), "Running Test");
    EXPECT_TRUE(w->StepTime->text().startsWith("Current Step (1) Cycle (1) Time: ")) << w->StepTime->text().toStdString();

    // The port vanishes: the run stops, the loss is said once, the window closes.
    sim.vanish();
    for (int i = 0; i < 3; ++i) {
        clock.advance(1000);
        w->Timer1.Tick();
    }
    EXPECT_EQ(w->RunState, 0);
    EXPECT_EQ(w->lblActiveFlag->text(), "No Response");
    ASSERT_EQ(dialogs.texts().size(), 1);
    EXPECT_TRUE(dialogs.texts()[0].startsWith("ERROR: 8020")) << dialogs.texts()[0].toStdString();
    const int rows = count("TEST_RESULT");
    EXPECT_GT(rows, 0);  // what was recorded stays
    mdi->SubWindowOf(w)->close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(mdi->MenuPVTAdd[1]->isEnabled());
}

// A point a second against a unit whose frames keep a time of their own: on
// time, up to 0.4 s late, split across a tick, then silent for 12 s. Each
// frame carries the time it was sent (tenths of a second, as its pressure),
// so every stored row tells how old its readings were. Late and split frames
// lose no point and never show the unit silent; in the silence no row holds
// readings older than 3.5 s, and "No Response" shows within 3 s of the last
// frame.
TEST_F(PvtLine, ReadingsAgeThroughLateAndSplitFramesAndASilence) {
    StoreSequence(conn, "Age", {SeqStep{60, 72, 5, 100, 1, 0}});
    frmPVTtest* w = add();
    ASSERT_NE(w, nullptr);
    pick(*w, "Age");
    w->optLag->click();
    auto& timer = static_cast<testing_support::ManualTickSource&>(w->Timer1.source());

    struct Case {
        const char* name;
        std::function<int(int)> lateMs;  // frame n's delay
        std::function<bool(int)> split;  // frame n in two pieces 200 ms apart
    };
    const Case cases[] = {
        {"on time", nullptr, nullptr},
        {"up to 0.4 s late", [](int n) { return n % 3 == 0 ? 400 : n % 5 == 0 ? 250 : 0; }, nullptr},
        {"split across a tick", nullptr, [](int n) { return n % 2 == 0; }},
        {"late and split", [](int n) { return n % 4 == 0 ? 400 : 0; }, [](int n) { return n % 3 == 0; }},
    };
    constexpr int kFramesUntilSilence = 40;
    constexpr int kSilenceMs = 12000;
    std::vector<double> onTime;
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const quint32 t0 = clock.ms;
        start(*w, Entry(QStringLiteral("Age %1").arg(++n)));
        ASSERT_EQ(w->RunState, 1);
        const quint32 startMs = clock.ms;

        // The unit's pieces of text by the time they go out: frame k is due
        // 100 ms before the run's k-th second.
        std::vector<std::pair<quint32, QByteArray>> pieces;
        quint32 lastFrameMs = 0;
        for (int k = 1; k <= kFramesUntilSilence; ++k) {
            const quint32 at = startMs + quint32(k * 1000 - 100 + (c.lateMs ? c.lateMs(k) : 0));
            UnitSimulator::Readings r = sim.readings();
            r.pressure = double(at - t0) / 100;
            sim.setReadings(r);
            const QByteArray frame = sim.statusFrame();
            const bool split = c.split && c.split(k);
            if (split) {
                pieces.emplace_back(at, frame.left(frame.size() / 2));
                pieces.emplace_back(at + 200, frame.mid(frame.size() / 2));
            } else {
                pieces.emplace_back(at, frame);
            }
            lastFrameMs = std::max(lastFrameMs, split ? at + 200 : at);  // when it is whole
        }
        std::stable_sort(pieces.begin(), pieces.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });

        size_t next = 0;
        quint32 tickMs = startMs;
        std::optional<quint32> silenceShownMs;
        int shownSilentBefore = 0;
        while (tickMs < lastFrameMs + kSilenceMs) {
            tickMs += quint32(timer.next);
            for (; next < pieces.size() && pieces[next].first <= tickMs; ++next) {
                clock.advance(qint64(pieces[next].first - clock.ms));
                const int before = w->MSComm1.InBufferCount();
                sim.sendRaw(pieces[next].second);
                ASSERT_TRUE(arrived(*w, before, int(pieces[next].second.size())));
            }
            clock.advance(qint64(tickMs - clock.ms));
            ASSERT_TRUE(timer.fire());
            const bool silent = w->lblActiveFlag->text() == "No Response" ||
                                w->StepTime->text().startsWith("No readings");
            if (tickMs <= lastFrameMs) shownSilentBefore += silent;
            if (silent && !silenceShownMs) silenceShownMs = tickMs;
        }
        EXPECT_EQ(shownSilentBefore, 0);
        ASSERT_TRUE(silenceShownMs);
        EXPECT_LE(*silenceShownMs - lastFrameMs, 3000u);

        // Every row: the second it was recorded on against the frame it holds.
        // Those before the silence are the same whatever the frames' timing.
        const auto rows = sql(QStringLiteral("SELECT RESULT_TIME, RESULT_PRESS FROM TEST_RESULT WHERE TEST_ID = %1 "
                                             "ORDER BY RESULT_TIME")
                                  .arg(w->TestId));
        std::vector<double> times;
        for (int i = 0; i < rows->columns[0].size(); ++i) {
            const double recordedMs = double(startMs - t0) + rows->columns[0][i].toDouble() * 1000;
            const double sentMs = rows->columns[1][i].toDouble() * 100;
            EXPECT_LE(recordedMs - sentMs, 3500) << "row at " << rows->columns[0][i].toDouble() << " s";
            if (rows->columns[0][i].toDouble() < kFramesUntilSilence) times.push_back(rows->columns[0][i].toDouble());
        }
        if (onTime.empty()) {
            onTime = times;
            ASSERT_GT(onTime.size(), 30u);
            for (size_t i = 1; i < onTime.size(); ++i) EXPECT_EQ(onTime[i], onTime[i - 1] + 1) << i;
        } else {
            EXPECT_EQ(times, onTime);  // no point lost
        }
        EXPECT_EQ(w->PointsMissed, 0);
        EXPECT_GT(w->PointsNotRecorded, 8);  // the silence's

        dialogs.answers.push_back(ui::vbYes);
        w->cmdStop->click();
        ASSERT_EQ(w->RunState, 0);
        // What is left of the frames goes before the next run.
        sim.sendStatusFrame();
        ASSERT_TRUE(tick(*w));
    }
    EXPECT_EQ(dialogs.texts(), QStringList(std::size(cases), "Are you sure to stop running test?"));
}

TEST_F(PvtLine, AFrameTheLineDoesNotTakeStopsTheRunAndIsSaidOnce) {
    const struct {
        const char* name;
        bool byStop;  // else the step's set-point frame on the second tick
    } cases[] = {{"the step's set points", false}, {"the stop frame", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim.refuseWrites(false);
        dialogs.clear();
        StoreSequence(conn, c.name, {SeqStep{60, 72, 5, 100, 1, 0}});
        frmPVTtest* w = add();
        ASSERT_NE(w, nullptr);
        ASSERT_TRUE(w->MSComm1.PortOpen());
        pick(*w, c.name);
        w->optLag->click();
        start(*w, Entry(c.name));
        ASSERT_EQ(w->RunState, 1);
        ASSERT_TRUE(tick(*w));
        if (c.byStop)
            for (int i = 0; i < 4; ++i) ASSERT_TRUE(tick(*w));
        const int rows = count("TEST_RESULT");

        sim.refuseWrites(true);
        if (c.byStop) {
            dialogs.answers.push_back(ui::vbYes);
            w->cmdStop->click();
        } else {
            clock.advance(1000);
            w->Timer1.Tick();  // sends the step's frame
        }
        EXPECT_EQ(w->RunState, 0);
        EXPECT_EQ(w->Status->text(), "Test Stop");
        EXPECT_EQ(w->lblActiveFlag->text(), "No Response");
        EXPECT_FALSE(w->MSComm1.PortOpen());
        for (int i = 0; i < 5; ++i) {
            clock.advance(1000);
            w->Timer1.Tick();
        }
        // One message: the failure, the run it ended, the unit perhaps not stopped.
        ASSERT_EQ(dialogs.texts().size(), c.byStop ? 2 : 1);  // after "Are you sure ...?"
        const QString text = dialogs.texts().last();
        EXPECT_TRUE(text.startsWith("ERROR: 8030, Error writing comm device (port 3 (" + sim.slavePath() + "): "))
            << text.toStdString();
        EXPECT_TRUE(text.contains("\rThe running test \"" + QString(c.name) + "\" has stopped")) << text.toStdString();
        EXPECT_TRUE(text.endsWith("\rThe unit did not receive the last command: check that it has stopped."));
        // Nothing recorded as if the unit had answered.
        EXPECT_EQ(count("TEST_RESULT"), rows);
        // A start now is refused: the port is not open.
        dialogs.clear();
        start(*w, Entry("Again"));
        EXPECT_EQ(w->RunState, 0);
        EXPECT_EQ(dialogs.texts(), QStringList{w->PortNotOpenMessage("The test cannot be started")});
        mdi->SubWindowOf(w)->close();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// ---- picture -------------------------------------------------------------------------------

namespace {

// One straight law over the whole sensor: 0 inch at a reading of 1000,
// 1 inch at 200.
unit::PvtCalibration SensorLaw() {
    const double s = (std::log10(2.1) - std::log10(3.1)) / (3 - std::log10(200.0));
    const double i = std::log10(2.1) - 3 * s;
    unit::PvtCalibration c = FlatCalibration(5);
    for (int k = 1; k < 5; ++k) {
        c.slopes[size_t(k)] = s;
        c.intercepts[size_t(k)] = i;
    }
    return c;
}

class XDisplayPvt : public PvtLine {};

}  // namespace

TEST_F(XDisplayPvt, PvtWindowDuringARun) {
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        GTEST_SKIP() << "needs an X display (ctest runs it under xvfb-run)";

    calibration.data = SensorLaw();
    sim.setMagnetPosition(900, -0.02);  // the piston moves in as the sample is compressed
    sim.setPhysics({1.0, 150.0, std::nullopt});
    StoreSequence(conn, "PVT 8000 psi 200F", {SeqStep{3, 200, 5, 0, 10, 8000}});
    frmPVTtest* w = add();
    ASSERT_NE(w, nullptr);
    pick(*w, "PVT 8000 psi 200F");
    w->optLag->click();
    w->chkTemp->setChecked(true);
    w->chkPress->setChecked(true);
    w->chkPosition->setChecked(true);
    start(*w, Entry(QStringLiteral("Brine 12.5 ppg, 8000 psi"), QStringLiteral("100"), QStringLiteral("1.49")));
    for (int i = 0; i < 150 && w->RunState == 1; ++i) ASSERT_TRUE(tick(*w));
    ASSERT_EQ(w->RunState, 1);

    const QString dir = QStringLiteral(Z3080_SCREENSHOT_DIR);
    QDir().mkpath(dir);
    mdi->show();
    // The container's own size first, then the screens a lab user reads.
    for (const QSize size : {QSize(1024, 740), QSize(1280, 800), QSize(1920, 1080)}) {
        SCOPED_TRACE(size.width());
        mdi->resize(size);
        Settle(400);
        QPixmap shot = mdi->screen()->grabWindow(mdi->winId());
        if (shot.isNull()) shot = mdi->grab();
        const QImage image = shot.toImage();
        ASSERT_FALSE(image.isNull());
        ASSERT_TRUE(image.save(dir + QStringLiteral("/pvt_window_run_%1.png").arg(size.width())));
        // Every caption of the readings is seen whole.
        for (QLabel* caption : w->Frame2->findChildren<QLabel*>()) {
            SCOPED_TRACE(caption->objectName().toStdString());
            EXPECT_LE(caption->fontMetrics().horizontalAdvance(caption->text()), caption->contentsRect().width());
        }
        const QRect chart(w->Pesgo1->mapTo(mdi.get(), QPoint(0, 0)), w->Pesgo1->size());
        EXPECT_GT(DistinctColours(image, chart), 8);
    }
    EXPECT_EQ(w->Pesgo1->subsets(), 4);
    EXPECT_GT(w->Pesgo1->points(), 10);
}
