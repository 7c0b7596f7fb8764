#include "calc/error.h"
#include "calc/evaluate.h"
#include "calc/number_text.h"
#include "document/document.h"
#include "render/curve_drawers.h"
#include "render/curve_samples.h"
#include "render/view_transform.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>

namespace velquor {
namespace {

    constexpr std::int64_t BandLimit = 3000;
    constexpr std::size_t LatestSeries = 0; // kept only when coarser than the dense one
    constexpr std::size_t DenseSeries = 1;
    constexpr std::int64_t NoValueOffset = NoOffset + 1; // beside the offsets of a run
    // The previous row of a sample whose row does not fit: far from every row, so the next sample
    // fails the jump test as it would after any row far outside the band.
    constexpr std::int64_t FarRow = std::numeric_limits<std::int64_t>::max() / 4;

    // value == NoValue for a value in memory, from its bits: 999999 = 0.999999 * 2^20 has one
    // encoding, and comparing integers is cheaper than loading the number.
    static_assert(NoValue == 999999);
    constexpr std::uint64_t NoValueMantissa = std::uint64_t(999999) << 44; // leading bit at 63
    constexpr std::uint16_t NoValueExponent = 16383 + 19;
    bool isNoValue(const Ext& value)
    {
        std::uint64_t mantissa = 0;
        std::uint16_t exponent = 0;
        std::memcpy(&mantissa, &value, sizeof mantissa);
        std::memcpy(&exponent, reinterpret_cast<const char*>(&value) + 8, sizeof exponent);
        return mantissa == NoValueMantissa && exponent == NoValueExponent;
    }

    // What the drawing does at one sample: a move, a line, both, and whether it counts as drawn
    // for the progressive present.
    enum Stroke : std::uint8_t { NoStroke = 0, Move = 1, Line = 2, Drawn = 4 };

    // The pen from sample to sample. Working out the strokes of a whole run before drawing
    // keeps this loop apart from the canvas calls, which makes both faster.
    struct Pen
    {
        std::int64_t bandLimit = BandLimit; // in the surface's pixels
        bool up = true;
        std::optional<std::int64_t> previousRow; // the first sample has none to jump from

        // The strokes at a sample of the given offset (or NoOffset, NoValueOffset) and its row.
        std::uint8_t step(std::int64_t offset, std::int64_t originRow, int height, int& row)
        {
            const bool noValue = offset == NoValueOffset;
            if (!noValue && offset == NoOffset) {
                up = true;
                previousRow = FarRow;
                return NoStroke;
            }
            const std::int64_t at = originRow + (noValue ? 0 : offset);
            const bool accepted = std::llabs(at) < bandLimit
                && (!previousRow || std::llabs(at - *previousRow) < height);
            std::uint8_t strokes = NoStroke;
            if (accepted) {
                strokes = Drawn | (up ? Move : NoStroke) | (noValue ? NoStroke : Line);
                row = static_cast<int>(at);
            }
            up = !accepted || noValue;
            previousRow = at;
            return strokes;
        }
    };

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

    // The pixel offsets of the run's values where they were kept with them (a run read from a
    // kept series lies within its values), or null.
    const std::int64_t* keptOffsets(const CurveFormula& formula)
    {
        const KeptSeries* series = formula.runSeries();
        if (!series || series->offsets.size() != series->values.size())
            return nullptr;
        return series->offsets.data() + formula.runIndex();
    }

