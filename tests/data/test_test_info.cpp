#include "data/clsTEST_INFO.h"
#include "RecordFixture.h"

#include <functional>

using testing_support::isNow;
using testing_support::RecordFixture;

namespace {

class TestInfo : public RecordFixture {
protected:
    void SetUp() override {
        RecordFixture::SetUp();
        info.ConnectX(&conn);
    }
    // Adds a test with the defaults but for its name and time.
    void addTest(const QString& name, const QDateTime& time) {
        clsTEST_INFO w;
        w.ConnectX(&conn);
        w.TEST_NAME(name);
        w.TEST_TIME(time);
        w.AddNew();
    }
    static QDateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
    }
    clsTEST_INFO info;
};

void expectDefaultsButTime(const clsTEST_INFO& r) {
    EXPECT_EQ(r.Test_Id(), 0);
    EXPECT_EQ(r.TEST_NAME(), "");
    EXPECT_EQ(r.Fluid_ID(), "");
    EXPECT_EQ(r.RESEARCHER_NAME(), "UNKOWN");
    EXPECT_EQ(r.ROTOR_NO(), "R1");
    EXPECT_EQ(r.BOB_NO(), "B5");
    EXPECT_DOUBLE_EQ(r.BOB_RADIUS(), 1.5987);
    EXPECT_DOUBLE_EQ(r.BOB_EFF_LENGTH(), 3.8);
    EXPECT_DOUBLE_EQ(r.PreTest_PH(), 7.0);
    EXPECT_DOUBLE_EQ(r.PostTest_PH(), 7.0);
    EXPECT_EQ(r.All()[clsTEST_INFO::colSAFETY].toString(), "");
}

}  // namespace

TEST(TestInfoRecord, NewInstanceHoldsTheDefaultsAndA13EntryRowArray) {
    clsTEST_INFO r;
    expectDefaultsButTime(r);
    EXPECT_TRUE(isNow(r.TEST_TIME()));
    EXPECT_FALSE(r.Eof());
    const RowArray a = r.All();
    ASSERT_EQ(a.size(), 13);
    EXPECT_FALSE(a[12].isValid());
    EXPECT_EQ(a[clsTEST_INFO::colTEST_TIME].metaType().id(), QMetaType::QDateTime);
    EXPECT_EQ(a[clsTEST_INFO::colTEST_ID].metaType().id(), QMetaType::Double);
}

TEST(TestInfoRecord, OperationsNeedingTheConnectionFailBeforeConnectX) {
    clsTEST_INFO r;
    EXPECT_THROW(r.GetTestDetail(), db::DbError);
    EXPECT_THROW(r.AddNew(), db::DbError);
    EXPECT_THROW(r.Update(), db::DbError);
    EXPECT_THROW(r.Delete(), db::DbError);
    EXPECT_THROW(r.BOF(), db::DbError);
    EXPECT_THROW(r.IsEmpty(), db::DbError);
    clsConnection closed;  // never opened
    EXPECT_THROW(r.ConnectX(&closed), db::DbError);
}

