// The main window driven offscreen: start-up with and without a database,
// the settings at start-up, controls and menus, exit, the Y-range frame, the
// About box, opening stored tests and the proportional layout.

#include "MainWindowFixture.h"

#include "data/TypedNumbers.h"
#include "data/clsTEST_INFO.h"
#include "mainwindow/frmAbout.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmOpenTest.h"
#include "platform/FlexGrid.h"
#include "platform/PeChart.h"
#include "platform/Pe3dChart.h"
#include "unitrun/RowSpool.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>

using testing_support::MainWindowTest;
using testing_support::ModalShowerScope;
using testing_support::Seeder;

namespace {

const QString kNormalSettings = QStringLiteral(
    " 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\nCGS\r\nKunit ,1\r\nSF ,1\r\nBy the SR\r\n");

}  // namespace

TEST_F(MainWindowTest, StartUpWithDatabase) {
    writeFile("initial.txt", " 3\r\n4\r\n\r\n\r\n\r\n\r\n\r\n\r\nSI\r\nKunit ,2\r\nSF ,1.25\r\nBY the Speed\r\n");
    auto w = start();

    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join('\n').toStdString();
    EXPECT_EQ(w->windowTitle(), "Z3080DAQ/v2.0.0.24 - Software for Z3080 Ultra HPHT Automatic Rheometer");
    EXPECT_TRUE(w->windowState() & Qt::WindowMaximized);
    EXPECT_EQ(w->TestType(), 0);
    EXPECT_TRUE(w->Opened().OpenedTestName.isEmpty());
    EXPECT_FALSE(w->cmdOverlap->isEnabled());
    EXPECT_TRUE(w->Frame1->isHidden());
    EXPECT_TRUE(w->opt2D->isChecked());
    EXPECT_FALSE(w->Pesgo1->isHidden());
    EXPECT_TRUE(w->Pe3do1->isHidden());
    EXPECT_NE(w->fOpen(), nullptr);
    ASSERT_NE(w->Connection()->ADOConnection(), nullptr);
    EXPECT_TRUE(w->Connection()->ADOConnection()->isOpen());
    EXPECT_EQ(w->Connection(), w->Connection());

    // The settings are read, normalised and rewritten before anything uses them.
    EXPECT_EQ(gUnitSystem, 2);
    EXPECT_EQ(gKUnit, 2);
    EXPECT_DOUBLE_EQ(gSF, 1.25);
    EXPECT_FALSE(gBySR);
    EXPECT_EQ(gTempLabel, QStringLiteral("(°C)"));
    EXPECT_EQ(readFile("initial.txt"),
              " 3 \r\n 4 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\nSI\r\nKunit ,2\r\nSF ,1.25\r\nBY the Speed\r\n");
    EXPECT_EQ(w->InitialLines()[1], " 3");

    // The empty result grid carries the rheology header.
    EXPECT_EQ(w->MSFlexGrid1->Rows(), 1);
    EXPECT_EQ(w->MSFlexGrid1->Cols(), 20);
    EXPECT_EQ(w->MSFlexGrid2->Rows(), 1);
}

// The start stores the recorded points the last run left waiting for the
// database (the spool of the data folder), and says so.
TEST_F(MainWindowTest, StartUpStoresThePointsTheLastRunLeftWaiting) {
    const qint64 test = Seeder(db_.path()).test("Mud A", "B1");
    gAppPath = db_.dir();
    for (double time : {10.0, 20.0}) {
        ResultPoint p;
        p[resultcol::TestId] = double(test);
        p[resultcol::ResultTime] = time;
        ASSERT_NE(runloop::RowSpool::Program().Keep(p, "Mud A"), 0);
    }
    ASSERT_TRUE(QFile::exists(file(runloop::kSpoolFileName)));
    gAppPath.clear();

    auto w = start();
    EXPECT_EQ(dialogs_.texts(),
              QStringList{"Recorded points kept from the last run are stored now: 2 points (test \"Mud A\": 2 points)."});
    EXPECT_EQ(Seeder(db_.path()).count("TEST_RESULT", QStringLiteral("TEST_ID = %1").arg(test)), 2);
    EXPECT_FALSE(QFile::exists(file(runloop::kSpoolFileName)));
}

