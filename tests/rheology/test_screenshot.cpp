// A picture of the rheology test window during a run, on a real X display:
// the live readings, the live grid with the analysis of a finished ramp
// cycle and the live chart of the samples recorded so far. The samples are
// fed to the window as the run loop records them.
//
// Needs an X display: ctest runs it a second time under xvfb-run; in the
// offscreen run it skips itself. The picture goes to the build folder
// (screenshots/rheology_window_run.png).

#include "unitrun/RunMessages.h"
#include "unitrun/RunStates.h"
#include "RheologyFixture.h"

#include "data/Settings.h"
#include "support/ChartReading.h"

#include <QChart>
#include <QDir>
#include <QElapsedTimer>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLegend>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QScreen>
#include <QSet>
#include <QStatusBar>
#include <cmath>

using namespace unit_tests;

namespace {

void settle(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        // what the event loop deletes later (the chart's replaced axes)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(5);
    }
}

// Distinct colours in a region of an image (a blank region has one).
int colours(const QImage& image, const QRect& region) {
    QSet<QRgb> seen;
    const QRect r = region.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); y += 2)
        for (int x = r.left(); x <= r.right(); x += 2) seen.insert(image.pixel(x, y));
    return int(seen.size());
}

// The window during a run: two steps of heating and four-rate ramps recorded,
// the readings of the last reply shown.
class RunPicture : public LiveWindowFixture {
protected:
    void feedRun() {
        SetUnitLabels();
        startTest(QStringLiteral("Borate gel 30 ppt"));
        w->lblTestname->setText(QStringLiteral("Borate gel 30 ppt"));
        w->lblSelectSeq->setText(QStringLiteral("Ramp 300F"));
        w->lblInstName->setText(QStringLiteral("Unit 1"));
        w->setWindowTitle(QStringLiteral("Unit 1 Real Time Test"));

        // Two steps, each a heating phase at 170 1/s followed by a four-speed
        // ramp, in cycles: a power-law fluid whose consistency falls as it warms.
        const double rates[] = {511, 340, 170, 85};
        qint32 t = 0;
        double temp = 80;
        for (int step = 1; step <= 2; ++step) {
            for (int cycle = 1; cycle <= 2; ++cycle) {
                for (int i = 0; i < 30; ++i) {
                    temp = std::min(300.0, temp + 2.5);
                    const double k = 900 * std::exp(-(temp - 80) / 200);
                    record({step, cycle, 0, t += 20, 170, k * std::pow(170.0, 0.45) / 100, temp, 1000.0 + 40 * step * cycle,
                            6.0});
                }
                for (int e = 1; e <= 4; ++e) {
                    const double k = 900 * std::exp(-(temp - 80) / 200);
                    for (int i = 0; i < 3; ++i)
                        record({step, cycle, e, t += 20, rates[e - 1], k * std::pow(rates[e - 1], 0.45) / 100, temp,
                                1000.0 + 40 * step * cycle, 6.0});
                }
            }
        }
        record({3, 1, 0, t += 20, 170, 60, temp, 2000, 6.0});  // the next step begins
        w->RefreshRealTimeChart();  // as a click on a box does: the subtitle is the test's name

        // The readings of the last reply, as the parser shows them.
        unit::UnitReplyParser& reply = w->mReply;
        reply.Parse(QStringLiteral("#01,300.0,300.0,99.9,60.1,2000,6.0,02000,0,") + QChar(26),
                    w->RunState == runloop::kStepRunning);
        const unit::UnitReadingTexts& x = reply.texts;
        w->txtSampleTemp->setText(x.txtSampleTemp);
        w->txtTempSetPoint->setText(x.txtTempSetPoint);
        w->txtspeed->setText(x.txtspeed);
        w->txtShearrate->setText(x.txtShearrate);
        w->txtShearStress->setText(x.txtShearStress);
        w->txtFann->setText(x.txtFann);
        w->txtPressure->setText(x.txtPressure);
        w->txtPressSetPoint->setText(x.txtPressSetPoint);
        w->txtVisc->setText(x.txtVisc);
        w->txtGelAngle->setText(x.txtGelAngle);
        w->lblActiveFlag->setText(QStringLiteral("Running Test"));
        w->StepTime->setText(QStringLiteral("Current Step (3) Cycle (1) Time: 0:00:20"));
        w->ElapsedTime->setText(QStringLiteral("Elapsed Time:  1:10:00"));
        // The buttons of a running test: no Start, no Exit, no other sequence.
        w->RunButtons(true);
        w->cmdZero->setEnabled(false);
        EXPECT_FALSE(w->cmdSelect->isEnabled());
    }
};

