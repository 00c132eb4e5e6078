// The unit line protocol: command frame bytes, reply frames cut from the
// receive buffer, the live readings and their texts, status captions, the
// inactive count, the safety trips, the reply watchdog and the stored-test
// transfer.

#include "data/BobGeometry.h"
#include "data/Globals.h"
#include "platform/CommPort.h"
#include "unitlink/UnitProtocol.h"
#include "support/QtPrint.h"
#include "support/ScriptedDialogs.h"
#include "unitbase/TripMessage.h"

#include <gtest/gtest.h>

using namespace unit;
using testing_support::ScriptedDialogs;

namespace {

const QChar kEnd(26);

// A reply frame: lead "#", two-digit status, the fields, code 26.
QString reply(const QString& status, const QString& fields) { return "#" + status + "," + fields + kEnd; }
// A frame with 8 commas: temperature, set point, speed, stress, pressure, gel, pressure set point, field 9.
QString reply8(const QString& status, double temp, double speed = 100, double stress = 50, double press = 1000) {
    return reply(status, QStringLiteral("%1,300.0,%2,%3,%4,25.55,5000,0").arg(temp).arg(speed).arg(stress).arg(press));
}

QString bytes(const char* s, int n) { return QString::fromLatin1(s, n); }

// Keeps the application-wide values the parser and its callers read.
struct GlobalsGuard {
    int unitSystem = gUnitSystem;
    double maxPress = gMaxPress;
    ~GlobalsGuard() {
        gUnitSystem = unitSystem;
        gMaxPress = maxPress;
    }
};

class ReplyParserTest : public ::testing::Test {
protected:
    void SetUp() override {
        gUnitSystem = 1;
        gMaxPress = 30000;
    }
    // One tick of a window's reply side: the maximum pressure in force, the
    // parse with the run state, then the run's answer to the parse's trips.
    ReplyResult parse(const QString& received) {
        parser.watch.SetMaxPressure(gMaxPress);
        const ReplyResult r = parser.Parse(received, runState == 1);
        ReactToTrips(
            parser.watch, r.trips,
            [this] {
                ++shutDowns;
                messagesAtShutDown.push_back(int(dialogs.messages.size()));
                runState = 0;
            },
            TripMessageBox);
        return r;
    }
    GlobalsGuard globals;
    ScriptedDialogs dialogs;
    UnitReplyParser parser;
    int runState = 0;
    int shutDowns = 0;
    std::vector<int> messagesAtShutDown;
};

}  // namespace

TEST(CommandFrames, BytesOfEveryFrame) {
    struct Case {
        QString frame;
        QString expected;
    } cases[] = {
        {SetPointFrame(350, 5000, 300, 1), bytes("\x01" "350.0,05000,300.000 1\r", 23)},
        {SetPointFrame(350, 5000, 300, 5), bytes("\x01" "350.0,05000,300.000 5\r", 23)},
        {SetPointFrame(75, 0, 2.5, 2), bytes("\x01" "075.0,00000,002.500 2\r", 23)},
        {SetPointFrame(1000, 100000, 1000, 1), bytes("\x01" "1000.0,100000,1000.000 1\r", 26)},
        // Rounded to the mask's last digit, halves away from zero.
        {SetPointFrame(349.95, 4999.5, 0.0005, 1), bytes("\x01" "350.0,05000,000.001 1\r", 23)},
        {SetPointFrame(32, 3000, 100, -1), bytes("\x01" "032.0,03000,100.000-1\r", 23)},
        {StopFrame(), bytes("\x04\r", 2)},
        {ZeroFrame(), bytes("\x08\r", 2)},
        {DownloadRequestFrame(), bytes("\x01\r", 2)},
        {ManualTemperatureFrame(75), bytes("\x09" "075.0\x1a", 7)},
        {ManualTemperatureFrame(350.04), bytes("\x09" "350.0\x1a", 7)},
    };
    for (const Case& c : cases) EXPECT_EQ(c.frame, c.expected);
}

