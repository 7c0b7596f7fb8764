#pragma once

// Reading operation traces in tests: the lines, the segments the lines draw, the grid lines.

#include <string>
#include <string_view>
#include <vector>

namespace velquor::test {

std::vector<std::string> traceLines(const std::string& trace);
// The lines that start with the given operation name ("text", "line", ...).
std::vector<std::string> operations(const std::string& trace, std::string_view name);

struct Segment
{
    int x0, y0, x1, y1;
};
// The line segments drawn by move and line operations, in order.
std::vector<Segment> segments(const std::string& trace);

// Of a grid pass's trace (the two axes at its end left out): the columns of the vertical grid
// lines ("move C 0" then "line C H"), in drawing order,
// and the rows of the horizontal ones ("move 0 R" then "line W R").
std::vector<int> verticalLineColumns(const std::string& trace, int height);
std::vector<int> horizontalLineRows(const std::string& trace, int width);
// The strings of the text operations, in order.
std::vector<std::string> texts(const std::string& trace);

} // namespace velquor::test
