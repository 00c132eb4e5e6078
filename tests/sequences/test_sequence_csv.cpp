// The sequence exchange file: export of the editor's grids, import into new
// stored sequences, and the files the import refuses.

#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/RecordFixture.h"
#include "data/clsSEQUENCE_INFO.h"
#include "platform/FileFilters.h"
#include "sequences/SequenceCsv.h"
#include "support/DatabaseFaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlRecord>

using namespace seqcsv;

namespace {

struct ModeGuard {
    int unitSystem = gUnitSystem;
    bool bySR = gBySR;
    ~ModeGuard() {
        gUnitSystem = unitSystem;
        gBySR = bySR;
    }
};

// One stored step, in the column order of SEQUENCE_RAMP.
struct Step {
    double rampNo, elapse, temp, startError, speed, recordRate, press, runRamp, tempRate, cycles, pressRate;
};
// One stored ramp entry.
struct Ramp {
    double stepNo, speed, delay, interval;
};

const QStringList kStepHeader = {"Step No", "Elapse\rTime (min)", "Temp.\r(\u00B0F)", "Temp.\rError(\u00B0F)",
                                 "Temp. Ramp\rRate (\u00B0F/min)", "Speed (RPM)", "Press.\r(psi)",
                                 "Press.\rRate (psi/min)", "Record\rInterval\r(sec)", "Cycle", "Ramp"};
const QStringList kRampHeader = {"Time(sec)", "Speed \r(RPM)", "interval(sec) "};

// The grids as the editor shows a stored sequence in CGS, entry by speed.
SequenceGridTexts shownInCgsBySpeed(const std::vector<Step>& steps, const std::vector<Ramp>& ramps) {
    SequenceGridTexts g;
    g.steps << kStepHeader;
    for (const Step& s : steps)
        g.steps << QStringList{CStr(s.rampNo),        Format(s.elapse, "##0.##"), Format(s.temp, "##0.##"),
                               Format(s.startError, "##0"), Format(s.tempRate, "##0.##"), Format(s.speed, "##0.##"),
                               CStr(s.press),         CStr(s.pressRate),         CStr(s.recordRate),
                               CStr(s.cycles),        CStr(s.runRamp)};
    g.ramps << kRampHeader;
    for (int r = 0; r < 40; ++r) {
        if (r < int(ramps.size()))
            g.ramps << QStringList{Format(ramps[r].delay, "##0"), Format(ramps[r].speed, "####0"),
                                   Format(ramps[r].interval, "##0")};
        else
            g.ramps << QStringList{"", "", ""};
    }
    return g;
}

class SequenceCsv : public testing_support::RecordFixture {
protected:
    void SetUp() override {
        RecordFixture::SetUp();
        gUnitSystem = 1;
        gBySR = false;
        info.ConnectX(&conn);
    }

    // Stores a sequence through SQL; returns its key.
    int store(const QString& name, const std::vector<Step>& steps, const std::vector<Ramp>& ramps) {
        sql("INSERT INTO SEQUENCE_INFO (SEQUENCE_NAME, TIME_BEFORE_READ, RAMP_SAMPLE_RATE, SAMPLE_POINTS_AVERAGE, "
            "SHUT_DOWN_ATIME, SHUT_DOWN_VISC, SAMPLE_INTERVAL) VALUES (?, 20, 2, 5, 20, 0, 60)",
            {name});
        const int id = lastKey();
        for (const Step& s : steps)
            sql("INSERT INTO SEQUENCE_RAMP (SEQUENCE_ID, RAMP_NO, RAMP_ELAPSE_TIME, RAMP_TEMP, RAMP_START_ERROR, "
                "SPEED, RECORD_RATE, RAMP_PRESS, RUN_RAMP, TEMPRAMP_RATE, CYCLE_LABEL, FEILD1) "
                "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                {id, s.rampNo, s.elapse, s.temp, s.startError, s.speed, s.recordRate, s.press, s.runRamp,
                 s.tempRate, s.cycles, s.pressRate});
        for (const Ramp& r : ramps)
            sql("INSERT INTO SEQUENCE_RAMP_DEFINE (SEQUENCE_ID, RAMP_STEP_NO, RAMP_SPEED, DELAY_TIME, INTERVALs) "
                "VALUES (?, ?, ?, ?, ?)",
                {id, r.stepNo, r.speed, r.delay, r.interval});
        return id;
    }

