// The main window's Brief Excel and Detailed Excel buttons on an opened
// stored test: each click writes a new workbook from the window's own grids
// and records into the reports folder of the data folder and shows it.

#include "MainWindowFixture.h"
#include "support/XlsxSheet.h"

#include "platform/FlexGrid.h"
#include "platform/Workbook.h"

#include <QPushButton>

using testing_support::MainWindowTest;
using testing_support::Seeder;
using testing_support::XlsxSheet;

TEST_F(MainWindowTest, ExcelButtonsWriteTheOpenedTestsWorkbooks) {
    {
        Seeder seed(db_.path());
        const qint64 id = seed.test("Mud One", "B1");
        seed.additive(id, "Salt", 2, "%", "L1");
        seed.measured(id, 60, 100, 1000, 170, 340);
        seed.measured(id, 120, 150, 2000, 340, 510);
    }
    QStringList shown;
    const Workbook::Opener previous = Workbook::setOpener([&](const QString& p) {
        shown << p;
        return true;
    });
    auto w = start();
    // No test open: nothing happens.
    w->cmdExportExcel->click();
    w->cmdExcelDetail->click();
    EXPECT_TRUE(shown.isEmpty());

    ASSERT_TRUE(open(*w, "Mud One"));
    ASSERT_TRUE(w->cmdExportExcel->isEnabled());
    w->cmdExportExcel->click();
    w->cmdExcelDetail->click();
    Workbook::setOpener(previous);
    EXPECT_TRUE(dialogs_.messages.empty()) << dialogs_.texts().join('\n').toStdString();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown[0].startsWith(file("reports/Mud One Brief Excel ")));
    EXPECT_TRUE(shown[1].startsWith(file("reports/Mud One Detailed Excel ")));

    // The brief workbook holds the window's result grid, line by line.
    const XlsxSheet brief(shown[0]);
    ASSERT_TRUE(brief.ok()) << brief.error().toStdString();
    EXPECT_EQ(brief.text(8, 2), "Mud One");
    EXPECT_EQ(brief.row(18, 4), (QStringList{"Salt", w->MSFlexGrid2->TextMatrix(1, 1), "%", "L1"}));
    EXPECT_EQ(brief.text(21, 1), "Results:");
    const int lines = w->MSFlexGrid1->Rows() - 1;
    ASSERT_GE(lines, 1);
    for (int i = 1; i <= lines; ++i)
        EXPECT_DOUBLE_EQ(brief.text(22 + i, 7).toDouble(), w->MSFlexGrid1->TextMatrix(i, 6).toDouble()) << i;

    // The detailed one, after the grid, lists both stored points.
    const XlsxSheet detail(shown[1]);
    ASSERT_TRUE(detail.ok()) << detail.error().toStdString();
    const int unitLine = 20 + 1 + lines + 2 + 2;
    EXPECT_EQ(detail.text(unitLine - 2, 1), "Detail:");
    EXPECT_EQ(detail.text(unitLine + 1, 8), "170");
    EXPECT_EQ(detail.text(unitLine + 2, 8), "340");
    EXPECT_EQ(detail.lastRow(), unitLine + 2);
}