TEST_F(TestInfo, EveryColumnRoundTrips) {
    const QString longName(250, QLatin1Char('N'));
    const QString description = QString(249, QLatin1Char('d')) + QChar(0x00B0);  // 250 with a non-ASCII one
    info.TEST_NAME(longName);
    info.Fluid_ID("Fluid \"7\" 'x'; DROP TABLE TEST_INFO");
    info.TEST_TIME(at(2024, 2, 29, 23, 59, 58));
    info.RESEARCHER_NAME(QString(50, QLatin1Char('r')));
    info.ROTOR_NO("2.4772389");
    info.BOB_NO("PVT");
    info.BOB_RADIUS(123.456789012345);
    info.BOB_EFF_LENGTH(-0.001);
    info.PreTest_PH(2.48777E-06);
    info.PostTest_PH(3.875);
    info.SAFETY(description);
    info.AddNew();
    ASSERT_EQ(count("TEST_INFO"), 1);

    clsTEST_INFO r;
    r.ConnectX(&conn);
    r.TEST_NAME(longName);
    r.GetTestDetail();
    ASSERT_FALSE(r.Eof());
    EXPECT_EQ(r.RowCount(), 1);
    EXPECT_EQ(r.Test_Id(), scalar("SELECT TEST_ID FROM TEST_INFO").toDouble());
    EXPECT_GT(r.Test_Id(), 0);
    EXPECT_EQ(r.TEST_NAME(), longName);
    EXPECT_EQ(r.Fluid_ID(), "Fluid \"7\" 'x'; DROP TABLE TEST_INFO");
    EXPECT_EQ(r.TEST_TIME(), at(2024, 2, 29, 23, 59, 58));
    EXPECT_EQ(r.RESEARCHER_NAME(), QString(50, QLatin1Char('r')));
    EXPECT_EQ(r.ROTOR_NO(), "2.4772389");
    EXPECT_EQ(r.BOB_NO(), "PVT");
    EXPECT_DOUBLE_EQ(r.BOB_RADIUS(), 123.456789012345);
    EXPECT_DOUBLE_EQ(r.BOB_EFF_LENGTH(), -0.001);
    EXPECT_DOUBLE_EQ(r.PreTest_PH(), 2.48777E-06);
    EXPECT_DOUBLE_EQ(r.PostTest_PH(), 3.875);

    const RowArray a = r.All();
    ASSERT_EQ(a.size(), 13);
    EXPECT_EQ(a[clsTEST_INFO::colTEST_ID].toDouble(), r.Test_Id());
    EXPECT_EQ(a[clsTEST_INFO::colTEST_NAME].toString(), longName);
    EXPECT_EQ(a[clsTEST_INFO::colTEST_TIME].toDateTime(), at(2024, 2, 29, 23, 59, 58));
    EXPECT_EQ(a[clsTEST_INFO::colBOB_NO].toString(), "PVT");
    EXPECT_EQ(a[clsTEST_INFO::colSAFETY].toString(), description);
    EXPECT_FALSE(a[12].isValid());

    // The time is stored in the sortable text form.
    EXPECT_EQ(scalar("SELECT TEST_TIME FROM TEST_INFO").toString(), "2024-02-29 23:59:58");
}

TEST_F(TestInfo, NullColumnsReadAsTheDefaultsAndANullTimeAsNow) {
    sql("INSERT INTO TEST_INFO (TEST_NAME) VALUES ('bare')");
    info.TEST_NAME("bare");
    info.GetTestDetail();
    ASSERT_FALSE(info.Eof());
    EXPECT_EQ(info.TEST_NAME(), "bare");
    EXPECT_EQ(info.Test_Id(), lastKey());
    EXPECT_TRUE(isNow(info.TEST_TIME()));
    info.Test_Id(0);
    info.TEST_NAME("");
    expectDefaultsButTime(info);
}

TEST_F(TestInfo, GetTestDetailForAnUnknownNameResetsTheFieldsAndFindsNoRows) {
    addTest("A", at(2020, 1, 1));
    info.ConnectX(&conn);
    const RowCache list = info.StoredTests();
    ASSERT_EQ(list.size(), 5);

    info.BOB_NO("B1");
    info.TEST_NAME("nobody");
    info.GetTestDetail();
    EXPECT_TRUE(info.Eof());
    EXPECT_EQ(info.RowCount(), 0);
    EXPECT_TRUE(isNow(info.TEST_TIME()));
    expectDefaultsButTime(info);
    EXPECT_EQ(info.StoredTests(), list);
    EXPECT_TRUE(info.TestRows().isEmpty());
    EXPECT_TRUE(info.IsEmpty());
    EXPECT_TRUE(info.BOF());
}

TEST_F(TestInfo, NamesCompareWithoutRegardToCase) {
    addTest("Mud Test", at(2020, 1, 1));
    info.TEST_NAME("MUD TEST");
    info.GetTestDetail();
    EXPECT_FALSE(info.Eof());
    EXPECT_EQ(info.TEST_NAME(), "Mud Test");
}

TEST_F(TestInfo, AddNewThenGetTestDetailGivesTheNewKey) {
    addTest("first", at(2020, 1, 1));
    info.TEST_NAME("second");
    info.AddNew();
    // AddNew reads nothing back.
    EXPECT_EQ(info.Test_Id(), 0);
    info.GetTestDetail();
    EXPECT_EQ(info.Test_Id(), lastKey());
    EXPECT_EQ(info.Test_Id(), scalar("SELECT TEST_ID FROM TEST_INFO WHERE TEST_NAME = 'second'").toDouble());
}

TEST_F(TestInfo, KeysAreNeverHandedOutTwice) {
    info.TEST_NAME("one");
    info.AddNew();
    info.GetTestDetail();
    const double first = info.Test_Id();
    info.Delete();
    ASSERT_EQ(count("TEST_INFO"), 0);
    info.TEST_NAME("two");
    info.AddNew();
    info.GetTestDetail();
    EXPECT_GT(info.Test_Id(), first);
}

