#include "calc/error.h"
#include "calc/evaluate.h"
#include "document/document.h"
#include "render/curve_drawers.h"
#include "render/recording_surface.h"
#include "render/view_transform.h"
#include "trace.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace velquor {
namespace {

    using test::operations;
    using test::Segment;
    using test::segments;
    using test::traceLines;

    constexpr int Width = 445;
    constexpr int Height = 364;
    constexpr Color Red = 255;

    GraphEntry function(const std::string& formula)
    {
        GraphEntry entry;
        entry.name = formula;
        entry.visible = -1;
        entry.kind = static_cast<std::int32_t>(GraphKind::Function);
        entry.color = Red;
        entry.width = 1;
        entry.formula1 = formula;
        return entry;
    }

    GraphEntry curve(GraphKind kind, const std::string& formula1, const std::string& formula2,
        const std::string& from, const std::string& to, std::int32_t divisions)
    {
        GraphEntry entry = function(formula1);
        entry.kind = static_cast<std::int32_t>(kind);
        entry.formula2 = formula2;
        entry.rangeFrom = from;
        entry.rangeTo = to;
        entry.divisions = divisions;
        return entry;
    }

    struct DrawerFixture : ::testing::Test
    {
        Document document;
        RecordingSurface surface { Width, Height };
        std::int32_t settleTicks = 0;
        bool animating = false;

        DrawerFixture()
        {
            document.CX = 222;
            document.CY = 182;
            document.Zoom = 25;
        }
        std::string draw(const GraphEntry& entry)
        {
            surface.clearTrace();
            const DrawContext context { document, surface, settleTicks, animating, '.' };
            switch (static_cast<GraphKind>(entry.kind)) {
            case GraphKind::Function:
                DrawFunctionGraph(context, entry);
                break;
            case GraphKind::Parametric:
                DrawParameterCurve(context, entry);
                break;
            default:
                DrawPolarCurve(context, entry);
                break;
            }
            return surface.trace();
        }
        // The trace of a drawer that must fail; the error's message is not shown to the user.
        std::string drawFailing(const GraphEntry& entry)
        {
            EXPECT_THROW(draw(entry), Error);
            return surface.trace();
        }
    };

    // ---- function graphs ----

    TEST_F(DrawerFixture, FunctionSamplesEveryStepFromColumnZero)
    {
        document.setText(Setting::Accuracy, "20");
        const std::vector<std::string> lines = traceLines(draw(function("0")));
        ASSERT_EQ(lines.size(), 2u + 1u + 23u + 1u);
        EXPECT_EQ(lines[0], "pencolor 255");
        EXPECT_EQ(lines[1], "penwidth 1");
        EXPECT_EQ(lines[2], "move 0 182"); // the first sample is accepted
        EXPECT_EQ(lines[3], "line 0 182");
        EXPECT_EQ(lines[lines.size() - 2], "line 440 182"); // the last column <= 445
        EXPECT_EQ(lines.back(), "release");
    }

    TEST_F(DrawerFixture, FunctionStepFollowsTheSettleCounter)
    {
        document.setText(Setting::Accuracy, "1");
        document.setText(Setting::TempAccuracy, "20");
        settleTicks = 1;
        EXPECT_EQ(operations(draw(function("0")), "line").size(), 23u);
        settleTicks = 0;
        EXPECT_EQ(operations(draw(function("0")), "line").size(), 446u);
    }

    TEST_F(DrawerFixture, FunctionBreaksWhereItHasNoValue)
    {
        // 1/x: the sample at column CX has x = 0 and no value; no line reaches or crosses it.
        const std::string trace = draw(function("1/x"));
        for (const Segment& s : segments(trace)) {
            EXPECT_FALSE(s.x1 == 222) << s.x0 << "," << s.y0 << " -> " << s.x1 << "," << s.y1;
            EXPECT_FALSE(s.x0 < 222 && s.x1 > 222);
        }
        EXPECT_FALSE(segments(trace).empty());
        // x/x: the sample without value stands on the origin's row, within the jump of its
        // neighbours at row 157, so the next sample starts again right after it.
        const auto moves = operations(draw(function("x/x")), "move");
        EXPECT_EQ(moves, (std::vector<std::string> { "move 0 157", "move 223 157" }));
    }

