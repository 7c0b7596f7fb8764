#pragma once

#include "calc_data.h"
#include "ext.h"

#include <cstdint>
#include <string_view>

namespace velquor {

// The value that marks a sample without value.
inline constexpr Ext NoValue = 999999;

// The value of request.formula for request.x, a and b. Never throws: a failure gives
// NoValue, a run-time fault the sum of the terms finished before it.
Ext Evaluate(const TCalcData& request);

// The tolerant decimal reader of number literals and of the constants a and b:
// text that is not a decimal number gives 0.
Ext StrToValue(std::string_view text);

// y = r sin(theta), x = r cos(theta); theta in radians whatever the degree mode.
void PolarToXY(Ext& y, Ext& x, Ext r, Ext theta);

// The process-wide seed of "random" (0 at start; never taken from the clock).
std::uint32_t randomSeed();
void setRandomSeed(std::uint32_t seed);

} // namespace velquor
