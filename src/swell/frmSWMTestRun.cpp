// The swell window's run: the sequence picker and the loading of the steps,
// Refresh, the set points sent for a step, Start and Stop, the recorded
// rows and the live chart.

#include "swell/frmSWMTest.h"

#include "data/DateText.h"
#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/TestKind.h"
#include "data/TestKindColumns.h"
#include "data/TypedNumbers.h"
#include "data/Units.h"
#include "data/clsSEQUENCE_INFO.h"
#include "data/clsSEQUENCE_RAMP.h"
#include "data/clsTEST_ADDITIVE.h"
#include "data/clsTEST_INFO.h"
#include "data/clsTEST_RESULT.h"
#include "dialogs/NewTestRecord.h"
#include "dialogs/TestInfoRules.h"
#include "dialogs/frmNameSeq.h"
#include "dialogs/frmTestRelatedInfo.h"
#include "platform/Database.h"
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"
#include "platform/ModalShow.h"
#include "platform/PeChart.h"
#include "platform/RunClock.h"
#include "unitrun/RunStates.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>

using namespace swell;

// ---- sequence ---------------------------------------------------------------------

// The running test's steps (and the pressure its watch reads) are never
// replaced: Select and the picker's OK are refused while it runs (UnitWindow).
void frmSWMTest::SequencePicked(const QString& name) {
    SeqName = name;
    if (!haveRecords()) return;

    const LoadedSwellSequence loaded = LoadSwellSequence(SeqName, MaxPress(), mConnection, *mSeqInfo, *mSeqRamp);
    SequenceNo = loaded.sequenceNo;
    SeqName = loaded.name;
    if (!loaded.hasSteps) {
        ui::MsgBox(QStringLiteral("this sequence no data,cannot test"));
        SeqName.clear();
        return;
    }
    // Steps no run can count (a duration that is no number never ends its step).
    if (const std::optional<QString> problem = runloop::SequenceProblem(loaded.steps)) {
        ui::MsgBox(*problem);
        SeqName.clear();
        return;
    }
    // A value a step may not hold (with this unit's Max Pressure).
    if (!loaded.problem.isEmpty()) {
        ui::MsgBox(loaded.problem);
        SeqName.clear();
        return;
    }
    TakeSteps(loaded.steps);
    txtTemps->setText(TempBoxText(mStepTemp[1]));
    txtPress->setText(Format(mStepPress[1], QStringLiteral("###0")));
    txtspeed->setText(Format(mStepSpeed[1], QStringLiteral("###0")));
    txtInterval->setText(CStr(mStepInterval[1]));
    if (!SeqName.isEmpty()) lblSelectSeq->setText(SeqName);
    MSFlexGrid1->Rows(1);
}

void frmSWMTest::cmdRefresh_Click() { RefreshClicked(); }

void frmSWMTest::RefreshRun() {
    if (!haveRecords()) return;
    const LoadedSwellSequence loaded = LoadSwellSequence(SeqName, MaxPress(), mConnection, *mSeqInfo, *mSeqRamp);
    if (loaded.hasSteps) {
        // Steps no run can count, or with a value a step may not hold, are
        // refused; the running ones stay.
        if (const std::optional<QString> problem = runloop::SequenceProblem(loaded.steps)) {
            ui::MsgBox(*problem);
            return;
        }
        if (!loaded.problem.isEmpty()) {
            ui::MsgBox(loaded.problem);
            return;
        }
        TakeSteps(loaded.steps);
    }
    SequenceNo = loaded.sequenceNo;
    if (CurStep <= mStepCount) ShowStep(CurStep);
    // The steps were checked as they were loaded: the step's set points go as they are.
    sendBoxSetPoints();
    if (RunState != kRunning) return;  // the line failed: the run has stopped
    RestartStepClock();
    RecordStartMs = tick::timeGetTime();
    if (CurStep > mStepCount) {
        RunState = kIdle;
        ShutDown();
        return;
    }
    EndTimeText = PlannedEndFrom(CurStep);
    cmdExit->setEnabled(false);
    ShowPanel(QStringLiteral("EndTime"), QStringLiteral("End Time: ") + EndTimeText);
}

void frmSWMTest::ShowStep(int step) {
    txtTemps->setText(TempBoxText(mStepTemp.value(step), QStringLiteral("###0")));
    txtPress->setText(Format(mStepPress.value(step), QStringLiteral("###0")));
    txtspeed->setText(Format(mStepSpeed.value(step), QStringLiteral("###0")));
    txtInterval->setText(CStr(mStepInterval.value(step)));
}

// ---- set points ----------------------------------------------------------------------

