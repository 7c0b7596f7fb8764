#include "calc/builtin_derivatives.h"

#include "calc/builtin_functions.h"
#include "calc/ext_math.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace velquor {
namespace {

    constexpr Ext None = std::numeric_limits<Ext>::quiet_NaN();
    // Beyond this magnitude the hardware's sine and cosine give up and the language gives 0:
    // a flat line that is an artefact, not a function with slope 0.
    constexpr Ext TwoTo63 = 9223372036854775808.0L;
    // Beyond this magnitude arcsinh and arccosh are ln 2 + ln|t| (as their values are).
    constexpr Ext LargeArgument = 1e10L;
    constexpr Ext Ln2 = std::numbers::ln2_v<Ext>;
    constexpr Ext Ln10 = std::numbers::ln10_v<Ext>;

    Ext trigonometric(int index, Ext t, Ext value, std::int32_t degreeMode)
    {
        const Ext scale = degreeMode != 0 ? DegreesToRadians : 1;
        const Ext angle = t * scale;
        if (fabsl(angle) >= TwoTo63)
            return None;
        switch (index) {
        case 0: // sin
            return CosExt(angle) * scale;
        case 1: // cos
            return -SinExt(angle) * scale;
        default: // tan: 1 + tan^2 keeps the full precision of the value near the poles
            return (1 + value * value) * scale;
        }
    }

    Ext inverseAndHyperbolic(int index, Ext t, Ext value)
    {
        switch (index) {
        case 3: // sec: sec t tan t
            return fabsl(t) >= TwoTo63 ? None : value * tanl(t);
        case 4: // cosec: -cosec t cot t
            return fabsl(t) >= TwoTo63 ? None : -value * value * CosExt(t);
        case 5: // sinh
            return coshl(t);
        case 6: { // tanh: 1 / cosh^2, which does not cancel where tanh is near 1
            const Ext c = coshl(t);
            return 1 / (c * c);
        }
        case 7: // cosh
            return sinhl(t);
        case 8: // cotan
        case 9: // cot
            return -(1 + value * value);
        case 10: // arctan
            return 1 / (1 + t * t);
        case 11: // arccos; (1 - t)(1 + t) is exact enough where 1 - t^2 cancels
            return -1 / sqrtl((1 - t) * (1 + t));
        case 12: // arcsin
            return 1 / sqrtl((1 - t) * (1 + t));
        case 13: // arcsinh
            return fabsl(t) > LargeArgument ? 1 / fabsl(t) : 1 / hypotl(1, t);
        case 14: // arctanh: a plateau beyond +-1, a jump onto it at +-1
            if (fabsl(t) == 1)
                return None;
            return fabsl(t) > 1 ? 0 : 1 / ((1 - t) * (1 + t));
        default: // arccosh: 0 below 1, an infinite slope at 1
            if (t < 1)
                return 0;
            if (t == 1)
                return None;
            return t > LargeArgument ? 1 / t : 1 / sqrtl((t - 1) * (t + 1));
        }
    }

    Ext algebraic(int index, Ext t, Ext value)
    {
        switch (index) {
        case 16: // sqrt: no value on the left of 0, an infinite slope at 0
            return value == 0 ? None : 1 / (2 * value);
        case 17: // abs: the two sides of 0 disagree
            return t == 0 ? None : (t > 0 ? 1 : -1);
        case 18: // exp
            return value;
        case 19: // frac: no value at the whole numbers, where it jumps
            return 1;
        case 20: // int
            return 0;
        case 21: // round: jumps at the halves (ties go to even, both ways a jump)
            return t - floorl(t) == 0.5L ? None : 0;
        case 22:
        case 24: // log2
            return 1 / (t * Ln2);
        case 23:
        case 25: // log10
            return 1 / (t * Ln10);
        case 26:
        case 27: // ln
            return 1 / t;
        default: // sqr
            return 2 * t;
        }
    }

    Ext angleConversion(int index)
    {
        switch (index) {
        case 30:
            return TwoPi;
        case 31:
            return DegreesToRadians;
        case 32:
            return GradsToRadians;
        case 33:
            return 1 / TwoPi;
        case 34:
            return RadiansToDegrees;
        default:
            return RadiansToGrads;
        }
    }

} // namespace

Ext BuiltinDerivative(int index, Ext t, Ext value, std::int32_t degreeMode)
{
    if (index < 0 || index > 35 || index == RandomBuiltin)
        return None; // a new random number at every evaluation: no slope
    if (index < 3)
        return trigonometric(index, t, value, degreeMode);
    if (index < 16)
        return inverseAndHyperbolic(index, t, value);
    if (index < 29)
        return algebraic(index, t, value);
    return angleConversion(index);
}

} // namespace velquor
