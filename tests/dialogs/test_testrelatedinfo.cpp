// The test information dialog: its load (with and without a bob file), the
// bob and piston tables, the start checks and their messages, the additive
// rows a caller stores, the cell editor, the pick list and the copy from a
// stored test.

#include "data/clsTEST_ADDITIVE.h"
#include "dialogs/frmTestRelatedInfo.h"
#include "platform/FlexGrid.h"
#include "data/StoredTestsFixture.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSqlQuery>
#include <QApplication>
#include <QPushButton>
#include <QTimer>

using testing_support::StoredTestsFixture;

namespace {

class TestRelatedInfo : public StoredTestsFixture {
protected:
    void writeBobFile(const QByteArray& content) {
        QFile f(tmp.dir() + "/BOBINFO.TXT");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    // A dialog filled so that every start check passes.
    std::unique_ptr<frmTestRelatedInfo> validDialog() {
        auto dlg = std::make_unique<frmTestRelatedInfo>(&conn);
        dlg->txtTestName->setText("New test");
        dlg->txtBobNo->setText("B1");
        return dlg;
    }
    FlexGridModel& additives(frmTestRelatedInfo& dlg) { return *dlg.MSFlexGrid1->gridModel(); }
};

TEST_F(TestRelatedInfo, LoadsFullyWithoutABobFile) {
    addTest("Stored");
    frmTestRelatedInfo dlg(&conn);

    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("\n").toStdString();
    EXPECT_TRUE(dlg.Cancelled);
    EXPECT_EQ(dlg.txtBobNo->text(), "");
    EXPECT_EQ(dlg.txtBobRadius->text(), "");
    EXPECT_FALSE(dlg.txtBobRadius->isEnabled());
    EXPECT_EQ(dlg.txtBobLength->text(), "3.800");
    EXPECT_EQ(dlg.txtRotoNo->text(), "R1");
    EXPECT_EQ(dlg.txtPreTestPH->text(), "7.0");
    EXPECT_EQ(dlg.txtPostTestPH->text(), "7.0");
    EXPECT_EQ(dlg.txtResearchName->text(), "Unknown");
    EXPECT_EQ(dlg.txtTestName->text(), "");
    EXPECT_FALSE(dlg.txtTestDate->text().isEmpty());
    EXPECT_TRUE(dlg.cmbCell->isHidden());
    EXPECT_TRUE(dlg.Label2->isHidden());
    EXPECT_TRUE(dlg.txtOverlap->isHidden());
    EXPECT_TRUE(dlg.Gridcopy->isHidden());

    // The rest of the load ran: the additive grid is set up and the stored
    // tests are listed, so the duplicate check works.
    const FlexGridModel& grid = additives(dlg);
    EXPECT_EQ(grid.Rows(), 21);
    EXPECT_EQ(grid.Cols(), 4);
    EXPECT_EQ(grid.TextMatrix(0, 0), "Additive Name");
    EXPECT_EQ(grid.TextMatrix(0, 3), "Lot Number");
    EXPECT_EQ(grid.RowHeight(0), 400);
    EXPECT_EQ(grid.ColWidth(2), 1600);
    EXPECT_EQ(dlg.StoredNames(), QStringList{"Stored"});

    dlg.txtTestName->setText("stored");
    dlg.txtBobNo->setText("B1");
    dlg.cmdOk_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{"Duplicate test name. Please enter a unique test name."});
}

TEST_F(TestRelatedInfo, TakesTheBobOfTheBobFile) {
    struct Case {
        QByteArray file;
        QString bob;
        QString radius;
    } cases[] = {
        {"B2\r\n", "B2", "1.2276"},
        {"  \"b5\", 3\r\n", "b5", "1.5987"},  // quotes removed; the lookup ignores letter case
        {"B9\r\n", "B9", ""},
        {"", "", ""},  // an empty file is like a missing one
    };
    for (const Case& c : cases) {
        writeBobFile(c.file);
        frmTestRelatedInfo dlg(&conn);
        EXPECT_EQ(dlg.txtBobNo->text(), c.bob) << c.file.constData();
        EXPECT_EQ(dlg.txtBobRadius->text(), c.radius) << c.file.constData();
        EXPECT_EQ(additives(dlg).Rows(), 21);
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(TestRelatedInfo, ABobFileThatCannotBeReadIsReportedAndTheLoadGoesOn) {
    ASSERT_TRUE(QDir(tmp.dir()).mkdir("BOBINFO.TXT"));
    frmTestRelatedInfo dlg(&conn);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.texts()[0].startsWith("ERROR: 75, ")) << dialogs.texts()[0].toStdString();
    EXPECT_EQ(dlg.txtBobNo->text(), "");
    EXPECT_EQ(additives(dlg).Rows(), 21);
}

TEST_F(TestRelatedInfo, ADatabaseFailureEndsTheLoadWithItsMessage) {
    clsConnection closed;  // never opened
    frmTestRelatedInfo dlg(&closed);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.texts()[0].startsWith("ERROR: 3704, ")) << dialogs.texts()[0].toStdString();
    EXPECT_EQ(additives(dlg).Rows(), 21);  // set up before the database is touched
    EXPECT_TRUE(dlg.StoredNames().isEmpty());
    EXPECT_TRUE(dlg.Cancelled);
}

TEST_F(TestRelatedInfo, BobLookupIgnoresLetterCaseAndKeepsUnknownBobs) {
    frmTestRelatedInfo dlg(&conn);
    dlg.txtBobNo->setText("b2");
    EXPECT_EQ(dlg.txtBobRadius->text(), "1.2276");
    EXPECT_EQ(dlg.txtBobLength->text(), "3.800");
    dlg.txtBobNo->setText("B4");
    EXPECT_EQ(dlg.txtBobRadius->text(), "0.8622");
    EXPECT_EQ(dlg.txtBobLength->text(), "3.810");
    for (const char* other : {"B6", "PVT", "LSM"}) {
        dlg.txtBobNo->setText(other);
        EXPECT_EQ(dlg.txtBobRadius->text(), "0.8622");
        EXPECT_EQ(dlg.txtBobLength->text(), "3.810");
    }
}

TEST_F(TestRelatedInfo, ChoosingAPistonFillsCellLengthAndRadius) {
    frmTestRelatedInfo dlg(&conn);
    dlg.cmbCell->show();
    dlg.cmbCell->clear();
    dlg.cmbCell->addItem("Large piston");
    dlg.cmbCell->addItem("Small piston");
    dlg.cmbCell->setCurrentIndex(1);
    EXPECT_EQ(dlg.txtPostTestPH->text(), "3.875");
    EXPECT_EQ(dlg.txtRotoNo->text(), "0.7239");
    dlg.cmbCell->setCurrentIndex(0);
    EXPECT_EQ(dlg.txtPostTestPH->text(), "4.0");
    EXPECT_EQ(dlg.txtRotoNo->text(), "2.4772389");
}

// The PVT window fills the piston list and chooses an entry only when its
// operator has chosen a piston: adding the entries chooses none, so the piston
// values stay as loaded, Start asks for a piston, and a copy makes no piston
// check.
TEST_F(TestRelatedInfo, AddingThePistonEntriesChoosesNone) {
    addTest("Small", "PVT", "2024-02-01 08:00:00", "F", "", "0.7239", 10, 1.1, 2.48777e-06, 3.875);
    frmTestRelatedInfo dlg(&conn);
    dlg.show();
    dlg.txtTestName->setText("New PVT");
    dlg.txtBobNo->setText("PVT");
    dlg.txtBobRadius->setText("10");
    dlg.txtBobLength->setText("1.2");
    dlg.cmbCell->show();
    dlg.cmbCell->clear();
    dlg.cmbCell->addItem("Large piston");
    dlg.cmbCell->addItem("Small piston");
    EXPECT_EQ(dlg.cmbCell->currentIndex(), -1);
    EXPECT_EQ(dlg.txtRotoNo->text(), "R1");
    EXPECT_EQ(dlg.txtPostTestPH->text(), "7.0");

    dlg.cmdOk_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{"Please choose a piston type"});
    EXPECT_TRUE(dlg.Cancelled);
    EXPECT_TRUE(dlg.isVisible());