class XDisplay : public RunPicture {};
using LiveChartAxes = RunPicture;

}  // namespace

TEST_F(XDisplay, RheologyWindowDuringARun) {
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        GTEST_SKIP() << "needs an X display (ctest runs it under xvfb-run)";

    feedRun();
    QDir().mkpath(QStringLiteral(Z3080_SCREENSHOT_DIR));
    // At the two screen sizes the window is read at, and tiled beside another
    // unit's window on the smaller screen.
    for (const QSize size : {QSize(1280, 800), QSize(1920, 1080), QSize(632, 700), QSize(1260, 350), QSize(632, 350)}) {
        w->resize(size);
        w->show();
        settle(300);
        w->MSFlexGrid1->horizontalScrollBar()->setValue(w->MSFlexGrid1->horizontalScrollBar()->maximum());
        settle(300);
        QPixmap small = w->screen()->grabWindow(w->winId());
        if (small.isNull()) small = w->grab();
        ASSERT_TRUE(small.toImage().save(QStringLiteral(Z3080_SCREENSHOT_DIR) + QStringLiteral("/rheology_window_run-%1x%2.png")
                                                                               .arg(size.width())
                                                                               .arg(size.height())));
        EXPECT_EQ(w->Pesgo1->cutAxisTexts(), QStringList()) << size.width();
        // The progress line of a silent unit is read whole in the status bar.
        const QString stepTime = w->StepTime->text();
        w->StepTime->setText(runloop::PointsNotRecordedText(1234));
        settle(100);
        EXPECT_GE(w->StepTime->contentsRect().width(),
                  w->StepTime->fontMetrics().horizontalAdvance(w->StepTime->text()))
            << size.width();
        w->StepTime->setText(stepTime);
    }
    w->resize(1880, 1120);
    w->show();
    settle(300);
    // The analysis columns in view.
    w->MSFlexGrid1->horizontalScrollBar()->setValue(w->MSFlexGrid1->horizontalScrollBar()->maximum());
    settle(300);
    ASSERT_TRUE(w->isVisible());

    QPixmap shot = w->screen()->grabWindow(w->winId());
    if (shot.isNull()) shot = w->grab();
    const QImage image = shot.toImage();
    ASSERT_FALSE(image.isNull());
    const QString dir = QStringLiteral(Z3080_SCREENSHOT_DIR);
    QDir().mkpath(dir);
    ASSERT_TRUE(image.save(dir + QStringLiteral("/rheology_window_run.png")));

    // The grid and the chart show something.
    const QRect grid(w->MSFlexGrid1->mapTo(w.get(), QPoint(0, 0)), w->MSFlexGrid1->size());
    const QRect chart(w->Pesgo1->mapTo(w.get(), QPoint(0, 0)), w->Pesgo1->size());
    const double scale = double(image.width()) / w->width();
    auto scaled = [scale](const QRect& r) {
        return QRect(int(r.x() * scale), int(r.y() * scale), int(r.width() * scale), int(r.height() * scale));
    };
    EXPECT_GT(colours(image, scaled(grid)), 8);
    EXPECT_GT(colours(image, scaled(chart)), 8);
    EXPECT_EQ(w->Pesgo1->points(), 169);
    EXPECT_FALSE(w->MSFlexGrid1->TextMatrix(w->MSFlexGrid1->Rows() - 2, 12).isEmpty());
}

