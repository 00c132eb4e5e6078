// The sequence editor window offscreen over a real database: loading and
// showing stored sequences in both unit systems, bobs and entry modes, the
// unstored-changes questions, the name filter, in-cell editing, the step
// dialogs, New, Save, Copy As and Delete, and the settings tab.

#include "SequenceFixture.h"

#include "data/clsSEQUENCE_INFO.h"
#include "platform/FlexGrid.h"
#include "platform/PeChart.h"
#include "sequences/frmCopyPaste.h"
#include "sequences/frmDeleteSteps.h"
#include "sequences/frmInsertStep.h"
#include "sequences/frmSetup.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTabBar>

using namespace testing_support;
using seqgrid::colCycle;
using seqgrid::colPress;
using seqgrid::colSpeed;
using seqgrid::colTemp;
using seqgrid::colTempError;
using seqgrid::colTempRate;

namespace {

const QString kChangedYesNo =
    "Current active sequence was changed.  Click Yes to go back and save the sequence.";
const QString kChangedList =
    "Current active sequence was changed. Do you want to save? Click 'Yes' to go back and save the sequence.";
const QString kChangedClose =
    "Current active sequence was changed.  Click OK to leave without saving, or Cancel to go back and save the "
    "sequence.";
const QString kDuplicate = "Duplicate test name - Please enter a unique test name.";

class Setup : public SequenceFixture {
protected:
    std::unique_ptr<frmSetup> open() {
        auto w = std::make_unique<frmSetup>(&conn, &mainWindow);
        return w;
    }
    static QStringList row(const FlexGridModel& g, int r) {
        QStringList out;
        for (int c = 0; c < g.Cols(); ++c) out << g.TextMatrix(r, c);
        return out;
    }
    static QStringList column(const FlexGridModel& g, int c) {
        QStringList out;
        for (int r = 1; r < g.Rows(); ++r) out << g.TextMatrix(r, c);
        return out;
    }
    static QStringList names(const frmSetup& w) {
        QStringList out;
        for (int i = 0; i < w.lstSeqName->count(); ++i) out << w.lstSeqName->item(i)->text();
        return out;
    }
    // Edits a step cell as the operator does: click, type, leave.
    static void editStep(frmSetup& w, int r, int c, const QString& text) {
        w.StepGrid().Row(r);
        w.StepGrid().Col(c);
        w.MSFlexGrid1_Click();
        w.txtOverlap2->setText(text);
        w.txtOverlap2_KeyDown('5', 0);
        w.txtOverlap2_LostFocus();
    }

    // Clicks list entry i with the mouse, press and release.
    static void clickEntry(frmSetup& w, int i) {
        QListWidget* list = w.lstSeqName;
        const QPoint at = list->visualItemRect(list->item(i)).center();
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(type, QPointF(at), QPointF(list->viewport()->mapToGlobal(at)), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(list->viewport(), &e);
        }
    }
    // A sequence file holding one sequence of that name: one step at 150 °F
    // and one ramp entry.
    QString writeSequenceFile(const QString& name) {
        const QString path = tmp.dir() + "/" + name + ".csv";
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("SEQUENCE_NAME," + name.toLatin1() +
                "\r\n\r\nStep No,a,b,c,d,e,f,g,h,i,j,\r\n"
                "1,10,150,5,10,300,1000,0,10,1,0,\r\n\r\n"
                "RAMP_STEP_NO,x,y,z\r\n 1 , 30 ,100.0, 20 ,\r\n\r\n");
        return path;
    }

