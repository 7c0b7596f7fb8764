#include "calc/evaluate.h"
#include "calc/ext_math.h"
#include "eval_helpers.h"

#include <cmath>
#include <gtest/gtest.h>

namespace velquor::test {
namespace {

    // Every row is compared exactly: the expected value is computed with the same operations in
    // the same 80-bit precision.
    const FormulaCase ScanCases[] = {
        { "", 0, "empty formula" },
        { "   ", 0, "blanks only" },
        { "x)", 2, "a stray closing bracket is skipped" },
        { "2x", 4, "juxtaposition multiplies" },
        { "2*x", 4, "* is skipped" },
        { "2 3", 6, "blank between numbers" },
        { "x2", 4, "" },
        { "ab", 1.5L, "a times b" },
        { "xx", 4, "" },
        { "2x^2+3x-5", 9, "" },
        { "-x^2", -4, "the power binds to the single factor" },
        { "2^x", 4, "" },
        { "(x+1)^2", 9, "" },
        { "x^0.5", expl(0.5L * logl(2)), "fractional exponent through exp(E ln B)" },
        { "1/2x", 1, "/ divides by one factor" },
        { "1/(2x)", 0.25L, "" },
        { "x/-2", -1, "sign after /" },
        { "x*-2", -4, "sign after *" },
        { "x/+2", 1, "" },
        { "1/2/4", 0.125L, "" },
        { "1/0", NoValue, "division by a zero factor fails" },
        { "1/(x-2)", NoValue, "" },
        { "5+1/0", NoValue, "a failure does not keep the sum" },
        { "(-8)^(1/3)", NoValue, "negative base, fractional exponent" },
        { "(-2)^3", -8, "whole exponent exact in sign" },
        { "0^0", 1, "" },
        { "0^(-1)", 0, "" },
        { "2^(-1)", 0.5L, "" },
        { "|x-5|", 3, "" },
        { "||x|-1|", 0, "bars do not nest" },
        { "abs(abs(x)-1)", 1, "" },
        { "(x+1", 3, "an unclosed group takes the rest" },
        { "[x+1]", 3, "" },
        { "{x+1}", 3, "" },
        { "x()", 0, "an empty group is 0" },
        { "sin()", 0, "" },
        { "|", 0, "a lone bar" },
        { "1e5", 1 * LetterE * 5, "no exponent notation in literals" },
        { "1.2.3", 0, "a run that is no number" },
        { "3.x", 6, "" },
        { "$ff", 255, "" },
        { "$1A", 26, "" },
        { "$1e", 30, "hex letters are not read again as constants" },
        { "$", 0, "$ without digits is a fault in the first term" },
        { "3+$", 3, "" },
        { "3$", 0, "" },
        { "$ffffffff", -1, "32-bit two's complement" },
        { "1+$100000000", 1, "wider than 32 bits is a fault" },
        { "SIN(X)", sinl(2), "folded to lower case" },
        { "sinx", 4, "no bracket: single letters" },
        { "xsin(x)", 2 * sinl(2), "xsin is no name, so x then sin(x)" },
        { "asin(x)", 3 * sinl(2), "" },
        { "log(x)", 2, "log is not built in" },
        { "pi", Pi, "the i is skipped" },
        { "2p", 2 * Pi, "" },
        { "sqrt(-1)", NoValue, "" },
        { "(sqrt(-1))+1", 1000000, "a failure inside a group is not passed on" },
        { "sinh(20000)+1", 0, "overflow drops the term in progress and the rest" },
        { "1+sinh(20000)", 1, "" },
        { "(sinh(20000))+1", 1, "the group faults and is 0" },
        { "2^-2", 1, "literal scan kept: - after ^ ends the term" },
        { "2--3", -2, "literal scan kept: the first - leaves a term of -1" },
        { "2^3^2", 9, "literal scan kept: the second ^ replaces the base" },
        { "2^(-2)", 0.25L, "" },
        { "2-(-3)", 5, "" },
        { "2^(3^2)", 512, "" },
        { "2\xe3\x81\x82x", 4, "a UTF-8 character is skipped as a whole" },
        { "x\xef\xbc\x8bx", 4, "a full-width plus is no operator" },
        { "10^4932*10", 0, "product overflow is a fault" },
        { "1+10^5000", 1, "power overflow is a fault" },
        { "1+0.1^(-100000)", 1, "reciprocal of an underflowed power" },
        { "0.5^100000", 0, "underflow passes" },
        { "(-2)^4294967296", 0, "exp(E ln B) of a negative base is a fault" },
    };

