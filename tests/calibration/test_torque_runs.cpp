// The torque tab runs again after a run on the same unit without a new pick;
// a port a unit window holds is refused naming that window; the status line
// never says success after a start that failed; and the calibration tabs'
// number boxes take numbers only.

#include "CalibrationFixture.h"

#include "data/Numbers.h"
#include "data/clsConnection.h"
#include "dialogs/frmTestRelatedInfo.h"
#include "support/TempDb.h"
#include "data/TypedNumbers.h"
#include "platform/PeChart.h"
#include "unitbase/UnitWindow.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLocale>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace calibration_tests;
using testing_support::UnitSimulator;

namespace {

const QString kComm =
    QStringLiteral("Communication error - Please make sure the unit is not occupied with another function.");
const QString kSuccess = QStringLiteral("Calibration Completed Successfully.");

class TorqueRuns : public CalibrationFixture {
protected:
    // A rheology window of the unit on its port, as the test container opens it.
    std::unique_ptr<UnitWindow> unitWindowOn(int port) {
        auto window = std::make_unique<UnitWindow>(UnitWindowKind::RealTime, "frmRealTime", "Unit 2 Real Time Test",
                                                   QSize(400, 300), [] {});
        window->MSComm1.MapFolder(gAppPath);
        window->MSComm1.PortNumber(port);
        window->MSComm1.Settings("115200,n,8,1");
        window->MSComm1.PortOpen(true);
        return window;
    }
};

TEST_F(TorqueRuns, TwoRunsInARowBothCompleteWithoutPickingTheUnitAgain) {
    writePorts({0, 3});
    UnitSimulator& u = unit(3);
    u.setTorqueRun({{20, 10}, {41, 20}, {59, 30}}, true, 20);
    frmCalibrateTorque& c = open();
    chooseUnit(1, 0);
    for (int run = 1; run <= 2; ++run) {
        u.clearCommands();
        c.cmdStart_Click();
        EXPECT_EQ(c.CaliStatus->text(), "Calibration in Progress.") << "run " << run;
        ASSERT_TRUE(runToEnd()) << "run " << run;
        EXPECT_TRUE(dialogs.messages.empty()) << "run " << run << ": " << dialogs.texts().join("|").toStdString();
        EXPECT_EQ(c.CaliStatus->text(), kSuccess) << "run " << run;
        ASSERT_EQ(c.TorquePoints.size(), 3u) << "run " << run;
        EXPECT_NEAR(c.FitSlope, 1.95, 1e-12) << "run " << run;
        EXPECT_EQ(c.lblSlope->text(), "1.95") << "run " << run;
        EXPECT_EQ(c.CWGraph1->points(), 3) << "run " << run;
        ASSERT_TRUE(u.waitForCommands(2)) << "run " << run;
        EXPECT_EQ(u.commands()[0].code, 7) << "run " << run;
        EXPECT_FALSE(c.MSComm1.PortOpen()) << "run " << run;  // let go after each run
    }
    EXPECT_EQ(c.TabUnit[1], 2);
}

TEST_F(TorqueRuns, APortAUnitWindowHoldsIsRefusedNamingThatWindowAndNoSuccessIsShown) {
    writePorts({0, 3});
    UnitSimulator& u = unit(3);
    u.setTorqueRun({{20, 10}, {41, 20}, {59, 30}}, true, 10);
    frmCalibrateTorque& c = open();
    chooseUnit(1, 0);
    c.cmdStart_Click();
    ASSERT_TRUE(runToEnd());
    ASSERT_EQ(c.CaliStatus->text(), kSuccess);

    // The unit's rheology window takes the port the run let go.
    const std::unique_ptr<UnitWindow> holder = unitWindowOn(3);
    const QString note = "The unit's port 3 (" + u.slavePath() +
                         ") is held by the window \"Unit 2 Real Time Test\": close that window, then try again.";
    u.clearCommands();
    dialogs.clear();
    c.cmdStart_Click();
    // The true message alone: no generic communication error before it.
    EXPECT_EQ(dialogs.texts(), QStringList{note});
    EXPECT_EQ(c.CaliStatus->text(), "Calibration not started.");
    EXPECT_NE(c.CaliStatus->text(), kSuccess);
    EXPECT_TRUE(c.lblSlope->text().isEmpty());
    EXPECT_TRUE(c.cmdStart->isEnabled());
    EXPECT_FALSE(c.Timer1.Enabled());
    EXPECT_FALSE(c.TorqueRunOwnsPort());
    QThread::msleep(50);
    EXPECT_TRUE(u.commands().empty());

    // Choosing the unit again says the same, and the list keeps it.
    dialogs.clear();
    chooseUnit(1, 0);
    EXPECT_EQ(dialogs.texts(), QStringList{note});
    EXPECT_EQ(c.cmbInstName[1]->currentText(), "Unit 2");

    // Once the window has let the port go, the unit runs again.
    holder->MSComm1.PortOpen(false);
    dialogs.clear();
    c.cmdStart_Click();
    ASSERT_TRUE(runToEnd());
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("|").toStdString();
    EXPECT_EQ(c.CaliStatus->text(), kSuccess);
}

TEST_F(TorqueRuns, TheFluidTableTakesNumbersAtStartAndExport) {
    struct Typed {
        QString text;
        std::optional<double> value;  // none: refused
    };
    const Typed texts[] = {{"abc", {}}, {"1,2", {}}, {"", {}}, {" 12 ", 12}, {"1e3", 1000}, {"-", {}}};
    writePorts({0, 3});
    UnitSimulator& u = unit(3);
    u.setTorqueRun({{20, 10}, {41, 20}, {59, 30}}, true, 0);
    frmCalibrateTorque& c = open();
    chooseUnit(1, 0);
    for (const int box : {0, 20}) {
        for (const Typed& t : texts) {
            const std::string what = "box " + std::to_string(box) + " \"" + t.text.toStdString() + "\"";
            for (QLineEdit* b : c.txtCali) b->setText("100");
            c.txtCali[size_t(box)]->setText(t.text);
            const QString name = QStringLiteral("Viscosity at %1 (Deg C)").arg(20 + box);
            const QString status = c.CaliStatus->text();
            const size_t points = c.TorquePoints.size();
            u.clearCommands();
            dialogs.clear();
            c.cmdStart_Click();
            if (!t.value) {
                EXPECT_EQ(dialogs.texts(), QStringList{typed::NotANumberMessage(name, t.text)}) << what;
                EXPECT_EQ(c.CaliStatus->text(), status) << what;  // the last run's result stands
                EXPECT_EQ(c.TorquePoints.size(), points) << what;
                EXPECT_FALSE(c.TorqueRunOwnsPort()) << what;
                QThread::msleep(30);
                EXPECT_TRUE(u.commands().empty()) << what;
                // The report says the same, before any file is asked for.
                dialogs.clear();
                c.cmdExport_Click();
                EXPECT_EQ(dialogs.texts(), QStringList{typed::NotANumberMessage(name, t.text)}) << what;
                EXPECT_TRUE(dialogs.fileRequests.empty()) << what;
                dialogs.fileRequests.clear();
                continue;
            }
            ASSERT_TRUE(runToEnd()) << what;
            EXPECT_TRUE(dialogs.messages.empty()) << what << ": " << dialogs.texts().join("|").toStdString();
            ASSERT_TRUE(u.waitForCommands(1)) << what;
            const QList<QByteArray> fields = u.commands()[0].bytes.mid(1).split('\x1a');
            EXPECT_EQ(fields.value(box), Format(*t.value, "000.0").toLatin1()) << what;
        }
    }
}

TEST_F(TorqueRuns, ThePistonHeightsTakeNumbers) {
    struct Typed {
        QString text;
        bool number;
    };
    const Typed texts[] = {{"abc", false}, {"1,2", false}, {" 12 ", true}, {"1e3", true}, {"-", false}};
    writePorts({0, 3});
    unit(3);
    frmCalibrateTorque& c = open();
    chooseUnit(2, 0);
    for (const Typed& t : texts) {
        const std::string what = "\"" + t.text.toStdString() + "\"";
        c.Combo1->setCurrentIndex(0);
        c.Combo1_Click();
        c.PvtReading = 250;
        c.Text1[1]->setText(t.text);
        dialogs.clear();
        c.cmdPVT_Click(1);
        if (t.number) {
            EXPECT_TRUE(dialogs.messages.empty()) << what << ": " << dialogs.texts().join("|").toStdString();
            EXPECT_EQ(c.CaliState, 1) << what;
            EXPECT_FALSE(c.lalData[1]->text().isEmpty()) << what;
        } else {
            EXPECT_EQ(dialogs.texts(), QStringList{typed::NotANumberMessage("Position 1", t.text)}) << what;
            EXPECT_EQ(c.CaliState, 0) << what;
            EXPECT_TRUE(c.lalData[1]->text().isEmpty()) << what;
        }
    }
    // An empty height keeps its own words.
    c.Combo1_Click();
    c.Text1[1]->clear();
    dialogs.clear();
    c.cmdPVT_Click(1);
    EXPECT_EQ(dialogs.texts(), QStringList{"Select piston size first."});
}

// Every save dialog of the window gives a name typed without an extension
// the one of its filter: the reports ".csv" (the PVT report ".txt", as its
// filter), the fluid table ".txt".
TEST_F(TorqueRuns, ANameTypedWithoutExtensionTakesTheFiltersOne) {
    writePorts({0, 3});
    UnitSimulator& u = unit(3);
    u.setTorqueRun({{20, 10}, {41, 20}, {59, 30}, {80, 40}}, true, 0);
    frmCalibrateTorque& c = open();
    chooseUnit(1, 0);
    for (size_t i = 0; i < c.txtCali.size(); ++i) c.txtCali[i]->setText(QString::number(200 - 2 * double(i)));
    c.cmdStart_Click();
    ASSERT_TRUE(runToEnd());
    const struct {
        const char* what;
        std::function<void()> save;
        const char* written;
    } saves[] = {
        {"torque report", [&] { c.cmdExport_Click(); }, "torque.csv"},
        {"fluid table", [&] { c.cmdSave1_Click(); }, "torque.txt"},
        {"piston report", [&] { c.cmdPVTExport_Click(); }, "torque.txt"},
        {"swell report", [&] { c.cmdSWMExport_Click(); }, "torque.csv"},
    };
    for (const auto& s : saves) {
        QFile::remove(dir.filePath(s.written));
        dialogs.clear();
        dialogs.files.push_back(dir.filePath("torque"));
        s.save();
        EXPECT_EQ(dialogs.fileRequests.size(), 1u) << s.what << ": " << dialogs.texts().join("|").toStdString();
        EXPECT_TRUE(QFileInfo::exists(dir.filePath(s.written))) << s.what;
        EXPECT_FALSE(QFileInfo::exists(dir.filePath("torque"))) << s.what;
    }
}

// A unit whose window holds its port, idle or running a test: every tab
// says only that the window holds it (no generic communication error before
// it) and keeps the unit its list shows; Start and Send Cali. profile. too.
TEST_F(TorqueRuns, AUnitAWindowHoldsIsNamedAloneOnEveryTab) {
    struct HoldingWindow : UnitWindow {
        explicit HoldingWindow(bool running)
            : UnitWindow(UnitWindowKind::RealTime, "frmRealTime", "Unit 2 Real Time Test", QSize(400, 300), [] {}),
              running_(running) {}
        bool RunActive() const override { return running_; }
        bool running_;
    };
    writePorts({0, 3});
    UnitSimulator& u = unit(3);
    for (const bool running : {false, true}) {
        const std::string what = running ? "running" : "idle";
        frmCalibrateTorque& c = open();
        chooseUnit(3, 0);  // a port known to Send Cali. profile., let go again
        ASSERT_TRUE(c.MSComm1.PortOpen()) << what;
        c.MSComm1.PortOpen(false);
        HoldingWindow holder(running);
        holder.MSComm1.MapFolder(gAppPath);
        holder.MSComm1.PortNumber(3);
        holder.MSComm1.Settings("115200,n,8,1");
        holder.MSComm1.PortOpen(true);
        ASSERT_EQ(UnitWindow::UnitsRunningTests().isEmpty(), !running);
        const QString note = "The unit's port 3 (" + u.slavePath() +
                             ") is held by the window \"Unit 2 Real Time Test\": close that window, then try again.";
        for (int tab = 1; tab <= 3; ++tab) {
            dialogs.clear();
            chooseUnit(tab, 0);
            EXPECT_EQ(dialogs.texts(), QStringList{note}) << what << " tab " << tab;
            EXPECT_EQ(c.cmbInstName[size_t(tab)]->currentText(), "Unit 2") << what << " tab " << tab;
        }
        dialogs.clear();
        c.cmdStart_Click();
        EXPECT_EQ(dialogs.texts(), QStringList{note}) << what;
        EXPECT_EQ(c.cmbInstName[1]->currentText(), "Unit 2") << what;
        EXPECT_TRUE(c.cmdStart->isEnabled()) << what;
        dialogs.clear();
        c.cmdSendCali_Click();
        EXPECT_EQ(dialogs.texts(), QStringList{note}) << what;
        EXPECT_TRUE(dialogs.fileRequests.empty()) << what;
        QThread::msleep(30);
        EXPECT_TRUE(u.commands().empty()) << what;
    }
}

// A line that hangs up under a tab's readings is said once while it lasts:
// the ticks that follow, the tab shown again and the other tab's ticks add
// no box.
TEST_F(TorqueRuns, ALineThatHangsUpIsSaidOnceWhileItLasts) {
    writePorts({0, 3});
    for (const int tab : {2, 3}) {
        UnitSimulator& u = unit(3);
        frmCalibrateTorque& c = open();
        chooseUnit(tab, 0);
        ASSERT_TRUE(c.MSComm1.PortOpen()) << tab;
        tick::TickTimer& timer = tab == 2 ? c.TimerPVT : c.TimerSWM;
        u.sendStatusFrame();
        QThread::msleep(20);
        timer.Tick();
        dialogs.clear();
        u.vanish();
        QThread::msleep(50);
        for (int i = 0; i < 8; ++i) {
            timer.Tick();
            c.TabStrip1->setCurrentIndex(0);
            c.TabStrip1->setCurrentIndex(tab - 1);
            c.TimerPVT.Tick();
            c.TimerSWM.Tick();
        }
        EXPECT_EQ(dialogs.texts().filter("Error reading comm device").size(), 1)
            << tab << ": " << dialogs.texts().join("|").toStdString();
        EXPECT_EQ(dialogs.texts().size(), 1) << tab << ": " << dialogs.texts().join("|").toStdString();
    }
}

// The start's waits are timed by the event loop: Start returns once the
// start frame is out, the run frame follows from the event loop, and a
// second Start meanwhile starts nothing.
TEST_F(TorqueRuns, TheStartsWaitsHoldNothingBack) {
    writePorts({0, 3});
    UnitSimulator& u = unit(3);
    // The points come once the window reads them: the input is thrown away
    // up to two seconds after the run frame.
    u.setTorqueRun({{20, 10}, {41, 20}, {59, 30}}, true, 2300);
    w = std::make_unique<frmCalibrateTorque>();  // the window's own waits
    frmCalibrateTorque& c = *w;
    c.Form_Load();
    chooseUnit(1, 0);
    c.cmdStart_Click();
    ASSERT_TRUE(u.waitForCommands(1));
    QThread::msleep(50);
    EXPECT_EQ(u.commands().size(), 1u);  // the start frame only: Start did not wait for the run frame
    EXPECT_EQ(u.commands()[0].code, 7);
    EXPECT_FALSE(c.Timer1.Enabled());
    EXPECT_EQ(c.CaliStatus->text(), "Calibration in Progress.");
    c.cmdStart_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{"Please wait, calibrating current unit. "});
    ASSERT_TRUE(testing_support::Until([] { QCoreApplication::processEvents(QEventLoop::AllEvents, 20); },
                                       [&] { return c.Timer1.Enabled(); }, std::chrono::seconds(10)));
    ASSERT_TRUE(u.waitForCommands(2));
    EXPECT_EQ(u.commands().size(), 2u);
    EXPECT_EQ(u.commands()[1].bytes, QByteArray("\x03\r"));
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(c.CaliStatus->text(), kSuccess);

