// The scale and tick arithmetic of the 2-D chart control (see PeChart.cpp for
// the widget that uses it).

#include "platform/PeChartScale.h"

#include <QLogValueAxis>
#include <QValueAxis>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
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
    const int least = std::clamp(maxIntervals, 1, 3);
    maxIntervals = std::max(least, maxIntervals);
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
            if (n < least || n > most) return;
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

bool IsFlat(double lo, double hi) {
    if (lo > hi) std::swap(lo, hi);
    return WithMinimumSpan(lo, hi) != std::make_pair(lo, hi);
}

namespace {

// The scales a nearly constant curve may take: 3 to maxIntervals round
// steps spanning its widened range up to two and a half times it, at whole
// steps, the values strictly inside; the tighter first, each with the height
// of the values' middle on it.
struct FlatChoice {
    LinearTicks ticks;
    double height;
};
std::vector<FlatChoice> flatChoices(double lo, double hi, int maxIntervals) {
    if (lo > hi) std::swap(lo, hi);
    const auto [wideLo, wideHi] = WithMinimumSpan(lo, hi);
    const double least = wideHi - wideLo;
    const double mid = lo / 2 + hi / 2;
    std::vector<FlatChoice> out;
    const int fewest = std::min(3, maxIntervals);
    if (least > 0 && std::isfinite(least)) {
        forEachStep(least, maxIntervals, [&](double step) {
            for (int n = fewest; n <= maxIntervals; ++n) {
                const double span = n * step;
                if (span < least * (1 - kEps) || span > 2.5 * least) continue;
                const double below = std::floor(lo / step + kEps);
                for (int j = 0; j <= n; ++j) {
                    const double a = (below - j) * step, b = a + span;
                    if (!(a < lo && b > hi)) continue;
                    out.push_back({LinearTicks{a, b, a, step, StepDecimals(step)}, (mid - a) / (b - a)});
                }
            }
        });
    }
    std::stable_sort(out.begin(), out.end(), [](const FlatChoice& x, const FlatChoice& y) {
        return x.ticks.hi - x.ticks.lo < y.ticks.hi - y.ticks.lo;
    });
    if (out.empty()) {  // a span too small for the number type
        const LinearTicks t = NiceScale(wideLo, wideHi, maxIntervals);
        out.push_back({t, t.hi > t.lo ? (mid - t.lo) / (t.hi - t.lo) : 0.5});
    }
    return out;
}

}  // namespace

QList<LinearTicks> FlatScales(const QList<std::pair<double, double>>& ranges, int maxIntervals) {
    const int m = int(ranges.size());
    std::vector<std::vector<FlatChoice>> choices;
    for (const auto& [lo, hi] : ranges) choices.push_back(flatChoices(lo, hi, maxIntervals));
    // The curves whose scales give the fewest heights choose first. Each
    // takes, of its heights that keep apart from those taken, the one nearest
    // its share of the height (the first curve highest); when none keeps
    // apart, the one farthest from those taken.
    std::vector<int> order(static_cast<size_t>(m));
    for (int i = 0; i < m; ++i) order[size_t(i)] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return choices[size_t(a)].size() < choices[size_t(b)].size(); });
    const double apart = 0.5 / (m + 1);
    std::vector<double> taken;
    QList<LinearTicks> out(m);
    for (int i : order) {
        const double target = 1.0 - double(i + 1) / double(m + 1);
        const FlatChoice* best = nullptr;
        double bestCost = std::numeric_limits<double>::infinity();
        for (const FlatChoice& c : choices[size_t(i)]) {
            double nearest = std::numeric_limits<double>::infinity();
            for (double h : taken) nearest = std::min(nearest, std::abs(h - c.height));
            const double cost = nearest >= apart - 1e-9 ? std::abs(c.height - target) : 2.0 - nearest;
            if (cost < bestCost - 1e-9) {
                bestCost = cost;
                best = &c;
            }
        }
        taken.push_back(best->height);
        out[i] = best->ticks;
    }
    return out;
}

