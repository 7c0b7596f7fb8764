#pragma once

#include "ext.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

namespace velquor {

// General format with 15 significant digits ("3", "0.75", "-0.001", "1E-5", "1.5E20", "1E15").
std::string FormatNumber(Ext value, char decimalPoint = '.');

// Strict decimal conversion: blanks, sign, digits with the locale's decimal point, exponent,
// blanks; nothing else. Throws Error("'%s' は浮動小数点数ではありません") on failure.
Ext StrToFloat(std::string_view text, char decimalPoint = '.');
bool TryStrToFloat(std::string_view text, Ext& value, char decimalPoint = '.');

// Strict integer conversion: leading blanks, then a sign and decimal digits or "$" and
// hexadecimal digits, nothing after; signed 32-bit range.
// Throws Error("'%s' は整数ではありません") on failure.
std::int32_t StrToInt(std::string_view text);
bool TryStrToInt(std::string_view text, std::int32_t& value);

// Nearest integer, ties to even; false when the value (or NaN) does not fit.
bool NearestInt32(Ext value, std::int32_t& result);
bool NearestInt64(Ext value, std::int64_t& result);

namespace detail {

    // Nearest(value) with ties to even from the bits of the extended number, for magnitudes
    // below 2^62: integer operations only, so no change of the processor's rounding control
    // (which floorl and a conversion to an integer each need, and which costs more than the
    // rest of a drawn sample). False for other values, which take the general way. Inline, as
    // the drawers round every sample.
    inline bool nearestFromBits(Ext value, std::int64_t& result)
    {
        std::uint64_t mantissa = 0;
        std::uint16_t signAndExponent = 0;
        std::memcpy(&mantissa, &value, sizeof mantissa);
        std::memcpy(
            &signAndExponent, reinterpret_cast<const char*>(&value) + 8, sizeof signAndExponent);
        const int biased = signAndExponent & 0x7FFF;
        const int exponent = biased - 16383;
        if (exponent > 61 || (biased != 0 && (mantissa >> 63) == 0))
            return false; // large, infinite, NaN or not a valid encoding
        std::uint64_t magnitude = 0;
        if (exponent == -1) {
            magnitude = mantissa > (std::uint64_t(1) << 63) ? 1 : 0; // 0.5 goes to 0
        } else if (exponent >= 0) {
            magnitude = mantissa >> (63 - exponent);
            const std::uint64_t fraction = mantissa << (exponent + 1); // 2^63 is one half
            constexpr std::uint64_t Half = std::uint64_t(1) << 63;
            if (fraction > Half || (fraction == Half && (magnitude & 1) != 0))
                ++magnitude;
        }
        const auto signedMagnitude = static_cast<std::int64_t>(magnitude);
        result = (signAndExponent & 0x8000) != 0 ? -signedMagnitude : signedMagnitude;
        return true;
    }

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define VELQUOR_X87_CONVERSION 1
#endif

    // True when the processor's conversion to an integer rounds to nearest with ties to even:
    // while its rounding control says so, as it does unless someone changed it.
    inline bool conversionRoundsToNearest()
    {
#ifdef VELQUOR_X87_CONVERSION
        std::uint16_t control = 0;
        asm volatile("fnstcw %0" : "=m"(control));
        constexpr std::uint16_t RoundingControl = 0x0C00; // 0: to nearest
        return (control & RoundingControl) == 0;
#else
        return false;
#endif
    }

    // The conversion's value of the extended number, when conversionRoundsToNearest(). False
    // for values that do not fit 64 bits, NaN, and -2^63 itself, which the conversion cannot
    // tell from them. Reading the bits of a value just computed stalls on its 10-byte store;
    // this does not.
    inline bool convertToNearest(Ext value, std::int64_t& result)
    {
#ifdef VELQUOR_X87_CONVERSION
        std::int64_t converted = 0;
        asm("fistpll %0" : "=m"(converted) : "t"(value) : "st");
        if (converted == std::numeric_limits<std::int64_t>::min()) // what NaN and overflow give
            return false;
        result = converted;
        return true;
#else
        (void)value;
        (void)result;
        return false;
#endif
    }

    // Nearest(value) with ties to even by the conversion where the rounding control allows,
    // by the bits otherwise.
    inline bool nearestByProcessor(Ext value, std::int64_t& result)
    {
#ifdef VELQUOR_X87_CONVERSION
        // The control and the conversion in one statement, so the value goes from the register
        // to the conversion without a round trip through memory.
        std::uint16_t control = 0;
        std::int64_t converted = 0;
        asm volatile("fnstcw %1\n\tfistpll %0"
                     : "=m"(converted), "=m"(control)
                     : "t"(value)
                     : "st");
        constexpr std::uint16_t RoundingControl = 0x0C00;
        if ((control & RoundingControl) != 0)
            return nearestFromBits(value, result);
        if (converted == std::numeric_limits<std::int64_t>::min())
            return false;
        result = converted;
        return true;
#else
        return nearestFromBits(value, result);
#endif
    }

    // The 64-bit nearest integer as a 32-bit one, false when it does not fit.
    inline bool narrowToInt32(std::int64_t wide, std::int32_t& result)
    {
        if (wide < -2147483648LL || wide > 2147483647LL)
            return false;
        result = static_cast<std::int32_t>(wide);
        return true;
    }

} // namespace detail

// The general ways of the two, for values the bits do not settle.
bool NearestInt32Slow(Ext value, std::int32_t& result);
bool NearestInt64Slow(Ext value, std::int64_t& result);

inline bool NearestInt32(Ext value, std::int32_t& result)
{
    std::int64_t wide = 0;
    if (detail::nearestByProcessor(value, wide))
        return detail::narrowToInt32(wide, result);
    return NearestInt32Slow(value, result);
}

// NearestInt32 for the many values of a loop that changes nothing of the processor's state:
// the rounding control is read once, when the object is made. A loop runs fastest when it
// branches on byConversion() once and calls toInt32<ByConversion> inside.
class NearestRounding
{
public:
    NearestRounding()
        : m_byConversion(detail::conversionRoundsToNearest())
    {
    }

    bool byConversion() const { return m_byConversion; }

    template <bool ByConversion> static bool toInt32(Ext value, std::int32_t& result)
    {
        std::int64_t wide = 0;
        const bool settled = ByConversion ? detail::convertToNearest(value, wide)
                                          : detail::nearestFromBits(value, wide);
        return settled ? detail::narrowToInt32(wide, result) : NearestInt32Slow(value, result);
    }

    bool toInt32(Ext value, std::int32_t& result) const
    {
        return m_byConversion ? toInt32<true>(value, result) : toInt32<false>(value, result);
    }

private:
    bool m_byConversion;
};

inline bool NearestInt64(Ext value, std::int64_t& result)
{
    if (detail::nearestByProcessor(value, result))
        return true;
    return NearestInt64Slow(value, result);
}

} // namespace velquor
