#pragma once

#include "render/canvas.h"

#include <QFont>
#include <QImage>

namespace velquor {

// The plot canvas on a QImage (Format_RGB32). Lines and rectangles go straight into the
// pixels through our own rasterizer; text goes through QPainter, which is opened for each
// text and closed again, so no painter is ever left open on the image.
class QImageCanvas final : public Canvas
{
public:
    explicit QImageCanvas(QImage& image);

    void setPenColor(Color color) override
    {
        m_penColor = color;
        if (m_log)
            m_log->setPenColor(color);
    }
    void setPenWidth(int width) override
    {
        m_penWidth = width;
        if (m_log)
            m_log->setPenWidth(width);
    }
    void setBrushColor(Color color) override
    {
        m_brushColor = color;
        if (m_log)
            m_log->setBrushColor(color);
    }
    void setFontColor(Color color) override
    {
        m_fontColor = color;
        if (m_log)
            m_log->setFontColor(color);
    }
    void fillRect(int left, int top, int right, int bottom) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void textOut(int x, int y, std::string_view utf8) override;
    void release() override { }

    Color penColor() const { return m_penColor; }
    int penWidth() const { return m_penWidth; }
    Color brushColor() const { return m_brushColor; }
    Color fontColor() const { return m_fontColor; }

    // Every call from now on goes to the log too (none when null); the log outlives the use.
    void setLog(Canvas* log) { m_log = log; }
    // Pens wider than this draw this wide (5 for the plot, more at a device's pixels).
    void setWidestPen(int width) { m_widestPen = width; }

private:
    QImage& m_image;
    QFont m_font;
    Canvas* m_log = nullptr;
    Color m_penColor = 0;
    int m_penWidth = 1;
    int m_widestPen = 5;
    Color m_brushColor = 0xFFFFFF;
    Color m_fontColor = 0;
    int m_x = 0;
    int m_y = 0;
};

// A platform colour 0x00BBGGRR as an opaque QRgb 0xFFRRGGBB.
QRgb toRgb(Color color);

} // namespace velquor