std::pair<double, double> RoomAtEnds(double scaleLo, double scaleHi, double lo, double hi, double pixels,
                                     double room, bool log) {
    if (log) {
        if (!(scaleLo > 0) || !(lo > 0) || !(hi > 0)) return {scaleLo, scaleHi};
        const auto [a, b] =
            RoomAtEnds(std::log10(scaleLo), std::log10(scaleHi), std::log10(lo), std::log10(hi), pixels, room, false);
        return {std::pow(10.0, a), std::pow(10.0, b)};
    }
    if (lo > hi) std::swap(lo, hi);
    if (!(scaleHi > scaleLo) || !(pixels > 2 * room + 1) || !(room > 0) || !std::isfinite(lo) || !std::isfinite(hi))
        return {scaleLo, scaleHi};
    // An end the values come closer to than the room moves out by the room:
    // on the scale the new ends make, the old end lies `room` pixels inside.
    // The new ends depend on the values only through which ends move, so a
    // scale stays as it is while the values change a little.
    const double unit = (scaleHi - scaleLo) / pixels;
    const double slack = 1e-9 * (scaleHi - scaleLo);
    const bool moveLo = lo - scaleLo < room * unit - slack, moveHi = scaleHi - hi < room * unit - slack;
    const double r = room / pixels;
    const double span = (scaleHi - scaleLo) / (1 - r * (int(moveLo) + int(moveHi)));
    return {moveLo ? scaleLo - r * span : scaleLo, moveHi ? scaleHi + r * span : scaleHi};
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

bool CurveCourse::empty() const {
    return std::all_of(lo.begin(), lo.end(), [](double v) { return std::isnan(v); });
}

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// Every k-th point of a curve of n points is read for its course (and its
// last): some 16 points a column.
qsizetype courseStride(qsizetype n, int bins) { return std::max<qsizetype>(1, n / (16 * qsizetype(bins))); }

int courseColumn(double bx, int bins) { return int(std::clamp(std::floor(bx), 0.0, double(bins - 1))); }

// Takes the values of points[from] onward (every stride-th, and the last)
// into the columns of a course held open (a column not reached holds +inf
// in lo and -inf in hi), points[from] taken as the first of the curve. Stops
// before the first point whose column is above `until`.
void traceInto(std::vector<double>& lo, std::vector<double>& hi, const QList<QPointF>& points, qsizetype from,
               qsizetype stride, bool line, const AxisMap& x, int until = std::numeric_limits<int>::max()) {
    const int bins = int(lo.size());
    double px = 0, py = 0;
    int pb = -1;  // the column of the point before, -1 after a gap
    const qsizetype n = points.size();
    for (qsizetype i = from; i < n; i = i == n - 1 ? n : std::min(i + stride, n - 1)) {
        const QPointF& p = points[i];
        const double bx = x(p.x()), y = p.y();
        if (!(std::abs(bx) <= 1e6) || !std::isfinite(y)) {
            pb = -1;
            continue;
        }
        const int b = courseColumn(bx, bins);
        if (b > until) return;
        lo[size_t(b)] = std::min(lo[size_t(b)], y);
        hi[size_t(b)] = std::max(hi[size_t(b)], y);
        if (line && pb >= 0 && (b > pb + 1 || b < pb - 1)) {
            // the columns between the two points' own: the line's values across each
            const double slope = (y - py) / (bx - px);
            for (int k = std::min(pb, b) + 1; k < std::max(pb, b); ++k) {
                const double ya = py + slope * (k - px), yb = py + slope * (k + 1 - px);
                lo[size_t(k)] = std::min({lo[size_t(k)], ya, yb});
                hi[size_t(k)] = std::max({hi[size_t(k)], ya, yb});
            }
        }
        px = bx;
        py = y;
        pb = b;
    }
}

// A course held open (see traceInto) closed: NaN in the columns not reached;
// and back.
void closeCourse(CurveCourse& c) {
    for (size_t k = 0; k < c.lo.size(); ++k)
        if (c.lo[k] > c.hi[k]) c.lo[k] = c.hi[k] = std::numeric_limits<double>::quiet_NaN();
}
void openCourse(CurveCourse& c) {
    for (size_t k = 0; k < c.lo.size(); ++k)
        if (std::isnan(c.lo[k])) c.lo[k] = kInf, c.hi[k] = -kInf;
}

}  // namespace

CurveCourse CourseOf(const QList<QPointF>& points, bool line, const AxisMap& x, int bins) {
    CurveCourse c;
    bins = std::max(1, bins);
    c.lo.assign(size_t(bins), kInf);
    c.hi.assign(size_t(bins), -kInf);
    const qsizetype stride = courseStride(points.size(), bins);
    traceInto(c.lo, c.hi, points, 0, stride, line, x);
    c.points = points.size();
    closeCourse(c);
    c.everyPointRising = stride == 1 && XOnlyRises(points);
    return c;
}

