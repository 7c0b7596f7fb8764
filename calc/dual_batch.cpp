#include "calc/dual_batch.h"

#include "calc/dual.h"
#include "calc/formula_ops.h"
#include "calc/fpu_flags.h"
#include "calc/vector_pass.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace velquor {

namespace {

    constexpr Ext None = std::numeric_limits<Ext>::quiet_NaN();

    // The steps this pass takes; the others (functions, bars, calls, general powers, early
    // ends) are the one-sample runner's.
    bool isBatchStep(OpCode code)
    {
        switch (code) {
        case OpCode::Bars:
        case OpCode::Builtin:
        case OpCode::Call:
        case OpCode::Discard:
        case OpCode::PowBConst:
        case OpCode::PowBX:
        case OpCode::PowBF:
        case OpCode::Fail:
        case OpCode::Fault:
            return false;
        default:
            return true;
        }
    }

    // compiled::wholePowerRule's steps without its checks (an overflow or a division by zero
    // raises a flag).
    [[gnu::always_inline]] inline Ext wholePower(Ext base, std::uint32_t n, bool negative)
    {
        if (base == 0)
            return 0;
        Ext value = 1;
        while (true) {
            if (n & 1u)
                value *= base;
            n >>= 1;
            if (n == 0)
                break;
            base *= base;
        }
        return negative ? 1 / value : value;
    }

    // DifferentiatedFormula's whole power: the slope n base^(n-1) by its own squarings.
    [[gnu::always_inline]] inline Dual wholePowerDual(Dual base, std::uint32_t n, bool negative)
    {
        return { wholePower(base.v, n, negative),
            wholePowerSlope(base, n, negative,
                [&](std::uint32_t exponent) { return wholePower(base.v, exponent, negative); }) };
    }

    [[gnu::always_inline]] inline Dual wholePowerDual(Dual base, const Op& op)
    {
        return wholePowerDual(base, static_cast<std::uint32_t>(op.index), op.negative);
    }

    [[gnu::always_inline]] inline void multiply(Dual& t, Dual operand)
    {
        t = { t.v * operand.v, productSlope(t, operand) };
    }

    [[gnu::always_inline]] inline void divide(Dual& t, Dual operand)
    {
        const Ext quotient = t.v / operand.v;
        t = { quotient, quotientSlope(t, quotient, operand) };
    }

    using vector::Action;
    using vector::Source;
    using vector::VectorOp;

    // The dual value of a lowered step's source for sample i: what the one-sample runner puts
    // in F (or uses as the operand) by the steps the lowering joined.
    [[gnu::always_inline]] inline Dual sourceDual(
        const VectorOp& v, const Ext* const* nested, Ext x, std::size_t i)
    {
        switch (v.source) {
        case Source::X:
            return { x, 1 };
        case Source::Const:
            return { v.constant, 0 };
        case Source::PowX2:
            return wholePowerDual({ x, 1 }, 2, false);
        case Source::PowX3:
            return wholePowerDual({ x, 1 }, 3, false);
        case Source::PowX:
            return wholePowerDual({ x, 1 }, v.n, v.negative);
        case Source::Slot:
            return { nested[2 * v.nested][i], nested[2 * v.nested + 1][i] };
        default: { // SlotPow; the square, the commonest, with its steps unrolled
            const Dual base { nested[2 * v.nested][i], nested[2 * v.nested + 1][i] };
            if (v.n == 2 && !v.negative)
                return wholePowerDual(base, 2, false);
            return wholePowerDual(base, v.n, v.negative);
        }
        }
    }

    // A scan of simple terms: each term its source, times a constant or not, added to the total.
    [[gnu::always_inline]] inline Dual simpleScan(
        const VectorOp* ops, std::size_t count, const Ext* const* nested, Ext x, std::size_t i)
    {
        Dual s;
        for (std::size_t k = 0; k < count; ++k) {
            const VectorOp& v = ops[k];
            Dual t = sourceDual(v, nested, x, i);
            if (v.action == Action::ConstMul) {
                Dual product { v.constant, 0 };
                multiply(product, t);
                t = product;
            }
            s = { s.v + t.v, s.d + t.d };
        }
        return s;
    }

    // A scan that is one term: the term's steps, then the total +0 plus the term.
    [[gnu::always_inline]] inline Dual termScan(
        const VectorOp* ops, std::size_t count, const Ext* const* nested, Ext x, std::size_t i)
    {
        Dual t;
        for (std::size_t k = 0; k < count; ++k) {
            const VectorOp& v = ops[k];
            const Dual value = sourceDual(v, nested, x, i);
            switch (v.action) {
            case Action::Set:
                t = value;
                break;
            case Action::ConstMul:
                t = { v.constant, 0 };
                multiply(t, value);
                break;
            case Action::Mul:
                multiply(t, value);
                break;
            default:
                divide(t, value);
            }
        }
        const Dual total;
        return { total.v + t.v, total.d + t.d };
    }

    bool allFinite(const Ext* xs, int count)
    {
        bool finite = true;
        for (int i = 0; i < count; ++i)
            finite &= static_cast<bool>(std::isfinite(xs[i]));
        return finite;
    }

} // namespace

