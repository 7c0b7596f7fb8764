#include "calc/evaluate.h"

#include "calc/builtin_functions.h"
#include "calc/ext_math.h"
#include "calc/number_text.h"
#include "calc/scan_text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace velquor {

namespace {

    using scan::isDigit;
    using scan::isHexDigit;
    using scan::isLetter;
    using scan::isLetterOrDigit;
    using scan::isNumberChar;
    using scan::NoChar;

    // What all nested evaluations of one top-level call share. A nested evaluation changes only
    // its text and x, so the request (with its 50-entry callable table) is kept by reference
    // instead of being copied for every group.
    struct EvalContext
    {
        const EvaluationRequest& request;
        int funcCount;
        std::uint64_t budgetLeft = EvaluationBudget;
        bool exhausted = false; // the budget ran out: the top-level call gives NoValue
        int callDepth = 0; // called formulas currently open

        // Accounts for `count` scanned characters; false once the budget is spent.
        bool charge(std::uint64_t count)
        {
            if (exhausted || count > budgetLeft) {
                exhausted = true;
                return false;
            }
            budgetLeft -= count;
            return true;
        }
    };

    Ext evaluateText(EvalContext& context, std::string_view text, Ext x, int depth);

    // The formula's value for the called name, evaluated with x = argument; every entry of that
    // name is evaluated in turn and the last value wins.
    bool callOtherFunction(
        EvalContext& context, std::string_view name, Ext& value, Ext argument, int depth)
    {
        bool found = false;
        for (int i = 0; i < context.funcCount; ++i) {
            if (context.request.funcNames[i] != name)
                continue;
            found = true;
            if (context.callDepth >= MaxCallDepth) {
                value = NoValue; // a chain of calls this deep is taken as endless recursion
                continue;
            }
            ++context.callDepth;
            value = evaluateText(context, context.request.funcFormulas[i], argument, depth + 1);
            --context.callDepth;
            if (context.exhausted)
                return true;
        }
        return found;
    }

    // One evaluation: the left-to-right scan over one formula text. The text is folded to lower
    // case as it is read, so no copy is made.
    class Scanner
    {
    public:
        Scanner(EvalContext& context, std::string_view text, Ext x, int depth)
            : m_context(context)
            , m_text(text)
            , m_x(x)
            , m_depth(depth)
        {
        }

        Ext run();

    private:
        int at(std::int64_t index) const { return scan::foldedAt(m_text, index); }
        int ch() const { return at(m_pos); }
        int prev() const { return at(m_pos - 1); }
        int next() const { return at(m_pos + 1); }

        Outcome step();
        Outcome endTerm(Ext startFactor);
        std::string_view extractGroup(int opening, int closing);
        Ext nested(std::string_view inner, Ext x);
        void readNumber();
        Outcome readHex();
        Outcome scanName(bool& yielded);
        bool letterConstant();
        Outcome foldFactor();

        EvalContext& m_context;
        std::string_view m_text;
        Ext m_x;
        int m_depth;

        Ext m_total = 0; // sum of the finished terms
        Ext m_term = 0; // product of the current term
        Ext m_factor = 0; // the last operand
        Ext m_base = 0;
        std::int64_t m_pos = 0; // 0-based; may pass the end after an unclosed group
        bool m_newTerm = true;
        bool m_dividePending = false;
        bool m_powerPending = false;
        bool m_factorReady = false;
        bool m_signFactor = false; // the factor is the sign of the next factor after "*" or "/"
    };

    Ext Scanner::run()
    {
        while (m_pos < static_cast<std::int64_t>(m_text.size())) {
            const Outcome outcome = step();
            if (m_context.exhausted)
                return NoValue;
            if (outcome == Outcome::Fail)
                return NoValue;
            if (outcome == Outcome::Fault)
                return m_total; // the term in progress is dropped
        }
        const Ext result = m_total + m_term;
        return std::isfinite(result) ? result : m_total;
    }