    QWidget mainWindow;
};

TEST_F(Setup, LoadsTheFirstSequenceBySpeedInCGS) {
    storeTwo();
    mainWindow.hide();
    auto w = open();

    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("\n").toStdString();
    EXPECT_EQ(w->windowTitle(), "Z3080 Setup");
    EXPECT_EQ(w->TabStrip1->tabText(1), "Hardware && Misc Setup");
    EXPECT_EQ(w->CurrentTab(), 1);
    EXPECT_FALSE(w->Frame3[1]->isHidden());
    EXPECT_TRUE(w->Frame3[2]->isHidden());
    EXPECT_TRUE(w->frameRamp->isHidden());
    EXPECT_TRUE(w->txtOverlap2->isHidden());
    EXPECT_EQ(w->Combo1->currentText(), "B1");
    EXPECT_NEAR(w->BobSRFactor(), 1.7022937, 1e-7);
    EXPECT_EQ(names(*w), (QStringList{"Alpha", "Beta"}));
    EXPECT_EQ(w->lstSeqName->currentRow(), 0);
    EXPECT_EQ(w->Store().mSeqId, alpha);
    EXPECT_EQ(w->Store().mSeqInfoRow.value(2).toDouble(), 25);
    EXPECT_FALSE(w->SequenceChanged());

    // By speed (the settings file's mode).
    EXPECT_TRUE(w->Option1->isChecked());
    EXPECT_FALSE(gBySR);
    EXPECT_EQ(w->Label1(4)->text(), "Speed (RPM)");
    EXPECT_EQ(w->Label1(17)->text(), "Temperature(°F): ");
    const FlexGridModel& steps = w->StepGrid();
    ASSERT_EQ(steps.Rows(), 4);
    EXPECT_EQ(steps.TextMatrix(0, colSpeed), "Speed (RPM)");
    EXPECT_EQ(row(steps, 1), (QStringList{"1", "10.", "200.", "5", "10.", "300.", "1000", "50", "5", "1", "1"}));
    const FlexGridModel& ramp = w->RampDefineGrid();
    EXPECT_EQ(ramp.Rows(), 41);
    EXPECT_EQ(ramp.TextMatrix(0, 1), "Speed \r(RPM)");
    EXPECT_EQ(row(ramp, 2), (QStringList{"20", "600", "5"}));
    EXPECT_EQ(row(ramp, 3), (QStringList{"", "", ""}));

    // Settings tab.
    EXPECT_EQ(w->cmbUnit[1]->currentText(), "Comm 1");
    EXPECT_EQ(w->cmbUnit[2]->currentText(), "Comm 2");
    EXPECT_EQ(w->cmbUnit[3]->currentText(), "None");
    EXPECT_EQ(w->cmbUnit[8]->count(), 21);
    EXPECT_TRUE(w->optCGS->isChecked());
    EXPECT_TRUE(w->OptK1->isChecked());
    EXPECT_EQ(w->txtSF->text(), "1");
    EXPECT_FALSE(w->UnitChanged());

    // Every control carries its name.
    for (const char* name : {"lstSeqName", "txtSeqName", "Combo1", "Frame4", "MSFlexGrid1", "MSFlexGrid2",
                             "txtOverlap", "txtOverlap2", "cmdNew", "cmdSaveChange", "cmdSaveas", "cmdDelete",
                             "cmdInsertStep", "cmdDeleteStep", "cmdCopySteps", "cmdDeleteSteps", "cmdExport",
                             "cmdImport", "Pesgo1", "cmdUpdateChart", "cmdBuild", "frameRamp", "cmdReturn",
                             "cmdReturn2", "optCGS", "OptSI", "OptK1", "OptK2", "txtSF", "cmdSave", "Frame6"})
        EXPECT_NE(w->findChild<QWidget*>(name), nullptr) << name;

    // The other tab.
    w->TabStrip1->setCurrentIndex(1);
    EXPECT_EQ(w->CurrentTab(), 2);
    EXPECT_TRUE(w->Frame3[1]->isHidden());
    EXPECT_FALSE(w->Frame3[2]->isHidden());
}

TEST_F(Setup, ShearRateModeAndBobChoice) {
    storeTwo();
    writeSettings({" 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", "CGS", "Kunit ,1", "SF ,1", "By the SR"});
    useUnits(1, true);
    auto w = open();
    EXPECT_TRUE(w->Option2->isChecked());
    EXPECT_EQ(w->Label1(4)->text(), "Shear Rate (1/s)");
    EXPECT_EQ(w->StepGrid().TextMatrix(0, colSpeed), "Shear Rate (1/s)");
    EXPECT_EQ(w->StepGrid().TextMatrix(1, colSpeed), "510.688");  // 300 rpm with B1
    EXPECT_EQ(w->RampDefineGrid().TextMatrix(0, 1), "Shear\rRate(1/s)");

    // "B2" reloads both grids with its factor.
    w->Combo1->setCurrentIndex(1);
    EXPECT_NEAR(w->BobRadius(), 1.2276, 1e-12);
    EXPECT_EQ(w->RampDefineGrid().TextMatrix(1, 1), "37.696");

    // Back to speed entry.
    w->Option1->setChecked(true);
    w->Option1_Click();
    EXPECT_FALSE(gBySR);
    EXPECT_EQ(w->StepGrid().TextMatrix(1, colSpeed), "300.");
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("\n").toStdString();
}

TEST_F(Setup, ShowsStoredValuesInSI) {
    storeTwo();
    writeSettings({" 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", "SI", "Kunit ,1", "SF ,1", "BY the Speed"});
    useUnits(2, false);
    auto w = open();
    const FlexGridModel& steps = w->StepGrid();
    EXPECT_EQ(steps.TextMatrix(0, 2), "Temp.\r(°C)");
    EXPECT_EQ(steps.TextMatrix(1, colTemp), "93.33");
    EXPECT_EQ(steps.TextMatrix(1, colTempError), "3");
    EXPECT_EQ(steps.TextMatrix(1, colTempRate), "5.56");
    EXPECT_EQ(w->Label1(18)->text(), "Temperature Error (°C): ");
    EXPECT_TRUE(w->OptSI->isChecked());

    // Stored back unchanged: 200 °F, 5 °F, 10.01 °F/min (not 199 °F).
    w->cmdSaveChange_Click();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("\n").toStdString();
    const auto stored = stepsOf(alpha);
    ASSERT_EQ(stored.size(), 3);
    EXPECT_EQ(stored[0][1].toDouble(), 200);
    EXPECT_EQ(stored[0][2].toDouble(), 5);
    EXPECT_DOUBLE_EQ(stored[0][3].toDouble(), 10.01);
    EXPECT_EQ(stored[1][1].toDouble(), 250);
    EXPECT_EQ(stored[2][1].toDouble(), 100);
}

TEST_F(Setup, EmptyListAndSequenceWithoutSteps) {
    auto w = open();
    EXPECT_EQ(w->lstSeqName->count(), 0);
    EXPECT_EQ(w->lstSeqName->currentRow(), -1);
    EXPECT_EQ(w->Store().mSeqId, 0);
    EXPECT_EQ(w->StepGrid().Rows(), 1);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("\n").toStdString();

    // Save with no sequence shown stores nothing.
    w->cmdSaveChange_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{"Currently no valid sequence selected."});
    EXPECT_EQ(count("SELECT COUNT(*) FROM SEQUENCE_RAMP_DEFINE"), 0);

    addSequence("Empty");
    w->lstSeqName->addItem("Empty");
    w->lstSeqName->setCurrentRow(0);
    EXPECT_EQ(w->StepGrid().Rows(), 1);
    EXPECT_EQ(w->StepGrid().TextMatrix(0, colSpeed), "Speed (RPM)");  // by speed
    EXPECT_EQ(w->RampDefineGrid().TextMatrix(0, 1), "Speed \r(RPM)");
}

TEST_F(Setup, LoadsWithoutADatabase) {
    clsConnection closed;
    frmSetup w(&closed, nullptr);
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.messages[0].prompt.startsWith("ERROR: ")) << dialogs.messages[0].prompt.toStdString();
    EXPECT_EQ(w.lstSeqName->count(), 0);
    EXPECT_EQ(w.cmbUnit[1]->currentText(), "Comm 1");  // the settings tab still works
}

