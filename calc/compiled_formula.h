#pragma once

#include "calc/calc_data.h"
#include "calc/ext.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace velquor {

struct FormulaProgram;
struct Op;

// A formula compiled once for a whole curve: Evaluate's values, NoValue and partial sums after
// faults, bit for bit, and the same sequence of "random", at a fraction of the cost of the
// literal scan. The request's formula, a, b, degree mode and callable table are fixed when
// constructed; only x varies. Not thread-safe: the batch workspace is kept between calls.
class CompiledFormula
{
public:
    explicit CompiledFormula(const TCalcData& request);
    ~CompiledFormula();
    CompiledFormula(const CompiledFormula&) = delete;
    CompiledFormula& operator=(const CompiledFormula&) = delete;

    // Evaluate(request) with request.x = x.
    Ext evaluate(Ext x);

    // results[i] = evaluate(xs[i]) for i = 0 .. count - 1, in that order. A program that draws
    // random numbers runs sample by sample, others one operation over many samples at a time.
    void evaluate(const Ext* xs, Ext* results, std::size_t count);

    // True when evaluating has a side effect (the seed of "random"): callers that interleave
    // several formulas or may stop early must then evaluate sample by sample, in order.
    bool usesRandom() const;

    // False when the formula is left to the literal scan (its work could reach the budget).
    bool isCompiled() const { return m_program != nullptr; }

    // Samples evaluated together in one batch.
    static constexpr int BatchSize = 256;

    // The registers of one batch at one nesting level (defined with the runners).
    struct Level;

private:
    void runBatch(std::int32_t scan, const Ext* xs, int count);
    void runNestedBatch(const Op& op, Level& level, const Ext* xs, int count);

    TCalcData m_request;
    std::unique_ptr<FormulaProgram> m_program;
    bool m_batched = false; // runs in batches: no side effects and not too deep
    std::unique_ptr<Level[]> m_levels; // allocated by the first batch
};

} // namespace velquor
