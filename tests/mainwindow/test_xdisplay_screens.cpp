// The windows a lab user reads, on a real X server at 1280x800 and at
// 1920x1080 (ctest runs these XDisplay tests under xvfb-run): a few realistic
// stored tests (a 102-minute rheology test with a nearly constant pressure,
// look-alike names, a PVT and a swell test), the main window with each opened
// and its charts, the open-test dialog, the overlap chooser, the search, the
// test information dialog and the sequence editor with a previewed sequence.
// Every picture goes to build/screenshots/screen-*.png; what can be checked
// without looking (no axis text cut short, whole names in the lists) is
// checked here.

#include "mainwindow/MainWindowFixture.h"

#include "dialogs/frmOverlapTest.h"
#include "dialogs/frmSearch.h"
#include "dialogs/frmTestRelatedInfo.h"
#include "platform/FlexGrid.h"
#include "platform/PeChart.h"
#include "sequences/frmSetup.h"
#include "support/ControlsInside.h"
#include "support/Screenshots.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QWindow>
#include <cmath>

using testing_support::MainWindowTest;
using testing_support::ModalShowerScope;
using testing_support::Seeder;

using testing_support::ScreenshotPath;

namespace {

void settle(int ms = 400) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 30);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// What the X server shows of a top-level window (or, for a window resized
// after it was shown, which Xvfb without a window manager keeps at its first
// size, what the window paints).
void grab(QWidget& w, const QString& name, bool fromServer = true) {
    settle();
    QImage shot = fromServer ? w.screen()->grabWindow(w.winId()).toImage() : QImage();
    if (shot.isNull()) shot = w.grab().toImage();
    ASSERT_FALSE(shot.isNull()) << name.toStdString();
    const QString file = ScreenshotPath(QStringLiteral("screen-") + name + QStringLiteral(".png"));
    ASSERT_TRUE(shot.save(file)) << file.toStdString();
    std::cout << "screenshot: " << file.toStdString() << '\n';
}

// Every data cell of a list shows its whole text on one line.
void expectWholeEntries(const FlexGrid& g) {
    const QFontMetrics fm(g.font());
    for (int c = 0; c < g.Cols(); ++c) {
        if (g.isColumnHidden(c)) continue;
        for (int r = g.FixedRows(); r < g.Rows(); ++r)
            EXPECT_LE(fm.horizontalAdvance(g.TextMatrix(r, c)), g.columnWidth(c) - 6)
                << g.objectName().toStdString() << " " << g.TextMatrix(r, c).toStdString();
    }
}

struct ScreenSize {
    int width, height;
    QString tag() const { return QStringLiteral("%1x%2").arg(width).arg(height); }
};
const ScreenSize kSizes[] = {{1280, 800}, {1920, 1080}};

class XDisplayScreens : public MainWindowTest {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X server (run under xvfb-run)";
        MainWindowTest::SetUp();
        Seeder seed(db_.path());
        // 102 minutes of a crosslinked guar gel heated to 250 °F at a nearly
        // constant 3000 psi, a four-rate ramp every 15 minutes.
        const qint64 id = seed.test("XL-GUAR30-250F-0412", "B1", "R1", 1.7245, 3.8, "2024-04-12 14:03:22");
        const double rates[] = {511, 340, 170, 85};
        for (int s = 0; s <= 102 * 2; ++s) {
            const double min = s / 2.0;
            const double temp = std::min(250.0, 80 + 4 * min);
            const double press = 3000 + 6 * std::sin(s * 0.7);
            const double k = 9 * std::exp(-(temp - 80) / 150) + 2 * std::min(1.0, min / 20);
            const bool ramp = s % 30 >= 26;
            const double rate = ramp ? rates[s % 30 - 26] : 100;
            const double stress = k * std::pow(rate, 0.5) * 4.79;  // dyn/cm2
            seed.measured(id, 60 * min, temp, press, rate, stress, ramp ? 1 : 0);
        }
        seed.additive(id, "Guar gum (WG-36) 30 ppt", 30, "ppt", "G-2024-117");
        seed.additive(id, "Borate crosslinker XL-1", 1.5, "gpt", "XL-88");
        seed.test("XL-GUAR30-250F-0413", "B1", "R1", 1.7245, 3.8, "2024-04-13 09:15:00");
        seed.test("LG-HPG-35-300F-0415 repeat", "B5", "R1", 1.7245, 3.8, "2024-04-15 16:40:10");
        const qint64 pvt = seed.test("PVT-BRINE-12.5-0416", "PVT", "0.7", 1, 1, "2024-04-16 08:00:00");
        for (int i = 0; i < 40; ++i) seed.result(pvt, 60.0 * i);
        const qint64 swell = seed.test("SW-SHALE-KCL3-0417", "LSM", "", 0, 1, "2024-04-17 10:30:00");
        for (int i = 0; i < 40; ++i) seed.result(swell, 60.0 * i);
    }

    std::unique_ptr<frmMain> shownAt(const ScreenSize& size) {
        auto w = start();
        w->resize(size.width, size.height);
        w->show();
        settle();
        return w;
    }
};

