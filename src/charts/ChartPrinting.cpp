#include "charts/ChartPrinting.h"

#include <QPageLayout>
#include <QPrinter>

namespace chartprint {

void printPage(const std::function<bool(QPrinter&)>& render) {
    QPrinter printer(QPrinter::HighResolution);
    const std::optional<printing::PrintChoice> choice =
        printing::ChoosePrintTarget(printer, {QStringLiteral("Print Chart"), QStringLiteral("Chart.pdf")});
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
