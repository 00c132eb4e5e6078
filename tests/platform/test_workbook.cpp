#include "platform/Workbook.h"
#include "support/ScriptedDialogs.h"
#include "support/XlsxSheet.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

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

// A long base name is cut; the suffix (the report and its time) stays whole,
// and the name fits the file system whatever its characters.
TEST(Workbook, ALongBaseNameIsCutAndTheSuffixKept) {
    QTemporaryDir dir;
    const QString suffix = QStringLiteral(" Brief Excel 2024-01-01 10.00");
    struct Case {
        QString base;
        QString expected;
    };
    const QString cjk(300, QChar(0x6CE5));  // three bytes each in UTF-8
    const Case cases[] = {
        {QString(300, 'n'), QString(120 - suffix.size(), 'n') + suffix + ".xlsx"},
        {"Mud A", "Mud A" + suffix + ".xlsx"},
        // Cut before blanks: no blank run before the suffix.
        {QString(90, 'n') + "   tail", QString(90, 'n') + suffix + ".xlsx"},
        {"", suffix.trimmed() + ".xlsx"},
        {cjk, cjk.left((Workbook::kMaxNameBytes - suffix.size()) / 3) + suffix + ".xlsx"},
    };
    for (const Case& c : cases) {
        const QString name = QFileInfo(Workbook::uniqueFileName(dir.path(), c.base, suffix)).fileName();
        EXPECT_EQ(name, c.expected) << c.base.left(10).toStdString();
        EXPECT_LE(QFile::encodeName(name).size(), 255);
    }
    // The workbook is written under that name.
    Workbook wb;
    wb.setNumber(1, 1, 1);
    const QString path = wb.saveInFolder(dir.path(), cjk, suffix);
    ASSERT_FALSE(path.isEmpty()) << wb.error().toStdString();
    EXPECT_TRUE(path.endsWith(suffix + ".xlsx"));
}

// Whether the cell's format wraps its text (its entry in the cell formats of
// styles.xml).
static bool wraps(const XlsxSheet& x, int row, int col) {
    const qsizetype from = x.stylesXml.indexOf(QStringLiteral("<cellXfs"));
    const QString xfs = x.stylesXml.mid(from, x.stylesXml.indexOf(QStringLiteral("</cellXfs>")) - from);
    const QStringList entries = xfs.split(QStringLiteral("<xf "));
    const int style = x.cell(row, col).style;
    return style + 1 < entries.size() && entries[style + 1].section(QStringLiteral("</xf>"), 0, 0).contains(
                                             QStringLiteral("wrapText=\"1\""));
}

// A line break is stored as the LF a spreadsheet shows, in a cell that wraps;
// a CR would read "_x000D_".
TEST(Workbook, LineBreaksAreWrittenAsLfInAWrappedCell) {
    Workbook wb;
    EXPECT_TRUE(wb.setTextLines(1, 1, QStringLiteral("Shear Rate\r\n(1/s)")));
    EXPECT_TRUE(wb.setTextLines(1, 2, QStringLiteral("a\rb\nc")));
    CellFormat bold;
    bold.bold = true;
    EXPECT_TRUE(wb.setTextLines(1, 3, QStringLiteral("bold\r\ntwo"), bold));
    EXPECT_TRUE(wb.setTextLines(1, 4, QStringLiteral("one line")));
    Saved s(wb);
    XlsxSheet x(s.path);
    ASSERT_TRUE(x.ok()) << x.error().toStdString();
    EXPECT_FALSE(x.sheetXml.contains(QStringLiteral("_x000D_"))) << x.sheetXml.toStdString();
    EXPECT_EQ(x.text(1, 1), "Shear Rate\n(1/s)");
    EXPECT_EQ(x.text(1, 2), "a\nb\nc");
    EXPECT_EQ(x.text(1, 3), "bold\ntwo");
    for (int c = 1; c <= 3; ++c) EXPECT_TRUE(wraps(x, 1, c)) << c;
    EXPECT_FALSE(wraps(x, 1, 4));
    EXPECT_TRUE(x.stylesXml.contains(QStringLiteral("<b/>")));  // the bold cell keeps its look
}

