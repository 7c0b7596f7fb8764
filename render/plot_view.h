#pragma once

#include "canvas.h"
#include "draw_context.h"
#include "keys.h"
#include "sample_cache.h"

#include <cstdint>
#include <functional>
#include <string>

namespace velquor {

class Document;
class RedrawWork;

// What the redraw cycle shows outside the plot; the main window fills these in.
struct PlotHooks
{
    std::function<void(int position)> setZoomSliderPosition; // without running setZoom
    std::function<void(const std::string& text)> setZoomText; // "25 %"
    std::function<void(bool busy)> setBusyLamp; // red while drawing, black at rest; repaint now
    std::function<int()> heldKeys; // the keyboard poller (a KeySet), polled in full screen
    // A curve could not be drawn and its entry was hidden (slot counted from 0): the graph
    // list shows the new state.
    std::function<void(int slot)> entryHidden;
};

// The redraw cycle and the view's navigation: the state flags of the main window and the
// handlers that drive them. The main window forwards its events here; tests call it directly.
class PlotView
{
public:
    PlotView(Document& document, Surface& surface, PlotHooks hooks = {});

    // Draws the whole plot (grid unless trace mode, every visible curve, present).
    // A grid failure (a ratio or interval that is not a number) throws Error, lamp left red.
    // A curve that fails is hidden, with the message at (0, 0) presented at once.
    void RedrawPlot();

    // A new document's view: settle counter 0, Zoom 25, the origin at the centre of
    // the surface, the table emptied. Draws nothing.
    void initialiseView();

    // The 10 ms tick (settle counter, full-screen keys).
    void tick();

    void mouseDown(int x, int y); // any button
    // leftOnly: the left button is the only one down and no Shift, Ctrl or Alt is held.
    void mouseMove(int x, int y, bool leftOnly);
    void mouseUp(); // any button
    void setZoom(int zoom); // the zoom slider moved (or the wheel): settle, redraw
    void backToOrigin();
    void resized(); // the plot was resized; the end of a splitter drag sets the counter too
    void restoreSurface(); // the surface was lost and is back: redraw
    void animate(); // one progressive redraw
    void toggleTraceMode(); // no redraw
    bool traceMode() const { return m_traceMode; }
    // The evaluation work the curves of the last completed redraw did, in the evaluation
    // budget's units (bounded by RedrawWorkBudget + EvaluationBudget).
    std::uint64_t lastRedrawWork() const { return m_lastRedrawWork; }
    // The samples the curves of the last completed redraw evaluated (those read from the kept
    // values left out).
    std::uint64_t lastRedrawEvaluations() const { return m_lastRedrawEvaluations; }
    // Whether the curves' sample values are kept from one redraw to the next (on by default);
    // the picture is the same either way, only how many values are evaluated differs.
    void setKeepSamples(bool keep);
    bool keepsSamples() const { return m_keepSamples; }
    const SampleCache& keptSamples() const { return m_samples; }
    // Drops the kept values (a new or loaded document).
    void forgetSamples()
    {
        m_samples.clear();
        m_deviceSamples.clear();
    }
    // Shows the plot at a high-DPI screen's device pixels: every redraw draws the same view a
    // second time on `device`, `ratio` times as dense (curves sampled at its columns, pens and
    // the scale values' offsets scaled), and the presents show that one. The plot's own surface
    // is drawn exactly as without it, but not presented of itself: it stays the picture that is
    // copied, exported and printed. None when device is null or ratio is not above 1, and for
    // any redraw in full screen or where the device surface's size is not deviceExtent of the
    // plot's.
    void showAtDevicePixels(Surface* device, Ext ratio);
    Surface* deviceSurface() const { return m_deviceSurface; }
    // Restoring a stored position: ten animated steps (each sets the settle counter to 1 and
    // redraws), or one jump with a single redraw when !animated.
    void moveToView(std::int32_t zoom, std::int32_t cx, std::int32_t cy, bool animated);

    // State flags of the main window.
    std::int32_t settleTicks = 0;
    std::int32_t dragging = 0;
    std::int32_t dragStartX = 0;
    std::int32_t dragStartY = 0;
    std::int32_t dragStartCX = 0;
    std::int32_t dragStartCY = 0;
    std::int32_t fullScreen = 0;
    std::int32_t animating = 0;
    std::int32_t suppressRedraw = 0;
    // The locale's decimal separator for the setting texts and the scale values.
    char decimalPoint = '.';

    Document& document() { return m_document; }
    Surface& surface() { return m_surface.get(); }
    void setSurface(Surface& surface) { m_surface = surface; }

private:
    // The device surface when this redraw draws it too, or null.
    Surface* drawnDeviceSurface();
    void drawCurves(RedrawWork& work, Surface& drawn, Surface* device);
    // Draws on the device surface with a context at its pixel ratio; where that fails, draws
    // the plot's pixels scaled instead (randomSeedBefore: the seed the plot's drawing started
    // from, so that both draw the same numbers).
    void drawOnDevice(Surface& device, RedrawWork* work, int slot, std::uint32_t randomSeedBefore,
        const std::function<void(DrawContext&)>& draw);

    Document& m_document;
    std::reference_wrapper<Surface> m_surface;
    PlotHooks m_hooks;
    bool m_traceMode = false;
    bool m_keepSamples = true;
    SampleCache m_samples;
    Surface* m_deviceSurface = nullptr;
    Ext m_deviceRatio = 1;
    SampleCache m_deviceSamples; // the device picture's own, at its zoom
    std::uint64_t m_lastRedrawWork = 0;
    std::uint64_t m_lastRedrawEvaluations = 0;
};

} // namespace velquor
