// The CSV report of the opened test ("Save Report", File > Report): the
// byte-exact file of each test kind, the row filter of the rheology detail,
// the save dialog, and what happens on cancel and on files that cannot be
// written.

#include "ReportFixture.h"

#include "analysis/ResultGridLines.h"
#include "data/DateText.h"
#include "data/Globals.h"
#include "data/Settings.h"
#include "data/clsTEST_INFO.h"
#include "platform/FlexGrid.h"
#include "reports/CsvReport.h"
#include "support/CsvRecords.h"

#include <QAction>
#include <QFileInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <optional>

using namespace report_tests;
using testing_support::readRfc4180;

namespace {

const double R = ShearRatePerRpmFor(1.7245);  // shear rate per rpm of bob B1

// A rheology test: a 600 rpm ramp point, a 300 rpm ramp point, then a step
// point at rest.
StoredInfo rheologyInfo() {
    StoredInfo s;
    s.name = QStringLiteral("Mud A");
    s.description = QStringLiteral("Thick, with \"lumps\"");
    return s;
}
std::vector<Point> rheologyPoints() {
    return {
        {1, 1, 1, 60, 100, 1000, 600 * R, 40 * 5.11, 1, 10.22},
        {1, 1, 2, 120, 101, 1005, 300 * R, 25 * 5.11, 1, 5.11},
        {2, 1, 0, 180, 150, 2000, 0, 0, 0, 0},
    };
}
QVector<QStringList> rheologyAdditives() {
    return {{"Bentonite", "5", "%", "L1"}, {"Salt, fine", "2.5", "g/l", "L2"}};
}

StoredInfo pvtInfo() {
    StoredInfo s;
    s.name = QStringLiteral("PVT 1");
    s.bob = QStringLiteral("PVT");
    s.rotor = QStringLiteral("1.5");  // piston radius, cm
    s.radius = 100;                   // initial volume, cm3
    s.length = 0.9;                   // initial density, g/cm3
    s.description = QStringLiteral("Base oil");
    return s;
}
std::vector<Point> pvtPoints() {
    return {
        {1, 1, 0, 60, 100, 1000, 10, 0.5, 0, 1.234},
        {2, 1, 0, 150, 212, 5000, 10.25, 1.25, 0, 2.5},
    };
}

StoredInfo lsmInfo() {
    StoredInfo s;
    s.name = QStringLiteral("Swell 1");
    s.bob = QStringLiteral("LSM");
    s.rotor = QStringLiteral("30");  // compaction time
    s.radius = 12.5;                 // sample weight
    s.length = 0.5;                  // sample length, in
    s.prePh = 80;                    // hardness
    s.postPh = 5000;                 // compaction pressure
    return s;
}
std::vector<Point> lsmPoints() {
    return {
        {1, 1, 0, 60, 100, 0, 0, 0.012, 0, 1.5},
        {1, 2, 0, 3600, 180.5, 0, 0, 0.0305, 0, 2.25},
    };
}

// The report of the opened test read back by the strict reader, each field
// trimmed of its blanks.
QList<QStringList> trimmedRecords(const QByteArray& file) {
    QString error;
    const std::optional<QList<QStringList>> records = readRfc4180(file, &error);
    EXPECT_TRUE(records) << error.toStdString() << "\n" << file.toStdString();
    QList<QStringList> out;
    for (const QStringList& r : records.value_or(QList<QStringList>())) {
        QStringList t;
        for (const QString& f : r) t << f.trimmed();
        out << t;
    }
    return out;
}

}  // namespace


