#include "render/draw_context.h"

#include "calc/error.h"
#include "calc/evaluate.h"
#include "calc/number_text.h"
#include "calc/scan_text.h"
#include "document/document.h"
#include "render/view_transform.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

namespace velquor {

namespace {

    // The request without its callable table.
    EvaluationRequest constantsOf(const Document& document)
    {
        const DocumentSettings& settings = document.settings();
        EvaluationRequest request;
        request.a = StrToValue(settings.valA);
        request.b = StrToValue(settings.valB);
        request.degreeMode = settings.checkDegree ? 1 : 0;
        return request;
    }

    // The slots of the entries a formula drawn for `drawn` may call: the first 50 Function
    // entries in table order whose name differs from the drawn entry's (the request holds 50;
    // further entries are left out rather than overrun it). None when calls are off.
    std::vector<int> callableSlots(const Document& document, const GraphEntry& drawn)
    {
        std::vector<int> slots;
        if (!document.settings().otherFunction)
            return slots;
        for (int slot = 0;
             slot < document.graphCount() && static_cast<int>(slots.size()) < MaxCallableFormulas;
             ++slot) {
            const GraphEntry& entry = document.entry(slot);
            if (entry.kind == static_cast<std::int32_t>(GraphKind::Function)
                && entry.name != drawn.name)
                slots.push_back(slot);
        }
        return slots;
    }

    void appendCallable(EvaluationRequest& request, const GraphEntry& entry)
    {
        request.funcNames[static_cast<std::size_t>(request.funcCount)] = entry.name;
        request.funcFormulas[static_cast<std::size_t>(request.funcCount)] = entry.formula1;
        ++request.funcCount;
    }

    // Visits every name a call in the text may look up. The scanner takes a run of at most
    // MaxCallNameLength letters and digits (folded to lower case) right before "(" as a call,
    // and when that run is no call it tries again from each later letter, so each ending of
    // the run before a "(" is a name that may be looked up.
    template <typename Visit> void forEachCalledName(std::string_view text, Visit visit)
    {
        constexpr std::size_t MaxCallNameLength = 11;
        std::size_t runLength = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const int c = scan::foldedAt(text, static_cast<std::int64_t>(i));
            if (scan::isLetterOrDigit(c)) {
                ++runLength;
                continue;
            }
            if (c == '(' && runLength > 0) {
                char name[MaxCallNameLength];
                const std::size_t longest = std::min(runLength, MaxCallNameLength);
                for (std::size_t k = 0; k < longest; ++k)
                    name[k] = static_cast<char>(
                        scan::foldedAt(text, static_cast<std::int64_t>(i - longest + k)));
                for (std::size_t length = 1; length <= longest; ++length)
                    visit(std::string_view(name + longest - length, length));
            }
            runLength = 0;
        }
    }

} // namespace

EvaluationRequest buildRequest(const Document& document, const GraphEntry& drawn)
{
    EvaluationRequest request = constantsOf(document);
    for (const int slot : callableSlots(document, drawn))
        appendCallable(request, document.entry(slot));
    return request;
}

EvaluationRequest buildCurveRequest(const DrawContext& context, const GraphEntry& drawn,
    std::initializer_list<std::string_view> formulas)
{
    const Document& document = context.document;
    EvaluationRequest request = constantsOf(document);
    const std::vector<int> slots = callableSlots(document, drawn);
    std::unordered_map<std::string_view, std::vector<std::size_t>> byName;
    for (std::size_t k = 0; k < slots.size(); ++k)
        byName[document.entry(slots[k]).name].push_back(k);
    std::vector<bool> reached(slots.size(), false);
    std::vector<std::string_view> toScan(formulas);
    while (!toScan.empty()) {
        const std::string_view text = toScan.back();
        toScan.pop_back();
        if (context.work)
            context.work->charge(text.size() + NestedEvaluationCost);
        if (byName.empty())
            continue; // nothing to call: the charge is for the compiler's scan of the text
        forEachCalledName(text, [&](std::string_view name) {
            const auto found = byName.find(name);
            if (found == byName.end())
                return;
            for (const std::size_t k : found->second) {
                if (!reached[k]) {
                    reached[k] = true;
                    toScan.push_back(document.entry(slots[k]).formula1);
                }
            }
        });
    }
    for (std::size_t k = 0; k < slots.size(); ++k)
        if (reached[k])
            appendCallable(request, document.entry(slots[k]));
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
