#pragma once

#include "render/canvas.h"

#include <memory>
#include <string>

namespace velquor {

// The plot as a vector picture (SVG or PDF) of the surface's size in pixels, drawn from the
// same canvas calls as the bitmap: fills as rectangles, texts as text on their opaque cell,
// and each run of joined lines as one polyline in the pen's colour and width. Coordinates are
// pixels (one unit of the SVG's view box, its width and height given in px; one point of the
// PDF page), and every shape sits on the pixels the bitmap paints, so a rendering at 1:1
// matches the bitmap: exactly for fills and horizontal and vertical lines, up to the
// rendering's smoothing for slanted lines and the edges of glyphs.
class VectorPicture final : public Surface
{
public:
    enum class Format { Svg, Pdf };

    // An empty picture (the surface's black) of width x height pixels, each at least 1.
    VectorPicture(Format format, int width, int height);
    ~VectorPicture() override;
    VectorPicture(const VectorPicture&) = delete;
    VectorPicture& operator=(const VectorPicture&) = delete;

    Canvas& canvas() override;
    void present() override { }
    int width() const override { return m_width; }
    int height() const override { return m_height; }

    // Ends the drawing and returns the file's bytes; the picture takes no more drawing.
    std::string finish();

private:
    class Painter;
    int m_width;
    int m_height;
    std::unique_ptr<Painter> m_painter;
};

// Writes the picture's file to path, replacing an existing file atomically.
// Throws Error("ﾌｧｲﾙ %s を作成できません") with the path when the file cannot be written.
void writeVectorFile(const std::string& path, VectorPicture& picture);

} // namespace velquor
