#include "calibration/CalibrationMath.h"

#include "data/Numbers.h"

#include <cmath>

namespace calibration {

LineFit FitLine(const std::vector<double>& x, const std::vector<double>& y) {
    LineFit fit;
    const size_t n = std::min(x.size(), y.size());
    if (n < 2) return fit;
    double mx = 0, my = 0;
    for (size_t i = 0; i < n; ++i) {
        mx += x[i];
        my += y[i];
    }
    mx /= double(n);
    my /= double(n);
    double sxx = 0, sxy = 0;
    for (size_t i = 0; i < n; ++i) {
        sxx += (x[i] - mx) * (x[i] - mx);
        sxy += (x[i] - mx) * (y[i] - my);
    }
    if (!(sxx > 0) || !std::isfinite(sxx) || !std::isfinite(sxy)) return fit;
    fit.slope = sxy / sxx;
    fit.intercept = my - fit.slope * mx;
    double sum = 0;
    for (size_t i = 0; i < n; ++i) {
        const double r = fit.intercept + fit.slope * x[i] - y[i];
        sum += r * r;
    }
    fit.mse = sum / double(n);
    fit.ok = true;
    return fit;
}

std::vector<double> ReportSpeeds(const std::vector<double>& stress) {
    std::vector<double> speed(stress.size(), 0.0);
    for (size_t j = 1; j < stress.size(); ++j) {
        const double d = stress[j] - stress[j - 1];
        if (std::fabs(d) <= 0.1)
            speed[j] = speed[j - 1];
        else if (d > 0.1 && speed[j - 1] < 600)
            speed[j] = speed[j - 1] + 10;
        else
            speed[j] = speed[j - 1] - 10;
    }
    return speed;
}

std::optional<Segment> SegmentThrough(double x1, double y1, double x2, double y2) {
    if (x1 == x2 || !std::isfinite(x1) || !std::isfinite(x2)) return std::nullopt;
    Segment s;
    s.slope = (y2 - y1) / (x2 - x1);
    s.intercept = y1 - s.slope * x1;
    if (!std::isfinite(s.slope) || !std::isfinite(s.intercept)) return std::nullopt;
    return s;
}

std::vector<double> PistonHeights(bool large) {
    return large ? std::vector<double>{0, 0.25, 0.5, 0.75, 1} : std::vector<double>{0, 0.5, 1, 2};
}

QStringList PistonStepCaptions(bool large) {
    if (large) {
        QStringList c;
        for (int i = 1; i <= 5; ++i) c << QStringLiteral("Install #%1 rod into piston and click here").arg(i);
        return c;
    }
    return {QStringLiteral("Set magnet at top with flat spacer and click here"),
            QStringLiteral("Insert 0.5 in. spacer and click here"), QStringLiteral("Insert 1 in. spacer and click here"),
            QStringLiteral("Insert 2 in. spacer and click here")};
}


}  // namespace calibration
