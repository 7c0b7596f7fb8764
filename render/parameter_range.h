#pragma once

#include "calc/ext.h"

#include <cstdint>
#include <optional>

namespace velquor {

struct GraphEntry;

// The samples p_i = from + i * step, i = 0 .. count - 1, of a parameter or polar curve.
struct ParameterRange
{
    Ext from = 0;
    Ext step = 0;
    std::int64_t count = 0;

    Ext at(std::int64_t index) const { return from + Ext(index) * step; }
};

// The entry's divisions + 1 samples from rangeFrom to rangeTo (none for negative divisions).
// Nothing when the range ends before it starts (the curve is not drawn). Throws Error when a
// range text is not a number, its span overflows or the divisions are 0.
std::optional<ParameterRange> readParameterRange(const GraphEntry& entry, char decimalPoint);

} // namespace velquor
