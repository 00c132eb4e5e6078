// The sequence editor over a real database, read back from it: every label of
// the step builder and the insert dialog names the unit its box is read in,
// in both unit systems and both entry modes; Copy As and New after unstored
// edits, and the steps typed after New; a sequence without a ramp stores no
// ramp entry; the screen-size box of the settings tab.

#include "SequenceFixture.h"

#include "data/TypedNumbers.h"
#include "platform/FlexGrid.h"
#include "sequences/frmInsertStep.h"
#include "sequences/frmSetup.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>

using namespace testing_support;

namespace {

const QString kChangedNew =
    "Current active sequence was changed. Click 'Yes' to take its steps into the new sequence, 'No' to start the "
    "new sequence empty (the changes are not saved), or 'Cancel' to go back and save the sequence.";

// A box of a step dialog: its caption, what is typed, and the stored column it
// reaches.
struct LabelledBox {
    QLabel* caption;
    QLineEdit* box;
    const char* column;
};

// What a value typed under a caption is stored as, by the unit the caption
// names ("Temp (°C)" 50 is 122 °F), the temperature's error and ramp rate as
// differences. Fails the test for a caption that names no unit it knows.
double storedFor(const QString& caption, double typed, double srFactor) {
    const QRegularExpressionMatch m = QRegularExpression(R"(\(([^)]*)\))").match(caption);
    EXPECT_TRUE(m.hasMatch()) << caption.toStdString();
    const QString unit = m.captured(1).trimmed();
    const bool difference = caption.contains("Error") || caption.contains("Rate");
    if (unit == "°F" || unit == "°F/min") return typed;
    if (unit == "°C" || unit == "°C/min") return difference ? typed * 1.8 : typed * 1.8 + 32;
    if (unit.compare("rpm", Qt::CaseInsensitive) == 0) return typed;
    if (unit == "1/s") return typed / srFactor;
    if (unit == "psi" || unit == "psi/min" || unit == "sec" || unit == "min") return typed;
    ADD_FAILURE() << "no known unit in " << caption.toStdString();
    return 0;
}

// Types texts[k] into boxes[k].
void typeInto(const QList<QLineEdit*>& boxes, const QStringList& texts) {
    for (int k = 0; k < boxes.size(); ++k) boxes[k]->setText(texts.value(k));
}

struct UnitCase {
    const char* name;
    int unitSystem;
    bool bySR;
};
const UnitCase kUnitCases[] = {
    {"CGS by speed", 1, false},
    {"SI by speed", 2, false},
    {"CGS by shear rate", 1, true},
    {"SI by shear rate", 2, true},
};

class EditorTest : public SequenceFixture {
protected:
    void useSettings(int unitSystem, bool bySR) {
        writeSettings({" 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", unitSystem == 1 ? "CGS" : "SI",
                       "Kunit ,1", "SF ,1", bySR ? "By the SR" : "BY the Speed"});
        useUnits(unitSystem, bySR);
    }
    std::unique_ptr<frmSetup> open() { return std::make_unique<frmSetup>(&conn, nullptr); }

