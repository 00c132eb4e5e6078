#include "analysis/PowerLawFit.h"

#include "data/BobGeometry.h"
#include "data/Numbers.h"
#include "data/Units.h"

#include <cmath>

namespace {

const QString kNA = QStringLiteral("N/A");

// An analysis cell: "N/A" where a number cannot be shown.
QString analysisCell(double value, const QString& mask) {
    return std::isfinite(value) ? Format(value, mask) : kNA;
}

}  // namespace

PowerLawResult AnalysePowerLaw(const std::vector<FitPoint>& fit, double bobRadius) {
    PowerLawResult res;
    const int n = int(fit.size());
    if (n < 3) return res;

    // The power law stress = K x rate^n' as a line: log10 of the shear stress
    // (dyn/cm²) on log10 of the shear rate, slope n'. Its R² is that of the
    // stress, which the law describes: 1 for points on a power law, whatever
    // n'. (The viscosity line of the same fit, 100 x stress / rate, has the
    // same residuals but is flat near n' = 1, where its correlation is only
    // the rounding of the stored values.)
    std::vector<double> x(size_t(n) + 1), y(size_t(n) + 1);
    for (int i = 1; i <= n; ++i) {
        x[size_t(i)] = fit[size_t(i - 1)].logRate;
        y[size_t(i)] = fit[size_t(i - 1)].logStress;
    }
    double slope = std::nan(""), intercept = std::nan(""), r = 0;
    LinearRegression(n, x, y, slope, intercept, r);
    if (std::isnan(slope) || std::isnan(intercept)) return res;  // all shear rates the same: no line

    res.fitted = true;
    // A line through every point (stresses that do not vary: the regression
    // gives r 0 for them) describes them wholly.
    bool throughEvery = true;
    for (int i = 1; i <= n; ++i)
        throughEvery = throughEvery && std::abs(y[size_t(i)] - (slope * x[size_t(i)] + intercept)) <= 1e-9;
    res.R2 = throughEvery ? 1.0 : r * r;
    res.nPrime = slope;
    res.intercept = 2 + intercept;  // log10 of K in cP: 100 x the stress at 1 1/s
    const double nP = res.nPrime;
    double K = std::pow(10.0, res.intercept);
    res.accepted = nP > 0.002 && nP < 5 && res.intercept < 32;
    res.geometry = bob::FitsCup(bobRadius);
    res.Kb = res.Ks = res.V40 = res.V100 = res.V170 = std::nan("");

    if (res.accepted && res.geometry) {
        const double s = bob::kCupRadiusCm / bobRadius;
        // G = s^(2/n') (s² - 1) / (n' s² (s^(2/n') - 1)), written with s^(-2/n')
        // so that a large power cannot overflow.
        const double G = (s * s - 1) / (nP * s * s * (1 - std::pow(s, -2 / nP)));
        const double Kb = K * std::pow(G, -nP);
        const double Ks = Kb * std::pow((2 * nP + 1) / (3 * nP), nP);
        res.V40 = Ks * std::pow(40.0, nP - 1);
        res.V100 = Ks * std::pow(100.0, nP - 1);
        res.V170 = Ks * std::pow(170.0, nP - 1);
        res.Kb = Kb / 478.8;
        res.Ks = Ks / 478.8;
    }
    res.K = K / 478.8;
    return res;
}

QStringList PowerLawCells(const PowerLawResult& r) {
    static const QString m6 = QStringLiteral("0.000000"), m4 = QStringLiteral("0.0000"),
                         mV = QStringLiteral("0.0#");
    if (!r.fitted) return QStringList(8, kNA);
    QStringList cells;
    cells << analysisCell(r.nPrime, m6) << analysisCell(KToDisplay(r.K), m6) << analysisCell(r.R2, m4);
    if (!r.accepted || !r.geometry) {
        for (int k = 0; k < 5; ++k) cells << kNA;
        return cells;
    }
    cells << analysisCell(KToDisplay(r.Kb), m6) << analysisCell(KToDisplay(r.Ks), m6);
    cells << analysisCell(r.V40, mV) << analysisCell(r.V100, mV) << analysisCell(r.V170, mV);
    return cells;
}
