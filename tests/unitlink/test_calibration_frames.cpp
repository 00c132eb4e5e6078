// Calibration frames: the torque start and coefficient frames, the torque
// reply parser (split, bunched, noisy and malformed input), the field-9
// reading of the PVT and swell calibrations.

#include "unitlink/CalibrationFrames.h"

#include <gtest/gtest.h>

using namespace unit;

namespace {

const QString E(QChar(26));

TEST(CalibrationFrames, TorqueStartAndRunFrames) {
    const std::vector<double> boxes(21, 100.0);
    EXPECT_EQ(CalibrationStartFrame(boxes, 2), QChar(7) + QString("100.0" + E).repeated(21) + QString(" 2\r"));

    std::vector<double> odd(21, 0.0);
    odd[0] = -12.34;  // made positive
    odd[1] = 5.25;    // half away from zero
    const QString f = CalibrationStartFrame(odd, 5);
    EXPECT_TRUE(f.startsWith(QString(QChar(7)) + "012.3" + E + "005.3" + E + "000.0" + E)) << f.toStdString();
    EXPECT_TRUE(f.endsWith(E + " 5\r"));
    EXPECT_EQ(f.count(E), 21);

    EXPECT_EQ(CalibrationRunFrame(), QString(QChar(3)) + "\r");
}

TEST(CalibrationFrames, CoefficientFrame) {
    EXPECT_EQ(CoefficientFrame(12.5, 2, {0.1, 2, 0.125}, {1, 0, 3.456}),
              QChar(6) + QString("12.5,2,0.1,2.,0.13,1.,0.,3.46,\r"));
    // n 0: "##" of 0 is empty.
    EXPECT_EQ(CoefficientFrame(1000, 0, {1}, {2}), QChar(6) + QString("1000.,,1.,2.,\r"));
}

TEST(CalibrationFrames, TorqueRepliesInAnyPieces) {
    TorqueReplyParser p;
    // A point split across two reads waits for its code 26.
    TorqueReplyResult r = p.Parse(QChar(8) + QString("25.5,1"));
    EXPECT_TRUE(r.points.empty());
    r = p.Parse(".5" + E);
    ASSERT_EQ(r.points.size(), 1u);
    EXPECT_EQ(r.points[0].stress, 25.5);
    EXPECT_EQ(r.points[0].angle, 1.5);
    EXPECT_TRUE(p.buffer().isEmpty());

    // Four points and the end frame in one read; what follows the end is discarded.
    QString bunch;
    for (int i = 1; i <= 4; ++i) bunch += QChar(8) + QString::number(10 * i) + "," + QString::number(i) + E;
    r = p.Parse(bunch + QChar(9) + "done" + E + QChar(8) + "99,9" + E);
    EXPECT_EQ(r.points.size(), 4u);
    EXPECT_EQ(r.points[3].stress, 40);
    EXPECT_TRUE(r.ended);
    EXPECT_TRUE(p.buffer().isEmpty());
}

TEST(CalibrationFrames, TorqueRepliesSurviveMalformedInput) {
    struct Case {
        const char* what;
        QString input;
        size_t points;
        int dropped;
        bool ended;
    } cases[] = {
        {"code 26 before the first comma", E + QChar(8) + "1,2" + E, 1, 1, false},
        {"status frame while calibrating", "#02,72.0,80,0,0,0,0,0,1.2," + E + QChar(8) + "1,2" + E, 1, 1, false},
        {"noise before a point", QString("zz") + QChar(8) + "3,4" + E, 1, 0, false},
        {"point without a comma", QChar(8) + QString("12") + E, 0, 1, false},
        {"garbage numbers read as 0", QChar(8) + QString("x,y") + E, 1, 0, false},
        {"noise before the end frame", "##" + QString(QChar(9)) + E, 0, 0, true},
    };
    for (const Case& c : cases) {
        TorqueReplyParser p;
        const TorqueReplyResult r = p.Parse(c.input);
        EXPECT_EQ(r.points.size(), c.points) << c.what;
        EXPECT_EQ(r.dropped, c.dropped) << c.what;
        EXPECT_EQ(r.ended, c.ended) << c.what;
        EXPECT_TRUE(p.buffer().isEmpty()) << c.what;
    }

    TorqueReplyParser p;
    EXPECT_FALSE(p.Parse(QString(3000, 'x')).bufferCut);
    EXPECT_TRUE(p.Parse(QString(3000, 'x')).bufferCut);
    EXPECT_TRUE(p.buffer().isEmpty());
    EXPECT_EQ(p.Parse(QChar(8) + QString("7,8") + E).points.size(), 1u);
}

// Pieces that lost text (a frame without its head, a point run into the
// next frame) are told from whole status frames, which lose nothing; the
// first piece after Clear may be the rest of a frame cut off then.
TEST(CalibrationFrames, TorqueRepliesTellLostTextFromStatusFrames) {
    const QString point = QChar(8) + QString("10,1") + E;
    const QString status9 = "#02,72.0,80,0,0,0,0,0,1.2," + E;
    const QString status8 = "S02,72.0,80,0,0,0,0,0,1.2" + E;
    struct Case {
        const char* what;
        QString input;
        size_t points;
        int broken;
    } cases[] = {
        {"points and status frames of 8 and 9 commas", point + status9 + point + status8 + point, 3, 0},
        {"the rest of a point frame", point + "5,20" + E + point, 2, 1},
        {"the rest of a status frame", point + "0,0,0,1.2," + E + point, 2, 1},
        {"a point frame run into a status frame", point + QChar(8) + "30," + status9 + point, 2, 1},
        {"noise without a comma", point + "zz" + E + E + point, 2, 0},
        {"the first piece is the rest of a cleared frame", "5,20" + E + point, 1, 0},
    };
    for (const Case& c : cases) {
        TorqueReplyParser p;
        const TorqueReplyResult r = p.Parse(c.input);
        EXPECT_EQ(r.points.size(), c.points) << c.what;
        EXPECT_EQ(r.broken, c.broken) << c.what;
    }
    TorqueReplyParser p;
    EXPECT_EQ(p.Parse(point + "5,20" + E).broken, 1);
    p.Clear();
    EXPECT_EQ(p.Parse("5,20" + E + point).broken, 0);
}

TEST(CalibrationFrames, FieldNineReadingOfATick) {
    const QString good1 = "#01,72.0,80.0,0,0,0,0,0,1.5" + E;    // 8 commas and a last field
    const QString good2 = "#01,72.0,80.0,0,0,0,0,0,2.5," + E;   // 9 commas, empty rest
    const QString eight = "#01,72.0,80.0,0,0,0,0,9.5" + E;      // 8 fields
    const QString ten = "#01,72.0,80.0,0,0,0,0,0,9.5,1" + E;    // 10 fields
    struct Case {
        QString text;
        double reading;
    } cases[] = {
        {"", 0},
        {good1, 1.5},
        {good1 + good2, 2.5},                   // the last good frame
        {good1 + eight + good2, 1.5},           // a bad frame ends the tick
        {ten + good2, 0},
        {"#1,2,3,4,5,6,7,8,9" + E + good1, 0},  // first comma not the 4th character
        {good1 + "#01,72.0,80.0,0,0,0,0,0,3.5", 1.5},  // unfinished frame lost
        {"#01,a,b,c,d,e,f,g,h" + E, 0},         // field 9 not a number
    };
    for (const Case& c : cases) EXPECT_EQ(CalibrationReading(c.text), c.reading) << c.text.toStdString();
}

}  // namespace
