#include "document/gdt_writer.h"

#include "calc/error.h"
#include "document/atomic_file.h"
#include "document/text_encoding.h"

namespace velquor {

namespace {

    std::string flagText(bool value)
    {
        return value ? "1" : "0";
    }

    void appendBlock(std::vector<std::string>& lines, const GraphEntry& entry)
    {
        lines.push_back(entry.name);
        lines.push_back(std::to_string(entry.visible));
        lines.push_back(std::to_string(entry.kind));
        lines.push_back(std::to_string(entry.color));
        lines.push_back(std::to_string(entry.width));
        lines.push_back(entry.formula1);
        lines.push_back(entry.formula2);
        lines.push_back(std::to_string(entry.divisions));
        lines.push_back(entry.rangeFrom);
        lines.push_back(entry.rangeTo);
        // Eight reserved lines, written empty and never read.
        lines.insert(lines.end(), 8, std::string());
    }

} // namespace

std::vector<std::string> gdtLines(const Document& document)
{
    const DocumentSettings& s = document.settings();
    std::vector<std::string> lines {
        std::string(GdtHeader),
        std::string(GdtVersion),
        "[Accuracy]",
        s.accuracy,
        "[TempAccuracy]",
        s.tempAccuracy,
        "[CheckScale]",
        flagText(s.checkScale),
        "[Interval]",
        s.interval,
        "[Interval2]",
        s.interval2,
        "[BackgroundColor]",
        std::to_string(s.backgroundColor),
        "[ratio]",
        s.ratio,
        "[MainLineColor]",
        std::to_string(s.mainLineColor),
        "[MainLineWidth]",
        s.mainLineWidth,
        "[Zoom]",
        std::to_string(document.Zoom),
        "[CX]",
        std::to_string(document.CX),
        "[CY]",
        std::to_string(document.CY),
        "[A]",
        s.valA,
        "[B]",
        s.valB,
        "[AInterval]",
        s.aInterval,
        "[BInterval]",
        s.bInterval,
        "[Animate]",
        s.animate,
        "[CheckDegree]",
        flagText(s.checkDegree),
        "[OtherFunction]",
        flagText(s.otherFunction),
        "[Count]",
        std::to_string(document.liveEntryCount()),
        "[END]",
    };
    for (int slot = 0; slot < document.graphCount(); ++slot) {
        if (document.entry(slot).deleted == 0)
            appendBlock(lines, document.entry(slot));
    }
    return lines;
}

GdtBytes encodeGdtFile(const Document& document)
{
    const std::vector<std::string> lines = gdtLines(document);
    const TextSource& source = document.textSource();
    GdtBytes result;
    if (source.encoding == TextEncoding::Cp932) {
        std::string encoded;
        std::string line932;
        for (const std::string& line : lines) {
            if (const std::string* original = source.bytesOf(line)) {
                encoded += *original;
            } else if (isAscii(line)) {
                encoded += line;
            } else if (encodeCp932(line, line932)) {
                encoded += line932;
            } else {
                result.forcedUtf8By = line;
                break;
            }
            encoded += "\r\n";
        }
        if (result.forcedUtf8By.empty()) {
            result.bytes = std::move(encoded);
            return result;
        }
    }
    // The file's own bytes are UTF-8 bytes only when the file was UTF-8.
    const bool keepOriginals = source.encoding == TextEncoding::Utf8;
    result.bytes = Utf8ByteOrderMark;
    for (const std::string& line : lines) {
        const std::string* original = keepOriginals ? source.bytesOf(line) : nullptr;
        result.bytes += original ? *original : line;
        result.bytes += "\r\n";
    }
    return result;
}

GdtSaveResult saveGdt(const Document& document, const std::string& path)
{
    const GdtBytes file = encodeGdtFile(document);
    writeFileAtomically(path, file.bytes);
    GdtSaveResult result;
    if (!file.forcedUtf8By.empty()) {
        result.warning = formatMessage(EncodingChangedMessage, shownText(file.forcedUtf8By));
        result.changedToUtf8 = true;
    }
    return result;
}

void adoptUtf8(Document& document)
{
    document.setTextSource({ TextEncoding::Utf8, {} });
}

} // namespace velquor
