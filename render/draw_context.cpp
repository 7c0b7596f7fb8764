#include "render/draw_context.h"

#include "calc/error.h"
#include "calc/evaluate.h"
#include "calc/number_text.h"
#include "document/document.h"
#include "render/view_transform.h"

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
