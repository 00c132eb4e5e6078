#pragma once
// A data folder for the main-window tests: a fresh copy of the empty database
// in a scratch folder that is the working folder while the test runs, the
// shared settings put back afterwards, answered message boxes, and a way to
// put stored tests into the database.

#include "data/Globals.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmOpenTest.h"
#include "platform/ModalShow.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDb.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <gtest/gtest.h>
#include <memory>

namespace testing_support {

// The shared settings as they were, put back when the test ends.
struct SavedSettings {
    QString appPath = gAppPath;
    int unitSystem = gUnitSystem;
    short kUnit = gKUnit;
    double sf = gSF;
    bool bySR = gBySR;
    double maxPress = gMaxPress;
    ~SavedSettings() {
        gAppPath = appPath;
        gUnitSystem = unitSystem;
        gKUnit = kUnit;
        gSF = sf;
        gBySR = bySR;
        gMaxPress = maxPress;
    }
};

// Installs a modal shower for the life of the object.
struct ModalShowerScope {
    explicit ModalShowerScope(ui::ModalShower shower) : previous(ui::setModalShower(std::move(shower))) {}
    ~ModalShowerScope() { ui::setModalShower(previous); }
    ui::ModalShower previous;
};

// Writes stored tests straight into a database file.
class Seeder {
public:
    explicit Seeder(const QString& path) : name_(QStringLiteral("seed%1").arg(++counter())) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(path);
        if (!db.open()) throw std::runtime_error("cannot open the scratch database");
    }
    ~Seeder() {
        { QSqlDatabase::database(name_).close(); }
        QSqlDatabase::removeDatabase(name_);
    }

    // A TEST_INFO row; returns its TEST_ID.
    qint64 test(const QString& name, const QVariant& bob, const QVariant& rotor = QStringLiteral("R1"),
                const QVariant& radius = 1.7245, const QVariant& length = 3.8,
                const QString& time = QStringLiteral("2024-01-01 10:00:00")) {
        return exec(QStringLiteral("INSERT INTO TEST_INFO (TEST_NAME, FLUID_ID, TEST_TIME, RESEARCHER_NAME, ROTOR_NO, "
                                   "BOB_NO, BOB_RADIUS, BOB_EFF_LENGTH, PRETEST_PH, POSTTEST_PH, SAFETY) "
                                   "VALUES (?, 'F1', ?, 'Ann', ?, ?, ?, ?, 7, 7, '')"),
                    {name, time, rotor, bob, radius, length});
    }
    // A TEST_RESULT row of a test.
    void result(qint64 testId, double time, double typeId = 0, double step = 1, double cycle = 1,
                double rampStep = 0) {
        exec(QStringLiteral("INSERT INTO TEST_RESULT (TEST_ID, RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, "
                            "RESULT_PRESS, RESULT_SPEED, RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP, "
                            "CYCLE_NO) VALUES (?, ?, ?, ?, 150, 1000, 100, 50, ?, 2.5, ?)"),
             {testId, step, rampStep, time, typeId, cycle});
    }
    // A TEST_RESULT row with its measured values (storage units).
    void measured(qint64 testId, double time, double temp, double press, double rate, double stress,
                  double typeId = 0) {
        exec(QStringLiteral("INSERT INTO TEST_RESULT (TEST_ID, RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, "
                            "RESULT_PRESS, RESULT_SPEED, RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP, "
                            "CYCLE_NO) VALUES (?, 1, 0, ?, ?, ?, ?, ?, ?, 0, 1)"),
             {testId, time, temp, press, rate, stress, typeId});
    }
    void additive(qint64 testId, const QString& name, const QVariant& concentration, const QString& unit,
                  const QString& lot) {
        exec(QStringLiteral("INSERT INTO TEST_ADDITIVE (TEST_ID, ADDITIVE_NM, ADD_CONCEN, ADD_UNIT, ADD_LOTNO) "
                            "VALUES (?, ?, ?, ?, ?)"),
             {testId, name, concentration, unit, lot});
    }
    // Any other statement, without values.
    void run(const QString& sql) { exec(sql, {}); }
    qint64 count(const QString& table, const QString& where = QString()) {
        QSqlQuery q(QSqlDatabase::database(name_));
        q.exec(QStringLiteral("SELECT COUNT(*) FROM ") + table + (where.isEmpty() ? QString() : " WHERE " + where));
        q.next();
        return q.value(0).toLongLong();
    }

private:
    qint64 exec(const QString& sql, const QVariantList& values) {
        QSqlQuery q(QSqlDatabase::database(name_));
        q.prepare(sql);
        for (const QVariant& v : values) q.addBindValue(v);
        if (!q.exec()) throw std::runtime_error(q.lastError().text().toStdString());
        return q.lastInsertId().toLongLong();
    }
    static int& counter() {
        static int n = 0;
        return n;
    }
    QString name_;
};

// The working folder is a scratch data folder holding the empty database.
class DataFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(db_.dir()));
    }
    void TearDown() override { QDir::setCurrent(previous_); }

    QString file(const QString& name) const { return QDir(db_.dir()).filePath(name); }
    void writeFile(const QString& name, const QByteArray& bytes) {
        QFile f(file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray readFile(const QString& name) const {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    TempDb db_;
    SavedSettings settings_;
    ScriptedDialogs dialogs_;
    QString previous_;
};

// The main window started in the scratch data folder.
class MainWindowTest : public DataFolderTest {
protected:
    // Starts the window; the exit question's outcome is recorded, not acted on.
    std::unique_ptr<frmMain> start() {
        auto w = std::make_unique<frmMain>();
        w->EndProcess = [this] { ++ended_; };
        w->Form_Load();
        return w;
    }

    // Opens a stored test through the open-test dialog, typing `name` and
    // pressing OK. Returns whether the dialog was hidden afterwards (accepted).
    bool open(frmMain& w, const QString& name) {
        bool accepted = false;
        ModalShowerScope scope([&](QDialog& d) {
            auto* dialog = qobject_cast<frmOpenTest*>(&d);
            EXPECT_NE(dialog, nullptr);
            EXPECT_EQ(dialog, w.fOpen());
            d.show();
            dialog->txtSeqName->setText(name);
            dialog->cmdOk_Click();
            accepted = !d.isVisible();
            d.hide();
            return 0;
        });
        w.cmdOpen_Click();
        return accepted;
    }

    int ended_ = 0;
};

}  // namespace testing_support
