#pragma once

#include "calc/ext.h"
#include "render/canvas.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velquor {

class CompiledFormula;
class DifferentiatedFormula;
class Document;

// The curve tracer's point: where the marker sits on the followed graph.
struct TracedPoint
{
    Ext parameter = 0; // x of a function graph, t of a parameter curve, s of a polar curve
    bool hasValue = false;
    Ext x = 0; // plot coordinates of the point (when it has a value)
    Ext y = 0;
    Ext radius = 0; // a polar curve's r
    // dy/dx at the point, exact (automatic differentiation): a function graph's derivative,
    // dy/dt over dx/dt on a parameter curve, the Cartesian slope of a polar curve. Nothing
    // where the derivatives have no value or the tangent is vertical.
    std::optional<Ext> slope;
    // The marker's surface pixel; nothing without value or when it does not fit 32 bits.
    std::optional<int> column;
    std::optional<int> row;
};

// The curve tracer: a point that follows one graph of the list, read off the curve with the
// drawers' evaluation request (a, b, degree mode, calls), so that it lies on what is drawn.
// A function graph is traced at a plot x (the mouse's column, or any x); a parameter or polar
// curve at one of the samples the drawer takes. Reading values keeps the seed of "random".
// Not to be confused with trace mode, which keeps earlier curves on the plot.
class PointTracer
{
public:
    explicit PointTracer(const Document& document);
    ~PointTracer();

    // The size of the surface the graph is drawn on and the locale's decimal separator for the
    // setting texts; read by follow() and refresh().
    void setView(int width, int height, char decimalPoint);

    // Follows the graph in `slot` (counted from 0; -1: none) from the middle of the surface (a
    // function graph) or its first sample.
    void follow(int slot);
    int slot() const { return m_slot; }

    // After a redraw (the view, the constants or the entry may have changed): the same x or
    // sample, computed again. A graph that can no longer be traced leaves no point.
    void refresh();

    // A function graph: the point at the column of surface x; other curves: the sample whose
    // pixel lies nearest to (x, y).
    void moveToMouse(int x, int y);
    // By `steps` pixel columns (a function graph) or samples (other curves); negative: left.
    void step(int steps);
    // A function graph: the point at plot x (a feature of the analysis).
    void moveToX(Ext x);

    // The point, or nothing (no graph, a hidden or deleted one, a setting that does not convert).
    const std::optional<TracedPoint>& point() const { return m_point; }
    // The marker's colour: the followed graph's.
    Color color() const;
    // The status bar's line: the graph's name, the point's coordinates and its slope "傾き" in
    // the 15-digit number format, or "値なし"; empty without a graph.
    std::string statusText() const;

private:
    struct Sample
    {
        Ext parameter = 0;
        bool hasValue = false;
        Ext x = 0;
        Ext y = 0;
        Ext radius = 0;
    };
    // A parameter or polar curve's slope at the sample in the sample's place.
    std::optional<Ext> sampleSlope(Ext parameter);

    bool isFunctionGraph() const;
    void takeSamples();
    void computeFunctionPoint();
    void computeSamplePoint();
    void placeMarker();
    Ext zoom() const;

    const Document& m_document;
    int m_width = 0;
    int m_height = 0;
    char m_decimalPoint = '.';
    int m_slot = -1;
    Ext m_x = 0; // a function graph's traced x
    std::size_t m_sampleIndex = 0; // another curve's traced sample
    bool m_hidden = false; // the followed graph is not drawn
    // A function graph's, built at follow and refresh (its values are the compiled ones).
    std::unique_ptr<DifferentiatedFormula> m_formula;
    std::vector<Sample> m_samples; // another curve's samples, taken at follow and refresh
    // Another curve's formulas with their derivatives (y or r, and x), for the traced sample.
    std::unique_ptr<DifferentiatedFormula> m_vertical;
    std::unique_ptr<DifferentiatedFormula> m_horizontal;
    std::optional<TracedPoint> m_point;
};

} // namespace velquor
