// One table of values a sequence step may not hold, refused through the one
// rule (SequenceLimits) both ways into the editor: the CSV import refuses a
// file holding one, naming its line and the value, and stores nothing; the
// editor's Save refuses the same value in its grids and stores nothing. The
// ramp rates by the same rule at every door of the editor: typed into the
// insert dialog or the step builder a rate is its size (0 or more), in a file
// or a grid a number of either sign.

#include "SequenceFixture.h"

#include "platform/FlexGrid.h"
#include "sequences/frmSetup.h"

#include <QGroupBox>
#include <QPushButton>

using namespace testing_support;

namespace {

// A sequence file of two steps and two ramp entries; step 2 is line 5, ramp
// entry 2 line 9.
const QStringList kFileLines = {
    "SEQUENCE_NAME,Imported",
    "",
    "Step No,a,b,c,d,e,f,g,h,i,j,",
    "1,10,150,5,10,300,1000,0,10,1,0,",
    "2,20,250,5,10,300,2000,0,10,2,1,",
    "",
    "RAMP_STEP_NO,x,y,z",
    " 1 , 30 ,100, 20 ,",
    " 2 , 20 ,600, 5 ,",
    "",
};
constexpr int kStepLine = 5;
constexpr int kRampLine = 9;

struct BadValue {
    const char* name;
    bool rampEntry;  // a value of ramp entry 2, else of step 2
    int field;       // its field in the file's line (for a step also its column in the step grid)
    QString text;
    QString problem;  // as the rule names it
    QString saved;    // Save's words; empty: the rule's
};

const BadValue kBadValues[] = {
    {"a temperature above 600 °F", false, 2, "99999", "Step 2: the temperature (°F) 99999 is out of range (0 to 600).",
     "Temperature input out of range."},
    {"a temperature below 0 °F", false, 2, "-500", "Step 2: the temperature (°F) -500 is out of range (0 to 600).",
     "Temperature input out of range."},
    {"a speed above 600 rpm", false, 5, "1e6", "Step 2: the speed (rpm) 1000000 is out of range (0 to 600).",
     "Speed input out of range."},
    {"a negative speed", false, 5, "-300", "Step 2: the speed (rpm) -300 is out of range (0 to 600).",
     "Speed input out of range."},
    {"a pressure above the most a unit takes", false, 6, "99999",
     "Step 2: the pressure (psi) 99999 is out of range (0 to 30000).", "Pressure input out of range."},
    {"a negative pressure", false, 6, "-1000", "Step 2: the pressure (psi) -1000 is out of range (0 to 30000).",
     "Pressure input out of range."},
    {"a negative step time", false, 1, "-5", "Step 2: the step time (min) -5 is out of range (0 to 71582).", ""},
    {"a negative record interval", false, 8, "-10",
     "Step 2: the record interval (sec) -10 is out of range (0 to 4294967).", ""},
    {"negative cycles", false, 9, "-2", "Step 2: the cycle count -2 is out of range (1 to 10000).",
     "Cycle no. input out of range."},
    {"a ramp flag of 7", false, 10, "7", "Step 2: the ramp flag 7 is neither 0 nor 1.", ""},
    {"a repeated step number", false, 0, "1",
     "Step 2: the step number 1 is not above the number of the step before it (1).", ""},
    {"a negative ramp time", true, 1, "-30", "Ramp step 2: the ramp time (sec) -30 is out of range (0 to 4294967).",
     ""},
    {"a negative ramp speed", true, 2, "-300", "Ramp step 2: the speed (rpm) -300 is out of range (0 to 600).", ""},
    {"a ramp speed above 600 rpm", true, 2, "1e6", "Ramp step 2: the speed (rpm) 1000000 is out of range (0 to 600).",
     ""},
    {"a negative ramp interval", true, 3, "-5", "Ramp step 2: the interval (sec) -5 is out of range (0 to 4294967).",
     ""},
};

class StepLimits : public SequenceFixture {
protected:
    void SetUp() override {
        SequenceFixture::SetUp();
        // The sequence of the file, stored: the one the editor shows.
        alpha = addSequence("Alpha");
        addStep(alpha, {1, 10, 150, 5, 10, 300, 1000, 0, 10, 1, 0});
        addStep(alpha, {2, 20, 250, 5, 10, 300, 2000, 0, 10, 2, 1});
        addRampEntry(alpha, 1, 100, 30, 20);
        addRampEntry(alpha, 2, 600, 20, 5);
    }
    std::unique_ptr<frmSetup> open() { return std::make_unique<frmSetup>(&conn, &mainWindow); }

