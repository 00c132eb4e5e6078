// The 2-D chart control's axes: the Y scales the subsets are drawn on, and
// each axis's range and ticks worked out from the data (or the manual range)
// for the plot area as laid out, the automatic Y scales keeping their curves
// apart.

#include "platform/PeChart.h"
#include "platform/PeChartParts.h"
#include "platform/PeChartScale.h"

#include <QChart>
#include <QFontMetricsF>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <tuple>
#include <vector>

using namespace pesgo;
using namespace pechart::parts;

namespace {

// Subsets past this number are kept but not drawn.
constexpr int kMaxDrawnSubsets = 1000;

// Puts the ticks of a linear axis where `t` says, the axis running from lo
// to hi (t's ends, or a little beyond them).
void applyTicks(QValueAxis* axis, const pechart::LinearTicks& t, double lo, double hi) {
    axis->setRange(lo, hi);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(t.first);
    axis->setTickInterval(t.step);
    axis->setLabelFormat(QStringLiteral("%.") + QString::number(t.decimals) + QStringLiteral("f"));
}

QStringList tickLabels(const pechart::LinearTicks& t) {
    QStringList out;
    if (!(t.step > 0)) return out;
    for (int k = 0; k < 200; ++k) {
        double v = t.first + k * t.step;
        if (v > t.hi + t.step * 1e-9) break;
        if (std::abs(v) < t.step * 1e-9) v = 0.0;
        out << QString::asprintf("%.*f", t.decimals, v);
    }
    return out;
}

constexpr double kXLabelPadding = 4;  // what the chart keeps beside each X label

// The width between the Y scales an X axis with these labels needs: the
// chart gives each label the plot's width shared by the ticks, less a
// padding on each side, and the title the plot's width; and it may keep up
// to half a label beyond each end of the plot area for the first and last.
double xAxisRoom(const QStringList& labels, const QFontMetricsF& fm, double titleWidth) {
    double widest = 0;
    for (const QString& l : labels) widest = std::max(widest, fm.horizontalAdvance(l));
    return std::ceil(std::max(labels.size() * (widest + 2 * kXLabelPadding), titleWidth) + widest + 2);
}

}  // namespace

// ---------------------------------------------------------------------------
// The subsets of each Y scale

QList<PeChart::Scale> PeChart::yScales() const {
    const int n = std::clamp(subsets(), 0, kMaxDrawnSubsets);
    // subsets of each axis, in subset order
    QList<QList<int>> axes;
    axes.append(QList<int>());
    int s = 0;
    if (layoutInForce_ && store_.has(MultiAxesSubsets, 0)) {
        axes.clear();
        for (int a = 0; s < n && store_.has(MultiAxesSubsets, a); ++a) {
            const int c = store_.get(MultiAxesSubsets, a).toInt();
            if (c <= 0) break;
            QList<int> mine;
            for (int k = 0; k < c && s < n; ++k) mine.append(s++);
            axes.append(mine);
        }
        if (axes.isEmpty()) axes.append(QList<int>());
    }
    for (; s < n; ++s) axes[0].append(s);  // subsets no axis took stay on axis 0

    QList<Scale> mainScales, rightScales;
    for (int a = 0; a < axes.size(); ++a) {
        const QList<int>& mine = axes[a];
        if (mine.isEmpty()) continue;
        const int r = std::clamp(rightAxisSubsets(a), 0, int(mine.size()) - 1);
        mainScales.append(Scale{a, false, mine.mid(0, mine.size() - r)});
        if (r > 0) rightScales.append(Scale{a, true, mine.mid(mine.size() - r)});
    }
    return mainScales + rightScales;
}

// ---------------------------------------------------------------------------
// Ranges and ticks

QRectF PeChart::plotForScales(bool* laidOut) const {
    // A chart too small to lay its scales out (see fitAxisFonts) takes them
    // as for the most of its size.
    const QSizeF whole = chart_->size();
    QRectF plot = chart_->plotArea();
    const bool shown = whole.width() >= 50 && whole.height() >= 50 && plot.width() >= 20 && plot.height() >= 20;
    if (!shown) plot = QRectF(QPointF(0, 0), whole * 0.7);
    if (laidOut) *laidOut = shown;
    return plot;
}

