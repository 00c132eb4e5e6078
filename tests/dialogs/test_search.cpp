// The search dialog: the statements it builds (shape and bound values), what
// they find, refused criteria, values with quotes or SQL text, and the
// hand-back of a chosen test.

#include "data/DateText.h"
#include "data/clsTEST_INFO.h"
#include "dialogs/TestInfoRules.h"
#include "dialogs/TestSearch.h"
#include "dialogs/frmSearch.h"
#include "platform/FlexGrid.h"
#include "data/StoredTestsFixture.h"

#include <QComboBox>
#include <QLineEdit>

using testing_support::StoredTestsFixture;
using search::Criterion;

namespace {

const QStringList kInfoFields{"TEST_ID",   "TEST_NAME",      "FLUID_ID",   "TEST_TIME",   "RESEARCHER_NAME", "ROTOR_NO",
                              "BOB_NO",    "BOB_RADIUS",     "BOB_EFF_LENGTH", "PRETEST_PH", "POSTTEST_PH",  "DESCRIPTION"};
const QStringList kAddFields{"TESTADD_ID", "TEST_ID", "ADDITIVE_NM", "ADD_CONCEN", "ADD_UNIT", "ADD_LOTNO"};

QVector<Criterion> rows(std::initializer_list<Criterion> given) {
    QVector<Criterion> r(given);
    while (r.size() < 3) r.append(Criterion{"TEST_ID", " > ", ""});
    return r;
}

TEST(SearchStatement, ShapeAndBoundValues) {
    const QString head = search::kSelectHead;
    const QString order = " ORDER BY TEST_INFO.TEST_TIME DESC, TEST_INFO.TEST_ID DESC";
    struct Case {
        const char* what;
        QVector<Criterion> info;
        QVector<Criterion> add;
        QString sql;
        QVariantList values;
    };
    const Case cases[] = {
        {"nothing", rows({}), rows({}), head + order, {}},
        {"like on the name", rows({{"TEST_NAME", " Like ", "  abc "}}), rows({}),
         head + " where  TEST_NAME Like ?" + order, {QString("%abc%")}},
        {"rows 2 and 3 only count after row 1", rows({{"TEST_ID", " > ", ""}, {"TEST_NAME", " = ", "x"}}), rows({}),
         head + order, {}},
        {"three rows", rows({{"TEST_ID", " >= ", "2"}, {"BOB_NO", " <> ", "PVT"}, {"BOB_RADIUS", " < ", "1.5"}}),
         rows({}), head + " where  TEST_ID >= ? and BOB_NO <> ? and BOB_RADIUS < ?" + order,
         {2.0, QString("PVT"), 1.5}},
        {"description names SAFETY", rows({{"DESCRIPTION", " = ", "n"}}), rows({}),
         head + " where  SAFETY = ?" + order, {QString("n")}},
        {"a date", rows({{"TEST_TIME", " >= ", "2024-02-03"}}), rows({}), head + " where  TEST_TIME >= ?" + order,
         {QString("2024-02-03 00:00:00")}},
        {"additive only", rows({}), rows({{"ADD_CONCEN", " = ", "2.5"}}),
         head + " where test_id in (select test_id from test_additive where  ADD_CONCEN = ?)" + order, {2.5}},
        {"both", rows({{"FLUID_ID", " = ", "F"}}), rows({{"ADDITIVE_NM", " Like ", "sal"}, {"ADD_UNIT", " = ", "%"}}),
         head + " where  FLUID_ID = ? and test_id in (select test_id from test_additive where  ADDITIVE_NM Like ? "
                "and ADD_UNIT = ?)" + order,
         {QString("F"), QString("%sal%"), QString("%")}},
        {"a quote stays a value", rows({{"TEST_NAME", " = ", "x' OR '1'='1"}}), rows({}),
         head + " where  TEST_NAME = ?" + order, {QString("x' OR '1'='1")}},
    };
    for (const Case& c : cases) {
        const search::Statement st = search::BuildStatement(kInfoFields, kAddFields, c.info, c.add);
        EXPECT_EQ(st.sql, c.sql) << c.what;
        EXPECT_EQ(st.values, c.values) << c.what;
    }
}

TEST(SearchStatement, RefusesWhatCannotBeRead) {
    struct Case {
        QVector<Criterion> info;
        QVector<Criterion> add;
    };
    const Case cases[] = {
        {rows({{"TEST_ID", " = ", "1 or 1=1"}}), rows({})},           // not a number
        {rows({{"BOB_RADIUS", " > ", "1,5"}}), rows({})},
        {rows({{"TEST_TIME", " > ", "yesterday"}}), rows({})},        // not a date
        {rows({}), rows({{"TEST_ID", " = ", "two"}})},
        {rows({{"TEST_NAME; DROP TABLE TEST_INFO", " = ", "x"}}), rows({})},  // not a field of the list
        {rows({{"SAFETY", " = ", "x"}}), rows({})},                   // shown as DESCRIPTION only
        {rows({{"TEST_NAME", " = 1 or TEST_NAME = ", "x"}}), rows({})},  // not an operator of the list
        {rows({{"TEST_NAME", "=", "x"}}), rows({})},
    };
    for (const Case& c : cases) {
        EXPECT_THROW(search::BuildStatement(kInfoFields, kAddFields, c.info, c.add), db::DbError);
    }
}

TEST(SearchStatement, ReadsTypedDates) {
    EXPECT_EQ(search::ReadDate("2024-02-03"), QDateTime(QDate(2024, 2, 3), QTime(0, 0)));
    EXPECT_EQ(search::ReadDate("2024-02-03 14:05"), QDateTime(QDate(2024, 2, 3), QTime(14, 5)));
    EXPECT_EQ(search::ReadDate("2/3/2024 14:05:06"), QDateTime(QDate(2024, 2, 3), QTime(14, 5, 6)));
    EXPECT_FALSE(search::ReadDate("2024-13-40"));
    EXPECT_FALSE(search::ReadDate("#2024-02-03#"));
}

class SearchDialog : public StoredTestsFixture {
protected:
    void SetUp() override {
        StoredTestsFixture::SetUp();
        a = addTest("Alpha Mud", "B1", "2024-01-01 10:00:00", "F1", "first");
        b = addTest("beta", "PVT", "2024-02-01 10:00:00", "F2", "second");
        c = addTest("O'Brien", "B5", "2024-03-01 00:00:00", "F1", "third");
        addAdditive(a, "Salt", 2.5);
        addAdditive(b, "Salt", 1);
        addAdditive(c, "Clay", 2.5);
    }
    static QStringList names(const frmSearch& s) {
        QStringList out;
        const FlexGridModel& g = *s.MSFlexGrid1->gridModel();
        for (int r = 1; r < g.Rows(); ++r) out << g.TextMatrix(r, 0);
        return out;
    }
    static void set(QComboBox* box, const QString& text) {
        const int i = box->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        box->setCurrentIndex(i);
    }
    int a = 0, b = 0, c = 0;
};

TEST_F(SearchDialog, LoadFillsTheListsAndNoCriteriaListsEveryTest) {
    frmSearch s(&conn);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("|").toStdString();
    EXPECT_TRUE(s.Cancelled);
    EXPECT_EQ(s.windowTitle(), "Test Search");
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(s.Combo1[k]->count(), 12);
        EXPECT_EQ(s.Combo1[k]->itemText(11), "DESCRIPTION");
        EXPECT_EQ(s.Combo1[k]->currentText(), "TEST_ID");
        EXPECT_EQ(s.Combo2[k]->count(), 6);
        EXPECT_EQ(s.Combo2[k]->currentText(), "TESTADD_ID");
        EXPECT_EQ(s.cmbmath1[k]->count(), 7);
        EXPECT_EQ(s.cmbmath2[k]->itemText(6), " Like ");
        EXPECT_EQ(s.cmbmath1[k]->currentText(), " > ");
    }
    const FlexGridModel& g = *s.MSFlexGrid1->gridModel();
    EXPECT_EQ(g.Cols(), 5);
    EXPECT_EQ(g.ColWidth(0), 3000);
    EXPECT_EQ(g.ColWidth(3), 1500);

