// A parse's results on a unit window's controls: the status caption, Exit and
// the reading boxes.

#include "unitbase/ReplyControls.h"
#include "unitlink/UnitProtocol.h"
#include "support/QtPrint.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TEST(ReplyControls, BoxesTakeTheirTextsOnlyOnceAFrameWasParsed) {
    QLabel caption(QStringLiteral("INACTIVE"));
    QPushButton exit;
    exit.setEnabled(false);
    QLineEdit temp, speed, visc;
    // No set-point boxes: the window types its set points.
    const ReplyControls controls{
        .caption = &caption, .exit = &exit, .txtSampleTemp = &temp, .txtspeed = &speed, .txtVisc = &visc};
    unit::UnitReadingTexts texts;
    texts.txtSampleTemp = QStringLiteral("350.0");
    texts.txtTempSetPoint = QStringLiteral("360.0");
    texts.txtspeed = QStringLiteral("300.");
    texts.txtVisc = QStringLiteral("41.2");

    // Nothing parsed: nothing changes.
    ShowReply(controls, unit::ReplyResult{}, texts);
    EXPECT_EQ(caption.text(), "INACTIVE");
    EXPECT_FALSE(exit.isEnabled());
    EXPECT_EQ(temp.text(), "");

    // A frame that does not fit carries no readings, but its caption is shown.
    unit::ReplyResult dropped;
    dropped.frameDropped = true;
    dropped.caption = QStringLiteral("Ramping");
    ShowReply(controls, dropped, texts);
    EXPECT_EQ(caption.text(), "Ramping");
    EXPECT_EQ(temp.text(), "");

    unit::ReplyResult parsed;
    parsed.framesParsed = 1;
    ShowReply(controls, parsed, texts);
    EXPECT_EQ(caption.text(), "Ramping");  // no caption read: it stays
    EXPECT_EQ(temp.text(), "350.0");
    EXPECT_EQ(speed.text(), "300.");
    EXPECT_EQ(visc.text(), "41.2");
    EXPECT_FALSE(exit.isEnabled());

    // "Cooling" enables Exit; a later parse never disables it.
    parsed.enableExit = true;
    ShowReply(controls, parsed, texts);
    EXPECT_TRUE(exit.isEnabled());
    ShowReply(controls, unit::ReplyResult{}, texts);
    EXPECT_TRUE(exit.isEnabled());
}
