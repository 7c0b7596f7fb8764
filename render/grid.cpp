#include "render/grid.h"

#include "calc/number_text.h"
#include "document/document.h"
#include "render/view_transform.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace velquor {
namespace {

    // Positions and values are exact 128-bit integers so that no absurd interval, ratio or origin
    // can overflow them; on the surface they equal the 64-bit stepping of ten-thousandths.
    __extension__ using Int128 = __int128;

    constexpr std::int64_t TenThousand = 10000;
    constexpr std::int64_t MinSpacing = 200000; // 20 pixels in ten-thousandths
    // Lines further than this beyond an edge are not drawn: neither they nor their scale-value
    // cells (at most a few dozen pixels) can reach the surface. This bounds the walk from an
    // origin far outside the surface without changing a single visible pixel.
    constexpr std::int64_t OffSurfaceMargin = 4096;

    struct GridStep
    {
        Int128 pixels; // ten-thousandths of a pixel, positive
        Int128 value; // ten-thousandths of a plot unit
    };

    // Nearest(value) as a 64-bit integer; a value beyond that range is held at its end, which puts
    // every line but the origin's far off the surface, just as the exact value would.
    std::int64_t nearest64Saturated(Ext value)
    {
        if (auto result = nearest64(value))
            return *result;
        if (value != value)
            return 0;
        return value > 0 ? std::numeric_limits<std::int64_t>::max()
                         : std::numeric_limits<std::int64_t>::min();
    }

    // The spacing rule: the smallest k >= 1 with k * pixels >= 20 pixels scales both steps.
    std::optional<GridStep> spacingRule(Int128 pixels, Int128 value)
    {
        if (pixels <= 0)
            return std::nullopt;
        if (pixels < MinSpacing) {
            const Int128 k = (MinSpacing + pixels - 1) / pixels;
            pixels *= k;
            value *= k;
        }
        return GridStep { pixels, value };
    }

    // Nearest(position / 10000) with ties to even, exact.
    Int128 pixelOf(Int128 position)
    {
        Int128 quotient = position / TenThousand;
        Int128 remainder = position % TenThousand;
        if (remainder < 0) {
            remainder += TenThousand;
            --quotient;
        }
        if (2 * remainder > TenThousand || (2 * remainder == TenThousand && (quotient & 1) != 0))
            ++quotient;
        return quotient;
    }

    std::string scaleText(Int128 value, char decimalPoint)
    {
        // value is an integer, so zero is +0 and is written "0", never "-0".
        return FormatNumber(static_cast<Ext>(value) / TenThousand, decimalPoint);
    }

    // Walks the lines of one direction from the origin outwards (direction +1 or -1) and calls
    // draw(pixel, value) for each until a line lies beyond the edge it walks towards (pixel > limit
    // walking forwards, pixel < 0 walking backwards). Lines before the near side of the surface
    // are skipped by jumping to them with the positions and values stepping would give.
    template <typename Draw>
    void walkLines(
        std::int32_t origin, std::int32_t limit, int direction, const GridStep& step, Draw draw)
    {
        const Int128 start = Int128(origin) * TenThousand;
        Int128 index = 0;
        if (direction > 0) {
            const Int128 nearEdge = Int128(-OffSurfaceMargin) * TenThousand;
            if (start < nearEdge)
                index = (nearEdge - start + step.pixels - 1) / step.pixels;
        } else {
            const Int128 nearEdge = (Int128(limit) + OffSurfaceMargin) * TenThousand;
            if (start > nearEdge)
                index = (start - nearEdge + step.pixels - 1) / step.pixels;
        }
        for (;; ++index) {
            const Int128 pixel = pixelOf(start + direction * index * step.pixels);
            if (direction > 0 ? pixel > limit : pixel < 0)
                return;
            draw(static_cast<std::int32_t>(pixel), direction * index * step.value);
        }
    }