    dialogs.clear();
    dlg.txtCopyFrom->setText("Small");
    dlg.cmdCopy_Click();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("|").toStdString();
    EXPECT_EQ(dlg.txtRotoNo->text(), "0.7239");  // copied: no piston to compare with

    dlg.cmbCell->setCurrentIndex(0);  // the operator's choice fills the piston values
    EXPECT_EQ(dlg.txtRotoNo->text(), "2.4772389");
    EXPECT_EQ(dlg.txtPostTestPH->text(), "4.0");
}

TEST_F(TestRelatedInfo, EveryStartCheckShowsItsMessageAndKeepsTheDialogOpen) {
    addTest("Alpha");
    struct Case {
        const char* what;
        std::function<void(frmTestRelatedInfo&)> set;
        QString message;  // empty: the start passes
    };
    const QString longText51 = QString(51, 'n');
    const Case cases[] = {
        {"stored name in other case", [](auto& d) { d.txtTestName->setText("aLPHA"); },
         "Duplicate test name. Please enter a unique test name."},
        {"empty name", [](auto& d) { d.txtTestName->clear(); }, "Please enter a unique test name for valid input."},
        {"51-character name", [&](auto& d) { d.txtTestName->setText(longText51); },
         "Test name cannot have more than 50 characters"},
        {"50-character name", [](auto& d) { d.txtTestName->setText(QString(50, 'n')); }, ""},
        {"empty bob", [](auto& d) { d.txtBobNo->clear(); }, "Please enter a Test Type or Bob no."},
        {"PVT without volume",
         [](auto& d) {
             d.txtBobNo->setText("PVT");
             d.txtBobRadius->clear();
         },
         "Please enter an initial volume"},
        {"PVT without density",
         [](auto& d) {
             d.txtBobNo->setText("PVT");
             d.txtBobRadius->setText("10");
             d.txtBobLength->clear();
         },
         "Please enter an initial density"},
        {"PVT without piston",
         [](auto& d) {
             d.txtBobNo->setText("PVT");
             d.txtBobRadius->setText("10");
             d.txtBobLength->setText("1.2");
             d.cmbCell->addItems({"Large piston", "Small piston"});
             d.cmbCell->setCurrentIndex(-1);
         },
         "Please choose a piston type"},
        {"PVT complete",
         [](auto& d) {
             d.txtBobNo->setText("PVT");
             d.txtBobRadius->setText("10");
             d.txtBobLength->setText("1.2");
             d.cmbCell->addItems({"Large piston", "Small piston"});
             d.cmbCell->setCurrentIndex(1);
         },
         ""},
        {"lower-case pvt skips the PVT checks",
         [](auto& d) {
             d.txtBobNo->setText("pvt");
             d.txtBobRadius->clear();
             d.txtBobLength->clear();
         },
         ""},
        {"251-character description", [](auto& d) { d.txtSAFETY->setPlainText(QString(251, 'd')); },
         "Description cannot have more than 250 characters"},
        {"250-character description", [](auto& d) { d.txtSAFETY->setPlainText(QString(250, 'd')); }, ""},
        {"41-character additive below an empty row",
         [](auto& d) { d.MSFlexGrid1->TextMatrix(5, 0, QString(41, 'a')); },
         "Too long. cannot have more than 40 characters"},
        {"40-character additive", [](auto& d) { d.MSFlexGrid1->TextMatrix(1, 0, QString(40, 'a')); }, ""},
        // The texts stored in columns of 50: refused while the dialog is open, field named.
        {"51-character fluid ID", [&](auto& d) { d.txtFluidId->setText(longText51); },
         "Fluid ID cannot have more than 50 characters"},
        {"50-character fluid ID", [](auto& d) { d.txtFluidId->setText(QString(50, 'f')); }, ""},
        {"51-character researcher", [&](auto& d) { d.txtResearchName->setText(longText51); },
         "Researcher name cannot have more than 50 characters"},
        {"51-character rotor", [&](auto& d) { d.txtRotoNo->setText(longText51); },
         "Rotor no. cannot have more than 50 characters"},
        {"51-character bob", [&](auto& d) { d.txtBobNo->setText(longText51); },
         "Bob no. cannot have more than 50 characters"},
        {"51-character additive lot",
         [&](auto& d) {
             d.MSFlexGrid1->TextMatrix(1, 0, "Salt");
             d.MSFlexGrid1->TextMatrix(1, 3, longText51);
         },
         "Additive lot number cannot have more than 50 characters (additive line 1)"},
    };
    for (const Case& c : cases) {
        dialogs.clear();
        auto dlg = validDialog();
        dlg->show();
        c.set(*dlg);
        dlg->cmdOk_Click();
        if (c.message.isEmpty()) {
            EXPECT_TRUE(dialogs.messages.empty()) << c.what << ": " << dialogs.texts().join("|").toStdString();
            EXPECT_FALSE(dlg->Cancelled) << c.what;
            EXPECT_TRUE(dlg->isHidden()) << c.what;
        } else {
            ASSERT_EQ(dialogs.messages.size(), 1u) << c.what;
            EXPECT_EQ(dialogs.messages[0].prompt, c.message) << c.what;
            EXPECT_EQ(dialogs.messages[0].style, ui::vbOKOnly) << c.what;
            EXPECT_EQ(dialogs.messages[0].title, ui::appTitle()) << c.what;
            EXPECT_TRUE(dlg->Cancelled) << c.what;
            EXPECT_TRUE(dlg->isVisible()) << c.what;
        }
    }
}

