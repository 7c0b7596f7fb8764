#include "calc/error.h"
#include "calc/evaluate.h"
#include "calc/number_text.h"
#include "document/document.h"
#include "render/curve_drawers.h"
#include "render/curve_samples.h"
#include "render/parameter_range.h"
#include "render/view_transform.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace velquor {

std::optional<ParameterRange> readParameterRange(const GraphEntry& entry, char decimalPoint)
{
    const Ext from = StrToFloat(entry.rangeFrom, decimalPoint);
    const Ext to = StrToFloat(entry.rangeTo, decimalPoint);
    const Ext span = to - from;
    if (span < 0)
        return std::nullopt;
    if (entry.divisions == 0)
        throwDivisionByZero();
    if (!std::isfinite(span))
        throw Error("Floating point overflow");
    ParameterRange range;
    range.from = from;
    range.step = span / Ext(entry.divisions);
    range.count = entry.divisions < 0 ? 0 : std::int64_t(entry.divisions) + 1;
    return range;
}

namespace {

    constexpr std::int32_t BandLimit = 3000;

    struct Point
    {
        int x;
        int y;
    };

    // The surface point of the offsets from the origin, or nothing when the sample lies outside
    // the band |dy| < 3000 or its offsets do not fit.
    // The band and the origin are in the surface's pixels.
    struct Band
    {
        std::int32_t limit;
        std::int32_t originColumn;
        std::int32_t originRow;
    };

    Band bandOf(const DrawContext& context, const SurfaceView& view)
    {
        return { scaledPixels(context, BandLimit), view.originColumn, view.originRow };
    }

    SurfaceView viewOf(const DrawContext& context)
    {
        const auto view = surfaceView(context);
        if (!view)
            throw Error("Invalid floating point operation");
        return *view;
    }

    std::optional<Point> bandPoint(
        const Band& band, std::optional<std::int32_t> dx, std::optional<std::int32_t> dy)
    {
        if (!dx || !dy || std::abs(*dy) >= band.limit)
            return std::nullopt;
        const auto x = surfaceCoordinate(band.originColumn, *dx);
        const auto y = surfaceCoordinate(band.originRow, *dy);
        if (!x || !y)
            return std::nullopt;
        return Point { *x, *y };
    }

    // The parameters of the run of samples from index `first`; their number.
    int fillRun(const ParameterRange& range, std::int64_t first,
        std::array<Ext, CurveFormula::RunLength>& parameters)
    {
        const auto count = static_cast<int>(
            std::min<std::int64_t>(CurveFormula::RunLength, range.count - first));
        for (int i = 0; i < count; ++i)
            parameters[static_cast<std::size_t>(i)] = range.at(first + i);
        return count;
    }

    void setPen(const DrawContext& context, const GraphEntry& entry)
    {
        Canvas& canvas = context.surface.canvas();
        canvas.setPenColor(entry.color);
        canvas.setPenWidth(scaledPenWidth(context, entry.width));
    }

} // namespace

void DrawParameterCurve(const DrawContext& context, const GraphEntry& entry)
{
    Canvas& canvas = context.surface.canvas();
    setPen(context, entry);
    const Ext ratio = readRatio(context);
    const SurfaceView view = viewOf(context);
    const Ext zoom = view.zoom;
    const Band band = bandOf(context, view);
    const auto range = readParameterRange(entry, context.decimalPoint);
    if (!range)
        return;

    ProgressiveDrawing progressive(context, Ext(entry.divisions));
    EvaluationRequest verticalRequest
        = buildCurveRequest(context, entry, { entry.formula1, entry.formula2 });
    verticalRequest.formula = entry.formula1;
    EvaluationRequest horizontalRequest = verticalRequest;
    horizontalRequest.formula = entry.formula2;
    CurveFormula vertical(verticalRequest, context.work);
    CurveFormula horizontal(horizontalRequest, context.work);
    const bool keep = context.samples && vertical.keepable() && horizontal.keepable();
    CurveKeeping keeping(keep ? context.samples : nullptr, context.slot,
        keep ? SampleCache::inputsOf('p', verticalRequest, { entry.formula1, entry.formula2 },
            { range->from, range->step, Ext(range->count) })
             : std::nullopt,
        range->count, 2);
    const bool reread = keeping.keptAll();
    vertical.useKept({ keeping.kept(0) }, reread ? nullptr : keeping.record(0));
    horizontal.useKept({ keeping.kept(1) }, reread ? nullptr : keeping.record(1));
    std::array<Ext, CurveFormula::RunLength> parameters;
    std::array<std::int64_t, CurveFormula::RunLength> columns;
    std::array<std::int64_t, CurveFormula::RunLength> rows;
    bool penUp = true;
    for (std::int64_t first = 0; first < range->count; first += CurveFormula::RunLength) {
        const int count = fillRun(*range, first, parameters);
        vertical.startRun(parameters.data(), count, first);
        horizontal.startRun(parameters.data(), count, first);
        const Ext* ys = vertical.runValues();
        const Ext* xs = horizontal.runValues();
        if (ys)
            verticalOffsets(ys, vertical.runCount(), zoom, ratio, rows.data());
        if (xs)
            horizontalOffsets(xs, horizontal.runCount(), zoom, columns.data());
        for (int i = 0; i < count; ++i) {
            const Ext& vy = vertical.value(i);
            const Ext& vx = horizontal.value(i);
            if (vy == NoValue || vx == NoValue) {
                penUp = true; // no value: the curve breaks here
                continue;
            }
            const auto at = static_cast<std::size_t>(i);
            const auto point
                = bandPoint(band, xs ? asOffset(columns[at]) : horizontalOffset(vx, zoom),
                    ys ? asOffset(rows[at]) : verticalOffset(vy, zoom, ratio));
            if (!point)
                continue; // joined across from the last drawn sample
            if (penUp)
                canvas.moveTo(point->x, point->y);
            canvas.lineTo(point->x, point->y);
            progressive.afterSample();
            penUp = false;
        }
    }
    if (reread)
        keeping.keepAllEarlier();
    keeping.commit();
    canvas.release();
}

