#include "calc/number_text.h"

#include "calc/error.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace velquor {

namespace {

    bool isDigit(char c)
    {
        return c >= '0' && c <= '9';
    }

    // The fifteen significant digits (trailing zeros removed) and the exponent E with
    // value = 0.d1d2...dn x 10^E. printf converts the exact binary value with correct rounding.
    void decimalDigits(Ext magnitude, std::string& digits, int& exponent)
    {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.14Le", magnitude);
        digits.clear();
        const char* p = buffer;
        for (; *p != 'e'; ++p) {
            if (isDigit(*p))
                digits += *p;
        }
        exponent = std::atoi(p + 1) + 1;
        while (digits.size() > 1 && digits.back() == '0')
            digits.pop_back();
    }

    std::string fixedNotation(const std::string& digits, int exponent, char decimalPoint)
    {
        std::string text;
        if (exponent >= 1) {
            text = digits.substr(0, std::min<std::size_t>(digits.size(), exponent));
            text.append(exponent > static_cast<int>(text.size()) ? exponent - text.size() : 0, '0');
            if (static_cast<int>(digits.size()) > exponent) {
                text += decimalPoint;
                text += digits.substr(static_cast<std::size_t>(exponent));
            }
        } else {
            text = "0";
            text += decimalPoint;
            text.append(static_cast<std::size_t>(-exponent), '0');
            text += digits;
        }
        return text;
    }

    std::string scientificNotation(const std::string& digits, int exponent, char decimalPoint)
    {
        std::string text(1, digits[0]);
        if (digits.size() > 1) {
            text += decimalPoint;
            text += digits.substr(1);
        }
        text += 'E';
        const int power = exponent - 1;
        if (power < 0)
            text += '-';
        text += std::to_string(std::abs(power));
        return text;
    }

    // Checks the form blanks, sign, digits, separator, digits, exponent, blanks and writes it
    // in the C locale's form for strtold; false when the text has another form.
    bool normalizeDecimal(std::string_view text, char decimalPoint, std::string& normalized)
    {
        std::size_t i = 0;
        const std::size_t n = text.size();
        while (i < n && text[i] == ' ')
            ++i;
        normalized.clear();
        if (i < n && (text[i] == '+' || text[i] == '-'))
            normalized += text[i++];
        std::size_t mantissaDigits = 0;
        std::string whole;
        std::string fraction;
        while (i < n && isDigit(text[i]))
            whole += text[i++], ++mantissaDigits;
        bool point = false;
        if (i < n && text[i] == decimalPoint) {
            point = true;
            ++i;
            while (i < n && isDigit(text[i]))
                fraction += text[i++], ++mantissaDigits;
        }
        if (mantissaDigits == 0 && !point)
            return false;
        normalized += (whole.empty() ? "0" : whole) + "." + (fraction.empty() ? "0" : fraction);
        if (i < n && (text[i] == 'e' || text[i] == 'E')) {
            normalized += 'e';
            ++i;
            if (i < n && (text[i] == '+' || text[i] == '-'))
                normalized += text[i++];
            const std::size_t start = i;
            while (i < n && isDigit(text[i]))
                normalized += text[i++];
            if (i == start)
                return false;
        }
        while (i < n && text[i] == ' ')
            ++i;
        return i == n;
    }

    int hexValue(char c)
    {
        if (isDigit(c))
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

} // namespace

std::string FormatNumber(Ext value, char decimalPoint)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    if (value == 0)
        return "0";
    std::string digits;
    int exponent = 0;
    decimalDigits(fabsl(value), digits, exponent);
    std::string text = (exponent >= -3 && exponent <= 15)
        ? fixedNotation(digits, exponent, decimalPoint)
        : scientificNotation(digits, exponent, decimalPoint);
    return value < 0 ? "-" + text : text;
}

bool TryStrToFloat(std::string_view text, Ext& value, char decimalPoint)
{
    std::string normalized;
    if (!normalizeDecimal(text, decimalPoint, normalized))
        return false;
    errno = 0;
    const Ext converted = std::strtold(normalized.c_str(), nullptr);
    if (std::isinf(converted))
        return false; // beyond the range of the 80-bit format; underflow passes
    value = converted;
    return true;
}

Ext StrToFloat(std::string_view text, char decimalPoint)
{
    Ext value = 0;
    if (!TryStrToFloat(text, value, decimalPoint))
        throw Error(formatMessage(NotFloatMessage, shownText(text)));
    return value;
}

// "$" and up to eight hex digits are a 32-bit two's-complement pattern ($FFFFFFFF is -1),
// as in number literals of formulas; decimal text must lie in the signed 32-bit range.
bool TryStrToInt(std::string_view text, std::int32_t& value)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    std::uint64_t magnitude = 0;
    bool negative = false;
    const bool hex = i < text.size() && text[i] == '$';
    if (hex) {
        ++i;
    } else if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t start = i;
    const std::uint64_t limit = hex ? 0xFFFFFFFFu : (negative ? 2147483648u : 2147483647u);
    for (; i < text.size(); ++i) {
        const int digit = hex ? hexValue(text[i]) : (isDigit(text[i]) ? text[i] - '0' : -1);
        if (digit < 0)
            return false;
        magnitude = magnitude * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
        if (magnitude > limit)
            return false;
    }
    if (i == start)
        return false;
    if (hex)
        value = static_cast<std::int32_t>(static_cast<std::uint32_t>(magnitude));
    else
        value = static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(magnitude)
                                                   : static_cast<std::int64_t>(magnitude));
    return true;
}

std::int32_t StrToInt(std::string_view text)
{
    std::int32_t value = 0;
    if (!TryStrToInt(text, value))
        throw Error(formatMessage(NotIntegerMessage, shownText(text)));
    return value;
}

namespace {

    // Ties to even, computed without relying on the floating-point rounding mode.
    Ext nearestEven(Ext value)
    {
        const Ext below = floorl(value);
        const Ext fraction = value - below;
        if (fraction > 0.5L || (fraction == 0.5L && fmodl(below, 2) != 0))
            return below + 1;
        return below;
    }

} // namespace

bool NearestInt32Slow(Ext value, std::int32_t& result)
{
    if (std::isnan(value))
        return false;
    const Ext nearest = nearestEven(value);
    if (nearest < -2147483648.0L || nearest > 2147483647.0L)
        return false;
    result = static_cast<std::int32_t>(nearest);
    return true;
}

bool NearestInt64Slow(Ext value, std::int64_t& result)
{
    if (std::isnan(value))
        return false;
    const Ext nearest = nearestEven(value);
    if (nearest < -9223372036854775808.0L || nearest >= 9223372036854775808.0L)
        return false;
    result = static_cast<std::int64_t>(nearest);
    return true;
}

} // namespace velquor
