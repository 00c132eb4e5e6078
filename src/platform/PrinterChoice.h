#pragma once
// Where printed pages go. With a printer installed the operator picks it (and
// the number of copies) in Qt's print dialog; without one the pages go to a
// PDF file the operator chooses in the save dialog of the ui seam. The chart
// print and the printed reports share this choice.

#include "platform/NumberedError.h"

#include <QString>
#include <functional>
#include <optional>

class QPrinter;

namespace printing {

// A failure of printing, with the number and description the operator sees.
class PrintError : public NumberedError {
public:
    using NumberedError::NumberedError;
};

// The printer side, replaceable by tests: whether any printer is installed,
// and the print dialog (false when cancelled). The dialog is titled with the
// printer's document name and offers no printing to a file (a PDF file is
// chosen through ui::GetSaveFileName when no printer is installed).
struct PrinterSeam {
    std::function<bool()> printerAvailable;
    std::function<bool(QPrinter&)> printDialog;
};
// The seam in force; the default asks the system and shows QPrintDialog.
PrinterSeam& printerSeam();
// Puts the system's printer look-up and Qt's print dialog back.
void resetPrinterSeam();

struct PrintRequest {
    QString title;        // the print dialog's title, the save dialog's title
    QString pdfFileName;  // the PDF file offered when no printer is installed
};

// The operator's choice.
struct PrintChoice {
    bool toPrinter = false;  // the print dialog was accepted: `printer` is set up
    QString pdfFile;         // no printer: the PDF file chosen (".pdf" added to a name without suffix)
    int copies = 1;          // copies asked for in the print dialog (1 for a PDF file)
};

// Shows the print dialog on `printer` (landscape) when a printer is
// installed, otherwise the save dialog for a PDF file. nullopt when the
// operator cancelled. The printer's own copy count is set back to 1 after the
// dialog: the caller prints `copies` times itself.
std::optional<PrintChoice> ChoosePrintTarget(QPrinter& printer, const PrintRequest& request);

}  // namespace printing
