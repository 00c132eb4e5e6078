#pragma once
// Printing a chart: one landscape page, the chart drawn as vector graphics to
// fill it. With a printer installed the operator picks it in Qt's print
// dialog; without one the same page goes to a PDF file the operator chooses
// in the save dialog of the ui seam.

#include "platform/NumberedError.h"

#include <QString>
#include <functional>

class QPrinter;

namespace chartprint {

// A failure of printing, with the number and description the operator sees.
class PrintError : public NumberedError {
public:
    using NumberedError::NumberedError;
};

// The printer side, replaceable by tests: whether any printer is installed,
// and the print dialog (false when cancelled).
struct PrinterSeam {
    std::function<bool()> printerAvailable;
    std::function<bool(QPrinter&)> printDialog;
};
// The seam in force; the default asks the system and shows QPrintDialog.
PrinterSeam& printerSeam();
// Puts the system's printer look-up and Qt's print dialog back.
void resetPrinterSeam();

// Prints one landscape page: `render` paints the page on the printer and
// returns false when it could not. Cancelling the dialog prints nothing.
// Without a printer the save dialog offers `pdfName` (PdfFileName).
// Throws PrintError when the page cannot be made.
void printPage(const std::function<bool(QPrinter&)>& render, const QString& pdfName = QStringLiteral("Chart.pdf"));

// The PDF file name offered for a chart: the test name and the chart's
// title, "XL-GUAR30-250F-0412 - Viscosity vs. Time.pdf"; characters a file
// name cannot hold become "-". "Chart.pdf" when both are empty.
QString PdfFileName(const QString& testName, const QString& chartTitle);

}  // namespace chartprint
