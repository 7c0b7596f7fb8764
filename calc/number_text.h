#pragma once

#include "ext.h"

#include <cstdint>
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

} // namespace velquor
