#pragma once

// A document in the default window (445 x 364 pixels, Zoom 25, the origin at the centre) for the
// tests of what is read off the curves.

#include "document/document.h"

#include <string>

namespace velquor::test {

inline constexpr int WindowWidth = 445;
inline constexpr int WindowHeight = 364;

inline GraphEntry graph(GraphKind kind, const std::string& formula1,
    const std::string& formula2 = {}, const std::string& from = {}, const std::string& to = {},
    int divisions = 0)
{
    GraphEntry entry;
    entry.name = formula1;
    entry.visible = -1;
    entry.kind = static_cast<std::int32_t>(kind);
    entry.color = 0x0000FF;
    entry.width = 1;
    entry.formula1 = formula1;
    entry.formula2 = formula2;
    entry.rangeFrom = from;
    entry.rangeTo = to;
    entry.divisions = divisions;
    return entry;
}

inline GraphEntry function(const std::string& formula)
{
    return graph(GraphKind::Function, formula);
}

struct WindowDocument
{
    Document document;

    WindowDocument()
    {
        document.CX = 222;
        document.CY = 182;
        document.Zoom = 25;
    }
    int add(const GraphEntry& entry) { return document.appendEntry(entry); }
};

} // namespace velquor::test
