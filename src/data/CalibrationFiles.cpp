#include "data/CalibrationFiles.h"

#include "data/DataFiles.h"
#include "data/Numbers.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cmath>

namespace calibration {

namespace {

// Error numbers of the messages that carry one, as the operator has known
// them: file not found, path/file access, subscript out of range.
constexpr int kErrFileNotFound = 53;
constexpr int kErrAccess = 75;
constexpr int kErrTooManyLines = 9;

constexpr int kMaxSwellLines = 18;  // a longer Calib.dat is not saved over

// A calibration file is a few hundred bytes; anything far larger is not one,
// and no line is read past this length.
constexpr qint64 kMaxLineBytes = 64 * 1024;

const QString kReadError = QStringLiteral("ERROR reading calibration data - ");

struct Failure {
    int number = 0;
    QString reason;
};

// Reads lines (CR LF, LF or a lone CR end a line; the end itself is not
// kept) up to `maxLines`. `more` tells whether the file holds further text.
bool readLines(QFile& file, int maxLines, QList<QByteArray>& lines, bool& more, Failure& failure) {
    lines.clear();
    more = false;
    QByteArray line;
    bool inLine = false;
    char c = 0;
    while (file.getChar(&c)) {
        if (c == '\r' || c == '\n') {
            if (c == '\r') {
                char next = 0;
                if (file.getChar(&next) && next != '\n') file.ungetChar(next);
            }
            if (lines.size() == maxLines) {
                more = true;
                return true;
            }
            lines.append(line);
            line.clear();
            inLine = false;
            continue;
        }
        if (lines.size() == maxLines) {
            more = true;
            return true;
        }
        if (line.size() >= kMaxLineBytes) {
            failure = {kErrAccess, QStringLiteral("line %1 of %2 is too long").arg(lines.size() + 1).arg(file.fileName())};
            return false;
        }
        line.append(c);
        inLine = true;
    }
    if (file.error() != QFileDevice::NoError) {
        failure = {kErrAccess, file.errorString()};
        return false;
    }
    if (inLine) lines.append(line);
    return true;
}

// Opens a data-folder file for reading; false with the failure when it is
// missing or cannot be opened.
bool openForReading(QFile& file, Failure& failure) {
    if (!QFileInfo::exists(file.fileName())) {
        failure = {kErrFileNotFound, QStringLiteral("File not found: %1").arg(file.fileName())};
        return false;
    }
    if (QFileInfo(file.fileName()).isDir() || !file.open(QIODevice::ReadOnly)) {
        failure = {kErrAccess, QStringLiteral("%1: %2").arg(file.fileName(), file.error() == QFileDevice::NoError
                                                                                     ? QStringLiteral("not a file")
                                                                                     : file.errorString())};
        return false;
    }
    return true;
}

// Writes `content` to `path` through a temporary file in the same folder.
bool writeWhole(const QString& path, const QByteArray& content, Failure& failure) {
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly)) {
        failure = {kErrAccess, QStringLiteral("%1: %2").arg(path, out.errorString())};
        return false;
    }
    if (out.write(content) != content.size() || !out.commit()) {
        failure = {kErrAccess, QStringLiteral("%1: %2").arg(path, out.errorString())};
        out.cancelWriting();
        return false;
    }
    return true;
}

QByteArray toFileText(const QString& s) { return s.toLatin1(); }

// Rewrites line `unit` of a per-unit file with `line`, the other lines of
// the first 8 kept. `maxKept` lines are read; a file holding more is an
// error when `tooLongIsError` (else the rest is dropped).
bool rewriteUnitLine(const QString& path, int unit, const QString& line, int maxKept, bool tooLongIsError,
                     Failure& failure) {
    if (unit < 1 || unit > kUnits) {
        failure = {kErrTooManyLines, QStringLiteral("Subscript out of range (unit %1)").arg(unit)};
        return false;
    }
    QList<QByteArray> kept;
    if (QFileInfo::exists(path)) {
        QFile in(path);
        if (!openForReading(in, failure)) return false;
        bool more = false;
        if (!readLines(in, maxKept, kept, more, failure)) return false;
        if (more && tooLongIsError) {
            failure = {kErrTooManyLines,
                       QStringLiteral("Subscript out of range (%1 holds more than %2 lines)").arg(path).arg(maxKept)};
            return false;
        }
    }
    QByteArray content;
    for (int n = 1; n <= kUnits; ++n) {
        if (n == unit)
            content += toFileText(line);
        else if (n <= kept.size())
            content += kept[n - 1];
        content += "\r\n";
    }
    return writeWhole(path, content, failure);
}

