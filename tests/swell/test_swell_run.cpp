// The swell run loop and the swell window's rules, without a window: the run
// is driven tick by tick on a manual clock through a stand-in for the window.

#include "data/Globals.h"
#include "data/Settings.h"
#include "support/ManualClock.h"
#include "support/QtPrint.h"
#include "support/SavedGlobals.h"
#include "support/ScriptedDialogs.h"
#include "unitlink/UnitProtocol.h"
#include "swell/SwellRun.h"

#include "data/Numbers.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <map>
#include <vector>

using namespace swell;
using testing_support::ManualClock;

namespace {

const QChar kEnd(26);

// The window as the run sees it: the unit's input is queued by the test, the
// frames sent, set points, rows and panels are written down.
class FakeWindow : public SwellRun {
public:
    QString input;            // what the port holds at the next read
    int reads = 0;
    QStringList sent;
    std::vector<int> intervals;
    int setPointsSent = 0;
    std::vector<std::pair<int, int>> rows;  // (step, cycle) of every recorded point
    std::vector<double> rowTimes;
    std::vector<quint32> rowMs;         // the clock when each row was made
    std::vector<double> rowReadings;    // the pressure each row holds
    QString status;
    QString pressBox = "0";
    QStringList messages;
    std::map<QString, QString> panels;
    bool running = false;

    QString ReadInput() override {
        ++reads;
        return std::exchange(input, QString());
    }
    void SendFrame(const QString& f) override { sent << f; }
    void SetTimerInterval(int ms) override { intervals.push_back(ms); }
    double PressSetPoint() override { return pressBox.toDouble(); }
    void ShowStep(int step) override { pressBox = QString::number(mStepPress.value(step)); }
    void SendSetPoints() override {
        ++setPointsSent;
        setPointMs.push_back(tick::timeGetTime());
        intervals.push_back(kAfterSetPointMs);  // as the window's timer: the next tick 3 s on
    }
    std::vector<quint32> setPointMs;  // when each step's set points went out
    // The row is made now and written down once it is stored.
    void SaveSwellResultRow() override {
        const std::pair<int, int> row{CurStep, CurCycle};
        const double time = double(ElapsedSeconds);
        const quint32 atMs = tick::timeGetTime();
        const double readings = reply.state.SamplePress;
        StoreRow({ResultPoint{}, QStringLiteral("Fake test"), [this, row, time, atMs, readings](bool) {
                      rows.push_back(row);
                      rowTimes.push_back(time);
                      rowMs.push_back(atMs);
                      rowReadings.push_back(readings);
                  }});
    }
    void InsertRow(const ResultPoint&, int) override {}
    void ShowReply(const SwellReplyResult&) override {}
    void ShowStatus(const QString& caption) override { status = caption; }
    void ShowPanel(const QString& key, const QString& text) override { panels[key] = text; }
    void RunButtons(bool on) override { running = on; }
    void Message(const QString& text) override { messages << text; }
    void ShowPointNotRecorded(int count) override { notRecorded.push_back(count); }
    std::vector<int> notRecorded;  // the count told at every point not recorded

    // Steps of (minutes, temperature, tolerance, pressure, cycles, interval).
    void steps(std::initializer_list<std::array<double, 6>> list) {
        static_cast<runloop::RunTables&>(*this) = runloop::RunTables{};
        for (const auto& s : list) {
            mStepMinutes << s[0];
            mStepTemp << s[1];
            mStepTempError << s[2];
            mStepPress << s[3];
            mStepCycles << s[4];
            mStepInterval << s[5];
            mStepSpeed << 0;
        }
        mStepCount = int(list.size());
    }
    // A unit frame at this temperature and pressure.
    void reading(double temperature, double pressure = 0) {
        input += QStringLiteral("#01,%1,0,0,0,%2,0,0,1.5,0").arg(temperature).arg(pressure) + kEnd;
    }
};

struct SwellRunLoop : ::testing::Test {
    void start() {
        w.BeginRun();
        w.RecordInterval = int(w.mStepInterval.value(1));
        w.pressBox = QString::number(w.mStepPress.value(1));
    }
    // One tick after `ms` of the clock with a reading of the unit before it.
    void tick(int ms = 1000, double temperature = 100, double pressure = 0) {
        clock.advance(ms);
        w.reading(temperature, pressure);
        w.Tick();
    }
    testing_support::ScriptedDialogs dialogs;
    ManualClock clock;
    FakeWindow w;
};

}  // namespace