TEST_F(TestInfo, UpdateRewritesTheRowOfTheCurrentKeyOnly) {
    addTest("keep", at(2020, 1, 1));
    addTest("edit", at(2021, 1, 1));
    info.TEST_NAME("edit");
    info.GetTestDetail();
    info.Fluid_ID("F2");
    info.RESEARCHER_NAME("Ann");
    info.PreTest_PH(6.5);
    info.PostTest_PH(8.25);
    info.ROTOR_NO("R2");
    info.BOB_NO("B3");
    info.BOB_EFF_LENGTH(3.81);
    info.BOB_RADIUS(0.8622);
    info.SAFETY("notes");
    info.Update();

    clsTEST_INFO r;
    r.ConnectX(&conn);
    r.TEST_NAME("edit");
    r.GetTestDetail();
    EXPECT_EQ(r.Fluid_ID(), "F2");
    EXPECT_EQ(r.RESEARCHER_NAME(), "Ann");
    EXPECT_DOUBLE_EQ(r.PreTest_PH(), 6.5);
    EXPECT_DOUBLE_EQ(r.PostTest_PH(), 8.25);
    EXPECT_EQ(r.ROTOR_NO(), "R2");
    EXPECT_EQ(r.BOB_NO(), "B3");
    EXPECT_DOUBLE_EQ(r.BOB_EFF_LENGTH(), 3.81);
    EXPECT_DOUBLE_EQ(r.BOB_RADIUS(), 0.8622);
    EXPECT_EQ(r.All()[clsTEST_INFO::colSAFETY].toString(), "notes");
    EXPECT_EQ(r.TEST_TIME(), at(2021, 1, 1));

    r.TEST_NAME("keep");
    r.GetTestDetail();
    EXPECT_EQ(r.Fluid_ID(), "");
    EXPECT_EQ(r.RESEARCHER_NAME(), "UNKOWN");
}

TEST_F(TestInfo, TheNullDateIsStoredAsNullByUpdateOnly) {
    info.TEST_NAME("old");
    info.TEST_TIME(clsTEST_INFO::NullDate());
    info.AddNew();
    EXPECT_EQ(scalar("SELECT TEST_TIME FROM TEST_INFO").toString(), "1800-01-01 00:00:00");

    info.GetTestDetail();
    ASSERT_EQ(info.TEST_TIME(), clsTEST_INFO::NullDate());
    info.Update();
    EXPECT_TRUE(scalar("SELECT TEST_TIME FROM TEST_INFO").isNull());
    info.GetTestDetail();
    EXPECT_TRUE(isNow(info.TEST_TIME()));

    // One second later is an ordinary date.
    info.TEST_TIME(clsTEST_INFO::NullDate().addSecs(1));
    info.Update();
    EXPECT_EQ(scalar("SELECT TEST_TIME FROM TEST_INFO").toString(), "1800-01-01 00:00:01");
}

TEST_F(TestInfo, DeleteRemovesEveryRowOfTheNameAndNothingElse) {
    addTest("twin", at(2020, 1, 1));
    addTest("TWIN", at(2020, 1, 2));
    addTest("other", at(2020, 1, 3));
    sql("INSERT INTO TEST_RESULT (TEST_ID, RESULT_TIME) VALUES (1, 0)");
    info.TEST_NAME("twin");
    info.Delete();
    EXPECT_EQ(count("TEST_INFO"), 1);
    EXPECT_EQ(scalar("SELECT TEST_NAME FROM TEST_INFO").toString(), "other");
    EXPECT_EQ(count("TEST_RESULT"), 1);
}

TEST_F(TestInfo, SaveAsInsertsUnderTheGivenName) {
    info.TEST_NAME("original");
    info.Fluid_ID("F1");
    info.TEST_TIME(at(2022, 5, 6, 7, 8, 9));
    info.SaveAs("copy");
    EXPECT_EQ(info.TEST_NAME(), "original");
    EXPECT_EQ(count("TEST_INFO"), 1);
    info.TEST_NAME("copy");
    info.GetTestDetail();
    ASSERT_FALSE(info.Eof());
    EXPECT_EQ(info.Fluid_ID(), "F1");
    EXPECT_EQ(info.TEST_TIME(), at(2022, 5, 6, 7, 8, 9));
}

