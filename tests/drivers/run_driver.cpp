// A stand-in for the application in a test that kills it in the middle of a
// run: a rheology window on unit 1's port, over the database of the working
// folder, runs a stored sequence on a fast clock (each tick of the window's
// timer moves the clock on by the tick's interval and comes a millisecond
// after the last). Every point the window has stored is reported on stdout
// as "ROW <count> <RESULT_TIME>" once the database has taken it, and every
// point whose row waits for the database (kept in the spool) as
// "WAIT <count> <RESULT_TIME>" once its tick has kept it.
//
//   z3080_run_driver <sequence name> <test name>
//   z3080_run_driver --start
//
// Output: "STARTED <TEST_ID>", then the rows, then "DONE" when the run ends
// by itself; "MSG <text>" for every message box (answered with OK). Exit
// status 2 when the run does not start. With --start it does what the
// program's start does with the spool of the last run (the main window's
// load) and says "STORED <rows> ALREADY <rows> WAITING <rows>".

#include "data/clsConnection.h"
#include "dialogs/frmTestRelatedInfo.h"
#include "platform/Dialogs.h"
#include "platform/ModalShow.h"
#include "platform/RunClock.h"
#include "platform/TickTimer.h"
#include "dialogs/frmNameSeq.h"
#include "rheology/frmRealTime.h"
#include "unitrun/RowSpool.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <cstdio>

namespace {

quint32 gFastClock = 1000;

void say(const QString& line) {
    std::fputs((line + QLatin1Char('\n')).toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}

// A tick a millisecond after the last, the clock moved on by the interval.
class FastTickSource : public tick::TickSource {
public:
    FastTickSource() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            gFastClock += quint32(interval_);
            if (onTick) onTick();
        });
    }
    void start(int ms) override {
        interval_ = ms;
        timer_.start(1);
    }
    void stop() override { timer_.stop(); }

private:
    QTimer timer_;
    int interval_ = 0;
};

class AnswerOk : public ui::Handler {
public:
    int message(const ui::MessageRequest& r) override {
        say(QStringLiteral("MSG ") + r.prompt);
        return ui::vbOK;
    }
    std::optional<QString> input(const ui::InputRequest&) override { return std::nullopt; }
    std::optional<QString> file(const ui::FileRequest&) override { return std::nullopt; }
};

class DriverWindow : public frmRealTime {
public:
    void SaveResultRow() override {
        frmRealTime::SaveResultRow();
        // Rows are stored in order: none waits when this one was stored.
        if (RowsWaiting() == 0)
            say(QStringLiteral("ROW %1 %2").arg(++rows_).arg(ElapsedSeconds));
        else
            say(QStringLiteral("WAIT %1 %2").arg(++waiting_).arg(ElapsedSeconds));
    }

private:
    int rows_ = 0;
    int waiting_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    AnswerOk answers;
    ui::setHandler(&answers);
    if (argc == 2 && QByteArray(argv[1]) == "--start") {
        clsConnection conn;
        conn.OpenDB();
        const runloop::SpoolAtStart r = runloop::RowSpool::Program().StoreAtStart(&conn);
        say(QStringLiteral("STORED %1 ALREADY %2 WAITING %3").arg(r.stored).arg(r.alreadyStored).arg(r.waiting));
        return 0;
    }
    if (argc < 3) {
        say(QStringLiteral("usage: z3080_run_driver <sequence name> <test name>"));
        return 2;
    }
    const QString sequence = QString::fromLocal8Bit(argv[1]);
    const QString testName = QString::fromLocal8Bit(argv[2]);

    tick::SetClockSource({[] { return gFastClock; },
                          [] { return QDateTime(QDate(2024, 1, 1), QTime(0, 0)).addMSecs(gFastClock); }});
    tick::SetTickSourceFactory([] { return std::make_unique<FastTickSource>(); });
    ui::setModalShower([&](QDialog& d) {
        auto& dlg = dynamic_cast<frmTestRelatedInfo&>(d);
        dlg.txtTestName->setText(testName);
        dlg.txtBobNo->setText(QStringLiteral("B1"));
        dlg.cmdOk_Click();
        return int(dlg.Cancelled ? QDialog::Rejected : QDialog::Accepted);
    });

    clsConnection conn;
    conn.OpenDB();
    DriverWindow w;
    w.lblInstName->setText(QStringLiteral("Unit 1"));
    w.InitialInst(&conn);
    w.Timer1.Interval(1000);
    w.Timer1.Enabled(true);
    w.MSComm1.PortNumber(1);
    w.MSComm1.Settings(QStringLiteral("115200,n,8,1"));
    w.MSComm1.PortOpen(true);
    w.MSComm1.InputLen(0);

    w.cmdSelect_Click();
    const auto items = w.cfNameSeq->lstSeqName->findItems(sequence, Qt::MatchExactly);
    if (items.isEmpty()) {
        say(QStringLiteral("NO SEQUENCE ") + sequence);
        return 2;
    }
    w.cfNameSeq->lstSeqName->setCurrentItem(items[0]);
    w.cfNameSeq->cmdOk_Click();
    w.cmdStart_Stop_Click();
    if (w.RunState == 0) {
        say(QStringLiteral("NOT STARTED"));
        return 2;
    }
    say(QStringLiteral("STARTED %1").arg(w.TestId));

    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (w.RunState == 0) {
            say(QStringLiteral("DONE"));
            app.quit();
        }
    });
    watch.start(5);
    return app.exec();
}
