// The download of a test stored in the unit, over the serial line from a
// simulated unit: the new test and its rows, the messages of a silent unit
// and of a damaged transfer, Cancel, a download refused while a test runs,
// and what the window shows, refuses and does while a download is under way
// (its reads fired by hand, TransferReads.h).

#include "RheologyFixture.h"

#include "data/clsTEST_ADDITIVE.h"
#include "dialogs/frmTestRelatedInfo.h"
#include "platform/Database.h"
#include "platform/ModalShow.h"
#include "support/DatabaseFaults.h"
#include "support/ManualClock.h"
#include "data/BobGeometry.h"
#include "unitrun/RunMessages.h"
#include "support/TransferReads.h"
#include "support/UnitSimulator.h"
#include "unitlink/StoredTransferRead.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTimer>

using namespace unit_tests;
using testing_support::UnitSimulator;

namespace {

struct ShowerScope {
    explicit ShowerScope(ui::ModalShower s) : previous(ui::setModalShower(std::move(s))) {}
    ~ShowerScope() { ui::setModalShower(previous); }
    ui::ModalShower previous;
};

struct StoredRow {
    double step, ramp, time, temp, press, rate, stress, type, bath, cycle;
};

// Three records of a test stored in the unit (times 12.6, 20 and 30 s).
const QByteArrayList kThreeRecords = {"1,0,12.6,300.5,301,5000,170.2,123.4,0", "1,1,20,301,301,5001,340.4,150,1",
                                   "2,0,30,302,301,5002,0,0,0"};

class StoredDownload : public LiveWindowFixture {
protected:
    void SetUp() override {
        LiveWindowFixture::SetUp();
        unit.attachToPort(7);
        w->MSComm1.PortNumber(7);
        w->MSComm1.Settings(QStringLiteral("115200,n,8,1"));
        w->MSComm1.PortOpen(true);
        w->Timer1.Interval(1000);
    }

    // The reads of the download under way fired until it has ended (each
    // after a tenth of its time); the window's timer must stay stopped
    // meanwhile.
    bool finishDownload() {
        if (!w->DownloadUnderWay()) return true;
        testing_support::ManualTickSource& reads = testing_support::TransferSource(*w->mDownload);
        for (int i = 0; i < 1000 && w->DownloadUnderWay(); ++i) {
            waitedWhileTicking = waitedWhileTicking || w->Timer1.Running();
            QThread::msleep(static_cast<unsigned long>(reads.next / 10));
            reads.fire();
        }
        return !w->DownloadUnderWay();
    }
    // Retrieve Last Result, and the download it begins to its end.
    void retrieve() {
        w->cmdRetrieve_Click();
        ASSERT_TRUE(finishDownload());
    }

    // Starts the unit quiet: its first status frame (sent as it starts) is
    // waited for, so that it waits in the buffer before the request; no later
    // frame of its own crosses a request (one that does is damage to the
    // transfer, tested apart).
    void startQuietUnit() {
        unit.setPeriod(600000);
        unit.start();
        QElapsedTimer waited;
        waited.start();
        while (w->MSComm1.InBufferCount() == 0 && waited.elapsed() < 5000) QThread::msleep(5);
    }

    // Answers the test information dialog: the test described, or Cancel;
    // beforeOk runs while the dialog is open, before OK.
    ShowerScope answer(const QString& name, bool cancel = false, std::function<void()> beforeOk = {}) {
        return ShowerScope([this, name, cancel, beforeOk](QDialog& d) {
            ++dialogsShown;
            auto& info = static_cast<frmTestRelatedInfo&>(d);
            title = info.windowTitle();
            if (cancel) {
                info.cmdCancel_Click();
                return int(QDialog::Rejected);
            }
            info.txtTestName->setText(name);
            info.txtBobNo->setText(QStringLiteral("B2"));  // the radius follows the bob
            info.MSFlexGrid1->TextMatrix(1, 0, QStringLiteral("KCl"));
            info.MSFlexGrid1->TextMatrix(1, 1, QStringLiteral("2"));
            if (beforeOk) beforeOk();
            info.cmdOk_Click();
            return int(QDialog::Accepted);
        });
    }

