#include "data/clsTEST_ADDITIVE.h"
#include "RecordFixture.h"

#include <functional>

using testing_support::RecordFixture;

namespace {

class TestAdditive : public RecordFixture {
protected:
    void SetUp() override {
        RecordFixture::SetUp();
        writer.ConnectX(&conn);
    }
    void add(double testId, const QString& name, double concen = 0, const QString& unit = QString(),
             const QString& lot = QString()) {
        writer.TESTId(testId);
        writer.TESTADD_ID(0);
        writer.ADDITIVE_NM(name);
        writer.ADD_CONCEN(concen);
        writer.ADD_UNIT(unit);
        writer.ADD_LOTNO(lot);
        writer.AddNew();
    }
    // The names of a test's additives, read the way the windows read them.
    QStringList namesOf(clsTEST_ADDITIVE& r, double testId) {
        QStringList names;
        r.TESTId(testId);
        r.ConnectX(&conn);
        if (!r.Eof()) {
            r.MoveFirst();
            while (!r.Eof()) {
                names << r.All()[clsTEST_ADDITIVE::colADDITIVE_NM].toString();
                r.MoveNext();
            }
        }
        return names;
    }
    clsTEST_ADDITIVE writer;
};

void expectDefaults(const clsTEST_ADDITIVE& r) {
    EXPECT_EQ(r.TESTADD_ID(), 0);
    EXPECT_EQ(r.TESTId(), 0);
    EXPECT_EQ(r.ADDITIVE_NM(), "");
    EXPECT_EQ(r.ADD_CONCEN(), 0);
    EXPECT_EQ(r.ADD_UNIT(), "");
    EXPECT_EQ(r.ADD_LOTNO(), "");
}

}  // namespace

TEST(TestAdditiveRecord, NewInstanceHoldsTheDefaultsAndFailsUnbound) {
    clsTEST_ADDITIVE r;
    expectDefaults(r);
    EXPECT_EQ(r.All().size(), 6);
    EXPECT_FALSE(r.Eof());
    EXPECT_THROW(r.GetSeqDetail(), db::DbError);
    EXPECT_THROW(r.AddNew(), db::DbError);
    EXPECT_THROW(r.Delete(), db::DbError);
    EXPECT_THROW(r.BOF(), db::DbError);
}

TEST_F(TestAdditive, EveryColumnRoundTrips) {
    add(12, QString(50, QLatin1Char('a')), 2.5, "lb/bbl", "LOT-7 \"b\"");
    const int key = lastKey();
    clsTEST_ADDITIVE r;
    r.TESTId(12);
    r.ConnectX(&conn);
    ASSERT_FALSE(r.Eof());
    EXPECT_EQ(r.RowCount(), 1);
    EXPECT_EQ(r.ADDITIVE_NM(), "");  // ConnectX loads no row
    r.MoveFirst();
    EXPECT_EQ(r.TESTADD_ID(), key);
    EXPECT_EQ(r.TESTId(), 12);
    EXPECT_EQ(r.ADDITIVE_NM(), QString(50, QLatin1Char('a')));
    EXPECT_EQ(r.ADD_CONCEN(), 2.5);
    EXPECT_EQ(r.ADD_UNIT(), "lb/bbl");
    EXPECT_EQ(r.ADD_LOTNO(), "LOT-7 \"b\"");
    const RowArray a = r.All();
    ASSERT_EQ(a.size(), 6);
    EXPECT_EQ(a[clsTEST_ADDITIVE::colTESTADD_ID], QVariant(double(key)));
    EXPECT_EQ(a[clsTEST_ADDITIVE::colTEST_ID], QVariant(12.0));
    EXPECT_EQ(a[clsTEST_ADDITIVE::colADDITIVE_NM].metaType().id(), QMetaType::QString);
    EXPECT_EQ(a[clsTEST_ADDITIVE::colADD_CONCEN], QVariant(2.5));
    EXPECT_EQ(a[clsTEST_ADDITIVE::colADD_UNIT], QVariant("lb/bbl"));
    EXPECT_EQ(a[clsTEST_ADDITIVE::colADD_LOTNO], QVariant("LOT-7 \"b\""));
}

TEST_F(TestAdditive, NullColumnsLoadAsTheDefaults) {
    sql("INSERT INTO TEST_ADDITIVE (TEST_ID) VALUES (3)");
    clsTEST_ADDITIVE r;
    r.TESTId(3);
    r.ConnectX(&conn);
    r.ADDITIVE_NM("x");
    r.ADD_CONCEN(9);
    r.MoveFirst();
    EXPECT_EQ(r.TESTADD_ID(), lastKey());
    EXPECT_EQ(r.TESTId(), 3);
    EXPECT_EQ(r.ADDITIVE_NM(), "");
    EXPECT_EQ(r.ADD_CONCEN(), 0);
    EXPECT_EQ(r.ADD_UNIT(), "");
    EXPECT_EQ(r.ADD_LOTNO(), "");
}

