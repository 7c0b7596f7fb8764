#include "document/text_encoding.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace velquor {

// Owns one iconv conversion descriptor.
class IconvConverter
{
public:
    IconvConverter(const char* to, const char* from)
        : m_cd(iconv_open(to, from))
    {
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert from ") + from);
    }
    ~IconvConverter() { iconv_close(m_cd); }
    IconvConverter(const IconvConverter&) = delete;
    IconvConverter& operator=(const IconvConverter&) = delete;

    // Converts as much as it can; returns false at the first byte it cannot convert,
    // with in/inLeft pointing at it.
    bool convert(char*& in, std::size_t& inLeft, std::string& out)
    {
        char buffer[4096];
        while (inLeft > 0) {
            char* outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t result = iconv(m_cd, &in, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            if (result == static_cast<std::size_t>(-1) && errno != E2BIG)
                return false;
        }
        return true;
    }

private:
    iconv_t m_cd;
};

namespace {

    constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD";
    using Converter = IconvConverter;

    // Length of the valid UTF-8 sequence at the start of bytes, or 0 when it is invalid.
    std::size_t validSequenceLength(std::string_view bytes)
    {
        const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
        const unsigned char lead = byte(0);
        if (lead < 0x80)
            return 1;
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                low = 0xA0; // no overlongs
            if (lead == 0xED)
                high = 0x9F; // no surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                low = 0x90;
            if (lead == 0xF4)
                high = 0x8F; // at most U+10FFFF
        } else {
            return 0;
        }
        if (bytes.size() < length || byte(1) < low || byte(1) > high)
            return 0;
        for (std::size_t i = 2; i < length; ++i) {
            if (byte(i) < 0x80 || byte(i) > 0xBF)
                return 0;
        }
        return length;
    }

    // Length of the CP932 character at the start of bytes (1 or 2), or 0 when its first byte
    // starts no character: 0x80, 0xA0, 0xFD to 0xFF, or a lead byte without a valid trail.
    std::size_t cp932CharLength(std::string_view bytes)
    {
        const unsigned char lead = static_cast<unsigned char>(bytes[0]);
        if (lead == 0x80 || lead == 0xA0 || lead >= 0xFD)
            return 0;
        if ((lead >= 0xA1 && lead <= 0xDF) || lead < 0x80)
            return 1; // ASCII or half-width katakana
        if (bytes.size() < 2)
            return 0;
        const unsigned char trail = static_cast<unsigned char>(bytes[1]);
        return trail >= 0x40 && trail <= 0xFC && trail != 0x7F ? 2 : 0;
    }

} // namespace

bool encodeCp932(std::string_view utf8, std::string& out)
{
    out.clear();
    if (!isValidUtf8(utf8))
        return false;
    std::string input(utf8);
    char* in = input.data();
    std::size_t inLeft = input.size();
    Converter converter("CP932", "UTF-8");
    return converter.convert(in, inLeft, out);
}

namespace {

    std::string decodeCp932With(Converter& converter, std::string_view bytes)
    {
        std::string out;
        out.reserve(bytes.size() + bytes.size() / 2);
        std::size_t p = 0;
        while (p < bytes.size()) {
            // ASCII maps to itself and is most of every file: copy it without iconv.
            std::size_t q = p;
            while (q < bytes.size() && static_cast<unsigned char>(bytes[q]) < 0x80)
                ++q;
            out.append(bytes.substr(p, q - p));
            p = q;
            if (p == bytes.size())
                break;
            // A run of non-ASCII characters, each one byte or a lead byte with its trail.
            while (q < bytes.size() && static_cast<unsigned char>(bytes[q]) >= 0x80) {
                const std::size_t length = cp932CharLength(bytes.substr(q));
                if (length == 0)
                    break;
                q += length;
            }
            if (q > p) {
                std::string run(bytes.substr(p, q - p));
                char* in = run.data();
                std::size_t inLeft = run.size();
                const bool ok = converter.convert(in, inLeft, out);
                p = q - inLeft;
                if (ok)
                    continue;
            }
            // A byte that starts no character (or an unassigned code): replace that one byte
            // and go on, so that a following line end is still seen.
            out += ReplacementCharacter;
            ++p;
        }
        return out;
    }

} // namespace

std::string decodeCp932(std::string_view bytes)
{
    Converter converter("UTF-8", "CP932");
    return decodeCp932With(converter, bytes);
}

TextDecoder::TextDecoder(TextEncoding encoding)
    : m_encoding(encoding)
{
}

TextDecoder::~TextDecoder() = default;

std::string TextDecoder::decode(std::string_view bytes)
{
    if (isAscii(bytes))
        return std::string(bytes);
    if (m_encoding == TextEncoding::Utf8)
        return sanitizeUtf8(bytes);
    if (!m_fromCp932)
        m_fromCp932 = std::make_unique<IconvConverter>("UTF-8", "CP932");
    return decodeCp932With(*m_fromCp932, bytes);
}

bool TextDecoder::encodesBack(std::string_view text, std::string_view bytes)
{
    if (m_encoding == TextEncoding::Utf8 || isAscii(bytes))
        return text == bytes;
    if (!m_toCp932)
        m_toCp932 = std::make_unique<IconvConverter>("CP932", "UTF-8");
    std::string input(text);
    char* in = input.data();
    std::size_t inLeft = input.size();
    std::string encoded;
    return m_toCp932->convert(in, inLeft, encoded) && encoded == bytes;
}

bool isAscii(std::string_view bytes)
{
    return std::all_of(
        bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string sanitizeUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    while (!bytes.empty()) {
        const std::size_t length = validSequenceLength(bytes);
        if (length == 0) {
            out += ReplacementCharacter;
            bytes.remove_prefix(1);
        } else {
            out.append(bytes.substr(0, length));
            bytes.remove_prefix(length);
        }
    }
    return out;
}

bool isValidUtf8(std::string_view bytes)
{
    while (!bytes.empty()) {
        const std::size_t length = validSequenceLength(bytes);
        if (length == 0)
            return false;
        bytes.remove_prefix(length);
    }
    return true;
}

} // namespace velquor
