#include "data/Numbers.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <string>

// The conversions below use std::to_chars / std::from_chars, which ignore the
// process locale (QApplication takes the user's locale into the C library, so
// printf and strtod could write or expect a decimal comma).

namespace {
// A plain decimal number as collected by Val and StrictNumber ("-12.5e3",
// "+.5"); nullopt when it does not fit a double.
std::optional<double> parseDecimal(const std::string& s) {
    double v = 0;
    const char* first = s.data();
    const char* last = s.data() + s.size();
    if (first != last && *first == '+') ++first;
    const auto res = std::from_chars(first, last, v, std::chars_format::general);
    if (res.ec != std::errc() || res.ptr != last || !std::isfinite(v)) return std::nullopt;
    return v;
}
}  // namespace

QString CStr(double value) {
    if (value == 0) return QStringLiteral("0");  // also -0
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    // Like "%.15G": "1E-05", "1E+15", "0.0001", "123456789012345".
    return QString::fromLatin1(buf, int(res.ptr - buf)).toUpper();
}

QString Str(double value) {
    QString s = CStr(value);
    return value < 0 ? s : QStringLiteral(" ") + s;
}

QString PrintNumber(double value) {
    QString s = Str(value);
    // Text files carry no zero before the point: " .5 ", "-.25 ".
    if (s.size() > 2 && s[1] == QLatin1Char('0') && s[2] == QLatin1Char('.')) s.remove(1, 1);
    return s + QLatin1Char(' ');
}

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
    return parseDecimal(s).value_or(0);  // out of range counts as no number
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
    return parseDecimal(std::string(b.constData(), size_t(n)));
}