    // The file with one field of one line replaced.
    QString writeFile(const BadValue* bad) {
        QStringList lines = kFileLines;
        if (bad) {
            const int at = (bad->rampEntry ? kRampLine : kStepLine) - 1;
            QStringList fields = lines[at].split(',');
            fields[bad->field] = bad->text;
            lines[at] = fields.join(',');
        }
        const QString path = tmp.dir() + "/import.csv";
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write((lines.join("\r\n") + "\r\n").toLatin1());
        return path;
    }
    std::array<int, 3> counts() {
        return {count("SELECT COUNT(*) FROM SEQUENCE_INFO"), count("SELECT COUNT(*) FROM SEQUENCE_RAMP"),
                count("SELECT COUNT(*) FROM SEQUENCE_RAMP_DEFINE")};
    }

    QWidget mainWindow;
    int alpha = 0;
};

}  // namespace

TEST_F(StepLimits, TheImportRefusesAFileWithAValueAStepMayNotHoldNamingItsLineAndStoresNothing) {
    auto w = open();
    const auto before = counts();
    for (const BadValue& bad : kBadValues) {
        SCOPED_TRACE(bad.name);
        dialogs.clear();
        dialogs.files = {writeFile(&bad)};
        dialogs.inputs = {QString("Imported")};
        w->cmdImport->click();
        EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("Cannot import - line %1 of the file: %2")
                                                   .arg(bad.rampEntry ? kRampLine : kStepLine)
                                                   .arg(bad.problem)});
        EXPECT_TRUE(dialogs.inputRequests.empty());  // refused before any name is asked
        EXPECT_EQ(counts(), before);
    }
    // The file as it is imports.
    dialogs.clear();
    dialogs.files = {writeFile(nullptr)};
    dialogs.inputs = {QString("Imported")};
    w->cmdImport->click();
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join("\n").toStdString();
    EXPECT_NE(idOf("Imported"), 0);
}

TEST_F(StepLimits, SaveRefusesTheSameValuesAndStoresNothing) {
    const auto steps = stepsOf(alpha);
    const auto entries = rampEntriesOf(alpha);
    for (const BadValue& bad : kBadValues) {
        SCOPED_TRACE(bad.name);
        dialogs.clear();
        auto w = open();  // shows Alpha
        if (bad.rampEntry)
            w->RampDefineGrid().TextMatrix(2, bad.field - 1, bad.text);
        else
            w->StepGrid().TextMatrix(2, bad.field, bad.text);
        w->MarkSequenceChanged();
        w->cmdSaveChange_Click();
        EXPECT_EQ(dialogs.texts(), QStringList{bad.saved.isEmpty() ? bad.problem : bad.saved});
        EXPECT_TRUE(w->SequenceChanged());
        if (!bad.rampEntry) {
            EXPECT_EQ(w->StepGrid().Row(), 2);  // the failing cell is current
            EXPECT_EQ(w->StepGrid().Col(), bad.field);
        }
        EXPECT_EQ(stepsOf(alpha), steps);
        EXPECT_EQ(rampEntriesOf(alpha), entries);
    }
}

