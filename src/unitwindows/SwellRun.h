#pragma once
// The run of a stored sequence on one unit as the swell test window's timer
// drives it, and the rules of that window that need no painting: the
// sequence's step tables, the set-point checks and frame, the zeroing of the
// sensor, the planned end, the clocks and texts of the status bar.
//
// One tick (Tick, every second; 3 s after a set-point frame):
//  - the reply watchdog: every fifth tick, "No Response" when no good frame
//    was read since the check before;
//  - the unit's input: discarded on the first ticks of a step (its clock at
//    2 s or less, as the tick before left it), else read (SwellReplyParser),
//    and each trip it makes stops the run and is said (ShutDown, Message);
//  - while a run is going: the clocks, the pressure check (more than 4000 psi
//    from the set point once the step is older than 60 s stops the run), the
//    end of the step or repetition (its time is up and the sample within the
//    step's tolerance), one recorded point per recording interval, and the
//    status texts.
//
// Time comes from tick::timeGetTime (RunClock), so tests run long sequences
// on a manual clock. The window adds the port, the timer, the boxes, the grid,
// the chart and the records through the hooks below.

#include "unitlink/SwellReply.h"

#include "platform/RunClock.h"

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
inline constexpr double kPressBandPsi = 4000;
inline constexpr double kPressCheckAfterSec = 60;
inline constexpr double kMaxSpeedRpm = 600;
inline constexpr double kMinSpeedRpm = -0.0001;
inline constexpr double kMatchInch = 0.05;  // zeroing: entered length against the calibration

// The step tables of a sequence, index 1 .. StepCount (element 0 unused).
struct SwellSteps {
    QVector<double> StepMinutes{0}, StepTemp{0}, StepTempTol{0}, StepPress{0}, StepSpeed{0}, StepCycles{0},
        StepRecordRate{0};
    int StepCount = 0;
};

struct LoadedSwellSequence {
    bool hasSteps = false;
    qint32 sequenceNo = 0;  // SEQUENCE_ID
    QString name;           // SEQUENCE_NAME as stored
    SwellSteps steps;
};
// Reads the sequence of that name and its steps (RAMP_NO order). Database
// failures propagate (db::DbError).
LoadedSwellSequence LoadSwellSequence(const QString& name, clsConnection* connection, clsSEQUENCE_INFO& seqInfo,
                                      clsSEQUENCE_RAMP& seqRamp);

// Why the steps cannot be run, by the PVT window's rule and message (a value
// that is not a number, a negative duration, rate or cycle count, a cycle
// count or a total duration beyond what the run counts); nothing when they
// can. PlannedSeconds is a count only for steps that pass.
std::optional<QString> SequenceProblem(const SwellSteps& steps);

// Whole seconds from step `fromStep` to the last, each step once (cycles not
// counted), rounded (halves to even) after every step.
qint64 PlannedSeconds(const SwellSteps& steps, int fromStep = 1);

// The recording interval of a rate in seconds: whole seconds, halves to the
// even neighbour. A rate that is no number records nothing; one beyond the
// counter's range keeps its sign and never comes round.
int RecordIntervalOf(double seconds);

// "hh:mm:ss" with the total hours (25 h show as "25:00:00").
QString HoursText(qint64 seconds);

// ---- set points ----------------------------------------------------------------

// The set-point frame: the temperature in °F.
QString SetPointFrame(double temperatureF, double pressurePsi, double speedRpm, int frameMode);
// The check of the three boxes (temperature in display units): the message of
// the first one out of range (a box that holds no number, or a number with
// more text after it such as "250abc", is out of range: what goes to the
// heater and the pump is never a guess at what was meant), or an empty text
// when all are acceptable. In SI a temperature within half
// a tenth of a limit counts as at it (the box shows a stored step to 0.1 °C).
QString CheckSetPoints(const QString& temp, const QString& press, const QString& speed, double maxPress);
QString NeedResetMessage();  // "Need reset data."

// The temperature of a stored step (°F) as the temperature box shows it: in
// CGS as the stored number (plain, or through `cgsMask`), in SI in °C to
// one decimal (plain).
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

class SwellRun : public SwellSteps {
public:
    virtual ~SwellRun() = default;

    SwellReplyParser reply;  // the reader, the readings, the zero values, the calibration

    int RunState = kIdle;
    // The last ShutDown ended a run (its stop frame goes out after).
    bool StopEndedRun = false;
    int CurStep = 0;
    int CurCycle = 0;
    int RecordInterval = 0;  // seconds; 0 records nothing
    quint32 TestStartMs = 0, StepStartMs = 0, RecordStartMs = 0;
    tick::RunElapsed TestClock;  // the run's time, in 64 bits (runs longer than the clock's span)
    double ElapsedSeconds = 0, StepSeconds = 0, RecordSeconds = 0;
    QString ElapsedText, EndTimeText;
    long long TickCount = 0;
    bool NoReplyFlag = false;
    qint32 TestId = 0;
    QString TestName;
    int FrameMode = 1;
    // Points of this run that could not be stored; the first failure is shown
    // (runloop::ReportRowNotSaved).
    int RowsNotSaved = 0;

    // One tick of the window's timer.
    void Tick();
    // Starts the clocks and counters of a run at step 1.
    void BeginRun();
    // Sends the stop frame, ends the run, gives the buttons back; the zeroing
    // must be done again before the next run.
    void ShutDown();

protected:
    // ---- what the run needs of its window ------------------------------------
    virtual QString ReadInput() = 0;                 // what the port has received ("" when closed)
    virtual void SendFrame(const QString& frame) = 0;
    virtual void SetTimerInterval(int ms) = 0;
    virtual double PressSetPoint() = 0;              // the pressure box
    virtual void ShowStep(int step) = 0;             // the boxes show a step's set points
    virtual void SendSetPoints() = 0;                // the set-point button's work
    virtual void RecordPoint() = 0;                  // one stored row, its grid row, the chart
    virtual void ShowReply(const SwellReplyResult& result) = 0;
    virtual void ShowStatus(const QString& caption) = 0;   // lblActiveFlag
    virtual void ShowPanel(const QString& key, const QString& text) = 0;
    virtual void RunButtons(bool running) = 0;
    virtual void Message(const QString& text) = 0;
};

}  // namespace swell
