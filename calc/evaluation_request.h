#pragma once

#include "ext.h"

#include <array>
#include <cstdint>
#include <string>

namespace velquor {

inline constexpr int MaxCallableFormulas = 50;

// The evaluation request: one per curve, with x set per sample.
struct EvaluationRequest
{
    std::string formula; // UTF-8; scanned byte by byte
    Ext x = 0; // read by the letters x, t and s
    Ext a = 0;
    Ext b = 0;
    std::int32_t degreeMode = 0; // nonzero: sin, cos and tan take degrees
    std::int32_t funcCount = 0; // valid entries of the two tables, 0 to 50
    std::array<std::string, MaxCallableFormulas> funcNames;
    std::array<std::string, MaxCallableFormulas> funcFormulas;
};

} // namespace velquor