TEST_F(Setup, UnstoredChangesQuestions) {
    storeTwo();
    auto w = open();
    editStep(*w, 1, colTemp, "222");
    EXPECT_TRUE(w->SequenceChanged());
    EXPECT_EQ(w->StepGrid().TextMatrix(1, colTemp), "222");

    // Picking another sequence: Yes goes back, the grids keep the edit.
    dialogs.answers = {ui::vbYes};
    w->lstSeqName->setCurrentRow(1);
    EXPECT_EQ(dialogs.texts(), QStringList{kChangedList});
    EXPECT_EQ(w->Store().mSeqId, alpha);
    EXPECT_EQ(w->StepGrid().TextMatrix(1, colTemp), "222");

    // The bob: Yes keeps the factor and the grids.
    dialogs.clear();
    dialogs.answers = {ui::vbYes};
    w->Combo1->setCurrentIndex(2);
    EXPECT_EQ(dialogs.texts(), QStringList{kChangedYesNo});
    EXPECT_NEAR(w->BobRadius(), 1.7245, 1e-12);
    EXPECT_EQ(w->StepGrid().TextMatrix(1, colTemp), "222");

    // The entry mode: Yes leaves neither option chosen and the mode as it was.
    dialogs.clear();
    dialogs.answers = {ui::vbYes};
    w->Option2->setChecked(true);
    w->Option2_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{kChangedYesNo});
    EXPECT_FALSE(w->Option1->isChecked());
    EXPECT_FALSE(w->Option2->isChecked());
    EXPECT_FALSE(gBySR);

    // No drops the edit: the stored sequence is shown again.
    dialogs.clear();
    dialogs.answers = {ui::vbNo};
    w->Combo1->setCurrentIndex(1);
    EXPECT_EQ(w->StepGrid().TextMatrix(1, colTemp), "200.");
    EXPECT_FALSE(w->SequenceChanged());

    // Picking the other sequence (still the selected entry) with No loads it.
    editStep(*w, 1, colTemp, "333");
    dialogs.clear();
    dialogs.answers = {ui::vbNo};
    ASSERT_EQ(w->lstSeqName->currentRow(), 1);
    w->lstSeqName_Click();
    EXPECT_EQ(w->Store().mSeqId, beta);
    EXPECT_EQ(w->StepGrid().Rows(), 2);
    EXPECT_FALSE(w->SequenceChanged());
}

TEST_F(Setup, ClosingAsksAndWritesTheEntryMode) {
    storeTwo();
    auto w = open();
    mainWindow.hide();
    w->show();
    w->MarkSequenceChanged();
    gBySR = true;

    dialogs.answers = {ui::vbCancel};
    w->cmdReturn_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{kChangedClose});
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->SequenceChanged());
    EXPECT_TRUE(mainWindow.isHidden());
    EXPECT_EQ(settingsLines().value(11), "BY the Speed");

    dialogs.clear();
    dialogs.answers = {ui::vbOK};
    w->cmdReturn2_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{kChangedClose});
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(w->SequenceChanged());
    EXPECT_FALSE(mainWindow.isHidden());
    EXPECT_EQ(settingsLines().size(), 12);
    EXPECT_EQ(settingsLines().value(11), "By the SR");
}

TEST_F(Setup, NameFilterSelectsAsTyped) {
    storeTwo();
    addSequence("alpine");
    auto w = open();
    ASSERT_EQ(names(*w), (QStringList{"Alpha", "alpine", "Beta"}));
    w->txtSeqName->setText("Be");
    EXPECT_EQ(w->lstSeqName->currentRow(), 2);
    EXPECT_EQ(w->Store().mSeqId, beta);
    w->txtSeqName->setText("A");
    EXPECT_EQ(w->lstSeqName->currentRow(), 0);
    // No match (the comparison is case-sensitive): the last entry stays.
    w->txtSeqName->setText("b");
    EXPECT_EQ(w->lstSeqName->currentRow(), 2);
    w->txtSeqName->setText("alp");
    EXPECT_EQ(w->lstSeqName->currentRow(), 1);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Setup, InCellEditingAndArrowKeys) {
    storeTwo();
    auto w = open();
    FlexGridModel& steps = w->StepGrid();

    // No editor on the header row or the step-number column.
    steps.Row(1);
    steps.Col(0);
    w->MSFlexGrid1_Click();
    EXPECT_TRUE(w->txtOverlap2->isHidden());

    steps.Col(2);
    w->MSFlexGrid1_Click();
    ASSERT_FALSE(w->txtOverlap2->isHidden());
    EXPECT_EQ(w->txtOverlap2->text(), "200.");
    EXPECT_FALSE(w->SequenceChanged());
    w->txtOverlap2->setText("300");
    w->txtOverlap2_KeyDown(40, 0);  // down: commit, next row
    EXPECT_EQ(steps.TextMatrix(1, 2), "300");
    EXPECT_EQ(steps.Row(), 2);
    EXPECT_EQ(w->txtOverlap2->text(), "250.");
    EXPECT_FALSE(w->SequenceChanged());  // an arrow key alone marks nothing

    // Step 2's temperature below step 1's: its rate turns negative.
    w->txtOverlap2->setText("150");
    w->txtOverlap2_KeyDown('1', 0);
    EXPECT_TRUE(w->SequenceChanged());
    w->txtOverlap2_KeyDown(39, 0);  // right: commit, column 3
    EXPECT_EQ(steps.TextMatrix(2, colTemp), "150");
    EXPECT_EQ(steps.TextMatrix(2, colTempRate), "-10");
    EXPECT_EQ(steps.TextMatrix(3, colTempRate), "-10");  // 150 down to 100
    EXPECT_EQ(steps.Col(), 3);

    // At the edges nothing is written and the editor stays.
    steps.Row(3);
    steps.Col(10);
    w->MSFlexGrid1_Click();
    w->txtOverlap2->setText("1");
    w->txtOverlap2_KeyDown(39, 0);
    w->txtOverlap2_KeyDown(40, 0);
    EXPECT_EQ(steps.TextMatrix(3, 10), "0");
    EXPECT_FALSE(w->txtOverlap2->isHidden());
    w->txtOverlap2_KeyDown(37, 0);  // left: commit, column 9
    EXPECT_EQ(steps.TextMatrix(3, 10), "1");
    EXPECT_EQ(steps.Col(), 9);

    // Leaving the editor commits to its own cell, whatever is current now.
    w->txtOverlap2->setText("4");
    steps.Row(1);
    steps.Col(1);
    w->txtOverlap2_LostFocus();
    EXPECT_EQ(steps.TextMatrix(3, 9), "4");
    EXPECT_TRUE(w->txtOverlap2->isHidden());
    EXPECT_EQ(w->txtOverlap2->inputMask(), "####");
    EXPECT_EQ(steps.Row(), 1);
    EXPECT_EQ(steps.Col(), 1);

    // The ramp editor opens on column 0 too and writes as typed.
    FlexGridModel& ramp = w->RampDefineGrid();
    ramp.Row(3);
    ramp.Col(0);
    w->MSFlexGrid2_Click();
    ASSERT_FALSE(w->txtOverlap->isHidden());
    w->txtOverlap->setText("15");
    w->txtOverlap_KeyDown(38, 0);  // up: commit, row 2
    EXPECT_EQ(ramp.TextMatrix(3, 0), "15");
    EXPECT_EQ(w->txtOverlap->text(), "20");
    w->txtOverlap_KeyDown(37, 0);  // already in column 0
    EXPECT_EQ(ramp.Col(), 0);
    w->txtOverlap->setText("-3");
    w->txtOverlap_LostFocus();
    EXPECT_EQ(ramp.TextMatrix(2, 0), "-3");
}

