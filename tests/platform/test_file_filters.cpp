// The one rule by which a name typed into a save dialog gets its extension:
// the extension of the filter entry the dialog shows, when that entry is one
// pattern of one extension and the name has none; the seam applies it to
// every save dialog (never to an open dialog).

#include "platform/Dialogs.h"
#include "platform/FileFilters.h"
#include "support/ScriptedDialogs.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kCsv = QStringLiteral("All Files (*.*)|*.*|Text Files(*.csv)|*.csv");

TEST(FileFilters, ANameWithoutExtensionTakesTheChosenFiltersOne) {
    const QTemporaryDir dir;
    const struct {
        QString path, filter;
        int index;
        QString expected;
    } cases[] = {
        {"/data/labdayA", kCsv, 2, "/data/labdayA.csv"},
        {"/data/labdayA.", kCsv, 2, "/data/labdayA.csv"},
        {"/data/labdayA.csv", kCsv, 2, "/data/labdayA.csv"},
        {"/data/labdayA.CSV", kCsv, 2, "/data/labdayA.CSV"},
        {"/data/lab.dayA", kCsv, 2, "/data/lab.dayA"},          // an extension of its own
        {"/data.v2/labdayA", kCsv, 2, "/data.v2/labdayA.csv"},  // a point in a folder's name is none
        {"/data/labdayA", kCsv, 1, "/data/labdayA"},             // "All Files (*.*)"
        {"/data/fluid", "All Files (*.*)|*.*|Text Files(*.txt)|*.txt", 2, "/data/fluid.txt"},
        {"/data/chart", "PDF Files (*.pdf)|*.pdf", 1, "/data/chart.pdf"},
        {"/data/chart", "PDF Files (*.pdf)", 1, "/data/chart.pdf"},  // Qt's form
        {"/data/chart", "Pictures (*.png *.bmp)", 1, "/data/chart"},  // more than one pattern
        {"/data/chart", "Text|*.txt;*.csv", 1, "/data/chart"},
        {"/data/chart", kCsv, 3, "/data/chart"},  // no such entry
        {dir.path(), kCsv, 2, dir.path()},         // a folder stays a folder
        {"", kCsv, 2, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ui::WithFilterExtension(c.path, c.filter, c.index), c.expected)
            << c.path.toStdString() << " " << c.filter.toStdString() << " " << c.index;
}

TEST(FileFilters, EverySaveDialogAppliesItAndNoOpenDialog) {
    testing_support::ScriptedDialogs dialogs;
    ui::FileRequest r;
    r.filter = kCsv;
    r.filterIndex = 2;
    dialogs.files = {QString("/data/labdayA"), QString("/data/labdayA")};
    EXPECT_EQ(ui::GetSaveFileName(r), QString("/data/labdayA.csv"));
    EXPECT_EQ(ui::GetOpenFileName(r), QString("/data/labdayA"));
    dialogs.files = {std::nullopt};
    EXPECT_EQ(ui::GetSaveFileName(r), std::nullopt);
}

}  // namespace
