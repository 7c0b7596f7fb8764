#pragma once

#include "calc/evaluation_request.h"
#include "calc/ext.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace velquor {

// The compiled form of a formula. The scan's control flow depends only on the characters of
// the text (a failure or fault merely ends it), so one scan reduces to a straight-line list of
// operations on the four registers of the scan: total S, term T, factor F and base B. Every
// nested evaluation (group, bars, argument, called formula) is a scan of its own.
enum class OpCode : std::uint8_t {
    // Term boundaries: S + T joins the total (a fault when not finite), T = 0.
    EndTerm,
    // Term folding; the operand is x, the constant or F. Division by zero fails, a result that
    // is not finite is a fault.
    SetTX, // T = x
    SetTF, // T = F
    SetTConst, // T = constant (finite: checked when compiled)
    NegT, // T = -T (a sign after "*" or "/")
    MulX, // T = T * x
    MulF, // T = T * F
    MulConst, // T = T * constant
    DivX, // T = T / x
    DivF, // T = T / F
    DivConst, // T = T / constant (nonzero: checked when compiled)
    ConstMulX, // T = constant * x (a constant term folded with x)
    ConstMulF, // T = constant * F
    // Nested evaluations into F.
    Group, // F = scan(x)
    Bars, // F = |scan(x)|
    Builtin, // F = builtin function of scan(x): may fail or fault
    Call, // F = the called formulas of argument scan(x), last one wins
    Discard, // scan(x) for its side effects only: the argument of a name that is no function
    // The base and the power rule.
    CopyFToB, // B = F
    SetBX, // B = x
    SetBConst, // B = constant
    PowXWhole, // F = x ^ n, n a whole constant, 1 <= |n| < 2^31
    PowBWhole, // F = B ^ n
    PowBConst, // F = B ^ constant (any other constant exponent)
    PowBX, // F = B ^ x
    PowBF, // F = B ^ F
    // A scan that ends here whatever the values.
    Fail, // the scan gives NoValue
    Fault, // the scan gives S
};

struct Op
{
    OpCode code;
    bool negative = false; // PowXWhole, PowBWhole: the exponent is -n
    std::int32_t index = 0; // the built-in or call table entry; n for whole powers
    std::int32_t scan = 0; // the nested scan of Group, Bars, Builtin and Discard
    Ext constant = 0;
};

// One call site: the argument's scan and every callable entry of the name in table order
// (-1: the chain of calls is too deep, the entry gives NoValue).
struct CallSite
{
    std::int32_t argument = 0;
    std::vector<std::int32_t> callees;
};

// One evaluation of a text. A scan whose evaluation never runs its text (too deep, or an empty
// text) gives `constant`.
struct Scan
{
    bool isConstant = false;
    Ext constant = 0;
    std::int32_t depth = 0; // nesting below the top-level scan
    std::vector<Op> ops;
};

struct FormulaProgram
{
    std::vector<Scan> scans; // scans[0] is the formula itself
    std::vector<CallSite> calls;
    std::int32_t degreeMode = 0;
    bool usesRandom = false; // some evaluated scan applies "random"
    std::int32_t maxDepth = 0;
    // The work of one evaluation in the budget's units, as the literal scan counts it when
    // every scan runs to its end (a scan that fails or faults early does less).
    std::uint64_t work = 0;
};

// Static work (in the budget's units) beyond which a formula is left to the literal scan: the
// compiler reads at most this much of a formula and the formulas it calls. Below the budget, so
// that a compiled program can never run out of it.
inline constexpr std::uint64_t CompileLimit = std::uint64_t(1) << 18;

// Compiles request.formula with the request's a, b, degree mode and callable table. Nothing
// when the program's work could exceed the evaluation budget (or is too large to be worth
// compiling): only the literal scan then knows where the budget runs out.
std::unique_ptr<FormulaProgram> CompileFormula(const EvaluationRequest& request);

} // namespace velquor
