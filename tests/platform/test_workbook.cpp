#include "platform/Workbook.h"
#include "support/XlsxSheet.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testing_support::XlsxSheet;

namespace {

// Saves the workbook into a scratch folder and reads it back.
struct Saved {
    QTemporaryDir dir;
    QString path;
    explicit Saved(Workbook& wb, const QString& base = QStringLiteral("sheet")) {
        path = wb.saveInFolder(dir.filePath(QStringLiteral("reports")), base);
    }
};

}  // namespace

TEST(Workbook, CellsOfEveryKindAreReadBackAsWritten) {
    Workbook wb;
    EXPECT_TRUE(wb.setNumber(1, 1, 12.5));
    EXPECT_TRUE(wb.setText(1, 2, QStringLiteral("Temp (°C) & <more>")));
    EXPECT_TRUE(wb.setDateTime(2, 1, QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7))));
    EXPECT_TRUE(wb.setValue(3, 1, QVariant(42)));
    EXPECT_TRUE(wb.setValue(3, 2, QVariant(QStringLiteral(" 0.5 "))));
    EXPECT_TRUE(wb.setValue(3, 3, QVariant()));  // null: nothing written
    EXPECT_TRUE(wb.setText(3, 4, QStringLiteral("two\nlines")));
    EXPECT_FALSE(wb.setNumber(4, 1, std::nan("")));
    EXPECT_FALSE(wb.setNumber(4, 2, INFINITY));
    Saved s(wb);
    ASSERT_FALSE(s.path.isEmpty()) << wb.error().toStdString();
    XlsxSheet x(s.path);
    ASSERT_TRUE(x.ok()) << x.error().toStdString();
    EXPECT_EQ(x.cell(1, 1).type, "n");
    EXPECT_EQ(x.text(1, 1), "12.5");
    EXPECT_EQ(x.text(1, 2), QStringLiteral("Temp (°C) & <more>"));
    // 2026-03-04 05:06:07 as the spreadsheet's day number, with a date format.
    EXPECT_EQ(x.cell(2, 1).type, "n");
    EXPECT_NEAR(x.text(2, 1).toDouble(), 46085.212581, 1e-5);
    EXPECT_TRUE(x.stylesXml.contains(QStringLiteral("yyyy-mm-dd hh:mm:ss")));
    EXPECT_EQ(x.text(3, 1), "42");
    EXPECT_EQ(x.cell(3, 2).type, "inlineStr");
    EXPECT_EQ(x.text(3, 2), " 0.5 ");
    EXPECT_FALSE(x.has(3, 3));
    EXPECT_EQ(x.text(3, 4), "two\nlines");
    EXPECT_FALSE(x.has(4, 1));
    EXPECT_FALSE(x.has(4, 2));
}

TEST(Workbook, RowsAreWrittenTopToBottomAndCellsOutsideTheSheetAreRefused) {
    Workbook wb;
    EXPECT_TRUE(wb.setText(5, 3, QStringLiteral("c")));
    EXPECT_TRUE(wb.setText(5, 1, QStringLiteral("a")));  // any column order within the row
    EXPECT_TRUE(wb.setText(7, 1, QStringLiteral("b")));
    EXPECT_FALSE(wb.setText(5, 2, QStringLiteral("late")));  // a row above the last written
    EXPECT_EQ(wb.lastRow(), 7);
    struct Case { int row, col; };
    for (const Case c : {Case{0, 1}, Case{8, 0}, Case{Workbook::kMaxRows + 1, 1}, Case{8, Workbook::kMaxColumns + 1}})
        EXPECT_FALSE(wb.setNumber(c.row, c.col, 1)) << c.row << "," << c.col;
    EXPECT_TRUE(wb.setNumber(Workbook::kMaxRows, Workbook::kMaxColumns, 1));
    Saved s(wb);
    XlsxSheet x(s.path);
    ASSERT_TRUE(x.ok()) << x.error().toStdString();
    EXPECT_EQ(x.row(5, 3), (QStringList{"a", "", "c"}));
    EXPECT_EQ(x.text(7, 1), "b");
    EXPECT_EQ(x.text(Workbook::kMaxRows, Workbook::kMaxColumns), "1");
}