TEST_F(ReportTest, RheologyFileIsByteExact) {
    store(rheologyInfo(), rheologyPoints(), rheologyAdditives());
    openTest("Mud A");
    const QByteArray file = saveReport("mud.csv");
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join("\n").toStdString();
    const QByteArray expected = crlf({
        "Test Report for Z3080 Rheometer.",
        "",
        "Test Name:,Mud A",
        "Fluid ID:,F-1",
        "Test Time:," + when(),
        "Researcher Name:,Ann",
        "Rotor Number:,R1",
        "Bob Number:,B1",
        "Bob Radius (cm):, 1.7245 ",
        "Description:",
        // A comma or a quote keeps the field whole.
        "\"Thick, with \"\"lumps\"\"\"",
        "",
        "Additives,Concentration,Units,Lot Number",
        "Bentonite, 5,%,L1",
        "\"Salt, fine\", 2.5,g/l,L2",
        "",
        "",
        "Result",
        "Step No,Cycle No,Ramp_Step No,Elapsed Time(min),Temp(°F),Pressure(psi),Shear Rate (1/s),Speed (rpm),"
        "Shear Stress(dyn/cm2),Viscosity (cp),Gel (Fann Deg),Fann35 F1 Deg,PV,YP, n', Kv ,(R^2),"
        "K' (lbf - s^n / 100 ft2),K'slot,Calc.Visc@40 ( cP ),Calc.Visc@100 ( cP ), Calc.Visc@170 ( cP )",
        // The 300 rpm line after the 600 rpm line carries PV = 40 - 25 and YP = 25 - 15.
        "1,1,1,1.,100.0,1000,1021,600.,204.4,20.01,2.,40.,,,,,,,,,,,",
        "1,1,2,2.,101.0,1005,511,300.,127.75,25.02,1.,25., 15 , 10 ,,,,,,,,,",
        "2,1,0,3.,150.0,2000,0,0.,0.,0,0.,0.,,,,,,,,,,,",
        "",
        "Detail",
        "Step No,Cycle No,Ramp No,Elapsed Time,Avg Sample Temp,Avg Pressure,Avg Rotor,Avg Shear Rate,"
        "Avg Shear Stress,Avg Viscosity,Gel (Fann Deg),Fann35 F1 Deg",
        ",,,(min),(°F),(Psi),RPM,(1/s),(dyn/cm2),( cP )",
        " 1 , 1 , 1 ,1.,100.,1000,600.,1021.3762,204.4,20.01,2.0,40.0",
        " 1 , 1 , 2 ,2.,101.,1005,300.,510.6881,127.75,25.02,1.0,25.0",
        // At rest: the viscosity is the number 0 in print form.
        " 2 , 1 , 0 ,3.,150.,2000,0.,0.,0., 0 ,0.0,0.0",
    });
    EXPECT_EQ(file, expected);
    EXPECT_TRUE(file.contains("(\xb0" "F)"));  // single-byte text
}

TEST_F(ReportTest, TheDataOptionsFilterOnlyTheDetailRows) {
    store(rheologyInfo(), rheologyPoints(), rheologyAdditives());
    openTest("Mud A");
    auto section = [](const QByteArray& file, const QByteArray& from, const QByteArray& to) {
        const qsizetype a = file.indexOf(from);
        return file.mid(a, to.isEmpty() ? -1 : file.indexOf(to, a) - a);
    };
    const QByteArray all = saveReport("all.csv");
    w->optonlyRamp->click();
    const QByteArray ramps = saveReport("ramps.csv");
    w->optNoRamp->click();
    const QByteArray steps = saveReport("steps.csv");
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join("\n").toStdString();

    EXPECT_EQ(section(ramps, "Result\r\n", "Detail"), section(all, "Result\r\n", "Detail"));
    const QByteArray units = ",,,(min),(\xb0" "F),(Psi),RPM,(1/s),(dyn/cm2),( cP )\r\n";
    EXPECT_TRUE(ramps.endsWith(units + " 1 , 1 , 1 ,1.,100.,1000,600.,1021.3762,204.4,20.01,2.0,40.0\r\n"
                                       " 1 , 1 , 2 ,2.,101.,1005,300.,510.6881,127.75,25.02,1.0,25.0\r\n"));
    EXPECT_TRUE(steps.endsWith(units + " 2 , 1 , 0 ,3.,150.,2000,0.,0.,0., 0 ,0.0,0.0\r\n"));
}

TEST_F(ReportTest, RheologyWithoutAdditivesOrRows) {
    StoredInfo info = rheologyInfo();
    info.description.clear();
    store(info, {});
    openTest("Mud A");
    const QByteArray file = saveReport("empty.csv");
    EXPECT_TRUE(file.contains("Additives,Concentration,Units,Lot Number\r\n\r\n\r\nResult\r\nStep No,"));
    EXPECT_TRUE(file.contains(", Calc.Visc@170 ( cP )\r\n\r\nDetail\r\n"));
    EXPECT_TRUE(file.endsWith(",,,(min),(\xb0" "F),(Psi),RPM,(1/s),(dyn/cm2),( cP )\r\n"));
}

