// Milliseconds for the analysis of one function graph of the reference document on a 1920 x 1080
// view (its zeros, extrema and intersections with the 19 other function graphs), beside its
// baseline: the evaluation of the 20 graphs' samples of the visible range alone, which any
// analysis of that range must do. The difference is the refinement of the brackets.

#include "calc/curve_analysis.h"
#include "document/document.h"
#include "reference_document.h"
#include "render/draw_context.h"
#include "render/graph_analysis.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

using namespace velquor;

constexpr int Width = 1920;
constexpr int Height = 1080;

// Argument: the slot of the analysed graph (0 to 19, the function graphs).
void analyseOneGraph(benchmark::State& state)
{
    auto document = referenceDocument(Width, Height);
    const int slot = int(state.range(0));
    std::size_t found = 0;
    for (auto _ : state) {
        const auto features = AnalyseFunctionGraph(*document, slot, Width, Height, '.');
        found = features.size();
        benchmark::DoNotOptimize(features.data());
    }
    state.counters["features"] = double(found);
}

// Every function graph analysed in turn, as a user would go down the list.
void analyseEveryGraph(benchmark::State& state)
{
    auto document = referenceDocument(Width, Height);
    for (auto _ : state) {
        for (int slot = 0; slot < 20; ++slot)
            benchmark::DoNotOptimize(AnalyseFunctionGraph(*document, slot, Width, Height, '.'));
    }
}

// The baseline: the samples of the visible range of the 20 function graphs, compiled and
// evaluated as the analysis does, without any refinement.
void sampleEveryGraph(benchmark::State& state)
{
    auto document = referenceDocument(Width, Height);
    const AnalysisScan scan = VisibleScan(*document, Width, Height, '.');
    for (auto _ : state) {
        for (int slot = 0; slot < 20; ++slot) {
            const GraphEntry& entry = document->entry(slot);
            EvaluationRequest request = buildRequest(*document, entry);
            request.formula = entry.formula1;
            SampledFormula sampled(request, scan.xs);
            benchmark::DoNotOptimize(sampled.values().data());
        }
    }
}

BENCHMARK(sampleEveryGraph)->Unit(benchmark::kMillisecond);
BENCHMARK(analyseOneGraph)->DenseRange(0, 19)->Unit(benchmark::kMillisecond);
BENCHMARK(analyseEveryGraph)->Unit(benchmark::kMillisecond);

} // namespace
