#pragma once
// The words of a run on a unit: the texts of the status bar and the progress
// panel, the messages of its refusals and failures (with the test's name
// where a message names it), a recorded point that could not be stored, the
// recorded points waiting for the database, and the refusals and questions
// of the ways out (the program's Exit, closing unit windows).

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace runloop {

// ---- the status bar ------------------------------------------------------------------------------

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
// Start without a sequence (the rheology and PVT windows').
QString SelectSequenceFirstMessage();  // "Select sequence first"
QString PressureTooHighMessage(double maxPress);
QString PressureInactiveMessage();   // "pressure inactive, test will be stopped."
// Select Sequence refused while a test runs.
QString SequenceLockedMessage();
// The refusal of a download of the unit's stored test while a test runs.
QString RetrieveLockedMessage();
// Start (or a download) refused: the bob does not fit the cup (a fresh
// installation has no bob file, so its Bob Number and Bob Radius start
// empty), with what to enter: one of `knownBobs`, the bobs whose radius the
// dialog fills in (bob::BobNames).
QString BobRadiusMessage(const QStringList& knownBobs);

// ---- a recorded point that could not be stored ------------------------------------------

// A recorded point whose row could not be made: the run goes on with its
// next points, and the operator is told of the first point of the run that
// was lost, not of every one after it. Counts the point in rowsNotSaved (which
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
// waiting to be stored (database is locked)"; "1 point"). While the spool
// cannot keep some of them (`inMemory`), it says so: "...; 3 held in memory
// only, lost if the program ends".
QString RowsWaitingText(const QString& unit, const QString& test, int count, const QString& reason,
                        int inMemory = 0);
// A unit's test and a count of its points: "Unit 3, test "Mud A": 3 points".
QString RowsWaitingTestText(const QString& unit, const QString& test, int count);
// Its shorter forms, longest first, for a panel too narrow for it (the
// window's caption names the unit): "5 points waiting to be stored
// (database is locked)", "5 points waiting to be stored", "5 points waiting"
// (each followed by "; 3 in memory only" while the spool cannot keep them).
QStringList RowsWaitingShortTexts(int count, const QString& reason, int inMemory = 0);
// The one notice of the program when recorded points begin to wait while
// none waited (a refusal that loses nothing: the spool keeps them). Shown
// under the program's title, not a unit's: at most one box while points wait
// in any window, whichever unit's refusal came first.
void ReportRowsWaiting(const QString& reason);
// Its words: "Recorded points wait for the database (database is locked): ..."
QString RowsWaitingNotice(const QString& reason);
// The question of Stop while points wait: Yes tries to store them now, No
// drops them (saying how many), Cancel keeps them waiting while the window
// keeps trying.
QString RowsWaitingQuestion(const QString& unit, const QString& test, int count, const QString& reason);

// ---- the ways out ---------------------------------------------------------------------------

// The ways out that ask about recorded points waiting: the program's Exit
// (and the main window's close), closing the multi-unit window (its Exit
// too) and closing one unit window.
enum class WayOut { Exit, CloseWindows, CloseWindow };
// The refusal of the program's Exit or of closing the multi-unit window
// while units run tests, naming them: "Cannot exit while test is
// running.\nTest running on: Unit 2, Unit 5".
QString ExitRefusalMessage(const QStringList& units);
// The points of a way out that the spool could not keep (held in memory
// only): how many, and each unit's test with its count ("Unit 3, test "Mud
// A": 3 points").
struct PointsInMemory {
    int count = 0;
    QStringList tests;
    bool othersKept = false;  // other points waiting are kept in the spool
};
// The question of a way out while recorded points wait: the line of each
// test whose points wait (RowsWaitingText), then the answers. Yes tries to
// store them now, the way out going on once all are stored; No goes out and
// leaves them kept, to be stored at the next start; Cancel stays. While some
// are held in memory only (`inMemory`), No says that those are lost, naming
// their count and tests. Asked again after a Yes that stored not all, it
// first says how many still wait (stillWaiting; 0 the first time).
QString WayOutQuestion(const QStringList& waiting, WayOut way, int stillWaiting,
                       const PointsInMemory& inMemory = {});

// ---- a port failure ---------------------------------------------------------------------------

// The line of a port failure's message saying the named running test has
// stopped.
QString RunStoppedText(const QString& testName);

}  // namespace runloop