// The line of `unit` (1 .. 8) of a per-unit file, or nothing when the file
// ends before it. `failure` is set when the file cannot be read.
enum class LineRead { Found, Missing, Failed };
LineRead readUnitLine(const QString& path, int unit, QString& line, Failure& failure) {
    QFile file(path);
    if (!openForReading(file, failure)) return LineRead::Failed;
    QList<QByteArray> lines;
    bool more = false;
    if (!readLines(file, unit, lines, more, failure)) return LineRead::Failed;
    if (unit < 1 || unit > kUnits || lines.size() < unit) return LineRead::Missing;
    line = QString::fromLatin1(lines[unit - 1]);
    return LineRead::Found;
}

QString numberFailure(const QString& item) {
    return QStringLiteral("Type mismatch: \"%1\" is not a number").arg(item.left(40));
}

// Splits on commas and line ends; blanks around an item removed, empty items
// skipped.
QStringList numberItems(const QString& text) {
    QStringList items;
    QString item;
    auto flush = [&] {
        const QString t = item.trimmed();
        if (!t.isEmpty()) items.append(t);
        item.clear();
    };
    for (const QChar c : text) {
        if (c == QLatin1Char(',') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            flush();
        else
            item.append(c);
    }
    flush();
    return items;
}

// Items first .. end - 1 of a list (fewer where the list is shorter) as
// numbers, appended to `numbers`; false, the item said in `error`, at the
// first item that is not a number.
bool strictNumbers(const QStringList& items, int first, int end, std::vector<double>& numbers, QString& error) {
    for (int i = first; i < items.size() && i < end; ++i) {
        const std::optional<double> x = StrictNumber(items[i]);
        if (!x) {
            error = numberFailure(items[i]);
            return false;
        }
        numbers.push_back(*x);
    }
    return true;
}

// The first item of a line: blanks removed; a quoted item without its quotes.
QString firstItem(const QString& line) {
    int i = 0;
    while (i < line.size() && (line[i] == QLatin1Char(' ') || line[i] == QLatin1Char('\t'))) ++i;
    if (i < line.size() && line[i] == QLatin1Char('"')) {
        const int end = line.indexOf(QLatin1Char('"'), i + 1);
        return end < 0 ? line.mid(i + 1) : line.mid(i + 1, end - i - 1);
    }
    const int comma = line.indexOf(QLatin1Char(','), i);
    return (comma < 0 ? line.mid(i) : line.mid(i, comma - i)).trimmed();
}

}  // namespace

// ---- Swell sensor ---------------------------------------------------------

