// The main window's Calibrate button: the one calibration window, modeless,
// on its first tab, the main window staying up.

#include "MainWindowFixture.h"

#include "calibration/frmCalibrateTorque.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>

using testing_support::MainWindowTest;

TEST_F(MainWindowTest, CalibrateOpensTheOneCalibrationWindow) {
    auto w = start();
    w->show();
    ASSERT_TRUE(w->cmdCalibrate->isEnabled());
    w->cmdCalibrate->click();
    QPointer<frmCalibrateTorque> c = frmCalibrateTorque::Instance();
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(c->isVisible());
    EXPECT_FALSE(c->isModal());
    EXPECT_EQ(c->CurrentTab, 1);
    EXPECT_TRUE(w->isVisible());

    // Clicked again while it lives: the same window, as it was left.
    c->TabStrip1->setCurrentIndex(2);
    w->cmdCalibrate->click();
    EXPECT_EQ(frmCalibrateTorque::Instance(), c.data());
    EXPECT_EQ(c->CurrentTab, 3);
    c->cmdReturn_Click(1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(c.isNull());
}
