// What loading a big file and setting up long curves cost, each beside its baseline.
//
// gdtLoad: the loader on 64 MiB of line feeds, beside gdtSplitIntoLines, the way the loader
// began before (the whole file split into a vector of decoded lines, still available as
// decodeGdtLines), which alone took seconds and 34 bytes a line.
//
// longGraphsRedraw/N: a bounded redraw of N function graphs of 10^6 characters each (60, or 3
// with calls between them), beside longGraphsWholeTableSetUp/N, what setting up those curves
// cost before: each curve's request copied the whole table of callable formulas and was copied
// again into the compiled formula, before any sample was charged.

#include "blank_surface.h"
#include "calc/compiled_formula.h"
#include "document/document.h"
#include "document/gdt_loader.h"
#include "render/draw_context.h"
#include "render/plot_view.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <string>

namespace {

using namespace velquor;

const std::string& lineFeeds()
{
    static const std::string bytes(std::size_t(64) << 20, '\n');
    return bytes;
}

void gdtLoad(benchmark::State& state)
{
    for (auto _ : state) {
        Document document;
        benchmark::DoNotOptimize(loadGdtBytes(document, lineFeeds(), "nl.gdt"));
    }
}

void gdtSplitIntoLines(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(decodeGdtLines(lineFeeds()).size());
}

// N graphs "x+x+...+x" of 10^6 characters; with 3, each calls the one before it.
std::unique_ptr<Document> longGraphs(int count)
{
    const std::string formula = bench::longSumFormula();
    auto document = std::make_unique<Document>();
    document->CX = 222;
    document->CY = 182;
    for (int i = 0; i < count; ++i) {
        GraphEntry entry;
        entry.name = "g" + std::to_string(i);
        entry.visible = -1;
        entry.width = 1;
        entry.formula1
            = count <= 3 && i > 0 ? "g" + std::to_string(i - 1) + "(x)+" + formula : formula;
        document->appendEntry(entry);
    }
    return document;
}

void longGraphsRedraw(benchmark::State& state)
{
    auto document = longGraphs(int(state.range(0)));
    bench::BlankSurface surface;
    PlotView view(*document, surface);
    for (auto _ : state) {
        for (int slot = 0; slot < document->graphCount(); ++slot)
            document->entry(slot).visible = -1; // hidden by the previous redraw
        view.RedrawPlot();
    }
}

void longGraphsWholeTableSetUp(benchmark::State& state)
{
    auto document = longGraphs(int(state.range(0)));
    for (auto _ : state) {
        for (int slot = 0; slot < document->graphCount(); ++slot) {
            EvaluationRequest request = buildRequest(*document, document->entry(slot));
            request.formula = document->entry(slot).formula1;
            CompiledFormula formula(request);
            benchmark::DoNotOptimize(formula.isCompiled());
        }
    }
}

} // namespace

BENCHMARK(gdtLoad)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(gdtSplitIntoLines)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(longGraphsRedraw)->Arg(60)->Arg(3)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(longGraphsWholeTableSetUp)->Arg(60)->Arg(3)->Iterations(1)->Unit(benchmark::kMillisecond);
