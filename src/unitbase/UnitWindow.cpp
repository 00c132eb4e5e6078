#include "unitbase/UnitWindow.h"

#include "data/Globals.h"
#include "dialogs/ControlLayout.h"
#include "data/clsSEQUENCE_INFO.h"
#include "dialogs/NamedControls.h"
#include "dialogs/frmNameSeq.h"
#include "dialogs/frmTestRelatedInfo.h"
#include "platform/Dialogs.h"
#include "platform/ModalShow.h"
#include "platform/StatusBarPanel.h"
#include "platform/TrapErrors.h"
#include "unitrun/RunRecords.h"
#include "unitrun/RunMessages.h"
#include "unitrun/SequenceRun.h"
#include "unitlink/UnitProtocol.h"

#include <QLabel>

#include <QCloseEvent>
#include <QEvent>
#include <QFont>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <algorithm>
#include <vector>

namespace {

// The unit windows alive, in the order they were made.
std::vector<UnitWindow*>& liveWindows() {
    static std::vector<UnitWindow*> windows;
    return windows;
}

}  // namespace

UnitWindow::UnitWindow(UnitWindowKind kind, const QString& name, const QString& caption, QSize designedSize,
                       std::function<void()> tick, QWidget* parent)
    : QWidget(parent), mLayout(this, ControlLayout::Scaled), kind_(kind), maxPress_(gMaxPress) {
    liveWindows().push_back(this);
    setObjectName(name);
    setWindowTitle(caption);
    resize(designedSize);
    // What a tick says (a trip, the pressure band, a point refused) names the
    // unit, so two units' boxes of the same words are two boxes.
    Timer1.Timer = [this, tick = std::move(tick)] {
        const ui::NotifySource unit(UnitLabel());
        tick();
    };
}

QSize UnitWindow::sizeHint() const {
    const QSize designed = mLayout.DesignedSize();
    return designed.isValid() ? designed : QWidget::sizeHint();
}

QSize UnitWindow::minimumSizeHint() const {
    const QSize readable = mLayout.ReadableSize();
    return readable.isValid() ? readable : QWidget::minimumSizeHint();
}

bool UnitWindow::event(QEvent* event) {
    const bool handled = QWidget::event(event);  // resizeEvent, showEvent
    if (event->type() == QEvent::Resize || event->type() == QEvent::Show) mLayout.Form_Resize();
    return handled;
}

void UnitWindow::MakeHeadingLabels(const QString& unitCaption, const QRect& unitPlace, const QString& statusCaption,
                                   const QRect& statusPlace) {
    const QFont big = HeadingFont();
    lblInstName = controls::Label(this, QStringLiteral("lblInstName"), unitCaption, unitPlace);
    lblInstName->setFont(big);
    lblActiveFlag = controls::Label(this, QStringLiteral("lblActiveFlag"), statusCaption, statusPlace);
    lblActiveFlag->setFont(big);
}

void UnitWindow::SetTickInterval(int ms, bool enable) {
    Timer1.Interval(ms);
    if (enable) Timer1.Enabled(true);
}

void UnitWindow::ShowStatusPanel(const QString& key, const QString& text, std::initializer_list<QLabel*> panels) {
    // The progress panel gives way to the points waiting for the database.
    if (progressPanel_ && key == progressPanel_->objectName()) {
        ShowProgress(text);
        return;
    }
    for (QLabel* panel : panels)
        if (panel->objectName() == key) panel->setText(text);
}

void UnitWindow::MaxPress(double psi) {
    maxPress_ = psi;
    if (opt20000_ && opt30000_) (psi == 20000 ? opt20000_ : opt30000_)->setChecked(true);
}

