#include "render/plot_view.h"

#include "calc/error.h"
#include "document/document.h"
#include "render/curve_drawers.h"
#include "render/device_picture.h"
#include "render/grid.h"
#include "render/kept_random_seed.h"
#include "render/view_transform.h"

#include <algorithm>
#include <optional>

namespace velquor {
namespace {

    constexpr std::int32_t SettleRedrawTicks = 30;
    constexpr std::int32_t ZoomSliderMinimum = 1;
    constexpr std::int32_t ZoomSliderMaximum = 500;
    constexpr int AnimatedMoveSteps = 10;

    // Sets a flag for the duration of a scope and clears it on every way out, errors included.
    class FlagScope
    {
    public:
        FlagScope(std::int32_t& flag, std::int32_t value)
            : m_flag(flag)
        {
            m_flag = value;
        }
        ~FlagScope() { m_flag = 0; }
        FlagScope(const FlagScope&) = delete;
        FlagScope& operator=(const FlagScope&) = delete;

    private:
        std::int32_t& m_flag;
    };

} // namespace

PlotView::PlotView(Document& document, Surface& surface, PlotHooks hooks)
    : m_document(document)
    , m_surface(surface)
    , m_hooks(std::move(hooks))
{
}

void PlotView::RedrawPlot()
{
    if (suppressRedraw != 0)
        return;
    if (m_hooks.setZoomSliderPosition)
        m_hooks.setZoomSliderPosition(
            std::clamp(m_document.Zoom, ZoomSliderMinimum, ZoomSliderMaximum));
    if (m_hooks.setZoomText)
        m_hooks.setZoomText(std::to_string(m_document.Zoom) + " %");
    if (m_hooks.setBusyLamp)
        m_hooks.setBusyLamp(true);
    // With a device picture the plot's own surface is drawn without presenting, and the device
    // surface is presented through the plot's present instead.
    Surface* deviceSurface = drawnDeviceSurface();
    PresentingSurface unshownPlot(surface(), nullptr);
    std::optional<PresentingSurface> shownDevice;
    if (deviceSurface)
        shownDevice.emplace(*deviceSurface, &surface());
    Surface& drawn = deviceSurface ? unshownPlot : surface();
    Surface* device = shownDevice ? &*shownDevice : nullptr;
    if (!m_traceMode) {
        // A failure here leaves the redraw with the lamp red and nothing presented.
        DrawContext context { m_document, drawn, settleTicks, animating != 0, decimalPoint };
        DrawGrid(context);
        if (device)
            drawOnDevice(*device, nullptr, -1, randomSeed(), DrawGrid);
    }
    RedrawWork work;
    drawCurves(work, drawn, device);
    m_lastRedrawWork = work.redrawWork();
    m_lastRedrawEvaluations = work.evaluatedSamples();
    surface().present();
    if (m_hooks.setBusyLamp)
        m_hooks.setBusyLamp(false);
}

namespace {

