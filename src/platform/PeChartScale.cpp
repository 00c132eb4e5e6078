// The scale and tick arithmetic of the 2-D chart control (see PeChart.cpp for
// the widget that uses it).

#include "platform/PeChartScale.h"

#include <QLogValueAxis>
#include <QValueAxis>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace pechart {

namespace {
constexpr double kSteps[] = {1.0, 2.0, 2.5, 5.0};
constexpr double kEps = 1e-9;

template <class Visit>
void forEachStep(double span, int maxIntervals, Visit visit) {
    const int top = int(std::floor(std::log10(span))) + 1;
    for (int e = top - int(std::ceil(std::log10(double(std::max(1, maxIntervals))))) - 1; e <= top; ++e)
        for (double m : kSteps) visit(m * std::pow(10.0, e));
}
}  // namespace

int StepDecimals(double step) {
    for (int d = 0; d < 6; ++d) {
        const double scaled = step * std::pow(10.0, d);
        if (std::abs(scaled - std::round(scaled)) <= 1e-6 * std::max(1.0, std::abs(scaled))) return d;
    }
    return 6;
}

LinearTicks NiceScale(double lo, double hi, int maxIntervals) {
    maxIntervals = std::max(3, maxIntervals);
    if (!std::isfinite(lo) || !std::isfinite(hi)) lo = 0, hi = 1;
    if (lo > hi) std::swap(lo, hi);
    if (lo == hi) {
        const double pad = lo == 0.0 ? 1.0 : std::abs(lo) * 0.1;
        lo -= pad;
        hi += pad;
    }
    LinearTicks best;
    double bestSpan = std::numeric_limits<double>::infinity();
    // Where no round step gives 3 to maxIntervals steps, a few more are allowed.
    for (int most = maxIntervals; !std::isfinite(bestSpan) && most <= maxIntervals + 6; ++most) {
        forEachStep(hi - lo, most, [&](double step) {
            const double a = std::floor(lo / step + kEps) * step;
            const double b = std::ceil(hi / step - kEps) * step;
            const int n = int(std::lround((b - a) / step));
            if (n < 3 || n > most) return;
            // the least room wasted; on a tie the larger step
            if (b - a < bestSpan - kEps * step || (std::abs(b - a - bestSpan) <= kEps * step && step > best.step)) {
                bestSpan = b - a;
                best = LinearTicks{a, b, a, step, StepDecimals(step)};
            }
        });
    }
    if (!std::isfinite(bestSpan)) {  // a span too small for the number type
        const double step = (hi - lo) / 2;
        best = LinearTicks{lo, hi, lo, step, 6};
    }
    return best;
}

LinearTicks RoundTicksWithin(double lo, double hi, int maxIntervals) {
    maxIntervals = std::max(2, maxIntervals);
    if (lo > hi) std::swap(lo, hi);
    LinearTicks t{lo, hi, lo, hi - lo, 6};
    if (!(hi > lo) || !std::isfinite(hi - lo)) return t;
    // the smallest round step that gives no more than maxIntervals + 1 ticks
    double chosen = 0;
    forEachStep(hi - lo, maxIntervals, [&](double step) {
        if (chosen > 0) return;
        const double first = std::ceil(lo / step - kEps) * step;
        const int ticks = int(std::floor((hi - first) / step + kEps)) + 1;
        if (ticks <= maxIntervals + 1) chosen = step;
    });
    if (chosen <= 0) return t;
    t.step = chosen;
    t.first = std::ceil(lo / chosen - kEps) * chosen;
    t.decimals = StepDecimals(chosen);
    return t;
}

std::pair<double, double> WithMinimumSpan(double lo, double hi) {
    if (lo > hi) std::swap(lo, hi);
    const double magnitude = std::max(std::abs(lo), std::abs(hi));
    const double least = magnitude == 0.0 ? 2.0 : 0.1 * magnitude;
    if (hi - lo >= least) return {lo, hi};
    const double mid = lo / 2 + hi / 2;
    return {mid - least / 2, mid + least / 2};
}

bool XOnlyRises(const QList<QPointF>& points) {
    for (qsizetype k = 1; k < points.size(); ++k)
        if (!(points[k].x() > points[k - 1].x())) return false;
    return true;
}

double AxisMap::operator()(double v) const { return offset + scale * (log ? std::log10(v) : v); }

