#include "calc/evaluate.h"
#include "document/document.h"
#include "render/plot_view.h"
#include "render/recording_surface.h"
#include "render/sample_cache.h"
#include "trace.h"

#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace velquor {
namespace {

    using test::traceLines;

    GraphEntry makeEntry(GraphKind kind, std::string name, std::string formula1,
        std::string formula2 = "t", std::int32_t divisions = 100)
    {
        GraphEntry entry;
        entry.name = std::move(name);
        entry.visible = -1;
        entry.kind = static_cast<std::int32_t>(kind);
        entry.color = 0x0000FF;
        entry.width = 1;
        entry.formula1 = std::move(formula1);
        entry.formula2 = std::move(formula2);
        entry.rangeFrom = "0";
        entry.rangeTo = "6.2832";
        entry.divisions = divisions;
        return entry;
    }

    // One document drawn twice, by a view that keeps its samples and by one that does not.
    struct Twin
    {
        Document document;
        RecordingSurface surface;
        PlotView view;

        Twin(int width, int height, bool keep)
            : surface(width, height)
            , view(document, surface)
        {
            view.setKeepSamples(keep);
        }
    };

    // The two views draw the same; so does the seed of "random", which both must leave alike.
    struct TwinViews
    {
        Twin kept;
        Twin plain;

        TwinViews(int width, int height)
            : kept(width, height, true)
            , plain(width, height, false)
        {
        }

        void apply(const std::function<void(Twin&)>& action)
        {
            action(kept);
            action(plain);
        }

        // Redraws both (with `before` applied to each first) and compares what they did.
        void redrawAndCompare(const std::string& what)
        {
            kept.surface.clearTrace();
            plain.surface.clearTrace();
            const std::uint32_t seed = randomSeed();
            kept.view.RedrawPlot();
            const std::uint32_t keptSeed = randomSeed();
            setRandomSeed(seed);
            plain.view.RedrawPlot();
            ASSERT_EQ(keptSeed, randomSeed()) << what;
            const auto keptLines = traceLines(kept.surface.trace());
            const auto plainLines = traceLines(plain.surface.trace());
            ASSERT_EQ(keptLines.size(), plainLines.size()) << what;
            for (std::size_t i = 0; i < keptLines.size(); ++i)
                ASSERT_EQ(keptLines[i], plainLines[i]) << what << ", line " << i;
            for (int slot = 0; slot < kept.document.graphCount(); ++slot)
                ASSERT_EQ(kept.document.entry(slot).visible, plain.document.entry(slot).visible)
                    << what;
            ASSERT_EQ(kept.view.lastRedrawWork(), plain.view.lastRedrawWork()) << what;
            ASSERT_LE(kept.view.lastRedrawEvaluations(), plain.view.lastRedrawEvaluations());
            ASSERT_LE(kept.view.keptSamples().bytes(), SampleCache::MaxBytes);
        }
    };

    // Formulas with and without values everywhere, poles, calls of other graphs (f, g, h),
    // random numbers directly and through a call, and a, b.
    const std::vector<std::string> FunctionFormulas = { "sin(x)", "x^2-3", "1/x", "sqrt(x)",
        "tan(x)", "ln(x)", "a sin(bx)", "f(x)+1", "g(x/2)", "random(x)", "h(x)", "x/0",
        "2x^2+3x-5", "|x|-a", "(x+1)^2/(x^2+1)", "int(x)", "f(g(x))", "cos(x)" };
    const std::vector<std::string> ParameterFormulas = { "3sin(2t)", "4cos(3t)", "t", "at",
        "1/t", "random(t)", "f(t)", "sqrt(t-1)", "5cos(3s)", "b" };

    template <typename T> const T& pick(std::mt19937& random, const std::vector<T>& from)
    {
        return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
    }

    int between(std::mt19937& random, int low, int high)
    {
        return std::uniform_int_distribution<int>(low, high)(random);
    }

    GraphEntry randomEntry(std::mt19937& random, int index)
    {
        static const std::vector<std::string> names = { "f", "g", "h", "k" };
        switch (between(random, 0, 3)) {
        case 0:
            return makeEntry(GraphKind::Parametric, "p" + std::to_string(index),
                pick(random, ParameterFormulas), pick(random, ParameterFormulas),
                between(random, 1, 400));
        case 1:
            return makeEntry(GraphKind::Polar, "r" + std::to_string(index),
                pick(random, ParameterFormulas), "", between(random, 1, 400));
        default:
            return makeEntry(GraphKind::Function, pick(random, names),
                pick(random, FunctionFormulas));
        }
    }