TEST_F(TestRelatedInfo, CancelAndClosingTheWindowBothCountAsCancel) {
    auto dlg = validDialog();
    dlg->show();
    dlg->cmdCancel_Click();
    EXPECT_TRUE(dlg->Cancelled);
    EXPECT_TRUE(dlg->isHidden());

    auto closed = validDialog();
    closed->show();
    closed->txtTestName->clear();
    closed->cmdOk_Click();  // refused: stays open
    EXPECT_TRUE(closed->isVisible());
    closed->close();
    EXPECT_TRUE(closed->isHidden());
    EXPECT_TRUE(closed->Cancelled);
}

TEST_F(TestRelatedInfo, AdditivesAreStoredDownToTheFirstEmptyName) {
    const int id = addTest("Owner");
    auto dlg = validDialog();
    FlexGridModel& grid = additives(*dlg);
    grid.TextMatrix(1, 0, "Salt");
    grid.TextMatrix(1, 1, "2.5");
    grid.TextMatrix(1, 2, "%");
    grid.TextMatrix(1, 3, "L7");
    grid.TextMatrix(2, 0, "Clay");
    grid.TextMatrix(2, 1, "");  // no concentration: 0
    grid.TextMatrix(4, 0, "Lost");
    dlg->cmdOk_Click();
    ASSERT_FALSE(dlg->Cancelled);

    const auto rows = dlg->AdditiveRows();
    ASSERT_EQ(rows.size(), 2);
    clsTEST_ADDITIVE records;
    records.ConnectX(&conn);
    testinfo::AddAdditives(records, id, rows);
    EXPECT_EQ(additivesOf(id), (QStringList{"Salt|2.5|%|L7", "Clay|0||"}));
}

