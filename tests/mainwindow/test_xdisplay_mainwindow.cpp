// The main window on a real X server (ctest runs these XDisplay tests under
// xvfb-run): a stored rheology test opened in it, its three-axis chart drawn
// on screen and grabbed from the server into a PNG, and the chart printed to
// a PDF of one landscape page. Without an X display the tests skip.

#include "charts/ChartPrinting.h"
#include "charts/MainCharts.h"
#include "dialogs/frmOverlapTest.h"
#include "mainwindow/MainWindowFixture.h"
#include "platform/FlexGrid.h"
#include "platform/PeChart.h"
#include "platform/Pe3dChart.h"
#include "support/QtPrint.h"
#include "support/Screenshots.h"

#include <Q3DScatter>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScatter3DSeries>
#include <QScatterDataProxy>
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
using testing_support::ModalShowerScope;
using testing_support::Seeder;

using testing_support::ScreenshotPath;
using testing_support::SettleWindow;

namespace {

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
    SettleWindow(*w);
    ASSERT_TRUE(open(*w, "Mud HT-7"));
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join('\n').toStdString();
    SettleWindow(*w);

    const PeChart& g = *w->Pesgo1;
    EXPECT_EQ(g.subsets(), 3);
    EXPECT_EQ(g.points(), 91);
    ASSERT_TRUE(w->Pesgo1->isVisible());
    ASSERT_NE(w->windowHandle(), nullptr);
    EXPECT_TRUE(w->windowHandle()->isExposed());

    // What the X server shows, not what the widgets would paint offscreen.
    const QImage shot = w->screen()->grabWindow(w->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(shot.isNull());
    const QString file = ScreenshotPath(QStringLiteral("main-window-rheology.png"));
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
    SettleWindow(*w);
    ASSERT_TRUE(open(*w, "Mud HT-7"));
    w->opt3D->click();
    SettleWindow(*w, 1500);
    EXPECT_TRUE(w->Pe3do1->isVisible());
    EXPECT_FALSE(w->Pesgo1->isVisible());
    const QImage shot = w->screen()->grabWindow(w->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(shot.isNull());
    const QString file = ScreenshotPath(QStringLiteral("main-window-3d.png"));
    ASSERT_TRUE(shot.save(file));
    std::cout << "screenshot: " << file.toStdString() << '\n';
    // The OpenGL view painted something other than one flat colour.
    const QRect area(w->Pe3do1->mapTo(w.get(), QPoint(0, 0)), w->Pe3do1->size());
    QSet<QRgb> colours;
    for (int y = area.top(); y < area.bottom() && colours.size() < 16; y += 3)
        for (int x = area.left(); x < area.right(); x += 3) colours.insert(shot.pixel(x, y));
    EXPECT_GE(colours.size(), 16);
    // The view holds the test's points, not only an empty grid.
    EXPECT_EQ(w->Pe3do1->mainTitle(), "Viscosity vs. Shear Rate & Time");
    ASSERT_NE(w->Pe3do1->graph(), nullptr) << "no OpenGL view";
    ASSERT_EQ(w->Pe3do1->graph()->seriesList().size(), 1);
    EXPECT_EQ(w->Pe3do1->graph()->seriesList()[0]->dataProxy()->itemCount(), 91);
    // The point markers are drawn in the series' colour, which the grid and
    // background do not use.
    const QColor marker = w->Pe3do1->graph()->seriesList()[0]->baseColor();
    EXPECT_GT(pixelsNear(shot, area, marker, 60), 30) << "no point drawn";

    // Printed: one landscape page holding the same view.
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()) return;
    chartprint::printerSeam().printerAvailable = [] { return false; };
    const QString pdf = ScreenshotPath(QStringLiteral("main-window-3d.pdf"));
    QFile::remove(pdf);
    dialogs_.files.push_back(pdf);
    w->cmdPrintChart->click();
    chartprint::resetPrinterSeam();
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join('\n').toStdString();
    ASSERT_TRUE(QFile::exists(pdf));
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    ASSERT_TRUE(info.waitForFinished(30000));
    const QString out = QString::fromUtf8(info.readAllStandardOutput());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("Pages:\\s+1\\n")).match(out).hasMatch()) << out.toStdString();
    const auto size = QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(out);
    ASSERT_TRUE(size.hasMatch()) << out.toStdString();
    EXPECT_GT(size.captured(1).toDouble(), size.captured(2).toDouble()) << "landscape";
    std::cout << "pdf: " << pdf.toStdString() << '\n';
}

