#pragma once
// The rules of a run on a unit (the rheology run, and what the other unit
// tests share of it) that need neither a window nor a unit: the run step
// table and ramp-define table of a sequence and their loading from the
// sequence records, the planned and remaining run time, the recording
// points, the set-point arithmetic of heating, cooling and pressure ramps,
// the pressure band, and the texts of the status bar and the messages.
//
// Units are those of storage: °F, °F/min, psi, psi/min, rpm, seconds, minutes
// for step durations.

#include "data/RecordBase.h"

#include <QDateTime>
#include <QString>
#include <QVector>

class clsConnection;
class clsSEQUENCE_INFO;
class clsSEQUENCE_RAMP;
class clsSEQUENCE_RAMP_DEFINE;

namespace runloop {

// ---- run states ---------------------------------------------------------------

// Every run keeps its state as a number, with names of its own in its header
// (RheologyRun.h, PvtRun.h, SwellRun.h, SimpleTestRun.h); the other numbers
// mean different things in different runs. These two mean the same in every
// run, and the runs tell their reply parsers from them whether a test runs.
inline constexpr int kIdle = 0;         // no test runs
inline constexpr int kStepRunning = 1;  // a test runs its steps (the unit is expected to be active)

// Timer intervals of the run.
inline constexpr int kTickMs = 1000;
inline constexpr int kAfterSetPointMs = 3000;  // after a step's set-point frame
inline constexpr int kAfterRampEntryMs = 4000; // after a ramp entry's frame

// ---- the tables -----------------------------------------------------------------

// The run step table (index 1 .. mStepCount; element 0 belongs to no step and
// is 0) and the ramp-define table (index 1 .. mRampEntryCount) of the loaded
// sequence. Every step whose mStepRunRamp is 1 runs the same ramp list.
struct RunTables {
    QVector<double> mStepMinutes{0};    // duration, min
    QVector<double> mStepTemp{0};       // °F
    QVector<double> mStepTempError{0};  // tolerance, °F
    QVector<double> mStepSpeed{0};      // rpm
    QVector<double> mStepInterval{0};   // recording interval, s
    QVector<double> mStepPress{0};      // psi
    QVector<double> mStepRunRamp{0};    // 1: the ramp follows the step
    QVector<double> mStepTempRate{0};   // °F/min, negative for a cooling step
    QVector<double> mStepCycles{0};
    QVector<double> mStepPressRate{0};  // psi/min, negative for a falling step
    int mStepCount = 0;

    QVector<double> mRampSpeed{0};      // rpm
    QVector<double> mRampSeconds{0};    // duration, s
    QVector<double> mRampInterval{0};   // recording interval, s
    int mRampEntryCount = 0;

