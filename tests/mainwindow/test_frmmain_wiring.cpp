// The main window with its charts and dialogs: start-up and opening a stored
// test draw the first chart, the chart controls reach the charts, the test
// information editor, the overlap chooser and the search from the open-test
// dialog, each driven through the window.

#include "MainWindowFixture.h"
#include "support/QtPrint.h"

#include "charts/MainCharts.h"
#include "data/clsTEST_INFO.h"
#include "dialogs/OverlapChooser.h"
#include "dialogs/frmOverlapTest.h"
#include "dialogs/frmSearch.h"
#include "dialogs/frmViewRelatedInfo.h"
#include "platform/FlexGrid.h"
#include "platform/Pe3dChart.h"
#include "platform/PeChart.h"
#include "multiunit/frmMDIRealTime.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>

using testing_support::MainWindowTest;
using testing_support::ModalShowerScope;
using testing_support::Seeder;

namespace {

QStringList entries(const QComboBox& box) {
    QStringList out;
    for (int i = 0; i < box.count(); ++i) out << box.itemText(i);
    return out;
}

// The operator picks an entry of the chart-type list.
void pick(QComboBox& box, int index) {
    box.setCurrentIndex(index);
    emit box.activated(index);
}

QStringList listed(const FlexGrid& grid) {
    QStringList out;
    for (int r = 1; r < grid.Rows(); ++r) out << grid.TextMatrix(r, 0);
    return out;
}

}  // namespace

TEST_F(MainWindowTest, StartUpThenOpeningARheologyTestDrawsTheFirstTwoDChart) {
    qint64 id = 0;
    {
        Seeder seed(db_.path());
        id = seed.test("Mud One", "B1");
        // time s, temp °F, press psi, rate 1/s, stress dyn/cm², type
        seed.measured(id, 60, 100, 1000, 170, 340, 1);
        seed.measured(id, 120, 150, 2000, 340, 510, 0);
        seed.measured(id, 180, 200, 3000, 511, 511, 0);
    }
    auto w = start();
    // Start-up: 2-D mode, the rheology list, the empty three-axis chart.
    EXPECT_EQ(w->ChartMode(), 1);
    EXPECT_EQ(entries(*w->cmbChartType), MainCharts::kChartList2D);
    EXPECT_FALSE(w->Pesgo1->isHidden());
    EXPECT_TRUE(w->Pe3do1->isHidden());
    EXPECT_FALSE(w->cmdOverlap->isEnabled());
    EXPECT_TRUE(w->Frame1->isHidden());
    EXPECT_EQ(w->Pesgo1->mainTitle(), "Viscosity, Pressure & Temperature Vs. Time");
    EXPECT_EQ(w->Pesgo1->subsets(), 3);
    EXPECT_FALSE(w->Pesgo1->hasXData(0, 0));

    ASSERT_TRUE(open(*w, "mud ONE"));
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join('\n').toStdString();
    const PeChart& g = *w->Pesgo1;
    EXPECT_EQ(w->cmbChartType->currentIndex(), 0);
    EXPECT_EQ(g.mainTitle(), "Viscosity, Pressure & Temperature Vs. Time");
    EXPECT_EQ(g.subTitle(), "mud ONE");
    EXPECT_EQ(g.subsets(), 3);
    ASSERT_EQ(g.points(), 3);
    const float time[] = {1, 2, 3}, press[] = {1000, 2000, 3000};
    const double temp[] = {100, 150, 200};
    for (int p = 0; p < 3; ++p) {
        for (int s = 0; s < 3; ++s) EXPECT_FLOAT_EQ(g.xData(s, p), time[p]) << s << ',' << p;
        EXPECT_FLOAT_EQ(g.yData(1, p), press[p]) << p;
        EXPECT_FLOAT_EQ(g.yData(2, p), float(ChartTemperature(temp[p]))) << p;
    }
    EXPECT_NEAR(g.yData(0, 0), 200.0, 1e-3);  // 100 × 340 / 170 cP
    EXPECT_FALSE(w->cmdOverlap->isEnabled());  // the time chart takes no overlay
    // The grid is filled as well, after the chart.
    EXPECT_EQ(w->MSFlexGrid1->TextMatrix(0, 0), "Step No");
    EXPECT_GT(w->MSFlexGrid1->Rows(), 1);
}

