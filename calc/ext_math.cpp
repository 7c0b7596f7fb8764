#include "calc/ext_math.h"

#include <cmath>
#include <cstdint>

namespace velquor {

namespace {

    constexpr Ext TwoTo63 = 9223372036854775808.0L;

    // A fault is recognised from the result: finite operands that give inf or NaN.
    Outcome checked(Ext value, Ext& result)
    {
        if (!std::isfinite(value))
            return Outcome::Fault;
        result = value;
        return Outcome::Value;
    }

    // B^n for n >= 1. A square is taken only while bits of n remain, so no square is formed that
    // the result does not need: an overflow here means the true power overflows too.
    Outcome wholePower(Ext base, std::uint32_t n, Ext& result)
    {
        Ext value = 1;
        while (true) {
            if (n & 1u) {
                value *= base;
                if (!std::isfinite(value))
                    return Outcome::Fault;
            }
            n >>= 1;
            if (n == 0)
                break;
            base *= base;
            if (!std::isfinite(base))
                return Outcome::Fault;
        }
        result = value;
        return Outcome::Value;
    }

    Outcome expLog(Ext base, Ext exponent, Ext& result)
    {
        if (base < 0)
            return Outcome::Fault; // ln of a negative number is an invalid operation
        const Ext product = exponent * logl(base);
        if (!std::isfinite(product))
            return Outcome::Fault;
        return checked(expl(product), result);
    }

} // namespace

Ext SinExt(Ext t)
{
    return fabsl(t) >= TwoTo63 ? 0 : sinl(t);
}

Ext CosExt(Ext t)
{
    return fabsl(t) >= TwoTo63 ? 0 : cosl(t);
}

Ext Log10Ext(Ext t)
{
    Ext power = 10;
    for (int k = 1; k <= 27 && power <= t; ++k, power *= 10) {
        if (power == t)
            return k;
    }
    return log10l(t);
}

Outcome PowerExt(Ext base, Ext exponent, Ext& result)
{
    if (exponent == 0) {
        result = 1;
        return Outcome::Value;
    }
    if (base == 0) {
        result = 0;
        return Outcome::Value;
    }
    if (exponent == truncl(exponent)) {
        const Ext magnitude = fabsl(exponent);
        if (magnitude > 2147483647.0L)
            return expLog(base, exponent, result);
        Ext power = 0;
        if (wholePower(base, static_cast<std::uint32_t>(magnitude), power) != Outcome::Value)
            return Outcome::Fault;
        // The reciprocal of an underflowed power is a division by zero: a fault.
        return checked(exponent < 0 ? 1 / power : power, result);
    }
    if (base < 0)
        return Outcome::Fail;
    return expLog(base, exponent, result);
}

} // namespace velquor
