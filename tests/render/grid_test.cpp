#include "calc/error.h"
#include "calc/number_text.h"
#include "document/document.h"
#include "render/grid.h"
#include "render/recording_surface.h"
#include "trace.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace velquor {
namespace {

    using test::horizontalLineRows;
    using test::texts;
    using test::traceLines;
    using test::verticalLineColumns;

    constexpr int Width = 445;
    constexpr int Height = 364;

    struct GridFixture : ::testing::Test
    {
        Document document;
        RecordingSurface surface { Width, Height };

        GridFixture()
        {
            document.CX = 222;
            document.CY = 182;
            document.Zoom = 25;
        }
        std::string draw(char decimalPoint = '.')
        {
            surface.clearTrace();
            DrawContext context { document, surface, 0, false, decimalPoint };
            DrawGrid(context);
            return surface.trace();
        }
    };

    TEST_F(GridFixture, SmallSurfaceFullTrace)
    {
        // Every operation in order: the origin's lines and "0" twice per direction, values below
        // the origin negative, the axes one pixel right and below the origin's grid lines.
        surface.resize(60, 40);
        document.CX = 30;
        document.CY = 20;
        document.setText(Setting::Interval, "1");
        document.setText(Setting::Interval2, "1");
        const std::vector<std::string> expected { "fontcolor 8421504", "brush 0", "penwidth 1",
            "pencolor 8421504", "fill 0 0 60 40", "text 33 23 0", "move 30 0", "line 30 40",
            "text 58 23 1", "move 55 0", "line 55 40", "text 33 23 0", "move 30 0", "line 30 40",
            "text 8 23 -1", "move 5 0", "line 5 40", "text 33 23 0", "move 0 20", "line 60 20",
            "text 33 23 0", "move 0 20", "line 60 20", // row 45 and row -5 lie beyond the edges
            "move 0 21", "line 60 21", "move 31 0", "line 31 40", "release" };
        EXPECT_EQ(traceLines(draw()), expected);
    }

    struct SpacingCase
    {
        std::int32_t zoom;
        const char* interval;
        std::vector<int> columns; // rightwards from CX = 0, then the origin again leftwards
        std::vector<std::string> values;
        const char* why;
    };

    TEST_F(GridFixture, HorizontalSpacingRule)
    {
        const SpacingCase cases[] = {
            { 25, "1", { 0, 25, 50, 75 }, { "0", "1", "2", "3" }, "a line per unit" },
            { 5, "1", { 0, 20, 40, 60 }, { "0", "4", "8", "12" }, "5 px: k = 4" },
            { 3, "1", { 0, 21, 42, 63 }, { "0", "7", "14", "21" }, "3 px: k = 7, odd" },
            { 25, "0.1", { 0, 20, 40, 60 }, { "0", "0.8", "1.6", "2.4" }, "2.5 px: k = 8" },
            { 45, "0.5", { 0, 22, 45, 68, 90, 112 }, { "0", "0.5", "1", "1.5", "2", "2.5" },
                "22.5, 67.5, 112.5 go to the even neighbour" },
            { 25, "0.00015", { 0, 20, 40 }, { "0", "0.8", "1.6" },
                "1.5 ten-thousandths round to 2" },
        };
        for (const SpacingCase& c : cases) {
            SCOPED_TRACE(c.why);
            document.CX = 0;
            document.Zoom = c.zoom;
            document.setText(Setting::Interval2, c.interval);
            document.setFlag(Setting::CheckScale, true);
            const std::string trace = draw();
            const std::vector<int> columns = verticalLineColumns(trace, Height);
            ASSERT_GE(columns.size(), c.columns.size());
            EXPECT_EQ(
                std::vector<int>(columns.begin(), columns.begin() + c.columns.size()), c.columns);
            EXPECT_EQ(columns.back(), 0); // the leftward walk draws the origin's line again
            const std::vector<std::string> values = texts(trace);
            EXPECT_EQ(std::vector<std::string>(values.begin(), values.begin() + c.values.size()),
                c.values);
        }
    }

    TEST_F(GridFixture, DirectionWithoutSolutionDrawsNoLines)
    {
        const char* intervals[] = { "0", "-1", "0.00004", "0.00005" /* ties to even: 0 */ };
        for (const char* interval : intervals) {
            SCOPED_TRACE(interval);
            document.setText(Setting::Interval2, interval);
            const std::string trace = draw();
            EXPECT_TRUE(verticalLineColumns(trace, Height).empty());
            EXPECT_FALSE(
                horizontalLineRows(trace, Width).empty()); // the other direction still runs
        }
        document.setText(Setting::Interval2, "1");
        for (const char* ratio : { "0", "-1", "0.00004" }) {
            SCOPED_TRACE(ratio);
            document.setText(Setting::Ratio, ratio);
            const std::string trace = draw();
            EXPECT_TRUE(horizontalLineRows(trace, Width).empty());
            EXPECT_FALSE(verticalLineColumns(trace, Height).empty());
        }
    }

