#pragma once
// A line printer for text reports, after the printer object the reports were
// written for: a fixed-pitch font by name and size, a picture painted at a
// place given in twips, lines printed one under the other (optionally from a
// print column), a new page, and the end of a document.
//
// What is printed is kept until Render puts every document on a paged device,
// so the font can be fitted to the widest line of the whole print: the page
// is laid out at the font size asked for and shrunk as a whole (lines, line
// pitch and pictures alike) until the widest line fits the page width; no
// line is ever clipped. A line that does not fit below the last one goes to
// a new page by itself; a new page or an end of document asked for takes
// effect when something follows, so no blank page ends a print.
//
// PrintText runs a whole print: the choice of printer or PDF file, the
// composing and the rendering; a print that fails midway leaves no job and
// no PDF file behind.

#include "platform/PrinterChoice.h"

#include <QFont>
#include <QImage>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

class QPaintDevice;
class QPagedPaintDevice;

namespace printing {

class TextPrinter {
public:
    static constexpr double kTwipsPerInch = 1440;

    // One thing printed, in order.
    struct Item {
        enum Kind { Line, Picture, NewPage, EndDoc };
        Kind kind = Line;
        QString text;      // Line
        QImage picture;    // Picture
        QRectF placeTwips; // Picture: x, y, width, height in twips from the page's printable corner
    };

    void FontSize(double points) { fontSize_ = points; }
    double FontSize() const { return fontSize_; }
    void FontName(const QString& name) { fontName_ = name; }
    QString FontName() const { return fontName_; }

    // Reads a picture file. PrintError 53 "File not found" when there is no
    // such file, 481 "Invalid picture" when it cannot be read as a picture.
    static QImage LoadPicture(const QString& path);

    // Paints a picture on the current page at its place (twips).
    void PaintPicture(const QImage& picture, double x, double y, double width, double height);
    // Prints a line and moves to the next one; a text holding line breaks
    // (CR LF, CR or LF) is printed as one line per part.
    void Print(const QString& text = QString());
    // Prints `text` from print column `column` (1 is the first column) and
    // moves to the next line.
    void PrintAt(int column, const QString& text);
    void NewPage();
    void EndDoc();

    const QVector<Item>& Items() const { return items_; }
    // The printed lines of each document, in order, "\f" standing for every
    // new page asked for (a document ends at each EndDoc; lines printed after
    // the last EndDoc form a last document).
    QVector<QStringList> Documents() const;

    // The font as printed on `device` at the font size asked for.
    QFont PrintFont(const QPaintDevice& device) const;
    // The scale the page is shrunk by on the printable width of `device`: 1
    // when the widest line fits at the font size, otherwise the fraction that
    // makes it fit.
    double FitScale(const QPagedPaintDevice& device) const;

    // Puts every document on the device, each starting on a new page. Throws
    // PrintError 482 "Printer error" when the device cannot be painted on or
    // refuses a new page. A failure once painting has begun calls `abortJob`
    // first, while the device is still being painted on; one before leaves
    // the device untouched.
    void Render(QPagedPaintDevice& device, const std::function<void()>& abortJob = {}) const;

private:
    double fontSize_ = 12;
    QString fontName_ = QStringLiteral("Courier");
    QVector<Item> items_;
};

// One print from the start: the print dialog (or, without a printer, the PDF
// save dialog), then `compose` fills the printer with `copies` copies, then
// the pages are printed. False when the operator cancelled (nothing printed).
// Failures of `compose` and of printing propagate; nothing is printed or
// left behind then (a partial PDF file is removed, a printer job aborted).
bool PrintText(const PrintRequest& request, const std::function<void(TextPrinter&, int copies)>& compose);

}  // namespace printing
