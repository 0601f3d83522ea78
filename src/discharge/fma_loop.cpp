// The FMA loop: a multiply and an FMA on the chain, with a prepared
// reciprocal, and every quotient proved by a second FMA.
#include <cfloat>
#include <cmath>
#include <cstdint>

#include "discharge/loop_skeleton.hpp"
#include "discharge/loops.hpp"
#include "platform.hpp"

// The loop's pieces are always inlined into it, compiled for its target.
#define FMA_PIECE KONDENSATOR_FMA_TARGET KONDENSATOR_ALWAYS_INLINE

namespace kondensator {

namespace loops {
namespace {

constexpr std::uint64_t kMagnitude = ~(std::uint64_t{1} << 63);
constexpr std::uint64_t kExponentField = std::uint64_t{0x7ff} << 52;

// The divisor s is the same in every discharge, so 1/s is prepared once as a
// double-word zh + zl, after Brisebarre, Muller and Raina, "Accelerating
// correctly rounded floating-point division when the divisor is known in
// advance" (IEEE Transactions on Computers 53(8), 2004). A discharge forms
// the product p = RN(a u), and the quotient q = RN(p * zh + u * w) with
// w = RN(a * zl): the correction u * w depends on u alone, so one multiply
// and one FMA lie on the chain from one voltage to the next.
//
// Why a quotient that passes the check is RN(p / s). The check FMA gives
// RN(p - q * s). Let g be the gap between q and the double just below it; the
// gap above q is g or 2g, so every real number within less than g/2 of q
// rounds to q. h = (g/2) s is computed exactly: a power of two times s, and a
// normal double for q >= 2^-960. Rounding is monotonic and h is a double, so
// |RN(p - q s)| < h implies |p - q s| < h, that is |p/s - q| < g/2, and
// q = RN(p/s). Then p > s (q - g/2) is normal too, so it is the 53-bit
// product of the exact step, and q its 53-bit quotient. How q was formed
// decides only how often the check passes, never whether a quotient that
// passed is right: zh + zl is 1/s to about 2^-106 and u * w is p * zl to about
// 2^-52 of itself, so p * zh + u * w is p/s to a few units of 2^-105 of
// itself, and q misses RN(p/s) only when p/s lies that close to a midpoint.
struct Reciprocal {
    double c1;          // a
    double divisor;     // s, in [0.5, 1)
    double high;        // zh
    double correction;  // w
    std::uint64_t half_gap_scale;  // the bits of s * 2^-53, less those of 1.0

    FMA_PIECE static Reciprocal of(const Discharger& discharger) {
        const double c1 = std::fabs(discharger.scaled_c1());
        const double divisor = std::fabs(discharger.scaled_sum());
        const double high = 1.0 / divisor;
        const double low = std::fma(-divisor, high, 1.0) / divisor;
        return {c1, divisor, high, c1 * low, bits(divisor * 0x1p-53) - bits(1.0)};
    }
};

// For a q of at least 2^-960: the bits of h = (g/2) s, where g is the gap
// between q and the double x just below it. With 2^E <= x < 2^(E+1), g is
// 2^(E-52) and h is 2^E times s * 2^-53. Multiplying by a power of two adds to
// the exponent field (here the field of x, less that of 1.0, which the scale
// holds already), so this stays in the integer unit, away from the
// floating-point units.
FMA_PIECE std::uint64_t half_gap_times_divisor(std::uint64_t q_bits, std::uint64_t half_gap_scale) {
    return ((q_bits - 1) & kExponentField) + half_gap_scale;
}

// One discharge as the chain computes it from the chain value x.
struct Step {
    double product;   // p
    double quotient;  // q
    double next;      // the chain value of q
};

// Subnormal voltages: the exact step rounds the 53-bit quotient once more, to
// the grid of 2^-1074. Scaled by 2^1022, the subnormals become the multiples
// of G = 2^-52 in [0, 1), and the chain value is x = 1 + scaled magnitude,
// held exactly: [1, 2) is the binade whose ulp is G. So:
// - RN(q + 1) is 1 plus q rounded to a multiple of G, ties to even, for
//   0 < q < 1 - G/2 (1 is an even multiple of G); a larger q gives 2 or more,
//   which the range refuses. That is the exact step's second rounding.
// - fma(m, x, -m) is RN(m (x - 1)), rounded once: m * 1 is exact. So the
//   products of the scaled magnitude come from x directly, and the chain is
//   an FMA, an FMA and an addition.
// - a chain value of at least 1 + G means a quotient above G/2 = 2^-53, far
//   above 2^-960, so the range vouches for the check.
// - the chain values stay below 2, so no hardware operation is subnormal.
struct SubnormalDomain : SubnormalMagnitudes {
    static constexpr int kScale = 1022;
    static constexpr double kOne = 1.0;

