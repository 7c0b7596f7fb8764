#include "platform/painter_canvas.h"

#include "platform/line_rasterizer.h"
#include "platform/plot_font.h"
#include "platform/qimage_canvas.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <optional>

namespace velquor {

namespace {

    // Products of two 33-bit distances need more than 64 bits.
    __extension__ typedef __int128 Wide;

    constexpr double PixelsPerInch = 96;
    constexpr double PointsPerInch = 72;
    // Lines are cut off this far beyond the picture's edges, where no pen reaches the picture:
    // viewers cope badly with coordinates of a billion pixels.
    constexpr double ClipMargin = 8;

    // The last pixel the bitmap's walk from a to b paints: the step before b, with the minor
    // coordinate rounded as the rasterizer rounds it (to nearest, halves towards the start).
    template <typename Point> Point lastPaintedPixel(Point a, Point b)
    {
        const std::int64_t dx = b.x - a.x, dy = b.y - a.y;
        const bool xMajor = std::llabs(dx) >= std::llabs(dy);
        const Wide major = std::llabs(xMajor ? dx : dy);
        const Wide minor = std::llabs(xMajor ? dy : dx);
        const Wide step = major - 1;
        const auto offset = std::int64_t((2 * step * minor + major - 1) / (2 * major));
        const std::int64_t majorSign = (xMajor ? dx : dy) < 0 ? -1 : 1;
        const std::int64_t minorSign = (xMajor ? dy : dx) < 0 ? -1 : 1;
        const auto majorAt = std::int64_t(step) * majorSign;
        const std::int64_t minorAt = offset * minorSign;
        return xMajor ? Point { a.x + majorAt, a.y + minorAt }
                      : Point { a.x + minorAt, a.y + majorAt };
    }

    // The part of the segment p..q inside the rectangle (Liang-Barsky), as fractions of it.
    std::optional<std::pair<double, double>> clipSegment(QPointF p, QPointF q, const QRectF& box)
    {
        double enter = 0, leave = 1;
        const double d[2] = { q.x() - p.x(), q.y() - p.y() };
        const double lo[2] = { box.left() - p.x(), box.top() - p.y() };
        const double hi[2] = { box.right() - p.x(), box.bottom() - p.y() };
        for (int axis = 0; axis < 2; ++axis) {
            if (d[axis] == 0) {
                if (lo[axis] > 0 || hi[axis] < 0)
                    return std::nullopt;
                continue;
            }
            double t0 = lo[axis] / d[axis], t1 = hi[axis] / d[axis];
            if (t0 > t1)
                std::swap(t0, t1);
            enter = std::max(enter, t0);
            leave = std::min(leave, t1);
        }
        if (enter > leave)
            return std::nullopt;
        return std::pair { enter, leave };
    }

    QColor qColor(Color color)
    {
        return QColor(toRgb(color));
    }