namespace {

// The desktop's opener in force (no test opener), its two steps answered by
// the test; everything is put back afterwards.
struct DesktopOpener {
    Workbook::Opener previous = Workbook::setOpener(nullptr);
    QStringList started;
    DesktopOpener() {
        Workbook::desktopSeam().openFile = [this](const QString& path) {
            started << path;
            return true;
        };
    }
    ~DesktopOpener() {
        Workbook::resetDesktopSeam();
        Workbook::setOpener(previous);
    }
};

// Environment variables set for the life of the object, then put back.
struct ScopedEnv {
    QList<std::pair<QByteArray, std::optional<QByteArray>>> saved;
    void set(const char* name, const QByteArray& value) {
        saved.append({name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt});
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
    }
    ~ScopedEnv() {
        for (auto it = saved.rbegin(); it != saved.rend(); ++it)
            it->second ? qputenv(it->first.constData(), *it->second) : qunsetenv(it->first.constData());
    }
};

}  // namespace

// Without an application for .xlsx files nothing is started, and the message
// says where the workbook was written; with one, it is started on the file.
TEST(Workbook, TheDesktopOpenerStartsNothingWithoutAnApplicationAndSaysSo) {
    testing_support::ScriptedDialogs dialogs;
    DesktopOpener desktop;
    QStringList asked;
    QString application;
    Workbook::desktopSeam().defaultApplication = [&](const QString& mime) {
        asked << mime;
        return application;
    };
    const QString path = QStringLiteral("/tmp/reports/a.xlsx");
    EXPECT_EQ(Workbook::showSaved(path, QString()), path);
    EXPECT_EQ(asked, QStringList{"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"});
    EXPECT_TRUE(desktop.started.isEmpty());
    EXPECT_EQ(dialogs.texts(),
              QStringList{"The workbook was written to\n/tmp/reports/a.xlsx\nbut no application was found to show it."});

    dialogs.clear();
    application = QStringLiteral("calc.desktop");
    EXPECT_EQ(Workbook::showSaved(path, QString()), path);
    EXPECT_EQ(desktop.started, QStringList{path});
    EXPECT_TRUE(dialogs.messages.empty());

    // An application that cannot be started is said as well.
    Workbook::desktopSeam().openFile = [](const QString&) { return false; };
    EXPECT_FALSE(Workbook::open(path));
}

// The desktop's own answer, read from its MIME database (xdg-mime): none in
// an empty one, the application a desktop file offers for .xlsx files in one
// that holds it. Nothing is started.
TEST(Workbook, TheDesktopIsAskedForItsApplicationForWorkbooks) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("data/applications"));
    ASSERT_TRUE(QDir(dir.path()).mkpath("config"));
    ScopedEnv env;
    env.set("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath("config")));
    env.set("XDG_CONFIG_DIRS", QFile::encodeName(dir.filePath("none")));
    env.set("XDG_DATA_HOME", QFile::encodeName(dir.filePath("data")));
    env.set("XDG_DATA_DIRS", QFile::encodeName(dir.filePath("none")));
    for (const char* desktopVariable : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                                        "GNOME_DESKTOP_SESSION_ID", "KDE_SESSION_VERSION"})
        env.set(desktopVariable, QByteArray());
    const auto query = Workbook::desktopSeam().defaultApplication;
    ASSERT_TRUE(query);
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty())
        GTEST_SKIP() << "xdg-mime is not installed";
    EXPECT_EQ(query(Workbook::kMimeType), "");

    QFile entry(dir.filePath("data/applications/z3080-calc.desktop"));
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.write("[Desktop Entry]\nType=Application\nName=Calc\nExec=/bin/false %f\nMimeType=" +
                Workbook::kMimeType.toLatin1() + ";\n");
    entry.close();
    EXPECT_EQ(query(Workbook::kMimeType), "z3080-calc.desktop");
}