TEST_F(MainWindowTest, ChartControlsReachTheCharts) {
    qint64 id = 0;
    {
        Seeder seed(db_.path());
        id = seed.test("Mud One", "B1");
        seed.measured(id, 60, 100, 1000, 300, 600, 1);  // ramp row
        seed.measured(id, 120, 150, 2000, 100, 300, 0);
        seed.measured(id, 180, 200, 3000, 200, 500, 0);
    }
    auto w = start();
    ASSERT_TRUE(open(*w, "Mud One"));
    PeChart& g = *w->Pesgo1;

    // A choice of the operator draws; a selection by the program alone does not.
    pick(*w->cmbChartType, 1);
    EXPECT_EQ(g.mainTitle(), "Shear Stress Vs. Shear Rate");
    EXPECT_EQ(g.subsets(), 1);
    EXPECT_EQ(g.points(), 3);
    EXPECT_FLOAT_EQ(g.xData(0, 0), 100);  // sorted by shear rate
    EXPECT_TRUE(w->cmdOverlap->isEnabled());
    w->cmbChartType->setCurrentIndex(5);
    EXPECT_EQ(g.mainTitle(), "Shear Stress Vs. Shear Rate");

    // The data options redraw from the rows they keep.
    pick(*w->cmbChartType, 0);
    w->optonlyRamp->click();
    EXPECT_TRUE(w->optonlyRamp->isChecked());
    EXPECT_EQ(g.points(), 1);
    w->optNoRamp->click();
    EXPECT_EQ(g.points(), 2);
    w->optAllData->click();
    EXPECT_EQ(g.points(), 3);

    // Axis scales.
    w->optXlog->click();
    EXPECT_TRUE(g.xLog());
    w->optYLog->click();
    EXPECT_TRUE(g.yLog());
    w->optXNormal->click();
    w->optYNormal->click();
    EXPECT_FALSE(g.xLog());
    EXPECT_FALSE(g.yLog());

    // 3-D and back.
    w->opt3D->click();
    EXPECT_EQ(w->ChartMode(), 2);
    EXPECT_EQ(entries(*w->cmbChartType), MainCharts::kChartList3D);
    EXPECT_TRUE(w->Pesgo1->isHidden());
    EXPECT_FALSE(w->Pe3do1->isHidden());
    EXPECT_TRUE(w->framX->isHidden());
    EXPECT_FALSE(w->cmdOverlap->isEnabled());
    // A rheology test opened in 3-D mode keeps the 3-D list.
    ASSERT_TRUE(open(*w, "Mud One"));
    EXPECT_EQ(entries(*w->cmbChartType), MainCharts::kChartList3D);
    w->opt2D->click();
    EXPECT_EQ(w->ChartMode(), 1);
    EXPECT_EQ(entries(*w->cmbChartType), MainCharts::kChartList2D);
    EXPECT_FALSE(w->framX->isHidden());

    // The Y-range frame comes from the chart's axis event and writes its range.
    emit g.axisEvent(0, 0);
    EXPECT_FALSE(w->Frame1->isHidden());
    w->Text1->setText("100");
    w->Text2->setText("0");
    w->Command1->click();
    EXPECT_TRUE(w->Frame1->isHidden());
    EXPECT_TRUE(g.manualYRange());
    EXPECT_DOUBLE_EQ(g.manualYMax(), 100);  // the ends as typed
    EXPECT_DOUBLE_EQ(g.manualYMin(), 0);
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join('\n').toStdString();
}

