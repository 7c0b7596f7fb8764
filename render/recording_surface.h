#pragma once

#include "render/canvas.h"

#include <functional>
#include <string>
#include <string_view>

namespace velquor {

// A surface that draws nothing and writes every canvas call and every present as one line of
// the operation trace:
//   pencolor C | penwidth W | brush C | fontcolor C | fill L T R B | move X Y | line X Y |
//   text X Y STRING | release | present
// Integers in decimal (colours as signed 32-bit 0x00BBGGRR values), fields separated by one
// space, STRING is the rest of the line. Every line ends with "\n".
// The lines are kept in trace(), or, with a sink, handed to it one by one and not kept, so
// that the memory of drawing does not grow with the number of calls.
class RecordingSurface final : public Surface, public Canvas
{
public:
    using LineSink = std::function<void(std::string_view line)>;

    RecordingSurface(int width, int height);
    RecordingSurface(int width, int height, LineSink sink);

    Canvas& canvas() override { return *this; }
    void present() override;
    int width() const override { return m_width; }
    int height() const override { return m_height; }

    // The surface takes a new size (as the back surface follows the plot control).
    void resize(int width, int height);

    const std::string& trace() const { return m_trace; } // empty with a sink
    void clearTrace() { m_trace.clear(); }
    // Runs after each present is recorded (tests use it to raise a nested restore).
    void setPresentHandler(std::function<void()> handler) { m_presentHandler = std::move(handler); }

    void setPenColor(Color color) override;
    void setPenWidth(int width) override;
    void setBrushColor(Color color) override;
    void setFontColor(Color color) override;
    void fillRect(int left, int top, int right, int bottom) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void textOut(int x, int y, std::string_view utf8) override;
    void release() override;

private:
    void record(std::string_view name, std::initializer_list<long long> numbers);
    void finishLine(); // m_line to the sink or the trace

    int m_width;
    int m_height;
    std::string m_trace;
    std::string m_line; // the line being written, reused
    LineSink m_sink;
    std::function<void()> m_presentHandler;
};

} // namespace velquor
