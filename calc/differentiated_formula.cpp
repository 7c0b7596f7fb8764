#include "calc/differentiated_formula.h"

#include "calc/builtin_derivatives.h"
#include "calc/builtin_functions.h"
#include "calc/dual.h"
#include "calc/dual_batch.h"
#include "calc/evaluate.h"
#include "calc/ext_math.h"
#include "calc/formula_ops.h"
#include "calc/formula_program.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace velquor {
namespace {

    constexpr Ext None = std::numeric_limits<Ext>::quiet_NaN();

    struct DualRegisters
    {
        Dual S, T, F, B;
    };

    // Which scans depend on x: through the letter, a nested scan or call argument that does, or
    // "random" (a new value at every evaluation). Nested scans and callees are compiled after
    // the scan that holds them, so one pass from the last scan to the first sees every child
    // before its parent.
    struct Dependence
    {
        std::vector<std::uint8_t> onX;
        std::vector<std::uint8_t> draws; // applies "random", itself or in a nested scan or call
    };

    Dependence findDependence(const FormulaProgram& program)
    {
        const std::size_t count = program.scans.size();
        Dependence result { std::vector<std::uint8_t>(count, 0),
            std::vector<std::uint8_t>(count, 0) };
        for (std::size_t k = count; k-- > 0;) {
            const Scan& scan = program.scans[k];
            if (scan.isConstant)
                continue;
            bool onX = false;
            bool draws = false;
            for (const Op& op : scan.ops) {
                const auto nested = static_cast<std::size_t>(op.scan);
                switch (op.code) {
                case OpCode::SetTX:
                case OpCode::MulX:
                case OpCode::DivX:
                case OpCode::ConstMulX:
                case OpCode::SetBX:
                case OpCode::PowXWhole:
                case OpCode::PowBX:
                    onX = true;
                    break;
                case OpCode::Group:
                case OpCode::Bars:
                case OpCode::Discard:
                    onX = onX || (op.code != OpCode::Discard && result.onX[nested]);
                    draws = draws || result.draws[nested];
                    break;
                case OpCode::Builtin:
                    onX = onX || result.onX[nested] || op.index == RandomBuiltin;
                    draws = draws || result.draws[nested] || op.index == RandomBuiltin;
                    break;
                case OpCode::Call: {
                    const CallSite& site = program.calls[static_cast<std::size_t>(op.index)];
                    const auto argument = static_cast<std::size_t>(site.argument);
                    onX = onX || result.onX[argument];
                    draws = draws || result.draws[argument];
                    for (const std::int32_t callee : site.callees) {
                        if (callee >= 0 && result.draws[static_cast<std::size_t>(callee)])
                            draws = true;
                    }
                    onX = onX || draws;
                    break;
                }
                default:
                    break;
                }
            }
            result.onX[k] = onX || draws;
            result.draws[k] = draws;
        }
        return result;
    }

    // The derivative of base^exponent (value `power`) by the language's power rule: 0^0 = 1 and
    // 0^E = 0 make a base of 0 smooth only for a fixed exponent of 0 or at least 1 (whole, or
    // with a base that does not change); a negative base has a power only at whole exponents, so
    // no slope where the exponent changes.
    Ext powerDerivative(Dual base, Dual exponent, Ext power)
    {
        if (base.v == 0) {
            if (exponent.d != 0)
                return None; // 0^0 = 1 beside 0^E = 0
            if (exponent.v == 0)
                return 0;
            if (exponent.v == 1)
                return base.d;
            if (exponent.v > 1 && (exponent.v == truncl(exponent.v) || base.d == 0))
                return 0;
            return base.d == 0 ? 0 : None;
        }
        if (exponent.d == 0) {
            if (base.d == 0)
                return 0;
            return exponent.v * (power / base.v) * base.d;
        }
        if (base.v < 0)
            return None;
        return power * (exponent.d * logl(base.v) + exponent.v * (base.d / base.v));
    }

} // namespace

struct DifferentiatedFormula::Runner
{
    const FormulaProgram& program;
    const std::vector<std::uint8_t>& onX;
    const std::vector<std::uint8_t>& draws;

    bool dependsOnX(std::int32_t scan) const { return onX[static_cast<std::size_t>(scan)] != 0; }

    // The scan's value for x, with its derivative; the value steps are those of
    // compiled::runScan, in the same order.
    Dual runScan(std::int32_t index, Dual x) const
    {
        if (!dependsOnX(index))
            return { compiled::runScan(program, index, x.v), 0 };
        const Scan& scan = program.scans[static_cast<std::size_t>(index)];
        DualRegisters r;
        Dual result;
        for (const Op& op : scan.ops) {
            if (!runOp(op, r, x, result))
                return result;
        }
        const Ext sum = r.S.v + r.T.v;
        if (!std::isfinite(sum))
            return { r.S.v, None };
        return { sum, r.S.d + r.T.d };
    }