    s.cmdSearch_Click();
    EXPECT_EQ(names(s), (QStringList{"O'Brien", "beta", "Alpha Mud"}));  // newest first
    EXPECT_EQ(g.TextMatrix(0, 0), "TEST_NAME");
    EXPECT_EQ(g.TextMatrix(0, 1), "RESEARCHER_NAME");
    EXPECT_EQ(g.TextMatrix(0, 2), "TEST_TIME");
    EXPECT_EQ(g.TextMatrix(0, 3), "FLUID_ID");
    EXPECT_EQ(g.TextMatrix(0, 4), "DESCRIPTION");
    EXPECT_EQ(g.TextMatrix(1, 4), "third");
    EXPECT_EQ(g.TextMatrix(3, 2), GeneralDateText(QString("2024-01-01 10:00:00")));
}

// Search lists the tests in the order Open Saved Test lists them: newest
// first by the test's time, whatever order they were stored in.
TEST_F(SearchDialog, ListsTheTestsInTheOrderOfOpenSavedTest) {
    addTest("Stored last, run first", "B1", "2023-06-01 08:00:00", "F3", "fourth");
    addTest("Same time, stored later", "B1", "2024-02-01 10:00:00", "F3", "fifth");
    frmSearch s(&conn);
    s.cmdSearch_Click();
    const QStringList expected{"O'Brien", "Same time, stored later", "beta", "Alpha Mud", "Stored last, run first"};
    EXPECT_EQ(names(s), expected);

    clsTEST_INFO list;
    list.ConnectX(&conn);
    QStringList listed;
    for (const QVariant& name : list.StoredTests()[0]) listed << name.toString();
    EXPECT_EQ(listed, expected);
}