TEST(StatusCaptions, EveryCodeAndTheOnesOutsideTheTable) {
    const std::pair<int, const char*> known[] = {{0, "InActive"},   {1, "Running Test"}, {2, "Calibrating"},
                                                 {3, "Purge"},      {4, "Cooling"},      {5, "Calibrating"},
                                                 {6, "Ramping"},    {7, "Preheating"},   {99, "None Exist"}};
    for (const auto& [code, caption] : known) EXPECT_EQ(StatusCaption(code), std::optional<QString>(caption)) << code;
    for (int code : {-1, 8, 9, 10, 42, 98, 100}) EXPECT_FALSE(StatusCaption(code).has_value()) << code;
    EXPECT_EQ(NoResponseCaption(), "No Response");
}

TEST(BobGeometry, FactorAndDivisor) {
    EXPECT_NEAR(bob::ShearRatePerRpm(1.7245), 1.70229, 1e-5);
    EXPECT_NEAR(StressDivisor(bob::ShearRatePerRpm(1.7245)), 1.000004, 1e-6);
    EXPECT_NEAR(bob::ShearRatePerRpm(1.2276), 0.376958, 1e-6);
    UnitReplyParser p;
    EXPECT_EQ(p.mShearRateFactor, 1.0);
    EXPECT_EQ(p.mStressDivisor, 1.0);
    p.SetBobRadius(1.5987);
    EXPECT_NEAR(p.mShearRateFactor * p.mStressDivisor, 1.7023, 1e-12);
}

TEST(ReplyFrames, TakeCutsOneFrameOrDropsItOrWaits) {
    UnitStatusFrame f;
    QString buf = reply("01", "1,2,3,4,5,6,7,8,9") + "#0";
    EXPECT_EQ(TakeUnitStatusFrame(buf, f), FrameTake::Frame);
    EXPECT_EQ(f.status, 1);
    EXPECT_EQ(f.commas, 9);
    EXPECT_EQ(f.field(1), "#01");
    EXPECT_EQ(f.field(10), "9");
    EXPECT_EQ(f.field(11), "");
    EXPECT_EQ(buf, "#0");
    EXPECT_EQ(TakeUnitStatusFrame(buf, f), FrameTake::Incomplete);
    EXPECT_EQ(buf, "#0");

    // The swell window's rule: exactly 9 commas.
    buf = reply("01", "1,2,3,4,5,6,7,8");
    EXPECT_EQ(TakeUnitStatusFrame(buf, f, 9, 9), FrameTake::Dropped);
    EXPECT_EQ(buf, "");

    // Fields read by the leading-number rule.
    buf = reply(" 6", " 35 0.5x,abc,,4,5,6,7,8");
    ASSERT_EQ(TakeUnitStatusFrame(buf, f), FrameTake::Frame);
    EXPECT_EQ(f.status, 6);
    EXPECT_DOUBLE_EQ(f.value(2), 350.5);
    EXPECT_EQ(f.value(3), 0);
    EXPECT_EQ(f.value(4), 0);
}

TEST_F(ReplyParserTest, AGoodFrameFillsTheReadingsAndTheirTexts) {
    const ReplyResult r = parse(reply("01", "350.04,300,100,123.45,5000,25.55,05000 ,7.5"));
    EXPECT_EQ(r.framesParsed, 1);
    EXPECT_EQ(r.caption, std::optional<QString>("Running Test"));
    EXPECT_FALSE(r.enableExit);
    EXPECT_TRUE(r.trips.empty());

    const UnitReadings& m = parser.readings;
    EXPECT_DOUBLE_EQ(m.mSampleTemp, 350.04);
    EXPECT_DOUBLE_EQ(m.mTempSetPointRead, 300);
    EXPECT_DOUBLE_EQ(m.mSpeed, 100);
    EXPECT_DOUBLE_EQ(m.mShearRate, 100);
    EXPECT_DOUBLE_EQ(m.mShearStress, 123.45);
    EXPECT_DOUBLE_EQ(m.mPressure, 5000);
    EXPECT_DOUBLE_EQ(m.mGel, 25.55);

    const UnitReadingTexts& t = parser.texts;
    EXPECT_EQ(t.txtSampleTemp, "350.0");
    EXPECT_EQ(t.txtTempSetPoint, "300.0");
    EXPECT_EQ(t.txtspeed, "100.");
    EXPECT_EQ(t.txtShearrate, "100");
    EXPECT_EQ(t.txtShearStress, "123.5");
    EXPECT_EQ(t.txtFann, "24.2");
    EXPECT_EQ(t.txtPressure, " 5000");
    EXPECT_EQ(t.txtGelAngle, "5.0");
    EXPECT_EQ(t.txtPressSetPoint, "05000 ");  // exactly as received
    EXPECT_EQ(t.txtVisc, "123.4");            // 100 x 123.45 / (100 + 1e-6)
    EXPECT_EQ(parser.mRxBuffer, "");
}