TEST_F(Setup, EditorFollowsKeysAndFocus) {
    storeTwo();
    auto w = open();
    w->show();
    w->activateWindow();
    QApplication::processEvents();
    w->StepGrid().Row(1);
    w->StepGrid().Col(3);
    w->MSFlexGrid1_Click();
    ASSERT_EQ(QApplication::focusWidget(), w->txtOverlap2);

    auto press = [&](int key, const QString& text = QString()) {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(w->txtOverlap2, &down);
    };
    press(Qt::Key_Down);
    EXPECT_EQ(w->StepGrid().Row(), 2);
    EXPECT_FALSE(w->SequenceChanged());
    w->txtOverlap2->selectAll();
    press(Qt::Key_7, "7");
    EXPECT_TRUE(w->SequenceChanged());
    EXPECT_EQ(w->txtOverlap2->text(), "7");

    // Leaving the editor for a button commits the cell.
    w->cmdNew->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    EXPECT_TRUE(w->txtOverlap2->isHidden());
    EXPECT_EQ(w->StepGrid().TextMatrix(2, 3), "7");
}

TEST_F(Setup, StepBuilder) {
    storeTwo();
    auto w = open();
    w->cmdBuild_Click();
    EXPECT_FALSE(w->frameRamp->isHidden());
    w->txtTotalSteps->setText("abc");
    w->FillStepsFromEntry();
    EXPECT_EQ(dialogs.texts(), QStringList{"You must input the total number of steps."});
    EXPECT_FALSE(w->SequenceChanged());
    EXPECT_EQ(w->StepGrid().Rows(), 4);

    dialogs.clear();
    w->txtTotalSteps->setText("2");
    w->txtTemp->setText("150");
    w->txtSpeed->setText("300");
    w->txtCycle->setText("1");
    w->FillStepsFromEntry();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(w->frameRamp->isHidden());
    EXPECT_TRUE(w->SequenceChanged());
    ASSERT_EQ(w->StepGrid().Rows(), 3);
    EXPECT_EQ(row(w->StepGrid(), 2), (QStringList{"2", "0", "150", "0", "0.", "300.", "0", "0", "0", "1", "0"}));

    w->txtTempRate->setText("5");
    w->cmdCancel_Click();
    EXPECT_TRUE(w->frameRamp->isHidden());
    EXPECT_EQ(w->txtTotalSteps->text(), "");
    EXPECT_EQ(w->txtTemp->text(), "");
    EXPECT_EQ(w->txtTempRate->text(), "5");
    EXPECT_EQ(w->txtCycle->text(), "1");
}

TEST_F(Setup, InsertThroughItsDialog) {
    storeTwo();
    auto w = open();
    w->StepGrid().Row(2);

    ScriptedModal modal([](QDialog& d) {
        auto* dlg = qobject_cast<frmInsertStep*>(&d);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->windowTitle(), "Insert Step");
        EXPECT_EQ(dlg->txtStepNo->text(), "2");
        EXPECT_EQ(dlg->cmbBeforeAfter->currentText(), "before");
        EXPECT_EQ(dlg->Label1(4)->text(), "Speed (RPM)");
        EXPECT_EQ(dlg->lblTemp->text(), "Temp (°F)");
        dlg->txtTime->setText("10");
        dlg->txtTemp->setText("601");
        dlg->cmdOk_Click();  // refused: stays open
        EXPECT_TRUE(dlg->CancelInp());
        dlg->txtTemp->setText("150");
        dlg->txtcycle->setText("1");
        dlg->txtRunRamp->setText("0");
        dlg->txtShearrate->setText("300");
        dlg->cmbBeforeAfter->setCurrentIndex(1);
        dlg->cmbBeforeAfter_Click();
        dlg->cmdOk_Click();
    });
    w->cmdInsertStep_Click();
    EXPECT_EQ(modal.shown, 1);
    EXPECT_EQ(dialogs.texts(), QStringList{"Invalid temperature input"});
    EXPECT_EQ(dialogs.messages[0].title, "Temperature input out of range");
    const FlexGridModel& steps = w->StepGrid();
    ASSERT_EQ(steps.Rows(), 5);
    EXPECT_EQ(column(steps, 0), (QStringList{" 1", " 2", " 3", " 4"}));
    EXPECT_EQ(column(steps, colTemp), (QStringList{"200.", "250.", " 150", "100."}));
    EXPECT_EQ(steps.Col(), 0);
    EXPECT_TRUE(w->SequenceChanged());
}

TEST_F(Setup, CancelledInsertStillMarksAndTheStepLimit) {
    storeTwo();
    auto w = open();
    {
        ScriptedModal modal([](QDialog& d) { qobject_cast<frmInsertStep*>(&d)->cmdCancel_Click(); });
        w->cmdInsertStep_Click();
    }
    EXPECT_EQ(w->StepGrid().Rows(), 4);
    EXPECT_TRUE(w->SequenceChanged());

    // 997 steps take one more; 998 take none.
    w->StepGrid().Rows(998);
    {
        ScriptedModal modal([](QDialog& d) {
            auto* dlg = qobject_cast<frmInsertStep*>(&d);
            dlg->txtTemp->setText("100");
            dlg->txtcycle->setText("1");
            dlg->cmdOk_Click();
        });
        w->cmdInsertStep_Click();
        EXPECT_EQ(modal.shown, 1);
    }
    EXPECT_EQ(w->StepGrid().Rows(), 999);
    ScriptedModal none([](QDialog&) { ADD_FAILURE() << "no dialog expected"; });
    w->cmdInsertStep_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{"Maximum number of steps is 998."});
    EXPECT_EQ(dialogs.messages[0].title, "Too Many Test Steps.");
    EXPECT_EQ(w->StepGrid().Rows(), 999);
}

