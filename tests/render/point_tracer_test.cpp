#include "analysis_fixture.h"
#include "calc/evaluate.h"
#include "calc/number_text.h"
#include "render/point_tracer.h"

#include <gtest/gtest.h>
#include <string>

namespace velquor {
namespace {

    using test::function;
    using test::graph;

    struct Tracer : ::testing::Test, test::WindowDocument
    {
        PointTracer tracer { document };

        Tracer() { tracer.setView(test::WindowWidth, test::WindowHeight, '.'); }

        // "column row" of the marker, or "none".
        std::string marker() const
        {
            const auto& point = tracer.point();
            if (!point || !point->column)
                return "none";
            return std::to_string(*point->column) + " " + std::to_string(*point->row);
        }
    };

    TEST_F(Tracer, FunctionGraphAtTheMouseColumn)
    {
        tracer.follow(add(function("x^2")));
        EXPECT_EQ(tracer.statusText(), "x^2  x = 0  y = 0  傾き = 0"); // the middle column, 222
        tracer.moveToMouse(272, 10); // the row does not matter
        EXPECT_EQ(tracer.statusText(), "x^2  x = 2  y = 4  傾き = 4");
        EXPECT_EQ(marker(), "272 82");
        EXPECT_EQ(tracer.color(), 0x0000FF);
    }

    TEST_F(Tracer, ArrowsStepByPixelColumns)
    {
        tracer.follow(add(function("x")));
        tracer.moveToMouse(272, 0);
        tracer.step(1);
        EXPECT_EQ(tracer.statusText(), "x  x = 2.04  y = 2.04  傾き = 1");
        tracer.step(-10);
        EXPECT_EQ(marker(), "263 141");
        // From an x between columns the next step lands on a column again.
        tracer.moveToX(0.5L);
        EXPECT_EQ(tracer.statusText(), "x  x = 0.5  y = 0.5  傾き = 1");
        tracer.step(1);
        EXPECT_EQ(tracer.statusText(),
            "x  x = 0.52  y = 0.52  傾き = 1"); // 0.5 lies at column 12.5 -> 12
    }

    TEST_F(Tracer, PointsWithoutValueHaveNoMarker)
    {
        tracer.follow(add(function("1/x")));
        EXPECT_EQ(tracer.statusText(), "1/x  x = 0  値なし");
        EXPECT_EQ(marker(), "none");
        tracer.step(1);
        EXPECT_EQ(tracer.statusText(), "1/x  x = 0.04  y = 25  傾き = -625");
    }

    TEST_F(Tracer, MarkerFollowsTheViewAndTheConstantsAfterARedraw)
    {
        tracer.follow(add(function("x+a")));
        tracer.moveToMouse(247, 0); // x = 1
        EXPECT_EQ(marker(), "247 157");
        document.CX += 10; // a pan
        document.setText(Setting::ValA, "1");
        EXPECT_EQ(marker(), "247 157"); // unchanged until the redraw
        tracer.refresh();
        EXPECT_EQ(tracer.statusText(), "x+a  x = 1  y = 2  傾き = 1");
        EXPECT_EQ(marker(), "257 132");
        document.setText(Setting::Ratio, "no number");
        tracer.refresh();
        EXPECT_EQ(tracer.statusText(), "x+a  値なし");
    }

    TEST_F(Tracer, ParameterCurvesSnapToTheNearestSample)
    {
        // The unit circle, y = sin t, x = cos t, at 36 samples of 10 degrees.
        tracer.follow(
            add(graph(GraphKind::Parametric, "sin(t)", "cos(t)", "0", "6.28318530717959", 36)));
        // A vertical tangent has no slope.
        EXPECT_EQ(tracer.statusText(), "sin(t)  t = 0  x = 1  y = 0  傾き = 値なし");
        tracer.moveToMouse(222, 150); // above the origin: t = pi/2
        EXPECT_EQ(tracer.point()->parameter, 9 * (6.28318530717959L / 36));
        EXPECT_EQ(marker(), "222 157");
        // dy/dx = cos t / -sin t: 0 at the top (up to the range's rounding of 2 pi), -1/sqrt(3)
        // at 60 degrees.
        EXPECT_NEAR(double(*tracer.point()->slope), 0, 1e-14);
        tracer.step(-3);
        EXPECT_NEAR(double(*tracer.point()->slope), -0.577350269189626, 1e-14);
        tracer.step(12);
        EXPECT_EQ(marker(), "197 182");
        tracer.step(100); // held at the last sample
        const std::string last
            = "sin(t)  t = 6.28318530717959  x = 1  y = 3.52289002999215E-15  傾き = ";
        EXPECT_EQ(tracer.statusText().substr(0, last.size()), last);
    }

    TEST_F(Tracer, PolarCurvesShowTheRadius)
    {
        tracer.follow(add(graph(GraphKind::Polar, "2", "", "0", "3.14159265358979", 4)));
        tracer.moveToMouse(222, 100);
        EXPECT_EQ(
            tracer.statusText().substr(0, 34), "2  s = 1.5707963267949  r = 2  x ="); // x about 0
        EXPECT_EQ(tracer.point()->y, 2);
        EXPECT_EQ(marker(), "222 132");
        // The circle r = 2 at its top: the Cartesian slope is 0 (dy/ds = 0), not dr/ds.
        EXPECT_NEAR(double(*tracer.point()->slope), 0, 1e-14);
        tracer.step(-1); // s = pi/4 on the circle: dy/dx = -cot s = -1
        EXPECT_NEAR(double(*tracer.point()->slope), -1, 1e-14);
    }

    TEST_F(Tracer, HiddenDeletedAndMissingGraphs)
    {
        GraphEntry hidden = function("x");
        hidden.visible = 0;
        tracer.follow(add(hidden));
        EXPECT_EQ(tracer.statusText(), "x  表示されていないグラフです");
        EXPECT_FALSE(tracer.point());
        const int deleted = add(function("2x"));
        document.markDeleted(deleted);
        tracer.follow(deleted);
        EXPECT_EQ(tracer.statusText(), "");
        tracer.follow(-1);
        EXPECT_EQ(tracer.statusText(), "");
        tracer.moveToMouse(1, 1); // nothing to move
        tracer.step(1);
        EXPECT_FALSE(tracer.point());
    }

    TEST_F(Tracer, ReadingValuesKeepsTheSeed)
    {
        tracer.follow(add(function("random(1000)")));
        setRandomSeed(777);
        tracer.moveToMouse(300, 0);
        tracer.step(1);
        tracer.refresh();
        EXPECT_EQ(randomSeed(), 777u);
        tracer.follow(add(graph(GraphKind::Parametric, "random(9)", "random(9)", "0", "1", 50)));
        EXPECT_EQ(randomSeed(), 777u);
    }

} // namespace
} // namespace velquor