TEST_F(SwellRunLoop, StepsRunTheirCyclesThenTheRunEnds) {
    w.steps({{1, 100, 5, 0, 3, 0}, {1, 100, 5, 0, 1, 0}});
    start();
    std::vector<std::pair<int, int>> seen;  // (step, cycle) after each step end
    for (int i = 0; i < 400 && w.RunState == kRunning; ++i) {
        const int before = w.setPointsSent;
        tick();
        if (w.setPointsSent != before) seen.emplace_back(w.CurStep, w.CurCycle);
    }
    EXPECT_EQ(w.RunState, kIdle);
    EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{1, 2}, {1, 3}, {2, 1}}));
    EXPECT_EQ(w.sent, QStringList({QString("\x04\r")}));  // one stop frame, no message
    EXPECT_TRUE(w.messages.isEmpty());
    EXPECT_FALSE(w.running);

    // A cycle count of 0 runs the step once; a step of 0 minutes ends at the
    // first tick that reads the sample within its tolerance.
    FakeWindow once;
    once.steps({{0, 100, 5, 0, 0, 0}, {0, 200, 5, 0, 1, 0}});
    once.BeginRun();
    for (int i = 0; i < 4; ++i) {
        clock.advance(1000);
        once.reading(100);
        once.Tick();
    }
    EXPECT_EQ(once.CurStep, 2);
    EXPECT_EQ(once.RunState, kRunning);  // 100 °F is not within 5 of 200
}

TEST_F(SwellRunLoop, AStepOutsideItsToleranceNeverEnds) {
    w.steps({{1, 100, 5, 0, 1, 0}});
    start();
    for (int i = 0; i < 600; ++i) tick(1000, 106);
    EXPECT_EQ(w.CurStep, 1);
    EXPECT_EQ(w.RunState, kRunning);
    EXPECT_EQ(w.setPointsSent, 0);
    // Elapsed hours go on past a day.
    clock.advance(qint64(25) * 3600 * 1000);
    tick(1000, 106);
    EXPECT_EQ(w.panels["ElapsedTime"], "Elapsed Time: 25:10:01");
    EXPECT_EQ(w.panels["StepTime"], "Current Step (1) Cycle (1) Time: 25:10:01");
}

TEST_F(SwellRunLoop, PressureFarFromItsSetPointStopsTheRunAfterAMinute) {
    w.steps({{100, 100, 5, 10000, 1, 0}});
    start();
    for (int i = 0; i < 70; ++i) tick(1000, 100, 6000);  // 4000 below: accepted
    EXPECT_EQ(w.RunState, kRunning);

    FakeWindow low;
    low.steps({{100, 100, 5, 10000, 1, 0}});
    low.BeginRun();
    low.pressBox = "10000";
    int stoppedAt = 0;
    for (int i = 1; i <= 70 && low.RunState == kRunning; ++i) {
        clock.advance(1000);
        low.reading(100, 5999);
        low.Tick();
        stoppedAt = i;
    }
    EXPECT_EQ(stoppedAt, 61);  // only once the step is older than 60 s
    EXPECT_EQ(low.messages, QStringList({"pressure inactive, test will be stopped."}));
    EXPECT_EQ(low.sent, QStringList({QString("\x04\r")}));
}

TEST_F(SwellRunLoop, RowsAreRecordedOnTheIntervalAndTheStepsFirstTickDiscardsInput) {
    w.steps({{100, 100, 5, 0, 1, 5}});
    start();
    tick(500);   // the start's first tick: input discarded
    EXPECT_EQ(w.reply.state.SampleTemp, 0);
    tick(1000);  // only the first: the next reads the unit
    EXPECT_EQ(w.reply.state.SampleTemp, 100);
    for (int i = 0; i < 13; ++i) tick(1000);
    // The first row once 5 s have passed on the recording clock, then 5 s after it.
    EXPECT_EQ(w.rowTimes, (std::vector<double>{5, 10}));

    FakeWindow none;
    none.steps({{100, 100, 5, 0, 1, 0}});
    none.BeginRun();
    for (int i = 0; i < 30; ++i) {
        clock.advance(1000);
        none.Tick();
    }
    EXPECT_TRUE(none.rows.empty());
}

