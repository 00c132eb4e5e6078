// What the main window and the open-test dialog may not do to a test a unit
// is running: the main window's Exit and close are refused while a unit
// window runs a test, naming its unit, and nothing stops; Delete refuses the
// test a unit is recording. A rheology window runs a real test over the
// database the main window opens.

#include "rheology/RunWindowFixture.h"

#include "mainwindow/frmMain.h"
#include "mainwindow/frmOpenTest.h"
#include "unitrun/RunStates.h"

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
    EXPECT_EQ(dialogs.texts(), QStringList{"Are you sure you want to delete this test?"});
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