    TEST_F(GridFixture, RatioStretchesOnlyTheVerticalSpacing)
    {
        document.CY = 0;
        struct Case
        {
            const char* ratio;
            std::vector<int> rows;
            std::vector<std::string> values;
        };
        const Case cases[] = {
            { "1", { 0, 25, 50, 75 }, { "0", "-1", "-2", "-3" } },
            { "2", { 0, 50, 100, 150 }, { "0", "-1", "-2", "-3" } },
            // Rounded to 0.3333 for the grid: 8.3325 px, k = 3, 24.9975 px per line.
            { "0.33333", { 0, 25, 50, 75, 100 }, { "0", "-3", "-6", "-9", "-12" } },
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.ratio);
            document.setText(Setting::Ratio, c.ratio);
            const std::string trace = draw();
            const std::vector<int> rows = horizontalLineRows(trace, Width);
            ASSERT_GE(rows.size(), c.rows.size());
            EXPECT_EQ(std::vector<int>(rows.begin(), rows.begin() + c.rows.size()), c.rows);
            const std::vector<std::string> values = texts(trace);
            const std::size_t firstRowText = verticalLineColumns(trace, Height).size();
            EXPECT_EQ(std::vector<std::string>(values.begin() + firstRowText,
                          values.begin() + firstRowText + c.values.size()),
                c.values);
            EXPECT_EQ(verticalLineColumns(trace, Height).size(), 18u); // vertical lines unchanged
        }
    }

    TEST_F(GridFixture, LabelRowsAndColumnsFollowTheOrigin)
    {
        struct Case
        {
            std::int32_t cx, cy;
            int labelColumn, labelRow;
            const char* why;
        };
        const Case cases[] = {
            { 222, 182, 225, 185, "origin inside: 3 px right of and below it" },
            { 222, 400, 225, Height - 13, "CY > H: row H - 13" },
            { 222, -40, 225, 5, "CY < 0: row 5" },
            { 222, Height, 225, Height + 3, "CY == H: row H + 3, off the surface" },
            { 500, 182, Width - 27, 185, "CX > W: column W - 27" },
            { -60, 182, 5, 185, "CX < 0: column 5" },
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.why);
            document.CX = c.cx;
            document.CY = c.cy;
            const std::string trace = draw();
            const std::size_t verticalCount = verticalLineColumns(trace, Height).size();
            const std::vector<std::string> textOps = test::operations(trace, "text");
            ASSERT_GT(verticalCount, 0u);
            ASSERT_GT(textOps.size(), verticalCount);
            // The first text belongs to a vertical line and sits on the label row.
            const int firstColumn = verticalLineColumns(trace, Height).front();
            EXPECT_EQ(textOps.front().rfind("text " + std::to_string(firstColumn + 3) + " "
                              + std::to_string(c.labelRow) + " ",
                          0),
                0u)
                << textOps.front();
            // The first text after the vertical lines belongs to a horizontal line.
            const int firstRow = horizontalLineRows(trace, Width).front();
            EXPECT_EQ(textOps[verticalCount].rfind("text " + std::to_string(c.labelColumn) + " "
                              + std::to_string(firstRow + 3) + " ",
                          0),
                0u)
                << textOps[verticalCount];
        }
    }

    TEST_F(GridFixture, OriginBeyondAnEdgeWalksTowardsTheSurfaceOnly)
    {
        document.CX
            = -60; // 60 px left: the rightward walk starts there, the leftward stops at once
        const std::vector<int> columns = verticalLineColumns(draw(), Height);
        ASSERT_FALSE(columns.empty());
        EXPECT_EQ(columns.front(), -60);
        EXPECT_EQ(columns[1], -35);
        EXPECT_EQ(columns.back(), 440);
        EXPECT_EQ(columns.size(), 21u);
    }

    TEST_F(GridFixture, FarOriginGivesTheSameLinesAsSteppingAllTheWay)
    {
        // Zoom 45, interval 0.5: 22.5 px per line, so rounding depends on the exact position.
        document.Zoom = 45;
        document.setText(Setting::Interval2, "0.5");
        for (std::int32_t cx : { -1000003, -12345679, 20000011 }) {
            SCOPED_TRACE(cx);
            document.CX = cx;
            const std::string trace = draw();
            // Stepping in ten-thousandths from the origin, as the grid pass is defined.
            std::vector<int> expectedColumns;
            std::vector<std::string> expectedValues;
            const int direction = cx < 0 ? 1 : -1;
            std::int64_t position = std::int64_t(cx) * 10000;
            std::int64_t value = 0;
            for (;; position += direction * 225000, value += direction * 5000) {
                const std::int64_t quotient = position / 10000;
                const std::int64_t remainder = position % 10000;
                std::int64_t column = quotient;
                if (remainder != 0) {
                    const std::int64_t floor = remainder < 0 ? quotient - 1 : quotient;
                    const std::int64_t fraction = remainder < 0 ? remainder + 10000 : remainder;
                    column = floor + (fraction > 5000 || (fraction == 5000 && (floor & 1)) ? 1 : 0);
                }
                if (direction > 0 ? column > Width : column < 0)
                    break;
                if (column >= 0 && column <= Width) {
                    expectedColumns.push_back(static_cast<int>(column));
                    const long double v = static_cast<long double>(value) / 10000;
                    expectedValues.push_back(FormatNumber(v));
                }
            }
            std::vector<int> visibleColumns;
            std::vector<std::string> visibleValues;
            const std::vector<int> columns = verticalLineColumns(trace, Height);
            const std::vector<std::string> values = texts(trace);
            for (std::size_t i = 0; i < columns.size(); ++i) {
                if (columns[i] >= 0 && columns[i] <= Width) {
                    visibleColumns.push_back(columns[i]);
                    visibleValues.push_back(values[i]);
                }
            }
            EXPECT_EQ(visibleColumns, expectedColumns);
            EXPECT_EQ(visibleValues, expectedValues);
            EXPECT_LT(columns.size(), 300u); // the far part of the walk is skipped
        }
    }

    TEST_F(GridFixture, ExtremeOriginsAndSettingsEnd)
    {
        document.CX = std::numeric_limits<std::int32_t>::max();
        document.CY = std::numeric_limits<std::int32_t>::min();
        const std::vector<std::string> lines = traceLines(draw());
        ASSERT_GE(lines.size(), 5u);
        EXPECT_EQ(lines[lines.size() - 3], "move 2147483647 0"); // the axis held in range
        EXPECT_EQ(lines.back(), "release");

        // Absurd interval and ratio: only the origin's lines can be on the surface.
        document.CX = 222;
        document.CY = 182;
        document.setText(Setting::Interval2, "1e300");
        document.setText(Setting::Ratio, "1e300");
        const std::string trace = draw();
        EXPECT_EQ(verticalLineColumns(trace, Height), (std::vector<int> { 222, 222 }));
        EXPECT_EQ(horizontalLineRows(trace, Width), (std::vector<int> { 182, 182 }));
    }

    TEST_F(GridFixture, ZoomBelowOneIsRaisedToOne)
    {
        for (std::int32_t zoom : { 0, -15 }) {
            document.Zoom = zoom;
            document.CX = 0;
            const std::string trace = draw();
            EXPECT_EQ(document.Zoom, 1);
            const std::vector<int> columns = verticalLineColumns(trace, Height);
            ASSERT_GE(columns.size(), 3u);
            EXPECT_EQ(columns[1], 20); // 1 px per unit: k = 20
            EXPECT_EQ(texts(trace)[1], "20");
        }
    }

    TEST_F(GridFixture, GridOffDrawsBackgroundAndAxesOnly)
    {
        document.setFlag(Setting::CheckScale, false);
        document.setColor(Setting::BackgroundColor, 16777215);
        document.setColor(Setting::MainLineColor, 255);
        document.setText(Setting::MainLineWidth, "3");
        const std::vector<std::string> expected { "fontcolor 255", "brush 16777215", "penwidth 3",
            "pencolor 255", "fill 0 0 445 364", "move 0 183", "line 445 183", "move 223 0",
            "line 223 364", "release" };
        EXPECT_EQ(traceLines(draw()), expected);
    }

    TEST_F(GridFixture, ScaleValuesUseTheDecimalSeparator)
    {
        document.CX = 0;
        document.Zoom = 45; // 22.5 px per half unit: no spacing factor
        document.setText(Setting::Interval2, "0,5");
        document.setText(Setting::Interval, "0,5");
        document.setText(Setting::Ratio, "1");
        const std::vector<std::string> values = texts(draw(','));
        ASSERT_GE(values.size(), 3u);
        EXPECT_EQ(values[1], "0,5");
    }

    TEST_F(GridFixture, TextsThatAreNotNumbersStopThePass)
    {
        struct Case
        {
            Setting setting;
            const char* text;
            std::size_t linesBefore; // operations drawn before the failure
        };
        const Case cases[] = {
            { Setting::Ratio, "abc", 0 },
            { Setting::Interval2, "1.0x", 5 },
            { Setting::Interval, "", 5 + 3 * 18 },
        };
        for (const Case& c : cases) {
            document.setText(Setting::Ratio, "1");
            document.setText(Setting::Interval, "1");
            document.setText(Setting::Interval2, "1");
            document.setText(c.setting, c.text);
            surface.clearTrace();
            try {
                draw();
                ADD_FAILURE() << "no error for '" << c.text << "'";
            } catch (const Error& error) {
                EXPECT_EQ(
                    error.what(), "'" + std::string(c.text) + "' は浮動小数点数ではありません");
            }
            EXPECT_EQ(traceLines(surface.trace()).size(), c.linesBefore) << c.text;
        }
    }

} // namespace
} // namespace velquor