    void drawCurve(const DrawContext& context, const GraphEntry& entry)
    {
        switch (static_cast<GraphKind>(entry.kind)) {
        case GraphKind::Function:
            DrawFunctionGraph(context, entry);
            break;
        case GraphKind::Parametric:
            DrawParameterCurve(context, entry);
            break;
        case GraphKind::Polar:
            DrawPolarCurve(context, entry);
            break;
        default:
            break; // stored positions and constant sets are never drawn
        }
    }

} // namespace

void PlotView::drawCurves(RedrawWork& work, Surface& drawn, Surface* device)
{
    RedrawWork deviceWork;
    for (int slot = 0; slot < m_document.graphCount(); ++slot) {
        const GraphEntry entry = m_document.entry(slot); // the drawers get a copy
        if (entry.visible == 0)
            continue;
        // The context is made per curve: a nested redraw from a present may change the view.
        const DrawContext context { m_document, drawn, settleTicks, animating != 0, decimalPoint,
            &work, m_keepSamples ? &m_samples : nullptr, slot };
        work.startCurve();
        const std::uint32_t seed = device ? randomSeed() : 0;
        try {
            drawCurve(context, entry);
        } catch (const Error&) {
            m_document.entry(slot).visible = 0;
            for (Surface* shown : { &drawn, device }) {
                if (!shown)
                    continue;
                Canvas& canvas = shown->canvas();
                canvas.textOut(0, 0, CannotDrawMessage);
                canvas.release();
            }
            surface().present();
            if (m_hooks.entryHidden)
                m_hooks.entryHidden(slot);
            continue;
        }
        if (device) {
            deviceWork.startCurve();
            drawOnDevice(*device, &deviceWork, slot, seed,
                [&entry](DrawContext& deviceContext) { drawCurve(deviceContext, entry); });
        }
    }
    m_samples.forgetFrom(m_document.graphCount());
    m_deviceSamples.forgetFrom(m_document.graphCount());
}

Surface* PlotView::drawnDeviceSurface()
{
    // Full screen shows the plot's surface at a display mode's size: no device picture then.
    if (!m_deviceSurface || m_deviceRatio <= 1 || fullScreen != 0 || surface().width() <= 0
        || surface().height() <= 0)
        return nullptr;
    if (m_deviceSurface->width() != deviceExtent(surface().width(), m_deviceRatio)
        || m_deviceSurface->height() != deviceExtent(surface().height(), m_deviceRatio))
        return nullptr;
    return m_deviceSurface;
}

void PlotView::drawOnDevice(Surface& device, RedrawWork* work, int slot,
    std::uint32_t randomSeedBefore, const std::function<void(DrawContext&)>& draw)
{
    // The plot's own drawing goes on with the numbers of "random" as if the device picture were
    // not drawn.
    const KeptRandomSeed keptSeed;
    try {
        // A parameter or polar curve samples the same parameters on both surfaces: it keeps its
        // values with the plot's. A function graph's depend on the zoom: kept apart, and read
        // from the plot's where the columns coincide.
        const bool sameSamples = slot >= 0
            && m_document.entry(slot).kind != static_cast<std::int32_t>(GraphKind::Function);
        DrawContext context { m_document, device, settleTicks, animating != 0, decimalPoint, work,
            !m_keepSamples    ? nullptr
                : sameSamples ? &m_samples
                              : &m_deviceSamples,
            slot, m_deviceRatio, m_keepSamples ? &m_samples : nullptr };
        draw(context);
        return;
    } catch (const Error&) {
    }
    // The plot's drawing just succeeded from the same inputs; drawn again it succeeds alike.
    setRandomSeed(randomSeedBefore);
    ScaledSurface scaled(surface(), device, m_deviceRatio);
    DrawContext context { m_document, scaled, settleTicks, animating != 0, decimalPoint, nullptr,
        nullptr, slot };
    try {
        draw(context);
    } catch (const Error&) {
    }
}

void PlotView::showAtDevicePixels(Surface* device, Ext ratio)
{
    if (!device || !(ratio > 1)) {
        device = nullptr;
        ratio = 1;
    }
    if (device != m_deviceSurface || ratio != m_deviceRatio)
        m_deviceSamples.clear();
    m_deviceSurface = device;
    m_deviceRatio = ratio;
}

void PlotView::setKeepSamples(bool keep)
{
    m_keepSamples = keep;
    if (!keep)
        forgetSamples();
}

void PlotView::initialiseView()
{
    settleTicks = 0;
    forgetSamples();
    m_document.initialiseView(surface().width(), surface().height());
}

void PlotView::tick()
{
    if (settleTicks != 0 && dragging == 0) {
        ++settleTicks;
        if (settleTicks > SettleRedrawTicks) {
            settleTicks = 0;
            RedrawPlot();
        }
    }
    if (fullScreen != 0) {
        const KeySet keys = m_hooks.heldKeys ? static_cast<KeySet>(m_hooks.heldKeys()) : 0;
        const std::int32_t distance = (keys & KeyShift) != 0 ? 80 : 10;
        const std::int32_t zoomStep = Nearest(Ext(distance) / 2);
        auto apply = [&](KeySet wanted, std::int32_t& field, std::int64_t amount) {
            if ((keys & wanted) == 0)
                return;
            field = saturatingAdd(field, amount);
            settleTicks = 1;
        };
        apply(KeyLeft, m_document.CX, distance);
        apply(KeyRight, m_document.CX, -distance);
        apply(KeyUp, m_document.CY, distance);
        apply(KeyDown, m_document.CY, -distance);
        apply(KeyZ | KeySpace, m_document.Zoom, -zoomStep);
        apply(KeyX | KeyEnter, m_document.Zoom, zoomStep);
    }
    if (settleTicks == 1)
        RedrawPlot();
}

void PlotView::mouseDown(int x, int y)
{
    dragStartCX = m_document.CX;
    dragStartCY = m_document.CY;
    dragStartX = x;
    dragStartY = y;
    dragging = -1;
}

void PlotView::mouseMove(int x, int y, bool leftOnly)
{
    if (!leftOnly || dragging == 0)
        return;
    m_document.CX = saturatingAdd(dragStartCX, std::int64_t(x) - dragStartX);
    m_document.CY = saturatingAdd(dragStartCY, std::int64_t(y) - dragStartY);
    settleTicks = 1;
    RedrawPlot();
}

void PlotView::mouseUp()
{
    dragging = 0;
}

void PlotView::setZoom(int zoom)
{
    m_document.Zoom = zoom;
    settleTicks = 1;
    RedrawPlot();
}

void PlotView::backToOrigin()
{
    m_document.CX = Nearest(Ext(surface().width()) / 2);
    m_document.CY = Nearest(Ext(surface().height()) / 2);
    RedrawPlot();
}

void PlotView::resized()
{
    settleTicks = 1;
}

void PlotView::restoreSurface()
{
    RedrawPlot();
}

void PlotView::animate()
{
    FlagScope scope(animating, -1);
    RedrawPlot();
}

void PlotView::toggleTraceMode()
{
    m_traceMode = !m_traceMode;
}

void PlotView::moveToView(std::int32_t zoom, std::int32_t cx, std::int32_t cy, bool animated)
{
    if (!animated) {
        m_document.Zoom = zoom;
        m_document.CX = cx;
        m_document.CY = cy;
        RedrawPlot();
        return;
    }
    // Running values in 80-bit precision, each frame rounded with ties to even.
    const Ext zoomStep = (Ext(m_document.Zoom) - Ext(zoom)) / AnimatedMoveSteps;
    const Ext columnStep = (Ext(m_document.CX) - Ext(cx)) / AnimatedMoveSteps;
    const Ext rowStep = (Ext(m_document.CY) - Ext(cy)) / AnimatedMoveSteps;
    Ext runningZoom = m_document.Zoom;
    Ext runningColumn = m_document.CX;
    Ext runningRow = m_document.CY;
    for (int frame = 0; frame < AnimatedMoveSteps; ++frame) {
        runningZoom -= zoomStep;
        m_document.Zoom = Nearest(runningZoom);
        runningColumn -= columnStep;
        m_document.CX = Nearest(runningColumn);
        runningRow -= rowStep;
        m_document.CY = Nearest(runningRow);
        if (frame == AnimatedMoveSteps - 1) {
            // The rounding already lands there; this only makes the promise explicit.
            m_document.Zoom = zoom;
            m_document.CX = cx;
            m_document.CY = cy;
        }
        settleTicks = 1;
        RedrawPlot();
    }
}

} // namespace velquor
