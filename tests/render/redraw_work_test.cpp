#include "calc/evaluate.h"
#include "document/document.h"
#include "render/draw_context.h"
#include "render/plot_view.h"
#include "render/recording_surface.h"
#include "render/redraw_work.h"
#include "trace.h"

#include <algorithm>
#include <cstring>
#include <random>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace velquor {
namespace {

    using test::operations;
    using test::texts;

    // A full-HD redraw whose hidden entries are logged; formulas may call other graphs.
    struct BoundFixture : ::testing::Test
    {
        Document document;
        RecordingSurface surface { 1920, 1080 };
        std::vector<int> hidden;
        PlotView view { document, surface,
            PlotHooks { {}, {}, {}, {}, [this](int slot) { hidden.push_back(slot); } } };

        BoundFixture()
        {
            document.CX = 960;
            document.CY = 540;
            document.Zoom = 25;
        }
        int add(GraphKind kind, const std::string& name, const std::string& formula1,
            const std::string& formula2 = "", std::int32_t divisions = 0)
        {
            GraphEntry entry;
            entry.name = name;
            entry.visible = -1;
            entry.kind = static_cast<std::int32_t>(kind);
            entry.color = 255;
            entry.width = 1;
            entry.formula1 = formula1;
            entry.formula2 = formula2;
            entry.divisions = divisions;
            entry.rangeFrom = "0";
            entry.rangeTo = "1";
            return document.appendEntry(entry);
        }
        static std::string name(int i) { return "g" + std::to_string(i); }
        bool isHidden(int slot) const
        {
            return std::find(hidden.begin(), hidden.end(), slot) != hidden.end();
        }
    };

    // The evaluation work a redraw may do at most: an evaluation starts only while the bound
    // has work left, and none does more than the evaluation budget.
    constexpr std::uint64_t RedrawWorkLimit = RedrawWorkBudget + EvaluationBudget;

    // Each graph calls the one before twice, so each costs twice the one before: without a
    // bound of its own, the redraw evaluated every sample of the later graphs to the end of
    // the evaluation budget (over a minute for this 7 KB document).
    TEST_F(BoundFixture, DoublingChainOfCallsEndsWithinTheBound)
    {
        add(GraphKind::Function, name(0), "x");
        for (int i = 1; i < MaxEntries; ++i)
            add(GraphKind::Function, name(i), name(i - 1) + "(x)+" + name(i - 1) + "(x+1)");
        view.RedrawPlot();
        EXPECT_LE(view.lastRedrawWork(), RedrawWorkLimit);
        // The cheap graphs at the start are drawn; every costly one is hidden, with the message.
        for (int slot = 0; slot < 5; ++slot)
            EXPECT_FALSE(isHidden(slot)) << name(slot);
        for (int slot = 7; slot < MaxEntries; ++slot)
            EXPECT_TRUE(isHidden(slot)) << name(slot);
        for (int slot : hidden)
            EXPECT_EQ(document.entry(slot).visible, 0);
        const std::vector<std::string> messages = texts(surface.trace());
        ASSERT_FALSE(messages.empty());
        EXPECT_EQ(messages.back(), CannotDrawMessage);

        // The next redraw draws what is left visible, again within the bound.
        view.RedrawPlot();
        EXPECT_LE(view.lastRedrawWork(), RedrawWorkLimit);
    }

    // Every graph calls all 99 others: each evaluation runs to the end of its budget.
    TEST_F(BoundFixture, EveryGraphCallingAllOthersEndsWithinTheBound)
    {
        for (int i = 0; i < MaxEntries; ++i) {
            std::string formula;
            for (int j = 0; j < MaxEntries; ++j) {
                if (j != i)
                    formula += (formula.empty() ? "" : "+") + name(j) + "(x)";
            }
            add(GraphKind::Function, name(i), formula);
        }
        view.RedrawPlot();
        EXPECT_LE(view.lastRedrawWork(), RedrawWorkLimit);
        EXPECT_EQ(hidden.size(), std::size_t(MaxEntries));
    }

