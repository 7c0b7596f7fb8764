// The plot drawn at a high-DPI screen's device pixels beside the plot's own surface.
#include "calc/evaluate.h"
#include "document/document.h"
#include "render/device_picture.h"
#include "render/plot_view.h"
#include "render/recording_surface.h"
#include "trace.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace velquor {
namespace {

    using test::operations;
    using test::traceLines;

    constexpr int Width = 445;
    constexpr int Height = 364;

    GraphEntry makeEntry(GraphKind kind, const std::string& name, const std::string& formula1,
        const std::string& formula2 = "", int width = 1)
    {
        GraphEntry entry;
        entry.name = name;
        entry.visible = -1;
        entry.kind = static_cast<std::int32_t>(kind);
        entry.color = 255;
        entry.width = width;
        entry.formula1 = formula1;
        entry.formula2 = formula2;
        entry.rangeFrom = "0";
        entry.rangeTo = "6.2832";
        entry.divisions = 300;
        return entry;
    }

    // Smooth curves of every kind, a wider pen, and one that draws random numbers.
    void addCurves(Document& document)
    {
        document.appendEntry(makeEntry(GraphKind::Function, "f", "sin(x)*3"));
        document.appendEntry(makeEntry(GraphKind::Function, "g", "x^2/4-2", "", 3));
        document.appendEntry(makeEntry(GraphKind::Parametric, "p", "2sin(2t)", "3cos(3t)"));
        document.appendEntry(makeEntry(GraphKind::Polar, "r", "1+cos(s)", "", 2));
    }

    // One document, drawn by a view with a device surface and by one without.
    struct Views
    {
        Document document;
        Document plainDocument;
        RecordingSurface plot { Width, Height };
        RecordingSurface plainPlot { Width, Height };
        RecordingSurface device;
        PlotView view { document, plot };
        PlotView plainView { plainDocument, plainPlot };

        explicit Views(double ratio)
            : device(deviceExtent(Width, ratio), deviceExtent(Height, ratio))
        {
            for (Document* d : { &document, &plainDocument }) {
                d->CX = 201;
                d->CY = 171;
                d->Zoom = 25;
                addCurves(*d);
            }
            view.showAtDevicePixels(&device, ratio);
        }

        void both(const std::function<void(PlotView&)>& action)
        {
            action(view);
            action(plainView);
        }

        // Runs the action on both views from the same seed of "random".
        void run(const std::function<void(PlotView&)>& action)
        {
            plot.clearTrace();
            plainPlot.clearTrace();
            device.clearTrace();
            const std::uint32_t seed = randomSeed();
            action(plainView);
            const std::uint32_t plainSeed = randomSeed();
            setRandomSeed(seed);
            action(view);
            EXPECT_EQ(randomSeed(), plainSeed);
        }
    };

    std::vector<std::string> withoutPresents(const std::string& trace)
    {
        std::vector<std::string> lines;
        for (const std::string& line : traceLines(trace))
            if (line != "present")
                lines.push_back(line);
        return lines;
    }

    struct Step
    {
        const char* what;
        std::function<void(PlotView&)> action;
    };

    const std::vector<Step>& steps()
    {
        static const std::vector<Step> all = {
            { "redraw at rest", [](PlotView& v) { v.RedrawPlot(); } },
            { "drag at the coarse step",
                [](PlotView& v) {
                    v.mouseDown(100, 100);
                    v.mouseMove(117, 93, true);
                    v.mouseMove(131, 90, true);
                    v.mouseUp();
                } },
            { "settle",
                [](PlotView& v) {
                    for (int i = 0; i < 32; ++i)
                        v.tick();
                } },
            { "zoom", [](PlotView& v) { v.setZoom(61); } },
            { "animation",
                [](PlotView& v) {
                    v.document().setText(Setting::Animate, "7");
                    v.animate();
                } },
            { "random numbers",
                [](PlotView& v) {
                    v.document().appendEntry(makeEntry(GraphKind::Function, "n", "random(x)"));
                    v.RedrawPlot();
                    v.RedrawPlot();
                } },
            { "trace mode",
                [](PlotView& v) {
                    v.toggleTraceMode();
                    v.document().setText(Setting::ValA, "2");
                    v.RedrawPlot();
                } },
            { "a curve that cannot be drawn",
                [](PlotView& v) {
                    GraphEntry entry = makeEntry(GraphKind::Parametric, "z", "t", "t");
                    entry.divisions = 0;
                    v.document().appendEntry(entry);
                    v.RedrawPlot();
                } },
            { "origin far out",
                [](PlotView& v) {
                    v.document().CX = 2'000'000'000;
                    v.RedrawPlot();
                } },
        };
        return all;
    }

