#include "charts/ChartPrinting.h"

#include "platform/Dialogs.h"

#include <QApplication>
#include <QFileInfo>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace chartprint {

namespace {

PrinterSeam systemSeam() {
    PrinterSeam s;
    s.printerAvailable = [] { return !QPrinterInfo::availablePrinterNames().isEmpty(); };
    s.printDialog = [](QPrinter& printer) {
        QPrintDialog dialog(&printer, QApplication::activeWindow());
        dialog.setWindowTitle(QStringLiteral("Print Chart"));
        return dialog.exec() == QDialog::Accepted;
    };
    return s;
}

}  // namespace

PrinterSeam& printerSeam() {
    static PrinterSeam seam = systemSeam();
    return seam;
}

void resetPrinterSeam() { printerSeam() = systemSeam(); }

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
    printer.setPageOrientation(QPageLayout::Landscape);
    const PrinterSeam& seam = printerSeam();
    if (seam.printerAvailable && seam.printerAvailable()) {
        if (!seam.printDialog || !seam.printDialog(printer)) return;  // cancelled
        if (!render(printer)) throw PrintError(482, QStringLiteral("Printer error"));
        return;
    }
    ui::FileRequest request;
    request.save = true;
    request.title = QStringLiteral("Print Chart");
    request.filter = QStringLiteral("PDF Files (*.pdf)|*.pdf");
    request.fileName = pdfName.isEmpty() ? QStringLiteral("Chart.pdf") : pdfName;
    const std::optional<QString> chosen = ui::GetSaveFileName(request);
    if (!chosen || chosen->isEmpty()) return;  // cancelled
    QString fileName = *chosen;
    if (QFileInfo(fileName).suffix().isEmpty()) fileName += QStringLiteral(".pdf");
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    printer.setPageOrientation(QPageLayout::Landscape);
    if (!render(printer)) throw PrintError(75, QStringLiteral("Path/File access error"));
}

}  // namespace chartprint