// The PVT and swell tests open on their own first charts; a second rheology
// test drawn over "Visc Vs. Time".
TEST_F(XDisplayMainWindow, PvtSwellAndOverlayChartsOnScreen) {
    {
        Seeder seed(db_.path());
        // A PVT test: the piston travels in as pressure rises, the sample warms.
        const qint64 pvt = seed.test("PVT Brine 3", "PVT", "0.5", 40.0, 1.1, "2024-03-06 09:00:00");
        for (int i = 0; i <= 60; ++i)
            seed.measured(pvt, 60.0 * i, 80 + 3 * i, 500 + 250 * i, 0, 0.002 * i + 0.0005 * std::sin(i / 4.0));
        // A swell test: the sample swells quickly, then slowly.
        const qint64 lsm = seed.test("Shale Swell 12", "LSM", "30", 25.0, 1.0, "2024-03-07 09:00:00");
        for (int i = 0; i <= 60; ++i)
            seed.measured(lsm, 60.0 * i, 80 + 1.5 * i, 200 + 5 * i, 30, 0.08 * (1 - std::exp(-i / 12.0)));
        // A second rheology test, thinner than the first.
        const qint64 second = seed.test("Mud HT-8", "B1", "R1", 1.7245, 3.8, "2024-03-05 16:00:00");
        for (int i = 0; i <= 70; ++i)
            seed.measured(second, 60.0 * i, 80 + 2.4 * i, 1000 + 100 * i, 511,
                          (12 + 30 * std::exp(-i / 25.0)) * 511 / 100);
    }
    auto w = start();
    w->show();
    SettleWindow(*w);
    const QRect chart(w->Pesgo1->mapTo(w.get(), QPoint(0, 0)), w->Pesgo1->size());
    auto grab = [&](const char* name) {
        SettleWindow(*w);
        const QImage shot = w->screen()->grabWindow(w->winId()).toImage().convertToFormat(QImage::Format_RGB32);
        const QString file = ScreenshotPath(QString::fromLatin1(name));
        EXPECT_TRUE(shot.save(file)) << file.toStdString();
        std::cout << "screenshot: " << file.toStdString() << '\n';
        return shot;
    };

    ASSERT_TRUE(open(*w, "PVT Brine 3"));
    EXPECT_EQ(w->Pesgo1->mainTitle(), "Density,Temperature,Pressure Vs.Time");
    EXPECT_EQ(w->Pesgo1->subsets(), 3);
    QImage shot = grab("main-window-pvt.png");
    EXPECT_GT(pixelsNear(shot, chart, QColor(0, 128, 0)), 50) << "density curve (green)";
    EXPECT_GT(pixelsNear(shot, chart, QColor(0, 0, 128)), 50) << "pressure curve (blue)";
    EXPECT_GT(pixelsNear(shot, chart, QColor(255, 0, 0)), 50) << "temperature curve (red)";

    ASSERT_TRUE(open(*w, "Shale Swell 12"));
    EXPECT_EQ(w->Pesgo1->mainTitle(), "Swell, Temp., Press., Speed Vs. Time");
    EXPECT_EQ(w->Pesgo1->subsets(), 4);
    shot = grab("main-window-swell.png");
    EXPECT_GT(pixelsNear(shot, chart, QColor(0, 128, 0)), 50) << "swell curve (green)";
    EXPECT_GT(pixelsNear(shot, chart, QColor(0, 255, 255)), 50) << "speed curve (cyan)";

    ASSERT_TRUE(open(*w, "Mud HT-7"));
    w->cmbChartType->setCurrentIndex(5);  // Visc Vs. Time
    w->cmbChartType_Click();
    ModalShowerScope scope([&](QDialog& d) {
        auto* chooser = qobject_cast<frmOverlapTest*>(&d);
        EXPECT_NE(chooser, nullptr);
        if (!chooser) return 0;
        chooser->txtSeqName->setText("Mud HT-8");
        chooser->cmdOk->click();
        return 0;
    });
    ASSERT_TRUE(w->cmdOverlap->isEnabled());
    w->cmdOverlap->click();
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join('\n').toStdString();
    EXPECT_EQ(w->Pesgo1->subsets(), 2);
    EXPECT_EQ(w->Pesgo1->subsetLabel(1), "Mud HT-8");
    shot = grab("main-window-overlay.png");
    EXPECT_GT(pixelsNear(shot, chart, QColor(0, 128, 0)), 50) << "opened test (green)";
    EXPECT_GT(pixelsNear(shot, chart, QColor(0, 0, 128)), 50) << "second test (blue)";
}

TEST_F(XDisplayMainWindow, PrintChartGivesOneLandscapePdfPage) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()) GTEST_SKIP() << "pdfinfo missing";
    auto w = start();
    w->show();
    SettleWindow(*w);
    ASSERT_TRUE(open(*w, "Mud HT-7"));
    SettleWindow(*w);

    chartprint::printerSeam().printerAvailable = [] { return false; };
    const QString file = ScreenshotPath(QStringLiteral("main-window-chart.pdf"));
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
