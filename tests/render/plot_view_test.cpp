#include "calc/error.h"
#include "document/document.h"
#include "render/draw_context.h"
#include "render/plot_view.h"
#include "render/recording_surface.h"
#include "trace.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace velquor {
namespace {

    using test::operations;
    using test::traceLines;

    constexpr int Width = 445;
    constexpr int Height = 364;

    // A view on a recording surface whose hooks log what the window would show.
    struct ViewFixture : ::testing::Test
    {
        Document document;
        RecordingSurface surface { Width, Height };
        std::vector<std::string> zoomTexts; // one per redraw that got past suppressRedraw
        std::vector<int> trackBar;
        std::vector<bool> lamp;
        std::vector<int> hidden;
        KeySet keys = 0;
        PlotView view { document, surface,
            PlotHooks { [this](int position) { trackBar.push_back(position); },
                [this](const std::string& text) { zoomTexts.push_back(text); },
                [this](bool busy) { lamp.push_back(busy); }, [this] { return int(keys); },
                [this](int slot) { hidden.push_back(slot); } } };

        ViewFixture()
        {
            document.CX = 222;
            document.CY = 182;
            document.Zoom = 25;
        }
        std::size_t redraws() const { return zoomTexts.size(); }
        void ticks(int count)
        {
            for (int i = 0; i < count; ++i)
                view.tick();
        }
        int addGraph(GraphKind kind, const std::string& formula, std::int32_t divisions = 10)
        {
            GraphEntry entry;
            entry.name = formula;
            entry.visible = -1;
            entry.kind = static_cast<std::int32_t>(kind);
            entry.color = 255;
            entry.width = 1;
            entry.formula1 = formula;
            entry.formula2 = "x";
            entry.rangeFrom = "0";
            entry.rangeTo = "1";
            entry.divisions = divisions;
            return document.appendEntry(entry);
        }
    };

    TEST(RecordingSurface, WritesOneLinePerCall)
    {
        RecordingSurface surface(10, 20);
        Canvas& canvas = surface.canvas();
        canvas.setPenColor(-1);
        canvas.setPenWidth(2);
        canvas.setBrushColor(16777215);
        canvas.setFontColor(0);
        canvas.fillRect(0, 0, 10, 20);
        canvas.moveTo(-2147483647 - 1, 5);
        canvas.lineTo(3, 2147483647);
        canvas.textOut(1, 2, "a b  é");
        canvas.release();
        surface.present();
        EXPECT_EQ(surface.trace(),
            "pencolor -1\npenwidth 2\nbrush 16777215\nfontcolor 0\nfill 0 0 10 20\n"
            "move -2147483648 5\nline 3 2147483647\ntext 1 2 a b  é\nrelease\npresent\n");
        EXPECT_EQ(surface.width(), 10);
        EXPECT_EQ(surface.height(), 20);
    }

    TEST_F(ViewFixture, RedrawShowsZoomLampAndPresents)
    {
        view.RedrawPlot();
        EXPECT_EQ(zoomTexts, (std::vector<std::string> { "25 %" }));
        EXPECT_EQ(trackBar, (std::vector<int> { 25 }));
        EXPECT_EQ(lamp, (std::vector<bool> { true, false }));
        EXPECT_EQ(traceLines(surface.trace()).back(), "present");
        EXPECT_EQ(operations(surface.trace(), "present").size(), 1u);
    }

    TEST_F(ViewFixture, SuppressedRedrawDoesNothing)
    {
        view.suppressRedraw = 1;
        view.RedrawPlot();
        EXPECT_TRUE(zoomTexts.empty());
        EXPECT_TRUE(lamp.empty());
        EXPECT_TRUE(surface.trace().empty());
    }

    TEST_F(ViewFixture, FailingCurveIsHiddenAndTheNextIsStillDrawn)
    {
        document.setText(Setting::Accuracy, "0.5"); // fails function graphs only
        const int failing = addGraph(GraphKind::Function, "x");
        addGraph(GraphKind::Polar, "1");
        view.RedrawPlot();
        EXPECT_EQ(document.entry(failing).visible, 0);
        EXPECT_EQ(hidden, (std::vector<int> { failing }));
        const std::vector<std::string> lines = traceLines(surface.trace());
        const auto message
            = std::find(lines.begin(), lines.end(), "text 0 0 " + std::string(CannotDrawMessage));
        ASSERT_NE(message, lines.end());
        EXPECT_EQ(*(message + 1), "release");
        EXPECT_EQ(*(message + 2), "present");
        EXPECT_EQ(*(message + 3), "pencolor 255"); // the polar curve follows
        EXPECT_EQ(std::count_if(message, lines.end(),
                      [](const std::string& line) { return line.rfind("line ", 0) == 0; }),
            11); // the polar curve's 11 samples
        EXPECT_EQ(lines.back(), "present");

        surface.clearTrace();
        view.RedrawPlot(); // the hidden graph is not drawn again: no message
        EXPECT_EQ(operations(surface.trace(), "text 0 0").size(), 0u);
        EXPECT_EQ(operations(surface.trace(), "present").size(), 1u);
    }

