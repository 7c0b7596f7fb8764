#pragma once

// The arithmetic steps shared by the one-sample and the batch runner of compiled formulas.

#include "calc/compiled_formula.h"
#include "calc/evaluate.h"
#include "calc/ext_math.h"
#include "calc/formula_program.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace velquor {

namespace compiled {

    // Deeper programs run sample by sample: the batch keeps a workspace per nesting level.
    constexpr int MaxBatchDepth = 32;

    inline bool finite(Ext value)
    {
        return std::isfinite(value);
    }

    // The power rule for a whole exponent +-n, 1 <= n < 2^31, with the steps of PowerExt.
    inline Outcome wholePowerRule(Ext base, std::uint32_t n, bool negative, Ext& result)
    {
        if (base == 0) {
            result = 0;
            return Outcome::Value;
        }
        Ext value = 1;
        while (true) {
            if (n & 1u) {
                value *= base;
                if (!finite(value))
                    return Outcome::Fault;
            }
            n >>= 1;
            if (n == 0)
                break;
            base *= base;
            if (!finite(base))
                return Outcome::Fault;
        }
        const Ext power = negative ? 1 / value : value;
        if (!finite(power))
            return Outcome::Fault;
        result = power;
        return Outcome::Value;
    }

    // The registers of one scan and the end of its evaluation.
    struct Registers
    {
        Ext S = 0;
        Ext T = 0;
        Ext F = 0;
        Ext B = 0;
    };

    // Folds T op operand; false when the scan ends with `result`.
    inline bool multiply(Registers& r, Ext operand, Ext& result)
    {
        const Ext term = r.T * operand;
        if (!finite(term)) {
            result = r.S;
            return false;
        }
        r.T = term;
        return true;
    }
    inline bool divide(Registers& r, Ext operand, Ext& result)
    {
        if (operand == 0) {
            result = NoValue;
            return false;
        }
        const Ext term = r.T / operand;
        if (!finite(term)) {
            result = r.S;
            return false;
        }
        r.T = term;
        return true;
    }
    inline bool setTerm(Registers& r, Ext operand, Ext& result)
    {
        if (!finite(operand)) {
            result = r.S;
            return false;
        }
        r.T = operand;
        return true;
    }
    inline bool powerOutcome(Registers& r, Outcome outcome, Ext& result)
    {
        if (outcome == Outcome::Value)
            return true;
        result = outcome == Outcome::Fail ? NoValue : r.S;
        return false;
    }

    // Group, Bars, Builtin, Call and Discard: the operations that run a nested scan.
    inline bool isNested(OpCode code)
    {
        return code == OpCode::Group || code == OpCode::Bars || code == OpCode::Builtin
            || code == OpCode::Call || code == OpCode::Discard;
    }

    // One operation that runs no nested scan, on one sample; false when the scan ends with
    // `result`.
    inline bool arithmeticOp(const Op& op, Registers& r, Ext x, Ext& result)
    {
        switch (op.code) {
        case OpCode::EndTerm: {
            const Ext total = r.S + r.T;
            if (!finite(total)) {
                result = r.S;
                return false;
            }
            r.S = total;
            r.T = 0;
            return true;
        }
        case OpCode::SetTX:
            return setTerm(r, x, result);
        case OpCode::SetTF:
            return setTerm(r, r.F, result);
        case OpCode::SetTConst:
            r.T = op.constant;
            return true;
        case OpCode::NegT:
            r.T = -r.T;
            return true;
        case OpCode::MulX:
            return multiply(r, x, result);
        case OpCode::MulF:
            return multiply(r, r.F, result);
        case OpCode::MulConst:
            return multiply(r, op.constant, result);
        case OpCode::DivX:
            return divide(r, x, result);
        case OpCode::DivF:
            return divide(r, r.F, result);
        case OpCode::DivConst:
            return divide(r, op.constant, result);
        case OpCode::ConstMulX:
            r.T = op.constant;
            return multiply(r, x, result);
        case OpCode::ConstMulF:
            r.T = op.constant;
            return multiply(r, r.F, result);
        case OpCode::CopyFToB:
            r.B = r.F;
            return true;
        case OpCode::SetBX:
            r.B = x;
            return true;
        case OpCode::SetBConst:
            r.B = op.constant;
            return true;
        case OpCode::PowXWhole:
            return powerOutcome(r,
                wholePowerRule(x, static_cast<std::uint32_t>(op.index), op.negative, r.F), result);
        case OpCode::PowBWhole:
            return powerOutcome(r,
                wholePowerRule(r.B, static_cast<std::uint32_t>(op.index), op.negative, r.F),
                result);
        case OpCode::PowBConst:
            return powerOutcome(r, PowerExt(r.B, op.constant, r.F), result);
        case OpCode::PowBX:
            return powerOutcome(r, PowerExt(r.B, x, r.F), result);
        case OpCode::PowBF:
            return powerOutcome(r, PowerExt(r.B, r.F, r.F), result);
        case OpCode::Fail:
            result = NoValue;
            return false;
        case OpCode::Fault:
            result = r.S;
            return false;
        default:
            return true;
        }
    }

    // One operation on one sample; false when the scan ends with `result`.
    bool runOp(const FormulaProgram& program, const Op& op, Registers& r, Ext x, Ext& result);

    // The value of one scan of the program for one sample.
    Ext runScan(const FormulaProgram& program, std::int32_t index, Ext x);

} // namespace compiled

// The nested values of the scan running at one nesting level, for one batch.
struct CompiledFormula::Level
{
    std::array<Ext, SlotsPerLevel * BatchSize> values;
    std::array<BuiltinLookup, SlotsPerLevel * BatchSize> outcome; // of built-in functions
    // The registers of the unchecked pass, and the results of samples that end part-way.
    std::array<Ext, BatchSize> S, T, F, B, endValue;
    std::array<std::uint8_t, BatchSize> ended;
};

} // namespace velquor