TEST_F(ReportTest, PvtFileIsByteExact) {
    store(pvtInfo(), pvtPoints(), {{"Barite", "5", "g", "B7"}});
    openTest("PVT 1");
    const QStringList head = {
        "PVT Test Report for Z3080 Rheometer.",
        "",
        "",
        "Test Name:             ,PVT 1",
        "Fluid ID:              ,F-1",
        "Test Time:             ," + when(),
        "Researcher Name:       ,Ann",
        "Test Type:                ,PVT",
        "Radius(cm),1.5",
        // The initial volume is in cm3, at the label's width.
        "Initial Volume (cm3):     , 100 ",
        "Initial Density(g/cm3):   , .9 ",
        "",
        "Description:",
        "Base oil",
        "",
        "Additives,Concentration,Units,Lot Number",
        "Barite  ,  05.00 ,   g  ,  B7",
        "",
        "",
        "Results",
        // Seven of the nine grid columns.
        "Step No , Cycle No , Elapsed Time (min) , Temp (°F) , Pressure (psi) , Speed (rpm) , Density (g/cm3)  ,   ",
    };
    EXPECT_EQ(saveReport("pvt.csv"), crlf(head + QStringList{
        " 1 ,  1 , 1. , 100.0 , 1000.0 , 10.0 , 0.9891 ,   ",
        " 2 ,  1 , 2.5 , 212.0 , 5000.0 , 10.25 , 1.1661 ,   ",
        "",
        "Detail:",
        "Step No.,cycle No.,Elapsed Time(min),Temp (°F),Press (psi),Speed (rpm),Density (g/cm3)",
        " 1, 1,1.00,100.0,1000,10.0,0.9891",
        " 2, 1,2.50,212.0,5000,10.25,1.1661",
    }));

    // Without result rows the file ends with "Detail:".
    StoredInfo empty = pvtInfo();
    empty.name = "PVT 2";
    store(empty, {}, {{"Barite", "5", "g", "B7"}});
    openTest("PVT 2");
    QStringList emptyHead = head;
    emptyHead[3] = "Test Name:             ,PVT 2";
    EXPECT_EQ(saveReport("pvt2.csv"), crlf(emptyHead + QStringList{"", "Detail:"}));
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join("\n").toStdString();
}

TEST_F(ReportTest, SwellFileIsByteExact) {
    store(lsmInfo(), lsmPoints(), {{"Clay", "7.125", "%", "C1"}});
    openTest("Swell 1");
    const QStringList head = {
        "LSM Test Report for Z3080 Rheometer.",
        "",
        "",
        "Test Name:             ,Swell 1",
        "Fluid ID:              ,F-1",
        "Test Time:             ," + when(),
        "Researcher Name:       ,Ann",
        "Test Type:                ,LSM",
        "SAMPLE_Weight, 12.5 ",
        "SAMPLE_Lengh, .5 ",
        "SAMPLE_Hardness, 80 ",
        "SAMPLE_COMPACT_TIME,30",
        "SAMPLE_COMPACT_Pressure, 5000 ",
        "",
        "Description:",
        "",
        "",
        "Additives   , Concentration   , Units   , Lot Number",
        "",
        "Clay  ,  07.13 ,   %  ,  C1",
        "",
        "Results",
        // Eight of the nine grid columns; only the temperature is reformatted.
        "Step No , Cycle No , Elapsed Time (min) , Temp (°F) , Press (Psi) , Speed (rpm) , Length Change (in.) , "
        " Swell (%)  ,   ",
        "1 , 1 , 1. , 100.0 , 0 , 0 , 0.012 , 2.4% ,   ",
        "1 , 2 , 60. , 180.5 , 0 , 0 , 0.0305 , 6.1% ,   ",
        "",
    };
    EXPECT_EQ(saveReport("swell.csv"), crlf(head + QStringList{
        "Step No.,cycle No.,Elapsed Time(min),Temp (°F),Press (psi),Speed (rpm),Length Change (in.),Swell (%) ",
        // 0.012 in on a 0.5 in sample.
        " 1, 1,1.00,100.0,0,0.0,0.012,2.4%",
        " 1, 2,60.00,180.5,0,0.0,0.0305,6.1%",
    }));

    // Without result rows the file ends with the empty line after the results.
    StoredInfo empty = lsmInfo();
    empty.name = "Swell 2";
    store(empty, {}, {{"Clay", "7.125", "%", "C1"}});
    openTest("Swell 2");
    QStringList emptyHead = head.mid(0, 22);
    emptyHead[3] = "Test Name:             ,Swell 2";
    emptyHead << head[22] << "";
    EXPECT_EQ(saveReport("swell2.csv"), crlf(emptyHead));
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join("\n").toStdString();
}

