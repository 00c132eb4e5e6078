// The rheology window's side of a run: the sequence picker and the run tables,
// Start with the test information dialog and the test's records, Stop,
// Refresh, closing while a test runs, and a recorded point that the database
// refuses.

#include "support/StoredRows.h"
#include "RunWindowFixture.h"

#include "data/CalibrationFiles.h"
#include "data/clsTEST_ADDITIVE.h"
#include "multiunit/frmMDIRealTime.h"
#include "platform/StatusBarPanel.h"
#include "platform/PeChart.h"
#include "support/DatabaseFaults.h"
#include "data/BobGeometry.h"
#include "unitrun/RowSpool.h"
#include "unitrun/RunMessages.h"
#include "unitrun/RunStates.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <limits>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QStatusBar>

using namespace unit_tests;
using namespace runloop;

namespace {

// One step at 75 °F (tolerance 5) of that many minutes, recording every 5 s.
SeqStep recordingStep(double minutes) {
    SeqStep s;
    s.minutes = minutes;
    s.temp = 75;
    s.tolerance = 5;
    s.interval = 5;
    return s;
}

class RunWindow : public RunWindowFixture {
protected:
    // Unit 2 records test "Run A" every 5 s; the database takes 5 and 10,
    // then refuses every row ("no room"): 15, 20 and 25 wait.
    void recordThreeRefused() {
        StoreSequence(conn, "Seq", {recordingStep(1)});
        pick("Seq");
        w->lblInstName->setText("Unit 2");
        w->mReply.readings.mSampleTemp = 75;
        start();
        tickWhile([&] { return w->StepSeconds < 12; });
        sql("CREATE TRIGGER refuse BEFORE INSERT ON TEST_RESULT BEGIN SELECT RAISE(ABORT, 'no room'); END");
        tickWhile([&] { return w->StepSeconds < 27; });
    }
    SeqStep step(double minutes, double temp, double press = 0, double cycles = 1, double runRamp = 0) {
        SeqStep s;
        s.minutes = minutes;
        s.temp = temp;
        s.tolerance = 500;
        s.press = press;
        s.cycles = cycles;
        s.runRamp = runRamp;
        return s;
    }
    // Start refused with that one message, before anything is asked or stored.
    void expectStartRefused(const QString& message) {
        dialogs.clear();
        AnswerTestInfo answer({});
        w->cmdStart_Stop->click();
        EXPECT_EQ(answer.shown, 0);
        EXPECT_EQ(dialogs.texts(), QStringList{message});
        EXPECT_EQ(count("TEST_INFO"), 0);
        EXPECT_EQ(w->RunState, kIdle);
    }
    // The picked sequence started at 75 °F, its first step running.
    void startRunning() {
        dialogs.clear();
        w->mReply.readings.mSampleTemp = 75;
        start();
        ASSERT_EQ(w->RunState, kStepRunning);
    }
    // Refresh of the running test after another program set `assignment`
    // in the steps of sequence `name`: refused with that one message, the
    // test still running.
    void expectRefreshRefused(const QString& name, const QString& assignment, const QString& message) {
        sql(QStringLiteral("UPDATE SEQUENCE_RAMP SET %1 WHERE SEQUENCE_ID = (SELECT SEQUENCE_ID FROM SEQUENCE_INFO "
                           "WHERE SEQUENCE_NAME = '%2')")
                .arg(assignment, name));
        w->cmdRefresh->click();
        EXPECT_EQ(dialogs.texts(), QStringList{message});
        EXPECT_EQ(w->RunState, kStepRunning);
    }
};

}  // namespace


TEST_F(RunWindow, ThePickerListsTheStoredSequencesAndLoadsTheChosenOne) {
    // No sequence stored: an empty list.
    w->cmdSelect->click();
    ASSERT_TRUE(w->cfNameSeq);
    EXPECT_EQ(w->cfNameSeq->lstSeqName->count(), 0);
    EXPECT_EQ(w->cfNameSeq->windowTitle(), "Select Sequence");
    EXPECT_FALSE(w->cfNameSeq->isModal());
    w->cfNameSeq->cmdCancel->click();
    EXPECT_FALSE(w->cfNameSeq->isVisible());  // hidden, still the window's picker
    EXPECT_TRUE(w->cfNameSeq);

    // Stored since: listed by name, the first selected.
    const qint32 beta = StoreSequence(conn, "Beta", {step(10, 200), step(20, 300), step(5, 250)});
    StoreSequence(conn, "Alpha", {step(1, 100)});
    w->MSFlexGrid1->Rows(5);
    w->cmdSelect->click();
    QListWidget* list = w->cfNameSeq->lstSeqName;
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "Alpha");
    EXPECT_EQ(list->item(1)->text(), "Beta");
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_TRUE(w->cfNameSeq->isVisible());

    QPointer<frmNameSeq> picker = w->cfNameSeq.data();
    list->setCurrentRow(1);
    picker->cmdOk->click();
    EXPECT_TRUE(!picker || !picker->isVisible());  // the load closes the picker
    EXPECT_FALSE(w->cfNameSeq);
    EXPECT_EQ(w->mSequenceName, "Beta");
    EXPECT_EQ(w->lblSelectSeq->text(), "Beta");
    EXPECT_EQ(w->mCurSeqId, beta);
    EXPECT_EQ(w->mSeqInfoRow.value(1).toString(), "Beta");
    EXPECT_EQ(w->mStepCount, 3);
    EXPECT_EQ(w->mStepTemp, (QVector<double>{0, 200, 300, 250}));
    EXPECT_EQ(w->mStepTempRate.size(), 4);
    EXPECT_EQ(w->MSFlexGrid1->Rows(), 1);  // the live grid back to its header

    // A shorter sequence replaces the tables.
    pick("Alpha");
    EXPECT_EQ(w->mStepCount, 1);
    EXPECT_EQ(w->mStepTemp.size(), 2);
}

TEST_F(RunWindow, AWindowWithoutRecordsSaysSoInsteadOfFailing) {
    frmRealTime bare;  // its unit was added while the database could not be opened
    bare.cmdSelect->click();
    EXPECT_EQ(dialogs.texts(), QStringList{"ERROR: 3704, The window has no database connection."});
    EXPECT_FALSE(bare.cfNameSeq);
}

TEST_F(RunWindow, OnlyTheNewestPickerLoads) {
    StoreSequence(conn, "Alpha", {step(1, 100)});
    w->cmdSelect->click();
    QPointer<frmNameSeq> older = w->cfNameSeq.data();
    w->cmdSelect->click();
    ASSERT_NE(older.data(), w->cfNameSeq.data());
    older->cmdOk->click();
    EXPECT_TRUE(w->mSequenceName.isEmpty());
    EXPECT_TRUE(older);  // nothing closed it
    w->cfNameSeq->cmdOk->click();
    EXPECT_EQ(w->mSequenceName, "Alpha");
}