    static bool fault(const DualRegisters& r, Dual& result)
    {
        result = { r.S.v, None };
        return false;
    }

    static bool fail(Dual& result)
    {
        result = { NoValue, None };
        return false;
    }

    static bool multiply(DualRegisters& r, Dual operand, Dual& result)
    {
        const Ext term = r.T.v * operand.v;
        if (!std::isfinite(term))
            return fault(r, result);
        r.T = { term, productSlope(r.T, operand) };
        return true;
    }

    static bool divide(DualRegisters& r, Dual operand, Dual& result)
    {
        if (operand.v == 0)
            return fail(result);
        const Ext term = r.T.v / operand.v;
        if (!std::isfinite(term))
            return fault(r, result);
        r.T = { term, quotientSlope(r.T, term, operand) };
        return true;
    }

    static bool setTerm(DualRegisters& r, Dual operand, Dual& result)
    {
        if (!std::isfinite(operand.v))
            return fault(r, result);
        r.T = operand;
        return true;
    }

    // base^(+-n) for a whole n >= 1, with the steps of compiled::wholePowerRule.
    static bool wholePower(DualRegisters& r, Dual base, const Op& op, Dual& result)
    {
        const auto n = static_cast<std::uint32_t>(op.index);
        Ext power = 0;
        if (compiled::wholePowerRule(base.v, n, op.negative, power) != Outcome::Value)
            return fault(r, result);
        // Where the lower power leaves the range, n power / base instead.
        const Ext slope = wholePowerSlope(base, n, op.negative, [&](std::uint32_t exponent) {
            Ext lower = 0;
            return compiled::wholePowerRule(base.v, exponent, op.negative, lower) == Outcome::Value
                ? lower
                : power / base.v;
        });
        r.F = { power, slope };
        return true;
    }

    static bool power(DualRegisters& r, Dual base, Dual exponent, Dual& result)
    {
        Ext value = 0;
        const Outcome outcome = PowerExt(base.v, exponent.v, value);
        if (outcome == Outcome::Fail)
            return fail(result);
        if (outcome == Outcome::Fault)
            return fault(r, result);
        r.F = { value, powerDerivative(base, exponent, value) };
        return true;
    }

    bool runOp(const Op& op, DualRegisters& r, Dual x, Dual& result) const
    {
        const Dual constant { op.constant, 0 };
        switch (op.code) {
        case OpCode::EndTerm: {
            const Ext total = r.S.v + r.T.v;
            if (!std::isfinite(total))
                return fault(r, result);
            r.S = { total, r.S.d + r.T.d };
            r.T = {};
            return true;
        }
        case OpCode::SetTX:
            return setTerm(r, x, result);
        case OpCode::SetTF:
            return setTerm(r, r.F, result);
        case OpCode::SetTConst:
            r.T = constant;
            return true;
        case OpCode::NegT:
            r.T = { -r.T.v, -r.T.d };
            return true;
        case OpCode::MulX:
            return multiply(r, x, result);
        case OpCode::MulF:
            return multiply(r, r.F, result);
        case OpCode::MulConst:
            return multiply(r, constant, result);
        case OpCode::DivX:
            return divide(r, x, result);
        case OpCode::DivF:
            return divide(r, r.F, result);
        case OpCode::DivConst:
            return divide(r, constant, result);
        case OpCode::ConstMulX:
            r.T = constant;
            return multiply(r, x, result);
        case OpCode::ConstMulF:
            r.T = constant;
            return multiply(r, r.F, result);
        case OpCode::CopyFToB:
            r.B = r.F;
            return true;
        case OpCode::SetBX:
            r.B = x;
            return true;
        case OpCode::SetBConst:
            r.B = constant;
            return true;
        case OpCode::PowXWhole:
            return wholePower(r, x, op, result);
        case OpCode::PowBWhole:
            return wholePower(r, r.B, op, result);
        case OpCode::PowBConst:
            return power(r, r.B, constant, result);
        case OpCode::PowBX:
            return power(r, r.B, x, result);
        case OpCode::PowBF:
            return power(r, r.B, r.F, result);
        case OpCode::Fail:
            return fail(result);
        case OpCode::Fault:
            return fault(r, result);
        default:
            return runNested(op, r, x, result);
        }
    }