// A swell test's sample length is stored in inches: the test shows the same
// swell in either unit system (0.0123 in on 1.0 in is 1.23 %), whichever
// system it was stored in. The file gives the sample length in the display
// length unit, as its length-change column.
TEST_F(ReportTest, TheSwellOfAStoredTestIsTheSameInEitherUnitSystem) {
    StoredInfo info = lsmInfo();
    info.length = 1.0;
    store(info, {{1, 1, 0, 60, 100, 0, 0, 0.0123, 0, 1.5}, {2, 1, 0, 120, 100, 0, 0, 0.0246, 0, 1.6}});
    struct Case {
        int units;
        QString change;  // the length change of the first line
        QString length;  // the sample length line
    } cases[] = {{1, "0.0123", "SAMPLE_Lengh, 1 "}, {2, "0.31", "SAMPLE_Lengh, 25.4 "}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.units);
        gUnitSystem = c.units;
        SetUnitLabels();
        openTest("Swell 1");
        EXPECT_DOUBLE_EQ(w->Opened().LsmSampleLength, 1.0);
        EXPECT_EQ(w->MSFlexGrid1->TextMatrix(1, 6), c.change);
        EXPECT_EQ(w->MSFlexGrid1->TextMatrix(1, 7), "1.23%");
        EXPECT_EQ(w->MSFlexGrid1->TextMatrix(2, 7), "2.5%");
        const QStringList lines = QString::fromLatin1(saveReport(QStringLiteral("swell%1.csv").arg(c.units))).split("\r\n");
        EXPECT_TRUE(lines.contains(c.length)) << lines.join('\n').toStdString();
        ASSERT_GE(lines.size(), 3);
        EXPECT_TRUE(lines[lines.size() - 3].endsWith(",1.2%")) << lines[lines.size() - 3].toStdString();
        EXPECT_TRUE(lines[lines.size() - 2].endsWith(",2.5%")) << lines[lines.size() - 2].toStdString();
    }
}

TEST_F(ReportTest, ABobWithoutAShearRatePerRpmLeavesTheRotorSpeedEmpty) {
    StoredInfo info = rheologyInfo();
    info.radius = 0;  // no usable bob radius: no rpm from the shear rate
    store(info, {{1, 1, 0, 60, 100, 1000, 511, 204.4, 0, 5.11}});
    openTest("Mud A");
    const QByteArray file = saveReport("norpm.csv");
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join("\n").toStdString();
    EXPECT_TRUE(file.endsWith(" 1 , 1 , 0 ,1.,100.,1000,,511.,204.4,40.,1.0,40.0\r\n")) << file.right(80).toStdString();
}

TEST_F(ReportTest, TheSaveDialogOffersCsvAndTheLastNameAndCancelWritesNothing) {
    store(rheologyInfo(), rheologyPoints());
    openTest("Mud A");
    const QString path = out.filePath("first.csv");  // typed without its extension: ".csv" added
    dialogs_.files.push_back(out.filePath("first"));
    w->MenuFileReport->trigger();
    ASSERT_EQ(dialogs_.fileRequests.size(), 1u);
    const ui::FileRequest& first = dialogs_.fileRequests[0];
    EXPECT_TRUE(first.save);
    EXPECT_EQ(first.filter, "All Files (*.*)|*.*|Text Files(*.csv)|*.csv");
    EXPECT_EQ(first.filterIndex, 2);
    EXPECT_TRUE(QFileInfo::exists(path));

    // Cancel: the dialog's cancel description, the file left as it was.
    QFile::remove(path);
    dialogs_.files.push_back(std::nullopt);
    w->cmdREPORT->click();
    ASSERT_EQ(dialogs_.fileRequests.size(), 2u);
    EXPECT_EQ(dialogs_.fileRequests[1].fileName, path);
    EXPECT_EQ(dialogs_.texts(), QStringList{"Cancel was selected."});
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), QStringList());
}

TEST_F(ReportTest, WithoutAnOpenTestOnlyTheMessage) {
    for (auto click : {&frmMain::cmdREPORT_Click, &frmMain::cmdPRINT_Click}) {
        dialogs_.clear();
        ((*w).*click)();
        EXPECT_EQ(dialogs_.texts(), QStringList{"Currently no valid test selected.  Please first open a saved test."});
        EXPECT_TRUE(dialogs_.fileRequests.empty());
    }
}