    // Every non-key column of a table's rows of one sequence, in key order.
    QList<QVariantList> rowsOf(const QString& table, int id) {
        QSqlQuery q = sql("SELECT * FROM " + table + " WHERE SEQUENCE_ID = ? ORDER BY 1", {id});
        QList<QVariantList> out;
        while (q.next()) {
            QVariantList row;
            for (int c = 2; c < q.record().count(); ++c) row << q.value(c).toDouble();
            out << row;
        }
        return out;
    }
    QVariantList infoOf(const QString& name) {
        QSqlQuery q = sql("SELECT * FROM SEQUENCE_INFO WHERE SEQUENCE_NAME = ?", {name});
        QVariantList row;
        if (q.next())
            for (int c = 1; c < q.record().count(); ++c) row << q.value(c);
        return row;
    }
    int idOf(const QString& name) {
        return scalar("SELECT SEQUENCE_ID FROM SEQUENCE_INFO WHERE SEQUENCE_NAME = ?", {name}).toInt();
    }
    std::array<int, 3> counts() {
        return {count("SEQUENCE_INFO"), count("SEQUENCE_RAMP"), count("SEQUENCE_RAMP_DEFINE")};
    }

    QString path(const QString& name) const { return tmp.dir() + "/" + name; }
    void writeFile(const QString& name, const QByteArray& bytes) {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray readFile(const QString& name) {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Imports a file answering the name prompts in turn.
    ImportResult importFile(const QString& name, const QList<std::optional<QString>>& names) {
        dialogs.files.push_back(path(name));
        for (const auto& n : names) dialogs.inputs.push_back(n);
        return ImportSequenceCsv(&conn, info);
    }

    ModeGuard mode;
    clsSEQUENCE_INFO info;
};

const std::vector<Step> kSteps = {
    {1, 10, 150, 5, 300, 10, 1000, 0, 10, 1, 100},
    {2, 5.5, 250, 3, 600, 5, 2000, 1, 7.5, 2, 0},
};
const std::vector<Ramp> kRamps = {{1, 100, 30, 20}, {2, 200, 60, 10}, {3, 3, 15, 5}};

QByteArray deg(const char* before, const char* after) { return QByteArray(before) + '\xB0' + after; }

const QByteArray kKnownFile =
    QByteArray("Sequence of Z3080 Rheometer.\r\n"
               "\r\n"
               "Save Date: ,2024-01-02\r\n"
               "\r\n"
               "SEQUENCE_NAME,Known Seq\r\n"
               "\r\n"
               "\r\n"
               "Step No,Elapse Time (min),") +
    deg("Temp. (", "F),") + deg("Temp. Error (", "F),") + deg("Temp. Ramp Rate (", "F/min),") +
    "SPEED(Rpm),Press. (psi),Press. Rate (psi/min),Record Interval (sec),Cycle,Ramp,\r\n"
    "1,10.,150.,5,10,300.0,1000,100,10,1,0,\r\n"
    "2,5.5,250.,3,7.5,600.0,2000,0,5,2,1,\r\n"
    "\r\n"
    "\r\n"
    "\r\n"
    "RAMP_STEP_NO,RAMP_Time(sec),RAMP_SPEED(Rpm),INTERVAL(sec)\r\n"
    " 1 , 30 ,100.0, 20 ,\r\n"
    " 2 , 60 ,200.0, 10 ,\r\n"
    " 3 , 15 ,3.0, 5 ,\r\n"
    "\r\n";

}  // namespace

// ---------------------------------------------------------------------------
// Export

TEST_F(SequenceCsv, ExportWritesTheKnownSequenceByteForByte) {
    EXPECT_EQ(ExportText("Known Seq", shownInCgsBySpeed(kSteps, kRamps), 1.7022937, "2024-01-02"), kKnownFile);
}

TEST_F(SequenceCsv, ExportThenImportStoresAnIdenticalSequence) {
    const int id = store("Known Seq", kSteps, kRamps);
    dialogs.answers.push_back(ui::vbYes);
    dialogs.files.push_back(path("known.csv"));
    const ExportResult ex =
        ExportSequenceCsv(info, 1, "Known Seq", shownInCgsBySpeed(kSteps, kRamps), 1.7022937);
    EXPECT_EQ(dialogs.texts(), QStringList{kConfirmExport + "Known Seq"});
    ASSERT_EQ(ex.fileName, path("known.csv"));
    EXPECT_TRUE(ex.lookedUp);
    EXPECT_EQ(ex.seqId, id);
    EXPECT_EQ(ex.seqInfoRow.value(1).toString(), "Known Seq");
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_TRUE(dialogs.fileRequests[0].save);
    EXPECT_EQ(dialogs.fileRequests[0].filter, "All Files (*.*)|*.*|Text Files(*.csv)|*.csv");

    // The written file is the known one but for its date line.
    QByteArray written = readFile("known.csv");
    const QByteArray dateLine = "Save Date: ," + SaveDateText().toLatin1() + "\r\n";
    ASSERT_TRUE(written.contains(dateLine));
    written.replace(dateLine, "Save Date: ,2024-01-02\r\n");
    EXPECT_EQ(written, kKnownFile);

    // The file's name exists already: refused, nothing stored.
    dialogs.clear();
    const auto before = counts();
    ImportResult im = importFile("known.csv", {"Known Seq"});
    EXPECT_EQ(im.stored, 0);
    EXPECT_EQ(dialogs.texts(), QStringList{kNameExists});
    ASSERT_EQ(dialogs.inputRequests.size(), 1u);
    EXPECT_EQ(dialogs.inputRequests[0].prompt, kNamePrompt);
    EXPECT_EQ(dialogs.inputRequests[0].title, kNameTitle);
    EXPECT_EQ(dialogs.inputRequests[0].defaultText, "Known Seq");
    EXPECT_EQ(counts(), before);

    // Letter case does not make a name new.
    dialogs.clear();
    EXPECT_EQ(importFile("known.csv", {"KNOWN SEQ"}).stored, 0);
    EXPECT_EQ(dialogs.texts(), QStringList{kNameExists});
    EXPECT_EQ(counts(), before);

    // Under a new name: one sequence with the same rows and the defaults.
    dialogs.clear();
    im = importFile("known.csv", {"Known Copy"});
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join("\n").toStdString();
    EXPECT_EQ(im.stored, 1);
    const int copy = idOf("Known Copy");
    ASSERT_NE(copy, 0);
    EXPECT_EQ(im.lastSequenceId, copy);
    EXPECT_EQ(counts(), (std::array<int, 3>{before[0] + 1, before[1] + 2, before[2] + 3}));
    EXPECT_EQ(rowsOf("SEQUENCE_RAMP", copy), rowsOf("SEQUENCE_RAMP", id));
    EXPECT_EQ(rowsOf("SEQUENCE_RAMP_DEFINE", copy), rowsOf("SEQUENCE_RAMP_DEFINE", id));
    QVariantList a = infoOf("Known Copy"), b = infoOf("Known Seq");
    a.removeFirst(), b.removeFirst();  // the names
    EXPECT_EQ(a, b);
}

// A name typed without an extension is written with ".csv", so the
// import's "*.csv" filter shows it and the import reads it back.
TEST_F(SequenceCsv, ExportAddsCsvToANameTypedWithoutExtension) {
    store("Known Seq", kSteps, kRamps);
    dialogs.answers.push_back(ui::vbYes);
    dialogs.files.push_back(path("labdayA"));
    const ExportResult ex = ExportSequenceCsv(info, 1, "Known Seq", shownInCgsBySpeed(kSteps, kRamps), 1.7022937);
    EXPECT_EQ(ex.fileName, path("labdayA.csv"));
    EXPECT_FALSE(QFileInfo::exists(path("labdayA")));
    ASSERT_TRUE(QFileInfo::exists(path("labdayA.csv")));

    dialogs.clear();
    const ImportResult im = importFile("labdayA.csv", {"Lab day A"});
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    const ui::FileRequest& open = dialogs.fileRequests[0];
    EXPECT_EQ(ui::FilterExtension(open.filter, open.filterIndex), "csv");  // the filter the import shows
    EXPECT_TRUE(QDir::match("*.csv", "labdayA.csv"));
    EXPECT_EQ(im.stored, 1) << dialogs.texts().join("\n").toStdString();
}

TEST_F(SequenceCsv, ExportConvertsToStorageUnits) {
    gUnitSystem = 2;
    gBySR = true;
    const double f = 1.7022937028532377;
    SequenceGridTexts g;
    g.steps << kStepHeader
            << QStringList{" 1", "10", "100", "2", "5.56", CStr(510.688), "0", "0", "1", "1", "0"};
    g.ramps << kRampHeader << QStringList{"10", CStr(500 * f), "0.5"} << QStringList{"-0.5", CStr(600 * f), "5"}
            << QStringList{" ", "1", "1"} << QStringList{"9", "9", "9"};
    const QList<QByteArray> lines = ExportText("SI", g, f, "d").split('\n');
    ASSERT_EQ(lines.size(), 17);
    // 100 C -> 212 F (mask "#0.#"), 2 C -> 3.6 F -> 4, 5.56 C/min -> 10 F/min, 510.688 1/s -> 300 rpm.
    EXPECT_EQ(lines[8], " 1,10,212.,4,10,300.0,0,0,1,1,0,\r");
    // Shear rates back to rpm; numbers between -1 and 1 without their 0; a single blank ends the rows.
    EXPECT_EQ(lines[12], "RAMP_STEP_NO,RAMP_Time(sec),RAMP_SPEED(Rpm),INTERVAL(sec)\r");
    EXPECT_EQ(lines[13], " 1 , 10 ,500.0, .5 ,\r");
    EXPECT_EQ(lines[14], " 2 ,-.5 ,600.0, 5 ,\r");
    EXPECT_EQ(lines[15], "\r");
    EXPECT_EQ(lines[16], "");

    // Entry by speed: "####0.0#" for the steps, "####0.0##" for the ramps.
    gBySR = false;
    g.steps[1][5] = "600";
    g.ramps[1][1] = "600";
    const QList<QByteArray> bySpeed = ExportText("SI", g, f, "d").split('\n');
    EXPECT_EQ(bySpeed[8], " 1,10,212.,4,10,600.0,0,0,1,1,0,\r");
    EXPECT_EQ(bySpeed[13], " 1 , 10 ,600.0, .5 ,\r");
}

TEST_F(SequenceCsv, SequenceWithoutStepsRoundTrips) {
    SequenceGridTexts g;
    g.steps << kStepHeader;
    g.ramps << kRampHeader << QStringList{"30", "100", "20"};
    for (int r = 1; r < 40; ++r) g.ramps << QStringList{"", "", ""};
    const QByteArray file = ExportText("Empty", g, 1, "d");
    EXPECT_TRUE(file.contains("\r\n\r\n\r\nNo Step\r\n\r\n\r\nRAMP_STEP_NO,"));
    writeFile("empty.csv", file);
    EXPECT_EQ(importFile("empty.csv", {"Empty"}).stored, 1);
    EXPECT_TRUE(rowsOf("SEQUENCE_RAMP", idOf("Empty")).isEmpty());
    EXPECT_EQ(rowsOf("SEQUENCE_RAMP_DEFINE", idOf("Empty")), (QList<QVariantList>{{1.0, 100.0, 30.0, 20.0}}));
}

TEST_F(SequenceCsv, FortyFilledRampRowsExportFortyLines) {
    SequenceGridTexts g;
    g.steps << kStepHeader;
    g.ramps << kRampHeader;
    for (int r = 1; r <= 40; ++r) g.ramps << QStringList{CStr(r), "100", "5"};
    const QByteArray file = ExportText("Forty", g, 1, "d");
    EXPECT_EQ(file.count(",100.0, 5 ,\r\n"), 40);
    EXPECT_TRUE(file.endsWith(" 40 , 40 ,100.0, 5 ,\r\n\r\n"));
}

TEST_F(SequenceCsv, ExportRefusals) {
    const SequenceGridTexts g = shownInCgsBySpeed(kSteps, kRamps);
    // An empty list: the message and no dialog.
    ExportResult r = ExportSequenceCsv(info, 0, "", g, 1);
    EXPECT_EQ(dialogs.texts(), QStringList{kNoSequence});
    EXPECT_FALSE(r.lookedUp);
    EXPECT_TRUE(dialogs.fileRequests.empty());

    // No entry selected: an empty name is confirmed, looked up and not found.
    dialogs.clear();
    dialogs.answers = {ui::vbYes};
    r = ExportSequenceCsv(info, 2, "", g, 1);
    EXPECT_EQ(dialogs.texts(), (QStringList{kConfirmExport, kNoSequenceFound}));
    EXPECT_TRUE(r.lookedUp);
    EXPECT_EQ(r.seqId, 0);
    EXPECT_TRUE(dialogs.fileRequests.empty());

    // No in the confirmation: nothing happens.
    store("Known Seq", kSteps, kRamps);
    dialogs.clear();
    dialogs.answers = {ui::vbNo};
    r = ExportSequenceCsv(info, 1, "Known Seq", g, 1);
    EXPECT_FALSE(r.lookedUp);
    EXPECT_TRUE(dialogs.fileRequests.empty());

    // The file dialog cancelled.
    dialogs.clear();
    dialogs.answers = {ui::vbYes};
    r = ExportSequenceCsv(info, 1, "Known Seq", g, 1);
    EXPECT_EQ(dialogs.texts(), (QStringList{kConfirmExport + "Known Seq", kCancelled}));
    EXPECT_TRUE(r.fileName.isEmpty());
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_TRUE(dialogs.fileRequests[0].save);
    EXPECT_EQ(dialogs.fileRequests[0].filterIndex, 2);  // the CSV entry

    // A file that cannot be created: its reason is shown, nothing is written.
    dialogs.clear();
    dialogs.answers = {ui::vbYes};
    dialogs.files = {path("no such folder/x.csv")};
    r = ExportSequenceCsv(info, 1, "Known Seq", g, 1);
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_FALSE(dialogs.messages[1].prompt.isEmpty());
    EXPECT_TRUE(r.fileName.isEmpty());
    EXPECT_FALSE(QFile::exists(path("no such folder/x.csv")));
}

// ---------------------------------------------------------------------------
// Import

TEST_F(SequenceCsv, ReaderTakesFieldsAsTheFileGivesThem) {
    // LF line ends, a step line without its trailing comma, blanks around numbers, empty cells as 0
    // (values a step may hold).
    const QByteArray text = "SEQUENCE_NAME,Plain, with comma\n"
                            "Step No,anything\n"
                            " 1 , 2 ,3,4,5,6,7,8,9,10,1\n"
                            "2,,,,,,,,, 1e2 ,,\n"
                            "\n"
                            "RAMP_STEP_NO,x\n"
                            "1,2,3,4\n"
                            "\n";
    const ParseResult p = ParseSequenceText(text);
    ASSERT_TRUE(p.ok()) << p.error.toStdString();
    ASSERT_EQ(p.sequences.size(), 1);
    const ImportedSequence& s = p.sequences[0];
    EXPECT_EQ(s.name, "Plain, with comma");
    ASSERT_EQ(s.steps.size(), 2);
    EXPECT_EQ(s.steps[0], (std::array<double, 11>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 1}));
    EXPECT_EQ(s.steps[1], (std::array<double, 11>{2, 0, 0, 0, 0, 0, 0, 0, 0, 100, 0}));
    ASSERT_EQ(s.ramps.size(), 1);
    EXPECT_EQ(s.ramps[0], (std::array<double, 4>{1, 2, 3, 4}));
}