TEST(Workbook, MergedTitleBlockCarriesItsFormatOnEveryCell) {
    Workbook wb;
    CellFormat title;
    title.fontSize = 26;
    title.bold = true;
    title.align = CellFormat::Align::Centre;
    title.border = true;
    title.fill = Workbook::kGrey;
    EXPECT_TRUE(wb.mergeRange(1, 5, 3, 12, QStringLiteral("Report title"), title));
    EXPECT_EQ(wb.lastRow(), 3);
    EXPECT_FALSE(wb.setText(2, 1, QStringLiteral("inside the merged rows")));
    EXPECT_TRUE(wb.setText(8, 1, QStringLiteral("below")));
    Saved s(wb);
    XlsxSheet x(s.path);
    ASSERT_TRUE(x.ok()) << x.error().toStdString();
    EXPECT_EQ(x.merges, QStringList{"E1:L3"});
    EXPECT_EQ(x.text(1, 5), "Report title");
    // Every cell of the range has the one title format: 26 pt bold, centred, framed, grey.
    const int style = x.cell(1, 5).style;
    EXPECT_GT(style, 0);
    for (int r = 1; r <= 3; ++r)
        for (int c = 5; c <= 12; ++c)
            EXPECT_EQ(x.cell(r, c).style, style) << r << "," << c;
    EXPECT_TRUE(x.stylesXml.contains(QStringLiteral("<sz val=\"26\"/>")));
    EXPECT_TRUE(x.stylesXml.contains(QStringLiteral("<b/>")));
    EXPECT_TRUE(x.stylesXml.contains(QStringLiteral("horizontal=\"center\"")));
    EXPECT_TRUE(x.stylesXml.contains(QStringLiteral("<left style=\"thin\">")));
    EXPECT_TRUE(x.stylesXml.contains(QStringLiteral("<fgColor rgb=\"FFC0C0C0\"/>")));
    EXPECT_EQ(x.text(8, 1), "below");
}

TEST(Workbook, AutoFitTakesTheLongestTextWrittenSoFar) {
    Workbook wb;
    wb.setText(1, 2, QStringLiteral("short"));
    wb.setText(2, 2, QStringLiteral("a much longer text in column B"));
    wb.setNumber(3, 3, 123456.75);
    wb.autoFitColumn(2);
    wb.autoFitColumn(3);
    wb.autoFitColumn(4);  // nothing written: keeps its width
    wb.setText(4, 2, QStringLiteral("a text written after the fit is much longer still, and it does not widen"));
    wb.setColumnWidth(6, 30);
    Saved s(wb);
    XlsxSheet x(s.path);
    ASSERT_TRUE(x.ok()) << x.error().toStdString();
    EXPECT_NEAR(x.widths.value(2), Workbook::fitWidth(QStringLiteral("a much longer text in column B")), 1.0);
    EXPECT_GT(x.widths.value(2), 25);
    EXPECT_LT(x.widths.value(2), 40);
    EXPECT_GT(x.widths.value(3), 8);
    EXPECT_FALSE(x.widths.contains(4));
    EXPECT_NEAR(x.widths.value(6), 30, 1.0);
    // A bigger font needs a wider column.
    EXPECT_GT(Workbook::fitWidth(QStringLiteral("Title"), 26), 2 * Workbook::fitWidth(QStringLiteral("Title")));
}

TEST(Workbook, PictureAndPageSetUp) {
    Workbook wb;
    QImage logo(40, 20, QImage::Format_RGB32);
    logo.fill(Qt::blue);
    EXPECT_TRUE(wb.insertPicture(1, 1, logo));
    EXPECT_FALSE(wb.insertPicture(1, 1, QImage()));
    EXPECT_FALSE(wb.insertPictureFile(1, 1, QStringLiteral("/no/such/logo.bmp")));
    wb.setText(22, 1, QStringLiteral("Results:"));
    wb.setPrintTitleRows(23, 24);
    wb.setLandscape();
    wb.setFitToPages(1, 10);
    wb.setCenterHeader(QStringLiteral(" ~ Test: A&B ~ Print Date: 2026-12-10"));
    Saved s(wb);
    XlsxSheet x(s.path);
    ASSERT_TRUE(x.ok()) << x.error().toStdString();
    EXPECT_EQ(x.pictures, 1);
    EXPECT_TRUE(x.sheetXml.contains(QStringLiteral("<drawing ")));
    EXPECT_EQ(x.printTitles, "Sheet1!$23:$24");
    EXPECT_EQ(x.pageSetup.value("orientation"), "landscape");
    EXPECT_EQ(x.pageSetup.value("fitToWidth", "1"), "1");
    EXPECT_EQ(x.pageSetup.value("fitToHeight"), "10");
    EXPECT_TRUE(x.fitToPage);
    EXPECT_EQ(x.oddHeader, "&C ~ Test: A&&B ~ Print Date: 2026-12-10");
}