    [[nodiscard]] static double chain_value(double magnitude) { return kOne + std::ldexp(magnitude, kScale); }
    [[nodiscard]] static double magnitude(double chain_value) { return std::ldexp(chain_value - kOne, -kScale); }

    // The FMA overwrites one of its operands. A copy of m made anew for
    // each x is one it may overwrite, so that x keeps its register for the
    // other product; GCC would otherwise copy x, on the chain.
    FMA_PIECE double times(double m, double x) const {
        double factor = m;
        hold_until(factor, x);
        return std::fma(factor, x, -m);
    }
    FMA_PIECE double next(double quotient) const { return quotient + kOne; }
    static constexpr bool kNextIsQuotient = false;
};

template <LoopDomain Domain>
FMA_PIECE Step discharge_step(const Reciprocal& r, const Domain& domain, double x) {
    const double product = domain.times(r.c1, x);
    const double quotient = std::fma(product, r.high, domain.times(r.correction, x));
    return {product, quotient, domain.next(quotient)};
}

// The checks of one discharge: the next chain value, at `distance` from the
// range's end, moved towards it within the range, and the quotient is the
// exact step's.
FMA_PIECE bool vouched_for(const Reciprocal& r, const Step& step, std::uint64_t quotient_bits,
                                       std::uint64_t distance, std::uint64_t last_distance) {
    const std::uint64_t remainder_bits =
        bits_in_integer_unit(std::fma(-step.quotient, r.divisor, step.product)) & kMagnitude;
    return distance < last_distance && remainder_bits < half_gap_times_divisor(quotient_bits, r.half_gap_scale);
}

// Keeps the discharge after the one being checked ahead of the check in the
// emitted code. The processor gives a ready operation of the chain priority
// over the check only where the chain's operation comes first in program
// order; otherwise the check's FMA and the chain's multiplies, all ready in
// the same cycle, share two pipes and the chain waits a cycle. Neither GCC
// nor Clang keeps this order by itself. The checked values are handed back
// as new once the next chain value is computed, so the check must come
// after. The chain value itself is only read: handing it back too costs GCC
// a copy on the chain.
template <LoopDomain Domain>
FMA_PIECE void keep_ahead_of_check(const Step& following, Step& checked) {
    hold_until(checked.product, following.next);
    hold_until(checked.quotient, following.next);
    if constexpr (Domain::kNextIsQuotient) checked.next = checked.quotient;
}

// Checks `pending` while `following` is computed; false where the loop stops.
template <LoopDomain Domain>
FMA_PIECE bool turn(const Reciprocal& r, const Domain& domain, ChainRange range, std::int32_t limit,
                                Step& pending, Step& following, Segment& segment) {
    following = discharge_step(r, domain, pending.next);
    keep_ahead_of_check<Domain>(following, pending);
    const std::uint64_t next_bits = bits_in_integer_unit(pending.next);
    const std::uint64_t quotient_bits = Domain::kNextIsQuotient ? next_bits : bits_in_integer_unit(pending.quotient);
    const std::uint64_t distance = range.distance(next_bits);
    if (!vouched_for(r, pending, quotient_bits, distance, segment.last_distance)) return false;
    segment.before_distance = segment.last_distance;
    segment.last_distance = distance;
    return ++segment.done != limit;
}

// The skeleton: discharge, check, stop before what it cannot vouch for. The
// check of a discharge runs while the next one is already on its way; when it
// fails, nothing of the next one is used. Two steps a turn, so that neither
// step's values are copied along the chain; out of line, so that the loop has
// the registers to itself. limit > 0.
template <LoopDomain Domain>
KONDENSATOR_FMA_TARGET KONDENSATOR_OUT_OF_LINE Segment run_fma_segment(const Discharger& discharger, Domain domain, ChainRange range,
                                             std::uint64_t start_bits, std::int32_t limit) {
    const Reciprocal r = Reciprocal::of(discharger);
    Segment segment{range.start(start_bits), 0, 0};
    Step a = discharge_step(r, domain, from_bits(start_bits));
    Step b{};
    while (turn(r, domain, range, limit, a, b, segment) && turn(r, domain, range, limit, b, a, segment)) {
    }
    // A copy, so that the loop keeps its progress in registers rather than
    // in the caller's memory for the result.
    return Segment{segment};
}

}  // namespace
}  // namespace loops

KONDENSATOR_FMA_TARGET
LoopState run_fma_discharges(LoopState state, const Discharger& discharger, double vend,
                             std::int32_t limit) noexcept {
    return loops::run_loop(state, discharger, vend, limit, loops::run_fma_segment<loops::SubnormalDomain>,
                           loops::run_fma_segment<loops::ScaledDomain>);
}

}  // namespace kondensator