    // The bound stops a curve at an exact sample, counted in work: x = t and y = t cost
    // 1 + NestedEvaluationCost each to scan for calls, to compile and to evaluate, so after the
    // set-up (CurveWorkBudget - 132) / 66 samples are drawn, then the curve is hidden and what
    // it drew stays. The curves after it are still drawn.
    TEST_F(BoundFixture, CurveThatPassesItsBudgetIsHiddenAndTheRedrawGoesOn)
    {
        constexpr std::uint64_t perSample = 2 * (1 + NestedEvaluationCost);
        constexpr std::uint64_t setUp = 2 * perSample; // both texts scanned and compiled
        constexpr std::uint64_t functionSetUp = 2 * (1 + NestedEvaluationCost);
        view.RedrawPlot();
        const std::size_t gridLines = operations(surface.trace(), "line").size();
        surface.clearTrace();
        add(GraphKind::Parametric, "p", "t", "t", 2147483647);
        add(GraphKind::Function, "f", "x");
        view.RedrawPlot();
        EXPECT_EQ(hidden, std::vector<int> { 0 });
        const std::size_t lines = operations(surface.trace(), "line").size() - gridLines;
        const std::size_t functionSamples = 1921; // columns 0 to 1920
        const std::uint64_t samples = (CurveWorkBudget - setUp) / perSample;
        EXPECT_EQ(lines, samples + functionSamples);
        // The sample that passes the budget is charged its first evaluation.
        EXPECT_EQ(view.lastRedrawWork(),
            setUp + samples * perSample + perSample / 2 + functionSetUp
                + functionSamples * (1 + NestedEvaluationCost));
    }

    // Once the redraw's budget is spent, the curves after are hidden without being evaluated.
    TEST_F(BoundFixture, SpentRedrawBudgetHidesTheCurvesAfter)
    {
        const int curvesToSpend = static_cast<int>(RedrawWorkBudget / CurveWorkBudget) + 1;
        for (int i = 0; i < curvesToSpend; ++i)
            add(GraphKind::Parametric, name(i), "t", "t", 2147483647);
        const int cheap = add(GraphKind::Function, "f", "x");
        view.RedrawPlot();
        EXPECT_TRUE(isHidden(cheap));
        EXPECT_LE(view.lastRedrawWork(), RedrawWorkLimit);
        EXPECT_GE(view.lastRedrawWork(), RedrawWorkBudget);

        // Shown again, it is drawn by a redraw of its own.
        document.entry(cheap).visible = -1;
        hidden.clear();
        surface.clearTrace();
        view.RedrawPlot();
        EXPECT_TRUE(hidden.empty());
        EXPECT_EQ(view.lastRedrawWork(), (2 + 1921) * (1 + NestedEvaluationCost)); // set-up too
    }

