#include "unitrun/RunMessages.h"

#include "data/BobGeometry.h"
#include "data/DateText.h"
#include "data/Numbers.h"
#include "platform/Dialogs.h"
#include "unitrun/RowSpool.h"
#include "unitrun/WaitingRows.h"

namespace runloop {

// ---- the status bar ------------------------------------------------------------------------------

QString HmsText(qint64 seconds) {
    const qint64 hours = seconds / 3600;
    const qint64 rest = seconds - hours * 3600;
    return Format(double(hours), QStringLiteral("##0")) + QLatin1Char(':') +
           Format(double(rest / 60), QStringLiteral("00")) + QLatin1Char(':') +
           Format(double(rest % 60), QStringLiteral("00"));
}

QString StepTimeText(int step, int cycle, qint64 stepSeconds) {
    return QStringLiteral("Current Step (%1) Cycle (%2) Time: ").arg(step).arg(cycle) + HmsText(stepSeconds);
}

QString RampTimeText(int entry, qint64 rampSeconds) {
    // The time as a fraction of a day: whole days, then the time of day as
    // hours and minutes, then the seconds.
    const double days = double(rampSeconds) / 3600.0 / 24.0;
    const qint64 ofDay = ((rampSeconds % 86400) + 86400) % 86400;
    const QString hhmm = QStringLiteral("%1:%2")
                             .arg(ofDay / 3600, 2, 10, QLatin1Char('0'))
                             .arg((ofDay / 60) % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("Current Ramp (%1) Time: ").arg(entry) + Format(days, QStringLiteral("##0")) +
           QLatin1Char(':') + hhmm + QLatin1Char(':') + Format(double(rampSeconds % 60), QStringLiteral("00"));
}

QString ElapsedTimeText(const QString& elapsed) { return QStringLiteral("Elapsed Time:  ") + elapsed; }

QString PointsNotRecordedText(int count) {
    return QStringLiteral("No readings from the unit: %1 %2 not recorded")
        .arg(count)
        .arg(count == 1 ? QStringLiteral("point") : QStringLiteral("points"));
}

QString PointsMissedText(int count) {
    return QStringLiteral("%1 %2 missed").arg(count).arg(count == 1 ? QStringLiteral("point") : QStringLiteral("points"));
}

QString GeneralDate(const QDateTime& t) { return GeneralDateText(QVariant(t)); }

QString NoDataMessage() { return QStringLiteral("This sequence has no data, test cannot be run."); }

QString SelectSequenceFirstMessage() { return QStringLiteral("Select sequence first"); }

QString PressureTooHighMessage(double maxPress) {
    return QStringLiteral("Sequence pressure setting too high. ") + CStr(maxPress) + QStringLiteral("(psi),") +
           QChar(13) + QStringLiteral("Please choose another sequence.");
}


QString PressureInactiveMessage() { return QStringLiteral("pressure inactive, test will be stopped."); }

QString SequenceLockedMessage() {
    return QStringLiteral("A test is running: the sequence cannot be changed until the test has stopped.");
}

QString RetrieveLockedMessage() {
    return QStringLiteral("A test is running: the unit's stored test can be retrieved once the test has stopped.");
}

QString BobRadiusMessage(const QStringList& knownBobs) {
    QString bobs = knownBobs.join(QStringLiteral(", "));
    if (knownBobs.size() > 1) {
        const qsizetype last = bobs.lastIndexOf(QStringLiteral(", "));
        bobs.replace(last, 2, QStringLiteral(" or "));
    }
    return QStringLiteral("The bob radius must be greater than 0 and smaller than the cup radius (%1 cm). "
                          "The test cannot be started.\rEnter the bob in Bob Number (%2): its radius and "
                          "length are then filled in.")
        .arg(QString::number(bob::kCupRadiusCm), bobs);
}



// ---- a recorded point that could not be stored ------------------------------------------

void ReportRowNotSaved(int& rowsNotSaved, const QString& message) {
    if (rowsNotSaved++ == 0) ui::Notify(message);
}

QString RowNotSavedMessage(const QString& description) { return QStringLiteral("ERROR :") + description; }

QString PvtRowNotSavedMessage(int number, const QString& description) { return ui::errorText(number, description); }

QString SwellRowNotSavedMessage(int number, const QString& description) {
    return QStringLiteral("A recorded point could not be stored: ") + ui::errorText(number, description);
}

// ---- recorded points waiting for the database ----------------------------------------------

namespace {
QString pointsText(int count) {
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? QStringLiteral("point") : QStringLiteral("points"));
}
QString unitAndTest(const QString& unit, const QString& test) {
    return unit.trimmed() + QStringLiteral(", test \"") + test + QLatin1Char('"');
}
}  // namespace

QString RowsWaitingTestText(const QString& unit, const QString& test, int count) {
    return unitAndTest(unit, test) + QStringLiteral(": ") + pointsText(count);
}

QString RowsWaitingText(const QString& unit, const QString& test, int count, const QString& reason, int inMemory) {
    QString text = RowsWaitingTestText(unit, test, count) + QStringLiteral(" waiting to be stored (") + reason +
                   QLatin1Char(')');
    if (inMemory > 0)
        text += QStringLiteral("; %1 held in memory only, lost if the program ends").arg(inMemory);
    return text;
}

QStringList RowsWaitingShortTexts(int count, const QString& reason, int inMemory) {
    const QString waiting = pointsText(count) + QStringLiteral(" waiting");
    const QString stored = waiting + QStringLiteral(" to be stored");
    QStringList texts{stored + QStringLiteral(" (") + reason + QLatin1Char(')'), stored, waiting};
    if (inMemory > 0)
        for (QString& t : texts) t += QStringLiteral("; %1 in memory only").arg(inMemory);
    return texts;
}

QString RowsWaitingNotice(const QString& reason) {
    return QStringLiteral("Recorded points wait for the database (") + reason +
           QStringLiteral("): each unit's status bar shows how many. They are stored once the database takes "
                          "them; no point is lost.");
}

void ReportRowsWaiting(const QString& reason) {
    // Only the refusal that made points wait where none waited says it.
    if (WaitingRows::WaitingInProgram() != 1) return;
    const ui::NotifySource program{QString()};
    ui::Notify(RowsWaitingNotice(reason));
}

QString RowsWaitingQuestion(const QString& unit, const QString& test, int count, const QString& reason) {
    const QString points = pointsText(count);
    return unitAndTest(unit, test) + QStringLiteral(": ") + points +
           QStringLiteral(" recorded but not yet stored; the database refuses them (") + reason +
           QStringLiteral(").") + QChar(13) + QChar(13) + QStringLiteral("Yes: try to store them now.") + QChar(13) +
           QStringLiteral("No: drop them: ") + points + QStringLiteral(" not stored.") + QChar(13) +
           QStringLiteral("Cancel: keep them; the window keeps trying to store them.");
}

// ---- the ways out ---------------------------------------------------------------------------

QString ExitRefusalMessage(const QStringList& units) {
    return QStringLiteral("Cannot exit while test is running.\nTest running on: ") + units.join(QStringLiteral(", "));
}

QString WayOutQuestion(const QStringList& waiting, WayOut way, int stillWaiting, const PointsInMemory& inMemory) {
    const QChar cr(13);
    QString text;
    if (stillWaiting > 0)
        text = QStringLiteral("Not all could be stored: ") + pointsText(stillWaiting) + QStringLiteral(" still waiting.") +
               cr + cr;
    text += QStringLiteral("Recorded points not yet stored; the database refuses them:") + cr +
            waiting.join(cr) + cr + cr;
    // No: what becomes of the points, "exit" standing for the way out's own words.
    auto no = [&inMemory](const QString& out) {
        if (inMemory.count == 0)
            return QStringLiteral("No: ") + out + QStringLiteral("; the points are kept and stored at the next start.");
        return QStringLiteral("No: ") + out + QStringLiteral("; ") + pointsText(inMemory.count) +
               QStringLiteral(" that could not be kept in ") + kSpoolFileName +
               QStringLiteral(" are lost (") + inMemory.tests.join(QStringLiteral("; ")) +
               (inMemory.othersKept ? QStringLiteral("); the others are stored at the next start.")
                                    : QStringLiteral(")."));
    };
    switch (way) {
    case WayOut::Exit:
        return text + QStringLiteral("Yes: try to store them now; Z3080DAQ exits once they are stored.") + cr +
               no(QStringLiteral("exit")) + cr +
               QStringLiteral("Cancel: do not exit; the windows keep trying to store them.");
    case WayOut::CloseWindows:
        return text + QStringLiteral("Yes: try to store them now; the windows close once they are stored.") + cr +
               no(QStringLiteral("close the windows")) + cr +
               QStringLiteral("Cancel: keep the windows open; they keep trying to store them.");
    case WayOut::CloseWindow:
        break;
    }
    return text + QStringLiteral("Yes: try to store them now; the window closes once they are stored.") + cr +
           no(QStringLiteral("close the window")) + cr +
           QStringLiteral("Cancel: keep the window open; it keeps trying to store them.");
}

// ---- a port failure ---------------------------------------------------------------------------

QString RunStoppedText(const QString& testName) {
    return QStringLiteral("The running test \"") + testName +
           QStringLiteral("\" has stopped; the points recorded before are stored.");
}

}  // namespace runloop
