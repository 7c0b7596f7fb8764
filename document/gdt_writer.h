#pragma once

#include "document/document.h"

#include <string>
#include <vector>

namespace velquor {

inline constexpr std::string_view GdtHeader = "Velquor 1.00 Alpha Version Data File";
inline constexpr std::string_view GdtVersion = "1.00";
inline constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";

// The lines of the document's file (UTF-8): header, the settings pairs, "[Count]" with the
// live entries, "[END]", one 18-line block per live entry in slot order.
std::vector<std::string> gdtLines(const Document& document);

// The file's bytes: every line followed by CR LF, in CP932, or in UTF-8 after a byte order
// mark when some text has no CP932 form (so nothing is lost).
std::string encodeGdt(const Document& document);

// Writes the document to path atomically (see writeFileAtomically); the document itself is
// not changed. Throws Error("ﾌｧｲﾙ %s を作成できません") when the file cannot be written.
void saveGdt(const Document& document, const std::string& path);

} // namespace velquor
