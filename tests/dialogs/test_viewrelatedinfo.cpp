// Viewing and editing the opened test's information: what the dialog shows
// per test kind, its checks, and the rewrite of the information and the
// additives that a later open sees.

#include "data/DateText.h"
#include "data/Globals.h"
#include "data/clsTEST_ADDITIVE.h"
#include "data/clsTEST_INFO.h"
#include "data/OpenedTest.h"
#include "data/Settings.h"
#include "dialogs/frmViewRelatedInfo.h"
#include "platform/Database.h"
#include "platform/FlexGrid.h"
#include "data/StoredTestsFixture.h"
#include "support/DatabaseFaults.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QApplication>
#include <QPushButton>
#include <QTimer>

using testing_support::StoredTestsFixture;

namespace {

class ViewRelatedInfo : public StoredTestsFixture {
protected:
    void SetUp() override {
        StoredTestsFixture::SetUp();
        info.ConnectX(&conn);
    }
    // Opens a stored test as the main window does.
    void open(const QString& name, qint32 kind) {
        info.TEST_NAME(name);
        info.GetTestDetail();
        ASSERT_FALSE(info.Eof());
        opened.OpenedTestName = name;
        opened.OpenedTestInfo = info.All();
        opened.OpenedTestId = qint32(info.Test_Id());
        opened.TestType = kind;
    }
    // Runs the button with a show step that acts on the dialog.
    void click(const relatedinfo::ShowModal& act) {
        relatedinfo::cmdRelated_Click(&conn, info, additive, opened, [this] { ++refills; }, act);
    }

    clsTEST_INFO info;
    clsTEST_ADDITIVE additive;
    OpenedTest opened;
    int refills = 0;
};

TEST_F(ViewRelatedInfo, NothingHappensWithoutAnOpenedTestOrStoredRow) {
    bool shown = false;
    click([&](frmViewRelatedInfo&) { shown = true; });
    EXPECT_FALSE(shown);

    addTest("Gone");
    open("Gone", 0);
    sql("DELETE FROM TEST_INFO");
    click([&](frmViewRelatedInfo&) { shown = true; });
    EXPECT_FALSE(shown);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ViewRelatedInfo, ShowsTheStoredRheologyTest) {
    const int id = addTest("Rheo", "B2", "2024-05-06 07:08:09", "Fluid A", "  the notes  ", "R1", 1.2, 3.8, 6.5, 7.5);
    addAdditive(id, "Salt", 2.5, "%", "L1");
    addAdditive(id, "Clay", 5, "g", "L2");
    open("Rheo", 0);
    opened.OpenedTestInfo.clear();  // renewed from the database

    click([&](frmViewRelatedInfo& dlg) {
        EXPECT_EQ(dlg.windowTitle(), "Test Related Information");
        EXPECT_TRUE(dlg.Cancelled);
        EXPECT_EQ(dlg.txtTestName->text(), "Rheo");
        EXPECT_EQ(dlg.txtFluidId->text(), "Fluid A");
        EXPECT_EQ(dlg.txtTestDate->text(), ShortDateText(QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9))));
        EXPECT_EQ(dlg.txtBobNo->text(), "B2");
        EXPECT_EQ(dlg.txtBobRadius->text(), "1.2");  // stored, not the bob table's 1.2276
        EXPECT_EQ(dlg.txtBobLength->text(), "3.8");
        EXPECT_EQ(dlg.txtPreTestPH->text(), "6.5");
        EXPECT_EQ(dlg.txtPostTestPH->text(), "7.5");
        EXPECT_EQ(dlg.txtResearchName->text(), "Res");
        EXPECT_EQ(dlg.txtSAFETY->toPlainText(), "the notes");
        EXPECT_FALSE(dlg.txtPreTestPH->isHidden());
        EXPECT_EQ(dlg.Label1(10)->text(), "Pre-Test pH:");
        EXPECT_EQ(dlg.Label1(14)->text(), "Rotor Number:");
        const FlexGridModel& grid = *dlg.MSFlexGrid1->gridModel();
        EXPECT_EQ(grid.Rows(), 21);
        EXPECT_EQ(grid.TextMatrix(1, 0), "Salt");
        EXPECT_EQ(grid.TextMatrix(1, 1), "2.5");  // no sign position here
        EXPECT_EQ(grid.TextMatrix(2, 2), "g");
        EXPECT_EQ(grid.TextMatrix(2, 3), "L2");
        EXPECT_EQ(grid.TextMatrix(3, 0), "");

        // The lookup here is case-sensitive.
        dlg.txtBobNo->setText("b4");
        EXPECT_EQ(dlg.txtBobRadius->text(), "1.2");
        dlg.txtBobNo->setText("B4");
        EXPECT_EQ(dlg.txtBobRadius->text(), "0.8622");
        EXPECT_EQ(dlg.txtBobLength->text(), "3.810");
        dlg.cmdCancel_Click();
    });
    EXPECT_EQ(opened.OpenedTestInfo.value(clsTEST_INFO::colFLUID_ID).toString(), "Fluid A");
    EXPECT_EQ(refills, 0);
    EXPECT_EQ(scalar("SELECT BOB_NO FROM TEST_INFO").toString(), "B2");
}

