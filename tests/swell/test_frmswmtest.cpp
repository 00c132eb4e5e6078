// The swell test window over the test database, its timer ticked by hand on
// a manual clock: load, calibration per unit, START's checks and records, the
// run's rows in the grid and the database, the chart, closing.

#include "support/StoredRows.h"
#include "SwellFixture.h"

#include "analysis/ResultGridLines.h"
#include "analysis/ResultPoints.h"
#include "data/DateText.h"
#include "data/Settings.h"
#include "data/Numbers.h"
#include "data/TypedNumbers.h"
#include "data/Units.h"
#include "calibration/frmCalibrateTorque.h"
#include "platform/PeChart.h"
#include "support/UnitSimulator.h"
#include "support/DatabaseFaults.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QStatusBar>
#include <QKeyEvent>

using namespace swell_tests;
using unit_tests::SeqStep;
using unit_tests::StoreSequence;

namespace {

QString frameOf(double temp, double press, double volts, const char* status = "01") {
    return QStringLiteral("#%1,%2,0,0,0,%3,0,0,%4,0").arg(status).arg(temp).arg(press).arg(volts);
}

class SwellWindow : public SwellFixture {
protected:
    // A window of unit 1 ready to START: the sequence "Swell 1" of one step of
    // that many minutes (212 °F, 1000 psi, a row every 10 s) picked, two
    // frames of the sample at 212 °F and 1.0 V read, the wafer zeroed at 0.4 in.
    std::unique_ptr<frmSWMTest> readyToStart(double minutes) {
        StoreSequence(conn, "Swell 1", {SeqStep{minutes, 212, 5, 0, 10, 1000}});
        auto w = open(1);
        pick(*w, "Swell 1");
        tick(*w, frameOf(212, 0, 1.0));
        tick(*w, frameOf(212, 0, 1.0));
        zero(*w, "0.4", 1.0);
        return w;
    }
};

}  // namespace

TEST_F(SwellWindow, LoadTakesItsOwnUnitsCalibrationAndTheUnitCaptions) {
    gUnitSystem = 2;
    gMaxPress = 20000;
    writeCalibration({kExampleLine, "1,2,4, 1 , 1 , 1 , 1 "});
    auto one = open(1);
    auto two = open(2);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(gMaxPress, 20000);  // another unit's trip limit is not raised
    EXPECT_EQ(two->lblInstName->text(), "Unit 2");
    EXPECT_EQ(one->Label29->text(), "(°C)");
    EXPECT_EQ(one->Label40->text(), "(mm)");
    EXPECT_EQ(one->lblCaliVolt[2]->text(), "2.0");
    EXPECT_EQ(one->lblSlope[1]->text(), "0.830482");
    EXPECT_EQ(two->lblIntercept[1]->text(), "1.0");
    EXPECT_EQ(one->MSFlexGrid1->TextMatrix(0, 3), "Temp (°C)");
    EXPECT_EQ(one->MSFlexGrid1->TextMatrix(0, 6), "Length Change (mm)");
    EXPECT_EQ(one->MSFlexGrid1->Cols(), 8);
    EXPECT_TRUE(one->chkSwell->isChecked());
    EXPECT_EQ(one->Pesgo1->mainTitle(), "LSM test");
    EXPECT_EQ(one->Pesgo1->yAxisLabel(0), "Swell %");
    EXPECT_EQ(one->Pesgo1->subsetLabel(0), "Swell% ");

    // Each window computes with its own unit's sensor, whichever loaded last.
    const QString frame = frameOf(74, 0, 1.5) + QChar(26);
    one->reply.Parse(frame);
    two->reply.Parse(frame);
    EXPECT_DOUBLE_EQ(one->reply.state.SensorLength, 0.4 + 0.830482023721841 * std::log10(1.5));
    EXPECT_DOUBLE_EQ(two->reply.state.SensorLength, 1 + std::log10(1.5));

    // A unit without a line, and one whose coefficients are 0.
    writeCalibration({kExampleLine, "1,2,4, 0 , 0 , 1 , 1 "});
    auto three = open(3);
    auto zeroCoefficients = open(2);
    EXPECT_EQ(dialogs.texts(), QStringList({"No calibration data saved, please complete calibration first",
                                            "Unit 2  not calibrated yet!"}));
    EXPECT_TRUE(three->lblCaliVolt[1]->text().isEmpty());
    EXPECT_TRUE(zeroCoefficients->lblCaliVolt[1]->text().isEmpty());
}

TEST_F(SwellWindow, StartIsRefusedUntilSequenceCalibrationZeroAndSetPointsAreRight) {
    StoreSequence(conn, "Swell 1", {SeqStep{10, 150, 5, 0, 60, 1000}});
    StoreSequence(conn, "Empty", {});
    writeCalibration({kExampleLine, ""});
    auto w = open(1);
    auto uncalibrated = open(2);
    dialogs.clear();

    w->cmdStart->click();
    pick(*w, "Empty");
    EXPECT_TRUE(w->SeqName.isEmpty());
    w->cmdStart->click();
    pick(*w, "Swell 1");
    pick(*uncalibrated, "Swell 1");
    EXPECT_EQ(w->txtTemps->text(), "150");
    EXPECT_EQ(w->txtPress->text(), "1000");
    EXPECT_EQ(w->txtInterval->text(), "60");
    EXPECT_EQ(w->RecordInterval, 60);
    for (const QChar c : QStringLiteral("x5")) {  // typed: only digits are taken
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        w->txtInterval->setCursorPosition(int(w->txtInterval->text().size()));
        QCoreApplication::sendEvent(w->txtInterval, &press);
    }
    EXPECT_EQ(w->txtInterval->text(), "605");
    w->txtInterval->setText("60");
    EXPECT_EQ(w->mStepCount, 1);
    uncalibrated->cmdStart->click();
    w->cmdStart->click();  // not zeroed
    zero(*w, "0.4");
    w->txtTemps->setText("700");
    w->cmdStart->click();
    w->txtTemps->setText("150");
    {
        SampleEntry cancel;
        cancel.cancel = true;
        AnswerSample answer(cancel);
        w->cmdStart->click();
        EXPECT_EQ(answer.shown, 1);
    }
    EXPECT_EQ(dialogs.texts(),
              QStringList({"PLEASE SELECT SEQUENCE FIRST", "this sequence no data,cannot test",
                           "PLEASE SELECT SEQUENCE FIRST", "No calibration data, Calibrate first",
                           "Click ZERO to set a zero measurement value before starting the test",
                           "The temperature setting must in 600 and 0", "Test is not running "}));
    EXPECT_EQ(count("TEST_INFO"), 0);
    EXPECT_EQ(w->RunState, 0);
    EXPECT_EQ(w->cmdStart->text(), "START");
}

