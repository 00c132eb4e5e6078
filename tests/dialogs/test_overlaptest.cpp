// The overlap-test chooser: its list holds only the stored tests of the
// opened test's kind, its controls raise overSelected, and the main window's
// name checks give their messages.

#include "data/DateText.h"
#include "data/clsTEST_INFO.h"
#include "dialogs/OverlapChooser.h"
#include "dialogs/TestInfoRules.h"
#include "dialogs/frmOverlapTest.h"
#include "platform/FlexGrid.h"
#include "data/StoredTestsFixture.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

using testing_support::StoredTestsFixture;

namespace {

class OverlapTest : public StoredTestsFixture {
protected:
    void SetUp() override {
        StoredTestsFixture::SetUp();
        addTest("Rheo old", "B1", "2024-01-01 00:00:00");
        addTest("Pvt 1", "PVT", "2024-01-02 10:00:00");
        addTest("Swell 1", "LSM", "2024-01-03 10:00:00");
        rheoNew = addTest("Rheo new", "B5", "2024-01-04 11:30:00");
        addTest("Lower pvt", "pvt", "2024-01-05 10:00:00");  // not "PVT": a rheology test
        addTest("Pvt 2", "PVT", "2024-01-06 10:00:00");
        sql("INSERT INTO TEST_INFO (TEST_NAME, TEST_TIME, BOB_NO) VALUES ('No kind', '2024-01-07 10:00:00', NULL)");
    }
    int rheoNew = 0;
    static QStringList column(const frmOverlapTest& dlg, int c) {
        QStringList out;
        const FlexGridModel& g = *dlg.MSFlexGrid1->gridModel();
        for (int r = 1; r < g.Rows(); ++r) out << g.TextMatrix(r, c);
        return out;
    }
};

TEST_F(OverlapTest, ListsOnlyTheTestsOfTheOpenedTestsKind) {
    frmOverlapTest rheo(&conn, 0);
    EXPECT_EQ(column(rheo, 0), (QStringList{"Lower pvt", "Rheo new", "Rheo old"}));
    EXPECT_EQ(column(rheo, 3), (QStringList{"", "", ""}));
    EXPECT_EQ(rheo.MSFlexGrid1->Row(), 1);

    frmOverlapTest pvt(&conn, 1);
    EXPECT_EQ(column(pvt, 0), (QStringList{"Pvt 2", "Pvt 1"}));
    EXPECT_EQ(column(pvt, 3), (QStringList{"PVT", "PVT"}));

    frmOverlapTest swell(&conn, 2);
    EXPECT_EQ(column(swell, 0), QStringList{"Swell 1"});
    EXPECT_EQ(column(swell, 3), QStringList{"LSM"});

    // Header and times as the lists show them.
    const FlexGridModel& g = *rheo.MSFlexGrid1->gridModel();
    EXPECT_EQ(g.Cols(), 4);
    EXPECT_EQ(g.TextMatrix(0, 0), QString("Sequence") + QChar(13) + "Name");
    EXPECT_EQ(g.TextMatrix(0, 3), QString("Test") + QChar(13) + "Type");
    EXPECT_EQ(g.RowHeight(0), 600);
    EXPECT_EQ(g.ColWidth(1), 1800);
    EXPECT_EQ(g.TextMatrix(2, 1), GeneralDateText(QString("2024-01-04 11:30:00")));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(OverlapTest, ControlsRaiseOverSelected) {
    frmOverlapTest dlg(&conn, 1);
    dlg.show();
    int raised = 0;
    QObject::connect(&dlg, &frmOverlapTest::overSelected, [&] { ++raised; });

    dlg.MSFlexGrid1->gridModel()->Row(2);
    dlg.MSFlexGrid1_Click();
    EXPECT_EQ(dlg.txtSeqName->text(), "Pvt 1");

    dlg.txtSeqName->setText("typed");
    EXPECT_EQ(dlg.MSFlexGrid1->Row(), 2);  // typing does not move the list
    dlg.cmdOk_Click();
    EXPECT_EQ(raised, 1);
    EXPECT_TRUE(dlg.isVisible());

    dlg.MSFlexGrid1_DblClick();
    EXPECT_EQ(raised, 2);
    EXPECT_TRUE(dlg.isHidden());

    frmOverlapTest empty(&conn, 7);  // no test of that kind
    EXPECT_EQ(empty.MSFlexGrid1->Rows(), 1);
    empty.MSFlexGrid1_Click();
    EXPECT_EQ(empty.txtSeqName->text(), "");  // the header is no name
}

// OK with nothing clicked or typed takes the highlighted test (the newest
// when the list opens); with no test listed the checks ask for one.
TEST_F(OverlapTest, OkTakesTheHighlightedTest) {
    frmOverlapTest dlg(&conn, 1);
    QStringList raised;
    QObject::connect(&dlg, &frmOverlapTest::overSelected, [&] { raised << dlg.txtSeqName->text(); });
    ASSERT_EQ(dlg.MSFlexGrid1->Row(), 1);
    dlg.cmdOk_Click();
    EXPECT_EQ(raised, QStringList{"Pvt 2"});
    clsTEST_INFO info;
    EXPECT_TRUE(overlap::AcceptChosenName(dlg, rheoNew, info));
    EXPECT_EQ(info.TEST_NAME(), "Pvt 2");

    frmOverlapTest empty(&conn, 7);  // no test of that kind
    QObject::connect(&empty, &frmOverlapTest::overSelected, [&] {
        clsTEST_INFO none;
        EXPECT_FALSE(overlap::AcceptChosenName(empty, rheoNew, none));
    });
    empty.cmdOk_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{"Please click a test in the list first."});
}

// Enter on the highlighted test chooses it as OK does.
TEST_F(OverlapTest, EnterChoosesTheHighlightedTest) {
    frmOverlapTest dlg(&conn, 1);
    dlg.show();
    QStringList raised;
    QObject::connect(&dlg, &frmOverlapTest::overSelected, [&] { raised << dlg.txtSeqName->text(); });
    dlg.MSFlexGrid1->gridModel()->Row(2);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(dlg.MSFlexGrid1, &enter);
    EXPECT_EQ(raised, QStringList{"Pvt 1"});
    QKeyEvent other(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(dlg.MSFlexGrid1, &other);
    EXPECT_EQ(raised.size(), 1);
}

TEST_F(OverlapTest, NameChecksGiveTheirMessages) {
    frmOverlapTest dlg(&conn, 0);
    clsTEST_INFO info;

    dlg.txtSeqName->clear();
    EXPECT_FALSE(overlap::AcceptChosenName(dlg, rheoNew, info));
    EXPECT_EQ(dialogs.texts(), QStringList{"Please click a test in the list first."});
    dialogs.clear();

    dlg.txtSeqName->setText("Pvt 1");  // stored, but of another kind
    EXPECT_FALSE(overlap::AcceptChosenName(dlg, rheoNew, info));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].prompt, "Test sequence name not found.");
    EXPECT_EQ(dialogs.messages[0].title, ui::appTitle());
    EXPECT_EQ(dialogs.messages[0].style, ui::vbOKOnly);