TEST_F(RunWindow, SequencesThatCannotRunAreRefused) {
    StoreSequence(conn, "Good", {step(1, 100, 1000), step(1, 200, 2000)});
    StoreSequence(conn, "Empty", {});
    StoreSequence(conn, "High", {step(1, 100, 1000), step(1, 100, 20001)});
    StoreSequence(conn, "AtLimit", {step(1, 100, 20000)});
    pick("Good");

    pick("Empty");
    EXPECT_EQ(dialogs.texts(), QStringList{"This sequence has no data, test cannot be run."});
    EXPECT_TRUE(w->mSequenceName.isEmpty());
    EXPECT_EQ(w->lblSelectSeq->text(), "Good");  // the tables stay as they were
    EXPECT_EQ(w->mStepCount, 2);

    dialogs.clear();
    w->Option1->click();  // 20000 psi
    pick("High");
    EXPECT_EQ(dialogs.texts(),
              QStringList{"Sequence pressure setting too high. 20000(psi),\rPlease choose another sequence."});
    EXPECT_TRUE(w->mSequenceName.isEmpty());
    ASSERT_TRUE(w->cfNameSeq);  // the picker again, for another choice
    EXPECT_TRUE(w->cfNameSeq->isVisible());
    EXPECT_EQ(w->mStepCount, 2);
    EXPECT_EQ(w->mStepPress, (QVector<double>{0, 1000, 2000}));  // the earlier tables whole

    dialogs.clear();
    pick("AtLimit");
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(w->mSequenceName, "AtLimit");
}

TEST_F(RunWindow, StartWritesTheTestAndItsAdditivesAndStartsTheRun) {
    // Without a sequence: the grid is emptied and nothing else happens.
    w->MSFlexGrid1->Rows(4);
    {
        AnswerTestInfo answer({});
        w->cmdStart_Stop->click();
        EXPECT_EQ(answer.shown, 0);
    }
    EXPECT_EQ(w->MSFlexGrid1->Rows(), 1);
    EXPECT_EQ(dialogs.texts(), QStringList{"Select sequence first"});  // no sequence yet
    dialogs.clear();

    StoreSequence(conn, "Seq", {step(10, 300)});
    pick("Seq");

    // Cancelled: nothing written, no run.
    {
        TestEntry cancel;
        cancel.cancel = true;
        AnswerTestInfo answer(cancel);
        w->cmdStart_Stop->click();
        EXPECT_EQ(answer.shown, 1);
        EXPECT_EQ(answer.title, "Input Test Information");
    }
    EXPECT_EQ(count("TEST_INFO"), 0);
    EXPECT_EQ(w->RunState, kIdle);

    TestEntry entry;
    entry.bob = "b2";  // looked up in upper case: radius 1.2276
    entry.additives = {"Salt", "Gel", "Clay"};
    start(entry);
    ASSERT_EQ(w->RunState, kStepRunning) << dialogs.texts().join(";").toStdString();
    EXPECT_TRUE(dialogs.messages.empty());

    clsTEST_INFO info;
    info.ConnectX(&conn);
    info.TEST_NAME("Run A");
    info.GetTestDetail();
    const RowArray row = info.All();
    EXPECT_EQ(w->TestId, qint32(info.Test_Id()));
    EXPECT_GT(w->TestId, 0);
    EXPECT_EQ(row[clsTEST_INFO::colFLUID_ID].toString(), "Fluid 7");
    EXPECT_EQ(row[clsTEST_INFO::colRESEARCHER_NAME].toString(), "Ann");
    EXPECT_EQ(row[clsTEST_INFO::colROTOR_NO].toString(), "R1");
    EXPECT_EQ(row[clsTEST_INFO::colBOB_NO].toString(), "b2");
    EXPECT_DOUBLE_EQ(row[clsTEST_INFO::colBOB_RADIUS].toDouble(), 1.2276);
    EXPECT_DOUBLE_EQ(row[clsTEST_INFO::colBOB_EFF_LENGTH].toDouble(), 3.8);
    EXPECT_DOUBLE_EQ(row[clsTEST_INFO::colPRETEST_PH].toDouble(), 7.0);
    EXPECT_DOUBLE_EQ(row[clsTEST_INFO::colPOSTTEST_PH].toDouble(), 7.0);
    EXPECT_EQ(row[clsTEST_INFO::colSAFETY].toString(), "notes");
    EXPECT_EQ(info.TEST_TIME(), clock.dateTime());

    clsTEST_ADDITIVE additives;
    additives.TESTId(w->TestId);
    additives.ConnectX(&conn);
    EXPECT_EQ(additives.RowCount(), 3);
    EXPECT_EQ(w->lblTestname->text(), "Run A");
    EXPECT_EQ(w->mBobNumber, 2);
    EXPECT_DOUBLE_EQ(w->mBobRadius, 1.2276);
    EXPECT_DOUBLE_EQ(w->mReply.mShearRateFactor, bob::ShearRatePerRpm(1.2276));
    EXPECT_DOUBLE_EQ(w->mRadiusRatio, 1.8415 / 1.2276);
    EXPECT_FALSE(w->cmdStart_Stop->isEnabled());
    EXPECT_FALSE(w->cmdExit->isEnabled());
    EXPECT_FALSE(w->cmdZero->isEnabled());
    EXPECT_TRUE(w->Timer1.Running());
    EXPECT_EQ(w->StartTime->text(), "Start Time: " + GeneralDate(clock.dateTime()));
    EXPECT_EQ(w->EndTime->text(), "End Time: " + GeneralDate(clock.dateTime().addSecs(600)));

    // Start while running: ignored.
    {
        AnswerTestInfo answer({});
        w->cmdStart_Stop->click();
        EXPECT_EQ(answer.shown, 0);
    }

    // Stop, then a bob name without a number keeps the last one; at most 20 additives.
    w->cmdStop->click();
    EXPECT_EQ(w->RunState, kIdle);
    EXPECT_TRUE(w->cmdStart_Stop->isEnabled());
    EXPECT_TRUE(w->cmdExit->isEnabled());
    EXPECT_TRUE(w->cmdZero->isEnabled());
    TestEntry second;
    second.name = "Run B";
    second.bob = "B3";
    for (int i = 0; i < 25; ++i) second.additives << QStringLiteral("A%1").arg(i);
    start(second);
    EXPECT_EQ(w->mBobNumber, 2);
    additives.TESTId(w->TestId);
    additives.ConnectX(&conn);
    EXPECT_EQ(additives.RowCount(), 20);
}