    class ScanTest : public ::testing::TestWithParam<FormulaCase>
    {
    };

    TEST_P(ScanTest, GivesTheValueOfTheLiteralScan)
    {
        const FormulaCase& row = GetParam();
        EXPECT_EQ(eval(row.formula), row.expected) << row.formula << " (" << row.why << ")";
    }

    INSTANTIATE_TEST_SUITE_P(Formulas, ScanTest, ::testing::ValuesIn(ScanCases));

    TEST(ScanTest, NamesOfTwelveLettersAreNeverCalled)
    {
        EvaluationRequest request;
        request.a = 3;
        request.x = 2;
        request.funcCount = 2;
        request.funcNames[0] = "aaaaaaaaaaa";
        request.funcFormulas[0] = "100";
        request.funcNames[1] = "aaaaaaaaaaaa";
        request.funcFormulas[1] = "1000";
        request.formula = "aaaaaaaaaaa(1)";
        EXPECT_EQ(Evaluate(request), 100);
        // Twelve letters: the first a stands alone, the remaining eleven are a call.
        request.formula = "aaaaaaaaaaaa(1)";
        EXPECT_EQ(Evaluate(request), 300);
        request.funcCount = 0;
        EXPECT_EQ(Evaluate(request), 531441); // 3^12 times the bracket
    }

    TEST(ScanTest, NeverChangesTheRequest)
    {
        EvaluationRequest request;
        request.formula = "X+sin(x)";
        request.x = 2;
        const EvaluationRequest before = request;
        Evaluate(request);
        EXPECT_EQ(request.formula, before.formula);
        EXPECT_EQ(request.x, before.x);
    }

    TEST(StrToValueTest, LiteralsOfTheScanReadAsTheFullConversion)
    {
        // The scan reads short literals directly; they must agree bit for bit with StrToValue.
        const char* literals[]
            = { "0.1", "0.3", "3.", ".5", ".", "2.7182818285", "1234567890123456789",
                  "12345678901234567890", "18446744073709551615", "0.000000000000000000000000001",
                  "0.0000000000000000000000000001", "9999999999.999999999",
                  "0.1000000000000000055511151231", "1.2.3", "00000000000000000000000001.5" };
        for (const char* literal : literals)
            EXPECT_EQ(eval(literal), StrToValue(literal)) << literal;
    }

    TEST(StrToValueTest, ReadsDecimalsAndGivesZeroOtherwise)
    {
        EXPECT_EQ(StrToValue(" -1.5e2 "), -150);
        EXPECT_EQ(StrToValue("3."), 3);
        EXPECT_EQ(StrToValue(".5"), 0.5L);
        EXPECT_EQ(StrToValue("1.2.3"), 0);
        EXPECT_EQ(StrToValue("abc"), 0);
        EXPECT_EQ(StrToValue(""), 0);
        EXPECT_EQ(StrToValue("1,5"), 0);
        EXPECT_EQ(StrToValue("1e99999"), 0);
    }

    TEST(PolarToXYTest, IgnoresTheDegreeModeAndHugeAngles)
    {
        Ext y = 0, x = 0;
        PolarToXY(y, x, 2, Pi / 6);
        EXPECT_EQ(y, 2 * sinl(Pi / 6));
        EXPECT_EQ(x, 2 * cosl(Pi / 6));
        PolarToXY(y, x, 2, 9223372036854775808.0L);
        EXPECT_EQ(y, 0);
        EXPECT_EQ(x, 0);
    }

} // namespace
} // namespace velquor::test
