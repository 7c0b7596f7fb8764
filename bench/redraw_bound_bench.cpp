// A redraw of one curve whose formula is 10^6 characters ("x+x+...+x"), on a surface of the
// default plot size (445 x 364) that draws nothing: the redraw with its work bound, which hides
// the curve once it has done CurveWorkBudget, beside the same drawer without a bound, which
// evaluates every sample to its end. One iteration each: the unbounded one takes seconds.

#include "blank_surface.h"
#include "document/document.h"
#include "render/curve_drawers.h"
#include "render/draw_context.h"
#include "render/plot_view.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <string>

namespace {

using namespace velquor;

// kind 0: function graph, 1: parameter curve (both formulas long), 2: polar curve.
std::unique_ptr<Document> longFormulaDocument(int kind)
{
    const std::string formula = bench::longSumFormula();
    auto document = std::make_unique<Document>();
    document->CX = 222;
    document->CY = 182;
    GraphEntry entry;
    entry.name = "long";
    entry.visible = -1;
    entry.kind = kind;
    entry.width = 1;
    entry.formula1 = formula;
    entry.formula2 = formula;
    entry.divisions = 360;
    entry.rangeFrom = "0";
    entry.rangeTo = "6.28";
    document->appendEntry(entry);
    return document;
}

void longFormulaBoundedRedraw(benchmark::State& state)
{
    auto document = longFormulaDocument(int(state.range(0)));
    bench::BlankSurface surface;
    PlotView view(*document, surface);
    for (auto _ : state) {
        document->entry(0).visible = -1; // hidden by the previous redraw
        view.RedrawPlot();
    }
}

void longFormulaUnboundedDrawer(benchmark::State& state)
{
    auto document = longFormulaDocument(int(state.range(0)));
    bench::BlankSurface surface;
    const DrawContext context { *document, surface };
    const GraphEntry entry = document->entry(0);
    for (auto _ : state) {
        switch (state.range(0)) {
        case 0:
            DrawFunctionGraph(context, entry);
            break;
        case 1:
            DrawParameterCurve(context, entry);
            break;
        default:
            DrawPolarCurve(context, entry);
            break;
        }
    }
}

} // namespace

BENCHMARK(longFormulaBoundedRedraw)->DenseRange(0, 2)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(longFormulaUnboundedDrawer)
    ->DenseRange(0, 2)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