TEST_F(TestRelatedInfo, CellEditorWritesBackAndRefusesLongTexts) {
    frmTestRelatedInfo dlg(&conn);
    FlexGridModel& grid = additives(dlg);

    grid.Row(0);  // the header is not edited
    dlg.MSFlexGrid1_Click();
    EXPECT_TRUE(dlg.txtOverlap->isHidden());

    grid.Row(3);
    grid.Col(0);
    dlg.MSFlexGrid1_Click();
    ASSERT_FALSE(dlg.txtOverlap->isHidden());
    dlg.txtOverlap->setText(QString(51, 'x'));
    dlg.txtOverlap_LostFocus();
    EXPECT_EQ(dialogs.texts(), QStringList{"Cannot have more than 50 characters"});
    EXPECT_FALSE(dlg.txtOverlap->isHidden());  // stays with its text
    EXPECT_EQ(dlg.txtOverlap->text(), QString(51, 'x'));
    EXPECT_EQ(grid.TextMatrix(3, 0), "");

    dlg.txtOverlap->setText(QString(45, 'x'));  // passes the editor, refused at start
    dlg.txtOverlap_LostFocus();
    EXPECT_TRUE(dlg.txtOverlap->isHidden());
    EXPECT_EQ(grid.TextMatrix(3, 0), QString(45, 'x'));

    grid.Row(2);
    grid.Col(1);  // the concentration has no limit in the editor
    dlg.MSFlexGrid1_Click();
    dlg.txtOverlap->setText(QString(80, '9'));
    dlg.txtOverlap_LostFocus();
    EXPECT_EQ(grid.TextMatrix(2, 1), QString(80, '9'));
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(TestRelatedInfo, StartCommitsAnEditStillOpenInTheGrid) {
    auto dlg = validDialog();
    FlexGridModel& grid = additives(*dlg);
    grid.Row(1);
    grid.Col(0);
    dlg->MSFlexGrid1_Click();
    dlg->txtOverlap->setText("Barite");
    dlg->cmdOk_Click();
    EXPECT_FALSE(dlg->Cancelled);
    EXPECT_EQ(grid.TextMatrix(1, 0), "Barite");
}

TEST_F(TestRelatedInfo, CopyTakesAStoredTestsInformationAndAdditives) {
    const int id = addTest("Source", "B2", "2024-02-01 08:00:00", "Mud 7", "  notes  ", "R2", 1.2, 3.7, 8.5, 9.5);
    addAdditive(id, "Salt", 2.5);
    addAdditive(id, "Clay", -1.5, "g", "L2");
    addAdditive(id, "Lime", 0);

    frmTestRelatedInfo dlg(&conn);
    dlg.txtTestName->setText("Mine");
    FlexGridModel& grid = additives(dlg);
    for (int r = 1; r <= 5; ++r) grid.TextMatrix(r, 0, QString("hand %1").arg(r));

    dlg.txtCopyFrom->setText("Source");
    dlg.cmdCopy_Click();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("|").toStdString();
    EXPECT_EQ(dlg.txtTestName->text(), "Mine");
    EXPECT_EQ(dlg.txtFluidId->text(), "Mud 7");
    EXPECT_EQ(dlg.txtBobNo->text(), "B2");
    EXPECT_EQ(dlg.txtRotoNo->text(), "R2");
    EXPECT_EQ(dlg.txtBobRadius->text(), "1.2");  // stored values, not the table's
    EXPECT_EQ(dlg.txtBobLength->text(), "3.7");
    EXPECT_EQ(dlg.txtPreTestPH->text(), "8.5");
    EXPECT_EQ(dlg.txtPostTestPH->text(), "7.0");  // only a swell test's is copied
    EXPECT_EQ(dlg.txtResearchName->text(), "Res");
    EXPECT_EQ(dlg.txtSAFETY->toPlainText(), "  notes  ");

    EXPECT_EQ(grid.TextMatrix(1, 0), "Salt");
    EXPECT_EQ(grid.TextMatrix(1, 1), " 2.5");
    EXPECT_EQ(grid.TextMatrix(2, 1), "-1.5");
    EXPECT_EQ(grid.TextMatrix(2, 2), "g");
    EXPECT_EQ(grid.TextMatrix(2, 3), "L2");
    EXPECT_EQ(grid.TextMatrix(3, 1), " 0");
    EXPECT_EQ(grid.TextMatrix(4, 0), "hand 4");
    EXPECT_EQ(grid.TextMatrix(5, 0), "hand 5");
}

TEST_F(TestRelatedInfo, CopyOfASwellTestKeepsTheSampleLength) {
    addTest("Swell", "LSM", "2024-02-01 08:00:00", "", "", "15", 20, 1.25, 40, 500);
    frmTestRelatedInfo dlg(&conn);
    dlg.txtBobNo->setText("LSM");
    dlg.txtBobLength->setText("0.75");
    dlg.txtCopyFrom->setText("Swell");
    dlg.cmdCopy_Click();
    EXPECT_EQ(dlg.txtBobLength->text(), "0.75");
    EXPECT_EQ(dlg.txtPostTestPH->text(), "500");
    EXPECT_EQ(dlg.txtPreTestPH->text(), "40");
    EXPECT_EQ(dlg.txtRotoNo->text(), "15");
}

TEST_F(TestRelatedInfo, CopyRefusals) {
    addTest("Small", "PVT", "2024-02-01 08:00:00", "F", "", "0.7239", 10, 1.1, 2.48777e-06, 3.875);
    frmTestRelatedInfo dlg(&conn);

    dlg.txtCopyFrom->setText("small");  // the copy compares names exactly
    dlg.cmdCopy_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{"Your test sequence name is not found.  Please try again."});

    dialogs.clear();
    dlg.txtBobNo->setText("PVT");
    dlg.cmbCell->addItems({"Large piston", "Small piston"});
    dlg.cmbCell->setCurrentIndex(0);
    dlg.txtCopyFrom->setText("Small");
    dlg.cmdCopy_Click();
    EXPECT_EQ(dialogs.texts(),
              QStringList{"The selected test was conducted using a different piston size than that indicated on the "
                          "main test page."});
    EXPECT_EQ(dlg.txtFluidId->text(), "F");  // copied before the check
    EXPECT_EQ(dlg.txtRotoNo->text(), "2.4772389");  // not copied
}