TEST_F(MainWindowTest, PvtAndSwellTestsListTheirOwnChartTypes) {
    {
        Seeder seed(db_.path());
        seed.result(seed.test("P1", "PVT", "0.5", 40.0, 1.1), 10);
        seed.result(seed.test("S1", "LSM", "", 0.0, 0.75), 10);
        seed.result(seed.test("R1", "B1"), 10);
    }
    auto w = start();
    ASSERT_TRUE(open(*w, "P1"));
    EXPECT_EQ(entries(*w->cmbChartType), MainCharts::kChartListPVT);
    EXPECT_TRUE(w->Frame2->isHidden());
    EXPECT_TRUE(w->framData->isHidden());
    EXPECT_EQ(w->MSFlexGrid1->Cols(), 9);  // the grid header came first
    ASSERT_TRUE(open(*w, "S1"));
    EXPECT_EQ(entries(*w->cmbChartType), MainCharts::kChartListLSM);
    ASSERT_TRUE(open(*w, "R1"));
    EXPECT_EQ(entries(*w->cmbChartType), MainCharts::kChartList2D);
    EXPECT_FALSE(w->Frame2->isHidden());
    EXPECT_FALSE(w->framData->isHidden());
}

TEST_F(MainWindowTest, EditTestInfoStoresTheEditAndALaterOpenShowsIt) {
    qint64 id = 0;
    {
        Seeder seed(db_.path());
        id = seed.test("Mud One", "B1");
        seed.additive(id, "KCl", 3, "%", "L7");
    }
    auto w = start();
    int shown = 0;
    QString fluidShown;
    bool save = true;
    ModalShowerScope scope([&](QDialog& d) {
        auto* dlg = qobject_cast<frmViewRelatedInfo*>(&d);
        EXPECT_NE(dlg, nullptr);
        if (!dlg) return 0;
        ++shown;
        EXPECT_EQ(dlg->windowTitle(), "Test Related Information");
        fluidShown = dlg->txtFluidId->text();
        dlg->txtFluidId->setText("New fluid");
        dlg->MSFlexGrid1->gridModel()->TextMatrix(1, 0, "Barite");
        if (save)
            dlg->cmdOk_Click();
        else
            dlg->cmdCancel_Click();
        return 0;
    });

    // No test open: nothing is shown.
    w->cmdRelated->click();
    EXPECT_EQ(shown, 0);

    Seeder seed(db_.path());
    ASSERT_TRUE(open(*w, "mud ONE"));
    w->cmdRelated->click();
    ASSERT_EQ(shown, 1);
    EXPECT_EQ(fluidShown, "F1");
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join('\n').toStdString();
    // The window's copy of the row follows the save; the additive grid is refilled.
    EXPECT_EQ(w->Opened().OpenedTestInfo.value(clsTEST_INFO::colFLUID_ID).toString(), "New fluid");
    EXPECT_EQ(w->MSFlexGrid2->TextMatrix(1, 0), "Barite");
    EXPECT_EQ(seed.count("TEST_INFO", "FLUID_ID = 'New fluid'"), 1);

    // A later open shows the edit, in the window and in the editor.
    ASSERT_TRUE(open(*w, "Mud One"));
    EXPECT_EQ(w->Opened().OpenedTestInfo.value(clsTEST_INFO::colFLUID_ID).toString(), "New fluid");
    EXPECT_EQ(w->MSFlexGrid2->TextMatrix(1, 0), "Barite");
    save = false;
    w->cmdRelated->click();
    EXPECT_EQ(fluidShown, "New fluid");
    EXPECT_EQ(seed.count("TEST_INFO", "FLUID_ID = 'New fluid'"), 1);  // Return stores nothing
}

