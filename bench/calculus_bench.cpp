// The derivative beside the value: the forward-mode derivative of a compiled formula over 1,000
// samples against the plain batch evaluation of the same samples (the drawers' way), one pair of
// rows per benchmark formula; their ratio is the cost of the slope. And the integral of each
// function graph of the reference document over its visible range on a 1920 x 1080 view.

#include "calc/analysis_work.h"
#include "calc/compiled_formula.h"
#include "calc/differentiated_formula.h"
#include "document/document.h"
#include "reference_document.h"
#include "render/graph_analysis.h"
#include "render/graph_integral.h"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

namespace {

using namespace velquor;

constexpr int Samples = 1000;

const char* const Formulas[] = { "sin(x)", "2x^2+3x-5", "x^3-2x", "sin(x)cos(3x)+x/5",
    "sqrt(abs(x))exp(-xx/8)", "tan(x)", "a sin(bx)", "(x+1)^2/(x^2+1)" };

EvaluationRequest request(int index)
{
    EvaluationRequest r;
    r.formula = Formulas[index];
    r.a = 2;
    r.b = 3;
    return r;
}

std::vector<Ext> sampleXs()
{
    std::vector<Ext> xs(Samples);
    for (int i = 0; i < Samples; ++i)
        xs[static_cast<std::size_t>(i)] = -10 + 20 * static_cast<Ext>(i) / (Samples - 1);
    return xs;
}

void perSample(benchmark::State& state)
{
    state.counters["ns/sample"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * Samples,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetLabel(Formulas[state.range(0)]);
}

// The baseline: the values in batches, as the function drawer takes them.
void valuesInBatches(benchmark::State& state)
{
    CompiledFormula formula(request(int(state.range(0))));
    const std::vector<Ext> xs = sampleXs();
    std::vector<Ext> values(xs.size());
    for (auto _ : state) {
        formula.evaluate(xs.data(), values.data(), xs.size());
        benchmark::DoNotOptimize(values.data());
    }
    perSample(state);
}

// The values with their exact derivatives.
void valuesWithDerivatives(benchmark::State& state)
{
    DifferentiatedFormula formula(request(int(state.range(0))));
    const std::vector<Ext> xs = sampleXs();
    std::vector<Ext> values(xs.size());
    std::vector<Ext> slopes(xs.size());
    for (auto _ : state) {
        formula.evaluate(xs.data(), values.data(), slopes.data(), xs.size());
        benchmark::DoNotOptimize(slopes.data());
    }
    perSample(state);
}

// The baseline of the batch form: the values with their derivatives one sample at a time, as
// the batch form was before it ran whole batches (and still runs where it cannot).
void valuesWithDerivativesOneByOne(benchmark::State& state)
{
    DifferentiatedFormula formula(request(int(state.range(0))));
    const std::vector<Ext> xs = sampleXs();
    std::vector<Ext> values(xs.size());
    std::vector<Ext> slopes(xs.size());
    for (auto _ : state) {
        for (std::size_t i = 0; i < xs.size(); ++i) {
            const ValueAndSlope one = formula.evaluate(xs[i]);
            values[i] = one.value;
            slopes[i] = one.hasSlope ? one.slope : 0;
        }
        benchmark::DoNotOptimize(slopes.data());
    }
    perSample(state);
}

// Argument: the slot of a function graph of the reference document (0 to 19); the integral and
// the area with the x axis over the visible range, as the integral dialog opens.
void integrateReferenceGraph(benchmark::State& state)
{
    constexpr int Width = 1920;
    constexpr int Height = 1080;
    auto document = referenceDocument(Width, Height);
    const int slot = int(state.range(0));
    const AnalysisScan scan = VisibleScan(*document, Width, Height, '.');
    GraphIntegral result;
    for (auto _ : state) {
        result = IntegrateFunctionGraph(
            *document, slot, XAxis, scan.xs.front(), scan.xs.back(), Height, '.');
        benchmark::DoNotOptimize(result.integral.value);
    }
    state.SetLabel(document->entry(slot).formula1);
    state.counters["pieces"] = double(result.integral.subintervals);
    state.counters["refused"] = result.integral.problem == IntegralProblem::None ? 0 : 1;
}

BENCHMARK(valuesInBatches)->DenseRange(0, 7);
BENCHMARK(valuesWithDerivatives)->DenseRange(0, 7);
BENCHMARK(valuesWithDerivativesOneByOne)->DenseRange(0, 7);
BENCHMARK(integrateReferenceGraph)->DenseRange(0, 19)->Unit(benchmark::kMillisecond);

} // namespace