    // Takes the step table of another (counts included), keeping the ramp list.
    void TakeSteps(const RunTables& other);
    // Takes the ramp list of another, keeping the steps.
    void TakeRampEntries(const RunTables& other);
};

// ---- sequence loading --------------------------------------------------------------

enum class LoadResult {
    Loaded,           // steps found, all within the maximum pressure
    NoSteps,          // the sequence has no steps (or no longer exists)
    PressureTooHigh,  // a step's pressure is above the maximum pressure
};

struct LoadedSequence {
    LoadResult result = LoadResult::NoSteps;
    // The first value of a step or ramp entry that a step may not hold
    // (SequenceLimits, with the maximum pressure the load was given), as its
    // message naming the step and the value; empty when every one fits. Set
    // also with PressureTooHigh.
    QString problem;
    RowArray seqInfoRow;       // the SEQUENCE_INFO row (the default row when the name has none)
    qint32 sequenceId = 0;     // its SEQUENCE_ID
    RunTables tables;          // the steps (when Loaded) and the ramp entries (when hasRampEntries)
    bool hasRampEntries = false;
};

// Reads the sequence of that name through the record objects (the steps
// and ramp entries are bound to the connection anew) into fresh tables; the
// ramp entries only with a ramp-define record (kinds without a ramp pass
// none). A step's temperature rate is negative when its temperature is below
// the step before (0 °F before the first step), else positive; the pressure
// rate likewise with the pressures. Loading stops at the first step above
// maxPress (the unit's Max Pressure; PressureTooHigh). Every step (with its
// step number, RAMP_NO) and ramp entry is checked against what a step may
// hold (SequenceLimits), the first that does not fit named in `problem`: a
// window takes no sequence with a problem. Database failures propagate
// (db::DbError).
LoadedSequence LoadSequence(const QString& name, double maxPress, clsConnection* connection,
                            clsSEQUENCE_INFO& seqInfo, clsSEQUENCE_RAMP& seqRamp,
                            clsSEQUENCE_RAMP_DEFINE* seqRampDefine);

// ---- time ----------------------------------------------------------------------------

// To the nearest whole number, halves to the even neighbour.
double RoundEven(double value);
// Whole seconds of a span of milliseconds, halves to even (1500 ms: 2; 2500 ms: 2).
qint64 WholeSeconds(qint64 milliseconds);

// True when a point is recorded at this elapsed time: the interval is not 0,
// and the elapsed seconds are a multiple of the interval rounded to a whole
// number. An interval that rounds to 0 records nothing. The elapsed time 0
// counts as a multiple only when zeroCounts (ramp entries).
bool IsRecordingPoint(double interval, qint64 elapsedSec, bool zeroCounts);

// ---- set points ------------------------------------------------------------------------

inline constexpr double kTempPeriodSec = 120;   // temperature corrections
inline constexpr double kPressPeriodSec = 60;   // pressure ramp steps
inline constexpr double kBandCheckSec = 55;     // the band is checked from here on
inline constexpr double kPressBandPsi = 4000;   // half width of the pressure band
inline constexpr double kCoolingMarginF = 8;    // a cooling step commands this far below the sample

// The temperature increment per 120 s of a positive rate r (°F/min): 2r up
// to 1, rising to 2r x 1.3 at 6 and above.
double TempIncrement(double rate);
// The step's rate with the sign of the direction the sample has to go:
// -|rate| when the sample is above the target, +|rate| below, 0 at it.
double DirectedTempRate(double sampleTemp, double targetTemp, double rate);
// The first temperature command of a step.
double FirstTempCommand(double rate, double sampleTemp, double targetTemp);
// A temperature correction (rate not 0): cooling, 8 °F below the sample;
// heating, the command plus the increment; never past the target.
double CorrectedTempCommand(double rate, double command, double sampleTemp, double targetTemp);
// One pressure ramp step from the command (rate 0: the target at once);
// never past the target.
double NextPressCommand(double rate, double command, double targetPress);

// ---- texts ------------------------------------------------------------------------------

// Whole seconds as H:MM:SS (3725: "1:02:05").
QString HmsText(qint64 seconds);
// "Current Step (3) Cycle (1) Time: 0:02:05"
QString StepTimeText(int step, int cycle, qint64 stepSeconds);
// "Current Ramp (2) Time: 0:00:01:05" (days, hours:minutes, seconds).
QString RampTimeText(int entry, qint64 rampSeconds);
// "Elapsed Time:  1:00:00"
QString ElapsedTimeText(const QString& elapsed);
// The progress panel while the unit sends nothing during a run: "No readings
// from the unit: 3 points not recorded" ("1 point").
QString PointsNotRecordedText(int count);
// After the progress panel's text when the program could not take points
// that fell due in time: "3 points missed" ("1 point missed").
QString PointsMissedText(int count);
// A date and time in the general date form the status bar shows.
QString GeneralDate(const QDateTime& t);

QString NoDataMessage();             // "This sequence has no data, test cannot be run."
QString PressureTooHighMessage(double maxPress);
QString PressureInactiveMessage();   // "pressure inactive, test will be stopped."
QString BobRadiusMessage();          // Start refused: the bob does not fit the cup
// Select Sequence refused while a test runs.
QString SequenceLockedMessage();
// The refusal of a download of the unit's stored test while a test runs.
QString RetrieveLockedMessage();
// The first step or ramp entry of the tables that a step may not hold
// (SequenceLimits, with the unit's Max Pressure maxPress), as its message
// naming the step and the value; empty when every one fits. The tables hold
// no step numbers: those are checked when the sequence is loaded.
QString CheckRunTables(const RunTables& t, double maxPress);

// ---- a recorded point that could not be stored ------------------------------------------

// A recorded point the database refused: the run goes on with its next
// points, and the operator is told of the first point of the run that was
// lost, not of every one after it. Counts the point in rowsNotSaved (which
// the run sets to 0 when it starts) and shows `message` for the first.
void ReportRowNotSaved(int& rowsNotSaved, const QString& message);
// The words of that message, each run's own:
// the rheology run's, "ERROR :" and the description ("ERROR :disk I/O error");
QString RowNotSavedMessage(const QString& description);
// the PVT run's, the numbered error as other error boxes say it ("ERROR: 5, disk I/O error");
QString PvtRowNotSavedMessage(int number, const QString& description);
// the swell run's, that numbered error after "A recorded point could not be stored: ".
QString SwellRowNotSavedMessage(int number, const QString& description);

// ---- recorded points waiting for the database ----------------------------------------------

// The progress panel while recorded points wait to be stored: the unit, the
// test, how many and the database's reason ("Unit 3, test "Mud A": 5 points
// waiting to be stored (database is locked)"; "1 point").
QString RowsWaitingText(const QString& unit, const QString& test, int count, const QString& reason);
// The question of Stop (closing false) or of closing the window while
// points wait: Yes tries to store them now, No drops them (saying how many),
// Cancel keeps them waiting while the window keeps trying.
QString RowsWaitingQuestion(const QString& unit, const QString& test, int count, const QString& reason,
                            bool closing);

// ---- the bob ---------------------------------------------------------------------------------

// The bob radius is usable: above 0 and below the cup radius 1.8415 cm.
bool BobRadiusFits(double radiusCm);
inline constexpr double kCupRadiusCm = 1.8415;
// The bob number of a bob name ("B1" 1, "B2" 2, "B5" 5, in any case); 0 for another name.
int BobNumberOf(const QString& bobName);

}  // namespace runloop
