// The sequence record classes over a real database file in a scratch folder.

#include "data/clsConnection.h"
#include "data/clsSEQUENCE_INFO.h"
#include "data/clsSEQUENCE_RAMP.h"
#include "data/clsSEQUENCE_RAMP_DEFINE.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDb.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

using testing_support::ScriptedDialogs;
using testing_support::InFolder;
using testing_support::TempDb;

namespace {


// The number of the DbError a call raises; 0 when it raises none.
int errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const db::DbError& e) {
        return e.number();
    }
    return 0;
}

QStringList names(const RowCache& cache) {
    QStringList out;
    if (cache.isEmpty()) return out;
    for (const QVariant& v : cache[0]) out << v.toString();
    return out;
}

struct Step {
    double rampNo, elapse, temp, startError, speed, recordRate, press, runRamp, tempRate, cycles, pressRate;
};

class SequenceRecords : public ::testing::Test {
protected:
    TempDb tmp;
    InFolder in{tmp.dir()};
    ScriptedDialogs dialogs;
    clsConnection conn;

    void SetUp() override {
        conn.OpenDB();
        ASSERT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("\n").toStdString();
        ASSERT_TRUE(conn.ADOConnection()->isOpen());
    }

    QSqlDatabase& handle() { return conn.ADOConnection()->handle(); }

    void exec(const QString& sql) {
        QSqlQuery q(handle());
        ASSERT_TRUE(q.exec(sql)) << sql.toStdString() << ": " << q.lastError().text().toStdString();
    }

    // Every row of a query, each row as a list of its values.
    QList<QVariantList> rows(const QString& sql) {
        QSqlQuery q(handle());
        EXPECT_TRUE(q.exec(sql)) << sql.toStdString() << ": " << q.lastError().text().toStdString();
        QList<QVariantList> out;
        while (q.next()) {
            QVariantList r;
            for (int c = 0; c < q.record().count(); ++c) r << q.value(c);
            out << r;
        }
        return out;
    }

    QVariant scalar(const QString& sql) {
        auto r = rows(sql);
        return r.isEmpty() ? QVariant() : r[0][0];
    }

    int count(const QString& table, const QString& where = QString()) {
        return scalar("SELECT COUNT(*) FROM " + table + (where.isEmpty() ? QString() : " WHERE " + where)).toInt();
    }

    // The editor's "new sequence": defaults, name, AddNew, then the key learnt
    // by a key query on the same name.
    qint32 createSequence(clsSEQUENCE_INFO& info, const QString& name) {
        info.SetDefaults();
        info.SEQUENCE_NAME(name);
        info.AddNew();
        info.GetSeqDetail();
        EXPECT_FALSE(info.Eof());
        return info.All()[0].toInt();
    }

    static void addStep(clsSEQUENCE_RAMP& r, double seq, const Step& s) {
        r.SequenceId(seq);
        r.SEQUENCE_RAMP_ID(0);
        r.RAMPNO(s.rampNo);
        r.RAMP_ELAPSE_TIME(s.elapse);
        r.RAMP_TEMP(s.temp);
        r.RAMP_START_ERROR(s.startError);
        r.SPEED(s.speed);
        r.RECORD_RATE(s.recordRate);
        r.RAMP_PRESS(s.press);
        r.RUN_RAMP(s.runRamp);
        r.TEMPRAMP_RATE(s.tempRate);
        r.CYCLE_LABEL(s.cycles);
        r.PRESS_RATE(s.pressRate);
        r.AddNew();
    }

    static void addRampStep(clsSEQUENCE_RAMP_DEFINE& d, double seq, double no, double speed, double delay,
                            double interval) {
        d.SequenceId(seq);
        d.SEQUENCE_DEF_ID(0);
        d.RAMP_STEP_NO(no);
        d.RAMP_SPEED(speed);
        d.DELAY_TIME(delay);
        d.INTERVALs(interval);
        d.AddNew();
    }

    // The caller's walk: ConnectX for a sequence, then MoveFirst, All and
    // MoveNext until the end flag.
    template <class Rec>
    QList<RowArray> walk(Rec& r, double seq) {
        QList<RowArray> out;
        r.SequenceId(seq);
        r.ConnectX(&conn);
        if (r.Eof()) return out;
        r.MoveFirst();
        while (!r.Eof()) {
            out << r.All();
            r.MoveNext();
            if (out.size() > 1000) break;  // a cursor that never ends
        }
        return out;
    }
};

}  // namespace