    // The plot font's metrics as the bitmap measures them: on a 96-dpi image.
    const QFontMetrics& bitmapFontMetrics()
    {
        static const QImage reference = [] {
            QImage image(1, 1, QImage::Format_RGB32);
            image.setDotsPerMeterX(3780);
            image.setDotsPerMeterY(3780);
            return image;
        }();
        static const QFontMetrics metrics(plotFont(), &reference);
        return metrics;
    }

} // namespace

PainterCanvas::PainterCanvas(QPainter& painter, int width, int height)
    : m_painter(painter)
    , m_width(width)
    , m_height(height)
{
    // The font the bitmap draws with, under the name of the font that actually draws it (the
    // name it is asked for is only a substitution of this program), sized in pixels so that
    // the painter's scale sizes it with the rest.
    m_font = plotFont();
    m_font.setFamily(QFontInfo(plotFont()).family());
    m_font.setPixelSize(qRound(m_font.pointSizeF() * PixelsPerInch / PointsPerInch));
    m_painter.setFont(m_font);
}

void PainterCanvas::finish()
{
    flushChain();
    startPainting(false);
}

void PainterCanvas::setPenColor(Color color)
{
    if (color != m_penColor)
        flushChain();
    m_penColor = color;
}

void PainterCanvas::setPenWidth(int width)
{
    if (clampPenWidth(width) != clampPenWidth(m_penWidth))
        flushChain();
    m_penWidth = width;
}

void PainterCanvas::fillRect(int left, int top, int right, int bottom)
{
    flushChain();
    const int l = std::max(left, 0), t = std::max(top, 0);
    const int r = std::min(right, m_width), b = std::min(bottom, m_height);
    if (l >= r || t >= b)
        return;
    startPainting(l == 0 && t == 0 && r == m_width && b == m_height);
    m_painter.fillRect(QRect(l, t, r - l, b - t), qColor(m_brushColor));
}

void PainterCanvas::moveTo(int x, int y)
{
    const Point to { x, y };
    if (to != m_position)
        flushChain();
    m_position = to;
}

void PainterCanvas::lineTo(int x, int y)
{
    const Point to { x, y };
    if (to == m_position)
        return; // a line of no length paints nothing
    if (m_chain.empty())
        m_chain.push_back(m_position);
    m_chain.push_back(to);
    m_position = to;
}

void PainterCanvas::textOut(int x, int y, std::string_view utf8)
{
    flushChain();
    const QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    const QFontMetrics& metrics = bitmapFontMetrics();
    const std::int64_t cellWidth = metrics.horizontalAdvance(text);
    const std::int64_t cellHeight = metrics.height();
    if (x >= m_width || y >= m_height || x + cellWidth <= 0 || y + cellHeight <= 0)
        return;
    startPainting(false);
    m_painter.fillRect(QRect(x, y, int(cellWidth), int(cellHeight)), qColor(m_brushColor));
    m_painter.setPen(qColor(m_fontColor));
    m_painter.drawText(QPointF(x, y + metrics.ascent()), text);
}

// The first thing painted on a fresh picture is the surface's black, unless it is a fill of
// the whole surface that covers it anyway.
void PainterCanvas::startPainting(bool coversAll)
{
    if (m_blank && !coversAll)
        m_painter.fillRect(QRect(0, 0, m_width, m_height), Qt::black);
    m_blank = false;
}

// Draws the gathered lines. The bitmap leaves out the chain's end point, so the polyline ends
// on the last pixel painted; a round pen of odd width is centred on the middle of a pixel, one
// of even width on the corner below and right of it, as the rasterizer's pen.
void PainterCanvas::flushChain()
{
    if (m_chain.size() < 2) {
        m_chain.clear();
        return;
    }
    const Point last = lastPaintedPixel(m_chain[m_chain.size() - 2], m_chain.back());
    m_chain.back() = last;
    if (m_chain.size() >= 2 && m_chain[m_chain.size() - 2] == last)
        m_chain.pop_back();

    const int width = clampPenWidth(m_penWidth);
    const double centre = width % 2 == 1 ? 0.5 : 1.0;
    startPainting(false);
    if (m_chain.size() == 1) {
        drawDot(m_chain.front(), width, centre);
        m_chain.clear();
        return;
    }
    // Square ends: the pen's stamp is a square, less its corner pixels from width 4 on.
    QPen pen(qColor(m_penColor), width, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin);
    m_painter.setPen(pen);
    m_painter.setBrush(Qt::NoBrush);
    const QRectF box(-ClipMargin, -ClipMargin, m_width + 2 * ClipMargin, m_height + 2 * ClipMargin);
    const auto at = [&](Point p) { return QPointF(double(p.x) + centre, double(p.y) + centre); };
    QPolygonF piece;
    for (std::size_t i = 1; i < m_chain.size(); ++i) {
        const QPointF p = at(m_chain[i - 1]), q = at(m_chain[i]);
        const auto part = clipSegment(p, q, box);
        if (!part) {
            drawPiece(piece);
            continue;
        }
        const QPointF from = p + (q - p) * part->first;
        const QPointF to = p + (q - p) * part->second;
        if (part->first > 0 || piece.isEmpty()) {
            drawPiece(piece);
            piece << from;
        }
        piece << to;
        if (part->second < 1)
            drawPiece(piece);
    }
    drawPiece(piece);
    m_chain.clear();
}

void PainterCanvas::drawPiece(QPolygonF& piece)
{
    if (piece.size() >= 2)
        m_painter.drawPolyline(piece);
    piece.clear();
}

// A chain that paints one pixel: the pen's stamp there, a square of the pen's width that from
// width 4 on lacks its corner pixels, as the rasterizer's round pen. Its edges lie on whole
// pixels, so it is drawn as the rectangles of a cross.
void PainterCanvas::drawDot(Point p, int width, double centre)
{
    const auto left = int(double(p.x) + centre - width / 2.0);
    const auto top = int(double(p.y) + centre - width / 2.0);
    const int cut = width >= 4 ? 1 : 0;
    const QColor color = qColor(m_penColor);
    m_painter.fillRect(QRect(left + cut, top, width - 2 * cut, width), color);
    if (cut != 0)
        m_painter.fillRect(QRect(left, top + cut, width, width - 2 * cut), color);
}

} // namespace velquor
