#pragma once

#include "document/text_encoding.h"

#include <string>
#include <string_view>
#include <unordered_map>

namespace velquor {

// Where the texts of a document came from: the encoding of the file it was loaded from, and the
// file's own bytes of every text that encoding them again would not give back (a byte that
// starts no character, one of CP932's duplicate codes). A save writes a text that is still
// the same as its file's bytes, and keeps the file's encoding, so that an unchanged document
// saves as it was read.
struct TextSource
{
    TextEncoding encoding = TextEncoding::Cp932;
    // The text as the program holds it (UTF-8) -> its bytes in the file. Keyed by the text,
    // not by where it stands, so that it follows an entry that moves; a text the user changes
    // no longer matches. Two texts with different bytes and the same UTF-8 form (two different
    // invalid bytes) keep the bytes of the later one.
    std::unordered_map<std::string, std::string> originalBytes;

    // The file's bytes of the text in `encoding`, or null when the encoder gives them.
    const std::string* bytesOf(const std::string& text) const
    {
        const auto found = originalBytes.find(text);
        return found == originalBytes.end() ? nullptr : &found->second;
    }
};

} // namespace velquor