TEST(Workbook, CentreHeaderIsCutToWhatTheHeaderHolds) {
    struct Case { QString text; int expectedLength; };
    const QString amps(300, QLatin1Char('&'));
    const Case cases[] = {
        {QString(300, QLatin1Char('x')), Workbook::kMaxHeaderLength},
        // "&&" pairs are never split: 126 pairs after "&C" make 254 characters.
        {amps, 254},
        {QString(300, QChar(0x00E9)), Workbook::kMaxHeaderLength},
    };
    for (const Case& c : cases) {
        Workbook wb;
        wb.setText(1, 1, QStringLiteral("x"));
        wb.setCenterHeader(c.text);
        Saved s(wb);
        XlsxSheet x(s.path);
        ASSERT_TRUE(x.ok()) << x.error().toStdString();
        EXPECT_EQ(x.oddHeader.size(), c.expectedLength) << c.text.left(3).toStdString();
        EXPECT_TRUE(x.oddHeader.startsWith(QStringLiteral("&C")));
    }
}

TEST(Workbook, SavedUnderANewReadableNameEachTime) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("reports"));
    QStringList paths;
    for (int i = 0; i < 3; ++i) {
        Workbook wb;
        wb.setNumber(1, 1, i);
        paths << wb.saveInFolder(folder, QStringLiteral("Mud/1: \"A\" <B>?"));
        ASSERT_FALSE(paths.back().isEmpty()) << wb.error().toStdString();
    }
    EXPECT_EQ(paths, (QStringList{folder + "/Mud_1_ _A_ _B__.xlsx", folder + "/Mud_1_ _A_ _B__ (2).xlsx",
                                  folder + "/Mud_1_ _A_ _B__ (3).xlsx"}));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(XlsxSheet(paths[i]).text(1, 1), QString::number(i));
    // Nothing but the workbooks is left in the folder.
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 3);
    EXPECT_EQ(QFileInfo(Workbook::uniqueFileName(folder, QStringLiteral("  ..  "))).fileName(), "Report.xlsx");
    EXPECT_EQ(QFileInfo(Workbook::uniqueFileName(folder, QString(300, 'n'))).fileName(), QString(120, 'n') + ".xlsx");
}

TEST(Workbook, AWorkbookThatCannotBeWrittenSaysWhichFileAndWhy) {
    QTemporaryDir dir;
    // A file stands where the folder should be.
    QFile blocker(dir.filePath(QStringLiteral("reports")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    {
        Workbook wb;
        wb.setNumber(1, 1, 1);
        EXPECT_TRUE(wb.saveInFolder(blocker.fileName(), QStringLiteral("x")).isEmpty());
        EXPECT_TRUE(wb.error().contains(QDir::toNativeSeparators(blocker.fileName()))) << wb.error().toStdString();
    }
    {
        Workbook wb;
        wb.setNumber(1, 1, 1);
        const QString path = blocker.fileName() + QStringLiteral("/x.xlsx");
        EXPECT_FALSE(wb.saveAs(path));
        EXPECT_TRUE(wb.error().startsWith(path + QStringLiteral(": "))) << wb.error().toStdString();
        EXPECT_GT(wb.error().size(), path.size() + 2);
        // Saved (or failed) once: the workbook takes nothing more.
        EXPECT_FALSE(wb.setNumber(2, 1, 1));
        EXPECT_FALSE(wb.saveAs(dir.filePath(QStringLiteral("y.xlsx"))));
    }
}

TEST(Workbook, OpeningGoesThroughTheOpenerSeam) {
    QStringList opened;
    const Workbook::Opener previous = Workbook::setOpener([&](const QString& p) {
        opened << p;
        return true;
    });
    EXPECT_TRUE(Workbook::open(QStringLiteral("/tmp/a.xlsx")));
    Workbook::setOpener(previous);
    EXPECT_EQ(opened, QStringList{"/tmp/a.xlsx"});
}
