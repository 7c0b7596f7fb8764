#pragma once

#include "calc/ext.h"

#include <cstddef>
#include <functional>
#include <string>

namespace velquor {

// Values of an integrand at many points: ys[i] for xs[i], NoValue where it has none. False
// when the analysis's work is spent (the values are then not to be used).
using Integrand = std::function<bool(const Ext* xs, Ext* ys, std::size_t count)>;

// Why an integral has no value.
enum class IntegralProblem {
    None,
    NoValue, // the integrand has no value at `at`
    Divergent, // the integral does not converge near `at` (a pole)
    TooManySubintervals, // MaxSubintervals were not enough
    WorkSpent, // the evaluations passed the analysis's work
    RangeTooWide, // to - from is not a finite number
};

struct IntegralResult
{
    IntegralProblem problem = IntegralProblem::None;
    Ext value = 0; // the integral (when problem is None)
    Ext error = 0; // its estimated absolute error
    Ext at = 0; // where a NoValue or Divergent problem was met
    std::size_t subintervals = 0;
};

// The bound on the pieces one integral is split into.
inline constexpr std::size_t MaxSubintervals = 1'000'000;

// The integral of f from `from` to `to` by adaptive Gauss-Kronrod quadrature (the 7-point
// Gauss rule inside the 15-point Kronrod rule, in the extended format): the piece with the
// largest error estimate |K15 - G7| is halved until the estimates add up to less than a few
// units in the last place of the integral, or each piece is down to the rounding of its own
// values. An end below the start integrates backwards (the value changes sign).
//
// Refused: a point without value at either end or at any point the rule evaluates; a piece
// that cannot be halved any more (narrower than 2^-60 of the range, or than 1024 units in the
// last place) that still holds more than 1E-8 of the integral of |f| or whose error is more than
// 1E-8 of the integral, which is a pole (1/x, tan x at pi/2); more than MaxSubintervals pieces; the integrand's work.
// An integrable singularity (1/sqrt(x) at 0) converges, more slowly, with an honest error.
IntegralResult Integrate(const Integrand& f, Ext from, Ext to);

// "積分できません" and the reason, for a result with a problem (x in the 15-digit number format
// with the decimal point given).
std::string IntegralProblemText(const IntegralResult& result, char decimalPoint = '.');

} // namespace velquor
