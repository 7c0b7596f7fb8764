// Adaptive Gauss-Kronrod quadrature of formulas: smooth integrands to the last digits, exact for
// polynomials up to the rule's degree, refusals with their reason for points without value and
// poles, and the bounds on pieces and work.

#include "calc/analysis_work.h"
#include "calc/evaluate.h"
#include "calc/formula_integral.h"
#include "calc/quadrature.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <numbers>
#include <string>
#include <vector>

namespace velquor {
namespace {

    EvaluationRequest request(const std::string& formula)
    {
        EvaluationRequest r;
        r.formula = formula;
        r.a = 3;
        r.funcCount = 1;
        r.funcNames[0] = "f";
        r.funcFormulas[0] = "x^2";
        return r;
    }

    IntegralResult integrate(const std::string& formula, Ext from, Ext to)
    {
        AnalysisWork work;
        return IntegrateFormula(request(formula), from, to, work);
    }

    struct IntegralCase
    {
        const char* formula;
        Ext from;
        Ext to;
        Ext expected;
        Ext relative; // the error allowed, relative to the expected value
    };

    TEST(Quadrature, SmoothIntegrandsToTheLastDigits)
    {
        const Ext pi = std::numbers::pi_v<Ext>;
        const Ext e = std::numbers::e_v<Ext>;
        const std::vector<IntegralCase> table = {
            { "x^2", 0, 3, 9, 1e-18L }, // polynomials: exact up to the rule's degree
            { "7x^6-3x^2+1", -1, 2, 129 - 9 + 3, 1e-18L },
            { "x^21", 0, 1, 1.0L / 22, 1e-18L },
            { "sin(x)", 0, pi, 2, 1e-15L },
            { "exp(x)", 0, 1, e - 1, 1e-15L },
            { "1/x", 1, e, 1, 1e-15L },
            { "f(x)+a", 0, 1, 1.0L / 3 + 3, 1e-15L }, // a call and a constant
            { "sqrt(1-x^2)", -1, 1, pi / 2, 1e-12L }, // the slope is infinite at both ends
            { "|x|^(-0.5)", 0, 1, 2, 1e-8L }, // 0^E = 0 at the end: an integrable singularity
            { "int(x)", 0.5L, 2.7L, 1 + 2 * (2.7L - 2), 1e-15L }, // jumps, as the curve is drawn
            { "x", 2, 0, -2, 1e-18L }, // backwards: the sign changes
            { "x^2", 1, 1, 0, 0 },
        };
        for (const IntegralCase& row : table) {
            const IntegralResult got = integrate(row.formula, row.from, row.to);
            ASSERT_EQ(got.problem, IntegralProblem::None)
                << row.formula << ": " << IntegralProblemText(got);
            const Ext allowed = row.relative * std::fabs(row.expected);
            EXPECT_LE(std::fabs(got.value - row.expected), allowed)
                << row.formula << " from " << double(row.from) << " to " << double(row.to)
                << ": off by " << double(got.value - row.expected);
            // The estimate covers the true error, and is not far above what was asked.
            EXPECT_GE(got.error, std::fabs(got.value - row.expected) / 4) << row.formula;
            EXPECT_LE(got.error, std::max(allowed, Ext(1e-30L)) * 100) << row.formula;
        }
    }

    struct RefusedCase
    {
        const char* formula;
        Ext from;
        Ext to;
        IntegralProblem problem;
        Ext near; // where
        const char* why;
    };

    TEST(Quadrature, PolesAndPointsWithoutValueAreRefusedWithTheReason)
    {
        const Ext halfPi = std::numbers::pi_v<Ext> / 2;
        const std::vector<RefusedCase> table = {
            { "1/x", -1, 1, IntegralProblem::Divergent, 0, "a pole on the first pieces' ends" },
            { "1/x", -1, 2, IntegralProblem::Divergent, 0, "a pole between the nodes" },
            { "tan(x)", 0, 2, IntegralProblem::Divergent, halfPi, "a pole at pi/2" },
            { "tan(x)", 2, 0, IntegralProblem::Divergent, halfPi, "backwards too" },
            { "tan(x)", -14 * halfPi, -12 * halfPi, IntegralProblem::Divergent, -13 * halfPi,
                "a pole on the end of two pieces, far from 0: pieces a few units in the last "
                "place wide, whose nodes fall on the same numbers, must not pass as converged" },
            { "1/(x-0.3)^2", 0, 1, IntegralProblem::Divergent, 0.3L,
                "a double pole, closed in on until a node meets it" },
            { "sqrt(x)", -1, 1, IntegralProblem::NoValue, -1, "no value at the start" },
            { "ln(x)", 0, 1, IntegralProblem::NoValue, 0, "no value at an end" },
            { "sqrt(x-0.5)", 0, 1, IntegralProblem::NoValue, 0, "no value on a part" },
        };
        for (const RefusedCase& row : table) {
            const IntegralResult got = integrate(row.formula, row.from, row.to);
            EXPECT_EQ(got.problem, row.problem)
                << row.formula << ": " << row.why << ", " << IntegralProblemText(got);
            if (row.problem == IntegralProblem::Divergent || row.from == row.near) {
                EXPECT_NEAR(double(got.at), double(row.near), 1e-6) << row.formula;
            }
        }
        EXPECT_EQ(IntegralProblemText(integrate("sqrt(x)", -1, 1)),
            "積分できません。x = -1 で値がありません");
        // An odd function about its pole: the two sides must not cancel to a finite 0.
        EXPECT_EQ(integrate("tan(x)", -24, 24).problem, IntegralProblem::Divergent);
        EXPECT_EQ(integrate("1/x", -2, 2).problem, IntegralProblem::Divergent);
        EXPECT_EQ(IntegralProblemText(integrate("tan(x)", 0, 2)),
            "積分できません。x = 1.5707963267949 の付近で発散します");
    }

