// The printed reports on a real X server (ctest runs these XDisplay tests
// under xvfb-run, where the fonts are those of a desktop): Brief Print of a
// rheology, a PVT and a swell test to PDF files, and the first page of each
// as a picture in build/screenshots/ to look at. Without an X display the
// tests skip.

#include "ReportFixture.h"

#include "analysis/ResultGridLines.h"
#include "support/Screenshots.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPushButton>
#include <QStandardPaths>
#include <iostream>

using namespace report_tests;

using testing_support::ScreenshotPath;

namespace {

class XDisplayReports : public ReportTest {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X server (run under xvfb-run)";
        if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty()) GTEST_SKIP() << "pdftoppm missing";
        ReportTest::SetUp();
        writeLogo();
    }

    // Prints the opened test to <name>.pdf and its first page to <name>.png;
    // the page picture.
    QImage printTo(const QString& name) {
        const QString pdf = ScreenshotPath(name + ".pdf");
        QFile::remove(pdf);
        dialogs_.files.push_back(pdf);
        w->cmdPRINT->click();
        EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join('\n').toStdString();
        const QString base = ScreenshotPath(name);
        QProcess::execute(QStringLiteral("pdftoppm"),
                          {QStringLiteral("-r"), QStringLiteral("110"), QStringLiteral("-png"), QStringLiteral("-f"),
                           QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"), QStringLiteral("-singlefile"),
                           pdf, base});
        std::cout << "page: " << (base + ".png").toStdString() << '\n';
        return QImage(base + ".png");
    }

    // The picture is landscape and its right quarter holds print (no column
    // pushed off the page).
    static void expectWholeWidthUsed(const QImage& page) {
        ASSERT_FALSE(page.isNull());
        EXPECT_GT(page.width(), page.height());
        int dark = 0;
        for (int y = 0; y < page.height(); y += 2)
            for (int x = page.width() * 3 / 4; x < page.width(); ++x) dark += qGray(page.pixel(x, y)) < 128;
        EXPECT_GT(dark, 0);
    }
};

TEST_F(XDisplayReports, BriefPrintOfEachTestKind) {
    const double R = ShearRatePerRpmFor(1.7245);
    std::vector<Point> rheology;
    for (int i = 1; i <= 45; ++i) {
        const double rpm = i == 2 ? 600 : i == 3 ? 300 : 100 + i;
        const double dial = i == 2 ? 40 : i == 3 ? 25 : 10 + i * 0.5;
        rheology.push_back({double(i), 1, 0, 60.0 * i, 100.0 + i, 1000.0 + 10 * i, rpm * R, dial * 5.11, 0, 5.11});
    }
    StoredInfo mud;
    mud.name = "Mud HT-7";
    mud.description = "Water-based mud, aged 16 h at 250 °F";
    store(mud, rheology, {{"Bentonite", "6", "%", "B-12"}, {"Barite", "12.5", "ppb", "BA-3"}});
    openTest("Mud HT-7");
    expectWholeWidthUsed(printTo("brief-print-rheology"));

    StoredInfo pvt;
    pvt.name = "PVT Oil 2";
    pvt.bob = "PVT";
    pvt.rotor = "1.5";
    pvt.radius = 100;
    pvt.length = 0.9;
    std::vector<Point> pvtPoints;
    for (int i = 1; i <= 30; ++i) pvtPoints.push_back({double(i), 1, 0, 60.0 * i, 80.0 + 4 * i, 500.0 * i, 10, 0.02 * i, 0, 1.2});
    store(pvt, pvtPoints);
    openTest("PVT Oil 2");
    expectWholeWidthUsed(printTo("brief-print-pvt"));

    StoredInfo lsm;
    lsm.name = "Shale S-4";
    lsm.bob = "LSM";
    lsm.rotor = "30";
    lsm.radius = 12.5;
    lsm.length = 0.5;
    std::vector<Point> lsmPoints;
    for (int i = 1; i <= 30; ++i) lsmPoints.push_back({1, double(i), 0, 600.0 * i, 150, 0, 0, 0.001 * i, 0, 1.5});
    store(lsm, lsmPoints);
    openTest("Shale S-4");
    expectWholeWidthUsed(printTo("brief-print-swell"));
}

}  // namespace
