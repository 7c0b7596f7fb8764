#include "calc/curve_analysis.h"

#include "calc/analysis_work.h"
#include "calc/compiled_formula.h"
#include "calc/differentiated_formula.h"
#include "calc/evaluate.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

namespace velquor {
namespace {

    // The solver's bound on steps. Bisection alone halves the 2^79 extended numbers of one sign
    // to neighbours in 79 steps, and it runs at least every second step.
    constexpr int MaxNarrowingSteps = 400;

    __extension__ using OrderKey = unsigned __int128;

    // The position of a non-negative finite extended number among all of them: the 15-bit
    // exponent above the 63 fraction bits (the integer bit is implied, as it is 1 exactly for
    // the normal numbers), so that neighbouring numbers have neighbouring keys.
    OrderKey orderKey(Ext magnitude)
    {
        std::uint64_t mantissa = 0;
        std::uint16_t exponent = 0;
        std::memcpy(&mantissa, &magnitude, sizeof mantissa);
        std::memcpy(&exponent, reinterpret_cast<const char*>(&magnitude) + 8, sizeof exponent);
        exponent &= 0x7FFF;
        constexpr std::uint64_t FractionMask = (std::uint64_t(1) << 63) - 1;
        return (OrderKey(exponent) << 63) | (mantissa & FractionMask);
    }

    Ext fromOrderKey(OrderKey key)
    {
        const auto exponent = static_cast<std::uint16_t>(key >> 63);
        constexpr std::uint64_t FractionMask = (std::uint64_t(1) << 63) - 1;
        std::uint64_t mantissa = static_cast<std::uint64_t>(key) & FractionMask;
        if (exponent != 0)
            mantissa |= std::uint64_t(1) << 63;
        Ext value = 0;
        std::memcpy(&value, &mantissa, sizeof mantissa);
        std::memcpy(reinterpret_cast<char*>(&value) + 8, &exponent, sizeof exponent);
        return value;
    }

    // The number halfway between lo and hi in their bit patterns (0 when they have opposite
    // signs): each bisection halves the count of extended numbers left in the bracket, so a
    // zero near 0 costs no more steps than one near 1.
    Ext bitMidpoint(Ext lo, Ext hi)
    {
        if (lo < 0 && hi > 0)
            return 0;
        if (hi <= 0) {
            const OrderKey a = orderKey(-hi);
            const OrderKey b = orderKey(-lo);
            return -fromOrderKey(a + (b - a) / 2);
        }
        const OrderKey a = orderKey(lo);
        const OrderKey b = orderKey(hi);
        return fromOrderKey(a + (b - a) / 2);
    }

    // One point of a curve that a bracket is narrowed on: the value whose sign changes (f, f - g
    // or the difference quotient) and the curves' own values for the jump test.
    struct Probe
    {
        Ext x = 0;
        Ext value = 0;
        Ext f = 0;
        Ext g = 0;
    };

    struct Bracket
    {
        Probe lo;
        Probe hi;
    };

