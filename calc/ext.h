#pragma once

#include <limits>

namespace velquor {

// The extended float in which formulas are evaluated and plot coordinates are computed.
using Ext = long double;
static_assert(std::numeric_limits<Ext>::digits == 64,
    "Velquor needs the x87 80-bit extended format (64-bit mantissa) for long double");

} // namespace velquor