TEST_F(SequenceRecords, StatementTextsAreTheFixedOnes) {
    const std::pair<const char*, const char*> cases[] = {
        {clsSEQUENCE_INFO::kKeyByNameSql,
         "SELECT SEQUENCE_ID, SEQUENCE_NAME, TIME_BEFORE_READ, RAMP_SAMPLE_RATE, SAMPLE_POINTS_AVERAGE, "
         "SHUT_DOWN_ATIME, SHUT_DOWN_VISC, SAMPLE_INTERVAL  FROM SEQUENCE_INFO Where SEQUENCE_NAME = ?"},
        {clsSEQUENCE_INFO::kKeyByIdSql,
         "SELECT SEQUENCE_ID, SEQUENCE_NAME, TIME_BEFORE_READ, RAMP_SAMPLE_RATE, SAMPLE_POINTS_AVERAGE, "
         "SHUT_DOWN_ATIME, SHUT_DOWN_VISC, SAMPLE_INTERVAL  FROM SEQUENCE_INFO Where SEQUENCE_ID = ?"},
        {clsSEQUENCE_INFO::kListSql, "SELECT SEQUENCE_NAME  FROM SEQUENCE_INFO ORDER BY SEQUENCE_NAME"},
        {clsSEQUENCE_INFO::kInsertSql,
         "INSERT INTO  SEQUENCE_INFO (SEQUENCE_NAME, TIME_BEFORE_READ, RAMP_SAMPLE_RATE, SAMPLE_POINTS_AVERAGE, "
         "SHUT_DOWN_ATIME, SHUT_DOWN_VISC, SAMPLE_INTERVAL) VALUES (?, ?, ?, ?, ?, ?, ?)"},
        {clsSEQUENCE_INFO::kUpdateSql,
         "UPDATE SEQUENCE_INFO SET SEQUENCE_NAME = ?, TIME_BEFORE_READ = ?, RAMP_SAMPLE_RATE = ?, "
         "SAMPLE_POINTS_AVERAGE = ?, SHUT_DOWN_ATIME = ?, SHUT_DOWN_VISC = ?, SAMPLE_INTERVAL = ?  "
         "WHERE SEQUENCE_ID = ?"},
        {clsSEQUENCE_INFO::kDeleteSql, "DELETE  FROM SEQUENCE_INFO  WHERE SEQUENCE_NAME = ?"},
        {clsSEQUENCE_RAMP::kKeySql,
         "SELECT SEQUENCE_RAMP_ID, SEQUENCE_ID, RAMP_NO, RAMP_ELAPSE_TIME, RAMP_TEMP, RAMP_START_ERROR, SPEED, "
         "RECORD_RATE, RAMP_PRESS, RUN_RAMP, TEMPRAMP_RATE, CYCLE_LABEL, FEILD1  FROM SEQUENCE_RAMP Where "
         "SEQUENCE_ID = ?  ORDER BY RAMP_NO "},
        {clsSEQUENCE_RAMP::kInsertSql,
         "INSERT INTO  SEQUENCE_RAMP (SEQUENCE_ID, RAMP_NO, RAMP_ELAPSE_TIME, RAMP_TEMP, RAMP_START_ERROR, SPEED, "
         "RECORD_RATE,RAMP_PRESS, RUN_RAMP, TEMPRAMP_RATE, CYCLE_LABEL, FEILD1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, "
         "?, ?, ?)"},
        {clsSEQUENCE_RAMP::kDeleteSql, "DELETE  FROM SEQUENCE_RAMP  WHERE SEQUENCE_ID = ?"},
        {clsSEQUENCE_RAMP_DEFINE::kKeySql,
         "SELECT SEQUENCE_DEF_ID, SEQUENCE_ID, RAMP_STEP_NO, RAMP_SPEED, DELAY_TIME, INTERVALs  FROM "
         "SEQUENCE_RAMP_DEFINE Where SEQUENCE_ID = ? ORDER BY RAMP_STEP_NO"},
        {clsSEQUENCE_RAMP_DEFINE::kInsertSql,
         "INSERT INTO  SEQUENCE_RAMP_DEFINE (SEQUENCE_ID, RAMP_STEP_NO, RAMP_SPEED, DELAY_TIME, INTERVALs ) VALUES "
         "(?, ?, ?, ?, ?)"},
        {clsSEQUENCE_RAMP_DEFINE::kDeleteSql, "DELETE  FROM SEQUENCE_RAMP_DEFINE  WHERE SEQUENCE_ID = ?"},
    };
    for (const auto& [actual, expected] : cases) EXPECT_STREQ(actual, expected);
}

TEST_F(SequenceRecords, NewSequenceWithDefaultsReadsBackTheDefaults) {
    clsSEQUENCE_INFO info;
    const RowArray fresh = info.All();
    ASSERT_EQ(fresh.size(), 8);
    EXPECT_EQ(fresh[0].toDouble(), 0);
    EXPECT_EQ(fresh[1].toString(), "");

    info.ConnectX(&conn);
    const qint32 key = createSequence(info, "Standard");
    EXPECT_GT(key, 0);
    EXPECT_EQ(info.SEQUENCE_NAME(), "Standard");
    EXPECT_EQ(info.TIME_BEFORE_READ(), 20);
    EXPECT_EQ(info.RAMP_SAMPLE_RATE(), 2);
    EXPECT_EQ(info.SAMPLE_POINTS_AVERAGE(), 5);
    EXPECT_EQ(info.SHUT_DOWN_ATIME(), 20);
    EXPECT_EQ(info.SHUT_DOWN_VISC(), 0);
    EXPECT_EQ(info.SAMPLE_INTERVAL(), 60);
    // Stored as a whole number, not as 60.0.
    EXPECT_EQ(scalar("SELECT typeof(SAMPLE_INTERVAL) FROM SEQUENCE_INFO").toString(), "integer");
}

