#include "calc/builtin_functions.h"

#include "calc/evaluate.h"
#include "calc/number_text.h"

#include <array>
#include <utility>
#include <cmath>

namespace velquor {

namespace {

    // The table's order; it matters only in that the whole table is searched before the
    // callable formulas of other graphs.
    constexpr std::array<std::string_view, 36> BuiltinNames
        = { "sin", "cos", "tan", "sec", "cosec", "sinh", "tanh", "cosh", "cotan", "cot", "arctan",
              "arccos", "arcsin", "arcsinh", "arctanh", "arccosh", "sqrt", "abs", "exp", "frac",
              "int", "round", "logtwo", "logten", "log2", "log10", "ln", "loge", "sqr", "random",
              "cycletorad", "degtorad", "gradtorad", "radtocycle", "radtodeg", "radtograd" };

    // The fixed large value of arctanh outside (-1, 1), below the largest extended number.
    constexpr Ext ArctanhLimit = 1.1e4932L;
    // Beyond this magnitude arcsinh and arccosh use ln 2 + ln|t|.
    constexpr Ext LargeArgument = 1e10L;
    constexpr Ext Ln2 = std::numbers::ln2_v<Ext>;

    std::uint32_t g_randomSeed = 0;

    BuiltinLookup result(Ext computed, Ext& value)
    {
        if (!std::isfinite(computed))
            return BuiltinLookup::Fault;
        value = computed;
        return BuiltinLookup::Value;
    }

    BuiltinLookup fail()
    {
        return BuiltinLookup::Fail;
    }

    BuiltinLookup random(Ext t, Ext& value)
    {
        std::int32_t n = 0;
        if (!NearestInt32(fabsl(t), n))
            return BuiltinLookup::Fault;
        // The seed advances first and the new seed is used, as the rule is written.
        g_randomSeed = g_randomSeed * 134775813u + 1u;
        const std::uint64_t product = static_cast<std::uint64_t>(static_cast<std::uint32_t>(n))
            * static_cast<std::uint64_t>(g_randomSeed);
        value = static_cast<Ext>(product >> 32);
        return BuiltinLookup::Value;
    }

    BuiltinLookup trigonometric(int index, Ext t, std::int32_t degreeMode, Ext& value)
    {
        const Ext angle = degreeMode != 0 ? t * DegreesToRadians : t;
        switch (index) {
        case 0:
            return result(SinExt(angle), value);
        case 1:
            return result(CosExt(angle), value);
        default:
            return result(tanl(angle), value);
        }
    }

    // Functions 4 to 16: reciprocal trigonometric, hyperbolic and inverse functions.
    BuiltinLookup inverseAndHyperbolic(int index, Ext t, Ext& value)
    {
        switch (index) {
        case 3: // sec
            return CosExt(t) == 0 ? fail() : result(1 / CosExt(t), value);
        case 4: // cosec
            return SinExt(t) == 0 ? fail() : result(1 / SinExt(t), value);
        case 5:
            return result(sinhl(t), value);
        case 6:
            return result(tanhl(t), value);
        case 7:
            return result(coshl(t), value);
        case 8: // cotan
        case 9: // cot: the test is on t, not on tan t
            return t == 0 ? fail() : result(1 / tanl(t), value);
        case 10:
            return result(atanl(t), value);
        case 11:
            return (t > -1 && t < 1) ? result(acosl(t), value) : fail();
        case 12:
            return (t > -1 && t < 1) ? result(asinl(t), value) : fail();
        case 13:
            if (fabsl(t) > LargeArgument)
                return result(copysignl(Ln2 + logl(fabsl(t)), t), value);
            return result(asinhl(t), value);
        case 14:
            if (fabsl(t) >= 1)
                return result(copysignl(ArctanhLimit, t), value);
            return result(atanhl(t), value);
        default: // arccosh
            if (t <= 1)
                return result(0, value);
            if (t > LargeArgument)
                return result(Ln2 + logl(t), value);
            return result(acoshl(t), value);
        }
    }

