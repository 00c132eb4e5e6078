#include "data/Numbers.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

QString CStr(double value) {
    if (value == 0) return QStringLiteral("0");  // also -0
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15G", value);
    // %G writes "1E-05" and "1E+15"; that is the form wanted.
    return QString::fromLatin1(buf);
}

QString Str(double value) {
    QString s = CStr(value);
    return value < 0 ? s : QStringLiteral(" ") + s;
}

QString PrintNumber(double value) { return Str(value) + QLatin1Char(' '); }

namespace {
bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r');
}
}  // namespace

double Val(const QString& text) {
    // Collect the longest numeric beginning, skipping blanks on the way.
    std::string s;
    int i = 0;
    const int n = text.size();
    auto skip = [&]() {
        while (i < n && isBlank(text[i])) ++i;
    };
    skip();
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        s += char(text[i].unicode());
        ++i;
    }
    bool digits = false;
    for (skip(); i < n && text[i].isDigit() && text[i].unicode() < 128; skip()) {
        s += char(text[i++].unicode());
        digits = true;
    }
    if (i < n && text[i] == QLatin1Char('.')) {
        s += '.';
        ++i;
        for (skip(); i < n && text[i].isDigit() && text[i].unicode() < 128; skip()) {
            s += char(text[i++].unicode());
            digits = true;
        }
    }
    if (!digits) return 0;
    if (i < n && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E') || text[i] == QLatin1Char('d') ||
                  text[i] == QLatin1Char('D'))) {
        std::string e = "e";
        int j = i + 1;
        while (j < n && isBlank(text[j])) ++j;
        if (j < n && (text[j] == QLatin1Char('+') || text[j] == QLatin1Char('-'))) e += char(text[j++].unicode());
        bool expDigits = false;
        while (j < n && text[j].isDigit() && text[j].unicode() < 128) {
            e += char(text[j++].unicode());
            expDigits = true;
            while (j < n && isBlank(text[j])) ++j;
        }
        if (expDigits) s += e;
    }
    double v = std::strtod(s.c_str(), nullptr);
    return std::isfinite(v) ? v : 0;
}

std::optional<double> StrictNumber(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    const QByteArray b = t.toLatin1();
    if (b.size() != t.size()) return std::nullopt;
    // sign, digits, optional point and digits, optional exponent; nothing else.
    int i = 0;
    const int n = b.size();
    if (b[i] == '+' || b[i] == '-') ++i;
    bool digits = false;
    while (i < n && std::isdigit(static_cast<unsigned char>(b[i]))) ++i, digits = true;
    if (i < n && b[i] == '.') {
        ++i;
        while (i < n && std::isdigit(static_cast<unsigned char>(b[i]))) ++i, digits = true;
    }
    if (!digits) return std::nullopt;
    if (i < n && (b[i] == 'e' || b[i] == 'E')) {
        ++i;
        if (i < n && (b[i] == '+' || b[i] == '-')) ++i;
        bool e = false;
        while (i < n && std::isdigit(static_cast<unsigned char>(b[i]))) ++i, e = true;
        if (!e) return std::nullopt;
    }
    if (i != n) return std::nullopt;
    double v = std::strtod(b.constData(), nullptr);
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}
