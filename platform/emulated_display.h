#pragma once

#include "platform/display_modes.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <optional>
#include <vector>

class QMouseEvent;
class QWidget;

namespace velquor {

class PlotWidget;
class QImageSurface;

// The drawing surface component over the QImage surface and its plot widget, with the
// display's modes emulated: in full screen the main window covers the screen, the back
// surface takes the mode's size, and the plot widget shows it scaled to fit with its aspect
// kept and its colours reduced to the mode's depth. The plot widget itself is not changed:
// an event filter takes over its painting and resizing while full screen is on. Where no
// window manager places full-screen windows (a bare X server), the window takes the screen's
// geometry itself and gets its old geometry back on leaving.
class EmulatedDisplay final : public QObject, public SurfaceComponent
{
public:
    EmulatedDisplay(
        QImageSurface& surface, PlotWidget& widget, QWidget* window, QObject* parent = nullptr);
    ~EmulatedDisplay() override;

    void finalize() override;
    void initialize() override;
    SurfaceOptions options() const override { return m_options; }
    void setOptions(const SurfaceOptions& options) override { m_options = options; }
    DisplaySettings& displaySettings() override { return m_settings; }
    const std::vector<DisplayMode>& displayModes() override;

    // The mode in use while full screen (after substitution); empty otherwise.
    std::optional<DisplayMode> activeMode() const { return m_active; }
    // Where the scaled picture lies in the plot widget while full screen.
    QRect pictureRect() const;
    // The back surface's pixel under a point of the plot widget while full screen.
    QPoint toSurfacePixel(QPoint widgetPoint) const;
    // Replaces the screen size the modes are read from (tests).
    void setScreenSize(QSize size) { m_screenSize = size; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void coverScreenWithoutWindowManager();
    void paintScaled();
    void forwardMouseInSurfacePixels(const QMouseEvent& event);

    QImageSurface& m_surface;
    QPointer<PlotWidget> m_widget;
    QPointer<QWidget> m_window;
    SurfaceOptions m_options;
    DisplaySettings m_settings;
    std::optional<std::vector<DisplayMode>> m_modes;
    std::optional<DisplayMode> m_active;
    QSize m_screenSize;
    Qt::WindowStates m_windowStateBefore;
    QRect m_geometryBefore; // the window's, restored on leaving when no window manager does
    bool m_coversScreenByItself = false;
    bool m_forwardingMouse = false;
};

} // namespace velquor