TEST_F(TestAdditive, ReadingWalksEveryRowOfTheTestOnce) {
    add(1, "A");
    add(2, "other");
    add(1, "B");
    add(1, "C");
    clsTEST_ADDITIVE r;
    QStringList names = namesOf(r, 1);
    names.sort();
    EXPECT_EQ(names, (QStringList{"A", "B", "C"}));

    // This class's MoveFirst leaves the end flag up; relative moves clamp.
    EXPECT_TRUE(r.Eof());
    r.MoveFirst();
    EXPECT_TRUE(r.Eof());
    EXPECT_EQ(r.CursorIndex(), 0);
    r.MoveRel(100);
    EXPECT_EQ(r.CursorIndex(), 2);
    r.MoveRel(-100);
    EXPECT_EQ(r.CursorIndex(), 0);
    r.MoveLast();
    EXPECT_EQ(r.CursorIndex(), 2);
    r.MovePrevious();
    EXPECT_EQ(r.CursorIndex(), 1);
}

TEST_F(TestAdditive, ATestWithoutAdditivesShowsNoneAfterAnotherTest) {
    add(1, "A");
    add(1, "B");
    clsTEST_ADDITIVE r;
    ASSERT_EQ(namesOf(r, 1).size(), 2);
    EXPECT_TRUE(namesOf(r, 2).isEmpty());
    EXPECT_TRUE(r.Eof());
    EXPECT_TRUE(r.IsEmpty());
    r.MoveFirst();
    EXPECT_TRUE(r.Eof());
}

TEST_F(TestAdditive, GetSeqDetailLoadsTheFirstRowOrTheDefaults) {
    add(5, "first", 1.5);
    clsTEST_ADDITIVE r;
    r.TESTId(5);
    r.ConnectX(&conn);
    r.GetSeqDetail();
    EXPECT_FALSE(r.Eof());
    EXPECT_EQ(r.RowCount(), 1);
    EXPECT_EQ(r.ADDITIVE_NM(), "first");
    EXPECT_EQ(r.ADD_CONCEN(), 1.5);

    r.TESTId(6);
    r.ADD_UNIT("u");
    r.GetSeqDetail();
    EXPECT_TRUE(r.Eof());
    EXPECT_EQ(r.RowCount(), 0);
    expectDefaults(r);
}

TEST_F(TestAdditive, RewritingDeletesOnlyThatTestsRows) {
    add(1, "A");
    add(1, "B");
    add(2, "keep");
    writer.TESTId(1);
    writer.Delete();
    add(1, "C");
    clsTEST_ADDITIVE r;
    EXPECT_EQ(namesOf(r, 1), QStringList{"C"});
    EXPECT_EQ(namesOf(r, 2), QStringList{"keep"});
}

TEST_F(TestAdditive, UpdateChangesNothingAndKeysAreNeverReused) {
    add(1, "A");
    const int first = lastKey();
    writer.ADDITIVE_NM("changed");
    writer.Update();
    writer.Refresh();
    EXPECT_EQ(scalar("SELECT ADDITIVE_NM FROM TEST_ADDITIVE").toString(), "A");
    writer.Delete();
    add(1, "B");
    EXPECT_GT(lastKey(), first);
    clsTEST_ADDITIVE r;
    r.TESTId(1);
    r.ConnectX(&conn);
    r.MoveFirst();
    EXPECT_EQ(r.TESTADD_ID(), lastKey());
}

TEST_F(TestAdditive, ATextLongerThanFiftyIsRefusedAndNothingIsWritten) {
    const QString tooLong(51, QLatin1Char('x'));
    const std::function<void(clsTEST_ADDITIVE&)> setters[] = {
        [&](clsTEST_ADDITIVE& r) { r.ADDITIVE_NM(tooLong); },
        [&](clsTEST_ADDITIVE& r) { r.ADD_UNIT(tooLong); },
        [&](clsTEST_ADDITIVE& r) { r.ADD_LOTNO(tooLong); },
    };
    for (const auto& set : setters) {
        writer.SetDefaults();
        writer.TESTId(1);
        writer.ADDITIVE_NM("name");
        set(writer);
        try {
            writer.AddNew();
            ADD_FAILURE() << "AddNew accepted a text that is too long";
        } catch (const db::DbError& e) {
            EXPECT_EQ(e.number(), db::ErrValueTooLong);
        }
        EXPECT_EQ(count("TEST_ADDITIVE"), 0);
    }
}

TEST_F(TestAdditive, AllSetsTheSixFields) {
    const RowArray a{7.0, 8.0, "n", 0.25, "u", "l"};
    writer.All(a);
    EXPECT_EQ(writer.TESTADD_ID(), 7);
    EXPECT_EQ(writer.TESTId(), 8);
    EXPECT_EQ(writer.ADDITIVE_NM(), "n");
    EXPECT_EQ(writer.ADD_CONCEN(), 0.25);
    EXPECT_EQ(writer.ADD_UNIT(), "u");
    EXPECT_EQ(writer.ADD_LOTNO(), "l");
    EXPECT_EQ(writer.All(), a);
    EXPECT_THROW(writer.All(RowArray{1.0, 2.0}), db::DbError);
    EXPECT_EQ(writer.All(), a);
}
