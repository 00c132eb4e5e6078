// The clicks that write, reached from the main window, while another program
// holds the database (a second connection in BEGIN EXCLUSIVE) or while the
// database has no room left: a unit window's Start, the download of a test
// stored in the unit, Open Saved Test's Delete, the sequence editor's Save and
// Edit Test Info's Save. Each is refused at once with a message naming the
// database's state, stores nothing, keeps what the operator typed (its
// dialog stays open, the editor keeps its steps), and stores it when pressed
// again once the database takes it. Opening a stored test, which only reads,
// is not held back by the lock.

#include "MainWindowFixture.h"

#include "data/OpenedTest.h"
#include "data/clsTEST_ADDITIVE.h"
#include "data/clsTEST_INFO.h"
#include "dialogs/frmNameSeq.h"
#include "dialogs/frmTestRelatedInfo.h"
#include "dialogs/frmViewRelatedInfo.h"
#include "mainwindow/frmOpenTest.h"
#include "platform/FlexGrid.h"
#include "rheology/frmRealTime.h"
#include "sequences/SequenceGrids.h"
#include "sequences/frmSetup.h"
#include "support/DatabaseFaults.h"
#include "support/StoredSequences.h"
#include "support/TransferReads.h"
#include "support/UnitSimulator.h"
#include "support/UnitWindowFixture.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>

using testing_support::FullDatabase;
using testing_support::LockedDatabase;
using testing_support::MainWindowTest;
using testing_support::ModalShowerScope;
using testing_support::UnitSimulator;
using unit_tests::SeqStep;
using unit_tests::StoreSequence;

namespace {

const QString kInUse = QStringLiteral("the database is in use by another program");
const QString kFull = QStringLiteral("the database has no room left (disk full)");

class ClicksUnderALock : public unit_tests::UnitWindowFixture {
protected:
    enum class Fault { Locked, Full };

    // Every row of every table, as text.
    QString everything() {
        QString all;
        for (const char* table :
             {"TEST_INFO", "TEST_RESULT", "TEST_ADDITIVE", "SEQUENCE_INFO", "SEQUENCE_RAMP", "SEQUENCE_RAMP_DEFINE"}) {
            QSqlQuery q(conn.ADOConnection()->handle());
            EXPECT_TRUE(q.exec(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(table)));
            all += QLatin1String(table) + QLatin1Char(':');
            while (q.next()) {
                for (int c = 0; c < q.record().count(); ++c) all += q.value(c).toString() + QLatin1Char('|');
                all += QLatin1Char('\n');
            }
        }
        return all;
    }
    int count(const QString& sql) {
        QSqlQuery q(conn.ADOConnection()->handle());
        return q.exec(sql) && q.next() ? q.value(0).toInt() : -1;
    }

    // The press, made while the fault holds: refused with `refusal` (the
    // last message; none of them a bare "ERROR"), nothing stored, and at
    // once (a generous margin for a loaded machine: the connection's old
    // time-out was 20 s; the speed itself is measured in bench/).
    void refusedPress(Fault fault, const QString& refusal, const std::function<void()>& press) {
        std::optional<LockedDatabase> lock;
        std::optional<FullDatabase> full;
        if (fault == Fault::Locked) {
            lock.emplace(db.path());
        } else {
            full.emplace(conn);
            ASSERT_TRUE(full->full());
            // The filler took the room of the results; the tests' and
            // additives' pages are filled as well.
            QSqlQuery q(conn.ADOConnection()->handle());
            for (int i = 0; i < 10000 && q.exec("INSERT INTO TEST_INFO (TEST_NAME) VALUES ('filler')"); ++i) {
            }
            for (int i = 0; i < 10000 && q.exec("INSERT INTO TEST_ADDITIVE (TEST_ID) VALUES (99)"); ++i) {
            }
        }
        const QString before = everything();
        dialogs.clear();
        QElapsedTimer t;
        t.start();
        press();
        EXPECT_LT(t.elapsed(), 1000);
        ASSERT_FALSE(dialogs.texts().isEmpty());
        EXPECT_EQ(dialogs.texts().last(), refusal);
        for (const QString& text : dialogs.texts()) EXPECT_FALSE(text.startsWith("ERROR")) << text.toStdString();
        EXPECT_EQ(everything(), before);
        if (full) {
            QSqlQuery q(conn.ADOConnection()->handle());
            EXPECT_TRUE(q.exec("DELETE FROM TEST_INFO WHERE TEST_NAME = 'filler'"));
            EXPECT_TRUE(q.exec("DELETE FROM TEST_ADDITIVE WHERE TEST_ID = 99"));
            EXPECT_TRUE(q.exec("DELETE FROM TEST_RESULT WHERE TEST_ID = 99"));
            full->MakeRoom();
        }
        dialogs.clear();
    }

