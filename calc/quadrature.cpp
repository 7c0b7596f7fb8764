#include "calc/quadrature.h"

#include "calc/evaluate.h"
#include "calc/number_text.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace velquor {
namespace {

    // The 15-point Kronrod rule on [-1, 1] and the 7-point Gauss rule inside it, to 30 digits
    // (the nodes in descending order; the Gauss nodes are the Kronrod nodes 1, 3, 5 and 7).
    constexpr Ext KronrodNodes[8] = { 0.991455371120812639206854697526L,
        0.949107912342758524526189684048L, 0.864864423359769072789712788641L,
        0.741531185599394439863864773281L, 0.586087235467691130294144838259L,
        0.405845151377397166906606412077L, 0.207784955007898467600689403773L, 0 };
    constexpr Ext KronrodWeights[8]
        = { 0.022935322010529224963732008059L, 0.0630920926299785532907006631892L,
              0.104790010322250183839876322542L, 0.14065325971552591874518959051L,
              0.169004726639267902826583426599L, 0.190350578064785409913256402421L,
              0.204432940075298892414161999235L, 0.209482141084727828012999174892L };
    constexpr Ext GaussWeights[4]
        = { 0.129484966168869693270611432679L, 0.279705391489276667901467771424L,
              0.381830050505118944950369775489L, 0.417959183673469387755102040816L };

    // The unit in the last place of 1 in the extended format.
    constexpr Ext Epsilon = 1.0L / 9223372036854775808.0L;
    // The estimates together below this part of the integral: a few units in the last place.
    constexpr Ext RelativeTolerance = 8 * Epsilon;
    // A piece whose estimate is this many units of its own |f| integral is at the rounding of
    // its values: halving it again gains nothing.
    constexpr Ext RoundingFloor = 64 * Epsilon;
    // No piece narrower than this part of the range: past it the values near a pole overflow
    // into partial sums that would look finite.
    const Ext NarrowestPart = std::ldexp(Ext(1), -60);
    // A piece that cannot be halved is accepted (with its error) when its estimate is below
    // this part of the integral: an integrable singularity or a finite jump, not a pole.
    constexpr Ext AcceptedAtTheLimit = 1e-8L;

    // The range is cut into this many equal pieces before any is halved.
    constexpr int InitialPieces = 8;

    struct Piece
    {
        Ext a = 0;
        Ext b = 0;
        Ext value = 0;
        Ext error = 0;
        Ext absolute = 0; // the integral of |f| over the piece
    };

    // Whether a piece is too narrow to be halved usefully: narrower than `narrowest`, or a few
    // units in the last place wide, where the rules' nodes fall on the same numbers.
    bool atTheLimit(const Piece& piece, Ext middle, Ext narrowest)
    {
        const Ext magnitude = std::max(std::fabs(piece.a), std::fabs(piece.b));
        const Ext unit
            = std::nextafter(magnitude, std::numeric_limits<Ext>::infinity()) - magnitude;
        const Ext width = piece.b - piece.a;
        return width <= narrowest || width <= 1024 * unit
            || !(middle > piece.a && middle < piece.b);
    }

    bool byError(const Piece& p, const Piece& q)
    {
        return p.error < q.error;
    }

    // A point without value met by a piece this much narrower than the range is the point the
    // halving closed in on because the values around it grow without bound: a pole.
    const Ext PolePart = std::ldexp(Ext(1), -30);

    // The Gauss-Kronrod pair on [a, b]; false with the problem set when it cannot be taken.
    bool applyRule(
        const Integrand& f, Ext a, Ext b, Ext range, Piece& piece, IntegralResult& result)
    {
        const Ext center = a / 2 + b / 2;
        const Ext half = b / 2 - a / 2;
        Ext xs[15];
        for (int i = 0; i < 7; ++i) {
            xs[2 * i] = center - half * KronrodNodes[i];
            xs[2 * i + 1] = center + half * KronrodNodes[i];
        }
        xs[14] = center;
        Ext ys[15];
        if (!f(xs, ys, 15)) {
            result.problem = IntegralProblem::WorkSpent;
            return false;
        }
        Ext kronrod = KronrodWeights[7] * ys[14];
        Ext gauss = GaussWeights[3] * ys[14];
        Ext absolute = KronrodWeights[7] * std::fabs(ys[14]);
        for (int i = 0; i < 15; ++i) {
            if (ys[i] == NoValue || !std::isfinite(ys[i])) {
                result.problem = b - a < range * PolePart ? IntegralProblem::Divergent
                                                          : IntegralProblem::NoValue;
                result.at = xs[i];
                return false;
            }
        }
        for (int i = 0; i < 7; ++i) {
            const Ext pair = ys[2 * i] + ys[2 * i + 1];
            kronrod += KronrodWeights[i] * pair;
            absolute += KronrodWeights[i] * (std::fabs(ys[2 * i]) + std::fabs(ys[2 * i + 1]));
            if (i % 2 == 1)
                gauss += GaussWeights[i / 2] * pair;
        }
        piece = { a, b, kronrod * half, std::fabs(kronrod - gauss) * half, absolute * half };
        return true;
    }

    // The sum of the pieces in the order of x, compensated, so that a million pieces add up
    // without the rounding of a million additions.
    Ext sumInOrder(std::vector<Piece>& pieces)
    {
        std::sort(
            pieces.begin(), pieces.end(), [](const Piece& p, const Piece& q) { return p.a < q.a; });
        Ext sum = 0;
        Ext compensation = 0;
        for (const Piece& piece : pieces) {
            const Ext next = sum + piece.value;
            compensation += std::fabs(sum) >= std::fabs(piece.value) ? (sum - next) + piece.value
                                                                     : (piece.value - next) + sum;
            sum = next;
        }
        return sum + compensation;
    }

