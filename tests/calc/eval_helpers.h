#pragma once

#include "calc/evaluate.h"

#include <ostream>
#include <string>

namespace velquor::test {

// The usual setting of the formula tables: x = 2, a = 3, b = 0.5, radians.
inline Ext eval(const std::string& formula, Ext x = 2, int degreeMode = 0)
{
    EvaluationRequest request;
    request.formula = formula;
    request.x = x;
    request.a = 3;
    request.b = 0.5L;
    request.degreeMode = degreeMode;
    return Evaluate(request);
}

// One row of a formula table; `why` names the rule the row checks.
struct FormulaCase
{
    const char* formula;
    Ext expected;
    const char* why;
};

inline void PrintTo(const FormulaCase& row, std::ostream* out)
{
    *out << '"' << row.formula << '"';
}

} // namespace velquor::test
