#include "platform/qimage_canvas.h"

#include "platform/line_rasterizer.h"
#include "platform/plot_font.h"

#include <QFontMetrics>
#include <QPainter>

namespace velquor {

namespace {

    PixelBuffer pixelsOf(QImage& image)
    {
        PixelBuffer buffer;
        buffer.pixels = reinterpret_cast<std::uint32_t*>(image.bits());
        buffer.width = image.width();
        buffer.height = image.height();
        buffer.stride = image.bytesPerLine() / 4;
        return buffer;
    }

} // namespace

QRgb toRgb(Color color)
{
    auto c = static_cast<std::uint32_t>(color);
    return qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

QImageCanvas::QImageCanvas(QImage& image)
    : m_image(image)
    , m_font(plotFont())
{
}

void QImageCanvas::fillRect(int left, int top, int right, int bottom)
{
    if (m_log)
        m_log->fillRect(left, top, right, bottom);
    if (m_image.isNull())
        return;
    fillPixels(pixelsOf(m_image), left, top, right, bottom, toRgb(m_brushColor));
}

void QImageCanvas::moveTo(int x, int y)
{
    if (m_log)
        m_log->moveTo(x, y);
    m_x = x;
    m_y = y;
}

void QImageCanvas::lineTo(int x, int y)
{
    if (m_log)
        m_log->lineTo(x, y);
    if (!m_image.isNull())
        rasterizeLine(
            pixelsOf(m_image), m_x, m_y, x, y, toRgb(m_penColor), m_penWidth, m_widestPen);
    m_x = x;
    m_y = y;
}

void QImageCanvas::textOut(int x, int y, std::string_view utf8)
{
    if (m_log)
        m_log->textOut(x, y, utf8);
    if (m_image.isNull())
        return;
    QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    QFontMetrics metrics(m_font, &m_image);
    // The opaque cell: the text's advance by the font's full line height.
    std::int64_t cellWidth = metrics.horizontalAdvance(text);
    std::int64_t cellHeight = metrics.height();
    // Cells wholly off the image are skipped before any coordinate reaches Qt's int geometry.
    if (x >= m_image.width() || y >= m_image.height() || x + cellWidth <= 0 || y + cellHeight <= 0)
        return;
    QPainter painter(&m_image);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(m_font);
    painter.fillRect(QRect(x, y, int(cellWidth), int(cellHeight)), QColor(toRgb(m_brushColor)));
    painter.setPen(QColor(toRgb(m_fontColor)));
    painter.drawText(QPoint(x, y + metrics.ascent()), text);
}

} // namespace velquor
