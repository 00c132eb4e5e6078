#pragma once
// The base of every unit window (rheology, simple test, PVT, swell). What the
// multi-unit window uses of each, whatever the kind: the unit label, the
// timer that polls the unit, the serial port on the unit's port, the record
// objects' set-up, the unit number, and the menu entry given back at close.
//
// What the kinds do alike: the send to the unit and the one port failure
// path, the unit's maximum pressure, the course of a test (Start, Stop,
// Refresh, the sequence picker), the registry of the unit windows alive, the
// ways out and the recorded points waiting for the database.

#include "dialogs/ControlLayout.h"
#include "platform/CommPort.h"
#include "platform/TickTimer.h"
#include "unitrun/LiveSamples.h"
#include "unitrun/RunMessages.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

class QCloseEvent;
class QLabel;
namespace runloop {
class SequenceRun;
struct RunRecords;
}
class frmNameSeq;
class frmTestRelatedInfo;
class QRadioButton;
class QFont;
class clsConnection;
// The controls the windows of every kind hold.
class FlexGrid;
class PeChart;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QStatusBar;

// The kinds of unit window, in the order of the container's menus.
enum class UnitWindowKind : int { RealTime = 0, Simple = 1, Pvt = 2, Swell = 3 };

// What a unit window needs of the window that holds it (the multi-unit
// window). The holder is a QObject; a unit window outliving it calls nothing.
class UnitContainer {
public:
    virtual ~UnitContainer() = default;
    // The window of the kind on unit n closes: the unit is offered again.
    virtual void EnableEntry(UnitWindowKind kind, int unitNumber) = 0;
};

class UnitWindow : public QWidget {
    Q_OBJECT
public:
    // A window of the kind, named `name` (its objectName), with its designed
    // caption as its title and at its designed client size, which its
    // controls are then placed against; each tick of Timer1 runs `tick`,
    // its boxes (ui::Notify) named for the unit (UnitLabel).
    UnitWindow(UnitWindowKind kind, const QString& name, const QString& caption, QSize designedSize,
               std::function<void()> tick, QWidget* parent = nullptr);
    // Stops the timer that polls the unit.
    ~UnitWindow() override;

    UnitWindowKind kind() const { return kind_; }

    // The window's size as designed (the client size its proportional
    // layout was recorded at), for its frame's normal size.
    QSize sizeHint() const override;
    // The smallest size at which every text of the window fits its control
    // (ControlLayout::ReadableSize); a frame that holds the window scrolls
    // below it.
    QSize minimumSizeHint() const override;

    // The proportional layout of the window's controls (scaled), recorded by
    // the window's load; the controls follow it on every resize and show of
    // the window, and the size hints come from it.
    ControlLayout mLayout;

    // The unit label ("Unit 1" .. "Unit 8"); every kind has one, shown or not.
    QLabel* lblInstName = nullptr;
    // The unit's status caption beside it ("Running Test", "No Response", ...).
    QLabel* lblActiveFlag = nullptr;
    // The font of the window's two heading labels (the unit label and the
    // status caption beside it): the window's font, bold, 1.3 times its size.
    QFont HeadingFont() const;
    // The timer that polls the unit (designed interval 0).
    tick::TickTimer Timer1;
    // The unit's serial port.
    comm::CommPort MSComm1;

    // Creates the window's record objects over the connection; kinds
    // without records do nothing.
    virtual void InitialInst(clsConnection* connection);
    // The number of the unit the window serves (the PVT and swell windows
    // are given it; the other kinds keep 0). Setting it only stores the
    // number: nothing else happens (the port, the label and the calibration
    // stay as they are).
    int Units() const { return units_; }
    void Units(int unitNumber) { units_ = unitNumber; }

    // The maximum pressure of this unit (psi), 20000 or 30000, chosen in its
    // window's Max Pressure options: it governs this unit alone (its
    // over-pressure trip, the sequences and set points checked in its
    // window). A new window takes the start-up value (gMaxPress, 30000); a
    // window without the options keeps it.
    double MaxPress() const { return maxPress_; }
    void MaxPress(double psi);
    // The window's Max Pressure options: they show the value in force, and
    // a click chooses the value of the option selected.
    void UseMaxPressureOptions(QRadioButton* opt20000, QRadioButton* opt30000);

