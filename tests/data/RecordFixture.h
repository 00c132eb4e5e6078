#pragma once
// A fresh copy of the empty database, opened through clsConnection with the
// working folder set to its temporary folder, and plain SQL over the same
// connection to set up and check rows behind the record classes' backs.

#include "data/clsConnection.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDb.h"

#include <QDateTime>
#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <QVariantList>
#include <gtest/gtest.h>

namespace testing_support {

// True when t lies within a few seconds of the present.
inline bool isNow(const QDateTime& t) { return t.isValid() && qAbs(t.secsTo(QDateTime::currentDateTime())) <= 5; }

class RecordFixture : public ::testing::Test {
protected:
    void SetUp() override {
        conn.OpenDB();
        ASSERT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("\n").toStdString();
        ASSERT_NE(conn.ADOConnection(), nullptr);
        ASSERT_TRUE(conn.ADOConnection()->isOpen());
    }

    // Executes a statement with positional values; fails the test when the statement fails.
    QSqlQuery sql(const QString& text, const QVariantList& values = {}) {
        QSqlQuery q(conn.ADOConnection()->handle());
        EXPECT_TRUE(q.prepare(text)) << q.lastError().text().toStdString();
        for (int i = 0; i < values.size(); ++i) q.bindValue(i, values[i]);
        EXPECT_TRUE(q.exec()) << text.toStdString() << ": " << q.lastError().text().toStdString();
        return q;
    }
    // The first column of the first row of a query.
    QVariant scalar(const QString& text, const QVariantList& values = {}) {
        QSqlQuery q = sql(text, values);
        return q.next() ? q.value(0) : QVariant();
    }
    int count(const QString& table) { return scalar("SELECT COUNT(*) FROM " + table).toInt(); }
    int lastKey() { return scalar("SELECT last_insert_rowid()").toInt(); }

    TempDb tmp;
    InFolder in{tmp.dir()};
    ScriptedDialogs dialogs;
    clsConnection conn;
};

}  // namespace testing_support
