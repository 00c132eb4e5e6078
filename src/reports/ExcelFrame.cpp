#include "reports/ExcelFrame.h"

#include "data/DataFiles.h"
#include "data/DateText.h"
#include "data/Globals.h"
#include "data/Numbers.h"
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace excel {

void ReportSheet::typed(int row, int col, const QString& value) {
    need(row);
    if (value.isEmpty())
        return;
    if (const auto v = StrictNumber(value)) {
        book.setNumber(row, col, *v);
        return;
    }
    if (value.endsWith(QLatin1Char('%'))) {
        if (const auto v = StrictNumber(value.chopped(1))) {
            CellFormat percent;
            percent.numberFormat = QStringLiteral("0.00%");
            book.setNumber(row, col, *v / 100.0, percent);
            return;
        }
    }
    book.setText(row, col, value);
}

double ValOf(const QString& text) {
    return Val(text);
}

void StartSheet(ReportSheet& sheet, const QString& title) {
    const QString logo = FindDataFile(kReportLogoFileName);
    if (QFileInfo::exists(logo))
        sheet.book.insertPictureFile(1, 1, logo);  // an unreadable logo is left out
    CellFormat block;
    block.fontSize = 26;
    block.bold = true;
    block.align = CellFormat::Align::Centre;
    block.border = true;
    block.fill = Workbook::kGrey;
    sheet.book.mergeRange(1, 5, 3, 12, title, block);
}

void HeaderBlock(ReportSheet& sheet, int firstRow, const QList<HeaderLine>& lines) {
    int r = firstRow;
    for (const HeaderLine& line : lines) {
        sheet.text(r, 1, line.label);
        sheet.value(r, 2, line.value);
        ++r;
    }
}

int AdditivesBlock(ReportSheet& sheet, int titleRow, const FlexGridModel* additives) {
    int r = titleRow;
    const QStringList titles{QStringLiteral("Additives"), QStringLiteral("Concentration"), QStringLiteral("Units"),
                             QStringLiteral("Lot Number")};
    for (int c = 0; c < titles.size(); ++c)
        sheet.text(r, c + 1, titles[c]);
    if (!additives)
        return r;
    for (int i = 1; i < additives->Rows(); ++i) {
        ++r;
        for (int c = 0; c <= 3; ++c)
            sheet.text(r, c + 1, additives->TextMatrix(i, c));
    }
    return r;
}

QString CenterHeaderText(const QString& testName, const QString& dateWord) {
    return QStringLiteral(" ~ Test: ") + testName + QStringLiteral(" ~ ") + dateWord +
           ShortDateText(QDateTime::currentDateTime());
}

void PageSetUp(ReportSheet& sheet, int titleFirst, int titleLast, int pagesTall, const QString& centerHeader) {
    sheet.book.setPrintTitleRows(titleFirst, titleLast);
    sheet.book.setLandscape(true);
    sheet.book.setFitToPages(1, pagesTall);
    if (!centerHeader.isEmpty())
        sheet.book.setCenterHeader(centerHeader);
}

QString ReportsFolder() {
    const QString base = gAppPath.isEmpty() ? QDir::currentPath() : gAppPath;
    return QDir(base).filePath(QStringLiteral("reports"));
}

QString WriteReport(const OpenedTest& opened, const QString& reportName,
                    const std::function<void(ReportSheet&)>& layout) {
    ReportSheet sheet;
    try {
        layout(sheet);
    } catch (const SheetFull&) {
        ui::MsgBox(QStringLiteral("The %1 of test \"%2\" needs more rows than a worksheet holds (%3 rows).\n"
                                  "No workbook was written.")
                       .arg(reportName, opened.OpenedTestName)
                       .arg(Workbook::kMaxRows),
                   ui::vbExclamation);
        return QString();
    }
    const QString baseName = QStringLiteral("%1 %2 %3").arg(
        opened.OpenedTestName, reportName, QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH.mm")));
    const QString path = sheet.book.saveInFolder(ReportsFolder(), baseName);
    if (path.isEmpty()) {
        ui::MsgBox(QStringLiteral("The workbook could not be written.\n%1").arg(sheet.book.error()), ui::vbExclamation);
        return QString();
    }
    if (!Workbook::open(path))
        ui::MsgBox(QStringLiteral("The workbook was written to\n%1\nbut no application was found to show it.")
                       .arg(QDir::toNativeSeparators(path)),
                   ui::vbInformation);
    return path;
}

}  // namespace excel