TEST_F(TestInfo, StoredTestsListsTestsNewestFirst) {
    addTest("middle", at(2021, 6, 1, 12, 0, 0));
    addTest("newest", at(2023, 1, 1, 0, 0, 1));
    addTest("oldest", at(2019, 12, 31, 23, 59, 59));
    sql("UPDATE TEST_INFO SET RESEARCHER_NAME = 'Bo', BOB_NO = 'LSM' WHERE TEST_NAME = 'newest'");
    info.ConnectX(&conn);
    const RowCache names = info.StoredTests();
    ASSERT_EQ(names.size(), 5);  // TEST_NAME, TEST_TIME, RESEARCHER_NAME, BOB_NO, TEST_ID
    ASSERT_EQ(names[0].size(), 3);
    EXPECT_EQ(info.RowCount(), 3);
    EXPECT_EQ(names[0], (QVector<QVariant>{"newest", "middle", "oldest"}));
    EXPECT_EQ(names[1][0].toString(), "2023-01-01 00:00:01");
    EXPECT_EQ(names[2][0].toString(), "Bo");
    EXPECT_EQ(names[3][0].toString(), "LSM");
    EXPECT_EQ(names[3][1].toString(), "B5");
    EXPECT_EQ(names[clsTEST_INFO::kListKeyColumn][0].toInt(),
              scalar("SELECT TEST_ID FROM TEST_INFO WHERE TEST_NAME = 'newest'").toInt());

    // After a key query that found rows, TestRows holds its full rows ...
    info.TEST_NAME("middle");
    info.GetTestDetail();
    const RowCache full = info.TestRows();
    ASSERT_EQ(full.size(), 12);
    EXPECT_EQ(full[clsTEST_INFO::colTEST_NAME], (QVector<QVariant>{"middle"}));
    // ... and the list stays as ConnectX read it.
    EXPECT_EQ(info.StoredTests(), names);
}

TEST_F(TestInfo, StoredTestsOfAnEmptyTableIsEmptyAlsoAfterEarlierRows) {
    addTest("gone", at(2020, 1, 1));
    info.ConnectX(&conn);
    ASSERT_EQ(info.StoredTests().size(), 5);
    sql("DELETE FROM TEST_INFO");
    info.ConnectX(&conn);
    EXPECT_TRUE(info.StoredTests().isEmpty());
    EXPECT_EQ(info.RowCount(), 0);
    EXPECT_TRUE(info.Eof());
}

TEST_F(TestInfo, ConnectXReadsTheListButLeavesFieldsCursorAndKeyQueryRowSetAlone) {
    addTest("a", at(2020, 1, 1));
    addTest("b", at(2020, 1, 2));
    info.TEST_NAME("zzz");
    info.GetTestDetail();  // nothing: end flag up, empty row set
    ASSERT_TRUE(info.Eof());
    info.TEST_NAME("mine");
    info.ConnectX(&conn);
    EXPECT_EQ(info.TEST_NAME(), "mine");
    EXPECT_EQ(info.RowCount(), 2);
    EXPECT_TRUE(info.Eof());       // a list with rows leaves the end flag as it was
    EXPECT_TRUE(info.IsEmpty());   // still the last key query's row set
}

TEST_F(TestInfo, CursorWalksTheRowsOfANameAndClampsRelativeMoves) {
    for (int i = 0; i < 5; ++i) {
        clsTEST_INFO w;
        w.ConnectX(&conn);
        w.TEST_NAME("same");
        w.Fluid_ID(QString::number(i));
        w.AddNew();
    }
    info.TEST_NAME("same");
    info.GetTestDetail();
    ASSERT_EQ(info.RowCount(), 5);
    auto fluidAt = [&](int row) { return info.TestRows()[clsTEST_INFO::colFLUID_ID][row].toString(); };

    info.MoveFirst();
    QStringList seen;
    while (!info.Eof()) {
        seen << info.Fluid_ID();
        info.MoveNext();
    }
    EXPECT_EQ(seen.size(), 5);
    EXPECT_EQ(info.CursorIndex(), 4);
    EXPECT_EQ(info.Fluid_ID(), fluidAt(4));  // MoveNext on the last row loads nothing

    // This class's MoveFirst leaves the end flag up.
    info.MoveFirst();
    EXPECT_TRUE(info.Eof());
    EXPECT_EQ(info.Fluid_ID(), fluidAt(0));

    info.MoveRel(100);
    EXPECT_EQ(info.CursorIndex(), 4);
    EXPECT_EQ(info.Fluid_ID(), fluidAt(4));
    info.MoveRel(-100);
    EXPECT_EQ(info.CursorIndex(), 0);
    EXPECT_EQ(info.Fluid_ID(), fluidAt(0));
    info.MoveRel(2);
    EXPECT_EQ(info.Fluid_ID(), fluidAt(2));
    info.MovePrevious();
    EXPECT_EQ(info.Fluid_ID(), fluidAt(1));
    info.MoveLast();
    EXPECT_EQ(info.CursorIndex(), 4);
    info.MoveNext();
    EXPECT_TRUE(info.Eof());
    info.MovePrevious();
    EXPECT_EQ(info.CursorIndex(), 3);
}

