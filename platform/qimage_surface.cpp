#include "platform/qimage_surface.h"

#include "render/picture_log.h"

#include <QPainter>
#include <thread>

namespace velquor {

namespace {

    QImage blankImage(int width, int height)
    {
        if (width <= 0 || height <= 0)
            return {};
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::black);
        // 96 dpi, so the 9-point plot font is 12 pixels high on every machine.
        image.setDotsPerMeterX(3780);
        image.setDotsPerMeterY(3780);
        return image;
    }

} // namespace

QImageSurface::QImageSurface(int width, int height)
    : m_image(blankImage(width, height))
    , m_canvas(m_image)
{
}

void QImageSurface::present()
{
    if (m_image.isNull())
        return;
    if (m_waitForVerticalBlank) {
        auto due = m_lastPresent + m_frameInterval;
        if (std::chrono::steady_clock::now() < due)
            std::this_thread::sleep_until(due);
    }
    m_lastPresent = std::chrono::steady_clock::now();
    if (m_present)
        m_present();
}

void QImageSurface::setPictureLog(PictureLog* log)
{
    m_log = log;
    m_canvas.setLog(log);
    if (log)
        log->setSurfaceSize(m_image.width(), m_image.height());
}

void QImageSurface::resize(int width, int height)
{
    if (width == m_image.width() && height == m_image.height())
        return;
    if (m_log)
        m_log->setSurfaceSize(width, height);
    QImage next = blankImage(width, height);
    if (!next.isNull() && !m_image.isNull()) {
        QPainter painter(&next);
        painter.drawImage(0, 0, m_image);
    }
    // The canvas refers to m_image itself, so the new pixels move into the same object.
    m_image = std::move(next);
}

} // namespace velquor
