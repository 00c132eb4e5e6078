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
// returns false when it could not. Cancelling the dialog prints nothing.
// Throws PrintError when the page cannot be made.
void printPage(const std::function<bool(QPrinter&)>& render);

}  // namespace chartprint
