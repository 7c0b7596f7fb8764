#pragma once

#include <QWidget>
#include <functional>
#include <memory>

class QPainter;

namespace velquor {

class QImageSurface;

// The plot control: shows the back surface, sizes it to the widget, and forwards the mouse.
// The surface's present() repaints the widget synchronously; a paint event from the
// windowing system shows the surface again without any redraw and without pacing.
class PlotWidget final : public QWidget
{
public:
    struct Handlers
    {
        std::function<void(int x, int y)> mouseDown; // any button
        // leftOnly: the left button alone is down and no Shift, Ctrl or Alt is held.
        std::function<void(int x, int y, bool leftOnly)> mouseMove;
        std::function<void()> mouseUp; // any button
        std::function<void(int width, int height)> resized; // after the surface was resized
    };

    explicit PlotWidget(QImageSurface& surface, QWidget* parent = nullptr);
    ~PlotWidget() override;

    void setHandlers(Handlers handlers) { m_handlers = std::move(handlers); }
    QImageSurface& surface() { return m_surface; }

    // On a screen with more device pixels than logical ones (a device pixel ratio above 1) the
    // widget shows the picture of this surface, which has the widget's device pixels and
    // which the redraw draws beside the plot's own surface; null at a ratio of 1. The resized
    // handler runs when the ratio changes too (the window moved to another screen).
    QImageSurface* deviceSurface();
    double pixelRatio() const { return m_pixelRatio; }

    // What is drawn over the shown surface and never into it (the curve tracer's marker): the
    // copy, the export and the print take the surface without it.
    void setOverlay(std::function<void(QPainter& painter)> overlay)
    {
        m_overlay = std::move(overlay);
    }
    // Called at every present of the surface, before the widget shows it.
    void setPresentListener(std::function<void()> listener)
    {
        m_presentListener = std::move(listener);
    }
    // A key pressed while the plot has the focus; true when the handler used it.
    void setKeyHandler(std::function<bool(int key, Qt::KeyboardModifiers modifiers)> handler)
    {
        m_keyHandler = std::move(handler);
    }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Follows the widget's device pixel ratio and size; true when the ratio changed.
    bool updateDeviceSurface();
    bool showsDeviceSurface() const;

    QImageSurface& m_surface;
    std::unique_ptr<QImageSurface> m_deviceSurface;
    double m_pixelRatio = 1;
    Handlers m_handlers;
    std::function<void(QPainter&)> m_overlay;
    std::function<void()> m_presentListener;
    std::function<bool(int, Qt::KeyboardModifiers)> m_keyHandler;
};

} // namespace velquor