    bool runNested(const Op& op, DualRegisters& r, Dual x, Dual& result) const
    {
        switch (op.code) {
        case OpCode::Group:
            r.F = runScan(op.scan, x);
            return true;
        case OpCode::Bars: {
            const Dual inner = runScan(op.scan, x);
            // |u| where u = 0 is smooth only while u stays 0.
            const Ext slope = inner.v > 0 ? inner.d
                : inner.v < 0             ? -inner.d
                : inner.d == 0            ? 0
                                          : None;
            r.F = { fabsl(inner.v), slope };
            return true;
        }
        case OpCode::Builtin: {
            const Dual argument = runScan(op.scan, x);
            switch (ApplyBuiltinIndex(op.index, argument.v, program.degreeMode, r.F.v)) {
            case BuiltinLookup::Fail:
                return fail(result);
            case BuiltinLookup::Fault:
                return fault(r, result);
            default:
                break;
            }
            if (op.index == RandomBuiltin)
                r.F.d = None;
            else if (!dependsOnX(op.scan))
                r.F.d = 0;
            else
                r.F.d = BuiltinDerivative(op.index, argument.v, r.F.v, program.degreeMode)
                    * argument.d;
            return true;
        }
        case OpCode::Call: {
            const CallSite& site = program.calls[static_cast<std::size_t>(op.index)];
            const Dual argument = runScan(site.argument, x);
            const bool changes = dependsOnX(site.argument);
            Dual value;
            for (const std::int32_t callee : site.callees) {
                if (callee < 0)
                    value = { NoValue, changes ? None : 0 };
                else if (changes)
                    value = runScan(callee, argument);
                else
                    value = { compiled::runScan(program, callee, argument.v),
                        draws[static_cast<std::size_t>(callee)] ? None : 0 };
            }
            r.F = value;
            return true;
        }
        case OpCode::Discard:
            compiled::runScan(program, op.scan, x.v);
            return true;
        default:
            return true;
        }
    }
};

DifferentiatedFormula::DifferentiatedFormula(const EvaluationRequest& request)
    : m_request(request)
    , m_program(CompileFormula(request))
{
    if (m_program) {
        Dependence dependence = findDependence(*m_program);
        m_dependsOnX = std::move(dependence.onX);
        m_draws = std::move(dependence.draws);
        m_batch = std::make_unique<DualBatch>(*m_program, m_dependsOnX);
        if (!m_batch->usable())
            m_batch.reset();
    }
}

DifferentiatedFormula::~DifferentiatedFormula() = default;

std::uint64_t DifferentiatedFormula::sampleWork() const
{
    return m_program ? m_program->work : m_lastWork;
}

ValueAndSlope DifferentiatedFormula::evaluate(Ext x)
{
    if (!m_program) {
        m_request.x = x;
        return { Evaluate(m_request, m_lastWork), false, 0 };
    }
    const Runner runner { *m_program, m_dependsOnX, m_draws };
    const Dual result = runner.runScan(0, { x, 1 });
    ValueAndSlope out { result.v, false, 0 };
    if (result.v != NoValue && std::isfinite(result.d)) {
        out.hasSlope = true;
        out.slope = result.d;
    }
    return out;
}

void DifferentiatedFormula::evaluate(const Ext* xs, Ext* values, Ext* slopes, std::size_t count)
{
    if (m_batch) {
        std::array<Ext, DualBatch::Piece> pieceValues;
        std::array<Ext, DualBatch::Piece> pieceSlopes;
        for (std::size_t first = 0; first < count; first += DualBatch::Piece) {
            const std::size_t n = std::min<std::size_t>(DualBatch::Piece, count - first);
            if (values && slopes) {
                if (!m_batch->run(xs + first, values + first, slopes + first, int(n)))
                    evaluateOneByOne(xs + first, values + first, slopes + first, n);
                continue;
            }
            if (m_batch->run(xs + first, pieceValues.data(), pieceSlopes.data(), int(n))) {
                if (values)
                    std::copy_n(pieceValues.begin(), n, values + first);
                if (slopes)
                    std::copy_n(pieceSlopes.begin(), n, slopes + first);
            } else {
                evaluateOneByOne(xs + first, values ? values + first : nullptr,
                    slopes ? slopes + first : nullptr, n);
            }
        }
        return;
    }
    evaluateOneByOne(xs, values, slopes, count);
}

void DifferentiatedFormula::evaluateOneByOne(
    const Ext* xs, Ext* values, Ext* slopes, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const ValueAndSlope result = evaluate(xs[i]);
        if (values)
            values[i] = result.value;
        if (slopes)
            slopes[i] = result.hasSlope ? result.slope : None;
    }
}

} // namespace velquor
