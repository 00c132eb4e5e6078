// The PVT test window over the test database: its load, the piston choice and
// its calibration, the sequence choice, Start (refusals, the stored test and
// its additives), Stop, closing, Refresh, Zero, the readings log and the
// chart's failures.

#include "support/StoredRows.h"
#include "PvtFixture.h"

#include "calibration/frmCalibrateTorque.h"
#include "data/CalibrationFiles.h"
#include "data/DataFiles.h"
#include "data/Settings.h"
#include "support/XlsxSheet.h"
#include "support/DatabaseFaults.h"
#include "platform/PeChart.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPointer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QLabel>
#include <QStatusBar>

using namespace pvt_tests;

namespace {
class PvtWindow : public PvtWindowFixture {};
}  // namespace

TEST_F(PvtWindow, LoadShowsCaptionsAndLeavesTheMaximumPressureAlone) {
    for (double maxPress : {20000.0, 30000.0}) {
        SCOPED_TRACE(maxPress);
        gMaxPress = maxPress;
        frmPVTtest second;
        EXPECT_EQ(gMaxPress, maxPress);  // another unit's trip limit is not raised
        EXPECT_EQ(second.Option1->isChecked(), maxPress == 20000);
        EXPECT_EQ(second.Option2->isChecked(), maxPress == 30000);
    }
    EXPECT_EQ(w->Label11->text(), "(°F)");
    EXPECT_EQ(w->Label13->text(), "(°F)");
    EXPECT_EQ(w->Label16->text(), "(g/cm3)");
    EXPECT_TRUE(w->chkDens->isChecked());
    EXPECT_FALSE(w->chkTemp->isChecked() || w->chkPress->isChecked() || w->chkPosition->isChecked());
    EXPECT_FALSE(w->optLag->isChecked() || w->optSml->isChecked());
    EXPECT_EQ(w->reply.RefTemp, 72.0);
    EXPECT_EQ(w->reply.PistonRadius, 2.4772389);
    EXPECT_EQ(w->MSFlexGrid1->Cols(), 8);
    EXPECT_EQ(w->Pesgo1->mainTitle(), "PVT test");
    EXPECT_EQ(w->Pesgo1->xAxisLabel(), "Time (min)");
    EXPECT_EQ(w->cmdZero->toolTip(), "Click here to set the starting position of the PVT sensor");

    // The choice is this unit's: the start-up value stays for the others.
    w->Option1->click();
    EXPECT_EQ(w->MaxPress(), 20000);
    EXPECT_EQ(gMaxPress, 30000);
    w->Option2->click();
    EXPECT_EQ(w->MaxPress(), 30000);
}

TEST_F(PvtWindow, ThePistonChoiceReadsItsCalibration) {
    w->reply.SampleTemp = 85;
    w->optLag->click();
    EXPECT_EQ(w->CalFileName, "Calilarg.dat");
    EXPECT_EQ(w->CalCount, 5);
    EXPECT_TRUE(w->reply.calibration.loaded());
    EXPECT_EQ(w->reply.RefTemp, 85);
    ASSERT_EQ(calibration.asked.size(), 1u);
    EXPECT_EQ(calibration.asked[0], std::make_pair(true, 1));

    w->reply.SampleTemp = 0;  // a reading of 0 keeps the reference
    w->optSml->click();
    EXPECT_FALSE(w->optLag->isChecked());
    EXPECT_EQ(w->CalFileName, "CALIsmal.dat");
    EXPECT_EQ(w->reply.calibration.count, 4);
    EXPECT_EQ(w->reply.RefTemp, 85);

    // A read that fails says why and leaves no calibration; the choice stays.
    calibration.message = QStringLiteral("No calibration data found.  Please calibrate.");
    w->optLag->click();
    EXPECT_EQ(dialogs.texts().last(), calibration.message);
    EXPECT_TRUE(w->optLag->isChecked());
    EXPECT_EQ(w->CalCount, 5);
    EXPECT_FALSE(w->reply.calibration.loaded());
}

TEST_F(PvtWindow, StartIsRefusedUntilSequenceAndCalibratedPistonAreThere) {
    StoreSequence(conn, "S1", {SeqStep{}});
    start();
    EXPECT_EQ(dialogs.texts(), QStringList{"Select sequence first"});
    pick("S1");
    EXPECT_EQ(w->lblSelectSeq->text(), "S1");
    start();
    EXPECT_EQ(dialogs.texts().last(), "Please select piston size before test.");

    // A piston whose calibration could not be read is no piston: no test
    // starts "running" without set points or rows.
    calibration.message = QStringLiteral("ERROR reading calibration data - gone");
    w->optLag->click();
    dialogs.clear();
    start();
    EXPECT_EQ(dialogs.texts(), QStringList{"Please select piston size before test."});
    EXPECT_EQ(w->RunState, 0);
    EXPECT_EQ(count("TEST_INFO"), 0);

    // A sequence without steps clears the choice.
    StoreSequence(conn, "Empty", {});
    pick("Empty");
    EXPECT_EQ(dialogs.texts().last(), "this sequence no data,cannot test");
    EXPECT_TRUE(w->SeqName.isEmpty());
    calibration.message.clear();
    w->optLag->click();
    start();
    EXPECT_EQ(dialogs.texts().last(), "Select sequence first");

    // A sequence the run cannot count is refused at the choice.
    StoreSequence(conn, "Absurd", {SeqStep{1e12}});
    pick("Absurd");
    EXPECT_TRUE(dialogs.texts().last().startsWith("This sequence cannot be run: step 1"));
    EXPECT_TRUE(w->SeqName.isEmpty());
}