    // A rheology window on a sequence, its frames going nowhere.
    std::unique_ptr<frmRealTime> rheologyWindow() {
        StoreSequence(conn, "Seq", {SeqStep{10, 75, 5, 300, 5}});
        auto w = std::make_unique<frmRealTime>();
        w->InitialInst(&conn);
        w->PortOpenHook = [] { return true; };
        w->SendHook = [](const QString&) {};
        testing_support::PickSequence(*w, "Seq");
        return w;
    }

    // What the operator types into the test information dialog.
    static void type(frmTestRelatedInfo& d, const QString& name) {
        d.txtTestName->setText(name);
        d.txtFluidId->setText("Mud 7");
        d.txtBobNo->setText("B2");
        d.txtSAFETY->setPlainText("first run of the day");
        d.MSFlexGrid1->TextMatrix(1, 0, "KCl");
        d.MSFlexGrid1->TextMatrix(1, 1, "2");
        d.MSFlexGrid1->TextMatrix(1, 2, "%");
    }
    // The dialog is still open with everything typed.
    static void kept(frmTestRelatedInfo& d, const QString& name) {
        EXPECT_TRUE(d.isVisible());
        EXPECT_TRUE(d.Cancelled);
        EXPECT_EQ(d.txtTestName->text(), name);
        EXPECT_EQ(d.txtFluidId->text(), "Mud 7");
        EXPECT_EQ(d.txtBobNo->text(), "B2");
        EXPECT_EQ(d.txtBobRadius->text(), "1.2276");
        EXPECT_EQ(d.txtSAFETY->toPlainText(), "first run of the day");
        EXPECT_EQ(d.MSFlexGrid1->TextMatrix(1, 0), "KCl");
        EXPECT_EQ(d.MSFlexGrid1->TextMatrix(1, 1), "2");
    }

    // The test stored with what was typed, and its additive.
    void storedWithAdditive(const QString& name) {
        EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TEST_INFO WHERE TEST_NAME = '%1' AND FLUID_ID = 'Mud 7' "
                                       "AND SAFETY = 'first run of the day'")
                            .arg(name)),
                  1);
        EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TEST_ADDITIVE a JOIN TEST_INFO i ON a.TEST_ID = "
                                       "i.TEST_ID WHERE i.TEST_NAME = '%1' AND a.ADDITIVE_NM = 'KCl'")
                            .arg(name)),
                  1);
    }

    void startCase(Fault fault) {
        auto w = rheologyWindow();
        const QString nameShown = w->lblTestname->text();
        int shown = 0;
        ModalShowerScope shower([&](QDialog& dialog) {
            auto& d = dynamic_cast<frmTestRelatedInfo&>(dialog);
            ++shown;
            d.show();
            type(d, "Mud A");
            refusedPress(fault,
                         "The test was not started: " + (fault == Fault::Locked ? kInUse : kFull) +
                             ". Nothing was stored; try again.",
                         [&] { d.cmdOk->click(); });
            kept(d, "Mud A");
            // No name of a test that does not exist, and no run.
            EXPECT_EQ(w->lblTestname->text(), nameShown);
            EXPECT_EQ(w->RunState, runloop::kIdle);
            d.cmdOk->click();
            EXPECT_FALSE(d.isVisible());
            return int(QDialog::Accepted);
        });
        w->cmdStart_Stop->click();
        EXPECT_EQ(shown, 1);
        EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('\n').toStdString();
        storedWithAdditive("Mud A");
        EXPECT_EQ(w->lblTestname->text(), "Mud A");
        EXPECT_EQ(w->RunState, runloop::kStepRunning);
        w->cmdStop->click();
        // The database undid the refused Start itself (a full disk): the
        // connection knows it, and its next writes are whole or nothing.
        testing_support::ExpectAWriteRefusedHalfWayLeavesNothing(conn);
    }
};

