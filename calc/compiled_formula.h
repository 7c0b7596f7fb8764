#pragma once

#include "calc/builtin_functions.h"
#include "calc/evaluation_request.h"
#include "calc/ext.h"
#include "calc/vector_pass.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace velquor {

struct FormulaProgram;
struct Op;
struct Scan;

// A formula compiled once for a whole curve: Evaluate's values, NoValue and partial sums after
// faults, bit for bit, and the same sequence of "random", at a fraction of the cost of the
// literal scan. The request's formula, a, b, degree mode and callable table are fixed when
// constructed; only x varies. Not thread-safe: the batch workspace is kept between calls.
class CompiledFormula
{
public:
    explicit CompiledFormula(const EvaluationRequest& request);
    ~CompiledFormula();
    CompiledFormula(const CompiledFormula&) = delete;
    CompiledFormula& operator=(const CompiledFormula&) = delete;

    // Evaluate(request) with request.x = x.
    Ext evaluate(Ext x);

    // results[i] = evaluate(xs[i]) for i = 0 .. count - 1, in that order. A program that draws
    // random numbers runs sample by sample, others in batches of BatchSize samples.
    void evaluate(const Ext* xs, Ext* results, std::size_t count);

    // True when evaluating has a side effect (the seed of "random"): callers that interleave
    // several formulas or may stop early must then evaluate sample by sample, in order.
    bool usesRandom() const;

    // The work of one evaluation in the budget's units: for a compiled formula what every
    // evaluation does at most (the same for every x), for one left to the literal scan what the
    // last evaluate(x) did. Callers that bound the work of many evaluations add these up.
    std::uint64_t sampleWork() const;

    // The work its compilation did at most, in the budget's units: the characters of the texts it
    // read (the formula and those it calls, up to the compiler's limit).
    std::uint64_t compileWork() const;

    // False when the formula is left to the literal scan (its work could reach the budget).
    bool isCompiled() const { return m_program != nullptr; }

    // Samples evaluated together in one batch.
    static constexpr int BatchSize = 256;
    // Nested values one scan keeps for a whole batch; a scan with more runs in smaller pieces.
    static constexpr int SlotsPerLevel = 16;

    // The nested values of one batch at one nesting level (defined with the runners).
    struct Level;

private:
    // Where each scan keeps the values of its nested operations, in their order (a call keeps
    // its argument's values in the slot before its own).
    struct BatchPlan
    {
        std::vector<std::vector<std::int32_t>> slots;
        std::vector<std::vector<bool>> ofX; // the nested scan is just "x"
        std::vector<std::vector<bool>> ofFunction; // the nested scan is one built-in function
        std::vector<std::int32_t> slotsNeeded;
        // Where the nested values of each scan are while it runs.
        std::vector<std::vector<const Ext*>> values;
        std::vector<std::vector<const BuiltinLookup*>> outcome;
        std::vector<vector::VectorScan> lowered; // the scans for the unchecked pass
        bool constantsFinite = true; // the unchecked pass may run
    };
    static BatchPlan planBatch(const FormulaProgram& program);

    // out[i] = the scan's value for xs[i]; `finite`: every x is finite.
    void runBatch(std::int32_t scan, const Ext* xs, int count, Ext* out, bool finite);
    void runTopBatch(const Ext* xs, int count, Ext* out);
    void runNested(std::size_t scan, const Op& op, std::size_t k, const Ext* xs, int count, bool finite);
    template <typename Visit> void forEachNested(std::size_t scan, Visit visit);
    void runFunctionScan(const Scan& scan, const Ext* xs, int count, Ext* values,
        BuiltinLookup* outcome, bool finite);

    EvaluationRequest m_request;
    std::unique_ptr<FormulaProgram> m_program;
    std::uint64_t m_lastWork = 0; // the literal scan's work of the last evaluate(x)
    bool m_batched = false; // runs in batches: no side effects and not too deep
    BatchPlan m_plan;
    std::unique_ptr<Level[]> m_levels; // allocated by the first batch
    std::unique_ptr<Ext[]> m_output; // the formula's values of one batch
};

} // namespace velquor
