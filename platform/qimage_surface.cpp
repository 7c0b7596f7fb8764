#include "platform/qimage_surface.h"

#include "render/picture_log.h"

#include <QPainter>
#include <cstdlib>
#include <sys/mman.h>
#include <thread>

namespace velquor {

namespace {

    // Pixels of a large surface in huge pages where the system offers them on request: a line
    // drawn down a 4K-wide picture touches a new 4 KB page at every row, and the misses of the
    // address translation then cost more than the pixels.
    QImage allocateImage(int width, int height)
    {
        constexpr std::size_t HugePage = std::size_t(2) << 20;
        const std::size_t bytes = std::size_t(width) * std::size_t(height) * 4;
        if (bytes < 2 * HugePage)
            return QImage(width, height, QImage::Format_RGB32);
        const std::size_t rounded = (bytes + HugePage - 1) / HugePage * HugePage;
        void* pixels = std::aligned_alloc(HugePage, rounded);
        if (!pixels)
            return QImage(width, height, QImage::Format_RGB32);
        madvise(pixels, rounded, MADV_HUGEPAGE); // a hint: without it the pages are small
        return QImage(
            static_cast<uchar*>(pixels), width, height, qsizetype(width) * 4, QImage::Format_RGB32,
            [](void* data) { std::free(data); }, pixels);
    }

    QImage blankImage(int width, int height, double pixelRatio)
    {
        if (width <= 0 || height <= 0)
            return {};
        QImage image = allocateImage(width, height);
        if (image.isNull())
            return {};
        image.fill(Qt::black);
        // 96 dpi, so the 9-point plot font is 12 pixels high on every machine (and 12 times
        // the ratio at a device's pixels).
        const int dotsPerMeter = qRound(3780 * pixelRatio);
        image.setDotsPerMeterX(dotsPerMeter);
        image.setDotsPerMeterY(dotsPerMeter);
        return image;
    }

    int widestPenAt(double pixelRatio)
    {
        return qRound(5 * pixelRatio);
    }

} // namespace

QImageSurface::QImageSurface(int width, int height, double pixelRatio)
    : m_pixelRatio(pixelRatio)
    , m_image(blankImage(width, height, pixelRatio))
    , m_canvas(m_image)
{
    m_canvas.setWidestPen(widestPenAt(pixelRatio));
}

void QImageSurface::setPixelRatio(double pixelRatio)
{
    if (pixelRatio == m_pixelRatio)
        return;
    m_pixelRatio = pixelRatio;
    m_image = blankImage(m_image.width(), m_image.height(), pixelRatio);
    m_canvas.setWidestPen(widestPenAt(pixelRatio));
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

void QImageSurface::drawEnlarged(const QImage& picture)
{
    if (m_image.isNull() || picture.isNull())
        return;
    QPainter painter(&m_image);
    painter.drawImage(
        QRectF(0, 0, picture.width() * m_pixelRatio, picture.height() * m_pixelRatio), picture);
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
    QImage next = blankImage(width, height, m_pixelRatio);
    if (!next.isNull() && !m_image.isNull()) {
        QPainter painter(&next);
        painter.drawImage(0, 0, m_image);
    }
    // The canvas refers to m_image itself, so the new pixels move into the same object.
    m_image = std::move(next);
}

} // namespace velquor
