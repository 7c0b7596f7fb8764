#pragma once

// The unchecked pass of the batch runner: a scan's operations as loops over the whole batch,
// each register an array. Neighbouring operations that form one step of a term (a factor, what
// the term does with it, the end of the term or of the scan) are lowered into one loop, so the
// values in between stay in the processor: extended values are costly to load and store. No
// finiteness checks: the caller watches the exception flags and runs the checked pass instead
// when one is raised.

#include "calc/builtin_functions.h"
#include "calc/ext.h"
#include "calc/formula_program.h"

#include <array>
#include <cstdint>
#include <vector>

namespace velquor::vector {

// The nested values one pass reads: the k-th nested operation's value for sample i is
// values[k][i], and a built-in function's outcome is outcome[k][i]. The value of a sample whose
// function failed or faulted is 1, so that the unchecked operations after it raise no flag.
struct Factors
{
    const Ext* const* values = nullptr;
    const BuiltinLookup* const* outcome = nullptr;
};

enum class Source : std::uint8_t {
    X,
    F,
    Const,
    PowX2,
    PowX3,
    PowX, // x^n, any other whole n
    Slot, // a nested value
    SlotPow, // a nested value ^ n
};
enum class Action : std::uint8_t { Set, ConstMul, Mul, Div, FactorOnly };
enum class Ending : std::uint8_t { None, Term, Scan };

// A term of a small nested scan of simple terms, which a step evaluates where it uses the
// value instead of reading it stored: Const (the constant), X, PowX2 or PowX3, times the
// constant when constMul.
struct InlineTerm
{
    Source source = Source::Const;
    bool constMul = false;
    Ext constant = 0;
};
constexpr int MaxInlineTerms = 3;

struct VectorOp
{
    int code = 0; // the source, action and ending as one number; 0: `op` runs as it is
    Source source = Source::X;
    Action action = Action::Set;
    Ending ending = Ending::None;
    bool keepF = false; // the factor is read again after the step
    bool zeroT = false; // after the term ends, T is read before it is set again
    bool negative = false;
    std::uint32_t n = 0;
    std::int32_t nested = 0; // which nested value, for Slot and SlotPow
    bool builtin = false; // the nested value has an outcome
    Ext constant = 0; // the Const source's value or ConstMul's factor
    Op op {};
    bool inlined = false; // Slot and SlotPow: the nested scan is evaluated here
    int inlineTerms = 0;
    std::array<InlineTerm, MaxInlineTerms> terms {};
};

// Scans kept in the processor have at most this many steps.
constexpr std::size_t MaxRegisterSteps = 16;

struct VectorScan
{
    std::vector<VectorOp> ops;
    bool clearFB = false; // F or B may be read before the scan sets them
    bool mayEnd = false; // a sample's scan may end part-way (a built-in function, a power)
    std::vector<bool> inlined; // per nested operation: the pass evaluates it in its steps
    bool isSimple = false; // simple terms: one loop, the total kept in the processor
    bool oneTerm = false; // a single term: one loop, the term kept in the processor

    bool simple() const;
    bool isOneTerm() const;
};

VectorScan LowerScan(const Scan& scan, const FormulaProgram& program);
int StepCode(Source source, Action action, Ending ending);

// The registers of every sample of a batch, and the results of samples that end part-way.
struct Registers
{
    Ext* S;
    Ext* T;
    Ext* F;
    Ext* B;
    std::uint8_t* ended;
    Ext* endValue;
};

// out[i] = the scan's value for xs[i], without finiteness checks.
void RunVectorScan(const VectorScan& scan, const Factors& factors, const Ext* xs, Ext* out,
    int count, const Registers& registers);

} // namespace velquor::vector
