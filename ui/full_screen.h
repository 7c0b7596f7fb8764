#pragma once

#include "platform/display_modes.h"

#include <QObject>
#include <cstdint>
#include <functional>
#include <string>

class QAction;
class QMenu;
class QWidget;

namespace velquor {

class PlotView;

// The main window's parts that full screen hides, shows and switches.
struct FullScreenParts
{
    QWidget* window = nullptr; // the main window
    QAction* fullScreenAction = nullptr; // "全画面表示", checkable
    QAction* viewMenuAction = nullptr; // the menu "表示" (its menu action)
    QAction* helpMenuAction = nullptr; // the menu "ﾍﾙﾌﾟ(&H)" (its menu action)
    QMenu* displayModesMenu = nullptr; // "解像度"
    QWidget* toolbar = nullptr;
    QWidget* leftPanel = nullptr;
    QWidget* splitter = nullptr;
    QWidget* statusBarSpacer = nullptr; // the gap above the status bar
    QWidget* statusBar = nullptr;
    QWidget* menuRule = nullptr; // rule under the menu
    QWidget* plot = nullptr; // takes the keyboard on entering
};

// The redraw cycle's flags and entry point that the switch drives (PlotView's, normally).
struct PlotControl
{
    std::int32_t* suppressRedraw = nullptr;
    std::int32_t* fullScreen = nullptr;
    std::function<void()> RedrawPlot;
};
PlotControl plotControlOf(PlotView& view);

// Full-screen mode and the display-mode menu of the main window.
class FullScreen final : public QObject
{
public:
    // Registers fillDisplayModesMenu as the surface component's initialise event.
    FullScreen(FullScreenParts parts, SurfaceComponent& surface, PlotControl plot,
        QObject* parent = nullptr);

    // Enters full screen when fullScreenAction is not ticked, leaves it otherwise. When the
    // surface cannot be initialised in full screen, the window is restored (a usable windowed
    // plot) and the error is thrown on for the error box.
    void toggleFullScreen();
    // Rebuilds "解像度" from the surface's mode list (one item "%dx%dx%d" per mode).
    void fillDisplayModesMenu();
    // Switches to the item's mode; does nothing unless full screen is on.
    void selectDisplayMode(QAction* item);

    bool isFullScreen() const;

    // Receives the error of a mode item's click (the items are connected here, not by the
    // window); without a handler the error propagates to the event loop.
    void setErrorHandler(std::function<void(const std::string& message)> handler)
    {
        m_errorHandler = std::move(handler);
    }

private:
    void enter();
    void leave();
    void showPanels(bool show);
    void takeKeyboard(); // the window active and the plot focused after entering
    void setFrameless(bool frameless);
    void initializeOrFallBack(const std::function<void()>& prepare = {});

    FullScreenParts m_parts;
    SurfaceComponent& m_surface;
    PlotControl m_plot;
    SurfaceOptions m_windowedOptions;
    std::function<void(const std::string& message)> m_errorHandler;
};

} // namespace velquor