SwellReadResult ReadSwellCalibration(int unit) {
    SwellReadResult result;
    QString line;
    Failure failure;
    const LineRead read = readUnitLine(FindDataFile(kSwellFileName), unit, line, failure);
    if (read == LineRead::Failed) {
        result.status = SwellReadResult::FileError;
        result.message = kReadError + failure.reason;
        return result;
    }
    if (read == LineRead::Missing || line.trimmed().isEmpty()) {
        result.status = SwellReadResult::NoLine;
        result.message = QStringLiteral("No calibration data saved, please complete calibration first");
        return result;
    }
    std::vector<double> v;
    QString error;
    if (!strictNumbers(numberItems(line), 0, 7, v, error)) {
        result.status = SwellReadResult::FileError;
        result.message = kReadError + error;
        return result;
    }
    if (v.size() < 7) {
        result.status = SwellReadResult::FileError;
        result.message = kReadError + QStringLiteral("Input past end of line: the line of unit %1 holds %2 of 7 numbers")
                                          .arg(unit)
                                          .arg(v.size());
        return result;
    }
    SwellCalibration& d = result.data;
    d.v1 = v[0];
    d.v2 = v[1];
    d.v3 = v[2];
    d.A[1] = v[3];
    d.B[1] = v[4];
    d.A[2] = v[5];
    d.B[2] = v[6];
    if ((d.A[1] == 0 && d.B[1] == 0) || (d.A[2] == 0 && d.B[2] == 0)) {
        result.status = SwellReadResult::NotCalibrated;
        result.message = QStringLiteral("Unit ") + QString::number(unit) + QStringLiteral("  not calibrated yet!");
        return result;
    }
    result.status = SwellReadResult::Ok;
    return result;
}

QString SwellLine(const QString& v1, const QString& v2, const QString& v3, double a1, double b1, double a2,
                  double b2) {
    return v1 + QLatin1Char(',') + v2 + QLatin1Char(',') + v3 + QLatin1Char(',') + PrintNumber(a1) +
           QLatin1Char(',') + PrintNumber(b1) + QLatin1Char(',') + PrintNumber(a2) + QLatin1Char(',') +
           PrintNumber(b2);
}

SaveResult SaveSwellCalibration(int unit, const QString& line) {
    SaveResult result;
    Failure failure;
    if (rewriteUnitLine(FindDataFile(kSwellFileName), unit, line, kMaxSwellLines, true, failure)) {
        result.ok = true;
        return result;
    }
    result.message = failure.reason + QStringLiteral(" - ") + Str(failure.number);
    result.title = QStringLiteral("Form_Load Error");
    return result;
}

// ---- PVT pistons ----------------------------------------------------------

QString PistonFileName(Piston piston) {
    return piston == Piston::Large ? kLargePistonFileName : kSmallPistonFileName;
}

int PistonPointCount(Piston piston) { return piston == Piston::Large ? 5 : 4; }

PistonReadResult ReadPistonCalibration(Piston piston, int unit) {
    PistonReadResult result;
    QString line;
    Failure failure;
    const LineRead read = readUnitLine(FindDataFile(PistonFileName(piston)), unit, line, failure);
    if (read == LineRead::Failed) {
        result.status = PistonReadResult::FileError;
        result.message = kReadError + failure.reason;
        return result;
    }
    if (read == LineRead::Missing) {
        result.status = PistonReadResult::NoLine;
        result.message = QStringLiteral("No calibration data found.  Please calibrate.");
        return result;
    }
    const int n = PistonPointCount(piston);
    const QStringList items = numberItems(line);
    const std::optional<double> count = items.isEmpty() ? std::nullopt : StrictNumber(items[0]);
    if (!count || *count != n) {
        result.status = PistonReadResult::CountMismatch;
        result.message = QStringLiteral("No matching calibration data found.  Please calibrate.");
        return result;
    }
    const int needed = 4 * n - 1;
    std::vector<double> v;
    QString error;
    if (!strictNumbers(items, 1, needed, v, error)) {
        result.status = PistonReadResult::FileError;
        result.message = kReadError + error;
        return result;
    }
    if (int(v.size()) < needed - 1) {
        result.status = PistonReadResult::FileError;
        result.message =
            kReadError + QStringLiteral("Input past end of line: the line of unit %1 holds %2 of %3 numbers")
                             .arg(unit)
                             .arg(v.size() + 1)
                             .arg(needed);
        return result;
    }
    PistonCalibration& d = result.data;
    d.count = n;
    d.heights.assign(v.begin(), v.begin() + n);
    d.readings.assign(v.begin() + n, v.begin() + 2 * n);
    d.slopes.assign(n, 0.0);
    d.intercepts.assign(n, 0.0);
    for (int k = 1; k < n; ++k) {
        d.slopes[k] = v[2 * n + k - 1];
        d.intercepts[k] = v[3 * n + k - 2];
    }
    if (!PistonReadingsFall(d.readings)) {
        result.data = PistonCalibration{};
        result.status = PistonReadResult::NotFalling;
        result.message = QStringLiteral("The piston calibration of unit %1 in %2 has readings that do not fall from "
                                        "the top (position 1) to the bottom, as the PVT test reads them.  Please "
                                        "calibrate.")
                             .arg(unit)
                             .arg(PistonFileName(piston));
        return result;
    }
    result.status = PistonReadResult::Ok;
    return result;
}

