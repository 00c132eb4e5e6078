// Pictures of the calibration window's three tabs on a real X display, each
// after a calibration: the torque points, their fitted line, slope, mean
// square error and status, the five piston
// points with their segments, the three swell steps with their factors.
//
// Needs an X display: ctest runs it a second time under xvfb-run; in the
// offscreen run it skips itself. The pictures go to build/screenshots/.

#include "CalibrationFixture.h"

#include "dialogs/DialogSupport.h"
#include "platform/PeChart.h"
#include "support/Screenshots.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QWindow>
#include <iostream>

using namespace calibration_tests;

using testing_support::ScreenshotPath;
using testing_support::SettleWindow;

namespace {

QImage grab(QWidget& w, const QString& name) {
    SettleWindow(w);
    const QImage shot = w.screen()->grabWindow(w.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    const QString file = ScreenshotPath(name);
    EXPECT_TRUE(shot.save(file)) << file.toStdString();
    std::cout << "screenshot: " << file.toStdString() << '\n';
    return shot;
}

// Every label and button shows its whole text.
void expectTextsFit(QWidget& root) {
    for (QLabel* l : root.findChildren<QLabel*>()) {
        if (!l->isVisibleTo(&root) || l->text().isEmpty() || l->wordWrap()) continue;
        EXPECT_LE(l->sizeHint().width(), l->width() + 1) << l->objectName().toStdString() << " " << l->text().toStdString();
    }
    for (QPushButton* b : root.findChildren<QPushButton*>()) {
        if (!b->isVisibleTo(&root)) continue;
        EXPECT_LE(b->fontMetrics().horizontalAdvance(b->text().remove('&')) + 12, b->width())
            << b->objectName().toStdString() << " " << b->text().toStdString();
    }
}

class XDisplayCalibration : public CalibrationFixture {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X server (run under xvfb-run)";
        CalibrationFixture::SetUp();
    }
};

TEST_F(XDisplayCalibration, TheThreeTabsAfterACalibration) {
    writePorts({0, 3, 0, 0, 5});
    frmCalibrateTorque& c = open();
    c.show();

    // Torque: a run of twelve points from the unit, its fitted line, slope,
    // mean square error and status.
    std::vector<std::pair<double, double>> run;
    for (int i = 0; i < 12; ++i) run.push_back({1.0 + 1.95 * 2.5 * i + (i % 3 - 1) * 0.8, 2.5 * i});
    unit(3).setTorqueRun(run, true, 50);
    c.cmbInstName[1]->setCurrentIndex(0);
    c.cmbInstName_Click(1);
    c.cmdStart_Click();
    ASSERT_TRUE(runToEnd());
    ASSERT_EQ(c.TorquePoints.size(), 12u);
    EXPECT_EQ(c.CaliStatus->text(), "Calibration Completed Successfully.");
    EXPECT_EQ(c.CWGraph1->subsets(), 2);
    EXPECT_FALSE(c.findChild<QLabel*>("lblSlope")->text().isEmpty());
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join('\n').toStdString();
    expectTextsFit(c);
    grab(c, "calibration-torque.png");

    // PVT: a large piston calibrated.
    c.TabStrip1->setCurrentIndex(1);
    c.cmbInstName[2]->setCurrentIndex(1);
    c.Combo1->setCurrentIndex(0);
    c.Combo1_Click();
    const double readings[] = {11020, 6890, 4105, 2380, 1210};  // falling from the top
    for (int i = 1; i <= 5; ++i) {
        c.PvtReading = readings[i - 1];
        c.cmdPVT_Click(i);
    }
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join('\n').toStdString();
    expectTextsFit(c);
    grab(c, "calibration-pvt.png");

    // Swell: three spacers.
    c.TabStrip1->setCurrentIndex(2);
    c.cmbInstName[3]->setCurrentIndex(0);
    const double volts[] = {1.25, 2.4, 4.7};
    for (int i = 1; i <= 3; ++i) {
        c.LsmVolt = volts[i - 1];
        c.cmdSWM_Click(i);
    }
    c.TimerSWM.Enabled(false);
    EXPECT_TRUE(dialogs.messages.empty()) << dialogs.texts().join('\n').toStdString();
    expectTextsFit(c);
    grab(c, "calibration-lsm.png");
}

// On a real display the window opens whole inside the screen's available
// area.
TEST_F(XDisplayCalibration, OpensInsideTheScreen) {
    writePorts({0, 3});
    frmCalibrateTorque* c = frmCalibrateTorque::ShowInstance();
    ASSERT_NE(c, nullptr);
    w.reset(c);  // the fixture closes it
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QThread::msleep(10);
    }
    const QRect area = dialogsupport::AvailableArea(c);
    EXPECT_TRUE(area.contains(c->frameGeometry()))
        << c->frameGeometry().x() << "," << c->frameGeometry().y() << " " << c->frameGeometry().width() << "x"
        << c->frameGeometry().height() << " in " << area.width() << "x" << area.height();
}

}  // namespace
