#include "calc/analysis_work.h"
#include "calc/curve_analysis.h"
#include "calc/evaluate.h"
#include "calc/number_text.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace velquor {
namespace {

    const Ext Pi = 3.14159265358979323846264338327950288L;

    // The samples of the default window: 445 columns at Zoom 25 with the origin at column 222.
    AnalysisScan windowScan(int originColumn = 222, int width = 445, int height = 364)
    {
        AnalysisScan scan;
        const Ext zoom = 25;
        for (int column = 0; column <= width; ++column)
            scan.xs.push_back(Ext(column - originColumn) / zoom);
        scan.jumpLimit = Ext(height) / zoom;
        scan.derivativeStep = 1 / zoom / 16;
        return scan;
    }

    EvaluationRequest request(const std::string& formula)
    {
        EvaluationRequest r;
        r.formula = formula;
        return r;
    }

    std::vector<Ext> xsOf(const std::vector<CurvePoint>& points)
    {
        std::vector<Ext> xs;
        for (const CurvePoint& p : points)
            xs.push_back(p.x);
        return xs;
    }

    std::vector<CurvePoint> roots(const std::string& formula, const AnalysisScan& scan)
    {
        SampledFormula f(request(formula), scan.xs);
        return FindRoots(f, scan);
    }

    // Within `ulps` units in the last place of the extended format (at least of 1 near 0).
    void expectNear(Ext actual, Ext expected, Ext ulps, const std::string& what)
    {
        const Ext unit
            = std::ldexp(Ext(1), std::ilogb(std::fmax(std::fabs(expected), Ext(1))) - 63);
        EXPECT_LE(std::fabs(actual - expected), ulps * unit)
            << what << ": " << FormatNumber(actual) << " against " << FormatNumber(expected)
            << ", off by " << double(std::fabs(actual - expected));
    }

    TEST(CurveAnalysis, SquareRootOfTwoToFifteenDigits)
    {
        const auto found = roots("x^2-2", windowScan());
        ASSERT_EQ(found.size(), 2u);
        EXPECT_EQ(FormatNumber(found[0].x), "-1.4142135623731");
        EXPECT_EQ(FormatNumber(found[1].x), "1.4142135623731");
        // Refined to the last bits, not merely to 15 digits.
        expectNear(found[0].x, -std::sqrt(Ext(2)), 2, "negative root");
        expectNear(found[1].x, std::sqrt(Ext(2)), 2, "positive root");
        EXPECT_LT(std::fabs(found[1].y), 1e-17L);
    }

    TEST(CurveAnalysis, SineOnMinusTenToTenHasTheSevenMultiplesOfPi)
    {
        const AnalysisScan scan = UniformScan(-10, 10, 2000);
        const auto found = roots("sin(x)", scan);
        ASSERT_EQ(found.size(), 7u);
        for (int k = -3; k <= 3; ++k)
            expectNear(found[std::size_t(k + 3)].x, k * Pi, 4, "root " + std::to_string(k));
        EXPECT_EQ(FormatNumber(found[4].x), "3.14159265358979");
    }

    TEST(CurveAnalysis, CubicRootsAndExtrema)
    {
        const AnalysisScan scan = windowScan();
        const auto found = roots("x^3-2x", scan);
        ASSERT_EQ(found.size(), 3u);
        expectNear(found[0].x, -std::sqrt(Ext(2)), 2, "left root");
        EXPECT_EQ(found[1].x, 0); // a sample lands on it
        expectNear(found[2].x, std::sqrt(Ext(2)), 2, "right root");

        SampledFormula f(request("x^3-2x"), scan.xs);
        const auto extrema = FindExtrema(f, scan);
        ASSERT_EQ(extrema.size(), 2u);
        const Ext turn = std::sqrt(Ext(2) / 3);
        EXPECT_TRUE(extrema[0].maximum);
        EXPECT_FALSE(extrema[1].maximum);
        EXPECT_EQ(FormatNumber(extrema[0].x), "-0.816496580927726");
        EXPECT_EQ(FormatNumber(extrema[1].x), "0.816496580927726");
        // The zeros of the exact derivative: the last bit of sqrt(2/3) or its neighbour.
        const Ext exactTurn = 0.81649658092772603273243L; // sqrt(2/3) to 23 digits
        const Ext unit = std::ldexp(Ext(1), -64); // of the last place in [0.5, 1)
        EXPECT_LE(std::fabs(extrema[0].x + exactTurn), unit) << double(extrema[0].x);
        EXPECT_LE(std::fabs(extrema[1].x - exactTurn), unit) << double(extrema[1].x);
        EXPECT_EQ(FormatNumber(extrema[1].y), FormatNumber(turn * turn * turn - 2 * turn));
    }

