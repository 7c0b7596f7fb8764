// The batch runner. The nested evaluations of a scan (groups, bars, arguments, called formulas)
// depend on x only, so they run first, each over the whole batch, into value arrays; then the
// scan's own operations run over the batch (calc/vector_pass.h says how). Only
// programs without side effects run here, so a nested scan may also be evaluated for samples
// whose scan ends before it, and of the entries a call reaches only the last (the one that
// gives the value) is evaluated.
//
// Each pass first runs without the finiteness checks and watches the processor's sticky
// exception flags instead: finite operands give an infinite or NaN result only with an
// overflow, a division by zero or an invalid operation, each of which raises its flag. When a
// flag is raised the pass runs again with every check of the one-sample runner, so faults are
// still decided from the results; the flags only prove that no check could have failed. That
// holds only while every operand is finite: x, the constants of the program, and the nested
// values (scan results and function values are finite by their checks).

#include "calc/builtin_functions.h"
#include "calc/compiled_formula.h"
#include "calc/formula_ops.h"
#include "calc/formula_program.h"
#include "calc/fpu_flags.h"
#include "calc/vector_pass.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace velquor {

namespace {

    using Level = CompiledFormula::Level;

    using fpu::CanWatchFlags;
    using fpu::clearFlags;
    using fpu::faultFlagRaised;

    // True when every value is finite, read from the exponent bits: the flags say nothing
    // about operands that are infinite or NaN already.
    bool allFinite(const Ext* xs, int count)
    {
        bool finite = true;
        for (int i = 0; i < count; ++i) {
            if constexpr (std::numeric_limits<Ext>::digits == 64) { // the x87 extended format
                std::uint16_t top = 0;
                std::memcpy(&top, reinterpret_cast<const unsigned char*>(xs + i) + 8, sizeof top);
                finite &= (top & 0x7FFF) != 0x7FFF;
            } else {
                finite &= static_cast<bool>(std::isfinite(xs[i]));
            }
        }
        return finite;
    }

    using vector::Factors;

    // The value of one scan for sample i: the operations and checks of the one-sample runner,
    // with the nested values read from the batch's arrays.
    inline Ext runSample(const Op* ops, std::size_t count, const Factors& factors, Ext x, int i)
    {
        compiled::Registers r;
        int nested = 0;
        for (std::size_t k = 0; k < count; ++k) {
            const Op& op = ops[k];
            if (compiled::isNested(op.code)) {
                if (op.code == OpCode::Discard) // only programs with random numbers keep these
                    continue;
                const std::size_t k = static_cast<std::size_t>(nested++);
                if (op.code == OpCode::Builtin && factors.outcome[k][i] != BuiltinLookup::Value)
                    return factors.outcome[k][i] == BuiltinLookup::Fail ? NoValue : r.S;
                r.F = factors.values[k][i];
                continue;
            }
            Ext result = 0;
            if (!compiled::arithmeticOp(op, r, x, result))
                return result;
        }
        const Ext sum = r.S + r.T;
        return compiled::finite(sum) ? sum : r.S;
    }

    void runCheckedPass(const Scan& scan, const Factors& factors, const Ext* xs, Ext* out, int count)
    {
        const Op* ops = scan.ops.data();
        const std::size_t size = scan.ops.size();
        for (int i = 0; i < count; ++i)
            out[i] = runSample(ops, size, factors, xs[i], i);
    }

    // A scan whose text is just "x".
    bool isX(const Scan& scan)
    {
        return !scan.isConstant && scan.ops.size() == 1 && scan.ops[0].code == OpCode::SetTX;
    }

    // A scan whose text is one built-in function, as "abs(x)" in "sqrt(abs(x))".
    bool isFunction(const Scan& scan)
    {
        return !scan.isConstant && scan.ops.size() == 2 && scan.ops[0].code == OpCode::Builtin
            && scan.ops[1].code == OpCode::SetTF;
    }

} // namespace

CompiledFormula::BatchPlan CompiledFormula::planBatch(const FormulaProgram& program)
{
    BatchPlan plan;
    plan.slots.resize(program.scans.size());
    plan.ofX.resize(program.scans.size());
    plan.ofFunction.resize(program.scans.size());
    plan.values.resize(program.scans.size());
    plan.outcome.resize(program.scans.size());
    plan.slotsNeeded.resize(program.scans.size(), 0);
    for (std::size_t s = 0; s < program.scans.size(); ++s) {
        std::int32_t next = 0;
        for (const Op& op : program.scans[s].ops) {
            // An infinite or NaN operand raises no flag: such constants (a or b, say) keep the
            // whole program checked.
            if (!std::isfinite(op.constant))
                plan.constantsFinite = false;
            if (op.code == OpCode::Call) {
                ++next; // the argument's values, read by the called formula as its x
                plan.slots[s].push_back(next++);
                plan.ofX[s].push_back(false);
                plan.ofFunction[s].push_back(false);
            } else if (op.code == OpCode::Group || op.code == OpCode::Bars
                || op.code == OpCode::Builtin) {
                plan.slots[s].push_back(next++);
                const Scan& inner = program.scans[static_cast<std::size_t>(op.scan)];
                plan.ofX[s].push_back(isX(inner));
                plan.ofFunction[s].push_back(isFunction(inner));
            }
        }
        plan.slotsNeeded[s] = next;
        plan.values[s].resize(plan.slots[s].size());
        plan.outcome[s].resize(plan.slots[s].size());
        plan.lowered.push_back(vector::LowerScan(program.scans[s], program));
    }
    return plan;
}

