// The editor's grid logic without a window: stored rows shown and stored
// back in both unit systems and entry modes, Save's range checks, the step
// builder, the rate-sign rule and inserting, pasting and deleting steps.

#include "data/BobGeometry.h"
#include "data/Globals.h"
#include "data/Settings.h"
#include "platform/FlexGrid.h"
#include "sequences/SequenceGrids.h"

#include <gtest/gtest.h>

using namespace seqgrid;

namespace {

const double kB1 = bob::ShearRatePerRpm(1.7245);

class Grids : public ::testing::Test {
protected:
    void SetUp() override { units(1); }
    void TearDown() override { units(1); }
    void units(int system) {
        gUnitSystem = system;
        gKUnit = 1;
        gBySR = false;
        gMaxPress = 30000;
        SetUnitLabels();
    }
    // A step grid with one row per entry, each row "T,rate,P,prate" in
    // columns 2, 4, 6 and 7 and a marker in column 1.
    void steps(const QList<QStringList>& rows) {
        InitStepGridHeader(grid);
        grid.Rows(rows.size() + 1);
        for (int i = 0; i < rows.size(); ++i)
            for (int c = 0; c < rows[i].size(); ++c) grid.TextMatrix(i + 1, c, rows[i][c]);
    }
    // Column 1 of every step row.
    QStringList markers() const {
        QStringList out;
        for (int r = 1; r < grid.Rows(); ++r) out << grid.TextMatrix(r, 1);
        return out;
    }
    QStringList column(int c) const {
        QStringList out;
        for (int r = 1; r < grid.Rows(); ++r) out << grid.TextMatrix(r, c);
        return out;
    }
    void numbered(int n) {
        QList<QStringList> rows;
        for (int i = 1; i <= n; ++i) rows << QStringList{QString::number(i), QStringLiteral("s%1").arg(i)};
        steps(rows);
    }

