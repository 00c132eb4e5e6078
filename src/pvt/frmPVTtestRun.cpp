// The PVT window's run: the sequence picker and the loading of the steps,
// Start, Stop and Refresh, the recorded rows, the live grid and chart (the
// run's hooks for those; its port and display hooks are in frmPVTtest.cpp).

#include "pvt/frmPVTtest.h"

#include "analysis/PvtDensity.h"
#include "analysis/ResultPoints.h"
#include "data/Numbers.h"
#include "data/TestKind.h"
#include "data/TestKindColumns.h"
#include "data/clsSEQUENCE_INFO.h"
#include "data/clsSEQUENCE_RAMP.h"
#include "data/clsSEQUENCE_RAMP_DEFINE.h"
#include "data/clsTEST_ADDITIVE.h"
#include "data/clsTEST_INFO.h"
#include "data/clsTEST_RESULT.h"
#include "dialogs/NewTestRecord.h"
#include "dialogs/frmNameSeq.h"
#include "dialogs/frmTestRelatedInfo.h"
#include "platform/Database.h"
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"
#include "platform/ModalShow.h"
#include "platform/PeChart.h"
#include "platform/RunClock.h"
#include "platform/TrapErrors.h"
#include "pvt/PvtResultGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>


using namespace runloop;

// ---- the sequence picker ------------------------------------------------------------------

void frmPVTtest::SequencePicked(const QString& name) {
    SeqName = name;
    if (!loadSteps(true)) return;
    if (!SeqName.isEmpty()) lblSelectSeq->setText(SeqName);
    MSFlexGrid1->Rows(1);
}

bool frmPVTtest::loadSteps(bool picked) {
    // The steps up to this unit's Max Pressure.
    const LoadedSequence loaded = LoadSteps(SeqName, MaxPress());
    SeqInfoRow = loaded.seqInfoRow;
    SeqId = loaded.sequenceId;
    if (loaded.result == LoadResult::NoSteps) {
        if (picked) {
            ui::MsgBox(QStringLiteral("this sequence no data,cannot test"));
            SeqName.clear();
        } else if (SeqId == 0) {
            ui::MsgBox(QStringLiteral("The sequence \"") + SeqName +
                       QStringLiteral("\" is no longer stored; the test goes on with the steps it has."));
        }
        return false;
    }
    if (const std::optional<QString> problem = SequenceProblem(loaded.tables)) {
        ui::MsgBox(*problem);
        if (picked) SeqName.clear();
        return false;
    }
    // A value a step may not hold (a pressure above Max Pressure among them).
    if (!loaded.problem.isEmpty()) {
        ui::MsgBox(loaded.problem);
        if (picked) SeqName.clear();
        return false;
    }
    TakeSteps(loaded.tables);
    return true;
}

// ---- Start, Stop, Refresh -------------------------------------------------------------------

void frmPVTtest::cmdStart_Stop_Click() {
    MSFlexGrid1->Rows(1);
    StartClicked();
}

QString frmPVTtest::MissingSequenceMessage() const {
    return SeqName.isEmpty() ? runloop::SelectSequenceFirstMessage() : QString();
}

bool frmPVTtest::StartChecks() {
    // The steps as loaded, checked again with the Max Pressure chosen now.
    if (const QString problem = CheckRunTables(*this, MaxPress()); !problem.isEmpty()) {
        ui::MsgBox(problem);
        return false;
    }
    // A piston whose calibration could not be read counts as none chosen:
    // without it there is no height, no density and no position trip.
    if (!(optLag->isChecked() || optSml->isChecked()) || !reply.calibration.loaded()) {
        ui::MsgBox(QStringLiteral("Please select piston size before test."));
        return false;
    }
    RequireTestRecords();
    return true;
}

