// Nanoseconds per evaluation of eight curve formulas over 1,000 values of x in [-10, 10]:
// the literal scan, the compiled formula one sample at a time and in a batch, muparser and fparser
// (both in double), and hand-written long-double code (the limit of what any evaluator could
// reach).

#include "calc/compiled_formula.h"
#include "calc/evaluate.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <fparser.hh>
#include <muParser.h>
#include <string>
#include <vector>

namespace {

using velquor::Ext;

constexpr int Samples = 1000;
constexpr Ext ConstantA = 2;
constexpr Ext ConstantB = 3;

struct BenchFormula
{
    const char* velquor; // in the formula language
    const char* usual; // the same formula for muparser and fparser
    void (*native)(benchmark::State&); // the loop of nativeLoop with the formula inlined
};

const std::vector<Ext>& sampleXs();

void perEvaluation(benchmark::State& state);

template <typename Function> void nativeLoop(benchmark::State& state, Function function)
{
    const std::vector<Ext>& xs = sampleXs();
    for (auto _ : state) {
        for (const Ext x : xs)
            benchmark::DoNotOptimize(function(x));
    }
    perEvaluation(state);
}

#define NATIVE(expression)                                                                         \
    [](benchmark::State& state) { nativeLoop(state, [](Ext x) { return expression; }); }

const std::vector<BenchFormula>& formulas()
{
    static const std::vector<BenchFormula> list = {
        { "sin(x)", "sin(x)", NATIVE(sinl(x)) },
        { "2x^2+3x-5", "2*x^2+3*x-5", NATIVE(2 * x * x + 3 * x - 5) },
        { "x^3-2x", "x^3-2*x", NATIVE(x * x * x - 2 * x) },
        { "sin(x)cos(3x)+x/5", "sin(x)*cos(3*x)+x/5",
            NATIVE(sinl(x) * cosl(3 * x) + x / 5) },
        { "sqrt(abs(x))exp(-xx/8)", "sqrt(abs(x))*exp(-x*x/8)",
            NATIVE(sqrtl(fabsl(x)) * expl(-x * x / 8)) },
        { "tan(x)", "tan(x)", NATIVE(tanl(x)) },
        { "a sin(bx)", "a*sin(b*x)", NATIVE(ConstantA * sinl(ConstantB * x)) },
        { "(x+1)^2/(x^2+1)", "(x+1)^2/(x^2+1)",
            NATIVE((x + 1) * (x + 1) / (x * x + 1)) },
    };
    return list;
}

// The samples' x, computed once: every evaluator reads them from memory.
const std::vector<Ext>& sampleXs()
{
    static const std::vector<Ext> xs = [] {
        std::vector<Ext> values(Samples);
        for (int i = 0; i < Samples; ++i)
            values[static_cast<std::size_t>(i)] = -10 + 20 * static_cast<Ext>(i) / (Samples - 1);
        return values;
    }();
    return xs;
}

Ext sampleX(int i)
{
    return sampleXs()[static_cast<std::size_t>(i)];
}

const std::vector<double>& sampleXsDouble()
{
    static const std::vector<double> xs(sampleXs().begin(), sampleXs().end());
    return xs;
}

void perEvaluation(benchmark::State& state)
{
    state.counters["ns/eval"]
        = benchmark::Counter(static_cast<double>(state.iterations()) * Samples,
            benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void evaluateVelquor(benchmark::State& state, const BenchFormula& formula)
{
    velquor::EvaluationRequest request;
    request.formula = formula.velquor;
    request.a = ConstantA;
    request.b = ConstantB;
    for (auto _ : state) {
        for (int i = 0; i < Samples; ++i) {
            request.x = sampleX(i);
            benchmark::DoNotOptimize(velquor::Evaluate(request));
        }
    }
    perEvaluation(state);
}

velquor::EvaluationRequest benchRequest(const BenchFormula& formula)
{
    velquor::EvaluationRequest request;
    request.formula = formula.velquor;
    request.a = ConstantA;
    request.b = ConstantB;
    return request;
}

// The compiled formula, one sample at a time.
void evaluateCompiled(benchmark::State& state, const BenchFormula& formula)
{
    velquor::CompiledFormula compiled(benchRequest(formula));
    for (auto _ : state) {
        for (int i = 0; i < Samples; ++i)
            benchmark::DoNotOptimize(compiled.evaluate(sampleX(i)));
    }
    perEvaluation(state);
}

// The compiled formula over all samples at once, as the drawers use it.
void evaluateBatch(benchmark::State& state, const BenchFormula& formula)
{
    velquor::CompiledFormula compiled(benchRequest(formula));
    const std::vector<Ext>& xs = sampleXs();
    std::vector<Ext> values(Samples);
    for (auto _ : state) {
        compiled.evaluate(xs.data(), values.data(), xs.size());
        benchmark::DoNotOptimize(values.data());
        benchmark::ClobberMemory();
    }
    perEvaluation(state);
}

void evaluateMuparser(benchmark::State& state, const BenchFormula& formula)
{
    double x = 0, a = static_cast<double>(ConstantA), b = static_cast<double>(ConstantB);
    mu::Parser parser;
    parser.DefineVar("x", &x);
    parser.DefineVar("a", &a);
    parser.DefineVar("b", &b);
    parser.SetExpr(formula.usual);
    for (auto _ : state) {
        for (int i = 0; i < Samples; ++i) {
            x = sampleXsDouble()[static_cast<std::size_t>(i)];
            benchmark::DoNotOptimize(parser.Eval());
        }
    }
    perEvaluation(state);
}

void evaluateFparser(benchmark::State& state, const BenchFormula& formula)
{
    FunctionParser parser;
    if (parser.Parse(formula.usual, "x,a,b") >= 0) {
        state.SkipWithError(parser.ErrorMsg());
        return;
    }
    parser.Optimize();
    double vars[3] = { 0, static_cast<double>(ConstantA), static_cast<double>(ConstantB) };
    for (auto _ : state) {
        for (int i = 0; i < Samples; ++i) {
            vars[0] = sampleXsDouble()[static_cast<std::size_t>(i)];
            benchmark::DoNotOptimize(parser.Eval(vars));
        }
    }
    perEvaluation(state);
}

void evaluateNative(benchmark::State& state, const BenchFormula& formula)
{
    formula.native(state);
}

const bool registered = [] {
    for (const BenchFormula& formula : formulas()) {
        const std::string name = formula.velquor;
        benchmark::RegisterBenchmark(("Evaluate/" + name).c_str(), evaluateVelquor, formula);
        benchmark::RegisterBenchmark(("Compiled/" + name).c_str(), evaluateCompiled, formula);
        benchmark::RegisterBenchmark(("Batch/" + name).c_str(), evaluateBatch, formula);
        benchmark::RegisterBenchmark(("muparser/" + name).c_str(), evaluateMuparser, formula);
        benchmark::RegisterBenchmark(("fparser/" + name).c_str(), evaluateFparser, formula);
        benchmark::RegisterBenchmark(("native/" + name).c_str(), evaluateNative, formula);
    }
    return true;
}();

} // namespace
