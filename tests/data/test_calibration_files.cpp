// The calibration files: byte-exact writers that keep the other units'
// lines, readers with their messages, files found in the data folder only.

#include "data/CalibrationFiles.h"
#include "data/Globals.h"
#include "data/Numbers.h"
#include "support/TempDb.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

using namespace calibration;

namespace {

class CalibrationFiles : public ::testing::Test {
protected:
    void SetUp() override {
        old_ = gAppPath;
        gAppPath = dir_.path();
    }
    void TearDown() override { gAppPath = old_; }

    QString path(const QString& name) const { return dir_.filePath(name); }
    void write(const QString& name, const QByteArray& bytes) {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray read(const QString& name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static QByteArray lines(std::initializer_list<const char*> ls) {
        QByteArray b;
        for (const char* l : ls) b += QByteArray(l) + "\r\n";
        return b;
    }

    QTemporaryDir dir_;
    QString old_;
};

const QString kSwellExample = SwellLine("1", "2", "4", 0.4, 0.830482023721841, 0.4, 0.830482023721841);

TEST_F(CalibrationFiles, SwellSaveIntoMissingFileGivesEightLines) {
    EXPECT_EQ(kSwellExample, "1,2,4, .4 , .830482023721841 , .4 , .830482023721841 ");
    const SaveResult r = SaveSwellCalibration(5, kSwellExample);
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(read("Calib.dat"), "\r\n\r\n\r\n\r\n" + kSwellExample.toLatin1() + "\r\n\r\n\r\n\r\n");

    const SwellReadResult back = ReadSwellCalibration(5);
    ASSERT_TRUE(back.ok()) << back.message.toStdString();
    EXPECT_EQ(back.data.v2, 2);
    EXPECT_EQ(back.data.A[1], 0.4);
    EXPECT_EQ(back.data.B[2], 0.830482023721841);
}

TEST_F(CalibrationFiles, RewritingOneUnitKeepsTheFirstEightLinesByteForByte) {
    // Lines of other units are copied untouched, odd blanks and bytes included;
    // lines 9 and 10 are dropped.
    write("Calib.dat", lines({"one", "two", " three ,x", "\xe9" "four", "", "six", "seven", "eight", "nine", "ten"}));
    ASSERT_TRUE(SaveSwellCalibration(2, "NEW").ok);
    EXPECT_EQ(read("Calib.dat"), lines({"one", "NEW", " three ,x", "\xe9" "four", "", "six", "seven", "eight"}));

    // Same rule for the piston files, whose writer reads only eight lines.
    write("Calilarg.dat", lines({"1", "2", "3", "4", "5", "6", "7", "8", "9"}));
    ASSERT_TRUE(SavePistonCalibration(Piston::Large, 8, "L8").ok);
    EXPECT_EQ(read("Calilarg.dat"), lines({"1", "2", "3", "4", "5", "6", "7", "L8"}));
}

TEST_F(CalibrationFiles, SwellFileOfNineteenLinesIsNotSavedOver) {
    QByteArray eighteen;
    for (int i = 1; i <= 18; ++i) eighteen += "x\r\n";
    write("Calib.dat", eighteen + "x\r\n");
    const SaveResult r = SaveSwellCalibration(1, "NEW");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.title, "Form_Load Error");
    EXPECT_TRUE(r.message.endsWith(" -  9")) << r.message.toStdString();
    EXPECT_EQ(read("Calib.dat"), eighteen + "x\r\n");

    write("Calib.dat", eighteen);
    EXPECT_TRUE(SaveSwellCalibration(1, "NEW").ok);
}

TEST_F(CalibrationFiles, AFileThatCannotBeReadOrWrittenIsReportedAndLeftAlone) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir("Calib.dat"));  // a folder where the file should be
    const SaveResult swell = SaveSwellCalibration(1, "NEW");
    EXPECT_FALSE(swell.ok);
    EXPECT_TRUE(swell.message.contains("Calib.dat"));
    const SwellReadResult read = ReadSwellCalibration(1);
    EXPECT_EQ(read.status, SwellReadResult::FileError);
    EXPECT_TRUE(read.message.startsWith("ERROR reading calibration data - ")) << read.message.toStdString();

