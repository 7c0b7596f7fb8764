// The compiled form against the literal scan: every value, NoValue and partial sum bit for bit,
// and the same sequence of random numbers, one sample at a time and in batches.

#include "calc/compiled_formula.h"
#include "calc/evaluate.h"
#include "formula_generator.h"

#include <cstring>
#include <gtest/gtest.h>
#include <iomanip>
#include <limits>
#include <sstream>
#include <vector>

namespace velquor {
namespace {

    bool sameBits(Ext a, Ext b)
    {
        return std::memcmp(&a, &b, 10) == 0;
    }

    std::string describe(const EvaluationRequest& request, Ext x)
    {
        std::ostringstream out;
        out << std::setprecision(21) << "formula \"" << request.formula << "\" x=" << x
            << " degree=" << request.degreeMode;
        for (int i = 0; i < request.funcCount; ++i)
            out << " " << request.funcNames[static_cast<std::size_t>(i)] << "=\""
                << request.funcFormulas[static_cast<std::size_t>(i)] << '"';
        return out.str();
    }

    // Compares the three ways for the samples xs; returns the first difference, or "".
    std::string compare(const EvaluationRequest& base, const std::vector<Ext>& xs)
    {
        constexpr std::uint32_t Seed = 12345;
        EvaluationRequest request = base;
        std::vector<Ext> literal;
        setRandomSeed(Seed);
        for (const Ext x : xs) {
            request.x = x;
            literal.push_back(Evaluate(request));
        }
        const std::uint32_t literalSeed = randomSeed();

        CompiledFormula compiled(base);
        setRandomSeed(Seed);
        for (std::size_t i = 0; i < xs.size(); ++i) {
            const Ext value = compiled.evaluate(xs[i]);
            if (!sameBits(value, literal[i]))
                return "one sample: " + describe(base, xs[i]);
        }
        if (randomSeed() != literalSeed)
            return "random sequence, one sample: " + describe(base, xs[0]);

        std::vector<Ext> batch(xs.size());
        setRandomSeed(Seed);
        compiled.evaluate(xs.data(), batch.data(), xs.size());
        for (std::size_t i = 0; i < xs.size(); ++i) {
            if (!sameBits(batch[i], literal[i]))
                return "batch: " + describe(base, xs[i]);
        }
        if (randomSeed() != literalSeed)
            return "random sequence, batch: " + describe(base, xs[0]);
        return {};
    }

    TEST(CompiledFormula, GeneratedFormulasMatchTheLiteralScan)
    {
        test::FormulaGenerator generator(20261208);
        for (int i = 0; i < 100000; ++i) {
            EvaluationRequest request;
            request.formula = generator.formula();
            request.a = generator.chance(3) ? 3 : -0.5L;
            request.b = generator.chance(5) ? 0 : 0.5L;
            if (generator.chance(50)) // a constant that is infinite or NaN raises no flag
                (generator.chance(2) ? request.a : request.b) = generator.chance(2)
                    ? std::numeric_limits<Ext>::infinity()
                    : -std::numeric_limits<Ext>::quiet_NaN();
            request.degreeMode = generator.below(2);
            if (generator.chance(2))
                generator.table(request);
            const std::string difference = compare(request, generator.samples());
            ASSERT_EQ(difference, "") << "case " << i;
        }
    }