TEST_F(ClicksUnderALock, EachClickIsRefusedAtOnceNamingTheStateStoresNothingAndKeepsWhatWasTyped) {
    writePorts({});
    struct Click {
        const char* name;
        std::function<void()> run;
    };
    const Click clicks[] = {
        {"Start", [&] { startCase(Fault::Locked); }},
        {"Start on a full disk", [&] { startCase(Fault::Full); }},
        {"download",
         [&] {
             UnitSimulator unit;
             unit.attachToPort(7);
             unit.setStoredTest({"1,0,12.6,300.5,301,5000,170.2,123.4,0", "1,1,20,301,301,5001,340.4,150,1"});
             unit.setPeriod(600000);
             unit.start();
             auto w = std::make_unique<frmRealTime>();
             w->InitialInst(&conn);
             w->MSComm1.PortNumber(7);
             w->MSComm1.Settings(QStringLiteral("115200,n,8,1"));
             w->MSComm1.PortOpen(true);
             QElapsedTimer waited;
             waited.start();
             while (w->MSComm1.InBufferCount() == 0 && waited.elapsed() < 5000) QThread::msleep(5);
             // The dialog's Start sends the request and closes it; the test
             // is stored once the transfer has come in. Refused then, the
             // dialog opens again with everything typed, and its Start stores
             // the same transfer.
             std::optional<LockedDatabase> lock;
             QString before;
             int shown = 0;
             ModalShowerScope shower([&](QDialog& dialog) {
                 auto& d = dynamic_cast<frmTestRelatedInfo&>(dialog);
                 d.show();
                 if (++shown == 1) {
                     type(d, "Stored run");
                     d.cmdOk->click();
                     EXPECT_FALSE(d.isVisible());
                     return int(QDialog::Accepted);
                 }
                 EXPECT_EQ(dialogs.texts(),
                           QStringList{"The test was not downloaded: " + kInUse + ". Nothing was stored; try again."});
                 EXPECT_EQ(everything(), before);
                 kept(d, "Stored run");
                 dialogs.clear();
                 lock.reset();
                 d.cmdOk->click();
                 EXPECT_FALSE(d.isVisible());
                 return int(QDialog::Accepted);
             });
             w->cmdRetrieve->click();
             ASSERT_TRUE(w->DownloadUnderWay());
             lock.emplace(db.path());
             before = everything();
             dialogs.clear();
             ASSERT_TRUE(testing_support::FinishTransfer(*w->mDownload));
             EXPECT_EQ(shown, 2);
             EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('\n').toStdString();
             storedWithAdditive("Stored run");
             EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TEST_RESULT WHERE TEST_ID = %1").arg(w->TestId)), 2);
             // The unit was asked once.
             EXPECT_EQ(unit.commands().size(), 1u);
         }},
        {"Delete",
         [&] {
             {
                 testing_support::Seeder seed(db.path());
                 const qint64 id = seed.test("Old", "B1");
                 seed.result(id, 10);
                 seed.additive(id, "Salt", 1, "%", "L1");
             }
             frmOpenTest d(&conn);
             d.Form_Load();
             d.MSFlexGrid1->Row(1);
             d.MSFlexGrid1_Click();
             ASSERT_EQ(d.txtSeqName->text(), "Old");
             refusedPress(Fault::Locked, "The test was not deleted: " + kInUse + ". Nothing was deleted; try again.",
                          [&] { d.cmdDelete->click(); });
             // Still listed and chosen.
             EXPECT_EQ(d.MSFlexGrid1->Rows(), 2);
             EXPECT_EQ(d.txtSeqName->text(), "Old");
             d.cmdDelete->click();
             EXPECT_EQ(count("SELECT COUNT(*) FROM TEST_INFO"), 0);
             EXPECT_EQ(count("SELECT COUNT(*) FROM TEST_RESULT"), 0);
             EXPECT_EQ(count("SELECT COUNT(*) FROM TEST_ADDITIVE"), 0);
             EXPECT_EQ(d.MSFlexGrid1->Rows(), 1);
         }},
        {"sequence Save",
         [&] {
             StoreSequence(conn, "Steps", {SeqStep{10, 75}, SeqStep{20, 100}});
             frmSetup w(&conn, nullptr);
             ASSERT_EQ(w.lstSeqName->count(), 1);
             w.lstSeqName->setCurrentRow(0);
             ASSERT_EQ(w.StepGrid().Rows(), 3);
             w.StepGrid().TextMatrix(2, seqgrid::colTemp, "150");
             w.MarkSequenceChanged();
             refusedPress(Fault::Locked,
                          "The sequence was not saved: " + kInUse + ". The stored sequence is as it was; try again.",
                          [&] { w.cmdSaveChange->click(); });
             // The editor keeps its steps, still to be saved.
             EXPECT_EQ(w.StepGrid().Rows(), 3);
             EXPECT_EQ(w.StepGrid().TextMatrix(2, seqgrid::colTemp), "150");
             EXPECT_TRUE(w.SequenceChanged());
             w.cmdSaveChange->click();
             EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('\n').toStdString();
             EXPECT_FALSE(w.SequenceChanged());
             EXPECT_EQ(count("SELECT COUNT(*) FROM SEQUENCE_RAMP WHERE RAMP_NO = 2 AND RAMP_TEMP = 150"), 1);
             EXPECT_EQ(count("SELECT COUNT(*) FROM SEQUENCE_RAMP"), 2);
         }},
        {"test information edit",
         [&] {
             qint64 id = 0;
             {
                 testing_support::Seeder seed(db.path());
                 id = seed.test("Edited", "B1");
                 seed.additive(id, "Salt", 1, "%", "L1");
             }
             clsTEST_INFO info;
             clsTEST_ADDITIVE additive;
             info.ConnectX(&conn);
             OpenedTest opened;
             opened.OpenedTestId = qint32(id);
             int refills = 0;
             relatedinfo::cmdRelated_Click(
                 &conn, info, additive, opened, [&] { ++refills; }, [&](frmViewRelatedInfo& d) {
                     d.show();
                     d.txtFluidId->setText("New fluid");
                     d.txtSAFETY->setPlainText("corrected");
                     d.MSFlexGrid1->TextMatrix(2, 0, "Clay");
                     refusedPress(Fault::Locked,
                                  "The test information was not saved: " + kInUse +
                                      ". The stored test is as it was; try again.",
                                  [&] { d.cmdOk->click(); });
                     EXPECT_TRUE(d.isVisible());
                     EXPECT_TRUE(d.Cancelled);
                     EXPECT_EQ(d.txtFluidId->text(), "New fluid");
                     EXPECT_EQ(d.txtSAFETY->toPlainText(), "corrected");
                     EXPECT_EQ(d.MSFlexGrid1->TextMatrix(2, 0), "Clay");
                     d.cmdOk->click();
                     EXPECT_FALSE(d.isVisible());
                 });
             EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('\n').toStdString();
             EXPECT_EQ(refills, 1);
             EXPECT_EQ(count("SELECT COUNT(*) FROM TEST_INFO WHERE FLUID_ID = 'New fluid' AND SAFETY = 'corrected'"), 1);
             EXPECT_EQ(count("SELECT COUNT(*) FROM TEST_ADDITIVE WHERE ADDITIVE_NM IN ('Salt', 'Clay')"), 2);
         }},
    };
    for (const Click& c : clicks) {
        SCOPED_TRACE(c.name);
        // Each on a database of its own tests and sequences.
        QSqlQuery q(conn.ADOConnection()->handle());
        for (const char* table :
             {"TEST_INFO", "TEST_RESULT", "TEST_ADDITIVE", "SEQUENCE_INFO", "SEQUENCE_RAMP", "SEQUENCE_RAMP_DEFINE"})
            ASSERT_TRUE(q.exec(QStringLiteral("DELETE FROM %1").arg(table)));
        dialogs.clear();
        c.run();
    }
}

}  // namespace

// Opening a stored test only reads, and a reader does not wait for another
// program's lock: while another program holds the database the test opens
// at once, whole, without a message.
TEST_F(MainWindowTest, AStoredTestOpensAtOnceWhileAnotherProgramHoldsTheDatabase) {
    qint64 id = 0;
    {
        testing_support::Seeder seed(db_.path());
        id = seed.test("Mud One", "B1");
        seed.result(id, 60, 0, 1, 1);
        seed.result(id, 120, 0, 2, 1);
        seed.additive(id, "KCl", 3, "%", "L7");
    }
    auto w = start();
    LockedDatabase lock(db_.path());
    QElapsedTimer t;
    t.start();
    EXPECT_TRUE(open(*w, "Mud One"));
    EXPECT_LT(t.elapsed(), 1000);  // a generous margin; the old time-out was 20 s
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join('\n').toStdString();
    EXPECT_EQ(w->Opened().OpenedTestId, id);
    EXPECT_GT(w->MSFlexGrid1->Rows(), 2);
    ASSERT_EQ(w->MSFlexGrid2->Rows(), 2);
    EXPECT_EQ(w->MSFlexGrid2->TextMatrix(1, 0), "KCl");
}