bool PistonReadingsFall(const std::vector<double>& readings) {
    for (size_t i = 1; i < readings.size(); ++i)
        if (!(readings[i] < readings[i - 1])) return false;
    return true;
}

QString PistonLine(const std::vector<double>& heights, const std::vector<double>& readings,
                   const std::vector<double>& slopes, const std::vector<double>& intercepts) {
    const size_t n = heights.size();
    auto at = [](const std::vector<double>& a, size_t i) { return i < a.size() ? a[i] : 0.0; };
    QString line = PrintNumber(double(n)) + QLatin1Char(',');
    for (size_t j = 0; j < n; ++j) line += PrintNumber(heights[j]) + QLatin1Char(',');
    for (size_t j = 0; j < n; ++j) line += PrintNumber(at(readings, j)) + QLatin1Char(',');
    for (size_t k = 1; k < n; ++k) line += PrintNumber(at(slopes, k)) + QLatin1Char(',');
    for (size_t k = 1; k < n; ++k) line += PrintNumber(at(intercepts, k)) + QLatin1Char(',');
    return line;
}

SaveResult SavePistonCalibration(Piston piston, int unit, const QString& line) {
    SaveResult result;
    Failure failure;
    if (rewriteUnitLine(FindDataFile(PistonFileName(piston)), unit, line, kUnits, false, failure)) {
        result.ok = true;
        return result;
    }
    result.message = failure.reason + QStringLiteral("  ") + QString::number(failure.number);
    return result;
}

// ---- Torque value table ---------------------------------------------------

SaveResult SaveTorqueValues(const QString& path, const std::vector<double>& values) {
    SaveResult result;
    if (values.size() != size_t(kTorqueValues)) {
        result.message = QStringLiteral("A fluid table holds %1 viscosities, not %2").arg(kTorqueValues).arg(values.size());
        return result;
    }
    QByteArray content;
    for (double v : values) content += toFileText(CStr(v)) + "\r\n";
    Failure failure;
    if (path.isEmpty()) {
        result.message = QStringLiteral("Bad file name or number");
        return result;
    }
    result.ok = writeWhole(path, content, failure);
    if (!result.ok) result.message = failure.reason;
    return result;
}

namespace {
// The whole of a small text file chosen by the operator (at most `limit`
// bytes are read: a table is far smaller).
bool readSmallFile(const QString& path, QString& text, Failure& failure) {
    QFile file(path);
    if (path.isEmpty()) {
        failure = {52, QStringLiteral("Bad file name or number")};
        return false;
    }
    if (!openForReading(file, failure)) return false;
    const QByteArray bytes = file.read(1024 * 1024);
    if (file.error() != QFileDevice::NoError) {
        failure = {kErrAccess, file.errorString()};
        return false;
    }
    text = QString::fromLatin1(bytes);
    return true;
}
}  // namespace

