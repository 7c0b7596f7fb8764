#pragma once

#include "calc/evaluation_request.h"
#include "calc/compiled_formula.h"
#include "calc/ext.h"

#include <array>

namespace velquor {

// The formula of one curve, compiled once, giving the values of the curve's samples a run at a
// time. A formula without side effects is evaluated for the whole run before it is drawn; one
// that draws random numbers is evaluated as each sample is asked for, so that the sequence of
// random numbers stays the literal one even when drawing stops part way (an error while
// presenting) or another formula is evaluated between samples.
class CurveFormula
{
public:
    static constexpr int RunLength = CompiledFormula::BatchSize;

    explicit CurveFormula(const EvaluationRequest& request)
        : m_formula(request)
        , m_ahead(!m_formula.usesRandom())
    {
    }

    // Starts a run of samples at xs[0 .. count - 1], count <= RunLength; xs stays valid while
    // the run's values are read.
    void startRun(const Ext* xs, int count)
    {
        m_xs = xs;
        if (m_ahead)
            m_formula.evaluate(xs, m_values.data(), static_cast<std::size_t>(count));
    }

    // The value at sample `index` of the run; samples are asked for in order.
    Ext value(int index)
    {
        return m_ahead ? m_values[static_cast<std::size_t>(index)]
                       : m_formula.evaluate(m_xs[index]);
    }

private:
    CompiledFormula m_formula;
    bool m_ahead;
    const Ext* m_xs = nullptr;
    std::array<Ext, RunLength> m_values;
};

} // namespace velquor