    TEST_F(DrawerFixture, TangentLeavesItsAsymptotesOpen)
    {
        const std::string trace = draw(function("tan(x)"));
        for (const Segment& s : segments(trace))
            EXPECT_LT(std::abs(s.y1 - s.y0), Height);
        // Branches every pi: at zoom 25 about six on 445 columns, each started by a move.
        EXPECT_GE(operations(trace, "move").size(), 5u);
    }

    TEST_F(DrawerFixture, FunctionBandIsMeasuredOnTheSurface)
    {
        // y = 1000 at zoom 25: every row is -24818, beyond the band: only pen and release.
        EXPECT_EQ(traceLines(draw(function("1000"))),
            (std::vector<std::string> { "pencolor 255", "penwidth 1", "release" }));
        // With the origin panned 5000 rows down, y = 200 lies on row 0 and is drawn.
        document.CY = 5000;
        EXPECT_EQ(traceLines(draw(function("200")))[2], "move 0 0");
    }

    TEST_F(DrawerFixture, FunctionOffsetsThatDoNotFitBreakTheCurve)
    {
        // 10^7 at zoom 500 does not fit a 32-bit row: outside the band, no failure.
        document.Zoom = 500;
        EXPECT_EQ(operations(draw(function("10000000")), "line").size(), 0u);
        // 1/x^4 at zoom 100: the rows next to the origin's column (10^10 px) do not fit. The curve
        // breaks there and both branches are drawn; it is not hidden.
        document.Zoom = 100;
        const std::string trace = draw(function("1/(x*x*x*x)"));
        EXPECT_EQ(operations(trace, "move").size(), 2u);
        for (const Segment& s : segments(trace))
            EXPECT_FALSE(s.x0 <= 222 && s.x1 >= 222);
    }

    TEST_F(DrawerFixture, FunctionRatioStretchesVertically)
    {
        document.setText(Setting::Ratio, "2");
        EXPECT_EQ(traceLines(draw(function("1")))[2], "move 0 132"); // 182 - 1 * 25 * 2
    }

