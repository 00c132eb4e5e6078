// The swell window's reader of the unit's frames and the swell computation,
// without a window.

#include "data/Globals.h"
#include "support/ScriptedDialogs.h"
#include "unittests/SwellReply.h"

#include <gtest/gtest.h>

using namespace swell;

namespace {

const QChar kEnd(26);

QString frame(const QString& fields) { return fields + kEnd; }

// The calibration of the sensor tab's worked example: spacers of 0.4, 0.65
// and 0.9 inch read 1, 2 and 4 V.
SwellCalibration exampleCalibration() {
    SwellCalibration c;
    c.V1 = 1;
    c.V2 = 2;
    c.V3 = 4;
    c.A = {0, 0.4, 0.4};
    c.B = {0, 0.830482023721841, 0.830482023721841};
    return c;
}

struct SwellReader : ::testing::Test {
    void SetUp() override {
        savedUnits = gUnitSystem;
        gUnitSystem = 1;
        p.calibration = exampleCalibration();
        p.shutDown = [this] { ++shutDowns; };
    }
    void TearDown() override { gUnitSystem = savedUnits; }
    testing_support::ScriptedDialogs dialogs;
    SwellReplyParser p;
    int shutDowns = 0;
    int savedUnits = 1;
};

}  // namespace

TEST_F(SwellReader, AGoodFrameGivesStatusReadingsAndVoltage) {
    const SwellReplyResult r = p.Parse(frame("X01,70,70,0,0,0,0,0,1.5,0"));
    EXPECT_EQ(r.framesParsed, 1);
    EXPECT_EQ(r.texts.lblActiveFlag, QString("Running Test"));
    EXPECT_EQ(p.state.SampleTemp, 70);
    EXPECT_EQ(p.state.SamplePress, 0);
    EXPECT_EQ(p.state.RawVoltage, 1.5);
    EXPECT_EQ(r.texts.lbltemp1, QString("70."));
}
