#pragma once

#include "calc/ext.h"
#include "calc/ext_math.h"

#include <cstdint>
#include <string_view>

namespace velquor {

// The answer of the built-in table for one name.
enum class BuiltinLookup {
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

} // namespace velquor
