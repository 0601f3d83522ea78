#include "discharge/bound.hpp"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>

#include "discharge/discharger.hpp"
#include "discharge/wide_float.hpp"
#include "discharge/window.hpp"
#include "platform.hpp"

namespace kondensator {

namespace {

constexpr double kUnitRoundoff = 0x1p-53;

// Far above the error of evaluating the tests below, and still small enough
// to leave only inputs within a few discharges of the limit undecided.
constexpr double kMargin = 0x1p-30;

// Makes a bound computed in rounded arithmetic an upper bound for sure.
constexpr double kSlack = 1 + 0x1p-40;

// |ln(a / s)| for positive doubles a and s, to a few units of 2^-53 of itself.
// Where they lie within a factor of two of each other, a - s is exact
// (Sterbenz), so a ratio within a few ulps of 1 keeps its small distance from
// 1 to full precision. Farther apart, s - a and its quotient by s round, so
// that 1 - (s - a) / s, the ratio, may miss by 2^-52: far more than 2^-53 of
// a small ratio, which a / s keeps.
double log_ratio_magnitude(double a, double s) {
    if (a < s) {
        return 2 * a >= s ? -std::log1p(-((s - a) / s)) : -std::log(a / s);
    }
    return a <= 2 * s ? std::log1p((a - s) / s) : std::log(a / s);
}

}  // namespace

// Where |c1 / (c1 + c2)| lies within a few ulps of 1, the voltage moves by a
// few doubles a discharge and rounding decides where it goes: the bounds
// further down, which multiply, prove nothing there. But the voltage must
// pass every double between its start and where the loop ends, so a bound on
// how many doubles one discharge passes is a lower bound on the count.
//
// The argument. With a = |scaled c1|, s = |scaled sum| (0.5 <= s < 1) and
// rho = a / s, a discharge takes the magnitude x to f(x) = RN(RN(a x) / s),
// both roundings to 53 bits with the wide exponent, and to_double leaves a
// normal result as it is. A power of two scales both roundings' results, so
// f(2^e x) = 2^e f(x) while both are normal: how many doubles a discharge
// passes depends on the significand alone, the same in every binade. So let
// x lie in [1, 2), where the doubles lie 2^-52 apart, and count in units of
// 2^-52. The binade is cut into 16 pieces; for x in [x_lo, x_hi] within one
// piece, with d = |1 - rho|:
// - p = RN(a x) misses a x by at most E_p, half an ulp of RN(a x_hi)
//   (rounding is monotonic), or by nothing where a is a power of two; so p / s
//   misses rho x by at most E_p / s;
// - q = RN(p / s) misses p / s by at most E_q, half its ulp: 1/2 below 2, and
//   1 in [2, 4), where only a growing x of the top piece can go; or by
//   nothing where s is a power of two, as p / s is then a double. The ratios
//   1 - 2^-53 and 1 + 2^-52 need such an s, and with an E_q of 1/2 the test
//   below would fail in every piece for 1 - 2^-53.
// So q lies at most r = x_hi d + E_p / s + E_q from x. Where q stays in
// [1, 2), it moves x by |q - x| doubles, an integer, so by at most
// M = floor(r); above 2 the doubles lie farther apart, so by fewer. A
// falling x leaves the binade, to where the doubles lie closer, only from the
// bottom piece; the walk takes that last discharge apart.
//
// And q is not x (which would stick the voltage: "uendelig", not "over"), but
// lies beyond it in the way x moves, where p / s lies farther from x than q
// can lie from p / s: where x d > E_p / s + 1/2, or x d > E_p / s where s is
// a power of two. E_p and E_q are reached only at a tie, which rounds to
// even: at equality q may be x for every other double x, so that a voltage
// moving a double a discharge may stick within two; hence a strict test. As
// x d grows with x, it holds for every x in a piece once it holds at x_lo.
// Where it holds only from the double after x_lo on, x_lo alone may stick,
// and its discharge is carried out: for x in [1, 2) both roundings are those
// of the double operations, ties included; so, too, where the piece is the
// one double x_lo. So it goes for 1 - 2^-53 at x = 1, the bottom piece's
// x_lo: x d = E_p / s there, yet a x is a double. A piece where the test
// fails is one where the voltage may stick.
//
// The walk goes from the start through the pieces the voltage must pass, in
// the way it moves, to the last magnitude at which the loop goes on, `end`.
// In a piece, the voltage enters at the double `entry` or beyond, and must
// get past the piece's far end `far`. The discharge that does starts fewer
// than L doubles before `far`: L = M, as it passes at most M doubles of the
// binade, but L = ceil(r) in a falling bottom piece, from which it may land
// below the binade, where the doubles lie closer. The discharges before it
// stay in the piece and pass the |entry - far| - L + 1 doubles from `entry`
// on to L before `far`, at most M each: where |entry - far| >= L, at least
// floor((|entry - far| - L) / M) + 2 discharges in all, and else 1; where
// M = 0 and |entry - far| >= L, nothing. For 1 - 2^-53, r < 1 at x = 1 alone,
// so M = 0 and L = 1 there: the one discharge from x = 1 leaves the binade.
// Any discharge passes at most 2 r_most doubles, r_most the largest r, where
// the doubles below a binade lie twice as close, so the voltage enters the
// next piece at most that far beyond its near end; the discharges in it start
// anywhere from that end on, so its M and its test for sticking are taken
// over the piece from there. Where the sum passes the limit, the first
// `limit` discharges all keep the voltage at or above vend and strictly
// moving, so that no voltage repeats one of the two before it: the count ends
// at the limit. The walk proves nothing where it reaches a piece in which
// the voltage may stick, or `end`, first.
//
// Only the doubles the first `limit` discharges can reach matter, at most
// `overshoot` a discharge from the start: `end` is brought that near first.
// A count past the limit to there is one past the limit to any farther end.
// So where the ratio is no double and a piece's test fails only at some
// doubles far from the start, as it does where x d is near E_p / s + E_q,
// the pieces the voltage cannot reach take no part.
//
// The range: magnitudes at which every sign the voltage takes is at or above
// vend, kept 2^-38 of themselves inside the normal range, so that with
// d <= 2^-40 every q from there is normal and f is all there is. The bounds
// r are computed with a margin of 2^-48 of themselves, far more than the
// rounding of their few operations, and enter the counts only as the
// integers M and L; the test for sticking is exact.
namespace {

constexpr int kPieceBits = 4;
constexpr int kPieces = 1 << kPieceBits;
constexpr int kPieceShift = 52 - kPieceBits;
constexpr std::uint64_t kPiece = std::uint64_t{1} << kPieceShift;  // doubles in a piece

// Where the ratio lies farther from 1 than this, the multiplying bounds serve.
constexpr double kNearOne = 0x1p-40;

double up(double x) { return x * (1 + 0x1p-48); }

// The significand in [1, 2) of a positive normal double, from its bits.
double significand(std::uint64_t x_bits) {
    constexpr std::uint64_t kFraction = (std::uint64_t{1} << 52) - 1;
    return from_bits((x_bits & kFraction) | bits(1.0));
}

bool is_power_of_two(double x) {
    int exponent = 0;
    return std::frexp(x, &exponent) == 0.5;
}

// How many doubles one discharge can move magnitudes whose significands lie
// in [x_lo, x_hi], within one piece: at most r; and whether it moves every
// one of them.
struct Move {
    double most;
    bool sure;
};

class Moves {
public:
    // s - a is exact: a and s lie within a factor of 2 of each other.
    Moves(double a, double s)
        : a_(a), s_(s), grows_(a > s), gap_(std::fabs(s - a)), d_(gap_ / s), exact_products_(is_power_of_two(a)),
          exact_quotients_(is_power_of_two(s)) {}