    dialogs.clear();
    dlg.txtSeqName->setText("Rheo new");
    EXPECT_FALSE(overlap::AcceptChosenName(dlg, rheoNew, info));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].prompt, "Test cannot overlap itself");
    EXPECT_EQ(dialogs.messages[0].title, "Selection Error.");
    EXPECT_EQ(dialogs.messages[0].style, ui::vbOKOnly);

    dialogs.clear();
    dlg.txtSeqName->setText("RHEO OLD");
    EXPECT_TRUE(overlap::AcceptChosenName(dlg, rheoNew, info));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(info.TEST_NAME(), "Rheo old");  // the name as listed
    EXPECT_EQ(dlg.MSFlexGrid1->Row(), 3);
}

// Names are not unique: the test of the row chosen is the one read, by its
// key, and a test of another kind of the same name is never taken.
TEST_F(OverlapTest, TheTestOfTheChosenRowIsReadByItsKey) {
    const int rheoDup = addTest("Dup", "B1", "2024-02-01 10:00:00");
    const int pvtDup = addTest("Dup", "PVT", "2024-02-02 10:00:00");
    const int pvtDupToo = addTest("DUP", "PVT", "2024-02-03 10:00:00");
    frmOverlapTest dlg(&conn, 1);
    ASSERT_EQ(column(dlg, 0), (QStringList{"DUP", "Dup", "Pvt 2", "Pvt 1"}));
    EXPECT_EQ(dlg.ListedKeys().size(), 4);
    clsTEST_INFO info;
    info.ConnectX(&conn);

    struct Case {
        int row;  // the row clicked
        int key;  // the test read
    } cases[] = {{2, pvtDup}, {1, pvtDupToo}};
    for (const Case& c : cases) {
        dlg.MSFlexGrid1->gridModel()->Row(c.row);
        dlg.MSFlexGrid1_Click();
        ASSERT_TRUE(overlap::AcceptChosenName(dlg, rheoNew, info)) << c.row;
        EXPECT_EQ(info.Test_Id(), c.key);
        ASSERT_TRUE(overlap::ReadChosenTest(info, 1));
        EXPECT_EQ(info.Test_Id(), c.key);
        EXPECT_EQ(info.BOB_NO(), "PVT");
        EXPECT_NE(info.Test_Id(), rheoDup);
    }
    EXPECT_TRUE(dialogs.messages.empty());

    // A test of the same name as the opened one is another test: it is drawn.
    dlg.MSFlexGrid1->gridModel()->Row(2);
    dlg.MSFlexGrid1_Click();
    EXPECT_TRUE(overlap::AcceptChosenName(dlg, pvtDupToo, info));
    EXPECT_EQ(info.Test_Id(), pvtDup);
    // The opened test itself is refused, whatever the letter case typed.
    dlg.txtSeqName->setText("dup");
    EXPECT_FALSE(overlap::AcceptChosenName(dlg, pvtDup, info));
    EXPECT_EQ(dialogs.texts(), QStringList{"Test cannot overlap itself"});
}

