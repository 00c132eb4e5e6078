// Filling and reading a grid of 100,000 rows by 20 columns, the way the
// windows do: cell by cell through TextMatrix, rows added one at a time, and
// read back through Row / Col / Text as the report writers do.
//
// Memory counters (MiB): rss_growth is the resident memory the filled grid
// added (the largest over the iterations: the first, before the allocator
// can reuse freed memory); hwm_growth is how far the fill raised the
// process's peak resident memory (VmHWM after minus before); text_store is
// what the grid's text store holds.

#include "platform/FlexGrid.h"
#include "ProcMemory.h"

#include <QCoreApplication>
#include <QFile>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kRows = 100000;
constexpr int kCols = 20;

using benchmem::procStatusMiB;

// Number texts of the lengths a result grid holds ("12.5", "1090", "0.000123").
const std::vector<QString>& sampleTexts() {
    static const std::vector<QString> texts = [] {
        std::vector<QString> t;
        for (int i = 0; i < 997; ++i) t.push_back(QString::number(i * 1.37 + 0.001 * (i % 7), 'g', 3 + i % 6));
        return t;
    }();
    return texts;
}

void settle() { QCoreApplication::processEvents(); }

void report(benchmark::State& state, double rssBefore, double hwmBefore, const FlexGrid& g) {
    auto keepMax = [&](const char* name, double v) {
        auto it = state.counters.find(name);
        if (it == state.counters.end() || it->second.value < v) state.counters[name] = v;
    };
    keepMax("rss_growth_MiB", procStatusMiB("VmRSS") - rssBefore);
    keepMax("hwm_growth_MiB", procStatusMiB("VmHWM") - hwmBefore);
    state.counters["text_store_MiB"] = double(g.gridModel()->TextBytes()) / (1024.0 * 1024.0);
    state.counters["cells"] = double(kRows) * kCols;
}

// Rows first, then every cell through TextMatrix.
void BM_FlexGridFillCellByCell(benchmark::State& state) {
    const auto& texts = sampleTexts();
    for (auto _ : state) {
        const double rss = procStatusMiB("VmRSS");
        const double hwm = procStatusMiB("VmHWM");
        auto g = std::make_unique<FlexGrid>();
        g->Cols(kCols);
        g->Rows(kRows + 1);
        std::size_t k = 0;
        for (int r = 1; r <= kRows; ++r)
            for (int c = 0; c < kCols; ++c) g->TextMatrix(r, c, texts[k++ % texts.size()]);
        settle();
        state.PauseTiming();
        report(state, rss, hwm, *g);
        g.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows * kCols);
}
BENCHMARK(BM_FlexGridFillCellByCell)->Unit(benchmark::kMillisecond)->Iterations(3);

// One row added at a time (Rows + 1, the new row made current), then its cells;
// with Redraw left on (arg 1) or switched off for the fill (arg 0).
void BM_FlexGridAppendRows(benchmark::State& state) {
    const bool redraw = state.range(0) != 0;
    const auto& texts = sampleTexts();
    for (auto _ : state) {
        const double rss = procStatusMiB("VmRSS");
        const double hwm = procStatusMiB("VmHWM");
        auto g = std::make_unique<FlexGrid>();
        g->Cols(kCols);
        g->Rows(1);
        if (!redraw) g->Redraw(false);
        std::size_t k = 0;
        for (int r = 1; r <= kRows; ++r) {
            g->Rows(g->Rows() + 1);
            g->Row(g->Rows() - 1);
            for (int c = 0; c < kCols; ++c) g->TextMatrix(r, c, texts[k++ % texts.size()]);
        }
        if (!redraw) g->Redraw(true);
        settle();
        state.PauseTiming();
        report(state, rss, hwm, *g);
        g.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows * kCols);
}
BENCHMARK(BM_FlexGridAppendRows)->Arg(1)->Arg(0)->ArgName("redraw")->Unit(benchmark::kMillisecond)->Iterations(3);

// Every cell read back by making it current and reading Text.
void BM_FlexGridReadThroughRowColText(benchmark::State& state) {
    const auto& texts = sampleTexts();
    FlexGrid g;
    g.Cols(kCols);
    g.Rows(kRows + 1);
    std::size_t k = 0;
    for (int r = 1; r <= kRows; ++r)
        for (int c = 0; c < kCols; ++c) g.TextMatrix(r, c, texts[k++ % texts.size()]);
    settle();
    for (auto _ : state) {
        std::size_t chars = 0;
        for (int r = 0; r <= kRows; ++r) {
            g.Row(r);
            for (int c = 0; c < kCols; ++c) {
                g.Col(c);
                chars += std::size_t(g.Text().size());
            }
        }
        benchmark::DoNotOptimize(chars);
        settle();
    }
    state.SetItemsProcessed(state.iterations() * (kRows + 1) * kCols);
}
BENCHMARK(BM_FlexGridReadThroughRowColText)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
