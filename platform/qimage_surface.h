#pragma once

#include "platform/qimage_canvas.h"
#include "render/canvas.h"

#include <QImage>
#include <chrono>
#include <functional>

namespace velquor {

class PictureLog;

// The plot's back surface: a QImage (Format_RGB32) that keeps its content between redraws,
// with the plot canvas on it. present() hands the image to whoever shows it (the plot
// widget's synchronous repaint); with the wait-for-vertical-blank option set it first waits
// until one display frame has passed since the previous present, which paces animation.
class QImageSurface final : public Surface
{
public:
    // A surface of the given size, cleared to black. pixelRatio above 1 makes the surface of a
    // picture at a high-DPI screen's device pixels: its text is drawn at pixelRatio * 96 dpi
    // and its pens go up to pixelRatio times the plot's widest.
    QImageSurface(int width = 0, int height = 0, double pixelRatio = 1);

    Canvas& canvas() override { return m_canvas; }
    void present() override;
    int width() const override { return m_image.width(); }
    int height() const override { return m_image.height(); }

    // A new size keeps the pixels the old and new image share (top-left aligned); new area is
    // black. The canvas keeps its colours and pen. A size of 0 in either direction leaves no
    // surface: drawing and presenting then do nothing.
    void resize(int width, int height);

    const QImage& image() const { return m_image; }
    double pixelRatio() const { return m_pixelRatio; }
    // A new ratio (a window moved to another screen): the surface is cleared to black.
    void setPixelRatio(double pixelRatio);
    // Draws the picture of the plot's pixels enlarged by the ratio over the surface (its
    // top-left corner at the surface's), without smoothing.
    void drawEnlarged(const QImage& picture);

    // Keeps the canvas calls that make the picture in the log (none when null), which is told
    // the surface's size now and at every resize; the log outlives its use.
    void setPictureLog(PictureLog* log);
    QImageCanvas& imageCanvas() { return m_canvas; }

    // Called by present() to show the image; empty by default (a headless surface).
    void setPresentCallback(std::function<void()> callback) { m_present = std::move(callback); }
    void setWaitForVerticalBlank(bool wait) { m_waitForVerticalBlank = wait; }
    bool waitForVerticalBlank() const { return m_waitForVerticalBlank; }
    // One display frame; 1/60 s unless the screen's refresh rate is known.
    void setFrameInterval(std::chrono::nanoseconds interval) { m_frameInterval = interval; }
    std::chrono::nanoseconds frameInterval() const { return m_frameInterval; }

private:
    double m_pixelRatio;
    QImage m_image;
    QImageCanvas m_canvas;
    PictureLog* m_log = nullptr;
    std::function<void()> m_present;
    bool m_waitForVerticalBlank = false;
    std::chrono::nanoseconds m_frameInterval { 16'666'667 };
    std::chrono::steady_clock::time_point m_lastPresent {};
};

} // namespace velquor
