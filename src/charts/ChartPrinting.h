#pragma once
// Printing a chart: one landscape page, the chart drawn as vector graphics to
// fill it. With a printer installed the operator picks it in Qt's print
// dialog; without one the same page goes to a PDF file the operator chooses
// in the save dialog of the ui seam (platform/PrinterChoice.h).

#include "platform/PrinterChoice.h"

#include <functional>

class QPrinter;

namespace chartprint {

using PrintError = printing::PrintError;
using PrinterSeam = printing::PrinterSeam;
inline PrinterSeam& printerSeam() { return printing::printerSeam(); }
inline void resetPrinterSeam() { printing::resetPrinterSeam(); }

// Prints one landscape page: `render` paints the page on the printer and
// returns false when it could not; the page is printed as many times as the
// print dialog asks for, in one job. Cancelling the dialog prints nothing.
// Without a printer the save dialog offers `pdfName` (PdfFileName).
// Throws PrintError when the page cannot be made.
void printPage(const std::function<bool(QPrinter&)>& render, const QString& pdfName = QStringLiteral("Chart.pdf"));

// The PDF file name offered for a chart: the test name and the chart's
// title, "XL-GUAR30-250F-0412 - Viscosity vs. Time.pdf"; characters a file
// name cannot hold become "-". "Chart.pdf" when both are empty.
QString PdfFileName(const QString& testName, const QString& chartTitle);

}  // namespace chartprint