TEST_F(MainWindowTest, StartUpWithoutSettingsFileWritesTheDefaults) {
    auto w = start();
    EXPECT_TRUE(dialogs_.messages.empty());
    EXPECT_EQ(readFile("initial.txt"), kNormalSettings.toLatin1());
    EXPECT_EQ(gUnitSystem, 1);
}

TEST_F(MainWindowTest, StartUpWithoutDatabaseKeepsTheWindowAndReportsEveryDatabaseAction) {
    QFile::remove(db_.path());
    auto w = start();

    // The connection said why; start-up went on.
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_TRUE(dialogs_.messages[0].prompt.startsWith("clsConnection.OpenConnection: Error #: "));
    EXPECT_EQ(readFile("initial.txt"), kNormalSettings.toLatin1());
    EXPECT_EQ(w->MSFlexGrid1->Cols(), 20);
    EXPECT_TRUE(w->Frame1->isHidden());
    EXPECT_EQ(w->Connection(), w->Connection());

    // Open: the failure is shown and no dialog comes up.
    dialogs_.clear();
    int shown = 0;
    ModalShowerScope scope([&](QDialog&) { return ++shown; });
    w->cmdOpen_Click();
    w->MenuFileOpen_Click();
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(w->fOpen(), nullptr);
    ASSERT_EQ(dialogs_.messages.size(), 2u);
    EXPECT_EQ(dialogs_.messages[0].prompt,
              ui::errorText(db::ErrNotOpen, "Operation is not allowed when the object is closed."));
}

TEST_F(MainWindowTest, StartUpWithoutDatabaseFillAdditiveGridThrows) {
    QFile::remove(db_.path());
    auto w = start();
    EXPECT_THROW(w->Fill_Additive_Grid(), db::DbError);
}

