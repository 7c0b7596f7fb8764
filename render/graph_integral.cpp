#include "render/graph_integral.h"

#include "calc/analysis_work.h"
#include "calc/compiled_formula.h"
#include "calc/error.h"
#include "calc/evaluate.h"
#include "calc/formula_integral.h"
#include "calc/number_text.h"
#include "document/document.h"
#include "render/draw_context.h"
#include "render/kept_random_seed.h"
#include "render/view_transform.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>

namespace velquor {
namespace {

    // The crossings of an area are looked for on at most this many samples.
    constexpr Ext MostCrossingSamples = 100000;

    const GraphEntry& functionGraph(const Document& document, int slot)
    {
        if (slot < 0 || slot >= document.graphCount()
            || document.entry(slot).kind != static_cast<std::int32_t>(GraphKind::Function)
            || document.entry(slot).deleted != 0)
            throw std::invalid_argument("not a function graph");
        return document.entry(slot);
    }

    EvaluationRequest requestOf(const Document& document, int slot)
    {
        const GraphEntry& entry = functionGraph(document, slot);
        EvaluationRequest request = buildRequest(document, entry);
        request.formula = entry.formula1;
        return request;
    }

    Ext zoomOf(const Document& document)
    {
        if (document.Zoom == 0)
            throwDivisionByZero();
        return document.Zoom;
    }

} // namespace

GraphIntegral IntegrateFunctionGraph(
    const Document& document, int slot, int other, Ext from, Ext to, int height, char decimalPoint)
{
    const Ext ratio = StrToFloat(document.settings().ratio, decimalPoint);
    const Ext zoom = zoomOf(document);
    const EvaluationRequest f = requestOf(document, slot);
    std::optional<EvaluationRequest> g;
    if (other != XAxis)
        g = requestOf(document, other);
    const KeptRandomSeed keptSeed;

    GraphIntegral result;
    AnalysisWork integralWork;
    result.integral = IntegrateFormula(f, from, to, integralWork);

    const Ext lo = std::min(from, to);
    const Ext hi = std::max(from, to);
    AnalysisWork areaWork;
    if (std::isfinite(hi - lo) && hi > lo) {
        const Ext columns = std::ceil((hi - lo) * std::fabs(zoom));
        const int count = static_cast<int>(std::clamp<Ext>(columns, 16, MostCrossingSamples));
        AnalysisScan scan = UniformScan(lo, hi, count);
        const Ext pixelsPerUnit = std::fabs(zoom * ratio);
        scan.jumpLimit = pixelsPerUnit == 0 ? std::numeric_limits<Ext>::infinity()
                                            : Ext(height) / pixelsPerUnit;
        result.crossings = FindCrossings(f, g ? &*g : nullptr, scan, areaWork);
    }
    result.area = areaWork.spent()
        ? IntegralResult { IntegralProblem::WorkSpent, 0, 0, 0, 0 }
        : AreaBetween(f, g ? &*g : nullptr, from, to, result.crossings, areaWork);
    return result;
}

std::vector<ShadedColumn> ShadedArea(const Document& document, int slot, int other, Ext from,
    Ext to, int width, int height, char decimalPoint)
{
    const Ext ratio = StrToFloat(document.settings().ratio, decimalPoint);
    const Ext zoom = zoomOf(document);
    const Ext lo = std::min(from, to);
    const Ext hi = std::max(from, to);
    std::vector<int> columns;
    std::vector<Ext> xs;
    for (int column = 0; column <= width; ++column) {
        const Ext x = Ext(std::int64_t(column) - document.CX) / zoom;
        if (x >= lo && x <= hi) {
            columns.push_back(column);
            xs.push_back(x);
        }
    }
    const KeptRandomSeed keptSeed;
    AnalysisWork work;
    std::vector<Ext> fs(xs.size());
    std::vector<Ext> gs(xs.size(), 0);
    CompiledFormula f(requestOf(document, slot));
    f.evaluate(xs.data(), fs.data(), xs.size());
    work.charge(f.sampleWork() * xs.size());
    if (other != XAxis) {
        CompiledFormula g(requestOf(document, other));
        g.evaluate(xs.data(), gs.data(), xs.size());
        work.charge(g.sampleWork() * xs.size());
    }
    std::vector<ShadedColumn> shaded;
    if (work.spent())
        return shaded;
    const auto row = [&](Ext y) -> std::optional<int> {
        const auto offset = verticalOffset(y, zoom, ratio);
        if (!offset)
            return std::nullopt;
        const std::int64_t r = std::int64_t(document.CY) + *offset;
        return static_cast<int>(std::clamp<std::int64_t>(r, -2, std::int64_t(height) + 2));
    };
    for (std::size_t i = 0; i < xs.size(); ++i) {
        if (fs[i] == NoValue || gs[i] == NoValue)
            continue;
        const auto a = row(fs[i]);
        const auto b = row(gs[i]);
        if (!a || !b)
            continue;
        shaded.push_back({ columns[i], std::min(*a, *b), std::max(*a, *b) });
    }
    return shaded;
}

} // namespace velquor
