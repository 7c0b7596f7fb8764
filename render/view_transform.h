#pragma once

#include "calc/ext.h"
#include "calc/number_text.h"

#include <cstdint>
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
inline std::optional<std::int32_t> verticalOffset(Ext y, Ext zoom, Ext ratio)
{
    return nearest32(y * zoom * Ext(-1) * ratio);
}
// Pixel offset from the origin's column of the plot value x: Nearest(x * zoom).
inline std::optional<std::int32_t> horizontalOffset(Ext x, Ext zoom)
{
    return nearest32(x * zoom);
}

// origin + offset as a surface coordinate, or nothing when it leaves the 32-bit range.
std::optional<std::int32_t> surfaceCoordinate(std::int32_t origin, std::int32_t offset);

// a + b held within the 32-bit range (view motions never wrap around).
std::int32_t saturatingAdd(std::int32_t a, std::int64_t b);

} // namespace velquor