    // Formulas that take the rarer paths: faults after finished terms, static failures, deep
    // nesting beyond the batch's depth, calls beyond the call depth, powers of every kind.
    TEST(CompiledFormula, EdgeFormulasMatchTheLiteralScan)
    {
        const std::vector<std::string> formulas = { "", "x", "-x", "--x", "2*-x", "2/-x", "x/0",
            "0/0", "x/x", "1/x", "x^2", "x^-3", "x^0", "0^0", "0^x", "(-x)^3", "(-2)^0.5", "2^x",
            "x^x", "x^0.5", "2^3^2", "^2", "x^^2", "x^(1/3)", "x^2147483648", "x^-2147483647",
            "(x)^2", "a^b", "p^e", "x*x*x*x*x", "5+x^4000", "1+2+exp(x)", "3+x*1e4000*1e4000",
            "1+$ffffffffff", "1+$", "1+$zz", "$ff^2", "xsin(x)", "foo(random(10))",
            "random(x)+random(x)", "f(x)", "f(f(x))", "g(random(7))", "h(x)",
            "(((((((((((((((((((((((((((((((((((((x)))))))))))))))))))))))))))))))))))))",
            "|x|-|-x|", "|x", "(x", "[x}", "sin(x", "1.2.3x", "1e2", "x1", "X^2+3X", "int(x)",
            "round(x*1e10)", "sec(p/2)", "2*-^3", "2^*-3", "x^2^2", "5-^2",
            // Scans of simple terms only, which the batch runs in one loop per sample.
            "2x^2+3x-5", "x^3-2x", "x^3+x^2", "1e2000x^2+x", "1e4000+x", "x^-2+x", "x^-3-x^3",
            "0-x", "x+0", "x^5+x^4+1", "-x^2", "3", "(x+1)^2/(x^2+1)", "x^2-1e4000x",
            "(x+1)^2/(x^2+1)+(1/x)^3-x/(x)", "(x^2-1)/(x-1)", "2(0x)^-1+(x)",
            // Small groups that the batch evaluates where their value is used.
            "()x", "( )^2+x", "(x+1)(x-1)", "(2x^2+1)/(x^3-x)", "(x^3)^-2", "(1e3000x^3+x)^2",
            "((x+1))^2", "-(x-x)/(x-x)",
            // Functions of functions, whose inner scan the batch leaves out.
            "sqrt(abs(x))", "sqrt(ln(x))", "exp(ln(x))", "sin(cot(x))", "|int(x)|", "(frac(x))^2",
            "ln(sinh(x*1000))", "arctan(sqrt(-x))", "f(abs(x))" };
        EvaluationRequest request;
        request.a = 3;
        request.b = 0.5L;
        request.funcCount = 4;
        request.funcNames = { "f", "g", "h", "h" };
        request.funcFormulas = { "f(x)+1", "random(x)", "x^2+g(x)", "1/x" };
        // With the huge values every batch of a power overflows and runs checked; without them
        // most take the unchecked pass.
        const std::vector<Ext> xs = { 0.0L, -0.0L, 2, -1.5L, 1e4000L, -1e-4000L, 3e9L };
        const std::vector<Ext> ordinary = { 0.0L, -0.0L, 2, -1.5L, 0.25L, 7, 1e-4940L };
        for (const std::string& formula : formulas) {
            for (int degree = 0; degree < 2; ++degree) {
                request.formula = formula;
                request.degreeMode = degree;
                EXPECT_EQ(compare(request, xs), "");
                EXPECT_EQ(compare(request, ordinary), "");
            }
        }
    }

    // Operands that are infinite or NaN already raise no flag when used: x, a and b.
    TEST(CompiledFormula, InfiniteAndNaNOperandsMatchTheLiteralScan)
    {
        constexpr Ext Inf = std::numeric_limits<Ext>::infinity();
        constexpr Ext NaN = std::numeric_limits<Ext>::quiet_NaN();
        for (const Ext constant : { Inf, -Inf, NaN, Ext(2) }) {
            for (const char* formula : { "x*a", "a+x", "x/b", "a", "ax^2+b", "sin(ax)", "(x+a)^2",
                     "x^a", "b^x", "|a|+x" }) {
                EvaluationRequest request;
                request.formula = formula;
                request.a = constant;
                request.b = constant;
                EXPECT_EQ(compare(request, { 1, 2, -0.5L }), "") << formula;
                EXPECT_EQ(compare(request, { 1, Inf, NaN, -Inf }), "") << formula;
            }
        }
    }

    // A called formula's own constants count too: with a = NaN, "f(x)+1" for f = "xa" is 1 by
    // the literal scan (the NaN term ends f, which gives 0) for every x; the batch took the call
    // for finite because its argument is, and gave 0 (found by the compiled-formula fuzzer).
    TEST(CompiledFormula, ConstantsOfCalledFormulasThatAreNotFiniteMatchTheLiteralScan)
    {
        constexpr Ext Inf = std::numeric_limits<Ext>::infinity();
        constexpr Ext NaN = std::numeric_limits<Ext>::quiet_NaN();
        for (const Ext constant : { NaN, -NaN, Inf, -Inf }) {
            for (const char* formula : { "f(x)+1", "7^f(x)", "2f(x)", "f(f(x))-x" }) {
                for (const char* called : { "xa", "x/a", "ax^2+b", "sin(xb)" }) {
                    EvaluationRequest request;
                    request.formula = formula;
                    request.a = constant;
                    request.b = constant;
                    request.funcCount = 1;
                    request.funcNames[0] = "f";
                    request.funcFormulas[0] = called;
                    EXPECT_EQ(compare(request, { 1, 2, -0.5L, 0.0L }), "") << called;
                }
            }
        }
    }