TEST_F(ViewRelatedInfo, LabelsFollowTheTestKind) {
    const QString savedLabel = gLengthLabel;
    gLengthLabel = "(mm)";
    addTest("Pvt", "PVT");
    addTest("Swell", "LSM");

    open("Pvt", 1);
    click([&](frmViewRelatedInfo& dlg) {
        EXPECT_EQ(dlg.Label1(14)->text(), "Radius(cm):");
        EXPECT_EQ(dlg.Label1(15)->text(), "Test Type:");
        EXPECT_EQ(dlg.Label1(8)->text(), "Initial Volume:");
        EXPECT_EQ(dlg.Label1(1)->text(), "Initial Density");
        EXPECT_TRUE(dlg.Label1(10)->isHidden());
        EXPECT_TRUE(dlg.txtPreTestPH->isHidden());
        EXPECT_TRUE(dlg.Label1(9)->isHidden());
        EXPECT_TRUE(dlg.txtPostTestPH->isHidden());
        EXPECT_EQ(dlg.txtPreTestPH->text(), "");
    });

    open("Swell", 2);
    click([&](frmViewRelatedInfo& dlg) {
        EXPECT_EQ(dlg.Label1(14)->text(), "Sample Compact Time (min):");
        EXPECT_EQ(dlg.Label1(15)->text(), "Test Type:");
        EXPECT_EQ(dlg.Label1(8)->text(), "Sample Wt (g):");
        EXPECT_EQ(dlg.Label1(1)->text(), "Sample Length (mm)");  // the display length unit
        EXPECT_EQ(dlg.Label1(10)->text(), "Sample Hardness:");
        EXPECT_EQ(dlg.Label1(9)->text(), "Sample Compact Press (psi):");
        EXPECT_FALSE(dlg.txtPreTestPH->isHidden());
        EXPECT_FALSE(dlg.txtPostTestPH->isHidden());
    });
    gLengthLabel = savedLabel;
}

TEST_F(ViewRelatedInfo, SaveRewritesTheInformationAndAdditivesForALaterOpen) {
    const int id = addTest("Edit me", "B1", "2024-05-06 07:08:09", "Old fluid");
    addAdditive(id, "Old 1", 1);
    addAdditive(id, "Old 2", 2);
    const int other = addTest("Other");
    addAdditive(other, "Keep", 3);
    open("Edit me", 0);

    click([&](frmViewRelatedInfo& dlg) {
        dlg.txtTestName->setText("Renamed");  // shown, never stored
        dlg.txtFluidId->setText("New fluid");
        dlg.txtResearchName->setText("Ann");
        dlg.txtRotoNo->setText("R2");
        dlg.txtBobNo->setText("B5");
        dlg.txtBobRadius->setText(" 1.6 ");
        dlg.txtPreTestPH->setText("");  // an empty number box is 0
        dlg.txtPostTestPH->setText("8.25");
        dlg.txtSAFETY->setPlainText("New notes");
        FlexGridModel& grid = *dlg.MSFlexGrid1->gridModel();
        grid.TextMatrix(1, 0, "Barite");
        grid.TextMatrix(1, 1, "");
        grid.TextMatrix(1, 2, "lb");
        grid.TextMatrix(1, 3, "Q9");
        grid.TextMatrix(2, 0, "");  // row 2 empty: the Old 2 row and row 3 are not stored
        grid.TextMatrix(2, 1, "");
        grid.TextMatrix(3, 0, "Ignored");
        dlg.cmdOk_Click();
        EXPECT_FALSE(dlg.Cancelled);
    });
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("|").toStdString();
    EXPECT_EQ(refills, 1);
    EXPECT_EQ(additivesOf(id), QStringList{"Barite|0|lb|Q9"});
    EXPECT_EQ(additivesOf(other), QStringList{"Keep|3|%|L1"});

    // A later open shows the edit.
    clsTEST_INFO later;
    later.ConnectX(&conn);
    later.TEST_NAME("Edit me");
    later.GetTestDetail();
    ASSERT_FALSE(later.Eof());
    const RowArray row = later.All();
    EXPECT_EQ(row[clsTEST_INFO::colTEST_NAME].toString(), "Edit me");
    EXPECT_EQ(row[clsTEST_INFO::colTEST_TIME].toDateTime(), QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)));
    EXPECT_EQ(row[clsTEST_INFO::colFLUID_ID].toString(), "New fluid");
    EXPECT_EQ(row[clsTEST_INFO::colRESEARCHER_NAME].toString(), "Ann");
    EXPECT_EQ(row[clsTEST_INFO::colROTOR_NO].toString(), "R2");
    EXPECT_EQ(row[clsTEST_INFO::colBOB_NO].toString(), "B5");
    EXPECT_DOUBLE_EQ(row[clsTEST_INFO::colBOB_RADIUS].toDouble(), 1.6);
    EXPECT_DOUBLE_EQ(row[clsTEST_INFO::colBOB_EFF_LENGTH].toDouble(), 3.8);  // from the B5 lookup
    EXPECT_DOUBLE_EQ(row[clsTEST_INFO::colPRETEST_PH].toDouble(), 0);
    EXPECT_DOUBLE_EQ(row[clsTEST_INFO::colPOSTTEST_PH].toDouble(), 8.25);
    EXPECT_EQ(row[clsTEST_INFO::colSAFETY].toString(), "New notes");
}