    // Whatever the device picture does, the plot's own surface gets the same canvas calls as
    // without it (its presents are the device picture's), and random numbers run alike.
    TEST(DevicePicture, PlotDrawsAsWithoutIt)
    {
        for (double ratio : { 1.25, 1.5, 2.0, 3.0 }) {
            Views views(ratio);
            for (const Step& step : steps()) {
                views.run(step.action);
                EXPECT_EQ(
                    withoutPresents(views.plot.trace()), withoutPresents(views.plainPlot.trace()))
                    << ratio << ", " << step.what;
                EXPECT_FALSE(views.device.trace().empty()) << ratio << ", " << step.what;
                for (int slot = 0; slot < views.document.graphCount(); ++slot)
                    EXPECT_EQ(
                        views.document.entry(slot).visible, views.plainDocument.entry(slot).visible)
                        << ratio << ", " << step.what;
            }
        }
    }

    // The device picture reads the plot's kept values (function graphs at every ratio-th column,
    // parameter and polar curves wholly) exactly where it would evaluate the same numbers: with
    // and without kept values both pictures are the same, call for call.
    TEST(DevicePicture, KeptValuesDrawTheSameDevicePicture)
    {
        for (double ratio : { 2.0, 3.0, 1.5 }) {
            Views kept(ratio);
            Views evaluated(ratio);
            evaluated.view.setKeepSamples(false);
            for (const Step& step : steps()) {
                const std::uint32_t seed = randomSeed();
                kept.run(step.action);
                setRandomSeed(seed);
                evaluated.run(step.action);
                EXPECT_EQ(kept.plot.trace(), evaluated.plot.trace()) << ratio << step.what;
                EXPECT_EQ(kept.device.trace(), evaluated.device.trace()) << ratio << step.what;
            }
            EXPECT_GT(kept.view.keptSamples().bytes(), 0u);
        }
    }

    // At a ratio of 1 (or without a device surface, or one of another size, as in full screen)
    // the view draws and presents exactly as it always did.
    TEST(DevicePicture, NoDevicePictureDrawsTheSameTrace)
    {
        struct Case
        {
            const char* what;
            double ratio;
            int deviceWidth;
        };
        for (const Case& c : { Case { "ratio 1", 1.0, Width }, Case { "ratio 0.5", 0.5, Width },
                 Case { "a device surface of another size", 2.0, 2 * Width - 1 } }) {
            Views views(2.0);
            views.device.resize(c.deviceWidth, views.device.height());
            views.view.showAtDevicePixels(&views.device, c.ratio);
            for (const Step& step : steps()) {
                views.run(step.action);
                EXPECT_EQ(views.plot.trace(), views.plainPlot.trace()) << c.what << step.what;
                EXPECT_TRUE(views.device.trace().empty()) << c.what << step.what;
            }
        }
    }

    struct Point
    {
        long long x, y;
    };

    struct Text
    {
        Point at;
        std::string text;
    };

    std::vector<Text> texts(const std::string& trace)
    {
        std::vector<Text> result;
        for (const std::string& line : operations(trace, "text")) {
            std::istringstream fields(line);
            std::string op;
            Text t {};
            fields >> op >> t.at.x >> t.at.y;
            fields.get();
            std::getline(fields, t.text);
            result.push_back(t);
        }
        return result;
    }

    double distanceToSegment(double px, double py, const test::Segment& s)
    {
        const double dx = s.x1 - s.x0;
        const double dy = s.y1 - s.y0;
        const double length = dx * dx + dy * dy;
        double t = length == 0 ? 0 : ((px - s.x0) * dx + (py - s.y0) * dy) / length;
        t = std::clamp(t, 0.0, 1.0);
        return std::hypot(px - (s.x0 + t * dx), py - (s.y0 + t * dy));
    }