    // Narrows a bracket whose ends have values of opposite sign until its ends are neighbouring
    // extended numbers or a probe is exactly zero (then both ends are that probe). The steps are
    // regula falsi with the Illinois weighting (an end kept twice has its weight halved), and a
    // bisection of the bit patterns whenever a step did not halve the bracket's width. Nothing
    // when a probe has no value, or when `isJump(bracket)` says the bracket holds a jump, not a
    // zero. `probe(x)` returns the Probe at x or nothing.
    template <typename ProbeAt, typename IsJump>
    std::optional<Bracket> narrow(Bracket bracket, ProbeAt probe, IsJump isJump)
    {
        Ext weightLo = bracket.lo.value;
        Ext weightHi = bracket.hi.value;
        int lastKept = 0; // -1: lo was kept by the last step, +1: hi
        bool bisectNext = false;
        for (int step = 0; step < MaxNarrowingSteps; ++step) {
            const Ext lo = bracket.lo.x;
            const Ext hi = bracket.hi.x;
            if (std::nextafter(lo, hi) == hi)
                break;
            Ext x = bitMidpoint(lo, hi);
            if (!bisectNext) {
                const Ext interpolated = hi - weightHi * ((hi - lo) / (weightHi - weightLo));
                if (interpolated > lo && interpolated < hi) // false for NaN
                    x = interpolated;
            }
            const std::optional<Probe> middle = probe(x);
            if (!middle)
                return std::nullopt;
            if (middle->value == 0) {
                bracket.lo = bracket.hi = *middle;
                break;
            }
            const Ext widthBefore = hi - lo;
            if (std::signbit(middle->value) == std::signbit(bracket.lo.value)) {
                bracket.lo = *middle;
                weightLo = middle->value;
                if (lastKept == 1)
                    weightHi /= 2;
                lastKept = 1;
            } else {
                bracket.hi = *middle;
                weightHi = middle->value;
                if (lastKept == -1)
                    weightLo /= 2;
                lastKept = -1;
            }
            bisectNext = !bisectNext && bracket.hi.x - bracket.lo.x > widthBefore / 2;
            if (isJump(bracket))
                return std::nullopt;
        }
        return bracket;
    }

    // Whether the curve's values (`value` of the probes) change by the jump limit or more across
    // the bracket: at its end (`narrowed`), where a zero's values differ by next to nothing and a
    // pole's by more than any limit; or already on the way, once the change has passed both the
    // limit and the change across the samples it started from, as only a pole makes it grow.
    bool jumpOf(
        Ext Probe::*value, const Bracket& start, const Bracket& now, Ext limit, bool narrowed)
    {
        const Ext change = std::fabs(now.hi.*value - now.lo.*value);
        if (narrowed)
            return change >= limit;
        return change >= limit && change > std::fabs(start.hi.*value - start.lo.*value);
    }

    bool oppositeSigns(Ext a, Ext b)
    {
        return a != 0 && b != 0 && std::signbit(a) != std::signbit(b);
    }

    // Of a narrowed bracket, the end closer to the zero.
    const Probe& closerEnd(const Bracket& bracket)
    {
        return std::fabs(bracket.lo.value) <= std::fabs(bracket.hi.value) ? bracket.lo : bracket.hi;
    }

    // The zeros of `sampled` (NoValue: no value) on the scan: exact zeros at samples and the
    // narrowed sign changes between neighbouring samples. isJump(start, now, narrowed) decides
    // whether a bracket narrowed from `start` to `now` spans a jump (then it holds no zero);
    // `narrowed`: its ends are neighbours.
    // `stopped()`: the work ran out, and what was being narrowed is no result.
    template <typename ProbeAt, typename IsJump, typename Stopped>
    std::vector<CurvePoint> zeros(const std::vector<std::optional<Probe>>& sampled, ProbeAt probe,
        IsJump isJump, Stopped stopped)
    {
        std::vector<CurvePoint> found;
        const std::size_t count = sampled.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (!sampled[i])
                continue;
            const Probe& here = *sampled[i];
            if (here.value == 0) {
                // A zero is a single point only when its neighbours are not zero too.
                const bool zeroBefore = i > 0 && sampled[i - 1] && sampled[i - 1]->value == 0;
                const bool zeroAfter
                    = i + 1 < count && sampled[i + 1] && sampled[i + 1]->value == 0;
                if (!zeroBefore && !zeroAfter)
                    found.push_back({ here.x, here.f });
                continue;
            }
            if (i + 1 >= count || !sampled[i + 1]
                || !oppositeSigns(here.value, sampled[i + 1]->value))
                continue;
            const Bracket start { here, *sampled[i + 1] };
            const auto narrowed = narrow(
                start, probe, [&](const Bracket& now) { return isJump(start, now, false); });
            if (stopped())
                break;
            if (!narrowed || isJump(start, *narrowed, true))
                continue;
            const Probe& zero = closerEnd(*narrowed);
            found.push_back({ zero.x, zero.f });
        }
        return found;
    }

    bool isValue(Ext value)
    {
        return value != NoValue;
    }