    TEST_F(ViewFixture, ZeroDivisionsHidesThePolarCurve)
    {
        const int slot = addGraph(GraphKind::Polar, "1", 0);
        view.RedrawPlot();
        EXPECT_EQ(document.entry(slot).visible, 0);
    }

    TEST_F(ViewFixture, StoredItemsAreNeverDrawn)
    {
        const int slot = addGraph(GraphKind::Position, "x");
        view.RedrawPlot();
        EXPECT_EQ(document.entry(slot).visible, -1);
        EXPECT_EQ(operations(surface.trace(), "pencolor").size(), 1u); // the grid's only
    }

    TEST_F(ViewFixture, GridFailureLeavesTheLampRedAndPresentsNothing)
    {
        document.setText(Setting::Ratio, "x");
        addGraph(GraphKind::Function, "x");
        EXPECT_THROW(view.RedrawPlot(), Error);
        EXPECT_EQ(lamp, (std::vector<bool> { true }));
        EXPECT_EQ(operations(surface.trace(), "present").size(), 0u);
    }

    TEST_F(ViewFixture, TraceModeLeavesOutTheGrid)
    {
        view.toggleTraceMode();
        EXPECT_TRUE(view.traceMode());
        EXPECT_TRUE(zoomTexts.empty()); // toggling does not redraw
        document.Zoom = -15;
        view.RedrawPlot();
        EXPECT_EQ(operations(surface.trace(), "fill").size(), 0u);
        EXPECT_EQ(document.Zoom, -15); // no grid pass to raise it
        view.toggleTraceMode();
        view.RedrawPlot();
        EXPECT_EQ(operations(surface.trace(), "fill").size(), 1u);
    }

    TEST_F(ViewFixture, SettleRedrawComesThirtyTicksAfterTheLastMotion)
    {
        view.resized();
        EXPECT_EQ(view.settleTicks, 1);
        EXPECT_EQ(redraws(), 0u); // resizing alone does not draw
        ticks(29);
        EXPECT_EQ(view.settleTicks, 30);
        EXPECT_EQ(redraws(), 0u);
        view.tick();
        EXPECT_EQ(view.settleTicks, 0);
        EXPECT_EQ(redraws(), 1u);
        ticks(100);
        EXPECT_EQ(redraws(), 1u); // at rest nothing more
    }

    TEST_F(ViewFixture, DraggingPansAndHoldsTheSettleCounter)
    {
        view.mouseDown(100, 100);
        EXPECT_EQ(view.dragging, -1);
        ticks(5); // a press alone: at rest, nothing
        EXPECT_EQ(redraws(), 0u);
        view.mouseMove(110, 100, true);
        EXPECT_EQ(document.CX, 232);
        EXPECT_EQ(document.CY, 182);
        EXPECT_EQ(redraws(), 1u);
        view.mouseMove(50, 50, false); // right button or a modifier: no pan
        EXPECT_EQ(document.CX, 232);
        ticks(40); // held: no counting, and a redraw at every tick
        EXPECT_EQ(view.settleTicks, 1);
        EXPECT_EQ(redraws(), 41u);
        view.mouseUp();
        EXPECT_EQ(view.dragging, 0);
        ticks(29);
        EXPECT_EQ(redraws(), 41u);
        view.tick();
        EXPECT_EQ(redraws(), 42u);
        EXPECT_EQ(view.settleTicks, 0);
        view.mouseMove(0, 0, true); // no drag in progress
        EXPECT_EQ(document.CX, 232);
    }

    TEST_F(ViewFixture, FullScreenKeys)
    {
        struct Case
        {
            KeySet keys;
            std::int32_t cx, cy, zoom;
        };
        const Case cases[] = {
            { KeyLeft, 232, 182, 25 },
            { KeyRight | KeyShift, 142, 182, 25 },
            { KeyUp, 222, 192, 25 },
            { KeyDown | KeyShift, 222, 102, 25 },
            { KeyZ, 222, 182, 20 },
            { KeySpace | KeyShift, 222, 182, -15 },
            { KeyX, 222, 182, 30 },
            { KeyEnter | KeyShift, 222, 182, 65 },
            { KeyLeft | KeyUp | KeyX, 232, 192, 30 },
        };
        view.fullScreen = 1;
        for (const Case& c : cases) {
            document.CX = 222;
            document.CY = 182;
            document.Zoom = 25;
            view.settleTicks = 0;
            keys = c.keys;
            const std::size_t before = redraws();
            view.tick();
            EXPECT_EQ(document.CX, c.cx) << c.keys;
            EXPECT_EQ(document.CY, c.cy) << c.keys;
            EXPECT_EQ(redraws(), before + 1) << c.keys;
            EXPECT_EQ(view.settleTicks, 1);
            EXPECT_EQ(zoomTexts.back(), std::to_string(c.zoom) + " %");
        }
        // Without full screen the keys are not polled.
        view.fullScreen = 0;
        view.settleTicks = 0;
        keys = KeyLeft;
        document.CX = 222;
        view.tick();
        EXPECT_EQ(document.CX, 222);
    }