// A swell test's sample length is stored in inches and shown and edited in
// the display length unit; a save without a change keeps it.
TEST_F(ViewRelatedInfo, ASwellSampleLengthIsShownAndEditedInTheDisplayUnit) {
    const int savedUnits = gUnitSystem;
    addTest("Swell", "LSM", "2024-05-06 07:08:09", "F", "", "30", 12.5, 0.4, 80, 5000);
    auto storedLength = [&] { return scalar("SELECT BOB_EFF_LENGTH FROM TEST_INFO").toDouble(); };
    struct Case {
        int units;
        QString label, shown, typed;
        double stored;  // inches
    } cases[] = {{1, "Sample Length (in.)", "0.4", "", 0.4},
                 {1, "Sample Length (in.)", "0.4", "0.5", 0.5},
                 {2, "Sample Length (mm)", "10.16", "", 0.4},
                 {2, "Sample Length (mm)", "10.16", "25.4", 1.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.units);
        sql("UPDATE TEST_INFO SET BOB_EFF_LENGTH = 0.4");
        gUnitSystem = c.units;
        SetUnitLabels();
        open("Swell", 2);
        click([&](frmViewRelatedInfo& dlg) {
            EXPECT_EQ(dlg.Label1(1)->text(), c.label);
            EXPECT_EQ(dlg.txtBobLength->text(), c.shown);
            if (!c.typed.isEmpty()) dlg.txtBobLength->setText(c.typed);
            dlg.cmdOk_Click();
        });
        EXPECT_DOUBLE_EQ(storedLength(), c.stored);
        EXPECT_DOUBLE_EQ(opened.OpenedTestInfo.value(clsTEST_INFO::colBOB_EFF_LENGTH).toDouble(), c.stored);
    }
    gUnitSystem = savedUnits;
    SetUnitLabels();
    EXPECT_TRUE(dialogs.messages.empty());
}

// Names are not unique: the opened test is shown and rewritten by its key,
// never another test of its name.
TEST_F(ViewRelatedInfo, TheOpenedTestIsEditedByItsKey) {
    const int first = addTest("Twin", "B1", "2024-01-01 10:00:00", "Fluid 1");
    const int second = addTest("Other", "B2", "2024-01-02 10:00:00", "Fluid 2");
    open("Other", 0);
    sql("UPDATE TEST_INFO SET TEST_NAME = 'Twin' WHERE TEST_ID = ?", {second});
    opened.OpenedTestName = "Twin";
    click([&](frmViewRelatedInfo& dlg) {
        EXPECT_EQ(dlg.txtFluidId->text(), "Fluid 2");
        dlg.txtFluidId->setText("Edited");
        dlg.cmdOk_Click();
    });
    EXPECT_EQ(scalar("SELECT FLUID_ID FROM TEST_INFO WHERE TEST_ID = ?", {second}).toString(), "Edited");
    EXPECT_EQ(scalar("SELECT FLUID_ID FROM TEST_INFO WHERE TEST_ID = ?", {first}).toString(), "Fluid 1");
    EXPECT_EQ(opened.OpenedTestInfo.value(clsTEST_INFO::colFLUID_ID).toString(), "Edited");
}

