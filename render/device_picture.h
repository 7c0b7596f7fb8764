#pragma once

#include "calc/ext.h"
#include "render/canvas.h"

namespace velquor {

// The plot as a high-DPI screen shows it: a second surface, `ratio` times as dense as the
// plot's own, drawn in the same redraw with the same view (see PlotView::showAtDevicePixels).
// These are the surfaces the redraw draws through.

// The size of the device surface that goes with a plot surface of `pixels`: rounded up, so
// that it covers the whole plot.
int deviceExtent(int pixels, Ext ratio);

// One surface's canvas and size, with the present of another (or none): the plot's own
// surface drawn without showing it, the device surface shown through the plot's present (its
// pacing and repaint).
class PresentingSurface final : public Surface
{
public:
    PresentingSurface(Surface& drawn, Surface* shown)
        : m_drawn(drawn)
        , m_shown(shown)
    {
    }
    Canvas& canvas() override { return m_drawn.canvas(); }
    void present() override
    {
        if (m_shown)
            m_shown->present();
    }
    int width() const override { return m_drawn.width(); }
    int height() const override { return m_drawn.height(); }

private:
    Surface& m_drawn;
    Surface* m_shown;
};

// The plot's pixels on the device surface: a surface of the plot's size whose canvas calls
// land on the device canvas with every coordinate and pen width times the ratio (text keeps
// its position scaled; the device canvas's font is already the scaled one), presented through
// the plot's present. What the device picture falls back on where drawing it at device pixels
// failed (a view too far out for the denser surface, a curve needing more work there).
class ScaledSurface final : public Surface, public Canvas
{
public:
    // plot gives the size and presents; device is drawn on. Both outlive this.
    ScaledSurface(Surface& plot, Surface& device, Ext ratio);

    Canvas& canvas() override { return *this; }
    void present() override { m_plot.present(); }
    int width() const override { return m_plot.width(); }
    int height() const override { return m_plot.height(); }

    void setPenColor(Color color) override { m_device.canvas().setPenColor(color); }
    void setPenWidth(int width) override;
    void setBrushColor(Color color) override { m_device.canvas().setBrushColor(color); }
    void setFontColor(Color color) override { m_device.canvas().setFontColor(color); }
    void fillRect(int left, int top, int right, int bottom) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void textOut(int x, int y, std::string_view utf8) override;
    void release() override { m_device.canvas().release(); }

private:
    int scaled(int pixels) const; // held within the 32-bit range

    Surface& m_plot;
    Surface& m_device;
    Ext m_ratio;
};

} // namespace velquor
