#pragma once

#include "calc/evaluation_request.h"
#include "calc/ext.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

namespace velquor {

class AnalysisWork;
class CompiledFormula;
class DifferentiatedFormula;

// Zeros, local extrema and crossings of curves y = f(x), found from a scan of samples and
// refined in the extended format.
//
// Method. The samples are scanned for sign changes: of f for zeros, of f - g for crossings, of
// the difference quotient between neighbouring samples for extrema. Each bracket of two
// neighbouring samples with values of opposite sign is then narrowed by a safeguarded
// regula falsi (an interpolation step, and a bisection of the bracket's bit patterns whenever
// that step did not halve the bracket) until its ends are neighbouring extended numbers; an
// extremum is the zero of the exact derivative (forward-mode automatic differentiation) found
// the same way, or of a sixth-order central difference quotient where the derivative has none.
//
// What is not a zero: a sample without value (NoValue) never ends a bracket, and a bracket in
// which the solver meets a point without value is dropped. A sign change whose refined bracket
// still spans a jump of at least the scan's jump limit is a pole (tan x at pi/2), not a zero;
// a jump below the limit (a step of int(x) - 0.5) is a crossing, as the drawn curve shows it.
//
// What it can miss: two zeros closer together than two samples (no sign change between the
// samples: a double zero that touches the axis without crossing, such as (x - 0.5)^2, appears
// only as an extremum, unless a sample lands on it exactly); an extremum whose neighbouring
// samples differ by the jump limit or more (the curve is broken there, as it is drawn); a run of
// samples that are all exactly zero (the curve lies on the axis: no single zero). Features of a
// curve that oscillates faster than the samples are found at the samples' aliases.

// A point in plot units.
struct CurvePoint
{
    Ext x = 0;
    Ext y = 0;
};

struct Extremum
{
    Ext x = 0;
    Ext y = 0;
    bool maximum = false; // false: a local minimum
};

// Where the analysis looks, in plot units.
struct AnalysisScan
{
    std::vector<Ext> xs; // the samples, ascending
    // A change of value of at least this much between the two ends of a bracket is a jump:
    // the curve is broken there (a pole). Infinity accepts every jump.
    Ext jumpLimit = 0;
    // The step of the difference quotient that locates extrema; small against the samples'
    // spacing, large against the rounding of the values.
    Ext derivativeStep = 0;
};

// The scan of count + 1 equally spaced samples from `from` to `to`, with the jump limit
// to - from (as in a square view) and a derivative step of 1/16 of the spacing.
AnalysisScan UniformScan(Ext from, Ext to, int count);

// One formula, compiled once, with its values at the scan's samples. Evaluating advances the
// seed of "random"; callers that must not disturb the drawn sequence keep it themselves.
// With a work counter, every evaluation is charged to it, and once it is spent no formula of
// the analysis evaluates any more: the samples not yet taken and every later point have no
// value, and the finders stop with what they found before.
class SampledFormula
{
public:
    SampledFormula(
        const EvaluationRequest& request, const std::vector<Ext>& xs, AnalysisWork* work = nullptr);
    ~SampledFormula();
    SampledFormula(SampledFormula&&) noexcept;

    // The value at x, as the drawers compute it (NoValue for a point without value).
    Ext valueAt(Ext x);
    // The exact derivative at x (automatic differentiation of the same program); nothing where
    // it has no value (see DifferentiatedFormula).
    std::optional<Ext> slopeAt(Ext x);
    // The values at the scan's samples, in order.
    const std::vector<Ext>& values() const { return m_values; }
    // The analysis's work ran out: the results found with this formula are incomplete.
    bool workSpent() const;

private:
    bool charge(std::uint64_t units);

    EvaluationRequest m_request;
    AnalysisWork* m_work;
    // Held by pointer so that widget code can include this header: the compiled formula's
    // header has a member that Qt's "slots" keyword would replace.
    std::unique_ptr<CompiledFormula> m_formula;
    std::unique_ptr<DifferentiatedFormula> m_derivative; // made at the first slopeAt
    std::vector<Ext> m_values;
};

// The zeros of f on the scan, ascending; y is f's value at the refined x.
// A formula without value everywhere gives an empty list.
std::vector<CurvePoint> FindRoots(SampledFormula& f, const AnalysisScan& scan);

// The local minima and maxima of f on the scan, ascending: the zeros of the exact derivative
// between samples where the curve turns, refined to the last bit like the zeros. Where the
// derivative has no value the sixth-order difference quotient stands in; an extremum where
// neither can be taken (a point without value within the quotient's reach) is reported at the
// sample.
std::vector<Extremum> FindExtrema(SampledFormula& f, const AnalysisScan& scan);

// The points where f and g cross on the scan (both sampled at the same xs), ascending; y is f's
// value there. A jump of either curve is not a crossing.
std::vector<CurvePoint> FindIntersections(
    SampledFormula& f, SampledFormula& g, const AnalysisScan& scan);

} // namespace velquor