TEST_F(PvtWindow, ASequenceAboveThisUnitsMaxPressureIsRefusedAtSelectAndAtStart) {
    StoreSequence(conn, "Good", {SeqStep{10, 72, 5, 120, 10, 0}});
    pick("Good");
    StoreSequence(conn, "Deep", {SeqStep{10, 72, 5, 120, 10, 1000}, SeqStep{10, 72, 5, 120, 10, 25000}});

    // Max Pressure 20000: a 25000 psi step is refused when it is picked,
    // naming the step and the value; the steps loaded before stay.
    w->Option1->click();
    dialogs.clear();
    pick("Deep");
    EXPECT_EQ(dialogs.texts(), QStringList{"Step 2: the pressure (psi) 25000 is out of range (0 to 20000)."});
    EXPECT_TRUE(w->SeqName.isEmpty());
    EXPECT_EQ(w->lblSelectSeq->text(), "Good");
    EXPECT_EQ(w->mStepCount, 1);
    EXPECT_EQ(w->mStepPress[1], 0);

    // The other values a step may not hold, as the editor's rule has them.
    StoreSequence(conn, "Backwards", {SeqStep{10, 72, 5, -300, 10, 0}});
    dialogs.clear();
    pick("Backwards");
    EXPECT_EQ(dialogs.texts(), QStringList{"Step 1: the speed (rpm) -300 is out of range (0 to 600)."});
    EXPECT_TRUE(w->SeqName.isEmpty());

    // Max Pressure 30000 takes it; lowered again before Start, Start refuses
    // it: nothing asked, stored or run.
    w->Option2->click();
    dialogs.clear();
    pick("Deep");
    EXPECT_TRUE(dialogs.texts().isEmpty()) << dialogs.texts().join("\n").toStdString();
    ASSERT_EQ(w->SeqName, "Deep");
    w->optSml->click();
    w->Option1->click();
    AnswerPvtInfo answer({});
    w->cmdStart_Stop->click();
    EXPECT_EQ(answer.shown, 0);
    EXPECT_EQ(dialogs.texts(), QStringList{"Step 2: the pressure (psi) 25000 is out of range (0 to 20000)."});
    EXPECT_EQ(count("TEST_INFO"), 0);
    EXPECT_EQ(w->RunState, 0);
}

TEST_F(PvtWindow, StartStoresThePvtTestAndItsAdditives) {
    StoreSequence(conn, "S1", {SeqStep{10, 72, 5, 120, 10, 0}, SeqStep{20}, SeqStep{30.4}});
    pick("S1");
    w->optSml->click();

    // Cancelling stores nothing and starts nothing.
    PvtEntry cancel;
    cancel.cancel = true;
    start(cancel);
    EXPECT_EQ(count("TEST_INFO"), 0);
    EXPECT_EQ(w->RunState, 0);

    PvtEntry entry = Entry(QStringLiteral("PVT A"));
    entry.additives = {QStringLiteral("Salt"), QStringLiteral("Polymer")};
    AnswerPvtInfo answer(entry);
    w->cmdStart_Stop->click();
    EXPECT_EQ(answer.title, "Input Test Information");
    EXPECT_EQ(answer.piston, "Small piston");
    ASSERT_EQ(w->RunState, 1);
    const auto info = sql("SELECT TEST_NAME, FLUID_ID, BOB_NO, ROTOR_NO, BOB_RADIUS, BOB_EFF_LENGTH, PRETEST_PH, "
                          "POSTTEST_PH, SAFETY, TEST_ID FROM TEST_INFO");
    ASSERT_EQ(info->columns[0].size(), 1);
    EXPECT_EQ(info->columns[0][0].toString(), "PVT A");
    EXPECT_EQ(info->columns[1][0].toString(), "Brine");
    EXPECT_EQ(info->columns[2][0].toString(), "PVT");
    EXPECT_EQ(info->columns[3][0].toString(), "0.7239");
    EXPECT_EQ(info->columns[4][0].toDouble(), 100);
    EXPECT_EQ(info->columns[5][0].toDouble(), 1.0);
    EXPECT_DOUBLE_EQ(info->columns[6][0].toDouble(), 2.48777e-06);
    EXPECT_EQ(info->columns[7][0].toDouble(), 3.875);
    EXPECT_EQ(info->columns[8][0].toString(), "notes");
    EXPECT_EQ(w->TestId, info->columns[9][0].toInt());
    EXPECT_EQ(count("TEST_ADDITIVE"), 2);

    EXPECT_EQ(w->reply.iniVol, 100);
    EXPECT_EQ(w->reply.iniDensity, 1.0);
    EXPECT_EQ(w->reply.PistonRadius, 0.7239);
    EXPECT_EQ(w->CellLength, 3.875);
    EXPECT_EQ(w->txtiniV->text(), "100");
    EXPECT_EQ(w->txtiniD->text(), "1");
    EXPECT_EQ(w->lblTestname->text(), "PVT A");
    EXPECT_FALSE(w->cmdZero->isEnabled());
    EXPECT_FALSE(w->cmdExit->isEnabled());
    EXPECT_FALSE(w->cmdStart_Stop->isEnabled());
    EXPECT_EQ(w->txtspeedset->text(), "120.");  // the step speed's format, "##0.##"
    EXPECT_EQ(w->Status->text(), "Test Running");
    EXPECT_EQ(w->EndTime->text(), "End Time: " + runloop::GeneralDate(clock.dateTime().addSecs(3624)));
    EXPECT_EQ(w->Pesgo1->subTitle(), "PVT A");

    // A second start while running is ignored (the grid still goes back to its header).
    start();
    EXPECT_EQ(count("TEST_INFO"), 1);
}