TEST_F(RunWindow, StartShowsTheNewTestOnTheChart) {
    StoreSequence(conn, "Seq", {recordingStep(10)});
    pick("Seq");
    w->mReply.readings.mSampleTemp = 75;
    w->mReply.readings.mShearRate = 100;
    w->mReply.readings.mShearStress = 50;
    start();
    tickWhile([&] { return w->StepSeconds < 16; });
    PeChart& chart = *w->Pesgo1;
    ASSERT_EQ(chart.points(), 3);  // 5, 10, 15 s of "Run A"
    w->cmdStop->click();

    TestEntry second;
    second.name = "Run B";
    start(second);
    ASSERT_EQ(w->RunState, kStepRunning);
    // The chart is the new test's, named after it, with none of the points of the one before.
    EXPECT_EQ(chart.subTitle(), "Run B");
    for (int s = 0; s < chart.subsets(); ++s)
        for (int p = 1; p < 3; ++p) EXPECT_FALSE(chart.hasXData(s, p)) << s << "," << p;

    tickWhile([&] { return w->StepSeconds < 6; });
    EXPECT_EQ(chart.points(), 1);
    EXPECT_EQ(chart.subTitle(), "Run B");
}

TEST_F(RunWindow, ABobThatDoesNotFitTheCupIsRefusedAtStart) {
    StoreSequence(conn, "Seq", {step(10, 300)});
    pick("Seq");
    for (const char* radius : {"0", "1.8415", "2.1", "abc"}) {
        dialogs.clear();
        TestEntry entry;
        entry.bob = "X";
        entry.radius = QString::fromLatin1(radius);
        start(entry);
        EXPECT_EQ(dialogs.texts(), QStringList{BobRadiusMessage(bob::BobNames())}) << radius;
        EXPECT_EQ(w->RunState, kIdle);
        EXPECT_EQ(count("TEST_INFO"), 0);
        EXPECT_TRUE(w->cmdStart_Stop->isEnabled());
    }
}

// The bob file fills in Bob Number and its radius; typed over into a name
// the program does not know, Start is refused, whatever the radius box
// still holds, and nothing is stored. A known bob is stored with its own
// radius and length, not with what the boxes beside it were typed over to.
TEST_F(RunWindow, APrefilledBobTypedOverIsRefusedAtStart) {
    ASSERT_TRUE(calibration::WriteBobInfo("B1").ok);
    StoreSequence(conn, "Seq", {step(10, 300)});
    pick("Seq");
    for (const char* typed : {"Z", "B1"}) {
        dialogs.clear();
        QString prefilled, radius;
        const ui::ModalShower previous = ui::setModalShower([&](QDialog& dialog) {
            auto& d = dynamic_cast<frmTestRelatedInfo&>(dialog);
            prefilled = d.txtBobNo->text();
            d.txtTestName->setText("Typed over");
            d.txtBobNo->end(false);
            d.txtBobNo->insert(QString::fromLatin1(typed));  // "B1Z", "B1B1"
            radius = d.txtBobRadius->text();
            d.cmdOk->click();
            EXPECT_TRUE(d.Cancelled);
            return int(QDialog::Rejected);
        });
        w->cmdStart_Stop->click();
        ui::setModalShower(previous);
        EXPECT_EQ(prefilled, "B1");
        EXPECT_EQ(radius, "1.7245") << "the radius box still holds B1's";
        EXPECT_EQ(dialogs.texts().value(0), BobRadiusMessage(bob::BobNames())) << typed;
        EXPECT_EQ(w->RunState, kIdle);
        EXPECT_EQ(count("TEST_INFO"), 0);
    }

    TestEntry entry;
    entry.bob = "B2";
    entry.radius = "1.5";  // typed over B2's radius
    start(entry);
    ASSERT_EQ(w->RunState, kStepRunning) << dialogs.texts().join(";").toStdString();
    const auto stored = sql("SELECT BOB_NO, BOB_RADIUS, BOB_EFF_LENGTH FROM TEST_INFO");
    EXPECT_EQ(stored->columns[0][0].toString(), "B2");
    EXPECT_DOUBLE_EQ(stored->columns[1][0].toDouble(), bob::kB2.radiusCm);
    EXPECT_DOUBLE_EQ(stored->columns[2][0].toDouble(), bob::kB2.lengthCm);
    EXPECT_DOUBLE_EQ(w->mBobRadius, bob::kB2.radiusCm);
}

// A fresh installation has no bob file: Bob Number and Bob Radius start
// empty, the radius greyed out. A Start with a bob the table does not know
// is refused with the bobs to enter; the dialog stays open with everything
// typed, and once a known bob is entered its radius is filled in and the
// test starts with what was typed.
TEST_F(RunWindow, AFreshInstallsFirstTestStartsOnceAKnownBobIsEntered) {
    ASSERT_FALSE(QFile::exists(QDir(db.dir()).filePath(calibration::kBobFileName)));
    StoreSequence(conn, "Seq", {step(10, 300)});
    pick("Seq");
    int shown = 0;
    const ui::ModalShower previous = ui::setModalShower([&](QDialog& dialog) {
        auto& d = dynamic_cast<frmTestRelatedInfo&>(dialog);
        ++shown;
        d.show();
        EXPECT_EQ(d.txtBobNo->text(), "");
        EXPECT_EQ(d.txtBobRadius->text(), "");
        EXPECT_FALSE(d.txtBobRadius->isEnabled());
        d.txtTestName->setText("First test");
        d.txtFluidId->setText("Water");
        d.txtSAFETY->setPlainText("the first day");
        d.MSFlexGrid1->TextMatrix(1, 0, "KCl");
        d.MSFlexGrid1->TextMatrix(1, 1, "2");
        d.txtBobNo->setText("1");
        d.cmdOk->click();
        EXPECT_EQ(dialogs.texts(), QStringList{BobRadiusMessage(bob::BobNames())});
        EXPECT_TRUE(dialogs.texts().value(0).contains("(B1, B2, B3, B4 or B5)"));
        EXPECT_TRUE(d.isVisible());
        EXPECT_TRUE(d.Cancelled);
        EXPECT_EQ(d.txtTestName->text(), "First test");
        EXPECT_EQ(d.txtFluidId->text(), "Water");
        EXPECT_EQ(d.txtSAFETY->toPlainText(), "the first day");
        EXPECT_EQ(d.MSFlexGrid1->TextMatrix(1, 0), "KCl");
        EXPECT_EQ(count("TEST_INFO"), 0);
        EXPECT_EQ(w->RunState, kIdle);

        dialogs.clear();
        d.txtBobNo->setText("B1");
        EXPECT_EQ(d.txtBobRadius->text(), "1.7245");
        d.cmdOk->click();
        EXPECT_FALSE(d.isVisible());
        return int(QDialog::Accepted);
    });
    w->cmdStart_Stop->click();
    ui::setModalShower(previous);
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join('\n').toStdString();
    EXPECT_EQ(w->RunState, kStepRunning);
    EXPECT_EQ(w->lblTestname->text(), "First test");
    EXPECT_DOUBLE_EQ(w->mBobRadius, 1.7245);
    EXPECT_EQ(sql("SELECT TEST_NAME, FLUID_ID, BOB_NO, SAFETY FROM TEST_INFO")->columns,
              (QVector<QVector<QVariant>>{{"First test"}, {"Water"}, {"B1"}, {"the first day"}}));
    EXPECT_EQ(sql("SELECT ADDITIVE_NM FROM TEST_ADDITIVE")->columns, (QVector<QVector<QVariant>>{{"KCl"}}));
}