    TEST(Quadrature, NoMoreThanAMillionPiecesAndNoMoreThanTheWork)
    {
        // Noise from the bits of x never settles: the pieces run out, the loop ends.
        const Integrand noise = [](const Ext* xs, Ext* ys, std::size_t count) {
            for (std::size_t i = 0; i < count; ++i) {
                std::uint64_t bits = 0;
                std::memcpy(&bits, &xs[i], sizeof bits);
                bits *= 0x9E3779B97F4A7C15u;
                ys[i] = Ext(bits >> 40) / Ext(1 << 24);
            }
            return true;
        };
        const IntegralResult pieces = Integrate(noise, 0, 1);
        EXPECT_EQ(pieces.problem, IntegralProblem::TooManySubintervals);
        EXPECT_EQ(
            IntegralProblemText(pieces), "積分できません。区間を 1000000 個に分けても収束しません");

        // A formula that costs more than the analysis may do is refused for its work.
        AnalysisWork work(1000 * (3 + 2 * NestedEvaluationCost));
        const IntegralResult costly = IntegrateFormula(request("random(1000)"), 0, 1, work);
        EXPECT_EQ(costly.problem, IntegralProblem::WorkSpent);
        EXPECT_LE(work.done(), 1000 * (3 + 2 * NestedEvaluationCost) + 15 * 100);

        EXPECT_EQ(integrate("x", 0, 1e4930L * 10).problem, IntegralProblem::None);
        EXPECT_EQ(Integrate(noise, -1e4932L, 1e4932L).problem, IntegralProblem::RangeTooWide);
    }

    TEST(Quadrature, AreaBetweenCurvesIsSplitAtTheirCrossings)
    {
        const Ext pi = std::numbers::pi_v<Ext>;
        AnalysisWork work;
        // sin against the x axis over [0, 2 pi]: 2 + 2, not the integral 0.
        const AnalysisScan scan = UniformScan(0, 2 * pi, 400);
        const EvaluationRequest sine = request("sin(x)");
        const std::vector<Ext> zeros = FindCrossings(sine, nullptr, scan, work);
        ASSERT_EQ(zeros.size(), 3u); // 0, pi and 2 pi, the ends among them
        const IntegralResult axis = AreaBetween(sine, nullptr, 2 * pi, 0, zeros, work);
        ASSERT_EQ(axis.problem, IntegralProblem::None);
        EXPECT_NEAR(double(axis.value), 4, 1e-15);

        // x^2 and x + 2 cross at -1 and 2: 9/2 between them, 1/3 + 8/3... beyond.
        const EvaluationRequest parabola = request("x^2");
        const EvaluationRequest line = request("x+2");
        const AnalysisScan wide = UniformScan(-3, 3, 600);
        const std::vector<Ext> crossings = FindCrossings(parabola, &line, wide, work);
        ASSERT_EQ(crossings.size(), 2u);
        const IntegralResult between = AreaBetween(parabola, &line, -1, 2, crossings, work);
        EXPECT_NEAR(double(between.value), 4.5, 1e-15);
        // From -3 to 3, the three pieces: 26/3 + 9/2 + 11/6.
        const IntegralResult all = AreaBetween(parabola, &line, -3, 3, crossings, work);
        EXPECT_NEAR(double(all.value), 26.0 / 3 + 4.5 + 11.0 / 6, 1e-14);
        EXPECT_FALSE(work.spent());

        const IntegralResult pole = AreaBetween(request("1/x"), nullptr, -1, 2, {}, work);
        EXPECT_EQ(pole.problem, IntegralProblem::Divergent);
    }

} // namespace
} // namespace velquor
