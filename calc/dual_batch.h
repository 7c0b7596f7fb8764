#pragma once

// The batch form of the forward-mode derivative: a formula's program over a whole batch of x
// values, each operation carrying the derivative beside the value. Like the plain batch runner
// it runs without finiteness checks and watches the processor's exception flags instead; a
// piece that raises one (or a program it cannot run) is left to the one-sample runner, whose
// steps it repeats exactly, so values and slopes are bit-identical to it.

#include "calc/ext.h"
#include "calc/formula_program.h"
#include "calc/vector_pass.h"

#include <cstdint>
#include <vector>

namespace velquor {

class DualBatch
{
public:
    // Samples per piece: the nested values of a piece stay in the cache.
    static constexpr int Piece = 256;
    // Groups (two arrays of a piece each) a program may have to run here.
    static constexpr std::size_t MaxGroups = 256;

    // onX: of each scan, whether it depends on x (see DifferentiatedFormula).
    DualBatch(const FormulaProgram& program, const std::vector<std::uint8_t>& onX);

    // False for programs with steps only the one-sample runner takes (built-in functions, bars,
    // calls, powers other than whole ones, early ends, constants that are not finite).
    bool usable() const { return m_usable; }

    // values[i], slopes[i] (NaN without slope) for xs[i], count <= Piece; false when the piece
    // must run sample by sample instead (nothing written is then meaningful).
    bool run(const Ext* xs, Ext* values, Ext* slopes, int count);

private:
    void runScan(std::int32_t index, const Ext* xs, int count, Ext* values, Ext* slopes);

    const FormulaProgram& m_program;
    const std::vector<std::uint8_t>& m_onX;
    bool m_usable = true;
    std::vector<Ext> m_fixedValue; // of each scan that does not depend on x
    // Of each scan, its groups' values and slopes over a piece: group k at [2k] and [2k + 1].
    std::vector<std::vector<std::vector<Ext>>> m_nested;
    std::vector<std::vector<const Ext*>> m_nestedPointers;
    std::vector<std::size_t> m_groups; // of each scan that depends on x
    bool m_allocated = false;
    // Of each scan: its steps as the plain batch runner lowers them, and which of its loops
    // that kept in the processor applies (Steps: neither, every step as it is).
    enum class Shape : std::uint8_t { Steps, SimpleTerms, OneTerm };
    std::vector<std::vector<vector::VectorOp>> m_lowered;
    std::vector<Shape> m_shape;
};

} // namespace velquor
