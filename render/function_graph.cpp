#include "calc/error.h"
#include "calc/evaluate.h"
#include "calc/number_text.h"
#include "document/document.h"
#include "render/curve_drawers.h"
#include "render/curve_samples.h"
#include "render/view_transform.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <optional>

namespace velquor {
namespace {

    constexpr std::int64_t BandLimit = 3000;
    constexpr std::size_t LatestSeries = 0; // kept only when coarser than the dense one
    constexpr std::size_t DenseSeries = 1;
    // The previous row of a sample whose row does not fit: far from every row, so the next sample
    // fails the jump test as it would after any row far outside the band.
    constexpr std::int64_t NoValueOffset = NoOffset + 1; // beside the offsets of a run
    constexpr std::int64_t FarRow = std::numeric_limits<std::int64_t>::max() / 4;

    std::int32_t readStep(const DrawContext& context)
    {
        const DocumentSettings& settings = context.document.settings();
        const std::string& text
            = context.settleTicks == 0 ? settings.accuracy : settings.tempAccuracy;
        const std::int32_t step = StrToInt(text);
        // A step of 0 or below would never reach the right edge.
        if (step < 1)
            throw Error("The step '" + shownText(text) + "' is not a positive integer");
        return step;
    }

} // namespace

void DrawFunctionGraph(const DrawContext& context, const GraphEntry& entry)
{
    Canvas& canvas = context.surface.canvas();
    canvas.setPenColor(entry.color);
    canvas.setPenWidth(entry.width);

    const Document& document = context.document;
    EvaluationRequest request = buildRequest(document, entry);
    const Ext ratio = readRatio(context);
    const std::int32_t step = readStep(context);
    if (document.Zoom == 0)
        throwDivisionByZero();
    const Ext zoom = document.Zoom;
    const std::int32_t originColumn = document.CX;
    const std::int32_t originRow = document.CY;
    const int width = context.surface.width();
    const int height = context.surface.height();

    ProgressiveDrawing progressive(context, Ext(width));
    request.formula = entry.formula1;
    CurveFormula formula(request, context.work);
    // A pan by whole steps moves the columns over x values that were sampled before. Kept are
    // the values of the last redraw and those of the last one that sampled every column, which
    // a drag at the coarse step reads at any offset it has not left.
    const std::int64_t samples = std::int64_t(width) / step + 1;
    const bool keep = context.samples && formula.keepable();
    CurveKeeping keeping(keep ? context.samples : nullptr, context.slot,
        keep ? SampleCache::inputsOf('f', request, { entry.formula1 }, { zoom }) : std::nullopt,
        samples, 2);
    formula.useKept({ keeping.kept(DenseSeries), keeping.kept(LatestSeries) },
        keeping.record(step == 1 ? DenseSeries : LatestSeries));
    std::array<std::int64_t, CurveFormula::RunLength> offsets;
    bool penUp = true;
    std::optional<std::int64_t> previousRow; // the first sample has none to jump from
    std::int64_t offset = -std::int64_t(originColumn);
    while (originColumn + offset <= width) {
        // The samples are evaluated a run at a time, then drawn in order.
        const std::int64_t first = offset;
        const std::int64_t left = (std::int64_t(width) - originColumn - first) / step + 1;
        const int count = static_cast<int>(std::min<std::int64_t>(CurveFormula::RunLength, left));
        offset = first + std::int64_t(count) * step;
        // x = offset / zoom: the same number for the same offset in every redraw.
        formula.startRun(
            [&](int i) { return Ext(first + std::int64_t(i) * step) / zoom; }, count, first, step);
        const Ext* ahead = formula.runValues();
        if (ahead) { // the offsets of the whole run, and where it has no value
            const int known = formula.runCount();
            verticalOffsets(ahead, known, zoom, ratio, offsets.data());
            for (int i = 0; i < known; ++i)
                if (ahead[i] == NoValue)
                    offsets[static_cast<std::size_t>(i)] = NoValueOffset;
        }
        for (int i = 0; i < count; ++i) {
            const int column = static_cast<int>(originColumn + first + std::int64_t(i) * step);
            const Ext& y = formula.value(i);
            const std::int64_t offset = ahead ? offsets[static_cast<std::size_t>(i)]
                : y == NoValue                ? NoValueOffset
                                              : verticalOffset(y, zoom, ratio).value_or(NoOffset);
            const bool noValue = offset == NoValueOffset;
            const std::optional<std::int32_t> dy = noValue ? 0 : asOffset(offset);
            if (!dy) {
                penUp = true;
                previousRow = FarRow;
                continue;
            }
            const std::int64_t row = std::int64_t(originRow) + *dy;
            const bool accepted = std::llabs(row) < BandLimit
                && (!previousRow || std::llabs(row - *previousRow) < height);
            if (accepted) {
                if (penUp)
                    canvas.moveTo(column, static_cast<int>(row));
                if (!noValue)
                    canvas.lineTo(column, static_cast<int>(row));
                progressive.afterSample();
                penUp = false;
            } else {
                penUp = true;
            }
            previousRow = row;
            if (noValue)
                penUp = true;
        }
    }
    if (step != 1)
        keeping.keepEarlier(DenseSeries);
    keeping.commit();
    canvas.release();
}

} // namespace velquor