    // A data folder that is gone: nothing can be created.
    gAppPath = dir_.path() + "/gone";
    const SaveResult piston = SavePistonCalibration(Piston::Small, 1, "L");
    EXPECT_FALSE(piston.ok);
    EXPECT_TRUE(piston.message.endsWith("  75")) << piston.message.toStdString();
    EXPECT_FALSE(WriteBobInfo("B1").ok);
}

TEST_F(CalibrationFiles, SwellReaderMessages) {
    const auto message = [](int unit) { return ReadSwellCalibration(unit).message.toStdString(); };
    EXPECT_EQ(message(1).rfind("ERROR reading calibration data - File not found", 0), 0u) << message(1);

    write("calib.DAT",  // found ignoring letter case
          lines({"1,2,4, .4 , .8 , .4 , .8 ", "", "1,2,4, .4 , .8 , 0 , 0 ", "1,2,x, .4 , .8 , .4 , .8 ",
                 "1,2,4, .4 ", "", "", "1,2,4,0.4,0.8,-.4,-1E-05"}));
    EXPECT_EQ(message(1), "");
    EXPECT_EQ(message(2), "No calibration data saved, please complete calibration first");  // empty line
    EXPECT_EQ(message(3), "Unit 3  not calibrated yet!");
    EXPECT_EQ(ReadSwellCalibration(3).data.A[1], 0.4);  // the values are handed back all the same
    EXPECT_NE(message(4).find("ERROR reading calibration data - "), std::string::npos);
    EXPECT_NE(message(5).find("ERROR reading calibration data - "), std::string::npos);
    const SwellReadResult last = ReadSwellCalibration(8);  // the last line, plain and exponent forms
    EXPECT_TRUE(last.ok());
    EXPECT_EQ(last.data.B[2], -1e-5);

    write("calib.DAT", lines({"a", "b"}));
    EXPECT_EQ(message(5), "No calibration data saved, please complete calibration first");
}

TEST_F(CalibrationFiles, PistonLinesByteForByteAndBack) {
    const QString large = PistonLine({0, 0.25, 0.5, 0.75, 1}, {1600, 800, 400, 200, 100}, {0, 1.5, 2, 2.5, -3},
                                     {0, -0.5, 0.25, 1e-5, 4});
    EXPECT_TRUE(large.startsWith(" 5 , 0 , .25 , .5 , .75 , 1 , 1600 ,")) << large.toStdString();
    EXPECT_TRUE(large.endsWith(",-3 ,-.5 , .25 , 1E-05 , 4 ,")) << large.toStdString();
    EXPECT_EQ(large.count(','), 19);

    const QString small = PistonLine({0, 0.5, 1, 2}, {40, 30, 20, 10}, {0, 1, 2, 3}, {0, 4, 5, 6});
    EXPECT_EQ(small.count(','), 15);

    ASSERT_TRUE(SavePistonCalibration(Piston::Large, 3, large).ok);
    ASSERT_TRUE(SavePistonCalibration(Piston::Small, 8, small).ok);
    EXPECT_EQ(read("Calilarg.dat"), "\r\n\r\n" + large.toLatin1() + "\r\n\r\n\r\n\r\n\r\n\r\n");

    const PistonReadResult l = ReadPistonCalibration(Piston::Large, 3);
    ASSERT_TRUE(l.ok()) << l.message.toStdString();
    EXPECT_EQ(l.data.count, 5);
    EXPECT_EQ(l.data.heights, (std::vector<double>{0, 0.25, 0.5, 0.75, 1}));
    EXPECT_EQ(l.data.readings, (std::vector<double>{1600, 800, 400, 200, 100}));
    EXPECT_EQ(l.data.slopes, (std::vector<double>{0, 1.5, 2, 2.5, -3}));
    EXPECT_EQ(l.data.intercepts, (std::vector<double>{0, -0.5, 0.25, 1e-5, 4}));

    const PistonReadResult s = ReadPistonCalibration(Piston::Small, 8);  // the last line
    ASSERT_TRUE(s.ok()) << s.message.toStdString();
    EXPECT_EQ(s.data.intercepts, (std::vector<double>{0, 4, 5, 6}));
}

