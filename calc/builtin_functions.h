#pragma once

#include "calc/ext.h"
#include "calc/ext_math.h"

#include <cstdint>
#include <string_view>

namespace velquor {

// The answer of the built-in table for one name.
enum class BuiltinLookup : std::uint8_t {
    NotBuiltin, // the name is not one of the 36 built-in names
    Value, // value holds the function's value
    Fail, // the argument is outside the function's domain: the evaluation gives NoValue
    Fault // a run-time fault while the function was applied (overflow, integer range)
};

// Applies the built-in function `name` (lower case, compared as a whole) to the argument t.
// Only sin, cos and tan take degrees when degreeMode is nonzero. "random" advances the
// process-wide seed.
BuiltinLookup ApplyBuiltinFunction(
    std::string_view name, Ext t, std::int32_t degreeMode, Ext& value);

// The same in two steps, for callers that look the name up once and apply it many times:
// the position of `name` in the built-in table (-1 when it is not built in), and the function
// at that position (NotBuiltin for -1).
int BuiltinIndex(std::string_view name);
BuiltinLookup ApplyBuiltinIndex(int index, Ext t, std::int32_t degreeMode, Ext& value);

// The function at `index` (0 to 35) with the degree mode fixed, applied to many arguments:
// outcome[i] and values[i] for the argument t[i], values[i] = 1 where the function fails or
// faults. t and values may be the same array.
using BuiltinLoop = void (*)(const Ext* t, Ext* values, BuiltinLookup* outcome, int count);
BuiltinLoop BuiltinLoopAt(int index, std::int32_t degreeMode);

// The position of "random", the one built-in function with a side effect.
inline constexpr int RandomBuiltin = 29;

} // namespace velquor
