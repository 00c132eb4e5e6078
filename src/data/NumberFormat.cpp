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

#include <charconv>
#include <cmath>
#include <string>

namespace {

bool isPlaceholder(QChar c) { return c == QLatin1Char('0') || c == QLatin1Char('#'); }

// |value| rounded to `decimals` fraction digits: the integer digits without
// leading zeros ("" for zero) and exactly `decimals` fraction digits.
struct Rounded {
    std::string intDigits;
    std::string fracDigits;
    bool isZero() const {
        return intDigits.find_first_not_of('0') == std::string::npos &&
               fracDigits.find_first_not_of('0') == std::string::npos;
    }
};

Rounded roundDecimal(double magnitude, int decimals) {
    // 15 significant digits: d.dddddddddddddde±x
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 14);
    const std::string sci(buf, res.ptr);
    const auto e = sci.find('e');
    std::string digits = sci.substr(0, 1) + sci.substr(2, e - 2);  // 15 digits, no point
    int point = std::stoi(sci.substr(e + 1)) + 1;                    // digits before the point

    Rounded r;
    if (digits.find_first_not_of('0') == std::string::npos) {
        r.fracDigits.assign(decimals, '0');
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
                digits.insert(digits.begin(), '1');
                ++point;
            }
        }
    }
    // Digit k of the value (k = 0 is the first digit of `digits`, standing
    // `point` places before the decimal point); zero outside the kept digits.
    auto digitAt = [&](long k) { return k >= 0 && k < long(digits.size()) ? digits[k] : '0'; };
    for (long k = 0; k < point; ++k) r.intDigits += digitAt(k);
    const auto first = r.intDigits.find_first_not_of('0');
    r.intDigits = first == std::string::npos ? std::string() : r.intDigits.substr(first);
    for (long k = 0; k < decimals; ++k) r.fracDigits += digitAt(point + k);
    return r;
}

}  // namespace

QString Format(double value, const QString& mask) {
    if (mask.isEmpty() || !std::isfinite(value)) return CStr(value);

    const int pointAt = mask.indexOf(QLatin1Char('.'));
    const QString intMask = pointAt < 0 ? mask : mask.left(pointAt);
    const QString fracMask = pointAt < 0 ? QString() : mask.mid(pointAt + 1);

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

    Rounded r = roundDecimal(std::fabs(value), decimals);
    const bool negative = value < 0 && !r.isZero();

    std::string digits = r.intDigits;
    if (int(digits.size()) < minIntDigits) digits.insert(0, minIntDigits - digits.size(), '0');

    // Integer part, filled from the right.
    QString intOut;
    if (intPlaces == 0) {
        intOut = intMask + QString::fromLatin1(digits);
    } else {
        int left = int(digits.size());  // digits not placed yet: digits[0 .. left-1]
        int seen = 0;
        for (int k = intMask.size() - 1; k >= 0; --k) {
            const QChar c = intMask[k];
            if (!isPlaceholder(c)) {
                intOut.prepend(c);
                continue;
            }
            if (++seen == intPlaces) {
                intOut.prepend(QString::fromLatin1(digits.data(), left));
                left = 0;
            } else if (left > 0) {
                intOut.prepend(QLatin1Char(digits[--left]));
            }
        }
    }

    // Fraction part, filled from the left; "#" places beyond the last
    // significant digit stay empty.
    const auto lastNonZero = r.fracDigits.find_last_not_of('0');
    const int shown = std::max(lastZero, lastNonZero == std::string::npos ? 0 : int(lastNonZero) + 1);
    QString fracOut;
    int place = 0;
    for (QChar c : fracMask) {
        if (!isPlaceholder(c)) {
            fracOut += c;
            continue;
        }
        if (place < shown) fracOut += QLatin1Char(r.fracDigits[place]);
        ++place;
    }

    QString out;
    if (negative) out += QLatin1Char('-');
    out += intOut;
    if (pointAt >= 0) out += QLatin1Char('.') + fracOut;
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
