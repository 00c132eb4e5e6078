// The frame loop every reply parser shares (the rheology and simple tests',
// the PVT window's and the swell window's): frames taken, frames that do not
// fit, the status caption and the receive buffer's limit, alike in the three.

#include "data/Globals.h"
#include "support/QtPrint.h"
#include "support/SavedGlobals.h"
#include "unitlink/PvtReply.h"
#include "unitlink/SwellReply.h"
#include "unitlink/UnitProtocol.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>
#include <gtest/gtest.h>

namespace {

const QChar kEnd(26);

// A frame of 9 commas, which each of the three parsers takes.
QString good(const QString& status) { return QStringLiteral("#%1,100,100,300,50,1000,0,0,0,0").arg(status) + kEnd; }
// No comma at the 4th character: no parser takes it.
const QString kBad = QStringLiteral("#0101") + kEnd;

// What a parse left, whichever parser made it.
struct Pass {
    int parsed = 0;
    bool dropped = false;
    bool cut = false;
    std::optional<QString> caption;
    bool exit = false;
    QString buffer;
};

struct Parser {
    const char* name;
    bool droppedEndsCall;
    std::function<Pass(const QString&)> parse;
};

std::vector<Parser> parsers() {
    auto rheology = std::make_shared<unit::UnitReplyParser>();
    auto pvt = std::make_shared<unit::PvtReplyParser>();
    auto swell = std::make_shared<swell::SwellReplyParser>();
    return {
        {"rheology", true,
         [rheology](const QString& in) {
             const unit::ReplyResult r = rheology->Parse(in, false);
             return Pass{r.framesParsed, r.frameDropped, r.bufferCut, r.caption, r.enableExit, rheology->mRxBuffer};
         }},
        {"PVT", true,
         [pvt](const QString& in) {
             const unit::PvtReplyResult r = pvt->Parse(in, false);
             return Pass{r.framesParsed, r.frameDropped, r.bufferCut, r.caption, r.enableExit, pvt->RxBuffer};
         }},
        {"swell", false,
         [swell](const QString& in) {
             const swell::SwellReplyResult r = swell->Parse(in);
             return Pass{r.framesParsed, r.framesDropped > 0, r.bufferCut, r.texts.lblActiveFlag, r.enableExit,
                         swell->RxBuffer};
         }},
    };
}

}  // namespace

TEST(ReplyFrames, EveryParserTakesItsFramesThroughTheOneLoop) {
    testing_support::SavedGlobals saved;
    gUnitSystem = 1;
    const QString partial = QStringLiteral("#01,12");
    for (const Parser& p : parsers()) {
        SCOPED_TRACE(p.name);

        // The caption of the last known status; "Cooling" enables Exit.
        Pass r = p.parse(good("04") + good("42") + partial);
        EXPECT_EQ(r.parsed, 2);
        EXPECT_FALSE(r.dropped);
        EXPECT_EQ(r.caption, std::optional<QString>("Cooling"));
        EXPECT_TRUE(r.exit);
        EXPECT_EQ(r.buffer, partial);  // a frame still arriving waits

        // A frame that does not fit: the rheology and PVT parsers stop at
        // it, the frames behind it waiting; the swell parser reads on.
        r = p.parse(QStringLiteral("3") + kEnd + kBad + good("01"));
        EXPECT_TRUE(r.dropped);
        EXPECT_EQ(r.parsed, p.droppedEndsCall ? 0 : 1);
        EXPECT_EQ(r.buffer, p.droppedEndsCall ? kBad + good("01") : QString());
        if (p.droppedEndsCall) {
            r = p.parse(QString());
            EXPECT_TRUE(r.dropped);
            r = p.parse(QString());
            EXPECT_EQ(r.parsed, 1);
            EXPECT_EQ(r.caption, std::optional<QString>("Running Test"));
        }

        // A backlog beyond the limit is cut back to the text after its last
        // code 26; noise without any code 26 is emptied.
        r = p.parse(kBad.repeated(1000) + partial);
        EXPECT_EQ(r.cut, p.droppedEndsCall);
        EXPECT_EQ(r.buffer, partial);
        r = p.parse(QString(int(unit::kMaxReplyBuffer), QLatin1Char('x')));
        EXPECT_TRUE(r.cut);
        EXPECT_EQ(r.buffer, QString());
    }
}