// Letters in a set-point box: SET, Preheat and Start are refused with the
// box named, nothing goes to the unit, nothing is stored or started; a
// number out of range keeps the range check's words. Letters that reach the
// interval box leave the recording interval as it was.
TEST_F(SwellWindow, LettersInASetPointBoxSendNothingAndNameTheBox) {
    auto w = readyToStart(1);
    QStringList sent;
    w->SendHook = [&](const QString& f) { sent << f; };
    ASSERT_GT(w->reply.state.SampleLength, 0);
    const struct {
        QLineEdit* box;
        const char* name;
    } boxes[] = {{w->txtTemps, "Temperature (°F)"}, {w->txtPress, "Pressure (psi)"}, {w->txtspeed, "Speed (rpm)"}};
    for (const auto& b : boxes) {
        for (const char* letters : {"abc", "15O"}) {
            SCOPED_TRACE(std::string(b.name) + " " + letters);
            w->txtTemps->setText("212");
            w->txtPress->setText("1000");
            w->txtspeed->setText("0");
            b.box->setText(QString::fromLatin1(letters));
            dialogs.clear();
            w->cmdTempSet->click();
            w->cmdPreHeat->click();
            {
                AnswerSample answer({});
                w->cmdStart->click();
                EXPECT_EQ(answer.shown, 0);
            }
            const QString refusal = typed::NotANumberMessage(QString::fromUtf8(b.name), QString::fromLatin1(letters));
            EXPECT_EQ(dialogs.texts(), QStringList({refusal, refusal, refusal}));
            EXPECT_TRUE(sent.isEmpty());
            EXPECT_EQ(w->RunState, 0);
            EXPECT_EQ(count("TEST_INFO"), 0);
        }
    }
    w->txtTemps->setText("700");
    w->txtspeed->setText("0");
    dialogs.clear();
    w->cmdTempSet->click();
    EXPECT_EQ(dialogs.texts(), QStringList({"The temperature setting must in 600 and 0", "Need reset data."}));
    EXPECT_TRUE(sent.isEmpty());

    ASSERT_EQ(w->RecordInterval, 10);
    dialogs.clear();
    w->txtInterval->setText("15O");  // past the box's validator
    EXPECT_EQ(w->RecordInterval, 10);
    EXPECT_EQ(dialogs.texts(), QStringList{typed::NotANumberMessage("Data Interval (sec)", "15O")});
    w->txtInterval->setText("");
    EXPECT_EQ(w->RecordInterval, 10);
    w->txtInterval->setText("15");
    EXPECT_EQ(w->RecordInterval, 15);
}

// Letters in a value of the test information dialog: Start is refused with
// the box named, nothing is stored, nothing goes to the unit.
TEST_F(SwellWindow, LettersInTheTestInformationStoreNothing) {
    auto w = readyToStart(1);
    QStringList sent;
    w->SendHook = [&](const QString& f) { sent << f; };
    const struct {
        QString SampleEntry::* field;
        const char* name;
    } fields[] = {{&SampleEntry::weight, "Sample_Wt"},
                  {&SampleEntry::hardness, "Sample_Hardness"},
                  {&SampleEntry::compPress, "Sample_Comp._Press"},
                  {&SampleEntry::compTime, "Sample_Comp._Time"}};
    for (const auto& f : fields) {
        for (const char* letters : {"abc", "15O"}) {
            SCOPED_TRACE(std::string(f.name) + " " + letters);
            dialogs.clear();
            SampleEntry entry;
            entry.*(f.field) = QString::fromLatin1(letters);
            AnswerSample answer(entry);
            w->cmdStart->click();
            EXPECT_EQ(answer.shown, 1);
            EXPECT_TRUE(dialogs.texts().value(0).startsWith(QString::fromLatin1(f.name) + ": \"" + letters + "\""))
                << dialogs.texts().join("|").toStdString();
            EXPECT_EQ(count("TEST_INFO"), 0);
            EXPECT_TRUE(sent.isEmpty());
            EXPECT_EQ(w->RunState, 0);
        }
    }
}

// A stored test of the same name (stored while the dialog is open, past its
// check of names) takes neither the run's points nor its additives.
TEST_F(SwellWindow, ARunWithANamesakeStoredRecordsUnderItsOwnNewTest) {
    auto w = readyToStart(1);
    const auto sql = [&](const QString& text) { return db::Command(conn.ADOConnection(), text).execute(); };
    SampleEntry entry;
    entry.additives = QStringList({"KCl"});
    entry.beforeOk = [&] { sql("INSERT INTO TEST_INFO (TEST_NAME) VALUES ('" + entry.name + "')"); };
    AnswerSample answer(entry);
    w->cmdStart->click();
    ASSERT_EQ(w->RunState, 1) << dialogs.texts().join(";").toStdString();
    const auto keys = sql("SELECT TEST_ID FROM TEST_INFO ORDER BY TEST_ID")->columns[0];
    ASSERT_EQ(keys.size(), 2);
    const qint32 older = keys[0].toInt(), newer = keys[1].toInt();
    EXPECT_EQ(w->TestId, newer);

    for (int i = 0; i < 10 && w->RunState == 1; ++i) tick(*w, frameOf(212, 1000, 1.5));
    const int points = count("TEST_RESULT");
    ASSERT_GT(points, 0);
    testing_support::ExpectRowsUnderTheNewerOnly(conn, newer, older, points, 1);
}

