#pragma once

// Formulas for differential testing: sentences of the formula language, mutated ones and
// garbage, with callable tables that call each other. Deterministic for a given seed.

#include "calc/evaluation_request.h"

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace velquor::test {

class FormulaGenerator
{
public:
    explicit FormulaGenerator(std::uint64_t seed)
        : m_random(seed)
    {
    }

    // A formula of the language with up to `depth` levels of nesting.
    std::string sentence(int depth)
    {
        std::string text;
        const int terms = 1 + below(3);
        for (int i = 0; i < terms; ++i) {
            if (i > 0 || chance(4))
                text += pick({ "+", "-", "+-", "--" });
            const int factors = 1 + below(3);
            for (int j = 0; j < factors; ++j) {
                if (j > 0)
                    text += pick({ "", "*", "/", "*-", "/-", " " });
                text += factor(depth);
                if (chance(5))
                    text += std::string("^") + factor(depth - 1);
            }
        }
        return text;
    }

    // A sentence with a few bytes replaced, inserted or deleted, or plain garbage.
    std::string formula()
    {
        if (chance(20))
            return garbage();
        std::string text = sentence(below(4));
        if (chance(3)) {
            const int edits = 1 + below(3);
            for (int i = 0; i < edits; ++i)
                mutate(text);
        }
        return text;
    }

    // A callable table of up to four entries named f, g and h (a name may repeat), calling each
    // other and themselves.
    void table(EvaluationRequest& request)
    {
        static const char* const names[] = { "f", "g", "h", "f" };
        request.funcCount = below(5);
        for (int i = 0; i < request.funcCount; ++i) {
            request.funcNames[static_cast<std::size_t>(i)] = names[i];
            request.funcFormulas[static_cast<std::size_t>(i)]
                = chance(16) ? std::string("f(x-1)+1") : sentence(below(3));
        }
    }

    // Samples: zero of either sign, poles of tan, huge and tiny values, ordinary ones.
    std::vector<long double> samples()
    {
        static const long double special[]
            = { 0.0L, -0.0L, 1, -1, 2, 0.5L, 1.5707963267948966192L, 90, 180, -3, 1e30L, -1e30L,
                  1e300L, 1e4000L, -1e4000L, 1e-4000L, 16.9L, 17, 4e9L, 9.3e18L, 1e-4940L,
                  std::numeric_limits<long double>::infinity(),
                  std::numeric_limits<long double>::quiet_NaN() };
        std::vector<long double> xs;
        const int count = 1 + below(6);
        for (int i = 0; i < count; ++i) {
            if (chance(2))
                xs.push_back(special[below(std::size(special))]);
            else
                xs.push_back(std::uniform_real_distribution<double>(-10, 10)(m_random));
        }
        return xs;
    }

    int below(int bound) { return static_cast<int>(m_random() % static_cast<unsigned>(bound)); }
    bool chance(int oneIn) { return below(oneIn) == 0; }

private:
    std::string pick(std::initializer_list<const char*> options)
    {
        return *(options.begin() + below(static_cast<int>(options.size())));
    }

    std::string factor(int depth)
    {
        static const char* const functions[] = { "sin", "cos", "tan", "sec", "cosec", "sinh",
            "tanh", "cosh", "cotan", "cot", "arctan", "arccos", "arcsin", "arcsinh", "arctanh",
            "arccosh", "sqrt", "abs", "exp", "frac", "int", "round", "logtwo", "logten", "log2",
            "log10", "ln", "loge", "sqr", "random", "cycletorad", "degtorad", "gradtorad",
            "radtocycle", "radtodeg", "radtograd", "f", "g", "h", "xsin", "foo", "SIN" };
        static const char* const atoms[] = { "x", "t", "s", "a", "b", "p", "e", "X", "2", "3", "0",
            "1.5", "0.1", "1.2.3", "10", "1000", "$ff", "$ffffffff", "$", "$123456789",
            "99999999999999999999", "1e", ".5", "7", "xx", "ax", "2x", "17" };
        if (depth <= 0 || chance(2))
            return atoms[below(std::size(atoms))];
        switch (below(4)) {
        case 0:
            return "(" + sentence(depth - 1) + (chance(8) ? "" : ")");
        case 1:
            return "|" + sentence(depth - 1) + "|";
        case 2:
            return pick({ "[", "{" }) + sentence(depth - 1) + pick({ "]", "}" });
        default:
            return std::string(functions[below(std::size(functions))]) + "(" + sentence(depth - 1)
                + ")";
        }
    }

    void mutate(std::string& text)
    {
        static const char bytes[] = "()[]{}|+-*/^$.0123456789xabpesz \x80\xff";
        const auto position
            = text.empty() ? 0 : static_cast<std::size_t>(below(static_cast<int>(text.size())));
        const char byte = bytes[below(sizeof bytes - 1)];
        switch (below(3)) {
        case 0:
            if (!text.empty())
                text[position] = byte;
            break;
        case 1:
            text.insert(position, 1, byte);
            break;
        default:
            if (!text.empty())
                text.erase(position, 1);
        }
    }

    std::string garbage()
    {
        std::string text;
        const int length = below(24);
        for (int i = 0; i < length; ++i)
            text += static_cast<char>(below(256));
        return text;
    }

    std::mt19937_64 m_random;
};

} // namespace velquor::test