    std::vector<StoredRow> rowsOf(qint32 testId) {
        clsTEST_RESULT r;
        r.Test_Id(testId);
        r.ConnectX(&conn);
        std::vector<StoredRow> rows;
        for (r.MoveFirst(); !r.Eof(); r.MoveNext())
            rows.push_back({r.RAMP_NO(), r.RAMP_STEP_NO(), r.RESULT_TIME(), r.RESULT_SAMPLE_TEMP(), r.RESULT_PRESS(),
                            r.RESULT_SPEED(), r.RESULT_SHEAR_STRESS(), r.RESULT_TYPE_ID(), r.RESULT_BATH_TEMP(),
                            r.CYCLE_NO()});
        return rows;
    }
    // The rows of kThreeRecords, each stored once in the window's test, in order.
    void expectTheThreeRecordsOnce() {
        const std::vector<StoredRow> rows = rowsOf(w->TestId);
        ASSERT_EQ(rows.size(), 3u);
        EXPECT_EQ(rows[0].time, 13);
        EXPECT_EQ(rows[1].time, 20);
        EXPECT_EQ(rows[2].time, 30);
        EXPECT_EQ(rows[2].step, 2);
    }
    bool testNamed(const QString& name) {
        clsTEST_INFO info;
        info.ConnectX(&conn);
        info.TEST_NAME(name);
        info.GetTestDetail();
        return !info.Eof();
    }

    UnitSimulator unit;
    int dialogsShown = 0;
    QString title;
    bool waitedWhileTicking = false;
};

}  // namespace

TEST_F(StoredDownload, StoresTheUnitsRowsUnderANewTest) {
    unit.setStoredTest({"1,0,12.6,300.5,301,5000,170.2,123.4,0", "1,1,20,301,301,5001,340.4,150,1",
                        "2,0,30,302,301,5002,0,0,0"},
                       true, 16, 30);  // in pieces, as a slow line delivers it
    unit.setPeriod(20);
    unit.start();
    QThread::msleep(60);  // status frames waiting before the request are discarded
    // The unit then falls quiet, so that no frame of its own crosses the
    // request (a frame that does is damage to the transfer, tested apart).
    unit.setPeriod(60000);
    QThread::msleep(60);
    // What the transfer does not carry comes from the window as it stands.
    w->CurCycle = 3;
    w->mReply.readings.mGel = 7;
    const auto scope = answer(QStringLiteral("Stored run"));

    w->cmdRetrieve->click();
    ASSERT_TRUE(finishDownload());

    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join('\n').toStdString();
    EXPECT_EQ(title, "Input Test Information");
    ASSERT_TRUE(unit.waitForCommands(1));
    EXPECT_EQ(unit.commands().front().bytes, QByteArray("\x01\r"));
    ASSERT_NE(w->TestId, 0);
    ASSERT_TRUE(testNamed(QStringLiteral("Stored run")));
    EXPECT_EQ(w->mTestInfo->BOB_NO(), "B2");
    EXPECT_EQ(w->mTestInfo->Test_Id(), w->TestId);
    EXPECT_DOUBLE_EQ(w->mBobRadius, 1.2276);
    EXPECT_DOUBLE_EQ(w->mReply.mShearRateFactor, bob::ShearRatePerRpm(1.2276));

    const std::vector<StoredRow> rows = rowsOf(w->TestId);
    ASSERT_EQ(rows.size(), 3u);
    // Time rounded to whole seconds; rate and stress as sent, whatever the bob.
    const StoredRow expected[] = {{1, 0, 13, 300.5, 5000, 170.2, 123.4, 0, 7, 3},
                                  {1, 1, 20, 301, 5001, 340.4, 150, 1, 7, 3},
                                  {2, 0, 30, 302, 5002, 0, 0, 0, 7, 3}};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const StoredRow& a = rows[i];
        const StoredRow& e = expected[i];
        EXPECT_EQ(std::tie(a.step, a.ramp, a.time, a.type, a.bath, a.cycle),
                  std::tie(e.step, e.ramp, e.time, e.type, e.bath, e.cycle));
        EXPECT_DOUBLE_EQ(a.temp, e.temp);
        EXPECT_DOUBLE_EQ(a.press, e.press);
        EXPECT_DOUBLE_EQ(a.rate, e.rate);
        EXPECT_DOUBLE_EQ(a.stress, e.stress);
    }
    clsTEST_ADDITIVE additives;
    additives.TESTId(w->TestId);
    additives.ConnectX(&conn);
    additives.GetSeqDetail();
    ASSERT_FALSE(additives.Eof());
    EXPECT_EQ(additives.ADDITIVE_NM(), "KCl");
    EXPECT_DOUBLE_EQ(additives.ADD_CONCEN(), 2);

    // The timer was stopped for the reads and runs again.
    EXPECT_FALSE(waitedWhileTicking);
    EXPECT_TRUE(w->Timer1.Running());
    // The working fields hold the last record.
    EXPECT_EQ(w->CurStep, 2);
    EXPECT_EQ(w->ElapsedSeconds, 30);
}

