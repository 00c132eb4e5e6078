// The rheology test window's run: the sequence picker and the loading of the
// run tables, Start, Stop and Refresh, the recorded rows and the hooks
// through which the run (RheologyRun) reaches the window.

#include "rheology/frmRealTime.h"

#include "data/BobGeometry.h"
#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/clsSEQUENCE_INFO.h"
#include "data/clsSEQUENCE_RAMP.h"
#include "data/clsSEQUENCE_RAMP_DEFINE.h"
#include "data/clsTEST_ADDITIVE.h"
#include "data/clsTEST_INFO.h"
#include "data/clsTEST_RESULT.h"
#include "platform/TrapErrors.h"
#include "dialogs/frmTestRelatedInfo.h"
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"
#include "platform/ModalShow.h"
#include "platform/RunClock.h"
#include "dialogs/NewTestRecord.h"
#include "dialogs/frmNameSeq.h"
#include "unitrun/RunMessages.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

using namespace runloop;

// ---- the sequence picker -------------------------------------------------------------

void frmRealTime::SequencePicked(const QString& name) {
    mSequenceName = name;
    if (!LoadSequenceTables(false)) return;
    if (!mSequenceName.isEmpty()) lblSelectSeq->setText(mSequenceName);
    EmptyResultGrid();
}

bool frmRealTime::LoadSequenceTables(bool refresh) {
    const LoadedSequence loaded = LoadSteps(mSequenceName, MaxPress());
    mSeqInfoRow = loaded.seqInfoRow;
    mCurSeqId = loaded.sequenceId;
    switch (loaded.result) {
    case LoadResult::NoSteps:
        if (!refresh) {
            ui::MsgBox(NoDataMessage());
            mSequenceName.clear();
            return false;
        }
        // The running steps stay; ramp entries found are taken.
        if (refuseOutOfLimits(loaded, refresh)) return false;
        if (loaded.hasRampEntries) TakeRampEntries(loaded.tables);
        return true;
    case LoadResult::PressureTooHigh:
        // The tables loaded before stay whole.
        RefusePressure();
        return false;
    case LoadResult::Loaded:
        if (refuseOutOfLimits(loaded, refresh)) return false;
        TakeSteps(loaded.tables);
        // A sequence without ramp entries has none (its ramp steps run as
        // plain steps), whatever an earlier sequence had.
        TakeRampEntries(loaded.tables);
        return true;
    }
    return false;
}

bool frmRealTime::refuseOutOfLimits(const LoadedSequence& loaded, bool refresh) {
    // Values another program stored that a step may not hold (with this
    // unit's Max Pressure). The tables loaded before stay whole (a refresh
    // keeps running them); as with a pressure too high, a picked sequence is
    // not taken.
    if (loaded.problem.isEmpty()) return false;
    ui::MsgBox(loaded.problem);
    if (!refresh) mSequenceName.clear();
    return true;
}

void frmRealTime::RefusePressure() {
    ui::MsgBox(PressureTooHighMessage(MaxPress()));
    mSequenceName.clear();
    // Offered also after a refused refresh: its choice loads once the run is over.
    OpenPicker();
}

void frmRealTime::EmptyResultGrid() { MSFlexGrid1->Rows(1); }

// ---- Start, Stop, Refresh ------------------------------------------------------------

void frmRealTime::cmdStart_Stop_Click() {
    EmptyResultGrid();
    TrapErrors([this] { StartClicked(); });
}

bool frmRealTime::ReadyForStart() {
    return !RefusedWhileDownloading(QStringLiteral("The test cannot be started"));
}

QString frmRealTime::MissingSequenceMessage() const {
    return mSequenceName.isEmpty() ? runloop::SelectSequenceFirstMessage() : QString();
}

bool frmRealTime::StartChecks() {
    // The tables as loaded, checked again before they run (with the Max
    // Pressure chosen now).
    const QString beyond = CheckRunTables(*this, MaxPress());
    if (beyond.isEmpty()) return true;
    ui::MsgBox(beyond);
    return false;
}

