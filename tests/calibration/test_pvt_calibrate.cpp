// The stand-alone PVT calibration dialog: its steps from the unit's frames,
// the save and cancel flags, the questions on leaving.

#include "CalibrationFixture.h"

#include "calibration/frmPVTCalibrate.h"
#include "platform/PeChart.h"

#include <QCloseEvent>
#include <QDir>
#include <cmath>
#include "data/Numbers.h"
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace calibration_tests;

namespace {

class PvtCalibrate : public CalibrationFixture {
protected:
    // The unit has sent a status frame whose field 9 is r.
    void frame(double r) {
        testing_support::UnitSimulator::Readings rd = sim->readings();
        rd.field9 = QByteArray::number(r);
        sim->setReadings(rd);
        sim->sendStatusFrame();
        QThread::msleep(50);
    }
};

TEST_F(PvtCalibrate, SmallPistonTakenSavedWithoutAFile) {
    unit(3);
    frmPVTCalibrate d;
    EXPECT_EQ(d.windowTitle(), "Z3080 PVT Calibrate");
    EXPECT_TRUE(d.Cancels());
    d.Units(4);
    d.MSComm1.PortNumber(3);
    d.MSComm1.Settings("115200,n,8,1");
    d.MSComm1.PortOpen(true);
    d.Combo1->setCurrentIndex(1);
    d.Combo1_Click();
    EXPECT_EQ(d.Command1[4]->text(), "Insert 2 in. spacer and click here");

    d.Command1_Click(1);  // what waited is thrown away: no reading
    EXPECT_EQ(dialogs.texts(),
              QStringList{"Invalid calibration data, please verify magnet position or click OK to try again. "});
    EXPECT_EQ(d.CaliState, 1);
    const double readings[] = {100, 150, 300, 900};
    for (int i = 1; i <= 4; ++i) {
        frame(readings[i - 1]);
        d.RunCalibrationStep(i);
    }
    EXPECT_EQ(dialogs.texts().size(), 1);
    EXPECT_EQ(d.lalData[1]->text(), "0");  // the raw reading is not written
    EXPECT_EQ(d.lalData[11]->text(), "2");
    EXPECT_EQ(d.CaliState, 2);
    EXPECT_TRUE(d.Command2->isEnabled());
    EXPECT_TRUE(d.MSComm1.PortOpen());  // the port stays as the caller left it
    EXPECT_EQ(d.CWGraph1->points(), 4);
    // Full precision, no format.
    const double slope = (std::log10(2.6) - std::log10(2.1)) / (std::log10(150.0) - std::log10(100.0));
    EXPECT_NEAR(Val(d.lalSlope[2]->text()), slope, 1e-13);

    d.show();
    d.Command2_Click();
    EXPECT_FALSE(d.Cancels());
    EXPECT_FALSE(d.isVisible());
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(PvtCalibrate, LeavingAsksWhileUnfinished) {
    frmPVTCalibrate d;
    d.show();
    d.Command3_Click();  // state 0: no question
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(d.Cancels());
    EXPECT_FALSE(d.isVisible());

    d.show();
    d.CaliState = 1;
    dialogs.answers = {ui::vbNo};
    QCloseEvent byUser;
    QApplication::sendEvent(&d, &byUser);  // as from the close box
    EXPECT_EQ(dialogs.texts(), QStringList{"Calibration data not complete, are you sure you want to exit?"});
    EXPECT_FALSE(byUser.isAccepted());
    d.Combo1->setCurrentIndex(0);
    d.Combo1_Click();
    d.Text1[2]->clear();
    d.Command1_Click(2);
    d.Command2_Click();
    EXPECT_EQ(dialogs.texts().mid(1), (QStringList{"select piston size first!",
                                                   "Please complete all calibration steps before saving your settings."}));
    EXPECT_TRUE(d.Cancels());
}

// The close box frees the unit's port; a close refused keeps it.
TEST_F(PvtCalibrate, TheCloseBoxReleasesThePort) {
    unit(3);
    frmPVTCalibrate d;
    d.MSComm1.PortNumber(3);
    d.MSComm1.Settings("115200,n,8,1");
    d.MSComm1.PortOpen(true);
    d.show();
    d.CaliState = 1;
    dialogs.answers = {ui::vbNo, ui::vbYes};
    QCloseEvent refused;
    QApplication::sendEvent(&d, &refused);
    EXPECT_FALSE(refused.isAccepted());
    EXPECT_TRUE(d.MSComm1.PortOpen());
    QCloseEvent byUser;
    QApplication::sendEvent(&d, &byUser);
    EXPECT_TRUE(byUser.isAccepted());
    EXPECT_FALSE(d.MSComm1.PortOpen());
    EXPECT_TRUE(d.Cancels());
    // Another window can open the unit's port now.
    comm::CommPort other;
    other.PortNumber(3);
    other.PortOpen(true);
    EXPECT_TRUE(other.PortOpen());
}

}  // namespace
