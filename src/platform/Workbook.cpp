#include "platform/Workbook.h"

#include "platform/Dialogs.h"

#include <QBuffer>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <list>
#include <map>
#include <vector>

namespace {

Workbook::Opener& opener() {
    static Workbook::Opener o;
    return o;
}

QString lxwReason(lxw_error e) {
    return QString::fromUtf8(lxw_strerror(e));
}

bool insideSheet(int row, int col) {
    return row >= 1 && row <= Workbook::kMaxRows && col >= 1 && col <= Workbook::kMaxColumns;
}

// The width of the text a number shows in a General cell (at most 11
// significant digits), estimated without making the text.
double generalWidth(double v) {
    double chars = v < 0 ? 1 : 0;
    const double a = std::fabs(v);
    if (a >= 1e11 || (a != 0 && a < 1e-9))
        return Workbook::fitWidth(QStringLiteral("-1.2345E+10")) - (v < 0 ? 0 : 1);
    int intDigits = 1;
    for (double p = 10; a >= p && intDigits < 11; p *= 10)
        ++intDigits;
    chars += intDigits;
    if (a != std::floor(a))
        chars += 0.6 + std::max(1, 11 - intDigits);  // the point and the decimals shown
    return chars + 1.5;
}

}  // namespace

struct Workbook::Impl {
    lxw_workbook* wb = nullptr;
    lxw_worksheet* ws = nullptr;
    int lastRow = 0;
    bool saved = false;
    QString error;
    std::map<QString, lxw_format*> formats;
    std::vector<double> widths;               // widest text per column so far (index col - 1)
    std::list<QByteArray> pictures;           // kept alive until the workbook is written

    lxw_format* format(const CellFormat& f, bool dateTime) {
        if (!dateTime && f.fontSize <= 0 && !f.bold && f.align == CellFormat::Align::General && !f.border &&
            !f.fill.isValid() && !f.wrap && f.numberFormat.isEmpty())
            return nullptr;  // the default look, the common case
        QString numFmt = f.numberFormat;
        if (numFmt.isEmpty() && dateTime)
            numFmt = kDateTimeFormat;
        const QString key = QStringLiteral("%1|%2|%3|%4|%5|%6|%7")
                                .arg(f.fontSize)
                                .arg(int(f.bold))
                                .arg(int(f.align))
                                .arg(int(f.border))
                                .arg(f.fill.isValid() ? f.fill.rgb() : 0u)
                                .arg(int(f.wrap))
                                .arg(numFmt);
        if (key == QLatin1String("0|0|0|0|0|0|"))
            return nullptr;  // the default look
        auto it = formats.find(key);
        if (it != formats.end())
            return it->second;
        lxw_format* x = workbook_add_format(wb);
        if (f.fontSize > 0)
            format_set_font_size(x, f.fontSize);
        if (f.bold)
            format_set_bold(x);
        switch (f.align) {
        case CellFormat::Align::General: break;
        case CellFormat::Align::Left: format_set_align(x, LXW_ALIGN_LEFT); break;
        case CellFormat::Align::Centre: format_set_align(x, LXW_ALIGN_CENTER); break;
        case CellFormat::Align::Right: format_set_align(x, LXW_ALIGN_RIGHT); break;
        }
        if (f.border)
            format_set_border(x, LXW_BORDER_THIN);
        if (f.fill.isValid()) {
            format_set_pattern(x, LXW_PATTERN_SOLID);
            format_set_bg_color(x, lxw_color_t(f.fill.rgb() & 0xFFFFFF));
        }
        if (f.wrap)
            format_set_text_wrap(x);
        if (!numFmt.isEmpty())
            format_set_num_format(x, numFmt.toUtf8().constData());
        formats.emplace(key, x);
        return x;
    }

    // A cell of the row may be written: inside the sheet and not above the last row written.
    bool writable(int row, int col) const {
        return wb && !saved && insideSheet(row, col) && row >= lastRow;
    }

    void wrote(int row, int col, const QString& shown, double fontSize) {
        wroteWidth(row, col, fitWidth(shown, fontSize));
    }
    void wroteWidth(int row, int col, double width) {
        lastRow = std::max(lastRow, row);
        if (std::size_t(col) > widths.size())
            widths.resize(std::size_t(col), 0.0);
        double& w = widths[std::size_t(col) - 1];
        w = std::max(w, width);
    }
};

Workbook::Workbook() : d(std::make_unique<Impl>()) {
    // Written row by row to a temporary file: memory stays small whatever the
    // number of rows.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.use_zip64 = LXW_TRUE;
    d->wb = workbook_new_opt("unsaved.xlsx", &options);
    if (d->wb)
        d->ws = workbook_add_worksheet(d->wb, nullptr);
    if (!d->ws)
        d->error = QStringLiteral("the workbook cannot be made (out of memory or no temporary folder)");
}