TEST_F(SequenceCsv, BadFilesAreRefusedWithNothingStored) {
    const QByteArray good = kKnownFile;
    const QByteArray stepLine = "1,10.,150.,5,10,300.0,1000,100,10,1,0,";
    struct Case {
        const char* name;
        QByteArray bytes;
        QString message;  // the whole message, or its beginning when it ends with "..."
    };
    const std::vector<Case> cases = {
        {"empty file", "", kNotSequenceFile},
        {"some other CSV", "a,b,c\r\n1,2,3\r\n", kNotSequenceFile},
        {"rows before the sequence name", "Step No,x\r\n" + stepLine + "\r\n\r\nSEQUENCE_NAME,A\r\n", kNotSequenceFile},
        {"no ramp block", "SEQUENCE_NAME,A\r\nStep No,x\r\n" + stepLine + "\r\n\r\n", kTruncated},
        {"ends inside the ramp block", good.left(good.size() - 2), kTruncated},
        {"extra step column", QByteArray(good).replace(stepLine, stepLine + "7,"),
         "Cannot import - line 9 of the file holds 12 values; a step line holds 11."},
        {"missing step column", QByteArray(good).replace(stepLine, "1,10.,150.,5,10,300.0,1000,100,10,1,"),
         "Cannot import - line 9 of the file holds 10 values; a step line holds 11."},
        {"extra ramp column", QByteArray(good).replace(" 2 , 60 ,200.0, 10 ,", " 2 , 60 ,200.0, 10 ,1"),
         "Cannot import - line 16 of the file holds 5 values; a ramp line holds 4."},
        {"non-numeric step cell", QByteArray(good).replace("1000,100", "1000,abc"),
         "Cannot import - line 9 of the file holds \"abc\", which is not a number."},
        {"number with text after it", QByteArray(good).replace("200.0", "200.0x"),
         "Cannot import - line 16 of the file holds \"200.0x\", which is not a number."},
        {"blank-only line inside a block", QByteArray(good).replace(" 3 , 15 ,3.0, 5 ,\r\n", " \r\n"),
         "Cannot import - line 17 of the file holds 0 values; a ramp line holds 4."},
        // Values no run can hold: the line, the step and the limit named.
        {"endless cycles", QByteArray(good).replace(stepLine, "1,10.,150.,5,10,300.0,1000,100,10,1e300,0,"),
         "Cannot import - line 9 of the file: Step 1: the cycle count 1E+300 is beyond what a run can hold (at most "
         "10000)."},
        {"a step time beyond the run clock", QByteArray(good).replace(stepLine, "1,1e9,150.,5,10,300.0,1000,100,10,1,0,"),
         "Cannot import - line 9 of the file: Step 1: the step time (min) 1000000000 is beyond what a run can hold "
         "(at most 71582)."},
        {"an interval beyond the run clock",
         QByteArray(good).replace(stepLine, "1,10.,150.,5,10,300.0,1000,100,5e6,1,0,"),
         "Cannot import - line 9 of the file: Step 1: the record interval (sec) 5000000 is beyond what a run can hold "
         "(at most 4294967)."},
        {"a ramp time beyond the run clock", QByteArray(good).replace(" 2 , 60 ,200.0, 10 ,", " 2 , 1e7 ,200.0, 10 ,"),
         "Cannot import - line 16 of the file: Ramp step 2: the ramp time (sec) 10000000 is beyond what a run can hold "
         "(at most 4294967)."},
        {"a number too large for any value", QByteArray(good).replace("1000,100", "1000,1e999"),
         "Cannot import - line 9 of the file holds \"1e999\", which is not a number."},
    };
    store("Shown", kSteps, kRamps);  // a sequence the editor might be showing
    const auto before = counts();
    for (const Case& c : cases) {
        dialogs.clear();
        writeFile("bad.csv", c.bytes);
        const ImportResult r = importFile("bad.csv", {"New Name"});
        EXPECT_EQ(r.stored, 0) << c.name;
        EXPECT_EQ(dialogs.texts(), QStringList{c.message}) << c.name;
        EXPECT_TRUE(dialogs.inputRequests.empty()) << c.name;  // refused before any name is asked
        EXPECT_EQ(counts(), before) << c.name;
        dialogs.inputs.clear();
    }
}

