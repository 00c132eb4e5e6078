#pragma once
// Readable test failure output for Qt texts: control characters as \xNN.

#include <QByteArray>
#include <QString>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"';
    for (const QChar c : s) {
        const ushort u = c.unicode();
        if (u < 32 || u == 127 || u > 255) {
            static const char hex[] = "0123456789abcdef";
            *os << "\\x" << hex[(u >> 4) & 15] << hex[u & 15];
        } else {
            *os << char(u);
        }
    }
    *os << '"';
}

inline void PrintTo(const QByteArray& b, std::ostream* os) { PrintTo(QString::fromLatin1(b), os); }
