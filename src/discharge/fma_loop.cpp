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

// 1/s prepared once as a double-word zh + zl, so that one multiply and one
// FMA lie on the chain (claim 12 of doc/discharge.md), and every quotient
// proved by the check FMA (claim 11).
struct Reciprocal {
    double c1;          // a
    double divisor;     // s, in [0.5, 1)
    double high;        // zh
    double correction;  // w
    std::uint64_t half_gap_scale;  // the bits of s * 2^-53, less those of 1.0: claim 13

    FMA_PIECE static Reciprocal of(const Discharger& discharger) {
        const double c1 = std::fabs(discharger.scaled_c1());
        const double divisor = std::fabs(discharger.scaled_sum());
        const double high = 1.0 / divisor;
        const double low = std::fma(-divisor, high, 1.0) / divisor;
        return {c1, divisor, high, c1 * low, bits(divisor * 0x1p-53) - bits(1.0)};
    }
};

// For a q of at least 2^-960: the bits of h = (g/2) s, g the gap below q,
// from the exponent field alone, in the integer unit (claim 13).
FMA_PIECE std::uint64_t half_gap_times_divisor(std::uint64_t q_bits, std::uint64_t half_gap_scale) {
    return ((q_bits - 1) & kExponentField) + half_gap_scale;
}

// One discharge as the chain computes it from the chain value x.
struct Step {
    double product;   // p
    double quotient;  // q
    double next;      // the chain value of q
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
