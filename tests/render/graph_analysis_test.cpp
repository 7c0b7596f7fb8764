#include "analysis_fixture.h"
#include "calc/error.h"
#include "calc/evaluate.h"
#include "calc/number_text.h"
#include "render/graph_analysis.h"

#include <cmath>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace velquor {
namespace {

    using test::function;
    using test::WindowHeight;
    using test::WindowWidth;

    struct GraphAnalysis : ::testing::Test, test::WindowDocument
    {
        std::vector<GraphFeature> analyse(int slot)
        {
            return AnalyseFunctionGraph(document, slot, WindowWidth, WindowHeight, '.');
        }
    };

    // "kind x y [other]" per feature, x and y in the 15-digit number format.
    std::vector<std::string> describe(const std::vector<GraphFeature>& features)
    {
        static const char* const Kinds[] = { "root", "min", "max", "cross" };
        std::vector<std::string> lines;
        for (const GraphFeature& f : features) {
            std::string line = std::string(Kinds[static_cast<int>(f.kind)]) + " "
                + FormatNumber(f.x) + " " + FormatNumber(f.y);
            if (f.otherSlot >= 0)
                line += " " + std::to_string(f.otherSlot);
            lines.push_back(line);
        }
        return lines;
    }

    TEST_F(GraphAnalysis, ScanTakesTheDrawersColumnsAndTheViewsHeight)
    {
        document.setText(Setting::Ratio, "2");
        const AnalysisScan scan = VisibleScan(document, WindowWidth, WindowHeight, '.');
        ASSERT_EQ(scan.xs.size(), 446u);
        EXPECT_EQ(scan.xs.front(), Ext(-222) / 25);
        EXPECT_EQ(scan.xs[222], 0);
        EXPECT_EQ(scan.xs.back(), Ext(223) / 25);
        EXPECT_EQ(scan.jumpLimit, Ext(364) / 50); // the height in plot units, ratio included
        document.setText(Setting::Ratio, "0");
        EXPECT_TRUE(std::isinf(VisibleScan(document, WindowWidth, WindowHeight, '.').jumpLimit));
        document.setText(Setting::Ratio, "one");
        EXPECT_THROW(VisibleScan(document, WindowWidth, WindowHeight, '.'), Error);
    }

    TEST_F(GraphAnalysis, RootsExtremaThenCrossingsWithTheVisibleFunctionGraphs)
    {
        const int cubic = add(function("x^3-2x"));
        add(function("x")); // meets the cubic at 0 and +-sqrt 3
        GraphEntry hidden = function("1");
        hidden.visible = 0;
        add(hidden); // not visible: not crossed
        add(test::graph(GraphKind::Parametric, "t", "t", "-5", "5", 10)); // not a function graph
        const int deleted = add(function("0.5"));
        document.markDeleted(deleted);
        EXPECT_EQ(describe(analyse(cubic)),
            (std::vector<std::string> { "root -1.4142135623731 0", "root 0 0",
                "root 1.4142135623731 0", "max -0.816496580927726 1.08866210790363",
                "min 0.816496580927726 -1.08866210790363",
                "cross -1.73205080756888 -1.73205080756888 1", "cross 0 0 1",
                "cross 1.73205080756888 1.73205080756888 1" }));
    }

    TEST_F(GraphAnalysis, LinesMeetAtOneHalf)
    {
        const int line = add(function("x"));
        const int other = add(function("-x+1"));
        const auto features = analyse(line);
        ASSERT_EQ(describe(features), (std::vector<std::string> { "root 0 0", "cross 0.5 0.5 1" }));
        EXPECT_EQ(features[1].x, 0.5L);
        EXPECT_EQ(features[1].otherSlot, other);
    }

    TEST_F(GraphAnalysis, TangentHasNoRootsAtItsPoles)
    {
        const int tangent = add(function("tan(x)"));
        EXPECT_EQ(describe(analyse(tangent)),
            (std::vector<std::string> { "root -6.28318530717959 0", "root -3.14159265358979 0",
                "root 0 0", "root 3.14159265358979 0", "root 6.28318530717959 0" }));
    }

    TEST_F(GraphAnalysis, ValuesComeFromTheDrawersRequest)
    {
        // a, degree mode and calls of other graphs, as the drawers evaluate them.
        document.setText(Setting::ValA, "2");
        const int called = add(function("f(x)-a"));
        GraphEntry square = function("xx");
        square.name = "f";
        square.visible = 0;
        add(square);
        EXPECT_EQ(describe(analyse(called)),
            (std::vector<std::string> {
                "root -1.4142135623731 0", "root 1.4142135623731 0", "min 0 -2" }));
        // Without calls "f(x)" reads as x (the letter f is skipped).
        document.setFlag(Setting::OtherFunction, false);
        EXPECT_EQ(describe(analyse(called)), (std::vector<std::string> { "root 2 0" }));
        document.entry(called).visible = 0;

        document.setFlag(Setting::CheckDegree, true);
        document.Zoom = 1;
        const int sine = add(function("sin(x)"));
        EXPECT_EQ(describe(analyse(sine)),
            (std::vector<std::string> {
                "root -180 0", "root 0 0", "root 180 0", "min -90 -1", "max 90 1" }));
    }

    TEST_F(GraphAnalysis, FailingFormulasGiveEmptyListsAndTheSeedIsKept)
    {
        const int failing = add(function("ln(-1-abs(x))"));
        add(function("x"));
        EXPECT_TRUE(analyse(failing).empty());

        const int noisy = add(function("random(100)/100-0.5"));
        setRandomSeed(12345);
        analyse(noisy);
        EXPECT_EQ(randomSeed(), 12345u);
    }

    // A graph whose samples cost as much as a redraw may do: the analysis stops with a flag
    // instead of running for minutes; the light graph before it is analysed in full.
    TEST_F(GraphAnalysis, CostlyGraphsEndTheAnalysisWithWhatItFound)
    {
        std::string heavy; // 120,000 characters: 446 samples cost more than a redraw may do
        for (int i = 0; i < 20000; ++i)
            heavy += "sin(x)";
        const int light = add(function("x^2-1"));
        GraphEntry costly = function(heavy);
        costly.name = "g";
        costly.visible = 0;
        add(costly);
        const int twice = add(function("g(x)+g(x)"));
        document.entry(twice).visible = 0;
        const std::vector<std::string> own = { "root -1 0", "root 1 0", "min 0 -1" };

        bool cutShort = true;
        EXPECT_EQ(describe(AnalyseFunctionGraph(
                      document, light, WindowWidth, WindowHeight, '.', &cutShort)),
            own);
        EXPECT_FALSE(cutShort);

        // The crossings with the costly graph run out of work: the graph's own features stay.
        document.entry(twice).visible = -1;
        EXPECT_EQ(describe(AnalyseFunctionGraph(
                      document, light, WindowWidth, WindowHeight, '.', &cutShort)),
            own);
        EXPECT_TRUE(cutShort);

        EXPECT_TRUE(AnalyseFunctionGraph(document, twice, WindowWidth, WindowHeight, '.', &cutShort)
                        .empty());
        EXPECT_TRUE(cutShort);
    }

    TEST_F(GraphAnalysis, OnlyFunctionGraphsAreAnalysed)
    {
        const int curve = add(test::graph(GraphKind::Polar, "1", "", "0", "6.28", 360));
        EXPECT_THROW(analyse(curve), std::invalid_argument);
        EXPECT_THROW(analyse(5), std::invalid_argument); // an unused slot
    }

} // namespace
} // namespace velquor