TEST_F(MainWindowTest, ControlsCarryTheirCaptionsAndTips) {
    auto w = start();
    struct Case {
        const char* name;
        const char* caption;
        const char* tip;
        bool enabled;
    } buttons[] = {
        {"cmdOpen", "&Open Saved Test", "Click here to open a saved test", true},
        {"cmdRelated", "Edit Test Info", "Click here to view & edit test-related information", true},
        {"cmdOverlap", "Overlap Charts",
         "Click here to overlap another test on graph.  Charts cannot be overlapped when chart type is \"Visc Temp "
         "Vs. Time\".",
         false},
        {"cmdPrintChart", "Print Chart", "Click here to print the chart shown at top", true},
        {"cmdREPORT", "Save Report", "Click here to generate a detailed .CSV file", true},
        {"cmdExcelDetail", "Detailed Excel", "Click here to generate a detailed MS Excel file", true},
        {"cmdExportExcel", "Brief Excel", "Click here to generate a brief MS Excel file", true},
        {"cmdPRINT", "Brief Print", "Click here to print a brief report", true},
        {"cmdSetup", "&Setup", "Click here to set up hardware and manage test procedures", true},
        {"cmdRealTime", "Real &Time Test", "Click here to run a real time test", true},
        {"cmdCalibrate", "&Calibrate", "Click here to start calibration", true},
        {"cmdExit", "&Exit", "Click here to exit Z3080DAQ", true},
        {"Command1", "OK", "", true},
        {"Command2", "Cancel", "", true},
    };
    for (const auto& c : buttons) {
        auto* b = w->findChild<QPushButton*>(c.name);
        ASSERT_NE(b, nullptr) << c.name;
        EXPECT_EQ(b->text(), c.caption) << c.name;
        EXPECT_EQ(b->toolTip(), c.tip) << c.name;
        EXPECT_EQ(b->isEnabled(), c.enabled) << c.name;
    }
    const QString lowRate = "Display chart viscosity data only when shear rate is lower than 99 1/S";
    struct Option {
        const char* name;
        const char* frame;
        const char* caption;
        QString tip;
    } options[] = {
        {"opt2D", "Frame2", "2D", "Click here for 2D graphics"},
        {"opt3D", "Frame2", "3D", "Click here for 3D graphics"},
        {"optAllData", "framData", "All", "Click here to chart all data"},
        {"optNoRamp", "framData", "No Ramp", lowRate},
        {"optonlyRamp", "framData", "Only Ramp", lowRate},
        {"optXlog", "framX", "Log", "Click here to select log chart scale"},
        {"optXNormal", "framX", "Normal", "Click here to select normal chart scale"},
        {"optYLog", "framY", "Log", "Click here to select log chart scale"},
        {"optYNormal", "framY", "Normal", "Click here to select normal chart scale"},
    };
    for (const auto& o : options) {
        auto* r = w->findChild<QRadioButton*>(o.name);
        ASSERT_NE(r, nullptr) << o.name;
        EXPECT_EQ(r->text(), o.caption);
        EXPECT_EQ(r->toolTip(), o.tip);
        EXPECT_EQ(r->parent()->objectName(), o.frame);
    }
    struct Frame {
        const char* name;
        const char* caption;
    } frames[] = {{"Frame2", "DIM Scale:"}, {"framData", "Data"}, {"framX", "X Scale:"},
                  {"framY", "Y Scale:"},    {"Frame1", "Y Axis Range"}};
    for (const auto& f : frames) EXPECT_EQ(w->findChild<QGroupBox*>(f.name)->title(), f.caption) << f.name;
    EXPECT_EQ(w->findChild<QLabel*>("Label2")->text(), "Select Chart Type:");
    EXPECT_EQ(w->findChild<QLabel*>("Label1")->text(), "Max");
    EXPECT_EQ(w->findChild<QLabel*>("Label3")->text(), "Min");
    EXPECT_EQ(w->findChild<QComboBox*>("cmbChartType")->toolTip(),
              "Use this pull-down menu to select different chart types");
    EXPECT_EQ(w->findChild<FlexGrid*>("MSFlexGrid1")->toolTip(), "This table lists the test results.");
    EXPECT_NE(w->findChild<FlexGrid*>("MSFlexGrid2"), nullptr);
    EXPECT_NE(w->findChild<PeChart*>("Pesgo1"), nullptr);
    EXPECT_NE(w->findChild<Pe3dChart*>("Pe3do1"), nullptr);
    EXPECT_NE(w->findChild<QLineEdit*>("Text1"), nullptr);
    EXPECT_NE(w->findChild<QLineEdit*>("Text2"), nullptr);
    EXPECT_NE(w->findChild<QStatusBar*>("StatusBar1"), nullptr);
    auto* timer = w->findChild<QTimer*>("Timer1");
    ASSERT_NE(timer, nullptr);
    EXPECT_FALSE(timer->isActive());
    EXPECT_NE(w->findChild<QObject*>("MSComm1"), nullptr);
    EXPECT_NE(w->findChild<QObject*>("CommonDialog1"), nullptr);
}

TEST_F(MainWindowTest, MenusInTheirOrder) {
    auto w = start();
    const QList<QAction*> bar = w->menuBar()->actions();
    ASSERT_EQ(bar.size(), 3);
    struct Entry {
        const char* name;
        const char* caption;  // empty for a separator
        bool enabled;
    };
    const std::vector<std::pair<const char*, std::vector<Entry>>> menus = {
        {"&File",
         {{"MenuFileOpen", "&Open Saved Test", true},
          {"seperation1", "", true},
          {"MenuSetup", "&Setup", true},
          {"MenuFileReport", "Re&port", true},
          {"MenuFileRealTimeTest", "Real &Time Test", true},
          {"Seperation5", "", true},
          {"MenuPrintChart", "Print Chart", true},
          {"Seperation3", "", true},
          {"MenuFileExit", "E&xit", true}}},
        {"ReSet", {{"mReSetScreen", "ReSetScreen", true}}},
        {"&About", {{"MenuHelpAbout", "&About Z3080DAQ", true}}},
    };
    const char* menuNames[] = {"MenuFile", "mreset", "MenuHelp"};
    for (int m = 0; m < 3; ++m) {
        EXPECT_EQ(bar[m]->text(), menus[m].first);
        QMenu* menu = bar[m]->menu();
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->objectName(), menuNames[m]);
        const QList<QAction*> actions = menu->actions();
        ASSERT_EQ(actions.size(), int(menus[m].second.size()));
        for (int i = 0; i < actions.size(); ++i) {
            const Entry& e = menus[m].second[i];
            EXPECT_EQ(actions[i]->objectName(), e.name);
            EXPECT_EQ(actions[i]->isSeparator(), *e.caption == 0) << e.name;
            if (*e.caption) {
                EXPECT_EQ(actions[i]->text(), e.caption);
            }
            EXPECT_EQ(actions[i]->isEnabled(), e.enabled) << e.name;
        }
    }
}