TEST_F(SearchDialog, FindsByInformationAndAdditives) {
    frmSearch s(&conn);
    set(s.Combo1[1], "TEST_NAME");
    set(s.cmbmath1[1], " Like ");
    s.Text1[1]->setText("ALPHA");  // matched without regard to letter case
    s.cmdSearch_Click();
    EXPECT_EQ(names(s), QStringList{"Alpha Mud"});

    s.cmdClear_Click();
    set(s.Combo2[1], "ADDITIVE_NM");
    set(s.cmbmath2[1], " = ");
    s.Text2[1]->setText("Salt");
    s.cmdSearch_Click();
    EXPECT_EQ(names(s), (QStringList{"beta", "Alpha Mud"}));

    set(s.Combo1[1], "FLUID_ID");
    set(s.cmbmath1[1], " = ");
    s.Text1[1]->setText("F1");
    s.cmdSearch_Click();
    EXPECT_EQ(names(s), QStringList{"Alpha Mud"});

    s.cmdClear_Click();
    set(s.Combo2[1], "ADD_CONCEN");
    set(s.cmbmath2[1], " = ");
    s.Text2[1]->setText("2.5");
    s.cmdSearch_Click();
    EXPECT_EQ(names(s), (QStringList{"O'Brien", "Alpha Mud"}));

    s.cmdClear_Click();
    set(s.Combo1[1], "TEST_TIME");
    set(s.cmbmath1[1], " >= ");
    s.Text1[1]->setText("2024-02-01");
    set(s.Combo1[2], "DESCRIPTION");
    set(s.cmbmath1[2], " <> ");
    s.Text1[2]->setText("second");
    s.cmdSearch_Click();
    EXPECT_EQ(names(s), QStringList{"O'Brien"});
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("|").toStdString();
}