// A stored test of the same name (stored while the dialog is open, past its
// check of names) takes neither the run's points nor its additives.
TEST_F(PvtWindow, ARunWithANamesakeStoredRecordsUnderItsOwnNewTest) {
    StoreSequence(conn, "S1", {SeqStep{10, 0, 5, 120, 5}});
    pick("S1");
    w->optLag->click();
    PvtEntry entry = Entry(QStringLiteral("PVT A"));
    entry.additives = {QStringLiteral("Salt")};
    entry.beforeOk = [&] { sql("INSERT INTO TEST_INFO (TEST_NAME) VALUES ('PVT A')"); };
    start(entry);
    ASSERT_EQ(w->RunState, 1) << dialogs.texts().join(";").toStdString();
    const auto keys = sql("SELECT TEST_ID FROM TEST_INFO ORDER BY TEST_ID")->columns[0];
    ASSERT_EQ(keys.size(), 2);
    const qint32 older = keys[0].toInt(), newer = keys[1].toInt();
    EXPECT_EQ(w->TestId, newer);

    for (int i = 0; i < 12; ++i) tick();
    const int points = count("TEST_RESULT");
    ASSERT_GT(points, 0);
    testing_support::ExpectRowsUnderTheNewerOnly(conn, newer, older, points, 1);
}

TEST_F(PvtWindow, AChangedTestTypeIsStoredAsTyped) {
    StoreSequence(conn, "S1", {SeqStep{}});
    pick("S1");
    w->optLag->click();
    PvtEntry e;
    e.type = QStringLiteral("PVT-2");
    start(e);
    EXPECT_EQ(sql("SELECT BOB_NO FROM TEST_INFO")->columns[0][0].toString(), "PVT-2");
}

TEST_F(PvtWindow, StopAsksOnlyWhileRunningAndClosingIsRefusedThen) {
    w->cmdStop->click();  // idle: the stop frame without a question
    EXPECT_TRUE(dialogs.texts().isEmpty());
    EXPECT_EQ(w->Status->text(), "Test Stop");

    StoreSequence(conn, "S1", {SeqStep{10}});
    pick("S1");
    w->optLag->click();
    start();
    ASSERT_EQ(w->RunState, 1);
    dialogs.answers.push_back(ui::vbNo);
    w->cmdStop->click();
    EXPECT_EQ(dialogs.texts().last(), "Are you sure to stop running test?");
    EXPECT_EQ(w->RunState, 1);

    EXPECT_FALSE(w->close());
    EXPECT_EQ(dialogs.texts().last(),
              "PVT test cannot be closed while a test is running. Click the Stop button if you want to stop the "
              "test.");
    dialogs.answers.push_back(ui::vbYes);
    w->cmdStop->click();
    EXPECT_EQ(w->RunState, 0);
    EXPECT_TRUE(w->cmdExit->isEnabled() && w->cmdZero->isEnabled() && w->cmdStart_Stop->isEnabled());
    EXPECT_TRUE(w->close());
}

