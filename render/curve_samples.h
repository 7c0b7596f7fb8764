#pragma once

#include "calc/evaluation_request.h"
#include "calc/compiled_formula.h"
#include "calc/ext.h"
#include "render/redraw_work.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace velquor {

// The formula of one curve, compiled once, giving the values of the curve's samples a run at a
// time. A formula without side effects is evaluated for the whole run before it is drawn; one
// that draws random numbers is evaluated as each sample is asked for, so that the sequence of
// random numbers stays the literal one even when drawing stops part way (an error while
// presenting) or another formula is evaluated between samples. With a work bound, every value
// asked for is charged its evaluation's work, and the sample that passes the bound throws
// Error instead of giving its value; samples beyond what the bound allows are not evaluated.
class CurveFormula
{
public:
    static constexpr int RunLength = CompiledFormula::BatchSize;

    explicit CurveFormula(const EvaluationRequest& request, RedrawWork* work = nullptr)
        : m_formula(request)
        , m_ahead(!m_formula.usesRandom())
        , m_work(work)
    {
    }

    // Starts a run of samples at xs[0 .. count - 1], count <= RunLength; xs stays valid while
    // the run's values are read.
    void startRun(const Ext* xs, int count)
    {
        m_xs = xs;
        if (!m_ahead)
            return;
        if (m_work) { // the samples the bound cannot pay for are never asked for
            const std::uint64_t each = std::max<std::uint64_t>(1, m_formula.sampleWork());
            count = static_cast<int>(std::min<std::uint64_t>(
                static_cast<std::uint64_t>(count), m_work->curveLeft() / each));
        }
        m_formula.evaluate(xs, m_values.data(), static_cast<std::size_t>(count));
    }

    // The value at sample `index` of the run; samples are asked for in order.
    Ext value(int index)
    {
        if (m_ahead) {
            if (m_work)
                m_work->charge(m_formula.sampleWork());
            return m_values[static_cast<std::size_t>(index)];
        }
        if (m_work && m_work->curveLeft() == 0)
            m_work->charge(1); // spent: throws before evaluating
        const Ext value = m_formula.evaluate(m_xs[index]);
        if (m_work)
            m_work->charge(m_formula.sampleWork());
        return value;
    }

private:
    CompiledFormula m_formula;
    bool m_ahead;
    RedrawWork* m_work;
    const Ext* m_xs = nullptr;
    std::array<Ext, RunLength> m_values;
};

} // namespace velquor