TEST_F(Setup, CopyAndPasteMarksTheSequenceChanged) {
    alpha = addSequence("Alpha");
    for (int i = 1; i <= 4; ++i) addStep(alpha, {double(i), double(i), 100.0 + i, 0, 0, 300, 1000, 0, 1, 1, 0});
    auto w = open();

    ScriptedModal modal([](QDialog& d) {
        auto* dlg = qobject_cast<frmCopyPaste*>(&d);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->cmbCopyfrom->count(), 4);
        EXPECT_EQ(dlg->cmbCopyfrom->itemText(0), " 1");
        EXPECT_EQ(dlg->cmbBeforeAfter->currentText(), "after");
        EXPECT_EQ(dlg->lblNewTemperature->text(), "Temperature(°F): ");
        dlg->cmbCopyfrom->setCurrentIndex(2);
        dlg->cmbCopyto->setCurrentIndex(1);
        dlg->cmdOk_Click();  // 3 to 2: refused
        dlg->cmbCopyfrom->setCurrentIndex(1);
        dlg->cmbCopyto->setCurrentIndex(2);
        dlg->cmbPasteto->setCurrentIndex(2);
        dlg->txtNewTemperature->setText("180");
        dlg->txtNewPressure->setText("2500");
        dlg->cmdOk_Click();
    });
    w->cmdCopySteps_Click();
    EXPECT_EQ(dialogs.texts(),
              QStringList{"Copied steps should be listed in order from lower to higher numbered steps"});
    const FlexGridModel& steps = w->StepGrid();
    EXPECT_EQ(column(steps, 1), (QStringList{"1.", "2.", "3.", "2.", "3.", "4."}));
    EXPECT_EQ(column(steps, colTemp), (QStringList{"101.", "102.", "103.", "180", "180", "104."}));
    EXPECT_EQ(column(steps, colPress), (QStringList{"1000", "1000", "1000", "2500", "2500", "1000"}));
    EXPECT_EQ(column(steps, 0), (QStringList{" 1", " 2", " 3", " 4", " 5", " 6"}));
    EXPECT_TRUE(w->SequenceChanged());

    // The paste is not lost silently: closing asks.
    dialogs.clear();
    dialogs.answers = {ui::vbCancel};
    w->cmdReturn_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{kChangedClose});
}

TEST_F(Setup, RangeDeleteMarksAndCancelChangesNothing) {
    alpha = addSequence("Alpha");
    for (int i = 1; i <= 5; ++i) addStep(alpha, {double(i), double(i), 100, 0, 0, 300, 0, 0, 1, 1, 0});
    auto w = open();

    {
        ScriptedModal modal([](QDialog& d) { qobject_cast<frmDeleteSteps*>(&d)->cmdCancel_Click(); });
        w->cmdDeleteSteps_Click();
    }
    EXPECT_EQ(w->StepGrid().Rows(), 6);
    EXPECT_FALSE(w->SequenceChanged());

    // A dialog closed without OK or Cancel counts as cancelled too.
    w->DeleteFrom = 2;
    w->DeleteTo = 3;
    {
        ScriptedModal modal([](QDialog&) {});
        w->cmdDeleteSteps_Click();
    }
    EXPECT_EQ(w->StepGrid().Rows(), 6);

    {
        ScriptedModal modal([](QDialog& d) {
            auto* dlg = qobject_cast<frmDeleteSteps*>(&d);
            ASSERT_NE(dlg, nullptr);
            EXPECT_EQ(dlg->windowTitle(), "Delete Multiple Steps");
            dlg->cmbDeletefrom->setCurrentIndex(3);
            dlg->cmbDeleteto->setCurrentIndex(1);
            dlg->cmdOk_Click();  // refused
            dlg->cmbDeletefrom->setCurrentIndex(1);
            dlg->cmbDeleteto->setCurrentIndex(2);
            dlg->cmdOk_Click();
        });
        w->cmdDeleteSteps_Click();
    }
    EXPECT_EQ(dialogs.texts(),
              QStringList{"Deleted steps should be listed in order from lower to higher numbered steps"});
    EXPECT_EQ(column(w->StepGrid(), 1), (QStringList{"1.", "4.", "5."}));
    EXPECT_EQ(column(w->StepGrid(), 0), (QStringList{" 1", " 2", " 3"}));
    EXPECT_TRUE(w->SequenceChanged());

    // The current step.
    w->StepGrid().Row(1);
    w->cmdDeleteStep_Click();
    EXPECT_EQ(column(w->StepGrid(), 1), (QStringList{"4.", "5."}));
}

TEST_F(Setup, SaveChecksOneCellAtATime) {
    storeTwo();
    auto w = open();
    w->StepGrid().TextMatrix(2, colTemp, "601");
    w->StepGrid().TextMatrix(3, colCycle, "0");
    w->MarkSequenceChanged();
    w->cmdSaveChange_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{"Temperature input out of range."});
    EXPECT_EQ(dialogs.messages[0].style, ui::vbOKOnly);
    EXPECT_EQ(dialogs.messages[0].title, ui::appTitle());
    // The editor opens on the failing cell; nothing is stored.
    ASSERT_FALSE(w->txtOverlap2->isHidden());
    EXPECT_EQ(w->txtOverlap2->text(), "601");
    EXPECT_EQ(w->StepGrid().Row(), 2);
    EXPECT_EQ(w->StepGrid().Col(), colTemp);
    EXPECT_TRUE(w->SequenceChanged());
    EXPECT_EQ(stepsOf(alpha)[1][1].toDouble(), 250);

    w->txtOverlap2->setText("260");
    w->txtOverlap2_LostFocus();
    dialogs.clear();
    w->cmdSaveChange_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{"Cycle no. input out of range."});
    EXPECT_EQ(w->StepGrid().Row(), 3);

    // Values no run can hold: the step grid's (its cell opened), then the ramp list's.
    w->StepGrid().TextMatrix(3, colCycle, "1e300");
    dialogs.clear();
    w->cmdSaveChange_Click();
    EXPECT_EQ(dialogs.texts(),
              QStringList{"Step 3: the cycle count 1E+300 is beyond what a run can hold (at most 10000)."});
    EXPECT_EQ(w->StepGrid().Col(), colCycle);
    EXPECT_EQ(w->txtOverlap2->text(), "1e300");
    w->txtOverlap2->setText("2");
    w->txtOverlap2_LostFocus();
    w->RampDefineGrid().TextMatrix(1, 0, "1e7");
    dialogs.clear();
    w->cmdSaveChange_Click();
    EXPECT_EQ(dialogs.texts(),
              QStringList{"Ramp step 1: the ramp time (sec) 10000000 is beyond what a run can hold (at most 4294967)."});
    EXPECT_TRUE(w->SequenceChanged());
    EXPECT_EQ(stepsOf(alpha)[1][1].toDouble(), 250);  // nothing stored
}

