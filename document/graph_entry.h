#pragma once

#include <cstdint>
#include <string>

namespace velquor {

// Kinds of entry; a file may hold other values, which are listed like graphs and never drawn.
enum class GraphKind : std::int32_t {
    Function = 0,
    Parametric = 1,
    Polar = 2,
    Position = 10,
    Constants = 11,
};

// One entry of the document: a graph, a stored position or a stored constant set.
// The empty record (numbers 0, texts empty) is what an appended entry starts as.
struct GraphEntry
{
    std::string name;
    std::int32_t visible = 0; // 0: not drawn; the system writes only 0 and -1
    std::int32_t deleted = 0; // 0: live; -1: deleted (never saved)
    std::int32_t kind = 0; // a GraphKind value
    std::int32_t color = 0; // 0x00BBGGRR
    std::int32_t width = 0; // pen width; a Position's stored CX
    std::string formula1; // a Constants entry's text of a
    std::string formula2; // a Constants entry's text of b
    std::int32_t divisions = 0; // a Position's stored CY
    std::string rangeFrom; // a Position's stored Zoom as decimal text
    std::string rangeTo;

    bool operator==(const GraphEntry&) const = default;
};

} // namespace velquor
