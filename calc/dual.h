#pragma once

#include "calc/ext.h"

#include <cstdint>
#include <limits>

namespace velquor {

// A value and its derivative with respect to x; a NaN derivative means "no derivative", and it
// stays NaN through every later step that uses it.
struct Dual
{
    Ext v = 0;
    Ext d = 0;
};

// The rules of differentiation that the one-sample and the batch evaluation share, written
// once so that both give the same bits.

// (t operand)' for the product t.v * operand.v.
[[gnu::always_inline]] inline Ext productSlope(Dual t, Dual operand)
{
    return t.d * operand.v + t.v * operand.d;
}

// (t / operand)' given the quotient t.v / operand.v.
[[gnu::always_inline]] inline Ext quotientSlope(Dual t, Ext quotient, Dual operand)
{
    return (t.d - quotient * operand.d) / operand.v;
}

// (base^(+-n))' for a whole n >= 1: n base^(n-1) (or -n base^(-n-1)) from the lower power, which
// lowerPower(exponent) computes by its own squarings (it rounds less than n power / base). At a
// zero base only base^1 has a slope; a negative power has none.
template <typename LowerPower>
[[gnu::always_inline]] inline Ext wholePowerSlope(
    Dual base, std::uint32_t n, bool negative, LowerPower lowerPower)
{
    if (base.v == 0)
        return negative ? std::numeric_limits<Ext>::quiet_NaN() : (n == 1 ? base.d : 0);
    if (base.d == 0)
        return 0;
    const std::uint32_t lowerExponent = negative ? n + 1 : n - 1;
    const Ext lower = lowerExponent == 0 ? Ext(1) : lowerPower(lowerExponent);
    return (negative ? -Ext(n) : Ext(n)) * lower * base.d;
}

} // namespace velquor
