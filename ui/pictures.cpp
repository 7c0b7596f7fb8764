#include "pictures.h"

#include <QFont>
#include <QPainter>
#include <QPolygon>
#include <cmath>

namespace velquor {

namespace {

    // The 16-colour palette the pictures keep to.
    const QColor Black(0, 0, 0), Maroon(128, 0, 0), Green(0, 128, 0), Olive(128, 128, 0),
        Navy(0, 0, 128), Teal(0, 128, 128), Grey(128, 128, 128), Silver(192, 192, 192),
        Red(255, 0, 0), Lime(0, 255, 0), Yellow(255, 255, 0), Blue(0, 0, 255), Aqua(0, 255, 255),
        White(255, 255, 255);

    QPixmap blank(int width, int height)
    {
        QPixmap pixmap(width, height);
        pixmap.fill(Qt::transparent);
        return pixmap;
    }

    void drawPage(QPainter& p)
    {
        p.setPen(Black);
        p.setBrush(White);
        p.drawPolygon(QPolygon(
            { QPoint(5, 2), QPoint(15, 2), QPoint(19, 6), QPoint(19, 21), QPoint(5, 21) }));
        p.drawPolyline(QPolygon({ QPoint(15, 2), QPoint(15, 6), QPoint(19, 6) }));
    }

    void drawFolder(QPainter& p)
    {
        p.setPen(Black);
        p.setBrush(Olive);
        p.drawRect(2, 7, 17, 13);
        p.drawRect(2, 5, 7, 2);
        p.setBrush(Yellow);
        p.drawPolygon(QPolygon({ QPoint(5, 10), QPoint(22, 10), QPoint(19, 20), QPoint(2, 20) }));
    }

    void drawDisk(QPainter& p)
    {
        p.setPen(Black);
        p.setBrush(Navy);
        p.drawRect(3, 3, 18, 18);
        p.setBrush(White);
        p.drawRect(6, 3, 12, 7);
        p.setBrush(Silver);
        p.drawRect(7, 14, 10, 7);
        p.fillRect(13, 15, 2, 5, Navy);
    }

    void drawCurve(QPainter& p, const QColor& colour)
    {
        p.setPen(QPen(colour, 2));
        p.drawPolyline(QPolygon({ QPoint(2, 16), QPoint(6, 8), QPoint(10, 6), QPoint(13, 11),
            QPoint(17, 17), QPoint(21, 9) }));
    }

    void drawAxes(QPainter& p)
    {
        p.setPen(Black);
        p.drawLine(1, 12, 22, 12);
        p.drawLine(11, 1, 11, 22);
    }

    void drawGlyph(QPainter& p, ToolbarGlyph glyph)
    {
        switch (glyph) {
        case ToolbarGlyph::New:
            drawPage(p);
            p.fillRect(8, 9, 8, 1, Grey);
            p.fillRect(8, 12, 8, 1, Grey);
            p.fillRect(8, 15, 6, 1, Grey);
            break;
        case ToolbarGlyph::Open:
            drawFolder(p);
            break;
        case ToolbarGlyph::Save:
            drawDisk(p);
            break;
        case ToolbarGlyph::Add:
            drawAxes(p);
            drawCurve(p, Red);
            p.fillRect(16, 1, 7, 3, Green);
            p.fillRect(18, -1, 3, 7, Green);
            break;
        case ToolbarGlyph::Origin:
            drawAxes(p);
            p.setPen(QPen(Blue, 2));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPoint(11, 12), 4, 4);
            break;
        case ToolbarGlyph::Settings:
            p.setPen(Black);
            p.setBrush(Silver);
            p.drawRect(2, 3, 19, 17);
            p.fillRect(3, 4, 18, 3, Navy);
            for (int y : { 10, 15 }) {
                p.fillRect(5, y, 13, 1, Grey);
                p.setBrush(Teal);
                p.drawRect(y == 10 ? 7 : 13, y - 2, 3, 4);
            }
            break;
        case ToolbarGlyph::Help:
            p.setPen(Black);
            p.setBrush(Yellow);
            p.drawEllipse(2, 2, 19, 19);
            p.setPen(Navy);
            QFont font(QStringLiteral("DejaVu Sans"));
            font.setPixelSize(16);
            font.setBold(true);
            p.setFont(font);
            p.drawText(QRect(2, 2, 20, 20), Qt::AlignCenter, QStringLiteral("?"));
            break;
        }
    }

} // namespace