TEST_F(SequenceCsv, EveryCutOfAGoodFileIsRefused) {
    // A file cut anywhere (but in its last line ending) is refused.
    for (int n = 0; n < kKnownFile.size() - 1; ++n)
        EXPECT_FALSE(ParseSequenceText(kKnownFile.left(n)).ok()) << "cut after " << n << " bytes";
    EXPECT_TRUE(ParseSequenceText(kKnownFile).ok());
}

TEST_F(SequenceCsv, NameAnswers) {
    writeFile("known.csv", kKnownFile);
    const auto before = counts();
    // Cancel or an empty answer: nothing stored, no message.
    EXPECT_EQ(importFile("known.csv", {std::nullopt}).stored, 0);
    EXPECT_EQ(importFile("known.csv", {""}).stored, 0);
    EXPECT_TRUE(dialogs.texts().isEmpty());
    // 41 characters refused, 40 accepted.
    EXPECT_EQ(importFile("known.csv", {QString(41, 'n')}).stored, 0);
    EXPECT_EQ(dialogs.texts(), QStringList{kNameTooLong});
    EXPECT_EQ(counts(), before);
    dialogs.clear();
    EXPECT_EQ(importFile("known.csv", {QString(40, 'n')}).stored, 1);
    EXPECT_TRUE(dialogs.texts().isEmpty());
    EXPECT_EQ(rowsOf("SEQUENCE_RAMP", idOf(QString(40, 'n'))).size(), 2);
}

