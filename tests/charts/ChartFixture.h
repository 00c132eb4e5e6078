#pragma once
// A small host for the result charts: the main window's chart controls (named
// as on the window), both chart controls, a scratch database with result rows
// and the opened test, and the MainCharts object driving them.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QWidget>
#include <memory>

#include "charts/MainCharts.h"
#include "data/Globals.h"
#include "data/Settings.h"
#include "data/clsConnection.h"
#include "data/clsTEST_RESULT.h"
#include "data/OpenedTest.h"
#include "platform/Database.h"
#include "platform/Pe3dChart.h"
#include "platform/PeChart.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDb.h"

namespace chart_tests {

// One stored result row, in storage units.
struct Row {
    double time = 0;    // s
    double temp = 0;    // °F
    double press = 0;   // psi
    double rate = 0;    // 1/s
    double stress = 0;  // dyn/cm²
    double type = 0;    // RESULT_TYPE_ID
};

// The chart controls of the main window on a plain widget.
struct ChartHost {
    QWidget window;
    PeChart* Pesgo1;
    Pe3dChart* Pe3do1;
    ChartControls c;

    template <class T>
    T* make(QWidget* parent, const char* name, const QString& caption = QString()) {
        auto* w = new T(parent);
        w->setObjectName(QString::fromLatin1(name));
        if constexpr (std::is_base_of_v<QAbstractButton, T>) w->setText(caption);
        else if constexpr (std::is_base_of_v<QGroupBox, T>) w->setTitle(caption);
        if (parent->layout()) parent->layout()->addWidget(w);
        return w;
    }
    QGroupBox* frame(const char* name, const QString& caption) {
        auto* f = make<QGroupBox>(&window, name, caption);
        new QVBoxLayout(f);
        return f;
    }

    ChartHost() {
        new QVBoxLayout(&window);
        Pesgo1 = make<PeChart>(&window, "Pesgo1");
        Pe3do1 = make<Pe3dChart>(&window, "Pe3do1");
        c.Frame2 = frame("Frame2", "DIM Scale:");
        c.opt2D = make<QRadioButton>(c.Frame2, "opt2D", "2D");
        c.opt3D = make<QRadioButton>(c.Frame2, "opt3D", "3D");
        c.framData = frame("framData", "Data");
        c.optNoRamp = make<QRadioButton>(c.framData, "optNoRamp", "No Ramp");
        c.optonlyRamp = make<QRadioButton>(c.framData, "optonlyRamp", "Only Ramp");
        c.optAllData = make<QRadioButton>(c.framData, "optAllData", "All");
        c.framY = frame("framY", "Y Scale:");
        c.optYLog = make<QRadioButton>(c.framY, "optYLog", "Log");
        c.optYNormal = make<QRadioButton>(c.framY, "optYNormal", "Normal");
        c.framX = frame("framX", "X Scale:");
        c.optXlog = make<QRadioButton>(c.framX, "optXlog", "Log");
        c.optXNormal = make<QRadioButton>(c.framX, "optXNormal", "Normal");
        c.cmbChartType = make<QComboBox>(&window, "cmbChartType");
        c.cmdOverlap = make<QPushButton>(&window, "cmdOverlap", "Overlap Charts");
        auto* frame1 = frame("Frame1", "Y Axis Range");
        c.Frame1 = frame1;
        c.Text1 = make<QLineEdit>(frame1, "Text1");
        c.Text2 = make<QLineEdit>(frame1, "Text2");
        // Selected when the window opens.
        c.opt2D->setChecked(true);
        c.optAllData->setChecked(true);
        c.optXNormal->setChecked(true);
        c.optYNormal->setChecked(true);
    }
};

class ChartFixture : public ::testing::Test {
protected:

    testing_support::TempDb db;
    testing_support::InFolder in{db.dir()};
    testing_support::ScriptedDialogs dialogs;
    clsConnection connection;
    clsTEST_RESULT results;
    OpenedTest opened;
    ChartHost host;
    std::unique_ptr<MainCharts> charts;
    PeChart& g = *host.Pesgo1;
    Pe3dChart& d = *host.Pe3do1;

    void SetUp() override {
        useUnits(1);
        connection.OpenDB();
        ASSERT_TRUE(dialogs.messages.empty()) << dialogs.texts().join("\n").toStdString();
        charts = std::make_unique<MainCharts>(g, d, host.c, opened, results, &connection);
    }
    void TearDown() override {
        charts.reset();
        useUnits(1);
    }

    static void useUnits(int system) {
        gUnitSystem = system;
        SetUnitLabels();
    }

    void addRows(qint32 testId, const std::vector<Row>& rows) {
        db::Connection* c = connection.ADOConnection();
        c->beginTransaction();
        db::Command cmd(c,
                        "INSERT INTO TEST_RESULT (TEST_ID, RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, "
                        "RESULT_PRESS, RESULT_SPEED, RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP, CYCLE_NO) "
                        "VALUES (?, 1, 0, ?, ?, ?, ?, ?, ?, 0, 1)");
        for (const char* name : {"id", "time", "temp", "press", "rate", "stress", "type"})
            cmd.appendParameter(name, db::adDouble);
        for (const Row& r : rows) {
            const double values[] = {double(testId), r.time, r.temp, r.press, r.rate, r.stress, r.type};
            for (int i = 0; i < 7; ++i) cmd.setValue(i, values[i]);
            cmd.execute();
        }
        c->commit();
    }

    // The main window's opened-test fields after a test was opened.
    void openTest(const QString& name, qint32 id, qint32 type = 0) {
        opened.OpenedTestName = name;
        opened.OpenedTestId = id;
        opened.TestType = type;
    }

    // The operator picks list entry `index`.
    void choose(int index) {
        host.c.cmbChartType->setCurrentIndex(index);
        charts->cmbChartType_Click();
    }

    QStringList listEntries() const {
        QStringList out;
        for (int i = 0; i < host.c.cmbChartType->count(); ++i) out << host.c.cmbChartType->itemText(i);
        return out;
    }
};

}  // namespace chart_tests