TEST_F(CalibrationFiles, PistonReaderMessagesKeepNoPartialCalibration) {
    struct Case {
        Piston piston;
        int unit;
        PistonReadResult::Status status;
        const char* message;
    } cases[] = {
        {Piston::Large, 1, PistonReadResult::FileError, "ERROR reading calibration data - File not found"},
    };
    for (const Case& c : cases) {
        const PistonReadResult r = ReadPistonCalibration(c.piston, c.unit);
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(r.message.startsWith(c.message)) << r.message.toStdString();
    }

    const QByteArray smallLine = PistonLine({0, 0.5, 1, 2}, {40, 30, 20, 10}, {0, 1, 2, 3}, {0, 4, 5, 6}).toLatin1();
    // Line 5: readings that rise with the height, as a calibration taken the
    // wrong way round.
    const QByteArray rising =
        PistonLine({0, 0.25, 0.5, 0.75, 1}, {100, 200, 400, 800, 1600}, {0, 1, 1, 1, 1}, {0, 0, 0, 0, 0}).toLatin1();
    write("Calilarg.dat", smallLine + "\r\n\r\n 5 , 0 , .25 ,x,\r\n 5 , 1 , 2 ,\r\n" + rising + "\r\n");
    const Case more[] = {
        {Piston::Large, 1, PistonReadResult::CountMismatch, "No matching calibration data found.  Please calibrate."},
        {Piston::Large, 2, PistonReadResult::CountMismatch, "No matching calibration data found.  Please calibrate."},
        {Piston::Large, 3, PistonReadResult::FileError, "ERROR reading calibration data - Type mismatch"},
        {Piston::Large, 4, PistonReadResult::FileError, "ERROR reading calibration data - Input past end of line"},
        {Piston::Large, 5, PistonReadResult::NotFalling,
         "The piston calibration of unit 5 in Calilarg.dat has readings that do not fall from the top (position 1) "
         "to the bottom, as the PVT test reads them.  Please calibrate."},
        {Piston::Large, 6, PistonReadResult::NoLine, "No calibration data found.  Please calibrate."},
    };
    for (const Case& c : more) {
        const PistonReadResult r = ReadPistonCalibration(c.piston, c.unit);
        EXPECT_EQ(r.status, c.status) << c.unit;
        EXPECT_TRUE(r.message.startsWith(c.message)) << r.message.toStdString();
        EXPECT_TRUE(r.data.heights.empty());
        EXPECT_EQ(r.data.count, 0);
    }
}