TEST_F(ReplyParserTest, TheBobFactorScalesRateAndStress) {
    parser.SetBobRadius(1.2276);  // "B2"
    parse(reply8("01", 300, 300, 100));
    EXPECT_NEAR(parser.readings.mShearRate, 300 * 0.376958, 1e-3);
    EXPECT_NEAR(parser.readings.mShearStress, 100 / (1.7023 / bob::ShearRatePerRpm(1.2276)), 1e-9);
    EXPECT_EQ(parser.texts.txtShearrate, "113");
}

TEST_F(ReplyParserTest, SiShowsCelsiusAndPascal) {
    gUnitSystem = 2;
    parse(reply("01", "212,32,100,123.4,5000,0,0,0"));
    EXPECT_EQ(parser.texts.txtSampleTemp, "100.0");
    EXPECT_EQ(parser.texts.txtTempSetPoint, "0.0");
    EXPECT_EQ(parser.texts.txtShearStress, "12.3");  // Pa
    EXPECT_EQ(parser.texts.txtFann, "24.1");         // dial reading in both systems
    EXPECT_DOUBLE_EQ(parser.readings.mSampleTemp, 212);  // readings stay in stored units
}

TEST_F(ReplyParserTest, SpeedsThatShowAsZeroAndTheViscosityRule) {
    struct Case {
        double speed;
        const char* speedText;
        const char* rateText;
        const char* viscText;
    } cases[] = {
        {0.004, "0.0", "0.0", "0.0"},
        {0, "0.0", "0.0", "0.0"},
        {-0.004, "0.0", "0.0", "0.0"},
        {-5, "-5.", "-5", "0"},   // negative: viscosity "0"
        {1, "1.", "1", "5000.0"},  // 100 x 50 / (1 + 1e-6)
        {2.505, "2.51", "3", "1996.0"},
    };
    for (const Case& c : cases) {
        parse(reply8("01", 300, c.speed, 50));
        EXPECT_EQ(parser.texts.txtspeed, c.speedText) << c.speed;
        EXPECT_EQ(parser.texts.txtShearrate, c.rateText) << c.speed;
        EXPECT_EQ(parser.texts.txtVisc, c.viscText) << c.speed;
    }
}

TEST_F(ReplyParserTest, ConcatenatedFramesAreAllParsedAndAPartialOneWaits) {
    const QString third = reply8("06", 302);
    const ReplyResult r =
        parse(reply8("00", 300) + reply("01", "301,300,100,50,1000,0,0,1,2") + third.left(10));
    EXPECT_EQ(r.framesParsed, 2);
    EXPECT_FALSE(r.frameDropped);
    EXPECT_EQ(r.caption, std::optional<QString>("Running Test"));
    EXPECT_DOUBLE_EQ(parser.readings.mSampleTemp, 301);
    EXPECT_EQ(parser.mRxBuffer, third.left(10));

    const ReplyResult rest = parse(third.mid(10));
    EXPECT_EQ(rest.framesParsed, 1);
    EXPECT_EQ(rest.caption, std::optional<QString>("Ramping"));
    EXPECT_DOUBLE_EQ(parser.readings.mSampleTemp, 302);
    EXPECT_EQ(parser.mRxBuffer, "");
}