// The live chart's seven axes keep every tick label and title whole in the
// window as it is shown on a 1280x800 screen, and as it shrinks a little more.
TEST_F(LiveChartAxes, SevenAxesShowEveryLabelAndTitleWhole) {
    feedRun();
    for (const QSize size : {QSize(1280, 760), QSize(1100, 700)}) {
        w->resize(size);
        w->show();
        settle(200);
        EXPECT_GE(w->Pesgo1->yAxes().size(), 7);
        EXPECT_EQ(w->Pesgo1->cutAxisTexts(), QStringList()) << size.width();
    }
    w->hide();
}

// Two unit windows tiled side by side on a 1280x800 screen: the live chart,
// about 300 pixels wide beside the grid, still shows every label and the
// title of its X axis whole, its seven scales on the chart, and the legend
// below the X axis.
TEST_F(LiveChartAxes, TiledWindowShowsTheXAxisWhole) {
    feedRun();
    // shown on the whole screen first, then tiled: the chart shrinks with it
    w->resize(1920, 1080);
    w->show();
    settle(200);
    w->resize(632, 700);
    settle(200);
    PeChart& chart = *w->Pesgo1;
    EXPECT_GE(chart.yAxes().size(), 7);
    EXPECT_LE(chart.width(), 400);
    EXPECT_LE(chart.chart()->size().width(), chart.width());
    EXPECT_EQ(chart.cutAxisTexts(), QStringList());

    QChart* c = chart.chart();
    const QRectF plot = c->mapRectToScene(c->plotArea());
    const QRectF legend = c->legend()->mapRectToScene(c->legend()->rect());
    QStringList below;
    double xBottom = plot.bottom();
    for (QGraphicsItem* item : c->scene()->items()) {
        auto* text = dynamic_cast<QGraphicsTextItem*>(item);
        if (!text || !text->isVisible() || c->legend()->isAncestorOf(text)) continue;
        const QRectF r = text->sceneBoundingRect();
        if (r.center().y() <= plot.bottom() || r.center().x() < plot.left() || r.center().x() > plot.right()) continue;
        below << text->toPlainText();
        xBottom = std::max(xBottom, r.bottom());
        EXPECT_FALSE(legend.intersects(r)) << text->toPlainText().toStdString();
    }
    // The legend's entries, in however many rows, show inside it, under the X axis.
    int entries = 0;
    for (QGraphicsItem* item : c->scene()->items()) {
        auto* text = dynamic_cast<QGraphicsTextItem*>(item);
        if (!text || !text->isVisible() || !c->legend()->isAncestorOf(text)) continue;
        ++entries;
        const QRectF r = text->sceneBoundingRect();
        EXPECT_TRUE(legend.adjusted(-0.5, -0.5, 0.5, 0.5).contains(r)) << text->toPlainText().toStdString();
        EXPECT_GE(r.top(), xBottom) << text->toPlainText().toStdString();
    }
    EXPECT_EQ(entries, 7);
    EXPECT_TRUE(below.contains(w->Pesgo1->xAxisLabel())) << below.join(QLatin1Char('|')).toStdString();
    EXPECT_GE(below.size(), 4) << below.join(QLatin1Char('|')).toStdString();  // the title and three labels at least
    w->hide();
}

