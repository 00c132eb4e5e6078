// Pictures of the simple test window during a run and of the oscillatory
// panel, on a real X display, at the sizes of a 1280 x 800 and a 1920 x 1080
// screen. ctest runs them under xvfb-run; the offscreen run skips them. The
// pictures go to the build folder (screenshots/).

#include "support/UnitWindowFixture.h"

#include "data/Settings.h"
#include "simpletest/frmDynamic.h"
#include "simpletest/frmSimpleTest.h"
#include "support/Screenshots.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>

using namespace unit_tests;

using testing_support::Settle;

namespace {

void save(QWidget& w, const QString& name) {
    QPixmap shot = w.screen()->grabWindow(w.winId());
    if (shot.isNull()) shot = w.grab();
    const QString dir = QStringLiteral(Z3080_SCREENSHOT_DIR);
    QDir().mkpath(dir);
    ASSERT_TRUE(shot.toImage().save(dir + QLatin1Char('/') + name));
}

// Every label shows its whole caption.
void expectWholeCaptions(QWidget& w) {
    for (QLabel* l : w.findChildren<QLabel*>()) {
        if (!l->isVisible() || l->text().isEmpty()) continue;
        EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->width() + 1) << l->objectName().toStdString();
    }
}

class XDisplayUnitTests : public UnitWindowFixture {};

}  // namespace

TEST_F(XDisplayUnitTests, SimpleTestWindowDuringARunAndTheOscillatoryPanel) {
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        GTEST_SKIP() << "needs an X display (ctest runs it under xvfb-run)";
    SetUnitLabels();
    gMaxTemp = 600;
    gMinTemp = 0;

    struct Size {
        int w, h;
        const char* name;
    } sizes[] = {{1280, 740, "simple_test_1280x800.png"}, {1920, 1020, "simple_test_1920x1080.png"}};
    for (const Size& s : sizes) {
        frmSimpleTest w;
        w.setWindowTitle(QStringLiteral("Unit 2 Simple Test"));
        w.lblInstName->setText(QStringLiteral("Unit 2"));
        w.txtTempSetPoint->setText(QStringLiteral("350"));
        w.txtPressSetPoint->setText(QStringLiteral("5000"));
        w.txtspeedset->setText(QStringLiteral("300"));
        ASSERT_EQ(w.Start(QStringLiteral("350"), QStringLiteral("5000"), QStringLiteral("300")),
                  SimpleTestRun::StartCheck::Ok);
        w.reply.Parse(QStringLiteral("#01,348.2,350.0,300.000,200.2,4990,51.1,05000,0,") + QChar(26),
                      w.RunState == SimpleTestRun::kRunning);
        const unit::UnitReadingTexts& t = w.reply.texts;
        w.txtSampleTemp->setText(t.txtSampleTemp);
        w.txtspeed->setText(t.txtspeed);
        w.txtShearrate->setText(t.txtShearrate);
        w.txtShearStress->setText(t.txtShearStress);
        w.txtFann->setText(t.txtFann);
        w.txtPressure->setText(t.txtPressure);
        w.txtGelAngle->setText(t.txtGelAngle);
        w.txtVisc->setText(t.txtVisc);
        w.lblActiveFlag->setText(QStringLiteral("Running Test"));
        w.ElapsedTime->setText(QStringLiteral("Elapsed Time: 0:12:05"));
        w.resize(s.w, s.h);
        w.show();
        Settle(200);
        save(w, QString::fromLatin1(s.name));
        expectWholeCaptions(w);
        w.RunState = 0;
    }

    frmDynamic d;
    d.lblInstName->setText(QStringLiteral("Unit 2"));
    d.txtTempSetPoint->setText(QStringLiteral("350"));
    d.txtFreq->setText(QStringLiteral("1"));
    d.txtFreqStart->setText(QStringLiteral("0.1"));
    d.txtFreqEnd->setText(QStringLiteral("10"));
    d.txtInterval->setText(QStringLiteral("5"));
    d.show();
    Settle(200);
    save(d, QStringLiteral("oscillatory_panel.png"));
    expectWholeCaptions(d);
}
