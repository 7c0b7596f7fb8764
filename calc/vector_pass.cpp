#include "calc/vector_pass.h"

#include "calc/evaluate.h"
#include "calc/ext_math.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace velquor::vector {

namespace {

    bool isNested(OpCode code)
    {
        return code == OpCode::Group || code == OpCode::Bars || code == OpCode::Builtin
            || code == OpCode::Call;
    }

    bool readsF(OpCode code)
    {
        return code == OpCode::SetTF || code == OpCode::MulF || code == OpCode::DivF
            || code == OpCode::ConstMulF || code == OpCode::CopyFToB || code == OpCode::PowBF;
    }

    bool writesF(OpCode code)
    {
        return isNested(code) || code == OpCode::PowXWhole || code == OpCode::PowBWhole
            || code == OpCode::PowBConst || code == OpCode::PowBX || code == OpCode::PowBF;
    }

    bool readsB(OpCode code)
    {
        return code == OpCode::PowBWhole || code == OpCode::PowBConst || code == OpCode::PowBX
            || code == OpCode::PowBF;
    }

    bool writesB(OpCode code)
    {
        return code == OpCode::CopyFToB || code == OpCode::SetBX || code == OpCode::SetBConst;
    }

    bool readsT(OpCode code)
    {
        return code == OpCode::MulX || code == OpCode::MulF || code == OpCode::MulConst
            || code == OpCode::DivX || code == OpCode::DivF || code == OpCode::DivConst
            || code == OpCode::NegT || code == OpCode::EndTerm;
    }

    bool setsT(OpCode code)
    {
        return code == OpCode::SetTX || code == OpCode::SetTF || code == OpCode::SetTConst
            || code == OpCode::ConstMulX || code == OpCode::ConstMulF;
    }

    bool endsScan(OpCode code)
    {
        return code == OpCode::Fail || code == OpCode::Fault;
    }

    // Whether the value F (T) holds before ops[from] is read at or after it; the end of the
    // scan reads T.
    bool fLiveFrom(const std::vector<Op>& ops, std::size_t from)
    {
        for (std::size_t k = from; k < ops.size(); ++k) {
            if (readsF(ops[k].code))
                return true;
            if (writesF(ops[k].code) || endsScan(ops[k].code))
                return false;
        }
        return false;
    }

    bool tLiveFrom(const std::vector<Op>& ops, std::size_t from)
    {
        for (std::size_t k = from; k < ops.size(); ++k) {
            if (readsT(ops[k].code))
                return true;
            if (setsT(ops[k].code) || endsScan(ops[k].code))
                return false;
        }
        return true;
    }

    // The step of the term that uses the factor just produced, if ops[k] is one.
    bool factorConsumer(const Op& op, Action& action, Ext& constant)
    {
        switch (op.code) {
        case OpCode::SetTF:
            action = Action::Set;
            return true;
        case OpCode::ConstMulF:
            action = Action::ConstMul;
            constant = op.constant;
            return true;
        case OpCode::MulF:
            action = Action::Mul;
            return true;
        case OpCode::DivF:
            action = Action::Div;
            return true;
        default:
            return false;
        }
    }

    // A step of the term whose operand is x, F or a constant, if ops[k] is one.
    bool termStep(const Op& op, VectorOp& v)
    {
        switch (op.code) {
        case OpCode::SetTX:
            v.source = Source::X;
            v.action = Action::Set;
            return true;
        case OpCode::SetTF:
            v.source = Source::F;
            v.action = Action::Set;
            return true;
        case OpCode::SetTConst:
            v.source = Source::Const;
            v.action = Action::Set;
            v.constant = op.constant;
            return true;
        case OpCode::ConstMulX:
        case OpCode::ConstMulF:
            v.source = op.code == OpCode::ConstMulX ? Source::X : Source::F;
            v.action = Action::ConstMul;
            v.constant = op.constant;
            return true;
        case OpCode::MulX:
        case OpCode::MulF:
            v.source = op.code == OpCode::MulX ? Source::X : Source::F;
            v.action = Action::Mul;
            return true;
        case OpCode::MulConst:
            v.source = Source::Const;
            v.action = Action::Mul;
            v.constant = op.constant;
            return true;
        case OpCode::DivX:
        case OpCode::DivF:
            v.source = op.code == OpCode::DivX ? Source::X : Source::F;
            v.action = Action::Div;
            return true;
        case OpCode::DivConst:
            v.source = Source::Const;
            v.action = Action::Div;
            v.constant = op.constant;
            return true;
        default:
            return false;
        }
    }

