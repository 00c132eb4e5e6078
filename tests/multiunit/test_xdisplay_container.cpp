// Pictures of the test container with a simple test window opened through its
// menu, with one, three, four and eight units in every arrangement, and with
// four units' status bars holding points waiting, on a real X
// display, at the sizes of the container on a 1280 x 800 and a 1920 x 1080
// screen. ctest runs them under xvfb-run; the offscreen run skips them. The
// pictures go to the build folder (screenshots/).

#include "ContainerChecks.h"
#include "support/UnitWindowFixture.h"

#include "data/Settings.h"
#include "multiunit/frmMDIRealTime.h"
#include "platform/StatusBarPanel.h"
#include "support/Screenshots.h"
#include "unitrun/RunMessages.h"
#include "simpletest/frmSimpleTest.h"

#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <vector>

using namespace unit_tests;

namespace {

class XDisplayContainer : public UnitWindowFixture {};

}  // namespace

// The simple test window fills the container, the container's caption names
// it, and every control of the window is inside it with its caption whole.
TEST_F(XDisplayContainer, SimpleTestWindowOpensFillingTheContainer) {
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        GTEST_SKIP() << "needs an X display (ctest runs it under xvfb-run)";
    SetUnitLabels();
    noDevice(9);
    writePorts({9});

    struct Size {
        int w, h;
        const char* name;
    } sizes[] = {{1280, 740, "simple_test_in_container-1280x800.png"},
                 {1920, 1020, "simple_test_in_container-1920x1080.png"}};
    for (const Size& s : sizes) {
        SCOPED_TRACE(s.name);
        frmMDIRealTime m(&conn);
        m.MDIForm_Load();
        m.resize(s.w, s.h);
        m.show();
        testing_support::SettleWindow(m, 200);
        m.MenuSimpleAdd[1]->trigger();
        dialogs.clear();  // the port without a device
        auto* w = qobject_cast<frmSimpleTest*>(m.SimpleTestWindows[1].data());
        ASSERT_NE(w, nullptr);
        testing_support::SettleWindow(m, 300);

        QPixmap shot = m.screen()->grabWindow(m.winId());
        if (shot.isNull()) shot = m.grab();
        const QImage image = shot.toImage();
        ASSERT_TRUE(image.save(testing_support::ScreenshotPath(QString::fromLatin1(s.name))));

        QMdiSubWindow* sub = m.SubWindowOf(w);
        ASSERT_NE(sub, nullptr);
        EXPECT_TRUE(sub->isMaximized());
        EXPECT_EQ(sub->geometry(), m.mdiArea->viewport()->rect());
        EXPECT_EQ(m.windowTitle(), "Z3080DAQ Real Time Test & Monitoring - [Unit 1 Simple Test]");
        EXPECT_GE(w->width(), 1000);
        EXPECT_GE(w->height(), 500);

        const QRect inside = w->rect();
        for (QWidget* c : w->findChildren<QWidget*>()) {
            if (!c->isVisible() || c->parentWidget() != w) continue;
            EXPECT_TRUE(inside.contains(QRect(c->pos(), c->size()))) << c->objectName().toStdString();
        }
        for (QLabel* l : w->findChildren<QLabel*>()) {
            if (!l->isVisible() || l->text().isEmpty()) continue;
            EXPECT_LE(l->fontMetrics().horizontalAdvance(l->text()), l->width() + 1) << l->objectName().toStdString();
        }
        // The window shows its controls, not an empty area.
        const QRect shown(w->mapTo(&m, QPoint(0, 0)), w->size());
        const double scale = double(image.width()) / m.width();
        EXPECT_GT(testing_support::DistinctColours(
                      image, QRect(int(shown.x() * scale), int(shown.y() * scale), int(shown.width() * scale),
                                   int(shown.height() * scale))),
                  8);
        m.close();
    }
}