std::unique_ptr<frmTestRelatedInfo> frmRealTime::TestInfoDialog() {
    RequireTestRecords();
    auto dialog = std::make_unique<frmTestRelatedInfo>(mConnection, this);
    dialog->setWindowTitle(QStringLiteral("Input Test Information"));
    if (QLabel* length = dialog->Label1(1)) length->setText(QStringLiteral("Bob_Length"));
    for (QLabel* unitLabel : {dialog->Label3, dialog->Label4}) {
        unitLabel->setText(QStringLiteral("cm"));
        unitLabel->setVisible(true);
    }
    dialog->Label7->hide();
    return dialog;
}

namespace {
// The dialog's fields with the radius and length of the bob named in Bob
// Number, whether typed or filled in from the bob file: what the boxes
// beside it hold counts for nothing. Nothing for a bob the program does not
// know ("B1Z", "B1B1"), or one that does not fit the cup.
std::optional<newtest::NewTestFields> KnownBobFields(const frmTestRelatedInfo& dialog) {
    newtest::NewTestFields fields = newtest::FieldsOf(dialog);
    const bob::KnownBob* known = bob::FindBob(fields.bobNo, true);
    if (!known || !bob::FitsCup(known->radiusCm)) return std::nullopt;
    fields.bobRadius = known->radiusCm;
    fields.bobLength = known->lengthCm;
    return fields;
}
}  // namespace

bool frmRealTime::StoreNewTest(frmTestRelatedInfo& dialog) {
    // A bob the program does not know has no shear rate: nothing is stored
    // and the run does not start.
    const std::optional<newtest::NewTestFields> fields = KnownBobFields(dialog);
    if (!fields) {
        ui::MsgBox(BobRadiusMessage(bob::BobNames()));
        return false;
    }
    return StoreTestOf(*fields, dialog);
}

void frmRealTime::BeginTest(frmTestRelatedInfo& dialog) {
    // The test was stored with a known bob (StoreNewTest).
    const newtest::NewTestFields fields = KnownBobFields(dialog).value_or(newtest::FieldsOf(dialog));
    lblTestname->setText(fields.testName);
    mBobRadius = fields.bobRadius;
    mReply.SetBobRadius(mBobRadius);
    mRadiusRatio = bob::kCupRadiusCm / mBobRadius;
    // A new test holds no rows: the grid and chart need no read of them.
    mSamples.Begin(TestId);

    if (const int number = bob::UnitNumberOf(dialog.txtBobNo->text())) mBobNumber = number;

    StartTest();
    cmdZero->setEnabled(false);
    // The chart is the new test's from now on: its name as the subtitle
    // and none of the points of the test before.
    RefreshRealTimeChart();
}

void frmRealTime::cmdStop_Click() {
    // The stop frame goes out as always; a download under way ends first.
    EndDownload();
    StopClicked();
}

void frmRealTime::cmdRefresh_Click() {
    TrapErrors([this] { RefreshClicked(); });
}

void frmRealTime::RefreshRun() {
    if (!LoadSequenceTables(true)) return;

    // The current step again from its start, with the reloaded values.
    RestartStep();

    if (CurStep <= mStepCount) {
        cmdExit->setEnabled(false);
        EndTimeText = PlannedEndFrom(CurStep);
        ShowPanel(QStringLiteral("EndTime"), QStringLiteral("End Time: ") + EndTimeText);
    } else {
        RunState = kIdle;
        ShutDown();
    }
}

// ---- the run's hooks -------------------------------------------------------------------

void frmRealTime::SetTimerInterval(int ms, bool enable) { SetTickInterval(ms, enable); }

void frmRealTime::ShowPanel(const QString& key, const QString& text) {
    ShowStatusPanel(key, text, {StartTime, ElapsedTime, EndTime});
}

void frmRealTime::RunButtons(bool running) {
    cmdStart_Stop->setEnabled(!running);
    cmdSelect->setEnabled(!running);
    cmdRetrieve->setEnabled(!running);
    cmdExit->setEnabled(!running);
    if (!running) cmdZero->setEnabled(true);
}

void frmRealTime::AddResultGridRow() { MSFlexGrid1->Rows(MSFlexGrid1->Rows() + 1); }
