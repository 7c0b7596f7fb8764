#pragma once

#include "render/canvas.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velquor {

// The canvas calls that made the picture on a surface as it stands: every call since the last
// fill of the whole surface, which covers everything before it. Replayed onto another canvas of
// the same size (a vector picture) they draw the same picture, trace mode's earlier curves
// included. Lines of no length, which paint nothing, are not kept.
class PictureLog final : public Canvas
{
public:
    // Keeps at most maximumCalls calls; past that the log is incomplete until the next fill of
    // the whole surface.
    explicit PictureLog(std::size_t maximumCalls = 2'000'000);

    // The size of the surface the calls draw on; a new size keeps the log.
    void setSurfaceSize(int width, int height);
    // False once more calls came since the last whole fill than the log keeps.
    bool complete() const { return !m_overflowed; }
    std::size_t size() const { return m_calls.size(); }

    // Draws the kept calls onto the canvas, in their order.
    void replay(Canvas& canvas) const;

    void setPenColor(Color color) override;
    void setPenWidth(int width) override;
    void setBrushColor(Color color) override;
    void setFontColor(Color color) override;
    void fillRect(int left, int top, int right, int bottom) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void textOut(int x, int y, std::string_view utf8) override;
    void release() override { }

private:
    enum class Kind : std::uint8_t { PenColor, PenWidth, Brush, FontColor, Fill, Move, Line, Text };
    struct Call
    {
        Kind kind;
        std::int32_t a, b, c, d; // the arguments; for a text, d indexes m_texts
    };
    void add(Call call);
    void startAfresh();

    std::size_t m_maximumCalls;
    int m_width = 0;
    int m_height = 0;
    std::vector<Call> m_calls;
    std::vector<std::string> m_texts;
    bool m_overflowed = false;
    // The canvas's state, which a fresh log starts with.
    Color m_penColor = 0;
    int m_penWidth = 1;
    Color m_brushColor = 0xFFFFFF;
    Color m_fontColor = 0;
    std::int32_t m_x = 0;
    std::int32_t m_y = 0;
};

} // namespace velquor