std::unique_ptr<frmTestRelatedInfo> frmPVTtest::TestInfoDialog() {
    auto dialog = std::make_unique<frmTestRelatedInfo>(mConnection, this);
    dialog->setWindowTitle(QStringLiteral("Input Test Information"));
    dialog->Label2->setVisible(true);
    dialog->Label3->setVisible(true);
    dialog->Label4->setVisible(true);
    dialog->Label3->setText(QStringLiteral("ml"));
    dialog->Label4->setText(QStringLiteral("g/ml"));
    dialog->cmbCell->setVisible(true);
    dialog->cmbCell->clear();
    dialog->cmbCell->addItem(QStringLiteral("Large piston"));
    dialog->cmbCell->addItem(QStringLiteral("Small piston"));
    if (optLag->isChecked())
        dialog->cmbCell->setCurrentIndex(0);
    else if (optSml->isChecked())
        dialog->cmbCell->setCurrentIndex(1);
    const std::pair<int, const char*> captions[] = {
        {14, "Radius"}, {15, "Test Type"}, {8, "Initial Volume"}, {1, "Initial Density"}, {9, "Length of cell"}};
    for (const auto& [index, caption] : captions)
        if (QLabel* l = dialog->Label1(index)) {
            l->setText(QString::fromLatin1(caption));
            l->setVisible(true);
        }
    // The radius is the piston's in cm (not the rotor's "(min)"); the cell
    // length the piston choice fills is stored, so it is shown with its box.
    dialog->Label7->setText(QStringLiteral("cm"));
    dialog->Label7->setVisible(true);
    dialog->txtPostTestPH->setVisible(true);
    dialog->Label5->setVisible(false);
    dialog->txtBobNo->setText(kPvtKindText);
    dialog->txtBobRadius->setEnabled(true);
    dialog->txtBobRadius->setReadOnly(false);
    dialog->txtBobRadius->clear();
    dialog->txtBobLength->clear();
    return dialog;
}

namespace {
// The new PVT test's fields as stored: the dialog's, with the radius per psi.
newtest::NewTestFields pvtFieldsOf(const frmTestRelatedInfo& dialog) {
    newtest::NewTestFields fields = newtest::FieldsOf(dialog);
    fields.Number(pvt::info::RadiusPerPsi) = kPvtRadiusPerPsi;
    return fields;
}
}  // namespace

bool frmPVTtest::StoreNewTest(frmTestRelatedInfo& dialog) {
    return StoreTestOf(pvtFieldsOf(dialog), dialog);
}

void frmPVTtest::BeginTest(frmTestRelatedInfo& dialog) {
    newtest::NewTestFields fields = pvtFieldsOf(dialog);
    reply.iniDensity = fields.Number(pvt::info::InitialDensity);
    reply.iniVol = fields.Number(pvt::info::InitialVolume);
    txtiniD->setText(CStr(reply.iniDensity));
    txtiniV->setText(CStr(reply.iniVol));
    lblTestname->setText(dialog.txtTestName->text());

    CellLength = fields.Number(pvt::info::CellLength);
    reply.PistonRadius = Val(fields.Text(pvt::info::PistonRadius));
    // A new test holds no rows: the chart needs no read of them.
    mSamples.Begin(TestId);

    StartTest();
    cmdZero->setEnabled(false);
    // The chart belongs to the new test: its axes for the ticked curves.
    RefreshPvtChart();
}

bool frmPVTtest::ConfirmStop() {
    return RunState != kRunning ||
           ui::MsgBox(QStringLiteral("Are you sure to stop running test?"), ui::vbYesNo) != ui::vbNo;
}

void frmPVTtest::cmdStop_Click() { StopClicked(); }

void frmPVTtest::cmdRefresh_Click() { RefreshClicked(); }

void frmPVTtest::RefreshRun() {
    loadSteps(false);
    RestartStepClock();
    if (CurStep > mStepCount) {
        ShutDown();
        return;
    }
    ShowSpeedSetPoint(mStepSpeed.value(CurStep));
    EndTimeText = PlannedEndFrom(CurStep);
    cmdExit->setEnabled(false);
    ShowPanel(QStringLiteral("EndTime"), QStringLiteral("End Time: ") + EndTimeText);
}

// ---- recorded rows, grid and chart ------------------------------------------------------

