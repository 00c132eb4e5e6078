#include "charts/ChartPrinting.h"

#include <QPageLayout>
#include <QPrinter>
#include <QStringList>

namespace chartprint {

QString PdfFileName(const QString& testName, const QString& chartTitle) {
    QStringList parts;
    for (const QString& part : {testName, chartTitle}) {
        QString clean;
        for (QChar ch : part) {
            const bool bad = ch.unicode() < 32 || QStringLiteral("/\\:*?\"<>|").contains(ch);
            clean += bad ? QLatin1Char('-') : ch;
        }
        clean = clean.simplified();
        while (clean.startsWith(QLatin1Char('.'))) clean.remove(0, 1);  // no hidden file, no ".."
        if (!clean.isEmpty()) parts.append(clean);
    }
    if (parts.isEmpty()) return QStringLiteral("Chart.pdf");
    return parts.join(QStringLiteral(" - ")) + QStringLiteral(".pdf");
}

void printPage(const std::function<bool(QPrinter&)>& render, const QString& pdfName) {
    QPrinter printer(QPrinter::HighResolution);
    const std::optional<printing::PrintChoice> choice = printing::ChoosePrintTarget(
        printer, {QStringLiteral("Print Chart"), pdfName.isEmpty() ? QStringLiteral("Chart.pdf") : pdfName});
    if (!choice) return;  // cancelled
    if (choice->toPrinter) {
        if (!render(printer)) throw PrintError(482, QStringLiteral("Printer error"));
        return;
    }
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(choice->pdfFile);
    printer.setPageOrientation(QPageLayout::Landscape);
    if (!render(printer)) throw PrintError(75, QStringLiteral("Path/File access error"));
}

}  // namespace chartprint
