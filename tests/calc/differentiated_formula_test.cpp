// Forward-mode derivatives of compiled formulas: the value part bit for bit the drawers' value
// (and the same random sequence), the derivative within a few units in the last place of the
// closed form, and no derivative at the points the language makes special.

#include "calc/compiled_formula.h"
#include "calc/differentiated_formula.h"
#include "calc/evaluate.h"
#include "formula_generator.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

namespace velquor {
namespace {

    bool sameBits(Ext a, Ext b)
    {
        return std::memcmp(&a, &b, 10) == 0;
    }

    EvaluationRequest request(const std::string& formula, int degreeMode = 0)
    {
        EvaluationRequest r;
        r.formula = formula;
        r.a = 3;
        r.b = 0.5L;
        r.degreeMode = degreeMode;
        r.funcCount = 2;
        r.funcNames[0] = "f";
        r.funcFormulas[0] = "x^2+1";
        r.funcNames[1] = "g";
        r.funcFormulas[1] = "sin(x)f(x)";
        return r;
    }

    // Units in the last place of the extended format at the magnitude of `value`.
    Ext ulp(Ext value)
    {
        if (!(std::fabs(value) >= std::numeric_limits<Ext>::min())) // 0, subnormal or NaN
            return std::numeric_limits<Ext>::denorm_min();
        return std::ldexp(Ext(1), std::ilogb(std::fabs(value)) - 63);
    }

    TEST(DifferentiatedFormula, ValuesAreTheCompiledValuesBitForBit)
    {
        test::FormulaGenerator generator(20261210);
        for (int i = 0; i < 20000; ++i) {
            EvaluationRequest r;
            r.formula = generator.formula();
            r.a = generator.chance(3) ? 3 : -0.5L;
            r.b = generator.chance(5) ? 0 : 0.5L;
            r.degreeMode = generator.below(2);
            if (generator.chance(2))
                generator.table(r);
            CompiledFormula compiled(r);
            DifferentiatedFormula differentiated(r);
            for (const Ext x : generator.samples()) {
                setRandomSeed(777);
                const Ext expected = compiled.evaluate(x);
                const std::uint32_t seedAfter = randomSeed();
                setRandomSeed(777);
                const ValueAndSlope got = differentiated.evaluate(x);
                ASSERT_TRUE(sameBits(got.value, expected))
                    << "case " << i << " \"" << r.formula << "\" x=" << double(x);
                ASSERT_EQ(randomSeed(), seedAfter) << "case " << i << " \"" << r.formula << '"';
                if (got.hasSlope) {
                    ASSERT_TRUE(std::isfinite(got.slope)) << r.formula;
                }
            }
            // The batch form gives the same values and slopes, bit for bit.
            const std::vector<Ext> xs = generator.samples();
            std::vector<ValueAndSlope> single;
            setRandomSeed(99);
            for (const Ext x : xs)
                single.push_back(differentiated.evaluate(x));
            std::vector<Ext> values(xs.size());
            std::vector<Ext> slopes(xs.size());
            setRandomSeed(99);
            differentiated.evaluate(xs.data(), values.data(), slopes.data(), xs.size());
            for (std::size_t k = 0; k < xs.size(); ++k) {
                ASSERT_TRUE(sameBits(values[k], single[k].value))
                    << "batch, case " << i << " \"" << r.formula << "\" x=" << double(xs[k]);
                ASSERT_EQ(std::isnan(slopes[k]), !single[k].hasSlope)
                    << "batch, case " << i << " \"" << r.formula << "\" x=" << double(xs[k]);
                if (single[k].hasSlope) {
                    ASSERT_TRUE(sameBits(slopes[k], single[k].slope))
                        << "batch, case " << i << " \"" << r.formula << '"';
                }
            }
        }
    }

    // The batch pass against the one-sample runner over batches of several pieces: ordinary
    // points first (the pass takes them), then the generator's special samples (which send
    // their piece to the one-sample runner).
    TEST(DifferentiatedFormula, BatchPassGivesTheOneSampleSlopesBitForBit)
    {
        test::FormulaGenerator generator(20261211);
        int batched = 0;
        for (int i = 0; i < 3000; ++i) {
            EvaluationRequest r;
            r.formula = generator.sentence(generator.below(3));
            r.a = generator.chance(3) ? 3 : -0.5L;
            r.b = generator.chance(5) ? 0 : 0.5L;
            DifferentiatedFormula differentiated(r);
            batched += differentiated.runsInBatches() ? 1 : 0;
            std::vector<Ext> xs;
            for (int k = 0; k < 300; ++k)
                xs.push_back(-5 + 10 * Ext(k) / 255);
            for (const Ext x : generator.samples())
                xs.push_back(x);
            std::vector<Ext> values(xs.size());
            std::vector<Ext> slopes(xs.size());
            setRandomSeed(99);
            differentiated.evaluate(xs.data(), values.data(), slopes.data(), xs.size());
            setRandomSeed(99);
            for (std::size_t k = 0; k < xs.size(); ++k) {
                const ValueAndSlope one = differentiated.evaluate(xs[k]);
                const std::string where = "case " + std::to_string(i) + " \"" + r.formula
                    + "\" x=" + std::to_string(double(xs[k]));
                ASSERT_TRUE(sameBits(values[k], one.value)) << where;
                ASSERT_EQ(std::isnan(slopes[k]), !one.hasSlope) << where;
                if (one.hasSlope) {
                    ASSERT_TRUE(sameBits(slopes[k], one.slope)) << where;
                }
            }
        }
        EXPECT_GT(batched, 1000); // the pass is reached, not only its fallback
    }