TEST_F(Setup, SaveStoresTheGridsByShearRate) {
    storeTwo();
    writeSettings({" 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", "CGS", "Kunit ,1", "SF ,1", "By the SR"});
    useUnits(1, true);
    auto w = open();
    FlexGridModel& steps = w->StepGrid();
    steps.TextMatrix(1, colTemp, "93.6");
    steps.TextMatrix(2, colSpeed, "1021.376");
    FlexGridModel& ramp = w->RampDefineGrid();
    ramp.TextMatrix(3, 0, "5");
    ramp.TextMatrix(3, 1, "10");
    ramp.TextMatrix(5, 0, "7");  // after a gap: not stored
    w->MarkSequenceChanged();
    w->cmdSaveChange_Click();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("\n").toStdString();
    EXPECT_FALSE(w->SequenceChanged());

    const auto stored = stepsOf(alpha);
    ASSERT_EQ(stored.size(), 3);
    EXPECT_EQ(stored[0][1].toDouble(), 94);
    EXPECT_NEAR(stored[0][4].toDouble(), 300, 0.001);  // 510.688 / factor
    EXPECT_DOUBLE_EQ(stored[0][4].toDouble(), 510.688 / w->BobSRFactor());
    EXPECT_NEAR(stored[1][4].toDouble(), 600, 0.001);
    const auto entries = rampEntriesOf(alpha);
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[2][0].toDouble(), 3);
    EXPECT_DOUBLE_EQ(entries[2][1].toDouble(), 10 / w->BobSRFactor());
    EXPECT_EQ(entries[2][2].toDouble(), 5);
    EXPECT_EQ(stored.size(), count("SELECT COUNT(*) FROM SEQUENCE_RAMP WHERE SEQUENCE_ID = ?", {alpha}));
    // The header row is written back as read.
    EXPECT_EQ(scalar("SELECT TIME_BEFORE_READ FROM SEQUENCE_INFO WHERE SEQUENCE_ID = ?", {alpha}).toDouble(), 25);
    EXPECT_EQ(scalar("SELECT SAMPLE_INTERVAL FROM SEQUENCE_INFO WHERE SEQUENCE_ID = ?", {alpha}).toInt(), 61);

    // An empty first time cell, or a single blank, leaves no entry: a step
    // flagged for a ramp is then refused and nothing is stored; without the
    // flag no entry is stored (none nobody typed).
    ramp.TextMatrix(1, 0, "");
    w->cmdSaveChange_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{"Step 1: the ramp flag is 1, but the sequence has no ramp entries."});
    EXPECT_EQ(rampEntriesOf(alpha).size(), 3);
    dialogs.clear();
    steps.TextMatrix(1, seqgrid::colRunRamp, "0");
    for (const char* ends : {"", " "}) {
        ramp.TextMatrix(1, 0, ends);
        w->cmdSaveChange_Click();
        EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("\n").toStdString();
        EXPECT_TRUE(rampEntriesOf(alpha).isEmpty());
    }

    // Without steps every stored step goes.
    steps.Rows(1);
    w->cmdSaveChange_Click();
    EXPECT_TRUE(stepsOf(alpha).isEmpty());
    EXPECT_EQ(stepsOf(beta).size(), 1);
}

TEST_F(Setup, NewSequence) {
    storeTwo();
    auto w = open();
    const QString forty(40, 'N');
    dialogs.inputs = {QString(41, 'N'), forty};
    w->cmdNew_Click();
    ASSERT_EQ(dialogs.inputRequests.size(), 2u);
    EXPECT_EQ(dialogs.inputRequests[0].prompt, "Please input new test sequence name:");
    EXPECT_EQ(dialogs.inputRequests[0].title, "Input New Test Sequence Name");
    EXPECT_EQ(dialogs.texts(), QStringList{"Sequence name too long,name lengh can not over 40\rinput again"});
    EXPECT_EQ(names(*w), (QStringList{"Alpha", "Beta", forty}));
    EXPECT_EQ(w->lstSeqName->currentRow(), 2);  // the new sequence is shown
    EXPECT_EQ(w->Store().mSeqId, idOf(forty));
    EXPECT_EQ(scalar("SELECT TIME_BEFORE_READ FROM SEQUENCE_INFO WHERE SEQUENCE_NAME = ?", {forty}).toDouble(), 20);
    EXPECT_EQ(scalar("SELECT SAMPLE_INTERVAL FROM SEQUENCE_INFO WHERE SEQUENCE_NAME = ?", {forty}).toInt(), 60);

    // A name that differs only in case: OK asks again, Cancel ends.
    dialogs.clear();
    dialogs.inputs = {QString("ALPHA"), QString("beta")};
    dialogs.answers = {ui::vbOK, ui::vbCancel};
    w->cmdNew_Click();
    EXPECT_EQ(dialogs.texts(), (QStringList{kDuplicate, kDuplicate}));
    EXPECT_EQ(dialogs.messages[0].style, ui::vbOKCancel);
    EXPECT_EQ(count("SELECT COUNT(*) FROM SEQUENCE_INFO"), 3);

    // An empty answer (Cancel) ends without a message.
    dialogs.clear();
    w->cmdNew_Click();
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(Setup, DuplicateCheckAfterAFailedLookup) {
    storeTwo();
    auto w = open();
    // A lookup that finds nothing leaves the record at its end.
    w->Store().mSeqInfo->SEQUENCE_NAME("Nothing");
    w->Store().mSeqInfo->GetSeqDetail();
    ASSERT_TRUE(w->Store().mSeqInfo->Eof());
    EXPECT_EQ(w->Check_Duplicate("alpha"), 1);
    EXPECT_EQ(w->Check_Duplicate("Gamma"), 0);

    // Copy As with no entry selected does such a lookup; a later New of a
    // stored name is still refused.
    w->lstSeqName->setCurrentRow(-1);
    dialogs.inputs = {QString("Gamma")};
    w->cmdSaveas_Click();
    ASSERT_EQ(count("SELECT COUNT(*) FROM SEQUENCE_INFO WHERE SEQUENCE_NAME = 'Gamma'"), 1);
    dialogs.clear();
    dialogs.inputs = {QString("Beta")};
    dialogs.answers = {ui::vbCancel};
    w->cmdNew_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{kDuplicate});
    EXPECT_EQ(count("SELECT COUNT(*) FROM SEQUENCE_INFO WHERE SEQUENCE_NAME = 'Beta'"), 1);
}

