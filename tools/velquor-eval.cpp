// velquor-eval: the value of a formula for given x, a and b, printed so that the 80-bit
// value round-trips. The batch form reads one request per line from standard input; the
// analysis forms print the zeros or the extrema of y = FORMULA between two x.

#include "calc/analysis_work.h"
#include "calc/curve_analysis.h"
#include "calc/differentiated_formula.h"
#include "calc/error.h"
#include "calc/evaluate.h"
#include "calc/formula_integral.h"
#include "calc/number_text.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using velquor::EvaluationRequest;
using velquor::Ext;

constexpr int UsageError = 2;

constexpr const char* HelpText = R"(Usage:
  velquor-eval [-a A] [-b B] [--degree] [--func NAME=FORMULA]... [--] FORMULA [X...]
  velquor-eval [-a A] [-b B] [--degree] [--func NAME=FORMULA]... --roots FROM TO FORMULA
  velquor-eval [-a A] [-b B] [--degree] [--func NAME=FORMULA]... --extrema FROM TO FORMULA
  velquor-eval [-a A] [-b B] [--degree] [--func NAME=FORMULA]... --derivative FORMULA [X...]
  velquor-eval [-a A] [-b B] [--degree] [--func NAME=FORMULA]... --integral FROM TO FORMULA
  velquor-eval --batch

Prints the value of FORMULA for each X (default 0), one line each, with %.21Lg;
a formula without value prints 999999.

--roots prints the x of every zero of y = FORMULA from FROM to TO, --extrema the x of
every local minimum and maximum, ascending, one %.21Lg value per line (nothing when there
is none). The range is scanned at 10000 equal steps for sign changes, each refined to
the last bit; a sign change across a jump of TO - FROM or more (a pole) is no zero;
extrema are the zeros of the exact derivative. An analysis whose evaluations pass the
work of a redraw stops, prints what it found before, a message, and exits with 1.

--derivative prints dy/dx of y = FORMULA at each X (default 0), exact (automatic
differentiation), %.21Lg; 999999 where the derivative has no value.

--integral prints the integral of FORMULA from FROM to TO and its estimated error on one
line (adaptive Gauss-Kronrod quadrature, G7-K15 in the 80-bit format); TO below FROM
integrates backwards. A point without value, a pole, more than 1000000 pieces or more
work than a redraw prints the reason and exits with 1.

  -a A, -b B            the constants a and b (default 0)
  --degree              sin, cos and tan take degrees
  --func NAME=FORMULA   a function graph that the formula can call by NAME
                        (repeatable; the first 50 are used)
  --                    ends the options (for a formula that starts with "-a" or "-b")
  --roots FROM TO       the zeros of FORMULA between FROM and TO (FROM < TO)
  --extrema FROM TO     the local minima and maxima of FORMULA between FROM and TO
  --derivative          the derivative of FORMULA at each X
  --integral FROM TO    the integral of FORMULA from FROM to TO
  --batch               reads lines FORMULA<TAB>X<TAB>A<TAB>B<TAB>DEGREE[<TAB>NAME=FORMULA]...
                        and prints one line each; a malformed line prints "error",
                        a message on standard error, and the exit status becomes 2
  --help                shows this text

X, A and B are decimals: digits with "." and an exponent (no "nan" or "inf");
DEGREE is an integer, nonzero for degrees.
The random generator's seed starts at 0 and runs on through all evaluations.
)";

// A decimal in the strict form of the settings (blanks, sign, digits, ".", exponent): "nan",
// "inf", hexadecimal and text after a NUL byte are no numbers here either.
std::optional<Ext> parseDecimal(const std::string& text)
{
    Ext value = 0;
    if (!velquor::TryStrToFloat(text, value, '.'))
        return std::nullopt;
    return value;
}

std::optional<int> parseInteger(const std::string& text)
{
    std::int32_t value = 0;
    if (!velquor::TryStrToInt(text, value))
        return std::nullopt;
    return value;
}

