#pragma once
// A run without a window, port or database: the run's hooks write down what
// the window would do (frames with the tick they went out on, the timer
// interval, recorded rows, status panels, grid calls, buttons, the points
// not recorded), and the test sets the unit's readings itself. Ticks come one
// timer interval apart on a manual clock; each brings frames from the unit
// unless it is `silent`.

#include "rheology/RheologyRun.h"
#include "support/ManualClock.h"

#include <QMap>
#include <QStringList>
#include <functional>
#include <vector>

namespace unit_tests {

class FakeRun : public RheologyRun {
public:
    struct Frame {
        int tick;        // the tick it went out on (0: outside a tick)
        qint64 atMs;     // run time, ms since the clock's start
        QString text;    // the frame without its lead and end characters
        char code;
    };
    struct Row {
        double step, rampEntry, time, temp, press, shearRate, stress, gel, cycle, type;
    };

    explicit FakeRun(testing_support::ManualClock& clock) : clock_(clock), start_(clock.ms) {}

    // One timer tick, one interval after the last (or `ms` later when given).
    void tick(int ms = -1) {
        clock_.advance(ms < 0 ? interval : ms);
        ++ticks;
        FramesParsed(silent ? 0 : 1);
        RunTick();
    }
    // Ticks until the run is idle (at most `limit` ticks); false when it is not.
    bool runToEnd(int limit = 100000) {
        for (int i = 0; i < limit && RunState != runloop::kIdle; ++i) tick();
        return RunState == runloop::kIdle;
    }
    // The set-point frames only (code 1), as text.
    QStringList setPoints() const {
        QStringList out;
        for (const Frame& f : frames)
            if (f.code == 1) out << f.text;
        return out;
    }
    int stops() const {
        int n = 0;
        for (const Frame& f : frames) n += f.code == 4;
        return n;
    }
    void setSample(double temp) { mReply.readings.mSampleTemp = temp; }
    void setPressure(double psi) { mReply.readings.mPressure = psi; }

    // The tables of steps and ramp entries, as a sequence load gives them.
    void load(const runloop::RunTables& t) {
        TakeSteps(t);
        TakeRampEntries(t);
    }

    std::vector<Frame> frames;
    std::vector<Row> rows;
    QMap<QString, QString> panels;
    QStringList calls;           // "grid", "plot", "powerlaw", "gridrow"
    int interval = 0;
    bool timerOn = false;
    bool running = false;        // RunButtons
    int ticks = 0;
    std::function<void()> failSave;  // throws to make the database refuse a row
    bool silent = false;             // the ticks bring no frames
    std::vector<int> notRecorded;    // the count told at every point not recorded

protected:
    void SendFrame(const QString& frame) override {
        frames.push_back({ticks, qint64(clock_.ms - start_), frame.mid(1, frame.size() - 2), frame[0].toLatin1()});
    }
    void SetTimerInterval(int ms, bool enable) override {
        interval = ms;
        if (enable) timerOn = true;
    }
    // The row is made now and written down once it is stored.
    void SaveResultRow() override {
        const unit::UnitReadings& r = mReply.readings;
        const Row row{double(CurStep), double(mRampEntryNo), double(ElapsedSeconds), r.mSampleTemp, r.mPressure,
                      r.mShearRate, r.mShearStress, r.mGel, double(CurCycle), mPhase == 1 ? 1.0 : 0.0};
        ResultPoint point;
        point.v[resultcol::TestId] = TestId;
        point.v[resultcol::ResultTime] = double(ElapsedSeconds);
        StoreRow({point, QStringLiteral("Fake test"), [this, row](bool) { rows.push_back(row); }});
    }
    void InsertRow(const ResultPoint&, int) override {
        if (failSave) failSave();
    }
    void UpdateResultGrid() override { calls << "grid"; }
    void CalcRampPowerLaw() override { calls << "powerlaw"; }
    void PlotAllSeries() override { calls << "plot"; }
    void AddResultGridRow() override { calls << "gridrow"; }
    void ShowPanel(const QString& key, const QString& text) override { panels[key] = text; }
    void RunButtons(bool on) override { running = on; }
    void ShowPointNotRecorded(int count) override { notRecorded.push_back(count); }

private:
    testing_support::ManualClock& clock_;
    quint32 start_;
};

// Builds run tables step by step.
struct TableBuilder {
    runloop::RunTables t;
    TableBuilder& step(double minutes, double temp, double tolerance, double speed, double interval, double press,
                       double runRamp, double tempRate, double cycles, double pressRate) {
        t.mStepMinutes << minutes;
        t.mStepTemp << temp;
        t.mStepTempError << tolerance;
        t.mStepSpeed << speed;
        t.mStepInterval << interval;
        t.mStepPress << press;
        t.mStepRunRamp << runRamp;
        t.mStepTempRate << tempRate;
        t.mStepCycles << cycles;
        t.mStepPressRate << pressRate;
        ++t.mStepCount;
        return *this;
    }
    TableBuilder& entry(double speed, double seconds, double interval) {
        t.mRampSpeed << speed;
        t.mRampSeconds << seconds;
        t.mRampInterval << interval;
        ++t.mRampEntryCount;
        return *this;
    }
};

}  // namespace unit_tests
