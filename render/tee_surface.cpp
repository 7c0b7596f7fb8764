#include "render/tee_surface.h"

namespace velquor {

TeeSurface::TeeSurface(std::vector<Surface*> surfaces)
    : m_surfaces(std::move(surfaces))
{
}

void TeeSurface::present()
{
    for (Surface* surface : m_surfaces)
        surface->present();
}

void TeeSurface::setPenColor(Color color)
{
    toEach([&](Canvas& canvas) { canvas.setPenColor(color); });
}

void TeeSurface::setPenWidth(int width)
{
    toEach([&](Canvas& canvas) { canvas.setPenWidth(width); });
}

void TeeSurface::setBrushColor(Color color)
{
    toEach([&](Canvas& canvas) { canvas.setBrushColor(color); });
}

void TeeSurface::setFontColor(Color color)
{
    toEach([&](Canvas& canvas) { canvas.setFontColor(color); });
}

void TeeSurface::fillRect(int left, int top, int right, int bottom)
{
    toEach([&](Canvas& canvas) { canvas.fillRect(left, top, right, bottom); });
}

void TeeSurface::moveTo(int x, int y)
{
    toEach([&](Canvas& canvas) { canvas.moveTo(x, y); });
}

void TeeSurface::lineTo(int x, int y)
{
    toEach([&](Canvas& canvas) { canvas.lineTo(x, y); });
}

void TeeSurface::textOut(int x, int y, std::string_view utf8)
{
    toEach([&](Canvas& canvas) { canvas.textOut(x, y, utf8); });
}

void TeeSurface::release()
{
    toEach([](Canvas& canvas) { canvas.release(); });
}

} // namespace velquor