// One, three, four and eight units (every kind among them) maximised,
// restored, cascaded and tiled both ways: each picture is written, and in
// each every frame is inside the container, every window at least the size
// at which its texts fit (its frame scrolling where it shows less), its
// labels apart and every caption whole. With four and eight units the
// operator then goes through the windows, activating each, opening its
// dialog and closing it, maximising and restoring it: no frame moves, and a
// second picture shows them after.
TEST_F(XDisplayContainer, UnitWindowsStayReadableInEveryArrangement) {
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        GTEST_SKIP() << "needs an X display (ctest runs it under xvfb-run)";
    SetUnitLabels();
    for (int port = 11; port <= 18; ++port) noDevice(port);
    writePorts({11, 12, 13, 14, 15, 16, 17, 18});

    using K = UnitWindowKind;
    struct Units {
        const char* name;
        std::vector<K> kinds;  // of units 1, 2, ...
    } unitSets[] = {
        {"1-unit", {K::RealTime}},
        {"3-units", {K::RealTime, K::Pvt, K::Swell}},
        {"4-units", {K::RealTime, K::Simple, K::Pvt, K::Swell}},
        {"8-units", {K::RealTime, K::Simple, K::Pvt, K::Swell, K::RealTime, K::Simple, K::Pvt, K::Swell}},
    };
    struct Size {
        int w, h;
        const char* name;
    } sizes[] = {{1280, 740, "1280x800"}, {1920, 1020, "1920x1080"}};

    for (const Size& s : sizes) {
        for (const Units& u : unitSets) {
            SCOPED_TRACE(std::string(u.name) + " " + s.name);
            frmMDIRealTime m(&conn);
            m.MDIForm_Load();
            m.resize(s.w, s.h);
            m.show();
            testing_support::SettleWindow(m, 200);
            for (std::size_t i = 0; i < u.kinds.size(); ++i) m.Entry(u.kinds[i], int(i) + 1)->trigger();
            dialogs.clear();  // the ports without a device, the swell calibration not there
            ASSERT_EQ(m.mdiArea->subWindowList().size(), qsizetype(u.kinds.size()));

            auto shoot = [&](const QString& arrangement) {
                testing_support::SettleWindow(m, 300);
                QPixmap shot = m.screen()->grabWindow(m.winId());
                if (shot.isNull()) shot = m.grab();
                const QString name =
                    QStringLiteral("container-%1-%2-%3.png").arg(QLatin1String(u.name), arrangement, QLatin1String(s.name));
                EXPECT_TRUE(shot.toImage().save(testing_support::ScreenshotPath(name)));
            };
            const bool clickThrough = u.kinds.size() >= 4;
            auto picture = [&](const char* arrangement) {
                SCOPED_TRACE(arrangement);
                shoot(QLatin1String(arrangement));
                ExpectUnitWindowsReadable(m);
                if (!clickThrough) return;
                ExpectFramesStayThroughEachWindowsDialog(m, [&] { testing_support::SettleWindow(m, 40); });
                shoot(QLatin1String(arrangement) + QStringLiteral("-after-dialogs"));
            };
            QMdiSubWindow* active = m.mdiArea->activeSubWindow();
            ASSERT_NE(active, nullptr);
            EXPECT_TRUE(active->isMaximized());
            EXPECT_EQ(active->geometry(), m.mdiArea->viewport()->rect());
            picture("maximised");
            m.mdiArea->activeSubWindow()->showNormal();
            picture("restored");
            m.MenuWindowCascade->trigger();
            picture("cascaded");
            m.MenuWindowHorizontal->trigger();
            picture("tiled-horizontally");
            m.MenuWindowVertically->trigger();
            picture("tiled-vertically");
            m.close();
        }
    }
}