    // from < to, both with values.
    IntegralResult integrateForwards(const Integrand& f, Ext from, Ext to)
    {
        IntegralResult result;
        const Ext narrowest = (to - from) * NarrowestPart;
        std::vector<Piece> open; // a heap by error: the pieces still to be halved
        std::vector<Piece> settled;
        Ext total = 0;
        Ext totalAbsolute = 0;
        Ext openError = 0;
        // A few pieces from the start: one rule over a range symmetric about a pole or an odd
        // function's centre sees the two halves cancel exactly (tan x over [-24, 24] would be 0
        // with no error at all).
        for (int i = 0; i < InitialPieces; ++i) {
            const Ext a = i == 0 ? from : from + (to - from) * Ext(i) / InitialPieces;
            const Ext b
                = i + 1 == InitialPieces ? to : from + (to - from) * Ext(i + 1) / InitialPieces;
            Piece piece;
            if (!applyRule(f, a, b, to - from, piece, result))
                return result;
            open.push_back(piece);
            total += piece.value;
            totalAbsolute += piece.absolute;
            openError += piece.error;
        }
        std::make_heap(open.begin(), open.end(), byError);
        while (!open.empty()) {
            if (openError <= RelativeTolerance * std::fabs(total))
                break;
            std::pop_heap(open.begin(), open.end(), byError);
            const Piece worst = open.back();
            open.pop_back();
            openError -= worst.error;
            const Ext middle = worst.a / 2 + worst.b / 2;
            if (atTheLimit(worst, middle, narrowest)) {
                // A pole leaves a part of the integral of |f| in every piece however narrow (ln 2
                // in each halving of 1/x); an integrable singularity or a jump leaves next to none.
                // The error alone does not tell: the nodes of a piece a few units wide fall on
                // the same numbers, and the two rules agree.
                if (worst.absolute > AcceptedAtTheLimit * totalAbsolute
                    || worst.error
                        > AcceptedAtTheLimit * std::max(std::fabs(total), totalAbsolute)) {
                    result.problem = IntegralProblem::Divergent;
                    result.at = middle;
                    return result;
                }
                settled.push_back(worst);
                continue;
            }
            if (worst.error <= RoundingFloor * worst.absolute) {
                settled.push_back(worst);
                continue;
            }
            if (open.size() + settled.size() + 2 > MaxSubintervals) {
                result.problem = IntegralProblem::TooManySubintervals;
                return result;
            }
            Piece left;
            Piece right;
            if (!applyRule(f, worst.a, middle, to - from, left, result)
                || !applyRule(f, middle, worst.b, to - from, right, result))
                return result;
            total += left.value + right.value - worst.value;
            totalAbsolute += left.absolute + right.absolute - worst.absolute;
            for (const Piece& piece : { left, right }) {
                open.push_back(piece);
                std::push_heap(open.begin(), open.end(), byError);
                openError += piece.error;
            }
            // The running error is a difference of sums: renew it now and then.
            if (open.size() % 65536 == 0) {
                openError = 0;
                for (const Piece& piece : open)
                    openError += piece.error;
            }
        }
        settled.insert(settled.end(), open.begin(), open.end());
        result.subintervals = settled.size();
        // Not less than the rounding of each piece's sum, where the two rules agree by chance.
        for (const Piece& piece : settled)
            result.error += std::max(piece.error, 2 * Epsilon * piece.absolute);
        result.value = sumInOrder(settled);
        return result;
    }

} // namespace

IntegralResult Integrate(const Integrand& f, Ext from, Ext to)
{
    IntegralResult result;
    if (!std::isfinite(from) || !std::isfinite(to) || !std::isfinite(to - from)) {
        result.problem = IntegralProblem::RangeTooWide;
        return result;
    }
    Ext ends[2] = { from, to };
    Ext values[2] = { 0, 0 };
    if (!f(ends, values, 2)) {
        result.problem = IntegralProblem::WorkSpent;
        return result;
    }
    for (int i = 0; i < 2; ++i) {
        if (values[i] == NoValue || !std::isfinite(values[i])) {
            result.problem = IntegralProblem::NoValue;
            result.at = ends[i];
            return result;
        }
    }
    if (from == to)
        return result;
    if (from < to)
        return integrateForwards(f, from, to);
    result = integrateForwards(f, to, from);
    result.value = -result.value;
    return result;
}

std::string IntegralProblemText(const IntegralResult& result, char decimalPoint)
{
    const std::string where = "x = " + FormatNumber(result.at, decimalPoint);
    switch (result.problem) {
    case IntegralProblem::None:
        return {};
    case IntegralProblem::NoValue:
        return "積分できません。" + where + " で値がありません";
    case IntegralProblem::Divergent:
        return "積分できません。" + where + " の付近で発散します";
    case IntegralProblem::TooManySubintervals:
        return "積分できません。区間を " + std::to_string(MaxSubintervals)
            + " 個に分けても収束しません";
    case IntegralProblem::WorkSpent:
        return "積分できません。計算量が上限を超えました";
    case IntegralProblem::RangeTooWide:
        break;
    }
    return "積分できません。範囲が広すぎます";
}

} // namespace velquor