    // The stored value of one column of step `rampNo`.
    double storedValue(int seqId, int rampNo, const char* column) {
        return scalar(QString("SELECT %1 FROM SEQUENCE_RAMP WHERE SEQUENCE_ID = ? AND RAMP_NO = ?").arg(column),
                      {seqId, rampNo})
            .toDouble();
    }
    QList<double> temperaturesOf(int seqId) {
        QList<double> out;
        for (const QVariantList& r : stepsOf(seqId)) out << r.value(1).toDouble();
        return out;
    }
    // Checks each box: its caption's unit gives what the typed value is stored as.
    void expectStoredAsLabelled(int seqId, int rampNo, const QList<LabelledBox>& boxes, double srFactor) {
        for (const LabelledBox& b : boxes) {
            SCOPED_TRACE(b.caption->text().toStdString());
            const double typed = b.box->text().toDouble();
            EXPECT_NEAR(storedValue(seqId, rampNo, b.column), storedFor(b.caption->text(), typed, srFactor), 0.006);
        }
    }

};

// The step builder's and the insert dialog's captions, typed into and saved:
// what is stored is the typed value in the unit the caption names.
TEST_F(EditorTest, EveryStepBoxIsReadInTheUnitItsLabelNames) {
    for (const UnitCase& c : kUnitCases) {
        SCOPED_TRACE(c.name);
        useSettings(c.unitSystem, c.bySR);
        const int seq = addSequence(QString("Units %1").arg(c.name));
        auto w = open();
        w->lstSeqName->setCurrentRow(w->lstSeqName->count() - 1);
        ASSERT_EQ(w->Store().mSeqId, seq);
        const double srFactor = w->BobSRFactor();

        // The builder: one step.
        FillBuilderBoxes(*w);
        typeInto({w->txtTotalSteps, w->txtTemp, w->txtTempError, w->txtTempRate, w->txtSpeed, w->txtPressure,
                  w->txtPressRate, w->txtInterval, w->txtStepTime},
                 {"1", "50", "5", "10", c.bySR ? "170" : "300", "1000", "50", "7", "12"});
        w->FillStepsFromEntry();
        ASSERT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("\n").toStdString();
        const QList<LabelledBox> builder = {
            {w->Label1(17), w->txtTemp, "RAMP_TEMP"},          {w->Label1(18), w->txtTempError, "RAMP_START_ERROR"},
            {w->Label1(2), w->txtTempRate, "TEMPRAMP_RATE"},   {w->Label1(4), w->txtSpeed, "SPEED"},
            {w->Label1(3), w->txtPressure, "RAMP_PRESS"},      {w->Label1(5), w->txtPressRate, "FEILD1"},
            {w->Label1(6), w->txtInterval, "RECORD_RATE"},     {w->Label1(1), w->txtStepTime, "RAMP_ELAPSE_TIME"},
        };

        // The insert dialog: a second step after it, its boxes kept to be read.
        QStringList captions, texts;
        ScriptedModal modal([&](QDialog& d) {
            auto* dlg = qobject_cast<frmInsertStep*>(&d);
            ASSERT_NE(dlg, nullptr);
            FillInsertBoxes(*dlg);
            dlg->txtStepNo->setText("1");
            dlg->cmbBeforeAfter->setCurrentIndex(1);
            dlg->cmbBeforeAfter_Click();
            const QList<QLineEdit*> boxes = {dlg->txtTemp,  dlg->txtTempError, dlg->txtTempRate, dlg->txtShearrate,
                                             dlg->txtPress, dlg->txtPressRate, dlg->txtRate,     dlg->txtTime};
            typeInto(boxes, {"60", "10", "5", c.bySR ? "340" : "200", "1500", "20", "3", "8"});
            for (QLabel* l : {dlg->lblTemp, dlg->Label4, dlg->Label1(2), dlg->Label1(4), dlg->Label1(3),
                              dlg->Label1(5), dlg->Label1(6), dlg->Label1(1)})
                captions << l->text();
            for (QLineEdit* b : boxes) texts << b->text();
            dlg->cmdOk_Click();
            EXPECT_FALSE(dlg->CancelInp()) << dialogs.texts().join("\n").toStdString();
        });
        w->cmdInsertStep_Click();
        ASSERT_EQ(modal.shown, 1);

        w->cmdSaveChange_Click();
        ASSERT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("\n").toStdString();
        expectStoredAsLabelled(seq, 1, builder, srFactor);
        const char* const insertColumns[] = {"RAMP_TEMP", "RAMP_START_ERROR", "TEMPRAMP_RATE", "SPEED",
                                             "RAMP_PRESS", "FEILD1",           "RECORD_RATE",   "RAMP_ELAPSE_TIME"};
        ASSERT_EQ(captions.size(), 8);
        for (int k = 0; k < 8; ++k) {
            SCOPED_TRACE(captions[k].toStdString());
            EXPECT_NEAR(storedValue(seq, 2, insertColumns[k]), storedFor(captions[k], texts[k].toDouble(), srFactor),
                        0.006);
        }

        // The grids' speed headers follow the entry mode, also over no steps.
        const int empty = addSequence(QString("Empty %1").arg(c.name));
        auto again = open();
        for (int i = 0; i < again->lstSeqName->count(); ++i)
            if (again->lstSeqName->item(i)->text().startsWith("Empty")) again->lstSeqName->setCurrentRow(i);
        ASSERT_EQ(again->Store().mSeqId, empty);
        EXPECT_EQ(again->StepGrid().TextMatrix(0, seqgrid::colSpeed), seqgrid::StepSpeedHeader(c.bySR));
        EXPECT_EQ(again->RampDefineGrid().TextMatrix(0, 1), seqgrid::RampDefineSpeedHeader(c.bySR));
        sql("DELETE FROM SEQUENCE_INFO");
        sql("DELETE FROM SEQUENCE_RAMP");
        sql("DELETE FROM SEQUENCE_RAMP_DEFINE");
    }
}

// Copy As stores the sequence as the editor shows it, unstored edits
// included, under the run settings of the sequence shown, and then shows the
// copy; the sequence copied from stays as stored.
TEST_F(EditorTest, CopyAsCopiesTheSequenceAsShown) {
    storeTwo();
    auto w = open();
    w->StepGrid().Row(2);
    w->cmdDeleteStep_Click();  // unstored
    ASSERT_TRUE(w->SequenceChanged());
    dialogs.inputs = {QString("Copy2")};
    w->cmdSaveas_Click();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("\n").toStdString();
    const int copy = idOf("Copy2");
    ASSERT_NE(copy, 0);
    EXPECT_EQ(temperaturesOf(copy), (QList<double>{200, 100}));
    EXPECT_EQ(rampEntriesOf(copy), rampEntriesOf(alpha));
    EXPECT_EQ(scalar("SELECT TIME_BEFORE_READ FROM SEQUENCE_INFO WHERE SEQUENCE_ID = ?", {copy}).toDouble(), 25);
    EXPECT_EQ(scalar("SELECT SAMPLE_INTERVAL FROM SEQUENCE_INFO WHERE SEQUENCE_ID = ?", {copy}).toInt(), 61);
    EXPECT_EQ(temperaturesOf(alpha), (QList<double>{200, 250, 100}));
    // The copy is shown, selected, and what is typed next is saved into it.
    EXPECT_EQ(w->Store().mSeqId, copy);
    EXPECT_EQ(w->lstSeqName->currentItem()->text(), "Copy2");
    EXPECT_FALSE(w->SequenceChanged());
    EXPECT_EQ(w->StepGrid().Rows(), 3);
    ASSERT_TRUE(InsertStepWith(*w, "txtTemp", "175"));
    w->cmdSaveChange_Click();
    EXPECT_EQ(stepsOf(copy).size(), 3);
    EXPECT_EQ(stepsOf(alpha).size(), 3);

    // A sequence the checks of Save refuse is not copied: nothing is asked.
    dialogs.clear();
    w->StepGrid().TextMatrix(1, seqgrid::colTemp, "999");
    w->MarkSequenceChanged();
    w->cmdSaveas_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{"Temperature input out of range."});
    EXPECT_TRUE(dialogs.inputRequests.empty());
    EXPECT_EQ(count("SELECT COUNT(*) FROM SEQUENCE_INFO"), 3);
}