// The system's messages for a text that is not a decimal or not an integer, with the end mark.
std::string notDecimal(const std::string& text)
{
    return velquor::formatMessage(velquor::NotFloatMessage, velquor::shownText(text)) + ".";
}

std::string notInteger(const std::string& text)
{
    return velquor::formatMessage(velquor::NotIntegerMessage, velquor::shownText(text)) + ".";
}

// Writes the message to standard error.
void printError(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stderr);
}

// Adds NAME=FORMULA to the callable table; false when the text has no "=".
bool addFunction(EvaluationRequest& request, const std::string& definition)
{
    const auto equals = definition.find('=');
    if (equals == std::string::npos)
        return false;
    if (request.funcCount < velquor::MaxCallableFormulas) {
        request.funcNames[request.funcCount] = definition.substr(0, equals);
        request.funcFormulas[request.funcCount] = definition.substr(equals + 1);
        ++request.funcCount;
    }
    return true;
}

void printValue(Ext value)
{
    std::printf("%.21Lg\n", value);
}

std::vector<std::string> splitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        const auto tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

// One batch line into a request; an empty text on success, otherwise what is wrong.
std::string parseBatchLine(const std::string& line, EvaluationRequest& request)
{
    const std::vector<std::string> fields = splitTabs(line);
    if (fields.size() < 5)
        return "expected FORMULA, X, A, B and DEGREE separated by tabs";
    request.formula = fields[0];
    const auto x = parseDecimal(fields[1]);
    const auto a = parseDecimal(fields[2]);
    const auto b = parseDecimal(fields[3]);
    const auto degree = parseInteger(fields[4]);
    if (!x || !a || !b)
        return notDecimal(fields[!x ? 1 : !a ? 2 : 3]);
    if (!degree)
        return notInteger(fields[4]);
    request.x = *x;
    request.a = *a;
    request.b = *b;
    request.degreeMode = *degree != 0 ? 1 : 0;
    for (std::size_t i = 5; i < fields.size(); ++i) {
        if (!addFunction(request, fields[i]))
            return "a function must be written NAME=FORMULA";
    }
    return {};
}

