#include "render/picture_log.h"

namespace velquor {

PictureLog::PictureLog(std::size_t maximumCalls)
    : m_maximumCalls(maximumCalls)
{
    startAfresh();
}

void PictureLog::setSurfaceSize(int width, int height)
{
    m_width = width;
    m_height = height;
}

void PictureLog::startAfresh()
{
    m_calls.clear();
    m_texts.clear();
    m_overflowed = false;
    m_calls.push_back({ Kind::PenColor, m_penColor, 0, 0, 0 });
    m_calls.push_back({ Kind::PenWidth, m_penWidth, 0, 0, 0 });
    m_calls.push_back({ Kind::Brush, m_brushColor, 0, 0, 0 });
    m_calls.push_back({ Kind::FontColor, m_fontColor, 0, 0, 0 });
    m_calls.push_back({ Kind::Move, m_x, m_y, 0, 0 });
}

void PictureLog::add(Call call)
{
    if (m_overflowed)
        return;
    if (m_calls.size() >= m_maximumCalls) {
        m_overflowed = true;
        m_calls.clear();
        m_texts.clear();
        return;
    }
    m_calls.push_back(call);
}

void PictureLog::setPenColor(Color color)
{
    m_penColor = color;
    add({ Kind::PenColor, color, 0, 0, 0 });
}

void PictureLog::setPenWidth(int width)
{
    m_penWidth = width;
    add({ Kind::PenWidth, width, 0, 0, 0 });
}

void PictureLog::setBrushColor(Color color)
{
    m_brushColor = color;
    add({ Kind::Brush, color, 0, 0, 0 });
}

void PictureLog::setFontColor(Color color)
{
    m_fontColor = color;
    add({ Kind::FontColor, color, 0, 0, 0 });
}

void PictureLog::fillRect(int left, int top, int right, int bottom)
{
    if (left <= 0 && top <= 0 && right >= m_width && bottom >= m_height)
        startAfresh();
    add({ Kind::Fill, left, top, right, bottom });
}

void PictureLog::moveTo(int x, int y)
{
    m_x = x;
    m_y = y;
    add({ Kind::Move, x, y, 0, 0 });
}

void PictureLog::lineTo(int x, int y)
{
    if (x == m_x && y == m_y)
        return;
    m_x = x;
    m_y = y;
    add({ Kind::Line, x, y, 0, 0 });
}

void PictureLog::textOut(int x, int y, std::string_view utf8)
{
    if (m_overflowed)
        return;
    m_texts.emplace_back(utf8);
    add({ Kind::Text, x, y, 0, std::int32_t(m_texts.size() - 1) });
}

void PictureLog::replay(Canvas& canvas) const
{
    for (const Call& call : m_calls) {
        switch (call.kind) {
        case Kind::PenColor:
            canvas.setPenColor(call.a);
            break;
        case Kind::PenWidth:
            canvas.setPenWidth(call.a);
            break;
        case Kind::Brush:
            canvas.setBrushColor(call.a);
            break;
        case Kind::FontColor:
            canvas.setFontColor(call.a);
            break;
        case Kind::Fill:
            canvas.fillRect(call.a, call.b, call.c, call.d);
            break;
        case Kind::Move:
            canvas.moveTo(call.a, call.b);
            break;
        case Kind::Line:
            canvas.lineTo(call.a, call.b);
            break;
        case Kind::Text:
            canvas.textOut(call.a, call.b, m_texts[std::size_t(call.d)]);
            break;
        }
    }
    canvas.release();
}

} // namespace velquor