TEST_F(MainWindowTest, ExitAsksAndEndsOnlyOnYes) {
    auto w = start();
    w->show();
    dialogs_.clear();
    dialogs_.answers = {ui::vbNo};
    w->cmdExit_Click();
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].prompt, "Are you sure you want to exit?");
    EXPECT_EQ(dialogs_.messages[0].title, "Exit Check");
    EXPECT_EQ(dialogs_.messages[0].style, ui::vbYesNo + ui::vbExclamation);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(ended_, 0);

    dialogs_.answers = {ui::vbYes};
    w->MenuFileExit_Click();
    EXPECT_EQ(dialogs_.messages.size(), 2u);
    EXPECT_EQ(ended_, 1);
    EXPECT_FALSE(w->isVisible());
}

TEST_F(MainWindowTest, ManualYRange) {
    auto w = start();
    struct Case {
        const char *max, *min;
        double upper, lower;
    } cases[] = {{"100", "0", 100, 0}, {"0", "100", 0, 100}, {"-5", "-15", -5, -15}};  // as typed
    for (const auto& c : cases) {
        w->Pesgo1_AxisEvent(0, 0);
        w->Text1->setText(c.max);
        w->Text2->setText(c.min);
        w->Command1->click();
        EXPECT_TRUE(w->Frame1->isHidden()) << c.max;
        EXPECT_DOUBLE_EQ(w->Pesgo1->prop(pesgo::ManualMaxY).toDouble(), c.upper) << c.max;
        EXPECT_DOUBLE_EQ(w->Pesgo1->prop(pesgo::ManualMinY).toDouble(), c.lower) << c.max;
    }
    EXPECT_TRUE(dialogs_.messages.empty());

    w->Pesgo1_AxisEvent(0, 0);  // the chart's Y axis: the frame comes up
    EXPECT_FALSE(w->Frame1->isHidden());
    // A box that holds no number is refused by its name: the frame stays
    // open and the scale as it was.
    w->Text1->setText("100 psi");
    w->Text2->setText("");
    w->Command1_Click();
    EXPECT_FALSE(w->Frame1->isHidden());
    EXPECT_EQ(dialogs_.texts(), QStringList{typed::NotANumberMessage("Max", "100 psi")});
    w->Text1->setText("100");
    w->Command1_Click();
    EXPECT_FALSE(w->Frame1->isHidden());
    EXPECT_EQ(dialogs_.texts().value(1), typed::NotANumberMessage("Min", ""));
    EXPECT_DOUBLE_EQ(w->Pesgo1->prop(pesgo::ManualMaxY).toDouble(), -5);
    EXPECT_DOUBLE_EQ(w->Pesgo1->prop(pesgo::ManualMinY).toDouble(), -15);
    w->Text2->setText("0");
    w->Command1_Click();
    EXPECT_TRUE(w->Frame1->isHidden());
    EXPECT_EQ(w->Pesgo1->prop(pesgo::ManualScaleControlY).toInt(), 3);
    EXPECT_DOUBLE_EQ(w->Pesgo1->prop(pesgo::ManualMaxY).toDouble(), 100);
    EXPECT_DOUBLE_EQ(w->Pesgo1->prop(pesgo::ManualMinY).toDouble(), 0);

    // Cancel only hides the frame.
    w->Pesgo1_AxisEvent(0, 0);
    w->Text1->setText("1");
    w->Command2_Click();
    EXPECT_TRUE(w->Frame1->isHidden());
    EXPECT_DOUBLE_EQ(w->Pesgo1->prop(pesgo::ManualMaxY).toDouble(), 100);

    // Another axis cannot be ranged.
    dialogs_.clear();
    w->Pesgo1_AxisEvent(0, 1);
    EXPECT_TRUE(w->Frame1->isHidden());
    EXPECT_EQ(dialogs_.texts(), QStringList{"Not working for this axis"});
}

