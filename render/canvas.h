#pragma once

#include <cstdint>
#include <string_view>

namespace velquor {

// A platform colour 0x00BBGGRR, signed 32-bit as the document stores it.
using Color = std::int32_t;

// The plot canvas on the back surface. Pen, brush and font colour persist between uses.
// Coordinates are surface pixels anywhere in the signed 32-bit range; drawing is clipped.
class Canvas
{
public:
    virtual ~Canvas() = default;
    virtual void setPenColor(Color color) = 0;
    virtual void setPenWidth(int width) = 0;
    virtual void setBrushColor(Color color) = 0;
    virtual void setFontColor(Color color) = 0;
    virtual void fillRect(int left, int top, int right, int bottom) = 0; // right, bottom exclusive
    virtual void moveTo(int x, int y) = 0;
    virtual void lineTo(int x, int y) = 0; // the end point itself is not painted
    virtual void textOut(int x, int y, std::string_view utf8)
        = 0; // opaque cell in the brush colour
    virtual void release() = 0;
};

// The off-screen back surface of the plot control; its content persists between redraws.
class Surface
{
public:
    virtual ~Surface() = default;
    virtual Canvas& canvas() = 0;
    virtual void present() = 0; // show the back surface; waits for a display frame when set to
    virtual int width() const = 0;
    virtual int height() const = 0;
};

} // namespace velquor