TEST_F(TestRelatedInfo, PickListListsTheStoredTestsAndPickingCopies) {
    addTest("Older", "B1", "2024-01-01 10:00:00", "F1");
    addTest("Newer", "PVT", "2024-03-01 10:00:00", "F2");
    frmTestRelatedInfo dlg(&conn);
    dlg.txtBobNo->setText("B1");

    dlg.cmdPick_Click();
    dlg.cmdPick_Click();  // rebuilt, not doubled
    const FlexGridModel& pick = *dlg.Gridcopy->gridModel();
    EXPECT_FALSE(dlg.Gridcopy->isHidden());
    ASSERT_EQ(pick.Rows(), 2);
    EXPECT_EQ(pick.TextMatrix(0, 0), "Newer");  // no header: row 0 is the newest
    EXPECT_EQ(pick.TextMatrix(0, 3), "PVT");
    EXPECT_EQ(pick.TextMatrix(1, 0), "Older");

    // Another test kind: asked first; Cancel keeps the list.
    dlg.Gridcopy->gridModel()->Row(0);
    dialogs.answers.push_back(ui::vbCancel);
    dlg.Gridcopy_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{"Are you sure you want to select this test type?"});
    EXPECT_EQ(dialogs.messages[0].style, ui::vbOKCancel);
    EXPECT_FALSE(dlg.Gridcopy->isHidden());
    EXPECT_EQ(dlg.txtCopyFrom->text(), "");

    // The same kind: no question; the list hides and the copy runs.
    dialogs.clear();
    dlg.Gridcopy->gridModel()->Row(1);
    dlg.Gridcopy_Click();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(dlg.Gridcopy->isHidden());
    EXPECT_EQ(dlg.txtCopyFrom->text(), "Older");
    EXPECT_EQ(dlg.txtFluidId->text(), "F1");
}

}  // namespace