    [[nodiscard]] bool grows() const { return grows_; }

    // `leaves`: x lies in the piece next to where a growing q enters [2, 4).
    [[nodiscard]] Move between(double x_lo, double x_hi, bool leaves) const {
        // E_p, and E_p / s and E_q in units of 2^-52.
        const double product_error = exact_products_ ? 0.0 : std::ldexp(1.0, std::ilogb(a_ * x_hi) - 53);
        const double quotient_error = exact_quotients_ ? 0.0 : grows_ && leaves ? 1.0 : 0.5;
        const double most = up(up(x_hi * 0x1p52 * d_) + up(product_error * 0x1p52 / s_) + quotient_error);
        const bool sure = moves_from(x_lo, product_error) ||
                          ((x_lo == x_hi || moves_from(std::nextafter(x_lo, 2.0), product_error)) && moves(x_lo));
        return {most, sure};
    }

    // The most doubles any discharge can pass: 2 r_most. More would only start
    // the next piece farther in; fewer could count doubles a discharge jumps.
    [[nodiscard]] std::uint64_t overshoot() const {
        return static_cast<std::uint64_t>(std::ceil(2 * between(2, 2, true).most));
    }

private:
    // x d > E_p / s + E_q' for every x from x_lo on, E_q' = 2^-53 or 0, as
    // x_lo |s - a| - s E_q' > E_p: the FMA rounds that difference once, and
    // rounding is monotonic, so where the rounded one exceeds the double E_p,
    // the exact one does.
    [[nodiscard]] bool moves_from(double x_lo, double product_error) const {
        return std::fma(x_lo, gap_, -s_ * (exact_quotients_ ? 0.0 : 0x1p-53)) > product_error;
    }

