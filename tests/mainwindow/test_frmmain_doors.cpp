// What the main window and the open-test dialog may not do to a test a unit
// is running: the main window's Exit and close are refused while a unit
// window runs a test, naming its unit, and nothing stops; with recorded points
// waiting for the database they ask about them, naming each test; Delete
// refuses the test a unit is recording. A rheology window runs a real test
// over the database the main window opens.

#include "rheology/RunWindowFixture.h"

#include "mainwindow/frmMain.h"
#include "mainwindow/frmOpenTest.h"
#include "support/DatabaseFaults.h"
#include "unitrun/RowSpool.h"
#include "data/Globals.h"
#include "unitrun/RunStates.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace unit_tests;

namespace {

class RunningUnitDoors : public RunWindowFixture {
protected:
    void SetUp() override {
        RunWindowFixture::SetUp();
        w->lblInstName->setText("Unit 2");
        w->SendHook = [this](const QString& frame) { frames << frame; };
        SeqStep s;
        s.minutes = 10;
        s.temp = 75;
        s.tolerance = 5;
        s.interval = 5;  // a row every 5 s
        StoreSequence(conn, "Seq", {s});
        pick("Seq");
        w->mReply.readings.mSampleTemp = 75;
    }

    // Starts the test `name` and runs it until it has stored rows.
    qint32 startRecording(const QString& name) {
        TestEntry entry;
        entry.name = name;
        start(entry);
        EXPECT_EQ(w->RunState, runloop::kStepRunning);
        tickWhile([&] { return rows(w->TestId) < 2; }, 100);
        EXPECT_GE(rows(w->TestId), 2);
        return w->TestId;
    }

    int rows(qint32 testId) {
        return sql(QStringLiteral("SELECT COUNT(*) FROM TEST_RESULT WHERE TEST_ID = %1").arg(testId))
            ->columns[0][0]
            .toInt();
    }
    int infos(qint32 testId) {
        return sql(QStringLiteral("SELECT COUNT(*) FROM TEST_INFO WHERE TEST_ID = %1").arg(testId))
            ->columns[0][0]
            .toInt();
    }

    std::unique_ptr<frmMain> openMain() {
        auto m = std::make_unique<frmMain>();
        m->EndProcess = [this] { ++ended; };
        m->Form_Load();
        m->show();
        return m;
    }

    // Delete in the open-test dialog, the test named in its box.
    void deleteTest(const QString& name) {
        frmOpenTest d(&conn);
        d.Form_Load();
        d.txtSeqName->setText(name);
        d.cmdDelete_Click();
    }

    QStringList frames;
    int ended = 0;
};

}  // namespace

TEST_F(RunningUnitDoors, ExitIsRefusedWhileAUnitRunsATestAndNothingStops) {
    const qint32 id = startRecording("Run A");
    auto m = openMain();
    dialogs.clear();
    frames.clear();
    const int before = rows(id);

    const QString refusal = "Cannot exit while test is running.\nTest running on: Unit 2";
    m->cmdExit_Click();
    m->MenuFileExit_Click();
    EXPECT_FALSE(m->close());  // the frame's close
    // Refused each time with the units named, without the exit question.
    EXPECT_EQ(dialogs.texts(), QStringList({refusal, refusal, refusal}));
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(m->isVisible());
    // Nothing stopped: no frame went to the unit, the run goes on recording.
    EXPECT_TRUE(frames.isEmpty()) << frames.join(" | ").toStdString();
    EXPECT_EQ(w->RunState, runloop::kStepRunning);
    tickWhile([&] { return rows(id) == before; }, 20);
    EXPECT_GT(rows(id), before);

    // Once the test is stopped, Exit asks and Yes ends the process.
    w->cmdStop->click();
    ASSERT_EQ(w->RunState, runloop::kIdle);
    dialogs.clear();
    dialogs.answers = {ui::vbYes};
    m->cmdExit_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{"Are you sure you want to exit?"});
    EXPECT_EQ(ended, 1);
}

