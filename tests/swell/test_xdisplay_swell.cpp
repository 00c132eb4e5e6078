// Pictures of the swell test window during a run, on a real X display, at
// 1280 x 800 and 1920 x 1080: the live readings, the sample panel, the grid of
// the recorded rows and the live chart of all four quantities.
//
// Needs an X display: ctest runs it a second time under xvfb-run; in the
// offscreen run it skips itself. The pictures go to build/screenshots/.

#include "SwellFixture.h"

#include "platform/PeChart.h"
#include "support/Screenshots.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <cmath>

using namespace swell_tests;
using unit_tests::SeqStep;
using unit_tests::StoreSequence;

using testing_support::Settle;

namespace {

class XDisplaySwell : public SwellFixture {};

}  // namespace

TEST_F(XDisplaySwell, SwellWindowDuringARun) {
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        GTEST_SKIP() << "needs an X display (ctest runs it under xvfb-run)";

    // A point every 30 s, as the ticks below come: none is missed.
    StoreSequence(conn, "LSM 250F 3000psi", {SeqStep{600, 250, 5, 0, 30, 3000, 0, 0, 1}});
    auto w = open(1);
    w->setWindowTitle("Unit 1 LSM Test");
    w->lblInstName->setText("Unit 1");
    pick(*w, "LSM 250F 3000psi");
    zero(*w, "0.4");
    {
        SampleEntry entry;
        entry.name = "Pierre shale in 3% KCl";
        AnswerSample answer(entry);
        w->cmdStart->click();
    }
    ASSERT_EQ(w->RunState, 1);
    for (QCheckBox* box : {w->chkSpeed, w->chkTemp, w->chkPress}) box->setChecked(true);

    // The sample heats and swells over an hour and a half.
    for (int i = 0; i < 5400; i += 30) {
        const double temp = std::min(250.0, 74 + i / 10.0);
        const double press = std::min(3000.0, i * 2.0);
        const double volts = 1.0 + 0.5 * (1 - std::exp(-i / 1500.0));
        const QString frame = QStringLiteral("#01,%1,250,0,0,%2,0,3000,%3,0").arg(temp).arg(press).arg(volts);
        clock.advance(30000);
        w->reply.RxBuffer += frame + QChar(26);
        w->Timer1.Tick();
    }
    ASSERT_EQ(w->RunState, 1);
    ASSERT_GT(w->MSFlexGrid1->Rows(), 100);

    const QString dir = QStringLiteral(Z3080_SCREENSHOT_DIR);
    QDir().mkpath(dir);
    for (const QSize size : {QSize(1280, 800), QSize(1920, 1080)}) {
        w->resize(size);
        w->show();
        Settle(400);
        w->MSFlexGrid1->scrollToBottom();
        Settle(200);
        QPixmap shot = w->screen()->grabWindow(w->winId());
        if (shot.isNull()) shot = w->grab();
        const QImage image = shot.toImage();
        ASSERT_FALSE(image.isNull());
        ASSERT_TRUE(image.save(dir + QStringLiteral("/swell_window_run_%1.png").arg(size.width())));
    }
    EXPECT_GT(w->Pesgo1->points(), 100);
    EXPECT_EQ(w->Pesgo1->subsets(), 4);
}