    // A user's step: what it changes, applied to both documents alike.
    std::pair<std::string, std::function<void(Twin&)>> randomAction(std::mt19937& random)
    {
        const int choice = between(random, 0, 15);
        if (choice <= 4) { // drags: by whole coarse steps, by single pixels, anywhere
            const int scale = pick(random, std::vector<int> { 1, 20, 7 });
            const int dx = between(random, -30, 30) * scale;
            const int dy = between(random, -30, 30) * scale;
            return { "pan " + std::to_string(dx) + " " + std::to_string(dy), [dx, dy](Twin& t) {
                        t.document.CX += dx;
                        t.document.CY += dy;
                    } };
        }
        if (choice == 5) {
            const int ticks = between(random, 0, 1);
            return { "settle " + std::to_string(ticks),
                [ticks](Twin& t) { t.view.settleTicks = ticks; } };
        }
        if (choice == 6) {
            const int zoom = pick(random, std::vector<int> { 1, 7, 25, 40, 250, 0 });
            return { "zoom " + std::to_string(zoom), [zoom](Twin& t) { t.document.Zoom = zoom; } };
        }
        if (choice == 7) {
            const std::string a = pick(random, std::vector<std::string> { "0", "2", "-1.5", "x" });
            const std::string b = pick(random, std::vector<std::string> { "0", "1", "3" });
            return { "a " + a + " b " + b, [a, b](Twin& t) {
                        t.document.setText(Setting::ValA, a);
                        t.document.setText(Setting::ValB, b);
                    } };
        }
        if (choice == 8 && between(random, 0, 1) == 0) {
            const std::string ratio = pick(random, std::vector<std::string> { "1", "2", "0.5" });
            return { "ratio " + ratio,
                [ratio](Twin& t) { t.document.setText(Setting::Ratio, ratio); } };
        }
        if (choice == 8)
            return { "degrees", [](Twin& t) {
                        t.document.setFlag(Setting::CheckDegree, !t.document.settings().checkDegree);
                    } };
        if (choice == 9)
            return { "calls", [](Twin& t) {
                        t.document.setFlag(
                            Setting::OtherFunction, !t.document.settings().otherFunction);
                    } };
        if (choice == 10) {
            const int size = between(random, 50, 600);
            return { "resize " + std::to_string(size),
                [size](Twin& t) { t.surface.resize(size, size * 3 / 4); } };
        }
        if (choice == 11) {
            const std::uint32_t seed = static_cast<std::uint32_t>(random());
            return { "edit", [seed](Twin& t) {
                        if (t.document.graphCount() == 0)
                            return;
                        std::mt19937 own(seed);
                        const int slot = between(own, 0, t.document.graphCount() - 1);
                        t.document.entry(slot) = randomEntry(own, slot);
                    } };
        }
        if (choice == 12) {
            const std::uint32_t seed = static_cast<std::uint32_t>(random());
            return { "show all or delete", [seed](Twin& t) {
                        std::mt19937 own(seed);
                        for (int slot = 0; slot < t.document.graphCount(); ++slot)
                            if (t.document.entry(slot).deleted == 0)
                                t.document.entry(slot).visible = -1;
                        if (t.document.graphCount() > 0 && between(own, 0, 1) == 0)
                            t.document.markDeleted(between(own, 0, t.document.graphCount() - 1));
                    } };
        }
        if (choice == 13) {
            const std::string step = pick(random, std::vector<std::string> { "1", "3", "20" });
            return { "accuracy " + step, [step](Twin& t) {
                        t.document.setText(Setting::Accuracy, step);
                        t.document.setText(Setting::TempAccuracy, step == "1" ? "20" : step);
                    } };
        }
        if (choice == 14)
            return { "exchange", [](Twin& t) {
                        if (t.document.graphCount() > 1)
                            t.document.exchangeEntries(0, t.document.graphCount() - 1);
                    } };
        return { "animate", [](Twin& t) {
                    t.view.animating = -1;
                    t.document.setText(Setting::Animate, "3");
                } };
    }

    // Random documents through random steps: the views that keep their samples draw exactly
    // what the views that evaluate every sample draw, present for present.
    TEST(SampleCache, KeptValuesDrawTheSameTrace)
    {
        for (int documentIndex = 0; documentIndex < 60; ++documentIndex) {
            std::mt19937 random(static_cast<std::uint32_t>(documentIndex) * 7919u + 1u);
            TwinViews twins(between(random, 80, 300), between(random, 60, 240));
            const int entries = between(random, 1, 8);
            std::vector<GraphEntry> table;
            for (int i = 0; i < entries; ++i)
                table.push_back(randomEntry(random, i));
            twins.apply([&](Twin& t) {
                t.document.CX = t.surface.width() / 2;
                t.document.CY = t.surface.height() / 2;
                t.document.Zoom = 25;
                t.document.setText(Setting::ValA, "2");
                t.document.setText(Setting::ValB, "1.5");
                for (const GraphEntry& e : table)
                    t.document.appendEntry(e);
            });
            twins.redrawAndCompare("document " + std::to_string(documentIndex));
            for (int step = 0; step < 25; ++step) {
                auto [what, action] = randomAction(random);
                twins.apply(action);
                twins.redrawAndCompare("document " + std::to_string(documentIndex) + ", step "
                    + std::to_string(step) + ": " + what);
                twins.apply([](Twin& t) { t.view.animating = 0; });
            }
        }
    }