typed::NumberBox frmSWMTest::setPointBox(QLineEdit* box) const {
    const auto& [caption, unit] = boxLabels_.at(box);
    return {typed::BoxName(caption->text()) + QLatin1Char(' ') + unit->text(), box->text(), {}, box->objectName()};
}

std::optional<typed::NumberRefusal> frmSWMTest::SetPointNumberRefused() const {
    return typed::FirstRefusedNumber({setPointBox(txtTemps), setPointBox(txtPress), setPointBox(txtspeed)});
}

frmSWMTest::SetPointCheck frmSWMTest::Check_SetPoints() {
    // A box that holds no number is named; nothing is taken from it.
    if (const auto refused = SetPointNumberRefused()) {
        ui::MsgBox(refused->message);
        if (auto* box = findChild<QLineEdit*>(refused->objectName)) box->setFocus();
        return SetPointCheck::NotANumber;
    }
    takeBoxSetPoints();
    const QString refusal = CheckSetPoints(txtTemps->text(), txtPress->text(), txtspeed->text(), MaxPress());
    if (refusal.isEmpty()) return SetPointCheck::Ok;
    ui::MsgBox(refusal);
    return SetPointCheck::OutOfRange;
}

bool frmSWMTest::sendSetPoints() {
    switch (Check_SetPoints()) {
    case SetPointCheck::Ok: break;
    case SetPointCheck::OutOfRange: ui::MsgBox(NeedResetMessage()); return false;
    case SetPointCheck::NotANumber: return false;
    }
    sendBoxSetPoints();
    return true;
}

void frmSWMTest::takeBoxSetPoints() {
    // The boxes hold numbers: a step's, or what Check_SetPoints passed.
    SetTemp = typed::TypedNumber(txtTemps->text()).value_or(0);
    SetPress = typed::TypedNumber(txtPress->text()).value_or(0);
    SetSpeed = typed::TypedNumber(txtspeed->text()).value_or(0);
}

void frmSWMTest::sendBoxSetPoints() {
    takeBoxSetPoints();
    // The box holds display units; the unit takes °F.
    CommandText = SetPointFrame(TempFromDisplay(SetTemp), SetPress, SetSpeed, FrameMode);
    SendFrame(CommandText);
    // The readings until now are of before these set points.
    SetPointsSent();
    Timer1.Interval(kAfterSetPointMs);
}

void frmSWMTest::txtInterval_Change() {
    // A box that holds no number leaves the interval as it was: an empty
    // box while the operator types, or a text the box's validator let in.
    const QString text = txtInterval->text();
    if (const std::optional<double> seconds = typed::TypedNumber(text)) {
        RecordInterval = RecordIntervalOf(*seconds);
        return;
    }
    if (!text.trimmed().isEmpty()) ui::Notify(typed::NotANumberMessage(setPointBox(txtInterval).name, text));
}

// ---- start and stop -----------------------------------------------------------------

void frmSWMTest::cmdStart_Click() {
    if (cmdStart->text() == QStringLiteral("STOP")) {
        StopClicked();
        return;
    }
    try {
        StartClicked();
    } catch (const NumberedError& e) {
        ui::MsgBox(e.description());
    } catch (const std::exception& e) {
        ui::MsgBox(QString::fromLocal8Bit(e.what()));
    }
}

QString frmSWMTest::MissingSequenceMessage() const {
    return SeqName.isEmpty() ? QStringLiteral("PLEASE SELECT SEQUENCE FIRST") : QString();
}

bool frmSWMTest::StartChecks() {
    // The steps as loaded, checked again with the Max Pressure in force now:
    // a step the run would refuse is refused here, naming it, never at its
    // step change.
    if (const QString problem = runloop::CheckRunTables(*this, MaxPress()); !problem.isEmpty()) {
        ui::MsgBox(problem);
        return false;
    }
    if (lblCaliVolt[1]->text().isEmpty() && lblCaliVolt[2]->text().isEmpty() && lblCaliVolt[3]->text().isEmpty()) {
        ui::MsgBox(QStringLiteral("No calibration data, Calibrate first"));
        return false;
    }
    if (!(reply.state.SampleLength > 0)) {
        ui::MsgBox(QStringLiteral("Click ZERO to set a zero measurement value before starting the test"));
        return false;
    }
    return Check_SetPoints() == SetPointCheck::Ok && haveRecords();
}