TEST_F(SearchDialog, QuotesAndSqlTextAreMatchedLiterally) {
    frmSearch s(&conn);
    set(s.Combo1[1], "TEST_NAME");
    set(s.cmbmath1[1], " = ");
    s.Text1[1]->setText("O'Brien");
    s.cmdSearch_Click();
    EXPECT_EQ(names(s), QStringList{"O'Brien"});

    for (const char* text : {"x' OR '1'='1", "'; DROP TABLE TEST_INFO; --", "beta' --"}) {
        s.Text1[1]->setText(text);
        s.cmdSearch_Click();
        EXPECT_TRUE(names(s).isEmpty()) << text;
    }
    set(s.Combo2[1], "ADD_UNIT");
    s.Text2[1]->setText("') OR 1=1 --");
    s.cmdSearch_Click();
    EXPECT_TRUE(names(s).isEmpty());
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("|").toStdString();
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TEST_INFO").toInt(), 3);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TEST_ADDITIVE").toInt(), 3);
}

TEST_F(SearchDialog, AnUnreadableValueIsReportedAndTheNextSearchWorks) {
    frmSearch s(&conn);
    s.cmdSearch_Click();
    ASSERT_EQ(names(s).size(), 3);

    s.Text1[1]->setText("3 or 1=1");  // TEST_ID takes a number
    s.cmdSearch_Click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].prompt.startsWith("Wrong search string.  ")) << dialogs.texts()[0].toStdString();
    EXPECT_GT(dialogs.messages[0].prompt.size(), QString("Wrong search string.  ").size());
    EXPECT_EQ(dialogs.messages[0].title, ui::appTitle());
    EXPECT_EQ(s.MSFlexGrid1->Rows(), 1);

    s.Text1[1]->setText("2");
    s.cmdSearch_Click();
    EXPECT_EQ(names(s), QStringList{"O'Brien"});  // TEST_ID > 2
}

TEST_F(SearchDialog, DoubleClickHandsBackOnlyAListedTest) {
    frmSearch s(&conn);
    s.show();
    s.MSFlexGrid1_DblClick();  // nothing listed yet
    EXPECT_TRUE(s.Cancelled);
    EXPECT_TRUE(s.isVisible());

    s.cmdSearch_Click();
    s.Text1[1]->setText("999");  // a search without result keeps the caption row
    s.cmdSearch_Click();
    EXPECT_EQ(s.MSFlexGrid1->Rows(), 1);
    s.MSFlexGrid1_DblClick();
    EXPECT_TRUE(s.Cancelled);
    EXPECT_TRUE(s.isVisible());
    EXPECT_EQ(s.ChosenTestName(), "");

    s.cmdClear_Click();
    s.cmdSearch_Click();
    s.MSFlexGrid1->gridModel()->Row(2);
    s.MSFlexGrid1_DblClick();
    EXPECT_FALSE(s.Cancelled);
    EXPECT_TRUE(s.isHidden());
    EXPECT_EQ(s.ChosenTestName(), "beta");
}

TEST_F(SearchDialog, ClearResetsTheCriteriaAndKeepsTheList) {
    frmSearch s(&conn);
    s.cmdSearch_Click();
    set(s.Combo1[2], "BOB_NO");
    set(s.cmbmath2[3], " Like ");
    s.Text1[2]->setText("x");
    s.Text2[3]->setText("y");
    s.cmdClear_Click();
    EXPECT_EQ(s.Combo1[2]->currentText(), "TEST_ID");
    EXPECT_EQ(s.cmbmath2[3]->currentText(), " > ");
    EXPECT_EQ(s.Text1[2]->text(), "");
    EXPECT_EQ(s.Text2[3]->text(), "");
    EXPECT_EQ(names(s).size(), 3);
    EXPECT_TRUE(s.Cancelled);

    s.show();
    s.Command1_Click();
    EXPECT_TRUE(s.Cancelled);
    EXPECT_TRUE(s.isHidden());
}

TEST_F(SearchDialog, ALoadFailureIsShownAndTheDialogStillOpens) {
    clsConnection closed;
    frmSearch s(&closed);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].prompt.startsWith("ERROR: Operation is not allowed"))
        << dialogs.texts()[0].toStdString();
    EXPECT_TRUE(s.Cancelled);
    s.MSFlexGrid1_DblClick();
    EXPECT_TRUE(s.Cancelled);
}

}  // namespace
