#include "render/graph_analysis.h"

#include "calc/analysis_work.h"
#include "calc/number_text.h"
#include "document/document.h"
#include "render/draw_context.h"
#include "render/kept_random_seed.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace velquor {
namespace {

    bool isFunctionGraph(const GraphEntry& entry)
    {
        return entry.kind == static_cast<std::int32_t>(GraphKind::Function) && entry.deleted == 0;
    }

    SampledFormula sampled(const Document& document, const GraphEntry& entry,
        const AnalysisScan& scan, AnalysisWork& work)
    {
        EvaluationRequest request = buildRequest(document, entry);
        request.formula = entry.formula1;
        return SampledFormula(request, scan.xs, &work);
    }

} // namespace

AnalysisScan VisibleScan(const Document& document, int width, int height, char decimalPoint)
{
    const Ext ratio = StrToFloat(document.settings().ratio, decimalPoint);
    if (document.Zoom == 0)
        throwDivisionByZero();
    const Ext zoom = document.Zoom;
    AnalysisScan scan;
    scan.xs.reserve(static_cast<std::size_t>(std::max(width, 0)) + 1);
    for (int column = 0; column <= width; ++column)
        scan.xs.push_back(Ext(std::int64_t(column) - document.CX) / zoom);
    if (zoom < 0) // a zoom below 1 is only ever passing (keyboard zoom in full screen)
        std::reverse(scan.xs.begin(), scan.xs.end());
    const Ext pixelsPerUnit = std::fabs(zoom * ratio);
    scan.jumpLimit
        = pixelsPerUnit == 0 ? std::numeric_limits<Ext>::infinity() : Ext(height) / pixelsPerUnit;
    scan.derivativeStep = 1 / std::fabs(zoom) / 16;
    return scan;
}

std::vector<GraphFeature> AnalyseFunctionGraph(
    const Document& document, int slot, int width, int height, char decimalPoint, bool* cutShort)
{
    const GraphEntry& analysed = document.entry(slot);
    if (slot >= document.graphCount() || !isFunctionGraph(analysed))
        throw std::invalid_argument("AnalyseFunctionGraph: not a function graph");
    const AnalysisScan scan = VisibleScan(document, width, height, decimalPoint);
    const KeptRandomSeed keptSeed;
    AnalysisWork work;

    std::vector<GraphFeature> features;
    SampledFormula f = sampled(document, analysed, scan, work);
    for (const CurvePoint& root : FindRoots(f, scan))
        features.push_back({ FeatureKind::Root, root.x, 0, -1 });
    for (const Extremum& extremum : FindExtrema(f, scan))
        features.push_back({ extremum.maximum ? FeatureKind::Maximum : FeatureKind::Minimum,
            extremum.x, extremum.y, -1 });

    std::vector<GraphFeature> crossings;
    for (int other = 0; other < document.graphCount(); ++other) {
        const GraphEntry& entry = document.entry(other);
        if (other == slot || entry.visible == 0 || !isFunctionGraph(entry))
            continue;
        if (work.spent())
            break;
        SampledFormula g = sampled(document, entry, scan, work);
        for (const CurvePoint& point : FindIntersections(f, g, scan))
            crossings.push_back({ FeatureKind::Intersection, point.x, point.y, other });
    }
    std::stable_sort(crossings.begin(), crossings.end(),
        [](const GraphFeature& a, const GraphFeature& b) { return a.x < b.x; });
    features.insert(features.end(), crossings.begin(), crossings.end());
    if (cutShort)
        *cutShort = work.spent();
    return features;
}

} // namespace velquor
