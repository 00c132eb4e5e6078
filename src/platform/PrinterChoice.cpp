#include "platform/PrinterChoice.h"

#include "platform/Dialogs.h"

#include <QApplication>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace printing {

namespace {

PrinterSeam systemSeam() {
    PrinterSeam s;
    s.printerAvailable = [] { return !QPrinterInfo::availablePrinterNames().isEmpty(); };
    s.printDialog = [](QPrinter& printer) {
        QPrintDialog dialog(&printer, QApplication::activeWindow());
        dialog.setWindowTitle(printer.docName());
        // No "Print to File": its file browser is Qt's own, which would open
        // the files it lists (the database's among them) to tell their types.
        dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
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

std::optional<PrintChoice> ChoosePrintTarget(QPrinter& printer, const PrintRequest& request) {
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(request.title);
    const PrinterSeam& seam = printerSeam();
    PrintChoice choice;
    if (seam.printerAvailable && seam.printerAvailable()) {
        if (!seam.printDialog || !seam.printDialog(printer)) return std::nullopt;
        choice.toPrinter = true;
        choice.copies = qMax(1, printer.copyCount());
        printer.setCopyCount(1);
        return choice;
    }
    ui::FileRequest file;
    file.save = true;
    file.title = request.title;
    file.filter = QStringLiteral("PDF Files (*.pdf)|*.pdf");
    file.fileName = request.pdfFileName;
    const std::optional<QString> chosen = ui::GetSaveFileName(file);
    if (!chosen || chosen->isEmpty()) return std::nullopt;
    choice.pdfFile = *chosen;  // ".pdf" added to a name typed without it (ui::GetSaveFileName)
    return choice;
}

}  // namespace printing