// A stored test of the same name (stored while the dialog is open, past its
// check of names) takes none of the downloaded rows.
TEST_F(StoredDownload, ADownloadWithANamesakeStoredStoresItsRowsUnderItsOwnNewTest) {
    unit.setStoredTest({"1,0,12.6,300.5,301,5000,170.2,123.4,0", "1,1,20,301,301,5001,340.4,150,1"});
    startQuietUnit();
    const auto sql = [&](const QString& text) { return db::Command(conn.ADOConnection(), text).execute(); };
    const auto scope = answer(QStringLiteral("Stored run"), false,
                              [&] { sql(QStringLiteral("INSERT INTO TEST_INFO (TEST_NAME) VALUES ('Stored run')")); });
    retrieve();

    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join('\n').toStdString();
    const auto keys = sql(QStringLiteral("SELECT TEST_ID FROM TEST_INFO ORDER BY TEST_ID"))->columns[0];
    ASSERT_EQ(keys.size(), 2);
    const qint32 older = keys[0].toInt(), newer = keys[1].toInt();
    EXPECT_EQ(w->TestId, newer);
    EXPECT_EQ(w->mTestInfo->Test_Id(), newer);
    EXPECT_EQ(rowsOf(newer).size(), 2u);
    EXPECT_TRUE(rowsOf(older).empty());
    const auto additivesOf = [&](qint32 key) {
        return sql(QStringLiteral("SELECT COUNT(*) FROM TEST_ADDITIVE WHERE TEST_ID = %1").arg(key))->columns[0][0].toInt();
    };
    EXPECT_EQ(additivesOf(newer), 1);
    EXPECT_EQ(additivesOf(older), 0);
}

TEST_F(StoredDownload, SilenceOrADamagedTransferStoresNoRows) {
    const QString noResponse = "No response from Z3080, please check connection.";
    const QString commError = "Communication error from Z3080, please download data again.";
    struct Case {
        const char* name;
        QByteArrayList records;
        bool withEnd;
        bool silent;
        QString message;
    } cases[] = {
        {"silent", {"1,0,1,300,300,5000,1,1,0"}, true, true, noResponse},
        {"no end character", {"1,0,1,300,300,5000,1,1,0", "1,0,2,300,300,5000,1,1,0"}, false, false, commError},
        {"short record", {"1,0,1,300,300,5000,1,1,0", "1,0,5", "1,0,9,300,300,5000,1,1,0"}, true, false, commError},
        {"number no row holds", {"1,0,1,300,300,5000,1,1,0", "1e40,0,2,300,300,5000,1,1,0"}, true, false, commError},
        {"field that is no number", {"1,0,1,300,300,5000,1,1,0", "1,0,2,300,x,5000,1,1,0"}, true, false, commError},
        {"empty field", {"1,0,1,300,300,5000,1,1,0", "1,0,2,,300,5000,1,1,0"}, true, false, commError},
    };
    startQuietUnit();
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.clear();
        unit.clearCommands();
        unit.setSilent(c.silent);
        unit.setStoredTest(c.records, c.withEnd);
        const QString name = QStringLiteral("Attempt %1").arg(++n);
        const auto scope = answer(name);
        retrieve();

        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].prompt, c.message);
        EXPECT_EQ(dialogs.messages[0].title, "Communication Error");
        EXPECT_EQ(dialogs.messages[0].style, ui::vbOKOnly);
        EXPECT_TRUE(rowsOf(w->TestId).empty());
        EXPECT_FALSE(testNamed(name));  // a failed download leaves no empty test behind
        EXPECT_TRUE(unit.waitForCommands(1));
        EXPECT_TRUE(w->Timer1.Running());
    }

    // The window's readings resume afterwards.
    unit.setSilent(false);
    unit.sendStatusFrame();
    EXPECT_TRUE(until([&] { w->Timer1.Tick(); }, [&] { return !w->txtSampleTemp->text().isEmpty(); }));
}

