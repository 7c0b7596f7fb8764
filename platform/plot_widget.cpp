#include "platform/plot_widget.h"

#include "platform/qimage_surface.h"
#include "render/device_picture.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace velquor {

PlotWidget::PlotWidget(QImageSurface& surface, QWidget* parent)
    : QWidget(parent)
    , m_surface(surface)
{
    // The surface covers the whole widget; nothing behind it needs painting.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    m_surface.setPresentCallback([this] {
        if (m_presentListener)
            m_presentListener();
        repaint();
    });
    if (QScreen* screen = this->screen(); screen && screen->refreshRate() > 1.0) {
        auto frame = std::chrono::duration<double>(1.0 / screen->refreshRate());
        m_surface.setFrameInterval(std::chrono::duration_cast<std::chrono::nanoseconds>(frame));
    }
}

PlotWidget::~PlotWidget()
{
    m_surface.setPresentCallback({});
}

QImageSurface* PlotWidget::deviceSurface()
{
    return m_pixelRatio > 1 ? m_deviceSurface.get() : nullptr;
}

bool PlotWidget::updateDeviceSurface()
{
    const double ratio = devicePixelRatioF();
    const bool changed = ratio != m_pixelRatio;
    m_pixelRatio = ratio;
    if (ratio <= 1) {
        m_deviceSurface.reset();
        return changed;
    }
    const int width = deviceExtent(this->width(), ratio);
    const int height = deviceExtent(this->height(), ratio);
    if (!m_deviceSurface) {
        m_deviceSurface = std::make_unique<QImageSurface>(width, height, ratio);
    } else {
        m_deviceSurface->setPixelRatio(ratio);
        m_deviceSurface->resize(width, height);
    }
    if (changed && !m_surface.image().isNull() && !m_deviceSurface->image().isNull()) {
        // Until the next redraw (and in trace mode, under the curves it adds) the device picture
        // is the plot's own enlarged.
        m_deviceSurface->drawEnlarged(m_surface.image());
    }
    return changed;
}

bool PlotWidget::showsDeviceSurface() const
{
    return m_pixelRatio > 1 && m_deviceSurface && !m_deviceSurface->image().isNull()
        && m_deviceSurface->width() == deviceExtent(m_surface.width(), m_pixelRatio)
        && m_deviceSurface->height() == deviceExtent(m_surface.height(), m_pixelRatio);
}

bool PlotWidget::event(QEvent* event)
{
    if (event->type() == QEvent::ScreenChangeInternal && updateDeviceSurface()
        && m_handlers.resized)
        m_handlers.resized(width(), height());
    return QWidget::event(event);
}

void PlotWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    if (showsDeviceSurface()) {
        // The device picture at one image pixel per device pixel: a view of its pixels that
        // declares the ratio.
        const QImage& device = m_deviceSurface->image();
        QImage shown(device.constBits(), device.width(), device.height(), device.bytesPerLine(),
            device.format());
        shown.setDevicePixelRatio(m_pixelRatio);
        painter.drawImage(QPointF(0, 0), shown);
        if (m_overlay)
            m_overlay(painter);
        return;
    }
    const QImage& image = m_surface.image();
    if (!image.isNull())
        painter.drawImage(event->rect().topLeft(), image, event->rect());
    // Area the surface does not cover (only while a resize is on its way).
    QRegion rest = QRegion(event->rect()) - QRegion(image.rect());
    for (const QRect& r : rest)
        painter.fillRect(r, Qt::black);
    if (m_overlay)
        m_overlay(painter);
}

void PlotWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_surface.resize(width(), height());
    updateDeviceSurface();
    if (m_handlers.resized)
        m_handlers.resized(width(), height());
}

void PlotWidget::mousePressEvent(QMouseEvent* event)
{
    if (m_handlers.mouseDown)
        m_handlers.mouseDown(event->position().toPoint().x(), event->position().toPoint().y());
}

void PlotWidget::mouseMoveEvent(QMouseEvent* event)
{
    constexpr auto held = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
    bool leftOnly = event->buttons() == Qt::LeftButton && !(event->modifiers() & held);
    if (m_handlers.mouseMove)
        m_handlers.mouseMove(
            event->position().toPoint().x(), event->position().toPoint().y(), leftOnly);
}

void PlotWidget::mouseReleaseEvent(QMouseEvent*)
{
    if (m_handlers.mouseUp)
        m_handlers.mouseUp();
}

void PlotWidget::keyPressEvent(QKeyEvent* event)
{
    if (m_keyHandler && m_keyHandler(event->key(), event->modifiers())) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace velquor