// A step a sequence may hold is never refused in the middle of a run. In SI
// the sequence editor stores 316 °C as 601 °F (its box shows 316.1): the
// pick and START take it, and the step change sends its set points like any
// other, with no box of any kind and nothing held back.
TEST_F(SwellWindow, AStepChangeSendsTheNextStepsSetPointsWithoutABox) {
    gUnitSystem = 2;
    SetUnitLabels();  // the SI limits, -18 to 316 °C
    StoreSequence(conn, "Hot step", {SeqStep{0.05, 212, 5, 0, 10, 1000}, SeqStep{1, 601, 700, 0, 10, 2000}});
    auto w = open(1);
    QStringList sent;
    w->SendHook = [&sent](const QString& frame) { sent << frame; };
    pick(*w, "Hot step");
    tick(*w, frameOf(212, 0, 1.0));
    zero(*w, "10.16");  // 0.4 in.
    ASSERT_GT(w->reply.state.SampleLength, 0);
    {
        AnswerSample answer({});
        w->cmdStart->click();
    }
    ASSERT_EQ(w->RunState, 1) << dialogs.texts().join(";").toStdString();
    ASSERT_EQ(sent, QStringList{QString("\x01" "212.0,01000,000.000 1\r")});
    dialogs.clear();
    for (int i = 0; i < 10 && w->CurStep == 1; ++i) tick(*w, frameOf(212, 1000, 1.0));
    ASSERT_EQ(w->CurStep, 2);
    EXPECT_EQ(w->txtTemps->text(), "316.1");
    EXPECT_EQ(sent.last(), QString("\x01" "601.0,02000,000.000 1\r"));
    for (int i = 0; i < 5; ++i) tick(*w, frameOf(601, 2000, 1.0));
    EXPECT_EQ(w->RunState, 1);
    EXPECT_EQ(w->CurStep, 2);
    EXPECT_TRUE(dialogs.modal.empty()) << dialogs.modalTexts().join(";").toStdString();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join(";").toStdString();
}

// A sequence with a step the run may not hold is refused at the pick and
// again at START (what a step may hold can change in between: the unit's Max
// Pressure, the unit system), the message naming the step; no test starts.
TEST_F(SwellWindow, AStepOutOfRangeIsRefusedAtThePickAndAtStartNamingTheStep) {
    struct Case {
        const char* name;
        int unitSystem;
        SeqStep second;
        std::function<void(frmSWMTest&)> sincePick;  // nothing: refused at the pick
        QString message;
    } cases[] = {
        {"the pick", 1, SeqStep{1, 650, 5, 0, 10, 1000}, nullptr,
         "Step 2: the temperature (°F) 650 is out of range (0 to 600)."},
        {"Start, the Max Pressure lowered", 1, SeqStep{1, 212, 5, 0, 10, 25000},
         [](frmSWMTest& w) { w.MaxPress(20000); }, "Step 2: the pressure (psi) 25000 is out of range (0 to 20000)."},
        {"Start, the unit system changed", 2, SeqStep{1, 601, 5, 0, 10, 1000},
         [](frmSWMTest&) {
             gUnitSystem = 1;
             SetUnitLabels();
         },
         "Step 2: the temperature (°F) 601 is out of range (0 to 600)."},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gUnitSystem = c.unitSystem;
        SetUnitLabels();
        const QString name = QStringLiteral("Steps %1").arg(++n);
        StoreSequence(conn, name, {SeqStep{1, 212, 5, 0, 10, 1000}, c.second});
        auto w = open(1);
        tick(*w, frameOf(212, 0, 1.0));
        zero(*w, c.unitSystem == 1 ? "0.4" : "10.16");
        dialogs.clear();
        pick(*w, name);
        if (c.sincePick) {
            EXPECT_EQ(w->SeqName, name);
            c.sincePick(*w);
            AnswerSample answer({});
            w->cmdStart->click();
            EXPECT_EQ(answer.shown, 0);
        } else {
            EXPECT_TRUE(w->SeqName.isEmpty());
        }
        EXPECT_EQ(dialogs.modalTexts(), QStringList{c.message});
        EXPECT_EQ(w->RunState, 0);
        EXPECT_EQ(count("TEST_INFO"), 0);
    }
}

// A unit silent on a line that stays open: no row, no grid row and no chart
// point while nothing comes, the window says so, and rows follow again once
// frames come back.
TEST_F(SwellWindow, ASilentUnitStoresNoRowsAndTheWindowSaysSo) {
    auto w = readyToStart(5);
    AnswerSample answer({});
    w->cmdStart->click();
    ASSERT_EQ(w->RunState, 1) << dialogs.texts().join(";").toStdString();
    const QString swollen = frameOf(212, 1000, 1.5);
    while (count("TEST_RESULT") < 1) tick(*w, swollen);
    const int gridRows = w->MSFlexGrid1->Rows();
    const int chartPoints = w->Pesgo1->points();

    for (int i = 0; i < 25; ++i) tick(*w);  // nothing from the unit
    EXPECT_EQ(w->RunState, 1);
    EXPECT_EQ(count("TEST_RESULT"), 1);
    EXPECT_EQ(w->MSFlexGrid1->Rows(), gridRows);
    EXPECT_EQ(w->Pesgo1->points(), chartPoints);
    EXPECT_EQ(w->lblActiveFlag->text(), "No Response");
    EXPECT_EQ(w->StepTime->text(), "No readings from the unit: 2 points not recorded");

    tick(*w, swollen);
    EXPECT_TRUE(w->StepTime->text().startsWith("Current Step (1) Cycle (1) Time: ")) << w->StepTime->text().toStdString();
    EXPECT_EQ(w->lblActiveFlag->text(), "Running Test");
    while (count("TEST_RESULT") < 2 && w->RunState == 1) tick(*w, swollen);
    EXPECT_EQ(w->MSFlexGrid1->Rows(), gridRows + 1);
    EXPECT_EQ(w->PointsNotRecorded, 2);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join(";").toStdString();
}

