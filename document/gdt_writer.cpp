#include "document/gdt_writer.h"

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

std::string encodeGdt(const Document& document)
{
    std::string text;
    for (const std::string& line : gdtLines(document)) {
        text += line;
        text += "\r\n";
    }
    std::string encoded;
    if (encodeCp932(text, encoded))
        return encoded;
    return std::string(Utf8ByteOrderMark) + text;
}

void saveGdt(const Document& document, const std::string& path)
{
    writeFileAtomically(path, encodeGdt(document));
}

} // namespace velquor
