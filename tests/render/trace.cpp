#include "trace.h"

#include <sstream>

namespace velquor::test {

std::vector<std::string> traceLines(const std::string& trace)
{
    std::vector<std::string> lines;
    std::istringstream stream(trace);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> operations(const std::string& trace, std::string_view name)
{
    std::vector<std::string> result;
    for (const std::string& line : traceLines(trace)) {
        if (line.size() >= name.size() && line.compare(0, name.size(), name) == 0
            && (line.size() == name.size() || line[name.size()] == ' '))
            result.push_back(line);
    }
    return result;
}

std::vector<Segment> segments(const std::string& trace)
{
    std::vector<Segment> result;
    int x = 0;
    int y = 0;
    for (const std::string& line : traceLines(trace)) {
        std::istringstream fields(line);
        std::string name;
        int nx = 0;
        int ny = 0;
        fields >> name >> nx >> ny;
        if (name == "line")
            result.push_back({ x, y, nx, ny });
        if (name == "move" || name == "line") {
            x = nx;
            y = ny;
        }
    }
    return result;
}

namespace {

    // A grid pass ends with the two axes; they are not grid lines.
    std::vector<Segment> gridSegments(const std::string& trace)
    {
        std::vector<Segment> all = segments(trace);
        all.resize(all.size() >= 2 ? all.size() - 2 : 0);
        return all;
    }

} // namespace

std::vector<int> verticalLineColumns(const std::string& trace, int height)
{
    std::vector<int> columns;
    for (const Segment& s : gridSegments(trace)) {
        if (s.x0 == s.x1 && s.y0 == 0 && s.y1 == height)
            columns.push_back(s.x0);
    }
    return columns;
}

std::vector<int> horizontalLineRows(const std::string& trace, int width)
{
    std::vector<int> rows;
    for (const Segment& s : gridSegments(trace)) {
        if (s.y0 == s.y1 && s.x0 == 0 && s.x1 == width)
            rows.push_back(s.y0);
    }
    return rows;
}

std::vector<std::string> texts(const std::string& trace)
{
    std::vector<std::string> result;
    for (const std::string& line : operations(trace, "text")) {
        // "text X Y STRING": the string is everything after the third space.
        std::size_t position = 0;
        for (int field = 0; field < 3 && position != std::string::npos; ++field)
            position = line.find(' ', position + 1);
        result.push_back(position == std::string::npos ? std::string() : line.substr(position + 1));
    }
    return result;
}

} // namespace velquor::test
