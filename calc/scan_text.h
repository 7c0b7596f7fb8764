#pragma once

// What the literal scan and the formula compiler both read from a formula's text: the
// character classes, the folded character at a position, and the cutting out of a group.
// Both must read exactly the same characters, so they share this one piece.

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace velquor::scan {

inline constexpr int NoChar = -1; // before the first and after the last character

inline bool isLetter(int ch)
{
    return ch >= 'a' && ch <= 'z';
}
inline bool isDigit(int ch)
{
    return ch >= '0' && ch <= '9';
}
inline bool isLetterOrDigit(int ch)
{
    return isLetter(ch) || isDigit(ch);
}
inline bool isNumberChar(int ch)
{
    return isDigit(ch) || ch == '.';
}
inline bool isHexDigit(int ch)
{
    return isDigit(ch) || (ch >= 'a' && ch <= 'f');
}

// The byte at index folded to lower case (the text is folded as it is read, never copied),
// or NoChar outside the text.
inline int foldedAt(std::string_view text, std::int64_t index)
{
    if (index < 0 || index >= static_cast<std::int64_t>(text.size()))
        return NoChar;
    const auto byte = static_cast<unsigned char>(text[static_cast<std::size_t>(index)]);
    return (byte >= 'A' && byte <= 'Z') ? byte - 'A' + 'a' : byte;
}

// Cuts out the text after the opening character at pos up to the matching closing one (only
// the group's own pair is counted; no opening character: the group ends at the next closing
// one) and leaves pos on the closing character, or past the end when the group is never
// closed. The enclosed text is a contiguous part of the formula, so it is returned as a view.
inline std::string_view extractGroup(
    std::string_view text, std::int64_t& pos, int opening, int closing)
{
    const std::int64_t size = static_cast<std::int64_t>(text.size());
    const std::int64_t start = pos + 1;
    if (pos >= size)
        return {};
    int depth = 0;
    while (true) {
        ++pos;
        if (pos >= size)
            break;
        const int c = foldedAt(text, pos);
        if (opening != NoChar && c == opening)
            ++depth;
        if (c == closing && --depth == -1)
            break;
    }
    const std::int64_t end = std::min(pos, size);
    return text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
}

} // namespace velquor::scan