    TEST_F(DrawerFixture, FunctionFailures)
    {
        struct Case
        {
            const char* accuracy;
            std::int32_t zoom;
            const char* why;
        };
        const Case cases[] = {
            { "0.5", 25, "a step that is not an integer" },
            { "0", 25, "a step of 0 would never reach the edge" },
            { "-3", 25, "a negative step" },
            { "abc", 25, "not a number" },
            { "1", 0, "zoom 0 divides by zero" },
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.why);
            document.setText(Setting::Accuracy, c.accuracy);
            document.Zoom = c.zoom;
            EXPECT_EQ(traceLines(drawFailing(function("x"))),
                (std::vector<std::string> { "pencolor 255", "penwidth 1" }));
        }
    }

    TEST_F(DrawerFixture, ProgressiveDrawingPresentsEveryThresholdPlusOneSamples)
    {
        animating = true;
        // Nearest(445 / 40) = 11: a present after every 12th of the 446 samples.
        const std::string trace = draw(function("0"));
        EXPECT_EQ(operations(trace, "present").size(), 37u);
        const std::vector<std::string> lines = traceLines(trace);
        const std::size_t firstPresent = 2 + 1 + 12 + 1; // pen, move, 12 lines, release
        ASSERT_GT(lines.size(), firstPresent);
        EXPECT_EQ(lines[firstPresent - 1], "release");
        EXPECT_EQ(lines[firstPresent], "present");

        // Not animating: never presents.
        animating = false;
        EXPECT_EQ(operations(draw(function("0")), "present").size(), 0u);

        // Frames "0" or not an integer: the first drawn sample fails.
        animating = true;
        for (const char* frames : { "0", "x" }) {
            document.setText(Setting::Animate, frames);
            const std::vector<std::string> failed = traceLines(drawFailing(function("0")));
            EXPECT_EQ(failed.back(), "line 0 182") << frames;
        }
    }

    TEST_F(DrawerFixture, ProgressiveDrawingOfCurvesCountsDivisions)
    {
        animating = true;
        // Nearest(360 / 40) = 9: a present after every 10th of the 361 samples, per curve kind.
        for (GraphKind kind : { GraphKind::Polar, GraphKind::Parametric }) {
            const std::string trace = draw(curve(kind, "1", "1", "0", "6.28", 360));
            EXPECT_EQ(operations(trace, "present").size(), 36u);
        }
        // Negative frames: a threshold below every count presents after each sample.
        document.setText(Setting::Animate, "-1");
        EXPECT_EQ(
            operations(draw(curve(GraphKind::Polar, "1", "", "0", "1", 4)), "present").size(), 5u);
    }

    // Formulas that draw random numbers are evaluated sample by sample as they are drawn: the
    // sequence interleaves the two formulas of a parameter curve, and stops where drawing stops.
    TEST_F(DrawerFixture, RandomNumbersAreDrawnInTheOrderOfTheSamples)
    {
        setRandomSeed(7);
        EvaluationRequest vertical;
        vertical.formula = "random(100)";
        EvaluationRequest horizontal;
        horizontal.formula = "random(8)+sin(x)";
        std::vector<std::string> expected;
        for (int i = 0; i <= 4; ++i) {
            vertical.x = horizontal.x = Ext(i) / 4;
            const Ext vy = Evaluate(vertical);
            const Ext vx = Evaluate(horizontal);
            expected.push_back(std::to_string(222 + *horizontalOffset(vx, 25)) + " "
                + std::to_string(182 + *verticalOffset(vy, 25, 1)));
        }
        const std::uint32_t seedAfter = randomSeed();

        setRandomSeed(7);
        const std::vector<std::string> lines = traceLines(
            draw(curve(GraphKind::Parametric, "random(100)", "random(8)+sin(x)", "0", "1", 4)));
        EXPECT_EQ(randomSeed(), seedAfter);
        ASSERT_EQ(lines.size(), 2u + 1u + 5u + 1u);
        for (std::size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(lines[3 + i], "line " + expected[i]);

        // Drawing that fails at its first drawn sample has drawn one random number.
        animating = true;
        document.setText(Setting::Animate, "0");
        setRandomSeed(7);
        drawFailing(function("random(100)"));
        EXPECT_EQ(randomSeed(), 7u * 134775813u + 1u);
    }

    // ---- parameter curves ----

    TEST_F(DrawerFixture, ParameterCurveFormula1IsVertical)
    {
        const std::string trace
            = draw(curve(GraphKind::Parametric, "sin(x)", "cos(x)", "0", "1.5707963267948966", 1));
        EXPECT_EQ(traceLines(trace),
            (std::vector<std::string> { "pencolor 255", "penwidth 1", "move 247 182",
                "line 247 182", "line 222 157", "release" }));
    }

    TEST_F(DrawerFixture, ParameterCurveBreaksAtNoValue)
    {
        // t = -1, 0, 1: no value at 0 in the vertical coordinate, and the next sample moves.
        EXPECT_EQ(traceLines(draw(curve(GraphKind::Parametric, "1/x", "x", "-1", "1", 2))),
            (std::vector<std::string> { "pencolor 255", "penwidth 1", "move 197 207",
                "line 197 207", "move 247 157", "line 247 157", "release" }));
        // The same with no value in the horizontal coordinate only.
        EXPECT_EQ(traceLines(draw(curve(GraphKind::Parametric, "x", "1/x", "-1", "1", 2))),
            (std::vector<std::string> { "pencolor 255", "penwidth 1", "move 197 207",
                "line 197 207", "move 247 157", "line 247 157", "release" }));
    }

    TEST_F(DrawerFixture, ParameterCurveJoinsAcrossSamplesBeyondTheBand)
    {
        // t = -1, 0, 1 with y = 200 at t = 0 (5000 px up): skipped, the pen stays.
        EXPECT_EQ(
            traceLines(draw(curve(GraphKind::Parametric, "200-200*abs(x)", "x", "-1", "1", 2))),
            (std::vector<std::string> { "pencolor 255", "penwidth 1", "move 197 182",
                "line 197 182", "line 247 182", "release" }));
    }

    TEST_F(DrawerFixture, RangeRules)
    {
        struct Case
        {
            GraphKind kind;
            const char* from;
            const char* to;
            std::int32_t divisions;
            bool fails;
            std::vector<std::string> expected;
            const char* why;
        };
        const std::vector<std::string> penOnly { "pencolor 255", "penwidth 1" };
        const std::vector<std::string> penAndRelease { "pencolor 255", "penwidth 1", "release" };
        const Case cases[] = {
            { GraphKind::Polar, "1", "0", 360, false, penOnly, "end before start: nothing" },
            { GraphKind::Polar, "1", "0", 0, false, penOnly, "end before start wins over 0" },
            { GraphKind::Polar, "0", "1", 0, true, penOnly, "0 divisions divides by zero" },
            { GraphKind::Polar, "1", "1", 0, true, penOnly, "also with equal ends" },
            { GraphKind::Parametric, "0", "1", 0, true, penOnly, "parameter curves alike" },
            { GraphKind::Polar, "0", "1", -5, false, penAndRelease, "negative: no samples" },
            { GraphKind::Polar, "0", "x", 10, true, penOnly, "range text not a number" },
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.why);
            const GraphEntry entry = curve(c.kind, "1", "1", c.from, c.to, c.divisions);
            const std::string trace = c.fails ? drawFailing(entry) : draw(entry);
            EXPECT_EQ(traceLines(trace), c.expected);
        }
    }

    // ---- polar curves ----

    TEST_F(DrawerFixture, PolarUnitCircleHas361SamplesAndDoesNotClose)
    {
        document.Zoom = 500;
        const std::string trace = draw(curve(GraphKind::Polar, "1", "", "0", "6.28", 360));
        const std::vector<std::string> lines = operations(trace, "line");
        ASSERT_EQ(lines.size(), 361u);
        EXPECT_EQ(operations(trace, "move"), (std::vector<std::string> { "move 722 182" }));
        for (const Segment& s : segments(trace)) {
            const double radius = std::hypot(s.x1 - 222, s.y1 - 182);
            EXPECT_NEAR(radius, 500, 1);
        }
        EXPECT_EQ(lines.back(), "line 722 184"); // sin 6.28 < 0: 2 px below the start
    }

    TEST_F(DrawerFixture, PolarAngleIsInRadiansInDegreeMode)
    {
        document.setFlag(Setting::CheckDegree, true);
        // r = sin(90) = 1 in degrees; the point's angle 90 stays in radians.
        const std::vector<std::string> lines
            = traceLines(draw(curve(GraphKind::Polar, "sin(x)", "", "90", "90", 1)));
        EXPECT_EQ(lines[2], "move 211 160"); // 25 cos 90 = -11.2, -25 sin 90 = -22.3
        document.setFlag(Setting::CheckDegree, false);
        EXPECT_NE(traceLines(draw(curve(GraphKind::Polar, "sin(x)", "", "90", "90", 1)))[2],
            "move 211 160");
    }

    TEST_F(DrawerFixture, PolarMovesOnlyRightAfterAnUndefinedSample)
    {
        // s = -1, 0, 1, 2: r = 1/s has no value at 0; s = 1 starts with a move.
        const std::string trace = draw(curve(GraphKind::Polar, "1/x", "", "-1", "2", 3));
        EXPECT_EQ(operations(trace, "move").size(), 2u);
        EXPECT_EQ(operations(trace, "line").size(), 3u);
        // s = 0 .. 3, r = 200/(s-1): drawn at 0, undefined at 1, 4546 px up at 2 (skipped),
        // in the band at 3: joined by a line from s = 0, without a move.
        const std::string joined = draw(curve(GraphKind::Polar, "200/(x-1)", "", "0", "3", 3));
        EXPECT_EQ(operations(joined, "move").size(), 1u);
        EXPECT_EQ(operations(joined, "line").size(), 2u);
    }

    TEST_F(DrawerFixture, BandIsMeasuredFromTheOriginForCurves)
    {
        // A circle of radius 200 at zoom 25 panned 5000 rows down: no point 3000 px or more
        // above the origin is drawn, although some would be on the surface.
        document.CY = 5000;
        const std::string trace = draw(curve(GraphKind::Polar, "200", "", "0", "6.28", 720));
        ASSERT_FALSE(segments(trace).empty());
        for (const Segment& s : segments(trace))
            EXPECT_GT(s.y1 - 5000, -3000);
    }

    TEST_F(DrawerFixture, CurveOffsetsThatDoNotFitAreSkipped)
    {
        document.Zoom = 500;
        // t = -1, 0, 1: x = 10^7 t^... at t = 0 the horizontal offset fits, elsewhere it does not.
        EXPECT_EQ(
            operations(draw(curve(GraphKind::Parametric, "0", "10000000*x", "-1", "1", 2)), "line"),
            (std::vector<std::string> { "line 222 182" }));
        EXPECT_EQ(operations(draw(curve(GraphKind::Polar, "10000000*x", "", "0", "1", 1)), "line"),
            (std::vector<std::string> { "line 222 182" }));
    }

    TEST_F(DrawerFixture, NonIntegerAccuracyFailsFunctionGraphsOnly)
    {
        document.setText(Setting::Accuracy, "0.5");
        drawFailing(function("x"));
        EXPECT_NO_THROW(draw(curve(GraphKind::Polar, "1", "", "0", "1", 10)));
        EXPECT_NO_THROW(draw(curve(GraphKind::Parametric, "1", "x", "0", "1", 10)));
    }

    // ---- the request ----

    TEST(BuildRequest, CallableTableRules)
    {
        Document document;
        document.setText(Setting::ValA, "0.5");
        document.setText(Setting::ValB, "abc"); // not a number: 0
        document.setFlag(Setting::CheckDegree, true);
        auto add = [&](const char* name, GraphKind kind, const char* formula) {
            GraphEntry entry;
            entry.name = name;
            entry.kind = static_cast<std::int32_t>(kind);
            entry.formula1 = formula;
            return document.appendEntry(entry);
        };
        add("f", GraphKind::Function, "x+1");
        add("g", GraphKind::Parametric, "x");
        add("F", GraphKind::Function, "2"); // names compare case-sensitively
        add("f", GraphKind::Function, "x+2"); // same name as the drawn one: left out
        const int hidden = add("h", GraphKind::Function, "3");
        const int deleted = add("d", GraphKind::Function, "4");
        document.markDeleted(deleted);
        document.entry(hidden).visible = 0;
        add("p", GraphKind::Position, "");

        GraphEntry drawn;
        drawn.name = "f";
        EvaluationRequest request = buildRequest(document, drawn);
        EXPECT_EQ(request.a, 0.5L);
        EXPECT_EQ(request.b, 0.0L);
        EXPECT_EQ(request.degreeMode, 1);
        ASSERT_EQ(request.funcCount, 3);
        EXPECT_EQ(request.funcNames[0], "F");
        EXPECT_EQ(request.funcNames[1], "h");
        EXPECT_EQ(request.funcNames[2], "d");
        EXPECT_EQ(request.funcFormulas[2], "4");

        document.setFlag(Setting::OtherFunction, false);
        EXPECT_EQ(buildRequest(document, drawn).funcCount, 0);
    }

    TEST(BuildRequest, TakesTheFirstFiftyFunctions)
    {
        Document document;
        for (int i = 0; i < 60; ++i) {
            GraphEntry entry;
            entry.name = "f" + std::to_string(i);
            document.appendEntry(entry);
        }
        GraphEntry drawn;
        drawn.name = "f0";
        const EvaluationRequest request = buildRequest(document, drawn);
        EXPECT_EQ(request.funcCount, 50);
        EXPECT_EQ(request.funcNames[0], "f1");
        EXPECT_EQ(request.funcNames[49], "f50");
    }

} // namespace
} // namespace velquor