    // ---- the course of a test ---------------------------------------------------
    // Start, for the windows that run a stored sequence: nothing while a test
    // runs; the window's first check (ReadyForStart); refused without a
    // sequence, with the window's words (MissingSequenceMessage), also on a
    // unit whose port is not open; then refused without the unit's port; the
    // window's own checks (StartChecks: the sequence chosen, ...); the test information dialog (TestInfoDialog). At the dialog's
    // Start, with the dialog still open: the port checked again, since the
    // timer ticks under the dialog and the line may fail before it (without
    // it the dialog closes, nothing stored); then the window's checks of what
    // was typed and the new test's records, all or nothing (StoreNewTest): a
    // refusal, the database's too (in use by another program, disk full),
    // leaves the dialog open with everything typed. Once the dialog has
    // closed on stored records the window starts the run (BeginTest).
    // Nothing is stored before the dialog's Start.
    void StartClicked();
    // Stop: the window's question while a test runs (ConfirmStop), then the
    // run ended; a stop frame the line does not take is a port failure.
    void StopClicked();
    // Refresh: while the run's steps run (RefreshAllowed), the window reloads
    // the running sequence and restarts the current step (RefreshRun); a
    // frame the line does not take is a port failure.
    void RefreshClicked();
    // Select and the picker's OK while a test runs: refused with the reason,
    // the running test's steps are never replaced. True when refused.
    bool SequenceLocked() const;

    // ---- the sequence picker -----------------------------------------------------
    // Select: refused while a test runs (SequenceLocked), else OpenPicker.
    void cmdSelect_Click();
    // A new sequence picker (modeless) with the stored names, once the
    // window's records are there (PickerRecordsReady); the picker opened
    // before no longer answers this window.
    void OpenPicker();
    // The picker's list: the stored names, read anew, the first selected.
    void FillSequenceList();
    // The picker's OK: while a test runs it is refused and the picker stays
    // open; else the picker closes and the window loads the chosen name
    // (SequencePicked).
    void cfNameSeq_SelectedTestName();
    // The open picker whose OK this window handles (empty before the first
    // Select and after a sequence is chosen).
    QPointer<frmNameSeq> cfNameSeq;

    // The container whose menu entry the window re-enables when it closes.
    void Container(UnitContainer* container);
    UnitContainer* Container() const;

    // The refusal of an action that needs the unit while its port is not
    // open (it failed to open, or the line went away): names the port and its
    // device (MSComm1.PortName(): "port 3 (/dev/ttyUSB0)").
    QString PortNotOpenMessage(const QString& refused) const;
    // Why Calibrate does nothing while a test runs: the unit's port is the
    // running test's (RunningTestName) until it is over.
    QString CalibrateWhileRunningMessage() const;
    // True while the unit's port is open; tests without a line may answer
    // through PortOpenHook instead.
    bool PortReady() const;
    std::function<bool()> PortOpenHook;
    // For an action that sends to the unit (or reads its readings): false,
    // with PortNotOpenMessage(refused) said, while the port is not open.
    bool RequirePort(const QString& refused);
    // Writes a frame to the unit. A port that is not open is a port failure
    // (comm::CommError 8018, "Operation valid only when the port is open"),
    // never a frame skipped in silence. Tests without a line may take the
    // frames through SendHook instead.
    void SendToUnit(const QString& frame);
    std::function<void(const QString& frame)> SendHook;

    // The port failure path of every unit window: the port went away, refused
    // a frame or was not open for one. The port is let go, a running test
    // is stopped (its stop frame is not tried on the failed line), the status
    // caption shows "No Response" and one message says what failed, with its
    // number, and what it ended (PortFailureMessage).
    void PortLost(const comm::CommError& error, bool wasRunning);

    // What a port failure's one message adds after the failure itself: the
    // run it ended (runStopped, the window's own words; empty when none) and,
    // for a frame that could not be written, that the unit may not have had
    // its last command.
    static QString PortFailureNote(const comm::CommError& error, const QString& runStopped);

    // n for a label reading exactly "Unit n" (n = 1 .. 8), else 0.
    static int UnitOfCaption(const QString& caption);

    // ---- the unit windows that are open ---------------------------------------------
    // Every unit window of the process, whatever holds it, is known here from
    // its construction to its destruction, so that the windows that must not
    // end or orphan a running test or drop points waiting (the main window's
    // Exit, the deleting of a stored test) can ask without knowing the kinds.
    //
    // The labels of the units whose window runs a test (TestRunning), in unit
    // order, each once ("Unit 2", "Unit 5"); empty when none runs.
    static QStringList UnitsRunningTests();
    // The label of the unit whose window is recording the test of TEST_ID
    // `testId`, or holds its points waiting for the database; empty when
    // none does (or testId is 0).
    static QString UnitRecordingTest(qint32 testId);
    // The caption of the unit window whose port is open on `device` (a
    // device path, comm::DevicePath), so that another window that cannot
    // open the port can name the one holding it; empty when none holds it.
    static QString WindowHoldingDevice(const QString& device);
    // The TEST_ID of the test whose rows this window records now; 0 when none.
    // The run's test (runloop::SequenceRun::TestId) while a test runs, for
    // the windows that record (RecordingRun: rheology, PVT, swell); 0 for
    // the others.
    qint32 RecordingTestId() const;
    // The unit label as the registry names it: lblInstName's text, or the
    // window's title when it has no label.
    QString UnitLabel() const;

