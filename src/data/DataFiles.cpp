#include "data/DataFiles.h"

#include "data/Globals.h"

#include <QDir>
#include <QFileInfo>

QString FindDataFile(const QString& name) {
    const QString exact = dataFile(name);
    if (QFileInfo::exists(exact) || gAppPath.isEmpty()) return exact;
    const QDir dir(gAppPath);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& entry : entries)
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return dir.filePath(entry);
    return exact;
}

QString ReportsFolder() {
    const QString base = gAppPath.isEmpty() ? QDir::currentPath() : gAppPath;
    return QDir(base).filePath(QStringLiteral("reports"));
}
