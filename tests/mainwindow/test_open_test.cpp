// Opening a stored test without a window: the kind by BOB_NO, the opened-test
// fields and the additive grid.

#include "MainWindowFixture.h"

#include "data/clsConnection.h"
#include "data/clsTEST_ADDITIVE.h"
#include "data/clsTEST_INFO.h"
#include "mainwindow/OpenTest.h"
#include "platform/FlexGrid.h"

#include <cmath>

using testing_support::DataFolderTest;
using testing_support::Seeder;

namespace {

RowArray infoRow(const QVariant& bob, const QVariant& rotor, const QVariant& radius, const QVariant& length) {
    RowArray row(clsTEST_INFO::kRowArraySize);
    row[clsTEST_INFO::colTEST_ID] = 7.0;
    row[clsTEST_INFO::colTEST_NAME] = QStringLiteral("T");
    row[clsTEST_INFO::colROTOR_NO] = rotor;
    row[clsTEST_INFO::colBOB_NO] = bob;
    row[clsTEST_INFO::colBOB_RADIUS] = radius;
    row[clsTEST_INFO::colBOB_EFF_LENGTH] = length;
    return row;
}

}  // namespace

TEST(OpenTest, RheologySetsOnlyItsOwnField) {
    OpenedTest t;
    t.PvtPistonRadius = 1;
    t.CuriniV = 2;
    t.CuriniD = 3;
    t.LsmSampleLength = 4;
    t.TestType = 2;
    EXPECT_EQ(ApplyTestKind(t, infoRow("B1", "R1", 1.7245, 3.8)), TestKind::Rheology);
    EXPECT_EQ(t.TestType, 0);
    EXPECT_NEAR(t.ShearRatePerRpm, 1.70229, 1e-5);
    EXPECT_EQ(t.PvtPistonRadius, 1);
    // A bob as wide as the cup gives no rate rather than an infinite one.
    ApplyTestKind(t, infoRow("B1", "R1", 1.8415, 3.8));
    EXPECT_EQ(t.ShearRatePerRpm, 0.0);
    EXPECT_EQ(t.CuriniV, 2);
    EXPECT_EQ(t.CuriniD, 3);
    EXPECT_EQ(t.LsmSampleLength, 4);
}

TEST(OpenTest, PvtValuesThatAreNotPositiveBecomeZero) {
    OpenedTest t;
    EXPECT_EQ(ApplyTestKind(t, infoRow("PVT", " 0.75 cm", 45.5, 1.2)), TestKind::Pvt);
    EXPECT_EQ(t.TestType, 1);
    EXPECT_DOUBLE_EQ(t.PvtPistonRadius, 0.75);
    EXPECT_DOUBLE_EQ(t.CuriniV, 45.5);
    EXPECT_DOUBLE_EQ(t.CuriniD, 1.2);

    // The next PVT test has none of the three: nothing of the previous test stays.
    struct Case {
        QVariant rotor, radius, length;
    } cases[] = {
        {QStringLiteral("R1"), 0.0, 0.0},
        {QStringLiteral("-2"), -1.0, -0.5},
        {QVariant(), QVariant(), QVariant()},
    };
    for (const auto& c : cases) {
        t.PvtPistonRadius = 0.75;
        t.CuriniV = 45.5;
        t.CuriniD = 1.2;
        t.ShearRatePerRpm = 9;
        ApplyTestKind(t, infoRow("PVT", c.rotor, c.radius, c.length));
        EXPECT_EQ(t.PvtPistonRadius, 0.0);
        EXPECT_EQ(t.CuriniV, 0.0);
        EXPECT_EQ(t.CuriniD, 0.0);
        EXPECT_EQ(t.ShearRatePerRpm, 9);
    }
}