TEST_F(RunningUnitDoors, DeleteRefusesTheTestAUnitRecordsAndTakesAnother) {
    const qint32 done = startRecording("Run A");
    w->cmdStop->click();
    const qint32 running = startRecording("Run B");
    ASSERT_NE(done, running);

    dialogs.clear();
    deleteTest("Run B");
    // Refused before anything is asked, naming the unit; nothing deleted.
    EXPECT_EQ(dialogs.texts(), QStringList{"This test cannot be deleted while it is running: Unit 2 is recording it."});
    EXPECT_EQ(infos(running), 1);
    const int before = rows(running);
    EXPECT_GT(before, 0);
    // The run's next rows still belong to a stored test.
    tickWhile([&] { return rows(running) == before; }, 20);
    EXPECT_GT(rows(running), before);
    EXPECT_EQ(infos(running), 1);

    // Another test is deleted as before.
    dialogs.clear();
    dialogs.answers = {ui::vbOK};
    deleteTest("Run A");
    ASSERT_EQ(dialogs.texts().size(), 1);
    EXPECT_TRUE(dialogs.texts()[0].startsWith("Are you sure you want to delete this test?\r\rRun A ("))
        << dialogs.texts()[0].toStdString();
    EXPECT_EQ(infos(done), 0);
    EXPECT_EQ(rows(done), 0);

    // Stopped, the test can be deleted.
    w->cmdStop->click();
    dialogs.clear();
    dialogs.answers = {ui::vbOK};
    deleteTest("Run B");
    EXPECT_EQ(infos(running), 0);
    EXPECT_EQ(rows(running), 0);
}

// A test whose points the spool's file holds is not deleted: the next start
// would store them after it, as rows of no test. They are there while they
// wait for the next start (their window closed while the database refused
// them), and after they were stored or dropped while a rewrite of the file
// fails (Delete looks at the file, not at memory) until one succeeds.
TEST_F(RunningUnitDoors, DeleteRefusesATestWhosePointsTheSpoolHolds) {
    for (const bool rewriteFails : {false, true}) {
        SCOPED_TRACE(rewriteFails ? "a rewrite fails" : "they wait");
        const qint32 id = startRecording("Run A");
        w->cmdStop->click();
        ResultPoint p;
        p[resultcol::TestId] = id;
        p[resultcol::ResultTime] = 99999;
        ResultPoint closed = p;
        closed[resultcol::TestId] = id + 1000;  // a closed window's row: it stays, so the spool is written anew
        runloop::RowSpool& spool = runloop::RowSpool::Program();
        ASSERT_NE(spool.Keep(closed, "Closed"), 0);
        const std::vector<qint64> kept = {spool.Keep(p, "Run A"), spool.Keep(p, "Run A")};
        ASSERT_NE(kept[1], 0);
        const QString temporary = dataFile(runloop::kSpoolFileName) + ".new";
        if (rewriteFails) {
            ASSERT_TRUE(QDir().mkdir(temporary));  // the rewrite's temporary file cannot be made
            spool.Release(kept);
        }

        dialogs.clear();
        deleteTest("Run A");
        EXPECT_EQ(dialogs.texts(), QStringList{"This test cannot be deleted while 2 points of it wait to be stored: "
                                               "they are kept for the next start."});
        EXPECT_EQ(infos(id), 1);

        if (rewriteFails)
            ASSERT_TRUE(QDir().rmdir(temporary));
        else
            spool.Release(kept);
        dialogs.clear();
        dialogs.answers = {ui::vbOK};
        deleteTest("Run A");
        EXPECT_EQ(infos(id), 0);
        EXPECT_EQ(spool.CountOf(id), 0);
    }
}

namespace {

// The main window's ways out with points waiting for the database and no
// test running: which way, the answers to its questions in turn, the
// database free again before it is asked, and what follows.
enum class Door { Exit, FileExit, CloseBox };
struct ExitCase {
    const char* name;
    Door door;
    std::vector<int> answers;
    bool releasedFirst;  // the other program has let the database go before Exit
    bool exits;
    bool stored;         // every point waiting stored
};

const ExitCase kExitCases[] = {
    {"CancelKeepsTheProgram", Door::CloseBox, {ui::vbCancel}, true, false, false},
    {"NoExitsAndLeavesThemKept", Door::FileExit, {ui::vbNo}, false, true, false},
    {"YesStoresThemAndExits", Door::Exit, {ui::vbYes}, true, true, true},
    {"YesWhileRefusedAsksAgainAndCancelKeepsTheProgram", Door::Exit, {ui::vbYes, ui::vbCancel}, false, false, false},
    {"YesWhileRefusedAsksAgainAndNoExits", Door::CloseBox, {ui::vbYes, ui::vbNo}, false, true, false},
};

class ExitWithPointsWaiting : public RunningUnitDoors, public ::testing::WithParamInterface<ExitCase> {};

INSTANTIATE_TEST_SUITE_P(Answers, ExitWithPointsWaiting, ::testing::ValuesIn(kExitCases),
                         [](const ::testing::TestParamInfo<ExitCase>& info) { return std::string(info.param.name); });

}  // namespace

