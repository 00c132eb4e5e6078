// The oscillatory panel's frames and its frequency sweep.

#include "simpletest/OscillationSweep.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

QString body(const QString& frame) { return frame.mid(1, frame.size() - 2); }

struct Recorder {
    osc::OscillationPanel panel;
    osc::PanelTexts boxes{QStringLiteral("100.0"), QStringLiteral("1"),  QStringLiteral("350"),
                          QStringLiteral("1"),     QStringLiteral("3"),  QStringLiteral("2")};
    QStringList sent;
    bool clock = false;
    Recorder() {
        panel.send = [this](const QString& f) { sent << f; };
        panel.texts = [this] { return boxes; };
        panel.sweepClock = [this](bool on) { clock = on; };
    }
    // Ticks while the clock runs, at most n times; the frames of each tick.
    std::vector<QStringList> tick(int n) {
        std::vector<QStringList> perTick;
        for (int i = 0; i < n && clock; ++i) {
            sent.clear();
            panel.Tick();
            perTick.push_back(sent);
        }
        return perTick;
    }
};

}  // namespace

TEST(Oscillation, FramesCarryStrainOverFourFrequencyAndTemperature) {
    struct Case {
        double strain, freq, temp;
        const char* body;
    } cases[] = {{3, 0.1, 75, "00.75,00.10,075"}, {100, 1, 350, "25.00,01.00,350"}, {100, 150, 350, "25.00,150.00,350"}};
    for (const Case& c : cases) {
        const QString f = osc::OscillationFrame(c.strain, c.freq, c.temp);
        EXPECT_EQ(f.front(), QChar(10));
        EXPECT_EQ(f.back(), QChar(26));
        EXPECT_EQ(body(f), c.body);
    }
    EXPECT_EQ(osc::OffFrame(), QString(QChar(11)));
}

TEST(Oscillation, SweepHoldsTheStartFiveTicksThenEachPointFourAndEndsWithTheOffFrame) {
    Recorder r;
    r.panel.SweepChanged(true);
    ASSERT_EQ(r.sent.size(), 1);
    EXPECT_EQ(body(r.sent[0]), "25.00,01.00,350");  // the first frame divides the strain by 4 as well
    EXPECT_TRUE(r.clock);

    const auto ticks = r.tick(100);
    const QString off = osc::OffFrame();
    std::vector<int> busy;
    for (size_t i = 0; i < ticks.size(); ++i)
        if (!ticks[i].isEmpty()) busy.push_back(int(i) + 1);
    EXPECT_EQ(busy, (std::vector<int>{5, 9, 13}));
    ASSERT_EQ(ticks.size(), 13u);
    EXPECT_EQ(ticks[4], (QStringList{off, osc::OscillationFrame(100, 2, 350)}));
    EXPECT_EQ(ticks[8], (QStringList{off, osc::OscillationFrame(100, 3, 350)}));
    EXPECT_EQ(ticks[12], QStringList{off});
    EXPECT_FALSE(r.clock);
    EXPECT_FALSE(r.panel.Sweeping);
}

TEST(Oscillation, TheCountTakenAtTheStartEndsTheSweepAndStepsTheFrequency) {
    Recorder r;
    r.panel.SweepChanged(true);
    r.boxes.intervals = QStringLiteral("4");  // changed during the sweep: not used
    const auto ticks = r.tick(100);
    ASSERT_EQ(ticks.size(), 13u);
    EXPECT_EQ(ticks[4].last(), osc::OscillationFrame(100, 2, 350));
}

TEST(Oscillation, OffStopsTheSweepAtOnce) {
    Recorder r;
    r.panel.SweepChanged(true);
    r.tick(2);
    r.sent.clear();
    r.panel.SweepChanged(false);
    EXPECT_EQ(r.sent, QStringList{osc::OffFrame()});
    EXPECT_FALSE(r.clock);
    r.sent.clear();
    r.panel.Tick();  // a tick already queued does nothing
    EXPECT_TRUE(r.sent.isEmpty());

    // On again: from the start frequency.
    r.panel.SweepChanged(true);
    EXPECT_EQ(r.sent.last(), osc::OscillationFrame(100, 1, 350));
    EXPECT_EQ(r.panel.PointIndex, 0);
}

TEST(Oscillation, NoIntervalsSendsTheStartPointOnly) {
    for (const char* intervals : {"", "0", "-3"}) {
        Recorder r;
        r.boxes.intervals = QString::fromLatin1(intervals);
        r.panel.SweepChanged(true);
        const auto ticks = r.tick(100);
        ASSERT_EQ(ticks.size(), 5u) << intervals;
        EXPECT_EQ(ticks[4], QStringList{osc::OffFrame()});
        EXPECT_FALSE(r.clock);
    }
}

// Letters in a box a frame is built from ("15O" with a letter O) send
// nothing; the refusal names the box. A box typed over with letters while a
// sweep runs stops it at its next point, after the off frame.
TEST(Oscillation, LettersInABoxSendNothingAndNameTheBox) {
    const struct Case {
        QString osc::PanelTexts::* box;
        const QString& name;
        bool single, sweep;  // read by the single frequency, by the sweep
    } cases[] = {
        {&osc::PanelTexts::strain, osc::kStrainBox, true, true},
        {&osc::PanelTexts::frequency, osc::kFrequencyBox, true, false},
        {&osc::PanelTexts::temperature, osc::kTempBox, true, true},
        {&osc::PanelTexts::freqStart, osc::kFreqStartBox, false, true},
        {&osc::PanelTexts::freqEnd, osc::kFreqEndBox, false, true},
        {&osc::PanelTexts::intervals, osc::kIntervalsBox, false, true},
    };
    for (const Case& c : cases) {
        for (const char* letters : {"abc", "15O"}) {
            SCOPED_TRACE(c.name.toStdString() + " " + letters);
            const QString text = QString::fromLatin1(letters);
            const QString refusal = typed::NotANumberMessage(c.name, text);
            Recorder r;
            r.boxes.*(c.box) = text;
            EXPECT_EQ(r.panel.SingleChanged(true), !c.single);
            EXPECT_EQ(r.sent.isEmpty(), c.single);
            EXPECT_EQ(r.panel.RefusedBox ? r.panel.RefusedBox->message : QString(), c.single ? refusal : QString());
            r.sent.clear();
            EXPECT_EQ(r.panel.SweepChanged(true), !c.sweep);
            EXPECT_EQ(r.sent.isEmpty(), c.sweep);
            EXPECT_EQ(r.panel.Sweeping, !c.sweep);
            EXPECT_EQ(r.clock, !c.sweep);
            EXPECT_EQ(r.panel.RefusedBox ? r.panel.RefusedBox->message : QString(), c.sweep ? refusal : QString());
        }
    }
    // An empty box is no number either, but for Intervals (no intervals).
    Recorder empty;
    empty.boxes.temperature.clear();
    EXPECT_FALSE(empty.panel.SingleChanged(true));
    EXPECT_TRUE(empty.sent.isEmpty());

    Recorder r;
    ASSERT_TRUE(r.panel.SweepChanged(true));
    r.boxes.temperature = QStringLiteral("15O");
    const auto ticks = r.tick(100);
    ASSERT_EQ(ticks.size(), 5u);
    EXPECT_EQ(ticks[4], QStringList{osc::OffFrame()});
    EXPECT_FALSE(r.panel.Sweeping);
    EXPECT_FALSE(r.clock);
    ASSERT_TRUE(r.panel.RefusedBox);
    EXPECT_EQ(r.panel.RefusedBox->message, typed::NotANumberMessage(osc::kTempBox, QStringLiteral("15O")));
}
