#pragma once

#include "calc/curve_analysis.h"
#include "calc/ext.h"

#include <vector>

namespace velquor {

class Document;

// What the analysis of a function graph finds in the visible x range.
enum class FeatureKind { Root, Minimum, Maximum, Intersection };

struct GraphFeature
{
    FeatureKind kind = FeatureKind::Root;
    Ext x = 0; // plot units
    // The analysed graph's value at x; 0 for a zero (the value at the refined x is a rounding
    // residue of about 1E-19, below what 15 digits show of the other coordinates).
    Ext y = 0;
    int otherSlot = -1; // an intersection's other graph (slot counted from 0)
};

// The samples of the visible x range as the function drawer takes them at a step of one pixel
// (columns 0 to width, x = (column - CX) / Zoom), the jump limit of the view's height in plot
// units (height / (Zoom * ratio); a jump the drawer would not join) and a derivative step of
// 1/16 pixel. Throws Error when the ratio text is not a number or Zoom is 0.
AnalysisScan VisibleScan(const Document& document, int width, int height, char decimalPoint);

// The zeros, the local minima and maxima and the intersections with every other visible
// function graph of the function graph in `slot`, on the visible range; zeros first, then the
// extrema, then the intersections, each ascending in x. The values come from the drawers'
// evaluation requests (a, b, degree mode, calls); the seed of "random" is left as it was.
// A formula without value anywhere gives an empty list. The evaluations of all the graphs
// together may do the work of one redraw (AnalysisWorkBudget); past it the analysis stops with
// what it found before and sets *cutShort (when given). Throws as VisibleScan does, and
// std::invalid_argument when the slot holds no function graph.
std::vector<GraphFeature> AnalyseFunctionGraph(const Document& document, int slot, int width,
    int height, char decimalPoint, bool* cutShort = nullptr);

} // namespace velquor