// Two one-minute steps at a short interval, ticked as the window's timer
// runs (a second, 3 s after a set-point frame), the unit sending a frame a
// second whose pressure is the time it sent it at. Each step has its rows,
// the one due on its last tick included (recorded before the step changes);
// none holds readings from before its step's set points or older than the
// rule; a point due on the tick that throws its input away waits for the
// next fresh readings and keeps its own time.
TEST_F(SwellRunLoop, EveryIntervalOfBothStepsHasItsRowOfFreshReadings) {
    const struct Case {
        int interval;
        std::vector<double> times;  // run seconds of the rows
    } cases[] = {
        {5, {5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80, 85, 90, 95, 100, 105, 110, 115, 120}},
        // Due on the tick after the set points (3 s): taken with the next
        // tick's readings (4 s), stored at its own time.
        {2, [] {
             std::vector<double> t;
             for (double s = 3; s <= 59; s += 2) t.push_back(s);
             for (double s = 63; s <= 119; s += 2) t.push_back(s);
             return t;
         }()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.interval);
        FakeWindow w;
        w.steps({{1, 100, 5, 0, 1, double(c.interval)}, {1, 100, 5, 0, 1, double(c.interval)}});
        const quint32 t0 = clock.ms;
        w.RecordInterval = c.interval;
        w.BeginRun();
        w.SendSetPoints();  // the window's Start sends the first step's set points
        w.SetPointsSent();
        quint32 nextFrameMs = t0 + 300;
        for (int i = 0; i < 400 && w.RunState == kRunning; ++i) {
            clock.advance(w.intervals.empty() ? 1000 : w.intervals.back());
            for (; nextFrameMs <= clock.ms; nextFrameMs += 1000) w.reading(100, (nextFrameMs - t0) / 1000.0);
            w.Tick();
        }
        ASSERT_EQ(w.RunState, kIdle);
        EXPECT_EQ(w.rowTimes, c.times);
        ASSERT_EQ(w.setPointMs.size(), 2u);
        int perStep[3] = {0, 0, 0};
        for (size_t i = 0; i < w.rows.size(); ++i) {
            SCOPED_TRACE(w.rowTimes[i]);
            const int step = w.rows[i].first;
            ++perStep[step];
            const double readingsMs = t0 + w.rowReadings[i] * 1000;
            EXPECT_GT(readingsMs, w.setPointMs[size_t(step - 1)]) << "readings of before the step's set points";
            EXPECT_LE(w.rowMs[i] - readingsMs, 3500);
        }
        EXPECT_EQ(perStep[1], perStep[2]);
        EXPECT_EQ(w.PointsNotRecorded, 0);
    }
}

// A unit silent on an open line leaves its last readings in place: the run
// goes on by them (the step's end, the next step's set points), but a point
// whose readings are no longer the unit's present ones (those of its tick or
// the tick before) is not recorded; it is counted, the window is told and
// the step time panel says so until frames come again.
// The first tick of a step throws its input away: its point waits for the
// next tick's fresh readings, and the point due on a step's last tick is
// recorded before the step changes.
TEST_F(SwellRunLoop, ASilentUnitsPointsAreNotRecordedAndTheRunGoesOn) {
    w.steps({{1, 100, 5, 0, 1, 1}, {1, 100, 5, 0, 1, 1}, {1, 100, 5, 0, 1, 1}});  // a point a second
    const auto seconds = [](double from, double to) {
        std::vector<double> s;
        for (double t = from; t <= to; ++t) s.push_back(t);
        return s;
    };
    tick();  // the window polls the unit before the run
    start();
    tick(500);  // the start's first ticks discard their input: the unit is sending
    while (w.CurStep == 1) tick();
    for (int i = 0; i < 4; ++i) tick();  // step 2's first tick discards its input
    std::vector<double> expected = seconds(1, 64);  // 61 waits for 62's readings
    EXPECT_EQ(w.rowTimes, expected);

    // Silent through the end of step 2 and the start of step 3.
    const int setPoints = w.setPointsSent;
    for (int i = 0; i < 60; ++i) {
        clock.advance(1000);
        w.Tick();
    }
    EXPECT_EQ(w.CurStep, 3);
    EXPECT_EQ(w.setPointsSent, setPoints + 1);
    // The first second of the silence holds the readings of the tick before.
    expected.push_back(65);
    EXPECT_EQ(w.rowTimes, expected);
    ASSERT_EQ(w.notRecorded.size(), 59u);  // every second after it
    EXPECT_EQ(w.notRecorded.back(), 59);
    EXPECT_EQ(w.panels["StepTime"], "No readings from the unit: 59 points not recorded");

    tick();
    EXPECT_EQ(w.panels["StepTime"], "Current Step (3) Cycle (1) Time: 00:00:05");
    while (w.RunState == kRunning) tick();
    for (double t : seconds(125, 180)) expected.push_back(t);
    EXPECT_EQ(w.rowTimes, expected);
    EXPECT_EQ(w.PointsNotRecorded, 59);
    EXPECT_TRUE(w.messages.isEmpty());

    // A new run starts with no point missed.
    start();
    EXPECT_EQ(w.PointsNotRecorded, 0);
    EXPECT_FALSE(w.UnitSilent());
}