TEST_F(ReplyParserTest, AFrameThatDoesNotFitIsDroppedAndEndsTheCall) {
    const QString good = reply8("01", 333);
    for (const QString& bad : {reply("01", "1,2,3,4,5,6,7"),             // 7 commas
                               reply("01", "1,2,3,4,5,6,7,8,9,10"),      // 10 commas
                               QString("noise" + reply8("01", 444)),     // first comma not 4th
                               QString(kEnd),                            // an empty frame
                               reply("1", "1,2,3,4,5,6,7,8")}) {         // status of one digit
        UnitReplyParser p;
        const ReplyResult r = p.Parse(bad + good, false);
        EXPECT_EQ(r.framesParsed, 0) << bad.toStdString();
        EXPECT_TRUE(r.frameDropped);
        EXPECT_FALSE(r.caption.has_value());
        EXPECT_EQ(p.mRxBuffer, good) << bad.toStdString();  // exactly the bad frame is gone
        EXPECT_EQ(p.Parse(QString(), false).framesParsed, 1);       // the good one is parsed next tick
        EXPECT_DOUBLE_EQ(p.readings.mSampleTemp, 333);
    }
    // Noise before a good frame costs the frame too: the text up to the first code 26.
    UnitReplyParser p;
    p.Parse("xx" + reply8("01", 555), false);
    EXPECT_EQ(p.readings.mSampleTemp, 0);
}

TEST_F(ReplyParserTest, StatusCaptionsAndTheExitButton) {
    ReplyResult r = parse(reply8("04", 300));
    EXPECT_EQ(r.caption, std::optional<QString>("Cooling"));
    EXPECT_TRUE(r.enableExit);
    r = parse(reply8("42", 300));
    EXPECT_EQ(r.framesParsed, 1);
    EXPECT_FALSE(r.caption.has_value());  // caption left as it was
    EXPECT_FALSE(r.enableExit);
    EXPECT_EQ(parse(reply8("05", 300)).caption, std::optional<QString>("Calibrating"));
    EXPECT_EQ(parse(reply8("99", 300)).caption, std::optional<QString>("None Exist"));
    // The last known status of a call is the one shown.
    r = parse(reply8("04", 300) + reply8("07", 300) + reply8("42", 300));
    EXPECT_EQ(r.caption, std::optional<QString>("Preheating"));
    EXPECT_TRUE(r.enableExit);
}

TEST_F(ReplyParserTest, InactiveRepliesCountOnlyInTheStepPhase) {
    runState = 1;
    for (int i = 0; i < 3; ++i) parse(reply8("00", 300));
    EXPECT_EQ(parser.watch.counts.inactive, 3);
    parse(reply8("42", 300));  // any other status resets
    EXPECT_EQ(parser.watch.counts.inactive, 0);
    parse(reply8("00", 300) + reply8("00", 300));
    EXPECT_EQ(parser.watch.counts.inactive, 2);
    runState = 6;  // ramp phase
    parse(reply8("00", 300));
    EXPECT_EQ(parser.watch.counts.inactive, 0);
    runState = 0;
    parse(reply8("00", 300));
    EXPECT_EQ(parser.watch.counts.inactive, 0);
}

TEST_F(ReplyParserTest, OverTemperatureTripsOnTheTenthReplyInARow) {
    runState = 1;
    parse(reply8("01", 610.0));
    EXPECT_EQ(parser.watch.counts.overTemperature, 0);  // 610.0 itself does not count
    for (int i = 0; i < 9; ++i) parse(reply8("01", 610.1));
    EXPECT_EQ(parser.watch.counts.overTemperature, 9);
    parse(reply8("01", 600));
    EXPECT_EQ(parser.watch.counts.overTemperature, 0);
    EXPECT_EQ(shutDowns, 0);

    std::vector<SafetyTrip> trips;
    for (int i = 1; i <= 30; ++i) {
        const ReplyResult r = parse(reply8("01", 700));
        trips.insert(trips.end(), r.trips.begin(), r.trips.end());
        if (i == 10) {
            EXPECT_EQ(shutDowns, 1);
            EXPECT_EQ(r.trips, std::vector<SafetyTrip>{SafetyTrip::OverTemperature});
            EXPECT_EQ(parser.watch.counts.overTemperature, 0);
        }
    }
    EXPECT_EQ(shutDowns, 1);  // one stop per trip: the same readings after it trip nothing more
    EXPECT_EQ(trips.size(), 1u);
    // Once a reply within the limit came, ten more above it trip again.
    parse(reply8("01", 600));
    for (int i = 1; i <= 10; ++i) {
        const ReplyResult r = parse(reply8("01", 700));
        trips.insert(trips.end(), r.trips.begin(), r.trips.end());
    }
    EXPECT_EQ(shutDowns, 2);
    EXPECT_EQ(trips.size(), 2u);
    ASSERT_EQ(dialogs.texts(), QStringList({"Temperature too high, test shutting down.",
                                            "Temperature too high, test shutting down."}));
    EXPECT_EQ(dialogs.messages[0].style, ui::vbOKOnly);
    EXPECT_EQ(dialogs.messages[0].title, ui::appTitle());
    // ShutDown runs before the message is shown.
    EXPECT_EQ(messagesAtShutDown, (std::vector<int>{0, 1}));
    EXPECT_EQ(parser.texts.txtSampleTemp, "700.0");
}