TEST_F(TestInfo, CursorMovesOverTheListRowsOrNoRowsDoNotFail) {
    clsTEST_INFO r;
    r.MoveFirst();
    EXPECT_TRUE(r.Eof());
    r.MoveNext();
    r.MovePrevious();
    r.MoveRel(3);
    r.MoveLast();
    addTest("a", at(2020, 1, 1));
    r.ConnectX(&conn);
    r.TEST_NAME("kept");
    r.MoveFirst();  // list rows are not full rows: the fields take their defaults
    EXPECT_EQ(r.TEST_NAME(), "");
    r.MoveNext();
    EXPECT_TRUE(r.Eof());
}

TEST_F(TestInfo, ATextLongerThanItsParameterIsRefusedAndNothingIsWritten) {
    struct Case {
        const char* what;
        std::function<void(clsTEST_INFO&)> set;
    };
    const Case cases[] = {
        {"TEST_NAME", [](clsTEST_INFO& r) { r.TEST_NAME(QString(251, QLatin1Char('n'))); }},
        {"Fluid_ID", [](clsTEST_INFO& r) { r.Fluid_ID(QString(51, QLatin1Char('f'))); }},
        {"RESEARCHER_NAME", [](clsTEST_INFO& r) { r.RESEARCHER_NAME(QString(51, QLatin1Char('r'))); }},
        {"ROTOR_NO", [](clsTEST_INFO& r) { r.ROTOR_NO(QString(51, QLatin1Char('o'))); }},
        {"BOB_NO", [](clsTEST_INFO& r) { r.BOB_NO(QString(51, QLatin1Char('b'))); }},
        {"SAFETY", [](clsTEST_INFO& r) { r.SAFETY(QString(251, QLatin1Char('s'))); }},
    };
    addTest("stored", at(2020, 1, 1));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clsTEST_INFO r;
        r.ConnectX(&conn);
        r.TEST_NAME("stored");
        r.GetTestDetail();
        c.set(r);
        try {
            r.AddNew();
            ADD_FAILURE() << "AddNew accepted a text that is too long";
        } catch (const db::DbError& e) {
            EXPECT_EQ(e.number(), db::ErrValueTooLong);
        }
        EXPECT_THROW(r.Update(), db::DbError);
        EXPECT_EQ(count("TEST_INFO"), 1);
        EXPECT_EQ(scalar("SELECT TEST_NAME || '|' || IFNULL(FLUID_ID,'') || '|' || RESEARCHER_NAME || '|' || "
                         "ROTOR_NO || '|' || BOB_NO || '|' || IFNULL(SAFETY,'') FROM TEST_INFO")
                      .toString(),
                  "stored||UNKOWN|R1|B5|");
    }
}

// Names are not unique: the key query reads the one test of its key.
TEST_F(TestInfo, GetTestDetailByKeyReadsTheTestOfTheKeyAmongNamesakes) {
    addTest("twin", at(2020, 1, 1));
    const int first = lastKey();
    addTest("twin", at(2020, 1, 2));
    const int second = lastKey();
    info.ConnectX(&conn);
    for (int key : {second, first}) {
        info.Test_Id(key);
        info.GetTestDetailByKey();
        ASSERT_FALSE(info.Eof());
        EXPECT_EQ(info.RowCount(), 1);
        EXPECT_EQ(info.Test_Id(), key);
        EXPECT_EQ(info.TEST_NAME(), "twin");
        EXPECT_EQ(info.TestRows()[clsTEST_INFO::colTEST_ID].value(0).toInt(), key);
    }
    info.Test_Id(9999);
    info.GetTestDetailByKey();
    EXPECT_TRUE(info.Eof());
    EXPECT_EQ(info.Test_Id(), 0);
}