TEST_F(RunWindow, TheWindowDoesNotCloseWhileATestRuns) {
    StoreSequence(conn, "Seq", {step(10, 300)});
    pick("Seq");
    start();
    ASSERT_EQ(w->RunState, kStepRunning);
    EXPECT_FALSE(w->close());
    EXPECT_EQ(dialogs.texts(), QStringList{"Cannot exit while test is running."});
    w->cmdStop->click();
    EXPECT_TRUE(w->close());
}

TEST_F(RunWindow, RefreshReloadsTheSequenceAndRestartsTheStep) {
    // Three steps of 10 minutes; step 3 twice, each with the ramp of two 60 s entries.
    StoreSequence(conn, "Seq", {step(10, 75), step(10, 75), step(10, 75, 0, 2, 1)}, {{100, 60, 0}, {200, 60, 0}});
    pick("Seq");
    w->cmdRefresh->click();  // idle: nothing
    EXPECT_TRUE(dialogs.messages.empty());
    w->mReply.readings.mSampleTemp = 75;
    start();
    tickWhile([&] { return w->CurStep < 2; });
    for (int i = 0; i < 30; ++i) tick();
    const qint64 elapsed = w->ElapsedSeconds;
    ASSERT_EQ(w->CurStep, 2);

    sql("UPDATE SEQUENCE_RAMP SET RAMP_TEMP = 90 WHERE RAMP_NO = 2");
    w->cmdExit->setEnabled(true);
    w->cmdRefresh->click();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(w->mStepTemp[2], 90);
    EXPECT_EQ(w->CurStep, 2);
    EXPECT_EQ(w->CurCycle, 1);
    EXPECT_EQ(w->StepTick, 0);
    EXPECT_EQ(w->StepSeconds, 0);
    EXPECT_EQ(w->StepClock.Milliseconds(), 0);  // the step's clock restarted now
    EXPECT_EQ(w->ElapsedSeconds, elapsed);
    EXPECT_FALSE(w->cmdExit->isEnabled());
    EXPECT_EQ(w->EndTime->text(), "End Time: " + GeneralDate(clock.dateTime().addSecs(2040)));
    EXPECT_EQ(w->RunState, kStepRunning);

    // A step above the maximum pressure: refused, the running tables stay whole.
    sql("UPDATE SEQUENCE_RAMP SET RAMP_PRESS = 40000 WHERE RAMP_NO = 3");
    w->cmdRefresh->click();
    EXPECT_EQ(dialogs.texts(),
              QStringList{"Sequence pressure setting too high. 30000(psi),\rPlease choose another sequence."});
    EXPECT_TRUE(w->cfNameSeq && w->cfNameSeq->isVisible());
    EXPECT_EQ(w->mStepCount, 3);
    EXPECT_EQ(w->mStepPress[3], 0);
    EXPECT_EQ(w->RunState, kStepRunning);

    // Into step 3, then its ramp: Refresh does nothing during a ramp.
    sql("UPDATE SEQUENCE_RAMP SET RAMP_PRESS = 0 WHERE RAMP_NO = 3");
    w->mSequenceName = "Seq";
    tickWhile([&] { return w->RunState != kRampRunning; });
    ASSERT_EQ(w->CurStep, 3);
    const int rampTick = w->mRampTick;
    w->cmdRefresh->click();
    EXPECT_EQ(w->mPhase, kRampPhase);
    EXPECT_EQ(w->mRampTick, rampTick);

    // Back in step 3 (cycle 2), the sequence cut to two steps: the run stops.
    tickWhile([&] { return w->RunState != kStepRunning; });
    ASSERT_EQ(w->CurCycle, 2);
    sql("DELETE FROM SEQUENCE_RAMP WHERE RAMP_NO = 3");
    w->cmdRefresh->click();
    EXPECT_EQ(w->RunState, kIdle);
    EXPECT_TRUE(w->cmdStart_Stop->isEnabled());
}

// A point the database refuses waits and is stored once the database takes
// rows again, in order, before the points after it.
TEST_F(RunWindow, APointTheDatabaseRefusesIsReportedOnceAndStoredLaterInOrder) {
    StoreSequence(conn, "Seq", {recordingStep(1)});
    pick("Seq");
    w->mReply.readings.mSampleTemp = 75;
    start();
    tickWhile([&] { return w->StepSeconds < 12; });
    EXPECT_EQ(count("TEST_RESULT"), 2);  // 5, 10

    sql("CREATE TRIGGER refuse BEFORE INSERT ON TEST_RESULT BEGIN SELECT RAISE(ABORT, 'database is full'); END");
    tickWhile([&] { return w->StepSeconds < 32; });
    sql("DROP TRIGGER refuse");
    tickWhile([&] { return w->RunState != kIdle; });

    // Nothing was lost: the program's one notice, not a box of the unit's.
    EXPECT_EQ(dialogs.texts(), QStringList{RowsWaitingNotice("database is full")});
    EXPECT_EQ(w->RowsNotSaved, 4);  // 15 .. 30
    EXPECT_EQ(w->RowsWaiting(), 0);
    const auto times = sql("SELECT RESULT_TIME FROM TEST_RESULT ORDER BY TEST_RESULT_ID")->columns[0];
    QVector<double> stored;
    for (const QVariant& t : times) stored << t.toDouble();
    EXPECT_EQ(stored, (QVector<double>{5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60}));
    // The chart's samples took every stored row once.
    EXPECT_EQ(w->mSamples.Of(w->TestId, *w->mTestResult, &conn).size(), 12u);
}

// A stored test of the same name (here stored while the dialog is open, past
// its check of names) takes neither the run's points nor its additives.
TEST_F(RunWindow, ARunWithANamesakeStoredRecordsUnderItsOwnNewTest) {
    StoreSequence(conn, "Seq", {recordingStep(1)});
    pick("Seq");
    w->mReply.readings.mSampleTemp = 75;
    TestEntry entry;
    entry.additives = {"Salt"};
    entry.beforeOk = [&] { sql("INSERT INTO TEST_INFO (TEST_NAME) VALUES ('" + entry.name + "')"); };
    start(entry);
    ASSERT_EQ(w->RunState, kStepRunning) << dialogs.texts().join(";").toStdString();
    const auto keys = sql("SELECT TEST_ID FROM TEST_INFO ORDER BY TEST_ID")->columns[0];
    ASSERT_EQ(keys.size(), 2);
    const qint32 older = keys[0].toInt(), newer = keys[1].toInt();
    EXPECT_EQ(w->TestId, newer);

    tickWhile([&] { return w->StepSeconds < 12; });
    testing_support::ExpectRowsUnderTheNewerOnly(conn, newer, older, 2, 1);  // 5, 10
}

