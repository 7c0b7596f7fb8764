#pragma once

#include "calc/evaluate.h"

#include <cstdint>
#include <string_view>

namespace velquor {

// The work one analysis of curves (zeros, extrema, crossings, an integral) may do, in the
// evaluation budget's units (the characters the evaluations scan plus NestedEvaluationCost
// per evaluation): as much as one whole redraw, so that an analysis ends as promptly as a
// redraw however costly its formulas. Counting work instead of time keeps the outcome the same
// on every machine and at every load.
inline constexpr std::uint64_t AnalysisWorkBudget = 25 * EvaluationBudget;

// What an analysis that ran out of its work says beside what it found before.
inline constexpr std::string_view AnalysisCutShortMessage
    = "計算量が上限を超えたため、解析を途中で打ち切りました。見つかった分だけを表示します";

// The work counter of one analysis, shared by every formula it evaluates.
class AnalysisWork
{
public:
    explicit AnalysisWork(std::uint64_t budget = AnalysisWorkBudget)
        : m_budget(budget)
    {
    }

    // The work an evaluation may still start with: 0 once the budget is spent. No evaluation
    // does more than EvaluationBudget, so an analysis does at most budget + EvaluationBudget.
    std::uint64_t left() const { return m_done >= m_budget ? 0 : m_budget - m_done; }

    // Adds the work of evaluations done; false once the budget is spent.
    bool charge(std::uint64_t units)
    {
        m_done += units;
        return m_done < m_budget;
    }

    // True once the work passed the budget: the analysis stopped early and its results are
    // what it found until then.
    bool spent() const { return m_done >= m_budget; }
    std::uint64_t done() const { return m_done; }

private:
    std::uint64_t m_budget;
    std::uint64_t m_done = 0;
};

} // namespace velquor