namespace {

// The caller's protocol with a real modal show: the start button's hide ends
// exec(). A timer closes the dialog should it ever stay up.
TEST_F(TestRelatedInfo, ModalShowReturnsWhenStartHidesTheDialog) {
    frmTestRelatedInfo dlg(&conn);
    dlg.setWindowTitle("Input Test Information");
    QTimer::singleShot(0, &dlg, [&] {
        dlg.txtTestName->setText("Run 1");
        dlg.txtBobNo->setText("B5");
        dlg.cmdOk->click();
    });
    QTimer::singleShot(5000, &dlg, &QDialog::reject);
    dlg.exec();
    EXPECT_FALSE(dlg.Cancelled);
    EXPECT_EQ(dlg.txtBobRadius->text(), "1.5987");  // the hidden dialog stays readable
}

// Leaving the cell editor for another control commits it.
TEST_F(TestRelatedInfo, LeavingTheCellEditorCommitsIt) {
    frmTestRelatedInfo dlg(&conn);
    dlg.show();
    dlg.activateWindow();
    QApplication::setActiveWindow(&dlg);
    FlexGridModel& grid = additives(dlg);
    grid.Row(4);
    grid.Col(2);
    dlg.MSFlexGrid1_Click();
    ASSERT_FALSE(dlg.txtOverlap->isHidden());
    EXPECT_EQ(dlg.txtOverlap->geometry().topLeft(),
              dlg.MSFlexGrid1->geometry().topLeft() + dlg.MSFlexGrid1->CellRect().topLeft());
    dlg.txtOverlap->setText("kg/m3");
    dlg.txtFluidId->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_TRUE(dlg.txtOverlap->isHidden());
    EXPECT_EQ(grid.TextMatrix(4, 2), "kg/m3");
}

}  // namespace

