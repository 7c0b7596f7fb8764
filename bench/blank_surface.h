#pragma once

#include "render/canvas.h"

#include <string>

namespace velquor::bench {

// A surface of the default plot size that draws nothing: what is measured is the redraw's own
// work (set-up, evaluation, work counting), not painting.
class BlankSurface final : public Surface, public Canvas
{
public:
    Canvas& canvas() override { return *this; }
    void present() override { }
    int width() const override { return 445; }
    int height() const override { return 364; }
    void setPenColor(Color) override { }
    void setPenWidth(int) override { }
    void setBrushColor(Color) override { }
    void setFontColor(Color) override { }
    void fillRect(int, int, int, int) override { }
    void moveTo(int, int) override { }
    void lineTo(int, int) override { }
    void textOut(int, int, std::string_view) override { }
    void release() override { }
};

// "x+x+...+x" of at most 10^6 characters: a formula whose cost is its length.
inline std::string longSumFormula()
{
    std::string formula = "x";
    while (formula.size() + 2 <= 1'000'000)
        formula += "+x";
    return formula;
}

} // namespace velquor::bench