bool CourseMovedOn(CurveCourse& course, const QList<QPointF>& before, const QList<QPointF>& after, bool line,
                   const AxisMap& x, int bins) {
    const qsizetype m = before.size(), n = after.size();
    if (!course.everyPointRising || bins < 1 || course.lo.size() != size_t(bins) || course.hi.size() != size_t(bins) ||
        m != course.points || m < 1 || n < 1 || courseStride(n, bins) != 1)
        return false;
    // The points that stay: the last m - s of before, the first of after.
    const double x0 = after[0].x();
    const auto at = std::lower_bound(before.begin(), before.end(), x0,
                                     [](const QPointF& p, double v) { return p.x() < v; });
    const qsizetype s = at - before.begin();
    const qsizetype kept = m - s;
    if (kept < 1 || kept > n ||
        std::memcmp(before.constData() + s, after.constData(), size_t(kept) * sizeof(QPointF)) != 0)
        return false;
    // Columns follow the points only where X rises (as it did along before):
    // the points gone lie in the columns up to that of the first point left,
    // and no later point.
    for (qsizetype i = kept; i < n; ++i)
        if (!(after[i].x() > after[i - 1].x())) return false;
    const double b0x = x(x0);
    if (!std::isfinite(b0x)) return false;
    openCourse(course);
    if (s > 0) {
        // the columns of the points gone (and of the lines from them) traced
        // again from the points left in them
        const int b0 = courseColumn(b0x, bins);
        std::fill(course.lo.begin(), course.lo.begin() + b0 + 1, kInf);
        std::fill(course.hi.begin(), course.hi.begin() + b0 + 1, -kInf);
        traceInto(course.lo, course.hi, after, 0, 1, line, x, b0);
    }
    // the points added, from the last that was there (a value taken twice
    // is taken once)
    if (kept < n) traceInto(course.lo, course.hi, after, kept - 1, 1, line, x);
    closeCourse(course);
    course.points = n;
    return true;
}

namespace {

// Where a scale puts values, in pixels from its bottom.
struct HeightMap {
    double a = 0, b = 1;
    bool log = false;
    double pixels = 1;
    double operator()(double v) const {
        const double t = log ? (v > 0 ? std::log10(v) : a) : v;
        return b > a ? (t - a) / (b - a) * pixels : pixels / 2;
    }
};

// A curve placed on its scale: its course in pixels from the bottom of the
// plot, column by column (NaN where it does not reach).
struct PlacedCurve {
    std::vector<double> lo, hi;
};
using Placed = std::vector<PlacedCurve>;

PlacedCurve placedOn(const CurveCourse& c, const HeightMap& m) {
    PlacedCurve p;
    p.lo.resize(c.lo.size());
    p.hi.resize(c.hi.size());
    for (size_t b = 0; b < c.lo.size(); ++b) {
        p.lo[b] = std::isnan(c.lo[b]) ? c.lo[b] : m(c.lo[b]);
        p.hi[b] = std::isnan(c.hi[b]) ? c.hi[b] : m(c.hi[b]);
    }
    return p;
}

// How much curves under a map lie over placed curves: the columns of the
// stretches in which they run (each a line no more than four times `near`
// high in the column) within `near` pixels of one for a twentieth of
// the X axis or more, where those make a tenth of the columns they reach or
// more (curves that cross meet for a few columns), and each column in which
// one of them runs along an end of the plot (within twice `near`) together
// with a placed curve (curves do not cross there). 0 when they lie over
// none.
double overlap(const QList<const CurveCourse*>& mine, const HeightMap& m, const Placed& placed, double near) {
    int reached = 0, along = 0, ends = 0;
    const double top = m.pixels - 2 * near;
    for (const CurveCourse* c : mine) {
        const int columns = int(c->lo.size());
        const int longRun = std::max(2, columns / 20);
        int run = 0;
        for (int b = 0; b <= columns; ++b) {
            bool isClose = false;
            if (b < columns && !std::isnan(c->lo[size_t(b)])) {
                ++reached;
                const double y0 = m(c->lo[size_t(b)]), y1 = m(c->hi[size_t(b)]);
                bool atEnd = false;
                // (a column a curve crosses steeply, or fills with its
                // noise, is no stretch along another)
                if (!(y1 - y0 > 4 * near)) {
                    for (const PlacedCurve& other : placed) {
                        if (size_t(b) >= other.lo.size()) continue;
                        const double z0 = other.lo[size_t(b)], z1 = other.hi[size_t(b)];
                        if (std::isnan(z0) || z1 - z0 > 4 * near) continue;
                        if (!(y0 <= z1 + near && z0 <= y1 + near)) continue;
                        isClose = true;
                        atEnd = atEnd || (y1 <= 2 * near && z1 <= 2 * near) || (y0 >= top && z0 >= top);
                    }
                }
                ends += atEnd ? 1 : 0;
            }
            if (isClose) {
                ++run;
            } else {
                if (run >= longRun) along += run;
                run = 0;
            }
        }
    }
    return ends + (reached > 0 && 10 * along >= reached ? along : 0);
}

// The round scales a curve's values may take besides its own, the tighter
// first, then those nearer its own.
std::vector<LinearTicks> otherScales(double lo, double hi, const LinearTicks& own, int maxIntervals) {
    std::vector<LinearTicks> out;
    const double span = hi - lo, ownSpan = own.hi - own.lo;
    if (!(span > 0) || !(ownSpan > 0) || !std::isfinite(span) || !std::isfinite(ownSpan)) return out;
    const int fewest = std::min(3, maxIntervals);
    forEachStep(span, maxIntervals, [&](double step) {
        for (int n = fewest; n <= maxIntervals; ++n) {
            const double width = n * step;
            if (width < span * (1 - kEps) || width > 2.5 * ownSpan * (1 + kEps)) continue;
            const double below = std::floor(lo / step + kEps);
            for (int j = 0; j <= n; ++j) {
                const double a = (below - j) * step, b = a + width;
                if (a > lo + kEps * step || b < hi - kEps * step) continue;
                if ((lo >= 0 && a < -kEps * step) || (hi <= 0 && b > kEps * step)) continue;
                out.push_back(LinearTicks{a, b, a, step, StepDecimals(step)});
            }
        }
    });
    // Labels no wider than its own: the room laid out beside the plot area
    // stays enough.
    const auto widest = [](const LinearTicks& t) {
        return std::max(QString::number(t.lo, 'f', t.decimals).size(), QString::number(t.hi, 'f', t.decimals).size());
    };
    const qsizetype ownWidth = widest(own);
    out.erase(std::remove_if(out.begin(), out.end(), [&](const LinearTicks& t) { return widest(t) > ownWidth; }),
              out.end());
    const auto offset = [&](const LinearTicks& t) { return std::abs(t.lo - own.lo) + std::abs(t.hi - own.hi); };
    std::stable_sort(out.begin(), out.end(), [&](const LinearTicks& x, const LinearTicks& y) {
        const double wx = x.hi - x.lo, wy = y.hi - y.lo;
        if (std::abs(wx - wy) > kEps * std::max(wx, wy)) return wx < wy;
        return offset(x) < offset(y);
    });
    return out;
}

}  // namespace

