#pragma once

// What the plain loop and the FMA loop share: how a loop's chain values
// stand for the voltages, and how a segment of a loop is run and read back.
// For the loops' files alone.

#include <cfloat>
#include <cmath>
#include <concepts>
#include <cstdint>

#include "discharge/discharger.hpp"
#include "discharge/domains.hpp"
#include "discharge/loops.hpp"
#include "discharge/wide_float.hpp"
#include "discharge/window.hpp"
#include "platform.hpp"

namespace kondensator::loops {

// The fast loops work on magnitudes, which follow one increasing function
// whichever way the signs go (claim 5 of doc/discharge.md). A loop carries a
// chain value x, from which each discharge is computed, and stops before the
// first discharge it cannot vouch for (claim 25). The pieces:
// - a domain maps the magnitudes of one range onto chain values and says
//   how a discharge goes from one chain value to the next (domains.hpp);
// - the swings say which magnitudes keep the voltages at or above vend;
// - a range of bit patterns holds the chain values the loop may go to, and
//   says which way they move (claim 7);
// - in the FMA loop, the quotient check proves each quotient equal to the
//   exact step's (claim 11); a divide needs none.

// A domain: how the magnitudes of one range map onto chain values, and how a
// discharge goes from one chain value x to the next: next(times(a, x) / s),
// with a = |scaled c1|, s = |scaled sum|. kNextIsQuotient says that the next
// chain value is the quotient itself, so that the FMA loop checks the
// quotient's bits as they are.
template <class Domain>
concept LoopDomain = std::copyable<Domain> && requires(const Domain domain, double m, double x) {
    { domain.magnitudes() } -> std::same_as<Magnitudes>;
    { domain.chain_value(m) } -> std::same_as<double>;
    { domain.magnitude(x) } -> std::same_as<double>;
    { domain.times(m, x) } -> std::same_as<double>;
    { domain.next(x) } -> std::same_as<double>;
    { Domain::kNextIsQuotient } -> std::convertible_to<bool>;
};

// The chain values a loop may go to, an interval of bit patterns, and the
// way their magnitudes move: one unsigned comparison of a distance says both
// that a value lies in the interval and that it moved (claim 7).
struct ChainRange {
    std::uint64_t towards;   // 0 where the magnitudes fall, all ones where they grow
    std::uint64_t end;       // the lowest bits where they fall; the complement of the highest where they grow
    std::uint64_t farthest;  // the distance of the interval's other end, plus one

    static ChainRange between(std::uint64_t low, std::uint64_t high, bool grows) {
        return grows ? ChainRange{~std::uint64_t{0}, ~high, high - low + 1} : ChainRange{0, low, high - low + 1};
    }
    // The distance from the end, which is at most `farthest` - 1 in the
    // interval; elsewhere it is larger, wrapping round for values beyond the end.
    [[nodiscard]] std::uint64_t distance(std::uint64_t x_bits) const { return (x_bits ^ towards) - end; }
    [[nodiscard]] std::uint64_t at(std::uint64_t distance) const { return (distance + end) ^ towards; }
    // Where a segment starts: a first value outside the interval is farther
    // than all within it.
    [[nodiscard]] std::uint64_t start(std::uint64_t x_bits) const { return std::min(distance(x_bits), farthest); }
};

// What a segment of a loop did: the distances of the chain values after the
// last discharge it vouched for and the one before (that one only where
// done > 1), and how many it vouched for. The distances alone are kept, as
// they say which values they are.
struct Segment {
    std::uint64_t last_distance;
    std::uint64_t before_distance;
    std::int32_t done;
};

// A loop over one domain: from the discharger, the domain, the range the
// chain values may go to, the bits of the first chain value and a limit of
// at least 1 on the discharges.
template <LoopDomain Domain>
using SegmentLoop = Segment (*)(const Discharger&, Domain, ChainRange, std::uint64_t, std::int32_t);

// Runs one domain from the loop state, and hands back the state with the
// voltages unscaled and their signs restored.
template <LoopDomain Domain>
LoopState run_in_domain(const LoopState& state, const Discharger& discharger, const Domain& domain, double vend,
                        std::int32_t limit, SegmentLoop<Domain> run_segment) {
    const bool negative = std::signbit(state.v);
    const bool flips = !discharger.keeps_sign();
    const auto magnitudes = Swings::of(state.v, flips).at_or_above(vend, domain.magnitudes());
    if (!magnitudes) return state;
    const bool grows = std::fabs(discharger.scaled_c1()) > std::fabs(discharger.scaled_sum());
    const ChainRange range = ChainRange::between(bits(domain.chain_value(magnitudes->lowest)),
                                                 bits(domain.chain_value(magnitudes->highest)), grows);

    const std::uint64_t start_bits = bits(domain.chain_value(std::fabs(state.v)));
    const Segment segment = run_segment(discharger, domain, range, start_bits, limit - state.count);
    if (segment.done == 0) return state;
    const std::uint64_t last_bits = range.at(segment.last_distance);
    const std::uint64_t before_bits = segment.done > 1 ? range.at(segment.before_distance) : start_bits;
    // The voltage after discharge n has the sign of v, or that of v times (-1)^n.
    const auto voltage = [&](std::uint64_t chain_bits, std::int32_t n) {
        const bool sign = negative != (flips && n % 2 != 0);
        return std::copysign(domain.magnitude(from_bits(chain_bits)), sign ? -1.0 : 1.0);
    };
    return {voltage(last_bits, segment.done), voltage(before_bits, segment.done - 1), state.count + segment.done};
}

// A loop from the state, in the domain of its voltage: the loop's segment
// for subnormal voltages, or for normal ones, scaled. Nothing where the loops
// cannot take the voltage at all: the capacitances have no scaled operands,
// no discharge is due, or the magnitude is zero or infinite.
template <LoopDomain Subnormal>
LoopState run_loop(const LoopState& state, const Discharger& discharger, double vend, std::int32_t limit,
                   SegmentLoop<Subnormal> subnormal, SegmentLoop<ScaledDomain> normal) {
    const double magnitude = std::fabs(state.v);
    if (!discharger.has_scaled_operands() || !(state.v >= vend) || state.count == limit || !(magnitude > 0) ||
        !(magnitude <= DBL_MAX)) {
        return state;
    }
    if (magnitude < DBL_MIN) return run_in_domain(state, discharger, Subnormal{}, vend, limit, subnormal);
    return run_in_domain(state, discharger, ScaledDomain::for_voltage(magnitude), vend, limit, normal);
}

}  // namespace kondensator::loops
