// Format: numbers through the fixed digit masks of the grids, reports and
// controls.
//
// Mask characters:
//   "0"  a digit that is always shown (a leading or trailing zero if need be);
//   "#"  a digit shown only when it is significant;
//   "."  the decimal point (the first one); it is shown even when no digit
//        follows it, so 3 under "0.##" gives "3.";
//   "%"  multiplies the value by 100 and is shown where it stands;
//   any other character is copied as it stands (" 000.00" keeps its blank).
// The integer part always shows all its digits, however few placeholders the
// mask has; extra digits go where the leftmost integer placeholder stands (or
// just before the point when the integer part has none). The value is rounded
// to the mask's last fraction digit, halves away from zero, on its 15
// significant decimal digits, so 2.675 under "0.00" gives "2.68" although the
// double nearest to 2.675 lies a little below it. A negative value gets a
// leading "-", unless it rounds to zero under the mask ("0.0" shows -0.01 as
// "0.0"). An empty mask gives the shortest decimal form (CStr).

#include "data/Numbers.h"

#include <QVarLengthArray>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace {

bool isPlaceholder(QChar c) { return c == QLatin1Char('0') || c == QLatin1Char('#'); }

// A few dozen characters kept on the stack; reports format hundreds of
// thousands of numbers, so nothing here allocates but the result.
using Chars = QVarLengthArray<char, 48>;

// |value| rounded to `decimals` fraction digits: the integer digits without
// leading zeros (none for zero) and exactly `decimals` fraction digits.
struct Rounded {
    Chars intDigits;
    Chars fracDigits;
    static bool allZero(const Chars& d) {
        for (char c : d)
            if (c != '0') return false;
        return true;
    }
    bool isZero() const { return allZero(intDigits) && allZero(fracDigits); }
};

Rounded roundDecimal(double magnitude, int decimals) {
    // 15 significant digits: d.dddddddddddddde±x
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 14);
    const char* e = std::find(buf, res.ptr, 'e');
    Chars digits;  // 15 digits, no point
    digits.append(buf[0]);
    for (const char* c = buf + 2; c < e; ++c) digits.append(*c);
    int exponent = 0;
    const char* expStart = e + 1;
    if (*expStart == '+') ++expStart;
    std::from_chars(expStart, res.ptr, exponent);
    int point = exponent + 1;  // digits before the point

    Rounded r;
    if (Rounded::allZero(digits)) {
        for (int k = 0; k < decimals; ++k) r.fracDigits.append('0');
        return r;
    }

    const long keep = long(point) + decimals;  // digits kept after rounding
    if (keep < 0) {
        digits.clear();
    } else if (keep < long(digits.size())) {
        const bool up = digits[keep] >= '5';
        digits.resize(keep);
        if (up) {
            long i = keep - 1;
            while (i >= 0 && digits[i] == '9') digits[i--] = '0';
            if (i >= 0) {
                ++digits[i];
            } else {
                digits.insert(qsizetype(0), '1');
                ++point;
            }
        }
    }
    // Digit k of the value (k = 0 is the first digit of `digits`, standing
    // `point` places before the decimal point); zero outside the kept digits.
    auto digitAt = [&](long k) { return k >= 0 && k < long(digits.size()) ? digits[k] : '0'; };
    bool leading = true;
    for (long k = 0; k < point; ++k) {
        const char d = digitAt(k);
        if (leading && d == '0') continue;
        leading = false;
        r.intDigits.append(d);
    }
    for (long k = 0; k < decimals; ++k) r.fracDigits.append(digitAt(point + k));
    return r;
}

}  // namespace

QString Format(double value, const QString& mask) {
    if (mask.isEmpty() || !std::isfinite(value)) return CStr(value);

    const int pointAt = mask.indexOf(QLatin1Char('.'));
    const QStringView intMask = pointAt < 0 ? QStringView(mask) : QStringView(mask).left(pointAt);
    const QStringView fracMask = pointAt < 0 ? QStringView() : QStringView(mask).mid(pointAt + 1);

    if (mask.contains(QLatin1Char('%'))) value *= 100;

    int decimals = 0;
    int lastZero = 0;  // fraction places up to the last "0" are always shown
    for (QChar c : fracMask) {
        if (!isPlaceholder(c)) continue;
        ++decimals;
        if (c == QLatin1Char('0')) lastZero = decimals;
    }
    int intPlaces = 0;
    int minIntDigits = 0;  // placeholders from the leftmost "0" on
    for (QChar c : intMask) {
        if (!isPlaceholder(c)) continue;
        ++intPlaces;
        if (c == QLatin1Char('0') && minIntDigits == 0) minIntDigits = 1;
        else if (minIntDigits > 0) ++minIntDigits;
    }

    const Rounded r = roundDecimal(std::fabs(value), decimals);
    const bool negative = value < 0 && !r.isZero();

    Chars digits;
    for (int k = int(r.intDigits.size()); k < minIntDigits; ++k) digits.append('0');
    digits.append(r.intDigits.constData(), r.intDigits.size());

    QString out;
    out.reserve(mask.size() + int(digits.size()) + 2);
    if (negative) out += QLatin1Char('-');

    // Integer part, filled from the right (into `rev`, then turned round).
    if (intPlaces == 0) {
        out += intMask;
        out += QLatin1StringView(digits.constData(), digits.size());
    } else {
        QVarLengthArray<QChar, 48> rev;
        int left = int(digits.size());  // digits not placed yet: digits[0 .. left-1]
        int seen = 0;
        for (int k = int(intMask.size()) - 1; k >= 0; --k) {
            const QChar c = intMask[k];
            if (!isPlaceholder(c)) {
                rev.append(c);
                continue;
            }
            if (++seen == intPlaces) {
                while (left > 0) rev.append(QLatin1Char(digits[--left]));
            } else if (left > 0) {
                rev.append(QLatin1Char(digits[--left]));
            }
        }
        for (qsizetype k = rev.size() - 1; k >= 0; --k) out += rev[k];
    }

    // Fraction part, filled from the left; "#" places beyond the last
    // significant digit stay empty.
    if (pointAt >= 0) {
        int lastNonZero = 0;
        for (int k = 0; k < int(r.fracDigits.size()); ++k)
            if (r.fracDigits[k] != '0') lastNonZero = k + 1;
        const int shown = std::max(lastZero, lastNonZero);
        out += QLatin1Char('.');
        int place = 0;
        for (QChar c : fracMask) {
            if (!isPlaceholder(c)) {
                out += c;
                continue;
            }
            if (place < shown) out += QLatin1Char(r.fracDigits[place]);
            ++place;
        }
    }
    return out;
}

QString Format(const QVariant& value, const QString& mask) {
    if (!value.isValid() || value.isNull()) return QString();
    const int type = value.typeId();
    if (type == QMetaType::QString || type == QMetaType::QByteArray || type == QMetaType::QChar) {
        const QString text = value.toString();
        const auto number = StrictNumber(text);
        return number ? Format(*number, mask) : text;
    }
    bool ok = false;
    const double number = value.toDouble(&ok);
    return ok ? Format(number, mask) : value.toString();
}