TEST_F(StoredDownload, CancelSendsAndWritesNothing) {
    unit.setStoredTest({"1,0,1,300,300,5000,1,1,0"});
    startQuietUnit();
    const auto scope = answer(QString(), true);
    w->cmdRetrieve_Click();
    EXPECT_EQ(dialogsShown, 1);
    QThread::msleep(50);
    EXPECT_TRUE(unit.commands().empty());
    EXPECT_EQ(w->TestId, 0);
    EXPECT_TRUE(w->Timer1.Running());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(StoredDownload, ABobThatDoesNotFitTheCupIsRefused) {
    unit.setStoredTest({"1,0,1,300,300,5000,1,1,0"});
    startQuietUnit();
    const auto scope = ShowerScope([this](QDialog& d) {
        auto& info = static_cast<frmTestRelatedInfo&>(d);
        info.txtTestName->setText(QStringLiteral("Downloaded"));
        info.txtBobNo->setText(QStringLiteral("X"));
        info.txtBobRadius->setText(QStringLiteral("1.8415"));
        info.cmdOk_Click();
        return int(QDialog::Accepted);
    });
    w->cmdRetrieve_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{runloop::BobRadiusMessage(bob::BobNames())});
    QThread::msleep(50);
    EXPECT_TRUE(unit.commands().empty());
    EXPECT_FALSE(testNamed(QStringLiteral("Downloaded")));
    EXPECT_TRUE(w->Timer1.Running());
}

// A database with no room left for a download's rows: the test and its
// additives are stored, its rows wait as recorded rows do (the first
// refusal said once, the status bar naming how many; the test may not be
// deleted meanwhile), and once there is room the window's ticks store them,
// in order, once each.
TEST_F(StoredDownload, RowsTheDatabaseHasNoRoomForWaitAndAreStoredInOrder) {
    unit.setStoredTest(kThreeRecords);
    startQuietUnit();
    testing_support::FullDatabase full(conn);
    ASSERT_TRUE(full.full());
    {
        const auto scope = answer(QStringLiteral("Stored run"));
        retrieve();
    }
    ASSERT_TRUE(testNamed(QStringLiteral("Stored run")));
    EXPECT_EQ(dialogs.texts(), QStringList{runloop::RowsWaitingNotice("database or disk is full")});
    EXPECT_TRUE(rowsOf(w->TestId).empty());
    EXPECT_EQ(w->RowsWaiting(), 3);
    EXPECT_EQ(w->RowsWaitingTest(), "Stored run");
    EXPECT_TRUE(w->StepTime->text().contains("3 points waiting to be stored")) << w->StepTime->text().toStdString();
    EXPECT_EQ(UnitWindow::UnitRecordingTest(w->TestId), w->UnitLabel());
    w->Timer1.Tick();
    EXPECT_EQ(w->RowsWaiting(), 3);

    full.MakeRoom();
    w->Timer1.Tick();
    EXPECT_EQ(w->RowsWaiting(), 0);
    expectTheThreeRecordsOnce();
    EXPECT_EQ(dialogs.texts().size(), 1);
    EXPECT_FALSE(w->StepTime->text().contains("waiting"));
    // SQLite undid the refused transaction itself: the connection knows it.
    testing_support::ExpectAWriteRefusedHalfWayLeavesNothing(conn);
}

// After a full disk refused a write and room was made again, a download
// whose third row is refused: its rows are taken back whole and handed on as
// recorded rows are (the first two stored at once, the third waiting), each
// stored once (not the first two twice).
TEST_F(StoredDownload, AfterAFullDiskADownloadRefusedHalfWayStoresEachRowOnce) {
    unit.setStoredTest(kThreeRecords);
    startQuietUnit();
    testing_support::RefuseAWriteOnAFullDisk(conn);
    QSqlQuery q(conn.ADOConnection()->handle());
    ASSERT_TRUE(q.exec("CREATE TEMP TRIGGER refuse_third BEFORE INSERT ON TEST_RESULT WHEN NEW.RESULT_TIME >= 30 "
                       "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END"));
    {
        const auto scope = answer(QStringLiteral("Stored run"));
        retrieve();
    }
    ASSERT_TRUE(testNamed(QStringLiteral("Stored run")));
    EXPECT_EQ(rowsOf(w->TestId).size(), 2u);
    EXPECT_EQ(w->RowsWaiting(), 1);

    ASSERT_TRUE(q.exec("DROP TRIGGER refuse_third"));
    w->Timer1.Tick();
    EXPECT_EQ(w->RowsWaiting(), 0);
    expectTheThreeRecordsOnce();
}

