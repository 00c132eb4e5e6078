// The main window on a real X server (ctest runs these XDisplay tests under
// xvfb-run): a stored rheology test opened in it, its three-axis chart drawn
// on screen and grabbed from the server into a PNG, and the chart printed to
// a PDF of one landscape page. Without an X display the tests skip.

#include "charts/ChartPrinting.h"
#include "charts/MainCharts.h"
#include "mainwindow/MainWindowFixture.h"
#include "platform/FlexGrid.h"
#include "platform/PeChart.h"
#include "platform/Pe3dChart.h"
#include "support/QtPrint.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSet>
#include <QStandardPaths>
#include <QWindow>

using testing_support::MainWindowTest;
using testing_support::Seeder;

namespace {

// Where the pictures go: $Z3080_SCREENSHOT_DIR, or the working folder.
QString outputPath(const QString& name) {
    const QString dir = qEnvironmentVariable("Z3080_SCREENSHOT_DIR", QDir::currentPath());
    QDir().mkpath(dir);
    return QDir(dir).filePath(name);
}

// Lets the window system and the charts' deferred redraws settle. Objects let
// go with deleteLater (the chart's replaced axes among them) go as they would
// in the application's event loop.
void settle(QWidget& w, int ms = 600) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms || (w.windowHandle() && !w.windowHandle()->isExposed() && t.elapsed() < 10000)) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// Pixels of the image region close to a colour.
int pixelsNear(const QImage& img, const QRect& area, QColor colour, int tolerance = 40) {
    int n = 0;
    const QRect r = area.intersected(img.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                    std::abs(c.blue() - colour.blue()) <=
                tolerance)
                ++n;
        }
    return n;
}

class XDisplayMainWindow : public MainWindowTest {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X server (run under xvfb-run)";
        MainWindowTest::SetUp();
        Seeder seed(db_.path());
        // Ninety minutes of a rheology test: temperature and pressure rise,
        // viscosity falls; every tenth row is a ramp row.
        const qint64 id = seed.test("Mud HT-7", "B1", "R1", 1.7245, 3.8, "2024-03-05 14:07:09");
        for (int i = 0; i <= 90; ++i) {
            const double temp = 80 + 2.4 * i;                 // °F
            const double press = 1000 + 100 * i;               // psi
            const double visc = 20 + 40 * std::exp(-i / 30.0);  // cP
            const double rate = 511;
            seed.measured(id, 60.0 * i, temp, press, rate, visc * rate / 100, i % 10 == 0 ? 1 : 0);
        }
        seed.additive(id, "Bentonite", 6, "%", "B-12");
    }
};

TEST_F(XDisplayMainWindow, MainWindowShowsTheOpenedRheologyTestAndItsThreeAxisChart) {
    auto w = start();
    w->show();
    settle(*w);
    ASSERT_TRUE(open(*w, "Mud HT-7"));
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join('\n').toStdString();
    settle(*w);

    const PeChart& g = *w->Pesgo1;
    EXPECT_EQ(g.subsets(), 3);
    EXPECT_EQ(g.points(), 91);
    ASSERT_TRUE(w->Pesgo1->isVisible());
    ASSERT_NE(w->windowHandle(), nullptr);
    EXPECT_TRUE(w->windowHandle()->isExposed());

    // What the X server shows, not what the widgets would paint offscreen.
    const QImage shot = w->screen()->grabWindow(w->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(shot.isNull());
    const QString file = outputPath(QStringLiteral("main-window-rheology.png"));
    ASSERT_TRUE(shot.save(file)) << file.toStdString();
    std::cout << "screenshot: " << file.toStdString() << '\n';
    // The three curves are on screen in their colours, inside the chart.
    const QRect chart(w->Pesgo1->mapTo(w.get(), QPoint(0, 0)), w->Pesgo1->size());
    EXPECT_GT(pixelsNear(shot, chart, QColor(0, 128, 0)), 50) << "viscosity curve (green)";
    EXPECT_GT(pixelsNear(shot, chart, QColor(0, 0, 128)), 50) << "pressure curve (blue)";
    EXPECT_GT(pixelsNear(shot, chart, QColor(255, 0, 0)), 50) << "temperature curve (red)";
    // The result grid below it has its text.
    const QRect grid(w->MSFlexGrid1->mapTo(w.get(), QPoint(0, 0)), w->MSFlexGrid1->size());
    QSet<QRgb> colours;
    for (int y = grid.top(); y < grid.bottom() && colours.size() < 3; y += 2)
        for (int x = grid.left(); x < grid.right(); x += 2) colours.insert(shot.pixel(x, y));
    EXPECT_GE(colours.size(), 2) << "the result grid is blank";
}

TEST_F(XDisplayMainWindow, ThreeDModeDrawsTheSurfaceOnScreen) {
    auto w = start();
    w->show();
    settle(*w);
    ASSERT_TRUE(open(*w, "Mud HT-7"));
    w->opt3D->click();
    settle(*w, 1500);
    EXPECT_TRUE(w->Pe3do1->isVisible());
    EXPECT_FALSE(w->Pesgo1->isVisible());
    const QImage shot = w->screen()->grabWindow(w->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(shot.isNull());
    const QString file = outputPath(QStringLiteral("main-window-3d.png"));
    ASSERT_TRUE(shot.save(file));
    std::cout << "screenshot: " << file.toStdString() << '\n';
    // The OpenGL view painted something other than one flat colour.
    const QRect area(w->Pe3do1->mapTo(w.get(), QPoint(0, 0)), w->Pe3do1->size());
    QSet<QRgb> colours;
    for (int y = area.top(); y < area.bottom() && colours.size() < 16; y += 3)
        for (int x = area.left(); x < area.right(); x += 3) colours.insert(shot.pixel(x, y));
    EXPECT_GE(colours.size(), 16);
}

TEST_F(XDisplayMainWindow, PrintChartGivesOneLandscapePdfPage) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()) GTEST_SKIP() << "pdfinfo missing";
    auto w = start();
    w->show();
    settle(*w);
    ASSERT_TRUE(open(*w, "Mud HT-7"));
    settle(*w);

    chartprint::printerSeam().printerAvailable = [] { return false; };
    const QString file = outputPath(QStringLiteral("main-window-chart.pdf"));
    QFile::remove(file);
    dialogs_.files.push_back(file);
    EXPECT_TRUE(w->MenuPrintChart->isEnabled());
    w->cmdPrintChart->click();
    chartprint::resetPrinterSeam();
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join('\n').toStdString();
    ASSERT_TRUE(QFile::exists(file));

    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {file});
    ASSERT_TRUE(info.waitForFinished(30000));
    const QString out = QString::fromUtf8(info.readAllStandardOutput());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("Pages:\\s+1\\n")).match(out).hasMatch()) << out.toStdString();
    const auto size = QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(out);
    ASSERT_TRUE(size.hasMatch()) << out.toStdString();
    EXPECT_GT(size.captured(1).toDouble(), size.captured(2).toDouble()) << "landscape";
    std::cout << "pdf: " << file.toStdString() << '\n';
}

}  // namespace
