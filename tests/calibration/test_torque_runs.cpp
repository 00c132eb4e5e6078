// The torque tab runs again after a run on the same unit without a new pick;
// a port a unit window holds is refused naming that window; the status line
// never says success after a start that failed; and the calibration tabs'
// number boxes take numbers only.

#include "CalibrationFixture.h"

#include "data/Numbers.h"
#include "data/TypedNumbers.h"
#include "platform/PeChart.h"
#include "unitbase/UnitWindow.h"

#include <QFile>
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
    ASSERT_EQ(dialogs.texts().size(), 2) << dialogs.texts().join("|").toStdString();
    EXPECT_EQ(dialogs.texts()[0], kComm);
    EXPECT_TRUE(dialogs.texts()[1].startsWith("Port already open (port 3 (" + u.slavePath() + ")"))
        << dialogs.texts()[1].toStdString();
    EXPECT_TRUE(dialogs.texts()[1].endsWith("\n" + note)) << dialogs.texts()[1].toStdString();
    EXPECT_EQ(c.CaliStatus->text(), "Calibration not started.");
    EXPECT_NE(c.CaliStatus->text(), kSuccess);
    EXPECT_TRUE(c.lblSlope->text().isEmpty());
    EXPECT_TRUE(c.cmdStart->isEnabled());
    EXPECT_FALSE(c.Timer1.Enabled());
    EXPECT_FALSE(c.TorqueRunOwnsPort());
    QThread::msleep(50);
    EXPECT_TRUE(u.commands().empty());

    // Choosing the unit again says the same.
    dialogs.clear();
    chooseUnit(1, 0);
    EXPECT_EQ(dialogs.texts(), (QStringList{kComm, note}));

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

}  // namespace
