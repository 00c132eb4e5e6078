// The swell window's reader of the unit's frames and the swell computation,
// without a window.

#include "data/Globals.h"
#include "support/QtPrint.h"
#include "support/ScriptedDialogs.h"
#include "unitlink/SwellReply.h"
#include "unitbase/TripMessage.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace swell;

namespace {

const QChar kEnd(26);

QString frame(const QString& fields) { return fields + kEnd; }

// The calibration of the sensor tab's worked example: spacers of 0.4, 0.65
// and 0.9 inch read 1, 2 and 4 V.
SwellCalibration exampleCalibration() {
    SwellCalibration c;
    c.v1 = 1;
    c.v2 = 2;
    c.v3 = 4;
    c.A = {0, 0.4, 0.4};
    c.B = {0, 0.830482023721841, 0.830482023721841};
    return c;
}

struct SwellReader : ::testing::Test {
    void SetUp() override {
        savedUnits = gUnitSystem;
        gUnitSystem = 1;
        p.calibration = exampleCalibration();
    }
    void TearDown() override { gUnitSystem = savedUnits; }
    // The parse, then the run's answer to its trips (ShutDown, the message).
    SwellReplyResult parse(const QString& received) {
        const SwellReplyResult r = p.Parse(received);
        unit::ReactToTrips(p.watch, r.trips, [this] { ++shutDowns; }, unit::TripMessageBox);
        return r;
    }
    testing_support::ScriptedDialogs dialogs;
    SwellReplyParser p;
    int shutDowns = 0;
    int savedUnits = 1;
};

}  // namespace

TEST_F(SwellReader, AGoodFrameGivesStatusReadingsAndVoltage) {
    const SwellReplyResult r = parse(frame("X01,70,70,0,0,0,0,0,1.5,0"));
    EXPECT_EQ(r.framesParsed, 1);
    EXPECT_EQ(r.texts.lblActiveFlag, QString("Running Test"));
    EXPECT_EQ(p.state.SampleTemp, 70);
    EXPECT_EQ(p.state.SamplePress, 0);
    EXPECT_EQ(p.state.RawVoltage, 1.5);
    EXPECT_EQ(r.texts.lbltemp1, QString("70."));
}

TEST_F(SwellReader, AFrameThatDoesNotFitIsDroppedAloneAndTheRestIsRead) {
    const QString good = frame("X01,70,70,0,0,0,0,0,1.5,0");
    struct Case {
        const char* what;
        QString bad;
    } cases[] = {
        {"ten commas", frame("X01,70,70,0,0,0,0,0,1.5,0,9")},
        {"eight commas", frame("X01,70,70,0,0,0,0,0,1.5")},
        {"first comma the third character", frame("X1,70,70,0,0,0,0,0,1.5,0")},
        {"no comma at all", frame("garbage")},
    };
    for (const Case& c : cases) {
        SwellReplyParser q;
        q.calibration = exampleCalibration();
        const QString next = frame("X04,80,70,0,0,0,0,0,1.5,0");
        const SwellReplyResult r = q.Parse(c.bad + next + good.left(10));
        EXPECT_EQ(r.framesDropped, 1) << c.what;
        EXPECT_EQ(r.framesParsed, 1) << c.what;  // the good frame behind the bad one
        EXPECT_EQ(q.state.SampleTemp, 80) << c.what;
        EXPECT_TRUE(r.enableExit) << c.what;      // its "Cooling" status
        EXPECT_EQ(q.RxBuffer, good.left(10)) << c.what;  // still arriving
        EXPECT_EQ(q.Parse(good.mid(10)).framesParsed, 1) << c.what;
    }
}

TEST_F(SwellReader, TheDerivedExampleZeroedAtOneVoltThenOnePointFiveVoltsAtAThousandPsi) {
    // Zeroing read 1.0 V for a wafer of 0.4 in.: the calibration gives 0.4 in.
    p.state.RawVoltage = 1.0;
    p.state.ZeroLength = 0.4;
    p.state.ZeroVoltage = 1.0f;
    p.state.SampleLength = 0.4;
    p.state.RefTemp = 74;
    const SwellReplyResult r = parse(frame("#01,74,74,0,0,1000,0,1000,1.5,0"));
    EXPECT_NEAR(p.state.LengthChange, 0.146641, 5e-7);
    EXPECT_DOUBLE_EQ(p.state.SwellPercent, 36.7);
    EXPECT_EQ(r.texts.lbldist, QString("0.1466"));
    EXPECT_EQ(r.texts.lblswell, QString("36.7"));
    EXPECT_EQ(r.texts.lblvolt, QString("1.5"));  // at the reference temperature: uncorrected
    EXPECT_EQ(r.texts.lblPress, QString("1000"));

    // In SI the lengths are shown in millimetres.
    gUnitSystem = 2;
    const SwellReplyResult si = parse(frame("#01,74,74,0,0,1000,0,1000,1.5,0"));
    EXPECT_EQ(si.texts.lbldist, QString("3.72"));
    EXPECT_EQ(si.texts.lblswell, QString("36.7"));
}

