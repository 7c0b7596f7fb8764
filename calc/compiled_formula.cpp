#include "calc/compiled_formula.h"

#include "calc/builtin_functions.h"
#include "calc/evaluate.h"
#include "calc/ext_math.h"
#include "calc/formula_ops.h"
#include "calc/formula_program.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace velquor {

namespace compiled {

    namespace {

        // The nested evaluations of one operation; false when the scan ends with `result`.
        bool runNested(
            const FormulaProgram& program, const Op& op, Registers& r, Ext x, Ext& result)
        {
            switch (op.code) {
            case OpCode::Group:
                r.F = runScan(program, op.scan, x);
                return true;
            case OpCode::Bars:
                r.F = fabsl(runScan(program, op.scan, x));
                return true;
            case OpCode::Builtin: {
                const Ext argument = runScan(program, op.scan, x);
                switch (ApplyBuiltinIndex(op.index, argument, program.degreeMode, r.F)) {
                case BuiltinLookup::Fail:
                    result = NoValue;
                    return false;
                case BuiltinLookup::Fault:
                    result = r.S;
                    return false;
                default:
                    return true;
                }
            }
            case OpCode::Call: {
                const CallSite& site = program.calls[static_cast<std::size_t>(op.index)];
                const Ext argument = runScan(program, site.argument, x);
                Ext value = 0;
                for (const std::int32_t callee : site.callees)
                    value = callee < 0 ? NoValue : runScan(program, callee, argument);
                r.F = value;
                return true;
            }
            default: // Discard
                runScan(program, op.scan, x);
                return true;
            }
        }

    } // namespace

    bool runOp(const FormulaProgram& program, const Op& op, Registers& r, Ext x, Ext& result)
    {
        if (isNested(op.code))
            return runNested(program, op, r, x, result);
        return arithmeticOp(op, r, x, result);
    }

    Ext runScan(const FormulaProgram& program, std::int32_t index, Ext x)
    {
        const Scan& scan = program.scans[static_cast<std::size_t>(index)];
        if (scan.isConstant)
            return scan.constant;
        Registers r;
        Ext result = 0;
        for (const Op& op : scan.ops) {
            if (!runOp(program, op, r, x, result))
                return result;
        }
        const Ext sum = r.S + r.T;
        return finite(sum) ? sum : r.S;
    }

} // namespace compiled

using compiled::runScan;

CompiledFormula::CompiledFormula(const EvaluationRequest& request)
    : m_request(request)
    , m_program(CompileFormula(request))
{
    if (m_program && !m_program->usesRandom && m_program->maxDepth <= compiled::MaxBatchDepth) {
        m_batched = true;
        m_plan = planBatch(*m_program);
    }
}

CompiledFormula::~CompiledFormula() = default;

bool CompiledFormula::usesRandom() const
{
    return !m_program || m_program->usesRandom;
}

std::uint64_t CompiledFormula::compileWork() const
{
    return m_program ? m_program->work : CompileLimit;
}

std::uint64_t CompiledFormula::sampleWork() const
{
    return m_program ? m_program->work : m_lastWork;
}

Ext CompiledFormula::evaluate(Ext x)
{
    if (!m_program) {
        m_request.x = x;
        return Evaluate(m_request, m_lastWork);
    }
    return runScan(*m_program, 0, x);
}

void CompiledFormula::evaluate(const Ext* xs, Ext* results, std::size_t count)
{
    if (!m_batched) {
        for (std::size_t i = 0; i < count; ++i)
            results[i] = evaluate(xs[i]);
        return;
    }
    if (!m_levels) { // left uninitialised: every batch writes before it reads
        m_levels.reset(new Level[static_cast<std::size_t>(m_program->maxDepth) + 1]);
        m_output.reset(new Ext[BatchSize]);
    }
    // A pass reads x again after writing values of other samples (when a flag sends it to the
    // checked pass), so results that share memory with xs go through m_output.
    const auto address = [](const Ext* p) { return reinterpret_cast<std::uintptr_t>(p); };
    const std::uintptr_t bytes = count * sizeof(Ext);
    const bool apart = address(results) + bytes <= address(xs) || address(xs) + bytes <= address(results);
    for (std::size_t first = 0; first < count; first += BatchSize) {
        const int n = static_cast<int>(std::min<std::size_t>(BatchSize, count - first));
        if (apart) {
            runTopBatch(xs + first, n, results + first);
        } else {
            runTopBatch(xs + first, n, m_output.get());
            std::copy_n(m_output.get(), n, results + first);
        }
    }
}

} // namespace velquor