    struct ClosedForm
    {
        const char* formula;
        std::function<Ext(Ext)> derivative;
        std::vector<Ext> xs;
        Ext ulps; // allowed error in units in the last place of the derivative
        int degreeMode = 0;
    };

    TEST(DifferentiatedFormula, DerivativesMatchTheirClosedForms)
    {
        const Ext pi = std::numbers::pi_v<Ext>;
        const std::vector<ClosedForm> table = {
            { "x^3-2x", [](Ext x) { return 3 * x * x - 2; }, { -1.5L, -0.3L, 0.25L, 2, 7.75L }, 2 },
            { "2x^5+3x^2-x+1", [](Ext x) { return 10 * x * x * x * x + 6 * x - 1; },
                { -2, 0.5L, 1.25L }, 4 },
            { "x^(-2)", [](Ext x) { return -2 / (x * x * x); }, { -3, 0.5L, 1.75L }, 3 },
            { "sin(x)", [](Ext x) { return cosl(x); }, { -3, 0.1L, 1, 2.5L }, 2 },
            { "cos(x)", [](Ext x) { return -sinl(x); }, { -2, 0.7L, 3 }, 2 },
            { "tan(x)", [](Ext x) { return 1 / (cosl(x) * cosl(x)); }, { -1.2L, 0.3L, 1.4L }, 4 },
            { "exp(x)", [](Ext x) { return expl(x); }, { -5, 0, 1, 10 }, 1 },
            { "ln(x)", [](Ext x) { return 1 / x; }, { 0.01L, 1, 3, 1000 }, 1 },
            { "sqrt(x)", [](Ext x) { return 1 / (2 * sqrtl(x)); }, { 0.01L, 2, 9, 1e6L }, 2 },
            { "sin(x^2)", [](Ext x) { return 2 * x * cosl(x * x); }, { -1.3L, 0.4L, 1.1L }, 6 },
            { "exp(sin(x))", [](Ext x) { return cosl(x) * expl(sinl(x)); }, { -1, 0.5L, 2 }, 4 },
            { "x/(1+x^2)", [](Ext x) { return (1 - x * x) / ((1 + x * x) * (1 + x * x)); },
                { -2, 0.3L, 3 }, 6 },
            { "2^x", [](Ext x) { return exp2l(x) * std::numbers::ln2_v<Ext>; }, { -3, 0.5L, 4 },
                4 },
            { "x^x", [](Ext x) { return powl(x, x) * (logl(x) + 1); }, { 0.5L, 1.5L, 3 }, 8 },
            { "arctan(x)", [](Ext x) { return 1 / (1 + x * x); }, { -4, 0.5L, 2 }, 3 },
            { "arcsin(x)", [](Ext x) { return 1 / sqrtl(1 - x * x); }, { -0.9L, 0.1L, 0.6L }, 3 },
            { "f(x)", [](Ext x) { return 2 * x; }, { -1.5L, 0.25L, 3 }, 2 }, // a call
            { "f(2x+a)", [](Ext x) { return 4 * (2 * x + 3); }, { -1.5L, 0.25L, 3 }, 2 },
            { "g(x)", [](Ext x) { return cosl(x) * (x * x + 1) + sinl(x) * 2 * x; },
                { -1, 0.5L, 2.5L }, 8 }, // a call that calls
            { "sin(x)", [pi](Ext x) { return cosl(x * pi / 180) * pi / 180; }, { 10, 45, 100 }, 4,
                1 }, // degrees: the slope of the drawn curve
            { "|x^3-x|",
                [](Ext x) { return std::copysign(Ext(1), x * x * x - x) * (3 * x * x - 1); },
                { -2, -0.5L, 0.5L, 2 }, 2 },
            { "sqr(x)+int(x)+frac(x)", [](Ext x) { return 2 * x + 1; }, { -1.5L, 0.25L, 2.75L },
                2 },
        };
        for (const ClosedForm& row : table) {
            DifferentiatedFormula formula(request(row.formula, row.degreeMode));
            for (const Ext x : row.xs) {
                const ValueAndSlope got = formula.evaluate(x);
                const Ext expected = row.derivative(x);
                ASSERT_TRUE(got.hasSlope) << row.formula << " at " << double(x);
                EXPECT_LE(std::fabs(got.slope - expected), row.ulps * ulp(expected))
                    << row.formula << " at " << double(x) << ": " << double(got.slope)
                    << " against " << double(expected);
            }
        }
    }

    struct SpecialPoint
    {
        const char* formula;
        Ext x;
        bool hasSlope;
        Ext slope; // when it has one
        const char* why;
    };

