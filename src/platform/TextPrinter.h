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
// line is ever clipped. A line of free text (PrintFolded) never shrinks the
// page: where it is wider than the page, or than the widest other line when
// that one is wider, it is broken at blanks into lines that fit. A line that
// does not fit below the last one goes to a new page by itself; a new page or
// an end of document asked for takes effect when something follows, so no
// blank page ends a print. The heading of a table (PrintHeading) is printed
// again at the top of every page the table goes on to.
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

class QFontMetricsF;
class QPaintDevice;
class QPagedPaintDevice;

namespace printing {

class TextPrinter {
public:
    static constexpr double kTwipsPerInch = 1440;

    // One thing printed, in order.
    struct Item {
        enum Kind { Line, Picture, NewPage, EndDoc, Heading };
        Kind kind = Line;
        QString text;      // Line
        QImage picture;    // Picture
        QRectF placeTwips; // Picture: x, y, width, height in twips from the page's printable corner
        bool folded = false;  // Line: broken to the width of the page (PrintFolded)
        int indent = 0;       // Line, folded: the blanks that begin each line after the first
        QStringList heading;  // Heading: its lines; none ends the heading before
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
    // Prints a line of free text (a description, a name) that is broken into
    // lines where it is too wide (see above): at the last blank that fits,
    // within a word only for a word wider than the line; each line after the
    // first begins with `indent` blanks (none when they leave no room). Line
    // breaks in the text are kept, as Print keeps them.
    void PrintFolded(const QString& text, int indent = 0);
    // Prints the heading lines of a table, which every page the table goes on
    // to (by itself or by NewPage) then begins with, until EndHeading or the
    // end of the document. A heading that would stand at the foot of a page
    // without a line under it begins a new page instead.
    void PrintHeading(const QStringList& lines);
    void EndHeading();
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
    // The lines as Render puts them on `device`, folded lines broken, "\f"
    // standing for every new page or end of document asked for.
    QStringList PrintedLines(const QPagedPaintDevice& device) const;
    // The pages as Render puts them on `device`: the lines of each page, in
    // order, blank ones included (folded lines broken, headings repeated).
    QVector<QStringList> Pages(const QPagedPaintDevice& device) const;
    // The lines a page holds on `device` at the scale of this print.
    int LinesPerPage(const QPagedPaintDevice& device) const;

    // Puts every document on the device, each starting on a new page. Throws
    // PrintError 482 "Printer error" when the device cannot be painted on or
    // refuses a new page. A failure once painting has begun calls `abortJob`
    // first, while the device is still being painted on; one before leaves
    // the device untouched.
    void Render(QPagedPaintDevice& device, const std::function<void()>& abortJob = {}) const;

private:
    // The font and measures of this print on a device.
    struct Geometry;
    Geometry geometry(const QPagedPaintDevice& device) const;
    // What the pages are made of, in the order they are printed.
    struct PageSink {
        std::function<void()> newPage;
        std::function<void(double y, const QString& line)> line;  // blank lines too
        std::function<void(const Item& picture)> picture;
    };
    // Lays the items out on pages of `geometry`, page after page, into `sink`.
    void layOut(const Geometry& geometry, const PageSink& sink) const;
    void addLines(const QString& text, bool folded, int indent);
    // The width lines may take at the font size: the page's, or the widest
    // line that cannot be broken when that one is wider.
    double lineWidth(const QFontMetricsF& metrics, const QPagedPaintDevice& device) const;
    // The lines a folded text is broken into at that width.
    static QStringList fold(const Item& item, const QFontMetricsF& metrics, double width);

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