// New with unstored edits asks before anything is stored: Cancel goes back
// with the edits; Yes takes them into the new sequence, No starts it empty and
// drops them. Either way the new sequence is the one shown and selected, and
// what is typed and saved after New goes into it, never into the one before.
TEST_F(EditorTest, NewAsksFirstThenOpensTheNewSequence) {
    storeTwo();
    auto w = open();
    auto editFirstTemperature = [&](const QString& text) {
        w->StepGrid().Row(1);
        w->StepGrid().Col(seqgrid::colTemp);
        w->MSFlexGrid1_Click();
        w->txtOverlap2->setText(text);
        w->txtOverlap2_KeyDown('5', 0);
        w->txtOverlap2_LostFocus();
    };
    editFirstTemperature("222");

    // Cancel: no name asked, nothing stored, the edit still there to be saved.
    dialogs.answers = {ui::vbCancel};
    w->cmdNew_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{kChangedNew});
    EXPECT_EQ(dialogs.messages[0].style, ui::vbYesNoCancel);
    EXPECT_TRUE(dialogs.inputRequests.empty());
    EXPECT_EQ(count("SELECT COUNT(*) FROM SEQUENCE_INFO"), 2);
    EXPECT_TRUE(w->SequenceChanged());
    EXPECT_EQ(w->StepGrid().TextMatrix(1, seqgrid::colTemp), "222");

    // New answered so and named so: the new sequence, which must be the one
    // shown and selected.
    auto newSequence = [&](int answer, const QString& name) {
        dialogs.clear();
        dialogs.answers = {answer};
        dialogs.inputs = {name};
        w->cmdNew_Click();
        const int id = idOf(name);
        EXPECT_NE(id, 0);
        EXPECT_EQ(w->Store().mSeqId, id);
        EXPECT_EQ(w->lstSeqName->currentItem()->text(), name);
        EXPECT_TRUE(w->lstSeqName->currentItem()->isSelected());
        return id;
    };

    // Yes: the steps go into G4; Save stores them there.
    const int g4 = newSequence(ui::vbYes, "G4");
    EXPECT_TRUE(w->SequenceChanged());
    w->cmdSaveChange_Click();
    EXPECT_EQ(temperaturesOf(g4), (QList<double>{222, 250, 100}));
    EXPECT_EQ(temperaturesOf(alpha), (QList<double>{200, 250, 100}));

    // No: S10 opens empty, G4's unstored edit is dropped as the question said;
    // a step typed then goes into S10.
    editFirstTemperature("333");
    const int s10 = newSequence(ui::vbNo, "S10");
    EXPECT_EQ(w->StepGrid().Rows(), 1);
    EXPECT_FALSE(w->SequenceChanged());
    ASSERT_TRUE(InsertStepWith(*w, "txtTime", "10"));
    w->cmdSaveChange_Click();
    EXPECT_TRUE(dialogs.texts().filter("no valid sequence").isEmpty()) << dialogs.texts().join("\n").toStdString();
    EXPECT_EQ(temperaturesOf(s10), QList<double>{150});
    EXPECT_EQ(temperaturesOf(g4), (QList<double>{222, 250, 100}));
    EXPECT_EQ(temperaturesOf(alpha), (QList<double>{200, 250, 100}));
    EXPECT_EQ(stepsOf(beta).size(), 1);

    // Without unstored edits New asks nothing.
    dialogs.clear();
    dialogs.inputs = {QString("Plain")};
    w->cmdNew_Click();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("\n").toStdString();
    EXPECT_EQ(w->Store().mSeqId, idOf("Plain"));
}