    Source powerOfX(const Op& op)
    {
        if (op.negative || op.index > 3 || op.index < 2)
            return Source::PowX;
        return op.index == 2 ? Source::PowX2 : Source::PowX3;
    }

} // namespace

namespace {

    // The terms of a nested scan small and simple enough to be evaluated where it is used.
    bool inlineTerms(const Scan& scan, const FormulaProgram& program, VectorOp& v)
    {
        if (scan.isConstant)
            return false;
        const VectorScan inner = LowerScan(scan, program);
        if (!inner.isSimple || inner.ops.size() > MaxInlineTerms)
            return false;
        for (std::size_t k = 0; k < inner.ops.size(); ++k) {
            const VectorOp& step = inner.ops[k];
            if (step.source != Source::Const && step.source != Source::X
                && step.source != Source::PowX2 && step.source != Source::PowX3)
                return false;
            v.terms[k] = { step.source, step.action == Action::ConstMul, step.constant };
        }
        v.inlineTerms = static_cast<int>(inner.ops.size()); // none: the scan gives +0
        v.inlined = true;
        return true;
    }

} // namespace

VectorScan LowerScan(const Scan& scan, const FormulaProgram& program)
{
    VectorScan lowered;
    const std::vector<Op>& ops = scan.ops;
    bool fWritten = false;
    bool bWritten = false;
    for (const Op& op : ops) {
        if ((readsF(op.code) && !fWritten) || (readsB(op.code) && !bWritten))
            lowered.clearFB = true;
        fWritten = fWritten || writesF(op.code);
        bWritten = bWritten || writesB(op.code);
        if (op.code == OpCode::Builtin || op.code == OpCode::PowBConst || op.code == OpCode::PowBX
            || op.code == OpCode::PowBF)
            lowered.mayEnd = true;
    }
    std::int32_t nested = 0;
    for (std::size_t k = 0; k < ops.size();) {
        const Op& op = ops[k];
        VectorOp v;
        std::size_t next = k + 1;
        bool producesFactor = false;
        if (isNested(op.code)) {
            v.nested = nested++;
            v.builtin = op.code == OpCode::Builtin;
            v.op = op;
            v.source = Source::Slot;
            producesFactor = true;
            if (k + 2 < ops.size() && ops[k + 1].code == OpCode::CopyFToB
                && ops[k + 2].code == OpCode::PowBWhole) {
                // The base is dead after the power: the compiler sets it again before any other.
                v.source = Source::SlotPow;
                v.n = static_cast<std::uint32_t>(ops[k + 2].index);
                v.negative = ops[k + 2].negative;
                next = k + 3;
            }
        } else if (op.code == OpCode::PowXWhole) {
            v.source = powerOfX(op);
            v.n = static_cast<std::uint32_t>(op.index);
            v.negative = op.negative;
            producesFactor = true;
        } else if (op.code == OpCode::Discard) {
            k = next; // only programs with random numbers keep these, and they run elsewhere
            continue;
        } else if (!termStep(op, v)) {
            v.op = op; // code 0: runs as it is
            lowered.ops.push_back(v);
            k = next;
            continue;
        }
        if (producesFactor) {
            v.action = Action::FactorOnly;
            if (next < ops.size() && factorConsumer(ops[next], v.action, v.constant))
                ++next;
        }
        if (v.action != Action::FactorOnly) {
            if (next < ops.size() && ops[next].code == OpCode::EndTerm) {
                v.ending = Ending::Term;
                ++next;
                v.zeroT = tLiveFrom(ops, next);
            } else if (next == ops.size()) {
                v.ending = Ending::Scan;
            }
        }
        v.keepF = producesFactor && fLiveFrom(ops, next);
        v.code = StepCode(v.source, v.action, v.ending);
        lowered.ops.push_back(v);
        k = next;
    }
    lowered.isSimple = lowered.simple();
    lowered.oneTerm = lowered.isOneTerm();
    lowered.inlined.assign(static_cast<std::size_t>(nested), false);
    if (lowered.isSimple || lowered.oneTerm) {
        for (VectorOp& v : lowered.ops) {
            if ((v.source == Source::Slot || v.source == Source::SlotPow)
                && v.op.code == OpCode::Group
                && inlineTerms(program.scans[static_cast<std::size_t>(v.op.scan)], program, v))
                lowered.inlined[static_cast<std::size_t>(v.nested)] = true;
        }
    }
    return lowered;
}