void UnitWindow::UseMaxPressureOptions(QRadioButton* opt20000, QRadioButton* opt30000) {
    opt20000_ = opt20000;
    opt30000_ = opt30000;
    MaxPress(maxPress_);
    connect(opt20000, &QRadioButton::clicked, this, [this] { maxPress_ = opt20000_->isChecked() ? 20000 : 30000; });
    connect(opt30000, &QRadioButton::clicked, this, [this] { maxPress_ = opt30000_->isChecked() ? 30000 : 20000; });
}

UnitWindow::~UnitWindow() {
    Timer1.Enabled(false);
    Timer1.Timer = nullptr;
    auto& windows = liveWindows();
    windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
}

QString UnitWindow::UnitLabel() const { return lblInstName ? lblInstName->text() : windowTitle(); }

std::vector<UnitWindow*> UnitWindow::LiveWindows() { return liveWindows(); }

QStringList UnitWindow::UnitsRunningTests() { return UnitsRunningTests(liveWindows()); }

QStringList UnitWindow::UnitsRunningTests(const std::vector<UnitWindow*>& windows) {
    std::vector<const UnitWindow*> running;
    for (const UnitWindow* w : windows)
        if (w->TestRunning()) running.push_back(w);
    // Units 1 .. 8 by number; a label of another form after them.
    auto order = [](const UnitWindow* w) {
        const int n = UnitOfCaption(w->UnitLabel());
        return n > 0 ? n : 9;
    };
    std::stable_sort(running.begin(), running.end(),
                     [&](const UnitWindow* a, const UnitWindow* b) { return order(a) < order(b); });
    QStringList labels;
    for (const UnitWindow* w : running)
        if (!labels.contains(w->UnitLabel())) labels << w->UnitLabel();
    return labels;
}

QString UnitWindow::UnitRecordingTest(qint32 testId) {
    if (testId == 0) return QString();
    for (const UnitWindow* w : liveWindows()) {
        const runloop::SequenceRun* run = w->RecordingRun();
        if (w->RecordingTestId() == testId || (run && run->RowsWaitingOf(testId) > 0)) return w->UnitLabel();
    }
    return QString();
}

QString UnitWindow::WindowHoldingDevice(const QString& device) {
    if (device.isEmpty()) return QString();
    for (UnitWindow* w : liveWindows())
        if (w->MSComm1.PortOpen() && w->MSComm1.DevicePath() == device)
            return w->windowTitle().isEmpty() ? w->UnitLabel() : w->windowTitle();
    return QString();
}

qint32 UnitWindow::RecordingTestId() const {
    const runloop::SequenceRun* run = RecordingRun();
    return run && TestRunning() ? run->TestId : 0;
}

void UnitWindow::Container(UnitContainer* container) {
    container_ = container;
    containerObject_ = dynamic_cast<QObject*>(container);
}

UnitContainer* UnitWindow::Container() const { return containerObject_ ? container_ : nullptr; }

void UnitWindow::InitialInst(clsConnection*) {}

int UnitWindow::UnitOfCaption(const QString& caption) {
    for (int n = 1; n <= 8; ++n)
        if (caption == QStringLiteral("Unit ") + QString::number(n)) return n;
    return 0;
}

void UnitWindow::EnableContainerEntry(int unitNumber) {
    if (UnitContainer* c = Container()) c->EnableEntry(kind_, unitNumber);
}

QString UnitWindow::PortNotOpenMessage(const QString& refused) const {
    return refused + QStringLiteral(": the unit's ") + MSComm1.PortName() +
           QStringLiteral(" is not open. Check the unit's cable and port setting, then close this window and add "
                          "the unit again.");
}

QString UnitWindow::CalibrateWhileRunningMessage() const {
    return QStringLiteral("The calibration cannot take the unit's port while the test \"") + RunningTestName() +
           QStringLiteral("\" runs: stop the test or let it end, then press Calibrate again.");
}

bool UnitWindow::PortReady() const { return PortOpenHook ? PortOpenHook() : MSComm1.PortOpen(); }

bool UnitWindow::RequirePort(const QString& refused) {
    if (PortReady()) return true;
    ui::MsgBox(PortNotOpenMessage(refused));
    return false;
}