    TEST(DifferentiatedFormula, SpecialPointsFollowTheDrawnCurve)
    {
        const std::vector<SpecialPoint> table = {
            { "1/x", 0, false, 0, "no value" },
            { "(1/x)+x", 0, false, 0, "a failed group stands in with 999999, which has no slope" },
            { "(1/0)+x", 1, true, 1,
                "a group that fails everywhere is a constant of the language" },
            { "|x|", 0, false, 0, "the two sides of |x| at 0 disagree" },
            { "abs(x)", 0, false, 0, "the same for the built-in" },
            { "|x^3|", 0, true, 0, "|u| at a double zero of u is smooth" },
            { "|x|", -2, true, -1, "away from 0" },
            { "sqrt(x)", 0, false, 0, "one-sided: no value on the left" },
            { "sqrt(a-3)", 1, true, 0, "a constant argument makes a constant" },
            { "int(x)", 1.5L, true, 0, "flat between the steps" },
            { "int(x)", 2, false, 0, "int has no value at its steps" },
            { "frac(x)", 3, false, 0, "frac has no value at its steps" },
            { "round(x)", 2.5L, false, 0, "round jumps at the halves" },
            { "round(x)", 2.25L, true, 0, "flat between them" },
            { "random(10)x", 1, false, 0, "random numbers have no slope" },
            { "x^2", 0, true, 0, "a whole power at 0" },
            { "x^1", 0, true, 1, "the first power at 0" },
            { "x^(-1)", 0, false, 0, "0^-1 = 0 by the power rule, a pole beside it" },
            { "x^0.5", 0, false, 0, "no value on the left of 0" },
            { "x^2.5", 0, false, 0, "no value on the left of 0 either" },
            { "(-2)^x", 2, false, 0, "a negative base has a power only at whole exponents" },
            { "0^x", 0, false, 0, "0^0 = 1 beside 0^x = 0" },
            { "arccosh(x)", 0.5L, true, 0, "the language's plateau below 1" },
            { "arccosh(x)", 1, false, 0, "an infinite slope" },
            { "x-x^99999", 2, false, 0, "an overflow ends with the partial sum x" },
        };
        for (const SpecialPoint& row : table) {
            DifferentiatedFormula formula(request(row.formula));
            const ValueAndSlope got = formula.evaluate(row.x);
            EXPECT_EQ(got.hasSlope, row.hasSlope)
                << row.formula << " at " << double(row.x) << ": " << row.why;
            if (row.hasSlope && got.hasSlope) {
                EXPECT_EQ(got.slope, row.slope) << row.formula << ": " << row.why;
            }
        }
    }

    TEST(DifferentiatedFormula, BatchGivesTheSingleResultsAndNaNWithoutSlope)
    {
        DifferentiatedFormula formula(request("1/x+x^2"));
        const std::vector<Ext> xs = { -1, 0, 0.5L, 2 };
        std::vector<Ext> values(xs.size());
        std::vector<Ext> slopes(xs.size());
        formula.evaluate(xs.data(), values.data(), slopes.data(), xs.size());
        for (std::size_t i = 0; i < xs.size(); ++i) {
            const ValueAndSlope one = formula.evaluate(xs[i]);
            EXPECT_TRUE(sameBits(values[i], one.value));
            if (one.hasSlope) {
                EXPECT_EQ(slopes[i], one.slope);
            } else {
                EXPECT_TRUE(std::isnan(slopes[i]));
            }
        }
        EXPECT_TRUE(std::isnan(slopes[1]));

        // Across batches, with calls, bars, built-in functions and a point without value.
        DifferentiatedFormula nested(request("g(x)/|x-1|+sqrt(f(x))"));
        std::vector<Ext> many(600);
        for (std::size_t i = 0; i < many.size(); ++i)
            many[i] = -3 + Ext(i) / 100;
        std::vector<Ext> manyValues(many.size());
        std::vector<Ext> manySlopes(many.size());
        nested.evaluate(many.data(), manyValues.data(), manySlopes.data(), many.size());
        for (std::size_t i = 0; i < many.size(); ++i) {
            const ValueAndSlope one = nested.evaluate(many[i]);
            EXPECT_TRUE(sameBits(manyValues[i], one.value)) << double(many[i]);
            EXPECT_EQ(std::isnan(manySlopes[i]), !one.hasSlope) << double(many[i]);
            if (one.hasSlope) {
                EXPECT_TRUE(sameBits(manySlopes[i], one.slope)) << double(many[i]);
            }
        }
        EXPECT_EQ(manyValues[400], NoValue); // x = 1
    }

    TEST(DifferentiatedFormula, AFormulaLeftToTheLiteralScanHasValuesButNoSlope)
    {
        // Work beyond what is compiled: the value still comes, from the literal scan.
        const std::string formula = "x" + std::string(300000, ' ');
        DifferentiatedFormula differentiated(request(formula));
        EXPECT_FALSE(differentiated.isCompiled());
        const ValueAndSlope got = differentiated.evaluate(2);
        EXPECT_EQ(got.value, 2);
        EXPECT_FALSE(got.hasSlope);
    }

} // namespace
} // namespace velquor