    // ---- the ways out ------------------------------------------------------------------
    // Every way out (the program's Exit, closing the multi-unit window,
    // closing a unit window) decides before anything closes: while a test
    // runs it is refused, naming the units; then it asks about the recorded
    // points waiting in its windows (LeaveOrStoreRowsWaiting).
    //
    // The unit windows alive, in the order they were made.
    static std::vector<UnitWindow*> LiveWindows();
    // The labels of the units among `windows` that run a test, as
    // UnitsRunningTests names them.
    static QStringList UnitsRunningTests(const std::vector<UnitWindow*>& windows);
    // The recorded points waiting for the database in `windows`.
    static int RowsWaitingIn(const std::vector<UnitWindow*>& windows);
    // The way out's question while points wait in `windows`
    // (runloop::WayOutQuestion, each test named with how many points, the
    // box titled `title`): Yes tries to store them now and asks again, saying
    // how many still wait, until none does; No goes out, leaving them as they
    // are (they are kept for the next start, never dropped); Cancel, the
    // default, stays. True when the way out goes on (none waits, or No).
    static bool LeaveOrStoreRowsWaiting(const std::vector<UnitWindow*>& windows, runloop::WayOut way,
                                        const QString& title = QString());
    // The way out that closes this window has asked already (the multi-unit
    // window's close): its own close does not ask again while this holds.
    void RowsWaitingAnswered(bool answered) { rowsWaitingAnswered_ = answered; }

    // ---- recorded points waiting for the database --------------------------------
    // The progress panel of the status bar ("StepTime"): while recorded points
    // wait to be stored it shows them (the unit, the test, how many and the
    // database's reason) instead of its own text, which comes back once they
    // are stored. A panel too narrow for them (a StatusBarPanel) shows a
    // shorter form (RowsWaitingShortTexts), the whole text in its tip.
    void UseProgressPanel(QLabel* panel);
    // The panel's own text (the run's progress).
    void ShowProgress(const QString& text);
    // The points waiting shown, or the panel's own text back when none waits.
    void ShowRowsWaiting();

protected:
    // ---- what the windows of every kind make and show alike ------------------------
    // Makes the two heading labels in HeadingFont: lblInstName with
    // `unitCaption` at `unitPlace`, then lblActiveFlag with `statusCaption`
    // at `statusPlace`.
    void MakeHeadingLabels(const QString& unitCaption, const QRect& unitPlace, const QString& statusCaption,
                           const QRect& statusPlace);
    // The run's timer interval (ms), the timer enabled as well when `enable`.
    void SetTickInterval(int ms, bool enable = false);
    // A run's text for the status-bar panel named `key`: the progress panel's
    // through ShowProgress (points waiting for the database take its place),
    // another's into the one of `panels` with that objectName.
    void ShowStatusPanel(const QString& key, const QString& text, std::initializer_list<QLabel*> panels);

    // After every resize and show of the window its controls follow their
    // layout (mLayout.Form_Resize).
    bool event(QEvent* event) override;

    // ---- what the port failure path needs of each kind ----------------------------
    // True while a test runs (its stop is then part of the failure).
    virtual bool RunActive() const { return false; }
    // Ends the running test (its ShutDown).
    virtual void StopRun() {}
    // The one message of a failure, each kind's words: by default the
    // numbered error, then the running test that stopped, then the note of a
    // frame that could not be written (PortFailureNote).
    virtual QString PortFailureMessage(const comm::CommError& error, bool wasRunning) const;
    // The name of the running test, as the failure message names it.
    virtual QString RunningTestName() const { return QString(); }

    // ---- what the sequence picker needs of each kind --------------------------------
    // The record objects the picker reads the stored names through; none for
    // a window without sequences.
    virtual runloop::RunRecords* SequenceRecords() { return nullptr; }
    // The window's check that its records are there before the picker opens
    // or loads (a message, or a thrown failure, when they are not): by
    // default the sequence records' (RunRecords::RequireSequenceRecords).
    virtual bool PickerRecordsReady();
    // The chosen sequence loaded as the kind loads it (name empty when none
    // was chosen).
    virtual void SequencePicked(const QString& name) { (void)name; }
    // True for a kind whose picker is deleted when it is closed.
    virtual bool PickerDeletedOnClose() const { return false; }