TEST_F(RunWindow, TheRunningSequenceIsNeverSwapped) {
    StoreSequence(conn, "Long", {step(10, 75), step(10, 75), step(10, 75)});
    StoreSequence(conn, "Short", {step(1, 100)});
    pick("Long");
    // A picker opened before Start, confirmed while the test runs.
    w->cmdSelect->click();
    QPointer<frmNameSeq> early = w->cfNameSeq.data();
    w->mReply.readings.mSampleTemp = 75;
    start();
    ASSERT_EQ(w->RunState, kStepRunning);
    tickWhile([&] { return w->CurStep < 2; });
    for (int i = 0; i < 5; ++i) tick();
    const int rows = w->MSFlexGrid1->Rows();
    ASSERT_GT(rows, 1);
    EXPECT_FALSE(w->cmdSelect->isEnabled());

    const auto expectUntouched = [&] {
        EXPECT_EQ(w->RunState, kStepRunning);
        EXPECT_EQ(w->mStepCount, 3);
        EXPECT_EQ(w->CurStep, 2);
        EXPECT_EQ(w->mStepTemp, (QVector<double>{0, 75, 75, 75}));
        EXPECT_EQ(w->mSequenceName, "Long");
        EXPECT_EQ(w->lblSelectSeq->text(), "Long");
        EXPECT_EQ(w->MSFlexGrid1->Rows(), rows);
        EXPECT_EQ(dialogs.texts(), QStringList{SequenceLockedMessage()});
    };
    ASSERT_TRUE(early);
    const auto items = early->lstSeqName->findItems("Short", Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1);
    early->lstSeqName->setCurrentItem(items[0]);
    early->cmdOk->click();
    expectUntouched();
    EXPECT_TRUE(early);  // still offered for after the run

    dialogs.clear();
    w->cmdSelect_Click();  // the handler itself, as a shortcut would reach it
    expectUntouched();

    // After the run the choice is free again.
    w->cmdStop->click();
    EXPECT_TRUE(w->cmdSelect->isEnabled());
    dialogs.clear();
    early->cmdOk->click();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(w->mSequenceName, "Short");
    EXPECT_EQ(w->mStepCount, 1);
}

TEST_F(RunWindow, StartIsRefusedWhileThePortIsNotOpen) {
    StoreSequence(conn, "Seq", {step(10, 300)});
    pick("Seq");
    w->PortOpenHook = nullptr;  // the port never opened ("Invalid port number" at load)
    w->SendHook = nullptr;
    w->MSComm1.PortNumber(9);
    AnswerTestInfo answer({});
    w->cmdStart_Stop->click();
    EXPECT_EQ(answer.shown, 0);  // nothing asked, nothing to retype
    ASSERT_EQ(dialogs.messages.size(), 1u);
    const QString text = dialogs.messages[0].prompt;
    EXPECT_TRUE(text.startsWith("The test cannot be started: the unit's port 9 (")) << text.toStdString();
    EXPECT_TRUE(text.contains(w->MSComm1.DevicePath())) << text.toStdString();
    EXPECT_EQ(w->RunState, kIdle);
    EXPECT_EQ(count("TEST_INFO"), 0);
}

TEST_F(RunWindow, TimesAndCyclesNoRunCanHoldAreRefusedBeforeAnythingIsStored) {
    // Stored by another program: refused at the pick, naming the step and the limit.
    StoreSequence(conn, "Good", {step(10, 75)});
    StoreSequence(conn, "Endless", {step(10, 75), step(1, 75, 0, 9.1e15)});
    pick("Good");
    pick("Endless");
    EXPECT_EQ(dialogs.texts(),
              QStringList{"Step 2: the cycle count 9.1E+15 is beyond what a run can hold (at most 10000)."});
    EXPECT_TRUE(w->mSequenceName.isEmpty());
    EXPECT_EQ(w->lblSelectSeq->text(), "Good");
    EXPECT_EQ(w->mStepCount, 1);

    // Tables that reach Start some other way are checked there too.
    w->mSequenceName = "Good";
    w->mStepMinutes[1] = 1e12;
    expectStartRefused("Step 1: the step time (min) 1000000000000 is beyond what a run can hold (at most 71582).");

    // Refresh of a running test whose sequence was edited beyond the limits: the run goes on unchanged.
    w->mStepMinutes[1] = 10;
    startRunning();
    const QString endTime = w->EndTime->text();
    expectRefreshRefused("Good", "CYCLE_LABEL = 1e300",
                         "Step 1: the cycle count 1E+300 is beyond what a run can hold (at most 10000).");
    EXPECT_EQ(w->mStepCycles[1], 1);
    EXPECT_EQ(w->EndTime->text(), endTime);
}

