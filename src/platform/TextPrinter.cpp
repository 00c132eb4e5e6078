#include "platform/TextPrinter.h"

#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QImageReader>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <algorithm>

namespace printing {

// ---- composing ---------------------------------------------------------------------

QImage TextPrinter::LoadPicture(const QString& path) {
    if (!QFileInfo(path).isFile()) throw PrintError(53, QStringLiteral("File not found: ") + path);
    QImageReader reader(path);
    const QImage picture = reader.read();
    if (picture.isNull()) throw PrintError(481, QStringLiteral("Invalid picture: ") + path);
    return picture;
}

void TextPrinter::PaintPicture(const QImage& picture, double x, double y, double width, double height) {
    Item item;
    item.kind = Item::Picture;
    item.picture = picture;
    item.placeTwips = QRectF(x, y, width, height);
    items_.append(item);
}

void TextPrinter::Print(const QString& text) { addLines(text, false, 0); }

void TextPrinter::PrintFolded(const QString& text, int indent) { addLines(text, true, qMax(0, indent)); }

void TextPrinter::addLines(const QString& text, bool folded, int indent) {
    // A text with line breaks (a description typed on several lines) is
    // printed as several lines.
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool end = i == text.size();
        if (!end && text[i] != QLatin1Char('\r') && text[i] != QLatin1Char('\n')) continue;
        Item item;
        item.kind = Item::Line;
        item.text = text.mid(start, i - start);
        item.folded = folded;
        item.indent = indent;
        items_.append(std::move(item));
        if (!end && text[i] == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
        start = i + 1;
    }
}

void TextPrinter::PrintAt(int column, const QString& text) {
    Print(QString(qMax(0, column - 1), QLatin1Char(' ')) + text);
}

void TextPrinter::PrintHeading(const QStringList& lines) {
    Item item;
    item.kind = Item::Heading;
    item.heading = lines;
    items_.append(std::move(item));
}

void TextPrinter::EndHeading() { PrintHeading({}); }

void TextPrinter::NewPage() { items_.append(Item{Item::NewPage, {}, {}, {}, false, 0}); }

void TextPrinter::EndDoc() { items_.append(Item{Item::EndDoc, {}, {}, {}, false, 0}); }

QVector<QStringList> TextPrinter::Documents() const {
    QVector<QStringList> docs(1);
    for (const Item& item : items_) {
        switch (item.kind) {
            case Item::Line: docs.last() << item.text; break;
            case Item::NewPage: docs.last() << QStringLiteral("\f"); break;
            case Item::EndDoc: docs.append(QStringList()); break;
            case Item::Heading: docs.last() << item.heading; break;
            case Item::Picture: break;
        }
    }
    if (docs.last().isEmpty()) docs.removeLast();
    return docs;
}

// ---- rendering ---------------------------------------------------------------------

QFont TextPrinter::PrintFont(const QPaintDevice& device) const {
    QFont font(fontName_);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setKerning(false);
    font.setPointSizeF(fontSize_);
    return QFont(font, &device);
}

namespace {

QRectF printableArea(const QPagedPaintDevice& device) {
    // Painter coordinates start at the printable area's corner.
    const QRect paint = device.pageLayout().paintRectPixels(device.logicalDpiX());
    return QRectF(0, 0, paint.width(), paint.height());
}

}  // namespace

double TextPrinter::lineWidth(const QFontMetricsF& metrics, const QPagedPaintDevice& device) const {
    double widest = 0;
    for (const Item& item : items_) {
        if (item.kind == Item::Line && !item.folded && !item.text.isEmpty())
            widest = std::max(widest, metrics.horizontalAdvance(item.text));
        if (item.kind == Item::Heading)
            for (const QString& line : item.heading) widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    return std::max(widest, printableArea(device).width());
}

QStringList TextPrinter::fold(const Item& item, const QFontMetricsF& metrics, double width) {
    if (!item.folded || metrics.horizontalAdvance(item.text) <= width) return {item.text};
    QStringList lines;
    QString rest = item.text;
    QString lead;  // the blanks before a line after the first
    while (true) {
        QString line = lead + rest;
        if (metrics.horizontalAdvance(line) <= width) {
            lines << line;
            break;
        }
        // The most characters of `rest` that fit after the lead.
        qsizetype fit = 0;
        for (qsizetype lo = 0, hi = rest.size(); lo <= hi;) {
            const qsizetype mid = (lo + hi) / 2;
            if (metrics.horizontalAdvance(lead + rest.left(mid)) <= width) {
                fit = mid;
                lo = mid + 1;
            } else {
                hi = mid - 1;
            }
        }
        if (fit == 0 && !lead.isEmpty()) {  // the indent leaves no room
            lead.clear();
            continue;
        }
        fit = std::max<qsizetype>(fit, 1);
        // A surrogate pair stays whole.
        if (fit < rest.size() && rest[fit - 1].isHighSurrogate()) fit += fit > 1 ? -1 : 1;
        // Break at the last blank that fits (a blank just past the end does),
        // not within the blanks the line begins with.
        qsizetype text = 0;
        while (text < rest.size() && rest[text] == QLatin1Char(' ')) ++text;
        const qsizetype blank = rest.lastIndexOf(QLatin1Char(' '), std::min(fit, rest.size() - 1));
        qsizetype cut = fit, next = fit;
        if (blank > text) {
            cut = blank;
            next = blank + 1;
        }
        QString piece = lead + rest.left(cut);
        while (piece.endsWith(QLatin1Char(' '))) piece.chop(1);
        lines << piece;
        rest = rest.mid(next);
        while (rest.startsWith(QLatin1Char(' '))) rest.remove(0, 1);
        if (rest.isEmpty()) break;
        lead = QString(item.indent, QLatin1Char(' '));
    }
    return lines;
}

double TextPrinter::FitScale(const QPagedPaintDevice& device) const {
    const QFontMetricsF metrics(PrintFont(device), &device);
    const double width = printableArea(device).width();
    const double widest = lineWidth(metrics, device);
    return widest <= width || widest <= 0 ? 1.0 : width / widest;
}

QStringList TextPrinter::PrintedLines(const QPagedPaintDevice& device) const {
    const QFontMetricsF metrics(PrintFont(device), &device);
    const double width = lineWidth(metrics, device);
    QStringList lines;
    for (const Item& item : items_) {
        if (item.kind == Item::Line) lines << fold(item, metrics, width);
        else if (item.kind == Item::Heading) lines << item.heading;
        else if (item.kind == Item::NewPage || item.kind == Item::EndDoc) lines << QStringLiteral("\f");
    }
    return lines;
}

struct TextPrinter::Geometry {
    QFont font;
    QFontMetricsF metrics;
    double width;       // the width the lines take (as FitScale gives it)
    double scale;       // the scale that fits it to the page
    double lineHeight;  // before the scale, as the page height
    double pageHeight;
};

TextPrinter::Geometry TextPrinter::geometry(const QPagedPaintDevice& device) const {
    const QFont font = PrintFont(device);
    const QFontMetricsF metrics(font, &device);
    const double width = lineWidth(metrics, device);
    const double scale = printableArea(device).width() / width;
    return {font, metrics, width, scale, metrics.lineSpacing(), printableArea(device).height() / scale};
}

void TextPrinter::layOut(const Geometry& g, const PageSink& sink) const {
    double y = 0;
    bool pageUsed = false;
    bool breakAsked = false;
    // The heading every new page of the table begins with.
    QStringList heading;
    auto put = [&](const QString& line) {
        sink.line(y, line);
        y += g.lineHeight;
        pageUsed = true;
    };
    auto startPage = [&]() {
        sink.newPage();
        y = 0;
        pageUsed = false;
        breakAsked = false;
        for (const QString& line : heading) put(line);
    };
    auto beginPageIfAsked = [&]() {
        if (breakAsked && pageUsed) startPage();
        breakAsked = false;
    };
    // Begins a new page unless `lines` more fit on this one.
    auto keepRoomFor = [&](qsizetype lines) {
        if (y > 0 && y + double(lines) * g.lineHeight > g.pageHeight) startPage();
    };
    for (const Item& item : items_) {
        switch (item.kind) {
            case Item::Line:
                for (const QString& line : fold(item, g.metrics, g.width)) {
                    beginPageIfAsked();
                    keepRoomFor(1);
                    put(line);
                }
                break;
            case Item::Heading:
                heading.clear();
                beginPageIfAsked();
                if (!item.heading.isEmpty()) keepRoomFor(item.heading.size() + 1);
                for (const QString& line : item.heading) {
                    keepRoomFor(1);
                    put(line);
                }
                heading = item.heading;
                break;
            case Item::Picture:
                beginPageIfAsked();
                sink.picture(item);
                pageUsed = true;
                break;
            case Item::EndDoc:
                heading.clear();
                breakAsked = true;
                break;
            case Item::NewPage:
                breakAsked = true;
                break;
        }
    }
}

QVector<QStringList> TextPrinter::Pages(const QPagedPaintDevice& device) const {
    QVector<QStringList> pages(1);
    layOut(geometry(device), {[&] { pages.append(QStringList()); },
                              [&](double, const QString& line) { pages.last() << line; },
                              [](const Item&) {}});
    return pages;
}

int TextPrinter::LinesPerPage(const QPagedPaintDevice& device) const {
    const Geometry g = geometry(device);
    // As layOut fills a page: the first line always, then each that fits.
    int lines = 1;
    for (double y = g.lineHeight; y + g.lineHeight <= g.pageHeight; y += g.lineHeight) ++lines;
    return lines;
}

void TextPrinter::Render(QPagedPaintDevice& device, const std::function<void()>& abortJob) const {
    auto printerError = [] { return PrintError(482, QStringLiteral("Printer error")); };
    QPainter painter;
    if (!painter.begin(&device)) throw printerError();
    try {
        const Geometry g = geometry(device);
        const double twips = device.logicalDpiX() / kTwipsPerInch;
        painter.scale(g.scale, g.scale);
        painter.setFont(g.font);
        painter.setPen(Qt::black);
        layOut(g, {[&] {
                       if (!device.newPage()) throw printerError();
                   },
                   [&](double y, const QString& line) {
                       if (!line.isEmpty()) painter.drawText(QPointF(0, y + g.metrics.ascent()), line);
                   },
                   [&](const Item& item) {
                       const QRectF& r = item.placeTwips;
                       painter.drawImage(QRectF(r.x() * twips, r.y() * twips, r.width() * twips, r.height() * twips),
                                         item.picture);
                   }});
        if (!painter.end()) throw printerError();
    } catch (...) {
        // The job begun is given up before the failure goes on.
        if (abortJob) abortJob();
        if (painter.isActive()) painter.end();
        throw;
    }
}

// ---- a whole print ---------------------------------------------------------------------

bool PrintText(const PrintRequest& request, const std::function<void(TextPrinter&, int copies)>& compose) {
    QPrinter printer(QPrinter::HighResolution);
    const std::optional<PrintChoice> choice = ChoosePrintTarget(printer, request);
    if (!choice) return false;

    TextPrinter text;
    compose(text, choice->copies);

    if (choice->toPrinter) {
        text.Render(printer, [&] {
            printer.abort();
            // A printer that writes a file leaves no part of it behind.
            if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
                QFile::remove(printer.outputFileName());
        });
        return true;
    }

    // The PDF goes to a temporary file beside the one chosen, which it
    // replaces only once it is complete.
    QSaveFile file(choice->pdfFile);
    auto accessError = [&]() {
        return PrintError(75, QStringLiteral("Path/File access error: ") + choice->pdfFile + QStringLiteral(" (") +
                                  file.errorString() + QLatin1Char(')'));
    };
    if (!file.open(QIODevice::WriteOnly)) throw accessError();
    {
        QPdfWriter writer(&file);
        writer.setResolution(printer.resolution());
        QPageLayout layout = printer.pageLayout();
        // Half an inch all round, as a printer's unprintable border would leave.
        layout.setUnits(QPageLayout::Inch);
        layout.setMargins(QMarginsF(0.5, 0.5, 0.5, 0.5));
        writer.setPageLayout(layout);
        writer.setTitle(request.title);
        writer.setCreator(QStringLiteral("Z3080DAQ"));
        text.Render(writer);
    }
    if (!file.commit()) throw accessError();
    return true;
}

}  // namespace printing
