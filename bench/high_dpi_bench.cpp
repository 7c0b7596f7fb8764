// The plot on a high-DPI screen: the reference document in a 1920 x 1080 plot drawn at a device
// pixel ratio of 2 (the plot's own surface and the 3840 x 2160 device picture in one redraw)
// beside the same at a ratio of 1. Argument: the ratio. The table reports ratio 2 over ratio 1.

#include "platform/qimage_surface.h"
#include "reference_document.h"
#include "render/device_picture.h"
#include "render/plot_view.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

using namespace velquor;

constexpr int Width = 1920;
constexpr int Height = 1080;

void ensureGuiApplication()
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

// A plot as the main window has it at the given ratio: its own surface, and above 1 the
// device picture beside it.
struct HighDpiPlot
{
    std::unique_ptr<Document> document = referenceDocument(Width, Height);
    QImageSurface surface { Width, Height };
    std::unique_ptr<QImageSurface> device;
    PlotView view { *document, surface };

    explicit HighDpiPlot(int ratio)
    {
        if (ratio > 1) {
            device = std::make_unique<QImageSurface>(
                deviceExtent(Width, ratio), deviceExtent(Height, ratio), ratio);
            view.showAtDevicePixels(device.get(), ratio);
        }
    }
};

// A redraw at rest after a change of a, as stepping the constant draws, with the values kept as
// the application keeps them: every value of the plot is new. Argument 10 + ratio: nothing kept,
// so the device picture evaluates every one of its samples too.
void highDpiRedrawAtRest(benchmark::State& state)
{
    ensureGuiApplication();
    const int ratio = int(state.range(0)) % 10;
    HighDpiPlot plot(ratio);
    plot.view.setKeepSamples(state.range(0) < 10);
    bool other = false;
    for (auto _ : state) {
        other = !other;
        plot.document->setText(Setting::ValA, other ? "2.5" : "2");
        plot.view.RedrawPlot();
    }
}

// A drag at the coarse step (20 pixels), 7 pixels to and fro after a redraw at rest, with the
// values kept as the application keeps them.
void highDpiDragAtCoarseStep(benchmark::State& state)
{
    ensureGuiApplication();
    HighDpiPlot plot(int(state.range(0)));
    plot.view.RedrawPlot();
    plot.view.settleTicks = 1;
    int direction = 1;
    for (auto _ : state) {
        plot.document->CX += direction * 7;
        plot.document->CY += direction * 3;
        direction = -direction;
        plot.view.RedrawPlot();
    }
}

BENCHMARK(highDpiRedrawAtRest)->Arg(1)->Arg(2)->Arg(11)->Arg(12)->Unit(benchmark::kMillisecond);
BENCHMARK(highDpiDragAtCoarseStep)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

} // namespace
