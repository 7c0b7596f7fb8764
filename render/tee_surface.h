#pragma once

#include "render/canvas.h"

#include <vector>

namespace velquor {

// One drawing on several surfaces: every canvas call and every present goes to each of them
// in turn, in the order given. The first surface gives the size.
class TeeSurface final : public Surface, public Canvas
{
public:
    // At least one surface; they outlive the tee.
    explicit TeeSurface(std::vector<Surface*> surfaces);

    Canvas& canvas() override { return *this; }
    void present() override;
    int width() const override { return m_surfaces.front()->width(); }
    int height() const override { return m_surfaces.front()->height(); }

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
    template <typename Call> void toEach(Call call)
    {
        for (Surface* surface : m_surfaces)
            call(surface->canvas());
    }

    std::vector<Surface*> m_surfaces;
};

} // namespace velquor