TEST_F(ViewRelatedInfo, SavingAPvtTestKeepsItsPistonColumns) {
    addTest("Pvt", "PVT", "2024-05-06 07:08:09", "F", "", "0.7239", 10, 1.1, 2.48777e-06, 3.875);
    open("Pvt", 1);
    click([&](frmViewRelatedInfo& dlg) {
        dlg.txtFluidId->setText("G");
        dlg.cmdOk_Click();
    });
    EXPECT_EQ(scalar("SELECT FLUID_ID FROM TEST_INFO").toString(), "G");
    EXPECT_DOUBLE_EQ(scalar("SELECT PRETEST_PH FROM TEST_INFO").toDouble(), 2.48777e-06);
    EXPECT_DOUBLE_EQ(scalar("SELECT POSTTEST_PH FROM TEST_INFO").toDouble(), 3.875);
}

TEST_F(ViewRelatedInfo, ChecksRefuseTheSaveAndStoreNothing) {
    const int id = addTest("Checked");
    addAdditive(id, "Salt", 1);
    open("Checked", 0);
    struct Case {
        std::function<void(frmViewRelatedInfo&)> set;
        QString message;
    };
    const Case cases[] = {
        {[](auto& d) { d.txtTestName->setText(QString(101, 't')); }, "TestName too long. cannot over 100 char."},
        {[](auto& d) { d.txtSAFETY->setPlainText(QString(251, 'd')); },
         "Description cannot have more than 250 characters"},
        {[](auto& d) { d.MSFlexGrid1->TextMatrix(7, 0, QString(45, 'a')); },
         "Additive name too long. cannot over 40 char."},
        // The other texts against the lengths their columns store, field named.
        {[](auto& d) { d.txtFluidId->setText(QString(51, 'f')); }, "Fluid ID cannot have more than 50 characters"},
        {[](auto& d) { d.txtResearchName->setText(QString(51, 'r')); },
         "Researcher name cannot have more than 50 characters"},
        {[](auto& d) { d.txtRotoNo->setText(QString(51, '1')); }, "Rotor no. cannot have more than 50 characters"},
        {[](auto& d) { d.txtBobNo->setText(QString(51, 'b')); }, "Bob no. cannot have more than 50 characters"},
        {[](auto& d) { d.MSFlexGrid1->TextMatrix(1, 2, QString(51, 'u')); },
         "Additive unit cannot have more than 50 characters (additive line 1)"},
        {[](auto& d) { d.MSFlexGrid1->TextMatrix(1, 3, QString(51, 'l')); },
         "Additive lot number cannot have more than 50 characters (additive line 1)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        dialogs.clear();
        click([&](frmViewRelatedInfo& dlg) {
            dlg.show();
            dlg.txtFluidId->setText("changed");
            c.set(dlg);
            dlg.cmdOk_Click();
            EXPECT_TRUE(dlg.isVisible());
            EXPECT_TRUE(dlg.Cancelled);
            dlg.close();  // closing the window counts as cancelling
        });
        EXPECT_EQ(dialogs.texts(), QStringList{c.message});
    }
    EXPECT_EQ(refills, 0);
    EXPECT_EQ(scalar("SELECT FLUID_ID FROM TEST_INFO").toString(), "");
    EXPECT_EQ(additivesOf(id), QStringList{"Salt|1|%|L1"});

    // The limits themselves pass.
    click([&](frmViewRelatedInfo& dlg) {
        dlg.txtTestName->setText(QString(100, 't'));
        dlg.txtSAFETY->setPlainText(QString(250, 'd'));
        dlg.MSFlexGrid1->TextMatrix(1, 0, QString(40, 'a'));
        dlg.cmdOk_Click();
    });
    EXPECT_EQ(refills, 1);
}

TEST_F(ViewRelatedInfo, ASaveIsAllOrNothingAndKeepsTheAdditivesNotShown) {
    const int id = addTest("Many");
    QStringList stored;
    for (int i = 1; i <= 23; ++i) {
        addAdditive(id, QStringLiteral("A%1").arg(i), i);
        stored << QStringLiteral("A%1|%2|%|L1").arg(i).arg(i);
    }
    open("Many", 0);

    // A statement that fails half-way (the database refuses the third additive):
    // the test is left exactly as it was.
    sql("CREATE TRIGGER refuse BEFORE INSERT ON TEST_ADDITIVE WHEN NEW.ADDITIVE_NM = 'Third' "
        "BEGIN SELECT RAISE(ABORT, 'database is busy'); END");
    click([&](frmViewRelatedInfo& dlg) {
        dlg.txtFluidId->setText("New fluid");
        dlg.MSFlexGrid1->TextMatrix(3, 0, "Third");
        dlg.cmdOk_Click();
    });
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].prompt.contains("database is busy")) << dialogs.texts().join("|").toStdString();
    EXPECT_EQ(additivesOf(id), stored);
    EXPECT_EQ(scalar("SELECT FLUID_ID FROM TEST_INFO").toString(), "");
    sql("DROP TRIGGER refuse");

    // A save that succeeds rewrites the 20 shown and keeps the three beyond them.
    dialogs.clear();
    click([&](frmViewRelatedInfo& dlg) {
        dlg.MSFlexGrid1->TextMatrix(1, 0, "First");
        dlg.cmdOk_Click();
    });
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("|").toStdString();
    QStringList expected = stored;
    expected[0] = "First|1|%|L1";
    EXPECT_EQ(additivesOf(id), expected);

    // Values too long for their columns, reaching the rewrite past the dialog:
    // refused before anything is written.
    testinfo::TestInfoEdit edit;
    edit.fluidId = "Fine";
    edit.additives = {{"Salt", "1", QString(51, 'u'), "L"}};
    info.TEST_NAME("Many");
    info.GetTestDetail();
    EXPECT_THROW(testinfo::RewriteTestInfo(&conn, info, additive, id, edit, false), db::DbError);
    EXPECT_EQ(additivesOf(id), expected);
    EXPECT_EQ(scalar("SELECT FLUID_ID FROM TEST_INFO").toString(), "");
}