TEST_F(SwellWindow, ARunStoresItsRowsInTheSwellColumnsAndEndsWithTheSequence) {
    gUnitSystem = 2;
    StoreSequence(conn, "Swell 2", {SeqStep{1, 212, 5, 0, 10, 1000, 0, 0, 2}, SeqStep{1, 212, 5, 0, 0, 0}});
    auto w = open(1);
    pick(*w, "Swell 2");
    EXPECT_EQ(w->txtTemps->text(), "100");  // the step's 212 °F in °C
    // The sample at 212 °F (the reference of the correction from START on),
    // the sensor at 1.0 V for a wafer of 10.16 mm (0.4 in.).
    tick(*w, frameOf(212, 0, 1.0));
    tick(*w, frameOf(212, 0, 1.0));
    EXPECT_EQ(w->lbltemp1->text(), "100.");
    zero(*w, "10.16", 1.0);
    SampleEntry entry;
    entry.additives = QStringList({"KCl", "Glycol"});
    AnswerSample answer(entry);
    w->cmdStart->click();
    ASSERT_EQ(w->RunState, 1);
    EXPECT_EQ(answer.presetType, "LSM");
    EXPECT_EQ(answer.presetLength, "10.16");
    EXPECT_FALSE(answer.lengthEditable);
    // The temperature goes out in °F.
    EXPECT_EQ(w->CommandText, QString("\x01") + "212.0,01000,000.000 1\r");
    EXPECT_EQ(w->Timer1.Interval(), 3000);
    EXPECT_EQ(w->cmdStart->text(), "STOP");
    EXPECT_FALSE(w->cmdExit->isEnabled());
    EXPECT_EQ(w->lblTestname->text(), "Shale wafer 1");
    EXPECT_EQ(w->lblFluid->text(), "KCl 3%");
    EXPECT_EQ(w->lblLen->text(), "10.16");
    // Step 1 twice (its two cycles), step 2 once.
    EXPECT_EQ(w->EndTime->text(), "End Time: " + GeneralDateText(QVariant(clock.dateTime().addSecs(180))));

    clsTEST_INFO info;
    info.ConnectX(&conn);
    info.TEST_NAME("Shale wafer 1");
    info.GetTestDetail();
    EXPECT_EQ(info.BOB_NO(), "LSM");
    EXPECT_EQ(info.Fluid_ID(), "KCl 3%");
    EXPECT_DOUBLE_EQ(info.BOB_RADIUS(), 12.5);
    EXPECT_DOUBLE_EQ(info.BOB_EFF_LENGTH(), 0.4);  // shown as 10.16 mm, stored in inches
    EXPECT_DOUBLE_EQ(info.PreTest_PH(), 40);
    EXPECT_DOUBLE_EQ(info.PostTest_PH(), 10000);
    EXPECT_EQ(info.ROTOR_NO(), "30");
    EXPECT_EQ(count("TEST_ADDITIVE"), 2);

    // The sample swells: 1.5 V at 1000 psi at the reference temperature.
    const QString swollen = frameOf(212, 1000, 1.5);
    while (w->RunState == 1 && w->ElapsedSeconds < 200) tick(*w, swollen);
    EXPECT_EQ(w->RunState, 0);
    EXPECT_EQ(w->cmdStart->text(), "START");
    EXPECT_EQ(w->Status->text(), "Test Stop");
    EXPECT_EQ(w->lbldist->text(), "3.72");  // mm

    clsTEST_RESULT rows;
    rows.Test_Id(w->TestId);
    rows.ConnectX(&conn);
    // Step 1 (10 s interval) twice, step 2 records nothing.
    ASSERT_GE(rows.TotalPoints(), 10);
    ASSERT_EQ(rows.TotalPoints(), w->MSFlexGrid1->Rows() - 1);
    rows.MoveFirst();
    const RowArray r = rows.All();
    EXPECT_EQ(r[clsTEST_RESULT::colRAMP_NO].toDouble(), 1);
    EXPECT_EQ(r[clsTEST_RESULT::colRAMP_STEP_NO].toDouble(), 0);
    EXPECT_EQ(r[clsTEST_RESULT::colCYCLE_NO].toDouble(), 1);
    EXPECT_EQ(r[clsTEST_RESULT::colRESULT_SAMPLE_TEMP].toDouble(), 212);
    EXPECT_EQ(r[clsTEST_RESULT::colRESULT_PRESS].toDouble(), 1000);
    EXPECT_NEAR(r[clsTEST_RESULT::colRESULT_SHEAR_STRESS].toDouble(), 0.146641, 5e-7);
    EXPECT_EQ(r[clsTEST_RESULT::colRESULT_BATH_TEMP].toDouble(), 1.5);
    EXPECT_EQ(r[clsTEST_RESULT::colRESULT_TYPE_ID].toDouble(), 0);
    const double firstTime = r[clsTEST_RESULT::colRESULT_TIME].toDouble();
    EXPECT_EQ(w->MSFlexGrid1->TextMatrix(1, 2), Format(firstTime / 60, "#0.0"));
    EXPECT_EQ(w->MSFlexGrid1->TextMatrix(1, 3), "100.");
    EXPECT_EQ(w->MSFlexGrid1->TextMatrix(1, 6), "3.72");
    EXPECT_EQ(w->MSFlexGrid1->TextMatrix(1, 7), "36.7");
    rows.MoveRel(rows.TotalPoints());
    EXPECT_EQ(rows.All()[clsTEST_RESULT::colCYCLE_NO].toDouble(), 2);

    // Stored in SI, opened in CGS: the sample length is stored in inches, so
    // the stored test's swell is the run's (0.146641 in on 0.4 in).
    gUnitSystem = 1;
    SetUnitLabels();
    std::vector<ResultPoint> points;
    for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext()) points.push_back(ResultPointFromRow(rows.All()));
    const QVector<QStringList> lines = LsmGridLines(points, info.BOB_EFF_LENGTH());
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines[0].value(7), "36.66%");
    gUnitSystem = 2;
    SetUnitLabels();

    // After the run the chart keeps drawing the test's swell.
    dialogs.clear();
    w->chkTemp->click();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(w->Pesgo1->points(), rows.TotalPoints());
    EXPECT_NEAR(w->Pesgo1->yData(0, 0), 36.66, 0.01);
    EXPECT_NEAR(w->Pesgo1->yData(1, 0), 100, 0.01);

    // A new run needs a new zeroing.
    w->cmdStart->click();
    EXPECT_EQ(dialogs.texts(), QStringList({"Click ZERO to set a zero measurement value before starting the test"}));
}

TEST_F(SwellWindow, StopAsksDuringARunAndTheWindowStaysOpenWhileItRuns) {
    StoreSequence(conn, "Long", {SeqStep{600, 74, 5, 0, 0, 0, 0, 0, 1}});
    writePorts({1});
    auto w = open(1);
    pick(*w, "Long");
    zero(*w, "0.4");
    {
        AnswerSample answer({});
        w->cmdStart->click();
    }
    ASSERT_EQ(w->RunState, 1);
    dialogs.clear();
    EXPECT_FALSE(w->close());
    dialogs.answers.push_back(ui::vbNo);
    w->cmdStart->click();
    EXPECT_EQ(w->RunState, 1);
    dialogs.answers.push_back(ui::vbYes);
    w->cmdStart->click();
    EXPECT_EQ(w->RunState, 0);
    EXPECT_EQ(dialogs.texts(), QStringList({"LSM test cannot be closed while a test is running. Click the Stop "
                                            "button if you want to stop the test.",
                                            "Are you sure you want to stop the test?",
                                            "Are you sure you want to stop the test?"}));
    EXPECT_EQ(w->reply.state.SampleLength, 0);
    // Preheating does not hold the window.
    w->cmdPreHeat->click();
    EXPECT_EQ(w->RunState, 4);
    EXPECT_TRUE(w->close());
}

