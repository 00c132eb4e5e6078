#include "data/Units.h"

#include "data/Globals.h"
#include "data/Numbers.h"

#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>

namespace {

bool isCgs() { return gUnitSystem == 1; }

// One argument of the temperature pair: nullopt when it is absent (the empty
// text or an empty QVariant), its number otherwise.
std::optional<double> tempArgument(const QVariant& v, const char* name) {
    if (!v.isValid() || v.isNull()) return std::nullopt;
    const int type = v.typeId();
    if (type == QMetaType::QString || type == QMetaType::QByteArray || type == QMetaType::QChar) {
        const QString text = v.toString();
        if (text.isEmpty()) return std::nullopt;
        if (auto n = StrictNumber(text)) return n;
        throw std::invalid_argument(std::string("temperature ") + name + " is not a number: " + text.toStdString());
    }
    bool ok = false;
    const double n = v.toDouble(&ok);
    if (!ok) throw std::invalid_argument(std::string("temperature ") + name + " is not a number");
    return n;
}

}  // namespace

double Log10(double x) {
    if (!(x > 0)) throw std::domain_error("Log10 of a number that is not positive");
    return std::log10(x);
}

void LinearRegression(int n, const std::vector<double>& x, const std::vector<double>& y, double& slope,
                      double& intercept, double& r) {
    if (n < 1) throw std::domain_error("LinearRegression needs at least one point");
    if (x.size() <= size_t(n) || y.size() <= size_t(n))
        throw std::out_of_range("LinearRegression: fewer points in the arrays than n");
    r = 0;

    double sx = 0, sy = 0, sxy = 0, sxx = 0, syy = 0;
    for (int i = 1; i <= n; ++i) {
        sx += x[i];
        sy += y[i];
        sxy += x[i] * y[i];
        sxx += x[i] * x[i];
        syy += y[i] * y[i];
    }
    const double mx = sx / n;
    const double my = sy / n;

    if (std::fabs(sxx - n * mx * mx) < 1e-9) return;  // all x equal: no line

    const double syVariation = syy - sy * sy / n;
    if (!(std::fabs(syVariation) > 1e-10)) {  // all y equal: the flat line through them
        slope = 0;
        intercept = my;
        return;
    }
    slope = (sxy - n * mx * my) / (sxx - n * mx * mx);
    intercept = my - slope * mx;
    r = std::sqrt(std::fabs(slope * slope * (sxx - sx * sx / n) / syVariation));
}

QString ConvertTempText(const QVariant& F, const QVariant& C) {
    const auto f = tempArgument(F, "F");
    const auto c = tempArgument(C, "C");
    if (c && !f) return Format(*c * 1.8 + 32, QStringLiteral("##0.0"));
    if (f && !c) return Format((*f - 32) / 1.8, QStringLiteral("##0.0"));
    return QStringLiteral("-1.0");
}

int ConvertTempInt(const QVariant& F, const QVariant& C) {
    const auto f = tempArgument(F, "F");
    const auto c = tempArgument(C, "C");
    double whole;
    if (c && !f) whole = std::floor(*c * 1.8 + 32);
    else if (f && !c) whole = std::floor((*f - 32) / 1.8 + 0.5);
    else return -1;
    if (!(whole >= std::numeric_limits<int>::min() && whole <= std::numeric_limits<int>::max()))
        throw std::out_of_range("ConvertTempInt: temperature out of range");
    return int(whole);
}

double TempToDisplay(double t) {
    if (isCgs()) return t;
    return t >= 0 ? (t - 32) * 5 / 9 : -1;
}

double TempFromDisplay(double t) { return isCgs() ? t : t / 5 * 9 + 32; }

double StressToDisplay(double s) { return isCgs() ? s : s / 10; }

double KToDisplay(double k) { return gKUnit == 2 ? k / 100 : k; }

QString LengthToDisplayText(double length) {
    return isCgs() ? Format(length, QStringLiteral("#0.0###")) : Format(length * 25.4, QStringLiteral("#0.0#"));
}

double LengthFromDisplay(double length) { return isCgs() ? length : length / 25.4; }

double LengthToDisplay(double length) {
    if (isCgs() || !std::isfinite(length)) return length;
    return std::round(length * 25.4 * 1e6) / 1e6;
}