void DrawPolarCurve(const DrawContext& context, const GraphEntry& entry)
{
    Canvas& canvas = context.surface.canvas();
    setPen(context, entry);
    const Ext ratio = readRatio(context);
    const SurfaceView view = viewOf(context);
    const Ext zoom = view.zoom;
    const Band band = bandOf(context, view);
    const auto range = readParameterRange(entry, context.decimalPoint);
    if (!range)
        return;

    ProgressiveDrawing progressive(context, Ext(entry.divisions));
    EvaluationRequest request = buildCurveRequest(context, entry, { entry.formula1 });
    request.formula = entry.formula1;
    CurveFormula formula(request, context.work);
    // Kept are the radii and, as they cost as much again, the points they give.
    const bool keep = context.samples && formula.keepable();
    CurveKeeping keeping(keep ? context.samples : nullptr, context.slot,
        keep ? SampleCache::inputsOf(
            'r', request, { entry.formula1 }, { range->from, range->step, Ext(range->count) })
             : std::nullopt,
        range->count, 3);
    const bool reread = keeping.keptAll();
    formula.useKept({ keeping.kept(0) }, reread ? nullptr : keeping.record(0));
    const KeptSeries* keptX = keeping.kept(1);
    const KeptSeries* keptY = keeping.kept(2);
    KeptSeries* recordX = reread ? nullptr : keeping.record(1);
    KeptSeries* recordY = reread ? nullptr : keeping.record(2);
    std::array<Ext, CurveFormula::RunLength> angles;
    std::array<Ext, CurveFormula::RunLength> xs;
    std::array<Ext, CurveFormula::RunLength> ys;
    std::array<std::int64_t, CurveFormula::RunLength> columns;
    std::array<std::int64_t, CurveFormula::RunLength> rows;
    // The point of sample i of the run at first: kept, or from its radius (zeros without one,
    // so that kept positions stay in step).
    const auto findPoint = [&](std::int64_t first, int i, const Ext& radius) {
        const auto at = static_cast<std::size_t>(i);
        const Ext* x = keptX ? keptX->find(first + i) : nullptr;
        const Ext* y = keptY ? keptY->find(first + i) : nullptr;
        if (x && y) {
            xs[at] = *x;
            ys[at] = *y;
        } else if (radius != NoValue) {
            PolarToXY(ys[at], xs[at], radius, angles[at]);
        } else {
            xs[at] = 0;
            ys[at] = 0;
        }
    };
    bool drawnAny = false;
    bool previousUndefined = false;
    for (std::int64_t first = 0; first < range->count; first += CurveFormula::RunLength) {
        const int count = fillRun(*range, first, angles);
        formula.startRun(angles.data(), count, first);
        const Ext* radii = formula.runValues();
        if (radii) {
            const int known = formula.runCount();
            // The points read where they were kept when they all were, as when drawn again.
            const Ext* keptXs = keptX && !recordX ? keptX->contiguous(first, 1, known) : nullptr;
            const Ext* keptYs = keptY && !recordY ? keptY->contiguous(first, 1, known) : nullptr;
            if (!keptXs || !keptYs) {
                for (int i = 0; i < known; ++i)
                    findPoint(first, i, radii[i]);
                keptXs = xs.data();
                keptYs = ys.data();
            }
            horizontalOffsets(keptXs, known, zoom, columns.data());
            verticalOffsets(keptYs, known, zoom, ratio, rows.data());
        }
        for (int i = 0; i < count; ++i) {
            const Ext& radius = formula.value(i);
            const auto at = static_cast<std::size_t>(i);
            if (!radii)
                findPoint(first, i, radius);
            if (radius == NoValue) {
                previousUndefined = true;
                continue;
            }
            const auto point
                = bandPoint(band, radii ? asOffset(columns[at]) : horizontalOffset(xs[at], zoom),
                    radii ? asOffset(rows[at]) : verticalOffset(ys[at], zoom, ratio));
            // Only the sample right after an undefined one starts with a move; samples outside
            // the band between them are joined across.
            if (point) {
                if (!drawnAny || previousUndefined)
                    canvas.moveTo(point->x, point->y);
                canvas.lineTo(point->x, point->y);
                progressive.afterSample();
                drawnAny = true;
            }
            previousUndefined = false;
        }
        if (recordX) {
            recordX->values.insert(recordX->values.end(), xs.begin(), xs.begin() + count);
            recordY->values.insert(recordY->values.end(), ys.begin(), ys.begin() + count);
        }
    }
    if (reread)
        keeping.keepAllEarlier();
    keeping.commit();
    canvas.release();
}

} // namespace velquor