TEST_F(StoredDownload, RefusedWhileATestRuns) {
    unit.setStoredTest({"5,2,99,300,300,5000,1,1,1"});
    unit.start();
    const qint32 running = startTest(QStringLiteral("Running"));
    record({2, 1, 1, 40, 100, 50});
    w->RunState = 1;
    const auto scope = answer(QStringLiteral("Overwrite"));
    w->cmdRetrieve->click();
    EXPECT_EQ(dialogsShown, 0);
    EXPECT_EQ(w->TestId, running);
    EXPECT_EQ(w->CurStep, 2);
    EXPECT_EQ(w->ElapsedSeconds, 40);
    QThread::msleep(50);
    EXPECT_TRUE(unit.commands().empty());
    EXPECT_FALSE(testNamed(QStringLiteral("Overwrite")));
    EXPECT_EQ(rowsOf(running).size(), 1u);
    EXPECT_TRUE(w->Timer1.Running());
}

TEST_F(UnitWindowFixture, DownloadWithoutRecordObjectsIsReported) {
    frmRealTime w;  // InitialInst never ran
    int shown = 0;
    ShowerScope scope([&](QDialog&) { return ++shown, int(QDialog::Rejected); });
    w.cmdRetrieve_Click();
    EXPECT_EQ(shown, 0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].prompt.startsWith("ERROR: ")) << qPrintable(dialogs.messages[0].prompt);
    EXPECT_THROW(w.SaveResultRow(), db::DbError);
}

TEST_F(StoredDownload, AStatusFrameInsideTheTransferStoresNothingAndTheRetryKeepsTheName) {
    const QByteArrayList records{"1,0,12.6,300.5,301,5000,170.2,123.4,0", "1,1,20,301,301,5001,340.4,150,1"};
    unit.setStoredTest(records);
    startQuietUnit();
    for (const int after : {0, 1}) {  // before the first record, and between two
        SCOPED_TRACE(after);
        dialogs.clear();
        unit.setStatusFrameInTransfer(after);
        const auto scope = answer(QStringLiteral("Stored run"));
        retrieve();
        EXPECT_EQ(dialogs.texts(), QStringList{unit::CommunicationErrorMessage()});
        EXPECT_FALSE(testNamed(QStringLiteral("Stored run")));
        db::Command rows(conn.ADOConnection(), QStringLiteral("SELECT COUNT(*) FROM TEST_RESULT"));
        EXPECT_EQ(rows.execute()->columns[0][0].toInt(), 0);
    }

    // The retry of a sound transfer is taken under the same name, dated by
    // its download, with exactly the records sent.
    dialogs.clear();
    unit.setStatusFrameInTransfer(std::nullopt);
    testing_support::ManualClock clock(5000, QDateTime(QDate(2026, 12, 10), QTime(4, 30, 0)));
    const auto scope = answer(QStringLiteral("Stored run"));
    retrieve();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join('\n').toStdString();
    ASSERT_TRUE(testNamed(QStringLiteral("Stored run")));
    EXPECT_EQ(w->mTestInfo->TEST_TIME(), clock.dateTime());
    const std::vector<StoredRow> stored = rowsOf(w->TestId);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].step, 1);
    EXPECT_EQ(stored[0].time, 13);
    EXPECT_EQ(stored[1].ramp, 1);
    EXPECT_DOUBLE_EQ(stored[1].stress, 150);
}

TEST_F(StoredDownload, AStatusFrameOfAnyLeadAndCommaCountStoresNothing) {
    unit.setStoredTest({"1,0,12.6,300.5,301,5000,170.2,123.4,0", "1,1,20,301,301,5001,340.4,150,1"});
    startQuietUnit();
    // A digit or a blank as the lead, 9 commas: its fields read as numbers.
    for (const char lead : {'1', ' ', '#', '0'})
        for (const int commas : {8, 9})
            for (const int after : {0, 1, 2}) {  // before the first record, between, before the end
                SCOPED_TRACE(testing::Message() << "lead '" << lead << "', " << commas << " commas, after " << after);
                dialogs.clear();
                unit.setStatusFrameInTransfer(after, lead, commas);
                const auto scope = answer(QStringLiteral("Stored run"));
                retrieve();
                EXPECT_EQ(dialogs.texts(), QStringList{unit::CommunicationErrorMessage()});
                EXPECT_FALSE(testNamed(QStringLiteral("Stored run")));
                db::Command rows(conn.ADOConnection(), QStringLiteral("SELECT COUNT(*) FROM TEST_RESULT"));
                EXPECT_EQ(rows.execute()->columns[0][0].toInt(), 0);
            }
}

