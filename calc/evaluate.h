#pragma once

#include "evaluation_request.h"
#include "ext.h"

#include <cstdint>
#include <string_view>

namespace velquor {

// The value that marks a sample without value.
inline constexpr Ext NoValue = 999999;

// Bounds that keep every evaluation finite. A call nested deeper than MaxCallDepth called
// formulas (a formula that reaches itself) gives NoValue for that call; a group, bar or
// argument nested deeper than MaxNestingDepth gives NoValue for that nested evaluation.
// A top-level evaluation gives NoValue as a whole once its work passes EvaluationBudget, so
// that calls that fan out end promptly. Work is counted in characters: every evaluation, the
// top-level one and each nested one, costs the length of its text plus
// NestedEvaluationCost for its own setting up. A formula nested 1,000 levels deep needs about
// half of the budget; real formulas need thousands of times less.
inline constexpr int MaxCallDepth = 64;
inline constexpr int MaxNestingDepth = 1000;
inline constexpr std::uint64_t EvaluationBudget = 2'000'000;
inline constexpr std::uint64_t NestedEvaluationCost = 32;

// The value of request.formula for request.x, a and b. Never throws: a failure gives
// NoValue, a run-time fault the sum of the terms finished before it.
Ext Evaluate(const EvaluationRequest& request);

// Evaluate, also giving the work the evaluation did in the budget's units: the characters it
// scanned plus NestedEvaluationCost per evaluation, nested ones included; EvaluationBudget when
// the budget ran out.
Ext Evaluate(const EvaluationRequest& request, std::uint64_t& work);

// The formula of every callable entry named `name` (exact comparison), evaluated with
// x = argument; the last match gives value. False when no entry has that name.
bool CallOtherFunction(const EvaluationRequest& request, std::string_view name, Ext& value, Ext argument);

// The tolerant decimal reader of number literals and of the constants a and b:
// text that is not a decimal number gives 0.
Ext StrToValue(std::string_view text);

// The value of a number literal of the formula language (a run of digits and points), as
// StrToValue reads it.
Ext LiteralValue(std::string_view run);

// y = r sin(theta), x = r cos(theta); theta in radians whatever the degree mode.
void PolarToXY(Ext& y, Ext& x, Ext r, Ext theta);

// The process-wide seed of "random" (0 at start; never taken from the clock).
std::uint32_t randomSeed();
void setRandomSeed(std::uint32_t seed);

} // namespace velquor
