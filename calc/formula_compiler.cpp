#include "calc/builtin_functions.h"
#include "calc/evaluate.h"
#include "calc/ext_math.h"
#include "calc/formula_program.h"
#include "calc/scan_text.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace velquor {

namespace {

    using scan::isDigit;
    using scan::isHexDigit;
    using scan::isLetter;
    using scan::isLetterOrDigit;
    using scan::isNumberChar;
    using scan::NoChar;

    static_assert(CompileLimit <= EvaluationBudget);

    // Where the value of the factor or the base lives while compiling.
    enum class Source { Const, X, Register };

    struct Builder
    {
        const EvaluationRequest& request;
        int funcCount;
        FormulaProgram& program;
        std::uint64_t work = 0; // the characters every evaluation of the program scans at most
        bool tooLarge = false;
        int callDepth = 0;
        int randomUses = 0;

        std::int32_t compileText(std::string_view text, int depth);
    };

    // The compile-time twin of the evaluator's scanner: the same tests in the same order, with
    // every flag decided here and every arithmetic step emitted as an operation. The factor,
    // the base and the term are followed as constants while they are known, so constant
    // arithmetic is done here, with the same operations in the same order.
    class ScanCompiler
    {
    public:
        ScanCompiler(Builder& builder, std::string_view text, int depth)
            : m_builder(builder)
            , m_text(text)
            , m_depth(depth)
        {
        }

        std::vector<Op> run();

    private:
        int at(std::int64_t index) const { return scan::foldedAt(m_text, index); }
        int ch() const { return at(m_pos); }
        int prev() const { return at(m_pos - 1); }
        int next() const { return at(m_pos + 1); }

        void step();
        void endTerm(Ext startFactor);
        std::string_view extractGroup(int opening, int closing);
        void readNumber();
        void readHex();
        bool scanName();
        bool letterConstant();
        void setBase();
        void power();
        void fold();
        void foldDivision();
        void foldProduct();

        void emit(OpCode code, Ext constant = 0, std::int32_t index = 0, std::int32_t scan = 0)
        {
            m_ops.push_back(Op { code, false, index, scan, constant });
        }
        void end(OpCode code)
        {
            emit(code);
            m_ended = true;
        }
        void setFactor(Source source, Ext constant = 0)
        {
            m_factorSource = source;
            m_factorConstant = constant;
            m_factorReady = true;
        }
        void setTerm(Ext constant)
        {
            m_termKnown = true;
            m_termConstant = constant;
            m_termInRegister = false;
        }
        void termToRegister()
        {
            if (m_termKnown && !m_termInRegister)
                emit(OpCode::SetTConst, m_termConstant);
            m_termInRegister = true;
        }
        std::int32_t nested(std::string_view inner)
        {
            return m_builder.compileText(inner, m_depth + 1);
        }

        Builder& m_builder;
        std::string_view m_text;
        int m_depth;
        std::vector<Op> m_ops;
        bool m_ended = false;

        std::int64_t m_pos = 0;
        bool m_newTerm = true;
        bool m_dividePending = false;
        bool m_powerPending = false;
        bool m_factorReady = false;
        bool m_signFactor = false;

        Source m_factorSource = Source::Const;
        Ext m_factorConstant = 0;
        Source m_baseSource = Source::Const;
        Ext m_baseConstant = 0;
        bool m_termKnown = true; // the term is m_termConstant
        Ext m_termConstant = 0;
        bool m_termInRegister = true; // the register T holds the known term already
        bool m_totalZero = true; // the register S holds +0: no term has been added yet
    };

    std::vector<Op> ScanCompiler::run()
    {
        while (m_pos < static_cast<std::int64_t>(m_text.size()) && !m_ended && !m_builder.tooLarge)
            step();
        if (!m_ended)
            termToRegister();
        return std::move(m_ops);
    }

    void ScanCompiler::step()
    {
        m_factorReady = false;
        m_signFactor = false;
        if (ch() == '-') { // T1
            if (prev() == '*' || prev() == '/') {
                setFactor(Source::Const, -1);
                m_signFactor = true;
            } else {
                endTerm(-1);
            }
        }
        if (ch() == '+' && prev() != '*' && prev() != '/') // T2
            endTerm(+1);
        if (ch() == '|') { // T3
            const std::int32_t scan = nested(extractGroup(NoChar, '|'));
            emit(OpCode::Bars, 0, 0, scan);
            setFactor(Source::Register);
        }
        if (ch() == '(' || ch() == '[' || ch() == '{') { // T4
            const int closing = ch() == '(' ? ')' : (ch() == '[' ? ']' : '}');
            const std::int32_t scan = nested(extractGroup(ch(), closing));
            emit(OpCode::Group, 0, 0, scan);
            setFactor(Source::Register);
        }
        if (isNumberChar(ch())) // T5
            readNumber();
        bool hexLiteral = false;
        if (ch() == '$') { // T6
            readHex();
            if (m_ended)
                return;
            hexLiteral = true;
        }
        if (!hexLiteral) {
            if (ch() == '/') { // T7
                m_dividePending = true;
                m_factorReady = false;
            }
            if (isLetter(ch()) && scanName()) // T8
                m_factorReady = true;
            if (letterConstant()) // T9
                m_factorReady = true;
        }
        if (next() == '^' && m_factorReady) { // T10
            setBase();
            m_factorReady = false;
        }
        if (ch() == '^') { // T11
            m_powerPending = true;
            m_factorReady = false;
        }
        if (m_factorReady && m_powerPending) { // T12
            power();
            if (m_ended)
                return;
            m_powerPending = false;
            m_baseSource = Source::Const;
            m_baseConstant = 0;
            m_signFactor = false;
        }
        if (m_factorReady) // T13
            fold();
        ++m_pos; // T14
    }

