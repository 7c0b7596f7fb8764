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

namespace {

    // offsets[i] = Nearest(product(values[i])), NoOffset where it does not fit; one loop for
    // each way of rounding, so that the loop taken does not branch to the other.
    template <bool ByConversion, typename Product>
    void fillOffsets(const Ext* values, int count, std::int64_t* offsets, Product product)
    {
        for (int i = 0; i < count; ++i) {
            std::int32_t offset = 0;
            offsets[i] = NearestRounding::toInt32<ByConversion>(product(values[i]), offset)
                ? offset
                : NoOffset;
        }
    }

    template <typename Product>
    void fillOffsets(const Ext* values, int count, std::int64_t* offsets, Product product)
    {
        if (NearestRounding().byConversion())
            fillOffsets<true>(values, count, offsets, product);
        else
            fillOffsets<false>(values, count, offsets, product);
    }

} // namespace

void verticalOffsets(const Ext* ys, int count, Ext zoom, Ext ratio, std::int64_t* offsets)
{
    fillOffsets(
        ys, count, offsets, [zoom, ratio](Ext y) { return verticalPixels(y, zoom, ratio); });
}

void horizontalOffsets(const Ext* xs, int count, Ext zoom, std::int64_t* offsets)
{
    fillOffsets(xs, count, offsets, [zoom](Ext x) { return horizontalPixels(x, zoom); });
}

std::int32_t saturatingAdd(std::int32_t a, std::int64_t b)
{
    // b is at most a 32-bit difference or a small step, so the 64-bit sum cannot overflow.
    const std::int64_t sum = std::int64_t(a) + b;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        sum, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

} // namespace velquor