std::unique_ptr<frmTestRelatedInfo> frmSWMTest::TestInfoDialog() {
    auto info = std::make_unique<frmTestRelatedInfo>(mConnection, this);
    frmTestRelatedInfo& d = *info;
    d.txtBobNo->setText(kSwellKindText);
    d.Label1(15)->setText(QStringLiteral("Test Type"));
    d.Label1(8)->setText(QStringLiteral("Sample_Wt"));
    d.txtBobRadius->setEnabled(true);
    d.txtBobRadius->clear();
    d.Label3->setText(QStringLiteral("(g)"));
    d.Label3->show();
    d.Label1(1)->setText(QStringLiteral("Sample_Len."));
    d.txtBobLength->setText(Format(LengthToDisplayText(reply.state.SampleLength), QStringLiteral("##.##")));
    d.txtBobLength->setEnabled(false);
    d.Label4->setText(gLengthLabel);
    d.Label4->show();
    d.Label1(14)->setText(QStringLiteral("Sample_Comp._Time"));
    d.txtRotoNo->clear();
    d.Label7->setText(QStringLiteral("(min)"));
    d.Label7->show();
    d.Label1(9)->setText(QStringLiteral("Sample_Comp._Press"));
    d.Label1(9)->show();
    d.Label5->setText(QStringLiteral("(psi)"));
    d.Label5->show();
    d.txtPostTestPH->clear();
    d.txtPostTestPH->show();
    d.Label1(10)->setText(QStringLiteral("Sample_Hardness"));
    d.Label1(10)->show();
    d.Label6->hide();
    d.txtPreTestPH->show();
    d.txtPreTestPH->clear();
    return info;
}

void frmSWMTest::StartCancelled() { ui::MsgBox(QStringLiteral("Test is not running ")); }

bool frmSWMTest::StoreNewTest(frmTestRelatedInfo& d) {
    clsTEST_INFO& t = *mTestInfo;
    auto info = [&] {
        t.TEST_NAME(d.txtTestName->text());
        t.Fluid_ID(d.txtFluidId->text().trimmed());
        t.RESEARCHER_NAME(d.txtResearchName->text());
        t.Number(swell::info::Hardness, newtest::InfoNumber(d.txtPreTestPH->text()));
        t.Number(swell::info::CompactionPressure, newtest::InfoNumber(d.txtPostTestPH->text()));
        t.Text(swell::info::CompactionTime, d.txtRotoNo->text());
        t.Text(swell::info::KindText, d.txtBobNo->text());
        // The sample length is stored in inches whatever the unit system: the
        // dry length the zeroing took (entered in the display unit), which the
        // run's swell is taken against. The dialog showed it in the display unit.
        t.Number(swell::info::SampleLength, reply.state.SampleLength);
        t.Number(swell::info::SampleWeight, newtest::InfoNumber(d.txtBobRadius->text()));
        t.SAFETY(d.txtSAFETY->toPlainText().trimmed());
        t.TEST_TIME(tick::CurrentDateTime());
        return newtest::InsertTestInfo(t);
    };
    const std::optional<qint32> testId = newtest::StoreNewTest(mConnection, info, *mTestAdditive, d);
    if (!testId) return false;
    TestId = *testId;
    TestStarted = t.TEST_TIME();
    return true;
}

void frmSWMTest::BeginTest(frmTestRelatedInfo& d) {
    TestName = d.txtTestName->text();
    lblTestname->setText(TestName);
    lblFluid->setText(d.txtFluidId->text().trimmed());
    lblHard->setText(CStr(newtest::InfoNumber(d.txtPreTestPH->text())));
    lblCPress->setText(CStr(newtest::InfoNumber(d.txtPostTestPH->text())));
    lblCTime->setText(d.txtRotoNo->text());
    lblLen->setText(CStr(newtest::InfoNumber(d.txtBobLength->text())));
    lblWt->setText(CStr(newtest::InfoNumber(d.txtBobRadius->text())));
    lblDesc->setText(d.txtSAFETY->toPlainText().trimmed());
    // A new test holds no rows: the chart needs no read of them.
    mSamples.Begin(TestId);

    ChartSampleLength = reply.state.SampleLength;
    Initial_Chart_Swell();
    MSFlexGrid1->Rows(1);
    Timer1.Interval(kStartTickMs);
    Timer1.Enabled(true);
    BeginRun();
    txtInterval->setText(CStr(mStepInterval.value(1)));
    RecordInterval = RecordIntervalOf(mStepInterval.value(1));
    cmdStart->setText(QStringLiteral("STOP"));
    cmdExit->setEnabled(false);
    cmdZero->setEnabled(false);
    const QDateTime now = tick::CurrentDateTime();
    ShowPanel(QStringLiteral("StartTime"), QStringLiteral("Start Time: ") + GeneralDateText(QVariant(now)));
    ElapsedText = QStringLiteral("00:00");
    ShowPanel(QStringLiteral("ElapsedTime"), QStringLiteral("ElapsedTime:") + ElapsedText);
    ShowPanel(QStringLiteral("Status"), QStringLiteral("Test Running"));
    EndTimeText = PlannedEndFrom(1, now);
    ShowPanel(QStringLiteral("EndTime"), QStringLiteral("End Time: ") + EndTimeText);
    sendSetPoints();
}

