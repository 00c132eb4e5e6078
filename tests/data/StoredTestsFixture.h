#pragma once
// A fresh copy of the empty database opened through clsConnection (the data
// folder is its temporary folder), with helpers that store tests and
// additives behind the dialogs' backs and read them back.

#include "data/RecordFixture.h"

#include <QSqlQuery>
#include <QStringList>

namespace testing_support {

class StoredTestsFixture : public RecordFixture {
protected:
    // Stores a test and returns its TEST_ID.
    int addTest(const QString& name, const QString& bob = QStringLiteral("B1"),
                const QString& time = QStringLiteral("2024-01-01 10:00:00"), const QString& fluid = QString(),
                const QString& safety = QString(), const QString& rotor = QStringLiteral("R1"), double radius = 1.7245,
                double length = 3.8, double prePh = 7.0, double postPh = 7.0) {
        sql("INSERT INTO TEST_INFO (TEST_NAME, FLUID_ID, TEST_TIME, RESEARCHER_NAME, ROTOR_NO, BOB_NO, BOB_RADIUS, "
            "BOB_EFF_LENGTH, PRETEST_PH, POSTTEST_PH, SAFETY) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
            {name, fluid, time, QStringLiteral("Res"), rotor, bob, radius, length, prePh, postPh, safety});
        return scalar("SELECT last_insert_rowid()").toInt();
    }
    void addAdditive(int testId, const QString& name, double concen, const QString& unit = QStringLiteral("%"),
                     const QString& lot = QStringLiteral("L1")) {
        sql("INSERT INTO TEST_ADDITIVE (TEST_ID, ADDITIVE_NM, ADD_CONCEN, ADD_UNIT, ADD_LOTNO) VALUES (?, ?, ?, ?, ?)",
            {testId, name, concen, unit, lot});
    }
    // The additives of a test as "name|concen|unit|lot", in key order.
    QStringList additivesOf(int testId) {
        QSqlQuery q = sql("SELECT ADDITIVE_NM, ADD_CONCEN, ADD_UNIT, ADD_LOTNO FROM TEST_ADDITIVE WHERE TEST_ID = ? "
                          "ORDER BY TESTADD_ID",
                          {testId});
        QStringList out;
        while (q.next())
            out << q.value(0).toString() + "|" + QString::number(q.value(1).toDouble()) + "|" + q.value(2).toString() +
                       "|" + q.value(3).toString();
        return out;
    }

};

}  // namespace testing_support
