// Every box of the sequence editor where a number is typed takes numbers:
// the insert dialog, the step builder, the copy dialog and the two grids'
// in-cell editors. A text that is no number is refused with the box's name
// (typed::NotANumberMessage) and changes nothing; a number is taken as typed
// on to the door's own checks. An empty box of the dialogs stands for 0, an
// empty cell stays empty.

#include "SequenceFixture.h"

#include "data/TypedNumbers.h"
#include "platform/FlexGrid.h"
#include "sequences/SequenceGrids.h"
#include "sequences/frmCopyPaste.h"
#include "sequences/frmInsertStep.h"
#include "sequences/frmSetup.h"

#include "data/Numbers.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

using namespace testing_support;

namespace {

struct Typed {
    QString text;
    std::optional<double> value;  // none: refused
};
// An empty box of the step dialogs is 0.
const Typed kTexts[] = {{"abc", {}}, {"1,2", {}}, {"", 0}, {" 12 ", 12}, {"1e3", 1000}, {"-", {}}};

// The grid's cells, row by row ("|" between cells, "/" between rows).
std::string cells(const FlexGridModel& g) {
    QStringList rows;
    for (int r = 0; r < g.Rows(); ++r) {
        QStringList row;
        for (int c = 0; c < g.Cols(); ++c) row << g.TextMatrix(r, c);
        rows << row.join('|');
    }
    return rows.join('/').toStdString();
}

bool saysNoNumber(const QStringList& texts) {
    for (const QString& t : texts)
        if (t.contains("is not a number") || t.contains("the box is empty")) return true;
    return false;
}

class NumberBoxes : public SequenceFixture {
protected:
    std::unique_ptr<frmSetup> open() {
        const int id = addSequence("Alpha");
        addStep(id, {1, 10, 200, 5, 10, 300, 1000, 50, 5, 1, 1});
        addStep(id, {2, 20, 250, 5, 10, 300, 2000, 50, 5, 2, 0});
        addRampEntry(id, 1, 100, 30, 10);
        addRampEntry(id, 2, 200, 20, 5);
        return std::make_unique<frmSetup>(&conn, &mainWindow);
    }
    QWidget mainWindow;
};

// Insert Step: each of its eleven boxes.
TEST_F(NumberBoxes, TheInsertDialogRefusesATextThatIsNoNumberByItsBox) {
    const struct {
        const char* box;
        const char* name;
        int col;  // the new step's cell it fills (0: the step number it goes before)
    } boxes[] = {
        {"txtStepNo", "Step No", 0},
        {"txtTime", "Step time (min)", 1},
        {"txtTemp", "Temp (°F)", 2},
        {"txtTempError", "Temp Error(°F)", 3},
        {"txtTempRate", "TempRamp_Rate (°F/min)", 4},
        {"txtShearrate", "Speed (RPM)", 5},
        {"txtPress", "Pressure (psi)", 6},
        {"txtPressRate", "Press_Rate (psi/min)", 7},
        {"txtRate", "Data Recording Interval (sec)", 8},
        {"txtcycle", "Cycle", 9},
        {"txtRunRamp", "Run Ramp", 10},
    };
    auto w = open();
    for (const auto& b : boxes) {
        for (const Typed& t : kTexts) {
            const std::string what = std::string(b.box) + " \"" + t.text.toStdString() + "\"";
            w->StepGrid().Row(1);
            seqgrid::RenumberSteps(w->StepGrid());  // as every insert, also a cancelled one, leaves them
            const std::string before = cells(w->StepGrid());
            const int rows = w->StepGrid().Rows();
            dialogs.clear();
            const bool inserted = InsertStepWith(*w, b.box, t.text);
            if (!t.value) {
                EXPECT_EQ(dialogs.texts(), QStringList{typed::NotANumberMessage(QString::fromUtf8(b.name), t.text)})
                    << what;
                EXPECT_FALSE(inserted) << what;
                EXPECT_EQ(cells(w->StepGrid()), before) << what;
                continue;
            }
            EXPECT_FALSE(saysNoNumber(dialogs.texts())) << what << ": " << dialogs.texts().join("|").toStdString();
            if (!inserted) continue;  // the value's range refused it (a temperature of 1000 °F, ...)
            ASSERT_EQ(w->StepGrid().Rows(), rows + 1) << what;
            // Before step 1, or before the step number typed (beyond the last: at the end).
            const int at = b.col != 0 ? 1 : *t.value > 0 ? std::min(int(*t.value), rows) : 1;
            if (b.col != 0) EXPECT_EQ(w->StepGrid().TextMatrix(at, b.col), Str(*t.value)) << what;
            w->StepGrid().Row(at);
            w->cmdDeleteStep_Click();  // the step taken out again
            EXPECT_EQ(cells(w->StepGrid()), before) << what;
        }
    }
}

// The step builder: every box but the total, which keeps its own words.
TEST_F(NumberBoxes, TheStepBuilderRefusesATextThatIsNoNumberByItsBox) {
    auto w = open();
    QLineEdit* const boxes[] = {w->txtStepTime, w->txtTemp,     w->txtTempError, w->txtTempRate, w->txtSpeed,
                                w->txtPressure, w->txtPressRate, w->txtInterval, w->txtCycle,    w->txtRunRamp};
    const char* const names[] = {"Step Time (min)",   "Temperature(°F)", "Temperature Error (°F)", "TempRamp Rate (°F/min)",
                                 "Speed (RPM)",       "Pressure (psi)",  "Press Rate (psi/min)",   "Record Interval (sec)",
                                 "Cycle",             "Run Ramp"};
    for (size_t i = 0; i < std::size(boxes); ++i) {
        for (const Typed& t : kTexts) {
            const std::string what = boxes[i]->objectName().toStdString() + " \"" + t.text.toStdString() + "\"";
            w->cmdBuild_Click();
            FillBuilderBoxes(*w);
            boxes[i]->setText(t.text);
            const std::string before = cells(w->StepGrid());
            dialogs.clear();
            w->FillStepsFromEntry();
            if (!t.value) {
                EXPECT_EQ(dialogs.texts(), QStringList{typed::NotANumberMessage(QString::fromUtf8(names[i]), t.text)})
                    << what;
                EXPECT_EQ(cells(w->StepGrid()), before) << what;
                EXPECT_FALSE(w->frameRamp->isHidden()) << what;
            } else {
                EXPECT_FALSE(saysNoNumber(dialogs.texts())) << what << ": " << dialogs.texts().join("|").toStdString();
            }
        }
    }
    // The total keeps its words for a text that is no number.
    for (const char* total : {"abc", "1,2", "", "-"}) {
        w->cmdBuild_Click();
        w->txtTotalSteps->setText(total);
        dialogs.clear();
        w->FillStepsFromEntry();
        EXPECT_EQ(dialogs.texts(), QStringList{"You must input the total number of steps."}) << total;
    }
}

// Copy & Paste: the new temperature and pressure (both empty are 0).
TEST_F(NumberBoxes, TheCopyDialogRefusesATextThatIsNoNumberByItsBox) {
    auto w = open();
    for (const bool pressure : {true, false}) {
        for (const Typed& t : kTexts) {
            const std::string what = (pressure ? "pressure \"" : "temperature \"") + t.text.toStdString() + "\"";
            const std::string before = cells(w->StepGrid());
            const int rows = w->StepGrid().Rows();
            dialogs.clear();
            bool accepted = false;
            ScriptedModal modal([&](QDialog& d) {
                auto* dlg = qobject_cast<frmCopyPaste*>(&d);
                ASSERT_NE(dlg, nullptr);
                dlg->txtNewTemperature->setText("180");
                dlg->txtNewPressure->setText("2500");
                (pressure ? dlg->txtNewPressure : dlg->txtNewTemperature)->setText(t.text);
                dlg->cmdOk_Click();
                accepted = dlg->result() == QDialog::Accepted;
                if (!accepted) dlg->cmdCancel_Click();
            });
            w->cmdCopySteps_Click();
            if (!t.value) {
                EXPECT_EQ(dialogs.texts(),
                          QStringList{typed::NotANumberMessage(pressure ? "Pressure (psi)" : "Temperature(°F)", t.text)})
                    << what;
                EXPECT_EQ(cells(w->StepGrid()), before) << what;
                continue;
            }
            EXPECT_FALSE(saysNoNumber(dialogs.texts())) << what;
            if (!accepted) continue;  // out of range (1000 °F)
            EXPECT_EQ(w->StepGrid().Rows(), rows + 1) << what;
            EXPECT_EQ(w->StepGrid().TextMatrix(2, pressure ? seqgrid::colPress : seqgrid::colTemp),
                      pressure ? Format(*t.value, "####0") : Format(*t.value, "##0"))
                << what;
            w->StepGrid().Row(2);
            w->cmdDeleteStep_Click();  // the copy taken out again
        }
    }
}

// The in-cell editors of both grids: a commit by leaving the cell and by an
// arrow key. A refused text leaves the cell as it was.
TEST_F(NumberBoxes, TheGridEditorsRefuseATextThatIsNoNumberByItsCell) {
    auto w = open();
    for (const bool stepGrid : {true, false}) {
        FlexGridModel& grid = stepGrid ? w->StepGrid() : w->RampDefineGrid();
        QLineEdit* editor = stepGrid ? w->txtOverlap2 : w->txtOverlap;
        const int col = stepGrid ? seqgrid::colTemp : 0;
        const QString name = stepGrid ? "Step 2, Temp. (°F)" : "Ramp entry 2, Time(sec)";
        for (const bool byArrow : {false, true}) {
            for (const Typed& t : kTexts) {
                const std::string what = name.toStdString() + (byArrow ? " arrow \"" : " leave \"") +
                                         t.text.toStdString() + "\"";
                const std::string before = cells(grid);
                const QString old = grid.TextMatrix(2, col);
                grid.Row(2);
                grid.Col(col);
                stepGrid ? w->MSFlexGrid1_Click() : w->MSFlexGrid2_Click();
                ASSERT_FALSE(editor->isHidden()) << what;
                editor->setText(t.text);
                dialogs.clear();
                if (byArrow)
                    stepGrid ? w->txtOverlap2_KeyDown(38, 0) : w->txtOverlap_KeyDown(38, 0);  // up
                else
                    stepGrid ? w->txtOverlap2_LostFocus() : w->txtOverlap_LostFocus();
                if (!t.value) {
                    EXPECT_EQ(dialogs.texts(), QStringList{typed::NotANumberMessage(name, t.text)}) << what;
                    EXPECT_EQ(cells(grid), before) << what;
                    // An arrow leaves the editor on its cell with the text, to be mended.
                    EXPECT_EQ(!editor->isHidden(), byArrow) << what;
                    if (byArrow) EXPECT_EQ(editor->text(), t.text) << what;
                } else {
                    EXPECT_TRUE(dialogs.messages.empty()) << what << ": " << dialogs.texts().join("|").toStdString();
                    EXPECT_EQ(grid.TextMatrix(2, col), t.text) << what;
                }
                if (!editor->isHidden()) stepGrid ? w->txtOverlap2_LostFocus() : w->txtOverlap_LostFocus();
                dialogs.clear();
                grid.TextMatrix(2, col, old);
            }
        }
    }
}

}  // namespace
