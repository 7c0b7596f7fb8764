// Milliseconds per redraw of a reference document on a 1920 x 1080 QImage surface, at rest
// (step 1) and while the view moves (step 20), measured so the table can split the time: the
// full redraw, evaluating every sample; pans and drags with the sample values kept from redraw
// to redraw; the same redraw on a surface that draws nothing (all but the pixels); the literal
// scan and the compiled formulas alone on exactly the samples the drawers take; and the parts
// any plotter needs: the same samples computed by hand-written long-double code (with the polar
// curves' conversion to x and y) plus the same segments, grid and labels rasterized.

#include "calc/compiled_formula.h"
#include "calc/evaluate.h"
#include "document/document.h"
#include "platform/qimage_surface.h"
#include "reference_document.h"
#include "render/draw_context.h"
#include "render/picture_log.h"
#include "render/plot_view.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace velquor;

constexpr int Width = 1920;
constexpr int Height = 1080;
constexpr int MovingStep = 20;

// The canvas's font needs an application object; one for the whole run, never destroyed.
void ensureApplication()
{
    static int argc = 1;
    static char name[] = "velquor-bench";
    static char* argv[] = { name, nullptr };
    if (QGuiApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    new QGuiApplication(argc, argv);
}

// A surface of the same size that draws nothing.
class NullSurface final : public Surface, public Canvas
{
public:
    Canvas& canvas() override { return *this; }
    void present() override { }
    int width() const override { return Width; }
    int height() const override { return Height; }
    void setPenColor(Color) override { }
    void setPenWidth(int) override { }
    void setBrushColor(Color) override { }
    void setFontColor(Color) override { }
    void fillRect(int, int, int, int) override { }
    void moveTo(int, int) override { }
    void lineTo(int, int) override { }
    void textOut(int, int, std::string_view) override { }
    void release() override { }
};

// Every redraw evaluates every sample: the view keeps no values from one redraw to the next.
void redraw(benchmark::State& state, Surface& surface, int settleTicks)
{
    auto document = referenceDocument(Width, Height);
    PlotView view(*document, surface);
    view.setKeepSamples(false);
    for (auto _ : state) {
        view.settleTicks = settleTicks; // nonzero selects the coarse step of 20 pixels
        view.RedrawPlot();
    }
}

void redrawOnImage(benchmark::State& state)
{
    ensureApplication();
    QImageSurface surface(Width, Height);
    redraw(state, surface, int(state.range(0)));
}

// The same with the picture log that the main window's surface keeps for the vector export:
// its cost is the ratio to redrawOnImage.
void redrawOnImageWithPictureLog(benchmark::State& state)
{
    ensureApplication();
    QImageSurface surface(Width, Height);
    PictureLog log;
    surface.setPictureLog(&log);
    redraw(state, surface, int(state.range(0)));
    surface.setPictureLog(nullptr);
}

// Pans with the values kept from redraw to redraw, as the application draws. Argument 0: at
// rest, 13 pixels left and back by turns (each function graph evaluates its 13 new columns);
// 1: a drag at the coarse step, 7 pixels to and fro after a redraw at rest (the columns lie
// among those sampled at rest); 2: a drag at the coarse step that goes on 7 pixels each time,
// soon far from what was sampled at rest (every column of a function graph is new).
void panOnImage(benchmark::State& state)
{
    ensureApplication();
    QImageSurface surface(Width, Height);
    auto document = referenceDocument(Width, Height);
    PlotView view(*document, surface);
    view.RedrawPlot();
    const int mode = int(state.range(0));
    view.settleTicks = mode == 0 ? 0 : 1;
    const int distance = mode == 0 ? 13 : 7;
    int direction = 1;
    std::uint64_t evaluated = 0;
    for (auto _ : state) {
        document->CX += direction * distance;
        document->CY += direction * 3;
        if (mode != 2)
            direction = -direction;
        view.RedrawPlot();
        evaluated += view.lastRedrawEvaluations();
    }
    state.counters["evaluated"]
        = benchmark::Counter(double(evaluated), benchmark::Counter::kAvgIterations);
}

void redrawOnNothing(benchmark::State& state)
{
    NullSurface surface;
    redraw(state, surface, int(state.range(0)));
}

// Evaluate on the drawers' samples: every step-th column of each function graph, both
// formulas of a parameter curve and the one of a polar curve at each of divisions + 1 values.
void evaluateOnly(benchmark::State& state)
{
    auto document = referenceDocument(Width, Height);
    const int step = state.range(0) != 0 ? MovingStep : 1;
    const Ext zoom = document->Zoom;
    for (auto _ : state) {
        for (int slot = 0; slot < document->graphCount(); ++slot) {
            const GraphEntry& e = document->entry(slot);
            EvaluationRequest request = buildRequest(*document, e);
            request.formula = e.formula1;
            if (e.kind == static_cast<std::int32_t>(GraphKind::Function)) {
                for (int o = -document->CX; document->CX + o <= Width; o += step) {
                    request.x = o / zoom;
                    benchmark::DoNotOptimize(Evaluate(request));
                }
                continue;
            }
            const Ext from = StrToValue(e.rangeFrom);
            const Ext delta = (StrToValue(e.rangeTo) - from) / e.divisions;
            for (int i = 0; i <= e.divisions; ++i) {
                request.x = from + i * delta;
                request.formula = e.formula1;
                benchmark::DoNotOptimize(Evaluate(request));
                if (e.kind == static_cast<std::int32_t>(GraphKind::Parametric)) {
                    request.formula = e.formula2;
                    benchmark::DoNotOptimize(Evaluate(request));
                }
            }
        }
    }
}

// The drawers' samples: every step-th column of each function graph, divisions + 1 values of
// the parameter for the others; calls visit(entry, x) for each.
template <typename Visit> void forEachSample(const Document& document, int step, Visit visit)
{
    const Ext zoom = document.Zoom;
    for (int slot = 0; slot < document.graphCount(); ++slot) {
        const GraphEntry& e = document.entry(slot);
        if (e.kind == static_cast<std::int32_t>(GraphKind::Function)) {
            for (int o = -document.CX; document.CX + o <= Width; o += step)
                visit(slot, Ext(o) / zoom);
            continue;
        }
        const Ext from = StrToValue(e.rangeFrom);
        const Ext delta = (StrToValue(e.rangeTo) - from) / e.divisions;
        for (int i = 0; i <= e.divisions; ++i)
            visit(slot, from + i * delta);
    }
}

// The compiled formulas on the drawers' samples, in runs as the drawers evaluate them.
void evaluateCompiled(benchmark::State& state)
{
    auto document = referenceDocument(Width, Height);
    const int step = state.range(0) != 0 ? MovingStep : 1;
    std::vector<std::vector<Ext>> samples(std::size_t(document->graphCount()));
    forEachSample(
        *document, step, [&](int slot, Ext x) { samples[std::size_t(slot)].push_back(x); });
    std::vector<Ext> values(CompiledFormula::BatchSize);
    for (auto _ : state) {
        for (int slot = 0; slot < document->graphCount(); ++slot) {
            const GraphEntry& e = document->entry(slot);
            const std::vector<Ext>& xs = samples[std::size_t(slot)];
            EvaluationRequest request = buildRequest(*document, e);
            const bool parametric = e.kind == static_cast<std::int32_t>(GraphKind::Parametric);
            for (const std::string* formula : { &e.formula1, &e.formula2 }) {
                if (formula == &e.formula2 && !parametric)
                    continue;
                request.formula = *formula;
                CompiledFormula compiled(request); // once per curve and redraw, as drawn
                for (std::size_t first = 0; first < xs.size(); first += values.size()) {
                    const std::size_t count = std::min(values.size(), xs.size() - first);
                    compiled.evaluate(xs.data() + first, values.data(), count);
                    benchmark::DoNotOptimize(values.data());
                }
            }
        }
    }
}

// Hand-written long-double code for each curve of the reference document (both coordinates of
// the parameter curves; x and y of the polar ones).
std::vector<std::function<void(Ext)>> nativeCurves()
{
    const Ext a = 2;
    const Ext b = 1.5L;
    const std::vector<std::function<Ext(Ext)>> base = {
        [](Ext x) { return sinl(x); },
        [](Ext x) { return 2 * x * x + 3 * x - 5; },
        [](Ext x) { return x * x * x - 2 * x; },
        [](Ext x) { return sinl(x) * cosl(3 * x) + x / 5; },
        [](Ext x) { return sqrtl(fabsl(x)) * expl(-x * x / 8); },
        [](Ext x) { return tanl(x); },
        [a, b](Ext x) { return a * sinl(b * x); },
        [](Ext x) { return (x + 1) * (x + 1) / (x * x + 1); },
    };
    std::vector<std::function<void(Ext)>> curves;
    for (const auto& f : base)
        curves.push_back([f](Ext x) { benchmark::DoNotOptimize(f(x)); });
    for (const auto& f : base)
        curves.push_back([f](Ext x) { benchmark::DoNotOptimize(f(x) / 2 + 1); });
    for (int i = 0; i < 4; ++i) {
        const auto& f = base[std::size_t(i)];
        curves.push_back([f](Ext x) { benchmark::DoNotOptimize(-f(x)); });
    }
    for (int k = 1; k <= 5; ++k)
        curves.push_back([k](Ext t) {
            benchmark::DoNotOptimize(3 * sinl(k * t));
            benchmark::DoNotOptimize(4 * cosl((k + 1) * t));
        });
    for (int k = 2; k <= 6; ++k)
        curves.push_back([k](Ext s) {
            const Ext r = 5 * cosl(k * s);
            benchmark::DoNotOptimize(r * sinl(s));
            benchmark::DoNotOptimize(r * cosl(s));
        });
    return curves;
}

void evaluateNative(benchmark::State& state)
{
    auto document = referenceDocument(Width, Height);
    const int step = state.range(0) != 0 ? MovingStep : 1;
    const auto curves = nativeCurves();
    for (auto _ : state)
        forEachSample(*document, step, [&](int slot, Ext x) { curves[std::size_t(slot)](x); });
}

// A surface that keeps the operations of one redraw, to be replayed on another canvas.
class CapturingSurface final : public Surface, public Canvas
{
public:
    struct Operation
    {
        int kind;
        int a;
        int b;
        int c;
        int d;
        std::string text;
    };
    std::vector<Operation> operations;

    Canvas& canvas() override { return *this; }
    void present() override { }
    int width() const override { return Width; }
    int height() const override { return Height; }
    void setPenColor(Color c) override { add(0, int(c)); }
    void setPenWidth(int w) override { add(1, w); }
    void setBrushColor(Color c) override { add(2, int(c)); }
    void setFontColor(Color c) override { add(3, int(c)); }
    void fillRect(int l, int t, int r, int b) override { add(4, l, t, r, b); }
    void moveTo(int x, int y) override { add(5, x, y); }
    void lineTo(int x, int y) override { add(6, x, y); }
    void textOut(int x, int y, std::string_view text) override
    {
        operations.push_back({ 7, x, y, 0, 0, std::string(text) });
    }
    void release() override { add(8); }

    void replay(Canvas& canvas) const
    {
        for (const Operation& o : operations) {
            switch (o.kind) {
            case 0:
                canvas.setPenColor(Color(o.a));
                break;
            case 1:
                canvas.setPenWidth(o.a);
                break;
            case 2:
                canvas.setBrushColor(Color(o.a));
                break;
            case 3:
                canvas.setFontColor(Color(o.a));
                break;
            case 4:
                canvas.fillRect(o.a, o.b, o.c, o.d);
                break;
            case 5:
                canvas.moveTo(o.a, o.b);
                break;
            case 6:
                canvas.lineTo(o.a, o.b);
                break;
            case 7:
                canvas.textOut(o.a, o.b, o.text);
                break;
            default:
                canvas.release();
                break;
            }
        }
    }

private:
    void add(int kind, int a = 0, int b = 0, int c = 0, int d = 0)
    {
        operations.push_back({ kind, a, b, c, d, {} });
    }
};

// The segments, grid and labels of one redraw rasterized on the image, without the redraw.
void rasterizeOnly(benchmark::State& state)
{
    ensureApplication();
    auto document = referenceDocument(Width, Height);
    CapturingSurface capture;
    PlotView view(*document, capture);
    view.settleTicks = int(state.range(0));
    view.RedrawPlot();
    QImageSurface surface(Width, Height);
    for (auto _ : state)
        capture.replay(surface.canvas());
}

// Argument 0: at rest (step 1); 1: moving (step 20).
BENCHMARK(redrawOnImage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(panOnImage)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(redrawOnImageWithPictureLog)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(redrawOnNothing)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(evaluateOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(evaluateCompiled)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(evaluateNative)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(rasterizeOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
