// The PVT window's reply side: frames of 8 and 9 commas, the status, the
// texts of the reading boxes, the temperature, pressure and magnet-position
// trips, and the height and density from the piston calibration.

#include "data/Globals.h"
#include "unitlink/PvtReply.h"
#include "support/QtPrint.h"
#include "support/ScriptedDialogs.h"
#include "support/SavedGlobals.h"
#include "unitbase/TripMessage.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace unit;
using testing_support::ScriptedDialogs;

namespace {

const QChar kEnd(26);

// A frame of 9 commas: status, temperature, pressure and the magnet reading
// (field 9; empty for none), then an empty last field.
QString frame9(const QString& status, double temp, double press, const QString& magnet) {
    return QStringLiteral("#%1,%2,300.0,100.4,0,%3,0,5000,%4,").arg(status).arg(temp).arg(press).arg(magnet) + kEnd;
}
QString frame9(double temp, double press, double magnet) {
    return frame9(QStringLiteral("01"), temp, press, QString::number(magnet));
}
// A frame of 8 commas (no magnet reading).
QString frame8(double temp, double press) {
    return QStringLiteral("#01,%1,300.0,100.4,0,%2,0,5000,7").arg(temp).arg(press) + kEnd;
}

// Readings 1000 (top) to 200 (bottom); every segment gives log10(h + 2.1) = 0.5,
// so every reading in range gives h = 10^0.5 - 2.1 = 1.062278 inch.
PvtCalibration flatCalibration() {
    PvtCalibration c;
    c.count = 5;
    c.heights = {0, 0.25, 0.5, 0.75, 1};
    c.readings = {1000, 800, 600, 400, 200};
    c.slopes = {0, 0, 0, 0, 0};
    c.intercepts = {0, 0.5, 0.5, 0.5, 0.5};
    return c;
}

class PvtReplyTest : public ::testing::Test {
protected:
    void SetUp() override {
        gUnitSystem = 1;
        gMaxPress = 30000;
        p.calibration = flatCalibration();
        p.RefTemp = 72;
        p.iniVol = 100;
        p.iniDensity = 1;
    }
    // One tick of the window's reply side: the maximum pressure in force, the
    // parse with the run state, then the run's answer to the parse's trips.
    PvtReplyResult parse(const QString& received) {
        p.watch.SetMaxPressure(gMaxPress);
        const PvtReplyResult r = p.Parse(received, runState == 1);
        ReactToTrips(
            p.watch, r.trips,
            [this] {
                ++shutDowns;
                runState = 0;
            },
            TripMessageBox);
        return r;
    }
    testing_support::SavedGlobals guard;
    ScriptedDialogs dialogs;
    PvtReplyParser p;
    int runState = 1;
    int shutDowns = 0;
};

}  // namespace

TEST_F(PvtReplyTest, TheWorkedExampleGivesTheHeightAndDensity) {
    const PvtReplyResult r = parse(frame9(72, 0, 500));
    EXPECT_EQ(r.framesParsed, 1);
    EXPECT_EQ(p.RawPosition, 500);
    EXPECT_NEAR(p.SampleHeight, 1.062278, 1e-6);
    EXPECT_NEAR(p.Density, 2.084133, 1e-6);
    EXPECT_EQ(p.texts.txtDensity, "2.0841");
    EXPECT_EQ(p.texts.txtHigh, "-1.0623");  // the height with its sign reversed
    EXPECT_TRUE(r.heightChanged && r.densityChanged);
    EXPECT_TRUE(r.trips.empty());

    // The readings boxes: speed and pressure through "##0" with a sign position.
    EXPECT_EQ(p.texts.txtSampleTemp, "72.0");
    EXPECT_EQ(p.texts.txtTempSetPoint, "300.0");
    EXPECT_EQ(p.texts.txtSpeed, " 100");
    EXPECT_EQ(p.texts.txtPressure, " 0");
    EXPECT_EQ(p.texts.txtPressSetPoint, " 5000");

    // Pressure widens the piston; the zero is subtracted from the height.
    p.ZeroOffset = p.SampleHeight - 1.0;
    parse(frame9(72, 10000, 500));
    EXPECT_NEAR(p.SampleHeight, 1.0, 1e-6);
    const double R = 2.4772389 + 10000 * 2.48777e-06;
    EXPECT_NEAR(p.Density, 100.0 / (100 - 1.0 * 2.54 * R * R * 3.14159), 1e-9);
}