    // ---- what the course of a test needs of each kind ------------------------------
    // A test runs (Start does nothing, Select is refused, Stop asks).
    virtual bool TestRunning() const { return RunActive(); }
    // Start's first check, with its own message; false ends Start there.
    virtual bool ReadyForStart() { return true; }
    // Start's next check, before the port's: the message of a Start without
    // a sequence ("Select sequence first"); empty once one is loaded.
    virtual QString MissingSequenceMessage() const { return QString(); }
    // The window's checks before the dialog, each with its message; false:
    // Start is refused.
    virtual bool StartChecks() { return true; }
    // The test information dialog, set up for the kind; none: Start ends.
    virtual std::unique_ptr<frmTestRelatedInfo> TestInfoDialog();
    // The dialog was cancelled.
    virtual void StartCancelled() {}
    // The dialog's Start with the port still open and the dialog too: the
    // window's checks of what was typed, then the new test's records in one
    // transaction (newtest::StoreNewTest), the run's TestId the new test's.
    // False: refused, the window has said why and nothing is stored (nor
    // shown: the window names the test only once it is stored).
    virtual bool StoreNewTest(frmTestRelatedInfo& dialog) { return true; }
    // After the dialog has closed on the stored records: the run of the new
    // test, its name and values shown.
    virtual void BeginTest(frmTestRelatedInfo& dialog) {}
    // Stop's question while a test runs; false keeps the test running.
    virtual bool ConfirmStop() { return true; }
    // Refresh's parts.
    virtual bool RefreshAllowed() const { return false; }
    virtual void RefreshRun() {}

    // The run whose recorded points may wait for the database (the rheology,
    // PVT and swell windows are theirs); none for the other kinds.
    virtual runloop::SequenceRun* RecordingRun() { return nullptr; }
    const runloop::SequenceRun* RecordingRun() const { return const_cast<UnitWindow*>(this)->RecordingRun(); }
    // Stop with points waiting asks what becomes of them
    // (RowsWaitingQuestion): Yes tries to store them now, No drops them,
    // Cancel keeps them waiting, the window trying on its ticks.
    void SettleRowsWaiting();
    // What a recording window does once one of its recorded rows is stored
    // (the `stored` of runloop::RecordedRow): the samples its grid and chart
    // hold take the row; a row stored on its own tick goes on with `onTime`
    // (when given); a row of the run's test stored late, after it waited for
    // the database, gets its grid row now (`lateGridRow`) and the chart is
    // redrawn once, after the tick's rows (RowsWaitingShown).
    std::function<void(bool late)> AfterRowStored(LiveSamples& samples, const ResultPoint& row,
                                                  std::function<void()> lateGridRow,
                                                  std::function<void()> onTime = {});
    // The rows waiting changed (the run's RowsWaitingChanged): the progress
    // panel shows them (ShowRowsWaiting), and the chart is drawn anew
    // (RedrawLiveChart) when rows stored late have joined it.
    void RowsWaitingShown();
    // The window's live chart drawn anew from its samples.
    virtual void RedrawLiveChart() {}

    // Tells the container that this window of unit n closes (nothing for an
    // n outside 1 .. 8 or without a container): the unit is offered again.
    void EnableContainerEntry(int unitNumber);

    // Exit: inside the container the frame closes (which asks the window
    // first); a window on its own closes itself.
    void CloseFromExit();

    // The first part of a close (Form_Unload): true when the close is
    // refused, the event ignored. A close asked for from within a tick (a
    // message box of the tick still open) waits silently until the tick is
    // over; one asked for while a test runs is refused with the refusal said;
    // one with recorded points waiting asks (LeaveOrStoreRowsWaiting, unless
    // the multi-unit window's close has asked: RowsWaitingAnswered).
    bool CloseRefused(QCloseEvent* event, bool testRunning, const QString& refusal);
    // The last part of a close: unit n's menu entry comes back and the port
    // is let go.
    void ReleaseUnit(int unitNumber);

private:
    UnitWindowKind kind_;
    int units_ = 0;
    bool inPortFailure_ = false;
    bool rowsWaitingAnswered_ = false;
    double maxPress_;
    QPointer<QRadioButton> opt20000_, opt30000_;
    QPointer<QLabel> progressPanel_;
    QString progressText_;  // the panel's own text
    bool latePlot_ = false;  // rows that waited were stored: the chart is redrawn
    UnitContainer* container_ = nullptr;
    QPointer<QObject> containerObject_;
};