// Two units' tests stopped with points the database refused (another
// program holds it locked): every way out of the main window asks about
// them, naming each test and how many, instead of the exit question. Yes
// stores them and exits, or says how many still wait and asks again; No
// exits leaving them kept (never dropped); Cancel, the default, keeps the
// program.
TEST_P(ExitWithPointsWaiting, EveryWayOutAsksNamingEachTest) {
    const ExitCase& c = GetParam();
    const qint32 a = startRecording("Run A");
    // A second unit's window records "Run B".
    frmRealTime w5;
    w5.InitialInst(&conn);
    w5.PortOpenHook = [] { return true; };
    w5.SendHook = [](const QString&) {};
    w5.lblInstName->setText("Unit 5");
    testing_support::PickSequence(w5, "Seq");
    w5.mReply.readings.mSampleTemp = 75;
    {
        TestEntry entry;
        entry.name = "Run B";
        AnswerTestInfo answer(entry);
        w5.cmdStart_Stop->click();
    }
    ASSERT_EQ(w5.RunState, runloop::kStepRunning);
    const qint32 b = w5.TestId;
    auto m = openMain();

    const int storedA = rows(a), storedB = rows(b);
    auto lock = std::make_unique<testing_support::LockedDatabase>(db.path());
    auto tickBoth = [&] {
        tick();
        w5.FramesParsed(1);
        w5.Timer1.Tick();
    };
    for (int i = 0; i < 100 && (w->RowsWaiting() < 2 || w5.RowsWaiting() < 1); ++i) tickBoth();
    const int waitingA = w->RowsWaiting(), waitingB = w5.RowsWaiting();
    ASSERT_GE(waitingA, 2);
    ASSERT_GE(waitingB, 1);
    // Both stopped, the points kept waiting (Stop's own question: Cancel).
    dialogs.answers = {ui::vbCancel, ui::vbCancel};
    w->cmdStop->click();
    w5.cmdStop->click();
    ASSERT_EQ(w->RunState, runloop::kIdle);
    ASSERT_EQ(w5.RunState, runloop::kIdle);
    ASSERT_TRUE(UnitWindow::UnitsRunningTests().isEmpty());

    if (c.releasedFirst) lock->Release();
    dialogs.clear();
    dialogs.answers.assign(c.answers.begin(), c.answers.end());
    switch (c.door) {
    case Door::Exit: m->cmdExit->click(); break;
    case Door::FileExit: m->MenuFileExit->trigger(); break;
    case Door::CloseBox: m->close(); break;
    }

    const QString points = QStringLiteral("%1 point%2").arg(waitingB).arg(waitingB == 1 ? "" : "s");
    const QString question = QStringLiteral(
                                 "Recorded points not yet stored; the database refuses them:\r"
                                 "Unit 2, test \"Run A\": %1 points waiting to be stored (database is locked)\r"
                                 "Unit 5, test \"Run B\": %2 waiting to be stored (database is locked)\r\r"
                                 "Yes: try to store them now; Z3080DAQ exits once they are stored.\r"
                                 "No: exit; the points are kept and stored at the next start.\r"
                                 "Cancel: do not exit; the windows keep trying to store them.")
                                 .arg(waitingA)
                                 .arg(points);
    QStringList asked{question};
    if (c.answers.size() > 1)
        asked << QStringLiteral("Not all could be stored: %1 points still waiting.\r\r").arg(waitingA + waitingB) +
                     question;
    EXPECT_EQ(dialogs.texts(), asked);  // never "Are you sure you want to exit?" as well
    for (const ui::MessageRequest& box : dialogs.messages) {
        EXPECT_EQ(box.title, "Exit Check");
        EXPECT_EQ(box.style, ui::vbYesNoCancel + ui::vbExclamation + ui::vbDefaultButton3);
    }
    EXPECT_EQ(ended, c.exits ? 1 : 0);
    EXPECT_EQ(m->isVisible(), !c.exits);
    if (c.stored) {
        EXPECT_EQ(w->RowsWaiting() + w5.RowsWaiting(), 0);
        EXPECT_EQ(rows(a), storedA + waitingA);
        EXPECT_EQ(rows(b), storedB + waitingB);
    } else {
        // Nothing dropped: the points still wait, kept for the next start.
        EXPECT_EQ(w->RowsWaiting(), waitingA);
        EXPECT_EQ(w5.RowsWaiting(), waitingB);
        EXPECT_EQ(rows(a), storedA);
        EXPECT_EQ(rows(b), storedB);
    }
}