QPixmap toolbarGlyph(ToolbarGlyph glyph)
{
    QPixmap pixmap = blank(24, 24);
    QPainter painter(&pixmap);
    drawGlyph(painter, glyph);
    return pixmap;
}

QPixmap windowIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(White);
    QPainter p(&pixmap);
    p.setPen(Grey);
    p.drawLine(0, 8, 15, 8);
    p.drawLine(7, 0, 7, 15);
    p.setPen(QPen(Red, 2));
    p.drawPolyline(
        QPolygon({ QPoint(0, 13), QPoint(4, 5), QPoint(8, 9), QPoint(12, 2), QPoint(15, 4) }));
    p.setPen(Black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, 15, 15);
    return pixmap;
}

QPixmap aboutTitlePicture()
{
    QPixmap pixmap(421, 157);
    pixmap.fill(Navy);
    QPainter p(&pixmap);
    // A grid and three curves behind the name, as the plot shows them.
    p.setPen(Grey);
    for (int x = 10; x < 421; x += 25)
        p.drawLine(x, 0, x, 156);
    for (int y = 3; y < 157; y += 25)
        p.drawLine(0, y, 420, y);
    p.setPen(Silver);
    p.drawLine(0, 103, 420, 103);
    p.drawLine(210, 0, 210, 156);
    const QColor colours[] = { Yellow, Aqua, Lime };
    for (int k = 0; k < 3; ++k) {
        QPolygon curve;
        for (int x = 0; x < 421; x += 3) {
            const double t = (x - 210) / 40.0;
            curve << QPoint(x, 103 - static_cast<int>((k + 1) * 14 * std::sin(t + k)));
        }
        p.setPen(QPen(colours[k], 2));
        p.drawPolyline(curve);
    }
    QFont title(QStringLiteral("DejaVu Serif"));
    title.setPixelSize(54);
    title.setBold(true);
    title.setItalic(true);
    p.setFont(title);
    p.setPen(Black);
    p.drawText(QRect(4, 10, 421, 70), Qt::AlignCenter, QStringLiteral("Velquor"));
    p.setPen(White);
    p.drawText(QRect(0, 6, 421, 70), Qt::AlignCenter, QStringLiteral("Velquor"));
    QFont sub(QStringLiteral("ＭＳ Ｐゴシック"));
    sub.setPixelSize(16);
    p.setFont(sub);
    p.setPen(Yellow);
    p.drawText(QRect(0, 118, 421, 30), Qt::AlignCenter, QStringLiteral("数式のグラフを描くソフト"));
    return pixmap;
}

QImage positionIcon()
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(White);
    QPainter p(&image);
    p.fillRect(0, 7, 16, 2, Black);
    p.setPen(Maroon);
    p.drawPolyline(QPolygon({ QPoint(1, 13), QPoint(5, 9), QPoint(7, 11), QPoint(11, 5),
        QPoint(12, 7), QPoint(14, 2) }));
    return image;
}

QImage constantsIcon()
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(White);
    QPainter p(&image);
    p.setPen(Grey);
    p.drawLine(5, 15, 14, 1);
    p.setPen(Black);
    p.drawLine(4, 15, 13, 1);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(9);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Red);
    p.drawText(QRect(0, -1, 8, 9), Qt::AlignCenter, QStringLiteral("a"));
    p.setPen(Blue);
    p.drawText(QRect(8, 7, 8, 9), Qt::AlignCenter, QStringLiteral("b"));
    return image;
}

} // namespace velquor