TEST_F(Setup, CopyAsStoresTheShownSequence) {
    storeTwo();
    auto w = open();
    w->StepGrid().TextMatrix(1, colTemp, "555");  // unstored: part of the copy
    dialogs.inputs = {QString("Alpha"), QString("Copy")};
    dialogs.answers = {ui::vbOK};
    w->cmdSaveas_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{kDuplicate});
    const int copy = idOf("Copy");
    ASSERT_NE(copy, 0);
    EXPECT_NE(copy, alpha);
    QList<QVariantList> shown = stepsOf(alpha);
    shown[0][1] = 555.0;
    EXPECT_EQ(stepsOf(copy).size(), 3);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(stepsOf(copy)[k].value(1).toDouble(), shown[k].value(1).toDouble()) << k;
    EXPECT_EQ(stepsOf(alpha)[0][1].toDouble(), 200);
    EXPECT_EQ(rampEntriesOf(copy), rampEntriesOf(alpha));
    EXPECT_EQ(scalar("SELECT TIME_BEFORE_READ FROM SEQUENCE_INFO WHERE SEQUENCE_ID = ?", {copy}).toDouble(), 25);
    EXPECT_EQ(scalar("SELECT SAMPLE_INTERVAL FROM SEQUENCE_INFO WHERE SEQUENCE_ID = ?", {copy}).toInt(), 61);
    EXPECT_EQ(names(*w), (QStringList{"Alpha", "Beta", "Copy"}));
    EXPECT_FALSE(w->SequenceChanged());

    // Too long a name ends silently.
    dialogs.clear();
    dialogs.inputs = {QString(41, 'x')};
    w->cmdSaveas_Click();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(count("SELECT COUNT(*) FROM SEQUENCE_INFO"), 3);
}

TEST_F(Setup, DeleteRemovesTheSequenceWithItsSteps) {
    storeTwo();
    auto w = open();
    dialogs.answers = {ui::vbCancel};
    w->cmdDelete_Click();
    EXPECT_EQ(count("SELECT COUNT(*) FROM SEQUENCE_INFO"), 2);

    dialogs.clear();
    w->cmdDelete_Click();  // Alpha, selected
    EXPECT_EQ(dialogs.texts(), QStringList{"Are you sure you want to delete this test setup and test results?"});
    EXPECT_EQ(names(*w), QStringList{"Beta"});
    EXPECT_EQ(w->Store().mSeqId, beta);
    EXPECT_EQ(count("SELECT COUNT(*) FROM SEQUENCE_RAMP WHERE SEQUENCE_ID = ?", {alpha}), 0);
    EXPECT_EQ(count("SELECT COUNT(*) FROM SEQUENCE_RAMP_DEFINE WHERE SEQUENCE_ID = ?", {alpha}), 0);
    EXPECT_EQ(stepsOf(beta).size(), 1);

    // A new sequence of the same name gets none of the old steps.
    dialogs.clear();
    dialogs.inputs = {QString("Alpha")};
    w->cmdNew_Click();
    EXPECT_NE(idOf("Alpha"), alpha);
    EXPECT_TRUE(stepsOf(idOf("Alpha")).isEmpty());
    EXPECT_EQ(w->StepGrid().Rows(), 1);

    // The last one: the list empties and Save has nothing to store into.
    w->cmdDelete_Click();
    w->lstSeqName->setCurrentRow(0);
    w->cmdDelete_Click();
    EXPECT_EQ(w->lstSeqName->count(), 0);
    EXPECT_EQ(w->Store().mSeqId, 0);
    dialogs.clear();
    w->cmdSaveChange_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{"Currently no valid sequence selected."});
    EXPECT_EQ(count("SELECT COUNT(*) FROM SEQUENCE_RAMP"), 0);
}

// A question at the list reload that keeps the unstored sequence keeps the
// sequence it is stored into: neither an import nor an export turns Save onto
// another sequence.
TEST_F(Setup, ImportAndExportLeaveSaveOnTheShownSequence) {
    storeTwo();
    auto w = open();
    editStep(*w, 1, colTemp, "222");

    // Import: the list reload asks, Yes keeps Alpha's edit in the grids.
    dialogs.files = {writeSequenceFile("Gamma")};
    dialogs.inputs = {QString("Gamma")};
    dialogs.answers = {ui::vbYes};
    w->cmdImport->click();
    EXPECT_EQ(dialogs.texts(), QStringList{kChangedList});
    const int gamma = idOf("Gamma");
    ASSERT_NE(gamma, 0);
    EXPECT_EQ(w->Store().mSeqId, alpha);

    // Export of another entry, selected after a question kept Alpha's edit.
    dialogs.clear();
    dialogs.answers = {ui::vbYes};
    w->lstSeqName->setCurrentRow(1);  // Beta
    ASSERT_EQ(w->lstSeqName->currentItem()->text(), "Beta");
    dialogs.answers = {ui::vbYes};
    dialogs.files = {tmp.dir() + "/beta.csv"};
    w->cmdExport->click();
    EXPECT_EQ(dialogs.texts(),
              (QStringList{kChangedList, "Are you sure you want to export the current sequence: Beta"}));
    EXPECT_EQ(w->Store().mSeqId, alpha);

    // Save stores the edit into Alpha and leaves the others as they were.
    dialogs.clear();
    w->cmdSaveChange_Click();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("\n").toStdString();
    EXPECT_EQ(stepsOf(alpha).value(0).value(1).toDouble(), 222);
    EXPECT_EQ(stepsOf(beta).size(), 1);
    EXPECT_EQ(stepsOf(beta).value(0).value(1).toDouble(), 150);
    EXPECT_EQ(stepsOf(gamma).size(), 1);
    EXPECT_EQ(stepsOf(gamma).value(0).value(1).toDouble(), 150);
    EXPECT_EQ(idOf("Gamma"), gamma);
    EXPECT_EQ(count("SELECT COUNT(*) FROM SEQUENCE_INFO WHERE SEQUENCE_NAME = 'Alpha'"), 1);
}