DualBatch::DualBatch(const FormulaProgram& program, const std::vector<std::uint8_t>& onX)
    : m_program(program)
    , m_onX(onX)
    , m_fixedValue(program.scans.size(), 0)
    , m_nested(program.scans.size())
{
    if (!fpu::CanWatchFlags || program.usesRandom) {
        m_usable = false;
        return;
    }
    std::size_t totalGroups = 0;
    m_groups.assign(program.scans.size(), 0);
    for (std::size_t s = 0; s < program.scans.size(); ++s) {
        const Scan& scan = program.scans[s];
        if (!m_onX[s]) {
            // The same value at every x (nothing here draws random numbers).
            m_fixedValue[s] = compiled::runScan(program, static_cast<std::int32_t>(s), 0);
            continue;
        }
        // Only scans a usable program reaches need to be checked, but every scan that depends
        // on x is reached from the top through scans that do.
        std::size_t groups = 0;
        for (const Op& op : scan.ops) {
            if (!isBatchStep(op.code) || !std::isfinite(op.constant))
                m_usable = false;
            if (op.code == OpCode::Group)
                ++groups;
        }
        m_groups[s] = groups;
        totalGroups += groups;
    }
    // Each group holds two arrays of a piece: a program of very many stays sample by sample.
    if (totalGroups > MaxGroups)
        m_usable = false;
    m_lowered.resize(program.scans.size());
    m_shape.assign(program.scans.size(), Shape::Steps);
    m_nestedPointers.resize(program.scans.size());
    for (std::size_t s = 0; s < program.scans.size() && m_usable; ++s) {
        if (!m_onX[s])
            continue;
        vector::VectorScan lowered = vector::LowerScan(program.scans[s], program);
        if (lowered.isSimple)
            m_shape[s] = Shape::SimpleTerms;
        else if (lowered.oneTerm)
            m_shape[s] = Shape::OneTerm;
        m_lowered[s] = std::move(lowered.ops);
    }
}

bool DualBatch::run(const Ext* xs, Ext* values, Ext* slopes, int count)
{
    if (!m_usable || count > Piece || !allFinite(xs, count))
        return false;
    if (!m_allocated) { // on first use: the one-sample users never need the arrays
        for (std::size_t s = 0; s < m_groups.size(); ++s) {
            m_nested[s].assign(2 * m_groups[s], std::vector<Ext>(Piece));
            for (std::vector<Ext>& array : m_nested[s])
                m_nestedPointers[s].push_back(array.data());
        }
        m_allocated = true;
    }
    fpu::clearFlags();
    runScan(0, xs, count, values, slopes);
    if (fpu::faultFlagRaised())
        return false;
    for (int i = 0; i < count; ++i) {
        if (values[i] == NoValue || !std::isfinite(slopes[i]))
            slopes[i] = None;
    }
    return true;
}

// The scan's values and slopes over the batch: its groups first, each over the whole batch,
// then its own steps sample by sample with the registers in the processor.
void DualBatch::runScan(std::int32_t index, const Ext* xs, int count, Ext* values, Ext* slopes)
{
    const auto s = static_cast<std::size_t>(index);
    if (!m_onX[s]) {
        for (int i = 0; i < count; ++i) {
            values[i] = m_fixedValue[s];
            slopes[i] = 0;
        }
        return;
    }
    const std::vector<Op>& ops = m_program.scans[s].ops;
    std::vector<std::vector<Ext>>& nested = m_nested[s];
    std::size_t group = 0;
    for (const Op& op : ops) {
        if (op.code == OpCode::Group) {
            runScan(op.scan, xs, count, nested[2 * group].data(), nested[2 * group + 1].data());
            ++group;
        }
    }
    if (m_shape[s] != Shape::Steps) {
        const VectorOp* lowered = m_lowered[s].data();
        const std::size_t size = m_lowered[s].size();
        const Ext* const* pointers = m_nestedPointers[s].data();
        for (int i = 0; i < count; ++i) {
            const auto at = static_cast<std::size_t>(i);
            const Dual result = m_shape[s] == Shape::SimpleTerms
                ? simpleScan(lowered, size, pointers, xs[i], at)
                : termScan(lowered, size, pointers, xs[i], at);
            values[i] = result.v;
            slopes[i] = result.d;
        }
        return;
    }
    for (int i = 0; i < count; ++i) {
        const Dual x { xs[i], 1 };
        Dual S, T, F, B;
        group = 0;
        for (const Op& op : ops) {
            const Dual constant { op.constant, 0 };
            switch (op.code) {
            case OpCode::EndTerm:
                S = { S.v + T.v, S.d + T.d };
                T = {};
                break;
            case OpCode::SetTX:
                T = x;
                break;
            case OpCode::SetTF:
                T = F;
                break;
            case OpCode::SetTConst:
                T = constant;
                break;
            case OpCode::NegT:
                T = { -T.v, -T.d };
                break;
            case OpCode::MulX:
                multiply(T, x);
                break;
            case OpCode::MulF:
                multiply(T, F);
                break;
            case OpCode::MulConst:
                multiply(T, constant);
                break;
            case OpCode::DivX:
                divide(T, x);
                break;
            case OpCode::DivF:
                divide(T, F);
                break;
            case OpCode::DivConst:
                divide(T, constant);
                break;
            case OpCode::ConstMulX:
                T = constant;
                multiply(T, x);
                break;
            case OpCode::ConstMulF:
                T = constant;
                multiply(T, F);
                break;
            case OpCode::CopyFToB:
                B = F;
                break;
            case OpCode::SetBX:
                B = x;
                break;
            case OpCode::SetBConst:
                B = constant;
                break;
            case OpCode::PowXWhole:
                F = wholePowerDual(x, op);
                break;
            case OpCode::PowBWhole:
                F = wholePowerDual(B, op);
                break;
            case OpCode::Group:
                F = { nested[2 * group][static_cast<std::size_t>(i)],
                    nested[2 * group + 1][static_cast<std::size_t>(i)] };
                ++group;
                break;
            default: // not in a usable program
                break;
            }
        }
        values[i] = S.v + T.v;
        slopes[i] = S.d + T.d;
    }
}

} // namespace velquor