TEST_F(ReplyParserTest, OverPressureTripsAboveTheMaximumPlusMargin) {
    gMaxPress = 20000;
    for (int i = 0; i < 12; ++i) parse(reply8("01", 300, 100, 50, 20500));
    EXPECT_EQ(parser.watch.counts.overPressure, 0);  // exactly 20500 does not count
    for (int i = 0; i < 9; ++i) parse(reply8("01", 300, 100, 50, 20500.1));
    EXPECT_EQ(parser.watch.counts.overPressure, 9);
    EXPECT_EQ(shutDowns, 0);
    const ReplyResult r = parse(reply8("01", 300, 100, 50, 20501));
    EXPECT_EQ(r.trips, std::vector<SafetyTrip>{SafetyTrip::OverPressure});
    EXPECT_EQ(shutDowns, 1);
    EXPECT_EQ(dialogs.texts(), QStringList({"Pressure too high, test shutting down."}));
    EXPECT_EQ(parser.texts.txtPressure, " 20501");
    // Beyond the limit still: held since the trip, no stop again.
    for (int i = 0; i < 20; ++i) parse(reply8("01", 300, 100, 50, 20501));
    EXPECT_EQ(shutDowns, 1);
    // The trips apply also when no test runs (once a pressure within the
    // limit ended the hold).
    gMaxPress = 30000;
    parse(reply8("01", 300, 100, 50, 0));
    for (int i = 0; i < 10; ++i) parse(reply8("01", 300, 100, 50, 31000));
    EXPECT_EQ(shutDowns, 2);
}

TEST_F(ReplyParserTest, ATripInOneFrameClearsEveryCountBeforeTheNextFrame) {
    runState = 1;
    for (int i = 0; i < 9; ++i) parse(reply8("00", 700, 100, 50, 40000));
    EXPECT_EQ(parser.watch.counts.overTemperature, 9);
    EXPECT_EQ(parser.watch.counts.overPressure, 9);
    EXPECT_EQ(parser.watch.counts.inactive, 9);
    // The temperature trips first; the trip clears the pressure count and
    // holds both limits (the frame's pressure is beyond too), so neither that
    // frame's pressure nor the next frame counts, and no second trip follows.
    const ReplyResult r = parse(reply8("00", 700, 100, 50, 40000) + reply8("00", 700, 100, 50, 40000));
    EXPECT_EQ(r.trips, std::vector<SafetyTrip>{SafetyTrip::OverTemperature});
    EXPECT_EQ(parser.watch.counts.overTemperature, 0);
    EXPECT_EQ(parser.watch.counts.overPressure, 0);
    EXPECT_EQ(parser.watch.counts.inactive, 0);  // the run state is idle after the trip
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(parse(reply8("00", 700, 100, 50, 40000)).trips.empty());
    parser.ResetCounts();
    EXPECT_EQ(parser.watch.counts.overTemperature + parser.watch.counts.overPressure + parser.watch.counts.inactive, 0);
}

// What the run counts as the unit heard (runloop::ReadingsAge): the frames
// parsed. Silence and text that holds no frame parse none, and the last
// readings stay on show.
TEST_F(ReplyParserTest, SilenceAndGarbageParseNoFrameAndTheReadingsStay) {
    EXPECT_EQ(parse(reply8("01", 300)).framesParsed, 1);
    EXPECT_EQ(parse(QString()).framesParsed, 0);
    EXPECT_EQ(parse("garbage" + QString(kEnd)).framesParsed, 0);
    EXPECT_EQ(parser.texts.txtSampleTemp, "300.0");
}