namespace {

// Tab moves through the additive grid cell by cell, row by row, writing each
// cell back; after the last cell it leaves the grid. Nothing typed for the
// next additive lands in Test Name.
TEST_F(TestRelatedInfo, TabMovesCellByCellAndLeavesAfterTheLast) {
    frmTestRelatedInfo dlg(&conn);
    dlg.show();
    dlg.activateWindow();
    QApplication::setActiveWindow(&dlg);
    QApplication::processEvents();
    FlexGridModel& grid = additives(dlg);
    const auto tab = [&](bool back = false) {
        QKeyEvent k(QEvent::KeyPress, back ? Qt::Key_Backtab : Qt::Key_Tab,
                    back ? Qt::ShiftModifier : Qt::NoModifier);
        QApplication::sendEvent(QApplication::focusWidget(), &k);
        QApplication::processEvents();
    };
    const auto at = [&] { return std::make_pair(dlg.MSFlexGrid1->Row(), dlg.MSFlexGrid1->Col()); };
    grid.Row(1);
    grid.Col(0);
    dlg.MSFlexGrid1_Click();
    ASSERT_EQ(QApplication::focusWidget(), dlg.txtOverlap);
    const QStringList typed{"Guar", "30", "ppt", "G-17"};
    for (const QString& t : typed) {
        dlg.txtOverlap->setText(t);
        tab();
    }
    for (int c = 0; c < 4; ++c) EXPECT_EQ(grid.TextMatrix(1, c), typed[c]);
    EXPECT_EQ(at(), std::make_pair(2, 0));  // on to the next additive
    EXPECT_EQ(QApplication::focusWidget(), dlg.txtOverlap);
    tab(true);
    EXPECT_EQ(at(), std::make_pair(1, 3));
    EXPECT_EQ(dlg.txtOverlap->text(), "G-17");

    // A refused text keeps its cell open.
    dlg.txtOverlap->setText(QString(51, 'x'));
    tab();
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_FALSE(dlg.txtOverlap->isHidden());
    EXPECT_EQ(grid.TextMatrix(1, 3), "G-17");
    dlg.txtOverlap->setText("G-18");

    // From the last cell Tab leaves the grid.
    grid.Row(grid.Rows() - 1);
    grid.Col(grid.Cols() - 1);
    dlg.MSFlexGrid1_Click();
    dlg.txtOverlap->setText("L-9");
    tab();
    EXPECT_TRUE(dlg.txtOverlap->isHidden());
    EXPECT_EQ(grid.TextMatrix(grid.Rows() - 1, grid.Cols() - 1), "L-9");
    EXPECT_NE(QApplication::focusWidget(), dlg.MSFlexGrid1);
    EXPECT_EQ(dlg.txtTestName->text(), "");
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

// Opening another cell writes the open one back first; coming back to a cell
// whose text was refused keeps that text for editing.
TEST_F(TestRelatedInfo, OpeningAnotherCellCommitsTheOpenOne) {
    frmTestRelatedInfo dlg(&conn);
    FlexGridModel& grid = additives(dlg);
    grid.Row(1);
    grid.Col(0);
    dlg.MSFlexGrid1_Click();
    dlg.txtOverlap->setText("Salt");
    grid.Row(20);
    grid.Col(3);
    dlg.MSFlexGrid1_Click();
    EXPECT_EQ(grid.TextMatrix(1, 0), "Salt");
    EXPECT_EQ(grid.TextMatrix(20, 3), "");
    dlg.txtOverlap->setText(QString(60, 'z'));
    dlg.txtOverlap_LostFocus();  // refused; the edited cell is current again
    EXPECT_EQ(grid.Row(), 20);
    dlg.MSFlexGrid1_Click();
    EXPECT_EQ(dlg.txtOverlap->text(), QString(60, 'z'));
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

}  // namespace