TEST_F(MainWindowTest, OverlapChooserMessagesThroughTheWindow) {
    {
        Seeder seed(db_.path());
        seed.test("Mud One", "B1", "R1", 1.7245, 3.8, "2024-01-01 10:00:00");
        seed.test("Mud Two", "B2", "R1", 1.2276, 3.8, "2024-01-02 10:00:00");
        seed.test("Pvt", "PVT", "0.5", 40.0, 1.1, "2024-01-03 10:00:00");
    }
    auto w = start();
    ASSERT_TRUE(open(*w, "Mud One"));
    w->cmbChartType->setCurrentIndex(5);  // Visc Vs. Time: takes an overlay
    w->cmbChartType_Click();

    QPointer<frmOverlapTest> accepted;
    ModalShowerScope scope([&](QDialog& d) {
        auto* chooser = qobject_cast<frmOverlapTest*>(&d);
        EXPECT_NE(chooser, nullptr);
        if (!chooser) return 0;
        EXPECT_EQ(chooser, w->fOverlap());
        EXPECT_EQ(chooser->windowTitle(), "Overlap Saved Test");
        EXPECT_EQ(listed(*chooser->MSFlexGrid1), (QStringList{"Mud Two", "Mud One"}));  // rheology tests only
        d.show();

        // Nothing typed: OK takes the highlighted test, here the opened test
        // itself, refused by name.
        chooser->MSFlexGrid1->Row(2);
        chooser->cmdOk->click();
        EXPECT_EQ(dialogs_.texts(), QStringList{"Test cannot overlap itself"});
        EXPECT_EQ(chooser->txtSeqName->text(), "Mud One");
        EXPECT_TRUE(chooser->isVisible());

        struct Refusal {
            const char* typed;
            const char* message;
            const char* title;
        } refusals[] = {{"Mud", "Test sequence name not found.", ""},
                        {"Mud One", "Test cannot overlap itself", "Selection Error."}};
        for (const Refusal& r : refusals) {
            dialogs_.clear();
            chooser->txtSeqName->setText(r.typed);
            chooser->cmdOk->click();
            EXPECT_EQ(dialogs_.texts(), QStringList{r.message}) << r.typed;
            if (!dialogs_.messages.empty()) {
                EXPECT_EQ(dialogs_.messages[0].style, ui::vbOKOnly);
                EXPECT_EQ(dialogs_.messages[0].title, *r.title ? QString(r.title) : ui::appTitle());
            }
            EXPECT_TRUE(chooser->isVisible()) << r.typed;
            EXPECT_EQ(w->fOverlap(), chooser) << r.typed;
        }

        // A listed name in other letter case is accepted: hidden and let go.
        dialogs_.clear();
        chooser->txtSeqName->setText("mud two");
        chooser->cmdOk->click();
        EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join('\n').toStdString();
        EXPECT_TRUE(chooser->isHidden());
        EXPECT_EQ(w->fOverlap(), nullptr);
        accepted = chooser;
        return 0;
    });
    w->cmdOverlap_Click();
    EXPECT_EQ(w->TestInfos().TEST_NAME(), "Mud Two");  // as listed
    // The second test is drawn as a second subset, labelled as typed.
    EXPECT_EQ(w->Pesgo1->subsets(), 2);
    EXPECT_EQ(w->Pesgo1->subsetLabel(0), "Mud One");
    EXPECT_EQ(w->Pesgo1->subsetLabel(1), "mud two");
    EXPECT_EQ(w->Charts().OverTestName, "mud two");
    EXPECT_EQ(w->Opened().OpenedTestName, "Mud One");  // the opened test stays
    ASSERT_FALSE(accepted.isNull());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(accepted.isNull());
}