TEST_F(ReplyParserTest, AClosedPortReadsAsSilence) {
    comm::CommPort closed;
    const ReplyResult r = parser.ParseUnitReply(closed, false);
    EXPECT_EQ(r.framesParsed, 0);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(StoredTransfer, RecordsEndAndDamage) {
    const QString rec1 = "1,0,12.6,300.5,301,5000,170.2,123.4,0";
    const QString rec2 = "1,2,20.5,301,301,5001,340.4,150,1";
    const QString rec3 = "2,0,21.5,302,301,5002,0,0,1,junk";
    const QChar c3(3), c2(2);

    StoredTransfer t = ParseStoredTransfer(rec1 + c3 + rec2 + c3 + rec3 + c3 + c2);
    ASSERT_EQ(t.status, TransferStatus::Ok);
    ASSERT_EQ(t.records.size(), 3u);
    EXPECT_EQ(t.records[0].step, 1);
    EXPECT_EQ(t.records[0].rampEntry, 0);
    EXPECT_EQ(t.records[0].timeSec, 13);
    EXPECT_DOUBLE_EQ(t.records[0].sampleTemp, 300.5);
    EXPECT_DOUBLE_EQ(t.records[0].secondTemp, 301);
    EXPECT_DOUBLE_EQ(t.records[0].pressure, 5000);
    EXPECT_DOUBLE_EQ(t.records[0].shearRate, 170.2);
    EXPECT_DOUBLE_EQ(t.records[0].shearStress, 123.4);
    EXPECT_EQ(t.records[0].phase, 0);
    EXPECT_EQ(t.records[1].timeSec, 20);  // halves to even
    EXPECT_EQ(t.records[1].rampEntry, 2);
    EXPECT_EQ(t.records[1].phase, 1);
    EXPECT_EQ(t.records[2].timeSec, 22);
    EXPECT_EQ(t.records[2].phase, 1);  // field 9 is everything after the 8th comma

    EXPECT_EQ(ParseStoredTransfer(QString()).status, TransferStatus::NoResponse);
    // Cut short (no code 2), or noise after it.
    t = ParseStoredTransfer(rec1 + c3 + rec2 + c3);
    EXPECT_EQ(t.status, TransferStatus::CommunicationError);
    EXPECT_TRUE(t.records.empty());
    EXPECT_EQ(ParseStoredTransfer(rec1 + c3 + c2 + "x").status, TransferStatus::CommunicationError);
    // A damaged record spoils the whole transfer.
    t = ParseStoredTransfer(rec1 + c3 + "1,0,5" + c3 + rec2 + c3 + c2);
    EXPECT_EQ(t.status, TransferStatus::CommunicationError);
    EXPECT_TRUE(t.records.empty());
    // No records, just the end.
    t = ParseStoredTransfer(QString(c2));
    EXPECT_EQ(t.status, TransferStatus::Ok);
    EXPECT_TRUE(t.records.empty());

    EXPECT_EQ(NoResponseMessage(), "No response from Z3080, please check connection.");
    EXPECT_EQ(CommunicationErrorMessage(), "Communication error from Z3080, please download data again.");
    EXPECT_EQ(CommunicationErrorTitle(), "Communication Error");
}

TEST(StoredTransfer, AStatusFrameOfAnyLeadSpoilsTheTransfer) {
    const QString rec1 = "1,0,12.6,300.5,301,5000,170.2,123.4,0";
    const QString rec2 = "1,1,20,301,301,5001,340.4,150,1";
    const QChar c3(3), c2(2), c26(26);
    // Leads a unit's frame may carry, with 9 commas (fields that read as
    // numbers up to the 9th) and with 8.
    const QString fields9 = "01,350.0,300.0,100.000,123.4,5000,25.5,5000,0,";
    const QString fields8 = "01,350.0,300.0,100.000,123.4,5000,25.5,5000,0";
    for (const QString& lead : {QString("1"), QString(" "), QString("#"), QString("0"), QString("")})
        for (const QString& fields : {fields9, fields8}) {
            const QString status = lead + fields + c26;
            SCOPED_TRACE(status.toStdString());
            for (const QString& received : {status + rec1 + c3 + rec2 + c3 + c2, rec1 + c3 + status + rec2 + c3 + c2,
                                            rec1 + c3 + rec2 + c3 + status + c2}) {
                const StoredTransfer t = ParseStoredTransfer(received);
                EXPECT_EQ(t.status, TransferStatus::CommunicationError);
                EXPECT_TRUE(t.records.empty());
            }
            EXPECT_FALSE(ParseStoredRecord(status + rec1));
        }
    // Any other control character or a byte beyond plain text spoils a record too.
    for (const QChar bad : {QChar(1), QChar(2), QChar(9), QChar(13), QChar(0xE9), QChar(127)}) {
        SCOPED_TRACE(int(bad.unicode()));
        EXPECT_FALSE(ParseStoredRecord(rec1 + bad));
        EXPECT_EQ(ParseStoredTransfer(rec1 + bad + c3 + c2).status, TransferStatus::CommunicationError);
    }
    EXPECT_TRUE(ParseStoredRecord(" " + rec1 + " "));
}

TEST_F(ReplyParserTest, TheReceiveBufferStaysWithinItsLimit) {
    // Noise without any code 26, tick after tick.
    const QString noise(100, QLatin1Char('x'));
    for (int tick = 0; tick < 100; ++tick) {
        parse(noise);
        ASSERT_LE(parser.mRxBuffer.size(), kMaxReplyBuffer);
    }
    // A unit sending frames that do not fit faster than one a tick: each
    // tick drops one, the backlog is cut at the limit, keeping what follows
    // the last code 26.
    parser.mRxBuffer.clear();
    const QString bad = reply("01", "1,2,3,4,5,6,7");
    bool cut = false;
    for (int tick = 0; tick < 200; ++tick) {
        const ReplyResult r = parse(bad + bad + bad + "#0");
        cut = cut || r.bufferCut;
        ASSERT_LE(parser.mRxBuffer.size(), kMaxReplyBuffer);
    }
    EXPECT_TRUE(cut);
    // Once the unit sends good frames again, they are read as soon as the
    // bounded backlog is worked off (one dropped frame a tick).
    const int most = int(kMaxReplyBuffer / bad.size()) + 2;
    int ticks = 0;
    while (parser.readings.mSampleTemp != 333 && ticks < most) {
        parse(ticks == 0 ? QString(kEnd) + reply8("01", 333) : QString());
        ++ticks;
    }
    EXPECT_EQ(parser.readings.mSampleTemp, 333);
}

TEST(StoredTransfer, EveryFieldOfEveryRecordMustBeANumber) {
    const QString rec1 = "1,0,12.6,300.5,301,5000,170.2,123.4,0";
    const QString rec2 = "1,1,20,301,301,5001,340.4,150,1";
    const QString status = QStringLiteral("#01,350.0,300.0,100.000,123.4,5000,25.5,5000,0,") + QChar(26);
    const QChar c3(3), c2(2);
    const struct {
        const char* name;
        QString received;
    } damaged[] = {
        {"a status frame before the first record", status + rec1 + c3 + rec2 + c3 + c2},
        {"a status frame inside a record", "1,1,20,3" + status + "01,301,5001,340.4,150,1" + c3 + c2},
        {"a status frame in field 9", rec1 + status + c3 + c2},
        {"an empty field", rec1 + c3 + "1,1,,301,301,5001,340.4,150,1" + c3 + c2},
        {"a number with text after it", rec1 + c3 + "1,1,20,301x,301,5001,340.4,150,1" + c3 + c2},
        {"a step no row holds", rec1 + c3 + "3e9,1,20,301,301,5001,340.4,150,1" + c3 + c2},
        {"a value beyond a double", rec1 + c3 + "1,1,20,301,1e999,5001,340.4,150,1" + c3 + c2},
    };
    for (const auto& d : damaged) {
        SCOPED_TRACE(d.name);
        const StoredTransfer t = ParseStoredTransfer(d.received);
        EXPECT_EQ(t.status, TransferStatus::CommunicationError);
        EXPECT_TRUE(t.records.empty());
    }
    // Blanks around a number are no damage.
    const StoredTransfer t = ParseStoredTransfer(" 1 , 0 ,12.6, 300.5,301,5000 ,170.2,123.4, 0 " + QString(c3) + c2);
    ASSERT_EQ(t.status, TransferStatus::Ok);
    ASSERT_EQ(t.records.size(), 1u);
    EXPECT_DOUBLE_EQ(t.records[0].sampleTemp, 300.5);
}