// Delete acts on the entry the list shows selected: with none selected, it
// deletes nothing. Copy As copies the sequence shown, selected or not.
TEST_F(Setup, CopyAsAndDeleteTakeTheSelectedEntryOnly) {
    storeTwo();
    auto w = open();
    ASSERT_EQ(w->lstSeqName->currentRow(), 0);
    w->lstSeqName->currentItem()->setSelected(false);  // as a Ctrl+click leaves it

    w->cmdDelete_Click();
    EXPECT_EQ(count("SELECT COUNT(*) FROM SEQUENCE_INFO"), 2);
    EXPECT_EQ(stepsOf(alpha).size(), 3);

    w->lstSeqName->currentItem()->setSelected(false);
    dialogs.clear();
    dialogs.inputs = {QString("Copy")};
    w->cmdSaveas_Click();
    // The copy has the run settings of the sequence shown (Alpha's).
    EXPECT_EQ(scalar("SELECT TIME_BEFORE_READ FROM SEQUENCE_INFO WHERE SEQUENCE_NAME = 'Copy'").toDouble(), 25);
}

// A mouse click on the entry already selected picks it again (the answer to
// the question decides), also when the entry was selected by the window
// itself or by the keyboard; a click on another entry picks it once.
TEST_F(Setup, ClickOnTheSelectedEntryPicksIt) {
    storeTwo();
    auto w = open();
    w->show();
    QApplication::processEvents();
    editStep(*w, 1, colTemp, "222");

    dialogs.answers = {ui::vbNo};
    clickEntry(*w, 0);
    EXPECT_EQ(dialogs.texts(), QStringList{kChangedList});
    EXPECT_EQ(w->StepGrid().TextMatrix(1, colTemp), "200.");
    EXPECT_FALSE(w->SequenceChanged());

    // Another entry: one question, Yes keeps the edit; a second click on the
    // same entry asks again and No loads it.
    editStep(*w, 1, colTemp, "222");
    dialogs.clear();
    dialogs.answers = {ui::vbYes};
    clickEntry(*w, 1);
    EXPECT_EQ(dialogs.texts(), QStringList{kChangedList});
    EXPECT_EQ(w->Store().mSeqId, alpha);
    dialogs.clear();
    dialogs.answers = {ui::vbNo};
    clickEntry(*w, 1);
    EXPECT_EQ(dialogs.texts(), QStringList{kChangedList});
    EXPECT_EQ(w->Store().mSeqId, beta);
}

// The preview is drawn when a picked sequence is loaded (also by the list
// reload after an import) and by Update Chart, from the grids as they stand.
TEST_F(Setup, PreviewFollowsPickedSequencesAndUpdateChart) {
    storeTwo();
    auto w = open();
    const int alphaPoints = w->Pesgo1->points();
    EXPECT_GT(alphaPoints, 1);

    w->lstSeqName->setCurrentRow(1);  // Beta: one step at 150 °F, no ramps
    EXPECT_EQ(w->Pesgo1->points(), 2);
    EXPECT_EQ(w->Pesgo1->yData(1, 1), 150.0f);

    // An edit shows after Update Chart only.
    editStep(*w, 1, colTemp, "160");
    EXPECT_EQ(w->Pesgo1->yData(1, 1), 150.0f);
    w->cmdUpdateChart->click();
    EXPECT_EQ(w->Pesgo1->yData(1, 1), 160.0f);

    // An import reloads the list, which loads and draws its first entry.
    dialogs.files = {writeSequenceFile("Gamma")};
    dialogs.inputs = {QString("Gamma")};
    dialogs.answers = {ui::vbNo};
    w->cmdImport->click();
    EXPECT_EQ(w->Store().mSeqId, alpha);
    EXPECT_EQ(w->Pesgo1->points(), alphaPoints);
}

TEST_F(Setup, SettingsTabSavesTheSettingsFile) {
    auto w = open();
    w->MarkSequenceChanged();
    w->cmbUnit[3]->setCurrentIndex(5);
    w->txtSF->setText("");  // an empty box is the size 1
    w->cmdSave_Click();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("\n").toStdString();
    EXPECT_EQ(settingsLines(), (QStringList{" 1 ", " 2 ", " 5 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", "CGS", "Kunit ,1",
                                            "SF ,1", "BY the Speed"}));
    EXPECT_TRUE(w->SequenceChanged());  // the settings store no step

    // Two units on one port are refused; two at "None" are not.
    w->cmbUnit[4]->setCurrentIndex(2);
    w->cmdSave_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{"This comm port is already in use, please choose another."});
    EXPECT_EQ(settingsLines().value(3), " 0 ");

    // A unit change asks first; Cancel writes nothing and forgets the change.
    dialogs.clear();
    w->cmbUnit[4]->setCurrentIndex(0);
    w->OptSI->setChecked(true);
    w->OptSI_Click();
    EXPECT_TRUE(w->UnitChanged());
    dialogs.answers = {ui::vbCancel};
    w->cmdSave_Click();
    EXPECT_EQ(dialogs.messages.at(0).title, "Change Unit!");
    EXPECT_FALSE(w->UnitChanged());
    EXPECT_EQ(settingsLines().value(8), "CGS");
    dialogs.clear();
    w->txtSF->setText("1.25");
    w->cmdSave_Click();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(settingsLines().value(8), "SI");
    EXPECT_EQ(settingsLines().value(10), "SF ,1.25");
    EXPECT_EQ(gSF, 1.25);
    EXPECT_EQ(gUnitSystem, 1);  // from the next start
}

}  // namespace
