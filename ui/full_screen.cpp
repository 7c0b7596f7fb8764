#include "ui/full_screen.h"

#include "calc/error.h"
#include "render/plot_view.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

namespace velquor {

PlotControl plotControlOf(PlotView& view)
{
    return { &view.suppressRedraw, &view.fullScreen, [&view] { view.RedrawPlot(); } };
}

FullScreen::FullScreen(
    FullScreenParts parts, SurfaceComponent& surface, PlotControl plot, QObject* parent)
    : QObject(parent)
    , m_parts(parts)
    , m_surface(surface)
    , m_plot(std::move(plot))
    , m_windowedOptions(surface.options())
{
    // After leaving, the surfaces live in system memory (the window's resource set plus that).
    m_windowedOptions.systemMemory = true;
    m_windowedOptions.exclusiveFullScreen = false;
    m_surface.setOnInitialize([this] { fillDisplayModesMenu(); });
}

bool FullScreen::isFullScreen() const
{
    return m_parts.fullScreenAction->isChecked();
}

void FullScreen::toggleFullScreen()
{
    if (isFullScreen())
        leave();
    else
        enter();
}

void FullScreen::enter()
{
    m_parts.fullScreenAction->setChecked(true);
    m_surface.finalize();
    *m_plot.suppressRedraw = 1;
    *m_plot.fullScreen = -1;
    showPanels(false);
    setFrameless(true);
    SurfaceOptions options = m_surface.options();
    options.exclusiveFullScreen = true;
    m_surface.setOptions(options);
    initializeOrFallBack();
    takeKeyboard();
    *m_plot.suppressRedraw = 0;
    m_plot.RedrawPlot();
}

void FullScreen::takeKeyboard()
{
    // The window shown again with new flags is a new native window that the window system
    // has not activated, and the box that had the focus is hidden: the arrow keys would go
    // nowhere until a click. Activate the window and give the plot the focus.
    QWidget* window = m_parts.window;
    window->raise();
    window->activateWindow();
    if (m_parts.plot)
        m_parts.plot->setFocus(Qt::OtherFocusReason);
}

void FullScreen::leave()
{
    m_parts.fullScreenAction->setChecked(false);
    m_surface.finalize();
    *m_plot.suppressRedraw = 1;
    *m_plot.fullScreen = 0;
    showPanels(true);
    setFrameless(false);
    m_surface.setOptions(m_windowedOptions);
    m_surface.initialize();
    *m_plot.suppressRedraw = 0;
    m_plot.RedrawPlot();
}

void FullScreen::initializeOrFallBack(const std::function<void()>& prepare)
{
    try {
        if (prepare)
            prepare();
        m_surface.initialize();
    } catch (const Error&) {
        // The display cannot take the mode: return to the window so that the program stays
        // usable, then report the failure.
        leave();
        throw;
    }
}

void FullScreen::showPanels(bool show)
{
    // Leaving shows every panel, also those hidden through "表示"; the check marks of the
    // "表示" items are not touched, so they may disagree until the user chooses one.
    if (show)
        m_parts.splitter->show();
    m_parts.viewMenuAction->setVisible(show);
    for (QWidget* panel : { m_parts.toolbar, m_parts.leftPanel })
        panel->setVisible(show);
    if (show) {
        m_parts.statusBar->show();
        m_parts.statusBarSpacer->show();
        return;
    }
    m_parts.helpMenuAction->setEnabled(false);
    for (QWidget* part : { m_parts.splitter, m_parts.statusBarSpacer, m_parts.statusBar })
        part->hide();
}

void FullScreen::setFrameless(bool frameless)
{
    QWidget* window = m_parts.window;
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::FramelessWindowHint, frameless);
    // Changing the flags of a top-level window hides it.
    if (visible)
        window->show();
    if (!frameless)
        m_parts.helpMenuAction->setEnabled(true);
    m_parts.menuRule->setVisible(!frameless);
}

void FullScreen::fillDisplayModesMenu()
{
    QMenu* menu = m_parts.displayModesMenu;
    const QList<QAction*> old = menu->actions();
    for (QAction* item : old) {
        // The clicked item may be the one being replaced: it goes once its signal returns.
        menu->removeAction(item);
        item->deleteLater();
    }
    for (const DisplayMode& mode : m_surface.displayModes()) {
        auto* item = new QAction(modeCaption(mode), menu);
        connect(item, &QAction::triggered, this, [this, item] {
            if (!m_errorHandler)
                return selectDisplayMode(item);
            try {
                selectDisplayMode(item);
            } catch (const Error& error) {
                m_errorHandler(error.what());
            }
        });
        menu->addAction(item);
    }
}

void FullScreen::selectDisplayMode(QAction* item)
{
    if (!isFullScreen())
        return;
    const QString caption = item->text();
    *m_plot.suppressRedraw = 1;
    m_surface.finalize();
    initializeOrFallBack([this, &caption] {
        const DisplayMode mode = parseModeCaption(caption);
        DisplaySettings& settings = m_surface.displaySettings();
        settings.setWidth(mode.width);
        settings.setHeight(mode.height);
        settings.setBits(mode.bits);
    });
    *m_plot.suppressRedraw = 0;
    m_plot.RedrawPlot();
}

} // namespace velquor