TEST_F(CalibrationFiles, PistonFilesLiveInTheDataFolderNotTheWorkingFolder) {
    QTemporaryDir elsewhere;
    testing_support::InFolder cwd(elsewhere.path());
    const QByteArray line = PistonLine({0, 0.5, 1, 2}, {40, 30, 20, 10}, {0, 1, 2, 3}, {0, 4, 5, 6}).toLatin1();
    QFile stray(elsewhere.filePath("CALIsmal.dat"));
    ASSERT_TRUE(stray.open(QIODevice::WriteOnly));
    stray.write(line + "\r\n");
    stray.close();
    EXPECT_EQ(ReadPistonCalibration(Piston::Small, 1).status, PistonReadResult::FileError);

    write("calismal.dat", line + "\r\n");  // another letter case in the data folder
    EXPECT_TRUE(ReadPistonCalibration(Piston::Small, 1).ok());
    ASSERT_TRUE(SavePistonCalibration(Piston::Small, 2, QString::fromLatin1(line)).ok);
    EXPECT_EQ(read("calismal.dat"), line + "\r\n" + line + "\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
    EXPECT_FALSE(QFile::exists(path("CALIsmal.dat")));
    EXPECT_EQ(QDir::currentPath(), QDir(elsewhere.path()).canonicalPath());
}

TEST_F(CalibrationFiles, TorqueValueTable) {
    std::vector<double> values;
    for (int i = 0; i < 21; ++i) values.push_back(100 - i);
    values[3] = 97.5;
    values[4] = 0.25;
    ASSERT_TRUE(SaveTorqueValues(path("t.txt"), values).ok);
    QByteArray expected;
    for (double v : values) expected += CStr(v).toLatin1() + "\r\n";
    EXPECT_EQ(read("t.txt"), expected);
    EXPECT_TRUE(read("t.txt").startsWith("100\r\n99\r\n98\r\n97.5\r\n"));

    TorqueValuesResult r = ReadTorqueValues(path("t.txt"));
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(r.values, values);

    // Line breaks of any kind, blanks around a number, empty lines at the end.
    QByteArray mixed;
    for (int i = 0; i < 21; ++i) mixed += " " + QByteArray::number(i + 1) + (i % 3 == 0 ? "\r" : i % 3 == 1 ? "\n" : "\r\n");
    write("m.txt", mixed + "\r\n\r\n");
    r = ReadTorqueValues(path("m.txt"));
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(r.values.front(), 1);
    EXPECT_EQ(r.values.back(), 21);

    EXPECT_FALSE(ReadTorqueValues(path("none.txt")).ok);
    EXPECT_FALSE(SaveTorqueValues(dir_.path(), values).ok);  // a folder
    EXPECT_FALSE(SaveTorqueValues(path("short.txt"), {1, 2, 3}).ok);
    EXPECT_FALSE(QFile::exists(path("short.txt")));
}

// A file that does not fit the 21 rows hands back no value, and says which
// line does not fit.
TEST_F(CalibrationFiles, TorqueValueTableThatDoesNotFitItsRowsIsRefusedWhole) {
    QByteArray rows;
    for (int i = 0; i < 21; ++i) rows += QByteArray::number(100 - i) + "\r\n";
    const struct {
        const char* what;
        QByteArray content;
        const char* message;
    } cases[] = {
        {"a decimal comma", "100\r\n91,5\r\n" + rows.mid(rows.indexOf("98")), "line 2 holds \"91,5\", not one number (a comma is no decimal point)"},
        {"the items of one line", "1,2,3\r\n4\r\n", "line 1 holds \"1,2,3\", not one number (a comma is no decimal point)"},
        {"too few lines", rows.left(rows.indexOf("81")), "the file ends after line 19"},
        {"a line too many", rows + "7\r\n", "line 22 holds \"7\", past the 21 rows of the table"},
        {"an empty line", "\r\n" + rows, "line 1 is empty"},
        {"a word", rows.left(rows.indexOf("99")) + "abc\r\n" + rows.mid(rows.indexOf("98")), "line 2 holds \"abc\", no number"},
        {"an empty file", "", "the file is empty"},
    };
    for (const auto& k : cases) {
        write("bad.txt", k.content);
        const TorqueValuesResult r = ReadTorqueValues(path("bad.txt"));
        EXPECT_FALSE(r.ok) << k.what;
        EXPECT_TRUE(r.values.empty()) << k.what;
        EXPECT_EQ(r.message, path("bad.txt") + ": " + k.message +
                                 ". A fluid table holds 21 lines, the viscosity at 20 to 40 \u00b0C one a line, each a "
                                 "number with a point for decimals.")
            << k.what << ": " << r.message.toStdString();
    }
}

TEST_F(CalibrationFiles, TorqueCoefficientTable) {
    write("c.txt", "12.5\r\n2\r\n0.1,0.2,0.3\r\n1,2,3\r\nignored,after\r\n");
    const TorqueCoefficientsResult r = ReadTorqueCoefficients(path("c.txt"));
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    EXPECT_EQ(r.data.a, 12.5);
    EXPECT_EQ(r.data.n, 2);
    EXPECT_EQ(r.data.A, (std::vector<double>{0.1, 0.2, 0.3}));
    EXPECT_EQ(r.data.B, (std::vector<double>{1, 2, 3}));

    for (const char* bad : {"1,31,0", "1,-1,0", "1,2.5,0", "1,2,0.1,0.2,0.3,1,2", "1,x", ""}) {
        write("bad.txt", bad);
        const TorqueCoefficientsResult b = ReadTorqueCoefficients(path("bad.txt"));
        EXPECT_FALSE(b.ok) << bad;
        EXPECT_FALSE(b.message.isEmpty()) << bad;
    }
    write("max.txt", "1,30," + QByteArray("0,").repeated(62));
    EXPECT_TRUE(ReadTorqueCoefficients(path("max.txt")).ok);
}

TEST_F(CalibrationFiles, BobFile) {
    BobInfoResult r = ReadBobInfo();
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.missing);

    ASSERT_TRUE(WriteBobInfo("B2").ok);
    EXPECT_EQ(read("BOBINFO.TXT"), "B2\r\n");
    r = ReadBobInfo();
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.bob, "B2");

    write("BOBINFO.TXT", "  \"b5\", 3\r\nB1\r\n");
    EXPECT_EQ(ReadBobInfo().bob, "b5");
    write("BOBINFO.TXT", "");
    r = ReadBobInfo();
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.missing);
    EXPECT_TRUE(r.message.isEmpty());
}

}  // namespace
