// Milliseconds per redraw of a reference document on a 1920 x 1080 QImage surface, at rest
// (step 1) and while the view moves (step 20), each measured three ways so the table can
// split the time: the full redraw; the same redraw on a surface that draws nothing (all but
// the pixels); and Evaluate alone on exactly the samples the drawers take.

#include "calc/evaluate.h"
#include "document/document.h"
#include "platform/qimage_surface.h"
#include "render/draw_context.h"
#include "render/plot_view.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>
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

GraphEntry entry(GraphKind kind, std::string formula1, std::string formula2, int divisions,
    std::string from, std::string to, int index)
{
    GraphEntry e;
    e.name = "curve " + std::to_string(index);
    e.visible = -1;
    e.kind = static_cast<std::int32_t>(kind);
    e.color = 0x00FFFFFF & (0x3F7FBF * (index + 1));
    e.width = 1 + index % 2;
    e.formula1 = std::move(formula1);
    e.formula2 = std::move(formula2);
    e.divisions = divisions;
    e.rangeFrom = std::move(from);
    e.rangeTo = std::move(to);
    return e;
}

// Grid on; 20 function graphs (the eight benchmark formulas and variants of them), five
// parameter curves of 360 divisions and five polar curves of 720, at zoom 40 about the centre.
std::unique_ptr<Document> referenceDocument()
{
    auto document = std::make_unique<Document>();
    document->initialiseView(Width, Height);
    document->Zoom = 40;
    document->setText(Setting::ValA, "2");
    document->setText(Setting::ValB, "1.5");
    const std::vector<std::string> formulas = { "sin(x)", "2x^2+3x-5", "x^3-2x",
        "sin(x)cos(3x)+x/5", "sqrt(abs(x))exp(-xx/8)", "tan(x)", "a sin(bx)", "(x+1)^2/(x^2+1)" };
    int index = 0;
    for (const std::string& f : formulas)
        document->appendEntry(entry(GraphKind::Function, f, "", 0, "", "", index++));
    for (const std::string& f : formulas)
        document->appendEntry(
            entry(GraphKind::Function, "(" + f + ")/2+1", "", 0, "", "", index++));
    for (int i = 0; i < 4; ++i)
        document->appendEntry(entry(
            GraphKind::Function, "-(" + formulas[std::size_t(i)] + ")", "", 0, "", "", index++));
    for (int k = 1; k <= 5; ++k)
        document->appendEntry(entry(GraphKind::Parametric, "3sin(" + std::to_string(k) + "t)",
            "4cos(" + std::to_string(k + 1) + "t)", 360, "0", "6.2832", index++));
    for (int k = 2; k <= 6; ++k)
        document->appendEntry(entry(
            GraphKind::Polar, "5cos(" + std::to_string(k) + "s)", "", 720, "0", "6.2832", index++));
    return document;
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

void redraw(benchmark::State& state, Surface& surface, int settleTicks)
{
    auto document = referenceDocument();
    PlotView view(*document, surface);
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

void redrawOnNothing(benchmark::State& state)
{
    NullSurface surface;
    redraw(state, surface, int(state.range(0)));
}

// Evaluate on the drawers' samples: every step-th column of each function graph, both
// formulas of a parameter curve and the one of a polar curve at each of divisions + 1 values.
void evaluateOnly(benchmark::State& state)
{
    auto document = referenceDocument();
    const int step = state.range(0) != 0 ? MovingStep : 1;
    const Ext zoom = document->Zoom;
    for (auto _ : state) {
        for (int slot = 0; slot < document->graphCount(); ++slot) {
            const GraphEntry& e = document->entry(slot);
            TCalcData request = buildRequest(*document, e);
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

// Argument 0: at rest (step 1); 1: moving (step 20).
BENCHMARK(redrawOnImage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(redrawOnNothing)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(evaluateOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