    void ScanCompiler::endTerm(Ext startFactor)
    {
        // A sign before the first term adds +0 to a total of +0: nothing changes.
        const bool nothingToAdd = m_totalZero && m_termKnown && m_termConstant == 0
            && !std::signbit(m_termConstant) && m_termInRegister;
        if (!nothingToAdd) {
            termToRegister();
            emit(OpCode::EndTerm);
            m_totalZero = false;
        }
        m_termKnown = true;
        m_termConstant = 0;
        m_termInRegister = true;
        setFactor(Source::Const, startFactor);
        m_newTerm = true;
    }

    std::string_view ScanCompiler::extractGroup(int opening, int closing)
    {
        return scan::extractGroup(m_text, m_pos, opening, closing);
    }

    void ScanCompiler::readNumber()
    {
        const std::int64_t start = m_pos;
        while (isNumberChar(next()))
            ++m_pos;
        const auto run = m_text.substr(
            static_cast<std::size_t>(start), static_cast<std::size_t>(m_pos - start + 1));
        setFactor(Source::Const, LiteralValue(run));
    }

    void ScanCompiler::readHex()
    {
        std::uint64_t value = 0;
        int digits = 0;
        while (isHexDigit(next())) {
            ++m_pos;
            const int c = ch();
            value = value * 16 + static_cast<std::uint64_t>(isDigit(c) ? c - '0' : c - 'a' + 10);
            ++digits;
            if (value > 0xFFFFFFFFu)
                return end(OpCode::Fault);
        }
        if (digits == 0)
            return end(OpCode::Fault);
        setFactor(Source::Const, static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
    }

    // T8. The argument is evaluated before the name is looked up, so it is compiled (and, when
    // it may draw random numbers, kept) even when the letters are then read one by one.
    bool ScanCompiler::scanName()
    {
        constexpr int MaxNameLength = 11;
        const std::int64_t start = m_pos;
        int length = 0;
        while (length <= MaxNameLength && isLetterOrDigit(at(start + length)))
            ++length;
        if (length > MaxNameLength || at(start + length) != '(')
            return false;
        char name[MaxNameLength];
        for (int i = 0; i < length; ++i)
            name[i] = static_cast<char>(at(start + i));
        const std::string_view nameView(name, static_cast<std::size_t>(length));

        m_pos = start + length;
        const int randomBefore = m_builder.randomUses;
        const std::int32_t argument = nested(extractGroup('(', ')'));
        const int builtin = BuiltinIndex(nameView);
        if (builtin >= 0) {
            if (builtin == RandomBuiltin)
                ++m_builder.randomUses;
            emit(OpCode::Builtin, 0, builtin, argument);
            setFactor(Source::Register);
            return true;
        }
        CallSite site { argument, {} };
        for (int i = 0; i < m_builder.funcCount; ++i) {
            if (m_builder.request.funcNames[static_cast<std::size_t>(i)] != nameView)
                continue;
            if (m_builder.callDepth >= MaxCallDepth) {
                site.callees.push_back(-1);
                continue;
            }
            ++m_builder.callDepth;
            site.callees.push_back(m_builder.compileText(
                m_builder.request.funcFormulas[static_cast<std::size_t>(i)], m_depth + 1));
            --m_builder.callDepth;
        }
        if (site.callees.empty()) {
            if (m_builder.randomUses != randomBefore)
                emit(OpCode::Discard, 0, 0, argument);
            m_pos = start;
            return false;
        }
        m_builder.program.calls.push_back(std::move(site));
        emit(OpCode::Call, 0, static_cast<std::int32_t>(m_builder.program.calls.size() - 1));
        setFactor(Source::Register);
        return true;
    }

    bool ScanCompiler::letterConstant()
    {
        switch (ch()) {
        case 'p':
            setFactor(Source::Const, Pi);
            return true;
        case 'x':
        case 't':
        case 's':
            setFactor(Source::X);
            return true;
        case 'a':
            setFactor(Source::Const, m_builder.request.a);
            return true;
        case 'b':
            setFactor(Source::Const, m_builder.request.b);
            return true;
        case 'e':
            setFactor(Source::Const, LetterE);
            return true;
        default:
            return false;
        }
    }

    // T10: the register F is overwritten by the next factor, so a base held there is copied.
    void ScanCompiler::setBase()
    {
        m_baseSource = m_factorSource;
        m_baseConstant = m_factorConstant;
        if (m_factorSource == Source::Register)
            emit(OpCode::CopyFToB);
    }

    void ScanCompiler::power()
    {
        if (m_factorSource == Source::Const) {
            const Ext exponent = m_factorConstant;
            if (m_baseSource == Source::Const) {
                Ext value = 0;
                const Outcome outcome = PowerExt(m_baseConstant, exponent, value);
                if (outcome != Outcome::Value)
                    return end(outcome == Outcome::Fail ? OpCode::Fail : OpCode::Fault);
                setFactor(Source::Const, value);
                return;
            }
            if (exponent == 0) // 1 whatever the base
                return setFactor(Source::Const, 1);
            if (exponent == truncl(exponent) && fabsl(exponent) <= 2147483647.0L) {
                const OpCode code
                    = m_baseSource == Source::X ? OpCode::PowXWhole : OpCode::PowBWhole;
                m_ops.push_back(
                    Op { code, exponent < 0, static_cast<std::int32_t>(fabsl(exponent)), 0, 0 });
                return setFactor(Source::Register);
            }
        }
        if (m_baseSource == Source::X)
            emit(OpCode::SetBX);
        else if (m_baseSource == Source::Const)
            emit(OpCode::SetBConst, m_baseConstant);
        if (m_factorSource == Source::Const)
            emit(OpCode::PowBConst, m_factorConstant);
        else
            emit(m_factorSource == Source::X ? OpCode::PowBX : OpCode::PowBF);
        setFactor(Source::Register);
    }

    // T13.
    void ScanCompiler::fold()
    {
        if (m_signFactor) { // a pending division still applies to the factor that follows
            if (m_newTerm) {
                setTerm(-1);
                m_newTerm = false;
            } else if (m_termKnown) {
                setTerm(-m_termConstant);
            } else {
                emit(OpCode::NegT);
            }
            return;
        }
        if (m_newTerm) {
            m_newTerm = false;
            if (m_factorSource == Source::Const) {
                if (!std::isfinite(m_factorConstant))
                    return end(OpCode::Fault);
                setTerm(m_factorConstant);
            } else {
                emit(m_factorSource == Source::X ? OpCode::SetTX : OpCode::SetTF);
                m_termKnown = false;
            }
        } else if (m_dividePending) {
            foldDivision();
        } else {
            foldProduct();
        }
        m_dividePending = false;
    }

    void ScanCompiler::foldDivision()
    {
        if (m_factorSource == Source::Const) {
            if (m_factorConstant == 0)
                return end(OpCode::Fail);
            if (m_termKnown) {
                const Ext term = m_termConstant / m_factorConstant;
                if (!std::isfinite(term))
                    return end(OpCode::Fault);
                return setTerm(term);
            }
            return emit(OpCode::DivConst, m_factorConstant);
        }
        termToRegister();
        emit(m_factorSource == Source::X ? OpCode::DivX : OpCode::DivF);
        m_termKnown = false;
    }

    void ScanCompiler::foldProduct()
    {
        if (m_factorSource == Source::Const) {
            if (m_termKnown) {
                const Ext term = m_termConstant * m_factorConstant;
                if (!std::isfinite(term))
                    return end(OpCode::Fault);
                return setTerm(term);
            }
            return emit(OpCode::MulConst, m_factorConstant);
        }
        const bool x = m_factorSource == Source::X;
        if (m_termKnown && !m_termInRegister)
            emit(x ? OpCode::ConstMulX : OpCode::ConstMulF, m_termConstant);
        else
            emit(x ? OpCode::MulX : OpCode::MulF);
        m_termKnown = false;
    }

    // Mirrors the evaluator's entry of every evaluation: too deep gives NoValue, then the text's
    // work is counted, then an empty text gives 0.
    std::int32_t Builder::compileText(std::string_view text, int depth)
    {
        const auto index = static_cast<std::int32_t>(program.scans.size());
        program.scans.emplace_back();
        program.scans.back().depth = depth;
        program.maxDepth = std::max(program.maxDepth, depth);
        if (depth > MaxNestingDepth) {
            program.scans.back().isConstant = true;
            program.scans.back().constant = NoValue;
            return index;
        }
        work += text.size() + NestedEvaluationCost;
        if (work > CompileLimit)
            tooLarge = true;
        if (tooLarge || text.empty()) {
            program.scans.back().isConstant = true;
            return index;
        }
        ScanCompiler compiler(*this, text, depth);
        std::vector<Op> ops = compiler.run();
        program.scans[static_cast<std::size_t>(index)].ops = std::move(ops);
        return index;
    }

} // namespace

std::unique_ptr<FormulaProgram> CompileFormula(const EvaluationRequest& request)
{
    auto program = std::make_unique<FormulaProgram>();
    program->degreeMode = request.degreeMode;
    Builder builder { request, std::clamp(request.funcCount, 0, MaxCallableFormulas), *program };
    builder.compileText(request.formula, 0);
    if (builder.tooLarge)
        return nullptr;
    program->usesRandom = builder.randomUses > 0;
    program->work = builder.work;
    return program;
}

} // namespace velquor
