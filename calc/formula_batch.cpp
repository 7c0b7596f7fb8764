// The batch runner: one operation over every sample of the batch, then the next. Only programs
// without side effects run here, so a nested scan may also be evaluated for samples whose scan
// has ended already, and of the entries a call reaches only the last (the one that gives the
// value) is evaluated.

#include "calc/builtin_functions.h"
#include "calc/compiled_formula.h"
#include "calc/formula_ops.h"
#include "calc/formula_program.h"

#include <algorithm>

namespace velquor {

using compiled::Registers;

namespace {

    using Level = CompiledFormula::Level;

    // Applies `step` to every sample whose scan is still running; a step that returns false
    // ends the sample's scan with the result it gives.
    template <typename Step> void eachRunning(Level& level, const Ext* xs, int count, Step step)
    {
        for (int i = 0; i < count; ++i) {
            if (level.done[i])
                continue;
            Ext result = 0;
            if (!step(level.registers[i], xs[i], result)) {
                level.done[i] = 1;
                level.result[i] = result;
            }
        }
    }

    // The arithmetic operations, each as one loop over the batch.
    bool runArithmetic(
        const FormulaProgram& program, const Op& op, Level& level, const Ext* xs, int count)
    {
        using namespace compiled;
        const Ext c = op.constant;
        switch (op.code) {
        case OpCode::EndTerm:
            eachRunning(level, xs, count, [](Registers& r, Ext, Ext& result) {
                const Ext total = r.S + r.T;
                if (!finite(total)) {
                    result = r.S;
                    return false;
                }
                r.S = total;
                r.T = 0;
                return true;
            });
            return true;
        case OpCode::SetTConst:
            eachRunning(level, xs, count, [c](Registers& r, Ext, Ext&) {
                r.T = c;
                return true;
            });
            return true;
        case OpCode::SetTX:
            eachRunning(level, xs, count,
                [](Registers& r, Ext x, Ext& result) { return setTerm(r, x, result); });
            return true;
        case OpCode::SetTF:
            eachRunning(level, xs, count,
                [](Registers& r, Ext, Ext& result) { return setTerm(r, r.F, result); });
            return true;
        case OpCode::MulX:
            eachRunning(level, xs, count,
                [](Registers& r, Ext x, Ext& result) { return multiply(r, x, result); });
            return true;
        case OpCode::MulF:
            eachRunning(level, xs, count,
                [](Registers& r, Ext, Ext& result) { return multiply(r, r.F, result); });
            return true;
        case OpCode::MulConst:
            eachRunning(level, xs, count,
                [c](Registers& r, Ext, Ext& result) { return multiply(r, c, result); });
            return true;
        case OpCode::ConstMulX:
            eachRunning(level, xs, count, [c](Registers& r, Ext x, Ext& result) {
                r.T = c;
                return multiply(r, x, result);
            });
            return true;
        case OpCode::ConstMulF:
            eachRunning(level, xs, count, [c](Registers& r, Ext, Ext& result) {
                r.T = c;
                return multiply(r, r.F, result);
            });
            return true;
        case OpCode::DivX:
            eachRunning(level, xs, count,
                [](Registers& r, Ext x, Ext& result) { return divide(r, x, result); });
            return true;
        case OpCode::DivF:
            eachRunning(level, xs, count,
                [](Registers& r, Ext, Ext& result) { return divide(r, r.F, result); });
            return true;
        case OpCode::DivConst:
            eachRunning(level, xs, count,
                [c](Registers& r, Ext, Ext& result) { return divide(r, c, result); });
            return true;
        case OpCode::PowXWhole: {
            const auto n = static_cast<std::uint32_t>(op.index);
            const bool negative = op.negative;
            eachRunning(level, xs, count, [n, negative](Registers& r, Ext x, Ext& result) {
                return powerOutcome(r, wholePowerRule(x, n, negative, r.F), result);
            });
            return true;
        }
        case OpCode::Group:
        case OpCode::Bars:
        case OpCode::Builtin:
        case OpCode::Call:
        case OpCode::Discard:
            return false;
        default:
            eachRunning(level, xs, count, [&program, &op](Registers& r, Ext x, Ext& result) {
                return runOp(program, op, r, x, result);
            });
            return true;
        }
    }

} // namespace

void CompiledFormula::runBatch(std::int32_t index, const Ext* xs, int count)
{
    const FormulaProgram& program = *m_program;
    const Scan& scan = program.scans[static_cast<std::size_t>(index)];
    Level& level = m_levels[static_cast<std::size_t>(scan.depth)];
    if (scan.isConstant) {
        std::fill_n(level.result.begin(), count, scan.constant);
        return;
    }
    std::fill_n(level.registers.begin(), count, Registers {});
    std::fill_n(level.done.begin(), count, std::uint8_t(0));
    for (const Op& op : scan.ops) {
        if (!runArithmetic(program, op, level, xs, count))
            runNestedBatch(op, level, xs, count);
    }
    for (int i = 0; i < count; ++i) {
        if (level.done[i])
            continue;
        const Registers& r = level.registers[i];
        const Ext sum = r.S + r.T;
        level.result[i] = compiled::finite(sum) ? sum : r.S;
    }
}

// The nested scan runs over the whole batch one level deeper; its results become F.
void CompiledFormula::runNestedBatch(const Op& op, Level& level, const Ext* xs, int count)
{
    const FormulaProgram& program = *m_program;
    if (op.code == OpCode::Discard)
        return; // only programs with random numbers keep arguments for their side effects
    const Level& inner = m_levels[static_cast<std::size_t>(
        program.scans[static_cast<std::size_t>(op.scan)].depth)];
    if (op.code == OpCode::Call) {
        const CallSite& site = program.calls[static_cast<std::size_t>(op.index)];
        runBatch(site.argument, xs, count);
        const Level& argumentLevel = m_levels[static_cast<std::size_t>(
            program.scans[static_cast<std::size_t>(site.argument)].depth)];
        std::copy_n(argumentLevel.result.begin(), count, level.argument.begin());
        const std::int32_t callee = site.callees.back();
        if (callee >= 0)
            runBatch(callee, level.argument.data(), count);
        const Level& calleeLevel = callee >= 0 ? m_levels[static_cast<std::size_t>(
                                       program.scans[static_cast<std::size_t>(callee)].depth)]
                                               : level;
        for (int i = 0; i < count; ++i)
            level.registers[i].F = callee >= 0 ? calleeLevel.result[i] : NoValue;
        return;
    }
    runBatch(op.scan, xs, count);
    if (op.code == OpCode::Group) {
        for (int i = 0; i < count; ++i)
            level.registers[i].F = inner.result[i];
        return;
    }
    if (op.code == OpCode::Bars) {
        for (int i = 0; i < count; ++i)
            level.registers[i].F = fabsl(inner.result[i]);
        return;
    }
    const std::int32_t degreeMode = program.degreeMode;
    eachRunning(level, inner.result.data(), count, [&](Registers& r, Ext argument, Ext& result) {
        switch (ApplyBuiltinIndex(op.index, argument, degreeMode, r.F)) {
        case BuiltinLookup::Fail:
            result = NoValue;
            return false;
        case BuiltinLookup::Fault:
            result = r.S;
            return false;
        default:
            return true;
        }
    });
}

} // namespace velquor
