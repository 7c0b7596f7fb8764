#include "calc/formula_integral.h"

#include "calc/analysis_work.h"
#include "calc/compiled_formula.h"
#include "calc/evaluate.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace velquor {
namespace {

    // The values of one formula at many points, charged to the work; false once it is spent.
    bool evaluateCharged(
        CompiledFormula& formula, AnalysisWork& work, const Ext* xs, Ext* ys, std::size_t count)
    {
        if (work.spent())
            return false;
        if (formula.isCompiled()) {
            formula.evaluate(xs, ys, count);
            work.charge(formula.sampleWork() * count);
            return true;
        }
        // The literal scan tells its work only afterwards: one value at a time.
        for (std::size_t i = 0; i < count; ++i) {
            ys[i] = formula.evaluate(xs[i]);
            if (!work.charge(formula.sampleWork()))
                return false;
        }
        return true;
    }

    // f - g, NoValue where either has none (g null: f itself).
    Integrand differenceIntegrand(
        CompiledFormula& f, CompiledFormula* g, AnalysisWork& work, std::vector<Ext>& scratch)
    {
        return [&f, g, &work, &scratch](const Ext* xs, Ext* ys, std::size_t count) {
            if (!evaluateCharged(f, work, xs, ys, count))
                return false;
            if (!g)
                return true;
            scratch.resize(count);
            if (!evaluateCharged(*g, work, xs, scratch.data(), count))
                return false;
            for (std::size_t i = 0; i < count; ++i)
                ys[i] = ys[i] == NoValue || scratch[i] == NoValue ? NoValue : ys[i] - scratch[i];
            return true;
        };
    }

} // namespace

IntegralResult IntegrateFormula(
    const EvaluationRequest& request, Ext from, Ext to, AnalysisWork& work)
{
    CompiledFormula formula(request);
    std::vector<Ext> scratch;
    return Integrate(differenceIntegrand(formula, nullptr, work, scratch), from, to);
}

IntegralResult AreaBetween(const EvaluationRequest& f, const EvaluationRequest* g, Ext from, Ext to,
    const std::vector<Ext>& crossings, AnalysisWork& work)
{
    CompiledFormula first(f);
    std::unique_ptr<CompiledFormula> second;
    if (g)
        second = std::make_unique<CompiledFormula>(*g);
    std::vector<Ext> scratch;
    const Integrand difference = differenceIntegrand(first, second.get(), work, scratch);

    const Ext lo = std::min(from, to);
    const Ext hi = std::max(from, to);
    std::vector<Ext> ends { lo };
    for (const Ext x : crossings) {
        if (x > ends.back() && x < hi)
            ends.push_back(x);
    }
    ends.push_back(hi);
    IntegralResult area;
    for (std::size_t i = 0; i + 1 < ends.size(); ++i) {
        const IntegralResult piece = Integrate(difference, ends[i], ends[i + 1]);
        if (piece.problem != IntegralProblem::None)
            return piece;
        area.value += std::fabs(piece.value);
        area.error += piece.error;
        area.subintervals += piece.subintervals;
    }
    if (lo == hi) // both ends still need a value
        return Integrate(difference, lo, hi);
    return area;
}

std::vector<Ext> FindCrossings(const EvaluationRequest& f, const EvaluationRequest* g,
    const AnalysisScan& scan, AnalysisWork& work)
{
    SampledFormula first(f, scan.xs, &work);
    std::vector<CurvePoint> points;
    if (g) {
        SampledFormula second(*g, scan.xs, &work);
        points = FindIntersections(first, second, scan);
    } else {
        points = FindRoots(first, scan);
    }
    std::vector<Ext> xs;
    for (const CurvePoint& point : points)
        xs.push_back(point.x);
    return xs;
}

} // namespace velquor