Workbook::~Workbook() {
    if (d->wb && !d->saved)
        lxw_workbook_free(d->wb);
}

bool Workbook::setNumber(int row, int col, double value, const CellFormat& format) {
    if (!d->writable(row, col) || !std::isfinite(value))
        return false;
    if (worksheet_write_number(d->ws, lxw_row_t(row - 1), lxw_col_t(col - 1), value, d->format(format, false)) !=
        LXW_NO_ERROR)
        return false;
    d->wroteWidth(row, col, generalWidth(value) * (format.fontSize > 0 ? format.fontSize / 11.0 : 1.0));
    return true;
}

bool Workbook::setText(int row, int col, const QString& text, const CellFormat& format) {
    if (!d->writable(row, col))
        return false;
    const QString t = text.left(kMaxTextLength);
    lxw_format* f = d->format(format, false);
    lxw_error e = t.isEmpty() ? (f ? worksheet_write_blank(d->ws, lxw_row_t(row - 1), lxw_col_t(col - 1), f) : LXW_NO_ERROR)
                              : worksheet_write_string(d->ws, lxw_row_t(row - 1), lxw_col_t(col - 1),
                                                       t.toUtf8().constData(), f);
    if (e != LXW_NO_ERROR)
        return false;
    // The width of a multi-line text is that of its widest line.
    if (!t.contains(QLatin1Char('\n'))) {
        d->wrote(row, col, t, format.fontSize);
    } else {
        double widest = 0;
        for (const QString& line : t.split(QLatin1Char('\n')))
            widest = std::max(widest, fitWidth(line, format.fontSize));
        d->wroteWidth(row, col, widest);
    }
    return true;
}

bool Workbook::setTextLines(int row, int col, const QString& text, const CellFormat& format) {
    // A CR would be stored as "_x000D_", which a spreadsheet shows as such.
    if (!text.contains(QLatin1Char('\r')) && !text.contains(QLatin1Char('\n')))
        return setText(row, col, text, format);
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    CellFormat wrapped = format;
    wrapped.wrap = true;
    return setText(row, col, t, wrapped);
}

bool Workbook::setDateTime(int row, int col, const QDateTime& value, const CellFormat& format) {
    if (!value.isValid())
        return false;
    const QDate date = value.date();
    if (date.year() < 1900 || date.year() > 9999)  // outside the spreadsheet's calendar: its text
        return setText(row, col, value.toString(Qt::ISODate), format);
    if (!d->writable(row, col))
        return false;
    const QTime time = value.time();
    lxw_datetime dt{date.year(), date.month(), date.day(), time.hour(), time.minute(),
                    time.second() + time.msec() / 1000.0};
    if (worksheet_write_datetime(d->ws, lxw_row_t(row - 1), lxw_col_t(col - 1), &dt, d->format(format, true)) !=
        LXW_NO_ERROR)
        return false;
    d->wrote(row, col, QString(format.numberFormat.isEmpty() ? kDateTimeFormat : format.numberFormat), format.fontSize);
    return true;
}

bool Workbook::setValue(int row, int col, const QVariant& value, const CellFormat& format) {
    if (value.isNull() || !value.isValid())
        return true;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return setNumber(row, col, value.toDouble(), format);
    case QMetaType::QDateTime:
        return setDateTime(row, col, value.toDateTime(), format);
    case QMetaType::QDate: {
        CellFormat f = format;
        if (f.numberFormat.isEmpty())
            f.numberFormat = QStringLiteral("yyyy-mm-dd");
        return setDateTime(row, col, value.toDate().startOfDay(), f);
    }
    default:
        return setText(row, col, value.toString(), format);
    }
}

bool Workbook::mergeRange(int firstRow, int firstCol, int lastRow, int lastCol, const QString& text,
                          const CellFormat& format) {
    if (lastRow < firstRow || lastCol < firstCol || !d->writable(firstRow, firstCol) || !insideSheet(lastRow, lastCol))
        return false;
    const QString t = text.left(kMaxTextLength);
    const lxw_error e = worksheet_merge_range(d->ws, lxw_row_t(firstRow - 1), lxw_col_t(firstCol - 1),
                                              lxw_row_t(lastRow - 1), lxw_col_t(lastCol - 1), t.toUtf8().constData(),
                                              d->format(format, false));
    if (e != LXW_NO_ERROR) {
        qWarning("Workbook: merge refused: %s", lxw_strerror(e));
        return false;
    }
    d->wrote(firstRow, firstCol, QString(), format.fontSize);
    d->lastRow = std::max(d->lastRow, lastRow);
    return true;
}