    FlexGridModel grid;
};

// The row array of a stored step: id, seq, RAMP_NO, elapse, temp, error,
// speed, record, press, run ramp, temp rate, cycle, press rate.
RowArray stepRow(double temp, double error, double rate, double speed) {
    return {1, 1, 1, 10, temp, error, speed, 5, 1000, 0, rate, 1, 50};
}

TEST_F(Grids, HeadersOfBothGrids) {
    InitStepGridHeader(grid);
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(grid.Cols(), kStepCols);
    EXPECT_EQ(grid.TextMatrix(0, 2), QString("Temp.\r(°F)"));
    EXPECT_EQ(grid.TextMatrix(0, 4), QString("Temp. Ramp\rRate (°F/min)"));
    EXPECT_EQ(grid.TextMatrix(0, 5), QString("Shear\rRate (1/S)"));
    EXPECT_EQ(grid.TextMatrix(0, 8), QString("Record\rInterval\r(sec)"));
    EXPECT_EQ(grid.ColWidth(4), 1050);
    EXPECT_EQ(grid.ColWidth(3), 750);
    EXPECT_EQ(grid.RowHeight(0), 600);

    units(2);
    InitStepGridHeader(grid);
    EXPECT_EQ(grid.TextMatrix(0, 3), QString("Temp.\rError(°C)"));
    EXPECT_EQ(grid.TextMatrix(0, 4), QString("Temp. Ramp\rRate (°C/min)"));

    FlexGridModel ramp;
    InitRampDefineGridHeader(ramp);
    EXPECT_EQ(ramp.Rows(), 41);
    EXPECT_EQ(ramp.Cols(), 3);
    EXPECT_EQ(ramp.TextMatrix(0, 1), "Shear Rate (1/s) ");
    EXPECT_EQ(ramp.TextMatrix(0, 2), "interval(sec) ");
    EXPECT_EQ(ramp.ColWidth(2), 1000);
}

TEST_F(Grids, BobFactors) {
    EXPECT_NEAR(kB1, 1.7022937, 1e-7);
    EXPECT_NEAR(bob::ShearRatePerRpm(BobRadius("B2", 0)), 0.3769580, 1e-7);
    EXPECT_NEAR(bob::ShearRatePerRpm(BobRadius("B5", 0)), 0.8502944, 1e-7);
    EXPECT_EQ(BobRadius("B9", 1.5), 1.5);
}

TEST_F(Grids, StoredStepsAsShown) {
    // CGS by speed.
    EXPECT_EQ(StepRowTexts(stepRow(200, 5, 10, 300), false, kB1),
              (QStringList{"1", "10.", "200.", "5", "10.", "300.", "1000", "50", "5", "1", "0"}));
    // By shear rate with bob B1: 300 rpm shows 510.688.
    EXPECT_EQ(StepRowTexts(stepRow(200, 5, 10, 300), true, kB1)[colSpeed], "510.688");
    // SI: 200 °F as 93.33, 5 °F as 3, 10 °F/min as 5.56; below 0 °F the marker -1.
    units(2);
    const QStringList si = StepRowTexts(stepRow(200, 5, 10, 300), false, kB1);
    EXPECT_EQ(si[colTemp], "93.33");
    EXPECT_EQ(si[colTempError], "3");
    EXPECT_EQ(si[colTempRate], "5.56");
    EXPECT_EQ(StepRowTexts(stepRow(-5, 0, 0, 0), false, kB1)[colTemp], "-1.");

    // Ramp entries: id, seq, step, speed, delay, interval.
    const RowArray entry{1, 1, 1, 100, 30, 20};
    EXPECT_EQ(RampDefineRowTexts(entry, false, kB1), (QStringList{"30", "100", "20"}));
    EXPECT_EQ(RampDefineRowTexts(entry, true, bob::ShearRatePerRpm(1.2276))[1], "37.696");
}

TEST_F(Grids, ShownStepsStoredBack) {
    InitStepGridHeader(grid);
    grid.Rows(2);
    const QStringList cells{"1", "10", "93.33", "3", "5.56", "510.688", "1000", "50", "5", "2", "1"};
    for (int c = 0; c < kStepCols; ++c) grid.TextMatrix(1, c, cells[c]);

    // SI: the temperature comes back to the whole °F it was loaded from.
    units(2);
    QVector<double> v = StepRowToStorage(grid, 1, true, kB1);
    EXPECT_EQ(v[colTemp], 200);
    EXPECT_EQ(v[colTempError], 5);
    EXPECT_DOUBLE_EQ(v[colTempRate], 10.01);
    EXPECT_DOUBLE_EQ(v[colSpeed], 510.688 / kB1);
    EXPECT_NEAR(v[colSpeed], 300, 0.001);
    EXPECT_EQ(v[colPress], 1000);
    EXPECT_EQ(v[colPressRate], 50);
    EXPECT_EQ(v[colInterval], 5);
    EXPECT_EQ(v[colCycle], 2);
    EXPECT_EQ(v[colRunRamp], 1);
    grid.TextMatrix(1, colTemp, "-17.8");  // 0.0 °F
    EXPECT_EQ(StepRowToStorage(grid, 1, false, kB1)[colTemp], 0);

    // CGS: whole degrees, rates to two decimals, speeds as typed.
    units(1);
    grid.TextMatrix(1, colTemp, "93.6");
    grid.TextMatrix(1, colTempError, "2.5");
    grid.TextMatrix(1, colTempRate, "1.236");
    v = StepRowToStorage(grid, 1, false, kB1);
    EXPECT_EQ(v[colTemp], 94);
    EXPECT_EQ(v[colTempError], 3);
    EXPECT_DOUBLE_EQ(v[colTempRate], 1.24);
    EXPECT_DOUBLE_EQ(v[colSpeed], 510.688);
}

TEST_F(Grids, SaveRangeChecks) {
    struct Case {
        int col;
        QString text;
        bool bySR;
        QString message;  // empty: passes
    };
    const QList<Case> cases{
        {colTemp, "601", false, "Temperature input out of range."},
        {colTemp, "600", false, ""},
        {colTemp, "-1", false, "Temperature input out of range."},
        {colSpeed, "600", false, ""},
        {colSpeed, "600.01", false, "Speed input out of range."},
        {colSpeed, "-0.00005", false, ""},
        {colSpeed, "-0.001", false, "Speed input out of range."},
        {colSpeed, "1021.376", true, ""},
        {colSpeed, "1021.4", true, "Shear Rate input out of range."},
        {colPress, "-100", false, "Pressure input out of range."},  // no pressure below 0
        {colPress, "0", false, ""},
        {colPress, "30001", false, "Pressure input out of range."},
        {colCycle, "0", false, "Cycle no. input out of range."},
        {colCycle, "", false, "Cycle no. input out of range."},
        // What a run can hold: its clock, and a plan a laboratory could run.
        {colCycle, "10000", false, ""},
        {colCycle, "10001", false, "Step 2: the cycle count 10001 is beyond what a run can hold (at most 10000)."},
        {colCycle, "1e300", false, "Step 2: the cycle count 1E+300 is beyond what a run can hold (at most 10000)."},
        {colElapse, "71582", false, ""},
        {colElapse, "1e9", false,
         "Step 2: the step time (min) 1000000000 is beyond what a run can hold (at most 71582)."},
        {colInterval, "4294968", false,
         "Step 2: the record interval (sec) 4294968 is beyond what a run can hold (at most 4294967)."},
    };
    for (const Case& c : cases) {
        steps({{"1", "10", "100", "0", "0", "300", "0", "0", "1", "1", "0"},
               {"2", "10", "100", "0", "0", "300", "0", "0", "1", "1", "0"}});
        grid.TextMatrix(2, c.col, c.text);
        const auto failure = ValidateStepGrid(grid, c.bySR, kB1);
        if (c.message.isEmpty()) {
            EXPECT_FALSE(failure) << c.col << " " << c.text.toStdString();
            continue;
        }
        ASSERT_TRUE(failure) << c.col << " " << c.text.toStdString();
        EXPECT_EQ(failure->message, c.message);
        EXPECT_EQ(failure->row, 2);
        EXPECT_EQ(failure->col, c.col);
        EXPECT_EQ(grid.Row(), 2);  // the failing cell is current
        EXPECT_EQ(grid.Col(), c.col);
    }
    // The ramp-define rows Save stores, down to the first empty time.
    FlexGridModel ramps;
    ramps.Rows(kRampDefineRows);
    ramps.Cols(3);
    ramps.TextMatrix(1, 0, "30");
    ramps.TextMatrix(1, 2, "5");
    ramps.TextMatrix(2, 0, "1e7");
    const auto rampFailure = ValidateRampDefineGrid(ramps, false, kB1);
    ASSERT_TRUE(rampFailure);
    EXPECT_EQ(rampFailure->message,
              "Ramp step 2: the ramp time (sec) 10000000 is beyond what a run can hold (at most 4294967).");
    EXPECT_EQ(rampFailure->row, 2);
    ramps.TextMatrix(2, 0, "");  // ends the stored rows: what lies below is not stored
    ramps.TextMatrix(3, 0, "1e7");
    EXPECT_FALSE(ValidateRampDefineGrid(ramps, false, kB1));

    // SI limits: -18 to 316 °C.
    units(2);
    steps({{"1", "10", "316", "0", "0", "300", "0", "0", "1", "1", "0"}});
    EXPECT_FALSE(ValidateStepGrid(grid, false, kB1));
    grid.TextMatrix(1, colTemp, "317");
    EXPECT_TRUE(ValidateStepGrid(grid, false, kB1));
}

TEST_F(Grids, StepBuilderFillsIdenticalSteps) {
    steps({{"1"}, {"2"}, {"3"}, {"4"}, {"5"}});
    BuilderEntry e;
    e.txtTotalSteps = "3";
    e.txtTemp = "150";
    e.txtTempRate = "2.5";
    e.txtSpeed = "300";
    e.txtCycle = "1";
    ASSERT_FALSE(CheckBuilderEntry(e, false, kB1));
    FillStepsFromEntry(grid, e);
    ASSERT_EQ(grid.Rows(), 4);
    for (int r = 1; r <= 3; ++r) {
        QStringList row;
        for (int c = 0; c < kStepCols; ++c) row << grid.TextMatrix(r, c);
        EXPECT_EQ(row, (QStringList{QString::number(r), "0", "150", "0", "2.5", "300.", "0", "0", "0", "1", "0"}));
    }
    e.txtTempError = "1.5";
    e.txtPressure = "149.5";
    FillStepsFromEntry(grid, e);
    EXPECT_EQ(grid.TextMatrix(1, colTempError), "2");
    EXPECT_EQ(grid.TextMatrix(1, colPress), "150");
}

TEST_F(Grids, StepBuilderChecks) {
    struct Case {
        BuilderEntry e;
        bool bySR;
        QString message;  // empty: passes
        QString box;
    };
    auto entry = [](QString total, QString temp, QString press, QString cycle, QString speed) {
        BuilderEntry e;
        e.txtTotalSteps = total;
        e.txtTemp = temp;
        e.txtPressure = press;
        e.txtCycle = cycle;
        e.txtSpeed = speed;
        return e;
    };
    const QList<Case> cases{
        {entry("0", "100", "0", "1", "300"), false, "You must input the total number of steps.", "txtTotalSteps"},
        {entry("", "100", "0", "1", "300"), false, "You must input the total number of steps.", "txtTotalSteps"},
        {entry("abc", "100", "0", "1", "300"), false, "You must input the total number of steps.", "txtTotalSteps"},
        {entry("32767", "100", "0", "1", "300"), false, "", ""},
        {entry("1000000000", "100", "0", "1", "300"), false,
         "Total number of steps out of range. It can not be over 32767", "txtTotalSteps"},
        {entry("2", "600", "30000", "1", "600"), false, "", ""},
        {entry("2", "0", "0", "1", "-0.0001"), false, "", ""},
        {entry("2", "601", "0", "1", "300"), false, "Temperature input out of range. temperature can not over 600",
         "txtTemp"},
        {entry("2", "100", "30001", "1", "300"), false, "Pressure input out of range.pressure can not over 30000",
         "txtPressure"},
        {entry("2", "100", "-1", "1", "300"), false, "Pressure input out of range.pressure can not over 30000",
         "txtPressure"},
        {entry("2", "100", "0", "-1", "300"), false, "Cycle input out of range.", "txtCycle"},
        {entry("2", "100", "0", "0", "300"), false, "Cycle input out of range.", "txtCycle"},  // at least 1, as Save
        {entry("2", "100", "0", "1", "600.0001"), false, "Speed input out of range.", "txtSpeed"},
        {entry("2", "100", "0", "1", "1021.4"), true, "Shear rate input out of range.", "txtSpeed"},
    };
    for (const Case& c : cases) {
        const auto failure = CheckBuilderEntry(c.e, c.bySR, kB1);
        if (c.message.isEmpty()) {
            EXPECT_FALSE(failure) << failure->message.toStdString();
            continue;
        }
        ASSERT_TRUE(failure) << c.message.toStdString();
        EXPECT_EQ(failure->message, c.message);
        EXPECT_EQ(failure->box, c.box);
    }
}

TEST_F(Grids, RateSignsFollowTheDirectionOfChange) {
    auto three = [&] {
        steps({{"1", "", "100", "", "5", "", "1000", "10"},
               {"2", "", "200", "", "5", "", "2000", "10"},
               {"3", "", "150", "", "5", "", "3000", "10"}});
    };
    auto edit = [&](int r, int c, const QString& text) {
        grid.Row(r);
        grid.Col(c);
        CommitStepCell(grid, text);
    };

    // Step 2 down to 50: step 2 falls (rate -5), step 3 rises from it (5).
    three();
    edit(2, colTemp, "50");
    EXPECT_EQ(column(colTempRate), (QStringList{"5", "-5", "5"}));
    EXPECT_EQ(grid.TextMatrix(2, colTemp), "50");
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(grid.Col(), colTemp);

    // Equal to the next temperature: the next rate is left alone.
    three();
    grid.TextMatrix(3, colTempRate, "-5");
    edit(2, colTemp, "150");
    EXPECT_EQ(column(colTempRate), (QStringList{"5", "5", "-5"}));

    // Equal to the next pressure counts as rising.
    three();
    grid.TextMatrix(3, colPressRate, "-10");
    edit(2, colPress, "3000");
    EXPECT_EQ(column(colPressRate), (QStringList{"10", "10", "10"}));
    edit(2, colPress, "500");
    EXPECT_EQ(column(colPressRate), (QStringList{"10", "-10", "10"}));

    // A typed rate takes the direction's sign.
    three();
    edit(2, colTempRate, "-4");
    EXPECT_EQ(grid.TextMatrix(2, colTempRate), "4");
    edit(3, colTempRate, "4");
    EXPECT_EQ(grid.TextMatrix(3, colTempRate), "-4");
    edit(3, colPressRate, "-2.5");
    EXPECT_EQ(grid.TextMatrix(3, colPressRate), "2.5");

    // Step 1 and the other columns take the text as typed.
    three();
    edit(1, colTempRate, "-7");
    edit(1, colTemp, "500");
    edit(2, colSpeed, "abc");
    EXPECT_EQ(grid.TextMatrix(1, colTempRate), "-7");
    EXPECT_EQ(grid.TextMatrix(1, colTemp), "500");
    EXPECT_EQ(grid.TextMatrix(2, colSpeed), "abc");
    EXPECT_EQ(grid.TextMatrix(2, colTempRate), "5");

    // A neighbour (or the edited cell) that holds no number gives no
    // direction: the signs stay as they were, none read from an empty cell as 0.
    three();
    grid.TextMatrix(1, colTemp, "");
    edit(2, colTempRate, "4");  // no temperature before it
    EXPECT_EQ(grid.TextMatrix(2, colTempRate), "4");
    grid.TextMatrix(3, colTempRate, "-5");
    edit(2, colTemp, "300");  // the next step falls from here; nothing before
    EXPECT_EQ(column(colTempRate), (QStringList{"5", "4", "-5"}));
    three();
    grid.TextMatrix(3, colPress, "abc");
    edit(2, colPress, "2500");  // rising from step 1; the next holds text
    EXPECT_EQ(column(colPressRate), (QStringList{"10", "10", "10"}));
    edit(3, colPressRate, "7");
    EXPECT_EQ(grid.TextMatrix(3, colPressRate), "7");
    three();
    edit(2, colTemp, "");  // emptied: neither its own rate nor the next one flips
    EXPECT_EQ(column(colTempRate), (QStringList{"5", "5", "5"}));
    edit(2, colPress, "n/a");
    EXPECT_EQ(column(colPressRate), (QStringList{"10", "10", "10"}));
}

TEST_F(Grids, InsertBeforeAndAfter) {
    NewStep s;
    s.time = 10;
    s.Temp = 150;
    s.TempRampRate = -5;

    numbered(5);
    EXPECT_EQ(InsertStep(grid, 3, true, s), 3);
    EXPECT_EQ(markers(), (QStringList{"s1", "s2", " 10", "s3", "s4", "s5"}));
    EXPECT_EQ(column(colStepNo), (QStringList{" 1", " 2", " 3", " 4", " 5", " 6"}));
    QStringList inserted;
    for (int c = 1; c < kStepCols; ++c) inserted << grid.TextMatrix(3, c);
    EXPECT_EQ(inserted, (QStringList{" 10", " 150", " 0", "-5", " 0", " 0", " 0", " 0", " 0", " 0"}));

    numbered(5);
    EXPECT_EQ(InsertStep(grid, 3, false, s), 4);
    EXPECT_EQ(markers(), (QStringList{"s1", "s2", "s3", " 10", "s4", "s5"}));

    // Positions beyond the grid go to its nearest end; an empty grid takes
    // the step either way.
    numbered(2);
    EXPECT_EQ(InsertStep(grid, 9, false, s), 3);
    EXPECT_EQ(InsertStep(grid, -4, true, s), 1);
    EXPECT_EQ(markers(), (QStringList{" 10", "s1", "s2", " 10"}));
    numbered(0);
    EXPECT_EQ(InsertStep(grid, 1, false, s), 1);
    EXPECT_EQ(grid.Rows(), 2);
}

TEST_F(Grids, PasteCopiesOfARange) {
    StepBuffer buffer;
    // Steps 2-3 after step 3 of 4.
    numbered(4);
    ASSERT_TRUE(PasteSteps(grid, buffer, 2, 3, 3, 0, 120, 500));
    EXPECT_EQ(markers(), (QStringList{"s1", "s2", "s3", "s2", "s3", "s4"}));
    EXPECT_EQ(column(colStepNo), (QStringList{" 1", " 2", " 3", " 4", " 5", " 6"}));
    EXPECT_EQ(column(colTemp), (QStringList{"", "", "", "120", "120", ""}));
    EXPECT_EQ(column(colPress), (QStringList{"", "", "", "500", "500", ""}));

    // Before step 2; empty boxes give "0".
    numbered(4);
    ASSERT_TRUE(PasteSteps(grid, buffer, 2, 3, 2, 1, 0, 0));
    EXPECT_EQ(markers(), (QStringList{"s1", "s2", "s3", "s2", "s3", "s4"}));
    EXPECT_EQ(column(colTemp), (QStringList{"", "0", "0", "", "", ""}));

    // One step; a paste inside the copied range.
    numbered(3);
    ASSERT_TRUE(PasteSteps(grid, buffer, 2, 2, 3, 0, 0, 0));
    EXPECT_EQ(markers(), (QStringList{"s1", "s2", "s3", "s2"}));
    numbered(3);
    ASSERT_TRUE(PasteSteps(grid, buffer, 1, 3, 2, 0, 0, 0));
    EXPECT_EQ(markers(), (QStringList{"s1", "s2", "s1", "s2", "s3", "s3"}));

    // Steps that do not exist are refused and nothing changes.
    numbered(3);
    EXPECT_FALSE(PasteSteps(grid, buffer, 3, 2, 1, 0, 0, 0));
    EXPECT_FALSE(PasteSteps(grid, buffer, 2, 4, 1, 0, 0, 0));
    EXPECT_FALSE(PasteSteps(grid, buffer, 1, 1, 7, 0, 0, 0));
    EXPECT_FALSE(PasteSteps(grid, buffer, 0, 1, 1, 0, 0, 0));
    EXPECT_EQ(markers(), (QStringList{"s1", "s2", "s3"}));
}

TEST_F(Grids, DeleteStepsAndTheCurrentStep) {
    StepBuffer buffer;
    numbered(5);
    ASSERT_TRUE(DeleteSteps(grid, buffer, 2, 3));
    EXPECT_EQ(markers(), (QStringList{"s1", "s4", "s5"}));
    EXPECT_EQ(column(colStepNo), (QStringList{" 1", " 2", " 3"}));
    ASSERT_TRUE(DeleteSteps(grid, buffer, 1, 3));
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(grid.TextMatrix(0, 0), "Step No");

    numbered(3);
    EXPECT_FALSE(DeleteSteps(grid, buffer, 2, 4));
    EXPECT_FALSE(DeleteSteps(grid, buffer, 3, 2));
    EXPECT_EQ(grid.Rows(), 4);

    grid.Row(2);
    ASSERT_TRUE(DeleteCurrentStep(grid));
    EXPECT_EQ(markers(), (QStringList{"s1", "s3"}));
    EXPECT_EQ(column(colStepNo), (QStringList{" 1", " 2"}));
    grid.Row(0);
    EXPECT_FALSE(DeleteCurrentStep(grid));
    EXPECT_EQ(grid.Rows(), 3);
}

TEST_F(Grids, StepDialogChecks) {
    auto entry = [] {
        InsertEntry e;
        e.txtTime = "10";
        e.txtTemp = "150";
        e.txtRunRamp = "0";
        e.txtShearrate = "300";
        e.txtcycle = "1";
        return e;
    };
    struct Case {
        QString InsertEntry::*box;
        QString text;
        bool srMode;
        QString message, title, focus;
    };
    const QList<Case> cases{
        {&InsertEntry::txtTime, "60001", false, "Invalid time input", "Time input out of range", "txtTime"},
        {&InsertEntry::txtTemp, "601", false, "Invalid temperature input", "Temperature input out of range",
         "txtTemp"},
        {&InsertEntry::txtTempRate, "-1", false, "Invalid TempRamp Rate input", "", "txtTempRate"},
        {&InsertEntry::txtPress, "30001", false, "Invalid pressure input", "Pressure input out of range", "txtPress"},
        {&InsertEntry::txtPressRate, "-1", false, "Invalid Press Rate input", "", "txtPressRate"},
        {&InsertEntry::txtRate, "-1", false, "Invalid data recording interval input",
         "Data recording rate input out of range", "txtRate"},
        {&InsertEntry::txtcycle, "-1", false, "Invalid Cycle input, must > 0", "", "txtcycle"},
        {&InsertEntry::txtcycle, "0", false, "Invalid Cycle input, must > 0", "", "txtcycle"},  // at least 1, as Save
        {&InsertEntry::txtcycle, "1", false, "", "", ""},
        {&InsertEntry::txtRunRamp, "2", false, "Invalid Run Ramp input, only '0' or '1'", "", "txtRunRamp"},
        {&InsertEntry::txtShearrate, "600.5", false, "Invalid speed input", "RPM input out of range",
         "txtShearrate"},
        {&InsertEntry::txtShearrate, "600.5", true, "", "", ""},
        {&InsertEntry::txtShearrate, "1021.4", true, "Invalid shear rate input", "Shear rate input out of range",
         "txtShearrate"},
    };
    for (const Case& c : cases) {
        InsertEntry e = entry();
        e.*c.box = c.text;
        const auto failure = CheckInsertEntry(e, c.srMode, kB1);
        if (c.message.isEmpty()) {
            EXPECT_FALSE(failure) << c.text.toStdString();
            continue;
        }
        ASSERT_TRUE(failure) << c.message.toStdString();
        EXPECT_EQ(failure->message, c.message);
        EXPECT_EQ(failure->title, c.title);
        EXPECT_EQ(failure->box, c.focus);
    }

    EXPECT_EQ(CheckCopyPaste(3, 2, 0, 0)->message,
              "Copied steps should be listed in order from lower to higher numbered steps");
    EXPECT_FALSE(CheckCopyPaste(2, 2, 0, 0));
    EXPECT_EQ(CheckCopyPaste(2, 2, -500, 0)->message, "Invalid new target pressure");  // no pressure below 0
    EXPECT_EQ(CheckCopyPaste(1, 2, 30001, 0)->title, "New target pressure input invalid");
    EXPECT_EQ(CheckCopyPaste(1, 2, 0, 601)->message, "Invalid new target temperature");
    EXPECT_EQ(CheckDeleteSteps(3, 2)->message,
              "Deleted steps should be listed in order from lower to higher numbered steps");
    EXPECT_FALSE(CheckDeleteSteps(2, 2));
}

}  // namespace
