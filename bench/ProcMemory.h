#pragma once
// The process's memory as the kernel reports it, for the benchmarks that
// measure what a report or grid costs.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

namespace benchmem {

// A field of /proc/self/status in MiB ("VmRSS", "VmHWM"); 0 when unreadable.
inline double procStatusMiB(const char* field) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key)) return line.mid(key.size()).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

// Resets VmHWM to the current resident memory; false when not allowed.
inline bool resetPeak() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (!f.open(QIODevice::WriteOnly)) return false;
    return f.write("5") == 1;
}

}  // namespace benchmem