TEST_F(PvtReplyTest, TheTemperatureCorrectionsAndTheSegments) {
    // Two lines that differ per segment: y = S log10(rc) + I.
    p.calibration.slopes = {0, 0.1, 0.2, 0.3, 0.4};
    p.calibration.intercepts = {0, 0.1, 0.1, 0.1, 0.1};
    struct Case {
        double reading;
        int segment;
    } cases[] = {{1500, 1}, {1000, 1}, {900, 1}, {800, 1}, {700, 2}, {500, 3}, {300, 4}, {100, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reading);
        EXPECT_EQ(p.calibration.segmentOf(c.reading), c.segment);
    }
    // 90 °F against a reference of 72 °F: the reading and the height are both corrected.
    runState = 0;
    parse(frame9(90, 0, 500));
    const double rc = 500 * (((90.0 - 72.0) * 5 / 9 / 100) * 0.03 + 1.0);
    const double h = (std::pow(10.0, 0.3 * std::log10(rc) + 0.1) - 2.1) * (1 - (90.0 - 72.0) * 1.23e-5);
    EXPECT_DOUBLE_EQ(p.SampleHeight, h);
}

TEST_F(PvtReplyTest, FramesWithoutAMagnetReadingUpdateOnlyTheReadings) {
    parse(frame9(72, 0, 500));
    const double height = p.SampleHeight, density = p.Density;
    for (const QString& f : {frame8(80, 1234), frame9(QStringLiteral("01"), 80, 1234, QString())}) {
        const PvtReplyResult r = parse(f);
        EXPECT_EQ(r.framesParsed, 1);
        EXPECT_EQ(p.SampleTemp, 80);
        EXPECT_EQ(p.SamplePress, 1234);
        EXPECT_FALSE(r.heightChanged);
        EXPECT_EQ(p.SampleHeight, height);
        EXPECT_EQ(p.Density, density);
    }
}