QList<LinearTicks> ScalesApart(const QList<ScaleCourses>& scales, double pixels, int maxIntervals, double near) {
    QList<LinearTicks> out;
    for (const ScaleCourses& s : scales) out.append(s.ticks);
    if (scales.size() < 2 || !(pixels > 0)) return out;
    const auto mapOf = [&](const ScaleCourses& s, const LinearTicks& t) {
        if (s.log) return HeightMap{s.lo > 0 ? std::log10(s.lo) : 0.0, s.hi > 0 ? std::log10(s.hi) : 1.0, true, pixels};
        return HeightMap{t.lo, t.hi, false, pixels};
    };
    Placed placed;
    const auto place = [&](qsizetype k) {
        const HeightMap m = mapOf(scales[k], out[k]);
        for (const CurveCourse* c : scales[k].curves) placed.push_back(placedOn(*c, m));
    };
    for (qsizetype k = 0; k < scales.size(); ++k)
        if (!scales[k].movable) place(k);
    for (qsizetype k = 0; k < scales.size(); ++k) {
        const ScaleCourses& s = scales[k];
        if (!s.movable) continue;
        double least = placed.empty() ? 0.0 : overlap(s.curves, mapOf(s, out[k]), placed, near);
        if (least > 0) {
            // the first of the least overlap (where the curves meet at an
            // end of every scale, as values rising from 0 together)
            for (const LinearTicks& t : otherScales(s.lo, s.hi, s.ticks, maxIntervals)) {
                const double o = overlap(s.curves, mapOf(s, t), placed, near);
                if (o < least) {
                    least = o;
                    out[k] = t;
                    if (o == 0) break;
                }
            }
        }
        place(k);
    }
    return out;
}