    // A scan with more nested values than one level holds runs in pieces of the batch.
    TEST(CompiledFormula, ScansWithManyNestedValuesMatch)
    {
        std::string formula;
        for (int i = 0; i < 40; ++i)
            formula += "+(x+" + std::to_string(i) + ")*sin(x)/(1+|x-" + std::to_string(i) + "|)";
        EvaluationRequest request;
        request.formula = formula;
        request.funcCount = 1;
        request.funcNames[0] = "f";
        request.funcFormulas[0] = "x^2-1";
        std::vector<Ext> xs;
        for (int i = 0; i < 600; ++i)
            xs.push_back(-30 + Ext(i) / 10);
        EXPECT_EQ(compare(request, xs), "");
        request.formula = "f(x)" + formula + "+f(x+1)*f(2x)";
        EXPECT_EQ(compare(request, xs), "");
    }

    // A batch longer than one block, and batches of every small size.
    TEST(CompiledFormula, BatchesOfAnySizeMatch)
    {
        EvaluationRequest request;
        request.formula = "sqrt(abs(x))exp(-xx/8)+(x+1)^2/(x^2+1)";
        std::vector<Ext> xs;
        for (int i = 0; i < 1000; ++i)
            xs.push_back(-10 + Ext(i) / 50);
        for (std::size_t size : { std::size_t(0), std::size_t(1), std::size_t(255),
                 std::size_t(256), std::size_t(257), std::size_t(1000) }) {
            const std::vector<Ext> part(xs.begin(), xs.begin() + static_cast<long>(size));
            if (size > 0) {
                EXPECT_EQ(compare(request, part), "");
            }
        }
    }

    TEST(CompiledFormula, FormulasWhoseWorkCouldReachTheBudgetUseTheLiteralScan)
    {
        EvaluationRequest request;
        request.formula = "f(x)";
        request.funcCount = 1;
        request.funcNames[0] = "f";
        request.funcFormulas[0] = "f(x)+f(x)";
        CompiledFormula compiled(request);
        EXPECT_FALSE(compiled.isCompiled());
        EXPECT_EQ(compare(request, { 1, 2 }), "");

        request.formula = "sin(x)";
        EXPECT_TRUE(CompiledFormula(request).isCompiled());
    }

    // The work of an evaluation, which bounds a redraw: a compiled formula counts what the
    // literal scan counts when every scan runs to its end; one left to the literal scan counts
    // what its last evaluation did, the whole budget when that ran out.
    TEST(CompiledFormula, SampleWorkIsTheLiteralScansWork)
    {
        struct Row
        {
            const char* formula;
            const char* called; // the formula of "f", or nullptr
            std::uint64_t work;
        };
        const Row rows[] = {
            { "", nullptr, NestedEvaluationCost },
            { "x", nullptr, 1 + NestedEvaluationCost },
            { "sin(x)+2", nullptr, 8 + 1 + 2 * NestedEvaluationCost }, // the argument "x"
            { "(x+1)|x|", nullptr, 8 + 3 + 1 + 3 * NestedEvaluationCost },
            { "f(x)+f(2)", "x^2", 9 + 1 + 1 + 2 * 3 + 5 * NestedEvaluationCost },
        };
        for (const Row& row : rows) {
            EvaluationRequest request;
            request.formula = row.formula;
            if (row.called) {
                request.funcCount = 1;
                request.funcNames[0] = "f";
                request.funcFormulas[0] = row.called;
            }
            CompiledFormula compiled(request);
            ASSERT_TRUE(compiled.isCompiled()) << row.formula;
            EXPECT_EQ(compiled.sampleWork(), row.work) << row.formula;
            std::uint64_t literalWork = 0;
            request.x = 0.5;
            Evaluate(request, literalWork);
            EXPECT_EQ(literalWork, row.work) << row.formula;
        }

        EvaluationRequest endless;
        endless.formula = "f(x)";
        endless.funcCount = 1;
        endless.funcNames[0] = "f";
        endless.funcFormulas[0] = "f(x)+f(x)";
        CompiledFormula literal(endless);
        ASSERT_FALSE(literal.isCompiled());
        EXPECT_EQ(literal.evaluate(1), NoValue);
        EXPECT_EQ(literal.sampleWork(), EvaluationBudget);
    }

} // namespace
} // namespace velquor
