#pragma once
// The run of a stored sequence on one unit as the swell test window's timer
// drives it, and the rules of that window that need no painting: the
// sequence's step tables, the set-point checks and frame, the zeroing of the
// sensor, the planned end, the clocks and texts of the status bar.
//
// One tick (Tick, every second; 3 s after a set-point frame):
//  - the recorded rows the database refused before, tried again (SequenceRun);
//  - the unit's input: discarded on the first tick of a step (the one after
//    its set points), else read (SwellReplyParser), and each trip it makes
//    stops the run and is said (ShutDown, Message);
//  - "No Response" once the unit is silent (SequenceRun, ReadingsAge);
//  - while a run is going: the clocks, the pressure check (more than 4000 psi
//    from the set point once the step is older than 60 s stops the run), one
//    recorded point per recording interval (the one due on a step's last
//    tick before the step changes), the end of the step or repetition (its
//    time is up and the sample within the step's tolerance), and the status
//    texts. A point is recorded only with the unit's present readings, never
//    those of before the step's set points (ReadingsAge): one due on the
//    tick that discards its input waits for the next fresh readings
//    (SequenceRun); while the unit is silent the run goes on by its last
//    readings, counts the points not recorded and says so in the
//    "StepTime" panel.
//
// Time comes from tick::timeGetTime (RunClock), so tests run long sequences
// on a manual clock. The window adds the port, the timer, the boxes, the grid,
// the chart and the records through the hooks below.

#include "unitlink/SwellReply.h"

#include "platform/RunClock.h"
#include "unitrun/SequenceRun.h"

#include <QString>
#include <QVector>
#include <optional>

class clsConnection;
class clsSEQUENCE_INFO;
class clsSEQUENCE_RAMP;

namespace swell {

// The run's states (RunState). Only kRunning makes the ticks drive a test;
// in the others they read the replies only.
inline constexpr int kIdle = 0;        // no test runs
inline constexpr int kRunning = 1;     // from BeginRun to ShutDown
inline constexpr int kPreheating = 4;  // Preheat sent the set points with no test running
// Nothing sets kCooling; the window still takes it for a running test
// (Select and closing are refused, a port failure says the run stopped).
inline constexpr int kCooling = 6;

inline constexpr int kTickMs = 1000;
inline constexpr int kAfterSetPointMs = 3000;
inline constexpr int kStartTickMs = 500;
inline constexpr double kPressCheckAfterSec = 60;
inline constexpr double kMatchInch = 0.05;  // zeroing: entered length against the calibration

struct LoadedSwellSequence {
    bool hasSteps = false;
    qint32 sequenceNo = 0;    // SEQUENCE_ID
    QString name;             // SEQUENCE_NAME as stored
    runloop::RunTables steps;  // the steps (no ramp entries)
    // The first value a step may not hold (runloop::LoadedSequence::problem),
    // a pressure above maxPress among them; empty when every one fits.
    QString problem;
};
// Reads the sequence of that name and its steps (RAMP_NO order), checked
// with the unit's Max Pressure maxPress. Database failures propagate
// (db::DbError).
LoadedSwellSequence LoadSwellSequence(const QString& name, double maxPress, clsConnection* connection,
                                      clsSEQUENCE_INFO& seqInfo, clsSEQUENCE_RAMP& seqRamp);

// The recording interval of a rate in seconds: whole seconds, halves to the
// even neighbour. A rate that is no number records nothing; one beyond the
// counter's range keeps its sign and never comes round.
int RecordIntervalOf(double seconds);

// "hh:mm:ss" with the total hours (25 h show as "25:00:00").
QString HoursText(qint64 seconds);

// ---- set points ----------------------------------------------------------------

// The set-point frame: the temperature in °F.
QString SetPointFrame(double temperatureF, double pressurePsi, double speedRpm, int frameMode);
// The check of the three boxes (temperature in display units) against what a
// step may hold (SequenceLimits, with the unit's Max Pressure maxPress), so
// that the boxes take every step a sequence may hold: the message of the
// first one out of range (a box that holds no number, or a number with more
// text after it such as "250abc", is out of range: what goes to the heater
// and the pump is never a guess at what was meant), or an empty text when
// all are acceptable. The limits are a stored step's, shown as the box shows
// them and written as plain numbers ("600 and 0"; in SI "316.1 and -17.8");
// in SI a temperature within half a tenth of a limit counts as at it (the box
// shows a stored step to 0.1 °C).
QString CheckSetPoints(const QString& temp, const QString& press, const QString& speed, double maxPress);
QString NeedResetMessage();  // "Need reset data."

// The temperature of a stored step (°F) as the temperature box shows it: in
// CGS as the stored number (plain to two decimals, or through `cgsMask`), in
// SI in °C to one decimal (plain).
QString TempBoxText(double temperatureF, const QString& cgsMask = QString());

// ---- zeroing ---------------------------------------------------------------------

enum class ZeroOutcome { Nothing, NotNumeric, TooThin, TooThick, Mismatch, Accepted };
// Checks the dry wafer length typed (display units) against the voltage now
// read and the calibration; ZeroLength is taken for every checked answer,
// SampleLength and ZeroVoltage only when accepted.
ZeroOutcome ZeroSensor(const QString& answer, const SwellCalibration& cal, SwellState& state);
// The message of an outcome (empty for Nothing and Accepted) and its title.
QString ZeroMessage(ZeroOutcome outcome);
QString ZeroTitle(ZeroOutcome outcome);

// ---- the run ---------------------------------------------------------------------

class SwellRun : public runloop::SequenceRun {
public:
    virtual ~SwellRun() = default;

