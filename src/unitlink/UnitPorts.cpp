#include "unitlink/UnitPorts.h"

#include "data/Globals.h"
#include "data/Numbers.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>

namespace unit {

PortFileError::PortFileError(int number, const QString& description)
    : std::runtime_error(description.toStdString()), number_(number), description_(description) {}

namespace {

// True when the text begins, after blanks and a sign, with a digit or a point and a digit.
bool hasLeadingNumber(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto blank = [&](qsizetype k) { return text[k] == QLatin1Char(' ') || text[k] == QLatin1Char('\t'); };
    while (i < n && blank(i)) ++i;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) ++i;
    while (i < n && blank(i)) ++i;
    if (i < n && text[i] == QLatin1Char('.')) ++i;
    return i < n && text[i].unicode() < 128 && text[i].isDigit();
}

}  // namespace

void ReadUnitPorts(int lastUnit, const std::function<void(int, int)>& each) {
    const QString path = dataFile(kSettingsFileName);
    const QFileInfo info(path);
    if (!info.exists()) throw PortFileError(53, QStringLiteral("File not found"));
    QFile f(path);
    if (info.isDir() || !f.open(QIODevice::ReadOnly)) throw PortFileError(75, QStringLiteral("Path/File access error"));
    // Only the port lines are needed: a few hundred bytes cover them.
    const QByteArray bytes = f.read(64 * 1024);
    f.close();

    qsizetype pos = 0;
    for (int u = 1; u <= lastUnit; ++u) {
        if (pos >= bytes.size()) throw PortFileError(62, QStringLiteral("Input past end of file"));
        qsizetype end = pos;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        const QString line = QString::fromLatin1(bytes.constData() + pos, end - pos);
        if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ++end;
        pos = end + 1;
        if (!hasLeadingNumber(line)) throw PortFileError(13, QStringLiteral("Type mismatch"));
        const double v = std::nearbyint(Val(line));
        if (!std::isfinite(v) || v < -32768 || v > 32767) throw PortFileError(6, QStringLiteral("Overflow"));
        if (each) each(u, int(v));
    }
}

int ReadUnitPort(int unitNumber) {
    int port = 0;
    ReadUnitPorts(unitNumber, [&](int u, int p) {
        if (u == unitNumber) port = p;
    });
    return port;
}

}  // namespace unit