TEST(OpenTest, StoredNullsAreMissingNotDefaults) {
    // The record class reads a null cell as its default; the stored row tells.
    const RowArray info = infoRow("PVT", "R1", 1.5987, 3.8);
    RowArray stored = infoRow("PVT", QVariant(), QVariant(), QVariant());
    OpenedTest t;
    t.CuriniV = 45;
    t.CuriniD = 1.2;
    ApplyTestKind(t, info, &stored);
    EXPECT_EQ(t.CuriniV, 0.0);
    EXPECT_EQ(t.CuriniD, 0.0);
    ApplyTestKind(t, info);  // without it the defaults are taken
    EXPECT_DOUBLE_EQ(t.CuriniV, 1.5987);

    ApplyTestKind(t, infoRow("LSM", "R1", 1.5987, 3.8), &stored);
    EXPECT_DOUBLE_EQ(t.LsmSampleLength, 0.001);

    RowCache cache(3);
    cache[0] = {1, 2};
    cache[1] = {QVariant(), "b"};
    const RowArray row = StoredRow(cache, 0);
    ASSERT_EQ(row.size(), 3);
    EXPECT_EQ(row[0].toInt(), 1);
    EXPECT_TRUE(row[1].isNull());
    EXPECT_FALSE(row[2].isValid());
}

TEST(OpenTest, SwellLengthIsStoredInInchesInEitherUnitSystem) {
    testing_support::SavedSettings saved;
    OpenedTest t;
    gUnitSystem = 1;
    EXPECT_EQ(ApplyTestKind(t, infoRow("LSM", "", 0, 0.5)), TestKind::Lsm);
    EXPECT_EQ(t.TestType, 2);
    EXPECT_DOUBLE_EQ(t.LsmSampleLength, 0.5);

    gUnitSystem = 2;  // shown in mm, stored in inches all the same
    ApplyTestKind(t, infoRow("LSM", "", 0, 0.5));
    EXPECT_DOUBLE_EQ(t.LsmSampleLength, 0.5);

    for (const QVariant& length : {QVariant(0.0), QVariant(-3.0), QVariant()}) {
        t.LsmSampleLength = 7;
        ApplyTestKind(t, infoRow("LSM", "", 0, length));
        EXPECT_DOUBLE_EQ(t.LsmSampleLength, 0.001);
    }
}

TEST(OpenTest, NoKindChangesNothing) {
    OpenedTest t;
    t.TestType = 1;
    t.PvtPistonRadius = 0.5;
    EXPECT_EQ(ApplyTestKind(t, infoRow(QVariant(), "R1", 1.0, 1.0)), TestKind::None);
    EXPECT_EQ(t.TestType, 1);
    EXPECT_EQ(t.PvtPistonRadius, 0.5);
}

class AdditiveGridTest : public DataFolderTest {};

TEST_F(AdditiveGridTest, OneRowPerAdditiveWithSignedConcentration) {
    qint64 id = 0;
    qint64 other = 0;
    {
        Seeder seed(db_.path());
        id = seed.test("A", "B1");
        other = seed.test("B", "B1");
        seed.additive(id, "KCl", 5, "%", "L1");
        seed.additive(id, "Bar", 0, "ppb", "");
        seed.additive(id, "Neg", -1.5, "g", "L3");
        seed.additive(other, "Other", 1, "g", "X");
    }
    clsConnection connection;
    connection.OpenDB();
    clsTEST_ADDITIVE additives;
    FlexGridModel grid;
    grid.FormatString("<Additive Name|<Concentration|<Units|<Lot Number");
    grid.Rows(5);
    grid.TextMatrix(4, 0, "stale");

    FillAdditiveGrid(grid, additives, &connection, qint32(id));
    ASSERT_EQ(grid.Rows(), 4);
    EXPECT_EQ(grid.TextMatrix(0, 0), "Additive Name");  // the header is left alone
    EXPECT_EQ(grid.TextMatrix(1, 0), "KCl");
    EXPECT_EQ(grid.TextMatrix(1, 1), " 5");
    EXPECT_EQ(grid.TextMatrix(1, 2), "%");
    EXPECT_EQ(grid.TextMatrix(1, 3), "L1");
    EXPECT_EQ(grid.TextMatrix(2, 1), " 0");
    EXPECT_EQ(grid.TextMatrix(3, 1), "-1.5");

    // A test without additives leaves the header only.
    FillAdditiveGrid(grid, additives, &connection, qint32(id + other + 10));
    EXPECT_EQ(grid.Rows(), 1);
}

TEST_F(AdditiveGridTest, ClosedConnectionFails) {
    clsConnection connection;  // never opened
    clsTEST_ADDITIVE additives;
    FlexGridModel grid;
    EXPECT_THROW(FillAdditiveGrid(grid, additives, &connection, 1), db::DbError);
}
