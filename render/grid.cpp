#include "render/grid.h"

#include "calc/error.h"
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

    // The distances the grid places its scale values at, in the surface's pixels.
    struct LabelOffsets
    {
        std::int32_t gap; // from a line to its scale value
        std::int32_t nearEdge; // from the near edge when the origin lies before it
        std::int32_t belowLastRow; // from the bottom edge, room for a scale value's row
        std::int32_t beforeLastColumn; // from the right edge, room for a scale value
    };

    LabelOffsets labelOffsetsOf(const DrawContext& context)
    {
        return { scaledPixels(context, 3), scaledPixels(context, 5), scaledPixels(context, 13),
            scaledPixels(context, 27) };
    }

    std::int32_t labelPosition(
        std::int32_t origin, std::int32_t extent, std::int32_t farSide, const LabelOffsets& offsets)
    {
        if (origin > extent)
            return farSide;
        if (origin < 0)
            return offsets.nearEdge;
        return origin + offsets.gap; // origin <= extent, so this cannot overflow
    }

    // The spacing rule decides on the document's pixels, so that a denser surface gets the same
    // lines; their distance is then taken to the surface's pixels.
    std::optional<GridStep> surfaceStep(const DrawContext& context, std::optional<GridStep> step)
    {
        if (!step || context.pixelRatio == 1)
            return step;
        const std::int64_t pixels
            = nearest64Saturated(static_cast<Ext>(step->pixels) * context.pixelRatio);
        if (pixels <= 0)
            return std::nullopt;
        return GridStep { pixels, step->value };
    }

    void drawVerticalLines(
        DrawContext& context, std::int32_t zoom, const SurfaceView& view, Canvas& canvas)
    {
        const Document& document = context.document;
        const int width = context.surface.width();
        const int height = context.surface.height();
        const LabelOffsets offsets = labelOffsetsOf(context);
        const std::int32_t labelRow
            = labelPosition(view.originRow, height, height - offsets.belowLastRow, offsets);
        const std::int64_t value = nearest64Saturated(
            StrToFloat(document.settings().interval2, context.decimalPoint) * TenThousand);
        const auto step = surfaceStep(context, spacingRule(Int128(zoom) * value, value));
        if (!step)
            return;
        auto draw = [&](std::int32_t column, Int128 scaleValue) {
            canvas.textOut(
                column + offsets.gap, labelRow, scaleText(scaleValue, context.decimalPoint));
            canvas.moveTo(column, 0);
            canvas.lineTo(column, height);
        };
        walkLines(view.originColumn, width, +1, *step, draw);
        walkLines(view.originColumn, width, -1, *step, draw);
    }

    void drawHorizontalLines(DrawContext& context, std::int32_t zoom, std::int64_t ratio,
        const SurfaceView& view, Canvas& canvas)
    {
        const Document& document = context.document;
        const int width = context.surface.width();
        const int height = context.surface.height();
        const LabelOffsets offsets = labelOffsetsOf(context);
        const std::int32_t labelColumn
            = labelPosition(view.originColumn, width, width - offsets.beforeLastColumn, offsets);
        const std::int64_t value = nearest64Saturated(
            StrToFloat(document.settings().interval, context.decimalPoint) * TenThousand);
        const std::int64_t pixels
            = nearest64Saturated(Ext(zoom) * Ext(value) * Ext(ratio) / TenThousand);
        const auto step = surfaceStep(context, spacingRule(pixels, value));
        if (!step)
            return;
        auto draw = [&](std::int32_t row, Int128 scaleValue) {
            canvas.textOut(
                labelColumn, row + offsets.gap, scaleText(-scaleValue, context.decimalPoint));
            canvas.moveTo(0, row);
            canvas.lineTo(width, row);
        };
        walkLines(view.originRow, height, +1, *step, draw);
        walkLines(view.originRow, height, -1, *step, draw);
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

    const auto view = surfaceView(context);
    if (!view)
        throw Error("Invalid floating point operation");
    Canvas& canvas = context.surface.canvas();
    canvas.setFontColor(settings.mainLineColor);
    canvas.setBrushColor(settings.backgroundColor);
    canvas.setPenWidth(scaledPenWidth(context, lineWidthOf(settings.mainLineWidth)));
    canvas.setPenColor(settings.mainLineColor);
    const int width = context.surface.width();
    const int height = context.surface.height();
    canvas.fillRect(0, 0, width, height);

    if (settings.checkScale) {
        drawVerticalLines(context, document.Zoom, *view, canvas);
        drawHorizontalLines(context, document.Zoom, ratio, *view, canvas);
    }

    // The axes lie one pixel right of and below the origin's grid lines: two pixels wide.
    const std::int32_t axisStep = scaledPixels(context, 1);
    const std::int32_t axisRow = saturatingAdd(view->originRow, axisStep);
    const std::int32_t axisColumn = saturatingAdd(view->originColumn, axisStep);
    canvas.moveTo(0, axisRow);
    canvas.lineTo(width, axisRow);
    canvas.moveTo(axisColumn, 0);
    canvas.lineTo(axisColumn, height);
    canvas.release();
}

} // namespace velquor