TEST_F(StoredDownload, AUnitWithoutAStoredTestStoresNone) {
    unit.setStoredTest({});  // the end code alone
    startQuietUnit();
    const auto scope = answer(QStringLiteral("Nothing"));
    retrieve();
    EXPECT_EQ(dialogs.texts(), QStringList{unit::NoStoredTestMessage()});
    EXPECT_EQ(unit::NoStoredTestMessage(), "The Z3080 holds no stored test: nothing has been stored.");
    EXPECT_FALSE(testNamed(QStringLiteral("Nothing")));
    db::Command tests(conn.ADOConnection(), QStringLiteral("SELECT COUNT(*) FROM TEST_INFO"));
    EXPECT_EQ(tests.execute()->columns[0][0].toInt(), 0);
    EXPECT_TRUE(w->Timer1.Running());
}

TEST_F(StoredDownload, RetrieveDuringARunSaysWhyItDoesNothing) {
    startTest(QStringLiteral("Running"));
    w->RunButtons(true);
    w->RunState = 1;
    EXPECT_FALSE(w->cmdRetrieve->isEnabled());
    const auto scope = answer(QStringLiteral("Overwrite"));
    w->cmdRetrieve_Click();  // the handler itself, as a shortcut would reach it
    EXPECT_EQ(dialogsShown, 0);
    EXPECT_EQ(dialogs.texts(), QStringList{runloop::RetrieveLockedMessage()});
    w->RunState = 0;
    w->RunButtons(false);
    EXPECT_TRUE(w->cmdRetrieve->isEnabled());
}