TorqueValuesResult ReadTorqueValues(const QString& path) {
    TorqueValuesResult result;
    QString text;
    Failure failure;
    if (!readSmallFile(path, text, failure)) {
        result.message = failure.reason;
        return result;
    }
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = t.split(QLatin1Char('\n'));
    // The line breaks that end the file start no row.
    while (!lines.isEmpty() && lines.back().trimmed().isEmpty()) lines.removeLast();
    const QString rows = QStringLiteral(". A fluid table holds %1 lines, the viscosity at 20 to 40 \u00b0C one a "
                                        "line, each a number with a point for decimals.")
                             .arg(kTorqueValues);
    auto refuse = [&](const QString& why) {
        result.message = path + QStringLiteral(": ") + why + rows;
        return result;
    };
    std::vector<double> values;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        const int n = i + 1;
        if (n > kTorqueValues)
            return refuse(QStringLiteral("line %1 holds \"%2\", past the %3 rows of the table")
                              .arg(n)
                              .arg(line.left(40))
                              .arg(kTorqueValues));
        if (line.isEmpty()) return refuse(QStringLiteral("line %1 is empty").arg(n));
        const std::optional<double> x = StrictNumber(line);
        if (!x) {
            const QString why = line.contains(QLatin1Char(',')) ? QStringLiteral("not one number (a comma is no decimal point)")
                                                                 : QStringLiteral("no number");
            return refuse(QStringLiteral("line %1 holds \"%2\", %3").arg(n).arg(line.left(40), why));
        }
        values.push_back(*x);
    }
    if (values.empty()) return refuse(QStringLiteral("the file is empty"));
    if (values.size() < size_t(kTorqueValues))
        return refuse(QStringLiteral("the file ends after line %1").arg(values.size()));
    result.values = std::move(values);
    result.ok = true;
    return result;
}

// ---- Torque coefficient table ---------------------------------------------

TorqueCoefficientsResult ReadTorqueCoefficients(const QString& path) {
    TorqueCoefficientsResult result;
    QString text;
    Failure failure;
    if (!readSmallFile(path, text, failure)) {
        result.message = failure.reason;
        return result;
    }
    const QStringList items = numberItems(text);
    int next = 0;
    auto take = [&](double& x) {
        if (next >= items.size()) {
            result.message = QStringLiteral("Input past end of file");
            return false;
        }
        const std::optional<double> v = StrictNumber(items[next]);
        if (!v) {
            result.message = numberFailure(items[next]);
            return false;
        }
        ++next;
        x = *v;
        return true;
    };
    TorqueCoefficients d;
    double n = 0;
    if (!take(d.a) || !take(n)) return result;
    if (n != std::floor(n) || n < 0 || n > kMaxCoefficientOrder) {
        result.message = QStringLiteral("Subscript out of range: the order n is %1, a whole number from 0 to %2 expected")
                             .arg(CStr(n))
                             .arg(kMaxCoefficientOrder);
        return result;
    }
    d.n = int(n);
    d.A.assign(d.n + 1, 0.0);
    d.B.assign(d.n + 1, 0.0);
    for (double& x : d.A)
        if (!take(x)) return result;
    for (double& x : d.B)
        if (!take(x)) return result;
    result.data = std::move(d);
    result.ok = true;
    return result;
}

// ---- BOBINFO.TXT ----------------------------------------------------------

BobInfoResult ReadBobInfo() {
    BobInfoResult result;
    const QString path = FindDataFile(kBobFileName);
    QFile file(path);
    Failure failure;
    if (!openForReading(file, failure)) {
        result.missing = failure.number == kErrFileNotFound;
        result.message = QStringLiteral("ERROR: %1, %2").arg(failure.number).arg(failure.reason);
        return result;
    }
    QList<QByteArray> lines;
    bool more = false;
    if (!readLines(file, 1, lines, more, failure)) {
        result.message = QStringLiteral("ERROR: %1, %2").arg(failure.number).arg(failure.reason);
        return result;
    }
    result.bob = lines.isEmpty() ? QString() : firstItem(QString::fromLatin1(lines[0]));
    result.ok = !result.bob.isEmpty();
    return result;
}

SaveResult WriteBobInfo(const QString& bob) {
    SaveResult result;
    Failure failure;
    result.ok = writeWhole(FindDataFile(kBobFileName), toFileText(bob) + "\r\n", failure);
    if (!result.ok) result.message = QStringLiteral("ERROR: %1, %2").arg(failure.number).arg(failure.reason);
    return result;
}

}  // namespace calibration
