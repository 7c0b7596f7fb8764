// The batch runner: one operation over every sample of the batch, then the next. Only programs
// without side effects run here, so a nested scan may also be evaluated for samples whose scan
// has ended already, and of the entries a call reaches only the last (the one that gives the
// value) is evaluated.

#include "calc/builtin_functions.h"
#include "calc/compiled_formula.h"
#include "calc/formula_ops.h"
#include "calc/formula_program.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

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

    // Fused operations: a step that sets the term, with the power of x before it that gives its
    // operand and the end of the term or of the scan after it, in one loop over the batch. The
    // registers of the fused steps stay in the processor (extended values are costly to store),
    // the operations and their checks run in the same order. The power's value is a temporary of
    // the scan's step, read by nothing after the step, so it is not stored.
    enum class Ending { None, Term, Scan };

    bool consumesFactor(OpCode code)
    {
        return code == OpCode::SetTF || code == OpCode::MulF || code == OpCode::DivF
            || code == OpCode::ConstMulF;
    }

    // The steps of the term on a local term t; false when the scan ends with `result` (s: the
    // total, which a fault gives).
    bool termProduct(Ext& t, Ext operand, Ext s, Ext& result)
    {
        const Ext term = t * operand;
        if (!compiled::finite(term)) {
            result = s;
            return false;
        }
        t = term;
        return true;
    }
    bool termQuotient(Ext& t, Ext operand, Ext s, Ext& result)
    {
        if (operand == 0) {
            result = NoValue;
            return false;
        }
        const Ext term = t / operand;
        if (!compiled::finite(term)) {
            result = s;
            return false;
        }
        t = term;
        return true;
    }
    bool termValue(Ext& t, Ext operand, Ext s, Ext& result)
    {
        if (!compiled::finite(operand)) {
            result = s;
            return false;
        }
        t = operand;
        return true;
    }

    // Calls body with the step of `op` as a function (t, s, x, factor, result) and whether the
    // step reads the term before it, or returns false when `op` is no step of the term.
    template <typename Body> bool withTermStep(const Op& op, Body body)
    {
        const Ext c = op.constant;
        constexpr std::true_type readsTerm;
        constexpr std::false_type setsTerm;
        switch (op.code) {
        case OpCode::SetTX:
            body(setsTerm,
                [](Ext& t, Ext s, Ext x, Ext, Ext& result) { return termValue(t, x, s, result); });
            return true;
        case OpCode::SetTF:
            body(setsTerm,
                [](Ext& t, Ext s, Ext, Ext f, Ext& result) { return termValue(t, f, s, result); });
            return true;
        case OpCode::SetTConst:
            body(setsTerm, [c](Ext& t, Ext, Ext, Ext, Ext&) {
                t = c;
                return true;
            });
            return true;
        case OpCode::NegT:
            body(readsTerm, [](Ext& t, Ext, Ext, Ext, Ext&) {
                t = -t;
                return true;
            });
            return true;
        case OpCode::MulX:
            body(readsTerm, [](Ext& t, Ext s, Ext x, Ext, Ext& result) {
                return termProduct(t, x, s, result);
            });
            return true;
        case OpCode::MulF:
            body(readsTerm, [](Ext& t, Ext s, Ext, Ext f, Ext& result) {
                return termProduct(t, f, s, result);
            });
            return true;
        case OpCode::MulConst:
            body(readsTerm,
                [c](Ext& t, Ext s, Ext, Ext, Ext& result) { return termProduct(t, c, s, result); });
            return true;
        case OpCode::DivX:
            body(readsTerm, [](Ext& t, Ext s, Ext x, Ext, Ext& result) {
                return termQuotient(t, x, s, result);
            });
            return true;
        case OpCode::DivF:
            body(readsTerm, [](Ext& t, Ext s, Ext, Ext f, Ext& result) {
                return termQuotient(t, f, s, result);
            });
            return true;
        case OpCode::DivConst:
            body(readsTerm, [c](Ext& t, Ext s, Ext, Ext, Ext& result) {
                return termQuotient(t, c, s, result);
            });
            return true;
        case OpCode::ConstMulX:
            body(setsTerm, [c](Ext& t, Ext s, Ext x, Ext, Ext& result) {
                t = c;
                return termProduct(t, x, s, result);
            });
            return true;
        case OpCode::ConstMulF:
            body(setsTerm, [c](Ext& t, Ext s, Ext, Ext f, Ext& result) {
                t = c;
                return termProduct(t, f, s, result);
            });
            return true;
        default:
            return false;
        }
    }

    // Where the factor of a fused step comes from: the register F, or the result of the nested
    // scan just run (a group, bars, or the argument of a built-in function).
    struct Factor
    {
        const Ext* inner = nullptr; // nullptr: the register F
        bool bars = false;
        int builtin = -1;
        std::int32_t degreeMode = 0;
        bool powerOfFactor = false; // the power's base is the factor, not x
    };

    // The factor of sample i; false when the scan ends with `result` (a built-in function that
    // fails or faults).
    bool factorValue(const Factor& factor, const Registers& r, int i, Ext& f, Ext& result)
    {
        if (factor.inner == nullptr) {
            f = r.F;
            return true;
        }
        const Ext value = factor.bars ? fabsl(factor.inner[i]) : factor.inner[i];
        if (factor.builtin < 0) {
            f = value;
            return true;
        }
        switch (ApplyBuiltinIndex(factor.builtin, value, factor.degreeMode, f)) {
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

    // The fused step and the end of the term or scan after it; false when the scan ends with
    // `result`.
    template <Ending End, bool ReadsTerm, typename Step>
    bool stepAndEnd(Step& step, Registers& r, Ext x, Ext f, Ext& result)
    {
        Ext t = 0;
        if constexpr (ReadsTerm)
            t = r.T;
        if (!step(t, r.S, x, f, result))
            return false;
        if constexpr (End == Ending::Term) {
            const Ext total = r.S + t;
            if (!compiled::finite(total)) {
                result = r.S;
                return false;
            }
            r.S = total;
            // +0 written as bytes: a floating-point store of it would cost as much as the step.
            std::memset(static_cast<void*>(&r.T), 0, sizeof r.T);
        } else if constexpr (End == Ending::Scan) {
            const Ext sum = r.S + t;
            result = compiled::finite(sum) ? sum : r.S;
            return false; // the scan has its result
        } else {
            r.T = t;
        }
        return true;
    }

    template <bool Power, Ending End, bool ReadsTerm, typename Step>
    void fusedLoop(
        const Factor& factor, const Op& power, Step step, Level& level, const Ext* xs, int count)
    {
        using namespace compiled;
        const auto n = static_cast<std::uint32_t>(power.index);
        const bool negative = power.negative;
        if (factor.inner == nullptr && !factor.powerOfFactor) {
            eachRunning(level, xs, count, [&](Registers& r, Ext x, Ext& result) {
                Ext f = 0;
                if constexpr (Power) {
                    if (!powerOutcome(r, wholePowerRule(x, n, negative, f), result))
                        return false;
                } else {
                    f = r.F;
                }
                return stepAndEnd<End, ReadsTerm>(step, r, x, f, result);
            });
            return;
        }
        for (int i = 0; i < count; ++i) {
            if (level.done[i])
                continue;
            Registers& r = level.registers[i];
            const Ext x = xs[i];
            Ext result = 0;
            Ext f = 0;
            bool running = factorValue(factor, r, i, f, result);
            if (Power && running)
                running = powerOutcome(
                    r, wholePowerRule(factor.powerOfFactor ? f : x, n, negative, f), result);
            if (running && !stepAndEnd<End, ReadsTerm>(step, r, x, f, result))
                running = false;
            if (!running) {
                level.done[i] = 1;
                level.result[i] = result;
            }
        }
    }

    template <bool Power, typename ReadsTerm, typename Step>
    void fusedLoop(const Factor& factor, const Op& power, Ending end, ReadsTerm, Step step,
        Level& level, const Ext* xs, int count)
    {
        if (end == Ending::Term)
            fusedLoop<Power, Ending::Term, ReadsTerm::value>(factor, power, step, level, xs, count);
        else if (end == Ending::Scan)
            fusedLoop<Power, Ending::Scan, ReadsTerm::value>(factor, power, step, level, xs, count);
        else
            fusedLoop<Power, Ending::None, ReadsTerm::value>(factor, power, step, level, xs, count);
    }

    // Runs the fused operations from ops[first] when there are any; the number of operations
    // run (0: none fused here). With a factor from a nested scan, only operations that use the
    // factor are fused.
    std::size_t runFused(const std::vector<Op>& ops, std::size_t first, Factor factor, Level& level,
        const Ext* xs, int count)
    {
        std::size_t at = first;
        const Op* power = nullptr;
        if (at + 1 < ops.size() && ops[at].code == OpCode::PowXWhole && factor.inner == nullptr
            && consumesFactor(ops[at + 1].code)) {
            power = &ops[at];
            at += 1;
        } else if (at + 2 < ops.size() && ops[at].code == OpCode::CopyFToB
            && ops[at + 1].code == OpCode::PowBWhole && consumesFactor(ops[at + 2].code)) {
            // The base is dead after the power: the compiler reloads it before any other power.
            power = &ops[at + 1];
            factor.powerOfFactor = true;
            at += 2;
        }
        if (at >= ops.size())
            return 0;
        const Op& step = ops[at++];
        if ((power != nullptr || factor.inner != nullptr) && !consumesFactor(step.code))
            return 0;
        Ending end = Ending::None;
        if (at < ops.size() && ops[at].code == OpCode::EndTerm) {
            end = Ending::Term;
            ++at;
        } else if (at == ops.size()) {
            end = Ending::Scan;
        }
        if (power == nullptr && factor.inner == nullptr && end == Ending::None)
            return 0;
        const Op& powerOp = power != nullptr ? *power : step;
        const bool fused = withTermStep(step, [&](auto readsTerm, auto stepFunction) {
            if (power != nullptr)
                fusedLoop<true>(factor, powerOp, end, readsTerm, stepFunction, level, xs, count);
            else
                fusedLoop<false>(factor, powerOp, end, readsTerm, stepFunction, level, xs, count);
        });
        return fused ? at - first : 0;
    }

    // F = the factor, for every sample still running.
    void storeFactor(const Factor& factor, Level& level, int count)
    {
        for (int i = 0; i < count; ++i) {
            if (level.done[i])
                continue;
            Registers& r = level.registers[i];
            Ext result = 0;
            Ext f = 0;
            if (factorValue(factor, r, i, f, result)) {
                r.F = f;
            } else {
                level.done[i] = 1;
                level.result[i] = result;
            }
        }
    }

    // A scan of simple terms only (a constant, x, a constant times x, a whole power of x, a
    // constant times one) runs as one loop over the batch, the total kept in the processor from
    // the first term to the last: the same steps and checks as the operations, in their order.
    struct SimpleTerm
    {
        enum Kind : std::uint8_t { Const, X, ConstX, Pow, ConstPow } kind = Const;
        bool negative = false; // the power's exponent is -n
        bool ended = false; // an EndTerm follows
        std::uint32_t n = 0;
        Ext c = 0;
    };

    bool simpleTerms(const std::vector<Op>& ops, std::vector<SimpleTerm>& terms)
    {
        terms.clear();
        for (std::size_t k = 0; k < ops.size();) {
            SimpleTerm term;
            const Op& op = ops[k];
            if (op.code == OpCode::PowXWhole && k + 1 < ops.size()
                && (ops[k + 1].code == OpCode::SetTF || ops[k + 1].code == OpCode::ConstMulF)) {
                term.kind
                    = ops[k + 1].code == OpCode::SetTF ? SimpleTerm::Pow : SimpleTerm::ConstPow;
                term.n = static_cast<std::uint32_t>(op.index);
                term.negative = op.negative;
                term.c = ops[k + 1].constant;
                k += 2;
            } else if (op.code == OpCode::SetTConst || op.code == OpCode::SetTX
                || op.code == OpCode::ConstMulX) {
                term.kind = op.code == OpCode::SetTConst ? SimpleTerm::Const
                    : op.code == OpCode::SetTX           ? SimpleTerm::X
                                                         : SimpleTerm::ConstX;
                term.c = op.constant;
                k += 1;
            } else {
                return false;
            }
            if (k < ops.size()) {
                if (ops[k].code != OpCode::EndTerm)
                    return false;
                term.ended = true;
                ++k;
            }
            terms.push_back(term);
        }
        return !terms.empty();
    }

    // The whole power of a simple term; false on a fault. Squares and cubes take the steps of the
    // power rule written out (1 * v is v, bit for bit), others the rule itself.
    inline bool simplePower(Ext x, const SimpleTerm& term, Ext& f)
    {
        if (term.negative || term.n > 3 || term.n < 2 || x == 0)
            return compiled::wholePowerRule(x, term.n, term.negative, f) == Outcome::Value;
        if (term.n == 3 && !compiled::finite(x))
            return false;
        const Ext square = x * x;
        if (!compiled::finite(square))
            return false;
        f = term.n == 2 ? square : x * square;
        return compiled::finite(f);
    }

    // The value of the scan for x (s: the total so far).
    Ext simpleScan(const SimpleTerm* terms, std::size_t count, Ext x)
    {
        Ext s = 0;
        Ext t = 0;
        for (std::size_t k = 0; k < count; ++k) {
            const SimpleTerm& term = terms[k];
            switch (term.kind) {
            case SimpleTerm::Const:
                t = term.c;
                break;
            case SimpleTerm::X:
                if (!compiled::finite(x))
                    return s;
                t = x;
                break;
            case SimpleTerm::ConstX:
                t = term.c * x;
                if (!compiled::finite(t))
                    return s;
                break;
            default: {
                Ext f = 0;
                if (!simplePower(x, term, f))
                    return s;
                t = term.kind == SimpleTerm::Pow ? f : term.c * f;
                if (!compiled::finite(t))
                    return s;
            }
            }
            if (term.ended) {
                const Ext total = s + t;
                if (!compiled::finite(total))
                    return s;
                s = total;
                t = 0;
            }
        }
        const Ext sum = s + t;
        return compiled::finite(sum) ? sum : s;
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
    thread_local std::vector<SimpleTerm> terms;
    if (simpleTerms(scan.ops, terms)) {
        for (int i = 0; i < count; ++i)
            level.result[i] = simpleScan(terms.data(), terms.size(), xs[i]);
        return;
    }
    // All-zero bytes are +0 in every register; copying a zero register by register would go
    // through the floating-point unit, one extended load and store each.
    std::memset(static_cast<void*>(level.registers.data()), 0,
        sizeof(Registers) * static_cast<std::size_t>(count));
    std::memset(level.done.data(), 0, static_cast<std::size_t>(count));
    const std::vector<Op>& ops = scan.ops;
    for (std::size_t k = 0; k < ops.size();) {
        const Op& op = ops[k];
        if (op.code == OpCode::Group || op.code == OpCode::Bars || op.code == OpCode::Builtin) {
            runBatch(op.scan, xs, count);
            Factor factor;
            factor.inner = m_levels[static_cast<std::size_t>(scan.depth) + 1].result.data();
            factor.bars = op.code == OpCode::Bars;
            factor.builtin = op.code == OpCode::Builtin ? op.index : -1;
            factor.degreeMode = program.degreeMode;
            const std::size_t fused = runFused(ops, k + 1, factor, level, xs, count);
            if (fused == 0)
                storeFactor(factor, level, count);
            k += 1 + fused;
            continue;
        }
        const std::size_t fused = runFused(ops, k, Factor {}, level, xs, count);
        if (fused > 0) {
            k += fused;
            continue;
        }
        if (!runArithmetic(program, op, level, xs, count))
            runNestedBatch(op, level, xs, count);
        ++k;
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
}

} // namespace velquor
