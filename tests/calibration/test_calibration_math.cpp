// The calibration computations: the torque fit and report, the two-point
// segments, the report lines of the three tabs, the torque start's waits.

#include "calibration/CalibrationMath.h"
#include "calibration/CalibrationReports.h"
#include "calibration/ClockSeconds.h"
#include "calibration/TorqueReport.h"
#include "support/CsvRecords.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace calibration;

namespace {

TEST(CalibrationMath, TorqueFitSlopeInterceptAndMse) {
    const LineFit fit = FitLine({10, 20, 30}, {20, 41, 59});
    ASSERT_TRUE(fit.ok);
    EXPECT_NEAR(fit.slope, 1.95, 1e-12);
    EXPECT_NEAR(fit.intercept, 1.0, 1e-12);
    EXPECT_NEAR(fit.mse, 0.5, 1e-12);

    // No line: fewer than two points, or every angle equal.
    EXPECT_FALSE(FitLine({}, {}).ok);
    EXPECT_FALSE(FitLine({5}, {7}).ok);
    EXPECT_FALSE(FitLine({5, 5, 5}, {1, 2, 3}).ok);
    // A flat line is a line.
    const LineFit flat = FitLine({1, 2}, {4, 4});
    EXPECT_TRUE(flat.ok);
    EXPECT_EQ(flat.slope, 0);
    EXPECT_EQ(flat.mse, 0);
}

TEST(CalibrationMath, ReportSpeedsFromStressSteps) {
    EXPECT_EQ(ReportSpeeds({0, 0.05, 5, 10, 10.05, 8}), (std::vector<double>{0, 0, 10, 20, 20, 10}));
    EXPECT_TRUE(ReportSpeeds({}).empty());
    // At 600 rpm a rise takes 10 off.
    std::vector<double> rising;
    for (int i = 0; i <= 61; ++i) rising.push_back(i);
    EXPECT_EQ(ReportSpeeds(rising).back(), 590);
}

TorqueReportInput reportInput() {
    TorqueReportInput in;
    in.now = QDateTime(QDate(2026, 12, 10), QTime(14, 5, 6));
    in.unitText = "Unit 3";
    for (int i = 0; i <= 20; ++i) {
        in.tempCaptions << QString("%1 (Deg C)").arg(20 + i);
        in.setTexts << QString::number(100 - 2 * i);
    }
    in.viscLabel = "( cP )";
    in.stressLabel = "(dyn/cm2)";
    in.mse = 0.5;
    return in;
}

TEST(CalibrationMath, TorqueReportLines) {
    TorqueReportInput in = reportInput();
    // Third point: speed 20 rpm; 95 cP means stress 95 * 1.7023 * 20 / 100.
    in.stress = {10, 25.3, 95 * 1.7023 * 20 / 100};
    in.angle = {1.5, 3, 4};
    double temp = 0;
    const ReportLines r = TorqueReport(in, temp);
    ASSERT_TRUE(r.error.isEmpty()) << r.error.toStdString();
    EXPECT_NEAR(temp, 22.5, 1e-9);
    const QStringList& l = r.lines;
    EXPECT_EQ(l[0], "Torque Calibration Report for Z3080 Rheometer.");
    EXPECT_TRUE(l[2].startsWith("Calibration Time: ,"));
    EXPECT_EQ(l[3], "Instrument Unit:,Unit 3");
    EXPECT_EQ(l[5], "Calibration, Fluid Visc ( cP )");
    EXPECT_EQ(l[6], "20 (Deg C),100");
    EXPECT_EQ(l[26], "40 (Deg C),60");
    EXPECT_EQ(l.indexOf(QString("Temperature is ,22.5 \u00b0C")), 31);
    EXPECT_EQ(l[32], "Viscosity is ,95.0( cP )");
    EXPECT_EQ(l[34], "Speed (RPM),ShearStress(dyn/cm2),Angle (Deg)");
    EXPECT_EQ(l[35], " 0 , 10 , 1.5 ");
    EXPECT_EQ(l[36], " 10 , 25.3 , 3 ");
    EXPECT_EQ(l[39], "Mean square error is: 0.5");
    EXPECT_EQ(l.last(), "Recommended Mean square error value should be less than 750.");
}

TEST(CalibrationMath, TorqueReportStopsWhereItCannotGoOn) {
    // The third point runs at 20 rpm: a stress of v * 1.7023 * 20 / 100
    // measures v cP. The table falls from 100 cP at 20 (Deg C) to 60 at 40.
    auto measuring = [](double visc) { return std::vector<double>{0, 5, visc * 1.7023 * 20 / 100}; };
    QStringList rising;
    for (int i = 0; i <= 20; ++i) rising << QString::number(60 + 2 * i);
    struct Case {
        const char* what;
        std::vector<double> stress;
        QStringList table;  // empty: the falling table
        QStringList said;   // what the error names
    } cases[] = {
        {"no point", {}, {}, {}},
        {"two points", {1, 2}, {}, {}},
        {"no speed at the third point", {5, 5, 5}, {}, {}},
        {"equal viscosities around it", measuring(95), QStringList(21, "95"), {}},
        // No neighbouring pair of the table brackets the viscosity: no
        // temperature can be told, an older one is not this run's.
        {"above the table's highest", measuring(200), {}, {"200.0 cP", "above", "from 60 to 100 cP", "colder than 20"}},
        {"below the table's lowest", measuring(50), {}, {"50.0 cP", "below", "from 60 to 100 cP", "warmer than 40"}},
        {"a table that rises", measuring(80), rising, {"80.0 cP", "within", "must fall as the temperature rises"}},
    };
    for (const Case& c : cases) {
        TorqueReportInput in = reportInput();
        if (!c.table.isEmpty()) in.setTexts = c.table;
        in.stress = c.stress;
        in.angle.assign(c.stress.size(), 1.0);
        double temp = 7;
        const ReportLines r = TorqueReport(in, temp);
        EXPECT_FALSE(r.error.isEmpty()) << c.what;
        EXPECT_EQ(r.lines.size(), 29) << c.what;  // the head lines stay
        EXPECT_EQ(temp, 7) << c.what;
        for (const QString& part : c.said)
            EXPECT_TRUE(r.error.contains(part)) << c.what << ": no \"" << part.toStdString() << "\" in "
                                                << r.error.toStdString();
    }
}

// A wait of n seconds ends at the n-th whole second after it began, also
// across the minute (at second 59.5 a wait of 2 ends at second 1).
TEST(CalibrationMath, SecondsWaitEndsAtTheNthChangeOfTheSeconds) {
    struct Case {
        QTime now;
        int n;
        int ms;
    } cases[] = {
        {QTime(10, 0, 10, 0), 1, 1000},   {QTime(10, 0, 10, 300), 1, 700}, {QTime(10, 0, 10, 999), 2, 1001},
        {QTime(10, 0, 59, 500), 2, 1500}, {QTime(23, 59, 59, 900), 1, 100},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MsUntilSecondsChanged(c.now, c.n), c.ms) << c.now.toString("hh:mm:ss.zzz").toStdString() << " " << c.n;
}

TEST(CalibrationMath, SwellSegmentsOfOneTwoFourVolts) {
    const double x1 = std::log10(1.0), x2 = std::log10(2.0), x3 = std::log10(4.0);
    const auto s1 = SegmentThrough(x1, 0.4, x2, 0.65);
    const auto s2 = SegmentThrough(x2, 0.65, x3, 0.9);
    ASSERT_TRUE(s1 && s2);
    EXPECT_NEAR(s1->intercept, 0.4, 1e-15);
    EXPECT_NEAR(s1->slope, 0.830482023721841, 1e-14);
    EXPECT_NEAR(s2->intercept, 0.4, 1e-14);
    EXPECT_NEAR(s2->slope, 0.830482023721841, 1e-14);
    EXPECT_FALSE(SegmentThrough(x2, 0.4, x2, 0.65));  // the same voltage twice
}

// The torque and swell calibration reports are CSV files: the time and the
// date of the calibration are one field each in whatever form the system
// writes them, though a long date holds a comma in most languages ("Friday,
// 11 December 2026", "Freitag, 11. Dezember 2026").
TEST(CalibrationMath, TheCalibrationTimeAndDateAreOneFieldEach) {
    TorqueReportInput torque = reportInput();
    ASSERT_TRUE(LongDateText(torque.now).contains(',')) << LongDateText(torque.now).toStdString();
    double temp = 0;
    SwellReportInput swell;
    swell.now = torque.now;
    const struct {
        const char* report;
        QString line;
        QString label;
    } cases[] = {{"torque", TorqueReport(torque, temp).lines.value(2), "Calibration Time: "},
                 {"swell", SwellReport(swell).value(2), "Calibration Time:  "}};
    for (const auto& c : cases) {
        QString error;
        const auto records = testing_support::readRfc4180(c.line.toLatin1() + "\r\n", &error);
        ASSERT_TRUE(records) << c.report << ": " << error.toStdString();
        EXPECT_EQ(records->value(0),
                  (QStringList{c.label, LongTimeText(torque.now), LongDateText(torque.now)}))
            << c.report << ": " << c.line.toStdString();
    }
}

TEST(CalibrationMath, PrintZonesAndTheSwellAndPistonReports) {
    EXPECT_EQ(ToNextPrintZone("Position 1 "), "Position 1    ");
    EXPECT_EQ(ToNextPrintZone("").size(), 14);
    EXPECT_EQ(ToNextPrintZone("12345678901234").size(), 28);

    SwellReportInput s;
    s.unitDigit = "3";
    const QStringList head = SwellReport(s);
    EXPECT_EQ(head.size(), 8);
    EXPECT_EQ(head[0], "Calibration Report of Z3080_LSM test. ");
    EXPECT_EQ(head[4], "Unit No.: ,3");
    s.withData = true;
    s.lengths = {"0.4", "0.65", "0.9"};
    s.logVolts = {"0", "0.301029995663981", "0.602059991327962"};
    s.constants = {"0.4", "0.83048", "0.4", "0.83048"};
    const QStringList full = SwellReport(s);
    EXPECT_EQ(full[6], "Data ,Volt ");
    EXPECT_EQ(full[8], "0.65,0.301029995663981");
    EXPECT_EQ(full[11], "Factor ");
    EXPECT_EQ(full[12], "0.4           0.83048");

    PistonReportInput p;
    p.unitText = "2";
    p.pistonText = "Small piston";
    p.positionCaptions = {"Position 1 ", "Position 4  "};
    p.logReadings = {"2", "3.5"};
    const QStringList l = PistonReport(p);
    EXPECT_EQ(l[0], "Calibration Report for Z3080 PVT Test.");
    EXPECT_EQ(l[3], "Instrument Unit: 2");
    EXPECT_EQ(l[4], "Piston Type: Small piston");
    EXPECT_EQ(l[6], "                   data");
    EXPECT_EQ(l[7], "Position 1    2");
    EXPECT_EQ(l[8], "Position 4    3.5");
    EXPECT_EQ(l[9], "          ");
}

// The reports of the three tabs are written whole or not at all: a write
// that fails part way (here the disk takes no more than 100 bytes) leaves
// a report of that name as it was, and leaves no new file.
TEST(CalibrationMath, AReportThatCannotBeWrittenWholeLeavesTheFileBefore) {
    QTemporaryDir dir;
    const QString earlier = dir.filePath("earlier.csv");
    const QString fresh = dir.filePath("fresh.csv");
    {
        QFile f(earlier);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("an earlier report\r\n");
    }
    const QStringList lines(2000, QStringLiteral("20 (Deg C),100"));
    QString errorEarlier, errorFresh;
    bool wroteEarlier = true, wroteFresh = true;
    {
        rlimit before{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
        void (*handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = before;
        small.rlim_cur = 100;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        wroteEarlier = WriteReportLines(earlier, lines, errorEarlier);
        wroteFresh = WriteReportLines(fresh, lines, errorFresh);
        setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, handler);
    }
    EXPECT_FALSE(wroteEarlier);
    EXPECT_TRUE(errorEarlier.startsWith(earlier + ": ")) << errorEarlier.toStdString();
    QFile f(earlier);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "an earlier report\r\n");
    EXPECT_FALSE(wroteFresh);
    EXPECT_FALSE(QFile::exists(fresh));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"earlier.csv"});  // no file left behind

    // Written whole, it replaces the report before.
    QString error;
    ASSERT_TRUE(WriteReportLines(earlier, {"a", "b"}, error)) << error.toStdString();
    f.close();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "a\r\nb\r\n");
}

}  // namespace