    // One step of the scan: the tests run in their fixed order, each on the character at the
    // position as earlier tests of the same step left it. Kept as one function so that the order
    // reads as it runs.
    Outcome Scanner::step()
    {
        m_factorReady = false;
        m_signFactor = false;
        if (ch() == '-') { // T1
            if (prev() == '*' || prev() == '/') {
                m_factor = -1;
                m_signFactor = true;
                m_factorReady = true;
            } else if (endTerm(-1) == Outcome::Fault) {
                return Outcome::Fault;
            }
        }
        if (ch() == '+' && prev() != '*' && prev() != '/') { // T2
            if (endTerm(+1) == Outcome::Fault)
                return Outcome::Fault;
        }
        if (ch() == '|') { // T3: bars do not nest; the group ends at the next bar
            const std::string_view inner = extractGroup(NoChar, '|');
            m_factor = fabsl(nested(inner, m_x));
            m_factorReady = true;
        }
        if (ch() == '(' || ch() == '[' || ch() == '{') { // T4
            const int closing = ch() == '(' ? ')' : (ch() == '[' ? ']' : '}');
            const std::string_view inner = extractGroup(ch(), closing);
            m_factor = nested(inner, m_x);
            m_factorReady = true;
        }
        if (m_context.exhausted)
            return Outcome::Fail;
        if (isNumberChar(ch())) // T5
            readNumber();
        bool hexLiteral = false;
        if (ch() == '$') { // T6: a hex literal skips T7 to T9, so its letters are not names
            if (readHex() == Outcome::Fault)
                return Outcome::Fault;
            hexLiteral = true;
        }
        if (!hexLiteral) {
            if (ch() == '/') { // T7
                m_dividePending = true;
                m_factorReady = false;
            }
            if (isLetter(ch())) { // T8
                bool yielded = false;
                const Outcome outcome = scanName(yielded);
                if (outcome != Outcome::Value)
                    return outcome;
                if (yielded)
                    m_factorReady = true;
            }
            if (letterConstant()) // T9
                m_factorReady = true;
        }
        if (next() == '^' && m_factorReady) { // T10: the factor waits for its exponent
            m_base = m_factor;
            m_factorReady = false;
        }
        if (ch() == '^') { // T11
            m_powerPending = true;
            m_factorReady = false;
        }
        if (m_factorReady && m_powerPending) { // T12
            const Outcome outcome = PowerExt(m_base, m_factor, m_factor);
            if (outcome != Outcome::Value)
                return outcome;
            m_powerPending = false;
            m_base = 0;
            m_signFactor = false;
        }
        if (m_factorReady) { // T13
            const Outcome outcome = foldFactor();
            if (outcome != Outcome::Value)
                return outcome;
        }
        ++m_pos; // T14
        return Outcome::Value;
    }

    // "-" or "+" outside a sign position: the term is finished and a new one starts with the sign.
    Outcome Scanner::endTerm(Ext startFactor)
    {
        const Ext total = m_total + m_term;
        if (!std::isfinite(total))
            return Outcome::Fault;
        m_total = total;
        m_term = 0;
        m_factor = startFactor;
        m_newTerm = true;
        m_factorReady = true;
        return Outcome::Value;
    }

    // T13: the factor joins the term.
    Outcome Scanner::foldFactor()
    {
        if (m_signFactor) { // a pending division still applies to the factor that follows
            if (m_newTerm) {
                m_term = -1;
                m_newTerm = false;
            } else {
                m_term = -m_term;
            }
            return Outcome::Value;
        }
        Ext term = m_term;
        if (m_newTerm) {
            term = m_factor;
            m_newTerm = false;
        } else if (m_dividePending) {
            if (m_factor == 0)
                return Outcome::Fail;
            term = m_term / m_factor;
        } else {
            term = m_term * m_factor;
        }
        m_dividePending = false;
        if (!std::isfinite(term))
            return Outcome::Fault;
        m_term = term;
        return Outcome::Value;
    }

    // Cuts out the text after the opening character at m_pos up to the matching closing one
    // (only the group's own pair is counted) and leaves m_pos on the closing character, or past
    // the end when the group is never closed. The enclosed text is a contiguous part of the
    // formula, so it is returned as a view.
    std::string_view Scanner::extractGroup(int opening, int closing)
    {
        return scan::extractGroup(m_text, m_pos, opening, closing);
    }

    Ext Scanner::nested(std::string_view inner, Ext x)
    {
        return evaluateText(m_context, inner, x, m_depth + 1);
    }

    // T5: a run of digits and points; a run that is no number (1.2.3) gives 0.
    void Scanner::readNumber()
    {
        const std::int64_t start = m_pos;
        while (isNumberChar(next()))
            ++m_pos;
        const auto run = m_text.substr(
            static_cast<std::size_t>(start), static_cast<std::size_t>(m_pos - start + 1));
        m_factor = LiteralValue(run);
        m_factorReady = true;
    }

    // T6: "$" and hex digits, read as a 32-bit two's-complement integer.
    Outcome Scanner::readHex()
    {
        std::uint64_t value = 0;
        int digits = 0;
        while (isHexDigit(next())) {
            ++m_pos;
            const int c = ch();
            value = value * 16 + static_cast<std::uint64_t>(isDigit(c) ? c - '0' : c - 'a' + 10);
            ++digits;
            if (value > 0xFFFFFFFFu)
                return Outcome::Fault; // wider than 32 bits
        }
        if (digits == 0)
            return Outcome::Fault;
        m_factor = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
        m_factorReady = true;
        return Outcome::Value;
    }