// A test changed or deleted after the chooser listed it is refused with a
// message; nothing is drawn.
TEST_F(OverlapTest, AChosenTestNoLongerOfTheKindOrGoneIsRefused) {
    const int pvtDup = addTest("Dup", "PVT", "2024-02-02 10:00:00");
    frmOverlapTest dlg(&conn, 1);
    clsTEST_INFO info;
    info.ConnectX(&conn);
    dlg.txtSeqName->setText("Dup");
    ASSERT_TRUE(overlap::AcceptChosenName(dlg, rheoNew, info));
    EXPECT_EQ(info.Test_Id(), pvtDup);

    sql("UPDATE TEST_INFO SET BOB_NO = 'B1' WHERE TEST_ID = ?", {pvtDup});
    EXPECT_FALSE(overlap::ReadChosenTest(info, 1));
    sql("UPDATE TEST_INFO SET BOB_NO = NULL WHERE TEST_ID = ?", {pvtDup});
    EXPECT_FALSE(overlap::ReadChosenTest(info, 0));
    sql("DELETE FROM TEST_INFO WHERE TEST_ID = ?", {pvtDup});
    EXPECT_FALSE(overlap::ReadChosenTest(info, 1));
    EXPECT_EQ(dialogs.texts(), (QStringList{overlap::kOtherKind, overlap::kOtherKind, "Test sequence name not found."}));
}

TEST(OverlapRules, KindFilterAndNameCheck) {
    EXPECT_TRUE(overlap::PassesKind(QString("B1"), 0));
    EXPECT_TRUE(overlap::PassesKind(QString(""), 0));
    EXPECT_FALSE(overlap::PassesKind(QString("LSM"), 0));
    EXPECT_FALSE(overlap::PassesKind(QVariant(), 0));
    EXPECT_FALSE(overlap::PassesKind(QString("pvt"), 1));

    using overlap::NameCheck;
    const QStringList listed{"T10", "T1"};
    const QVector<qint32> keys{10, 1};
    EXPECT_EQ(overlap::CheckName("", listed, keys, 1, 1).result, NameCheck::Empty);
    EXPECT_EQ(overlap::CheckName("T2", listed, keys, 1, 1).result, NameCheck::NotFound);
    EXPECT_EQ(overlap::CheckName("T1", listed, keys, 1, 1).result, NameCheck::Itself);
    const auto accepted = overlap::CheckName("t1", listed, keys, 1, 10);
    EXPECT_EQ(accepted.result, NameCheck::Accepted);
    EXPECT_EQ(accepted.row, 2);
    EXPECT_EQ(accepted.listedName, "T1");
    EXPECT_EQ(accepted.key, 1);

    // Names listed twice: the current row when it holds the name, else the first.
    const QStringList dup{"Dup", "X", "dup"};
    const QVector<qint32> dupKeys{5, 6, 7};
    struct Case {
        int current;
        qint32 opened;
        NameCheck result;
        int row;
        qint32 key;
    } cases[] = {{3, 9, NameCheck::Accepted, 3, 7}, {2, 9, NameCheck::Accepted, 1, 5}, {0, 9, NameCheck::Accepted, 1, 5},
                 {3, 7, NameCheck::Itself, 3, 7},   {1, 7, NameCheck::Accepted, 1, 5}};
    for (const Case& c : cases) {
        const auto r = overlap::CheckName("DUP", dup, dupKeys, c.current, c.opened);
        EXPECT_EQ(r.result, c.result) << c.current << " " << c.opened;
        EXPECT_EQ(r.row, c.row) << c.current << " " << c.opened;
        EXPECT_EQ(r.key, c.key) << c.current << " " << c.opened;
    }
}

}  // namespace