TEST_F(SequenceRecords, InfoRoundTripsEveryColumnThroughAddNewAllAndUpdate) {
    clsSEQUENCE_INFO info;
    info.ConnectX(&conn);
    info.SEQUENCE_NAME("Pump test");
    info.TIME_BEFORE_READ(12.5);
    info.RAMP_SAMPLE_RATE(3.25);
    info.SAMPLE_POINTS_AVERAGE(7);
    info.SHUT_DOWN_ATIME(45.75);
    info.SHUT_DOWN_VISC(1.5e-3);
    info.SAMPLE_INTERVAL(90);
    info.AddNew();

    clsSEQUENCE_INFO reader;
    reader.ConnectX(&conn);
    reader.SEQUENCE_NAME("Pump test");
    reader.GetSeqDetail();
    ASSERT_FALSE(reader.Eof());
    const RowArray a = reader.All();
    ASSERT_EQ(a.size(), 8);
    EXPECT_EQ(a[0].toDouble(), scalar("SELECT SEQUENCE_ID FROM SEQUENCE_INFO").toDouble());
    EXPECT_EQ(a[0].toDouble(), reader.SEQUENCE_ID());
    EXPECT_EQ(a[1], QVariant(QString("Pump test")));
    EXPECT_EQ(a[2], QVariant(12.5));
    EXPECT_EQ(a[3], QVariant(3.25));
    EXPECT_EQ(a[4], QVariant(7.0));
    EXPECT_EQ(a[5], QVariant(45.75));
    EXPECT_EQ(a[6], QVariant(1.5e-3));
    EXPECT_EQ(a[7], QVariant(qint32(90)));
    EXPECT_EQ(a[7].metaType().id(), QMetaType::Int);  // a 32-bit integer, not a Double
    EXPECT_EQ(a[1].metaType().id(), QMetaType::QString);
    EXPECT_EQ(a[0].metaType().id(), QMetaType::Double);

    // The editor's save: the kept array, key at position 0, All Let, Update.
    RowArray kept = a;
    kept[1] = QString("Pump test 2");
    kept[2] = 30.0;
    kept[3] = 4.0;
    kept[4] = 9.0;
    kept[5] = 60.0;
    kept[6] = 2.0;
    kept[7] = 120.0;
    reader.All(kept);
    EXPECT_EQ(reader.SEQUENCE_NAME(), "Pump test 2");
    EXPECT_EQ(reader.SAMPLE_INTERVAL(), 120);
    reader.Update();

    EXPECT_EQ(rows("SELECT SEQUENCE_ID, SEQUENCE_NAME, TIME_BEFORE_READ, RAMP_SAMPLE_RATE, SAMPLE_POINTS_AVERAGE, "
                   "SHUT_DOWN_ATIME, SHUT_DOWN_VISC, SAMPLE_INTERVAL FROM SEQUENCE_INFO"),
              (QList<QVariantList>{{qlonglong(a[0].toInt()), QString("Pump test 2"), 30.0, 4.0, 9.0, 60.0, 2.0,
                                    qlonglong(120)}}));
}

TEST_F(SequenceRecords, NameListIsSortedWithoutRegardToCaseAndEmptyWhenNoSequenceIsStored) {
    clsSEQUENCE_INFO info;
    info.ConnectX(&conn);
    EXPECT_TRUE(info.Eof());
    EXPECT_EQ(info.RowCount(), 0);
    EXPECT_TRUE(names(info.JustName()).isEmpty());

    for (const char* n : {"beta", "Alpha", "gamma", "Delta"}) {
        info.SEQUENCE_NAME(n);
        info.AddNew();
    }
    info.ConnectX(&conn);
    EXPECT_FALSE(info.Eof());
    const RowCache list = info.JustName();
    ASSERT_EQ(list.size(), 1);  // one column
    EXPECT_EQ(names(list), (QStringList{"Alpha", "beta", "Delta", "gamma"}));

    // The same instance, the table emptied by another window: no name is left over.
    exec("DELETE FROM SEQUENCE_INFO");
    info.ConnectX(&conn);
    EXPECT_TRUE(info.Eof());
    EXPECT_TRUE(names(info.JustName()).isEmpty());
}

TEST_F(SequenceRecords, NameListClearsAnEndFlagLeftByEarlierCalls) {
    // The duplicate check tests the end flag right after ConnectX and compares
    // names only when it is False. A flag left True by the empty list or by a
    // key query that found nothing must not hide the names stored since.
    clsSEQUENCE_INFO info;
    info.ConnectX(&conn);
    ASSERT_TRUE(info.Eof());
    info.SEQUENCE_NAME("First");
    info.AddNew();  // no key query afterwards
    info.ConnectX(&conn);
    EXPECT_FALSE(info.Eof());
    EXPECT_EQ(names(info.JustName()), QStringList{"First"});

    info.SEQUENCE_NAME("Nowhere");
    info.GetSeqDetail();
    ASSERT_TRUE(info.Eof());
    info.ConnectX(&conn);
    EXPECT_FALSE(info.Eof());
}

TEST_F(SequenceRecords, KeyQueryThatFindsNothingResetsEveryFieldAndKeepsTheRowCache) {
    clsSEQUENCE_INFO info;
    info.ConnectX(&conn);
    createSequence(info, "A");
    createSequence(info, "B");
    info.ConnectX(&conn);
    ASSERT_EQ(names(info.JustName()), (QStringList{"A", "B"}));

    info.SEQUENCE_ID(7);
    info.TIME_BEFORE_READ(99);
    info.SAMPLE_INTERVAL(10);
    info.SEQUENCE_NAME("Missing");
    info.GetSeqDetail();
    EXPECT_TRUE(info.Eof());
    EXPECT_EQ(info.RowCount(), 0);
    EXPECT_EQ(info.SEQUENCE_NAME(), "");  // a caller that tested the name sets it again before AddNew
    EXPECT_EQ(info.SEQUENCE_ID(), 0);
    EXPECT_EQ(info.TIME_BEFORE_READ(), 20);
    EXPECT_EQ(info.SAMPLE_INTERVAL(), 60);
    EXPECT_TRUE(info.BOF());
    EXPECT_TRUE(info.IsEmpty());
    EXPECT_EQ(names(info.JustName()), (QStringList{"A", "B"}));

    // A key query that finds its row replaces the name list with its own rows.
    info.SEQUENCE_NAME("b");  // names compare without regard to letter case
    info.GetSeqDetail();
    EXPECT_FALSE(info.Eof());
    EXPECT_FALSE(info.BOF());
    EXPECT_FALSE(info.IsEmpty());
    EXPECT_EQ(info.SEQUENCE_NAME(), "B");
    const RowCache detail = info.JustName();
    ASSERT_EQ(detail.size(), 8);
    EXPECT_EQ(detail[1][0].toString(), "B");
}