TEST_F(SequenceCsv, FileDialogCancelledOrFileUnreadable) {
    EXPECT_EQ(ImportSequenceCsv(&conn, info).stored, 0);  // no file answered: cancelled
    EXPECT_EQ(dialogs.texts(), QStringList{kCancelled});
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_FALSE(dialogs.fileRequests[0].save);
    EXPECT_EQ(dialogs.fileRequests[0].filter, kFileFilter);
    EXPECT_EQ(dialogs.fileRequests[0].filterIndex, 2);  // the CSV entry

    dialogs.clear();
    EXPECT_EQ(importFile("missing.csv", {"X"}).stored, 0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].prompt.startsWith(kCannotRead));
    EXPECT_EQ(count("SEQUENCE_INFO"), 0);
}

TEST_F(SequenceCsv, FileWithTwoSequencesStoresBothOrNone) {
    const QByteArray second = QByteArray(kKnownFile).replace("SEQUENCE_NAME,Known Seq", "SEQUENCE_NAME,Second");
    writeFile("two.csv", kKnownFile + second);

    // The same name given twice: refused before anything is stored.
    ImportResult r = importFile("two.csv", {"One", "one"});
    EXPECT_EQ(r.stored, 0);
    EXPECT_EQ(dialogs.texts(), QStringList{kNameExists});
    EXPECT_EQ(counts(), (std::array<int, 3>{0, 0, 0}));

    // The second name cancelled: the first is not stored either.
    dialogs.clear();
    EXPECT_EQ(importFile("two.csv", {"One", std::nullopt}).stored, 0);
    EXPECT_EQ(counts(), (std::array<int, 3>{0, 0, 0}));

    dialogs.clear();
    r = importFile("two.csv", {"One", "Two"});
    EXPECT_EQ(r.stored, 2);
    EXPECT_EQ(dialogs.inputRequests[1].defaultText, "Second");
    EXPECT_EQ(r.lastSequenceId, idOf("Two"));
    EXPECT_EQ(rowsOf("SEQUENCE_RAMP", idOf("One")), rowsOf("SEQUENCE_RAMP", idOf("Two")));
    EXPECT_EQ(counts(), (std::array<int, 3>{2, 4, 6}));
}