int runBatch()
{
    int status = 0;
    std::string line;
    for (long number = 1; std::getline(std::cin, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        EvaluationRequest request;
        const std::string problem = parseBatchLine(line, request);
        if (!problem.empty()) {
            std::printf("error\n");
            std::fflush(stdout);
            printError("velquor-eval: line " + std::to_string(number) + ": " + problem + "\n");
            status = UsageError;
            continue;
        }
        printValue(velquor::Evaluate(request));
    }
    return status;
}

int usage(const std::string& problem)
{
    printError("velquor-eval: " + problem + "\nTry 'velquor-eval --help'.\n");
    return UsageError;
}

// The samples between FROM and TO that the analysis forms scan.
constexpr int AnalysisSteps = 10000;

enum class Analysis { None, Roots, Extrema, Derivative, Integral };

// What was found, and once the work of a redraw is spent, the message and exit status 1.
int printAnalysis(Analysis analysis, const EvaluationRequest& request, Ext from, Ext to)
{
    const velquor::AnalysisScan scan = velquor::UniformScan(from, to, AnalysisSteps);
    velquor::AnalysisWork work;
    velquor::SampledFormula formula(request, scan.xs, &work);
    if (analysis == Analysis::Roots) {
        for (const velquor::CurvePoint& root : velquor::FindRoots(formula, scan))
            printValue(root.x);
    } else {
        for (const velquor::Extremum& extremum : velquor::FindExtrema(formula, scan))
            printValue(extremum.x);
    }
    if (!work.spent())
        return 0;
    std::fflush(stdout);
    printError("velquor-eval: " + std::string(velquor::AnalysisCutShortMessage) + "\n");
    return 1;
}

int printIntegral(const EvaluationRequest& request, Ext from, Ext to)
{
    velquor::AnalysisWork work;
    const velquor::IntegralResult result = velquor::IntegrateFormula(request, from, to, work);
    if (result.problem != velquor::IntegralProblem::None) {
        printError("velquor-eval: " + velquor::IntegralProblemText(result) + "\n");
        return 1;
    }
    std::printf("%.21Lg %.3Lg\n", result.value, result.error);
    return 0;
}

void printDerivatives(const EvaluationRequest& request, const std::vector<Ext>& xs)
{
    velquor::DifferentiatedFormula formula(request);
    std::vector<Ext> slopes(xs.size());
    formula.evaluate(xs.data(), nullptr, slopes.data(), xs.size()); // many X run in batches
    for (const Ext slope : slopes)
        printValue(std::isnan(slope) ? velquor::NoValue : slope);
}

constexpr const char* OneAnalysis
    = "--roots, --extrema, --derivative and --integral are given once";

int runSingle(const std::vector<std::string>& args)
{
    EvaluationRequest request;
    Analysis analysis = Analysis::None;
    Ext from = 0;
    Ext to = 0;
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--") {
            ++i;
            break;
        }
        if ((arg == "-a" || arg == "-b") && hasValue) {
            const auto value = parseDecimal(args[++i]);
            if (!value)
                return usage(notDecimal(args[i]));
            (arg == "-a" ? request.a : request.b) = *value;
        } else if (arg == "--degree") {
            request.degreeMode = 1;
        } else if (arg == "--func" && hasValue) {
            if (!addFunction(request, args[++i]))
                return usage("a function must be written NAME=FORMULA: " + args[i]);
        } else if ((arg == "--roots" || arg == "--extrema" || arg == "--integral")
            && i + 2 < args.size()) {
            if (analysis != Analysis::None)
                return usage(OneAnalysis);
            analysis = arg == "--roots" ? Analysis::Roots
                : arg == "--extrema"    ? Analysis::Extrema
                                        : Analysis::Integral;
            const auto first = parseDecimal(args[++i]);
            if (!first)
                return usage(notDecimal(args[i]));
            const auto last = parseDecimal(args[++i]);
            if (!last)
                return usage(notDecimal(args[i]));
            from = *first;
            to = *last;
            if (analysis != Analysis::Integral
                && !(std::isfinite(from) && std::isfinite(to) && std::isfinite(to - from)
                    && from < to))
                return usage("the range must run from a smaller to a larger finite number");
        } else if (arg == "--derivative") {
            if (analysis != Analysis::None)
                return usage(OneAnalysis);
            analysis = Analysis::Derivative;
        } else if (arg == "-a" || arg == "-b" || arg == "--func") {
            return usage("missing value after " + arg);
        } else if (arg == "--roots" || arg == "--extrema" || arg == "--integral") {
            return usage("missing FROM, TO or FORMULA after " + arg);
        } else {
            break; // the formula (it may begin with "-", as in -x^2)
        }
    }
    if (i >= args.size())
        return usage("missing FORMULA");
    request.formula = args[i++];
    if (analysis != Analysis::None && analysis != Analysis::Derivative) {
        if (i < args.size())
            return usage("no X after the formula of --roots, --extrema or --integral: " + args[i]);
        if (analysis == Analysis::Integral)
            return printIntegral(request, from, to);
        return printAnalysis(analysis, request, from, to);
    }
    std::vector<Ext> xs;
    for (; i < args.size(); ++i) {
        const auto x = parseDecimal(args[i]);
        if (!x)
            return usage(notDecimal(args[i]));
        xs.push_back(*x);
    }
    if (xs.empty())
        xs.push_back(0);
    if (analysis == Analysis::Derivative) {
        printDerivatives(request, xs);
        return 0;
    }
    for (Ext x : xs) {
        request.x = x;
        printValue(velquor::Evaluate(request));
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "--help") {
        std::fputs(HelpText, stdout);
        return 0;
    }
    if (args.size() == 1 && args[0] == "--batch")
        return runBatch();
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "--batch")
            return usage(arg + " stands alone");
    }
    return runSingle(args);
}