TEST_F(XDisplayScreens, MainWindowWithEachKindOfTestAndItsCharts) {
    for (const ScreenSize& size : kSizes) {
        SCOPED_TRACE(size.tag().toStdString());
        auto w = shownAt(size);
        ASSERT_TRUE(open(*w, "XL-GUAR30-250F-0412"));
        grab(*w, QStringLiteral("main-rheology-") + size.tag());
        EXPECT_EQ(w->Pesgo1->cutAxisTexts(), QStringList());

        const int stressRate = w->cmbChartType->findText(QStringLiteral("Shr. Stress Vs. Shr. Rate"));
        if (stressRate >= 0) {
            w->cmbChartType->setCurrentIndex(stressRate);
            w->cmbChartType_Click();
            grab(*w, QStringLiteral("main-stress-rate-") + size.tag());
            EXPECT_EQ(w->Pesgo1->cutAxisTexts(), QStringList());
        }
        w->optYLog->click();
        grab(*w, QStringLiteral("main-ylog-") + size.tag());
        w->optYNormal->click();

        w->cmbChartType->setCurrentIndex(0);
        w->cmbChartType_Click();
        w->Pesgo1_AxisEvent(0, 0);
        grab(*w, QStringLiteral("main-yrange-") + size.tag());
        w->Command2_Click();
        // A manual range: the viscosity scale drawn from 200 to 300 exactly.
        w->Pesgo1_AxisEvent(0, 0);
        w->Text1->setText(QStringLiteral("300"));
        w->Text2->setText(QStringLiteral("200"));
        w->Command1_Click();
        grab(*w, QStringLiteral("main-yrange-applied-") + size.tag());
        double lo = 0, hi = 0;
        ASSERT_TRUE(w->Pesgo1->shownYRange(lo, hi));
        EXPECT_EQ(std::make_pair(lo, hi), std::make_pair(200.0, 300.0));
        w->cmbChartType_Click();  // the next chart scales automatically again

        ASSERT_TRUE(open(*w, "PVT-BRINE-12.5-0416"));
        grab(*w, QStringLiteral("main-pvt-") + size.tag());
        ASSERT_TRUE(open(*w, "SW-SHALE-KCL3-0417"));
        grab(*w, QStringLiteral("main-swell-") + size.tag());
        w->hide();
    }
}

TEST_F(XDisplayScreens, TestListsShowWholeNamesAndDates) {
    for (const ScreenSize& size : kSizes) {
        SCOPED_TRACE(size.tag().toStdString());
        auto w = shownAt(size);
        {
            ModalShowerScope scope([&](QDialog& d) {
                d.show();
                auto* dialog = qobject_cast<frmOpenTest*>(&d);
                EXPECT_NE(dialog, nullptr);
                if (dialog) {
                    dialog->MSFlexGrid1->Row(2);
                    expectWholeEntries(*dialog->MSFlexGrid1);
                }
                grab(d, QStringLiteral("open-test-") + size.tag());
                if (dialog) {
                    // The search, its result list filled.
                    ModalShowerScope inner([&](QDialog& s) {
                        s.show();
                        if (auto* search = qobject_cast<frmSearch*>(&s)) {
                            search->cmdSearch_Click();
                            settle();
                            expectWholeEntries(*search->MSFlexGrid1);
                        }
                        grab(s, QStringLiteral("search-") + size.tag());
                        s.hide();
                        return 0;
                    });
                    dialog->cmdSearch_Click();
                    dialog->txtSeqName->setText(QStringLiteral("XL-GUAR30-250F-0412"));
                    dialog->cmdOk_Click();
                }
                d.hide();
                return 0;
            });
            w->cmdOpen_Click();
        }
        {
            ModalShowerScope scope([&](QDialog& d) {
                d.show();
                if (auto* chooser = qobject_cast<frmOverlapTest*>(&d)) expectWholeEntries(*chooser->MSFlexGrid1);
                grab(d, QStringLiteral("overlap-") + size.tag());
                d.hide();
                return 0;
            });
            w->cmdOverlap_Click();
        }
        w->hide();
    }
}

