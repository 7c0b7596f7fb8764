#pragma once

#include "calc/evaluation_request.h"
#include "calc/ext.h"
#include "render/canvas.h"
#include "render/redraw_work.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string_view>

namespace velquor {

class Document;
class SampleCache;
struct GraphEntry;

// What the grid pass and the curve drawers read besides the document: the surface they draw
// on and the view controller's flags at the time of the redraw.
struct DrawContext
{
    Document& document;
    Surface& surface;
    std::int32_t settleTicks = 0; // nonzero: function graphs use the coarse step
    bool animating = false; // progressive drawing: present every so many drawn samples
    char decimalPoint = '.'; // the locale's separator for the setting texts and scale values
    RedrawWork* work = nullptr; // the redraw's work bound; none when null
    SampleCache* samples = nullptr; // the values kept from redraw to redraw; none when null
    int slot = -1; // the drawn entry's slot, under which its values are kept
    // Device pixels per document pixel of the surface drawn on: 1 for the plot's own picture,
    // above 1 for the picture shown on a high-DPI screen (the same view at device pixels).
    Ext pixelRatio = 1;
    // At a whole pixel ratio, the plot's own kept values: every ratio-th column of the denser
    // surface samples the very x of a plot column, so a function graph reads them there.
    const SampleCache* plotSamples = nullptr;
};

// The view in the pixels of the surface drawn on: at a pixel ratio of 1 the document's Zoom, CX
// and CY as they are; at a ratio r the same plot units at the same places of a surface r times
// as dense (zoom * r, origin Nearest(origin * r)).
struct SurfaceView
{
    Ext zoom; // pixels per plot unit
    std::int32_t originColumn;
    std::int32_t originRow;
};
// Nothing when the scaled origin leaves the 32-bit range.
std::optional<SurfaceView> surfaceView(const DrawContext& context);
// A length or offset of the document's pixels in the surface's: Nearest(pixels * ratio); the
// value itself at a ratio of 1.
std::int32_t scaledPixels(const DrawContext& context, std::int32_t pixels);
// A pen width in the surface's pixels: the width itself at a ratio of 1, otherwise the width
// the plot's canvas draws (1 to 5) scaled.
int scaledPenWidth(const DrawContext& context, int width);

// The message RedrawPlot writes at the top left when a curve could not be drawn.
inline constexpr std::string_view CannotDrawMessage
    = "描画できません。表示できないグラフを非表示にしました";

// The evaluation request of one curve: a and b, the degree mode and, when formulas may call
// other graphs, the first 50 Function entries in table order whose name differs from the
// drawn entry's (hidden and deleted ones included).
EvaluationRequest buildRequest(const Document& document, const GraphEntry& drawn);

// The request of a curve that the redraw draws with `formulas`: buildRequest's, holding of its
// callable entries only those that the formulas can reach through calls, in the same order (so
// every call finds what it found before, and an entry never called costs nothing to copy).
// Every text scanned for calls is first charged to the context's work bound (its length plus
// NestedEvaluationCost): a curve whose texts are too long to set up is hidden by the bound like
// one too costly to evaluate, before anything is copied.
EvaluationRequest buildCurveRequest(const DrawContext& context, const GraphEntry& drawn,
    std::initializer_list<std::string_view> formulas);

// The vertical scale factor, full precision. Throws Error when the text is not a number.
Ext readRatio(const DrawContext& context);

// Throws the error a division by zero raises.
[[noreturn]] void throwDivisionByZero();

// The progressive drawing of one curve: while animating, after every drawn sample, the surface
// is presented once more than Nearest(total / frames) samples have been drawn since the last
// present (total: the surface width for function graphs, the divisions for the others).
class ProgressiveDrawing
{
public:
    ProgressiveDrawing(const DrawContext& context, Ext total);
    // Throws Error when the frames text is not an integer or is 0.
    void afterSample()
    {
        if (m_animating) // inline, as it follows every drawn sample
            countAnimatedSample();
    }

private:
    void countAnimatedSample();

    const DrawContext& m_context;
    bool m_animating; // the context's, which stays for the whole redraw
    Ext m_total;
    std::int64_t m_counter = 0;
};

} // namespace velquor