void frmPVTtest::SavePvtResultRow() {
    RequireResultRecord();
    clsTEST_RESULT& r = *mTestResult;
    r.Test_Id(TestId);
    r.RAMP_NO(CurStep);
    r.RAMP_STEP_NO(0);
    r.RESULT_TIME(double(ElapsedSeconds));
    r.RESULT_SAMPLE_TEMP(reply.SampleTemp);
    r.RESULT_PRESS(reply.SamplePress);
    r.Field(pvt::result::Speed, reply.SampleSpeed);
    r.Field(pvt::result::SampleHeight, reply.SampleHeight);
    r.Field(pvt::result::RawPosition, reply.RawPosition);
    r.CYCLE_NO(CurCycle);
    r.RESULT_TYPE_ID(0);
    const ResultPoint row = LiveSamples::PointOf(TestId, r);
    const pvtgrid::Sample sample = gridSample();
    StoreRow({row, lblTestname->text(),
              AfterRowStored(mSamples, row, [this, sample] { addGridSample(sample); }, [this] { PlotPvtResults(); })});
}

void frmPVTtest::AddPvtGridRow() { addGridSample(gridSample()); }

void frmPVTtest::addGridSample(const pvtgrid::Sample& s) {
    if (mStepInterval.value(s.step) == 0 || mStepMinutes.value(s.step) == 0) return;
    pvtgrid::AddPvtGridRow(*MSFlexGrid1->gridModel(), s);
}

pvtgrid::Sample frmPVTtest::gridSample() const {
    pvtgrid::Sample s;
    s.step = CurStep;
    s.cycle = CurCycle;
    s.elapsedSec = double(ElapsedSeconds);
    s.sampleTemp = reply.SampleTemp;
    s.pressure = reply.SamplePress;
    s.speed = reply.SampleSpeed;
    s.density = reply.Density;
    s.height = reply.SampleHeight;
    return s;
}

pvtchart::Ticks frmPVTtest::ChartTicks() const {
    pvtchart::Ticks t;
    t.density = chkDens->checkState() == Qt::Checked;
    t.position = chkPosition->checkState() == Qt::Checked;
    t.temperature = chkTemp->checkState() == Qt::Checked;
    t.pressure = chkPress->checkState() == Qt::Checked;
    return t;
}

pvtchart::DensityConstants frmPVTtest::ChartConstants() const {
    return {reply.PistonRadius, reply.iniVol, reply.iniDensity};
}

void frmPVTtest::Initial_Chart_All() {
    mPlotHeld = {};  // the base settings write points of their own
    pvtchart::InitialChartAll(*Pesgo1, lblTestname->text());
}

void frmPVTtest::InitialChart() { Initial_Chart_All(); }

void frmPVTtest::guardChart(const std::function<void()>& action) {
    try {
        action();
    } catch (...) {
        const TrappedError e = CurrentError();
        ui::Notify(ui::errorText(e.number, e.description));
    }
}

void frmPVTtest::RefreshPvtChart() {
    guardChart([this] {
        if (lblTestname->text().isEmpty()) return;
        Pesgo1->setProp(pesgo::Action, qint16(pesgo::ActionNewChart));
        Initial_Chart_All();
        mSubsetCount = 0;
        const pvtchart::Ticks ticks = ChartTicks();
        if (pvtchart::LayOutAxes(*Pesgo1, ticks) == 0) return;
        if (TestId == 0) return;
        RequireResultRecord();
        const std::vector<ResultPoint>& rows = mSamples.Of(TestId, *mTestResult, mConnection);
        mRowCount = qint32(rows.size());
        if (mRowCount > 0)
            mSubsetCount = pvtchart::PlotSeries(*Pesgo1, ticks, rows, ChartConstants(), false, &mPlotHeld);
    });
}

void frmPVTtest::PlotPvtResults() {
    guardChart([this] {
        mSubsetCount = 0;
        if (TestId == 0) return;
        RequireResultRecord();
        const std::vector<ResultPoint>& rows = mSamples.Of(TestId, *mTestResult, mConnection);
        mRowCount = qint32(rows.size());
        if (mRowCount < 1) return;
        mSubsetCount = pvtchart::PlotSeries(*Pesgo1, ChartTicks(), rows, ChartConstants(), true, &mPlotHeld,
                                            mSamples.Version());
    });
}

void frmPVTtest::chkDens_Click() { RefreshPvtChart(); }
void frmPVTtest::chkPosition_Click() { RefreshPvtChart(); }
void frmPVTtest::chkTemp_Click() { RefreshPvtChart(); }
void frmPVTtest::chkPress_Click() { RefreshPvtChart(); }