// After a full disk refused a write (SQLite undid it itself) and room was
// made again, a save refused half-way, after the rewrite changed the fluid
// and deleted the additives to add them back: the test is as it was, as the
// message says.
TEST_F(ViewRelatedInfo, AfterAFullDiskASaveRefusedHalfWayLeavesTheTestAsItWas) {
    const int id = addTest("Mud");
    addAdditive(id, "Salt", 1);
    open("Mud", 0);
    testing_support::RefuseAWriteOnAFullDisk(conn);
    sql("CREATE TRIGGER refuse BEFORE INSERT ON TEST_ADDITIVE WHEN NEW.ADDITIVE_NM = 'Third' "
        "BEGIN SELECT RAISE(ABORT, 'database is busy'); END");
    click([&](frmViewRelatedInfo& dlg) {
        dlg.txtFluidId->setText("New fluid");
        dlg.MSFlexGrid1->TextMatrix(2, 0, "Third");
        dlg.cmdOk_Click();
    });
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].prompt.contains("The stored test is as it was"))
        << dialogs.texts().join("|").toStdString();
    EXPECT_EQ(additivesOf(id), QStringList{"Salt|1|%|L1"});
    EXPECT_EQ(scalar("SELECT FLUID_ID FROM TEST_INFO").toString(), "");
    EXPECT_FALSE(conn.InTransaction());
}

TEST_F(ViewRelatedInfo, CellEditorRefusesMoreThanFiftyCharacters) {
    frmViewRelatedInfo dlg;
    FlexGridModel& grid = *dlg.MSFlexGrid1->gridModel();
    grid.Row(2);
    grid.Col(3);
    dlg.MSFlexGrid1_Click();
    dlg.txtOverlap->setText(QString(51, 'x'));
    dlg.txtOverlap_LostFocus();
    EXPECT_EQ(dialogs.texts(), QStringList{"Cannot be over 50 char."});
    EXPECT_FALSE(dlg.txtOverlap->isHidden());
    EXPECT_EQ(grid.TextMatrix(2, 3), "");
    dlg.txtOverlap->setText("Lot 5");
    dlg.txtOverlap_LostFocus();
    EXPECT_EQ(grid.TextMatrix(2, 3), "Lot 5");
    EXPECT_TRUE(dlg.txtOverlap->isHidden());
}

}  // namespace

namespace {

// The button's own modal show: the save button's hide ends exec().
TEST_F(ViewRelatedInfo, DefaultModalShowSaves) {
    addTest("Modal");
    open("Modal", 0);
    QTimer::singleShot(0, [] {
        auto* dlg = qobject_cast<frmViewRelatedInfo*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        QTimer::singleShot(5000, dlg, &QDialog::reject);
        dlg->txtFluidId->setText("Saved");
        dlg->cmdOk->click();
    });
    relatedinfo::cmdRelated_Click(&conn, info, additive, opened, [this] { ++refills; });
    EXPECT_EQ(refills, 1);
    EXPECT_EQ(scalar("SELECT FLUID_ID FROM TEST_INFO").toString(), "Saved");
}

}  // namespace