TEST_F(SwellWindow, AStoredRowComesBeforeItsGridRow) {
    auto w = open(1);
    w->TestId = 5;
    w->reply.state.SampleTemp = 80;
    w->FramesParsed(1);  // the reading set stands for a frame of the unit
    w->RecordSwellPoint();
    EXPECT_EQ(w->MSFlexGrid1->Rows(), 2);
    EXPECT_EQ(count("TEST_RESULT"), 1);

    // The database refuses the point: no grid row, one message for the program.
    w->mTestResult = std::make_unique<clsTEST_RESULT>();  // bound to no connection
    w->FramesParsed(1);
    w->RecordSwellPoint();
    w->FramesParsed(1);
    w->RecordSwellPoint();
    EXPECT_EQ(w->MSFlexGrid1->Rows(), 2);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.texts()[0].startsWith("Recorded points wait for the database (")) << dialogs.texts()[0].toStdString();
}

TEST_F(SwellWindow, CalibrationHandsTheUnitAndItsPortToTheLsmTab) {
    testing_support::UnitSimulator unit;
    unit.attachToPort(3);
    writePorts({1, 0, 3});
    writeCalibration({kExampleLine, "", kExampleLine});
    auto w = open(3);
    w->show();
    w->MSComm1.MapFolder(gAppPath);
    w->MSComm1.PortNumber(3);
    w->MSComm1.PortOpen(true);
    ASSERT_TRUE(w->MSComm1.PortOpen());

    // Not while a test runs, and it says why, naming the test.
    w->RunState = 1;
    w->lblTestname->setText("Swell A");
    w->cmdCalibrate->click();
    EXPECT_EQ(frmCalibrateTorque::Instance(), nullptr);
    EXPECT_TRUE(w->MSComm1.PortOpen());
    EXPECT_EQ(dialogs.texts(), QStringList{"The calibration cannot take the unit's port while the test \"Swell A\" "
                                           "runs: stop the test or let it end, then press Calibrate again."});
    dialogs.clear();
    w->RunState = 0;

    w->cmdCalibrate->click();
    std::unique_ptr<frmCalibrateTorque> calibration(frmCalibrateTorque::Instance());
    ASSERT_NE(calibration, nullptr);
    EXPECT_EQ(calibration->CurrentTab, 3);
    EXPECT_EQ(calibration->TabUnit[3], 3);
    EXPECT_EQ(calibration->cmbInstName[3]->currentIndex(), 1);  // the second unit with a port
    EXPECT_TRUE(calibration->MSComm1.PortOpen());
    EXPECT_FALSE(w->MSComm1.PortOpen());
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SwellWindow, RefreshReloadsTheRunningSequenceAndManualSetPoints) {
    StoreSequence(conn, "Three", {SeqStep{10, 212.4, 5, 0, 0, 2500}, SeqStep{20, 212.4, 5, 0, 0, 2500},
                                  SeqStep{30, 212.4, 5, 0, 0, 2500}});
    auto w = open(1);
    w->cmdRefresh->click();  // idle: nothing
    EXPECT_TRUE(w->CommandText.isEmpty());
    pick(*w, "Three");
    EXPECT_EQ(w->txtTemps->text(), "212.4");
    EXPECT_EQ(w->txtPress->text(), "2500");
    zero(*w, "0.4");
    {
        AnswerSample answer({});
        w->cmdStart->click();
    }
    ASSERT_EQ(w->RunState, 1);
    EXPECT_EQ(w->EndTime->text(), "End Time: " + GeneralDateText(QVariant(clock.dateTime().addSecs(3600))));

    // Preheat does nothing during a run; the set-point button sends.
    w->CommandText.clear();
    w->cmdPreHeat->click();
    EXPECT_TRUE(w->CommandText.isEmpty());
    w->txtspeed->setText("100");
    w->cmdTempSet->click();
    EXPECT_EQ(w->CommandText, QString("\x01") + "212.4,02500,100.000 1\r");

    w->CurStep = 2;
    clock.advance(60000);
    w->cmdRefresh->click();
    EXPECT_EQ(w->txtTemps->text(), "212");
    EXPECT_EQ(w->txtPress->text(), "2500");
    EXPECT_EQ(w->CommandText, QString("\x01") + "212.0,02500,000.000 1\r");
    EXPECT_EQ(w->StepClock.Milliseconds(), 0);  // the step's clock restarted now
    EXPECT_FALSE(w->cmdExit->isEnabled());
    EXPECT_EQ(w->EndTime->text(), "End Time: " + GeneralDateText(QVariant(clock.dateTime().addSecs(3000))));

    // A current step past the sequence's last ends the run.
    w->CurStep = 4;
    w->cmdRefresh->click();
    EXPECT_EQ(w->RunState, 0);
    EXPECT_EQ(w->Status->text(), "Test Stop");
    EXPECT_TRUE(w->cmdExit->isEnabled());
}

TEST_F(SwellWindow, AWindowWhosePortIsNotOpenNeitherZeroesNorSendsNorStarts) {
    StoreSequence(conn, "S", {SeqStep{1, 212, 5, 0, 10, 1000}});
    auto w = open(1);
    pick(*w, "S");
    zero(*w, "0.4");
    ASSERT_GT(w->reply.state.SampleLength, 0);
    w->PortOpenHook = nullptr;  // port 1 of the settings: no unit's line here
    w->SendHook = nullptr;
    ASSERT_FALSE(w->MSComm1.PortOpen());
    dialogs.clear();

    w->cmdTempSet->click();
    w->cmdPreHeat->click();
    EXPECT_TRUE(w->CommandText.isEmpty());
    EXPECT_EQ(w->RunState, 0);
    w->cmdZero->click();  // not even asked for the wafer's length
    {
        AnswerSample answer({});
        w->cmdStart->click();
        EXPECT_EQ(answer.shown, 0);
    }
    const QStringList expected{w->PortNotOpenMessage("The set points cannot be sent"),
                               w->PortNotOpenMessage("The set points cannot be sent"),
                               w->PortNotOpenMessage("The sensor cannot be zeroed"),
                               w->PortNotOpenMessage("The test cannot be started")};
    EXPECT_EQ(dialogs.texts(), expected);
    EXPECT_TRUE(dialogs.texts()[3].startsWith("The test cannot be started: the unit's port 1 ("));
    EXPECT_EQ(w->RunState, 0);
    EXPECT_EQ(w->cmdStart->text(), "START");
    EXPECT_EQ(count("TEST_INFO"), 0);
    for (int i = 0; i < 20; ++i) tick(*w);
    EXPECT_EQ(count("TEST_RESULT"), 0);
}

