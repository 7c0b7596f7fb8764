#pragma once

#include "calc/ext.h"
#include "calc/number_text.h"

#include <cstdint>
#include <limits>
#include <optional>

namespace velquor {

// The mapping between plot units and surface pixels, shared by the grid pass and the drawers:
// column = CX + Nearest(x * Zoom), row = CY + Nearest(-y * Zoom * ratio).

// Nearest integer with ties to even, or nothing when the value (or NaN) does not fit.
inline std::optional<std::int32_t> nearest32(Ext value)
{
    std::int32_t result = 0;
    if (!NearestInt32(value, result))
        return std::nullopt;
    return result;
}
std::optional<std::int64_t> nearest64(Ext value);

// Nearest integer with ties to even; a value that does not fit throws Error.
std::int32_t Nearest(Ext value);

// Pixel offset from the origin's row of the plot value y: Nearest(y * zoom * (-1) * ratio),
// the products taken in that order. Nothing when it does not fit a 32-bit integer.
// Inline, as the drawers map every sample.
inline Ext verticalPixels(Ext y, Ext zoom, Ext ratio)
{
    return y * zoom * Ext(-1) * ratio;
}
inline std::optional<std::int32_t> verticalOffset(Ext y, Ext zoom, Ext ratio)
{
    return nearest32(verticalPixels(y, zoom, ratio));
}
// verticalOffset and horizontalOffset of a run of values into offsets, NoOffset where they
// give nothing. Kept apart from the drawing, as the rounding runs much faster in a loop that
// calls nothing.
inline constexpr std::int64_t NoOffset = std::numeric_limits<std::int64_t>::min();
void verticalOffsets(const Ext* ys, int count, Ext zoom, Ext ratio, std::int64_t* offsets);
void horizontalOffsets(const Ext* xs, int count, Ext zoom, std::int64_t* offsets);
inline std::optional<std::int32_t> asOffset(std::int64_t offset)
{
    if (offset == NoOffset)
        return std::nullopt;
    return static_cast<std::int32_t>(offset);
}

// Pixel offset from the origin's column of the plot value x: Nearest(x * zoom).
inline Ext horizontalPixels(Ext x, Ext zoom)
{
    return x * zoom;
}
inline std::optional<std::int32_t> horizontalOffset(Ext x, Ext zoom)
{
    return nearest32(horizontalPixels(x, zoom));
}

// origin + offset as a surface coordinate, or nothing when it leaves the 32-bit range.
// Inline, as the drawers place every sample.
inline std::optional<std::int32_t> surfaceCoordinate(std::int32_t origin, std::int32_t offset)
{
    const std::int64_t sum = std::int64_t(origin) + offset;
    if (sum < std::numeric_limits<std::int32_t>::min()
        || sum > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(sum);
}

// a + b held within the 32-bit range (view motions never wrap around).
std::int32_t saturatingAdd(std::int32_t a, std::int64_t b);

} // namespace velquor
