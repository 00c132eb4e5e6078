#pragma once
// A fresh copy of the empty database in a scratch data folder with a settings
// file, the shared settings of a chosen unit system and entry mode, helpers
// that store sequences behind the editor's back and read them back, a
// scripted modal show for the step dialogs, and the texts of a step every
// door takes for the insert dialog's and the step builder's boxes.

#include "data/Globals.h"
#include "data/Settings.h"
#include "data/clsConnection.h"
#include "platform/ModalShow.h"
#include "sequences/frmInsertStep.h"
#include "sequences/frmSetup.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDb.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>
#include <QVariantList>
#include <functional>
#include <gtest/gtest.h>

namespace testing_support {

struct InSequenceFolder {
    QString old = QDir::currentPath();
    explicit InSequenceFolder(const QString& dir) { QDir::setCurrent(dir); }
    ~InSequenceFolder() { QDir::setCurrent(old); }
};

// Installs a modal show that hands each dialog to `drive` instead of showing
// it; the previous one is put back at the end of the scope.
class ScriptedModal {
public:
    explicit ScriptedModal(std::function<void(QDialog&)> drive)
        : previous_(ui::setModalShower([this](QDialog& d) {
              ++shown;
              drive_(d);
              return d.result();
          })),
          drive_(std::move(drive)) {}
    ~ScriptedModal() { ui::setModalShower(previous_); }
    int shown = 0;

private:
    ui::ModalShower previous_;
    std::function<void(QDialog&)> drive_;
};

// The insert dialog's boxes with a step every door takes: 10 min, 150 °F,
// 5 °F, 2 °F/min, 300 rpm, 1000 psi, 50 psi/min, 5 s, 1 cycle, no ramp.
inline void FillInsertBoxes(frmInsertStep& d) {
    d.txtTime->setText("10");
    d.txtTemp->setText("150");
    d.txtTempError->setText("5");
    d.txtTempRate->setText("2");
    d.txtShearrate->setText("300");
    d.txtPress->setText("1000");
    d.txtPressRate->setText("50");
    d.txtRate->setText("5");
    d.txtcycle->setText("1");
    d.txtRunRamp->setText("0");
}
// Insert Step in the editor, its dialog's boxes filled so and `box` then
// holding `text`, and OK pressed: whether the step was inserted.
inline bool InsertStepWith(frmSetup& w, const QString& box, const QString& text) {
    bool inserted = false;
    ScriptedModal modal([&](QDialog& d) {
        auto* dlg = qobject_cast<frmInsertStep*>(&d);
        ASSERT_NE(dlg, nullptr);
        FillInsertBoxes(*dlg);
        dlg->findChild<QLineEdit*>(box)->setText(text);
        dlg->cmdOk_Click();
        inserted = !dlg->CancelInp();
    });
    w.cmdInsertStep_Click();
    return inserted;
}
// The step builder's boxes with three such steps.
inline void FillBuilderBoxes(frmSetup& w) {
    QLineEdit* const boxes[] = {w.txtTotalSteps, w.txtStepTime, w.txtTemp,     w.txtTempError,
                                w.txtTempRate,   w.txtSpeed,    w.txtPressure, w.txtPressRate,
                                w.txtInterval,   w.txtCycle,    w.txtRunRamp};
    const char* const texts[] = {"3", "10", "150", "5", "2", "300", "1000", "50", "5", "1", "0"};
    for (size_t k = 0; k < std::size(boxes); ++k) boxes[k]->setText(texts[k]);
}

// One stored step in storage units.
struct StoredStep {
    double rampNo, elapse, temp, startError, tempRate, speed, press, pressRate, recordRate, cycles, runRamp;
};

class SequenceFixture : public ::testing::Test {
protected:
    void SetUp() override {
        writeSettings({" 1 ", " 2 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", "CGS", "Kunit ,1", "SF ,1",
                       "BY the Speed"});
        conn.OpenDB();
        ASSERT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("\n").toStdString();
        ASSERT_TRUE(conn.ADOConnection() && conn.ADOConnection()->isOpen());
        useUnits(1, false);
    }
    void TearDown() override { useUnits(1, false); }

    // The unit system and entry mode in effect (as read at start-up).
    void useUnits(int unitSystem, bool bySR) {
        gUnitSystem = unitSystem;
        gKUnit = 1;
        gSF = 1.0;
        gBySR = bySR;
        gMaxPress = 30000;
        SetUnitLabels();
    }

    void writeSettings(const QStringList& lines) {
        QFile f(tmp.dir() + "/initial.txt");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        for (const QString& l : lines) f.write(l.toLatin1() + "\r\n");
    }
    QStringList settingsLines() {
        QFile f(tmp.dir() + "/initial.txt");
        if (!f.open(QIODevice::ReadOnly)) return {};
        QStringList out = QString::fromLatin1(f.readAll()).split("\r\n");
        if (!out.isEmpty() && out.last().isEmpty()) out.removeLast();
        return out;
    }

