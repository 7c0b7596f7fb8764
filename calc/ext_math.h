#pragma once

#include "calc/ext.h"

#include <numbers>

namespace velquor {

// How one arithmetic step of a formula ended.
enum class Outcome {
    Value, // the result is valid
    Fail, // a domain failure: the whole evaluation gives NoValue
    Fault // a run-time fault: the evaluation gives the total of its finished terms
};

inline constexpr Ext Pi = std::numbers::pi_v<Ext>;
// The letter e is a ten-decimal figure, not the full-precision e.
inline constexpr Ext LetterE = 2.7182818285L;
inline constexpr Ext DegreesToRadians = Pi / 180;
inline constexpr Ext RadiansToDegrees = 180 / Pi;
inline constexpr Ext GradsToRadians = Pi / 200;
inline constexpr Ext RadiansToGrads = 200 / Pi;
inline constexpr Ext TwoPi = 2 * Pi;

// Sine and cosine; 0 when |t| >= 2^63, where the hardware gives up reducing the argument.
Ext SinExt(Ext t);
Ext CosExt(Ext t);

// Base-10 logarithm that is whole for the powers of ten an extended number holds exactly
// (10^1 to 10^27); the library's log10l misses 3 for 1000 by one unit in the last place.
Ext Log10Ext(Ext t);

// base^exponent by the power rule of the language: 0^0 = 1, 0^E = 0, whole exponents by
// repeated squaring (exact in sign), others through exp(E ln B). A negative base with a
// fractional exponent fails; an overflow is a fault.
Outcome PowerExt(Ext base, Ext exponent, Ext& result);

} // namespace velquor
