#include "render/device_picture.h"

#include "render/view_transform.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velquor {

int deviceExtent(int pixels, Ext ratio)
{
    if (pixels <= 0)
        return 0;
    const Ext extent = std::ceil(Ext(pixels) * ratio);
    return extent >= Ext(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max()
                                                          : static_cast<int>(extent);
}

ScaledSurface::ScaledSurface(Surface& plot, Surface& device, Ext ratio)
    : m_plot(plot)
    , m_device(device)
    , m_ratio(ratio)
{
}

int ScaledSurface::scaled(int pixels) const
{
    if (auto result = nearest64(Ext(pixels) * m_ratio))
        return static_cast<int>(std::clamp<std::int64_t>(
            *result, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    return pixels < 0 ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
}

void ScaledSurface::setPenWidth(int width)
{
    // The widths the plot's canvas draws, 1 to 5, scaled.
    m_device.canvas().setPenWidth(std::max(
        1, static_cast<int>(std::floor(Ext(std::clamp(width, 1, 5)) * m_ratio + Ext(0.5)))));
}

void ScaledSurface::fillRect(int left, int top, int right, int bottom)
{
    m_device.canvas().fillRect(scaled(left), scaled(top), scaled(right), scaled(bottom));
}

void ScaledSurface::moveTo(int x, int y)
{
    m_device.canvas().moveTo(scaled(x), scaled(y));
}

void ScaledSurface::lineTo(int x, int y)
{
    m_device.canvas().lineTo(scaled(x), scaled(y));
}

void ScaledSurface::textOut(int x, int y, std::string_view utf8)
{
    m_device.canvas().textOut(scaled(x), scaled(y), utf8);
}

} // namespace velquor
