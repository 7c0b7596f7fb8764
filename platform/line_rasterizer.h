#pragma once

#include <cstddef>
#include <cstdint>

namespace velquor {

// A 32-bit pixel raster the plot is painted into (a QImage's bits, or any test buffer).
struct PixelBuffer
{
    std::uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0; // pixels from one row to the next
};

// Paints the line from (x0, y0) to (x1, y1) the way Bresenham walks it from the start point,
// leaving out the end point; a zero-length line paints nothing. Coordinates may lie anywhere
// in the 32-bit range: the walk is clipped analytically, so exactly the pixels of the
// unclipped walk that fall on the raster are painted. Widths above 1 stamp a round pen of
// that diameter (clamped to 1..widestPen) centred on every pixel of the same walk.
// widestPen is at most WidestStampedPen: the plot's pens go up to 5, those of a picture drawn
// at a high-DPI screen's device pixels up to 5 times its ratio.
inline constexpr int WidestStampedPen = 16;
void rasterizeLine(const PixelBuffer& buffer, int x0, int y0, int x1, int y1, std::uint32_t pixel,
    int penWidth, int widestPen = 5);

// Fills the rectangle [left, right) x [top, bottom), clipped to the raster.
void fillPixels(
    const PixelBuffer& buffer, int left, int top, int right, int bottom, std::uint32_t pixel);

// The pen widths the rasterizer stamps: values below 1 draw 1 pixel wide, above 5 draw 5.
int clampPenWidth(int width);

} // namespace velquor