// The live chart of a test just started, before its first stored point and
// in its first minute, at the two screen sizes: its curves named in the
// legend and its scales titled from the start.
TEST_F(XDisplay, RheologyWindowBeforeAndAfterItsFirstPoints) {
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        GTEST_SKIP() << "needs an X display (ctest runs it under xvfb-run)";
    SetUnitLabels();
    startTest(QStringLiteral("Borate gel 30 ppt"));
    w->lblTestname->setText(QStringLiteral("Borate gel 30 ppt"));
    w->RefreshRealTimeChart();
    for (const QSize size : {QSize(1280, 800), QSize(1920, 1080)}) {
        w->resize(size);
        w->show();
        settle(300);
        QPixmap shot = w->screen()->grabWindow(w->winId());
        ASSERT_TRUE(shot.toImage().save(QStringLiteral(Z3080_SCREENSHOT_DIR) +
                                        QStringLiteral("/rheology_window_first_point-before-%1x%2.png")
                                            .arg(size.width())
                                            .arg(size.height())));
    }
    // Tiled beside and under other units' windows on a 1280x800 screen.
    for (const QSize size : {QSize(632, 700), QSize(1260, 350), QSize(632, 350)}) {
        w->resize(size);
        w->show();
        settle(300);
        QPixmap shot = w->screen()->grabWindow(w->winId());
        ASSERT_TRUE(shot.toImage().save(QStringLiteral(Z3080_SCREENSHOT_DIR) +
                                        QStringLiteral("/rheology_window_tiled-before-%1x%2.png")
                                            .arg(size.width())
                                            .arg(size.height())));
    }
    // The first minute at a constant rate: flat curves.
    for (qint32 t : {20, 40, 60}) {
        record({1, 1, 0, t, 170, 60, 80 + t / 20.0, 1000, 6.0});
        w->PlotAllSeries();
    }
    for (const QSize size : {QSize(1280, 800), QSize(1920, 1080), QSize(1260, 350), QSize(632, 350)}) {
        w->resize(size);
        w->show();
        settle(300);
        QPixmap shot = w->screen()->grabWindow(w->winId());
        ASSERT_TRUE(shot.toImage().save(QStringLiteral(Z3080_SCREENSHOT_DIR) +
                                        QStringLiteral("/rheology_window_first_point-after-%1x%2.png")
                                            .arg(size.width())
                                            .arg(size.height())));
    }
}

// Unit windows tiled in the container on a 1280x800 screen (two side by
// side, two one over the other, four): each live chart keeps its X axis's
// title and labels whole, every scale's labels on the chart, and names its
// curves on its scales or in the legend, during a run as before its first
// point.
TEST_F(LiveChartAxes, TiledWindowsKeepTheirChartsWhole) {
    SetUnitLabels();
    for (const bool run : {false, true}) {
        if (run) feedRun();
        else {
            startTest(QStringLiteral("Borate gel 30 ppt"));
            w->lblTestname->setText(QStringLiteral("Borate gel 30 ppt"));
            w->RefreshRealTimeChart();
        }
        for (const QSize size : {QSize(632, 700), QSize(1260, 350), QSize(632, 350)}) {
            SCOPED_TRACE(testing::Message() << (run ? "during a run" : "before the first point") << ", " << size.width()
                                            << "x" << size.height());
            w->resize(size);
            w->show();
            settle(200);
            PeChart& chart = *w->Pesgo1;
            QChart* c = chart.chart();
            EXPECT_LE(c->size().width(), chart.width());
            EXPECT_EQ(chart.cutAxisTexts().join(QLatin1Char('|')).toStdString(), "");
            const QRectF plot = c->mapRectToScene(c->plotArea());
            QStringList below;
            for (QGraphicsItem* item : c->scene()->items()) {
                auto* text = dynamic_cast<QGraphicsTextItem*>(item);
                if (!text || !text->isVisible() || c->legend()->isAncestorOf(text)) continue;
                const QRectF r = text->sceneBoundingRect();
                if (r.center().y() <= plot.bottom() || r.center().x() < plot.left() - 1 || r.center().x() > plot.right() + 1)
                    continue;
                below << text->toPlainText();
            }
            EXPECT_TRUE(below.contains(chart.xAxisLabel())) << below.join('|').toStdString();
            EXPECT_GE(below.size(), 4) << below.join('|').toStdString() << " chart " << chart.width();
            const QStringList titles = testing_support::ScaleTitles(chart);
            if (titles.size() < 7) {
                int named = 0;
                for (const testing_support::LegendEntry& e : testing_support::LegendEntries(chart))
                    named += e.shown && !e.name.isEmpty() ? 1 : 0;
                EXPECT_EQ(named, 7);
            }
        }
    }
    w->hide();
}