    // Functions 17 to 29: roots, rounding and logarithms.
    BuiltinLookup algebraic(int index, Ext t, Ext& value)
    {
        switch (index) {
        case 16:
            return t < 0 ? fail() : result(sqrtl(t), value);
        case 17:
            return result(fabsl(t), value);
        case 18:
            return t >= 17 ? fail() : result(expl(t), value);
        case 19:
            return t == truncl(t) ? fail() : result(t - truncl(t), value);
        case 20:
            return t == truncl(t) ? fail() : result(truncl(t), value);
        case 21: {
            std::int32_t n = 0;
            return NearestInt32(t, n) ? result(n, value) : BuiltinLookup::Fault;
        }
        case 22:
        case 24:
            return t <= 0 ? fail() : result(log2l(t), value);
        case 23:
        case 25:
            return t <= 0 ? fail() : result(Log10Ext(t), value);
        case 26:
        case 27:
            return t <= 0 ? fail() : result(logl(t), value);
        default: // sqr
            return result(t * t, value);
        }
    }

    BuiltinLookup angleConversion(int index, Ext t, Ext& value)
    {
        switch (index) {
        case 30:
            return result(t * TwoPi, value);
        case 31:
            return result(t * DegreesToRadians, value);
        case 32:
            return result(t * GradsToRadians, value);
        case 33:
            return result(t / TwoPi, value);
        case 34:
            return result(t * RadiansToDegrees, value);
        default:
            return result(t * RadiansToGrads, value);
        }
    }

} // namespace

int BuiltinIndex(std::string_view name)
{
    for (int index = 0; index < static_cast<int>(BuiltinNames.size()); ++index) {
        if (BuiltinNames[static_cast<std::size_t>(index)] == name)
            return index;
    }
    return -1;
}

BuiltinLookup ApplyBuiltinIndex(int index, Ext t, std::int32_t degreeMode, Ext& value)
{
    if (index < 0)
        return BuiltinLookup::NotBuiltin;
    if (index < 3)
        return trigonometric(index, t, degreeMode, value);
    if (index < 16)
        return inverseAndHyperbolic(index, t, value);
    if (index < 29)
        return algebraic(index, t, value);
    if (index == RandomBuiltin)
        return random(t, value);
    if (index < 36)
        return angleConversion(index, t, value);
    return BuiltinLookup::NotBuiltin;
}

namespace {

    // The dispatch of ApplyBuiltinIndex folded away for one index and degree mode.
    template <int Index, bool Degrees>
    [[gnu::flatten]] void builtinLoop(const Ext* t, Ext* values, BuiltinLookup* outcome, int count)
    {
        for (int i = 0; i < count; ++i) {
            Ext value = 1; // left as it is unless the function has a value
            outcome[i] = ApplyBuiltinIndex(Index, t[i], Degrees ? 1 : 0, value);
            values[i] = value;
        }
    }

    template <bool Degrees, int... Index>
    constexpr std::array<BuiltinLoop, sizeof...(Index)> builtinTable(
        std::integer_sequence<int, Index...>)
    {
        return { &builtinLoop<Index, Degrees>... };
    }

    constexpr auto RadianFunctions = builtinTable<false>(std::make_integer_sequence<int, 36>());
    constexpr auto DegreeFunctions = builtinTable<true>(std::make_integer_sequence<int, 36>());

} // namespace

BuiltinLoop BuiltinLoopAt(int index, std::int32_t degreeMode)
{
    const auto& table = degreeMode != 0 ? DegreeFunctions : RadianFunctions;
    return table.at(static_cast<std::size_t>(index));
}

BuiltinLookup ApplyBuiltinFunction(
    std::string_view name, Ext t, std::int32_t degreeMode, Ext& value)
{
    return ApplyBuiltinIndex(BuiltinIndex(name), t, degreeMode, value);
}

std::uint32_t randomSeed()
{
    return g_randomSeed;
}

void setRandomSeed(std::uint32_t seed)
{
    g_randomSeed = seed;
}

} // namespace velquor