TEST_F(RunWindow, ARateOrToleranceThatIsNoFiniteNumberIsRefusedAtSelectStartAndRefresh) {
    // Stored by another program: a ramp rate or temperature error that is
    // no finite number. A rate's own sign does not count (the run gives it
    // the change's), so a negative one is taken.
    const double inf = std::numeric_limits<double>::infinity();
    StoreSequence(conn, "Good", {step(10, 75)});
    pick("Good");
    struct Case {
        QString name;
        std::function<void(SeqStep&)> change;  // of step 2
        QString message;                       // empty: taken
    };
    const std::vector<Case> cases = {
        {"Heat", [&](SeqStep& s) { s.tempRate = inf; },
         "Step 2: the temperature ramp rate (°F/min) INF is not a finite number."},
        {"Press", [&](SeqStep& s) { s.pressRate = -inf; },
         "Step 2: the pressure ramp rate (psi/min) -INF is not a finite number."},
        {"Error", [&](SeqStep& s) { s.tolerance = inf; },
         "Step 2: the temperature error (°F) INF is not a finite number."},
        {"Signed", [](SeqStep& s) { s.tempRate = -5, s.pressRate = -100; }, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        SeqStep second = step(10, 150, 1000);
        c.change(second);
        StoreSequence(conn, c.name, {step(10, 75), second});
        dialogs.clear();
        pick(c.name);
        if (c.message.isEmpty()) {
            EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join("|").toStdString();
            EXPECT_EQ(w->mSequenceName, c.name);
            EXPECT_EQ(w->mStepTempRate[2], 5);  // rising from 75 to 150 °F
            EXPECT_EQ(w->mStepPressRate[2], 100);
            continue;
        }
        EXPECT_EQ(dialogs.texts(), QStringList{c.message});
        EXPECT_TRUE(w->mSequenceName.isEmpty());
        EXPECT_EQ(w->lblSelectSeq->text(), "Good");
        EXPECT_EQ(w->mStepCount, 1);
    }

    // Tables that reach Start some other way are checked there too.
    pick("Good");
    ASSERT_EQ(w->mSequenceName, "Good");
    w->mStepTempRate[1] = inf;
    expectStartRefused("Step 1: the temperature ramp rate (°F/min) INF is not a finite number.");

    // Refresh of a running test whose sequence another program gave such a
    // rate: refused, the run goes on unchanged.
    w->mStepTempRate[1] = 0;
    startRunning();
    expectRefreshRefused("Good", "FEILD1 = 9e999", "Step 1: the pressure ramp rate (psi/min) INF is not a finite number.");
    EXPECT_EQ(w->mStepPressRate[1], 0);
}

TEST_F(RunWindow, AStoredSequenceAStepMayNotHoldIsRefusedAtSelectNamingTheStepAndTheValue) {
    // Stored by another program (an import of old): the unit was sent 5000 °F
    // and -300 rpm. Refused at the pick by the editor's rule, with this unit's
    // Max Pressure; the tables loaded before stay whole.
    StoreSequence(conn, "Good", {step(10, 75)});
    pick("Good");
    SeqStep hot = step(10, 5000);
    hot.speed = -300;
    SeqStep backwards = step(10, 75);
    backwards.speed = -300;
    SeqStep flag = step(10, 75);
    flag.runRamp = 7;
    struct Case {
        QString name;
        std::vector<SeqStep> steps;
        std::vector<SeqRampEntry> entries;
        QString message;
    };
    const std::vector<Case> cases = {
        {"Hot", {step(10, 75), hot}, {}, "Step 2: the temperature (°F) 5000 is out of range (0 to 600)."},
        {"Backwards", {step(10, 75), backwards}, {}, "Step 2: the speed (rpm) -300 is out of range (0 to 600)."},
        {"Flag", {flag}, {}, "Step 1: the ramp flag 7 is neither 0 nor 1."},
        {"Below", {step(10, 75, -1000)}, {}, "Step 1: the pressure (psi) -1000 is out of range (0 to 30000)."},
        {"BadRamp", {step(10, 75)}, {{100, -30, 5}},
         "Ramp step 1: the ramp time (sec) -30 is out of range (0 to 4294967)."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        StoreSequence(conn, c.name, c.steps, c.entries);
        dialogs.clear();
        pick(c.name);
        EXPECT_EQ(dialogs.texts(), QStringList{c.message});
        EXPECT_TRUE(w->mSequenceName.isEmpty());
        EXPECT_EQ(w->lblSelectSeq->text(), "Good");
        EXPECT_EQ(w->mStepCount, 1);
        EXPECT_EQ(w->mStepTemp[1], 75);
        EXPECT_EQ(w->mStepSpeed[1], 300);
    }
    // Step numbers repeated.
    const qint32 twice = StoreSequence(conn, "Twice", {step(10, 75), step(10, 75)});
    sql(QStringLiteral("UPDATE SEQUENCE_RAMP SET RAMP_NO = 1 WHERE SEQUENCE_ID = %1").arg(twice));
    dialogs.clear();
    pick("Twice");
    EXPECT_EQ(dialogs.texts(),
              QStringList{"Step 2: the step number 1 is not above the number of the step before it (1)."});
    EXPECT_TRUE(w->mSequenceName.isEmpty());

    // A pressure the unit took when the sequence was picked, but not at Start
    // under the Max Pressure chosen since: nothing is asked, stored or sent.
    StoreSequence(conn, "Deep", {step(10, 75, 25000)});
    dialogs.clear();
    pick("Deep");
    ASSERT_EQ(w->mSequenceName, "Deep");
    w->Option1->click();  // 20000 psi
    QStringList sent;
    w->SendHook = [&sent](const QString& frame) { sent << frame; };
    AnswerTestInfo answer({});
    w->cmdStart_Stop->click();
    EXPECT_EQ(answer.shown, 0);
    EXPECT_EQ(dialogs.texts(), QStringList{"Step 1: the pressure (psi) 25000 is out of range (0 to 20000)."});
    EXPECT_EQ(count("TEST_INFO"), 0);
    EXPECT_EQ(w->RunState, kIdle);
    EXPECT_TRUE(sent.isEmpty()) << sent.join(" ").toStdString();
}

TEST_F(RunWindow, ALineLostUnderTheTestDialogStoresNothingAndAClosedPortStopsTheRun) {
    StoreSequence(conn, "Seq", {recordingStep(1)});
    pick("Seq");
    // The line goes while the operator fills in the dialog.
    TestEntry entry;
    entry.beforeOk = [&] { w->PortOpenHook = [] { return false; }; };
    start(entry);
    EXPECT_EQ(w->RunState, kIdle);
    EXPECT_EQ(count("TEST_INFO"), 0);
    EXPECT_EQ(count("TEST_ADDITIVE"), 0);
    EXPECT_EQ(dialogs.texts().last(), w->PortNotOpenMessage("The test cannot be started"));

    // A run whose port is closed under it: its next frame is a port failure,
    // said once, and the run stops; nothing is skipped in silence.
    w->PortOpenHook = [] { return true; };
    start(TestEntry{});
    ASSERT_EQ(w->RunState, kStepRunning);
    w->SendHook = nullptr;  // frames now go to the port, which never opened
    dialogs.clear();
    tickWhile([&] { return w->RunState != kIdle; }, 10);
    EXPECT_EQ(w->RunState, kIdle);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.texts()[0].startsWith("ERROR: 8018, Operation valid only when the port is open"))
        << dialogs.texts()[0].toStdString();
    EXPECT_TRUE(dialogs.texts()[0].contains("has stopped; the points recorded before are stored."));
    EXPECT_EQ(w->lblActiveFlag->text(), "No Response");
}

// Another program holds the database while the run records: the ticks go on
// without waiting out the connection's time-out, the points due wait, the
// progress panel names the unit, the test, how many and why, and the grid
// and chart keep to the stored points. Once the lock is gone the points are
// stored in order, the grid and chart take them and the panel its own text.
TEST_F(RunWindow, PointsDueWhileAnotherProgramHoldsTheDatabaseWaitAndAreStoredInOrder) {
    StoreSequence(conn, "Seq", {recordingStep(1)});
    pick("Seq");
    w->lblInstName->setText("Unit 3");
    w->mReply.readings.mSampleTemp = 75;
    start();
    tickWhile([&] { return w->StepSeconds < 12; });
    ASSERT_EQ(count("TEST_RESULT"), 2);  // 5, 10
    const auto samples = [&] { return w->mSamples.Of(w->TestId, *w->mTestResult, &conn).size(); };
    {
        testing_support::LockedDatabase lock(db.path());
        QElapsedTimer timer;
        timer.start();
        tickWhile([&] { return w->StepSeconds < 27; });
        // Fifteen ticks, none of which waited out the 20 s time-out (a generous margin).
        EXPECT_LT(timer.elapsed(), 10000);
        EXPECT_EQ(w->RowsWaiting(), 3);  // 15, 20, 25
        EXPECT_EQ(w->RowsWaitingOf(w->TestId), 3);
        EXPECT_EQ(w->StepTime->text(), "Unit 3, test \"Run A\": 3 points waiting to be stored (database is locked)");
        // Nothing is lost: the program's one notice, not a box of the unit's.
        EXPECT_EQ(dialogs.texts(), QStringList{runloop::RowsWaitingNotice("database is locked")});
        EXPECT_EQ(samples(), 2u);
        EXPECT_EQ(w->MSFlexGrid1->TextMatrix(1, 3), "0.17");  // the grid's last point: 10 s
        EXPECT_EQ(w->RunState, kStepRunning);
    }
    tick();
    EXPECT_EQ(w->RowsWaiting(), 0);
    EXPECT_TRUE(w->StepTime->text().startsWith("Current Step (1) Cycle (1) Time: ")) << w->StepTime->text().toStdString();
    const auto times = sql("SELECT RESULT_TIME FROM TEST_RESULT ORDER BY TEST_RESULT_ID")->columns[0];
    QVector<double> stored;
    for (const QVariant& t : times) stored << t.toDouble();
    EXPECT_EQ(stored, (QVector<double>{5, 10, 15, 20, 25}));
    EXPECT_EQ(samples(), 5u);
    EXPECT_EQ(w->MSFlexGrid1->TextMatrix(1, 3), "0.42");  // 25 s
    EXPECT_EQ(w->RowsNotSaved, 3);
}

// The points waiting fit the progress panel at every size the container
// gives a rheology window (four and eight of them on a 1280 x 800 and a
// 1920 x 1080 screen, maximised, restored, cascaded and tiled both ways):
// the panel shows the longest form that fits, at least how many wait, with
// the whole text in its tip, and the start, elapsed and end times stay whole
// beside it. The text used to be cut off, tiled and maximised alike.
TEST_F(RunWindow, PointsWaitingFitTheProgressPanelAtEverySizeTheContainerGivesTheWindow) {
    std::vector<QSize> sizes;
    for (int port = 11; port <= 18; ++port) noDevice(port);
    writePorts({11, 12, 13, 14, 15, 16, 17, 18});
    for (const QSize screen : {QSize(1280, 740), QSize(1920, 1020)})
        for (int units : {4, 8}) {
            frmMDIRealTime m(&conn);
            m.MDIForm_Load();
            m.resize(screen);
            m.show();
            for (int n = 1; n <= units; ++n) m.MenuAdd_Click(n);
            auto take = [&] {
                QApplication::processEvents();
                for (QMdiSubWindow* sub : m.mdiArea->subWindowList()) {
                    const QSize size = frmMDIRealTime::UnitOf(sub)->size();
                    if (std::find(sizes.begin(), sizes.end(), size) == sizes.end()) sizes.push_back(size);
                }
            };
            take();  // maximised
            m.mdiArea->activeSubWindow()->showNormal();
            take();
            for (QAction* arrange : {m.MenuWindowCascade, m.MenuWindowHorizontal, m.MenuWindowVertically}) {
                arrange->trigger();
                take();
            }
        }
    dialogs.clear();  // the ports without a device
    ASSERT_GE(sizes.size(), 6u);

    StoreSequence(conn, "Seq", {recordingStep(1)});
    pick("Seq");
    w->lblInstName->setText("Unit 3");
    w->mReply.readings.mSampleTemp = 75;
    start();
    tickWhile([&] { return w->StepSeconds < 12; });
    testing_support::LockedDatabase lock(db.path());
    tickWhile([&] { return w->StepSeconds < 27; });
    ASSERT_EQ(w->RowsWaiting(), 3);
    const QString whole = "Unit 3, test \"Run A\": 3 points waiting to be stored (database is locked)";
    ASSERT_EQ(w->StepTime->text(), whole);

    w->show();
    for (const QSize size : sizes) {
        SCOPED_TRACE(std::to_string(size.width()) + " x " + std::to_string(size.height()));
        w->resize(size);
        QApplication::processEvents();
        for (auto* panel : w->StatusBar1->findChildren<StatusBarPanel*>()) {
            SCOPED_TRACE(panel->objectName().toStdString());
            const QString shown = panel->ShownText();
            EXPECT_LE(panel->fontMetrics().horizontalAdvance(shown), panel->contentsRect().width()) << shown.toStdString();
            if (panel != w->StepTime) {
                EXPECT_FALSE(panel->text().isEmpty());
                EXPECT_EQ(shown, panel->text());
            }
        }
        const auto* step = static_cast<StatusBarPanel*>(w->StepTime);
        EXPECT_TRUE(step->ShownText().startsWith("3 points waiting") || step->ShownText() == whole)
            << step->ShownText().toStdString();
        EXPECT_EQ(step->TipText(), step->ShownText() == whole ? QString() : whole);
    }
}

// After Stop and at the end of a run the status bar speaks of no step and
// of no planned end ("Current Step (2) ... End Time ..." used to stay): the
// run's start and elapsed time stay.
TEST_F(RunWindow, AfterStopAndAtTheEndOfARunTheStatusBarShowsNoStepAndNoEndTime) {
    StoreSequence(conn, "Two", {step(1, 75), step(1, 75)});
    w->mReply.readings.mSampleTemp = 75;
    for (bool stop : {true, false}) {
        SCOPED_TRACE(stop ? "Stop" : "the sequence ends");
        pick("Two");
        TestEntry entry;
        entry.name = stop ? "Stopped" : "Ended";
        start(entry);
        ASSERT_EQ(w->RunState, kStepRunning);
        tickWhile([&] { return w->RunState != kIdle && (w->CurStep < 2 || w->StepSeconds < 5); });
        ASSERT_TRUE(w->StepTime->text().startsWith("Current Step (2) Cycle (1) Time: ")) << w->StepTime->text().toStdString();
        ASSERT_TRUE(w->EndTime->text().startsWith("End Time: "));
        if (stop)
            w->cmdStop->click();
        else
            tickWhile([&] { return w->RunState != kIdle; }, 1000);
        ASSERT_EQ(w->RunState, kIdle);
        tick();  // the window goes on ticking
        EXPECT_EQ(w->StepTime->text(), "");
        EXPECT_EQ(w->EndTime->text(), "");
        EXPECT_TRUE(w->StartTime->text().startsWith("Start Time: ")) << w->StartTime->text().toStdString();
        EXPECT_TRUE(w->ElapsedTime->text().startsWith("Elapsed Time: ")) << w->ElapsedTime->text().toStdString();
        dialogs.clear();
    }
}

namespace {

// What becomes of points still waiting when the window is closed.
struct CloseCase {
    const char* name;
    std::vector<int> answers;  // to the questions of the close, in turn
    bool refusedAtAnswer;      // the database still refuses rows then
    bool byExit;               // Exit rather than the window's close
    bool closes;
    int waitingAfter;
    int storedAfter;           // rows of the test in the database
};

class CloseWithPointsWaiting : public RunWindow, public ::testing::WithParamInterface<CloseCase> {};

const CloseCase kCloseCases[] = {
    {"CancelKeepsTheWindowTrying", {ui::vbCancel}, true, false, false, 3, 2},
    {"YesStoresThemNowAndCloses", {ui::vbYes}, false, true, true, 0, 5},
    {"YesWhileStillRefusedAsksAgainAndCancelKeepsTheWindow", {ui::vbYes, ui::vbCancel}, true, false, false, 3, 2},
    {"YesWhileStillRefusedAsksAgainAndNoCloses", {ui::vbYes, ui::vbNo}, true, true, true, 3, 2},
    // No leaves them as they are, kept to be stored at the next start: never dropped.
    {"NoClosesAndLeavesThemKept", {ui::vbNo}, true, true, true, 3, 2},
};

INSTANTIATE_TEST_SUITE_P(Answers, CloseWithPointsWaiting, ::testing::ValuesIn(kCloseCases),
                         [](const ::testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.name); });

}  // namespace