    struct PanFixture : ::testing::Test
    {
        Document document;
        RecordingSurface surface { 400, 300 };
        PlotView view { document, surface };

        PanFixture()
        {
            document.CX = 200;
            document.CY = 150;
            document.Zoom = 25;
        }
        int add(GraphEntry entry) { return document.appendEntry(entry); }
    };

    TEST_F(PanFixture, APanByWholeStepsEvaluatesOnlyTheNewColumns)
    {
        add(makeEntry(GraphKind::Function, "f", "sin(x)"));
        view.RedrawPlot();
        EXPECT_EQ(view.lastRedrawEvaluations(), 401u); // columns 0 to 400
        view.RedrawPlot(); // nothing moved
        EXPECT_EQ(view.lastRedrawEvaluations(), 0u);
        document.CX += 13;
        document.CY -= 40; // rows do not change any value
        view.RedrawPlot();
        EXPECT_EQ(view.lastRedrawEvaluations(), 13u);
        document.CX -= 500; // off the kept columns altogether
        view.RedrawPlot();
        EXPECT_EQ(view.lastRedrawEvaluations(), 401u);
    }

    TEST_F(PanFixture, ADragAtTheCoarseStepReadsTheColumnsSampledAtRest)
    {
        add(makeEntry(GraphKind::Function, "f", "x^3-2x"));
        view.RedrawPlot(); // offsets -200 to 200
        view.settleTicks = 1; // a drag: columns 0, 20 .. 400
        for (const int dx : { 7, 3, -11, 5 }) {
            document.CX += dx;
            view.RedrawPlot();
            // Only a column at the edge can lie past what was sampled at rest.
            EXPECT_LE(view.lastRedrawEvaluations(), 1u) << dx;
        }
        document.CX = 504; // offsets -504 to -104 in steps of 20
        view.RedrawPlot();
        // Offsets -200 and up were sampled at rest (5 columns), -204 by the drag before.
        EXPECT_EQ(view.lastRedrawEvaluations(), 15u);
        view.settleTicks = 0;
        view.RedrawPlot();
        // Of offsets -504 to -104: -200 and up sampled at rest (97), 16 more by the drag.
        EXPECT_EQ(view.lastRedrawEvaluations(), 401u - 97u - 16u);
    }

    TEST_F(PanFixture, ParameterAndPolarCurvesAreEvaluatedOnceForAnyPanOrResize)
    {
        add(makeEntry(GraphKind::Parametric, "p", "3sin(2t)", "4cos(3t)", 360));
        add(makeEntry(GraphKind::Polar, "r", "5cos(3s)", "", 720));
        view.RedrawPlot();
        EXPECT_EQ(view.lastRedrawEvaluations(), 2u * 361u + 721u);
        document.CX += 17;
        document.CY += 3;
        surface.resize(200, 100);
        view.RedrawPlot();
        EXPECT_EQ(view.lastRedrawEvaluations(), 0u);
        document.Zoom = 40; // values do not depend on the zoom either
        view.RedrawPlot();
        EXPECT_EQ(view.lastRedrawEvaluations(), 0u);
        document.entry(1).divisions = 100;
        view.RedrawPlot();
        EXPECT_EQ(view.lastRedrawEvaluations(), 101u);
    }

    TEST_F(PanFixture, WhatTheValuesDependOnIsEvaluatedAgain)
    {
        add(makeEntry(GraphKind::Function, "f", "a sin(bx)"));
        add(makeEntry(GraphKind::Function, "g", "f(x)+1"));
        view.RedrawPlot();
        const std::vector<std::pair<const char*, std::function<void()>>> changes = {
            { "a", [&] { document.setText(Setting::ValA, "3"); } },
            { "b", [&] { document.setText(Setting::ValB, "2"); } },
            { "degrees", [&] { document.setFlag(Setting::CheckDegree, true); } },
            { "zoom", [&] { document.Zoom = 30; } },
            { "the ratio", [&] { document.setText(Setting::Ratio, "2"); } },
            { "the called formula", [&] { document.entry(0).formula1 = "a cos(bx)"; } },
            // f calls nothing: its values do not depend on the switch.
            { "the calls switch", [&] { document.setFlag(Setting::OtherFunction, false); } },
        };
        for (const auto& [what, change] : changes) {
            change();
            view.RedrawPlot();
            EXPECT_EQ(view.lastRedrawEvaluations(), (what == changes.back().first ? 1u : 2u) * 401u)
                << what;
        }
    }