    QSqlQuery sql(const QString& text, const QVariantList& values = {}) {
        QSqlQuery q(conn.ADOConnection()->handle());
        EXPECT_TRUE(q.prepare(text)) << q.lastError().text().toStdString();
        for (int i = 0; i < values.size(); ++i) q.bindValue(i, values[i]);
        EXPECT_TRUE(q.exec()) << text.toStdString() << ": " << q.lastError().text().toStdString();
        return q;
    }
    QVariant scalar(const QString& text, const QVariantList& values = {}) {
        QSqlQuery q = sql(text, values);
        return q.next() ? q.value(0) : QVariant();
    }
    int count(const QString& text, const QVariantList& values = {}) { return scalar(text, values).toInt(); }
    QList<QVariantList> rows(const QString& text, const QVariantList& values = {}) {
        QSqlQuery q = sql(text, values);
        QList<QVariantList> out;
        while (q.next()) {
            QVariantList r;
            for (int c = 0; c < q.record().count(); ++c) r << q.value(c);
            out << r;
        }
        return out;
    }

    // Stores a sequence header and returns its SEQUENCE_ID.
    int addSequence(const QString& name, double timeBeforeRead = 20, double sampleInterval = 60) {
        sql("INSERT INTO SEQUENCE_INFO (SEQUENCE_NAME, TIME_BEFORE_READ, RAMP_SAMPLE_RATE, SAMPLE_POINTS_AVERAGE, "
            "SHUT_DOWN_ATIME, SHUT_DOWN_VISC, SAMPLE_INTERVAL) VALUES (?, ?, 2, 5, 20, 0, ?)",
            {name, timeBeforeRead, sampleInterval});
        return scalar("SELECT last_insert_rowid()").toInt();
    }
    void addStep(int seqId, const StoredStep& s) {
        sql("INSERT INTO SEQUENCE_RAMP (SEQUENCE_ID, RAMP_NO, RAMP_ELAPSE_TIME, RAMP_TEMP, RAMP_START_ERROR, SPEED, "
            "RECORD_RATE, RAMP_PRESS, RUN_RAMP, TEMPRAMP_RATE, CYCLE_LABEL, FEILD1) VALUES (?,?,?,?,?,?,?,?,?,?,?,?)",
            {seqId, s.rampNo, s.elapse, s.temp, s.startError, s.speed, s.recordRate, s.press, s.runRamp, s.tempRate,
             s.cycles, s.pressRate});
    }
    void addRampEntry(int seqId, double stepNo, double speed, double delay, double interval) {
        sql("INSERT INTO SEQUENCE_RAMP_DEFINE (SEQUENCE_ID, RAMP_STEP_NO, RAMP_SPEED, DELAY_TIME, INTERVALs) "
            "VALUES (?, ?, ?, ?, ?)",
            {seqId, stepNo, speed, delay, interval});
    }
    int idOf(const QString& name) {
        return scalar("SELECT SEQUENCE_ID FROM SEQUENCE_INFO WHERE SEQUENCE_NAME = ?", {name}).toInt();
    }
    // The stored steps of a sequence: RAMP_NO, RAMP_TEMP, RAMP_START_ERROR,
    // TEMPRAMP_RATE, SPEED, RAMP_PRESS, CYCLE_LABEL, in RAMP_NO order.
    QList<QVariantList> stepsOf(int seqId) {
        return rows("SELECT RAMP_NO, RAMP_TEMP, RAMP_START_ERROR, TEMPRAMP_RATE, SPEED, RAMP_PRESS, CYCLE_LABEL "
                    "FROM SEQUENCE_RAMP WHERE SEQUENCE_ID = ? ORDER BY RAMP_NO",
                    {seqId});
    }
    // RAMP_STEP_NO, RAMP_SPEED, DELAY_TIME, INTERVALs.
    QList<QVariantList> rampEntriesOf(int seqId) {
        return rows("SELECT RAMP_STEP_NO, RAMP_SPEED, DELAY_TIME, INTERVALs FROM SEQUENCE_RAMP_DEFINE "
                    "WHERE SEQUENCE_ID = ? ORDER BY RAMP_STEP_NO",
                    {seqId});
    }

    // Two sequences: "Alpha" with three steps and two ramp entries, "Beta"
    // with one step and no ramp entries.
    void storeTwo() {
        alpha = addSequence("Alpha", 25, 61);
        addStep(alpha, {1, 10, 200, 5, 10, 300, 1000, 50, 5, 1, 1});
        addStep(alpha, {2, 20, 250, 5, 10, 300, 2000, 50, 5, 2, 0});
        addStep(alpha, {3, 5, 100, 5, 10, 100, 500, 50, 10, 1, 0});
        addRampEntry(alpha, 1, 100, 30, 10);
        addRampEntry(alpha, 2, 600, 20, 5);
        beta = addSequence("Beta");
        addStep(beta, {1, 10, 150, 0, 0, 600, 0, 0, 1, 1, 0});
    }
    int alpha = 0;
    int beta = 0;

    TempDb tmp;
    InSequenceFolder in{tmp.dir()};
    ScriptedDialogs dialogs;
    clsConnection conn;
};

}  // namespace testing_support