TEST_F(SequenceRecords, SampleIntervalIsHeldAsAnIntegerRoundedHalfToEven) {
    const std::pair<double, qint32> cases[] = {{60.5, 60},  {61.5, 62}, {60.49, 60}, {60.51, 61},
                                               {-0.5, 0},   {-1.5, -2}, {0.5, 0},    {2147483647.0, 2147483647}};
    clsSEQUENCE_INFO info;
    info.ConnectX(&conn);
    for (const auto& [in, out] : cases) {
        SCOPED_TRACE(in);
        info.SAMPLE_INTERVAL(in);
        EXPECT_EQ(info.SAMPLE_INTERVAL(), double(out));
        EXPECT_EQ(info.All()[7], QVariant(out));

        RowArray a = info.All();
        a[7] = in;
        info.All(a);
        EXPECT_EQ(info.SAMPLE_INTERVAL(), double(out));

        // Stored as the integer, and a stored fraction is rounded the same way when read.
        info.SEQUENCE_NAME("S");
        info.AddNew();
        EXPECT_EQ(scalar("SELECT SAMPLE_INTERVAL FROM SEQUENCE_INFO").toLongLong(), out);
        exec(QString("UPDATE SEQUENCE_INFO SET SAMPLE_INTERVAL = %1").arg(in, 0, 'g', 17));
        info.GetSeqDetail();
        EXPECT_EQ(info.SAMPLE_INTERVAL(), double(out));
        exec("DELETE FROM SEQUENCE_INFO");
    }

    // Out of the 32-bit range: "Overflow", the field keeps its value.
    info.SAMPLE_INTERVAL(75);
    EXPECT_EQ(errorOf([&] { info.SAMPLE_INTERVAL(2147483647.5); }), 6);
    EXPECT_EQ(errorOf([&] { info.SAMPLE_INTERVAL(std::nan("")); }), 6);
    EXPECT_EQ(info.SAMPLE_INTERVAL(), 75);
}

TEST_F(SequenceRecords, NameLongerThanFiftyCharactersIsRefusedAndNothingIsWritten) {
    const QString fifty(50, QChar('N'));
    const QString longer = fifty + "X";
    clsSEQUENCE_INFO info;
    info.ConnectX(&conn);

    info.SEQUENCE_NAME(longer);
    EXPECT_EQ(errorOf([&] { info.AddNew(); }), db::ErrValueTooLong);
    EXPECT_EQ(count("SEQUENCE_INFO"), 0);

    const qint32 key = createSequence(info, fifty);
    EXPECT_EQ(scalar("SELECT SEQUENCE_NAME FROM SEQUENCE_INFO").toString(), fifty);

    // Renaming to a name too long leaves the stored row as it was.
    info.SEQUENCE_ID(key);
    info.SEQUENCE_NAME(longer);
    info.TIME_BEFORE_READ(99);
    EXPECT_EQ(errorOf([&] { info.Update(); }), db::ErrValueTooLong);
    EXPECT_EQ(rows("SELECT SEQUENCE_NAME, TIME_BEFORE_READ FROM SEQUENCE_INFO"),
              (QList<QVariantList>{{fifty, 20.0}}));
    // And the key query and the delete refuse it the same way.
    EXPECT_EQ(errorOf([&] { info.GetSeqDetail(); }), db::ErrValueTooLong);
    EXPECT_EQ(errorOf([&] { info.Delete(); }), db::ErrValueTooLong);
    EXPECT_EQ(count("SEQUENCE_INFO"), 1);
}

TEST_F(SequenceRecords, KeysAreNeverHandedOutTwice) {
    clsSEQUENCE_INFO info;
    info.ConnectX(&conn);
    createSequence(info, "A");
    const qint32 b = createSequence(info, "B");
    info.SEQUENCE_NAME("B");
    info.Delete();
    const qint32 c = createSequence(info, "C");
    EXPECT_GT(c, b);  // B's steps, still stored, never come to belong to C

    clsSEQUENCE_RAMP ramp;
    ramp.ConnectX(&conn);
    addStep(ramp, c, {1, 10, 100, 5, 300, 1, 0, 0, 0, 1, 0});
    const double first = scalar("SELECT MAX(SEQUENCE_RAMP_ID) FROM SEQUENCE_RAMP").toDouble();
    ramp.SequenceId(c);
    ramp.Delete();
    addStep(ramp, c, {1, 10, 100, 5, 300, 1, 0, 0, 0, 1, 0});
    EXPECT_GT(scalar("SELECT MAX(SEQUENCE_RAMP_ID) FROM SEQUENCE_RAMP").toDouble(), first);

    clsSEQUENCE_RAMP_DEFINE def;
    def.ConnectX(&conn);
    addRampStep(def, c, 1, 100, 30, 5);
    const double firstDef = scalar("SELECT MAX(SEQUENCE_DEF_ID) FROM SEQUENCE_RAMP_DEFINE").toDouble();
    def.SequenceId(c);
    def.Delete();
    addRampStep(def, c, 1, 100, 30, 5);
    EXPECT_GT(scalar("SELECT MAX(SEQUENCE_DEF_ID) FROM SEQUENCE_RAMP_DEFINE").toDouble(), firstDef);
}