    // Every grid line, curve point and scale value of the plot has its counterpart on the device
    // surface at ratio times the coordinates: each rounds the exact place to its own pixels, so
    // at 2 they lie within a pixel, at 1.5 within the sum of the roundings. Points lie on the
    // device picture's lines (function graphs sample other x between the plot's columns, so
    // the point itself may not be a sample there). Pens are ratio times as wide; function
    // graphs are sampled at each of the device surface's columns.
    TEST(DevicePicture, SamePictureAtDevicePixels)
    {
        struct Case
        {
            double ratio;
            double pointTolerance; // in each direction at 2, from the device's lines at 1.5
            double textTolerance; // in each direction
        };
        // At 1.5 the origin itself rounds (half a pixel), the offset from it on each surface
        // too (half a pixel, and half a pixel of the plot's, 0.75): 1.75 in each direction, the
        // distance to a line sqrt(2) times that; a text adds its rounded gap.
        for (const Case& c :
            { Case { 2.0, 1.0, 1.0 }, Case { 1.5, 1.75 * std::sqrt(2.0), 2.25 } }) {
            Views views(c.ratio);
            views.run([](PlotView& v) { v.RedrawPlot(); });
            const std::string& plot = views.plot.trace();
            const std::string& device = views.device.trace();
            std::vector<test::Segment> deviceLines = test::segments(device);
            for (const test::Segment& d : test::segments(device)) // the first points too
                deviceLines.push_back({ d.x0, d.y0, d.x0, d.y0 });
            for (const test::Segment& s : test::segments(plot)) {
                for (const Point p : { Point { s.x0, s.y0 }, Point { s.x1, s.y1 } }) {
                    const double x = c.ratio * double(p.x);
                    const double y = c.ratio * double(p.y);
                    double nearest = 1e9;
                    for (const test::Segment& d : deviceLines) {
                        if (c.ratio == 2) // the same samples: a vertex in each direction
                            nearest = std::min(
                                nearest, std::max(std::abs(d.x1 - x), std::abs(d.y1 - y)));
                        else
                            nearest = std::min(nearest, distanceToSegment(x, y, d));
                    }
                    EXPECT_LE(nearest, c.pointTolerance) << c.ratio << ": " << p.x << " " << p.y;
                }
            }
            const std::vector<Text> plotTexts = texts(plot);
            const std::vector<Text> deviceTexts = texts(device);
            ASSERT_EQ(plotTexts.size(), deviceTexts.size()) << c.ratio;
            for (std::size_t i = 0; i < plotTexts.size(); ++i) {
                EXPECT_EQ(deviceTexts[i].text, plotTexts[i].text);
                EXPECT_LE(
                    std::abs(double(deviceTexts[i].at.x) - c.ratio * double(plotTexts[i].at.x)),
                    c.textTolerance)
                    << c.ratio << ": " << plotTexts[i].text;
                EXPECT_LE(
                    std::abs(double(deviceTexts[i].at.y) - c.ratio * double(plotTexts[i].at.y)),
                    c.textTolerance)
                    << c.ratio << ": " << plotTexts[i].text;
            }
            std::vector<std::string> scaledWidths;
            for (const std::string& line : operations(plot, "penwidth"))
                scaledWidths.push_back(
                    "penwidth " + std::to_string(std::lround(std::stoi(line.substr(9)) * c.ratio)));
            EXPECT_EQ(operations(device, "penwidth"), scaledWidths) << c.ratio;
            EXPECT_EQ(operations(device, "fill"),
                std::vector<std::string> { "fill 0 0 " + std::to_string(views.device.width()) + " "
                    + std::to_string(views.device.height()) });
            // The sine's samples: one per device column from the left edge to the right.
            EXPECT_GE(operations(device, "line").size(),
                operations(plot, "line").size() + std::size_t((c.ratio - 1) * Width));
        }
    }

    // Where the denser surface cannot hold the view (an origin beyond its 32-bit range), the
    // device picture is the plot's own scaled, clamped to the 32-bit range.
    TEST(DevicePicture, FallsBackOnThePlotScaled)
    {
        Views views(2.0);
        views.document.CX = 2'000'000'000;
        views.view.RedrawPlot();
        std::vector<std::string> scaled;
        for (const std::string& line : traceLines(views.plot.trace())) {
            std::istringstream fields(line);
            std::string op;
            fields >> op;
            if (op != "move" && op != "line" && op != "fill")
                continue;
            std::ostringstream out;
            out << op;
            for (long long n; fields >> n;)
                out << ' ' << std::clamp(2 * n, -2147483648LL, 2147483647LL);
            scaled.push_back(out.str());
        }
        std::vector<std::string> device;
        for (const std::string& line : traceLines(views.device.trace()))
            if (line.rfind("move", 0) == 0 || line.rfind("line", 0) == 0
                || line.rfind("fill", 0) == 0)
                device.push_back(line);
        EXPECT_EQ(device, scaled);
    }

} // namespace
} // namespace velquor
