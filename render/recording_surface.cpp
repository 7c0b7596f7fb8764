#include "render/recording_surface.h"

#include <cstdio>

namespace velquor {

RecordingSurface::RecordingSurface(int width, int height)
    : m_width(width)
    , m_height(height)
{
}

RecordingSurface::RecordingSurface(int width, int height, LineSink sink)
    : m_width(width)
    , m_height(height)
    , m_sink(std::move(sink))
{
}

void RecordingSurface::finishLine()
{
    m_line += '\n';
    if (m_sink)
        m_sink(m_line);
    else
        m_trace += m_line;
    m_line.clear();
}

void RecordingSurface::resize(int width, int height)
{
    m_width = width;
    m_height = height;
}

void RecordingSurface::record(std::string_view name, std::initializer_list<long long> numbers)
{
    m_line += name;
    char digits[24];
    for (long long number : numbers) {
        const int length = std::snprintf(digits, sizeof digits, " %lld", number);
        m_line.append(digits, static_cast<std::size_t>(length));
    }
    finishLine();
}

void RecordingSurface::present()
{
    record("present", {});
    if (m_presentHandler)
        m_presentHandler();
}

void RecordingSurface::setPenColor(Color color)
{
    record("pencolor", { color });
}
void RecordingSurface::setPenWidth(int width)
{
    record("penwidth", { width });
}
void RecordingSurface::setBrushColor(Color color)
{
    record("brush", { color });
}
void RecordingSurface::setFontColor(Color color)
{
    record("fontcolor", { color });
}

void RecordingSurface::fillRect(int left, int top, int right, int bottom)
{
    record("fill", { left, top, right, bottom });
}

void RecordingSurface::moveTo(int x, int y)
{
    record("move", { x, y });
}
void RecordingSurface::lineTo(int x, int y)
{
    record("line", { x, y });
}

void RecordingSurface::textOut(int x, int y, std::string_view utf8)
{
    m_line += "text " + std::to_string(x) + ' ' + std::to_string(y) + ' ';
    m_line += utf8;
    finishLine();
}

void RecordingSurface::release()
{
    record("release", {});
}

} // namespace velquor