TEST_F(MainWindowTest, AnOverlayThatFailsIsShownAndTheChooserStays) {
    {
        Seeder seed(db_.path());
        const qint64 one = seed.test("Mud One", "B1", "R1", 1.7245, 3.8, "2024-01-01 10:00:00");
        seed.measured(one, 0, 100, 1000, 100, 50);
        seed.test("Mud Two", "B1", "R1", 1.7245, 3.8, "2024-01-02 10:00:00");
    }
    auto w = start();
    ASSERT_TRUE(open(*w, "Mud One"));
    w->cmbChartType->setCurrentIndex(1);
    w->cmbChartType_Click();
    ModalShowerScope scope([&](QDialog& d) {
        auto* chooser = qobject_cast<frmOverlapTest*>(&d);
        if (!chooser) return 0;
        d.show();
        // The results of the second test cannot be read.
        QSqlQuery drop(w->Connection()->ADOConnection()->handle());
        EXPECT_TRUE(drop.exec("DROP TABLE TEST_RESULT"));
        chooser->txtSeqName->setText("Mud Two");
        chooser->cmdOk->click();
        EXPECT_EQ(dialogs_.messages.size(), 1u);
        if (!dialogs_.messages.empty()) {
            EXPECT_TRUE(dialogs_.messages[0].prompt.startsWith("ERROR: ")) << dialogs_.texts().join('\n').toStdString();
        }
        EXPECT_TRUE(chooser->isVisible());
        EXPECT_EQ(w->fOverlap(), chooser);
        return 0;
    });
    w->cmdOverlap_Click();
    EXPECT_EQ(w->Pesgo1->subsets(), 1);  // nothing added
    EXPECT_NE(w->Pesgo1->subsetLabel(0), "Mud One");
}

// Names are not unique: the overlay draws the test of the row chosen, read by
// its key, never another test of that name (here a rheology test).
TEST_F(MainWindowTest, TheOverlayDrawsTheTestOfTheRowChosen) {
    qint64 pvtDup = 0;
    {
        Seeder seed(db_.path());
        const qint64 rheoDup = seed.test("Dup", "B1", "R1", 1.7245, 3.8, "2024-01-01 10:00:00");
        seed.measured(rheoDup, 0, 100, 1000, 100, 50);
        const qint64 opened = seed.test("Pvt A", "PVT", "0.5", 40.0, 1.1, "2024-01-02 10:00:00");
        seed.measured(opened, 0, 100, 1000, 100, 0.1);
        pvtDup = seed.test("Dup", "PVT", "0.5", 40.0, 1.1, "2024-01-03 10:00:00");
        seed.measured(pvtDup, 0, 120, 2000, 100, 0.2);
    }
    auto w = start();
    ASSERT_TRUE(open(*w, "Pvt A"));
    w->cmbChartType->setCurrentIndex(1);  // density against temperature
    w->cmbChartType_Click();
    ModalShowerScope scope([&](QDialog& d) {
        auto* chooser = qobject_cast<frmOverlapTest*>(&d);
        if (!chooser) return 0;
        d.show();
        EXPECT_EQ(listed(*chooser->MSFlexGrid1), (QStringList{"Dup", "Pvt A"}));
        chooser->MSFlexGrid1->gridModel()->Row(1);
        chooser->MSFlexGrid1_Click();
        chooser->cmdOk->click();
        return 0;
    });
    w->cmdOverlap_Click();
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join('\n').toStdString();
    EXPECT_EQ(w->fOverlap(), nullptr);
    EXPECT_EQ(w->Charts().OverTestInfo.value(clsTEST_INFO::colTEST_ID).toLongLong(), pvtDup);
    EXPECT_EQ(w->Charts().OverTestInfo.value(clsTEST_INFO::colBOB_NO).toString(), "PVT");
    EXPECT_EQ(w->Pesgo1->subsets(), 2);
}

