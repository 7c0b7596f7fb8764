#include "analysis_fixture.h"
#include "calc/error.h"
#include "calc/evaluate.h"
#include "render/graph_integral.h"

#include <cmath>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

namespace velquor {
namespace {

    using test::function;
    using test::WindowHeight;
    using test::WindowWidth;

    struct GraphIntegralTest : ::testing::Test, test::WindowDocument
    {
        GraphIntegral integrate(int slot, int other, Ext from, Ext to)
        {
            return IntegrateFunctionGraph(document, slot, other, from, to, WindowHeight, '.');
        }
    };

    struct AreaCase
    {
        const char* formula;
        const char* other; // nullptr: the x axis
        Ext from;
        Ext to;
        Ext integral;
        Ext area;
        std::size_t crossings;
    };

    TEST_F(GraphIntegralTest, IntegralAndAreaWithTheAxisOrAnotherGraph)
    {
        const AreaCase table[] = {
            { "x", nullptr, -1, 2, 1.5L, 2.5L, 1 }, // split at 0
            { "x", nullptr, 2, -1, -1.5L, 2.5L, 1 }, // backwards: only the integral changes sign
            { "x^2", "x+2", -1, 2, 3, 4.5L, 2 }, // the crossings are the ends
            { "a x", nullptr, 0, 2, 2 * 3, 2 * 3, 1 }, // the constants of the document (a = 3)
        };
        for (const AreaCase& row : table) {
            test::WindowDocument fresh; // each row on a document of its own
            fresh.document.setText(Setting::ValA, "3");
            const int slot = fresh.add(function(row.formula));
            const int other = row.other ? fresh.add(function(row.other)) : XAxis;
            const GraphIntegral got = IntegrateFunctionGraph(
                fresh.document, slot, other, row.from, row.to, WindowHeight, '.');
            ASSERT_EQ(got.integral.problem, IntegralProblem::None) << row.formula;
            ASSERT_EQ(got.area.problem, IntegralProblem::None) << row.formula;
            EXPECT_NEAR(double(got.integral.value), double(row.integral), 1e-15) << row.formula;
            EXPECT_NEAR(double(got.area.value), double(row.area), 1e-15) << row.formula;
            EXPECT_EQ(got.crossings.size(), row.crossings) << row.formula;
        }
    }

    TEST_F(GraphIntegralTest, PolesRandomSeedAndBadSlots)
    {
        const int tangent = add(function("tan(x)"));
        const GraphIntegral pole = integrate(tangent, XAxis, 0, 2);
        EXPECT_EQ(pole.integral.problem, IntegralProblem::Divergent);
        EXPECT_EQ(pole.area.problem, IntegralProblem::Divergent);

        const int noisy = add(function("random(100)"));
        setRandomSeed(4321);
        integrate(noisy, XAxis, 0, 1);
        ShadedArea(document, noisy, XAxis, 0, 1, WindowWidth, WindowHeight, '.');
        EXPECT_EQ(randomSeed(), 4321u);

        EXPECT_THROW(integrate(7, XAxis, 0, 1), std::invalid_argument);
        EXPECT_THROW(integrate(tangent, 7, 0, 1), std::invalid_argument);
        document.setText(Setting::Ratio, "one");
        EXPECT_THROW(integrate(tangent, XAxis, 0, 1), Error);
    }

    TEST_F(GraphIntegralTest, ShadedColumnsSpanTheCurvesBetweenTheEnds)
    {
        const int line = add(function("x"));
        // Columns 222 (x = 0) to 247 (x = 1), from the axis (row 182) up to the line.
        const auto columns
            = ShadedArea(document, line, XAxis, 0, 1, WindowWidth, WindowHeight, '.');
        ASSERT_EQ(columns.size(), 26u);
        EXPECT_EQ(columns.front().column, 222);
        EXPECT_EQ(columns.front().top, 182);
        EXPECT_EQ(columns.front().bottom, 182);
        EXPECT_EQ(columns.back().column, 247);
        EXPECT_EQ(columns.back().top, 157);
        EXPECT_EQ(columns.back().bottom, 182);
        // A pole's rows are clipped to just beyond the surface.
        const int pole = add(function("1/x"));
        for (const ShadedColumn& c :
            ShadedArea(document, pole, XAxis, 0.01L, 1, WindowWidth, WindowHeight, '.')) {
            EXPECT_GE(c.top, -2);
            EXPECT_LE(c.bottom, WindowHeight + 2);
        }
    }

} // namespace
} // namespace velquor