void UnitWindow::SendToUnit(const QString& frame) {
    if (SendHook) {
        SendHook(frame);
        return;
    }
    MSComm1.Output(frame);  // raises 8018 on a port that is not open
}

void UnitWindow::PortLost(const comm::CommError& error, bool wasRunning) {
    // A stop frame that fails while this failure is handled is part of it.
    if (inPortFailure_) return;
    inPortFailure_ = true;
    if (MSComm1.PortOpen()) {
        try {
            MSComm1.PortOpen(false);
        } catch (...) {
        }
    }
    // The line has failed: the stop frame of the run's end cannot go either.
    if (RunActive()) {
        try {
            StopRun();
        } catch (const comm::CommError&) {
        }
    }
    inPortFailure_ = false;
    if (lblActiveFlag) lblActiveFlag->setText(unit::NoResponseCaption());
    const ui::NotifySource unit(UnitLabel());
    ui::Notify(PortFailureMessage(error, wasRunning));
}

std::unique_ptr<frmTestRelatedInfo> UnitWindow::TestInfoDialog() { return nullptr; }

void UnitWindow::StartClicked() {
    if (TestRunning() || !ReadyForStart()) return;
    // The sequence is the first thing a Start needs: said before the port.
    if (const QString missing = MissingSequenceMessage(); !missing.isEmpty()) {
        ui::MsgBox(missing);
        return;
    }
    // Without the unit's line a run would record nothing the unit sent:
    // refused before anything is asked or stored.
    if (!RequirePort(QStringLiteral("The test cannot be started"))) return;
    if (!StartChecks()) return;
    std::unique_ptr<frmTestRelatedInfo> dialog = TestInfoDialog();
    if (!dialog) return;
    frmTestRelatedInfo& d = *dialog;
    // What the dialog's Start came to.
    enum class AtStart { None, LineLost, Stored } outcome = AtStart::None;
    d.Starting = [this, &d, &outcome] {
        // The timer ticks under the dialog: the line may have failed
        // meanwhile. Without it no test can run here: the dialog closes and
        // nothing is stored.
        if (!RequirePort(QStringLiteral("The test cannot be started"))) {
            outcome = AtStart::LineLost;
            return true;
        }
        // A refusal of the window's checks or of the database leaves the
        // dialog open with everything typed.
        bool stored = false;
        TrapErrors([&] { stored = StoreNewTest(d); });
        if (stored) outcome = AtStart::Stored;
        return stored;
    };
    ui::ShowModal(d);
    d.Starting = nullptr;
    if (outcome == AtStart::Stored)
        BeginTest(d);
    else if (outcome == AtStart::None)
        StartCancelled();
}

void UnitWindow::StopClicked() {
    const bool running = TestRunning();
    if (running && !ConfirmStop()) return;
    try {
        StopRun();
    } catch (const comm::CommError& e) {
        PortLost(e, running);
    }
    SettleRowsWaiting();
}

void UnitWindow::RefreshClicked() {
    if (!RefreshAllowed()) return;
    try {
        RefreshRun();
    } catch (const comm::CommError& e) {
        PortLost(e, true);
    }
}

bool UnitWindow::SequenceLocked() const {
    if (!TestRunning()) return false;
    ui::MsgBox(runloop::SequenceLockedMessage());
    return true;
}

void UnitWindow::cmdSelect_Click() {
    // The running test's steps are never replaced.
    if (SequenceLocked()) return;
    OpenPicker();
}

bool UnitWindow::PickerRecordsReady() {
    if (runloop::RunRecords* records = SequenceRecords()) records->RequireSequenceRecords();
    return true;
}

void UnitWindow::OpenPicker() {
    if (!PickerRecordsReady()) return;
    frmNameSeq::Open(this, cfNameSeq, [this] { cfNameSeq_SelectedTestName(); });
    if (PickerDeletedOnClose()) cfNameSeq->setAttribute(Qt::WA_DeleteOnClose);
    FillSequenceList();
    cfNameSeq->show();
}

