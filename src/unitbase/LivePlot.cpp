#include "unitbase/LivePlot.h"

#include "data/Globals.h"
#include "platform/PeChart.h"

#include <algorithm>

namespace liveplot {

int Keep(PeChart& c, Held& held, int subsets, quint64 version, const std::vector<double>& depends, int first,
         int count) {
    const Held last = held;
    held = Held{true, version, depends, first, count, subsets};
    if (!last.valid || last.version != version || last.depends != depends || last.subsets != subsets ||
        c.points() != last.count)
        return 0;
    const int shift = first - last.first;
    if (shift < 0 || shift >= last.count) return 0;
    const int kept = std::min(last.count - shift, count);
    if (shift > 0) {
        // position p takes what position p + shift held; the first `shift`
        // points go last, to be written over
        std::vector<int> order(static_cast<size_t>(last.count));
        for (int p = 0; p < last.count; ++p) order[size_t(p)] = (p + shift) % last.count;
        for (int s = 0; s < subsets; ++s) c.permutePoints(s, order);
    }
    return kept;
}

void NameCurve(PeChart& c, int subset, const QString& label, qint32 colour) {
    const PeValue text(label), color(colour);
    if (c.prop(pesgo::SubsetLabel, subset) != text) c.setProp(pesgo::SubsetLabel, subset, text);
    if (c.prop(pesgo::SubsetColor, subset) != color) c.setProp(pesgo::SubsetColor, subset, color);
}

void SetPointCount(PeChart& c, int count) {
    if (c.prop(pesgo::Points) != PeValue(qint32(count))) c.setProp(pesgo::Points, qint32(count));
}

std::vector<int> Ticked(std::span<const bool> ticks) {
    std::vector<int> shown;
    for (int q = 0; q < int(ticks.size()); ++q)
        if (ticks[size_t(q)]) shown.push_back(q);
    return shown;
}

void PlotRecent(PeChart& c, Held* held, quint64 version, std::vector<double> depends,
                const std::vector<ResultPoint>& samples, int maxPoints, int subsets, const SampleValue& y,
                const SampleValue& x) {
    const int stored = int(samples.size());
    if (stored < 1) return;
    const int points = std::min(stored, maxPoints);
    const int first = stored - points;
    depends.push_back(double(gUnitSystem));
    Held scratch;
    const int from = Keep(c, held ? *held : scratch, subsets, version, depends, first, points);
    SetPointCount(c, points);
    for (int s = 0; s < subsets; ++s) {
        for (int i = from; i < points; ++i) {
            const ResultPoint& p = samples[size_t(first + i)];
            c.setProp(pesgo::XData, s, i, float(x ? x(s, p) : p[resultcol::ResultTime] / 60));
            c.setProp(pesgo::YData, s, i, float(y(s, p)));
        }
    }
    c.setProp(pesgo::Action, qint16(pesgo::ActionRedraw));
}

}  // namespace liveplot