TEST_F(PvtWindow, RefreshTakesTheEditedSequence) {
    // Steps of 0 minutes at 0 °F end on their third tick (the silent unit reads 0 °F).
    const qint32 id = StoreSequence(conn, "S1", {SeqStep{0, 0}, SeqStep{0, 0}, SeqStep{60, 0}});
    pick("S1");
    w->optLag->click();
    start();
    while (w->RunState == 1 && w->CurStep < 3) tick();
    ASSERT_EQ(w->CurStep, 3);
    tick();
    tick();
    tick();

    // Lengthened: the end time moves out, the step starts its time again.
    sql(QStringLiteral("INSERT INTO SEQUENCE_RAMP (SEQUENCE_ID, RAMP_NO, RAMP_ELAPSE_TIME, RAMP_TEMP, "
                       "RAMP_START_ERROR, SPEED, RECORD_RATE, RAMP_PRESS, RUN_RAMP, TEMPRAMP_RATE, CYCLE_LABEL, "
                       "FEILD1) VALUES (%1, 4, 30, 0, 5, 50, 0, 0, 0, 0, 1, 0)")
            .arg(id));
    w->cmdRefresh->click();
    EXPECT_EQ(w->mStepCount, 4);
    EXPECT_EQ(w->StepSeconds, 0);
    EXPECT_EQ(w->RunState, 1);
    EXPECT_EQ(w->EndTime->text(), "End Time: " + runloop::GeneralDate(clock.dateTime().addSecs(90 * 60)));

    // Shortened below the current step: the test stops.
    sql(QStringLiteral("DELETE FROM SEQUENCE_RAMP WHERE SEQUENCE_ID = %1 AND RAMP_NO > 1").arg(id));
    w->cmdRefresh->click();
    EXPECT_EQ(w->RunState, 0);
    EXPECT_EQ(w->Status->text(), "Test Stop");
    w->cmdRefresh->click();  // idle: nothing
    EXPECT_EQ(w->mStepCount, 1);
}

// A step's speed from a shear rate has many decimals; the speed set-point
// box shows it in the format the step's speed is entered in, whole in its
// box: at Start, at the next step and at Refresh.
TEST_F(PvtWindow, TheSpeedSetPointShowsInItsFormat) {
    // Steps of 0 minutes at 0 °F end on their third tick (the silent unit reads 0 °F).
    const qint32 id = StoreSequence(conn, "SR", {SeqStep{0, 0, 5, 99.8652581015019}, SeqStep{60, 0, 5, 0.5}});
    pick("SR");
    w->optLag->click();
    auto shownWhole = [&](const char* expected) {
        EXPECT_EQ(w->txtspeedset->text(), expected);
        const QRect inside = w->txtspeedset->contentsRect();
        EXPECT_LT(w->txtspeedset->fontMetrics().horizontalAdvance(w->txtspeedset->text()), inside.width());
    };
    start();
    ASSERT_EQ(w->RunState, 1);
    shownWhole("99.87");
    while (w->RunState == 1 && w->CurStep < 2) tick();
    ASSERT_EQ(w->CurStep, 2);
    shownWhole("0.5");
    sql(QStringLiteral("UPDATE SEQUENCE_RAMP SET SPEED = 312.3456789 WHERE SEQUENCE_ID = %1 AND RAMP_NO = 2").arg(id));
    w->cmdRefresh->click();
    shownWhole("312.35");
}

