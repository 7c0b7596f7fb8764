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

std::optional<std::int32_t> surfaceCoordinate(std::int32_t origin, std::int32_t offset)
{
    const std::int64_t sum = std::int64_t(origin) + offset;
    if (sum < std::numeric_limits<std::int32_t>::min()
        || sum > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(sum);
}

std::int32_t saturatingAdd(std::int32_t a, std::int64_t b)
{
    // b is at most a 32-bit difference or a small step, so the 64-bit sum cannot overflow.
    const std::int64_t sum = std::int64_t(a) + b;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        sum, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

} // namespace velquor