    // Whether the discharge of the double x in [1, 2), carried out, moves it
    // the way the magnitudes go.
    [[nodiscard]] bool moves(double x) const {
        const double q = a_ * x / s_;
        return grows_ ? q > x : q < x;
    }

    double a_;
    double s_;
    bool grows_;
    double gap_;
    double d_;
    bool exact_products_;
    bool exact_quotients_;
};

// The fewest discharges that take the voltage from the double with bits
// `start` beyond the one with bits `end`, where it cannot stick on the way,
// or fewer, where it may; counted no further than past `limit`.
std::uint64_t fewest_discharges(const Moves& moves, std::uint64_t start, std::uint64_t end, std::uint64_t limit) {
    const bool grows = moves.grows();
    const std::uint64_t overshoot = moves.overshoot();
    // Only the doubles `limit` discharges can reach need to be sure to move.
    const std::uint64_t reachable = (limit + 2) * overshoot;
    end = grows ? std::min(end, start + reachable) : std::max(end, start - std::min(start, reachable));
    std::uint64_t count = 0;
    std::uint64_t entry = start;  // the voltage enters the piece here or beyond
    std::uint64_t reach = start;  // and here at most, where the discharges in it start
    for (;;) {
        const int piece = static_cast<int>((entry >> kPieceShift) & (kPieces - 1));
        const std::uint64_t piece_start = entry & ~(kPiece - 1);
        const std::uint64_t far = grows ? std::min(piece_start + kPiece - 1, end) : std::max(piece_start, end);
        const bool leaves = piece == (grows ? kPieces - 1 : 0);
        const Move move = grows ? moves.between(significand(reach), significand(far), leaves)
                                : moves.between(significand(far), significand(reach), leaves);
        const auto steps = static_cast<std::uint64_t>(std::floor(move.most));
        const auto last = !grows && leaves ? static_cast<std::uint64_t>(std::ceil(move.most)) : steps;
        const std::uint64_t between = grows ? far - entry : entry - far;
        if (!move.sure || (between >= last && steps == 0)) return count;
        count += between < last ? 1 : (between - last) / steps + 2;
        // Past the limit the count proves the answer; at it, not yet.
        if (count > limit || far == end) return count;
        // Into the next piece, at most `overshoot` doubles beyond its near end.
        if (grows ? end - far < overshoot : far - end < overshoot) return count;
        entry = grows ? far + overshoot : far - overshoot;
        reach = grows ? far + 1 : far - 1;
    }
}

}  // namespace

// The model. One discharge rounds the product and the quotient once each to
// 53 bits with the wide exponent, and rounds a subnormal result once more
// onto the grid of 2^-1074. With rho = |r|, where r = c1 / s is exactly the
// scaled c1 over the scaled sum (c1 over the sum the discharge rounds), a
// finite voltage x = |v| goes to x' with
//     rho (1 - u)^2 x - d  <=  x'  <=  rho (1 + u)^2 x + d,   u = 2^-53, d = 2^-1075,
// and v' has the sign of r v or is zero. Let l = |ln rho| >= 4u, so that
// rho (1 + u)^2 <= e^(-l + 2u) < 1 when rho < 1, and
// rho (1 - u)^2 >= e^(l - 3u) > 1 when rho > 1; let k = l + 3u, and
// B = d (1 + y) / y with y = l - 3u >= u.
//
// Shrinking (rho < 1). x' < x whenever x > T = d / (1 - rho (1 + u)^2), and
// T <= B, since 1 - e^(-y) >= y / (1 + y). The lower recurrence gives
// x_n + D >= (rho (1 - u)^2)^n (x_0 + D) with D = d / (1 - rho (1 - u)^2) <= T,
// so x_n >= e^(-n k) (x_0 + B) - B, the right side falling as D grows. So if
//     limit k + margin <= ln(x_0 + B) - ln(M + B),   M = max(L, B),
// every x_n with n <= limit is at least M: above T, so no voltage repeats one
// of the two before it (the magnitudes strictly fall), and at least L, where
// L is vend for voltages that stay positive and 0 otherwise. Voltages that
// stay negative, or flip sign, need vend < 0; their negative swings have
// magnitudes below x_0, or below x_1 <= rho (1 + u)^2 x_0 + d where v1 is a
// positive voltage that flips, and must stay at most -vend.
//
// Growing (rho > 1). x' > x whenever x > G = d / (rho (1 - u)^2 - 1), and
// G <= d / y <= B, since e^y - 1 >= y. The upper recurrence gives
// x_n <= e^(n k) (x_0 + E) with E = d / (rho (1 + u)^2 - 1) <= B. So if
// x_0 > B and
//     limit k + margin <= ln H - ln(x_0 + B),
// the magnitudes strictly grow and every x_n with n <= limit is at most H:
// the largest double for voltages that stay positive (which then stay at or
// above v1 >= vend, and finite), and min(-vend, largest double) otherwise.
//
// Either way the discharges carry out `limit` discharges with the voltage at
// or above vend and never repeating, and the count ends at the limit. When
// a test holds, every quantity in it is at most about 1500, so the libm and
// rounding errors of its evaluation are a few units of 2^-43, far smaller
// than the margin of 2^-30. kSlack covers the relative errors of B, and one
// more unit of the grid the rounding of a subnormal B.
namespace {

bool ratios_prove_limit_reached(double a, double s, bool flips, double v1, double vend, std::int32_t limit) {
    const double x0 = std::fabs(v1);
    const double l = log_ratio_magnitude(a, s);
    if (!(l >= 4 * kUnitRoundoff)) {
        return false;
    }
    const double budget = limit * (l + 3 * kUnitRoundoff) + kMargin;
    const double y = l - 3 * kUnitRoundoff;
    const double b = kSubnormalSpacing * (0.5 * (1 + y) / y * kSlack) + kSubnormalSpacing;
    // L and H below: where every sign the voltage takes stays at or above vend.
    const auto window = Swings::of(v1, flips).at_or_above(vend, {b, DBL_MAX});
    if (!window) {
        return false;
    }

    if (a < s) {
        const bool flips_from_positive = flips && v1 > 0;
        // x1 <= rho (1 + u)^2 x0 + d: 3u covers the (1 + u)^2, and d too, as -vend >= 2^-1000.
        if (flips_from_positive && x0 > -vend &&
            !(-vend >= 0x1p-1000 && std::log(x0) - l + 3 * kUnitRoundoff + kMargin <= std::log(-vend))) {
            return false;
        }
        return budget <= std::log(x0 + b) - std::log(window->lowest + b);
    }
    return x0 > b && budget <= std::log(window->highest) - std::log(x0 + b);
}

bool doubles_passed_prove_limit_reached(double a, double s, bool flips, double v1, double vend,
                                        std::int32_t limit) {
    if (!(std::fabs(s - a) <= kNearOne * s)) {
        return false;
    }
    const auto window = Swings::of(v1, flips).at_or_above(vend, {DBL_MIN * (1 + 0x1p-38), DBL_MAX * (1 - 0x1p-38)});
    const double x0 = std::fabs(v1);
    if (!window || !(window->lowest <= x0 && x0 <= window->highest)) {
        return false;
    }
    const Moves moves(a, s);
    const auto passed = fewest_discharges(moves, bits(x0), bits(moves.grows() ? window->highest : window->lowest),
                                          static_cast<std::uint64_t>(limit));
    return passed > static_cast<std::uint64_t>(limit);
}

}  // namespace

LimitProof bound_proving_limit_reached(double c1, double c2, double v1, double vend, std::int32_t limit) noexcept {
    const Discharger discharger(c1, c2);
    const double x0 = std::fabs(v1);
    if (!discharger.has_scaled_operands() || !(v1 >= vend) || !(x0 > 0) || !(x0 <= DBL_MAX)) {
        return LimitProof::none;
    }
    const double a = std::fabs(discharger.scaled_c1());
    const double s = std::fabs(discharger.scaled_sum());
    const bool flips = !discharger.keeps_sign();
    if ((flips || v1 < 0) && !(vend < 0)) {
        return LimitProof::none;
    }
    if (ratios_prove_limit_reached(a, s, flips, v1, vend, limit)) return LimitProof::ratio;
    if (doubles_passed_prove_limit_reached(a, s, flips, v1, vend, limit)) return LimitProof::doubles_passed;
    return LimitProof::none;
}

}  // namespace kondensator