TEST_F(PvtWindow, ZeroAndTheReadingsLog) {
    w->cmdZero->click();
    EXPECT_EQ(dialogs.texts(), QStringList{"Select piston size first."});
    w->optLag->click();
    w->reply.SampleHeight = 0.25;
    w->cmdZero->click();
    w->cmdZero->click();  // the same position again: the height now reads 0 from the next frame
    EXPECT_EQ(w->reply.ZeroOffset, 0.5);

    w->Units(2);
    w->reply.RawPosition = 512.5;
    w->reply.SampleHeight = -0.25;
    w->cmdSave->click();
    w->cmdSave->click();
    QFile f(dataFile(QStringLiteral("ReadData.csv")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    ASSERT_EQ(lines.size(), 3);  // two lines, each ended by CR LF
    const QByteArray expected = " 2 ," + runloop::GeneralDate(clock.dateTime()).toLatin1() + ", 512.5 ,-.25 ";
    EXPECT_TRUE(lines[0].startsWith(expected)) << lines[0].toStdString();
    EXPECT_EQ((lines[0].size() - 1) % 14, 0);  // blanks up to the next print zone, then CR
    EXPECT_TRUE(lines[0].endsWith(" \r"));
    EXPECT_EQ(lines[0], lines[1]);
}

TEST_F(PvtWindow, AReadingsLogThatCannotBeWrittenIsSaid) {
    // A folder where the file belongs: no one can write it, root included.
    ASSERT_TRUE(QDir(gAppPath).mkdir(QStringLiteral("ReadData.csv")));
    w->cmdSave->click();
    EXPECT_EQ(dialogs.texts(), QStringList{"Err.Number:  75     Path/File access error"});
}

TEST_F(PvtWindow, ChartFailuresAreShownNotThrown) {
    // Before any start the boxes do nothing.
    w->chkTemp->click();
    EXPECT_TRUE(dialogs.texts().isEmpty());
    EXPECT_EQ(w->Pesgo1->subsets(), 1);

    StoreSequence(conn, "S1", {SeqStep{10}});
    pick("S1");
    w->optLag->click();
    start();
    ASSERT_EQ(w->RunState, 1);
    EXPECT_EQ(w->Pesgo1->subsets(), 2);  // the boxes ticked before the start are laid out
    sql(QStringLiteral("DROP TABLE TEST_RESULT"));
    w->mSamples.Forget();
    w->chkPress->click();
    ASSERT_EQ(dialogs.texts().size(), 1);
    EXPECT_TRUE(dialogs.texts()[0].startsWith("ERROR: ")) << dialogs.texts()[0].toStdString();
}

TEST_F(PvtWindow, ThePistonCalibrationComesFromItsFileInTheDataFolder) {
    const auto previous = frmPVTtest::SetCalibrationReader(nullptr);  // the files themselves
    const std::vector<double> heights = {0, 0.25, 0.5, 0.75, 1};
    const std::vector<double> readings = {1000, 800, 600, 400, 200};
    const std::vector<double> segments = {0, 0.5, 0.5, 0.5, 0.5};
    const std::vector<double> zeros(5, 0.0);
    ASSERT_TRUE(calibration::SavePistonCalibration(calibration::Piston::Large, 1,
                                                   calibration::PistonLine(heights, readings, zeros, segments))
                    .ok);
    // A small piston's line where the large piston's belongs.
    ASSERT_TRUE(calibration::SavePistonCalibration(
                    calibration::Piston::Large, 2,
                    calibration::PistonLine({0, 0.25, 0.5, 0.75}, {1000, 800, 600, 400}, {0, 0, 0, 0}, {0, 1, 1, 1}))
                    .ok);
    w->optLag->click();
    EXPECT_TRUE(dialogs.texts().isEmpty());
    ASSERT_TRUE(w->reply.calibration.loaded());
    EXPECT_EQ(w->reply.calibration.readings, readings);
    EXPECT_EQ(w->reply.calibration.intercepts, segments);

    struct Case {
        int unit;
        bool large;
        const char* message;
    } cases[] = {
        {2, true, "No matching calibration data found.  Please calibrate."},
        {1, false, "ERROR reading calibration data - "},  // no CALIsmal.dat
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unit);
        dialogs.clear();
        w->Units(c.unit);
        (c.large ? w->optLag : w->optSml)->setChecked(false);
        (c.large ? w->optLag : w->optSml)->click();
        ASSERT_EQ(dialogs.texts().size(), 1);
        EXPECT_TRUE(dialogs.texts()[0].startsWith(QString::fromLatin1(c.message))) << dialogs.texts()[0].toStdString();
        EXPECT_FALSE(w->reply.calibration.loaded());
    }
    frmPVTtest::SetCalibrationReader(previous);
}

TEST_F(PvtWindow, CalibrateHandsTheUnitToTheCalibrationWindow) {
    // Units 1 .. 4 on ports 3, 0, 5, 6: unit 4 is the third with a port.
    writePorts({3, 0, 5, 6});
    noDevice(3);
    noDevice(6);
    w->Units(4);
    w->optSml->click();
    auto* sub = new frmPVTtest;  // a second window whose close is watched
    sub->Units(4);
    sub->optSml->click();
    QPointer<frmPVTtest> watched(sub);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->show();
    sub->cmdCalibrate->click();
    QCoreApplication::processEvents();
    frmCalibrateTorque* c = frmCalibrateTorque::Instance();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->CurrentTab, 2);
    EXPECT_EQ(c->cmbInstName[2]->currentIndex(), 2);
    EXPECT_EQ(c->Combo1->currentIndex(), 1);  // the small piston
    EXPECT_TRUE(watched.isNull());            // the test window closed itself
    delete c;

    // No piston chosen: the piston list is left alone. While a test runs: nothing.
    frmPVTtest none;
    none.Units(1);
    none.cmdCalibrate->click();
    c = frmCalibrateTorque::Instance();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Combo1->currentIndex(), -1);
    delete c;
    none.RunState = 1;
    none.lblTestname->setText("PVT A");
    dialogs.clear();
    none.cmdCalibrate->click();
    EXPECT_EQ(frmCalibrateTorque::Instance(), nullptr);
    // It says why, naming the running test.
    EXPECT_EQ(dialogs.texts(), QStringList{"The calibration cannot take the unit's port while the test \"PVT A\" "
                                           "runs: stop the test or let it end, then press Calibrate again."});
    none.RunState = 0;
}