// Steps built before any sequence exists belong to none: New keeps them for
// the new sequence without a question, and Save stores them there.
TEST_F(EditorTest, StepsBuiltBeforeNewGoIntoTheNewSequence) {
    useSettings(2, false);
    auto w = open();
    ASSERT_EQ(w->Store().mSeqId, 0);
    FillBuilderBoxes(*w);
    w->txtTemp->setText("50");
    w->FillStepsFromEntry();
    ASSERT_TRUE(w->SequenceChanged());
    dialogs.inputs = {QString("SI seq")};
    w->cmdNew_Click();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("\n").toStdString();
    const int seq = idOf("SI seq");
    ASSERT_NE(seq, 0);
    EXPECT_EQ(w->Store().mSeqId, seq);
    EXPECT_EQ(w->StepGrid().Rows(), 4);
    w->cmdSaveChange_Click();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("\n").toStdString();
    EXPECT_EQ(temperaturesOf(seq), (QList<double>{122, 122, 122}));
}

// A sequence without a ramp stores no ramp entry, and shows none when it is
// opened again; a step flagged for a ramp with no ramp entries is refused by
// Save, naming the step, and nothing is stored.
TEST_F(EditorTest, ASequenceWithoutARampStoresNoRampEntry) {
    const int seq = addSequence("No ramp");
    auto w = open();
    ASSERT_EQ(w->Store().mSeqId, seq);
    FillBuilderBoxes(*w);  // Run Ramp 0
    w->FillStepsFromEntry();
    w->cmdSaveChange_Click();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("\n").toStdString();
    EXPECT_EQ(stepsOf(seq).size(), 3);
    EXPECT_TRUE(rampEntriesOf(seq).isEmpty());
    auto again = open();
    EXPECT_EQ(again->Store().mSeqId, seq);
    EXPECT_EQ(again->RampDefineGrid().TextMatrix(1, 0), "");
    EXPECT_EQ(again->RampDefineGrid().TextMatrix(1, 1), "");

    // Run Ramp 1 on step 2 and no ramp entry: refused, the flag's cell current.
    again->StepGrid().TextMatrix(2, seqgrid::colRunRamp, "1");
    again->MarkSequenceChanged();
    again->cmdSaveChange_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{"Step 2: the ramp flag is 1, but the sequence has no ramp entries."});
    EXPECT_EQ(again->StepGrid().Row(), 2);
    EXPECT_EQ(again->StepGrid().Col(), seqgrid::colRunRamp);
    EXPECT_EQ(storedValue(seq, 2, "RUN_RAMP"), 0);
    EXPECT_TRUE(rampEntriesOf(seq).isEmpty());

    // With a ramp entry typed, the flag is stored with it.
    dialogs.clear();
    FlexGridModel& ramp = again->RampDefineGrid();
    ramp.TextMatrix(1, 0, "30");
    ramp.TextMatrix(1, 1, "100");
    ramp.TextMatrix(1, 2, "20");
    again->cmdSaveChange_Click();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("\n").toStdString();
    EXPECT_EQ(storedValue(seq, 2, "RUN_RAMP"), 1);
    const QList<QVariantList> entries = rampEntriesOf(seq);
    ASSERT_EQ(entries.size(), 1);
    QList<double> values;
    for (const QVariant& v : entries[0]) values << v.toDouble();
    EXPECT_EQ(values, (QList<double>{1, 100, 30, 20}));
}

