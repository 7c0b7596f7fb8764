#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace velquor {

// The two encodings of a document file: CP932, or UTF-8 after a byte order mark.
enum class TextEncoding { Cp932, Utf8 };

class IconvConverter;

// Decodes many texts of one encoding as decodeCp932 or sanitizeUtf8 would, keeping one
// converter for all of them (opening one costs more than decoding a line).
class TextDecoder
{
public:
    explicit TextDecoder(TextEncoding encoding);
    ~TextDecoder();
    TextDecoder(const TextDecoder&) = delete;
    TextDecoder& operator=(const TextDecoder&) = delete;

    TextEncoding encoding() const { return m_encoding; }
    std::string decode(std::string_view bytes);
    // True when the text that decode(bytes) gave is encoded in this encoding as those very
    // bytes again (false for a byte that starts no character, or a duplicate CP932 code).
    bool encodesBack(std::string_view text, std::string_view bytes);

private:
    TextEncoding m_encoding;
    // Opened by the first text that is not ASCII.
    std::unique_ptr<IconvConverter> m_fromCp932;
    std::unique_ptr<IconvConverter> m_toCp932;
};

// True when every byte is below 0x80 (such text is the same in both encodings).
bool isAscii(std::string_view bytes);

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