bool frmSWMTest::ConfirmStop() {
    return RunState != kRunning ||
           ui::MsgBox(QStringLiteral("Are you sure you want to stop the test?"), ui::vbYesNo) == ui::vbYes;
}

// ---- the run's hooks --------------------------------------------------------------

double frmSWMTest::PressSetPoint() { return typed::TypedNumber(txtPress->text()).value_or(SetPress); }

void frmSWMTest::SaveSwellResultRow() {
    if (!mTestResult)
        throw db::DbError(db::ErrNotOpen, QStringLiteral("The window has no connection to the database."));
    const SwellState& s = reply.state;
    clsTEST_RESULT& r = *mTestResult;
    r.Test_Id(TestId);
    r.RAMP_NO(CurStep);
    r.RAMP_STEP_NO(0);
    r.CYCLE_NO(CurCycle);
    r.RESULT_TIME(double(ElapsedSeconds));
    r.RESULT_SAMPLE_TEMP(Val(CStr(s.SampleTemp)));
    r.RESULT_PRESS(Val(CStr(s.SamplePress)));
    r.Field(swell::result::Speed, s.SampleSpeed);
    r.Field(swell::result::LengthChange, Val(CStr(s.LengthChange)));
    r.RESULT_TYPE_ID(0);
    r.Field(swell::result::RawVoltage, Val(CStr(s.RawVoltage)));
    const ResultPoint row = LiveSamples::PointOf(TestId, r);
    const QStringList cells = gridCells();
    StoreRow({row, TestName, AfterRowStored(mSamples, row, [this, cells] { addGridRow(cells); })});
}

QStringList frmSWMTest::gridCells() const {
    const SwellState& s = reply.state;
    return {CStr(CurStep),
            CStr(CurCycle),
            Format(double(ElapsedSeconds) / 60, QStringLiteral("#0.0")),
            Format(TempToDisplay(s.SampleTemp), QStringLiteral("#0.#")),
            Format(s.SamplePress, QStringLiteral("#0")),
            Format(s.SampleSpeed, QStringLiteral("#0")),
            Format(QVariant(LengthToDisplayText(s.LengthChange)), QStringLiteral("#0.####")),
            Format(s.SwellPercent, QStringLiteral("#0.##"))};
}

void frmSWMTest::addGridRow(const QStringList& cells) {
    FlexGrid& g = *MSFlexGrid1;
    const int row = g.Rows();
    g.Rows(row + 1);
    for (int c = 0; c < cells.size(); ++c) g.TextMatrix(row, c, cells[c]);
}

void frmSWMTest::AddSwellGridRow() {
    addGridRow(gridCells());
    PlotSwellPoints();
}

// ---- chart ----------------------------------------------------------------------------

ChartTicks frmSWMTest::chartTicks() const {
    return {chkSwell->isChecked(), chkSpeed->isChecked(), chkTemp->isChecked(), chkPress->isChecked()};
}

void frmSWMTest::Initial_Chart_All() {
    mPlotHeld = {};  // the base settings write points of their own
    InitialChartAll(*Pesgo1, lblTestname->text());
}

void frmSWMTest::Initial_Chart_Swell() {
    if (!mTestResult) mTestResult = std::make_unique<clsTEST_RESULT>();
    mPlotHeld = {};
    RebuildSwellChart(*Pesgo1, chartTicks(), lblTestname->text(), TestId, ChartSampleLength, *mTestResult,
                      mConnection);
}

void frmSWMTest::PlotSwellPoints() {
    const ChartTicks ticks = chartTicks();
    if (!mTestResult || TestId == 0 || std::none_of(ticks.begin(), ticks.end(), [](bool t) { return t; })) {
        Initial_Chart_Swell();
        return;
    }
    try {
        const std::vector<ResultPoint>& rows = mSamples.Of(TestId, *mTestResult, mConnection);
        if (PlotSwellRows(*Pesgo1, ticks, rows, ChartSampleLength, &mPlotHeld, mSamples.Version())) return;
    } catch (const db::DbError& e) {
        ui::Notify(QStringLiteral("chart error  ") + e.description());
        return;
    }
    Initial_Chart_Swell();
}