    // A window closed during the waits takes no step after them.
    u.clearCommands();
    c.cmdStart_Click();
    ASSERT_TRUE(u.waitForCommands(1));
    c.cmdReturn_Click(1);
    dialogs.clear();
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 3500) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(u.commands().size(), 1u);
    EXPECT_FALSE(c.Timer1.Enabled());
}

// The bob file names the bob of the last torque calibration that ended well:
// a run that fails after Start (its line lost, its unit silent, its fit too
// poor) leaves it, and the test information dialog fills in the last good bob.
TEST_F(TorqueRuns, ARunThatFailsAfterStartLeavesTheLastGoodBob) {
    writePorts({0, 3});
    frmCalibrateTorque& c = open();
    auto runWith = [&](const QString& bob, const std::function<void(UnitSimulator&)>& unitDoes) {
        UnitSimulator& u = unit(3);
        unitDoes(u);
        c.cmbBobSize->setCurrentText(bob);
        c.cmbBobSize_Click();
        c.cmbInstName[1]->setCurrentIndex(0);
        c.cmdStart_Click();
        EXPECT_EQ(c.CaliStatus->text(), "Calibration in Progress.") << bob.toStdString();
        EXPECT_TRUE(runToEnd()) << bob.toStdString();
    };
    runWith("B2", [](UnitSimulator& u) { u.setTorqueRun({{20, 10}, {41, 20}, {59, 30}}, true, 0); });
    ASSERT_EQ(c.CaliStatus->text(), kSuccess);
    const auto bobFile = [&] {
        QFile f(dir.filePath("BOBINFO.TXT"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    };
    ASSERT_EQ(bobFile(), "B2\r\n");

    struct Case {
        const char* what;
        std::function<void(UnitSimulator&)> unitDoes;
        std::function<void()> afterStart;
    } cases[] = {
        {"the line closed after Start", [](UnitSimulator& u) { u.setTorqueRun({{20, 10}}, false, 0); },
         [&] { c.MSComm1.PortOpen(false); }},
        {"the unit gone", [](UnitSimulator& u) { u.setTorqueRun({{20, 10}}, false, 0); }, [&] { sim->vanish(); }},
        {"a fit too poor", [](UnitSimulator& u) { u.setTorqueRun({{0, 10}, {900, 20}, {0, 30}}, true, 0); }, [] {}},
    };
    for (const Case& k : cases) {
        dialogs.clear();
        UnitSimulator& u = unit(3);
        k.unitDoes(u);
        c.cmbBobSize->setCurrentText("B5");
        c.cmbBobSize_Click();
        c.cmdStart_Click();
        k.afterStart();
        ASSERT_TRUE(runToEnd()) << k.what;
        EXPECT_EQ(c.CaliStatus->text(), "Calibration Completed, Problem detected. ") << k.what;
        EXPECT_EQ(bobFile(), "B2\r\n") << k.what;
    }

    // The test information dialog of the next test fills in B2.
    testing_support::TempDb db;
    clsConnection conn;
    {
        testing_support::InFolder in(db.dir());
        conn.OpenDB();
    }
    gAppPath = dir.path();
    dialogs.clear();
    frmTestRelatedInfo info(&conn);
    EXPECT_EQ(info.txtBobNo->text(), "B2");
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("|").toStdString();
}

// A torque fluid table in a decimal-comma locale: the boxes are read with a
// point for decimals whatever the locale; "91,5" is refused at Save and at
// Start naming its temperature; a table saved loads back row for row and
// starts with the values typed; a file as typed ("91,5" on a line) is
// refused naming the line and changes no box.
TEST_F(TorqueRuns, TheFluidTableInADecimalCommaLocale) {
    struct DefaultLocale {
        QLocale previous;
        DefaultLocale() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
        ~DefaultLocale() { QLocale::setDefault(previous); }
    } german;
    ASSERT_EQ(QLocale().decimalPoint(), ",");
    writePorts({0, 3});
    UnitSimulator& u = unit(3);
    u.setTorqueRun({{20, 10}, {41, 20}, {59, 30}}, true, 0);
    frmCalibrateTorque& c = open();
    chooseUnit(1, 0);
    for (size_t i = 0; i < c.txtCali.size(); ++i) c.txtCali[i]->setText(QString::number(100 - 2 * int(i)));
    c.txtCali[1]->setText("91,5");
    const QString refused = typed::NotANumberMessage("Viscosity at 21 (Deg C)", "91,5");
    dialogs.files = {dir.filePath("fluid.txt")};
    c.cmdSave1_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{refused});
    EXPECT_FALSE(QFile::exists(dir.filePath("fluid.txt")));
    dialogs.clear();
    c.cmdStart_Click();
    EXPECT_EQ(dialogs.texts(), QStringList{refused});
    QThread::msleep(30);
    EXPECT_TRUE(u.commands().empty());

    c.txtCali[1]->setText("91.5");
    dialogs.clear();
    dialogs.files = {dir.filePath("fluid.txt")};
    c.cmdSave1_Click();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("|").toStdString();
    QFile f(dir.filePath("fluid.txt"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    f.close();
    ASSERT_EQ(lines.size(), 22);
    EXPECT_EQ(lines[1], "91.5\r");
    EXPECT_EQ(lines[2], "96\r");
    EXPECT_EQ(lines[20], "60\r");

    for (QLineEdit* t : c.txtCali) t->clear();
    dialogs.files = {dir.filePath("fluid.txt")};
    c.cmdLoad_Click();
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("|").toStdString();
    EXPECT_EQ(c.txtCali[1]->text(), "91.5");
    EXPECT_EQ(c.txtCali[2]->text(), "96");
    EXPECT_EQ(c.txtCali[20]->text(), "60");

    c.cmdStart_Click();
    ASSERT_TRUE(runToEnd());
    EXPECT_EQ(c.CaliStatus->text(), kSuccess);
    ASSERT_TRUE(u.waitForCommands(1));
    const QList<QByteArray> fields = u.commands()[0].bytes.mid(1).split('\x1a');
    ASSERT_EQ(fields.size(), 22);
    EXPECT_EQ(fields[0], "100.0");
    EXPECT_EQ(fields[1], "091.5");
    EXPECT_EQ(fields[2], "096.0");
    EXPECT_EQ(fields[20], "060.0");

    // The table as it was saved before: the box's text as typed.
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("100\r\n91,5\r\n96\r\n");
    f.close();
    dialogs.clear();
    dialogs.files = {dir.filePath("fluid.txt")};
    c.cmdLoad_Click();
    ASSERT_EQ(dialogs.texts().size(), 1);
    EXPECT_TRUE(dialogs.texts()[0].contains("line 2 holds \"91,5\", not one number")) << dialogs.texts()[0].toStdString();
    EXPECT_EQ(c.txtCali[1]->text(), "91.5");
    EXPECT_EQ(c.txtCali[2]->text(), "96");
}

}  // namespace