double PeChart::edgeRoom() const {
    // The reach of the largest marker drawn (Qt Charts paints a dot of the
    // marker size's diameter with a pen as wide: it reaches the marker size
    // from the point), and a pixel and a half for the smoothing of its edge. Lines alone (curves too long for markers) may
    // run along the plot area's edge, as a curve from the start of a test
    // runs up the Y axis.
    double reach = -1;
    for (const Curve& c : curves_)
        if (c.series->pointsVisible()) reach = std::max(reach, c.markerSize);
    return reach < 0 ? 0.0 : reach + 1.5;
}

double PeChart::xLabelsRoom(const pechart::LinearTicks& t) const {
    return xAxisRoom(tickLabels(t), QFontMetricsF(xAxis_ ? xAxis_->labelsFont() : font()), 0);
}

double PeChart::leastXRoom(int fewestSteps) const {
    if (!xAxis_) return 0;
    const double title = QFontMetricsF(xAxis_->titleFont()).horizontalAdvance(xAxis_->titleText());
    const QFontMetricsF fm(xAxis_->labelsFont());
    double least = std::numeric_limits<double>::infinity();
    if (qobject_cast<QValueAxis*>(xAxis_)) {
        const AxisScaling sc = scaling_.isEmpty() ? AxisScaling{} : scaling_[0];
        const double lo = sc.valid ? sc.lo : 0.0, hi = sc.valid ? sc.hi : 1.0;
        for (int k = fewestSteps; k <= 10; ++k)
            least = std::min(least, xAxisRoom(tickLabels(pechart::NiceScale(lo, hi, k)), fm, title));
    } else {  // a log axis labels its decades
        QStringList decades;
        for (const pechart::ScaleTick& t : pechart::ScaleTicks(xAxis_))
            if (t.major) decades << t.text;
        least = xAxisRoom(decades, fm, title);
    }
    return least;
}

pechart::LinearTicks PeChart::xTicksFitting(double lo, double hi, int most, double width) const {
    // The most round ticks up to `most` steps whose labels have their room,
    // down to two steps.
    for (int k = most; k > 2; --k) {
        const pechart::LinearTicks t = pechart::NiceScale(lo, hi, k);
        if (xLabelsRoom(t) <= width) return t;
    }
    return pechart::NiceScale(lo, hi, 2);
}