// Names are not unique: an insert tells the key of the row it made, which a
// search by name would take for the older namesake's.
TEST_F(TestInfo, AddNewAndSaveAsReturnTheKeyOfTheRowTheyInsertedAmongNamesakes) {
    addTest("Run A", at(2020, 1, 1));
    const int older = lastKey();
    info.TEST_NAME("Run A");
    info.Fluid_ID("newer");
    const double added = info.AddNew();
    EXPECT_EQ(added, lastKey());
    const double copied = info.SaveAs("run a");
    EXPECT_EQ(copied, lastKey());
    EXPECT_EQ(info.Test_Id(), 0);  // the current row keeps its key
    for (double key : {added, copied}) {
        EXPECT_NE(key, older);
        EXPECT_EQ(scalar("SELECT FLUID_ID FROM TEST_INFO WHERE TEST_ID = ?", {key}).toString(), "newer") << key;
    }
    EXPECT_NE(added, copied);
    EXPECT_EQ(count("TEST_INFO"), 3);
}

TEST_F(TestInfo, AnInsertTheDatabaseRefusesRaisesItsFailure) {
    addTest("stored", at(2020, 1, 1));
    sql("CREATE TRIGGER refuse BEFORE INSERT ON TEST_INFO BEGIN SELECT RAISE(ABORT, 'database is full'); END");
    info.TEST_NAME("stored");
    for (const auto& insert : {std::function<void()>([&] { info.AddNew(); }),
                               std::function<void()>([&] { info.SaveAs("copy"); })}) {
        try {
            insert();
            ADD_FAILURE() << "the refused insert returned";
        } catch (const db::DbError& e) {
            EXPECT_TRUE(e.description().contains("database is full")) << e.description().toStdString();
        }
    }
    EXPECT_EQ(count("TEST_INFO"), 1);
}

TEST_F(TestInfo, ConnectX4ReadsTheRowsOfTheKeyOnceConnectXHasPrepared) {
    clsTEST_INFO fresh;
    fresh.Test_Id(1);
    EXPECT_THROW(fresh.ConnectX4(&conn), db::DbError);

    addTest("x", at(2020, 1, 1));
    addTest("y", at(2020, 1, 2));
    info.TEST_NAME("keep me");
    info.Test_Id(lastKey());
    info.ConnectX4(&conn);
    EXPECT_EQ(info.RowCount(), 1);
    EXPECT_EQ(info.TestRows()[clsTEST_INFO::colTEST_NAME], (QVector<QVariant>{"y"}));
    EXPECT_EQ(info.TEST_NAME(), "keep me");  // no row is loaded
    info.MoveFirst();
    EXPECT_EQ(info.TEST_NAME(), "y");

    info.Test_Id(9999);
    info.ConnectX4(&conn);
    EXPECT_EQ(info.RowCount(), 0);
    EXPECT_TRUE(info.Eof());
}

TEST_F(TestInfo, AllSetsEveryFieldAndRefusesAShortArray) {
    RowArray a = info.All();
    a[clsTEST_INFO::colTEST_ID] = 17.0;
    a[clsTEST_INFO::colTEST_NAME] = "from array";
    a[clsTEST_INFO::colTEST_TIME] = at(2001, 2, 3, 4, 5, 6);
    a[clsTEST_INFO::colBOB_RADIUS] = "1.25";
    a[clsTEST_INFO::colSAFETY] = "s";
    info.All(a);
    EXPECT_EQ(info.Test_Id(), 17.0);
    EXPECT_EQ(info.TEST_NAME(), "from array");
    EXPECT_EQ(info.TEST_TIME(), at(2001, 2, 3, 4, 5, 6));
    EXPECT_DOUBLE_EQ(info.BOB_RADIUS(), 1.25);
    EXPECT_EQ(info.All(), a);

    RowArray shortArray = a;
    shortArray.resize(11);
    EXPECT_THROW(info.All(shortArray), db::DbError);
    RowArray badNumber = a;
    badNumber[clsTEST_INFO::colPRETEST_PH] = "seven";
    EXPECT_THROW(info.All(badNumber), db::DbError);
    EXPECT_EQ(info.All(), a);  // a refused array changes nothing
}

TEST_F(TestInfo, EmptyTextsAreStoredAsEmptyTextsNotNull) {
    clsTEST_INFO w;
    w.ConnectX(&conn);
    w.TEST_NAME("empty texts");
    w.Fluid_ID(QString());
    w.AddNew();
    EXPECT_EQ(scalar("SELECT typeof(FLUID_ID) || ' ' || typeof(SAFETY) FROM TEST_INFO").toString(), "text text");
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM TEST_INFO WHERE FLUID_ID <> 'x'").toInt(), 1);
}