TEST_F(XDisplayScreens, TestInformationDialogAndSequenceEditor) {
    for (const ScreenSize& size : kSizes) {
        SCOPED_TRACE(size.tag().toStdString());
        auto w = shownAt(size);
        {
            frmTestRelatedInfo info(w->Connection());
            info.show();
            info.txtTestName->setText(QStringLiteral("XL-GUAR30-250F-0418"));
            FlexGridModel& grid = *info.MSFlexGrid1->gridModel();
            grid.TextMatrix(1, 0, QStringLiteral("Guar gum (WG-36) 30 ppt"));
            grid.TextMatrix(1, 1, QStringLiteral("30"));
            grid.TextMatrix(1, 2, QStringLiteral("ppt"));
            grid.TextMatrix(1, 3, QStringLiteral("G-2024-117"));
            grab(info, QStringLiteral("test-info-") + size.tag());
        }

        w->cmdSetup_Click();
        settle();
        frmSetup* setup = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* s = qobject_cast<frmSetup*>(top); s && s->isVisible()) setup = s;
        ASSERT_NE(setup, nullptr);
        settle();
        grab(*setup, QStringLiteral("sequence-editor-") + size.tag(), false);  // as it opens
        setup->resize(size.width, size.height);
        settle();
        {
            // A sequence of two steps with a shear ramp, the pressure at its
            // highest in the second, previewed.
            FlexGridModel& steps = setup->StepGrid();
            const QStringList rows[] = {{"1", "10", "150", "3", "5", "100", "2000", "500", "10", "2", "1"},
                                        {"2", "10", "250", "3", "5", "300", "3000", "500", "10", "1", "1"}};
            steps.Rows(3);
            for (int r = 0; r < 2; ++r)
                for (int c = 0; c < rows[r].size(); ++c) steps.TextMatrix(r + 1, c, rows[r][c]);
            FlexGridModel& ramps = setup->RampDefineGrid();
            const QStringList entries[] = {{"60", "300", "10"}, {"60", "200", "10"}, {"60", "100", "10"}, {"60", "50", "10"}};
            for (int r = 0; r < 4; ++r)
                for (int c = 0; c < 3; ++c) ramps.TextMatrix(r + 1, c, entries[r][c]);
            setup->cmdUpdateChart->click();
            grab(*setup, QStringLiteral("sequence-preview-") + size.tag(), false);
            EXPECT_EQ(setup->Pesgo1->cutAxisTexts(), QStringList());
        }
        setup->cmdBuild->click();
        grab(*setup, QStringLiteral("sequence-builder-") + size.tag(), false);
        setup->close();
        settle();
        w->hide();
    }
}

}  // namespace

namespace {

using XDisplayScales = XDisplayScreens;

}  // namespace

// The open-test dialog and the test information dialog at the screen scales
// an operator sets: each grows or shrinks with its controls, every control
// inside it (build/screenshots/screen-<dialog>-scale-<factor>.png).
TEST_F(XDisplayScales, DialogsAtScreenScalesShowEveryControl) {
    auto w = shownAt(kSizes[0]);
    for (const double sf : {0.6, 1.5}) {
        SCOPED_TRACE(sf);
        gSF = sf;
        const QString tag = QStringLiteral("scale-") + QString::number(sf);
        {
            frmOpenTest open(w->Connection());
            open.Form_Load();
            open.show();
            settle();
            EXPECT_EQ(testing_support::ControlsOutside(open), "");
            grab(open, QStringLiteral("open-test-") + tag, false);
        }
        {
            frmTestRelatedInfo info(w->Connection());
            info.show();
            settle();
            EXPECT_EQ(testing_support::ControlsOutside(info), "");
            grab(info, QStringLiteral("test-info-") + tag, false);
        }
    }
    gSF = 1.0;
    w->hide();
}
