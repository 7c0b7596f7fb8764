#pragma once

#include "calc/evaluation_request.h"
#include "calc/ext.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace velquor {

class DualBatch;
struct FormulaProgram;

// A value of a formula with its derivative dy/dx.
struct ValueAndSlope
{
    Ext value = 0; // as CompiledFormula::evaluate gives it (NoValue without value)
    bool hasSlope = false;
    Ext slope = 0; // dy/dx where hasSlope
};

// A formula compiled once and evaluated together with its exact derivative by forward-mode
// automatic differentiation: every operation of the compiled program carries the derivative of
// its result beside the value, through every built-in function and every call of another
// graph. The value part runs the same steps as CompiledFormula, so it is bit-identical to the
// drawers' value (and draws the same sequence of "random").
//
// Where the derivative has no value: where the formula has none (a failure, also inside a
// group or an argument that depends on x, whose stand-in value 999999 has no slope), where an
// overflow ended the evaluation with a partial sum, where a built-in function has no
// derivative (see BuiltinDerivative), where |u| meets 0 with u changing, where a power's base
// is 0 and the power is not smooth there, where the derivative overflows, and always for a
// formula left to the literal scan (one whose work could reach the evaluation budget) and for
// parts that draw random numbers. A part that does not depend on x has slope 0, whatever value
// the language gives it. Not thread-safe.
class DifferentiatedFormula
{
public:
    explicit DifferentiatedFormula(const EvaluationRequest& request);
    ~DifferentiatedFormula();
    DifferentiatedFormula(const DifferentiatedFormula&) = delete;
    DifferentiatedFormula& operator=(const DifferentiatedFormula&) = delete;

    // The value and the derivative at x.
    ValueAndSlope evaluate(Ext x);

    // values[i], slopes[i] for xs[i], i = 0 .. count - 1, in order; a slope without value is
    // NaN. Either output may be null. Bit-identical to evaluate(x) sample by sample; programs
    // of arithmetic and groups run a batch at a time (calc/dual_batch.h).
    void evaluate(const Ext* xs, Ext* values, Ext* slopes, std::size_t count);

    // The work of one evaluation in the budget's units, as CompiledFormula::sampleWork.
    std::uint64_t sampleWork() const;

    // False when the formula is left to the literal scan: evaluate() then gives no slope.
    bool isCompiled() const { return m_program != nullptr; }

    // True when the batch form runs a batch at a time (where no flag is raised).
    bool runsInBatches() const { return m_batch != nullptr; }

private:
    struct Runner;

    void evaluateOneByOne(const Ext* xs, Ext* values, Ext* slopes, std::size_t count);

    EvaluationRequest m_request;
    std::unique_ptr<FormulaProgram> m_program;
    // Of each scan: depends on x (or draws random numbers); applies "random".
    std::vector<std::uint8_t> m_dependsOnX;
    std::vector<std::uint8_t> m_draws;
    std::unique_ptr<DualBatch> m_batch; // null when the program has steps it cannot take
    std::uint64_t m_lastWork = 0;
};

} // namespace velquor