TEST_F(PvtWindow, BriefExcelCopiesTheLiveGrid) {
    gUnitSystem = 2;
    SetUnitLabels();
    frmPVTtest si;
    FlexGrid& grid = *si.MSFlexGrid1;
    grid.Rows(4);
    for (int r = 1; r <= 3; ++r)
        for (int c = 0; c < 8; ++c) grid.TextMatrix(r, c, QStringLiteral("r%1c%2").arg(r).arg(c));
    si.lblTestname->setText(QStringLiteral("Brine A"));
    const QString path = si.ExportPvtExcelReport();
    ASSERT_FALSE(path.isEmpty());
    EXPECT_TRUE(QFileInfo(path).fileName().startsWith("Brine A PVT Brief Excel ")) << path.toStdString();
    testing_support::XlsxSheet sheet(path);
    ASSERT_TRUE(sheet.ok()) << sheet.error().toStdString();
    EXPECT_EQ(sheet.filledRows(), (QList<int>{1, 2, 5, 6, 7, 8}));
    EXPECT_EQ(sheet.text(1, 1), "Z3080daq PVT Test Report");
    EXPECT_EQ(sheet.text(2, 1), "Results:");
    // The header cell keeps its line break, as the LF a spreadsheet shows.
    EXPECT_EQ(sheet.text(5, 4), QString::fromUtf8("Temp \n(°C)"));
    EXPECT_EQ(sheet.text(8, 8), "r3c7");
    EXPECT_EQ(sheet.pageSetup.value("orientation"), "landscape");
    EXPECT_EQ(sheet.pageSetup.value("fitToHeight"), "10");

    // A workbook that cannot be written says so (here the reports folder is a file).
    QFile blocker(ReportsFolder());
    QDir().rmpath(ReportsFolder());
    QDir(ReportsFolder()).removeRecursively();
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    dialogs.clear();
    EXPECT_TRUE(si.ExportPvtExcelReport().isEmpty());
    ASSERT_EQ(dialogs.texts().size(), 1);
    EXPECT_TRUE(dialogs.texts()[0].startsWith("The workbook could not be written.")) << dialogs.texts()[0].toStdString();
}

TEST_F(PvtWindow, BriefExcelOfALongTestNameKeepsTheReportAndTime) {
    frmPVTtest w2;
    w2.lblTestname->setText(QString(200, QLatin1Char('N')));
    const QString path = w2.ExportPvtExcelReport();
    ASSERT_FALSE(path.isEmpty()) << dialogs.texts().join('\n').toStdString();
    const QString name = QFileInfo(path).completeBaseName();
    EXPECT_TRUE(name.startsWith(QStringLiteral("NNNN"))) << name.toStdString();
    EXPECT_TRUE(name.contains(QRegularExpression(QStringLiteral(" PVT Brief Excel \\d{4}-\\d\\d-\\d\\d \\d\\d\\.\\d\\d$"))))
        << name.toStdString();
}

TEST_F(PvtWindow, AWindowWhosePortIsNotOpenStartsNothing) {
    StoreSequence(conn, "S1", {SeqStep{0, 0}, SeqStep{0, 0, 5, 300, 1}});
    pick("S1");
    w->optLag->click();
    w->PortOpenHook = nullptr;  // the port never opened (or another window holds the unit)
    w->SendHook = nullptr;
    dialogs.clear();
    AnswerPvtInfo answer(Entry(QStringLiteral("Closed")));
    w->cmdStart_Stop->click();
    EXPECT_EQ(answer.shown, 0);
    ASSERT_EQ(dialogs.texts().size(), 1);
    EXPECT_EQ(dialogs.texts()[0], w->PortNotOpenMessage(QStringLiteral("The test cannot be started")));
    EXPECT_TRUE(dialogs.texts()[0].startsWith("The test cannot be started: the unit's port 1 ("))
        << dialogs.texts()[0].toStdString();
    EXPECT_EQ(w->RunState, 0);
    for (int i = 0; i < 12; ++i) tick();
    EXPECT_EQ(w->RunState, 0);
    EXPECT_EQ(count("TEST_INFO"), 0);
    EXPECT_EQ(count("TEST_RESULT"), 0);
    EXPECT_EQ(w->Status->text(), "");
}