TEST_F(PvtReplyTest, BadFramesAreDroppedAndSplitFramesWait) {
    struct Case {
        const char* name;
        QString text;
        int parsed;
        bool dropped;
        QString left;
    } cases[] = {
        {"garbage before a frame", "xx" + frame9(72, 0, 500) + frame9(72, 0, 500), 0, true, frame9(72, 0, 500)},
        {"ten commas", "#01,1,2,3,4,5,6,7,8,9,10" + QString(kEnd) + frame8(72, 0), 0, true, frame8(72, 0)},
        {"seven commas", "#01,1,2,3,4,5,6,7" + QString(kEnd), 0, true, QString()},
        {"two frames and a half", frame8(72, 0) + frame9(72, 0, 500) + "#01,72", 2, false, "#01,72"},
        {"noise without an end", QStringLiteral("abc,def"), 0, false, QStringLiteral("abc,def")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PvtReplyParser fresh;
        const PvtReplyResult r = fresh.Parse(c.text, false);
        EXPECT_EQ(r.framesParsed, c.parsed);
        EXPECT_EQ(r.frameDropped, c.dropped);
        EXPECT_EQ(fresh.RxBuffer, c.left);
    }
    // A frame in pieces is decoded once its end arrives.
    const QString f = frame9(72, 0, 500);
    EXPECT_EQ(parse(f.left(10)).framesParsed, 0);
    EXPECT_EQ(parse(f.mid(10)).framesParsed, 1);
    EXPECT_NEAR(p.Density, 2.084133, 1e-6);
}

TEST_F(PvtReplyTest, StatusCaptionsAndTheExitButton) {
    struct Case {
        const char* status;
        std::optional<QString> caption;
        bool exit;
    } cases[] = {{"00", "InActive", false},   {"02", "Calibrating", false}, {"05", "Calibrating", false},
                 {"04", "Cooling", true},     {"99", "None Exist", false},  {"42", std::nullopt, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        const PvtReplyResult r = parse(frame9(QString::fromLatin1(c.status), 72, 0, QStringLiteral("500")));
        EXPECT_EQ(r.caption, c.caption);
        EXPECT_EQ(r.enableExit, c.exit);
    }
}

TEST_F(PvtReplyTest, TemperatureAndPressureTripOnTheTenthFrameInARow) {
    // 611 °F nine times, 610.0 once (within the limit), then ten times: one trip.
    QString text;
    for (int i = 0; i < 9; ++i) text += frame8(611, 0);
    text += frame8(610.0, 0);
    for (int i = 0; i < 10; ++i) text += frame8(611, 0);
    PvtReplyResult r = parse(text);
    ASSERT_EQ(r.trips.size(), 1u);
    EXPECT_EQ(r.trips[0], SafetyTrip::OverTemperature);
    EXPECT_EQ(shutDowns, 1);
    EXPECT_EQ(dialogs.texts(), QStringList{"Temperature too high, test will be stopped "});
    EXPECT_EQ(p.watch.counts.overTemperature, 0);

    // The temperature trips while idle too; the pressure above the maximum + 500.
    dialogs.clear();
    gMaxPress = 20000;
    text.clear();
    for (int i = 0; i < 10; ++i) text += frame8(72, 20500);  // at the limit: no count
    for (int i = 0; i < 10; ++i) text += frame8(72, 20501);
    r = parse(text);
    ASSERT_EQ(r.trips.size(), 1u);
    EXPECT_EQ(r.trips[0], SafetyTrip::OverPressure);
    EXPECT_EQ(dialogs.texts(), QStringList{"pressure too high, will be shut down"});
}

TEST_F(PvtReplyTest, MagnetPositionTripsAtTheTopAndTheBottom) {
    struct Case {
        const char* name;
        std::vector<double> readings;
        int trips;
        std::optional<SafetyTrip> trip;
    } cases[] = {
        {"19 at the top", std::vector<double>(19, 1000), 0, std::nullopt},
        {"20 at the top", std::vector<double>(20, 1000), 1, SafetyTrip::PositionTop},
        {"a negative reading counts as the top", std::vector<double>(20, -5), 1, SafetyTrip::PositionTop},
        {"2 at the bottom", {200, 150}, 0, std::nullopt},
        {"3 at the bottom", {200, 150, 100}, 1, SafetyTrip::PositionBottom},
        {"a reading between clears the count", {200, 150, 500, 200, 150}, 0, std::nullopt},
        {"top and bottom share one count", {1000, 1000, 200}, 1, SafetyTrip::PositionBottom},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        runState = 1;
        shutDowns = 0;
        p.ResetCounts();
        QString text;
        for (double r : c.readings) text += frame9(72, 0, r);
        text += frame9(72, 0, 500);  // after a trip the buffer is emptied: never decoded
        const PvtReplyResult r = parse(text);
        EXPECT_EQ(int(r.trips.size()), c.trips);
        EXPECT_EQ(shutDowns, c.trips);
        if (c.trip) {
            EXPECT_EQ(r.trips[0], *c.trip);
            EXPECT_TRUE(p.RxBuffer.isEmpty());
            EXPECT_EQ(r.framesParsed, int(c.readings.size()));
        }
    }
    // Only while a test runs.
    runState = 0;
    QString text;
    for (int i = 0; i < 40; ++i) text += frame9(72, 0, 1000);
    EXPECT_TRUE(parse(text).trips.empty());
    EXPECT_EQ(dialogs.texts().count("The magnet position is too close to the top.test will be stopped"), 2);
    EXPECT_EQ(dialogs.texts().count("The magnet position is too close to the bottom.test will be stopped"), 2);
}

TEST_F(PvtReplyTest, NoCalibrationMeansNoHeightDensityOrPositionTrip) {
    p.calibration = PvtCalibration{};
    QString text;
    for (int i = 0; i < 40; ++i) text += frame9(72, 0, 2000);
    const PvtReplyResult r = parse(text);
    EXPECT_EQ(r.framesParsed, 40);
    EXPECT_EQ(p.RawPosition, 2000);
    EXPECT_FALSE(r.heightChanged);
    EXPECT_TRUE(r.trips.empty());
    EXPECT_EQ(p.Density, 0);
}

TEST_F(PvtReplyTest, AReadingWithoutLogarithmOrVolumeKeepsTheLastValues) {
    parse(frame9(72, 0, 500));
    runState = 0;
    // A corrected reading of 0: no height; the frame's other readings count.
    PvtReplyResult r = parse(frame9(72, 77, 0));
    EXPECT_FALSE(r.heightChanged);
    EXPECT_EQ(p.SamplePress, 77);
    EXPECT_NEAR(p.SampleHeight, 1.062278, 1e-6);
    // No initial volume (before a test starts): a height, but no density.
    p.iniVol = 0;
    p.Density = 0;
    r = parse(frame9(72, 0, 500));
    EXPECT_TRUE(r.heightChanged);
    EXPECT_FALSE(r.densityChanged);
    EXPECT_EQ(p.Density, 0);
}

// What the run counts as the unit heard (runloop::ReadingsAge): the frames
// decoded, never a frame dropped.
TEST_F(PvtReplyTest, OnlyADecodedFrameCountsAsAReply) {
    EXPECT_EQ(parse(QString()).framesParsed, 0);
    const PvtReplyResult noise = parse(QStringLiteral("noise") + kEnd);  // a dropped frame is no reply
    EXPECT_TRUE(noise.frameDropped);
    EXPECT_EQ(noise.framesParsed, 0);
    EXPECT_EQ(parse(frame8(72, 0)).framesParsed, 1);
}

TEST_F(PvtReplyTest, TheFramesAfterATripInTheSameReadAreReadWithNoTestRunning) {
    // Hot at the top: the temperature trips on the tenth, then twenty more
    // frames at the top would make a position trip if the test still ran.
    QString text;
    for (int i = 0; i < 10; ++i) text += frame9(611, 0, 1000);
    for (int i = 0; i < 20; ++i) text += frame9(72, 0, 1000);
    const PvtReplyResult r = parse(text);
    EXPECT_EQ(r.framesParsed, 30);
    EXPECT_EQ(r.trips, std::vector<SafetyTrip>{SafetyTrip::OverTemperature});
    EXPECT_EQ(shutDowns, 1);
    EXPECT_EQ(p.watch.counts.position, 0);
    EXPECT_EQ(dialogs.texts(), QStringList{"Temperature too high, test will be stopped "});
}