TEST_F(SequenceCsv, StatementFailingMidwayTakesBackTheWholeImport) {
    const int shown = store("Shown", kSteps, kRamps);
    const QByteArray second = QByteArray(kKnownFile).replace("SEQUENCE_NAME,Known Seq", "SEQUENCE_NAME,Second");
    writeFile("two.csv", kKnownFile + second);
    const auto before = counts();
    // The ramp entries of the second sequence cannot be written.
    sql("CREATE TRIGGER fail_second BEFORE INSERT ON SEQUENCE_RAMP_DEFINE "
        "WHEN (SELECT COUNT(*) FROM SEQUENCE_INFO) > 2 BEGIN SELECT RAISE(ABORT, 'disk full'); END");

    const ImportResult r = importFile("two.csv", {"One", "Two"});
    EXPECT_EQ(r.stored, 0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].prompt.contains("disk full")) << dialogs.messages[0].prompt.toStdString();
    EXPECT_EQ(counts(), before);
    EXPECT_EQ(idOf("One"), 0);
    EXPECT_EQ(idOf("Two"), 0);
    EXPECT_EQ(rowsOf("SEQUENCE_RAMP", shown).size(), 2);  // what was there stays

    // Without the failure the same file goes in.
    sql("DROP TRIGGER fail_second");
    dialogs.clear();
    EXPECT_EQ(importFile("two.csv", {"One", "Two"}).stored, 2);
    EXPECT_TRUE(dialogs.texts().isEmpty());
}

