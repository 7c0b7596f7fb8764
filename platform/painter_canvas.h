#pragma once

#include "render/canvas.h"

#include <QFont>
#include <QPolygonF>
#include <cstdint>
#include <vector>

class QPainter;

namespace velquor {

// The plot canvas on a painter, in the pixels of a picture of width x height: fills as
// rectangles, texts as text on their opaque cell, and each run of joined lines as one polyline
// in the pen's colour and width, every shape on the pixels the bitmap paints. The painter's
// transformation places and scales the picture (a vector file at one unit to the pixel, a
// printed page at the printer's resolution). Lines are cut off a few pixels beyond the
// picture's edges, so a painter that must not paint outside it clips to it.
class PainterCanvas final : public Canvas
{
public:
    // The painter is active and outlives the canvas; its font becomes the plot font.
    PainterCanvas(QPainter& painter, int width, int height);

    // Draws the lines still gathered, and the picture's black if nothing was drawn at all.
    // Called once the drawing is done.
    void finish();

    void setPenColor(Color color) override;
    void setPenWidth(int width) override;
    void setBrushColor(Color color) override { m_brushColor = color; }
    void setFontColor(Color color) override { m_fontColor = color; }
    void fillRect(int left, int top, int right, int bottom) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void textOut(int x, int y, std::string_view utf8) override;
    void release() override { }

private:
    struct Point
    {
        std::int64_t x, y;
        bool operator==(const Point&) const = default;
    };

    void startPainting(bool coversAll);
    void flushChain();
    void drawPiece(QPolygonF& piece);
    void drawDot(Point p, int width, double centre);

    QPainter& m_painter;
    int m_width;
    int m_height;
    QFont m_font;
    bool m_blank = true;
    Color m_penColor = 0;
    int m_penWidth = 1;
    Color m_brushColor = 0xFFFFFF;
    Color m_fontColor = 0;
    Point m_position { 0, 0 };
    std::vector<Point> m_chain;
};

} // namespace velquor