    struct ExtremumCase
    {
        const char* formula;
        Ext expected; // x of the extremum, to more digits than the format holds
        Ext ulps; // the last bit or its neighbour, more where the closed form has no exact x
    };

    TEST(CurveAnalysis, ExtremaAreTheZerosOfTheExactDerivative)
    {
        const std::vector<ExtremumCase> table = {
            { "x^3-2x+1", 0.81649658092772603273243L, 1 },
            { "xexp(-x)", 1, 0 }, // (1 - x) e^-x is 0 exactly at 1
            { "sin(x)", Pi / 2, 1 }, { "x^2-x/3", 1.0L / 6, 1 },
            { "x+1/x", 1, 0 }, // 1 - 1/x^2 is 0 exactly at 1
            { "f(x-0.3)", 0.3L, 1 }, // a call: f = (x)^2 at 0.3 - 0.3
            { "sin(x)-x/2", 1.04719755119659774615421L, 1 }, // cos x = 1/2 at pi/3
        };
        const AnalysisScan scan = UniformScan(0.05L, 2.95L, 300);
        for (const ExtremumCase& row : table) {
            EvaluationRequest r = request(row.formula);
            r.funcCount = 1;
            r.funcNames[0] = "f";
            r.funcFormulas[0] = "(x)^2";
            SampledFormula f(r, scan.xs);
            const auto extrema = FindExtrema(f, scan);
            ASSERT_EQ(extrema.size(), 1u) << row.formula << " " << FormatNumber(extrema[0].x);
            const Ext unit = std::ldexp(Ext(1), std::ilogb(row.expected) - 63);
            EXPECT_LE(std::fabs(extrema[0].x - row.expected), std::max(row.ulps, Ext(0)) * unit)
                << row.formula << ": " << FormatNumber(extrema[0].x) << ", off by "
                << double((extrema[0].x - row.expected) / unit) << " units";
        }
    }

    // An analysis whose formulas cost more than its work stops with what it had found: every
    // result is one the full analysis finds too (a prefix of its list), none an unfinished
    // approximation, and the counter says it was cut short.
    TEST(CurveAnalysis, AnalysisStopsWithWhatItFoundWhenItsWorkIsSpent)
    {
        // Few samples, so that refining takes a good part of the work.
        const AnalysisScan scan = UniformScan(-10, 10, 200);
        AnalysisWork fullRoots;
        SampledFormula full(request("sin(x)"), scan.xs, &fullRoots);
        const auto allRoots = FindRoots(full, scan);
        AnalysisWork fullExtrema;
        SampledFormula fullForExtrema(request("sin(x)"), scan.xs, &fullExtrema);
        const auto allExtrema = FindExtrema(fullForExtrema, scan);
        ASSERT_EQ(allRoots.size(), 7u);
        ASSERT_EQ(allExtrema.size(), 6u);
        EXPECT_FALSE(fullRoots.spent());
        std::size_t partial = 0; // cases cut short after they had found something
        for (int eighths = 1; eighths < 8; ++eighths) {
            AnalysisWork work(fullRoots.done() * std::uint64_t(eighths) / 8);
            SampledFormula f(request("sin(x)"), scan.xs, &work);
            const auto found = FindRoots(f, scan);
            EXPECT_TRUE(work.spent()) << eighths;
            EXPECT_LT(found.size(), allRoots.size()) << eighths;
            for (std::size_t i = 0; i < found.size(); ++i)
                EXPECT_EQ(found[i].x, allRoots[i].x) << eighths;
            EXPECT_LE(
                work.done(), fullRoots.done() * std::uint64_t(eighths) / 8 + EvaluationBudget);

            AnalysisWork extremaWork(fullExtrema.done() * std::uint64_t(eighths) / 8);
            SampledFormula g(request("sin(x)"), scan.xs, &extremaWork);
            const auto extrema = FindExtrema(g, scan);
            EXPECT_TRUE(extremaWork.spent()) << eighths;
            EXPECT_LT(extrema.size(), allExtrema.size()) << eighths;
            for (std::size_t i = 0; i < extrema.size(); ++i)
                EXPECT_EQ(extrema[i].x, allExtrema[i].x) << eighths;
            partial += found.empty() ? 0 : 1;
            partial += extrema.empty() ? 0 : 1;
        }
        EXPECT_GT(partial, 4u);
    }