void CompiledFormula::runBatch(std::int32_t index, const Ext* xs, int count, Ext* out, bool finite)
{
    const FormulaProgram& program = *m_program;
    const auto s = static_cast<std::size_t>(index);
    const Scan& scan = program.scans[s];
    if (scan.isConstant) {
        std::fill_n(out, count, scan.constant);
        return;
    }
    Level& level = m_levels[static_cast<std::size_t>(scan.depth)];
    const std::int32_t needed = m_plan.slotsNeeded[s];
    // A scan with more nested values than the level holds runs in smaller pieces.
    const int piece = needed <= SlotsPerLevel
        ? count
        : std::max(1, SlotsPerLevel * BatchSize / static_cast<int>(needed));
    const vector::VectorScan& lowered = m_plan.lowered[s];
    const bool unchecked = CanWatchFlags && finite;
    const Factors factors { m_plan.values[s].data(), m_plan.outcome[s].data() };
    for (int first = 0; first < count; first += piece) {
        const int n = std::min(piece, count - first);
        const Ext* pieceXs = xs + first;
        Ext* pieceOut = out + first;
        // Nested scans the unchecked pass evaluates in its steps run only for the checked one.
        forEachNested(s, [&](const Op& op, std::size_t k) {
            if (!unchecked || !lowered.inlined[k])
                runNested(s, op, k, pieceXs, n, finite);
        });
        if (unchecked) {
            const vector::Registers registers { level.S.data(), level.T.data(), level.F.data(),
                level.B.data(), level.ended.data(), level.endValue.data() };
            clearFlags();
            vector::RunVectorScan(lowered, factors, pieceXs, pieceOut, n, registers);
            if (!faultFlagRaised())
                continue;
            forEachNested(s, [&](const Op& op, std::size_t k) {
                if (lowered.inlined[k])
                    runNested(s, op, k, pieceXs, n, finite);
            });
        }
        runCheckedPass(scan, factors, pieceXs, pieceOut, n);
    }
}

template <typename Visit> void CompiledFormula::forEachNested(std::size_t s, Visit visit)
{
    std::size_t k = 0;
    for (const Op& op : m_program->scans[s].ops) {
        if (compiled::isNested(op.code) && op.code != OpCode::Discard)
            visit(op, k++);
    }
}

// The values of scan s's nested operation k over the piece, in its slot of the level.
void CompiledFormula::runNested(
    std::size_t s, const Op& op, std::size_t k, const Ext* xs, int n, bool finite)
{
    const FormulaProgram& program = *m_program;
    Level& level = m_levels[static_cast<std::size_t>(program.scans[s].depth)];
    const auto at = static_cast<std::size_t>(m_plan.slots[s][k]) * static_cast<std::size_t>(n);
    Ext* values = level.values.data() + at;
    BuiltinLookup* outcome = level.outcome.data() + at;
    m_plan.values[s][k] = values;
    m_plan.outcome[s][k] = outcome;
    if (op.code == OpCode::Call) {
        const CallSite& site = program.calls[static_cast<std::size_t>(op.index)];
        Ext* argument = values - n;
        runBatch(site.argument, xs, n, argument, finite);
        const std::int32_t callee = site.callees.back();
        if (callee >= 0)
            // The argument is a scan result, so finite; the callee's own constants may not be.
            runBatch(callee, argument, n, values, m_plan.constantsFinite);
        else
            std::fill_n(values, n, NoValue);
        return;
    }
    // The scan "x" gives x itself when x is finite, and a scan of one function gives the
    // function's values, NoValue where it fails and +0 where it faults (a zero's sign aside
    // each time, which no result shows: see the unchecked pass), so neither runs as a scan.
    const bool ofX = finite && m_plan.ofX[s][k];
    const Ext* argument = ofX ? xs : values;
    if (m_plan.ofFunction[s][k])
        runFunctionScan(program.scans[static_cast<std::size_t>(op.scan)], xs, n, values, outcome, finite);
    else if (!ofX)
        runBatch(op.scan, xs, n, values, finite);
    if (op.code == OpCode::Group) {
        m_plan.values[s][k] = argument;
    } else if (op.code == OpCode::Bars) {
        for (int i = 0; i < n; ++i)
            values[i] = fabsl(argument[i]);
    } else {
        BuiltinLoopAt(op.index, program.degreeMode)(argument, values, outcome, n);
    }
}

void CompiledFormula::runFunctionScan(const Scan& scan, const Ext* xs, int n, Ext* values,
    BuiltinLookup* outcome, bool finite)
{
    const Op& function = scan.ops[0];
    const Scan& argumentScan = m_program->scans[static_cast<std::size_t>(function.scan)];
    const Ext* argument = xs;
    if (!finite || !isX(argumentScan)) {
        runBatch(function.scan, xs, n, values, finite);
        argument = values;
    }
    BuiltinLoopAt(function.index, m_program->degreeMode)(argument, values, outcome, n);
    for (int i = 0; i < n; ++i) {
        if (outcome[i] != BuiltinLookup::Value)
            values[i] = outcome[i] == BuiltinLookup::Fail ? NoValue : 0;
    }
}

void CompiledFormula::runTopBatch(const Ext* xs, int count, Ext* out)
{
    runBatch(0, xs, count, out, m_plan.constantsFinite && allFinite(xs, count));
}

} // namespace velquor
