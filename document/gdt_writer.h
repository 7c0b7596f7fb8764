#pragma once

#include "document/document.h"

#include <string>
#include <string_view>
#include <vector>

namespace velquor {

inline constexpr std::string_view GdtHeader = "Velquor 1.00 Alpha Version Data File";
inline constexpr std::string_view GdtVersion = "1.00";
inline constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";

// The lines of the document's file (UTF-8): header, the settings pairs, "[Count]" with the
// live entries, "[END]", one 18-line block per live entry in slot order.
std::vector<std::string> gdtLines(const Document& document);

// Shown after a save that had to write a document read as CP932 (or a new one) in UTF-8; %s is
// the first text that has no CP932 form.
inline constexpr std::string_view EncodingChangedMessage
    = "'%s' にはShift_JISで保存できない文字があるため、ファイルをUTF-8で保存しました";

// The file's bytes, and the text that forced UTF-8 on a document meant for CP932 (empty when
// none did).
struct GdtBytes
{
    std::string bytes;
    std::string forcedUtf8By;
};

// The file's bytes: every line followed by CR LF, in the encoding of the file the document
// was read from (CP932 for a new one). A text still equal to what the file held is written as
// the file's own bytes (an invalid byte stays that byte). A document meant for CP932 with some
// text that has no CP932 form is written in UTF-8 after a byte order mark instead, so that
// nothing is lost; the texts read from a CP932 file are then written as they were decoded.
GdtBytes encodeGdtFile(const Document& document);
inline std::string encodeGdt(const Document& document)
{
    return encodeGdtFile(document).bytes;
}

// What a completed save tells the application.
struct GdtSaveResult
{
    // The text to show the user (the encoding had to change), empty when all is well.
    std::string warning;
    // The file is now UTF-8 although the document was meant for CP932: the caller makes UTF-8
    // the document's encoding (adoptUtf8), so that the next save neither changes nor says it.
    bool changedToUtf8 = false;
};

// Makes UTF-8 the encoding the document is saved in, forgetting the CP932 bytes of its texts.
void adoptUtf8(Document& document);

// Writes the document to path atomically (see writeFileAtomically); the document itself is
// not changed. Throws Error("ﾌｧｲﾙ %s を作成できません") when the file cannot be written.
// A document meant for CP932 that had to be written in UTF-8 says so in result.warning.
GdtSaveResult saveGdt(const Document& document, const std::string& path);

} // namespace velquor