    // A formula left to the literal scan is charged what each evaluation did: a text too long
    // to compile, 10^6 characters, stops after CurveWorkBudget / its work samples.
    TEST_F(BoundFixture, LongFormulaIsStoppedByItsWork)
    {
        std::string formula;
        for (int i = 0; i < 500'000; ++i)
            formula += i == 0 ? "x" : "+x";
        formula += "+"; // 10^6 characters
        add(GraphKind::Function, "f", formula);
        view.RedrawPlot();
        EXPECT_EQ(hidden, std::vector<int> { 0 });
        const std::uint64_t perSample = formula.size() + NestedEvaluationCost;
        // A y of 500000 x lies far outside the band except near x = 0, so count the work.
        EXPECT_LE(view.lastRedrawWork(), CurveWorkBudget + perSample);
        EXPECT_GT(view.lastRedrawWork(), CurveWorkBudget);
    }

    // A curve's request holds only the callable entries its formulas reach through calls, in
    // table order, and every text scanned to find them is charged (its length plus
    // NestedEvaluationCost) before it is scanned.
    TEST_F(BoundFixture, ACurveRequestHoldsWhatItsFormulasCallAndChargesTheirScan)
    {
        constexpr std::uint64_t C = NestedEvaluationCost;
        add(GraphKind::Function, "f", "x*2");
        add(GraphKind::Function, "g", "f(x)+1");
        add(GraphKind::Function, "h", "sin(x)");
        add(GraphKind::Function, "long", std::string(1'000'000, 'x')); // never called
        add(GraphKind::Parametric, "p", "f(t)"); // no Function entry: never callable
        struct Row
        {
            const char* formula;
            bool calls;
            std::vector<std::string> names;
            std::uint64_t charged;
        };
        const Row rows[] = {
            { "x", true, {}, 1 + C },
            { "g(x)", true, { "f", "g" }, (4 + C) + (6 + C) + (3 + C) },
            { "2*G(x)", true, { "f", "g" }, (6 + C) + (6 + C) + (3 + C) }, // folded to lower case
            // The scanner tries each later letter of a run that is no call: "xg(" may call g.
            { "xg(x)", true, { "f", "g" }, (5 + C) + (6 + C) + (3 + C) },
            { "g (x)", true, {}, 5 + C }, // a name is only ever right before its bracket
            { "p(t)", true, {}, 4 + C },
            { "h(x)+h(x)", true, { "h" }, (9 + C) + (6 + C) },
            { "g(x)", false, {}, 4 + C }, // calls switched off
        };
        for (const Row& row : rows) {
            document.setFlag(Setting::OtherFunction, row.calls);
            GraphEntry drawn;
            drawn.name = "drawn";
            RedrawWork work;
            const DrawContext context { document, surface, 0, false, '.', &work };
            const EvaluationRequest request = buildCurveRequest(context, drawn, { row.formula });
            std::vector<std::string> names(request.funcNames.begin(),
                request.funcNames.begin() + request.funcCount);
            EXPECT_EQ(names, row.names) << row.formula;
            EXPECT_EQ(work.curveWork(), row.charged) << row.formula;
        }
    }

    // Leaving out the entries a formula never reaches changes no value: random formulas over
    // names that overlap, call each other and are folded, evaluated with the whole table and
    // with the curve's, agree bit for bit.
    TEST_F(BoundFixture, TheCurveRequestGivesTheValuesOfTheWholeTable)
    {
        const char* pieces[] = { "f(x)", "g(x)", "ab(x)", "b(x)", "xab(x)", "F(x)", "sin(x)",
            "x", "2", "(", ")", "+", "*", "-", "a", "h(", "|x|" };
        add(GraphKind::Function, "f", "x*x+1");
        add(GraphKind::Function, "g", "f(x)-b(x)");
        add(GraphKind::Function, "b", "3x");
        add(GraphKind::Function, "ab", "g(x/2)");
        add(GraphKind::Function, "f", "f(x)+1"); // a second f: every entry of a name is run
        add(GraphKind::Function, "h", "ab(x)*f(x)");
        std::mt19937 random(24);
        for (int round = 0; round < 300; ++round) {
            std::string formula;
            for (int k = 1 + static_cast<int>(random() % 8); k > 0; --k)
                formula += pieces[random() % std::size(pieces)];
            GraphEntry drawn;
            drawn.name = round % 2 ? "g" : "drawn"; // a drawn graph never calls itself
            RedrawWork work;
            const DrawContext context { document, surface, 0, false, '.', &work };
            EvaluationRequest whole = buildRequest(document, drawn);
            EvaluationRequest curve = buildCurveRequest(context, drawn, { formula });
            whole.formula = curve.formula = formula;
            for (const Ext x : { Ext(-1.5), Ext(0), Ext(0.25), Ext(7) }) {
                whole.x = curve.x = x;
                const Ext a = Evaluate(whole);
                const Ext b = Evaluate(curve);
                EXPECT_EQ(std::memcmp(&a, &b, 10), 0) << formula << " at " << double(x);
            }
        }
    }

    // A curve whose formulas call more text than its budget covers is hidden before it
    // evaluates a single sample; what it would copy and compile is never touched.
    TEST_F(BoundFixture, ACurveTooLongToSetUpIsHiddenBeforeItsSamples)
    {
        std::string calls;
        for (int i = 0; i < 25; ++i) {
            const int slot = add(GraphKind::Function, name(i), std::string(1'000'000, 'x'));
            document.entry(slot).visible = 0;
            calls += (calls.empty() ? "" : "+") + name(i) + "(x)";
        }
        const int drawn = add(GraphKind::Function, "f", calls);
        view.RedrawPlot();
        EXPECT_EQ(hidden, std::vector<int> { drawn });
        EXPECT_EQ(view.lastRedrawEvaluations(), 0u);
        EXPECT_LE(view.lastRedrawWork(), CurveWorkBudget + 1'000'000 + NestedEvaluationCost);
    }

} // namespace
} // namespace velquor
