#pragma once

#include "calc/ext.h"
#include "calc/quadrature.h"

#include <vector>

namespace velquor {

class Document;

// The integral of a function graph and the area between it and another function graph or the
// x axis, over a range of x that the user chose.
struct GraphIntegral
{
    IntegralResult integral; // of the graph from `from` to `to` (negative backwards)
    IntegralResult area; // of |graph - other| between the same ends, always positive
    std::vector<Ext> crossings; // where the area was split, ascending
};

// The x axis as the other curve of an area.
inline constexpr int XAxis = -1;

// The integral and the area of the function graph in `slot` from `from` to `to` (plot units),
// against the function graph in `other` or XAxis. The values come from the drawers' evaluation
// requests; the area is split at the crossings found on samples one pixel column apart (at
// most 100,000), with the view's height as the jump limit, as the analysis finds them. Each
// result does at most the work of a redraw; the seed of "random" is left as it was. Throws
// Error when the ratio text is not a number or Zoom is 0, std::invalid_argument when a slot
// holds no function graph.
GraphIntegral IntegrateFunctionGraph(
    const Document& document, int slot, int other, Ext from, Ext to, int height, char decimalPoint);

// One pixel column of a shaded area: the rows from `top` to `bottom` (inclusive) between the
// two curves, clipped to a little beyond the surface.
struct ShadedColumn
{
    int column = 0;
    int top = 0;
    int bottom = 0;
};

// The columns of the surface whose x lies between `from` and `to`, each spanning the graph in
// `slot` and `other` (or the x axis) where both have a value; for shading the area on the shown
// plot. Empty when the work of a redraw is not enough. Throws as IntegrateFunctionGraph.
std::vector<ShadedColumn> ShadedArea(const Document& document, int slot, int other, Ext from,
    Ext to, int width, int height, char decimalPoint);

} // namespace velquor