// In the Y Axis Range frame Enter is OK and Esc is Cancel.
TEST_F(MainWindowTest, ManualYRangeKeys) {
    auto w = start();
    w->show();
    QApplication::setActiveWindow(w.get());
    w->Pesgo1_AxisEvent(0, 0);
    QApplication::processEvents();
    ASSERT_FALSE(w->Frame1->isHidden());
    w->Text1->setText("200");
    w->Text2->setText("100");
    w->Text2->setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(w->Text2, &enter);
    EXPECT_TRUE(w->Frame1->isHidden());
    EXPECT_DOUBLE_EQ(w->Pesgo1->prop(pesgo::ManualMaxY).toDouble(), 200);
    EXPECT_DOUBLE_EQ(w->Pesgo1->prop(pesgo::ManualMinY).toDouble(), 100);

    w->Pesgo1_AxisEvent(0, 0);
    QApplication::processEvents();
    EXPECT_EQ(w->Text1->text(), "200");  // the range in force, as typed
    EXPECT_EQ(w->Text2->text(), "100");
    EXPECT_EQ(QApplication::focusWidget(), w->Text1);
    w->Text1->setText("5");
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(w->Text1, &esc);
    QApplication::processEvents();
    EXPECT_TRUE(w->Frame1->isHidden());
    EXPECT_DOUBLE_EQ(w->Pesgo1->prop(pesgo::ManualMaxY).toDouble(), 200);
    w->hide();
}

TEST_F(MainWindowTest, OverlapWithoutOpenedTest) {
    auto w = start();
    w->cmdOverlap_Click();
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_EQ(dialogs_.messages[0].prompt, "No opened test to overlap on.  Please open one test first.");
    EXPECT_EQ(dialogs_.messages[0].title, "Operation Error");
    EXPECT_EQ(dialogs_.messages[0].style, ui::vbOKOnly);
}

TEST_F(MainWindowTest, AboutBoxIsModalAndClosesOnOk) {
    auto w = start();
    int shown = 0;
    ModalShowerScope scope([&](QDialog& d) {
        ++shown;
        auto* about = qobject_cast<frmAbout*>(&d);
        EXPECT_NE(about, nullptr);
        EXPECT_EQ(d.windowTitle(), "About");
        EXPECT_EQ(about->lblTitle->text(), "Z3080daq for Z3080 Rheometer");
        EXPECT_EQ(about->lblVersion->text(), "Version 2.0.0.24   10-21-2016");
        EXPECT_EQ(about->Command1->text(), "&OK");
        EXPECT_EQ(about->Command1->objectName(), "Command1");
        d.show();
        about->Command1_Click();
        EXPECT_FALSE(d.isVisible());
        return d.result();
    });
    w->MenuHelpAbout_Click();
    EXPECT_EQ(shown, 1);
}

TEST_F(MainWindowTest, ScreenScaleReset) {
    writeFile("initial.txt", " 1 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\nCGS\r\nKunit ,1\r\nSF ,1.5\r\nBy the SR\r\n");
    auto w = start();
    EXPECT_DOUBLE_EQ(gSF, 1.5);
    w->mReSetScreen_Click();
    EXPECT_DOUBLE_EQ(gSF, 1.0);
    EXPECT_TRUE(readFile("initial.txt").contains("\r\nSF ,1\r\n"));
    EXPECT_EQ(w->InitialLines()[11], "SF ,1");
}

TEST_F(MainWindowTest, OpenDialogIsFreshEachTimeAndEmptiedAfter) {
    {
        Seeder seed(db_.path());
        seed.test("Alpha", "B1");
    }
    auto w = start();
    std::vector<frmOpenTest*> seen;
    ModalShowerScope scope([&](QDialog& d) {
        auto* dialog = qobject_cast<frmOpenTest*>(&d);
        seen.push_back(dialog);
        EXPECT_EQ(w->fOpen(), dialog);
        EXPECT_TRUE(dialog->Loaded());
        EXPECT_EQ(dialog->MSFlexGrid1->Rows(), 2);
        dialog->cmdCancel_Click();
        return 0;
    });
    frmOpenTest* atStartUp = w->fOpen();
    w->cmdOpen_Click();
    EXPECT_EQ(w->fOpen(), nullptr);
    w->MenuFileOpen_Click();
    EXPECT_EQ(w->fOpen(), nullptr);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_NE(seen[0], atStartUp);
    EXPECT_TRUE(dialogs_.messages.empty());
}

