#include "render/draw_context.h"

#include "calc/error.h"
#include "calc/evaluate.h"
#include "calc/number_text.h"
#include "document/document.h"
#include "render/view_transform.h"

#include <algorithm>
#include <cmath>

namespace velquor {

EvaluationRequest buildRequest(const Document& document, const GraphEntry& drawn)
{
    const DocumentSettings& settings = document.settings();
    EvaluationRequest request;
    request.a = StrToValue(settings.valA);
    request.b = StrToValue(settings.valB);
    request.degreeMode = settings.checkDegree ? 1 : 0;
    if (!settings.otherFunction)
        return request;
    // The request holds 50 pairs; further entries are left out rather than overrun it.
    for (int slot = 0; slot < document.graphCount() && request.funcCount < MaxCallableFormulas;
         ++slot) {
        const GraphEntry& entry = document.entry(slot);
        if (entry.kind != static_cast<std::int32_t>(GraphKind::Function)
            || entry.name == drawn.name)
            continue;
        request.funcNames[static_cast<std::size_t>(request.funcCount)] = entry.name;
        request.funcFormulas[static_cast<std::size_t>(request.funcCount)] = entry.formula1;
        ++request.funcCount;
    }
    return request;
}

Ext readRatio(const DrawContext& context)
{
    return StrToFloat(context.document.settings().ratio, context.decimalPoint);
}

std::optional<SurfaceView> surfaceView(const DrawContext& context)
{
    const Document& document = context.document;
    if (context.pixelRatio == 1)
        return SurfaceView { Ext(document.Zoom), document.CX, document.CY };
    const auto column = nearest32(Ext(document.CX) * context.pixelRatio);
    const auto row = nearest32(Ext(document.CY) * context.pixelRatio);
    if (!column || !row)
        return std::nullopt;
    return SurfaceView { Ext(document.Zoom) * context.pixelRatio, *column, *row };
}

std::int32_t scaledPixels(const DrawContext& context, std::int32_t pixels)
{
    if (context.pixelRatio == 1)
        return pixels;
    return Nearest(Ext(pixels) * context.pixelRatio);
}

int scaledPenWidth(const DrawContext& context, int width)
{
    if (context.pixelRatio == 1)
        return width;
    // The widths the plot's canvas draws, 1 to 5, scaled.
    // Halves round up: a pen of 3 at 1.5 is 5 wide rather than 4.
    return std::max(1,
        static_cast<int>(std::floor(Ext(std::clamp(width, 1, 5)) * context.pixelRatio + Ext(0.5))));
}

void RedrawWork::throwSpent()
{
    throw Error("The curve needs more work than a redraw allows");
}

void throwDivisionByZero()
{
    throw Error("Floating point division by zero");
}

ProgressiveDrawing::ProgressiveDrawing(const DrawContext& context, Ext total)
    : m_context(context)
    , m_animating(context.animating)
    , m_total(total)
{
}

void ProgressiveDrawing::countAnimatedSample()
{
    ++m_counter;
    // The frames text is read again at every sample, as the user may not have finished typing.
    const std::int32_t frames = StrToInt(m_context.document.settings().animate);
    if (frames == 0)
        throwDivisionByZero();
    const std::int32_t threshold = Nearest(m_total / Ext(frames));
    if (threshold < m_counter) {
        m_context.surface.canvas().release();
        m_context.surface.present();
        m_counter = 0;
    }
}

} // namespace velquor