TEST_F(ReportTest, BadTargetsAndVanishedTestsLeaveEveryFileAsItWas) {
    const qint32 id = store(rheologyInfo(), rheologyPoints());
    openTest("Mud A");

    // An existing report is replaced whole.
    const QString path = out.filePath("report.csv");
    { QFile f(path); ASSERT_TRUE(f.open(QIODevice::WriteOnly)); f.write("old contents, much longer than nothing\r\n"); }
    EXPECT_TRUE(saveReport("report.csv").startsWith("Test Report for Z3080 Rheometer.\r\n"));

    // A folder that does not exist: a clear message, no file.
    dialogs_.files.push_back(out.filePath("no such folder/report.csv"));
    w->cmdREPORT_Click();
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_TRUE(dialogs_.texts()[0].startsWith("The report cannot be written to " + out.filePath("no such folder/report.csv")))
        << dialogs_.texts()[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(out.filePath("no such folder")));
    // A name that is a folder: the folder stays a folder.
    dialogs_.clear();
    dialogs_.files.push_back(out.path());
    w->cmdREPORT_Click();
    EXPECT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_TRUE(QFileInfo(out.path()).isDir());

    // The test deleted by another program while it is open: said so, and
    // neither the dialog nor the file is touched.
    QFile existing(path);
    ASSERT_TRUE(existing.open(QIODevice::ReadOnly));
    const QByteArray kept = existing.readAll();
    existing.close();
    QSqlQuery q(w->Connection()->ADOConnection()->handle());
    ASSERT_TRUE(q.exec(QStringLiteral("DELETE FROM TEST_INFO WHERE TEST_ID = %1").arg(id)));
    for (auto click : {&frmMain::cmdREPORT_Click, &frmMain::cmdPRINT_Click}) {
        dialogs_.clear();
        ((*w).*click)();
        EXPECT_EQ(dialogs_.texts(), QStringList{TestNoLongerStoredText("Mud A")});
        EXPECT_TRUE(dialogs_.fileRequests.empty());
    }
    QFile again(path);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), kept);
}

// Names are not unique: the report reads the opened test again by its key,
// not the first test that bears its name.
TEST_F(ReportTest, TheOpenedTestIsReadAgainByItsKey) {
    StoredInfo first = rheologyInfo();
    first.name = "Mud A";
    first.fluid = "Fluid of another test";
    const qint32 other = store(first, rheologyPoints());
    StoredInfo opened = rheologyInfo();
    opened.name = "Mud B";
    opened.fluid = "Fluid of the opened test";
    const qint32 id = store(opened, rheologyPoints());
    openTest("Mud B");
    QSqlQuery q(w->Connection()->ADOConnection()->handle());
    ASSERT_TRUE(q.exec(QStringLiteral("UPDATE TEST_INFO SET TEST_NAME = 'Mud B' WHERE TEST_ID = %1").arg(other)));

    const QString text = QString::fromLatin1(saveReport("twins.csv"));
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join("\n").toStdString();
    EXPECT_TRUE(text.contains("Fluid of the opened test")) << text.toStdString();
    EXPECT_FALSE(text.contains("Fluid of another test"));
    EXPECT_EQ(w->Opened().OpenedTestInfo.value(0).toInt(), id);
}

TEST_F(ReportTest, ADiskThatFillsUpLeavesTheEarlierFile) {
    std::vector<Point> many;
    for (int i = 0; i < 2000; ++i) many.push_back({1, 1, 0, double(i), 100, 1000, 511, 204.4, 0, 5.11});
    store(rheologyInfo(), many);
    openTest("Mud A");
    const QString path = out.filePath("full.csv");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("the earlier report\r\n");
    }
    dialogs_.files.push_back(path);
    {
        FileSizeLimit disk(16 * 1024);
        w->cmdREPORT_Click();
    }
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_TRUE(dialogs_.texts()[0].startsWith("The report cannot be written to " + path)) << dialogs_.texts()[0].toStdString();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "the earlier report\r\n");
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), QStringList{"full.csv"});  // no half-written file beside it
}

TEST_F(ReportTest, NamesOutsideTheCodePage) {
    StoredInfo info = rheologyInfo();
    info.name = QString::fromUtf8("Prüfung Ω");
    info.description = QString::fromUtf8("Größe 5 µm");
    store(info, rheologyPoints());
    openTest(info.name);
    const QByteArray file = saveReport(QString::fromUtf8("Bericht Ω.csv"));
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join("\n").toStdString();
    // One byte per character; a character without a byte of its own is "?".
    EXPECT_TRUE(file.contains("Test Name:,Pr\xfc" "fung ?\r\n"));
    EXPECT_TRUE(file.contains("Description:\r\nGr\xf6\xdf" "e 5 \xb5m\r\n"));
}