TEST_F(SequenceRecords, StepRoundTripsEveryColumnWithThePressureRateInFeild1) {
    clsSEQUENCE_RAMP ramp;
    ramp.ConnectX(&conn);
    addStep(ramp, 4, {1, 30.5, 350, 2.5, 600, 10, 5000, 1, 3.5, 2, 100});

    EXPECT_EQ(rows("SELECT SEQUENCE_ID, RAMP_NO, RAMP_ELAPSE_TIME, RAMP_TEMP, RAMP_START_ERROR, SPEED, RECORD_RATE, "
                   "RAMP_PRESS, RUN_RAMP, TEMPRAMP_RATE, CYCLE_LABEL, FEILD1 FROM SEQUENCE_RAMP"),
              (QList<QVariantList>{{qlonglong(4), 1.0, 30.5, 350.0, 2.5, 600.0, 10.0, 5000.0, 1.0, 3.5, 2.0, 100.0}}));

    clsSEQUENCE_RAMP reader;
    const auto steps = walk(reader, 4);
    ASSERT_EQ(steps.size(), 1);
    const RowArray& a = steps[0];
    ASSERT_EQ(a.size(), 13);
    EXPECT_EQ(a[0].toDouble(), scalar("SELECT SEQUENCE_RAMP_ID FROM SEQUENCE_RAMP").toDouble());
    const double expected[] = {4, 1, 30.5, 350, 2.5, 600, 10, 5000, 1, 3.5, 2, 100};
    for (int j = 1; j < 13; ++j) {
        EXPECT_EQ(a[j], QVariant(expected[j - 1])) << "position " << j;
        EXPECT_EQ(a[j].metaType().id(), QMetaType::Double);
    }
    EXPECT_EQ(reader.SequenceId(), 4);
    EXPECT_EQ(reader.RAMPNO(), 1);
    EXPECT_EQ(reader.RAMP_ELAPSE_TIME(), 30.5);
    EXPECT_EQ(reader.RAMP_TEMP(), 350);
    EXPECT_EQ(reader.RAMP_START_ERROR(), 2.5);
    EXPECT_EQ(reader.SPEED(), 600);
    EXPECT_EQ(reader.RECORD_RATE(), 10);
    EXPECT_EQ(reader.RAMP_PRESS(), 5000);
    EXPECT_EQ(reader.RUN_RAMP(), 1);
    EXPECT_EQ(reader.TEMPRAMP_RATE(), 3.5);
    EXPECT_EQ(reader.CYCLE_LABEL(), 2);
    EXPECT_EQ(reader.PRESS_RATE(), 100);

    // All Let goes by column position too.
    RowArray b(13);
    for (int j = 0; j < 13; ++j) b[j] = double(j + 1) * 10;
    reader.All(b);
    EXPECT_EQ(reader.SEQUENCE_RAMP_ID(), 10);
    EXPECT_EQ(reader.RUN_RAMP(), 100);
    EXPECT_EQ(reader.TEMPRAMP_RATE(), 110);
    EXPECT_EQ(reader.CYCLE_LABEL(), 120);
    EXPECT_EQ(reader.PRESS_RATE(), 130);
    EXPECT_EQ(reader.All(), b);
}

TEST_F(SequenceRecords, RampStepRoundTripsEveryColumn) {
    clsSEQUENCE_RAMP_DEFINE def;
    def.ConnectX(&conn);
    addRampStep(def, 9, 1, 511.5, 30, 2.5);
    EXPECT_EQ(rows("SELECT SEQUENCE_ID, RAMP_STEP_NO, RAMP_SPEED, DELAY_TIME, INTERVALs FROM SEQUENCE_RAMP_DEFINE"),
              (QList<QVariantList>{{qlonglong(9), 1.0, 511.5, 30.0, 2.5}}));

    clsSEQUENCE_RAMP_DEFINE reader;
    const auto steps = walk(reader, 9);
    ASSERT_EQ(steps.size(), 1);
    EXPECT_EQ(steps[0], (RowArray{scalar("SELECT SEQUENCE_DEF_ID FROM SEQUENCE_RAMP_DEFINE").toDouble(), 9.0, 1.0,
                                  511.5, 30.0, 2.5}));
    EXPECT_EQ(reader.SEQUENCE_DEF_ID(), steps[0][0].toDouble());
    EXPECT_EQ(reader.RAMP_STEP_NO(), 1);
    EXPECT_EQ(reader.RAMP_SPEED(), 511.5);
    EXPECT_EQ(reader.DELAY_TIME(), 30);
    EXPECT_EQ(reader.INTERVALs(), 2.5);
    EXPECT_EQ(reader.RampSteps(), 1);
}

