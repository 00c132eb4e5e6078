// One test read twice: the rheology window's live result grid as its run
// ends, and the main window's result grid when the stored test is opened
// afterwards. A sequence of two steps, the second of two cycles each with a
// shear ramp of three entries, runs on the simulated unit on simulated time;
// both grids show the same rows, the power-law analysis of each cycle on the
// same row with the same figures.

#include "mainwindow/frmMain.h"
#include "mainwindow/frmOpenTest.h"
#include "multiunit/frmMDIRealTime.h"
#include "platform/FlexGrid.h"
#include "platform/ModalShow.h"
#include "rheology/RunWindowFixture.h"
#include "rheology/SimulatedRun.h"
#include "support/UnitSimulator.h"

#include <QLineEdit>
#include <QPointer>
#include <memory>

using namespace unit_tests;
using testing_support::UnitSimulator;

namespace {

// Every row below the header, each as its 20 cell texts.
QVector<QStringList> rowsOf(const FlexGrid& g) {
    QVector<QStringList> rows;
    for (int r = 1; r < g.Rows(); ++r) {
        QStringList cells;
        for (int c = 0; c < g.Cols(); ++c) cells << g.TextMatrix(r, c);
        rows << cells;
    }
    return rows;
}

QString describe(const QVector<QStringList>& rows) {
    QString out;
    for (const QStringList& r : rows) out += r.join(QLatin1Char('|')) + QLatin1Char('\n');
    return out;
}

class LiveAndStoredGrids : public UnitWindowFixture {
protected:
    testing_support::ManualClock clock;
};

}  // namespace

TEST_F(LiveAndStoredGrids, OneTestsRowsReadTheSameInBoth) {
    // A Newtonian fluid of 50 cP: stress = 0.5 x rate, as the unit rounds it.
    UnitSimulator unit;
    UnitSimulator::Readings readings;
    readings.status = 1;
    readings.temperature = 100;
    readings.tempSetPoint = 100;
    unit.setReadings(readings);
    UnitSimulator::Physics physics;
    physics.tempRate = 1000;
    physics.pressRate = 100000;
    physics.viscosityCp = 50;
    unit.setPhysics(physics);
    unit.setSilent(true);
    unit.attachToPort(1);
    writePorts({1});

    // Step 1: 2 minutes at 300 rpm, a point every 30 s. Step 2: two cycles of
    // 2 minutes at 100 rpm, each followed by its ramp at about 40, 100 and
    // 170 1/s on the B1 bob, 30 s an entry.
    StoreSequence(conn, "Two steps and a ramp",
                  {{2, 100, 5, 300, 30, 1000, 0, 0, 1, 0}, {2, 100, 5, 100, 30, 2000, 1, 0, 2, 0}},
                  {{23.5, 30, 30}, {58.75, 30, 30}, {99.87, 30, 30}});

    auto mdi = std::make_unique<frmMDIRealTime>(&conn);
    mdi->MDIForm_Load();
    mdi->show();
    mdi->MenuAdd[1]->trigger();
    QPointer<frmRealTime> w = mdi->RealTimeWindows[1];
    ASSERT_TRUE(w && w->MSComm1.PortOpen());
    SimulatedRun run(*w, unit, clock);
    ASSERT_TRUE(run.tick());
    ASSERT_NO_FATAL_FAILURE(testing_support::PickSequence(*w, "Two steps and a ramp"));
    {
        TestEntry entry;
        entry.name = QStringLiteral("Live and stored");
        AnswerTestInfo answer(entry);
        w->cmdStart_Stop->click();
        ASSERT_EQ(w->RunState, 1) << dialogs.texts().join(";").toStdString();
    }
    ASSERT_TRUE(run.tickUntil([&] { return w->RunState == 0; }));

    QVector<QStringList> live = rowsOf(*w->MSFlexGrid1);
    // The run that ends with a complete ramp adds one empty row below it.
    ASSERT_FALSE(live.isEmpty());
    EXPECT_EQ(live.last(), QStringList(20, QString()));
    live.removeLast();
    QStringList groups;
    for (const QStringList& r : live) groups << r[0] + "/" + r[1] + "/" + r[2];
    EXPECT_EQ(groups, (QStringList{"1/1/0", "2/1/0", "2/1/1", "2/1/2", "2/1/3", "2/2/0", "2/2/1", "2/2/2", "2/2/3"}));
    ASSERT_EQ(live.size(), 9);
    // Each cycle's analysis on its last ramp row: points on stress = 0.5 x
    // rate (n' 1 but for the unit's rounding) have R² 1 and 50 cP.
    for (int row : {4, 8}) {
        EXPECT_TRUE(live[row][12].startsWith("1.0000")) << describe(live).toStdString();
        EXPECT_EQ(live[row][14], "1.0000") << describe(live).toStdString();
        EXPECT_EQ(live[row][19], "50.0") << describe(live).toStdString();
    }
    mdi->MenuExit_Click();
    mdi.reset();

    // The stored test opened in the main window.
    frmMain main;
    main.EndProcess = [] {};
    main.Form_Load();
    {
        const ui::ModalShower previous = ui::setModalShower([&](QDialog& d) {
            auto* dialog = qobject_cast<frmOpenTest*>(&d);
            EXPECT_NE(dialog, nullptr);
            if (!dialog) return 0;
            d.show();
            dialog->txtSeqName->setText(QStringLiteral("Live and stored"));
            dialog->cmdOk_Click();
            d.hide();
            return 0;
        });
        main.cmdOpen_Click();
        ui::setModalShower(previous);
    }
    const QVector<QStringList> stored = rowsOf(*main.MSFlexGrid1);
    EXPECT_EQ(stored, live) << "stored:\n"
                            << describe(stored).toStdString() << "live:\n"
                            << describe(live).toStdString();
}