// A test deleted, or made another kind, after the chooser listed it is
// refused with its message; the chooser stays open for another choice.
TEST_F(MainWindowTest, AChosenTestGoneOrOfAnotherKindLeavesTheChooserOpen) {
    qint64 two = 0, three = 0;
    {
        Seeder seed(db_.path());
        seed.test("Mud One", "B1", "R1", 1.7245, 3.8, "2024-01-01 10:00:00");
        two = seed.test("Mud Two", "B1", "R1", 1.7245, 3.8, "2024-01-02 10:00:00");
        three = seed.test("Mud Three", "B1", "R1", 1.7245, 3.8, "2024-01-03 10:00:00");
        seed.test("Mud Four", "B1", "R1", 1.7245, 3.8, "2024-01-04 10:00:00");
    }
    auto w = start();
    ASSERT_TRUE(open(*w, "Mud One"));
    w->cmbChartType->setCurrentIndex(1);
    w->cmbChartType_Click();
    ModalShowerScope scope([&](QDialog& d) {
        auto* chooser = qobject_cast<frmOverlapTest*>(&d);
        if (!chooser) return 0;
        d.show();
        QSqlQuery q(w->Connection()->ADOConnection()->handle());
        EXPECT_TRUE(q.exec(QStringLiteral("DELETE FROM TEST_INFO WHERE TEST_ID = %1").arg(two)));
        EXPECT_TRUE(q.exec(QStringLiteral("UPDATE TEST_INFO SET BOB_NO = 'LSM' WHERE TEST_ID = %1").arg(three)));
        const QStringList refused[] = {{"Mud Two", "Test sequence name not found."},
                                       {"Mud Three", overlap::kOtherKind}};
        for (const QStringList& r : refused) {
            dialogs_.clear();
            chooser->txtSeqName->setText(r[0]);
            chooser->cmdOk->click();
            EXPECT_EQ(dialogs_.texts(), QStringList{r[1]}) << r[0].toStdString();
            EXPECT_TRUE(chooser->isVisible()) << r[0].toStdString();
            EXPECT_EQ(w->fOverlap(), chooser) << r[0].toStdString();
            EXPECT_EQ(w->Pesgo1->subsets(), 1);
        }
        // Another choice is drawn.
        dialogs_.clear();
        chooser->txtSeqName->setText("Mud Four");
        chooser->cmdOk->click();
        EXPECT_TRUE(dialogs_.messages.empty());
        EXPECT_TRUE(chooser->isHidden());
        return 0;
    });
    w->cmdOverlap_Click();
    EXPECT_EQ(w->fOverlap(), nullptr);
    EXPECT_EQ(w->Pesgo1->subsets(), 2);
    EXPECT_EQ(w->Charts().OverTestName, "Mud Four");
}

TEST_F(MainWindowTest, OverlapChooserIsKeptAfterItClosesUntilTheNextOne) {
    {
        Seeder seed(db_.path());
        seed.test("Mud One", "B1", "R1", 1.7245, 3.8, "2024-01-01 10:00:00");
        seed.test("Mud Two", "B1", "R1", 1.7245, 3.8, "2024-01-02 10:00:00");
    }
    auto w = start();
    ASSERT_TRUE(open(*w, "Mud One"));
    std::vector<QPointer<frmOverlapTest>> shown;
    ModalShowerScope scope([&](QDialog& d) {
        auto* chooser = qobject_cast<frmOverlapTest*>(&d);
        shown.emplace_back(chooser);
        d.show();
        if (shown.size() == 1) {
            chooser->cmdCancel->click();
        } else {
            // A double-click on its own name: hidden first, then the message.
            FlexGridModel& list = *chooser->MSFlexGrid1->gridModel();
            list.Row(2);
            chooser->MSFlexGrid1_Click();
            EXPECT_EQ(chooser->txtSeqName->text(), "Mud One");
            chooser->MSFlexGrid1_DblClick();
        }
        return 0;
    });
    w->cmdOverlap_Click();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(w->fOverlap(), shown[0].data());  // kept after Cancel

    w->cmdOverlap_Click();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(dialogs_.texts(), QStringList{"Test cannot overlap itself"});
    EXPECT_TRUE(shown[1]->isHidden());
    EXPECT_EQ(w->fOverlap(), shown[1].data());  // refused: still held
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(shown[0].isNull());  // the one it replaced is gone
    EXPECT_FALSE(shown[1].isNull());
}

