#pragma once

#include "render/draw_context.h"

namespace velquor {

struct GraphEntry;

// The three curve drawers. Each sets the pen to the entry's colour and width, samples the
// curve through Evaluate, joins the samples that lie within the band of rows with lines, and
// releases the canvas. A sample whose pixel offset does not fit a 32-bit integer counts as
// outside the band. Each throws Error on failure (a setting text that does not convert, a
// division by zero, a function-graph step below 1); what was drawn before stays drawn.

// y = f(x) sampled at every s-th column from column 0 to W; s is the accuracy text at rest,
// the temporary accuracy while the view moves. Breaks where the curve has no value, leaves
// the band |row| < 3000 or jumps by H rows or more.
void DrawFunctionGraph(const DrawContext& context, const GraphEntry& entry);

// x = formula2(t), y = formula1(t) for divisions + 1 values of t from rangeFrom to rangeTo.
// Samples with |dy| >= 3000 are skipped and joined across; a sample where either coordinate
// has no value breaks the curve.
void DrawParameterCurve(const DrawContext& context, const GraphEntry& entry);

// r = formula1(s) for divisions + 1 angles s (radians) from rangeFrom to rangeTo.
// Samples with |dy| >= 3000 are skipped and joined across; the sample right after one without
// value starts with a move.
void DrawPolarCurve(const DrawContext& context, const GraphEntry& entry);

} // namespace velquor
