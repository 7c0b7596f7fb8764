#include "platform/emulated_display.h"

#include "platform/plot_widget.h"
#include "platform/qimage_surface.h"
#include "platform/window_manager.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWidget>

namespace velquor {

EmulatedDisplay::EmulatedDisplay(
    QImageSurface& surface, PlotWidget& widget, QWidget* window, QObject* parent)
    : QObject(parent)
    , m_surface(surface)
    , m_widget(&widget)
    , m_window(window)
{
    m_surface.setWaitForVerticalBlank(m_options.waitVerticalBlank);
}

EmulatedDisplay::~EmulatedDisplay()
{
    if (m_widget)
        m_widget->removeEventFilter(this);
}

const std::vector<DisplayMode>& EmulatedDisplay::displayModes()
{
    if (!m_modes) {
        QSize screen = m_screenSize;
        if (screen.isEmpty() && m_window && m_window->screen())
            screen = m_window->screen()->size();
        m_modes = listDisplayModes(screen);
    }
    return *m_modes;
}

void EmulatedDisplay::finalize()
{
    if (!m_active)
        return;
    m_active.reset();
    if (m_widget)
        m_widget->removeEventFilter(this);
    if (!m_window)
        return;
    m_window->setWindowState(m_windowStateBefore);
    if (m_coversScreenByItself) {
        m_coversScreenByItself = false;
        m_window->setGeometry(m_geometryBefore);
        m_window->setWindowState(m_windowStateBefore); // the geometry ended a maximised state
    }
}

void EmulatedDisplay::initialize()
{
    m_surface.setWaitForVerticalBlank(m_options.waitVerticalBlank);
    if (m_options.exclusiveFullScreen) {
        const DisplayMode mode = substituteMode(displayModes(), m_settings.mode());
        m_active = mode;
        if (m_window) {
            m_windowStateBefore = m_window->windowState() & ~Qt::WindowFullScreen;
            m_geometryBefore = m_window->geometry();
            m_window->setWindowState(m_window->windowState() | Qt::WindowFullScreen);
            m_window->show();
            coverScreenWithoutWindowManager();
        }
        if (m_widget)
            m_widget->installEventFilter(this);
        m_surface.resize(mode.width, mode.height);
    } else if (m_widget) {
        // Panels shown again are laid out only later; the redraw that follows must already
        // see the plot area at its window size.
        QList<QWidget*> ancestors;
        for (QWidget* w = m_widget->parentWidget(); w; w = w->parentWidget())
            ancestors.prepend(w);
        for (QWidget* w : ancestors)
            if (QLayout* layout = w->layout())
                layout->activate();
        m_surface.resize(m_widget->width(), m_widget->height());
    }
    if (m_widget)
        m_widget->update();
    raiseInitialize();
}

void EmulatedDisplay::coverScreenWithoutWindowManager()
{
    // Full screen is a request to the window manager; on an X server without one nothing
    // answers it, so the window takes the screen's geometry itself. Setting a geometry ends
    // the widget's full-screen state (the native window keeps its own): it is set again.
    if (!m_window->screen() || windowManagerPlacesFullScreenWindows())
        return;
    m_coversScreenByItself = true;
    m_window->setGeometry(m_window->screen()->geometry());
    m_window->setWindowState(m_window->windowState() | Qt::WindowFullScreen);
}

QRect EmulatedDisplay::pictureRect() const
{
    if (!m_active || !m_widget)
        return {};
    const QSize picture(m_surface.width(), m_surface.height());
    const QSize fitted = picture.scaled(m_widget->size(), Qt::KeepAspectRatio);
    return QRect(QPoint((m_widget->width() - fitted.width()) / 2,
                     (m_widget->height() - fitted.height()) / 2),
        fitted);
}

bool EmulatedDisplay::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_widget || !m_active)
        return false;
    // The back surface keeps the mode's size whatever size the widget takes on screen.
    if (event->type() == QEvent::Resize)
        return true;
    if (event->type() == QEvent::Paint) {
        paintScaled();
        return true;
    }
    if (!m_forwardingMouse
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove
            || event->type() == QEvent::MouseButtonRelease)) {
        forwardMouseInSurfacePixels(*static_cast<QMouseEvent*>(event));
        return true;
    }
    return false;
}

QPoint EmulatedDisplay::toSurfacePixel(QPoint widgetPoint) const
{
    const QRect shown = pictureRect();
    if (shown.isEmpty())
        return widgetPoint;
    // Floor division, so that points left of or above the picture stay negative.
    const auto scale = [](int offset, int surfaceSize, int shownSize) {
        const qint64 scaled = qint64(offset) * surfaceSize;
        return int(scaled >= 0 ? scaled / shownSize : -((-scaled + shownSize - 1) / shownSize));
    };
    return QPoint(scale(widgetPoint.x() - shown.x(), m_surface.width(), shown.width()),
        scale(widgetPoint.y() - shown.y(), m_surface.height(), shown.height()));
}

void EmulatedDisplay::forwardMouseInSurfacePixels(const QMouseEvent& event)
{
    // The mode's pixels are what the view moves by, as on a display switched to that mode.
    const QPointF position = toSurfacePixel(event.position().toPoint());
    QMouseEvent mapped(event.type(), position, event.scenePosition(), event.globalPosition(),
        event.button(), event.buttons(), event.modifiers(), event.pointingDevice());
    m_forwardingMouse = true;
    QCoreApplication::sendEvent(m_widget.data(), &mapped);
    m_forwardingMouse = false;
}

void EmulatedDisplay::paintScaled()
{
    QPainter painter(m_widget.data());
    painter.fillRect(m_widget->rect(), Qt::black);
    if (m_surface.image().isNull())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(pictureRect(), reduceToDepth(m_surface.image(), m_active->bits));
}

} // namespace velquor
