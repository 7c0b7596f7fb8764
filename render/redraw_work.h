#pragma once

#include "calc/evaluate.h"

#include <algorithm>
#include <cstdint>

namespace velquor {

// The work of one redraw, counted in the evaluation budget's units (the characters the
// evaluations scan plus NestedEvaluationCost per evaluation), so that every redraw ends
// promptly however many samples it evaluates and however costly each is. One curve may do
// CurveWorkBudget; all curves of a redraw together RedrawWorkBudget. Counting work instead
// of time keeps the outcome the same on every machine and at every load.
inline constexpr std::uint64_t CurveWorkBudget = 10 * EvaluationBudget;
inline constexpr std::uint64_t RedrawWorkBudget = 25 * EvaluationBudget;

class RedrawWork
{
public:
    // A new curve starts with its own budget (what the redraw has left, at most).
    void startCurve() { m_curve = 0; }

    // The work the current curve may still do. An evaluation is started only while this is
    // nonzero, and none does more than EvaluationBudget, so a redraw does at most
    // RedrawWorkBudget + EvaluationBudget.
    std::uint64_t curveLeft() const
    {
        if (m_curve >= CurveWorkBudget || m_redraw >= RedrawWorkBudget)
            return 0;
        return std::min(CurveWorkBudget - m_curve, RedrawWorkBudget - m_redraw);
    }

    // Adds the work of one evaluation. Throws Error when it passes what the curve may do; the
    // work still counts for the redraw.
    // Inline, as every drawn sample is charged.
    void charge(std::uint64_t units)
    {
        const bool within = units <= curveLeft();
        m_curve += units;
        m_redraw += units;
        if (!within)
            throwSpent();
    }

    std::uint64_t curveWork() const { return m_curve; }
    std::uint64_t redrawWork() const { return m_redraw; }

    // The samples the formulas evaluated (not those read from the values kept before).
    void noteEvaluated(std::uint64_t samples) { m_evaluated += samples; }
    std::uint64_t evaluatedSamples() const { return m_evaluated; }

private:
    [[noreturn]] static void throwSpent();

    // The two counters apart in memory: side by side, the compiler adds them as one vector
    // and the next sample's charge reads half of it back, which waits for the whole store.
    std::uint64_t m_curve = 0;
    std::uint64_t m_evaluated = 0;
    std::uint64_t m_redraw = 0;
};

} // namespace velquor
