// Data folder files found without regard to letter case.

#include "data/DataFiles.h"
#include "data/Globals.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
void touch(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}
}  // namespace

TEST(DataFiles, FoundIgnoringCaseExactNameFirst) {
    const QString old = gAppPath;
    QTemporaryDir dir;
    gAppPath = dir.path();

    // Missing: the path under the name given, for a writer.
    EXPECT_EQ(FindDataFile("CALIsmal.dat"), dir.filePath("CALIsmal.dat"));

    touch(dir.filePath("Zadizezaru.BMP"));
    EXPECT_EQ(FindDataFile(kReportLogoFileName), dir.filePath("Zadizezaru.BMP"));

    touch(dir.filePath("zadizezaru.bmp"));
    EXPECT_EQ(FindDataFile(kReportLogoFileName), dir.filePath("zadizezaru.bmp"));
    gAppPath = old;
}