int PeChart::applyScales() {
    QList<QAbstractAxis*> axes{xAxis_};
    axes += yAxes_;
    bool laidOut = false;
    const QRectF plot = plotForScales(&laidOut);
    // No room at the ends of a chart whose points are not drawn.
    const double room = laidOut ? edgeRoom() : 0.0;
    // The nearly constant curves of several scales each get a height of their
    // own, the first drawn highest.
    QList<int> flat;
    QList<std::pair<double, double>> flatRanges;
    for (int k = 1; k < axes.size() && k < scaling_.size(); ++k) {
        const AxisScaling& sc = scaling_[k];
        if (!sc.manual && sc.valid && qobject_cast<QValueAxis*>(axes[k]) && pechart::IsFlat(sc.lo, sc.hi)) {
            flat.append(k);
            flatRanges.append({sc.lo, sc.hi});
        }
    }
    const QList<pechart::LinearTicks> flatTicks =
        flat.size() > 1 ? pechart::FlatScales(flatRanges, std::clamp(int(plot.height() / 34.0), 4, 10))
                        : QList<pechart::LinearTicks>();
    // The ticks of each linear axis, worked out before any is applied: the
    // automatic Y scales then keep their curves apart.
    const qsizetype count = std::min(axes.size(), scaling_.size());
    std::vector<pechart::LinearTicks> ticks(size_t(std::max<qsizetype>(count, 0)));
    std::vector<bool> movable(ticks.size(), false);
    int changed = 0;
    for (int k = 0; k < count; ++k) {
        AxisScaling& sc = scaling_[k];
        // The X axis's ends and ticks follow the width planned for the plot
        // area, not the one the chart gives it after the labels in force.
        const double pixels = sc.isY ? plot.height() : xFitWidth_ > 0 ? xFitWidth_ : plot.width();
        if (auto* l = qobject_cast<QLogValueAxis*>(axes[k])) {
            if (sc.manual) {  // as built: the manual range
                sc.roundLo = l->min();
                sc.roundHi = l->max();
                continue;
            }
            const auto [lo, hi] = logEnds(sc.valid, sc.lo, sc.hi, false, 0, 0);
            sc.roundLo = lo;
            sc.roundHi = hi;
            const auto [from, to] = sc.valid ? pechart::RoomAtEnds(lo, hi, sc.lo, sc.hi, pixels, room, true)
                                             : std::make_pair(lo, hi);
            if (l->min() != from || l->max() != to) {
                l->setRange(from, to);
                changed |= sc.isY ? kYChanged : kXChanged;
            }
            continue;
        }
        auto* axis = qobject_cast<QValueAxis*>(axes[k]);
        if (!axis) continue;
        // About one tick label per 70 pixels across and per 34 pixels up.
        const int intervals = std::clamp(int(sc.isY ? pixels / 34.0 : pixels / 70.0), 4, 10);
        pechart::LinearTicks& t = ticks[size_t(k)];
        if (sc.manual) {
            double lo = sc.lo, hi = sc.hi;
            if (lo > hi) std::swap(lo, hi);
            if (lo == hi) {
                lo -= 1.0;
                hi += 1.0;
            }
            t = pechart::RoundTicksWithin(lo, hi, intervals);
        } else {
            double lo = sc.valid ? sc.lo : 0.0;
            double hi = sc.valid ? sc.hi : 1.0;
            if (!sc.valid) {
                // no values yet: 0 to 1 in halves, short labels in a narrow chart
                t = pechart::NiceScale(lo, hi, 2);
            } else if (!sc.isY) {
                t = xTicksFitting(lo, hi, intervals, pixels);
            } else if (const qsizetype slot = flat.indexOf(k); slot >= 0 && slot < flatTicks.size()) {
                t = flatTicks[slot];
            } else {
                movable[size_t(k)] = !pechart::IsFlat(lo, hi);
                std::tie(lo, hi) = pechart::WithMinimumSpan(lo, hi);
                t = pechart::NiceScale(lo, hi, intervals);
            }
        }
    }
    keepCurvesApart(axes, ticks, movable, plot.height());
    for (int k = 0; k < count; ++k) {
        auto* axis = qobject_cast<QValueAxis*>(axes[k]);
        if (!axis) continue;
        AxisScaling& sc = scaling_[k];
        const double pixels = sc.isY ? plot.height() : xFitWidth_ > 0 ? xFitWidth_ : plot.width();
        const pechart::LinearTicks& t = ticks[size_t(k)];
        double from = t.lo, to = t.hi;
        if (!sc.manual && sc.valid) std::tie(from, to) = pechart::RoomAtEnds(t.lo, t.hi, sc.lo, sc.hi, pixels, room);
        // (the chart lays the plot area out after where the axes' labels lie,
        // hidden or not: a new range counts too)
        if (sc.roundLo != t.lo || sc.roundHi != t.hi || axis->tickInterval() != t.step ||
            axis->tickAnchor() != t.first || axis->min() != from || axis->max() != to)
            changed |= sc.isY ? kYChanged : kXChanged;
        sc.roundLo = t.lo;
        sc.roundHi = t.hi;
        applyTicks(axis, t, from, to);
    }
    return changed;
}

