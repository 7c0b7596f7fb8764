#include "calc/evaluate.h"

#include <chrono>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace velquor::test {
namespace {

    // The work budget, not the clock, bounds these evaluations (their result shows that the budget
    // cut them off); the clock only guards against a hang, generously enough for an unoptimised
    // sanitizer build on a busy machine.
    constexpr double HangGuardSeconds = 60.0;

    EvaluationRequest withFunctions(const std::string& formula,
        const std::vector<std::pair<std::string, std::string>>& functions, Ext x = 3)
    {
        EvaluationRequest request;
        request.formula = formula;
        request.x = x;
        request.a = 3;
        request.b = 0.5L;
        request.funcCount = static_cast<int>(functions.size());
        for (std::size_t i = 0; i < functions.size(); ++i) {
            request.funcNames[i] = functions[i].first;
            request.funcFormulas[i] = functions[i].second;
        }
        return request;
    }

    struct CallCase
    {
        const char* formula;
        std::vector<std::pair<std::string, std::string>> functions;
        Ext expected;
        const char* why;
    };

    const CallCase CallCases[] = {
        { "f(x)", { { "f", "x^2" } }, 9, "" },
        { "f(x+1)", { { "f", "x^2" } }, 16, "" },
        { "2f(x)", { { "f", "x^2" } }, 18, "" },
        { "f(f(x))", { { "f", "x^2" } }, 81, "" },
        { "f(x)", {}, 3, "no table: the letter f and the bracket" },
        { "F(x)", { { "F", "x^2" } }, 3, "the run is folded, the name is not" },
        { "sin(x)", { { "sin", "100" } }, sinl(3), "built-in names come first" },
        { "g(0-1)+1", { { "g", "sqrt(x)" } }, 1000000, "a failed call gives 999999" },
        { "f(x)", { { "f", "x^2" }, { "f", "x+1" } }, 4, "the last entry of a name wins" },
        { "f(x)", { { "f", "g(x)+a" }, { "g", "xb" } }, 4.5L, "calls keep a, b and the table" },
        { "f(x)", { { "f", "f(x)" } }, NoValue, "self call ends at the depth bound" },
        { "f(x)", { { "f", "g(x)+1" }, { "g", "f(x)+1" } }, NoValue + MaxCallDepth,
            "f -> g -> f: 64 formulas each add 1 to the failed 65th call" },
    };

    void PrintTo(const CallCase& row, std::ostream* out)
    {
        *out << '"' << row.formula << '"';
    }

    class CallTest : public ::testing::TestWithParam<CallCase>
    {
    };

    TEST_P(CallTest, EvaluatesTheCalledFormula)
    {
        const CallCase& row = GetParam();
        EXPECT_EQ(Evaluate(withFunctions(row.formula, row.functions)), row.expected)
            << row.formula << " (" << row.why << ")";
    }

    INSTANTIATE_TEST_SUITE_P(Calls, CallTest, ::testing::ValuesIn(CallCases));

    TEST(CallTest, EveryEntryOfANameIsEvaluated)
    {
        setRandomSeed(0);
        EvaluationRequest request
            = withFunctions("r(x)", { { "r", "random(1000)" }, { "r", "random(1000)" } });
        EXPECT_EQ(Evaluate(request), 31); // the second value of the sequence
        setRandomSeed(0);
    }

    TEST(CallTest, ACountAboveTheTableSizeUsesTheTable)
    {
        EvaluationRequest request = withFunctions("z(x)", { { "z", "7" } });
        request.funcCount = 1000;
        EXPECT_EQ(Evaluate(request), 7);
        request.funcCount = -5;
        EXPECT_EQ(Evaluate(request), 3);
    }

    TEST(CallTest, PublicCallOtherFunction)
    {
        const EvaluationRequest request = withFunctions("", { { "f", "x^2" } });
        Ext value = 0;
        EXPECT_TRUE(CallOtherFunction(request, "f", value, 5));
        EXPECT_EQ(value, 25);
        EXPECT_FALSE(CallOtherFunction(request, "g", value, 5));
    }

    double secondsFor(const EvaluationRequest& request, Ext& result)
    {
        const auto start = std::chrono::steady_clock::now();
        result = Evaluate(request);
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    TEST(LimitTest, AMillionOpeningBracketsFailWithoutOverflowingTheStack)
    {
        for (const std::string unit : { "(", "|(", "sin(", "[", "{" }) {
            EvaluationRequest request;
            request.formula.reserve(1000000);
            while (request.formula.size() < 1000000)
                request.formula += unit;
            Ext result = 0;
            EXPECT_LT(secondsFor(request, result), HangGuardSeconds) << unit;
            EXPECT_TRUE(std::isfinite(result)) << unit;
        }
        EvaluationRequest request;
        request.formula = std::string(1000000, '(');
        EXPECT_EQ(Evaluate(request), NoValue);
    }

    TEST(LimitTest, NestingBoundIsAThousandLevels)
    {
        EvaluationRequest request;
        request.x = 2;
        request.formula
            = std::string(MaxNestingDepth, '(') + "x" + std::string(MaxNestingDepth, ')');
        EXPECT_EQ(Evaluate(request), 2);
        request.formula = "(" + request.formula + ")";
        EXPECT_EQ(Evaluate(request), NoValue);
    }

    TEST(LimitTest, FanOutCallChainsEndPromptly)
    {
        std::vector<std::pair<std::string, std::string>> functions;
        for (int level = 1; level < 40; ++level) {
            const std::string callee = "f" + std::to_string(level + 1) + "(x)";
            functions.emplace_back("f" + std::to_string(level), callee + "+" + callee);
        }
        functions.emplace_back("f40", "x");
        Ext result = 0;
        EXPECT_LT(secondsFor(withFunctions("f1(x)", functions), result), HangGuardSeconds);
        EXPECT_EQ(result, NoValue);
        // A chain ten levels deep stays far inside the budget.
        EXPECT_EQ(Evaluate(withFunctions("f31(x)", functions)), 3 * 512);
    }

    TEST(LimitTest, RetriedArgumentsOfUnknownNamesAreBounded)
    {
        // Each unknown eleven-letter name evaluates its argument once per letter: exponential.
        std::string formula;
        for (int i = 0; i < 40; ++i)
            formula += "qqqqqqqqqqq(";
        EvaluationRequest request;
        request.formula = formula + "1";
        Ext result = 0;
        EXPECT_LT(secondsFor(request, result), HangGuardSeconds);
        EXPECT_EQ(result, NoValue);
    }

} // namespace
} // namespace velquor::test