void UnitWindow::FillSequenceList() {
    runloop::RunRecords* records = SequenceRecords();
    if (!records || !records->mSeqInfo) return;
    records->mSeqInfo->ConnectX(records->mConnection);
    const RowCache names = records->mSeqInfo->JustName();
    cfNameSeq->ListNames(names, records->mSeqInfo->RowCount());
}

void UnitWindow::cfNameSeq_SelectedTestName() {
    if (!cfNameSeq) return;
    // A picker opened before Start and confirmed during the run loads
    // nothing: it stays open for after the run.
    if (SequenceLocked()) return;
    SequencePicked(frmNameSeq::TakeSelection(cfNameSeq));
}

QString UnitWindow::PortFailureMessage(const comm::CommError& error, bool wasRunning) const {
    const QString stopped = wasRunning ? runloop::RunStoppedText(RunningTestName()) : QString();
    return ui::errorText(error.number(), error.fullText()) + PortFailureNote(error, stopped);
}

QString UnitWindow::PortFailureNote(const comm::CommError& error, const QString& runStopped) {
    QString note;
    if (!runStopped.isEmpty()) note += QLatin1Char('\r') + runStopped;
    if (error.number() == comm::ErrWriteDevice)
        note += QStringLiteral("\rThe unit did not receive the last command: check that it has stopped.");
    return note;
}

void UnitWindow::CloseFromExit() {
    // The frame may hold the window inside a scrolling area of its own.
    for (QWidget* p = parentWidget(); p; p = p->parentWidget()) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(p)) {
            sub->close();
            return;
        }
    }
    close();
}

bool UnitWindow::CloseRefused(QCloseEvent* event, bool testRunning, const QString& refusal) {
    if (Timer1.InTick()) {
        event->ignore();
        return true;
    }
    if (testRunning) {
        ui::MsgBox(refusal);
        event->ignore();
        return true;
    }
    if (!rowsWaitingAnswered_ && !LeaveOrStoreRowsWaiting({this}, runloop::WayOut::CloseWindow)) {
        event->ignore();
        return true;
    }
    return false;
}

// ---- recorded points waiting for the database -------------------------------------------

void UnitWindow::UseProgressPanel(QLabel* panel) {
    progressPanel_ = panel;
    progressText_ = panel ? panel->text() : QString();
}

void UnitWindow::ShowProgress(const QString& text) {
    progressText_ = text;
    ShowRowsWaiting();
}

void UnitWindow::ShowRowsWaiting() {
    if (!progressPanel_) return;
    const runloop::SequenceRun* run = RecordingRun();
    if (!run || run->RowsWaiting() == 0) {
        progressPanel_->setText(progressText_);
        return;
    }
    const QString text =
        runloop::RowsWaitingText(lblInstName ? lblInstName->text() : QString(), run->RowsWaitingTest(),
                                 run->RowsWaiting(), run->RowsWaitingReason(), run->RowsInMemoryOnly());
    // A panel too narrow for it shows a shorter form, the whole text in its tip.
    if (auto* panel = qobject_cast<StatusBarPanel*>(progressPanel_.data()))
        panel->SetText(text, runloop::RowsWaitingShortTexts(run->RowsWaiting(), run->RowsWaitingReason(),
                                                            run->RowsInMemoryOnly()));
    else
        progressPanel_->setText(text);
}

std::function<void(bool late)> UnitWindow::AfterRowStored(LiveSamples& samples, const ResultPoint& row,
                                                          std::function<void()> lateGridRow,
                                                          std::function<void()> onTime) {
    return [this, &samples, row, lateGridRow = std::move(lateGridRow), onTime = std::move(onTime)](bool late) {
        const qint32 testId = qint32(row[resultcol::TestId]);
        samples.Written(testId, row);
        if (!late) {
            if (onTime) onTime();
            return;
        }
        // The grid and chart are those of the run's test.
        const runloop::SequenceRun* run = RecordingRun();
        if (!run || testId != run->TestId) return;
        if (lateGridRow) lateGridRow();
        latePlot_ = true;
    };
}