namespace {

    // The whole power of the power rule without its checks (an overflow raises a flag). A zero
    // base gives +0 by the rule and a signed zero here: a zero's sign in the factor, base or
    // term reaches a result only through S + T, and S is never -0, so it cannot be seen.
    [[gnu::always_inline]] inline Ext wholePower(Ext base, std::uint32_t n, bool negative)
    {
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

    const Ext* nestedValues(const Factors& factors, const VectorOp& v)
    {
        return factors.values[v.nested];
    }

    // The batch's state of one scan: every register an array, the values of one sample at i.
    struct Pass
    {
        const Factors& factors;
        const Ext* xs;
        Ext* out;
        int count;
        Ext* S;
        Ext* T;
        Ext* F;
        Ext* B;
        std::uint8_t* ended; // the sample's scan has ended with endValue
        Ext* endValue;

        void end(int i, bool failed) const
        {
            if (ended[i])
                return;
            ended[i] = 1;
            endValue[i] = failed ? NoValue : S[i];
        }
    };

    template <Source Src>
    inline Ext sourceValue(const VectorOp& v, const Ext* nested, const Pass& p, int i)
    {
        if constexpr (Src == Source::X)
            return p.xs[i];
        else if constexpr (Src == Source::F)
            return p.F[i];
        else if constexpr (Src == Source::Const)
            return v.constant;
        else if constexpr (Src == Source::PowX2)
            return p.xs[i] * p.xs[i];
        else if constexpr (Src == Source::PowX3) {
            const Ext x = p.xs[i];
            return x * (x * x); // the power rule's steps: x, then x times x squared
        } else if constexpr (Src == Source::PowX)
            return wholePower(p.xs[i], v.n, v.negative);
        else if constexpr (Src == Source::Slot)
            return nested[i];
        else
            return wholePower(nested[i], v.n, v.negative);
    }

    // One lowered step as one loop over the batch.
    template <Source Src, Action Act, Ending End> void termLoop(const VectorOp& v, const Pass& p)
    {
        const Ext* nested = nullptr;
        if constexpr (Src == Source::Slot || Src == Source::SlotPow)
            nested = nestedValues(p.factors, v);
        const Ext c = v.constant;
        const bool keepF = v.keepF;
        for (int i = 0; i < p.count; ++i) {
            const Ext value = sourceValue<Src>(v, nested, p, i);
            if constexpr (Act == Action::FactorOnly) {
                p.F[i] = value;
            } else {
                if (keepF)
                    p.F[i] = value;
                Ext t;
                if constexpr (Act == Action::Set)
                    t = value;
                else if constexpr (Act == Action::ConstMul)
                    t = c * value;
                else if constexpr (Act == Action::Mul)
                    t = p.T[i] * value;
                else
                    t = p.T[i] / value;
                if constexpr (End == Ending::None) {
                    p.T[i] = t;
                } else if constexpr (End == Ending::Term) {
                    p.S[i] = p.S[i] + t;
                    if (v.zeroT) // +0 written as bytes: cheaper than an extended store
                        std::memset(static_cast<void*>(p.T + i), 0, sizeof(Ext));
                } else {
                    p.out[i] = p.S[i] + t;
                }
            }
        }
    }

    template <Source Src, Action Act> void withEnding(const VectorOp& v, const Pass& p)
    {
        switch (v.ending) {
        case Ending::None:
            return termLoop<Src, Act, Ending::None>(v, p);
        case Ending::Term:
            return termLoop<Src, Act, Ending::Term>(v, p);
        case Ending::Scan:
            return termLoop<Src, Act, Ending::Scan>(v, p);
        }
    }

    template <Source Src> void withAction(const VectorOp& v, const Pass& p)
    {
        switch (v.action) {
        case Action::Set:
            return withEnding<Src, Action::Set>(v, p);
        case Action::ConstMul:
            if constexpr (Src != Source::Const) // never lowered: constants are folded
                withEnding<Src, Action::ConstMul>(v, p);
            return;
        case Action::Mul:
            return withEnding<Src, Action::Mul>(v, p);
        case Action::Div:
            return withEnding<Src, Action::Div>(v, p);
        case Action::FactorOnly:
            return termLoop<Src, Action::FactorOnly, Ending::None>(v, p);
        }
    }

    void runTermStep(const VectorOp& v, const Pass& p)
    {
        if (v.builtin) {
            const BuiltinLookup* outcome = p.factors.outcome[v.nested];
            for (int i = 0; i < p.count; ++i) {
                if (outcome[i] != BuiltinLookup::Value)
                    p.end(i, outcome[i] == BuiltinLookup::Fail);
            }
        }
        switch (v.source) {
        case Source::X:
            return withAction<Source::X>(v, p);
        case Source::F:
            return withAction<Source::F>(v, p);
        case Source::Const:
            return withAction<Source::Const>(v, p);
        case Source::PowX2:
            return withAction<Source::PowX2>(v, p);
        case Source::PowX3:
            return withAction<Source::PowX3>(v, p);
        case Source::PowX:
            return withAction<Source::PowX>(v, p);
        case Source::Slot:
            return withAction<Source::Slot>(v, p);
        case Source::SlotPow:
            return withAction<Source::SlotPow>(v, p);
        }
    }

    // F = B ^ exponent by the power rule, which may fail or fault.
    template <typename Exponent> void powerLoop(const Pass& p, Exponent exponent)
    {
        for (int i = 0; i < p.count; ++i) {
            Ext value = 0;
            const Outcome outcome = PowerExt(p.B[i], exponent(i), value);
            if (outcome == Outcome::Value) {
                p.F[i] = value;
            } else {
                p.end(i, outcome == Outcome::Fail);
                p.F[i] = 1; // raises no flag in what follows
            }
        }
    }

    void copy(Ext* to, const Ext* from, int count)
    {
        std::memcpy(static_cast<void*>(to), from, sizeof(Ext) * static_cast<std::size_t>(count));
    }

    // One operation as it is over the batch; false when it ends every sample's scan.
    bool runGeneric(const Op& op, const Pass& p)
    {
        const int count = p.count;
        switch (op.code) {
        case OpCode::EndTerm:
            for (int i = 0; i < count; ++i) {
                p.S[i] = p.S[i] + p.T[i];
                std::memset(static_cast<void*>(p.T + i), 0, sizeof(Ext));
            }
            return true;
        case OpCode::NegT:
            for (int i = 0; i < count; ++i)
                p.T[i] = -p.T[i];
            return true;
        case OpCode::CopyFToB:
            copy(p.B, p.F, count);
            return true;
        case OpCode::SetBX:
            copy(p.B, p.xs, count);
            return true;
        case OpCode::SetBConst:
            for (int i = 0; i < count; ++i)
                p.B[i] = op.constant;
            return true;
        case OpCode::PowBWhole: {
            const auto n = static_cast<std::uint32_t>(op.index);
            for (int i = 0; i < count; ++i)
                p.F[i] = wholePower(p.B[i], n, op.negative);
            return true;
        }
        case OpCode::PowBConst:
            powerLoop(p, [&op](int) { return op.constant; });
            return true;
        case OpCode::PowBX:
            powerLoop(p, [&p](int i) { return p.xs[i]; });
            return true;
        case OpCode::PowBF:
            powerLoop(p, [&p](int i) { return p.F[i]; });
            return true;
        case OpCode::Fail:
            for (int i = 0; i < count; ++i)
                p.out[i] = NoValue;
            return false;
        case OpCode::Fault:
            copy(p.out, p.S, count);
            return false;
        default: // the steps of terms and the nested values are lowered; Discard never runs here
            return true;
        }
    }

    // A scan of simple terms (x, a constant, a nested value or a whole power of either, each
    // with a constant factor or not) keeps its total in the processor from the first term to
    // the last.
    bool isSimpleTerm(const VectorOp& v)
    {
        if (v.code == 0 || v.ending == Ending::None || v.source == Source::F)
            return false;
        return v.action == Action::Set || v.action == Action::ConstMul;
    }

    // The value of a step's source for sample i; false when a built-in function's failure or
    // fault ends the scan (`failed` tells which).
    // The value of an inlined nested scan: the steps of its simple terms.
    [[gnu::always_inline]] inline Ext inlineValue(const VectorOp& v, Ext x)
    {
        Ext s = 0;
        for (int k = 0; k < v.inlineTerms; ++k) {
            const InlineTerm& term = v.terms[static_cast<std::size_t>(k)];
            Ext value;
            switch (term.source) {
            case Source::X:
                value = x;
                break;
            case Source::PowX2:
                value = x * x;
                break;
            case Source::PowX3:
                value = x * (x * x);
                break;
            default:
                value = term.constant;
            }
            if (term.constMul)
                value = term.constant * value;
            s = s + value;
        }
        return s;
    }

    // The nested values and outcomes of each step of a scan kept in the processor.
    struct StepInputs
    {
        std::array<const Ext*, MaxRegisterSteps> values {};
        std::array<const BuiltinLookup*, MaxRegisterSteps> outcome {};

        StepInputs(const VectorScan& scan, const Factors& factors)
        {
            for (std::size_t k = 0; k < scan.ops.size(); ++k) {
                const VectorOp& v = scan.ops[k];
                if (v.source != Source::Slot && v.source != Source::SlotPow)
                    continue;
                values[k] = factors.values[v.nested];
                outcome[k] = factors.outcome[v.nested];
            }
        }
    };

    [[gnu::always_inline]] inline bool stepValue(const VectorOp& v, const StepInputs& inputs, std::size_t k, Ext x,
        int i, Ext& value, bool& failed)
    {
        switch (v.source) {
        case Source::X:
            value = x;
            return true;
        case Source::Const:
            value = v.constant;
            return true;
        case Source::PowX2:
            value = x * x;
            return true;
        case Source::PowX3:
            value = x * (x * x);
            return true;
        case Source::PowX:
            value = wholePower(x, v.n, v.negative);
            return true;
        default: {
            if (v.inlined) {
                value = inlineValue(v, x);
                if (v.source == Source::SlotPow)
                    value = wholePower(value, v.n, v.negative);
                return true;
            }
            if (v.builtin && inputs.outcome[k][i] != BuiltinLookup::Value) {
                failed = inputs.outcome[k][i] == BuiltinLookup::Fail;
                return false;
            }
            value = inputs.values[k][i];
            if (v.source == Source::SlotPow)
                value = wholePower(value, v.n, v.negative);
            return true;
        }
        }
    }

    [[gnu::always_inline]] inline Ext simpleScan(
        const VectorOp* ops, std::size_t count, const StepInputs& inputs, Ext x, int i)
    {
        Ext s = 0;
        for (std::size_t k = 0; k < count; ++k) {
            const VectorOp& v = ops[k];
            Ext value;
            bool failed = false;
            if (!stepValue(v, inputs, k, x, i, value, failed))
                return failed ? NoValue : s;
            if (v.action == Action::ConstMul)
                value = v.constant * value;
            s = s + value;
        }
        return s;
    }

    // A scan that is one term (its steps end nothing until the last ends the scan) keeps the
    // term in the processor; the total is +0 throughout.
    bool isTermStep(const VectorOp& v, bool last)
    {
        if (v.code == 0 || v.source == Source::F || v.action == Action::FactorOnly)
            return false;
        return v.ending == (last ? Ending::Scan : Ending::None);
    }

    [[gnu::always_inline]] inline Ext termScan(
        const VectorOp* ops, std::size_t count, const StepInputs& inputs, Ext x, int i)
    {
        Ext t = 0;
        for (std::size_t k = 0; k < count; ++k) {
            const VectorOp& v = ops[k];
            Ext value;
            bool failed = false;
            if (!stepValue(v, inputs, k, x, i, value, failed))
                return failed ? NoValue : 0;
            switch (v.action) {
            case Action::Set:
                t = value;
                break;
            case Action::ConstMul:
                t = v.constant * value;
                break;
            case Action::Mul:
                t = t * value;
                break;
            default:
                t = t / value;
            }
        }
        const Ext total = 0;
        return total + t;
    }

} // namespace

bool VectorScan::isOneTerm() const
{
    if (ops.size() > MaxRegisterSteps)
        return false;
    for (std::size_t k = 0; k < ops.size(); ++k) {
        if (!isTermStep(ops[k], k + 1 == ops.size()))
            return false;
    }
    return !ops.empty();
}

bool VectorScan::simple() const
{
    return ops.size() <= MaxRegisterSteps && std::all_of(ops.begin(), ops.end(), isSimpleTerm);
}

int StepCode(Source source, Action action, Ending ending)
{
    return 1 + (static_cast<int>(source) * 5 + static_cast<int>(action)) * 3
        + static_cast<int>(ending);
}

void RunVectorScan(const VectorScan& scan, const Factors& factors, const Ext* xs, Ext* out,
    int count, const Registers& registers)
{
    if (scan.isSimple || scan.oneTerm) {
        const StepInputs inputs(scan, factors);
        const VectorOp* ops = scan.ops.data();
        const std::size_t size = scan.ops.size();
        if (scan.isSimple) {
            for (int i = 0; i < count; ++i)
                out[i] = simpleScan(ops, size, inputs, xs[i], i);
        } else {
            for (int i = 0; i < count; ++i)
                out[i] = termScan(ops, size, inputs, xs[i], i);
        }
        return;
    }
    const auto bytes = sizeof(Ext) * static_cast<std::size_t>(count);
    // All-zero bytes are +0.
    std::memset(static_cast<void*>(registers.S), 0, bytes);
    std::memset(static_cast<void*>(registers.T), 0, bytes);
    if (scan.clearFB) {
        std::memset(static_cast<void*>(registers.F), 0, bytes);
        std::memset(static_cast<void*>(registers.B), 0, bytes);
    }
    if (scan.mayEnd)
        std::memset(registers.ended, 0, static_cast<std::size_t>(count));
    const Pass pass { factors, xs, out, count, registers.S, registers.T, registers.F, registers.B,
        registers.ended, registers.endValue };
    bool summed = false; // out holds the values already
    for (const VectorOp& v : scan.ops) {
        if (v.code == 0) {
            if (!runGeneric(v.op, pass)) {
                summed = true;
                break;
            }
            continue;
        }
        runTermStep(v, pass);
        summed = v.ending == Ending::Scan;
    }
    if (!summed) {
        for (int i = 0; i < count; ++i)
            out[i] = registers.S[i] + registers.T[i];
    }
    if (scan.mayEnd) {
        for (int i = 0; i < count; ++i) {
            if (registers.ended[i])
                out[i] = registers.endValue[i];
        }
    }
}

} // namespace velquor::vector