    TEST(CurveAnalysis, PolesAreNotRoots)
    {
        // tan: roots at 0, +-pi and +-2pi within the window; the sign changes at the poles
        // are jumps. No extrema either: the rises across the poles break the curve.
        const AnalysisScan scan = windowScan();
        const auto found = roots("tan(x)", scan);
        ASSERT_EQ(found.size(), 5u);
        for (int k = -2; k <= 2; ++k)
            expectNear(found[std::size_t(k + 2)].x, k * Pi, 4, "root " + std::to_string(k));
        SampledFormula f(request("tan(x)"), scan.xs);
        EXPECT_TRUE(FindExtrema(f, scan).empty());

        // A pole between two samples, and one on a sample (no value there).
        EXPECT_TRUE(roots("1/(x-0.01)", scan).empty());
        EXPECT_TRUE(roots("1/x", scan).empty());
        EXPECT_TRUE(roots("1/x", UniformScan(-1, 1.5, 25)).empty());
    }

    TEST(CurveAnalysis, StepsBelowTheJumpLimitAreCrossings)
    {
        // round(x) - 0.5 steps from -0.5 to 0.5 at x = 0.5 (ties to even): a step of 1, less
        // than the jump limit of 2.4, so the drawn curve crosses the axis there, and the list
        // has that crossing. With a limit below the step it is a jump.
        AnalysisScan scan = UniformScan(0.05L, 2.45L, 24);
        const auto found = roots("round(x)-0.5", scan);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].x, 0.5L);
        scan.jumpLimit = 0.75L;
        EXPECT_TRUE(roots("round(x)-0.5", scan).empty());
    }

    TEST(CurveAnalysis, LinesMeetAtOneHalf)
    {
        const AnalysisScan scan = windowScan();
        SampledFormula f(request("x"), scan.xs);
        SampledFormula g(request("-x+1"), scan.xs);
        const auto found = FindIntersections(f, g, scan);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].x, 0.5L);
        EXPECT_EQ(found[0].y, 0.5L);
    }

    TEST(CurveAnalysis, IntersectionsSkipEitherCurvesJumps)
    {
        // tan x - 1 changes sign at every pole of tan; only the points where tan x = 1 count.
        const AnalysisScan scan = windowScan();
        SampledFormula f(request("tan(x)"), scan.xs);
        SampledFormula g(request("1"), scan.xs);
        const std::vector<Ext> xs = xsOf(FindIntersections(f, g, scan));
        ASSERT_EQ(xs.size(), 6u); // pi/4 + k pi for k = -3 .. 2 within -8.88 .. 8.92
        for (std::size_t i = 0; i < xs.size(); ++i)
            expectNear(xs[i], Pi / 4 + Ext(int(i) - 3) * Pi, 8, "crossing " + std::to_string(i));
        SampledFormula h(request("1"), scan.xs);
        EXPECT_TRUE(FindIntersections(g, h, scan).empty()); // the same curve: no single point
    }

    TEST(CurveAnalysis, FormulasWithoutValueGiveEmptyLists)
    {
        const AnalysisScan scan = windowScan();
        for (const std::string formula : { "1/0", "sqrt(-1-xx)", "ln(-abs(x)-1)" }) {
            SampledFormula f(request(formula), scan.xs);
            SampledFormula line(request("x"), scan.xs);
            EXPECT_TRUE(FindRoots(f, scan).empty()) << formula;
            EXPECT_TRUE(FindExtrema(f, scan).empty()) << formula;
            EXPECT_TRUE(FindIntersections(f, line, scan).empty()) << formula;
            EXPECT_TRUE(FindIntersections(line, f, scan).empty()) << formula;
        }
    }

    TEST(CurveAnalysis, ATouchingDoubleRootIsAnExtremum)
    {
        const AnalysisScan scan = windowScan();
        EXPECT_TRUE(roots("(x-0.51)^2", scan).empty());
        SampledFormula f(request("(x-0.51)^2"), scan.xs);
        const auto extrema = FindExtrema(f, scan);
        ASSERT_EQ(extrema.size(), 1u);
        EXPECT_FALSE(extrema[0].maximum);
        EXPECT_EQ(FormatNumber(extrema[0].x), "0.51");
        EXPECT_LT(extrema[0].y, 1e-25L);
        // On a sample the touching root is exact, and found as both.
        ASSERT_EQ(roots("x^2", scan).size(), 1u);
        EXPECT_EQ(roots("x^2", scan)[0].x, 0);
    }

    TEST(CurveAnalysis, KinksAndPlateausAreExtrema)
    {
        const AnalysisScan scan = windowScan();
        SampledFormula kink(request("abs(x-0.013)"), scan.xs);
        const auto atKink = FindExtrema(kink, scan);
        ASSERT_EQ(atKink.size(), 1u);
        EXPECT_EQ(FormatNumber(atKink[0].x), "0.013");

        // A peak between two samples of equal value: rise, flat, fall.
        SampledFormula peak(request("-(x-0.02)^2"), scan.xs);
        const auto atPeak = FindExtrema(peak, scan);
        ASSERT_EQ(atPeak.size(), 1u);
        EXPECT_TRUE(atPeak[0].maximum);
        EXPECT_EQ(FormatNumber(atPeak[0].x), "0.02");
    }

    TEST(CurveAnalysis, BisectionReachesTheLastBitFarFromTheSamplesScale)
    {
        // x^3 - 1e-27 has its zero at 1e-9, deep inside the bracket 0 .. 0.04: regula falsi
        // alone crawls there, the bisection of the bit patterns gets there in bounded steps.
        const auto found = roots("x^3-0.000000000000000000000000001", windowScan());
        ASSERT_EQ(found.size(), 1u);
        EXPECT_LE(std::fabs(found[0].x - 1e-9L), 1e-9L * 1e-18L);
    }

    TEST(CurveAnalysis, UsesTheRequestsDegreesConstantsAndCalls)
    {
        EvaluationRequest degrees = request("sin(x)");
        degrees.degreeMode = 1;
        const AnalysisScan wide = UniformScan(-200, 200, 400);
        SampledFormula sine(degrees, wide.xs);
        const std::vector<Ext> xs = xsOf(FindRoots(sine, wide));
        EXPECT_EQ(xs, (std::vector<Ext> { -180, 0, 180 }));

        EvaluationRequest calls = request("f(x)-a");
        calls.a = 2;
        calls.funcCount = 1;
        calls.funcNames[0] = "f";
        calls.funcFormulas[0] = "xx";
        const AnalysisScan scan = windowScan();
        SampledFormula called(calls, scan.xs);
        const auto found = FindRoots(called, scan);
        ASSERT_EQ(found.size(), 2u);
        EXPECT_EQ(FormatNumber(found[1].x), "1.4142135623731");
    }

} // namespace
} // namespace velquor
