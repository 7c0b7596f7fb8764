#pragma once

#include "render/draw_context.h"

namespace velquor {

// The grid pass: clears the surface with the background, draws the grid lines with their scale
// values (when the grid switch is on) and the two axes, then releases the canvas. Raises a Zoom
// below 1 to 1 in the document. Does not present.
// Throws Error ("'%s' は浮動小数点数ではありません") when the ratio or an interval text is not a
// number, and on a surface denser than the document's pixels when the scaled origin does not
// fit a 32-bit integer; the surface stays as far as it was drawn. A direction whose line spacing
// has no solution (interval or ratio making the step zero or negative) gets no lines.
void DrawGrid(DrawContext& context);

} // namespace velquor