    int lineWidthOf(const std::string& text)
    {
        // The spin edit's value: 1 for a text that is not an integer, held within 1 to 5.
        std::int32_t width = 1;
        if (!TryStrToInt(text, width))
            width = 1;
        return std::clamp(width, 1, 5);
    }

    std::int32_t labelPosition(std::int32_t origin, std::int32_t extent, std::int32_t farSide)
    {
        if (origin > extent)
            return farSide;
        if (origin < 0)
            return 5;
        return origin + 3; // origin <= extent, so this cannot overflow
    }

    void drawVerticalLines(DrawContext& context, std::int32_t zoom, Canvas& canvas)
    {
        const Document& document = context.document;
        const int width = context.surface.width();
        const int height = context.surface.height();
        const std::int32_t labelRow = labelPosition(document.CY, height, height - 13);
        const std::int64_t value = nearest64Saturated(
            StrToFloat(document.settings().interval2, context.decimalPoint) * TenThousand);
        const auto step = spacingRule(Int128(zoom) * value, value);
        if (!step)
            return;
        auto draw = [&](std::int32_t column, Int128 scaleValue) {
            canvas.textOut(column + 3, labelRow, scaleText(scaleValue, context.decimalPoint));
            canvas.moveTo(column, 0);
            canvas.lineTo(column, height);
        };
        walkLines(document.CX, width, +1, *step, draw);
        walkLines(document.CX, width, -1, *step, draw);
    }

    void drawHorizontalLines(
        DrawContext& context, std::int32_t zoom, std::int64_t ratio, Canvas& canvas)
    {
        const Document& document = context.document;
        const int width = context.surface.width();
        const int height = context.surface.height();
        const std::int32_t labelColumn = labelPosition(document.CX, width, width - 27);
        const std::int64_t value = nearest64Saturated(
            StrToFloat(document.settings().interval, context.decimalPoint) * TenThousand);
        const std::int64_t pixels
            = nearest64Saturated(Ext(zoom) * Ext(value) * Ext(ratio) / TenThousand);
        const auto step = spacingRule(pixels, value);
        if (!step)
            return;
        auto draw = [&](std::int32_t row, Int128 scaleValue) {
            canvas.textOut(labelColumn, row + 3, scaleText(-scaleValue, context.decimalPoint));
            canvas.moveTo(0, row);
            canvas.lineTo(width, row);
        };
        walkLines(document.CY, height, +1, *step, draw);
        walkLines(document.CY, height, -1, *step, draw);
    }

} // namespace

void DrawGrid(DrawContext& context)
{
    Document& document = context.document;
    const DocumentSettings& settings = document.settings();
    const std::int64_t ratio
        = nearest64Saturated(StrToFloat(settings.ratio, context.decimalPoint) * TenThousand);
    if (document.Zoom < 1)
        document.Zoom = 1;

    Canvas& canvas = context.surface.canvas();
    canvas.setFontColor(settings.mainLineColor);
    canvas.setBrushColor(settings.backgroundColor);
    canvas.setPenWidth(lineWidthOf(settings.mainLineWidth));
    canvas.setPenColor(settings.mainLineColor);
    const int width = context.surface.width();
    const int height = context.surface.height();
    canvas.fillRect(0, 0, width, height);

    if (settings.checkScale) {
        drawVerticalLines(context, document.Zoom, canvas);
        drawHorizontalLines(context, document.Zoom, ratio, canvas);
    }

    // The axes lie one pixel right of and below the origin's grid lines: two pixels wide.
    const std::int32_t axisRow = saturatingAdd(document.CY, 1);
    const std::int32_t axisColumn = saturatingAdd(document.CX, 1);
    canvas.moveTo(0, axisRow);
    canvas.lineTo(width, axisRow);
    canvas.moveTo(axisColumn, 0);
    canvas.lineTo(axisColumn, height);
    canvas.release();
}

} // namespace velquor
