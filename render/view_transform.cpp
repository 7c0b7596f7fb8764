#include "render/view_transform.h"

#include "calc/error.h"
#include "calc/number_text.h"

#include <algorithm>
#include <limits>

namespace velquor {

std::optional<std::int64_t> nearest64(Ext value)
{
    std::int64_t result = 0;
    if (!NearestInt64(value, result))
        return std::nullopt;
    return result;
}

std::int32_t Nearest(Ext value)
{
    if (auto result = nearest32(value))
        return *result;
    throw Error("Invalid floating point operation");
}

void verticalOffsets(const Ext* ys, int count, Ext zoom, Ext ratio, std::int64_t* offsets)
{
    const NearestRounding rounding;
    for (int i = 0; i < count; ++i) {
        std::int32_t offset = 0;
        offsets[i] = rounding.toInt32(ys[i] * zoom * Ext(-1) * ratio, offset) ? offset : NoOffset;
    }
}

void horizontalOffsets(const Ext* xs, int count, Ext zoom, std::int64_t* offsets)
{
    const NearestRounding rounding;
    for (int i = 0; i < count; ++i) {
        std::int32_t offset = 0;
        offsets[i] = rounding.toInt32(xs[i] * zoom, offset) ? offset : NoOffset;
    }
}

std::int32_t saturatingAdd(std::int32_t a, std::int64_t b)
{
    // b is at most a 32-bit difference or a small step, so the 64-bit sum cannot overflow.
    const std::int64_t sum = std::int64_t(a) + b;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        sum, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

} // namespace velquor
