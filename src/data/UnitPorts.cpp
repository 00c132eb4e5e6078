#include "data/UnitPorts.h"

#include "data/Globals.h"
#include "data/Settings.h"

#include <QFile>
#include <QFileInfo>

namespace unit {

PortFileError::PortFileError(int number, const QString& description)
    : std::runtime_error(description.toStdString()), number_(number), description_(description) {}

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
        const PortLine read = ReadPortLine(line);
        if (!read.ok()) throw PortFileError(read.failure.number, read.failure.description);
        if (each) each(u, read.port);
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