    // The sixth-order central difference quotient of f at x with step h, or nothing when one of
    // its six points has no value.
    std::optional<Ext> differenceQuotient(SampledFormula& f, Ext x, Ext h)
    {
        Ext values[6];
        static constexpr int Offsets[6] = { -3, -2, -1, 1, 2, 3 };
        for (int i = 0; i < 6; ++i) {
            values[i] = f.valueAt(x + Ext(Offsets[i]) * h);
            if (!isValue(values[i]))
                return std::nullopt;
        }
        const Ext sum
            = 45 * (values[3] - values[2]) - 9 * (values[4] - values[1]) + (values[5] - values[0]);
        return sum / (60 * h);
    }

} // namespace

AnalysisScan UniformScan(Ext from, Ext to, int count)
{
    AnalysisScan scan;
    const Ext spacing = (to - from) / Ext(count);
    scan.xs.resize(static_cast<std::size_t>(count) + 1);
    for (int i = 0; i < count; ++i)
        scan.xs[static_cast<std::size_t>(i)] = from + Ext(i) * spacing;
    scan.xs.back() = to;
    scan.jumpLimit = to - from;
    scan.derivativeStep = spacing / 16;
    return scan;
}

SampledFormula::SampledFormula(
    const EvaluationRequest& request, const std::vector<Ext>& xs, AnalysisWork* work)
    : m_request(request)
    , m_work(work)
    , m_formula(std::make_unique<CompiledFormula>(request))
    , m_values(xs.size(), NoValue)
{
    if (!m_work) {
        m_formula->evaluate(xs.data(), m_values.data(), xs.size());
        return;
    }
    // In pieces no larger than the work left, so that the samples stop within one evaluation
    // of the budget. A formula left to the literal scan tells its work only afterwards: one
    // sample at a time.
    const std::size_t count = xs.size();
    for (std::size_t first = 0; first < count && !m_work->spent();) {
        std::size_t n = 1;
        if (m_formula->isCompiled()) {
            const std::uint64_t each = std::max<std::uint64_t>(m_formula->sampleWork(), 1);
            n = static_cast<std::size_t>(std::min<std::uint64_t>(
                { count - first, CompiledFormula::BatchSize, m_work->left() / each + 1 }));
        }
        m_formula->evaluate(xs.data() + first, m_values.data() + first, n);
        m_work->charge(m_formula->sampleWork() * n);
        first += n;
    }
}

SampledFormula::~SampledFormula() = default;
SampledFormula::SampledFormula(SampledFormula&&) noexcept = default;

bool SampledFormula::workSpent() const
{
    return m_work && m_work->spent();
}

Ext SampledFormula::valueAt(Ext x)
{
    if (workSpent())
        return NoValue;
    const Ext value = m_formula->evaluate(x);
    if (m_work)
        m_work->charge(m_formula->sampleWork());
    return value;
}

std::optional<Ext> SampledFormula::slopeAt(Ext x)
{
    if (workSpent())
        return std::nullopt;
    if (!m_derivative)
        m_derivative = std::make_unique<DifferentiatedFormula>(m_request);
    const ValueAndSlope result = m_derivative->evaluate(x);
    if (m_work)
        m_work->charge(m_derivative->sampleWork());
    if (!result.hasSlope)
        return std::nullopt;
    return result.slope;
}

std::vector<CurvePoint> FindRoots(SampledFormula& f, const AnalysisScan& scan)
{
    std::vector<std::optional<Probe>> sampled(scan.xs.size());
    for (std::size_t i = 0; i < sampled.size(); ++i) {
        const Ext y = f.values()[i];
        if (isValue(y))
            sampled[i] = Probe { scan.xs[i], y, y, 0 };
    }
    auto probe = [&f](Ext x) -> std::optional<Probe> {
        const Ext y = f.valueAt(x);
        if (!isValue(y))
            return std::nullopt;
        return Probe { x, y, y, 0 };
    };
    auto isJump = [&scan](const Bracket& start, const Bracket& now, bool narrowed) {
        return jumpOf(&Probe::f, start, now, scan.jumpLimit, narrowed);
    };
    return zeros(sampled, probe, isJump, [&f] { return f.workSpent(); });
}

