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

void TextPrinter::Print(const QString& text) {
    // A text with line breaks (a description typed on several lines) is
    // printed as several lines.
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool end = i == text.size();
        if (!end && text[i] != QLatin1Char('\r') && text[i] != QLatin1Char('\n')) continue;
        Item item;
        item.kind = Item::Line;
        item.text = text.mid(start, i - start);
        items_.append(std::move(item));
        if (!end && text[i] == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
        start = i + 1;
    }
}

void TextPrinter::PrintAt(int column, const QString& text) {
    Print(QString(qMax(0, column - 1), QLatin1Char(' ')) + text);
}

void TextPrinter::NewPage() { items_.append(Item{Item::NewPage, {}, {}, {}}); }

void TextPrinter::EndDoc() { items_.append(Item{Item::EndDoc, {}, {}, {}}); }

QVector<QStringList> TextPrinter::Documents() const {
    QVector<QStringList> docs(1);
    for (const Item& item : items_) {
        switch (item.kind) {
            case Item::Line: docs.last() << item.text; break;
            case Item::NewPage: docs.last() << QStringLiteral("\f"); break;
            case Item::EndDoc: docs.append(QStringList()); break;
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

double TextPrinter::FitScale(const QPagedPaintDevice& device) const {
    const QFontMetricsF metrics(PrintFont(device), &device);
    double widest = 0;
    for (const Item& item : items_)
        if (item.kind == Item::Line && !item.text.isEmpty())
            widest = std::max(widest, metrics.horizontalAdvance(item.text));
    const double width = printableArea(device).width();
    return widest <= width || widest <= 0 ? 1.0 : width / widest;
}

void TextPrinter::Render(QPagedPaintDevice& device, const std::function<void()>& abortJob) const {
    auto printerError = [] { return PrintError(482, QStringLiteral("Printer error")); };
    QPainter painter;
    if (!painter.begin(&device)) throw printerError();
    try {
        const QFont font = PrintFont(device);
        const QFontMetricsF metrics(font, &device);
        const double scale = FitScale(device);
        const double lineHeight = metrics.lineSpacing();
        const double pageHeight = printableArea(device).height() / scale;
        const double twips = device.logicalDpiX() / kTwipsPerInch;
        painter.scale(scale, scale);
        painter.setFont(font);
        painter.setPen(Qt::black);

        double y = 0;
        bool pageUsed = false;
        bool breakAsked = false;
        auto beginPageIfAsked = [&]() {
            if (!breakAsked || !pageUsed) {
                breakAsked = false;
                return;
            }
            if (!device.newPage()) throw printerError();
            y = 0;
            pageUsed = false;
            breakAsked = false;
        };
        for (const Item& item : items_) {
            switch (item.kind) {
                case Item::Line:
                    beginPageIfAsked();
                    if (y > 0 && y + lineHeight > pageHeight) {
                        breakAsked = true;
                        beginPageIfAsked();
                    }
                    if (!item.text.isEmpty()) painter.drawText(QPointF(0, y + metrics.ascent()), item.text);
                    y += lineHeight;
                    pageUsed = true;
                    break;
                case Item::Picture: {
                    beginPageIfAsked();
                    const QRectF& r = item.placeTwips;
                    painter.drawImage(QRectF(r.x() * twips, r.y() * twips, r.width() * twips, r.height() * twips),
                                      item.picture);
                    pageUsed = true;
                    break;
                }
                case Item::NewPage:
                case Item::EndDoc:
                    breakAsked = true;
                    break;
            }
        }
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
