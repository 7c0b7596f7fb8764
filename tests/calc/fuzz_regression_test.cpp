#include "calc/evaluate.h"

#include <chrono>
#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace velquor::test {
namespace {

    // The work budget, not the clock, bounds these evaluations (their result shows that the budget
    // cut them off); the clock only guards against a hang, generously enough for an unoptimised
    // sanitizer build on a busy machine.
    constexpr double HangGuardSeconds = 60.0;

    // Inputs the fuzzer found, as requests: each must end promptly with a finite value.
    struct FuzzCase
    {
        const char* name; // callable name, or "" for none
        const char* function;
        const char* formula;
        const char* why;
    };

    const FuzzCase FuzzCases[] = {
        { "f", "x^(f(\xbfx((f(\xbfx(^2", "f(^2\n(f(\xcc/1",
            "a self-calling function with two unclosed calls: 2^64 calls without the budget" },
        { "f", "xz(f(\xbfK2", "f((\xcc",
            "an unknown name retried per letter around a self call: 3^64 calls" },
    };

    TEST(FuzzRegressionTest, EndsPromptlyWithAFiniteValue)
    {
        for (const FuzzCase& row : FuzzCases) {
            EvaluationRequest request;
            request.x = 2;
            request.a = 3;
            request.b = 0.5L;
            request.formula = row.formula;
            if (*row.name != '\0') {
                request.funcCount = 1;
                request.funcNames[0] = row.name;
                request.funcFormulas[0] = row.function;
            }
            const auto start = std::chrono::steady_clock::now();
            const Ext value = Evaluate(request);
            const double seconds
                = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            EXPECT_TRUE(std::isfinite(value)) << row.why;
            EXPECT_LT(seconds, HangGuardSeconds) << row.why;
        }
    }

} // namespace
} // namespace velquor::test