int Workbook::lastRow() const {
    return d->lastRow;
}

void Workbook::setColumnWidth(int col, double width) {
    if (!d->ws || d->saved || col < 1 || col > kMaxColumns)
        return;
    worksheet_set_column(d->ws, lxw_col_t(col - 1), lxw_col_t(col - 1), std::clamp(width, 0.0, 255.0), nullptr);
}

void Workbook::autoFitColumn(int col) {
    if (col < 1 || std::size_t(col) > d->widths.size() || d->widths[std::size_t(col) - 1] <= 0)
        return;
    setColumnWidth(col, d->widths[std::size_t(col) - 1]);
}

double Workbook::fitWidth(const QString& text, double fontSize) {
    if (text.isEmpty())
        return 0;
    // Characters of the default 11-point font, a little over one per
    // character for capitals and wide letters, with a margin on each side.
    double chars = 0;
    for (QChar c : text) {
        if (c.isUpper() || c == QLatin1Char('W') || c == QLatin1Char('m') || c == QLatin1Char('w') ||
            c == QLatin1Char('@') || c == QLatin1Char('%'))
            chars += 1.3;
        else if (c == QLatin1Char('.') || c == QLatin1Char(',') || c == QLatin1Char(':') || c == QLatin1Char(';') ||
                 c == QLatin1Char('i') || c == QLatin1Char('l') || c == QLatin1Char('\'') || c == QLatin1Char(' '))
            chars += 0.6;
        else
            chars += 1.0;
    }
    const double scale = (fontSize > 0 ? fontSize : 11.0) / 11.0;
    return std::min(255.0, chars * scale + 1.5);
}

bool Workbook::insertPicture(int row, int col, const QImage& image) {
    if (image.isNull() || !d->ws || d->saved || !insideSheet(row, col))
        return false;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return false;
    d->pictures.push_back(png);
    const QByteArray& kept = d->pictures.back();
    return worksheet_insert_image_buffer(d->ws, lxw_row_t(row - 1), lxw_col_t(col - 1),
                                         reinterpret_cast<const unsigned char*>(kept.constData()),
                                         std::size_t(kept.size())) == LXW_NO_ERROR;
}

bool Workbook::insertPictureFile(int row, int col, const QString& path) {
    QImage image(path);
    return insertPicture(row, col, image);
}

void Workbook::setPrintTitleRows(int firstRow, int lastRow) {
    if (!d->ws || d->saved || firstRow < 1 || lastRow < firstRow || lastRow > kMaxRows)
        return;
    worksheet_repeat_rows(d->ws, lxw_row_t(firstRow - 1), lxw_row_t(lastRow - 1));
}

void Workbook::setLandscape(bool landscape) {
    if (!d->ws || d->saved)
        return;
    if (landscape)
        worksheet_set_landscape(d->ws);
    else
        worksheet_set_portrait(d->ws);
}

void Workbook::setFitToPages(int wide, int tall) {
    if (!d->ws || d->saved)
        return;
    worksheet_fit_to_pages(d->ws, uint16_t(std::clamp(wide, 0, 32767)), uint16_t(std::clamp(tall, 0, 32767)));
}

void Workbook::setCenterHeader(const QString& text) {
    if (!d->ws || d->saved)
        return;
    // "&" begins a header code: a literal one is doubled. The whole header
    // string, "&C" included, holds at most kMaxHeaderLength characters; the
    // text is cut at a whole character, never between the two "&" of a pair.
    QString header = QStringLiteral("&C");
    for (QChar c : text) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
        const QString piece = c == QLatin1Char('&') ? QStringLiteral("&&") : QString(c);
        if (header.size() + piece.size() > kMaxHeaderLength)
            break;
        header += piece;
    }
    // A surrogate pair cut in half would leave invalid text.
    if (!header.isEmpty() && header.back().isHighSurrogate())
        header.chop(1);
    worksheet_set_header(d->ws, header.toUtf8().constData());
}

