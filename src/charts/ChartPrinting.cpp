#include "charts/ChartPrinting.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QStringList>

namespace chartprint {

QString PdfFileName(const QString& testName, const QString& chartTitle) {
    QStringList parts;
    for (const QString& part : {testName, chartTitle}) {
        QString clean;
        for (QChar ch : part) {
            const bool bad = ch.unicode() < 32 || QStringLiteral("/\\:*?\"<>|").contains(ch);
            clean += bad ? QLatin1Char('-') : ch;
        }
        clean = clean.simplified();
        while (clean.startsWith(QLatin1Char('.'))) clean.remove(0, 1);  // no hidden file, no ".."
        if (!clean.isEmpty()) parts.append(clean);
    }
    if (parts.isEmpty()) return QStringLiteral("Chart.pdf");
    return parts.join(QStringLiteral(" - ")) + QStringLiteral(".pdf");
}

namespace {

// The page of a print job under way, lent to a painter: a painter begun on it
// paints the job's current page with the job's own painter, so a page
// painted several times stays one job.
class JobPage : public QPrinter {
public:
    JobPage(const QPrinter& job, QPainter& painter) : QPrinter(QPrinter::HighResolution), painter_(painter) {
        setOutputFormat(QPrinter::PdfFormat);  // never a job of its own
        setResolution(job.resolution());
        setPageLayout(job.pageLayout());
        setFullPage(job.fullPage());
    }

protected:
    QPainter* sharedPainter() const override { return &painter_; }

private:
    QPainter& painter_;
};

// Prints the page `copies` times in one job, each copy on a page of its own.
bool printCopies(QPrinter& printer, const std::function<bool(QPrinter&)>& render, int copies) {
    if (copies <= 1) return render(printer);
    QPainter job;
    if (!job.begin(&printer)) return false;
    JobPage page(printer, job);
    for (int copy = 0; copy < copies; ++copy) {
        job.save();
        const bool painted = (copy == 0 || printer.newPage()) && render(page);
        job.restore();
        if (!painted) {
            printer.abort();
            job.end();
            return false;
        }
    }
    return job.end();
}

}  // namespace

void printPage(const std::function<bool(QPrinter&)>& render, const QString& pdfName) {
    QPrinter printer(QPrinter::HighResolution);
    const std::optional<printing::PrintChoice> choice = printing::ChoosePrintTarget(
        printer, {QStringLiteral("Print Chart"), pdfName.isEmpty() ? QStringLiteral("Chart.pdf") : pdfName});
    if (!choice) return;  // cancelled
    if (choice->toPrinter) {
        // As many copies as the print dialog asked for.
        if (!printCopies(printer, render, choice->copies)) throw PrintError(482, QStringLiteral("Printer error"));
        return;
    }
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(choice->pdfFile);
    printer.setPageOrientation(QPageLayout::Landscape);
    if (!render(printer)) throw PrintError(75, QStringLiteral("Path/File access error"));
}

}  // namespace chartprint