    // On a surface denser than the plot's by a whole ratio r, the plot's kept values of this
    // curve at the positions they take there: column offset o of the plot is r * o here, and
    // x = (r * o) / (r * zoom) is the plot's o / zoom to the last bit (both products exact,
    // the quotient rounded once). Empty series where there are none. The plot's pixel offsets
    // are not taken: they are the plot's rows.
    std::array<KeptSeries, 2> plotSeries(const DrawContext& context,
        const EvaluationRequest& request, const GraphEntry& entry, Ext ratio)
    {
        std::array<KeptSeries, 2> scaled;
        const Ext pixelRatio = context.pixelRatio;
        if (!context.plotSamples || pixelRatio <= 1 || pixelRatio != std::floor(pixelRatio)
            || pixelRatio > 16)
            return scaled;
        const auto inputs = SampleCache::inputsOf(
            'f', request, { entry.formula1 }, { Ext(context.document.Zoom), ratio });
        const KeptCurve* plot = inputs ? context.plotSamples->peek(context.slot, *inputs) : nullptr;
        if (!plot)
            return scaled;
        const auto r = static_cast<std::int64_t>(pixelRatio);
        for (std::size_t i = 0; i < scaled.size() && i < plot->series.size(); ++i) {
            scaled[i].first = plot->series[i].first * r;
            scaled[i].stride = plot->series[i].stride * r;
            scaled[i].values = plot->series[i].values;
        }
        return scaled;
    }

} // namespace

void DrawFunctionGraph(const DrawContext& context, const GraphEntry& entry)
{
    Canvas& canvas = context.surface.canvas();
    canvas.setPenColor(entry.color);
    canvas.setPenWidth(scaledPenWidth(context, entry.width));

    const Document& document = context.document;
    const Ext ratio = readRatio(context);
    const std::int32_t step = readStep(context);
    if (document.Zoom == 0)
        throwDivisionByZero();
    const auto view = surfaceView(context);
    if (!view)
        throw Error("Invalid floating point operation");
    const Ext zoom = view->zoom;
    const std::int32_t originColumn = view->originColumn;
    const std::int32_t originRow = view->originRow;
    const int width = context.surface.width();
    const int height = context.surface.height();

    ProgressiveDrawing progressive(context, Ext(width));
    EvaluationRequest request = buildCurveRequest(context, entry, { entry.formula1 });
    request.formula = entry.formula1;
    CurveFormula formula(request, context.work);
    // A pan by whole steps moves the columns over x values that were sampled before. Kept are
    // the values of the last redraw and those of the last one that sampled every column, which
    // a drag at the coarse step reads at any offset it has not left; beside the values, their
    // pixel offsets, which the zoom and the ratio decide.
    const std::int64_t samples = std::int64_t(width) / step + 1;
    const bool keep = context.samples && formula.keepable();
    CurveKeeping keeping(keep ? context.samples : nullptr, context.slot,
        keep ? SampleCache::inputsOf('f', request, { entry.formula1 }, { zoom, ratio })
             : std::nullopt,
        samples, 2);
    KeptSeries* record = keeping.record(step == 1 ? DenseSeries : LatestSeries);
    if (record)
        record->offsets.reserve(static_cast<std::size_t>(samples));
    const std::array<KeptSeries, 2> plotValues
        = keep ? plotSeries(context, request, entry, ratio) : std::array<KeptSeries, 2> {};
    const auto plotValuesAt
        = [&](std::size_t i) { return plotValues[i].values.empty() ? nullptr : &plotValues[i]; };
    formula.useKept(
        { keeping.kept(DenseSeries), keeping.kept(LatestSeries), plotValuesAt(0), plotValuesAt(1) },
        record);
    std::array<std::int64_t, CurveFormula::RunLength> offsets;
    std::array<std::uint8_t, CurveFormula::RunLength> strokes;
    std::array<int, CurveFormula::RunLength> rows;
    Pen pen;
    pen.bandLimit = scaledPixels(context, BandLimit);
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
        if (ahead) { // the strokes of the whole run
            const int known = formula.runCount();
            const std::int64_t* runOffsets = keptOffsets(formula);
            if (!runOffsets) {
                verticalOffsets(ahead, known, zoom, ratio, offsets.data());
                for (int i = 0; i < known; ++i)
                    if (isNoValue(ahead[i]))
                        offsets[static_cast<std::size_t>(i)] = NoValueOffset;
                runOffsets = offsets.data();
            }
            for (int i = 0; i < known; ++i) {
                const auto at = static_cast<std::size_t>(i);
                strokes[at] = pen.step(runOffsets[i], originRow, height, rows[at]);
            }
            if (record)
                record->offsets.insert(record->offsets.end(), runOffsets, runOffsets + known);
        }
        for (int i = 0; i < count; ++i) {
            const auto at = static_cast<std::size_t>(i);
            const Ext& y = formula.value(i);
            if (!ahead) {
                const std::int64_t sampleOffset = y == NoValue
                    ? NoValueOffset
                    : verticalOffset(y, zoom, ratio).value_or(NoOffset);
                strokes[at] = pen.step(sampleOffset, originRow, height, rows[at]);
            }
            const std::uint8_t drawn = strokes[at];
            if (drawn == NoStroke)
                continue;
            const int column = static_cast<int>(originColumn + first + std::int64_t(i) * step);
            if (drawn & Move)
                canvas.moveTo(column, rows[at]);
            if (drawn & Line)
                canvas.lineTo(column, rows[at]);
            progressive.afterSample();
        }
    }
    if (step != 1)
        keeping.keepEarlier(DenseSeries);
    keeping.commit();
    canvas.release();
}

} // namespace velquor
