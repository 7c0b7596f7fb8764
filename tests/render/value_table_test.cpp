#include "analysis_fixture.h"
#include "calc/error.h"
#include "calc/evaluate.h"
#include "render/value_table.h"

#include <gtest/gtest.h>
#include <string>

namespace velquor {
namespace {

    using test::function;
    using test::graph;

    std::string refusal(const char* start, const char* end, const char* step)
    {
        try {
            ReadValueTableRange(start, end, step, '.');
        } catch (const Error& error) {
            return error.what();
        }
        return "accepted";
    }

    TEST(ValueTableRange, RefusesWhatCannotBeATable)
    {
        EXPECT_EQ(refusal("0", "1", "0"), ValueTableStepMessage);
        EXPECT_EQ(refusal("0", "1", "-0.5"), ValueTableStepMessage);
        EXPECT_EQ(refusal("0", "1", "abc"), "'abc' は浮動小数点数ではありません");
        EXPECT_EQ(refusal("", "1", "1"), "'' は浮動小数点数ではありません");
        EXPECT_EQ(refusal("0", "1,5", "1"), "'1,5' は浮動小数点数ではありません");
        EXPECT_EQ(refusal("2", "1", "0.1"), ValueTableOrderMessage);
        EXPECT_EQ(refusal("0", "100000", "1"), ValueTableRowsMessage); // 100,001 rows
        EXPECT_EQ(refusal("0", "1", "0.00000000000000000001"), ValueTableRowsMessage);
        EXPECT_EQ(refusal("-1E4000", "1E4000", "1"), ValueTableRowsMessage);
        EXPECT_EQ(refusal("0", "99999", "1"), "accepted"); // exactly 100,000 rows
    }

    TEST(ValueTableRange, CountsRowsUpToTheEnd)
    {
        EXPECT_EQ(ReadValueTableRange("0", "1", "0.1", '.').rows, 11);
        EXPECT_EQ(ReadValueTableRange("0", "1", "0.3", '.').rows, 4); // 0 .. 0.9
        EXPECT_EQ(ReadValueTableRange("2", "2", "1", '.').rows, 1);
        EXPECT_EQ(ReadValueTableRange("0", "1", "0,25", ',').rows, 5);
    }

    struct Table : ::testing::Test, test::WindowDocument
    {
        std::string allCells(ValueTable& table)
        {
            while (!table.complete())
                table.computeMore(3);
            return table.tabSeparatedText('.');
        }
    };

    TEST_F(Table, FunctionValuesWithoutValueMarked)
    {
        const int slot = add(function("1/x"));
        ValueTable table(
            document, document.entry(slot), ReadValueTableRange("-1", "1", "0.5", '.'));
        EXPECT_EQ(table.rowCount(), 5);
        EXPECT_EQ(table.computedRows(), 0);
        EXPECT_EQ(table.computeMore(2), 2);
        EXPECT_EQ(table.cell(1, 1, '.'), "-2");
        EXPECT_EQ(allCells(table), "x\ty\n-1\t-1\n-0.5\t-2\n0\t値なし\n0.5\t2\n1\t1\n");
        EXPECT_EQ(table.csvText(), "x,y\r\n-1,-1\r\n-0.5,-2\r\n0,値なし\r\n0.5,2\r\n1,1\r\n");
        EXPECT_EQ(table.computeMore(10), 0);
    }

    TEST_F(Table, ParameterAndPolarCurves)
    {
        const int parameter = add(graph(GraphKind::Parametric, "t^2", "1/t", "0", "1", 10));
        ValueTable curve(
            document, document.entry(parameter), ReadValueTableRange("0", "2", "1", '.'));
        EXPECT_EQ(curve.headers(), (std::vector<std::string> { "t", "x", "y" }));
        EXPECT_EQ(allCells(curve), "t\tx\ty\n0\t値なし\t0\n1\t1\t1\n2\t0.5\t4\n");
        const int polar = add(graph(GraphKind::Polar, "s+a", "", "0", "1", 10));
        document.setText(Setting::ValA, "0.5");
        ValueTable rose(document, document.entry(polar), ReadValueTableRange("0", "1", "0.5", '.'));
        EXPECT_EQ(rose.headers(), (std::vector<std::string> { "s", "r" }));
        EXPECT_EQ(allCells(rose), "s\tr\n0\t0.5\n0.5\t1\n1\t1.5\n");
        EXPECT_EQ(rose.tabSeparatedText(','), "s\tr\n0\t0,5\n0,5\t1\n1\t1,5\n");
    }

    TEST_F(Table, BatchesGiveTheSameRandomSequenceAndKeepTheSeed)
    {
        const int slot = add(function("random(1000000)"));
        const ValueTableRange range = ReadValueTableRange("1", "600", "1", '.');
        setRandomSeed(99);
        ValueTable whole(document, document.entry(slot), range);
        whole.computeMore(range.rows);
        setRandomSeed(99);
        ValueTable pieces(document, document.entry(slot), range);
        while (!pieces.complete()) {
            pieces.computeMore(37);
            setRandomSeed(5); // the window's own redraws in between
        }
        EXPECT_EQ(pieces.csvText(), whole.csvText());
        EXPECT_EQ(randomSeed(), 5u);
    }

    TEST_F(Table, DefaultsAreTheVisibleRangeInTwentyRows)
    {
        const int slot = add(function("x"));
        const ValueTableTexts texts
            = DefaultValueTableTexts(document, document.entry(slot), test::WindowWidth, '.');
        EXPECT_EQ(texts.start, "-8.88");
        EXPECT_EQ(texts.end, "8.92");
        EXPECT_EQ(texts.step, "0.936842105263158");
        EXPECT_EQ(ReadValueTableRange(texts.start, texts.end, texts.step, '.').rows, 20);

        const int curve = add(graph(GraphKind::Parametric, "t", "t", "0", "6.28", 100));
        const ValueTableTexts range
            = DefaultValueTableTexts(document, document.entry(curve), test::WindowWidth, '.');
        EXPECT_EQ(range.start, "0");
        EXPECT_EQ(range.end, "6.28");
        EXPECT_EQ(ReadValueTableRange(range.start, range.end, range.step, '.').rows, 20);
    }

} // namespace
} // namespace velquor