TEST_F(PvtWindow, TheRunningSequenceIsNeverSwapped) {
    StoreSequence(conn, "Long", {SeqStep{10, 0, 5, 120, 5}, SeqStep{10, 0}});
    StoreSequence(conn, "Short", {SeqStep{1, 300}});
    pick("Long");
    w->optLag->click();
    // A picker opened before Start, confirmed while the test runs.
    w->cmdSelect->click();
    QPointer<frmNameSeq> early = w->cfNameSeq.data();
    start();
    ASSERT_EQ(w->RunState, 1);
    for (int i = 0; i < 12; ++i) tick();
    const int rows = w->MSFlexGrid1->Rows();
    ASSERT_GT(rows, 1);
    dialogs.clear();

    const auto expectUntouched = [&] {
        EXPECT_EQ(w->RunState, 1);
        EXPECT_EQ(w->mStepCount, 2);
        EXPECT_EQ(w->mStepSpeed.value(1), 120);
        EXPECT_EQ(w->SeqName, "Long");
        EXPECT_EQ(w->lblSelectSeq->text(), "Long");
        EXPECT_EQ(w->MSFlexGrid1->Rows(), rows);
        EXPECT_EQ(dialogs.texts(), QStringList{runloop::SequenceLockedMessage()});
    };
    ASSERT_TRUE(early);
    const auto items = early->lstSeqName->findItems("Short", Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1);
    early->lstSeqName->setCurrentItem(items[0]);
    early->cmdOk->click();
    expectUntouched();
    EXPECT_TRUE(early);  // still offered for after the run

    dialogs.clear();
    w->cmdSelect->click();
    expectUntouched();

    // After the run the choice is free again.
    dialogs.answers.push_back(ui::vbYes);
    w->cmdStop->click();
    ASSERT_EQ(w->RunState, 0);
    dialogs.clear();
    early->cmdOk->click();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(w->SeqName, "Short");
    EXPECT_EQ(w->mStepCount, 1);
}

TEST_F(PvtWindow, TheStartDialogShowsThePistonsRadiusAndCellLength) {
    StoreSequence(conn, "S1", {SeqStep{}});
    pick("S1");
    w->optSml->click();
    QString radiusUnit, cellCaption, cellLength;
    bool radiusUnitShown = false, cellBoxShown = false, cellUnitShown = true;
    const ui::ModalShower previous = ui::setModalShower([&](QDialog& d) {
        auto& dlg = dynamic_cast<frmTestRelatedInfo&>(d);
        radiusUnit = dlg.Label7->text();
        radiusUnitShown = !dlg.Label7->isHidden();
        cellCaption = dlg.Label1(9)->text();
        cellBoxShown = !dlg.txtPostTestPH->isHidden() && !dlg.Label1(9)->isHidden();
        cellUnitShown = !dlg.Label5->isHidden();
        cellLength = dlg.txtPostTestPH->text();
        dlg.cmdCancel_Click();
        return int(QDialog::Rejected);
    });
    w->cmdStart_Stop->click();
    ui::setModalShower(previous);
    EXPECT_EQ(radiusUnit, "cm");  // the piston's radius, not the rotor's "(min)"
    EXPECT_TRUE(radiusUnitShown);
    EXPECT_EQ(cellCaption, "Length of cell");
    EXPECT_TRUE(cellBoxShown);  // the stored value is seen where it is named
    EXPECT_FALSE(cellUnitShown);
    EXPECT_EQ(cellLength, "3.875");
}

// Start while another program holds the database: refused at once with the
// database's state; nothing stored, no run, and the window names no test
// that does not exist. Started again once the database is free, it runs.
TEST_F(PvtWindow, AStartTheDatabaseRefusesStoresNothingAndNamesNoTest) {
    StoreSequence(conn, "S1", {SeqStep{10, 0, 5, 120, 5}});
    pick("S1");
    w->optLag->click();
    const QString shown = w->lblTestname->text();
    std::optional<testing_support::LockedDatabase> lock;
    PvtEntry entry = Entry(QStringLiteral("PVT A"), "250", "1.3");
    entry.additives = QStringList{"KCl"};
    entry.beforeOk = [&] { lock.emplace(db.path()); };
    start(entry);
    lock.reset();
    EXPECT_EQ(dialogs.texts(), QStringList{"The test was not started: the database is in use by another program. "
                                           "Nothing was stored; try again."});
    EXPECT_EQ(w->RunState, 0);
    EXPECT_EQ(count("TEST_INFO"), 0);
    EXPECT_EQ(count("TEST_ADDITIVE"), 0);
    EXPECT_EQ(w->lblTestname->text(), shown);
    EXPECT_NE(w->txtiniV->text(), "250");

    dialogs.clear();
    entry.beforeOk = nullptr;
    start(entry);
    EXPECT_EQ(w->RunState, 1) << dialogs.texts().join(';').toStdString();
    EXPECT_EQ(w->lblTestname->text(), "PVT A");
    EXPECT_EQ(w->txtiniV->text(), "250");
    EXPECT_EQ(count("TEST_INFO"), 1);
    EXPECT_EQ(count("TEST_ADDITIVE"), 1);
}

TEST_F(PvtWindow, ALineLostUnderTheTestDialogStoresNothing) {
    StoreSequence(conn, "S1", {SeqStep{10, 0, 5, 120, 5}});
    pick("S1");
    w->optLag->click();
    PvtEntry entry = Entry(QStringLiteral("PVT A"));
    entry.beforeOk = [&] { w->PortOpenHook = [] { return false; }; };
    start(entry);
    EXPECT_EQ(w->RunState, 0);
    EXPECT_EQ(count("TEST_INFO"), 0);
    EXPECT_EQ(dialogs.texts().last(), w->PortNotOpenMessage("The test cannot be started"));
    for (int i = 0; i < 12; ++i) tick();
    EXPECT_EQ(count("TEST_RESULT"), 0);
}