// A stored rate beyond the counter's range is an interval that never comes
// round, not one that records on every tick; one that is no number records
// nothing.
TEST_F(SwellRunLoop, ARateBeyondTheCountersRangeRecordsNothing) {
    for (const double rate : {1e10, std::nan("")}) {
        FakeWindow far;
        far.steps({{0, 100, 5, 0, 1, 0}, {100, 100, 5, 0, 1, rate}});
        far.BeginRun();
        for (int i = 0; i < 20; ++i) {
            clock.advance(1000);
            far.reading(100);
            far.Tick();
        }
        EXPECT_EQ(far.CurStep, 2) << rate;
        EXPECT_TRUE(far.rows.empty()) << rate;
    }
    EXPECT_EQ(RecordIntervalOf(2.5), 2);
    EXPECT_EQ(RecordIntervalOf(-1e12), std::numeric_limits<int>::min());
}

TEST_F(SwellRunLoop, NoResponseOnceNoGoodFrameCameForMoreThanATick) {
    // Idle, a tick a second: ticks read the port; a unit that sends only
    // frames that do not fit is shown as not answering from the third tick.
    for (int i = 1; i <= 3; ++i) {
        clock.advance(1000);
        w.input = "noise" + QString(kEnd);
        w.Tick();
        EXPECT_EQ(w.status, i == 3 ? "No Response" : "") << i;
    }
    // A good frame every other tick (the others late) is a unit answering.
    w.status.clear();
    for (int i = 0; i < 10; ++i) {
        clock.advance(1000);
        if (i % 2 == 0) w.reading(100);
        w.Tick();
    }
    EXPECT_TRUE(w.status.isEmpty());
}

TEST(SwellRules, PlannedEndAndHoursText) {
    runloop::RunTables s;
    s.mStepMinutes << 10 << 20 << 30.4;
    s.mStepCount = 3;
    EXPECT_EQ(runloop::PlannedSeconds(s, 1, false), 3624);
    runloop::RunTables t;
    t.mStepMinutes << 10 << 20 << 30;
    t.mStepCount = 3;
    EXPECT_EQ(runloop::PlannedSeconds(t, 2, false), 3000);
    EXPECT_EQ(HoursText(0), "00:00:00");
    EXPECT_EQ(HoursText(90061), "25:01:01");
}

