#pragma once

#include "calc/ext.h"

#include <cstdint>

namespace velquor {

// The derivative of the built-in function at `index` (0 to 35, the table of BuiltinIndex) with
// respect to its argument t, where the function has the value `value` at t. NaN where the
// derivative has no value: the function has none on one side or jumps there (sqrt and the
// logarithms' edges, |t| at 0, int, frac and round at their steps, tan at its poles), and
// always for "random". In degree mode sin, cos and tan carry the factor pi/180 of the slope of
// the drawn curve. Where the language gives a function a plateau (arccosh below 1, arctanh
// beyond +-1) the derivative is 0, as the drawn curve is flat there.
Ext BuiltinDerivative(int index, Ext t, Ext value, std::int32_t degreeMode);

} // namespace velquor
