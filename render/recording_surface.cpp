#include "render/recording_surface.h"

namespace velquor {

RecordingSurface::RecordingSurface(int width, int height)
    : m_width(width)
    , m_height(height)
{
}

void RecordingSurface::resize(int width, int height)
{
    m_width = width;
    m_height = height;
}

void RecordingSurface::record(std::string_view name, std::initializer_list<long long> numbers)
{
    m_trace += name;
    for (long long number : numbers) {
        m_trace += ' ';
        m_trace += std::to_string(number);
    }
    m_trace += '\n';
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
    m_trace += "text " + std::to_string(x) + ' ' + std::to_string(y) + ' ';
    m_trace += utf8;
    m_trace += '\n';
}

void RecordingSurface::release()
{
    record("release", {});
}

} // namespace velquor