QString Workbook::uniqueFileName(const QString& folder, const QString& baseName, const QString& suffix) {
    const auto safe = [](const QString& text) {
        static const QString reserved = QStringLiteral("/\\:*?\"<>|");
        QString out;
        for (QChar c : text)
            out += (c.unicode() < 32 || reserved.contains(c)) ? QLatin1Char('_') : c;
        return out;
    };
    const QString tail = safe(suffix).left(kMaxNameLength);
    QString name = safe(baseName.trimmed()).left(std::max<qsizetype>(0, kMaxNameLength - tail.size()));
    // Characters of several bytes: the name must still fit the file system.
    while (!name.isEmpty() && QFile::encodeName(name + tail).size() > kMaxNameBytes)
        name.chop(1);
    // A surrogate pair cut in half would leave invalid text.
    if (!name.isEmpty() && name.back().isHighSurrogate())
        name.chop(1);
    name = (name.trimmed() + tail).trimmed();
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    if (name.isEmpty())
        name = QStringLiteral("Report");
    const QDir dir(folder);
    QString candidate = name + QStringLiteral(".xlsx");
    for (int n = 2; QFileInfo::exists(dir.filePath(candidate)); ++n)
        candidate = QStringLiteral("%1 (%2).xlsx").arg(name).arg(n);
    return dir.filePath(candidate);
}

QString Workbook::saveInFolder(const QString& folder, const QString& baseName, const QString& suffix) {
    if (!QDir().mkpath(folder)) {
        d->error = QStringLiteral("%1: the folder cannot be made").arg(QDir::toNativeSeparators(folder));
        return QString();
    }
    const QString path = uniqueFileName(folder, baseName, suffix);
    return saveAs(path) ? path : QString();
}

bool Workbook::saveAs(const QString& path) {
    const QString shown = QDir::toNativeSeparators(path);
    if (!d->wb || d->saved) {
        d->error = QStringLiteral("%1: %2").arg(shown, d->saved ? QStringLiteral("the workbook was saved already")
                                                                 : d->error);
        return false;
    }
    // Written beside the target under a name of its own, then renamed: a
    // failed write leaves no half-written file under the report's name.
    const QFileInfo target(path);
    const QString partial =
        target.absoluteDir().filePath(QStringLiteral(".%1.partial").arg(target.fileName()));
    {
        QFile probe(partial);
        if (!probe.open(QIODevice::WriteOnly)) {
            d->error = QStringLiteral("%1: %2").arg(shown, probe.errorString());
            lxw_workbook_free(d->wb);
            d->wb = nullptr;
            d->saved = true;
            return false;
        }
    }
    std::free(d->wb->filename);
    d->wb->filename = strdup(QFile::encodeName(partial).constData());
    errno = 0;
    const lxw_error e = workbook_close(d->wb);  // frees the workbook
    const int systemError = errno;
    d->wb = nullptr;
    d->ws = nullptr;
    d->saved = true;
    if (e != LXW_NO_ERROR) {
        QFile::remove(partial);
        QString reason = lxwReason(e);
        if (systemError != 0)  // the system's own reason, such as a full disk
            reason += QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(std::strerror(systemError)));
        d->error = QStringLiteral("%1: %2").arg(shown, reason);
        return false;
    }
    QFile::remove(path);
    QFile written(partial);
    if (!written.rename(path)) {
        d->error = QStringLiteral("%1: %2").arg(shown, written.errorString());
        QFile::remove(partial);
        return false;
    }
    return true;
}

QString Workbook::error() const {
    return d->error;
}

Workbook::Opener Workbook::setOpener(Opener o) {
    Opener previous = opener();
    opener() = std::move(o);
    return previous;
}

namespace {

Workbook::DesktopSeam systemDesktop() {
    Workbook::DesktopSeam seam;
    seam.defaultApplication = [](const QString& mimeType) {
        QProcess query;
        query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), mimeType});
        if (!query.waitForFinished(10000)) {
            query.kill();
            query.waitForFinished();
            return QString();
        }
        if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
            return QString();
        return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
    };
    seam.openFile = [](const QString& path) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    };
    return seam;
}

}  // namespace

Workbook::DesktopSeam& Workbook::desktopSeam() {
    static DesktopSeam seam = systemDesktop();
    return seam;
}

void Workbook::resetDesktopSeam() {
    desktopSeam() = systemDesktop();
}

bool Workbook::open(const QString& path) {
    if (opener())
        return opener()(path);
    // The desktop's opener is started whether or not an application shows
    // the file, and says nothing when none does: ask first.
    const DesktopSeam& desktop = desktopSeam();
    if (!desktop.defaultApplication || desktop.defaultApplication(kMimeType).isEmpty())
        return false;
    return desktop.openFile && desktop.openFile(path);
}

QString Workbook::showSaved(const QString& path, const QString& error) {
    if (path.isEmpty()) {
        ui::MsgBox(QStringLiteral("The workbook could not be written.\n%1").arg(error), ui::vbExclamation);
        return QString();
    }
    if (!open(path))
        ui::MsgBox(QStringLiteral("The workbook was written to\n%1\nbut no application was found to show it.")
                       .arg(QDir::toNativeSeparators(path)),
                   ui::vbInformation);
    return path;
}