// Four units tiled both ways and maximised, their status bars as during a
// run whose points wait for the database: each picture is written, and in
// each the progress panel shows the longest form of the points waiting that
// fits (the whole text in its tip) beside the whole start, elapsed and end
// times.
TEST_F(XDisplayContainer, PointsWaitingFitTheStatusBarsOfTiledWindows) {
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        GTEST_SKIP() << "needs an X display (ctest runs it under xvfb-run)";
    SetUnitLabels();
    for (int port = 11; port <= 14; ++port) noDevice(port);
    writePorts({11, 12, 13, 14});
    using K = UnitWindowKind;
    struct Size {
        int w, h;
        const char* name;
    } sizes[] = {{1280, 740, "1280x800"}, {1920, 1020, "1920x1080"}};
    const QDateTime started(QDate(2024, 12, 31), QTime(22, 11, 12));
    for (const Size& s : sizes) {
        SCOPED_TRACE(s.name);
        frmMDIRealTime m(&conn);
        m.MDIForm_Load();
        m.resize(s.w, s.h);
        m.show();
        testing_support::SettleWindow(m, 200);
        int n = 0;
        for (K kind : {K::RealTime, K::Simple, K::Pvt, K::Swell}) m.Entry(kind, ++n)->trigger();
        dialogs.clear();
        for (QMdiSubWindow* sub : m.mdiArea->subWindowList()) {
            UnitWindow* w = frmMDIRealTime::UnitOf(sub);
            auto* step = w->findChild<StatusBarPanel*>(QStringLiteral("StepTime"));
            if (!step) continue;  // the simple test shows no progress
            const auto set = [&](const char* key, const QString& text) {
                if (auto* p = w->findChild<QLabel*>(QLatin1String(key))) p->setText(text);
            };
            set("StartTime", QStringLiteral("Start Time: ") + runloop::GeneralDate(started));
            set("ElapsedTime", runloop::ElapsedTimeText(runloop::HmsText(3725)));
            set("Status", QStringLiteral("Test Running"));
            set("EndTime", QStringLiteral("End Time: ") + runloop::GeneralDate(started.addSecs(7200)));
            // As the window shows the points waiting (UnitWindow::ShowRowsWaiting).
            step->SetText(runloop::RowsWaitingText(w->UnitLabel(), QStringLiteral("Mud A"), 5,
                                                   QStringLiteral("database is locked")),
                          runloop::RowsWaitingShortTexts(5, QStringLiteral("database is locked")));
        }
        auto picture = [&](const char* arrangement) {
            SCOPED_TRACE(arrangement);
            testing_support::SettleWindow(m, 300);
            // Each frame scrolled to its window's status bar and its right end.
            for (QMdiSubWindow* sub : m.mdiArea->subWindowList()) {
                auto* frame = static_cast<QScrollArea*>(sub->widget());
                frame->verticalScrollBar()->setValue(frame->verticalScrollBar()->maximum());
                frame->horizontalScrollBar()->setValue(frame->horizontalScrollBar()->maximum());
            }
            testing_support::SettleWindow(m, 100);
            QPixmap shot = m.screen()->grabWindow(m.winId());
            if (shot.isNull()) shot = m.grab();
            EXPECT_TRUE(shot.toImage().save(testing_support::ScreenshotPath(
                QStringLiteral("container-4-units-waiting-%1-%2.png").arg(QLatin1String(arrangement), QLatin1String(s.name)))));
            for (QMdiSubWindow* sub : m.mdiArea->subWindowList()) {
                const UnitWindow* w = frmMDIRealTime::UnitOf(sub);
                SCOPED_TRACE(w->windowTitle().toStdString());
                for (const StatusBarPanel* p : w->findChildren<StatusBarPanel*>()) {
                    SCOPED_TRACE(p->objectName().toStdString());
                    const QString shown = p->ShownText();
                    EXPECT_LE(p->fontMetrics().horizontalAdvance(shown), p->contentsRect().width());
                    if (p->objectName() == QLatin1String("StepTime"))
                        EXPECT_TRUE(shown.contains(QLatin1String("5 points waiting"))) << shown.toStdString();
                    else
                        EXPECT_EQ(shown, p->text());
                    EXPECT_EQ(p->TipText(), shown == p->text() ? QString() : p->text());
                }
            }
        };
        picture("maximised");
        m.MenuWindowVertically->trigger();
        picture("tiled-vertically");
        m.MenuWindowHorizontal->trigger();
        picture("tiled-horizontally");
        m.close();
    }
}