    TEST_F(ViewFixture, KeyboardZoomBelowOneIsShownThenRaisedByTheGrid)
    {
        view.fullScreen = 1;
        document.Zoom = 25;
        keys = KeyZ | KeyShift;
        view.tick();
        EXPECT_EQ(zoomTexts.back(), "-15 %");
        EXPECT_EQ(trackBar.back(), 1);
        EXPECT_EQ(document.Zoom, 1);
    }

    TEST_F(ViewFixture, ZoomAndOrigin)
    {
        view.setZoom(500);
        EXPECT_EQ(document.Zoom, 500);
        EXPECT_EQ(zoomTexts.back(), "500 %");
        EXPECT_EQ(view.settleTicks, 1);
        document.Zoom = 600; // keyboard zoom beyond the track bar
        view.RedrawPlot();
        EXPECT_EQ(zoomTexts.back(), "600 %");
        EXPECT_EQ(trackBar.back(), 500);

        document.CX = -1000;
        document.CY = 5;
        view.settleTicks = 0;
        view.backToOrigin();
        EXPECT_EQ(document.CX, 222); // 222.5 to even
        EXPECT_EQ(document.CY, 182);
        EXPECT_EQ(view.settleTicks, 0);
        EXPECT_EQ(document.Zoom, 600);
    }

    TEST_F(ViewFixture, AnimationFlagOnlyDuringItsRedraw)
    {
        std::vector<std::int32_t> seen;
        surface.setPresentHandler([&] { seen.push_back(view.animating); });
        addGraph(GraphKind::Function, "0");
        view.animate();
        EXPECT_EQ(view.animating, 0);
        ASSERT_GT(seen.size(), 30u); // progressive presents
        for (std::int32_t flag : seen)
            EXPECT_EQ(flag, -1);

        document.setText(Setting::Ratio, "x");
        EXPECT_THROW(view.animate(), Error);
        EXPECT_EQ(view.animating, 0);
    }

    TEST_F(ViewFixture, AnimationWithBadFramesHidesCurves)
    {
        document.setText(Setting::Animate, "0");
        const int slot = addGraph(GraphKind::Function, "0");
        view.animate();
        EXPECT_EQ(document.entry(slot).visible, 0);
    }

    TEST_F(ViewFixture, RestoreRedrawsNestedInsideAPresent)
    {
        bool restoring = false;
        surface.setPresentHandler([&] {
            if (restoring)
                return;
            restoring = true;
            view.restoreSurface();
        });
        view.RedrawPlot();
        EXPECT_EQ(redraws(), 2u);
        EXPECT_EQ(lamp, (std::vector<bool> { true, true, false, false }));
    }

    TEST_F(ViewFixture, MoveToViewInTenFrames)
    {
        std::vector<std::int32_t> zooms;
        std::vector<std::int32_t> columns;
        std::vector<std::int32_t> rows;
        std::vector<std::int32_t> settle;
        surface.setPresentHandler([&] {
            settle.push_back(view.settleTicks);
            zooms.push_back(document.Zoom);
            columns.push_back(document.CX);
            rows.push_back(document.CY);
        });
        view.moveToView(40, 100, 100, true);
        EXPECT_EQ(zooms, (std::vector<std::int32_t> { 26, 28, 30, 31, 32, 34, 36, 37, 38, 40 }));
        EXPECT_EQ(columns,
            (std::vector<std::int32_t> { 210, 198, 185, 173, 161, 149, 137, 124, 112, 100 }));
        EXPECT_EQ(rows.back(), 100);
        EXPECT_EQ(settle, std::vector<std::int32_t>(10, 1)); // drawn at the moving accuracy
        ticks(30);
        EXPECT_EQ(zooms.size(), 11u); // and the settle redraw at full accuracy

        // The current view again: still ten frames.
        zooms.clear();
        view.moveToView(40, 100, 100, true);
        EXPECT_EQ(zooms, std::vector<std::int32_t>(10, 40));

        // Without the animation: one jump, no settle redraw.
        zooms.clear();
        view.settleTicks = 0;
        view.moveToView(25, 222, 182, false);
        EXPECT_EQ(zooms, (std::vector<std::int32_t> { 25 }));
        ticks(40);
        EXPECT_EQ(zooms.size(), 1u);
    }

    TEST_F(ViewFixture, InitialiseViewCentresTheOrigin)
    {
        addGraph(GraphKind::Function, "x");
        document.Zoom = 7;
        view.settleTicks = 5;
        view.initialiseView();
        EXPECT_EQ(document.CX, 222);
        EXPECT_EQ(document.CY, 182);
        EXPECT_EQ(document.Zoom, 25);
        EXPECT_EQ(view.settleTicks, 0);
        EXPECT_EQ(document.graphCount(), 0);
        EXPECT_TRUE(zoomTexts.empty());
    }

} // namespace
} // namespace velquor