TEST_F(StoredDownload, AClosedPortIsReportedBeforeAnythingIsAskedOrStored) {
    w->MSComm1.PortOpen(false);
    const auto scope = answer(QStringLiteral("Never"));
    w->cmdRetrieve_Click();
    EXPECT_EQ(dialogsShown, 0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    const QString text = dialogs.messages[0].prompt;
    EXPECT_TRUE(text.startsWith(unit::NoResponseMessage() + "\rNo download: the unit's port 7 (" + unit.slavePath() +
                                ") is not open."))
        << text.toStdString();
    EXPECT_EQ(dialogs.messages[0].title, "Communication Error");
    EXPECT_FALSE(testNamed(QStringLiteral("Never")));
    EXPECT_EQ(w->TestId, 0);
}

// While the transfer comes in the click has returned: the window says that a
// download is under way (its caption, the characters received) and refuses
// what would disturb it, each saying why, with nothing sent to the unit and
// no dialog shown; the download then stores its test once.
TEST_F(StoredDownload, WhileADownloadIsUnderWayTheWindowShowsItAndRefusesStartRetrieveAndZero) {
    unit.setStoredTest({"1,0,12.6,300.5,301,5000,170.2,123.4,0", "1,1,20,301,301,5001,340.4,150,1"});
    startQuietUnit();
    const QString caption = w->lblActiveFlag->text();
    const auto scope = answer(QStringLiteral("Stored run"));
    w->cmdRetrieve->click();

    ASSERT_TRUE(w->DownloadUnderWay());
    EXPECT_EQ(dialogsShown, 1);
    EXPECT_EQ(w->lblActiveFlag->text(), "Downloading");
    EXPECT_EQ(w->StepTime->text(), unit::DownloadProgressText(0));
    EXPECT_FALSE(w->cmdStart_Stop->isEnabled());
    EXPECT_FALSE(w->cmdRetrieve->isEnabled());
    EXPECT_FALSE(w->cmdZero->isEnabled());
    EXPECT_TRUE(w->cmdStop->isEnabled());
    EXPECT_TRUE(w->cmdExit->isEnabled());
    EXPECT_FALSE(w->Timer1.Running());
    ASSERT_TRUE(unit.waitForCommands(1));

    // The handlers themselves, as a shortcut would reach them.
    const struct {
        const char* name;
        std::function<void()> click;
        QString refused;
    } clicks[] = {
        {"Start", [&] { w->cmdStart_Stop_Click(); }, "The test cannot be started"},
        {"Retrieve", [&] { w->cmdRetrieve_Click(); }, "No download"},
        {"Zero", [&] { w->cmdZero_Click(); }, "The unit cannot be zeroed"},
    };
    for (const auto& c : clicks) {
        SCOPED_TRACE(c.name);
        dialogs.clear();
        c.click();
        EXPECT_EQ(dialogs.texts(), QStringList{unit::DownloadUnderWayMessage(c.refused)});
        EXPECT_EQ(dialogsShown, 1);
        EXPECT_TRUE(w->DownloadUnderWay());
    }
    dialogs.clear();

    // The first read shows what came.
    testing_support::ManualTickSource& reads = testing_support::TransferSource(*w->mDownload);
    QThread::msleep(200);
    ASSERT_TRUE(reads.fire());
    EXPECT_GT(w->mDownload->Text().size(), 0);
    EXPECT_EQ(w->StepTime->text(), unit::DownloadProgressText(int(w->mDownload->Text().size())));

    ASSERT_TRUE(finishDownload());
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join('\n').toStdString();
    EXPECT_EQ(rowsOf(w->TestId).size(), 2u);
    db::Command tests(conn.ADOConnection(), QStringLiteral("SELECT COUNT(*) FROM TEST_INFO"));
    EXPECT_EQ(tests.execute()->columns[0][0].toInt(), 1);
    QThread::msleep(50);
    EXPECT_EQ(unit.commands().size(), 1u);  // the request alone: no zero frame, no second request
    // As before the download.
    EXPECT_EQ(w->lblActiveFlag->text(), caption);
    EXPECT_TRUE(w->StepTime->text().isEmpty());
    EXPECT_TRUE(w->cmdStart_Stop->isEnabled());
    EXPECT_TRUE(w->cmdRetrieve->isEnabled());
    EXPECT_TRUE(w->cmdZero->isEnabled());
    EXPECT_TRUE(w->Timer1.Running());
}

// Closing the window or Stop while the transfer comes in ends the download
// where it is: nothing of it is stored or said, no read follows; Stop sends
// its stop frame as always and the window reads its unit again.
TEST_F(StoredDownload, ClosingTheWindowOrStopEndsADownloadUnderWayStoringNothing) {
    unit.setStoredTest({"1,0,12.6,300.5,301,5000,170.2,123.4,0", "1,1,20,301,301,5001,340.4,150,1"},
                       true, 8, 100);
    startQuietUnit();
    for (const bool close : {false, true}) {
        SCOPED_TRACE(close ? "close" : "Stop");
        unit.clearCommands();
        const auto scope = answer(QStringLiteral("Stored run"));
        w->cmdRetrieve_Click();
        ASSERT_TRUE(w->DownloadUnderWay());
        testing_support::ManualTickSource& reads = testing_support::TransferSource(*w->mDownload);
        QThread::msleep(200);
        ASSERT_TRUE(reads.fire());  // the first read
        if (close) {
            EXPECT_TRUE(w->close());
            EXPECT_FALSE(w->MSComm1.PortOpen());  // the port let go
        } else {
            w->cmdStop->click();
            ASSERT_TRUE(unit.waitForCommands(2));
            EXPECT_EQ(unit.commands()[1].bytes, QByteArray("\x04\r"));
            EXPECT_TRUE(w->Timer1.Running());
            EXPECT_TRUE(w->cmdRetrieve->isEnabled());
        }
        EXPECT_FALSE(w->DownloadUnderWay());
        EXPECT_EQ(w->mDownload->state(), unit::StoredTransferRead::State::Abandoned);
        EXPECT_FALSE(reads.running);
        EXPECT_FALSE(reads.fire());
        EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join('\n').toStdString();
        EXPECT_FALSE(testNamed(QStringLiteral("Stored run")));
        db::Command rows(conn.ADOConnection(), QStringLiteral("SELECT COUNT(*) FROM TEST_RESULT"));
        EXPECT_EQ(rows.execute()->columns[0][0].toInt(), 0);
        // Let the unit end its transfer before the next case.
        QThread::msleep(1000);
        if (w->MSComm1.PortOpen()) w->MSComm1.Input();
    }
    w.reset();  // the window goes with its download ended
}