TEST_F(StepLimits, EveryDoorOfTheEditorTakesARampRateByTheOneRule) {
    const QString typedAsSize =
        " -5 is below 0 (a rate is typed as its size; its sign follows the change from the step before).";
    struct Rate {
        const char* name;
        int field;  // its field in a step line, and its column in the step grid
        const char* box;  // the insert dialog's
        QString insertWords;
        QString builderWords;
    };
    const Rate rates[] = {
        {"temperature ramp rate", 4, "txtTempRate", "Invalid TempRamp Rate input",
         "The temperature ramp rate (°F/min)" + typedAsSize},
        {"pressure ramp rate", 7, "txtPressRate", "Invalid Press Rate input",
         "The pressure ramp rate (psi/min)" + typedAsSize},
    };
    auto w = open();  // shows Alpha
    const auto before = counts();
    for (const Rate& r : rates) {
        SCOPED_TRACE(r.name);
        const auto steps = stepsOf(alpha);
        auto gridText = [&] {
            QStringList t;
            for (int row = 0; row < w->StepGrid().Rows(); ++row)
                for (int c = 0; c < w->StepGrid().Cols(); ++c) t << w->StepGrid().TextMatrix(row, c);
            return t;
        };

        // Insert Step: -5 typed is refused in the dialog's own words, nothing inserted.
        dialogs.clear();
        EXPECT_FALSE(InsertStepWith(*w, r.box, "-5"));
        EXPECT_EQ(dialogs.texts(), QStringList{r.insertWords});
        EXPECT_EQ(w->StepGrid().Rows(), 3);

        // The step builder: refused naming the value; the grid as it was.
        w->cmdBuild_Click();
        FillBuilderBoxes(*w);
        QLineEdit* const rateBox = r.field == 4 ? w->txtTempRate : w->txtPressRate;
        rateBox->setText("-5");
        const QStringList grid = gridText();
        dialogs.clear();
        w->FillStepsFromEntry();
        EXPECT_EQ(dialogs.texts(), QStringList{r.builderWords});
        EXPECT_EQ(gridText(), grid);
        EXPECT_FALSE(w->frameRamp->isHidden());
        rateBox->setText("5");
        dialogs.clear();
        w->FillStepsFromEntry();
        EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join("|").toStdString();
        w.reset();
        w = open();

        // The import: a rate that is no number is refused naming its line; a
        // rate whose sign is not the change's is taken as it stands (a run
        // gives it the change's sign).
        BadValue bad{r.name, false, r.field, "1e999", {}, {}};
        dialogs.clear();
        dialogs.files = {writeFile(&bad)};
        dialogs.inputs = {QString("Imported")};
        w->cmdImport->click();
        EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("Cannot import - line %1 of the file holds \"1e999\", "
                                                              "which is not a number.")
                                                   .arg(kStepLine)});
        EXPECT_EQ(counts(), before);
        bad.text = "-5";
        dialogs.clear();
        dialogs.files = {writeFile(&bad)};
        dialogs.inputs = {QString("Imported")};
        w->cmdImport->click();
        EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join("|").toStdString();
        const int imported = idOf("Imported");
        ASSERT_NE(imported, 0);
        EXPECT_EQ(scalar(QStringLiteral("SELECT %1 FROM SEQUENCE_RAMP WHERE SEQUENCE_ID = ? AND RAMP_NO = 2")
                             .arg(r.field == 4 ? "TEMPRAMP_RATE" : "FEILD1"),
                         {imported})
                      .toDouble(),
                  -5);
        sql("DELETE FROM SEQUENCE_RAMP WHERE SEQUENCE_ID = ?", {imported});
        sql("DELETE FROM SEQUENCE_RAMP_DEFINE WHERE SEQUENCE_ID = ?", {imported});
        sql("DELETE FROM SEQUENCE_INFO WHERE SEQUENCE_ID = ?", {imported});
        w.reset();
        w = open();

        // Save: a rate of either sign in the grid is stored as it is shown.
        EXPECT_EQ(stepsOf(alpha), steps);
        w->StepGrid().TextMatrix(2, r.field, "-5");
        w->MarkSequenceChanged();
        dialogs.clear();
        w->cmdSaveChange_Click();
        EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join("|").toStdString();
        EXPECT_FALSE(w->SequenceChanged());
        EXPECT_EQ(scalar(QStringLiteral("SELECT %1 FROM SEQUENCE_RAMP WHERE SEQUENCE_ID = ? AND RAMP_NO = 2")
                             .arg(r.field == 4 ? "TEMPRAMP_RATE" : "FEILD1"),
                         {alpha})
                      .toDouble(),
                  -5);
    }
}