TEST_F(SwellWindow, TheRunningSequenceIsNeverSwapped) {
    StoreSequence(conn, "Long", {SeqStep{10, 212, 5, 0, 0, 2500}, SeqStep{10, 212, 5, 0, 0, 2500}});
    StoreSequence(conn, "Other", {SeqStep{1, 300, 5, 0, 0, 9000}});
    auto w = open(1);
    pick(*w, "Long");
    zero(*w, "0.4");
    // A picker opened before START, confirmed while the test runs.
    w->cmdSelect->click();
    QPointer<frmNameSeq> early = w->cfNameSeq.data();
    {
        AnswerSample answer({});
        w->cmdStart->click();
    }
    ASSERT_EQ(w->RunState, 1);
    dialogs.clear();

    const auto expectUntouched = [&] {
        EXPECT_EQ(w->RunState, 1);
        EXPECT_EQ(w->mStepCount, 2);
        EXPECT_EQ(w->SeqName, "Long");
        EXPECT_EQ(w->lblSelectSeq->text(), "Long");
        // The pressure the watch reads stays the running step's.
        EXPECT_EQ(w->txtPress->text(), "2500");
        EXPECT_EQ(dialogs.texts(), QStringList{runloop::SequenceLockedMessage()});
    };
    ASSERT_TRUE(early);
    const auto items = early->lstSeqName->findItems("Other", Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1);
    early->lstSeqName->setCurrentItem(items[0]);
    early->cmdOk->click();
    expectUntouched();
    EXPECT_TRUE(early);  // still offered for after the run
    dialogs.clear();
    w->cmdSelect->click();
    expectUntouched();

    // A minute and more at the running step's pressure: the run goes on.
    for (int i = 0; i < 70; ++i) tick(*w, frameOf(212, 2500, 1.0));
    EXPECT_EQ(w->RunState, 1);

    dialogs.answers.push_back(ui::vbYes);
    w->cmdStart->click();  // STOP
    ASSERT_EQ(w->RunState, 0);
    dialogs.clear();
    early->cmdOk->click();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(w->SeqName, "Other");
    EXPECT_EQ(w->txtPress->text(), "9000");
}

TEST_F(SwellWindow, SequencesNoRunCanCountAreRefusedAtThePickAndAtRefresh) {
    StoreSequence(conn, "Absurd", {SeqStep{1e12, 212}});
    auto w = open(1);
    const QString before = w->txtPress->text();
    const QString caption = w->lblSelectSeq->text();
    pick(*w, "Absurd");
    ASSERT_EQ(dialogs.texts().size(), 1);
    EXPECT_EQ(dialogs.texts()[0], "This sequence cannot be run: step 1 has a duration, recording rate or cycle count "
                                  "out of range.");
    EXPECT_TRUE(w->SeqName.isEmpty());
    EXPECT_EQ(w->mStepCount, 0);
    EXPECT_EQ(w->lblSelectSeq->text(), caption);
    EXPECT_EQ(w->txtPress->text(), before);

    const qint32 id = StoreSequence(conn, "Good", {SeqStep{10, 212, 5, 0, 0, 2500}, SeqStep{10, 212, 5, 0, 0, 2500}});
    pick(*w, "Good");
    zero(*w, "0.4");
    {
        AnswerSample answer({});
        w->cmdStart->click();
    }
    ASSERT_EQ(w->RunState, 1);
    const QString endTime = w->EndTime->text();
    dialogs.clear();
    for (const char* change : {"RAMP_ELAPSE_TIME = 1e12", "CYCLE_LABEL = -3", "RECORD_RATE = 1e300"}) {
        SCOPED_TRACE(change);
        db::Command(conn.ADOConnection(), QStringLiteral("UPDATE SEQUENCE_RAMP SET %1 WHERE SEQUENCE_ID = %2 AND RAMP_NO = 2")
                                              .arg(QLatin1String(change))
                                              .arg(id))
            .execute();
        dialogs.clear();
        w->cmdRefresh->click();
        ASSERT_EQ(dialogs.texts().size(), 1);
        EXPECT_TRUE(dialogs.texts()[0].startsWith("This sequence cannot be run: step 2")) << dialogs.texts()[0].toStdString();
        // The running steps stay, and so does the planned end.
        EXPECT_EQ(w->RunState, 1);
        EXPECT_EQ(w->mStepMinutes.value(2), 10);
        EXPECT_EQ(w->mStepCycles.value(2), 1);
        EXPECT_EQ(w->mStepInterval.value(2), 0);
        EXPECT_EQ(w->EndTime->text(), endTime);
        db::Command(conn.ADOConnection(),
                    QStringLiteral("UPDATE SEQUENCE_RAMP SET RAMP_ELAPSE_TIME = 10, CYCLE_LABEL = 1, RECORD_RATE = 0 "
                                   "WHERE SEQUENCE_ID = %1 AND RAMP_NO = 2")
                        .arg(id))
            .execute();
    }
}

