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

constexpr double kUnitRoundoff = 0x1p-53;  // u, claim 14

// Half an ulp of the doubles in [1, 2): E_q below 2 where s is no power of
// two (claim 20), in the test for moving for sure (claim 21).
constexpr double kHalfUlpOfOne = 0x1p-53;

// Far above the error of evaluating the tests below, and still small enough
// to leave only inputs within a few discharges of the limit undecided: claim 18.
constexpr double kMargin = 0x1p-30;

// Makes a bound computed in rounded arithmetic an upper bound for sure: claim 18.
constexpr double kSlack = 1 + 0x1p-40;

// |ln(a / s)| for positive doubles a and s, to a few units of 2^-53 of
// itself: claim 15.
double log_ratio_magnitude(double a, double s) {
    if (a < s) {
        return 2 * a >= s ? -std::log1p(-((s - a) / s)) : -std::log(a / s);
    }
    return a <= 2 * s ? std::log1p((a - s) / s) : std::log(a / s);
}

}  // namespace

// Near 1: the doubles one discharge passes bound the count from below,
// claims 19 to 24 of doc/discharge.md.
namespace {

constexpr int kPieceBits = 4;  // 16 pieces a binade, claim 19
constexpr int kPieces = 1 << kPieceBits;
constexpr int kPieceShift = 52 - kPieceBits;
constexpr std::uint64_t kPiece = std::uint64_t{1} << kPieceShift;  // doubles in a piece

// Where the ratio lies farther from 1 than this, the multiplying bounds
// serve; nearer, every quotient of the walk's range is normal: claim 24.
constexpr double kNearOne = 0x1p-40;

double up(double x) { return x * (1 + 0x1p-48); }  // claim 24

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
    // s - a is exact: a and s lie within a factor of 2 of each other (claim 15).
    Moves(double a, double s)
        : a_(a), s_(s), grows_(a > s), gap_(std::fabs(s - a)), d_(gap_ / s), exact_products_(is_power_of_two(a)),
          exact_quotients_(is_power_of_two(s)) {}

    [[nodiscard]] bool grows() const { return grows_; }

    // `leaves`: x lies in the piece next to where a growing q enters [2, 4).
    [[nodiscard]] Move between(double x_lo, double x_hi, bool leaves) const {
        // E_p, and E_p / s and E_q in units of 2^-52: claim 20.
        const double product_error = exact_products_ ? 0.0 : std::ldexp(1.0, std::ilogb(a_ * x_hi) - 53);
        const double quotient_error = exact_quotients_ ? 0.0 : grows_ && leaves ? 1.0 : 0.5;
        const double most = up(up(x_hi * 0x1p52 * d_) + up(product_error * 0x1p52 / s_) + quotient_error);
        const bool sure = moves_from(x_lo, product_error) ||
                          ((x_lo == x_hi || moves_from(std::nextafter(x_lo, 2.0), product_error)) && moves(x_lo));
        return {most, sure};
    }

    // The most doubles any discharge can pass: 2 r_most, claim 22.
    [[nodiscard]] std::uint64_t overshoot() const {
        return static_cast<std::uint64_t>(std::ceil(2 * between(2, 2, true).most));
    }

private:
    // x d > E_p / s + E_q' for every x from x_lo on, E_q' = 2^-53 or 0: claim 21.
    [[nodiscard]] bool moves_from(double x_lo, double product_error) const {
        return std::fma(x_lo, gap_, -s_ * (exact_quotients_ ? 0.0 : kHalfUlpOfOne)) > product_error;
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
// or fewer, where it may; counted no further than past `limit`, and no
// farther than `limit` discharges can reach: claims 22 and 23.
std::uint64_t fewest_discharges(const Moves& moves, std::uint64_t start, std::uint64_t end, std::uint64_t limit) {
    const bool grows = moves.grows();
    const std::uint64_t overshoot = moves.overshoot();
    // Only the doubles `limit` discharges can reach need to be sure to move: claim 23.
    const std::uint64_t reachable = (limit + 2) * overshoot;
    end = grows ? std::min(end, start + reachable) : std::max(end, start - std::min(start, reachable));
    std::uint64_t count = 0;
    std::uint64_t entry = start;  // the voltage enters the piece here at the farthest
    std::uint64_t reach = start;  // and here at the nearest, where its discharges may start
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

// Far from 1: every discharge multiplies the magnitude by nearly the ratio,
// claims 14 to 18 of doc/discharge.md.
namespace {

bool ratios_prove_limit_reached(double a, double s, bool flips, double v1, double vend, std::int32_t limit) {
    const double x0 = std::fabs(v1);
    const double l = log_ratio_magnitude(a, s);
    if (!(l >= 4 * kUnitRoundoff)) {  // claim 16
        return false;
    }
    const double budget = limit * (l + 3 * kUnitRoundoff) + kMargin;  // limit k + margin, claim 16
    const double y = l - 3 * kUnitRoundoff;
    const double b = kSubnormalSpacing * (0.5 * (1 + y) / y * kSlack) + kSubnormalSpacing;  // B, claims 16, 18
    // L and H below: where every sign the voltage takes stays at or above vend.
    const auto window = Swings::of(v1, flips).at_or_above(vend, {b, DBL_MAX});
    if (!window) {
        return false;
    }

    if (a < s) {
        const bool flips_from_positive = flips && v1 > 0;
        // A voltage that flips from positive: claim 16.
        if (flips_from_positive && x0 > -vend &&
            !(-vend >= 0x1p-1000 && std::log(x0) - l + 3 * kUnitRoundoff + kMargin <= std::log(-vend))) {
            return false;
        }
        return budget <= std::log(x0 + b) - std::log(window->lowest + b);  // claim 16
    }
    return x0 > b && budget <= std::log(window->highest) - std::log(x0 + b);  // claim 17
}

bool doubles_passed_prove_limit_reached(double a, double s, bool flips, double v1, double vend,
                                        std::int32_t limit) {
    if (!(std::fabs(s - a) <= kNearOne * s)) {
        return false;
    }
    // claim 24
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
    if ((flips || v1 < 0) && !(vend < 0)) {  // no negative voltage is at or above vend: claim 6
        return LimitProof::none;
    }
    if (ratios_prove_limit_reached(a, s, flips, v1, vend, limit)) return LimitProof::ratio;
    if (doubles_passed_prove_limit_reached(a, s, flips, v1, vend, limit)) return LimitProof::doubles_passed;
    return LimitProof::none;
}

}  // namespace kondensator