void UnitWindow::RowsWaitingShown() {
    ShowRowsWaiting();
    if (latePlot_) {
        latePlot_ = false;
        RedrawLiveChart();
    }
}

void UnitWindow::SettleRowsWaiting() {
    runloop::SequenceRun* run = RecordingRun();
    if (!run || run->RowsWaiting() == 0) return;
    const int answer = ui::MsgBox(runloop::RowsWaitingQuestion(lblInstName ? lblInstName->text() : QString(),
                                                               run->RowsWaitingTest(), run->RowsWaiting(),
                                                               run->RowsWaitingReason()),
                                  ui::vbYesNoCancel + ui::vbExclamation);
    // The ticks go on under the question: some may have been stored meanwhile.
    if (answer == ui::vbYes)
        run->StoreWaitingRows();
    else if (answer == ui::vbNo)
        run->DropWaitingRows();
}

// ---- the ways out ----------------------------------------------------------------------------

int UnitWindow::RowsWaitingIn(const std::vector<UnitWindow*>& windows) {
    int count = 0;
    for (UnitWindow* w : windows)
        if (const runloop::SequenceRun* run = w->RecordingRun()) count += run->RowsWaiting();
    return count;
}

bool UnitWindow::LeaveOrStoreRowsWaiting(const std::vector<UnitWindow*>& windows, runloop::WayOut way,
                                         const QString& title) {
    // The ticks go on under the question; a window may even go away.
    std::vector<QPointer<UnitWindow>> held(windows.begin(), windows.end());
    auto alive = [&] {
        std::vector<UnitWindow*> now;
        for (const QPointer<UnitWindow>& w : held)
            if (w) now.push_back(w);
        return now;
    };
    int stillWaiting = 0;  // after a Yes that stored not all
    for (;;) {
        QStringList waiting;
        runloop::PointsInMemory inMemory;  // those the spool could not keep: lost on No
        for (UnitWindow* w : alive()) {
            const runloop::SequenceRun* run = w->RecordingRun();
            if (!run) continue;
            const QString unit = w->lblInstName ? w->lblInstName->text() : w->windowTitle();
            for (const runloop::WaitingRows::TestRows& t : run->RowsWaitingTests())
                waiting << runloop::RowsWaitingText(unit, t.test, t.count, run->RowsWaitingReason());
            for (const runloop::WaitingRows::TestRows& t : run->RowsInMemoryOnlyTests()) {
                inMemory.count += t.count;
                inMemory.tests << runloop::RowsWaitingTestText(unit, t.test, t.count);
            }
            inMemory.othersKept = inMemory.othersKept || run->RowsWaiting() > run->RowsInMemoryOnly();
        }
        if (waiting.isEmpty()) return true;
        const int answer = ui::MsgBox(runloop::WayOutQuestion(waiting, way, stillWaiting, inMemory),
                                      ui::vbYesNoCancel + ui::vbExclamation + ui::vbDefaultButton3, title);
        // No: the points stay as they are, those of the spool kept for the next start.
        if (answer == ui::vbNo) return true;
        if (answer != ui::vbYes) return false;
        for (UnitWindow* w : alive())
            if (runloop::SequenceRun* run = w->RecordingRun()) run->StoreWaitingRows();
        stillWaiting = RowsWaitingIn(alive());
    }
}

void UnitWindow::ReleaseUnit(int unitNumber) {
    EnableContainerEntry(unitNumber);
    if (MSComm1.PortOpen()) MSComm1.PortOpen(false);
}

QFont UnitWindow::HeadingFont() const {
    QFont big = font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    return big;
}