void PeChart::keepCurvesApart(const QList<QAbstractAxis*>& axes, std::vector<pechart::LinearTicks>& ticks,
                              const std::vector<bool>& movable, double pixels) {
    // Only curves on scales of their own can be kept apart by their scales.
    if (axes.size() < 3 || curves_.size() < 2 || ticks.empty() || scaling_.isEmpty() || !scaling_[0].valid ||
        std::none_of(movable.begin(), movable.end(), [](bool m) { return m; }))
        return;
    // The courses run across the X axis as drawn: its ends move only when
    // the values cross a tick, so a live curve's course moves on with it.
    constexpr int kColumns = 200;
    double xlo = ticks[0].lo, xhi = ticks[0].hi;
    pechart::AxisMap map;
    if (auto* l = qobject_cast<QLogValueAxis*>(axes[0])) {
        map.log = true;
        xlo = std::log10(std::max(l->min(), 1e-300));
        xhi = std::log10(std::max(l->max(), 1e-300));
    }
    map.scale = xhi > xlo ? (kColumns - 1e-9) / (xhi - xlo) : 0.0;
    map.offset = xhi > xlo ? -xlo * map.scale : kColumns / 2.0;
    if (!coursesTraced_ || !(map == courseMap_)) traceCourses(map, kColumns);
    if (courses_.size() != size_t(curves_.size())) return;
    // The layout asks again and again for the same, and a live chart's new
    // point often changes none of it: worked out once.
    std::vector<double> from{pixels};
    for (size_t k = 0; k < ticks.size(); ++k) {
        const pechart::LinearTicks& t = ticks[k];
        from.insert(from.end(), {t.lo, t.hi, t.first, t.step, double(t.decimals), double(movable[k])});
        if (k > 0 && int(k) < scaling_.size()) from.insert(from.end(), {scaling_[int(k)].lo, scaling_[int(k)].hi});
        if (auto* l = qobject_cast<QLogValueAxis*>(axes[int(k)])) from.insert(from.end(), {l->min(), l->max()});
    }
    if (from == apartFrom_ && apartTicks_.size() == ticks.size()) {
        ticks = apartTicks_;
        return;
    }
    QList<pechart::ScaleCourses> scales;
    QList<int> index;
    for (int k = 1; k < int(ticks.size()); ++k) {
        pechart::ScaleCourses sc;
        for (qsizetype c = 0; c < curves_.size(); ++c)
            if (curves_[c].yAxis == axes[k] && !courses_[size_t(c)].empty()) sc.curves.append(&courses_[size_t(c)]);
        if (sc.curves.isEmpty()) continue;
        sc.movable = movable[size_t(k)];
        sc.ticks = ticks[size_t(k)];
        if (auto* l = qobject_cast<QLogValueAxis*>(axes[k])) {
            sc.log = true;
            sc.lo = l->min();
            sc.hi = l->max();
        } else {
            sc.lo = scaling_[k].lo;
            sc.hi = scaling_[k].hi;
        }
        scales.append(sc);
        index.append(k);
    }
    const int intervals = std::clamp(int(pixels / 34.0), 4, 10);
    const QList<pechart::LinearTicks> apart = pechart::ScalesApart(scales, pixels, intervals);
    for (qsizetype j = 0; j < index.size() && j < apart.size(); ++j)
        if (scales[j].movable) ticks[size_t(index[j])] = apart[j];
    apartFrom_ = std::move(from);
    apartTicks_ = ticks;
}

void PeChart::traceCourses(const pechart::AxisMap& map, int columns) {
    coursesTraced_ = true;
    // Courses traced with the same map from points the curves still begin
    // with move on with them; the others are traced anew.
    const bool movesOn =
        courses_.size() == size_t(curves_.size()) && coursePoints_.size() == courses_.size() && map == courseMap_;
    courseMap_ = map;
    courses_.resize(size_t(curves_.size()));
    coursePoints_.resize(size_t(curves_.size()));
    bool changed = !movesOn;
    for (qsizetype c = 0; c < curves_.size(); ++c) {
        pechart::CurveCourse& course = courses_[size_t(c)];
        QList<QPointF>& traced = coursePoints_[size_t(c)];
        const Curve& curve = curves_[c];
        if (movesOn && traced.constData() == curve.points.constData() && traced.size() == curve.points.size())
            continue;  // the very points traced
        const std::vector<double> lo = course.lo, hi = course.hi;
        if (!movesOn || !pechart::CourseMovedOn(course, traced, curve.points, curve.line, map, columns))
            course = pechart::CourseOf(curve.points, curve.line, map, columns);
        traced = curve.points;
        changed = changed || lo.size() != course.lo.size() ||
                  std::memcmp(lo.data(), course.lo.data(), lo.size() * sizeof(double)) != 0 ||
                  std::memcmp(hi.data(), course.hi.data(), hi.size() * sizeof(double)) != 0;
    }
    if (changed) apartFrom_.clear();
}

bool PeChart::shownYRange(double& lo, double& hi) const {
    if (yAxes_.isEmpty() || drawnScales_.isEmpty() || drawnScales_[0].axis != 0 || drawnScales_[0].rightHand ||
        scaling_.size() < 2)
        return false;
    lo = scaling_[1].roundLo;
    hi = scaling_[1].roundHi;
    return true;
}
