#pragma once

#include <string>
#include <string_view>

namespace velquor {

// Encodes UTF-8 text as CP932 (glibc iconv, so "〜" and "¥" map as on Windows).
// Returns false, leaving out unspecified, when some character has no CP932 form or the
// text is not valid UTF-8.
bool encodeCp932(std::string_view utf8, std::string& out);

// Decodes CP932 bytes to UTF-8; a byte that starts no valid character becomes U+FFFD.
std::string decodeCp932(std::string_view bytes);

// The text with every invalid UTF-8 sequence replaced by U+FFFD (one per bad byte).
std::string sanitizeUtf8(std::string_view bytes);

// True when the bytes are valid UTF-8 (no overlongs, no surrogates, at most U+10FFFF).
bool isValidUtf8(std::string_view bytes);

} // namespace velquor