TEST_F(SwellWindow, AStoredSequenceAStepMayNotHoldIsRefusedAtThePickAndAtRefresh) {
    auto w = open(1);
    const QString caption = w->lblSelectSeq->text();
    struct Case {
        QString name;
        SeqStep bad;
        QString message;
    };
    const Case cases[] = {
        {"Backwards", SeqStep{10, 212, 5, -300, 10, 1000}, "Step 1: the speed (rpm) -300 is out of range (0 to 600)."},
        {"Deep", SeqStep{10, 212, 5, 0, 10, 35000}, "Step 1: the pressure (psi) 35000 is out of range (0 to 30000)."},
        {"Hot", SeqStep{10, 5000, 5, 0, 10, 1000}, "Step 1: the temperature (°F) 5000 is out of range (0 to 600)."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        StoreSequence(conn, c.name, {c.bad});
        dialogs.clear();
        pick(*w, c.name);
        EXPECT_EQ(dialogs.texts(), QStringList{c.message});
        EXPECT_TRUE(w->SeqName.isEmpty());
        EXPECT_EQ(w->mStepCount, 0);
        EXPECT_EQ(w->lblSelectSeq->text(), caption);
    }

    // A running sequence edited since: the running steps stay.
    const qint32 id = StoreSequence(conn, "Good", {SeqStep{10, 212, 5, 0, 0, 2500}, SeqStep{10, 212, 5, 0, 0, 2500}});
    pick(*w, "Good");
    zero(*w, "0.4");
    {
        AnswerSample answer({});
        w->cmdStart->click();
    }
    ASSERT_EQ(w->RunState, 1);
    db::Command(conn.ADOConnection(),
                QStringLiteral("UPDATE SEQUENCE_RAMP SET SPEED = -300 WHERE SEQUENCE_ID = %1 AND RAMP_NO = 2").arg(id))
        .execute();
    dialogs.clear();
    w->cmdRefresh->click();
    EXPECT_EQ(dialogs.texts(), QStringList{"Step 2: the speed (rpm) -300 is out of range (0 to 600)."});
    EXPECT_EQ(w->RunState, 1);
    EXPECT_EQ(w->mStepSpeed.value(2), 0);
}

TEST_F(SwellWindow, AStopFrameTheLineDoesNotTakeIsAPortFailure) {
    testing_support::UnitSimulator unit;
    unit.attachToPort(7);
    StoreSequence(conn, "S", {SeqStep{10, 212, 5, 0, 10, 1000}});
    auto w = open(1);
    w->PortOpenHook = nullptr;
    w->SendHook = nullptr;
    w->MSComm1.PortNumber(7);
    w->MSComm1.Settings(QStringLiteral("115200,n,8,1"));
    w->MSComm1.PortOpen(true);
    pick(*w, "S");
    zero(*w, "0.4");
    {
        AnswerSample answer({});
        w->cmdStart->click();
    }
    ASSERT_EQ(w->RunState, 1);
    ASSERT_TRUE(unit.waitForCommands(1));  // the step's set points went out
    dialogs.clear();

    unit.refuseWrites(true);
    dialogs.answers.push_back(ui::vbYes);
    w->cmdStart->click();  // STOP
    EXPECT_EQ(w->RunState, 0);
    EXPECT_EQ(w->cmdStart->text(), "START");
    EXPECT_EQ(w->Status->text(), "Test Stop");
    EXPECT_EQ(w->lblActiveFlag->text(), "No Response");
    EXPECT_FALSE(w->MSComm1.PortOpen());
    for (int i = 0; i < 5; ++i) tick(*w);
    ASSERT_EQ(dialogs.texts().size(), 2u);  // "Are you sure ...?", then the failure once
    const QString text = dialogs.texts()[1];
    EXPECT_TRUE(text.startsWith("ERROR :Error writing comm device (port 7 (" + unit.slavePath() + "): "))
        << text.toStdString();
    ASSERT_FALSE(w->lblTestname->text().isEmpty());
    EXPECT_TRUE(text.contains("\rThe running test \"" + w->lblTestname->text() +
                              "\" has stopped; the points recorded before are stored."))
        << text.toStdString();
    EXPECT_TRUE(text.endsWith("\rThe unit did not receive the last command: check that it has stopped."));
}

// START while another program holds the database: refused at once with the
// database's state; nothing stored, no run, and the window shows nothing of
// a test that does not exist. Started again once the database is free, it runs.
TEST_F(SwellWindow, AStartTheDatabaseRefusesStoresNothingAndShowsNoTest) {
    auto w = readyToStart(1);
    const QStringList shown{w->lblTestname->text(), w->lblFluid->text(), w->lblDesc->text(), w->lblWt->text()};
    std::optional<testing_support::LockedDatabase> lock;
    SampleEntry entry;
    entry.additives = QStringList{"KCl"};
    entry.beforeOk = [&] { lock.emplace(db.path()); };
    {
        AnswerSample answer(entry);
        w->cmdStart->click();
    }
    lock.reset();
    // The dialog left unanswered after the refusal, as an operator's Cancel.
    EXPECT_EQ(dialogs.texts(), (QStringList{"The test was not started: the database is in use by another program. "
                                            "Nothing was stored; try again.",
                                            "Test is not running "}));
    EXPECT_EQ(w->RunState, 0);
    EXPECT_EQ(count("TEST_INFO"), 0);
    EXPECT_EQ(count("TEST_ADDITIVE"), 0);
    EXPECT_EQ((QStringList{w->lblTestname->text(), w->lblFluid->text(), w->lblDesc->text(), w->lblWt->text()}), shown);

    dialogs.clear();
    entry.beforeOk = nullptr;
    {
        AnswerSample answer(entry);
        w->cmdStart->click();
    }
    EXPECT_EQ(w->RunState, 1) << dialogs.texts().join(';').toStdString();
    EXPECT_EQ(w->lblTestname->text(), entry.name);
    EXPECT_EQ(w->lblWt->text(), "12.5");
    EXPECT_EQ(count("TEST_INFO"), 1);
    EXPECT_EQ(count("TEST_ADDITIVE"), 1);
}

TEST_F(SwellWindow, ALineLostUnderTheTestDialogStoresNothing) {
    auto w = readyToStart(1);
    SampleEntry entry;
    entry.beforeOk = [&] { w->PortOpenHook = [] { return false; }; };
    AnswerSample answer(entry);
    w->cmdStart->click();
    EXPECT_EQ(w->RunState, 0);
    EXPECT_EQ(count("TEST_INFO"), 0);
    EXPECT_EQ(dialogs.texts().last(), w->PortNotOpenMessage("The test cannot be started"));
}

TEST_F(SwellWindow, ATripStopsTheUnitAndItsFrameAndThoseAfterItGoWithoutTheZeroing) {
    auto w = open();
    zero(*w, "0.4");
    ASSERT_GT(w->reply.state.SampleLength, 0);
    dialogs.clear();
    const QString hot = frameOf(611, 0, 2.0);
    auto frames = [&](int n) {
        QStringList list;
        for (int i = 0; i < n; ++i) list << hot;
        return list.join(QChar(26));
    };
    const double length =
        swell::SensorLength(w->reply.calibration, swell::CorrectedVoltage(2.0, 611, w->reply.state.RefTemp));

    tick(*w, frames(9));  // nine over the limit: the length change is taken against the zero
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(w->lbldist->text(), LengthToDisplayText(length - w->reply.state.ZeroLength));
    const QString swellShown = w->lblswell->text();
    EXPECT_FALSE(swellShown.isEmpty());

    // The tenth trips; two more over the limit come in the same read.
    tick(*w, frames(3));
    EXPECT_EQ(dialogs.texts(), QStringList({"Temperature too high, test will be stopped "}));
    EXPECT_EQ(w->RunState, swell::kIdle);
    EXPECT_EQ(w->reply.state.SampleLength, 0);
    // The stop has dropped the zeroing from the trip's frame on: no length to
    // take the change against, no swell shown anew.
    EXPECT_EQ(w->lbldist->text(), LengthToDisplayText(length));
    EXPECT_EQ(w->lblswell->text(), swellShown);
    // One stop per trip: the two frames after it, over the limit still,
    // count nothing, nor do those that follow them.
    EXPECT_EQ(w->reply.watch.counts.overTemperature, 0);
    tick(*w, frames(7));
    tick(*w, frames(10));
    EXPECT_EQ(dialogs.texts().size(), 1);
    // Once a frame within the limit came, ten more over it trip again.
    tick(*w, frameOf(212, 0, 2.0));
    tick(*w, frames(10));
    EXPECT_EQ(dialogs.texts().size(), 2);
}

// Another program holds the database during a swell run: the rows due wait,
// the grid keeps to the stored rows, the progress panel names the unit, the
// test, how many and why; STOP asks what becomes of them, and rows dropped
// at the operator's word are never stored.
TEST_F(SwellWindow, RowsWaitWhileTheDatabaseIsLockedAndStopMayDropThem) {
    auto w = readyToStart(5);
    AnswerSample answer({});
    w->cmdStart->click();
    ASSERT_EQ(w->RunState, 1) << dialogs.texts().join(";").toStdString();
    const QString swollen = frameOf(212, 1000, 1.5);
    for (int i = 0; i < 100 && count("TEST_RESULT") < 1; ++i) tick(*w, swollen);
    ASSERT_EQ(count("TEST_RESULT"), 1);
    const int gridRows = w->MSFlexGrid1->Rows();
    const QString test = w->lblTestname->text();

    testing_support::LockedDatabase lock(db.path());
    for (int i = 0; i < 100 && w->RowsWaiting() < 2; ++i) tick(*w, swollen);
    ASSERT_EQ(w->RowsWaiting(), 2);
    EXPECT_EQ(w->RunState, 1);
    EXPECT_EQ(w->StepTime->text(),
              "Unit 1, test \"" + test + "\": 2 points waiting to be stored (database is locked)");
    EXPECT_EQ(w->MSFlexGrid1->Rows(), gridRows);
    // Nothing was lost: the program's one notice, not a box of the unit's.
    EXPECT_EQ(dialogs.texts(), QStringList{runloop::RowsWaitingNotice("database is locked")});

    dialogs.clear();
    dialogs.answers = {ui::vbYes, ui::vbNo};  // stop, then drop them
    w->cmdStart->click();
    EXPECT_EQ(w->RunState, 0);
    ASSERT_EQ(dialogs.texts().size(), 2);
    EXPECT_EQ(dialogs.texts()[0], "Are you sure you want to stop the test?");
    EXPECT_TRUE(dialogs.texts()[1].contains("No: drop them: 2 points not stored.")) << dialogs.texts()[1].toStdString();
    EXPECT_EQ(w->RowsWaiting(), 0);
    EXPECT_FALSE(w->StepTime->text().contains("waiting")) << w->StepTime->text().toStdString();

    lock.Release();
    tick(*w);
    EXPECT_EQ(count("TEST_RESULT"), 1);
    EXPECT_EQ(w->MSFlexGrid1->Rows(), gridRows);
    EXPECT_TRUE(w->close());
}

// After Stop and at the end of a run the status bar speaks of no step and
// of no planned end ("Current Step (2) ... End Time ..." used to stay): the
// run's start and elapsed time stay, and "Test Stop".
TEST_F(SwellWindow, AfterStopAndAtTheEndOfARunTheStatusBarShowsNoStepAndNoEndTime) {
    StoreSequence(conn, "Two", {SeqStep{1, 74, 500, 0, 0, 0}, SeqStep{1, 74, 500, 0, 0, 0}});
    auto w = open(1);
    const QString frame = frameOf(74, 0, 1.0);
    for (bool stop : {true, false}) {
        SCOPED_TRACE(stop ? "Stop" : "the sequence ends");
        pick(*w, "Two");
        zero(*w, "0.4");
        {
            SampleEntry entry;
            entry.name = stop ? "Stopped" : "Ended";
            AnswerSample answer(entry);
            w->cmdStart->click();
        }
        ASSERT_EQ(w->RunState, 1) << dialogs.texts().join("|").toStdString();
        while (w->RunState == 1 && (w->CurStep < 2 || w->StepSeconds < 5)) tick(*w, frame);
        ASSERT_TRUE(w->StepTime->text().startsWith("Current Step (2) Cycle (1) Time: ")) << w->StepTime->text().toStdString();
        ASSERT_TRUE(w->EndTime->text().startsWith("End Time: "));
        if (stop) {
            dialogs.answers.push_back(ui::vbYes);
            w->cmdStart->click();  // STOP
        } else {
            while (w->RunState == 1 && w->ElapsedSeconds < 300) tick(*w, frame);
        }
        ASSERT_EQ(w->RunState, 0);
        tick(*w, frame);  // the window goes on ticking
        EXPECT_EQ(w->StepTime->text(), "");
        EXPECT_EQ(w->EndTime->text(), "");
        EXPECT_EQ(w->Status->text(), "Test Stop");
        EXPECT_TRUE(w->StartTime->text().startsWith("Start Time: ")) << w->StartTime->text().toStdString();
        EXPECT_TRUE(w->ElapsedTime->text().startsWith("Elapsed Time: ")) << w->ElapsedTime->text().toStdString();
        dialogs.clear();
    }
}