std::vector<CurvePoint> FindIntersections(
    SampledFormula& f, SampledFormula& g, const AnalysisScan& scan)
{
    std::vector<std::optional<Probe>> sampled(scan.xs.size());
    for (std::size_t i = 0; i < sampled.size(); ++i) {
        const Ext fy = f.values()[i];
        const Ext gy = g.values()[i];
        if (isValue(fy) && isValue(gy))
            sampled[i] = Probe { scan.xs[i], fy - gy, fy, gy };
    }
    auto probe = [&f, &g](Ext x) -> std::optional<Probe> {
        const Ext fy = f.valueAt(x);
        if (!isValue(fy))
            return std::nullopt;
        const Ext gy = g.valueAt(x);
        if (!isValue(gy))
            return std::nullopt;
        return Probe { x, fy - gy, fy, gy };
    };
    auto isJump = [&scan](const Bracket& start, const Bracket& now, bool narrowed) {
        return jumpOf(&Probe::f, start, now, scan.jumpLimit, narrowed)
            || jumpOf(&Probe::g, start, now, scan.jumpLimit, narrowed);
    };
    return zeros(sampled, probe, isJump, [&f, &g] { return f.workSpent() || g.workSpent(); });
}

std::vector<Extremum> FindExtrema(SampledFormula& f, const AnalysisScan& scan)
{
    const std::vector<Ext>& ys = f.values();
    const Ext h = scan.derivativeStep;
    auto probe = [&f, h](Ext x) -> std::optional<Probe> {
        std::optional<Ext> slope = f.slopeAt(x);
        if (!slope)
            slope = differenceQuotient(f, x, h);
        if (!slope)
            return std::nullopt;
        return Probe { x, *slope, 0, 0 };
    };

    // The extremum between the last interval that rose or fell (`left`) and the interval that
    // turned (`right`); the samples between them have equal values.
    auto locate = [&](std::size_t left, std::size_t right, bool maximum) -> Extremum {
        const std::size_t middle = (left + 1 + right) / 2;
        const Extremum atSample { scan.xs[middle], ys[middle], maximum };
        const std::optional<Probe> ends[3]
            = { probe(scan.xs[left]), probe(scan.xs[middle]), probe(scan.xs[right + 1]) };
        if (ends[1] && ends[1]->value == 0)
            return atSample;
        for (int i = 0; i < 2; ++i) {
            const auto& a = ends[i];
            const auto& b = ends[i + 1];
            // Rising then falling for a maximum, the other way round for a minimum.
            if (!a || !b || !oppositeSigns(a->value, b->value) || (a->value > 0) != maximum)
                continue;
            const auto narrowed
                = narrow(Bracket { *a, *b }, probe, [](const Bracket&) { return false; });
            if (!narrowed)
                break;
            const Ext x = closerEnd(*narrowed).x;
            const Ext y = f.valueAt(x);
            if (!isValue(y))
                break;
            return { x, y, maximum };
        }
        return atSample;
    };

    std::vector<Extremum> found;
    int runSign = 0; // the sign of the last rise or fall of the current unbroken run
    std::size_t signInterval = 0;
    for (std::size_t i = 0; i + 1 < ys.size(); ++i) {
        const Ext rise = ys[i + 1] - ys[i];
        if (!isValue(ys[i]) || !isValue(ys[i + 1]) || !(std::fabs(rise) < scan.jumpLimit)) {
            runSign = 0; // the curve is broken here
            continue;
        }
        const int sign = rise > 0 ? 1 : rise < 0 ? -1 : 0;
        if (sign == 0)
            continue;
        if (runSign != 0 && sign != runSign) {
            const Extremum extremum = locate(signInterval, i, runSign > 0);
            if (f.workSpent())
                break; // it may be the sample's approximation of an unfinished refinement
            found.push_back(extremum);
        }
        runSign = sign;
        signInterval = i;
    }
    return found;
}

} // namespace velquor