TEST_F(SequenceRecords, CursorWalkVisitsEveryRowOnceInStepOrderAndStopsAfterTheLast) {
    clsSEQUENCE_RAMP ramp;
    ramp.ConnectX(&conn);
    for (double no : {3.0, 1.0, 2.0}) addStep(ramp, 5, {no, no * 10, 100 + no, 0, 300, 1, 0, 0, 0, 1, 0});
    addStep(ramp, 6, {1, 99, 99, 0, 300, 1, 0, 0, 0, 1, 0});  // another sequence's step

    clsSEQUENCE_RAMP reader;
    const auto steps = walk(reader, 5);
    ASSERT_EQ(steps.size(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(steps[i][2].toDouble(), i + 1);
    EXPECT_TRUE(reader.Eof());
    EXPECT_EQ(reader.RAMPNO(), 3);  // the MoveNext that raised the flag loaded nothing
    EXPECT_EQ(reader.CursorIndex(), 2);
    // The step classes' MoveFirst loads row 0 and leaves the end flag alone.
    reader.MoveFirst();
    EXPECT_EQ(reader.RAMPNO(), 1);
    EXPECT_TRUE(reader.Eof());

    // Forty ramp steps stored in reverse come back numbered 1 to 40.
    clsSEQUENCE_RAMP_DEFINE def;
    def.ConnectX(&conn);
    for (int no = 40; no >= 1; --no) addRampStep(def, 5, no, no * 25, 10, 1);
    clsSEQUENCE_RAMP_DEFINE defReader;
    const auto ramps = walk(defReader, 5);
    ASSERT_EQ(ramps.size(), 40);
    for (int i = 0; i < 40; ++i) EXPECT_EQ(ramps[i][2].toDouble(), i + 1);
    EXPECT_EQ(defReader.RampSteps(), 40);

    // The header class's MoveFirst clears the end flag.
    clsSEQUENCE_INFO info;
    info.ConnectX(&conn);
    createSequence(info, "S");
    info.MoveNext();
    ASSERT_TRUE(info.Eof());
    info.MoveFirst();
    EXPECT_FALSE(info.Eof());
    EXPECT_EQ(info.SEQUENCE_NAME(), "S");
}

TEST_F(SequenceRecords, StepsOfAnEarlierSequenceAreNotShownForASequenceWithoutSteps) {
    clsSEQUENCE_RAMP ramp;
    clsSEQUENCE_RAMP_DEFINE def;
    ramp.ConnectX(&conn);
    def.ConnectX(&conn);
    addStep(ramp, 1, {1, 10, 100, 0, 300, 1, 0, 1, 0, 1, 0});
    addStep(ramp, 1, {2, 10, 200, 0, 300, 1, 0, 0, 0, 1, 0});
    addRampStep(def, 1, 1, 100, 10, 1);
    addRampStep(def, 1, 2, 200, 10, 1);

    ASSERT_EQ(walk(ramp, 1).size(), 2);
    ASSERT_EQ(walk(def, 1).size(), 2);
    EXPECT_TRUE(walk(ramp, 2).isEmpty());
    EXPECT_TRUE(walk(def, 2).isEmpty());
    EXPECT_TRUE(ramp.Eof());
    EXPECT_TRUE(def.Eof());
    EXPECT_TRUE(def.IsEmpty());
    EXPECT_EQ(def.RampSteps(), 0);
    // A caller that moves anyway gets nothing of sequence 1.
    ramp.RAMP_TEMP(-1);
    ramp.MoveFirst();
    EXPECT_EQ(ramp.RAMP_TEMP(), -1);

    // The key query finds the same rows as ConnectX and loads the first.
    def.SequenceId(1);
    def.GetSeqDetail();
    EXPECT_FALSE(def.Eof());
    EXPECT_EQ(def.RampSteps(), 2);
    EXPECT_EQ(def.RAMP_SPEED(), 100);
    def.SequenceId(2);
    def.GetSeqDetail();
    EXPECT_TRUE(def.Eof());
    EXPECT_EQ(def.RampSteps(), 0);
    EXPECT_EQ(def.RAMP_SPEED(), 0);
}

TEST_F(SequenceRecords, NullColumnsReadAsTheirDefaults) {
    exec("INSERT INTO SEQUENCE_INFO (SEQUENCE_NAME) VALUES ('Bare')");
    exec("INSERT INTO SEQUENCE_INFO (SEQUENCE_ID) VALUES (50)");
    // The first step has every column, the second only its owner and number:
    // its fields must not carry the first step's values.
    exec("INSERT INTO SEQUENCE_RAMP (SEQUENCE_ID, RAMP_NO, RAMP_ELAPSE_TIME, RAMP_TEMP, RAMP_START_ERROR, SPEED, "
         "RECORD_RATE, RAMP_PRESS, RUN_RAMP, TEMPRAMP_RATE, CYCLE_LABEL, FEILD1) "
         "VALUES (7, 1, 5, 6, 7, 800, 9, 10, 1, 12, 3, 14)");
    exec("INSERT INTO SEQUENCE_RAMP (SEQUENCE_ID, RAMP_NO) VALUES (7, 2)");
    exec("INSERT INTO SEQUENCE_RAMP_DEFINE (SEQUENCE_ID) VALUES (7)");

    clsSEQUENCE_INFO info;
    info.ConnectX(&conn);
    info.SEQUENCE_NAME("Bare");
    info.SAMPLE_INTERVAL(5);
    info.GetSeqDetail();
    ASSERT_FALSE(info.Eof());
    EXPECT_EQ(info.All(), (RowArray{info.SEQUENCE_ID(), QString("Bare"), 20.0, 2.0, 5.0, 20.0, 0.0, qint32(60)}));

    info.SEQUENCE_ID(50);  // a row without a name, reached by its key
    info.ConnectX4(&conn);
    EXPECT_FALSE(info.Eof());
    EXPECT_EQ(info.RowCount(), 1);
    info.MoveFirst();
    EXPECT_EQ(info.All(), (RowArray{50.0, QString(""), 20.0, 2.0, 5.0, 20.0, 0.0, qint32(60)}));

    clsSEQUENCE_RAMP ramp;
    const auto steps = walk(ramp, 7);
    ASSERT_EQ(steps.size(), 2);
    const RowArray& s = steps[1];
    EXPECT_EQ(s.mid(1), (RowArray{7.0, 2.0, 0.0, 0.0, 0.0, 300.0, 1.0, 0.0, 0.0, 0.0, 1.0, 0.0}));

    clsSEQUENCE_RAMP_DEFINE def;
    const auto ramps = walk(def, 7);
    ASSERT_EQ(ramps.size(), 1);
    EXPECT_EQ(ramps[0].mid(1), (RowArray{7.0, 0.0, 0.0, 0.0, 0.0}));
}

TEST_F(SequenceRecords, StepUpdateAndRefreshLeaveTheDatabaseAlone) {
    clsSEQUENCE_RAMP ramp;
    clsSEQUENCE_RAMP_DEFINE def;
    ramp.ConnectX(&conn);
    def.ConnectX(&conn);
    addStep(ramp, 1, {1, 10, 100, 0, 300, 1, 0, 0, 0, 1, 0});
    addRampStep(def, 1, 1, 100, 10, 1);
    const auto before = rows("SELECT * FROM SEQUENCE_RAMP") + rows("SELECT * FROM SEQUENCE_RAMP_DEFINE");

    walk(ramp, 1);
    walk(def, 1);
    ramp.RAMP_TEMP(999);
    def.RAMP_SPEED(999);
    ramp.Update();
    ramp.Refresh();
    def.Update();
    def.Refresh();
    EXPECT_EQ(rows("SELECT * FROM SEQUENCE_RAMP") + rows("SELECT * FROM SEQUENCE_RAMP_DEFINE"), before);
}

TEST_F(SequenceRecords, EditorAndTestWindowCallingOrders) {
    clsSEQUENCE_INFO info;
    clsSEQUENCE_RAMP ramp;
    clsSEQUENCE_RAMP_DEFINE def;
    info.ConnectX(&conn);
    ramp.ConnectX(&conn);
    def.ConnectX(&conn);

    // Create, learn the key, write two steps and two ramp steps.
    const qint32 key = createSequence(info, "Ramp up");
    EXPECT_EQ(key, scalar("SELECT SEQUENCE_ID FROM SEQUENCE_INFO WHERE SEQUENCE_NAME = 'Ramp up'").toInt());
    addStep(ramp, key, {1, 10, 150, 5, 300, 1, 0, 1, 0, 1, 0});
    addStep(ramp, key, {2, 20, 250, 5, 600, 2, 1000, 0, 5, 1, 50});
    addRampStep(def, key, 1, 100, 10, 1);
    addRampStep(def, key, 2, 200, 10, 1);
    const qint32 other = createSequence(info, "Other");
    addStep(ramp, other, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
    addRampStep(def, other, 1, 1, 1, 1);

    // Copy: the source's settings under a new name.
    info.SEQUENCE_NAME("Ramp up");
    info.GetSeqDetail();
    info.SHUT_DOWN_VISC(3);
    info.SEQUENCE_NAME("Copy");
    info.AddNew();
    info.GetSeqDetail();
    EXPECT_EQ(info.SHUT_DOWN_VISC(), 3);
    EXPECT_NE(info.SEQUENCE_ID(), key);

    // Choose, keep the array, save: the header by Update, then every step and
    // ramp step deleted and written again.
    info.SEQUENCE_NAME("Ramp up");
    info.GetSeqDetail();
    RowArray kept = info.All();
    EXPECT_EQ(kept[0].toInt(), key);
    EXPECT_EQ(kept[1].toString(), "Ramp up");
    kept[0] = key;
    kept[1] = QString("Ramp up 2");
    info.All(kept);
    info.Update();
    ramp.SequenceId(key);
    ramp.Delete();
    addStep(ramp, key, {1, 15, 160, 5, 300, 1, 0, 0, 0, 1, 0});
    def.SequenceId(key);
    def.Delete();
    for (int no = 1; no <= 3; ++no) addRampStep(def, key, no, no * 50, 10, 1);

    EXPECT_EQ(count("SEQUENCE_INFO", "SEQUENCE_NAME = 'Ramp up 2'"), 1);
    EXPECT_EQ(count("SEQUENCE_INFO", "SEQUENCE_NAME = 'Ramp up'"), 0);
    const auto steps = walk(ramp, key);
    ASSERT_EQ(steps.size(), 1);
    EXPECT_EQ(steps[0][4].toDouble(), 160);
    const auto ramps = walk(def, key);
    ASSERT_EQ(ramps.size(), 3);
    EXPECT_EQ(ramps[2][3].toDouble(), 150);
    EXPECT_EQ(count("SEQUENCE_RAMP", QString("SEQUENCE_ID = %1").arg(other)), 1);
    EXPECT_EQ(count("SEQUENCE_RAMP_DEFINE", QString("SEQUENCE_ID = %1").arg(other)), 1);

    // Delete: the header goes, the name list no longer shows it, the steps stay.
    info.SEQUENCE_NAME("Ramp up 2");
    info.Delete();
    info.Refresh();
    info.ConnectX(&conn);
    EXPECT_EQ(names(info.JustName()), (QStringList{"Copy", "Other"}));
    EXPECT_EQ(count("SEQUENCE_RAMP", QString("SEQUENCE_ID = %1").arg(key)), 1);
    EXPECT_EQ(count("SEQUENCE_RAMP_DEFINE", QString("SEQUENCE_ID = %1").arg(key)), 3);

    // Import: an existing name is refused by the key query's end flag; a new one
    // is created, its steps added without a delete, and the header saved last.
    info.SEQUENCE_NAME("OTHER");
    info.GetSeqDetail();
    EXPECT_FALSE(info.Eof());
    info.SEQUENCE_NAME("Imported");
    info.GetSeqDetail();
    ASSERT_TRUE(info.Eof());
    EXPECT_EQ(info.SEQUENCE_NAME(), "");
    info.SEQUENCE_NAME("Imported");
    info.AddNew();
    info.GetSeqDetail();
    const qint32 imported = info.All()[0].toInt();
    addStep(ramp, imported, {1, 5, 120, 2, 450, 1, 200, 0, 0, 3, 0});
    addRampStep(def, imported, 1, 300, 20, 2);
    info.SEQUENCE_NAME("Imported");
    info.TIME_BEFORE_READ(25);
    info.SEQUENCE_ID(imported);
    info.Update();
    EXPECT_EQ(rows("SELECT SEQUENCE_NAME, TIME_BEFORE_READ FROM SEQUENCE_INFO WHERE SEQUENCE_ID = " +
                   QString::number(imported)),
              (QList<QVariantList>{{QString("Imported"), 25.0}}));

    // The test window picks it: header by name, steps and ramp steps by key.
    clsSEQUENCE_INFO pick;
    pick.ConnectX(&conn);
    pick.SEQUENCE_NAME("Imported");
    pick.GetSeqDetail();
    const RowArray header = pick.All();
    EXPECT_EQ(header[0].toInt(), imported);
    EXPECT_EQ(header[2].toDouble(), 25);
    clsSEQUENCE_RAMP pickSteps;
    const auto picked = walk(pickSteps, header[0].toInt());
    ASSERT_EQ(picked.size(), 1);
    EXPECT_EQ(picked[0].mid(3), (RowArray{5.0, 120.0, 2.0, 450.0, 1.0, 200.0, 0.0, 0.0, 3.0, 0.0}));
}

TEST_F(SequenceRecords, DeleteRemovesEveryRowOfTheNameWithoutRegardToCase) {
    exec("INSERT INTO SEQUENCE_INFO (SEQUENCE_NAME) VALUES ('Dup')");
    exec("INSERT INTO SEQUENCE_INFO (SEQUENCE_NAME) VALUES ('dup')");
    exec("INSERT INTO SEQUENCE_INFO (SEQUENCE_NAME) VALUES ('Other')");
    clsSEQUENCE_INFO info;
    info.ConnectX(&conn);
    info.SEQUENCE_NAME("DUP");
    info.Delete();
    EXPECT_EQ(rows("SELECT SEQUENCE_NAME FROM SEQUENCE_INFO"), (QList<QVariantList>{{QString("Other")}}));
}

TEST_F(SequenceRecords, OperationsNeedABoundConnectionAndFailOtherwise) {
    clsSEQUENCE_INFO info;
    clsSEQUENCE_RAMP ramp;
    clsSEQUENCE_RAMP_DEFINE def;
    EXPECT_NE(errorOf([&] { info.GetSeqDetail(); }), 0);
    EXPECT_NE(errorOf([&] { info.AddNew(); }), 0);
    EXPECT_NE(errorOf([&] { info.Update(); }), 0);
    EXPECT_NE(errorOf([&] { info.Delete(); }), 0);
    EXPECT_NE(errorOf([&] { info.Refresh(); }), 0);
    EXPECT_NE(errorOf([&] { info.ConnectX4(&conn); }), 0);  // needs the commands of ConnectX
    EXPECT_NE(errorOf([&] { ramp.GetSeqDetail(); }), 0);
    EXPECT_NE(errorOf([&] { ramp.AddNew(); }), 0);
    EXPECT_NE(errorOf([&] { def.Delete(); }), 0);
    EXPECT_EQ(errorOf([&] { ramp.Update(); ramp.Refresh(); }), 0);

    clsConnection never;  // never opened
    EXPECT_NE(errorOf([&] { info.ConnectX(&never); }), 0);
    EXPECT_NE(errorOf([&] { ramp.ConnectX(nullptr); }), 0);

    // BOF and IsEmpty read the key query's row set, not the name list's.
    info.ConnectX(&conn);
    EXPECT_EQ(errorOf([&] { info.BOF(); }), db::ErrNoRowSet);
    EXPECT_EQ(errorOf([&] { info.IsEmpty(); }), db::ErrNoRowSet);
    ramp.ConnectX(&conn);
    EXPECT_TRUE(ramp.IsEmpty());

    // An array too short for All Let fails and changes nothing.
    info.TIME_BEFORE_READ(33);
    EXPECT_EQ(errorOf([&] { info.All(RowArray(7)); }), 9);
    EXPECT_EQ(info.TIME_BEFORE_READ(), 33);
    ramp.SPEED(444);
    EXPECT_EQ(errorOf([&] { ramp.All(RowArray(12)); }), 9);
    EXPECT_EQ(ramp.SPEED(), 444);
    EXPECT_EQ(errorOf([&] { def.All(RowArray(5)); }), 9);
}