    // T8: a run of at most 11 letters and digits directly followed by "(" is a call. When the
    // name is neither built in nor callable, m_pos returns to the first letter and the letters are
    // read one by one (xsin(x) is x times sin(x)).
    Outcome Scanner::scanName(bool& yielded)
    {
        constexpr int MaxNameLength = 11;
        const std::int64_t start = m_pos;
        int length = 0;
        while (length <= MaxNameLength && isLetterOrDigit(at(start + length)))
            ++length;
        if (length > MaxNameLength || at(start + length) != '(')
            return Outcome::Value;
        char name[MaxNameLength];
        for (int i = 0; i < length; ++i)
            name[i] = static_cast<char>(at(start + i));
        const std::string_view nameView(name, static_cast<std::size_t>(length));

        m_pos = start + length;
        const std::string_view inner = extractGroup('(', ')');
        const Ext argument = nested(inner, m_x);
        if (m_context.exhausted)
            return Outcome::Fail;
        Ext value = 0;
        switch (ApplyBuiltinFunction(nameView, argument, m_context.request.degreeMode, value)) {
        case BuiltinLookup::Fail:
            return Outcome::Fail;
        case BuiltinLookup::Fault:
            return Outcome::Fault;
        case BuiltinLookup::Value:
            break;
        case BuiltinLookup::NotBuiltin:
            if (!callOtherFunction(m_context, nameView, value, argument, m_depth)) {
                m_pos = start;
                return Outcome::Value;
            }
            if (m_context.exhausted)
                return Outcome::Fail;
            break;
        }
        m_factor = value;
        yielded = true;
        return Outcome::Value;
    }

    // T9: the single-letter constants and variables.
    bool Scanner::letterConstant()
    {
        switch (ch()) {
        case 'p':
            m_factor = Pi;
            return true;
        case 'x':
        case 't':
        case 's':
            m_factor = m_x;
            return true;
        case 'a':
            m_factor = m_context.request.a;
            return true;
        case 'b':
            m_factor = m_context.request.b;
            return true;
        case 'e':
            m_factor = LetterE;
            return true;
        default:
            return false;
        }
    }

    // Every evaluation, top-level or nested, pays for the characters it scans; nesting beyond
    // MaxNestingDepth fails, so that the stack stays bounded whatever the formula.
    Ext evaluateText(EvalContext& context, std::string_view text, Ext x, int depth)
    {
        if (depth > MaxNestingDepth)
            return NoValue;
        if (!context.charge(text.size() + NestedEvaluationCost))
            return NoValue;
        if (text.empty())
            return 0;
        Scanner scanner(context, text, x, depth);
        return scanner.run();
    }

} // namespace

Ext Evaluate(const EvaluationRequest& request)
{
    std::uint64_t work = 0;
    return Evaluate(request, work);
}

Ext Evaluate(const EvaluationRequest& request, std::uint64_t& work)
{
    EvalContext context { request, std::clamp(request.funcCount, 0, MaxCallableFormulas) };
    const Ext value = evaluateText(context, request.formula, request.x, 0);
    work = context.exhausted ? EvaluationBudget : EvaluationBudget - context.budgetLeft;
    return context.exhausted ? NoValue : value;
}

bool CallOtherFunction(const EvaluationRequest& request, std::string_view name, Ext& value, Ext argument)
{
    EvalContext context { request, std::clamp(request.funcCount, 0, MaxCallableFormulas) };
    Ext result = 0;
    const bool found = callOtherFunction(context, name, result, argument, 0);
    if (found)
        value = context.exhausted ? NoValue : result;
    return found;
}

// The value of a run of digits and points, as StrToValue reads it. Short runs are read
// directly: up to 19 digits form an exact 64-bit integer and 10^k is exact for k <= 27, so
// one correctly rounded division gives the same value as the full conversion.
Ext LiteralValue(std::string_view run)
{
    std::uint64_t digits = 0;
    int count = 0;
    int fractionDigits = -1; // -1 until the point is seen
    for (const char c : run) {
        if (c == '.') {
            if (fractionDigits >= 0)
                return StrToValue(run); // a second point: no number
            fractionDigits = 0;
            continue;
        }
        if (++count > 19)
            return StrToValue(run);
        digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
        if (fractionDigits >= 0)
            ++fractionDigits;
    }
    if (fractionDigits > 27)
        return StrToValue(run);
    Ext power = 1;
    for (int i = 0; i < fractionDigits; ++i)
        power *= 10;
    return static_cast<Ext>(digits) / power;
}

Ext StrToValue(std::string_view text)
{
    Ext value = 0;
    return TryStrToFloat(text, value, '.') ? value : 0;
}

void PolarToXY(Ext& y, Ext& x, Ext r, Ext theta)
{
    y = r * SinExt(theta);
    x = r * CosExt(theta);
}

} // namespace velquor