TEST(PrintForm, EveryKindOfValue) {
    EXPECT_EQ(PrintForm(QVariant(QStringLiteral("text"))), "text");
    EXPECT_EQ(PrintForm(QVariant(12.0)), " 12 ");
    EXPECT_EQ(PrintForm(QVariant(0.5)), " .5 ");
    EXPECT_EQ(PrintForm(QVariant(-0.25)), "-.25 ");
    EXPECT_EQ(PrintForm(QVariant(QMetaType(QMetaType::Double))), "Null");
    EXPECT_EQ(PrintForm(QVariant()), "");
    EXPECT_EQ(CsvField("plain  text "), "plain  text ");
    EXPECT_EQ(CsvField("a\r\nb"), "\"a\r\nb\"");
    EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
}

// Texts that need quotes, in the test information, the additives and the
// result grid, give the same records, field for field, as plain texts in their
// place, in each layout.
TEST_F(ReportTest, EveryLayoutReadsBackFieldForFieldWithARfc4180Reader) {
    // Each plain stand-in, and what the other report holds in its place.
    const QList<std::pair<QString, QString>> texts = {
        {"NAMEX", "Mud, \"A\""},
        {"FLUIDX", "F\"1\", thin"},
        {"RESEARCHERX", "Ann, B."},
        {"DESCX", "Thick, with \"lumps\"\r\nsecond line"},
        {"ADDX", "Salt, fine"},
        {"UNITX", "g/l, \"dry\""},
        {"LOTX", "L\"7\", B\nrest"},
        {"CELLX", "1,5"},
        {"HEADX", "Temp\r\n\"(F)\""},
        {"MASKX", "n/a, \"none\""},
    };
    struct Layout {
        StoredInfo info;
        std::vector<Point> points;
        int maskedColumn;  // a grid column the layout passes through its mask
        int texts;         // the texts the file holds (the rheology file has a caption row of its own)
    };
    StoredInfo rheology = rheologyInfo(), pvt = pvtInfo(), swell = lsmInfo();
    const QList<Layout> layouts = {{rheology, rheologyPoints(), 4, 9},
                                   {pvt, pvtPoints(), 4, 10},
                                   {swell, lsmPoints(), 3, 10}};
    int n = 0, file = 0;
    for (const Layout& layout : layouts) {
        ++n;
        QList<QList<QStringList>> files;
        for (const bool quoted : {false, true}) {
            auto text = [&](const char* plain) {
                for (const auto& t : texts)
                    if (t.first == QLatin1String(plain)) return quoted ? t.second : t.first;
                return QString();
            };
            StoredInfo info = layout.info;
            info.name = text("NAMEX") + QString::number(n);
            info.fluid = text("FLUIDX");
            info.researcher = text("RESEARCHERX");
            info.description = text("DESCX");
            store(info, layout.points, {{text("ADDX"), "5", text("UNITX"), text("LOTX")}, {"Barite", "2", "g", "B"}});
            openTest(info.name);
            FlexGridModel& grid = *w->MSFlexGrid1->gridModel();
            grid.TextMatrix(0, 1, text("HEADX"));
            grid.TextMatrix(1, 2, text("CELLX"));
            grid.TextMatrix(2, layout.maskedColumn, text("MASKX"));
            files << trimmedRecords(saveReport(QStringLiteral("report%1.csv").arg(++file)));
        }
        EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join("\n").toStdString();
        const QList<QStringList>& plain = files[0];
        const QList<QStringList>& quoted = files[1];
        ASSERT_EQ(plain.size(), quoted.size()) << layout.info.bob.toStdString();
        ASSERT_GT(plain.size(), 20);
        int replaced = 0;
        for (qsizetype r = 0; r < plain.size(); ++r) {
            QStringList expected = plain[r];
            for (QString& field : expected)
                for (const auto& t : texts)
                    if (field.contains(t.first)) {
                        field.replace(t.first, t.second);
                        ++replaced;
                    }
            EXPECT_EQ(quoted[r], expected) << layout.info.bob.toStdString() << " record " << r;
        }
        EXPECT_EQ(replaced, layout.texts) << layout.info.bob.toStdString();
    }
}