// Two stored tests of one name in other letter case: OK opens the test of
// the row chosen (clicked, or found by typing the start of its name; a name
// typed that begins no listed name takes the first row that holds it), with
// its own kind, results and additives.
TEST_F(MainWindowTest, OpeningTakesTheTestOfTheRowChosenAmongNamesakes) {
    qint64 ids[2] = {0, 0};
    {
        Seeder seed(db_.path());
        seed.test("Other", "B1", "R1", 1.7245, 3.8, "2024-03-03 10:00:00");
        ids[0] = seed.test("Mud One", "B1", "R1", 1.7245, 3.8, "2024-02-02 10:00:00");
        ids[1] = seed.test("MUD ONE", "PVT", "0.5", 40.0, 1.1, "2024-01-01 10:00:00");
        seed.result(ids[0], 60);
        seed.measured(ids[1], 0, 100, 1000, 100, 0.1);
        seed.measured(ids[1], 60, 120, 2000, 100, 0.2);
        seed.additive(ids[0], "KCl", 3, "%", "L1");
        seed.additive(ids[1], "NaCl", 2, "%", "L2");
    }
    struct Case {
        const char* how;
        int click;          // the row clicked (0: none)
        const char* typed;  // else the name typed
        int opened;         // 0 Mud One, 1 MUD ONE
    };
    const Case cases[] = {
        {"click on the second", 3, "", 1},
        {"click on the first", 2, "", 0},
        {"the second's name typed", 0, "MUD ONE", 1},
        {"the name typed in neither's case", 0, "mud one", 0},
    };
    auto w = start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        bool accepted = false;
        ModalShowerScope scope([&](QDialog& d) {
            auto* dialog = qobject_cast<frmOpenTest*>(&d);
            if (!dialog) return 0;
            d.show();
            if (c.click > 0) {
                dialog->MSFlexGrid1->Row(c.click);
                dialog->MSFlexGrid1_Click();
            } else {
                dialog->txtSeqName->setText(c.typed);
            }
            dialog->cmdOk_Click();
            accepted = !d.isVisible();
            d.hide();
            return 0;
        });
        w->cmdOpen_Click();
        EXPECT_TRUE(accepted);
        EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join('\n').toStdString();
        const OpenedTest& t = w->Opened();
        EXPECT_EQ(t.OpenedTestId, ids[c.opened]);
        EXPECT_EQ(t.OpenedTestInfo.value(clsTEST_INFO::colTEST_NAME).toString(), c.opened ? "MUD ONE" : "Mud One");
        EXPECT_EQ(t.TestType, c.opened);  // rheology 0, PVT 1
        ASSERT_EQ(w->MSFlexGrid2->Rows(), 2);
        EXPECT_EQ(w->MSFlexGrid2->TextMatrix(1, 0), c.opened ? "NaCl" : "KCl");
    }
}