// Another program holding the database while the file is imported: refused
// as the other writes are, naming the database's state and saying that
// nothing was stored, which is true; once the lock is gone the same file goes in.
TEST_F(SequenceCsv, ImportUnderALockSaysTheDatabasesStateAndThatNothingWasStored) {
    const int shown = store("Shown", kSteps, kRamps);
    const QByteArray second = QByteArray(kKnownFile).replace("SEQUENCE_NAME,Known Seq", "SEQUENCE_NAME,Second");
    writeFile("two.csv", kKnownFile + second);
    const auto before = counts();
    {
        testing_support::LockedDatabase lock(tmp.path());
        const ImportResult r = importFile("two.csv", {"One", "Two"});
        EXPECT_EQ(r.stored, 0);
        EXPECT_EQ(dialogs.texts(), QStringList{kNotImported +
                                               ": the database is in use by another program. Nothing was stored; "
                                               "try again."});
    }
    EXPECT_EQ(counts(), before);
    EXPECT_EQ(idOf("One"), 0);
    EXPECT_EQ(idOf("Two"), 0);
    EXPECT_EQ(rowsOf("SEQUENCE_RAMP", shown).size(), 2);
    testing_support::ExpectAWriteRefusedHalfWayLeavesNothing(conn);

    dialogs.clear();
    EXPECT_EQ(importFile("two.csv", {"One", "Two"}).stored, 2);
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join("|").toStdString();
    EXPECT_EQ(counts(), (std::array<int, 3>{before[0] + 2, before[1] + 4, before[2] + 6}));
}