// A database with no room left while a PVT run records: the rows due wait,
// the progress panel names the unit, the test, how many and the database's
// words, the first refusal is said once in the run's words. Once there is
// room again they are stored in order, once each, and the grid and chart
// take them.
TEST_F(PvtWindow, RowsADatabaseWithNoRoomRefusesWaitAndAreStoredInOrder) {
    StoreSequence(conn, "S1", {SeqStep{10, 72, 5, 120, 10, 0}});
    pick("S1");
    w->optLag->click();
    start(Entry(QStringLiteral("PVT A")));
    ASSERT_EQ(w->RunState, 1);
    const auto tickTo = [&](qint64 seconds) {
        for (int i = 0; i < 1000 && w->ElapsedSeconds < seconds; ++i) tick();
    };
    const auto stored = [&] {
        std::vector<double> times;
        for (const QVariant& t : sql(QStringLiteral("SELECT RESULT_TIME FROM TEST_RESULT WHERE TEST_ID = %1 "
                                                    "ORDER BY TEST_RESULT_ID")
                                         .arg(w->TestId))
                                     ->columns.value(0))
            times.push_back(t.toDouble());
        return times;
    };
    const auto samples = [&] { return w->mSamples.Of(w->TestId, *w->mTestResult, &conn).size(); };
    tickTo(25);
    ASSERT_EQ(stored(), (std::vector<double>{10, 20}));

    testing_support::FullDatabase full(conn);
    ASSERT_TRUE(full.full());
    tickTo(55);
    EXPECT_EQ(w->RunState, 1);
    EXPECT_EQ(w->RowsWaiting(), 3);  // 30, 40, 50
    EXPECT_EQ(w->StepTime->text(),
              "Unit 1, test \"PVT A\": 3 points waiting to be stored (database or disk is full)");
    // Nothing was lost: the program's one notice, not a box of the unit's.
    EXPECT_EQ(dialogs.texts(), QStringList{runloop::RowsWaitingNotice("database or disk is full")});
    EXPECT_EQ(w->MSFlexGrid1->TextMatrix(1, 2), "0.33");  // the grid's last point: 20 s
    EXPECT_EQ(samples(), 2u);

    full.MakeRoom();
    tick();
    EXPECT_EQ(w->RowsWaiting(), 0);
    EXPECT_EQ(stored(), (std::vector<double>{10, 20, 30, 40, 50}));
    EXPECT_EQ(w->MSFlexGrid1->TextMatrix(1, 2), "0.83");  // 50 s
    EXPECT_EQ(samples(), 5u);
    EXPECT_TRUE(w->StepTime->text().startsWith("Current Step (1) Cycle (1) Time: ")) << w->StepTime->text().toStdString();
    EXPECT_EQ(w->RowsNotSaved, 3);
}

// After Stop and at the end of a run the status bar speaks of no step and
// of no planned end ("Current Step (2) ... End Time ..." used to stay): the
// run's start and elapsed time stay, and "Test Stop".
TEST_F(PvtWindow, AfterStopAndAtTheEndOfARunTheStatusBarShowsNoStepAndNoEndTime) {
    StoreSequence(conn, "Two", {SeqStep{1, 75, 500}, SeqStep{1, 75, 500}});
    for (bool stop : {true, false}) {
        SCOPED_TRACE(stop ? "Stop" : "the sequence ends");
        pick("Two");
        w->optLag->click();
        start(Entry(stop ? QStringLiteral("PVT stopped") : QStringLiteral("PVT ended")));
        ASSERT_EQ(w->RunState, 1);
        for (int i = 0; i < 1000 && w->RunState == 1 && (w->CurStep < 2 || w->StepSeconds < 5); ++i) tick();
        ASSERT_TRUE(w->StepTime->text().startsWith("Current Step (2) Cycle (1) Time: ")) << w->StepTime->text().toStdString();
        ASSERT_TRUE(w->EndTime->text().startsWith("End Time: "));
        if (stop) {
            dialogs.answers.push_back(ui::vbYes);
            w->cmdStop->click();
        } else {
            for (int i = 0; i < 1000 && w->RunState == 1; ++i) tick();
        }
        ASSERT_EQ(w->RunState, 0);
        tick();  // the window goes on ticking
        EXPECT_EQ(w->StepTime->text(), "");
        EXPECT_EQ(w->EndTime->text(), "");
        EXPECT_EQ(w->Status->text(), "Test Stop");
        EXPECT_TRUE(w->StartTime->text().startsWith("Start Time: ")) << w->StartTime->text().toStdString();
        EXPECT_TRUE(w->ElapsedTime->text().startsWith("Elapsed Time: ")) << w->ElapsedTime->text().toStdString();
        dialogs.clear();
    }
}
