// The sort of a subset's points by X (SortChartSubset), as an exchange sort
// of the values the chart holds leaves them.

#include "platform/PeChart.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

// The exchange sort compares position i with every later position j in turn
// and exchanges the two points when X(j) < X(i). What it does to points of
// equal X can be told without making its exchanges (n * n / 2 comparisons,
// and on a long test millions of exchanges):
// - a NaN is less than nothing and nothing is less than a NaN: NaN points stay
//   where they are and the others are sorted around them;
// - the points of one X value m, in their first order, end in this order: they
//   join a queue one after the other in position order, and every point of
//   smaller X met after the first of them (in position order) moves the
//   queue's first point to its end; the queue is the final order.
// (Before the passes reach m, each pass places one smaller point; a point of
// value m moves only when no smaller point lies before it, and then it jumps
// to the place of the first smaller point after it, past the m points
// between.) Counting the smaller points between with a Fenwick tree and
// placing the queue's insertions offline gives the exchange sort's result in
// n log n steps; a randomized test compares the two on many subsets.
namespace {

std::vector<int> ExchangeSortOrder(const std::vector<float>& x) {
    const int n = int(x.size());
    std::vector<int> order(static_cast<size_t>(n));
    for (int p = 0; p < n; ++p) order[size_t(p)] = p;
    std::vector<int> q;  // positions that take part (not NaN)
    q.reserve(size_t(n));
    for (int p = 0; p < n; ++p)
        if (!std::isnan(x[size_t(p)])) q.push_back(p);
    const int m = int(q.size());
    if (m <= 1) return order;
    const auto key = [&](int k) { const float v = x[size_t(q[size_t(k)])]; return v == 0.0f ? 0.0f : v; };
    std::vector<int> byValue(static_cast<size_t>(m));
    {
        // (value, k) pairs sorted together: by value, then by position
        std::vector<std::pair<float, int>> keyed(static_cast<size_t>(m));
        for (int k = 0; k < m; ++k) keyed[size_t(k)] = {key(k), k};
        std::sort(keyed.begin(), keyed.end());
        for (int k = 0; k < m; ++k) byValue[size_t(k)] = keyed[size_t(k)].second;
    }
    // Fenwick tree over k: the points of smaller value met so far.
    std::vector<int> smaller(static_cast<size_t>(m + 1), 0);
    const auto addSmaller = [&](int k) { for (++k; k <= m; k += k & -k) ++smaller[size_t(k)]; };
    const auto countBelow = [&](int k) { int c = 0; for (; k > 0; k -= k & -k) c += smaller[size_t(k)]; return c; };  // in [0, k)
    std::vector<int> insertAt, slotTree, placed, finalOrder;
    int out = 0;
    for (int g = 0; g < m;) {
        int h = g;
        while (h < m && key(byValue[size_t(h)]) == key(byValue[size_t(g)])) ++h;
        const int c = h - g;
        // The group's points join a queue in position order; every smaller
        // point after the first of them moves the queue's front to its back.
        insertAt.assign(size_t(c), 0);
        long long front = 0;
        for (int t = 0; t < c; ++t) {
            const int k = byValue[size_t(g + t)];
            const int next = t + 1 < c ? byValue[size_t(g + t + 1)] : m;
            insertAt[size_t(t)] = int(front);
            const int size = t + 1;
            front = (front + 1) % size;
            const int rotations = countBelow(next) - countBelow(k + 1);
            front = (front + rotations) % size;
        }
        // Where each insertion ends in the final array: the latest insertion
        // takes its index among the free slots, then the earlier ones.
        slotTree.assign(size_t(c + 1), 0);
        for (int s = 1; s <= c; ++s) { slotTree[size_t(s)] += 1; const int up = s + (s & -s); if (up <= c) slotTree[size_t(up)] += slotTree[size_t(s)]; }
        int logc = 1; while ((1 << logc) <= c) ++logc;
        placed.assign(size_t(c), 0);
        for (int t = c - 1; t >= 0; --t) {
            // the (insertAt[t] + 1)-th free slot
            int pos = 0, rem = insertAt[size_t(t)] + 1;
            for (int step = 1 << logc; step > 0; step >>= 1) {
                const int nx = pos + step;
                if (nx <= c && slotTree[size_t(nx)] < rem) { pos = nx; rem -= slotTree[size_t(nx)]; }
            }
            // pos + 1 is the slot (1-based)
            placed[size_t(pos)] = byValue[size_t(g + t)];
            for (int s = pos + 1; s <= c; s += s & -s) --slotTree[size_t(s)];
        }
        for (int j = 0; j < c; ++j) order[size_t(q[size_t(out++)])] = q[size_t(placed[size_t((front + j) % c)])];
        for (int t = g; t < h; ++t) addSmaller(byValue[size_t(t)]);
        g = h;
    }
    return order;
}

}  // namespace

void SortChartSubset(PeChart& chart, int s, int n) {
    if (n <= 1) return;
    std::vector<float> x(static_cast<size_t>(n));
    for (int p = 0; p < n; ++p) x[size_t(p)] = chart.xData(s, p);
    chart.permutePoints(s, ExchangeSortOrder(x));
}
