#include "reports/ExcelFrame.h"

#include "data/DataFiles.h"
#include "data/DateText.h"
#include "data/Globals.h"
#include "data/Numbers.h"
#include "data/clsTEST_RESULT.h"
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"

#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

namespace excel {

PreparedCell PreparedCell::Typed(const QString& value) {
    if (value.isEmpty())
        return {};
    if (const auto v = StrictNumber(value))
        return Of(*v);
    if (value.endsWith(QLatin1Char('%'))) {
        if (const auto v = StrictNumber(value.chopped(1)))
            return {Percent, *v / 100.0, QString()};
    }
    return {Text, 0, value};
}

PreparedCell PreparedCell::Masked(double value, const QString& mask) {
    return std::isfinite(value) ? Typed(Format(value, mask)) : PreparedCell();
}

void ReportSheet::put(int row, int col, const PreparedCell& cell) {
    need(row);
    switch (cell.kind) {
    case PreparedCell::Empty: break;
    case PreparedCell::Number: book.setNumber(row, col, cell.number); break;
    case PreparedCell::Percent: {
        CellFormat percent;
        percent.numberFormat = QStringLiteral("0.00%");
        book.setNumber(row, col, cell.number, percent);
        break;
    }
    case PreparedCell::Text: book.setTextLines(row, col, cell.text); break;
    }
}

int WriteRows(ReportSheet& sheet, int firstRow, int count, int width,
              const std::function<void(int i, PreparedCell* cells)>& prepare) {
    if (count <= 0)
        return firstRow - 1;
    ReportSheet::need(firstRow + count - 1);  // all of them fit, or nothing is written
    constexpr int kBlock = 8192;
    const int threads = std::clamp(int(std::thread::hardware_concurrency()), 1, 8);
    const std::size_t blockCells = std::size_t(std::min(count, kBlock)) * std::size_t(width);
    // Two blocks: while one is written to the sheet, the next is prepared.
    std::vector<PreparedCell> buffers[2] = {std::vector<PreparedCell>(blockCells),
                                            std::vector<PreparedCell>(blockCells)};
    const auto prepareBlock = [&](int start, std::vector<PreparedCell>& cells) {
        const int n = std::min(kBlock, count - start);
        std::fill(cells.begin(), cells.end(), PreparedCell());
        const auto work = [&, start](int from, int to) {
            for (int i = from; i < to; ++i)
                prepare(start + i, cells.data() + std::size_t(i) * std::size_t(width));
        };
        const int parts = n < 512 ? 1 : threads;
        std::vector<std::thread> pool;
        for (int t = 1; t < parts; ++t)
            pool.emplace_back(work, n * t / parts, n * (t + 1) / parts);
        work(0, n / parts);
        for (std::thread& th : pool)
            th.join();
    };
    prepareBlock(0, buffers[0]);
    for (int start = 0, b = 0; start < count; start += kBlock, b ^= 1) {
        std::thread next;
        if (start + kBlock < count)
            next = std::thread(prepareBlock, start + kBlock, std::ref(buffers[b ^ 1]));
        const std::vector<PreparedCell>& cells = buffers[b];
        const int n = std::min(kBlock, count - start);
        for (int i = 0; i < n; ++i) {
            const int row = firstRow + start + i;
            for (int c = 0; c < width; ++c)
                sheet.put(row, c + 1, cells[std::size_t(i) * std::size_t(width) + std::size_t(c)]);
        }
        if (next.joinable())
            next.join();
    }
    return firstRow + count - 1;
}

std::vector<ResultPoint> LoadPoints(clsTEST_RESULT& results, int k) {
    std::vector<ResultPoint> points;
    points.reserve(std::size_t(std::max(0, k)));
    results.MoveFirst();
    for (int i = 0; i < k; ++i) {
        points.push_back(ResultPointOf(results));
        results.MoveNext();
    }
    return points;
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

QList<HeaderLine> HeaderLines(const reportheader::Header& header) {
    QList<HeaderLine> lines;
    for (const reportheader::Field& field : header.fields)
        if (!field.excel.isEmpty()) lines.append({field.excel, field.value});
    lines.append({header.description.excel, header.description.value});
    return lines;
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

namespace {

// The wait cursor while a workbook is made and saved.
struct BusyCursor {
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

QString WriteReport(const OpenedTest& opened, const QString& reportName,
                    const std::function<void(ReportSheet&)>& layout) {
    ReportSheet sheet;
    bool full = false;
    QString path;
    {
        BusyCursor busy;
        try {
            layout(sheet);
        } catch (const SheetFull&) {
            full = true;
        }
        if (!full) {
            // A long test name is cut; the report and the time stay in the name.
            const QString suffix = QStringLiteral(" %1 %2").arg(
                reportName, QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH.mm")));
            path = sheet.book.saveInFolder(ReportsFolder(), opened.OpenedTestName, suffix);
        }
    }
    if (full) {
        ui::MsgBox(QStringLiteral("The %1 workbook of test \"%2\" needs more rows than a worksheet holds (%3 rows).\n"
                                  "No workbook was written.")
                       .arg(reportName, opened.OpenedTestName)
                       .arg(Workbook::kMaxRows),
                   ui::vbExclamation);
        return QString();
    }
    return Workbook::showSaved(path, sheet.book.error());
}

}  // namespace excel