TEST_F(MainWindowTest, SearchFromTheOpenDialogFillsTheNameBox) {
    {
        Seeder seed(db_.path());
        seed.result(seed.test("alpha", "B1", "R1", 1.7245, 3.8, "2024-01-01 10:00:00"), 10);
        seed.result(seed.test("beta", "B2", "R1", 1.2276, 3.8, "2024-01-02 10:00:00"), 10);
        seed.test("gamma", "B1", "R1", 1.7245, 3.8, "2024-01-03 10:00:00");
    }
    auto w = start();
    bool chooseInSearch = true;
    QString afterSearch;
    int currentRow = -1;
    int searches = 0;
    ModalShowerScope scope([&](QDialog& d) {
        if (auto* s = qobject_cast<frmSearch*>(&d)) {
            ++searches;
            EXPECT_EQ(s->windowTitle(), "Test Search");
            d.show();
            s->Combo1[1]->setCurrentText("BOB_NO");
            s->cmbmath1[1]->setCurrentIndex(s->cmbmath1[1]->findText(" = "));
            s->Text1[1]->setText("B2");
            s->cmdSearch_Click();
            EXPECT_EQ(listed(*s->MSFlexGrid1), QStringList{"beta"});
            if (chooseInSearch) {
                s->MSFlexGrid1->gridModel()->Row(1);
                s->MSFlexGrid1_DblClick();
            } else {
                s->Command1_Click();
            }
            return 0;
        }
        auto* open = qobject_cast<frmOpenTest*>(&d);
        EXPECT_NE(open, nullptr);
        if (!open) return 0;
        d.show();
        open->txtSeqName->setText("gamma");
        EXPECT_TRUE(open->cmdSearch->isEnabled());
        open->cmdSearch->click();
        afterSearch = open->txtSeqName->text();
        currentRow = open->MSFlexGrid1->Row();
        open->cmdOk_Click();
        d.hide();
        return 0;
    });

    w->cmdOpen_Click();
    EXPECT_EQ(searches, 1);
    EXPECT_EQ(afterSearch, "beta");
    EXPECT_EQ(currentRow, 2);  // the list follows the name box (newest first)
    EXPECT_EQ(w->Opened().OpenedTestName, "beta");
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join('\n').toStdString();

    // A cancelled search leaves the name box as it was.
    chooseInSearch = false;
    w->cmdOpen_Click();
    EXPECT_EQ(searches, 2);
    EXPECT_EQ(afterSearch, "gamma");
    EXPECT_EQ(w->Opened().OpenedTestName, "gamma");
}

// Setup hides the main window behind the one sequence editor, which shows it
// again when it closes; Real Time Test brings up the one test container and
// leaves the main window up.
TEST_F(MainWindowTest, SetupAndRealTimeOpenTheirSingleWindows) {
    auto w = start();
    w->show();
    w->cmdSetup->click();
    QWidget* editor = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == "frmSetup" && top->isVisible()) editor = top;
    ASSERT_NE(editor, nullptr);
    EXPECT_FALSE(w->isVisible());
    w->MenuSetup->trigger();  // the same editor again, not a second one
    int editors = 0;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == "frmSetup" && top->isVisible()) ++editors;
    EXPECT_EQ(editors, 1);
    editor->close();
    EXPECT_TRUE(w->isVisible());

    w->cmdRealTime->click();
    frmMDIRealTime* container = frmMDIRealTime::Instance();
    ASSERT_NE(container, nullptr);
    EXPECT_TRUE(container->isVisible());
    w->MenuFileRealTimeTest->trigger();
    EXPECT_EQ(frmMDIRealTime::Instance(), container);
    EXPECT_TRUE(w->isVisible());
    container->close();
}