    SwellReplyParser reply;  // the reader, the readings, the zero values, the calibration

    // RunState (kIdle, kRunning, kPreheating, kCooling), where the run is,
    // its clocks and texts, the test's key and the points not stored:
    // SequenceRun.
    // The last ShutDown ended a run (its stop frame goes out after).
    bool StopEndedRun = false;
    // The recording clock: restarted at every recorded point (a point that
    // waits for fresh readings, when it is taken) and step change, so rows
    // are the interval apart plus the wait for the next tick.
    int RecordInterval = 0;  // seconds; 0 records nothing
    quint32 RecordStartMs = 0;
    qint64 RecordSeconds = 0;
    long long TickCount = 0;

    // The start's first tick comes after 500 ms: the run counts completed seconds.
    Seconds SecondsRule() const override { return Seconds::Completed; }
    QString TestName;
    int FrameMode = 1;

    // One tick of the window's timer.
    void Tick();
    // Starts the clocks and counters of a run at step 1.
    void BeginRun();
    // One recorded point: its stored row, then (when stored) its grid row
    // and the chart; a point the database refused is counted and the first
    // of the run said.
    void RecordSwellPoint();
    // Sends the stop frame, ends the run, gives the buttons back; the zeroing
    // must be done again before the next run.
    void ShutDown() override;

protected:
    // The point due on the recording clock, or one waiting for fresh
    // readings, recorded; the clock restarted from it.
    void recordDuePoint();

    // ---- what the run needs of its window ------------------------------------
    virtual QString ReadInput() = 0;                 // what the port has received ("" when closed)
    virtual void SendFrame(const QString& frame) = 0;
    virtual void SetTimerInterval(int ms) = 0;
    virtual double PressSetPoint() = 0;              // the pressure box
    virtual void ShowStep(int step) = 0;             // the boxes show a step's set points
    // The set points the boxes show sent, as the set-point button sends
    // them but unchecked: a step's were checked with the sequence (at the
    // pick, Start and Refresh), so no step is refused in the middle of a run
    // and nothing here waits on the operator.
    virtual void SendSetPoints() = 0;
    // Makes the row of the present point and hands it to the database
    // (StoreRow); a row that cannot be made is raised and reported by the
    // run. A point not stored gets no grid row until it is stored.
    virtual void SaveSwellResultRow() = 0;
    virtual void AddSwellGridRow() {}                // its grid row and the chart
    virtual void ShowReply(const SwellReplyResult& result) = 0;
    virtual void ShowStatus(const QString& caption) = 0;   // lblActiveFlag
    virtual void ShowPanel(const QString& key, const QString& text) = 0;
    virtual void RunButtons(bool running) = 0;
    void Message(const QString& text) override = 0;
    // "A recorded point could not be stored: " and the numbered error.
    QString RowNotSavedText(int number, const QString& description) const override;
};

}  // namespace swell