TEST_F(MainWindowTest, OpeningARheologyTest) {
    qint64 id = 0;
    {
        Seeder seed(db_.path());
        seed.test("Older", "B1", "R1", 1.7245, 3.8, "2023-01-01 00:00:00");
        id = seed.test("Mud One", "B1", "R1", 1.7245, 3.8, "2024-02-02 08:00:00");
        seed.result(id, 60, 0, 1, 1);
        seed.result(id, 120, 0, 2, 1);
        seed.additive(id, "KCl", 3, "%", "L7");
    }
    auto w = start();
    EXPECT_TRUE(open(*w, "mud ONE"));  // found without regard to letter case
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join('\n').toStdString();

    const OpenedTest& t = w->Opened();
    EXPECT_EQ(t.OpenedTestName, "mud ONE");  // as typed
    EXPECT_EQ(t.OpenedTestId, id);
    EXPECT_EQ(t.OpenedTestInfo.value(clsTEST_INFO::colTEST_NAME).toString(), "Mud One");
    EXPECT_EQ(t.TestType, 0);
    EXPECT_NEAR(t.ShearRatePerRpm, 1.70229, 1e-5);
    EXPECT_EQ(w->Pesgo1->subTitle(), "mud ONE");
    EXPECT_FALSE(w->Frame2->isHidden());
    EXPECT_FALSE(w->framData->isHidden());
    EXPECT_FALSE(w->framX->isHidden());
    EXPECT_FALSE(w->framY->isHidden());

    EXPECT_EQ(w->MSFlexGrid1->Cols(), 20);
    EXPECT_EQ(w->MSFlexGrid1->TextMatrix(0, 0), "Step No");
    EXPECT_GT(w->MSFlexGrid1->Rows(), 2);  // a line per step
    EXPECT_EQ(w->MSFlexGrid1->TextMatrix(1, 0), "1");
    ASSERT_EQ(w->MSFlexGrid2->Rows(), 2);
    EXPECT_EQ(w->MSFlexGrid2->TextMatrix(1, 0), "KCl");
    EXPECT_EQ(w->MSFlexGrid2->TextMatrix(1, 1), " 3");
    EXPECT_EQ(w->MSFlexGrid2->TextMatrix(1, 3), "L7");
    EXPECT_EQ(w->fOpen(), nullptr);
}

TEST_F(MainWindowTest, OpeningPvtAndSwellTestsAndTheirCarryOver) {
    qint64 pvt = 0, pvtBare = 0, pvtNull = 0, lsm = 0, lsmBare = 0;
    {
        Seeder seed(db_.path());
        pvt = seed.test("P1", "PVT", "0.5", 40.0, 1.1);
        pvtBare = seed.test("P2", "PVT", "none", 0.0, -1.0);
        pvtNull = seed.test("P3", "PVT", QVariant(), QVariant(), QVariant());
        lsm = seed.test("S1", "LSM", "", 0.0, 0.75);
        lsmBare = seed.test("S2", "LSM", "", 0.0, 0.0);
        for (qint64 id : {pvt, pvtBare, lsm, lsmBare}) seed.result(id, 10);
        seed.result(pvt, 20, 0, 2, 1);  // a second step
    }
    auto w = start();

    ASSERT_TRUE(open(*w, "P1"));
    EXPECT_EQ(w->TestType(), 1);
    EXPECT_DOUBLE_EQ(w->Opened().PvtPistonRadius, 0.5);
    EXPECT_DOUBLE_EQ(w->CuriniV(), 40.0);
    EXPECT_DOUBLE_EQ(w->CuriniD(), 1.1);
    EXPECT_EQ(w->MSFlexGrid1->Cols(), 9);
    EXPECT_EQ(w->MSFlexGrid1->TextMatrix(0, 6), "Density (g/cm3) ");
    EXPECT_EQ(w->MSFlexGrid1->Rows(), 3);
    EXPECT_FALSE(w->MSFlexGrid1->TextMatrix(1, 6).isEmpty());
    EXPECT_TRUE(w->opt2D->isChecked());

    ASSERT_TRUE(open(*w, "P2"));
    EXPECT_EQ(w->Opened().OpenedTestId, pvtBare);
    EXPECT_EQ(w->Opened().PvtPistonRadius, 0.0);
    EXPECT_EQ(w->CuriniV(), 0.0);
    EXPECT_EQ(w->CuriniD(), 0.0);
    EXPECT_EQ(w->MSFlexGrid1->Rows(), 2);

    ASSERT_TRUE(open(*w, "P1"));
    ASSERT_TRUE(open(*w, "P3"));
    EXPECT_EQ(w->Opened().OpenedTestId, pvtNull);
    EXPECT_EQ(w->Opened().PvtPistonRadius, 0.0);
    EXPECT_EQ(w->CuriniV(), 0.0);
    EXPECT_EQ(w->CuriniD(), 0.0);

    ASSERT_TRUE(open(*w, "S1"));
    EXPECT_EQ(w->TestType(), 2);
    EXPECT_DOUBLE_EQ(w->Opened().LsmSampleLength, 0.75);
    EXPECT_EQ(w->MSFlexGrid1->Cols(), 9);
    EXPECT_EQ(w->MSFlexGrid1->TextMatrix(0, 7), " Swell (%) ");
    EXPECT_EQ(w->MSFlexGrid1->Rows(), 2);

    ASSERT_TRUE(open(*w, "S2"));
    EXPECT_DOUBLE_EQ(w->Opened().LsmSampleLength, 0.001);
}