TEST_F(SwellReader, EveryFrameOfATickIsReadWithoutVoltageOrZeroing) {
    // Not zeroed (no sample length): the swell cannot be formed, the rest is.
    const QString text = frame("#01,100,0,10,0,500,0,0,1.5,0") + frame("#01,101,0,11,0,501,0,0,0,0") +
                         frame("#06,102,0,12,0,502,0,0,,0");
    const SwellReplyResult r = parse(text);
    EXPECT_EQ(r.framesParsed, 3);
    EXPECT_EQ(p.state.SampleTemp, 102);
    EXPECT_EQ(p.state.SampleSpeed, 12);
    EXPECT_EQ(p.state.SamplePress, 502);
    EXPECT_EQ(r.texts.lblActiveFlag, QString("Ramping"));
    EXPECT_EQ(p.state.RawVoltage, 1.5);  // the frames without a voltage keep it
    EXPECT_FALSE(r.texts.lblswell.has_value());
    EXPECT_TRUE(p.RxBuffer.isEmpty());
    // Never zeroed: the length change is the pressure term alone.
    EXPECT_DOUBLE_EQ(p.state.LengthChange, 4.0e-7 * 500);
}

TEST_F(SwellReader, VoltageCorrectionSegmentsAndRounding) {
    EXPECT_DOUBLE_EQ(CorrectedVoltage(1.5, 74, 74), 1.5);
    EXPECT_DOUBLE_EQ(CorrectedVoltage(2.0, 174, 74), (6.03e-7 * 100 * 100 + 1) * 2.0);
    SwellCalibration c = exampleCalibration();
    c.A[2] = 1.0;  // the segments told apart
    EXPECT_EQ(SegmentOf(c, 2.0), 1);
    EXPECT_EQ(SegmentOf(c, 2.0000001), 2);
    EXPECT_DOUBLE_EQ(SensorLength(c, 2.0), 0.4 + 0.830482023721841 * std::log10(2.0));
    EXPECT_DOUBLE_EQ(SwellPercentOf(0.1234, 1.0), 12.3);
    EXPECT_DOUBLE_EQ(SwellPercentOf(-0.0125, 0.1), -12.5);

    // A negative corrected voltage has no length: the frame is read, the
    // sensor length stays.
    p.state.SensorLength = 0.5;
    const SwellReplyResult r = parse(frame("#01,74,74,0,0,0,0,0,-1.5,0"));
    EXPECT_EQ(r.framesParsed, 1);
    EXPECT_EQ(p.state.SensorLength, 0.5);
    EXPECT_FALSE(r.texts.lblen.has_value());
}

TEST_F(SwellReader, TenConsecutiveFramesOverALimitTripOnce) {
    auto frames = [](int n, const QString& f) {
        QString s;
        for (int i = 0; i < n; ++i) s += frame(f);
        return s;
    };
    const QString hot = "#01,611,0,0,0,0,0,0,1.5,0", cool = "#01,600,0,0,0,0,0,0,1.5,0";
    EXPECT_TRUE(parse(frames(9, hot) + frames(1, cool)).trips.empty());
    EXPECT_EQ(p.watch.counts.overTemperature, 0);
    const SwellReplyResult r = parse(frames(10, hot));
    ASSERT_EQ(r.trips.size(), 1u);
    EXPECT_EQ(shutDowns, 1);
    EXPECT_EQ(dialogs.texts(), QStringList({"Temperature too high, test will be stopped "}));
    EXPECT_EQ(p.watch.counts.overTemperature, 0);

    dialogs.clear();
    p.watch.SetMaxPressure(20000);
    EXPECT_TRUE(parse(frames(12, "#01,70,0,0,0,20500,0,0,1.5,0")).trips.empty());  // exactly the margin
    EXPECT_EQ(parse(frames(10, "#01,70,0,0,0,20501,0,0,1.5,0")).trips.size(), 1u);
    EXPECT_EQ(dialogs.texts(), QStringList({"pressure too high, will be shut down"}));
}