QList<QPointF> ThinLine(const QList<QPointF>& points, const AxisMap& x) {
    QList<QPointF> out;
    const qsizetype n = points.size();
    out.reserve(std::min<qsizetype>(n, 4096));
    for (qsizetype a = 0; a < n;) {
        const double column = std::floor(x(points[a].x()));
        qsizetype b = a + 1, lo = a, hi = a;
        for (; b < n && std::floor(x(points[b].x())) == column; ++b) {
            if (points[b].y() < points[lo].y()) lo = b;
            if (points[b].y() > points[hi].y()) hi = b;
        }
        // first, lowest, highest, last: in their order, each once
        const std::array<qsizetype, 4> keep{a, std::min(lo, hi), std::max(lo, hi), b - 1};
        qsizetype last = -1;
        for (qsizetype k : keep) {
            if (k == last) continue;
            out.append(points[k]);
            last = k;
        }
        a = b;
    }
    return out;
}

QList<QPointF> ThinMarkers(const QList<QPointF>& points, const AxisMap& x, const AxisMap& y) {
    // Cells are marked in a grid over the span of the points (up to a few
    // million cells); points beyond a sensible plot are compared by sorting.
    constexpr double kMostCells = 16.0 * 1024 * 1024;
    double x0 = std::numeric_limits<double>::infinity(), x1 = -x0, y0 = x0, y1 = -x0;
    std::vector<std::pair<double, double>> cell(size_t(points.size()));
    for (qsizetype k = 0; k < points.size(); ++k) {
        const double cx = std::floor(2 * x(points[k].x())), cy = std::floor(2 * y(points[k].y()));
        cell[size_t(k)] = {cx, cy};
        if (!std::isfinite(cx) || !std::isfinite(cy)) continue;
        x0 = std::min(x0, cx), x1 = std::max(x1, cx), y0 = std::min(y0, cy), y1 = std::max(y1, cy);
    }
    QList<QPointF> out;
    if (points.isEmpty()) return out;
    const double w = x1 - x0 + 1, h = y1 - y0 + 1;
    if (w >= 1 && h >= 1 && w * h <= kMostCells) {
        std::vector<bool> taken(size_t(w * h), false);
        for (qsizetype k = 0; k < points.size(); ++k) {
            const auto [cx, cy] = cell[size_t(k)];
            if (!std::isfinite(cx) || !std::isfinite(cy)) {
                out.append(points[k]);
                continue;
            }
            const size_t at = size_t(cy - y0) * size_t(w) + size_t(cx - x0);
            if (taken[at]) continue;
            taken[at] = true;
            out.append(points[k]);
        }
        return out;
    }
    std::vector<std::pair<std::pair<double, double>, qsizetype>> byCell;
    byCell.reserve(cell.size());
    for (qsizetype k = 0; k < points.size(); ++k) byCell.push_back({cell[size_t(k)], k});
    std::sort(byCell.begin(), byCell.end());
    std::vector<qsizetype> kept;
    for (size_t k = 0; k < byCell.size(); ++k)
        if (k == 0 || byCell[k].first != byCell[k - 1].first) kept.push_back(byCell[k].second);
    std::sort(kept.begin(), kept.end());
    out.reserve(qsizetype(kept.size()));
    for (qsizetype k : kept) out.append(points[k]);
    return out;
}

QList<ScaleTick> ScaleTicks(QAbstractAxis* axis) {
    QList<ScaleTick> out;
    if (auto* v = qobject_cast<QValueAxis*>(axis)) {
        const QByteArray format = v->labelFormat().toLatin1();
        const double step = v->tickInterval() > 0 ? v->tickInterval() : (v->max() - v->min());
        if (!(step > 0)) return out;
        const double first = v->tickAnchor() + std::ceil((v->min() - v->tickAnchor()) / step - 1e-9) * step;
        for (int k = 0; k < 200; ++k) {
            double t = first + k * step;
            if (t > v->max() + step * 1e-9) break;
            if (std::abs(t) < step * 1e-9) t = 0.0;
            out.append({t, QString::asprintf(format.constData(), t), true});
        }
    } else if (auto* l = qobject_cast<QLogValueAxis*>(axis)) {
        if (!(l->min() > 0) || !(l->max() > l->min())) return out;
        const bool labelMinor = std::log10(l->max() / l->min()) <= 3.0 + 1e-9;
        for (double decade = std::pow(10.0, std::floor(std::log10(l->min()) + 1e-9)); decade <= l->max() * 1.0000001;
             decade *= 10.0) {
            for (int m = 1; m <= 9; ++m) {
                const double t = decade * m;
                if (t < l->min() * 0.9999999 || t > l->max() * 1.0000001) continue;
                const bool labelled = m == 1 || (labelMinor && (m == 2 || m == 5));
                out.append({t, labelled ? QString::asprintf("%g", t) : QString(), m == 1});
            }
        }
    }
    return out;
}

}  // namespace pechart