TEST_F(MainWindowTest, RefusedAndKindlessOpens) {
    qint64 good = 0;
    {
        Seeder seed(db_.path());
        good = seed.test("Good", "B1");
        seed.result(good, 5);
        seed.test("NoKind", QStringLiteral(""));
        seed.test("LowerPvt", "pvt");
    }
    auto w = start();
    ASSERT_TRUE(open(*w, "Good"));
    const int rows = w->MSFlexGrid1->Rows();
    ASSERT_GT(rows, 1);

    // A name not in the list: the message, the dialog stays, the result grid is emptied.
    EXPECT_FALSE(open(*w, "Goo"));
    EXPECT_EQ(dialogs_.texts(), QStringList{"Your test name is not found.  Please try again."});
    EXPECT_EQ(dialogs_.messages[0].style, ui::vbOKOnly);
    EXPECT_EQ(w->Opened().OpenedTestName, "Good");
    EXPECT_EQ(w->Opened().OpenedTestId, good);
    EXPECT_EQ(w->MSFlexGrid1->Rows(), 1);

    // An empty name box: OK opens the highlighted test, the newest.
    dialogs_.clear();
    ASSERT_TRUE(open(*w, "Good"));
    EXPECT_TRUE(open(*w, ""));
    EXPECT_TRUE(dialogs_.messages.empty());
    EXPECT_EQ(w->Opened().OpenedTestName, "LowerPvt");

    // A test of no kind is opened, but its grid stays empty and the kind stays.
    w->TestType(1);
    EXPECT_TRUE(open(*w, "NoKind"));
    EXPECT_EQ(w->Opened().OpenedTestName, "NoKind");
    EXPECT_EQ(w->TestType(), 1);
    EXPECT_EQ(w->MSFlexGrid1->Rows(), 1);

    // "pvt" in lower case is the bob of a rheology test.
    EXPECT_TRUE(open(*w, "LowerPvt"));
    EXPECT_EQ(w->TestType(), 0);
    EXPECT_EQ(w->MSFlexGrid1->Cols(), 20);
}

TEST_F(MainWindowTest, LayoutFollowsTheClientArea) {
    auto w = start();
    w->show();
    QApplication::processEvents();

    struct Designed {
        QWidget* control;
        QRect rect;
    };
    // Designed places in the designed client area of 1016 x 690.
    const Designed designed[] = {
        {w->MSFlexGrid1, QRect(8, 346, 748, 336)},
        {w->MSFlexGrid2, QRect(764, 472, 244, 210)},
        {w->Pesgo1, QRect(8, 8, 748, 330)},
        {w->cmdExit, QRect(888, 434, 120, 30)},
        {w->opt3D, QRect(10, 40, 100, 20)},  // inside its frame
    };
    auto check = [&](const char* when) {
        const double fx = w->client->width() / 1016.0;
        const double fy = w->client->height() / 690.0;
        for (const auto& d : designed) {
            const QRect g = d.control->geometry();
            EXPECT_NEAR(g.x(), d.rect.x() * fx, 1.5) << when << ' ' << d.control->objectName().toStdString();
            EXPECT_NEAR(g.y(), d.rect.y() * fy, 1.5) << when << ' ' << d.control->objectName().toStdString();
            EXPECT_NEAR(g.width(), d.rect.width() * fx, 1.5) << when;
            EXPECT_NEAR(g.height(), d.rect.height() * fy, 1.5) << when;
        }
        // The chart-type list moves but keeps its size.
        EXPECT_NEAR(w->cmbChartType->x(), 764 * fx, 1.5) << when;
        EXPECT_NEAR(w->cmbChartType->y(), 232 * fy, 1.5) << when;
        EXPECT_EQ(w->cmbChartType->width(), 244) << when;
    };
    check("maximised");

    w->showNormal();
    w->resize(1400, 1000);
    QApplication::processEvents();
    ASSERT_GT(w->client->width(), 1016);
    check("enlarged");

    w->resize(700, 500);
    QApplication::processEvents();
    check("reduced");
}