// Stop with points waiting says so and asks: Yes tries to store them now, No
// drops them (saying how many), Cancel keeps them waiting and the window
// trying on its ticks. Closing the window asks as every way out does: Yes
// tries to store them now (asked again, saying how many still wait, while
// the database refuses them), No closes and leaves them kept, Cancel keeps
// the window.
TEST_P(CloseWithPointsWaiting, StopAndCloseAskWhatBecomesOfThem) {
    const CloseCase& c = GetParam();
    recordThreeRefused();
    ASSERT_EQ(w->RowsWaiting(), 3);
    dialogs.clear();

    // Stop: the run ends, the points are kept.
    dialogs.answers.push_back(ui::vbCancel);
    w->cmdStop->click();
    EXPECT_EQ(w->RunState, kIdle);
    ASSERT_EQ(dialogs.texts().size(), 1);
    EXPECT_EQ(dialogs.texts()[0], "Unit 2, test \"Run A\": 3 points recorded but not yet stored; the database refuses "
                                  "them (no room).\r\rYes: try to store them now.\rNo: drop them: 3 points not "
                                  "stored.\rCancel: keep them; the window keeps trying to store them.");
    tick();  // the idle window goes on trying
    EXPECT_EQ(w->RowsWaiting(), 3);
    EXPECT_EQ(w->StepTime->text(), "Unit 2, test \"Run A\": 3 points waiting to be stored (no room)");

    if (!c.refusedAtAnswer) sql("DROP TRIGGER refuse");
    w->show();
    dialogs.answers.insert(dialogs.answers.end(), c.answers.begin(), c.answers.end());
    if (c.byExit)
        w->cmdExit->click();
    else
        EXPECT_EQ(w->close(), c.closes);
    EXPECT_EQ(!w->isVisible(), c.closes);
    const QString question = "Recorded points not yet stored; the database refuses them:\r"
                             "Unit 2, test \"Run A\": 3 points waiting to be stored (no room)\r\r"
                             "Yes: try to store them now; the window closes once they are stored.\r"
                             "No: close the window; the points are kept and stored at the next start.\r"
                             "Cancel: keep the window open; it keeps trying to store them.";
    QStringList asked{question};
    if (c.answers.size() > 1) asked << "Not all could be stored: 3 points still waiting.\r\r" + question;
    EXPECT_EQ(dialogs.texts().mid(1), asked);
    EXPECT_EQ(dialogs.messages.back().style, ui::vbYesNoCancel + ui::vbExclamation + ui::vbDefaultButton3);
    EXPECT_EQ(w->RowsWaiting(), c.waitingAfter);
    EXPECT_EQ(count("TEST_RESULT"), c.storedAfter);
    // A window still open closes without a question once none waits.
    if (!c.closes) {
        if (c.refusedAtAnswer) sql("DROP TRIGGER refuse");
        tick();
        EXPECT_EQ(count("TEST_RESULT"), 5);
        // The panel's own text back: none, the run having been stopped.
        EXPECT_EQ(w->StepTime->text(), "");
        const auto before = dialogs.texts().size();
        EXPECT_TRUE(w->close());
        EXPECT_EQ(dialogs.texts().size(), before);
    }
}

