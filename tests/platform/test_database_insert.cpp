// Command::executeInsert: the key of the row an insert just made, whatever
// other rows share its values, and the failures of an insert that cannot
// tell it.

#include "platform/Database.h"
#include "support/TempDb.h"

#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

using testing_support::TempDb;

namespace {

class DatabaseInsert : public ::testing::Test {
protected:
    void SetUp() override {
        conn.open(tmp.path());
        exec("CREATE TABLE NAMED (ID INTEGER PRIMARY KEY AUTOINCREMENT, NAME TEXT NOT NULL)");
    }
    void exec(const QString& sql) {
        QSqlQuery q(conn.handle());
        ASSERT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
    }
    QString nameOf(qint64 id) {
        QSqlQuery q(conn.handle());
        q.prepare("SELECT NAME FROM NAMED WHERE ID = ?");
        q.bindValue(0, id);
        return q.exec() && q.next() ? q.value(0).toString() : QString();
    }
    int rows() {
        QSqlQuery q(conn.handle());
        return q.exec("SELECT COUNT(*) FROM NAMED") && q.next() ? q.value(0).toInt() : -1;
    }

    TempDb tmp;
    db::Connection conn;
};

}  // namespace

TEST_F(DatabaseInsert, ReturnsTheKeyOfTheRowJustInsertedAmongNamesakes) {
    db::Command insert(&conn, "INSERT INTO NAMED (NAME) VALUES (?)");
    insert.appendParameter("pNAME", db::adVarChar, 50);
    // Rows written by others in between: the key is still the insert's own.
    exec("INSERT INTO NAMED (NAME) VALUES ('Run A')");
    insert.setValue(0, "Run A");
    const qint64 first = insert.executeInsert();
    exec("INSERT INTO NAMED (NAME) VALUES ('Run A')");
    db::Connection other;
    other.open(tmp.path());
    QSqlQuery elsewhere(other.handle());
    ASSERT_TRUE(elsewhere.exec("INSERT INTO NAMED (NAME) VALUES ('Run A')"));
    insert.setValue(0, "Run B");
    const qint64 second = insert.executeInsert();

    EXPECT_EQ(first, 2);
    EXPECT_EQ(second, 5);
    EXPECT_EQ(nameOf(first), "Run A");
    EXPECT_EQ(nameOf(second), "Run B");
}

TEST_F(DatabaseInsert, AnInsertThatCannotTellItsKeyFails) {
    struct Case {
        const char* what;
        QString sql;
        int number;      // 0: the database's own failure
        int rowsAfter;   // rows in the table afterwards (one stands before)
    } cases[] = {
        {"refused by the database", "INSERT INTO NAMED (NAME) VALUES (NULL)", 0, 1},
        {"no row inserted", "INSERT INTO NAMED (NAME) SELECT NAME FROM NAMED WHERE ID < 0", db::ErrNoInsertKey, 1},
        {"two rows inserted", "INSERT INTO NAMED (NAME) VALUES ('a'), ('b')", db::ErrNoInsertKey, 3},
        {"not an insert", "UPDATE NAMED SET NAME = 'x'", db::ErrNoInsertKey, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        exec("DELETE FROM NAMED");
        exec("INSERT INTO NAMED (NAME) VALUES ('before')");
        db::Command cmd(&conn, c.sql);
        try {
            cmd.executeInsert();
            ADD_FAILURE() << "no failure";
        } catch (const db::DbError& e) {
            if (c.number)
                EXPECT_EQ(e.number(), c.number);
            else
                EXPECT_TRUE(e.description().contains("NOT NULL")) << e.description().toStdString();
        }
        EXPECT_EQ(rows(), c.rowsAfter);
    }
}