    TEST_F(PanFixture, RandomNumbersAreNeverKept)
    {
        add(makeEntry(GraphKind::Function, "f", "RanDom(x)"));
        add(makeEntry(GraphKind::Function, "g", "f(x)+1")); // random through the call
        add(makeEntry(GraphKind::Polar, "r", "random(s)", "", 50));
        view.RedrawPlot();
        const std::uint64_t first = view.lastRedrawEvaluations();
        EXPECT_EQ(first, 2u * 401u + 51u);
        document.CX += 1;
        view.RedrawPlot();
        EXPECT_EQ(view.lastRedrawEvaluations(), first);
        EXPECT_EQ(view.keptSamples().bytes(), 0u);
        // A graph that calls none of them is kept, although f stands in the table it may call.
        add(makeEntry(GraphKind::Function, "h", "x+1"));
        view.RedrawPlot();
        document.CX += 1;
        view.RedrawPlot();
        EXPECT_EQ(view.lastRedrawEvaluations(), first + 1); // h: only the column panned in
        EXPECT_GT(view.keptSamples().bytes(), 0u);
    }

    TEST_F(PanFixture, MemoryIsBoundedAndDroppedWithTheDocument)
    {
        // A curve of more samples than are kept, beside one that is kept.
        add(makeEntry(GraphKind::Parametric, "p", "t", "t", SampleCache::MaxSamples));
        add(makeEntry(GraphKind::Function, "f", "x"));
        view.RedrawPlot();
        EXPECT_GT(view.keptSamples().bytes(), 0u);
        EXPECT_LT(view.keptSamples().bytes(), 64u << 10);
        view.RedrawPlot();
        EXPECT_EQ(view.lastRedrawEvaluations(), 2u * (SampleCache::MaxSamples + 1));
        view.initialiseView();
        EXPECT_EQ(view.keptSamples().bytes(), 0u);
        view.setKeepSamples(false);
        add(makeEntry(GraphKind::Function, "f", "x"));
        view.RedrawPlot();
        EXPECT_EQ(view.keptSamples().bytes(), 0u);
    }

    TEST(SampleCache, InputsTellApartWhatMayGiveOtherValues)
    {
        EvaluationRequest request;
        request.a = 0.0L;
        const auto plusZero = SampleCache::inputsOf('f', request, { "ax" }, { 25 });
        request.a = -0.0L;
        const auto minusZero = SampleCache::inputsOf('f', request, { "ax" }, { 25 });
        ASSERT_TRUE(plusZero && minusZero);
        EXPECT_NE(*plusZero, *minusZero);
        // The same characters split otherwise between the formulas and the table.
        EXPECT_NE(SampleCache::inputsOf('p', request, { "ab", "c" }, {}),
            SampleCache::inputsOf('p', request, { "a", "bc" }, {}));
        EXPECT_NE(SampleCache::inputsOf('p', request, { "x" }, {}),
            SampleCache::inputsOf('r', request, { "x" }, {}));
        request.funcCount = 1;
        request.funcNames[0] = "f";
        request.funcFormulas[0] = "ranDOM(x)";
        EXPECT_FALSE(SampleCache::inputsOf('f', request, { "x" }, { 25 }));
        request.funcFormulas[0] = std::string(SampleCache::MaxInputBytes, 'x');
        EXPECT_FALSE(SampleCache::inputsOf('f', request, { "x" }, { 25 }));
    }

    TEST(SampleCache, KeepsNoMoreThanItsLimit)
    {
        SampleCache cache;
        KeptCurve big;
        big.inputs = "i";
        big.series.resize(1);
        big.series[0].values.resize(SampleCache::MaxBytes / sizeof(Ext) / 2 + 1);
        KeptCurve copy = big;
        cache.keep(0, std::move(big));
        EXPECT_GT(cache.bytes(), SampleCache::MaxBytes / 2);
        cache.keep(1, std::move(copy)); // would pass the limit
        EXPECT_LE(cache.bytes(), SampleCache::MaxBytes);
        EXPECT_TRUE(cache.take(1, "i").inputs.empty());
        EXPECT_FALSE(cache.take(0, "i").inputs.empty());
        EXPECT_EQ(cache.bytes(), 0u); // taken
        EXPECT_TRUE(cache.take(0, "i").inputs.empty());
    }

} // namespace
} // namespace velquor
