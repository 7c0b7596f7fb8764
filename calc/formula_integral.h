#pragma once

#include "calc/curve_analysis.h"
#include "calc/evaluation_request.h"
#include "calc/quadrature.h"

#include <vector>

namespace velquor {

class AnalysisWork;

// The integral of y = request.formula from `from` to `to`, the values as the drawers compute
// them, every evaluation charged to `work` (spent: the result is refused with WorkSpent).
IntegralResult IntegrateFormula(
    const EvaluationRequest& request, Ext from, Ext to, AnalysisWork& work);

// The area between y = f and y = g (the x axis when g is null) from `from` to `to`: the integral
// of |f - g|, taken as the sum of |integral of f - g| over the pieces between the crossings
// (ascending, inside the range), so that no piece has a kink. Positive whatever the order of
// the ends. Refused as soon as one piece is.
IntegralResult AreaBetween(const EvaluationRequest& f, const EvaluationRequest* g, Ext from, Ext to,
    const std::vector<Ext>& crossings, AnalysisWork& work);

// The crossings of f with g (with the x axis when g is null) on the scan, for AreaBetween.
std::vector<Ext> FindCrossings(const EvaluationRequest& f, const EvaluationRequest* g,
    const AnalysisScan& scan, AnalysisWork& work);

} // namespace velquor