QList<Coinciding> CoincidingCurves(const QList<CurvePixels>& curves, double width, double height) {
    QList<Coinciding> out(curves.size());
    // Compared in cells of two by two pixels, up to 32 curves (one bit each).
    constexpr double kCell = 2.0;
    const int n = int(std::min<qsizetype>(curves.size(), 32));
    if (n < 2 || !(width > 0) || !(height > 0)) return out;
    const int cols = int(std::min(4096.0, std::ceil(width / kCell))) + 1;
    const int rows = int(std::min(4096.0, std::ceil(height / kCell))) + 1;
    const auto cellOf = [&](const QPointF& p) -> int {
        if (!(p.x() >= -0.5 && p.x() <= width + 0.5 && p.y() >= -0.5 && p.y() <= height + 0.5)) return -1;
        const int cx = std::clamp(int(std::floor(p.x() / kCell)), 0, cols - 1);
        const int cy = std::clamp(int(std::floor(p.y() / kCell)), 0, rows - 1);
        return cy * cols + cx;
    };
    // The cells each curve paints, and every curve's cells widened by one
    // cell all round (its bit in `near`).
    std::vector<std::vector<int>> painted(static_cast<size_t>(n));
    std::vector<int> stamp(size_t(cols) * size_t(rows), -1);
    std::vector<quint32> near(size_t(cols) * size_t(rows), 0);
    for (int c = 0; c < n; ++c) {
        std::vector<int>& mine = painted[size_t(c)];
        const auto paint = [&](const QPointF& p) {
            const int cell = cellOf(p);
            if (cell < 0 || stamp[size_t(cell)] == c) return;
            stamp[size_t(cell)] = c;
            mine.push_back(cell);
        };
        const QList<QPointF>& pts = curves[c].points;
        for (qsizetype k = 0; k < pts.size(); ++k) {
            if (!std::isfinite(pts[k].x()) || !std::isfinite(pts[k].y())) continue;
            paint(pts[k]);
            if (!curves[c].line || k + 1 >= pts.size()) continue;
            const QPointF d = pts[k + 1] - pts[k];
            if (!std::isfinite(d.x()) || !std::isfinite(d.y())) continue;
            // a step of at most half a cell along the segment, within the plot
            const double length = std::min(std::max(std::abs(d.x()), std::abs(d.y())), 4 * (width + height));
            const int steps = int(std::ceil(length / (kCell / 2)));
            for (int j = 1; j < steps; ++j) paint(pts[k] + d * (double(j) / steps));
        }
        for (int cell : mine) {
            const int cx = cell % cols, cy = cell / cols;
            for (int y = std::max(0, cy - 1); y <= std::min(rows - 1, cy + 1); ++y)
                for (int x = std::max(0, cx - 1); x <= std::min(cols - 1, cx + 1); ++x)
                    near[size_t(y) * size_t(cols) + size_t(x)] |= quint32(1) << c;
        }
    }
    // Hidden curves and the curves over them, joined into groups.
    std::vector<int> group(static_cast<size_t>(n));
    for (int c = 0; c < n; ++c) group[size_t(c)] = c;
    const auto root = [&](int c) {
        while (group[size_t(c)] != c) c = group[size_t(c)] = group[size_t(group[size_t(c)])];
        return c;
    };
    for (int b = 0; b + 1 < n; ++b) {
        const std::vector<int>& mine = painted[size_t(b)];
        if (mine.empty()) continue;
        const quint32 later = ~((quint32(2) << b) - 1);
        std::array<int, 32> over{};
        int covered = 0;
        for (int cell : mine) {
            const quint32 bits = near[size_t(cell)] & later;
            if (!bits) continue;
            ++covered;
            for (int j = b + 1; j < n; ++j)
                if (bits & (quint32(1) << j)) ++over[size_t(j)];
        }
        if (10 * covered < 9 * int(mine.size())) continue;
        for (int j = b + 1; j < n; ++j)
            if (10 * over[size_t(j)] >= int(mine.size())) group[size_t(root(j))] = root(b);
    }
    std::vector<std::vector<int>> members(static_cast<size_t>(n));
    for (int c = 0; c < n; ++c) members[size_t(root(c))].push_back(c);
    for (const std::vector<int>& g : members) {
        if (g.size() < 2) continue;
        for (size_t k = 0; k < g.size(); ++k) out[g[k]] = Coinciding{int(k), int(g.size())};
    }
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
        // the whole decades inside the axis (its ends may lie a little beyond them)
        const bool labelMinor =
            std::floor(std::log10(l->max()) + 1e-9) - std::ceil(std::log10(l->min()) - 1e-9) <= 3.0;
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