// While the spool cannot keep the points the database refuses (its file on a
// device that is full), the progress panel says they are held in memory
// only, and the close's question says that No would lose them, naming their
// count and test; Cancel, its default, keeps the window, which stores them
// once the database takes them.
TEST_F(RunWindow, TheCloseSaysThatPointsTheSpoolCouldNotKeepWouldBeLost) {
    if (!QFile::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    ASSERT_TRUE(QFile::link("/dev/full", QDir(db.dir()).filePath(runloop::kSpoolFileName)));
    recordThreeRefused();
    ASSERT_EQ(w->RowsWaiting(), 3);
    EXPECT_EQ(w->RowsInMemoryOnly(), 3);
    EXPECT_EQ(w->StepTime->text(), "Unit 2, test \"Run A\": 3 points waiting to be stored (no room); 3 held in "
                                   "memory only, lost if the program ends");
    EXPECT_EQ(dialogs.texts().filter("cannot be kept in Z3080daq.spool (No space left on device)").size(), 1)
        << dialogs.texts().join('\n').toStdString();
    dialogs.answers.push_back(ui::vbCancel);  // Stop keeps them waiting
    w->cmdStop->click();
    dialogs.clear();

    w->show();
    dialogs.answers.push_back(ui::vbCancel);
    EXPECT_FALSE(w->close());
    ASSERT_EQ(dialogs.texts().size(), 1);
    EXPECT_EQ(dialogs.texts()[0], "Recorded points not yet stored; the database refuses them:\r"
                                  "Unit 2, test \"Run A\": 3 points waiting to be stored (no room)\r\r"
                                  "Yes: try to store them now; the window closes once they are stored.\r"
                                  "No: close the window; 3 points that could not be kept in Z3080daq.spool are lost "
                                  "(Unit 2, test \"Run A\": 3 points).\r"
                                  "Cancel: keep the window open; it keeps trying to store them.");
    EXPECT_EQ(dialogs.messages.back().style, ui::vbYesNoCancel + ui::vbExclamation + ui::vbDefaultButton3);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->RowsWaiting(), 3);
    EXPECT_FALSE(QFileInfo(QDir(db.dir()).filePath(runloop::kSpoolFileName)).isFile());  // nothing on disk holds them

    sql("DROP TRIGGER refuse");
    tick();
    EXPECT_EQ(w->RowsWaiting(), 0);
    EXPECT_EQ(count("TEST_RESULT"), 5);
}