TEST(SwellRules, SetPointChecksAndFrame) {
    const testing_support::SavedGlobals keep;
    const int saved = gUnitSystem;
    gUnitSystem = 1;
    EXPECT_EQ(SetPointFrame(250, 3000, 100, 1), QString("\x01") + "250.0,03000,100.000 1\r");
    struct Case {
        const char *temp, *press, *speed;
        const char* refusal;  // "" accepted
    } cases[] = {
        {"250", "30000", "600", ""},
        {"0", "0", "-0.0001", ""},
        {"700", "0", "0", "The temperature setting must in 600 and 0"},
        {"hot", "0", "0", "The temperature setting must in 600 and 0"},
        // Text after the number: refused, not read as its leading number.
        {"250abc", "0", "0", "The temperature setting must in 600 and 0"},
        {"250", "1000 psi", "0", "The pressure setting must in 30000 and 0. "},
        {"250", "30001", "0", "The pressure setting must in 30000 and 0. "},
        {"250", "-1", "0", "The pressure setting must in 30000 and 0. "},
        {"250", "0", "600.5", "The speed setting must in 600 and -0.0001"},
        {"250", "0", "-0.001", "The speed setting must in 600 and -0.0001"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckSetPoints(c.temp, c.press, c.speed, 30000), QString(c.refusal)) << c.temp << c.press << c.speed;

    // SI: the box holds °C and is checked against the limits of a stored
    // step (the editor stores -18 and 316 °C as 0 and 601 °F), as the box
    // shows them.
    gUnitSystem = 2;
    SetUnitLabels();
    EXPECT_EQ(CheckSetPoints("300", "0", "0", 30000), QString());
    EXPECT_EQ(CheckSetPoints("316", "0", "0", 30000), QString());
    EXPECT_EQ(CheckSetPoints("316.2", "0", "0", 30000), QString("The temperature setting must in 316.1 and -17.8"));
    EXPECT_EQ(TempBoxText(212.4), "100.2");
    // A stored step at either limit, as its box shows it (601 °F is 316.1), is
    // within the limits; a tenth beyond is not.
    for (const double f : {601.0, 0.0}) EXPECT_EQ(CheckSetPoints(TempBoxText(f), "0", "0", 30000), QString()) << f;
    EXPECT_NE(CheckSetPoints("-17.9", "0", "0", 30000), QString());
    gUnitSystem = 1;
    SetUnitLabels();
    EXPECT_EQ(TempBoxText(212.4), "212.4");
    EXPECT_EQ(TempBoxText(212.4, "###0"), "212");
    // A stored temperature with many decimals still fits its box.
    EXPECT_EQ(TempBoxText(176.666666666667), "176.67");
    gUnitSystem = saved;
}

TEST(SwellRules, ZeroingChecksTheWaferAgainstTheCalibration) {
    const int saved = gUnitSystem;
    SwellCalibration c;
    c.v1 = 1;
    c.v2 = 2;
    c.v3 = 4;
    c.A = {0, 0.4, 0.4};
    c.B = {0, 0.830482023721841, 0.830482023721841};
    struct Case {
        int units;
        double volts;
        const char* answer;
        ZeroOutcome outcome;
    } cases[] = {
        {1, 1.0, "0.4", ZeroOutcome::Accepted},   // exactly V1 passes the thin check
        {1, 1.0, "", ZeroOutcome::Nothing},
        {1, 1.0, "0.4in", ZeroOutcome::NotNumeric},
        {1, 1.0, "abc", ZeroOutcome::NotNumeric},
        {1, 0.99, "0.4", ZeroOutcome::TooThin},
        {1, 4.0, "0.9", ZeroOutcome::TooThick},   // exactly V3
        {1, 1.0, "0.5", ZeroOutcome::Mismatch},
        {1, 1.0, "0.449", ZeroOutcome::Accepted},
        {2, 1.0, "10.16", ZeroOutcome::Accepted}, // 0.4 in. typed in millimetres
        {2, 1.0, "25.4", ZeroOutcome::Mismatch},  // taken as 1 in.
    };
    for (const Case& k : cases) {
        gUnitSystem = k.units;
        SwellState s;
        s.RawVoltage = k.volts;
        s.SampleLength = 7;
        s.ZeroVoltage = 7;
        EXPECT_EQ(ZeroSensor(k.answer, c, s), k.outcome) << k.answer;
        const bool accepted = k.outcome == ZeroOutcome::Accepted;
        EXPECT_EQ(s.SampleLength, accepted ? Val(k.answer) / (k.units == 1 ? 1 : 25.4) : 7) << k.answer;
        EXPECT_EQ(s.ZeroVoltage, accepted ? float(k.volts) : 7.f) << k.answer;
    }
    // The voltage exactly V2 is taken on segment 1; a mismatch still sets ZeroLength.
    c.A[2] = 5;
    SwellState s;
    s.RawVoltage = 2.0;
    EXPECT_EQ(ZeroSensor("0.1", c, s), ZeroOutcome::Mismatch);
    EXPECT_DOUBLE_EQ(s.ZeroLength, 0.4 + 0.830482023721841 * std::log10(2.0));
    EXPECT_EQ(s.SampleLength, 0);
    EXPECT_EQ(ZeroTitle(ZeroOutcome::Mismatch), "WARNING");
    gUnitSystem = saved;
}

TEST_F(SwellRunLoop, TheRunsTimeGoesOnPastTheClocksWrap) {
    // One step of 60 days (cycles of 1000 min); the clock starts just before
    // its 32-bit wrap and ticks once an hour.
    w.steps({{1000, 100, 5, 0, 100, 3600}});
    clock.ms = 0xFFFFFFFFu - 5000;
    start();
    double last = 0;
    for (int hour = 1; hour <= 60 * 24; ++hour) {
        tick(3600 * 1000);
        ASSERT_EQ(w.RunState, kRunning);
        ASSERT_GT(w.ElapsedSeconds, last) << "hour " << hour;
        last = w.ElapsedSeconds;
    }
    EXPECT_EQ(w.ElapsedSeconds, 60.0 * 24 * 3600);
    // The rows' times rise throughout, well past the clock's span.
    ASSERT_GT(w.rowTimes.size(), 1000u);
    for (size_t i = 1; i < w.rowTimes.size(); ++i) ASSERT_GT(w.rowTimes[i], w.rowTimes[i - 1]) << i;
    EXPECT_GT(w.rowTimes.back(), 4294967.0 + 10 * 24 * 3600);
    EXPECT_EQ(w.panels["ElapsedTime"], "Elapsed Time: 1440:00:00");
}

TEST(SwellRules, StepsNoRunCanCountAreRefused) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        double minutes, temp, interval, cycles;
    } cases[] = {
        {"a step time that is no number", nan, 100, 0, 1},
        {"an endless step time", inf, 100, 0, 1},
        {"a step time beyond the count", 1e12, 100, 0, 1},
        {"a negative step time", -5, 100, 0, 1},
        {"a temperature that is no number", 1, nan, 0, 1},
        {"a recording interval beyond the count", 1, 100, 1e12, 1},
        {"a cycle count beyond the count", 1, 100, 0, 1e12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        runloop::RunTables s;
        s.mStepMinutes << 1 << c.minutes;
        s.mStepTemp << 100 << c.temp;
        s.mStepTempError << 5 << 5;
        s.mStepPress << 0 << 0;
        s.mStepSpeed << 0 << 0;
        s.mStepCycles << 1 << c.cycles;
        s.mStepInterval << 0 << c.interval;
        s.mStepCount = 2;
        const std::optional<QString> problem = runloop::SequenceProblem(s);
        ASSERT_TRUE(problem);
        EXPECT_EQ(*problem, "This sequence cannot be run: step 2 has a duration, recording rate or cycle count out "
                            "of range.");
        // Never a count taken from no number (NaN gave the most negative
        // one): none, or held at the bound the planned time keeps.
        EXPECT_LE(std::llabs(runloop::PlannedSeconds(s, 1, false)), qint64(9'000'000'000'000'000));
    }
    runloop::RunTables fine;
    fine.mStepMinutes << 10 << 20;
    fine.mStepTemp << 100 << 100;
    fine.mStepTempError << 5 << 5;
    fine.mStepPress << 0 << 0;
    fine.mStepSpeed << 0 << 0;
    fine.mStepCycles << 1 << 2;
    fine.mStepInterval << 0 << 10;
    fine.mStepCount = 2;
    EXPECT_FALSE(runloop::SequenceProblem(fine));
}

TEST_F(SwellRunLoop, ATripOfTheRepliesStopsTheUnitAndIsSaidThroughTheMessageHook) {
    w.reply.state.SampleLength = 0.4;
    w.reply.state.ZeroLength = 0.4;
    for (int i = 0; i < 9; ++i) tick(1000, 650);
    EXPECT_TRUE(w.messages.isEmpty());
    tick(1000, 650);  // the tenth over 610 °F: also with no test running
    EXPECT_EQ(w.messages, QStringList{"Temperature too high, test will be stopped "});
    EXPECT_TRUE(dialogs.texts().isEmpty());  // the window's hook shows it, not the run
    EXPECT_EQ(w.sent, QStringList{unit::StopFrame()});
    EXPECT_EQ(w.panels["Status"], "Test Stop");
    EXPECT_EQ(w.reply.state.SampleLength, 0);
    EXPECT_EQ(w.reply.watch.counts.overTemperature, 0);
}