// The screen-size box is read as every number box: "1,5" is refused naming
// the box, as is a size out of range; nothing is written. The settings'
// Save keeps the sequence tab's unstored edits to be asked about.
TEST_F(EditorTest, ScreenSizeBoxTakesNumbersOnly) {
    storeTwo();
    auto w = open();
    const QStringList before = settingsLines();
    struct Refused {
        const char* typed;
        QString message;
    };
    const Refused refused[] = {
        {"1,5", typed::NotANumberMessage("Adjust Screen size", "1,5")},
        {"1,0", typed::NotANumberMessage("Adjust Screen size", "1,0")},
        {"abc", typed::NotANumberMessage("Adjust Screen size", "abc")},
        {"0", "Adjust Screen size: 0 is out of range (0.25 to 4)."},
        {"5", "Adjust Screen size: 5 is out of range (0.25 to 4)."},
    };
    for (const Refused& r : refused) {
        SCOPED_TRACE(r.typed);
        dialogs.clear();
        w->txtSF->setText(r.typed);
        w->cmdSave_Click();
        EXPECT_EQ(dialogs.texts(), QStringList{r.message});
        EXPECT_EQ(settingsLines(), before);
    }
    EXPECT_TRUE(typed::NotANumberMessage("Adjust Screen size", "1,5").startsWith("Adjust Screen size: \"1,5\""));

    dialogs.clear();
    w->MarkSequenceChanged();
    w->txtSF->setText("1.5");
    w->cmdSave_Click();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("\n").toStdString();
    EXPECT_EQ(settingsLines().value(10), "SF ,1.5");
    EXPECT_TRUE(w->SequenceChanged());
    dialogs.answers = {ui::vbCancel};
    EXPECT_TRUE(w->Form_Unload());  // asked, and kept open
    EXPECT_EQ(dialogs.texts().size(), 1);
}

}  // namespace
